#include "data/uSelectDB.h"

#include "data/uDatamodule.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

TESK_PUBLISHED(TfrmSelectDB) {
    Field("btnOk", &T::btnOk);
    Field("btnCancel", &T::btnCancel);
    Handler("FormShow", &T::FormShow);
}

TfrmSelectDB::TfrmSelectDB(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }

void TfrmSelectDB::FormShow(TObject*) {
    dmMain->LoadGroups("DBGroup");
    dmMain->viewGroup->Locate("GroupName", ActiveGroup, TLocateOptions());
}
