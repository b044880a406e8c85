// Base64 text encoding.
#include <gtest/gtest.h>

#include "storage/UtMime.h"

namespace {

TEST(UtMime, TestVectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(MimeEncodeString(plain), encoded) << plain;
        EXPECT_EQ(MimeDecodeString(encoded), plain) << encoded;
    }
    EXPECT_EQ(MimeEncodeString(AnsiString("\x00\xFF\xFE", 3)), "AP/+");
}

TEST(UtMime, LinesOf76Characters) {
    struct Case {
        int bytes;
        std::vector<size_t> lines;  // lengths of the CR LF separated lines
    };
    const Case cases[] = {{57, {76}}, {58, {76, 4}}, {114, {76, 76}}, {115, {76, 76, 4}}, {56, {76}}};
    for (const Case& c : cases) {
        AnsiString in;
        for (int i = 0; i < c.bytes; ++i) in += static_cast<char>(i * 7);
        const AnsiString out = MimeEncodeString(in);
        EXPECT_EQ(static_cast<int>(out.size()), MimeEncodedSize(c.bytes)) << c.bytes;
        std::vector<size_t> lines;
        size_t start = 0;
        for (size_t p; (p = out.find("\r\n", start)) != AnsiString::npos; start = p + 2) lines.push_back(p - start);
        lines.push_back(out.size() - start);
        EXPECT_EQ(lines, c.lines) << c.bytes;
        EXPECT_EQ(MimeDecodeString(out), in) << c.bytes;
        EXPECT_LE(MimeDecodeString(out).size(), static_cast<size_t>(MimeDecodedSize(static_cast<int>(out.size()))));
    }
}

TEST(UtMime, DecodingSkipsForeignCharacters) {
    EXPECT_EQ(MimeDecodeString("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(MimeDecodeString(" Z m 9 v\tY g = = !"), "foob");
    EXPECT_EQ(MimeDecodeString("Zm9vYg"), "foob");    // no fill characters needed
    EXPECT_EQ(MimeDecodeString("Zm9vYmE"), "fooba");
    EXPECT_EQ(MimeDecodeString("Zm9vY"), "foo");      // one pending character gives nothing
    EXPECT_EQ(MimeDecodeString("=\r\n="), "");

    AnsiString all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const AnsiString encoded = MimeEncodeString(all);
    AnsiString joined;
    for (char c : encoded)
        if (c != '\r' && c != '\n') joined += c;
    EXPECT_EQ(MimeDecodeString(encoded), all);
    EXPECT_EQ(MimeDecodeString(joined), all);
}

}  // namespace
