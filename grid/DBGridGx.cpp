// The data-aware grid: construction, the data link's calls, the mapping of
// records to rows and layout. Editing and input come in their own sources.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <cstdlib>

#include "grid/DbUtilsGx.h"
#include "grid/GxLibVCL.h"
#include "grid/ToolCtrlsGx.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Services.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"

namespace {

constexpr int kIndicatorWidth = 11;

int& UnitUsers() {
    static int users = 0;
    return users;
}

TDBGridGxUnitSettings& Settings() {
    static TDBGridGxUnitSettings settings;
    return settings;
}

TColCellParamsGx*& SharedParamsRef() {
    static TColCellParamsGx* params = nullptr;
    return params;
}

// Registered cursor ids of the unit (Screen cursors above the standard ones).
constexpr TCursor kDownCursorId = 101;
constexpr TCursor kRightCursorId = 102;
constexpr TCursor kLeftCursorId = 103;

int TextHeightOf(HDC DC, TFont* Font, TEXTMETRIC* Metrics = nullptr) {
    HGDIOBJ old = SelectObject(DC, Font->Handle());
    TSize size;
    GetTextExtentPoint32(DC, "Wg", 2, &size);
    if (Metrics) GetTextMetrics(DC, Metrics);
    SelectObject(DC, old);
    return size.cy;
}

}  // namespace

TShowGridFindDialogProc ShowGridFindDialogHook = nullptr;


// ---------------------------------------------------------------------------
// Unit start and end

void DBGridGxInitialize() {
    if (UnitUsers()++ > 0) return;
    TDBGridGxUnitSettings& s = Settings();
    // The column interceptors, the data-set feature objects and the shared data
    // service come with the library's registration (GridRegistration.cpp).
    RecreateDBGridGxDefaultStyle();
    const struct {
        const char* Name;
        TCursor Id;
        TCursor* Slot;
    } cursors[] = {{"DOWNCURGX", kDownCursorId, &s.DownCursor},
                   {"RIGHTCURGX", kRightCursorId, &s.RightCursor},
                   {"LEFTCURGX", kLeftCursorId, &s.LeftCursor}};
    for (const auto& c : cursors) {
        HCURSOR cursor = LoadCursor(nullptr, c.Name);
        if (!cursor) {
            --UnitUsers();
            FreeDBGridGxDefaultStyle();
            throw EOutOfResources("Cannot load cursor resource");
        }
        if (Screen) Screen->SetCursors(c.Id, cursor);
        *c.Slot = c.Id;
    }
    s.IncSearchKey = ShortCut('F', ssCtrl);
    s.IncSearchNextKey = ShortCut(VK_RETURN, ssCtrl);
    s.IncSearchPriorKey = ShortCut(VK_RETURN, ssCtrl | ssShift);
    s.CopyPriorValueKey = ShortCut(222, ssCtrl);
    s.FindDialogKey = ShortCut('F', ssCtrl);
    s.IncSearchTimeOut = 1500;
    s.IncSearchColor = clYellow;
    s.IncSearchTextColor = clBlack;
    InitGridImages(s.IncSearchColor);
    SharedParamsRef() = new TColCellParamsGx;
    s.DisableBufferedPaint = false;
}

void DBGridGxFinalize() {
    if (UnitUsers() == 0 || --UnitUsers() > 0) return;
    delete SharedParamsRef();
    SharedParamsRef() = nullptr;
    FreeDBGridGxDefaultStyle();
}

const TDBGridGxUnitSettings& DBGridGxSettings() { return Settings(); }

TColCellParamsGx* SharedColCellParams() { return SharedParamsRef(); }

// ---------------------------------------------------------------------------
// Settings objects

TESK_PUBLISHED(TDBGridGxSumList) {
    Property("Active", &T::Active, &T::SetActive).Default(false);
    Property("ExternalRecalc", &T::ExternalRecalc, &T::SetExternalRecalc).Default(false);
    Property("OnAfterRecalcAll", &T::OnAfterRecalcAll, &T::OnAfterRecalcAll);
    Property("OnRecalcAll", &T::OnRecalcAll, &T::OnRecalcAll);
    Property("SumListChanged", &T::SumListChanged, &T::SumListChanged);
    Property("VirtualRecords", &T::VirtualRecords, &T::SetVirtualRecords).Default(false);
}

TDBGridGxSumList::TDBGridGxSumList(TComponent* AOwner) : TDBSumListProducer(AOwner) {
    SetDesignTimeWork(true);
    SetActive(false);
}

TESK_PUBLISHED(TDBGridGxScrollBar) {
    Property("ExtScrollBar", &T::ExtScrollBar, &T::SetExtScrollBar);
    Property("Tracking", &T::Tracking, &T::SetTracking).Default(false);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
}

TESK_PUBLISHED(TVertDBGridGxScrollBar) {
    Property("Visible", &T::Visible, &T::SetVisible).Stored(false);
    Property("VisibleMode", &T::VisibleMode, &T::SetVisibleMode).Default(sbAutoShowGx);
}



TESK_PUBLISHED(TSTDBGridGxFilter) {
    Property("Local", &T::Local, &T::SetLocal).Default(false);
    Property("Visible", &T::Visible, &T::SetVisible).Default(false);
}

TPersistent* TSTDBGridGxFilter::GetOwner() { return grid_; }

void TSTDBGridGxFilter::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TSTDBGridGxFilter*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetVisible(s->visible_);
    local_ = s->local_;
}

void TSTDBGridGxFilter::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    if (!grid_ || grid_->IsDestroying()) return;
    if (!Value) grid_->StopEditFilter();
    grid_->LayoutChanged();
}

// ---------------------------------------------------------------------------
// Type information of the grid

TESK_PUBLISHED(TCustomDBGridGx) {}

TESK_PUBLISHED(TDBGridGx) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("AllowedOperations", &T::AllowedOperations, &T::SetAllowedOperations).Default(kAllAllowedOperationsGx);
    Property("AllowedSelections", &T::AllowedSelections, &T::SetAllowedSelections).Default(kAllAllowedSelectionsGx);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("AutoFitColWidths", &T::AutoFitColWidths, &T::SetAutoFitColWidths).Default(false);
    Property("BiDiMode", &T::BiDiMode, &T::SetBiDiMode).Default(bdLeftToRight);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(clWindow);
    Property("ColumnDefValues", &T::ColumnDefValues, &T::SetColumnDefValues);
    Property("Columns", &T::Columns, &T::SetColumns).Stored(false);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D);
    Property("DataSource", &T::DataSource, &T::SetDataSource);
    Property("DefaultDrawing", &T::DefaultDrawing, &T::SetDefaultDrawing).Default(true);
    Property("DragCursor", TypeInfoTCursor(), &T::DragCursor, &T::SetDragCursor).Default(crDrag);
    Property("DragMode", &T::DragMode, &T::SetDragMode).Default(dmManual);
    Property("DrawMemoText", &T::DrawMemoText, &T::SetDrawMemoText).Default(false);
    Property("EditActions", &T::EditActions, &T::SetEditActions).Default(TDBGridGxEditActions{});
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("EvenRowColor", TypeInfoTColor(), &T::EvenRowColor, &T::SetEvenRowColor)
        .Stored(&T::IsEvenRowColorStored);
    Property("OddRowColor", TypeInfoTColor(), &T::OddRowColor, &T::SetOddRowColor).Stored(&T::IsOddRowColorStored);
    Property("FixedColor", TypeInfoTColor(), &T::FixedColor, &T::SetFixedColor).Default(clBtnFace);
    Property("Flat", &T::Flat, &T::SetFlat).Default(false);
    Property("Font", &T::Font, &T::SetFont);
    Property("FooterColor", TypeInfoTColor(), &T::FooterColor, &T::SetFooterColor).Default(clWindow);
    Property("FooterFont", &T::FooterFont, &T::SetFooterFont);
    Property("FooterRowCount", &T::FooterRowCount, &T::SetFooterRowCount).Default(0);
    Property("FrozenCols", &T::FrozenCols, &T::SetFrozenCols).Default(0);
    Property("HorzScrollBar", &T::HorzScrollBar, &T::SetHorzScrollBar);
    Property("ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
    Property("ImeName", TypeInfoTImeName(), &T::ImeName, &T::SetImeName);
    Property("MinAutoFitWidth", &T::MinAutoFitWidth, &T::SetMinAutoFitWidth).Default(0);
    Property("Options", &T::Options, &T::SetOptions).Default(kDefaultDBGridOptions);
    Property("OptionsGx", &T::OptionsGx, &T::SetOptionsGx).Default(kDefaultDBGridGxOptions);
    Property("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).Default(true);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
    Property("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(true);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("RowHeight", &T::RowHeight, &T::SetRowHeight).Default(0);
    Property("RowLines", &T::RowLines, &T::SetRowLines).Default(0);
    Property("RowSizingAllowed", &T::RowSizingAllowed, &T::SetRowSizingAllowed).Default(false);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("SortLocal", &T::SortLocal, &T::SetSortLocal).Default(false);
    Property("STFilter", &T::STFilter, &T::SetSTFilter);
    Property("SumList", &T::SumList, &T::SetSumList);
    Property("TabOrder", &T::TabOrder, &T::SetTabOrder);
    Property("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
    Property("TitleFont", &T::TitleFont, &T::SetTitleFont);
    Property("TitleHeight", &T::TitleHeight, &T::SetTitleHeight).Default(0);
    Property("TitleImages", &T::TitleImages, &T::SetTitleImages);
    Property("TitleLines", &T::TitleLines, &T::SetTitleLines).Default(0);
    Property("UseMultiTitle", &T::UseMultiTitle, &T::SetUseMultiTitle).Default(false);
    Property("VertScrollBar", &T::VertScrollBar, &T::SetVertScrollBar);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("VTitleMargin", &T::VTitleMargin, &T::SetVTitleMargin).Default(10);
    Property("OnApplyFilter", &T::OnApplyFilter, &T::OnApplyFilter);
    Property("OnCellClick", &T::OnCellClick, &T::OnCellClick);
    Property("OnCheckButton", &T::OnCheckButton, &T::OnCheckButton);
    Property("OnColEnter", &T::OnColEnter, &T::OnColEnter);
    Property("OnColExit", &T::OnColExit, &T::OnColExit);
    Property("OnColumnMoved", &T::OnColumnMoved, &T::OnColumnMoved);
    Property("OnColWidthsChanged", &T::OnColWidthsChanged, &T::OnColWidthsChanged);
    Property("OnContextPopup", &T::OnContextPopup, &T::OnContextPopup);
    Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
    Property("OnDragDrop", &T::OnDragDrop, &T::OnDragDrop);
    Property("OnDragOver", &T::OnDragOver, &T::OnDragOver);
    Property("OnDrawColumnCell", &T::OnDrawColumnCell, &T::OnDrawColumnCell);
    Property("OnDrawDataCell", &T::OnDrawDataCell, &T::OnDrawDataCell);
    Property("OnDrawFooterCell", &T::OnDrawFooterCell, &T::OnDrawFooterCell);
    Property("OnEditButtonClick", &T::OnEditButtonClick, &T::OnEditButtonClick);
    Property("OnEndDrag", &T::OnEndDrag, &T::OnEndDrag);
    Property("OnEnter", &T::OnEnter, &T::OnEnter);
    Property("OnExit", &T::OnExit, &T::OnExit);
    Property("OnGetBtnParams", &T::OnGetBtnParams, &T::OnGetBtnParams);
    Property("OnGetCellParams", &T::OnGetCellParams, &T::OnGetCellParams);
    Property("OnGetFooterParams", &T::OnGetFooterParams, &T::OnGetFooterParams);
    Property("OnKeyDown", &T::OnKeyDown, &T::OnKeyDown);
    Property("OnKeyPress", &T::OnKeyPress, &T::OnKeyPress);
    Property("OnKeyUp", &T::OnKeyUp, &T::OnKeyUp);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
    Property("OnMoveRecords", &T::OnMoveRecords, &T::OnMoveRecords);
    Property("OnSelectionChanged", &T::OnSelectionChanged, &T::OnSelectionChanged);
    Property("OnSortMarkingChanged", &T::OnSortMarkingChanged, &T::OnSortMarkingChanged);
    Property("OnSumListAfterRecalcAll", &T::OnSumListAfterRecalcAll, &T::OnSumListAfterRecalcAll);
    Property("OnSumListRecalcAll", &T::OnSumListRecalcAll, &T::OnSumListRecalcAll);
    Property("OnTitleBtnClick", &T::OnTitleBtnClick, &T::OnTitleBtnClick);
    Property("OnTitleClick", &T::OnTitleClick, &T::OnTitleClick);
}

// ---------------------------------------------------------------------------
// Construction and destruction

TCustomDBGridGx::TCustomDBGridGx(TComponent* AOwner) : TCustomGrid(AOwner) {
    DBGridGxInitialize();
    style_ = DBGridGxDefaultStyle();
    if (style_) style_->AddGrid(this, TNotifyEvent(this, &TCustomDBGridGx::StyleFreed));
    indicatorOffset_ = 1;
    dbOptions_ = kDefaultDBGridOptions;
    titleOffset_ = 1;
    AcquireGridDrawBitmap();
    TCustomGrid::SetDefaultDrawing(false);
    SetDesignOptionsBoost(TGridOptions{goColSizing});
    SetVirtualView(true);
    SetScrollBars(ssHorizontal);
    TCustomGrid::SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing,
                                         goColMoving, goEditing, goTabs});
    columnDefValues_ = CreateColumnDefValues();
    columns_ = CreateColumns();
    visibleColumns_ = new TColumnsGxList;
    SetRowCount(2);
    SetColCount(2);
    dataLink_ = new TGridDataLinkGx(this);
    SetColor(clWindow);
    footerColor_ = clWindow;
    SetParentColor(false);
    titleFont_ = new TFont;
    titleFont_->Assign(Font());
    titleFont_->OnChange = TNotifyEvent(this, &TCustomDBGridGx::TitleFontChanged);
    dbDefaultDrawing_ = true;
    selectedRows_ = new TBookmarkListGx(this);
    HideEditor();
    titleRoot_ = new THeadTreeNode("Root", 10, 0);
    vTitleMargin_ = 10;
    useMultiTitle_ = false;
    rowSizingAllowed_ = false;
    sumList_ = new TDBGridGxSumList(this);
    sumList_->OnRecalcAll = TNotifyEvent(this, &TCustomDBGridGx::SumListRecalcAll);
    sumList_->OnAfterRecalcAll = TNotifyEvent(this, &TCustomDBGridGx::SumListAfterRecalcAll);
    sumList_->SumListChanged = TNotifyEvent(this, &TCustomDBGridGx::SumListChanged);
    horzScrollBar_ = CreateScrollBar(SB_HORZ);
    vertScrollBar_ = static_cast<TVertDBGridGxScrollBar*>(CreateScrollBar(SB_VERT));
    optionsGx_ = kDefaultDBGridGxOptions;
    sortMarkedColumns_ = new TColumnsGxList;
    selection_ = new TDBGridGxSelection(this);
    allowedOperations_ = kAllAllowedOperationsGx;
    footerFont_ = new TFont;
    footerFont_->Assign(Font());
    footerFont_->OnChange = TNotifyEvent(this, &TCustomDBGridGx::FooterFontChanged);
    titleTextMargin_ = 4;
    allowedSelections_ = kAllAllowedSelectionsGx;
    colCellParams_ = new TColCellParamsGx;
    recordAccessAllowed_ = true;
    stFilter_ = new TSTDBGridGxFilter(this);
    titleImageLink_ = new TChangeLink;
    titleImageLink_->OnChange = TNotifyEvent(this, &TCustomDBGridGx::TitleImagesChanged);
    drawRecord_ = -1;
    titleOffset_ = (TitlesVisible() ? 1 : 0) + ExtraTitleRows();
}

void TCustomDBGridGx::BeforeDestruction() {
    destroying_ = true;
    TCustomGrid::BeforeDestruction();
    inplaceEdit_ = nullptr;
}

TCustomDBGridGx::~TCustomDBGridGx() {
    destroying_ = true;
    if (style_) style_->RemoveGrid(this);
    style_ = nullptr;
    delete colCellParams_;
    colCellParams_ = nullptr;
    delete columnDefValues_;
    columnDefValues_ = nullptr;
    TDBGridColumnsGx* columns = columns_;
    columns_ = new TDBGridColumnsGx(nullptr, ItemClassOf<TDBGridColumnGx>);
    delete columns;
    delete visibleColumns_;
    delete sortMarkedColumns_;
    dataLink_->SetDataSource(nullptr);
    delete dataLink_;
    dataLink_ = nullptr;
    delete horzScrollBar_;
    delete vertScrollBar_;
    delete titleFont_;
    delete footerFont_;
    delete selectedRows_;
    selectedRows_ = nullptr;
    if (titleImages_) titleImages_->UnRegisterChanges(titleImageLink_);
    delete titleImageLink_;
    ReleaseGridDrawBitmap();
    delete sumList_;
    delete selection_;
    delete stFilter_;
    delete columns_;
    columns_ = nullptr;
    titleLeaves_.clear();
    delete titleRoot_;  // the root frees the whole title tree
    titleRoot_ = nullptr;
    DBGridGxFinalize();
}

TDBGridColumnsGx* TCustomDBGridGx::CreateColumns() { return new TDBGridColumnsGx(this, ItemClassOf<TDBGridColumnGx>); }

TColumnDefValuesGx* TCustomDBGridGx::CreateColumnDefValues() { return new TDBGridGxColumnDefValuesGx(this); }

void TCustomDBGridGx::RecreateColumns() {
    delete columns_;
    delete columnDefValues_;
    columnDefValues_ = CreateColumnDefValues();
    columns_ = CreateColumns();
}

TDBGridGxScrollBar* TCustomDBGridGx::CreateScrollBar(int Kind) {
    if (Kind == SB_VERT) return new TVertDBGridGxScrollBar(this);
    return new TDBGridGxScrollBar(this, SB_HORZ);
}

void TCustomDBGridGx::Loaded() {
    TCustomGrid::Loaded();
    if (columns_->Count() > 0) {
        SetColCount(columns_->Count());
        if (autoFitColWidths_ && !Designing()) {
            columns_->BeginUpdate();
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->initWidth_ = columns_->Items(i)->Width();
            columns_->EndUpdate();
            SetScrollBars(ssNone);
        }
        UpdateHorzScrollBar();
    }
    if (DataSource()) sumList_->Loaded();
    LayoutChanged();
    DeferLayout();
}

void TCustomDBGridGx::DefineProperties(TFiler& Filer) {
    TCustomGrid::DefineProperties(Filer);
    bool hasData = columns_->State() == csCustomized;
    Filer.DefineProperty(
        "Columns", [this](TReader& Reader) { ReadColumns(Reader); }, [this](TWriter& Writer) { WriteColumns(Writer); },
        hasData);
}

void TCustomDBGridGx::ReadColumns(TReader& Reader) {
    columns_->Clear();
    Reader.ReadValue();
    Reader.ReadCollection(columns_);
}

void TCustomDBGridGx::WriteColumns(TWriter& Writer) { Writer.WriteCollection(columns_); }

// ---------------------------------------------------------------------------
// Property setters

TDataSource* TCustomDBGridGx::DataSource() const { return dataLink_ ? dataLink_->DataSource() : nullptr; }

void TCustomDBGridGx::SetDataSource(TDataSource* Value) {
    if (Value == dataLink_->DataSource()) return;
    ClearSelection();
    dataLink_->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActive(dataLink_->Active());
    sumList_->SetDataSet(Value ? Value->DataSet() : nullptr);
}

void TCustomDBGridGx::SetAllowedSelections(TDBGridGxAllowedSelections Value) {
    allowedSelections_ = Value;
    TDBGridGxSelectionType kind = selection_->SelectionType();
    if (kind != gstNon && !Value.Contains(kind)) selection_->Clear();
}

void TCustomDBGridGx::SetAutoFitColWidths(bool Value) {
    if (Value == autoFitColWidths_) return;
    autoFitColWidths_ = Value;
    if (!Designing()) {
        if (Value) {
            if (!Loading())
                for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->initWidth_ = columns_->Items(i)->Width();
            SetScrollBars(ssNone);
        } else {
            BeginLayout();
            {
                TScopeGuard endLayout([&] { EndLayout(); });
                for (int i = 0; i < columns_->Count(); ++i) {
                    TColumnGx* c = columns_->Items(i);
                    if (c->IsAssigned(TColumnGx::cvWidth)) c->SetWidth(c->initWidth_);
                }
            }
            SetScrollBars(ssHorizontal);
        }
    }
    LayoutChanged();
}

void TCustomDBGridGx::SetDrawMemoText(bool Value) {
    if (Value == drawMemoText_) return;
    drawMemoText_ = Value;
    Invalidate();
}

void TCustomDBGridGx::SetEvenRowColor(TColor Value) {
    evenRowColorSet_ = true;
    evenRowColor_ = Value;
    Invalidate();
}

void TCustomDBGridGx::SetOddRowColor(TColor Value) {
    oddRowColorSet_ = true;
    oddRowColor_ = Value;
    Invalidate();
}

void TCustomDBGridGx::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    if (HandleAllocated()) Perform(CM_RECREATEWND, 0, 0);
    LayoutChanged();
}

void TCustomDBGridGx::SetFooterColor(TColor Value) {
    if (Value == footerColor_) return;
    footerColor_ = Value;
    if (!Loading()) SetParentColor(false);
    if (footerRowCount_ > 0) InvalidateFooter();
}

void TCustomDBGridGx::SetFooterRowCount(int Value) {
    if (Value < 0 || Value == footerRowCount_) return;
    footerRowCount_ = Value;
    QueryRecordAccess();
    LayoutChanged();
}

void TCustomDBGridGx::SetFrozenCols(int Value) {
    if (Value == frozenCols_) return;
    frozenCols_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetMinAutoFitWidth(int Value) {
    if (Value == minAutoFitWidth_) return;
    minAutoFitWidth_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetOptions(TDBGridOptions Value) {
    if (Value == dbOptions_) return;
    TGridOptions grid = TCustomGrid::Options();
    auto map = [&grid](bool on, std::initializer_list<TGridOption> options) {
        for (TGridOption o : options) {
            if (on) grid.Include(o);
            else grid.Exclude(o);
        }
    };
    map(Value.Contains(dgColLines), {goFixedVertLine, goVertLine});
    map(Value.Contains(dgRowLines), {goFixedHorzLine, goHorzLine});
    map(Value.Contains(dgColumnResize), {goColSizing, goColMoving});
    map(Value.Contains(dgTabs), {goTabs});
    map(Value.Contains(dgRowSelect), {goRowSelect});
    if (Value.Contains(dgRowSelect)) {
        Value.Exclude(dgEditing);
        Value.Exclude(dgAlwaysShowEditor);
    }
    map(Value.Contains(dgEditing), {goEditing});
    map(Value.Contains(dgAlwaysShowEditor), {goAlwaysShowEditor});
    map(rowSizingAllowed_, {goRowSizing});
    TDBGridOptions old = dbOptions_;
    dbOptions_ = Value;
    TCustomGrid::SetOptions(grid);
    if (old.Contains(dgMultiSelect) && !Value.Contains(dgMultiSelect)) ClearSelection();
    TDBGridOptions layoutOptions{dgEditing, dgAlwaysShowEditor, dgTitles,   dgIndicator,
                                 dgColLines, dgRowLines,        dgRowSelect, dgAlwaysShowSelection};
    if (!((old * layoutOptions) == (Value * layoutOptions))) LayoutChanged();
    if (EditorMode()) InvalidateEditor();
}

void TCustomDBGridGx::SetOptionsGx(TDBGridGxOptions Value) {
    if (Value == optionsGx_) return;
    if (optionsGx_.Contains(dghMultiSortMarking) && !Value.Contains(dghMultiSortMarking)) {
        // Only the first sort-marked column keeps its marker.
        std::vector<TColumnGx*> marked;
        for (int i = 1; i < sortMarkedColumns_->Count(); ++i) marked.push_back(sortMarkedColumns_->Items(i));
        for (TColumnGx* c : marked)
            if (c) {
                c->title_->sortMarker_ = smNoneGx;
                c->title_->sortIndex_ = 0;
            }
        UpdateSortMarkedColumns();
    }
    optionsGx_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetReadOnly(bool Value) {
    if (Value == readOnly_) return;
    readOnly_ = Value;
    Invalidate();
    UpdateActive();
}

void TCustomDBGridGx::SetRowHeight(int Value) {
    if (Value < 0) Value = 0;
    if (Value == rowHeight_) return;
    rowHeight_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetRowLines(int Value) {
    if (Value < 0) Value = 0;
    if (Value == rowLines_) return;
    rowLines_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetRowSizingAllowed(bool Value) {
    if (Value == rowSizingAllowed_) return;
    rowSizingAllowed_ = Value;
    TGridOptions grid = TCustomGrid::Options();
    if (Value) grid.Include(goRowSizing);
    else grid.Exclude(goRowSizing);
    TCustomGrid::SetOptions(grid);
}

void TCustomDBGridGx::SetTitleFont(TFont* Value) { titleFont_->Assign(Value); }

void TCustomDBGridGx::SetTitleHeight(int Value) {
    if (Value == titleHeight_) return;
    titleHeight_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetTitleLines(int Value) {
    if (Value == titleLines_) return;
    titleLines_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetTitleImages(TCustomImageList* Value) {
    if (Value == titleImages_) return;
    if (titleImages_) titleImages_->UnRegisterChanges(titleImageLink_);
    titleImages_ = Value;
    if (Value) {
        Value->RegisterChanges(titleImageLink_);
        Value->FreeNotification(this);
    }
    LayoutChanged();
}

void TCustomDBGridGx::SetUseMultiTitle(bool Value) {
    if (Value == useMultiTitle_) return;
    useMultiTitle_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetVTitleMargin(int Value) {
    if (Value == vTitleMargin_) return;
    vTitleMargin_ = Value;
    LayoutChanged();
}

void TCustomDBGridGx::SetDefaultDrawing(bool Value) {
    if (Value == dbDefaultDrawing_) return;
    dbDefaultDrawing_ = Value;
    Invalidate();
}

void TCustomDBGridGx::SetStyle(TDBGridGxStyle* Value) {
    if (!Value) Value = DBGridGxDefaultStyle();
    if (Value == style_) return;
    if (style_) style_->RemoveGrid(this);
    style_ = Value;
    if (style_) style_->AddGrid(this, TNotifyEvent(this, &TCustomDBGridGx::StyleFreed));
    LayoutChanged();
}

// The style went away: the grid's own colour rules apply from now on.
void TCustomDBGridGx::StyleFreed(TObject*) { style_ = nullptr; }

void TCustomDBGridGx::TitleFontChanged(TObject*) {
    if (!Loading()) SetParentFont(false);
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->title_->RefreshDefaultFont();
    if (dbOptions_.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridGx::FooterFontChanged(TObject*) {
    if (!Loading()) SetParentFont(false);
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnGx* c = columns_->Items(i);
        c->footer_->RefreshDefaultFont();
        for (int k = 0; k < c->footers_->Count(); ++k) c->footers_->Items(k)->RefreshDefaultFont();
    }
    if (footerRowCount_ >= 1) LayoutChanged();
}

void TCustomDBGridGx::TitleImagesChanged(TObject*) {
    if (HandleAllocated() && TitlesVisible()) {
        TRect r = BoxRect(0, 0, ColCount() - 1, 0);
        ::InvalidateRect(Handle(), &r, 0);
    }
}

void TCustomDBGridGx::SumListRecalcAll(TObject*) {
    if (OnSumListRecalcAll) OnSumListRecalcAll(this);
}

void TCustomDBGridGx::SumListAfterRecalcAll(TObject*) {
    if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(this);
}

void TCustomDBGridGx::SumListChanged(TObject*) { InvalidateFooter(); }

// ---------------------------------------------------------------------------
// Layout

void TCustomDBGridGx::BeginLayout() {
    BeginUpdate();
    if (layoutLock_ == 0) columns_->BeginUpdate();
    ++layoutLock_;
}

void TCustomDBGridGx::EndLayout() {
    {
        const bool last = layoutLock_ == 1;
        // The lock is given back whatever the layout met.
        TScopeGuard unlock([&] {
            if (last) columns_->EndUpdate();
            --layoutLock_;
            EndUpdate();
        });
        if (last) InternalLayout();
    }
    if (layoutLock_ == 0 && resizePending_) {
        resizePending_ = false;
        UpdateLayoutAfterResize();
    }
}

bool TCustomDBGridGx::AcquireLayoutLock() {
    if (updateLock_ != 0 || layoutLock_ != 0) return false;
    BeginLayout();
    return true;
}

void TCustomDBGridGx::LayoutChanged() {
    if (IsDestroying()) return;
    if (AcquireLayoutLock()) EndLayout();
}

void TCustomDBGridGx::DeferLayout() {
    if (!HandleAllocated() || IsDestroying()) return;
    TMsg m;
    if (!PeekMessage(&m, Handle(), WM_DEFERLAYOUTGX, WM_DEFERLAYOUTGX, PM_NOREMOVE))
        PostMessage(Handle(), WM_DEFERLAYOUTGX, 0, 0);
}

void TCustomDBGridGx::WMDeferLayout(TMessage&) { LayoutChanged(); }

void TCustomDBGridGx::DefineFieldMap() {
    if (columns_->State() == csCustomized) {
        dataLink_->SetSparseMap(true);
        for (int i = 0; i < columns_->Count(); ++i) dataLink_->AddMapping(columns_->Items(i)->FieldName());
    } else {
        dataLink_->SetSparseMap(false);
        TDataSet* ds = dataLink_->DataSet();
        for (int i = 0; i < ds->FieldCount(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            if (f->Visible()) dataLink_->AddMapping(f->FieldName());
        }
    }
}

void TCustomDBGridGx::GetDatasetFieldList(TList* List) {
    TDataSet* ds = dataLink_->DataSet();
    if (!ds) return;
    for (int i = 0; i < ds->FieldCount(); ++i) List->Add(ds->Fields()->Fields(i));
}

int TCustomDBGridGx::FixedLineWidth() const {
    return dbOptions_.Contains(dgRowLines) ? GridLineWidth() : 0;
}

HDC TCustomDBGridGx::MeasureDC(bool& Owned) {
    // Text is measured alike on the screen and on the window.
    Owned = true;
    return CreateScreenDC();
}

void TCustomDBGridGx::InternalLayout() {
    if (Loading() || IsDestroying()) return;
    if (HandleAllocated()) KillMessage(Handle(), WM_DEFERLAYOUTGX);
    layoutRunning_ = true;
    TScopeGuard running([this] { layoutRunning_ = false; });

    // A customized column after a default one: the default ones go.
    bool seenDefault = false, mixed = false;
    for (int i = 0; i < columns_->Count(); ++i) {
        if (columns_->Items(i)->IsDefaultColumn()) seenDefault = true;
        else if (seenDefault) {
            mixed = true;
            break;
        }
    }
    if (mixed)
        for (int i = columns_->Count() - 1; i >= 0; --i)
            if (columns_->Items(i)->IsDefaultColumn()) FreeObject(columns_->Items(i));

    indicatorOffset_ = dbOptions_.Contains(dgIndicator) ? 1 : 0;
    dataLink_->ClearMapping();
    if (dataLink_->Active()) DefineFieldMap();

    if (columns_->State() == csCustomized) {
        // Fields bind again on first use.
        for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetField(nullptr);
    } else {
        TDataSet* ds = dataLink_->DataSet();
        if (!dataLink_->Active() && ds && ds->DefaultFields()) {
            columns_->Clear();
        } else {
            for (int i = columns_->Count() - 1; i >= 0; --i) {
                TColumnGx* c = columns_->Items(i);
                bool mapped = false;
                for (int k = 0; c->field_ && k < dataLink_->MappedCount(); ++k)
                    if (dataLink_->GetMappedField(k) == c->field_) mapped = true;
                if (!mapped) FreeObject(c);
            }
        }
        int mapped = dataLink_->MappedCount();
        for (int i = 0; i < mapped || (i == 0 && columns_->Count() == 0); ++i) {
            TField* f = dataLink_->GetMappedField(i);
            TColumnGx* found = nullptr;
            for (int j = i; f && j < columns_->Count(); ++j)
                if (columns_->Items(j)->field_ == f) {
                    found = columns_->Items(j);
                    break;
                }
            if (!found) {
                found = columns_->AddDefaultColumn();
                found->SetField(f);
            }
            // A plain move: the field order is what the columns follow here.
            found->TCollectionItem::SetIndex(i);
        }
    }

    visibleColumns_->Clear();
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->Visible()) visibleColumns_->Add(columns_->Items(i));
    int hidden = 0, i = 0, count = columns_->Count();
    for (; i < count && i < frozenCols_ + hidden; ++i)
        if (!columns_->Items(i)->Visible()) ++hidden;
    for (; i < count && !columns_->Items(i)->Visible(); ++i) ++hidden;
    if (visibleColumns_->Count() == 0) --hidden;
    if (hidden < 0) hidden = 0;
    SetColCount(count + indicatorOffset_);
    int fixed = indicatorOffset_ + hidden;
    if (dataLink_->Active() || columns_->State() == csCustomized) fixed += frozenCols_;
    SetFixedCols(std::min(fixed, ColCount() - 1));
    titleOffset_ = (TitlesVisible() ? 1 : 0) + ExtraTitleRows();

    bool owned;
    HDC dc = MeasureDC(owned);
    TScopeGuard release([dc, owned] {
        if (owned) DeleteDC(dc);
    });
    TEXTMETRIC tm;
    int h = TextHeightOf(dc, Font(), &tm);
    int k = (flat_ ? 1 : 3) + FixedLineWidth();
    int rowHeight;
    if (rowHeight_ < 1 && rowLines_ < 1) rowHeight = h + k;
    else rowHeight = (tm.tmHeight + tm.tmExternalLeading) * rowLines_ + rowHeight_;
    if (optionsGx_.Contains(dghFitRowHeightToText) && h > 0) {
        int q = (rowHeight - k) / h, r = (rowHeight - k) % h;
        rowHeight = (r <= h / 2 && q > 0) ? q * h + k : (q + 1) * h + k;
        rowLines_ = (rowHeight - k) / h;
        rowHeight_ = k;
    }
    SetDefaultRowHeight(rowHeight);
    multiLineRows_ = rowHeight > tm.tmHeight + tm.tmInternalLeading + tm.tmExternalLeading + 4;
    editButtonHeight_ = rowHeight;
    if (rowHeight > (editButtonWidth_ * 3 + 1) / 2) editButtonHeight_ = GetDefaultEditButtonHeight(editButtonWidth_, flat_);

    if (dbOptions_.Contains(dgTitles) && !useMultiTitle_) {
        int titleHeight = 0;
        for (int c = 0; c < columns_->Count(); ++c)
            titleHeight = std::max(titleHeight, TextHeightOf(dc, columns_->Items(c)->Title()->Font()) + titleTextMargin_);
        if (columns_->Count() == 0) titleHeight = TextHeightOf(dc, titleFont_) + titleTextMargin_;
        SetRowHeights(0, titleHeight);
    }

    SetColumnAttributes();
    bool autoFitting = autoFitColWidths_ && !Designing();
    bool wantHorz = horzScrollBar_->Visible() && !horzScrollBar_->ExtScrollBar() && !autoFitting;
    TScrollStyle wanted = wantHorz ? ssHorizontal : ssNone;
    if (wanted != ScrollBars()) {
        SetScrollBars(wanted);
        if (HandleAllocated()) {
            HandleNeeded();
            UpdateScrollBar();
        }
    }
    if (autoFitting && HandleAllocated()) ApplyAutoFit();

    if (dbOptions_.Contains(dgTitles) && (titleHeight_ != 0 || titleLines_ != 0)) {
        TFont* font = titleFont_;
        int best = -1;
        for (int c = 0; c < columns_->Count(); ++c) {
            TFont* f = columns_->Items(c)->Title()->Font();
            int fh = TextHeightOf(dc, f);
            if (fh > best) {
                best = fh;
                font = f;
            }
        }
        TEXTMETRIC ttm;
        TextHeightOf(dc, font, &ttm);
        SetRowHeights(0, titleLines_ * ttm.tmHeight + ttm.tmExternalLeading + 2 + titleHeight_ +
                             (dbOptions_.Contains(dgRowLines) ? 1 : 0));
    }
    if (dbOptions_.Contains(dgTitles) && useMultiTitle_) SetRowHeights(0, std::max(0, MeasureMultiTitleHeight(dc)));

    SetColumnAttributes();
    int leftCol = LeftCol();
    UpdateRowCount();
    if (dbOptions_.Contains(dgRowSelect) && leftCol != LeftCol() && leftCol < ColCount()) SetLeftCol(leftCol);
    UpdateActive();
    // The bar's page is the rows that now fit.
    UpdateScrollBar();
    Invalidate();
    UpdateFilterEdit(false);
}

void TCustomDBGridGx::ApplyAutoFit() {
    std::vector<TColumnGx*> visible;
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->Visible()) visible.push_back(columns_->Items(i));
    std::vector<bool> held(visible.size(), false);
    int handed = 0, target = 0;
    bool any = false;
    for (size_t pass = 0; pass < visible.size(); ++pass) {
        UpdateScrollBar();
        int s = 0, f = 0;
        for (size_t i = 0; i < visible.size(); ++i) {
            if (visible[i]->AutoFitColWidth() && !held[i]) s += visible[i]->initWidth_;
            else f += visible[i]->Width();
        }
        int a = std::max(ClientWidth(), minAutoFitWidth_) - f;
        if (a < 0) a = 0;
        if (dbOptions_.Contains(dgIndicator)) a -= ColWidths(0);
        if (dbOptions_.Contains(dgColLines)) a -= static_cast<int>(visible.size());
        if (dbOptions_.Contains(dgIndicator) && dbOptions_.Contains(dgColLines)) a -= 1;
        if (a < 0) a = 0;
        // Nothing to share by when the initial widths add up to nothing.
        if (s <= 0) return;
        bool changed = false;
        handed = 0;
        target = a;
        any = false;
        for (size_t i = 0; i < visible.size(); ++i) {
            if (!visible[i]->AutoFitColWidth() || held[i]) continue;
            int w = MulDiv(visible[i]->initWidth_, a, s);
            visible[i]->SetWidth(w);
            if (visible[i]->Width() != w) {
                held[i] = true;
                changed = true;
            }
            handed += visible[i]->Width();
            any = true;
        }
        if (!changed) break;
    }
    if (!any || handed == target) return;
    for (size_t i = visible.size(); i-- > 0;) {
        if (!visible[i]->AutoFitColWidth() || held[i]) continue;
        int w = visible[i]->Width() + target - handed;
        visible[i]->SetWidth(w < 0 ? 0 : w);
        break;
    }
}

void TCustomDBGridGx::SetColumnAttributes() {
    bool active = dataLink_->Active();
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnGx* c = columns_->Items(i);
        int raw = i + indicatorOffset_;
        if (raw >= ColCount()) break;
        TField* f = c->Field();
        bool tab = c->Visible() && !c->ReadOnly() && active && f && !f->Calculated() && !f->ReadOnly();
        if (tab && f->Lookup() && !f->KeyFields().empty()) {
            std::vector<TField*> keys;
            f->DataSet()->GetFieldList(keys, f->KeyFields());
            bool allReadOnly = !keys.empty();
            for (TField* k : keys)
                if (!k->ReadOnly()) allReadOnly = false;
            if (allReadOnly) tab = false;
        }
        SetTabStops(raw, tab);
        SetColWidths(raw, c->Visible() ? c->Width() : (dbOptions_.Contains(dgColLines) ? -1 : 0));
    }
    if (dbOptions_.Contains(dgIndicator) && ColCount() > 0) {
        SetColWidths(0, kIndicatorWidth);
        SetTabStops(0, false);
    }
}

void TCustomDBGridGx::UpdateRowCount() {
    if (!dataLink_) return;
    inUpdateRowCount_ = true;
    TScopeGuard reset([this] { inUpdateRowCount_ = false; });
    int oldRowCount = RowCount();
    auto setRowCount = [this](int n) {
        // The current cell moves first when its row goes.
        if (n <= Row()) MoveColRow(Col(), n - 1, false, false);
        SetRowCount(n);
    };
    if (RowCount() <= titleOffset_) setRowCount(titleOffset_ + 1);
    if (FixedRows() != titleOffset_) {
        if (RowCount() <= titleOffset_) setRowCount(titleOffset_ + 1);
        SetFixedRows(titleOffset_);
    }
    int line = FixedLineWidth();
    int rowHeight = DefaultRowHeight();
    int titleHeight = TitlesVisible() ? RowHeights(0) : 0;
    int used = 0;
    if (TitlesVisible()) used += titleHeight + line;
    used += ExtraTitleRows() * (rowHeight + line);
    if (footerRowCount_ > 0) used += footerRowCount_ * (rowHeight + line) + line;
    SetDefaultRowHeight(rowHeight);
    if (TitlesVisible()) SetRowHeights(0, titleHeight);
    if (!DirectRecordAccess()) {
        SetTopRow(FixedRows());
        TDataSet* ds = dataLink_->DataSet();
        int dataRows = 1;
        if (dataLink_->Active() && HandleAllocated() && ds && !ds->IsEmpty()) {
            int n = std::max(1, (ClientHeight() - used) / std::max(1, rowHeight + line));
            dataLink_->SetBufferCount(n);
            dataRows = dataLink_->RecordCount();
        }
        used += dataRows * (rowHeight + line);
        if (footerRowCount_ >= 1) {
            setRowCount(titleOffset_ + dataRows + 1 + footerRowCount_);
            SetRowHeights(titleOffset_ + dataRows, std::max(0, ClientHeight() - used));
        } else {
            setRowCount(titleOffset_ + dataRows);
        }
        if (dataLink_->Active() && HandleAllocated() && ds && !ds->IsEmpty()) UpdateActive();
    }
    if (RowCount() != oldRowCount) Invalidate();
}

// ---------------------------------------------------------------------------
// The data link's calls

bool TCustomDBGridGx::DataLinkActive() const { return dataLink_ && dataLink_->Active(); }

void TCustomDBGridGx::LinkActive(bool Value) {
    if (IsDestroying()) return;
    if (!Value) HideEditor();
    selection_->LinkActive(Value);
    sumList_->SetDataSet(DataSource() ? DataSource()->DataSet() : nullptr);
    if (DirectRecordAccess()) UpdateRowCount();
    LayoutChanged();
    if (Value && EditorAlwaysShown()) ShowEditor();
    UpdateScrollBar();
    QueryRecordAccess();
    columns_->ReleaseFilterValueLists();
}

void TCustomDBGridGx::QueryRecordAccess() {
    // No data set of ours offers the record-access interface, so rows always
    // come from the data link's buffer.
    void* before = recordAccess_;
    recordAccess_ = nullptr;
    if (before != recordAccess_) LayoutChanged();
}

void TCustomDBGridGx::DataChanged() {
    // A data set sorted anew orders the selected bookmarks differently.
    if (!IsDestroying() && DataLinkActive()) selectedRows_->Resort();
    if (!HandleAllocated() || sumListRecalcing_ || IsDestroying()) return;
    if (Designing() && sumList_->Active()) {
        sumListRecalcing_ = true;
        {
            TScopeGuard reset([&] { sumListRecalcing_ = false; });
            sumList_->RecalcAll();
        }
    }
    UpdateRowCount();
    bool wasShowing = vertScrollBar_->IsScrollBarShowing();
    UpdateScrollBar();
    if (wasShowing != vertScrollBar_->IsScrollBarShowing() && autoFitColWidths_ && !Designing()) DeferLayout();
    UpdateActive();
    InvalidateEditor();
    ValidateRect(Handle(), nullptr);
    Invalidate();
}

void TCustomDBGridGx::RecordChanged(TField* Field) {
    if (!HandleAllocated() || IsDestroying()) return;
    bool bound = Field == nullptr;
    for (int i = 0; !bound && i < columns_->Count(); ++i)
        if (columns_->Items(i)->field_ == Field) bound = true;
    if (Field == nullptr) Invalidate();
    else if (bound) InvalidateRow(Row());
    TField* current = SelectedField();
    if ((Field == nullptr || Field == current) && current && InplaceEditor()) {
        AnsiString text = GetEditText(Col(), Row());
        if (text != InplaceEditor()->Text()) {
            InvalidateEditor();
            if (InplaceEditor()) InplaceEditor()->SelectAll();
        }
    }
}

void TCustomDBGridGx::EditingChanged() {
    if (dbOptions_.Contains(dgIndicator)) InvalidateCell(0, Row());
}

void TCustomDBGridGx::WriteEditText() {
    TColumnGx* column = SelectedIndex() >= 0 ? columns_->Items(SelectedIndex()) : nullptr;
    if (!column) return;
    TField* field = column->Field();
    AnsiString text = editText_;
    if (!field) {
        column->UpdateDataValues(text, Variant(text), true);
        return;
    }
    TColumnGxType kind = column->GetColumnType();
    if (kind == ctPickList) {
        if (column->OnNotInList && column->PickList()->IndexOf(text) < 0) {
            bool recheck = false;
            column->OnNotInList(column, text, recheck);
        }
        column->UpdateDataValues(text, Variant(text), true);
    } else if (kind == ctKeyPickList) {
        TStrings* pick = column->PickList();
        TStrings* keys = column->KeyList();
        int index = pick->IndexOf(text);
        if (index >= 0 && index < keys->Count()) {
            editKeyValue_ = Variant(keys->Strings(index));
        } else if (column->OnNotInList && !text.empty()) {
            bool recheck = false;
            column->OnNotInList(column, text, recheck);
            index = recheck ? pick->IndexOf(text) : -1;
            editKeyValue_ = index >= 0 && index < keys->Count() ? Variant(keys->Strings(index)) : Null();
        } else {
            editKeyValue_ = Null();
        }
        column->UpdateDataValues(text, editKeyValue_, false);
    } else if (field->Lookup() && !field->KeyFields().empty()) {
        TDataSet* list = field->LookupDataSet();
        if (VarIsNull(editKeyValue_) && !text.empty() && column->OnNotInList && list) {
            TLocateOptions options{loCaseInsensitive};
            bool found = list->Locate(field->LookupResultField(), Variant(text), options);
            if (!found) {
                bool recheck = false;
                column->OnNotInList(column, text, recheck);
                if (recheck) found = list->Locate(field->LookupResultField(), Variant(text), options);
            }
            if (found) editKeyValue_ = list->FieldValues(field->LookupKeyFields());
        }
        std::vector<TField*> keys;
        field->DataSet()->GetFieldList(keys, field->KeyFields());
        if (FieldsCanModify(keys)) {
            field->DataSet()->Edit();
            column->UpdateDataValues(text, editKeyValue_, false);
        }
        // A lookup field shows what its key fields find: the keys are written above, and
        // writing its text as well would refuse the whole commit.
        if (!field->CanModify()) return;
        if (drawMemoText_ && (field->DataType() == ftMemo || field->DataType() == ftFmtMemo)) field->SetAsString(text);
        else field->SetText(text);
    } else {
        column->UpdateDataValues(text, Variant(text), true);
    }
}

// A text the field refuses is shown to the user with the field's own message;
// the editor keeps the text and the record stays in edit, so nothing typed is
// lost, and the commit that asked for it (a post, a move, a column change) is
// called off silently.
void TCustomDBGridGx::UpdateData() {
    // The cell gets exactly what its open editor shows.
    if (TInplaceEdit* editor = InplaceEditor(); editor && editor->Visible()) UpdateText();
    try {
        WriteEditText();
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        AnsiString kept = editText_;
        MessageDlg(e.Message(), mtError, MsgDlgButtons({mbOK}), 0);
        TInplaceEdit* editor = InplaceEditor();
        if (!(editor && editor->Visible()) && dbOptions_.Contains(dgEditing)) ShowEditor();
        editor = InplaceEditor();
        if (editor && editor->Visible() && editor->Text() != kept) editor->SetEditText(kept);
        editText_ = kept;
        if (editor && editor->Visible() && editor->CanFocus()) editor->SetFocus();
        Abort();
    }
}

// ---------------------------------------------------------------------------
// Rows, cells and columns

TCellTypeGx TCustomDBGridGx::GetCellType(int ACol, int ARow) {
    TCellTypeGx t;
    if (ACol < indicatorOffset_) {
        t.Horz = ctIndicator;
        t.DataCol = -1;
    } else {
        t.Horz = ctData;
        t.DataCol = ACol - indicatorOffset_;
    }
    int row = ARow;
    if (TitlesVisible()) {
        if (row == 0) {
            t.Vert = ctTitle;
            return t;
        }
        --row;
    }
    // The rows under the titles: the filter row, then a descendant's own (a lookup list's special row).
    const int extra = ExtraTitleRows();
    if (row < extra) {
        t.Vert = ctFilter;
        t.Index = row;
        return t;
    }
    row -= extra;
    int dataRows = DataRowCount();
    if (row >= 0 && row < dataRows) {
        t.Vert = ctData;
        t.Index = row;
        return t;
    }
    row -= dataRows;
    if (row == 0 && footerRowCount_ > 0) {
        t.Vert = ctFiller;
        return t;
    }
    if (footerRowCount_ > 0 && row >= 1 && row <= footerRowCount_) {
        t.Vert = ctFooter;
        t.Index = row - 1;
        return t;
    }
    throw EDBGridGxError("Algorithm error in TCustomDBGridGx.GetCellType");
}

int TCustomDBGridGx::DataRowCount() const {
    int n = RowCount() - titleOffset_;
    if (footerRowCount_ > 0) n -= footerRowCount_ + 1;
    return n;
}

int TCustomDBGridGx::VisibleDataRowCount() {
    int n = VisibleRowCount();
    if (footerRowCount_ > 0) n -= footerRowCount_ + 1;
    return std::max(1, n);
}

void TCustomDBGridGx::ActivateDrawRow(int Row) {
    int record = Row - titleOffset_;
    if (DirectRecordAccess() || !dataLink_->Active()) return;
    if (drawRecord_ < 0) {
        savedActiveRecord_ = dataLink_->ActiveRecord();
    }
    drawRecord_ = record;
    dataLink_->SetActiveRecord(record);
}

void TCustomDBGridGx::RestoreDrawRow() {
    if (drawRecord_ < 0) return;
    drawRecord_ = -1;
    if (dataLink_->Active() && savedActiveRecord_ >= 0) dataLink_->SetActiveRecord(savedActiveRecord_);
    savedActiveRecord_ = -1;
}

int TCustomDBGridGx::SelectedIndex() const {
    int index = Col() - indicatorOffset_;
    return index >= 0 && index < columns_->Count() ? index : -1;
}

void TCustomDBGridGx::SetSelectedIndex(int Value) { MoveCol(DataToRawColumn(Value), 0, false); }

TField* TCustomDBGridGx::SelectedField() {
    int index = SelectedIndex();
    return index >= 0 ? columns_->Items(index)->Field() : nullptr;
}

void TCustomDBGridGx::SetSelectedField(TField* Value) {
    if (!Value) return;
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->Field() == Value) MoveCol(DataToRawColumn(i), 0, false);
}

void TCustomDBGridGx::InvalidateEditor() {
    TCustomGrid::InvalidateEditor();
    UpdateFilterEdit(false);
}

void TCustomDBGridGx::InvalidateCol(int ACol) { TCustomGrid::InvalidateCol(ACol); }

void TCustomDBGridGx::InvalidateCell(int ACol, int ARow) {
    TCustomGrid::InvalidateCell(ACol, ARow);
    if (dbOptions_.Contains(dgRowLines) && HandleAllocated()) {
        TRect r = CellRect(ACol, ARow);
        if (!IsRectEmpty(r)) {
            r.Top -= GridLineWidth();
            r.Bottom = r.Top + GridLineWidth();
            ::InvalidateRect(Handle(), &r, 0);
        }
    }
}

void TCustomDBGridGx::InvalidateFooter() {
    if (!HandleAllocated() || footerRowCount_ <= 0 || IsDestroying()) return;
    TRect r = BoxRect(0, RowCount() - footerRowCount_, ColCount() - 1, RowCount() - 1);
    if (IsRectEmpty(r)) return;
    r.Left = 0;
    r.Right = ClientWidth();
    ::InvalidateRect(Handle(), &r, 0);
}

void TCustomDBGridGx::InvalidateSelection() {
    if (selection_->SelectionType() == gstAll) {
        Invalidate();
    } else {
        InvalidateGridRect(selection_->GetGridRect());
    }
    InvalidateRow(Row());
}

void TCustomDBGridGx::UpdateSortMarkedColumns() {
    sortMarkedColumns_->Clear();
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnGx* c = columns_->Items(i);
        int index = c->Title()->SortIndex();
        if (index <= 0) continue;
        if (sortMarkedColumns_->Count() < index) sortMarkedColumns_->SetCount(index);
        sortMarkedColumns_->SetItem(index - 1, c);
    }
}

// ---------------------------------------------------------------------------
// Framework overrides

void TCustomDBGridGx::CreateWnd() {
    {
        TUpdateLock lock(this);
        TCustomGrid::CreateWnd();
    }
    // A window made again (Flat changed) starts without a bar: set it up anew.
    ResetScrollBarCache();
    editButtonWidth_ = flat_ ? GetDefaultFlatButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
    editButtonHeight_ = GetDefaultEditButtonHeight(editButtonWidth_, flat_);
    if (!autoFitColWidths_) {
        UpdateRowCount();
        UpdateActive();
    } else {
        LayoutChanged();
    }
    UpdateScrollBar();
}

void TCustomDBGridGx::ColWidthsChanged() {
    TCustomGrid::ColWidthsChanged();
    if (IsDestroying() || Loading()) return;
    // Widths set by a layout are the columns' own already.
    if (!AcquireLayoutLock()) return;
    stFilter_->BeginUpdate();
    {
        TScopeGuard endUpdate([&] {
            stFilter_->EndUpdate();
            EndLayout();
        });
        for (int raw = indicatorOffset_; raw < ColCount(); ++raw) {
            int index = raw - indicatorOffset_;
            if (index >= columns_->Count()) break;
            TColumnGx* c = columns_->Items(index);
            if (!c->Visible()) continue;
            int oldWidth = c->Width();
            int w = c->AllowableWidth(ColWidths(raw));
            if (w != ColWidths(raw)) TCustomGrid::SetColWidths(raw, w);
            if (!autoFitColWidths_ || Designing()) {
                c->SetWidth(w);
            } else if (w != oldWidth) {
                // The resized column keeps its share; the auto-fit columns to its right give up the growth.
                int oldInit = c->initWidth_;
                if (oldWidth > 0) c->initWidth_ = MulDiv(w, c->initWidth_, oldWidth);
                int growth = c->initWidth_ - oldInit;
                int rightSum = 0;
                for (int k = index + 1; k < columns_->Count(); ++k)
                    if (columns_->Items(k)->Visible() && columns_->Items(k)->AutoFitColWidth())
                        rightSum += columns_->Items(k)->initWidth_;
                if (rightSum > 0)
                    for (int k = index + 1; k < columns_->Count(); ++k) {
                        TColumnGx* right = columns_->Items(k);
                        if (!right->Visible() || !right->AutoFitColWidth()) continue;
                        int cut = MulDiv(growth, right->initWidth_, rightSum);
                        right->initWidth_ = std::max(1, right->initWidth_ - cut);
                    }
                c->SetWidth(w);
            }
        }
    }
    InvalidateEditor();
    if (OnColWidthsChanged) OnColWidthsChanged(this);
}

void TCustomDBGridGx::RowHeightsChanged() {
    TCustomGrid::RowHeightsChanged();
    if (IsDestroying() || Loading() || layoutLock_ > 0 || inUpdateRowCount_ || !rowSizingAllowed_) return;
    // Rows sized by the mouse: every data row takes the sized height.
    for (int r = titleOffset_; r < RowCount(); ++r)
        if (RowHeights(r) != DefaultRowHeight()) {
            rowLines_ = 0;
            rowHeight_ = RowHeights(r);
            UpdateScrollBar();
            LayoutChanged();
            return;
        }
}

void TCustomDBGridGx::ColumnMoved(int FromIndex, int ToIndex) {
    TCustomGrid::ColumnMoved(FromIndex, ToIndex);
    int from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
    if (from < 0 || to < 0 || from >= columns_->Count() || to >= columns_->Count()) return;
    columns_->Items(from)->SetIndex(to);
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TCustomDBGridGx::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    UpdateFilterEdit(false);
}

void TCustomDBGridGx::DoExit() {
    try {
        if (dataLink_->Active()) {
            TDataSet* ds = dataLink_->DataSet();
            if (dbOptions_.Contains(dgCancelOnExit) && ds->State() == dsInsert && !ds->Modified() &&
                !dataLink_->IsModified())
                ds->Cancel();
            else
                dataLink_->NotifyUpdateData();
        }
    } catch (...) {
        SetFocus();
        throw;
    }
    TCustomGrid::DoExit();
}

void TCustomDBGridGx::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation != opRemove || IsDestroying()) return;
    if (AComponent == inplaceEdit_) inplaceEdit_ = nullptr;
    if (AComponent == filterEditor_) filterEditor_ = nullptr;
    for (int i = 0; columns_ && i < columns_->Count(); ++i) {
        TColumnGx* c = columns_->Items(i);
        if (c->popupMenu_ == AComponent) c->popupMenu_ = nullptr;
        if (c->imageList_ && c->imageList_ == AComponent) {
            c->imageList_->UnRegisterChanges(c->imageLink_);
            c->imageList_ = nullptr;
        }
        if (c->DropDownBox()->ListSource() == AComponent) c->DropDownBox()->SetListSource(nullptr);
        if (c->STFilter()->ListSource() == AComponent) c->STFilter()->SetListSource(nullptr);
    }
    if (titleImages_ && AComponent == titleImages_) {
        titleImages_->UnRegisterChanges(titleImageLink_);
        titleImages_ = nullptr;
        LayoutChanged();
    }
    for (TDBGridGxScrollBar* bar : {static_cast<TDBGridGxScrollBar*>(horzScrollBar_),
                                    static_cast<TDBGridGxScrollBar*>(vertScrollBar_)})
        if (bar && bar->ExtScrollBar() == AComponent) bar->SetExtScrollBar(nullptr);
    // The component is no longer whole here: it is known by its address only.
    RemoveField(AComponent);
    if (dataLink_ && AComponent == static_cast<TComponent*>(dataLink_->DataSet())) QueryRecordAccess();
    if (dataLink_ && AComponent == dataLink_->DataSource()) SetDataSource(nullptr);
}

void TCustomDBGridGx::RemoveField(TComponent* Field) {
    bool bound = false;
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->field_ && static_cast<TComponent*>(columns_->Items(i)->field_) == Field) bound = true;
    if (!bound) return;
    TDataSet* ds = dataLink_->DataSet();
    bool now = !ds || !ds->ControlsDisabled();
    BeginLayout();
    {
        TScopeGuard endLayout([&] {
            if (now) {
                EndLayout();
            } else {
                --layoutLock_;
                if (layoutLock_ == 0) columns_->EndUpdate();
                EndUpdate();
            }
        });
        for (int i = 0; i < columns_->Count(); ++i)
            if (columns_->Items(i)->field_ && static_cast<TComponent*>(columns_->Items(i)->field_) == Field)
                columns_->Items(i)->SetField(nullptr);
    }
    // The data set is busy: lay out when the message loop comes back.
    if (!now) DeferLayout();
}

void TCustomDBGridGx::ChangeScale(int M, int D) {
    if (M != D && D != 0) {
        BeginLayout();
        {
            TScopeGuard endLayout([&] { EndLayout(); });
            if (!ParentFont()) {
                titleFont_->SetSize(MulDiv(titleFont_->Size(), M, D));
                footerFont_->SetSize(MulDiv(footerFont_->Size(), M, D));
            }
            for (int i = 0; i < columns_->Count(); ++i) {
                TColumnGx* c = columns_->Items(i);
                if (c->IsAssigned(TColumnGx::cvFont)) c->Font()->SetSize(MulDiv(c->Font()->Size(), M, D));
                if (c->IsAssigned(TColumnGx::cvTitleFont))
                    c->Title()->Font()->SetSize(MulDiv(c->Title()->Font()->Size(), M, D));
                if (c->Footer()->IsFontStored()) c->Footer()->Font()->SetSize(MulDiv(c->Footer()->Font()->Size(), M, D));
                for (int k = 0; k < c->Footers()->Count(); ++k) {
                    TColumnFooterGx* f = c->Footers()->Items(k);
                    if (f->IsFontStored()) f->Font()->SetSize(MulDiv(f->Font()->Size(), M, D));
                }
            }
            // Widths scaled on running sums, so that rounding does not add up.
            columns_->BeginUpdate();
            int sum = 0, scaledBefore = 0;
            for (int i = 0; i < columns_->Count(); ++i) {
                TColumnGx* c = columns_->Items(i);
                if (!c->IsAssigned(TColumnGx::cvWidth)) continue;
                sum += c->width_;
                int scaled = MulDiv(sum, M, D);
                c->width_ = scaled - scaledBefore;
                scaledBefore = scaled;
            }
            columns_->EndUpdate();
        }
    }
    TCustomGrid::ChangeScale(M, D);
}

void TCustomDBGridGx::WMSize(TMessage& Message) {
    TCustomGrid::WMSize(Message);
    if (IsDestroying()) return;
    if (layoutLock_ > 0) resizePending_ = true;
    else UpdateLayoutAfterResize();
    UpdateHorzScrollBar();
}

void TCustomDBGridGx::UpdateLayoutAfterResize() {
    if (autoFitColWidths_ && !Designing()) {
        LayoutChanged();
        InvalidateEditor();
    } else {
        UpdateRowCount();
        UpdateScrollBar();
        UpdateFilterEdit(false);
    }
}

void TCustomDBGridGx::CMFontChanged(TMessage& Message) {
    TCustomGrid::CMFontChanged(Message);
    if (IsDestroying() || !columns_) return;
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->RefreshDefaultFont();
    LayoutChanged();
}

void TCustomDBGridGx::CMParentFontChanged(TMessage& Message) {
    TCustomGrid::CMParentFontChanged(Message);
    if (IsDestroying() || !ParentFont()) return;
    titleFont_->OnChange = nullptr;
    footerFont_->OnChange = nullptr;
    titleFont_->Assign(Font());
    footerFont_->Assign(Font());
    titleFont_->OnChange = TNotifyEvent(this, &TCustomDBGridGx::TitleFontChanged);
    footerFont_->OnChange = TNotifyEvent(this, &TCustomDBGridGx::FooterFontChanged);
    for (int i = 0; columns_ && i < columns_->Count(); ++i) columns_->Items(i)->RefreshDefaultFont();
    LayoutChanged();
}

void TCustomDBGridGx::CMParentColorChanged(TMessage& Message) {
    TCustomGrid::CMParentColorChanged(Message);
    if (IsDestroying() || !ParentColor()) return;
    footerColor_ = Color();
    InvalidateFooter();
}

void TCustomDBGridGx::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_DEFERLAYOUTGX: WMDeferLayout(Message); return;
        case CM_CANCELMODE: CMCancelMode(Message); return;
        case CM_HINTSHOWPAUSE: CMHintShowPause(Message); return;
        case WM_NCCALCSIZE:
            TCustomGrid::Dispatch(Message);
            WMNCCalcSize(Message);
            return;
        case WM_NCPAINT:
            TCustomGrid::Dispatch(Message);
            DrawBorder();
            return;
        case CM_SYSCOLORCHANGE:
            // Painted edit buttons are drawn again in the new colours.
            TCustomGrid::Dispatch(Message);
            ClearButtonsBitmapCache();
            return;
        case WM_IME_STARTCOMPOSITION:
            // Composed text is typing: it goes into the cell's editor.
            TCustomGrid::Dispatch(Message);
            ShowEditor();
            return;
        default: break;
    }
    TCustomGrid::Dispatch(Message);
}
