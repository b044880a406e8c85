#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "text/uHtmlClipbrd.h"

namespace {

// Counts how often the system clipboard is really opened.
class CountingBackend : public TMemoryClipboardBackend {
public:
    bool Open() override {
        ++opens;
        return TMemoryClipboardBackend::Open();
    }
    int opens = 0;
};

class HtmlClipboard : public testing::Test {
protected:
    void SetUp() override {
        CodePage::SetActive(1251);
        backend = std::make_shared<CountingBackend>();
        SetClipboardBackend(backend);
    }
    void TearDown() override { SetClipboardBackend(nullptr); }

    std::string Stored(const std::string& mime) {
        std::string data;
        EXPECT_TRUE(backend->GetData(mime, data)) << mime;
        return data;
    }

    std::shared_ptr<CountingBackend> backend;
};

TEST_F(HtmlClipboard, ReadsTheHtmlBytesAsTheyAre) {
    THtmlClipboard clip;
    EXPECT_EQ(clip.HTMLFormat(), RegisterClipboardFormat("html format"));
    EXPECT_EQ(ClipboardFormatMimeType(clip.HTMLFormat()), "text/html");

    struct Case {
        const char* what;
        std::map<std::string, std::string> content;
        AnsiString want;
    };
    const std::string utf8 = "<b>\xD0\x9C\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD0\xBB</b>";  // UTF-8, not converted
    const Case cases[] = {
        {"only plain text", {{"text/plain", "plain"}}, ""},
        {"nothing at all", {}, ""},
        {"UTF-8 html", {{"text/html", utf8}, {"text/plain", "x"}}, utf8},
        {"cut at a zero byte", {{"text/html", std::string("<p>a\0<p>b", 8)}}, "<p>a"},
        {"header kept", {{"text/html", "Version:0.9\r\nStartHTML:0000000105\r\n<html>"}},
         "Version:0.9\r\nStartHTML:0000000105\r\n<html>"},
    };
    for (const Case& c : cases) {
        backend->SetData(c.content);
        EXPECT_EQ(clip.AsHTML(), c.want) << c.what;
    }
}

TEST_F(HtmlClipboard, FormatUnsetRaisesBeforeTouchingTheClipboard) {
    THtmlClipboard clip;
    clip.SetHTMLFormat(0);
    backend->SetHeldByOther(true);  // would fail if the clipboard were opened
    try {
        clip.AsHTML();
        ADD_FAILURE() << "read without format";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot get HTML if the HTML format is not set");
    }
    try {
        clip.SetAsHTML("<p>");
        ADD_FAILURE() << "write without format";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot set HTML if the HTML format is not set");
    }
    EXPECT_EQ(backend->opens, 0);
}

TEST_F(HtmlClipboard, ClipboardHeldByAnotherProgram) {
    THtmlClipboard clip;
    backend->SetData({{"text/html", "<p>"}});
    backend->SetHeldByOther(true);
    EXPECT_THROW(
        try { clip.AsHTML(); } catch (const EOSError& e) {
            EXPECT_EQ(e.Message(), "Cannot open clipboard");
            throw;
        },
        EOSError);
    // Nothing was left open: once free, the clipboard reads normally.
    backend->SetHeldByOther(false);
    EXPECT_EQ(clip.AsHTML(), "<p>");
}

TEST_F(HtmlClipboard, WritesOfOneOpenAreOnePieceOfData) {
    THtmlClipboard clip;
    backend->SetData({{"application/x-tesk-old", "old"}});
    const int before = backend->ChangeCount();

    clip.Open();
    clip.SetAsHTML("<i>x</i>");
    clip.SetAsText("line 1\r\nline 2");
    EXPECT_EQ(clip.AsHTML(), "<i>x</i>");  // a reader inside the open sees the new data
    EXPECT_TRUE(clip.HasFormat(CF_TEXT));
    EXPECT_EQ(backend->ChangeCount(), before);
    clip.Close();

    EXPECT_EQ(backend->ChangeCount(), before + 1);
    EXPECT_EQ(backend->opens, 1);
    EXPECT_FALSE(backend->HasFormat("application/x-tesk-old"));  // the first write emptied it
    EXPECT_EQ(Stored("text/html"), std::string("<i>x</i>\0", 9));
    EXPECT_EQ(Stored("text/plain"), "line 1\nline 2");

    // Without an Open of its own every write is a new content.
    clip.SetAsText("only");
    EXPECT_FALSE(clip.HasFormat(clip.HTMLFormat()));
    clip.Clear();
    EXPECT_FALSE(clip.HasFormat(CF_TEXT));
    EXPECT_EQ(clip.AsText(), "");
}

TEST_F(HtmlClipboard, PlainTextGoesThroughTheCodePageWithCrLf) {
    THtmlClipboard clip;
    backend->SetData({{"text/plain", "\xD0\x9C\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD0\xBB: 5\nx\r\ny\n"}});
    EXPECT_EQ(clip.AsText(), FromUtf8Literal("Металл: 5") + "\r\nx\r\ny\r\n");

    clip.SetAsText(FromUtf8Literal("Флот") + "\r\n2");
    EXPECT_EQ(Stored("text/plain"), "\xD0\xA4\xD0\xBB\xD0\xBE\xD1\x82\n2");
    EXPECT_EQ(clip.AsText(), FromUtf8Literal("Флот") + "\r\n2");
}

TEST_F(HtmlClipboard, NestedOpenReachesTheSystemOnce) {
    THtmlClipboard clip;
    backend->SetData({{"text/html", "<p>"}});
    clip.Open();
    EXPECT_EQ(clip.AsHTML(), "<p>");
    EXPECT_EQ(clip.AsText(), "");
    clip.Close();
    EXPECT_EQ(backend->opens, 1);
    EXPECT_EQ(backend->ChangeCount(), 1);  // reading wrote nothing
}

}  // namespace
