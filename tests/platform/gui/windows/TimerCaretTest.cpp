// Timers on the controllable tick count, and the caret's show/hide counting.
#include <gtest/gtest.h>

#include "platform/gui/Timers.h"
#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class TTicks : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> Ids;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_TIMER) {
            Ids.push_back(m.WParam);
            return;
        }
        if (m.Msg == WM_USER + 9) {
            KillTimer(Handle(), m.WParam);
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

using Timers = WindowTest;

TEST_F(Timers, WMTimerComesWhenDueOncePerPassAndStopsWithKillTimer) {
    auto* c = Add<TTicks>("Ticks", 0, 0, 10, 10);
    HWND h = c->Handle();
    ASSERT_EQ(SetTimer(h, 1, 60), 1u);
    ASSERT_EQ(SetTimer(h, 2, 200), 2u);
    Application->ProcessMessages();
    EXPECT_TRUE(c->Ids.empty());

    tick += 59;
    Application->ProcessMessages();
    EXPECT_TRUE(c->Ids.empty());
    tick += 1;
    Application->ProcessMessages();
    EXPECT_EQ(c->Ids, std::vector<WPARAM>{1});

    // Several periods late: still one message, not a burst.
    tick += 250;
    Application->ProcessMessages();
    EXPECT_EQ(c->Ids, (std::vector<WPARAM>{1, 1, 2}));

    // A tick already waiting is dropped with its timer: the message ahead of
    // it kills the timer.
    PostMessage(h, WM_USER + 9, 1, 0);
    tick += 60;
    Application->ProcessMessages();
    tick += 1000;
    Application->ProcessMessages();
    EXPECT_EQ(std::count(c->Ids.begin(), c->Ids.end(), 1u), 2);
    EXPECT_FALSE(KillTimer(h, 1));
    // Destroying the window ends its timers.
    FreeObject(c);
    tick += 1000;
    Application->ProcessMessages();
}

TEST_F(Timers, TTimerFiresWhileEnabledAndKeepsTheLoopGoingAfterAnError) {
    struct TCounter {
        int Count = 0;
        bool Fail = false;
        void Tick(TObject*) {
            ++Count;
            if (Fail) throw Exception("timer failed");
        }
    } counter;
    std::vector<AnsiString> errors;
    struct TErrors {
        std::vector<AnsiString>* List;
        void On(TObject*, Exception* e) { List->push_back(e->Message()); }
    } sink{&errors};
    Application->OnException = MakeEvent(&sink, &TErrors::On);
    TTimer timer(nullptr);
    timer.SetInterval(100);
    timer.SetOnTimer(MakeEvent(&counter, &TCounter::Tick));
    tick += 100;
    Application->ProcessMessages();
    EXPECT_EQ(counter.Count, 1);
    counter.Fail = true;
    tick += 100;
    Application->ProcessMessages();
    EXPECT_EQ(counter.Count, 2);
    EXPECT_EQ(errors, std::vector<AnsiString>{"timer failed"});
    counter.Fail = false;
    timer.SetEnabled(false);
    tick += 1000;
    Application->ProcessMessages();
    EXPECT_EQ(counter.Count, 2);
    timer.SetEnabled(true);
    tick += 100;
    Application->ProcessMessages();
    EXPECT_EQ(counter.Count, 3);
    Application->OnException = nullptr;
}

TEST_F(Timers, CaretCountsShowsAndHidesAsTheDesktopDoes) {
    auto* c = Add<TTicks>("Owner", 0, 0, 100, 20);
    HWND h = c->Handle();
    ASSERT_TRUE(CreateCaret(h, nullptr, 2, 14));
    EXPECT_FALSE(GetCaretState().Visible);  // starts hidden
    EXPECT_TRUE(ShowCaret(h));
    EXPECT_TRUE(GetCaretState().Visible);
    HideCaret(h);
    HideCaret(h);
    ShowCaret(h);
    EXPECT_FALSE(GetCaretState().Visible);  // one hide still pending
    ShowCaret(h);
    ShowCaret(h);  // cannot go below shown
    EXPECT_TRUE(GetCaretState().Visible);
    HideCaret(h);
    EXPECT_FALSE(GetCaretState().Visible);
    ShowCaret(h);
    SetCaretPos(30, 3);
    TCaretState s = GetCaretState();
    EXPECT_EQ(s.Owner, h);
    EXPECT_EQ(s.Rect, TRect(30, 3, 32, 17));
    // Another window's calls do not touch it.
    auto* other = Add<TTicks>("Other", 0, 30, 100, 20);
    EXPECT_FALSE(HideCaret(other->Handle()));
    EXPECT_TRUE(GetCaretState().Visible);
    // Creating a caret elsewhere takes it over; destroying the owner ends it.
    CreateCaret(other->Handle(), nullptr, 1, 10);
    EXPECT_EQ(GetCaretState().Owner, other->Handle());
    FreeObject(other);
    EXPECT_EQ(GetCaretState().Owner, nullptr);
    EXPECT_FALSE(DestroyCaret());
}

}  // namespace
