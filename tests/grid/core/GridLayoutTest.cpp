// The grid over a data set: columns from fields or by name, the record window
// sized to the rows that fit, rows that follow the window, frozen columns,
// auto-fit widths and heights from the fonts.
#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

// Counts the layouts a grid runs (each sets the column attributes twice, and nothing else does).
class TCountingGrid : public TDBGridGx {
public:
    using TDBGridGx::TDBGridGx;
    int AttributeSettings = 0;
    int Layouts() const { return AttributeSettings / 2; }
    void SetColumnAttributes() override {
        ++AttributeSettings;
        TDBGridGx::SetColumnAttributes();
    }
};

class GridLayout : public GridTest {};

TEST_F(GridLayout, InactiveSourceShowsTitleAndOneEmptyRow) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    EXPECT_EQ(g->TitleOffset(), 1);
    EXPECT_EQ(g->RowCount(), g->TitleOffset() + 1);
    EXPECT_EQ(g->FixedRows(), 1);
    // One default column without a field keeps the grid drawable.
    ASSERT_EQ(g->Columns()->Count(), 1);
    EXPECT_EQ(g->Columns()->Items(0)->Field(), nullptr);
    EXPECT_EQ(g->ColCount(), 2);
}

TEST_F(GridLayout, DefaultColumnsFollowTheVisibleFieldsAndTheirOrder) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    EXPECT_EQ(ColumnNames(g->Columns()), (std::vector<std::string>{"ID", "Name", "Galaxy", "System", "Position",
                                                                   "Player", "Metal", "Debris", "Note"}));
    EXPECT_EQ(g->Columns()->State(), csDefault);
    EXPECT_EQ(g->ColCount(), 9 + 1);
    EXPECT_EQ(g->Columns()->Items(1)->Title()->Caption(), "Name");

    // Hiding a field and moving another re-lays out the default columns.
    query->FieldByName("Player")->SetVisible(false);
    query->FieldByName("Metal")->SetIndex(0);
    EXPECT_EQ(ColumnNames(g->Columns()),
              (std::vector<std::string>{"Metal", "ID", "Name", "Galaxy", "System", "Position", "Debris", "Note"}));

    // Moving a default column moves its field.
    g->Columns()->Items(2)->SetIndex(0);
    EXPECT_EQ(query->Fields()->Fields(0)->FieldName(), "Name");
    EXPECT_EQ(g->Columns()->Items(0)->FieldName(), "Name");
}

TEST_F(GridLayout, CustomizedColumnsKeepTheirPlaceAndAMissingFieldShowsNothing) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    for (const char* name : {"Player", "Nowhere", "Metal"}) g->Columns()->Add()->SetFieldName(name);
    Open();
    EXPECT_EQ(g->Columns()->State(), csCustomized);
    EXPECT_EQ(ColumnNames(g->Columns()), (std::vector<std::string>{"Player", "Nowhere", "Metal"}));
    EXPECT_EQ(g->DataLink()->GetMappedField(1), nullptr);
    EXPECT_TRUE(g->DataLink()->SparseMap());
    TColumnGx* missing = g->Columns()->Items(1);
    EXPECT_EQ(missing->Field(), nullptr);
    EXPECT_EQ(missing->GetDisplayText(), "");
    EXPECT_FALSE(missing->CanModify(false));
    EXPECT_EQ(missing->Title()->Caption(), "Nowhere");
    EXPECT_EQ(g->Columns()->Items(2)->GetDisplayText(), "1000");
    // Fields bind by name in their own spelling.
    g->Columns()->Items(0)->SetFieldName("PLAYER");
    EXPECT_EQ(g->Columns()->Items(0)->Field(), query->FieldByName("Player"));
    EXPECT_EQ(g->Columns()->Items(0)->FieldName(), "Player");
}

TEST_F(GridLayout, ACustomizedColumnAfterDefaultOnesReplacesThem) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    ASSERT_EQ(g->Columns()->State(), csDefault);
    g->Columns()->Add()->SetFieldName("Galaxy");
    EXPECT_EQ(ColumnNames(g->Columns()), (std::vector<std::string>{"Galaxy"}));
    // Deleting every column goes back to the fields.
    g->Columns()->Clear();
    EXPECT_EQ(g->Columns()->Count(), 9);
    EXPECT_EQ(g->Columns()->State(), csDefault);
}

TEST_F(GridLayout, BufferCountIsTheNumberOfWholeRowsThatFit) {
    TDBGridGx* g = MakeGrid(400, 200);
    g->SetDataSource(source);
    Open();
    int line = g->GridLineWidth();
    int rowStep = g->DefaultRowHeight() + line;
    int titles = g->RowHeights(0) + line;
    struct {
        const char* Name;
        int ClientHeight;
        int Expected;
    } cases[] = {
        {"exactly six rows", titles + 6 * rowStep, 6},
        {"six rows and a bit", titles + 6 * rowStep + rowStep - 1, 6},
        {"less than one row", titles + rowStep / 2, 1},
        {"no room at all", 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        g->SetHeight(c.ClientHeight + g->Height() - g->ClientHeight());  // the horizontal bar stays
        ASSERT_EQ(g->ClientHeight(), c.ClientHeight);
        EXPECT_EQ(g->DataLink()->BufferCount(), c.Expected);
        EXPECT_EQ(g->RowCount(), g->TitleOffset() + c.Expected);
        EXPECT_EQ(g->TopRow(), g->FixedRows());
    }
}

TEST_F(GridLayout, RowsFollowTheDataLinkWindowAsTheDataSetMoves) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    int rows = g->DataLink()->BufferCount();
    ASSERT_GE(rows, 4);
    auto rowText = [&](int row) {
        g->ActivateDrawRow(row);
        AnsiString text = g->Columns()->Items(1)->GetDisplayText();
        g->RestoreDrawRow();
        return text;
    };
    EXPECT_EQ(g->Row(), g->TitleOffset());
    EXPECT_EQ(rowText(g->TitleOffset()), "Planet 1");

    query->MoveBy(2);  // inside the window
    EXPECT_EQ(g->Row(), g->TitleOffset() + 2);
    EXPECT_EQ(rowText(g->TitleOffset()), "Planet 1");

    query->MoveBy(rows);  // past the window: the first row is another record now
    EXPECT_EQ(g->Row(), g->TitleOffset() + rows - 1);
    EXPECT_EQ(rowText(g->Row()), "Planet " + std::to_string(3 + rows));
    EXPECT_EQ(rowText(g->TitleOffset()), "Planet " + std::to_string(4));
    // Reading another row for painting leaves the current record alone.
    EXPECT_EQ(Current(), "Planet " + std::to_string(3 + rows));

    query->Last();
    EXPECT_EQ(rowText(g->Row()), "Planet 40");
    EXPECT_EQ(g->Row(), g->TitleOffset() + rows - 1);
    query->First();
    EXPECT_EQ(g->Row(), g->TitleOffset());
    EXPECT_EQ(rowText(g->TitleOffset()), "Planet 1");
}

TEST_F(GridLayout, FewerRecordsThanRowsGiveFewerRows) {
    query->SQL()->SetText("SELECT * FROM Planet WHERE ID <= 3");
    TDBGridGx* g = MakeGrid(400, 300);
    g->SetDataSource(source);
    Open();
    EXPECT_EQ(g->RowCount(), g->TitleOffset() + 3);
    // Footers: a filler row takes what the rows leave, the footer rows sit at the bottom.
    g->SetFooterRowCount(2);
    EXPECT_EQ(g->RowCount(), g->TitleOffset() + 3 + 1 + 2);
    int line = g->GridLineWidth();
    int used = g->RowHeights(0) + line + 3 * (g->DefaultRowHeight() + line) + 2 * (g->DefaultRowHeight() + line) + line;
    EXPECT_EQ(g->RowHeights(g->TitleOffset() + 3), g->ClientHeight() - used);
    EXPECT_EQ(g->GetCellType(1, g->TitleOffset() + 3).Vert, ctFiller);
    EXPECT_EQ(g->GetCellType(1, g->TitleOffset() + 5).Vert, ctFooter);
    EXPECT_EQ(g->GetCellType(1, g->TitleOffset() + 5).Index, 1);
    EXPECT_THROW(g->GetCellType(1, g->TitleOffset() + 6), EDBGridGxError);
    // A negative count is ignored.
    g->SetFooterRowCount(-1);
    EXPECT_EQ(g->FooterRowCount(), 2);
}

TEST_F(GridLayout, IndicatorAndTitlesDecideTheOffsets) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    EXPECT_EQ(g->IndicatorOffset(), 1);
    EXPECT_EQ(g->ColWidths(0), 11);
    TDBGridOptions options = g->Options();
    g->SetOptions(options - dgIndicator - dgTitles);
    EXPECT_EQ(g->IndicatorOffset(), 0);
    EXPECT_EQ(g->TitleOffset(), 0);
    EXPECT_EQ(g->ColCount(), 9);
    EXPECT_EQ(g->RawToDataColumn(0), 0);
    EXPECT_EQ(g->GetCellType(0, 0).Horz, ctData);
    EXPECT_EQ(g->GetCellType(0, 0).Vert, ctData);
    // The filter row is one more fixed row under the titles.
    g->SetOptions(options);
    g->STFilter()->SetVisible(true);
    EXPECT_EQ(g->TitleOffset(), 2);
    EXPECT_EQ(g->FixedRows(), 2);
    EXPECT_EQ(g->GetCellType(1, 1).Vert, ctFilter);
}

TEST_F(GridLayout, FrozenColumnsAreFixedAndHiddenOnesAmongThemPushTheArea) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    for (const char* name : {"ID", "Name", "Galaxy", "System", "Metal"}) g->Columns()->Add()->SetFieldName(name);
    Open();
    g->SetFrozenCols(2);
    EXPECT_EQ(g->FixedCols(), 1 + 2);
    g->Columns()->Items(0)->SetVisible(false);
    EXPECT_EQ(g->FixedCols(), 1 + 1 + 2);
    EXPECT_EQ(g->ColWidths(1), -1);  // hidden with column lines
    // A hidden column right after the frozen area counts too.
    g->Columns()->Items(3)->SetVisible(false);
    EXPECT_EQ(g->FixedCols(), 1 + 2 + 2);
    // A frozen column can be current without scrolling.
    g->SetSelectedIndex(1);
    EXPECT_EQ(g->Col(), 2);
    EXPECT_EQ(g->SelectedIndex(), 1);
}

TEST_F(GridLayout, TitleAndRowHeightsComeFromTheFonts) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    TEXTMETRIC tm;
    int h = WgHeight(g->Font(), &tm);
    int k = 3 + g->GridLineWidth();
    EXPECT_EQ(g->DefaultRowHeight(), h + k);
    EXPECT_EQ(g->RowHeights(0), WgHeight(g->TitleFont()) + 4);

    g->TitleFont()->SetHeight(-20);
    EXPECT_EQ(g->RowHeights(0), WgHeight(g->TitleFont()) + 4);
    // A column's own larger title font decides.
    g->Columns()->Items(1)->Title()->Font()->SetHeight(-30);
    EXPECT_EQ(g->RowHeights(0), WgHeight(g->Columns()->Items(1)->Title()->Font()) + 4);

    g->SetFlat(true);
    EXPECT_EQ(g->DefaultRowHeight(), h + 1 + g->GridLineWidth());
    g->SetFlat(false);

    g->SetRowLines(2);
    g->SetRowHeight(5);
    EXPECT_EQ(g->DefaultRowHeight(), (tm.tmHeight + tm.tmExternalLeading) * 2 + 5);

    g->SetTitleLines(3);
    TEXTMETRIC ttm;
    WgHeight(g->Columns()->Items(1)->Title()->Font(), &ttm);
    EXPECT_EQ(g->RowHeights(0), 3 * ttm.tmHeight + ttm.tmExternalLeading + 2 + 0 + 1);
}

TEST_F(GridLayout, FitRowHeightToTextRoundsToWholeLines) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    int h = WgHeight(g->Font());
    int k = 3 + g->GridLineWidth();
    // Half a line or less is dropped, more adds a line.
    struct {
        int RowHeight;
        int Lines;
    } cases[] = {{k + h + h / 2, 1}, {k + h + h / 2 + 1, 2}, {k + 2 * h, 2}, {1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.RowHeight);
        g->SetOptionsGx(g->OptionsGx() - dghFitRowHeightToText);
        g->SetRowLines(0);
        g->SetRowHeight(c.RowHeight);
        g->SetOptionsGx(g->OptionsGx() + dghFitRowHeightToText);
        EXPECT_EQ(g->DefaultRowHeight(), c.Lines * h + k);
        EXPECT_EQ(g->RowLines(), c.Lines);
        EXPECT_EQ(g->RowHeight(), k);
    }
}

TEST_F(GridLayout, MultiTitlesMeasureWrappedCaptions) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    g->Columns()->Add()->SetFieldName("Name");
    g->Columns()->Add()->SetFieldName("Note");
    Open();
    g->SetUseMultiTitle(true);
    TColumnGx* c = g->Columns()->Items(0);
    c->SetWidth(40);
    c->Title()->SetCaption("A long caption that wraps");
    HDC dc = CreateScreenDC();
    SelectObject(dc, c->Title()->Font()->Handle());
    AnsiString caption = c->Title()->Caption();
    TRect r(0, 0, 40 - 4 - 1, 0);
    int text = DrawText(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                        DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    DeleteDC(dc);
    EXPECT_EQ(g->RowHeights(0), text + g->VTitleMargin() - 1);  // dghFixed3D takes one pixel off
}

TEST_F(GridLayout, AutoFitSharesTheClientWidthWithinTheLimits) {
    TDBGridGx* g = MakeGrid(500, 200);
    g->SetDataSource(source);
    const char* names[] = {"Name", "Galaxy", "System", "Player"};
    int widths[] = {100, 50, 50, 100};
    for (int i = 0; i < 4; ++i) {
        TColumnGx* c = g->Columns()->Add();
        c->SetFieldName(names[i]);
        c->SetWidth(widths[i]);
    }
    Open();
    g->Columns()->Items(1)->SetAutoFitColWidth(false);
    g->SetAutoFitColWidths(true);
    auto shared = [&] {
        int a = g->ClientWidth() - g->Columns()->Items(1)->Width() - g->ColWidths(0) - 4 - 1;
        return a;
    };
    int total = 0;
    for (int i : {0, 2, 3}) total += g->Columns()->Items(i)->Width();
    EXPECT_EQ(total, shared());
    EXPECT_EQ(g->Columns()->Items(1)->Width(), 50);
    EXPECT_EQ(g->ScrollBars(), ssNone);
    EXPECT_NEAR(g->Columns()->Items(0)->Width(), 2 * g->Columns()->Items(2)->Width(), 2);

    // A column held by its maximum gives its share to the others in another pass.
    g->Columns()->Items(0)->SetMaxWidth(60);
    g->SetWidth(g->Width() + 10);
    EXPECT_EQ(g->Columns()->Items(0)->Width(), 60);
    total = 0;
    for (int i : {0, 2, 3}) total += g->Columns()->Items(i)->Width();
    EXPECT_EQ(total, shared());

    // Turning auto-fit off gives the columns their initial widths back.
    g->SetAutoFitColWidths(false);
    EXPECT_EQ(g->Columns()->Items(2)->Width(), 50);
    EXPECT_EQ(g->ScrollBars(), ssHorizontal);
}

TEST_F(GridLayout, AutoFitWithNoInitialWidthsLeavesTheWidthsAlone) {
    TDBGridGx* g = MakeGrid(300, 150);
    g->SetDataSource(source);
    TColumnGx* c = g->Columns()->Add();
    c->SetFieldName("Name");
    c->SetWidth(0);
    Open();
    g->SetAutoFitColWidths(true);  // nothing to share by: no division by zero
    EXPECT_EQ(c->Width(), 0);
    g->SetWidth(280);
    EXPECT_EQ(c->Width(), 0);
}

TEST_F(GridLayout, AssigningAColumnCollectionLaysOutOnceAtTheEnd) {
    auto* g = MakeGrid<TCountingGrid>();
    g->SetDataSource(source);
    Open();
    TDBGridColumnsGx layout(nullptr, ItemClassOf<TDBGridColumnGx>);
    for (const char* name : {"Metal", "Name", "Debris", "Galaxy"}) layout.Add()->SetFieldName(name);
    layout.Items(1)->SetWidth(77);
    g->AttributeSettings = 0;
    g->Columns()->Assign(&layout);
    EXPECT_EQ(g->Layouts(), 1);
    EXPECT_EQ(ColumnNames(g->Columns()), (std::vector<std::string>{"Metal", "Name", "Debris", "Galaxy"}));
    EXPECT_EQ(g->ColWidths(2), 77);
    EXPECT_EQ(g->Columns()->Items(0)->Field(), query->FieldByName("Metal"));
}

TEST_F(GridLayout, DeferredLayoutIsPostedOnceAndRunsFromTheQueue) {
    auto* g = MakeGrid<TCountingGrid>();
    g->SetDataSource(source);
    Open();
    Application->ProcessMessages();
    auto queued = [&] {
        TMsg m;
        int n = 0;
        while (PeekMessage(&m, g->Handle(), WM_DEFERLAYOUTGX, WM_DEFERLAYOUTGX, PM_REMOVE)) ++n;
        for (int i = 0; i < n; ++i) PostMessage(g->Handle(), WM_DEFERLAYOUTGX, 0, 0);
        return n;
    };
    g->DeferLayout();
    g->DeferLayout();
    g->DeferLayout();
    EXPECT_EQ(queued(), 1);
    g->AttributeSettings = 0;
    Application->ProcessMessages();
    EXPECT_EQ(queued(), 0);
    EXPECT_EQ(g->Layouts(), 1);
    // A layout takes a waiting deferred one off the queue.
    g->DeferLayout();
    g->LayoutChanged();
    EXPECT_EQ(queued(), 0);
}

TEST_F(GridLayout, TheVerticalBarShowsTheRecordNumber) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    auto bar = [&] {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(g->Handle(), SB_VERT, &si);
        return si;
    };
    EXPECT_FALSE(IsScrollBarVisible(g->Handle(), SB_VERT));  // nothing to scroll while inactive
    Open();
    SCROLLINFO si = bar();
    int page = g->VisibleDataRowCount();
    EXPECT_EQ(si.nMin, 1);
    EXPECT_EQ(static_cast<int>(si.nPage), page);
    EXPECT_EQ(si.nMax, 40 + page - 1);
    EXPECT_EQ(si.nPos, 1);
    EXPECT_TRUE(IsScrollBarVisible(g->Handle(), SB_VERT));
    query->MoveBy(9);
    EXPECT_EQ(bar().nPos, 10);
    // A line down lands on the record just below the last row.
    int firstShown = 10 - g->DataLink()->ActiveRecord();
    int below = firstShown + g->DataLink()->RecordCount();
    g->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Current(), "Planet " + std::to_string(below));
    EXPECT_EQ(g->Row(), g->RowCount() - 1);
    g->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Current(), "Planet 1");
    g->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Current(), "Planet 40");
    // Hidden on request, shown disabled when everything fits.
    g->VertScrollBar()->SetVisible(false);
    EXPECT_FALSE(IsScrollBarVisible(g->Handle(), SB_VERT));
    g->VertScrollBar()->SetVisibleMode(sbAlwaysShowGx);
    query->Close();
    EXPECT_TRUE(IsScrollBarVisible(g->Handle(), SB_VERT));
    EXPECT_FALSE(IsScrollBarEnabled(g->Handle(), SB_VERT));
}

TEST_F(GridLayout, ClosingTheDataSetGoesBackToOneEmptyRow) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    ASSERT_GT(g->RowCount(), 2);
    query->Close();
    EXPECT_EQ(g->RowCount(), g->TitleOffset() + 1);
    EXPECT_EQ(g->Columns()->Count(), 1);
    EXPECT_EQ(g->DataLink()->MappedCount(), 0);
    query->Open();
    EXPECT_EQ(g->Columns()->Count(), 9);
}

TEST_F(GridLayout, AFreedFieldUnbindsItsColumns) {
    TStMemoryData* mem = new TStMemoryData(form);
    mem->FieldDefs()->Add("A", ftInteger);
    mem->FieldDefs()->Add("B", ftString, 10);
    TField* a = new TIntegerField(mem);
    a->SetFieldName("A");
    a->SetDataSet(mem);
    TField* b = new TStringField(mem);
    b->SetFieldName("B");
    b->SetSize(10);
    b->SetDataSet(mem);
    mem->Open();
    source->SetDataSet(mem);
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    g->Columns()->Add()->SetFieldName("A");
    g->Columns()->Add()->SetFieldName("B");
    ASSERT_EQ(g->Columns()->Items(1)->Field(), b);
    mem->Close();
    FreeObject(b);
    EXPECT_EQ(g->Columns()->Items(1)->Field(), nullptr);
    EXPECT_EQ(g->Columns()->Items(1)->FieldName(), "B");
}

}  // namespace
