// The database-group chooser keeps its window placement and its grid's
// columns in the main window's settings file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "data/uSelectDB.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/InputSimulation.h"
#include "storage/StAppXMLStorage.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

class SelectDBStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderForTests(folder.File(""));
        std::ofstream(folder.File("Tesk.ini"), std::ios::binary)
            << "[DBGroup]\r\nGroupName1=Main\r\nMain_User=Anna\r\nMain_Path=/games/main.mdb\r\n";
        dm = MakeDataModule();
        dmMain = dm.get();
        // The main window's store, as its definition declares it.
        main = new TForm(nullptr);
        main->SetName("frmMain");
        store = new TStAppXMLFileStorage(main);
        store->SetName("StAppXMLFileStorage1");
        store->SetComponentStateBits(csLoading);
        store->SetFileName("TeskSettings.xml");
        store->SetAutoFlush(true);
        store->SetAutoReload(true);
        store->Loaded();
    }
    void TearDown() override {
        FreeObject(main);
        dmMain = nullptr;
        dm.reset();
        SetProgramFolderForTests("");
    }
    AnsiString Settings() const {
        std::ifstream in(folder.File("TeskSettings.xml"), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Shows the chooser modally, runs Step inside, and closes it with OK.
    void RunModal(TfrmSelectDB* form, std::function<void(TfrmSelectDB*)> Step) {
        ModalDriver<TfrmSelectDB> driver({[&](TfrmSelectDB* f) {
            Step(f);
            ClickCentre(f->btnOk);
        }});
        EXPECT_EQ(form->ShowModal(), mrOk);
        EXPECT_EQ(driver.StepsRun(), 1u);
    }

    TempFolder folder;
    ScriptedDialogs dialogs;
    DataModulePtr dm;
    TForm* main = nullptr;
    TStAppXMLFileStorage* store = nullptr;
};

}  // namespace

TEST_F(SelectDBStorageTest, PlacementAndColumnsComeBackWhenTheChooserOpensAgain) {
    auto* form = CreateForm<TfrmSelectDB>(nullptr);
    ASSERT_EQ(form->StFormStorage1->AppStorage(), store);
    EXPECT_EQ(form->StFormStorage1->AppStoragePath(), "frmSelectDB\\");
    RunModal(form, [](TfrmSelectDB* f) {
        f->SetBounds(40, 50, f->Width(), f->Height());
        f->grdSelectDB->Columns()->Items(0)->SetAlignment(taRightJustify);
        f->grdSelectDB->Columns()->Items(2)->SetVisible(false);
    });
    const TRect saved = form->BoundsRect();
    FreeObject(form);

    const AnsiString file = Settings();
    EXPECT_NE(file.find("  <frmSelectDB>\r\n    <FormVersion>0</FormVersion>\r\n"), AnsiString::npos) << file;
    EXPECT_NE(file.find("    <grdSelectDB_Columns>\r\n      <Count>3</Count>\r\n      <Item0>\r\n"), AnsiString::npos);
    EXPECT_NE(file.find("<FieldName>GroupPath</FieldName>"), AnsiString::npos);
    EXPECT_NE(file.find("<Alignment>taRightJustify</Alignment>"), AnsiString::npos);

    form = CreateForm<TfrmSelectDB>(nullptr);
    EXPECT_EQ(form->grdSelectDB->Columns()->Items(0)->Alignment(), taLeftJustify);  // as designed until shown
    RunModal(form, [&](TfrmSelectDB* f) {
        EXPECT_EQ(f->BoundsRect(), saved);
        ASSERT_EQ(f->grdSelectDB->Columns()->Count(), 3);
        EXPECT_EQ(f->grdSelectDB->Columns()->Items(0)->Alignment(), taRightJustify);
        EXPECT_EQ(f->grdSelectDB->Columns()->Items(1)->FieldName(), "GroupUser");
        EXPECT_FALSE(f->grdSelectDB->Columns()->Items(2)->Visible());
        EXPECT_TRUE(SaveWindowImage(f->Handle(), "/tmp/tesk-select-db-restored.png"));
    });
    FreeObject(form);
}
