#pragma once
// The grid's selection: one kind at a time, either a set of records (the
// grid's SelectedRows, kept in the data set's bookmark order), a rectangle of
// cells between an anchor and a shift cell, a set of columns, or everything.
#include <memory>

#include "grid/DBGridGxColumns.h"
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
    // Puts the bookmarks in the data set's order again (after the data set was
    // sorted anew) and forgets the last search.
    void Resort();
    // A selected record that the data set put in again under a new bookmark
    // (a move taken back) stays selected.
    void Renamed(const TBookmarkStr& Was, const TBookmarkStr& Now);

private:
    void ListChanged(TObject* Sender);
    void ResetFindCache();
    TCustomDBGridGx* grid_;
    std::unique_ptr<TStringList> list_;
    mutable TBookmarkStr cacheBookmark_;
    mutable int cacheIndex_ = -1;
    mutable bool cacheFound_ = false;
    bool linkActive_ = false;
};

// A rectangle of cells from the anchor cell to the shift cell, both included,
// whichever way round they lie. Columns are data-column indexes.
class TDBGridGxSelectionRect : public TObject {
public:
    explicit TDBGridGxSelectionRect(TCustomDBGridGx* Grid) : grid_(Grid) {}
    const char* ClassName() const override { return "TDBGridGxSelectionRect"; }
    // Moves the shift cell (and the anchor too, unless KeepAnchor and one is set);
    // a one-cell rectangle is no selection.
    void Select(int DataCol, const TBookmarkStr& Bookmark, bool KeepAnchor);
    void Clear();
    // These need an active data link; EDBGridGxError otherwise.
    bool CellSelected(int DataCol, const TBookmarkStr& Bookmark) const;
    TBookmarkStr TopRow() const;
    TBookmarkStr BottomRow() const;
    int LeftCol() const;
    int RightCol() const;
    TGridRect GetGridRect();
    int AnchorCol() const { return anchorCol_; }
    const TBookmarkStr& AnchorBookmark() const { return anchorBookmark_; }

private:
    void CheckLink(const char* Error) const;
    int CompareRows(const TBookmarkStr& A, const TBookmarkStr& B) const;
    TGridRect RectOf(int Col1, const TBookmarkStr& Row1, int Col2, const TBookmarkStr& Row2);
    int anchorCol_ = -1;
    TBookmarkStr anchorBookmark_;
    TCustomDBGridGx* grid_;
    int shiftCol_ = -1;
    TBookmarkStr shiftBookmark_;
};

// The selected columns in Index order, with the anchor and shift columns of a
// Shift extension and the columns that extension changed (so that moving back
// towards the anchor undoes them).
class TDBGridGxSelectionCols : public TColumnsGxList {
public:
    explicit TDBGridGxSelectionCols(TCustomDBGridGx* Grid) : grid_(Grid) {}
    const char* ClassName() const override { return "TDBGridGxSelectionCols"; }
    void Select(TColumnGx* Column, bool AddToSelection);
    void InvertSelect(TColumnGx* Column);
    void SelectShift(TColumnGx* Column);
    void Clear() override;
    // Drops columns no longer in the grid and orders the rest by Index again.
    void Refresh();
    TGridRect GetGridRect();
    TColumnGx* Anchor() const { return anchor_; }
    TColumnGx* Shift() const { return shift_; }

private:
    void AddInOrder(TColumnGx* Column);
    void ClearOtherKind();
    void SetKindFromList();
    TColumnGx* anchor_ = nullptr;
    TColumnGx* shift_ = nullptr;
    TCustomDBGridGx* grid_;
    TColumnsGxList extension_;
};

// The grid's one selection.
class TDBGridGxSelection : public TObject {
public:
    explicit TDBGridGxSelection(TCustomDBGridGx* Grid);
    ~TDBGridGxSelection() override;
    const char* ClassName() const override { return "TDBGridGxSelection"; }
    TDBGridGxSelectionCols* Columns() const { return columns_.get(); }
    TDBGridGxSelectionRect* Rect() const { return rect_.get(); }
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
    friend class TDBGridGxSelectionRect;
    friend class TDBGridGxSelectionCols;
    std::unique_ptr<TDBGridGxSelectionCols> columns_;
    TCustomDBGridGx* grid_;
    std::unique_ptr<TDBGridGxSelectionRect> rect_;
    TDBGridGxSelectionType selectionType_ = gstNon;
};
