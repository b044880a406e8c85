// The editor's parts: the text drawer and its shared font cache, the gutter
// and option objects, the marks, and the highlighter base.
#include <gtest/gtest.h>

#include "editor/TeEdit.h"
#include "editor/TeEditTextDrawer.h"
#include "platform/classes/Streams.h"
#include "platform/rtti/Streaming.h"

namespace {

struct Notified {
    int count = 0;
    void Changed(TObject*) { ++count; }
};

}  // namespace

TEST(TextDrawer, DrawersOfOneFontShareOneRecordAndDrawInFixedCells) {
    TFont font;
    font.SetName("Courier New");
    font.SetHeight(-13);
    int before = GetFontsInfoManager()->Count();
    auto* a = new TTeTextDrawer(TFontStyles{fsBold}, &font);
    auto* b = new TTeTextDrawer(TFontStyles{fsBold}, &font);
    TTeSharedFontsInfo* shared = a->FontStock()->FontsInfo();
    EXPECT_EQ(shared, b->FontStock()->FontsInfo());
    EXPECT_EQ(shared->RefCount, 2);
    EXPECT_EQ(GetFontsInfoManager()->Count(), before + 1);
    a->SetBaseFont(&font);  // the same font again: still one reference
    EXPECT_EQ(shared->RefCount, 2);
    EXPECT_GT(a->GetCharWidth(), 0);
    EXPECT_GT(a->GetCharHeight(), 0);

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 2000, 40);
    HGDIOBJ old = SelectObject(dc, bmp);
    a->BeginDrawing(dc);
    a->BeginDrawing(dc);  // nested on the same context
    AnsiString text(100, 'M');
    a->ExtTextOut(0, 0, ETO_OPAQUE, TRect(0, 0, 2000, 20), text.c_str(), 100);
    EXPECT_EQ(a->ETODistLength(), 128);
    for (int w : a->ETODist()) EXPECT_EQ(w, a->GetCharWidth());
    a->EndDrawing();
    EXPECT_EQ(a->DC(), dc);
    a->EndDrawing();
    EXPECT_EQ(a->DC(), nullptr);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);

    // An italic variant is made once and reused.
    a->SetStyle(TFontStyles{fsItalic});
    HFONT italic = a->FontStock()->FontHandle();
    a->SetStyle(TFontStyles{});
    a->SetStyle(TFontStyles{fsItalic});
    EXPECT_EQ(a->FontStock()->FontHandle(), italic);

    delete a;
    EXPECT_EQ(shared->RefCount, 1);
    delete b;
    EXPECT_EQ(GetFontsInfoManager()->Count(), before);
    EXPECT_THROW(TTeTextDrawer(TFontStyles{}, nullptr), ETeFontStockException);
}

TEST(Gutter, ClampsFormatsNumbersAndSizesItself) {
    TTeGutter g;
    Notified n;
    g.OnChange = TNotifyEvent(&n, &Notified::Changed);
    g.SetDigitCount(20);
    EXPECT_EQ(g.DigitCount(), 12);
    g.SetDigitCount(1);
    EXPECT_EQ(g.DigitCount(), 2);
    g.SetDigitCount(4);
    g.SetWidth(-5);
    EXPECT_EQ(g.Width(), 0);
    g.SetGradientSteps(1);
    EXPECT_EQ(g.GradientSteps(), 2);

    struct Case {
        int start;
        bool zeros;
        int line;
        const char* shown;
    } cases[] = {{1, false, 7, "   7"}, {1, true, 7, "0007"}, {1, true, 12345, "12345"},
                 {0, false, 1, "   0"}, {10, false, 1, "  10"}};
    for (const Case& c : cases) {
        g.SetLineNumberStart(c.start);
        g.SetLeadingZeros(c.zeros);
        EXPECT_EQ(g.FormatLineNumber(c.line), c.shown) << c.line;
    }
    g.SetLineNumberStart(1);
    EXPECT_FALSE(g.ZeroStart());
    g.SetLeadingZeros(false);

    g.SetShowLineNumbers(true);
    g.SetAutoSize(true);
    n.count = 0;
    g.AutoSizeDigitCount(12345);
    EXPECT_EQ(g.AutoDigitCount(), 5);
    EXPECT_EQ(n.count, 1);
    g.AutoSizeDigitCount(12345);
    EXPECT_EQ(n.count, 1);
    EXPECT_EQ(g.RealGutterWidth(8), 16 + 2 + 5 * 8 + 2);
    g.SetVisible(false);
    EXPECT_EQ(g.RealGutterWidth(8), 0);
    // The border style notifies even when unchanged.
    n.count = 0;
    g.SetBorderStyle(g.BorderStyle());
    EXPECT_EQ(n.count, 1);
}

TEST(MethodChain, RemoveTakesEveryEntryOfTheMethod) {
    TTeNotifyEventChain chain(nullptr);
    Notified a, b;
    chain.Add(TNotifyEvent(&a, &Notified::Changed));
    chain.Add(TNotifyEvent(&b, &Notified::Changed));
    chain.Add(TNotifyEvent(&a, &Notified::Changed));
    chain.Fire();
    EXPECT_EQ(a.count, 2);
    chain.Remove(TNotifyEvent(&a, &Notified::Changed));
    EXPECT_EQ(chain.Count(), 1);
    EXPECT_THROW(chain.Add(TNotifyEvent()), ETeMethodChain);
}

TEST(InternalImage, OnePictureSharedByEveryUser) {
    auto* a = new TTeInternalImage(nullptr, "TeEditInternalImages", 10);
    auto* b = new TTeInternalImage(nullptr, "teeditinternalimages", 10);
    EXPECT_EQ(a->Images(), b->Images());
    EXPECT_EQ(a->Width(), 11);
    EXPECT_EQ(a->Height(), 14);
    EXPECT_EQ(TTeInternalImage::SharedReferences("TeEditInternalImages"), 2);
    delete a;
    delete b;
    EXPECT_EQ(TTeInternalImage::SharedReferences("TeEditInternalImages"), 0);
}

TEST(Marks, ListCapsMarksPerLineAndForgetsRemovedMarks) {
    TTeMemo memo(nullptr);
    memo.SetText("a\r\nb\r\nc");
    for (int i = 0; i < 20; ++i) {
        auto* m = new TTeEditMark(&memo);
        m->SetLine(2);
        memo.Marks()->Add(m);
    }
    TTeEditMark* found[TTeEditMarkList::kMaxMarksPerLine];
    memo.Marks()->GetMarksForLine(2, found);
    for (TTeEditMark* m : found) EXPECT_NE(m, nullptr);
    EXPECT_EQ(found[0], memo.Marks()->Items(0));
    EXPECT_EQ(found[15], memo.Marks()->Items(15));
    TTeEditMark* m = memo.Marks()->Items(0);
    EXPECT_FALSE(m->IsBookmark());
    EXPECT_EQ(m->GetEdit(), &memo);
    memo.Marks()->Remove(m);
    EXPECT_EQ(m->GetEdit(), nullptr);
    delete m;
}

namespace {
class TPlainHighlighter : public TTeCustomHighlighter {
public:
    using TTeCustomHighlighter::TTeCustomHighlighter;
    TTeHighlighterAttributes* GetDefaultAttribute(int) override { return nullptr; }
    bool GetEol() override { return true; }
    AnsiString GetToken() override { return ""; }
    TTeHighlighterAttributes* GetTokenAttribute() override { return nullptr; }
    TTeTokenKind GetTokenKind() override { return 0; }
    int GetTokenPos() override { return 0; }
    void Next() override {}
    void SetLine(const AnsiString&, int) override {}
};
}  // namespace

TEST(Highlighter, BaseAnswersAndChangeNotices) {
    TPlainHighlighter h(nullptr);
    EXPECT_EQ(h.GetLanguageName(), "<Unknown>");
    EXPECT_EQ(h.GetAttribCount(), 0);
    EXPECT_EQ(h.GetAttribute(-1), nullptr);
    EXPECT_EQ(h.GetAttribute(0), nullptr);
    TSysCharSet ident = h.GetIdentChars();
    EXPECT_FALSE(ident.test(32));
    EXPECT_TRUE(ident.test(33));
    EXPECT_TRUE(ident.test(255));
    TTeHighlighterAttributes attr("Comment");
    attr.SetStyle(TFontStyles{fsBold, fsUnderline});
    EXPECT_EQ(attr.IntegerStyle(), 5);
    attr.SetIntegerStyle(10);
    EXPECT_EQ(attr.Style(), (TFontStyles{fsItalic, fsStrikeOut}));

    Notified n;
    h.HookAttrChangeEvent(TNotifyEvent(&n, &Notified::Changed));
    h.SetEnabled(false);
    EXPECT_EQ(n.count, 1);
}

TEST(KeyMapStreaming, OnlyTheDifferencesFromTheDefaultMapAreWrittenAndRead) {
    auto written = [](TTeMemo* memo) {
        TMemoryStream stream;
        TWriter writer(&stream);
        writer.WriteProperties(memo);
        writer.WriteListEnd();
        return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    };
    TTeMemo memo(nullptr);
    EXPECT_EQ(written(&memo).find("Keystrokes"), std::string::npos);
    memo.Keystrokes()->Delete(0);  // Up
    TTeEditKeyStroke* k = memo.Keystrokes()->Add();
    k->SetCommand(TeEditCaseCommands::ecUpperCase);
    k->SetShortCut(ShortCut('U', ssCtrl | ssAlt));
    TTeEditKeyStrokes base(nullptr), removed(nullptr), added(nullptr);
    base.ResetDefaults();
    KeystrokesDifference(memo.Keystrokes(), &base, &removed, &added);
    ASSERT_EQ(removed.Count(), 1);
    EXPECT_EQ(removed.Items(0)->Command(), ecUp);
    ASSERT_EQ(added.Count(), 1);
    EXPECT_EQ(added.Items(0)->Command(), TeEditCaseCommands::ecUpperCase);

    std::string bytes = written(&memo);
    EXPECT_NE(bytes.find("RemovedKeystrokes"), std::string::npos);
    EXPECT_NE(bytes.find("AddedKeystrokes"), std::string::npos);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    TTeMemo other(nullptr);
    TReader reader(&stream);
    while (!reader.EndOfList()) reader.ReadProperty(&other);
    EXPECT_EQ(other.Keystrokes()->Count(), memo.Keystrokes()->Count());
    EXPECT_EQ(other.Keystrokes()->FindKeycode(VK_UP, 0), -1);
    int at = other.Keystrokes()->FindKeycode('U', ssCtrl | ssAlt);
    ASSERT_GE(at, 0);
    EXPECT_EQ(other.Keystrokes()->Items(at)->Command(), TeEditCaseCommands::ecUpperCase);
}
