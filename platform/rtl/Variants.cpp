#include "platform/rtl/Variants.h"

#include <cmath>
#include <limits>
#include <vector>

struct VarArrayData {
    TVarType elementType = varVariant;
    std::vector<std::pair<int, int>> bounds;  // (low, high) per dimension
    std::vector<Variant> items;               // the first index runs fastest

    size_t Offset(std::initializer_list<int> indices) const {
        if (indices.size() != bounds.size()) throw EVariantBadIndexError("Variant or safe array index out of bounds");
        size_t offset = 0, stride = 1;
        size_t k = 0;
        for (int index : indices) {
            auto [low, high] = bounds[k++];
            if (index < low || index > high) throw EVariantBadIndexError("Variant or safe array index out of bounds");
            offset += static_cast<size_t>(index - low) * stride;
            stride *= static_cast<size_t>(high - low + 1);
        }
        return offset;
    }
};

namespace {

bool IsIntegerType(TVarType t) {
    switch (t) {
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
        case varInt64:
            return true;
        default:
            return false;
    }
}

bool IsFloatType(TVarType t) { return t == varSingle || t == varDouble || t == varDate; }
bool IsStringType(TVarType t) { return t == varString || t == varOleStr; }

bool InRange(TVarType t, int64_t v) {
    switch (t) {
        case varSmallint: return v >= -32768 && v <= 32767;
        case varInteger: return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
        case varShortInt: return v >= -128 && v <= 127;
        case varByte: return v >= 0 && v <= 255;
        case varWord: return v >= 0 && v <= 65535;
        case varLongWord: return v >= 0 && v <= 0xFFFFFFFFll;
        default: return true;
    }
}

bool RoundToInt64(double d, int64_t& out) {
    double r = std::nearbyint(d);  // ties to even, like the variant conversions
    if (!(std::fabs(r) < 9.2233720368547758e18)) return false;
    out = static_cast<int64_t>(r);
    return true;
}

[[noreturn]] void Overflow(TVarType from, TVarType to) {
    throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(from) +
                                ") into type (" + VarTypeAsText(to) + ")");
}

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

TVariantRelationship FromSign(int s) { return s < 0 ? vrLessThan : (s > 0 ? vrGreaterThan : vrEqual); }

// The value a fresh array element of this type holds.
Variant ZeroOf(TVarType elementType) {
    if (elementType == varVariant) return Variant();
    if (IsStringType(elementType)) return Variant(AnsiString());
    return Variant(0).AsType(elementType);
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

Variant::Variant() {}
Variant::Variant(bool v) : type_(varBoolean), int_(v ? 1 : 0) {}
Variant::Variant(signed char v) : type_(varShortInt), int_(v) {}
Variant::Variant(unsigned char v) : type_(varByte), int_(v) {}
Variant::Variant(short v) : type_(varSmallint), int_(v) {}
Variant::Variant(unsigned short v) : type_(varWord), int_(v) {}
Variant::Variant(int v) : type_(varInteger), int_(v) {}
Variant::Variant(unsigned v) : type_(varLongWord), int_(v) {}
Variant::Variant(long v) : type_(sizeof(long) == 4 ? varInteger : varInt64), int_(v) {}
Variant::Variant(unsigned long v) : type_(sizeof(long) == 4 ? varLongWord : varInt64), int_(static_cast<int64_t>(v)) {}
Variant::Variant(long long v) : type_(varInt64), int_(v) {}
Variant::Variant(float v) : type_(varSingle), double_(v) {}
Variant::Variant(double v) : type_(varDouble), double_(v) {}
Variant::Variant(Currency v) : type_(varCurrency), int_(v.Scaled) {}
Variant::Variant(char c) : type_(varString), string_(1, c) {}
Variant::Variant(const char* s) : type_(varString), string_(s ? s : "") {}
Variant::Variant(AnsiString s) : type_(varString), string_(std::move(s)) {}

Variant::Variant(const Variant& other)
    : type_(other.type_),
      int_(other.int_),
      double_(other.double_),
      string_(other.string_),
      array_(other.array_ ? std::make_unique<VarArrayData>(*other.array_) : nullptr) {}

Variant::Variant(Variant&& other) noexcept
    : type_(other.type_),
      int_(other.int_),
      double_(other.double_),
      string_(std::move(other.string_)),
      array_(std::move(other.array_)) {
    other.type_ = varEmpty;
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        type_ = other.type_;
        int_ = other.int_;
        double_ = other.double_;
        string_ = std::move(other.string_);
        array_ = std::move(other.array_);
        other.type_ = varEmpty;
    }
    return *this;
}

Variant::~Variant() = default;

Variant Variant::MakeNull() {
    Variant v;
    v.type_ = varNull;
    return v;
}

Variant Variant::MakeDate(TDateTime value) {
    Variant v(value);
    v.type_ = varDate;
    return v;
}

Variant Variant::MakeArray(std::initializer_list<int> bounds, TVarType elementType) {
    if (bounds.size() == 0 || bounds.size() % 2 != 0) throw EVariantError("Invalid variant array bounds");
    if (elementType == varEmpty || elementType == varNull || (elementType & ~varTypeMask) ||
        (!IsIntegerType(elementType) && !IsFloatType(elementType) && !IsStringType(elementType) &&
         elementType != varCurrency && elementType != varBoolean && elementType != varVariant))
        throw EVariantError("Invalid variant array element type");
    auto data = std::make_unique<VarArrayData>();
    data->elementType = elementType;
    size_t count = 1;
    for (auto it = bounds.begin(); it != bounds.end(); it += 2) {
        int low = it[0], high = it[1];
        if (high < low - 1) throw EVariantError("Invalid variant array bounds");
        data->bounds.emplace_back(low, high);
        count *= static_cast<size_t>(high - low + 1);
    }
    data->items.assign(count, ZeroOf(elementType));
    Variant v;
    v.type_ = varArray;
    v.array_ = std::move(data);
    return v;
}

TVarType Variant::VType() const { return array_ ? static_cast<TVarType>(varArray | array_->elementType) : type_; }

// ---------------------------------------------------------------------------
// Conversions

void Variant::CastError(TVarType target) const {
    throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(VType()) + ") into type (" +
                                VarTypeAsText(target) + ")");
}

int64_t Variant::ToInt64(TVarType target) const {
    if (array_) CastError(target);
    int64_t result = 0;
    switch (type_) {
        case varEmpty: result = 0; break;
        case varBoolean: result = int_ ? -1 : 0; break;
        case varSingle:
        case varDouble:
        case varDate:
            if (!RoundToInt64(double_, result)) Overflow(type_, target);
            break;
        case varCurrency: {
            result = int_ / 10000;
            int64_t rest = int_ % 10000;
            // Ties go to the even neighbour.
            if (rest > 5000 || (rest == 5000 && (result & 1))) ++result;
            if (rest < -5000 || (rest == -5000 && (result & 1))) --result;
            break;
        }
        case varString: {
            if (TryStrToInt64(string_, result)) break;
            double d;
            if (!TryStrToFloat(string_, d)) CastError(target);
            if (!RoundToInt64(d, result)) Overflow(type_, target);
            break;
        }
        default:
            if (!IsIntegerType(type_)) CastError(target);
            result = int_;
    }
    if (!InRange(target, result)) Overflow(type_, target);
    return result;
}

int Variant::AsInteger() const { return static_cast<int>(ToInt64(varInteger)); }
int64_t Variant::AsInt64() const { return ToInt64(varInt64); }

double Variant::AsDouble() const {
    if (array_) CastError(varDouble);
    switch (type_) {
        case varEmpty: return 0;
        case varBoolean: return int_ ? -1 : 0;
        case varSingle:
        case varDouble:
        case varDate: return double_;
        case varCurrency: return static_cast<double>(int_) / 10000.0;
        case varString: {
            double d;
            if (!TryStrToFloat(string_, d)) CastError(varDouble);
            return d;
        }
        default:
            if (!IsIntegerType(type_)) CastError(varDouble);
            return static_cast<double>(int_);
    }
}

Currency Variant::AsCurrency() const {
    if (type_ == varCurrency && !array_) return Currency::FromScaled(int_);
    if (IsIntegerType(type_) && !array_) {
        if (int_ > std::numeric_limits<int64_t>::max() / 10000 || int_ < std::numeric_limits<int64_t>::min() / 10000)
            Overflow(type_, varCurrency);
        return Currency::FromScaled(int_ * 10000);
    }
    double d = AsDouble();
    double scaled = std::nearbyint(d * 10000.0);
    if (!(std::fabs(scaled) < 9.2233720368547758e18)) Overflow(type_, varCurrency);
    return Currency::FromScaled(static_cast<int64_t>(scaled));
}

TDateTime Variant::AsDateTime() const {
    if (type_ == varString && !array_) {
        TDateTime d;
        if (!TryStrToDateTime(string_, d)) CastError(varDate);
        return d;
    }
    if (array_ || type_ == varNull) CastError(varDate);
    return AsDouble();
}

bool Variant::AsBoolean() const {
    if (array_) CastError(varBoolean);
    switch (type_) {
        case varEmpty: return false;
        case varSingle:
        case varDouble:
        case varDate: return double_ != 0;
        case varString: {
            bool b;
            if (!TryStrToBool(string_, b)) CastError(varBoolean);
            return b;
        }
        default:
            if (!IsIntegerType(type_) && type_ != varBoolean && type_ != varCurrency) CastError(varBoolean);
            return int_ != 0;
    }
}

AnsiString Variant::AsString() const {
    if (array_) CastError(varString);
    switch (type_) {
        case varEmpty: return AnsiString();
        case varBoolean: return int_ ? "True" : "False";
        case varSingle: return FloatToStrF(double_, ffGeneral, 7, 0);
        case varDouble: return FloatToStr(double_);
        case varDate: return DateTimeToStr(double_);
        case varCurrency: return CurrToStr(Currency::FromScaled(int_));
        case varString: return string_;
        default:
            if (!IsIntegerType(type_)) CastError(varString);
            return IntToStr(static_cast<long long>(int_));
    }
}

Variant Variant::AsType(TVarType type) const {
    if (type == VType() || type == varVariant) return *this;
    if (type == varEmpty) return Variant();
    if (type == varNull) return Null();
    if (type == varString || type == varOleStr) return Variant(AsString());
    Variant v;
    switch (type) {
        case varBoolean: return Variant(AsBoolean());
        case varSingle: return Variant(static_cast<float>(AsDouble()));
        case varDouble: return Variant(AsDouble());
        case varDate: return VarFromDateTime(AsDateTime());
        case varCurrency: return Variant(AsCurrency());
        default:
            if (!IsIntegerType(type)) CastError(type);
            v.int_ = ToInt64(type);
            v.type_ = type;
            return v;
    }
}

bool VarIsOrdinal(const Variant& v) { return IsIntegerType(v.VType()) || v.VType() == varBoolean; }
bool VarIsFloat(const Variant& v) { return IsFloatType(v.VType()) || v.VType() == varCurrency; }
bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
bool VarIsStr(const Variant& v) { return IsStringType(v.VType()); }

AnsiString VarTypeAsText(TVarType type) {
    AnsiString name;
    switch (type & varTypeMask) {
        case varEmpty: name = "Empty"; break;
        case varNull: name = "Null"; break;
        case varSmallint: name = "Smallint"; break;
        case varInteger: name = "Integer"; break;
        case varSingle: name = "Single"; break;
        case varDouble: name = "Double"; break;
        case varCurrency: name = "Currency"; break;
        case varDate: name = "Date"; break;
        case varOleStr: name = "OleStr"; break;
        case varBoolean: name = "Boolean"; break;
        case varVariant: name = "Variant"; break;
        case varShortInt: name = "ShortInt"; break;
        case varByte: name = "Byte"; break;
        case varWord: name = "Word"; break;
        case varLongWord: name = "LongWord"; break;
        case varInt64: name = "Int64"; break;
        case varString: name = "String"; break;
        default: name = "$" + IntToHex(static_cast<int>(type & varTypeMask), 4); break;
    }
    if (type & varArray) name = "Array " + name;
    if (type & varByRef) name = "ByRef " + name;
    return name;
}

AnsiString VarToStr(const Variant& v) { return VarToStrDef(v, AnsiString()); }

AnsiString VarToStrDef(const Variant& v, const AnsiString& defaultValue) {
    if (v.IsNull() || v.IsEmpty()) return defaultValue;
    return v.AsString();
}

TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }

// ---------------------------------------------------------------------------
// Comparison and arithmetic

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
    if (a.array_ || b.array_) throw EVariantInvalidOpError("Invalid variant operation");
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull() ? vrEqual : vrNotEqual;
    if (a.IsEmpty() && b.IsEmpty()) return vrEqual;
    if (a.IsEmpty()) return VarCompareValue(VarIsStr(b) ? Variant("") : Variant(0), b);
    if (b.IsEmpty()) return VarCompareValue(a, VarIsStr(a) ? Variant("") : Variant(0));

    const bool aStr = VarIsStr(a), bStr = VarIsStr(b);
    if (aStr && bStr) return FromSign(AnsiCompareStr(a.string_, b.string_));
    if (aStr || bStr) {
        const Variant& text = aStr ? a : b;
        const Variant& other = aStr ? b : a;
        int64_t i;
        double d;
        int s;
        if (VarIsOrdinal(other) && TryStrToInt64(text.string_, i)) {
            s = Sign(i, other.AsInt64());
        } else if (TryStrToFloat(text.string_, d)) {
            double o = other.AsDouble();
            if (std::isnan(o)) return vrNotEqual;
            s = Sign(d, o);
        } else {
            s = AnsiCompareStr(text.string_, other.AsString());
        }
        return FromSign(aStr ? s : -s);
    }
    if (a.VType() == varBoolean && b.VType() == varBoolean) return FromSign(Sign(a.int_, b.int_));
    if (VarIsOrdinal(a) && VarIsOrdinal(b)) return FromSign(Sign(a.AsInt64(), b.AsInt64()));
    if ((a.VType() == varCurrency || VarIsOrdinal(a)) && (b.VType() == varCurrency || VarIsOrdinal(b)))
        return FromSign(Sign(a.AsCurrency().Scaled, b.AsCurrency().Scaled));
    double x = a.AsDouble(), y = b.AsDouble();
    if (std::isnan(x) || std::isnan(y)) return vrNotEqual;
    return FromSign(Sign(x, y));
}

namespace {

// Both operands as numbers; '+' and '-' share everything but the operation.
template <typename Op>
Variant Arithmetic(const Variant& a, const Variant& b, Op op) {
    const bool ordinal = (VarIsOrdinal(a) || a.IsEmpty()) && (VarIsOrdinal(b) || b.IsEmpty());
    if (ordinal) {
        int64_t r;
        if (!op(a.AsInt64(), b.AsInt64(), r)) return Variant(op(a.AsDouble(), b.AsDouble()));
        if (VarType(a) != varInt64 && VarType(b) != varInt64 && InRange(varInteger, r)) return Variant(static_cast<int>(r));
        return Variant(static_cast<long long>(r));
    }
    const bool currency = (VarType(a) == varCurrency || VarIsOrdinal(a) || a.IsEmpty()) &&
                          (VarType(b) == varCurrency || VarIsOrdinal(b) || b.IsEmpty());
    if (currency) {
        int64_t r;
        if (op(a.AsCurrency().Scaled, b.AsCurrency().Scaled, r)) return Variant(Currency::FromScaled(r));
    }
    double r = op(a.AsDouble(), b.AsDouble());
    // A date moved by a number stays a date.
    if ((VarType(a) == varDate) != (VarType(b) == varDate)) return VarFromDateTime(r);
    return Variant(r);
}

struct Add {
    bool operator()(int64_t x, int64_t y, int64_t& r) const { return !__builtin_add_overflow(x, y, &r); }
    double operator()(double x, double y) const { return x + y; }
};
struct Subtract {
    bool operator()(int64_t x, int64_t y, int64_t& r) const { return !__builtin_sub_overflow(x, y, &r); }
    double operator()(double x, double y) const { return x - y; }
};

}  // namespace

Variant operator+(const Variant& a, const Variant& b) {
    if (a.array_ || b.array_) throw EVariantInvalidOpError("Invalid variant operation");
    if (a.IsNull() || b.IsNull()) return Null();
    if ((VarIsStr(a) || a.IsEmpty()) && (VarIsStr(b) || b.IsEmpty()) && !(a.IsEmpty() && b.IsEmpty()))
        return Variant(a.string_ + b.string_);
    return Arithmetic(a, b, Add());
}

Variant operator-(const Variant& a, const Variant& b) {
    if (a.array_ || b.array_) throw EVariantInvalidOpError("Invalid variant operation");
    if (a.IsNull() || b.IsNull()) return Null();
    return Arithmetic(a, b, Subtract());
}

// ---------------------------------------------------------------------------
// Arrays

VarArrayData& Variant::ArrayData(const char* operation) const {
    if (!array_) throw EVariantError(AnsiString("Variant is not an array (") + operation + ")");
    return *array_;
}

int Variant::DimCount() const { return array_ ? static_cast<int>(array_->bounds.size()) : 0; }

int Variant::LowBound(int dim) const {
    VarArrayData& data = ArrayData("VarArrayLowBound");
    if (dim < 1 || dim > static_cast<int>(data.bounds.size()))
        throw EVariantBadIndexError("Variant array dimension out of range");
    return data.bounds[static_cast<size_t>(dim - 1)].first;
}

int Variant::HighBound(int dim) const {
    VarArrayData& data = ArrayData("VarArrayHighBound");
    if (dim < 1 || dim > static_cast<int>(data.bounds.size()))
        throw EVariantBadIndexError("Variant array dimension out of range");
    return data.bounds[static_cast<size_t>(dim - 1)].second;
}

const Variant& Variant::Get(std::initializer_list<int> indices) const {
    VarArrayData& data = ArrayData("VarArrayGet");
    return data.items[data.Offset(indices)];
}

void Variant::Put(std::initializer_list<int> indices, const Variant& value) {
    VarArrayData& data = ArrayData("VarArrayPut");
    size_t offset = data.Offset(indices);
    data.items[offset] = data.elementType == varVariant ? value : value.AsType(data.elementType);
}

void Variant::Redim(int highBound) {
    VarArrayData& data = ArrayData("VarArrayRedim");
    auto& last = data.bounds.back();
    if (highBound < last.first - 1) throw EVariantError("Invalid variant array bounds");
    size_t inner = 1;
    for (size_t k = 0; k + 1 < data.bounds.size(); ++k)
        inner *= static_cast<size_t>(data.bounds[k].second - data.bounds[k].first + 1);
    last.second = highBound;
    data.items.resize(inner * static_cast<size_t>(highBound - last.first + 1), ZeroOf(data.elementType));
}

Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType) {
    return Variant::MakeArray(bounds, elementType);
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
    Variant array = Variant::MakeArray({0, static_cast<int>(values.size()) - 1}, varVariant);
    int i = 0;
    for (const Variant& v : values) array.Put({i++}, v);
    return array;
}

int VarArrayDimCount(const Variant& v) { return v.DimCount(); }
int VarArrayLowBound(const Variant& v, int dim) { return v.LowBound(dim); }
int VarArrayHighBound(const Variant& v, int dim) { return v.HighBound(dim); }
Variant VarArrayGet(const Variant& v, std::initializer_list<int> indices) { return v.Get(indices); }
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<int> indices) { v.Put(indices, value); }
void VarArrayRedim(Variant& v, int highBound) { v.Redim(highBound); }
