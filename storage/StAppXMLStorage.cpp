#include "storage/StAppXMLStorage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Extended.h"
#include "platform/rtti/Published.h"
#include "text/UtFileUtils.h"

TESK_PUBLISHED(TStAppXMLStorageOptions) {
    Property("WhiteSpaceReplacement", &T::WhiteSpaceReplacement, &T::SetWhiteSpaceReplacement);
    Property("AutoEncodeValue", &T::AutoEncodeValue, &T::SetAutoEncodeValue).Default(false);
    Property("AutoEncodeEntity", &T::AutoEncodeEntity, &T::SetAutoEncodeEntity).Default(false);
    Property("AutoIndent", &T::AutoIndent, &T::SetAutoIndent).Default(true);
    Property("InvalidCharReplacement", &T::InvalidCharReplacement, &T::SetInvalidCharReplacement);
}

TESK_PUBLISHED(TStCustomAppXMLStorage) {
    Property("RootNodeName", &T::RootNodeName, &T::SetRootNodeName);
}

TESK_PUBLISHED(TStAppXMLFileStorage) {
    Property("AutoFlush", &T::AutoFlush, &T::SetAutoFlush).Default(false);
    Property("AutoReload", &T::AutoReload, &T::SetAutoReload).Default(false);
    Property("FileName", TypeInfoTFileName(), &T::FileName, &T::SetFileName);
    Property("FlushOnDestroy", &T::FlushOnDestroy, &T::SetFlushOnDestroy).Default(true);
    Property("Location", &T::Location, &T::SetLocation).Default(flExeFile);
    Property("ReadOnly", [](T& s) { return s.ReadOnly(); }, &T::SetReadOnly).Default(false);
    Property("SubStorages", &T::SubStorages, &T::SetSubStorages);
    Property("OnGetFileName", &T::OnGetFileName, &T::SetOnGetFileName);
    Property("OnEncodeValue", &T::OnEncodeValue, &T::SetOnEncodeValue);
    Property("OnDecodeValue", &T::OnDecodeValue, &T::SetOnDecodeValue);
}

namespace {

bool IsNameChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == ':' || c == '_';
}

bool IsWhiteSpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

void CheckReplacement(const AnsiString& Value, const char* Property) {
    for (unsigned char c : Value)
        if (!IsNameChar(c))
            throw EStkException(
                Format("\"%0:s\" is not an allowed character for the %1:s property.", {AnsiString(1, char(c)), Property}));
}

// A decimal integer, sign allowed; false for anything else.
bool ParseInt(const AnsiString& Text, int& Value) {
    const AnsiString s = Trim(Text);
    if (s.empty()) return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
        if (v > 0xFFFFFFFFLL) return false;
    }
    if (s[0] == '-') v = -v;
    // 32 bits kept, as the store writes them.
    Value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

// Markup characters as entities, and blanks and control characters at either
// end as character references: a reader of the file skips whitespace around
// an element's text, so they would not come back otherwise.
AnsiString EscapeValue(const AnsiString& Value) {
    size_t first = 0, last = Value.size();
    while (first < last && static_cast<unsigned char>(Value[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(Value[last - 1]) <= ' ') --last;
    auto reference = [](char c) {
        static const char kHex[] = "0123456789ABCDEF";
        const unsigned char u = static_cast<unsigned char>(c);
        return AnsiString("&#x") + kHex[u >> 4] + kHex[u & 15] + ';';
    };
    AnsiString result;
    for (size_t i = 0; i < first; ++i) result += reference(Value[i]);
    result += EntityEncode(Value.substr(first, last - first));
    for (size_t i = last; i < Value.size(); ++i) result += reference(Value[i]);
    return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// Options

void TStAppXMLStorageOptions::Assign(TPersistent* Source) {
    TStAppStorageOptions::Assign(Source);
    if (auto* s = dynamic_cast<TStAppXMLStorageOptions*>(Source)) {
        whiteSpaceReplacement_ = s->whiteSpaceReplacement_;
        invalidCharReplacement_ = s->invalidCharReplacement_;
        SetAutoEncodeValue(s->AutoEncodeValue());
        SetAutoEncodeEntity(s->AutoEncodeEntity());
        SetAutoIndent(s->AutoIndent());
    }
}

bool TStAppXMLStorageOptions::Test(TStSimpleXMLOption Option) const {
    return storage_ && storage_->Xml()->Options().Contains(Option);
}

void TStAppXMLStorageOptions::Put(TStSimpleXMLOption Option, bool On) {
    if (!storage_) return;
    TStSimpleXMLOptions o = storage_->Xml()->Options();
    if (On) o.Bits |= static_cast<uint8_t>(1u << Option);
    else o.Bits &= static_cast<uint8_t>(~(1u << Option));
    storage_->Xml()->SetOptions(o);
}

void TStAppXMLStorageOptions::SetWhiteSpaceReplacement(const AnsiString& Value) {
    if (Value == whiteSpaceReplacement_) return;
    for (unsigned char c : Value)
        if (IsWhiteSpace(c)) throw EStkException("The WhiteSpaceReplacement property cannot contain any white spaces.");
    CheckReplacement(Value, "WhiteSpaceReplacement");
    whiteSpaceReplacement_ = Value;
}

void TStAppXMLStorageOptions::SetInvalidCharReplacement(const AnsiString& Value) {
    if (Value == invalidCharReplacement_) return;
    CheckReplacement(Value, "InvalidCharReplacement");
    invalidCharReplacement_ = Value;
}

// ---------------------------------------------------------------------------
// The document store

TStCustomAppXMLStorage::TStCustomAppXMLStorage(TComponent* AOwner)
    : TStCustomAppMemoryFileStorage(AOwner), xml_(new TStSimpleXML(nullptr)) {
    xml_->SetOptions(TStSimpleXMLOptions{sxoAutoIndent});
    ReplaceStorageOptions(new TStAppXMLStorageOptions(this));
    SetRootNodeName("Configuration");
}

TStCustomAppXMLStorage::~TStCustomAppXMLStorage() {
    // The options ask the document; they go first.
    ReplaceStorageOptions(new TStAppStorageOptions);
    delete xml_;
}

const AnsiString& TStCustomAppXMLStorage::RootNodeName() const { return xml_->Root()->Name(); }

void TStCustomAppXMLStorage::SetRootNodeName(const AnsiString& Value) {
    if (Value.empty()) throw EPropertyError("The node must be given a name");
    xml_->Root()->SetName(GetValidNodeName(Value));
    SetRoot(Value);
}

AnsiString TStCustomAppXMLStorage::GetValidNodeName(const AnsiString& Name) const {
    const TStAppXMLStorageOptions* o = XMLStorageOptions();
    AnsiString result;
    result.reserve(Name.size());
    for (unsigned char c : Name) {
        if (IsNameChar(c)) {
            result += static_cast<char>(c);
        } else if (IsWhiteSpace(c)) {
            if (o->WhiteSpaceReplacement().empty())
                throw EStkException(
                    "XML Node names cannot contain white space and the WhiteSpaceReplacement property is empty. "
                    "Please set the WhiteSpaceReplacementProperty to a non empty value.");
            result += o->WhiteSpaceReplacement();
        } else {
            if (o->InvalidCharReplacement().empty())
                throw EStkException(Format(
                    "XML Node names cannot contain invalid chars (\"%s\") and the InvalidCharReplacement property is "
                    "empty. Please set the InvalidCharReplacement to a non empty value.",
                    {AnsiString(1, char(c))}));
            result += o->InvalidCharReplacement();
        }
    }
    return result;
}

TStSimpleXMLElem* TStCustomAppXMLStorage::GetNodeFromPath(const AnsiString& Path, TStSimpleXMLElem* StartNode) {
    try {
        TStSimpleXMLElem* node = StartNode ? StartNode : xml_->Root();
        bool first = true;
        size_t pos = 0;
        while (pos <= Path.size()) {
            size_t next = Path.find('\\', pos);
            if (next == AnsiString::npos) next = Path.size();
            const AnsiString component = Path.substr(pos, next - pos);
            pos = next + 1;
            if (component.empty()) continue;
            const AnsiString name = GetValidNodeName(component);
            const bool skip = first && name == xml_->Root()->Name();
            first = false;
            if (skip) continue;
            node = node->Items()->ItemNamed(name);
            if (!node) return nullptr;
        }
        return node;
    } catch (const Exception&) {
        return nullptr;
    }
}

TStSimpleXMLElem* TStCustomAppXMLStorage::CreateAndSetNode(const AnsiString& Path) {
    const TStSimpleXMLOptions saved = xml_->Options();
    xml_->SetOptions(TStSimpleXMLOptions::FromBits(saved.Bits | (1u << sxoAutoCreate)));
    TStSimpleXMLElem* node = nullptr;
    {
        TScopeGuard restoreOptions([&] { xml_->SetOptions(saved); });
        node = GetNodeFromPath(Path);
    }
    return node;
}

AnsiString TStCustomAppXMLStorage::AsString() { return xml_->SaveToString(); }

void TStCustomAppXMLStorage::SetAsString(const AnsiString& Value) { xml_->LoadFromString(Value); }

void TStCustomAppXMLStorage::SplitKeyPath(const AnsiString& Path, AnsiString& Key, AnsiString& ValueName) {
    TStCustomAppMemoryFileStorage::SplitKeyPath(Path, Key, ValueName);
    ValueName = GetValidNodeName(ValueName);
    if (Key.empty()) Key = Path;
}

bool TStCustomAppXMLStorage::StoreEscapes() const {
    const TStSimpleXMLOptions o = xml_->Options();
    return !o.Contains(sxoAutoEncodeValue) && !o.Contains(sxoAutoEncodeEntity);
}

void TStCustomAppXMLStorage::PathError(const AnsiString& Path) const {
    throw EStkException(Format("Path '%s' does not exists", {Path}));
}

TStSimpleXMLElem* TStCustomAppXMLStorage::ValueNode(const AnsiString& Path, AnsiString* ValueName) {
    AnsiString key, name;
    SplitKeyPath(Path, key, name);
    if (ValueName) *ValueName = name;
    TStSimpleXMLElem* parent = GetNodeFromPath(key);
    return parent ? parent->Items()->ItemNamed(name) : nullptr;
}

AnsiString TStCustomAppXMLStorage::ReadValue(const AnsiString& Path, const AnsiString& Default, bool& Found) {
    ReloadIfNeeded();
    TStSimpleXMLElem* node = ValueNode(Path);
    Found = node != nullptr;
    if (!node) {
        if (!StorageOptions()->DefaultIfValueNotExists) PathError(Path);
        return Default;
    }
    return StoreEscapes() ? SimpleXMLDecode(node->Value()) : node->Value();
}

void TStCustomAppXMLStorage::WriteValue(const AnsiString& Path, const AnsiString& Value) {
    ReloadIfNeeded();
    AnsiString key, name;
    SplitKeyPath(Path, key, name);
    const TStSimpleXMLOptions saved = xml_->Options();
    TStSimpleXMLElem* parent = CreateAndSetNode(key);
    if (!parent) {
        // The walk swallows errors; a name that cannot become an element says why here.
        for (size_t pos = 0; pos <= key.size();) {
            size_t next = key.find('\\', pos);
            if (next == AnsiString::npos) next = key.size();
            GetValidNodeName(key.substr(pos, next - pos));
            pos = next + 1;
        }
        throw EStkException(Format("Path '%s' does not exists", {Path}));
    }
    xml_->SetOptions(TStSimpleXMLOptions::FromBits(saved.Bits | (1u << sxoAutoCreate)));
    TStSimpleXMLElem* node = parent->Items()->ItemNamed(name);
    xml_->SetOptions(saved);
    node->SetValue(StoreEscapes() ? EscapeValue(Value) : Value);
    FlushIfNeeded();
}

void TStCustomAppXMLStorage::EnumFolders(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue) {
    (void)ReportListAsValue;
    EnumValues(Path, Strings, false);
}

void TStCustomAppXMLStorage::EnumValues(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue) {
    ReloadIfNeeded();
    const AnsiString abs = GetAbsPath(Path);
    TStSimpleXMLElem* node = GetNodeFromPath(abs);
    if (!node) PathError(abs.empty() ? AnsiString("EmptyPath") : Path);
    const bool hideList = ReportListAsValue && node->Items()->ItemNamed("Count") != nullptr;
    Strings->BeginUpdate();
    Strings->Clear();
    for (int i = 0; i < node->Items()->Count(); ++i) {
        const AnsiString& name = node->Items()->Item(i)->Name();
        if (hideList && (AnsiSameText(name, "Count") || NameIsListItem(name))) continue;
        Strings->Add(name);
    }
    Strings->EndUpdate();
}

bool TStCustomAppXMLStorage::IsFolderInt(const AnsiString& Path, bool ListIsValue) {
    ReloadIfNeeded();
    TStSimpleXMLElem* node = GetNodeFromPath(GetAbsPath(Path));
    if (!node) return false;
    TStSimpleXMLElems* items = node->Items();
    if (ListIsValue && items->ItemNamed("Count")) {
        for (int i = 0; i < items->Count(); ++i) {
            const AnsiString& name = items->Item(i)->Name();
            if (!AnsiSameText(name, "Count") && !NameIsListItem(name)) return true;
        }
        return false;
    }
    return items->Count() > 0;
}

bool TStCustomAppXMLStorage::PathExistsInt(const AnsiString& Path) { return ValueStoredInt(Path); }

bool TStCustomAppXMLStorage::ValueStoredInt(const AnsiString& Path) {
    ReloadIfNeeded();
    return ValueNode(Path) != nullptr;
}

void TStCustomAppXMLStorage::DeleteValueInt(const AnsiString& Path) {
    if (!ValueStoredInt(Path)) return;
    AnsiString key, name;
    SplitKeyPath(Path, key, name);
    if (TStSimpleXMLElem* parent = GetNodeFromPath(key)) {
        parent->Items()->DeleteByName(name);
        FlushIfNeeded();
    }
}

void TStCustomAppXMLStorage::DeleteSubTreeInt(const AnsiString& Path) {
    ReloadIfNeeded();
    TStSimpleXMLElem* node = GetNodeFromPath(GetAbsPath(Path));
    if (!node) return;
    if (node == xml_->Root()) node->Clear();
    else node->Parent()->Items()->DeleteByName(node->Name());
    FlushIfNeeded();
}

int TStCustomAppXMLStorage::DoReadInteger(const AnsiString& Path, int Default) {
    bool found = false;
    const AnsiString text = ReadValue(Path, AnsiString(), found);
    int v = 0;
    return found && ParseInt(text, v) ? v : Default;
}

void TStCustomAppXMLStorage::DoWriteInteger(const AnsiString& Path, int Value) {
    WriteValue(Path, std::to_string(Value));
}

long double TStCustomAppXMLStorage::DoReadFloat(const AnsiString& Path, long double Default) {
    bool found = false;
    const AnsiString text = ReadValue(Path, AnsiString(), found);
    if (!found) return Default;
    uint8_t bytes[10] = {};
    try {
        if (HexToBuf(text, bytes, 10) != 10) return Default;
    } catch (const EConvertError&) {
        return Default;
    }
    return BytesToExtended(bytes);
}

void TStCustomAppXMLStorage::DoWriteFloat(const AnsiString& Path, long double Value) {
    uint8_t bytes[10];
    ExtendedToBytes(Value, bytes);
    WriteValue(Path, BufToHex(bytes, 10));
}

AnsiString TStCustomAppXMLStorage::DoReadString(const AnsiString& Path, const AnsiString& Default) {
    bool found = false;
    return ReadValue(Path, Default, found);
}

void TStCustomAppXMLStorage::DoWriteString(const AnsiString& Path, const AnsiString& Value) { WriteValue(Path, Value); }

int TStCustomAppXMLStorage::DoReadBinary(const AnsiString& Path, void* Buf, int BufSize) {
    return HexToBuf(DoReadString(Path, AnsiString()), Buf, BufSize);
}

void TStCustomAppXMLStorage::DoWriteBinary(const AnsiString& Path, const void* Buf, int BufSize) {
    DoWriteString(Path, BufToHex(Buf, BufSize));
}

bool TStCustomAppXMLStorage::DoReadBoolean(const AnsiString& Path, bool Default) {
    bool found = false;
    const AnsiString text = ReadValue(Path, AnsiString(), found);
    if (!found) return Default;
    bool v = false;
    return TryStrToBool(text, v) ? v : false;
}

void TStCustomAppXMLStorage::DoWriteBoolean(const AnsiString& Path, bool Value) { WriteValue(Path, Value ? "-1" : "0"); }

// ---------------------------------------------------------------------------
// The file

void TStAppXMLFileStorage::Reload() {
    if (IsUpdating() || InState(csDesigning)) return;
    TStCustomAppXMLStorage::Reload();
    const AnsiString name = FullFileName();
    if (!name.empty() && FileExists(name)) {
        try {
            Xml()->LoadFromFile(name);
            return;
        } catch (const Exception& e) {
            FileDamaged(name, e);
        }
    }
    Xml()->Root()->Clear();
}

void TStAppXMLFileStorage::FileDamaged(const AnsiString& FileName, const Exception& E) {
    Xml()->Prolog()->Clear();
    Xml()->Root()->Clear();
    Xml()->Root()->SetName(GetValidNodeName(Root().empty() ? AnsiString("Configuration") : Root()));
    AnsiString outcome;
    bool setAside = false;
    if (physicalReadOnly_) {
        outcome = "it is read-only and was left as it is";
    } else {
        // Every damaged file keeps a copy of its own: an earlier copy may hold
        // the user's last good settings.
        AnsiString bad = FileName + ".bad";
        for (int n = 2; FileExists(bad) && n <= 10000; ++n) bad = FileName + ".bad" + std::to_string(n);
        std::error_code ec;
        if (FileExists(bad)) ec = std::make_error_code(std::errc::file_exists);
        else std::filesystem::rename(FileName, bad, ec);
        if (ec) {
            keptDamagedFile_ = FileName;
            outcome = "it could not be renamed (" + ec.message() + ") and will not be written";
        } else {
            setAside = true;
            outcome = "it was renamed to " + bad;
        }
    }
    // A file left in place is read again at every access; it is reported once.
    if (!setAside && reportedFile_ == FileName) return;
    if (!setAside) reportedFile_ = FileName;
    const AnsiString message =
        "The settings file " + FileNameAsText(FileName) + " could not be read (" + E.Message() + "); " + outcome + ".";
    try {
        throw EStkException(message);
    } catch (...) {
        ReportStorageError(this);
    }
}

void TStAppXMLFileStorage::Flush() {
    const AnsiString name = FullFileName();
    if (name.empty() || ReadOnly() || InState(csDesigning)) return;
    // The file may have become read-only since it was read: the rename would replace it all the same.
    if (FileExists(name) && FileIsReadOnly(name)) return;
    if (name == keptDamagedFile_ && FileExists(name)) return;
    const std::filesystem::path folder = std::filesystem::path(name).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    Xml()->SaveToFile(name);
}
