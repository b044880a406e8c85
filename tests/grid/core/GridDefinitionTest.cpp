// A grid made by a form definition: its published properties, the stored
// columns, the footers' sums, and the layout once the form is loaded.
#include "platform/db/DbClassInfo.h"
#include "platform/rtti/FormText.h"
#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

const char* const kDefinition = R"(object frmGrids: TForm
  Left = 40
  Top = 40
  Width = 640
  Height = 420
  object dsPlanets: TDataSource
  end
  object grdPlanets: TDBGridGx
    Left = 8
    Top = 8
    Width = 420
    Height = 220
    DataSource = dsPlanets
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgMultiSelect]
    OddRowColor = clInfoBk
    SumList.Active = True
    TitleLines = 3
    UseMultiTitle = True
    SortLocal = True
    Columns = <
      item
        FieldName = 'Name'
        Width = 100
      end
      item
        FieldName = 'Metal'
        Footer.ValueType = fvtSum
        Title.Caption = 'Metal (t)'
        Width = 60
      end
      item
        FieldName = 'Gone'
        Visible = False
      end>
  end
end
)";

class GridDefinition : public GridTest {};

TEST_F(GridDefinition, AFormDefinitionBuildsTheGridWithItsColumns) {
    RegisterDbClasses();
    TForm* built = new TForm(nullptr);
    ReadComponentDefinition(built, kDefinition, "grids.form");
    auto* grid = dynamic_cast<TDBGridGx*>(built->FindComponent("grdPlanets"));
    auto* ds = dynamic_cast<TDataSource*>(built->FindComponent("dsPlanets"));
    ASSERT_TRUE(grid && ds);
    EXPECT_EQ(grid->Parent(), built);
    EXPECT_EQ(grid->DataSource(), ds);
    EXPECT_TRUE(grid->Options().Contains(dgMultiSelect));
    EXPECT_FALSE(grid->Options().Contains(dgEditing));
    EXPECT_TRUE(grid->UseMultiTitle());
    EXPECT_TRUE(grid->SortLocal());
    EXPECT_EQ(grid->OddRowColor(), clInfoBk);
    EXPECT_EQ(grid->EvenRowColor(), grid->Color());
    EXPECT_TRUE(grid->SumList()->Active());
    ASSERT_EQ(grid->Columns()->Count(), 3);
    EXPECT_EQ(grid->Columns()->State(), csCustomized);
    EXPECT_EQ(grid->Columns()->Items(1)->Title()->Caption(), "Metal (t)");
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->ColWidths(1), 100);
    EXPECT_EQ(grid->ColWidths(3), -1);
    EXPECT_EQ(grid->Columns()->Items(0)->Field(), nullptr);  // no data set yet

    ds->SetDataSet(query);
    built->Show();
    Open();
    EXPECT_EQ(grid->Columns()->Items(0)->Field(), query->FieldByName("Name"));
    EXPECT_EQ(grid->Columns()->Items(2)->Field(), nullptr);
    TDBSum* sum = grid->SumList()->SumCollection()->FindSum(goSum, "Metal");
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->SumValue().ToDouble(), 820000.0);
    // Changing the footer's kind takes its aggregate away.
    grid->Columns()->Items(1)->Footer()->SetValueType(fvtStaticText);
    EXPECT_EQ(grid->SumList()->SumCollection()->FindSum(goSum, "Metal"), nullptr);
    grid->Columns()->Items(1)->Footer()->SetValueType(fvtCount);
    EXPECT_NE(grid->SumList()->SumCollection()->FindSum(goCount, ""), nullptr);
    FreeObject(grid->Columns()->Items(1));
    EXPECT_EQ(grid->SumList()->SumCollection()->Count(), 0);
    FreeObject(built);
}

TEST_F(GridDefinition, StoredColumnsAreWrittenAsTheColumnsPropertyOnlyWhenCustomized) {
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Open();
    auto written = [&] {
        TMemoryStream stream;
        TWriter writer(&stream);
        writer.WriteProperties(g);
        std::string bytes(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
        return bytes;
    };
    EXPECT_EQ(written().find("\x07" "Columns"), std::string::npos);  // default columns are not written
    g->Columns()->Add()->SetFieldName("Galaxy");
    std::string bytes = written();
    size_t at = bytes.find("\x07" "Columns");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(bytes[at + 8], '\x0E');
    EXPECT_NE(bytes.find("\x09" "FieldName" "\x06\x06" "Galaxy", at), std::string::npos);
}

}  // namespace
