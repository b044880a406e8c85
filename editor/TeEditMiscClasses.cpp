#include "editor/TeEditMiscClasses.h"

#include <algorithm>

namespace {

bool IsLeadByte(char c) { return LeadBytes[static_cast<unsigned char>(c)]; }

bool InSet(const TSysCharSet& Chars, char c) { return Chars[static_cast<unsigned char>(c)]; }

// The 1-based index of the character boundary at or just after Start, walking
// from the start of the line so that double-byte pairs stay together.
int AlignToCharStart(const AnsiString& Line, int Start) {
    int i = 1;
    int len = static_cast<int>(Line.size());
    while (i < Start && i <= len) i += IsLeadByte(Line[static_cast<size_t>(i - 1)]) ? 2 : 1;
    return std::max(i, Start);
}

}  // namespace

int MinMax(int x, int mi, int ma) { return std::max(mi, std::min(x, ma)); }

void SwapInt(int& l, int& r) { std::swap(l, r); }

TBufferCoord MinPoint(const TBufferCoord& P1, const TBufferCoord& P2) {
    if (P2.Line < P1.Line || (P2.Line == P1.Line && P2.Char < P1.Char)) return P2;
    return P1;
}

int GetExpandedLength(const AnsiString& S, int TabWidth) {
    int column = 0;
    for (char c : S) {
        // A width below 1 would divide by zero; such a tab takes one column.
        if (c == '\t' && TabWidth > 1) column += TabWidth - column % TabWidth;
        else ++column;
    }
    return column;
}

int CharIndex2CaretPos(int Index, int TabWidth, const AnsiString& Line) {
    if (Index < 2) return 1;
    if (TabWidth < 2) return Index;
    size_t firstTab = Line.find('\t');
    if (firstTab == AnsiString::npos) return Index;
    int before = static_cast<int>(firstTab);
    if (Index <= before + 1) return Index;
    int column = before;
    int count = Index - (before + 1);
    size_t len = Line.size();
    size_t end = std::min(len, firstTab + static_cast<size_t>(count));
    for (size_t pos = firstTab; pos < end; ++pos) {
        if (Line[pos] == '\t') column += TabWidth - column % TabWidth;
        else ++column;
    }
    // Characters beyond the end of the line take one column each.
    column += count - static_cast<int>(end - firstTab);
    return column + 1;
}

int StrScanForCharInSet(const AnsiString& Line, int Start, const TSysCharSet& Chars) {
    int len = static_cast<int>(Line.size());
    if (Start < 1 || Start > len) return 0;
    if (!SysLocale.FarEast) {
        for (int i = Start; i <= len; ++i)
            if (InSet(Chars, Line[static_cast<size_t>(i - 1)])) return i;
        return 0;
    }
    int i = AlignToCharStart(Line, Start);
    while (i <= len) {
        char c = Line[static_cast<size_t>(i - 1)];
        if (IsLeadByte(c)) {
            i += 2;
            continue;
        }
        if (InSet(Chars, c)) return i;
        ++i;
    }
    return 0;
}

int StrRScanForCharInSet(const AnsiString& Line, int Start, const TSysCharSet& Chars) {
    int last = std::min(Start, static_cast<int>(Line.size()));
    if (last < 1) return 0;
    if (!SysLocale.FarEast) {
        for (int i = last; i >= 1; --i)
            if (InSet(Chars, Line[static_cast<size_t>(i - 1)])) return i;
        return 0;
    }
    int result = 0;
    int i = 1;
    while (i <= last) {
        char c = Line[static_cast<size_t>(i - 1)];
        if (IsLeadByte(c)) {
            i += 2;
            continue;
        }
        if (InSet(Chars, c)) result = i;
        ++i;
    }
    return result;
}

int StrScanForMultiByteChar(const AnsiString& Line, int Start) {
    if (!SysLocale.FarEast) return 0;
    int len = static_cast<int>(Line.size());
    for (int i = AlignToCharStart(Line, std::max(Start, 1)); i <= len; ++i)
        if (IsLeadByte(Line[static_cast<size_t>(i - 1)])) return i;
    return 0;
}

int StrRScanForMultiByteChar(const AnsiString& Line, int Start) {
    if (!SysLocale.FarEast) return 0;
    int last = std::min(Start, static_cast<int>(Line.size()));
    int result = 0;
    int i = 1;
    while (i <= last) {
        if (IsLeadByte(Line[static_cast<size_t>(i - 1)])) {
            result = i;
            i += 2;
        } else {
            ++i;
        }
    }
    return result;
}

const char* GetEOL(const char* P) {
    if (!P) return nullptr;
    while (*P != '\0' && *P != '\n' && *P != '\r') ++P;
    return P;
}

std::vector<AnsiString> SplitLines(const AnsiString& S) {
    std::vector<AnsiString> out;
    size_t start = 0;
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] == '\r' || S[i] == '\n') {
            out.push_back(S.substr(start, i - start));
            if (S[i] == '\r' && i + 1 < S.size() && S[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    out.push_back(S.substr(start));
    return out;
}

int GetDBCSCharClass(unsigned Flags) {
    const unsigned symbolOrLexical = C3_SYMBOL | C3_LEXICAL;
    bool half = (Flags & C3_HALFWIDTH) != 0;
    if (Flags == C3_SYMBOL) return 9;
    if (Flags == C3_HALFWIDTH || Flags == (C3_HALFWIDTH | C3_ALPHA)) return 1;
    if (half && (Flags & symbolOrLexical)) return 2;
    if (half && (Flags & C3_KATAKANA)) return 3;
    if (Flags == C3_FULLWIDTH || Flags == (C3_FULLWIDTH | C3_ALPHA)) return 4;
    if (!half && (Flags & symbolOrLexical)) return 5;
    if (!half && (Flags & C3_KATAKANA)) return 6;
    if (!half && (Flags & C3_HIRAGANA)) return 7;
    if (!half && (Flags & C3_IDEOGRAPH)) return 8;
    return 0;
}

void PaintGradient(TCanvas* ACanvas, TColor StartColor, TColor EndColor, bool Horizontal, const TRect& ARect,
                   int Steps) {
    Steps = MinMax(Steps, 2, 256);
    TColor start = ColorToRGB(StartColor);
    TColor end = ColorToRGB(EndColor);
    auto channel = [](TColor c, int shift) { return (c >> shift) & 0xFF; };
    int width = ARect.Width();
    int height = ARect.Height();
    for (int i = 0; i < Steps; ++i) {
        TColor color = 0;
        for (int shift : {0, 8, 16}) {
            int from = channel(start, shift);
            int value = from + MulDiv(i, channel(end, shift) - from, Steps - 1);
            color |= (value & 0xFF) << shift;
        }
        TRect band = ARect;
        if (Horizontal) {
            band.Left = ARect.Left + MulDiv(i, width, Steps);
            band.Right = ARect.Left + MulDiv(i + 1, width, Steps);
        } else {
            band.Top = ARect.Top + MulDiv(i, height, Steps);
            band.Bottom = ARect.Top + MulDiv(i + 1, height, Steps);
        }
        ACanvas->Brush()->SetColor(color);
        ACanvas->FillRect(band);
    }
}
