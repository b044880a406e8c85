#include "storage/UtRTTI.h"

#include <algorithm>
#include <vector>

#include "platform/classes/Lists.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "storage/StUtils.h"
#include "text/UtStrings.h"

namespace {

const char* OrdTypeName(TOrdType t) {
    static const char* const names[] = {"otSByte", "otUByte", "otSWord", "otUWord", "otSLong", "otULong"};
    return t <= otULong ? names[t] : "???";
}

const char* FloatTypeName(TFloatType t) {
    static const char* const names[] = {"ftSingle", "ftDouble", "ftExtended", "ftComp", "ftCurr"};
    return t <= ftCurr ? names[t] : "???";
}

const char* FloatTypeDeclName(TFloatType t) {
    static const char* const names[] = {"Single", "Double", "Extended", "Comp", "Currency"};
    return t <= ftCurr ? names[t] : "???";
}

const char* MethodKindName(TMethodKind k) {
    static const char* const names[] = {"mkProcedure",      "mkFunction",      "mkConstructor",   "mkDestructor",
                                        "mkClassProcedure", "mkClassFunction", "mkSafeProcedure", "mkSafeFunction"};
    return k <= mkSafeFunction ? names[k] : "???";
}

AnsiString NameOrUnknown(const AnsiString& name) { return name.empty() ? AnsiString("???") : name; }

AnsiString FlagsText(unsigned flags, std::initializer_list<const char*> names) {
    AnsiString out;
    unsigned bit = 1;
    for (const char* n : names) {
        if (flags & bit) out += (out.empty() ? "" : ", ") + AnsiString(n);
        bit <<= 1;
    }
    return "[" + out + "]";
}

AnsiString ParamFlagsText(uint8_t flags) {
    return FlagsText(flags, {"pfVar", "pfConst", "pfArray", "pfAddress", "pfReference", "pfOut"});
}

const char* AccessKindText(TPropAccessKind k) {
    switch (k) {
        case akField: return "field";
        case akStaticMethod: return "static method";
        case akVirtualMethod: return "virtual method";
        default: return "???";
    }
}

// Collects a declaration for use inline.
class TStringWriter : public IUtTypeTextWriter {
public:
    void Write(const AnsiString& S) override { text += S; }
    void Writeln(const AnsiString& S) override { text += S + " "; }
    AnsiString text;
};

// An anonymous type's declaration without its trailing "; // ..." part.
AnsiString InlineDeclaration(const TTypeInfo* info) {
    TStringWriter w;
    UtTypeInfo(info)->DeclareTo(w);
    AnsiString text = Trim(w.text);
    const size_t semicolon = text.find(';');
    return semicolon == AnsiString::npos ? text : Trim(text.substr(0, semicolon));
}

AnsiString CharLiteral(int64_t v) {
    if (v >= 32 && v < 127) return v == '\'' ? AnsiString("''''") : "'" + AnsiString(1, static_cast<char>(v)) + "'";
    return "#" + IntToStr(static_cast<long long>(v));
}

}  // namespace

// ---------------------------------------------------------------------------
// Wrappers

AnsiString TUtTypeInfo::DeclarationHead() const { return IsAnonymous() ? AnsiString() : Name() + " = "; }

AnsiString TUtTypeInfo::PrintName() const { return NameOrUnknown(Name()); }

void TUtTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    Dest.Writeln("Name: " + PrintName());
    Dest.Writeln("Type kind: " + AnsiString(TypeKindName(TypeKind())));
    Dest.Writeln(Format("Type info: %p", {static_cast<const void*>(typeInfo_)}));
}

void TUtTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    Dest.Writeln(Format("// Declaration for '%s' not supported.", {PrintName()}));
}

void TUtOrdinalTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Ordinal type: " + AnsiString(OrdTypeName(OrdType())));
}

int64_t TUtOrdinalRangeTypeInfo::MinValue() const {
    const int32_t v = TypeData()->MinValue;
    return OrdType() == otULong ? static_cast<int64_t>(static_cast<uint32_t>(v)) : v;
}

int64_t TUtOrdinalRangeTypeInfo::MaxValue() const {
    const int32_t v = TypeData()->MaxValue;
    return OrdType() == otULong ? static_cast<int64_t>(static_cast<uint32_t>(v)) : v;
}

void TUtOrdinalRangeTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtOrdinalTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Min value: " + IntToStr(static_cast<long long>(MinValue())));
    Dest.Writeln("Max value: " + IntToStr(static_cast<long long>(MaxValue())));
}

void TUtOrdinalRangeTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    const bool chars = TypeKind() == tkChar || TypeKind() == tkWChar;
    auto value = [chars](int64_t v) { return chars ? CharLiteral(v) : IntToStr(static_cast<long long>(v)); };
    Dest.Writeln(DeclarationHead() + value(MinValue()) + ".." + value(MaxValue()) + "; // " + OrdTypeName(OrdType()));
}

AnsiString TUtEnumerationTypeInfo::Names(int64_t Value) const {
    if (Value < MinValue() || Value > MaxValue()) return AnsiString();
    return GetEnumName(TypeInfo(), static_cast<int>(Value));
}

int64_t TUtEnumerationTypeInfo::ValueOf(const AnsiString& Name) const {
    if (IsBooleanType(TypeInfo())) return GetEnumValue(TypeInfo(), Name);
    const TTypeData& base = BaseType()->Data;
    const int64_t first = std::max<int64_t>(MinValue(), base.MinValue);
    const int64_t last = std::min<int64_t>(MaxValue(), base.MinValue + static_cast<int64_t>(base.NameList.size()) - 1);
    for (int64_t v = last; v >= first; --v)
        if (AnsiSameText(Names(v), Name)) return v;
    return -1;
}

AnsiString TUtEnumerationTypeInfo::UnitName() const {
    const TTypeInfo* base = BaseType();
    return base ? base->Data.EnumUnitName : TypeData()->EnumUnitName;
}

const TTypeInfo* TUtEnumerationTypeInfo::BaseType() const {
    return TypeData()->BaseType ? TypeData()->BaseType : TypeInfo();
}

AnsiString TUtEnumerationTypeInfo::ValueName(const void* Value) const {
    int64_t v = 0;
    switch (OrdType()) {
        case otSByte: v = *static_cast<const int8_t*>(Value); break;
        case otUByte: v = *static_cast<const uint8_t*>(Value); break;
        case otSWord: v = *static_cast<const int16_t*>(Value); break;
        case otUWord: v = *static_cast<const uint16_t*>(Value); break;
        case otSLong: v = *static_cast<const int32_t*>(Value); break;
        case otULong: v = *static_cast<const uint32_t*>(Value); break;
    }
    if (v >= MinValue() && v <= MaxValue()) return GetEnumName(TypeInfo(), static_cast<int>(v));
    return Format("Value out of range (%s).", {"ordinal=" + IntToStr(static_cast<long long>(v))});
}

void TUtEnumerationTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtOrdinalRangeTypeInfo::DescribeTo(Dest);
    AnsiString names;
    for (int64_t v = MinValue(); v <= MaxValue(); ++v) names += (v == MinValue() ? "" : ", ") + Names(v);
    Dest.Writeln("Names: (" + names + ")");
    Dest.Writeln("Unit name: " + UnitName());
}

void TUtEnumerationTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    AnsiString body;
    if (BaseType() != TypeInfo()) {
        body = Names(MinValue()) + " .. " + Names(MaxValue());
    } else {
        for (int64_t v = MinValue(); v <= MaxValue(); ++v) body += (v == MinValue() ? "" : ", ") + Names(v);
        body = "(" + body + ")";
    }
    Dest.Writeln(DeclarationHead() + body + "; // " + OrdTypeName(OrdType()));
}

std::shared_ptr<TUtOrdinalRangeTypeInfo> TUtSetTypeInfo::BaseType() const {
    const TTypeInfo* element = TypeData()->CompType;
    return element ? std::dynamic_pointer_cast<TUtOrdinalRangeTypeInfo>(UtTypeInfo(element)) : nullptr;
}

namespace {

// The values a set can hold, and the value of its bit 0.
struct SetSpan {
    int64_t min, max, base;
};

SetSpan SpanOf(const TUtOrdinalRangeTypeInfo& element) {
    SetSpan s;
    s.min = element.MinValue();
    s.base = 8 * (s.min / 8);
    // A set holds 256 bits at most.
    s.max = std::min(element.MaxValue(), s.base + 255);
    return s;
}

std::shared_ptr<TUtOrdinalRangeTypeInfo> ElementOf(const TUtSetTypeInfo& set) {
    auto element = set.BaseType();
    if (!element) throw EUtRTTIError(Format("'%s' has no element type.", {set.Name()}));
    return element;
}

}  // namespace

void TUtSetTypeInfo::SetToStrings(const TSetBits& Value, bool WantRanges, TStrings* Strings) const {
    const auto element = ElementOf(*this);
    const auto* enumeration = dynamic_cast<const TUtEnumerationTypeInfo*>(element.get());
    auto text = [enumeration](int64_t v) {
        return enumeration ? enumeration->Names(v) : IntToStr(static_cast<long long>(v));
    };
    const SetSpan span = SpanOf(*element);
    TUpdateLock lock(Strings);
    auto emit = [&](int64_t a, int64_t b) {
        if (WantRanges && b > a) Strings->Add(text(a) + " .. " + text(b));
        else
            for (int64_t v = a; v <= b; ++v) Strings->Add(text(v));
    };
    int64_t runStart = 0;
    bool inRun = false;
    for (int64_t v = span.min; v <= span.max; ++v) {
        const bool set = TestBitBuffer(Value.data(), static_cast<int>(v - span.base));
        if (set && !inRun) {
            runStart = v;
            inRun = true;
        } else if (!set && inRun) {
            emit(runStart, v - 1);
            inRun = false;
        }
    }
    if (inRun) emit(runStart, span.max);
}

void TUtSetTypeInfo::StringsToSet(TSetBits& SetVar, TStrings* Strings) const {
    const auto element = ElementOf(*this);
    const auto* enumeration = dynamic_cast<const TUtEnumerationTypeInfo*>(element.get());
    const SetSpan span = SpanOf(*element);
    auto convert = [&](const AnsiString& text) -> int64_t {
        int64_t v;
        if (enumeration) {
            v = enumeration->ValueOf(text);
            if (v < 0) throw EUtRTTIError(Format("Unknown identifier '%s'.", {text}));
        } else {
            v = StrToInt(text);
        }
        // Outside the element type the bit would land outside the set.
        if (v < span.min || v > span.max)
            throw EUtRTTIError(Format("Value out of range (%s).", {"ordinal=" + IntToStr(static_cast<long long>(v))}));
        return v;
    };
    std::vector<std::pair<int64_t, int64_t>> ranges;
    for (int i = 0; i < Strings->Count(); ++i) {
        const AnsiString line = Strings->Strings(i);
        if (Trim(line).empty()) continue;
        const size_t dots = line.find("..");
        const AnsiString first = Trim(dots == AnsiString::npos ? line : line.substr(0, dots));
        const AnsiString last = Trim(dots == AnsiString::npos ? line : line.substr(dots + 2));
        const int64_t a = convert(first);
        const int64_t b = convert(last);
        ranges.emplace_back(a, b);
    }
    const size_t bytes = static_cast<size_t>(span.max / 8 - span.min / 8 + 1);
    std::fill_n(SetVar.begin(), std::min(bytes, SetVar.size()), uint8_t(0));
    for (const auto& [a, b] : ranges)
        for (int64_t v = a; v <= b; ++v) SetBitBuffer(SetVar.data(), static_cast<int>(v - span.base));
}

void TUtSetTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtOrdinalTypeInfo::DescribeTo(Dest);
    const TTypeInfo* element = TypeData()->CompType;
    Dest.Writeln("Based on: " + NameOrUnknown(element ? element->Name : AnsiString()));
}

void TUtSetTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    const TTypeInfo* element = TypeData()->CompType;
    Dest.Writeln(DeclarationHead() + "set of " + NameOrUnknown(element ? element->Name : AnsiString()) + "; // " +
                 OrdTypeName(OrdType()));
}

void TUtFloatTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Float type: " + AnsiString(FloatTypeName(FloatType())));
}

void TUtFloatTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    Dest.Writeln(DeclarationHead() + "type " + FloatTypeDeclName(FloatType()) + ";");
}

void TUtStringTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Max length: " + IntToStr(MaxLength()));
}

void TUtStringTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    Dest.Writeln(DeclarationHead() + "string[" + IntToStr(MaxLength()) + "];");
}

const TClassInfo* TUtClassTypeInfo::ParentClass() const { return ClassType() ? ClassType()->Parent : nullptr; }

int TUtClassTypeInfo::OwnPropCount() const { return ClassType() ? ClassType()->OwnPropCount() : 0; }

int TUtClassTypeInfo::PropCount() const { return ClassType() ? ClassType()->PropCount() : 0; }

IUtPropInfo TUtClassTypeInfo::Properties(int Index) const {
    if (Index < 0 || Index >= PropCount()) TList::Error("List index out of bounds", Index);
    return std::make_shared<TUtPropInfo>(ClassType()->Props[static_cast<size_t>(Index)]);
}

AnsiString TUtClassTypeInfo::UnitName() const { return ClassType() ? ClassType()->UnitName : AnsiString(); }

void TUtClassTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Class name: " + NameOrUnknown(ClassType() ? ClassType()->Name : AnsiString()));
    Dest.Writeln("Parent: " + NameOrUnknown(ParentClass() ? ParentClass()->Name : AnsiString()));
    Dest.Writeln("Unit name: " + UnitName());
    Dest.Writeln("Property count: " + IntToStr(OwnPropCount()) + " (" + IntToStr(PropCount()) + ")");
    for (int i = 0; i < PropCount(); ++i) {
        const IUtPropInfo p = Properties(i);
        const IUtTypeInfo type = p->PropType();
        Dest.Writeln("  " + p->Name() + ": " + NameOrUnknown(type ? type->Name() : AnsiString()));
        if (p->HasIndex()) Dest.Writeln("    " + Format("[%s %d]", {"index", p->Index()}));
        if (p->HasDefault()) Dest.Writeln("    " + Format("[%s %d]", {"default", p->Default()}));
        if (p->ReaderType() != akNone)
            Dest.Writeln("    " + Format("[%s %s $%p]", {"read", AccessKindText(p->ReaderType()), p->ReaderValue()}));
        if (p->WriterType() != akNone)
            Dest.Writeln("    " + Format("[%s %s $%p]", {"write", AccessKindText(p->WriterType()), p->WriterValue()}));
        if (p->StoredType() == akConstant)
            Dest.Writeln("    " + Format("[%s=%s]", {"stored", p->StoredConstant() ? "True" : "False"}));
        else
            Dest.Writeln("    " + Format("[%s=%s $%p]", {"stored", AccessKindText(p->StoredType()), p->StoredValue()}));
    }
}

void TUtClassTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    const TClassInfo* parent = ParentClass();
    // The platform's classes implement no interfaces, so none follow the parent.
    if (parent && !SameText(parent->Name, "TObject"))
        Dest.Writeln(DeclarationHead() + "class(" + parent->Name + ") // unit " + UnitName());
    else
        Dest.Writeln(DeclarationHead() + "class // unit " + UnitName());
    if (OwnPropCount() > 0) {
        Dest.Writeln("published");
        for (const auto& own : ClassType()->OwnProps) {
            const TUtPropInfo p(own.get());
            AnsiString line = "  property " + p.Name() + ": " + NameOrUnknown(p.PropType() ? p.PropType()->Name() : "");
            if (p.HasIndex()) line += Format(" index %d", {p.Index()});
            if (p.ReaderType() != akNone)
                line += Format(" read [%s $%p]", {AccessKindText(p.ReaderType()), p.ReaderValue()});
            if (p.WriterType() != akNone)
                line += Format(" write [%s $%p]", {AccessKindText(p.WriterType()), p.WriterValue()});
            if (p.StoredType() == akConstant)
                line += p.StoredConstant() ? " stored = True" : " stored = False";
            else
                line += Format(" stored = [%s $%p]", {AccessKindText(p.StoredType()), p.StoredValue()});
            if (p.HasDefault()) line += " default " + IntToStr(p.Default());
            Dest.Writeln(line + ";");
        }
    }
    Dest.Writeln("end;");
}

void TUtEventTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Method kind: " + AnsiString(MethodKindName(MethodKind())));
    Dest.Writeln("Parameter count: " + IntToStr(ParamCount()));
    for (const TParamInfo& p : TypeData()->ParamList) {
        Dest.Writeln("  Name: " + NameOrUnknown(p.Name));
        Dest.Writeln("  Type: " + NameOrUnknown(p.TypeName));
        Dest.Writeln("  Flags: " + ParamFlagsText(p.Flags));
    }
    Dest.Writeln("Return type: " + NameOrUnknown(ResultType()));
}

void TUtEventTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    const bool function = MethodKind() == mkFunction || MethodKind() == mkClassFunction ||
                          MethodKind() == mkSafeFunction;
    AnsiString line = DeclarationHead() + (function ? "function" : "procedure");
    if (ParamCount() > 0) {
        line += "(";
        for (int i = 0; i < ParamCount(); ++i) {
            const TParamInfo& p = Params(i);
            if (i > 0) line += "; ";
            if (p.Flags & pfVar) line += "var ";
            else if (p.Flags & pfConst) line += "const ";
            else if (p.Flags & pfOut) line += "out ";
            line += p.Name;
            if (!p.TypeName.empty()) {
                line += ": ";
                if (p.Flags & pfArray) line += "array of ";
                line += SameText(p.TypeName, "TVarRec") && (p.Flags & pfArray) ? AnsiString("const") : p.TypeName;
            }
        }
        line += ")";
    }
    if (function) line += ": " + ResultType();
    Dest.Writeln(line + " of object;");
}

void TUtInterfaceTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Parent: " + NameOrUnknown(Parent() ? Parent()->Name : AnsiString()));
    Dest.Writeln("GUID: " + GUID());
    Dest.Writeln("Flags: " + FlagsText(Flags(), {"ifHasGuid", "ifDispInterface", "ifDispatch"}));
    Dest.Writeln("Unit name: " + UnitName());
}

void TUtInterfaceTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    const bool dispatch = Flags() & ifDispInterface;
    AnsiString line = DeclarationHead() + (dispatch ? "dispinterface" : "interface");
    if (Parent() && !dispatch && !SameText(Parent()->Name, "IUnknown")) line += "(" + Parent()->Name + ")";
    Dest.Writeln(line + " // unit " + UnitName());
    if (Flags() & ifHasGuid) Dest.Writeln("['" + GUID() + "']");
    Dest.Writeln("end;");
}

void TUtInt64TypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Min value: " + IntToStr(static_cast<long long>(MinValue())));
    Dest.Writeln("Max value: " + IntToStr(static_cast<long long>(MaxValue())));
}

void TUtInt64TypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    Dest.Writeln(DeclarationHead() + IntToStr(static_cast<long long>(MinValue())) + " .. " +
                 IntToStr(static_cast<long long>(MaxValue())) + ";");
}

void TUtDynArrayTypeInfo::DescribeTo(IUtTypeTextWriter& Dest) const {
    TUtTypeInfo::DescribeTo(Dest);
    Dest.Writeln("Element size: " + IntToStr(ElementSize()));
    Dest.Writeln("Element type: " + NameOrUnknown(ElementType() ? ElementType()->Name : AnsiString()));
    Dest.Writeln(AnsiString("Elements need clean up: ") + (ElementsNeedCleanup() ? "True" : "False"));
    Dest.Writeln("Variant type: " + IntToStr(VarType()));
    Dest.Writeln("Unit name: " + UnitName());
}

void TUtDynArrayTypeInfo::DeclareTo(IUtTypeTextWriter& Dest) const {
    AnsiString element = "???";
    if (const TTypeInfo* e = ElementType()) {
        const bool anonymous = !e->Name.empty() && e->Name[0] == '.';
        element = anonymous ? InlineDeclaration(e) : NameOrUnknown(e->Name);
    }
    if (IsAnonymous()) Dest.Writeln("array of " + element);
    else Dest.Writeln(DeclarationHead() + "array of " + element + "; // Unit " + UnitName());
}

IUtTypeInfo TUtPropInfo::PropType() const { return propInfo_->PropType ? UtTypeInfo(propInfo_->PropType) : nullptr; }

TPropAccessKind TUtPropInfo::StoredType() const { return propInfo_->Stored ? propInfo_->StoredAccess : akConstant; }

const void* TUtPropInfo::ReaderValue() const {
    const TPropInfo& p = *propInfo_;
    if (p.GetOrd) return &p.GetOrd;
    if (p.GetSet) return &p.GetSet;
    if (p.GetFloat) return &p.GetFloat;
    if (p.GetStr) return &p.GetStr;
    if (p.GetObj) return &p.GetObj;
    if (p.GetMethod) return &p.GetMethod;
    if (p.GetVariant) return &p.GetVariant;
    return nullptr;
}

const void* TUtPropInfo::WriterValue() const {
    const TPropInfo& p = *propInfo_;
    if (p.SetOrd) return &p.SetOrd;
    if (p.SetSet) return &p.SetSet;
    if (p.SetFloat) return &p.SetFloat;
    if (p.SetStr) return &p.SetStr;
    if (p.SetObj) return &p.SetObj;
    if (p.SetMethod) return &p.SetMethod;
    if (p.SetVariant) return &p.SetVariant;
    return nullptr;
}

const void* TUtPropInfo::StoredValue() const { return propInfo_->Stored ? &propInfo_->Stored : nullptr; }

// ---------------------------------------------------------------------------
// Entry points

IUtTypeInfo UtTypeInfo(const TTypeInfo* TypeInfo) {
    if (!TypeInfo) throw EUtRTTIError("No type information.");
    switch (TypeInfo->Kind) {
        case tkInteger:
        case tkChar:
        case tkWChar: return std::make_shared<TUtOrdinalRangeTypeInfo>(TypeInfo);
        case tkEnumeration: return std::make_shared<TUtEnumerationTypeInfo>(TypeInfo);
        case tkSet: return std::make_shared<TUtSetTypeInfo>(TypeInfo);
        case tkFloat: return std::make_shared<TUtFloatTypeInfo>(TypeInfo);
        case tkString: return std::make_shared<TUtStringTypeInfo>(TypeInfo);
        case tkClass: return std::make_shared<TUtClassTypeInfo>(TypeInfo);
        case tkMethod: return std::make_shared<TUtEventTypeInfo>(TypeInfo);
        case tkInterface: return std::make_shared<TUtInterfaceTypeInfo>(TypeInfo);
        case tkInt64: return std::make_shared<TUtInt64TypeInfo>(TypeInfo);
        case tkDynArray: return std::make_shared<TUtDynArrayTypeInfo>(TypeInfo);
        default: return std::make_shared<TUtTypeInfo>(TypeInfo);
    }
}

namespace {

std::shared_ptr<TUtSetTypeInfo> SetWrapper(const TTypeInfo* TypeInfo) {
    auto set = std::dynamic_pointer_cast<TUtSetTypeInfo>(UtTypeInfo(TypeInfo));
    if (!set) throw EUtRTTIError(Format("'%s' is not a set type.", {TypeInfo->Name}));
    return set;
}

}  // namespace

AnsiString UtSetToStr(const TTypeInfo* TypeInfo, const TSetBits& Value, bool WantBrackets, bool WantRanges) {
    TStringList lines;
    return UtSetToStr(TypeInfo, Value, WantBrackets, WantRanges, &lines);
}

AnsiString UtSetToStr(const TTypeInfo* TypeInfo, const TSetBits& Value, bool WantBrackets, bool WantRanges,
                      TStrings* Strings) {
    const int first = Strings->Count();
    SetWrapper(TypeInfo)->SetToStrings(Value, WantRanges, Strings);
    AnsiString result;
    for (int i = first; i < Strings->Count(); ++i) result += (i == first ? "" : ", ") + Strings->Strings(i);
    return WantBrackets ? "[" + result + "]" : result;
}

void UtStrToSet(const TTypeInfo* TypeInfo, TSetBits& SetVar, const AnsiString& Value) {
    const auto set = SetWrapper(TypeInfo);
    TStringList items;
    StrToStrings(Value, ",", &items, true);
    if (items.Count() > 0 && !items.Strings(0).empty() && items.Strings(0)[0] == '[') {
        items.SetStrings(0, items.Strings(0).substr(1));
        const int last = items.Count() - 1;
        const AnsiString tail = items.Strings(last);
        items.SetStrings(last, tail.substr(0, tail.empty() ? 0 : tail.size() - 1));
    }
    set->StringsToSet(SetVar, &items);
}

// ---------------------------------------------------------------------------
// Generated type information

namespace {

struct GeneratedEntry {
    TTypeInfo* info;
    int refs;
};

class GeneratedRegistry {
public:
    ~GeneratedRegistry() {
        TList* list = entries.LockList();
        for (int i = 0; i < list->Count(); ++i) {
            auto* e = static_cast<GeneratedEntry*>(list->Items(i));
            delete e->info;
            delete e;
        }
        list->Clear();
        entries.UnlockList();
    }
    TThreadList entries;
};

GeneratedRegistry& Registry() {
    static GeneratedRegistry registry;
    return registry;
}

// The entry of Info in a locked list; nullptr when absent.
GeneratedEntry* FindEntry(TList* list, const TTypeInfo* Info) {
    for (int i = 0; i < list->Count(); ++i) {
        auto* e = static_cast<GeneratedEntry*>(list->Items(i));
        if (e->info == Info) return e;
    }
    return nullptr;
}

// Runs with the list locked (the lock is recursive).
void Release(TList* list, const TTypeInfo* Info) {
    GeneratedEntry* e = FindEntry(list, Info);
    if (!e || --e->refs > 0) return;
    list->Remove(e);
    TTypeInfo* info = e->info;
    delete e;
    const TTypeInfo* also = nullptr;
    if (info->Kind == tkSet) also = info->Data.CompType;
    else if (info->Kind == tkEnumeration && info->Data.BaseType != info) also = info->Data.BaseType;
    delete info;
    if (also) Release(list, also);
}

}  // namespace

void UtAddGeneratedTypeInfo(TTypeInfo* Info) {
    if (!Info) return;
    GeneratedRegistry& r = Registry();
    TList* list = r.entries.LockList();
    if (GeneratedEntry* e = FindEntry(list, Info)) ++e->refs;
    else list->Add(new GeneratedEntry{Info, 1});
    r.entries.UnlockList();
}

void UtAddRefGeneratedTypeInfo(const TTypeInfo* Info) {
    GeneratedRegistry& r = Registry();
    TList* list = r.entries.LockList();
    if (GeneratedEntry* e = FindEntry(list, Info)) ++e->refs;
    r.entries.UnlockList();
}

void UtReleaseGeneratedTypeInfo(const TTypeInfo* Info) {
    GeneratedRegistry& r = Registry();
    TList* list = r.entries.LockList();
    Release(list, Info);
    r.entries.UnlockList();
}

int UtGeneratedTypeInfoRefCount(const TTypeInfo* Info) {
    GeneratedRegistry& r = Registry();
    TList* list = r.entries.LockList();
    GeneratedEntry* e = FindEntry(list, Info);
    const int refs = e ? e->refs : 0;
    r.entries.UnlockList();
    return refs;
}
