#pragma once
// Pictures attached to buffer lines and shown in the gutter: the ten numbered
// bookmarks and free line marks. The list owns its marks and tells the editor
// when it changes; a mark repaints its line's gutter when it moves or changes.
#include "platform/classes/Lists.h"

class TCustomTeEdit;

class TTeEditMark : public TObject {
public:
    explicit TTeEditMark(TCustomTeEdit* AOwner);
    const char* ClassName() const override { return "TTeEditMark"; }

    // The editor, but only while its mark list still holds this mark.
    virtual TCustomTeEdit* GetEdit();
    int Line() const { return line_; }
    virtual void SetLine(int Value);
    int Char() const { return char_; }
    virtual void SetChar(int Value) { char_ = Value; }
    int ImageIndex() const { return imageIndex_; }
    virtual void SetImage(int Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    bool InternalImage() const { return internalImage_; }
    void SetInternalImage(bool Value);
    int BookmarkNumber() const { return bookmarkNumber_; }
    void SetBookmarkNumber(int Value) { bookmarkNumber_ = Value; }
    bool IsBookmark() const { return bookmarkNumber_ >= 0; }

private:
    void InvalidateGutterLine(int ALine);
    int line_ = 0;
    int char_ = 0;
    int imageIndex_ = 0;
    TCustomTeEdit* edit_;
    bool visible_ = false;
    bool internalImage_ = false;
    int bookmarkNumber_ = -1;
};

class TTeEditMarkList : public TObject {
public:
    explicit TTeEditMarkList(TCustomTeEdit* AOwner) : edit_(AOwner) {}
    ~TTeEditMarkList() override;
    const char* ClassName() const override { return "TTeEditMarkList"; }

    int Add(TTeEditMark* Item);
    // Takes the mark out without freeing it.
    int Remove(TTeEditMark* Item);
    // Frees every mark.
    void ClearMarks();
    int Count() const { return list_.Count(); }
    TTeEditMark* Items(int Index) const { return static_cast<TTeEditMark*>(list_.Items(Index)); }
    int IndexOf(TTeEditMark* Item) const { return list_.IndexOf(Item); }
    static constexpr int kMaxMarksPerLine = 16;
    // The marks of a line in list order, at most 16; the rest of the array is nullptr.
    void GetMarksForLine(int Line, TTeEditMark* (&Marks)[kMaxMarksPerLine]) const;
    TNotifyEvent OnChange;

private:
    void DoChange();
    TCustomTeEdit* edit_;
    TList list_;
};
