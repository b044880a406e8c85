// The editor's line list: records, events, tab expansion, the longest line,
// loading and saving in the three line-break styles, and the file writer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "editor/TeEditTextBuffer.h"
#include "platform/classes/Streams.h"

namespace {

std::vector<AnsiString> Lines(const TTeEditStringList& list) {
    std::vector<AnsiString> result;
    for (int i = 0; i < list.Count(); ++i) result.push_back(list.Strings(i));
    return result;
}

void SetLines(TTeEditStringList& list, std::initializer_list<const char*> lines) {
    list.Clear();
    for (const char* s : lines) list.Add(s);
}

AnsiString Saved(TTeEditStringList& list) {
    TStringStream stream;
    list.SaveToStream(&stream);
    return stream.DataString();
}

void Load(TTeEditStringList& list, const AnsiString& bytes) {
    TStringStream stream(bytes);
    stream.Seek(0, soEnd);  // the list reads from the start whatever the position
    list.LoadFromStream(&stream);
}

// Writes every event of a list down as one line of text.
class EventLog {
public:
    explicit EventLog(TTeEditStringList& list) {
        list.OnChanging = TNotifyEvent(this, &EventLog::Changing);
        list.OnChange = TNotifyEvent(this, &EventLog::Change);
        list.OnLinesCleared = TNotifyEvent(this, &EventLog::Cleared);
        list.OnLinesInserted = TTeStringListChangeEvent(this, &EventLog::Inserted);
        list.OnLinesDeleted = TTeStringListChangeEvent(this, &EventLog::Deleted);
        list.OnLinesReplaced = TTeStringListChangeEvent(this, &EventLog::Replaced);
    }
    AnsiString Take() {
        AnsiString s = log_.str();
        log_.str("");
        return s;
    }

private:
    void Changing(TObject*) { log_ << "changing;"; }
    void Change(TObject*) { log_ << "change;"; }
    void Cleared(TObject*) { log_ << "cleared;"; }
    void Inserted(TObject*, int i, int n) { log_ << "inserted " << i << ' ' << n << ';'; }
    void Deleted(TObject*, int i, int n) { log_ << "deleted " << i << ' ' << n << ';'; }
    void Replaced(TObject*, int i, int n) { log_ << "replaced " << i << ' ' << n << ';'; }
    std::ostringstream log_;
};

class TempDir {
public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("tesk-editor-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    AnsiString File(const char* name) const { return (path_ / name).string(); }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

AnsiString ReadFileBytes(const AnsiString& name) {
    std::ifstream in(name, std::ios::binary);
    return AnsiString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(EditStringList, LoadDetectsTheLineBreakStyleAndSaveWritesIt) {
    struct Case {
        AnsiString bytes;
        std::vector<AnsiString> lines;
        TTeLineBreakStyle style;
        AnsiString saved;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b", ""}, lbsCRLF, "a\r\nb\r\n"},
        {"a\nb", {"a", "b"}, lbsLF, "a\nb"},
        {"a\rb\r", {"a", "b", ""}, lbsCR, "a\rb\r"},
        {"a\n\rb", {"a", "", "b"}, lbsCRLF, "a\r\n\r\nb"},  // LF CR is two breaks, both kinds seen
        {"a\r\nb\nc", {"a", "b", "c"}, lbsCRLF, "a\r\nb\r\nc"},  // mixed
        {"abc", {"abc"}, lbsCRLF, "abc"},
        {"\n", {"", ""}, lbsLF, "\n"},
        {AnsiString("a\0b\nc", 5), {AnsiString("a\0b", 3), "c"}, lbsLF, AnsiString("a\0b\nc", 5)},
        {"", {}, lbsCRLF, ""},
    };
    for (const Case& c : cases) {
        TTeEditStringList list;
        list.SetLineBreakStyle(lbsCR);  // overwritten by every load
        Load(list, c.bytes);
        EXPECT_EQ(Lines(list), c.lines) << testing::PrintToString(c.bytes);
        EXPECT_EQ(list.LineBreakStyle(), c.style) << testing::PrintToString(c.bytes);
        EXPECT_EQ(Saved(list), c.saved) << testing::PrintToString(c.bytes);
    }
}

TEST(EditStringList, BreakAfterLastLine) {
    TTeEditStringList list;
    list.SetBreakAfterLastLine(true);
    Load(list, "a\nb\n");
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b"}));
    EXPECT_EQ(Saved(list), "a\nb\n");
    list.SetLineBreakStyle(lbsCRLF);
    EXPECT_EQ(Saved(list), "a\r\nb\r\n");

    list.Clear();
    EXPECT_EQ(Saved(list), "");
}

TEST(EditStringList, TextHasNoBreakAfterTheLastLine) {
    TTeEditStringList list;
    EXPECT_EQ(list.Text(), "");
    list.SetText("a\r\nb\r\n");
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b"}));
    EXPECT_EQ(list.Text(), "a\r\nb");
    list.SetText("a\nb");
    EXPECT_EQ(list.Text(), "a\r\nb");
    list.SetText("x\r\n\r\ny");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(), "x\r\n\r\ny");
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
}

TEST(EditStringList, FileSaveAndLoad) {
    TempDir dir;
    const AnsiString longLine(40000, 'x');  // longer than the writer's buffer
    struct Case { TTeLineBreakStyle style; bool breakAfterLast; };
    for (const Case& c : {Case{lbsCRLF, false}, Case{lbsLF, false}, Case{lbsCR, true}, Case{lbsLF, true}}) {
        TTeEditStringList list;
        list.Add("first");
        for (int i = 0; i < 3000; ++i) list.Add("line " + std::to_string(i));
        list.Add(longLine);
        list.Add("last");
        list.SetLineBreakStyle(c.style);
        list.SetBreakAfterLastLine(c.breakAfterLast);
        AnsiString name = dir.File("text.txt");
        list.SaveToFile(name);
        EXPECT_EQ(ReadFileBytes(name), Saved(list)) << "style " << int(c.style);

        TTeEditStringList loaded;
        loaded.SetBreakAfterLastLine(c.breakAfterLast);
        loaded.LoadFromFile(name);
        EXPECT_EQ(Lines(loaded), Lines(list));
        EXPECT_EQ(loaded.LineBreakStyle(), c.style);
    }

    TTeEditStringList empty;
    AnsiString name = dir.File("empty.txt");
    empty.SaveToFile(name);
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(ReadFileBytes(name), "");

    TTeEditStringList list;
    list.Add("a");
    EXPECT_THROW(list.SaveToFile(dir.File("missing/dir/x.txt")), EFCreateError);
    EXPECT_THROW(list.LoadFromFile(dir.File("missing.txt")), EFOpenError);
    EXPECT_EQ(Lines(list), std::vector<AnsiString>{"a"});
}

TEST(EditStringList, EventsInOrder) {
    TTeEditStringList list;
    SetLines(list, {"a", "b", "c"});
    EventLog log(list);
    struct Case {
        const char* what;
        std::function<void()> op;
        const char* expected;
    };
    TStringList source;
    source.Add("s1");
    source.Add("s2");
    TStringList none;
    const Case cases[] = {
        {"Add", [&] { list.Add("d"); }, "changing;inserted 3 1;change;"},
        {"Insert", [&] { list.Insert(1, "x"); }, "changing;inserted 1 1;change;"},
        {"Put", [&] { list.SetStrings(0, "A"); }, "changing;replaced 0 1;change;"},
        {"Put at Count appends", [&] { list.SetStrings(list.Count(), "z"); }, "changing;inserted 5 1;change;"},
        {"Delete", [&] { list.Delete(2); }, "changing;deleted 2 1;change;"},
        {"Exchange", [&] { list.Exchange(0, 1); }, "changing;change;"},
        {"PutObject", [&] { list.SetObjects(0, &source); }, "changing;change;"},
        {"PutRange", [&] { list.PutRange(0, 7); }, "changing;change;"},
        {"AddStrings", [&] { list.AddStrings(&source); }, "changing;inserted 5 2;change;"},
        {"AddStrings of nothing", [&] { list.AddStrings(&none); }, ""},
        {"InsertLines", [&] { list.InsertLines(1, 2); }, "changing;inserted 1 2;change;"},
        {"InsertLines of none", [&] { list.InsertLines(1, 0); }, ""},
        // Only moving the following lines is bracketed.
        {"DeleteLines in the middle", [&] { list.DeleteLines(1, 2); }, "changing;change;deleted 1 2;"},
        {"DeleteLines at the end", [&] { list.DeleteLines(6, 5); }, "deleted 6 1;"},
        {"Clear", [&] { list.Clear(); }, "changing;cleared;change;"},
        {"Clear when empty", [&] { list.Clear(); }, ""},
        {"Text", [&] { list.SetText("p\r\nq"); }, "changing;inserted 0 1;inserted 1 1;change;"},
        {"Load", [&] { Load(list, "r\n"); }, "changing;cleared;inserted 0 1;inserted 1 1;change;"},
    };
    for (const Case& c : cases) {
        c.op();
        EXPECT_EQ(log.Take(), c.expected) << c.what;
    }
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"r", ""}));

    // BeginUpdate folds the notices into one pair.
    list.BeginUpdate();
    list.Add("1");
    list.Add("2");
    list.EndUpdate();
    EXPECT_EQ(log.Take(), "changing;inserted 2 1;inserted 3 1;change;");
}

TEST(EditStringList, RecordsAndCapacity) {
    TTeEditStringList list;
    EXPECT_EQ(list.Capacity(), 8);
    EXPECT_EQ(list.TabWidth(), 8);
    EXPECT_EQ(list.LineBreakStyle(), lbsCRLF);
    EXPECT_FALSE(list.BreakAfterLastLine());

    // Put on an empty list, and at Count, appends.
    list.SetStrings(0, "one");
    list.SetStrings(1, "two");
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"one", "two"}));
    EXPECT_EQ(list.GetRange(0), -1);
    EXPECT_EQ(list.GetFlags(0), lfLengthUnknown);

    // Opened lines start all-zero and need no expansion.
    list.InsertLines(1, 2);
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"one", "", "", "two"}));
    EXPECT_EQ(list.Capacity(), 4);  // exactly what the lines need
    EXPECT_EQ(list.GetRange(1), 0);
    EXPECT_EQ(list.GetFlags(1), 0);
    EXPECT_EQ(list.GetExpandedStringLength(1), 0);
    EXPECT_EQ(list.Objects(1), nullptr);

    list.DeleteLines(2, 100);  // cut at the last line
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"one", ""}));

    // Growth: +16 up to 64 records, then a quarter.
    TTeEditStringList grown;
    std::vector<int> capacities;
    for (int i = 0; i < 100; ++i) {
        grown.Add("x");
        if (capacities.empty() || capacities.back() != grown.Capacity()) capacities.push_back(grown.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{8, 24, 40, 56, 72, 90, 112}));

    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
    list.Add("again");
    EXPECT_EQ(list.Capacity(), 16);

    // AddStrings rounds the capacity up to a multiple of 16 and keeps the objects.
    TStringList source;
    for (int i = 0; i < 20; ++i) source.AddObject("s" + std::to_string(i), &source);
    list.AddStrings(&source);
    EXPECT_EQ(list.Count(), 21);
    EXPECT_EQ(list.Capacity(), 32);
    EXPECT_EQ(list.Strings(20), "s19");
    EXPECT_EQ(list.Objects(20), &source);
    EXPECT_EQ(list.GetRange(20), -1);

    // Self-append copies the lines that were there.
    list.AddStrings(&list);
    EXPECT_EQ(list.Count(), 42);
    EXPECT_EQ(list.Strings(41), "s19");

    list.PutRange(3, 42);
    EXPECT_EQ(list.GetRange(3), 42);
}

TEST(EditStringList, IndexErrorsLeaveTheListAlone) {
    TTeEditStringList list;
    SetLines(list, {"a", "b"});
    struct Case {
        const char* what;
        std::function<void()> op;
        int reported;
    };
    const Case cases[] = {
        {"Put -1", [&] { list.SetStrings(-1, "x"); }, -1},
        {"Put past Count", [&] { list.SetStrings(3, "x"); }, 3},
        {"PutObject", [&] { list.SetObjects(2, nullptr); }, 2},
        {"PutRange", [&] { list.PutRange(2, 1); }, 2},
        {"Delete", [&] { list.Delete(2); }, 2},
        {"Delete -1", [&] { list.Delete(-1); }, -1},
        {"Exchange second", [&] { list.Exchange(0, 2); }, 2},
        {"Exchange first", [&] { list.Exchange(-1, 5); }, -1},
        {"Insert", [&] { list.Insert(3, "x"); }, 3},
        {"InsertLines", [&] { list.InsertLines(-1, 1); }, -1},
        {"InsertLines checks before the count", [&] { list.InsertLines(3, 0); }, 3},
        {"DeleteLines", [&] { list.DeleteLines(2, 1); }, 2},
        {"DeleteLines -1", [&] { list.DeleteLines(-1, 1); }, -1},
    };
    for (const Case& c : cases) {
        try {
            c.op();
            ADD_FAILURE() << c.what << " did not raise";
        } catch (const ETeEditStringList& e) {
            EXPECT_EQ(e.Message(), "Invalid stringlist index " + std::to_string(c.reported)) << c.what;
        }
        EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b"})) << c.what;
    }
    list.DeleteLines(7, 0);  // nothing to delete: no check

    try {
        list.SetCapacity(1);
        ADD_FAILURE() << "capacity below count accepted";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "Stringlist capacity cannot be smaller than count");
    }
    EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b"}));

    // Readers never raise.
    for (int i : {-1, 2}) {
        EXPECT_EQ(list.Strings(i), "");
        EXPECT_EQ(list.Objects(i), nullptr);
        EXPECT_EQ(list.GetRange(i), 0);
        EXPECT_EQ(list.GetExpandedString(i), "");
        EXPECT_EQ(list.GetExpandedStringLength(i), 0);
    }
}

TEST(EditStringList, TabExpansionAtSeveralWidths) {
    EXPECT_EQ(GetBestConvertTabsProc(0), &ExpandTabsOneForOne);
    EXPECT_EQ(GetBestConvertTabsProc(1), &ExpandTabsOneForOne);
    for (int w : {2, 4, 8, 256, 65536}) EXPECT_EQ(GetBestConvertTabsProc(w), &ExpandTabsMasked) << w;
    for (int w : {3, 6, 100, 131072}) EXPECT_EQ(GetBestConvertTabsProc(w), &ExpandTabsDivided) << w;

    struct Case { int width; const char* line; const char* expanded; };
    const Case cases[] = {
        {1, "x\ty", "x y"},
        {3, "x\ty", "x\t\ty"},
        {4, "x\ty", "x\t\t\ty"},
        {8, "x\ty", "x\t\t\t\t\t\t\ty"},
        {4, "\t\tab\tc", "\t\t\t\t\t\t\t\tab\t\tc"},
        {3, "abc\td\t", "abc\t\t\td\t\t"},
        {6, "a\tb", "a\t\t\t\t\tb"},
    };
    for (const Case& c : cases) {
        TTeEditStringList list;
        list.SetTabWidth(c.width);
        list.Add(c.line);
        list.Add("plain");
        list.Add("");
        EXPECT_EQ(list.GetExpandedStringLength(0), static_cast<int>(std::strlen(c.expanded))) << c.width << c.line;
        EXPECT_EQ(list.GetExpandedString(0), c.expanded) << c.width << " '" << c.line << "'";
        EXPECT_EQ(list.GetFlags(0), lfHasTabs);
        EXPECT_EQ(list.GetExpandedString(1), "plain");
        EXPECT_EQ(list.GetFlags(1), lfNoTabs);
        EXPECT_EQ(list.GetExpandedStringLength(2), 0);
        EXPECT_EQ(list.GetFlags(2), lfNoTabs);
        // Every expansion routine agrees with the column count of the support routine.
        EXPECT_EQ(list.GetExpandedStringLength(0), c.width < 2 ? static_cast<int>(std::strlen(c.line))
                                                               : GetExpandedLength(c.line, c.width));
    }

    // A new tab width makes every length unknown until the line is next expanded.
    TTeEditStringList list;
    list.SetTabWidth(4);
    SetLines(list, {"x\ty", "abc"});
    EXPECT_EQ(list.GetExpandedStringLength(0), 5);
    EXPECT_EQ(list.GetExpandedStringLength(1), 3);
    list.SetTabWidth(2);
    EXPECT_EQ(list.GetFlags(0), lfHasTabs | lfLengthUnknown);
    EXPECT_EQ(list.GetFlags(1), lfLengthUnknown);
    EXPECT_EQ(list.GetExpandedStringLength(0), 3);
    EXPECT_EQ(list.GetFlags(0), lfHasTabs);

    // Replacing a line's text forgets its expansion.
    list.SetStrings(1, "\t");
    EXPECT_EQ(list.GetFlags(1), lfLengthUnknown);
    EXPECT_EQ(list.GetExpandedString(1), "\t\t");
}

TEST(EditStringList, LongestLine) {
    TTeEditStringList list;
    EXPECT_EQ(list.GetLengthOfLongestLine(), 0);
    SetLines(list, {"", ""});
    EXPECT_EQ(list.GetLengthOfLongestLine(), 0);
    EXPECT_EQ(list.IndexOfLongestLine(), -1);

    SetLines(list, {"aaa", "b\tb", "cc", "123456789"});  // "b\tb" is 9 columns wide too
    EXPECT_EQ(list.GetLengthOfLongestLine(), 9);
    EXPECT_EQ(list.IndexOfLongestLine(), 1);  // ties go to the earlier line

    list.Insert(0, "0123456789ab");
    EXPECT_EQ(list.GetLengthOfLongestLine(), 12);
    EXPECT_EQ(list.IndexOfLongestLine(), 0);

    list.Exchange(0, 4);
    EXPECT_EQ(list.IndexOfLongestLine(), 4);
    EXPECT_EQ(list.GetLengthOfLongestLine(), 12);

    list.Delete(4);
    EXPECT_EQ(list.GetLengthOfLongestLine(), 9);

    list.SetStrings(0, "x");
    EXPECT_EQ(list.GetLengthOfLongestLine(), 9);
    EXPECT_EQ(list.IndexOfLongestLine(), 2);

    list.SetTabWidth(16);
    EXPECT_EQ(list.GetLengthOfLongestLine(), 17);
    EXPECT_EQ(list.IndexOfLongestLine(), 2);
}

TEST(EditStringList, LongestLineFollowsInsertedAndDeletedRuns) {
    TTeEditStringList list;
    SetLines(list, {"aaaaaa", "b", "cccc"});
    ASSERT_EQ(list.GetLengthOfLongestLine(), 6);
    list.DeleteLines(0, 1);
    EXPECT_EQ(list.GetLengthOfLongestLine(), 4);

    SetLines(list, {"b", "aaaa"});
    ASSERT_EQ(list.GetLengthOfLongestLine(), 4);
    list.InsertLines(0, 1);
    EXPECT_EQ(list.GetLengthOfLongestLine(), 4);
    EXPECT_EQ(list.IndexOfLongestLine(), 2);

    list.DeleteLines(2, 1);
    EXPECT_EQ(list.GetLengthOfLongestLine(), 1);
}
