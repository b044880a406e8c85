// A column's title: its caption (the field's label unless set), colours,
// font, button and tooltip settings read through the grid-wide defaults, and
// the sort marker with its place among the sort-marked columns.
#include <algorithm>

#include "grid/DBGridGx.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

// Type information, in the declaration order that layout files follow.
TESK_PUBLISHED(TColumnTitleGx) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
    Property("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis).Stored(&T::IsEndEllipsisStored);
    Property("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    Property("Hint", &T::Hint, &T::SetHint);
    Property("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
    Property("Orientation", &T::Orientation, &T::SetOrientation).Stored(&T::IsOrientationStored);
    Property("SortIndex", &T::SortIndex, &T::SetSortIndex).Default(0);
    Property("SortMarker", &T::SortMarker, &T::SetSortMarker).Default(smNoneGx);
    Property("TitleButton", &T::TitleButton, &T::SetTitleButton).Stored(&T::IsTitleButtonStored);
    Property("ToolTips", &T::ToolTips, &T::SetToolTips).Stored(&T::IsToolTipsStored);
}

TColumnTitleGx::TColumnTitleGx(TColumnGx* Column) : column_(Column), font_(new TFont) {
    copyingFont_ = true;
    font_->Assign(DefaultFont());
    copyingFont_ = false;
    font_->OnChange = TNotifyEvent(this, &TColumnTitleGx::FontChanged);
}

TColumnTitleGx::~TColumnTitleGx() { delete font_; }

TPersistent* TColumnTitleGx::GetOwner() { return column_; }

void TColumnTitleGx::FontChanged(TObject*) {
    if (copyingFont_) return;
    column_->SetAssigned(TColumnGx::cvTitleFont, true);
    column_->Changed(true);
}

void TColumnTitleGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TColumnTitleGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    TColumnGx* sc = s->column_;
    if (sc->IsAssigned(TColumnGx::cvTitleAlignment)) SetAlignment(s->Alignment());
    if (sc->IsAssigned(TColumnGx::cvTitleColor)) SetColor(s->Color());
    if (sc->IsAssigned(TColumnGx::cvTitleCaption)) SetCaption(s->Caption());
    if (sc->IsAssigned(TColumnGx::cvTitleFont)) SetFont(s->Font());
    SetHint(s->Hint());
    SetImageIndex(s->ImageIndex());
    SetOrientation(s->Orientation());
    SetSortIndex(s->SortIndex());
    SetSortMarker(s->SortMarker());
    SetTitleButton(s->TitleButton());
    SetEndEllipsis(s->EndEllipsis());
    SetToolTips(s->ToolTips());
}

TAlignment TColumnTitleGx::DefaultAlignment() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid ? grid->ColumnDefValues()->Title()->Alignment() : taLeftJustify;
}

AnsiString TColumnTitleGx::DefaultCaption() const {
    TField* field = column_->Field();
    return field ? field->DisplayName() : column_->FieldName();
}

TColor TColumnTitleGx::DefaultColor() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid ? grid->ColumnDefValues()->Title()->Color() : clBtnFace;
}

bool TColumnTitleGx::DefaultEndEllipsis() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid && grid->ColumnDefValues()->Title()->EndEllipsis();
}

TFont* TColumnTitleGx::DefaultFont() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid ? grid->TitleFont() : column_->Font();
}

TColumnTitleOrientationGx TColumnTitleGx::DefaultOrientation() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid ? grid->ColumnDefValues()->Title()->Orientation() : tohHorizontal;
}

bool TColumnTitleGx::DefaultTitleButton() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid && grid->ColumnDefValues()->Title()->TitleButton();
}

bool TColumnTitleGx::DefaultToolTips() const {
    TCustomDBGridGx* grid = column_->GetGrid();
    return grid && grid->ColumnDefValues()->Title()->ToolTips();
}

TAlignment TColumnTitleGx::Alignment() const {
    return column_->IsAssigned(TColumnGx::cvTitleAlignment) ? alignment_ : DefaultAlignment();
}

void TColumnTitleGx::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleAlignment, true);
    column_->Changed(false);
}

AnsiString TColumnTitleGx::Caption() const {
    return column_->IsAssigned(TColumnGx::cvTitleCaption) ? caption_ : DefaultCaption();
}

void TColumnTitleGx::SetCaption(const AnsiString& Value) {
    // A default column keeps its caption in the field's label.
    if (column_->IsDefaultColumn() && column_->DefaultColumnOfActiveLink()) {
        if (TField* field = column_->Field()) {
            field->SetDisplayLabel(Value);
            return;
        }
    }
    caption_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleCaption, true);
    column_->Changed(true);
}

TColor TColumnTitleGx::Color() const { return column_->IsAssigned(TColumnGx::cvTitleColor) ? color_ : DefaultColor(); }

void TColumnTitleGx::SetColor(TColor Value) {
    color_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleColor, true);
    column_->Changed(false);
}

bool TColumnTitleGx::EndEllipsis() const {
    return column_->IsAssigned(TColumnGx::cvTitleEndEllipsis) ? endEllipsis_ : DefaultEndEllipsis();
}

void TColumnTitleGx::SetEndEllipsis(bool Value) {
    endEllipsis_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleEndEllipsis, true);
    column_->Changed(false);
}

TFont* TColumnTitleGx::Font() const {
    if (!column_->IsAssigned(TColumnGx::cvTitleFont)) {
        // An unassigned font follows its default.
        TFont* def = DefaultFont();
        if (def && def != font_) {
            TColumnTitleGx* self = const_cast<TColumnTitleGx*>(this);
            self->copyingFont_ = true;
            font_->Assign(def);
            self->copyingFont_ = false;
        }
    }
    return font_;
}

void TColumnTitleGx::SetFont(TFont* Value) { font_->Assign(Value); }

void TColumnTitleGx::RefreshDefaultFont() {
    if (column_->IsAssigned(TColumnGx::cvTitleFont)) return;
    copyingFont_ = true;
    font_->Assign(DefaultFont());
    copyingFont_ = false;
}

void TColumnTitleGx::SetImageIndex(int Value) {
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    column_->InvalidateGrid();
}

TColumnTitleOrientationGx TColumnTitleGx::Orientation() const {
    return column_->IsAssigned(TColumnGx::cvTitleOrientation) ? orientation_ : DefaultOrientation();
}

void TColumnTitleGx::SetOrientation(TColumnTitleOrientationGx Value) {
    orientation_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleOrientation, true);
    column_->Changed(true);
}

bool TColumnTitleGx::TitleButton() const {
    return column_->IsAssigned(TColumnGx::cvTitleButton) ? titleButton_ : DefaultTitleButton();
}

void TColumnTitleGx::SetTitleButton(bool Value) {
    titleButton_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleButton, true);
    column_->Changed(false);
}

bool TColumnTitleGx::ToolTips() const {
    return column_->IsAssigned(TColumnGx::cvTitleToolTips) ? toolTips_ : DefaultToolTips();
}

void TColumnTitleGx::SetToolTips(bool Value) {
    toolTips_ = Value;
    column_->SetAssigned(TColumnGx::cvTitleToolTips, true);
}

bool TColumnTitleGx::IsAlignmentStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleAlignment) && alignment_ != DefaultAlignment();
}
bool TColumnTitleGx::IsCaptionStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleCaption) && caption_ != DefaultCaption();
}
bool TColumnTitleGx::IsColorStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleColor) && color_ != DefaultColor();
}
bool TColumnTitleGx::IsEndEllipsisStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleEndEllipsis) && endEllipsis_ != DefaultEndEllipsis();
}
bool TColumnTitleGx::IsFontStored() const { return column_->IsAssigned(TColumnGx::cvTitleFont); }
bool TColumnTitleGx::IsOrientationStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleOrientation) && orientation_ != DefaultOrientation();
}
bool TColumnTitleGx::IsTitleButtonStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleButton) && titleButton_ != DefaultTitleButton();
}
bool TColumnTitleGx::IsToolTipsStored() const {
    return column_->IsAssigned(TColumnGx::cvTitleToolTips) && toolTips_ != DefaultToolTips();
}

void TColumnTitleGx::RestoreDefaults() {
    bool fontAssigned = column_->IsAssigned(TColumnGx::cvTitleFont);
    for (TColumnGx::TValue v : {TColumnGx::cvTitleColor, TColumnGx::cvTitleCaption, TColumnGx::cvTitleAlignment,
                                TColumnGx::cvTitleFont, TColumnGx::cvTitleButton, TColumnGx::cvTitleEndEllipsis,
                                TColumnGx::cvTitleToolTips, TColumnGx::cvTitleOrientation})
        column_->SetAssigned(v, false);
    caption_.clear();
    RefreshDefaultFont();
    if (fontAssigned) column_->Changed(true);
}

// Sort markers: the grid keeps the marked columns in a list in marking order.
void TColumnTitleGx::SetSortMarker(TSortMarkerGx Value) {
    if (Value == sortMarker_) return;
    TDBGridColumnsGx* columns = dynamic_cast<TDBGridColumnsGx*>(column_->Collection());
    TCustomDBGridGx* grid = column_->GetGrid();
    if (!columns || columns->UpdateCount() > 0 || !grid) {
        sortMarker_ = Value;
        return;
    }
    TColumnsGxList* marked = grid->SortMarkedColumns();
    if (!grid->OptionsGx().Contains(dghMultiSortMarking)) {
        if (Value != smNoneGx) {
            for (int i = 0; i < columns->Count(); ++i) {
                TColumnGx* c = columns->Items(i);
                if (c == column_) continue;
                c->title_->sortMarker_ = smNoneGx;
                c->title_->sortIndex_ = 0;
            }
            sortIndex_ = 1;
            marked->Clear();
            marked->Add(column_);
        } else {
            sortIndex_ = 0;
            marked->Clear();
        }
    } else if (Value != smNoneGx) {
        if (sortIndex_ == 0) {
            int n = 0;
            for (int i = 0; i < columns->Count(); ++i)
                if (columns->Items(i)->title_->sortIndex_ != 0) ++n;
            sortIndex_ = n + 1;
            marked->Add(column_);
        }
    } else if (sortIndex_ != 0) {
        for (int i = 0; i < columns->Count(); ++i) {
            TColumnTitleGx* t = columns->Items(i)->title_;
            if (t->sortIndex_ > sortIndex_) --t->sortIndex_;
        }
        marked->Remove(column_);
        sortIndex_ = 0;
    }
    sortMarker_ = Value;
    column_->Changed(false);
}

void TColumnTitleGx::SetSortIndex(int Value) {
    if (Value < 0) Value = 0;
    if (Value == sortIndex_) return;
    TDBGridColumnsGx* columns = dynamic_cast<TDBGridColumnsGx*>(column_->Collection());
    TCustomDBGridGx* grid = column_->GetGrid();
    if (!columns || columns->UpdateCount() > 0 || !grid) {
        sortIndex_ = Value;
        return;
    }
    if (sortMarker_ == smNoneGx) return;
    for (int i = 0; i < columns->Count(); ++i) {
        TColumnGx* other = columns->Items(i);
        if (other == column_ || other->title_->sortIndex_ != Value) continue;
        other->title_->sortIndex_ = sortIndex_;
        sortIndex_ = Value;
        TColumnsGxList* marked = grid->SortMarkedColumns();
        int a = marked->IndexOf(column_), b = marked->IndexOf(other);
        if (a >= 0 && b >= 0) {
            marked->SetItem(a, other);
            marked->SetItem(b, column_);
        }
        column_->Changed(false);
        return;
    }
}

void TColumnTitleGx::SetNextSortMarker(bool Multi) {
    TDBGridColumnsGx* columns = dynamic_cast<TDBGridColumnsGx*>(column_->Collection());
    if (!Multi && columns)
        for (int i = 0; i < columns->Count(); ++i)
            if (columns->Items(i) != column_) columns->Items(i)->Title()->SetSortMarker(smNoneGx);
    switch (sortMarker_) {
        case smNoneGx: SetSortMarker(smDownGx); break;
        case smDownGx: SetSortMarker(smUpGx); break;
        case smUpGx: SetSortMarker(Multi ? smNoneGx : smDownGx); break;
    }
}

int TColumnTitleGx::GetSortMarkingWidth() {
    if (sortIndex_ == 0) return 0;
    int width = 16;
    TCustomDBGridGx* grid = column_->GetGrid();
    if (grid && grid->SortMarkedColumns()->Count() >= 2) {
        HDC dc = CreateScreenDC();
        HGDIOBJ old = SelectObject(dc, GridSortMarkerFont()->Handle());
        AnsiString text = IntToStr(sortIndex_);
        TSize size;
        GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        DeleteDC(dc);
        width += size.cx;
        int room = column_->Width() - 4;
        if (width > room) {
            width -= 14;
            if (width > room) width -= size.cx + 2;
        }
    }
    return width;
}
