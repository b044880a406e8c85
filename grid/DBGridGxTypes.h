#pragma once
// The grid's enumerations, sets and event types, shared by its column,
// selection and grid headers.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/db/DbClassInfo.h"
#include "platform/gui/Grids.h"
#include "grid/DBGridGxDrawing.h"
#include "grid/DBGridGxStyle.h"
#include "grid/DBGridGxTitles.h"
#include "grid/DBSumLst.h"
#include "grid/ToolCtrlsGx.h"
#include "platform/classes/Strings.h"
#include "platform/db/DB.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Grids.h"
#include "platform/gui/StdCtrls.h"  // TAlignment, TTextLayout and TCheckBoxState with their type information

class TCustomDBGridGx;
class TColumnGx;
class TDBGridColumnsGx;
class TColumnDefValuesGx;
class TGridDataLinkGx;
class TDBGridGxStyle;
class TReader;
class TWriter;

// ---------------------------------------------------------------------------
// Enumerations and sets

enum TDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
};
using TDBGridOptions = TEnumSet<TDBGridOption>;
enum TDBGridGxOption {
    dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart, dghHighlightFocus,
    dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking, dghEnterAsTab,
    dghTraceColSizing, dghIncSearch, dghPreferIncSearch, dghRowHighlight, dghDblClickOptimizeColWidth,
    dghDialogFind, dghRecordMoving
};
using TDBGridGxOptions = TEnumSet<TDBGridGxOption>;
enum TDBGridGxSelectionType { gstNon, gstRecordBookmarks, gstRectangle, gstColumns, gstAll };
using TDBGridGxAllowedSelections = TEnumSet<TDBGridGxSelectionType>;
enum TDBGridGxAllowedOperation { alopInsertGx, alopUpdateGx, alopDeleteGx, alopAppendGx };
using TDBGridGxAllowedOperations = TEnumSet<TDBGridGxAllowedOperation>;
enum TDBGridGxEditAction { geaCutGx, geaCopyGx, geaPasteGx, geaDeleteGx, geaSelectAllGx };
using TDBGridGxEditActions = TEnumSet<TDBGridGxEditAction>;
enum TScrollBarVisibleModeGx { sbAlwaysShowGx, sbNeverShowGx, sbAutoShowGx };
enum TColumnButtonStyleGx { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown };
enum TColumnTitleOrientationGx { tohHorizontal, tohVertical };
enum TSortMarkerGx { smNoneGx, smDownGx, smUpGx };
enum TColumnFooterValueTypeGx { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };
enum TDBLookupGridGxOption { dlgColumnResizeGx, dlgColLinesGx, dlgRowLinesGx, dlgAutoSortMarkingGx, dlgMultiSortMarkingGx };
using TDBLookupGridGxOptions = TEnumSet<TDBLookupGridGxOption>;
// Whether the collection holds columns made by code, a form or a layout file, or
// default ones made from the fields at each layout.
enum TDBGridColumnsState { csDefault, csCustomized };
// The kinds of column, in the order GetColumnType tests them.
enum TColumnGxType { ctCommon, ctPickList, ctLookupField, ctKeyPickList, ctKeyImageList, ctCheckboxes };
// The in-place editor's style for a column (stored value = declaration order).
enum TEditStyleGx { esSimpleGx, esEllipsisGx, esPickListGx, esDataListGx, esDateCalendarGx, esUpDownGx, esDropDownGx };
// Areas of the grid (GetCellType).
enum TCellAreaGx { ctIndicator, ctTitle, ctFilter, ctData, ctFiller, ctFooter };
struct TCellTypeGx {
    TCellAreaGx Horz = ctData;  // ctIndicator or ctData
    TCellAreaGx Vert = ctData;  // ctTitle, ctFilter, ctData, ctFiller or ctFooter
    int DataCol = 0;            // the column's index in Columns
    int Index = 0;              // data row (record in the window) or footer row
};

TESK_ENUM_INFO(TDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
               dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect)
TESK_SET_INFO(TDBGridOptions, TDBGridOption)
TESK_ENUM_INFO(TDBGridGxOption, dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart,
               dghHighlightFocus, dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking,
               dghEnterAsTab, dghTraceColSizing, dghIncSearch, dghPreferIncSearch, dghRowHighlight,
               dghDblClickOptimizeColWidth, dghDialogFind, dghRecordMoving)
TESK_SET_INFO(TDBGridGxOptions, TDBGridGxOption)
TESK_ENUM_INFO(TDBGridGxSelectionType, gstNon, gstRecordBookmarks, gstRectangle, gstColumns, gstAll)
TESK_SET_INFO(TDBGridGxAllowedSelections, TDBGridGxSelectionType)
TESK_ENUM_INFO(TDBGridGxAllowedOperation, alopInsertGx, alopUpdateGx, alopDeleteGx, alopAppendGx)
TESK_SET_INFO(TDBGridGxAllowedOperations, TDBGridGxAllowedOperation)
TESK_ENUM_INFO(TDBGridGxEditAction, geaCutGx, geaCopyGx, geaPasteGx, geaDeleteGx, geaSelectAllGx)
TESK_SET_INFO(TDBGridGxEditActions, TDBGridGxEditAction)
TESK_ENUM_INFO(TScrollBarVisibleModeGx, sbAlwaysShowGx, sbNeverShowGx, sbAutoShowGx)
TESK_ENUM_INFO(TColumnButtonStyleGx, cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown)
TESK_ENUM_INFO(TColumnTitleOrientationGx, tohHorizontal, tohVertical)
TESK_ENUM_INFO(TSortMarkerGx, smNoneGx, smDownGx, smUpGx)
TESK_ENUM_INFO(TColumnFooterValueTypeGx, fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText)
TESK_ENUM_INFO(TDBLookupGridGxOption, dlgColumnResizeGx, dlgColLinesGx, dlgRowLinesGx, dlgAutoSortMarkingGx,
               dlgMultiSortMarkingGx)
TESK_SET_INFO(TDBLookupGridGxOptions, TDBLookupGridGxOption)

inline constexpr TDBGridOptions kDefaultDBGridOptions{dgEditing,    dgTitles, dgIndicator, dgColumnResize,
                                                      dgColLines,   dgRowLines, dgTabs,   dgConfirmDelete,
                                                      dgCancelOnExit};
inline constexpr TDBGridGxOptions kDefaultDBGridGxOptions{dghFixed3D, dghHighlightFocus, dghClearSelection,
                                                          dghDialogFind};
inline constexpr TDBGridGxAllowedOperations kAllAllowedOperationsGx{alopInsertGx, alopUpdateGx, alopDeleteGx,
                                                                    alopAppendGx};
inline constexpr TDBGridGxAllowedSelections kAllAllowedSelectionsGx{gstRecordBookmarks, gstRectangle, gstColumns,
                                                                    gstAll};

TESK_DECLARE_EXCEPTION(EDBGridGxError, EInvalidGridOperation);

// ---------------------------------------------------------------------------
// Events

// The parameters of one cell, handed to the cell-parameter events.
class TColCellParamsGx : public TObject {
public:
    const char* ClassName() const override { return "TColCellParamsGx"; }
    TAlignment Alignment = taLeftJustify;
    TColor Background = clWindow;
    TCheckBoxState CheckboxState = cbUnchecked;
    int Col = 0;
    TFont* Font = nullptr;  // the canvas font, not owned
    int ImageIndex = -1;
    bool ReadOnly = false;
    int Row = 0;
    TGridDrawState State;
    AnsiString Text;
};

using TDBGridClickEventGx = Delegate<void(TColumnGx* Column)>;
using TDrawColumnCellEventGx =
    Delegate<void(TObject* Sender, const TRect& Rect, int DataCol, TColumnGx* Column, TGridDrawState State)>;
using TDrawDataCellEventGx = Delegate<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TDrawFooterCellEventGx =
    Delegate<void(TObject* Sender, int DataCol, int Row, TColumnGx* Column, const TRect& Rect, TGridDrawState State)>;
using TGetCellParamsEventGx =
    Delegate<void(TObject* Sender, TColumnGx* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
using TGetFooterParamsEventGx =
    Delegate<void(TObject* Sender, int DataCol, int Row, TColumnGx* Column, TFont* AFont, TColor& Background,
                  TAlignment& Alignment, TGridDrawState State, AnsiString& Text)>;
using TGetBtnParamsEventGx = Delegate<void(TObject* Sender, TColumnGx* Column, TFont* AFont, TColor& Background,
                                           TSortMarkerGx& SortMarker, bool IsDown)>;
using TCheckTitleButtonEventGx = Delegate<void(TObject* Sender, int ACol, TColumnGx* Column, bool& Enabled)>;
using TTitleButtonClickEventGx = Delegate<void(TObject* Sender, int ACol, TColumnGx* Column)>;
using TMovedEventGx = Delegate<void(TObject* Sender, int FromIndex, int ToIndex)>;
// Records named by Bookmarks moved before record Target + Offset; OnlyTest asks whether it may be done.
using TMoveRecordsEventGx =
    Delegate<bool(TObject* Sender, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest)>;
using TColCellParamsEventGx = Delegate<void(TObject* Sender, bool EditMode, TColCellParamsGx* Params)>;
using TCheckDrawRequiredStateEventGx = Delegate<void(TObject* Sender, const AnsiString& Text, bool& DrawState)>;
using TNotInListEventGx = Delegate<void(TObject* Sender, const AnsiString& NewText, bool& RecheckInList)>;
using TColumnUpdateDataEventGx =
    Delegate<void(TObject* Sender, AnsiString& Text, Variant& Value, bool& UseText, bool& Handled)>;

// Event types whose signatures only this unit uses carry their names.
TESK_EVENT_INFO(TDBGridClickEventGx)
TESK_EVENT_INFO(TDrawColumnCellEventGx)
TESK_EVENT_INFO(TDrawDataCellEventGx)
TESK_EVENT_INFO(TDrawFooterCellEventGx)
TESK_EVENT_INFO(TGetCellParamsEventGx)
TESK_EVENT_INFO(TGetFooterParamsEventGx)
TESK_EVENT_INFO(TGetBtnParamsEventGx)
TESK_EVENT_INFO(TCheckTitleButtonEventGx)
TESK_EVENT_INFO(TTitleButtonClickEventGx)
TESK_EVENT_INFO(TColCellParamsEventGx)
