#include "platform/rtti/Streaming.h"

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/classes/Strings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Extended.h"

namespace {

const char kSignature[4] = {'T', 'P', 'F', '0'};

bool IsDateType(const TTypeInfo* t) {
    return t == TypeInfoTDateTime() || t == TypeInfoTDate() || t == TypeInfoTTime();
}

bool IsIntegerTag(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64; }

}  // namespace

// Nesting of components and lists is bounded, so that a damaged or hostile
// stream cannot exhaust the stack.
class TReader::TDepth {
public:
    TDepth(int& depth, const TReader* reader) : depth_(depth) {
        if (++depth_ > kMaxDepth) {
            --depth_;
            reader->Error("Stream nesting too deep");
        }
    }
    ~TDepth() { --depth_; }
    TDepth(const TDepth&) = delete;
    TDepth& operator=(const TDepth&) = delete;

private:
    static constexpr int kMaxDepth = 200;
    int& depth_;
};

// ---------------------------------------------------------------------------
// TWriter

void TWriter::WriteValue(TValueType Value) {
    uint8_t b = Value;
    Write(&b, 1);
}

void TWriter::WriteInteger(int64_t Value) {
    uint8_t buf[9];
    int n;
    if (Value >= -128 && Value <= 127) {
        buf[0] = vaInt8;
        n = 1;
    } else if (Value >= -32768 && Value <= 32767) {
        buf[0] = vaInt16;
        n = 2;
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        buf[0] = vaInt32;
        n = 4;
    } else {
        buf[0] = vaInt64;
        n = 8;
    }
    uint64_t u = static_cast<uint64_t>(Value);
    for (int i = 0; i < n; ++i) buf[1 + i] = static_cast<uint8_t>(u >> (8 * i));
    Write(buf, 1 + n);
}

void TWriter::WriteFloat(long double Value) {
    uint8_t buf[11];
    buf[0] = vaExtended;
    ExtendedToBytes(Value, buf + 1);
    Write(buf, 11);
}

void TWriter::WriteSingle(float Value) {
    uint32_t u;
    std::memcpy(&u, &Value, 4);
    uint8_t buf[5] = {vaSingle};
    for (int i = 0; i < 4; ++i) buf[1 + i] = static_cast<uint8_t>(u >> (8 * i));
    Write(buf, 5);
}

void TWriter::WriteCurrency(long double Value) {
    uint64_t u = static_cast<uint64_t>(std::llround(Value * 10000.0L));
    uint8_t buf[9] = {vaCurrency};
    for (int i = 0; i < 8; ++i) buf[1 + i] = static_cast<uint8_t>(u >> (8 * i));
    Write(buf, 9);
}

void TWriter::WriteDate(double Value) {
    uint64_t u;
    std::memcpy(&u, &Value, 8);
    uint8_t buf[9] = {vaDate};
    for (int i = 0; i < 8; ++i) buf[1 + i] = static_cast<uint8_t>(u >> (8 * i));
    Write(buf, 9);
}

void TWriter::WriteString(const AnsiString& Value) {
    if (Value.size() <= 255) {
        WriteValue(vaString);
        WriteStr(Value);
        return;
    }
    WriteValue(vaLString);
    uint32_t n = static_cast<uint32_t>(Value.size());
    uint8_t len[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                      static_cast<uint8_t>(n >> 24)};
    Write(len, 4);
    Write(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteIdent(const AnsiString& Ident) {
    if (SameText(Ident, "False")) return WriteValue(vaFalse);
    if (SameText(Ident, "True")) return WriteValue(vaTrue);
    if (SameText(Ident, "nil")) return WriteValue(vaNil);
    WriteValue(vaIdent);
    WriteStr(Ident);
}

void TWriter::WriteStr(const AnsiString& Value) {
    if (Value.size() > 255) throw EWriteError("Name too long for the stream: " + Value.substr(0, 40) + "...");
    uint8_t n = static_cast<uint8_t>(Value.size());
    Write(&n, 1);
    Write(Value.data(), n);
}

void TWriter::WriteSet(const TTypeInfo* SetType, const TSetBits& Value) {
    WriteValue(vaSet);
    const TTypeInfo* comp = SetType->Data.CompType;
    for (int bit = 0; bit < 256; ++bit)
        if (TestSetBit(Value, bit)) WriteStr(GetEnumName(comp, SetValueOfBit(SetType, bit)));
    WriteStr(AnsiString());
}

void TWriter::WriteVariant(const Variant& Value) {
    switch (Value.VType()) {
    case varEmpty: return WriteValue(vaNil);
    case varNull: return WriteValue(vaNull);
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return WriteInteger(Value.AsInt64());
    case varSingle:
    case varDouble: return WriteFloat(Value.AsDouble());
    case varCurrency: return WriteCurrency(static_cast<long double>(Value.AsCurrency().Scaled) / 10000.0L);
    case varDate: return WriteDate(Value.AsDateTime());
    case varBoolean: return WriteBoolean(Value.AsBoolean());
    case varString:
    case varOleStr: return WriteString(Value.AsString());
    default: throw EWriteError("Variant of this type cannot be streamed");
    }
}

void TWriter::WriteSignature() { Write(kSignature, 4); }

void TWriter::WriteRootComponent(TComponent* Root) {
    root_ = Root;
    lookupRoot_ = Root;
    WriteSignature();
    WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
    const bool wasWriting = Component->InState(csWriting);
    Component->SetComponentStateBits(csWriting);
    TScopeGuard written([&] {
        if (!wasWriting) Component->ClearComponentStateBits(csWriting);
    });
    WriteStr(Component->ClassName());
    WriteStr(Component->Name());
    Component->WriteState(*this);
    {
        TValueRestorer<AnsiString> path(propPath_, AnsiString());
        WriteProperties(Component);
    }
    WriteListEnd();
    if (Component == root_)
        for (int i = 0; i < Component->ComponentCount(); ++i) WriteComponent(Component->Components(i));
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* Instance) {
    for (const TPropInfo* p : ClassInfoOf(Instance)->Props)
        if (IsStoredProp(Instance, p)) WriteProperty(Instance, p);
    Instance->DefineProperties(*this);
    if (auto* strings = dynamic_cast<TStrings*>(Instance)) {
        DefineProperty("Strings", nullptr,
                       [strings](TWriter& w) {
                           w.WriteListBegin();
                           for (int i = 0; i < strings->Count(); ++i) w.WriteString(strings->Strings(i));
                           w.WriteListEnd();
                       },
                       strings->Count() > 0);
    }
}

AnsiString TWriter::ReferenceName(TComponent* Component) const {
    TComponent* lookup = LookupRoot();
    if (Component == lookup || Component->Owner() == lookup || !Component->Owner()) return Component->Name();
    return Component->Owner()->Name() + "." + Component->Name();
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* p) {
    const TTypeKind kind = p->Kind();
    switch (kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration: {
        if (!p->Writable()) return;
        const int64_t v = GetOrdProp(Instance, p);
        if (p->Default != NoDefault && static_cast<int32_t>(v) == p->Default) return;
        WritePropName(p->Name);
        if (kind == tkEnumeration) {
            WriteIdent(GetEnumName(p->PropType, static_cast<int>(v)));
        } else if (kind == tkChar && v >= 0 && v <= 255) {
            WriteChar(static_cast<char>(v));
        } else {
            AnsiString ident;
            if (kind == tkInteger && TypedIntToIdent(p->PropType, static_cast<int32_t>(v), ident)) WriteIdent(ident);
            else WriteInteger(v);
        }
        return;
    }
    case tkSet: {
        if (!p->Writable()) return;
        const TSetBits bits = GetSetProp(Instance, p);
        if (p->HasDefaultBits && bits == p->DefaultBits) return;
        WritePropName(p->Name);
        WriteSet(p->PropType, bits);
        return;
    }
    case tkFloat: {
        if (!p->Writable()) return;
        const long double v = GetFloatProp(Instance, p);
        if (v == 0) return;
        WritePropName(p->Name);
        if (IsDateType(p->PropType)) WriteDate(static_cast<double>(v));
        else if (p->PropType->Data.FloatType == ftSingle) WriteSingle(static_cast<float>(v));
        else if (p->PropType->Data.FloatType == ftCurr) WriteCurrency(v);
        else WriteFloat(v);
        return;
    }
    case tkString:
    case tkLString:
    case tkWString: {
        if (!p->Writable()) return;
        const AnsiString v = GetStrProp(Instance, p);
        if (v.empty()) return;
        WritePropName(p->Name);
        WriteString(v);
        return;
    }
    case tkInt64: {
        if (!p->Writable()) return;
        const int64_t v = GetInt64Prop(Instance, p);
        if (v == 0) return;
        WritePropName(p->Name);
        WriteInteger(v);
        return;
    }
    case tkMethod: {
        if (!p->Writable()) return;
        const TMethod m = GetMethodProp(Instance, p);
        if (!m.Assigned()) return;
        WritePropName(p->Name);
        TComponent* lookup = LookupRoot();
        WriteIdent(lookup ? ClassInfoOf(lookup)->HandlerName(lookup, m) : AnsiString());
        return;
    }
    case tkClass: {
        TObject* obj = GetObjectProp(Instance, p);
        if (!obj) return;
        const TClassInfo* cls = p->PropType->Data.ClassType;
        auto* component = dynamic_cast<TComponent*>(obj);
        if (component && cls && cls->InheritsFrom(ClassInfoOf<TComponent>())) {
            if (!p->Writable()) return;
            WritePropName(p->Name);
            WriteIdent(ReferenceName(component));
        } else if (auto* collection = dynamic_cast<TCollection*>(obj)) {
            WritePropName(p->Name);
            WriteCollection(collection);
        } else if (auto* persistent = dynamic_cast<TPersistent*>(obj)) {
            TValueRestorer<AnsiString> path(propPath_, propPath_ + p->Name + ".");
            WriteProperties(persistent);
        }
        return;
    }
    case tkVariant: {
        if (!p->Writable()) return;
        const Variant v = GetVariantProp(Instance, p);
        if (v.IsEmpty()) return;
        WritePropName(p->Name);
        WriteVariant(v);
        return;
    }
    default:
        return;  // arrays, records and interfaces are not streamed
    }
}

void TWriter::WriteCollection(TCollection* Value) {
    WriteValue(vaCollection);
    TValueRestorer<AnsiString> path(propPath_, AnsiString());
    for (int i = 0; i < Value->Count(); ++i) {
        WriteListBegin();
        WriteProperties(Value->Items(i));
        WriteListEnd();
    }
    WriteListEnd();
}

void TWriter::DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropName(Name);
    WriteData(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropName(Name);
    TMemoryStream data;
    WriteData(data);
    WriteValue(vaBinary);
    uint32_t n = static_cast<uint32_t>(data.Size());
    uint8_t len[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                      static_cast<uint8_t>(n >> 24)};
    Write(len, 4);
    if (n) Write(data.Memory(), n);
}

// ---------------------------------------------------------------------------
// TReader: primitives

AnsiString TReader::Context() const {
    if (!current_ && pathStack_.empty()) return AnsiString();
    AnsiString where = current_ ? (current_->Name().empty() ? AnsiString(current_->ClassName()) : current_->Name())
                                : AnsiString();
    for (const AnsiString& p : pathStack_) where += (where.empty() ? "" : ".") + p;
    return "Error reading " + where + ": ";
}

void TReader::Error(const AnsiString& Message) const { throw EReadError(Context() + Message); }

void TReader::Read(void* Buffer, int64_t Count) {
    if (Count <= 0) return;
    if (stream_->Read(Buffer, Count) != Count) Error("Stream read error");
}

uint8_t TReader::ReadByte() {
    uint8_t b;
    Read(&b, 1);
    return b;
}

TValueType TReader::ReadValue() {
    uint8_t b = ReadByte();
    if (b > vaUTF8String) Error("Invalid stream format");
    return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
    TValueType t = ReadValue();
    stream_->Seek(-1, soCurrent);
    return t;
}

bool TReader::EndOfList() {
    uint8_t b = ReadByte();
    stream_->Seek(-1, soCurrent);
    return b == vaNull;
}

void TReader::CheckValue(TValueType Value) {
    if (ReadValue() != Value) Error("Invalid property value");
}

bool TReader::ReadBoolean() {
    TValueType t = ReadValue();
    if (t != vaTrue && t != vaFalse) Error("Invalid property value");
    return t == vaTrue;
}

int64_t TReader::ReadInt64() {
    TValueType t = ReadValue();
    int n = t == vaInt8 ? 1 : t == vaInt16 ? 2 : t == vaInt32 ? 4 : t == vaInt64 ? 8 : 0;
    if (!n) Error("Invalid property value");
    uint8_t buf[8];
    Read(buf, n);
    uint64_t u = 0;
    for (int i = 0; i < n; ++i) u |= static_cast<uint64_t>(buf[i]) << (8 * i);
    if (n < 8 && (buf[n - 1] & 0x80)) u |= ~uint64_t(0) << (8 * n);  // sign-extend
    return static_cast<int64_t>(u);
}

int32_t TReader::ReadInteger() {
    if (NextValue() == vaInt64) Error("Invalid property value");
    return static_cast<int32_t>(ReadInt64());
}

long double TReader::ReadFloat() {
    TValueType t = NextValue();
    if (IsIntegerTag(t)) return static_cast<long double>(ReadInt64());
    if (t == vaSingle) return ReadSingle();
    if (t == vaCurrency) return ReadCurrency();
    if (t == vaDate) return ReadDate();
    CheckValue(vaExtended);
    uint8_t buf[10];
    Read(buf, 10);
    return BytesToExtended(buf);
}

float TReader::ReadSingle() {
    CheckValue(vaSingle);
    uint8_t buf[4];
    Read(buf, 4);
    uint32_t u = buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<uint32_t>(buf[3]) << 24);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

long double TReader::ReadCurrency() {
    CheckValue(vaCurrency);
    uint8_t buf[8];
    Read(buf, 8);
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(buf[i]) << (8 * i);
    return static_cast<long double>(static_cast<int64_t>(u)) / 10000.0L;
}

double TReader::ReadDate() {
    CheckValue(vaDate);
    uint8_t buf[8];
    Read(buf, 8);
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(buf[i]) << (8 * i);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

char TReader::ReadChar() {
    if (IsIntegerTag(NextValue())) return static_cast<char>(ReadInteger());
    AnsiString s = ReadString();
    if (s.size() != 1) Error("Invalid property value");
    return s[0];
}

AnsiString TReader::ReadStr() {
    uint8_t n = ReadByte();
    AnsiString s(n, '\0');
    Read(s.data(), n);
    return s;
}

AnsiString TReader::ReadString() {
    TValueType t = ReadValue();
    if (t == vaString) return ReadStr();
    if (t != vaLString && t != vaWString && t != vaUTF8String) Error("Invalid property value");
    uint8_t len[4];
    Read(len, 4);
    uint32_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24);
    // A length beyond what is left is damage, not a reason to allocate.
    const int64_t left = stream_->Size() - stream_->Position();
    if (static_cast<int64_t>(n) * (t == vaWString ? 2 : 1) > left) Error("Stream read error");
    if (t == vaWString) {
        WideString w(n, u'\0');
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t c[2];
            Read(c, 2);
            w[i] = static_cast<char16_t>(c[0] | (c[1] << 8));
        }
        return WideToAnsi(w);
    }
    AnsiString s(n, '\0');
    Read(s.data(), n);
    return t == vaUTF8String ? Utf8ToAnsi(s) : s;
}

AnsiString TReader::ReadIdent() {
    switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: Error("Invalid property value");
    }
}

TSetBits TReader::ReadSet(const TTypeInfo* SetType) {
    CheckValue(vaSet);
    TSetBits bits{};
    const TTypeInfo* comp = SetType->Data.CompType;
    for (;;) {
        AnsiString name = ReadStr();
        if (name.empty()) break;
        int v = GetEnumValue(comp, name);
        int bit = v < 0 && comp->Kind == tkEnumeration ? -1 : SetBitOfValue(SetType, v);
        if (bit < 0) Error("Invalid property value: " + name);
        IncludeSetBit(bits, bit);
    }
    return bits;
}

Variant TReader::ReadVariant() {
    const TValueType t = NextValue();
    switch (t) {
    case vaNil: ReadValue(); return Variant();
    case vaNull: ReadValue(); return Null();
    case vaInt8:
    case vaInt16:
    case vaInt32: return Variant(ReadInteger());
    case vaInt64: return Variant(static_cast<long long>(ReadInt64()));
    case vaExtended: return Variant(static_cast<double>(ReadFloat()));
    case vaSingle: return Variant(ReadSingle());
    case vaCurrency: return Variant(Currency::FromScaled(std::llround(ReadCurrency() * 10000.0L)));
    case vaDate: return VarFromDateTime(ReadDate());
    case vaFalse:
    case vaTrue: return Variant(ReadBoolean());
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String: return Variant(ReadString());
    default: Error("Invalid property value");
    }
}

void TReader::SkipValue() {
    TDepth depth(depth_, this);
    auto skip = [this](int64_t n) {
        if (n > stream_->Size() - stream_->Position()) Error("Stream read error");
        stream_->Seek(n, soCurrent);
    };
    auto int32 = [this]() {
        uint8_t len[4];
        Read(len, 4);
        return static_cast<int64_t>(len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24));
    };
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: return;
    case vaList:
        while (!EndOfList()) SkipValue();
        ReadListEnd();
        return;
    case vaInt8: return skip(1);
    case vaInt16: return skip(2);
    case vaInt32:
    case vaSingle: return skip(4);
    case vaInt64:
    case vaCurrency:
    case vaDate: return skip(8);
    case vaExtended: return skip(10);
    case vaString:
    case vaIdent: return skip(ReadByte());
    case vaBinary:
    case vaLString:
    case vaUTF8String: return skip(int32());
    case vaWString: return skip(int32() * 2);
    case vaSet:
        while (!ReadStr().empty()) {
        }
        return;
    case vaCollection:
        while (!EndOfList()) {
            if (IsIntegerTag(NextValue())) SkipValue();
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
}

void TReader::ReadSignature() {
    char sig[4];
    if (stream_->Read(sig, 4) != 4 || std::memcmp(sig, kSignature, 4) != 0) throw EReadError("Invalid stream format");
}

// ---------------------------------------------------------------------------
// TReader: components and properties

TComponent* TReader::ReadRootComponent(TComponent* Root) {
    ReadSignature();
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();
    bool createdRoot = false;
    if (!Root) {
        const TClassInfo* cls = FindClass(className);
        if (!cls->InheritsFrom(ClassInfoOf<TComponent>())) throw EReadError(className + " is not a component class");
        Root = dynamic_cast<TComponent*>(cls->Create(nullptr));
        createdRoot = true;
    } else if (!ClassInfoOf(Root)->InheritsFrom(className)) {
        // Only the class itself, or a descendant built from its ancestor's definition.
        throw EReadError("Invalid stream format: a " + className + " where a " + AnsiString(Root->ClassName()) +
                         " was expected");
    }
    root_ = Root;
    lookupRoot_ = Root;
    parent_ = nullptr;
    current_ = Root;
    loaded_.clear();
    collectionItems_ = 0;
    created_.clear();
    boundFields_.clear();
    fixups_.clear();
    Root->SetComponentStateBits(csLoading | csReading);
    try {
        if (!name.empty() && !SameText(name, Root->Name())) {
            // A second instance of a form gets Name_1, Name_2, ... beside the first.
            AnsiString unique = name;
            TComponent* owner = Root->Owner();
            for (int i = 1; owner && owner->FindComponent(unique) && owner->FindComponent(unique) != Root; ++i)
                unique = name + "_" + std::to_string(i);
            try {
                Root->SetName(unique);
            } catch (const Exception& e) {
                Error(e.Message());  // a name the stream should not hold
            }
        }
        loaded_.push_back(Root);
        ReadComponentData(Root);
        ResolveFixups();
    } catch (...) {
        for (const TFieldInfo* f : boundFields_) f->Set(Root, nullptr);
        boundFields_.clear();
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) FreeObject(*it);
        created_.clear();
        loaded_.clear();
        Root->ClearComponentStateBits(csLoading | csReading);
        if (createdRoot) FreeObject(Root);
        throw;
    }
    std::vector<TComponent*> loaded = std::move(loaded_);
    loaded_.clear();
    created_.clear();
    boundFields_.clear();
    current_ = nullptr;
    for (TComponent* c : loaded) c->ClearComponentStateBits(csReading);
    for (TComponent* c : loaded) c->Loaded();
    return Root;
}

void TReader::ReadComponentData(TComponent* Component) {
    TDepth depth(depth_, this);
    TValueRestorer<TComponent*> current(current_, Component);
    while (!EndOfList()) ReadProperty(Component);
    ReadListEnd();
    if (Component == root_ && !rootTakesChildren_ && !EndOfList()) Error("Invalid stream format");
    TValueRestorer<TComponent*> parent(parent_, Component);
    while (!EndOfList()) ReadChildComponent(Component);
    ReadListEnd();
}

TComponent* TReader::ReadChildComponent(TComponent* Parent) {
    propertyStart_ = stream_->Position();
    uint8_t prefix = ReadByte();  // a flags byte, or the length of the class name
    stream_->Seek(-1, soCurrent);
    if ((prefix & 0xF0) == 0xF0) {
        // Flags of inherited forms and child positions: read past them.
        ReadByte();
        if (prefix & 0x02) ReadInteger();
    }
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();
    const TClassInfo* cls = FindClass(className);
    if (!cls->InheritsFrom(ClassInfoOf<TComponent>())) Error(className + " is not a component class");
    TComponent* c = dynamic_cast<TComponent*>(cls->Create(root_));
    if (!c) Error("Cannot create a " + className);
    created_.push_back(c);
    c->SetComponentStateBits(csLoading | csReading);
    try {
        c->SetName(name);
    } catch (const Exception& e) {
        Error(e.Message());
    }
    if (const TFieldInfo* f = ClassInfoOf(root_)->FindField(name)) {
        if (!f->Set(root_, c)) Error("Field " + name + " of " + root_->ClassName() + " cannot hold a " + className);
        boundFields_.push_back(f);
    }
    c->SetParentComponent(Parent);
    loaded_.push_back(c);
    ReadComponentData(c);
    return c;
}

void TReader::ReadProperty(TPersistent* Instance) {
    propertyStart_ = stream_->Position();
    const AnsiString path = ReadStr();
    pathStack_.push_back(path);
    TScopeGuard pop([this] { pathStack_.pop_back(); });
    try {
        TPersistent* obj = Instance;
        size_t start = 0;
        for (size_t dot; (dot = path.find('.', start)) != AnsiString::npos; start = dot + 1) {
            const AnsiString part = path.substr(start, dot - start);
            const TPropInfo* p = ClassInfoOf(obj)->FindProp(part);
            if (!p || p->Kind() != tkClass) Error("Property " + part + " does not exist");
            auto* sub = dynamic_cast<TPersistent*>(GetObjectProp(obj, p));
            if (!sub) Error("Property " + part + " has no object to read into");
            obj = sub;
        }
        const AnsiString last = path.substr(start);
        if (const TPropInfo* p = ClassInfoOf(obj)->FindProp(last)) {
            ReadPropValue(obj, p);
            return;
        }
        definedName_ = last;
        definedFound_ = false;
        obj->DefineProperties(*this);
        if (!definedFound_)
            if (auto* strings = dynamic_cast<TStrings*>(obj); strings && SameText(last, "Strings")) {
                ReadStringsData(strings);
                definedFound_ = true;
            }
        if (!definedFound_) Error("Property " + last + " does not exist");
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Error(e.Message());  // a setter's own error, with where it happened
    }
}

void TReader::ReadStringsData(TStrings* Strings) {
    ReadListBegin();
    TUpdateLock lock(Strings);
    Strings->Clear();
    while (!EndOfList()) Strings->Add(ReadString());
    ReadListEnd();
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* p) {
    const TTypeKind kind = p->Kind();
    if (!p->Writable() && kind != tkClass) Error("Property " + p->Name + " is read-only");
    switch (kind) {
    case tkInteger: {
        if (NextValue() == vaIdent) {
            const AnsiString ident = ReadIdent();
            int32_t v;
            if (!TypedIdentToInt(p->PropType, ident, v)) Error("Invalid property value: " + ident);
            SetOrdProp(Instance, p, v);
        } else {
            SetOrdProp(Instance, p, ReadInt64());
        }
        return;
    }
    case tkChar:
    case tkWChar: SetOrdProp(Instance, p, static_cast<unsigned char>(ReadChar())); return;
    case tkEnumeration: {
        const AnsiString ident = ReadIdent();
        const int v = GetEnumValue(p->PropType, ident);
        if (v < 0 && !IsBooleanType(p->PropType)) Error("Invalid property value: " + ident);
        SetOrdProp(Instance, p, v);
        return;
    }
    case tkSet: SetSetProp(Instance, p, ReadSet(p->PropType)); return;
    case tkFloat: SetFloatProp(Instance, p, ReadFloat()); return;
    case tkString:
    case tkLString:
    case tkWString: SetStrProp(Instance, p, ReadString()); return;
    case tkInt64: SetInt64Prop(Instance, p, ReadInt64()); return;
    case tkMethod: {
        if (NextValue() == vaNil) {
            ReadValue();
            SetMethodProp(Instance, p, TMethod());
            return;
        }
        const AnsiString name = ReadIdent();
        if (name.empty()) {
            SetMethodProp(Instance, p, TMethod());
            return;
        }
        TComponent* lookup = LookupRoot();
        const TClassInfo* rootClass = lookup ? ClassInfoOf(lookup) : nullptr;
        const THandlerInfo* h = rootClass ? rootClass->FindHandler(name) : nullptr;
        if (!h)
            Error("Event handler '" + name + "' not found in " + (rootClass ? rootClass->Name : AnsiString("the root")));
        if (p->PropType->Data.EventType && *h->EventType != *p->PropType->Data.EventType)
            Error("Event handler '" + name + "' does not fit " + p->Name);
        SetMethodProp(Instance, p, h->Bind(lookup));
        return;
    }
    case tkClass: {
        const TValueType next = NextValue();
        if (next == vaNil) {
            ReadValue();
            if (p->Writable()) SetObjectProp(Instance, p, nullptr);
            return;
        }
        if (next == vaCollection) {
            ReadValue();
            auto* collection = dynamic_cast<TCollection*>(GetObjectProp(Instance, p));
            if (!collection) Error("Property " + p->Name + " is not a collection");
            ReadCollection(collection);
            return;
        }
        const TClassInfo* cls = p->PropType->Data.ClassType;
        if (next == vaIdent && cls && cls->InheritsFrom(ClassInfoOf<TComponent>()) && p->Writable()) {
            fixups_.push_back({Instance, p, ReadIdent(), Context(), propertyStart_});
            return;
        }
        Error("Invalid property value");
    }
    case tkVariant: SetVariantProp(Instance, p, ReadVariant()); return;
    default: Error("Property " + p->Name + " cannot be read from a stream");
    }
}

void TReader::ReadCollection(TCollection* Collection) {
    TDepth depth(depth_, this);
    TUpdateLock lock(Collection);
    Collection->Clear();
    while (!EndOfList()) {
        if (IsIntegerTag(NextValue())) ReadInt64();  // an item's position, which order already gives
        if (maxCollectionItems_ >= 0 && ++collectionItems_ > maxCollectionItems_) Error("Too many items");
        TCollectionItem* item = Collection->Add();
        ReadListBegin();
        while (!EndOfList()) ReadProperty(item);
        ReadListEnd();
    }
    ReadListEnd();
}

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool) {
    if (definedFound_ || !ReadData || !SameText(Name, definedName_)) return;
    definedFound_ = true;
    ReadData(*this);
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc, bool) {
    if (definedFound_ || !ReadData || !SameText(Name, definedName_)) return;
    definedFound_ = true;
    CheckValue(vaBinary);
    uint8_t len[4];
    Read(len, 4);
    const int64_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24);
    if (n > stream_->Size() - stream_->Position()) Error("Stream read error");
    TMemoryStream data;
    data.SetSize(n);
    Read(data.Memory(), n);
    data.SetPosition(0);
    ReadData(data);
}

TComponent* TReader::FindReference(const AnsiString& Name) const {
    const size_t dot = Name.find('.');
    if (dot == AnsiString::npos) {
        if (SameText(Name, root_->Name())) return root_;
        if (TComponent* c = root_->FindComponent(Name)) return c;
        return FindGlobalComponent(Name);
    }
    const AnsiString ownerName = Name.substr(0, dot);
    TComponent* owner = SameText(ownerName, root_->Name()) ? root_ : FindGlobalComponent(ownerName);
    return owner ? owner->FindComponent(Name.substr(dot + 1)) : nullptr;
}

void TReader::ResolveFixups() {
    std::vector<Fixup> fixups = std::move(fixups_);
    fixups_.clear();
    for (const Fixup& f : fixups) {
        TComponent* c = FindReference(f.name);
        propertyStart_ = f.position;
        if (!c) {
            // A component of another form that does not exist (yet) stays nil,
            // as the framework leaves such a reference waiting; a name that
            // should be found here is an error.
            const size_t dot = f.name.find('.');
            const bool otherForm = dot != AnsiString::npos && !SameText(f.name.substr(0, dot), root_->Name()) &&
                                   !FindGlobalComponent(f.name.substr(0, dot));
            if (strictReferences_ && !otherForm) throw EReadError(f.context + "Component '" + f.name + "' not found");
            continue;
        }
        try {
            SetObjectProp(f.instance, f.prop, c);
        } catch (const Exception& e) {
            throw EReadError(f.context + "Component '" + f.name + "' does not fit " + f.prop->Name);
        }
    }
}

// ---------------------------------------------------------------------------

void WriteComponent(TStream* Stream, TComponent* Instance) {
    TWriter writer(Stream);
    writer.WriteRootComponent(Instance);
}

TComponent* ReadComponent(TStream* Stream, TComponent* Instance) {
    TReader reader(Stream);
    return reader.ReadRootComponent(Instance);
}

namespace {

struct GlobalFinders {
    std::mutex mutex;
    int next = 1;
    std::map<int, TFindGlobalComponent> finders;
};

GlobalFinders& Finders() {
    static GlobalFinders* f = new GlobalFinders;
    return *f;
}

}  // namespace

int RegisterFindGlobalComponent(TFindGlobalComponent Finder) {
    GlobalFinders& f = Finders();
    std::lock_guard<std::mutex> lock(f.mutex);
    const int handle = f.next++;
    f.finders.emplace(handle, std::move(Finder));
    return handle;
}

void UnRegisterFindGlobalComponent(int Handle) {
    GlobalFinders& f = Finders();
    std::lock_guard<std::mutex> lock(f.mutex);
    f.finders.erase(Handle);
}

TComponent* FindGlobalComponent(const AnsiString& Name) {
    std::vector<TFindGlobalComponent> finders;
    {
        GlobalFinders& f = Finders();
        std::lock_guard<std::mutex> lock(f.mutex);
        for (auto& [handle, finder] : f.finders) finders.push_back(finder);
    }
    for (const auto& finder : finders)
        if (TComponent* c = finder(Name)) return c;
    return nullptr;
}
