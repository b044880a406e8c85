#pragma once
// Types and free routines shared by the editor units: positions, clamping,
// caret columns of tabbed lines, scanning lines for characters (aware of
// double-byte characters), splitting text at line breaks, the word classes of
// double-byte text and the gutter's gradient.
#include <cstdint>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/rtl/SysUtils.h"

// A position in the stored text: Char counts bytes of the line (a tab is one),
// both 1-based.
struct TBufferCoord {
    int32_t Char = 0;
    int32_t Line = 0;
    friend bool operator==(const TBufferCoord&, const TBufferCoord&) = default;
};

// A position on screen: Column counts character cells with tabs expanded,
// Row counts display rows; both 1-based.
struct TDisplayCoord {
    int32_t Column = 0;
    int32_t Row = 0;
    friend bool operator==(const TDisplayCoord&, const TDisplayCoord&) = default;
};

inline TBufferCoord BufferCoord(int AChar, int ALine) { return TBufferCoord{AChar, ALine}; }
inline TDisplayCoord DisplayCoord(int AColumn, int ARow) { return TDisplayCoord{AColumn, ARow}; }

// How a selection (and every undo item) treats its two ends.
enum TTeSelectionMode : uint8_t { smNormal, smLine, smColumn };
TESK_ENUM_INFO(TTeSelectionMode, smNormal, smLine, smColumn)

// max(mi, min(x, ma)): mi wins when mi > ma.
int MinMax(int x, int mi, int ma);
void SwapInt(int& l, int& r);
// The earlier of two positions (line first, then char); P1 when they are equal.
TBufferCoord MinPoint(const TBufferCoord& P1, const TBufferCoord& P2);

// Columns of S when each tab advances to the next multiple of TabWidth.
int GetExpandedLength(const AnsiString& S, int TabWidth);
// The 1-based caret column of the character at 1-based Index of Line; an
// Index past the end counts one column per missing character.
int CharIndex2CaretPos(int Index, int TabWidth, const AnsiString& Line);

// First index >= Start (1-based) of a character in Chars, 0 when none or when
// Start is outside the line. Double-byte characters never match; a Start on
// the second byte of one moves past it.
int StrScanForCharInSet(const AnsiString& Line, int Start, const TSysCharSet& Chars);
// Last index <= Start of a character in Chars, 0 when none.
int StrRScanForCharInSet(const AnsiString& Line, int Start, const TSysCharSet& Chars);
// In far-east locales the first lead byte at or after Start (past a trail byte
// at Start), else 0.
int StrScanForMultiByteChar(const AnsiString& Line, int Start);
// In far-east locales the last lead byte at or before Start, else 0.
int StrRScanForMultiByteChar(const AnsiString& Line, int Start);

// The first NUL, LF or CR at or after P; nullptr for nullptr.
const char* GetEOL(const char* P);
// The pieces of S split at CR, LF and CR LF; a break at the end leaves an
// empty last piece, and an empty S gives one empty piece.
std::vector<AnsiString> SplitLines(const AnsiString& S);

// The word class (0..9) of a double-byte character from its CT_CTYPE3 flags;
// characters of different classes belong to different words.
int GetDBCSCharClass(unsigned Flags);

// Fills Rect with Steps bands (clamped to 2..256) from StartColor to EndColor,
// left to right when Horizontal, else top to bottom.
void PaintGradient(TCanvas* ACanvas, TColor StartColor, TColor EndColor, bool Horizontal, const TRect& ARect,
                   int Steps);
