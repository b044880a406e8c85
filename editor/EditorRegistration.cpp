// Every class of the editor library that a form may name by class, and the
// names of the editor commands (a key stroke stores its command by name).
#include "editor/EditorRegistration.h"

#include "editor/TeEdit.h"
#include "editor/TeEditKeyCmds.h"
#include "platform/gui/Platform.h"

// A new class of this library is registered by adding ClassInfoOf<TNewClass>()
// to the list below (its TESK_PUBLISHED alone makes it known to nobody).
void RegisterEditorLibrary() {
    static const bool done = [] {
        RegisterGuiLibrary();
        TypeInfoTTeEditorCommand();
        RegisterClasses({ClassInfoOf<TTeEditKeyStroke>(), ClassInfoOf<TTeEditKeyStrokes>(),
                         ClassInfoOf<TCustomTeEdit>(), ClassInfoOf<TTeEdit>(), ClassInfoOf<TTeMemo>(),
                         ClassInfoOf<TTeGutter>(), ClassInfoOf<TTeSelectedColor>(), ClassInfoOf<TTeBookMarkOpt>(),
                         ClassInfoOf<TTeGlyph>(), ClassInfoOf<TTeHighlighterAttributes>(),
                         ClassInfoOf<TTeCustomHighlighter>(), ClassInfoOf<TTeEditSearchCustom>()});
        return true;
    }();
    (void)done;
}
