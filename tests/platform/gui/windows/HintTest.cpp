// Hints: shown after the mouse rests, asked of the control with CM_HINTSHOW,
// hidden by a key, by time, or when the mouse leaves.
#include <gtest/gtest.h>

#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class THinted : public TLogControl {
public:
    using TLogControl::TLogControl;
    int Shows = 0;
    AnsiString Replace;
    int Pause = -1;
    TPoint LastCursorPos;
    void Dispatch(TMessage& m) override {
        if (m.Msg == CM_HINTSHOW) {
            ++Shows;
            auto* info = reinterpret_cast<THintInfo*>(m.LParam);
            LastCursorPos = info->CursorPos;
            if (!Replace.empty()) info->HintStr = Replace;
            m.Result = 0;
            return;
        }
        if (m.Msg == CM_HINTSHOWPAUSE && Pause >= 0) {
            *reinterpret_cast<int*>(m.LParam) = Pause;
            return;
        }
        TLogControl::Dispatch(m);
    }
};

class Hints : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        hinted = Add<THinted>("Hinted", 20, 20, 100, 30);
        hinted->SetShowHint(true);
        hinted->SetHint("Short|The long part");
        plain = Add("Plain", 20, 100, 100, 30);
        form->Show();
        Application->ProcessMessages();
    }
    bool HintVisible() {
        THintWindow* w = Application->HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
    }
    void Rest(DWORD ms) {
        tick += ms;
        Application->ProcessMessages();
    }
    THinted* hinted = nullptr;
    TLogControl* plain = nullptr;
};

TEST_F(Hints, ShownAfterThePauseWithTheShortPartAndTheFocusStays) {
    SimulateMouseMove(hinted->Handle(), 10, 12);
    Rest(Application->HintPause() - 20);
    EXPECT_FALSE(HintVisible());
    Rest(20);
    ASSERT_TRUE(HintVisible());
    EXPECT_EQ(hinted->Shows, 1);
    EXPECT_EQ(hinted->LastCursorPos, TPoint(10, 12));
    EXPECT_EQ(Application->HintWindow()->Caption(), "Short");
    EXPECT_TRUE(hinted->Focused());
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    // Below the cursor.
    TPoint cursor = hinted->ClientToScreen(TPoint(10, 12));
    EXPECT_GT(Application->HintWindow()->Top(), cursor.Y);

    // It goes away after the hide pause.
    Rest(Application->HintHidePause());
    EXPECT_FALSE(HintVisible());
}

TEST_F(Hints, TheControlMayRewriteTheHintAndAKeyHidesIt) {
    hinted->Replace = "Cut-off cell text";
    hinted->Pause = 0;
    SimulateMouseMove(hinted->Handle(), 5, 5);
    Rest(10);
    ASSERT_TRUE(HintVisible());
    EXPECT_EQ(Application->HintWindow()->Caption(), "Cut-off cell text");
    SimulateKey(hinted->Handle(), 'A', 0, "a");
    EXPECT_FALSE(HintVisible());
}

TEST_F(Hints, MovingToAControlWithoutHintsCancelsIt) {
    SimulateMouseMove(hinted->Handle(), 5, 5);
    Rest(Application->HintPause());
    ASSERT_TRUE(HintVisible());
    SimulateMouseMove(plain->Handle(), 5, 5);
    EXPECT_FALSE(HintVisible());
    Rest(Application->HintPause());
    EXPECT_FALSE(HintVisible());
    EXPECT_EQ(GetShortHint("a|b"), "a");
    EXPECT_EQ(GetLongHint("a|b"), "b");
    EXPECT_EQ(GetLongHint("only"), "only");
}

}  // namespace
