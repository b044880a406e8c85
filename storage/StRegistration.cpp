#include "storage/StRegistration.h"

#include "storage/StAppXMLStorage.h"
#include "storage/StFormStorage.h"
#include "storage/StSimpleXml.h"
#include "storage/StWindowHook.h"

void RegisterStorageClasses() {
    RegisterClasses({TStSimpleXML::StaticClassInfo(), TStAppXMLFileStorage::StaticClassInfo(),
                     TStFormPlacement::StaticClassInfo(), TStFormStorage::StaticClassInfo(),
                     TStWindowHook::StaticClassInfo()});
}
