// Footers: sums, averages and counts kept by the sum list against the stored
// table through inserts, edits and deletes, a recount that leaves the user's
// record where it was, several footer rows, and a screenshot of two of them.
#include <cmath>
#include <cstdio>
#include <functional>

#include "platform/rtl/SysUtils.h"
#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

class Footers : public GridTest {
protected:
    // Name counts the rows; Metal sums in row 0 and averages in row 1; Debris
    // sums with two decimals in both rows (its single footer).
    TDBGridGx* FooterGrid(int Width = 600, int Height = 260) {
        TDBGridGx* g = MakeGrid(Width, Height);
        g->SetFooterRowCount(2);
        g->SetFooterColor(clBtnFace);
        for (const char* name : {"Galaxy", "System", "Position", "Name", "Metal", "Debris"})
            g->Columns()->Add()->SetFieldName(name);
        TColumnGx* name = g->Columns()->Items(3);
        name->Footer()->SetValueType(fvtCount);
        name->Footer()->SetDisplayFormat("0 planets");
        TColumnGx* metal = g->Columns()->Items(4);
        metal->Footers()->Add()->SetValueType(fvtSum);
        metal->Footers()->Add()->SetValueType(fvtAvg);
        metal->Footers()->Items(0)->SetDisplayFormat("#,##0");
        TColumnGx* debris = g->Columns()->Items(5);
        debris->Footer()->SetValueType(fvtSum);
        debris->Footer()->SetDisplayFormat("0.00");
        g->SumList()->SetActive(true);
        g->SetDataSource(source);
        Open();
        return g;
    }

    // The same figures asked of the file itself.
    struct Figures {
        AnsiString Count, MetalSum, MetalAvg, DebrisSum;
    };
    Figures Stored() {
        TADOQuery q(nullptr);
        q.SetConnection(connection);
        q.SQL()->SetText(
            "SELECT COUNT(*) AS N, SUM(Metal) AS M, AVG(Metal) AS A, TOTAL(Debris) AS D FROM Planet");
        q.Open();
        Figures f{FormatFloat("0 planets", q.FieldByName("N")->AsFloat()),
                  FormatFloat("#,##0", q.FieldByName("M")->AsFloat()),
                  IntToStr(static_cast<long>(std::nearbyint(q.FieldByName("A")->AsFloat()))),
                  FormatFloat("0.00", q.FieldByName("D")->AsFloat())};
        q.Close();
        return f;
    }
    Figures Shown(TDBGridGx* g) {
        TDBGridColumnsGx* c = g->Columns();
        return {g->GetFooterValue(0, c->Items(3)), g->GetFooterValue(0, c->Items(4)),
                g->GetFooterValue(1, c->Items(4)), g->GetFooterValue(1, c->Items(5))};
    }
    static void ExpectSame(const Figures& Shown, const Figures& Stored) {
        EXPECT_EQ(Shown.Count, Stored.Count);
        EXPECT_EQ(Shown.MetalSum, Stored.MetalSum);
        EXPECT_EQ(Shown.MetalAvg, Stored.MetalAvg);
        EXPECT_EQ(Shown.DebrisSum, Stored.DebrisSum);
    }
};

TEST_F(Footers, SumsAveragesAndCountsFollowTheStoredTable) {
    TDBGridGx* g = FooterGrid();
    ExpectSame(Shown(g), Stored());
    EXPECT_EQ(Shown(g).Count, "40 planets");

    auto field = [&](const char* Name) { return query->FieldByName(Name); };
    struct {
        const char* What;
        std::function<void()> Change;
    } steps[] = {
        {"append", [&] {
             query->Append();
             field("Name")->SetAsString("Planet 41");
             field("Metal")->SetAsInteger(777777);
             field("Debris")->SetAsFloat(12.25);
             query->Post();
         }},
        {"insert in the middle", [&] {
             query->SetRecNo(10);
             query->Insert();
             field("Metal")->SetAsInteger(5);
             query->Post();
         }},
        {"edit a sum", [&] {
             query->SetRecNo(3);
             query->Edit();
             field("Metal")->SetAsInteger(-20000);
             query->Post();
         }},
        {"edit a value to null", [&] {
             query->SetRecNo(4);
             query->Edit();
             field("Debris")->Clear();
             query->Post();
         }},
        {"edit cancelled", [&] {
             query->SetRecNo(6);
             query->Edit();
             field("Metal")->SetAsInteger(1);
             query->Cancel();
         }},
        {"delete", [&] {
             query->SetRecNo(1);
             query->Delete();
         }},
        {"delete the last", [&] {
             query->Last();
             query->Delete();
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.What);
        step.Change();
        ExpectSame(Shown(g), Stored());
    }

    // A full recount gives the same figures and leaves the user on the record
    // they were on.
    query->SetRecNo(17);
    const AnsiString name = Current();
    const Figures before = Shown(g);
    g->SumList()->RecalcAll();
    EXPECT_EQ(query->RecNo(), 17);
    EXPECT_EQ(Current(), name);
    ExpectSame(Shown(g), before);
    ExpectSame(Shown(g), Stored());
}

TEST_F(Footers, RowsUseTheirItemsAndAggregatesFollowTheValueType) {
    TDBGridGx* g = FooterGrid();
    g->SetFooterRowCount(3);
    TColumnGx* metal = g->Columns()->Items(4);
    metal->Footer()->SetValueType(fvtStaticText);
    metal->Footer()->SetValue("Metal");
    // Rows 0 and 1 use the two items, row 2 the column's single footer.
    EXPECT_EQ(metal->UsedFooter(0), metal->Footers()->Items(0));
    EXPECT_EQ(metal->UsedFooter(1), metal->Footers()->Items(1));
    EXPECT_EQ(metal->UsedFooter(2), metal->Footer());
    EXPECT_EQ(g->GetFooterValue(2, metal), "Metal");

    TDBSumCollection* sums = g->SumList()->SumCollection();
    ASSERT_NE(sums->FindSum(goAvg, "Metal"), nullptr);
    metal->Footers()->Items(1)->SetValueType(fvtStaticText);
    EXPECT_EQ(sums->FindSum(goAvg, "Metal"), nullptr);
    // A sum footer naming its own field sums that field.
    metal->Footers()->Items(1)->SetValueType(fvtSum);
    metal->Footers()->Items(1)->SetFieldName("Galaxy");
    g->SumList()->RecalcAll();
    long galaxies = 0;
    for (int i = 1; i <= 40; ++i) galaxies += 1 + i % 3;
    EXPECT_EQ(g->GetFooterValue(1, metal), IntToStr(galaxies));
    // Deleting the footer item frees its aggregate.
    metal->Footers()->Delete(1);
    EXPECT_EQ(sums->FindSum(goSum, "Galaxy"), nullptr);
    EXPECT_EQ(metal->UsedFooter(1), metal->Footer());
}

TEST_F(Footers, ScreenshotOfTwoFooterRows) {
    TDBGridGx* g = FooterGrid(620, 300);
    form->SetBounds(40, 40, 660, 360);
    g->Columns()->Items(4)->Footers()->Items(1)->SetColor(clInfoBk);
    // Row labels in the first column; the count of the Name column shows in both rows.
    TColumnGx* first = g->Columns()->Items(0);
    for (const char* label : {"Total", "Average"}) {
        TColumnFooterGx* f = first->Footers()->Add();
        f->SetValueType(fvtStaticText);
        f->SetValue(label);
        f->Font()->SetStyle(TFontStyles{fsBold});
    }
    query->SetRecNo(5);
    g->SetFocus();
    PaintWindowNow(form->Handle());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-footers.png").string();
    ASSERT_TRUE(SaveWindowImage(g->Handle(), png));
    std::printf("footer screenshot: %s\n", png.c_str());
    // The footer rows are the last two rows of the grid, below the filler.
    const int last = g->RowCount() - 1;
    EXPECT_EQ(g->GetCellType(4, last).Vert, ctFooter);
    EXPECT_EQ(g->GetCellType(4, last - 1).Vert, ctFooter);
    TRect avg = g->CellRect(g->IndicatorOffset() + 4, last);  // Metal
    EXPECT_EQ(GetWindowPixel(g->Handle(), avg.Left + 6, (avg.Top + avg.Bottom) / 2),
              static_cast<COLORREF>(ColorToRGB(clInfoBk)));
}

}  // namespace
