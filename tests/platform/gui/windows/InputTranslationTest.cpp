// Native input to messages: keys (virtual key of the physical key, characters
// by the desktop's rules), dialog keys and Tab, double clicks, the wheel.
#include <gtest/gtest.h>

#include "platform/classes/ShortCuts.h"
#include "platform/gui/Input_p.h"
#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class InputTranslation : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        edit1 = Add("Edit1", 10, 10, 120, 24);
        edit2 = Add("Edit2", 10, 50, 120, 24);
        form->Show();
        Application->ProcessMessages();
        ASSERT_TRUE(edit1->Focused());
        edit1->Log.clear();
    }
    TLogControl* edit1 = nullptr;
    TLogControl* edit2 = nullptr;
};

struct TKeyCase {
    const char* Name;
    WORD Key;
    TShiftState Shift;
    const char* Text;      // what the layout typed (UTF-8)
    UINT Message;          // WM_KEYDOWN or WM_SYSKEYDOWN
    const char* Chars;     // code-page bytes that arrive as characters
};

TEST_F(InputTranslation, KeysWithModifiersBecomeKeyAndCharacterMessages) {
    const TKeyCase cases[] = {
        {"letter", 'A', 0, "a", WM_KEYDOWN, "a"},
        {"shifted letter", 'A', ssShift, "A", WM_KEYDOWN, "A"},
        {"ctrl letter", 'A', ssCtrl, "\x01", WM_KEYDOWN, "\x01"},
        {"ctrl letter without text", 'V', ssCtrl, "", WM_KEYDOWN, "\x16"},
        {"ctrl shift letter", 'Z', ssCtrl | ssShift, "\x1A", WM_KEYDOWN, "\x1A"},
        {"alt letter", 'F', ssAlt, "f", WM_SYSKEYDOWN, "f"},
        {"shifted digit", '1', ssShift, "!", WM_KEYDOWN, "!"},
        {"enter", VK_RETURN, 0, "\r", WM_KEYDOWN, "\r"},
        {"ctrl enter", VK_RETURN, ssCtrl, "\r", WM_KEYDOWN, "\n"},
        {"backspace", VK_BACK, 0, "\b", WM_KEYDOWN, "\b"},
        {"ctrl backspace", VK_BACK, ssCtrl, "", WM_KEYDOWN, "\x7F"},
        {"escape", VK_ESCAPE, 0, "\x1B", WM_KEYDOWN, "\x1B"},
        {"arrow", VK_LEFT, 0, "", WM_KEYDOWN, ""},
        {"shift arrow", VK_RIGHT, ssShift, "", WM_KEYDOWN, ""},
        {"function key", VK_F5, 0, "", WM_KEYDOWN, ""},
        {"alt function key", VK_F5, ssAlt, "", WM_SYSKEYDOWN, ""},
        {"F10 is a system key", VK_F10, 0, "", WM_SYSKEYDOWN, ""},
        {"keypad digit", VK_NUMPAD7, 0, "7", WM_KEYDOWN, "7"},
        {"cyrillic text", 'Q', 0, "\xD0\xB9", WM_KEYDOWN, "\xE9"},  // й in 1251
    };
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        edit1->KeyMessages.clear();
        edit1->Log.clear();
        SimulateKey(edit1->Handle(), c.Key, c.Shift, c.Text);
        // The modifier keys arrive too; find the key itself.
        auto it = std::find_if(edit1->KeyMessages.begin(), edit1->KeyMessages.end(),
                               [&](const TMessage& m) { return m.WParam == c.Key && m.Msg != WM_CHAR; });
        ASSERT_NE(it, edit1->KeyMessages.end());
        const TMessage& down = *it;
        EXPECT_EQ(down.Msg, c.Message);
        EXPECT_EQ(down.WParam, c.Key);
        EXPECT_EQ((down.LParam >> 29) & 1, (c.Shift & ssAlt) ? 1 : 0) << "Alt bit of the key data";
        EXPECT_EQ(edit1->Chars(), std::string(c.Chars));
        // The control's virtual sees the same key and the shift state.
        if (c.Message == WM_KEYDOWN) {
            std::string expected = "KeyDown " + std::to_string(c.Key) + " " + TLogControl::ShiftText(c.Shift);
            EXPECT_NE(std::find(edit1->Log.begin(), edit1->Log.end(), expected), edit1->Log.end()) << expected;
        }
    }
    // The tracked keyboard follows the keys: nothing is left held.
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    EXPECT_GE(GetKeyState(VK_MENU), 0);
}

TEST_F(InputTranslation, KeyStateDuringTheKeyAndLayoutIndependentShortcuts) {
    // Ctrl is down while its keys are handled, and up afterwards.
    std::vector<short> ctrlSeen;
    struct TWatch {
        std::vector<short>* Seen;
        void KeyDown(TObject*, WORD&, TShiftState) { Seen->push_back(GetKeyState(VK_CONTROL)); }
    } watch{&ctrlSeen};
    edit1->OnKeyDown = MakeEvent(&watch, &TWatch::KeyDown);
    SimulateKey(edit1->Handle(), 'C', ssCtrl, "\x03");
    ASSERT_EQ(ctrlSeen.size(), 2u);  // Ctrl itself, then C
    EXPECT_LT(ctrlSeen[1], 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);

    // Ctrl with the key that types "м" on a Russian layout is Ctrl+V.
    edit1->KeyMessages.clear();
    SimulateTyping(edit1->Handle(), "\xD0\xBC", ssCtrl);
    SimulateKeyUp(edit1->Handle(), VK_CONTROL);
    ASSERT_FALSE(edit1->KeyMessages.empty());
    EXPECT_EQ(edit1->KeyMessages.front().WParam, WPARAM('V'));
    EXPECT_EQ(edit1->Chars(), "\x16");
}

TEST(KeyTranslation, PhysicalKeyDecidesTheVirtualKey) {
    struct TCase {
        unsigned Scan;  // native (X11) key code, 0 when unknown
        int QtKey;
        int Expected;
    } cases[] = {
        {55, 0x41C, 'V'},         // the V key on a Russian layout
        {10, 0x21, '1'},  // Shift+1 types "!"
        {0, 0x21, '1'},   // no scan code: the US layout decides
        {20, 0x2D, VK_OEM_MINUS},
        {0, 0x42F, 'Z'},           // Я without a scan code
        {0, 0x01000012, VK_LEFT},
        {0, 0x01000030 + 4, VK_F5},
        {50, 0x01000020, VK_SHIFT},
    };
    for (const TCase& c : cases) {
        TKeyTranslation t = TranslateKey(c.Scan, c.QtKey, false);
        EXPECT_EQ(t.VirtKey, c.Expected) << "scan " << c.Scan << " key " << c.QtKey;
    }
    EXPECT_EQ(TranslateKey(50, 0x01000020, false).SideKey, VK_LSHIFT);
    EXPECT_EQ(TranslateKey(62, 0x01000020, false).SideKey, VK_RSHIFT);
    EXPECT_TRUE(TranslateKey(0, 0x01000012, false).Extended);
    EXPECT_EQ(TranslateKey(0, '7', true).VirtKey, VK_NUMPAD7);
}

TEST_F(InputTranslation, TabMovesFocusAndDialogKeysReachTheForm) {
    SimulateKey(edit1->Handle(), VK_TAB, 0, "\t");
    EXPECT_TRUE(edit2->Focused());
    EXPECT_EQ(form->ActiveControl(), edit2);
    EXPECT_EQ(Screen->ActiveControl(), edit2);
    // The Tab itself is not delivered, and the focus messages name the other window.
    EXPECT_TRUE(edit1->KeyMessages.empty());
    EXPECT_TRUE(edit2->KeyMessages.empty());
    // The window loses the focus first; the form then moves the control focus.
    EXPECT_EQ(edit1->Log, (std::vector<std::string>{"KillFocus to Edit2", "Exit"}));
    EXPECT_EQ(edit2->Log, (std::vector<std::string>{"Enter", "SetFocus from Edit1"}));

    SimulateKey(edit2->Handle(), VK_TAB, ssShift, "");
    EXPECT_TRUE(edit1->Focused());

    // Tab skips controls that cannot take the focus and wraps around.
    edit2->SetEnabled(false);
    SimulateKey(edit1->Handle(), VK_TAB, 0, "\t");
    EXPECT_TRUE(edit1->Focused());
    edit2->SetEnabled(true);

    // A control that wants Tab gets it as a key and a character.
    TLogControl* memo = Add("Memo", 10, 90, 120, 60, DLGC_WANTTAB | DLGC_WANTCHARS);
    memo->SetFocus();
    EXPECT_TRUE(memo->Focused());
    SimulateKey(memo->Handle(), VK_TAB, 0, "\t");
    EXPECT_TRUE(memo->Focused());
    EXPECT_EQ(memo->Chars(), "\t");
}

// Answers Enter as a form's default button does.
class TDefaultButton : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Presses = 0;
    void Dispatch(TMessage& m) override {
        if (m.Msg == CM_DIALOGKEY && m.WParam == VK_RETURN) {
            ++Presses;
            m.Result = 1;
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

TEST_F(InputTranslation, EnterReachesTheDefaultButtonUnlessTheControlWantsIt) {
    auto* button = Add<TDefaultButton>("OK", 200, 10, 75, 25);
    SimulateKey(edit1->Handle(), VK_RETURN, 0, "\r");
    EXPECT_EQ(button->Presses, 1);
    EXPECT_TRUE(edit1->KeyMessages.empty());

    TLogControl* memo = Add("Memo", 10, 90, 120, 60, DLGC_WANTALLKEYS | DLGC_WANTCHARS);
    memo->SetFocus();
    SimulateKey(memo->Handle(), VK_RETURN, 0, "\r");
    EXPECT_EQ(button->Presses, 1);
    EXPECT_EQ(memo->Chars(), "\r");
}

TEST_F(InputTranslation, DoubleClickGivesDblClickThenAPressWithDouble) {
    SimulateDoubleClick(edit2->Handle(), 5, 6);
    // Click comes before MouseUp; the second release makes no click.
    EXPECT_EQ(edit2->Log, (std::vector<std::string>{"MouseDown 0 L 5,6", "Click", "MouseUp 0", "DblClick",
                                                    "MouseDown 0 LD 5,6", "MouseUp 0"}));

    // Too slow, or too far apart: two single clicks.
    edit2->Log.clear();
    SimulateClick(edit2->Handle(), 5, 6);
    tick += GetDoubleClickTime() + 1;
    SimulateClick(edit2->Handle(), 5, 6);
    SimulateClick(edit2->Handle(), 5 + GetSystemMetrics(SM_CXDOUBLECLK), 6);
    EXPECT_EQ(std::count(edit2->Log.begin(), edit2->Log.end(), "DblClick"), 0);
    EXPECT_EQ(std::count(edit2->Log.begin(), edit2->Log.end(), "Click"), 3);
}

TEST_F(InputTranslation, WheelRewrittenByOnMessageReachesTheFocusedControlAsAnArrow) {
    struct TRewrite {
        std::vector<UINT> Seen;
        void OnMessage(TMsg& Msg, bool& Handled) {
            Seen.push_back(Msg.message);
            if (Msg.message != WM_MOUSEWHEEL) return;
            int delta = GET_WHEEL_DELTA_WPARAM(Msg.wParam);
            Msg.message = WM_KEYDOWN;
            Msg.wParam = delta > 0 ? VK_UP : VK_DOWN;
            Msg.lParam = 0;
            Handled = false;
        }
    } rewrite;
    Application->OnMessage = MakeEvent(&rewrite, &TRewrite::OnMessage);
    // Turned over the other control: the wheel belongs to the focused one.
    SimulateWheel(edit2->Handle(), -120, 5, 5);
    SimulateWheel(edit2->Handle(), 120, 5, 5);
    EXPECT_EQ(rewrite.Seen, (std::vector<UINT>{WM_MOUSEWHEEL, WM_MOUSEWHEEL}));
    ASSERT_EQ(edit1->KeyMessages.size(), 2u);
    EXPECT_EQ(edit1->KeyMessages[0].WParam, WPARAM(VK_DOWN));
    EXPECT_EQ(edit1->KeyMessages[1].WParam, WPARAM(VK_UP));
    EXPECT_TRUE(edit2->KeyMessages.empty());
}

TEST_F(InputTranslation, FormShortcutsComeBeforeTheFocusedControlsOwnKeys) {
    struct TAction {
        TShortCut Key;
        int Fired = 0;
        bool Handle(TMessage& m) {
            if (ShortCut(static_cast<WORD>(m.WParam), KeyDataToShiftState(m.LParam)) != Key) return false;
            ++Fired;
            return true;
        }
    } paste{ShortCut('V', ssCtrl)};
    auto handler = Delegate<bool(TMessage&)>(&paste, &TAction::Handle);
    form->AddShortCutHandler(handler);
    SimulateKey(edit1->Handle(), 'V', ssCtrl, "\x16");
    EXPECT_EQ(paste.Fired, 1);
    EXPECT_EQ(edit1->Chars(), "");  // neither the key nor its character reached the control
    SimulateKey(edit1->Handle(), 'V', 0, "v");
    EXPECT_EQ(paste.Fired, 1);
    EXPECT_EQ(edit1->Chars(), "v");
    form->RemoveShortCutHandler(handler);
    SimulateKey(edit1->Handle(), 'V', ssCtrl, "\x16");
    EXPECT_EQ(paste.Fired, 1);
    EXPECT_EQ(edit1->Chars(), "v\x16");
}

TEST_F(InputTranslation, OnMessageSeesInputFirstAndCanSwallowIt) {
    struct TSwallow {
        void OnMessage(TMsg& Msg, bool& Handled) { Handled = Msg.message == WM_KEYDOWN && Msg.wParam == 'X'; }
    } swallow;
    Application->OnMessage = MakeEvent(&swallow, &TSwallow::OnMessage);
    SimulateKey(edit1->Handle(), 'X', 0, "x");
    SimulateKey(edit1->Handle(), 'Y', 0, "y");
    EXPECT_EQ(edit1->Chars(), "y");
}

}  // namespace
