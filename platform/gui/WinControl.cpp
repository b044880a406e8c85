// TWinControl: windowed controls, their handles, children, alignment, messages and focus.
#include "platform/gui/Controls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gui/Controls_p.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    brush_ = new TBrush();
    brush_->SetColor(Color());
    DefWndProc = TWndMethod(this, &TWinControl::MainWndProc);
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        SetWindowDCsReleaseHook(&ReleaseCanvasesOf);
    }
}

TWinControl::~TWinControl() {
    // Freed without FreeObject: do what BeforeDestruction would have done.
    while (!controls_.empty() || !winControls_.empty()) {
        TControl* c = !winControls_.empty() ? winControls_.back() : controls_.back();
        Remove(c);
        delete c;
    }
    if (handle_) {
        HWND h = handle_;
        handle_ = nullptr;
        auto& list = HandleControls();
        list.erase(std::remove_if(list.begin(), list.end(), [&](auto& e) { return e.first == h; }), list.end());
        SetWindowProc(h, TWndMethod());
        DestroyWindow(h);
    }
    delete brush_;
}

void TWinControl::BeforeDestruction() {
    TControl::BeforeDestruction();
    if (parent_) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, true);
    }
    // Children first, while this control is still whole.
    while (!winControls_.empty() || !controls_.empty()) {
        TControl* c = !winControls_.empty() ? winControls_.back() : controls_.back();
        FreeObject(c);
    }
    if (handle_) DestroyHandle();
}

void TWinControl::MainWndProc(TMessage& Message) {
    try {
        WindowProc ? WindowProc(Message) : WndProc(Message);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_SETFOCUS: {
            TCustomForm* form = GetParentForm(this);
            if (form && !form->SetFocusedControl(this)) return;
            break;
        }
        case WM_KILLFOCUS:
            if (controlState_ & csFocusing) return;
            break;
        case WM_CANCELMODE: {
            TControl* cap = CaptureControlRef();
            if (handle_ && GetCapture() == handle_ && cap && cap->Parent() == this) cap->Perform(WM_CANCELMODE, 0, 0);
            break;
        }
        default:
            if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST && Dragging()) return;
            if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
                Message.Msg != WM_MOUSEHWHEEL) {
                if (IsControlMouseMsg(Message)) {
                    if (Message.Result == 0 && handle_) DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam);
                    return;
                }
            }
            break;
    }
    TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* control = nullptr;
    TPoint p = MessagePoint(Message);
    if (handle_ && GetCapture() == handle_) {
        TControl* cap = CaptureControlRef();
        if (cap && cap->Parent() == this) control = cap;
    } else {
        control = ControlAtPos(p, false);
    }
    if (!control) return false;
    if (Message.Msg == WM_MOUSEMOVE && Application) Application->MouseOver(control);
    Message.Result = control->Perform(Message.Msg, Message.WParam, MAKELPARAM(p.X - control->Left(), p.Y - control->Top()));
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_PAINT: WMPaint(Message); break;
        case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
        case WM_SIZE: WMSize(Message); break;
        case WM_MOVE: WMMove(Message); break;
        case WM_SETFOCUS: WMSetFocus(Message); break;
        case WM_KILLFOCUS: WMKillFocus(Message); break;
        case WM_KEYDOWN: WMKeyDown(Message); break;
        case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
        case WM_KEYUP: WMKeyUp(Message); break;
        case WM_SYSKEYUP: WMSysKeyUp(Message); break;
        case WM_CHAR: WMChar(Message); break;
        case WM_SYSCHAR: WMSysChar(Message); break;
        case WM_SETCURSOR: WMSetCursor(Message); break;
        case WM_COMMAND: WMCommand(Message); break;
        case WM_HSCROLL: WMHScroll(Message); break;
        case WM_VSCROLL: WMVScroll(Message); break;
        case WM_NCHITTEST: WMNCHitTest(Message); break;
        case WM_MOUSELEAVE: WMMouseLeave(Message); break;
        case CN_KEYDOWN: CNKeyDown(Message); break;
        case CN_KEYUP: CNKeyUp(Message); break;
        case CN_CHAR: CNChar(Message); break;
        case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
        case CN_SYSCHAR: CNSysChar(Message); break;
        case CM_ENTER: CMEnter(Message); break;
        case CM_EXIT: CMExit(Message); break;
        case CM_DIALOGKEY: CMDialogKey(Message); break;
        case CM_DIALOGCHAR: CMDialogChar(Message); break;
        case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
        case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
        case CM_RECREATEWND: CMRecreateWnd(Message); break;
        case CM_CHILDKEY: CMChildKey(Message); break;
        case CM_CURSORCHANGED: CMCursorChanged(Message); break;
        default: TControl::Dispatch(Message); break;
    }
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (!handle_) {
        TControl::DefaultHandler(Message);
        return;
    }
    if (Message.Msg == WM_CONTEXTMENU && parent_) {
        Message.Result = parent_->Perform(Message.Msg, Message.WParam, Message.LParam);
        if (Message.Result) return;
    }
    Message.Result = DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam);
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    CreateHandle();
}

void TWinControl::SetParentWindow(HWND Value) {
    if (parent_ || parentWindow_ == Value) return;
    if (handle_ && parentWindow_ && Value) {
        parentWindow_ = Value;
        ::SetParent(handle_, Value);
    } else {
        DestroyHandle();
        parentWindow_ = Value;
    }
    UpdateControlState();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = TCreateParams();
    Params.Caption = text_.c_str();
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (controlStyle_ & csAcceptsControls) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
    if (!Enabled()) Params.Style |= WS_DISABLED;
    if (tabStop_) Params.Style |= WS_TABSTOP;
    Params.X = left_;
    Params.Y = top_;
    Params.Width = width_;
    Params.Height = height_;
    Params.WndParent = parent_ ? parent_->Handle() : parentWindow_;
    Params.ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    if (!(controlStyle_ & csDoubleClicks)) Params.ClassStyle &= ~CS_DBLCLKS;
    AnsiString name = ClassName();
    name.copy(Params.WinClassName, sizeof(Params.WinClassName) - 1);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if (!params.WndParent && (params.Style & WS_CHILD)) {
        TWinControl* ownerControl = dynamic_cast<TWinControl*>(Owner());
        if (ownerControl && Owner()->InState(csReading)) params.WndParent = ownerControl->Handle();
        else throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    }
    CreateWindowHandle(params);
    if (!handle_) throw EOutOfResources("Error creating window");
    HandleControls().emplace_back(handle_, this);
    // The window procedure can answer now: let the frame and the client area settle.
    UpdateWindowFrame(handle_);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    handle_ = ::CreateWindowHandle(Params, TWndMethod(this, &TWinControl::MainWndProc));
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    {
        controlState_ |= csCreating;
        TScopeGuard created([this] { controlState_ &= ~csCreating; });
        CreateWnd();
    }
    UpdateBounds();
    // Children keep their place in the tab and z order.
    for (TControl* c : controls_) c->UpdateAnchorRules();
    for (TControl* c : winControls_) c->UpdateAnchorRules();
}

void TWinControl::DestroyWnd() {
    text_ = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    controlState_ |= csDestroyingHandle;
    TScopeGuard destroyed([this] { controlState_ &= ~csDestroyingHandle; });
    HWND h = handle_;
    if (h) DestroyWindow(h);
    auto& list = HandleControls();
    list.erase(std::remove_if(list.begin(), list.end(), [&](auto& e) { return e.first == h; }), list.end());
    handle_ = nullptr;
    showing_ = false;
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TControl* c : winControls_) static_cast<TWinControl*>(c)->DestroyHandle();
    DestroyWnd();
}

void TWinControl::RecreateWnd() {
    if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
    bool wasFocused = Focused();
    DestroyHandle();
    UpdateControlState();
    if (wasFocused && handle_) ::SetFocus(handle_);
}

void TWinControl::UpdateShowing() {
    bool show = Visible() && !(controlState_ & csReadingState);
    if (show) {
        if (!handle_) CreateHandle();
        for (TControl* c : winControls_) static_cast<TWinControl*>(c)->UpdateShowing();
    }
    if (handle_ && showing_ != show) {
        showing_ = show;
        try {
            Perform(CM_SHOWINGCHANGED, 0, 0);
        } catch (...) {
            showing_ = !show;
            throw;
        }
        if (!show)
            for (TControl* c : winControls_) static_cast<TWinControl*>(c)->UpdateShowing();
    }
}

void TWinControl::UpdateControlState() {
    TWinControl* c = this;
    while (c->parent_) {
        c = c->parent_;
        if (!c->showing_) return;
    }
    if (dynamic_cast<TCustomForm*>(c) || c->parentWindow_) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
    if (!Visible() && parent_) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
    }
    (void)Message;
    UpdateControlState();
}

void TWinControl::SetEnabled(bool Value) { TControl::SetEnabled(Value); }

void TWinControl::CMEnabledChanged(TMessage&) {
    if (!Enabled() && parent_) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
    }
    if (handle_) EnableWindow(handle_, Enabled());
}

void TWinControl::CMColorChanged(TMessage& Message) {
    brush_->SetColor(Color());
    NotifyControls(CM_PARENTCOLORCHANGED);
    TControl::CMColorChanged(Message);
    if (handle_) InvalidateRect(handle_, nullptr, 1);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::CMFontChanged(Message);
    NotifyControls(CM_PARENTFONTCHANGED);
    if (handle_) InvalidateRect(handle_, nullptr, 1);
}

void TWinControl::CMCursorChanged(TMessage&) {
    // The shape changes at the next mouse move (WM_SETCURSOR).
}

void TWinControl::SetParent(TWinControl* AParent) {
    if (parent_ != AParent && !AParent && handle_) DestroyHandle();
    TControl::SetParent(AParent);
}

void TWinControl::InsertControl(TControl* AControl) {
    Insert(AControl);
    if (!AControl->InState(csReading)) {
        AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
            if (win->parentCtl3D_) win->ctl3D_ = Ctl3D();
            win->UpdateControlState();
        } else if (handle_) {
            AControl->Invalidate();
        }
        AControl->RequestAlign();
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(win, true);
        win->DestroyHandle();
    } else if (handle_ && AControl->Visible()) {
        TRect r = AControl->BoundsRect();
        InvalidateRect(handle_, &r, 1);
    }
    Remove(AControl);
    if (!InState(csDestroying)) Realign();
}

void TWinControl::Insert(TControl* AControl) {
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        winControls_.push_back(win);
        tabList_.push_back(win);
    } else {
        controls_.push_back(AControl);
    }
    AControl->parent_ = this;
}

void TWinControl::Remove(TControl* AControl) {
    auto drop = [&](auto& list) { list.erase(std::remove(list.begin(), list.end(), AControl), list.end()); };
    drop(controls_);
    drop(winControls_);
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), AControl), tabList_.end());
    AControl->parent_ = nullptr;
}

bool TWinControl::ContainsControl(TControl* Control) {
    while (Control && Control != this) Control = Control->Parent();
    return Control != nullptr;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
    auto hit = [&](TControl* c) {
        TRect r = c->BoundsRect();
        if (!PtInRect(r, Pos)) return false;
        if (!c->Visible() || !(c->Enabled() || AllowDisabled)) return false;
        return c->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.X - c->Left(), Pos.Y - c->Top())) != 0;
    };
    if (AllowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) {
        if (c->WindowProc) c->WindowProc(Message);
        else c->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT Msg) {
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) c->Perform(Msg, 0, 0);
}

void TWinControl::ShowControl(TControl* AControl) {
    if (parent_) parent_->ShowControl(this);
    (void)AControl;
}

// ---- geometry and alignment

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    Constraints()->Apply(AWidth, AHeight);
    if (!CanResize(AWidth, AHeight)) {
        AWidth = width_;
        AHeight = height_;
    }
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    if (handle_ && !IsIconic(handle_)) {
        SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        left_ = ALeft;
        top_ = ATop;
        width_ = AWidth;
        height_ = AHeight;
        if (handle_) {
            WINDOWPLACEMENT wp;
            GetWindowPlacement(handle_, &wp);
            wp.rcNormalPosition = BoundsRect();
            SetWindowPlacement(handle_, &wp);
        }
    }
    UpdateAnchorRules();
    RequestAlign();
}

void TWinControl::UpdateBounds() {
    if (!handle_) return;
    TRect r;
    GetWindowRect(handle_, &r);
    if (GetParent(handle_)) {
        TPoint p = r.TopLeft();
        ::ScreenToClient(GetParent(handle_), &p);
        r = Bounds(p.X, p.Y, r.Width(), r.Height());
    }
    if (IsIconic(handle_)) return;
    if (r.Left != left_ || r.Top != top_ || r.Width() != width_ || r.Height() != height_) {
        left_ = r.Left;
        top_ = r.Top;
        width_ = r.Width();
        height_ = r.Height();
        UpdateAnchorRules();
    }
}

TRect TWinControl::GetClientRect() {
    if (handle_) {
        TRect r;
        ::GetClientRect(handle_, &r);
        return r;
    }
    return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin() {
    TPoint p;
    ::ClientToScreen(Handle(), &p);
    return p;
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
    if (--alignLevel_ > 0) return;
    alignLevel_ = 0;
    if (controlState_ & csAlignmentNeeded) Realign();
}

void TWinControl::Realign() {
    if (InState(csDestroying)) return;
    if (alignLevel_ > 0 || InState(csLoading)) {
        controlState_ |= csAlignmentNeeded;
        return;
    }
    DisableAlign();
    TRect r = GetClientRect();
    AlignControls(nullptr, r);
    controlState_ &= ~csAlignmentNeeded;
    EnableAlign();
}

void TWinControl::DoAlign(TAlign AAlign, TControl* AControl, TRect& Rect) {
    std::vector<TControl*> list;
    auto insertBefore = [&](TControl* c1, TControl* c2) {
        switch (AAlign) {
            case alTop: return c1->Top() < c2->Top();
            case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
            case alLeft: return c1->Left() < c2->Left();
            case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
            default: return false;
        }
    };
    if (AControl && AControl->Align() == AAlign && (AAlign == alNone || AControl->Visible())) list.push_back(AControl);
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) {
        if (c == AControl || c->Align() != AAlign) continue;
        if (AAlign != alNone && !c->Visible()) continue;
        size_t j = 0;
        while (j < list.size() && !insertBefore(c, list[j])) ++j;
        list.insert(list.begin() + static_cast<long>(j), c);
    }
    for (TControl* c : list) {
        if (AAlign == alNone) {
            // Anchored controls follow the parent's edges.
            if (c->anchors_ != akDefault && c->anchorsValid_) {
                TRect pc = GetClientRect();
                int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
                bool left = c->anchors_ & AnchorBit(akLeft), right = c->anchors_ & AnchorBit(akRight);
                bool top = c->anchors_ & AnchorBit(akTop), bottom = c->anchors_ & AnchorBit(akBottom);
                if (right) {
                    if (left) w = pc.Right - c->anchorRight_ - l;
                    else l = pc.Right - c->anchorRight_ - w;
                }
                if (bottom) {
                    if (top) h = pc.Bottom - c->anchorBottom_ - t;
                    else t = pc.Bottom - c->anchorBottom_ - h;
                }
                int keepR = c->anchorRight_, keepB = c->anchorBottom_;
                c->SetBounds(l, t, std::max(0, w), std::max(0, h));
                c->anchorRight_ = keepR;
                c->anchorBottom_ = keepB;
            }
            continue;
        }
        int newWidth = Rect.Right - Rect.Left;
        if (newWidth < 0 || AAlign == alLeft || AAlign == alRight || AAlign == alCustom) newWidth = c->Width();
        int newHeight = Rect.Bottom - Rect.Top;
        if (newHeight < 0 || AAlign == alTop || AAlign == alBottom || AAlign == alCustom) newHeight = c->Height();
        int newLeft = Rect.Left, newTop = Rect.Top;
        switch (AAlign) {
            case alTop: Rect.Top += newHeight; break;
            case alBottom:
                Rect.Bottom -= newHeight;
                newTop = Rect.Bottom;
                break;
            case alLeft: Rect.Left += newWidth; break;
            case alRight:
                Rect.Right -= newWidth;
                newLeft = Rect.Right;
                break;
            case alCustom:
                newLeft = c->Left();
                newTop = c->Top();
                break;
            default: break;
        }
        c->SetBounds(newLeft, newTop, newWidth, newHeight);
        // A control that did not take the size asked keeps the rest for the others.
        if (c->Width() != newWidth || c->Height() != newHeight) {
            switch (AAlign) {
                case alTop: Rect.Top -= newHeight - c->Height(); break;
                case alBottom: Rect.Bottom += newHeight - c->Height(); break;
                case alLeft: Rect.Left -= newWidth - c->Width(); break;
                case alRight: Rect.Right += newWidth - c->Width(); break;
                case alClient:
                    Rect.Right += newWidth - c->Width();
                    Rect.Bottom += newHeight - c->Height();
                    break;
                default: break;
            }
        }
    }
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    bool work = false;
    for (TControl* c : controls_) work = work || c->Align() != alNone || c->Anchors() != akDefault;
    for (TControl* c : winControls_) work = work || c->Align() != alNone || c->Anchors() != akDefault;
    if (!work) return;
    AdjustClientRect(Rect);
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone}) DoAlign(a, AControl, Rect);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    for (TControl* c : controls_) c->UpdateAnchorRules();
    for (TControl* c : winControls_) c->UpdateAnchorRules();
    Realign();
    UpdateControlState();
}

void TWinControl::SetZOrder(bool TopMost) {
    if (parent_) {
        auto& list = parent_->winControls_;
        auto it = std::find(list.begin(), list.end(), this);
        if (it != list.end()) {
            list.erase(it);
            if (TopMost) list.push_back(this);
            else list.insert(list.begin(), this);
        }
    }
    if (handle_) SetWindowPos(handle_, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) { TControl::Notification(AComponent, Operation); }

// ---- messages

void TWinControl::WMPaint(TMessage& Message) {
    if (!(controlState_ & csCustomPaint) && controls_.empty() && Message.WParam == 0) DefaultHandler(Message);
    else PaintHandler(Message);
}

void TWinControl::PaintHandler(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    PAINTSTRUCT ps;
    if (!dc) dc = BeginPaint(Handle(), &ps);
    if (!dc) return;
    if (controls_.empty()) {
        PaintWindow(dc);
    } else {
        int saved = SaveDC(dc);
        // Opaque graphic children cover their part; the window need not paint it.
        for (TControl* c : controls_) {
            if (c->Visible() && (c->controlStyle_ & csOpaque))
                ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        }
        PaintWindow(dc);
        RestoreDC(dc, saved);
        PaintControls(dc, nullptr);
    }
    if (!Message.WParam) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
    TMessage m;
    m.Msg = WM_PAINT;
    m.WParam = reinterpret_cast<WPARAM>(DC);
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    auto it = controls_.begin();
    if (First) {
        it = std::find(controls_.begin(), controls_.end(), First);
        if (it == controls_.end()) it = controls_.begin();
    }
    std::vector<TControl*> list(it, controls_.end());
    for (TControl* c : list) {
        if (!c->Visible()) continue;
        TRect r = c->BoundsRect();
        if (!RectVisible(DC, &r)) continue;
        int saved = SaveDC(DC);
        TPoint org;
        GetWindowOrgEx(DC, &org);
        SetWindowOrgEx(DC, org.X - c->Left(), org.Y - c->Top(), nullptr);
        IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, saved);
    }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
    int saved = SaveDC(DC);
    SetWindowOrgEx(DC, -X, -Y, nullptr);
    IntersectClipRect(DC, 0, 0, width_, height_);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
    for (TControl* c : winControls_) {
        if (c->Visible()) static_cast<TWinControl*>(c)->PaintTo(DC, X + c->Left(), Y + c->Top());
    }
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    TRect r = ClientRect();
    FillRect(dc, &r, brush_->Handle());
    Message.Result = 1;
}

void TWinControl::WMSize(TMessage& Message) {
    UpdateBounds();
    DefaultHandler(Message);
    Realign();
    if (!InState(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
    UpdateBounds();
    DefaultHandler(Message);
}

void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::DoKeyDown(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TWinControl*>(this) && form->KeyPreview() && form->DoKeyDown(Message)) return true;
    WORD key = static_cast<WORD>(Message.WParam);
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (!(controlStyle_ & csNoStdEvents)) {
        KeyDown(key, shift);
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TWinControl*>(this) && form->KeyPreview() && form->DoKeyUp(Message)) return true;
    WORD key = static_cast<WORD>(Message.WParam);
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (!(controlStyle_ & csNoStdEvents)) {
        KeyUp(key, shift);
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TWinControl*>(this) && form->KeyPreview() && form->DoKeyPress(Message)) return true;
    char ch = static_cast<char>(Message.WParam & 0xFF);
    if (!(controlStyle_ & csNoStdEvents)) {
        KeyPress(ch);
        Message.WParam = static_cast<unsigned char>(ch);
        if (ch == 0) return true;
    }
    return false;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::IsMenuKey(TMessage& Message) {
    if (InState(csDesigning)) return false;
    for (TControl* c = this; c; c = c->Parent()) {
        if (c->popupMenu_ && PopupMenuHooks().IsShortCut && PopupMenuHooks().IsShortCut(c->popupMenu_, Message)) return true;
    }
    TCustomForm* form = GetParentForm(this);
    if (form && form->IsShortCut(Message)) return true;
    return false;
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message)) return;
    if (!InState(csDesigning)) {
        if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
        LRESULT mask = 0;
        switch (Message.WParam) {
            case VK_TAB: mask = DLGC_WANTTAB; break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN: mask = DLGC_WANTARROWS; break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
            default: break;
        }
        if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
            (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
            TCustomForm* form = GetParentForm(this);
            if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
        }
    }
    Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) {
    if (!InState(csDesigning)) {
        switch (Message.WParam) {
            case VK_TAB:
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL: Message.Result = Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam); break;
            default: break;
        }
    }
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
    if (InState(csDesigning)) return;
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
    }
}

void TWinControl::CNSysKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message)) return;
    if (!InState(csDesigning)) {
        if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
    }
    Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
    Message.Result = 0;
    if (InState(csDesigning) || Message.WParam == VK_SPACE) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
}

void TWinControl::CMChildKey(TMessage& Message) {
    if (parent_) Message.Result = parent_->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }

void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::WMSetCursor(TMessage& Message) {
    HWND cursorWnd = reinterpret_cast<HWND>(Message.WParam);
    if (cursorWnd == handle_ && static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(Message.LParam))) == HTCLIENT) {
        TCursor cursor = Screen ? Screen->Cursor() : crDefault;
        if (cursor == crDefault) {
            DWORD mp = GetMessagePos();
            TPoint p(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                     GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
            TControl* control = ControlAtPos(ScreenToClient(p), false);
            if (control) cursor = control->Cursor();
            if (cursor == crDefault) cursor = Cursor();
        }
        if (cursor != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMCommand(TMessage& Message) {
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMHScroll(TMessage& Message) {
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMVScroll(TMessage& Message) {
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMNCHitTest(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMMouseLeave(TMessage& Message) {
    if (Application && Application->MouseControl() && ContainsControl(Application->MouseControl()))
        Application->MouseOver(nullptr);
    DefaultHandler(Message);
}

void TWinControl::WMCancelMode(TMessage& Message) { TControl::WMCancelMode(Message); }

// ---- focus and tab order

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() {
    TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (TControl* c = this; c != form; c = c->Parent())
        if (!(c->Visible() && c->Enabled())) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this)) form->FocusControl(this);
    else if (parentWindow_) ::SetFocus(Handle());
    else ValidParentForm(this);
}

void TWinControl::SetTabStop(bool Value) {
    if (tabStop_ == Value) return;
    tabStop_ = Value;
    if (handle_) {
        LONG style = GetWindowLong(handle_, GWL_STYLE);
        style = Value ? (style | static_cast<LONG>(WS_TABSTOP)) : (style & ~static_cast<LONG>(WS_TABSTOP));
        SetWindowLong(handle_, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() {
    if (!parent_) return -1;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!parent_) return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (Value < 0) Value = 0;
    if (Value > static_cast<int>(list.size())) Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
    for (TWinControl* c : tabList_) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int count = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start = found == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(found - list.begin());
    int i = start;
    do {
        if (GoForward) {
            if (++i == count) i = 0;
        } else {
            if (i == 0) i = count;
            --i;
        }
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this)) return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (next) next->SetFocus();
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, !(controlStyle_ & csOpaque));
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

AnsiString TWinControl::GetText() {
    if (!handle_) return text_;
    LRESULT n = Perform(WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return AnsiString();
    AnsiString s(static_cast<size_t>(n) + 1, '\0');
    LRESULT got = Perform(WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min(got, n))));
    return s;
}

void TWinControl::SetTextBuf(const AnsiString& Value) {
    if (!handle_) text_ = Value;
    TControl::SetTextBuf(Value);
}
