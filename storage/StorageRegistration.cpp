// Every class of the storage library that a form may name by class.
#include "storage/StorageRegistration.h"

#include "platform/gui/Platform.h"
#include "storage/StSimpleXml.h"
#include "storage/StUtils.h"

// A new class of this library is registered by adding ClassInfoOf<TNewClass>()
// to the list below (its TESK_PUBLISHED alone makes it known to nobody).
void RegisterStorageLibrary() {
    static const bool done = [] {
        RegisterGuiLibrary();
        RegisterClasses({ClassInfoOf<TStComponent>(), ClassInfoOf<TStSimpleXML>()});
        return true;
    }();
    (void)done;
}
