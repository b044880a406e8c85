// Undo and redo: how many items make one step, and how each item is taken
// back or applied again, moving between the two lists.
#include <algorithm>
#include <memory>

#include "editor/TeEdit.h"
#include "editor/TeEditGuards.h"

namespace {
bool IsEndMarker(TTeUndoReason r) { return r == urRun1End || r == urPasteEnd || r == urRun2End || r == urRun3End; }
bool IsBeginMarker(TTeUndoReason r) {
    return r == urRun1Begin || r == urPasteBegin || r == urRun2Begin || r == urRun3Begin;
}
TTeUndoReason BeginOf(TTeUndoReason end) { return static_cast<TTeUndoReason>(end - 1); }
TTeUndoReason EndOf(TTeUndoReason begin) { return static_cast<TTeUndoReason>(begin + 1); }

// Moves a group break from the top of one list to the other.
void MoveGroupBreak(TTeEditUndoList* from, TTeEditUndoList* to) {
    TTeEditUndoItem* top = from->PeekItem();
    if (top && top->Reason() == urGroupBreak) {
        delete from->PopItem();
        to->AddGroupBreak();
    }
}
}  // namespace

void TCustomTeEdit::Undo() { ReplayStep(undoList_, redoList_, &TCustomTeEdit::UndoItem); }

void TCustomTeEdit::Redo() { ReplayStep(redoList_, undoList_, &TCustomTeEdit::RedoItem); }

// Undo and redo take one step the same way, mirrored: Apply takes the top item
// off From and records its reverse on To. A step is a bracketed run (undo meets
// its end marker first, redo its begin marker), else the items of one change
// number, or with eoGroupUndo a run of one reason.
void TCustomTeEdit::ReplayStep(TTeEditUndoList* From, TTeEditUndoList* To, void (TCustomTeEdit::*Apply)()) {
    if (ReadOnly()) return;
    MoveGroupBreak(From, To);
    TTeEditUndoItem* item = From->PeekItem();
    if (item) {
        bool undoing = From == undoList_;
        TTeUndoReason first = item->Reason();
        bool bracketed = undoing ? IsEndMarker(first) : IsBeginMarker(first);
        TTeUndoReason closingMarker = !bracketed ? urNothing : undoing ? BeginOf(first) : EndOf(first);
        int changeNumber = item->ChangeNumber();
        int saveBlock = To->BlockChangeNumber();
        To->SetBlockChangeNumber(changeNumber);
        TScopeGuard restoreBlock([To, saveBlock] { To->SetBlockChangeNumber(saveBlock); });
        TTeUndoReason lastReason;
        do {
            lastReason = From->PeekItem()->Reason();
            (this->*Apply)();
            item = From->PeekItem();
            if (!item) break;
            if (bracketed) {
                if (item->Reason() == closingMarker) break;
            } else if (!(item->ChangeNumber() == changeNumber ||
                         (options_.Contains(eoGroupUndo) && item->Reason() == lastReason &&
                          lastReason != urIndent && lastReason != urUnindent))) {
                break;
            }
        } while (true);
        if (bracketed && item && item->Reason() == closingMarker) {
            (this->*Apply)();
            UpdateModifiedStatus();
        }
    }
    MoveGroupBreak(From, To);
    FollowChosenSelectionMode();
}

// An item puts its block back in the mode it was made in; what the user does
// next with the block (extending it, typing over it) follows the mode the user
// has chosen since, so the block is shown in that mode from here on.
void TCustomTeEdit::FollowChosenSelectionMode() { SetActiveSelectionMode(selectionMode_); }

void TCustomTeEdit::InsertBlockAt(const TBufferCoord& Start, const AnsiString& Text, TTeSelectionMode Mode) {
    blockBegin_ = blockEnd_ = Start;
    caretX_ = Start.Char;
    caretY_ = Start.Line;
    SetSelTextPrimitiveEx(Mode, Text.c_str(), false);
}

// Caret and selection items are their own reverse: the present place goes to
// To and the item's place is restored.
void TCustomTeEdit::SwapPlace(TTeEditUndoItem* Item, TTeEditUndoList* To) {
    if (Item->Reason() == urCaret) {
        To->AddChange(urCaret, CaretXY(), CaretXY(), "", activeSelectionMode_);
        InternalSetCaretXY(Item->StartPos());
    } else {
        To->AddChange(urSelection, blockBegin_, blockEnd_, "", activeSelectionMode_);
        SetCaretAndSelection(CaretXY(), Item->StartPos(), Item->EndPos());
    }
}

// An insert, a paste or a drop is recorded with the text it replaced (empty
// unless it typed over text), so undo and redo are the same swap: the range
// gets the item's text back and the reverse records what the range held and
// where the text put in now ends.
TBufferCoord TCustomTeEdit::SwapRangeText(TTeEditUndoItem* Item, TTeEditUndoList* To) {
    const TTeSelectionMode mode = Item->SelectionMode();
    const TBufferCoord start = Item->StartPos();
    SetCaretAndSelection(start, start, Item->EndPos());
    blockBegin_ = start;
    blockEnd_ = Item->EndPos();
    const AnsiString replaced = SelText();
    SetSelTextPrimitiveEx(mode, Item->Text().c_str(), false);
    TBufferCoord inserted = CaretXY();
    TTeSelectionMode recordedMode = mode;
    TBufferCoord recordedStart = start, recordedEnd = inserted;
    if (mode == smLine && !Item->Text().empty()) {
        // Lines go in at the line start; whole lines end before the caret line
        // unless the text ended inside one.
        recordedStart.Char = 1;
        if (inserted.Char == 1 && inserted.Line > start.Line)
            recordedEnd = BufferCoord(std::max(charsInWindow_, 1), inserted.Line - 1);
        else
            recordedMode = smNormal;
    }
    To->AddChange(Item->Reason(), recordedStart, recordedEnd, replaced, recordedMode);
    return inserted;
}

void TCustomTeEdit::UndoItem() {
    TTeEditUndoItem* item = undoList_->PopItem();
    if (!item) return;
    activeSelectionMode_ = item->SelectionMode();
    TTePaintLock lock(this);
    std::unique_ptr<TTeEditUndoItem> owned(item);
    TTeOptionOn pastEol(this, eoScrollPastEol);
    TBufferCoord start = item->StartPos(), end = item->EndPos();
    switch (item->Reason()) {
        case urInsert:
        case urPaste:
        case urDragDropInsert:
            SwapRangeText(item, redoList_);
            InternalSetCaretXY(start);
            SetBlockBegin(start);
            break;
        case urDeleteAfterCaret:
        case urDelete:
        case urSilentDelete:
        case urSilentDeleteAfterCaret:
        case urReserved22: {
            bool afterCaret = item->Reason() == urDeleteAfterCaret || item->Reason() == urSilentDeleteAfterCaret;
            TBufferCoord at;
            if (item->SelectionMode() == smColumn)
                at = BufferCoord(std::min(start.Char, end.Char), std::min(start.Line, end.Line));
            else
                at = MinPoint(start, end);
            if (afterCaret && at.Line > lines_->Count()) {
                InternalSetCaretXY(BufferCoord(1, lines_->Count()));
                lines_->Add("");
            }
            InsertBlockAt(at, item->Text(), item->SelectionMode());
            TBufferCoord target = afterCaret ? start : end;
            if (item->Reason() == urSilentDelete || item->Reason() == urSilentDeleteAfterCaret) {
                InternalSetCaretXY(target);
                SetBlockBegin(target);
            } else {
                SetCaretAndSelection(target, start, end);
            }
            redoList_->AddChange(item->Reason(), start, end, "", item->SelectionMode());
            if (item->Reason() == urReserved22) {
                InternalSetCaretXY(BufferCoord(1, 1));
                SetBlockEnd(BufferCoord(1, 1));
            }
            EnsureCursorPosVisible();
            break;
        }
        case urLineBreak: {
            InternalSetCaretXY(start);
            redoList_->AddChange(item->Reason(), start, end, "", item->SelectionMode());
            if (caretY_ <= lines_->Count()) {
                AnsiString line = lines_->Strings(caretY_ - 1);
                const AnsiString& t = item->Text();
                bool leadingBlank = !t.empty() && (t[0] == ' ' || t[0] == '\t');
                if (static_cast<int>(line.size()) < caretX_ - 1 && !leadingBlank)
                    line.append(static_cast<size_t>(caretX_ - 1) - line.size(), ' ');
                lines_->BeginUpdate();
                lines_->SetStrings(caretY_ - 1, line + t);
                if (caretY_ < lines_->Count()) lines_->Delete(caretY_);
                lines_->EndUpdate();
                DoLinesDeleted(caretY_ + 1, 1);
            }
            SetBlockBegin(CaretXY());
            break;
        }
        case urIndent:
            redoList_->AddChange(item->Reason(), start, end, item->Text(), item->SelectionMode());
            SetCaretAndSelection(end, start, end);
            break;
        case urUnindent: {
            redoList_->AddChange(item->Reason(), start, end, item->Text(), item->SelectionMode());
            // Each prefix goes back where it was taken from; a line that gave
            // none is left as it is.
            int at = item->SelectionMode() == smColumn ? std::min(start.Char, end.Char) : 1;
            std::vector<AnsiString> prefixes = SplitLines(item->Text());
            lines_->BeginUpdate();
            for (size_t k = 0; k < prefixes.size(); ++k) {
                int line = start.Line + static_cast<int>(k);
                if (line > lines_->Count() || prefixes[k].empty()) continue;
                AnsiString s = lines_->Strings(line - 1);
                s.insert(std::min(static_cast<size_t>(at - 1), s.size()), prefixes[k]);
                lines_->SetStrings(line - 1, s);
            }
            lines_->EndUpdate();
            SetCaretAndSelection(end, start, end);
            break;
        }
        case urCaret:
        case urSelection: SwapPlace(item, redoList_); break;
        case urSpacesAdded: {
            // The end is the last added char itself, so the range reaches one further.
            SetCaretAndSelection(start, start, end);
            blockBegin_ = start;
            blockEnd_ = BufferCoord(end.Char + 1, end.Line);
            redoList_->AddChange(item->Reason(), start, end, SelText(), item->SelectionMode());
            SetSelTextPrimitiveEx(smNormal, item->Text().c_str(), false);
            InternalSetCaretXY(start);
            SetBlockBegin(start);
            break;
        }
        default: break;
    }
}

void TCustomTeEdit::RedoItem() {
    TTeEditUndoItem* item = redoList_->PopItem();
    if (!item) return;
    activeSelectionMode_ = item->SelectionMode();
    undoList_->SetRedoInProgress(true);
    TTePaintLock lock(this);
    std::unique_ptr<TTeEditUndoItem> owned(item);
    TScopeGuard redoDone([this] { undoList_->SetRedoInProgress(false); });
    TTeOptionOn pastEol(this, eoScrollPastEol);
    TBufferCoord start = item->StartPos(), end = item->EndPos();
    switch (item->Reason()) {
        case urInsert:
        case urPaste:
        case urDragDropInsert: {
            TBufferCoord inserted = SwapRangeText(item, undoList_);
            InternalSetCaretXY(inserted);
            SetBlockBegin(inserted);
            if (item->Reason() == urDragDropInsert) SetCaretAndSelection(start, start, inserted);
            break;
        }
        case urDeleteAfterCaret:
        case urSilentDeleteAfterCaret:
        case urDelete:
        case urSilentDelete: {
            SetCaretAndSelection(start, start, end);
            undoList_->AddChange(item->Reason(), start, end, SelText(), item->SelectionMode());
            blockBegin_ = start;
            blockEnd_ = end;
            SetSelTextPrimitiveEx(item->SelectionMode(), item->Text().c_str(), false);
            InternalSetCaretXY(start);
            SetBlockBegin(start);
            break;
        }
        case urLineBreak:
            SetCaretXY(start);
            CommandProcessor(ecLineBreak, '\r', nullptr);
            break;
        case urIndent:
            undoList_->AddChange(item->Reason(), start, end, item->Text(), item->SelectionMode());
            SetCaretAndSelection(end, start, end);
            break;
        case urUnindent: {
            undoList_->AddChange(item->Reason(), start, end, item->Text(), item->SelectionMode());
            int at = item->SelectionMode() == smColumn ? std::min(start.Char, end.Char) : 1;
            std::vector<AnsiString> prefixes = SplitLines(item->Text());
            lines_->BeginUpdate();
            for (size_t k = 0; k < prefixes.size(); ++k) {
                int line = start.Line + static_cast<int>(k);
                if (line > lines_->Count() || prefixes[k].empty()) continue;
                AnsiString s = lines_->Strings(line - 1);
                s.erase(static_cast<size_t>(at - 1), prefixes[k].size());
                lines_->SetStrings(line - 1, s);
            }
            lines_->EndUpdate();
            if (item->SelectionMode() == smColumn) {
                SetCaretAndSelection(start, start, end);
            } else {
                TBufferCoord e = end;
                if (!prefixes.empty()) e.Char = std::max(1, e.Char - static_cast<int>(prefixes.back().size()));
                SetCaretAndSelection(e, start, e);
            }
            break;
        }
        case urCaret:
        case urSelection: SwapPlace(item, undoList_); break;
        case urSpacesAdded:
            undoList_->AddChange(item->Reason(), start, end, "", item->SelectionMode());
            SetCaretAndSelection(end, end, end);
            InsertBlockAt(start, item->Text(), smNormal);
            InternalSetCaretXY(start);
            break;
        default: break;
    }
}
