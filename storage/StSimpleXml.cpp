#include "storage/StSimpleXml.h"

#include <algorithm>
#include <climits>

#include "platform/classes/Lists.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/rtti/Published.h"
#include "storage/StUtils.h"

// ---------------------------------------------------------------------------
// Reading characters

// Characters of a stream for the node loaders: read in chunks, with the
// stream left after the last consumed character when loading ends. All the
// loaders of one load share it, so a nested node goes on from where its
// parent stands.
class TStXmlReader {
public:
    TStXmlReader(TStream* Stream, TStSimpleXML* Progress) : stream_(Stream), progress_(Progress) {
        base_ = Stream->Position();
    }

    bool Get(char& c) {
        if (pos_ == buf_.size() && !Fill()) return false;
        c = buf_[pos_++];
        return true;
    }
    // Steps back over the character just read.
    void Unget() { --pos_; }
    // The stream offset of the next character.
    int64_t Offset() const { return base_ + static_cast<int64_t>(pos_); }
    void SeekTo(int64_t Offset) {
        if (Offset >= base_ && Offset <= base_ + static_cast<int64_t>(buf_.size())) {
            pos_ = static_cast<size_t>(Offset - base_);
        } else {
            buf_.clear();
            pos_ = 0;
            base_ = Offset;
            reposition_ = true;
        }
    }
    // Leaves the stream right after the last consumed character.
    void Finish() { stream_->Seek(Offset(), soBeginning); }

    // Nesting of elements; deep enough for any real document, shallow enough
    // that hostile input cannot exhaust the stack.
    static constexpr int kMaxDepth = 1000;
    int depth = 0;

private:
    bool Fill() {
        // Keep a little of what was read, so that short steps back stay in memory.
        constexpr size_t kKeep = 64;
        if (buf_.size() > kKeep) {
            const size_t drop = buf_.size() - kKeep;
            buf_.erase(0, drop);
            base_ += static_cast<int64_t>(drop);
            pos_ -= drop;
        }
        const int64_t end = base_ + static_cast<int64_t>(buf_.size());
        if (reposition_) {
            stream_->Seek(end, soBeginning);
            reposition_ = false;
        }
        const size_t old = buf_.size();
        buf_.resize(old + static_cast<size_t>(chunk_));
        const int got = std::max(0, ReadCharsFromStream(stream_, buf_.data() + old, chunk_));
        buf_.resize(old + static_cast<size_t>(got));
        chunk_ = std::min(chunk_ * 2, 8192);  // small documents need no large reads
        if (progress_ && progress_->OnLoadProgress.Assigned())
            progress_->DoLoadProgress(static_cast<int>(stream_->Position()), static_cast<int>(stream_->Size()));
        return got > 0;
    }

    TStream* stream_;
    TStSimpleXML* progress_;
    AnsiString buf_;
    size_t pos_ = 0;
    int64_t base_ = 0;  // stream offset of buf_[0]
    int chunk_ = 256;
    bool reposition_ = false;
};

namespace {

const char kCrLf[] = "\r\n";

bool IsWhite(char c) { return c == 9 || c == 10 || c == 13 || c == ' '; }

bool IsAttrNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

void Put(TStream* Stream, const AnsiString& S) {
    WriteStringToStream(Stream, S, static_cast<int>(S.size()));
}

struct DepthGuard {
    explicit DepthGuard(TStXmlReader& r) : reader(r) {
        if (++reader.depth > TStXmlReader::kMaxDepth) {
            --reader.depth;
            TStSimpleXMLElem::Error("Invalid XML Element: elements nested too deeply");
        }
    }
    ~DepthGuard() { --reader.depth; }
    TStXmlReader& reader;
};

// Case-insensitive match of Word at S[Pos...].
bool MatchAt(const AnsiString& S, size_t Pos, const char* Word) {
    for (size_t i = 0; Word[i]; ++i) {
        if (Pos + i >= S.size()) return false;
        char c = S[Pos + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != Word[i]) return false;
    }
    return true;
}

// The named entity at S[Pos] ('&'): its character and length, or 0.
size_t NamedEntity(const AnsiString& S, size_t Pos, char& c) {
    static const struct {
        const char* text;
        char c;
    } entities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    for (const auto& e : entities)
        if (MatchAt(S, Pos, e.text)) {
            c = e.c;
            return std::char_traits<char>::length(e.text);
        }
    return 0;
}

// The character reference "&#...;" at S[Pos]: its character and length, or 0
// when it has no ';' after its digits or its number is not positive.
size_t CharReference(const AnsiString& S, size_t Pos, char& c) {
    size_t j = Pos + 2;
    if (j > S.size() || S[Pos + 1] != '#') return 0;
    const bool hex = j < S.size() && (S[j] == 'x' || S[j] == 'X');
    if (hex) ++j;
    const size_t digitsStart = j;
    int64_t value = 0;
    for (; j < S.size(); ++j) {
        const char d = S[j];
        int v;
        if (d >= '0' && d <= '9') v = d - '0';
        else if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
        else break;
        if (value <= INT32_MAX) value = value * (hex ? 16 : 10) + v;
    }
    if (j == digitsStart || j >= S.size() || S[j] != ';' || value <= 0 || value > INT32_MAX) return 0;
    c = static_cast<char>(value & 0xFF);
    return j + 1 - Pos;
}

AnsiString Encode(const AnsiString& S, bool HighAsReference) {
    AnsiString out;
    out.reserve(S.size() * 6);
    for (char ch : S) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "&quot;"; break;
            case '&': out += "&amp;"; break;
            case '\'': out += "&apos;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default:
                if (HighAsReference && c >= 128) out += Format("&#x%.2x;", {static_cast<int>(c)});
                else out += ch;
        }
    }
    return out;
}

AnsiString Decode(const AnsiString& S, bool References) {
    AnsiString out;
    out.reserve(S.size());
    for (size_t i = 0; i < S.size();) {
        char c;
        size_t n = 0;
        if (S[i] == '&') {
            n = NamedEntity(S, i, c);
            if (n == 0 && References) n = CharReference(S, i, c);
        }
        if (n > 0) {
            out += c;
            i += n;
        } else {
            out += S[i++];
        }
    }
    return out;
}

}  // namespace

AnsiString EntityEncode(const AnsiString& S) { return Encode(S, false); }
AnsiString EntityDecode(const AnsiString& S) { return Decode(S, false); }
AnsiString SimpleXMLEncode(const AnsiString& S) { return Encode(S, true); }
AnsiString SimpleXMLDecode(const AnsiString& S) { return Decode(S, true); }

// ---------------------------------------------------------------------------
// Named lists

template <class T>
void TStNamedList<T>::Add(const AnsiString& Name, T* Item) {
    entries_.push_back({Name, Item});
    if (!stale_) index_[AnsiUpperCase(Name)] = static_cast<int>(entries_.size()) - 1;
}

template <class T>
void TStNamedList<T>::Insert(int Index, const AnsiString& Name, T* Item) {
    entries_.insert(entries_.begin() + Index, {Name, Item});
    stale_ = true;
}

template <class T>
void TStNamedList<T>::Remove(int Index) {
    entries_.erase(entries_.begin() + Index);
    stale_ = true;
}

template <class T>
void TStNamedList<T>::Rename(int Index, const AnsiString& Name) {
    entries_[static_cast<size_t>(Index)].name = Name;
    stale_ = true;
}

template <class T>
int TStNamedList<T>::IndexOfItem(const T* Item) const {
    for (size_t i = entries_.size(); i-- > 0;)
        if (entries_[i].item == Item) return static_cast<int>(i);
    return -1;
}

template <class T>
T* TStNamedList<T>::Find(const AnsiString& Name) const {
    if (stale_) Rebuild();
    auto it = index_.find(AnsiUpperCase(Name));
    return it == index_.end() ? nullptr : entries_[static_cast<size_t>(it->second)].item;
}

template <class T>
void TStNamedList<T>::Clear() {
    entries_.clear();
    index_.clear();
    stale_ = false;
}

template <class T>
void TStNamedList<T>::Rebuild() const {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_[AnsiUpperCase(entries_[i].name)] = static_cast<int>(i);
    stale_ = false;
}

template class TStNamedList<TStSimpleXMLElem>;
template class TStNamedList<TStSimpleXMLProp>;

// ---------------------------------------------------------------------------
// Attributes

void TStSimpleXMLProp::SetName(const AnsiString& Value) {
    if (parent_ && parent_->list_) {
        const int i = parent_->list_->IndexOfItem(this);
        if (i >= 0) parent_->list_->Rename(i, Value);
    }
    name_ = Value;
}

TStSimpleXML* TStSimpleXMLProp::GetSimpleXML() const { return parent_ ? parent_->GetSimpleXML() : nullptr; }

TStSimpleXMLProps::~TStSimpleXMLProps() { Clear(); }

TStSimpleXMLProp* TStSimpleXMLProps::Add(const AnsiString& Name, const AnsiString& Value) {
    return AddPrefixed(Name, Value, AnsiString());
}

TStSimpleXMLProp* TStSimpleXMLProps::AddPrefixed(const AnsiString& Name, const AnsiString& Value,
                                                 const AnsiString& NameSpace) {
    if (!list_) list_ = std::make_unique<TStNamedList<TStSimpleXMLProp>>();
    auto* p = new TStSimpleXMLProp(this);
    p->name_ = Name;
    p->value_ = Value;
    p->nameSpace_ = NameSpace;
    list_->Add(Name, p);
    return p;
}

TStSimpleXMLProp* TStSimpleXMLProps::Item(int Index) const {
    if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds", Index);
    return list_->Item(Index);
}

TStSimpleXMLProp* TStSimpleXMLProps::ItemNamedDefault(const AnsiString& Name, const AnsiString& Default) {
    if (list_)
        if (TStSimpleXMLProp* p = list_->Find(Name)) return p;
    TStSimpleXML* doc = GetSimpleXML();
    if (doc && doc->Options().Contains(sxoAutoCreate)) return Add(Name, Default);
    return nullptr;
}

AnsiString TStSimpleXMLProps::Value(const AnsiString& Name, const AnsiString& Default) {
    TStSimpleXMLProp* p = list_ ? list_->Find(Name) : nullptr;
    return p ? p->Value() : Default;
}

void TStSimpleXMLProps::Clear() {
    if (!list_) return;
    for (int i = 0; i < list_->Count(); ++i) delete list_->Item(i);
    list_->Clear();
}

TStSimpleXML* TStSimpleXMLProps::GetSimpleXML() const { return parent_ ? parent_->GetSimpleXML() : nullptr; }

void TStSimpleXMLProps::LoadFromStream(TStream* Stream) {
    TStXmlReader reader(Stream, nullptr);
    Load(reader);
    reader.Finish();
}

void TStSimpleXMLProps::SaveToStream(TStream* Stream) { Put(Stream, Text()); }

void TStSimpleXMLProps::Load(TStXmlReader& Reader) {
    Clear();
    static const char kUnexpected[] = "Invalid XML Element: Unexpected character in property declaration (\"%s\" found)";
    enum { Before, InName, AfterName, AfterEquals, InValue } state = Before;
    AnsiString name, prefix, value;
    char quote = '"';
    char c;
    while (Reader.Get(c)) {
        switch (state) {
            case Before:
                if (IsWhite(c)) break;
                if (IsAttrNameChar(c)) {
                    name.assign(1, c);
                    prefix.clear();
                    state = InName;
                } else if (c == '/' || c == '>' || c == '?') {
                    Reader.Unget();
                    return;
                } else {
                    TStSimpleXMLElem::FmtError(kUnexpected, {c});
                }
                break;
            case InName:
                if (IsAttrNameChar(c)) name += c;
                else if (c == ':') {
                    prefix = name;
                    name.clear();
                } else if (c == '=') state = AfterEquals;
                else if (IsWhite(c)) state = AfterName;
                else TStSimpleXMLElem::FmtError(kUnexpected, {c});
                break;
            case AfterName:
                if (IsWhite(c)) break;
                if (c == '=') state = AfterEquals;
                else TStSimpleXMLElem::FmtError(kUnexpected, {c});
                break;
            case AfterEquals:
                if (IsWhite(c)) break;
                if (c == '"' || c == '\'') {
                    quote = c;
                    value.clear();
                    state = InValue;
                } else {
                    TStSimpleXMLElem::FmtError(
                        "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but "
                        "\"%s\"  found",
                        {c});
                }
                break;
            case InValue:
                if (c != quote) {
                    value += c;
                    break;
                }
                if (TStSimpleXML* doc = GetSimpleXML()) doc->DoDecodeValue(value);
                AddPrefixed(name, value, prefix);
                state = Before;
                break;
        }
    }
}

AnsiString TStSimpleXMLProps::Text() const {
    AnsiString out;
    if (!list_) return out;
    TStSimpleXML* doc = GetSimpleXML();
    for (int i = 0; i < list_->Count(); ++i) {
        const TStSimpleXMLProp* p = list_->Item(i);
        AnsiString value = p->Value();
        if (doc) doc->DoEncodeValue(value);
        out += ' ';
        if (!p->NameSpace().empty()) out += p->NameSpace() + ":";
        out += p->Name() + "=\"" + value + "\"";
    }
    return out;
}

// ---------------------------------------------------------------------------
// Nodes

TStSimpleXMLElem::~TStSimpleXMLElem() {
    if (container_) container_->Extract(this);
}

void TStSimpleXMLElem::Assign(TStSimpleXMLElem* Value) {
    if (Value == this) return;
    // A source inside this subtree would go with the Clear below: copy it first.
    std::unique_ptr<TStSimpleXMLElem> detached;
    for (const TStSimpleXMLElem* e = Value ? Value->parent_ : nullptr; e; e = e->parent_)
        if (e == this) {
            detached.reset(Value->CreateSame(nullptr));
            detached->Assign(Value);
            Value = detached.get();
            break;
        }
    Clear();
    if (!Value) return;
    SetName(Value->Name());
    value_ = Value->Value();
    if (Value->props_)
        for (int i = 0; i < Value->props_->Count(); ++i) {
            const TStSimpleXMLProp* p = Value->props_->Item(i);
            Properties()->Add(p->Name(), p->Value());
        }
    if (Value->items_)
        for (int i = 0; i < Value->items_->Count(); ++i) {
            TStSimpleXMLElem* child = Value->items_->Item(i);
            std::unique_ptr<TStSimpleXMLElem> copy(child->CreateSame(this));
            copy->Assign(child);
            Items()->AddChild(copy.release());
        }
}

void TStSimpleXMLElem::Clear() {
    if (items_) items_->Clear();
    if (props_) props_->Clear();
}

void TStSimpleXMLElem::LoadFromStream(TStream* Stream, TStSimpleXML* AParent) {
    TStXmlReader reader(Stream, AParent);
    Load(reader, AParent);
    reader.Finish();
}

void TStSimpleXMLElem::SaveToStream(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    Save(Stream, Level, Parent);
}

AnsiString TStSimpleXMLElem::FullName() const { return nameSpace_.empty() ? name_ : nameSpace_ + ":" + name_; }

void TStSimpleXMLElem::SetName(const AnsiString& Value) {
    if (Value.empty() || Value == name_) return;
    if (container_) container_->RenameChild(this, Value);
    name_ = Value;
}

TStSimpleXMLElems* TStSimpleXMLElem::Items() {
    if (!items_) items_ = std::make_unique<TStSimpleXMLElems>(this);
    return items_.get();
}

TStSimpleXMLProps* TStSimpleXMLElem::Properties() {
    if (!props_) props_ = std::make_unique<TStSimpleXMLProps>(this);
    return props_.get();
}

bool TStSimpleXMLElem::HasItems() const { return items_ && items_->Count() > 0; }

int64_t TStSimpleXMLElem::IntValue() const {
    int64_t v;
    if (value_.find_first_of("$xX") != AnsiString::npos || !TryStrToInt64(value_, v)) return -1;
    return v;
}

void TStSimpleXMLElem::SetIntValue(int64_t Value) { value_ = IntToStr(static_cast<long long>(Value)); }

bool TStSimpleXMLElem::BoolValue() const {
    bool v;
    return TryStrToBool(value_, v) && v;
}

void TStSimpleXMLElem::SetBoolValue(bool Value) { value_ = Value ? "-1" : "0"; }

int TStSimpleXMLElem::GetChildsCount() const {
    int n = 1;
    if (items_)
        for (int i = 0; i < items_->Count(); ++i) n += items_->Item(i)->GetChildsCount();
    return n;
}

TStSimpleXML* TStSimpleXMLElem::GetSimpleXML() const {
    const TStSimpleXMLElem* e = this;
    while (e->parent_) e = e->parent_;
    return e->document_;
}

void TStSimpleXMLElem::Error(const AnsiString& Message) { throw EStSimpleXMLError(Message); }

void TStSimpleXMLElem::FmtError(const AnsiString& Message, std::initializer_list<TVarRec> Args) {
    throw EStSimpleXMLError(Format(Message, Args));
}

void TStSimpleXMLElem::DecodeValue(AnsiString& Value) const {
    if (TStSimpleXML* doc = GetSimpleXML()) doc->DoDecodeValue(Value);
}

void TStSimpleXMLElem::EncodeValue(AnsiString& Value) const {
    if (TStSimpleXML* doc = GetSimpleXML()) doc->DoEncodeValue(Value);
}

void TStSimpleXMLElem::ExpectLiteral(TStXmlReader& Reader, const char* Literal, const char* Message,
                                     const char* EndMessage) {
    for (const char* p = Literal; *p; ++p) {
        char c;
        if (!Reader.Get(c)) Error(EndMessage);
        if (c != *p) FmtError(Message, {*p, c});
    }
}

// -- Elements --

TStSimpleXMLElem* TStSimpleXMLElemClassic::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemClassic(AOwner);
}

void TStSimpleXMLElemClassic::Load(TStXmlReader& Reader, TStSimpleXML* AParent) {
    DepthGuard guard(Reader);
    AnsiString name, prefix, value;
    bool prefixRead = false;
    bool nameEnded = false;  // by '/' or '>': a start tag cut off by the end of the data names nothing
    char c;
    if (Reader.Get(c)) {
        if (c != '<') FmtError("Invalid XML Element: Expected beginning of tag but \"%s\" found", {c});
        bool first = true;
        while (Reader.Get(c)) {
            if (IsWhite(c)) {
                if (first) Error("Invalid XML Element: malformed tag found (no valid name)");
                Properties()->Load(Reader);
                continue;
            }
            first = false;
            if (c == ':') {
                prefix = name;
                prefixRead = true;
                name.clear();
            } else if (c == '/') {
                nameEnded = true;
                if (Reader.Get(c) && c != '>')
                    FmtError("Invalid XML Element: Expected end of tag but \"%s\" found", {c});
                break;
            } else if (c == '>') {
                nameEnded = true;
                const AnsiString endName = Items()->Load(Reader, AParent);
                const AnsiString full = prefixRead ? prefix + ":" + name : name;
                if (!AnsiSameText(full, endName))
                    FmtError("Invalid XML Element: Erroneous end of tag, expecting </%0:s> but </%1:s> found",
                             {name, endName});
                if (items_->Count() == 1 && dynamic_cast<TStSimpleXMLElemText*>(items_->Item(0))) {
                    // The text node decoded its value already; decoding it twice would
                    // turn a stored "&lt;" into "<".
                    value = items_->Item(0)->Value();
                    items_->Clear();
                }
                break;
            } else {
                name += c;
            }
        }
    }
    if (!nameEnded) {
        name.clear();
        prefix.clear();
    }
    SetName(name);
    value_ = value;
    nameSpace_ = prefix;
    if (AParent) {
        AParent->DoTagParsed(name_);
        AParent->DoValueParsed(name_, value_);
    }
}

void TStSimpleXMLElemClassic::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    TStSimpleXML* doc = GetSimpleXML();
    const AnsiString indent = doc && doc->Options().Contains(sxoAutoIndent) ? doc->IndentString() : AnsiString();
    if (name_.empty()) {
        if (items_) items_->Save(Stream, Level + indent, Parent);
    } else {
        AnsiString name = FullName();
        EncodeValue(name);
        const AnsiString attributes = props_ ? props_->Text() : AnsiString();
        if (HasItems()) {
            Put(Stream, Level + "<" + name + attributes + ">" + kCrLf);
            items_->Save(Stream, Level + indent, Parent);
            Put(Stream, Level + "</" + name + ">" + kCrLf);
        } else if (!value_.empty()) {
            AnsiString value = value_;
            EncodeValue(value);
            Put(Stream, Level + "<" + name + attributes + ">" + value + "</" + name + ">" + kCrLf);
        } else {
            Put(Stream, Level + "<" + name + attributes + "/>" + kCrLf);
        }
    }
    if (Parent) Parent->DoSaveProgress();
}

TStSimpleXMLElem* TStSimpleXMLElemText::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemText(AOwner);
}

void TStSimpleXMLElemText::Load(TStXmlReader& Reader, TStSimpleXML* AParent) {
    AnsiString value;
    char c;
    while (Reader.Get(c)) {
        if (c == '<') {
            Reader.Unget();
            break;
        }
        value += c;
    }
    DecodeValue(value);
    value_ = value;
    if (AParent) AParent->DoValueParsed(AnsiString(), value_);
}

void TStSimpleXMLElemText::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    if (!value_.empty()) {
        AnsiString value = value_;
        EncodeValue(value);
        Put(Stream, Level + value + kCrLf);
    }
    if (Parent) Parent->DoSaveProgress();
}

TStSimpleXMLElem* TStSimpleXMLElemComment::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemComment(AOwner);
}

void TStSimpleXMLElemComment::Load(TStXmlReader& Reader, TStSimpleXML* AParent) {
    static const char kEnd[] = "Invalid Comment: Unexpected end of data";
    ExpectLiteral(Reader, "<!--", "Invalid Comment: expected \"%0:s\" but found \"%1:s\"", kEnd);
    AnsiString value;
    char c;
    for (;;) {
        if (!Reader.Get(c)) Error(kEnd);
        if (c != '-') {
            value += c;
            continue;
        }
        if (!Reader.Get(c)) Error(kEnd);
        if (c != '-') {
            value += '-';
            value += c;
            continue;
        }
        // After "--" only '>' may follow, or one character and then '>'.
        if (!Reader.Get(c)) Error(kEnd);
        if (c == '>') break;
        char next;
        if (!Reader.Get(next)) Error(kEnd);
        if (next != '>') Error("Invalid Comment: \"--\" not allowed inside comments");
        value += "--";
        value += c;
        break;
    }
    value_ = value;
    if (AParent) AParent->DoValueParsed(AnsiString(), value_);
}

void TStSimpleXMLElemComment::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    Put(Stream, Level + "<!--" + value_ + "-->" + kCrLf);
    if (Parent) Parent->DoSaveProgress();
}

TStSimpleXMLElem* TStSimpleXMLElemCData::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemCData(AOwner);
}

void TStSimpleXMLElemCData::Load(TStXmlReader& Reader, TStSimpleXML* AParent) {
    static const char kEnd[] = "Invalid CDATA: Unexpected end of data";
    ExpectLiteral(Reader, "<![CDATA[", "Invalid CDATA: expected \"%0:s\" but found \"%1:s\"", kEnd);
    AnsiString value;
    char c;
    for (;;) {
        if (!Reader.Get(c)) Error(kEnd);
        value += c;
        if (c == '>' && value.size() >= 3 && value[value.size() - 2] == ']' && value[value.size() - 3] == ']') {
            value.resize(value.size() - 3);
            break;
        }
    }
    value_ = value;
    if (AParent) AParent->DoValueParsed(AnsiString(), value_);
}

void TStSimpleXMLElemCData::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    Put(Stream, Level + "<![CDATA[" + value_ + "]]>" + kCrLf);
    if (Parent) Parent->DoSaveProgress();
}

TStSimpleXMLElemHeader::TStSimpleXMLElemHeader(TStSimpleXMLElem* AOwner) : TStSimpleXMLElem(AOwner) {}

TStSimpleXMLElem* TStSimpleXMLElemHeader::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemHeader(AOwner);
}

void TStSimpleXMLElemHeader::Assign(TStSimpleXMLElem* Value) {
    TStSimpleXMLElem::Assign(Value);
    if (auto* header = dynamic_cast<TStSimpleXMLElemHeader*>(Value)) {
        standalone_ = header->standalone_;
        encoding_ = header->encoding_;
        version_ = header->version_;
    }
}

void TStSimpleXMLElemHeader::Load(TStXmlReader& Reader, TStSimpleXML*) {
    // The declaration has no end-of-data message of its own.
    static const char kEnd[] = "Invalid Comment: Unexpected end of data";
    static const char kExpected[] = "Invalid Header: expected \"%0:s\" but found \"%1:s\"";
    ExpectLiteral(Reader, "<?xml", kExpected, kEnd);
    Properties()->Load(Reader);
    ExpectLiteral(Reader, "?>", kExpected, kEnd);
    version_ = props_->Value("version");
    encoding_ = props_->Value("encoding");
    standalone_ = props_->Value("standalone") == "yes";
    props_->Clear();
}

void TStSimpleXMLElemHeader::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    AnsiString line = Level + "<?xml version=\"" + version_ + "\"";
    if (!encoding_.empty()) line += " encoding=\"" + encoding_ + "\"";
    if (standalone_) line += " standalone=\"yes\"";
    Put(Stream, line + "?>" + kCrLf);
    if (Parent) Parent->DoSaveProgress();
}

TStSimpleXMLElem* TStSimpleXMLElemDocType::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemDocType(AOwner);
}

void TStSimpleXMLElemDocType::Load(TStXmlReader& Reader, TStSimpleXML* AParent) {
    static const char kEnd[] = "Invalid Comment: Unexpected end of data";
    ExpectLiteral(Reader, "<!DOCTYPE", "Invalid Header: expected \"%0:s\" but found \"%1:s\"", kEnd);
    AnsiString text;
    char awaited = '>';  // ']' inside an internal subset, which may hold '>'
    char c;
    for (;;) {
        if (!Reader.Get(c)) Error(kEnd);
        if (c == '[') awaited = ']';
        else if (c == ']' && awaited == ']') awaited = '>';
        else if (c == '>' && awaited == '>') break;
        text += c;
    }
    value_ = Trim(text);
    if (AParent) AParent->DoValueParsed(AnsiString(), text);
}

void TStSimpleXMLElemDocType::Save(TStream* Stream, const AnsiString&, TStSimpleXML* Parent) {
    Put(Stream, "<!DOCTYPE " + value_ + ">" + kCrLf);
    if (Parent) Parent->DoSaveProgress();
}

TStSimpleXMLElem* TStSimpleXMLElemSheet::CreateSame(TStSimpleXMLElem* AOwner) const {
    return new TStSimpleXMLElemSheet(AOwner);
}

void TStSimpleXMLElemSheet::Load(TStXmlReader& Reader, TStSimpleXML*) {
    static const char kEnd[] = "Invalid Stylesheet: Unexpected end of data";
    static const char kExpected[] = "Invalid Stylesheet: expected \"%0:s\" but found \"%1:s\"";
    ExpectLiteral(Reader, "<?xml-stylesheet", kExpected, kEnd);
    Properties()->Load(Reader);
    ExpectLiteral(Reader, "?>", kExpected, kEnd);
}

void TStSimpleXMLElemSheet::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    Put(Stream, Level + "<?xml-stylesheet" + (props_ ? props_->Text() : AnsiString()) + "?>" + kCrLf);
    if (Parent) Parent->DoSaveProgress();
}

// ---------------------------------------------------------------------------
// Lists of nodes

TStSimpleXMLElems::~TStSimpleXMLElems() { Clear(); }

TStNamedList<TStSimpleXMLElem>& TStSimpleXMLElems::List() {
    if (!list_) list_ = std::make_unique<TStNamedList<TStSimpleXMLElem>>();
    return *list_;
}

TStSimpleXMLElem* TStSimpleXMLElems::Add(const AnsiString& Name, const AnsiString& Value) {
    auto* elem = new TStSimpleXMLElemClassic(parent_);
    elem->SetName(Name);
    elem->SetValue(Value);
    AddChild(elem);
    return elem;
}

TStSimpleXMLElem* TStSimpleXMLElems::Add(TStSimpleXMLElem* Value) {
    if (Value) AddChild(Value);
    return Value;
}

void TStSimpleXMLElems::AddChild(TStSimpleXMLElem* Value) {
    if (Value->container_) Value->container_->Extract(Value);
    List().Add(Value->Name(), Value);
    Value->container_ = this;
    // The list's element owns it now; a parent left behind could be freed under it.
    Value->parent_ = parent_;
}

void TStSimpleXMLElems::Extract(TStSimpleXMLElem* Value) {
    if (list_) {
        const int i = list_->IndexOfItem(Value);
        if (i >= 0) list_->Remove(i);
    }
    Value->container_ = nullptr;
}

void TStSimpleXMLElems::RenameChild(TStSimpleXMLElem* Value, const AnsiString& Name) {
    if (!list_) return;
    const int i = list_->IndexOfItem(Value);
    if (i >= 0) list_->Rename(i, Name);
}

TStSimpleXMLElem* TStSimpleXMLElems::Item(int Index) const {
    if (!list_ || Index < 0 || Index >= list_->Count()) return nullptr;
    return list_->Item(Index);
}

TStSimpleXMLElem* TStSimpleXMLElems::ItemNamedDefault(const AnsiString& Name, const AnsiString& Default) {
    if (list_)
        if (TStSimpleXMLElem* e = list_->Find(Name)) return e;
    TStSimpleXML* doc = parent_ ? parent_->GetSimpleXML() : nullptr;
    if (doc && doc->Options().Contains(sxoAutoCreate)) return Add(Name, Default);
    return nullptr;
}

void TStSimpleXMLElems::Delete(int Index) {
    if (!list_ || Index < 0 || Index >= list_->Count()) return;
    TStSimpleXMLElem* e = list_->Item(Index);
    list_->Remove(Index);
    e->container_ = nullptr;
    delete e;
}

void TStSimpleXMLElems::DeleteByName(const AnsiString& Name) {
    if (!list_) return;
    if (TStSimpleXMLElem* e = list_->Find(Name)) Delete(list_->IndexOfItem(e));
}

void TStSimpleXMLElems::Clear() {
    if (!list_) return;
    for (int i = 0; i < list_->Count(); ++i) {
        TStSimpleXMLElem* e = list_->Item(i);
        e->container_ = nullptr;
        delete e;
    }
    list_->Clear();
}

AnsiString TStSimpleXMLElems::LoadFromStream(TStream* Stream, TStSimpleXML* AParent) {
    TStXmlReader reader(Stream, AParent);
    AnsiString endName = Load(reader, AParent);
    reader.Finish();
    return endName;
}

void TStSimpleXMLElems::SaveToStream(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    Save(Stream, Level, Parent);
}

AnsiString TStSimpleXMLElems::Load(TStXmlReader& Reader, TStSimpleXML*) {
    Clear();
    enum { Between, Tag, EndTag } state = Between;
    AnsiString tag, name, prefix;
    bool prefixRead = false;
    int64_t tagStart = 0;
    char c;
    while (Reader.Get(c)) {
        switch (state) {
            case Between:
                if (IsWhite(c)) break;
                if (c == '<') {
                    tag = "<";
                    tagStart = Reader.Offset() - 1;
                    state = Tag;
                } else {
                    Reader.Unget();
                    std::unique_ptr<TStSimpleXMLElem> node(new TStSimpleXMLElemText(parent_));
                    node->Load(Reader, nullptr);
                    AddChild(node.release());
                }
                break;
            case Tag: {
                if (c == '/' && tag.size() == 1) {
                    name.clear();
                    prefix.clear();
                    prefixRead = false;
                    state = EndTag;
                    break;
                }
                if (c == ' ' && tag == "<![CDATA") break;
                tag += c;
                std::unique_ptr<TStSimpleXMLElem> node;
                if (c == ' ' || c == '/' || c == ':' || c == '>') node.reset(new TStSimpleXMLElemClassic(parent_));
                else if (tag == "<![CDATA[") node.reset(new TStSimpleXMLElemCData(parent_));
                else if (tag == "<!--") node.reset(new TStSimpleXMLElemComment(parent_));
                if (node) {
                    Reader.SeekTo(tagStart);
                    node->Load(Reader, nullptr);
                    AddChild(node.release());
                    state = Between;
                }
                break;
            }
            case EndTag:
                if (c == '>') return prefixRead ? prefix + ":" + name : name;
                if (c == ':') {
                    prefix = name;
                    prefixRead = true;
                    name.clear();
                } else {
                    name += c;
                }
                break;
        }
    }
    return AnsiString();
}

void TStSimpleXMLElems::Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) {
    for (int i = 0; i < Count(); ++i) list_->Item(i)->Save(Stream, Level, Parent);
}

TStSimpleXMLElemsProlog::TStSimpleXMLElemsProlog() = default;

TStSimpleXMLElemsProlog::~TStSimpleXMLElemsProlog() { Clear(); }

TStSimpleXMLElem* TStSimpleXMLElemsProlog::Item(int Index) const {
    return Index >= 0 && Index < list_.Count() ? list_.Item(Index) : nullptr;
}

void TStSimpleXMLElemsProlog::Clear() {
    for (int i = 0; i < list_.Count(); ++i) delete list_.Item(i);
    list_.Clear();
}

TStSimpleXMLElemHeader* TStSimpleXMLElemsProlog::FindHeader() {
    for (int i = 0; i < list_.Count(); ++i)
        if (auto* header = dynamic_cast<TStSimpleXMLElemHeader*>(list_.Item(i))) return header;
    auto* header = new TStSimpleXMLElemHeader(nullptr);
    header->SetName("xml");
    list_.Insert(0, header->Name(), header);
    return header;
}

void TStSimpleXMLElemsProlog::LoadFromStream(TStream* Stream, TStSimpleXML* AParent) {
    TStXmlReader reader(Stream, AParent);
    Load(reader, AParent);
    reader.Finish();
}

void TStSimpleXMLElemsProlog::SaveToStream(TStream* Stream, TStSimpleXML* Parent) { Save(Stream, Parent); }

void TStSimpleXMLElemsProlog::Load(TStXmlReader& Reader, TStSimpleXML*) {
    static const char kUnexpected[] = "Invalid Document: Unexpected text in file prolog";
    Clear();
    char c;
    for (;;) {
        do {
            if (!Reader.Get(c)) return;
        } while (IsWhite(c));
        if (c != '<') TStSimpleXMLElem::Error(kUnexpected);
        const int64_t start = Reader.Offset() - 1;
        AnsiString text = "<";
        std::unique_ptr<TStSimpleXMLElem> item;
        while (!item) {
            if (!Reader.Get(c)) {
                // Markup that began like a prolog item but never became one.
                if (text.size() >= 2) TStSimpleXMLElem::Error(kUnexpected);
                Reader.SeekTo(start);
                return;
            }
            if (c == ' ' && text == "<![CDATA") continue;
            text += c;
            if (text == "<![CDATA[") {
                Reader.SeekTo(start);
                return;
            }
            if (text == "<!--") item.reset(new TStSimpleXMLElemComment(nullptr));
            else if (text == "<?xml-stylesheet") item.reset(new TStSimpleXMLElemSheet(nullptr));
            else if (text == "<?xml ") item.reset(new TStSimpleXMLElemHeader(nullptr));
            else if (text == "<!DOCTYPE") item.reset(new TStSimpleXMLElemDocType(nullptr));
            else if (text.size() == 2 && c != '!' && c != '?') {
                Reader.SeekTo(start);
                return;
            }
        }
        Reader.SeekTo(start);
        item->Load(Reader, nullptr);
        TStSimpleXMLElem* loaded = item.release();
        list_.Add(loaded->Name(), loaded);
    }
}

void TStSimpleXMLElemsProlog::Save(TStream* Stream, TStSimpleXML* Parent) {
    FindHeader();
    for (int i = 0; i < list_.Count(); ++i) list_.Item(i)->Save(Stream, AnsiString(), Parent);
}

// ---------------------------------------------------------------------------
// The document

TESK_PUBLISHED(TStSimpleXML) {
    Property("FileName", TypeInfoTFileName(), &T::FileName, &T::SetFileName);
    Property("IndentString", &T::IndentString, &T::SetIndentString);
    Property("Options", &T::Options, &T::SetOptions)
        .Default(TStSimpleXMLOptions{sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity});
    Property("OnSaveProgress", &T::OnSaveProgress, &T::OnSaveProgress);
    Property("OnLoadProgress", &T::OnLoadProgress, &T::OnLoadProgress);
    Property("OnTagParsed", &T::OnTagParsed, &T::OnTagParsed);
    Property("OnValueParsed", &T::OnValueParsed, &T::OnValueParsed);
    Property("OnEncodeValue", &T::OnEncodeValue, &T::OnEncodeValue);
    Property("OnDecodeValue", &T::OnDecodeValue, &T::OnDecodeValue);
    Property("OnEncodeStream", &T::OnEncodeStream, &T::OnEncodeStream);
    Property("OnDecodeStream", &T::OnDecodeStream, &T::OnDecodeStream);
}

TStSimpleXML::TStSimpleXML(TComponent* AOwner)
    : TComponent(AOwner), root_(new TStSimpleXMLElemClassic(nullptr)), prolog_(new TStSimpleXMLElemsProlog) {
    root_->document_ = this;
}

TStSimpleXML::~TStSimpleXML() {
    delete root_;
    delete prolog_;
}

void TStSimpleXML::LoadFromStream(TStream* Stream) {
    root_->Clear();
    prolog_->Clear();
    if (OnDecodeStream) {
        TMemoryStream decoded;
        OnDecodeStream(this, Stream, &decoded);
        decoded.Seek(0, soBeginning);
        Parse(&decoded);
    } else {
        Parse(Stream);
    }
}

void TStSimpleXML::Parse(TStream* Stream) {
    const bool progress = OnLoadProgress.Assigned();
    TStSimpleXML* parent = progress || OnTagParsed || OnValueParsed ? this : nullptr;
    if (progress) DoLoadProgress(static_cast<int>(Stream->Position()), static_cast<int>(Stream->Size()));
    TStXmlReader reader(Stream, parent);
    prolog_->Load(reader, parent);
    root_->Load(reader, parent);
    reader.Finish();
    if (progress) DoLoadProgress(static_cast<int>(Stream->Position()), static_cast<int>(Stream->Size()));
}

void TStSimpleXML::LoadFromFile(const AnsiString& FileName) {
    TMemoryStream stream;
    stream.LoadFromFile(FileName);
    LoadFromStream(&stream);
}

void TStSimpleXML::LoadFromString(const AnsiString& Text) {
    TStringStream stream(Text);
    LoadFromStream(&stream);
}

void TStSimpleXML::SaveToStream(TStream* Stream) {
    std::unique_ptr<TMemoryStream> encoded;
    TStream* out = Stream;
    if (OnEncodeStream) {
        encoded = std::make_unique<TMemoryStream>();
        out = encoded.get();
    }
    const bool prolog = !options_.Contains(sxoDoNotSaveProlog);
    if (OnSaveProgress) {
        saveCount_ = root_->GetChildsCount() + prolog_->Count();
        saveCurrent_ = 0;
        OnSaveProgress(this, 0, saveCount_);
        if (prolog) prolog_->Save(out, this);
        root_->Save(out, AnsiString(), this);
        OnSaveProgress(this, saveCount_, saveCount_);
    } else {
        if (prolog) prolog_->Save(out, nullptr);
        root_->Save(out, AnsiString(), nullptr);
    }
    if (encoded) {
        encoded->Seek(0, soBeginning);
        OnEncodeStream(this, encoded.get(), Stream);
    }
}

void TStSimpleXML::SaveToFile(const AnsiString& FileName) {
    // Written beside the old file and renamed over it, so that a failed write
    // never leaves a truncated document behind.
    WriteFileAtomically(FileName, SaveToString());
}

AnsiString TStSimpleXML::SaveToString() {
    TStringStream stream;
    SaveToStream(&stream);
    return stream.DataString();
}

void TStSimpleXML::SetFileName(const AnsiString& Value) {
    fileName_ = Value;
    LoadFromFile(Value);
}

void TStSimpleXML::SetIndentString(const AnsiString& Value) {
    if (std::all_of(Value.begin(), Value.end(), [](char c) { return c == ' ' || c == '\t'; })) indentString_ = Value;
}

void TStSimpleXML::DoEncodeValue(AnsiString& Value) {
    if (OnEncodeValue) OnEncodeValue(this, Value);
    else if (options_.Contains(sxoAutoEncodeValue)) Value = SimpleXMLEncode(Value);
    else if (options_.Contains(sxoAutoEncodeEntity)) Value = EntityEncode(Value);
}

void TStSimpleXML::DoDecodeValue(AnsiString& Value) {
    if (OnDecodeValue) OnDecodeValue(this, Value);
    else if (options_.Contains(sxoAutoEncodeValue)) Value = SimpleXMLDecode(Value);
    else if (options_.Contains(sxoAutoEncodeEntity)) Value = EntityDecode(Value);
}

void TStSimpleXML::DoLoadProgress(int Position, int Total) {
    if (OnLoadProgress) OnLoadProgress(this, Position, Total);
}

void TStSimpleXML::DoSaveProgress() {
    if (OnSaveProgress) {
        ++saveCurrent_;
        OnSaveProgress(this, saveCurrent_, saveCount_);
    }
}

void TStSimpleXML::DoTagParsed(const AnsiString& Name) {
    if (OnTagParsed) OnTagParsed(this, Name);
}

void TStSimpleXML::DoValueParsed(const AnsiString& Name, const AnsiString& Value) {
    if (OnValueParsed) OnValueParsed(this, Name, Value);
}
