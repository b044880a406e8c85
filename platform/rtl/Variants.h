#pragma once
// Variant: a value type that holds one of the framework's variant kinds, with
// its type codes, conversions, comparisons and variant arrays.
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"

using TVarType = uint16_t;

enum : TVarType {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varSingle = 0x0004,
    varDouble = 0x0005,
    varCurrency = 0x0006,
    varDate = 0x0007,
    varOleStr = 0x0008,
    varBoolean = 0x000B,
    varVariant = 0x000C,  // element type of arrays that hold any variant
    varShortInt = 0x0010,
    varByte = 0x0011,
    varWord = 0x0012,
    varLongWord = 0x0013,
    varInt64 = 0x0014,
    varString = 0x0100,
    varTypeMask = 0x0FFF,
    varArray = 0x2000,
    varByRef = 0x4000,  // never produced here: values are always held directly
};

TESK_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
TESK_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
TESK_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError);
TESK_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError);

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

struct VarArrayData;

class Variant {
public:
    Variant();
    Variant(bool v);
    Variant(signed char v);
    Variant(unsigned char v);
    Variant(short v);
    Variant(unsigned short v);
    Variant(int v);
    Variant(unsigned v);
    Variant(long v);
    Variant(unsigned long v);
    Variant(long long v);
    Variant(float v);
    Variant(double v);
    Variant(Currency v);
    Variant(char c);  // a one-character string
    Variant(const char* s);
    Variant(char* s) : Variant(static_cast<const char*>(s)) {}
    Variant(AnsiString s);
    // Any other pointer would otherwise become a Boolean.
    template <typename T>
    Variant(T*) = delete;

    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    static Variant MakeNull();
    static Variant MakeDate(TDateTime value);
    // Bounds as pairs (low, high) per dimension; elements start as the element type's zero.
    static Variant MakeArray(std::initializer_list<int> bounds, TVarType elementType);

    // The type code, with varArray added for arrays.
    TVarType VType() const;
    bool IsEmpty() const { return type_ == varEmpty; }
    bool IsNull() const { return type_ == varNull; }
    bool IsArray() const { return array_ != nullptr; }

    // Conversions; EVariantTypeCastError when the value cannot be converted (Null
    // included), EVariantOverflowError when it does not fit.
    int AsInteger() const;
    int64_t AsInt64() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    AnsiString AsString() const;
    // The value converted to another type code (varEmpty, varNull and varVariant included).
    Variant AsType(TVarType type) const;

    // Variant arrays. Indices run from the dimension's low bound.
    int DimCount() const;
    int LowBound(int dim) const;
    int HighBound(int dim) const;
    const Variant& Get(std::initializer_list<int> indices) const;
    // The value is converted to the element type first.
    void Put(std::initializer_list<int> indices, const Variant& value);
    const Variant& operator[](int index) const { return Get({index}); }
    // Changes the last dimension's high bound, keeping the elements that remain.
    void Redim(int highBound);

private:
    friend TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
    friend Variant operator+(const Variant& a, const Variant& b);
    friend Variant operator-(const Variant& a, const Variant& b);

    int64_t ToInt64(TVarType target) const;
    [[noreturn]] void CastError(TVarType target) const;
    VarArrayData& ArrayData(const char* operation) const;

    TVarType type_ = varEmpty;
    int64_t int_ = 0;     // integers, Boolean (0/1), Currency (scaled)
    double double_ = 0;   // Single, Double, Date
    AnsiString string_;
    std::unique_ptr<VarArrayData> array_;
};

inline Variant Null() { return Variant::MakeNull(); }
inline Variant Unassigned() { return Variant(); }
inline Variant VarFromDateTime(TDateTime value) { return Variant::MakeDate(value); }

inline TVarType VarType(const Variant& v) { return v.VType(); }
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
// Unassigned, the only "clear" value a Variant can hold here.
inline bool VarIsClear(const Variant& v) { return v.IsEmpty(); }
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsOrdinal(const Variant& v);  // integers and Boolean
bool VarIsFloat(const Variant& v);    // Single, Double, Currency, Date
bool VarIsNumeric(const Variant& v);  // ordinal or float
bool VarIsStr(const Variant& v);
// "Integer", "String", "Null", ...; arrays as "Array Variant".
AnsiString VarTypeAsText(TVarType type);

// Null and Unassigned give "".
AnsiString VarToStr(const Variant& v);
AnsiString VarToStrDef(const Variant& v, const AnsiString& defaultValue);
TDateTime VarToDateTime(const Variant& v);
inline Variant VarAsType(const Variant& v, TVarType type) { return v.AsType(type); }

// Null equals only Null (and is neither less nor greater than a value:
// vrNotEqual); Unassigned counts as 0 or ""; strings compare case-sensitively;
// a string compared with a number is read as a number when it is one, else the
// number is compared as text. Arrays raise EVariantInvalidOpError.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
inline bool operator==(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }
inline bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
inline bool operator<(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrLessThan; }
inline bool operator>(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrGreaterThan; }
inline bool operator<=(const Variant& a, const Variant& b) {
    TVariantRelationship r = VarCompareValue(a, b);
    return r == vrLessThan || r == vrEqual;
}
inline bool operator>=(const Variant& a, const Variant& b) {
    TVariantRelationship r = VarCompareValue(a, b);
    return r == vrGreaterThan || r == vrEqual;
}
// Numbers add and subtract (integers stay integers while they fit), strings
// concatenate with '+'; Null in either operand gives Null.
Variant operator+(const Variant& a, const Variant& b);
Variant operator-(const Variant& a, const Variant& b);

// Variant arrays.
Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType);
Variant VarArrayOf(std::initializer_list<Variant> values);  // [0..n-1] of varVariant
int VarArrayDimCount(const Variant& v);                      // 0 when not an array
int VarArrayLowBound(const Variant& v, int dim);             // dim counts from 1
int VarArrayHighBound(const Variant& v, int dim);
Variant VarArrayGet(const Variant& v, std::initializer_list<int> indices);
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<int> indices);
void VarArrayRedim(Variant& v, int highBound);
