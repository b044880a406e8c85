// The grid's scroll bars (three positions without record numbers, a bar
// kept when the window is made again, an external scroll bar), the flat
// border through the frame painting, a popup menu read from a definition, and
// walks of the data set that fail half-way.
#include <filesystem>

#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtti/FormText.h"
#include "tests/grid/input/GridInputSupport.h"

using namespace gridtest;

namespace {

// A data set that cannot tell record numbers, as the three-position bar expects.
class TUnsequencedData : public TStMemoryData {
public:
    using TStMemoryData::TStMemoryData;
    bool IsSequenced() const override { return false; }
};

class GridScrolling : public GridInputTest {
protected:
    SCROLLINFO Bar(TWinControl* g) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(g->Handle(), SB_VERT, &si);
        return si;
    }
};

TEST_F(GridScrolling, WithoutRecordNumbersTheBarHasThreePositions) {
    auto* data = new TUnsequencedData(form);
    data->FieldDefs()->Add("ID", ftInteger, 0);
    data->Open();
    for (int i = 1; i <= 100; ++i) {
        data->Append();
        data->Fields()->Fields(0)->SetAsInteger(i);
        data->Post();
    }
    data->First();
    source->SetDataSet(data);
    TDBGridGx* g = MakeGrid();
    g->SetDataSource(source);
    Application->ProcessMessages();
    EXPECT_EQ(Bar(g).nMin, 0);
    EXPECT_EQ(Bar(g).nMax, 4);
    EXPECT_EQ(Bar(g).nPos, 0);
    data->MoveBy(10);
    EXPECT_EQ(Bar(g).nPos, 2);
    data->Last();
    EXPECT_EQ(Bar(g).nPos, 4);
    // The thumb's positions: 0 first, 1 a page up, 3 a page down, 4 last.
    int page = g->VisibleDataRowCount();
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    EXPECT_EQ(data->RecNo(), 1);
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    EXPECT_EQ(data->RecNo(), 1 + page);
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);
    EXPECT_EQ(data->RecNo(), 1);
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 4), 0);
    EXPECT_EQ(data->RecNo(), 100);
    // Tracking moves only when the grid asks for it.
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
    EXPECT_EQ(data->RecNo(), 100);
}

TEST_F(GridScrolling, AGridMadeFlatAtRunTimeKeepsItsBarAndDrawsItsFlatBorder) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    g->SetBorderStyle(bsSingle);
    Application->ProcessMessages();
    query->MoveBy(20);
    ASSERT_TRUE(IsScrollBarVisible(g->Handle(), SB_VERT));
    g->SetFlat(true);
    Application->ProcessMessages();
    EXPECT_TRUE(IsScrollBarVisible(g->Handle(), SB_VERT));
    EXPECT_EQ(Bar(g).nPos, 21);
    EXPECT_EQ(Bar(g).nMax, 40 + g->VisibleDataRowCount() - 1);
    // One pixel of flat border on each side, drawn by the frame painting.
    TRect window;
    GetWindowRect(g->Handle(), &window);
    EXPECT_EQ(window.Right - window.Left - g->ClientWidth() - GetSystemMetrics(SM_CXVSCROLL), 2);
    PaintWindowNow(g->Handle());
    EXPECT_EQ(GetWindowImagePixel(g->Handle(), 0, 5), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(GetWindowImagePixel(g->Handle(), window.Right - window.Left - 1, 5),
              static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
}

TEST_F(GridScrolling, AnExternalScrollBarStandsInForTheWindowsBar) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    auto* bar = new TScrollBar(form);
    bar->SetName("sbRecords");
    bar->SetParent(form);
    bar->SetKind(sbVertical);
    bar->SetBounds(440, 10, 17, 200);
    g->VertScrollBar()->SetExtScrollBar(bar);
    Application->ProcessMessages();
    EXPECT_FALSE(IsScrollBarVisible(g->Handle(), SB_VERT));
    int page = g->VisibleDataRowCount();
    EXPECT_EQ(bar->Min(), 1);
    EXPECT_EQ(bar->Max(), 40 + page - 1);
    EXPECT_EQ(bar->PageSize(), page);
    query->MoveBy(9);
    EXPECT_EQ(bar->Position(), 10);
    // The bar's own scrolling reaches the grid as its scroll messages.
    bar->Perform(CN_VSCROLL, MAKEWPARAM(scBottom, 0), 0);
    EXPECT_EQ(RecNo(), 40);
    EXPECT_EQ(bar->Position(), 40);
    bar->Perform(CN_VSCROLL, MAKEWPARAM(scPosition, 5), 0);
    EXPECT_EQ(RecNo(), 5);
    EXPECT_EQ(bar->Position(), 5);
    // Another control cannot take it over.
    TDBGridGx* other = MakeGrid();
    EXPECT_THROW(other->VertScrollBar()->SetExtScrollBar(bar), EDBGridGxError);
    EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr);
    // Let go, the bar is the bar's own again.
    g->VertScrollBar()->SetExtScrollBar(nullptr);
    other->VertScrollBar()->SetExtScrollBar(bar);
    EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), bar);
}

const char* const kPopupDefinition = R"(object frmPopup: TForm
  Left = 40
  Top = 40
  Width = 500
  Height = 300
  object popPlanet: TPopupMenu
  end
  object grdPlanet: TDBGridGx
    Left = 8
    Top = 8
    Width = 420
    Height = 220
    DragMode = dmManual
    BiDiMode = bdLeftToRight
    ParentBiDiMode = True
    PopupMenu = popPlanet
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgMultiSelect]
  end
end
)";

TEST_F(GridScrolling, ADefinitionGivesTheGridItsPopupMenu) {
    TForm* built = new TForm(nullptr);
    ReadComponentDefinition(built, kPopupDefinition, "popup.form");
    auto* grid = dynamic_cast<TDBGridGx*>(built->FindComponent("grdPlanet"));
    auto* menu = dynamic_cast<TPopupMenu*>(built->FindComponent("popPlanet"));
    ASSERT_TRUE(grid && menu);
    EXPECT_EQ(grid->PopupMenu(), menu);
    FreeObject(built);
}

TEST_F(GridScrolling, AWalkThatFailsLeavesTheControlsEnabled) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    g->SetOptionsGx(g->OptionsGx() + dghIncSearch);
    struct TFailing {
        void GetText(TField* Sender, AnsiString& Text, bool) {
            if (Sender->DataSet()->RecNo() == 7) throw EDatabaseError("cannot read");
            Text = Sender->AsString();
        }
    } failing;
    query->FieldByName("Name")->OnGetText = TFieldGetTextEvent(&failing, &TFailing::GetText);
    EXPECT_THROW(g->IncrementalSearch("Planet 9", -1, 0), EDatabaseError);
    EXPECT_FALSE(query->ControlsDisabled());
    query->FieldByName("Name")->OnGetText = nullptr;
    // The grid still follows the data set.
    query->MoveBy(3);
    EXPECT_EQ(g->Row(), g->TitleOffset() + g->DataLink()->ActiveRecord());
    g->IncrementalSearch("Planet 9", -1, 0);
    EXPECT_EQ(Current(), "Planet 9");
    g->StopIncrementalSearch();
}

TEST_F(GridScrolling, ScreenshotOfASelection) {
    TDBGridGx* g = MakeInputGrid(CellMulti(), 560, 300);
    form->SetBounds(40, 40, 600, 360);
    g->SetBorderStyle(bsSingle);
    g->Columns()->Items(0)->SetWidth(110);
    Application->ProcessMessages();
    int top = g->TitleOffset();
    TPoint a = CellCenter(g, 1, top + 1), b = CellCenter(g, 3, top + 5);
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, a.X, a.Y);
    SimulateMouseMove(g->Handle(), b.X, b.Y, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, b.X, b.Y);
    ASSERT_EQ(g->Selection()->SelectionType(), gstRectangle);
    PaintWindowNow(g->Handle());
    // The anchor cell, a cell inside and one outside the rectangle.
    auto pixel = [&](int ACol, int ARow) {
        TRect r = g->CellRect(ACol, ARow);
        return GetWindowPixel(g->Handle(), r.Right - 3, (r.Top + r.Bottom) / 2);
    };
    COLORREF selected = pixel(2, top + 3);
    EXPECT_EQ(pixel(1, top + 1), selected);
    EXPECT_EQ(pixel(3, top + 1), selected);
    EXPECT_NE(pixel(4, top + 3), selected);
    EXPECT_NE(pixel(1, top), selected);
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-selection.png").string();
    ASSERT_TRUE(SaveWindowImage(g->Handle(), png));
    std::printf("grid selection screenshot: %s\n", png.c_str());
}

}  // namespace
