#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "platform/classes/IniFiles.h"
#include "platform/classes/Strings.h"
#include "tests/platform/classes/SmallDisk.h"
#include "tests/platform/classes/TempFolder.h"

namespace {

// Comments, odd letter case, blanks around '=', a line without '=', an LF-only
// line, and a second [Main] whose keys are hidden behind the first.
const std::string kSettings =
    "; settings written by hand\r\n"
    "[Main]\r\n"
    "Language = English\r\n"
    "; the grid\r\n"
    "GRIDLINES=1\n"
    "not a key\r\n"
    "Title=\" padded \"\r\n"
    "\r\n"
    "; groups follow\r\n"
    "[dbgroup]\r\n"
    "GroupName1=Main\r\n"
    "[MAIN]\r\n"
    "Hidden=yes\r\n"
    "Language=Hidden\r\n";

std::vector<AnsiString> LinesOf(const TStrings& s) {
    std::vector<AnsiString> result;
    for (int i = 0; i < s.Count(); ++i) result.push_back(s[i]);
    return result;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos) << from;
    return s.replace(p, from.size(), to);
}

}  // namespace

TEST(TIniFile, ReadsMatchIgnoringCaseAndTheFirstOccurrenceWins) {
    TempFolder folder;
    TempFolder::Write(folder.File("a.ini"), kSettings);
    TIniFile ini(folder.File("a.ini"));
    EXPECT_EQ(ini.ReadString("main", "language", "?"), "English");
    EXPECT_EQ(ini.ReadString("MAIN", "GridLines", "?"), "1");
    EXPECT_EQ(ini.ReadString("Main", "Hidden", "?"), "?");  // only in the second [MAIN]
    EXPECT_EQ(ini.ReadString("Main", "not a key", "?"), "?");
    EXPECT_EQ(ini.ReadString("Main", "; the grid", "?"), "?");
    EXPECT_EQ(ini.ReadString("DBGroup", "groupname1", "?"), "Main");
    EXPECT_EQ(ini.ReadString("Missing", "x", "dflt"), "dflt");

    TStringList list;
    ini.ReadSection("MAIN", &list);
    EXPECT_EQ(LinesOf(list), (std::vector<AnsiString>{"Language", "GRIDLINES", "Title"}));
    ini.ReadSections(&list);
    EXPECT_EQ(LinesOf(list), (std::vector<AnsiString>{"Main", "dbgroup"}));
    ini.ReadSectionValues("main", &list);
    EXPECT_EQ(LinesOf(list), (std::vector<AnsiString>{"Language=English", "GRIDLINES=1", "Title= padded "}));
    EXPECT_TRUE(ini.SectionExists("DBGROUP"));
    EXPECT_FALSE(ini.SectionExists("nothing"));
    EXPECT_TRUE(ini.ValueExists("main", "gridlines"));
    EXPECT_FALSE(ini.ValueExists("main", "hidden"));
}

TEST(TIniFile, ValuesLoseBlanksAndOnePairOfQuotes) {
    struct Case {
        const char* line;
        AnsiString value;
    };
    const Case cases[] = {
        {"v=plain", "plain"},
        {"v = \t spaced \t", "spaced"},
        {"v=\" keeps blanks \"", " keeps blanks "},
        {"v='single'", "single"},
        {"v=\"\"inner\"\"", "\"inner\""},  // only one pair goes
        {"v=\"mismatched'", "\"mismatched'"},
        {"v=\"", "\""},
        {"v=\"\"", ""},
        {"v=", ""},
        {"v=a=b ; not a comment", "a=b ; not a comment"},
        {"v=\xC0\xFF", "\xC0\xFF"},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        TempFolder::Write(folder.File("v.ini"), std::string("[s]\r\n") + c.line + "\r\n");
        TIniFile ini(folder.File("v.ini"));
        EXPECT_EQ(ini.ReadString("s", "v", "default"), c.value) << c.line;
    }
}

TEST(TIniFile, OneWriteChangesOnlyItsLine) {
    TempFolder folder;
    std::string file = folder.File("a.ini");
    TempFolder::Write(file, kSettings);
    TIniFile ini(file);

    ini.WriteString("MAIN", "gridlines", "0");  // rewritten in place, name kept as in the file
    std::string expected = Replace(kSettings, "GRIDLINES=1\n", "GRIDLINES=0\n");
    EXPECT_EQ(TempFolder::Read(file), expected);

    ini.WriteString("main", "Width", "640");  // after the section's last key, before its trailing comment
    expected = Replace(expected, "Title=\" padded \"\r\n", "Title=\" padded \"\r\nWidth=640\r\n");
    EXPECT_EQ(TempFolder::Read(file), expected);

    ini.WriteString("New", "Key", "v");  // a new section goes at the end
    expected += "[New]\r\nKey=v\r\n";
    EXPECT_EQ(TempFolder::Read(file), expected);

    ini.DeleteKey("DBGROUP", "GroupName1");
    expected = Replace(expected, "[dbgroup]\r\nGroupName1=Main\r\n", "[dbgroup]\r\n");
    EXPECT_EQ(TempFolder::Read(file), expected);
    ini.WriteString("DBGROUP", "GroupName1", "Alt");  // a section without keys takes it after its header
    expected = Replace(expected, "[dbgroup]\r\n", "[dbgroup]\r\nGroupName1=Alt\r\n");
    EXPECT_EQ(TempFolder::Read(file), expected);

    ini.EraseSection("main");  // the first [Main] with all its lines; the second one shows through
    expected = expected.substr(0, expected.find("[Main]")) + expected.substr(expected.find("[dbgroup]"));
    EXPECT_EQ(TempFolder::Read(file), expected);
    EXPECT_EQ(ini.ReadString("Main", "Language", "?"), "Hidden");
}

// A write-back of what the file already says (an empty value refilled with an
// empty default, on every start) is no write: the file is not replaced.
TEST(TIniFile, AWriteThatChangesNoByteLeavesTheFileAlone) {
    TempFolder folder;
    const std::string file = folder.File("a.ini");
    TempFolder::Write(file, kSettings);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    TIniFile ini(file);
    ini.WriteString("main", "gridlines", "1");
    ini.WriteString("MAIN", "Language", "English");  // blanks around '=': rewritten
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(TempFolder::Read(file), Replace(kSettings, "Language = English", "Language=English"));
    ini.WriteString("Main", "Language", "English");
    ini.WriteString("DBGroup", "GroupName1", "Main");
    struct stat again {};
    ASSERT_EQ(::stat(file.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, after.st_ino);
}

TEST(TIniFile, CreatesFilesAndEndsAnUnfinishedLastLine) {
    TempFolder folder;
    TIniFile fresh(folder.File("new.ini"));
    EXPECT_EQ(fresh.ReadInteger("a", "b", 7), 7);
    fresh.WriteInteger("Sec", "Count", 3);
    EXPECT_EQ(TempFolder::Read(folder.File("new.ini")), "[Sec]\r\nCount=3\r\n");

    TempFolder::Write(folder.File("open.ini"), "[A]\r\nx=1");
    TIniFile open(folder.File("open.ini"));
    open.WriteString("A", "y", "2");
    open.WriteString("B", "z", "3");
    EXPECT_EQ(TempFolder::Read(folder.File("open.ini")), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");

    TIniFile nowhere(folder.File("no/such/folder.ini"));
    try {
        nowhere.WriteString("a", "b", "c");
        FAIL() << "wrote into a missing folder";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + folder.File("no/such/folder.ini") + ". No such file or directory");
    }
}

namespace {

// Writes that must fail: the message names the file and the reason, and the
// file and its folder are byte for byte as they were.
void ExpectFailedWritesChangeNothing(const std::string& file, const std::string& reason) {
    const std::string before = TempFolder::Read(file);
    const std::string folder = std::filesystem::path(file).parent_path().string();
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    TIniFile ini(file);
    const std::string big(16384, 'v');
    const std::function<void()> writes[] = {
        [&] { ini.WriteString("Main", "Language", big); },
        [&] { ini.WriteString("New", "Key", big); },
        [&] { ini.WriteString("dbgroup", "GroupName2", big); },
    };
    for (const auto& write : writes) {
        try {
            write();
            ADD_FAILURE() << "the write went through";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + file + ". " + reason);
        }
        EXPECT_EQ(TempFolder::Read(file), before);
    }
    std::vector<std::string> after;
    for (const auto& e : std::filesystem::directory_iterator(folder)) after.push_back(e.path().filename().string());
    EXPECT_EQ(after.size(), names.size()) << "a temporary file was left behind";
}

}  // namespace

TEST(TIniFile, AFullDiskLeavesTheFileAsItWasAndRaises) {
    SmallDisk disk(64 * 1024);
    if (!disk.Available()) GTEST_SKIP() << "no tmpfs can be mounted here; the file size limit test stands in";
    const std::string file = disk.File("Tesk.ini");
    TempFolder::Write(file, kSettings);
    disk.Fill();
    {
        SCOPED_TRACE("whole-file write");
        ExpectFailedWritesChangeNothing(file, "No space left on device");
    }
    // A folder that refuses new files: the text is written in place, but only
    // once the disk has room for all of it.
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    AsOtherUser other;
    ASSERT_TRUE(other.Ok());
    SCOPED_TRACE("in-place write");
    ExpectFailedWritesChangeNothing(file, "No space left on device");
}

TEST(TIniFile, AnIoErrorLeavesTheFileAsItWasAndRaises) {
    TempFolder folder;
    const std::string file = folder.File("Tesk.ini");
    TempFolder::Write(file, kSettings);
    FileSizeLimit limit(8192);
    ExpectFailedWritesChangeNothing(file, "File too large");
}

// A file that exists but cannot be read reads as empty; a write would build
// the new file from nothing and replace the user's, so it raises instead.
TEST(TIniFile, AFileThatCannotBeReadIsNeverReplaced) {
    TempFolder folder;
    const std::string file = folder.File("Tesk.ini");
    TempFolder::Write(file, kSettings);
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0777), 0);
    {
        AsOtherUser other;
        ASSERT_TRUE(other.Ok());
        if (::eaccess(file.c_str(), R_OK) == 0) GTEST_SKIP() << "the file cannot be made unreadable here";
        TIniFile ini(file);
        EXPECT_EQ(ini.ReadString("Main", "Language", "none"), "none");
        const std::function<void()> writes[] = {
            [&] { ini.WriteString("Main", "Language", "Deutsch"); },
            [&] { ini.WriteInteger("New", "Key", 1); },
            [&] { ini.EraseSection("Main"); },
        };
        for (const auto& write : writes) {
            try {
                write();
                ADD_FAILURE() << "the write went through";
            } catch (const EIniFileException& e) {
                EXPECT_EQ(e.Message(), "Unable to write to " + file + ". Permission denied");
            }
        }
    }
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    EXPECT_EQ(TempFolder::Read(file), kSettings);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// A line that already reads as the write would leave it is not written
// again: the write cannot fail, and the file is not touched.
TEST(TIniFile, AWriteThatChangesNothingWritesNothing) {
    TempFolder folder;
    const std::string file = folder.File("English.lng");
    TempFolder::Write(file, "[Interfase]\r\nihHint=\r\niCaption = Find\r\n");
    TIniFile ini(file);
    FileSizeLimit limit(0);
    EXPECT_NO_THROW(ini.WriteString("interfase", "IHHINT", ""));
    EXPECT_THROW(ini.WriteString("Interfase", "iCaption", "Find"), EIniFileException);  // blanks go
    EXPECT_THROW(ini.WriteString("Interfase", "ihHint", "x"), EIniFileException);
    EXPECT_EQ(TempFolder::Read(file), "[Interfase]\r\nihHint=\r\niCaption = Find\r\n");
}

TEST(TIniFile, AFolderThatRefusesNewFilesIsWrittenInPlace) {
    TempFolder folder;
    const std::string file = folder.File("Tesk.ini");
    TempFolder::Write(file, kSettings);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.Path().c_str(), ::geteuid() == 0 ? 0755 : 0555), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    TIniFile ini(file);
    {
        AsOtherUser other;
        ASSERT_TRUE(other.Ok());
        if (::eaccess(folder.Path().c_str(), W_OK) == 0) GTEST_SKIP() << "the folder cannot be made read-only here";
        ini.WriteString("Main", "Language", "Deutsch");
        EXPECT_EQ(TempFolder::Read(file), Replace(kSettings, "Language = English", "Language=Deutsch"));
        ini.EraseSection("Main");
        ini.EraseSection("Main");
        ini.EraseSection("dbgroup");
        EXPECT_EQ(TempFolder::Read(file), "; settings written by hand\r\n");
    }
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not a new one
}

TEST(TIniFile, TwoObjectsOnOneFileSeeEachOthersWrites) {
    TempFolder folder;
    TIniFile first(folder.File("shared.ini"));
    TIniFile second(folder.File("shared.ini"));
    first.WriteString("DBGroup", "GroupName1", "Main");
    EXPECT_EQ(second.ReadString("dbgroup", "GroupName1", ""), "Main");
    second.WriteBool("DBGroup", "Flag", true);
    EXPECT_TRUE(first.ReadBool("DBGroup", "Flag", false));
    second.EraseSection("DBGroup");
    EXPECT_FALSE(first.SectionExists("DBGroup"));
}

TEST(TIniFile, AByteOrderMarkIsNoPartOfTheFirstLine) {
    const std::string mark = "\xEF\xBB\xBF";
    TempFolder folder;
    const std::string file = folder.File("marked.lng");
    TempFolder::Write(file, mark + "[First]\r\nKey=v\r\n[Second]\r\nOther=w\r\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("First", "Key", "?"), "v");
    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(LinesOf(list), (std::vector<AnsiString>{"First", "Second"}));

    // Writes land in the first section and leave the mark where it is.
    ini.WriteString("first", "Key", "changed");
    ini.WriteString("First", "Added", "x");
    EXPECT_EQ(TempFolder::Read(file), mark + "[First]\r\nKey=changed\r\nAdded=x\r\n[Second]\r\nOther=w\r\n");
    ini.EraseSection("First");
    ini.EraseSection("Second");
    EXPECT_EQ(TempFolder::Read(file), mark);
    ini.WriteString("New", "Key", "v");
    EXPECT_EQ(TempFolder::Read(file), mark + "[New]\r\nKey=v\r\n");

    // A mark anywhere else is text of its line.
    TempFolder::Write(file, "[A]\r\n" + mark + "Key=v\r\n");
    EXPECT_EQ(ini.ReadString("A", "Key", "?"), "?");
    EXPECT_EQ(ini.ReadString("A", mark + "Key", "?"), "v");
}

// A file saved in UTF-8 reads, when asked to look, in the code page; what is
// written goes back in the file's own encoding. A file in the code page, or
// any file while nobody asked, reads byte for byte.
TEST(TIniFile, AFileInUtf8ReadsAndWritesInItsOwnEncoding) {
    const std::string mark = "\xEF\xBB\xBF";
    const std::string word = "\xD0\x9C\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD0\xBB";  // "Metall" in Cyrillic, UTF-8
    const AnsiString inPage = "\xCC\xE5\xF2\xE0\xEB\xEB";                        // the same in 1251
    const AnsiString added = "\xC4\xE0";                                         // "Da" in 1251
    struct Case {
        const char* what;
        std::string bytes;
        bool detect;
        bool utf8;  // read and written as UTF-8
    } const cases[] = {
        {"UTF-8 with its mark", mark + "[W]\r\nKey=" + word + "\r\n", true, true},
        {"UTF-8", "[W]\r\nKey=" + word + "\r\n", true, true},
        {"the mark alone before ASCII", mark + "[W]\r\nKey=plain\r\n", true, true},
        {"code page", "[W]\r\nKey=" + inPage + "\r\n", true, false},
        {"ASCII", "[W]\r\nKey=plain\r\n", true, false},
        {"UTF-8, nobody asked", "[W]\r\nKey=" + word + "\r\n", false, false},
    };
    TempFolder folder;
    const std::string file = folder.File("words.lng");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder::Write(file, c.bytes);
        TIniFile ini(file);
        ini.SetDetectUtf8(c.detect);
        EXPECT_EQ(ini.IsUtf8(), c.utf8);
        const AnsiString value = ini.ReadString("W", "Key", "");
        if (c.bytes.find("plain") == std::string::npos)
            EXPECT_EQ(value, c.utf8 || c.bytes.find(inPage) != std::string::npos ? inPage : AnsiString(word));
        ini.WriteString("W", "Added", added);
        const std::string written = c.bytes + "Added=" + (c.utf8 ? std::string("\xD0\x94\xD0\xB0") : added) + "\r\n";
        EXPECT_EQ(TempFolder::Read(file), written);
        EXPECT_EQ(ini.ReadString("W", "Added", ""), added);
    }
}

TEST(TIniFile, KeysWhoseLettersTheCodePageLacksAreNamedOnce) {
    TempFolder folder;
    const std::string file = folder.File("words.lng");
    // Greek omega and a Chinese letter have no place in 1251; the second
    // "[W]" and the second "a" are never read, so they are not named.
    TempFolder::Write(file, "[W]\r\na=x\xCE\xA9\r\nb=\xD0\x94\xD0\xB0\r\nA=\xE4\xB8\xAD\r\nc=\xE4\xB8\xAD\r\n"
                            "[V]\r\nd=\xCE\xA9\r\n[w]\r\ne=\xCE\xA9\r\n");
    TIniFile ini(file);
    TStringList keys;
    ini.ReadKeysWithLostLetters(&keys);
    EXPECT_EQ(keys.Count(), 0);  // nobody asked to look
    ini.SetDetectUtf8(true);
    ini.ReadKeysWithLostLetters(&keys);
    EXPECT_EQ(LinesOf(keys), (std::vector<AnsiString>{"[W] a", "[W] c", "[V] d"}));
    EXPECT_EQ(ini.ReadString("W", "a", ""), "x?");
}

// The file is parsed once and kept; every way the file can change between
// two reads of one object still shows in the second read, however quickly it
// follows the first.
TEST(TIniFile, AKeptFileSeesEveryChange) {
    TempFolder folder;
    const std::string file = folder.File("kept.ini");
    struct Case {
        const char* name;
        std::function<void()> change;
        AnsiString expected;
    };
    const Case cases[] = {
        {"another object writes", [&] { TIniFile(file).WriteString("S", "Key", "two"); }, "two"},
        {"another program rewrites it in place",
         [&] { TempFolder::Write(file, "[S]\r\nKey=two\r\n"); }, "two"},
        {"another program replaces it",
         [&] {
             TempFolder::Write(file + ".new", "[S]\r\nKey=two\r\n");
             std::filesystem::rename(file + ".new", file);
         },
         "two"},
        {"another program writes a longer value", [&] { TempFolder::Write(file, "[S]\r\nKey=three\r\n"); },
         "three"},
        {"it is removed", [&] { std::filesystem::remove(file); }, "gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder::Write(file, "[S]\r\nKey=one\r\n");
        TIniFile ini(file);
        ASSERT_EQ(ini.ReadString("S", "Key", "gone"), "one");
        c.change();
        EXPECT_EQ(ini.ReadString("S", "Key", "gone"), c.expected);
        // A write of the kept object starts from the changed file.
        ini.WriteString("S", "Mine", "m");
        EXPECT_EQ(ini.ReadString("S", "Key", "gone"), c.expected);
        TIniFile other(file);
        EXPECT_EQ(other.ReadString("S", "Mine", ""), "m");
    }
}

TEST(TIniFile, TypedReadsGoThroughTheOverriddenReadString) {
    // Remembers what was asked, the way a settings reader notes missing keys.
    class TRecordingIni : public TIniFile {
    public:
        using TIniFile::TIniFile;
        std::vector<std::string> asked;
        AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override {
            asked.push_back(Section + "/" + Ident + "/" + Default);
            AnsiString value = TIniFile::ReadString(Section, Ident, Default);
            if (value.empty()) WriteString(Section, Ident, Default);
            return value;
        }
    };
    TempFolder folder;
    std::string file = folder.File("t.ini");
    TempFolder::Write(file, "[T]\r\nHex=$1F\r\nCHex=0x10\r\nBad=12a\r\nNo=0\r\nReal=2.5\r\n");
    TRecordingIni ini(file);
    EXPECT_EQ(ini.ReadInteger("T", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("T", "CHex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("T", "Bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("T", "Missing", 5), 5);
    EXPECT_FALSE(ini.ReadBool("T", "No", true));
    EXPECT_TRUE(ini.ReadBool("T", "MissingBool", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("T", "Real", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("T", "Bad", 1.25), 1.25);
    EXPECT_EQ(ini.asked, (std::vector<std::string>{"T/Hex/", "T/CHex/", "T/Bad/", "T/Missing/", "T/No/",
                                                   "T/MissingBool/", "T/Real/", "T/Bad/"}));
    // Missing typed keys were written back empty by the override.
    EXPECT_EQ(TempFolder::Read(file),
              "[T]\r\nHex=$1F\r\nCHex=0x10\r\nBad=12a\r\nNo=0\r\nReal=2.5\r\nMissing=\r\nMissingBool=\r\n");
}
