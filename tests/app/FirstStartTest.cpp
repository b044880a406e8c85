// The first start on a fresh program folder: no settings file, so the
// language chooser comes before the main window; the next start goes straight
// to the window. The chooser is answered from a timer: while a modal form
// opens over a window being shown, the message loop may never fall idle.
#include <gtest/gtest.h>

#include <functional>

#include "app/uLanguage.h"
#include "app/uProgram.h"
#include "platform/gui/Timers.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

// Answers the chooser once when it is open; a chooser still open afterwards
// is closed with mrAbort, so the test never waits for a user.
class ChooserAnswer {
public:
    explicit ChooserAnswer(std::function<void(TfrmLanguage*)> Step) : step_(std::move(Step)) {
        timer_.SetInterval(20);
        timer_.SetOnTimer(MakeEvent(this, &ChooserAnswer::Tick));
        timer_.SetEnabled(true);
    }
    int Answers() const { return answers_; }

private:
    void Tick(TObject*) {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* f = dynamic_cast<TfrmLanguage*>(Screen->Forms(i)); f && f->Modal()) {
                if (answers_++ == 0 && step_)
                    step_(f);
                else
                    f->SetModalResult(mrAbort);
                PostMessage(f->Handle(), WM_NULL, 0, 0);
            }
    }
    std::function<void(TfrmLanguage*)> step_;
    TTimer timer_{nullptr};
    int answers_ = 0;
};

class FirstStartTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareProgram(); }
    MainWindowFixture f;
};

TEST_F(FirstStartTest, TheChooserComesFirstOnceAndItsChoiceIsKept) {
    ASSERT_EQ(ReadFile(f.folder.File("Tesk.ini")), "");
    std::string listed;
    {
        ChooserAnswer chooser([&](TfrmLanguage* d) {
            listed = d->cmbLanguage->Items()->CommaText();
            d->cmbLanguage->SetItemIndex(d->cmbLanguage->Items()->IndexOf("English"));
            d->actOk->Execute();
        });
        TfrmMain* w = f.Start();
        EXPECT_EQ(chooser.Answers(), 1);
        EXPECT_EQ(listed, "English");
        ASSERT_TRUE(w->Shown);
        EXPECT_EQ(w->ActiveLanguage(), "English");
        EXPECT_NE(w->Caption().find("(English)"), AnsiString::npos);
        EXPECT_EQ(w->actProcessSpyReport->Caption(), "Process spy report");
        w->Close();
    }
    EXPECT_NE(ReadFile(f.folder.File("Tesk.ini")).find("ActiveLanguage=English"), std::string::npos);

    // The next start asks nothing.
    ChooserAnswer none(nullptr);
    TfrmMain* w = f.Start();
    EXPECT_EQ(none.Answers(), 0);
    EXPECT_EQ(w->ActiveLanguage(), "English");
    EXPECT_FALSE(TakeTermination());
    w->Close();
}

TEST_F(FirstStartTest, CancellingTheChooserEndsTheProgramWithoutALanguage) {
    ChooserAnswer chooser([](TfrmLanguage* d) { d->actCancel->Execute(); });
    TfrmMain* w = f.Start();
    EXPECT_EQ(chooser.Answers(), 1);
    EXPECT_TRUE(TakeTermination());
    EXPECT_EQ(w->ActiveLanguage(), "");
    f.Free();
    EXPECT_EQ(ReadFile(f.folder.File("Tesk.ini")).find("ActiveLanguage=English"), std::string::npos);
}

}  // namespace
