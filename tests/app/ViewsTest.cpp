// The view pages of the main window on a database file: the shown page's data
// set alone open, title-click orders against SQLite's own ORDER BY, the
// planet grid's colours on the recording device, ratings and deletes, and the
// power page.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/gui/InputSimulation.h"
#include "platform/gui/RecordingDevice.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

// Three alliances ("<none>" among them), four players and eight planets whose
// sort keys are all different, and two combats.
const char* const kViewRows = R"sql(
INSERT INTO tblAlliance(ID, Name) VALUES (1, '<none>'), (2, 'Evil'), (3, 'Good');
INSERT INTO tblPlayer(ID, Name, AllianceID, Banned, Vacation, Inactive, LongInactive, Strong, Noob) VALUES
  (1, 'Vega', 2, 0, 0, 0, 0, 0, 0), (2, 'Altair', 2, 0, 0, 1, 0, 0, 0),
  (3, 'Lone', 1, 1, 0, 1, 0, 0, 0), (4, 'Deneb', 3, 0, 0, 0, 0, 0, 1);
INSERT INTO tblPlanet(ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Metal, Crystal,
                      Energy, LightFighter, Rating, AssaultPower, LastScanned) VALUES
  (1, 1, 200, 4, 0, 'Home',   1, 5000,  700, 10, 0,    0, 0,      datetime('now', 'localtime', '-2 hours')),
  (2, 1, 100, 9, 0, 'Forge',  1, 90000, 300, 20, 0,    1, 0,      datetime('now', 'localtime', '-2 days')),
  (3, 2, 5,   1, 0, 'abyss',  2, 1200,  800, 30, 9000, 0, 450000, datetime('now', 'localtime', '-4 days')),
  (4, 1, 100, 3, 0, 'Colony', 3, NULL,  100, 40, 0,    4, 0,      datetime('now', 'localtime', '-8 days')),
  (5, 3, 1,   1, 0, 'Zenith', 4, 700,   900, 50, 0,    2, 0,      datetime('now', 'localtime', '-30 days')),
  (6, 1, 100, 3, 1, 'Moon',   3, 300,   200, 60, 0,    3, 0,      NULL),
  (7, 2, 5,   7, 0, 'Bravo',  2, 2500,  600, 70, 0,    0, 0,      datetime('now', 'localtime', '-1 days')),
  (8, 3, 9,   2, 0, 'Delta',  4, 60,    500, 80, 0,    0, 0,      datetime('now', 'localtime', '-12 days'));
INSERT INTO tblCombat(ID, DefenderPlanetID, AttackerPlanetID, DateTime, MetalRaided, CrystalRaided, MetalDebris,
                      CrystalDebris, Report) VALUES
  (1, 2, 1, '2026-07-24 10:00:00', 1000, 50, 2000, 600, 'first battle'),
  (2, 7, 1, '2026-07-25 11:00:00', 2500, 10, 35000, 12000, 'second battle');
)sql";

void HoldControl(bool Down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = Down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// The IDs of the data set's rows in its order, joined by commas.
std::string Order(TDataSet* Data, const char* IDField) {
    std::string ids;
    for (Data->First(); !Data->Eof(); Data->Next()) ids += (ids.empty() ? "" : ",") + Data->FieldByName(IDField)->AsString();
    return ids;
}

// The texts painted in a column's data cells, top down, read back from the
// recording device.
std::vector<std::string> PaintedTexts(TDBGridGx* Grid, const char* FieldName, int Rows) {
    TRecordingDevice* rec = nullptr;
    HDC dc = CreateRecordingDC(&rec, TSize(Grid->Width(), Grid->Height()));
    Grid->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    const int col = ColumnOf(Grid, FieldName)->Index() + Grid->IndicatorOffset();
    std::vector<std::string> texts;
    for (int row = Grid->TitleOffset(); row < Grid->TitleOffset() + Rows; ++row) {
        const TRect cell = Grid->CellRect(col, row);
        std::string text;
        for (const TGdiCall& c : rec->Calls())
            if ((c.Kind == TGdiCallKind::ExtTextOut || c.Kind == TGdiCallKind::DrawText) && c.Rect.Left >= cell.Left &&
                c.Rect.Top >= cell.Top && c.Rect.Right <= cell.Right && c.Rect.Bottom <= cell.Bottom)
                text += c.Text;
        texts.push_back(text);
    }
    DeleteDC(dc);
    return texts;
}

// The sort arrow painted in a column's title: 'u' an upward triangle, 'd' a
// downward one, '-' none, '?' anything else dark at the title's right end.
char ArrowIn(TDBGridGx* Grid, const char* FieldName) {
    const int col = ColumnOf(Grid, FieldName)->Index() + Grid->IndicatorOffset();
    TRect title = Grid->CellRect(col, 0);
    title.Bottom = Grid->CellRect(col, Grid->TitleOffset() - 1).Bottom;
    std::vector<int> widths;  // dark pixels of each line that has any
    for (int y = title.Top; y < title.Bottom; ++y) {
        int dark = 0;
        for (int x = std::max(title.Left, title.Right - 20); x < title.Right; ++x)
            if (GetWindowPixel(Grid->Handle(), x, y) == 0x404040) ++dark;
        if (dark) widths.push_back(dark);
    }
    if (widths.empty()) return '-';
    if (widths == std::vector<int>{1, 3, 5, 7, 9}) return 'u';
    if (widths == std::vector<int>{9, 7, 5, 3, 1}) return 'd';
    return '?';
}

class ViewsTest : public testing::Test {
protected:
    void SetUp() override {
        db = f.folder.File("Tesk.mdb");
        ExecSql(db, kViewRows);
        WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
        w = f.Open();
        w->SetBounds(0, 0, 1100, 700);
        w->Show();
        ASSERT_TRUE(w->Shown);
        Show(w->tsViewSpyReports);
    }
    void TearDown() override {
        HoldControl(false);
        w->Hide();
    }
    void Show(TTabSheet* Page) {
        w->pcMain->SetActivePage(Page);
        w->pcMainChange(w->pcMain);
        Application->ProcessMessages();
    }
    // The planet grid refreshed with the limits typed so far, in ID order from
    // its first record, showing only the columns of Fields.
    TDBGridGx* PlanetsByIdShowing(std::initializer_list<const char*> Fields) {
        w->actRefreshPlanetGrid->Execute();
        HoldControl(false);
        w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "tblplanet.ID"));
        EXPECT_EQ(Order(dmMain->viewPlanet, "tblplanet.ID"), "1,2,3,4,5,6,7,8");
        dmMain->viewPlanet->First();
        TDBGridGx* g = w->grdPlanet;
        for (int i = 0; i < g->Columns()->Count(); ++i) {
            TColumnGx* c = g->Columns()->Items(i);
            bool keep = false;
            for (const char* name : Fields) keep = keep || SameText(c->FieldName(), name);
            c->SetVisible(keep);
        }
        return g;
    }
    // SQLite's own order of the same rows.
    std::string FileOrder(const std::string& From, const std::string& OrderBy) {
        return QuerySql(db, "SELECT group_concat(ID, ',') FROM (SELECT tblPlanet.ID AS ID FROM " + From +
                                " ORDER BY " + OrderBy + ")");
    }
    std::string PlanetOrderInFile(const std::string& OrderBy) {
        return FileOrder("tblPlanet, tblPlayer, tblAlliance WHERE tblPlanet.PlayerID = tblPlayer.ID AND "
                         "tblPlayer.AllianceID = tblAlliance.ID", OrderBy);
    }
    // Makes a grid's cell current: the record named Name, the column of FieldName.
    void GoTo(TDBGridGx* Grid, TDataSet* Data, const char* Name, const char* FieldName) {
        ASSERT_TRUE(Data->Locate("Name", Variant(AnsiString(Name)), {}));
        Grid->SetSelectedIndex(ColumnOf(Grid, FieldName)->Index());
        Grid->SetFocus();
        Application->ProcessMessages();
    }
    static void Key(WORD VirtKey) {
        SimulateKey(GetFocus(), VirtKey);
        Application->ProcessMessages();
    }
    static void Type(const char* Text) {
        for (const char* c = Text; *c; ++c) {
            SimulateTyping(GetFocus(), std::string(1, *c).c_str());
            Application->ProcessMessages();
        }
    }
    static bool EditorOpen(TDBGridGx* Grid) { return Grid->InplaceEditor() && Grid->InplaceEditor()->Visible(); }
    MainWindowFixture f;
    std::string db;
    TfrmMain* w = nullptr;
};

TEST_F(ViewsTest, OnlyTheShownPagesViewIsOpenAndEachKeepsItsOrder) {
    EXPECT_TRUE(dmMain->viewPlanet->Active());
    EXPECT_EQ(w->sbMain->Panels()->Items(1)->Text(), "Records: 8");
    Show(w->tsViewPlayer);
    EXPECT_FALSE(dmMain->viewPlanet->Active());
    EXPECT_TRUE(dmMain->tblPlayer->Active());
    w->grdPlayerTitleClick(ColumnOf(w->grdPlayer, "Name"));
    w->grdPlayerTitleClick(ColumnOf(w->grdPlayer, "Name"));
    EXPECT_EQ(dmMain->PlayerSort, "Name DESC");
    EXPECT_EQ(Order(dmMain->tblPlayer, "ID"), "1,3,4,2");

    Show(w->tsCalculatePower);
    for (TDataSet* d : {static_cast<TDataSet*>(dmMain->viewPlanet), static_cast<TDataSet*>(dmMain->viewCombat),
                        static_cast<TDataSet*>(dmMain->tblAlliance), static_cast<TDataSet*>(dmMain->tblPlayer)})
        EXPECT_FALSE(d->Active()) << d->Name();
    Show(w->tsViewPlayer);
    EXPECT_EQ(dmMain->tblPlayer->Sort(), "Name DESC");
    EXPECT_EQ(Order(dmMain->tblPlayer, "ID"), "1,3,4,2");
    Show(w->tsViewCombatReports);
    EXPECT_EQ(w->sbMain->Panels()->Items(1)->Text(), "Records: 2");
    EXPECT_FALSE(dmMain->tblPlayer->Active());
}

// The player view, in its shipped column layout, names each player's
// alliance, looked up in the alliance table, whichever page was shown before
// it, also after a restart.
TEST_F(ViewsTest, ThePlayerViewShowsEachPlayersAlliance) {
    const std::map<std::string, std::string> alliances = {
        {"Vega", "Evil"}, {"Altair", "Evil"}, {"Lone", "<none>"}, {"Deneb", "Good"}};
    auto shown = [&] {
        std::map<std::string, std::string> painted;
        const std::vector<std::string> names = PaintedTexts(w->grdPlayer, "Name", 4);
        const std::vector<std::string> texts = PaintedTexts(w->grdPlayer, "Alliance", 4);
        for (size_t i = 0; i < names.size(); ++i) painted[names[i]] = texts[i];
        return painted;
    };
    WriteFile(f.folder.File("Player.grd"), ShippedFile("layouts/Player.grd"));
    for (int run = 0; run < 2; ++run) {
        w = f.Start();
        ASSERT_TRUE(ColumnOf(w->grdPlayer, "Alliance")->Visible());
        for (TTabSheet* before : {w->tsViewSpyReports, w->tsViewAlliance, w->tsCalculatePower,
                                  w->tsViewCombatReports, w->tsViewPlayer}) {
            Show(before);
            Show(w->tsViewPlayer);
            EXPECT_EQ(shown(), alliances) << "after " << before->Name() << ", run " << run;
        }
    }
}

// The sort arrows of the planet and combat grids, as painted in their titles,
// in every title layout: on the first show and after each title click, the
// planet grid marks its primary column (upward ascending), the combat grid
// every column named in its sort text (upward when that holds no "ASC").
TEST_F(ViewsTest, SortArrowsShowTheOrderInEveryTitleLayout) {
    const struct {
        const char* Name;
        bool MultiTitle;
        int TitleLines;
        bool Levels;
    } layouts[] = {{"as designed", true, -1, false},
                   {"one line", false, 0, false},
                   {"three lines", false, 3, false},
                   {"two levels", true, 0, true}};
    struct TStep {
        const char* Click;  // nullptr: the page as first shown
        std::vector<std::pair<const char*, char>> Arrows;
    };
    const std::vector<TStep> planet = {
        {nullptr, {{"Metal", '-'}, {"Crystal", '-'}, {"GalaxyID", '-'}}},
        {"Metal", {{"Metal", 'u'}, {"Crystal", '-'}}},
        {"Metal", {{"Metal", 'd'}, {"Crystal", '-'}}},
        {"Crystal", {{"Metal", '-'}, {"Crystal", 'u'}}},
        {"GalaxyID", {{"Metal", '-'}, {"Crystal", '-'}, {"GalaxyID", '-'}}},
    };
    const std::vector<TStep> combat = {
        {nullptr, {{"DateTime", 'u'}, {"MetalRaided", '-'}, {"Galaxy", '-'}}},
        {"MetalRaided", {{"DateTime", '-'}, {"MetalRaided", 'd'}}},
        {"MetalRaided", {{"DateTime", '-'}, {"MetalRaided", 'u'}}},
        {"Galaxy", {{"MetalRaided", '-'}, {"Galaxy", 'd'}, {"SolarSystem", 'd'}, {"Planet", 'd'}}},
    };
    // A click on the lowest line of the column's title, where a title of
    // several levels has the column's own caption.
    auto click = [](TDBGridGx* Grid, const char* FieldName) {
        const int col = ColumnOf(Grid, FieldName)->Index() + Grid->IndicatorOffset();
        const TRect title = Grid->CellRect(col, Grid->TitleOffset() - 1);
        const TPoint at((title.Left + title.Right) / 2, title.Bottom - 4);
        ResetDoubleClick();
        SimulateMouseMove(Grid->Handle(), at.X, at.Y);
        SimulateClick(Grid->Handle(), at.X, at.Y);
        Application->ProcessMessages();
    };
    // The columns as shipped beside the program.
    for (const char* name : {"Planet.grd", "Combat.grd"})
        WriteFile(f.folder.File(name), ShippedFile(std::string("layouts/") + name));
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.Name);
        w = f.Start();
        w->SetBounds(0, 0, 1100, 700);
        for (TDBGridGx* g : {w->grdPlanet, w->grdCombat}) {
            if (layout.TitleLines < 0) continue;
            g->SetUseMultiTitle(layout.MultiTitle);
            g->SetTitleLines(layout.TitleLines);
        }
        if (layout.Levels) {
            for (const char* field : {"Metal", "Crystal"})
                ColumnOf(w->grdPlanet, field)->Title()->SetCaption(std::string("Resources|") + field);
            for (const char* field : {"Galaxy", "SolarSystem", "Planet"})
                ColumnOf(w->grdCombat, field)->Title()->SetCaption(std::string("Where|") + field);
        }
        for (auto [page, grid, steps] : {std::tuple(w->tsViewSpyReports, w->grdPlanet, &planet),
                                         std::tuple(w->tsViewCombatReports, w->grdCombat, &combat)}) {
            Show(page);
            for (const TStep& step : *steps) {
                if (step.Click) click(grid, step.Click);
                for (auto [field, arrow] : step.Arrows)
                    EXPECT_EQ(ArrowIn(grid, field), arrow)
                        << grid->Name() << " " << field << " after " << (step.Click ? step.Click : "the first show");
            }
        }
        HoldControl(false);
    }
    // A stored order shows its arrow on the first show.
    WriteFile(f.folder.File("Tesk.ini"),
              "[General]\r\nActiveLanguage=English\r\n[ViewPlanets]\r\nPrimaryOrderBy=Metal\r\n"
              "PrimarySortOrder=DESC\r\n[ViewCombats]\r\nCombatSort=MetalRaided ASC\r\n");
    w = f.Start();
    w->SetBounds(0, 0, 1100, 700);
    Show(w->tsViewSpyReports);
    EXPECT_EQ(ArrowIn(w->grdPlanet, "Metal"), 'd');
    Show(w->tsViewCombatReports);
    EXPECT_EQ(ArrowIn(w->grdCombat, "MetalRaided"), 'd');
    EXPECT_EQ(ArrowIn(w->grdCombat, "DateTime"), '-');
}

// At the window's default size every tab shows its whole caption on the tab
// row, and the combat page's check boxes are as wide as their captions
// within their panel, inside the window.
TEST_F(ViewsTest, TabsAndCheckBoxesShowTheirWholeCaptions) {
    w = f.Start();
    TCanvas* measure = w->Canvas();
    TPageControl* tabs = w->pcMain;
    measure->Font()->Assign(tabs->Font());
    std::vector<TRect> placed;
    for (int i = 0; i < tabs->PageCount(); ++i) {
        TTabSheet* page = tabs->Pages(i);
        const TRect r = tabs->TabRect(page->TabIndex());
        SCOPED_TRACE(page->Caption());
        EXPECT_GE(r.Left, 0);
        EXPECT_LE(r.Right, tabs->ClientWidth());
        EXPECT_GE(r.Width(), measure->TextWidth(page->Caption()));
        EXPECT_LE(r.Bottom, tabs->DisplayRect().Top);
        for (const TRect& other : placed) {
            TRect common;
            EXPECT_FALSE(IntersectRect(&common, r, other)) << "overlaps another tab";
        }
        placed.push_back(r);
        if (page == tabs->ActivePage()) {
            placed.back().Left += 2;
            placed.back().Right -= 2;
        }
    }
    Show(w->tsProcessCombatReports);
    for (TCheckBox* box : {w->cbxSubstractResources, w->cbxSubstractDefences, w->cbxSubstractFleet}) {
        SCOPED_TRACE(box->Caption());
        measure->Font()->Assign(box->Font());
        // The box and its gap take at least 16 pixels before the caption.
        EXPECT_GE(box->Width(), measure->TextWidth(box->Caption()) + 16);
        EXPECT_LE(box->Left() + box->Width(), box->Parent()->ClientWidth());
        TPoint right(box->Width(), 0);
        right = w->ScreenToClient(box->ClientToScreen(right));
        EXPECT_LE(right.X, w->ClientWidth());
    }
    EXPECT_TRUE(SaveWindowImage(w->Handle(), "/tmp/tesk-view-combat-page.png"));
}

TEST_F(ViewsTest, TitleClicksSortTheViewsAsTheFileWould) {
    TADOQuery* view = dmMain->viewPlanet;
    struct {
        const char* Field;
        bool Ctrl;
        const char* Label;
        const char* FileOrderBy;
    } const clicks[] = {
        {"Metal", false, "Metal asc", "Metal ASC"},
        {"Metal", false, "Metal desc", "Metal DESC"},
        {"PlanetName", false, "Planet asc", "PlanetName COLLATE NOCASE ASC"},  // text ignores case
        {"SolarsystemID", false, "Coordinates asc", "GalaxyID, SolarsystemID, PlanetID, IsMoon"},
        {"Crystal", true, "Coordinates asc && Crystal asc", "GalaxyID, SolarsystemID, PlanetID, Crystal"},
        {"Crystal", true, "Coordinates asc && Crystal desc", "GalaxyID, SolarsystemID, PlanetID, Crystal DESC"},
        {"RatingExpanded", false, "Rating asc", "Rating, tblPlanet.ID"},
    };
    for (const auto& c : clicks) {
        HoldControl(c.Ctrl);
        w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, c.Field));
        EXPECT_EQ(w->lblSort->Caption(), c.Label) << c.Field;
        EXPECT_EQ(Order(view, "tblplanet.ID"), PlanetOrderInFile(c.FileOrderBy)) << c.Field;
    }
    EXPECT_EQ(dmMain->PlanetSort, "Rating ASC");
    EXPECT_EQ(w->PrimaryOrderBy, "Rating");
    EXPECT_EQ(w->SecondaryOrderBy, "");

    // The order survives a page change and the refresh.
    HoldControl(false);
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "Crystal"));
    Show(w->tsViewCombatReports);
    Show(w->tsViewSpyReports);
    EXPECT_EQ(view->Sort(), "Crystal ASC");
    EXPECT_EQ(Order(view, "tblplanet.ID"), PlanetOrderInFile("Crystal"));

    // The combat grid: its coordinate titles give the coordinate order, Ctrl adds a second one.
    Show(w->tsViewCombatReports);
    EXPECT_EQ(dmMain->viewCombat->FieldByName("Galaxy")->AsString(), "2");  // "DateTime DESC"
    w->grdCombatTitleClick(ColumnOf(w->grdCombat, "Planet"));
    EXPECT_EQ(dmMain->CombatSort, "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC");
    EXPECT_EQ(Order(dmMain->viewCombat, "tblCombat.ID"), "1,2");
    HoldControl(true);
    w->grdCombatTitleClick(ColumnOf(w->grdCombat, "MetalRaided"));
    w->grdCombatTitleClick(ColumnOf(w->grdCombat, "MetalRaided"));
    EXPECT_EQ(dmMain->CombatSort, "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC,MetalRaided DESC");
    TField* raided = dmMain->viewCombat->FieldByName("MetalRaided");
    const AnsiString caption = raided->DisplayLabel().empty() ? raided->FieldName() : raided->DisplayLabel();
    EXPECT_EQ(w->lblCombatSort->Caption(), "Coordinates asc && " + caption + " desc");
    HoldControl(false);
    w->grdCombatTitleClick(ColumnOf(w->grdCombat, "MetalRaided"));
    EXPECT_EQ(Order(dmMain->viewCombat, "tblCombat.ID"), "1,2");
    w->grdCombatTitleClick(ColumnOf(w->grdCombat, "MetalRaided"));
    EXPECT_EQ(Order(dmMain->viewCombat, "tblCombat.ID"), "2,1");
}

// One painted row of the planet grid per rule, read back from the recording
// device: the cell's fill and the colour and weight of its text.
TEST_F(ViewsTest, PlanetRowsAreDrawnByTheirRules) {
    w->edtMetal->SetText("10000");
    w->edtLF->SetText("5000");
    // Only the columns the rules are read from stay on the screen.
    TDBGridGx* g = PlanetsByIdShowing({"PlanetName", "Metal", "LightFighter", "AssaultPower", "LastScanned"});
    ASSERT_FALSE(HasFailure());
    TRecordingDevice* rec = nullptr;
    HDC dc = CreateRecordingDC(&rec, TSize(1100, 600));
    g->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    auto look = [&](int Record, const char* Field) {
        TRect cell = g->CellRect(ColumnOf(g, Field)->Index() + 1, Record);  // after the indicator and the title
        struct {
            COLORREF Fill = 0xFFFFFFFF, Text = 0xFFFFFFFF;
            int Weight = 0;
        } out;
        for (const TGdiCall& c : rec->Calls()) {
            if (c.Depth != 0 || c.Rect.Left < cell.Left || c.Rect.Top < cell.Top || c.Rect.Right > cell.Right ||
                c.Rect.Bottom > cell.Bottom)
                continue;
            // The cell's text comes with its background as one opaque call.
            if (c.Kind == TGdiCallKind::ExtTextOut || c.Kind == TGdiCallKind::DrawText) {
                out.Fill = c.BkColor;
                out.Text = c.Color;
                out.Weight = c.Font.lfWeight;
            }
        }
        return out;
    };
    // Limits: Forge's metal 90000 > 10000 (rating brush lost), abyss's fighters and assault power.
    EXPECT_EQ(look(2, "Metal").Fill, 0xC0DCC0u);
    EXPECT_EQ(look(3, "LightFighter").Text, 0x0000FFu);
    EXPECT_EQ(look(3, "AssaultPower").Text, 0x0000FFu);
    EXPECT_GE(look(3, "AssaultPower").Weight, 700);
    EXPECT_LT(look(3, "LightFighter").Weight, 700);
    // Rating: Forge raidable on its other cells, Colony crashable, Moon dangerous, Zenith friendly.
    EXPECT_EQ(look(2, "PlanetName").Fill, 0xAACD66u);
    EXPECT_EQ(look(4, "PlanetName").Fill, 0xF0CAA6u);
    EXPECT_EQ(look(6, "PlanetName").Fill, 0x7F7FFFu);
    EXPECT_EQ(look(5, "PlanetName").Text, 0xCFD1CFu);
    // Status: abyss's owner inactive, Colony's banned before inactive, Delta's noob.
    EXPECT_EQ(look(3, "PlanetName").Text, 0x13458Bu);
    EXPECT_EQ(look(4, "PlanetName").Text, 0xFF0000u);
    EXPECT_EQ(look(8, "PlanetName").Text, 0x008000u);
    // Report age: hours, two days, four, eight, thirty (friendly too), never scanned.
    const std::pair<int, COLORREF> ages[] = {{1, 0x70B2FC}, {2, 0x9EF4A4}, {3, 0xB3F7C0}, {4, 0xE1FDE5},
                                             {5, 0xE0E0E0}, {6, 0xE0E0E0}, {7, 0x6FED6F}};
    for (auto [row, fill] : ages) EXPECT_EQ(look(row, "LastScanned").Fill, fill) << row;
    DeleteDC(dc);
}

// Neither a count past 32 bits nor a row whose colours cannot be worked out
// stops the planet grid: every row paints its cells at every paint, and the
// cell whose colouring failed is told once in the log.
TEST_F(ViewsTest, EveryRowPaintsWhateverOneRowHolds) {
    ExecSql(db, "UPDATE tblPlanet SET Metal=3000000000 WHERE ID=2; UPDATE tblPlanet SET Rating=3000000000 WHERE ID=5;");
    w->edtMetal->SetText("10000");
    TDBGridGx* g = PlanetsByIdShowing({"PlanetName", "Metal"});
    ASSERT_FALSE(HasFailure());
    const char* const names[] = {"Home", "Forge", "abyss", "Colony", "Zenith", "Moon", "Bravo", "Delta"};
    const char* const metals[] = {"5000", "3000000000", "1200", "", "700", "300", "2500", "60"};
    for (int paint = 0; paint < 2; ++paint) {
        TRecordingDevice* rec = nullptr;
        HDC dc = CreateRecordingDC(&rec, TSize(1100, 600));
        g->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        // The text painted in a cell, and the background it came with.
        auto painted = [&](int Record, const char* Field) {
            const TRect cell = g->CellRect(ColumnOf(g, Field)->Index() + 1, Record);
            std::pair<std::string, COLORREF> out{"", 0xFFFFFFFF};
            for (const TGdiCall& c : rec->Calls())
                if ((c.Kind == TGdiCallKind::ExtTextOut || c.Kind == TGdiCallKind::DrawText) && c.Depth == 0 &&
                    c.Rect.Left >= cell.Left && c.Rect.Top >= cell.Top && c.Rect.Right <= cell.Right &&
                    c.Rect.Bottom <= cell.Bottom) {
                    out.first += c.Text;
                    out.second = c.BkColor;
                }
            return out;
        };
        for (int record = 1; record <= 8; ++record) {
            EXPECT_EQ(painted(record, "PlanetName").first, names[record - 1]) << "paint " << paint;
            EXPECT_EQ(painted(record, "Metal").first, metals[record - 1]) << "paint " << paint;
        }
        // Forge's metal is past the limit; Zenith's cells keep the grid's own look.
        EXPECT_EQ(painted(2, "Metal").second, 0xC0DCC0u);
        EXPECT_EQ(painted(5, "PlanetName").second, painted(8, "PlanetName").second);
        DeleteDC(dc);
    }
    std::vector<std::string> faults;
    for (int i = 0; i < w->memLog->Lines()->Count(); ++i) {
        const std::string line = w->memLog->Lines()->Strings(i);
        if (line.find(" - Error processing planet view: ") != std::string::npos) faults.push_back(line.substr(line.find(" - ")));
    }
    EXPECT_EQ(faults, std::vector<std::string>{" - Error processing planet view: 3000000000 is not a valid integer value"});
}

TEST_F(ViewsTest, RatingsWriteInOneTransactionAndRollBackOnFailure) {
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "tblplanet.ID"));
    TADOQuery* view = dmMain->viewPlanet;
    auto select = [&](std::initializer_list<int> IDs) {
        w->grdPlanet->SelectedRows()->Clear();
        for (int id : IDs) {
            ASSERT_TRUE(view->Locate("tblplanet.ID", id, TLocateOptions()));
            w->grdPlanet->SelectedRows()->SetCurrentRowSelected(true);
        }
    };
    auto ratings = [&] { return QuerySql(db, "SELECT group_concat(Rating, '') FROM (SELECT Rating FROM tblPlanet ORDER BY ID)"); };
    ASSERT_EQ(ratings(), "01042300");

    // Planets: one transaction each; a row that fails is rolled back and the others are rated.
    ExecSql(db, "CREATE TRIGGER refuse BEFORE UPDATE OF Rating ON tblPlanet WHEN NEW.ID = 7 "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    select({1, 7, 8});
    w->actRateDangerous->Execute();
    EXPECT_EQ(ratings(), "31042303");
    EXPECT_FALSE(dmMain->adoConnection->InTransaction());

    // A player: exactly one row must be selected.
    select({1, 3});
    w->actRatePlayerCrashable->Execute();
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages.back().Text, "To rate a player make sure you select one planet");
    EXPECT_EQ(ratings(), "31042303");
    select({3});  // Altair: abyss and Bravo, Bravo refuses: neither changes
    EXPECT_THROW(w->actRatePlayerCrashable->Execute(), Exception);
    EXPECT_FALSE(dmMain->adoConnection->InTransaction());
    EXPECT_EQ(ratings(), "31042303");
    select({8});  // Deneb: Zenith and Delta
    w->actRatePlayerRaidable->Execute();
    EXPECT_EQ(ratings(), "31041301");

    // An alliance: all its players' planets in one transaction; Evil holds Bravo, which refuses.
    select({1});
    EXPECT_THROW(w->actRateAllianceNormal->Execute(), Exception);
    EXPECT_FALSE(dmMain->adoConnection->InTransaction());
    EXPECT_EQ(ratings(), "31041301");
    ExecSql(db, "DROP TRIGGER refuse");
    w->actRateAllianceNormal->Execute();
    EXPECT_EQ(ratings(), "00041301");
    // The "<none>" alliance is refused with a warning, not spread over every lone player.
    select({4});
    w->actRateAllianceFriendly->Execute();
    EXPECT_EQ(f.dialogs->Messages.back().Type, mtWarning);
    EXPECT_EQ(ratings(), "00041301");
    // The view shows what the file holds.
    ASSERT_TRUE(view->Locate("tblplanet.ID", 5, TLocateOptions()));
    EXPECT_EQ(view->FieldByName("Rating")->AsInteger(), 1);
}

TEST_F(ViewsTest, DeletesAskAndRemoveTheSelectedRows) {
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "tblplanet.ID"));
    TADOQuery* view = dmMain->viewPlanet;
    for (int id : {2, 5}) {
        ASSERT_TRUE(view->Locate("tblplanet.ID", id, TLocateOptions()));
        w->grdPlanet->SelectedRows()->SetCurrentRowSelected(true);
    }
    f.dialogs->QueueAnswer(mrNo);
    w->actDeletePlanet->Execute();
    EXPECT_EQ(f.dialogs->Messages.back().Text, "Sure you want to delete 2 selected planet(s)?");
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblPlanet"), "8");
    f.dialogs->QueueAnswer(mrYes);
    w->actDeletePlanet->Execute();
    EXPECT_EQ(QuerySql(db, "SELECT group_concat(ID, ',') FROM (SELECT ID FROM tblPlanet ORDER BY ID)"), "1,3,4,6,7,8");
    EXPECT_EQ(view->RecordCount(), 6);

    // The combat command acts on its own page only.
    w->actDeleteCombat->Execute();
    Show(w->tsViewCombatReports);
    dmMain->viewCombat->First();
    w->grdCombat->SelectedRows()->SetCurrentRowSelected(true);
    f.dialogs->QueueAnswer(mrYes);
    w->actDeleteCombat->Execute();
    EXPECT_EQ(f.dialogs->Messages.back().Text, "Sure you want to delete 1 selected combatreport(s)?");
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblCombat"), "1");
    // Forge, the other combat's defender, went above: the view shows none.
    EXPECT_EQ(dmMain->viewCombat->RecordCount(), 0);
}

// The grids as their window defines them; the combat grid keeps the sums of
// its debris columns up to date while its footer row stays hidden.
TEST_F(ViewsTest, TheGridsAsDefinedAndTheCombatGridsDebrisSums) {
    const struct {
        TDBGridGx* Grid;
        int TitleLines;
    } grids[] = {{w->grdPlanet, 3}, {w->grdCombat, 0}, {w->grdAlliance, 0}, {w->grdPlayer, 0}};
    for (const auto& g : grids) {
        SCOPED_TRACE(g.Grid->Name());
        EXPECT_FALSE(g.Grid->Flat());
        EXPECT_TRUE(g.Grid->UseMultiTitle());
        EXPECT_TRUE(g.Grid->SortLocal());
        EXPECT_EQ(g.Grid->TitleLines(), g.TitleLines);
        EXPECT_EQ(g.Grid->FooterRowCount(), 0);
        EXPECT_EQ(g.Grid->SumList()->Active(), g.Grid == w->grdCombat);
    }
    TDBGridGx* g = w->grdCombat;
    EXPECT_EQ(g->OddRowColor(), clInfoBk);
    // Three older combats without debris.
    ExecSql(db, "INSERT INTO tblCombat(DefenderPlanetID, AttackerPlanetID, DateTime, MetalRaided, Report) VALUES "
                "(1, 3, '2026-07-20 08:00:00', 300, 'a'), (3, 1, '2026-07-21 09:00:00', 0, 'b'), "
                "(7, 1, '2026-07-22 10:00:00', 4400, 'c');");
    Show(w->tsViewCombatReports);
    ASSERT_EQ(dmMain->viewCombat->RecordCount(), 5);
    // The combat view as defined (looked at by hand): odd rows in the info
    // colour and no footer row.
    EXPECT_TRUE(SaveWindowImage(w->Handle(), "/tmp/tesk-view-combat-as-defined.png"));
    TColumnGx* metal = ColumnOf(g, "tblCombat.MetalDebris");
    TColumnGx* crystal = ColumnOf(g, "tblCombat.CrystalDebris");
    ASSERT_TRUE(metal && crystal);
    EXPECT_EQ(g->GetFooterValue(0, metal), "37 000");
    EXPECT_EQ(g->GetFooterValue(0, crystal), "12 600");
    EXPECT_EQ(g->GetFooterValue(0, ColumnOf(g, "MetalRaided")), "");
    // Deleting the newer combat leaves the older one's debris.
    dmMain->viewCombat->First();
    g->SelectedRows()->SetCurrentRowSelected(true);
    f.dialogs->QueueAnswer(mrYes);
    w->actDeleteCombat->Execute();
    ASSERT_EQ(QuerySql(db, "SELECT count(*) FROM tblCombat"), "4");
    EXPECT_EQ(g->GetFooterValue(0, metal), "2 000");
    EXPECT_EQ(g->GetFooterValue(0, crystal), "600");
}

TEST_F(ViewsTest, PowerPageAndSelectAll) {
    Show(w->tsCalculatePower);
    struct {
        TEdit* TfrmMain::*Box;
        const char* Text;
        const char* Assault;
    } const fleet[] = {
        {&TfrmMain::edtoLF, "10", "500"},
        {&TfrmMain::edtoLF, "0", "0"},
        {&TfrmMain::edtoBmbr, "1", "1000"},  // as the stored figure weighs them
        {&TfrmMain::edtoDest, "1", "3000"},
        {&TfrmMain::edtoDS, "x", "3000"},  // not a number: the result stays
        {&TfrmMain::edtoDS, "1", "13000"},
    };
    for (const auto& c : fleet) {
        (w->*c.Box)->SetText(c.Text);
        EXPECT_EQ(w->edtoAssault->Text(), c.Assault) << c.Text;
    }
    w->edtoGC->SetText("1");
    w->edtoSSD->SetText("2");
    EXPECT_EQ(w->edtoDefence->Text(), "1102");

    // Select All on the combat grid selects every row and sums them.
    Show(w->tsViewCombatReports);
    w->SetActiveControl(w->grdCombat);
    w->actSelectAll->Execute();
    EXPECT_EQ(w->grdCombat->SelectedRows()->Count(), 2);
    EXPECT_TRUE(dmMain->viewCombat->Eof() || dmMain->viewCombat->RecNo() == 2);
}

// Screenshots of the four views with their rows (looked at by hand).
// The alliance and player pages edit their cells in place: a typed text goes
// into the file through the data module's row writer once the row is left (or
// the page changes); "<none>", the ID and the computed status refuse; a text
// the field cannot take is shown to the user and kept.
TEST_F(ViewsTest, AllianceAndPlayerCellsAreEditedInPlace) {
    Show(w->tsViewAlliance);
    GoTo(w->grdAlliance, dmMain->tblAlliance, "Evil", "Name");
    Type("Wicked");
    EXPECT_TRUE(EditorOpen(w->grdAlliance));
    Key(VK_RETURN);
    Key(VK_DOWN);
    EXPECT_EQ(QuerySql(db, "SELECT Name FROM tblAlliance WHERE ID = 2"), "Wicked");
    GoTo(w->grdAlliance, dmMain->tblAlliance, "Good", "Members");
    Type("12");
    Key(VK_RETURN);
    Show(w->tsViewPlayer);  // the page change writes the row
    EXPECT_EQ(QuerySql(db, "SELECT Members FROM tblAlliance WHERE ID = 3"), "12");

    Show(w->tsViewAlliance);
    GoTo(w->grdAlliance, dmMain->tblAlliance, "<none>", "Name");
    Type("Some");
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(QuerySql(db, "SELECT Name FROM tblAlliance WHERE ID = 1"), "<none>");
    EXPECT_EQ(dmMain->tblAlliance->State(), dsBrowse);
    GoTo(w->grdAlliance, dmMain->tblAlliance, "Wicked", "ID");
    Key(VK_F2);
    EXPECT_FALSE(EditorOpen(w->grdAlliance));

    Show(w->tsViewPlayer);
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Deneb", "WeaponTechnology");
    Type("1x");
    Key(VK_RETURN);
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_NE(f.dialogs->Messages[0].Text.find("1x"), std::string::npos);
    EXPECT_TRUE(EditorOpen(w->grdPlayer));
    EXPECT_EQ(w->grdPlayer->InplaceEditor()->Text(), "1x");
    EXPECT_EQ(dmMain->tblPlayer->State(), dsEdit);
    Key(VK_BACK);
    Type("4");
    Key(VK_RETURN);
    Key(VK_UP);
    EXPECT_EQ(QuerySql(db, "SELECT WeaponTechnology FROM tblPlayer WHERE ID = 4"), "14");
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Deneb", "Status");
    Key(VK_F2);
    EXPECT_FALSE(EditorOpen(w->grdPlayer));
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Vega", "Name");
    Key(VK_F2);
    EXPECT_TRUE(EditorOpen(w->grdPlayer));
    EXPECT_TRUE(SaveWindowImage(w->Handle(), "/tmp/tesk-view-player-editing.png"));
    Key(VK_ESCAPE);
}

// After an edit in one row, a key that changes nothing in another row's cell
// (Backspace at its start, Delete at its end) leaves that cell's value in the
// file: no name is erased, no alliance takes another's member count.
TEST_F(ViewsTest, KeysThatChangeNothingKeepTheCellsValue) {
    Show(w->tsViewPlayer);
    // Before any edit, and after one in another row's other column.
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Lone", "Name");
    Key(VK_F2);
    Key(VK_LEFT);
    Key(VK_BACK);
    Key(VK_DOWN);
    EXPECT_EQ(QuerySql(db, "SELECT Name FROM tblPlayer WHERE ID = 3"), "Lone");
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Altair", "WeaponTechnology");
    Type("9");
    Key(VK_RETURN);
    Key(VK_DOWN);
    ASSERT_EQ(QuerySql(db, "SELECT WeaponTechnology FROM tblPlayer WHERE ID = 2"), "9");
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Lone", "Name");
    Key(VK_F2);
    Key(VK_LEFT);
    Key(VK_BACK);
    Key(VK_RETURN);
    Show(w->tsViewAlliance);  // the page change writes the row
    EXPECT_EQ(QuerySql(db, "SELECT Name FROM tblPlayer WHERE ID = 3"), "Lone");

    GoTo(w->grdAlliance, dmMain->tblAlliance, "Evil", "Members");
    Type("7");
    Key(VK_RETURN);
    Key(VK_DOWN);
    ASSERT_EQ(QuerySql(db, "SELECT Members FROM tblAlliance WHERE ID = 2"), "7");
    const std::string members = QuerySql(db, "SELECT ifnull(Members, 'null') FROM tblAlliance WHERE ID = 3");
    GoTo(w->grdAlliance, dmMain->tblAlliance, "Good", "Members");
    Key(VK_F2);
    Key(VK_RIGHT);
    Key(VK_DELETE);
    Key(VK_RETURN);
    Show(w->tsViewPlayer);
    EXPECT_EQ(QuerySql(db, "SELECT ifnull(Members, 'null') FROM tblAlliance WHERE ID = 3"), members);
    EXPECT_EQ(QuerySql(db, "SELECT Members FROM tblAlliance WHERE ID = 2"), "7");
}

// A text cell's editor holds what its field holds: a player name typed past
// its 50 characters stops at the 50th, and the file gets what the cell showed.
TEST_F(ViewsTest, ANameTypedPastItsFieldsSizeStopsAtTheSize) {
    std::string typed;
    for (int i = 0; typed.size() < 76; ++i) typed += static_cast<char>('a' + i % 26);
    Show(w->tsViewPlayer);
    GoTo(w->grdPlayer, dmMain->tblPlayer, "Vega", "Name");
    Type(typed.c_str());
    ASSERT_TRUE(EditorOpen(w->grdPlayer));
    EXPECT_EQ(w->grdPlayer->InplaceEditor()->Text(), typed.substr(0, 50));
    Key(VK_RETURN);
    Key(VK_DOWN);
    EXPECT_EQ(QuerySql(db, "SELECT Name FROM tblPlayer WHERE ID = 1"), typed.substr(0, 50));
    EXPECT_TRUE(f.dialogs->Messages.empty());
}

// The player grid selects no records: a drag moves its current row with the
// pointer and, below the rows, scrolls on the grid's timer.
TEST_F(ViewsTest, DraggingInThePlayerGridMovesTheCurrentRowAndScrolls) {
    ExecSql(db, "WITH RECURSIVE n(i) AS (SELECT 5 UNION ALL SELECT i + 1 FROM n WHERE i < 60) "
                "INSERT INTO tblPlayer(ID, Name, AllianceID) SELECT i, printf('Player %02d', i), 2 FROM n;");
    DWORD tick = 1000000;
    SetTickSource([&tick] { return tick; });
    auto wait = [&tick](DWORD Ms) {
        tick += Ms;
        Application->ProcessMessages();
    };
    Show(w->tsViewPlayer);
    TDBGridGx* g = w->grdPlayer;
    g->SetFocus();
    Application->ProcessMessages();
    auto center = [g](int Row) {
        TRect r = g->CellRect(g->IndicatorOffset(), Row);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    auto name = [] { return dmMain->tblPlayer->FieldByName("Name")->AsString(); };
    const int top = g->TitleOffset();
    wait(1000);
    TPoint p = center(top + 1);
    SimulateMouseDown(g->Handle(), TSimButton::Left, p.X, p.Y);
    EXPECT_EQ(name(), "Deneb");
    p = center(top + 4);
    SimulateMouseMove(g->Handle(), p.X, p.Y, ssLeft);
    EXPECT_EQ(name(), "Player 06");
    // 30 pixels below the rows: 5 rows at once, then 5 more at every tick.
    const int below = g->DataBox().Bottom + 29;
    SimulateMouseMove(g->Handle(), p.X, below, ssLeft);
    const int first = dmMain->tblPlayer->RecNo();
    wait(10);
    EXPECT_EQ(dmMain->tblPlayer->RecNo(), first + 5);
    wait(10);
    EXPECT_EQ(dmMain->tblPlayer->RecNo(), first + 10);
    SimulateMouseUp(g->Handle(), TSimButton::Left, p.X, below);
    const int released = dmMain->tblPlayer->RecNo();
    wait(100);
    EXPECT_EQ(dmMain->tblPlayer->RecNo(), released);
    EXPECT_EQ(g->SelectedRows()->Count(), 0);
    SetTickSource(nullptr);
}

// Screenshots at the window's default size, with the shipped column layouts,
// of the four views and the combat page (looked at by hand): every tab,
// caption and sort arrow in sight.
TEST_F(ViewsTest, ScreenshotsAtTheDefaultSize) {
    for (const char* name : {"Planet.grd", "Combat.grd", "Alliance.grd", "Player.grd"})
        WriteFile(f.folder.File(name), ShippedFile(std::string("layouts/") + name));
    w = f.Start();
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "Metal"));
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "Metal"));
    for (TTabSheet* page : {w->tsViewSpyReports, w->tsViewCombatReports, w->tsViewAlliance, w->tsViewPlayer,
                            w->tsProcessCombatReports}) {
        Show(page);
        EXPECT_TRUE(SaveWindowImage(w->Handle(), ("/tmp/tesk-default-" + std::string(page->Name()) + ".png").c_str()));
    }
}

TEST_F(ViewsTest, ScreenshotsOfTheFourViews) {
    w->edtMetal->SetText("10000");
    w->edtLF->SetText("5000");
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "Metal"));
    w->grdPlanetTitleClick(ColumnOf(w->grdPlanet, "Metal"));
    dmMain->viewPlanet->Last();
    w->grdPlanet->SelectedRows()->SetCurrentRowSelected(true);
    for (TTabSheet* page : {w->tsViewSpyReports, w->tsViewCombatReports, w->tsViewAlliance, w->tsViewPlayer}) {
        Show(page);
        if (page == w->tsViewCombatReports) {
            w->grdCombatTitleClick(ColumnOf(w->grdCombat, "MetalRaided"));
            w->grdCombat->Repaint();
        }
        Application->ProcessMessages();
        EXPECT_TRUE(SaveWindowImage(w->Handle(), ("/tmp/tesk-view-" + std::string(page->Name()) + ".png").c_str()));
    }
}

}  // namespace
