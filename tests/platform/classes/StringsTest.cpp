#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/classes/Strings.h"
#include "tests/platform/classes/TempFolder.h"

namespace {

using Lines = std::vector<AnsiString>;

Lines LinesOf(const TStrings& s) {
    Lines result;
    for (int i = 0; i < s.Count(); ++i) result.push_back(s.Strings(i));
    return result;
}

void Fill(TStrings& s, const Lines& lines) {
    s.Clear();
    for (const auto& line : lines) s.Add(line);
}

// A list that keeps only what the abstract base needs, as a line store of an
// editor would: everything else comes from TStrings' defaults.
class TBareStrings : public TStrings {
public:
    std::vector<AnsiString> lines;
    std::vector<bool> updateStates;
    void Clear() override { lines.clear(); }
    void Delete(int Index) override { lines.erase(lines.begin() + Index); }
    void Insert(int Index, const AnsiString& S) override { lines.insert(lines.begin() + Index, S); }

protected:
    AnsiString Get(int Index) const override { return lines.at(static_cast<size_t>(Index)); }
    int GetCount() const override { return static_cast<int>(lines.size()); }
    void SetUpdateState(bool Updating) override { updateStates.push_back(Updating); }
};

struct ChangeCounter : TObject {
    int changes = 0;
    int changings = 0;
    void Change(TObject*) { ++changes; }
    void Changing(TObject*) { ++changings; }
    void Attach(TStringList& list) {
        list.OnChange = MakeEvent(this, &ChangeCounter::Change);
        list.OnChanging = MakeEvent(this, &ChangeCounter::Changing);
    }
};

}  // namespace

TEST(TStrings, SetTextSplitsLikeTheFramework) {
    struct Case {
        AnsiString text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},       // LF CR is two breaks
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\r\n", {"a"}},                 // a final break adds no empty line
        {"a\n", {"a"}},
        {"a\r", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {AnsiString("a\0b\r\nc", 6), {"a"}},  // NUL ends the text
        {AnsiString("\0a", 2), {}},
        {" x \t\r\n\xC0\xFF", {" x \t", "\xC0\xFF"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetText(c.text);
        EXPECT_EQ(LinesOf(list), c.lines) << "text: " << ::testing::PrintToString(c.text);
        TBareStrings bare;
        bare.SetText(c.text);
        EXPECT_EQ(bare.lines, c.lines) << "text: " << ::testing::PrintToString(c.text);
    }
}

TEST(TStrings, GetTextEndsEveryLineWithCrLf) {
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    Fill(list, {"a", "", "b"});
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    Fill(list, {""});
    EXPECT_EQ(list.Text(), "\r\n");
    // Text survives a round trip when no line holds a break.
    list.SetText(list.Text());
    EXPECT_EQ(LinesOf(list), Lines{""});
}

TEST(TStrings, CommaTextQuotesWhatWouldNotSurviveAndRoundTrips) {
    struct Case {
        Lines lines;
        AnsiString comma;
    };
    const Case cases[] = {
        {{}, ""},
        {{"a", "b"}, "a,b"},
        {{""}, "\"\""},
        {{"a", ""}, "a,"},
        {{"", "a"}, ",a"},
        {{"a b", "c"}, "\"a b\",c"},
        {{"x,y"}, "\"x,y\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"tab\there"}, "\"tab\there\""},
        {{"\xC0\xE1\xFF", "b"}, "\xC0\xE1\xFF,b"},  // high bytes are not blanks
        {{"a", "", "b"}, "a,,b"},
    };
    for (const auto& c : cases) {
        TStringList list;
        Fill(list, c.lines);
        EXPECT_EQ(list.CommaText(), c.comma);
        TStringList back;
        back.SetCommaText(c.comma);
        EXPECT_EQ(LinesOf(back), c.lines) << "comma text: " << c.comma;
    }
}

TEST(TStrings, SetCommaTextSplitsAtBlanksOutsideQuotes) {
    struct Case {
        AnsiString comma;
        Lines lines;
    };
    const Case cases[] = {
        {"TRUE, YES, Y", {"TRUE", "YES", "Y"}},
        {"a b,c", {"a", "b", "c"}},
        {"  a ,  b  ", {"a", "b"}},
        {"\"a, b\" c", {"a, b", "c"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {"\"unterminated", {"unterminated"}},
        {"\"\"\"\"", {"\""}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetCommaText(c.comma);
        EXPECT_EQ(LinesOf(list), c.lines) << "comma text: " << c.comma;
    }
}

TEST(TStrings, DelimitedTextUsesDelimiterAndQuoteChar) {
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    list.SetDelimitedText("a;'b;c';'it''s' d");
    EXPECT_EQ(LinesOf(list), (Lines{"a", "b;c", "it's", "d"}));
    EXPECT_EQ(list.DelimitedText(), "a;'b;c';'it''s';d");
    // CommaText keeps its own separators whatever the delimiter is.
    EXPECT_EQ(list.CommaText(), "a,b;c,it's,d");
}

TEST(TStrings, NamesAndValues) {
    TStringList list;
    Fill(list, {"Width=10", "plain", "Caption=a=b", "empty="});
    EXPECT_EQ(list.Names(0), "Width");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.Values("width"), "10");      // names ignore letter case
    EXPECT_EQ(list.Values("Caption"), "a=b");   // only the first '=' separates
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.ValueFromIndex(2), "a=b");
    EXPECT_EQ(list.ValueFromIndex(1), "");
    EXPECT_EQ(list.IndexOfName("EMPTY"), 3);
    EXPECT_EQ(list.IndexOfName("plain"), -1);

    list.SetValues("WIDTH", "20");   // rewrites the line under the given name
    list.SetValues("Height", "5");   // appends
    list.SetValues("Caption", "");   // deletes
    EXPECT_EQ(LinesOf(list), (Lines{"WIDTH=20", "plain", "empty=", "Height=5"}));
    list.SetValueFromIndex(2, "x");
    EXPECT_EQ(list.Strings(2), "empty=x");
}

TEST(TStringList, IndexOfIgnoresCaseUnlessCaseSensitive) {
    TStringList list;
    Fill(list, {"Alpha", "\xC0\xE1\xE2"});  // Cyrillic "Abv" in 1251
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("\xE0\xC1\xC2"), 1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(TStringList, SortedListKeepsOrderAndAppliesDuplicates) {
    struct Case {
        TDuplicates mode;
        Lines after;
        int indexOfDuplicate;
    };
    const Case cases[] = {
        {dupIgnore, {"apple", "Banana", "cherry"}, 1},
        {dupAccept, {"apple", "banana", "Banana", "cherry"}, 1},  // new equal item goes first
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.mode);
        for (const char* s : {"cherry", "Banana", "apple"}) list.Add(s);
        EXPECT_EQ(list.Add("banana"), c.indexOfDuplicate);
        EXPECT_EQ(LinesOf(list), c.after);
    }

    TStringList strict;
    strict.SetSorted(true);
    strict.SetDuplicates(dupError);
    strict.Add("one");
    try {
        strict.Add("ONE");
        FAIL() << "duplicate accepted";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(strict.Count(), 1);

    int index = -1;
    EXPECT_FALSE(strict.Find("pear", index));
    EXPECT_EQ(index, 1);
    EXPECT_THROW(strict.Insert(0, "zero"), EStringListError);
    EXPECT_THROW(strict.SetStrings(0, "zero"), EStringListError);
}

TEST(TStringList, SortingOnDemand) {
    TStringList list;
    Fill(list, {"b", "C", "a", "B"});
    list.SetCaseSensitive(true);
    list.SetSorted(true);
    ASSERT_GE(list.IndexOf("C"), 0);
    EXPECT_EQ(list.Strings(list.IndexOf("C")), "C");
    EXPECT_EQ(list.IndexOf("c"), -1);
    // Switching the comparison re-sorts, so binary search stays right.
    list.SetCaseSensitive(false);
    EXPECT_EQ(list.IndexOf("c"), list.Count() - 1);
    EXPECT_EQ(list.Strings(0), "a");

    TStringList numbers;
    Fill(numbers, {"10", "9", "100", "1"});
    numbers.CustomSort([](TStringList* l, int a, int b) {
        return std::stoi(l->Strings(a)) - std::stoi(l->Strings(b));
    });
    EXPECT_EQ(LinesOf(numbers), (Lines{"1", "9", "10", "100"}));

    // A larger shuffled list comes out in order.
    TStringList many;
    for (int i = 0; i < 500; ++i) many.Add(std::to_string((i * 7919) % 500 + 1000));
    many.Sort();
    for (int i = 1; i < many.Count(); ++i) EXPECT_LT(many.Strings(i - 1), many.Strings(i));
}

TEST(TStringList, ObjectsTravelWithTheirStrings) {
    TObject a, b, c;
    TStringList list;
    list.AddObject("a", &a);
    list.AddObject("b", &b);
    list.AddObject("c", &c);
    list.Exchange(0, 2);
    list.Move(0, 1);
    EXPECT_EQ(LinesOf(list), (Lines{"b", "c", "a"}));
    EXPECT_EQ(list.Objects(0), &b);
    EXPECT_EQ(list.Objects(1), &c);
    EXPECT_EQ(list.IndexOfObject(&a), 2);

    TStringList copy;
    copy.Add("gone");
    copy.Assign(&list);
    EXPECT_TRUE(copy.Equals(&list));
    EXPECT_EQ(copy.Objects(2), &a);

    TBareStrings bare;  // Exchange and Move through the abstract base
    bare.SetText("1\r\n2\r\n3");
    bare.Exchange(0, 2);
    bare.Move(2, 0);
    EXPECT_EQ(bare.lines, (Lines{"1", "3", "2"}));
}

TEST(TStringList, ChangeEventsAndNestedUpdates) {
    TStringList list;
    ChangeCounter counter;
    counter.Attach(list);
    list.Add("a");
    EXPECT_EQ(counter.changings, 1);
    EXPECT_EQ(counter.changes, 1);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.SetText("x\r\ny");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(counter.changes, 1);
    list.EndUpdate();
    EXPECT_EQ(counter.changings, 2);
    EXPECT_EQ(counter.changes, 2);

    list.SetCommaText("1,2,3");  // one whole-list replacement, one notice
    EXPECT_EQ(counter.changes, 3);
    list.Clear();
    list.Clear();  // nothing to clear, no notice
    EXPECT_EQ(counter.changes, 4);

    TBareStrings bare;
    bare.BeginUpdate();
    bare.BeginUpdate();
    bare.EndUpdate();
    bare.EndUpdate();
    bare.SetText("a\r\nb");
    EXPECT_EQ(bare.updateStates, (std::vector<bool>{true, false, true, false}));
}

TEST(TStringList, IndexErrorsNameTheIndex) {
    TStringList list;
    list.Add("a");
    struct Case {
        const char* what;
        std::function<void()> action;
        AnsiString message;
    };
    const Case cases[] = {
        {"Strings", [&] { (void)list.Strings(1); }, "List index out of bounds (1)"},
        {"Delete", [&] { list.Delete(-1); }, "List index out of bounds (-1)"},
        {"Insert", [&] { list.Insert(3, "x"); }, "List index out of bounds (3)"},
        {"Objects", [&] { (void)list.Objects(5); }, "List index out of bounds (5)"},
    };
    for (const auto& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << c.what << " did not raise";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
    }
}

TEST(TStrings, FilesAreRawBytes) {
    TempFolder folder;
    std::string file = folder.File("lines.txt");
    TempFolder::Write(file, "one\n\xC0\xFF\r\nthree\rfour");
    TStringList list;
    list.LoadFromFile(file);
    EXPECT_EQ(LinesOf(list), (Lines{"one", "\xC0\xFF", "three", "four"}));
    list.SaveToFile(file);
    EXPECT_EQ(TempFolder::Read(file), "one\r\n\xC0\xFF\r\nthree\r\nfour\r\n");

    // Loading from a stream takes the bytes from its position on.
    TStringStream stream("skip|a\r\nb");
    stream.SetPosition(5);
    list.LoadFromStream(&stream);
    EXPECT_EQ(LinesOf(list), (Lines{"a", "b"}));

    EXPECT_THROW(list.LoadFromFile(folder.File("missing.txt")), EFOpenError);
}
