#pragma once
// Reports rendered through the user's template files: a header once, a body
// per selected row (that row current in its view) and a footer, with "[#...#]"
// tags filled from the current row. Combat tags also name the sums of the
// selected combats; spy-report tags may hold a conditional section, dropped
// when its "<#Field#>" is Null or "0".
#include <cstdint>

#include "platform/classes/Classes.h"
#include "platform/gui/Menus.h"

class TdmMain;
class TCustomDBGridGx;
class TDataSet;

// FastTagReplace callbacks; UserData is the data module.
void ResolveCombatTag(AnsiString& Tag, intptr_t UserData);
void ResolveEspionageTag(AnsiString& Tag, intptr_t UserData);

// Names of the files with the extension (compared without regard to case) in
// the folder, with the folder, in name order.
void ListTemplateFiles(const AnsiString& Folder, const AnsiString& Extension, TStrings* List);
// One item per listed file, captioned with its name less folder and
// extension (as text, a '&' doubled so that it shows), inserted after Anchor
// in Parent (at the top without one).
void FillTemplateMenu(TStrings* List, TMenuItem* Parent, TMenuItem* Anchor, TNotifyEvent Handler);

// Header, one body per selected row of the grid (the view moved to it) and
// footer, each with its tags filled, then the footer link line.
AnsiString RenderTemplate(const AnsiString& Header, const AnsiString& Body, const AnsiString& Footer,
                          TCustomDBGridGx* Grid, TDataSet* View, void (*Resolve)(AnsiString&, intptr_t),
                          TdmMain* Dm);
