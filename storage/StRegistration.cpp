#include "storage/StRegistration.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Platform.h"
#include "storage/StAppStorage.h"
#include "storage/StAppXMLStorage.h"
#include "storage/StFormStorage.h"
#include "storage/StSimpleXml.h"
#include "storage/StUtils.h"
#include "storage/StWindowHook.h"

namespace {

void ReportToApplication(TObject* Sender) {
    if (Application) Application->HandleException(Sender);
}

}  // namespace

// A new class of this library is registered by adding ClassInfoOf<TNewClass>()
// to the list below (its TESK_PUBLISHED alone makes it known to nobody).
void RegisterStorageClasses() {
    static const bool done = [] {
        RegisterGuiLibrary();
        RegisterClasses({
            ClassInfoOf<TStComponent>(), ClassInfoOf<TStSimpleXML>(),
            // Application storage
            ClassInfoOf<TStCustomAppStorageOptions>(), ClassInfoOf<TStAppStorageOptions>(),
            ClassInfoOf<TStAppSubStorage>(), ClassInfoOf<TStAppSubStorages>(), ClassInfoOf<TStCustomAppStorage>(),
            ClassInfoOf<TStCustomAppMemoryFileStorage>(), ClassInfoOf<TStAppXMLStorageOptions>(),
            ClassInfoOf<TStCustomAppXMLStorage>(), ClassInfoOf<TStAppXMLFileStorage>(),
            // Form placement and stored properties, window hooks
            ClassInfoOf<TStWinMinMaxInfo>(), ClassInfoOf<TStFormPlacement>(), ClassInfoOf<TStStoredValue>(),
            ClassInfoOf<TStStoredValues>(), ClassInfoOf<TStFormStorage>(), ClassInfoOf<TStWindowHook>(),
        });
        // A settings file set aside is reported to the user once.
        SetStorageErrorReporter(ReportToApplication);
        return true;
    }();
    (void)done;
}
