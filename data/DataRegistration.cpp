// Every class of the data library that a form definition names by class.
#include "data/DataRegistration.h"

#include "data/uDatamodule.h"
#include "data/uDeleteMasterRecord.h"
#include "data/uSelectDB.h"
#include "grid/GridRegistration.h"
#include "storage/StRegistration.h"

// A new class of this library is registered by adding ClassInfoOf<TNewClass>()
// to the list below (its TESK_PUBLISHED alone makes it known to nobody).
void RegisterDataLibrary() {
    static const bool done = [] {
        RegisterGridLibrary();
        RegisterStorageClasses();
        RegisterClasses({ClassInfoOf<TdmMain>(), ClassInfoOf<TfmMasterDelete>(), ClassInfoOf<TfrmSelectDB>()});
        return true;
    }();
    (void)done;
}
