#include "platform/rtti/TypInfo.h"

#include <climits>
#include <map>
#include <mutex>

#include "platform/classes/IntegerIdents.h"
#include "platform/rtti/Published.h"

// ---------------------------------------------------------------------------
// Type information objects

namespace {

AnsiString Trimmed(const AnsiString& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// "TFoo::TKind" -> "TKind"
AnsiString Unqualified(const AnsiString& s) {
    size_t p = s.rfind("::");
    return Trimmed(p == AnsiString::npos ? s : s.substr(p + 2));
}

TTypeInfo* NewTypeInfo(TTypeKind kind, const char* name) {
    auto* ti = new TTypeInfo;  // lives as long as the program
    ti->Kind = kind;
    ti->Name = Unqualified(name ? name : "");
    return ti;
}

const TTypeInfo* Ordinal(const char* name, TTypeKind kind, TOrdType ot, int32_t mn, int32_t mx) {
    return MakeOrdinalTypeInfo(name, kind, ot, mn, mx);
}

const TTypeInfo* BoolLike(const char* name, TOrdType ot, int32_t mn, int32_t mx) {
    TTypeInfo* ti = NewTypeInfo(tkEnumeration, name);
    ti->Data.OrdType = ot;
    ti->Data.MinValue = mn;
    ti->Data.MaxValue = mx;
    ti->Data.BaseType = ti;
    ti->Data.NameList = {"False", "True"};
    ti->Data.EnumUnitName = "System";
    return ti;
}

}  // namespace

const char* TypeKindName(TTypeKind kind) {
    static const char* const names[] = {"tkUnknown", "tkInteger", "tkChar",  "tkEnumeration", "tkFloat",
                                        "tkString",  "tkSet",     "tkClass", "tkMethod",      "tkWChar",
                                        "tkLString", "tkWString", "tkVariant", "tkArray",     "tkRecord",
                                        "tkInterface", "tkInt64", "tkDynArray"};
    return kind <= tkDynArray ? names[kind] : "tkUnknown";
}

// "path/to/Unit.h" -> "Unit"
static AnsiString UnitOfFile(const char* sourceFile) {
    AnsiString unit = sourceFile ? sourceFile : "";
    size_t slash = unit.find_last_of("/\\");
    if (slash != AnsiString::npos) unit.erase(0, slash + 1);
    size_t dot = unit.rfind('.');
    if (dot != AnsiString::npos) unit.erase(dot);
    return unit;
}

const TTypeInfo* MakeEnumTypeInfo(const char* name, const char* commaSeparatedNames, const std::vector<int>& values,
                                  const char* sourceFile) {
    TTypeInfo* ti = NewTypeInfo(tkEnumeration, name);
    ti->Data.EnumUnitName = UnitOfFile(sourceFile);
    AnsiString all = commaSeparatedNames ? commaSeparatedNames : "";
    size_t start = 0;
    while (start <= all.size()) {
        size_t comma = all.find(',', start);
        if (comma == AnsiString::npos) comma = all.size();
        AnsiString item = Unqualified(all.substr(start, comma - start));
        if (!item.empty()) ti->Data.NameList.push_back(item);
        start = comma + 1;
    }
    const int count = static_cast<int>(ti->Data.NameList.size());
    const int first = values.empty() ? 0 : values.front();
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] != first + static_cast<int>(i))
            throw EPropertyError("Enumeration " + ti->Name + ": values must be consecutive");
    ti->Data.MinValue = first;
    ti->Data.MaxValue = first + count - 1;
    ti->Data.OrdType = count <= 256 ? otUByte : count <= 65536 ? otUWord : otULong;
    ti->Data.BaseType = ti;
    return ti;
}

const TTypeInfo* MakeEnumSubrangeTypeInfo(const char* name, const TTypeInfo* base, int minValue, int maxValue) {
    TTypeInfo* ti = NewTypeInfo(tkEnumeration, name);
    ti->Data = base->Data;
    ti->Data.BaseType = base;
    ti->Data.MinValue = minValue;
    ti->Data.MaxValue = maxValue;
    return ti;
}

const TTypeInfo* MakeOrdinalTypeInfo(const char* name, TTypeKind kind, TOrdType ordType, int32_t minValue,
                                     int32_t maxValue) {
    TTypeInfo* ti = NewTypeInfo(kind, name);
    ti->Data.OrdType = ordType;
    ti->Data.MinValue = minValue;
    ti->Data.MaxValue = maxValue;
    if (kind == tkEnumeration) ti->Data.BaseType = ti;
    return ti;
}

const TTypeInfo* MakeSetTypeInfo(const char* name, const TTypeInfo* elementType) {
    TTypeInfo* ti = NewTypeInfo(tkSet, name);
    ti->Data.CompType = elementType;
    int lo = elementType->Data.MinValue / 8;
    int hi = elementType->Data.MaxValue / 8;
    if (elementType->Data.OrdType == otULong) hi = 255 / 8;  // the full 0..255 span
    int size = std::max(1, std::min(32, hi - lo + 1));
    ti->Data.SetSize = size;
    ti->Data.OrdType = size == 1 ? otUByte : size == 2 ? otUWord : otULong;
    return ti;
}

const TTypeInfo* MakeFloatTypeInfo(const char* name, TFloatType floatType) {
    TTypeInfo* ti = NewTypeInfo(tkFloat, name);
    ti->Data.FloatType = floatType;
    return ti;
}

const TTypeInfo* MakeStringTypeInfo(const char* name, TTypeKind kind, int maxLength) {
    TTypeInfo* ti = NewTypeInfo(kind, name);
    ti->Data.MaxLength = maxLength;
    return ti;
}

const TTypeInfo* MakeMethodTypeInfo(const char* name, const std::type_info& eventType, TMethodKind kind,
                                    std::vector<TParamInfo> params, const char* resultType) {
    TTypeInfo* ti = NewTypeInfo(tkMethod, name);
    ti->Data.MethodKind = kind;
    ti->Data.ParamList = std::move(params);
    ti->Data.ResultType = resultType ? resultType : "";
    ti->Data.EventType = &eventType;
    return ti;
}

#define TESK_BUILTIN(Type, expr)                        \
    template <>                                         \
    const TTypeInfo* TypeInfoOf<Type>() {               \
        static const TTypeInfo* info = expr;            \
        return info;                                    \
    }
#define TESK_NAMED(Function, expr)                      \
    const TTypeInfo* Function() {                       \
        static const TTypeInfo* info = expr;            \
        return info;                                    \
    }

TESK_BUILTIN(bool, BoolLike("Boolean", otUByte, 0, 1))
TESK_BUILTIN(int8_t, Ordinal("ShortInt", tkInteger, otSByte, -128, 127))
TESK_BUILTIN(uint8_t, Ordinal("Byte", tkInteger, otUByte, 0, 255))
TESK_BUILTIN(int16_t, Ordinal("SmallInt", tkInteger, otSWord, -32768, 32767))
TESK_BUILTIN(uint16_t, Ordinal("Word", tkInteger, otUWord, 0, 65535))
TESK_BUILTIN(int32_t, Ordinal("Integer", tkInteger, otSLong, INT32_MIN, INT32_MAX))
TESK_BUILTIN(uint32_t, Ordinal("Cardinal", tkInteger, otULong, 0, -1))
TESK_BUILTIN(long long, MakeOrdinalTypeInfo("Int64", tkInt64, otSLong, 0, 0))
TESK_BUILTIN(char, Ordinal("Char", tkChar, otUByte, 0, 255))
TESK_BUILTIN(char16_t, Ordinal("WideChar", tkWChar, otUWord, 0, 65535))
TESK_BUILTIN(float, MakeFloatTypeInfo("Single", ftSingle))
TESK_BUILTIN(double, MakeFloatTypeInfo("Double", ftDouble))
TESK_BUILTIN(long double, MakeFloatTypeInfo("Extended", ftExtended))
TESK_BUILTIN(AnsiString, MakeStringTypeInfo("string", tkLString))
TESK_BUILTIN(WideString, MakeStringTypeInfo("WideString", tkWString))
template <>
const TTypeInfo* TypeInfoOf<long>() {
    return TypeInfoOf<long long>();
}

TESK_NAMED(TypeInfoByteBool, BoolLike("ByteBool", otSByte, -128, 127))
TESK_NAMED(TypeInfoWordBool, BoolLike("WordBool", otSWord, -32768, 32767))
TESK_NAMED(TypeInfoLongBool, BoolLike("LongBool", otSLong, INT32_MIN, INT32_MAX))
TESK_NAMED(TypeInfoShortString, MakeStringTypeInfo("ShortString", tkString, 255))
TESK_NAMED(TypeInfoCurrency, MakeFloatTypeInfo("Currency", ftCurr))
template <>
const TTypeInfo* TypeInfoOf<Currency>() {
    return TypeInfoCurrency();
}
template <>
const TTypeInfo* TypeInfoOf<Variant>() {
    return TypeInfoVariant();
}
TESK_NAMED(TypeInfoComp, MakeFloatTypeInfo("Comp", ftComp))
TESK_NAMED(TypeInfoVariant, MakeStringTypeInfo("Variant", tkVariant))
TESK_NAMED(TypeInfoTDateTime, MakeFloatTypeInfo("TDateTime", ftDouble))
TESK_NAMED(TypeInfoTDate, MakeFloatTypeInfo("TDate", ftDouble))
TESK_NAMED(TypeInfoTTime, MakeFloatTypeInfo("TTime", ftDouble))
namespace {
// An integer type whose values have names, registered with its first use.
const TTypeInfo* Named(const char* name, TOrdType ot, int32_t mn, int32_t mx, TIdentToInt toInt, TIntToIdent toIdent) {
    const TTypeInfo* ti = Ordinal(name, tkInteger, ot, mn, mx);
    RegisterIntegerConsts(ti, toInt, toIdent);
    return ti;
}
}  // namespace
TESK_NAMED(TypeInfoTColor, Named("TColor", otSLong, INT32_MIN, INT32_MAX, IdentToColor, ColorToIdent))
TESK_NAMED(TypeInfoTCursor, Named("TCursor", otSWord, -32768, 32767, IdentToCursor, CursorToIdent))
TESK_NAMED(TypeInfoTFontCharset, Named("TFontCharset", otUByte, 0, 255, IdentToCharset, CharsetToIdent))
TESK_NAMED(TypeInfoTShortCut, Ordinal("TShortCut", tkInteger, otUWord, 0, 65535))
TESK_NAMED(TypeInfoTImeName, MakeStringTypeInfo("TImeName", tkLString))
TESK_NAMED(TypeInfoTCaption, MakeStringTypeInfo("TCaption", tkLString))
TESK_NAMED(TypeInfoTFileName, MakeStringTypeInfo("TFileName", tkLString))
TESK_NAMED(TypeInfoTComponentName, MakeStringTypeInfo("TComponentName", tkLString))

// ---------------------------------------------------------------------------
// Enumerations and sets

bool IsBooleanType(const TTypeInfo* TypeInfo) {
    return TypeInfo && TypeInfo->Kind == tkEnumeration &&
           (TypeInfo == TypeInfoOf<bool>() || TypeInfo->Data.MinValue < 0);
}

AnsiString GetEnumName(const TTypeInfo* TypeInfo, int Value) {
    if (!TypeInfo) return AnsiString();
    if (TypeInfo->Kind == tkInteger) return std::to_string(Value);
    if (TypeInfo->Kind != tkEnumeration) return AnsiString();
    if (IsBooleanType(TypeInfo)) return Value != 0 ? "True" : "False";
    const TTypeInfo* base = TypeInfo->Data.BaseType ? TypeInfo->Data.BaseType : TypeInfo;
    const auto& names = base->Data.NameList;
    int64_t i = static_cast<int64_t>(Value) - base->Data.MinValue;
    if (i < 0 || i >= static_cast<int64_t>(names.size())) return AnsiString();
    return names[static_cast<size_t>(i)];
}

int GetEnumValue(const TTypeInfo* TypeInfo, const AnsiString& Name) {
    if (!TypeInfo) return -1;
    if (TypeInfo->Kind == tkInteger) {
        try {
            size_t used = 0;
            long v = std::stol(Name, &used, 10);
            return used == Name.size() ? static_cast<int>(v) : -1;
        } catch (const std::exception&) {
            return -1;
        }
    }
    if (TypeInfo->Kind != tkEnumeration) return -1;
    if (IsBooleanType(TypeInfo)) {
        if (SameText(Name, "False")) return 0;
        if (SameText(Name, "True")) return 1;
        return -1;
    }
    const TTypeInfo* base = TypeInfo->Data.BaseType ? TypeInfo->Data.BaseType : TypeInfo;
    const auto& names = base->Data.NameList;
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], Name)) {
            int v = base->Data.MinValue + static_cast<int>(i);
            if (v < TypeInfo->Data.MinValue || v > TypeInfo->Data.MaxValue) return -1;
            return v;
        }
    return -1;
}

int SetBitOfValue(const TTypeInfo* SetType, int Value) {
    if (!SetType || !SetType->Data.CompType) return -1;
    const TTypeData& c = SetType->Data.CompType->Data;
    int64_t mn = c.MinValue, mx = c.OrdType == otULong ? 255 : c.MaxValue;
    if (Value < mn || Value > mx) return -1;
    int bit = Value - 8 * (c.MinValue / 8);
    return bit >= 0 && bit < 256 ? bit : -1;
}

int SetValueOfBit(const TTypeInfo* SetType, int Bit) {
    if (!SetType || !SetType->Data.CompType) return Bit;
    return Bit + 8 * (SetType->Data.CompType->Data.MinValue / 8);
}

int64_t SetBitsToOrd(const TSetBits& bits) {
    uint64_t v = 0;
    for (size_t i = 0; i < 8; ++i) v |= static_cast<uint64_t>(bits[i]) << (8 * i);
    return static_cast<int64_t>(v);
}

TSetBits OrdToSetBits(int64_t value) {
    TSetBits b{};
    uint64_t v = static_cast<uint64_t>(value);
    for (size_t i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    return b;
}

// ---------------------------------------------------------------------------
// Class information

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == other) return true;
    return false;
}

bool TClassInfo::InheritsFrom(const AnsiString& className) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (SameText(c->Name, className)) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(const AnsiString& name) const {
    for (const TPropInfo* p : Props)
        if (SameText(p->Name, name)) return p;
    return nullptr;
}

const THandlerInfo* TClassInfo::FindHandler(const AnsiString& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const THandlerInfo& h : c->Handlers)
            if (SameText(h.Name, name)) return &h;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const AnsiString& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TFieldInfo& f : c->Fields)
            if (SameText(f.Name, name)) return &f;
    return nullptr;
}

TObject* TClassInfo::Create(TComponent* AOwner) const {
    if (!Factory) throw EClassNotFound("Cannot create an instance of the abstract class " + Name);
    return Factory(AOwner);
}

AnsiString TClassInfo::HandlerName(TObject* Root, const TMethod& Value) const {
    if (!Value.Assigned() || !Value.EventType()) return AnsiString();
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const THandlerInfo& h : c->Handlers)
            if (*h.EventType == *Value.EventType() && h.Bind(Root) == Value) return h.Name;
    return AnsiString();
}

TClassInfo* NewClassInfo(const char* name, const TClassInfo* parent, const char* sourceFile) {
    auto* info = new TClassInfo;  // lives as long as the program
    info->Name = Unqualified(name);
    info->Parent = parent;
    info->UnitName = UnitOfFile(sourceFile);
    info->ClassTypeInfo.Kind = tkClass;
    info->ClassTypeInfo.Name = info->Name;
    info->ClassTypeInfo.Data.ClassType = info;
    return info;
}

TPropInfo* AddPropInfo(TClassInfo* info, const char* name, const TTypeInfo* type) {
    if (!type) throw EPropertyError("Property " + info->Name + "." + name + " has no type information");
    auto p = std::make_unique<TPropInfo>();
    p->Name = name;
    p->PropType = type;
    p->DeclaringClass = info;
    info->OwnProps.push_back(std::move(p));
    return info->OwnProps.back().get();
}

void FinishClassInfo(TClassInfo* info) {
    if (info->Parent) info->Props = info->Parent->Props;
    for (const auto& own : info->OwnProps) {
        bool replaced = false;
        for (auto& p : info->Props)
            if (SameText(p->Name, own->Name)) {
                p = own.get();
                replaced = true;
            }
        if (!replaced) info->Props.push_back(own.get());
    }
    for (size_t i = 0; i < info->Props.size(); ++i)
        if (info->Props[i]->DeclaringClass == info) const_cast<TPropInfo*>(info->Props[i])->NameIndex = static_cast<int>(i);
}

void CheckPropCategory(const TPropInfo* prop, TPropValueCategory category) {
    TTypeKind k = prop->Kind();
    bool ok = false;
    switch (category) {
    case TPropValueCategory::Ordinal:
        ok = KindIn(k, tkOrdinal) || k == tkInt64;
        break;
    case TPropValueCategory::Float: ok = k == tkFloat; break;
    case TPropValueCategory::String: ok = KindIn(k, tkStrings); break;
    case TPropValueCategory::Object: ok = k == tkClass; break;
    case TPropValueCategory::Method: ok = k == tkMethod; break;
    case TPropValueCategory::Set: ok = k == tkSet; break;
    case TPropValueCategory::Variant: ok = k == tkVariant; break;
    }
    if (!ok)
        throw EPropertyError("Property " + prop->DeclaringClass->Name + "." + prop->Name + ": type " +
                             prop->PropType->Name + " (" + TypeKindName(k) + ") does not fit its C++ type");
}

// ---------------------------------------------------------------------------
// Class registry

namespace {

struct Registry {
    std::mutex mutex;
    std::map<AnsiString, const TClassInfo*> byName;  // upper-case names
};

Registry& TheRegistry() {
    static Registry* r = new Registry;
    return *r;
}

}  // namespace

void RegisterBuiltinClasses();  // BuiltinClasses.cpp

namespace {
void EnsureBuiltins() {
    static const bool done = (RegisterBuiltinClasses(), true);
    (void)done;
}
}  // namespace

void RegisterClass(const TClassInfo* Class) {
    if (!Class) return;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto [it, inserted] = r.byName.emplace(UpperCase(Class->Name), Class);
    if (!inserted && it->second != Class)
        throw EInvalidOperation("A class named " + Class->Name + " already exists");
}

void RegisterClasses(std::initializer_list<const TClassInfo*> Classes) {
    for (const TClassInfo* c : Classes) RegisterClass(c);
}

void UnRegisterClass(const TClassInfo* Class) {
    if (!Class) return;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(UpperCase(Class->Name));
    if (it != r.byName.end() && it->second == Class) r.byName.erase(it);
}

const TClassInfo* GetClass(const AnsiString& ClassName) {
    EnsureBuiltins();
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(UpperCase(ClassName));
    return it == r.byName.end() ? nullptr : it->second;
}

const TClassInfo* FindClass(const AnsiString& ClassName) {
    const TClassInfo* c = GetClass(ClassName);
    if (!c) throw EClassNotFound("Class " + ClassName + " not found");
    return c;
}

const TClassInfo* ClassInfoOf(const TObject* Instance) {
    if (!Instance) return nullptr;
    if (const TClassInfo* c = Instance->ClassInfo()) return c;
    if (const TClassInfo* c = GetClass(Instance->ClassName())) {
        if (c->IsInstance && c->IsInstance(Instance)) return c;
    }
    // A class of the platform without its own information: its nearest known ancestor.
    if (dynamic_cast<const TComponent*>(Instance)) return ClassInfoOf<TComponent>();
    if (dynamic_cast<const TPersistent*>(Instance)) return ClassInfoOf<TPersistent>();
    return ClassInfoOf<TObject>();
}

bool InheritsFrom(const TObject* Instance, const TClassInfo* Class) {
    if (!Instance || !Class) return false;
    if (Class->IsInstance) return Class->IsInstance(Instance);
    const TClassInfo* c = ClassInfoOf(Instance);
    return c && c->InheritsFrom(Class);
}

// ---------------------------------------------------------------------------
// Property access

const TPropInfo* GetPropInfo(const TClassInfo* Class, const AnsiString& PropName, TTypeKinds Kinds) {
    if (!Class) return nullptr;
    const TPropInfo* p = Class->FindProp(PropName);
    return p && KindIn(p->Kind(), Kinds) ? p : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName, TTypeKinds Kinds) {
    return GetPropInfo(ClassInfoOf(Instance), PropName, Kinds);
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* Class, TTypeKinds Kinds) {
    std::vector<const TPropInfo*> r;
    if (!Class) return r;
    for (const TPropInfo* p : Class->Props)
        if (KindIn(p->Kind(), Kinds)) r.push_back(p);
    return r;
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance, TTypeKinds Kinds) {
    return GetPropList(ClassInfoOf(Instance), Kinds);
}

bool IsPublishedProp(const TObject* Instance, const AnsiString& PropName) {
    return GetPropInfo(Instance, PropName) != nullptr;
}

namespace {

[[noreturn]] void PropError(const TPropInfo* p, const char* what) {
    throw EPropertyError("Property " + (p ? p->Name : AnsiString("?")) + ": " + what);
}

void CheckInstance(TObject* Instance, const TPropInfo* p) {
    if (!p) throw EPropertyError("Property does not exist");
    if (!Instance) PropError(p, "no object");
    if (p->DeclaringClass && p->DeclaringClass->IsInstance && !p->DeclaringClass->IsInstance(Instance))
        throw EPropertyError("Property " + p->Name + " does not belong to class " + Instance->ClassName());
}

}  // namespace

bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo) {
    CheckInstance(Instance, PropInfo);
    return PropInfo->Stored ? PropInfo->Stored(Instance) : PropInfo->StoredConstant;
}

bool IsDefaultPropValue(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    switch (p->Kind()) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkWChar:
        return p->Default != NoDefault && static_cast<int32_t>(GetOrdProp(Instance, p)) == p->Default;
    case tkSet:
        return p->HasDefaultBits && GetSetProp(Instance, p) == p->DefaultBits;
    case tkFloat: return GetFloatProp(Instance, p) == 0;
    case tkInt64: return GetInt64Prop(Instance, p) == 0;
    case tkString:
    case tkLString:
    case tkWString: return GetStrProp(Instance, p).empty();
    case tkMethod: return !GetMethodProp(Instance, p).Assigned();
    case tkClass: return GetObjectProp(Instance, p) == nullptr;
    case tkVariant: return !p->GetVariant || GetVariantProp(Instance, p).IsEmpty();
    default: return true;
    }
}

int64_t GetOrdProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (p->Kind() == tkSet && p->GetSet) return SetBitsToOrd(p->GetSet(Instance));
    if (p->GetOrd) return p->GetOrd(Instance);
    if (p->GetObj) return static_cast<int64_t>(reinterpret_cast<intptr_t>(p->GetObj(Instance)));
    PropError(p, "not an ordinal property");
}

void SetOrdProp(TObject* Instance, const TPropInfo* p, int64_t Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (p->Kind() == tkSet && p->SetSet) return p->SetSet(Instance, OrdToSetBits(Value));
    if (p->SetOrd) return p->SetOrd(Instance, Value);
    PropError(p, "not an ordinal property");
}

AnsiString GetEnumProp(TObject* Instance, const TPropInfo* p) {
    return GetEnumName(p ? p->PropType : nullptr, static_cast<int>(GetOrdProp(Instance, p)));
}

void SetEnumProp(TObject* Instance, const TPropInfo* p, const AnsiString& Value) {
    CheckInstance(Instance, p);
    int v = GetEnumValue(p->PropType, Value);
    if (v < 0 && !(p->Kind() == tkInteger && Value == std::to_string(v)))
        throw EPropertyError("Invalid enumeration name: " + Value);
    SetOrdProp(Instance, p, v);
}

TSetBits GetSetProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (p->GetSet) return p->GetSet(Instance);
    if (p->GetOrd) return OrdToSetBits(p->GetOrd(Instance));
    PropError(p, "not a set property");
}

void SetSetProp(TObject* Instance, const TPropInfo* p, const TSetBits& Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (p->SetSet) return p->SetSet(Instance, Value);
    if (p->SetOrd) return p->SetOrd(Instance, SetBitsToOrd(Value));
    PropError(p, "not a set property");
}

long double GetFloatProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (!p->GetFloat) PropError(p, "not a float property");
    return p->GetFloat(Instance);
}

void SetFloatProp(TObject* Instance, const TPropInfo* p, long double Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (!p->SetFloat) PropError(p, "not a float property");
    p->SetFloat(Instance, Value);
}

AnsiString GetStrProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (!p->GetStr) PropError(p, "not a string property");
    return p->GetStr(Instance);
}

void SetStrProp(TObject* Instance, const TPropInfo* p, const AnsiString& Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (!p->SetStr) PropError(p, "not a string property");
    p->SetStr(Instance, Value);
}

int64_t GetInt64Prop(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (!p->GetOrd) PropError(p, "not an integer property");
    return p->GetOrd(Instance);
}

void SetInt64Prop(TObject* Instance, const TPropInfo* p, int64_t Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (!p->SetOrd) PropError(p, "not an integer property");
    p->SetOrd(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (!p->GetObj) PropError(p, "not an object property");
    return p->GetObj(Instance);
}

void SetObjectProp(TObject* Instance, const TPropInfo* p, TObject* Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (!p->SetObj) PropError(p, "not an object property");
    const TClassInfo* cls = p->PropType->Data.ClassType;
    if (Value && cls && !InheritsFrom(Value, cls)) PropError(p, "invalid property value");
    p->SetObj(Instance, Value);
}

TMethod GetMethodProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (!p->GetMethod) PropError(p, "not an event property");
    return p->GetMethod(Instance);
}

void SetMethodProp(TObject* Instance, const TPropInfo* p, const TMethod& Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (!p->SetMethod) PropError(p, "not an event property");
    p->SetMethod(Instance, Value);
}

Variant GetVariantProp(TObject* Instance, const TPropInfo* p) {
    CheckInstance(Instance, p);
    if (!p->GetVariant) PropError(p, "not a variant property");
    return p->GetVariant(Instance);
}

void SetVariantProp(TObject* Instance, const TPropInfo* p, const Variant& Value) {
    CheckInstance(Instance, p);
    if (!p->Writable()) PropError(p, "read-only");
    if (!p->SetVariant) PropError(p, "not a variant property");
    p->SetVariant(Instance, Value);
}

const TPropInfo* FindPropInfo(const TObject* Instance, const AnsiString& PropName) {
    const TPropInfo* p = GetPropInfo(Instance, PropName);
    if (!p) throw EPropertyError("Unknown property: " + PropName);
    return p;
}

int64_t GetOrdProp(TObject* Instance, const AnsiString& PropName) {
    return GetOrdProp(Instance, FindPropInfo(Instance, PropName));
}
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int64_t Value) {
    SetOrdProp(Instance, FindPropInfo(Instance, PropName), Value);
}
AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName) {
    return GetEnumProp(Instance, FindPropInfo(Instance, PropName));
}
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
    SetEnumProp(Instance, FindPropInfo(Instance, PropName), Value);
}
long double GetFloatProp(TObject* Instance, const AnsiString& PropName) {
    return GetFloatProp(Instance, FindPropInfo(Instance, PropName));
}
void SetFloatProp(TObject* Instance, const AnsiString& PropName, long double Value) {
    SetFloatProp(Instance, FindPropInfo(Instance, PropName), Value);
}
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName) {
    return GetStrProp(Instance, FindPropInfo(Instance, PropName));
}
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
    SetStrProp(Instance, FindPropInfo(Instance, PropName), Value);
}
TObject* GetObjectProp(TObject* Instance, const AnsiString& PropName) {
    return GetObjectProp(Instance, FindPropInfo(Instance, PropName));
}
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value) {
    SetObjectProp(Instance, FindPropInfo(Instance, PropName), Value);
}

// ---------------------------------------------------------------------------
// Integer identifiers

bool TypedIntToIdent(const TTypeInfo* TypeInfo, int32_t Value, AnsiString& Ident) {
    TIntToIdent f = TypeInfo ? FindIntToIdent(TypeInfo) : nullptr;
    return f && f(Value, Ident);
}

bool TypedIdentToInt(const TTypeInfo* TypeInfo, const AnsiString& Ident, int32_t& Value) {
    TIdentToInt f = TypeInfo ? FindIdentToInt(TypeInfo) : nullptr;
    int v = 0;
    if (!f || !f(Ident, v)) return false;
    Value = v;
    return true;
}
