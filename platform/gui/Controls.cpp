#include "platform/gui/Controls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gui/Controls_p.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

TMouse* Mouse = nullptr;

namespace {

TPopupMenuHooks& Hooks() {
    static TPopupMenuHooks hooks;
    return hooks;
}

std::vector<TControlCanvas*>& CanvasList() {
    static std::vector<TControlCanvas*> list;
    return list;
}

}  // namespace

TControl*& CaptureControlRef() {
    static TControl* control = nullptr;
    return control;
}

// Handle -> control, for FindControl.
std::vector<std::pair<HWND, TWinControl*>>& HandleControls() {
    static std::vector<std::pair<HWND, TWinControl*>> list;
    return list;
}

void ReleaseCanvasesOf(HWND wnd) {
    auto list = CanvasList();
    for (TControlCanvas* c : list)
        if (c->WindowHandle() == wnd) c->FreeHandle();
}

TPoint MessagePoint(const TMessage& m) { return TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)); }

namespace {

// ---- in-process dragging ----

struct TDragInfo {
    TControl* Source = nullptr;
    HWND CaptureWnd = nullptr;
    bool Started = false;
    TPoint StartPos;
    int Threshold = 5;
    TControl* Target = nullptr;
    bool Accepted = false;
};

TDragInfo& Drag() {
    static TDragInfo info;
    return info;
}

void DragTo(TPoint screen);
void DragDone(bool drop);

class TDragReceiver {
public:
    void WndProc(TMessage& m) {
        TDragInfo& d = Drag();
        switch (m.Msg) {
            case WM_MOUSEMOVE: {
                TPoint p = MessagePoint(m);
                if (!d.Started && (std::abs(p.X - d.StartPos.X) > d.Threshold || std::abs(p.Y - d.StartPos.Y) > d.Threshold))
                    d.Started = true;
                if (d.Started) DragTo(p);
                break;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP: DragDone(d.Started && d.Accepted); break;
            case WM_CANCELMODE:
            case WM_CAPTURECHANGED:
                if (d.Source && m.Msg == WM_CANCELMODE) DragDone(false);
                else if (d.Source && reinterpret_cast<HWND>(m.LParam) != d.CaptureWnd) DragDone(false);
                break;
            case WM_KEYDOWN:
                if (m.WParam == VK_ESCAPE) DragDone(false);
                break;
            default: m.Result = DefWindowProc(d.CaptureWnd, m.Msg, m.WParam, m.LParam); break;
        }
    }
};

TDragReceiver& DragReceiver() {
    static TDragReceiver receiver;
    return receiver;
}

void DragTo(TPoint screen) {
    TDragInfo& d = Drag();
    TControl* target = FindDragTarget(screen, false);
    if (target != d.Target) {
        if (d.Target) {
            bool accept = false;
            TPoint p = d.Target->ScreenToClient(screen);
            d.Target->DragOver(d.Source, p.X, p.Y, dsDragLeave, accept);
        }
        d.Target = target;
        d.Accepted = false;
        if (target) {
            TPoint p = target->ScreenToClient(screen);
            bool accept = false;
            target->DragOver(d.Source, p.X, p.Y, dsDragEnter, accept);
            d.Accepted = accept;
        }
    } else if (target) {
        TPoint p = target->ScreenToClient(screen);
        bool accept = false;
        target->DragOver(d.Source, p.X, p.Y, dsDragMove, accept);
        d.Accepted = accept;
    }
    if (Screen && d.Source) SetCursor(Screen->Cursors(d.Accepted ? d.Source->DragCursor() : crNoDrop));
}

void DragDone(bool drop) {
    TDragInfo d = Drag();
    if (!d.Source) return;
    Drag() = TDragInfo();
    if (d.CaptureWnd) {
        if (GetCapture() == d.CaptureWnd) ReleaseCapture();
        DeallocateHWnd(d.CaptureWnd);
    }
    TPoint pos;
    DWORD mp = GetMessagePos();
    pos = TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                 GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
    TControl* target = d.Target;
    if (target) {
        TPoint p = target->ScreenToClient(pos);
        bool accept = false;
        target->DragOver(d.Source, p.X, p.Y, dsDragLeave, accept);
        if (drop && d.Accepted) {
            target->DragDrop(d.Source, p.X, p.Y);
            d.Source->DoEndDrag(target, p.X, p.Y);
            return;
        }
    }
    TPoint sp = d.Source->ScreenToClient(pos);
    d.Source->DoEndDrag(nullptr, sp.X, sp.Y);
}

}  // namespace

// ---------------------------------------------------------------- free functions

TShiftState KeysToShiftState(WORD Keys) {
    TShiftState s = 0;
    if (Keys & MK_SHIFT) s |= ssShift;
    if (Keys & MK_CONTROL) s |= ssCtrl;
    if (Keys & MK_LBUTTON) s |= ssLeft;
    if (Keys & MK_RBUTTON) s |= ssRight;
    if (Keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (KeyData & (1 << 29)) s |= ssAlt;
    return s;
}

TShiftState KeyboardStateToShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
    if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
    return s;
}

TCustomForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    while (Control->Parent()) Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
    TCustomForm* form = GetParentForm(Control);
    if (!form) throw EInvalidOperation("Control '" + (Control ? Control->Name() : AnsiString()) + "' has no parent window");
    return form;
}

TWinControl* FindControl(HWND Handle) {
    if (!Handle) return nullptr;
    for (auto& [h, c] : HandleControls())
        if (h == Handle) return c;
    return nullptr;
}

TControl* GetCaptureControl() {
    TControl* c = CaptureControlRef();
    HWND cap = GetCapture();
    if (c) {
        // A graphic control keeps the capture through its parent's window.
        TWinControl* owner = dynamic_cast<TWinControl*>(c) ? static_cast<TWinControl*>(c) : c->Parent();
        if (owner && owner->HandleAllocated() && owner->Handle() == cap) return c;
        CaptureControlRef() = nullptr;
    }
    return FindControl(cap);
}

void SetCaptureControl(TControl* Control) {
    ReleaseCapture();
    CaptureControlRef() = nullptr;
    if (!Control) return;
    TWinControl* win = dynamic_cast<TWinControl*>(Control);
    if (!win) {
        if (!Control->Parent()) return;
        CaptureControlRef() = Control;
        win = Control->Parent();
    }
    SetCapture(win->Handle());
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
    HWND wnd = WindowFromPoint(Pos);
    TWinControl* control = FindControl(wnd);
    if (!control) return nullptr;
    TControl* inner = control->ControlAtPos(control->ScreenToClient(Pos), AllowDisabled);
    return inner ? inner : control;
}

void FreeDeviceContexts() {
    auto list = CanvasList();
    for (TControlCanvas* c : list)
        if (c->LockCount() == 0) c->FreeHandle();
}

void SetPopupMenuHooks(const TPopupMenuHooks& H) { Hooks() = H; }
const TPopupMenuHooks& PopupMenuHooks() { return Hooks(); }

// ---------------------------------------------------------------- TMouse

TPoint TMouse::CursorPos() {
    TPoint p;
    GetCursorPos(&p);
    return p;
}

void TMouse::SetCursorPos(TPoint Value) { ::SetCursorPos(Value.X, Value.Y); }

void TMouse::SetCapture(HWND Value) {
    if (Value) ::SetCapture(Value);
    else ReleaseCapture();
}

// ---------------------------------------------------------------- TSizeConstraints

void TSizeConstraints::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        minHeight_ = s->minHeight_;
        maxHeight_ = s->maxHeight_;
        minWidth_ = s->minWidth_;
        maxWidth_ = s->maxWidth_;
        Change();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::SetMaxHeight(int Value) {
    if (Value == maxHeight_) return;
    maxHeight_ = std::max(0, Value);
    if (maxHeight_ > 0 && maxHeight_ < minHeight_) minHeight_ = maxHeight_;
    Change();
}

void TSizeConstraints::SetMaxWidth(int Value) {
    if (Value == maxWidth_) return;
    maxWidth_ = std::max(0, Value);
    if (maxWidth_ > 0 && maxWidth_ < minWidth_) minWidth_ = maxWidth_;
    Change();
}

void TSizeConstraints::SetMinHeight(int Value) {
    if (Value == minHeight_) return;
    minHeight_ = std::max(0, Value);
    if (maxHeight_ > 0 && minHeight_ > maxHeight_) maxHeight_ = minHeight_;
    Change();
}

void TSizeConstraints::SetMinWidth(int Value) {
    if (Value == minWidth_) return;
    minWidth_ = std::max(0, Value);
    if (maxWidth_ > 0 && minWidth_ > maxWidth_) maxWidth_ = minWidth_;
    Change();
}

void TSizeConstraints::Apply(int& W, int& H) const {
    if (minWidth_ > 0 && W < minWidth_) W = minWidth_;
    if (maxWidth_ > 0 && W > maxWidth_) W = maxWidth_;
    if (minHeight_ > 0 && H < minHeight_) H = minHeight_;
    if (maxHeight_ > 0 && H > maxHeight_) H = maxHeight_;
}

void TSizeConstraints::Change() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
    if (control_ == Value) return;
    FreeHandle();
    control_ = Value;
}

void TControlCanvas::FreeHandle() {
    if (!deviceContext_) return;
    auto& list = CanvasList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    HDC dc = deviceContext_;
    deviceContext_ = nullptr;
    if (HandleAllocated() && Handle() == dc) SetHandle(nullptr);
    ReleaseDC(windowHandle_, dc);
    windowHandle_ = nullptr;
}

void TControlCanvas::UpdateTextFlags() {}

void TControlCanvas::CreateHandle() {
    if (!control_) {
        TCanvas::CreateHandle();
        return;
    }
    if (!deviceContext_) {
        TWinControl* win = dynamic_cast<TWinControl*>(control_);
        TPoint origin;
        if (!win) {
            win = control_->Parent();
            if (!win)
                throw EInvalidOperation("Control '" + control_->Name() + "' has no parent window");
            origin = TPoint(control_->Left(), control_->Top());
        }
        windowHandle_ = win->Handle();
        deviceContext_ = GetDC(windowHandle_);
        if (!deviceContext_) throw EOutOfResources("Error creating window device context");
        if (origin.X || origin.Y) {
            SetViewportOrgEx(deviceContext_, origin.X, origin.Y, nullptr);
            IntersectClipRect(deviceContext_, 0, 0, control_->Width(), control_->Height());
        }
        CanvasList().push_back(this);
    }
    SetHandle(deviceContext_);
    UpdateTextFlags();
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    WindowProc = TWndMethod(this, &TControl::WndProc);
    font_ = new TFont();
    font_->OnChange = MakeEvent(this, &TControl::FontChanged);
    constraints_ = new TSizeConstraints(this);
    constraints_->OnChange = MakeEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
    if (CaptureControlRef() == this) CaptureControlRef() = nullptr;
    if (Drag().Source == this) Drag() = TDragInfo();
    if (Drag().Target == this) Drag().Target = nullptr;
    if (parent_) parent_->RemoveControl(this);
    delete constraints_;
    delete font_;
}

void TControl::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (Application) Application->ControlDestroyed(this);
    if (CaptureControlRef() == this) SetCaptureControl(nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
        if (!(controlStyle_ & csDoubleClicks)) {
            switch (Message.Msg) {
                case WM_LBUTTONDBLCLK:
                case WM_RBUTTONDBLCLK:
                case WM_MBUTTONDBLCLK: Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; break;
                default: break;
            }
        }
        switch (Message.Msg) {
            case WM_MOUSEMOVE:
                if (Application) Application->HintMouseMessage(this, Message);
                break;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                if (dragMode_ == dmAutomatic && !InState(csDesigning)) {
                    BeginDrag(false);
                    return;
                }
                controlState_ |= csLButtonDown;
                break;
            case WM_LBUTTONUP: controlState_ &= ~csLButtonDown; break;
            default: break;
        }
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
        case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
        case WM_LBUTTONUP: WMLButtonUp(Message); break;
        case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
        case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
        case WM_RBUTTONUP: WMRButtonUp(Message); break;
        case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
        case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
        case WM_MBUTTONUP: WMMButtonUp(Message); break;
        case WM_MOUSEMOVE: WMMouseMove(Message); break;
        case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
        case WM_CANCELMODE: WMCancelMode(Message); break;
        case WM_CONTEXTMENU: WMContextMenu(Message); break;
        case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
        case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
        case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
        case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
        case CM_FONTCHANGED: CMFontChanged(Message); break;
        case CM_COLORCHANGED: CMColorChanged(Message); break;
        case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
        case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
        case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
        case CM_HITTEST: CMHitTest(Message); break;
        case CM_MOUSEENTER: CMMouseEnter(Message); break;
        case CM_MOUSELEAVE: CMMouseLeave(Message); break;
        case CM_HINTSHOW: CMHintShow(Message); break;
        case CM_SYSCOLORCHANGE: CMSysColorChange(Message); break;
        case CM_TEXTCHANGED: CMTextChanged(Message); break;
        default: DefaultHandler(Message); break;
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(Message.LParam);
            if (!buffer || Message.WParam == 0) {
                Message.Result = 0;
                return;
            }
            size_t n = std::min<size_t>(text_.size(), Message.WParam - 1);
            std::copy(text_.begin(), text_.begin() + static_cast<long>(n), buffer);
            buffer[n] = 0;
            Message.Result = static_cast<LRESULT>(n);
            return;
        }
        case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(text_.size()); return;
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(Message.LParam);
            text_ = text ? text : "";
            Perform(CM_TEXTCHANGED, 0, 0);
            Message.Result = 1;
            return;
        }
        default: break;
    }
}

void TControl::SetParent(TWinControl* AParent) {
    if (parent_ == AParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        UpdateAnchorRules();
    }
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
    bool resize = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
    return resize;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    constraints_->Apply(AWidth, AHeight);
    if (!CanResize(AWidth, AHeight)) {
        AWidth = width_;
        AHeight = height_;
    }
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    if (parent_ && visible_ && parent_->HandleAllocated()) {
        TRect old = BoundsRect();
        InvalidateRect(parent_->Handle(), &old, 1);
    }
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    UpdateAnchorRules();
    Invalidate();
    Perform(WM_WINDOWPOSCHANGED, 0, 0);
    RequestAlign();
    if (!InState(csLoading)) Resize();
}

void TControl::UpdateBoundsFields(int ALeft, int ATop, int AWidth, int AHeight) {
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
}

TRect TControl::GetClientRect() { return TRect(0, 0, width_, height_); }

void TControl::SetClientWidth(int Value) { SetBounds(left_, top_, width_ - ClientWidth() + Value, height_); }

void TControl::SetClientHeight(int Value) { SetBounds(left_, top_, width_, height_ - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() {
    if (!parent_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    TPoint p = parent_->ClientOrigin();
    return TPoint(p.X + left_, p.Y + top_);
}

TPoint TControl::ClientToScreen(TPoint Point) {
    TPoint o = ClientOrigin();
    return TPoint(Point.X + o.X, Point.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint Point) {
    TPoint o = ClientOrigin();
    return TPoint(Point.X - o.X, Point.Y - o.Y);
}

void TControl::SetAlign(TAlign Value) {
    if (align_ == Value) return;
    align_ = Value;
    anchors_ = akDefault;
    switch (Value) {
        case alTop: anchors_ = AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight); break;
        case alBottom: anchors_ = AnchorBit(akLeft) | AnchorBit(akRight) | AnchorBit(akBottom); break;
        case alLeft: anchors_ = AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akBottom); break;
        case alRight: anchors_ = AnchorBit(akRight) | AnchorBit(akTop) | AnchorBit(akBottom); break;
        case alClient: anchors_ = AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight) | AnchorBit(akBottom); break;
        default: break;
    }
    RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
    if (anchors_ == Value) return;
    anchors_ = Value;
    if (!InState(csLoading)) UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
    if (InState(csLoading) || !parent_) return;
    TRect pc = parent_->HandleAllocated() ? parent_->ClientRect() : TRect(0, 0, parent_->width_, parent_->height_);
    anchorRight_ = pc.Right - (left_ + width_);
    anchorBottom_ = pc.Bottom - (top_ + height_);
    anchorsValid_ = true;
}

void TControl::RequestAlign() {
    if (parent_) {
        if (parent_->alignLevel_ > 0 || parent_->InState(csLoading)) {
            parent_->controlState_ |= csAlignmentNeeded;
            return;
        }
        TRect r = parent_->GetClientRect();
        parent_->DisableAlign();
        parent_->AlignControls(this, r);
        parent_->controlState_ &= ~csAlignmentNeeded;
        parent_->EnableAlign();
    }
}

void TControl::ConstraintsChanged(TObject*) {
    int w = width_, h = height_;
    constraints_->Apply(w, h);
    if (w != width_ || h != height_) SetBounds(left_, top_, w, h);
}

void TControl::SetVisible(bool Value) {
    if (visible_ == Value) return;
    VisibleChanging();
    visible_ = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::Show() {
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

void TControl::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
    if (color_ == Value) return;
    color_ = Value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
    if (parentColor_ == Value) return;
    parentColor_ = Value;
    if (parent_ && !InState(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (parentFont_ == Value) return;
    parentFont_ = Value;
    if (parent_ && !InState(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCtl3D(bool Value) {
    if (ctl3D_ == Value) return;
    ctl3D_ = Value;
    parentCtl3D_ = false;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetParentCtl3D(bool Value) {
    if (parentCtl3D_ == Value) return;
    parentCtl3D_ = Value;
    if (Value && parent_) ctl3D_ = parent_->Ctl3D();
}

void TControl::SetBiDiMode(TBiDiMode Value) {
    biDiMode_ = Value;
    parentBiDiMode_ = false;
}

void TControl::SetParentBiDiMode(bool Value) {
    if (parentBiDiMode_ == Value) return;
    parentBiDiMode_ = Value;
    if (Value && parent_) biDiMode_ = parent_->BiDiMode();
}

void TControl::FontChanged(TObject*) {
    if (!updatingParentFont_) parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetText(const AnsiString& Value) {
    if (GetText() != Value) SetTextBuf(Value);
}

AnsiString TControl::GetText() { return text_; }

void TControl::SetTextBuf(const AnsiString& Value) { Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str())); }

void TControl::SetShowHint(bool Value) {
    if (showHint_ == Value) return;
    showHint_ = Value;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (parentShowHint_ == Value) return;
    parentShowHint_ = Value;
    if (parent_ && !InState(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    popupMenu_ = Value;
    if (Value && Hooks().AsComponent)
        if (TComponent* c = Hooks().AsComponent(Value)) c->FreeNotification(this);
}

void TControl::SetCursor(TCursor Value) {
    if (cursor_ == Value) return;
    cursor_ = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && popupMenu_ && Hooks().AsComponent && Hooks().AsComponent(popupMenu_) == AComponent)
        popupMenu_ = nullptr;
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
    TDragInfo& d = Drag();
    if (d.Source) return;
    if (!parent_ && !dynamic_cast<TWinControl*>(this)) return;
    if (Threshold < 0) Threshold = Mouse ? Mouse->DragThreshold() : 5;
    d.Source = this;
    d.Threshold = Threshold;
    d.Started = Immediate;
    DWORD mp = GetMessagePos();
    d.StartPos = TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                        GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
    d.CaptureWnd = AllocateHWnd(TWndMethod(&DragReceiver(), &TDragReceiver::WndProc));
    SetCapture(d.CaptureWnd);
    if (Immediate) DragTo(d.StartPos);
}

void TControl::EndDrag(bool DropIt) {
    if (Drag().Source == this) DragDone(DropIt);
}

bool TControl::Dragging() const { return Drag().Source == this; }

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = false;
    if (OnDragOver) {
        Accept = true;
        OnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
    if (MouseCapture() == Value) return;
    if (Value) SetCaptureControl(this);
    else SetCaptureControl(nullptr);
}

void TControl::Invalidate() {
    if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
    TRect r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, !(controlStyle_ & csOpaque));
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::SetZOrder(bool TopMost) {
    if (!parent_) return;
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (TopMost) list.push_back(this);
    else list.insert(list.begin(), this);
    Invalidate();
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::ChangeScale(int M, int D) {
    if (M == D) return;
    SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(width_, M, D), MulDiv(height_, M, D));
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_) {
            parentColor_ = false;
            SetParentColor(true);
        }
        if (parentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
    UpdateAnchorRules();
    RequestAlign();
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* parent = dynamic_cast<TWinControl*>(Value)) SetParent(parent);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

TWinControl* TControl::TopParent() {
    TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TWinControl*>(c);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled) {
        // Each notch is one call.
        if (WheelDelta < 0) handled = DoMouseWheelDown(Shift, MousePos);
        else if (WheelDelta > 0) handled = DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::SendCancelMode(TControl* Sender) {
    TControl* c = this;
    while (c) {
        if (auto* form = dynamic_cast<TCustomForm*>(c)) {
            form->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
            return;
        }
        c = c->parent_;
    }
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    if (controlStyle_ & csNoStdEvents) return;
    TPoint p = MessagePoint(Message);
    MouseDown(Button, KeysToShiftState(static_cast<WORD>(Message.WParam)) | Shift, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    if (controlStyle_ & csNoStdEvents) return;
    TPoint p = MessagePoint(Message);
    MouseUp(Button, KeysToShiftState(static_cast<WORD>(Message.WParam)), p.X, p.Y);
}

void TControl::WMLButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
    if (controlStyle_ & csClickEvents) controlState_ |= csClicked;
    DoMouseDown(Message, mbLeft, 0);
}

void TControl::WMLButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
    if (controlStyle_ & csClickEvents) DblClick();
    DoMouseDown(Message, mbLeft, ssDouble);
}

void TControl::WMLButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
    if (controlState_ & csClicked) {
        controlState_ &= ~csClicked;
        if (PtInRect(ClientRect(), MessagePoint(Message))) Click();
    }
    DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbRight, 0);
}

void TControl::WMRButtonDblClk(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbRight, ssDouble);
}

void TControl::WMRButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseUp(Message, mbRight);
}

void TControl::WMMButtonDown(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbMiddle, 0);
}

void TControl::WMMButtonDblClk(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbMiddle, ssDouble);
}

void TControl::WMMButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
    DefaultHandler(Message);
    if (controlStyle_ & csNoStdEvents) return;
    TPoint p = MessagePoint(Message);
    MouseMove(KeysToShiftState(static_cast<WORD>(Message.WParam)), p.X, p.Y);
}

void TControl::WMMouseWheel(TMessage& Message) {
    MouseWheelHandler(Message);
    if (Message.Result == 0) DefaultHandler(Message);
}

void TControl::MouseWheelHandler(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TControl*>(this)) form->MouseWheelHandler(Message);
    else Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
    Message.Result = 0;
    TShiftState shift = KeysToShiftState(static_cast<WORD>(Message.WParam & 0xFFFF));
    int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
    TPoint pos = MessagePoint(Message);
    if (DoMouseWheel(shift, delta, pos)) Message.Result = 1;
    else if (parent_) Message.Result = parent_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::WMCancelMode(TMessage& Message) {
    (void)Message;
    if (MouseCapture()) {
        SetMouseCapture(false);
        if (controlState_ & csLButtonDown) Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
    } else {
        controlState_ &= ~csLButtonDown;
    }
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    TPoint pt = MessagePoint(Message);
    TPoint temp(-1, -1);
    bool invalid = pt.X == -1 && pt.Y == -1;
    if (!invalid) {
        temp = ScreenToClient(pt);
        if (!PtInRect(ClientRect(), temp)) {
            DefaultHandler(Message);
            return;
        }
    }
    bool handled = false;
    DoContextPopup(temp, handled);
    Message.Result = handled ? 1 : 0;
    if (handled) return;
    TPopupMenu* menu = GetPopupMenu();
    if (menu && Hooks().Popup && (!Hooks().AutoPopup || Hooks().AutoPopup(menu))) {
        SendCancelMode(nullptr);
        if (invalid) pt = ClientToScreen(TPoint(0, 0));
        Hooks().Popup(menu, this, pt.X, pt.Y);
        Message.Result = 1;
    }
    if (Message.Result == 0) DefaultHandler(Message);
}

void TControl::WMWindowPosChanged(TMessage& Message) { DefaultHandler(Message); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) {
    if (parent_ && parent_->HandleAllocated()) {
        TRect r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, 1);
    }
}

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage&) {
    if (!parentFont_ || !parent_) return;
    updatingParentFont_ = true;
    font_->Assign(parent_->Font());
    updatingParentFont_ = false;
}

void TControl::CMParentColorChanged(TMessage&) {
    if (!parentColor_ || !parent_) return;
    if (color_ != parent_->Color()) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (parentShowHint_ && parent_) {
        showHint_ = parent_->ShowHint();
    }
}

void TControl::CMHitTest(TMessage& Message) { Message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& Message) {
    if (parent_) parent_->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
    if (Message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& Message) {
    if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
    if (Message.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMHintShow(TMessage& Message) { Message.Result = 0; }

void TControl::CMSysColorChange(TMessage&) {}

void TControl::CMTextChanged(TMessage&) { Invalidate(); }

void TControl::ParentFontOrColorChanged() {
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
}
// ---------------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
    auto* c = new TControlCanvas();
    c->SetControl(this);
    canvas_ = c;
}

TCustomControl::~TCustomControl() { delete canvas_; }

void TCustomControl::WMPaint(TMessage& Message) {
    controlState_ |= csCustomPaint;
    TWinControl::WMPaint(Message);
    controlState_ &= ~csCustomPaint;
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC DC) {
    TCanvasPaintScope scope(canvas_, DC);
    static_cast<TControlCanvas*>(canvas_)->UpdateTextFlags();
    Paint();
}

// ---------------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
    auto* c = new TControlCanvas();
    c->SetControl(this);
    canvas_ = c;
}

TGraphicControl::~TGraphicControl() { delete canvas_; }

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        WMPaint(Message);
        return;
    }
    TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc) return;
    TCanvasPaintScope scope(canvas_, dc);
    Paint();
}

void TGraphicControl::Paint() {}

// ---------------------------------------------------------------- published properties

#include "platform/rtti/Published.h"

TESK_PUBLISHED(TSizeConstraints) {
    Property("MaxHeight", &T::MaxHeight, &T::SetMaxHeight).Default(0);
    Property("MaxWidth", &T::MaxWidth, &T::SetMaxWidth).Default(0);
    Property("MinHeight", &T::MinHeight, &T::SetMinHeight).Default(0);
    Property("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(0);
}

TESK_PUBLISHED(TControl) {
    Property("Left", &T::Left, &T::SetLeft);
    Property("Top", &T::Top, &T::SetTop);
    Property("Width", &T::Width, &T::SetWidth);
    Property("Height", &T::Height, &T::SetHeight);
    Property("Cursor", TypeInfoTCursor(), &T::Cursor, &T::SetCursor).Default(crDefault);
    Property("Hint", &T::Hint, &T::SetHint);
}

TESK_PUBLISHED(TWinControl) {}
TESK_PUBLISHED(TCustomControl) {}
TESK_PUBLISHED(TGraphicControl) {}
