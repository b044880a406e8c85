// The grid's columns: their settings with read-through defaults, the
// grid-wide defaults, the drop-down box and filter settings, and the column
// collection. A column's title is in DBGridGxColumnTitles.cpp, its footers in
// DBGridGxColumnFooters.cpp, fitting columns to their contents in
// DBGridGxColumnFitting.cpp.
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "grid/DBGridGx.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

namespace {

// The metrics of a font and the width of "0" in it.
struct TFontMeasure {
    TEXTMETRIC Metrics;
    int ZeroWidth = 0;
};

// Widths are asked for often (every layout, every width check); the metrics of
// a font description never change, so they are kept.
TFontMeasure MeasureFont(TCustomDBGridGx* Grid, TFont* Font) {
    (void)Grid;
    static std::unordered_map<std::string, TFontMeasure> cache;
    std::string key = std::string(Font->Name()) + "|" + std::to_string(Font->Height()) + "|" +
                      std::to_string(Font->Style().Bits) + "|" + std::to_string(Font->Charset()) + "|" +
                      std::to_string(Font->Pitch()) + "|" + std::to_string(Font->Orientation());
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    TFontMeasure m;
    HDC dc = CreateScreenDC();
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    GetTextMetrics(dc, &m.Metrics);
    TSize size;
    GetTextExtentPoint32(dc, "0", 1, &size);
    m.ZeroWidth = size.cx;
    SelectObject(dc, old);
    DeleteDC(dc);
    cache.emplace(key, m);
    return m;
}

bool IsMemoField(TField* Field) {
    return Field && (Field->DataType() == ftMemo || Field->DataType() == ftFmtMemo);
}

bool IsNumericField(TField* Field) { return dynamic_cast<TNumericField*>(Field) != nullptr; }

bool IsDateTimeField(TField* Field) { return dynamic_cast<TDateTimeField*>(Field) != nullptr; }

bool IsIntegerField(TField* Field) {
    switch (Field->DataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint: return true;
        default: return false;
    }
}

// The values of one check-box entry of KeyList ("a;b;c").
bool TextInValues(const AnsiString& Text, const AnsiString& Values) {
    size_t start = 0;
    while (start <= Values.size()) {
        size_t end = Values.find(';', start);
        AnsiString item = Values.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
        if (AnsiCompareText(item, Text) == 0) return true;
        if (end == AnsiString::npos) break;
        start = end + 1;
    }
    return false;
}

AnsiString FirstValue(const AnsiString& Values) {
    size_t end = Values.find(';');
    return end == AnsiString::npos ? Values : Values.substr(0, end);
}

}  // namespace

// ---------------------------------------------------------------------------
// Type information, in the declaration order that layout files follow

TESK_PUBLISHED(TColumnTitleDefValuesGx) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
    Property("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis).Default(false);
    Property("Orientation", &T::Orientation, &T::SetOrientation).Default(tohHorizontal);
    Property("TitleButton", &T::TitleButton, &T::SetTitleButton).Default(false);
    Property("ToolTips", &T::ToolTips, &T::SetToolTips).Default(false);
}

TESK_PUBLISHED(TColumnFooterDefValuesGx) { Property("ToolTips", &T::ToolTips, &T::SetToolTips).Default(false); }

TESK_PUBLISHED(TColumnDefValuesGx) {
    Property("AlwaysShowEditButton", &T::AlwaysShowEditButton, &T::SetAlwaysShowEditButton).Default(false);
    Property("AutoDropDown", &T::AutoDropDown, &T::SetAutoDropDown).Default(false);
    Property("DblClickNextVal", &T::DblClickNextVal, &T::SetDblClickNextVal).Default(false);
    Property("DropDownShowTitles", &T::DropDownShowTitles, &T::SetDropDownShowTitles).Default(false);
    Property("DropDownSizing", &T::DropDownSizing, &T::SetDropDownSizing).Default(false);
    Property("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis).Default(false);
    Property("HighlightRequired", &T::HighlightRequired, &T::SetHighlightRequired).Default(false);
    Property("Layout", &T::Layout, &T::SetLayout).Default(tlTop);
    Property("Title", &T::Title, &T::SetTitle);
    Property("ToolTips", &T::ToolTips, &T::SetToolTips).Default(false);
}

TESK_PUBLISHED(TDBGridGxColumnDefValuesGx) { Property("Footer", &T::Footer, &T::SetFooter); }

TESK_PUBLISHED(TColumnDropDownBoxGx) {
    Property("AutoFitColWidths", &T::AutoFitColWidths, &T::SetAutoFitColWidths).Default(true);
    Property("ColumnDefValues", &T::ColumnDefValues, &T::SetColumnDefValues);
    Property("Columns", &T::Columns, &T::SetColumns).Stored(&T::IsColumnsStored);
    Property("ListSource", &T::ListSource, &T::SetListSource);
    Property("Options", &T::Options, &T::SetOptions).Default(TDBLookupGridGxOptions{dlgColLinesGx});
    Property("UseMultiTitle", &T::UseMultiTitle, &T::SetUseMultiTitle).Default(false);
}

TESK_PUBLISHED(TSTColumnFilterGx) {
    Property("DataField", &T::DataField, &T::SetDataField);
    Property("KeyField", &T::KeyField, &T::SetKeyField);
    Property("ListField", &T::ListField, &T::SetListField);
    Property("ListSource", &T::ListSource, &T::SetListSource);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
}

TESK_PUBLISHED(TColumnGx) {}

TESK_PUBLISHED(TDBGridColumnGx) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
    Property("AlwaysShowEditButton", &T::AlwaysShowEditButton, &T::SetAlwaysShowEditButton)
        .Stored(&T::IsAlwaysShowEditButtonStored);
    Property("AutoDropDown", &T::AutoDropDown, &T::SetAutoDropDown).Stored(&T::IsAutoDropDownStored);
    Property("AutoFitColWidth", &T::AutoFitColWidth, &T::SetAutoFitColWidth).Default(true);
    Property("BiDiMode", &T::BiDiMode, &T::SetBiDiMode).Stored(&T::IsBiDiModeStored);
    Property("ButtonStyle", &T::ButtonStyle, &T::SetButtonStyle).Default(cbsAuto);
    Property("Checkboxes", &T::Checkboxes, &T::SetCheckboxes).Stored(&T::IsCheckboxesStored);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
    Property("DblClickNextVal", &T::DblClickNextVal, &T::SetDblClickNextVal).Stored(&T::IsDblClickNextValStored);
    Property("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat);
    Property("DropDownBox", &T::DropDownBox, &T::SetDropDownBox);
    Property("DropDownRows", &T::DropDownRows, &T::SetDropDownRows).Default(7);
    Property("DropDownShowTitles", &T::DropDownShowTitles, &T::SetDropDownShowTitles)
        .Stored(&T::IsDropDownShowTitlesStored);
    Property("DropDownSizing", &T::DropDownSizing, &T::SetDropDownSizing).Stored(&T::IsDropDownSizingStored);
    Property("DropDownSpecRow", &T::DropDownSpecRow, &T::SetDropDownSpecRow);
    Property("DropDownWidth", &T::DropDownWidth, &T::SetDropDownWidth).Default(0);
    Property("EditButtons", &T::EditButtons, &T::SetEditButtons);
    Property("EditMask", &T::EditMask, &T::SetEditMask);
    Property("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis).Stored(&T::IsEndEllipsisStored);
    Property("FieldName", &T::FieldName, &T::SetFieldName);
    Property("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    Property("Footer", &T::Footer, &T::SetFooter);
    Property("Footers", &T::Footers, &T::SetFooters);
    Property("HideDuplicates", &T::HideDuplicates, &T::SetHideDuplicates).Default(false);
    Property("HighlightRequired", &T::HighlightRequired, &T::SetHighlightRequired)
        .Stored(&T::IsHighlightRequiredStored);
    Property("ImageList", &T::ImageList, &T::SetImageList);
    Property("ImeMode", &T::ImeMode, &T::SetImeMode).Stored(&T::IsImeModeStored);
    Property("ImeName", TypeInfoTImeName(), &T::ImeName, &T::SetImeName).Stored(&T::IsImeNameStored);
    Property("Increment", TypeInfoOf<long double>(), &T::Increment, &T::SetIncrement).Stored(&T::IsIncrementStored);
    Property("KeyList", &T::KeyList, &T::SetKeyList);
    Property("Layout", &T::Layout, &T::SetLayout).Stored(&T::IsLayoutStored);
    Property("LookupDisplayFields", &T::LookupDisplayFields, &T::SetLookupDisplayFields)
        .Stored(&T::IsLookupDisplayFieldsStored);
    Property("MaxWidth", &T::MaxWidth, &T::SetMaxWidth).Default(0);
    Property("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(0);
    Property("MRUList", &T::MRUList, &T::SetMRUList);
    Property("NotInKeyListIndex", &T::NotInKeyListIndex, &T::SetNotInKeyListIndex).Default(-1);
    Property("PickList", &T::PickList, &T::SetPickList);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
    Property("ShowImageAndText", &T::ShowImageAndText, &T::SetShowImageAndText).Default(false);
    Property("STFilter", &T::STFilter, &T::SetSTFilter);
    Property("Tag", &T::Tag, &T::SetTag).Default(0);
    Property("Title", &T::Title, &T::SetTitle);
    Property("ToolTips", &T::ToolTips, &T::SetToolTips).Stored(&T::IsToolTipsStored);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("Width", &T::Width, &T::SetWidth).Stored(&T::IsWidthStored);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Stored(&T::IsWordWrapStored);
    Property("OnCheckDrawRequiredState", &T::OnCheckDrawRequiredState, &T::OnCheckDrawRequiredState);
    Property("OnDropDownBoxCheckButton", &T::OnDropDownBoxCheckButton, &T::OnDropDownBoxCheckButton);
    Property("OnDropDownBoxDrawColumnCell", &T::OnDropDownBoxDrawColumnCell, &T::OnDropDownBoxDrawColumnCell);
    Property("OnDropDownBoxGetCellParams", &T::OnDropDownBoxGetCellParams, &T::OnDropDownBoxGetCellParams);
    Property("OnDropDownBoxSortMarkingChanged", &T::OnDropDownBoxSortMarkingChanged,
             &T::OnDropDownBoxSortMarkingChanged);
    Property("OnDropDownBoxTitleBtnClick", &T::OnDropDownBoxTitleBtnClick, &T::OnDropDownBoxTitleBtnClick);
    Property("OnEditButtonClick", &T::OnEditButtonClick, &T::OnEditButtonClick);
    Property("OnEditButtonDown", &T::OnEditButtonDown, &T::OnEditButtonDown);
    Property("OnGetCellParams", &T::OnGetCellParams, &T::OnGetCellParams);
    Property("OnNotInList", &T::OnNotInList, &T::OnNotInList);
    Property("OnUpdateData", &T::OnUpdateData, &T::OnUpdateData);
}

TESK_PUBLISHED(TDBGridColumnsGx) {}

// ---------------------------------------------------------------------------
// TColumnTitleDefValuesGx, TColumnFooterDefValuesGx, TColumnDefValuesGx

TPersistent* TColumnTitleDefValuesGx::GetOwner() { return owner_; }

void TColumnTitleDefValuesGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TColumnTitleDefValuesGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    alignment_ = s->alignment_;
    alignmentAssigned_ = s->alignmentAssigned_;
    color_ = s->color_;
    colorAssigned_ = s->colorAssigned_;
    endEllipsis_ = s->endEllipsis_;
    orientation_ = s->orientation_;
    titleButton_ = s->titleButton_;
    toolTips_ = s->toolTips_;
    Changed(true);
}

void TColumnTitleDefValuesGx::Changed(bool Layout) {
    if (owner_) owner_->Changed(Layout);
}

TAlignment TColumnTitleDefValuesGx::Alignment() const { return alignmentAssigned_ ? alignment_ : taLeftJustify; }

void TColumnTitleDefValuesGx::SetAlignment(TAlignment Value) {
    bool changed = Value != Alignment();
    alignment_ = Value;
    alignmentAssigned_ = true;
    if (changed) Changed(false);
}

TColor TColumnTitleDefValuesGx::Color() const {
    if (colorAssigned_) return color_;
    TCustomDBGridGx* grid = owner_ ? owner_->Grid() : nullptr;
    return grid ? grid->FixedColor() : clBtnFace;
}

void TColumnTitleDefValuesGx::SetColor(TColor Value) {
    bool changed = Value != Color();
    color_ = Value;
    colorAssigned_ = true;
    if (changed) Changed(false);
}

void TColumnTitleDefValuesGx::SetEndEllipsis(bool Value) {
    if (Value == endEllipsis_) return;
    endEllipsis_ = Value;
    Changed(false);
}

void TColumnTitleDefValuesGx::SetOrientation(TColumnTitleOrientationGx Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    Changed(true);
}

void TColumnTitleDefValuesGx::SetTitleButton(bool Value) {
    if (Value == titleButton_) return;
    titleButton_ = Value;
    Changed(false);
}

void TColumnTitleDefValuesGx::SetToolTips(bool Value) { toolTips_ = Value; }

TPersistent* TColumnFooterDefValuesGx::GetOwner() { return owner_; }

void TColumnFooterDefValuesGx::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TColumnFooterDefValuesGx*>(Source)) {
        toolTips_ = s->toolTips_;
        return;
    }
    TPersistent::Assign(Source);
}

void TColumnFooterDefValuesGx::SetToolTips(bool Value) { toolTips_ = Value; }

TColumnDefValuesGx::TColumnDefValuesGx(TCustomDBGridGx* Grid)
    : grid_(Grid), title_(new TColumnTitleDefValuesGx(this)), footer_(new TColumnFooterDefValuesGx(this)) {}

TColumnDefValuesGx::~TColumnDefValuesGx() {
    delete title_;
    delete footer_;
}

TPersistent* TColumnDefValuesGx::GetOwner() { return grid_; }

void TColumnDefValuesGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TColumnDefValuesGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    alwaysShowEditButton_ = s->alwaysShowEditButton_;
    autoDropDown_ = s->autoDropDown_;
    dblClickNextVal_ = s->dblClickNextVal_;
    dropDownShowTitles_ = s->dropDownShowTitles_;
    dropDownSizing_ = s->dropDownSizing_;
    endEllipsis_ = s->endEllipsis_;
    highlightRequired_ = s->highlightRequired_;
    layout_ = s->layout_;
    toolTips_ = s->toolTips_;
    title_->Assign(s->title_);
    footer_->Assign(s->footer_);
    Changed(true);
}

void TColumnDefValuesGx::Changed(bool Layout) {
    if (!grid_ || grid_->Loading()) return;
    if (Layout) grid_->LayoutChanged();
    else grid_->Invalidate();
}

#define TESK_DEFVALUE_SETTER(Name, Member, Layout) \
    void TColumnDefValuesGx::Set##Name(decltype(Member) Value) { \
        if (Value == Member) return;                             \
        Member = Value;                                          \
        Changed(Layout);                                         \
    }
TESK_DEFVALUE_SETTER(AlwaysShowEditButton, alwaysShowEditButton_, true)
TESK_DEFVALUE_SETTER(AutoDropDown, autoDropDown_, false)
TESK_DEFVALUE_SETTER(DblClickNextVal, dblClickNextVal_, false)
TESK_DEFVALUE_SETTER(DropDownShowTitles, dropDownShowTitles_, false)
TESK_DEFVALUE_SETTER(DropDownSizing, dropDownSizing_, false)
TESK_DEFVALUE_SETTER(EndEllipsis, endEllipsis_, false)
TESK_DEFVALUE_SETTER(HighlightRequired, highlightRequired_, false)
TESK_DEFVALUE_SETTER(Layout, layout_, false)
TESK_DEFVALUE_SETTER(ToolTips, toolTips_, false)
#undef TESK_DEFVALUE_SETTER

// ---------------------------------------------------------------------------
// TColumnDropDownBoxGx, TSTColumnFilterGx

TColumnDropDownBoxGx::TColumnDropDownBoxGx(TColumnGx* Column)
    : column_(Column),
      columnDefValues_(new TColumnDefValuesGx(nullptr)),
      columns_(new TDBGridColumnsGx(nullptr, ItemClassOf<TDBGridColumnGx>)) {}

TColumnDropDownBoxGx::~TColumnDropDownBoxGx() {
    delete columns_;
    delete columnDefValues_;
}

TPersistent* TColumnDropDownBoxGx::GetOwner() { return column_; }

void TColumnDropDownBoxGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TColumnDropDownBoxGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    autoFitColWidths_ = s->autoFitColWidths_;
    columnDefValues_->Assign(s->columnDefValues_);
    columns_->Assign(s->columns_);
    SetListSource(s->listSource_);
    options_ = s->options_;
    useMultiTitle_ = s->useMultiTitle_;
}

void TColumnDropDownBoxGx::SetColumnDefValues(TColumnDefValuesGx* Value) { columnDefValues_->Assign(Value); }

void TColumnDropDownBoxGx::SetColumns(TDBGridColumnsGx* Value) { columns_->Assign(Value); }

bool TColumnDropDownBoxGx::IsColumnsStored() const { return columns_->State() == csCustomized; }

void TColumnDropDownBoxGx::SetListSource(TDataSource* Value) {
    if (Value == listSource_) return;
    listSource_ = Value;
    TCustomDBGridGx* grid = column_ ? column_->GetGrid() : nullptr;
    if (Value && grid) Value->FreeNotification(grid);
}

TSTColumnFilterGx::TSTColumnFilterGx(TColumnGx* Column) : column_(Column) {}

TSTColumnFilterGx::~TSTColumnFilterGx() = default;

TPersistent* TSTColumnFilterGx::GetOwner() { return column_; }

void TSTColumnFilterGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TSTColumnFilterGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    dataField_ = s->dataField_;
    SetVisible(s->visible_);
    keyField_ = s->keyField_;
    listField_ = s->listField_;
    SetListSource(s->listSource_);
}

void TSTColumnFilterGx::SetListSource(TDataSource* Value) {
    if (Value == listSource_) return;
    listSource_ = Value;
    TCustomDBGridGx* grid = column_ ? column_->GetGrid() : nullptr;
    if (Value && grid) Value->FreeNotification(grid);
}

void TSTColumnFilterGx::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    if (column_) column_->Changed(false);
}

// ---------------------------------------------------------------------------
// TColumnGx

TColumnGx::TColumnGx(TCollection* Collection) : TCollectionItem(Collection) {
    // Built inside a layout bracket; a collection that is being updated lays
    // out once at its end instead.
    TCustomDBGridGx* grid = Collection && Collection->UpdateCount() == 0 ? GetGrid() : nullptr;
    if (grid) grid->BeginLayout();
    {
        TScopeGuard endLayout([&] {
            if (grid) grid->EndLayout();
        });
        dropDownRows_ = 7;
        buttonStyle_ = cbsAuto;
        font_ = new TFont;
        copyingFont_ = true;
        font_->Assign(DefaultFont());
        copyingFont_ = false;
        font_->OnChange = TNotifyEvent(this, &TColumnGx::FontChanged);
        imeMode_ = imDontCare;
        imeName_ = Screen ? Screen->DefaultIme() : AnsiString();
        title_ = CreateTitle();
        footer_ = CreateFooter();
        footers_ = CreateFooters();
        autoFitColWidth_ = true;
        initWidth_ = Width();
        visible_ = true;
        notInKeyListIndex_ = -1;
        increment_ = 1.0;
        customized_ = true;
        editButtons_ = CreateEditButtons();
        editButtons_->OnChange = TNotifyEvent(this, &TColumnGx::EditButtonsChanged);
        dropDownSpecRow_ = new TSpecRowGx(this);
        dropDownSpecRow_->OnChange = TNotifyEvent(this, &TColumnGx::DropDownSpecRowChanged);
        dropDownBox_ = new TColumnDropDownBoxGx(this);
        mruList_ = new TMRUListGx(GetGrid());
        stFilter_ = CreateSTFilter();
        imageLink_ = new TChangeLink;
        imageLink_->OnChange = TNotifyEvent(this, &TColumnGx::ImageListChanged);
        constructing_ = false;
    }
}

void TColumnGx::BeforeDestruction() {
    // The footers' aggregates go while the column still knows its grid.
    footer_->ReleaseSum();
    for (int i = 0; i < footers_->Count(); ++i) footers_->Items(i)->ReleaseSum();
    TCollectionItem::BeforeDestruction();
}

TColumnGx::~TColumnGx() {
    if (imageList_) imageList_->UnRegisterChanges(imageLink_);
    delete imageLink_;
    delete stFilter_;
    delete mruList_;
    delete dropDownBox_;
    delete dropDownSpecRow_;
    delete editButtons_;
    delete footers_;
    delete footer_;
    delete title_;
    delete keyList_;
    delete pickList_;
    delete font_;
}

TEditButtonsGx* TColumnGx::CreateEditButtons() { return new TEditButtonsGx(this); }
TColumnTitleGx* TColumnGx::CreateTitle() { return new TColumnTitleGx(this); }
TColumnFooterGx* TColumnGx::CreateFooter() { return TColumnFooterGx::CreateCol(this); }
TColumnFootersGx* TColumnGx::CreateFooters() { return new TColumnFootersGx(this); }
TSTColumnFilterGx* TColumnGx::CreateSTFilter() { return new TSTColumnFilterGx(this); }

TCustomDBGridGx* TColumnGx::GetGrid() const {
    TCollection* collection = Collection();
    if (collection != gridCollection_) {
        auto* columns = dynamic_cast<TDBGridColumnsGx*>(collection);
        grid_ = columns ? columns->Grid() : nullptr;
        gridCollection_ = collection;
    }
    return grid_;
}

TDataSet* TColumnGx::GridDataSet() const {
    TCustomDBGridGx* grid = GetGrid();
    return grid ? grid->DataLink()->DataSet() : nullptr;
}

void TColumnGx::InvalidateGrid() {
    TCustomDBGridGx* grid = GetGrid();
    if (grid && !grid->Loading()) grid->Invalidate();
}

bool TColumnGx::DefaultColumnOfActiveLink() {
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->DataLinkActive();
}

void TColumnGx::SetAssigned(TValue Value, bool On) {
    if (On) assigned_ |= 1u << Value;
    else assigned_ &= ~(1u << Value);
}

void TColumnGx::Changed(bool AllItems) {
    if (constructing_) return;
    TCollectionItem::Changed(AllItems);
}

AnsiString TColumnGx::GetDisplayName() const {
    return fieldName_.empty() ? TCollectionItem::GetDisplayName() : fieldName_;
}

void TColumnGx::FontChanged(TObject*) {
    if (copyingFont_) return;
    SetAssigned(cvFont, true);
    title_->RefreshDefaultFont();
    Changed(false);
}

void TColumnGx::ImageListChanged(TObject*) { InvalidateGrid(); }

void TColumnGx::EditButtonsChanged(TObject*) { Changed(false); }

void TColumnGx::ListsChanged(TObject*) { InvalidateGrid(); }

void TColumnGx::DropDownSpecRowChanged(TObject*) { InvalidateGrid(); }

// ---- field binding

TField* TColumnGx::Field() {
    if (!field_ && !fieldName_.empty()) {
        TDataSet* ds = GridDataSet();
        if (ds && (ds->Active() || !ds->DefaultFields())) {
            TField* found = ds->FindField(fieldName_);
            if (found && found != field_) {
                field_ = found;
                fieldName_ = found->FieldName();
                if (TCustomDBGridGx* grid = GetGrid()) found->FreeNotification(grid);
                EnsureSumValues();
            }
        }
    }
    return field_;
}

void TColumnGx::SetField(TField* Value) {
    if (Value == field_) return;
    field_ = Value;
    if (Value) {
        fieldName_ = Value->FieldName();
        if (TCustomDBGridGx* grid = GetGrid()) Value->FreeNotification(grid);
    }
    if (IsDefaultColumn()) {
        if (!Value) fieldName_.clear();
        RestoreDefaults();
        initWidth_ = DefaultWidth();
    }
    EnsureSumValues();
    Changed(false);
}

void TColumnGx::SetFieldName(const AnsiString& Value) {
    TField* found = nullptr;
    TCustomDBGridGx* grid = GetGrid();
    if (!Value.empty() && grid && !grid->Loading()) {
        TDataSet* ds = GridDataSet();
        if (ds && (ds->Active() || !ds->DefaultFields())) found = ds->FindField(Value);
    }
    fieldName_ = found ? found->FieldName() : Value;
    SetField(found);
    initWidth_ = Width();
    Changed(false);
}

void TColumnGx::SetIndex(int Value) {
    TCustomDBGridGx* grid = GetGrid();
    if (grid && IsDefaultColumn() && grid->DataLinkActive() && Field() && Value >= 0 &&
        Value < Collection()->Count()) {
        TField* target = grid->DataLink()->GetMappedField(Value);
        if (target && target != field_) field_->SetIndex(target->Index());
    }
    TCollectionItem::SetIndex(Value);
}

void TColumnGx::EnsureSumValues() {
    if (footer_) footer_->EnsureSumValue();
    if (footers_)
        for (int i = 0; i < footers_->Count(); ++i) footers_->Items(i)->EnsureSumValue();
}

TColumnFooterGx* TColumnGx::UsedFooter(int Index) const {
    if (Index >= 0 && Index < footers_->Count()) return footers_->Items(Index);
    return footer_;
}

// ---- defaults

TAlignment TColumnGx::DefaultAlignment() {
    TField* field = Field();
    return field ? field->Alignment() : taLeftJustify;
}

TColor TColumnGx::DefaultColor() const {
    TCustomDBGridGx* grid = GetGrid();
    return grid ? grid->Color() : clWindow;
}

TFont* TColumnGx::DefaultFont() const {
    TCustomDBGridGx* grid = GetGrid();
    return grid ? grid->Font() : font_;
}

TImeMode TColumnGx::DefaultImeMode() const {
    TCustomDBGridGx* grid = GetGrid();
    return grid ? grid->ImeMode() : imDontCare;
}

TImeName TColumnGx::DefaultImeName() const {
    TCustomDBGridGx* grid = GetGrid();
    if (grid) return grid->ImeName();
    return Screen ? Screen->DefaultIme() : TImeName();
}

AnsiString TColumnGx::DefaultLookupDisplayFields() {
    TField* field = Field();
    return field && field->Lookup() ? field->LookupResultField() : AnsiString();
}

bool TColumnGx::DefaultReadOnly() {
    TCustomDBGridGx* grid = GetGrid();
    if (grid && grid->ReadOnly()) return true;
    TField* field = Field();
    return field && field->ReadOnly();
}

bool TColumnGx::DefaultWordWrap() {
    if (!GetGrid()) return false;
    TField* field = Field();
    if (!field) return false;
    switch (field->DataType()) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
        case ftWideString: return true;
        default: return false;
    }
}

int TColumnGx::DefaultWidthIn(TFont* AFont) {
    TCustomDBGridGx* grid = GetGrid();
    if (!grid) return 64;
    TField* field = Field();
    if (!field) return grid->DefaultColWidth();
    TFontMeasure m = MeasureFont(grid, AFont);
    return field->DisplayWidth() * (m.ZeroWidth - m.Metrics.tmOverhang) + m.Metrics.tmOverhang + 4;
}

int TColumnGx::DefaultWidth() { return DefaultWidthIn(Font()); }

// Without a grid or a bound field (its data set closed) the default is a
// stand-in (64, or the grid's column width) that changes once the field is
// bound, so no width equals it.
bool TColumnGx::IsDefaultWidth(int Value) { return GetGrid() && Field() && Value == DefaultWidth(); }

// ---- published properties

TAlignment TColumnGx::Alignment() { return IsAssigned(cvAlignment) ? alignment_ : DefaultAlignment(); }

void TColumnGx::SetAlignment(TAlignment Value) {
    if (IsDefaultColumn() && DefaultColumnOfActiveLink()) {
        if (TField* field = Field()) {
            field->SetAlignment(Value);
            return;
        }
    }
    alignment_ = Value;
    SetAssigned(cvAlignment, true);
    Changed(false);
}

bool TColumnGx::AlwaysShowEditButton() const {
    if (IsAssigned(cvAlwaysShowEditButton)) return alwaysShowEditButton_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->AlwaysShowEditButton();
}

void TColumnGx::SetAlwaysShowEditButton(bool Value) {
    alwaysShowEditButton_ = Value;
    SetAssigned(cvAlwaysShowEditButton, true);
    Changed(false);
}

bool TColumnGx::AutoDropDown() const {
    if (IsAssigned(cvAutoDropDown)) return autoDropDown_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->AutoDropDown();
}

void TColumnGx::SetAutoDropDown(bool Value) {
    autoDropDown_ = Value;
    SetAssigned(cvAutoDropDown, true);
}

void TColumnGx::SetAutoFitColWidth(bool Value) {
    if (Value == autoFitColWidth_) return;
    autoFitColWidth_ = Value;
    TCustomDBGridGx* grid = GetGrid();
    // Re-apply the initial width so that the column takes part in the sharing again.
    if (grid && grid->AutoFitColWidths() && !grid->Loading() && !grid->Designing() && IsAssigned(cvWidth))
        width_ = initWidth_;
    Changed(false);
}

TBiDiMode TColumnGx::BiDiMode() const {
    if (IsAssigned(cvBiDiMode)) return biDiMode_;
    TCustomDBGridGx* grid = GetGrid();
    return grid ? grid->BiDiMode() : bdLeftToRight;
}

void TColumnGx::SetBiDiMode(TBiDiMode Value) {
    biDiMode_ = Value;
    SetAssigned(cvBiDiMode, true);
    Changed(false);
}

void TColumnGx::SetButtonStyle(TColumnButtonStyleGx Value) {
    if (Value == buttonStyle_) return;
    buttonStyle_ = Value;
    Changed(false);
}

bool TColumnGx::Checkboxes() const { return IsAssigned(cvCheckboxes) && checkboxes_; }

void TColumnGx::SetCheckboxes(bool Value) {
    checkboxes_ = Value;
    SetAssigned(cvCheckboxes, true);
    Changed(false);
}

TColor TColumnGx::Color() const { return IsAssigned(cvColor) ? color_ : DefaultColor(); }

void TColumnGx::SetColor(TColor Value) {
    color_ = Value;
    SetAssigned(cvColor, true);
    Changed(false);
}

bool TColumnGx::DblClickNextVal() const {
    if (IsAssigned(cvDblClickNextVal)) return dblClickNextVal_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->DblClickNextVal();
}

void TColumnGx::SetDblClickNextVal(bool Value) {
    dblClickNextVal_ = Value;
    SetAssigned(cvDblClickNextVal, true);
}

void TColumnGx::SetDisplayFormat(const AnsiString& Value) {
    if (Value == displayFormat_) return;
    displayFormat_ = Value;
    InvalidateGrid();
}

bool TColumnGx::DropDownShowTitles() const {
    if (IsAssigned(cvDropDownShowTitles)) return dropDownShowTitles_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->DropDownShowTitles();
}

void TColumnGx::SetDropDownShowTitles(bool Value) {
    dropDownShowTitles_ = Value;
    SetAssigned(cvDropDownShowTitles, true);
}

bool TColumnGx::DropDownSizing() const {
    if (IsAssigned(cvDropDownSizing)) return dropDownSizing_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->DropDownSizing();
}

void TColumnGx::SetDropDownSizing(bool Value) {
    dropDownSizing_ = Value;
    SetAssigned(cvDropDownSizing, true);
}

bool TColumnGx::EndEllipsis() const {
    if (IsAssigned(cvEndEllipsis)) return endEllipsis_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->EndEllipsis();
}

void TColumnGx::SetEndEllipsis(bool Value) {
    endEllipsis_ = Value;
    SetAssigned(cvEndEllipsis, true);
    Changed(false);
}

TFont* TColumnGx::Font() const {
    if (!IsAssigned(cvFont)) {
        TFont* def = DefaultFont();
        if (def && def != font_) {
            auto* self = const_cast<TColumnGx*>(this);
            self->copyingFont_ = true;
            font_->Assign(def);
            self->copyingFont_ = false;
        }
    }
    return font_;
}

void TColumnGx::SetFont(TFont* Value) { font_->Assign(Value); }

void TColumnGx::RefreshDefaultFont() {
    if (!IsAssigned(cvFont)) {
        copyingFont_ = true;
        font_->Assign(DefaultFont());
        copyingFont_ = false;
    }
    title_->RefreshDefaultFont();
    footer_->RefreshDefaultFont();
    for (int i = 0; i < footers_->Count(); ++i) footers_->Items(i)->RefreshDefaultFont();
}

void TColumnGx::SetHideDuplicates(bool Value) {
    if (Value == hideDuplicates_) return;
    hideDuplicates_ = Value;
    InvalidateGrid();
}

bool TColumnGx::HighlightRequired() const {
    if (IsAssigned(cvHighlightRequired)) return highlightRequired_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->HighlightRequired();
}

void TColumnGx::SetHighlightRequired(bool Value) {
    highlightRequired_ = Value;
    SetAssigned(cvHighlightRequired, true);
    InvalidateGrid();
}

void TColumnGx::SetImageList(TCustomImageList* Value) {
    if (Value == imageList_) return;
    if (imageList_) imageList_->UnRegisterChanges(imageLink_);
    imageList_ = Value;
    if (Value) {
        Value->RegisterChanges(imageLink_);
        if (TCustomDBGridGx* grid = GetGrid()) Value->FreeNotification(grid);
    }
    Changed(false);
}

TImeMode TColumnGx::ImeMode() const { return IsAssigned(cvImeMode) ? imeMode_ : DefaultImeMode(); }

void TColumnGx::SetImeMode(TImeMode Value) {
    imeMode_ = Value;
    SetAssigned(cvImeMode, true);
}

TImeName TColumnGx::ImeName() const { return IsAssigned(cvImeName) ? imeName_ : DefaultImeName(); }

void TColumnGx::SetImeName(const TImeName& Value) {
    imeName_ = Value;
    SetAssigned(cvImeName, true);
}

TStrings* TColumnGx::KeyList() {
    if (!keyList_) {
        keyList_ = new TStringList;
        keyList_->OnChange = TNotifyEvent(this, &TColumnGx::ListsChanged);
    }
    return keyList_;
}

void TColumnGx::SetKeyList(TStrings* Value) {
    if (!Value) {
        delete keyList_;
        keyList_ = nullptr;
        InvalidateGrid();
        return;
    }
    KeyList()->Assign(Value);
}

TStrings* TColumnGx::PickList() {
    if (!pickList_) {
        pickList_ = new TStringList;
        pickList_->OnChange = TNotifyEvent(this, &TColumnGx::ListsChanged);
    }
    return pickList_;
}

void TColumnGx::SetPickList(TStrings* Value) {
    if (!Value) {
        delete pickList_;
        pickList_ = nullptr;
        InvalidateGrid();
        return;
    }
    PickList()->Assign(Value);
}

TTextLayout TColumnGx::Layout() const {
    if (IsAssigned(cvLayout)) return layout_;
    TCustomDBGridGx* grid = GetGrid();
    return grid ? grid->ColumnDefValues()->Layout() : tlTop;
}

void TColumnGx::SetLayout(TTextLayout Value) {
    layout_ = Value;
    SetAssigned(cvLayout, true);
    Changed(false);
}

AnsiString TColumnGx::LookupDisplayFields() {
    return IsAssigned(cvLookupDisplayFields) ? lookupDisplayFields_ : DefaultLookupDisplayFields();
}

void TColumnGx::SetLookupDisplayFields(const AnsiString& Value) {
    lookupDisplayFields_ = Value;
    SetAssigned(cvLookupDisplayFields, true);
    Changed(false);
}

int TColumnGx::AllowableWidth(int W) const {
    if (minWidth_ > 0 && minWidth_ > W) return minWidth_;
    if (maxWidth_ > 0 && maxWidth_ < W) return maxWidth_;
    return W;
}

void TColumnGx::SetMaxWidth(int Value) {
    if (Value == maxWidth_) return;
    maxWidth_ = Value;
    int w = Width();
    if (AllowableWidth(w) != w) SetWidth(w);
}

void TColumnGx::SetMinWidth(int Value) {
    if (Value == minWidth_) return;
    minWidth_ = Value;
    int w = Width();
    if (AllowableWidth(w) != w) SetWidth(w);
}

void TColumnGx::SetNotInKeyListIndex(int Value) {
    if (Value == notInKeyListIndex_) return;
    notInKeyListIndex_ = Value;
    InvalidateGrid();
}

void TColumnGx::SetPopupMenu(TComponent* Value) {
    popupMenu_ = Value;
    if (Value)
        if (TCustomDBGridGx* grid = GetGrid()) Value->FreeNotification(grid);
}

bool TColumnGx::ReadOnly() { return IsAssigned(cvReadOnly) ? readOnly_ : DefaultReadOnly(); }

void TColumnGx::SetReadOnly(bool Value) {
    if (IsDefaultColumn() && DefaultColumnOfActiveLink()) {
        if (TField* field = Field()) {
            field->SetReadOnly(Value);
            return;
        }
    }
    readOnly_ = Value;
    SetAssigned(cvReadOnly, true);
    Changed(false);
}

void TColumnGx::SetShowImageAndText(bool Value) {
    if (Value == showImageAndText_) return;
    showImageAndText_ = Value;
    InvalidateGrid();
}

bool TColumnGx::ToolTips() const {
    if (IsAssigned(cvToolTips)) return toolTips_;
    TCustomDBGridGx* grid = GetGrid();
    return grid && grid->ColumnDefValues()->ToolTips();
}

void TColumnGx::SetToolTips(bool Value) {
    toolTips_ = Value;
    SetAssigned(cvToolTips, true);
}

void TColumnGx::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Changed(true);
}

int TColumnGx::Width() { return IsAssigned(cvWidth) ? width_ : DefaultWidth(); }

void TColumnGx::SetWidth(int Value) {
    TCustomDBGridGx* grid = GetGrid();
    if (IsDefaultColumn() && grid && grid->HandleAllocated() && Field() && Value >= 0) {
        // A default column keeps its width in its field's display width.
        TFontMeasure m = MeasureFont(grid, Font());
        if (m.ZeroWidth > 0)
            field_->SetDisplayWidth(
                std::max(0, (Value + m.Metrics.tmAveCharWidth / 2 - m.Metrics.tmOverhang - 3) / m.ZeroWidth));
        if (grid->LayoutFromDataLink()) return;
    }
    if (!IsAssigned(cvWidth) && IsDefaultWidth(Value)) {
        Changed(false);
        return;
    }
    if (Value == -1) return;
    width_ = Value;
    SetAssigned(cvWidth, true);
    if (maxWidth_ >= 1 && width_ > maxWidth_) width_ = maxWidth_;
    if (width_ < minWidth_) width_ = minWidth_;
    // Auto-fit scales the initial width; any other width becomes it.
    if (!(grid && grid->AutoFitColWidths() && !grid->Designing())) initWidth_ = width_;
    Changed(false);
}

bool TColumnGx::WordWrap() { return IsAssigned(cvWordWrap) ? wordWrap_ : DefaultWordWrap(); }

void TColumnGx::SetWordWrap(bool Value) {
    wordWrap_ = Value;
    SetAssigned(cvWordWrap, true);
    Changed(false);
}

// ---- stored rules

bool TColumnGx::IsAlignmentStored() { return IsAssigned(cvAlignment) && alignment_ != DefaultAlignment(); }
bool TColumnGx::IsAlwaysShowEditButtonStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvAlwaysShowEditButton) &&
           alwaysShowEditButton_ != (grid && grid->ColumnDefValues()->AlwaysShowEditButton());
}
bool TColumnGx::IsAutoDropDownStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvAutoDropDown) && autoDropDown_ != (grid && grid->ColumnDefValues()->AutoDropDown());
}
bool TColumnGx::IsColorStored() const { return IsAssigned(cvColor) && color_ != DefaultColor(); }
bool TColumnGx::IsDblClickNextValStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvDblClickNextVal) && dblClickNextVal_ != (grid && grid->ColumnDefValues()->DblClickNextVal());
}
bool TColumnGx::IsDropDownShowTitlesStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvDropDownShowTitles) &&
           dropDownShowTitles_ != (grid && grid->ColumnDefValues()->DropDownShowTitles());
}
bool TColumnGx::IsDropDownSizingStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvDropDownSizing) && dropDownSizing_ != (grid && grid->ColumnDefValues()->DropDownSizing());
}
bool TColumnGx::IsEndEllipsisStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvEndEllipsis) && endEllipsis_ != (grid && grid->ColumnDefValues()->EndEllipsis());
}
bool TColumnGx::IsHighlightRequiredStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvHighlightRequired) &&
           highlightRequired_ != (grid && grid->ColumnDefValues()->HighlightRequired());
}
bool TColumnGx::IsImeModeStored() const { return IsAssigned(cvImeMode) && imeMode_ != DefaultImeMode(); }
bool TColumnGx::IsImeNameStored() const { return IsAssigned(cvImeName) && imeName_ != DefaultImeName(); }
bool TColumnGx::IsLayoutStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvLayout) && layout_ != (grid ? grid->ColumnDefValues()->Layout() : tlTop);
}
bool TColumnGx::IsLookupDisplayFieldsStored() {
    return IsAssigned(cvLookupDisplayFields) && lookupDisplayFields_ != DefaultLookupDisplayFields();
}
bool TColumnGx::IsReadOnlyStored() { return IsAssigned(cvReadOnly) && readOnly_ != DefaultReadOnly(); }
bool TColumnGx::IsToolTipsStored() const {
    TCustomDBGridGx* grid = GetGrid();
    return IsAssigned(cvToolTips) && toolTips_ != (grid && grid->ColumnDefValues()->ToolTips());
}
bool TColumnGx::IsWidthStored() { return IsAssigned(cvWidth) && !IsDefaultWidth(width_); }
bool TColumnGx::IsWordWrapStored() { return IsAssigned(cvWordWrap) && wordWrap_ != DefaultWordWrap(); }

// ---- copying and defaults

void TColumnGx::RestoreDefaults() {
    bool fontWas = IsAssigned(cvFont);
    title_->RestoreDefaults();
    assigned_ = 0;
    copyingFont_ = true;
    font_->Assign(DefaultFont());
    copyingFont_ = false;
    delete pickList_;
    pickList_ = nullptr;
    buttonStyle_ = cbsAuto;
    delete keyList_;
    keyList_ = nullptr;
    Changed(fontWas);
}

void TColumnGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TColumnGx*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    TCollection* owner = Collection();
    if (owner) owner->BeginUpdate();
    {
        TScopeGuard endUpdate([&] {
            if (owner) owner->EndUpdate();
        });
        RestoreDefaults();
        SetFieldName(s->FieldName());
        if (s->IsAssigned(cvColor)) SetColor(s->color_);
        if (s->IsAssigned(cvWidth)) SetWidth(s->width_);
        if (s->IsAssigned(cvFont)) SetFont(s->font_);
        if (s->IsAssigned(cvImeMode)) SetImeMode(s->imeMode_);
        if (s->IsAssigned(cvImeName)) SetImeName(s->imeName_);
        if (s->IsAssigned(cvAlignment)) SetAlignment(s->alignment_);
        if (s->IsAssigned(cvReadOnly)) SetReadOnly(s->readOnly_);
        title_->Assign(s->title_);
        SetDropDownRows(s->dropDownRows_);
        SetButtonStyle(s->buttonStyle_);
        if (s->pickList_) SetPickList(s->pickList_);
        SetPopupMenu(s->popupMenu_);
        initWidth_ = s->initWidth_;
        SetAutoFitColWidth(s->autoFitColWidth_);
        if (s->IsAssigned(cvWordWrap)) SetWordWrap(s->wordWrap_);
        if (s->IsAssigned(cvEndEllipsis)) SetEndEllipsis(s->endEllipsis_);
        SetDropDownWidth(s->dropDownWidth_);
        if (s->IsAssigned(cvLookupDisplayFields)) SetLookupDisplayFields(s->lookupDisplayFields_);
        if (s->IsAssigned(cvAutoDropDown)) SetAutoDropDown(s->autoDropDown_);
        if (s->IsAssigned(cvAlwaysShowEditButton)) SetAlwaysShowEditButton(s->alwaysShowEditButton_);
        footer_->Assign(s->footer_);
        if (s->keyList_) SetKeyList(s->keyList_);
        if (s->IsAssigned(cvCheckboxes)) SetCheckboxes(s->checkboxes_);
        SetIncrement(s->increment_);
        if (s->IsAssigned(cvToolTips)) SetToolTips(s->toolTips_);
        footers_->Assign(s->footers_);
        SetTag(s->tag_);
        SetVisible(s->visible_);
        SetImageList(s->imageList_);
        SetNotInKeyListIndex(s->notInKeyListIndex_);
        SetMinWidth(s->minWidth_);
        SetMaxWidth(s->maxWidth_);
        if (s->IsAssigned(cvDblClickNextVal)) SetDblClickNextVal(s->dblClickNextVal_);
        if (s->IsAssigned(cvDropDownSizing)) SetDropDownSizing(s->dropDownSizing_);
        if (s->IsAssigned(cvDropDownShowTitles)) SetDropDownShowTitles(s->dropDownShowTitles_);
        OnGetCellParams = s->OnGetCellParams;
        OnCheckDrawRequiredState = s->OnCheckDrawRequiredState;
        OnDropDownBoxCheckButton = s->OnDropDownBoxCheckButton;
        OnDropDownBoxDrawColumnCell = s->OnDropDownBoxDrawColumnCell;
        OnDropDownBoxGetCellParams = s->OnDropDownBoxGetCellParams;
        OnDropDownBoxSortMarkingChanged = s->OnDropDownBoxSortMarkingChanged;
        OnDropDownBoxTitleBtnClick = s->OnDropDownBoxTitleBtnClick;
        OnEditButtonClick = s->OnEditButtonClick;
        OnEditButtonDown = s->OnEditButtonDown;
        OnNotInList = s->OnNotInList;
        OnUpdateData = s->OnUpdateData;
        editButtons_->Assign(s->editButtons_);
        dropDownSpecRow_->Assign(s->dropDownSpecRow_);
        dropDownBox_->Assign(s->dropDownBox_);
        mruList_->Assign(s->mruList_);
        stFilter_->Assign(s->stFilter_);
        SetDisplayFormat(s->displayFormat_);
        SetEditMask(s->editMask_);
        SetShowImageAndText(s->showImageAndText_);
        SetHideDuplicates(s->hideDuplicates_);
        if (s->IsAssigned(cvLayout)) SetLayout(s->layout_);
        if (s->IsAssigned(cvHighlightRequired)) SetHighlightRequired(s->highlightRequired_);
        if (s->IsAssigned(cvBiDiMode)) SetBiDiMode(s->biDiMode_);
    }
}

// ---- what a column shows and edits

TColumnGxType TColumnGx::GetColumnType() {
    if (Checkboxes()) return ctCheckboxes;
    TField* field = Field();
    if (field && field->Lookup()) return ctLookupField;
    bool pick = pickList_ && pickList_->Count() > 0;
    bool key = keyList_ && keyList_->Count() > 0;
    if (pick && !key) return ctPickList;
    if (imageList_ && !showImageAndText_) return ctKeyImageList;
    if (pick && key) return ctKeyPickList;
    return ctCommon;
}

AnsiString TColumnGx::GetDisplayText() {
    TField* field = Field();
    if (!field || GetColumnType() == ctKeyImageList) return "";
    if (keyList_ && keyList_->Count() > 0) {
        int index = keyList_->IndexOf(field->Text());
        TStrings* pick = PickList();
        if (index >= 0 && index < pick->Count()) return pick->Strings(index);
        if (notInKeyListIndex_ >= 0 && notInKeyListIndex_ < pick->Count()) return pick->Strings(notInKeyListIndex_);
        return "";
    }
    TCustomDBGridGx* grid = GetGrid();
    if (grid && grid->DrawMemoText() && IsMemoField(field)) return field->AsString();
    if (field->Lookup() && dropDownSpecRow_->Visible()) {
        Variant key = field->KeyFields().empty() ? Variant() : field->DataSet()->FieldValues(field->KeyFields());
        if (VarEquals(key, dropDownSpecRow_->Value()) ||
            (dropDownSpecRow_->ShowIfNotInKeyList() && !LocateLookupRecord()))
            return dropDownSpecRow_->GetCellText(0);
    }
    if (!displayFormat_.empty() && !field->IsNull()) {
        if (IsNumericField(field)) return FormatFloat(displayFormat_, field->AsFloat());
        if (IsDateTimeField(field)) return FormatDateTime(displayFormat_, field->AsDateTime());
    }
    return field->DisplayText();
}

int TColumnGx::GetImageIndex() {
    TField* field = Field();
    if (!field) return notInKeyListIndex_;
    AnsiString text = field->Text();
    if (keyList_ && keyList_->Count() > 0) {
        int index = keyList_->IndexOf(text);
        return index >= 0 ? index : notInKeyListIndex_;
    }
    if (pickList_ && pickList_->Count() > 0) {
        int index = pickList_->IndexOf(text);
        return index >= 0 ? index : notInKeyListIndex_;
    }
    if (IsIntegerField(field) && !field->IsNull()) {
        // A stored value beyond an image index (past 32 bits) has no image; it must not raise.
        int64_t value = field->AsLargeInt();
        if (value >= INT32_MIN && value <= INT32_MAX) return static_cast<int>(value);
    }
    return notInKeyListIndex_;
}

TCheckBoxState TColumnGx::GetCheckboxState() {
    TField* field = Field();
    if (!field || field->IsNull()) return cbGrayed;
    if (field->DataType() == ftBoolean) return field->AsBoolean() ? cbChecked : cbUnchecked;
    TStrings* keys = KeyList();
    AnsiString text = field->Text();
    if (keys->Count() > 0 && TextInValues(text, keys->Strings(0))) return cbChecked;
    if (keys->Count() < 2) return cbGrayed;
    if (TextInValues(text, keys->Strings(1))) return cbUnchecked;
    return cbGrayed;
}

void TColumnGx::SetCheckboxValue(TCheckBoxState Value) {
    TField* field = Field();
    if (!field) return;
    if (Value == cbGrayed) {
        UpdateDataValues("", Null(), false);
        return;
    }
    if (field->DataType() == ftBoolean) {
        UpdateDataValues("", Variant(Value == cbChecked), false);
        return;
    }
    TStrings* keys = KeyList();
    int entry = Value == cbChecked ? 0 : 1;
    AnsiString text = entry < keys->Count() ? FirstValue(keys->Strings(entry)) : AnsiString();
    UpdateDataValues(text, Variant(text), true);
}

bool TColumnGx::LocateLookupRecord() {
    TField* field = Field();
    if (!field || !field->Lookup()) return false;
    TDataSet* list = field->LookupDataSet();
    if (!list || !list->Active() || field->KeyFields().empty()) return false;
    Variant key = field->DataSet()->FieldValues(field->KeyFields());
    return list->Locate(field->LookupKeyFields(), key, TLocateOptions());
}

void TColumnGx::SetNextFieldValue(double Step) {
    TCustomDBGridGx* grid = GetGrid();
    TField* field = Field();
    if (!grid || !field || !CanModify(true)) return;
    bool forward = Step >= 1;
    TColumnGxType kind = GetColumnType();
    if (kind == ctCheckboxes) {
        SetCheckboxValue(GetCheckboxState() == cbChecked ? cbUnchecked : cbChecked);
        return;
    }
    if (kind == ctLookupField) {
        TDataSet* list = field->LookupDataSet();
        if (!list || !list->Active() || field->KeyFields().empty()) return;
        LocateLookupRecord();
        if (forward) {
            list->Next();
            if (list->Eof()) list->First();
        } else {
            list->Prior();
            if (list->Bof()) list->Last();
        }
        Variant key = list->FieldValues(field->LookupKeyFields());
        UpdateDataValues(list->FieldByName(field->LookupResultField())->Text(), key, false);
        return;
    }
    bool keyed = keyList_ && keyList_->Count() > 0;
    TStrings* values = keyed ? keyList_ : pickList_;
    if (!values || values->Count() == 0) return;
    TInplaceEdit* editor = grid->InplaceEditor();
    int index;
    if (editor && editor->Visible()) {
        AnsiString text = editor->Text();
        index = keyed ? PickList()->IndexOf(text) : values->IndexOf(text);
    } else {
        index = values->IndexOf(field->Text());
    }
    int n = values->Count();
    if (forward) index = index < 0 || index >= n - 1 ? 0 : index + 1;
    else index = index <= 0 ? n - 1 : index - 1;
    AnsiString value = values->Strings(index);
    UpdateDataValues(value, Variant(value), true);
}

TField* TColumnGx::ModifiedField() {
    TField* field = Field();
    if (!field || !field->Lookup()) return field;
    std::vector<TField*> keys;
    field->DataSet()->GetFieldList(keys, field->KeyFields());
    return keys.empty() ? nullptr : keys.front();
}

bool TColumnGx::CanModify(bool TryEdit) {
    TCustomDBGridGx* grid = GetGrid();
    if (!grid || grid->ReadOnly() || !grid->DataLinkActive() || grid->DataLink()->ReadOnly()) return false;
    TField* field = Field();
    if (!field) return false;
    TField* test = field;
    if (field->Lookup()) {
        if (field->KeyFields().empty()) return false;
        std::vector<TField*> keys;
        field->DataSet()->GetFieldList(keys, field->KeyFields());
        if (keys.empty()) return false;
        for (TField* k : keys)
            if (!k->CanModify()) return false;
        test = keys.front();
    }
    if (!test->CanModify()) return false;
    if (test->IsBlob() && !test->OnSetText && !(IsMemoField(test) && grid->DrawMemoText())) return false;
    TDataSet* ds = grid->DataLink()->DataSet();
    TDBGridGxAllowedOperations ops = grid->AllowedOperations();
    bool result = ops.Contains(alopUpdateGx) || ds->State() == dsInsert;
    if (result && ds->IsEmpty()) result = ops.Contains(alopInsertGx) || ops.Contains(alopAppendGx);
    if (result && TryEdit) {
        grid->DataLink()->Edit();
        result = grid->DataLink()->Editing();
        if (result) grid->DataLink()->Modified();
    }
    return result;
}

void TColumnGx::UpdateDataValues(const AnsiString& Text, const Variant& Value, bool UseText) {
    AnsiString text = Text;
    Variant value = Value;
    bool useText = UseText;
    bool handled = false;
    if (OnUpdateData) OnUpdateData(this, text, value, useText, handled);
    TField* field = Field();
    TCustomDBGridGx* grid = GetGrid();
    if (!handled && field) {
        if (useText) {
            if (grid && grid->DrawMemoText() && IsMemoField(field)) field->SetAsString(text);
            else field->SetText(text);
        } else if (field->Lookup() && !field->KeyFields().empty()) {
            DataSetSetFieldValues(field->DataSet(), field->KeyFields(), value);
        } else {
            field->SetValue(value);
        }
    }
    if (mruList_->Active() && mruList_->AutoAdd() && grid && grid->InplaceEditor() && grid->InplaceEditor()->Visible())
        mruList_->Add(text);
}

void TColumnGx::FillColCellParams(TColCellParamsGx* Params) {
    if (Params->Font) Params->Font->Assign(Font());
    Params->Background = Color();
    Params->Alignment = Alignment();
    Params->ImageIndex = GetImageIndex();
    Params->Text = GetDisplayText();
    Params->CheckboxState = GetCheckboxState();
    Params->ReadOnly = !CanModify(false);
}

void TColumnGx::GetColCellParams(bool EditMode, TColCellParamsGx* Params) {
    if (OnGetCellParams) OnGetCellParams(this, EditMode, Params);
}

int TColumnGx::GetEditButtonsWidth() {
    TCustomDBGridGx* grid = GetGrid();
    bool flat = grid && grid->Flat();
    int defaultWidth = flat ? GetDefaultFlatButtonWidth() + 1 : GetSystemMetrics(SM_CXVSCROLL);
    int width = 0;
    if (GetColumnEditStyle(this) != esSimpleGx) width = defaultWidth;
    for (int i = 0; i < editButtons_->Count(); ++i) {
        TEditButtonGx* button = editButtons_->Items(i);
        if (!button->Visible()) continue;
        width += button->Width() > 0 ? button->Width() : defaultWidth;
        if (flat) width += 1;
    }
    return width;
}

bool TColumnGx::UseRightToLeftAlignment() const {
    // Right-to-left alignment needs a Middle East system locale, which we never run on.
    return false;
}

bool TColumnGx::UseRightToLeftReading() const {
    // As the alignment: right-to-left reading needs a Middle East system locale.
    return false;
}

// ---------------------------------------------------------------------------
// TDBGridColumnsGx, TColumnsGxList

TDBGridColumnsGx::TDBGridColumnsGx(TCustomDBGridGx* Grid, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), grid_(Grid) {}

TPersistent* TDBGridColumnsGx::GetOwner() { return grid_; }

TColumnGx* TDBGridColumnsGx::AddDefaultColumn() {
    TColumnGx* column = Add();
    column->customized_ = false;
    return column;
}

TDBGridColumnsState TDBGridColumnsGx::State() const {
    return Count() > 0 && !Items(0)->IsDefaultColumn() ? csCustomized : csDefault;
}

void TDBGridColumnsGx::ReleaseFilterValueLists() {
    for (int i = 0; i < Count(); ++i) Items(i)->FilterValueList.reset();
}

void TDBGridColumnsGx::Update(TCollectionItem* Item) {
    TCustomDBGridGx* grid = grid_;
    if (!grid || grid->Loading() || grid->IsDestroying()) return;
    if (auto* column = dynamic_cast<TColumnGx*>(Item)) {
        int raw = grid->DataToRawColumn(column->Index());
        grid->InvalidateCol(raw);
        if (raw < grid->ColCount()) {
            int gridWidth = grid->ColWidths(raw);
            if (!grid->AutoFitColWidths() || grid->Designing()) {
                if (gridWidth == column->Width()) {
                    if (grid->UseMultiTitle()) grid->LayoutChanged();
                } else {
                    int w = column->Visible() ? column->Width() : (grid->Options().Contains(dgColLines) ? -1 : 0);
                    grid->SetColWidths(raw, w);
                }
            } else if (gridWidth != -1) {
                // A zero grid width gives no scale to share out.
                if (gridWidth > 0) {
                    int oldInit = column->initWidth_;
                    int newInit = MulDiv(oldInit, column->Width(), gridWidth);
                    column->initWidth_ = newInit;
                    int index = column->Index();
                    if (index < Count() - 1) {
                        TColumnGx* next = Items(index + 1);
                        next->initWidth_ = std::max(0, next->initWidth_ + oldInit - newInit);
                    }
                }
                grid->LayoutChanged();
            }
        }
    } else {
        grid->UpdateSortMarkedColumns();
        grid->LayoutChanged();
    }
    // A hidden current column gives way to the first visible one.
    int current = grid->SelectedIndex();
    if (current >= 0 && current < Count() && !Items(current)->Visible()) {
        for (int i = 0; i < Count(); ++i)
            if (Items(i)->Visible()) {
                grid->SetSelectedIndex(i);
                break;
            }
    }
    if (grid->LayoutLock() == 0) grid->InvalidateEditor();
}

int TColumnsGxList::IndexOf(const TColumnGx* Column) const {
    auto it = std::find(items_.begin(), items_.end(), Column);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TColumnsGxList::Remove(TColumnGx* Column) {
    int index = IndexOf(Column);
    if (index >= 0) Delete(index);
    return index;
}

// ---------------------------------------------------------------------------

TEditStyleGx GetColumnEditStyle(TColumnGx* Column) {
    switch (Column->ButtonStyle()) {
        case cbsEllipsis: return esEllipsisGx;
        case cbsUpDown: return esUpDownGx;
        case cbsDropDown: return esDropDownGx;
        case cbsNone: return esSimpleGx;
        case cbsAuto: break;
    }
    TField* field = Column->Field();
    if (!field) return esSimpleGx;
    if (!field->Lookup()) {
        if (Column->PickList()->Count() > 0 && !Column->ReadOnly()) return esPickListGx;
        switch (field->DataType()) {
            case ftDate:
            case ftDateTime:
            case ftTimeStamp: return Column->ReadOnly() ? esSimpleGx : esDateCalendarGx;
            default: return esSimpleGx;
        }
    }
    TCustomDBGridGx* grid = Column->GetGrid();
    TDataSet* ds = field->DataSet();
    std::vector<TField*> keys;
    if (ds && !field->KeyFields().empty()) {
        try {
            ds->GetFieldList(keys, field->KeyFields());
        } catch (const EDatabaseError&) {
            keys.clear();
        }
    }
    if (keys.empty()) return esSimpleGx;
    bool modifiable = (grid && grid->Designing()) || FieldsCanModify(keys);
    bool explicitReadOnly = Column->IsAssigned(TColumnGx::cvReadOnly) && Column->ReadOnly();
    if (modifiable && !explicitReadOnly && grid && !grid->ReadOnly() && grid->DataLinkActive() &&
        !grid->DataLink()->ReadOnly())
        return esDataListGx;
    return esSimpleGx;
}
