// The edit-control messages of the memo. Positions are the editor's character
// indexes (SelStart, SelEnd: line breaks count 2). A buffer is never written
// past the size the caller gives.
#include <algorithm>
#include <cstring>

#include "editor/TeEdit.h"
#include "editor/TeEditGuards.h"

namespace {
LRESULT PackWords(int Low, int High) {
    return static_cast<LRESULT>((static_cast<uint32_t>(High & 0xFFFF) << 16) | static_cast<uint32_t>(Low & 0xFFFF));
}
}  // namespace

void TTeMemo::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case EM_GETSEL: EMGetSel(Message); return;
        case EM_SETSEL: EMSetSel(Message); return;
        case EM_GETMODIFY: Message.Result = Modified() ? 1 : 0; return;
        case EM_SETMODIFY: SetModified(Message.WParam != 0); return;
        case EM_GETLINECOUNT: Message.Result = Lines()->Count(); return;
        case EM_REPLACESEL: EMReplaceSel(Message); return;
        case EM_GETLINE: EMGetLine(Message); return;
        case EM_CANUNDO: Message.Result = CanUndo() ? 1 : 0; return;
        case EM_UNDO:
            Message.Result = CanUndo() ? 1 : 0;
            Undo();
            return;
        case EM_GETFIRSTVISIBLELINE: Message.Result = TopLine(); return;
        case EM_CHARFROMPOS: EMCharFromPos(Message); return;
        case EM_GETSELTEXT: EMGetSelText(Message); return;
        default: TTeEdit::Dispatch(Message); return;
    }
}

void TTeMemo::EMGetSel(TMessage& Msg) {
    int s = SelStart(), e = SelEnd();
    if (Msg.WParam) *reinterpret_cast<int32_t*>(Msg.WParam) = s;
    if (Msg.LParam) *reinterpret_cast<int32_t*>(Msg.LParam) = e;
    Msg.Result = PackWords(s, e);
}

void TTeMemo::EMSetSel(TMessage& Msg) {
    SetSelStart(static_cast<int>(Msg.WParam));
    SetSelEnd(static_cast<int>(Msg.LParam));
}

void TTeMemo::EMReplaceSel(TMessage& Msg) {
    if (ReadOnly()) return;
    bool recordUndo = Msg.WParam != 0;
    AnsiString text = Msg.LParam ? AnsiString(reinterpret_cast<const char*>(Msg.LParam)) : AnsiString();
    DoOnPaintTransient(ttBefore);
    {
        TTeUndoBlock block(this);
        // A column or line block is recorded by the text primitive itself.
        const bool wholeLines = recordUndo && RecordBlockReplaced(activeSelectionMode_, text);
        TBufferCoord start = SelAvail() ? BlockBegin() : CaretXY();
        if (wholeLines) {
            SetSelTextPrimitive(text);
        } else {
            UndoList()->Lock();
            TScopeGuard unlock([this] { UndoList()->Unlock(); });
            SetSelTextPrimitive(text);
        }
        if (!recordUndo) {
            // Older items would point at text that has moved: a later undo would garble it.
            UndoList()->Clear();
            RedoList()->Clear();
        } else if (!wholeLines) {
            UndoList()->AddChange(urPaste, start, BlockEnd(), SelText(), smNormal);
        }
    }
    EnsureCursorPosVisible();
    StatusChanged(scSelection);
    DoOnPaintTransient(ttAfter);
}

void TTeMemo::EMGetLine(TMessage& Msg) {
    Msg.Result = 0;
    int index = static_cast<int>(Msg.WParam);
    if (!Msg.LParam || index < 0 || index >= Lines()->Count()) return;
    char* buffer = reinterpret_cast<char*>(Msg.LParam);
    uint16_t size;
    memcpy(&size, buffer, sizeof(size));
    AnsiString line = Lines()->Strings(index);
    // At most size bytes; the terminating zero only when it fits.
    size_t n = std::min(line.size(), static_cast<size_t>(size));
    memcpy(buffer, line.data(), n);
    if (n < size) buffer[n] = '\0';
    Msg.Result = static_cast<LRESULT>(n);
}

void TTeMemo::EMCharFromPos(TMessage& Msg) {
    int x = static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(Msg.LParam)));
    int y = static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(Msg.LParam)));
    TBufferCoord pos = DisplayToBufferPos(PixelsToRowColumn(x, y));
    int line = pos.Line - 1;
    int ch;
    if (line >= 0 && line < Lines()->Count()) {
        ch = std::min(pos.Char, static_cast<int>(Lines()->Strings(line).size()) + 1);
    } else {
        ch = 1;
    }
    int offset = ch;
    for (int i = 0; i < std::min(line, Lines()->Count()); ++i) offset += static_cast<int>(Lines()->Strings(i).size()) + 2;
    Msg.Result = PackWords(offset, line);
}

void TTeMemo::EMGetSelText(TMessage& Msg) {
    AnsiString s = SelText();
    Msg.Result = static_cast<LRESULT>(s.size());
    if (!Msg.LParam) return;
    char* buffer = reinterpret_cast<char*>(Msg.LParam);
    // WParam, when given, is the buffer's size; without it the caller sized the buffer from EM_GETSEL.
    size_t limit = Msg.WParam ? static_cast<size_t>(Msg.WParam) : s.size() + 1;
    size_t n = std::min(s.size(), limit);
    memcpy(buffer, s.data(), n);
    if (n < limit) buffer[n] = '\0';
    Msg.Result = static_cast<LRESULT>(n);
}
