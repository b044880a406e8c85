// Storage utilities: bits, GUID text, hex, words, XOR text, streams, variants.
#include <gtest/gtest.h>

#include "platform/rtti/Published.h"
#include "storage/StUtils.h"

namespace {

TSysCharSet Delims(const char* chars) {
    TSysCharSet s;
    for (const char* p = chars; *p; ++p) s.set(static_cast<unsigned char>(*p));
    return s;
}

TEST(StUtils, Bits) {
    EXPECT_EQ(SetBit(0x01, 3), 0x09);
    EXPECT_EQ(SetBit(0x00, 11), 0x08);  // bit numbers wrap at 8
    EXPECT_TRUE(TestBit(0x80, 7));
    EXPECT_FALSE(TestBit(0x80, 6));
    EXPECT_TRUE(TestBit(0x80, 15));

    uint8_t buffer[32] = {};
    SetBitBuffer(buffer, 259);  // taken modulo 256: bit 3 of byte 0
    EXPECT_EQ(buffer[0], 0x08);
    SetBitBuffer(buffer, 255);
    EXPECT_EQ(buffer[31], 0x80);
    SetBitBuffer(buffer, 17);
    EXPECT_EQ(buffer[2], 0x02);
    EXPECT_TRUE(TestBitBuffer(buffer, 17));
    EXPECT_TRUE(TestBitBuffer(buffer, 3));
    EXPECT_FALSE(TestBitBuffer(buffer, 16));
    EXPECT_TRUE(TestBitBuffer(buffer, 256 + 17));
}

TEST(StUtils, GuidText) {
    const TGUID g{0xE3754817, 0x49A3, 0x4612, {0xA2, 0x28, 0x5D, 0x44, 0xA0, 0x88, 0x68, 0x1D}};
    EXPECT_EQ(GUIDToString(g), "{E3754817-49A3-4612-A228-5D44A088681D}");
    EXPECT_EQ(GUIDToString(TGUID{}), "{00000000-0000-0000-0000-000000000000}");
}

TEST(StUtils, HexOfBuffers) {
    const uint8_t bytes[] = {0x00, 0x0A, 0xBC, 0xFF};
    EXPECT_EQ(BufToHex(bytes, 4), "000ABCFF");
    EXPECT_EQ(BufToHex(bytes, 0), "");

    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(HexToBuf("ABC", out, 4), 2);  // odd length: a leading 0
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0xBC);
    EXPECT_EQ(out[2], 0xEE);
    uint8_t one[1] = {0};
    EXPECT_EQ(HexToBuf("ABC", one, 1), 1);
    EXPECT_EQ(one[0], 0x0A);
    EXPECT_EQ(HexToBuf("0aBc", out, 4), 2);
    EXPECT_EQ(out[1], 0xBC);
    EXPECT_THROW(HexToBuf("12zz", out, 4), EConvertError);
    EXPECT_EQ(HexToBuf(BufToHex(bytes, 4), out, 4), 4);
    EXPECT_EQ(std::memcmp(out, bytes, 4), 0);
}

TEST(StUtils, Words) {
    const TSysCharSet delims = Delims(" ,");
    const AnsiString s = "10, 20,,30";
    struct Case {
        int n;
        int position;
        const char* word;
    };
    const Case cases[] = {{1, 1, "10"}, {2, 5, "20"}, {3, 9, "30"}, {4, 0, ""}, {5, 0, ""}, {0, 0, ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(WordPosition(c.n, s, delims), c.position) << c.n;
        EXPECT_EQ(ExtractWord(c.n, s, delims), c.word) << c.n;
    }
    EXPECT_EQ(ExtractWord(1, ",, x", delims), "x");
    EXPECT_EQ(ExtractWord(1, "", delims), "");
}

TEST(StUtils, XorText) {
    EXPECT_EQ(XorEncode("", "abc"), "616263");
    EXPECT_EQ(XorDecode("", "616263"), "abc");
    EXPECT_EQ(XorEncode("ab", "aaa"), "000300");  // the key starts over
    EXPECT_EQ(XorEncode("k", ""), "");
    EXPECT_EQ(XorDecode("", "6162zz6"), "ab ");    // a bad pair reads as a blank, a lone digit is dropped

    AnsiString all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (const AnsiString& key : {AnsiString(""), AnsiString("k"), AnsiString("\xFF\x00z", 3), all})
        EXPECT_EQ(XorDecode(key, XorEncode(key, all)), all);
}

TEST(StUtils, StreamsAndVariants) {
    TStringStream stream;
    EXPECT_EQ(WriteStringToStream(&stream, "abcdef", 3), 3);
    EXPECT_EQ(WriteStringToStream(&stream, "xy", 10), 2);
    EXPECT_EQ(stream.DataString(), "abcxy");
    stream.Seek(1, soBeginning);
    char buffer[8] = {};
    EXPECT_EQ(ReadCharsFromStream(&stream, buffer, 8), 4);
    EXPECT_STREQ(buffer, "bcxy");

    EXPECT_TRUE(VarIsInt(Variant(static_cast<short>(1))));
    EXPECT_TRUE(VarIsInt(Variant(1)));
    EXPECT_TRUE(VarIsInt(Variant(static_cast<signed char>(1))));
    EXPECT_TRUE(VarIsInt(Variant(static_cast<unsigned char>(1))));
    EXPECT_TRUE(VarIsInt(Variant(static_cast<unsigned short>(1))));
    EXPECT_TRUE(VarIsInt(Variant(1u)));
    EXPECT_FALSE(VarIsInt(Variant(1LL)));
    EXPECT_FALSE(VarIsInt(Variant(1.0)));
    EXPECT_FALSE(VarIsInt(Variant("1")));
    EXPECT_FALSE(VarIsInt(Variant()));
}

TEST(StUtils, ComponentBaseIsNeverStored) {
    const TPropInfo* about = GetPropInfo(TStComponent::StaticClassInfo(), "AboutStk");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->PropType, TypeInfoOf<TStkAboutInfo>());
    TStComponent c(nullptr);
    EXPECT_FALSE(IsStoredProp(&c, about));
    EXPECT_EQ(GetEnumProp(&c, about), "StkAbout");
}

}  // namespace
