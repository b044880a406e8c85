#include "app/TeskStartUp.h"

#include "app/uAbout.h"
#include "app/uFilterEditor.h"
#include "app/uFind.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "app/uProgress.h"
#include "app/uShowReport.h"
#include "data/DataRegistration.h"
#include "editor/EditorRegistration.h"
#include "platform/gui/Platform.h"
#include "storage/StRegistration.h"

// Each library registers the libraries it builds on; the app names every
// library it links so that none is left out. A new class of the app is
// registered by adding ClassInfoOf<TNewClass>() to the list below.
void RegisterAppLibrary() {
    static const bool done = [] {
        RegisterGuiLibrary();
        RegisterDataLibrary();
        RegisterStorageClasses();
        RegisterEditorLibrary();
        RegisterClasses({ClassInfoOf<TfrmMain>(), ClassInfoOf<TfrmAbout>(), ClassInfoOf<TfrmLanguage>(),
                         ClassInfoOf<TfrmShowReport>(), ClassInfoOf<TfrmFind>(), ClassInfoOf<TfrmFilterEditor>(),
                         ClassInfoOf<TfrmProgress>()});
        return true;
    }();
    (void)done;
}

void StartTesk(int& argc, char** argv) {
    PlatformInitialize(argc, argv);
    RegisterAppLibrary();
}
