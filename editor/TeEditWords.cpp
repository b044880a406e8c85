// Word moves and bracket matching of the editor.
#include <algorithm>

#include "editor/TeEdit.h"

TSysCharSet TCustomTeEdit::IdentChars() const {
    if (highlighter_) return highlighter_->GetIdentChars();
    TSysCharSet s;
    for (int c = 33; c <= 255; ++c) s.set(static_cast<size_t>(c));
    return s;
}

bool TCustomTeEdit::IsIdentChar(unsigned char AChar) const { return IdentChars().test(AChar); }

bool TCustomTeEdit::IsWordChar(unsigned char c) const {
    if (highlighter_) return highlighter_->GetIdentChars().test(c) && !highlighter_->WordBreakChars().test(c);
    // Letters of the code page's upper half, except the two that are no letters
    // in the Latin pages (multiplication and division signs).
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 192 && c != 215 && c != 247);
}

namespace {
TSysCharSet WordSet(const TCustomTeEdit* e) {
    TSysCharSet s;
    for (int c = 1; c < 256; ++c)
        if (e->IsWordChar(static_cast<unsigned char>(c))) s.set(static_cast<size_t>(c));
    return s;
}
TSysCharSet WhiteSet(const TCustomTeEdit* e) {
    TSysCharSet s;
    for (int c = 1; c < 256; ++c)
        if (!e->IsWordChar(static_cast<unsigned char>(c))) s.set(static_cast<size_t>(c));
    return s;
}
}  // namespace

TBufferCoord TCustomTeEdit::NextWordPosEx(const TBufferCoord& XY) {
    int cx = XY.Char, cy = XY.Line;
    if (cy < 1 || cy > lines_->Count()) return XY;
    AnsiString line = lines_->Strings(cy - 1);
    int n = static_cast<int>(line.size());
    if (cx < n) {
        TSysCharSet white = WhiteSet(this), word = WordSet(this);
        int start = cx;
        if (cx >= 1 && IsWordChar(static_cast<unsigned char>(line[static_cast<size_t>(cx - 1)])))
            start = StrScanForCharInSet(line, cx, white);
        if (start > 0) start = StrScanForCharInSet(line, start, word);
        int mb = StrScanForMultiByteChar(line, cx + 1);
        if (mb > 0 && (start == 0 || mb < start)) start = mb;
        cx = start == 0 ? n + 1 : start;
        return BufferCoord(cx, cy);
    }
    if (cy < lines_->Count()) {
        AnsiString next = lines_->Strings(cy);
        int r = StrScanForCharInSet(next, 1, WordSet(this));
        int mb = StrScanForMultiByteChar(next, 1);
        if (mb > 0 && (r == 0 || mb < r)) r = mb;
        return BufferCoord(r == 0 ? 1 : r, cy + 1);
    }
    return XY;
}

TBufferCoord TCustomTeEdit::PrevWordPosEx(const TBufferCoord& XY) {
    int cx = XY.Char, cy = XY.Line;
    if (cy < 1 || cy > lines_->Count()) return XY;
    AnsiString line = lines_->Strings(cy - 1);
    cx = std::min(cx, static_cast<int>(line.size()) + 1);
    if (cx > 1) {
        TSysCharSet white = WhiteSet(this), word = WordSet(this);
        int found = cx - 1;
        bool ok = true;
        unsigned char before = static_cast<unsigned char>(line[static_cast<size_t>(cx - 2)]);
        if (IsWhiteChar(before) || before == 0) {
            found = StrRScanForCharInSet(line, cx - 1, word);
            ok = found > 0;
        }
        int result = 0;
        if (ok) result = StrRScanForCharInSet(line, found, white) + 1;
        int mb = StrRScanForMultiByteChar(line, cx - 1);
        if (mb > result) result = mb;
        if (result == 0) {
            if (cy > 1) return BufferCoord(static_cast<int>(lines_->Strings(cy - 2).size()) + 1, cy - 1);
            return BufferCoord(1, cy);
        }
        return BufferCoord(result, cy);
    }
    if (cy > 1) return BufferCoord(static_cast<int>(lines_->Strings(cy - 2).size()) + 1, cy - 1);
    return XY;
}

TBufferCoord TCustomTeEdit::WordStartEx(const TBufferCoord& XY) {
    int cx = XY.Char, cy = XY.Line;
    if (cy < 1 || cy > lines_->Count()) return XY;
    AnsiString line = lines_->Strings(cy - 1);
    cx = std::min(cx, static_cast<int>(line.size()) + 1);
    if (cx > 1 && !IsWhiteChar(static_cast<unsigned char>(line[static_cast<size_t>(cx - 2)])))
        cx = StrRScanForCharInSet(line, cx - 1, WhiteSet(this)) + 1;
    return BufferCoord(cx, cy);
}

TBufferCoord TCustomTeEdit::WordEndEx(const TBufferCoord& XY) {
    int cx = XY.Char, cy = XY.Line;
    if (cy < 1 || cy > lines_->Count()) return XY;
    AnsiString line = lines_->Strings(cy - 1);
    int r = StrScanForCharInSet(line, cx, WhiteSet(this));
    return BufferCoord(r == 0 ? static_cast<int>(line.size()) + 1 : r, cy);
}

AnsiString TCustomTeEdit::GetWordAtRowCol(TBufferCoord XY) {
    if (XY.Line < 1 || XY.Line > lines_->Count()) return "";
    TBufferCoord a = WordStartEx(XY), b = WordEndEx(XY);
    AnsiString line = lines_->Strings(XY.Line - 1);
    if (b.Char <= a.Char) return "";
    return line.substr(static_cast<size_t>(a.Char - 1), static_cast<size_t>(b.Char - a.Char));
}

AnsiString TCustomTeEdit::WordAtCursor() {
    TBufferCoord oldBegin = blockBegin_, oldEnd = blockEnd_;
    TTeSelectionMode mode = activeSelectionMode_;
    TBufferCoord a = WordStart(), b = WordEnd();
    blockBegin_ = a;
    blockEnd_ = b;
    activeSelectionMode_ = smNormal;
    AnsiString result = SelText();
    blockBegin_ = oldBegin;
    blockEnd_ = oldEnd;
    activeSelectionMode_ = mode;
    return result;
}

TBufferCoord TCustomTeEdit::GetMatchingBracketEx(const TBufferCoord& APoint) {
    static const char kBrackets[] = "()[]{}<>";
    if (APoint.Line < 1 || APoint.Line > lines_->Count()) return BufferCoord(0, 0);
    AnsiString line = lines_->Strings(APoint.Line - 1);
    if (APoint.Char < 1 || APoint.Char > static_cast<int>(line.size())) return BufferCoord(0, 0);
    char b = line[static_cast<size_t>(APoint.Char - 1)];
    const char* at = std::find(kBrackets, kBrackets + 8, b);
    if (at == kBrackets + 8) return BufferCoord(0, 0);
    int i = static_cast<int>(at - kBrackets);
    bool opening = i % 2 == 0;
    char partner = opening ? kBrackets[i + 1] : kBrackets[i - 1];
    int level = 1;
    if (opening) {
        for (int y = APoint.Line; y <= lines_->Count(); ++y) {
            AnsiString s = y == APoint.Line ? line : lines_->Strings(y - 1);
            for (int x = y == APoint.Line ? APoint.Char + 1 : 1; x <= static_cast<int>(s.size()); ++x) {
                char c = s[static_cast<size_t>(x - 1)];
                if (c == b) ++level;
                else if (c == partner && --level == 0) return BufferCoord(x, y);
            }
        }
    } else {
        for (int y = APoint.Line; y >= 1; --y) {
            AnsiString s = y == APoint.Line ? line : lines_->Strings(y - 1);
            for (int x = y == APoint.Line ? APoint.Char - 1 : static_cast<int>(s.size()); x >= 1; --x) {
                char c = s[static_cast<size_t>(x - 1)];
                if (c == b) ++level;
                else if (c == partner && --level == 0) return BufferCoord(x, y);
            }
        }
    }
    return BufferCoord(0, 0);
}

// Off a bracket (or without a partner) the position is (0, 0), which the caret
// clamping turns into (1, 1).
void TCustomTeEdit::FindMatchingBracket() { InternalSetCaretXY(GetMatchingBracket()); }
