#pragma once
// String lists: the abstract TStrings and the stored TStringList.
//
// Text is split at CR, LF and CR LF (LF CR is two breaks), a NUL ends it and a
// final break gives no empty last line; reading Text puts CR LF after every line.
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Lists.h"

class TStream;

class TStrings : public TPersistent {
public:
    TStrings() = default;
    const char* ClassName() const override { return "TStrings"; }

    virtual int Add(const AnsiString& S);
    virtual int AddObject(const AnsiString& S, TObject* AObject);
    void Append(const AnsiString& S) { Add(S); }
    virtual void AddStrings(TStrings* Strings);
    // From another TStrings: BeginUpdate, Clear, AddStrings, EndUpdate.
    void Assign(TPersistent* Source) override;
    void BeginUpdate();
    void EndUpdate();
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual int IndexOf(const AnsiString& S) const;
    int IndexOfName(const AnsiString& Name) const;
    int IndexOfObject(TObject* AObject) const;
    virtual void Insert(int Index, const AnsiString& S) = 0;
    virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
    virtual void Move(int CurIndex, int NewIndex);
    bool Equals(TStrings* Strings) const;

    // Raw bytes, no conversion of line ends on the way in or out.
    virtual void LoadFromFile(const AnsiString& FileName);
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToFile(const AnsiString& FileName);
    virtual void SaveToStream(TStream* Stream);

    int Count() const { return GetCount(); }
    AnsiString Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const AnsiString& S) { Put(Index, S); }
    AnsiString operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
    int Capacity() const { return GetCapacity(); }
    virtual void SetCapacity(int NewCapacity);

    AnsiString Text() const { return GetTextStr(); }
    void SetText(const AnsiString& Value) { SetTextStr(Value); }

    // Items joined by ','; an item holding a control character, blank, '"' or ','
    // is quoted. Setting splits at ',' and at blanks outside quotes.
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& Value);
    // The same with Delimiter and QuoteChar.
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& Value);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char c) { delimiter_ = c; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char c) { quoteChar_ = c; }

    // name=value lines. Names(i) is empty for a line without '='.
    AnsiString Names(int Index) const;
    AnsiString Values(const AnsiString& Name) const;
    // An empty value deletes the line.
    void SetValues(const AnsiString& Name, const AnsiString& Value);
    AnsiString ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const AnsiString& Value);

protected:
    // The storage interface that a list implements.
    virtual AnsiString Get(int Index) const = 0;
    virtual void Put(int Index, const AnsiString& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    virtual int GetCount() const = 0;
    virtual int GetCapacity() const;
    // Called with true by the first BeginUpdate and with false by the last EndUpdate.
    virtual void SetUpdateState(bool Updating);
    virtual AnsiString GetTextStr() const;
    virtual void SetTextStr(const AnsiString& Value);
    // 0 when equal; the base ignores letter case (AnsiCompareText).
    virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;

    int UpdateCount() const { return updateCount_; }
    [[noreturn]] static void Error(const char* message, int Index);
    [[noreturn]] static void Error(const char* message);

private:
    int updateCount_ = 0;
    char delimiter_ = ',';
    char quoteChar_ = '"';
};

// Keeps BeginUpdate and EndUpdate paired when an operation raises.
class TStringsUpdateScope {
public:
    explicit TStringsUpdateScope(TStrings* s) : s_(s) { s_->BeginUpdate(); }
    ~TStringsUpdateScope() { s_->EndUpdate(); }
    TStringsUpdateScope(const TStringsUpdateScope&) = delete;
    TStringsUpdateScope& operator=(const TStringsUpdateScope&) = delete;

private:
    TStrings* s_;
};

class TStringList;
// Compares the items at two indexes of the list (negative, zero, positive).
using TStringListSortCompare = int (*)(TStringList* List, int Index1, int Index2);

class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;
    const char* ClassName() const override { return "TStringList"; }

    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    // Binary search by CompareStrings; answers whether S was found and, in Index,
    // where it is or would be inserted. With dupAccept, the first of equal items.
    virtual bool Find(const AnsiString& S, int& Index) const;
    int IndexOf(const AnsiString& S) const override;
    void Insert(int Index, const AnsiString& S) override;
    void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
    virtual void Sort();
    virtual void CustomSort(TStringListSortCompare Compare);
    void SetCapacity(int NewCapacity) override;

    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates v) { duplicates_ = v; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    AnsiString Get(int Index) const override;
    void Put(int Index, const AnsiString& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
    void SetUpdateState(bool Updating) override;
    // AnsiCompareStr when CaseSensitive, else AnsiCompareText.
    int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
    virtual void InsertItem(int Index, const AnsiString& S, TObject* AObject);

private:
    struct Item {
        AnsiString string;
        TObject* object = nullptr;
    };
    void CheckIndex(int Index) const;
    static int CompareItems(TStringList* List, int Index1, int Index2);
    void QuickSort(int L, int R, TStringListSortCompare Compare);

    std::vector<Item> items_;
    TDuplicates duplicates_ = dupIgnore;
    bool sorted_ = false;
    bool caseSensitive_ = false;
};
