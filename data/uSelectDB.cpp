#include "data/uSelectDB.h"

#include "data/uDatamodule.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "storage/StRegistration.h"

TESK_PUBLISHED(TfrmSelectDB) {
    Field("grdSelectDB", &T::grdSelectDB);
    Field("btnOk", &T::btnOk);
    Field("btnCancel", &T::btnCancel);
    Field("StFormStorage1", &T::StFormStorage1);
    Handler("FormShow", &T::FormShow);
}

TfrmSelectDB::TfrmSelectDB(TComponent* AOwner) : TForm(AOwner) {
    RegisterStorageClasses();
    ReadComponentResource(this);
    // The groups live in the data module, which is created before any dialog.
    if (dmMain) grdSelectDB->SetDataSource(dmMain->dsGroup);
}

void TfrmSelectDB::FormShow(TObject*) {
    dmMain->LoadGroups("DBGroup");
    dmMain->viewGroup->Locate("GroupName", ActiveGroup, TLocateOptions());
}
