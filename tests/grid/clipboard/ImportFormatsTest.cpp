// The readers: binary round trips into an empty table, damaged binary blocks
// refused before any record changes, text with more or fewer cells, zero
// bytes and appending, and the paste error question.
#include "grid/GxLibVCL.h"
#include "tests/grid/clipboard/ClipboardTestSupport.h"

using namespace cliptest;

namespace {

std::string LE32(int32_t V) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((static_cast<uint32_t>(V) >> (8 * i)) & 0xFF);
    return s;
}
std::string Header(int32_t Columns) {
    std::string s = std::string("VCLDBIF\x01", 8) + LE32(Columns);
    for (int i = 0; i < Columns; ++i) s += std::string("\x01\0", 2);
    return s;
}
std::string TextCell(const std::string& T) { return "\x05" + LE32(static_cast<int32_t>(T.size())) + T; }
std::string IntCell(int32_t V) { return "\x03" + LE32(V); }
const std::string kEnd(1, '\0');

using Table = std::vector<std::vector<std::string>>;

}  // namespace

class ImportFormats : public ClipboardTest {};

TEST_F(ImportFormats, BinaryRoundTripIntoAnEmptyTable) {
    // A rectangle: appended after the empty table's end, from its first column.
    SelectRectangle(0, 2, 1, 3);
    GridCopyToClipboard(grid, false);
    GridPasteFromClipboard(target, false);
    EXPECT_EQ(Rows(copies, {"Name", "Amount"}), (Table{{"b;eta \"q\"", "20"}, {"gam{m}a\\", "-30"}}));
    EXPECT_EQ(Rows(copies, {"Price", "Note"}), (Table{{"<null>", "<null>"}, {"<null>", "<null>"}}));

    // Every record over the pasted ones: the binary format beats the text also on the clipboard.
    GridCopyToClipboard(grid, true);
    copies->Last();
    GridPasteFromClipboard(target, true);
    // Text fields keep an empty text as null, whoever writes it.
    Table expected = Rows(items);
    ASSERT_EQ(expected[3][3], "");
    expected[3][3] = "<null>";
    EXPECT_EQ(Rows(copies), expected);
    copies->Close();
    copies->Open();  // read back from the file
    EXPECT_EQ(Rows(copies), expected);
    EXPECT_EQ(copies->RecordCount(), 4);
}

TEST_F(ImportFormats, DamagedBinaryBlocksChangeNoRecord) {
    const std::string valid = Header(1) + TextCell("x") + TextCell("y") + kEnd;
    struct Case {
        const char* Name;
        std::string Block;
    };
    const std::vector<Case> cases = {
        {"seventh signature byte", "VCLDBIX" + valid.substr(7)},
        {"header cut short", valid.substr(0, 9)},
        {"negative length", Header(1) + TextCell("x") + "\x05" + LE32(-1) + "abc" + kEnd},
        {"huge length", Header(1) + TextCell("x") + "\x06" + LE32(0x7FFFFFFF) + "abc" + kEnd},
        {"length past the end", Header(1) + TextCell("x") + "\x05" + LE32(4) + "abc"},
        {"unknown tag", Header(1) + TextCell("x") + "\x07" + TextCell("y") + kEnd},
        {"column count 0 followed by data", Header(0) + TextCell("x") + IntCell(1) + kEnd},
        {"negative column count", std::string("VCLDBIF\x01", 8) + LE32(-3) + TextCell("x") + kEnd},
        {"more columns than bytes", std::string("VCLDBIF\x01", 8) + LE32(1000) + std::string("\x01\0", 2) + kEnd},
        {"column table cut", std::string("VCLDBIF\x01", 8) + LE32(2) + std::string("\x01\0\x01", 3)},
        {"value cut short", Header(1) + TextCell("x") + std::string("\x03\x01\x02", 3)},
        {"no end tag", Header(1) + TextCell("x") + TextCell("y")},
    };
    const Table before = Rows(items);
    const AnsiString message = "TDBGridGxImportAsVCLDBIF.ReadPrefix: " + SInvalidVCLDBIFFormatGx();
    for (const Case& c : cases) {
        for (TDBGridGx* g : {grid, target}) {
            SCOPED_TRACE(std::string(c.Name) + (g == grid ? " into the items" : " into the empty table"));
            try {
                Import<TDBGridGxImportAsVCLDBIF>(c.Block, g, true);
                ADD_FAILURE() << "accepted";
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), message);
            }
            EXPECT_EQ(g->DataSource()->DataSet()->State(), dsBrowse);
            EXPECT_FALSE(g->DataSource()->DataSet()->ControlsDisabled());
        }
        EXPECT_EQ(Rows(items), before) << c.Name;
        EXPECT_EQ(copies->RecordCount(), 0) << c.Name;
    }
    // The valid block for comparison: one cell per record.
    Import<TDBGridGxImportAsVCLDBIF>(valid, target, true);
    EXPECT_EQ(Rows(copies, {"Name"}), (Table{{"x"}, {"y"}}));
}

TEST_F(ImportFormats, BinaryCellsWithoutValueOrNull) {
    // Tag 1 leaves the field, tag 2 clears it; a third stream column has no grid column here.
    const std::string block = Header(3) + "\x01" + std::string("\x02", 1) + TextCell("dropped") + kEnd;
    Column(grid, 2)->SetVisible(false);
    Column(grid, 3)->SetVisible(false);
    Import<TDBGridGxImportAsVCLDBIF>(block, grid, true);
    EXPECT_EQ(Rows(items)[0], (std::vector<std::string>{"alpha", "<null>", "1.5", "plain"}));
    EXPECT_EQ(Rows(items)[1][0], "b;eta \"q\"");
}

TEST_F(ImportFormats, TextCellsGoToTheColumnsInTurn) {
    // More cells than columns: the rest dropped; fewer: the other fields stay; an empty
    // middle cell clears its field, an empty last one leaves it.
    Import<TDBGridGxImportAsText>("A\t1\t9.5\tn\textra\r\nB\t\t7\t\r\n\t33", grid, true);
    EXPECT_EQ(Rows(items), (Table{{"A", "1", "9.5", "n"},
                                 {"B", "<null>", "7", "line1\r\nline2"},
                                 {"<null>", "33", "2.25", "tab\there"},
                                 {"delta", "40", "0.5", ""}}));
    EXPECT_EQ(Rows(items, {"ID"}), (Table{{"1"}, {"2"}, {"3"}, {"4"}}));
}

TEST_F(ImportFormats, TextEndsAtItsFirstZeroByte) {
    struct Case {
        std::string Block, Name;
    };
    const std::vector<Case> cases = {
        {"abc", "abc"},                           // no terminator: no real character dropped
        {std::string("abc\0", 4), "abc"},         // the usual terminator
        {std::string("abc\0\0\0\0", 7), "abc"},   // a block larger than its text
        {std::string("ab\0cd\r\nx", 8), "ab"},    // nothing after the zero counts
        {"abc\r\n", "abc"},                       // a last line break adds no record
    };
    for (const Case& c : cases) {
        Import<TDBGridGxImportAsText>(c.Block, target, true);
        EXPECT_EQ(Rows(copies, {"Name"}), (Table{{c.Name}})) << c.Name;
        GridDeleteSelection(target, true);
        ASSERT_EQ(copies->RecordCount(), 0);
    }
    try {
        Import<TDBGridGxImportAsText>("a\rb", grid, true);
        ADD_FAILURE() << "a CR without LF was read";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TDBGridGxImportAsText.CheckState: " + SInvalidTextFormatGx());
    }
    EXPECT_FALSE(items->ControlsDisabled());
}

TEST_F(ImportFormats, TextWithoutSelectionFillsOnAndAppends) {
    items->Last();
    grid->SetSelectedIndex(1);
    Import<TDBGridGxImportAsText>("41\t0.25\r\n42\r\n43", grid);
    EXPECT_EQ(Rows(items, {"Name", "Amount", "Price"}).back(), (std::vector<std::string>{"<null>", "43", "<null>"}));
    EXPECT_EQ(Rows(items, {"Amount", "Price"}), (Table{{"10", "1.5"}, {"20", "<null>"}, {"-30", "2.25"}, {"41", "0.25"},
                                                     {"42", "<null>"}, {"43", "<null>"}}));

    // Without the append operation the paste stops at the last record.
    grid->SetAllowedOperations(grid->AllowedOperations() - TDBGridGxAllowedOperations{alopAppendGx});
    items->Locate("ID", 3, {});
    Import<TDBGridGxImportAsText>("7\r\n8\r\n9\r\n10\r\n11", grid);
    EXPECT_EQ(Rows(items, {"Amount"}), (Table{{"10"}, {"20"}, {"7"}, {"8"}, {"9"}, {"10"}}));
    EXPECT_EQ(items->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(ImportFormats, PasteErrorsAskYesNoOrAll) {
    const std::string text = "n1\tbad1\r\nn2\tbad2\r\nn3\tbad3";
    struct Case {
        const char* Name;
        std::vector<int> Answers;
        size_t Questions;
        std::vector<std::string> Names;
        bool Aborted;
    };
    const std::vector<Case> cases = {
        {"Yes to each", {mrYes, mrYes, mrYes}, 3, {"n1", "n2", "n3", "delta"}, false},
        {"No stops", {mrNo}, 1, {"n1", "b;eta \"q\"", "gam{m}a\\", "delta"}, true},
        {"All ignores the rest", {mrYes, mrAll}, 2, {"n1", "n2", "n3", "delta"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ResetItems();
        dialogs->Messages.clear();
        for (int a : c.Answers) dialogs->QueueAnswer(a);
        bool aborted = false;
        try {
            Import<TDBGridGxImportAsText>(text, grid, true);
        } catch (const EAbort&) {
            aborted = true;
        }
        EXPECT_EQ(aborted, c.Aborted);
        ASSERT_EQ(dialogs->Messages.size(), c.Questions);
        const TMessageDlgRequest& q = dialogs->Messages[0];
        EXPECT_EQ(q.Text.rfind(SErrorDuringInsertValueGx() + "\n", 0), 0u);
        EXPECT_EQ(q.Text.substr(q.Text.size() - SIgnoreErrorGx().size() - 2), "\n\n" + SIgnoreErrorGx());
        EXPECT_EQ(q.Type, mtError);
        EXPECT_EQ(q.Buttons, MsgDlgButtons({mbYes, mbNo, mbAll}));
        EXPECT_EQ(items->State(), dsBrowse);
        std::vector<std::string> names;
        for (const auto& r : Rows(items, {"Name"})) names.push_back(r[0]);
        EXPECT_EQ(names, c.Names);
        EXPECT_EQ(Rows(items, {"Amount"})[1][0], "20");
    }
}
