#include "app/uGameText.h"

#include "text/uQuickStrings.h"

namespace {

// Two digits at a 1-based index, converted as the run-time converts integers.
int TwoDigits(const AnsiString& Text, int Index) { return StrToInt(Copy(Text, Index, 2)); }

}  // namespace

int FindWord(const AnsiString& Word, const AnsiString& Text, int From) {
    if (Word.empty() || From < 1 || From > static_cast<int>(Text.size())) return 0;
    return SmartPos(Word, Text, false, From, true);
}

AnsiString ExtractBetween(const AnsiString& StartTag, const AnsiString& EndTag, const AnsiString& Text, int& Pos,
                          bool Peek) {
    const int p = FindWord(StartTag, Text, Pos);
    if (p == 0) return "0";
    const int from = p + static_cast<int>(StartTag.size());
    const int q = FindWord(EndTag, Text, from);
    if (q == 0)
        throw EAssertionFailed(Format("Couldn't find %s in text starting from position %d (%s, line %d)",
                                      {EndTag, from, "uMain", 938}));
    AnsiString result = Trim(Copy(Text, from, q - from));
    if (!Peek) Pos = q;
    return result;
}

AnsiString ExtractBetweenInt(const AnsiString& StartTag, const AnsiString& EndTag, const AnsiString& Text, int& Pos,
                             bool Peek) {
    const AnsiString number = GameNumberText(ExtractBetween(StartTag, EndTag, Text, Pos, Peek));
    return number.empty() ? AnsiString("0") : number;
}

AnsiString GameNumberText(const AnsiString& Text) {
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = Text.size() > 0 && Text[0] == '-' ? 1 : 0;
    AnsiString out = Text.substr(0, i);
    char separator = 0;
    size_t group = 0;  // digits since the last separator
    for (; i < Text.size(); ++i) {
        const char c = Text[i];
        if (isDigit(c)) {
            out += c;
            ++group;
            continue;
        }
        if (c != '.' && c != ',') return "";
        // The first group has one to three digits, every later one three.
        if (group == 0 || group > 3 || (separator && group != 3) || (separator && c != separator)) return "";
        separator = c;
        group = 0;
    }
    if (group == 0 || (separator && group != 3)) return "";
    return out;
}

bool TryReadCoordinate(const AnsiString& Text, int& Value) {
    if (Text.empty() || Text.size() > 10) return false;
    int64_t v = 0;
    for (char c : Text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX) return false;
    Value = static_cast<int>(v);
    return true;
}

AnsiString IntTextOrDefault(const AnsiString& Text, const AnsiString& Default) {
    int value;
    return TryStrToInt(Text, value) ? Text : Default;
}

int StrToIntOrDefault(const AnsiString& Text, int Default) {
    int value;
    return TryStrToInt(Text, value) ? value : Default;
}

TDateTime ParseReportDateTime(const AnsiString& Text) {
    const AnsiString t = Trim(Text);
    const int month = TwoDigits(t, 1), day = TwoDigits(t, 4);
    const int hour = TwoDigits(t, 7), minute = TwoDigits(t, 10), second = TwoDigits(t, 13);
    const TDateTime now = Now();
    int year, m, d;
    DecodeDate(now, year, m, d);
    const TDateTime time = EncodeTime(hour, minute, second, 0);
    // Both years are tried before anything is encoded for good: 29 February
    // read in a year without it belongs to the year before.
    TDateTime date;
    if (TryEncodeDate(year, month, day, date) && date + time <= now + 1) return date + time;
    return EncodeDate(year - 1, month, day) + time;
}

AnsiString NormaliseGameText(const AnsiString& Text) {
    AnsiString s = FastReplace(Text, "\t", " ", false);
    s = FastReplace(s, "\r\n", "\r\n ", false);
    return FastReplace(s, "  ", " ", false);
}

AnsiString LogTimeStamp() { return DateTimeToStr(Now()); }
