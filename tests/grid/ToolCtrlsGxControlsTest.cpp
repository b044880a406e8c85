// The tool controls driven by messages: the size grip.
#include <gtest/gtest.h>

#include <memory>

#include "grid/ToolCtrlsGx.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"

namespace {

// A top-level window like a drop-down list.
class TPopupWindow : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    }
};

class SizeGripTest : public testing::Test {
protected:
    void SetUp() override {
        popup.reset(new TPopupWindow(nullptr));
        popup->SetBounds(200, 200, 150, 100);
        grip = new TSizeGripGx(popup.get());
        grip->SetParent(popup.get());
        grip->OnParentResized = MakeEvent(this, &SizeGripTest::Resized);
        grip->UpdatePosition();
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    }
    void Resized(TObject*) { ++resized; }
    LPARAM At(TPoint screen) {
        TPoint p = grip->ScreenToClient(screen);
        return MAKELPARAM(p.X, p.Y);
    }
    // Presses the grip at a point of its own and drags by (dx, dy) on the screen.
    void Drag(int dx, int dy) {
        TPoint start = grip->ClientToScreen(TPoint(5, 5));
        grip->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        grip->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(TPoint(start.X + dx, start.Y + dy)));
        grip->Perform(WM_LBUTTONUP, 0, At(TPoint(start.X + dx, start.Y + dy)));
    }
    std::unique_ptr<TCustomControl> popup;
    TSizeGripGx* grip = nullptr;
    int resized = 0;
    TRect work;
};

TEST_F(SizeGripTest, SitsInItsCornerAndMovesToTheSideItIsTold) {
    EXPECT_EQ(grip->Width(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(grip->BoundsRect(), Bounds(150 - grip->Width(), 100 - grip->Height(), grip->Width(), grip->Height()));
    struct {
        TSizeGripPosition From;
        int Side;
        TSizeGripPosition To;
    } cases[] = {
        {sgpBottomRight, gsLeftGx, sgpBottomLeft}, {sgpTopRight, gsLeftGx, sgpTopLeft},
        {sgpTopLeft, gsLeftGx, sgpTopLeft},        {sgpBottomLeft, gsRightGx, sgpBottomRight},
        {sgpTopLeft, gsRightGx, sgpTopRight},      {sgpBottomLeft, gsTopGx, sgpTopLeft},
        {sgpBottomRight, gsTopGx, sgpTopRight},    {sgpTopRight, gsBottomGx, sgpBottomRight},
        {sgpTopLeft, gsBottomGx, sgpBottomLeft},   {sgpBottomRight, gsBottomGx, sgpBottomRight},
    };
    for (auto& c : cases) {
        grip->SetPosition(c.From);
        grip->ChangePosition(c.Side);
        EXPECT_EQ(grip->Position(), c.To) << c.From << " side " << c.Side;
    }
    grip->SetPosition(sgpTopLeft);
    EXPECT_EQ(grip->BoundsRect().TopLeft(), TPoint(0, 0));
}

TEST_F(SizeGripTest, DraggingResizesTheParentFromTheGripsCorner) {
    Drag(30, 20);
    EXPECT_EQ(popup->BoundsRect(), TRect(200, 200, 380, 320));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(grip->BoundsRect().BottomRight(), TPoint(180, 120));

    // A grip on the left moves the left edge; the right one stays.
    grip->SetPosition(sgpBottomLeft);
    Drag(-30, 0);
    EXPECT_EQ(popup->BoundsRect(), TRect(170, 200, 380, 320));
    EXPECT_EQ(grip->BoundsRect().TopLeft(), TPoint(0, 120 - grip->Height()));

    // The parent stays inside the work area.
    grip->SetPosition(sgpBottomRight);
    Drag(work.Right + 500, work.Bottom + 500);
    EXPECT_EQ(popup->BoundsRect().Right, work.Right);
    EXPECT_EQ(popup->BoundsRect().Bottom, work.Bottom);
    // Released: moving the mouse does nothing more.
    TRect now = popup->BoundsRect();
    grip->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(popup->BoundsRect(), now);
}

}  // namespace

namespace {

// A form with a fake tick count, so that timers and typing pauses are up to the test.
class ClockTest : public testing::Test {
protected:
    void SetUp() override {
        tick = 5000000;
        SetTickSource([this] { return tick; });
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 300, 200);
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        SetTickSource(nullptr);
    }
    void Wait(DWORD ms) {
        tick += ms;
        Application->ProcessMessages();
    }
    DWORD tick = 0;
    TForm* form = nullptr;
};

struct TDownLog {
    std::vector<bool> Tops;
    bool KeepRepeating = true;
    int Clicks = 0;
    void Down(TObject*, bool TopButton, bool& AutoRepeat, bool&) {
        Tops.push_back(TopButton);
        if (!KeepRepeating) AutoRepeat = false;
    }
    void Click(TObject*) { ++Clicks; }
};

class EditButtonTest : public ClockTest {
protected:
    void SetUp() override {
        ClockTest::SetUp();
        button = new TEditButtonControlGx(form);
        button->SetParent(form);
        button->SetBounds(10, 10, 17, 20);
        button->SetStyle(ebsUpDownGx);
        button->OnDown = MakeEvent(&log, &TDownLog::Down);
        button->OnClick = MakeEvent(&log, &TDownLog::Click);
    }
    void Press(int y) { button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y)); }
    void Move(int y) { button->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, y)); }
    void Release(int y) { button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, y)); }
    TEditButtonControlGx* button = nullptr;
    TDownLog log;
};

TEST_F(EditButtonTest, AnUpDownButtonRepeatsAfter400MsThenEvery100Ms) {
    Press(3);
    EXPECT_EQ(button->ButtonNum(), 1);
    EXPECT_EQ(log.Tops, std::vector<bool>{true});
    Wait(399);
    EXPECT_EQ(log.Tops.size(), 1u);
    Wait(1);
    EXPECT_EQ(log.Tops.size(), 2u);
    Wait(99);
    EXPECT_EQ(log.Tops.size(), 2u);
    Wait(1);
    EXPECT_EQ(log.Tops.size(), 3u);
    Wait(100);
    EXPECT_EQ(log.Tops.size(), 4u);
    // Moving onto the other half lets the button go: no more repeats, no click.
    Move(15);
    EXPECT_EQ(button->ButtonNum(), 0);
    Wait(100);
    Wait(100);
    EXPECT_EQ(log.Tops.size(), 4u);
    Release(15);
    EXPECT_EQ(log.Clicks, 0);
    EXPECT_FALSE(button->RepeatTimer()->Enabled());
    EXPECT_EQ(log.Tops, (std::vector<bool>{true, true, true, true}));
}

TEST_F(EditButtonTest, TheLowerHalfRepeatsDownwardsUntilTheHandlerStops) {
    Press(16);
    EXPECT_EQ(button->ButtonNum(), 2);
    Wait(400);
    log.KeepRepeating = false;
    Wait(100);
    Wait(100);
    Wait(100);
    EXPECT_EQ(log.Tops, (std::vector<bool>{false, false, false}));
    Release(16);
    EXPECT_EQ(log.Clicks, 1);
    EXPECT_EQ(button->ButtonNum(), 0);
    // The middle row of an odd height belongs to neither half.
    button->SetHeight(21);
    Press(10);
    EXPECT_EQ(button->ButtonNum(), 0);
    EXPECT_EQ(log.Tops.size(), 3u);
    Release(10);
}

TEST_F(EditButtonTest, OtherStylesPressWholeAndNeverRepeat) {
    button->SetStyle(ebsEllipsisGx);
    Press(16);
    EXPECT_EQ(button->ButtonNum(), 1);
    Wait(600);
    EXPECT_EQ(log.Tops, std::vector<bool>{true});
    Release(16);
    EXPECT_EQ(log.Clicks, 1);

    button->SetAlwaysDown(true);
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->ButtonNum(), 1);
    button->SetAlwaysDown(false);
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->GroupIndex(), 0);
    EXPECT_EQ(button->ButtonNum(), 0);
}

class PopupListTest : public ClockTest {
protected:
    void SetUp() override {
        ClockTest::SetUp();
        list.reset(new TPopupListboxGx(nullptr));
        for (const char* s : {"alpha", "beta", "bravo", "charlie", "delta", "echo"}) list->Items()->Add(s);
        list->SetBounds(0, 0, 120, 200);
    }
    void Type(char c) { list->Perform(WM_CHAR, static_cast<unsigned char>(c), 0); }
    AnsiString Current() { return list->ItemIndex() < 0 ? "" : list->ItemText(list->ItemIndex()); }
    std::unique_ptr<TPopupListboxGx> list;
};

TEST_F(PopupListTest, TypeAheadSearchStartsOverAfterTwoSeconds) {
    Type('b');
    EXPECT_EQ(Current(), "beta");
    tick += 2000;
    Type('R');
    EXPECT_EQ(list->SearchText(), "bR");
    EXPECT_EQ(Current(), "bravo");
    tick += 2001;
    Type('c');
    EXPECT_EQ(list->SearchText(), "c");
    EXPECT_EQ(Current(), "charlie");
    Type('\b');
    EXPECT_EQ(list->SearchText(), "");
    Type('d');
    EXPECT_EQ(Current(), "delta");
    Type('\x1B');
    EXPECT_EQ(list->SearchText(), "");
    // At most 32 characters are kept.
    for (int i = 0; i < 40; ++i) Type('e');
    EXPECT_EQ(list->SearchText(), AnsiString(32, 'e'));
    EXPECT_EQ(Current(), "echo");  // found by "e"; nothing begins with more: the selection stays
}

TEST_F(PopupListTest, HoverAndWheelMoveTheSelection) {
    int h = list->ItemHeight();
    EXPECT_EQ(h, list->GetTextHeight());
    list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 2 * h + 1));
    EXPECT_EQ(Current(), "bravo");
    list->SetItemIndex(0);
    list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 2 * h + 1));  // the same point again
    EXPECT_EQ(Current(), "alpha");
    list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(Current(), "beta");
    list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(Current(), "alpha");
}

TEST_F(PopupListTest, HeightsSnapToWholeRowsAndTheGripFollowsItsSide) {
    int h = list->ItemHeight(), border = 2 * list->BorderWidth();
    list->SetBounds(0, 0, 120, 5 * h + border + h - 1);
    EXPECT_EQ(list->Height(), 5 * h + border);
    EXPECT_EQ(list->RowCount(), 5);
    list->SetRowCount(0);
    EXPECT_EQ(list->Height(), h + border);
    list->SetRowCount(3);
    EXPECT_EQ(list->Height(), 3 * h + border);

    list->Perform(WM_GRIPSIDEGX, gsTopGx, 0);
    EXPECT_EQ(list->SizeGrip()->Position(), sgpTopRight);
    list->Perform(WM_GRIPSIDEGX, gsLeftGx, 0);
    EXPECT_EQ(list->SizeGrip()->Position(), sgpTopLeft);

    // Placed above an anchor near the bottom of the work area, the grip goes up.
    TRect work = GetMonitorInfoAt(0).WorkArea;
    list->SetBounds(0, 0, 120, 6 * h + border);
    list->SizeGrip()->SetPosition(sgpBottomRight);
    AlignDropDownWindowRect(Bounds(work.Left + 10, work.Bottom - 20, 100, 20), list.get(), daLeft);
    EXPECT_EQ(list->BoundsRect().Bottom, work.Bottom - 20);
    EXPECT_EQ(list->SizeGrip()->Position(), sgpTopRight);
}

TEST_F(PopupListTest, ShownItPaintsItsRowsInsideItsBorderWithoutTakingTheActivation) {
    HWND before = GetActiveWindow();
    int h = list->ItemHeight();
    list->SetRowCount(4);
    TRect work = GetMonitorInfoAt(0).WorkArea;
    AlignDropDownWindowRect(Bounds(work.Left + 20, work.Top + 20, 100, 20), list.get(), daLeft);
    list->SetItemIndex(1);
    ShowWindow(list->Handle(), SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), before);
    // The border takes its width on each side, the scroll bar for six items in four rows its
    // own; the rows fill what is left.
    EXPECT_EQ(list->ClientHeight(), 4 * h);
    EXPECT_EQ(list->ClientWidth(), list->Width() - 2 * list->BorderWidth() - GetSystemMetrics(SM_CXVSCROLL));
    PaintWindowNow(list->Handle());
    EXPECT_EQ(GetWindowPixel(list->Handle(), 40, h + h / 2), static_cast<COLORREF>(ColorToRGB(clHighlight)));
    EXPECT_EQ(GetWindowPixel(list->Handle(), 40, h / 2), static_cast<COLORREF>(ColorToRGB(clWindow)));
    ShowWindow(list->Handle(), SW_HIDE);
}

TEST_F(PopupListTest, ExternalItemsAreShownInsteadOfItsOwn) {
    TStringList outside;
    outside.Add("one");
    outside.Add("two");
    list->SetExternalItems(&outside);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->ItemText(1), "two");
    Type('t');
    EXPECT_EQ(Current(), "two");
    list->SetExternalItems(nullptr);
    EXPECT_EQ(list->Count(), 6);
}

TEST_F(PopupListTest, TheMRUListHasItsOwnScrollBarBesideTheGrip) {
    std::unique_ptr<TMRUListboxGx> mru(new TMRUListboxGx(nullptr));
    for (int i = 0; i < 10; ++i) mru->Items()->Add("item " + std::to_string(i));
    mru->SetRowCount(4);
    mru->UpdateScrollBar();
    TScrollBar* bar = mru->ScrollBar();
    ASSERT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Max(), 9);
    EXPECT_EQ(bar->PageSize(), 4);
    EXPECT_EQ(bar->Left(), mru->ClientWidth() - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(bar->Height(), mru->ClientHeight() - mru->SizeGrip()->Height());
    EXPECT_FALSE(mru->SizeGrip()->TriangleWindow());
    mru->SetItemIndex(6);
    mru->UpdateScrollBar();
    EXPECT_EQ(bar->Position(), 6);

    mru->Items()->Clear();
    mru->Items()->Add("only");
    mru->UpdateScrollBar();
    EXPECT_FALSE(bar->Visible());
    EXPECT_TRUE(mru->SizeGrip()->TriangleWindow());
}

struct TCalendarOwner : TComponent, IPopupOwnerGx {
    TCalendarOwner() : TComponent(nullptr) {}
    std::vector<bool> Closes;
    void CloseUp(bool Accept) override { Closes.push_back(Accept); }
};

TEST(PopupMonthCalendar, KeysWheelAndSize) {
    TCalendarOwner owner;
    auto* calendar = new TPopupMonthCalendarGx(&owner);
    TRect need;
    calendar->Perform(MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
    EXPECT_EQ(calendar->Width(), need.Width() + 2 * calendar->BorderWidth());
    EXPECT_EQ(calendar->Height(), need.Height() + 2 * calendar->BorderWidth());

    int changes = 0;
    struct TCount {
        int* n;
        void Hit(TObject*) { ++*n; }
    } count{&changes};
    calendar->OnChange = MakeEvent(&count, &TCount::Hit);
    TDateTime day = EncodeDate(2024, 2, 28);
    calendar->SetDateQuietly(day);
    EXPECT_EQ(changes, 0);
    calendar->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(calendar->Date(), day + 1);
    calendar->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    calendar->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(calendar->Date(), day - 1);

    calendar->Perform(WM_KEYDOWN, VK_RETURN, 0);
    calendar->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    calendar->Perform(WM_USER + 101, 0, 0);
    EXPECT_EQ(owner.Closes, (std::vector<bool>{true, false, false}));
}

}  // namespace
