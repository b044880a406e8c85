// The SQLite connection and data sets: what the file sees.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/rtl/DateTime.h"

using namespace dbtest;

namespace {

const char* kSchema =
    "CREATE TABLE tblAlliance (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(50) COLLATE NOCASE, Members INT);"
    "CREATE TABLE tblPlayer (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(50) COLLATE NOCASE, AllianceID INT,"
    " Rank INT, Seen DATETIME, Note MEMO, IsNew BYTE);"
    "CREATE UNIQUE INDEX tblPlayer_Name ON tblPlayer (Name);"
    "INSERT INTO tblAlliance (Name, Members) VALUES ('<none>', 0), ('Wolves', 2);"
    "INSERT INTO tblPlayer (Name, AllianceID, Rank) VALUES ('bob', 2, 5), ('Ann', 2, 9), ('carl', 1, 7);";

class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        conn = new TADOConnection(owner.get());
        conn->SetConnectionString(db.ConnectionString());
        conn->Open();
    }
    void TearDown() override { owner.reset(); }

    TADOQuery* Query(const std::string& sql) {
        auto* q = new TADOQuery(owner.get());
        q->SetConnection(conn);
        q->SQL()->SetText(sql);
        return q;
    }
    std::string Count(const std::string& table) { return db.Scalar("SELECT COUNT(*) FROM " + table); }

    TempDatabase db{kSchema};
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TADOConnection* conn = nullptr;
};

TEST_F(SqliteTest, NestedTransactionsBecomeFinalOnlyWithTheOutermost) {
    EXPECT_FALSE(conn->InTransaction());
    EXPECT_EQ(conn->BeginTrans(), 1);
    conn->Execute("INSERT INTO tblAlliance (Name) VALUES ('outer')");
    EXPECT_EQ(conn->BeginTrans(), 2);
    conn->Execute("INSERT INTO tblAlliance (Name) VALUES ('inner')");
    conn->CommitTrans();
    EXPECT_TRUE(conn->InTransaction());
    conn->RollbackTrans();  // takes the committed inner work with it
    EXPECT_FALSE(conn->InTransaction());
    EXPECT_EQ(Count("tblAlliance"), "2");

    // An inner rollback undoes only its own part.
    conn->BeginTrans();
    conn->Execute("INSERT INTO tblAlliance (Name) VALUES ('kept')");
    conn->BeginTrans();
    conn->Execute("INSERT INTO tblAlliance (Name) VALUES ('dropped')");
    conn->RollbackTrans();
    conn->CommitTrans();
    EXPECT_EQ(db.Scalar("SELECT group_concat(Name) FROM tblAlliance WHERE ID > 2"), "kept");
    EXPECT_THROW(conn->CommitTrans(), EDatabaseError);
}

TEST_F(SqliteTest, ConnectionOpensOnlyExistingFilesAndClosesItsDataSets) {
    struct Events {
        int before = 0, after = 0;
        void Before(TObject*) { ++before; }
        void After(TObject*) { ++after; }
    } events;
    auto* other = new TADOConnection(owner.get());
    other->BeforeConnect = MakeEvent(&events, &Events::Before);
    other->AfterDisconnect = MakeEvent(&events, &Events::After);
    std::string missing = db.Path() + ".missing";
    other->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + missing + "\";Mode=Share Deny None");
    EXPECT_THROW(other->Open(), EDatabaseError);
    EXPECT_FALSE(std::filesystem::exists(missing));
    other->Close();
    EXPECT_EQ(events.after, 0);  // was never open

    other->SetConnectionString(db.ConnectionString());
    other->Open();
    EXPECT_EQ(events.before, 2);
    EXPECT_EQ(db.Scalar("PRAGMA journal_mode"), "delete");
    auto* q = new TADOQuery(owner.get());
    q->SetConnection(other);
    q->SQL()->Add("select * from tblPlayer");
    q->Open();
    EXPECT_EQ(q->RecordCount(), 3);
    other->Close();
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(events.after, 1);
    other->Close();
    EXPECT_EQ(events.after, 1);

    EXPECT_EQ(conn->Execute("UPDATE tblPlayer SET Rank = Rank + 1 WHERE AllianceID = 2"), 2);
    EXPECT_EQ(conn->Execute("CREATE TABLE x (a INT)"), 0);
}

TEST_F(SqliteTest, JoinNamesSharedColumnsAfterTheirTablesAndIsReadOnly) {
    TADOQuery* q = Query(
        "select * from tblplayer, tblAlliance where (tblplayer.allianceid=tblalliance.id) order by tblplayer.ID");
    q->Open();
    std::vector<std::string> names;
    for (int i = 0; i < q->FieldCount(); ++i) names.push_back(q->Fields()->Fields(i)->FieldName());
    EXPECT_EQ(names, (std::vector<std::string>{"tblplayer.ID", "tblplayer.Name", "AllianceID", "Rank", "Seen", "Note",
                                               "IsNew", "tblAlliance.ID", "tblAlliance.Name", "Members"}));
    EXPECT_EQ(q->FieldByName("TBLALLIANCE.name")->AsString(), "Wolves");
    EXPECT_EQ(q->FieldByName("tblPlayer.Name")->AsString(), "bob");
    EXPECT_EQ(q->FieldByName("IsNew")->DataType(), ftWord);
    EXPECT_EQ(q->FieldByName("Note")->DataType(), ftMemo);
    EXPECT_EQ(q->FieldByName("tblplayer.Name")->DataType(), ftWideString);
    EXPECT_EQ(q->FieldByName("tblplayer.Name")->Size(), 50);
    EXPECT_FALSE(q->CanModify());
    EXPECT_THROW(q->Edit(), EDatabaseError);

    // Filters and sorts name the joined columns either way.
    q->SetSort("tblAlliance.Name DESC, tblPlayer.Name");
    q->SetFilter("tblAlliance.Name <> 'x'");
    q->SetFiltered(true);
    EXPECT_EQ(Column(q, "tblplayer.Name"), (std::vector<std::string>{"Ann", "bob", "carl"}));
}

TEST_F(SqliteTest, ParametersMatchByNameIgnoringCaseAndByPosition) {
    TADOQuery* q = Query("select * from tblPlayer\nwhere (AllianceID=:ALL) and (Rank >= :minRank) and (Rank <> :all)");
    ASSERT_EQ(q->Parameters()->Count(), 2);
    EXPECT_EQ(q->Parameters()->Items(0)->Name(), "ALL");
    q->Parameters()->ParamByName("all")->SetValue(2);
    q->Parameters()->Items(1)->SetValue("6");  // text compared with an integer column
    q->Open();
    EXPECT_EQ(Column(q), (std::vector<std::string>{"Ann"}));
    EXPECT_THROW(q->Parameters()->ParamByName("nope"), EDatabaseError);

    // New text: the query closes and the parameters are made anew, quotes skipped.
    q->SQL()->Clear();
    q->SQL()->Add("select * from tblPlayer where Name = :Name and Name <> ':skip'");
    EXPECT_FALSE(q->Active());
    ASSERT_EQ(q->Parameters()->Count(), 1);
    q->Parameters()->ParamByName("NAME")->SetValue("BOB");  // NOCASE column
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);

    TADOQuery* upd = Query("update tblPlayer set Rank = :r where ID = :id");
    upd->Parameters()->ParamByName("R")->SetValue(1);
    upd->Parameters()->ParamByName("ID")->SetValue(1);
    EXPECT_EQ(upd->ExecSQL(), 1);
    EXPECT_EQ(db.Scalar("SELECT Rank FROM tblPlayer WHERE ID = 1"), "1");
}

TEST_F(SqliteTest, EditableQueriesWriteBackAndPutTheNewRowidInTheKey) {
    TADOQuery* q = Query("select * from tblAlliance");
    q->Open();
    EXPECT_TRUE(q->CanModify());
    EXPECT_EQ(q->UpdateTable(), "tblAlliance");
    q->Append();
    q->FieldByName("Name")->SetAsString("A's");
    q->Post();
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(db.Scalar("SELECT Name FROM tblAlliance WHERE ID = 3"), "A's");

    // An edit writes only the changed fields: a change made meanwhile survives.
    db.Exec("UPDATE tblAlliance SET Members = 42 WHERE ID = 3");
    q->Edit();
    q->FieldByName("Name")->SetAsString("Bears");
    q->Post();
    EXPECT_EQ(db.Scalar("SELECT Name || '/' || Members FROM tblAlliance WHERE ID = 3"), "Bears/42");
    EXPECT_EQ(q->FieldByName("Members")->AsString(), "");  // the snapshot, until read again
    q->Refresh();
    EXPECT_EQ(q->FieldByName("Name")->AsString(), "Bears");
    EXPECT_EQ(q->FieldByName("Members")->AsInteger(), 42);

    // The row is gone from the file: the post fails and the edit stays.
    db.Exec("DELETE FROM tblAlliance WHERE ID = 3");
    q->Edit();
    q->FieldByName("Members")->SetAsInteger(1);
    EXPECT_THROW(q->Post(), EDatabaseError);
    EXPECT_EQ(q->State(), dsEdit);
    q->Cancel();

    q->First();
    q->Delete();
    EXPECT_EQ(db.Scalar("SELECT group_concat(Name) FROM tblAlliance"), "Wolves");

    // A refused insert (the unique index) leaves the record being inserted.
    TADOQuery* players = Query("select * from tblPlayer");
    players->Open();
    players->Append();
    players->FieldByName("Name")->SetAsString("BOB");
    EXPECT_THROW(players->Post(), EDatabaseError);
    EXPECT_EQ(players->State(), dsInsert);
    players->Cancel();
    EXPECT_EQ(players->RecordCount(), 3);
}

TEST_F(SqliteTest, BatchModeChangesOnlyTheRowsHeld) {
    auto* t = new TADOTable(owner.get());
    t->SetConnection(conn);
    t->SetTableName("tblPlayer");
    t->SetIndexName("Name");
    t->SetLockType(ltBatchOptimistic);
    t->Open();
    EXPECT_EQ(Column(t), (std::vector<std::string>{"Ann", "bob", "carl"}));  // ordered by the Name index
    t->First();
    t->Edit();
    t->FieldByName("Rank")->SetAsInteger(100);
    t->Post();
    t->Last();
    t->Delete();
    t->Append();
    t->FieldByName("Name")->SetAsString("dan");
    t->Post();
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_EQ(db.Scalar("SELECT group_concat(Name || Rank) FROM tblPlayer ORDER BY ID"), "bob5,Ann9,carl7");

    t->SetIndexName("Rank");  // no such index: the column itself
    EXPECT_EQ(Column(t), (std::vector<std::string>{"bob", "carl", "Ann"}));
}

TEST_F(SqliteTest, DatesAndTextRoundTripExactly) {
    TADOQuery* q = Query("select * from tblPlayer where ID = :ID");
    q->Parameters()->ParamByName("ID")->SetValue(1);
    q->Open();
    const TDateTime when = EncodeDate(2024, 3, 8) + EncodeTime(14, 5, 9, 0);
    const TDateTime old = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));  // -1.25
    AnsiString cyrillic = FromUtf8Literal("Пётр");
    q->Edit();
    q->FieldByName("Seen")->SetAsDateTime(when);
    q->FieldByName("Note")->SetAsString(cyrillic);
    q->Post();
    EXPECT_EQ(db.Scalar("SELECT Seen FROM tblPlayer WHERE ID = 1"), "2024-03-08 14:05:09");
    EXPECT_EQ(db.Scalar("SELECT Note FROM tblPlayer WHERE ID = 1"), "Пётр");

    TADOQuery* back = Query("select * from tblPlayer where Seen = :DT");
    back->Parameters()->ParamByName("dt")->SetValue(VarFromDateTime(when));
    back->Open();
    ASSERT_EQ(back->RecordCount(), 1);
    EXPECT_EQ(back->FieldByName("Seen")->AsDateTime(), when);
    EXPECT_EQ(back->FieldByName("Note")->AsString(), cyrillic);

    q->Edit();
    q->FieldByName("Seen")->SetAsDateTime(old);
    q->Post();
    EXPECT_EQ(db.Scalar("SELECT Seen FROM tblPlayer WHERE ID = 1"), "1899-12-29 06:00:00");
    q->Refresh();
    EXPECT_EQ(q->FieldByName("Seen")->AsDateTime(), old);
}

TEST_F(SqliteTest, PersistentFieldsBindByNameAndAMissingColumnFailsTheOpen) {
    TADOQuery* q = Query("select * from tblAlliance");
    auto* name = new TStringField(owner.get());
    name->SetFieldName("name");
    name->SetSize(50);
    name->SetDisplayLabel("Alliance");
    name->SetDataSet(q);
    q->Open();
    EXPECT_EQ(q->FieldCount(), 1);
    EXPECT_EQ(q->FieldByName("Name")->DisplayLabel(), "Alliance");
    EXPECT_EQ(Column(q), (std::vector<std::string>{"<none>", "Wolves"}));
    q->Close();

    auto* gone = new TIntegerField(owner.get());
    gone->SetFieldName("Score");
    gone->SetDataSet(q);
    try {
        q->Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'Score' not found");
    }
    EXPECT_FALSE(q->Active());
}

}  // namespace
