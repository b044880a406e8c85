#pragma once
// The editor's text store: the line list with its cached tab expansion and
// its three line-break styles, the buffered file writer behind its file save,
// the tab-expansion routines it uses, and the undo list.
#include <cstdint>
#include <memory>

#include "editor/TeEditMiscClasses.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Strings.h"

// ---------------------------------------------------------------------------
// Tab expansion

// Expands the tabs of Line for TabWidth and tells whether it had any.
using TConvertTabsProc = AnsiString (*)(const AnsiString& Line, int TabWidth, bool& HasTabs);

// Each tab becomes one blank.
AnsiString ExpandTabsOneForOne(const AnsiString& Line, int TabWidth, bool& HasTabs);
// Each tab becomes as many tab characters as reach the next tab stop, the
// stop found by masking (TabWidth a power of two).
AnsiString ExpandTabsMasked(const AnsiString& Line, int TabWidth, bool& HasTabs);
// The same with the stop found by division (any TabWidth of 2 or more).
AnsiString ExpandTabsDivided(const AnsiString& Line, int TabWidth, bool& HasTabs);
// The routine that fits TabWidth: one-for-one below 2, masked for a power of
// two up to 65536, divided otherwise.
TConvertTabsProc GetBestConvertTabsProc(int TabWidth);

// ---------------------------------------------------------------------------
// Line list

TESK_DECLARE_EXCEPTION(ETeEditStringList, Exception);

enum TTeLineBreakStyle : uint8_t { lbsCRLF, lbsLF, lbsCR };

using TTeLineFlags = uint8_t;
enum : TTeLineFlags { lfHasTabs = 1, lfNoTabs = 2, lfLengthUnknown = 4 };

struct TTeLineRecord {
    AnsiString Text;
    TObject* Data = nullptr;  // not owned
    int32_t Range = 0;        // highlighter state at the line's end; -1 none
    int32_t ExpandedLength = 0;  // -1 while unknown
    TTeLineFlags Flags = 0;
};

// (Sender, Index, Count) of a run of lines.
using TTeStringListChangeEvent = Delegate<void(TObject* Sender, int Index, int Count)>;

class TTeEditStringList : public TStrings {
public:
    TTeEditStringList();
    ~TTeEditStringList() override;
    const char* ClassName() const override { return "TTeEditStringList"; }

    int Add(const AnsiString& S) override;
    void AddStrings(TStrings* Strings) override;
    void Clear() override;
    void Delete(int Index) override;
    // Opens NumLines empty lines at Index.
    void InsertLines(int Index, int NumLines);
    // Removes NumLines lines from Index on (cut at the last line).
    void DeleteLines(int Index, int NumLines);
    void Exchange(int Index1, int Index2) override;
    void Insert(int Index, const AnsiString& S) override;
    void LoadFromFile(const AnsiString& FileName) override;
    void LoadFromStream(TStream* Stream) override;
    void SaveToFile(const AnsiString& FileName) override;
    void SaveToStream(TStream* Stream) override;
    void SetCapacity(int NewCapacity) override;

    // The line with its tabs expanded ('' out of range).
    AnsiString GetExpandedString(int Index);
    int GetExpandedStringLength(int Index);
    // The greatest expanded length of all lines (0 for none).
    int GetLengthOfLongestLine();
    int GetRange(int Index) const;
    void PutRange(int Index, int ARange);
    // The flags of a line, 0 out of range.
    TTeLineFlags GetFlags(int Index) const;

    TTeLineBreakStyle LineBreakStyle() const { return lineBreakStyle_; }
    void SetLineBreakStyle(TTeLineBreakStyle Value) { lineBreakStyle_ = Value; }
    bool BreakAfterLastLine() const { return breakAfterLastLine_; }
    void SetBreakAfterLastLine(bool Value) { breakAfterLastLine_ = Value; }
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int Value);
    // The cached index of the longest line, -1 while unknown.
    int IndexOfLongestLine() const { return indexOfLongestLine_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;
    TNotifyEvent OnLinesCleared;
    TTeStringListChangeEvent OnLinesDeleted;
    TTeStringListChangeEvent OnLinesInserted;
    TTeStringListChangeEvent OnLinesReplaced;

protected:
    AnsiString Get(int Index) const override;
    int GetCapacity() const override { return capacity_; }
    int GetCount() const override { return count_; }
    TObject* GetObject(int Index) const override;
    AnsiString GetTextStr() const override;
    void Put(int Index, const AnsiString& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void SetUpdateState(bool Updating) override;

private:
    [[noreturn]] static void ListIndexOutOfBounds(int Index);
    bool ValidIndex(int Index) const { return Index >= 0 && Index < count_; }
    void Grow();
    void InsertRecord(int Index, const AnsiString& S);
    AnsiString ExpandLine(int Index);

    std::unique_ptr<TTeLineRecord[]> list_;
    int count_ = 0;
    int capacity_ = 0;
    TTeLineBreakStyle lineBreakStyle_ = lbsCRLF;
    bool breakAfterLastLine_ = false;
    TConvertTabsProc expandTabsProc_ = nullptr;
    int indexOfLongestLine_ = -1;
    int tabWidth_ = 0;
};

// ---------------------------------------------------------------------------
// Buffered file writing

class TTeEditFiler : public TObject {
public:
    TTeEditFiler();
    ~TTeEditFiler() override;
    const char* ClassName() const override { return "TTeEditFiler"; }

    virtual void Flush() {}
    TTeLineBreakStyle LineBreakStyle() const { return lineBreakStyle_; }
    void SetLineBreakStyle(TTeLineBreakStyle Value) { lineBreakStyle_ = Value; }
    int BufferSize() const { return bufferSize_; }

protected:
    void SetBufferSize(int Value);

    std::unique_ptr<char[]> buffer_;
    int bufferUsed_ = 0;
    int bufferSize_ = 0;
    TTeLineBreakStyle lineBreakStyle_ = lbsLF;
    std::unique_ptr<TStream> stream_;
};

// Writes lines to a new file through a 16 KB buffer, grown for a longer line.
// Destruction flushes; a flush that fails there is dropped, so call Flush
// first to learn of it.
class TTeEditFileWriter : public TTeEditFiler {
public:
    explicit TTeEditFileWriter(const AnsiString& FileName);
    ~TTeEditFileWriter() override;
    const char* ClassName() const override { return "TTeEditFileWriter"; }

    void Flush() override;
    void Write(const AnsiString& S);
    // S followed by the line break of LineBreakStyle.
    void WriteLine(const AnsiString& S);

private:
    void MakeRoom(int Size);
};

// ---------------------------------------------------------------------------
// Undo list

enum TTeUndoReason : uint8_t {
    urInsert,
    urPaste,
    urDragDropInsert,
    urDeleteAfterCaret,
    urDelete,
    urLineBreak,
    urIndent,
    urUnindent,
    urSilentDelete,
    urSilentDeleteAfterCaret,
    urRun1Begin,
    urRun1End,
    urPasteBegin,
    urPasteEnd,
    urRun2Begin,
    urRun2End,
    urRun3Begin,
    urRun3End,
    urCaret,
    urSelection,
    urNothing,
    urGroupBreak,
    urReserved22,
    urSpacesAdded,
};

class TTeEditUndoItem : public TPersistent {
public:
    const char* ClassName() const override { return "TTeEditUndoItem"; }
    void Assign(TPersistent* Source) override;

    TTeUndoReason Reason() const { return reason_; }
    TTeSelectionMode SelectionMode() const { return selectionMode_; }
    TBufferCoord StartPos() const { return startPos_; }
    TBufferCoord EndPos() const { return endPos_; }
    const AnsiString& Text() const { return text_; }
    int ChangeNumber() const { return changeNumber_; }

private:
    friend class TTeEditUndoList;
    TTeUndoReason reason_ = urInsert;
    TTeSelectionMode selectionMode_ = smNormal;
    TBufferCoord startPos_;
    TBufferCoord endPos_;
    AnsiString text_;
    int changeNumber_ = 0;
};

class TTeEditUndoList : public TPersistent {
public:
    TTeEditUndoList();
    ~TTeEditUndoList() override;
    const char* ClassName() const override { return "TTeEditUndoList"; }

    void AddChange(TTeUndoReason AReason, const TBufferCoord& AStart, const TBufferCoord& AEnd,
                   const AnsiString& ChangeText, TTeSelectionMode SelMode);
    void AddGroupBreak();
    void BeginBlock();
    void EndBlock();
    void Clear();
    // The newest item; PopItem takes it out and hands it to the caller.
    TTeEditUndoItem* PeekItem() const;
    TTeEditUndoItem* PopItem();
    // Takes the item over.
    void PushItem(TTeEditUndoItem* Item);
    void Lock();
    void Unlock();
    TTeUndoReason LastChangeReason() const;
    void Assign(TPersistent* Source) override;

    bool CanUndo() const { return ItemCount() > 0; }
    int ItemCount() const { return items_.Count(); }
    TTeEditUndoItem* Items(int Index) const { return static_cast<TTeEditUndoItem*>(items_.Items(Index)); }
    int BlockChangeNumber() const { return blockChangeNumber_; }
    // Items added while it is not 0 take this number (undo and redo moving a step).
    void SetBlockChangeNumber(int Value) { blockChangeNumber_ = Value; }
    int BlockCount() const { return blockCount_; }
    bool FullUndoImpossible() const { return fullUndoImpossible_; }
    int LockCount() const { return lockCount_; }
    int MaxUndo() const { return maxUndo_; }
    void SetMaxUndo(int Value);
    int NextChangeNumber() const { return nextChangeNumber_; }
    int InitialChangeNumber() const { return initialChangeNumber_; }
    bool RedoInProgress() const { return redoInProgress_; }
    void SetRedoInProgress(bool Value) { redoInProgress_ = Value; }
    // Marks the present state as unmodified (true) or forgets the mark (false).
    void SetInitialState(bool Value);
    // Whether the list stands at the unmodified state.
    bool GetInitialState() const;

    TNotifyEvent OnAddedUndo;

private:
    void Appended(TTeEditUndoItem* Item);
    void EnsureMaxEntries();
    static int Following(int ChangeNumber);

    int blockChangeNumber_ = 0;
    int blockCount_ = 0;
    bool fullUndoImpossible_ = false;
    TList items_;
    int lockCount_ = 0;
    int maxUndo_ = 1024;
    int nextChangeNumber_ = 1;
    int initialChangeNumber_ = 0;
    bool redoInProgress_ = false;
};
