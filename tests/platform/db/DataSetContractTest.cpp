// What every data set must do for the grid and the data module, run against
// the memory data set and the SQLite query alike.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/db/DBFilter.h"
#include "platform/rtl/SysUtils.h"

using namespace dbtest;

namespace {

using Names = std::vector<std::string>;

template <typename Maker>
class DataSetContract : public ::testing::Test {
protected:
    void SetUp() override { ds = maker.Make(owner.get(), FieldSetup()); }
    void TearDown() override { owner.reset(); }

    // A source and a recording link with the given buffer count, attached to ds.
    void Attach(RecordingLink& link, int bufferCount) {
        source = new TDataSource(owner.get());
        source->SetDataSet(ds);
        link.SetDataSource(source);
        link.SetBufferCount(bufferCount);
        link.Reset();
    }

    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    Maker maker;
    TDataSet* ds = nullptr;
    TDataSource* source = nullptr;
};

using Makers = ::testing::Types<MemoryMaker, SqliteMaker>;
TYPED_TEST_SUITE(DataSetContract, Makers);

void AbortHandler(TDataSet*) { Abort(); }

Names Slice(int from, int to) {
    Names all = SampleNames();
    return Names(all.begin() + from, all.begin() + to + 1);
}

TYPED_TEST(DataSetContract, NavigationMovesTheWindowByTheLeastDistance) {
    TDataSet* ds = this->ds;
    RecordingLink link;
    this->Attach(link, 3);
    EXPECT_EQ(link.RecordCount(), 3);
    EXPECT_EQ(link.Window(), Slice(0, 2));
    EXPECT_TRUE(ds->IsSequenced());
    EXPECT_EQ(ds->RecordCount(), 10);

    struct Step {
        const char* what;
        int distance;     // for MoveBy
        int moved;        // answer of MoveBy
        std::string event;
        int active;
        int first;        // first record of the window
        bool bof, eof;
    };
    const Step steps[] = {
        {"next inside", 1, 1, "scroll 0", 1, 0, false, false},
        {"next to the edge", 1, 1, "scroll 0", 2, 0, false, false},
        {"next beyond", 1, 1, "scroll 1", 2, 1, false, false},
        {"back to the start", -3, -3, "scroll -1", 0, 0, false, false},
        {"before the first", -1, 0, "scroll 0", 0, 0, true, false},
        {"far ahead", 6, 6, "scroll 4", 2, 4, false, false},
        {"past the end", 100, 3, "scroll 3", 2, 7, false, true},
        {"after the end", 1, 0, "", 2, 7, false, true},
        {"back inside", -2, -2, "scroll 0", 0, 7, false, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        link.Reset();
        EXPECT_EQ(ds->MoveBy(s.distance), s.moved);
        EXPECT_EQ(link.events, s.event.empty() ? Names() : Names{s.event});
        EXPECT_EQ(link.ActiveRecord(), s.active);
        EXPECT_EQ(link.Window(), Slice(s.first, s.first + 2));
        EXPECT_EQ(ds->Bof(), s.bof);
        EXPECT_EQ(ds->Eof(), s.eof);
    }

    link.Reset();
    ds->Last();
    EXPECT_EQ(link.events, Names{"change"});
    EXPECT_EQ(link.Window(), Slice(7, 9));
    EXPECT_EQ(link.ActiveRecord(), 2);
    EXPECT_EQ(ds->RecNo(), 10);

    // A larger buffer fills at once, keeping the current record.
    link.SetBufferCount(5);
    EXPECT_EQ(link.RecordCount(), 5);
    EXPECT_EQ(link.Window(), Slice(5, 9));
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Eta");

    ds->First();
    EXPECT_EQ(link.Window(), Slice(0, 4));
    EXPECT_EQ(link.ActiveRecord(), 0);
}

TYPED_TEST(DataSetContract, LinksWithSmallerBuffersFollowTheCurrentRecord) {
    TDataSet* ds = this->ds;
    RecordingLink big, small;
    this->Attach(big, 4);
    small.SetDataSource(this->source);
    small.Reset();
    ds->MoveBy(2);  // inside the big window; the one-record window moves along
    EXPECT_EQ(big.events, Names{"scroll 0"});
    EXPECT_EQ(small.events, Names{"scroll 2"});
    EXPECT_EQ(small.Window(), Names{"Alpha"});
    EXPECT_EQ(small.ActiveRecord(), 0);
}

TYPED_TEST(DataSetContract, GotoBookmarkLocateAndRecNoCentreTheTarget) {
    TDataSet* ds = this->ds;
    RecordingLink link;
    this->Attach(link, 5);

    ds->SetRecNo(8);  // beyond the window: centred
    EXPECT_EQ(link.events, Names{"change"});
    EXPECT_EQ(link.ActiveRecord(), 2);
    EXPECT_EQ(link.Window(), Slice(5, 9));
    TBookmarkStr eighth = ds->Bookmark();
    ds->Last();
    TBookmarkStr last = ds->Bookmark();

    ds->First();
    ds->GotoBookmark(eighth);
    EXPECT_EQ(link.ActiveRecord(), 2);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Epsilon");

    ds->First();
    ds->GotoBookmark(last);  // too near the end to centre: the window fills from before
    EXPECT_EQ(link.Window(), Slice(5, 9));
    EXPECT_EQ(link.ActiveRecord(), 4);

    ds->First();
    ASSERT_TRUE(ds->Locate("Name", "Gamma", {}));
    EXPECT_EQ(link.Window(), Slice(3, 7));
    EXPECT_EQ(link.ActiveRecord(), 2);

    link.Reset();
    ds->SetRecNo(5);  // inside the window: a plain move
    EXPECT_EQ(link.events, Names{"scroll 0"});
    EXPECT_EQ(link.ActiveRecord(), 1);
}

TYPED_TEST(DataSetContract, BookmarksKeepRecordOrderAcrossInsertsAndDeletes) {
    TDataSet* ds = this->ds;
    ds->SetRecNo(3);
    TBookmarkStr third = ds->Bookmark();
    ds->SetRecNo(4);
    TBookmarkStr fourth = ds->Bookmark();

    ds->Insert();
    EXPECT_FALSE(ds->BookmarkValid(ds->Bookmark()));  // a record not yet posted has no place
    ds->FieldByName("Name")->SetAsString("new");
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 4);
    TBookmarkStr inserted = ds->Bookmark();
    EXPECT_EQ(ds->CompareBookmarks(third, inserted), -1);
    EXPECT_EQ(ds->CompareBookmarks(inserted, fourth), -1);
    EXPECT_EQ(ds->CompareBookmarks(fourth, inserted), 1);
    EXPECT_EQ(ds->CompareBookmarks(inserted, inserted), 0);
    EXPECT_EQ(ds->CompareBookmarks("", inserted), -1);

    // Delete the third, then insert many records before the fourth, each after
    // the one before: the order keys run out and are numbered anew.
    ds->GotoBookmark(third);
    ds->Delete();
    for (int i = 0; i < 40; ++i) {
        ds->GotoBookmark(fourth);
        ds->Insert();
        ds->FieldByName("Name")->SetAsString("n" + std::to_string(i));
        ds->Post();
    }
    EXPECT_EQ(ds->RecordCount(), 50);
    std::vector<TBookmarkStr> marks;
    for (ds->First(); !ds->Eof(); ds->Next()) marks.push_back(ds->Bookmark());
    for (size_t i = 1; i < marks.size(); ++i) ASSERT_EQ(ds->CompareBookmarks(marks[i - 1], marks[i]), -1) << i;
    ds->GotoBookmark(fourth);
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "n39");

    // The deleted record keeps its place in the order but cannot be gone to.
    EXPECT_EQ(ds->CompareBookmarks(third, inserted), -1);
    EXPECT_EQ(ds->CompareBookmarks(marks[1], third), -1);
    EXPECT_FALSE(ds->BookmarkValid(third));
    EXPECT_TRUE(ds->BookmarkValid(fourth));
    ds->SetRecNo(7);
    EXPECT_THROW(ds->GotoBookmark(third), EDatabaseError);
    EXPECT_EQ(ds->RecNo(), 7);
}

TYPED_TEST(DataSetContract, AbortInBeforeDeleteCancelsSilently) {
    TDataSet* ds = this->ds;
    EventCounter afterDelete;
    ds->BeforeDelete = TDataSetNotifyEvent(&AbortHandler);
    ds->AfterDelete = afterDelete.Event();
    ds->SetRecNo(2);
    EXPECT_THROW(ds->Delete(), EAbort);
    EXPECT_EQ(ds->RecordCount(), 10);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "beta");
    EXPECT_EQ(afterDelete.count, 0);
    EXPECT_EQ(ds->State(), dsBrowse);

    ds->BeforeDelete = nullptr;
    ds->Delete();
    EXPECT_EQ(ds->RecordCount(), 9);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Alpha");
    EXPECT_EQ(afterDelete.count, 1);
}

TYPED_TEST(DataSetContract, DisableControlsNestsAndSendsOneNoticeAtTheEnd) {
    TDataSet* ds = this->ds;
    RecordingLink link;
    this->Attach(link, 3);
    EventCounter afterScroll;
    ds->AfterScroll = afterScroll.Event();

    ds->DisableControls();
    ds->DisableControls();
    ds->Next();
    ds->MoveBy(5);
    ds->EnableControls();
    EXPECT_TRUE(ds->ControlsDisabled());
    EXPECT_TRUE(link.events.empty());
    ds->EnableControls();
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(link.events, Names{"change"});
    EXPECT_EQ(afterScroll.count, 2);  // scroll events of the data set itself still fire
    EXPECT_EQ(link.Window(), Slice(4, 6));

    // A layout change while disabled becomes the notice at the end; a state change adds its own.
    link.Reset();
    ds->DisableControls();
    ds->FieldByName("Score")->SetVisible(false);
    ds->Edit();
    ds->EnableControls();
    EXPECT_EQ(link.events, (Names{"editing", "layout"}));
}

TYPED_TEST(DataSetContract, LocateOptions) {
    TDataSet* ds = this->ds;
    struct Case {
        const char* fields;
        Variant key;
        TLocateOptions options;
        const char* found;  // nullptr: not found
    };
    const Case cases[] = {
        {"Name", "MAIN", {}, nullptr},
        {"Name", "MAIN", {loCaseInsensitive}, "Main"},
        {"Name", "Ma", {loPartialKey}, "Main"},
        {"Name", "ma", {loPartialKey}, nullptr},
        {"Name", "ma", {loCaseInsensitive, loPartialKey}, "Main"},
        {"Name", "alpha", {loCaseInsensitive}, "Alpha"},
        {"Name", "ALPHA2", {loCaseInsensitive, loPartialKey}, "alpha2"},
        {"Score", "20", {}, "Alpha"},
        {"Score", " 45", {}, "zeta"},
        {"Score", "abc", {}, nullptr},
        {"Score", Null(), {}, "o'neil"},
        {"name;SCORE", VarArrayOf({"alpha2", 20}), {}, "alpha2"},
        {"Seen", VarFromDateTime(SqlTextToDateTime("2024-03-10 00:00:00")), {}, "Gamma"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fields) + " " + (VarIsArray(c.key) ? "(array)" : VarToStr(c.key)));
        ds->SetRecNo(7);
        bool found = ds->Locate(c.fields, c.key, c.options);
        EXPECT_EQ(found, c.found != nullptr);
        EXPECT_EQ(ds->FieldByName("Name")->AsString(), c.found ? c.found : "delta");
    }
    EXPECT_THROW(ds->Locate("Nope", 1, {}), EDatabaseError);
}

TYPED_TEST(DataSetContract, SortTexts) {
    TDataSet* ds = this->ds;
    struct Case {
        const char* sort;
        Names names;
    };
    const Case cases[] = {
        {"Score", {"o'neil", "Epsilon", "beta", "Eta", "Alpha", "alpha2", "Main", "Gamma", "zeta", "delta"}},
        {"Score DESC", {"delta", "zeta", "Gamma", "Main", "Alpha", "alpha2", "Eta", "beta", "Epsilon", "o'neil"}},
        {"name", {"Alpha", "alpha2", "beta", "delta", "Epsilon", "Eta", "Gamma", "Main", "o'neil", "zeta"}},
        {"Score ASC, Name DESC", {"o'neil", "Epsilon", "beta", "Eta", "alpha2", "Alpha", "Main", "Gamma", "zeta", "delta"}},
        {"t.score desc", {"delta", "zeta", "Gamma", "Main", "Alpha", "alpha2", "Eta", "beta", "Epsilon", "o'neil"}},
        {"TeamID, [Seen] DESC", {"zeta", "Alpha", "Main", "delta", "alpha2", "Gamma", "Epsilon", "beta", "o'neil", "Eta"}},
        {"", SampleNames()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sort);
        ASSERT_TRUE(ds->Locate("Name", "Gamma", {}));
        ds->SetSort(c.sort);
        EXPECT_EQ(ds->Sort(), c.sort);
        EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Gamma");  // stays on its record
        EXPECT_EQ(Column(ds), c.names);
    }
    ds->SetSort("Score");
    EXPECT_THROW(ds->SetSort("Score, Nope DESC"), EDatabaseError);
    EXPECT_THROW(ds->SetSort("Score, , Name"), EDatabaseError);
    EXPECT_EQ(ds->Sort(), "Score");
    EXPECT_EQ(Column(ds), cases[0].names);
}

TYPED_TEST(DataSetContract, FilterTexts) {
    TDataSet* ds = this->ds;
    EventCounter afterScroll;
    ds->AfterScroll = afterScroll.Event();
    struct Case {
        const char* filter;
        Names names;
        bool dayFirst = false;
    };
    const Case cases[] = {
        {"Score > 20", {"Main", "Gamma", "delta", "zeta"}},
        {"Score >= 20 AND Name LIKE 'a*'", {"Alpha", "alpha2"}},
        {"(Score < 12) or (Score > 44)", {"beta", "delta", "Epsilon", "zeta"}},
        {"Score <> 20", {"Main", "beta", "Gamma", "delta", "Epsilon", "zeta", "Eta"}},
        {"Name = 'O''NEIL'", {"o'neil"}},
        {"t.Name LIKE '%ta'", {"beta", "delta", "zeta", "Eta"}},
        {"[Name] like '*PS*'", {"Epsilon"}},
        {"(Seen > 3/8/2024)", {"Main", "Alpha", "Gamma", "zeta"}},
        {"(Seen > 3/8/2024)", {"zeta"}, true},
        {"Seen >= #2024-03-08# AND Seen < #3/9/2024 12:00#", {"Main", "Epsilon"}},
        {"Seen < '2024-01-01'", {"Eta"}},
        {"Seen = NULL", {"alpha2"}},
        {"Score <> NULL AND TeamID = 2 AND Score < 15.5", {"beta", "Epsilon", "Eta"}},
        {"Name > 'D' AND Name < 'f'", {"delta", "Epsilon", "Eta"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        SetFilterDateFormat(c.dayFirst ? "d\"/\"m\"/\"yyyy" : "m\"/\"d\"/\"yyyy");
        ds->SetRecNo(4);
        afterScroll.count = 0;
        ds->SetFilter(c.filter);
        ds->SetFiltered(true);
        EXPECT_EQ(ds->RecNo(), 1);
        EXPECT_GE(afterScroll.count, 1);
        EXPECT_EQ(ds->RecordCount(), static_cast<int>(c.names.size()));
        EXPECT_EQ(Column(ds), c.names);
        ds->SetFiltered(false);
        EXPECT_EQ(ds->Filter(), c.filter);
        EXPECT_EQ(ds->RecordCount(), 10);
    }
    SetFilterDateFormat("m\"/\"d\"/\"yyyy");

    // A bad expression raises with its text and leaves the filter as it was.
    ds->SetFilter("Score > 20");
    ds->SetFiltered(true);
    for (const char* bad : {"Score >", "(Score > 1", "Name = 'abc", "Score > 'abc'", "Nope = 1", "Score 5",
                            "Score > 1 AND", "Seen > 13/45/2024", "Name LIKE 5/5/2024"}) {
        SCOPED_TRACE(bad);
        try {
            ds->SetFilter(bad);
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(e.Message().find(bad), AnsiString::npos) << e.Message();
        }
        EXPECT_EQ(ds->Filter(), "Score > 20");
        EXPECT_TRUE(ds->Filtered());
        EXPECT_EQ(ds->RecordCount(), 4);
    }

    // OnFilterRecord narrows further, reading the record under test.
    struct TeamOne {
        TDataSetState state = dsInactive;
        void Accept(TDataSet* d, bool& accept) {
            state = d->State();
            accept = d->FieldByName("TeamID")->AsInteger() == 1;
        }
    } teamOne;
    ds->OnFilterRecord = MakeEvent(&teamOne, &TeamOne::Accept);
    ds->SetFiltered(false);
    ds->SetFiltered(true);
    EXPECT_EQ(Column(ds), (Names{"Main", "delta", "zeta"}));
    EXPECT_EQ(teamOne.state, dsFilter);
    EXPECT_EQ(ds->State(), dsBrowse);
}

TYPED_TEST(DataSetContract, CalculatedAndLookupFields) {
    this->owner = std::make_unique<TComponent>(nullptr);
    TStMemoryData* teams = MakeTeams(this->owner.get());
    FieldSetup setup;
    setup.persistent = true;
    setup.teams = teams;
    TDataSet* ds = this->maker.Make(this->owner.get(), setup);
    RecordingLink link;
    this->source = new TDataSource(this->owner.get());
    this->source->SetDataSet(ds);
    link.SetDataSource(this->source);
    link.SetBufferCount(4);

    EXPECT_FALSE(ds->DefaultFields());
    EXPECT_EQ(ds->FieldCount(), 7);
    EXPECT_EQ(ds->FieldByName("Double")->FieldKind(), fkCalculated);
    EXPECT_EQ(link.Window("Double"), (Names{"60", "20", "40", ""}));
    EXPECT_EQ(link.Window("Team"), (Names{"Red", "Blue", "Red", "Blue"}));
    EXPECT_EQ(Column(ds, "Double"), (Names{"60", "20", "40", "", "40", "80", "100", "10", "90", "30"}));

    // Lookup does not move the lookup data set; a change there shows at once.
    teams->Last();
    EXPECT_EQ(VarToStr(teams->Lookup("ID", 1, "Title")), "Red");
    EXPECT_TRUE(VarIsNull(teams->Lookup("ID", 3, "Title")));
    EXPECT_EQ(teams->RecNo(), 2);
    teams->Edit();
    teams->FieldByName("Title")->SetAsString("Navy");
    teams->Post();
    ds->First();
    EXPECT_EQ(ds->FieldByName("Team")->AsString(), "Red");
    ds->Next();
    EXPECT_EQ(ds->FieldByName("Team")->AsString(), "Navy");

    // Editing recalculates before the post.
    ds->Edit();
    ds->FieldByName("Score")->SetAsInteger(7);
    EXPECT_EQ(ds->FieldByName("Double")->AsInteger(), 14);
    EXPECT_THROW(ds->FieldByName("Team")->SetAsString("x"), EDatabaseError);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("Double")->AsInteger(), 14);

    teams->Close();
    EXPECT_TRUE(ds->FieldByName("Team")->IsNull());
    EXPECT_EQ(ds->FieldByName("Double")->AsInteger(), 14);
}

TYPED_TEST(DataSetContract, FieldsValuesAndEditRules) {
    TDataSet* ds = this->ds;
    EXPECT_EQ(ds->FieldByName("name"), ds->FieldByName("NAME"));
    try {
        ds->FieldByName("Nope");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'Nope' not found");
    }
    TField* score = ds->FieldByName("Score");
    TField* name = ds->FieldByName("Name");
    TField* seen = ds->FieldByName("Seen");
    try {
        score->SetAsInteger(1);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    EXPECT_EQ(score->Alignment(), taRightJustify);
    EXPECT_EQ(name->Alignment(), taLeftJustify);
    EXPECT_EQ(ds->FieldByName("ID")->DataType(), ftAutoInc);
    EXPECT_EQ(seen->DataType(), ftDateTime);

    ds->SetRecNo(4);  // o'neil: no score
    EXPECT_TRUE(score->IsNull());
    EXPECT_EQ(score->AsInteger(), 0);
    EXPECT_EQ(score->AsString(), "");
    EXPECT_TRUE(VarIsNull(score->Value()));

    ds->Edit();
    score->SetAsString("1234567");
    EXPECT_EQ(score->AsInteger(), 1234567);
    static_cast<TNumericField*>(score)->SetDisplayFormat("# ### ### ### ##0");
    EXPECT_EQ(Trim(score->DisplayText()), "1 234 567");
    EXPECT_THROW(score->SetAsString("12x"), EConvertError);
    // A value the column's type cannot hold is refused, whichever way it
    // comes, so no stored value fails a later read.
    for (const char* tooBig : {"2147483648", "-2147483649", "3000000000"})
        EXPECT_THROW(score->SetAsString(tooBig), EConvertError) << tooBig;
    EXPECT_THROW(score->SetAsLargeInt(int64_t{1} << 40), EConvertError);
    EXPECT_THROW(score->SetAsFloat(3e9), EConvertError);
    score->SetAsString("-2147483648");
    EXPECT_EQ(score->AsInteger(), INT32_MIN);
    score->SetAsString("");
    EXPECT_TRUE(score->IsNull());
    name->SetAsString("");
    EXPECT_TRUE(name->IsNull());
    seen->SetAsDateTime(SqlTextToDateTime("2024-03-08 14:05:00"));
    static_cast<TDateTimeField*>(seen)->SetDisplayFormat("mm/dd hh:nn");
    EXPECT_EQ(seen->DisplayText(), "03/08 14:05");
    ds->Cancel();
    EXPECT_EQ(name->AsString(), "o'neil");
    EXPECT_EQ(seen->AsDateTime(), SqlTextToDateTime("2024-03-01 08:00:00"));

    // OnGetText replaces both texts; FieldValues reads several fields at once.
    struct Texts {
        void Get(TField*, AnsiString& text, bool display) { text = display ? "shown" : "edited"; }
    } texts;
    name->OnGetText = MakeEvent(&texts, &Texts::Get);
    EXPECT_EQ(name->DisplayText(), "shown");
    EXPECT_EQ(name->Text(), "edited");
    name->OnGetText = nullptr;
    Variant both = ds->FieldValues("Name;TeamID");
    EXPECT_EQ(VarToStr(both[0]), "o'neil");
    EXPECT_EQ(both[1].AsInteger(), 2);

    // Moving a field changes its index and tells the links.
    RecordingLink link;
    this->Attach(link, 1);
    score->SetIndex(0);
    EXPECT_EQ(ds->Fields()->Fields(0), score);
    EXPECT_EQ(link.Count("layout"), 1);
}

TYPED_TEST(DataSetContract, InsertAppendAndCancelKeepTheWindowRight) {
    TDataSet* ds = this->ds;
    RecordingLink link;
    this->Attach(link, 4);
    ds->SetRecNo(3);  // window Main..o'neil, Alpha at 2
    ds->Insert();
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_EQ(link.Window(), (Names{"Main", "beta", "", "Alpha"}));
    EXPECT_EQ(link.ActiveRecord(), 2);
    ds->FieldByName("Name")->SetAsString("mid");
    EXPECT_EQ(link.Window(), (Names{"Main", "beta", "mid", "Alpha"}));
    ds->Post();
    EXPECT_EQ(link.Window(), (Names{"Main", "beta", "mid", "Alpha"}));
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->RecordCount(), 11);

    ds->Append();
    EXPECT_EQ(link.Window(), (Names{"Epsilon", "zeta", "Eta", ""}));
    ds->Cancel();
    EXPECT_EQ(ds->RecordCount(), 11);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Eta");

    // A record left unchanged after Insert is dropped by the next move.
    ds->First();
    ds->Insert();
    ds->Next();
    EXPECT_EQ(ds->RecordCount(), 11);
    EXPECT_EQ(ds->State(), dsBrowse);
}

}  // namespace
