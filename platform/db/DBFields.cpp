// Fields: names, types, display properties and value conversions.
#include <algorithm>
#include <cmath>

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

void DatabaseError(const AnsiString& Message) { throw EDatabaseError(Message); }

TDbKind FieldTypeKind(TFieldType DataType) {
    switch (DataType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return TDbKind::Integer;
    case ftBoolean: return TDbKind::Boolean;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: return TDbKind::Float;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp: return TDbKind::DateTime;
    default: return TDbKind::Text;
    }
}

TField* CreateFieldOfType(TFieldType DataType, TComponent* AOwner) {
    switch (DataType) {
    case ftString:
    case ftFixedChar:
    case ftGuid: return new TStringField(AOwner);
    case ftWideString: return new TWideStringField(AOwner);
    case ftSmallint: return new TSmallintField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftWord: return new TWordField(AOwner);
    case ftAutoInc: return new TAutoIncField(AOwner);
    case ftLargeint: return new TLargeintField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftCurrency: return new TCurrencyField(AOwner);
    case ftBCD:
    case ftFMTBcd: return new TBCDField(AOwner);
    case ftDate: return new TDateField(AOwner);
    case ftTime: return new TTimeField(AOwner);
    case ftDateTime:
    case ftTimeStamp: return new TDateTimeField(AOwner);
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob: return new TMemoField(AOwner);
    case ftGraphic: return new TGraphicField(AOwner);
    default: return new TBlobField(AOwner);
    }
}

// ---------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    if (dataSet_) dataSet_->RemoveField(this);
    if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
}

void TField::SetFieldName(const AnsiString& Value) {
    if (fieldName_ == Value) return;
    fieldName_ = Value;
    PropertyChanged(true);
}

AnsiString TField::DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }

void TField::SetDisplayLabel(const AnsiString& Value) {
    if (Value == DisplayLabel()) return;
    displayLabel_ = Value == fieldName_ ? AnsiString() : Value;
    PropertyChanged(true);
}

int TField::DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultWidth(); }

void TField::SetDisplayWidth(int Value) {
    if (Value == DisplayWidth()) return;
    displayWidth_ = Value;
    PropertyChanged(true);
}

int TField::DefaultWidth() const { return 10; }

int TField::Index() const { return dataSet_ ? dataSet_->Fields()->IndexOf(this) : -1; }

void TField::SetIndex(int Value) {
    if (!dataSet_) return;
    TFields* fields = dataSet_->Fields();
    int count = fields->Count();
    if (Value < 0) Value = 0;
    if (Value >= count) Value = count - 1;
    int cur = fields->IndexOf(this);
    if (cur == Value || cur < 0) return;
    fields->Move(cur, Value);
    dataSet_->FieldListChanged();
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (Value && Value->Active()) DatabaseError("Cannot perform this operation on an open dataset");
    if (dataSet_) dataSet_->RemoveField(this);
    if (Value) Value->AddField(this);
}

void TField::SetDataType(TFieldType Value) {
    dataType_ = Value;
    kind_ = FieldTypeKind(Value);
}

void TField::SetFieldKind(TFieldKind Value) {
    if (fieldKind_ == Value) return;
    if (dataSet_ && dataSet_->Active()) DatabaseError("Cannot perform this operation on an open dataset");
    fieldKind_ = Value;
}

void TField::SetSize(int Value) {
    if (dataSet_ && dataSet_->Active()) DatabaseError("Cannot perform this operation on an open dataset");
    size_ = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
    if (lookupDataSet_ == Value) return;
    if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
    lookupDataSet_ = Value;
    if (Value) Value->FreeNotification(this);
    PropertyChanged(false);
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == lookupDataSet_) lookupDataSet_ = nullptr;
}

void TField::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    PropertyChanged(false);
}

void TField::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    PropertyChanged(false);
}

void TField::SetEditMask(const AnsiString& Value) {
    editMask_ = Value;
    PropertyChanged(false);
}

bool TField::CanModify() const {
    if (readOnly_ || !dataSet_) return false;
    // A computed field gets its value from OnCalcFields, never from the user.
    if (fieldKind_ == fkLookup || fieldKind_ == fkCalculated) return false;
    if (fieldKind_ == fkData) return dataSet_->CanModify();
    return true;
}

bool TField::IsValidChar(char C) const {
    (void)C;
    return true;
}

void TField::FocusControl() {
    if (!dataSet_ || !dataSet_->Active()) return;
    TField* field = this;
    dataSet_->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

void TField::PropertyChanged(bool LayoutAffected) {
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

bool TField::GetCell(TDbCell& Cell, std::string& Scratch) const {
    Cell = TDbCell();
    if (dataSet_) dataSet_->ReadFieldCell(this, Cell, Scratch);
    return !Cell.null;
}

bool TField::IsNull() const {
    TDbCell cell;
    std::string scratch;
    return !GetCell(cell, scratch);
}

void TField::PrepareWrite(TDbValue& Value) const {
    if (kind_ == TDbKind::Text && !Value.null && Value.s.empty()) Value.null = true;
    if (kind_ == TDbKind::Integer && !Value.null) {
        // A value the column's type cannot hold would be stored and then
        // refused by every later read: refuse it here instead.
        int64_t low = INT32_MIN, high = INT32_MAX;
        if (dataType_ == ftSmallint) low = INT16_MIN, high = INT16_MAX;
        else if (dataType_ == ftWord) low = 0, high = UINT16_MAX;
        else if (dataType_ == ftLargeint) low = TDbColumn::kNullInt + 1, high = INT64_MAX;  // the lowest marks Null
        if (Value.i < low || Value.i > high)
            throw EConvertError("'" + IntToStr(static_cast<long long>(Value.i)) + "' is not a valid integer value");
    }
}

void TField::WriteValue(const TDbValue& Value) {
    if (!dataSet_) DatabaseError("Field '" + DisplayName() + "' has no dataset");
    TDbValue v = Value;
    PrepareWrite(v);
    dataSet_->WriteField(this, v);
}

void TField::Clear() { WriteValue(TDbValue()); }

Variant TField::Value() const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return Null();
    switch (kind_) {
    case TDbKind::Integer:
        if (dataType_ == ftLargeint || c.i < INT32_MIN || c.i > INT32_MAX) return Variant(static_cast<long long>(c.i));
        return Variant(static_cast<int>(c.i));
    case TDbKind::Boolean: return Variant(c.i != 0);
    case TDbKind::Float: return Variant(c.d);
    case TDbKind::DateTime: return VarFromDateTime(c.d);
    case TDbKind::Text: return Variant(AnsiString(c.s));
    }
    return Null();
}

void TField::SetValue(const Variant& V) {
    if (V.IsNull() || V.IsEmpty()) {
        Clear();
        return;
    }
    TDbValue v;
    v.null = false;
    switch (kind_) {
    case TDbKind::Integer: v.i = V.AsInt64(); break;
    case TDbKind::Boolean: v.i = V.AsBoolean() ? 1 : 0; break;
    case TDbKind::Float: v.d = V.AsDouble(); break;
    case TDbKind::DateTime: v.d = V.AsDateTime(); break;
    case TDbKind::Text: v.s = V.AsString(); break;
    }
    WriteValue(v);
}

AnsiString TField::AsString() const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return AnsiString();
    switch (kind_) {
    case TDbKind::Integer: return IntToStr(static_cast<long long>(c.i));
    case TDbKind::Boolean: return c.i ? "True" : "False";
    case TDbKind::Float: return FloatToStr(c.d);
    case TDbKind::DateTime:
        if (dataType_ == ftDate) return DateToStr(c.d);
        if (dataType_ == ftTime) return TimeToStr(c.d);
        return DateTimeToStr(c.d);
    case TDbKind::Text: return AnsiString(c.s);
    }
    return AnsiString();
}

void TField::SetAsString(const AnsiString& Value) {
    TDbValue v;
    if (Value.empty()) {
        WriteValue(v);
        return;
    }
    v.null = false;
    switch (kind_) {
    case TDbKind::Integer: v.i = StrToInt64(Value); break;
    case TDbKind::Boolean: v.i = StrToBool(Value) ? 1 : 0; break;
    case TDbKind::Float: v.d = StrToFloat(Value); break;
    case TDbKind::DateTime:
        if (dataType_ == ftDate)
            v.d = StrToDate(Value);
        else if (dataType_ == ftTime)
            v.d = StrToTime(Value);
        else if (!TryStrToDateTime(Value, v.d) && !TrySqlTextToDateTime(Value, v.d))
            v.d = StrToDateTime(Value);  // raises the conversion error
        break;
    case TDbKind::Text: v.s = Value; break;
    }
    WriteValue(v);
}

int64_t TField::AsLargeInt() const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return 0;
    switch (kind_) {
    case TDbKind::Integer:
    case TDbKind::Boolean: return c.i;
    case TDbKind::Float:
    case TDbKind::DateTime: return std::llround(c.d);
    case TDbKind::Text: return StrToInt64(AnsiString(c.s));
    }
    return 0;
}

int TField::AsInteger() const {
    int64_t v = AsLargeInt();
    if (v < INT32_MIN || v > INT32_MAX)
        throw EConvertError(IntToStr(static_cast<long long>(v)) + " is not a valid integer value");
    return static_cast<int>(v);
}

void TField::SetAsLargeInt(int64_t Value) {
    TDbValue v;
    v.null = false;
    switch (kind_) {
    case TDbKind::Integer: v.i = Value; break;
    case TDbKind::Boolean: v.i = Value != 0; break;
    case TDbKind::Float:
    case TDbKind::DateTime: v.d = static_cast<double>(Value); break;
    case TDbKind::Text: v.s = IntToStr(static_cast<long long>(Value)); break;
    }
    WriteValue(v);
}

void TField::SetAsInteger(int Value) { SetAsLargeInt(Value); }

double TField::AsFloat() const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return 0;
    switch (kind_) {
    case TDbKind::Integer:
    case TDbKind::Boolean: return static_cast<double>(c.i);
    case TDbKind::Float:
    case TDbKind::DateTime: return c.d;
    case TDbKind::Text: return StrToFloat(AnsiString(c.s));
    }
    return 0;
}

void TField::SetAsFloat(double Value) {
    TDbValue v;
    v.null = false;
    switch (kind_) {
    case TDbKind::Integer: v.i = std::llround(Value); break;
    case TDbKind::Boolean: v.i = Value != 0; break;
    case TDbKind::Float:
    case TDbKind::DateTime: v.d = Value; break;
    case TDbKind::Text: v.s = FloatToStr(Value); break;
    }
    WriteValue(v);
}

TDateTime TField::AsDateTime() const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return 0;
    switch (kind_) {
    case TDbKind::Integer:
    case TDbKind::Boolean: return static_cast<double>(c.i);
    case TDbKind::Float:
    case TDbKind::DateTime: return c.d;
    case TDbKind::Text: {
        AnsiString s(c.s);
        TDateTime d;
        if (TrySqlTextToDateTime(s, d)) return d;
        return StrToDateTime(s);
    }
    }
    return 0;
}

void TField::SetAsDateTime(TDateTime Value) {
    TDbValue v;
    v.null = false;
    switch (kind_) {
    case TDbKind::Integer: v.i = static_cast<int64_t>(std::trunc(Value)); break;
    case TDbKind::Boolean: v.i = Value != 0; break;
    case TDbKind::Float:
    case TDbKind::DateTime: v.d = Value; break;
    case TDbKind::Text: v.s = DateTimeToStr(Value); break;
    }
    WriteValue(v);
}

bool TField::AsBoolean() const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return false;
    switch (kind_) {
    case TDbKind::Integer:
    case TDbKind::Boolean: return c.i != 0;
    case TDbKind::Float:
    case TDbKind::DateTime: return c.d != 0;
    case TDbKind::Text: return StrToBool(AnsiString(c.s));
    }
    return false;
}

void TField::SetAsBoolean(bool Value) {
    TDbValue v;
    v.null = false;
    switch (kind_) {
    case TDbKind::Integer:
    case TDbKind::Boolean: v.i = Value ? 1 : 0; break;
    case TDbKind::Float:
    case TDbKind::DateTime: v.d = Value ? 1 : 0; break;
    case TDbKind::Text: v.s = Value ? "True" : "False"; break;
    }
    WriteValue(v);
}

AnsiString TField::GetText(bool DisplayText) const {
    (void)DisplayText;
    return AsString();
}

void TField::SetTextValue(const AnsiString& Value) { SetAsString(Value); }

AnsiString TField::Text() const {
    if (OnGetText) {
        AnsiString s;
        OnGetText(const_cast<TField*>(this), s, false);
        return s;
    }
    return GetText(false);
}

void TField::SetText(const AnsiString& Value) {
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetTextValue(Value);
}

AnsiString TField::DisplayText() const {
    if (OnGetText) {
        AnsiString s;
        OnGetText(const_cast<TField*>(this), s, true);
        return s;
    }
    return GetText(true);
}

// ---------------------------------------------------------------------------
// Subclasses

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

void TStringField::PrepareWrite(TDbValue& Value) const {
    TField::PrepareWrite(Value);
    if (!Value.null && Size() > 0 && Value.s.size() > static_cast<size_t>(Size())) Value.s.resize(static_cast<size_t>(Size()));
}

int TStringField::DefaultWidth() const { return Size() > 0 ? Size() : 20; }

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) { SetDataType(ftWideString); }

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) { SetAlignment(taRightJustify); }

void TNumericField::SetDisplayFormat(const AnsiString& Value) {
    if (displayFormat_ == Value) return;
    displayFormat_ = Value;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const AnsiString& Value) {
    if (editFormat_ == Value) return;
    editFormat_ = Value;
    PropertyChanged(false);
}

AnsiString TNumericField::GetText(bool DisplayText) const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return AnsiString();
    const AnsiString& format = DisplayText || editFormat_.empty() ? displayFormat_ : editFormat_;
    if (format.empty()) return AsString();
    if (Kind() == TDbKind::Integer) return FormatInteger(format, c.i);
    return FormatFloat(format, c.d);
}

bool TNumericField::IsValidChar(char C) const {
    if ((C >= '0' && C <= '9') || C == '+' || C == '-') return true;
    if (Kind() == TDbKind::Float) return C == FormatSettings.DecimalSeparator || C == 'E' || C == 'e';
    return false;
}

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftInteger);
    SetSize(0);
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftSmallint); }
TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftWord); }
TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftAutoInc); }
TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftLargeint); }

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftFloat); }

void TFloatField::SetCurrency(bool Value) {
    if (currency_ == Value) return;
    currency_ = Value;
    PropertyChanged(false);
}

void TFloatField::SetPrecision(int Value) {
    if (Value < 2) Value = 2;
    if (Value > 15) Value = 15;
    if (precision_ == Value) return;
    precision_ = Value;
    PropertyChanged(false);
}

AnsiString TFloatField::GetText(bool DisplayText) const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return AnsiString();
    const AnsiString& format = DisplayText || editFormat_.empty() ? displayFormat_ : editFormat_;
    if (!format.empty()) return FormatFloat(format, c.d);
    if (currency_) return FloatToStrF(c.d, DisplayText ? ffCurrency : ffFixed, precision_, FormatSettings.CurrencyDecimals);
    return FloatToStrF(c.d, ffGeneral, precision_, 0);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

TBCDField::TBCDField(TComponent* AOwner) : TFloatField(AOwner) { SetDataType(ftBCD); }

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const AnsiString& Value) {
    displayValues_ = Value;
    PropertyChanged(false);
}

AnsiString TBooleanField::GetText(bool DisplayText) const {
    (void)DisplayText;
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return AnsiString();
    AnsiString t = "True", f = "False";
    size_t semi = displayValues_.find(';');
    if (!displayValues_.empty()) {
        t = displayValues_.substr(0, semi);
        f = semi == AnsiString::npos ? AnsiString() : displayValues_.substr(semi + 1);
    }
    return c.i ? t : f;
}

void TBooleanField::SetTextValue(const AnsiString& Value) {
    size_t semi = displayValues_.find(';');
    if (!displayValues_.empty()) {
        AnsiString t = displayValues_.substr(0, semi);
        AnsiString f = semi == AnsiString::npos ? AnsiString() : displayValues_.substr(semi + 1);
        if (!Value.empty() && AnsiSameText(Value, t)) return SetAsBoolean(true);
        if (!Value.empty() && AnsiSameText(Value, f)) return SetAsBoolean(false);
    }
    SetAsString(Value);
}

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDateTime); }

void TDateTimeField::SetDisplayFormat(const AnsiString& Value) {
    if (displayFormat_ == Value) return;
    displayFormat_ = Value;
    PropertyChanged(false);
}

AnsiString TDateTimeField::GetText(bool DisplayText) const {
    TDbCell c;
    std::string scratch;
    if (!GetCell(c, scratch)) return AnsiString();
    if (DisplayText && !displayFormat_.empty()) return FormatDateTime(displayFormat_, c.d);
    return PlainText(c.d);
}

AnsiString TDateTimeField::PlainText(double Value) const { return DateTimeToStr(Value); }

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftDate); }

AnsiString TDateField::PlainText(double Value) const { return DateToStr(Value); }

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftTime); }

AnsiString TTimeField::PlainText(double Value) const { return TimeToStr(Value); }

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }

AnsiString TBlobField::GetText(bool DisplayText) const {
    if (!DisplayText) return AsString();
    AnsiString name;
    switch (DataType()) {
    case ftMemo: name = "Memo"; break;
    case ftFmtMemo: name = "FmtMemo"; break;
    case ftGraphic: name = "Graphic"; break;
    default: name = "Blob"; break;
    }
    // Upper case tells a stored value from an empty one.
    return "(" + (IsNull() ? LowerCase(name) : UpperCase(name)) + ")";
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }
TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftGraphic); }

// ---------------------------------------------------------------------------
// TFields and TFieldDefs

TField* TFields::Fields(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return list_[static_cast<size_t>(Index)];
}

int TFields::IndexOf(const TField* Field) const {
    auto it = std::find(list_.begin(), list_.end(), Field);
    return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

TField* TFields::FindField(const AnsiString& FieldName) const {
    for (TField* f : list_)
        if (AnsiSameText(f->FieldName(), FieldName)) return f;
    size_t dot = FieldName.rfind('.');
    if (dot != AnsiString::npos) {
        AnsiString bare = FieldName.substr(dot + 1);
        for (TField* f : list_)
            if (AnsiSameText(f->FieldName(), bare)) return f;
    }
    return nullptr;
}

TField* TFields::FieldByName(const AnsiString& FieldName) const {
    TField* f = FindField(FieldName);
    if (!f) DatabaseError("Field '" + FieldName + "' not found");
    return f;
}

void TFields::Add(TField* Field) { list_.push_back(Field); }

void TFields::Remove(TField* Field) { list_.erase(std::remove(list_.begin(), list_.end(), Field), list_.end()); }

void TFields::Move(int CurIndex, int NewIndex) {
    TField* f = list_[static_cast<size_t>(CurIndex)];
    list_.erase(list_.begin() + CurIndex);
    list_.insert(list_.begin() + NewIndex, f);
}

TFieldDef& TFieldDefs::Add(const AnsiString& Name, TFieldType DataType, int Size, bool Required) {
    TFieldDef d;
    d.Name = Name;
    d.DataType = DataType;
    d.Size = Size;
    d.Required = Required;
    defs_.push_back(d);
    return defs_.back();
}

int TFieldDefs::IndexOf(const AnsiString& Name) const {
    for (size_t i = 0; i < defs_.size(); ++i)
        if (AnsiSameText(defs_[i].Name, Name)) return static_cast<int>(i);
    return -1;
}
