// The data service and the feature registry: which feature object serves a
// data set, sorting by title clicks through it, and the column interceptors.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "grid/DBGridGxDatasetFeatures.h"
#include "grid/DBGridGxInterceptors.h"
#include "platform/db/DbClassInfo.h"
#include "platform/db/StMemoryDataset.h"
#include "tests/grid/features/FeatureTestSupport.h"

namespace {

using namespace featuretest;

// A feature object that only notes what it was asked.
class TRecordingFeatures : public TDatasetFeaturesGx {
public:
    explicit TRecordingFeatures(std::vector<std::string>* Log, const char* Name) : log_(Log), name_(Name) {}
    void ApplySorting(TCustomDBGridGx*, TDataSet*, bool Keep) override {
        log_->push_back(name_ + " sort" + (Keep ? " keep" : ""));
    }
    void ApplyFilter(TCustomDBGridGx*, TDataSet*, bool) override { log_->push_back(name_ + " filter"); }
    bool MoveRecords(TCustomDBGridGx*, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest) override {
        log_->push_back(name_ + " move " + std::to_string(Bookmarks->Count()) + " to " + std::to_string(Target) +
                        "+" + std::to_string(Offset) + (OnlyTest ? " test" : ""));
        return true;
    }

private:
    std::vector<std::string>* log_;
    std::string name_;
};

// A data set of a class nobody registered features for.
class TBareDataSet : public TDataSet {
public:
    using TDataSet::TDataSet;
    const char* ClassName() const override { return "TBareDataSet"; }

protected:
    void InternalOpen() override {
        FieldDefs()->Clear();
        FieldDefs()->Add("ID", ftInteger);
        BindFields();
        for (int i = 3; i >= 1; --i) SetCellInt(0, AddRow(), i);
    }
};

TEST(DatasetFeatures, ClassDistanceCountsParentsUpToTheNamedClass) {
    const TClassInfo* query = ClassInfoOf<TADOQuery>();
    EXPECT_EQ(ClassDistance(query, "TADOQuery"), 0);
    EXPECT_EQ(ClassDistance(query, "tcustomadodataset"), 1);
    EXPECT_EQ(ClassDistance(query, "TDataSet"), 2);
    EXPECT_EQ(ClassDistance(query, "TComponent"), 3);
    EXPECT_EQ(ClassDistance(query, "TStMemoryData"), 2147483647);
}

TEST(DatasetFeatures, TheNearestRegisteredAncestorServesAClass) {
    // Ours: one object for the SQLite data sets, one for memory tables.
    TDatasetFeaturesGx* ours = FindDatasetFeaturesClass(ClassInfoOf<TADOTable>());
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(ours->DataSetClass(), ClassInfoOf<TCustomADODataSet>());
    EXPECT_EQ(FindDatasetFeaturesClass(ClassInfoOf<TADOQuery>()), ours);
    ASSERT_NE(FindDatasetFeaturesClass(ClassInfoOf<TStMemoryData>()), nullptr);

    std::vector<std::string> log;
    auto* base = new TRecordingFeatures(&log, "base");
    auto* nearer = new TRecordingFeatures(&log, "query");
    auto* second = new TRecordingFeatures(&log, "second");
    RegisterDatasetFeatures(ClassInfoOf<TDataSet>(), base);
    RegisterDatasetFeatures(ClassInfoOf<TADOQuery>(), nearer);
    RegisterDatasetFeatures(ClassInfoOf<TADOQuery>(), second);
    EXPECT_EQ(FindDatasetFeaturesClass(ClassInfoOf<TADOQuery>()), nearer);  // nearest, first of equals
    EXPECT_EQ(FindDatasetFeaturesClass(ClassInfoOf<TADOTable>()), ours);
    EXPECT_EQ(FindDatasetFeaturesClass(ClassInfoOf<TDataSet>()), base);
    EXPECT_EQ(FindDatasetFeaturesClass(ClassInfoOf<TComponent>()), nullptr);
    // A program's own data set class answers for its registered ancestor.
    TBareDataSet bare(nullptr);
    EXPECT_EQ(GetDatasetFeaturesForDataSet(&bare), base);
    TStMemoryData memory(nullptr);
    EXPECT_NE(GetDatasetFeaturesForDataSet(&memory), base);
    UnregisterDatasetFeatures(second);
    UnregisterDatasetFeatures(nearer);
    UnregisterDatasetFeatures(base);
    EXPECT_EQ(GetDatasetFeaturesForDataSet(&bare), nullptr);
}

class DataService : public FleetGridTest {};

TEST_F(DataService, ADataSetWithoutFeaturesIsLeftAsItIs) {
    auto* bare = new TBareDataSet(form);
    source->SetDataSet(bare);
    bare->Open();
    grid->Columns()->Clear();
    grid->Columns()->Add()->SetFieldName("ID");
    grid->Columns()->Items(0)->Title()->SetSortMarker(smUpGx);
    grid->Columns()->Items(0)->STFilter()->SetExpressionText("> 1");
    DBGridGxDataService()->ApplySorting(grid);
    DBGridGxDataService()->ApplyFilter(grid);
    TStringList bookmarks;
    bookmarks.Add(bare->Bookmark());
    EXPECT_FALSE(DBGridGxDataService()->MoveRecords(grid, &bookmarks, 2, 0, true));
    EXPECT_EQ(bare->Sort(), "");
    EXPECT_EQ(bare->Filter(), "");
    EXPECT_EQ(bare->RecordCount(), 3);
    EXPECT_EQ(bare->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(DataService, TheServiceHandsRequestsToTheFeatureObjectUnlessItsEventsAreAssigned) {
    std::vector<std::string> log;
    auto* features = new TRecordingFeatures(&log, "query");
    RegisterDatasetFeatures(ClassInfoOf<TADOQuery>(), features);
    TDBGridGxDataService* service = DBGridGxDataService();
    service->ApplySorting(grid);
    service->ApplyFilter(grid);
    TStringList bookmarks;
    bookmarks.Add(query->Bookmark());
    EXPECT_TRUE(service->MoveRecords(grid, &bookmarks, 4, 1, false));
    struct Taker {
        std::vector<std::string>* Log;
        void Sort(TCustomDBGridGx* G) { Log->push_back("event sort " + G->Name()); }
        void Filter(TCustomDBGridGx* G) { Log->push_back("event filter " + G->Name()); }
    } taker{&log};
    service->ApplySortingEvent = TDBGridGxDataServiceEvent(&taker, &Taker::Sort);
    service->ApplyFilterEvent = TDBGridGxDataServiceEvent(&taker, &Taker::Filter);
    service->ApplySorting(grid);
    service->ApplyFilter(grid);
    service->ApplySortingEvent = nullptr;
    service->ApplyFilterEvent = nullptr;
    UnregisterDatasetFeatures(features);
    EXPECT_EQ(log, (std::vector<std::string>{"query sort keep", "query filter", "query move 1 to 4+1",
                                             "event sort Grid", "event filter Grid"}));
}

// ---------------------------------------------------------------------------
// Sorting by title clicks

class TitleSorting : public FleetGridTest {
protected:
    void SetUp() override {
        tick = 1000000;
        SetTickSource([this] { return tick; });
        ResetDoubleClick();
        FleetGridTest::SetUp();
        grid->SetOptionsGx(grid->OptionsGx() + dghAutoSortMarking);
        for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->Title()->SetTitleButton(true);
        grid->SetFocus();
        Application->ProcessMessages();
    }
    void TearDown() override {
        FleetGridTest::TearDown();
        SetTickSource(nullptr);
    }
    void ClickTitle(const char* FieldName, WPARAM Keys = 0) {
        tick += 1000;
        int raw = grid->DataToRawColumn(Column(FieldName)->Index());
        TRect r = grid->CellRect(raw, 0);
        int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON | Keys, MAKELPARAM(x, y));
        grid->Perform(WM_LBUTTONUP, Keys, MAKELPARAM(x, y));
        Application->ProcessMessages();
    }
    DWORD tick = 0;
};

TEST_F(TitleSorting, TitleClicksOrderTheQueryThroughItsFeatureObject) {
    query->Locate("ID", 3, {});
    ClickTitle("Metal");
    EXPECT_EQ(Column("Metal")->Title()->SortMarker(), smDownGx);
    EXPECT_EQ(query->Sort(), "[Metal] DESC");
    EXPECT_EQ(Ids(), (std::vector<int>{5, 4, 3, 2, 1, 6}));
    EXPECT_EQ(query->FieldByName("ID")->AsInteger(), 3);  // the current record stays
    ClickTitle("Metal");
    EXPECT_EQ(query->Sort(), "[Metal] ASC");
    EXPECT_EQ(Ids(), (std::vector<int>{6, 1, 2, 3, 4, 5}));
    // Another column takes over the order; nulls come first going up.
    ClickTitle("Debris");
    ClickTitle("Debris");
    EXPECT_EQ(Column("Metal")->Title()->SortMarker(), smNoneGx);
    EXPECT_EQ(query->Sort(), "[Debris] ASC");
    EXPECT_EQ(Ids(), (std::vector<int>{2, 6, 1, 3, 4, 5}));

    // With an OnSortMarkingChanged handler the program sorts for itself.
    struct Handler {
        int Calls = 0;
        void Changed(TObject*) { ++Calls; }
    } handler;
    grid->OnSortMarkingChanged = TNotifyEvent(&handler, &Handler::Changed);
    ClickTitle("Name");
    EXPECT_EQ(handler.Calls, 1);
    EXPECT_EQ(query->Sort(), "[Debris] ASC");
    grid->OnSortMarkingChanged = nullptr;
}

TEST_F(TitleSorting, SeveralMarkedColumnsSortInMarkingOrderAndThePaintedMarkerShowsIt) {
    grid->SetOptionsGx(grid->OptionsGx() + dghMultiSortMarking);
    Column("Metal")->Title()->SetSortMarker(smUpGx);
    Column("Name")->Title()->SetSortMarker(smDownGx);
    grid->SortMarkingChanged();
    EXPECT_EQ(query->Sort(), "[Metal] ASC, [Name] DESC");
    Column("Metal")->Title()->SetSortMarker(smNoneGx);
    grid->SortMarkingChanged();
    EXPECT_EQ(query->Sort(), "[Name] DESC");
    EXPECT_EQ(Ids(), (std::vector<int>{3, 4, 2, 6, 1, 5}));

    // The marker is painted at the title's right edge, where an unmarked title has none.
    PaintWindowNow(form->Handle());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-title-sorting.png").string();
    ASSERT_TRUE(SaveWindowImage(grid->Handle(), png));
    std::printf("title sorting screenshot: %s\n", png.c_str());
    auto darkPixelsNearRightEdge = [&](const char* Field) {
        TRect r = grid->CellRect(grid->DataToRawColumn(Column(Field)->Index()), 0);
        int dark = 0;
        for (int x = r.Right - 18; x < r.Right - 2; ++x)
            for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
                if (GetRValue(GetWindowPixel(grid->Handle(), x, y)) < 100) ++dark;
        return dark;
    };
    EXPECT_GT(darkPixelsNearRightEdge("Name"), 3);
    EXPECT_EQ(darkPixelsNearRightEdge("Seen"), 0);
}

// ---------------------------------------------------------------------------
// Column interceptors

class ColumnInterceptors : public FleetGridTest {};

TEST_F(ColumnInterceptors, FoundForTheColumnClassesAndTheirDescendants) {
    EXPECT_EQ(FindPropertyInterceptor(ClassInfoOf<TDBGridColumnsGx>()).Info,
              TColumnsGxPropertyInterceptor::StaticClassInfo());
    EXPECT_EQ(FindPropertyInterceptor(ClassInfoOf<TColumnGx>()).Info, TColumnGxPropertyInterceptor::StaticClassInfo());
    // The grid's own column class descends from TColumnGx and has no pair of its own.
    EXPECT_EQ(FindPropertyInterceptor(ClassInfoOf(grid->Columns()->Items(0))).Info,
              TColumnGxPropertyInterceptor::StaticClassInfo());
    EXPECT_NE(ClassInfoOf(grid->Columns()->Items(0)), ClassInfoOf<TColumnGx>());
    EXPECT_EQ(FindPropertyInterceptor(ClassInfoOf<TCollection>()).Info, nullptr);
}

TEST_F(ColumnInterceptors, ColumnsIndexReadsAndRestoresTheOrder) {
    TStoragePropertyInterceptorClass cls = FindPropertyInterceptor(ClassInfoOf(grid->Columns()));
    std::unique_ptr<TStoragePropertyInterceptor> made(cls.Create(grid->Columns()));
    auto* order = dynamic_cast<TColumnsGxPropertyInterceptor*>(made.get());
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(order->ColumnsIndex(), "\"Name\",\"Metal\",\"Debris\",\"Seen\"");
    // Through the published property, as a store sets it; an unknown name is
    // skipped and the others still move; a name given twice ends at the later place.
    SetStrProp(order, "ColumnsIndex", "\"Seen\",\"Nope\",\"Name\",\"Metal\",\"Seen\"");
    EXPECT_EQ(order->ColumnsIndex(), "\"Name\",\"Debris\",\"Metal\",\"Seen\"");
    SetStrProp(order, "ColumnsIndex", "Metal, \"Debris\", Name");
    EXPECT_EQ(order->ColumnsIndex(), "\"Metal\",\"Debris\",\"Name\",\"Seen\"");
    SetStrProp(order, "ColumnsIndex", "");
    EXPECT_EQ(order->ColumnsIndex(), "\"Metal\",\"Debris\",\"Name\",\"Seen\"");
}

TEST_F(ColumnInterceptors, AQuotedNameHoldingACommaIsOneName) {
    grid->Columns()->Add()->SetFieldName("Metal, raided");
    grid->Columns()->Add()->SetFieldName("Say \"hi\"");
    TColumnsGxPropertyInterceptor order(grid->Columns());
    const AnsiString stored = order.ColumnsIndex();
    EXPECT_EQ(stored, "\"Name\",\"Metal\",\"Debris\",\"Seen\",\"Metal, raided\",\"Say \"\"hi\"\"\"");
    SetStrProp(&order, "ColumnsIndex", "\"Say \"\"hi\"\"\", \"Metal, raided\",Seen");
    std::vector<std::string> names;
    for (int i = 0; i < grid->Columns()->Count(); ++i) names.push_back(grid->Columns()->Items(i)->FieldName());
    EXPECT_EQ(names, (std::vector<std::string>{"Say \"hi\"", "Metal, raided", "Seen", "Name", "Metal", "Debris"}));
    // What was read restores the order it was read from.
    SetStrProp(&order, "ColumnsIndex", stored);
    EXPECT_EQ(order.ColumnsIndex(), stored);
}

TEST_F(ColumnInterceptors, WidthGoesThroughTheSetterUnlessTheGridFitsItsColumns) {
    TColumnGx* name = Column("Name");
    TColumnGxPropertyInterceptor width(name);
    SetOrdProp(&width, "Width", 90);
    EXPECT_EQ(name->Width(), 90);
    EXPECT_EQ(grid->ColWidths(grid->DataToRawColumn(name->Index())), 90);
    grid->SetAutoFitColWidths(true);
    int shown = grid->ColWidths(grid->DataToRawColumn(name->Index()));
    SetOrdProp(&width, "Width", 40);
    EXPECT_EQ(name->Width(), 40);
    EXPECT_EQ(grid->ColWidths(grid->DataToRawColumn(name->Index())), shown);  // no new layout
}

}  // namespace

namespace {

TEST_F(DataService, AMemoryTableIsSortedAndFilteredThroughItsOwnTexts) {
    auto* table = new TStMemoryData(form);
    table->FieldDefs()->Add("Name", ftString, 20);
    table->FieldDefs()->Add("Score", ftInteger);
    table->Open();
    const struct {
        const char* Name;
        int Score;
    } rows[] = {{"b'x", 3}, {"a", 1}, {"c", 2}};
    for (const auto& r : rows) {
        table->Append();
        table->FieldByName("Name")->SetAsString(r.Name);
        table->FieldByName("Score")->SetAsInteger(r.Score);
        table->Post();
    }
    source->SetDataSet(table);
    grid->Columns()->Clear();
    grid->Columns()->Add()->SetFieldName("Name");
    grid->Columns()->Add()->SetFieldName("Score");
    grid->SetOptionsGx(grid->OptionsGx() + dghAutoSortMarking);
    grid->Columns()->Items(1)->Title()->SetSortMarker(smDownGx);
    grid->SortMarkingChanged();
    EXPECT_EQ(table->Sort(), "[Score] DESC");
    grid->Columns()->Items(0)->STFilter()->SetExpressionText("<> b'x");
    DBGridGxDataService()->ApplyFilter(grid);
    EXPECT_EQ(table->Filter(), "[Name] <> 'b''x'");
    std::vector<std::string> names;
    for (table->First(); !table->Eof(); table->Next()) names.push_back(table->FieldByName("Name")->AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"c", "a"}));
}

}  // namespace
