// The start-up work of the other parts.
#include "app/uProgram.h"
#include "grid/DBGridGxStyle.h"
#include "platform/rtti/TypInfo.h"
#include "storage/UtSysInfo.h"

// The editor's command names (declared in editor/TeEditKeyCmds.h, whose
// command constants clash with the standard controls' names).
const TTypeInfo* TypeInfoTTeEditorCommand();

void PrepareProgram() {
    static const bool done = [] {
        RegisterDragCursors();
        DBGridGxDefaultStyle();
        TypeInfoTTeEditorCommand();
        return true;
    }();
    (void)done;
}
