// The XML settings store: typed values through the file after a restart,
// paths, lists, published objects, and damaged or read-only files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>
#include <memory>

#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtti/Published.h"
#include "storage/StAppXMLStorage.h"
#include "storage/StRegistration.h"
#include "tests/platform/classes/TempFolder.h"

namespace {

enum TTint { tiPale, tiBright, tiDeep };
using TTints = std::bitset<3>;

}  // namespace

TESK_ENUM_INFO(TTint, tiPale, tiBright, tiDeep)
TESK_SET_INFO(TTints, TTint)

namespace {

class TTestLine : public TCollectionItem {
    TESK_CLASS(TTestLine, TCollectionItem)
public:
    explicit TTestLine(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TTestLine*>(Source)) {
            Caption = s->Caption;
            width_ = s->width_;
            return;
        }
        TCollectionItem::Assign(Source);
    }
    AnsiString Caption;
    int Width() const { return width_; }
    void SetWidth(int Value) {
        if (Value < 0) throw EConvertError("A width cannot be negative");
        width_ = Value;
    }

private:
    int width_ = 64;
};

class TTestFont : public TPersistent {
    TESK_CLASS(TTestFont, TPersistent)
public:
    AnsiString Name = "Tahoma";
    int Height = -11;
};

// One property of each kind the store handles.
class TTestSettings : public TPersistent {
    TESK_CLASS(TTestSettings, TPersistent)
public:
    TTestSettings() : Lines(ItemClassOf<TTestLine>) {}
    int Count = 0;
    TTint Tint = tiPale;
    TTints Tints;
    int Color = 0;  // published as TColor
    long double Ratio = 0;
    AnsiString Title;
    bool Visible = false;
    TStringList Words;
    TCollection Lines;
    TTestFont Font;
    int Computed() const { return 42; }
    TStrings* WordsProp() { return &Words; }
    TCollection* LinesProp() { return &Lines; }
    TTestFont* FontProp() { return &Font; }
};

// A component whose published properties refer to other components.
class TTestPart : public TComponent {
    TESK_CLASS(TTestPart, TComponent)
public:
    using TComponent::TComponent;
    AnsiString Label;
    TComponent* Partner = nullptr;  // the base type: its type information exists before this class is described
};

}  // namespace

TESK_PUBLISHED(TTestPart) {
    Property("Label", &T::Label, &T::Label);
    Property("Partner", &T::Partner, &T::Partner);
}
TESK_PUBLISHED(TTestLine) {
    Property("Caption", &T::Caption, &T::Caption);
    Property("Width", &T::Width, &T::SetWidth);
}
TESK_PUBLISHED(TTestFont) {
    Property("Name", &T::Name, &T::Name);
    Property("Height", &T::Height, &T::Height);
}
TESK_PUBLISHED(TTestSettings) {
    Property("Count", &T::Count, &T::Count);
    Property("Tint", &T::Tint, &T::Tint);
    Property("Tints", &T::Tints, &T::Tints);
    Property("Color", TypeInfoTColor(), &T::Color, &T::Color);
    Property("Ratio", &T::Ratio, &T::Ratio);
    Property("Title", &T::Title, &T::Title);
    Property("Visible", &T::Visible, &T::Visible);
    Property("Words", &T::WordsProp);
    Property("Lines", &T::LinesProp);
    Property("Font", &T::FontProp);
    Property("Computed", &T::Computed);
}

namespace {

class XmlStorageTest : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderForTests(folder_.Path());
        RegisterStorageClasses();
        reports_ = 0;
        savedHandler_ = Application->OnException;
        Application->OnException = TExceptionEvent(this, &XmlStorageTest::CountReport);
    }
    void TearDown() override {
        Application->OnException = savedHandler_;
        SetProgramFolderForTests("");
    }
    void CountReport(TObject*, Exception* E) {
        ++reports_;
        lastReport_ = E->Message();
    }
    // A store as the main window configures it, after its definition was read.
    std::unique_ptr<TStAppXMLFileStorage> Open() {
        auto s = std::make_unique<TStAppXMLFileStorage>(nullptr);
        s->SetComponentStateBits(csLoading);
        s->SetFileName("TeskSettings.xml");
        s->SetRootNodeName("Configuration");
        s->SetAutoFlush(true);
        s->SetAutoReload(true);
        s->StorageOptions()->SetBooleanStringTrueValues("TRUE, YES, Y");
        s->StorageOptions()->SetBooleanStringFalseValues("FALSE, NO, N");
        s->Loaded();
        return s;
    }
    std::filesystem::path File() const { return folder_.File("TeskSettings.xml"); }

    TempFolder folder_;
    int reports_ = 0;
    AnsiString lastReport_;
    TExceptionEvent savedHandler_;
};

TEST_F(XmlStorageTest, TypedValuesSurviveARestartOfTheStore) {
    const AnsiString text = "a<b & \"c\" 'd' > \xC0\xE9\xFF";  // 8-bit letters of the code page
    const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 0);
    TTestSettings written;
    written.Count = -7;
    written.Tint = tiDeep;
    written.Tints = TTints("101");  // tiPale and tiDeep
    written.Color = 0x80000005;     // clWindow
    written.Ratio = 0.1L;
    written.Title = text;
    written.Visible = true;
    written.Words.SetCommaText("one,two,three");
    static_cast<TTestLine*>(written.Lines.Add())->Caption = "first & <last>";
    static_cast<TTestLine*>(written.Lines.Add())->SetWidth(120);
    written.Font.Name = "Liberation Sans";
    written.Font.Height = -13;
    {
        auto store = Open();
        store->WriteInteger("Values\\Integer", -2147483647 - 1);
        store->WriteFloat("Values\\Float", 1.0L / 3.0L);
        store->WriteBoolean("Values\\Yes", true);
        store->WriteBoolean("Values\\No", false);
        store->WriteDateTime("Values\\Date", when);
        store->WriteString("Values\\Text", text);
        store->WriteString("Values\\Empty", "");
        TStringList list;
        list.SetCommaText("alpha,\"b e t a\",gamma");
        store->WriteStringList("Values\\List", &list);
        const TTint tint = tiBright;
        store->WriteEnumeration("Values\\Tint", TypeInfoOf<TTint>(), &tint);
        store->WriteSet("Values\\Tints", TypeInfoOf<TTints>(), TSetTraits<TTints>::ToBits(TTints("110")));
        store->WritePersistent("Object", &written);
    }
    const AnsiString file = TempFolder::Read(File());
    EXPECT_EQ(file.rfind("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>\r\n", 0), 0u) << file;
    EXPECT_NE(file.find("<Yes>TRUE</Yes>"), AnsiString::npos);
    EXPECT_NE(file.find("<Tint>tiBright</Tint>"), AnsiString::npos);
    EXPECT_NE(file.find("<Color>clWindow</Color>"), AnsiString::npos);
    EXPECT_NE(file.find("<tiDeep>TRUE</tiDeep>"), AnsiString::npos);
    EXPECT_NE(file.find("<Empty/>"), AnsiString::npos);
    EXPECT_NE(file.find("a&lt;b &amp; "), AnsiString::npos);

    auto store = Open();
    EXPECT_EQ(store->ReadInteger("Values\\Integer", 0), -2147483647 - 1);
    EXPECT_EQ(store->ReadFloat("Values\\Float", 0), 1.0L / 3.0L);
    EXPECT_TRUE(store->ReadBoolean("values\\YES", false));  // names ignore letter case
    EXPECT_FALSE(store->ReadBoolean("Values\\No", true));
    EXPECT_EQ(store->ReadDateTime("Values\\Date", 0), when);
    EXPECT_EQ(store->ReadString("Values\\Text"), text);
    EXPECT_EQ(store->ReadString("Values\\Empty", "x"), "");
    TStringList list;
    list.Add("stale");
    EXPECT_EQ(store->ReadStringList("Values\\List", &list), 3);
    EXPECT_EQ(list.CommaText(), "alpha,\"b e t a\",gamma");
    TTint tint = tiPale;
    const TTint def = tiPale;
    store->ReadEnumeration("Values\\Tint", TypeInfoOf<TTint>(), &def, &tint);
    EXPECT_EQ(tint, tiBright);
    EXPECT_EQ(TSetTraits<TTints>::FromBits(store->ReadSet("Values\\Tints", TypeInfoOf<TTints>(), {})), TTints("110"));

    TTestSettings read;
    read.Lines.Add();
    read.Lines.Add();
    read.Lines.Add();
    store->ReadPersistent("Object", &read);
    EXPECT_EQ(read.Count, -7);
    EXPECT_EQ(read.Tint, tiDeep);
    EXPECT_EQ(read.Tints, TTints("101"));
    EXPECT_EQ(read.Color, int(0x80000005));
    EXPECT_EQ(read.Ratio, 0.1L);
    EXPECT_EQ(read.Title, text);
    EXPECT_TRUE(read.Visible);
    EXPECT_EQ(read.Words.CommaText(), "one,two,three");
    ASSERT_EQ(read.Lines.Count(), 2);
    EXPECT_EQ(static_cast<TTestLine*>(read.Lines.Items(0))->Caption, "first & <last>");
    EXPECT_EQ(static_cast<TTestLine*>(read.Lines.Items(1))->Width(), 120);
    EXPECT_EQ(read.Font.Name, "Liberation Sans");
    EXPECT_EQ(read.Font.Height, -13);
}

TEST_F(XmlStorageTest, AnExternalEditIsSeenAndAShorterListDropsItsSurplus) {
    auto store = Open();
    TStringList five;
    five.SetCommaText("a,b,c,d,e");
    store->WriteStringList("L", &five);
    TStringList two;
    two.SetCommaText("x,y");
    store->WriteStringList("L", &two);
    const AnsiString file = TempFolder::Read(File());
    EXPECT_NE(file.find("<Count>2</Count>"), AnsiString::npos);
    EXPECT_NE(file.find("<Item1>y</Item1>"), AnsiString::npos);
    EXPECT_EQ(file.find("Item2"), AnsiString::npos) << file;

    AnsiString edited = file;
    edited.replace(edited.find("<Item1>y</Item1>"), 16, "<Item1>z</Item1>");
    TempFolder::Write(File(), edited);
    EXPECT_EQ(store->ReadString("L\\Item1"), "z");

    // Deleting what is not there leaves the file alone.
    const auto before = std::filesystem::last_write_time(File());
    std::filesystem::last_write_time(File(), before - std::chrono::hours(1));
    store->DeleteValue("L\\Item7");
    store->DeleteSubTree("Nowhere\\Deep");
    EXPECT_EQ(std::filesystem::last_write_time(File()), before - std::chrono::hours(1));
}

// Columns are read into a copy: an item that cannot be read leaves the designed ones.
TEST_F(XmlStorageTest, AnItemThatCannotBeReadLeavesTheCollectionAsItWas) {
    auto store = Open();
    TCollection stored(ItemClassOf<TTestLine>);
    for (const char* caption : {"x", "y", "z"}) static_cast<TTestLine*>(stored.Add())->Caption = caption;
    store->WriteCollection("Columns", &stored);
    static_cast<TTestLine*>(stored.Items(1))->SetWidth(7);
    store->WriteString("Columns\\Item1\\Width", "-5");

    TCollection designed(ItemClassOf<TTestLine>);
    static_cast<TTestLine*>(designed.Add())->Caption = "a";
    static_cast<TTestLine*>(designed.Add())->Caption = "b";
    EXPECT_THROW(store->ReadCollection("Columns", &designed), EConvertError);
    ASSERT_EQ(designed.Count(), 2);
    EXPECT_EQ(static_cast<TTestLine*>(designed.Items(1))->Caption, "b");

    store->WriteString("Columns\\Item1\\Width", "30");
    EXPECT_EQ(store->ReadCollection("Columns", &designed), 3);
    EXPECT_EQ(static_cast<TTestLine*>(designed.Items(1))->Caption, "y");
    EXPECT_EQ(static_cast<TTestLine*>(designed.Items(1))->Width(), 30);
}

TEST_F(XmlStorageTest, PathsJoinAndNamesBecomeElementNames) {
    struct {
        std::vector<AnsiString> pieces;
        const char* joined;
    } joins[] = {
        {{"A", "..", "B"}, "B"},      {{"A\\\\\\B"}, "A\\B"},   {{"A\\.\\B"}, "A\\B"},
        {{"A", "\\B", "C"}, "B\\C"},  {{"A\\B\\C", "..."}, "A"}, {{"\\A\\", ""}, "A"},
        {{"A", "..", "..", "B"}, "B"},
    };
    for (const auto& j : joins) EXPECT_EQ(TStCustomAppStorage::ConcatPaths(j.pieces), j.joined) << j.joined;

    auto store = Open();
    EXPECT_EQ(store->GetValidNodeName("NormPos(1280x1024)"), "NormPos_1280x1024_");
    EXPECT_EQ(store->GetValidNodeName("a.b-c:d_e"), "a.b-c:d_e");
    EXPECT_THROW(store->GetValidNodeName("two words"), EStkException);
    store->XMLStorageOptions()->SetWhiteSpaceReplacement("_");
    EXPECT_EQ(store->GetValidNodeName("two words"), "two_words");
    EXPECT_THROW(store->XMLStorageOptions()->SetInvalidCharReplacement("<"), EStkException);
    EXPECT_THROW(store->XMLStorageOptions()->SetWhiteSpaceReplacement(" "), EStkException);

    store->WriteInteger("A\\B\\C", 5);
    EXPECT_EQ(store->ReadInteger("a\\b\\c", 0), 5);
    EXPECT_TRUE(store->IsFolder("A\\B"));
    EXPECT_FALSE(store->ValueStored("A\\B\\D"));
    store->StorageOptions()->DefaultIfValueNotExists = false;
    EXPECT_THROW(store->ReadInteger("A\\B\\D", 0), EStkException);
}

TEST_F(XmlStorageTest, FloatsAreTwentyHexDigitsAndOtherLengthsGiveTheDefault) {
    auto store = Open();
    store->WriteFloat("F", 1.5L);
    EXPECT_NE(TempFolder::Read(File()).find("<F>00000000000000C0FF3F</F>"), AnsiString::npos) << TempFolder::Read(File());
    store->WriteString("F", "0000000000000080FF3F");
    EXPECT_EQ(store->ReadFloat("F", 9), 1.0L);
    store->WriteString("F", "000000000000080FF3F");  // 19 digits: a leading 0
    EXPECT_EQ(store->ReadFloat("F", 9), 1.0L);
    store->WriteString("F", "00000000000080FF3F");  // 9 bytes
    EXPECT_EQ(store->ReadFloat("F", 9), 9);
    store->WriteString("F", "zz00000000000080FF3F");
    EXPECT_EQ(store->ReadFloat("F", 9), 9);
}

// A file damaged by hand or by a crash: the read answers, nothing is raised,
// and a file that does not parse is set aside once.
TEST_F(XmlStorageTest, DamagedFilesGiveDefaultsAndAreSetAsideOnce) {
    const AnsiString head = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n";
    struct Case {
        const char* what;
        AnsiString text;
        int integer;      // frmMain\X with default 7
        TTint tint;       // frmMain\T with default tiBright
        TTints tints;     // frmMain\S with default {tiPale}
        bool setAside;
    } cases[] = {
        {"not XML", "this is no settings file", 7, tiBright, TTints("001"), true},
        {"truncated", head + "<Configuration>\r\n  <frmMain>\r\n    <X>5</X>\r\n    <T>tiDe", 7, tiBright, TTints("001"), true},
        {"raw markup in a value", head + "<Configuration><frmMain><X>1 < 2</X></frmMain></Configuration>", 7, tiBright,
         TTints("001"), true},
        {"wrong root", head + "<Other><frmMain><X>5</X></frmMain></Other>", 7, tiBright, TTints("001"), false},
        {"not a number", head + "<Configuration><frmMain><X>12abc</X></frmMain></Configuration>", 7, tiBright,
         TTints("001"), false},
        {"unknown name, ordinal out of range",
         head + "<Configuration><frmMain><X>-3</X><T>tiNeon</T><S>[tiPale, tiUltra]</S></frmMain></Configuration>", -3,
         tiBright, TTints("001"), false},
        {"ordinal out of range", head + "<Configuration><frmMain><T>17</T><S>[9]</S></frmMain></Configuration>", 7,
         tiBright, TTints("001"), false},
        {"good values", head + "<Configuration><frmMain><X>5</X><T>tiDeep</T><S>[tiBright]</S></frmMain></Configuration>",
         5, tiDeep, TTints("010"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(File().string() + ".bad");
        TempFolder::Write(File(), c.text);
        reports_ = 0;
        std::unique_ptr<TStAppXMLFileStorage> store;
        ASSERT_NO_THROW(store = Open());
        int x = 0;
        TTint tint = tiPale;
        TSetBits set{};
        const TTint def = tiBright;
        ASSERT_NO_THROW({
            x = store->ReadInteger("frmMain\\X", 7);
            store->ReadEnumeration("frmMain\\T", TypeInfoOf<TTint>(), &def, &tint);
            set = store->ReadSet("frmMain\\S", TypeInfoOf<TTints>(), TSetTraits<TTints>::ToBits(TTints("001")));
            store->ReadInteger("frmMain\\X", 7);  // reloads again: still one report
        });
        EXPECT_EQ(x, c.integer);
        EXPECT_EQ(tint, c.tint);
        EXPECT_EQ(TSetTraits<TTints>::FromBits(set), c.tints);
        EXPECT_EQ(std::filesystem::exists(File().string() + ".bad"), c.setAside);
        EXPECT_EQ(reports_, c.setAside ? 1 : 0) << lastReport_;
        if (c.setAside) {
            EXPECT_EQ(TempFolder::Read(File().string() + ".bad"), c.text);
            EXPECT_FALSE(std::filesystem::exists(File()));
            // The store goes on empty and writes a sound file.
            store->WriteInteger("frmMain\\X", 9);
            EXPECT_EQ(Open()->ReadInteger("frmMain\\X", 0), 9);
        }
    }
}

TEST_F(XmlStorageTest, ValuesComeBackByteForByte) {
    AnsiString everyByte;
    for (int c = 1; c <= 255; ++c) everyByte += static_cast<char>(c);
    const AnsiString values[] = {
        "  two",
        "two  ",
        "   ",
        " a  b ",
        "\ttab\t",
        "line\r\nbreak\r\n",
        "\r\nafter a break",
        "a<b>&c;",
        "&amp; &lt; &#x41; &#65;",
        "<![CDATA[x]]>",
        "<Item0>tag</Item0>",
        "\x01\x02\x1F\x7F",
        "\xC0\xE9\xFF \xA0",
        everyByte,
    };
    {
        auto store = Open();
        for (size_t i = 0; i < std::size(values); ++i)
            store->WriteString("Values\\V" + std::to_string(i), values[i]);
    }
    const AnsiString file = TempFolder::Read(File());
    EXPECT_EQ(file.find("<V0>two</V0>"), AnsiString::npos) << file;
    EXPECT_NE(file.find("\xC0\xE9\xFF"), AnsiString::npos);  // letters of the code page stay readable
    auto store = Open();
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(store->ReadString("Values\\V" + std::to_string(i), "missing"), values[i]) << "value " << i;
    // A value written by hand in the file reads as it stands.
    TempFolder::Write(File(), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
                              "<Configuration><A>1,2,3,4</A><B>R&amp;D</B><C>&Name</C></Configuration>");
    EXPECT_EQ(store->ReadString("A"), "1,2,3,4");
    EXPECT_EQ(store->ReadString("B"), "R&D");
    EXPECT_EQ(store->ReadString("C"), "&Name");
}

TEST_F(XmlStorageTest, EachDamagedFileKeepsItsOwnCopy) {
    const AnsiString damaged[] = {"first damaged settings <", "second damaged settings <<", "third <<<"};
    std::vector<std::string> copies;
    for (const AnsiString& text : damaged) {
        TempFolder::Write(File(), text);
        auto store = Open();
        EXPECT_EQ(store->ReadInteger("frmMain\\X", 7), 7);
        EXPECT_FALSE(std::filesystem::exists(File()));
        store->WriteInteger("frmMain\\X", 9);
    }
    for (const auto& entry : std::filesystem::directory_iterator(File().parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name != "TeskSettings.xml" && name.rfind("TeskSettings.xml", 0) == 0) copies.push_back(entry.path().string());
    }
    ASSERT_EQ(copies.size(), std::size(damaged));
    std::vector<std::string> kept;
    for (const std::string& copy : copies) kept.push_back(TempFolder::Read(copy));
    for (const AnsiString& text : damaged)
        EXPECT_NE(std::find(kept.begin(), kept.end(), text), kept.end()) << text;
    EXPECT_EQ(TempFolder::Read(File().string() + ".bad"), damaged[0]);  // the first copy keeps its name
    EXPECT_EQ(Open()->ReadInteger("frmMain\\X", 0), 9);
}

// A list holds what is stored, whatever its "Count" claims; a hostile count
// neither builds millions of items nor makes the next write walk them.
TEST_F(XmlStorageTest, AListReadsTheItemsItHolds) {
    const AnsiString head = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>";
    struct Case {
        const char* what;
        AnsiString list;
        std::vector<AnsiString> items;
    } cases[] = {
        {"three million", "<L><Count>3000000</Count><Item0>a</Item0></L>", {"a"}},
        {"the largest count", "<L><Count>2147483647</Count><Item0>a</Item0><Item1>b</Item1></L>", {"a", "b"}},
        {"negative", "<L><Count>-5</Count><Item0>a</Item0></L>", {}},
        {"fewer than stored", "<L><Count>1</Count><Item0>a</Item0><Item1>b</Item1></L>", {"a"}},
        {"a gap", "<L><Count>3</Count><Item0>a</Item0><Item2>c</Item2></L>", {"a", "c"}},
        {"out of order", "<L><Count>3</Count><Item2>c</Item2><Item0>a</Item0><Item1>b</Item1></L>", {"a", "b", "c"}},
        {"other names", "<L><Count>9</Count><Item0>a</Item0><Items>x</Items><Item1x>y</Item1x></L>", {"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder::Write(File(), head + c.list + "</Configuration>");
        auto store = Open();
        TStringList list;
        list.Add("stale");
        store->ReadStringList("L", &list, true);
        ASSERT_EQ(list.Count(), static_cast<int>(c.items.size()));
        for (size_t i = 0; i < c.items.size(); ++i) EXPECT_EQ(list.Strings(static_cast<int>(i)), c.items[i]);
        TCollection lines(ItemClassOf<TTestLine>);
        store->ReadCollection("L", &lines, true);
        EXPECT_LE(lines.Count(), static_cast<int>(c.items.size()));
        // Writing over it replaces the stored items, whatever the old count said.
        TStringList two;
        two.SetCommaText("x,y");
        store->WriteStringList("L", &two);
        const AnsiString file = TempFolder::Read(File());
        EXPECT_NE(file.find("<Count>2</Count>"), AnsiString::npos) << file;
        EXPECT_EQ(file.find("Item2>"), AnsiString::npos) << file;
    }
}

// A published reference to another component is stored as that component's
// own properties, once even where two components refer to each other.
TEST_F(XmlStorageTest, ReferencedComponentsAreStoredWithTheirProperties) {
    TTestPart first(nullptr), second(nullptr);
    first.Label = "first";
    second.Label = "second";
    first.Partner = &second;
    second.Partner = &first;
    {
        auto store = Open();
        store->WritePersistent("Parts", &first);
    }
    const AnsiString file = TempFolder::Read(File());
    EXPECT_NE(file.find("<Partner>"), AnsiString::npos) << file;
    EXPECT_NE(file.find("<Label>second</Label>"), AnsiString::npos) << file;
    first.Label = second.Label = "changed";
    Open()->ReadPersistent("Parts", &first);
    EXPECT_EQ(first.Label, "first");
    EXPECT_EQ(second.Label, "second");
    EXPECT_EQ(first.Partner, &second);  // the reference itself stays
}

// A blank in a folder name needs a replacement as much as one in a value name.
TEST_F(XmlStorageTest, ABlankInAKeyRaisesOrIsReplaced) {
    auto store = Open();
    EXPECT_THROW(store->WriteString("My Folder\\Value", "x"), EStkException);
    EXPECT_THROW(store->WriteString("Folder\\My Value", "x"), EStkException);
    EXPECT_EQ(store->ReadString("My Folder\\Value", "default"), "default");
    static_cast<TStAppXMLStorageOptions*>(store->StorageOptions())->SetWhiteSpaceReplacement("_");
    store->WriteString("My Folder\\My Value", "x");
    EXPECT_EQ(store->ReadString("My Folder\\My Value"), "x");
    EXPECT_NE(TempFolder::Read(File()).find("<My_Folder>"), AnsiString::npos);
}

TEST_F(XmlStorageTest, AReadOnlyFileIsNeverWritten) {
    const AnsiString good =
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration><frmMain><X>5</X></frmMain></Configuration>";
    const AnsiString damaged = "<Configuration><frmMain><X>5</X>";
    for (const AnsiString& text : {good, damaged}) {
        std::filesystem::remove(File());
        TempFolder::Write(File(), text);
        chmod(File().c_str(), 0444);
        {
            auto store = Open();
            EXPECT_TRUE(store->ReadOnly());
            EXPECT_EQ(store->ReadInteger("frmMain\\X", 7), text == good ? 5 : 7);
            store->WriteInteger("frmMain\\X", 6);
            store->DeleteSubTree("frmMain");
            store->Flush();
        }
        EXPECT_EQ(TempFolder::Read(File()), text);
        EXPECT_FALSE(std::filesystem::exists(File().string() + ".bad"));
        chmod(File().c_str(), 0644);
    }
}

}  // namespace
