#pragma once
// Forms, the application object with its message loop, the screen and hint
// windows.
//
// A form is created by Application->CreateForm (the first becomes the main
// form) or by CreateForm<T>(Owner); either way OnCreate fires once the object
// is complete. Show makes it visible (OnShow first, on every show), ShowModal
// runs a nested loop until ModalResult is set, Close asks OnCloseQuery and
// then hides it (or ends the program for the main form).
#include <map>
#include <vector>

#include "platform/gui/Controls.h"

class TMonitor;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
// A set of border icons: bit n is element n.
enum TBorderIcons : uint8_t {};
constexpr TBorderIcons operator|(TBorderIcons a, TBorderIcons b) {
    return static_cast<TBorderIcons>(uint8_t(a) | uint8_t(b));
}
constexpr TBorderIcons BorderIconBit(TBorderIcon b) { return static_cast<TBorderIcons>(1u << b); }
enum TShowAction { saIgnore, saRestore, saMinimize, saMaximize };

TESK_ENUM_INFO(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
TESK_ENUM_INFO(TWindowState, wsNormal, wsMinimized, wsMaximized)
TESK_ENUM_INFO(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
               poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
TESK_ENUM_INFO(TCloseAction, caNone, caHide, caFree, caMinimize)
TESK_ENUM_INFO(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
TESK_SET_INFO(TBorderIcons, TBorderIcon)

// Modal results.
using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = IDOK,
    mrCancel = IDCANCEL,
    mrAbort = IDABORT,
    mrRetry = IDRETRY,
    mrIgnore = IDIGNORE,
    mrYes = IDYES,
    mrNo = IDNO,
    mrAll = mrNo + 1,
    mrNoToAll = mrAll + 1,
    mrYesToAll = mrNoToAll + 1,
};

using TCloseEvent = Delegate<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = Delegate<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = Delegate<void(TMessage& Msg, bool& Handled)>;
using TMessageEvent = Delegate<void(TMsg& Msg, bool& Handled)>;
using TExceptionEvent = Delegate<void(TObject* Sender, Exception* E)>;
using TIdleEvent = Delegate<void(TObject* Sender, bool& Done)>;

class TCustomForm : public TWinControl {
    TESK_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    void BeforeDestruction() override;
    // Runs OnCreate; CreateForm calls it once the object is complete.
    virtual void AfterConstruction();

    void Show();
    int ShowModal();
    void Hide();
    void SetVisible(bool Value) override;
    void Close();
    virtual bool CloseQuery();
    // Frees the form after the message being handled (posts CM_RELEASE).
    void Release();
    void SetFocus() override;
    void FocusControl(TWinControl* Control);
    bool SetFocusedControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);
    virtual bool IsShortCut(TMessage& Message);
    // Shortcut handlers (menus, action lists) of the form, asked in order by IsShortCut.
    void AddShortCutHandler(Delegate<bool(TMessage&)> Handler);
    void RemoveShortCutHandler(Delegate<bool(TMessage&)> Handler);
    void MouseWheelHandler(TMessage& Message) override;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* Control);
    TWinControl* FocusedControl() const { return focusedControl_; }
    bool Active() const { return active_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult Value) { modalResult_ = Value; }
    bool Modal() const { return modal_; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool Value) { keyPreview_ = Value; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle Value);
    TWindowState WindowState();
    void SetWindowState(TWindowState Value);
    // The stored value only; applied at the next show.
    void SetWindowStateField(TWindowState Value) { windowState_ = Value; }
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value) { pixelsPerInch_ = Value; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool Value) { scaled_ = Value; }
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool Value) { autoScroll_ = Value; }
    TComponent* Menu() const { return menu_; }
    // The main menu; its bar takes the top of the window above the client area.
    void SetMenu(TComponent* Value);
    AnsiString HelpFile;
    bool OldCreateOrder = false;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void WMActivate(TMessage& Message);
    void WMClose(TMessage& Message);
    virtual void WMGetMinMaxInfo(TMessage& Message);
    void WMSysCommand(TMessage& Message);
    void CMActivate(TMessage& Message);
    void CMDeactivate(TMessage& Message);
    void CMDialogKey(TMessage& Message) override;
    void CMShowingChanged(TMessage& Message) override;
    void CMRelease(TMessage& Message);
    void WMPaint(TMessage& Message) override;
    void WMNCCalcSize(TMessage& Message);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();
    void PaintWindow(HDC DC) override;
    void SetActive(bool Value);
    void SetWindowFocus();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void UpdateWindowStateField();

private:
    friend class TApplication;
    void ApplyPosition();
    TControlCanvas* canvas_;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool keyPreview_ = false;
    TPosition position_ = poDesigned;
    bool positioned_ = false;
    TBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = BorderIconBit(biSystemMenu) | BorderIconBit(biMinimize) | BorderIconBit(biMaximize);
    TFormStyle formStyle_ = fsNormal;
    TWindowState windowState_ = wsNormal;
    int pixelsPerInch_ = 96;
    bool scaled_ = true;
    bool autoScroll_ = false;
    TComponent* menu_ = nullptr;
    bool created_ = false;
    bool destroyed_ = false;
    bool pendingVisible_ = false;
    std::vector<Delegate<bool(TMessage&)>> shortCutHandlers_;

public:
    TCanvas* Canvas() const { return canvas_; }
};

class TForm : public TCustomForm {
    TESK_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// What the menu module provides for a form's main menu: PlaceBar puts the bar
// along the top of the window's frame rectangle (frame coordinates) and answers
// the height it takes from the client area (0 for none).
struct TMainMenuHooks {
    int (*PlaceBar)(TCustomForm* Form, const TRect& Frame) = nullptr;
};
void SetMainMenuHooks(const TMainMenuHooks& Hooks);

// Creates a form and completes it (OnCreate) in one step.
template <class T>
T* CreateForm(TComponent* Owner) {
    T* form = new T(Owner);
    form->AfterConstruction();
    return form;
}

// ---- Hints ----

class THintWindow;
using THintWindowClass = THintWindow* (*)(TComponent* Owner);

struct THintInfo {
    TControl* HintControl = nullptr;
    THintWindowClass HintWindowClass = nullptr;
    TPoint HintPos;       // screen coordinates
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;     // in the control's coordinates; leaving it hides the hint
    TPoint CursorPos;     // in the control's coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    AnsiString HintStr;
    void* HintData = nullptr;
};
using TShowHintEvent = Delegate<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The small window that shows a hint; shown without taking the activation.
class THintWindow : public TCustomControl {
    TESK_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);
    virtual void ActivateHint(TRect Rect, const AnsiString& AHint);
    virtual void ActivateHintData(TRect Rect, const AnsiString& AHint, void* AData);
    virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
    virtual bool IsHintMsg(TMsg& Msg);
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void WMNCHitTest(TMessage& Message) override;
};

// ---- Application ----

class TApplication : public TComponent {
    TESK_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize() {}
    // Creates a form owned by the application; the first one is the main form.
    template <class T>
    void CreateForm(T*& Reference) {
        T* form = new T(this);
        Reference = form;
        if (!mainForm_) mainForm_ = form;
        form->AfterConstruction();
    }
    void Run();
    void ProcessMessages();
    // Waits for and handles one message (or idles).
    void HandleMessage();
    // Handles one message from the queue or the native loop; false when none was waiting.
    bool ProcessMessage(TMsg& Msg);
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Called inside a catch block: EAbort is silent, others go to OnException
    // or to ShowException.
    void HandleException(TObject* Sender);
    void ShowException(Exception* E);
    int MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags);
    void Minimize();
    void Restore();
    void BringToFront();

    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* Form) { mainForm_ = Form; }
    const AnsiString& Title() const { return title_; }
    void SetTitle(const AnsiString& Value) { title_ = Value; }
    AnsiString ExeName() const;
    // The hidden application window; IsIconic(Handle()) answers for the main form.
    HWND Handle();
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool Value) { showMainForm_ = Value; }
    bool Active() const { return GetActiveWindow() != nullptr; }

    // Hints.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value);
    int HintPause() const { return hintPause_; }
    void SetHintPause(int Value) { hintPause_ = Value; }
    int HintShortPause() const { return hintShortPause_; }
    void SetHintShortPause(int Value) { hintShortPause_ = Value; }
    int HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(int Value) { hintHidePause_ = Value; }
    TColor HintColor() const { return hintColor_; }
    void SetHintColor(TColor Value) { hintColor_ = Value; }
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value);
    void ActivateHint(TPoint CursorPos);
    void CancelHint();
    void HideHint();
    void HintMouseMessage(TControl* Control, TMessage& Message);
    THintWindow* HintWindow() const { return hintWindow_; }
    // The hint window class used when a control does not choose its own.
    THintWindowClass HintWindowClass = nullptr;

    // Called by every control as it is destroyed.
    void ControlDestroyed(TControl* Control);
    // Mouse enter/leave tracking: the control the mouse is over now.
    void MouseOver(TControl* Control);
    TControl* MouseControl() const { return mouseControl_; }

    TMessageEvent OnMessage;
    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnHint;
    TShowHintEvent OnShowHint;
    // Run before OnIdle each time the loop idles (actions update their state here).
    std::vector<Delegate<void()>> IdleHandlers;

protected:
    void Idle();
    bool IsKeyMsg(TMsg& Msg);
    bool IsDlgMsg(TMsg& Msg);
    bool IsHintMsg(TMsg& Msg);
    void WndProc(TMessage& Message);

private:
    bool ProcessMsg(TMsg& Msg);
    void HintTimerExpired();
    void StartHintTimer(int Value, int Kind);
    void StopHintTimer();
    TCustomForm* mainForm_ = nullptr;
    AnsiString title_ = "Tesk";
    HWND handle_ = nullptr;
    bool terminated_ = false;
    bool showMainForm_ = true;
    bool showHint_ = true;
    int hintPause_ = 500;
    int hintShortPause_ = 50;
    int hintHidePause_ = 2500;
    TColor hintColor_ = clInfoBk;
    AnsiString hint_;
    THintWindow* hintWindow_ = nullptr;
    TControl* hintControl_ = nullptr;
    TRect hintCursorRect_;
    bool hintActive_ = false;
    int hintTimerKind_ = 0;  // 0 none, 1 show, 2 hide
    TControl* mouseControl_ = nullptr;
    int handleMessageDepth_ = 0;
};

// ---- Screen ----

class TMonitor : public TObject {
public:
    TMonitor(int Index) : index_(Index) {}
    int MonitorNum() const { return index_; }
    TRect BoundsRect() const;
    TRect WorkareaRect() const;
    bool Primary() const;
    int Left() const { return BoundsRect().Left; }
    int Top() const { return BoundsRect().Top; }
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }

private:
    int index_;
};

class TScreen : public TComponent {
    TESK_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    // Cursors by id: the standard ones and any registered by the program.
    HCURSOR Cursors(TCursor Index);
    void SetCursors(TCursor Index, HCURSOR Handle);
    // A cursor for the whole program (crDefault: each control's own).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);

    TCustomForm* ActiveCustomForm() const { return activeCustomForm_; }
    TCustomForm* ActiveForm() const { return activeCustomForm_; }
    TWinControl* ActiveControl() const { return activeControl_; }
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int Index) const { return forms_.at(static_cast<size_t>(Index)); }
    int CustomFormCount() const { return FormCount(); }
    TCustomForm* CustomForms(int Index) const { return Forms(Index); }
    int PixelsPerInch() const { return 96; }
    int Width();
    int Height();
    TRect WorkAreaRect();
    int WorkAreaLeft() { return WorkAreaRect().Left; }
    int WorkAreaTop() { return WorkAreaRect().Top; }
    int WorkAreaWidth() { return WorkAreaRect().Width(); }
    int WorkAreaHeight() { return WorkAreaRect().Height(); }
    int MonitorCount();
    TMonitor* Monitors(int Index);
    TMonitor* MonitorFromRect(const TRect& Rect);
    TMonitor* MonitorFromPoint(TPoint Point);
    TMonitor* MonitorFromWindow(HWND Wnd);
    const AnsiString& DefaultIme() const { return defaultIme_; }
    TFont* HintFont() const { return hintFont_; }
    TFont* MenuFont() const { return menuFont_; }
    TFont* IconFont() const { return iconFont_; }
    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

private:
    friend class TCustomForm;
    friend class TApplication;
    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void SetActiveForm(TCustomForm* Form);
    void SetActiveControl(TWinControl* Control);
    TCursor cursor_ = crDefault;
    int cursorCount_ = 0;
    std::map<TCursor, HCURSOR> cursors_;
    TCustomForm* activeCustomForm_ = nullptr;
    TCustomForm* focusedForm_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    std::vector<TCustomForm*> forms_;
    std::vector<TMonitor*> monitors_;
    AnsiString defaultIme_;
    TFont* hintFont_;
    TFont* menuFont_;
    TFont* iconFont_;
};

extern TApplication* Application;
extern TScreen* Screen;

// Creates Application, Screen and Mouse once (after the native application exists).
void InitializeForms();
// Frees the forms and the application at the end of the program.
void DoneApplication();

// The first sentence of a hint ("short|long": the part before "|").
AnsiString GetShortHint(const AnsiString& Hint);
AnsiString GetLongHint(const AnsiString& Hint);
