#include "app/uFind.h"

#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

TESK_PUBLISHED(TfrmFind) {
    Field("lblValue", &T::lblValue);
    Field("edtValue", &T::edtValue);
    Field("grpField", &T::grpField);
    Field("cbxClearFilter", &T::cbxClearFilter);
    Field("btnFind", &T::btnFind);
    Field("btnCancel", &T::btnCancel);
}

TfrmFind::TfrmFind(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }
