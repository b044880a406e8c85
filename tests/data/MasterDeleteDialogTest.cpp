// The "Delete or redirect ?" dialog as the delete guards show it, driven by
// mouse clicks from the application's idle time while it runs modally.
#include <gtest/gtest.h>

#include "data/uDeleteMasterRecord.h"
#include "platform/gui/InputSimulation.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

TPoint Centre(const TRect& r) { return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

void ClickEntry(TfmMasterDelete* f, int index) {
    TPoint p = Centre(f->lstMasters->ItemRect(index));
    SimulateClick(f->lstMasters->Handle(), p.X, p.Y);
}

using DialogDriver = ModalDriver<TfmMasterDelete>;

class MasterDeleteDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMasterDeleteDialogFactory(nullptr);
        file = folder.File("Tesk.mdb");
        MakeGameDatabase(file);
        dm = MakeDataModule();
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
        dm->tblAlliance->Open();
        ASSERT_TRUE(dm->tblAlliance->Locate("ID", 2, TLocateOptions()));
    }
    std::string Players() const {
        return QuerySql(file, "SELECT group_concat(AllianceID, ',') FROM (SELECT AllianceID FROM tblPlayer ORDER BY ID)");
    }
    // Deletes alliance Evil through its guard; whether the delete went ahead.
    bool DeleteEvil() {
        try {
            dm->tblAlliance->Delete();
            return true;
        } catch (const EAbort&) {
            return false;
        }
    }

    TempFolder folder;
    std::string file;
    ScriptedDialogs dialogs;
    DataModulePtr dm;
};

}  // namespace

TEST_F(MasterDeleteDialogTest, RedirectNeedsASelectedEntry) {
    DialogDriver driver({
        [](TfmMasterDelete* f) {
            EXPECT_EQ(f->Caption(), "Delete or redirect ?");
            EXPECT_EQ(f->Label1->Caption(),
                      "The alliance you want to delete is linked to several players, do you want to delete the "
                      "alliance or redirect the linked players to a different alliance?");
            EXPECT_TRUE(f->Label1->WordWrap());
            ASSERT_EQ(f->lstMasters->Items()->Count(), 2);
            EXPECT_EQ(f->lstMasters->Items()->Strings(0), "<none> (1)");
            EXPECT_EQ(f->lstMasters->Items()->Strings(1), "A's (3)");
            EXPECT_EQ(f->lstMasters->ItemIndex(), -1);
            EXPECT_EQ(f->ActiveControl(), f->lstMasters);
            EXPECT_EQ(f->btnCancel->Caption(), "Cancel");
            EXPECT_EQ(f->btnDelete->Caption(), "Delete");
            EXPECT_EQ(f->btnRedirect->Caption(), "Redirect");
            EXPECT_EQ(f->btnCancel->TabOrder(), 1);
            EXPECT_EQ(f->btnRedirect->TabOrder(), 3);
            EXPECT_FALSE(f->btnRedirect->Enabled());
            EXPECT_TRUE(SaveWindowImage(f->Handle(), "/tmp/tesk-master-delete.png"));
            ClickCentre(f->btnRedirect);  // disabled: nothing happens
        },
        [](TfmMasterDelete* f) {
            EXPECT_TRUE(f->Modal());
            ClickEntry(f, 1);
        },
        [](TfmMasterDelete* f) {
            EXPECT_EQ(f->lstMasters->ItemIndex(), 1);
            EXPECT_TRUE(f->btnRedirect->Enabled());
            ClickCentre(f->btnRedirect);
        },
    });
    EXPECT_TRUE(DeleteEvil());
    EXPECT_EQ(driver.StepsRun(), 3u);
    EXPECT_EQ(Players(), "3,1,3");
}

TEST_F(MasterDeleteDialogTest, DeleteAndCancelButtons) {
    {
        DialogDriver driver({[](TfmMasterDelete* f) { ClickCentre(f->btnCancel); }});
        EXPECT_FALSE(DeleteEvil());
        EXPECT_EQ(driver.StepsRun(), 1u);
        EXPECT_EQ(Players(), "2,1,2");
    }
    {
        // An entry chosen and then Delete: the players still join "<none>".
        DialogDriver driver({[](TfmMasterDelete* f) { ClickEntry(f, 1); },
                             [](TfmMasterDelete* f) { ClickCentre(f->btnDelete); }});
        EXPECT_TRUE(DeleteEvil());
        EXPECT_EQ(driver.StepsRun(), 2u);
        EXPECT_EQ(Players(), "1,1,1");
    }
}
