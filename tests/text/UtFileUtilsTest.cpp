#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/rtl/Version.h"
#include "text/UtFileUtils.h"

namespace {

TEST(UtFileUtils, PathRoutines) {
    struct Case {
        const char* what;
        AnsiString got, want;
    };
    const Case cases[] = {
        {"add separator", PathAddSeparator("C:\\data"), "C:\\data\\"},
        {"separator present", PathAddSeparator("C:\\data\\"), "C:\\data\\"},
        {"separator on empty", PathAddSeparator(""), "\\"},
        {"remove separator", PathRemoveSeparator("a\\b\\"), "a\\b"},
        {"remove only one", PathRemoveSeparator("a\\\\"), "a\\"},
        {"nothing to remove", PathRemoveSeparator("a\\b"), "a\\b"},
        {"remove on empty", PathRemoveSeparator(""), ""},
        {"extension added", PathAddExtension("Settings", "xml"), "Settings.xml"},
        {"extension with dot", PathAddExtension("Settings", ".xml"), "Settings.xml"},
        {"extension present", PathAddExtension("Settings.ini", "xml"), "Settings.ini"},
        {"dot in a folder name only", PathAddExtension("a.d\\Settings", "xml"), "a.d\\Settings.xml"},
        {"dot in a native folder name", PathAddExtension("/home/u.x/Settings", "xml"), "/home/u.x/Settings.xml"},
        {"empty path", PathAddExtension("", "xml"), ""},
        {"empty extension", PathAddExtension("Settings", ""), "Settings"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(UtFileUtils, PathIsAbsolute) {
    struct Case {
        AnsiString path;
        bool want;
    };
    const Case cases[] = {
        {"C:\\x", true},
        {"c:\\", true},
        {"c:", false},
        {"\\\\server\\share\\x", true},
        {"\\\\server\\share", true},
        {"\\\\my-pc.lan_1\\share", true},
        {"\\\\12\\share", false},  // all-digit machine name
        {"\\\\1a\\share", true},
        {"\\\\server\\sh:are", false},
        {"\\\\server\\sh*re\\x", false},
        {"\\\\server\\", false},
        {"\\\\server", false},
        {"\\\\ser ver\\share", false},
        {"\\\\?\\UNC\\share\\x", true},
        {"\\\\?\\UNC\\sh|re", false},
        {"\\\\.\\C:\\x", true},
        {"\\\\.\\C:", false},
        {"x\\y", false},
        {"\\x", false},
        {"C:x", false},
        {"1:\\x", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(PathIsAbsolute(c.path), c.want) << c.path;
}

class TempDir : public testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("tesk-utfile-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(TempDir, FileExistsAndSize) {
    std::ofstream(dir / "seven.txt", std::ios::binary) << "1234567";
    EXPECT_TRUE(FileExists((dir / "seven.txt").string()));
    EXPECT_EQ(GetSizeOfFile((dir / "seven.txt").string()), 7);
    EXPECT_TRUE(FileExists(dir.string()));  // a folder counts
    EXPECT_FALSE(FileExists((dir / "missing.txt").string()));
    EXPECT_EQ(GetSizeOfFile((dir / "missing.txt").string()), -1);
    EXPECT_FALSE(FileExists((dir / "missing" / "deeper.txt").string()));
    EXPECT_FALSE(FileExists(""));
}

TEST_F(TempDir, FileOfTitleFindsTheNameAsShownWithItsExtensionInAnyCase) {
    for (const char* name : {"Up.LNG", "Both.lng", "Both.LNG", "Odd.Lng", "Odd.lNg", "\xD0\xAF.lng", "Dir.lng"})
        if (std::string(name) == "Dir.lng") std::filesystem::create_directory(dir / name);
        else std::ofstream(dir / name) << "";
    const std::string folder = dir.string() + "/";
    struct Case {
        AnsiString title;
        const char* file;
    } const cases[] = {
        {"Up", "Up.LNG"},
        {"Both", "Both.lng"},          // the usual name first
        {"Odd", "Odd.Lng"},            // else the first in byte order
        {"\xDF", "\xD0\xAF.lng"},      // a Cyrillic letter of the code page, a UTF-8 name
        {"up", "up.lng"},              // the name itself keeps its case
        {"Dir", "Dir.lng"},            // no file: the usual name
        {"Missing", "Missing.lng"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileOfTitle(folder, c.title, "lng"), folder + c.file) << c.title;
}

TEST_F(TempDir, VersionOfOwnProgramAndOthers) {
    const AnsiString self = GetModulePath(nullptr);
    EXPECT_EQ(std::filesystem::path(self), std::filesystem::canonical("/proc/self/exe"));

    TUtFileVersionInfo info(self);
    EXPECT_EQ(info.GetFileVersion(), TESK_VERSION);
    EXPECT_EQ(info.GetFileVersion(), "1.2.0.0");
    TVSFixedFileInfo fixed{};
    EXPECT_TRUE(VersionResourceAvailable(self, fixed));
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010002u);

    std::ofstream(dir / "other.exe", std::ios::binary) << "MZ";
    for (const AnsiString& other : {AnsiString((dir / "other.exe").string()), AnsiString((dir / "none").string())}) {
        try {
            TUtFileVersionInfo none(other);
            ADD_FAILURE() << other;
        } catch (const EUtFileVersionInfoError& e) {
            EXPECT_EQ(e.Message(), "File contains no version information");
        }
        EXPECT_FALSE(VersionResourceAvailable(other, fixed));
    }
}

// Writes version entries the way resource compilers lay them out.
struct Node {
    std::string key;
    std::string value;  // raw bytes
    uint16_t valueLength = 0;
    uint16_t type = 0;
    std::vector<Node> children;
};

void Put16(std::string& r, uint16_t v) {
    r += static_cast<char>(v & 0xFF);
    r += static_cast<char>(v >> 8);
}
void Put32(std::string& r, uint32_t v) {
    Put16(r, static_cast<uint16_t>(v));
    Put16(r, static_cast<uint16_t>(v >> 16));
}
void Pad(std::string& r) {
    while (r.size() % 4) r += '\0';
}

void Write(std::string& r, const Node& n, bool wide) {
    Pad(r);
    const size_t start = r.size();
    Put16(r, 0);
    Put16(r, n.valueLength);
    if (wide) Put16(r, n.type);
    for (char c : n.key) wide ? Put16(r, static_cast<unsigned char>(c)) : void(r += c);
    wide ? Put16(r, 0) : void(r += '\0');
    Pad(r);
    r += n.value;
    for (const Node& c : n.children) Write(r, c, wide);
    const size_t length = r.size() - start;
    r[start] = static_cast<char>(length & 0xFF);
    r[start + 1] = static_cast<char>(length >> 8);
}

std::string Build(const Node& root, bool wide) {
    std::string r;
    Write(r, root, wide);
    return r;
}

std::string Fixed(uint32_t ms, uint32_t ls, uint32_t mask, uint32_t flags, uint32_t signature = 0xFEEF04BD) {
    std::string f;
    for (uint32_t v : {signature, 0x10000u, ms, ls, ms, ls, mask, flags, 4u, 1u, 0u, 0u, 0u}) Put32(f, v);
    return f;
}

std::string Utf16(const std::u16string& s) {
    std::string r;
    for (char16_t c : s) Put16(r, c);
    Put16(r, 0);
    return r;
}

Node WideText(const std::string& key, const std::u16string& value) {
    return Node{key, Utf16(value), static_cast<uint16_t>(value.size() + 1), 1, {}};
}

Node Root(const std::string& fixed, std::vector<Node> children) {
    return Node{"VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), 0, std::move(children)};
}

std::vector<AnsiString> Lines(TStrings* list) {
    std::vector<AnsiString> r;
    for (int i = 0; i < list->Count(); ++i) r.push_back(list->Strings(i));
    return r;
}

TEST(UtFileVersionInfo, ParsesTheWideForm) {
    CodePage::SetActive(1251);
    std::string binary;
    Put16(binary, 0x1234);
    Put16(binary, 0x00AB);
    std::string translation;
    Put32(translation, 0x04B00409);
    Put32(translation, 0x04E30419);
    const Node root = Root(Fixed(0x00010002, 0x00030004, 0x3F, 0x05 | 0x40),
                           {Node{"StringFileInfo", "", 0, 1,
                                 {Node{"040904B0", "", 0, 1,
                                       {WideText("FileVersion", u"1.2.3.4"), WideText("ProductName", u"Tesk"),
                                        Node{"Build", binary, 2, 0, {}}}},
                                  Node{"0x041904e3", "", 0, 1, {WideText("Comments", u"Тест")}}}},
                            Node{"VarFileInfo", "", 0, 1, {Node{"Translation", translation, 8, 0, {}}}}});
    const auto info = TUtFileVersionInfo::FromResource(Build(root, true));

    EXPECT_EQ(info->GetFileVersion(), "1.2.3.4");
    EXPECT_EQ(info->FileFlags(), TUtFileFlags{ffDebug | ffPatched});
    ASSERT_EQ(info->Languages().size(), 2u);
    EXPECT_EQ(info->Languages()[0].Language, 0x0409);
    EXPECT_EQ(info->Languages()[0].CodePage, 0x04B0);
    EXPECT_EQ(info->Languages()[1].Language, 0x0419);
    EXPECT_EQ(info->Languages()[1].CodePage, 0x04E3);
    EXPECT_EQ(info->Translations(), (std::vector<uint32_t>{0x04B00409, 0x04E30419}));
    ASSERT_EQ(info->ItemList().size(), 4u);
    EXPECT_EQ(info->ItemList()[3].LanguageIndex, 1);

    EXPECT_EQ(Lines(info->Items()), (std::vector<AnsiString>{"FileVersion=1.2.3.4", "ProductName=Tesk", "Build=$00AB1234"}));
    info->SetLanguageIndex(1);
    EXPECT_EQ(Lines(info->Items()), (std::vector<AnsiString>{"Comments=" + FromUtf8Literal("Тест")}));
}

TEST(UtFileVersionInfo, ParsesTheByteForm) {
    const Node root = Root(Fixed(0x00050006, 0x00070008, 0x3F, 0x22),
                           {Node{"StringFileInfo", "", 0, 0,
                                 {Node{"040904E4", "", 0, 0, {Node{"FileVersion", std::string("5.6.7.8\0", 8), 8, 0, {}}}}}}});
    const auto info = TUtFileVersionInfo::FromResource(Build(root, false));
    EXPECT_EQ(info->GetFileVersion(), "5.6.7.8");
    EXPECT_EQ(info->FileFlags(), TUtFileFlags{ffPreRelease | ffSpecialBuild});
    EXPECT_EQ(Lines(info->Items()), (std::vector<AnsiString>{"FileVersion=5.6.7.8"}));
    EXPECT_TRUE(info->Translations().empty());
}

TEST(UtFileVersionInfo, UnknownChildEndsTheWalk) {
    std::string translation;
    Put32(translation, 0x04B00409);
    const Node root = Root(Fixed(1, 2, 0, 0), {Node{"Other", "", 0, 1, {}},
                                               Node{"VarFileInfo", "", 0, 1, {Node{"Translation", translation, 4, 0, {}}}}});
    const auto info = TUtFileVersionInfo::FromResource(Build(root, true));
    EXPECT_EQ(info->GetFileVersion(), "0.1.0.2");
    EXPECT_TRUE(info->Translations().empty());
}

TEST(UtFileVersionInfo, MalformedResources) {
    const std::string good = Build(Root(Fixed(1, 2, 0, 0), {}), true);
    std::string zeroChild = Build(Root(Fixed(1, 2, 0, 0), {Node{"VarFileInfo", "", 0, 1, {}}}), true);
    zeroChild[good.size()] = zeroChild[good.size() + 1] = '\0';  // the child's length
    std::string overlong = good;
    overlong[1] = 0x10;  // longer than the buffer
    std::string unterminated = good.substr(0, 6);
    unterminated[0] = 6;
    unterminated += "VS";

    struct Case {
        const char* what;
        std::string resource;
    };
    const Case cases[] = {
        {"empty", ""},
        {"wrong key", Build(Node{"VS_VERSION", Fixed(1, 2, 0, 0), 52, 0, {}}, true)},
        {"short fixed info", Build(Node{"VS_VERSION_INFO", Fixed(1, 2, 0, 0).substr(0, 48), 48, 0, {}}, true)},
        {"wrong signature", Build(Root(Fixed(1, 2, 0, 0, 0xFEEF04BE), {}), true)},
        {"child of length 0", zeroChild},
        {"length beyond the buffer", overlong},
        {"key without terminator", unterminated},
        {"table key of 7 digits",
         Build(Root(Fixed(1, 2, 0, 0), {Node{"StringFileInfo", "", 0, 1, {Node{"040904B", "", 0, 1, {}}}}}), true)},
        {"table with a value",
         Build(Root(Fixed(1, 2, 0, 0), {Node{"StringFileInfo", "", 0, 1, {Node{"040904B0", "abcd", 4, 0, {}}}}}), true)},
    };
    for (const Case& c : cases) {
        try {
            TUtFileVersionInfo::FromResource(c.resource);
            ADD_FAILURE() << c.what;
        } catch (const EUtFileVersionInfoError& e) {
            EXPECT_EQ(e.Message(), "File contains no version information") << c.what;
        }
    }
    EXPECT_EQ(TUtFileVersionInfo::FromResource(good)->GetFileVersion(), "0.1.0.2");
}

}  // namespace
