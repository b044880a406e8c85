#include "storage/StAppStorage.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/classes/IntegerIdents.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"
#include "storage/UtMime.h"
#include "storage/UtRTTI.h"
#include "storage/UtSysInfo.h"
#include "text/UtFileUtils.h"

TESK_PUBLISHED(TStCustomAppStorageOptions) {
    Property("BooleanStringTrueValues", &T::BooleanStringTrueValues, &T::SetBooleanStringTrueValues);
    Property("BooleanStringFalseValues", &T::BooleanStringFalseValues, &T::SetBooleanStringFalseValues);
    Property("BooleanAsString", &T::BooleanAsString, &T::SetBooleanAsString).Default(true);
    Property("EnumerationAsString", &T::EnumerationAsString, &T::EnumerationAsString).Default(true);
    Property("TypedIntegerAsString", &T::TypedIntegerAsString, &T::TypedIntegerAsString).Default(true);
    Property("SetAsString", &T::SetAsString, &T::SetAsString).Default(false);
    Property("DateTimeAsString", &T::DateTimeAsString, &T::DateTimeAsString).Default(true);
    Property("FloatAsString", &T::FloatAsString, &T::FloatAsString).Default(false);
    Property("DefaultIfReadConvertError", &T::DefaultIfReadConvertError, &T::DefaultIfReadConvertError)
        .Default(false);
    Property("DefaultIfValueNotExists", &T::DefaultIfValueNotExists, &T::DefaultIfValueNotExists).Default(true);
}

TESK_PUBLISHED(TStAppStorageOptions) {}

TESK_PUBLISHED(TStAppSubStorage) {
    Property("RootPath", &T::RootPath, &T::SetRootPath);
    Property("AppStorage", &T::AppStorage, &T::SetAppStorage);
}

TESK_PUBLISHED(TStAppSubStorages) {}

TESK_PUBLISHED(TStCustomAppStorage) {
    Property("StorageOptions", &T::StorageOptions, &T::SetStorageOptions);
    Property("OnTranslatePropertyName", &T::OnTranslatePropertyName, &T::OnTranslatePropertyName);
    Property("OnEncryptPropertyValue", &T::OnEncryptPropertyValue, &T::OnEncryptPropertyValue);
    Property("OnDecryptPropertyValue", &T::OnDecryptPropertyValue, &T::OnDecryptPropertyValue);
}

TESK_PUBLISHED(TStCustomAppMemoryFileStorage) {}

namespace {

// The first word of a comma text, blanks trimmed.
AnsiString FirstWord(const AnsiString& List) {
    size_t comma = List.find(',');
    return Trim(comma == AnsiString::npos ? List : List.substr(0, comma));
}

bool InWordList(const AnsiString& List, const AnsiString& Value) {
    TStringList words;
    words.SetCommaText(List);
    for (int i = 0; i < words.Count(); ++i)
        if (AnsiSameText(words[i], Value)) return true;
    return false;
}

// A path below Path (which starts with "\") for the "Int" layer.
AnsiString SubPath(const AnsiString& Path, const AnsiString& Name) {
    return "\\" + TStCustomAppStorage::ConcatPaths({Path, Name});
}

bool IsBooleanLike(const TTypeInfo* TypeInfo) {
    if (IsBooleanType(TypeInfo)) return true;
    return TypeInfo->Kind == tkEnumeration && GetTypeData(TypeInfo)->MinValue < 0;
}

// The elements of a set's base type.
struct TSetElements {
    const TTypeInfo* base = nullptr;
    int min = 0, max = -1;
};

TSetElements SetElementsOf(const TTypeInfo* SetType) {
    TSetElements e;
    const TTypeInfo* comp = GetTypeData(SetType)->CompType;
    if (!comp) throw EStkAppStorageError("Unknown base type for given set");
    switch (comp->Kind) {
        case tkEnumeration:
        case tkChar:
        case tkWChar:
        case tkInteger: break;
        default: throw EStkAppStorageError("Unknown base type for given set");
    }
    e.base = comp;
    e.min = GetTypeData(comp)->MinValue;
    e.max = GetTypeData(comp)->MaxValue;
    return e;
}

const char* const kNotKnown = " #!@not known@!# ";

TStStorageErrorReporter& ErrorReporter() {
    static TStStorageErrorReporter reporter = nullptr;
    return reporter;
}

}  // namespace

void SetStorageErrorReporter(TStStorageErrorReporter Reporter) { ErrorReporter() = Reporter; }

void ReportStorageError(TObject* Sender) {
    if (ErrorReporter()) {
        ErrorReporter()(Sender);
        return;
    }
    try {
        throw;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
    } catch (...) {
    }
}

// ---------------------------------------------------------------------------
// Options

TStCustomAppStorageOptions::TStCustomAppStorageOptions() = default;

void TStCustomAppStorageOptions::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TStCustomAppStorageOptions*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    trueValues_ = s->trueValues_;
    falseValues_ = s->falseValues_;
    booleanAsString_ = s->booleanAsString_;
    EnumerationAsString = s->EnumerationAsString;
    TypedIntegerAsString = s->TypedIntegerAsString;
    SetAsString = s->SetAsString;
    DateTimeAsString = s->DateTimeAsString;
    FloatAsString = s->FloatAsString;
    DefaultIfReadConvertError = s->DefaultIfReadConvertError;
    DefaultIfValueNotExists = s->DefaultIfValueNotExists;
}

void TStCustomAppStorageOptions::SetBooleanStringTrueValues(const AnsiString& Value) {
    trueValues_ = Value;
    if (FirstWord(Value).empty()) booleanAsString_ = false;
}

void TStCustomAppStorageOptions::SetBooleanStringFalseValues(const AnsiString& Value) {
    falseValues_ = Value;
    if (FirstWord(Value).empty()) booleanAsString_ = false;
}

void TStCustomAppStorageOptions::SetBooleanAsString(bool Value) {
    booleanAsString_ = Value && !DefaultTrueString().empty() && !DefaultFalseString().empty();
}

AnsiString TStCustomAppStorageOptions::DefaultTrueString() const { return FirstWord(trueValues_); }
AnsiString TStCustomAppStorageOptions::DefaultFalseString() const { return FirstWord(falseValues_); }

bool TStCustomAppStorageOptions::IsValueTrueString(const AnsiString& Value) const {
    return InWordList(trueValues_, Value);
}

bool TStCustomAppStorageOptions::IsValueFalseString(const AnsiString& Value) const {
    return InWordList(falseValues_, Value);
}

// ---------------------------------------------------------------------------
// Sub-storages

TStCustomAppStorage* TStAppSubStorage::OwnerStore() const {
    auto* list = dynamic_cast<TStAppSubStorages*>(Collection());
    return list ? list->Store() : nullptr;
}

void TStAppSubStorage::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TStAppSubStorage*>(Source)) {
        SetRootPath(s->rootPath_);
        SetAppStorage(s->appStorage_);
        return;
    }
    TCollectionItem::Assign(Source);
}

void TStAppSubStorage::SetAppStorage(TStCustomAppStorage* Value) {
    TStCustomAppStorage* owner = OwnerStore();
    if (Value && owner && (Value == owner || Value->HasSubStorage(owner)))
        throw EStkAppStorageError("Circular reference of storages");
    if (appStorage_ && owner) appStorage_->RemoveFreeNotification(owner);
    appStorage_ = Value;
    if (appStorage_ && owner) appStorage_->FreeNotification(owner);
}

void TStAppSubStorage::SetRootPath(const AnsiString& Value) {
    AnsiString path = TStCustomAppStorage::ConcatPaths({Value});
    auto* list = dynamic_cast<TStAppSubStorages*>(Collection());
    if (list && !list->RootPathIsUnique(path, this))
        throw EStkAppStorageError(Format("'%s' is not a unique root path", {path}));
    rootPath_ = path;
}

AnsiString TStAppSubStorage::GetDisplayName() const {
    return rootPath_.empty() ? TCollectionItem::GetDisplayName() : rootPath_;
}

TStAppSubStorages::TStAppSubStorages(TStCustomAppStorage* AOwner)
    : TOwnedCollection(AOwner, ItemClassOf<TStAppSubStorage>), store_(AOwner) {}

TStAppSubStorage* TStAppSubStorages::MatchingStorage(const AnsiString& Path) const {
    TStAppSubStorage* best = nullptr;
    const AnsiString upper = AnsiUpperCase(Path);
    for (int i = 0; i < Count(); ++i) {
        TStAppSubStorage* s = Items(i);
        if (s->RootPath().empty()) continue;
        const AnsiString root = AnsiUpperCase("\\" + s->RootPath() + "\\");
        if (upper.compare(0, root.size(), root) == 0 && (!best || s->RootPath().size() > best->RootPath().size()))
            best = s;
    }
    return best;
}

bool TStAppSubStorages::RootPathIsUnique(const AnsiString& RootPath, const TStAppSubStorage* Ignore) const {
    if (RootPath.empty()) return true;
    const AnsiString mine = AnsiUpperCase(RootPath + "\\");
    for (int i = 0; i < Count(); ++i) {
        TStAppSubStorage* s = Items(i);
        if (s == Ignore || s->RootPath().empty()) continue;
        const AnsiString other = AnsiUpperCase(s->RootPath() + "\\");
        // Equal, or one inside the other.
        if (mine.compare(0, other.size(), other) == 0 || other.compare(0, mine.size(), mine) == 0) return false;
    }
    return true;
}

void TStAppSubStorages::Delete(TStCustomAppStorage* AppStorage) {
    for (int i = Count() - 1; i >= 0; --i)
        if (Items(i)->AppStorage() == AppStorage) TCollection::Delete(i);
}

// ---------------------------------------------------------------------------
// Property engines

TStAppStoragePropertyEngineList::~TStAppStoragePropertyEngineList() {
    for (auto* e : engines_) delete e;
}

void TStAppStoragePropertyEngineList::RegisterEngine(TStAppStoragePropertyBaseEngine* Engine) {
    if (Engine) engines_.push_back(Engine);
}

void TStAppStoragePropertyEngineList::UnregisterEngine(TStAppStoragePropertyBaseEngine* Engine) {
    for (auto it = engines_.begin(); it != engines_.end(); ++it)
        if (*it == Engine) {
            delete *it;
            engines_.erase(it);
            return;
        }
}

TStAppStoragePropertyBaseEngine* TStAppStoragePropertyEngineList::EngineFor(TObject* AObject,
                                                                           TObject* AProperty) const {
    for (auto* e : engines_)
        if (e->Supports(AObject, AProperty)) return e;
    return nullptr;
}

TStAppStoragePropertyEngineList& RegisteredAppStoragePropertyEngines() {
    static TStAppStoragePropertyEngineList list;
    return list;
}

// ---------------------------------------------------------------------------
// The store: construction, paths

TStCustomAppStorage::TStCustomAppStorage(TComponent* AOwner)
    : TStComponent(AOwner), storageOptions_(new TStAppStorageOptions), subStorages_(new TStAppSubStorages(this)) {}

TStCustomAppStorage::~TStCustomAppStorage() {
    delete subStorages_;
    delete storageOptions_;
}

void TStCustomAppStorage::BeforeDestruction() {
    // The file is written while the store is still whole; destruction goes on
    // whatever the file system says.
    if (!InState(csDesigning) && FlushOnDestroyNeeded()) {
        try {
            Flush();
        } catch (...) {
        }
    }
    TStComponent::BeforeDestruction();
}

void TStCustomAppStorage::Loaded() {
    TStComponent::Loaded();
    if (!IsUpdating()) Reload();
}

void TStCustomAppStorage::ReplaceStorageOptions(TStCustomAppStorageOptions* Options) {
    delete storageOptions_;
    storageOptions_ = Options;
}

void TStCustomAppStorage::SetStorageOptions(TStCustomAppStorageOptions* Value) {
    if (Value && Value != storageOptions_) storageOptions_->Assign(Value);
}

void TStCustomAppStorage::SetSubStorages(TStAppSubStorages* Value) {
    if (Value && Value != subStorages_) subStorages_->Assign(Value);
}

void TStCustomAppStorage::Notification(TComponent* AComponent, TOperation Operation) {
    TStComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && subStorages_)
        if (auto* store = dynamic_cast<TStCustomAppStorage*>(AComponent)) subStorages_->Delete(store);
}

bool TStCustomAppStorage::HasSubStorage(const TStCustomAppStorage* Store) const {
    for (int i = 0; i < subStorages_->Count(); ++i) {
        TStCustomAppStorage* s = subStorages_->Items(i)->AppStorage();
        if (s && (s == Store || s->HasSubStorage(Store))) return true;
    }
    return false;
}

bool TStCustomAppStorage::ReadOnly() const {
    if (InState(csDesigning)) return readOnly_;
    return readOnly_ || GetPhysicalReadOnly();
}

void TStCustomAppStorage::BeginUpdate() { ++updateCount_; }

void TStCustomAppStorage::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
}

void TStCustomAppStorage::BeginBatch() {
    if (ReloadNeeded()) Reload();
    BeginUpdate();
}

void TStCustomAppStorage::EndBatch(bool Written) {
    EndUpdate();
    if (Written && FlushNeeded()) Flush();
}

AnsiString TStCustomAppStorage::ConcatPaths(std::initializer_list<AnsiString> Paths) {
    return ConcatPaths(std::vector<AnsiString>(Paths));
}

AnsiString TStCustomAppStorage::ConcatPaths(const std::vector<AnsiString>& Paths) {
    size_t start = 0;
    for (size_t i = 0; i < Paths.size(); ++i)
        if (!Paths[i].empty() && Paths[i][0] == '\\') start = i;
    std::vector<AnsiString> names;
    for (size_t i = start; i < Paths.size(); ++i) {
        const AnsiString& p = Paths[i];
        size_t pos = 0;
        while (pos <= p.size()) {
            size_t next = p.find('\\', pos);
            if (next == AnsiString::npos) next = p.size();
            AnsiString name = p.substr(pos, next - pos);
            pos = next + 1;
            if (name.empty()) continue;
            if (name.find_first_not_of('.') == AnsiString::npos) {
                // "." stays, ".." goes up one, "..." two, ...
                for (size_t up = name.size() - 1; up > 0 && !names.empty(); --up) names.pop_back();
                continue;
            }
            names.push_back(name);
        }
    }
    AnsiString result;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) result += '\\';
        result += names[i];
    }
    return result;
}

bool TStCustomAppStorage::NameIsListItem(const AnsiString& Name) {
    return Name.size() > 4 && AnsiSameText(Name.substr(0, 4), "Item") && Name[4] >= '0' && Name[4] <= '9';
}

void TStCustomAppStorage::SetPath(const AnsiString& Value) { currentPath_ = ConcatPaths({Value}); }

void TStCustomAppStorage::SetRoot(const AnsiString& Value) { root_ = ConcatPaths({Value}); }

AnsiString TStCustomAppStorage::GetAbsPath(const AnsiString& Path) const {
    AnsiString s = root_ + "\\" + ConcatPaths({currentPath_, Path});
    size_t first = s.find_first_not_of('\\');
    return first == AnsiString::npos ? AnsiString() : s.substr(first);
}

void TStCustomAppStorage::ResolvePath(const AnsiString& InPath, TStCustomAppStorage*& TargetStore,
                                      AnsiString& TargetPath) {
    const AnsiString full = "\\" + ConcatPaths({currentPath_, InPath});
    TStAppSubStorage* sub = subStorages_->MatchingStorage(full);
    if (sub && sub->AppStorage()) {
        TargetStore = sub->AppStorage();
        TargetPath = "\\" + ConcatPaths({full.substr(sub->RootPath().size() + 2)});
        if (TargetPath == "\\") throw EStkAppStorageError("Invalid path");
        return;
    }
    TargetStore = this;
    TargetPath = full;
}

void TStCustomAppStorage::SplitKeyPath(const AnsiString& Path, AnsiString& Key, AnsiString& ValueName) {
    const AnsiString abs = GetAbsPath(Path);
    size_t slash = abs.rfind('\\');
    if (slash == AnsiString::npos) {
        Key.clear();
        ValueName = abs;
    } else {
        Key = abs.substr(0, slash);
        ValueName = abs.substr(slash + 1);
    }
}

AnsiString TStCustomAppStorage::TranslatePropertyName(TPersistent* Instance, const AnsiString& AName, bool Reading) {
    AnsiString name = AName;
    if (OnTranslatePropertyName) OnTranslatePropertyName(this, Instance, name, Reading);
    return name;
}

AnsiString TStCustomAppStorage::GetCharName(int Ch) {
    if (Ch >= 33 && Ch <= 122) return AnsiString("Char_") + static_cast<char>(Ch);
    return "Char#" + std::to_string(Ch);
}

AnsiString TStCustomAppStorage::GetIntName(int Value) { return "Int_" + std::to_string(Value); }

AnsiString TStCustomAppStorage::SetElementName(const TTypeInfo* BaseType, int Value) {
    switch (BaseType->Kind) {
        case tkEnumeration: return GetEnumName(BaseType, Value);
        case tkChar:
        case tkWChar: return GetCharName(Value);
        default: return GetIntName(Value);
    }
}

AnsiString TStCustomAppStorage::EncryptPropertyValue(const AnsiString& Value) {
    if (!IsPropertyValueCryptEnabled() || !OnEncryptPropertyValue) return Value;
    AnsiString s = Value;
    OnEncryptPropertyValue(s);
    return MimeEncodeString(s);
}

AnsiString TStCustomAppStorage::DecryptPropertyValue(const AnsiString& Value) {
    if (!IsPropertyValueCryptEnabled() || !OnDecryptPropertyValue) return Value;
    AnsiString s = MimeDecodeString(Value);
    OnDecryptPropertyValue(s);
    return s;
}

// ---------------------------------------------------------------------------
// The "Int" layer

template <class T, class F>
T TStCustomAppStorage::GuardedRead(const AnsiString& Path, const T& Default, F read) {
    if (!ValueStoredInt(Path) && storageOptions_->DefaultIfValueNotExists) return Default;
    try {
        return read();
    } catch (const Exception&) {
        if (storageOptions_->DefaultIfReadConvertError) return Default;
        throw;
    }
}

TDateTime TStCustomAppStorage::DoReadDateTime(const AnsiString& Path, TDateTime Default) {
    return static_cast<TDateTime>(DoReadFloat(Path, Default));
}

void TStCustomAppStorage::DoWriteDateTime(const AnsiString& Path, TDateTime Value) { DoWriteFloat(Path, Value); }

bool TStCustomAppStorage::DoReadBoolean(const AnsiString& Path, bool Default) {
    return DoReadInteger(Path, Default ? 1 : 0) != 0;
}

void TStCustomAppStorage::DoWriteBoolean(const AnsiString& Path, bool Value) { DoWriteInteger(Path, Value ? 1 : 0); }

int TStCustomAppStorage::ReadIntegerInt(const AnsiString& Path, int Default) {
    return GuardedRead<int>(Path, Default, [&] { return DoReadInteger(Path, Default); });
}

void TStCustomAppStorage::WriteIntegerInt(const AnsiString& Path, int Value) { DoWriteInteger(Path, Value); }

long double TStCustomAppStorage::ReadFloatInt(const AnsiString& Path, long double Default) {
    return GuardedRead<long double>(Path, Default, [&]() -> long double {
        if (!storageOptions_->FloatAsString) return DoReadFloat(Path, Default);
        AnsiString s = DecryptPropertyValue(
            DoReadString(Path, EncryptPropertyValue(FloatToStr(static_cast<double>(Default)))));
        return StrToFloat(s);
    });
}

void TStCustomAppStorage::WriteFloatInt(const AnsiString& Path, long double Value) {
    if (storageOptions_->FloatAsString)
        DoWriteString(Path, EncryptPropertyValue(FloatToStr(static_cast<double>(Value))));
    else
        DoWriteFloat(Path, Value);
}

AnsiString TStCustomAppStorage::ReadStringInt(const AnsiString& Path, const AnsiString& Default) {
    return GuardedRead<AnsiString>(
        Path, Default, [&] { return DecryptPropertyValue(DoReadString(Path, EncryptPropertyValue(Default))); });
}

void TStCustomAppStorage::WriteStringInt(const AnsiString& Path, const AnsiString& Value) {
    DoWriteString(Path, EncryptPropertyValue(Value));
}

int TStCustomAppStorage::ReadBinaryInt(const AnsiString& Path, void* Buf, int BufSize) {
    return DoReadBinary(Path, Buf, BufSize);
}

void TStCustomAppStorage::WriteBinaryInt(const AnsiString& Path, const void* Buf, int BufSize) {
    DoWriteBinary(Path, Buf, BufSize);
}

TDateTime TStCustomAppStorage::ReadDateTimeInt(const AnsiString& Path, TDateTime Default) {
    return GuardedRead<TDateTime>(Path, Default, [&]() -> TDateTime {
        if (!storageOptions_->DateTimeAsString) return DoReadDateTime(Path, Default);
        AnsiString s = DecryptPropertyValue(DoReadString(Path, EncryptPropertyValue(DateTimeToStr(Default))));
        return StrToDateTime(s);
    });
}

void TStCustomAppStorage::WriteDateTimeInt(const AnsiString& Path, TDateTime Value) {
    if (storageOptions_->DateTimeAsString)
        DoWriteString(Path, EncryptPropertyValue(DateTimeToStr(Value)));
    else
        DoWriteDateTime(Path, Value);
}

bool TStCustomAppStorage::ReadBooleanInt(const AnsiString& Path, bool Default) {
    return GuardedRead<bool>(Path, Default, [&] {
        if (!storageOptions_->BooleanAsString()) return DoReadBoolean(Path, Default);
        const AnsiString word =
            Default ? storageOptions_->DefaultTrueString() : storageOptions_->DefaultFalseString();
        AnsiString s = DecryptPropertyValue(DoReadString(Path, EncryptPropertyValue(word)));
        if (storageOptions_->IsValueTrueString(s)) return true;
        if (storageOptions_->IsValueFalseString(s)) return false;
        return DoReadBoolean(Path, Default);
    });
}

void TStCustomAppStorage::WriteBooleanInt(const AnsiString& Path, bool Value) {
    if (storageOptions_->BooleanAsString())
        DoWriteString(Path, EncryptPropertyValue(Value ? storageOptions_->DefaultTrueString()
                                                       : storageOptions_->DefaultFalseString()));
    else
        DoWriteBoolean(Path, Value);
}

int64_t TStCustomAppStorage::ReadEnumerationInt(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Default) {
    if (IsBooleanLike(TypeInfo)) return ReadBooleanInt(Path, Default != 0) ? 1 : 0;
    return GuardedRead<int64_t>(Path, Default, [&]() -> int64_t {
        const TTypeData* td = GetTypeData(TypeInfo);
        switch (TypeInfo->Kind) {
            case tkChar:
            case tkWChar: return ReadIntegerInt(Path, static_cast<int>(Default));
            case tkInteger: {
                AnsiString ident;
                if (storageOptions_->TypedIntegerAsString &&
                    (FindIdentToInt(TypeInfo) || TypedIntToIdent(TypeInfo, static_cast<int32_t>(Default), ident))) {
                    if (!TypedIntToIdent(TypeInfo, static_cast<int32_t>(Default), ident))
                        ident = std::to_string(Default);
                    int32_t v = 0;
                    if (TypedIdentToInt(TypeInfo, ReadStringInt(Path, ident), v)) return v;
                }
                return ReadIntegerInt(Path, static_cast<int>(Default));
            }
            case tkEnumeration: {
                const int byName = GetEnumValue(TypeInfo, ReadStringInt(Path, kNotKnown));
                if (byName >= td->MinValue && byName <= td->MaxValue) return byName;
                // A number, or nothing usable: an ordinal the type lacks gives the default.
                const int v = ReadIntegerInt(Path, static_cast<int>(Default));
                return v >= td->MinValue && v <= td->MaxValue ? v : Default;
            }
            default: throw EStkAppStorageError("Invalid type");
        }
    });
}

void TStCustomAppStorage::WriteEnumerationInt(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Value) {
    if (IsBooleanLike(TypeInfo)) {
        WriteBooleanInt(Path, Value != 0);
        return;
    }
    switch (TypeInfo->Kind) {
        case tkChar:
        case tkWChar: WriteIntegerInt(Path, static_cast<int>(Value)); break;
        case tkInteger: {
            AnsiString ident;
            if (storageOptions_->TypedIntegerAsString && TypedIntToIdent(TypeInfo, static_cast<int32_t>(Value), ident))
                WriteStringInt(Path, ident);
            else
                WriteIntegerInt(Path, static_cast<int>(Value));
            break;
        }
        case tkEnumeration:
            if (storageOptions_->EnumerationAsString)
                WriteStringInt(Path, GetEnumName(TypeInfo, static_cast<int>(Value)));
            else
                WriteIntegerInt(Path, static_cast<int>(Value));
            break;
        default: throw EStkAppStorageError("Invalid type");
    }
}

TSetBits TStCustomAppStorage::ReadSetInt(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Default) {
    const TSetElements e = SetElementsOf(TypeInfo);
    if (IsFolderInt(Path, true)) {
        TSetBits bits{};
        for (int v = e.min; v <= e.max; ++v)
            if (ReadBooleanInt(SubPath(Path, SetElementName(e.base, v)), false))
                IncludeSetBit(bits, SetBitOfValue(TypeInfo, v));
        return bits;
    }
    const AnsiString text = ReadStringInt(Path, UtSetToStr(TypeInfo, Default, true, false));
    TSetBits bits{};
    try {
        UtStrToSet(TypeInfo, bits, text);
    } catch (const EUtRTTIError&) {
        // A set naming an element the type lacks reads as the default.
        return Default;
    }
    return bits;
}

void TStCustomAppStorage::WriteSetInt(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Value) {
    if (storageOptions_->SetAsString) {
        WriteStringInt(Path, UtSetToStr(TypeInfo, Value, true, false));
        return;
    }
    const TSetElements e = SetElementsOf(TypeInfo);
    for (int v = e.min; v <= e.max; ++v)
        WriteBooleanInt(SubPath(Path, SetElementName(e.base, v)), TestSetBit(Value, SetBitOfValue(TypeInfo, v)));
}

// ---------------------------------------------------------------------------
// Public typed access

#define TESK_RESOLVE(path)              \
    TStCustomAppStorage* store = nullptr; \
    AnsiString target;                   \
    ResolvePath(path, store, target)

int TStCustomAppStorage::ReadInteger(const AnsiString& Path, int Default) {
    TESK_RESOLVE(Path);
    return store->ReadIntegerInt(target, Default);
}

void TStCustomAppStorage::WriteInteger(const AnsiString& Path, int Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteIntegerInt(target, Value);
}

long double TStCustomAppStorage::ReadFloat(const AnsiString& Path, long double Default) {
    TESK_RESOLVE(Path);
    return store->ReadFloatInt(target, Default);
}

void TStCustomAppStorage::WriteFloat(const AnsiString& Path, long double Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteFloatInt(target, Value);
}

AnsiString TStCustomAppStorage::ReadString(const AnsiString& Path, const AnsiString& Default) {
    TESK_RESOLVE(Path);
    return store->ReadStringInt(target, Default);
}

void TStCustomAppStorage::WriteString(const AnsiString& Path, const AnsiString& Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteStringInt(target, Value);
}

TDateTime TStCustomAppStorage::ReadDateTime(const AnsiString& Path, TDateTime Default) {
    TESK_RESOLVE(Path);
    return store->ReadDateTimeInt(target, Default);
}

void TStCustomAppStorage::WriteDateTime(const AnsiString& Path, TDateTime Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteDateTimeInt(target, Value);
}

bool TStCustomAppStorage::ReadBoolean(const AnsiString& Path, bool Default) {
    TESK_RESOLVE(Path);
    return store->ReadBooleanInt(target, Default);
}

void TStCustomAppStorage::WriteBoolean(const AnsiString& Path, bool Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteBooleanInt(target, Value);
}

int TStCustomAppStorage::ReadBinary(const AnsiString& Path, void* Buf, int BufSize) {
    TESK_RESOLVE(Path);
    return store->ReadBinaryInt(target, Buf, BufSize);
}

void TStCustomAppStorage::WriteBinary(const AnsiString& Path, const void* Buf, int BufSize) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteBinaryInt(target, Buf, BufSize);
}

namespace {

int OrdSize(const TTypeInfo* TypeInfo) {
    switch (GetTypeData(TypeInfo)->OrdType) {
        case otSByte:
        case otUByte: return 1;
        case otSWord:
        case otUWord: return 2;
        default: return 4;
    }
}

int64_t LoadOrd(const TTypeInfo* TypeInfo, const void* P) {
    switch (GetTypeData(TypeInfo)->OrdType) {
        case otSByte: return *static_cast<const int8_t*>(P);
        case otUByte: return *static_cast<const uint8_t*>(P);
        case otSWord: return *static_cast<const int16_t*>(P);
        case otUWord: return *static_cast<const uint16_t*>(P);
        case otULong: return *static_cast<const uint32_t*>(P);
        default: return *static_cast<const int32_t*>(P);
    }
}

void StoreOrd(const TTypeInfo* TypeInfo, void* P, int64_t V) {
    switch (OrdSize(TypeInfo)) {
        case 1: *static_cast<uint8_t*>(P) = static_cast<uint8_t>(V); break;
        case 2: *static_cast<uint16_t*>(P) = static_cast<uint16_t>(V); break;
        default: *static_cast<uint32_t*>(P) = static_cast<uint32_t>(V); break;
    }
}

}  // namespace

void TStCustomAppStorage::ReadEnumeration(const AnsiString& Path, const TTypeInfo* TypeInfo, const void* Default,
                                          void* Value) {
    StoreOrd(TypeInfo, Value, ReadEnumerationValue(Path, TypeInfo, LoadOrd(TypeInfo, Default)));
}

void TStCustomAppStorage::WriteEnumeration(const AnsiString& Path, const TTypeInfo* TypeInfo, const void* Value) {
    WriteEnumerationValue(Path, TypeInfo, LoadOrd(TypeInfo, Value));
}

int64_t TStCustomAppStorage::ReadEnumerationValue(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Default) {
    TESK_RESOLVE(Path);
    return store->ReadEnumerationInt(target, TypeInfo, Default);
}

void TStCustomAppStorage::WriteEnumerationValue(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteEnumerationInt(target, TypeInfo, Value);
}

TSetBits TStCustomAppStorage::ReadSet(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Default) {
    TESK_RESOLVE(Path);
    return store->ReadSetInt(target, TypeInfo, Default);
}

void TStCustomAppStorage::WriteSet(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Value) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->WriteSetInt(target, TypeInfo, Value);
}

bool TStCustomAppStorage::ValueStored(const AnsiString& Path) {
    TESK_RESOLVE(Path);
    return store->ValueStoredInt(target);
}

bool TStCustomAppStorage::PathExists(const AnsiString& Path) {
    TESK_RESOLVE(Path);
    return store->PathExistsInt(target);
}

bool TStCustomAppStorage::IsFolder(const AnsiString& Path, bool ListIsValue) {
    TESK_RESOLVE(Path);
    return store->IsFolderInt(target, ListIsValue);
}

void TStCustomAppStorage::DeleteValue(const AnsiString& Path) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->DeleteValueInt(target);
}

void TStCustomAppStorage::DeleteSubTree(const AnsiString& Path) {
    TESK_RESOLVE(Path);
    if (!store->ReadOnly()) store->DeleteSubTreeInt(target);
}

void TStCustomAppStorage::GetStoredValues(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue) {
    TESK_RESOLVE(Path);
    store->EnumValues(target, Strings, ReportListAsValue);
}

#undef TESK_RESOLVE

// ---------------------------------------------------------------------------
// Lists

bool TStCustomAppStorage::ListStored(const AnsiString& Path) { return ValueStored(ConcatPaths({Path, "Count"})); }

// The indexes below Limit of the items stored under Path, in order. A stored
// "Count" is only an upper bound: a damaged or hostile file may claim
// millions of items and hold one.
std::vector<int> TStCustomAppStorage::StoredItemIndexes(const AnsiString& Path, const AnsiString& ItemName, int Limit) {
    std::vector<int> indexes;
    if (Limit <= 0) return indexes;
    TStringList names;
    try {
        GetStoredValues(Path, &names, false);
    } catch (const Exception&) {
        return indexes;
    }
    for (int i = 0; i < names.Count(); ++i) {
        const AnsiString& name = names.Strings(i);
        if (name.size() <= ItemName.size() || name.size() > ItemName.size() + 10 ||
            !AnsiSameText(name.substr(0, ItemName.size()), ItemName))
            continue;
        int64_t index = 0;
        bool digits = true;
        for (size_t k = ItemName.size(); k < name.size() && digits; ++k) {
            digits = name[k] >= '0' && name[k] <= '9';
            index = index * 10 + (name[k] - '0');
        }
        if (digits && index < Limit) indexes.push_back(static_cast<int>(index));
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

int TStCustomAppStorage::ReadList(const AnsiString& Path, TObject* List, const TStAppStorageListItemEvent& OnReadItem,
                                  const AnsiString& ItemName) {
    const int count = ReadInteger(ConcatPaths({Path, "Count"}), 0);
    const std::vector<int> held = StoredItemIndexes(Path, ItemName, count);
    for (int i : held) OnReadItem(this, Path, List, i, ItemName);
    return static_cast<int>(held.size());
}

void TStCustomAppStorage::WriteList(const AnsiString& Path, TObject* List, int ItemCount,
                                    const TStAppStorageListItemEvent& OnWriteItem,
                                    const TStAppStorageListDeleteEvent& OnDeleteItems, const AnsiString& ItemName) {
    if (ReadOnly()) return;
    const AnsiString countPath = ConcatPaths({Path, "Count"});
    const int oldCount = ReadInteger(countPath, 0);
    WriteInteger(countPath, ItemCount);
    for (int i = 0; i < ItemCount; ++i) OnWriteItem(this, Path, List, i, ItemName);
    if (oldCount > ItemCount && OnDeleteItems)
        for (int i : StoredItemIndexes(Path, ItemName, oldCount))
            if (i >= ItemCount) OnDeleteItems(this, Path, List, i, i, ItemName);
}

namespace {

AnsiString ItemPath(const AnsiString& Path, const AnsiString& ItemName, int Index) {
    return TStCustomAppStorage::ConcatPaths({Path, ItemName + std::to_string(Index)});
}

void DeleteItems(TStCustomAppStorage* Sender, const AnsiString& Path, TObject*, int First, int Last,
                 const AnsiString& ItemName) {
    for (int i = First; i <= Last; ++i) Sender->DeleteValue(ItemPath(Path, ItemName, i));
}

}  // namespace

int TStCustomAppStorage::ReadStringList(const AnsiString& Path, TStrings* SL, bool ClearFirst,
                                        const AnsiString& ItemName) {
    if (!ListStored(Path) && storageOptions_->DefaultIfValueNotExists) return SL->Count();
    {
        TUpdateLock lock(SL);
        if (ClearFirst) SL->Clear();
        ReadList(Path, SL, [SL](TStCustomAppStorage* Sender, const AnsiString& P, TObject*, int Index,
                                const AnsiString& Name) { SL->Add(Sender->ReadString(ItemPath(P, Name, Index))); },
                 ItemName);
    }
    return SL->Count();
}

void TStCustomAppStorage::WriteStringList(const AnsiString& Path, TStrings* SL, const AnsiString& ItemName) {
    WriteList(
        Path, SL, SL->Count(),
        [SL](TStCustomAppStorage* Sender, const AnsiString& P, TObject*, int Index, const AnsiString& Name) {
            Sender->WriteString(ItemPath(P, Name, Index), SL->Strings(Index));
        },
        DeleteItems, ItemName);
}

int TStCustomAppStorage::ReadCollection(const AnsiString& Path, TCollection* List, bool ClearFirst,
                                        const AnsiString& ItemName) {
    if (!ListStored(Path) && storageOptions_->DefaultIfValueNotExists) return List->Count();
    return ReadCollectionInt(Path, List, ClearFirst, ItemName);
}

int TStCustomAppStorage::ReadCollectionInt(const AnsiString& Path, TCollection* List, bool ClearFirst,
                                           const AnsiString& ItemName) {
    // The items are read into a copy; the collection changes only when all of them were read.
    TCollection scratch(List->ItemClass());
    if (!ClearFirst) scratch.Assign(List);
    ReadList(
        Path, &scratch,
        [ClearFirst](TStCustomAppStorage* Sender, const AnsiString& P, TObject* L, int Index,
                     const AnsiString& Name) {
            TCollectionItem* item = static_cast<TCollection*>(L)->Add();
            Sender->ReadPersistent(ItemPath(P, Name, Index), item, true, ClearFirst);
        },
        ItemName);
    List->Assign(&scratch);
    return List->Count();
}

void TStCustomAppStorage::WriteCollection(const AnsiString& Path, TCollection* List, const AnsiString& ItemName) {
    WriteList(
        Path, List, List->Count(),
        [List](TStCustomAppStorage* Sender, const AnsiString& P, TObject*, int Index, const AnsiString& Name) {
            Sender->WritePersistent(ItemPath(P, Name, Index), List->Items(Index), true);
        },
        DeleteItems, ItemName);
}

// ---------------------------------------------------------------------------
// Published objects

namespace {

bool Ignored(TStrings* IgnoreProperties, const AnsiString& Name) {
    return IgnoreProperties && IgnoreProperties->IndexOf(Name) >= 0;
}

bool IsStringKind(TTypeKind Kind) { return Kind == tkString || Kind == tkLString || Kind == tkWString; }

}  // namespace

// Objects met again on the way down (components that refer to each other)
// are stored once, where they were first met.
bool TStCustomAppStorage::EnterObject(const TPersistent* Object) {
    if (std::find(objectWalk_.begin(), objectWalk_.end(), Object) != objectWalk_.end()) return false;
    objectWalk_.push_back(Object);
    return true;
}

void TStCustomAppStorage::ReadPersistent(const AnsiString& Path, TPersistent* PersObj, bool Recursive,
                                         bool ClearFirst, TStrings* IgnoreProperties) {
    if (!PersObj || !EnterObject(PersObj)) return;
    TScopeGuard leave([this] { objectWalk_.pop_back(); });
    if (auto* aware = dynamic_cast<IStStorageAware*>(PersObj)) {
        aware->ReadFromStorage(this, Path);
        if (!dynamic_cast<IStStorageAwareProps*>(PersObj)) return;
    }
    for (const TPropInfo* prop : GetPropList(PersObj, tkProperties)) {
        if (Ignored(IgnoreProperties, prop->Name)) continue;
        ReadPropertyInt(ConcatPaths({Path, TranslatePropertyName(PersObj, prop->Name, true)}), PersObj, prop,
                        Recursive, ClearFirst);
    }
}

void TStCustomAppStorage::WritePersistent(const AnsiString& Path, TPersistent* PersObj, bool Recursive,
                                          TStrings* IgnoreProperties) {
    if (!PersObj || !EnterObject(PersObj)) return;
    TScopeGuard leave([this] { objectWalk_.pop_back(); });
    if (auto* aware = dynamic_cast<IStStorageAware*>(PersObj)) {
        aware->WriteToStorage(this, Path);
        if (!dynamic_cast<IStStorageAwareProps*>(PersObj)) return;
    }
    for (const TPropInfo* prop : GetPropList(PersObj, tkProperties)) {
        if (Ignored(IgnoreProperties, prop->Name)) continue;
        WritePropertyInt(ConcatPaths({Path, TranslatePropertyName(PersObj, prop->Name, false)}), PersObj, prop,
                         Recursive);
    }
}

void TStCustomAppStorage::ReadProperty(const AnsiString& Path, TPersistent* PersObj, const AnsiString& PropName,
                                       bool Recursive, bool ClearFirst) {
    if (!PersObj) return;
    if (const TPropInfo* prop = GetPropInfo(PersObj, PropName))
        ReadPropertyInt(Path, PersObj, prop, Recursive, ClearFirst);
}

void TStCustomAppStorage::WriteProperty(const AnsiString& Path, TPersistent* PersObj, const AnsiString& PropName,
                                        bool Recursive) {
    if (!PersObj) return;
    if (const TPropInfo* prop = GetPropInfo(PersObj, PropName)) WritePropertyInt(Path, PersObj, prop, Recursive);
}

void TStCustomAppStorage::ReadPropertyInt(const AnsiString& Path, TPersistent* PersObj, const TPropInfo* Prop,
                                          bool Recursive, bool ClearFirst) {
    const TTypeKind kind = Prop->Kind();
    if (kind == tkClass) {
        TObject* obj = Prop->Readable() ? GetObjectProp(PersObj, Prop) : nullptr;
        if (!obj) return;
        if (Recursive)
            if (auto* engine = RegisteredAppStoragePropertyEngines().EngineFor(PersObj, obj)) {
                engine->ReadProperty(this, Path, PersObj, obj, Recursive, ClearFirst);
                return;
            }
        if (auto* sl = dynamic_cast<TStrings*>(obj)) ReadStringList(Path, sl, ClearFirst);
        else if (auto* coll = dynamic_cast<TCollection*>(obj)) {
            if (Recursive) ReadCollection(Path, coll, ClearFirst);
        } else if (auto* pers = dynamic_cast<TPersistent*>(obj)) {
            if (Recursive) ReadPersistent(Path, pers, true, ClearFirst);
        }
        return;
    }
    if (!Prop->Readable() || !Prop->Writable()) return;
    switch (kind) {
        case tkInteger:
        case tkChar:
        case tkWChar:
        case tkEnumeration: {
            const int64_t current = GetOrdProp(PersObj, Prop);
            SetOrdProp(PersObj, Prop, ReadEnumerationValue(Path, Prop->PropType, current));
            break;
        }
        case tkFloat:
            if (Prop->PropType == TypeInfoTDateTime())
                SetFloatProp(PersObj, Prop, ReadDateTime(Path, static_cast<TDateTime>(GetFloatProp(PersObj, Prop))));
            else
                SetFloatProp(PersObj, Prop, ReadFloat(Path, GetFloatProp(PersObj, Prop)));
            break;
        case tkSet: SetSetProp(PersObj, Prop, ReadSet(Path, Prop->PropType, GetSetProp(PersObj, Prop))); break;
        case tkInt64: {
            const int64_t current = GetInt64Prop(PersObj, Prop);
            const AnsiString s = ReadString(Path, std::to_string(current));
            int64_t v = current;
            try {
                size_t used = 0;
                v = std::stoll(s, &used);
                if (used != s.size()) v = current;
            } catch (...) {
                v = current;
            }
            SetInt64Prop(PersObj, Prop, v);
            break;
        }
        default:
            if (IsStringKind(kind)) SetStrProp(PersObj, Prop, ReadString(Path, GetStrProp(PersObj, Prop)));
            break;
    }
}

void TStCustomAppStorage::WritePropertyInt(const AnsiString& Path, TPersistent* PersObj, const TPropInfo* Prop,
                                           bool Recursive) {
    if (!Prop->Readable()) return;
    const TTypeKind kind = Prop->Kind();
    switch (kind) {
        case tkInteger:
        case tkChar:
        case tkWChar:
            if (storageOptions_->TypedIntegerAsString)
                WriteEnumerationValue(Path, Prop->PropType, GetOrdProp(PersObj, Prop));
            else
                WriteInteger(Path, static_cast<int>(GetOrdProp(PersObj, Prop)));
            break;
        case tkEnumeration: WriteEnumerationValue(Path, Prop->PropType, GetOrdProp(PersObj, Prop)); break;
        case tkFloat:
            if (Prop->PropType == TypeInfoTDateTime())
                WriteDateTime(Path, static_cast<TDateTime>(GetFloatProp(PersObj, Prop)));
            else
                WriteFloat(Path, GetFloatProp(PersObj, Prop));
            break;
        case tkSet: WriteSet(Path, Prop->PropType, GetSetProp(PersObj, Prop)); break;
        case tkInt64: WriteString(Path, std::to_string(GetInt64Prop(PersObj, Prop))); break;
        case tkClass: {
            TObject* obj = GetObjectProp(PersObj, Prop);
            if (!obj) return;
            if (Recursive)
                if (auto* engine = RegisteredAppStoragePropertyEngines().EngineFor(PersObj, obj)) {
                    engine->WriteProperty(this, Path, PersObj, obj, Recursive);
                    return;
                }
            if (auto* sl = dynamic_cast<TStrings*>(obj)) WriteStringList(Path, sl);
            else if (auto* coll = dynamic_cast<TCollection*>(obj)) {
                if (Recursive) WriteCollection(Path, coll);
            } else if (auto* pers = dynamic_cast<TPersistent*>(obj)) {
                if (Recursive) WritePersistent(Path, pers, true);
            }
            break;
        }
        default:
            if (IsStringKind(kind)) WriteString(Path, GetStrProp(PersObj, Prop));
            break;
    }
}

// ---------------------------------------------------------------------------
// Memory and file

TStCustomAppMemoryFileStorage::TStCustomAppMemoryFileStorage(TComponent* AOwner) : TStCustomAppStorage(AOwner) {}

bool TStCustomAppMemoryFileStorage::FileIsReadOnly(const AnsiString& FileName) {
    struct stat st {};
    if (stat(FileName.c_str(), &st) != 0) return false;
    // The write bits stand for the read-only attribute: even a user who may
    // write anything leaves such a file alone.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void TStCustomAppMemoryFileStorage::Reload() {
    loaded_ = true;
    const AnsiString name = FullFileName();
    physicalReadOnly_ = !name.empty() && FileExists(name) && FileIsReadOnly(name);
}

bool TStCustomAppMemoryFileStorage::ReloadNeeded() const {
    if (IsUpdating()) return false;
    return !loaded_ || AutoReload();
}

AnsiString TStCustomAppMemoryFileStorage::DoGetFileName() {
    AnsiString name = fileName_;
    if (OnGetFileName) OnGetFileName(this, name);
    return name;
}

AnsiString TStCustomAppMemoryFileStorage::FullFileName() {
    if (fileName_.empty() && location_ == flCustom) return AnsiString();
    AnsiString name = fileName_;
    if (PathIsAbsolute(name) || (!name.empty() && name[0] == '/')) {
        size_t sep = name.find_last_of("/\\");
        name = name.substr(sep + 1);
    }
    auto inFolder = [&](const AnsiString& folder) {
        if (folder.empty()) return name;
        return folder.back() == '/' ? folder + name : folder + "/" + name;
    };
    switch (location_) {
        case flCustom: return DoGetFileName();
        case flWindows: return inFolder(GetWindowsFolder());
        case flTemp: return inFolder(GetWindowsTempFolder());
        case flExeFile: return inFolder(ProgramFolder());
        case flUserFolder: return inFolder(GetAppdataFolder());
    }
    return name;
}

void TStCustomAppMemoryFileStorage::ChangeFile(const std::function<void()>& Change) {
    const bool live = !InState(csLoading) && !InState(csDesigning) && !IsUpdating();
    if (live && loaded_) Flush();
    Change();
    if (live) Reload();
}

void TStCustomAppMemoryFileStorage::SetFileName(const AnsiString& Value) {
    const AnsiString name = PathAddExtension(Value, DefaultExtension());
    if (name == fileName_) return;
    ChangeFile([&] { fileName_ = name; });
}

void TStCustomAppMemoryFileStorage::SetLocation(TFileLocation Value) {
    if (Value == location_) return;
    ChangeFile([&] { location_ = Value; });
}

void TStCustomAppMemoryFileStorage::SetOnGetFileName(const TStAppStorageGetFileNameEvent& Value) {
    if (Value == OnGetFileName) return;
    ChangeFile([&] { OnGetFileName = Value; });
}
