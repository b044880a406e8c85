#pragma once
// The data-aware grid: TCustomDBGridGx shows the records of a data set, one
// record per data row and one TColumnGx per grid column; TDBGridGx publishes
// its properties. The grid reaches the data set through its data link
// (TGridDataLinkGx), which maps columns to fields and turns every data-set
// event into a grid call; its rows are the data link's record window, sized
// to the rows that fit. Columns bind to fields by name and read their
// settings through to defaults (field, grid, ColumnDefValues) until assigned.
//
// Pieces that hang on this unit and come with their own units: the cell
// painting (Paint, DrawCell), the in-place cell editor, the filter row
// (TDBGridGxFilterRowHooks), the lookup drop-down, the find dialog
// (ShowGridFindDialogHook), keyboard navigation and most of the mouse.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/db/DbClassInfo.h"
#include "platform/gui/Grids.h"
#if __has_include("platform/gui/StdCtrls.h")
// The standard controls declare the text layout and check-box state types.
#ifndef TESK_TTEXTLAYOUT_DEFINED
#define TESK_TTEXTLAYOUT_DEFINED
#endif
#ifndef TESK_TTEXTLAYOUT_INFO_DEFINED
#define TESK_TTEXTLAYOUT_INFO_DEFINED
#endif
#ifndef TESK_TCHECKBOXSTATE_DEFINED
#define TESK_TCHECKBOXSTATE_DEFINED
#endif
#endif
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

#ifndef TESK_TALIGNMENT_INFO_DEFINED
#define TESK_TALIGNMENT_INFO_DEFINED
TESK_ENUM_INFO(TAlignment, taLeftJustify, taRightJustify, taCenter)
#endif
#ifndef TESK_TTEXTLAYOUT_INFO_DEFINED
#define TESK_TTEXTLAYOUT_INFO_DEFINED
TESK_ENUM_INFO(TTextLayout, tlTop, tlCenter, tlBottom)
#endif
#ifndef TESK_TCHECKBOXSTATE_DEFINED
#define TESK_TCHECKBOXSTATE_DEFINED
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
TESK_ENUM_INFO(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
#endif

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

// ---------------------------------------------------------------------------
// Column defaults

class TColumnTitleDefValuesGx : public TPersistent {
    TESK_CLASS(TColumnTitleDefValuesGx, TPersistent)
public:
    explicit TColumnTitleDefValuesGx(TColumnDefValuesGx* Owner) : owner_(Owner) {}
    void Assign(TPersistent* Source) override;
    // Own values once assigned; else taLeftJustify and the grid's FixedColor.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool IsAlignmentStored() const { return alignmentAssigned_; }
    TColor Color() const;
    void SetColor(TColor Value);
    bool IsColorStored() const { return colorAssigned_; }
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool Value);
    TColumnTitleOrientationGx Orientation() const { return orientation_; }
    void SetOrientation(TColumnTitleOrientationGx Value);
    bool TitleButton() const { return titleButton_; }
    void SetTitleButton(bool Value);
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool Value);

protected:
    TPersistent* GetOwner() override;

private:
    void Changed(bool Layout);
    TColumnDefValuesGx* owner_;
    TAlignment alignment_ = taLeftJustify;
    bool alignmentAssigned_ = false;
    TColor color_ = clBtnFace;
    bool colorAssigned_ = false;
    bool endEllipsis_ = false;
    TColumnTitleOrientationGx orientation_ = tohHorizontal;
    bool titleButton_ = false;
    bool toolTips_ = false;
};

class TColumnFooterDefValuesGx : public TPersistent {
    TESK_CLASS(TColumnFooterDefValuesGx, TPersistent)
public:
    explicit TColumnFooterDefValuesGx(TColumnDefValuesGx* Owner) : owner_(Owner) {}
    void Assign(TPersistent* Source) override;
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool Value);

protected:
    TPersistent* GetOwner() override;

private:
    TColumnDefValuesGx* owner_;
    bool toolTips_ = false;
};

// Grid-wide column defaults: a column whose own value is not assigned reads these.
class TColumnDefValuesGx : public TPersistent {
    TESK_CLASS(TColumnDefValuesGx, TPersistent)
public:
    explicit TColumnDefValuesGx(TCustomDBGridGx* Grid);
    ~TColumnDefValuesGx() override;
    void Assign(TPersistent* Source) override;
    TCustomDBGridGx* Grid() const { return grid_; }

    bool AlwaysShowEditButton() const { return alwaysShowEditButton_; }
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool Value);
    bool DblClickNextVal() const { return dblClickNextVal_; }
    void SetDblClickNextVal(bool Value);
    bool DropDownShowTitles() const { return dropDownShowTitles_; }
    void SetDropDownShowTitles(bool Value);
    bool DropDownSizing() const { return dropDownSizing_; }
    void SetDropDownSizing(bool Value);
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool Value);
    bool HighlightRequired() const { return highlightRequired_; }
    void SetHighlightRequired(bool Value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout Value);
    TColumnTitleDefValuesGx* Title() const { return title_; }
    void SetTitle(TColumnTitleDefValuesGx* Value) { title_->Assign(Value); }
    bool ToolTips() const { return toolTips_; }
    void SetToolTips(bool Value);
    TColumnFooterDefValuesGx* Footer() const { return footer_; }
    void SetFooter(TColumnFooterDefValuesGx* Value) { footer_->Assign(Value); }

    // A default changed: the grid lays out again (Layout) or repaints.
    void Changed(bool Layout);

protected:
    TPersistent* GetOwner() override;

private:
    TCustomDBGridGx* grid_;
    bool alwaysShowEditButton_ = false;
    bool autoDropDown_ = false;
    bool dblClickNextVal_ = false;
    bool dropDownShowTitles_ = false;
    bool dropDownSizing_ = false;
    bool endEllipsis_ = false;
    bool highlightRequired_ = false;
    TTextLayout layout_ = tlTop;
    TColumnTitleDefValuesGx* title_;
    bool toolTips_ = false;
    TColumnFooterDefValuesGx* footer_;
};

class TDBGridGxColumnDefValuesGx : public TColumnDefValuesGx {
    TESK_CLASS(TDBGridGxColumnDefValuesGx, TColumnDefValuesGx)
public:
    using TColumnDefValuesGx::TColumnDefValuesGx;
};

// ---------------------------------------------------------------------------
// Titles, footers, drop-down settings, column filters

class TColumnTitleGx : public TPersistent {
    TESK_CLASS(TColumnTitleGx, TPersistent)
public:
    explicit TColumnTitleGx(TColumnGx* Column);
    ~TColumnTitleGx() override;
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    AnsiString Caption() const;
    void SetCaption(const AnsiString& Value);
    TColor Color() const;
    void SetColor(TColor Value);
    bool EndEllipsis() const;
    void SetEndEllipsis(bool Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value) { hint_ = Value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TColumnTitleOrientationGx Orientation() const;
    void SetOrientation(TColumnTitleOrientationGx Value);
    int SortIndex() const { return sortIndex_; }
    void SetSortIndex(int Value);
    TSortMarkerGx SortMarker() const { return sortMarker_; }
    void SetSortMarker(TSortMarkerGx Value);
    bool TitleButton() const;
    void SetTitleButton(bool Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);

    // Stored rules: assigned and different from the default (the font: assigned).
    bool IsAlignmentStored() const;
    bool IsCaptionStored() const;
    bool IsColorStored() const;
    bool IsEndEllipsisStored() const;
    bool IsFontStored() const;
    bool IsOrientationStored() const;
    bool IsTitleButtonStored() const;
    bool IsToolTipsStored() const;

    TAlignment DefaultAlignment() const;
    AnsiString DefaultCaption() const;
    TColor DefaultColor() const;
    bool DefaultEndEllipsis() const;
    TFont* DefaultFont() const;
    TColumnTitleOrientationGx DefaultOrientation() const;
    bool DefaultTitleButton() const;
    bool DefaultToolTips() const;
    void RestoreDefaults();
    // Copies the default font again (a font that is not assigned follows its default).
    void RefreshDefaultFont();
    // Steps the sort marker: none, down, up, then none with Multi or down again without.
    void SetNextSortMarker(bool Multi);
    int GetSortMarkingWidth();

protected:
    TPersistent* GetOwner() override;

private:
    friend class TColumnGx;
    friend class TCustomDBGridGx;
    void FontChanged(TObject* Sender);
    TColumnGx* column_;
    TAlignment alignment_ = taLeftJustify;
    AnsiString caption_;
    TColor color_ = clBtnFace;
    bool endEllipsis_ = false;
    TFont* font_;
    AnsiString hint_;
    int imageIndex_ = -1;
    TColumnTitleOrientationGx orientation_ = tohHorizontal;
    int sortIndex_ = 0;
    TSortMarkerGx sortMarker_ = smNoneGx;
    bool titleButton_ = false;
    bool toolTips_ = false;
    bool copyingFont_ = false;
};

class TColumnFooterGx : public TCollectionItem {
    TESK_CLASS(TColumnFooterGx, TCollectionItem)
public:
    // As an item of a column's Footers.
    explicit TColumnFooterGx(TCollection* Collection);
    // A column's single Footer.
    static TColumnFooterGx* CreateCol(TColumnGx* Column);
    ~TColumnFooterGx() override;
    void BeforeDestruction() override;
    // Frees the footer's aggregate in the grid's sum list.
    void ReleaseSum();
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TColor Color() const;
    void SetColor(TColor Value);
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& Value);
    bool EndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool Value);
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);
    const AnsiString& Value() const { return value_; }
    void SetValue(const AnsiString& Value);
    TColumnFooterValueTypeGx ValueType() const { return valueType_; }
    void SetValueType(TColumnFooterValueTypeGx Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);

    bool IsAlignmentStored() const { return alignmentAssigned_ && alignment_ != DefaultAlignment(); }
    bool IsColorStored() const { return colorAssigned_ && color_ != DefaultColor(); }
    bool IsFontStored() const { return fontAssigned_; }
    bool IsToolTipsStored() const { return toolTipsAssigned_ && toolTips_; }
    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    bool DefaultToolTips() const;
    void RestoreDefaults();
    void RefreshDefaultFont();
    // Keeps the footer's aggregate in the grid's sum list in step with ValueType.
    void EnsureSumValue();
    TDBSum* SumItem() const { return sumItem_; }

private:
    TColumnFooterGx(TColumnGx* Column, bool);
    void Init();
    void FontChanged(TObject* Sender);
    void ColumnChanged(bool AllItems);
    TCustomDBGridGx* Grid() const;
    TColumnGx* column_ = nullptr;
    bool alignmentAssigned_ = false, fontAssigned_ = false, colorAssigned_ = false, toolTipsAssigned_ = false;
    TAlignment alignment_ = taLeftJustify;
    TColor color_ = clWindow;
    AnsiString displayFormat_;
    bool endEllipsis_ = false;
    AnsiString fieldName_;
    TFont* font_ = nullptr;
    AnsiString value_;
    TColumnFooterValueTypeGx valueType_ = fvtNon;
    bool wordWrap_ = false;
    bool toolTips_ = false;
    TDBSum* sumItem_ = nullptr;
    bool copyingFont_ = false;
};

class TColumnFootersGx : public TCollection {
    TESK_CLASS(TColumnFootersGx, TCollection)
public:
    explicit TColumnFootersGx(TColumnGx* Column);
    TColumnGx* Column() const { return column_; }
    TColumnFooterGx* Items(int Index) const { return static_cast<TColumnFooterGx*>(TCollection::Items(Index)); }
    TColumnFooterGx* Add() { return static_cast<TColumnFooterGx*>(TCollection::Add()); }

protected:
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;

private:
    TColumnGx* column_;
};

// The settings of a column's drop-down lookup list.
class TColumnDropDownBoxGx : public TPersistent {
    TESK_CLASS(TColumnDropDownBoxGx, TPersistent)
public:
    explicit TColumnDropDownBoxGx(TColumnGx* Column);
    ~TColumnDropDownBoxGx() override;
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    bool AutoFitColWidths() const { return autoFitColWidths_; }
    void SetAutoFitColWidths(bool Value) { autoFitColWidths_ = Value; }
    TColumnDefValuesGx* ColumnDefValues() const { return columnDefValues_; }
    void SetColumnDefValues(TColumnDefValuesGx* Value);
    TDBGridColumnsGx* Columns() const { return columns_; }
    void SetColumns(TDBGridColumnsGx* Value);
    bool IsColumnsStored() const;
    TDataSource* ListSource() const { return listSource_; }
    void SetListSource(TDataSource* Value);
    TDBLookupGridGxOptions Options() const { return options_; }
    void SetOptions(TDBLookupGridGxOptions Value) { options_ = Value; }
    bool UseMultiTitle() const { return useMultiTitle_; }
    void SetUseMultiTitle(bool Value) { useMultiTitle_ = Value; }

protected:
    TPersistent* GetOwner() override;

private:
    TColumnGx* column_;
    bool autoFitColWidths_ = true;
    TColumnDefValuesGx* columnDefValues_;
    TDBGridColumnsGx* columns_;
    TDataSource* listSource_ = nullptr;
    TDBLookupGridGxOptions options_{dlgColLinesGx};
    bool useMultiTitle_ = false;
};

// A column's settings for the filter row.
class TSTColumnFilterGx : public TPersistent {
    TESK_CLASS(TSTColumnFilterGx, TPersistent)
public:
    explicit TSTColumnFilterGx(TColumnGx* Column);
    ~TSTColumnFilterGx() override;
    void Assign(TPersistent* Source) override;
    TColumnGx* Column() const { return column_; }

    const AnsiString& DataField() const { return dataField_; }
    void SetDataField(const AnsiString& Value) { dataField_ = Value; }
    const AnsiString& KeyField() const { return keyField_; }
    void SetKeyField(const AnsiString& Value) { keyField_ = Value; }
    const AnsiString& ListField() const { return listField_; }
    void SetListField(const AnsiString& Value) { listField_ = Value; }
    TDataSource* ListSource() const { return listSource_; }
    void SetListSource(TDataSource* Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    // The text typed into the column's filter cell.
    const AnsiString& ExpressionText() const { return expressionText_; }
    void SetExpressionText(const AnsiString& Value) { expressionText_ = Value; }
    // The size the user gave the filter drop-down (0 until sized).
    int DropDownWidth = 0;
    int DropDownRows = 0;

protected:
    TPersistent* GetOwner() override;

private:
    TColumnGx* column_;
    AnsiString dataField_;
    AnsiString keyField_;
    AnsiString listField_;
    TDataSource* listSource_ = nullptr;
    bool visible_ = true;
    AnsiString expressionText_;
};

// ---------------------------------------------------------------------------
// Columns

class TColumnGx : public TCollectionItem {
    TESK_CLASS(TColumnGx, TCollectionItem)
public:
    // Values that a column holds only once assigned.
    enum TValue : uint32_t {
        cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment,
        cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation, cvImeMode, cvImeName,
        cvWordWrap, cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown,
        cvDblClickNextVal, cvToolTips, cvDropDownSizing, cvDropDownShowTitles, cvLayout, cvHighlightRequired,
        cvBiDiMode
    };

    explicit TColumnGx(TCollection* Collection);
    ~TColumnGx() override;
    void BeforeDestruction() override;
    void Assign(TPersistent* Source) override;
    void SetIndex(int Value) override;

    TCustomDBGridGx* GetGrid() const;
    TCustomDBGridGx* Grid() const { return GetGrid(); }
    bool IsAssigned(TValue Value) const { return (assigned_ >> Value) & 1u; }
    uint32_t AssignedValues() const { return assigned_; }
    // A default column is made by the layout from a field; any other is customized.
    virtual bool IsDefaultColumn() const { return !customized_; }
    int InitWidth() const { return initWidth_; }
    void SetInitWidth(int Value) { initWidth_ = Value; }

    // The bound field; binds by FieldName on first use.
    TField* Field();
    virtual void SetField(TField* Value);
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);

    // Published properties in declaration order.
    TAlignment Alignment();
    virtual void SetAlignment(TAlignment Value);
    bool AlwaysShowEditButton() const;
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const;
    void SetAutoDropDown(bool Value);
    bool AutoFitColWidth() const { return autoFitColWidth_; }
    virtual void SetAutoFitColWidth(bool Value);
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode Value);
    TColumnButtonStyleGx ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyleGx Value);
    bool Checkboxes() const;
    void SetCheckboxes(bool Value);
    TColor Color() const;
    void SetColor(TColor Value);
    bool DblClickNextVal() const;
    void SetDblClickNextVal(bool Value);
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& Value);
    TColumnDropDownBoxGx* DropDownBox() const { return dropDownBox_; }
    void SetDropDownBox(TColumnDropDownBoxGx* Value) { dropDownBox_->Assign(Value); }
    TSpecRowGx* DropDownSpecRow() const { return dropDownSpecRow_; }
    void SetDropDownSpecRow(TSpecRowGx* Value) { dropDownSpecRow_->Assign(Value); }
    uint32_t DropDownRows() const { return dropDownRows_; }
    void SetDropDownRows(uint32_t Value) { dropDownRows_ = Value; }
    bool DropDownShowTitles() const;
    void SetDropDownShowTitles(bool Value);
    bool DropDownSizing() const;
    void SetDropDownSizing(bool Value);
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int Value) { dropDownWidth_ = Value; }
    TEditButtonsGx* EditButtons() const { return editButtons_; }
    void SetEditButtons(TEditButtonsGx* Value) { editButtons_->Assign(Value); }
    const AnsiString& EditMask() const { return editMask_; }
    void SetEditMask(const AnsiString& Value) { editMask_ = Value; }
    bool EndEllipsis() const;
    void SetEndEllipsis(bool Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    TColumnFooterGx* Footer() const { return footer_; }
    void SetFooter(TColumnFooterGx* Value) { footer_->Assign(Value); }
    TColumnFootersGx* Footers() const { return footers_; }
    void SetFooters(TColumnFootersGx* Value) { footers_->Assign(Value); }
    bool HideDuplicates() const { return hideDuplicates_; }
    virtual void SetHideDuplicates(bool Value);
    bool HighlightRequired() const;
    virtual void SetHighlightRequired(bool Value);
    TCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TCustomImageList* Value);
    TImeMode ImeMode() const;
    virtual void SetImeMode(TImeMode Value);
    TImeName ImeName() const;
    virtual void SetImeName(const TImeName& Value);
    double Increment() const { return increment_; }
    void SetIncrement(double Value) { increment_ = Value; }
    TStrings* KeyList();
    void SetKeyList(TStrings* Value);
    TTextLayout Layout() const;
    void SetLayout(TTextLayout Value);
    AnsiString LookupDisplayFields();
    virtual void SetLookupDisplayFields(const AnsiString& Value);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int Value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int Value);
    TMRUListGx* MRUList() const { return mruList_; }
    void SetMRUList(TMRUListGx* Value) { mruList_->Assign(Value); }
    int NotInKeyListIndex() const { return notInKeyListIndex_; }
    void SetNotInKeyListIndex(int Value);
    TStrings* PickList();
    void SetPickList(TStrings* Value);
    TComponent* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TComponent* Value);
    bool ReadOnly();
    virtual void SetReadOnly(bool Value);
    bool ShowImageAndText() const { return showImageAndText_; }
    void SetShowImageAndText(bool Value);
    TSTColumnFilterGx* STFilter() const { return stFilter_; }
    void SetSTFilter(TSTColumnFilterGx* Value) { stFilter_->Assign(Value); }
    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }
    TColumnTitleGx* Title() const { return title_; }
    void SetTitle(TColumnTitleGx* Value) { title_->Assign(Value); }
    bool ToolTips() const;
    void SetToolTips(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int Width();
    virtual void SetWidth(int Value);
    bool WordWrap();
    virtual void SetWordWrap(bool Value);

    TCheckDrawRequiredStateEventGx OnCheckDrawRequiredState;
    TCheckTitleButtonEventGx OnDropDownBoxCheckButton;
    TDrawColumnCellEventGx OnDropDownBoxDrawColumnCell;
    TGetCellParamsEventGx OnDropDownBoxGetCellParams;
    TNotifyEvent OnDropDownBoxSortMarkingChanged;
    TTitleButtonClickEventGx OnDropDownBoxTitleBtnClick;
    TButtonClickEventGx OnEditButtonClick;
    TButtonDownEventGx OnEditButtonDown;
    TColCellParamsEventGx OnGetCellParams;
    TNotInListEventGx OnNotInList;
    TColumnUpdateDataEventGx OnUpdateData;

    // Stored rules of the flagged properties.
    bool IsAlignmentStored();
    bool IsAlwaysShowEditButtonStored() const;
    bool IsAutoDropDownStored() const;
    bool IsBiDiModeStored() const { return IsAssigned(cvBiDiMode); }
    bool IsCheckboxesStored() const { return IsAssigned(cvCheckboxes); }
    bool IsColorStored() const;
    bool IsDblClickNextValStored() const;
    bool IsDropDownShowTitlesStored() const;
    bool IsDropDownSizingStored() const;
    bool IsEndEllipsisStored() const;
    bool IsFontStored() const { return IsAssigned(cvFont); }
    bool IsHighlightRequiredStored() const;
    bool IsImeModeStored() const;
    bool IsImeNameStored() const;
    bool IsIncrementStored() const { return increment_ != 1.0; }
    bool IsLayoutStored() const;
    bool IsLookupDisplayFieldsStored();
    bool IsReadOnlyStored();
    bool IsToolTipsStored() const;
    bool IsWidthStored();
    bool IsWordWrapStored();

    // Defaults the unassigned values read.
    TAlignment DefaultAlignment();
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    TImeMode DefaultImeMode() const;
    TImeName DefaultImeName() const;
    AnsiString DefaultLookupDisplayFields();
    bool DefaultReadOnly();
    int DefaultWidth();
    bool DefaultWordWrap();

    virtual void RestoreDefaults();
    // The column changed; AllItems when the whole grid must lay out again.
    void Changed(bool AllItems) override;
    // The column's font follows the grid's again.
    void RefreshDefaultFont();
    // The width the width limits allow for W.
    int AllowableWidth(int W) const;

    TColumnGxType GetColumnType();
    bool CanModify(bool TryEdit);
    AnsiString GetDisplayText();
    int GetImageIndex();
    TCheckBoxState GetCheckboxState();
    void SetCheckboxValue(TCheckBoxState Value);
    void SetNextFieldValue(double Step);
    void UpdateDataValues(const AnsiString& Text, const Variant& Value, bool UseText);
    // Positions the lookup field's list data set on the current record's key; whether found.
    bool LocateLookupRecord();
    // The current record's cell parameters into Params (text, font, colours, image, check box).
    void FillColCellParams(TColCellParamsGx* Params);
    virtual void GetColCellParams(bool EditMode, TColCellParamsGx* Params);
    int GetEditButtonsWidth();
    virtual int OptimizeWidth();
    void EnsureSumValues();
    // The footer of footer row R.
    TColumnFooterGx* UsedFooter(int Index) const;
    virtual bool UseRightToLeftAlignment() const;
    bool UseRightToLeftReading() const;
    // A change of the drop-down's special row.
    virtual void DropDownSpecRowChanged(TObject* Sender);

    // The cached distinct values of the column's field for the filter drop-down (kept by the filter-row unit).
    std::shared_ptr<TObject> FilterValueList;

protected:
    AnsiString GetDisplayName() const override;
    virtual TEditButtonsGx* CreateEditButtons();
    virtual TColumnTitleGx* CreateTitle();
    virtual TColumnFooterGx* CreateFooter();
    virtual TColumnFootersGx* CreateFooters();
    virtual TSTColumnFilterGx* CreateSTFilter();
    // Sets or clears one assigned flag.
    void SetAssigned(TValue Value, bool On);

private:
    friend class TColumnTitleGx;
    friend class TDBGridColumnsGx;
    friend class TCustomDBGridGx;
    void FontChanged(TObject* Sender);
    void ImageListChanged(TObject* Sender);
    void EditButtonsChanged(TObject* Sender);
    void ListsChanged(TObject* Sender);
    int DefaultWidthIn(TFont* AFont);
    bool DefaultColumnOfActiveLink();
    TDataSet* GridDataSet() const;
    void InvalidateGrid();
    TField* ModifiedField();

    TField* field_ = nullptr;
    AnsiString fieldName_;
    uint32_t assigned_ = 0;
    bool customized_ = true;
    int initWidth_ = 0;

    TAlignment alignment_ = taLeftJustify;
    bool alwaysShowEditButton_ = false;
    bool autoDropDown_ = false;
    bool autoFitColWidth_ = true;
    TBiDiMode biDiMode_ = bdLeftToRight;
    TColumnButtonStyleGx buttonStyle_ = cbsAuto;
    bool checkboxes_ = false;
    TColor color_ = clWindow;
    bool dblClickNextVal_ = false;
    AnsiString displayFormat_;
    TColumnDropDownBoxGx* dropDownBox_ = nullptr;
    TSpecRowGx* dropDownSpecRow_ = nullptr;
    TEditButtonsGx* editButtons_ = nullptr;
    TMRUListGx* mruList_ = nullptr;
    uint32_t dropDownRows_ = 7;
    bool dropDownShowTitles_ = false;
    bool dropDownSizing_ = false;
    int dropDownWidth_ = 0;
    AnsiString editMask_;
    bool endEllipsis_ = false;
    TFont* font_ = nullptr;
    TColumnFooterGx* footer_ = nullptr;
    TColumnFootersGx* footers_ = nullptr;
    bool hideDuplicates_ = false;
    bool highlightRequired_ = false;
    TCustomImageList* imageList_ = nullptr;
    TChangeLink* imageLink_ = nullptr;
    TImeMode imeMode_ = imDontCare;
    TImeName imeName_;
    double increment_ = 1.0;
    TStringList* keyList_ = nullptr;
    TTextLayout layout_ = tlTop;
    AnsiString lookupDisplayFields_;
    int maxWidth_ = 0;
    int minWidth_ = 0;
    int notInKeyListIndex_ = -1;
    TStringList* pickList_ = nullptr;
    TComponent* popupMenu_ = nullptr;
    bool readOnly_ = false;
    bool showImageAndText_ = false;
    TSTColumnFilterGx* stFilter_ = nullptr;
    int tag_ = 0;
    TColumnTitleGx* title_ = nullptr;
    bool toolTips_ = false;
    bool visible_ = true;
    int width_ = 64;
    bool wordWrap_ = false;
    bool copyingFont_ = false;
    bool constructing_ = true;
};

// The grid's column class: publishes the column's properties.
class TDBGridColumnGx : public TColumnGx {
    TESK_CLASS(TDBGridColumnGx, TColumnGx)
public:
    using TColumnGx::TColumnGx;
};

class TDBGridColumnsGx : public TCollection {
    TESK_CLASS(TDBGridColumnsGx, TCollection)
public:
    TDBGridColumnsGx(TCustomDBGridGx* Grid, TCollectionItemClass ItemClass);
    TCustomDBGridGx* Grid() const { return grid_; }
    TColumnGx* Items(int Index) const { return static_cast<TColumnGx*>(TCollection::Items(Index)); }
    TColumnGx* operator[](int Index) const { return Items(Index); }
    TColumnGx* Add() { return static_cast<TColumnGx*>(TCollection::Add()); }
    // A column that the layout made from a field (not customized).
    TColumnGx* AddDefaultColumn();
    TDBGridColumnsState State() const;
    // Drops every column's cached list of filter values.
    void ReleaseFilterValueLists();

protected:
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;

private:
    TCustomDBGridGx* grid_;
};

// Columns that a list holds without owning them.
class TColumnsGxList : public TObject {
public:
    const char* ClassName() const override { return "TColumnsGxList"; }
    int Count() const { return static_cast<int>(items_.size()); }
    TColumnGx* Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
    TColumnGx* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, TColumnGx* Value) { items_.at(static_cast<size_t>(Index)) = Value; }
    int Add(TColumnGx* Column) {
        items_.push_back(Column);
        return Count() - 1;
    }
    void Insert(int Index, TColumnGx* Column) { items_.insert(items_.begin() + Index, Column); }
    void Delete(int Index) { items_.erase(items_.begin() + Index); }
    int IndexOf(const TColumnGx* Column) const;
    int Remove(TColumnGx* Column);
    void SetCount(int Value) { items_.resize(static_cast<size_t>(std::max(0, Value)), nullptr); }
    virtual void Clear() { items_.clear(); }

private:
    std::vector<TColumnGx*> items_;
};

// ---------------------------------------------------------------------------
// Grid-level settings objects

// The grid's sum list: the aggregates its footers show.
class TDBGridGxSumList : public TDBSumListProducer {
    TESK_CLASS(TDBGridGxSumList, TDBSumListProducer)
public:
    explicit TDBGridGxSumList(TComponent* AOwner);
};

class TDBGridGxScrollBar : public TPersistent {
    TESK_CLASS(TDBGridGxScrollBar, TPersistent)
public:
    TDBGridGxScrollBar(TCustomDBGridGx* Grid, int Kind);
    ~TDBGridGxScrollBar() override;
    void Assign(TPersistent* Source) override;
    TCustomDBGridGx* Grid() const { return grid_; }
    int Kind() const { return kind_; }  // SB_HORZ or SB_VERT

    // An external scroll bar control; its scrolling is wired to the grid by the scroll-bar unit.
    TComponent* ExtScrollBar() const { return extScrollBar_; }
    void SetExtScrollBar(TComponent* Value);
    bool Tracking() const { return tracking_; }
    void SetTracking(bool Value) { tracking_ = Value; }
    bool Visible() const { return visibleMode_ != sbNeverShowGx; }
    void SetVisible(bool Value);
    TScrollBarVisibleModeGx VisibleMode() const { return visibleMode_; }
    void SetVisibleMode(TScrollBarVisibleModeGx Value);
    // The window's bar of the kind (or the external bar) is on screen.
    bool IsScrollBarShowing();

protected:
    TPersistent* GetOwner() override;

private:
    TCustomDBGridGx* grid_;
    int kind_;
    TComponent* extScrollBar_ = nullptr;
    bool tracking_ = false;
    TScrollBarVisibleModeGx visibleMode_ = sbAutoShowGx;
};

class TVertDBGridGxScrollBar : public TDBGridGxScrollBar {
    TESK_CLASS(TVertDBGridGxScrollBar, TDBGridGxScrollBar)
public:
    explicit TVertDBGridGxScrollBar(TCustomDBGridGx* Grid) : TDBGridGxScrollBar(Grid, SB_VERT) {}
};

// The grid's filter-row switch.
class TSTDBGridGxFilter : public TPersistent {
    TESK_CLASS(TSTDBGridGxFilter, TPersistent)
public:
    explicit TSTDBGridGxFilter(TCustomDBGridGx* Grid) : grid_(Grid) {}
    void Assign(TPersistent* Source) override;
    TCustomDBGridGx* Grid() const { return grid_; }
    bool Local() const { return local_; }
    void SetLocal(bool Value) { local_ = Value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate() { --updateCount_; }
    int UpdateCount() const { return updateCount_; }

protected:
    TPersistent* GetOwner() override;

private:
    TCustomDBGridGx* grid_;
    bool local_ = false;
    bool visible_ = false;
    int updateCount_ = 0;
};

// What the filter-row unit plugs into every grid: its editor and how the grid
// tells it about layout, focus and the end of editing. Without it a visible
// filter row takes its row but has no editor.
struct TDBGridGxFilterRowHooks {
    // Makes the filter-row editor of a grid (owned and parented by the grid).
    TWinControl* (*CreateEditor)(TCustomDBGridGx* Grid) = nullptr;
    // Places the editor again after a layout or a change of column widths.
    void (*UpdateEditor)(TCustomDBGridGx* Grid) = nullptr;
    // Ends filter-row editing (the editor keeps its text).
    void (*StopEdit)(TCustomDBGridGx* Grid) = nullptr;
    // Whether the filter row is being edited.
    bool (*Editing)(TCustomDBGridGx* Grid) = nullptr;
};
void SetDBGridGxFilterRowHooks(const TDBGridGxFilterRowHooks& Hooks);
const TDBGridGxFilterRowHooks& DBGridGxFilterRowHooks();

// The find dialog's entry, stored by the find-dialog unit when it starts:
// (grid, text to search, columns to search in (captions with their column
// objects; nullptr for the visible columns), modal).
using TShowGridFindDialogProc = void (*)(TCustomDBGridGx* Grid, const AnsiString& Text, TStrings* Columns, bool Modal);
extern TShowGridFindDialogProc ShowGridFindDialogHook;


// ---------------------------------------------------------------------------
// Selected rows and the selection

// The selected records as bookmarks, kept in the data set's bookmark order.
class TBookmarkListGx : public TObject {
public:
    explicit TBookmarkListGx(TCustomDBGridGx* Grid);
    ~TBookmarkListGx() override;
    const char* ClassName() const override { return "TBookmarkListGx"; }

    int Count() const { return list_->Count(); }
    TBookmarkStr Items(int Index) const { return list_->Strings(Index); }
    TBookmarkStr operator[](int Index) const { return Items(Index); }
    // The data set's current record; EDBGridGxError when the grid's link is not active.
    TBookmarkStr CurrentRow() const;
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool Value);
    // Binary search: whether found, and the place it is or would be inserted.
    bool Find(const TBookmarkStr& Item, int& Index) const;
    int IndexOf(const TBookmarkStr& Item) const;
    int Compare(const TBookmarkStr& Item1, const TBookmarkStr& Item2) const;
    void Clear();
    // Deletes every selected record from the data set, the last one first.
    void Delete();
    void LinkActive(bool Value);
    // The rows on screen of the selected records.
    TGridRect GetGridRect();

private:
    void ListChanged(TObject* Sender);
    TCustomDBGridGx* grid_;
    std::unique_ptr<TStringList> list_;
    mutable TBookmarkStr cacheBookmark_;
    mutable int cacheIndex_ = -1;
    mutable bool cacheFound_ = false;
    bool linkActive_ = false;
};

// The grid's one selection: rows, a rectangle, columns or everything. The
// rectangle and the column parts come with the selection unit; here the
// selection keeps its kind and the selected rows.
class TDBGridGxSelection : public TObject {
public:
    explicit TDBGridGxSelection(TCustomDBGridGx* Grid) : grid_(Grid) {}
    const char* ClassName() const override { return "TDBGridGxSelection"; }
    TDBGridGxSelectionType SelectionType() const { return selectionType_; }
    void SetSelectionType(TDBGridGxSelectionType Value);
    TBookmarkListGx* Rows() const;
    void Clear();
    void SelectAll();
    void UpdateState();
    bool DataCellSelected(int DataCol, const TBookmarkStr& Bookmark) const;
    TGridRect GetGridRect();
    void LinkActive(bool Value);
    virtual void SelectionChanged();

private:
    friend class TBookmarkListGx;
    TCustomDBGridGx* grid_;
    TDBGridGxSelectionType selectionType_ = gstNon;
};

// ---------------------------------------------------------------------------
// The data link

class TGridDataLinkGx : public TDataLink {
public:
    explicit TGridDataLinkGx(TCustomDBGridGx* Grid);
    ~TGridDataLinkGx() override;
    const char* ClassName() const override { return "TGridDataLinkGx"; }

    TCustomDBGridGx* Grid() const { return grid_; }
    // Appends the index of the field named FieldName (-1 when there is none) and answers it.
    int AddMapping(const AnsiString& FieldName);
    void ClearMapping();
    // The mapped field at I, nullptr outside the map or for an unmatched name.
    TField* GetMappedField(int Index) const;
    int MappedCount() const { return mapSize_; }
    bool DefaultFields() const;
    bool SparseMap() const { return sparseMap_; }
    void SetSparseMap(bool Value) { sparseMap_ = Value; }
    bool InUpdateData() const { return inUpdateData_; }
    bool IsModified() const { return modified_; }
    void Modified() { modified_ = true; }
    // Puts back the field values (a pending cell edit) or cancels the record.
    void Reset();
    int MoveBy(int Distance) override;
    using TDataLink::FirstRecord;

    // Public entries for the grid and its tests.
    void NotifyUpdateData() { UpdateData(); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    TCustomDBGridGx* grid_;
    std::vector<int32_t> fieldMap_;
    int mapSize_ = 0;
    int mapCapacity_ = 0;
    bool inUpdateData_ = false;
    bool modified_ = false;
    bool sparseMap_ = false;
};

// ---------------------------------------------------------------------------
// The grid

class TCustomDBGridGx : public TCustomGrid {
    TESK_CLASS(TCustomDBGridGx, TCustomGrid)
public:
    explicit TCustomDBGridGx(TComponent* AOwner);
    ~TCustomDBGridGx() override;
    void BeforeDestruction() override;
    void Loaded() override;
    void DefineProperties(TFiler& Filer) override;

    // ---- published state, in declaration order
    TDBGridGxAllowedOperations AllowedOperations() const { return allowedOperations_; }
    void SetAllowedOperations(TDBGridGxAllowedOperations Value) { allowedOperations_ = Value; }
    TDBGridGxAllowedSelections AllowedSelections() const { return allowedSelections_; }
    void SetAllowedSelections(TDBGridGxAllowedSelections Value);
    bool AutoFitColWidths() const { return autoFitColWidths_; }
    void SetAutoFitColWidths(bool Value);
    TColumnDefValuesGx* ColumnDefValues() const { return columnDefValues_; }
    void SetColumnDefValues(TColumnDefValuesGx* Value) { columnDefValues_->Assign(Value); }
    TDBGridColumnsGx* Columns() const { return columns_; }
    void SetColumns(TDBGridColumnsGx* Value) { columns_->Assign(Value); }
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    bool DrawMemoText() const { return drawMemoText_; }
    void SetDrawMemoText(bool Value);
    TDBGridGxEditActions EditActions() const { return editActions_; }
    void SetEditActions(TDBGridGxEditActions Value) { editActions_ = Value; }
    TColor EvenRowColor() const { return evenRowColorSet_ ? evenRowColor_ : Color(); }
    void SetEvenRowColor(TColor Value);
    bool IsEvenRowColorStored() const { return evenRowColorSet_; }
    TColor OddRowColor() const { return oddRowColorSet_ ? oddRowColor_ : Color(); }
    void SetOddRowColor(TColor Value);
    bool IsOddRowColorStored() const { return oddRowColorSet_; }
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    TColor FooterColor() const { return footerColor_; }
    void SetFooterColor(TColor Value);
    TFont* FooterFont() const { return footerFont_; }
    void SetFooterFont(TFont* Value) { footerFont_->Assign(Value); }
    int FooterRowCount() const { return footerRowCount_; }
    void SetFooterRowCount(int Value);
    int FrozenCols() const { return frozenCols_; }
    void SetFrozenCols(int Value);
    TDBGridGxScrollBar* HorzScrollBar() const { return horzScrollBar_; }
    void SetHorzScrollBar(TDBGridGxScrollBar* Value) { horzScrollBar_->Assign(Value); }
    TVertDBGridGxScrollBar* VertScrollBar() const { return vertScrollBar_; }
    void SetVertScrollBar(TVertDBGridGxScrollBar* Value) { vertScrollBar_->Assign(Value); }
    int MinAutoFitWidth() const { return minAutoFitWidth_; }
    void SetMinAutoFitWidth(int Value);
    TDBGridOptions Options() const { return dbOptions_; }
    void SetOptions(TDBGridOptions Value);
    TDBGridGxOptions OptionsGx() const { return optionsGx_; }
    void SetOptionsGx(TDBGridGxOptions Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int Value);
    int RowLines() const { return rowLines_; }
    void SetRowLines(int Value);
    bool RowSizingAllowed() const { return rowSizingAllowed_; }
    void SetRowSizingAllowed(bool Value);
    bool SortLocal() const { return sortLocal_; }
    void SetSortLocal(bool Value) { sortLocal_ = Value; }
    TSTDBGridGxFilter* STFilter() const { return stFilter_; }
    void SetSTFilter(TSTDBGridGxFilter* Value) { stFilter_->Assign(Value); }
    TDBGridGxSumList* SumList() const { return sumList_; }
    void SetSumList(TDBGridGxSumList* Value) { sumList_->Assign(Value); }
    TFont* TitleFont() const { return titleFont_; }
    void SetTitleFont(TFont* Value);
    int TitleHeight() const { return titleHeight_; }
    void SetTitleHeight(int Value);
    int TitleLines() const { return titleLines_; }
    void SetTitleLines(int Value);
    TCustomImageList* TitleImages() const { return titleImages_; }
    void SetTitleImages(TCustomImageList* Value);
    bool UseMultiTitle() const { return useMultiTitle_; }
    void SetUseMultiTitle(bool Value);
    int VTitleMargin() const { return vTitleMargin_; }
    void SetVTitleMargin(int Value);

    // The control's own published state read by the grid.
    bool DefaultDrawing() const { return dbDefaultDrawing_; }
    void SetDefaultDrawing(bool Value);
    TColor FixedColor() const { return TCustomGrid::FixedColor(); }
    void SetFixedColor(TColor Value) { TCustomGrid::SetFixedColor(Value); }

    TNotifyEvent OnApplyFilter;
    TDBGridClickEventGx OnCellClick;
    TCheckTitleButtonEventGx OnCheckButton;
    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TMovedEventGx OnColumnMoved;
    TNotifyEvent OnColWidthsChanged;
    TDrawColumnCellEventGx OnDrawColumnCell;
    TDrawDataCellEventGx OnDrawDataCell;
    TDrawFooterCellEventGx OnDrawFooterCell;
    TNotifyEvent OnEditButtonClick;
    TGetBtnParamsEventGx OnGetBtnParams;
    TGetCellParamsEventGx OnGetCellParams;
    TGetFooterParamsEventGx OnGetFooterParams;
    TMoveRecordsEventGx OnMoveRecords;
    TNotifyEvent OnSelectionChanged;
    TNotifyEvent OnSortMarkingChanged;
    TNotifyEvent OnSumListAfterRecalcAll;
    TNotifyEvent OnSumListRecalcAll;
    TTitleButtonClickEventGx OnTitleBtnClick;
    TDBGridClickEventGx OnTitleClick;

    // ---- shared state
    TGridDataLinkGx* DataLink() const { return dataLink_; }
    int IndicatorOffset() const { return indicatorOffset_; }
    int TitleOffset() const { return titleOffset_; }
    TBookmarkListGx* SelectedRows() const { return selectedRows_; }
    TDBGridGxSelection* Selection() const { return selection_; }
    TColumnsGxList* VisibleColumns() const { return visibleColumns_; }
    TColumnsGxList* SortMarkedColumns() const { return sortMarkedColumns_; }
    TColCellParamsGx* ColCellParams() const { return colCellParams_; }
    int LayoutLock() const { return layoutLock_; }
    int UpdateLock() const { return updateLock_; }
    bool LayoutFromDataLink() const { return layoutFromDataLink_; }
    bool LayoutRunning() const { return layoutRunning_; }
    // A data row has room for more than one line of text.
    bool MultiLineRows() const { return multiLineRows_; }
    int EditButtonHeight() const { return editButtonHeight_; }
    int TitleTextMargin() const { return titleTextMargin_; }
    bool Loading() const { return InState(csLoading); }
    bool IsDestroying() const { return destroying_ || InState(csDestroying); }
    bool Designing() const { return InState(csDesigning); }
    // The filter-row editor (made by the filter-row unit), nullptr when there is none.
    TWinControl* FilterEditor() const { return filterEditor_; }

    // ---- operations
    void BeginUpdate() { ++updateLock_; }
    void EndUpdate() { --updateLock_; }
    void BeginLayout();
    void EndLayout();
    bool AcquireLayoutLock();
    virtual void LayoutChanged();
    // Posts the deferred-layout message unless one is already queued.
    void DeferLayout();
    int RawToDataColumn(int ACol) const { return ACol - indicatorOffset_; }
    int DataToRawColumn(int ACol) const { return ACol + indicatorOffset_; }
    TCellTypeGx GetCellType(int ACol, int ARow);
    bool DirectRecordAccess() const { return recordAccess_ != nullptr && footerRowCount_ == 0; }
    // Makes the data link's record of a data row the one fields read.
    void ActivateDrawRow(int Row);
    void RestoreDrawRow();
    int DrawRecord() const { return drawRecord_; }
    bool DataLinkActive() const;
    // The current column's index in Columns, -1 when none.
    int SelectedIndex() const;
    void SetSelectedIndex(int Value);
    TField* SelectedField();
    void SetSelectedField(TField* Value);
    // Makes grid column RawCol current; Direction skips hidden columns that way.
    void MoveCol(int RawCol, int Direction, bool Select);
    void ClearSelection();
    bool CanSelectType(TDBGridGxSelectionType Type) const;
    void InvalidateEditor();
    void InvalidateCol(int ACol);
    void InvalidateCell(int ACol, int ARow);
    void InvalidateFooter();
    int DataRowCount() const;
    int VisibleDataRowCount();
    bool CanEditByAllowedOperations() const;
    bool CanEditModify() override;
    bool InternalCanEditModify();
    bool CanEditShow() override;
    bool ColumnEditable(int DataCol);
    AnsiString GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    AnsiString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
    // The grid's text for a cell written through the canvas, mirrored for right-to-left reading.
    void WriteCellText(TCanvas* ACanvas, TRect ARect, bool FillRect, int DX, int DY, const AnsiString& Text,
                       TAlignment Alignment, TTextLayout Layout, bool MultiLine, bool EndEllipsis, int LeftMarg,
                       int RightMarg, bool RightToLeft);
    void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnGx* Column, TGridDrawState State);
    TGridCoord CalcCoordFromPoint(int X, int Y);
    // The focus lies in the grid or in a window inside it.
    bool FocusInsideGrid() const;
    // The style the grid draws with; nullptr gives the shared one.
    void SetStyle(TDBGridGxStyle* Style);
    TDBGridGxStyle* Style() const { return style_; }

    // ---- virtual operations
    virtual bool AcquireFocus();
    virtual bool CanDrawRowFocusRect();
    virtual bool EditorAlwaysShown();
    virtual bool FilterEditorAllowed();
    virtual bool CellHas3DFrame(int ACol, int ARow, const TCellTypeGx& CellType);
    virtual bool IsSelectedCell(int ACol, int ARow, const TCellTypeGx& CellType);
    virtual bool FilterRowVisible();
    virtual bool TitlesVisible();
    virtual bool GridOrEditorFocused();
    virtual void DataChanged();
    virtual void DefineFieldMap();
    virtual void GetDatasetFieldList(TList* List);
    virtual void LinkActive(bool Value);
    virtual void Scroll(int Distance);
    virtual void InvalidateSelection();
    virtual void SetColumnAttributes();
    void ShowEditor() override;
    virtual void UpdateActive();
    // A resize that came during a layout, handled once the layout is done.
    virtual void UpdateLayoutAfterResize();
    virtual void UpdateRowCount();
    virtual void UpdateScrollBar();
    virtual void UpdateHorzScrollBar();
    virtual bool FindDialogModal() { return true; }
    virtual void RecordChanged(TField* Field);
    virtual void EditingChanged();
    virtual void UpdateData();

    // Event firers.
    virtual void CellClick(TColumnGx* Column);
    virtual void TitleClick(TColumnGx* Column);
    virtual void TitleBtnClick(int ACol, TColumnGx* Column);
    virtual void CheckTitleButton(int ACol, bool& Enabled);
    virtual void DrawColumnCell(const TRect& Rect, int DataCol, TColumnGx* Column, TGridDrawState State);
    virtual void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    virtual void EditButtonClick();
    virtual void ColEnter();
    virtual void ColExit();
    virtual void SortMarkingChanged();
    void UpdateSortMarkedColumns();

    // ---- painting
    // The colours of a selected or highlighted data cell, and of other cells; true when highlighted.
    virtual bool GetDataCellColors(int DataCol, int DataRow, TFont* AFont, TColor& AColor, TGridDrawState State,
                                   const AnsiString& Text);
    virtual bool GetHighlightColors(int ACol, int ARow, TFont* AFont, TColor& AColor, bool Selected,
                                    TGridDrawState State, const TCellTypeGx& CellType);
    virtual bool NeedsBufferedPaint();
    // The flat grid's sunken window border.
    virtual void DrawBorder();
    virtual void DrawDataCellBackground(int DataCol, int DataRow, const TRect& ARect, TGridDrawState AState);
    // Title-area cells that are not column captions: the indicator's and the filter row's.
    virtual void DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState,
                               const TCellTypeGx& CellType, bool& Highlighted);
    // The text of footer row Row under Column.
    virtual AnsiString GetFooterValue(int Row, TColumnGx* Column);
    // Rows of a tree-shaped data set (none of ours offers them).
    virtual bool TreeViewActive();
    int GetTreeIndent();
    // Fixed cells drawn with the desktop theme (never: themes are off).
    bool ThemedFixedCells() const;
    THeadTreeNode* TitleTreeRoot() const { return titleRoot_; }
    // Column Index's leaf of the title tree, nullptr when the tree has none for it.
    THeadTreeNode* TitleLeaf(int Index) const;
    // While locked, Paint draws nothing.
    void LockPaint() { ++paintLock_; }
    void UnlockPaint() { --paintLock_; }
    bool BufferedPaint() const { return bufferedPaint_; }
    // The grid row whose indicator last showed the current record.
    int IndicatorRow() const { return indicatorRow_; }
    // The incremental search in progress, shown over the current cell.
    bool IncSearchActive() const { return incSearching_; }
    const AnsiString& IncSearchText() const { return incSearchText_; }
    void SetIncSearch(bool Active, const AnsiString& Text);
    void WMPaint(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void ChangeScale(int M, int D) override;

protected:
    virtual TDBGridColumnsGx* CreateColumns();
    virtual TColumnDefValuesGx* CreateColumnDefValues();
    virtual TDBGridGxScrollBar* CreateScrollBar(int Kind);
    void CreateWnd() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
    void DoExit() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMSize(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMParentFontChanged(TMessage& Message) override;
    void CMParentColorChanged(TMessage& Message) override;
    void InternalLayout();
    // Rebuilds the title tree from the captions and answers the title row's height.
    virtual int MeasureMultiTitleHeight(HDC DC);
    // Fires OnGetCellParams.
    virtual void GetCellParams(TColumnGx* Column, TFont* AFont, TColor& Background, TGridDrawState State);
    void StopTracking();
    bool InUpdateRowCount() const { return inUpdateRowCount_; }

private:
    friend class TGridDataLinkGx;
    friend class TColumnGx;
    friend class TDBGridColumnsGx;
    friend class TBookmarkListGx;
    friend class TDBGridGxSelection;
    friend struct TDBGridGxPainter;

    void TitleFontChanged(TObject* Sender);
    void FooterFontChanged(TObject* Sender);
    void TitleImagesChanged(TObject* Sender);
    void SumListRecalcAll(TObject* Sender);
    void SumListAfterRecalcAll(TObject* Sender);
    void SumListChanged(TObject* Sender);
    void StyleFreed(TObject* Sender);
    void ReadColumns(TReader& Reader);
    void WriteColumns(TWriter& Writer);
    void WMDeferLayout(TMessage& Message);
    void QueryRecordAccess();
    void RemoveField(TComponent* Field);
    HDC MeasureDC(bool& Owned);
    void ApplyAutoFit();
    int FixedLineWidth() const;

    TDBGridGxAllowedOperations allowedOperations_ = kAllAllowedOperationsGx;
    TDBGridGxAllowedSelections allowedSelections_ = kAllAllowedSelectionsGx;
    bool autoFitColWidths_ = false;
    TColumnDefValuesGx* columnDefValues_ = nullptr;
    TDBGridColumnsGx* columns_ = nullptr;
    bool drawMemoText_ = false;
    TDBGridGxEditActions editActions_;
    TColor evenRowColor_ = clWindow;
    bool evenRowColorSet_ = false;
    TColor oddRowColor_ = clWindow;
    bool oddRowColorSet_ = false;
    bool flat_ = false;
    TColor footerColor_ = clWindow;
    TFont* footerFont_ = nullptr;
    int footerRowCount_ = 0;
    int frozenCols_ = 0;
    TDBGridGxScrollBar* horzScrollBar_ = nullptr;
    TVertDBGridGxScrollBar* vertScrollBar_ = nullptr;
    int minAutoFitWidth_ = 0;
    TDBGridOptions dbOptions_;
    TDBGridGxOptions optionsGx_;
    bool readOnly_ = false;
    int rowHeight_ = 0;
    int rowLines_ = 0;
    bool rowSizingAllowed_ = false;
    bool sortLocal_ = false;
    TSTDBGridGxFilter* stFilter_ = nullptr;
    TDBGridGxSumList* sumList_ = nullptr;
    TFont* titleFont_ = nullptr;
    int titleHeight_ = 0;
    int titleLines_ = 0;
    TCustomImageList* titleImages_ = nullptr;
    TChangeLink* titleImageLink_ = nullptr;
    bool useMultiTitle_ = false;
    int vTitleMargin_ = 10;
    bool dbDefaultDrawing_ = true;

    TGridDataLinkGx* dataLink_ = nullptr;
    int indicatorOffset_ = 1;
    int titleOffset_ = 1;
    TBookmarkListGx* selectedRows_ = nullptr;
    TDBGridGxSelection* selection_ = nullptr;
    TColumnsGxList* visibleColumns_ = nullptr;
    TColumnsGxList* sortMarkedColumns_ = nullptr;
    TColCellParamsGx* colCellParams_ = nullptr;
    int updateLock_ = 0;
    int layoutLock_ = 0;
    bool sumListRecalcing_ = false;
    bool layoutFromDataLink_ = false;
    bool layoutRunning_ = false;
    int drawRecord_ = -1;
    int savedActiveRecord_ = -1;
    void* recordAccess_ = nullptr;
    bool recordAccessAllowed_ = true;
    bool acquireFocus_ = true;
    TDBGridGxStyle* style_ = nullptr;
    bool multiLineRows_ = false;
    int editButtonWidth_ = 17;
    int editButtonHeight_ = 17;
    int titleTextMargin_ = 4;
    TWinControl* filterEditor_ = nullptr;
    bool inUpdateRowCount_ = false;
    bool destroying_ = false;
    AnsiString editText_;
    Variant editKeyValue_;
    TPoint pressPoint_;
    bool inColExit_ = false;
    bool titlePressed_ = false;
    int pressedCol_ = -1;
    bool rightAsLeft_ = false;
    bool resizePending_ = false;
    bool vertBarShowing_ = false;
    int lastVisibleMode_ = -1;
    SCROLLINFO lastScrollInfo_;
    bool scrollInfoSet_ = false;
    THeadTreeNode* titleRoot_ = nullptr;
    std::vector<THeadTreeNode*> titleLeaves_;
    int paintLock_ = 0;
    bool bufferedPaint_ = false;
    int indicatorRow_ = -1;
    bool incSearching_ = false;
    AnsiString incSearchText_;
};

class TDBGridGx : public TCustomDBGridGx {
    TESK_CLASS(TDBGridGx, TCustomDBGridGx)
public:
    using TCustomDBGridGx::TCustomDBGridGx;
};

// The window message that runs a deferred layout.
inline constexpr UINT WM_DEFERLAYOUTGX = WM_USER + 100;

// The in-place editor's style for a column; also whether a data cell shows a drop-down button.
TEditStyleGx GetColumnEditStyle(TColumnGx* Column);

// The unit's shared settings (made once per process by DBGridGxInitialize, freed by DBGridGxFinalize).
struct TDBGridGxUnitSettings {
    WORD IncSearchKey = 0;
    WORD IncSearchNextKey = 0;
    WORD IncSearchPriorKey = 0;
    WORD CopyPriorValueKey = 0;
    WORD FindDialogKey = 0;
    int IncSearchTimeOut = 1500;
    TColor IncSearchColor = clYellow;
    TColor IncSearchTextColor = clBlack;
    TCursor DownCursor = 0;   // "DOWNCURGX": selecting a column
    TCursor RightCursor = 0;  // "RIGHTCURGX": selecting a row
    TCursor LeftCursor = 0;   // "LEFTCURGX": selecting a row, right to left
    bool DisableBufferedPaint = false;
};
void DBGridGxInitialize();
void DBGridGxFinalize();
const TDBGridGxUnitSettings& DBGridGxSettings();
// The cell parameters shared by all grids.
TColCellParamsGx* SharedColCellParams();
