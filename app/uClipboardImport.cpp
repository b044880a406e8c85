#include "app/uClipboardImport.h"

#include <cstring>

#include "app/uGameText.h"
#include "app/uSolarSystemImport.h"
#include "app/uVocabulary.h"
#include "data/uExceptions.h"
#include "text/Regex.h"
#include "text/uTools.h"

namespace {

bool Matches(TRegex& Regex, const AnsiString& Text) { return !Text.empty() && Regex.Exec(Text); }

void PrepareCaseFree(TRegex& Regex, const AnsiString& Pattern) {
    Regex.SetModifierStr("igs");
    Regex.SetExpression(Pattern);
}

// One clipboard form in the three readings, each converted once on first use:
// a notice tries several patterns on the same form.
class TReadings {
public:
    explicit TReadings(const AnsiString& Text) : asIs_(Text) {}
    const AnsiString& In(int Kind) {
        if (Kind == teAsIs) return asIs_;
        AnsiString& converted = Kind == teKoi8 ? koi8_ : utf8_;
        bool& made = Kind == teKoi8 ? koi8Made_ : utf8Made_;
        if (!made) {
            converted = ConvertByEncoding(asIs_, Kind);
            made = true;
        }
        return converted;
    }

private:
    const AnsiString& asIs_;
    AnsiString koi8_, utf8_;
    bool koi8Made_ = false, utf8Made_ = false;
};

int FirstMatchingEncoding(TRegex& Regex, TReadings& Text) {
    for (int kind : {teAsIs, teKoi8, teUtf8})
        if (Matches(Regex, Text.In(kind))) return kind;
    return teNoMatch;
}

// Whether the text holds "<header word> <anything> [G:S:P]", the spy-report
// header as the classifier takes it. One pass over the text: a pattern with
// "anything" in the middle is tried again from every header word and takes
// time that grows with their number.
bool HoldsSpyReportHeader(const AnsiString& Text) {
    const AnsiString word = ESHeaderResources + " ";
    const int first = FindWord(word, Text);
    if (ESHeaderResources.empty() || first == 0) return false;
    // The first header word leaves the most text for the coordinates. They
    // close with "]": a text with none after the word holds no header, and
    // no " [" after the last one can open coordinates.
    const size_t after = first - 1 + word.size();
    if (after >= Text.size()) return false;
    const void* last = memrchr(Text.data() + after, ']', Text.size() - after);
    if (!last) return false;
    const size_t close = static_cast<size_t>(static_cast<const char*>(last) - Text.data());
    auto isDigit = [&](size_t i) { return i < Text.size() && Text[i] >= '0' && Text[i] <= '9'; };
    for (size_t i = after; (i = Text.find(" [", i)) != AnsiString::npos && i < close; ++i) {
        size_t j = i + 2;
        bool coordinates = true;
        for (const char end : {':', ':', ']'}) {
            const size_t digits = j;
            while (isDigit(j)) ++j;
            coordinates = j > digits && j < Text.size() && Text[j] == end;
            if (!coordinates) break;
            ++j;
        }
        if (coordinates) return true;
    }
    return false;
}

// The patterns of the other two kinds begin with a word of the language
// file; where that word (with no pattern characters of its own) does not
// occur, the pattern cannot match, and the text is not handed to it.
bool MayHold(const AnsiString& Text, std::initializer_list<const AnsiString*> Words) {
    for (const AnsiString* w : Words) {
        if (w->empty() || w->find_first_of("\\^$.|?*+()[]{}") != AnsiString::npos) return true;
        if (FindWord(*w, Text) > 0) return true;
    }
    return false;
}

int FirstMatchingEncoding(TRegex& Regex, TReadings& Text, std::initializer_list<const AnsiString*> Words) {
    for (int kind : {teAsIs, teKoi8, teUtf8})
        if (MayHold(Text.In(kind), Words) && Matches(Regex, Text.In(kind))) return kind;
    return teNoMatch;
}

bool SpyReportInSomeEncoding(TReadings& Text) {
    for (int kind : {teAsIs, teKoi8, teUtf8})
        if (HoldsSpyReportHeader(Text.In(kind))) return true;
    return false;
}

}  // namespace

bool IsValidUtf8(const AnsiString& Text) {
    const auto* s = reinterpret_cast<const unsigned char*>(Text.data());
    const size_t n = Text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        int follow;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(follow) >= n) return false;
        for (int k = 1; k <= follow; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point.
        if ((follow == 2 && cp < 0x800) || (follow == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

AnsiString ConvertByEncoding(const AnsiString& Text, int Kind) {
    if (Kind == teKoi8) return ConvertKoi8ToWin1251(Text);
    if (Kind == teUtf8) return Utf8ToAnsi(Text);
    return Text;
}

int MatchInAnyEncoding(const AnsiString& Text, const AnsiString& Pattern) {
    TRegex regex;
    PrepareCaseFree(regex, Pattern);
    TReadings readings(Text);
    return FirstMatchingEncoding(regex, readings);
}

int ClassifyClipboard(const AnsiString& Html, const AnsiString& Text) {
    if (Html.empty() && Text.empty()) return ckNone;
    if (Text.find("Generated by Tesk") != AnsiString::npos) return ckNone;
    TReadings html(Html), text(Text);
    TRegex regex;
    auto both = [&](const AnsiString& Pattern, std::initializer_list<const AnsiString*> Words) {
        PrepareCaseFree(regex, Pattern);
        return FirstMatchingEncoding(regex, html, Words) != teNoMatch &&
               FirstMatchingEncoding(regex, text, Words) != teNoMatch;
    };
    // In this order; each needs both forms.
    if (both(SolarSystemHeaderPattern(), {&SSSolarSystem})) return ckSolarSystem;
    if (SpyReportInSomeEncoding(html) && SpyReportInSomeEncoding(text)) return ckSpyReport;
    if (both(BREachOtherOn + "|" + BREachOtherAt, {&BREachOtherOn, &BREachOtherAt})) return ckCombatReport;
    return ckNone;
}

bool WantsClipboardNotice(const IClipboardWindow& Window) { return Window.WatchClipboard() && !Window.Busy(); }

void ClipboardChanged(IClipboardWindow& Window, const AnsiString& Html, const AnsiString& Text) {
    if (!WantsClipboardNotice(Window)) return;
    switch (ClassifyClipboard(Html, Text)) {
        case ckSpyReport:
            Window.Beep(0);
            Window.StartSpyReport(Text);
            break;
        case ckSolarSystem: {
            Window.Beep(0);
            const AnsiString pattern = SolarSystemHeaderPattern();
            // The HTML form is UTF-8 whenever it is valid UTF-8, so names keep
            // their letters; the probe only decides for other bytes.
            AnsiString page = IsValidUtf8(Html) ? Utf8ToAnsi(Html)
                                                : ConvertByEncoding(Html, MatchInAnyEncoding(Html, pattern));
            if (page.empty()) page = ConvertByEncoding(Text, MatchInAnyEncoding(Text, pattern));
            Window.StartSolarSystem(page);
            break;
        }
        case ckCombatReport:
            Window.Beep(0);
            Window.StartCombatReport(Text);
            break;
        default:
            break;
    }
}

void ProcessAlliances(TdmMain* dm, IAlliancePage& Page) {
    try {
        if (Page.AllianceText().empty()) throw ETeskException("Nothing to process");
        const AnsiString text = NormaliseGameText(Page.AllianceText());
        Page.SetAllianceText(text);
        TRegex line;
        line.SetModifierStr("igs");
        line.SetExpression("(\\d+)\\s+.\\s+([\\w.\\s-]+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)");
        TTransactionScope transaction(dm->adoConnection);
        TADOQuery* alliance = dm->qryAlliance;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == AnsiString::npos) end = text.size();
            const AnsiString l = Trim(text.substr(start, end - start));
            start = end + 2;
            if (l.empty() || !line.Exec(l)) continue;
            const AnsiString name = Trim(line.Match(2));
            // No alliance is made without a name.
            if (name.empty()) continue;
            int average, ranking, members;
            if (!TryStrToInt(line.Match(5), average) || !TryStrToInt(line.Match(1), ranking) ||
                !TryStrToInt(line.Match(3), members))
                throw ETeskException(l);
            if (dm->FindAllianceByName(name)) {
                alliance->Edit();
            } else {
                alliance->Append();
            }
            alliance->FieldByName("AverageScore")->SetAsInteger(average);
            alliance->FieldByName("Name")->SetAsString(name);
            alliance->FieldByName("Ranking")->SetAsInteger(ranking);
            alliance->FieldByName("Members")->SetAsInteger(members);
            alliance->Post();
        }
        transaction.Commit();
        Page.SetAllianceText("");
        Page.RefillAlliances();
        Page.AddToLog(Format("%s - Message: Alliance statistics processed successfully", {LogTimeStamp()}));
    } catch (const std::exception& e) {
        dm->qryAlliance->Cancel();
        Page.ReportError("alliances", e);
    }
}
