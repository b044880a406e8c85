// The standard controls: the widget-backed base, labels and scroll bars; the
// other families live in StdCtrlsButtons, StdCtrlsEdits and StdCtrlsLists.
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
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- helpers

QString ToQText(const AnsiString& Text) {
    AnsiString s;
    s.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r') {
            if (i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            s += '\n';
        } else {
            s += Text[i];
        }
    }
    return ToQString(s);
}

AnsiString FromQText(const QString& Text) {
    AnsiString s = FromQString(Text);
    AnsiString out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

void ApplyControlLook(QWidget* Widget, TControl* Control, bool Background, bool TextBox) {
    Widget->setFont(ToQFont(Control->Font()));
    QPalette pal = QApplication::palette(Widget);
    QColor text = ToQColor(Control->Font()->Color());
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::Text, text);
        pal.setColor(g, QPalette::WindowText, text);
        pal.setColor(g, QPalette::ButtonText, text);
    }
    if (Background) {
        QColor back = ToQColor(Control->Color());
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
            pal.setColor(g, TextBox ? QPalette::Base : QPalette::Window, back);
    }
    Widget->setPalette(pal);
}


// ---------------------------------------------------------------- TWidgetControl

TWidgetControl::TWidgetControl(TComponent* AOwner, TNativeWidget* Native) : TWinControl(AOwner), native_(Native) {}

TWidgetControl::~TWidgetControl() {
    // The window goes first; the widget it showed is ours.
    if (HandleAllocated()) DestroyHandle();
    if (native_) {
        delete native_->Widget.data();
        delete native_;
    }
}

void TWidgetControl::CreateWindowHandle(const TCreateParams& Params) {
    QWidget* widget = native_->Widget;
    if (!widget) return;
    HWND wnd = CreateWrappedWindowHandle(Params, TWndMethod(static_cast<TWinControl*>(this), &TWinControl::MainWndProc),
                                         widget);
    SetWindowHandle(wnd);
    if (!wnd) return;
    UpdateNativeLook();
    if (!Enabled()) EnableWindow(wnd, 0);
}

AnsiString TWidgetControl::GetText() {
    LRESULT n = Perform(WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return AnsiString();
    AnsiString s(static_cast<size_t>(n) + 1, '\0');
    LRESULT got = Perform(WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min(got, n))));
    return s;
}

void TWidgetControl::DefaultHandler(TMessage& Message) {
    if (Message.Msg == WM_RBUTTONUP && HandleAllocated()) {
        // The widget sees the release; the context menu is ours (WM_CONTEXTMENU).
        PassToNativeWidget(Handle(), WM_RBUTTONUP);
        TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        ::ClientToScreen(Handle(), &p);
        SendMessage(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(p.X, p.Y));
        return;
    }
    TWinControl::DefaultHandler(Message);
}

void TWidgetControl::UpdateNativeLook() {
    if (QWidget* w = native_->Widget) ApplyControlLook(w, this, native_->Background, native_->TextBox);
}

void TWidgetControl::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    UpdateNativeLook();
}

void TWidgetControl::CMColorChanged(TMessage& Message) {
    TWinControl::CMColorChanged(Message);
    UpdateNativeLook();
}

void TWidgetControl::CMEnabledChanged(TMessage& Message) {
    TWinControl::CMEnabledChanged(Message);
    if (!HandleAllocated() && native_->Widget) native_->Widget->setEnabled(Enabled());
}

// ---------------------------------------------------------------- TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    controlStyle_ |= csOpaque | csReplicatable;
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

AnsiString TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    AnsiString text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    TCanvas* canvas = Canvas();
    if (!canvas->HandleAllocated()) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, Font()->Handle());
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return;
    }
    canvas->Font()->Assign(Font());
    if (!Enabled()) {
        // Embossed: the highlight one pixel down and right, the shadow over it.
        OffsetRect(&Rect, 1, 1);
        canvas->Font()->SetColor(clBtnHighlight);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
        OffsetRect(&Rect, -1, -1);
        canvas->Font()->SetColor(clBtnShadow);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
    } else {
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
    }
}

void TCustomLabel::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(r);
    }
    canvas->Brush()->SetStyle(bsClear);
    UINT align = alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT;
    UINT flags = DT_EXPANDTABS | align;
    if (wordWrap_) flags |= DT_WORDBREAK;
    // A one-line label of fixed width ends a text that does not fit in "...".
    if (!wordWrap_ && !autoSize_) flags |= DT_END_ELLIPSIS;
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int h = calc.Height();
        if (layout_ == tlBottom) OffsetRect(&r, 0, r.Height() - h);
        else OffsetRect(&r, 0, (r.Height() - h) / 2);
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (InState(csLoading | csReading) || !autoSize_) return;
    TRect r = ClientRect();
    UINT flags = DT_CALCRECT | DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    else r.Right = r.Left + 32767;
    DoDrawText(r, flags);
    int x = Left();
    if (alignment_ == taRightJustify) x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
    if (autoSize_ == Value) return;
    autoSize_ = Value;
    AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
    focusControl_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetLayout(TTextLayout Value) {
    if (layout_ == Value) return;
    layout_ = Value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (showAccelChar_ == Value) return;
    showAccelChar_ = Value;
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (transparent_ == Value) return;
    transparent_ = Value;
    if (Value) controlStyle_ &= ~csOpaque;
    else controlStyle_ |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (wordWrap_ == Value) return;
    wordWrap_ = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::CMTextChanged(TMessage&) {
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
    TGraphicControl::CMFontChanged(Message);
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR) {
        // The accelerator of the caption focuses FocusControl.
        AnsiString text = GetLabelText();
        if (focusControl_ && Enabled() && showAccelChar_ && focusControl_->CanFocus()) {
            char key = static_cast<char>(Message.WParam);
            size_t amp = text.find('&');
            while (amp != AnsiString::npos && amp + 1 < text.size() && text[amp + 1] == '&')
                amp = text.find('&', amp + 2);
            if (amp != AnsiString::npos && amp + 1 < text.size() &&
                AnsiUpperCase(AnsiString(1, text[amp + 1])) == AnsiUpperCase(AnsiString(1, key))) {
                focusControl_->SetFocus();
                Message.Result = 1;
                return;
            }
        }
        return;
    }
    TGraphicControl::Dispatch(Message);
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

// ---------------------------------------------------------------- TScrollBar

struct TScrollBarNative final : TNativeWidget {
    TScrollBarNative() : TNativeWidget(new QScrollBar(Qt::Horizontal)) {}
    QScrollBar* Bar() const { return static_cast<QScrollBar*>(Widget.data()); }
};

TScrollBar::TScrollBar(TComponent* AOwner) : TWidgetControl(AOwner, new TScrollBarNative()) {
    QScrollBar* bar = static_cast<TScrollBarNative*>(native_)->Bar();
    bar->setFocusPolicy(Qt::NoFocus);
    controlStyle_ = csFramed | csDoubleClicks | csOpaque;
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                     [this](int action) { FromWidget([this, action] { UserAction(action); }); });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [this] {
        FromWidget([this] {
            UINT message = kind_ == sbVertical ? CN_VSCROLL : CN_HSCROLL;
            QScrollBar* native = static_cast<TScrollBarNative*>(native_)->Bar();
            Perform(message, MAKEWPARAM(scPosition, static_cast<uint16_t>(native->sliderPosition())), 0);
            Perform(message, MAKEWPARAM(scEndScroll, static_cast<uint16_t>(position_)), 0);
        });
    });
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
    UpdateNative();
}

void TScrollBar::SetKind(TScrollBarKind Value) {
    if (kind_ == Value) return;
    kind_ = Value;
    static_cast<TScrollBarNative*>(native_)->Bar()->setOrientation(Value == sbVertical ? Qt::Vertical : Qt::Horizontal);
    if (!InState(csLoading)) SetBounds(Left(), Top(), Height(), Width());
}

void TScrollBar::SetPageSize(int Value) {
    if (pageSize_ == Value || Value > max_ - min_ + 1) return;
    pageSize_ = std::max(0, Value);
    UpdateNative();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin || AMax < pageSize_) throw EInvalidOperation("Scroll bar property out of range");
    APosition = std::clamp(APosition, AMin, AMax);
    bool changed = APosition != position_;
    min_ = AMin;
    max_ = AMax;
    position_ = APosition;
    UpdateNative();
    if (changed) Change();
}

void TScrollBar::UpdateNative() {
    QScrollBar* bar = static_cast<TScrollBarNative*>(native_)->Bar();
    QSignalBlocker block(bar);
    int top = max_ - std::max(pageSize_ - 1, 0);
    bar->setRange(min_, std::max(min_, top));
    bar->setPageStep(pageSize_ > 0 ? pageSize_ : largeChange_);
    bar->setSingleStep(smallChange_);
    bar->setValue(position_);
    bar->setSliderPosition(position_);
}

void TScrollBar::UserAction(int Action) {
    TScrollCode code;
    int pos = position_;
    QScrollBar* bar = static_cast<TScrollBarNative*>(native_)->Bar();
    switch (Action) {
        case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; pos += smallChange_; break;
        case QAbstractSlider::SliderSingleStepSub: code = scLineUp; pos -= smallChange_; break;
        case QAbstractSlider::SliderPageStepAdd: code = scPageDown; pos += largeChange_; break;
        case QAbstractSlider::SliderPageStepSub: code = scPageUp; pos -= largeChange_; break;
        case QAbstractSlider::SliderToMinimum: code = scTop; pos = min_; break;
        case QAbstractSlider::SliderToMaximum: code = scBottom; pos = max_; break;
        case QAbstractSlider::SliderMove: code = scTrack; pos = bar->sliderPosition(); break;
        default: return;
    }
    pos = std::clamp(pos, min_, max_);
    // As the window's notification reflected to the bar, so that whoever
    // replaced the bar's WindowProc hears it first.
    Perform(kind_ == sbVertical ? CN_VSCROLL : CN_HSCROLL, MAKEWPARAM(code, static_cast<uint16_t>(pos)), 0);
    bar->setSliderPosition(position_);
}

void TScrollBar::Dispatch(TMessage& Message) {
    if (Message.Msg != CN_HSCROLL && Message.Msg != CN_VSCROLL) {
        TWidgetControl::Dispatch(Message);
        return;
    }
    auto code = static_cast<TScrollCode>(LOWORD(Message.WParam));
    int pos = std::clamp(static_cast<int>(static_cast<int16_t>(HIWORD(Message.WParam))), min_, max_);
    Scroll(code, pos);
    SetPosition(pos);
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}
