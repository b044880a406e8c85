// A column's footers: the single footer and the collection of footer rows,
// their settings read through the grid-wide defaults, the sums they keep in
// the grid's sum list, and the text each footer cell shows.
#include <cmath>

#include "grid/DBGridGx.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

// Type information, in the declaration order that layout files follow.
TESK_PUBLISHED(TColumnFooterGx) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
    Property("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat);
    Property("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis).Default(false);
    Property("FieldName", &T::FieldName, &T::SetFieldName);
    Property("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    Property("ToolTips", &T::ToolTips, &T::SetToolTips).Stored(&T::IsToolTipsStored);
    Property("Value", &T::Value, &T::SetValue);
    Property("ValueType", &T::ValueType, &T::SetValueType).Default(fvtNon);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TColumnFootersGx) {}

TColumnFooterGx::TColumnFooterGx(TCollection* Collection) : TCollectionItem(Collection) {
    if (auto* footers = dynamic_cast<TColumnFootersGx*>(Collection)) column_ = footers->Column();
    Init();
}

TColumnFooterGx::TColumnFooterGx(TColumnGx* Column, bool) : TCollectionItem(nullptr), column_(Column) { Init(); }

TColumnFooterGx* TColumnFooterGx::CreateCol(TColumnGx* Column) { return new TColumnFooterGx(Column, true); }

void TColumnFooterGx::Init() {
    font_ = new TFont;
    copyingFont_ = true;
    font_->Assign(DefaultFont());
    copyingFont_ = false;
    font_->OnChange = TNotifyEvent(this, &TColumnFooterGx::FontChanged);
    if (TCustomDBGridGx* grid = Grid()) grid->InvalidateFooter();
}

void TColumnFooterGx::BeforeDestruction() {
    ReleaseSum();
    TCollectionItem::BeforeDestruction();
}

void TColumnFooterGx::ReleaseSum() {
    if (!sumItem_) return;
    TDBSum* sum = sumItem_;
    sumItem_ = nullptr;
    TCustomDBGridGx* grid = Grid();
    if (grid && grid->SumList()) FreeObject(sum);
}

TColumnFooterGx::~TColumnFooterGx() {
    delete font_;
    if (TCustomDBGridGx* grid = Grid()) grid->InvalidateFooter();
}

TCustomDBGridGx* TColumnFooterGx::Grid() const { return column_ ? column_->GetGrid() : nullptr; }

void TColumnFooterGx::ColumnChanged(bool AllItems) {
    if (column_) column_->Changed(AllItems);
}

void TColumnFooterGx::FontChanged(TObject*) {
    if (copyingFont_) return;
    fontAssigned_ = true;
    ColumnChanged(true);
}

void TColumnFooterGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TColumnFooterGx*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    if (s->alignmentAssigned_) SetAlignment(s->alignment_);
    if (s->colorAssigned_) SetColor(s->color_);
    if (s->fontAssigned_) SetFont(s->font_);
    SetEndEllipsis(s->endEllipsis_);
    SetValueType(s->valueType_);
    SetFieldName(s->fieldName_);
    SetValue(s->value_);
    SetWordWrap(s->wordWrap_);
    SetDisplayFormat(s->displayFormat_);
    if (s->toolTipsAssigned_) SetToolTips(s->toolTips_);
}

TAlignment TColumnFooterGx::DefaultAlignment() const {
    TField* field = column_ ? column_->Field() : nullptr;
    return field ? field->Alignment() : taLeftJustify;
}

TColor TColumnFooterGx::DefaultColor() const {
    TCustomDBGridGx* grid = Grid();
    return grid ? grid->FooterColor() : clWindow;
}

TFont* TColumnFooterGx::DefaultFont() const {
    TCustomDBGridGx* grid = Grid();
    if (grid) return grid->FooterFont();
    return column_ ? column_->Font() : font_;
}

bool TColumnFooterGx::DefaultToolTips() const {
    TCustomDBGridGx* grid = Grid();
    return grid && grid->ColumnDefValues()->Footer()->ToolTips();
}

TAlignment TColumnFooterGx::Alignment() const { return alignmentAssigned_ ? alignment_ : DefaultAlignment(); }

void TColumnFooterGx::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    alignmentAssigned_ = true;
    ColumnChanged(false);
}

TColor TColumnFooterGx::Color() const { return colorAssigned_ ? color_ : DefaultColor(); }

void TColumnFooterGx::SetColor(TColor Value) {
    color_ = Value;
    colorAssigned_ = true;
    ColumnChanged(false);
}

TFont* TColumnFooterGx::Font() const {
    if (!fontAssigned_) {
        TFont* def = DefaultFont();
        if (def && def != font_) {
            auto* self = const_cast<TColumnFooterGx*>(this);
            self->copyingFont_ = true;
            font_->Assign(def);
            self->copyingFont_ = false;
        }
    }
    return font_;
}

void TColumnFooterGx::SetFont(TFont* Value) { font_->Assign(Value); }

void TColumnFooterGx::RefreshDefaultFont() {
    if (fontAssigned_) return;
    copyingFont_ = true;
    font_->Assign(DefaultFont());
    copyingFont_ = false;
}

bool TColumnFooterGx::ToolTips() const { return toolTipsAssigned_ ? toolTips_ : DefaultToolTips(); }

void TColumnFooterGx::SetToolTips(bool Value) {
    toolTips_ = Value;
    toolTipsAssigned_ = true;
    ColumnChanged(false);
}

void TColumnFooterGx::SetDisplayFormat(const AnsiString& Value) {
    displayFormat_ = Value;
    ColumnChanged(false);
}

void TColumnFooterGx::SetEndEllipsis(bool Value) {
    endEllipsis_ = Value;
    ColumnChanged(false);
}

AnsiString TColumnFooterGx::SumFieldName() const {
    return fieldName_.empty() && column_ ? column_->FieldName() : fieldName_;
}

void TColumnFooterGx::SetFieldName(const AnsiString& Value) {
    if (Value == fieldName_) return;
    fieldName_ = Value;
    EnsureSumValue();
    ColumnChanged(false);
}

void TColumnFooterGx::SetValue(const AnsiString& Value) {
    value_ = Value;
    ColumnChanged(false);
}

void TColumnFooterGx::SetValueType(TColumnFooterValueTypeGx Value) {
    if (Value == valueType_) return;
    valueType_ = Value;
    EnsureSumValue();
    ColumnChanged(false);
}

void TColumnFooterGx::SetWordWrap(bool Value) {
    wordWrap_ = Value;
    ColumnChanged(false);
}

void TColumnFooterGx::RestoreDefaults() {
    bool fontWas = fontAssigned_;
    alignmentAssigned_ = fontAssigned_ = colorAssigned_ = toolTipsAssigned_ = false;
    RefreshDefaultFont();
    ColumnChanged(fontWas);
}

void TColumnFooterGx::EnsureSumValue() {
    TCustomDBGridGx* grid = Grid();
    if (!grid || !grid->SumList()) return;
    AnsiString field = SumFieldName();
    auto configure = [&](TDBSum* sum) {
        switch (valueType_) {
            case fvtSum:
                sum->SetGroupOperation(goSum);
                sum->SetFieldName(field);
                break;
            case fvtAvg:
                sum->SetGroupOperation(goAvg);
                sum->SetFieldName(field);
                break;
            case fvtCount:
                sum->SetGroupOperation(goCount);
                sum->SetFieldName("");
                break;
            default: break;
        }
    };
    bool wanted = valueType_ == fvtSum || valueType_ == fvtAvg || valueType_ == fvtCount;
    if (sumItem_) {
        if (wanted) {
            configure(sumItem_);
        } else {
            TDBSum* sum = sumItem_;
            sumItem_ = nullptr;
            FreeObject(sum);
        }
    } else if (wanted) {
        TDBSumCollection* sums = grid->SumList()->SumCollection();
        {
            TUpdateLock lock(sums);
            sumItem_ = sums->Add();
            configure(sumItem_);
        }
    }
}

TColumnFootersGx::TColumnFootersGx(TColumnGx* Column)
    : TCollection(ItemClassOf<TColumnFooterGx>), column_(Column) {}

TPersistent* TColumnFootersGx::GetOwner() { return column_; }

void TColumnFootersGx::Update(TCollectionItem*) {
    if (TCustomDBGridGx* grid = column_ ? column_->GetGrid() : nullptr) grid->InvalidateFooter();
}

// ---------------------------------------------------------------------------
// Footer texts

AnsiString FooterAggregateTextGx(TColumnFooterGx* Footer, TField* Field, Currency Value) {
    const double v = Value.ToDouble();
    const AnsiString& own = Footer->DisplayFormat();
    AnsiString fieldFormat;
    if (auto* numeric = dynamic_cast<TNumericField*>(Field)) fieldFormat = numeric->DisplayFormat();
    auto* floatField = dynamic_cast<TFloatField*>(Field);
    const bool currency = floatField && floatField->Currency();
    switch (Field->DataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            if (!own.empty()) return FormatFloat(own, v);
            if (!fieldFormat.empty()) return FormatFloat(fieldFormat, v);
            return IntToStr(static_cast<long>(std::nearbyint(v)));
        case ftFloat:
        case ftCurrency:
            if (!own.empty()) return FormatFloat(own, v);
            if (!fieldFormat.empty()) return FormatFloat(fieldFormat, v);
            return currency ? FloatToStrF(v, ffCurrency, floatField->Precision(), FormatSettings.CurrencyDecimals)
                            : FloatToStrF(v, ffGeneral, floatField ? floatField->Precision() : 15, 0);
        case ftBCD:
        case ftFMTBcd:
            if (!own.empty()) return FormatFloat(own, v);
            if (!fieldFormat.empty()) return FormatCurr(fieldFormat, Value);
            return currency ? CurrToStrF(Value, ffCurrency, FormatSettings.CurrencyDecimals)
                            : CurrToStrF(Value, ffGeneral, 0);
        default:
            return "0";
    }
}

AnsiString TCustomDBGridGx::GetFooterValue(int Row, TColumnGx* Column) {
    TColumnFooterGx* footer = Column ? Column->UsedFooter(Row) : nullptr;
    if (!footer) return AnsiString();
    TDataSet* dataSet = dataLink_->DataSet();
    TDBSumCollection* sums = sumList_->SumCollection();
    switch (footer->ValueType()) {
        case fvtSum:
        case fvtAvg: {
            const AnsiString name = footer->SumFieldName();
            TField* field = dataSet ? dataSet->FindField(name) : nullptr;
            if (!field) return "0";
            TDBSum* sum = sums->FindSum(footer->ValueType() == fvtSum ? goSum : goAvg, name);
            return FooterAggregateTextGx(footer, field, sum ? sum->SumValue() : Currency());
        }
        case fvtCount: {
            TDBSum* sum = sums->FindSum(goCount, "");
            const double count = sum ? sum->SumValue().ToDouble() : 0.0;
            return footer->DisplayFormat().empty() ? FloatToStr(count) : FormatFloat(footer->DisplayFormat(), count);
        }
        case fvtFieldValue: {
            if (!dataSet || !dataSet->Active() || footer->FieldName().empty()) return AnsiString();
            // A footer naming a field the data set lacks shows nothing (rather than failing every paint).
            TField* field = dataSet->FindField(footer->FieldName());
            if (!field) return AnsiString();
            const AnsiString& format = footer->DisplayFormat();
            if (!format.empty() && !field->IsNull()) {
                if (dynamic_cast<TNumericField*>(field)) return FormatFloat(format, field->AsFloat());
                if (field->DataType() == ftDate || field->DataType() == ftTime || field->DataType() == ftDateTime)
                    return FormatDateTime(format, field->AsDateTime());
            }
            return field->DisplayText();
        }
        case fvtStaticText:
            return footer->Value();
        default:
            return AnsiString();
    }
}
