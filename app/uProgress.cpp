#include "app/uProgress.h"

#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

TESK_PUBLISHED(TfrmProgress) {
    Field("lblProgress", &T::lblProgress);
    Field("pbRecord", &T::pbRecord);
    Handler("FormCreate", &T::FormCreate);
    Handler("FormClose", &T::FormClose);
}

TfrmProgress::TfrmProgress(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }

void TfrmProgress::FormCreate(TObject*) { Closed = false; }
void TfrmProgress::FormClose(TObject*, TCloseAction&) { Closed = true; }
