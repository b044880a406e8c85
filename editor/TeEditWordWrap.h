#pragma once
// Cuts each buffer line into display rows no wider than the window, after a
// break character where it can, and converts positions between buffer
// (char, line) and display (column, row). The editor makes it when WordWrap is
// switched on and tells it about inserted, deleted and changed lines.
#include <cstdint>
#include <vector>

#include "editor/TeEditMiscClasses.h"
#include "platform/rtl/SysUtils.h"

class TCustomTeEdit;

class TTeWordWrapPlugin : public TObject {
public:
    // Raises Exception when Owner is nullptr.
    explicit TTeWordWrapPlugin(TCustomTeEdit* Owner);
    const char* ClassName() const override { return "TTeWordWrapPlugin"; }

    TDisplayCoord BufferToDisplayPos(const TBufferCoord& aPos) const;
    TBufferCoord DisplayToBufferPos(const TDisplayCoord& aPos) const;
    int RowCount() const;
    // Raises EListError for a row outside 1..RowCount.
    int GetRowLength(int aRow) const;
    // Index is 0-based; each returns the change in rows.
    int LinesInserted(int aIndex, int aCount);
    int LinesDeleted(int aIndex, int aCount);
    int LinesPutted(int aIndex, int aCount);
    void Reset();
    void DisplayChanged();
    // The widths in force (tests).
    int MaxRowLength() const { return maxRowLength_; }
    int MinRowLength() const { return minRowLength_; }
    int LineCount() const { return lineCount_; }
    // The rows up to and including a 0-based line.
    int LineOffset(int aIndex) const { return lineOffsets_[static_cast<size_t>(aIndex)]; }

private:
    // Re-wraps a 0-based line; returns the change of its row count.
    int ReWrapLine(int aIndex);
    void WrapLines();
    int RowsOfLine(int aIndex) const;
    int FirstRowOfLine(int aIndex) const { return aIndex == 0 ? 0 : lineOffsets_[static_cast<size_t>(aIndex - 1)]; }

    std::vector<int32_t> lineOffsets_;
    std::vector<uint8_t> rowLengths_;
    int lineCount_ = 0;
    TCustomTeEdit* editor_;
    int minRowLength_ = 0;
    int maxRowLength_ = 0;
    TSysCharSet breakChars_;
};
