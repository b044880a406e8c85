// A Cyrillic language file saved in the code page, in UTF-8 and in UTF-8 with
// a byte-order mark: a copied spy report imports alike through the clipboard
// and the paste box, the captions show the letters, a letter the code page
// lacks is reported once with its key, and a value written back keeps the
// file's encoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/TeEdit.h"
#include "platform/gui/ComCtrls.h"
#include "platform/rtl/CodePage.h"
#include "tests/app/AppTestSupport.h"
#include "text/uHtmlClipbrd.h"

using namespace apptest;

namespace {

const std::string kMark = "\xEF\xBB\xBF";

// The shipped file with these keys' values replaced (UTF-8 here).
std::string RussianLanguage() {
    const std::pair<const char*, const char*> words[] = {
        {"ESHeaderResources", "Сырьё на"},
        {"ESAt", "] время"},
        {"ESMetal", "Металл:"},
        {"ESCrystal", "Кристалл:"},
        {"ESDeuterium", "Дейтерий:"},
        {"ESEnergy", "Энергия:"},
        {"ESHeaderFleets", "Флоты"},
        {"ESLightFighter", "\"Лёгкий истребитель \""},
        {"ESHeaderResearch", "Исследования"},
        {"ESWeaponTechnology", "\"Оружейная технология \""},
        {"ESCounterEspionage", "Шанс на защиту от шпионажа:"},
        {"iSpyName", "Шпионские доклады"},
        {"iPSpyName", "Вставить доклады"},
        {"VBMetal", "Металл"},
        {"m3", "Планеты"},
    };
    std::string text = ShippedFile("lang/English.lng");
    for (const auto& [key, value] : words) {
        const size_t at = text.find("\n" + std::string(key) + "=");
        EXPECT_NE(at, std::string::npos) << key;
        const size_t from = at + 2 + std::string(key).size();
        text.replace(from, text.find('\r', from) - from, value);
    }
    return text;
}

// A spy report as the game shows it (UTF-8), on planet "Дача".
std::string SpyReport(const char* Coordinates) {
    return std::string("Сырьё на Дача [") + Coordinates +
           "] время 07-23 14:05:09\r\nМеталл: 12000\tКристалл: 8000\r\nДейтерий: 3000\tЭнергия: 150\r\n"
           "Флоты\r\nЛёгкий истребитель 50\r\nИсследования\r\nОружейная технология 7\r\n"
           "Шанс на защиту от шпионажа: 12%";
}

void PutOnClipboard(TfrmMain* w, const std::string& Utf8Page) {
    std::string html = "<html><body><p>";
    for (char c : Utf8Page) html += c == '\n' ? std::string("<br>") : std::string(1, c);
    w->Clipboard->Open();
    w->Clipboard->Clear();
    w->Clipboard->SetAsHTML(html + "</p></body></html>");
    w->Clipboard->SetAsText(Utf8ToAnsi(Utf8Page));
    w->Clipboard->Close();
}

// A program started on the folder with Russian.lng as its language.
TfrmMain* StartWithRussian(MainWindowFixture& f, const std::string& LanguageBytes) {
    WriteFile(f.folder.File("Russian.lng"), LanguageBytes);
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=Russian\r\n");
    return f.Start();
}

TEST(LanguageEncodingTest, ACyrillicFileReadsAlikeInTheCodePageAndInUtf8) {
    const std::string utf8 = RussianLanguage();
    struct Case {
        const char* what;
        std::string bytes;
    } const cases[] = {
        {"code page", Utf8ToAnsi(utf8)},
        {"UTF-8", utf8},
        {"UTF-8 with its mark", kMark + utf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowFixture f;
        const std::string db = f.folder.File("Tesk.mdb");
        TfrmMain* w = StartWithRussian(f, c.bytes);
        EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
        EXPECT_FALSE(TakeTermination());

        // The captions in the controls, in the code page.
        EXPECT_EQ(w->tsViewSpyReports->Caption(), Utf8ToAnsi("Шпионские доклады"));
        EXPECT_EQ(w->tsProcessSpyReports->Caption(), Utf8ToAnsi("Вставить доклады"));
        EXPECT_EQ(w->m3->Caption(), Utf8ToAnsi("Планеты"));
        EXPECT_EQ(ColumnOf(w->grdPlanet, "Metal")->Title()->Caption(), Utf8ToAnsi("Металл"));

        // Copied in the game: the watcher takes it.
        w->pcMain->SetActivePage(w->tsViewSpyReports);
        w->cmbPlayer->SetText("Bravo");
        PutOnClipboard(w, SpyReport("1:234:5"));
        w->ClipboardChanged(nullptr);
        EXPECT_EQ(w->pcMain->ActivePage(), w->tsProcessSpyReports);
        EXPECT_EQ(LastLog(w), "Message: Spy report on 1:234:5 processed successfully");

        // Pasted into the box by hand.
        w->mnuWatchClipboard->SetChecked(false);
        w->pcMain->SetActivePage(w->tsProcessSpyReports);
        w->SetActiveControl(w->memSpy);
        PutOnClipboard(w, SpyReport("1:234:6"));
        w->actPaste->Execute();
        w->actProcessSpyReport->Execute();
        EXPECT_EQ(LastLog(w), "Message: Spy report on 1:234:6 processed successfully");

        EXPECT_EQ(QuerySql(db, "SELECT group_concat(PlanetID||PlanetName||Metal||'/'||Crystal||'/'||LightFighter, ' ') "
                               "FROM tblPlanet"),
                  "5Дача12000/8000/50 6Дача12000/8000/50");
        EXPECT_EQ(QuerySql(db, "SELECT WeaponTechnology FROM tblPlayer WHERE Name='Bravo'"), "7");
        // Nothing was missing: the file is as it was.
        EXPECT_EQ(ReadFile(f.folder.File("Russian.lng")), c.bytes);
    }
}

TEST(LanguageEncodingTest, ALetterTheCodePageLacksIsReportedOnceWithItsKey) {
    // "iSorted" is read for two pages; Greek omega is no letter of 1251.
    std::string utf8 = RussianLanguage();
    const std::string sorted = "iSorted=\"Sorted by \"";
    utf8.replace(utf8.find(sorted), sorted.size(), "iSorted=\"Порядок Ω \"");
    MainWindowFixture f;
    TfrmMain* w = StartWithRussian(f, utf8);
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    const std::string text = f.dialogs->Messages[0].Text;
    EXPECT_NE(text.find("Russian.lng"), std::string::npos) << text;
    const size_t key = text.find("[Interfase] iSorted");
    EXPECT_NE(key, std::string::npos) << text;
    EXPECT_EQ(text.find("[Interfase] iSorted", key + 1), std::string::npos) << text;
    EXPECT_FALSE(TakeTermination());
    // The rest of the file reads as it should, the lost letter as "?".
    EXPECT_EQ(w->tsViewSpyReports->Caption(), Utf8ToAnsi("Шпионские доклады"));
    EXPECT_EQ(w->lblSorted->Caption().substr(0, 9), Utf8ToAnsi("Порядок ?"));

    // Loading the language again tells nothing new.
    int lines = 0;
    for (int i = 0; i < w->memLog->Lines()->Count(); ++i)
        lines += w->memLog->Lines()->Strings(i).find("[Interfase] iSorted") != AnsiString::npos;
    EXPECT_EQ(lines, 1);
    w->SetActiveLanguage("Russian");
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_NE(LastLog(w).find("[Interfase] iSorted"), std::string::npos);
}

TEST(LanguageEncodingTest, AValueWrittenBackKeepsTheFilesEncoding) {
    // Without a hint key, whose default goes back into the file.
    const std::string hint = "mhFind=Find alliance, player or planet\r\n";
    for (const std::string& mark : {std::string(), kMark}) {
        SCOPED_TRACE(mark.empty() ? "UTF-8" : "UTF-8 with its mark");
        std::string bytes = mark + RussianLanguage();
        bytes.erase(bytes.find(hint), hint.size());
        MainWindowFixture f;
        StartWithRussian(f, bytes);
        EXPECT_TRUE(f.dialogs->Messages.empty());
        const std::string written = ReadFile(f.folder.File("Russian.lng"));
        EXPECT_TRUE(written.starts_with(mark + "[EspionageIdentifiers]"));
        EXPECT_NE(written.find("mhFind=Find alliance, player or planet\r\n"), std::string::npos);
        EXPECT_NE(written.find("iSpyName=Шпионские доклады\r\n"), std::string::npos);
        // The next start reads it as UTF-8 still.
        TfrmMain* w = f.Start();
        EXPECT_EQ(w->tsViewSpyReports->Caption(), Utf8ToAnsi("Шпионские доклады"));
        EXPECT_EQ(ReadFile(f.folder.File("Russian.lng")), written);
    }
}

}  // namespace
