#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <algorithm>

#include "platform/gui/QtText_p.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/Services.h"
#include "platform/gui/WinApi_p.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"
#include "platform/rtl/SysUtils.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

constexpr uintptr_t kHintTimer = 1;

UINT ShowCommandOf(TWindowState state) {
    switch (state) {
        case wsMinimized: return SW_SHOWMINIMIZED;
        case wsMaximized: return SW_SHOWMAXIMIZED;
        default: return SW_SHOWNORMAL;
    }
}

// The position in the message being handled, in screen coordinates.
TPoint MessageScreenPos() {
    DWORD mp = GetMessagePos();
    return TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                  GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
}

TControl* HintControlOf(TControl* control) {
    while (control && !control->ShowHint()) control = control->Parent();
    return control;
}

AnsiString HintOf(TControl* control) {
    while (control) {
        if (!control->Hint().empty()) return control->Hint();
        control = control->Parent();
    }
    return AnsiString();
}

THintWindow* MakeDefaultHintWindow(TComponent* owner) { return new THintWindow(owner); }

TMainMenuHooks& MenuHooks() {
    static TMainMenuHooks hooks;
    return hooks;
}

// Focus counting: a nested change of focus abandons the outer one.
int FocusCount = 0;

bool SendFocusMessage(HWND wnd, UINT msg) {
    int count = FocusCount;
    SendMessage(wnd, msg, 0, 0);
    return FocusCount == count;
}

}  // namespace

void SetMainMenuHooks(const TMainMenuHooks& Hooks) { MenuHooks() = Hooks; }

AnsiString GetShortHint(const AnsiString& Hint) {
    size_t bar = Hint.find('|');
    return bar == AnsiString::npos ? Hint : Hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& Hint) {
    size_t bar = Hint.find('|');
    return bar == AnsiString::npos ? Hint : Hint.substr(bar + 1);
}

// ---------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    left_ = 0;
    top_ = 0;
    width_ = 320;
    height_ = 240;
    TControl::SetVisible(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    auto* c = new TControlCanvas();
    c->SetControl(this);
    canvas_ = c;
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    delete canvas_;
}

void TCustomForm::AfterConstruction() {
    if (created_) return;
    created_ = true;
    DoCreate();
    if (pendingVisible_) {
        pendingVisible_ = false;
        SetVisible(true);
    }
}

void TCustomForm::BeforeDestruction() {
    if (!destroyed_) {
        destroyed_ = true;
        // The window is still there while OnDestroy runs.
        if (created_) {
            try {
                DoDestroy();
            } catch (...) {
                if (Application) Application->HandleException(this);
            }
        }
    }
    if (Screen) {
        if (Screen->activeCustomForm_ == this) Screen->SetActiveForm(nullptr);
        if (Screen->activeControl_ && ContainsControl(Screen->activeControl_)) Screen->SetActiveControl(nullptr);
    }
    TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC DC) {
    TCanvasPaintScope scope(canvas_, DC);
    Paint();
}

void TCustomForm::WMPaint(TMessage& Message) {
    controlState_ |= csCustomPaint;
    TWinControl::WMPaint(Message);
    controlState_ &= ~csCustomPaint;
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style = WS_CLIPCHILDREN;
    Params.ExStyle = 0;
    Params.WndParent = nullptr;
    if (!Enabled()) Params.Style |= WS_DISABLED;
    switch (borderStyle_) {
        case bsNone: Params.Style |= WS_POPUP; break;
        case bsSingle:
        case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
        case bsSizeable:
        case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
        case bsDialog:
            Params.Style |= WS_POPUP | WS_CAPTION;
            Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            break;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (borderStyle_ != bsNone && (borderIcons_ & BorderIconBit(biSystemMenu))) {
        Params.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
            if (borderIcons_ & BorderIconBit(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
            if (borderIcons_ & BorderIconBit(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (formStyle_ == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    // The client size a form was given is the area below its menu bar: the
    // window grows by the bar.
    if (menu_ && !IsIconic(Handle())) {
        TRect client;
        ::GetClientRect(Handle(), &client);
        int bar = height_ - client.Bottom;
        if (bar > 0) SetBounds(left_, top_, width_, height_ + bar);
    }
    if (TWndHandle* rec = HandleRecord(Handle())) {
        bool sizeable = borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin;
        rec->FixedSize = !sizeable;
        if (!sizeable && rec->Frame) rec->Frame->setFixedSize(width_, height_);
    }
}

void TCustomForm::SetVisible(bool Value) {
    if (!created_) {
        // Made visible while being built: shown once OnCreate has run.
        pendingVisible_ = Value;
        return;
    }
    TWinControl::SetVisible(Value);
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::ApplyPosition() {
    if (positioned_) return;
    positioned_ = true;
    TRect area;
    TCustomForm* center = nullptr;
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter: area = Screen ? Screen->WorkAreaRect() : TRect(0, 0, 1024, 768); break;
        case poMainFormCenter: center = Application ? Application->MainForm() : nullptr; break;
        case poOwnerFormCenter: center = dynamic_cast<TCustomForm*>(Owner()); break;
        default: return;
    }
    if (center && center != this) area = center->BoundsRect();
    else if (center == this || (!center && (position_ == poMainFormCenter || position_ == poOwnerFormCenter)))
        area = Screen ? Screen->WorkAreaRect() : TRect(0, 0, 1024, 768);
    int x = area.Left + (area.Width() - width_) / 2;
    int y = area.Top + (area.Height() - height_) / 2;
    SetBounds(x, y, width_, height_);
}

void TCustomForm::CMShowingChanged(TMessage&) {
    if (Showing()) {
        ApplyPosition();
        // OnShow runs before the window can be seen, on every show.
        DoShow();
        if (!Showing() || !HandleAllocated()) return;
        ShowWindow(Handle(), static_cast<int>(ShowCommandOf(windowState_)));
        UpdateWindowStateField();
    } else {
        DoHide();
        if (HandleAllocated()) {
            if (Screen && Screen->ActiveForm() == this) SetActive(false);
            ShowWindow(Handle(), SW_HIDE);
        }
    }
}

void TCustomForm::UpdateWindowStateField() {
    if (!HandleAllocated()) return;
    if (IsIconic(Handle())) windowState_ = wsMinimized;
    else if (IsZoomed(Handle())) windowState_ = wsMaximized;
    else windowState_ = wsNormal;
}

TWindowState TCustomForm::WindowState() {
    if (HandleAllocated() && Showing()) UpdateWindowStateField();
    return windowState_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
    windowState_ = Value;
    if (HandleAllocated() && Showing()) ShowWindow(Handle(), static_cast<int>(ShowCommandOf(Value)));
}

void TCustomForm::SetPosition(TPosition Value) {
    position_ = Value;
    if (InState(csDesigning)) return;
}

void TCustomForm::SetBorderStyle(TBorderStyle Value) {
    if (borderStyle_ == Value) return;
    borderStyle_ = Value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (borderIcons_ == Value) return;
    borderIcons_ = Value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    if (formStyle_ == Value) return;
    formStyle_ = Value;
    if (HandleAllocated()) SetWindowPos(Handle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_ || formStyle_ == fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    modal_ = true;
    HWND activeWindow = GetActiveWindow();
    TCursor savedCursor = Screen ? Screen->Cursor() : crDefault;
    if (Screen) Screen->SetCursor(crDefault);
    HandleNeeded();
    if (TWndHandle* rec = HandleRecord(Handle()))
        if (rec->Frame) rec->Frame->setWindowModality(Qt::ApplicationModal);
    int result = mrNone;
    TScopeGuard notModal([this] { modal_ = false; });
    {
        TScopeGuard restore([&] {
            if (TWndHandle* rec = HandleRecord(Handle()))
                if (rec->Frame) rec->Frame->setWindowModality(Qt::NonModal);
            if (Screen) Screen->SetCursor(savedCursor);
        });
        Show();
        TScopeGuard hide([this] { Hide(); });
        SendMessage(Handle(), CM_ACTIVATE, 0, 0);
        modalResult_ = mrNone;
        while (true) {
            if (Application->Terminated()) modalResult_ = mrCancel;
            else if (modalResult_ != mrNone) {
                // Closing may be refused; then the loop goes on.
                TCloseAction action = caNone;
                if (CloseQuery()) {
                    action = caHide;
                    DoClose(action);
                }
                if (action == caNone) modalResult_ = mrNone;
                else if (action == caFree) Release();
            }
            if (modalResult_ != mrNone) break;
            Application->HandleMessage();
        }
        result = modalResult_;
        if (HandleAllocated()) SendMessage(Handle(), CM_DEACTIVATE, 0, 0);
        if (GetActiveWindow() != Handle()) activeWindow = nullptr;
    }
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    return result;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = formStyle_ == fsMDIChild ? caMinimize : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) Application->Terminate();
    else if (action == caHide) Hide();
    else if (action == caMinimize) SetWindowState(wsMinimized);
    else Release();
}

void TCustomForm::Release() {
    if (HandleAllocated()) PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&) { FreeObject(this); }

void TCustomForm::SetFocus() {
    if (!active_) {
        if (!(Visible() && Enabled())) throw EInvalidOperation("Cannot focus a disabled or invisible window");
        SetWindowFocus();
    }
}

void TCustomForm::SetWindowFocus() {
    HWND focus = activeControl_ ? activeControl_->Handle() : Handle();
    if (focus && GetFocus() != focus) ::SetFocus(focus);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (activeControl_ == Control) return;
    if (Control && !(Control != this && GetParentForm(Control) == this && (InState(csLoading) || Control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = Control;
    if (!InState(csLoading) && active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    bool wasActive = active_;
    SetActiveControl(Control);
    if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && focusedControl_ && Control->ContainsControl(focusedControl_)) focusedControl_ = Control->Parent();
    if (activeControl_ && Control->ContainsControl(activeControl_)) activeControl_ = nullptr;
    if (Screen && Screen->activeControl_ && Control->ContainsControl(Screen->activeControl_) && Removing)
        Screen->activeControl_ = nullptr;
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    ++FocusCount;
    if (Control != this) activeControl_ = Control;
    else activeControl_ = nullptr;
    if (Screen) {
        Screen->SetActiveControl(Control);
        Screen->SetActiveForm(this);
    }
    if (Control->controlState_ & csFocusing) return false;
    Control->controlState_ |= csFocusing;
    TScopeGuard clear([Control] { Control->controlState_ &= ~csFocusing; });
    if (Screen && Screen->focusedForm_ != this) {
        if (TCustomForm* old = Screen->focusedForm_) {
            Screen->focusedForm_ = nullptr;
            if (old->HandleAllocated() && !SendFocusMessage(old->Handle(), CM_DEACTIVATE)) return false;
        }
        Screen->focusedForm_ = this;
        if (!SendFocusMessage(Handle(), CM_ACTIVATE)) return false;
    }
    if (!focusedControl_) focusedControl_ = this;
    if (focusedControl_ != Control) {
        while (focusedControl_ && !focusedControl_->ContainsControl(Control)) {
            HWND h = focusedControl_->Handle();
            focusedControl_ = focusedControl_->Parent();
            if (!SendFocusMessage(h, CM_EXIT)) return false;
        }
        while (focusedControl_ != Control) {
            TWinControl* temp = Control;
            while (temp->Parent() != focusedControl_) temp = temp->Parent();
            focusedControl_ = temp;
            if (!SendFocusMessage(temp->Handle(), CM_ENTER)) return false;
        }
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    }
    return true;
}

void TCustomForm::AddShortCutHandler(Delegate<bool(TMessage&)> Handler) { shortCutHandlers_.push_back(Handler); }

void TCustomForm::RemoveShortCutHandler(Delegate<bool(TMessage&)> Handler) {
    shortCutHandlers_.erase(std::remove(shortCutHandlers_.begin(), shortCutHandlers_.end(), Handler),
                            shortCutHandlers_.end());
}

bool TCustomForm::IsShortCut(TMessage& Message) {
    bool handled = false;
    if (OnShortCut) OnShortCut(Message, handled);
    if (handled) return true;
    auto handlers = shortCutHandlers_;
    for (auto& h : handlers)
        if (h(Message)) return true;
    return false;
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
    if (focusedControl_ && focusedControl_ != this)
        Message.Result = focusedControl_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
    else
        TControl::MouseWheelHandler(Message);
}

void TCustomForm::SetActive(bool Value) {
    active_ = Value;
    if (!Value) return;
    if (!activeControl_ && !InState(csDesigning)) activeControl_ = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        if (AComponent == activeControl_) activeControl_ = nullptr;
        if (AComponent == focusedControl_) focusedControl_ = nullptr;
        if (AComponent == menu_) menu_ = nullptr;
    }
}

void TCustomForm::WndProc(TMessage& Message) {
    if (Message.Msg == WM_ACTIVATE && Screen && LOWORD(Message.WParam) != WA_INACTIVE) Screen->SetActiveForm(this);
    TWinControl::WndProc(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ACTIVATE: WMActivate(Message); break;
        case WM_CLOSE: WMClose(Message); break;
        case WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); break;
        case WM_SYSCOMMAND: WMSysCommand(Message); break;
        case CM_ACTIVATE: CMActivate(Message); break;
        case CM_DEACTIVATE: CMDeactivate(Message); break;
        case CM_RELEASE: CMRelease(Message); break;
        case WM_NCCALCSIZE: WMNCCalcSize(Message); break;
        default: TWinControl::Dispatch(Message); break;
    }
}

void TCustomForm::WMNCCalcSize(TMessage& Message) {
    DefaultHandler(Message);
    auto* rects = reinterpret_cast<TRect*>(Message.LParam);
    if (!rects || !MenuHooks().PlaceBar) return;
    int height = MenuHooks().PlaceBar(this, rects[0]);
    rects[0].Top = std::min(rects[0].Top + height, rects[0].Bottom);
}

void TCustomForm::SetMenu(TComponent* Value) {
    if (menu_ == Value) return;
    menu_ = Value;
    if (Value) Value->FreeNotification(this);
    // The bar shows the new menu and the client area follows.
    if (HandleAllocated()) UpdateWindowFrame(Handle());
}

void TCustomForm::WMActivate(TMessage& Message) { SetActive(LOWORD(Message.WParam) != WA_INACTIVE); }

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMGetMinMaxInfo(TMessage& Message) {
    auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    if (!mmi) return;
    // The constraints are on the whole window, which here is the client size.
    TSizeConstraints* c = Constraints();
    if (c->MinWidth() > 0) mmi->ptMinTrackSize.X = c->MinWidth();
    if (c->MinHeight() > 0) mmi->ptMinTrackSize.Y = c->MinHeight();
    if (c->MaxWidth() > 0) mmi->ptMaxTrackSize.X = c->MaxWidth();
    if (c->MaxHeight() > 0) mmi->ptMaxTrackSize.Y = c->MaxHeight();
    DefaultHandler(Message);
}

void TCustomForm::WMSysCommand(TMessage& Message) {
    DefaultHandler(Message);
    UpdateWindowStateField();
}

void TCustomForm::CMActivate(TMessage&) { Activate(); }

void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

void TCustomForm::CMDialogKey(TMessage& Message) {
    if (GetKeyState(VK_MENU) >= 0) {
        switch (Message.WParam) {
            case VK_TAB:
                if (GetKeyState(VK_CONTROL) >= 0) {
                    SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
                    Message.Result = 1;
                    return;
                }
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                if (activeControl_ && activeControl_->Parent()) {
                    activeControl_->Parent()->SelectNext(activeControl_,
                                                         Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
                    Message.Result = 1;
                }
                return;
            default: break;
        }
    }
    TWinControl::CMDialogKey(Message);
}

// ---------------------------------------------------------------- THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    TControl::SetVisible(false);
    SetColor(clInfoBk);
    if (Screen) Font()->Assign(Screen->HintFont());
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    if (Application) SetParentWindow(Application->Handle());
}

void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.ClassStyle |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
    TRect r(0, 0, MaxWidth, 0);
    Canvas()->Font()->Assign(Font());
    DrawText(Canvas()->Handle(), AHint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& AHint) {
    SetCaption(AHint);
    Rect.Bottom += 4;
    TRect work = Screen ? Screen->WorkAreaRect() : TRect(0, 0, 1024, 768);
    if (Rect.Right > work.Right) OffsetRect(&Rect, work.Right - Rect.Right, 0);
    if (Rect.Left < work.Left) OffsetRect(&Rect, work.Left - Rect.Left, 0);
    if (Rect.Bottom > work.Bottom) OffsetRect(&Rect, 0, work.Bottom - Rect.Bottom);
    if (Rect.Top < work.Top) OffsetRect(&Rect, 0, work.Top - Rect.Top);
    SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const AnsiString& AHint, void*) { ActivateHint(Rect, AHint); }

bool THintWindow::IsHintMsg(TMsg& Msg) {
    UINT m = Msg.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == WM_COMMAND ||
           (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle() { DestroyHandle(); }

void THintWindow::Paint() {
    TRect r = ClientRect();
    r.Left += 2;
    r.Top += 2;
    Canvas()->Font()->Assign(Font());
    Canvas()->Font()->SetColor(Screen ? Screen->HintFont()->Color() : clInfoText);
    AnsiString text = Caption();
    DrawText(Canvas()->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

void THintWindow::WMNCHitTest(TMessage& Message) { Message.Result = HTTRANSPARENT; }

// ---------------------------------------------------------------- TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    handle_ = AllocateHWnd(TWndMethod(this, &TApplication::WndProc));
    // The application window is minimised when the main form is.
    if (TWndHandle* rec = HandleRecord(handle_)) {
        rec->StateSource = [this]() -> HWND {
            return mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr;
        };
    }
    HintWindowClass = &MakeDefaultHintWindow;
    SetMessageProcessor(TMessageProcessor(this, &TApplication::ProcessMsg));
    SetDispatchExceptionHandler([] {
        if (Application) Application->HandleException(nullptr);
    });
}

TApplication::~TApplication() {
    StopHintTimer();
    // Forms go first, while the application still answers them.
    DestroyComponents();
    if (Application == this) {
        SetMessageProcessor(TMessageProcessor());
        SetDispatchExceptionHandler(nullptr);
    }
    if (handle_) DeallocateHWnd(handle_);
}

AnsiString TApplication::ExeName() const {
    return FromQPath(QCoreApplication::applicationFilePath());
}

HWND TApplication::Handle() { return handle_; }

void TApplication::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_TIMER:
            if (Message.WParam == kHintTimer) HintTimerExpired();
            break;
        case WM_SYSCOMMAND:
            switch (Message.WParam & 0xFFF0) {
                case SC_MINIMIZE: Minimize(); break;
                case SC_RESTORE: Restore(); break;
                default: break;
            }
            break;
        default: Message.Result = DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam); break;
    }
}

void TApplication::Run() {
    if (mainForm_ && showMainForm_) {
        TWindowState state = mainForm_->windowState_;
        mainForm_->SetWindowStateField(state);
        mainForm_->SetVisible(true);
    }
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
    // Ready to run again (the program ends here; tests run more than once).
    terminated_ = false;
}

void TApplication::ProcessMessages() {
    // Bounded: a handler that keeps posting to itself must not hang the caller.
    for (int i = 0; i < 100000; ++i) {
        if (!PumpMessages(false)) break;
        if (terminated_) break;
    }
}

void TApplication::HandleMessage() {
    ++handleMessageDepth_;
    TScopeGuard depth([this] { --handleMessageDepth_; });
    if (!PumpMessages(false)) {
        Idle();
        if (!terminated_) PumpMessages(true);
    }
}

bool TApplication::ProcessMessage(TMsg& Msg) {
    if (!PeekMessage(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
    SetCurrentMessageInfo(Msg.time, TPoint(Msg.ptX, Msg.ptY));
    ProcessMsg(Msg);
    return true;
}

bool TApplication::ProcessMsg(TMsg& Msg) {
    if (Msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    bool handled = false;
    if (OnMessage) OnMessage(Msg, handled);
    if (handled) return false;
    if (IsHintMsg(Msg)) return false;
    if (IsKeyMsg(Msg)) return false;
    if (IsDlgMsg(Msg)) return false;
    // The mouse over a control (enter and leave notices).
    if (Msg.message == WM_MOUSEMOVE) {
        if (TWinControl* c = FindControl(Msg.hwnd)) {
            TPoint p(GET_X_LPARAM(Msg.lParam), GET_Y_LPARAM(Msg.lParam));
            TControl* inner = GetCapture() ? nullptr : c->ControlAtPos(p, false);
            MouseOver(inner ? inner : c);
        }
    }
    DispatchMessage(Msg);
    return true;
}

bool TApplication::IsHintMsg(TMsg& Msg) {
    if (hintWindow_ && hintWindow_->IsHintMsg(Msg)) CancelHint();
    return false;
}

bool TApplication::IsKeyMsg(TMsg& Msg) {
    if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
    HWND wnd = GetCapture();
    if (wnd && !FindControl(wnd)) {
        // A helper window holds the capture (a drag): it sees the keys.
        SendMessage(wnd, Msg.message, Msg.wParam, Msg.lParam);
        return true;
    }
    if (!wnd) {
        wnd = Msg.hwnd;
        while (wnd && !FindControl(wnd)) wnd = GetParent(wnd);
        if (!wnd) wnd = Msg.hwnd;
    }
    if (!FindControl(wnd)) return false;
    return SendMessage(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsDlgMsg(TMsg&) { return false; }

void TApplication::Idle() {
    FreeDeviceContexts();
    bool done = true;
    for (auto& h : IdleHandlers) h();
    if (OnIdle) OnIdle(this, done);
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (EAbort&) {
        return;
    } catch (Exception& e) {
        if (OnException) OnException(Sender, &e);
        else ShowException(&e);
    } catch (std::exception& e) {
        Exception wrapped(e.what());
        if (OnException) OnException(Sender, &wrapped);
        else ShowException(&wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        if (OnException) OnException(Sender, &wrapped);
        else ShowException(&wrapped);
    }
}

void TApplication::ShowException(Exception* E) {
    AnsiString msg = E->Message();
    if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
    MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags) {
    return ::MessageBox(mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : handle_, Text.c_str(),
                        Caption.c_str(), Flags);
}

void TApplication::Minimize() {
    if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_RESTORE);
    if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
    if (mainForm_ && mainForm_->HandleAllocated()) SetActiveWindow(mainForm_->Handle());
}

void TApplication::SetHint(const AnsiString& Value) {
    if (hint_ == Value) return;
    hint_ = Value;
    if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool Value) {
    if (showHint_ == Value) return;
    showHint_ = Value;
    if (!Value) {
        CancelHint();
        if (hintWindow_) {
            FreeObject(hintWindow_);
            hintWindow_ = nullptr;
        }
    }
}

void TApplication::StartHintTimer(int Value, int Kind) {
    StopHintTimer();
    hintTimerKind_ = Kind;
    SetTimer(handle_, kHintTimer, static_cast<UINT>(std::max(Value, 1)));
}

void TApplication::StopHintTimer() {
    if (hintTimerKind_) {
        KillTimer(handle_, kHintTimer);
        hintTimerKind_ = 0;
    }
}

void TApplication::HintTimerExpired() {
    int kind = hintTimerKind_;
    StopHintTimer();
    if (kind == 1) {
        TPoint p;
        GetCursorPos(&p);
        ActivateHint(p);
    }
    else if (kind == 2) HideHint();
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
    if (!showHint_) return;
    TPoint screen = MessageScreenPos();
    TControl* hintControl = HintControlOf(Control);
    (void)Message;
    if (!hintControl) {
        CancelHint();
        return;
    }
    TPoint local = hintControl->ScreenToClient(screen);
    if (hintControl != hintControl_ || !PtInRect(hintCursorRect_, local)) {
        bool wasActive = hintActive_;
        int pause = wasActive ? hintShortPause_ : hintPause_;
        hintControl->Perform(CM_HINTSHOWPAUSE, wasActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
        HideHint();
        hintControl_ = hintControl;
        hintCursorRect_ = hintControl->ClientRect();
        hintActive_ = wasActive;
        if (!wasActive || pause > 0) StartHintTimer(pause, 1);
        else ActivateHint(screen);
    }
}

void TApplication::ActivateHint(TPoint CursorPos) {
    if (!hintControl_) return;
    THintInfo info;
    info.HintControl = hintControl_;
    info.HintWindowClass = HintWindowClass;
    info.HintPos = TPoint(CursorPos.X, CursorPos.Y + 20);
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.HintColor = hintColor_;
    info.CursorRect = hintControl_->ClientRect();
    info.CursorPos = hintControl_->ScreenToClient(CursorPos);
    info.HintStr = GetShortHint(HintOf(hintControl_));
    info.HideTimeout = hintHidePause_;
    bool canShow = hintControl_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
    hintActive_ = canShow && hintControl_;
    if (hintActive_ && !info.HintStr.empty()) {
        THintWindowClass make = info.HintWindowClass ? info.HintWindowClass : HintWindowClass;
        if (!hintWindow_ || make != HintWindowClass || info.HintWindowClass != HintWindowClass) {
            if (hintWindow_) FreeObject(hintWindow_);
            hintWindow_ = make(this);
        }
        hintWindow_->SetColor(info.HintColor);
        TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
        OffsetRect(&r, info.HintPos.X, info.HintPos.Y);
        hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
        hintCursorRect_ = info.CursorRect;
        StartHintTimer(info.HideTimeout, 2);
        return;
    }
    HideHint();
}

void TApplication::HideHint() {
    if (hintWindow_ && hintWindow_->HandleAllocated() && IsWindowVisible(hintWindow_->Handle()))
        ShowWindow(hintWindow_->Handle(), SW_HIDE);
}

void TApplication::CancelHint() {
    if (!hintControl_) return;
    HideHint();
    hintControl_ = nullptr;
    hintActive_ = false;
    StopHintTimer();
}

void TApplication::ControlDestroyed(TControl* Control) {
    if (mainForm_ == Control) mainForm_ = nullptr;
    if (hintControl_ == Control) CancelHint();
    if (mouseControl_ == Control) mouseControl_ = nullptr;
    if (hintWindow_ == Control) hintWindow_ = nullptr;
}

void TApplication::MouseOver(TControl* Control) {
    if (mouseControl_ == Control) return;
    TControl* old = mouseControl_;
    mouseControl_ = Control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (Control && mouseControl_ == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
    if (!Control) CancelHint();
}

// ---------------------------------------------------------------- TMonitor, TScreen

TRect TMonitor::BoundsRect() const { return GetMonitorInfoAt(index_).Monitor; }
TRect TMonitor::WorkareaRect() const { return GetMonitorInfoAt(index_).WorkArea; }
bool TMonitor::Primary() const { return GetMonitorInfoAt(index_).Primary; }

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
    hintFont_ = new TFont();
    hintFont_->SetColor(clInfoText);
    menuFont_ = new TFont();
    iconFont_ = new TFont();
}

TScreen::~TScreen() {
    if (cursorCount_ > 0 && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
    for (TMonitor* m : monitors_) delete m;
    delete hintFont_;
    delete menuFont_;
    delete iconFont_;
}

HCURSOR TScreen::Cursors(TCursor Index) {
    auto it = cursors_.find(Index);
    if (it != cursors_.end()) return it->second;
    switch (Index) {
        case crNone: return nullptr;
        case crCross: return LoadStandardCursor(IDC_CROSS);
        case crIBeam: return LoadStandardCursor(IDC_IBEAM);
        case crSizeNESW: return LoadStandardCursor(IDC_SIZENESW);
        case crSizeNS: return LoadStandardCursor(IDC_SIZENS);
        case crSizeNWSE: return LoadStandardCursor(IDC_SIZENWSE);
        case crSizeWE: return LoadStandardCursor(IDC_SIZEWE);
        case crUpArrow: return LoadStandardCursor(IDC_UPARROW);
        case crHourGlass:
        case crSQLWait: return LoadStandardCursor(IDC_WAIT);
        case crDrag: return LoadStandardCursor(IDC_DRAG_);
        case crNoDrop: return LoadStandardCursor(IDC_NODROP_);
        case crHSplit: return LoadStandardCursor(IDC_HSPLIT_);
        case crVSplit: return LoadStandardCursor(IDC_VSPLIT_);
        case crMultiDrag: return LoadStandardCursor(IDC_MULTIDRAG_);
        case crNo: return LoadStandardCursor(IDC_NO);
        case crAppStart: return LoadStandardCursor(IDC_APPSTARTING);
        case crHelp: return LoadStandardCursor(IDC_HELP);
        case crHandPoint: return LoadStandardCursor(IDC_HAND);
        case crSizeAll: return LoadStandardCursor(IDC_SIZEALL);
        default: return LoadStandardCursor(IDC_ARROW);
    }
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
    if (Handle) cursors_[Index] = Handle;
    else cursors_.erase(Index);
}

void TScreen::SetCursor(TCursor Value) {
    if (cursor_ == Value) return;
    cursor_ = Value;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    if (cursorCount_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        cursorCount_ = 0;
    }
    if (Value != crDefault) {
        HCURSOR c = Cursors(Value);
        QGuiApplication::setOverrideCursor(c ? ToQCursor(c) : QCursor(Qt::BlankCursor));
        cursorCount_ = 1;
    }
}

int TScreen::Width() { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() {
    TRect r;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

int TScreen::MonitorCount() { return GetMonitorCount(); }

TMonitor* TScreen::Monitors(int Index) {
    int count = GetMonitorCount();
    while (static_cast<int>(monitors_.size()) < count) monitors_.push_back(new TMonitor(static_cast<int>(monitors_.size())));
    if (Index < 0 || Index >= count) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return monitors_[static_cast<size_t>(Index)];
}

TMonitor* TScreen::MonitorFromRect(const TRect& Rect) { return Monitors(MonitorIndexFromRect(Rect)); }
TMonitor* TScreen::MonitorFromPoint(TPoint Point) { return Monitors(MonitorIndexFromPoint(Point)); }

TMonitor* TScreen::MonitorFromWindow(HWND Wnd) {
    TRect r;
    if (!GetWindowRect(Wnd, &r)) return Monitors(0);
    return MonitorFromRect(r);
}

void TScreen::AddForm(TCustomForm* Form) { forms_.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
    if (activeCustomForm_ == Form) activeCustomForm_ = nullptr;
    if (focusedForm_ == Form) focusedForm_ = nullptr;
    if (activeControl_ && GetParentForm(activeControl_) == Form) activeControl_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* Form) {
    if (activeCustomForm_ == Form) return;
    activeCustomForm_ = Form;
    if (Form) {
        // Most recently active first.
        forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
        forms_.insert(forms_.begin(), Form);
    }
    if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
    if (activeControl_ == Control) return;
    activeControl_ = Control;
    if (OnActiveControlChange) OnActiveControlChange(this);
}

// ---------------------------------------------------------------- start and end

void InitializeForms() {
    if (!Mouse) Mouse = new TMouse();
    if (!Screen) {
        Screen = new TScreen(nullptr);
        // A definition may name a component of another form: "frmMain.Storage1".
        RegisterFindGlobalComponent([](const AnsiString& Name) -> TComponent* {
            if (!Screen) return nullptr;
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (SameText(Screen->Forms(i)->Name(), Name)) return Screen->Forms(i);
            return nullptr;
        });
    }
    if (!Application) Application = new TApplication(nullptr);
}

void DoneApplication() {
    if (Application) {
        TApplication* app = Application;
        FreeObject(app);
        Application = nullptr;
    }
}

// ---------------------------------------------------------------- published properties

TESK_PUBLISHED(TCustomForm) {}

TESK_PUBLISHED(TForm) {
    Property("Left", &T::Left, &T::SetLeft);
    Property("Top", &T::Top, &T::SetTop);
    Property("Width", &T::Width, &T::SetWidth);
    Property("Height", &T::Height, &T::SetHeight);
    Property("ActiveControl", &T::ActiveControl, &T::SetActiveControl);
    Property("BorderIcons", &T::BorderIcons, &T::SetBorderIcons)
        .Default(BorderIconBit(biSystemMenu) | BorderIconBit(biMinimize) | BorderIconBit(biMaximize));
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSizeable);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("ClientHeight", &T::ClientHeight, &T::SetClientHeight);
    Property("ClientWidth", &T::ClientWidth, &T::SetClientWidth);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(clBtnFace);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Default(true);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Font", &T::Font, &T::SetFont);
    Property("FormStyle", &T::FormStyle, &T::SetFormStyle).Default(fsNormal);
    Property("KeyPreview", &T::KeyPreview, &T::SetKeyPreview).Default(false);
    Property("Menu", &T::Menu, &T::SetMenu);
    Property("OldCreateOrder", &T::OldCreateOrder, &T::OldCreateOrder);
    Property("PixelsPerInch", &T::PixelsPerInch, &T::SetPixelsPerInch);
    Property("Position", &T::Position, &T::SetPosition).Default(poDesigned);
    Property("Scaled", &T::Scaled, &T::SetScaled).Default(true);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("Visible", &T::Visible, &T::SetVisible).Default(false);
    Property("WindowState", &T::WindowState, &T::SetWindowState).Default(wsNormal);
    Property("OnActivate", &T::OnActivate, &T::OnActivate);
    Property("OnClose", &T::OnClose, &T::OnClose);
    Property("OnCloseQuery", &T::OnCloseQuery, &T::OnCloseQuery);
    Property("OnCreate", &T::OnCreate, &T::OnCreate);
    Property("OnDeactivate", &T::OnDeactivate, &T::OnDeactivate);
    Property("OnDestroy", &T::OnDestroy, &T::OnDestroy);
    Property("OnHide", &T::OnHide, &T::OnHide);
    Property("OnKeyDown", &T::OnKeyDown, &T::OnKeyDown);
    Property("OnKeyPress", &T::OnKeyPress, &T::OnKeyPress);
    Property("OnKeyUp", &T::OnKeyUp, &T::OnKeyUp);
    Property("OnPaint", &T::OnPaint, &T::OnPaint);
    Property("OnResize", &T::OnResize, &T::OnResize);
    Property("OnShow", &T::OnShow, &T::OnShow);
}

TESK_PUBLISHED(THintWindow) {}
TESK_PUBLISHED(TApplication) {}
TESK_PUBLISHED(TScreen) {}
