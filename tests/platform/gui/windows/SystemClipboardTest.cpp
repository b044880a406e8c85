// TClipboard on the system clipboard: one copy holds every format, and change
// notices tell our own copies from other programs'.
#include <gtest/gtest.h>

#include "platform/gui/ClipboardWatch.h"
#include "tests/platform/gui/windows/WindowTestSupport.h"

namespace {

class TClipWatcher : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> Updates;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_CLIPBOARDUPDATE) {
            Updates.push_back(m.WParam);
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

class SystemClipboard : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        UseSystemClipboard();
        AddClipboardListener(MakeEvent(this, &SystemClipboard::Notice));
    }
    void TearDown() override {
        RemoveClipboardListener(MakeEvent(this, &SystemClipboard::Notice));
        SetClipboardBackend(nullptr);
        WindowTest::TearDown();
    }
    void Notice(bool own) { notices.push_back(own); }
    std::vector<bool> notices;
};

TEST_F(SystemClipboard, TextAndTwoRegisteredFormatsGoInOneCopyAndComeBack) {
    const TClipboardFormat csv = RegisterClipboardFormat("Csv");
    const TClipboardFormat block = RegisterClipboardFormat("TeEdit Control Block Type");
    const AnsiString text = FromUtf8Literal("Строка 1\r\nline 2");
    const std::string blockBytes("\x01text\0", 6);

    TClipboard* clip = Clipboard();
    clip->Open();
    clip->SetAsText(text);
    clip->SetBuffer(csv, "a;b\r\n", 5);
    clip->SetBuffer(block, blockBytes.data(), blockBytes.size());
    clip->Close();
    EXPECT_EQ(notices, std::vector<bool>{true}) << "one change, recognised as ours";

    EXPECT_TRUE(clip->HasFormat(CF_TEXT));
    EXPECT_TRUE(clip->HasFormat(csv));
    EXPECT_TRUE(clip->HasFormat(block));
    EXPECT_FALSE(clip->HasFormat(RegisterClipboardFormat("Rich Text Format")));
    EXPECT_EQ(clip->AsText(), text);
    std::string bytes;
    ASSERT_TRUE(clip->GetBuffer(block, bytes));
    EXPECT_EQ(bytes, blockBytes);
    ASSERT_TRUE(clip->GetBuffer(csv, bytes));
    EXPECT_EQ(bytes, "a;b\r\n");
}

TEST_F(SystemClipboard, AnotherProgramsCopyIsAForeignChangeAndReplacesEverything) {
    auto* watcher = Add<TClipWatcher>("Watcher", 0, 0, 10, 10);
    ASSERT_TRUE(AddClipboardFormatListener(watcher->Handle()));
    const TClipboardFormat csv = RegisterClipboardFormat("Csv");

    Clipboard()->SetAsText("ours");
    SetForeignClipboardText("from\nelsewhere");
    Clipboard()->SetAsText("ours again");
    EXPECT_EQ(notices, (std::vector<bool>{true, false, true}));
    Application->ProcessMessages();
    EXPECT_EQ(watcher->Updates, (std::vector<WPARAM>{1, 0, 1}));

    SetForeignClipboardText("from\nelsewhere");
    EXPECT_EQ(Clipboard()->AsText(), "from\r\nelsewhere");
    EXPECT_FALSE(Clipboard()->HasFormat(csv));

    RemoveClipboardFormatListener(watcher->Handle());
    Clipboard()->SetAsText("unheard");
    Application->ProcessMessages();
    EXPECT_EQ(watcher->Updates.size(), 4u);
}

TEST_F(SystemClipboard, HtmlFormatTravelsAsUtf8Html) {
    const TClipboardFormat html = RegisterClipboardFormat("HTML Format");
    const std::string page = "<b>\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82</b>";  // "Тест" in UTF-8
    Clipboard()->SetBuffer(html, page.data(), page.size());
    std::string back;
    ASSERT_TRUE(Clipboard()->GetBuffer(html, back));
    EXPECT_NE(back.find(page), std::string::npos);
    EXPECT_TRUE(Clipboard()->HasFormat(html));
}

}  // namespace
