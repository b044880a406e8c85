// Focus rules, mouse capture, graphic controls taking their parent's mouse
// messages, cursors by id, and in-process dragging.
#include <gtest/gtest.h>

#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class TMouseLog : public TGraphicControl {
public:
    explicit TMouseLog(TComponent* Owner) : TGraphicControl(Owner) {}
    std::vector<std::string> Log;
    std::vector<UINT> Raw;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_CANCELMODE || m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) Raw.push_back(m.Msg);
        TGraphicControl::Dispatch(m);
    }

protected:
    void MouseDown(TMouseButton B, TShiftState S, int X, int Y) override {
        Log.push_back("Down " + std::to_string(X) + "," + std::to_string(Y) + " " + TLogControl::ShiftText(S));
        TGraphicControl::MouseDown(B, S, X, Y);
    }
    void MouseMove(TShiftState, int X, int Y) override {
        Log.push_back("Move " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override {
        Log.push_back("Up " + std::to_string(X) + "," + std::to_string(Y));
    }
};

class TCaptureLog : public TLogControl {
public:
    using TLogControl::TLogControl;
    std::vector<UINT> Raw;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_CAPTURECHANGED || m.Msg == WM_CANCELMODE || m.Msg == WM_MOUSEMOVE) Raw.push_back(m.Msg);
        TLogControl::Dispatch(m);
    }
};

using Focus = WindowTest;

TEST_F(Focus, SetFocusNeedsAVisibleEnabledControlOnAnActiveForm) {
    auto* a = Add("A", 10, 10, 50, 20);
    auto* b = Add("B", 10, 40, 50, 20);
    auto* hidden = Add("Hidden", 10, 70, 50, 20);
    hidden->SetVisible(false);
    form->Show();
    EXPECT_EQ(GetParentForm(b), form);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->ActiveControl(), a);
    b->SetFocus();
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(GetFocus(), b->Handle());
    EXPECT_FALSE(hidden->CanFocus());
    EXPECT_THROW(hidden->SetFocus(), EInvalidOperation);
    EXPECT_TRUE(b->Focused());

    // Hiding or disabling the focused control takes the control focus away from it.
    b->SetEnabled(false);
    EXPECT_FALSE(b->Focused());
    EXPECT_NE(form->ActiveControl(), b);

    // Freeing the active control leaves no dangling pointer behind.
    a->SetFocus();
    FreeObject(a);
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_EQ(Screen->ActiveControl(), nullptr);
}

TEST_F(Focus, CaptureSendsAllMouseMessagesToOneWindowUntilReleased) {
    auto* a = Add<TCaptureLog>("A", 10, 10, 100, 40);
    auto* b = Add<TCaptureLog>("B", 10, 100, 100, 40);
    form->Show();
    // A press on a control that captures the mouse keeps it until release.
    SimulateMouseDown(a->Handle(), TSimButton::Left, 5, 5);
    EXPECT_TRUE(a->MouseCapture());
    SimulateMouseMove(b->Handle(), 7, 8, ssLeft);
    EXPECT_TRUE(b->Raw.empty());
    // The move arrives in A's coordinates: B lies 90 pixels lower.
    EXPECT_EQ(a->Log.back(), "MouseDown 0 L 5,5");
    ASSERT_FALSE(a->Raw.empty());
    EXPECT_EQ(a->Raw.back(), UINT(WM_MOUSEMOVE));
    SimulateMouseUp(b->Handle(), TSimButton::Left, 7, 8);
    EXPECT_EQ(a->Log.back(), "MouseUp 0");
    EXPECT_FALSE(a->MouseCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    // Taking the capture away tells the loser who has it now.
    a->Raw.clear();
    SetCapture(a->Handle());
    SetCapture(b->Handle());
    ASSERT_EQ(a->Raw.size(), 1u);
    EXPECT_EQ(a->Raw[0], UINT(WM_CAPTURECHANGED));
    ReleaseCapture();
    EXPECT_EQ(b->Raw.back(), UINT(WM_CAPTURECHANGED));

    // Another window becoming active cancels the capture.
    SetCapture(a->Handle());
    TForm* other = CreateForm<TForm>(nullptr);
    other->Show();
    EXPECT_EQ(GetActiveWindow(), other->Handle());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_NE(std::find(a->Raw.begin(), a->Raw.end(), UINT(WM_CANCELMODE)), a->Raw.end());
    FreeObject(other);
    EXPECT_EQ(GetActiveWindow(), form->Handle());
}

TEST_F(Focus, GraphicControlsGetTheirParentsMouseMessagesInTheirCoordinates) {
    auto* g = new TMouseLog(form);
    g->SetParent(form);
    g->SetBounds(100, 50, 80, 40);
    form->Show();
    HWND f = form->Handle();
    SimulateMouseMove(f, 110, 60);
    SimulateMouseDown(f, TSimButton::Left, 120, 70, ssShift);
    // Captured through the parent: a move far outside still reaches it.
    SimulateMouseMove(f, 300, 200, ssLeft);
    SimulateMouseUp(f, TSimButton::Left, 300, 200);
    EXPECT_EQ(g->Log, (std::vector<std::string>{"Move 10,10", "Down 20,20 SL", "Move 200,150", "Up 200,150"}));
    EXPECT_EQ(GetCaptureControl(), nullptr);
    // Enter and leave notices as the mouse comes and goes.
    EXPECT_EQ(g->Raw.front(), UINT(CM_MOUSEENTER));
    SimulateMouseMove(f, 10, 10);
    EXPECT_EQ(g->Raw.back(), UINT(CM_MOUSELEAVE));
}

TEST_F(Focus, TheCursorComesFromTheControlUnderTheMouse) {
    auto* a = Add("A", 10, 10, 100, 40);
    auto* g = new TMouseLog(form);
    g->SetParent(form);
    g->SetBounds(200, 10, 50, 50);
    form->Show();
    a->SetCursor(crHSplit);
    SimulateMouseMove(a->Handle(), 5, 5);
    EXPECT_EQ(GetCursor(), Screen->Cursors(crHSplit));
    // A registered cursor by its id, on a graphic control.
    HCURSOR down = LoadCursor(nullptr, "DOWNCURGX");
    ASSERT_NE(down, nullptr);
    Screen->SetCursors(1, down);
    g->SetCursor(1);
    SimulateMouseMove(form->Handle(), 210, 20);
    EXPECT_EQ(GetCursor(), down);
    SimulateMouseMove(form->Handle(), 5, 150);
    EXPECT_EQ(GetCursor(), LoadStandardCursor(IDC_ARROW));
    // Screen->Cursor wins over every control.
    Screen->SetCursor(crHourGlass);
    SimulateMouseMove(a->Handle(), 5, 5);
    EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
    Screen->SetCursor(crDefault);
    Screen->SetCursors(1, nullptr);
}

TEST_F(Focus, DraggingAControlAsksTargetsAndDropsOnTheOneThatAccepts) {
    auto* source = Add("Source", 10, 10, 80, 30);
    auto* target = Add("Target", 10, 100, 80, 30);
    form->Show();
    struct TDragLog {
        std::vector<std::string> Log;
        void Over(TObject*, TObject* Source, int X, int Y, TDragState State, bool& Accept) {
            Log.push_back("Over " + std::to_string(State) + " " + std::to_string(X) + "," + std::to_string(Y));
            Accept = Source != nullptr;
        }
        void Drop(TObject*, TObject*, int X, int Y) { Log.push_back("Drop " + std::to_string(X) + "," + std::to_string(Y)); }
        void End(TObject*, TObject* Target, int, int) { Log.push_back(Target ? "End on target" : "End nowhere"); }
    } log;
    target->OnDragOver = MakeEvent(&log, &TDragLog::Over);
    target->OnDragDrop = MakeEvent(&log, &TDragLog::Drop);
    source->OnEndDrag = MakeEvent(&log, &TDragLog::End);
    source->SetDragMode(dmAutomatic);
    SimulateMouseDown(source->Handle(), TSimButton::Left, 5, 5);
    EXPECT_TRUE(source->Dragging());
    // Under the threshold nothing happens yet; then over the target.
    SimulateMouseMove(source->Handle(), 6, 6, ssLeft);
    EXPECT_TRUE(log.Log.empty());
    SimulateMouseMove(target->Handle(), 20, 10, ssLeft);
    SimulateMouseUp(target->Handle(), TSimButton::Left, 20, 10);
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(log.Log, (std::vector<std::string>{"Over 0 20,10", "Over 1 20,10", "Drop 20,10", "End on target"}));
}

// Every activation asked of the desktop comes back later as its own event;
// those late answers must not hand the activation back and forth.
TEST_F(Focus, TheWindowActivatedLastStaysActiveWhenTheDesktopCatchesUp) {
    struct TActivations {
        int Count = 0;
        void Activated(TObject*) { ++Count; }
    } first;
    form->OnActivate = MakeEvent(&first, &TActivations::Activated);
    form->Show();
    TForm* other = CreateForm<TForm>(nullptr);
    other->SetBounds(300, 200, 200, 150);
    other->Show();
    ASSERT_EQ(GetActiveWindow(), other->Handle());
    const int before = first.Count;
    Application->ProcessMessages();
    EXPECT_EQ(GetActiveWindow(), other->Handle());
    EXPECT_EQ(first.Count, before);
    FreeObject(other);
    EXPECT_EQ(GetActiveWindow(), form->Handle());
}

}  // namespace
