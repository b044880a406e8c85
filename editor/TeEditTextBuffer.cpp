#include "editor/TeEditTextBuffer.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include "platform/rtl/SysUtils.h"

namespace {

constexpr int kFilerBufferSize = 16384;

// Both multi-column forms fill a tab with tab characters up to the stop that
// NextStop gives for a 0-based column of the expanded text.
template <class NextStop>
AnsiString ExpandWithTabFill(const AnsiString& Line, bool& HasTabs, NextStop nextStop) {
    size_t first = Line.find('\t');
    if (first == AnsiString::npos) {
        HasTabs = false;
        return Line;
    }
    HasTabs = true;
    AnsiString result;
    result.reserve(Line.size() * 2);
    result.append(Line, 0, first);
    int column = static_cast<int>(first);
    for (size_t pos = first; pos < Line.size(); ++pos) {
        char c = Line[pos];
        if (c == '\t') {
            int stop = nextStop(column);
            result.append(static_cast<size_t>(stop - column), '\t');
            column = stop;
        } else {
            result += c;
            ++column;
        }
    }
    return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// Tab expansion

AnsiString ExpandTabsOneForOne(const AnsiString& Line, int, bool& HasTabs) {
    AnsiString result = Line;
    HasTabs = false;
    for (char& c : result) {
        if (c == '\t') {
            c = ' ';
            HasTabs = true;
        }
    }
    return result;
}

AnsiString ExpandTabsMasked(const AnsiString& Line, int TabWidth, bool& HasTabs) {
    int mask = TabWidth - 1;
    return ExpandWithTabFill(Line, HasTabs, [TabWidth, mask](int column) { return (column + TabWidth) & ~mask; });
}

AnsiString ExpandTabsDivided(const AnsiString& Line, int TabWidth, bool& HasTabs) {
    return ExpandWithTabFill(Line, HasTabs,
                             [TabWidth](int column) { return column + TabWidth - column % TabWidth; });
}

TConvertTabsProc GetBestConvertTabsProc(int TabWidth) {
    if (TabWidth < 2) return &ExpandTabsOneForOne;
    int candidate = 2;
    while (candidate < TabWidth && candidate < 65536) candidate *= 2;
    return candidate == TabWidth ? &ExpandTabsMasked : &ExpandTabsDivided;
}

// ---------------------------------------------------------------------------
// TTeEditStringList

TTeEditStringList::TTeEditStringList() {
    SetCapacity(8);
    SetTabWidth(8);
}

TTeEditStringList::~TTeEditStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TTeEditStringList::ListIndexOutOfBounds(int Index) {
    throw ETeEditStringList(Format("Invalid stringlist index %d", {Index}));
}

AnsiString TTeEditStringList::Get(int Index) const {
    return ValidIndex(Index) ? list_[static_cast<size_t>(Index)].Text : AnsiString();
}

TObject* TTeEditStringList::GetObject(int Index) const {
    return ValidIndex(Index) ? list_[static_cast<size_t>(Index)].Data : nullptr;
}

TTeLineFlags TTeEditStringList::GetFlags(int Index) const {
    return ValidIndex(Index) ? list_[static_cast<size_t>(Index)].Flags : 0;
}

AnsiString TTeEditStringList::GetTextStr() const {
    // Lines joined by CR LF: the framework's text without its final break.
    size_t size = 0;
    for (int i = 0; i < count_; ++i) size += list_[static_cast<size_t>(i)].Text.size() + 2;
    AnsiString result;
    if (count_ == 0) return result;
    result.reserve(size - 2);
    for (int i = 0; i < count_; ++i) {
        if (i > 0) result += "\r\n";
        result += list_[static_cast<size_t>(i)].Text;
    }
    return result;
}

void TTeEditStringList::Put(int Index, const AnsiString& S) {
    if ((Index == 0 && count_ == 0) || Index == count_) {
        Add(S);
        return;
    }
    if (!ValidIndex(Index)) ListIndexOutOfBounds(Index);
    TStringsUpdateScope update(this);
    indexOfLongestLine_ = -1;
    TTeLineRecord& line = list_[static_cast<size_t>(Index)];
    line.Flags = static_cast<TTeLineFlags>((line.Flags | lfLengthUnknown) & ~(lfHasTabs | lfNoTabs));
    line.Text = S;
    if (OnLinesReplaced) OnLinesReplaced(this, Index, 1);
}

void TTeEditStringList::PutObject(int Index, TObject* AObject) {
    if (!ValidIndex(Index)) ListIndexOutOfBounds(Index);
    TStringsUpdateScope update(this);
    list_[static_cast<size_t>(Index)].Data = AObject;
}

void TTeEditStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < count_) throw EListError("Stringlist capacity cannot be smaller than count");
    if (NewCapacity == capacity_) return;
    std::unique_ptr<TTeLineRecord[]> grown(NewCapacity > 0 ? new TTeLineRecord[static_cast<size_t>(NewCapacity)]
                                                           : nullptr);
    for (int i = 0; i < count_; ++i) grown[static_cast<size_t>(i)] = std::move(list_[static_cast<size_t>(i)]);
    list_ = std::move(grown);
    capacity_ = NewCapacity;
}

void TTeEditStringList::SetUpdateState(bool Updating) {
    if (Updating) {
        if (OnChanging) OnChanging(this);
    } else {
        if (OnChange) OnChange(this);
    }
}

void TTeEditStringList::Grow() {
    int delta = capacity_ > 64 ? capacity_ / 4 : 16;
    SetCapacity(capacity_ + delta);
}

void TTeEditStringList::InsertRecord(int Index, const AnsiString& S) {
    TStringsUpdateScope update(this);
    if (count_ == capacity_) Grow();
    TTeLineRecord* records = list_.get();
    if (Index < count_) std::move_backward(records + Index, records + count_, records + count_ + 1);
    indexOfLongestLine_ = -1;
    TTeLineRecord& line = records[Index];
    line.Text = S;
    line.Data = nullptr;
    line.Range = -1;
    line.ExpandedLength = -1;
    line.Flags = lfLengthUnknown;
    ++count_;
}

int TTeEditStringList::Add(const AnsiString& S) {
    TStringsUpdateScope update(this);
    int index = count_;
    InsertRecord(index, S);
    if (OnLinesInserted) OnLinesInserted(this, index, 1);
    return index;
}

void TTeEditStringList::Insert(int Index, const AnsiString& S) {
    if (Index < 0 || Index > count_) ListIndexOutOfBounds(Index);
    TStringsUpdateScope update(this);
    InsertRecord(Index, S);
    if (OnLinesInserted) OnLinesInserted(this, Index, 1);
}

void TTeEditStringList::AddStrings(TStrings* Strings) {
    int added = Strings->Count();
    if (added == 0) return;
    indexOfLongestLine_ = -1;
    TStringsUpdateScope update(this);
    int first = count_;
    if (capacity_ < count_ + added) SetCapacity((count_ + added + 15) / 16 * 16);
    for (int i = 0; i < added; ++i) {
        TTeLineRecord& line = list_[static_cast<size_t>(count_)];
        line.Text = Strings->Strings(i);
        line.Data = Strings->Objects(i);
        line.Range = -1;
        line.ExpandedLength = -1;
        line.Flags = lfLengthUnknown;
        ++count_;
    }
    if (OnLinesInserted) OnLinesInserted(this, first, added);
}

void TTeEditStringList::Clear() {
    if (count_ > 0) {
        TStringsUpdateScope update(this);
        list_.reset();
        count_ = 0;
        capacity_ = 0;
        if (OnLinesCleared) OnLinesCleared(this);
    }
    indexOfLongestLine_ = -1;
}

void TTeEditStringList::Delete(int Index) {
    if (!ValidIndex(Index)) ListIndexOutOfBounds(Index);
    TStringsUpdateScope update(this);
    TTeLineRecord* records = list_.get();
    std::move(records + Index + 1, records + count_, records + Index);
    records[count_ - 1] = TTeLineRecord();
    --count_;
    indexOfLongestLine_ = -1;
    if (OnLinesDeleted) OnLinesDeleted(this, Index, 1);
}

void TTeEditStringList::InsertLines(int Index, int NumLines) {
    if (Index < 0 || Index > count_) ListIndexOutOfBounds(Index);
    if (NumLines <= 0) return;
    TStringsUpdateScope update(this);
    SetCapacity(count_ + NumLines);
    TTeLineRecord* records = list_.get();
    if (Index < count_) std::move_backward(records + Index, records + count_, records + count_ + NumLines);
    for (int i = Index; i < Index + NumLines; ++i) records[i] = TTeLineRecord();
    count_ += NumLines;
    // The lines below moved, so the cached longest line may now be another one.
    indexOfLongestLine_ = -1;
    if (OnLinesInserted) OnLinesInserted(this, Index, NumLines);
}

void TTeEditStringList::DeleteLines(int Index, int NumLines) {
    if (NumLines <= 0) return;
    if (!ValidIndex(Index)) ListIndexOutOfBounds(Index);
    NumLines = std::min(NumLines, count_ - Index);
    TTeLineRecord* records = list_.get();
    for (int i = Index; i < Index + NumLines; ++i) records[i] = TTeLineRecord();
    int following = count_ - (Index + NumLines);
    if (following > 0) {
        TStringsUpdateScope update(this);
        std::move(records + Index + NumLines, records + count_, records + Index);
        for (int i = count_ - NumLines; i < count_; ++i) records[i] = TTeLineRecord();
    }
    count_ -= NumLines;
    // The longest line may be gone or have moved.
    indexOfLongestLine_ = -1;
    if (OnLinesDeleted) OnLinesDeleted(this, Index, NumLines);
}

void TTeEditStringList::Exchange(int Index1, int Index2) {
    if (!ValidIndex(Index1)) ListIndexOutOfBounds(Index1);
    if (!ValidIndex(Index2)) ListIndexOutOfBounds(Index2);
    TStringsUpdateScope update(this);
    std::swap(list_[static_cast<size_t>(Index1)], list_[static_cast<size_t>(Index2)]);
    if (indexOfLongestLine_ == Index1) indexOfLongestLine_ = Index2;
    else if (indexOfLongestLine_ == Index2) indexOfLongestLine_ = Index1;
}

AnsiString TTeEditStringList::ExpandLine(int Index) {
    TTeLineRecord& line = list_[static_cast<size_t>(Index)];
    if (line.Text.empty()) {
        line.ExpandedLength = 0;
        line.Flags = lfNoTabs;
        return AnsiString();
    }
    bool hasTabs = false;
    AnsiString result = expandTabsProc_(line.Text, tabWidth_, hasTabs);
    line.ExpandedLength = static_cast<int32_t>(result.size());
    line.Flags = hasTabs ? lfHasTabs : lfNoTabs;
    return result;
}

AnsiString TTeEditStringList::GetExpandedString(int Index) {
    if (!ValidIndex(Index)) return AnsiString();
    const TTeLineRecord& line = list_[static_cast<size_t>(Index)];
    if (line.Flags & lfNoTabs) return line.Text;
    return ExpandLine(Index);
}

int TTeEditStringList::GetExpandedStringLength(int Index) {
    if (!ValidIndex(Index)) return 0;
    if (list_[static_cast<size_t>(Index)].Flags & lfLengthUnknown)
        return static_cast<int>(GetExpandedString(Index).size());
    return list_[static_cast<size_t>(Index)].ExpandedLength;
}

int TTeEditStringList::GetLengthOfLongestLine() {
    if (indexOfLongestLine_ < 0) {
        int longest = 0;
        for (int i = 0; i < count_; ++i) {
            TTeLineRecord& line = list_[static_cast<size_t>(i)];
            if (line.Flags & lfLengthUnknown) ExpandLine(i);
            if (line.ExpandedLength > longest) {
                longest = line.ExpandedLength;
                indexOfLongestLine_ = i;
            }
        }
    }
    if (ValidIndex(indexOfLongestLine_)) return list_[static_cast<size_t>(indexOfLongestLine_)].ExpandedLength;
    return 0;
}

int TTeEditStringList::GetRange(int Index) const {
    return ValidIndex(Index) ? list_[static_cast<size_t>(Index)].Range : 0;
}

void TTeEditStringList::PutRange(int Index, int ARange) {
    if (!ValidIndex(Index)) ListIndexOutOfBounds(Index);
    TStringsUpdateScope update(this);
    list_[static_cast<size_t>(Index)].Range = ARange;
}

void TTeEditStringList::SetTabWidth(int Value) {
    if (Value == tabWidth_) return;
    tabWidth_ = Value;
    expandTabsProc_ = GetBestConvertTabsProc(Value);
    indexOfLongestLine_ = -1;
    for (int i = 0; i < count_; ++i) {
        TTeLineRecord& line = list_[static_cast<size_t>(i)];
        line.ExpandedLength = -1;
        line.Flags = static_cast<TTeLineFlags>((line.Flags & ~lfNoTabs) | lfLengthUnknown);
    }
}

void TTeEditStringList::LoadFromFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(&stream);
}

void TTeEditStringList::LoadFromStream(TStream* Stream) {
    bool sawCR = false;
    bool sawLF = false;
    {
        TStringsUpdateScope update(this);
        int64_t size = Stream->Size();
        AnsiString buffer(static_cast<size_t>(size > 0 ? size : 0), '\0');
        Stream->SetPosition(0);
        if (!buffer.empty()) Stream->ReadBuffer(&buffer[0], static_cast<int64_t>(buffer.size()));
        Clear();
        const char* p = buffer.data();
        const char* end = p + buffer.size();
        while (p < end) {
            const char* start = p;
            while (p < end && *p != '\r' && *p != '\n') ++p;
            Add(AnsiString(start, static_cast<size_t>(p - start)));
            if (p < end && *p == '\r') {
                ++p;
                sawCR = true;
            }
            if (p < end && *p == '\n') {
                ++p;
                sawLF = true;
            }
        }
        // A text that ends with a break has an empty last line.
        if (!breakAfterLastLine_ && !buffer.empty() && (buffer.back() == '\r' || buffer.back() == '\n'))
            Add(AnsiString());
    }
    if (sawCR && !sawLF) lineBreakStyle_ = lbsCR;
    else if (sawLF && !sawCR) lineBreakStyle_ = lbsLF;
    else lineBreakStyle_ = lbsCRLF;
}

void TTeEditStringList::SaveToStream(TStream* Stream) {
    if (count_ == 0) return;
    const char* lineBreak = lineBreakStyle_ == lbsLF ? "\n" : lineBreakStyle_ == lbsCR ? "\r" : "\r\n";
    size_t breakLength = std::strlen(lineBreak);
    size_t size = 0;
    for (int i = 0; i < count_; ++i) size += list_[static_cast<size_t>(i)].Text.size() + breakLength;
    if (!breakAfterLastLine_) size -= breakLength;
    AnsiString buffer;
    buffer.reserve(size);
    for (int i = 0; i < count_; ++i) {
        buffer += list_[static_cast<size_t>(i)].Text;
        if (i < count_ - 1 || breakAfterLastLine_) buffer.append(lineBreak, breakLength);
    }
    Stream->WriteBuffer(buffer.data(), static_cast<int64_t>(buffer.size()));
}

void TTeEditStringList::SaveToFile(const AnsiString& FileName) {
    TTeEditFileWriter writer(FileName);
    writer.SetLineBreakStyle(lineBreakStyle_);
    for (int i = 0; i < count_; ++i) {
        const AnsiString& text = list_[static_cast<size_t>(i)].Text;
        if (i == count_ - 1 && !breakAfterLastLine_) writer.Write(text);
        else writer.WriteLine(text);
    }
    // Flushed here so that a failing last write raises; the destructor cannot.
    writer.Flush();
}

// ---------------------------------------------------------------------------
// TTeEditFiler, TTeEditFileWriter

TTeEditFiler::TTeEditFiler() { SetBufferSize(kFilerBufferSize); }

TTeEditFiler::~TTeEditFiler() = default;

void TTeEditFiler::SetBufferSize(int Value) {
    if (Value == bufferSize_ && buffer_) return;
    std::unique_ptr<char[]> resized(new char[static_cast<size_t>(std::max(Value, 1))]);
    if (bufferUsed_ > 0) std::memcpy(resized.get(), buffer_.get(), static_cast<size_t>(std::min(bufferUsed_, Value)));
    buffer_ = std::move(resized);
    bufferSize_ = Value;
}

TTeEditFileWriter::TTeEditFileWriter(const AnsiString& FileName) {
    stream_ = std::make_unique<TFileStream>(FileName, fmCreate);
    stream_->Seek(0, soBeginning);
}

TTeEditFileWriter::~TTeEditFileWriter() {
    try {
        Flush();
    } catch (...) {
        // Reached only when unwinding from a failed write, whose error goes on.
    }
}

void TTeEditFileWriter::Flush() {
    if (bufferUsed_ > 0) {
        stream_->WriteBuffer(buffer_.get(), bufferUsed_);
        bufferUsed_ = 0;
    }
}

void TTeEditFileWriter::MakeRoom(int Size) {
    while (bufferUsed_ + Size > bufferSize_) {
        Flush();
        if (Size > bufferSize_) SetBufferSize(Size);
    }
}

void TTeEditFileWriter::Write(const AnsiString& S) {
    int length = static_cast<int>(S.size());
    MakeRoom(length);
    std::memcpy(buffer_.get() + bufferUsed_, S.data(), S.size());
    bufferUsed_ += length;
}

void TTeEditFileWriter::WriteLine(const AnsiString& S) {
    int length = static_cast<int>(S.size());
    int breakLength = (lineBreakStyle_ == lbsLF || lineBreakStyle_ == lbsCR) ? 1 : 2;
    MakeRoom(length + breakLength);
    std::memcpy(buffer_.get() + bufferUsed_, S.data(), S.size());
    bufferUsed_ += length;
    if (lineBreakStyle_ != lbsLF) buffer_[static_cast<size_t>(bufferUsed_++)] = '\r';
    if (lineBreakStyle_ != lbsCR) buffer_[static_cast<size_t>(bufferUsed_++)] = '\n';
}

// ---------------------------------------------------------------------------
// TTeEditUndoItem, TTeEditUndoList

void TTeEditUndoItem::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TTeEditUndoItem*>(Source)) {
        reason_ = source->reason_;
        selectionMode_ = source->selectionMode_;
        startPos_ = source->startPos_;
        endPos_ = source->endPos_;
        text_ = source->text_;
        changeNumber_ = source->changeNumber_;
        return;
    }
    TPersistent::Assign(Source);
}

TTeEditUndoList::TTeEditUndoList() = default;

TTeEditUndoList::~TTeEditUndoList() { Clear(); }

int TTeEditUndoList::Following(int ChangeNumber) {
    int next = static_cast<int>(static_cast<uint32_t>(ChangeNumber) + 1u);
    return next == 0 ? 1 : next;
}

void TTeEditUndoList::AddChange(TTeUndoReason AReason, const TBufferCoord& AStart, const TBufferCoord& AEnd,
                                const AnsiString& ChangeText, TTeSelectionMode SelMode) {
    if (lockCount_ > 0) return;
    auto item = std::make_unique<TTeEditUndoItem>();
    item->reason_ = AReason;
    item->selectionMode_ = SelMode;
    item->startPos_ = AStart;
    item->endPos_ = AEnd;
    item->text_ = ChangeText;
    if (blockChangeNumber_ != 0) {
        item->changeNumber_ = blockChangeNumber_;
    } else {
        item->changeNumber_ = nextChangeNumber_;
        if (blockCount_ == 0) nextChangeNumber_ = Following(nextChangeNumber_);
    }
    items_.Add(item.get());
    // From here the list owns the item, also when a handler of the notice raises.
    Appended(item.release());
}

void TTeEditUndoList::PushItem(TTeEditUndoItem* Item) {
    if (!Item) return;
    items_.Add(Item);
    Appended(Item);
}

void TTeEditUndoList::Appended(TTeEditUndoItem* Item) {
    // Trimming may free the item itself (MaxUndo 0), so its reason is read first.
    bool groupBreak = Item->reason_ == urGroupBreak;
    EnsureMaxEntries();
    if (!groupBreak && OnAddedUndo) OnAddedUndo(this);
}

void TTeEditUndoList::EnsureMaxEntries() {
    if (items_.Count() <= maxUndo_) return;
    fullUndoImpossible_ = true;
    while (items_.Count() > maxUndo_) {
        auto* oldest = static_cast<TTeEditUndoItem*>(items_.Items(0));
        items_.Delete(0);
        delete oldest;
    }
}

void TTeEditUndoList::AddGroupBreak() {
    if (LastChangeReason() != urGroupBreak) AddChange(urGroupBreak, TBufferCoord(), TBufferCoord(), AnsiString(), smNormal);
}

void TTeEditUndoList::BeginBlock() {
    ++blockCount_;
    blockChangeNumber_ = nextChangeNumber_;
}

void TTeEditUndoList::EndBlock() {
    if (blockCount_ == 0) return;
    --blockCount_;
    if (blockCount_ != 0) return;
    int blockNumber = blockChangeNumber_;
    blockChangeNumber_ = 0;
    nextChangeNumber_ = Following(nextChangeNumber_);
    TTeEditUndoItem* newest = PeekItem();
    if (newest && newest->changeNumber_ == blockNumber && OnAddedUndo) OnAddedUndo(this);
}

void TTeEditUndoList::Clear() {
    for (int i = 0; i < items_.Count(); ++i) delete static_cast<TTeEditUndoItem*>(items_.Items(i));
    items_.Clear();
    fullUndoImpossible_ = false;
}

TTeEditUndoItem* TTeEditUndoList::PeekItem() const {
    int count = items_.Count();
    return count > 0 ? static_cast<TTeEditUndoItem*>(items_.Items(count - 1)) : nullptr;
}

TTeEditUndoItem* TTeEditUndoList::PopItem() {
    TTeEditUndoItem* item = PeekItem();
    if (item) items_.Delete(items_.Count() - 1);
    return item;
}

void TTeEditUndoList::Lock() { ++lockCount_; }

void TTeEditUndoList::Unlock() {
    if (lockCount_ > 0) --lockCount_;
}

TTeUndoReason TTeEditUndoList::LastChangeReason() const {
    TTeEditUndoItem* newest = PeekItem();
    return newest ? newest->reason_ : urNothing;
}

void TTeEditUndoList::SetMaxUndo(int Value) {
    if (Value < 0) Value = 0;
    if (Value == maxUndo_) return;
    maxUndo_ = Value;
    EnsureMaxEntries();
}

void TTeEditUndoList::SetInitialState(bool Value) {
    TTeEditUndoItem* newest = PeekItem();
    if (Value) {
        initialChangeNumber_ = newest ? newest->changeNumber_ : 0;
    } else if ((!newest && initialChangeNumber_ == 0) || (newest && newest->changeNumber_ == initialChangeNumber_)) {
        initialChangeNumber_ = -1;
    }
}

bool TTeEditUndoList::GetInitialState() const {
    TTeEditUndoItem* newest = PeekItem();
    return newest ? newest->changeNumber_ == initialChangeNumber_ : initialChangeNumber_ == 0;
}

void TTeEditUndoList::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TTeEditUndoList*>(Source)) {
        if (source == this) return;
        Clear();
        for (int i = 0; i < source->ItemCount(); ++i) {
            auto copy = std::make_unique<TTeEditUndoItem>();
            copy->Assign(source->Items(i));
            items_.Add(copy.get());
            copy.release();
        }
        blockChangeNumber_ = source->blockChangeNumber_;
        blockCount_ = source->blockCount_;
        fullUndoImpossible_ = source->fullUndoImpossible_;
        lockCount_ = source->lockCount_;
        maxUndo_ = source->maxUndo_;
        nextChangeNumber_ = source->nextChangeNumber_;
        redoInProgress_ = source->redoInProgress_;
        return;
    }
    TPersistent::Assign(Source);
}
