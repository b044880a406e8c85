#pragma once
// The grid's selection: the selected rows as bookmarks and the one selection object.
#include <memory>

#include "grid/DBGridGxTypes.h"

// ---------------------------------------------------------------------------
// Selected rows and the selection

// The selected records as bookmarks, kept in the data set's bookmark order.
class TBookmarkListGx : public TObject {
public:
    explicit TBookmarkListGx(TCustomDBGridGx* Grid);
    ~TBookmarkListGx() override;
    const char* ClassName() const override { return "TBookmarkListGx"; }

    int Count() const { return list_->Count(); }
    TBookmarkStr Items(int Index) const { return list_->Strings(Index); }
    TBookmarkStr operator[](int Index) const { return Items(Index); }
    // The data set's current record; EDBGridGxError when the grid's link is not active.
    TBookmarkStr CurrentRow() const;
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool Value);
    // Binary search: whether found, and the place it is or would be inserted.
    bool Find(const TBookmarkStr& Item, int& Index) const;
    int IndexOf(const TBookmarkStr& Item) const;
    int Compare(const TBookmarkStr& Item1, const TBookmarkStr& Item2) const;
    void Clear();
    // Deletes every selected record from the data set, the last one first.
    void Delete();
    void LinkActive(bool Value);
    // The rows on screen of the selected records.
    TGridRect GetGridRect();

private:
    void ListChanged(TObject* Sender);
    TCustomDBGridGx* grid_;
    std::unique_ptr<TStringList> list_;
    mutable TBookmarkStr cacheBookmark_;
    mutable int cacheIndex_ = -1;
    mutable bool cacheFound_ = false;
    bool linkActive_ = false;
};

// The grid's one selection: rows, a rectangle, columns or everything. The
// rectangle and the column parts come with the selection unit; here the
// selection keeps its kind and the selected rows.
class TDBGridGxSelection : public TObject {
public:
    explicit TDBGridGxSelection(TCustomDBGridGx* Grid) : grid_(Grid) {}
    const char* ClassName() const override { return "TDBGridGxSelection"; }
    TDBGridGxSelectionType SelectionType() const { return selectionType_; }
    void SetSelectionType(TDBGridGxSelectionType Value);
    TBookmarkListGx* Rows() const;
    void Clear();
    void SelectAll();
    void UpdateState();
    bool DataCellSelected(int DataCol, const TBookmarkStr& Bookmark) const;
    TGridRect GetGridRect();
    void LinkActive(bool Value);
    virtual void SelectionChanged();

private:
    friend class TBookmarkListGx;
    TCustomDBGridGx* grid_;
    TDBGridGxSelectionType selectionType_ = gstNon;
};
