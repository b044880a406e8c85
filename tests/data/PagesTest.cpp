// The handlers behind the alliance, player and planet pages: the row writer,
// the delete guards with a scripted dialog, the "<none>" protection, the
// computed fields and the planet view's memory of its row.
#include <gtest/gtest.h>

#include <functional>

#include "data/uDeleteMasterRecord.h"
#include "platform/classes/Strings.h"
#include "platform/gui/Forms.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

using Lines = std::vector<std::string>;

// What the guard showed, and the scripted answer.
struct MasterDeleteScript {
    struct Shown {
        std::string prompt;
        Lines entries;
        std::vector<int> ids;
        int itemIndex = -2;
        int targetID = -2;
    };
    // The user's choice: gets the dialog as shown, answers the modal result.
    std::function<int(IMasterDeleteDialog&)> answer = [](IMasterDeleteDialog&) { return int(mrCancel); };
    std::vector<Shown> shown;
};

class ScriptedMasterDelete : public IMasterDeleteDialog {
public:
    explicit ScriptedMasterDelete(MasterDeleteScript& Script) : script_(Script) {}
    int TargetID() const override { return target_; }
    void SetTargetID(int Value) override { target_ = Value; }
    void SetPrompt(const AnsiString& Text) override { prompt_ = Text; }
    TStrings* Masters() override { return &masters_; }
    void SetItemIndex(int Index) override { index_ = Index; }
    int ShowModal() override {
        MasterDeleteScript::Shown s;
        s.prompt = prompt_;
        for (int i = 0; i < masters_.Count(); ++i) {
            s.entries.push_back(masters_.Strings(i));
            s.ids.push_back(MasterIDOf(masters_.Objects(i)));
        }
        s.itemIndex = index_;
        s.targetID = target_;
        script_.shown.push_back(s);
        return script_.answer(*this);
    }

private:
    MasterDeleteScript& script_;
    int target_ = -2;
    AnsiString prompt_;
    TStringList masters_;
    int index_ = -2;
};

// The Delete and Redirect buttons, and closing the dialog.
int ChooseDelete(IMasterDeleteDialog&) { return mrOk; }
std::function<int(IMasterDeleteDialog&)> ChooseRedirect(int entry) {
    return [entry](IMasterDeleteDialog& d) {
        d.SetTargetID(MasterIDOf(d.Masters()->Objects(entry)));
        return int(mrOk);
    };
}

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMasterDeleteDialogFactory(
            [this] { return std::unique_ptr<IMasterDeleteDialog>(new ScriptedMasterDelete(script)); });
    }
    void TearDown() override {
        dm.reset();
        SetMasterDeleteDialogFactory(nullptr);
    }
    void Open(const std::string& extraSql = "") {
        file = folder.File("Tesk.mdb");
        MakeGameDatabase(file, extraSql);
        dm = MakeDataModule();
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
        dm->SetOnLogMessage(MakeEvent(&log, &LogLines::Receive));
        dm->tblAlliance->Open();
        dm->tblPlayer->Open();
    }
    std::string Query(const std::string& sql) const { return QuerySql(file, sql); }
    Lines TmpLines() const {
        Lines lines;
        for (int i = 0; i < dm->qryTmp->SQL()->Count(); ++i) lines.push_back(dm->qryTmp->SQL()->Strings(i));
        return lines;
    }
    void Go(TDataSet* ds, int id) { ASSERT_TRUE(ds->Locate("ID", id, TLocateOptions())); }
    // Deletes the current row of the page; answers whether the grid let it go.
    bool Delete(TDataSet* ds) {
        int before = ds->RecordCount();
        try {
            ds->Delete();
        } catch (const EAbort&) {
            EXPECT_EQ(ds->RecordCount(), before);
            return false;
        }
        EXPECT_EQ(ds->RecordCount(), before - 1);
        return true;
    }

    TempFolder folder;
    std::string file;
    ScriptedDialogs dialogs;
    MasterDeleteScript script;
    LogLines log;
    DataModulePtr dm;
};

}  // namespace

TEST_F(PagesTest, RowWriterUpdatesTheEditedRow) {
    Open("UPDATE tblAlliance SET ID=7 WHERE ID=3;");
    TADOTable* t = dm->tblAlliance;
    Go(t, 7);
    t->Edit();
    t->FieldByName("Name")->SetAsString("A's");
    t->FieldByName("Ranking")->SetAsInteger(12);
    t->FieldByName("Members")->SetAsInteger(3);
    t->Post();
    EXPECT_EQ(TmpLines(), (Lines{"update tblAlliance set", "Name='A''s',", "AverageScore=0,", "Ranking=12,",
                                 "Members=3", "WHERE ID=7"}));
    EXPECT_EQ(Query("SELECT Name || '|' || AverageScore || '|' || Ranking || '|' || Members FROM tblAlliance "
                    "WHERE ID=7"),
              "A's|0|12|3");
    // The average is what the statistics import stored; editing rank or members leaves it.
    Go(t, 2);
    t->Edit();
    t->FieldByName("Members")->SetAsInteger(4);
    t->Post();
    EXPECT_EQ(Query("SELECT AverageScore || '|' || Members FROM tblAlliance WHERE ID=2"), "500|4");
    EXPECT_FALSE(dm->adoConnection->InTransaction());
}

TEST_F(PagesTest, RowWriterInsertsANewRowAndKeepsItsID) {
    Open();
    TADOTable* t = dm->tblPlayer;
    t->Append();
    t->FieldByName("Name")->SetAsString("O'Neil");
    t->FieldByName("AllianceID")->SetAsInteger(2);
    t->FieldByName("Rank")->SetAsInteger(17);
    t->Post();
    Lines sql = TmpLines();
    ASSERT_EQ(sql.size(), 3u);
    EXPECT_EQ(sql[0], "INSERT INTO tblPlayer");
    EXPECT_EQ(sql[1],
              "(Name,AllianceID,EspionageTechnology,ComputerTechnology,WeaponTechnology,ShieldingTechnology,"
              "ArmourTechnology,EnergyTechnology,HyperspaceTechnology,CombustionEngine,ImpulseEngine,"
              "HyperspaceEngine,LaserTechnology,IonTechnology,PlasmaTechnology,GravitonTechnology,"
              "IntergalacticResearchNetwork,TimesAttacked,Noob,Strong,Banned,Inactive,LongInactive,Vacation,Rank)");
    EXPECT_EQ(sql[2], "VALUES ('O''Neil',2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,17)");

    const std::string id = Query("SELECT ID FROM tblPlayer WHERE Name='O''Neil'");
    EXPECT_EQ(t->FieldByName("ID")->AsString(), id);
    // A second edit of the new row finds it in the file.
    t->Edit();
    t->FieldByName("Rank")->SetAsInteger(3);
    t->Post();
    EXPECT_EQ(TmpLines().back(), "WHERE ID=" + id);
    EXPECT_EQ(Query("SELECT Rank FROM tblPlayer WHERE ID=" + id), "3");
}

TEST_F(PagesTest, AFailedWriteIsLoggedAndTheGridShowsTheStoredRow) {
    Open(RefuseSql("tblAlliance", "UPDATE"));
    TADOTable* t = dm->tblAlliance;
    Go(t, 2);
    t->Edit();
    t->FieldByName("Name")->SetAsString("Good");
    EXPECT_THROW(t->Post(), EAbort);
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->FieldByName("Name")->AsString(), "Evil");
    EXPECT_EQ(Query("SELECT Name FROM tblAlliance WHERE ID=2"), "Evil");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(" - Error processing tblAlliance: "), std::string::npos) << log.lines[0];
    EXPECT_NE(log.lines[0].find("refused"), std::string::npos) << log.lines[0];

    // A refused insert (the name is taken) leaves no row in the grid.
    const int rows = t->RecordCount();
    t->Append();
    t->FieldByName("Name")->SetAsString("evil");
    EXPECT_THROW(t->Post(), EAbort);
    EXPECT_EQ(t->RecordCount(), rows);
    EXPECT_EQ(log.lines.size(), 2u);
    EXPECT_FALSE(dm->adoConnection->InTransaction());
}

TEST_F(PagesTest, TheNoneAllianceCannotBeEditedOrDeleted) {
    Open();
    Go(dm->tblAlliance, 1);
    EXPECT_THROW(dm->tblAlliance->Edit(), EAbort);
    EXPECT_EQ(dm->tblAlliance->State(), dsBrowse);
    EXPECT_FALSE(Delete(dm->tblAlliance));
    EXPECT_TRUE(script.shown.empty());
    EXPECT_TRUE(dialogs->Messages.empty());
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance WHERE ID=1"), "1");
}

TEST_F(PagesTest, AllianceGuardAsksAboutItsPlayers) {
    // Duplicate names, as older files may hold them: the namesake is offered first.
    Open("DROP INDEX tblAlliance_Name; INSERT INTO tblAlliance (ID, Name) VALUES (5, 'Evil'), (6, 'Blue');");
    const std::string prompt =
        "The alliance you want to delete is linked to several players, do you want to delete the alliance or "
        "redirect the linked players to a different alliance?";

    // Cancel: nothing happens.
    Go(dm->tblAlliance, 2);
    EXPECT_FALSE(Delete(dm->tblAlliance));
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(script.shown[0].prompt, prompt);
    EXPECT_EQ(script.shown[0].entries, (Lines{"<none> (1)", "A's (3)", "Blue (6)", "Evil (5)"}));
    EXPECT_EQ(script.shown[0].ids, (std::vector<int>{1, 3, 6, 5}));
    EXPECT_EQ(script.shown[0].itemIndex, 3);
    EXPECT_EQ(script.shown[0].targetID, -1);
    EXPECT_EQ(Query("SELECT group_concat(AllianceID, ',') FROM (SELECT AllianceID FROM tblPlayer ORDER BY ID)"),
              "2,1,2");

    // Redirect to the chosen alliance.
    script.answer = ChooseRedirect(2);
    EXPECT_TRUE(Delete(dm->tblAlliance));
    EXPECT_EQ(Query("SELECT group_concat(AllianceID, ',') FROM (SELECT AllianceID FROM tblPlayer ORDER BY ID)"),
              "6,1,6");
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance WHERE ID=2"), "0");

    // Delete: the players join "<none>", which is made again when it is gone.
    ExecSql(file, "DELETE FROM tblAlliance WHERE ID=1; UPDATE tblPlayer SET AllianceID=6;");
    script.answer = ChooseDelete;
    Go(dm->tblAlliance, 6);
    EXPECT_TRUE(Delete(dm->tblAlliance));
    EXPECT_EQ(script.shown.back().itemIndex, -1);
    const std::string none = Query("SELECT ID FROM tblAlliance WHERE Name='<none>'");
    EXPECT_NE(none, "<none>");
    EXPECT_EQ(Query("SELECT group_concat(DISTINCT AllianceID) FROM tblPlayer"), none);
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance WHERE ID=6"), "0");
    EXPECT_TRUE(dialogs->Messages.empty());
    EXPECT_FALSE(dm->adoConnection->InTransaction());
}

TEST_F(PagesTest, PlayerGuardDeletesOrRedirectsThePlanets) {
    Open();
    const std::string prompt =
        "The player you want to delete is linked to several planets, do you want to delete those planets or "
        "redirect the ownership of those planets to a different player?";
    script.answer = ChooseRedirect(1);  // Rigel
    Go(dm->tblPlayer, 1);
    EXPECT_TRUE(Delete(dm->tblPlayer));
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(script.shown[0].prompt, prompt);
    EXPECT_EQ(script.shown[0].entries, (Lines{"Altair - <none>(2)", "Rigel - Evil(3)"}));
    EXPECT_EQ(script.shown[0].itemIndex, -1);
    EXPECT_EQ(Query("SELECT group_concat(PlayerID, ',') FROM (SELECT PlayerID FROM tblPlanet ORDER BY ID)"),
              "3,3,2,3");
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer WHERE ID=1"), "0");

    // Delete takes the planets with the player, as the question says.
    script.answer = ChooseDelete;
    Go(dm->tblPlayer, 3);
    EXPECT_TRUE(Delete(dm->tblPlayer));
    EXPECT_EQ(Query("SELECT group_concat(ID, ',') FROM tblPlanet"), "3");
    EXPECT_EQ(Query("SELECT group_concat(ID, ',') FROM tblPlayer"), "2");
    EXPECT_TRUE(dialogs->Messages.empty());
}

TEST_F(PagesTest, RowsWithoutDependantsAreDeletedAfterAQuestion) {
    Open("INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (4, 'Idle', 1);");
    struct {
        TADOTable* table;
        int id;
        const char* question;
        const char* remaining;
    } const cases[] = {
        {dm->tblAlliance, 3, "Are you sure you want to delete alliance A's?", "SELECT Count(*) FROM tblAlliance"},
        {dm->tblPlayer, 4, "Are you sure you want to delete player Idle?", "SELECT Count(*) FROM tblPlayer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question);
        const std::string before = Query(c.remaining);
        Go(c.table, c.id);
        dialogs->QueueAnswer(mrNo);
        EXPECT_FALSE(Delete(c.table));
        EXPECT_EQ(Query(c.remaining), before);
        dialogs->QueueAnswer(mrYes);
        EXPECT_TRUE(Delete(c.table));
        EXPECT_EQ(Query(c.remaining), std::to_string(std::stoi(before) - 1));
        ASSERT_EQ(dialogs->Messages.size(), 2u);
        for (const TMessageDlgRequest& m : dialogs->Messages) {
            EXPECT_EQ(m.Text, c.question);
            EXPECT_EQ(m.Type, mtConfirmation);
            EXPECT_EQ(m.Buttons, mbYesNo);
        }
        dialogs->Messages.clear();
    }
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(PagesTest, AFailedDeleteIsLoggedAndKeepsTheRow) {
    Open(RefuseSql("tblAlliance", "DELETE"));
    script.answer = ChooseRedirect(1);
    Go(dm->tblAlliance, 2);
    EXPECT_FALSE(Delete(dm->tblAlliance));
    // The players' move is undone with the delete.
    EXPECT_EQ(Query("SELECT group_concat(AllianceID, ',') FROM (SELECT AllianceID FROM tblPlayer ORDER BY ID)"),
              "2,1,2");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(" - Error processing tblAlliance: "), std::string::npos) << log.lines[0];
    EXPECT_FALSE(dm->adoConnection->InTransaction());
}

TEST_F(PagesTest, StatusShowsTheFlagsSetToOne) {
    Open("UPDATE tblPlayer SET Inactive=1, Vacation=1 WHERE ID=1;"
         "UPDATE tblPlayer SET Noob=1, Strong=1, Banned=1, Inactive=1, LongInactive=1, Vacation=1 WHERE ID=3;"
         "UPDATE tblPlayer SET Noob=2, Strong=0 WHERE ID=2;");
    struct {
        int player;
        const char* status;
    } const cases[] = {{1, "(i v)"}, {2, ""}, {3, "(n s b i I v)"}};
    dm->viewPlanet->Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.player);
        Go(dm->tblPlayer, c.player);
        EXPECT_EQ(dm->tblPlayer->FieldByName("Status")->AsString(), c.status);
        ASSERT_TRUE(dm->viewPlanet->Locate("PlayerID", c.player, TLocateOptions()));
        EXPECT_EQ(dm->viewPlanet->FieldByName("Status")->AsString(), c.status);
    }
    const AnsiString saved = SSInactiveIndicator;
    SSInactiveIndicator = "ina";
    dm->tblPlayer->Close();
    dm->tblPlayer->Open();
    Go(dm->tblPlayer, 1);
    EXPECT_EQ(dm->tblPlayer->FieldByName("Status")->AsString(), "(ina v)");
    SSInactiveIndicator = saved;
}

TEST_F(PagesTest, RatingShowsItsCaption) {
    Open("UPDATE tblPlanet SET Rating=ID-1; INSERT INTO tblPlanet (ID, PlayerID, Rating) VALUES (5, 1, 4), "
         "(6, 1, 7), (7, 1, NULL);");
    dm->RatingCaptions = {"No", "Ra", "Fr", "In", "Da", "nO", "Cr", "Bl"};
    const char* expected[] = {"No", "Ra", "Fr", "Da", "Cr", "No", "No"};
    dm->viewPlanet->Open();
    for (int id = 1; id <= 7; ++id) {
        ASSERT_TRUE(dm->viewPlanet->Locate("tblplanet.ID", id, TLocateOptions()));
        EXPECT_EQ(dm->viewPlanet->FieldByName("RatingExpanded")->DisplayText(), expected[id - 1]) << id;
    }
}

TEST_F(PagesTest, PlanetViewReturnsToItsRowAndSort) {
    Open();
    TADOQuery* v = dm->viewPlanet;
    dm->PlanetSort = "PlanetName DESC";
    v->Open();
    EXPECT_EQ(v->Sort(), "PlanetName DESC");
    v->First();
    EXPECT_EQ(v->FieldByName("PlanetName")->AsString(), "Rig");
    ASSERT_TRUE(v->Locate("tblplanet.ID", 3, TLocateOptions()));
    v->Close();
    EXPECT_EQ(dm->SelectedPlanetID, 3);
    dm->PlanetSort = "PlanetName";
    v->Open();
    EXPECT_EQ(v->Sort(), "PlanetName");
    EXPECT_EQ(v->FieldByName("tblplanet.ID")->AsInteger(), 3);

    // A row that is gone leaves the view where it opened; an empty view remembers 0.
    v->Close();
    ExecSql(file, "DELETE FROM tblPlanet WHERE ID=3;");
    v->Open();
    EXPECT_EQ(v->RecNo(), 1);
    ExecSql(file, "DELETE FROM tblPlanet;");
    v->Close();
    v->Open();
    v->Close();
    EXPECT_EQ(dm->SelectedPlanetID, 0);
}
