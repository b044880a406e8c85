#pragma once
// The control classes: TControl (geometry, appearance, mouse and the message
// dispatch every control shares), TWinControl (a control with a window: focus,
// keyboard, children, alignment), TCustomControl (a window we paint) and
// TGraphicControl (painted on its parent's window).
//
// A message reaches a control through WindowProc, which is WndProc unless
// someone hooked it; WndProc does the common pre-processing and calls
// Dispatch, which hands each message to its handler (the virtual WM*/CM*
// methods below) and everything else to DefaultHandler. A derived class
// handles a message by overriding its handler, calling the base handler for
// "inherited"; a message with no handler here is handled by overriding
// Dispatch and passing the rest on.
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Keys.h"
#include "platform/classes/UITypes.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"
#include "platform/gui/WinApi.h"
#include "platform/rtti/TypInfo.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
// A set of anchors: bit n is element n.
enum TAnchors : uint8_t {};
constexpr TAnchors operator|(TAnchors a, TAnchors b) { return static_cast<TAnchors>(uint8_t(a) | uint8_t(b)); }
constexpr TAnchors operator&(TAnchors a, TAnchors b) { return static_cast<TAnchors>(uint8_t(a) & uint8_t(b)); }
constexpr TAnchors AnchorBit(TAnchorKind k) { return static_cast<TAnchors>(1u << k); }
constexpr TAnchors akDefault = static_cast<TAnchors>((1u << akLeft) | (1u << akTop));
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
using TImeName = AnsiString;

TESK_ENUM_INFO(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
TESK_ENUM_INFO(TAnchorKind, akLeft, akTop, akRight, akBottom)
TESK_SET_INFO(TAnchors, TAnchorKind)
TESK_ENUM_INFO(TMouseButton, mbLeft, mbRight, mbMiddle)
TESK_ENUM_INFO(TDragMode, dmManual, dmAutomatic)
TESK_ENUM_INFO(TDragKind, dkDrag, dkDock)
TESK_ENUM_INFO(TBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
TESK_ENUM_INFO(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
TESK_ENUM_INFO(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
               imChinese, imSHanguel, imHanguel)

// What a control class is (ControlStyle) and what it is doing (ControlState).
using TControlStyle = uint32_t;
enum : TControlStyle {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csDesignInteractive = 1u << 2,
    csClickEvents = 1u << 3,
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,
    csOpaque = 1u << 6,
    csDoubleClicks = 1u << 7,
    csFixedWidth = 1u << 8,
    csFixedHeight = 1u << 9,
    csNoDesignVisible = 1u << 10,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csDisplayDragImage = 1u << 13,
    csReflector = 1u << 14,
    csActionClient = 1u << 15,
    csMenuEvents = 1u << 16,
};
using TControlState = uint32_t;
enum : TControlState {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csPalette = 1u << 2,
    csReadingState = 1u << 3,
    csAlignmentNeeded = 1u << 4,
    csFocusing = 1u << 5,
    csCreating = 1u << 6,
    csPaintCopy = 1u << 7,
    csCustomPaint = 1u << 8,
    csDestroyingHandle = 1u << 9,
    csDocking = 1u << 10,
};

using TMouseEvent = Delegate<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = Delegate<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = Delegate<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = Delegate<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent =
    Delegate<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = Delegate<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = Delegate<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TDragOverEvent = Delegate<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = Delegate<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = Delegate<void(TObject* Sender, TObject* Target, int X, int Y)>;
// A drag or dock about to start; the handler may give its own drag object.
using TStartDragEvent = Delegate<void(TObject* Sender, TObject*& DragObject)>;
using TCanResizeEvent = Delegate<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;

// Shift states of messages.
TShiftState KeysToShiftState(WORD Keys);          // MK_ flags (+ Alt from the keyboard)
TShiftState KeyDataToShiftState(LPARAM KeyData);  // key messages
TShiftState KeyboardStateToShiftState();          // the keyboard now

// Limits on a control's size; 0 means none.
class TSizeConstraints : public TPersistent {
    TESK_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl*) {}
    void Assign(TPersistent* Source) override;
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int Value);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int Value);
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int Value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int Value);
    TNotifyEvent OnChange;
    // Brings a width and height within the limits.
    void Apply(int& Width, int& Height) const;

private:
    void Change();
    int maxHeight_ = 0, maxWidth_ = 0, minHeight_ = 0, minWidth_ = 0;
};

// A canvas on a control: on its window's pixels (a TGraphicControl's part of
// its parent's), or on the paint pass while the control paints.
class TControlCanvas : public TCanvas {
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    const char* ClassName() const override { return "TControlCanvas"; }
    TControl* Control() const { return control_; }
    void SetControl(TControl* Value);
    // Gives back a context taken from the window.
    void FreeHandle();
    void UpdateTextFlags();
    HWND WindowHandle() const { return windowHandle_; }

protected:
    void CreateHandle() override;

private:
    TControl* control_ = nullptr;
    HDC deviceContext_ = nullptr;
    HWND windowHandle_ = nullptr;
};

class TControl : public TComponent {
    TESK_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    void BeforeDestruction() override;

    // The message entry: assignable and comparable, so that a hook can put
    // itself in front and later give back what it found.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle Value) { controlStyle_ = Value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState Value) { controlState_ = Value; }

    // Geometry, in the parent's client coordinates.
    int Left() const { return left_; }
    void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
    int Top() const { return top_; }
    void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
    int Width() const { return width_; }
    void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
    int Height() const { return height_; }
    void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return TRect(left_, top_, left_ + width_, top_ + height_); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    TRect ClientRect() { return GetClientRect(); }
    int ClientWidth() { return ClientRect().Right; }
    void SetClientWidth(int Value);
    int ClientHeight() { return ClientRect().Bottom; }
    void SetClientHeight(int Value);
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(TPoint Point);
    TPoint ScreenToClient(TPoint Point);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign Value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors Value);
    TSizeConstraints* Constraints() const { return constraints_; }
    void SetConstraints(TSizeConstraints* Value) { constraints_->Assign(Value); }

    // Appearance.
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool Value);
    void Show();
    void Hide();
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool Value);
    TFont* Font() const { return font_; }
    void SetFont(TFont* Value) { font_->Assign(Value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool Value);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool Value);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool Value);
    // The reading order is kept as set and follows the parent's, but the
    // right-to-left uses answer no: they need a Middle East system, which we never run on.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode Value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool Value);
    bool UseRightToLeftAlignment() const { return false; }
    bool UseRightToLeftReading() const { return false; }
    bool UseRightToLeftScrollBar() const { return false; }
    // The control's text: a window's text for windowed controls.
    AnsiString Caption() { return GetText(); }
    void SetCaption(const AnsiString& Value) { SetText(Value); }
    AnsiString Text() { return GetText(); }
    void SetText(const AnsiString& Value);
    virtual AnsiString GetText();

    // Hints, menus, cursor, dragging.
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value) { hint_ = Value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool Value);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* Value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode Value) { dragMode_ = Value; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
    // Docking is not offered: a control of kind dkDock drags as any other.
    TDragKind DragKind() const { return dragKind_; }
    void SetDragKind(TDragKind Value) { dragKind_ = Value; }
    // In-process dragging: the control follows the mouse under capture and
    // asks the controls it passes over (DragOver); a drop calls DragDrop.
    void BeginDrag(bool Immediate, int Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const;
    virtual void DragDrop(TObject* Source, int X, int Y);
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    virtual TPopupMenu* GetPopupMenu() { return popupMenu_; }
    bool MouseCapture();
    void SetMouseCapture(bool Value);

    // Painting.
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();
    bool IsRightToLeft() const { return false; }

    virtual void Click();
    virtual void DblClick();
    // Sets the control's size without asking the alignment (framework: ChangeScale at M = D is nothing).
    virtual void ChangeScale(int M, int D);
    void Loaded() override;
    // A form definition encloses a control in its parent.
    void SetParentComponent(TComponent* Value) override;
    TComponent* GetParentComponent() const override;
    // The form (or the top-most parent) holding the control.
    TWinControl* TopParent();
    bool HasParent() const override { return parent_ != nullptr; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TCanResizeEvent OnCanResize;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;
    TStartDragEvent OnStartDock;
    TEndDragEvent OnEndDock;

    // Message handlers; each may be overridden (call the base one for "inherited").
    virtual void WMLButtonDown(TMessage& Message);
    virtual void WMLButtonDblClk(TMessage& Message);
    virtual void WMLButtonUp(TMessage& Message);
    virtual void WMRButtonDown(TMessage& Message);
    virtual void WMRButtonDblClk(TMessage& Message);
    virtual void WMRButtonUp(TMessage& Message);
    virtual void WMMButtonDown(TMessage& Message);
    virtual void WMMButtonDblClk(TMessage& Message);
    virtual void WMMButtonUp(TMessage& Message);
    virtual void WMMouseMove(TMessage& Message);
    virtual void WMMouseWheel(TMessage& Message);
    virtual void WMCancelMode(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    virtual void WMWindowPosChanged(TMessage& Message);
    virtual void CMMouseWheel(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentShowHintChanged(TMessage& Message);
    virtual void CMHitTest(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMHintShow(TMessage& Message);
    virtual void CMSysColorChange(TMessage& Message);
    virtual void CMTextChanged(TMessage& Message);

protected:
    virtual TRect GetClientRect();
    virtual void SetTextBuf(const AnsiString& Value);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    virtual void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    virtual void DoMouseUp(TMessage& Message, TMouseButton Button);
    virtual void VisibleChanging() {}
    virtual void SetZOrder(bool TopMost);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Tells the parent to lay out its children again.
    void RequestAlign();
    void UpdateAnchorRules();
    // Sets the fields only (the window has already moved).
    void UpdateBoundsFields(int ALeft, int ATop, int AWidth, int AHeight);
    virtual void MouseWheelHandler(TMessage& Message);
    void SendCancelMode(TControl* Sender);
    virtual void FontChanged(TObject* Sender);
    void ParentFontOrColorChanged();

    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState controlState_ = 0;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    AnsiString text_;
    // Distances kept by the anchors: to the parent's right and bottom edges.
    int anchorRight_ = 0, anchorBottom_ = 0;
    bool anchorsValid_ = false;

private:
    friend class TWinControl;
    friend class TSizeConstraints;
    void ConstraintsChanged(TObject* Sender);
    TWinControl* parent_ = nullptr;
    TAlign align_ = alNone;
    TAnchors anchors_ = akDefault;
    TSizeConstraints* constraints_;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TFont* font_;
    bool parentFont_ = true;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    AnsiString hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TPopupMenu* popupMenu_ = nullptr;
    TCursor cursor_ = crDefault;
    TDragMode dragMode_ = dmManual;
    TDragKind dragKind_ = dkDrag;
    TCursor dragCursor_ = crDrag;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    bool updatingParentFont_ = false;
};

class TWinControl : public TControl {
    TESK_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    // The window's entry: runs WindowProc with exceptions handed to the application.
    void MainWndProc(TMessage& Message);

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // A parent window that is not a control (a popup's owner); nullptr when none.
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND Value);
    void RecreateWnd();
    bool Showing() const { return showing_; }

    // Every child: the graphic controls first, then the windowed ones.
    int ControlCount() const { return static_cast<int>(controls_.size() + winControls_.size()); }
    TControl* Controls(int Index) const {
        size_t i = static_cast<size_t>(Index);
        return i < controls_.size() ? controls_.at(i) : winControls_.at(i - controls_.size());
    }
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(TControl* Control);
    // The child under a point of the client area (graphic controls only unless AllowWinControls).
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false);
    void Broadcast(TMessage& Message);
    void NotifyControls(UINT Msg);
    TBrush* Brush() const { return brush_; }
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool Value) { doubleBuffered_ = Value; }
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode Value) { imeMode_ = Value; }
    const TImeName& ImeName() const { return imeName_; }
    void SetImeName(const TImeName& Value) { imeName_ = Value; }

    // Focus and tab order.
    bool Focused();
    virtual bool CanFocus();
    virtual void SetFocus();
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool Value);
    int TabOrder();
    void SetTabOrder(int Value);
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // Alignment of the children.
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return alignLevel_ > 0; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;
    void SetEnabled(bool Value) override;
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    TPoint ClientOrigin() override;
    AnsiString GetText() override;
    void PaintTo(HDC DC, int X, int Y);

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Message handlers.
    virtual void WMPaint(TMessage& Message);
    virtual void WMEraseBkgnd(TMessage& Message);
    virtual void WMSize(TMessage& Message);
    virtual void WMMove(TMessage& Message);
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    virtual void WMKeyDown(TMessage& Message);
    virtual void WMSysKeyDown(TMessage& Message);
    virtual void WMKeyUp(TMessage& Message);
    virtual void WMSysKeyUp(TMessage& Message);
    virtual void WMChar(TMessage& Message);
    virtual void WMSysChar(TMessage& Message);
    virtual void WMSetCursor(TMessage& Message);
    virtual void WMCommand(TMessage& Message);
    virtual void WMHScroll(TMessage& Message);
    virtual void WMVScroll(TMessage& Message);
    virtual void WMNCHitTest(TMessage& Message);
    virtual void WMMouseLeave(TMessage& Message);
    virtual void WMCancelMode(TMessage& Message) override;
    virtual void CNKeyDown(TMessage& Message);
    virtual void CNKeyUp(TMessage& Message);
    virtual void CNChar(TMessage& Message);
    virtual void CNSysKeyDown(TMessage& Message);
    virtual void CNSysChar(TMessage& Message);
    virtual void CMEnter(TMessage& Message);
    virtual void CMExit(TMessage& Message);
    virtual void CMDialogKey(TMessage& Message);
    virtual void CMDialogChar(TMessage& Message);
    virtual void CMFocusChanged(TMessage& Message);
    virtual void CMShowingChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message) override;
    virtual void CMEnabledChanged(TMessage& Message) override;
    virtual void CMColorChanged(TMessage& Message) override;
    virtual void CMFontChanged(TMessage& Message) override;
    virtual void CMRecreateWnd(TMessage& Message);
    virtual void CMChildKey(TMessage& Message);
    virtual void CMCursorChanged(TMessage& Message);

protected:
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    virtual void CreateHandle();
    virtual void DestroyHandle();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);
    TRect GetClientRect() override;
    void SetTextBuf(const AnsiString& Value) override;
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& Message);
    void PaintControls(HDC DC, TControl* First);
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    bool DoKeyDown(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    virtual void DoEnter();
    virtual void DoExit();
    virtual bool IsMenuKey(TMessage& Message);
    // The control under a mouse message; returns true when a graphic child took it.
    bool IsControlMouseMsg(TMessage& Message);
    void UpdateShowing();
    void UpdateControlState();
    void UpdateBounds();
    void SetZOrder(bool TopMost) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    virtual void ShowControl(TControl* AControl);
    // The window procedure the handle was made with (TWinControl::MainWndProc).
    TWndMethod DefWndProc;
    // For a CreateWindowHandle that makes its window itself (a wrapped native widget).
    void SetWindowHandle(HWND Value) { handle_ = Value; }

private:
    friend class TControl;
    friend class TCustomForm;
    void Insert(TControl* AControl);
    void Remove(TControl* AControl);
    void DoAlign(TAlign AAlign, TControl* AControl, TRect& Rect);
    HWND handle_ = nullptr;
    HWND parentWindow_ = nullptr;
    std::vector<TControl*> controls_;    // children in z-order: graphic controls
    std::vector<TControl*> winControls_; // and windowed ones
    std::vector<TWinControl*> tabList_;
    TBrush* brush_;
    bool tabStop_ = false;
    bool showing_ = false;
    int alignLevel_ = 0;
    bool doubleBuffered_ = false;
    TImeMode imeMode_ = imDontCare;
    TImeName imeName_;
    TSize lastClientSize_{-1, -1};
};

class TCustomControl : public TWinControl {
    TESK_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return canvas_; }
    void WMPaint(TMessage& Message) override;

protected:
    virtual void Paint();
    void PaintWindow(HDC DC) override;

private:
    TCanvas* canvas_;
};

class TGraphicControl : public TControl {
    TESK_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return canvas_; }
    void Dispatch(TMessage& Message) override;
    virtual void WMPaint(TMessage& Message);

protected:
    virtual void Paint();

private:
    TCanvas* canvas_;
};

// The form holding a control (the top of its parent chain when that is a form), or nullptr.
TCustomForm* GetParentForm(TControl* Control);
// Raises EInvalidOperation "Control '<name>' has no parent window" when there is none.
TCustomForm* ValidParentForm(TControl* Control);
// The control behind a window handle, or nullptr.
TWinControl* FindControl(HWND Handle);
// The control the mouse is over and the one that has the capture.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
// Gives back every window context the canvases hold (before painting, when idle).
void FreeDeviceContexts();

// Hooks a menu module provides, so that controls can ask their popup menu
// about shortcuts and show it without knowing the menu classes.
struct TPopupMenuHooks {
    bool (*IsShortCut)(TPopupMenu* Menu, TMessage& Message) = nullptr;
    bool (*AutoPopup)(TPopupMenu* Menu) = nullptr;
    void (*Popup)(TPopupMenu* Menu, TControl* Component, int X, int Y) = nullptr;
    TComponent* (*AsComponent)(TPopupMenu* Menu) = nullptr;
};
void SetPopupMenuHooks(const TPopupMenuHooks& Hooks);
const TPopupMenuHooks& PopupMenuHooks();

// The mouse as the controls see it.
class TMouse {
public:
    TPoint CursorPos();
    void SetCursorPos(TPoint Value);
    bool DragImmediate() const { return dragImmediate_; }
    void SetDragImmediate(bool Value) { dragImmediate_ = Value; }
    int DragThreshold() const { return dragThreshold_; }
    void SetDragThreshold(int Value) { dragThreshold_ = Value; }
    bool WheelPresent() const { return true; }
    int WheelScrollLines() const { return 3; }
    HWND Capture() { return GetCapture(); }
    void SetCapture(HWND Value);

private:
    bool dragImmediate_ = true;
    int dragThreshold_ = 5;
};
extern TMouse* Mouse;
