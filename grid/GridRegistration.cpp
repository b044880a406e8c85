// Every class of the grid library that a form or layout may name by class.
#include "grid/GridRegistration.h"

#include "grid/CalcGx.h"
#include "grid/DBCtrlsGx.h"
#include "grid/DBCtrlsGxCheck.h"
#include "grid/DBCtrlsGxCombo.h"
#include "grid/DBGridGx.h"
#include "grid/DBGridGxDatasetFeatures.h"
#include "grid/DBGridGxFilterRow.h"
#include "grid/DBGridGxImpExp.h"
#include "grid/DBGridGxInplaceEdit.h"
#include "grid/DBGridGxInterceptors.h"
#include "grid/DBGridGxTreeNodes.h"
#include "grid/DBGridGxFindDlg.h"
#include "grid/DBLookupGridsGx.h"
#include "grid/DBSumLst.h"
#include "grid/GxLibVCL.h"
#include "grid/ToolCtrlsGx.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Platform.h"

// A new class of this library is registered by adding ClassInfoOf<TNewClass>()
// to the list below (its TESK_PUBLISHED alone makes it known to nobody).
void RegisterGridLibrary() {
    static const bool done = [] {
        RegisterGuiLibrary();
        RegisterClasses({
            // The data-aware grid, its columns and settings
            ClassInfoOf<TCustomDBGridGx>(), ClassInfoOf<TDBGridGx>(), ClassInfoOf<TDBGridGxSumList>(),
            ClassInfoOf<TDBGridGxScrollBar>(), ClassInfoOf<TVertDBGridGxScrollBar>(), ClassInfoOf<TSTDBGridGxFilter>(),
            ClassInfoOf<TColumnTitleDefValuesGx>(), ClassInfoOf<TColumnFooterDefValuesGx>(),
            ClassInfoOf<TColumnDefValuesGx>(), ClassInfoOf<TDBGridGxColumnDefValuesGx>(), ClassInfoOf<TColumnTitleGx>(),
            ClassInfoOf<TColumnFooterGx>(), ClassInfoOf<TColumnFootersGx>(), ClassInfoOf<TColumnDropDownBoxGx>(),
            ClassInfoOf<TSTColumnFilterGx>(), ClassInfoOf<TColumnGx>(), ClassInfoOf<TDBGridColumnGx>(),
            ClassInfoOf<TDBGridColumnsGx>(), ClassInfoOf<TColumnsWrapper>(), ClassInfoOf<TDBGridInplaceEdit>(),
            // Sums
            ClassInfoOf<TDBSum>(), ClassInfoOf<TDBSumCollection>(), ClassInfoOf<TDBSumListProducer>(),
            // Layout storage
            ClassInfoOf<TStoragePropertyInterceptor>(), ClassInfoOf<TFormStoragePropertyInterceptor>(),
            // Edit buttons, drop-downs, size grip
            ClassInfoOf<TSizeGripGx>(), ClassInfoOf<TEditButtonGx>(), ClassInfoOf<TVisibleEditButtonGx>(),
            ClassInfoOf<TEditButtonsGx>(), ClassInfoOf<TSpecRowGx>(), ClassInfoOf<TEditButtonControlGx>(),
            ClassInfoOf<TPopupListboxGx>(), ClassInfoOf<TMRUListboxGx>(), ClassInfoOf<TPopupMonthCalendarGx>(),
            ClassInfoOf<TMRUListGx>(), ClassInfoOf<TSpeedButtonGx>(),
            // Data-aware edits, combo and check boxes, the calculator
            ClassInfoOf<TEditImageGx>(), ClassInfoOf<TToolTipsWindow>(), ClassInfoOf<TCustomDBEditGx>(),
            ClassInfoOf<TDropDownBoxGx>(), ClassInfoOf<TCustomDBComboBoxGx>(), ClassInfoOf<TDBComboBoxGx>(), ClassInfoOf<TInplaceFilterEditGx>(),
            ClassInfoOf<TCustomDBCheckBoxGx>(), ClassInfoOf<TDBCheckBoxGx>(), ClassInfoOf<TCalculatorGx>(),
            ClassInfoOf<TPopupCalculatorGx>(),
            // The find dialog, the lookup list and its drop-down
            ClassInfoOf<TDBGridGxFindDlg>(), ClassInfoOf<TDBLookupGridGx>(), ClassInfoOf<TPopupDataGridGx>(),
            ClassInfoOf<TDBLookupGridColumnGx>(), ClassInfoOf<TGridColumnSpecCellGx>(),
            ClassInfoOf<TDBLookupGridColumnDefValuesGx>(),
        });
        // The grid's clipboard keys reach the copy and paste routines.
        RegisterGridClipboardRoutines();
        // Ctrl+F in a grid opens the find dialog.
        RegisterGridFindDialog();
        // Every form's placement can be stored through the interceptor.
        RegisterPropertyInterceptor(ClassInfoOf<TCustomForm>(), InterceptorClassOf<TFormStoragePropertyInterceptor>());
        // A grid's column order and widths can be stored the same way.
        RegisterDBGridGxPropertyInterceptors();
        // Sort markers and the filter row reach our own data sets.
        RegisterDBGridGxDatasetFeatures();
        RegisterTreeMemoryData();
        return true;
    }();
    (void)done;
}
