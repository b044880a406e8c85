// Controls that show a native widget and report its actions in their own
// terms: the scroll bar's scroll codes and the month calendar's hit tests.
#include "platform/gui/ComCtrls.h"
#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

TEST_F(ControlsFormTest, ScrollBarReportsTheUsersScrollAndKeepsItsPositionInRange) {
    auto* bar = new TScrollBar(form);
    bar->SetParent(form->tsGeneral);
    bar->SetBounds(8, 320, 200, 17);
    bar->SetParams(10, 0, 20);
    bar->SetSmallChange(3);
    EXPECT_THROW(bar->SetParams(0, 5, 1), EInvalidOperation);
    struct TLog {
        std::vector<std::pair<TScrollCode, int>> Scrolls;
        int Changes = 0;
        void Scroll(TObject*, TScrollCode Code, int& Pos) { Scrolls.emplace_back(Code, Pos); }
        void Change(TObject*) { ++Changes; }
    } log;
    bar->OnScroll = MakeEvent(&log, &TLog::Scroll);
    bar->OnChange = MakeEvent(&log, &TLog::Change);
    bar->SetPosition(99);
    EXPECT_EQ(bar->Position(), 20);
    bar->SetPosition(10);
    log.Changes = 0;
    // A click on the arrow at the right end: one line further.
    ResetDoubleClick();
    SimulateClick(bar->Handle(), bar->Width() - 5, 8);
    ASSERT_FALSE(log.Scrolls.empty());
    EXPECT_EQ(log.Scrolls[0], std::make_pair(scLineDown, 13));
    EXPECT_EQ(bar->Position(), 13);
    EXPECT_EQ(log.Changes, 1);
}

TEST_F(ControlsFormTest, MonthCalendarKeepsItsDateAndAnswersItsHitTests) {
    auto* cal = new TMonthCalendar(form);
    cal->SetParent(form->tsDetails);
    cal->SetLeft(8);
    cal->SetTop(230);
    form->pcMain->SetActivePage(form->tsDetails);
    TDateTime date = 45000;  // 2023-03-15
    cal->SetDate(date + 0.75);
    EXPECT_EQ(cal->Date(), date);
    TRect need;
    cal->Perform(MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
    EXPECT_GT(need.Width(), 100);
    EXPECT_GT(need.Height(), 100);

    // Every day cell of the shown month answers a date of that month, and the
    // next-month button is somewhere on the title.
    int days = 0;
    bool next = false;
    for (int y = 0; y < cal->Height(); y += 4) {
        for (int x = 0; x < cal->Width(); x += 4) {
            MCHITTESTINFO info;
            info.pt = TPoint(x, y);
            cal->Perform(MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
            if (info.uHit == MCHT_TITLEBTNNEXT) next = true;
            if (info.uHit == MCHT_CALENDARDATE) {
                ++days;
                EXPECT_GE(info.st, 44986);  // 2023-03-01
                EXPECT_LE(info.st, 45016);  // 2023-03-31
            }
        }
    }
    EXPECT_GT(days, 31);
    EXPECT_TRUE(next);
}

}  // namespace
