#pragma once
// Run-time type information: type kinds and type data, published-property
// tables per class, the class registry and typed property access.
//
// A class takes part by putting TESK_CLASS(TFoo, TParent) in its body and
// TESK_PUBLISHED(TFoo) { ... } in its source file (see Published.h).
// Enumerations and sets get their type information from TESK_ENUM_INFO and
// TESK_SET_INFO below; types that are plain aliases of an integer or a float
// (TColor, TCursor, TFontCharset, TDateTime, ...) have named functions, since
// their identity is the type-information object and not the C++ type.
#include <any>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/Variants.h"

// ---------------------------------------------------------------------------
// Type kinds and type data

enum TTypeKind : uint8_t {
    tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
    tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};
using TTypeKinds = uint32_t;  // one bit per kind
constexpr TTypeKinds TypeKinds(std::initializer_list<TTypeKind> kinds) {
    TTypeKinds r = 0;
    for (TTypeKind k : kinds) r |= 1u << k;
    return r;
}
constexpr bool KindIn(TTypeKind kind, TTypeKinds kinds) { return (kinds >> kind) & 1u; }
inline constexpr TTypeKinds tkAny = 0x3FFFF;
inline constexpr TTypeKinds tkMethods = TypeKinds({tkMethod});
inline constexpr TTypeKinds tkProperties =
    tkAny & ~(tkMethods | TypeKinds({tkUnknown, tkArray, tkRecord, tkInterface}));
inline constexpr TTypeKinds tkOrdinal = TypeKinds({tkInteger, tkChar, tkEnumeration, tkWChar});
inline constexpr TTypeKinds tkStrings = TypeKinds({tkString, tkLString, tkWString});

const char* TypeKindName(TTypeKind kind);  // "tkInteger", ...

enum TOrdType : uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType : uint8_t { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };
enum TMethodKind : uint8_t {
    mkProcedure, mkFunction, mkConstructor, mkDestructor, mkClassProcedure, mkClassFunction,
    mkSafeProcedure, mkSafeFunction
};
enum TParamFlag : uint8_t { pfVar = 1, pfConst = 2, pfArray = 4, pfAddress = 8, pfReference = 16, pfOut = 32 };
enum TIntfFlag : uint8_t { ifHasGuid = 1, ifDispInterface = 2, ifDispatch = 4 };

struct TTypeInfo;

struct TParamInfo {
    uint8_t Flags = 0;  // TParamFlag bits
    AnsiString Name;
    AnsiString TypeName;
};

// What a type is, by kind; fields that do not belong to the kind keep their defaults.
struct TTypeData {
    // Ordinals (integer, char, enumeration); a set keeps its byte size class here too.
    TOrdType OrdType = otSLong;
    int32_t MinValue = 0;
    int32_t MaxValue = 0;
    // Enumerations: the base type (itself, or the enumeration a sub-range is cut from),
    // the value names from MinValue up, and the unit that declares it.
    const TTypeInfo* BaseType = nullptr;
    std::vector<AnsiString> NameList;
    AnsiString EnumUnitName;
    // Sets: the element type and the byte span of a value (Min div 8 .. Max div 8).
    const TTypeInfo* CompType = nullptr;
    int SetSize = 0;
    // Floats.
    TFloatType FloatType = ftExtended;
    // Short strings.
    int MaxLength = 0;
    // Classes (the rest is in the class information).
    const TClassInfo* ClassType = nullptr;
    // Methods: kind, parameters, result, and the C++ event type they stand for.
    TMethodKind MethodKind = mkProcedure;
    std::vector<TParamInfo> ParamList;
    AnsiString ResultType;
    const std::type_info* EventType = nullptr;
    // Interfaces.
    const TTypeInfo* IntfParent = nullptr;
    AnsiString Guid;
    uint8_t IntfFlags = 0;
    AnsiString IntfUnit;
    // Int64.
    int64_t MinInt64Value = INT64_MIN;
    int64_t MaxInt64Value = INT64_MAX;
    // Dynamic arrays.
    int ElSize = 0;
    const TTypeInfo* ElType = nullptr;
    bool ElNeedsCleanup = false;
    int VarType = 0;
    AnsiString DynUnitName;
};

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    AnsiString Name;
    TTypeData Data;
};

inline const TTypeData* GetTypeData(const TTypeInfo* TypeInfo) { return &TypeInfo->Data; }

// Enumeration names. A boolean-like type (Boolean, or an enumeration whose lowest
// value is negative) answers "True" for any non-zero value. GetEnumValue ignores
// letter case and answers -1 for an unknown name.
AnsiString GetEnumName(const TTypeInfo* TypeInfo, int Value);
int GetEnumValue(const TTypeInfo* TypeInfo, const AnsiString& Name);
bool IsBooleanType(const TTypeInfo* TypeInfo);

// Makers for type information built at run time; the objects live until the end.
// Names are split at commas; a qualification ("TFoo::") in front of a name is dropped.
const TTypeInfo* MakeEnumTypeInfo(const char* name, const char* commaSeparatedNames,
                                  const std::vector<int>& values = {}, const char* sourceFile = nullptr);
const TTypeInfo* MakeEnumSubrangeTypeInfo(const char* name, const TTypeInfo* base, int minValue, int maxValue);
const TTypeInfo* MakeOrdinalTypeInfo(const char* name, TTypeKind kind, TOrdType ordType, int32_t minValue,
                                     int32_t maxValue);
const TTypeInfo* MakeSetTypeInfo(const char* name, const TTypeInfo* elementType);
const TTypeInfo* MakeFloatTypeInfo(const char* name, TFloatType floatType);
const TTypeInfo* MakeStringTypeInfo(const char* name, TTypeKind kind = tkLString, int maxLength = 0);
const TTypeInfo* MakeMethodTypeInfo(const char* name, const std::type_info& eventType, TMethodKind kind = mkProcedure,
                                    std::vector<TParamInfo> params = {}, const char* resultType = "");

// ---------------------------------------------------------------------------
// Type information of C++ types

template <class T>
struct TeskDependentFalse : std::false_type {};

template <class T>
const TTypeInfo* TypeInfoOf();
template <class T>
const TClassInfo* ClassInfoOf();

template <class T>
struct TeskIsDelegate : std::false_type {};
template <class R, class... A>
struct TeskIsDelegate<Delegate<R(A...)>> : std::true_type {};

// An event type without a name of its own gets an anonymous method type.
template <class D>
const TTypeInfo* EventTypeInfo() {
    static const TTypeInfo* info = MakeMethodTypeInfo("", typeid(D));
    return info;
}

template <class T>
const TTypeInfo* TypeInfoOf() {
    if constexpr (std::is_pointer_v<T> && std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<T>>>) {
        return ClassInfoOf<std::remove_cv_t<std::remove_pointer_t<T>>>()->TypeInfo();
    } else if constexpr (TeskIsDelegate<T>::value) {
        return EventTypeInfo<T>();
    } else {
        static_assert(TeskDependentFalse<T>::value,
                      "no type information for this type: declare it with TESK_ENUM_INFO or TESK_SET_INFO, "
                      "or name the type information of the property explicitly");
        return nullptr;
    }
}

template <> const TTypeInfo* TypeInfoOf<bool>();           // Boolean
template <> const TTypeInfo* TypeInfoOf<int8_t>();         // ShortInt
template <> const TTypeInfo* TypeInfoOf<uint8_t>();        // Byte
template <> const TTypeInfo* TypeInfoOf<int16_t>();        // SmallInt
template <> const TTypeInfo* TypeInfoOf<uint16_t>();       // Word
template <> const TTypeInfo* TypeInfoOf<int32_t>();        // Integer
template <> const TTypeInfo* TypeInfoOf<uint32_t>();       // Cardinal
template <> const TTypeInfo* TypeInfoOf<long>();           // Int64 (int64_t)
template <> const TTypeInfo* TypeInfoOf<long long>();      // Int64
template <> const TTypeInfo* TypeInfoOf<char>();           // Char
template <> const TTypeInfo* TypeInfoOf<char16_t>();       // WideChar
template <> const TTypeInfo* TypeInfoOf<float>();          // Single
template <> const TTypeInfo* TypeInfoOf<double>();         // Double
template <> const TTypeInfo* TypeInfoOf<long double>();    // Extended
template <> const TTypeInfo* TypeInfoOf<AnsiString>();     // string
template <> const TTypeInfo* TypeInfoOf<WideString>();     // WideString
template <> const TTypeInfo* TypeInfoOf<Currency>();       // Currency
template <> const TTypeInfo* TypeInfoOf<Variant>();        // Variant

// Named types that are aliases in C++; each is its own type-information object.
const TTypeInfo* TypeInfoByteBool();
const TTypeInfo* TypeInfoWordBool();
const TTypeInfo* TypeInfoLongBool();
const TTypeInfo* TypeInfoShortString();
const TTypeInfo* TypeInfoCurrency();   // float, ftCurr: Currency, or an int64 scaled by 10000
const TTypeInfo* TypeInfoComp();
const TTypeInfo* TypeInfoVariant();
const TTypeInfo* TypeInfoTDateTime();  // float, ftDouble, distinct from Double
const TTypeInfo* TypeInfoTDate();
const TTypeInfo* TypeInfoTTime();
const TTypeInfo* TypeInfoTColor();        // Integer range; colour names as identifiers
const TTypeInfo* TypeInfoTCursor();       // SmallInt range; cursor names as identifiers
const TTypeInfo* TypeInfoTFontCharset();  // Byte range; charset names as identifiers
const TTypeInfo* TypeInfoTShortCut();     // Word range
const TTypeInfo* TypeInfoTImeName();      // string
const TTypeInfo* TypeInfoTCaption();      // string
const TTypeInfo* TypeInfoTFileName();     // string
const TTypeInfo* TypeInfoTComponentName();  // string

// Declares the type information of an enumeration, its values named in order
// from 0: TESK_ENUM_INFO(TAlignment, taLeftJustify, taRightJustify, taCenter).
// At global scope, after the enumeration; the names are checked by the compiler.
#define TESK_ENUM_INFO(EnumT, ...)                                                           \
    template <>                                                                              \
    inline const TTypeInfo* TypeInfoOf<EnumT>() {                                            \
        static const TTypeInfo* info = MakeEnumTypeInfo(#EnumT, #__VA_ARGS__, [] {           \
            using enum EnumT;                                                                \
            std::vector<int> teskValues_;                                                    \
            for (EnumT e : {__VA_ARGS__}) teskValues_.push_back(static_cast<int>(e));        \
            return teskValues_;                                                              \
        }(), __FILE__);                                                                      \
        return info;                                                                         \
    }

// Names an event type (an alias of a Delegate); each Delegate type can carry
// one name. Unnamed event types get an anonymous method type.
#define TESK_EVENT_INFO(EventT)                                                              \
    template <>                                                                              \
    inline const TTypeInfo* TypeInfoOf<EventT>() {                                           \
        static const TTypeInfo* info = MakeMethodTypeInfo(#EventT, typeid(EventT));          \
        return info;                                                                         \
    }

TESK_EVENT_INFO(TNotifyEvent)

// Declares the type information of a set type (a distinct C++ type: an unsigned
// bit mask enum, a std::bitset or a type with TSetTraits) over an enumeration.
#define TESK_SET_INFO(SetT, ElementT)                                                        \
    template <>                                                                              \
    inline const TTypeInfo* TypeInfoOf<SetT>() {                                             \
        static const TTypeInfo* info = MakeSetTypeInfo(#SetT, TypeInfoOf<ElementT>());       \
        return info;                                                                         \
    }

// ---------------------------------------------------------------------------
// Set values

// A set value as a little-endian bit buffer: element v is bit v - 8 * (Min div 8).
using TSetBits = std::array<uint8_t, 32>;
inline bool TestSetBit(const TSetBits& bits, int bit) {
    return bit >= 0 && bit < 256 && (bits[static_cast<size_t>(bit) >> 3] >> (bit & 7)) & 1;
}
inline void IncludeSetBit(TSetBits& bits, int bit) {
    if (bit >= 0 && bit < 256) bits[static_cast<size_t>(bit) >> 3] |= static_cast<uint8_t>(1u << (bit & 7));
}
// The bit of an element value in a set of ElementType's range, -1 outside it.
int SetBitOfValue(const TTypeInfo* SetType, int Value);
int SetValueOfBit(const TTypeInfo* SetType, int Bit);
int64_t SetBitsToOrd(const TSetBits& bits);
TSetBits OrdToSetBits(int64_t value);

// How a C++ set value becomes a bit buffer; integral and enum bit masks and
// std::bitset work as they are, other types specialise this.
template <class S, class = void>
struct TSetTraits;
template <class S>
struct TSetTraits<S, std::enable_if_t<std::is_integral_v<S> && !std::is_same_v<S, bool>>> {
    static TSetBits ToBits(S v) { return OrdToSetBits(static_cast<int64_t>(static_cast<std::make_unsigned_t<S>>(v))); }
    static S FromBits(const TSetBits& b) { return static_cast<S>(SetBitsToOrd(b)); }
};
template <class S>
struct TSetTraits<S, std::enable_if_t<std::is_enum_v<S>>> {
    using U = std::make_unsigned_t<std::underlying_type_t<S>>;
    static TSetBits ToBits(S v) { return OrdToSetBits(static_cast<int64_t>(static_cast<U>(v))); }
    static S FromBits(const TSetBits& b) { return static_cast<S>(static_cast<U>(SetBitsToOrd(b))); }
};
template <size_t N>
struct TSetTraits<std::bitset<N>> {
    static TSetBits ToBits(const std::bitset<N>& v) {
        TSetBits b{};
        for (size_t i = 0; i < N && i < 256; ++i)
            if (v[i]) IncludeSetBit(b, static_cast<int>(i));
        return b;
    }
    static std::bitset<N> FromBits(const TSetBits& b) {
        std::bitset<N> v;
        for (size_t i = 0; i < N && i < 256; ++i) v[i] = TestSetBit(b, static_cast<int>(i));
        return v;
    }
};

// ---------------------------------------------------------------------------
// Method values

// An event value of any Delegate type, for generic copying and comparing.
class TMethod {
public:
    TMethod() = default;
    template <class R, class... A>
    TMethod(const Delegate<R(A...)>& d)
        : value_(d), type_(&typeid(Delegate<R(A...)>)), equals_(&EqualsImpl<Delegate<R(A...)>>),
          assigned_(d.Assigned()), data_(d.Object()) {}

    bool Assigned() const { return assigned_; }
    void* Data() const { return data_; }
    const std::type_info* EventType() const { return type_; }
    // The Delegate itself; an unassigned value converts to an empty one, a value of
    // another event type raises EPropertyError.
    template <class D>
    D As() const {
        if (!type_) return D();
        if (*type_ != typeid(D)) throw EPropertyError("Event value does not fit this event type");
        return std::any_cast<D>(value_);
    }
    friend bool operator==(const TMethod& a, const TMethod& b) {
        if (!a.assigned_ || !b.assigned_) return a.assigned_ == b.assigned_;
        return *a.type_ == *b.type_ && a.equals_(a.value_, b.value_);
    }

private:
    template <class D>
    static bool EqualsImpl(const std::any& a, const std::any& b) {
        return std::any_cast<const D&>(a) == std::any_cast<const D&>(b);
    }
    std::any value_;
    const std::type_info* type_ = nullptr;
    bool (*equals_)(const std::any&, const std::any&) = nullptr;
    bool assigned_ = false;
    void* data_ = nullptr;
};

// ---------------------------------------------------------------------------
// Published properties

inline constexpr int32_t NoIndex = INT32_MIN;    // 0x80000000
inline constexpr int32_t NoDefault = INT32_MIN;  // 0x80000000

// How an accessor reaches its value (descriptions only).
enum TPropAccessKind : uint8_t { akNone, akField, akStaticMethod, akVirtualMethod, akConstant };

struct TPropInfo {
    AnsiString Name;
    const TTypeInfo* PropType = nullptr;
    int32_t Index = NoIndex;
    int32_t Default = NoDefault;  // ordinals and sets of at most 32 bits
    int NameIndex = 0;            // position in the class's whole list
    const TClassInfo* DeclaringClass = nullptr;
    TPropAccessKind ReadAccess = akNone;
    TPropAccessKind WriteAccess = akNone;
    TPropAccessKind StoredAccess = akConstant;
    bool StoredConstant = true;  // with StoredAccess akConstant
    bool HasDefaultBits = false;  // a set default wider than 32 bits
    TSetBits DefaultBits{};

    // Accessors by value category; only those of the property's category are set.
    std::function<int64_t(TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<TSetBits(TObject*)> GetSet;
    std::function<void(TObject*, const TSetBits&)> SetSet;
    std::function<long double(TObject*)> GetFloat;
    std::function<void(TObject*, long double)> SetFloat;
    std::function<AnsiString(TObject*)> GetStr;
    std::function<void(TObject*, const AnsiString&)> SetStr;
    std::function<TObject*(TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;
    std::function<TMethod(TObject*)> GetMethod;
    std::function<void(TObject*, const TMethod&)> SetMethod;
    std::function<Variant(TObject*)> GetVariant;
    std::function<void(TObject*, const Variant&)> SetVariant;
    std::function<bool(TObject*)> Stored;  // a stored predicate; empty: StoredConstant

    bool Readable() const { return ReadAccess != akNone; }
    bool Writable() const { return WriteAccess != akNone; }
    bool HasDefault() const { return Default != NoDefault || HasDefaultBits; }
    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
};

// An event handler that a definition may name: a published method of the class.
struct THandlerInfo {
    AnsiString Name;
    const std::type_info* EventType = nullptr;
    std::function<TMethod(TObject* root)> Bind;
};

// A member of the root that receives the component of the same name when a
// definition is read (the framework's published fields).
struct TFieldInfo {
    AnsiString Name;
    // Answers false when the component has the wrong class for the member.
    std::function<bool(TObject* root, TComponent* value)> Set;
};

struct TClassInfo {
    AnsiString Name;
    const TClassInfo* Parent = nullptr;
    AnsiString UnitName;
    std::vector<std::unique_ptr<TPropInfo>> OwnProps;  // declaration order
    std::vector<const TPropInfo*> Props;               // inherited first, then own
    std::vector<THandlerInfo> Handlers;
    std::vector<TFieldInfo> Fields;
    // Makes an instance (owner passed to components); empty for abstract classes.
    std::function<TObject*(TComponent* AOwner)> Factory;
    // Tells whether an object is an instance of this class or a descendant.
    std::function<bool(const TObject*)> IsInstance;
    TTypeInfo ClassTypeInfo;

    const char* ClassName() const { return Name.c_str(); }
    const TClassInfo* ClassParent() const { return Parent; }
    bool InheritsFrom(const TClassInfo* other) const;
    // Ignoring letter case, this class or an ancestor.
    bool InheritsFrom(const AnsiString& className) const;
    const TTypeInfo* TypeInfo() const { return &ClassTypeInfo; }
    int PropCount() const { return static_cast<int>(Props.size()); }
    int OwnPropCount() const { return static_cast<int>(OwnProps.size()); }
    // Ignoring letter case; nullptr when none.
    const TPropInfo* FindProp(const AnsiString& name) const;
    const THandlerInfo* FindHandler(const AnsiString& name) const;
    const TFieldInfo* FindField(const AnsiString& name) const;
    bool CanCreate() const { return static_cast<bool>(Factory); }
    // Raises EClassNotFound-like EReadError when the class is abstract.
    TObject* Create(TComponent* AOwner = nullptr) const;
    // The name of the handler that equals Value when bound to Root, '' when none.
    AnsiString HandlerName(TObject* Root, const TMethod& Value) const;
};

// Class information by C++ class: TESK_CLASS classes answer their own; the
// classes of platform/classes have theirs here.
template <class T>
const TClassInfo* ClassInfoOf() {
    return T::StaticClassInfo();
}
class TCollection;
class TCollectionItem;
class TOwnedCollection;
class TStrings;
class TStringList;
template <> const TClassInfo* ClassInfoOf<TObject>();
template <> const TClassInfo* ClassInfoOf<TPersistent>();
template <> const TClassInfo* ClassInfoOf<TComponent>();
template <> const TClassInfo* ClassInfoOf<TCollection>();
template <> const TClassInfo* ClassInfoOf<TCollectionItem>();
template <> const TClassInfo* ClassInfoOf<TOwnedCollection>();
template <> const TClassInfo* ClassInfoOf<TStrings>();
template <> const TClassInfo* ClassInfoOf<TStringList>();

// The class information of an object: its own ClassInfo(), else the nearest
// registered class by ClassName (classes without TESK_CLASS), else TObject's.
const TClassInfo* ClassInfoOf(const TObject* Instance);
bool InheritsFrom(const TObject* Instance, const TClassInfo* Class);

// Declares the type information of a class inside its body. It overrides
// ClassName and ClassInfo and leaves the class in private access.
#define TESK_CLASS(ClassT, ParentT)                                        \
public:                                                                    \
    using TeskParentClass = ParentT;                                       \
    static const TClassInfo* StaticClassInfo();                            \
    const char* ClassName() const override { return #ClassT; }             \
    const TClassInfo* ClassInfo() const override { return StaticClassInfo(); } \
                                                                           \
private:

// ---------------------------------------------------------------------------
// Class registry (class names ignore letter case)

TESK_DECLARE_EXCEPTION(EClassNotFound, EReadError);

void RegisterClass(const TClassInfo* Class);
void RegisterClasses(std::initializer_list<const TClassInfo*> Classes);
void UnRegisterClass(const TClassInfo* Class);
// nullptr when the name is not registered.
const TClassInfo* GetClass(const AnsiString& ClassName);
// Raises EClassNotFound "Class <name> not found".
const TClassInfo* FindClass(const AnsiString& ClassName);

// ---------------------------------------------------------------------------
// Property access. Property names ignore letter case.

const TPropInfo* GetPropInfo(const TClassInfo* Class, const AnsiString& PropName, TTypeKinds Kinds = tkAny);
const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName, TTypeKinds Kinds = tkAny);
// Declaration order with inherited properties first.
std::vector<const TPropInfo*> GetPropList(const TClassInfo* Class, TTypeKinds Kinds = tkAny);
std::vector<const TPropInfo*> GetPropList(const TObject* Instance, TTypeKinds Kinds = tkAny);
bool IsPublishedProp(const TObject* Instance, const AnsiString& PropName);
// The stored rule only (no default comparison).
bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo);
// True when the property holds its declared default (ordinals and sets with a
// default, zero floats and Int64, empty strings, unassigned events, nil objects).
bool IsDefaultPropValue(TObject* Instance, const TPropInfo* PropInfo);

// Ordinals: integers, chars, enumerations, Booleans and sets of at most 64 bits.
int64_t GetOrdProp(TObject* Instance, const TPropInfo* PropInfo);
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, int64_t Value);
AnsiString GetEnumProp(TObject* Instance, const TPropInfo* PropInfo);
// Raises EPropertyError for a name the enumeration lacks.
void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const AnsiString& Value);
TSetBits GetSetProp(TObject* Instance, const TPropInfo* PropInfo);
void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const TSetBits& Value);
long double GetFloatProp(TObject* Instance, const TPropInfo* PropInfo);
void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, long double Value);
AnsiString GetStrProp(TObject* Instance, const TPropInfo* PropInfo);
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const AnsiString& Value);
int64_t GetInt64Prop(TObject* Instance, const TPropInfo* PropInfo);
void SetInt64Prop(TObject* Instance, const TPropInfo* PropInfo, int64_t Value);
TObject* GetObjectProp(TObject* Instance, const TPropInfo* PropInfo);
// Raises EPropertyError when Value is not nil and not of the property's class.
void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value);
TMethod GetMethodProp(TObject* Instance, const TPropInfo* PropInfo);
void SetMethodProp(TObject* Instance, const TPropInfo* PropInfo, const TMethod& Value);
Variant GetVariantProp(TObject* Instance, const TPropInfo* PropInfo);
void SetVariantProp(TObject* Instance, const TPropInfo* PropInfo, const Variant& Value);

// By name; an unknown name raises EPropertyError "Unknown property: <name>".
const TPropInfo* FindPropInfo(const TObject* Instance, const AnsiString& PropName);
int64_t GetOrdProp(TObject* Instance, const AnsiString& PropName);
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int64_t Value);
AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName);
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
long double GetFloatProp(TObject* Instance, const AnsiString& PropName);
void SetFloatProp(TObject* Instance, const AnsiString& PropName, long double Value);
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName);
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
TObject* GetObjectProp(TObject* Instance, const AnsiString& PropName);
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value);

// ---------------------------------------------------------------------------
// Integer identifiers (colour, cursor and charset names)

// Name of an integer-typed value through the identifier maps registered for
// its type (RegisterIntegerConsts keyed by the type information; TColor,
// TCursor and TFontCharset come with theirs); false when the type has no map
// or the value no name.
bool TypedIntToIdent(const TTypeInfo* TypeInfo, int32_t Value, AnsiString& Ident);
bool TypedIdentToInt(const TTypeInfo* TypeInfo, const AnsiString& Ident, int32_t& Value);
