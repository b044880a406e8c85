// The windowing library's one registration call. Nothing here relies on the
// linker keeping an object file for its static objects: a class that a form
// definition may name is listed below, so that every program and test that
// calls RegisterGuiLibrary finds it.
#include "platform/db/DbClassInfo.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/AppEvnts.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Controls.h"
#include "platform/gui/DBCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gauges.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Grids.h"
#include "platform/gui/Mask.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Platform.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"
#include "platform/gui/ValEdit.h"

// A new class of this library is registered by adding ClassInfoOf<TNewClass>()
// to the list below (its TESK_PUBLISHED alone makes it known to nobody).
void RegisterGuiLibrary() {
    static const bool done = [] {
        RegisterDbClasses();
        RegisterClasses({
            // Controls, forms and the application
            ClassInfoOf<TSizeConstraints>(), ClassInfoOf<TControl>(), ClassInfoOf<TWinControl>(),
            ClassInfoOf<TCustomControl>(), ClassInfoOf<TGraphicControl>(), ClassInfoOf<TCustomForm>(),
            ClassInfoOf<TForm>(), ClassInfoOf<THintWindow>(), ClassInfoOf<TApplication>(), ClassInfoOf<TScreen>(),
            ClassInfoOf<TCustomApplicationEvents>(), ClassInfoOf<TApplicationEvents>(),
            // Graphics
            ClassInfoOf<TGraphicsObject>(), ClassInfoOf<TFont>(), ClassInfoOf<TPen>(), ClassInfoOf<TBrush>(),
            ClassInfoOf<TGraphic>(), ClassInfoOf<TBitmap>(), ClassInfoOf<TJPEGImage>(), ClassInfoOf<TPicture>(),
            ClassInfoOf<TCustomImageList>(), ClassInfoOf<TImageList>(),
            // Standard controls
            ClassInfoOf<TWidgetControl>(), ClassInfoOf<TCustomLabel>(), ClassInfoOf<TLabel>(),
            ClassInfoOf<TButtonControl>(), ClassInfoOf<TButton>(), ClassInfoOf<TCustomCheckBox>(),
            ClassInfoOf<TCheckBox>(), ClassInfoOf<TRadioButton>(), ClassInfoOf<TCustomGroupBox>(),
            ClassInfoOf<TGroupBox>(), ClassInfoOf<TCustomEdit>(), ClassInfoOf<TEdit>(), ClassInfoOf<TCustomMemo>(),
            ClassInfoOf<TMemo>(), ClassInfoOf<TCustomComboBox>(), ClassInfoOf<TComboBox>(),
            ClassInfoOf<TCustomListBox>(), ClassInfoOf<TListBox>(), ClassInfoOf<TScrollBar>(),
            ClassInfoOf<TCustomMaskEdit>(), ClassInfoOf<TMaskEdit>(), ClassInfoOf<TSpeedButton>(),
            // Panels, shapes, pictures, groups
            ClassInfoOf<TCustomPanel>(), ClassInfoOf<TPanel>(), ClassInfoOf<TBevel>(), ClassInfoOf<TShape>(),
            ClassInfoOf<TImage>(), ClassInfoOf<TSplitter>(), ClassInfoOf<TCustomRadioGroup>(),
            ClassInfoOf<TRadioGroup>(), ClassInfoOf<TGauge>(),
            // Common controls
            ClassInfoOf<TTabSheet>(), ClassInfoOf<TPageControl>(), ClassInfoOf<TStatusPanel>(),
            ClassInfoOf<TStatusPanels>(), ClassInfoOf<TStatusBar>(), ClassInfoOf<TProgressBar>(),
            ClassInfoOf<TMonthCalendar>(),
            // Grids, the navigator
            ClassInfoOf<TInplaceEdit>(), ClassInfoOf<TCustomGrid>(), ClassInfoOf<TValueListEditor>(),
            ClassInfoOf<TNavButton>(), ClassInfoOf<TDBNavigator>(),
            // Menus, actions, dialogs, timers
            ClassInfoOf<TMenuItem>(), ClassInfoOf<TMenu>(), ClassInfoOf<TMainMenu>(), ClassInfoOf<TPopupMenu>(),
            ClassInfoOf<TBasicAction>(), ClassInfoOf<TContainedAction>(), ClassInfoOf<TCustomAction>(),
            ClassInfoOf<TAction>(), ClassInfoOf<TCustomActionList>(), ClassInfoOf<TActionList>(),
            ClassInfoOf<TCommonDialog>(), ClassInfoOf<TOpenDialog>(), ClassInfoOf<TSaveDialog>(),
            ClassInfoOf<TTimer>(),
        });
        InstallMenuHooks();
        return true;
    }();
    (void)done;
}
