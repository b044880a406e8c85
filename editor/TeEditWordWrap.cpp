#include "editor/TeEditWordWrap.h"

#include <algorithm>
#include <cassert>

#include "editor/TeEdit.h"

TTeWordWrapPlugin::TTeWordWrapPlugin(TCustomTeEdit* Owner) : editor_(Owner) {
    if (!Owner) throw Exception("TTeWordWrapPlugin must be owned by TCustomTeEdit");
    Reset();
}

int TTeWordWrapPlugin::RowCount() const { return lineCount_ > 0 ? lineOffsets_[static_cast<size_t>(lineCount_ - 1)] : 0; }

int TTeWordWrapPlugin::RowsOfLine(int aIndex) const {
    return lineOffsets_[static_cast<size_t>(aIndex)] - FirstRowOfLine(aIndex);
}

int TTeWordWrapPlugin::GetRowLength(int aRow) const {
    if (aRow < 1 || aRow > RowCount()) throw EListError(Format("List index out of bounds (%d)", {aRow}));
    return rowLengths_[static_cast<size_t>(aRow - 1)];
}

void TTeWordWrapPlugin::Reset() {
    // The row width is the characters in the window, at most 255 (a row length
    // is one byte) and at least 1, so every row makes progress.
    maxRowLength_ = std::clamp(editor_->CharsInWindow(), 1, 255);
    minRowLength_ = std::max(maxRowLength_ - maxRowLength_ / 3, 1);
    breakChars_.reset();
    TSysCharSet ident = editor_->IdentChars();
    for (int c = 0; c < 256; ++c)
        if (!ident.test(static_cast<size_t>(c))) breakChars_.set(static_cast<size_t>(c));
    WrapLines();
}

void TTeWordWrapPlugin::DisplayChanged() {
    if (std::clamp(editor_->CharsInWindow(), 1, 255) != maxRowLength_) Reset();
}

void TTeWordWrapPlugin::WrapLines() {
    lineCount_ = editor_->Lines()->Count();
    lineOffsets_.assign(static_cast<size_t>(lineCount_), 0);
    rowLengths_.clear();
    for (int i = 0; i < lineCount_; ++i) {
        int before = static_cast<int>(rowLengths_.size());
        lineOffsets_[static_cast<size_t>(i)] = before;  // the line has no rows yet
        ReWrapLine(i);
    }
}

int TTeWordWrapPlugin::ReWrapLine(int aIndex) {
    const AnsiString s = editor_->EditLines()->GetExpandedString(aIndex);
    const int len = static_cast<int>(s.size());
    const int tabWidth = editor_->TabWidth();
    std::vector<uint8_t> rows;
    int p = 0;
    while (p + maxRowLength_ < len) {
        int q = p + maxRowLength_;
        int end;
        char c = s[static_cast<size_t>(q)];
        if (c != ' ' && c != '\t') {
            end = q;
            for (int k = q - 1; k > p + minRowLength_; --k) {
                if (breakChars_.test(static_cast<unsigned char>(s[static_cast<size_t>(k)]))) {
                    end = k + 1;
                    break;
                }
            }
        } else {
            while (q < len && (s[static_cast<size_t>(q)] == ' ' || s[static_cast<size_t>(q)] == '\t')) ++q;
            end = q;
        }
        if (end - p > 255) {
            end = p + 255;
            int limit = 255 % tabWidth;
            int back = 0;
            while (back < limit && end - 1 > p && s[static_cast<size_t>(end - 1)] == '\t') {
                --end;
                ++back;
            }
        }
        rows.push_back(static_cast<uint8_t>(end - p));
        p = end;
    }
    if (p < len || len == 0) rows.push_back(static_cast<uint8_t>(len - p));

    int first = FirstRowOfLine(aIndex);
    int oldRows = lineOffsets_[static_cast<size_t>(aIndex)] - first;
    int delta = static_cast<int>(rows.size()) - oldRows;
    auto at = rowLengths_.begin() + first;
    rowLengths_.erase(at, at + oldRows);
    rowLengths_.insert(rowLengths_.begin() + first, rows.begin(), rows.end());
    for (int i = aIndex; i < lineCount_; ++i) lineOffsets_[static_cast<size_t>(i)] += delta;
    return delta;
}

int TTeWordWrapPlugin::LinesInserted(int aIndex, int aCount) {
    if (maxRowLength_ == 0) return 0;
    assert(aIndex >= 0 && aCount >= 1 && aIndex <= lineCount_);
    int base = aIndex > 0 ? lineOffsets_[static_cast<size_t>(aIndex - 1)] : 0;
    lineOffsets_.insert(lineOffsets_.begin() + aIndex, static_cast<size_t>(aCount), base);
    lineCount_ += aCount;
    int rows = 0;
    for (int i = aIndex; i < aIndex + aCount; ++i) rows += ReWrapLine(i);
    return rows;
}

int TTeWordWrapPlugin::LinesDeleted(int aIndex, int aCount) {
    if (maxRowLength_ == 0) return 0;
    assert(aIndex >= 0 && aCount >= 1 && aIndex + aCount <= lineCount_);
    int first = FirstRowOfLine(aIndex);
    int last = lineOffsets_[static_cast<size_t>(aIndex + aCount - 1)];
    int removed = last - first;
    rowLengths_.erase(rowLengths_.begin() + first, rowLengths_.begin() + last);
    lineOffsets_.erase(lineOffsets_.begin() + aIndex, lineOffsets_.begin() + aIndex + aCount);
    lineCount_ -= aCount;
    for (int i = aIndex; i < lineCount_; ++i) lineOffsets_[static_cast<size_t>(i)] -= removed;
    return removed;
}

int TTeWordWrapPlugin::LinesPutted(int aIndex, int aCount) {
    if (maxRowLength_ == 0) return 0;
    assert(aIndex >= 0 && aCount >= 1 && aIndex + aCount <= lineCount_);
    int delta = 0;
    for (int i = aIndex; i < aIndex + aCount; ++i) delta += ReWrapLine(i);
    return delta;
}

TDisplayCoord TTeWordWrapPlugin::BufferToDisplayPos(const TBufferCoord& aPos) const {
    if (aPos.Line < 1) return DisplayCoord(aPos.Char, aPos.Line);
    if (aPos.Line > lineCount_) return DisplayCoord(aPos.Char, RowCount() + aPos.Line - lineCount_);
    int idx = aPos.Line - 1;
    int first = FirstRowOfLine(idx);
    int last = lineOffsets_[static_cast<size_t>(idx)];
    int total = 0;
    for (int r = first; r < last; ++r) {
        int before = total;
        total += rowLengths_[static_cast<size_t>(r)];
        if (total >= aPos.Char) return DisplayCoord(aPos.Char - before, r + 1);
        if (r == last - 1) return DisplayCoord(aPos.Char - before, r + 1);
    }
    return DisplayCoord(aPos.Char, last);
}

TBufferCoord TTeWordWrapPlugin::DisplayToBufferPos(const TDisplayCoord& aPos) const {
    int rows = RowCount();
    if (aPos.Row < 1) return BufferCoord(aPos.Column, aPos.Row);
    if (aPos.Row > rows) return BufferCoord(aPos.Column, aPos.Row - rows + lineCount_);
    auto it = std::lower_bound(lineOffsets_.begin(), lineOffsets_.begin() + lineCount_, aPos.Row);
    int idx = static_cast<int>(it - lineOffsets_.begin());
    int first = FirstRowOfLine(idx);
    int row0 = aPos.Row - 1;
    int col = aPos.Column;
    bool lastRow = row0 == lineOffsets_[static_cast<size_t>(idx)] - 1;
    int limit = lastRow ? maxRowLength_ + 1 : rowLengths_[static_cast<size_t>(row0)] + 1;
    col = std::min(col, limit);
    for (int r = first; r < row0; ++r) col += rowLengths_[static_cast<size_t>(r)];
    return BufferCoord(col, idx + 1);
}
