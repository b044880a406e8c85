// Single-line edits and the memo.
#include "platform/gui/StdCtrls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/gui/Clipboard.h"
#include "platform/gui/ControlProps_p.h"
#include "platform/gui/StdCtrls_p.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/WinApi_p.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- edits

// What the edit control does with its widget, for a single line (QLineEdit)
// and for a memo (QPlainTextEdit). Positions are those of the program's text.
struct TEditNative : TNativeWidget {
    using TNativeWidget::TNativeWidget;
    TCustomEdit* Owner = nullptr;
    bool SettingText = false;  // a change made by WM_SETTEXT is not the user's
    bool Modified = false;
    QRect Formatting;          // EM_SETRECTNP, in client coordinates; empty for the whole window

    virtual AnsiString Text() const = 0;
    virtual void SetText(const AnsiString& text) = 0;
    virtual void GetSel(int& start, int& end) const = 0;
    // Anchor and caret; -1 for the caret means the end.
    virtual void SetSel(int anchor, int caret) = 0;
    // Replaces the selection (no limit or case check here).
    virtual void Insert(const AnsiString& text) = 0;
    virtual void DeleteSelection() = 0;
    virtual void Backspace() = 0;
    virtual void DeleteForward() = 0;
    // One level of undo, as the edit control keeps it: what the text was
    // before the last change (a run of typing counts as one change).
    AnsiString UndoText;
    int UndoStart = 0, UndoEnd = 0;
    bool HasUndo = false;
    bool Typing = false;
    void Snapshot(bool typing) {
        if (!(typing && Typing && HasUndo)) {
            UndoText = Text();
            GetSel(UndoStart, UndoEnd);
            HasUndo = true;
        }
        Typing = typing;
    }
    void Undo() {
        if (!HasUndo) return;
        // Undoing again brings the change back.
        AnsiString now = Text();
        int s = 0, e = 0;
        GetSel(s, e);
        SetText(UndoText);
        SetSel(UndoStart, UndoEnd);
        UndoText = now;
        UndoStart = s;
        UndoEnd = e;
        Typing = false;
    }
    bool CanUndo() const { return HasUndo; }
    void ClearUndo() {
        HasUndo = false;
        Typing = false;
    }
    virtual void SetReadOnly(bool value) = 0;
    virtual void SetMaxLength(int value) = 0;
    virtual int CharFromPos(int x, int y) const = 0;
    virtual void ApplyMargins() = 0;
    // Moves the caret for a key the widget did not get itself (a sent message).
    virtual bool MoveKey(WORD key, bool shift) = 0;
    int Length() const { return static_cast<int>(Text().size()); }
};

namespace {

class TNativeLineEdit final : public QLineEdit {
public:
    TNativeLineEdit() { setContextMenuPolicy(Qt::NoContextMenu); }
};

// Without a limit of ours the box holds what the system's edit holds (Qt's
// own default of 32,767 characters would cut a longer text set into it).
constexpr int kSystemEditLimit = 0x7FFFFFFE;

struct TLineEditNative final : TEditNative {
    TLineEditNative() : TEditNative(new TNativeLineEdit()) {
        TextBox = true;
        Background = true;
        Edit()->setMaxLength(kSystemEditLimit);
    }
    QLineEdit* Edit() const { return static_cast<QLineEdit*>(Widget.data()); }

    AnsiString Text() const override { return FromQString(Edit()->text()); }
    void SetText(const AnsiString& text) override { Edit()->setText(ToQString(text)); }
    void GetSel(int& start, int& end) const override {
        QLineEdit* e = Edit();
        if (e->hasSelectedText()) {
            start = e->selectionStart();
            end = e->selectionEnd();
        } else {
            start = end = e->cursorPosition();
        }
        // Characters outside the code page are one byte each in ours too.
    }
    void SetSel(int anchor, int caret) override {
        QLineEdit* e = Edit();
        int len = static_cast<int>(e->text().size());
        if (caret < 0 || caret > len) caret = len;
        anchor = std::clamp(anchor, 0, len);
        e->setSelection(anchor, caret - anchor);
        if (anchor == caret) e->setCursorPosition(caret);
    }
    void Insert(const AnsiString& text) override { Edit()->insert(ToQString(text)); }
    void DeleteSelection() override {
        if (Edit()->hasSelectedText()) Edit()->del();
    }
    void Backspace() override { Edit()->backspace(); }
    void DeleteForward() override { Edit()->del(); }
    void SetReadOnly(bool value) override { Edit()->setReadOnly(value); }
    void SetMaxLength(int value) override { Edit()->setMaxLength(value > 0 ? value : kSystemEditLimit); }
    int CharFromPos(int x, int y) const override { return Edit()->cursorPositionAt(QPoint(x, y)); }
    void ApplyMargins() override {
        QLineEdit* e = Edit();
        if (Formatting.isNull()) {
            e->setTextMargins(0, 0, 0, 0);
            return;
        }
        e->setTextMargins(Formatting.left(), Formatting.top(), std::max(0, e->width() - Formatting.right() - 1),
                          std::max(0, e->height() - Formatting.bottom() - 1));
    }
    bool MoveKey(WORD key, bool shift) override {
        QLineEdit* e = Edit();
        switch (key) {
            case VK_LEFT: e->cursorBackward(shift); return true;
            case VK_RIGHT: e->cursorForward(shift); return true;
            case VK_HOME: e->home(shift); return true;
            case VK_END: e->end(shift); return true;
            case VK_DELETE:
                if (!e->isReadOnly()) e->del();
                return true;
            default: return false;
        }
    }
};

class TNativePlainTextEdit final : public QPlainTextEdit {
public:
    void SetMargins(int left, int top, int right, int bottom) { setViewportMargins(left, top, right, bottom); }
};

struct TMemoNative final : TEditNative {
    TMemoNative() : TEditNative(new TNativePlainTextEdit()) {
        TextBox = true;
        Background = true;
        Memo()->setContextMenuPolicy(Qt::NoContextMenu);
        Memo()->setTabChangesFocus(false);
    }
    QPlainTextEdit* Memo() const { return static_cast<QPlainTextEdit*>(Widget.data()); }
    QTextDocument* Doc() const { return Memo()->document(); }

    // Program positions count each line break as two.
    int ToProgram(int pos) const { return pos + Doc()->findBlock(pos).blockNumber(); }
    int FromProgram(int pos) const {
        if (pos <= 0) return 0;
        for (QTextBlock b = Doc()->begin(); b.isValid(); b = b.next()) {
            int start = b.position() + b.blockNumber();
            int len = static_cast<int>(b.text().size());
            if (pos <= start + len) return b.position() + (pos - start);
            if (pos == start + len + 1) return b.position() + len;  // between CR and LF
        }
        return std::max(0, Doc()->characterCount() - 1);
    }

    AnsiString Text() const override { return FromQText(Memo()->toPlainText()); }
    void SetText(const AnsiString& text) override { Memo()->setPlainText(ToQText(text)); }
    void GetSel(int& start, int& end) const override {
        QTextCursor c = Memo()->textCursor();
        start = ToProgram(c.selectionStart());
        end = ToProgram(c.selectionEnd());
    }
    void SetSel(int anchor, int caret) override {
        int last = std::max(0, Doc()->characterCount() - 1);
        QTextCursor c(Doc());
        c.setPosition(std::clamp(FromProgram(anchor), 0, last));
        int to = caret < 0 ? last : std::clamp(FromProgram(caret), 0, last);
        c.setPosition(to, QTextCursor::KeepAnchor);
        Memo()->setTextCursor(c);
    }
    void Insert(const AnsiString& text) override { Memo()->insertPlainText(ToQText(text)); }
    void DeleteSelection() override {
        QTextCursor c = Memo()->textCursor();
        if (c.hasSelection()) {
            c.removeSelectedText();
            Memo()->setTextCursor(c);
        }
    }
    void Backspace() override {
        QTextCursor c = Memo()->textCursor();
        c.deletePreviousChar();
        Memo()->setTextCursor(c);
    }
    void DeleteForward() override {
        QTextCursor c = Memo()->textCursor();
        c.deleteChar();
        Memo()->setTextCursor(c);
    }
    void SetReadOnly(bool value) override { Memo()->setReadOnly(value); }
    void SetMaxLength(int) override {}
    int CharFromPos(int x, int y) const override { return ToProgram(Memo()->cursorForPosition(QPoint(x, y)).position()); }
    void ApplyMargins() override {
        auto* m = static_cast<TNativePlainTextEdit*>(Memo());
        if (Formatting.isNull()) {
            m->SetMargins(0, 0, 0, 0);
            return;
        }
        m->SetMargins(Formatting.left(), Formatting.top(), std::max(0, m->width() - Formatting.right() - 1),
                              std::max(0, m->height() - Formatting.bottom() - 1));
    }
    bool MoveKey(WORD key, bool shift) override {
        QTextCursor c = Memo()->textCursor();
        QTextCursor::MoveMode mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
        switch (key) {
            case VK_LEFT: c.movePosition(QTextCursor::Left, mode); break;
            case VK_RIGHT: c.movePosition(QTextCursor::Right, mode); break;
            case VK_UP: c.movePosition(QTextCursor::Up, mode); break;
            case VK_DOWN: c.movePosition(QTextCursor::Down, mode); break;
            case VK_HOME: c.movePosition(QTextCursor::StartOfLine, mode); break;
            case VK_END: c.movePosition(QTextCursor::EndOfLine, mode); break;
            case VK_DELETE:
                if (!Memo()->isReadOnly()) c.deleteChar();
                break;
            default: return false;
        }
        Memo()->setTextCursor(c);
        return true;
    }
};

TEditNative* MakeEditNative(bool multiLine) {
    if (multiLine) return new TMemoNative();
    return new TLineEditNative();
}

}  // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner, false) {}

TCustomEdit::TCustomEdit(TComponent* AOwner, bool MultiLine)
    : TWidgetControl(AOwner, MakeEditNative(MultiLine)), multiLine_(MultiLine) {
    controlStyle_ = csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
    if (MultiLine) controlStyle_ &= ~csFixedHeight;
    auto* native = static_cast<TEditNative*>(native_);
    native->Owner = this;
    QWidget* widget = native->Widget;
    auto changed = [this, native] {
        if (!native->SettingText) native->Modified = true;
        FromWidget([this] { TextChanged(); });
    };
    if (MultiLine) {
        QObject::connect(static_cast<QPlainTextEdit*>(widget), &QPlainTextEdit::textChanged, widget, changed);
    } else {
        QObject::connect(static_cast<QLineEdit*>(widget), &QLineEdit::textChanged, widget, changed);
    }
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

void TCustomEdit::TextChanged() {
    // EN_CHANGE comes from a window: before it exists, or while loading, nothing is told.
    if (!HandleAllocated() || InState(csLoading) || creating_) return;
    TWinControl* parent = Parent();
    if (parent && parent->HandleAllocated())
        SendMessage(parent->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(Handle()));
    else
        Change();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        if (HIWORD(Message.WParam) == EN_CHANGE && !creating_) Change();
        return;
    }
    if (Message.Msg == CM_ENTER) {
        CMEnter(Message);
        return;
    }
    TWidgetControl::Dispatch(Message);
}

void TCustomEdit::CMEnter(TMessage& Message) {
    if (autoSelect_ && !(controlState_ & csLButtonDown) && !multiLine_) SelectAll();
    TWidgetControl::CMEnter(Message);
}

void TCustomEdit::UpdateNativeLook() {
    TWidgetControl::UpdateNativeLook();
    auto* native = static_cast<TEditNative*>(native_);
    if (multiLine_) static_cast<QPlainTextEdit*>(native->Widget.data())->setFrameShape(
        borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    else static_cast<QLineEdit*>(native->Widget.data())->setFrame(borderStyle_ != bsNone);
}

void TCustomEdit::Loaded() {
    TWidgetControl::Loaded();
    AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
    if (!autoSize_ || multiLine_ || InState(csLoading)) return;
    // The font's height and room for the border and the text's margins.
    int h = FontTextHeight(Font()) + (borderStyle_ == bsNone ? 2 : 8);
    if (h != Height()) SetHeight(h);
}

void TCustomEdit::SetAutoSize(bool Value) {
    if (autoSize_ == Value) return;
    autoSize_ = Value;
    if (Value) AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (borderStyle_ == Value) return;
    borderStyle_ = Value;
    UpdateNativeLook();
    AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (charCase_ == Value) return;
    charCase_ = Value;
    if (Value == ecNormal) return;
    AnsiString t = Text();
    AnsiString converted = Value == ecUpperCase ? AnsiUpperCase(t) : AnsiLowerCase(t);
    if (converted != t) SetText(converted);
}

void TCustomEdit::SetMaxLength(int Value) {
    if (maxLength_ == Value) return;
    maxLength_ = Value;
    static_cast<TEditNative*>(native_)->SetMaxLength(Value);
}

void TCustomEdit::SetPasswordChar(char Value) {
    if (passwordChar_ == Value) return;
    passwordChar_ = Value;
    if (!multiLine_)
        static_cast<QLineEdit*>(native_->Widget.data())->setEchoMode(Value ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    static_cast<TEditNative*>(native_)->SetReadOnly(Value);
}

bool TCustomEdit::Modified() { return Perform(EM_GETMODIFY, 0, 0) != 0; }
void TCustomEdit::SetModified(bool Value) { Perform(EM_SETMODIFY, Value ? 1 : 0, 0); }
bool TCustomEdit::CanUndo() { return Perform(EM_CANUNDO, 0, 0) != 0; }

int TCustomEdit::SelStart() {
    DWORD start = 0, end = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) { Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value); }

int TCustomEdit::SelLength() {
    DWORD start = 0, end = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
    int start = SelStart();
    Perform(EM_SETSEL, static_cast<WPARAM>(start), start + Value);
}

AnsiString TCustomEdit::SelText() {
    int start = SelStart();
    int length = SelLength();
    AnsiString t = Text();
    if (start < 0 || start > static_cast<int>(t.size())) return AnsiString();
    return t.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
    Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() { Perform(EM_SETSEL, 0, -1); }
void TCustomEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }
void TCustomEdit::Clear() { SetText(AnsiString()); }
void TCustomEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER, 0, 0); }
void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }

void TCustomEdit::DefaultHandler(TMessage& Message) {
    auto* native = static_cast<TEditNative*>(native_);
    auto typed = [&](AnsiString text, bool typing) {
        // What the user puts in: the letter case and the length limit apply.
        if (readOnly_) return;
        if (charCase_ == ecUpperCase) text = AnsiUpperCase(text);
        else if (charCase_ == ecLowerCase) text = AnsiLowerCase(text);
        if (maxLength_ > 0) {
            int s = 0, e = 0;
            native->GetSel(s, e);
            int room = maxLength_ - (native->Length() - (e - s));
            if (room <= 0) return;
            if (static_cast<int>(text.size()) > room) text.resize(static_cast<size_t>(room));
        }
        native->Snapshot(typing);
        native->Insert(text);
    };
    switch (Message.Msg) {
        case WM_GETTEXT: Message.Result = CopyTextOut(native->Text(), Message); return;
        case WM_GETTEXTLENGTH: Message.Result = native->Length(); return;
        case WM_SETTEXT: {
            native->SettingText = true;
            TScopeGuard done([native] { native->SettingText = false; });
            native->SetText(TextIn(Message));
            native->Modified = false;
            native->ClearUndo();
            Message.Result = 1;
            Perform(CM_TEXTCHANGED, 0, 0);
            return;
        }
        case WM_GETDLGCODE: Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL; return;
        case EM_GETSEL: {
            int s = 0, e = 0;
            native->GetSel(s, e);
            StoreSel(Message, s, e);
            Message.Result = MAKELPARAM(std::min(s, 0xFFFF), std::min(e, 0xFFFF));
            return;
        }
        case EM_SETSEL: {
            int start = static_cast<int>(static_cast<int32_t>(Message.WParam));
            int end = static_cast<int>(Message.LParam);
            if (start == -1) {
                // No selection: the caret stays where it is.
                int s = 0, e = 0;
                native->GetSel(s, e);
                native->SetSel(e, e);
                return;
            }
            native->SetSel(start, end);
            return;
        }
        case EM_REPLACESEL:
            if (!readOnly_) {
                native->Snapshot(false);
                native->Insert(TextIn(Message));
                native->Modified = true;
            }
            return;
        case EM_GETMODIFY: Message.Result = native->Modified ? 1 : 0; return;
        case EM_SETMODIFY: native->Modified = Message.WParam != 0; return;
        case EM_CANUNDO: Message.Result = native->CanUndo() ? 1 : 0; return;
        case EM_UNDO:
        case WM_UNDO:
            if (!readOnly_) native->Undo();
            Message.Result = 1;
            return;
        case EM_EMPTYUNDOBUFFER: native->ClearUndo(); return;
        case EM_LIMITTEXT: SetMaxLength(static_cast<int>(Message.WParam)); return;
        case EM_GETLIMITTEXT: Message.Result = maxLength_ > 0 ? maxLength_ : kSystemEditLimit; return;
        case EM_SETREADONLY:
            SetReadOnly(Message.WParam != 0);
            Message.Result = 1;
            return;
        case EM_GETRECT: {
            auto* r = reinterpret_cast<TRect*>(Message.LParam);
            if (!r) return;
            if (native->Formatting.isNull()) *r = TRect(1, 1, Width() - 2, Height() - 2);
            else *r = TRect(native->Formatting.left(), native->Formatting.top(), native->Formatting.right() + 1,
                            native->Formatting.bottom() + 1);
            return;
        }
        case EM_SETRECT:
        case EM_SETRECTNP: {
            auto* r = reinterpret_cast<const TRect*>(Message.LParam);
            native->Formatting = r ? QRect(r->Left, r->Top, r->Width(), r->Height()) : QRect();
            native->ApplyMargins();
            return;
        }
        case EM_SCROLLCARET: return;
        case EM_CHARFROMPOS: {
            int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
            Message.Result = native->CharFromPos(x, y);
            return;
        }
        case WM_COPY:
        case WM_CUT: {
            int s = 0, e = 0;
            native->GetSel(s, e);
            if (e > s && passwordChar_ == 0) Clipboard()->SetAsText(native->Text().substr(static_cast<size_t>(s),
                                                                                         static_cast<size_t>(e - s)));
            if (Message.Msg == WM_CUT && !readOnly_ && e > s) {
                native->Snapshot(false);
                native->DeleteSelection();
                native->Modified = true;
            }
            Message.Result = 1;
            return;
        }
        case WM_PASTE: {
            if (readOnly_) return;
            AnsiString text = Clipboard()->AsText();
            if (!multiLine_) {
                // A single line takes the clipboard up to its first line break.
                size_t brk = text.find_first_of("\r\n");
                if (brk != AnsiString::npos) text.resize(brk);
            }
            typed(text, false);
            Message.Result = 1;
            return;
        }
        case WM_CLEAR:
            if (!readOnly_) {
                native->Snapshot(false);
                native->DeleteSelection();
            }
            return;
        case WM_CHAR: {
            auto c = static_cast<unsigned char>(Message.WParam & 0xFF);
            if (c >= 32 && c != 127) {
                typed(AnsiString(1, static_cast<char>(c)), true);
                return;
            }
            switch (c) {
                case 1: SelectAll(); return;
                case 3: Perform(WM_COPY, 0, 0); return;
                case 22: Perform(WM_PASTE, 0, 0); return;
                case 24: Perform(WM_CUT, 0, 0); return;
                case 26: Perform(WM_UNDO, 0, 0); return;
                case 8:
                    if (readOnly_) return;
                    native->Snapshot(true);
                    if (!(HandleAllocated() && PassToNativeWidget(Handle(), WM_CHAR))) native->Backspace();
                    return;
                default: break;
            }
            break;
        }
        case WM_KEYDOWN: {
            bool shift = GetKeyState(VK_SHIFT) < 0;
            bool ctrl = GetKeyState(VK_CONTROL) < 0;
            // The clipboard keys of the edit control, through the program's clipboard.
            if (Message.WParam == VK_INSERT && ctrl && !shift) {
                Perform(WM_COPY, 0, 0);
                return;
            }
            if (Message.WParam == VK_INSERT && shift && !ctrl) {
                Perform(WM_PASTE, 0, 0);
                return;
            }
            if (Message.WParam == VK_DELETE && shift && !ctrl) {
                Perform(WM_CUT, 0, 0);
                return;
            }
            bool deleting = Message.WParam == VK_DELETE && !readOnly_;
            if (deleting) native->Snapshot(false);
            else native->Typing = false;  // moving the caret ends a run of typing
            if (HandleAllocated() && PassToNativeWidget(Handle(), WM_KEYDOWN)) return;
            if (!ctrl) native->MoveKey(static_cast<WORD>(Message.WParam), shift);
            return;
        }
        default: break;
    }
    TWidgetControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------- TCustomMemo

namespace {

// The lines of a memo, read from and written to its text.
class TMemoStrings final : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo, TMemoNative* native) : memo_(memo), native_(native) {}
    const char* ClassName() const override { return "TMemoStrings"; }

    void Clear() override { memo_->SetText(AnsiString()); }
    void Delete(int Index) override {
        CheckIndex(Index);
        QTextDocument* doc = native_->Doc();
        QTextBlock b = doc->findBlockByNumber(Index);
        QTextCursor c(doc);
        if (b.next().isValid()) {
            c.setPosition(b.position());
            c.setPosition(b.next().position(), QTextCursor::KeepAnchor);
        } else if (b.previous().isValid()) {
            c.setPosition(b.previous().position() + b.previous().length() - 1);
            c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        } else {
            c.select(QTextCursor::Document);
        }
        c.removeSelectedText();
    }
    void Insert(int Index, const AnsiString& S) override {
        int count = GetCount();
        if (Index < 0 || Index > count) Error("List index out of bounds (%d)", Index);
        QTextDocument* doc = native_->Doc();
        QTextCursor c(doc);
        QString line = ToQText(S);
        if (Index < count) {
            c.setPosition(doc->findBlockByNumber(Index).position());
            c.insertText(line + '\n');
            return;
        }
        QTextBlock last = doc->lastBlock();
        c.setPosition(last.position() + last.length() - 1);
        // The last line of the text is empty (an empty memo, or a final line
        // break): the new line goes there and ends with a break; otherwise it
        // goes after a new break.
        if (last.text().isEmpty()) c.insertText(line + '\n');
        else c.insertText('\n' + line);
    }

protected:
    AnsiString Get(int Index) const override {
        CheckIndex(Index);
        return FromQString(native_->Doc()->findBlockByNumber(Index).text());
    }
    void Put(int Index, const AnsiString& S) override {
        CheckIndex(Index);
        QTextBlock b = native_->Doc()->findBlockByNumber(Index);
        QTextCursor c(native_->Doc());
        c.setPosition(b.position());
        c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        c.insertText(ToQText(S));
    }
    int GetCount() const override {
        QTextDocument* doc = native_->Doc();
        int n = doc->blockCount();
        // A last empty line (after a final break, or of an empty memo) is not a line.
        if (doc->lastBlock().text().isEmpty()) --n;
        return n;
    }
    void SetTextStr(const AnsiString& Value) override { memo_->SetText(Value); }
    void SetUpdateState(bool Updating) override { native_->Memo()->setUpdatesEnabled(!Updating); }

private:
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= GetCount()) Error("List index out of bounds (%d)", Index);
    }
    TCustomMemo* memo_;
    TMemoNative* native_;
};

}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner, true) {
    lines_ = new TMemoStrings(this, static_cast<TMemoNative*>(native_));
    SetBounds(0, 0, 185, 89);
    SetAutoSize(false);
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

TCustomMemo::~TCustomMemo() { delete lines_; }

void TCustomMemo::SetLines(TStrings* Value) { lines_->Assign(Value); }

void TCustomMemo::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    QTextOption opt = memo->document()->defaultTextOption();
    opt.setAlignment(Value == taRightJustify ? Qt::AlignRight : Value == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    memo->document()->setDefaultTextOption(opt);
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
    if (scrollBars_ == Value) return;
    scrollBars_ = Value;
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    bool v = Value == ssVertical || Value == ssBoth;
    bool h = Value == ssHorizontal || Value == ssBoth;
    memo->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TCustomMemo::SetWordWrap(bool Value) {
    if (wordWrap_ == Value) return;
    wordWrap_ = Value;
    static_cast<QPlainTextEdit*>(native_->Widget.data())
        ->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

TPoint TCustomMemo::CaretPos() {
    QTextCursor c = static_cast<QPlainTextEdit*>(native_->Widget.data())->textCursor();
    return TPoint(c.positionInBlock(), c.blockNumber());
}

void TCustomMemo::SetCaretPos(TPoint Value) {
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    QTextBlock b = memo->document()->findBlockByNumber(std::max(0, Value.Y));
    if (!b.isValid()) b = memo->document()->lastBlock();
    QTextCursor c(memo->document());
    c.setPosition(b.position() + std::clamp(Value.X, 0, b.length() - 1));
    memo->setTextCursor(c);
}

void TCustomMemo::AppendLines(const std::vector<AnsiString>& NewLines) {
    if (NewLines.empty()) return;
    QString joined;
    for (size_t i = 0; i < NewLines.size(); ++i) {
        if (i > 0) joined += '\n';
        joined += ToQText(NewLines[i]);
    }
    QTextDocument* doc = static_cast<TMemoNative*>(native_)->Doc();
    QTextBlock last = doc->lastBlock();
    QTextCursor c(doc);
    c.setPosition(last.position() + last.length() - 1);
    // As Lines()->Add: an empty last line takes the lines and a break after
    // them; otherwise they go after a new break.
    if (last.text().isEmpty()) c.insertText(joined + '\n');
    else c.insertText('\n' + joined);
}

void TCustomMemo::ScrollCaret() { static_cast<QPlainTextEdit*>(native_->Widget.data())->ensureCursorVisible(); }

void TCustomMemo::Dispatch(TMessage& Message) { TCustomEdit::Dispatch(Message); }

void TCustomMemo::DefaultHandler(TMessage& Message) {
    auto* native = static_cast<TMemoNative*>(native_);
    switch (Message.Msg) {
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
            if (wantReturns_) code |= DLGC_WANTALLKEYS;
            if (wantTabs_) code |= DLGC_WANTTAB;
            Message.Result = code;
            return;
        }
        case WM_CHAR: {
            auto c = static_cast<unsigned char>(Message.WParam & 0xFF);
            if (c == 13 || c == 10) {
                if (!ReadOnly()) {
                    native->Snapshot(true);
                    native->Insert("\r\n");
                    native->Modified = true;
                }
                return;
            }
            if (c == 9) {
                if (!ReadOnly()) {
                    native->Snapshot(true);
                    native->Insert("\t");
                    native->Modified = true;
                }
                return;
            }
            break;
        }
        case EM_GETLINECOUNT: Message.Result = std::max(1, native->Doc()->blockCount()); return;
        case EM_LINEFROMCHAR: {
            int pos = static_cast<int>(static_cast<int32_t>(Message.WParam));
            if (pos < 0) {
                int s = 0, e = 0;
                native->GetSel(s, e);
                pos = s;
            }
            Message.Result = native->Doc()->findBlock(native->FromProgram(pos)).blockNumber();
            return;
        }
        case EM_LINEINDEX: {
            int line = static_cast<int>(static_cast<int32_t>(Message.WParam));
            if (line < 0) line = native->Memo()->textCursor().blockNumber();
            QTextBlock b = native->Doc()->findBlockByNumber(line);
            Message.Result = b.isValid() ? b.position() + b.blockNumber() : -1;
            return;
        }
        case EM_LINELENGTH: {
            int pos = static_cast<int>(static_cast<int32_t>(Message.WParam));
            QTextBlock b = pos < 0 ? native->Memo()->textCursor().block() : native->Doc()->findBlock(native->FromProgram(pos));
            Message.Result = b.isValid() ? b.text().size() : 0;
            return;
        }
        case EM_GETFIRSTVISIBLELINE:
            Message.Result = native->Memo()->cursorForPosition(QPoint(1, 1)).blockNumber();
            return;
        case EM_SCROLLCARET: ScrollCaret(); return;
        default: break;
    }
    TCustomEdit::DefaultHandler(Message);
}
