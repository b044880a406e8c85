#include "grid/DBGridGxDrawing.h"

#include <cstring>
#include <memory>

#include "grid/GxLibVCL.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

bool IsPureColor(TCanvas* ACanvas) {
    COLORREF rgb = static_cast<COLORREF>(ColorToRGB(ACanvas->Brush()->Color()));
    return rgb == GetNearestColor(CanvasDC(ACanvas), rgb);
}

// ---- The shared drawing bitmap ----

struct TDrawBitmap {
    std::unique_ptr<TBitmap> Bitmap;
    int Users = 0;
};

TDrawBitmap& DrawBitmap() {
    static TDrawBitmap shared;
    return shared;
}

// Holds the shared bitmap for one drawing and locks its canvas meanwhile.
class TDrawBitmapUse {
public:
    TDrawBitmapUse(int Width, int Height) {
        AcquireGridDrawBitmap();
        bitmap_ = DrawBitmap().Bitmap.get();
        if (bitmap_->Width() < Width) bitmap_->SetWidth(Width);
        if (bitmap_->Height() < Height) bitmap_->SetHeight(Height);
        bitmap_->Canvas()->Lock();
    }
    ~TDrawBitmapUse() {
        bitmap_->Canvas()->Unlock();
        ReleaseGridDrawBitmap();
    }
    TDrawBitmapUse(const TDrawBitmapUse&) = delete;
    TDrawBitmapUse& operator=(const TDrawBitmapUse&) = delete;
    TCanvas* Canvas() const { return bitmap_->Canvas(); }

private:
    TBitmap* bitmap_;
};

// The wrapped or single-line text of WriteCellText through DrawTextEx.
void DrawMultiLineText(TCanvas* ACanvas, const TRect& B, int DX, int DY, const AnsiString& Text, TAlignment Alignment,
                       TTextLayout Layout, bool MultiLine, bool EndEllipsis, int LeftMarg, int RightMarg,
                       bool RightToLeft) {
    UINT flags = kAlignFlagsGx[Alignment];
    if (MultiLine) flags |= DT_WORDBREAK;
    if (EndEllipsis) flags |= DT_END_ELLIPSIS;
    if (RightToLeft) flags |= DT_RTLREADING;
    DRAWTEXTPARAMS params;
    params.cbSize = 20;
    params.iLeftMargin = LeftMarg;
    params.iRightMargin = RightMarg;
    HDC dc = CanvasDC(ACanvas);
    TRect r = B;
    InflateRect(&r, -DX, -DY);
    int textHeight = 0;
    if (Layout != tlTop) textHeight = DrawTextExGx(dc, Text, -1, r, flags | DT_CALCRECT, params);
    r = B;
    InflateRect(&r, -DX, -DY);
    if (Layout == tlCenter)
        r.Top += r.Height() / 2 - textHeight / 2;
    else if (Layout == tlBottom)
        r.Top = r.Bottom - textHeight;
    if (DX > 0) r.Bottom += 1;
    DrawTextExGx(dc, Text, -1, r, flags, params);
}

}  // namespace

HDC CanvasDC(TCanvas* ACanvas) { return ACanvas->Handle(); }

// ---------------------------------------------------------------------------
// Cell text

void WriteCellText(TCanvas* ACanvas, TRect ARect, bool FillRect, int DX, int DY, AnsiString Text,
                   TAlignment Alignment, TTextLayout Layout, bool MultiLine, bool EndEllipsis, int LeftMarg,
                   int RightMarg, bool RightToLeft) {
    if (IsPureColor(ACanvas)) {
        TBrushStyle oldStyle = ACanvas->Brush()->Style();
        if (MultiLine) {
            TRect b = ARect;
            if (FillRect)
                ACanvas->FillRect(b);
            else
                ACanvas->Brush()->SetStyle(bsClear);
            DrawMultiLineText(ACanvas, b, DX, DY, Text, Alignment, Layout, MultiLine, EndEllipsis, LeftMarg,
                              RightMarg, RightToLeft);
            if (ACanvas->Brush()->Style() != oldStyle) ACanvas->Brush()->SetStyle(oldStyle);
            return;
        }
        if (EndEllipsis) Text = EllipsisText(Text, ACanvas, ARect.Width() - DX);
        TFontStyles style = ACanvas->Font()->Style();
        int width = Alignment != taLeftJustify && (style.Contains(fsBold) || style.Contains(fsItalic))
                        ? TextWidthByDrawText(ACanvas, Text)
                        : ACanvas->TextWidth(Text);
        int x = 0;
        switch (Alignment) {
            case taLeftJustify: x = ARect.Left + DX; break;
            case taRightJustify: x = ARect.Right - width - 3; break;
            case taCenter: x = IsRectEmpty(ARect) ? 0 : ARect.Left + (ARect.Width() >> 1) - (width >> 1); break;
        }
        int y = ARect.Top;
        if (Layout != tlTop) {
            int height = ACanvas->TextHeight(Text);
            if (height < ARect.Height() - DY) {
                if (Layout == tlCenter)
                    y = (ARect.Bottom + ARect.Top - height) / 2 - DY;
                else
                    y = ARect.Bottom - height - DY;
            }
        }
        if (!FillRect) ACanvas->Brush()->SetStyle(bsClear);
        ACanvas->TextRect(ARect, x, y + DY, Text);
        if (ACanvas->Brush()->Style() != oldStyle) ACanvas->Brush()->SetStyle(oldStyle);
        return;
    }
    // A colour this device would dither: draw on the shared bitmap and copy.
    TDrawBitmapUse use(ARect.Width(), ARect.Height());
    TCanvas* canvas = use.Canvas();
    TRect b(0, 0, ARect.Width(), ARect.Height());
    canvas->Font()->Assign(ACanvas->Font());
    canvas->Font()->SetColor(ACanvas->Font()->Color());
    canvas->Brush()->Assign(ACanvas->Brush());
    canvas->Brush()->SetStyle(bsSolid);
    SetBkMode(CanvasDC(canvas), TRANSPARENT);
    canvas->FillRect(b);
    DrawMultiLineText(canvas, b, DX, DY, Text, Alignment, Layout, MultiLine, EndEllipsis, LeftMarg, RightMarg,
                      RightToLeft);
    ACanvas->CopyRect(ARect, canvas, b);
}

void EllipsisText(const AnsiString& S, TCanvas* ACanvas, int MaxWidth, AnsiString& Result) {
    Result = S;
    int length = static_cast<int>(S.size());
    int i = 1;
    while (i <= length && ACanvas->TextWidth(Result) > MaxWidth) {
        ++i;
        int keep = length - i > 0 ? length - i : 0;
        Result = S.substr(0, static_cast<size_t>(keep)) + "...";
    }
}

int TextWidthByDrawText(TCanvas* ACanvas, const AnsiString& Text) {
    TRect r(0, 0, 1, 0);
    DrawTextGx(CanvasDC(ACanvas), Text, -1, r, DT_CALCRECT | DT_NOPREFIX);
    return r.Right - r.Left;
}

bool TextExceedsRect(UINT Flags, TCanvas* ACanvas, int HorzMargin, const TRect& ARect, bool MultiLine,
                     int& TextWidth, int& TextHeight, const AnsiString& Text, int VertMargin) {
    int room = ARect.Width() - 2 - HorzMargin;
    TRect r(0, 0, room < 1 ? 1 : room, 0);
    UINT flags = Flags | DT_CALCRECT | DT_NOPREFIX;
    if (MultiLine) flags |= DT_WORDBREAK;
    DrawTextGx(CanvasDC(ACanvas), Text, -1, r, flags);
    TextWidth = r.Width();
    TextHeight = r.Height();
    return TextWidth > room || TextHeight > ARect.Height() - VertMargin + 1;
}

// ---------------------------------------------------------------------------
// Vertical text

HFONT CreateRotatedFont(TFont* AFont) {
    LOGFONT lf;
    lf.lfHeight = AFont->Height();
    lf.lfWidth = 0;
    lf.lfEscapement = 900;
    lf.lfOrientation = 900;
    TFontStyles style = AFont->Style();
    lf.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = style.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = style.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = AFont->Charset();
    AnsiString face = AFont->Name();
    if (face == "Default") face = TFont().Name();
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfClipPrecision = 0;
    lf.lfQuality = 0;
    switch (AFont->Pitch()) {
        case fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
        case fpFixed: lf.lfPitchAndFamily = FIXED_PITCH; break;
        default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
    }
    return CreateFontIndirect(&lf);
}

int WriteVerticalText(TCanvas* ACanvas, TRect ARect, bool FillRect, int DX, int DY, const AnsiString& Text,
                      TAlignment Alignment, TTextLayout Layout, bool CalcOnly) {
    const TRect cell = ARect;
    SwapInt(ARect.Top, ARect.Bottom);
    TFont* font = ACanvas->Font();
    font->SetHandle(CreateRotatedFont(font));
    int extent = 0;
    {
        TScopeGuard restoreFont([&] { font->SetHeight(font->Height()); });
        HDC dc = CanvasDC(ACanvas);
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        int overhang = tm.tmOverhang;
        if ((tm.tmPitchAndFamily & TMPF_TRUETYPE) && tm.tmItalic) {
            OUTLINETEXTMETRIC otm;
            if (GetOutlineTextMetricsGx(dc, sizeof otm, otm) && otm.otmsCharSlopeRise != 0)
                overhang = (tm.tmHeight - tm.tmInternalLeading) * otm.otmsCharSlopeRun / otm.otmsCharSlopeRise;
        }
        int textWidth = ACanvas->TextWidth(Text);
        extent = textWidth + overhang;
        if (!CalcOnly) {
            if (!FillRect || IsPureColor(ACanvas)) {
                int textHeight = ACanvas->TextHeight(Text);
                int x = 0;
                switch (Alignment) {
                    case taLeftJustify: x = cell.Left + DX; break;
                    case taRightJustify: x = cell.Right - textHeight; break;
                    case taCenter: x = cell.Left + (cell.Width() >> 1) - ((textHeight + tm.tmOverhang) >> 1); break;
                }
                int y = 0;
                switch (Layout) {
                    case tlTop: y = cell.Top + textWidth + overhang; break;
                    case tlBottom: y = cell.Bottom - DY; break;
                    case tlCenter: y = cell.Bottom - (cell.Height() >> 1) + ((textWidth + overhang) >> 1); break;
                }
                TBrushStyle oldStyle = ACanvas->Brush()->Style();
                if (!FillRect) ACanvas->Brush()->SetStyle(bsClear);
                ACanvas->TextRect(ARect, x, y, Text);
                if (ACanvas->Brush()->Style() != oldStyle) ACanvas->Brush()->SetStyle(oldStyle);
            } else {
                TDrawBitmapUse use(cell.Width(), cell.Height());
                TCanvas* canvas = use.Canvas();
                canvas->Font()->Assign(font);
                canvas->Font()->SetHandle(CreateRotatedFont(font));
                canvas->Brush()->Assign(ACanvas->Brush());
                canvas->Brush()->SetStyle(bsSolid);
                TRect b(0, 0, cell.Width(), cell.Height());
                canvas->FillRect(b);
                HDC bdc = CanvasDC(canvas);
                SetBkMode(bdc, TRANSPARENT);
                TRect r(DX, cell.Height() - 1, cell.Width() - 1, DY);
                DrawTextGx(bdc, Text, -1, r, kAlignFlagsGx[Alignment] | DT_WORDBREAK);
                ACanvas->CopyRect(ARect, canvas, b);
                canvas->Font()->SetHeight(canvas->Font()->Height());
            }
        }
    }
    return extent;
}

// ---------------------------------------------------------------------------
// Images

void DrawClipped(TCustomImageList* ImageList, TGraphic* Graphic, TCanvas* ACanvas, const TRect& ARect, int Index,
                 int DX, TAlignment Alignment) {
    int w = ImageList ? ImageList->Width() : (Graphic ? Graphic->Width() : 0);
    int h = ImageList ? ImageList->Height() : (Graphic ? Graphic->Height() : 0);
    int x = 0;
    switch (Alignment) {
        case taLeftJustify: x = ARect.Left + DX; break;
        case taRightJustify: x = ARect.Right - w + DX; break;
        case taCenter: x = (ARect.Left + ARect.Right - w) / 2 + DX; break;
    }
    int y = (ARect.Top + ARect.Bottom - h) / 2;
    auto draw = [&] {
        if (ImageList)
            ImageList->Draw(ACanvas, x, y, Index, true);
        else if (Graphic)
            ACanvas->Draw(x, y, Graphic);
    };
    TRect joined;
    UnionRect(&joined, TRect(x, y, x + w, y + h), ARect);
    if (joined == ARect) {
        draw();
        return;
    }
    HDC dc = CanvasDC(ACanvas);
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    bool hadClip = GetClipRgn(dc, saved) == 1;
    TRect device = ARect;
    RectLPtoDPGx(dc, device);
    HRGN cell = CreateRectRgnIndirect(&device);
    ExtSelectClipRgn(dc, cell, RGN_AND);
    DeleteObject(cell);
    {
        TScopeGuard restoreClip([&] {
            SelectClipRgn(dc, hadClip ? saved : nullptr);
            DeleteObject(saved);
        });
        draw();
    }
}

TColor LightenColor(TColor AColor, double Factor) {
    COLORREF rgb = static_cast<COLORREF>(ColorToRGB(AColor));
    auto lighten = [Factor](int c) {
        int v = c + static_cast<int>(c / Factor);
        return v > 255 ? 255 : v;
    };
    return static_cast<TColor>(RGB(lighten(GetRValue(rgb)), lighten(GetGValue(rgb)), lighten(GetBValue(rgb))));
}

// ---------------------------------------------------------------------------
// Shared images

namespace {

struct TGridImages {
    std::unique_ptr<TCustomImageList> Indicators;
    std::unique_ptr<TCustomImageList> SortMarkers;
    std::unique_ptr<TFont> SortMarkerFont;
};

TGridImages& GridImages() {
    static TGridImages images;
    return images;
}

std::unique_ptr<TBitmap> LoadPicture(const char* Name) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(nullptr, Name);
    return bitmap;
}

// The outlined arrow with its white parts in the search colour.
void AddSearchIndicator(TCustomImageList* Indicators, TColor IncSearchColor) {
    if (Indicators->Count() >= 7) Indicators->Delete(6);
    TColor background = IncSearchColor == 0x808000 ? 0x7F7F00 : IncSearchColor;
    std::unique_ptr<TCustomImageList> single(
        TCustomImageList::CreateSize(Indicators->Width(), Indicators->Height()));
    single->SetBkColor(background);
    auto arrow = LoadPicture("DBGARROWGXW");
    single->AddMasked(arrow.get(), clWhite);
    single->GetBitmap(0, arrow.get());
    Indicators->AddMasked(arrow.get(), 0x808000);
}

}  // namespace

void InitGridImages(TColor IncSearchColor) {
    TGridImages& images = GridImages();
    if (images.Indicators) {
        AddSearchIndicator(images.Indicators.get(), IncSearchColor);
        return;
    }
    auto arrow = LoadPicture("DBGARROWGX");
    images.Indicators.reset(TCustomImageList::CreateSize(arrow->Width(), arrow->Height()));
    for (const char* name : {"DBGARROWGX", "DBEDITGX", "DBINSERTGX", "DBMULTIDOTGX", "DBMULTIARROWGX"})
        images.Indicators->AddMasked(LoadPicture(name).get(), clWhite);
    images.Indicators->AddMasked(LoadPicture("DBGARROWGXW").get(), 0x808000);
    AddSearchIndicator(images.Indicators.get(), IncSearchColor);

    auto down = LoadPicture("DBSMDOWNGX");
    images.SortMarkers.reset(TCustomImageList::CreateSize(down->Width(), down->Height()));
    images.SortMarkers->AddMasked(down.get(), 0xFF00FF);
    images.SortMarkers->AddMasked(LoadPicture("DBSMUPGX").get(), 0xFF00FF);

    images.SortMarkerFont = std::make_unique<TFont>();
    images.SortMarkerFont->SetName("Arial");
    images.SortMarkerFont->SetHeight(1 - down->Height());
}

TCustomImageList* GridIndicatorImages() {
    if (!GridImages().Indicators) InitGridImages();
    return GridImages().Indicators.get();
}

TCustomImageList* GridSortMarkerImages() {
    if (!GridImages().SortMarkers) InitGridImages();
    return GridImages().SortMarkers.get();
}

TFont* GridSortMarkerFont() {
    if (!GridImages().SortMarkerFont) InitGridImages();
    return GridImages().SortMarkerFont.get();
}

void AcquireGridDrawBitmap() {
    TDrawBitmap& shared = DrawBitmap();
    if (shared.Users == 0) shared.Bitmap = std::make_unique<TBitmap>();
    ++shared.Users;
}

void ReleaseGridDrawBitmap() {
    TDrawBitmap& shared = DrawBitmap();
    if (shared.Users == 0) return;
    if (--shared.Users == 0) shared.Bitmap.reset();
}

int GridDrawBitmapUsers() { return DrawBitmap().Users; }

// ---------------------------------------------------------------------------
// Small routines

bool FieldsCanModify(const std::vector<TField*>& Fields) {
    for (TField* field : Fields)
        if (!field->CanModify()) return false;
    return true;
}

void MakeGridRect(TGridRect& Rect, int Left, int Top, int Right, int Bottom) {
    Rect = TGridRect(Left, Top, Right, Bottom);
}

void RaiseGridError(const AnsiString& Message) { throw EInvalidGridOperation(Message); }

void GridInvalidateRow(TCustomGrid* Grid, int Row) {
    for (int col = 0; col < Grid->ColCount(); ++col) Grid->InvalidateCell(col, Row);
}

void KillMessage(HWND Wnd, UINT Msg) {
    TMsg m;
    m.message = 0;
    if (PeekMessage(&m, Wnd, Msg, Msg, PM_REMOVE) && m.message == WM_QUIT)
        PostQuitMessage(static_cast<int>(m.wParam));
}

void TransposeRectSize(TRect& Rect) {
    int width = Rect.Width();
    Rect.Right = Rect.Left + Rect.Height();
    Rect.Bottom = Rect.Top + width;
}

bool PointInRectGx(TPoint P, const TRect& R) {
    return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
}
