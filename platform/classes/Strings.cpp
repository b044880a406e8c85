#include "platform/classes/Strings.h"

#include "platform/classes/Streams.h"

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

AnsiString QuoteWith(const AnsiString& s, char quote) {
    AnsiString result(1, quote);
    for (char c : s) {
        result += c;
        if (c == quote) result += c;
    }
    result += quote;
    return result;
}

AnsiString JoinDelimited(const TStrings& list, char delimiter, char quote) {
    int count = list.Count();
    if (count == 1 && list.Strings(0).empty()) return AnsiString(2, quote);
    AnsiString result;
    for (int i = 0; i < count; ++i) {
        AnsiString s = list.Strings(i);
        for (char c : s) {
            if (IsBlankOrControl(c) || c == quote || c == delimiter) {
                s = QuoteWith(s, quote);
                break;
            }
        }
        if (i > 0) result += delimiter;
        result += s;
    }
    return result;
}

// Reads a quoted item starting at the opening quote; a doubled quote stands for
// one, and an item without a closing quote runs to the end.
AnsiString ExtractQuoted(const char*& p, char quote) {
    AnsiString result;
    ++p;
    while (*p) {
        if (*p == quote) {
            if (p[1] == quote) {
                result += quote;
                p += 2;
                continue;
            }
            ++p;
            return result;
        }
        result += *p++;
    }
    return result;
}

void SplitDelimited(TStrings& list, const AnsiString& value, char delimiter, char quote) {
    // Like the C string it stands for, the text ends at a NUL.
    const char* p = value.c_str();
    auto skipBlanks = [&p] {
        while (*p && IsBlankOrControl(*p)) ++p;
    };
    list.Clear();
    skipBlanks();
    while (*p) {
        AnsiString s;
        if (*p == quote) {
            s = ExtractQuoted(p, quote);
        } else {
            const char* start = p;
            while (*p && !IsBlankOrControl(*p) && *p != delimiter) ++p;
            s.assign(start, static_cast<size_t>(p - start));
        }
        list.Add(s);
        skipBlanks();
        if (*p == delimiter) {
            if (p[1] == '\0') list.Add(AnsiString());
            ++p;
            skipBlanks();
        }
    }
}

}  // namespace

// --- TStrings ---

void TStrings::Error(const char* message, int Index) {
    throw EStringListError(AnsiString(message) + " (" + std::to_string(Index) + ")");
}

void TStrings::Error(const char* message) { throw EStringListError(message); }

int TStrings::Add(const AnsiString& S) {
    int result = GetCount();
    Insert(result, S);
    return result;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
    int result = Add(S);
    PutObject(result, AObject);
    return result;
}

void TStrings::AddStrings(TStrings* Strings) {
    TStringsUpdateScope update(this);
    int count = Strings->GetCount();
    for (int i = 0; i < count; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TStrings*>(Source)) {
        if (source == this) return;
        TStringsUpdateScope update(this);
        Clear();
        AddStrings(source);
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate() {
    if (updateCount_ <= 0) return;
    --updateCount_;
    if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Exchange(int Index1, int Index2) {
    TStringsUpdateScope update(this);
    TObject* tempObject = GetObject(Index1);
    AnsiString tempString = Get(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, tempString);
    PutObject(Index2, tempObject);
}

int TStrings::IndexOf(const AnsiString& S) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const AnsiString& Name) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        AnsiString s = Get(i);
        size_t p = s.find('=');
        if (p != AnsiString::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    TStringsUpdateScope update(this);
    AnsiString tempString = Get(CurIndex);
    TObject* tempObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, tempString, tempObject);
}

bool TStrings::Equals(TStrings* Strings) const {
    int count = GetCount();
    if (count != Strings->GetCount()) return false;
    for (int i = 0; i < count; ++i)
        if (Get(i) != Strings->Get(i)) return false;
    return true;
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* Stream) {
    TStringsUpdateScope update(this);
    int64_t size = Stream->Size() - Stream->Position();
    AnsiString s(static_cast<size_t>(size > 0 ? size : 0), '\0');
    int64_t got = s.empty() ? 0 : Stream->Read(&s[0], static_cast<int64_t>(s.size()));
    s.resize(static_cast<size_t>(got));
    SetTextStr(s);
}

void TStrings::SaveToFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream) {
    AnsiString s = GetTextStr();
    Stream->WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

AnsiString TStrings::CommaText() const { return JoinDelimited(*this, ',', '"'); }

void TStrings::SetCommaText(const AnsiString& Value) {
    TStringsUpdateScope update(this);
    SplitDelimited(*this, Value, ',', '"');
}

AnsiString TStrings::DelimitedText() const { return JoinDelimited(*this, delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(const AnsiString& Value) {
    TStringsUpdateScope update(this);
    SplitDelimited(*this, Value, delimiter_, quoteChar_);
}

AnsiString TStrings::Names(int Index) const {
    AnsiString s = Get(Index);
    size_t p = s.find('=');
    return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

AnsiString TStrings::Values(const AnsiString& Name) const {
    int i = IndexOfName(Name);
    if (i < 0) return AnsiString();
    AnsiString s = Get(i);
    return s.substr(s.find('=') + 1);
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value) {
    int i = IndexOfName(Name);
    if (!Value.empty()) {
        if (i < 0) i = Add(AnsiString());
        Put(i, Name + "=" + Value);
    } else if (i >= 0) {
        Delete(i);
    }
}

AnsiString TStrings::ValueFromIndex(int Index) const {
    if (Index < 0) return AnsiString();
    AnsiString s = Get(Index);
    size_t p = s.find('=');
    // A line without '=' has no value (rather than losing its first character).
    return p == AnsiString::npos ? AnsiString() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int Index, const AnsiString& Value) {
    if (!Value.empty()) {
        if (Index < 0) Index = Add(AnsiString());
        Put(Index, Names(Index) + "=" + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

void TStrings::Put(int Index, const AnsiString& S) {
    TObject* tempObject = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, tempObject);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

int TStrings::GetCapacity() const { return GetCount(); }

void TStrings::SetCapacity(int) {}

void TStrings::SetUpdateState(bool) {}

AnsiString TStrings::GetTextStr() const {
    int count = GetCount();
    AnsiString result;
    for (int i = 0; i < count; ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetTextStr(const AnsiString& Value) {
    TStringsUpdateScope update(this);
    Clear();
    const char* p = Value.c_str();
    while (*p) {
        const char* start = p;
        while (*p && *p != '\n' && *p != '\r') ++p;
        Add(AnsiString(start, static_cast<size_t>(p - start)));
        if (*p == '\r') ++p;
        if (*p == '\n') ++p;
    }
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const { return AnsiCompareText(S1, S2); }

// --- TStringList ---

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) Error("List index out of bounds", Index);
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating) Changing();
    else Changed();
}

int TStringList::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
    int result;
    if (!sorted_) {
        result = GetCount();
    } else if (Find(S, result)) {
        switch (duplicates_) {
        case dupIgnore: return result;
        case dupError: Error("String list does not allow duplicates");
        case dupAccept: break;
        }
    }
    InsertItem(result, S, AObject);
    return result;
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    items_.clear();
    items_.shrink_to_fit();
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    items_.erase(items_.begin() + Index);
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
    Changed();
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
    bool result = false;
    int l = 0;
    int h = GetCount() - 1;
    while (l <= h) {
        int i = (l + h) >> 1;
        int c = CompareStrings(items_[static_cast<size_t>(i)].string, S);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                result = true;
                if (duplicates_ != dupAccept) l = i;
            }
        }
    }
    Index = l;
    return result;
}

int TStringList::IndexOf(const AnsiString& S) const {
    if (!sorted_) return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

void TStringList::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
    if (sorted_) Error("Operation not allowed on sorted list");
    if (Index < 0 || Index > GetCount()) Error("List index out of bounds", Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
    Changing();
    items_.insert(items_.begin() + Index, Item{S, AObject});
    Changed();
}

AnsiString TStringList::Get(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].string;
}

void TStringList::Put(int Index, const AnsiString& S) {
    if (sorted_) Error("Operation not allowed on sorted list");
    CheckIndex(Index);
    Changing();
    items_[static_cast<size_t>(Index)].string = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    items_[static_cast<size_t>(Index)].object = AObject;
    Changed();
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < GetCount()) Error("List capacity out of bounds", NewCapacity);
    if (static_cast<size_t>(NewCapacity) > items_.capacity()) {
        items_.reserve(static_cast<size_t>(NewCapacity));
    } else {
        std::vector<Item> copy;
        copy.reserve(static_cast<size_t>(NewCapacity));
        copy.assign(items_.begin(), items_.end());
        items_.swap(copy);
    }
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
    return caseSensitive_ ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

int TStringList::CompareItems(TStringList* List, int Index1, int Index2) {
    return List->CompareStrings(List->items_[static_cast<size_t>(Index1)].string,
                                List->items_[static_cast<size_t>(Index2)].string);
}

void TStringList::Sort() { CustomSort(&TStringList::CompareItems); }

void TStringList::CustomSort(TStringListSortCompare Compare) {
    if (sorted_ || GetCount() <= 1) return;
    Changing();
    QuickSort(0, GetCount() - 1, Compare);
    Changed();
}

void TStringList::QuickSort(int L, int R, TStringListSortCompare Compare) {
    // Recurse into the smaller part, loop over the larger, so the depth stays logarithmic.
    while (L < R) {
        int i = L;
        int j = R;
        int p = (L + R) >> 1;
        do {
            while (Compare(this, i, p) < 0) ++i;
            while (Compare(this, j, p) > 0) --j;
            if (i <= j) {
                if (i != j) std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
                if (p == i) p = j;
                else if (p == j) p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - L < R - i) {
            if (L < j) QuickSort(L, j, Compare);
            L = i;
        } else {
            if (i < R) QuickSort(i, R, Compare);
            R = j;
        }
    }
}

void TStringList::SetSorted(bool Value) {
    if (sorted_ == Value) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (caseSensitive_ == Value) return;
    caseSensitive_ = Value;
    if (sorted_) {
        // The order depends on the comparison, so sort again under the new one.
        sorted_ = false;
        Sort();
        sorted_ = true;
    }
}
