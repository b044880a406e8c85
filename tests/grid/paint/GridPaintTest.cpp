// The grid's painting on the recording device: the order of a data cell's
// events, titles with sort markers and parent titles, the indicator, row
// colours, selection colours, footers, owner-drawn cells and the focus frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "grid/DBGridGxStyle.h"
#include "platform/gui/InputSimulation.h"
#include "GridPaintSupport.h"

using namespace gridpaint;

namespace {

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

// Index of the first call that satisfies Pred, or -1.
template <class Pred>
int IndexOf(const std::vector<TGdiCall>& calls, Pred pred) {
    for (size_t i = 0; i < calls.size(); ++i)
        if (pred(calls[i])) return static_cast<int>(i);
    return -1;
}

// Writes down, with the number of drawing calls made so far, the events of one watched cell.
struct TCellEventLog : TObject {
    TCustomDBGridGx* Grid = nullptr;
    TRecordingDevice* Rec = nullptr;
    int Col = -1, Row = -1;
    std::vector<std::pair<std::string, int>> Events;
    TColor NewBackground = clNone;

    bool Watched() const { return Grid->ColCellParams()->Col == Col && Grid->ColCellParams()->Row == Row; }
    void Note(const char* name) { Events.push_back({name, static_cast<int>(Rec->Calls().size())}); }
    void GridParams(TObject*, TColumnGx*, TFont*, TColor& Background, TGridDrawState) {
        if (!Watched()) return;
        Note("grid params");
        if (NewBackground != clNone) Background = NewBackground;
    }
    void ColumnParams(TObject*, bool EditMode, TColCellParamsGx* Params) {
        if (!Watched() || EditMode) return;
        Note("column params");
        EXPECT_EQ(Params->Text, "Planet 2");
    }
    void DrawData(TObject*, const TRect&, TField*, TGridDrawState) {
        if (Watched()) Note("draw data cell");
    }
    void DrawColumn(TObject*, const TRect&, int, TColumnGx*, TGridDrawState) {
        if (Watched()) Note("draw column cell");
    }
};

class TLoggingGrid : public TDBGridGx {
public:
    using TDBGridGx::TDBGridGx;
    TCellEventLog* Log = nullptr;
    bool GetDataCellColors(int DataCol, int DataRow, TFont* AFont, TColor& AColor, TGridDrawState State,
                           const AnsiString& Text) override {
        if (Log && Log->Watched()) Log->Note("colours");
        return TDBGridGx::GetDataCellColors(DataCol, DataRow, AFont, AColor, State, Text);
    }
};

class GridPainting : public GridPaintTest {};

TEST_F(GridPainting, DataCellEventsComeInTheirOrder) {
    Fill();
    auto* g = MakeGrid<TLoggingGrid>();
    TCellEventLog log;
    log.Grid = g;
    log.Rec = rec;
    log.Col = 2;  // Name
    log.Row = 2;  // the second record
    log.NewBackground = clYellow;
    g->Log = &log;
    g->OnGetCellParams = TGetCellParamsEventGx(&log, &TCellEventLog::GridParams);
    g->OnDrawDataCell = TDrawDataCellEventGx(&log, &TCellEventLog::DrawData);
    g->OnDrawColumnCell = TDrawColumnCellEventGx(&log, &TCellEventLog::DrawColumn);
    g->Columns()->Items(1)->OnGetCellParams = TColCellParamsEventGx(&log, &TCellEventLog::ColumnParams);
    ASSERT_EQ(g->Columns()->State(), csDefault);

    Paint(g);
    std::vector<std::string> names;
    for (auto& e : log.Events) names.push_back(e.first);
    ASSERT_EQ(names, (std::vector<std::string>{"grid params", "column params", "colours", "draw data cell",
                                                "draw column cell"}));
    // The content is drawn after the colours are settled and before the owner's drawing events,
    // on the background the owner's parameter event chose.
    const TRect cell = g->CellRect(2, 2);
    const auto& calls = rec->Calls();
    int text = IndexOf(calls, [&](const TGdiCall& c) {
        return c.Kind == TGdiCallKind::ExtTextOut && c.Text == "Planet 2" && c.SourceRect.Top >= cell.Top;
    });
    ASSERT_GE(text, 0) << rec->Dump();
    EXPECT_GE(text, log.Events[2].second);
    EXPECT_LT(text, log.Events[3].second);
    EXPECT_EQ(calls[static_cast<size_t>(text)].BkColor, Rgb(clYellow));
}

TEST_F(GridPainting, TitleSortMarkersAndTheirShrinkingRules) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetOptionsGx(g->OptionsGx() + dghMultiSortMarking);
    TCustomImageList* markers = GridSortMarkerImages();
    struct {
        const char* Name;
        int Width;
        bool TwoMarked;
        bool Image;
        bool Index;
    } cases[] = {
        {"wide: marker image", 80, false, true, false},
        {"two marked columns: image and sort index", 80, true, true, true},
        {"too narrow for the image: the index stays", 14, true, false, true},
        {"narrower still: neither", 3, true, false, false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TColumnGx* name = g->Columns()->Items(1);
        name->SetWidth(c.Width);
        name->Title()->SetSortMarker(smDownGx);
        g->Columns()->Items(2)->Title()->SetSortMarker(c.TwoMarked ? smUpGx : smNoneGx);
        Paint(g);
        TRect r = g->CellRect(2, 0);
        InflateRect(&r, -1, -1);  // inside the raised frame
        const int y = (r.Top + r.Bottom - markers->Height()) / 2;
        auto images = rec->Calls(TGdiCallKind::Image);
        bool image = std::any_of(images.begin(), images.end(), [&](const TGdiCall& i) {
            return i.Rect.Top == y && i.Rect.Right <= r.Right && i.Rect.Left >= r.Left - markers->Width() &&
                   i.Rect.Width() == markers->Width();
        });
        EXPECT_EQ(image, c.Image) << rec->Dump();
        auto texts = TextsIn(g->CellRect(2, 0));
        // The sort index is written at a point, not into a rectangle.
        auto outs = Calls(TGdiCallKind::ExtTextOut);
        bool index = std::any_of(outs.begin(), outs.end(), [&](const TGdiCall& t) {
            return t.Text == std::to_string(name->Title()->SortIndex()) && PtInRect(g->CellRect(2, 0), t.Points.at(0));
        });
        EXPECT_EQ(index, c.Index);
        if (c.Width == 80) {
            // The caption keeps clear of the marker.
            auto caption = std::find_if(texts.begin(), texts.end(), [](const TGdiCall& t) { return t.Text == "Name"; });
            ASSERT_NE(caption, texts.end());
            EXPECT_LE(caption->SourceRect.Right, r.Right - 16);
        }
    }
}

TEST_F(GridPainting, IndicatorShowsTheCurrentRowsState) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetOptions(g->Options() + dgMultiSelect);
    TCustomImageList* images = GridIndicatorImages();
    auto indicatorImages = [&](int row) {
        TRect cell = g->CellRect(0, row);
        std::vector<TGdiCall> found;
        for (auto& i : rec->Calls(TGdiCallKind::Image))
            if (Inside(i.Rect, cell) && i.Rect.Width() == images->Width()) found.push_back(i);
        return found;
    };
    // The image that was drawn, by its pixels: paint on a bitmap and compare with each list image.
    auto drawnImage = [&](int row, TColor background) {
        TBitmap shot;
        shot.SetSize(g->Width(), g->Height());
        g->Perform(WM_PAINT, reinterpret_cast<WPARAM>(shot.Canvas()->Handle()), 0);
        TRect cell = g->CellRect(0, row);
        InflateRect(&cell, -1, -1);
        const int x = cell.Right - images->Width() - 1;
        const int y = (cell.Top + cell.Bottom - images->Height()) / 2;
        for (int index = 0; index < images->Count(); ++index) {
            TBitmap ref;
            ref.SetSize(images->Width(), images->Height());
            ref.Canvas()->Brush()->SetColor(background);
            ref.Canvas()->FillRect(TRect(0, 0, images->Width(), images->Height()));
            images->Draw(ref.Canvas(), 0, 0, index, true);
            bool same = true;
            for (int py = 0; py < images->Height() && same; ++py)
                for (int px = 0; px < images->Width() && same; ++px)
                    same = ref.Canvas()->Pixels(px, py) == shot.Canvas()->Pixels(x + px, y + py);
            if (same) return index;
        }
        return -1;
    };

    Paint(g);
    EXPECT_EQ(indicatorImages(1).size(), 1u);
    for (int row = 2; row <= 6; ++row) EXPECT_TRUE(indicatorImages(row).empty()) << row;
    EXPECT_EQ(drawnImage(1, clBtnFace), 0);
    EXPECT_EQ(g->IndicatorRow(), 1);

    data->Edit();
    EXPECT_EQ(drawnImage(1, clBtnFace), 1);
    data->Cancel();
    data->Insert();
    EXPECT_EQ(drawnImage(g->Row(), clBtnFace), 2);
    data->Cancel();

    g->SetIncSearch(true, "Pla");
    EXPECT_EQ(drawnImage(1, clBtnFace), 6);
    g->SetIncSearch(false, "");

    // Selected rows: a dark grey indicator, and the outlined arrow on the current one.
    g->SelectedRows()->SetCurrentRowSelected(true);
    data->Next();
    g->SelectedRows()->SetCurrentRowSelected(true);
    data->First();
    EXPECT_EQ(drawnImage(1, TColor(0x404040)), 5);
    Paint(g);
    EXPECT_TRUE(indicatorImages(2).empty());
    auto fills = Calls(TGdiCallKind::FillRect);
    TRect second = g->CellRect(0, 2);
    InflateRect(&second, -1, -1);
    EXPECT_TRUE(std::any_of(fills.begin(), fills.end(),
                            [&](const TGdiCall& f) { return f.Rect == second && f.Color == 0x404040u; }));
}

TEST_F(GridPainting, OddRecordsTakeTheOddRowColourUnlessTheColumnHasItsOwn) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetOddRowColor(clInfoBk);
    g->Columns()->Items(2)->SetColor(clAqua);  // Metal
    Paint(g);
    for (int row = 2; row <= 5; ++row) {
        SCOPED_TRACE(row);
        const bool odd = row % 2 == 1;  // row r shows record r
        auto name = TextsIn(g->CellRect(2, row));
        ASSERT_EQ(name.size(), 1u) << rec->Dump();
        EXPECT_EQ(name[0].BkColor, odd ? Rgb(clInfoBk) : Rgb(clWindow));
        auto metal = TextsIn(g->CellRect(3, row));
        ASSERT_EQ(metal.size(), 1u);
        EXPECT_EQ(metal[0].BkColor, Rgb(clAqua));
    }
}

TEST_F(GridPainting, EachColumnWritesInItsOwnFont) {
    // A column whose font differs from the next one's in its colour only,
    // and one whose font, taken over from a handle that turns its text, has
    // the same properties as the column before it: every cell is written in
    // its column's font, whatever the cell before used.
    Fill();
    TDBGridGx* g = MakeGrid();
    g->Columns()->Items(0)->Font()->SetColor(clRed);
    LOGFONT turned = g->Columns()->Items(2)->Font()->LogFont();
    turned.lfEscapement = turned.lfOrientation = 900;
    g->Columns()->Items(2)->Font()->SetHandle(CreateFontIndirect(&turned));
    Paint(g);
    for (int row = 2; row <= 4; ++row) {  // below the current record's highlight
        SCOPED_TRACE(row);
        for (int col = 1; col <= 3; ++col) {
            SCOPED_TRACE(col);
            auto texts = TextsIn(g->CellRect(col, row));
            ASSERT_EQ(texts.size(), 1u) << rec->Dump();
            EXPECT_EQ(texts[0].Color, col == 1 ? Rgb(clRed) : Rgb(clWindowText));
            EXPECT_EQ(texts[0].Font.lfEscapement, col == 3 ? 900 : 0);
        }
    }
}

struct TFooterEvents : TObject {
    int Drawn = 0;
    void Params(TObject*, int DataCol, int, TColumnGx*, TFont*, TColor& Background, TAlignment& Alignment,
                TGridDrawState, AnsiString& Text) {
        if (DataCol != 1) return;
        Text = "six";
        Alignment = taCenter;
        Background = clYellow;
    }
    void Draw(TObject*, int, int, TColumnGx*, const TRect&, TGridDrawState) { ++Drawn; }
};

TEST_F(GridPainting, FooterRowAtTheBottom) {
    Fill(3);
    TDBGridGx* g = MakeGrid();
    g->SetFooterRowCount(1);
    g->FooterFont()->SetColor(clRed);
    TColumnGx* metal = g->Columns()->Items(2);
    metal->Footer()->SetValueType(fvtStaticText);
    metal->Footer()->SetValue("Total");
    TFooterEvents events;
    g->OnGetFooterParams = TGetFooterParamsEventGx(&events, &TFooterEvents::Params);
    g->OnDrawFooterCell = TDrawFooterCellEventGx(&events, &TFooterEvents::Draw);
    Paint(g);
    const int footerRow = g->RowCount() - 1;
    TRect cell = g->CellRect(3, footerRow);
    EXPECT_EQ(cell.Bottom + 1, g->ClientHeight());  // under the last row line
    auto texts = TextsIn(cell);
    ASSERT_EQ(texts.size(), 1u) << rec->Dump();
    EXPECT_EQ(texts[0].Text, "Total");
    EXPECT_EQ(texts[0].Color, Rgb(clRed));
    EXPECT_EQ(texts[0].BkColor, Rgb(clWindow));
    auto named = TextsIn(g->CellRect(2, footerRow));
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].Text, "six");
    EXPECT_EQ(named[0].BkColor, Rgb(clYellow));
    EXPECT_EQ(events.Drawn, 3);
}

TEST_F(GridPainting, FocusFrameIsDrawnOnceWhereItBelongs) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetFocus();
    ASSERT_TRUE(g->Focused());
    struct {
        const char* Name;
        bool RowSelect, DefaultDrawing, StyleFrames;
        int Frames;
    } cases[] = {
        {"current cell", false, true, true, 1},
        {"current row", true, true, true, 1},
        {"owner-drawn cells", false, false, true, 0},
        {"owner-drawn rows", true, false, true, 0},
        {"switched off in the style", false, true, false, 0},
    };
    TDBGridGxStyle* style = DBGridGxDefaultStyle();
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        g->SetOptions(c.RowSelect ? g->Options() + dgRowSelect : g->Options() - dgRowSelect);
        g->SetDefaultDrawing(c.DefaultDrawing);
        style->SetDrawFocusRect(c.StyleFrames);
        Paint(g);
        auto frames = Calls(TGdiCallKind::DrawFocusRect);
        ASSERT_EQ(static_cast<int>(frames.size()), c.Frames) << rec->Dump();
        if (c.Frames == 1) {
            TRect expected = c.RowSelect ? g->BoxRect(1, g->Row(), g->ColCount() - 1, g->Row())
                                         : g->CellRect(g->Col(), g->Row());
            EXPECT_EQ(frames[0].Rect, expected);
        }
    }
    style->SetDrawFocusRect(true);
}

TEST_F(GridPainting, SelectedRowsBlendWithTheHighlightInFocusedGrids) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetOptions(g->Options() + dgRowSelect + dgMultiSelect);
    data->SetRecNo(2);
    g->SelectedRows()->SetCurrentRowSelected(true);
    data->SetRecNo(3);
    g->SelectedRows()->SetCurrentRowSelected(true);
    data->First();
    auto background = [&](int col, int row) {
        auto t = TextsIn(g->CellRect(col, row));
        return t.size() == 1 ? t[0].BkColor : CLR_INVALID;
    };

    g->SetFocus();
    Paint(g);
    EXPECT_EQ(background(2, 1), Rgb(clHighlight));     // the current row
    EXPECT_EQ(background(2, 2), RGB(202, 202, 234));   // a selected row: pale blend, own font
    EXPECT_EQ(TextsIn(g->CellRect(2, 2))[0].Color, Rgb(clWindowText));
    EXPECT_EQ(background(2, 4), Rgb(clWindow));

    // Unfocused, the selection shows only with always-show-selection.
    form->SetActiveControl(nullptr);
    ::SetFocus(nullptr);
    ASSERT_FALSE(g->Focused());
    g->SetOptions(g->Options() + dgAlwaysShowSelection);
    Paint(g);
    EXPECT_EQ(background(2, 1), Rgb(clBtnShadow));
    EXPECT_EQ(background(2, 2), RGB(212, 212, 212));
}

// The planet view's way: rows coloured by the owner, who then has the default content drawn.
struct TOwnerDrawing : TObject {
    TCustomDBGridGx* Grid = nullptr;
    int Calls = 0;
    TColor CurrentRowBrush = clNone, CurrentRowFont = clNone;
    void Draw(TObject*, const TRect& Rect, int DataCol, TColumnGx* Column, TGridDrawState State) {
        ++Calls;
        TCanvas* canvas = Grid->Canvas();
        if (Grid->DataLink()->DataSet()->RecNo() == 1 && DataCol == 1) {
            CurrentRowBrush = canvas->Brush()->Color();
            CurrentRowFont = canvas->Font()->Color();
        }
        if (Grid->DataLink()->DataSet()->RecNo() == 2) {
            canvas->Brush()->SetColor(clYellow);
            canvas->Font()->SetStyle({fsBold});
        }
        Grid->DefaultDrawColumnCell(Rect, DataCol, Column, State);
    }
};

TEST_F(GridPainting, OwnerDrawnCellsGetTheirColoursReadyAndDrawTheContentThemselves) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetDefaultDrawing(false);
    g->SetTitleLines(3);
    g->SetOptions(g->Options() + dgRowSelect + dgMultiSelect);
    TOwnerDrawing owner;
    owner.Grid = g;
    g->OnDrawColumnCell = TDrawColumnCellEventGx(&owner, &TOwnerDrawing::Draw);
    g->SetFocus();
    Paint(g);
    EXPECT_EQ(owner.Calls, 6 * 3);
    // The highlight is in the canvas when the owner is called.
    EXPECT_EQ(owner.CurrentRowBrush, clHighlight);
    EXPECT_EQ(owner.CurrentRowFont, clHighlightText);
    // Each data cell's text comes once, from the owner's call.
    for (int row = 1; row <= 6; ++row)
        for (int col = 1; col <= 3; ++col) EXPECT_EQ(TextsIn(g->CellRect(col, row)).size(), 1u) << col << "," << row;
    auto second = TextsIn(g->CellRect(2, 2));
    EXPECT_EQ(second[0].BkColor, Rgb(clYellow));
    EXPECT_EQ(second[0].Font.lfWeight, FW_BOLD);
    EXPECT_TRUE(Calls(TGdiCallKind::DrawFocusRect).empty());
}

// An owner's handler that raises on one row stops neither that row's other
// cells nor the rows below: every cell is painted, then the first fault goes
// on to the paint handling once.
struct TFailingOwner : TObject {
    TCustomDBGridGx* Grid = nullptr;
    void Draw(TObject*, const TRect& Rect, int DataCol, TColumnGx* Column, TGridDrawState State) {
        if (Grid->DataLink()->DataSet()->RecNo() == 2 && DataCol == 1) throw EConvertError("cannot paint");
        Grid->DefaultDrawColumnCell(Rect, DataCol, Column, State);
    }
};

TEST_F(GridPainting, ACellThatRaisesStopsNoOtherCell) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetDefaultDrawing(false);
    TFailingOwner owner;
    owner.Grid = g;
    g->OnDrawColumnCell = TDrawColumnCellEventGx(&owner, &TFailingOwner::Draw);
    for (int paint = 0; paint < 2; ++paint) {
        try {
            Paint(g);
            ADD_FAILURE() << "the fault was dropped";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "cannot paint");
        }
        for (int row = 1; row <= 6; ++row)
            for (int col = 1; col <= 3; ++col)
                EXPECT_EQ(TextsIn(g->CellRect(col, row)).size(), row == 2 && col == 2 ? 0u : 1u) << col << "," << row;
        EXPECT_EQ(g->DataLink()->DataSet()->RecNo(), 1);
    }
}

TEST_F(GridPainting, TwoTitleLevelsFromBarredCaptions) {
    Fill();
    TDBGridGx* g = MakeGrid();
    g->SetUseMultiTitle(true);
    const char* captions[][2] = {{"ID", "Place|ID"}, {"Metal", "Place|Metal"}, {"Name", "Name"}};
    for (auto& c : captions) {
        TColumnGx* col = g->Columns()->Add();
        col->SetFieldName(c[0]);
        col->Title()->SetCaption(c[1]);
        col->SetWidth(60);
    }
    Paint(g);
    THeadTreeNode* leaf = g->TitleLeaf(0);
    ASSERT_NE(leaf, nullptr);
    ASSERT_NE(leaf->Host, g->TitleTreeRoot());
    EXPECT_EQ(leaf->Host->Text, "Place");
    EXPECT_EQ(g->TitleLeaf(2)->Host, g->TitleTreeRoot());
    // The title row holds both levels; a leaf under a parent starts lower.
    EXPECT_EQ(g->RowHeights(0), g->TitleTreeRoot()->Height - 1);

    std::vector<TGdiCall> parents;
    for (auto& t : Calls(TGdiCallKind::DrawText))
        if (t.Text == "Place") parents.push_back(t);
    ASSERT_EQ(parents.size(), 2u) << rec->Dump();
    const TRect first = g->CellRect(1, 0), second = g->CellRect(2, 0);
    EXPECT_EQ(parents[0].Rect.Left - (-parents[0].LeftMargin), first.Left + 2);
    EXPECT_EQ(parents[0].Rect.Left + parents[0].LeftMargin, parents[1].Rect.Left + parents[1].LeftMargin);
    EXPECT_EQ(parents[0].Rect.Right - parents[0].RightMargin, parents[1].Rect.Right - parents[1].RightMargin);
    EXPECT_EQ(parents[1].Rect.Right - parents[1].RightMargin, second.Right - 2);
    EXPECT_LT(parents[0].LeftMargin + parents[0].RightMargin + parents[1].LeftMargin + parents[1].RightMargin, 0);
}

TEST_F(GridPainting, LineColours) {
    Fill();
    TDBGridGx* g = MakeGrid();
    auto penColours = [&] {
        std::vector<COLORREF> colours;
        for (auto& p : Calls(TGdiCallKind::PolyPolyline)) colours.push_back(p.Pen.Color);
        return colours;
    };
    Paint(g);
    auto colours = penColours();
    EXPECT_NE(std::find(colours.begin(), colours.end(), 0xC0C0C0u), colours.end());
    EXPECT_NE(std::find(colours.begin(), colours.end(), 0x000000u), colours.end());
    g->SetColor(clSilver);
    Paint(g);
    colours = penColours();
    EXPECT_NE(std::find(colours.begin(), colours.end(), 0x808080u), colours.end());
    EXPECT_EQ(std::find(colours.begin(), colours.end(), 0xC0C0C0u), colours.end());
}

struct TThrowingOwner : TObject {
    TCustomDBGridGx* Grid = nullptr;
    void Draw(TObject*, const TRect&, int, TColumnGx*, TGridDrawState) {
        if (Grid->DataLink()->DataSet()->RecNo() == 3) throw Exception("owner failed");
    }
};

TEST_F(GridPainting, AFailingOwnerLeavesTheActiveRecordInPlace) {
    Fill();
    TDBGridGx* g = MakeGrid();
    data->SetRecNo(2);
    const int active = g->DataLink()->ActiveRecord();
    TThrowingOwner owner;
    owner.Grid = g;
    g->OnDrawColumnCell = TDrawColumnCellEventGx(&owner, &TThrowingOwner::Draw);
    EXPECT_THROW(Paint(g), Exception);
    EXPECT_EQ(g->DataLink()->ActiveRecord(), active);
    EXPECT_EQ(data->RecNo(), 2);
    EXPECT_EQ(data->FieldByName("Name")->AsString(), "Planet 2");
}

}  // namespace

namespace {

TEST_F(GridPainting, PressedTitleButtonSinksAndShiftsItsCaption) {
    Fill();
    TDBGridGx* g = MakeGrid();
    TColumnGx* name = g->Columns()->Items(1);
    name->Title()->SetTitleButton(true);
    auto captionAndEdge = [&](int& left, int& top, UINT& edge) {
        Paint(g);
        TRect cell = g->CellRect(2, 0);
        auto texts = TextsIn(cell);
        ASSERT_EQ(texts.size(), 1u) << rec->Dump();
        left = texts[0].Points.at(0).X;
        top = texts[0].Points.at(0).Y;
        auto edges = Calls(TGdiCallKind::DrawEdge);
        auto e = std::find_if(edges.begin(), edges.end(), [&](const TGdiCall& c) { return c.Rect == cell; });
        ASSERT_NE(e, edges.end());
        edge = e->Flags;
    };
    int left = 0, top = 0, pressedLeft = 0, pressedTop = 0;
    UINT edge = 0, pressedEdge = 0;
    captionAndEdge(left, top, edge);
    const TPoint at = TPoint((g->CellRect(2, 0).Left + g->CellRect(2, 0).Right) / 2, 5);
    g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.X, at.Y));
    captionAndEdge(pressedLeft, pressedTop, pressedEdge);
    g->Perform(WM_LBUTTONUP, 0, MAKELPARAM(at.X, at.Y));
    EXPECT_EQ(edge, static_cast<UINT>(BDR_RAISEDINNER));
    EXPECT_EQ(pressedEdge, static_cast<UINT>(BDR_SUNKENINNER));
    // A one-line title moves by one pixel each way.
    EXPECT_EQ(pressedLeft, left + 1);
    EXPECT_EQ(pressedTop, top + 1);
}

class TBufferedGrid : public TDBGridGx {
public:
    using TDBGridGx::TDBGridGx;
    bool Buffer = true;
    bool NeedsBufferedPaint() override { return Buffer; }
};

TEST_F(GridPainting, BufferedPaintingOnceNeededStaysOn) {
    Fill();
    auto* g = MakeGrid<TBufferedGrid>();
    EXPECT_FALSE(g->BufferedPaint());
    PaintWindowNow(form->Handle());
    EXPECT_TRUE(g->BufferedPaint());
    // What the buffer painted reached the window.
    TRect title = g->CellRect(2, 0);
    EXPECT_EQ(GetWindowPixel(g->Handle(), title.Left + 3, title.Top + 3), Rgb(clBtnFace));
    TRect data = g->CellRect(2, 3);
    EXPECT_EQ(GetWindowPixel(g->Handle(), data.Right - 2, data.Top + 1), Rgb(clWindow));
    g->Buffer = false;
    g->Invalidate();
    PaintWindowNow(form->Handle());
    EXPECT_TRUE(g->BufferedPaint());
}

TEST_F(GridPainting, DefaultContentByColumnKind) {
    Fill();
    TDBGridGx* g = MakeGrid();
    TColumnGx* id = g->Columns()->Items(0);
    TCanvas* canvas = g->Canvas();
    canvas->SetHandle(dc);
    canvas->Brush()->SetColor(clLime);
    const TRect cell(10, 10, 90, 30);
    struct {
        const char* Name;
        bool Footer3D, Checkboxes;
        TRect Filled;
    } cases[] = {
        {"text: margins of 2", false, false, TRect(10, 10, 90, 30)},
        {"text inside a 3D frame: margins of 1", true, false, TRect(11, 11, 89, 29)},
        {"check box", false, true, TRect(10, 10, 90, 30)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        g->SetOptionsGx(c.Footer3D ? g->OptionsGx() + dghFooter3D : g->OptionsGx() - dghFooter3D);
        id->SetCheckboxes(c.Checkboxes);
        rec->Clear();
        g->DefaultDrawColumnCell(cell, 0, id, TGridDrawState());
        if (c.Checkboxes) {
            auto fills = Calls(TGdiCallKind::FillRect);
            ASSERT_FALSE(fills.empty());
            EXPECT_EQ(fills[0].Rect, c.Filled);
            EXPECT_TRUE(TextsIn(cell).empty());
            EXPECT_GT(rec->Calls().size(), 1u);  // the box itself
        } else {
            auto texts = TextsIn(cell);
            ASSERT_EQ(texts.size(), 1u) << rec->Dump();
            EXPECT_EQ(texts[0].Text, "1");
            EXPECT_EQ(texts[0].SourceRect, c.Filled);
            EXPECT_EQ(texts[0].BkColor, Rgb(clLime));
        }
    }
    canvas->SetHandle(nullptr);
}

TEST_F(GridPainting, RequiredMarkAndHiddenDuplicates) {
    data->FieldDefs()->Add("Owner", ftString, 20);
    Fill(4);
    for (int i = 1; i <= 4; ++i) {
        data->SetRecNo(i);
        data->Edit();
        data->FieldByName("Owner")->SetAsString(i <= 2 ? "Ann" : "Bob");
        data->Post();
    }
    data->First();
    TDBGridGx* g = MakeGrid();
    TColumnGx* owner = g->Columns()->Items(3);
    owner->SetHideDuplicates(true);
    owner->SetHighlightRequired(true);
    Paint(g);
    auto textOf = [&](int row) {
        auto t = TextsIn(g->CellRect(4, row));
        return t.empty() ? AnsiString("?") : t[0].Text;
    };
    EXPECT_EQ(textOf(1), "Ann");
    EXPECT_EQ(textOf(2), "");
    EXPECT_EQ(textOf(3), "Bob");
    EXPECT_EQ(textOf(4), "");
    // The row line above a hidden duplicate is painted over in the column's colour.
    auto lines = Calls(TGdiCallKind::LineTo);
    TRect second = g->CellRect(4, 2);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TGdiCall& l) {
        return l.Points.at(0) == TPoint(second.Left, second.Top - 1) && l.Pen.Color == Rgb(clWindow);
    }));

    // An empty required field of the record being edited is underlined in red dots.
    data->FieldByName("Owner")->SetRequired(true);
    data->Edit();
    data->FieldByName("Owner")->Clear();
    Paint(g);
    lines = Calls(TGdiCallKind::LineTo);
    TRect first = g->CellRect(4, 1);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TGdiCall& l) {
        return l.Pen.Color == 0x0000FFu && (l.Pen.Style & PS_STYLE_MASK) == PS_DOT &&
               l.Points.at(0) == TPoint(first.Left + 2, first.Bottom - 1);
    })) << rec->Dump();
    data->Cancel();
}

}  // namespace

namespace {

TEST_F(GridPainting, FooterTexts) {
    Fill(3);
    TDBGridGx* g = MakeGrid();
    g->SetFooterRowCount(1);
    g->SumList()->SetActive(true);
    TColumnGx* metal = g->Columns()->Items(2);
    TColumnFooterGx* footer = metal->Footer();
    struct {
        TColumnFooterValueTypeGx Type;
        const char* Field;
        const char* Format;
        const char* Text;
    } cases[] = {
        {fvtSum, "", "", "600"},
        {fvtSum, "", "#,##0.0", "600.0"},
        {fvtAvg, "Metal", "", "200"},
        {fvtCount, "", "", "3"},
        {fvtFieldValue, "Name", "", "Planet 1"},
        // A footer naming a missing field shows nothing rather than failing each paint.
        {fvtFieldValue, "Nowhere", "", ""},
        {fvtNon, "", "", ""},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Text);
        footer->SetValueType(c.Type);
        footer->SetFieldName(c.Field);
        footer->SetDisplayFormat(c.Format);
        g->SumList()->RecalcAll();
        EXPECT_EQ(g->GetFooterValue(0, metal), c.Text);
    }
    footer->SetValueType(fvtStaticText);
    footer->SetValue("fixed");
    EXPECT_EQ(g->GetFooterValue(0, metal), "fixed");
    // A sum of a field the data set lacks counts nothing and reads 0, with the sum list on.
    footer->SetValueType(fvtSum);
    footer->SetFieldName("Nowhere");
    EXPECT_NO_THROW(g->SumList()->RecalcAll());
    EXPECT_EQ(g->GetFooterValue(0, metal), "0");
    EXPECT_NO_THROW(Paint(g));
}

}  // namespace
