// The editing commands: the command processor, the text primitives (delete
// the selection, insert in normal, line or column mode), the selected text,
// the clipboard with its private format, drag-and-drop editing and bookmarks
// by command.
#include <algorithm>
#include <climits>
#include <cstring>

#include "editor/TeEdit.h"
#include "editor/TeEditGuards.h"
#include "editor/TeEditWordWrap.h"
#include "platform/gui/Clipboard.h"

namespace {
TClipboardFormat EditorClipboardFormat() {
    static const TClipboardFormat format = RegisterClipboardFormat("TeEdit Control Block Type");
    return format;
}

AnsiString TrimTrailing(const AnsiString& s) {
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
    return s.substr(0, n);
}
}  // namespace

void TCustomTeEdit::BeginUndoBlock() { undoList_->BeginBlock(); }
void TCustomTeEdit::EndUndoBlock() { undoList_->EndBlock(); }
void TCustomTeEdit::LockUndo() {
    undoList_->Lock();
    redoList_->Lock();
}
void TCustomTeEdit::UnlockUndo() {
    undoList_->Unlock();
    redoList_->Unlock();
}

// ---------------------------------------------------------------------------
// Measures

int TCustomTeEdit::LeftSpaces(const AnsiString& Line) const {
    if (!options_.Contains(eoAutoIndent)) return 0;
    int w = 0;
    for (char c : Line) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 1 || u > 32) break;
        w += c == '\t' ? tabWidth_ : 1;
    }
    return w;
}

AnsiString TCustomTeEdit::GetLeftSpacing(int CharCount, bool WantTabs) const {
    if (WantTabs && !options_.Contains(eoTabsToSpaces) && CharCount >= tabWidth_)
        return AnsiString(static_cast<size_t>(CharCount / tabWidth_), '\t') +
               AnsiString(static_cast<size_t>(CharCount % tabWidth_), ' ');
    return AnsiString(static_cast<size_t>(std::max(CharCount, 0)), ' ');
}

void TCustomTeEdit::SetLineWithTrim(int Index0, const AnsiString& S) {
    lines_->SetStrings(Index0, options_.Contains(eoTrimTrailingSpaces) ? TrimTrailing(S) : S);
}

// ---------------------------------------------------------------------------
// Selected text

AnsiString TCustomTeEdit::SelText() {
    if (!SelAvail()) return "";
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    AnsiString result;
    switch (activeSelectionMode_) {
        case smNormal: {
            if (bb.Line == be.Line) {
                AnsiString s = lines_->Strings(bb.Line - 1);
                if (bb.Char <= static_cast<int>(s.size()))
                    result = s.substr(static_cast<size_t>(bb.Char - 1), static_cast<size_t>(be.Char - bb.Char));
                return result;
            }
            AnsiString first = lines_->Strings(bb.Line - 1);
            if (bb.Char <= static_cast<int>(first.size())) result = first.substr(static_cast<size_t>(bb.Char - 1));
            for (int l = bb.Line + 1; l < be.Line; ++l) result += "\r\n" + lines_->Strings(l - 1);
            AnsiString last = lines_->Strings(be.Line - 1);
            result += "\r\n" + last.substr(0, std::min(static_cast<size_t>(be.Char - 1), last.size()));
            return result;
        }
        case smLine:
            for (int l = bb.Line; l <= be.Line; ++l) {
                result += lines_->Strings(l - 1);
                if (l < lines_->Count()) result += "\r\n";
            }
            return result;
        case smColumn: {
            int lo = std::min(bb.Char, be.Char), hi = std::max(bb.Char, be.Char);
            for (int l = bb.Line; l <= be.Line; ++l) {
                AnsiString s = lines_->Strings(l - 1);
                AnsiString piece;
                if (lo <= static_cast<int>(s.size())) piece = s.substr(static_cast<size_t>(lo - 1), static_cast<size_t>(hi - lo));
                if (!options_.Contains(eoTrimTrailingSpaces) && static_cast<int>(piece.size()) < hi - lo)
                    piece.append(static_cast<size_t>(hi - lo) - piece.size(), ' ');
                if (l > bb.Line) result += "\r\n";
                result += piece;
            }
            return result;
        }
    }
    return result;
}

void TCustomTeEdit::SetSelText(const AnsiString& Value) {
    TTeUndoBlock block(this);
    if (!SelAvail()) {
        activeSelectionMode_ = selectionMode_;
        blockBegin_ = blockEnd_ = CaretXY();
    }
    const bool wholeLines = RecordBlockReplaced(activeSelectionMode_, Value);
    TBufferCoord start = BlockBegin();
    TBufferCoord end = BlockEnd();
    blockBegin_ = start;
    blockEnd_ = end;
    SetSelTextPrimitive(Value);
    if (!Value.empty() && !wholeLines) undoList_->AddChange(urInsert, start, blockEnd_, "", smNormal);
}

void TCustomTeEdit::SetSelTextPrimitive(const AnsiString& Value) {
    SetSelTextPrimitiveEx(activeSelectionMode_, Value.c_str(), true);
}

void TCustomTeEdit::DeleteSelection(const TBufferCoord& BB, const TBufferCoord& BE) {
    switch (activeSelectionMode_) {
        case smNormal:
            if (lines_->Count() > 0) {
                AnsiString first = lines_->Strings(BB.Line - 1);
                AnsiString last = lines_->Strings(BE.Line - 1);
                AnsiString head = first.substr(0, std::min(static_cast<size_t>(BB.Char - 1), first.size()));
                if (static_cast<int>(head.size()) < BB.Char - 1) head.append(static_cast<size_t>(BB.Char - 1) - head.size(), ' ');
                AnsiString tail = BE.Char - 1 < static_cast<int>(last.size()) ? last.substr(static_cast<size_t>(BE.Char - 1)) : "";
                AnsiString joined = head + tail;
                if (BE.Line > BB.Line) lines_->DeleteLines(BB.Line, BE.Line - BB.Line);
                if (options_.Contains(eoScrollPastEol) && options_.Contains(eoTrimTrailingSpaces))
                    joined = TrimTrailing(joined);
                lines_->SetStrings(BB.Line - 1, joined);
            }
            InternalSetCaretXY(BB);
            DoLinesDeleted(BB.Line, BE.Line - BB.Line);
            break;
        case smColumn: {
            int lo = std::min(BB.Char, BE.Char), hi = std::max(BB.Char, BE.Char);
            for (int l = BB.Line; l <= BE.Line; ++l) {
                AnsiString s = lines_->Strings(l - 1);
                if (lo <= static_cast<int>(s.size()))
                    s.erase(static_cast<size_t>(lo - 1), static_cast<size_t>(hi - lo));
                SetLineWithTrim(l - 1, s);
            }
            InternalSetCaretXY(BufferCoord(lo, BE.Line));
            break;
        }
        case smLine:
            if (BE.Line == lines_->Count()) {
                lines_->SetStrings(BE.Line - 1, "");
                if (BE.Line > BB.Line) lines_->DeleteLines(BB.Line - 1, BE.Line - BB.Line);
            } else {
                lines_->DeleteLines(BB.Line - 1, BE.Line - BB.Line + 1);
            }
            InternalSetCaretXY(BufferCoord(1, BB.Line));
            DoLinesDeleted(BB.Line, BE.Line - BB.Line + 1);
            break;
    }
}

// Text put in beyond a line's end is preceded by blanks up to its column;
// undo takes them away with the text.
void TCustomTeEdit::RecordPadding(const TBufferCoord& At) {
    if (At.Line < 1 || At.Line > lines_->Count()) return;
    const int len = LengthOfLine(At.Line);
    if (At.Char > len + 1)
        undoList_->AddChange(urSpacesAdded, BufferCoord(len + 1, At.Line), BufferCoord(At.Char - 1, At.Line), "",
                             smNormal);
}

int TCustomTeEdit::InsertNormal(const AnsiString& Value, TBufferCoord& Caret) {
    std::vector<AnsiString> pieces = SplitLines(Value);
    if (lines_->Count() == 0) lines_->Add("");
    if (Caret.Line > lines_->Count()) {
        lines_->Add("");
        Caret.Line = lines_->Count();
    }
    AnsiString line = lines_->Strings(Caret.Line - 1);
    AnsiString left = line.substr(0, std::min(static_cast<size_t>(Caret.Char - 1), line.size()));
    if (static_cast<int>(left.size()) < Caret.Char - 1) left.append(static_cast<size_t>(Caret.Char - 1) - left.size(), ' ');
    AnsiString right = Caret.Char - 1 < static_cast<int>(line.size()) ? line.substr(static_cast<size_t>(Caret.Char - 1)) : "";
    int breaks = static_cast<int>(pieces.size()) - 1;
    if (breaks == 0) {
        lines_->SetStrings(Caret.Line - 1, left + pieces[0] + right);
    } else {
        lines_->SetStrings(Caret.Line - 1, left + pieces[0]);
        lines_->InsertLines(Caret.Line, breaks);
        for (int i = 1; i <= breaks; ++i) {
            ++Caret.Line;
            StatusChanged(scCaretY);
            AnsiString s = pieces[static_cast<size_t>(i)];
            if (i == breaks) s += right;
            lines_->SetStrings(Caret.Line - 1, s);
        }
    }
    AnsiString lastLine = lines_->Strings(Caret.Line - 1);
    if (options_.Contains(eoTrimTrailingSpaces)) {
        if (!right.empty())
            Caret.Char = static_cast<int>(lastLine.size()) + 1 - static_cast<int>(TrimTrailing(right).size());
        else
            Caret.Char = lines_->GetExpandedStringLength(Caret.Line - 1) + 1;
    } else {
        Caret.Char = static_cast<int>(lastLine.size()) + 1 - static_cast<int>(right.size());
    }
    StatusChanged(scCaretX);
    return breaks;
}

int TCustomTeEdit::InsertLine(const AnsiString& Value, TBufferCoord& Caret) {
    std::vector<AnsiString> pieces = SplitLines(Value);
    Caret.Char = 1;
    int count = 0;
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        lines_->Insert(Caret.Line - 1, pieces[i]);
        ++Caret.Line;
        ++count;
        StatusChanged(scCaretY);
    }
    const AnsiString& last = pieces.back();
    if (Caret.Line > lines_->Count()) {
        lines_->Add(last);
    } else {
        AnsiString s = last + lines_->Strings(Caret.Line - 1);
        SetLineWithTrim(Caret.Line - 1, s);
    }
    Caret.Char = static_cast<int>(last.size()) + 1;
    return count;
}

int TCustomTeEdit::InsertColumn(const AnsiString& Value, TBufferCoord& Caret, bool AddToUndoList) {
    std::vector<AnsiString> pieces = SplitLines(Value);
    int insertPos = Caret.Char;
    int added = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const AnsiString& piece = pieces[i];
        if (i > 0) {
            ++Caret.Line;
            StatusChanged(scCaretY);
        }
        if (Caret.Line > lines_->Count()) {
            if (AddToUndoList && lines_->Count() > 0) {
                TBufferCoord eol = BufferCoord(LengthOfLine(lines_->Count()) + 1, lines_->Count());
                undoList_->AddChange(urLineBreak, eol, eol, "", smNormal);
            }
            lines_->Add(AnsiString(static_cast<size_t>(insertPos - 1), ' ') + piece);
            SetLineWithTrim(Caret.Line - 1, lines_->Strings(Caret.Line - 1));
            ++added;
        } else {
            AnsiString s = lines_->Strings(Caret.Line - 1);
            if (AddToUndoList) RecordPadding(BufferCoord(insertPos, Caret.Line));
            if (static_cast<int>(s.size()) < insertPos - 1) {
                s.append(static_cast<size_t>(insertPos - 1) - s.size(), ' ');
                s += piece;
            } else {
                s.insert(static_cast<size_t>(insertPos - 1), piece);
            }
            SetLineWithTrim(Caret.Line - 1, s);
        }
        if (AddToUndoList)
            undoList_->AddChange(urPaste, BufferCoord(insertPos, Caret.Line),
                                 BufferCoord(insertPos + static_cast<int>(piece.size()), Caret.Line), "",
                                 activeSelectionMode_);
    }
    Caret.Char = insertPos + static_cast<int>(pieces.back().size());
    StatusChanged(scCaretX);
    return added;
}

bool TCustomTeEdit::RecordsWholeLines(TTeSelectionMode PasteMode, const AnsiString& Value) const {
    return (SelAvail() && activeSelectionMode_ != smNormal) || (PasteMode != smNormal && !Value.empty());
}

bool TCustomTeEdit::RecordBlockReplaced(TTeSelectionMode PasteMode, const AnsiString& Value) {
    const bool wholeLines = RecordsWholeLines(PasteMode, Value);
    if (SelAvail() && !wholeLines)
        undoList_->AddChange(urDelete, blockBegin_, blockEnd_, SelText(), activeSelectionMode_);
    return wholeLines;
}

void TCustomTeEdit::DeleteBlockRecorded() {
    if (RecordsWholeLines(activeSelectionMode_, "")) {
        SetSelTextPrimitive("");
        return;
    }
    TBufferCoord anchor = blockBegin_, end = blockEnd_;
    AnsiString text = SelText();
    bool afterCaret = anchor.Line > end.Line || (anchor.Line == end.Line && anchor.Char >= end.Char);
    SetSelTextPrimitive("");
    undoList_->AddChange(afterCaret ? urDeleteAfterCaret : urDelete, anchor, end, text, activeSelectionMode_);
}

void TCustomTeEdit::SetSelTextPrimitiveEx(TTeSelectionMode PasteMode, const char* Value, bool AddToUndoList) {
    TTePaintLock lock(this);
    TUpdateLock update(lines_);
    AnsiString text = Value ? Value : "";
    // A column or line block is cut out and put in line by line, padding here
    // and there; undo restores the lines it touched as they were, so those
    // lines are what gets recorded.
    TWholeLines whole;
    const bool wholeLines = AddToUndoList && RecordsWholeLines(PasteMode, text);
    if (wholeLines) {
        // Nothing below the block's last line plus the lines of the text is
        // touched: the lines after it only move.
        const int last = (SelAvail() ? BlockEnd().Line : caretY_) + 1 +
                         static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }));
        whole = CaptureLines(SelAvail() ? BlockBegin().Line : caretY_, last);
    }
    const bool recordParts = AddToUndoList && !wholeLines;
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    if (SelAvail()) {
        DeleteSelection(bb, be);
        InternalSetCaretXY(bb);
    }
    blockBegin_ = blockEnd_ = CaretXY();
    if (!text.empty()) {
        TBufferCoord caret = CaretXY();
        if (recordParts && PasteMode == smNormal) RecordPadding(caret);
        int startLine = caret.Line;
        bool afterColumnOne = caret.Char > 1;
        int added = 0;
        switch (PasteMode) {
            case smNormal: added = InsertNormal(text, caret); break;
            case smLine: added = InsertLine(text, caret); break;
            case smColumn: added = InsertColumn(text, caret, recordParts); break;
        }
        caretX_ = caret.Char;
        caretY_ = caret.Line;
        if (added > 0) {
            DoLinesInserted(startLine + (PasteMode == smNormal && afterColumnOne ? 1 : 0), added);
        }
        {
            TTeOptionOn pastEol(this, eoScrollPastEol);
            InternalSetCaretXY(caret);
        }
    }
    if (caretY_ < 1) InternalSetCaretXY(BufferCoord(caretX_, 1));
    blockBegin_ = blockEnd_ = CaretXY();
    if (wholeLines) RecordLinesReplaced(whole);
}

// The lines from First to Last (or the text's end), with the caret and the
// block as they stand before a change that touches no line after Last.
TCustomTeEdit::TWholeLines TCustomTeEdit::CaptureLines(int First, int Last) const {
    TWholeLines w;
    w.First = MinMax(First, 1, std::max(lines_->Count(), 1));
    w.LineCount = lines_->Count();
    for (int l = w.First; l <= std::min(Last, lines_->Count()); ++l) w.Old.push_back(lines_->Strings(l - 1));
    w.Anchor = blockBegin_;
    w.End = blockEnd_;
    w.Caret = CaretXY();
    w.Mode = activeSelectionMode_;
    return w;
}

// Records a change as the replacement of the lines from W.First on, leaving
// out the trailing lines it did not change, in normal mode: undo then gives
// the lines back letter for letter. The caret and the block come back too.
void TCustomTeEdit::RecordLinesReplaced(const TWholeLines& W) {
    // The captured lines as they stand now: as many more or fewer as the text has.
    const int last = W.First + static_cast<int>(W.Old.size()) - 1 + lines_->Count() - W.LineCount;
    std::vector<AnsiString> now;
    for (int l = W.First; l <= std::min(last, lines_->Count()); ++l) now.push_back(lines_->Strings(l - 1));
    size_t oldCount = std::max<size_t>(W.Old.size(), 1), newCount = std::max<size_t>(now.size(), 1);
    auto line = [](const std::vector<AnsiString>& v, size_t i) { return i < v.size() ? v[i] : AnsiString(); };
    while (oldCount > 1 && newCount > 1 && line(W.Old, oldCount - 1) == line(now, newCount - 1)) {
        --oldCount;
        --newCount;
    }
    auto join = [&line](const std::vector<AnsiString>& v, size_t n) {
        AnsiString s;
        for (size_t i = 0; i < n; ++i) {
            if (i > 0) s += "\r\n";
            s += line(v, i);
        }
        return s;
    };
    const int lastOld = W.First + static_cast<int>(oldCount) - 1, lastNew = W.First + static_cast<int>(newCount) - 1;
    const TBufferCoord start = BufferCoord(1, W.First);
    TTeUndoBlock block(this);
    undoList_->AddChange(urSelection, W.Anchor, W.End, "", W.Mode);
    undoList_->AddChange(urCaret, W.Caret, W.Caret, "", W.Mode);
    undoList_->AddChange(urDelete, start,
                         BufferCoord(static_cast<int>(line(W.Old, oldCount - 1).size()) + 1, lastOld),
                         join(W.Old, oldCount), smNormal);
    undoList_->AddChange(urInsert, start, BufferCoord(static_cast<int>(line(now, newCount - 1).size()) + 1, lastNew),
                         "", smNormal);
}

void TCustomTeEdit::DoLinesInserted(int FirstLine, int Count) {
    for (int i = 0; i < marks_->Count(); ++i) {
        TTeEditMark* m = marks_->Items(i);
        if (m->Line() >= FirstLine) m->SetLine(m->Line() + Count);
    }
    for (TTeEditPlugin* p : plugins_) p->LinesInserted(FirstLine, Count);
}

void TCustomTeEdit::DoLinesDeleted(int FirstLine, int Count) {
    if (Count <= 0) return;
    for (int i = 0; i < marks_->Count(); ++i) {
        TTeEditMark* m = marks_->Items(i);
        if (m->Line() >= FirstLine + Count) m->SetLine(m->Line() - Count);
        else if (m->Line() > FirstLine) m->SetLine(FirstLine);
    }
    for (TTeEditPlugin* p : plugins_) p->LinesDeleted(FirstLine, Count);
}

// ---------------------------------------------------------------------------
// Command processor

void TCustomTeEdit::CommandProcessor(TTeEditorCommand Command, char AChar, void* Data) {
    DoOnProcessCommand(Command, AChar, Data);
    if (Command == ecNone) return;
    NotifyHookedCommandHandlers(false, Command, AChar, Data);
    if (Command != ecNone && Command < ecUserFirst) ExecuteCommand(Command, AChar, Data);
    if (Command != ecNone) NotifyHookedCommandHandlers(true, Command, AChar, Data);
    DoOnCommandProcessed(Command, AChar, Data);
}

void TCustomTeEdit::MoveCaretAndSelection(const TBufferCoord& ptBefore, const TBufferCoord& ptAfter,
                                          bool SelectionCommand) {
    if (options_.Contains(eoGroupUndo) && undoList_->CanUndo()) undoList_->AddGroupBreak();
    TTePaintLock lock(this);
    if (SelectionCommand) {
        if (!SelAvail()) SetBlockBegin(ptBefore);
        SetBlockEnd(ptAfter);
    } else {
        SetBlockBegin(ptAfter);
    }
    InternalSetCaretXY(ptAfter);
}

void TCustomTeEdit::MoveCaretHorz(int DX, bool SelectionCommand) {
    TBufferCoord ptO = CaretXY(), ptDst = ptO;
    int len = LengthOfLine(ptO.Line);
    bool pastEol = options_.Contains(eoScrollPastEol);
    if (!pastEol && DX == -1 && ptO.Char == 1 && ptO.Line > 1) {
        ptDst = BufferCoord(LengthOfLine(ptO.Line - 1) + 1, ptO.Line - 1);
    } else if (!pastEol && DX == 1 && ptO.Char > len && ptO.Line < lines_->Count()) {
        ptDst = BufferCoord(1, ptO.Line + 1);
    } else {
        ptDst.Char = std::max(1, ptO.Char + DX);
        if (DX > 0 && !pastEol) ptDst.Char = std::min(ptDst.Char, len + 1);
    }
    MoveCaretAndSelection(ptO, ptDst, SelectionCommand);
}

void TCustomTeEdit::MoveCaretVert(int DY, bool SelectionCommand) {
    TDisplayCoord ptO = DisplayXY();
    TDisplayCoord ptDst = ptO;
    ptDst.Row = MinMax(ptDst.Row + DY, 1, std::max(DisplayLineCount(), 1));
    int saveLastCaretX = lastCaretX_;
    if (options_.Contains(eoKeepCaretX) && ptDst.Row != ptO.Row) ptDst.Column = lastCaretX_;
    TBufferCoord vDst = DisplayToBufferPos(ptDst);
    TBufferCoord vSrc = CaretXY();
    TTePaintLock lock(this);
    MoveCaretAndSelection(vSrc, vDst, SelectionCommand);
    lastCaretX_ = saveLastCaretX;
}

void TCustomTeEdit::DoHomeKey(bool Selection) {
    TBufferCoord old = CaretXY();
    int target = 1;
    if (options_.Contains(eoEnhanceHomeKey)) {
        AnsiString s = LineText();
        int first = 1;
        while (first <= static_cast<int>(s.size()) && (s[static_cast<size_t>(first - 1)] == ' ' || s[static_cast<size_t>(first - 1)] == '\t'))
            ++first;
        if (first > static_cast<int>(s.size())) first = 1;
        target = (caretX_ > first || caretX_ == 1) ? first : 1;
    }
    MoveCaretAndSelection(old, BufferCoord(target, caretY_), Selection);
}

void TCustomTeEdit::DoEndKey(bool Selection) {
    TBufferCoord old = CaretXY();
    AnsiString s = LineText();
    int target = static_cast<int>(s.size()) + 1;
    if (options_.Contains(eoEnhanceEndKey)) {
        int lastNonBlank = static_cast<int>(TrimTrailing(s).size()) + 1;
        if (caretX_ != lastNonBlank) target = lastNonBlank;
    }
    MoveCaretAndSelection(old, BufferCoord(target, caretY_), Selection);
}

void TCustomTeEdit::DoScrollLine(int Delta) {
    int row = DisplayY();
    if (row < topLine_ || row >= topLine_ + linesInWindow_) {
        EnsureCursorPosVisible();
        return;
    }
    SetTopLine(topLine_ + Delta);
    row = DisplayY();
    if (row >= topLine_ + linesInWindow_) MoveCaretVert(topLine_ + linesInWindow_ - 1 - row, false);
    else if (row < topLine_) MoveCaretVert(topLine_ - row, false);
    EnsureCursorPosVisible();
    Update();
}

void TCustomTeEdit::ExecuteCommand(TTeEditorCommand Command, char AChar, void* Data) {
    TTePaintLock lock(this);
    bool sel = Command >= ecSelection + ecLeft && Command <= ecSelection + ecGotoXY;
    TTeEditorCommand base = sel ? static_cast<TTeEditorCommand>(Command - ecSelection) : Command;
    bool ro = ReadOnly();
    switch (base) {
        case ecLeft: MoveCaretHorz(-1, sel); return;
        case ecRight: MoveCaretHorz(1, sel); return;
        case ecPageLeft: MoveCaretHorz(-charsInWindow_, sel); return;
        case ecPageRight: MoveCaretHorz(charsInWindow_, sel); return;
        case ecUp:
            MoveCaretVert(-1, sel);
            Update();
            return;
        case ecDown:
            MoveCaretVert(1, sel);
            Update();
            return;
        case ecPageUp:
        case ecPageDown: {
            int n = linesInWindow_;
            if (options_.Contains(eoHalfPageScroll)) n /= 2;
            if (options_.Contains(eoScrollByOneLess)) --n;
            if (base == ecPageUp) n = -n;
            SetTopLine(topLine_ + n);
            MoveCaretVert(n, sel);
            Update();
            return;
        }
        case ecWordLeft: MoveCaretAndSelection(CaretXY(), PrevWordPos(), sel); return;
        case ecWordRight: MoveCaretAndSelection(CaretXY(), NextWordPos(), sel); return;
        case ecLineStart: DoHomeKey(sel); return;
        case ecLineEnd: DoEndKey(sel); return;
        case ecPageTop:
        case ecPageBottom: {
            int row = base == ecPageTop ? topLine_ : topLine_ + linesInWindow_ - 1;
            MoveCaretAndSelection(CaretXY(), DisplayToBufferPos(DisplayCoord(DisplayX(), row)), sel);
            Update();
            return;
        }
        case ecEditorTop:
            MoveCaretAndSelection(CaretXY(), BufferCoord(1, 1), sel);
            Update();
            return;
        case ecEditorBottom: {
            TBufferCoord dst = lines_->Count() > 0 ? BufferCoord(LengthOfLine(lines_->Count()) + 1, lines_->Count())
                                                   : BufferCoord(1, 0);
            MoveCaretAndSelection(CaretXY(), dst, sel);
            Update();
            return;
        }
        case ecGotoXY:
            if (Data) MoveCaretAndSelection(CaretXY(), *static_cast<TBufferCoord*>(Data), sel);
            Update();
            return;
        default: break;
    }
    switch (Command) {
        case ecSelectAll: SelectAll(); break;
        case ecCopy: CopyToClipboard(); break;
        case ecScrollUp: DoScrollLine(-1); break;
        case ecScrollDown: DoScrollLine(1); break;
        case ecScrollLeft:
            SetLeftChar(leftChar_ - 1);
            Update();
            break;
        case ecScrollRight:
            SetLeftChar(leftChar_ + 1);
            Update();
            break;
        case ecInsertMode: SetInsertMode(true); break;
        case ecOverwriteMode: SetInsertMode(false); break;
        case ecToggleMode: SetInsertMode(!inserting_); break;
        case ecNormalSelect: SetSelectionMode(smNormal); break;
        case ecColumnSelect: SetSelectionMode(smColumn); break;
        case ecLineSelect: SetSelectionMode(smLine); break;
        case ecMatchBracket: FindMatchingBracket(); break;
        case ecContextHelp:
            if (OnContextHelp) OnContextHelp(this, WordAtCursor());
            break;
        case ecClearAll:
            if (!ro) ClearAll();
            break;
        case ecUndo:
            if (!ro) Undo();
            break;
        case ecRedo:
            if (!ro) Redo();
            break;
        case ecCut:
            if (!ro && SelAvail()) CutToClipboard();
            break;
        case ecPaste:
            if (!ro) PasteFromClipboard();
            break;
        case ecDeleteLastChar:
            if (!ro) DoBackspace(Command);
            break;
        case ecDeleteChar:
            if (!ro) DoDeleteChar();
            break;
        case ecDeleteWord:
        case ecDeleteEOL:
            if (!ro) DoDeleteForward(Command);
            break;
        case ecDeleteLastWord:
        case ecDeleteBOL:
            if (!ro) DoDeleteBackward(Command);
            break;
        case ecDeleteLine:
            if (!ro) DoDeleteLine();
            break;
        case ecLineBreak:
        case ecInsertLine:
            if (!ro) DoLineBreak(Command);
            break;
        case ecChar:
            if (!ro) DoTypeChar(AChar);
            break;
        case ecImeStr:
            if (!ro && Data) DoImeString(*static_cast<AnsiString*>(Data));
            break;
        case ecBlockIndent:
            if (!ro) DoBlockIndent();
            break;
        case ecBlockUnindent:
            if (!ro) DoBlockUnindent();
            break;
        case ecTab:
            if (!ro) DoTabKey();
            break;
        case ecShiftTab:
            if (!ro) DoShiftTabKey();
            break;
        case TeEditCaseCommands::ecUpperCase:
        case TeEditCaseCommands::ecLowerCase:
        case ecToggleCase:
        case ecTitleCase:
        case ecUpperCaseBlock:
        case ecLowerCaseBlock:
        case ecToggleCaseBlock:
            if (!ro) DoCaseChange(Command);
            break;
        default:
            if (Command >= ecGotoMarker0 && Command <= ecGotoMarker9) {
                if (bookMarkOpt_->EnableKeys()) GotoBookMark(Command - ecGotoMarker0);
            } else if (Command >= ecSetMarker0 && Command <= ecSetMarker9) {
                if (bookMarkOpt_->EnableKeys()) DoSetMarker(Command - ecSetMarker0, Data);
            }
            break;
    }
}

void TCustomTeEdit::DoSetMarker(int N, void* Data) {
    TBufferCoord pos = Data ? *static_cast<TBufferCoord*>(Data) : CaretXY();
    if (TTeEditMark* m = BookmarkSlot(N)) {
        bool otherLine = m->Line() != pos.Line;
        ClearBookMark(N);
        if (otherLine) SetBookMark(N, pos.Char, pos.Line);
    } else {
        SetBookMark(N, pos.Char, pos.Line);
    }
}

// ---------------------------------------------------------------------------
// Typing

void TCustomTeEdit::DoTypeChar(char AChar) {
    unsigned char u = static_cast<unsigned char>(AChar);
    if (u < 32 || u == 127) return;
    if (SelAvail()) {
        TTeUndoBlock block(this);
        const bool wholeLines = RecordBlockReplaced(activeSelectionMode_, AnsiString(1, AChar));
        TBufferCoord start = BlockBegin();
        SetSelTextPrimitive(AnsiString(1, AChar));
        if (!wholeLines) undoList_->AddChange(urInsert, start, blockEnd_, "", smNormal);
    } else {
        TTeOptionOn pastEol(this, eoScrollPastEol);
        if (inserting_ && !wordWrap_ && !options_.Contains(eoAutoSizeMaxScrollWidth) && caretX_ > maxScrollWidth_)
            return;
        if (lines_->Count() == 0) lines_->Add("");
        if (caretY_ > lines_->Count()) caretY_ = lines_->Count();
        AnsiString line = LineText();
        const int len = static_cast<int>(line.size());
        // A char typed beyond the line's end needs the gap filled first, in
        // either mode; a char right after the end needs nothing.
        const int padColumns = caretX_ > len + 1 ? caretX_ - len - 1 : 0;
        if (padColumns > 0)
            line += len > 0 ? AnsiString(static_cast<size_t>(padColumns), ' ') : GetLeftSpacing(padColumns, true);
        const int padChars = static_cast<int>(line.size()) - len;
        // Tabs in the pad make the char's index differ from the caret column.
        const size_t at = padChars > 0 ? line.size() : static_cast<size_t>(caretX_ - 1);
        const TBufferCoord charStart = BufferCoord(static_cast<int>(at) + 1, caretY_);
        AnsiString replaced;
        int newX;
        if (inserting_) {
            line.insert(at, 1, AChar);
            if (options_.Contains(eoTrimTrailingSpaces) && (AChar == ' ' || AChar == '\t') && TrimTrailing(line).empty())
                newX = GetExpandedLength(line, tabWidth_) + 1;
            else if (len == 0 && padChars > 0)
                newX = static_cast<int>(line.size()) + 1;
            else
                newX = caretX_ + 1;
        } else {
            if (at < line.size()) {
                replaced = line.substr(at, 1);
                line[at] = AChar;
            } else {
                line += AChar;
            }
            newX = len == 0 && padChars > 0 ? static_cast<int>(line.size()) + 1 : caretX_ + 1;
        }
        SetLineWithTrim(caretY_ - 1, line);
        InternalSetCaretXY(BufferCoord(newX, caretY_));
        const TBufferCoord charEnd = BufferCoord(charStart.Char + 1, caretY_);
        if (padChars == 0) {
            undoList_->AddChange(urInsert, charStart, charEnd, replaced, smNormal);
        } else {
            TTeUndoBlock block(this);
            undoList_->AddChange(urSpacesAdded, BufferCoord(len + 1, caretY_), BufferCoord(len + padChars, caretY_), "",
                                 smNormal);
            undoList_->AddChange(urInsert, charStart, charEnd, replaced, smNormal);
        }
    }
    if (caretX_ >= leftChar_ + charsInWindow_ && charsInWindow_ > 0)
        SetLeftChar(leftChar_ + std::min(charsInWindow_ - 1, 25));
}

void TCustomTeEdit::DoImeString(const AnsiString& S) {
    if (SelAvail()) {
        TTeUndoBlock block(this);
        const bool wholeLines = RecordBlockReplaced(activeSelectionMode_, S);
        TBufferCoord start = BlockBegin();
        SetSelTextPrimitive(S);
        if (!wholeLines && !S.empty()) undoList_->AddChange(urInsert, start, blockEnd_, "", smNormal);
        InvalidateGutterLines(-1, -1);
        return;
    }
    if (lines_->Count() == 0) lines_->Add("");
    TTeOptionOn pastEol(this, eoScrollPastEol);
    AnsiString line = LineText();
    TTeUndoBlock block(this);
    RecordPadding(CaretXY());
    if (static_cast<int>(line.size()) < caretX_ - 1) line.append(static_cast<size_t>(caretX_ - 1) - line.size(), ' ');
    AnsiString replaced;
    if (!inserting_) {
        replaced = line.substr(static_cast<size_t>(caretX_ - 1), S.size());
        line.erase(static_cast<size_t>(caretX_ - 1), S.size());
    }
    line.insert(static_cast<size_t>(caretX_ - 1), S);
    TBufferCoord start = CaretXY();
    SetLineWithTrim(caretY_ - 1, line);
    InternalSetCaretXY(BufferCoord(caretX_ + static_cast<int>(S.size()), caretY_));
    undoList_->AddChange(urInsert, start, CaretXY(), replaced, smNormal);
    if (caretX_ >= leftChar_ + charsInWindow_ && charsInWindow_ > 0)
        SetLeftChar(leftChar_ + std::min(charsInWindow_ - 1, 25));
}

// ---------------------------------------------------------------------------
// Line break

void TCustomTeEdit::DoLineBreak(TTeEditorCommand Command) {
    TTeUndoBlock block(this);
    if (SelAvail()) {
        RecordBlockReplaced(activeSelectionMode_, "");
        SetSelTextPrimitive("");
    }
    bool move = Command == ecLineBreak;
    TBufferCoord caret = CaretXY();
    if (lines_->Count() == 0) lines_->Add("");
    if (caret.Line > lines_->Count()) caret.Line = lines_->Count();
    AnsiString t = lines_->Strings(caret.Line - 1);
    int insertedAt = caret.Line;
    if (t.empty()) {
        int w = 0;
        for (int l = caret.Line; l >= 1; --l) {
            AnsiString s = lines_->Strings(l - 1);
            if (!s.empty()) {
                w = LeftSpaces(s);
                break;
            }
        }
        lines_->Insert(caret.Line - 1, "");
        // The break is recorded where the line ends: undo pads a shorter line up to it.
        const TBufferCoord lineEnd = BufferCoord(1, caret.Line);
        undoList_->AddChange(urLineBreak, lineEnd, lineEnd, "", smNormal);
        if (move) InternalSetCaretXY(BufferCoord(w + 1, caret.Line + 1));
    } else if (caret.Char > static_cast<int>(t.size())) {
        int w = 0;
        if (options_.Contains(eoAutoIndent)) {
            while (w < static_cast<int>(t.size()) && static_cast<unsigned char>(t[static_cast<size_t>(w)]) >= 1 &&
                   static_cast<unsigned char>(t[static_cast<size_t>(w)]) <= 32)
                ++w;
        }
        lines_->Insert(caret.Line, move ? t.substr(0, static_cast<size_t>(w)) : AnsiString());
        const TBufferCoord lineEnd = BufferCoord(static_cast<int>(t.size()) + 1, caret.Line);
        undoList_->AddChange(urLineBreak, lineEnd, lineEnd, "", smNormal);
        if (move) InternalSetCaretXY(BufferCoord(w + 1, caret.Line + 1));
    } else if (caret.Char == 1) {
        lines_->Insert(caret.Line - 1, "");
        undoList_->AddChange(urLineBreak, caret, caret, t, smNormal);
        insertedAt = caret.Line - 1;
        if (move) InternalSetCaretXY(BufferCoord(1, caret.Line + 1));
    } else {
        AnsiString left = t.substr(0, static_cast<size_t>(caret.Char - 1));
        AnsiString right = t.substr(static_cast<size_t>(caret.Char - 1));
        AnsiString indent = GetLeftSpacing(LeftSpaces(left), true);
        lines_->Insert(caret.Line, indent + right);
        SetLineWithTrim(caret.Line - 1, left);
        undoList_->AddChange(urLineBreak, caret, caret, right, smNormal);
        if (move) InternalSetCaretXY(BufferCoord(static_cast<int>(indent.size()) + 1, caret.Line + 1));
    }
    DoLinesInserted(insertedAt, 1);
    SetBlockBegin(CaretXY());
    EnsureCursorPosVisible();
    lastCaretX_ = DisplayX();
}

// ---------------------------------------------------------------------------
// Deleting

void TCustomTeEdit::DoBackspace(TTeEditorCommand) {
    if (SelAvail()) {
        DeleteBlockRecorded();
        return;
    }
    TBufferCoord old = CaretXY();
    AnsiString removed;
    if (lines_->Count() == 0 || caretY_ > lines_->Count()) {
        if (caretX_ > 1) InternalSetCaretXY(BufferCoord(caretX_ - 1, caretY_));
        EnsureCursorPosVisible();
        return;
    }
    AnsiString t = LineText();
    int n = static_cast<int>(t.size());
    int leading = 0;
    while (leading < n && (t[static_cast<size_t>(leading)] == ' ' || t[static_cast<size_t>(leading)] == '\t')) ++leading;
    auto leadingWidthOnce = [](const AnsiString& s) {
        int w = 0;
        while (w < static_cast<int>(s.size()) && (s[static_cast<size_t>(w)] == ' ' || s[static_cast<size_t>(w)] == '\t'))
            ++w;
        return w;
    };
    if (caretX_ > n + 1) {
        TTeOptionOn pastEol(this, eoScrollPastEol);
        if (!options_.Contains(eoSmartTabDelete)) {
            InternalSetCaretXY(BufferCoord(caretX_ - 1, caretY_));
        } else if (n > 0) {
            InternalSetCaretXY(BufferCoord(n + 1, caretY_));
        } else {
            int target = 1;
            for (int l = caretY_ - 1; l >= 1; --l) {
                int w = leadingWidthOnce(lines_->Strings(l - 1));
                if (w < caretX_ - 1) {
                    target = w + 1;
                    break;
                }
            }
            InternalSetCaretXY(BufferCoord(target, caretY_));
        }
        EnsureCursorPosVisible();
        return;
    }
    if (caretX_ > 1) {
        bool afterLeading = caretX_ - 1 == leading && leading > 0;
        if (!afterLeading) {
            removed = t.substr(static_cast<size_t>(caretX_ - 2), 1);
            t.erase(static_cast<size_t>(caretX_ - 2), 1);
            SetLineWithTrim(caretY_ - 1, t);
            InternalSetCaretXY(BufferCoord(caretX_ - 1, caretY_));
        } else {
            int keep = 0;
            if (options_.Contains(eoSmartTabDelete)) {
                int current = leadingWidthOnce(t);
                for (int l = caretY_ - 1; l >= 1; --l) {
                    AnsiString s = lines_->Strings(l - 1);
                    if (s.empty()) continue;
                    int w = leadingWidthOnce(s);
                    if (w < current) {
                        keep = w;
                        break;
                    }
                }
            } else {
                int col = GetExpandedLength(t.substr(0, static_cast<size_t>(leading)), tabWidth_);
                int stop = ((col - 1) / tabWidth_) * tabWidth_;
                keep = leading;
                while (keep > 0 && GetExpandedLength(t.substr(0, static_cast<size_t>(keep)), tabWidth_) > stop) --keep;
            }
            removed = t.substr(static_cast<size_t>(keep), static_cast<size_t>(leading - keep));
            t.erase(static_cast<size_t>(keep), static_cast<size_t>(leading - keep));
            SetLineWithTrim(caretY_ - 1, t);
            InternalSetCaretXY(BufferCoord(keep + 1, caretY_));
        }
    } else if (caretY_ > 1) {
        AnsiString prev = lines_->Strings(caretY_ - 2);
        int prevLen = static_cast<int>(prev.size());
        AnsiString joined = prev + t;
        if (options_.Contains(eoTrimTrailingSpaces)) joined = TrimTrailing(joined);
        lines_->BeginUpdate();
        lines_->SetStrings(caretY_ - 2, joined);
        lines_->Delete(caretY_ - 1);
        lines_->EndUpdate();
        int line = caretY_;
        removed = "\r\n";
        InternalSetCaretXY(BufferCoord(prevLen + 1, caretY_ - 1));
        DoLinesDeleted(line, 1);
    }
    if (!(CaretXY() == old)) undoList_->AddChange(urSilentDelete, CaretXY(), old, removed, smNormal);
    EnsureCursorPosVisible();
}

void TCustomTeEdit::DoDeleteChar() {
    if (SelAvail()) {
        DeleteBlockRecorded();
        return;
    }
    if (lines_->Count() == 0 || caretY_ > lines_->Count()) return;
    AnsiString t = LineText();
    int n = static_cast<int>(t.size());
    AnsiString removed;
    TBufferCoord endPos;
    if (caretX_ <= n) {
        removed = t.substr(static_cast<size_t>(caretX_ - 1), 1);
        t.erase(static_cast<size_t>(caretX_ - 1), 1);
        SetLineWithTrim(caretY_ - 1, t);
        endPos = BufferCoord(caretX_ + 1, caretY_);
    } else if (caretY_ < lines_->Count()) {
        if (static_cast<int>(t.size()) < caretX_ - 1) t.append(static_cast<size_t>(caretX_ - 1) - t.size(), ' ');
        lines_->BeginUpdate();
        lines_->SetStrings(caretY_ - 1, t + lines_->Strings(caretY_));
        lines_->Delete(caretY_);
        lines_->EndUpdate();
        removed = "\r\n";
        endPos = BufferCoord(1, caretY_ + 1);
        DoLinesDeleted(caretY_ + 1, 1);
    } else {
        return;
    }
    undoList_->AddChange(urSilentDeleteAfterCaret, CaretXY(), endPos, removed, smNormal);
}

void TCustomTeEdit::DoDeleteForward(TTeEditorCommand Command) {
    if (lines_->Count() == 0 || caretY_ > lines_->Count()) return;
    DoOnPaintTransient(ttBefore);
    TBufferCoord wp = Command == ecDeleteEOL ? BufferCoord(LengthOfLine(caretY_) + 1, caretY_) : WordEnd();
    if (wp.Char <= caretX_) {
        AnsiString t = LineText();
        if (wp.Char > static_cast<int>(t.size())) {
            if (caretY_ < lines_->Count()) wp = BufferCoord(1, caretY_ + 1);
        } else if (t[static_cast<size_t>(wp.Char - 1)] != ' ') {
            ++wp.Char;
        }
        if (wp.Line <= lines_->Count()) {
            AnsiString s = lines_->Strings(wp.Line - 1);
            while (wp.Char <= static_cast<int>(s.size()) && s[static_cast<size_t>(wp.Char - 1)] == ' ') ++wp.Char;
        }
    }
    TBufferCoord caret = CaretXY();
    if (!(wp == caret)) {
        TBufferCoord begin = MinPoint(caret, wp);
        TBufferCoord end = begin == caret ? wp : caret;
        TTeSelectionMode mode = activeSelectionMode_;
        activeSelectionMode_ = smNormal;
        blockBegin_ = begin;
        blockEnd_ = end;
        AnsiString text = SelText();
        int fill = std::max(0, caret.Char - 1 - LengthOfLine(begin.Line)) > 0 && begin.Line == caret.Line
                       ? caret.Char - begin.Char
                       : 0;
        SetSelTextPrimitive(AnsiString(static_cast<size_t>(std::max(fill, 0)), ' '));
        activeSelectionMode_ = mode;
        undoList_->AddChange(urSilentDeleteAfterCaret, caret, wp, text, smNormal);
        InternalSetCaretXY(begin);
    }
    DoOnPaintTransient(ttAfter);
}

void TCustomTeEdit::DoDeleteBackward(TTeEditorCommand Command) {
    DoOnPaintTransient(ttBefore);
    TBufferCoord wp = Command == ecDeleteBOL ? BufferCoord(1, caretY_) : PrevWordPos();
    TBufferCoord caret = CaretXY();
    if (!(wp == caret)) {
        TTeSelectionMode mode = activeSelectionMode_;
        activeSelectionMode_ = smNormal;
        TBufferCoord begin = MinPoint(caret, wp);
        TBufferCoord end = begin == caret ? wp : caret;
        blockBegin_ = begin;
        blockEnd_ = end;
        AnsiString text = SelText();
        SetSelTextPrimitive("");
        activeSelectionMode_ = mode;
        undoList_->AddChange(urSilentDelete, wp, caret, text, smNormal);
        InternalSetCaretXY(wp);
    }
    DoOnPaintTransient(ttAfter);
}

void TCustomTeEdit::DoDeleteLine() {
    if (lines_->Count() == 0) return;
    if (caretY_ >= lines_->Count() && LineText().empty()) return;
    if (SelAvail()) SetBlockBegin(CaretXY());
    int line = std::min(caretY_, lines_->Count());
    AnsiString text = lines_->Strings(line - 1);
    if (line == lines_->Count()) {
        lines_->SetStrings(line - 1, "");
        undoList_->AddChange(urSilentDeleteAfterCaret, BufferCoord(1, line),
                             BufferCoord(static_cast<int>(text.size()) + 1, line), text, smNormal);
    } else {
        lines_->Delete(line - 1);
        undoList_->AddChange(urSilentDeleteAfterCaret, BufferCoord(1, line), BufferCoord(1, line + 1), text + "\r\n",
                             smNormal);
        DoLinesDeleted(line - 1, 1);
    }
    InternalSetCaretXY(BufferCoord(1, line));
}

// ---------------------------------------------------------------------------
// Tabs and indentation

void TCustomTeEdit::DoTabKey() {
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    if (options_.Contains(eoTabIndent) && SelAvail() &&
        ((bb.Line != be.Line && activeSelectionMode_ != smColumn) ||
         (bb.Char == 1 && be.Char > LengthOfLine(caretY_) && bb.Line == be.Line))) {
        DoBlockIndent();
        return;
    }
    TTeUndoBlock block(this);
    int i = 0;
    if (options_.Contains(eoSmartTabs)) {
        int col = DisplayX();
        for (int l = caretY_ - 1; l >= 1; --l) {
            AnsiString above = lines_->GetExpandedString(l - 1);
            if (static_cast<int>(above.size()) < col) continue;
            int p = col - 1;
            while (p < static_cast<int>(above.size()) && above[static_cast<size_t>(p)] != ' ' &&
                   above[static_cast<size_t>(p)] != '\t')
                ++p, ++i;
            while (p < static_cast<int>(above.size()) && (above[static_cast<size_t>(p)] == ' ' ||
                                                          above[static_cast<size_t>(p)] == '\t'))
                ++p, ++i;
            if (p >= static_cast<int>(above.size())) i = 0;
            break;
        }
    }
    if (SelAvail()) {
        RecordBlockReplaced(activeSelectionMode_, "");
        SetSelTextPrimitive("");
    }
    TBufferCoord start = CaretXY();
    if (i == 0) i = options_.Contains(eoTabsToSpaces) ? tabWidth_ - (caretX_ - 1) % tabWidth_ : tabWidth_;
    AnsiString text;
    int newX;
    if (options_.Contains(eoTabsToSpaces)) {
        text = AnsiString(static_cast<size_t>(i), ' ');
        newX = caretX_ + i;
    } else {
        text = "\t";
        newX = caretX_ + 1;
    }
    const bool wholeLines = RecordsWholeLines(activeSelectionMode_, text);
    SetSelTextPrimitive(text);
    if (!wholeLines) undoList_->AddChange(urInsert, start, CaretXY(), "", activeSelectionMode_);
    {
        TTeOptionOn pastEol(this, eoScrollPastEol);
        SetCaretX(newX);
    }
    EnsureCursorPosVisible();
}

void TCustomTeEdit::DoShiftTabKey() {
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    if (options_.Contains(eoTabIndent) && SelAvail() && (bb.Line != be.Line || bb.Char == 1)) {
        DoBlockUnindent();
        return;
    }
    if (caretX_ <= 1) return;
    AnsiString t = LineText();
    int stop = ((caretX_ - 2) / tabWidth_) * tabWidth_ + 1;
    int x = stop;
    if (caretX_ - 1 <= static_cast<int>(t.size())) {
        if (caretX_ - 2 >= 0 && t[static_cast<size_t>(caretX_ - 2)] == '\t') {
            x = caretX_ - 1;
        } else {
            x = caretX_;
            while (x > stop && x - 2 >= 0 && t[static_cast<size_t>(x - 2)] == ' ') --x;
        }
    }
    if (x == caretX_) return;
    TBufferCoord old = CaretXY();
    AnsiString removed;
    if (x - 1 < static_cast<int>(t.size())) {
        removed = t.substr(static_cast<size_t>(x - 1), static_cast<size_t>(std::min(caretX_, static_cast<int>(t.size()) + 1) - x));
        t.erase(static_cast<size_t>(x - 1), removed.size());
        SetLineWithTrim(caretY_ - 1, t);
    }
    undoList_->AddChange(urSilentDelete, BufferCoord(x, caretY_), old, removed, smNormal);
    SetCaretX(x);
}

void TCustomTeEdit::DoBlockIndent() {
    if (!SelAvail()) return;
    TBufferCoord oldCaret = CaretXY();
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    int lastLine = be.Char == 1 ? be.Line - 1 : be.Line;
    if (lastLine < bb.Line) return;
    AnsiString unit = options_.Contains(eoTabsToSpaces) ? AnsiString(static_cast<size_t>(tabWidth_), ' ') : "\t";
    AnsiString text;
    for (int l = bb.Line; l <= lastLine; ++l) {
        if (l > bb.Line) text += "\r\n";
        text += unit;
    }
    TTeSelectionMode oldMode = activeSelectionMode_;
    int at = activeSelectionMode_ == smColumn ? std::min(bb.Char, be.Char) : 1;
    TTeUndoBlock block(this);
    {
        TTePaintLock lock(this);
        TBufferCoord pos = BufferCoord(at, bb.Line);
        blockBegin_ = blockEnd_ = pos;
        caretX_ = pos.Char;
        caretY_ = pos.Line;
        lines_->BeginUpdate();
        activeSelectionMode_ = smColumn;
        TBufferCoord c = pos;
        InsertColumn(text, c, true);
        lines_->EndUpdate();
        undoList_->AddChange(urIndent, pos, BufferCoord(at + static_cast<int>(unit.size()), lastLine), "", smColumn);
        int shift = static_cast<int>(unit.size());
        TBufferCoord nb = BufferCoord(bb.Char > 1 || at > 1 ? bb.Char + shift : bb.Char, bb.Line);
        TBufferCoord ne = BufferCoord(be.Char == 1 ? 1 : be.Char + shift, be.Line);
        undoList_->AddChange(urIndent, nb, ne, "", smColumn);
        activeSelectionMode_ = oldMode;
        int newX = be.Char == 1 && oldCaret.Char == 1 ? 1 : oldCaret.Char + shift;
        InternalSetCaretXY(BufferCoord(newX, oldCaret.Line));
        blockBegin_ = nb;
        blockEnd_ = ne;
    }
    Invalidate();
}

void TCustomTeEdit::DoBlockUnindent() {
    if (!SelAvail()) return;
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    int lastLine = be.Char == 1 ? be.Line - 1 : be.Line;
    if (lastLine < bb.Line) return;
    int at = activeSelectionMode_ == smColumn ? std::min(bb.Char, be.Char) : 1;
    std::vector<AnsiString> prefixes;
    bool any = false;
    for (int l = bb.Line; l <= lastLine; ++l) {
        AnsiString s = lines_->Strings(l - 1);
        AnsiString p;
        size_t i = static_cast<size_t>(at - 1);
        if (i < s.size() && s[i] == '\t') {
            p = "\t";
        } else {
            size_t j = i;
            while (j < s.size() && s[j] == ' ' && static_cast<int>(j - i) < tabWidth_) ++j;
            if (static_cast<int>(j - i) < tabWidth_ && j < s.size() && s[j] == '\t') ++j;
            if (j > i) p = s.substr(i, j - i);
        }
        any = any || !p.empty();
        prefixes.push_back(p);
    }
    if (!any) return;
    TTeSelectionMode oldMode = activeSelectionMode_;
    TTePaintLock lock(this);
    lines_->BeginUpdate();
    AnsiString all;
    for (int l = bb.Line; l <= lastLine; ++l) {
        const AnsiString& p = prefixes[static_cast<size_t>(l - bb.Line)];
        if (l > bb.Line) all += "\r\n";
        all += p;
        if (p.empty()) continue;
        AnsiString s = lines_->Strings(l - 1);
        s.erase(static_cast<size_t>(at - 1), p.size());
        lines_->SetStrings(l - 1, s);
    }
    lines_->EndUpdate();
    int caretPrefix = caretY_ >= bb.Line && caretY_ <= lastLine ? static_cast<int>(prefixes[static_cast<size_t>(caretY_ - bb.Line)].size()) : 0;
    undoList_->AddChange(urUnindent, bb, be, all, activeSelectionMode_);
    int firstShift = static_cast<int>(prefixes.front().size());
    int lastShift = static_cast<int>(prefixes.back().size());
    TBufferCoord nb = BufferCoord(std::max(1, bb.Char - firstShift), bb.Line);
    TBufferCoord ne = BufferCoord(be.Char == 1 ? 1 : std::max(1, be.Char - lastShift), be.Line);
    bool caretAtEnd = CaretXY() == be;
    {
        TTeOptionOn pastEol(this, eoScrollPastEol);
        InternalSetCaretXY(BufferCoord(std::max(1, caretX_ - caretPrefix), caretY_));
    }
    blockBegin_ = caretAtEnd ? nb : ne;
    blockEnd_ = caretAtEnd ? ne : nb;
    blockBegin_ = nb;
    blockEnd_ = ne;
    activeSelectionMode_ = oldMode;
    Invalidate();
}

void TCustomTeEdit::DoCaseChange(TTeEditorCommand Cmd) {
    TBufferCoord oldCaret = CaretXY();
    TBufferCoord oldBegin = blockBegin_, oldEnd = blockEnd_;
    bool hadSelection = SelAvail();
    bool wordCmd = Cmd <= ecTitleCase;
    if (wordCmd) {
        SetWordBlock(CaretXY());
        if (!SelAvail()) {
            InternalSetCaretXY(PrevWordPos());
            SetWordBlock(CaretXY());
        }
    } else if (!hadSelection) {
        if (caretX_ > LengthOfLine(caretY_)) {
            if (caretY_ < lines_->Count()) InternalSetCaretXY(BufferCoord(1, caretY_ + 1));
            return;
        }
        SetBlockBegin(CaretXY());
        SetBlockEnd(BufferCoord(caretX_ + 1, caretY_));
    }
    AnsiString w = SelText();
    if (w.empty()) {
        if (wordCmd) SetCaretXY(oldCaret);
        return;
    }
    AnsiString r = w;
    switch (Cmd) {
        case TeEditCaseCommands::ecUpperCase:
        case ecUpperCaseBlock: r = AnsiUpperCase(w); break;
        case TeEditCaseCommands::ecLowerCase:
        case ecLowerCaseBlock: r = AnsiLowerCase(w); break;
        case ecToggleCase:
        case ecToggleCaseBlock:
            for (char& c : r) {
                AnsiString one(1, c);
                c = AnsiUpperCase(one) == one ? AnsiLowerCase(one)[0] : AnsiUpperCase(one)[0];
            }
            break;
        case ecTitleCase:
            r = AnsiLowerCase(w);
            r[0] = AnsiUpperCase(r.substr(0, 1))[0];
            break;
        default: break;
    }
    {
        TTeUndoBlock block(this);
        if (hadSelection) undoList_->AddChange(urSelection, oldBegin, oldEnd, "", activeSelectionMode_);
        else undoList_->AddChange(urSelection, oldCaret, oldCaret, "", activeSelectionMode_);
        undoList_->AddChange(urCaret, oldCaret, oldCaret, "", activeSelectionMode_);
        SetSelText(r);
    }
    if (!wordCmd) {
        if (hadSelection) SetCaretAndSelection(oldCaret, oldBegin, oldEnd);
    } else {
        SetCaretXY(oldCaret);
    }
}

void TCustomTeEdit::SetWordBlock(TBufferCoord Value) {
    if (options_.Contains(eoScrollPastEol)) Value.Char = MinMax(Value.Char, 1, maxScrollWidth_ + 1);
    else Value.Char = std::max(Value.Char, 1);
    Value.Line = MinMax(Value.Line, 1, lines_->Count());
    if (lines_->Count() == 0) return;
    AnsiString s = lines_->Strings(Value.Line - 1);
    if (Value.Char > static_cast<int>(s.size())) {
        InternalSetCaretXY(BufferCoord(static_cast<int>(s.size()) + 1, Value.Line));
        return;
    }
    int a = Value.Char, b = Value.Char;
    while (a > 1 && IsWordChar(static_cast<unsigned char>(s[static_cast<size_t>(a - 2)]))) --a;
    while (b <= static_cast<int>(s.size()) && IsWordChar(static_cast<unsigned char>(s[static_cast<size_t>(b - 1)]))) ++b;
    SetCaretAndSelection(BufferCoord(b, Value.Line), BufferCoord(a, Value.Line), BufferCoord(b, Value.Line));
    InvalidateLine(Value.Line);
    StatusChanged(scSelection);
}

// ---------------------------------------------------------------------------
// Clipboard

void TCustomTeEdit::ClipboardWrite(const AnsiString& S) {
    if (S.empty()) return;
    TClipboard* cb = Clipboard();
    cb->Open();
    bool ok = true;
    try {
        cb->Clear();
        cb->SetBuffer(CF_TEXT, S.c_str(), S.size() + 1);
        std::string block;
        block.push_back(static_cast<char>(activeSelectionMode_));
        block += S;
        block.push_back('\0');
        cb->SetBuffer(EditorClipboardFormat(), block.data(), block.size());
    } catch (...) {
        ok = false;
    }
    cb->Close();
    if (!ok) throw ETeEditError("Clipboard copy operation failed");
}

void TCustomTeEdit::CopyToClipboard() {
    if (!SelAvail()) return;
    if (activeSelectionMode_ == smColumn && options_.Contains(eoTrimTrailingSpaces)) {
        AnsiString s;
        {
            options_.Exclude(eoTrimTrailingSpaces);
            TScopeGuard restore([this] { options_.Include(eoTrimTrailingSpaces); });
            s = SelText();
        }
        ClipboardWrite(s);
    } else {
        ClipboardWrite(SelText());
    }
}

void TCustomTeEdit::CutToClipboard() {
    if (ReadOnly() || !SelAvail()) return;
    TTeUndoBlock block(this);
    CopyToClipboard();
    SetSelText("");
}

void TCustomTeEdit::PasteFromClipboard() {
    if (!CanPaste()) return;
    DoOnPaintTransient(ttBefore);
    TClipboard* cb = Clipboard();
    bool beginMarker = false;
    {
        TTeUndoBlock block(this);
        std::string data;
        cb->Open();
        TScopeGuard close([&] {
            cb->Close();
            if (beginMarker) undoList_->AddChange(urPasteEnd, BlockBegin(), BlockEnd(), "", smNormal);
        });
        if (cb->GetBuffer(EditorClipboardFormat(), data)) {
            if (data.empty()) throw ETeEditError("Clipboard paste operation failed.");
            undoList_->AddChange(urPasteBegin, BlockBegin(), BlockEnd(), "", smNormal);
            beginMarker = true;
            TTeSelectionMode pasteMode = static_cast<TTeSelectionMode>(std::min<int>(data[0], smColumn));
            AnsiString text(data.c_str() + 1);  // ends at the zero
            const bool wholeLines = RecordBlockReplaced(pasteMode, text);
            TBufferCoord start = SelAvail() ? BlockBegin() : CaretXY();
            SetSelTextPrimitiveEx(pasteMode, text.c_str(), true);
            TBufferCoord endPos = BlockEnd();
            // Lines and columns are recorded by the text primitive; an empty
            // block puts nothing in.
            if (!wholeLines && pasteMode == smNormal)
                undoList_->AddChange(urPaste, start, endPos, SelText(), smNormal);
        } else if (cb->HasFormat(CF_TEXT)) {
            undoList_->AddChange(urPasteBegin, BlockBegin(), BlockEnd(), "", smNormal);
            beginMarker = true;
            if (!SelAvail()) {
                activeSelectionMode_ = selectionMode_;
                // The anchor may still stand where typing began; the text goes in at the caret.
                blockBegin_ = blockEnd_ = CaretXY();
            }
            AnsiString text = cb->AsText();
            const bool wholeLines = RecordBlockReplaced(activeSelectionMode_, text);
            TBufferCoord start = BlockBegin();
            TBufferCoord end = BlockEnd();
            blockBegin_ = start;
            blockEnd_ = end;
            SetSelTextPrimitive(text);
            // An empty clipboard puts nothing in, so there is nothing to take out.
            if (!wholeLines && !text.empty()) undoList_->AddChange(urPaste, start, BlockEnd(), "", smNormal);
        }
    }
    if (options_.Contains(eoHideShowScrollbars)) {
        TValueRestorer unlocked(paintLock_, 0);
        UpdateScrollBars();
    }
    EnsureCursorPosVisible();
    StatusChanged(scSelection);
    DoOnPaintTransient(ttAfter);
}

// ---------------------------------------------------------------------------
// Drag and drop editing

namespace {
// Where a drop point lies once the dragged block BB..BE, in Mode, was taken
// out of the same text: later text on the block's lines moves left, later
// lines move up by the lines taken out.
TBufferCoord PlaceAfterRemoval(TBufferCoord Drop, const TBufferCoord& BB, const TBufferCoord& BE,
                               TTeSelectionMode Mode, bool LastLineKept) {
    switch (Mode) {
        case smNormal:
            if (Drop.Line == BE.Line && Drop.Char >= BE.Char) {
                Drop.Char -= BE.Char - BB.Char;
                Drop.Line = BB.Line;
            } else if (Drop.Line > BE.Line) {
                Drop.Line -= BE.Line - BB.Line;
            }
            break;
        case smLine:
            if (Drop.Line > BE.Line) Drop.Line -= BE.Line - BB.Line + (LastLineKept ? 0 : 1);
            break;
        case smColumn: {
            const int lo = std::min(BB.Char, BE.Char), hi = std::max(BB.Char, BE.Char);
            if (Drop.Line >= BB.Line && Drop.Line <= BE.Line && Drop.Char >= hi) Drop.Char -= hi - lo;
            break;
        }
    }
    Drop.Line = std::max(Drop.Line, 1);
    return Drop;
}
}  // namespace

void TCustomTeEdit::DragDrop(TObject* Source, int X, int Y) {
    auto* src = dynamic_cast<TCustomTeEdit*>(Source);
    if (ReadOnly() || !src || !src->SelAvail()) {
        TCustomControl::DragDrop(Source, X, Y);
        return;
    }
    TTePaintLock lock(this);
    TCustomControl::DragDrop(Source, X, Y);
    ComputeCaret(X, Y);
    TBufferCoord drop = CaretXY();
    bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    bool same = src == this;
    bool move = same ? !ctrl : shift;
    if (same) {
        bool inside = IsPointInSelection(drop);
        if (!move) inside = inside || drop == BlockBegin() || drop == BlockEnd();
        if (inside) return;
    }
    TTeUndoBlock block(this);
    AnsiString text = src->SelText();
    if (move) {
        TBufferCoord bb = src->BlockBegin(), be = src->BlockEnd();
        const TTeSelectionMode removedAs = src->ActiveSelectionMode();
        const bool lastLineKept = be.Line >= src->lines_->Count();
        src->SetSelText("");
        if (same) drop = PlaceAfterRemoval(drop, bb, be, removedAs, lastLineKept);
    }
    TTeOptionOn pastEol(this, eoScrollPastEol);
    SetCaretXY(drop);
    SetBlockBegin(drop);
    drop = CaretXY();
    if (RecordsWholeLines(activeSelectionMode_, text)) {
        // Lines or columns go in as the chosen mode puts them and are recorded so.
        SetSelText(text);
    } else {
        RecordPadding(drop);
        LockUndo();
        SetSelText(text);
        UnlockUndo();
        undoList_->AddChange(same ? urDragDropInsert : urInsert, drop, BlockEnd(), "", activeSelectionMode_);
    }
    SetBlockEnd(CaretXY());
    CommandProcessor(ecSelGotoXY, '\0', &drop);
}
