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
// (DBGridGxFilterRow.cpp), the lookup drop-down, the find dialog
// (ShowGridFindDialogHook) and the clipboard routines (TDBGridGxClipboardHooks).
// Keys, mouse, scrolling and selection have their own sources beside this one.
#include <cstdint>
#include <memory>
#include <vector>

#include "grid/DBCtrlsGx.h"
#include "grid/DBGridGxColumns.h"
#include "grid/DBGridGxSelection.h"
#include "grid/DBGridGxTypes.h"

class ITreeNodesGx;

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

    // An external scroll bar control (a TScrollBar) standing in for the window's bar;
    // its scroll notifications reach the grid as the grid's own scroll messages.
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
    // Range, page and positions of the window's bar of the kind, or of the external bar.
    void GetScrollInfo(SCROLLINFO& Info);
    // Sets the external bar: page 0 first, so that no step is refused on the way.
    void SetExtParams(int Min, int Max, int Page, int Pos);

protected:
    TPersistent* GetOwner() override;

private:
    void ExtScrollBarWndProc(TMessage& Message);
    void DetachExtScrollBar();
    TCustomDBGridGx* grid_;
    int kind_;
    TComponent* extScrollBar_ = nullptr;
    bool tracking_ = false;
    TScrollBarVisibleModeGx visibleMode_ = sbAutoShowGx;
    TWndMethod savedWindowProc_;
    bool hooked_ = false;
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

// The find dialog's entry, stored by the find-dialog unit when it starts:
// (grid, text to search, columns to search in (captions with their column
// objects; nullptr for the visible columns), modal).
using TShowGridFindDialogProc = void (*)(TCustomDBGridGx* Grid, const AnsiString& Text, TStrings* Columns, bool Modal);
extern TShowGridFindDialogProc ShowGridFindDialogHook;

// The library's clipboard routines, stored by the clipboard unit when it
// starts (ForWholeGrid: the whole grid instead of its selection). Until then
// the grid's clipboard keys do nothing.
struct TDBGridGxClipboardHooks {
    void (*Copy)(TCustomDBGridGx* Grid, bool ForWholeGrid) = nullptr;
    void (*Cut)(TCustomDBGridGx* Grid, bool ForWholeGrid) = nullptr;
    void (*Paste)(TCustomDBGridGx* Grid, bool ForWholeGrid) = nullptr;
    void (*DeleteSelection)(TCustomDBGridGx* Grid, bool ForWholeGrid) = nullptr;
};
void SetDBGridGxClipboardHooks(const TDBGridGxClipboardHooks& Hooks);
const TDBGridGxClipboardHooks& DBGridGxClipboardHooks();



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

class TCustomDBGridGx : public TCustomGrid, public IInplaceEditHolderGx {
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
    // The filter-row editor (made on first use), nullptr when there is none.
    TWinControl* FilterEditor() const { return filterEditor_; }
    // Whether a filter cell is being edited, and which column's.
    bool FilterEditing() const { return filterEditing_; }
    int FilterEditColumn() const { return filterEditColumn_; }

    // ---- filter row (DBGridGxFilterRow.cpp)
    bool ColumnFilterVisible(int Index);
    AnsiString GetColumnFilterText(int Index);
    bool IsFilterRow(int ARow);
    void ShowFilterEditor(int Index);
    void UpdateFilterEdit(bool Reload);
    void StopEditFilter();
    void ApplyFilter();
    void ClearFilter();
    // The grid as its filter editor's holder.
    bool InplaceEditCanModify(TControl* Control) override;
    void GetMouseDownInfo(TPoint& Pos, DWORD& Time) override;
    void InplaceEditWndProc(TControl* Control, TMessage& Message) override;
    void InplaceEditKeyDown(TControl* Control, WORD& Key, TShiftState Shift) override;
    void InplaceEditKeyPress(TControl* Control, char& Key) override;
    void InplaceEditKeyUp(TControl* Control, WORD& Key, TShiftState Shift) override;

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
    // Extends the rows (or, in a cell grid, the rectangle) while moving Direction
    // records, or to the end that way with ToEnd.
    void DoSelection(bool Select, int Direction, bool ToEnd, bool RowOnly);
    // The data set's current record.
    TBookmarkStr CurrentBookmark() const;
    // A row extension (Shift with keys, a row drag with the mouse) is running.
    bool Selecting() const { return selecting_; }
    // 0 none, 1 rows, 2 columns, 3 rectangle, 6 frozen-column sizing, 7 record moving.
    int GridDragState() const { return gridDragState_; }

    // ---- keys
    void NextRow(bool Select);
    void PriorRow(bool Select);
    void Tab(bool GoForward);
    void IncrementalSearch(const AnsiString& Text, int TimeOut, int Kind);
    void StopIncrementalSearch();
    void CopyPriorValue();
    bool CanCopyAction();
    bool CanCutAction();
    bool CanPasteAction();
    bool CanDeleteAction();
    bool CanSelectAllAction();
    bool ExecuteAction(TBasicAction* Action);
    bool UpdateAction(TBasicAction* Action);

    // ---- mouse and scrolling
    // The data cells' area (columns from the first data column, the data rows) in client pixels.
    TRect DataBox();
    int LastDataRow() const;
    // Sets each column's width to what its title, records and footers need.
    void OptimizeColsWidth(TColumnsGxList* ColumnsToOptimize);
    // Those widths, one per column, without setting them.
    std::vector<int> NeededColumnWidths(TColumnsGxList* Columns);
    void StartTimer(int Interval);
    void StopTimer();
    virtual void AutoScrollSelect();
    // Keeps the record near the middle of the view and the current record's
    // distance from it, so that RestoreBookmark shows the same place again.
    void SaveBookmark();
    void RestoreBookmark();
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
    virtual TWinControl* CreateFilterEditor();
    virtual void InitFilterEditor(int Index);
    virtual void StoreFilterEditText(int Index);
    virtual void DefaultApplyFilter();
    // Rows under the titles and above the data: the filter row, and a
    // descendant's own (a lookup list's special row).
    virtual int ExtraTitleRows();
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
    // Hands the sort markers to the shared data service (DBGridGxDataService.h).
    virtual void DefaultApplySorting();
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
    // Rows of a tree-shaped data set (DBGridGxTreeNodes.h): the data set's tree
    // interface while it shows a tree, else nullptr.
    ITreeNodesGx* TreeNodes();
    virtual bool TreeViewActive();
    int GetTreeIndent();

    // ---- record moving and tree nodes (DBGridGxRecordMoving.cpp, DBGridGxTreeNodes.cpp)
    virtual bool CanBeginRecordMoving();
    // For a drop on data row Row at X: the move line's left end and the drop level (trees).
    virtual int GetRowTreeNodeInfo(int Row, int X, int& Level);
    // A press in a tree row's indent: on its node button the node opens or closes.
    virtual bool TreeNodeButtonClick(int X, int Y, bool OnlyTest);
    // Opens (1), closes (0) or toggles (-1) the node of a data row, which becomes current.
    void SetTreeNodeExpanded(int Row, int How);
    // A press on a selected record's indicator starts moving it (drag state 7).
    virtual bool CheckBeginRecordMoving(int X, int Y, bool OnlyTest);
    // Moves the records of Bookmarks before record number Target + Offset (for
    // trees: after Target, at level Offset); OnlyTest asks whether it can.
    virtual bool MoveRecords(TStrings* Bookmarks, int Target, int Offset, bool OnlyTest);
    virtual bool MoveSelectedRecords(int Target, int Offset, bool OnlyTest);
    virtual void FinishRecordMoving(int X, int Y, bool Accept);
    virtual void RecordMovingTimerScroll();
    virtual bool DefaultMoveRecords(TStrings* Bookmarks, int Target, int Offset, bool OnlyTest);
    // Where a move in progress would drop: the target data row and offset.
    int MovingTargetRow() const { return movingTargetRow_; }
    int MovingOffset() const { return movingOffset_; }
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
    // The grid's own in-place editor (TDBGridInplaceEdit).
    TInplaceEdit* CreateEditor() override;
    void CreateWnd() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
    void DoExit() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void WMChar(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;
    void CMCancelMode(TMessage& Message);
    void WMSetCursor(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMContextMenu(TMessage& Message) override;
    void CMHintShow(TMessage& Message) override;
    void CMHintShowPause(TMessage& Message);
    void WndProc(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;
    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                         TGridDrawInfo& FixedInfo) override;
    void TimedScroll(int Direction) override;
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
    // Makes the column collection and its defaults again through CreateColumns
    // and CreateColumnDefValues: the base constructor reaches only its own, so
    // a descendant with its own column class calls this from its constructor.
    void RecreateColumns();

    static constexpr uintptr_t kMouseTimerId = 1;
    static constexpr uintptr_t kSearchTimerId = 2;

private:
    friend class TGridDataLinkGx;
    friend class TColumnGx;
    friend class TDBGridColumnsGx;
    friend class TBookmarkListGx;
    friend class TDBGridGxSelection;
    friend class TDBGridGxScrollBar;
    friend struct TDBGridGxPainter;
    friend class TDBGridInplaceEdit;

    void TitleFontChanged(TObject* Sender);
    void FooterFontChanged(TObject* Sender);
    void TitleImagesChanged(TObject* Sender);
    void SumListRecalcAll(TObject* Sender);
    void SumListAfterRecalcAll(TObject* Sender);
    void SumListChanged(TObject* Sender);
    void StyleFreed(TObject* Sender);
    void ReadColumns(TReader& Reader);
    void WriteColumns(TWriter& Writer);
    // Writes the edit text into the current column's field (UpdateData's work).
    void WriteEditText();
    void WMDeferLayout(TMessage& Message);
    void WMNCCalcSize(TMessage& Message);
    int FlatBorderWidth() const;
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
    bool filterEditing_ = false;
    int filterEditColumn_ = -1;
    bool applyingFilter_ = false;
    TPoint filterMouseDownPos_;
    DWORD filterMouseDownTime_ = 0;
    void FilterDropDown(TObject* Sender);
    void FilterCloseUp(TObject* Sender, bool Accept);
    void FilterEditChange(TObject* Sender);
    int NextFilterColumn(int From, int Direction);
    bool FilterCellPress(TMessage& Message);
    int FilterRowIndex();
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
    THeadTreeNode* titleRoot_ = nullptr;
    std::vector<THeadTreeNode*> titleLeaves_;
    int paintLock_ = 0;
    bool bufferedPaint_ = false;
    int indicatorRow_ = -1;
    bool incSearching_ = false;
    AnsiString incSearchText_;

    // Selection by keys and mouse.
    bool selecting_ = false;
    TBookmarkStr selectionAnchor_;
    bool anchorPriorState_ = false;
    bool invertMode_ = false;
    // Keys.
    int incSearchTimeOut_ = -1;
    bool searchTimerRunning_ = false;
    bool insideSearchPositioning_ = false;
    AnsiString charText_;
    bool sortChangePending_ = false;
    // Mouse.
    int gridDragState_ = 0;
    bool rowDrag_ = false;
    bool rectDrag_ = false;
    bool pendingDrag_ = false;
    bool autoDragGuard_ = false;
    bool titlePressedInside_ = false;
    TPoint lastMousePos_;
    TShiftState lastMouseShift_ = 0;
    TGridCoord lastMoveCell_{-1, -1};
    TGridCoord pressedCheckCell_{-1, -1};
    bool mouseTimerRunning_ = false;
    int mouseTimerInterval_ = -1;
    int frozenSizingCol_ = -1;
    int frozenSizingPos_ = 0;
    int frozenSizingOffset_ = 0;
    // Record moving.
    int movingStartRow_ = -1;
    int movingTargetRow_ = -1;
    int movingOffset_ = 0;
    int movingLineX_ = 0;
    int movingLineY_ = -1;
    TBookmarkStr movingBookmark_;
    void DrawMovingLine();
    void PlaceMovingTarget(int X, int Y);
    // Scrolling.
    bool skipThumbPosition_ = false;
    bool extScrollMessage_ = false;
    TBookmarkStr savedBookmark_;
    int savedBookmarkOffset_ = 0;

    // Keys.
    void KeyDownWithCtrl(WORD& Key, TShiftState Shift);
    void KeyDownPlain(WORD& Key, TShiftState Shift);
    void DeleteByKey();
    bool DeletePromptAgrees();
    bool SearchEligible();
    bool DataSetBrowsing();
    bool InsertingAtEnd();
    bool SearchMatches(const AnsiString& Text, AnsiString& Match);
    void RestartSearchTimer();
    enum TClipboardActionGx { caCopyGx, caCutGx, caPasteGx, caDeleteGx };
    void ClipboardAction(TClipboardActionGx Action);
    // Mouse.
    bool InDataBox(const TGridCoord& Cell) const;
    // Y lies on the column's own title part, below the parent titles that
    // multi-level captions put above it.
    bool InTitleLeaf(int RawCol, int Y);
    bool OverColumnSelectZone(int X, int Y);
    bool OverRowSelectZone(int X, int Y);
    bool CalcFrozenSizing(int X, int Y);
    void DrawFrozenSizingLine();
    int ColumnLeftEdge(int RawCol);
    int LeftColOffset();
    void SetRawColumnWidth(int RawCol, int Width);
    void OptimizeOnDoubleClick(int X, int Y);
    void DoubleClickPress(TShiftState Shift, int X, int Y);
    bool RowSelectionPress(const TGridCoord& Cell);
    void StartRowSelection(TMouseButton Button, TShiftState Shift, const TGridCoord& Cell, int OldRow);
    void StartCellSelection(TMouseButton Button, TShiftState Shift, const TGridCoord& Cell, int OldCol,
                            const TBookmarkStr& OldBookmark);
    void EndDragStates();
    bool CellToolTip(const TGridCoord& Cell, AnsiString& Text, TRect& CellBox, TAlignment& Alignment, TFont*& Font);
    // Scrolling.
    void ThumbToRecord(int Pos);
    void ResetScrollBarCache();
};

class TDBGridGx : public TCustomDBGridGx {
    TESK_CLASS(TDBGridGx, TCustomDBGridGx)
public:
    using TCustomDBGridGx::TCustomDBGridGx;
};

// The window message that runs a deferred layout.
inline constexpr UINT WM_DEFERLAYOUTGX = WM_USER + 100;

// A footer's sum or average as the field's type shows it on screen.
AnsiString FooterAggregateTextGx(TColumnFooterGx* Footer, TField* Field, Currency Value);

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
