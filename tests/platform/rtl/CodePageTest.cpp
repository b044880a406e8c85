#include <gtest/gtest.h>

#include "platform/rtl/CodePage.h"

namespace {

struct PageGuard {
    explicit PageGuard(int n) : previous(CodePage::Active().Number()) { CodePage::SetActive(n); }
    ~PageGuard() { CodePage::SetActive(previous); }
    int previous;
};

// Expected upper-case map: ASCII letters plus the page's own pairs; every other byte maps to itself.
void ExpectUpperMap(int page, std::vector<std::pair<int, int>> extra) {
    PageGuard guard(page);
    int expected[256];
    for (int i = 0; i < 256; ++i) expected[i] = (i >= 'a' && i <= 'z') ? i - 32 : i;
    for (auto [from, to] : extra) expected[from] = to;
    for (int i = 0; i < 256; ++i) {
        char c = static_cast<char>(i);
        EXPECT_EQ(static_cast<unsigned char>(CharUpper(c)), expected[i]) << "page " << page << " byte " << i;
        if (expected[i] != i) {
            EXPECT_EQ(static_cast<unsigned char>(CharLower(static_cast<char>(expected[i]))), i)
                << "page " << page << " byte " << i;
        }
    }
}

TEST(CodePage, Cp1251UpperMapOverAllBytes) {
    std::vector<std::pair<int, int>> extra = {{0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
                                              {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5},
                                              {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF}};
    for (int i = 0xE0; i <= 0xFF; ++i) extra.push_back({i, i - 0x20});
    ExpectUpperMap(1251, extra);
}

TEST(CodePage, Cp1252UpperMapOverAllBytes) {
    std::vector<std::pair<int, int>> extra = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
    for (int i = 0xE0; i <= 0xFE; ++i)
        if (i != 0xF7) extra.push_back({i, i - 0x20});
    ExpectUpperMap(1252, extra);
}

TEST(CodePage, Utf8RoundTripOverEveryByte) {
    for (int page : {1250, 1251, 1252}) {
        PageGuard guard(page);
        AnsiString all;
        for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all) << page;
        EXPECT_EQ(WideToAnsi(AnsiToWide(all)), all) << page;
    }
}

TEST(CodePage, ConversionsAtTheEdges) {
    PageGuard guard(1251);
    EXPECT_EQ(AnsiToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"), "Привет");
    EXPECT_EQ(Utf8ToAnsi("Ёж €"), "\xA8\xE6 \x88");
    EXPECT_EQ(Utf8ToAnsi("日本"), "??");            // not in the page
    EXPECT_EQ(Utf8ToAnsi("a\xFF" "b\xE2\x82"), "a?b??");  // each malformed byte is one "?", no text swallowed
    // File names are the system's bytes; a message shows them in the page.
    EXPECT_EQ(FileNameAsText("/home/Иван/Tesk.mdb"), "/home/\xC8\xE2\xE0\xED/Tesk.mdb");
    EXPECT_EQ(FileNameAsText("/tmp/\xC8\xE2\xE0\xED"), "/tmp/\xC8\xE2\xE0\xED");  // no UTF-8: as it is
    EXPECT_EQ(FileNameAsText("Tesk.ini"), "Tesk.ini");
}

TEST(CodePage, CaseInsensitiveComparison) {
    PageGuard guard(1251);
    EXPECT_TRUE(AnsiSameText(FromUtf8Literal("Ёлка"), FromUtf8Literal("ёЛКА")));
    EXPECT_EQ(AnsiCompareText("abc", "ABD"), -1);
    EXPECT_EQ(AnsiCompareText("ab", "AB"), 0);
    EXPECT_EQ(AnsiUpperCase(FromUtf8Literal("мир peace")), FromUtf8Literal("МИР PEACE"));
    EXPECT_EQ(UpperCase(FromUtf8Literal("мир peace")), FromUtf8Literal("мир PEACE"));
}

}  // namespace
