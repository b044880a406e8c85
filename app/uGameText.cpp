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
    return IntTextOrDefault(ExtractBetween(StartTag, EndTag, Text, Pos, Peek), "0");
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
    TDateTime result = EncodeDate(year, month, day) + time;
    if (result > now + 1) result = EncodeDate(year - 1, month, day) + time;
    return result;
}

AnsiString NormaliseGameText(const AnsiString& Text) {
    AnsiString s = FastReplace(Text, "\t", " ", false);
    s = FastReplace(s, "\r\n", "\r\n ", false);
    return FastReplace(s, "  ", " ", false);
}

AnsiString LogTimeStamp() { return DateTimeToStr(Now()); }
