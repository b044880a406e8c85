#include "app/uAbout.h"

#include "platform/rtl/Version.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

TESK_PUBLISHED(TfrmAbout) {
    Field("imgAbout", &T::imgAbout);
    Field("lblTitle", &T::lblTitle);
    Field("lblVersionCaption", &T::lblVersionCaption);
    Field("lblVersion", &T::lblVersion);
    Field("lblText", &T::lblText);
    Field("btnClose", &T::btnClose);
    Handler("FormShow", &T::FormShow);
}

AnsiString ProgramVersionText() {
    return Format("%u.%u.%u.%u", {TESK_VERSION_MAJOR, TESK_VERSION_MINOR, TESK_VERSION_PATCH, TESK_VERSION_BUILD});
}

TfrmAbout::TfrmAbout(TComponent* AOwner) : TForm(AOwner) {
    ReadComponentResource(this);
    std::string_view picture = EmbeddedResource("about.jpg");
    if (!picture.empty()) {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(picture.data(), picture.size());
        imgAbout->Picture()->SetGraphic(&jpeg);
    }
}

void TfrmAbout::FormShow(TObject*) { lblVersion->SetCaption(ProgramVersionText()); }
