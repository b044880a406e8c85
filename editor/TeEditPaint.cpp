// Painting: the gutter with numbers, marks and border, the text rows in fixed
// cells with the selection, the right edge, and the fill below the last line.
// Only the rows and columns the clip reaches are drawn.
#include <algorithm>
#include <climits>

#include "editor/TeEdit.h"
#include "editor/TeEditWordWrap.h"
#include "platform/rtl/ScopeGuard.h"

void TCustomTeEdit::Paint() {
    TRect clip = Canvas()->ClipRect();
    int cw = std::max(charWidth_, 1), lh = std::max(textHeight_, 1);
    int firstCol = leftChar_;
    if (clip.Left > gutterWidth_ + 2) firstCol += (clip.Left - gutterWidth_ - 2) / cw;
    int lastCol = leftChar_ + (clip.Right - gutterWidth_ - 2 + cw - 1) / cw;
    int firstRow = std::max(topLine_, topLine_ + clip.Top / lh);
    int lastRow = topLine_ + (clip.Bottom + lh - 1) / lh;
    lastRow = MinMax(lastRow, 1, std::max(DisplayLineCount(), 1));
    HideCaretNow();
    TScopeGuard updateCaret([this] { UpdateCaret(); });
    if (clip.Left < gutterWidth_) {
        TRect r = clip;
        r.Right = gutterWidth_;
        PaintGutter(r, firstRow, lastRow);
    }
    if (clip.Right > gutterWidth_) {
        TRect r = clip;
        r.Left = std::max(r.Left, gutterWidth_);
        PaintTextLines(r, firstRow, lastRow, firstCol, lastCol);
    }
    for (TTeEditPlugin* p : plugins_) p->AfterPaint(Canvas(), clip, firstRow, lastRow);
    DoOnPaint();
    DoOnPaintTransientEx(ttAfter, true);
}

void TCustomTeEdit::PaintOneMark(int aRow, TTeEditMark* aMark, int& aGutterOff) {
    int y = (aRow - topLine_) * textHeight_;
    TCustomImageList* images = bookMarkOpt_->BookmarkImages();
    if (images && !aMark->InternalImage()) {
        if (aMark->ImageIndex() >= images->Count()) return;
        if (aMark->IsBookmark() == bookMarkOpt_->DrawBookmarksFirst()) aGutterOff = 0;
        else if (aGutterOff == 0) aGutterOff = bookMarkOpt_->Xoffset();
        images->Draw(Canvas(), bookMarkOpt_->LeftMargin() + aGutterOff, y, aMark->ImageIndex());
        aGutterOff += bookMarkOpt_->Xoffset();
        return;
    }
    if (aMark->ImageIndex() < 0 || aMark->ImageIndex() > 9) return;
    if (!internalBookmarkImage_) internalBookmarkImage_ = new TTeInternalImage(nullptr, "TeEditInternalImages", 10);
    if (aGutterOff == 0)
        internalBookmarkImage_->Draw(Canvas(), aMark->ImageIndex(), bookMarkOpt_->LeftMargin() + aGutterOff, y,
                                     textHeight_);
    aGutterOff += bookMarkOpt_->Xoffset();
}

void TCustomTeEdit::PaintGutter(const TRect& AClip, int aFirstRow, int aLastRow) {
    int firstLine = RowToLine(aFirstRow);
    int lastLine = RowToLine(aLastRow);
    if (gutter_->Gradient())
        PaintGradient(Canvas(), gutter_->GradientStartColor(), gutter_->GradientEndColor(), true,
                      TRect(0, 0, gutterWidth_, ClientHeight()), gutter_->GradientSteps());
    Canvas()->Brush()->SetColor(gutter_->Color());
    Canvas()->Brush()->SetStyle(bsSolid);
    TRect rcLine = AClip;
    if (gutter_->ShowLineNumbers()) {
        if (gutter_->UseFontStyle()) textDrawer_->SetBaseFont(gutter_->Font());
        else textDrawer_->SetStyle(TFontStyles{});
        textDrawer_->BeginDrawing(Canvas()->Handle());
        TScopeGuard endDrawing([this] {
            textDrawer_->EndDrawing();
            if (gutter_->UseFontStyle()) textDrawer_->SetBaseFont(Font());
        });
        textDrawer_->SetForeColor(gutter_->UseFontStyle() ? gutter_->Font()->Color() : Font()->Color());
        textDrawer_->SetBackColor(gutter_->Color());
        rcLine = TRect(AClip.Left, AClip.Top, std::max(AClip.Right, gutterWidth_ - 2), AClip.Top);
        for (int line = firstLine; line <= lastLine && line >= 1; ++line) {
            int row = LineToRow(line);
            if (wordWrap_ && !gutter_->Gradient() && (row - topLine_) * textHeight_ > rcLine.Bottom) {
                TRect band(rcLine.Left, rcLine.Bottom, rcLine.Right, (row - topLine_) * textHeight_);
                textDrawer_->ExtTextOut(band.Left, band.Top, ETO_OPAQUE, band, "", 0);
            }
            rcLine.Top = (row - topLine_) * textHeight_;
            rcLine.Bottom = rcLine.Top + textHeight_;
            AnsiString s = gutter_->FormatLineNumber(line);
            if (OnGutterGetText) OnGutterGetText(this, line, s);
            TSize ext;
            GetTextExtentPoint32(Canvas()->Handle(), s.c_str(), static_cast<int>(s.size()), &ext);
            int x = gutterWidth_ - gutter_->RightOffset() - 2 - ext.cx;
            int y = rcLine.Top + (textHeight_ - ext.cy) / 2;
            if (gutter_->Gradient()) {
                SetBkMode(Canvas()->Handle(), TRANSPARENT);
                ::ExtTextOut(Canvas()->Handle(), x, y, 0, &rcLine, s.c_str(), static_cast<UINT>(s.size()), nullptr);
                SetBkMode(Canvas()->Handle(), OPAQUE);
            } else {
                ::ExtTextOut(Canvas()->Handle(), x, y, ETO_OPAQUE, &rcLine, s.c_str(), static_cast<UINT>(s.size()),
                             nullptr);
            }
        }
        if (!gutter_->Gradient() && AClip.Bottom > rcLine.Bottom) {
            TRect rest(rcLine.Left, rcLine.Bottom, rcLine.Right, AClip.Bottom);
            ::ExtTextOut(Canvas()->Handle(), 0, rest.Top, ETO_OPAQUE, &rest, "", 0, nullptr);
        }
    } else if (!gutter_->Gradient()) {
        Canvas()->FillRect(AClip);
    }
    // Continuation rows of a wrapped line carry the wrap glyph.
    if (wordWrap_ && wordWrapGlyph_->Visible()) {
        if (gutter_->Gradient()) Canvas()->Brush()->SetStyle(bsClear);
        int x = gutterWidth_ - gutter_->RightOffset() - 2 - wordWrapGlyph_->Width();
        for (int row = aFirstRow; row <= aLastRow; ++row) {
            if (LineToRow(RowToLine(row)) != row)
                wordWrapGlyph_->Draw(Canvas(), x, (row - topLine_) * textHeight_, textHeight_);
        }
        if (gutter_->Gradient()) Canvas()->Brush()->SetStyle(bsSolid);
    }
    if (gutter_->BorderStyle() != gbsNone && AClip.Right >= gutterWidth_ - 2) {
        Canvas()->Pen()->SetWidth(1);
        if (gutter_->BorderStyle() == gbsMiddle) {
            Canvas()->Pen()->SetColor(gutter_->BorderColor());
            Canvas()->MoveTo(gutterWidth_ - 2, AClip.Top);
            Canvas()->LineTo(gutterWidth_ - 2, AClip.Bottom);
            Canvas()->Pen()->SetColor(gutter_->Color());
        } else {
            Canvas()->Pen()->SetColor(gutter_->BorderColor());
        }
        Canvas()->MoveTo(gutterWidth_ - 1, AClip.Top);
        Canvas()->LineTo(gutterWidth_ - 1, AClip.Bottom);
    }
    std::vector<int> offsets(static_cast<size_t>(std::max(aLastRow - aFirstRow + 1, 0)), 0);
    if (bookMarkOpt_->GlyphsVisible() && marks_->Count() > 0 && lastLine >= firstLine) {
        bool hasOther = false;
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1 && !hasOther) break;
            for (int i = 0; i < marks_->Count(); ++i) {
                TTeEditMark* m = marks_->Items(i);
                if (!m->Visible() || m->Line() < firstLine || m->Line() > lastLine) continue;
                bool first = m->IsBookmark() == bookMarkOpt_->DrawBookmarksFirst();
                if ((pass == 0) != first) {
                    hasOther = true;
                    continue;
                }
                int row = LineToRow(m->Line());
                if (row < aFirstRow || row > aLastRow) continue;
                PaintOneMark(row, m, offsets[static_cast<size_t>(row - aFirstRow)]);
            }
        }
        if (OnGutterPaint) {
            for (int line = firstLine; line <= lastLine; ++line) {
                int row = LineToRow(line);
                int off = row >= aFirstRow && row <= aLastRow ? offsets[static_cast<size_t>(row - aFirstRow)] : 0;
                OnGutterPaint(this, line, off, (row - topLine_) * textHeight_);
            }
        }
    } else if (OnGutterPaint) {
        for (int line = firstLine; line <= lastLine; ++line)
            OnGutterPaint(this, line, 0, (LineToRow(line) - topLine_) * textHeight_);
    }
}

void TCustomTeEdit::PaintRun(const AnsiString& Text, int CharsBefore, int First, int Last, TRect& TokenRect,
                             bool SpecialChars) {
    if (Last < First || IsRectEmpty(TokenRect)) return;
    int x = textOffset_ + (First - 1) * charWidth_;
    int start = First - CharsBefore;  // 1-based index into Text
    int count = std::min(Last - First + 1, static_cast<int>(Text.size()) - start + 1);
    if (start >= 1 && count > 0) {
        AnsiString run = Text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
        for (char& c : run) {
            if (c == '\t') c = ' ';
            else if (SpecialChars && c == ' ') c = static_cast<char>(183);
        }
        textDrawer_->ExtTextOut(x, TokenRect.Top, ETO_OPAQUE, TokenRect, run.c_str(), static_cast<int>(run.size()));
    } else {
        textDrawer_->ExtTextOut(x, TokenRect.Top, ETO_OPAQUE, TokenRect, "", 0);
    }
    TokenRect.Left = TokenRect.Right;
}

void TCustomTeEdit::PaintTextLines(TRect AClip, int aFirstRow, int aLastRow, int FirstCol, int LastCol) {
    int firstLine = RowToLine(aFirstRow);
    int lastLine = RowToLine(aLastRow);
    TColor editorBg = Color();
    if (highlighter_ && highlighter_->GetDefaultAttribute(4) &&
        highlighter_->GetDefaultAttribute(4)->Background() != clNone)
        editorBg = highlighter_->GetDefaultAttribute(4)->Background();
    int edgeX = -1;
    if (rightEdge_ > 0) {
        int x = textOffset_ + rightEdge_ * charWidth_;
        if (x >= AClip.Left && x <= AClip.Right) edgeX = x;
    }
    if (AClip.Left < gutterWidth_ + 2) {
        TRect margin(std::max(AClip.Left, gutterWidth_), AClip.Top, gutterWidth_ + 2, AClip.Bottom);
        Canvas()->Brush()->SetColor(editorBg);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(margin);
        AClip.Left = gutterWidth_ + 2;
    }
    if (lastLine >= firstLine && lines_->Count() > 0) {
        // The selection this paint shows.
        bool selShown = !(hideSelection_ && !Focused()) && SelAvail();
        TDisplayCoord selStart, selEnd;
        if (selShown) {
            TBufferCoord bb = BlockBegin(), be = BlockEnd();
            selShown = bb.Line <= lastLine && be.Line >= firstLine;
            selStart = BufferToDisplayPos(bb);
            selEnd = BufferToDisplayPos(be);
            if (activeSelectionMode_ == smColumn && selStart.Column > selEnd.Column)
                std::swap(selStart.Column, selEnd.Column);
        }
        textDrawer_->SetStyle(Font()->Style());
        textDrawer_->BeginDrawing(Canvas()->Handle());
        TScopeGuard endDrawing([this] { textDrawer_->EndDrawing(); });
        TRect rcLine(AClip.Left, (aFirstRow - topLine_) * textHeight_, AClip.Right,
                     (aFirstRow - topLine_) * textHeight_);
        for (int line = firstLine; line <= lastLine; ++line) {
            AnsiString text = lines_->GetExpandedString(line - 1);
            TColor fg = Font()->Color();
            TColor bg = (line == caretY_ && activeLineColor_ != clNone) ? activeLineColor_ : editorBg;
            bool special = DoOnSpecialLineColors(line, fg, bg);
            TColor selFg = special ? bg : selectedColor_->Foreground();
            TColor selBg = special ? fg : selectedColor_->Background();
            int firstRowOfLine = LineToRow(line);
            int rowsOfLine = 1;
            if (wordWrap_ && wordWrapPlugin_) rowsOfLine = (line < lines_->Count() ? LineToRow(line + 1) : DisplayLineCount() + 1) - firstRowOfLine;
            int charsBefore = 0;
            for (int r = 0; r < rowsOfLine; ++r) {
                int row = firstRowOfLine + r;
                int rowLen = (wordWrap_ && wordWrapPlugin_ && row <= wordWrapPlugin_->RowCount())
                                 ? wordWrapPlugin_->GetRowLength(row)
                                 : static_cast<int>(text.size());
                if (row < aFirstRow || row > aLastRow) {
                    charsBefore += rowLen;
                    continue;
                }
                int firstC = FirstCol, lastC = LastCol;
                AnsiString rowText = text;
                int before = 0;
                if (wordWrap_ && wordWrapPlugin_) {
                    rowText = text.substr(static_cast<size_t>(std::min<int>(charsBefore, static_cast<int>(text.size()))),
                                          static_cast<size_t>(rowLen));
                    firstC = 1;
                    lastC = charsInWindow_ + 1;
                }
                if (showSpecChar_ && static_cast<int>(rowText.size()) < lastC &&
                    (!wordWrap_ || r == rowsOfLine - 1))
                    rowText += static_cast<char>(182);
                // Selected columns of this row.
                int selLeft = 0, selRight = 0;
                bool partial = false, whole = false;
                if (selShown && row >= selStart.Row && row <= selEnd.Row) {
                    selLeft = firstC;
                    selRight = lastC + 1;
                    if (activeSelectionMode_ == smLine) {
                        whole = true;
                    } else {
                        bool startRow = activeSelectionMode_ == smColumn || row == selStart.Row;
                        bool endRow = activeSelectionMode_ == smColumn || row == selEnd.Row;
                        bool none = false;
                        if (startRow) {
                            if (selStart.Column > lastC) none = true;
                            else if (selStart.Column > firstC) {
                                selLeft = selStart.Column;
                                partial = true;
                            }
                        }
                        if (endRow) {
                            if (selEnd.Column < firstC) none = true;
                            else if (selEnd.Column < lastC + 1) {
                                selRight = selEnd.Column;
                                partial = true;
                            }
                        }
                        if (none) partial = whole = false;
                        else if (!partial) whole = true;
                    }
                }
                rcLine.Top = (row - topLine_) * textHeight_;
                rcLine.Bottom = rcLine.Top + textHeight_;
                TRect token = rcLine;
                if (!partial) {
                    textDrawer_->SetForeColor(whole ? selFg : fg);
                    textDrawer_->SetBackColor(whole ? selBg : bg);
                    PaintRun(rowText, before, firstC, lastC, token, showSpecChar_);
                } else {
                    textDrawer_->SetForeColor(fg);
                    textDrawer_->SetBackColor(bg);
                    token.Right = std::min(rcLine.Right, textOffset_ + (selLeft - 1) * charWidth_);
                    PaintRun(rowText, before, firstC, selLeft - 1, token, showSpecChar_);
                    token.Left = std::max(rcLine.Left, textOffset_ + (selRight - 1) * charWidth_);
                    token.Right = rcLine.Right;
                    PaintRun(rowText, before, selRight, lastC, token, showSpecChar_);
                    textDrawer_->SetForeColor(selFg);
                    textDrawer_->SetBackColor(selBg);
                    token.Left = std::max(rcLine.Left, textOffset_ + (selLeft - 1) * charWidth_);
                    token.Right = std::min(rcLine.Right, textOffset_ + (selRight - 1) * charWidth_);
                    PaintRun(rowText, before, selLeft, selRight - 1, token, showSpecChar_);
                }
                if (showSpecChar_) {
                    // Each tab shows one guillemet over the middle of its cells.
                    AnsiString stored = lines_->Strings(line - 1);
                    int col = 0;
                    for (char c : stored) {
                        if (c == '\t') {
                            int w = tabWidth_ - col % tabWidth_;
                            int pos = col + 1;
                            int gx = textOffset_ + (pos + w / 2 - 2) * charWidth_ +
                                     (w % 2 == 0 ? charWidth_ / 2 : charWidth_);
                            if (pos >= firstC && pos <= lastC && !wordWrap_) {
                                char g = static_cast<char>(187);
                                SetBkMode(Canvas()->Handle(), TRANSPARENT);
                                textDrawer_->ExtTextOut(gx - charWidth_ / 2, rcLine.Top, 0, rcLine, &g, 1);
                                SetBkMode(Canvas()->Handle(), OPAQUE);
                            }
                            col += w;
                        } else {
                            ++col;
                        }
                    }
                }
                if (edgeX >= 0) {
                    Canvas()->Pen()->SetColor(rightEdgeColor_);
                    Canvas()->Pen()->SetWidth(1);
                    Canvas()->MoveTo(edgeX, rcLine.Top);
                    Canvas()->LineTo(edgeX, rcLine.Bottom + 1);
                }
                charsBefore += rowLen;
            }
        }
    }
    int below = (aLastRow - topLine_ + 1) * textHeight_;
    if (lines_->Count() == 0) below = (aFirstRow - topLine_) * textHeight_;
    if (below < AClip.Bottom) {
        TRect rest(AClip.Left, std::max(below, AClip.Top), AClip.Right, AClip.Bottom);
        Canvas()->Brush()->SetColor(editorBg);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(rest);
        if (edgeX >= 0) {
            Canvas()->Pen()->SetColor(rightEdgeColor_);
            Canvas()->Pen()->SetWidth(1);
            Canvas()->MoveTo(edgeX, rest.Top);
            Canvas()->LineTo(edgeX, AClip.Bottom + 1);
        }
    }
}
