// The database-group chooser: groups read on show, the active group made
// current, OK and Cancel.
#include <gtest/gtest.h>

#include <fstream>

#include "data/uSelectDB.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/InputSimulation.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

class SelectDBTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderForTests(folder.File(""));
        std::ofstream(folder.File("Tesk.ini"), std::ios::binary)
            << "[DBGroup]\r\nGroupName1=Main\r\nMain_User=Anna\r\nMain_Path=/games/main.mdb\r\n"
               "GroupName2=Side\r\nSide_User=Bob\r\nSide_Path=/games/side.mdb\r\nGroupName3=Third\r\n";
        dm = MakeDataModule();
        dmMain = dm.get();
    }
    void TearDown() override {
        dmMain = nullptr;
        dm.reset();
        SetProgramFolderForTests("");
    }
    AnsiString Current() const { return dm->viewGroup->FieldByName("GroupName")->AsString(); }

    TempFolder folder;
    ScriptedDialogs dialogs;
    DataModulePtr dm;
};

}  // namespace

TEST_F(SelectDBTest, ShowMakesTheActiveGroupCurrent) {
    auto* form = CreateForm<TfrmSelectDB>(nullptr);
    EXPECT_EQ(form->ClientWidth(), 491);
    EXPECT_EQ(form->ClientHeight(), 274);
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    struct {
        const char* active;
        const char* current;
        int result;
    } const cases[] = {
        {"Side", "Side", mrOk},
        {"side", "Third", mrCancel},  // exact names only: the last group stays current
        {"", "Third", mrOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.active);
        form->ActiveGroup = c.active;
        ModalDriver<TfrmSelectDB> driver({[&](TfrmSelectDB* f) {
            EXPECT_EQ(dm->viewGroup->RecordCount(), 3);
            EXPECT_EQ(Current(), c.current);
            if (c.result == mrOk) {
                EXPECT_TRUE(SaveWindowImage(f->Handle(), "/tmp/tesk-select-db.png"));
            }
            ClickCentre(c.result == mrOk ? f->btnOk : f->btnCancel);
        }});
        EXPECT_EQ(form->ShowModal(), c.result);
        EXPECT_EQ(driver.StepsRun(), 1u);
        EXPECT_EQ(Current(), c.current);
    }
    ASSERT_TRUE(dm->viewGroup->Locate("GroupName", AnsiString("Side"), TLocateOptions()));
    EXPECT_EQ(dm->viewGroup->FieldByName("GroupUser")->AsString(), "Bob");
    EXPECT_EQ(dm->viewGroup->FieldByName("GroupPath")->AsString(), "/games/side.mdb");
    FreeObject(form);
}
