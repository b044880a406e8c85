// The writers: text and CSV byte for byte, the RTF table read back as text,
// the binary format's bytes, footers, what an empty selection gives, one
// clipboard change per copy, and the data set left as it was after a failure.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <regex>

#include "grid/GxLibVCL.h"
#include "platform/gui/InputSimulation.h"
#include "tests/grid/clipboard/ClipboardTestSupport.h"

using namespace cliptest;

namespace {

// An RTF table as text: the cells of each row ("\cell" ends a cell, "\row" a
// row), control words dropped, escaped characters kept.
std::vector<std::vector<std::string>> RtfCells(const std::string& Rtf) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    for (size_t i = 0; i < Rtf.size(); ++i) {
        const char c = Rtf[i];
        if (c == '{' || c == '}') continue;
        if (c != '\\') {
            cell += c;
            continue;
        }
        const char next = i + 1 < Rtf.size() ? Rtf[i + 1] : '\0';
        if (next == '\\' || next == '{' || next == '}') {
            cell += next;
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < Rtf.size() && std::isalpha(static_cast<unsigned char>(Rtf[j]))) ++j;
        const std::string word = Rtf.substr(i + 1, j - i - 1);
        while (j < Rtf.size() && (std::isdigit(static_cast<unsigned char>(Rtf[j])) || Rtf[j] == '-')) ++j;
        if (j < Rtf.size() && Rtf[j] == ' ') ++j;
        i = j - 1;
        if (word == "cell") {
            row.push_back(cell);
        } else if (word == "row") {
            rows.push_back(row);
            row.clear();
        }
        if (word == "cell" || word == "row" || word == "pard" || word == "trowd") cell.clear();
    }
    return rows;
}

// The text after the last control word of every cell frame, before the row's cells: the border words per cell.
std::vector<std::string> RtfCellBorders(const std::string& RowFrame) {
    std::vector<std::string> cells;
    std::string current;
    std::regex word("\\\\(clbrdr[ltbr]|cellx)");
    for (auto it = std::sregex_iterator(RowFrame.begin(), RowFrame.end(), word); it != std::sregex_iterator(); ++it) {
        const std::string w = (*it)[1];
        if (w == "cellx") {
            cells.push_back(current);
            current.clear();
        } else {
            current += w.back();
        }
    }
    return cells;
}

// The colour table's entries as "R G B".
std::vector<std::string> RtfColors(const std::string& Rtf) {
    std::vector<std::string> colors;
    const size_t from = Rtf.find("{\\colortbl"), to = Rtf.find('}', from);
    const std::string table = Rtf.substr(from, to - from);
    std::regex entry("\\\\red(\\d+)\\\\green(\\d+)\\\\blue(\\d+);");
    for (auto it = std::sregex_iterator(table.begin(), table.end(), entry); it != std::sregex_iterator(); ++it)
        colors.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str());
    return colors;
}

}  // namespace

class ExportFormats : public ClipboardTest {};

TEST_F(ExportFormats, TextAndCsvOfAllRecordsByteForByte) {
    EXPECT_EQ(Export<TDBGridGxExportAsText>(true),
              "Name\tAmount\tPrice\tNote\r\n"
              "alpha\t10\t1.5\tplain\r\n"
              "b;eta \"q\"\t20\t\tline1\r\nline2\r\n"
              "gam{m}a\\\t-30\t2.25\ttab\there\r\n"
              "delta\t40\t0.5\t");
    EXPECT_EQ(Export<TDBGridGxExportAsCSV>(true),
              "\"Name\";\"Amount\";\"Price\";\"Note\"\r\n"
              "\"alpha\";\"10\";\"1.5\";\"plain\"\r\n"
              "\"b;eta \"\"q\"\"\";\"20\";\"\";\"line1\r\nline2\"\r\n"
              "\"gam{m}a\\\";\"-30\";\"2.25\";\"tab\there\"\r\n"
              "\"delta\";\"40\";\"0.5\";\"\"");
}

TEST_F(ExportFormats, SelectionKindsPickRecordsAndColumns) {
    grid->SetOptions(grid->Options() - TDBGridOptions{dgTitles});
    SelectRecords({3, 1});
    EXPECT_EQ(Export<TDBGridGxExportAsText>(), "alpha\t10\t1.5\tplain\r\ngam{m}a\\\t-30\t2.25\ttab\there");

    Column(grid, 1)->SetVisible(false);  // a hidden column inside the rectangle is left out
    SelectRectangle(2, 3, 0, 2);
    EXPECT_EQ(Export<TDBGridGxExportAsText>(), "b;eta \"q\"\t\r\ngam{m}a\\\t2.25");
    Column(grid, 1)->SetVisible(true);

    grid->Selection()->Columns()->Select(Column(grid, 3), false);
    grid->Selection()->Columns()->Select(Column(grid, 1), true);
    ASSERT_EQ(grid->Selection()->SelectionType(), gstColumns);
    EXPECT_EQ(Export<TDBGridGxExportAsCSV>(), "\"10\";\"plain\"\r\n\"20\";\"line1\r\nline2\"\r\n\"-30\";\"tab\there\"\r\n\"40\";\"\"");
}

TEST_F(ExportFormats, EventsAndFootersShapeTheCells) {
    grid->OnGetCellParams = +[](TObject*, TColumnGx* Column, TFont*, TColor& Background, TGridDrawState) {
        if (Column->FieldName() == "Amount") Background = clRed;
    };
    Column(grid, 0)->OnGetCellParams = +[](TObject*, bool, TColCellParamsGx* Params) {
        Params->Text = "<" + Params->Text + ">";
        Params->Background = clLime;  // the grid's colour stands
    };
    static_cast<TFloatField*>(items->FieldByName("Price"))->SetDisplayFormat("0.000");
    grid->SetFooterRowCount(1);
    Column(grid, 0)->Footer()->SetValueType(fvtCount);
    Column(grid, 1)->Footer()->SetValueType(fvtSum);
    Column(grid, 2)->Footer()->SetValueType(fvtSum);
    Column(grid, 3)->Footer()->SetValueType(fvtStaticText);
    Column(grid, 3)->Footer()->SetValue("static");
    grid->SetOptions(grid->Options() - TDBGridOptions{dgTitles});
    SelectRecords({1, 2, 3});
    // The sums of the exported records, formatted as the footer shows them on screen.
    EXPECT_EQ(Export<TDBGridGxExportAsText>(),
              "<alpha>\t10\t1.500\tplain\r\n<b;eta \"q\">\t20\t\tline1\r\nline2\r\n<gam{m}a\\>\t-30\t2.250\ttab\there\r\n"
              "3\t0\t3.750\tstatic");

    const std::string rtf = Export<TDBGridGxExportAsRTF>();
    // Colour table: black, white and button face first; the cell shading is the grid event's red.
    const std::vector<std::string> colors = RtfColors(rtf);
    ASSERT_GE(colors.size(), 4u);
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(colors[0], "0 0 0");
    EXPECT_EQ(colors[1], "255 255 255");
    EXPECT_EQ(colors[2], std::to_string(face & 0xFF) + " " + std::to_string((face >> 8) & 0xFF) + " " +
                             std::to_string((face >> 16) & 0xFF));
    const auto red = std::find(colors.begin(), colors.end(), "255 0 0");
    ASSERT_NE(red, colors.end());
    EXPECT_NE(rtf.find("\\clshdng10000\\clcfpat" + std::to_string(red - colors.begin()) + "\\cellx"), std::string::npos);
    EXPECT_EQ(std::find(colors.begin(), colors.end(), "0 255 0"), colors.end()) << "the column's own step set the background";
}

// Each format asks the cell- and footer-parameter events once per cell, the
// RTF table too, whose row frames need the cells' colours before the cells.
TEST_F(ExportFormats, EveryFormatAsksTheEventsOncePerCell) {
    static int cellCalls, footerCalls;
    grid->OnGetCellParams = +[](TObject*, TColumnGx*, TFont*, TColor& Background, TGridDrawState) {
        ++cellCalls;
        Background = clYellow;
    };
    grid->OnGetFooterParams = +[](TObject*, int, int, TColumnGx*, TFont*, TColor&, TAlignment&, TGridDrawState,
                                  AnsiString&) { ++footerCalls; };
    grid->SetFooterRowCount(2);
    Column(grid, 1)->Footer()->SetValueType(fvtSum);
    SelectRecords({1, 2, 3});
    const struct {
        const char* Format;
        std::function<std::string()> Write;
    } formats[] = {
        {"text", [&] { return Export<TDBGridGxExportAsText>(); }},
        {"csv", [&] { return Export<TDBGridGxExportAsCSV>(); }},
        {"rtf", [&] { return Export<TDBGridGxExportAsRTF>(); }},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.Format);
        cellCalls = footerCalls = 0;
        const std::string written = f.Write();
        EXPECT_EQ(cellCalls, 3 * 4);
        EXPECT_EQ(footerCalls, 2 * 4);
        if (std::string(f.Format) == "rtf") {
            EXPECT_EQ(RtfCells(written).size(), 1u + 3u + 2u);
        }
    }
}

// The format helpers over the platform clipboard: a stream's bytes under a
// format, read back appended to what a stream holds; text as the system's text.
TEST_F(ExportFormats, StreamsGoOnAndComeOffTheClipboard) {
    TMemoryStream out;
    out.WriteBuffer("a;b\0", 4);
    PutStreamOnClipboard(CF_CSV(), &out);
    TMemoryStream in;
    in.WriteBuffer("xy", 2);
    GetStreamFromClipboard(CF_CSV(), &in);
    EXPECT_EQ(std::string(static_cast<const char*>(in.Memory()), static_cast<size_t>(in.Size())),
              std::string("xya;b") + '\0');
    TMemoryStream none;
    GetStreamFromClipboard(CF_VCLDBIF(), &none);
    EXPECT_EQ(none.Size(), 0);
    TMemoryStream text;
    text.WriteBuffer("one\ttwo\0", 8);
    PutUnicodeTextOnClipboard(&text);
    EXPECT_EQ(Clipboard()->AsText(), "one\ttwo");
}

TEST_F(ExportFormats, RtfTableReadsBackAsTheCells) {
    Column(grid, 1)->Title()->SetCaption("Amount {x}");
    SelectRecords({2, 3});
    const std::string rtf = Export<TDBGridGxExportAsRTF>();
    ASSERT_FALSE(rtf.empty());
    EXPECT_EQ(rtf.back(), '}');
    std::vector<std::vector<std::string>> expected = {
        {"Name", "Amount {x}", "Price", "Note"},
        {"b;eta \"q\"", "20", "", "line1\r\nline2"},
        {"gam{m}a\\", "-30", "2.25", "tab\there"},
    };
    EXPECT_EQ(RtfCells(rtf), expected);
    // Right edges in twips at the canvas's 96 pixels per inch, accumulated.
    std::vector<int> edges, expectedEdges;
    std::smatch m;
    std::string rest = rtf;
    while (std::regex_search(rest, m, std::regex("\\\\cellx(\\d+)"))) {
        edges.push_back(std::stoi(m[1]));
        rest = m.suffix();
    }
    int edge = 0;
    for (int i = 0; i < 4; ++i) expectedEdges.push_back(edge += static_cast<int>(std::lround(Column(grid, i)->Width() * 15.0)));
    edges.resize(4);
    EXPECT_EQ(edges, expectedEdges);
    EXPECT_NE(rtf.find("\\pard\\intbl{\\ql\\sb24\\sa24\\fs"), std::string::npos);
    grid->SetFlat(true);
    EXPECT_NE(Export<TDBGridGxExportAsRTF>().find("\\sb12\\sa12"), std::string::npos);
}

TEST_F(ExportFormats, MultiLevelTitlesAreMergedThroughBorders) {
    grid->SetUseMultiTitle(true);
    Column(grid, 0)->Title()->SetCaption("Group|Name");
    Column(grid, 1)->Title()->SetCaption("Group|Amount");
    grid->Invalidate();
    Application->ProcessMessages();
    grid->Repaint();
    ASSERT_NE(grid->TitleLeaf(0), nullptr);
    SelectRecords({1});
    const std::string rtf = Export<TDBGridGxExportAsRTF>();
    const auto cells = RtfCells(rtf);
    ASSERT_GE(cells.size(), 3u);
    EXPECT_EQ(cells[0], (std::vector<std::string>{"Group", "", "Price", "Note"}));
    EXPECT_EQ(cells[1], (std::vector<std::string>{"Name", "Amount", "", ""}));
    // Borders per cell (l, t, b, r present): the group spans two columns, Price and Note two rows.
    const size_t second = rtf.find("\\trowd", rtf.find("\\trowd") + 1);
    EXPECT_EQ(RtfCellBorders(rtf.substr(rtf.find("\\trowd"), second - rtf.find("\\trowd"))),
              (std::vector<std::string>{"ltb", "tbr", "ltr", "ltr"}));
    const size_t third = rtf.find("\\trowd", second + 1);
    EXPECT_EQ(RtfCellBorders(rtf.substr(second, third - second)), (std::vector<std::string>{"ltbr", "ltbr", "lbr", "lbr"}));
}

TEST_F(ExportFormats, BinaryFormatBytes) {
    // Text columns are wide-string fields here: tag 6 with the text.
    SelectRectangle(0, 1, 2, 2);
    const std::string expected = std::string("VCLDBIF\x01\x03\0\0\0", 12) + std::string("\x01\0\x01\0\x01\0", 6) +
                                 std::string("\x06\x05\0\0\0alpha", 10) + std::string("\x03\x0A\0\0\0", 5) +
                                 std::string("\x04\0\0\0\0\0\0\xF8\x3F", 9) +                  // 1.5
                                 std::string("\x06\x09\0\0\0b;eta \"q\"", 14) + std::string("\x03\x14\0\0\0", 5) +
                                 std::string("\x02", 1) +                                       // null
                                 std::string(1, '\0');
    EXPECT_EQ(Export<TDBGridGxExportAsVCLDBIF>(), expected);
}

TEST_F(ExportFormats, NothingSelectedWritesNothing) {
    ASSERT_EQ(grid->Selection()->SelectionType(), gstNon);
    EXPECT_EQ(Export<TDBGridGxExportAsText>(), "");
    EXPECT_EQ(Export<TDBGridGxExportAsRTF>(), "");
    EXPECT_EQ(Export<TDBGridGxExportAsVCLDBIF>(), "");
    GridCopyToClipboard(grid, false);
    EXPECT_EQ(ClipboardBytes(CF_CSV()), std::string(1, '\0'));
    EXPECT_EQ(ClipboardBytes(CF_RTF()), std::string(1, '\0'));
    EXPECT_EQ(ClipboardBytes(CF_VCLDBIF()), "");
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "");
}

TEST_F(ExportFormats, CopyPlacesEveryFormatInOneChange) {
    clipboard->SetData({{"text/plain", "older"}});
    const int changes = clipboard->ChangeCount();
    SelectRecords({4});
    GridCopyToClipboard(grid, false);
    EXPECT_EQ(clipboard->ChangeCount(), changes + 1);
    EXPECT_EQ(Clipboard()->AsText(), "Name\tAmount\tPrice\tNote\r\ndelta\t40\t0.5\t");
    EXPECT_EQ(ClipboardBytes(CF_CSV()), std::string("\"Name\";\"Amount\";\"Price\";\"Note\"\r\n\"delta\";\"40\";\"0.5\";\"\"") + '\0');
    EXPECT_EQ(ClipboardBytes(CF_RTF()).rfind("{\\rtf0\\ansi", 0), 0u);
    EXPECT_EQ(ClipboardBytes(CF_VCLDBIF()), Export<TDBGridGxExportAsVCLDBIF>());
    EXPECT_EQ(ClipboardFormatMimeType(CF_VCLDBIF()), "application/x-tesk-VCLDBIF");
    EXPECT_NE(ClipboardFormatMimeType(CF_VCLDBIF()), ClipboardFormatMimeType(CF_CSV()));
}

TEST_F(ExportFormats, AFailingWalkLeavesTheDataSetAsItWas) {
    items->Locate("ID", 2, {});
    SelectRecords({1, 3, 4});
    items->Locate("ID", 2, {});
    static int calls;
    calls = 0;
    grid->OnGetCellParams = +[](TObject*, TColumnGx*, TFont*, TColor&, TGridDrawState) {
        if (++calls == 6) throw EDatabaseError("broken cell");
    };
    EXPECT_THROW(Export<TDBGridGxExportAsText>(), EDatabaseError);
    EXPECT_FALSE(items->ControlsDisabled());
    EXPECT_EQ(items->FieldByName("ID")->AsInteger(), 2);
    calls = -100;
    EXPECT_NO_THROW(GridCopyToClipboard(grid, false));
    EXPECT_FALSE(items->ControlsDisabled());
    EXPECT_EQ(items->FieldByName("ID")->AsInteger(), 2);
}

TEST_F(ExportFormats, ExportToFileWritesTheWholeFile) {
    const std::string file = (std::filesystem::temp_directory_path() / ("tesk-clip-export-" + std::to_string(getpid()) + ".txt")).string();
    TDBGridGxExportAsCSV exporter;
    exporter.DBGrid = grid;
    SelectRecords({1});
    exporter.ExportToFile(file, false);
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "\"Name\";\"Amount\";\"Price\";\"Note\"\r\n\"alpha\";\"10\";\"1.5\";\"plain\"");
    std::filesystem::remove(file);
}

// A stored integer beyond 32 bits paints and copies as it is; an image column
// without an image for it shows none instead of failing.
TEST_F(ExportFormats, IntegersBeyondThirtyTwoBitsPaintAndCopy) {
    items->Close();
    connection->Execute("UPDATE Item SET Amount = 3000000000 WHERE ID = 2; UPDATE Item SET Amount = -5000000000 WHERE ID = 3");
    items->Open();
    dialogs->Messages.clear();
    PaintWindowNow(grid->Handle());
    EXPECT_TRUE(dialogs->Messages.empty()) << dialogs->Messages[0].Text;
    items->Locate("ID", 2, {});
    EXPECT_EQ(Column(grid, 1)->GetImageIndex(), Column(grid, 1)->NotInKeyListIndex());
    items->Locate("ID", 1, {});
    EXPECT_EQ(Column(grid, 1)->GetImageIndex(), 10);

    SelectRecords({2, 3});
    GridCopyToClipboard(grid, false);
    EXPECT_EQ(Clipboard()->AsText(),
              "Name\tAmount\tPrice\tNote\r\n"
              "b;eta \"q\"\t3000000000\t\tline1\r\nline2\r\n"
              "gam{m}a\\\t-5000000000\t2.25\ttab\there");
    EXPECT_TRUE(dialogs->Messages.empty());
    // The binary format holds it as the text of a large integer, whole; pasted
    // into a 32-bit column it is refused by the insert-error question, never
    // stored cut or as another number.
    EXPECT_NE(ClipboardBytes(CF_VCLDBIF()).find(std::string("\x05\x0a\0\0\0" "3000000000", 15)), std::string::npos);
    dialogs->QueueAnswer(mrAll);
    GridPasteFromClipboard(target, false);
    ASSERT_FALSE(dialogs->Messages.empty());
    EXPECT_NE(dialogs->Messages[0].Text.find("'3000000000' is not a valid integer value"), AnsiString::npos);
    copies->First();
    EXPECT_EQ(copies->FieldByName("Name")->AsString(), "b;eta \"q\"");
    EXPECT_TRUE(copies->FieldByName("Amount")->IsNull());
}
