#pragma once
// Controls and fixtures shared by the window-system tests.
#include <string>
#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"
#include "platform/rtl/SysUtils.h"

// A control that writes down what reaches it: key and mouse virtuals and the
// raw key messages.
class TLogControl : public TCustomControl {
public:
    explicit TLogControl(TComponent* Owner, LRESULT DlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS)
        : TCustomControl(Owner), dlgCode_(DlgCode) {
        SetTabStop(true);
    }
    std::vector<std::string> Log;
    std::vector<TMessage> KeyMessages;

    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
            case WM_CHAR:
            case WM_SYSCHAR: KeyMessages.push_back(m); break;
            case WM_GETDLGCODE: m.Result = dlgCode_; return;
            case WM_SETFOCUS:
                Log.push_back("SetFocus from " + NameOf(reinterpret_cast<HWND>(m.WParam)));
                break;
            case WM_KILLFOCUS: Log.push_back("KillFocus to " + NameOf(reinterpret_cast<HWND>(m.WParam))); break;
            default: break;
        }
        TCustomControl::Dispatch(m);
    }
    // The characters that arrived as WM_CHAR (or WM_SYSCHAR).
    std::string Chars() const {
        std::string s;
        for (const TMessage& m : KeyMessages)
            if (m.Msg == WM_CHAR || m.Msg == WM_SYSCHAR) s += static_cast<char>(m.WParam);
        return s;
    }

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override {
        Log.push_back("KeyDown " + std::to_string(Key) + " " + ShiftText(Shift));
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(char& Key) override {
        Log.push_back("KeyPress " + std::to_string(static_cast<unsigned char>(Key)));
        TCustomControl::KeyPress(Key);
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        Log.push_back("MouseDown " + std::to_string(Button) + " " + ShiftText(Shift) + " " + std::to_string(X) + "," +
                      std::to_string(Y));
        TCustomControl::MouseDown(Button, Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        Log.push_back("MouseUp " + std::to_string(Button));
        TCustomControl::MouseUp(Button, Shift, X, Y);
    }
    void DblClick() override {
        Log.push_back("DblClick");
        TCustomControl::DblClick();
    }
    void Click() override {
        Log.push_back("Click");
        TCustomControl::Click();
    }
    void DoEnter() override {
        Log.push_back("Enter");
        TCustomControl::DoEnter();
    }
    void DoExit() override {
        Log.push_back("Exit");
        TCustomControl::DoExit();
    }

public:
    static std::string ShiftText(TShiftState s) {
        std::string t;
        if (s & ssShift) t += "S";
        if (s & ssAlt) t += "A";
        if (s & ssCtrl) t += "C";
        if (s & ssLeft) t += "L";
        if (s & ssRight) t += "R";
        if (s & ssMiddle) t += "M";
        if (s & ssDouble) t += "D";
        return t.empty() ? "-" : t;
    }
    static std::string NameOf(HWND h) {
        if (!h) return "none";
        TWinControl* c = FindControl(h);
        return c ? std::string(c->Name()) : std::string("?");
    }

private:
    LRESULT dlgCode_;
};

// A shown form; fake tick count, so double clicks and timers are up to the test.
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        tick = 1000000;
        SetTickSource([this] { return tick; });
        ResetDoubleClick();
        form = CreateForm<TForm>(nullptr);
        form->SetName("Form");
        form->SetBounds(50, 60, 400, 300);
    }
    void TearDown() override {
        Application->OnMessage = nullptr;
        FreeObject(form);
        Application->ProcessMessages();
        SetTickSource(nullptr);
    }
    template <class T = TLogControl, class... Args>
    T* Add(const char* name, int left, int top, int width, int height, Args... args) {
        T* c = new T(form, args...);
        c->SetName(name);
        c->SetParent(form);
        c->SetBounds(left, top, width, height);
        return c;
    }
    DWORD tick = 0;
    TForm* form = nullptr;
};
