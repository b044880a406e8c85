#include "app/TeskStartUp.h"

#include "data/DataRegistration.h"
#include "editor/EditorRegistration.h"
#include "platform/gui/Platform.h"
#include "storage/StRegistration.h"

// Each library registers the libraries it builds on; the app names every
// library it links so that none is left out.
void RegisterAppLibrary() {
    static const bool done = [] {
        RegisterGuiLibrary();
        RegisterDataLibrary();
        RegisterStorageClasses();
        RegisterEditorLibrary();
        return true;
    }();
    (void)done;
}

void StartTesk(int& argc, char** argv) {
    PlatformInitialize(argc, argv);
    RegisterAppLibrary();
}
