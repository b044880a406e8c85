#include <gtest/gtest.h>

#include "text/uTools.h"

namespace {

AnsiString Bytes(std::initializer_list<int> bytes) {
    AnsiString s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

TEST(Koi8, AllLettersAgainstTheirNames) {
    CodePage::SetActive(1251);
    // KOI8-R 0xC0 .. 0xFF in code order, written as the letters themselves.
    const AnsiString expected = FromUtf8Literal(
        "юабцдефгхийклмнопярстужвьызшэщчъ"
        "ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
    ASSERT_EQ(expected.size(), 64u);
    AnsiString koi;
    for (int b = 0xC0; b <= 0xFF; ++b) koi += static_cast<char>(b);
    const AnsiString got = ConvertKoi8ToWin1251(koi);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(static_cast<unsigned char>(got[i]), static_cast<unsigned char>(expected[i]))
            << "KOI8-R byte 0x" << std::hex << 0xC0 + i;
}

TEST(Koi8, OtherBytes) {
    struct Case {
        const char* what;
        AnsiString in, want;
    };
    const Case cases[] = {
        {"a word", Bytes({0xF0, 0xD2, 0xC9, 0xD7, 0xC5, 0xD4}), Bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2})},
        {"Latin, digits, line breaks", "Metal: 12\r\nx\t", "Metal: 12\r\nx\t"},
        {"KOI8-R yo and YO", Bytes({0xA3, 0xB3}), Bytes({0xB8, 0xA8})},
        {"box drawing at 0xA8/0xB8 passes", Bytes({0xA8, 0xB8, 0x80, 0xBF, 0x00}), Bytes({0xA8, 0xB8, 0x80, 0xBF, 0x00})},
        {"empty", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ConvertKoi8ToWin1251(c.in), c.want) << c.what;
}

}  // namespace
