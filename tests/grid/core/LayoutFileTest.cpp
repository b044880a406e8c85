// Layout files: a customised column set written and read back, the bytes
// around the columns, damaged and foreign files that must change nothing, and
// a writer killed in the middle of its write.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fstream>
#include <random>
#include <sstream>

#include "platform/classes/Streams.h"
#include "platform/rtti/Streaming.h"
#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

std::string Bytes(TMemoryStream& Stream) {
    return std::string(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

std::string Layout(TDBGridColumnsGx* Columns) {
    TMemoryStream stream;
    Columns->SaveToStream(&stream);
    return Bytes(stream);
}

std::string ShortString(const std::string& S) { return std::string(1, static_cast<char>(S.size())) + S; }

std::string FileBytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& Path, const std::string& Bytes) {
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out << Bytes;
}

class LayoutFiles : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        folder = std::filesystem::temp_directory_path() / ("tesk-layout-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        GridTest::TearDown();
    }
    std::string File(const char* Name) const { return (folder / Name).string(); }

    TDBGridGx* OpenGrid() {
        TDBGridGx* g = MakeGrid(600, 240);
        g->SetDataSource(source);
        if (!query->Active()) Open();
        return g;
    }

    // A column set changed in every way the user or a form can change it.
    void Customise(TDBGridGx* g) {
        TDBGridColumnsGx* cols = g->Columns();
        for (const char* name : {"Galaxy", "System", "Position", "Name", "Player", "Metal", "Debris"})
            cols->Add()->SetFieldName(name);
        g->SetFooterRowCount(2);
        TColumnGx* name = cols->Items(3);
        name->SetWidth(140);
        name->Title()->SetCaption("Planet");
        name->Title()->Font()->SetStyle(TFontStyles{fsBold});
        name->Title()->SetColor(clMoneyGreen);
        name->Title()->SetSortMarker(smDownGx);
        name->Footer()->SetValueType(fvtCount);
        name->Footer()->SetDisplayFormat("0 planets");
        cols->Items(4)->SetVisible(false);
        cols->Items(4)->PickList()->SetText("Player 1\r\nPlayer 2\r\n");
        TColumnGx* metal = cols->Items(5);
        metal->SetColor(clInfoBk);
        metal->SetAlignment(taCenter);
        metal->SetDisplayFormat("#,##0");
        metal->SetIncrement(0.5);
        metal->Font()->SetColor(static_cast<TColor>(0x123456));
        metal->Font()->SetName("Liberation Serif");
        TColumnFooterGx* sum = metal->Footers()->Add();
        sum->SetValueType(fvtSum);
        sum->SetColor(clYellow);
        sum->SetAlignment(taRightJustify);
        TColumnFooterGx* avg = metal->Footers()->Add();
        avg->SetValueType(fvtAvg);
        avg->SetDisplayFormat("0.00");
        avg->Font()->SetHeight(-15);
        metal->Footer()->SetValueType(fvtStaticText);
        metal->Footer()->SetValue("Metal");
        TColumnGx* debris = cols->Items(6);
        debris->KeyList()->SetText("1.5\r\n3\r\n");
        debris->SetTag(42);
        debris->SetMinWidth(30);
        debris->SetMaxWidth(300);
        debris->Title()->SetAlignment(taRightJustify);
        // The user moved Position before Galaxy.
        cols->Items(2)->SetIndex(0);
    }

    std::filesystem::path folder;
};

TEST_F(LayoutFiles, ACustomisedColumnSetComesBackAsItWas) {
    TDBGridGx* g = OpenGrid();
    Customise(g);
    const std::string file = File("Planet.grd");
    g->Columns()->SaveToFile(file);
    const std::string bytes = FileBytes(file);

    // The frame of the stream: the wrapper, its one property, and three list ends.
    const std::string head = "TPF0" + ShortString("TColumnsWrapper") + std::string(1, '\0') +
                             ShortString("Columns") + "\x0E\x01";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
    // An Increment of 0.5 is an Extended; the named colour is written by its name.
    EXPECT_NE(bytes.find(ShortString("Increment") + "\x05"), std::string::npos);
    EXPECT_NE(bytes.find(ShortString("Color") + "\x07" + ShortString("clInfoBk")), std::string::npos);

    TDBGridGx* other = OpenGrid();
    other->SetFooterRowCount(2);
    other->Columns()->LoadFromFile(file);
    TDBGridColumnsGx* back = other->Columns();
    EXPECT_EQ(back->State(), csCustomized);
    EXPECT_EQ(ColumnNames(back),
              (std::vector<std::string>{"Position", "Galaxy", "System", "Name", "Player", "Metal", "Debris"}));
    for (int i = 0; i < back->Count(); ++i) {
        SCOPED_TRACE(i);
        TColumnGx* was = g->Columns()->Items(i);
        TColumnGx* now = back->Items(i);
        EXPECT_EQ(now->Width(), was->Width());
        EXPECT_EQ(now->Visible(), was->Visible());
        EXPECT_EQ(now->Title()->Caption(), was->Title()->Caption());
        EXPECT_EQ(now->Color(), was->Color());
        EXPECT_EQ(now->Footers()->Count(), was->Footers()->Count());
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(now->UsedFooter(row)->ValueType(), was->UsedFooter(row)->ValueType());
            EXPECT_EQ(now->UsedFooter(row)->Color(), was->UsedFooter(row)->Color());
            EXPECT_EQ(other->GetFooterValue(row, now), g->GetFooterValue(row, was));
        }
    }
    TColumnGx* metal = back->Items(5);
    EXPECT_EQ(metal->Font()->Name(), "Liberation Serif");
    EXPECT_EQ(metal->Font()->Color(), static_cast<TColor>(0x123456));
    EXPECT_EQ(metal->Footers()->Items(1)->Font()->Height(), -15);
    EXPECT_DOUBLE_EQ(metal->Increment(), 0.5);
    EXPECT_TRUE(back->Items(3)->Title()->Font()->Style().Contains(fsBold));
    EXPECT_EQ(back->Items(3)->Title()->SortMarker(), smDownGx);
    EXPECT_EQ(back->Items(4)->PickList()->Text(), "Player 1\r\nPlayer 2\r\n");
    EXPECT_EQ(back->Items(6)->KeyList()->Count(), 2);
    EXPECT_EQ(back->Items(6)->Tag(), 42);
    EXPECT_EQ(back->Items(6)->MaxWidth(), 300);
    // Loading re-registered the footers' aggregates in the loading grid's sum list.
    EXPECT_NE(other->SumList()->SumCollection()->FindSum(goSum, "Metal"), nullptr);
    EXPECT_NE(other->SumList()->SumCollection()->FindSum(goAvg, "Metal"), nullptr);
    EXPECT_NE(other->SumList()->SumCollection()->FindSum(goCount, ""), nullptr);
    // Whatever the columns store, the loaded set writes the very same file.
    EXPECT_EQ(Layout(back), bytes);
}

// A stored font says its character set and style even when they are the
// defaults; a file whose font has an empty name reads back to a layout that
// writes and reads the same.
TEST_F(LayoutFiles, StoredFontsAreWrittenWholeAndAnEmptyFontNameRoundTrips) {
    TDBGridGx* g = OpenGrid();
    TColumnGx* name = g->Columns()->Add();
    name->SetFieldName("Name");
    name->Font()->SetColor(clMaroon);
    const std::string written = Layout(g->Columns());
    EXPECT_NE(written.find(ShortString("Font.Charset") + "\x07" + ShortString("DEFAULT_CHARSET")), std::string::npos);
    EXPECT_NE(written.find(ShortString("Font.Style") + "\x0B\x00"), std::string::npos);
    EXPECT_EQ(written.find("Font.Orientation"), std::string::npos);

    const std::string face = ShortString("Font.Name") + "\x06" + ShortString(name->Font()->Name());
    const size_t at = written.find(face);
    ASSERT_NE(at, std::string::npos);
    std::string empty = written;
    empty.replace(at, face.size(), ShortString("Font.Name") + "\x06" + std::string(1, '\0'));
    TStringStream in(empty);
    g->Columns()->LoadFromStream(&in);
    const std::string once = Layout(g->Columns());
    TStringStream again(once);
    g->Columns()->LoadFromStream(&again);
    EXPECT_EQ(Layout(g->Columns()), once);
    EXPECT_FALSE(g->Columns()->Items(0)->Font()->Name().empty());
    EXPECT_EQ(g->Columns()->Items(0)->Font()->Color(), clMaroon);
}

TEST_F(LayoutFiles, DefaultColumnsAreWrittenWholeAndComeBackCustomised) {
    TDBGridGx* g = OpenGrid();
    ASSERT_EQ(g->Columns()->State(), csDefault);
    const int count = g->Columns()->Count();
    g->Columns()->Items(1)->SetIncrement(0);  // 0 is not written and reads back as 1
    const std::string bytes = Layout(g->Columns());
    EXPECT_EQ(bytes.find("Increment"), std::string::npos);

    TDBGridGx* other = OpenGrid();
    other->Columns()->Clear();
    other->Columns()->Add()->SetFieldName("Note");
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    other->Columns()->LoadFromStream(&stream);
    EXPECT_EQ(other->Columns()->State(), csCustomized);
    EXPECT_EQ(other->Columns()->Count(), count);
    EXPECT_EQ(ColumnNames(other->Columns()), ColumnNames(g->Columns()));
    EXPECT_DOUBLE_EQ(other->Columns()->Items(1)->Increment(), 1.0);
    // A layout naming a field the data set lacks loads and shows an empty column.
    TDBGridColumnsGx loose(nullptr, ItemClassOf<TDBGridColumnGx>);
    loose.Add()->SetFieldName("Moons");
    TMemoryStream missing;
    loose.SaveToStream(&missing);
    missing.SetPosition(0);
    other->Columns()->LoadFromStream(&missing);
    ASSERT_EQ(other->Columns()->Count(), 1);
    EXPECT_EQ(other->Columns()->Items(0)->Field(), nullptr);
}

TEST_F(LayoutFiles, DamagedAndForeignFilesRaiseAndChangeNothing) {
    TDBGridGx* g = OpenGrid();
    Customise(g);
    const std::string good = Layout(g->Columns());
    const std::string wrapper = "TPF0" + ShortString("TColumnsWrapper") + std::string(1, '\0');
    const std::string columns = wrapper + ShortString("Columns") + "\x0E";

    std::vector<std::pair<std::string, std::string>> files{
        {"empty", ""},
        {"signature only", "TPF0"},
        {"another class",
         "TPF0" + ShortString("TForm") + ShortString("frmMain") + ShortString("Caption") + "\x06" +
             ShortString("Tesk") + std::string(2, '\0')},
        {"an unknown property", columns + "\x01" + ShortString("Colour") + "\x02\x05" + std::string(4, '\0')},
        {"a child component",
         wrapper + std::string(1, '\0') + ShortString("TDBGridGx") + ShortString("Grid9") + std::string(3, '\0')},
        {"a text file", "[General]\r\nActiveLanguage=English\r\n"},
    };
    // Truncated at many points, down to a byte short of the end.
    for (size_t n = 5; n < good.size(); n += good.size() / 23 + 1)
        files.emplace_back("truncated at " + std::to_string(n), good.substr(0, n));
    files.emplace_back("one byte short", good.substr(0, good.size() - 1));
    std::mt19937 random(2026);
    for (int i = 0; i < 6; ++i) {
        std::string noise(64 + 97 * i, '\0');
        for (char& c : noise) c = static_cast<char>(random());
        files.emplace_back("random bytes " + std::to_string(i), i % 2 ? "TPF0" + noise : noise);
    }
    // Random bytes where the columns begin.
    for (size_t at : {columns.size(), good.size() / 2}) {
        std::string damaged = good;
        for (size_t k = at; k < at + 8 && k < damaged.size(); ++k) damaged[k] = static_cast<char>(random());
        files.emplace_back("damaged at " + std::to_string(at), damaged);
    }
    // Far more columns than any grid has: refused before they are all made.
    std::string many = columns;
    for (int i = 0; i < 30000; ++i) many += std::string("\x01\x00", 2);
    files.emplace_back("too many columns", many + std::string(3, '\0'));

    const std::string file = File("Combat.grd");
    const int colCount = g->ColCount();
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        WriteBytes(file, bytes);
        EXPECT_THROW(g->Columns()->LoadFromFile(file), EReadError);
        EXPECT_EQ(Layout(g->Columns()), good);
        EXPECT_EQ(g->ColCount(), colCount);
    }
    // A missing file fails to open, as the caller expects.
    std::filesystem::remove(file);
    EXPECT_THROW(g->Columns()->LoadFromFile(file), EFOpenError);
    EXPECT_EQ(Layout(g->Columns()), good);
    // The error names the file.
    WriteBytes(file, "TPF");
    try {
        g->Columns()->LoadFromFile(file);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_NE(e.Message().find("Combat.grd"), std::string::npos) << e.Message();
    }
}

TEST_F(LayoutFiles, AWriterKilledInTheMiddleLeavesTheOldFile) {
    TDBGridGx* g = OpenGrid();
    const std::string file = File("Alliance.grd");
    g->Columns()->SaveToFile(file);
    const std::string old = FileBytes(file);
    Customise(g);
    const std::string longer = Layout(g->Columns());
    ASSERT_GT(longer.size(), old.size() + 64);

    // The child may write no file past a few bytes: the kernel kills it with
    // SIGXFSZ in the middle of writing the new layout, before any rename.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(30);  // a writer that hangs fails the test instead of stopping it
        rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_DFL);
        g->Columns()->SaveToFile(file);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer was not stopped";
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);

    EXPECT_EQ(FileBytes(file), old);
    TDBGridGx* other = OpenGrid();
    other->Columns()->LoadFromFile(file);
    EXPECT_EQ(Layout(other->Columns()), old);
    // The next save replaces it whole.
    g->Columns()->SaveToFile(file);
    EXPECT_EQ(FileBytes(file), longer);
}

}  // namespace
