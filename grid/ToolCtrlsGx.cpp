#include "grid/ToolCtrlsGx.h"

#include <cmath>
#include <cstdlib>

#include "grid/GxLibVCL.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

namespace {

COLORREF Sys(int Index) { return GetSysColor(Index); }

void Fill(HDC DC, const TRect& R, COLORREF Color) {
    if (IsRectEmpty(R)) return;
    HBRUSH brush = CreateSolidBrush(Color);
    FillRect(DC, &R, brush);
    DeleteObject(brush);
}

void Frame(HDC DC, const TRect& R, COLORREF Color) {
    HBRUSH brush = CreateSolidBrush(Color);
    FrameRect(DC, &R, brush);
    DeleteObject(brush);
}

// Draws Paint with the context clipped to R (intersected with any clip it has).
template <class F>
void Clipped(HDC DC, const TRect& R, F Paint) {
    int saved = SaveDC(DC);
    IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
    Paint();
    RestoreDC(DC, saved);
}

// The border of a flat button: sunken while pressed, raised while hot, else the parent's colour.
void FlatBorder(HDC DC, const TRect& R, COLORREF Parent, bool Pressed, bool Active) {
    TRect e = R;
    if (Pressed)
        DrawEdge(DC, &e, BDR_SUNKENOUTER, BF_RECT);
    else if (Active)
        DrawEdge(DC, &e, BDR_RAISEDINNER, BF_RECT);
    else
        Frame(DC, R, Parent);
}

// A push-button face: the 3-D edge, or for a flat button its fill and border;
// answers the area inside the border.
TRect ButtonFace(HDC DC, const TRect& R, COLORREF Parent, bool Pressed, bool Flat, bool Active) {
    TRect inner = R;
    if (Flat) {
        Fill(DC, R, Sys(COLOR_BTNFACE));
        FlatBorder(DC, R, Parent, Pressed, Active);
        InflateRect(&inner, -1, -1);
    } else {
        DrawEdge(DC, &inner, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    }
    if (Pressed) OffsetRect(&inner, 1, 1);
    return inner;
}

// The glyph colour, or for a disabled button its embossed look: a highlight
// copy one pixel right and down under the shadow-coloured glyph.
template <class F>
void Glyph(bool Enabled, F DrawGlyph) {
    if (Enabled) {
        DrawGlyph(0, Sys(COLOR_BTNTEXT));
    } else {
        DrawGlyph(1, Sys(COLOR_BTNHIGHLIGHT));
        DrawGlyph(0, Sys(COLOR_BTNSHADOW));
    }
}

void PaintDropDown(HDC DC, const TRect& R, COLORREF Parent, bool Pressed, bool Flat, bool Active, bool Enabled) {
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (Pressed) state |= DFCS_PUSHED | DFCS_FLAT;
    if (!Enabled) state |= DFCS_INACTIVE;
    if (!Flat) {
        TRect r = R;
        DrawFrameControl(DC, &r, DFC_SCROLL, state);
        return;
    }
    // Flat: the control without its 3-D border, which falls outside the clip.
    TRect inner = R;
    InflateRect(&inner, -1, -1);
    Clipped(DC, inner, [&] {
        TRect r = R;
        DrawFrameControl(DC, &r, DFC_SCROLL, state | DFCS_FLAT);
    });
    FlatBorder(DC, R, Parent, Pressed, Active);
}

void PaintEllipsis(HDC DC, const TRect& R, COLORREF Parent, bool Pressed, bool Flat, bool Active, bool Enabled) {
    TRect inner = ButtonFace(DC, R, Parent, Pressed, Flat, Active);
    int dot = std::max(1, std::min(inner.Width(), inner.Height()) / 7);
    int gap = dot + 1;
    int rowWidth = 3 * dot + 2 * (gap - dot);
    int x = inner.Left + (inner.Width() - rowWidth) / 2;
    int y = inner.Top + (inner.Height() - dot) / 2;
    Glyph(Enabled, [&](int shift, COLORREF color) {
        for (int i = 0; i < 3; ++i) {
            int left = x + i * gap + shift;
            Fill(DC, TRect(left, y + shift, left + dot, y + dot + shift), color);
        }
    });
}

void PaintPlusMinus(HDC DC, const TRect& R, COLORREF Parent, bool Pressed, bool Flat, bool Active, bool Enabled,
                    bool Plus) {
    TRect inner = ButtonFace(DC, R, Parent, Pressed, Flat, Active);
    int side = std::min(inner.Width(), inner.Height());
    int length = std::max(3, side / 2 + ((side / 2) % 2 == 0 ? 1 : 0));
    int thick = std::max(1, side / 9);
    int cx = inner.Left + inner.Width() / 2;
    int cy = inner.Top + inner.Height() / 2;
    Glyph(Enabled, [&](int shift, COLORREF color) {
        Fill(DC, TRect(cx - length / 2 + shift, cy - thick / 2 + shift, cx - length / 2 + length + shift,
                       cy - thick / 2 + thick + shift),
             color);
        if (Plus)
            Fill(DC, TRect(cx - thick / 2 + shift, cy - length / 2 + shift, cx - thick / 2 + thick + shift,
                           cy - length / 2 + length + shift),
                 color);
    });
}

void PaintUpDown(HDC DC, const TRect& R, COLORREF Parent, int DownButton, bool Flat, bool Active, bool Enabled) {
    int half = R.Height() / 2;
    TRect upper(R.Left, R.Top, R.Right, R.Top + half);
    TRect lower(R.Left, R.Bottom - half, R.Right, R.Bottom);
    if (upper.Bottom < lower.Top) Fill(DC, TRect(R.Left, upper.Bottom, R.Right, lower.Top), Parent);
    for (int part = 1; part <= 2; ++part) {
        TRect r = part == 1 ? upper : lower;
        bool pressed = DownButton == part;
        UINT state = part == 1 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
        if (pressed) state |= DFCS_PUSHED;
        if (!Enabled) state |= DFCS_INACTIVE;
        if (!Flat) {
            DrawFrameControl(DC, &r, DFC_SCROLL, state);
        } else {
            TRect inner = r;
            InflateRect(&inner, -1, -1);
            Clipped(DC, inner, [&] {
                TRect whole = r;
                DrawFrameControl(DC, &whole, DFC_SCROLL, state | DFCS_FLAT);
            });
            FlatBorder(DC, r, Parent, pressed, Active);
        }
    }
}

void PaintCheckBox(HDC DC, const TRect& R, COLORREF Parent, bool Pressed, bool Flat, bool Enabled, int CheckState) {
    UINT state = DFCS_BUTTONCHECK;
    if (CheckState == BST_CHECKED) state |= DFCS_CHECKED;
    if (CheckState == BST_INDETERMINATE) state |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!Enabled) state |= DFCS_INACTIVE;
    if (Pressed) state |= DFCS_PUSHED;
    // The box is square; the rest of the rectangle shows the parent.
    Fill(DC, R, Parent);
    if (!Flat) {
        TRect r = R;
        DrawFrameControl(DC, &r, DFC_BUTTON, state);
        return;
    }
    TRect inner = R;
    InflateRect(&inner, -1, -1);
    Clipped(DC, inner, [&] {
        TRect r = R;
        DrawFrameControl(DC, &r, DFC_BUTTON, state);
    });
    Frame(DC, inner, Enabled ? Sys(COLOR_BTNFACE) : Sys(COLOR_BTNSHADOW));
}

void PaintButton(HDC DC, const TRect& R, COLORREF Parent, TButtonPaintKindGx Kind, int DownButton, bool Flat,
                 bool Active, bool Enabled, int CheckState) {
    bool pressed = DownButton != 0;
    switch (Kind) {
        case bpkDropDownGx: PaintDropDown(DC, R, Parent, pressed, Flat, Active, Enabled); break;
        case bpkEllipsisGx: PaintEllipsis(DC, R, Parent, pressed, Flat, Active, Enabled); break;
        case bpkUpDownGx: PaintUpDown(DC, R, Parent, DownButton, Flat, Active, Enabled); break;
        case bpkCheckBoxGx: PaintCheckBox(DC, R, Parent, pressed, Flat, Enabled, CheckState); break;
        case bpkPlusGx: PaintPlusMinus(DC, R, Parent, pressed, Flat, Active, Enabled, true); break;
        case bpkMinusGx: PaintPlusMinus(DC, R, Parent, pressed, Flat, Active, Enabled, false); break;
    }
}

// Painted buttons by everything that decides their pixels.
struct TButtonBitmapKey {
    int Width, Height, Kind, DownButton, CheckState;
    bool Enabled, Flat, Active;
    COLORREF Parent;
    friend bool operator==(const TButtonBitmapKey&, const TButtonBitmapKey&) = default;
};

class TButtonsBitmapCache {
public:
    // The bitmap for the key; Created tells that it is new and still to be painted.
    TBitmap* Get(const TButtonBitmapKey& Key, bool& Created) {
        for (auto& entry : entries_)
            if (entry.Key == Key) {
                Created = false;
                return entry.Bitmap.get();
            }
        entries_.push_back({Key, std::make_unique<TBitmap>()});
        TBitmap* bitmap = entries_.back().Bitmap.get();
        bitmap->SetSize(Key.Width, Key.Height);
        Created = true;
        return bitmap;
    }
    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    struct TEntry {
        TButtonBitmapKey Key;
        std::unique_ptr<TBitmap> Bitmap;
    };
    std::vector<TEntry> entries_;
};

TButtonsBitmapCache& ButtonsCache() {
    static TButtonsBitmapCache cache;
    return cache;
}

}  // namespace

bool ButtonsBitmapCacheEnabledGx = true;

void PaintButtonControlGx(HDC DC, const TRect& Rect, TColor ParentColor, TButtonPaintKindGx Kind, int DownButton,
                          bool Flat, bool Active, bool Enabled, int CheckState) {
    COLORREF parent = static_cast<COLORREF>(ColorToRGB(ParentColor));
    if (!ButtonsBitmapCacheEnabledGx || IsRectEmpty(Rect)) {
        PaintButton(DC, Rect, parent, Kind, DownButton, Flat, Active, Enabled, CheckState);
        return;
    }
    TButtonBitmapKey key{Rect.Width(), Rect.Height(), Kind, DownButton, CheckState, Enabled, Flat, Active, parent};
    bool created = false;
    TBitmap* bitmap = ButtonsCache().Get(key, created);
    HDC bitmapDC = bitmap->Canvas()->Handle();
    if (created) PaintButton(bitmapDC, TRect(0, 0, key.Width, key.Height), parent, Kind, DownButton, Flat, Active,
                             Enabled, CheckState);
    StretchBlt(DC, Rect.Left, Rect.Top, key.Width, key.Height, bitmapDC, 0, 0, key.Width, key.Height, SRCCOPY);
}

void ClearButtonsBitmapCache() { ButtonsCache().Clear(); }

int ButtonsBitmapCacheCount() { return ButtonsCache().Count(); }

// ---------------------------------------------------------------------------
// Tree elements

void DrawTreeElement(TCanvas* Canvas, const TRect& Rect, int Kind, double HorzScale, double VertScale,
                     bool OddAlign) {
    HDC dc = CanvasDC(Canvas);
    const COLORREF line = Sys(COLOR_BTNSHADOW);
    int cx = Rect.Left + static_cast<int>(std::lround(9 * HorzScale));
    int cy = Rect.Top + Rect.Height() / 2;
    int phase = OddAlign ? 1 : 0;
    auto vertical = [&](int top, int bottom) {
        for (int y = top; y < bottom; ++y)
            if (((y + phase) & 1) == 0) SetPixel(dc, cx, y, line);
    };
    auto horizontal = [&](int left, int right) {
        for (int x = left; x < right; ++x)
            if (((x + phase) & 1) == 0) SetPixel(dc, x, cy, line);
    };
    bool node = Kind >= 0 && Kind <= 5;
    bool hasNext = Kind == 0 || Kind == 3 || Kind == 6 || Kind == 9;
    bool hasAbove = Kind != 2 && Kind != 5 && Kind != 8;
    if (Kind == 9) {
        vertical(Rect.Top, Rect.Bottom);
        return;
    }
    if (hasAbove) vertical(Rect.Top, cy);
    if (hasNext) vertical(cy, Rect.Bottom);
    horizontal(cx, Rect.Right);
    if (!node) return;
    int half = std::max(2, static_cast<int>(std::lround(4 * std::min(HorzScale, VertScale))));
    TRect box(cx - half, cy - half, cx + half + 1, cy + half + 1);
    Fill(dc, box, Sys(COLOR_WINDOW));
    Frame(dc, box, line);
    int arm = half - 2;
    Fill(dc, TRect(cx - arm, cy, cx + arm + 1, cy + 1), Sys(COLOR_WINDOWTEXT));
    if (Kind >= 3) Fill(dc, TRect(cx, cy - arm, cx + 1, cy + arm + 1), Sys(COLOR_WINDOWTEXT));
}

// ---------------------------------------------------------------------------
// Routines

namespace {
TSize CheckBoxSize() {
    static TSize size = [] {
        TSize s(13, 13);
        if (HBITMAP sheet = LoadBitmapGx(nullptr, OBM_CHECKBOXES)) {
            s = TSize(sheet->Width() / 4, sheet->Height() / 3);
            DeleteObject(sheet);
        }
        return s;
    }();
    return size;
}
}  // namespace

int DefaultCheckBoxWidth() { return CheckBoxSize().cx; }
int DefaultCheckBoxHeight() { return CheckBoxSize().cy; }

int GetDefaultFlatButtonWidth() {
    static int width = [] {
        HDC dc = CreateScreenDC();
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        DeleteDC(dc);
        int w = static_cast<int>(std::nearbyint(tm.tmHeight * 2.0 / 3.0));
        if (w % 2 == 0) ++w;
        return std::min(w, GetSystemMetrics(SM_CXVSCROLL));
    }();
    return width;
}

int GetDefaultEditButtonHeight(int Width, bool Flat) {
    return Flat ? static_cast<int>(std::nearbyint(Width * 3.0 / 2.0)) : Width;
}

bool IsDoubleClick(TPoint Pt1, TPoint Pt2, DWORD ElapsedTime) {
    return ElapsedTime <= GetDoubleClickTime() && std::abs(Pt1.X - Pt2.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
           std::abs(Pt1.Y - Pt2.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
}

TRect AdjustCheckBoxRect(const TRect& ClientRect, TAlignment Alignment, TTextLayout Layout) {
    TRect r = ClientRect;
    int w = DefaultCheckBoxWidth(), h = DefaultCheckBoxHeight();
    if (r.Width() > w) {
        switch (Alignment) {
            case taLeftJustify: r.Right = r.Left + w; break;
            case taRightJustify: r.Left = r.Right - w; break;
            case taCenter:
                r.Left += (r.Width() - w) / 2;
                r.Right = r.Left + w;
                break;
        }
    }
    if (r.Height() > h) {
        switch (Layout) {
            case tlTop: r.Bottom = r.Top + h; break;
            case tlBottom: r.Top = r.Bottom - h; break;
            case tlCenter:
                r.Top += (r.Height() - h) / 2;
                r.Bottom = r.Top + h;
                break;
        }
    }
    return r;
}

namespace {

const Variant& ArrayElement(const Variant& V, const std::vector<int>& At) {
    switch (At.size()) {
        case 1: return V.Get({At[0]});
        case 2: return V.Get({At[0], At[1]});
        case 3: return V.Get({At[0], At[1], At[2]});
        case 4: return V.Get({At[0], At[1], At[2], At[3]});
        default: throw EVariantInvalidOpError("Too many array dimensions");
    }
}

bool ArraysEqual(const Variant& A, const Variant& B, std::vector<int>& At, int Dim) {
    int count = static_cast<int>(At.size());
    if (Dim > count) return VarEquals(ArrayElement(A, At), ArrayElement(B, At));
    for (int i = VarArrayLowBound(A, Dim); i <= VarArrayHighBound(A, Dim); ++i) {
        At[static_cast<size_t>(Dim - 1)] = i;
        if (!ArraysEqual(A, B, At, Dim + 1)) return false;
    }
    return true;
}

}  // namespace

bool VarEquals(const Variant& V1, const Variant& V2) {
    try {
        if (VarIsArray(V1) || VarIsArray(V2)) {
            if (!VarIsArray(V1) || !VarIsArray(V2)) return false;
            int dims = VarArrayDimCount(V1);
            if (dims != VarArrayDimCount(V2)) return false;
            for (int d = 1; d <= dims; ++d)
                if (VarArrayLowBound(V1, d) != VarArrayLowBound(V2, d) ||
                    VarArrayHighBound(V1, d) != VarArrayHighBound(V2, d))
                    return false;
            std::vector<int> at(static_cast<size_t>(dims));
            return ArraysEqual(V1, V2, at, 1);
        }
        return V1 == V2;
    } catch (const Exception&) {
        return false;
    }
}

void DrawClippedImage(HDC DC, const TRect& Rect, TCustomImageList* Images, int ImageIndex, bool Selected) {
    (void)Selected;  // the image list has no selected look of its own
    if (!Images) return;
    TCanvas canvas;
    canvas.SetHandle(DC);
    DrawClipped(Images, nullptr, &canvas, Rect, ImageIndex, 0, taCenter);
    canvas.SetHandle(nullptr);
}

void GetFieldsListByNames(TDataSet* DataSet, const AnsiString& FieldNames, std::vector<TField*>& List) {
    size_t start = 0;
    while (start <= FieldNames.size()) {
        size_t end = FieldNames.find(';', start);
        if (end == AnsiString::npos) end = FieldNames.size();
        AnsiString name = Trim(FieldNames.substr(start, end - start));
        if (!name.empty()) List.push_back(DataSet->FieldByName(name));
        start = end + 1;
    }
}

std::vector<TField*> GetFieldsArrayByNames(TDataSet* DataSet, const AnsiString& FieldNames) {
    std::vector<TField*> list;
    GetFieldsListByNames(DataSet, FieldNames, list);
    return list;
}

void DataSetSetFieldValues(TDataSet* DataSet, const AnsiString& FieldNames, const Variant& Value) {
    std::vector<TField*> fields = GetFieldsArrayByNames(DataSet, FieldNames);
    if (fields.size() == 1) {
        fields[0]->SetValue(Value);
    } else if (VarIsNull(Value) || VarIsEmpty(Value)) {
        for (TField* f : fields) f->Clear();
    } else {
        int low = VarArrayLowBound(Value, 1);
        for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetValue(Value[low + static_cast<int>(i)]);
    }
}

// ---------------------------------------------------------------------------
// Placing drop-down windows

TDropDownPlacementGx PlaceDropDownGx(const TRect& Anchor, int Width, int Height, const TRect& WorkArea,
                                     TDropDownAlign Align) {
    TDropDownPlacementGx p;
    int roomBelow = WorkArea.Bottom - Anchor.Bottom;
    int roomAbove = Anchor.Top - WorkArea.Top;
    bool below;
    if (Anchor.Bottom + Height <= WorkArea.Bottom)
        below = true;
    else if (Anchor.Top - Height >= WorkArea.Top)
        below = false;
    else
        below = roomBelow >= roomAbove;
    int y;
    if (below) {
        if (Height > roomBelow) Height = roomBelow;
        y = Anchor.Bottom;
        p.VertSide = gsBottomGx;
    } else {
        if (Height > roomAbove) Height = roomAbove;
        y = Anchor.Top - Height;
        p.VertSide = gsTopGx;
    }
    int x = Anchor.Left;
    if (Align == daRight) x -= Width - Anchor.Width();
    if (Align == daCenter) x -= (Width - Anchor.Width()) / 2;
    if (WorkArea.Width() < Width) Width = WorkArea.Width();
    if (x + Width > WorkArea.Right) {
        x = WorkArea.Right - Width;
        p.HorzSide = gsLeftGx;
    } else if (x < WorkArea.Left) {
        x = WorkArea.Left;
        p.HorzSide = gsRightGx;
    } else {
        p.HorzSide = Align == daRight ? gsLeftGx : gsRightGx;
    }
    p.Bounds = Bounds(x, y, Width, Height);
    return p;
}

TPoint AlignDropDownWindowRect(const TRect& MasterAbsRect, TWinControl* DropDownWin, TDropDownAlign Align) {
    TRect workArea = GetMonitorInfoAt(MonitorIndexFromRect(MasterAbsRect)).WorkArea;
    TDropDownPlacementGx p =
        PlaceDropDownGx(MasterAbsRect, DropDownWin->Width(), DropDownWin->Height(), workArea, Align);
    DropDownWin->Perform(WM_GRIPSIDEGX, static_cast<WPARAM>(p.VertSide), 0);
    DropDownWin->Perform(WM_GRIPSIDEGX, static_cast<WPARAM>(p.HorzSide), 0);
    DropDownWin->SetBoundsRect(p.Bounds);
    return p.Bounds.TopLeft();
}

TPoint AlignDropDownWindow(TWinControl* MasterWin, TWinControl* DropDownWin, TDropDownAlign Align) {
    TRect client = MasterWin->ClientRect();
    TPoint topLeft = MasterWin->ClientToScreen(client.TopLeft());
    TPoint bottomRight = MasterWin->ClientToScreen(client.BottomRight());
    return AlignDropDownWindowRect(TRect(topLeft, bottomRight), DropDownWin, Align);
}

// ---------------------------------------------------------------------------
// TSizeGripGx

TSizeGripGx::TSizeGripGx(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL));
    SetColor(clBtnFace);
    SetCursor(crSizeNWSE);
}

void TSizeGripGx::SetPosition(TSizeGripPosition Value) {
    if (Value == position_) return;
    position_ = Value;
    UpdateWindowRegion();
    UpdatePosition();
    Invalidate();
}

void TSizeGripGx::SetTriangleWindow(bool Value) {
    if (Value == triangleWindow_) return;
    triangleWindow_ = Value;
    UpdateWindowRegion();
}

void TSizeGripGx::ChangePosition(int Side) {
    TSizeGripPosition p = position_;
    switch (Side) {
        case gsLeftGx:
            if (p == sgpTopRight) p = sgpTopLeft;
            if (p == sgpBottomRight) p = sgpBottomLeft;
            break;
        case gsRightGx:
            if (p == sgpTopLeft) p = sgpTopRight;
            if (p == sgpBottomLeft) p = sgpBottomRight;
            break;
        case gsTopGx:
            if (p == sgpBottomLeft) p = sgpTopLeft;
            if (p == sgpBottomRight) p = sgpTopRight;
            break;
        case gsBottomGx:
            if (p == sgpTopLeft) p = sgpBottomLeft;
            if (p == sgpTopRight) p = sgpBottomRight;
            break;
        default: break;
    }
    SetPosition(p);
}

void TSizeGripGx::UpdatePosition() {
    if (!Parent()) return;
    TRect client = Parent()->ClientRect();
    int x = OnLeft() ? 0 : client.Right - Width();
    int y = OnTop() ? 0 : client.Bottom - Height();
    SetBounds(x, y, Width(), Height());
}

void TSizeGripGx::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateWindowRegion();
}

void TSizeGripGx::UpdateWindowRegion() {
    if (!HandleAllocated()) return;
    if (!triangleWindow_) {
        SetWindowRgn(Handle(), nullptr, 1);
        return;
    }
    int w = Width(), h = Height();
    std::vector<TPoint> points;
    switch (position_) {
        case sgpTopLeft: points = {{0, 0}, {w, 0}, {0, h}}; break;
        case sgpTopRight: points = {{0, 0}, {w, 0}, {w, h}}; break;
        case sgpBottomRight: points = {{w, 0}, {w, h}, {0, h}}; break;
        case sgpBottomLeft: points = {{0, 0}, {w, h}, {0, h}}; break;
    }
    SetWindowRgn(Handle(), CreatePolygonRgnGx(points, WINDING), 1);
}

void TSizeGripGx::Paint() {
    TCanvas* canvas = Canvas();
    int w = Width(), h = Height();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(TRect(0, 0, w, h));
    const TColor colors[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
    int size = std::max(w, h);
    // Lines parallel to the corner's diagonal, d pixels away from the corner.
    for (int d = 1; d < size; ++d) {
        canvas->Pen()->SetColor(colors[(d - 1) % 4]);
        for (int i = 0; i <= d; ++i) {
            int x = i, y = d - i;  // distances from the corner
            if (x >= w || y >= h) continue;
            int px = OnLeft() ? x : w - 1 - x;
            int py = OnTop() ? y : h - 1 - y;
            canvas->SetPixels(px, py, canvas->Pen()->Color());
        }
    }
}

void TSizeGripGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Parent()) return;
    sizing_ = true;
    startMouse_ = ClientToScreen(TPoint(X, Y));
    startBounds_ = Parent()->BoundsRect();
    SetMouseCapture(true);
}

void TSizeGripGx::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!sizing_ || moving_ || !Parent() || !(Shift & ssLeft)) return;
    TPoint now = ClientToScreen(TPoint(X, Y));
    int dx = now.X - startMouse_.X, dy = now.Y - startMouse_.Y;
    TRect area;
    SystemParametersInfoGx(SPI_GETWORKAREA, 0, &area, 0);
    TRect r = startBounds_;
    int minW = Width(), minH = Height();
    if (OnLeft()) {
        r.Left = std::clamp(startBounds_.Left + dx, std::min(area.Left, r.Right - minW), r.Right - minW);
    } else {
        r.Right = std::clamp(startBounds_.Right + dx, r.Left + minW, std::max(area.Right, r.Left + minW));
    }
    if (OnTop()) {
        r.Top = std::clamp(startBounds_.Top + dy, std::min(area.Top, r.Bottom - minH), r.Bottom - minH);
    } else {
        r.Bottom = std::clamp(startBounds_.Bottom + dy, r.Top + minH, std::max(area.Bottom, r.Top + minH));
    }
    TWinControl* parent = Parent();
    TRect oldClient = parent->ClientRect();
    moving_ = true;
    {
        TScopeGuard reset([&] { moving_ = false; });
        parent->SetBoundsRect(r);
    }
    if (parent->ClientRect() != oldClient) {
        if (OnParentResized) OnParentResized(this);
        UpdatePosition();
    }
}

void TSizeGripGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && sizing_) {
        sizing_ = false;
        SetMouseCapture(false);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------------------
// Edit-button settings

TButtonPaintKindGx EditButtonStyleToPaintKind(TEditButtonStyleGx Style) {
    switch (Style) {
        case ebsDropDownGx: return bpkDropDownGx;
        case ebsEllipsisGx: return bpkEllipsisGx;
        case ebsGlyphGx:
        case ebsUpDownGx: return bpkUpDownGx;
        case ebsPlusGx: return bpkPlusGx;
        case ebsMinusGx: return bpkMinusGx;
    }
    return bpkDropDownGx;
}

TEditButtonGx::TEditButtonGx(TCollection* Collection)
    : TCollectionItem(Collection), glyph_(std::make_unique<TBitmap>()) {
    glyph_->OnChange = MakeEvent(this, &TEditButtonGx::GlyphChanged);
}

TEditButtonGx::TEditButtonGx(TComponent* EditControl, bool Visible)
    : TCollectionItem(nullptr), editControl_(EditControl), glyph_(std::make_unique<TBitmap>()), visible_(Visible) {
    defaultVisible_ = Visible;
    glyph_->OnChange = MakeEvent(this, &TEditButtonGx::GlyphChanged);
}

TEditButtonGx::~TEditButtonGx() = default;

void TEditButtonGx::Notify() {
    if (Collection())
        Changed(false);
    else if (OnChanged)
        OnChanged(this);
}

void TEditButtonGx::GlyphChanged(TObject*) { Notify(); }

void TEditButtonGx::Assign(TPersistent* Source) {
    auto* b = dynamic_cast<TEditButtonGx*>(Source);
    if (!b) {
        TCollectionItem::Assign(Source);
        return;
    }
    dropdownMenu_ = b->dropdownMenu_;
    glyph_->Assign(b->glyph_.get());
    hint_ = b->hint_;
    numGlyphs_ = b->numGlyphs_;
    shortCut_ = b->shortCut_;
    style_ = b->style_;
    visible_ = b->visible_;
    width_ = b->width_;
    OnClick = b->OnClick;
    OnDown = b->OnDown;
    Notify();
}

void TEditButtonGx::SetDropdownMenu(TComponent* Value) {
    if (Value == dropdownMenu_) return;
    dropdownMenu_ = Value;
    Notify();
}

void TEditButtonGx::SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }

void TEditButtonGx::SetHint(const AnsiString& Value) {
    if (Value == hint_) return;
    hint_ = Value;
    Notify();
}

void TEditButtonGx::SetNumGlyphs(int Value) {
    if (Value < 1) Value = 1;
    if (Value == numGlyphs_) return;
    numGlyphs_ = Value;
    Notify();
}

void TEditButtonGx::SetShortCut(TShortCut Value) {
    if (Value == shortCut_) return;
    shortCut_ = Value;
    Notify();
}

void TEditButtonGx::SetStyle(TEditButtonStyleGx Value) {
    if (Value == style_) return;
    style_ = Value;
    Notify();
}

void TEditButtonGx::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Notify();
}

void TEditButtonGx::SetWidth(int Value) {
    if (Value == width_) return;
    width_ = Value;
    Notify();
}

bool TEditButtonGx::IsShortCutStored() const { return shortCut_ != defaultShortCut_; }
bool TEditButtonGx::IsVisibleStored() const { return visible_ != defaultVisible_; }

void TEditButtonGx::InitDefaults(bool Visible, TShortCut ShortCut) {
    visible_ = defaultVisible_ = Visible;
    shortCut_ = defaultShortCut_ = ShortCut;
}

TVisibleEditButtonGx::TVisibleEditButtonGx(TCollection* Collection) : TEditButtonGx(Collection) {
    InitDefaults(true, ::ShortCut(VK_DOWN, ssAlt));
}

TVisibleEditButtonGx::TVisibleEditButtonGx(TComponent* EditControl) : TEditButtonGx(EditControl, true) {
    InitDefaults(true, ::ShortCut(VK_DOWN, ssAlt));
}

TEditButtonsGx::TEditButtonsGx(TPersistent* AOwner, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), owner_(AOwner) {}

void TEditButtonsGx::Update(TCollectionItem* Item) {
    (void)Item;
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// TSpecRowGx

TSpecRowGx::TSpecRowGx(TPersistent* AOwner) : owner_(AOwner), font_(std::make_unique<TFont>()) {
    font_->OnChange = MakeEvent(this, &TSpecRowGx::FontChanged);
}

TSpecRowGx::~TSpecRowGx() = default;

void TSpecRowGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TSpecRowGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    SetCellsText(s->cellsText_);
    if (s->colorAssigned_) SetColor(s->color_);
    if (s->fontAssigned_) SetFont(s->font_.get());
    SetShortCut(s->shortCut_);
    SetShowIfNotInKeyList(s->showIfNotInKeyList_);
    SetValue(s->value_);
    SetVisible(s->visible_);
    EndUpdate();
}

void TSpecRowGx::SetCellsText(const AnsiString& Value) {
    if (Value == cellsText_) return;
    cellsText_ = Value;
    cells_.clear();
    const size_t n = Value.size();
    auto control = [&](size_t i) {
        unsigned char c = static_cast<unsigned char>(Value[i]);
        return c >= 1 && c <= 31;
    };
    size_t i = 0;
    while (i < n) {
        while (i < n && control(i)) ++i;
        if (i >= n) break;
        AnsiString cell;
        if (Value[i] == '"') {
            ++i;
            while (i < n) {
                if (Value[i] == '"') {
                    if (i + 1 < n && Value[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += Value[i++];
            }
            // Whatever follows the closing quote up to the separator is not part of the cell.
            while (i < n && Value[i] != ';') ++i;
        } else {
            while (i < n && Value[i] != ';' && !control(i)) cell += Value[i++];
            while (i < n && control(i)) ++i;
            while (i < n && Value[i] != ';') ++i;
        }
        cells_.push_back(cell);
        if (i < n && Value[i] == ';') ++i;
    }
    Changed();
}

AnsiString TSpecRowGx::GetCellText(int Index) const {
    if (Index < 0 || Index >= CellCount()) return AnsiString();
    return cells_[static_cast<size_t>(Index)];
}

TColor TSpecRowGx::OwnerColor() const {
    if (auto* control = dynamic_cast<TControl*>(owner_)) return control->Color();
    return clWindow;
}

TFont* TSpecRowGx::OwnerFont() const {
    if (auto* control = dynamic_cast<TControl*>(owner_)) return control->Font();
    return nullptr;
}

TColor TSpecRowGx::Color() const { return colorAssigned_ ? color_ : OwnerColor(); }

void TSpecRowGx::SetColor(TColor Value) {
    if (colorAssigned_ && Value == color_) return;
    color_ = Value;
    colorAssigned_ = true;
    Changed();
}

TFont* TSpecRowGx::Font() const {
    if (!fontAssigned_) {
        // Follow the owner's font until one is set here.
        auto* self = const_cast<TSpecRowGx*>(this);
        self->syncingFont_ = true;
        if (TFont* owner = OwnerFont()) {
            font_->Assign(owner);
        } else {
            TFont defaults;
            font_->Assign(&defaults);
        }
        self->syncingFont_ = false;
    }
    return font_.get();
}

void TSpecRowGx::SetFont(TFont* Value) {
    font_->Assign(Value);
    fontAssigned_ = true;
    Changed();
}

void TSpecRowGx::FontChanged(TObject*) {
    if (syncingFont_) return;
    fontAssigned_ = true;
    Changed();
}

void TSpecRowGx::SetShortCut(TShortCut Value) {
    if (Value == shortCut_) return;
    shortCut_ = Value;
    Changed();
}

void TSpecRowGx::SetShowIfNotInKeyList(bool Value) {
    if (Value == showIfNotInKeyList_) return;
    showIfNotInKeyList_ = Value;
    Changed();
}

void TSpecRowGx::SetValue(const Variant& Value) {
    if (VarEquals(Value, value_) && VarType(Value) == VarType(value_)) return;
    value_ = Value;
    Changed();
}

void TSpecRowGx::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Changed();
}

void TSpecRowGx::Changed() {
    if (updateCount_ > 0) {
        pending_ = true;
        return;
    }
    if (OnChange) OnChange(this);
}

void TSpecRowGx::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && pending_) {
        pending_ = false;
        Changed();
    }
}

// ---------------------------------------------------------------------------
// TMRUListGx

TMRUListGx::TMRUListGx(TComponent* AOwner) : owner_(AOwner), items_(std::make_unique<TStringList>()) {}

TMRUListGx::~TMRUListGx() = default;

void TMRUListGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TMRUListGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetActive(s->active_);
    items_->Assign(s->items_.get());
    SetLimit(s->limit_);
    rows_ = s->rows_;
    caseSensitive_ = s->caseSensitive_;
}

void TMRUListGx::SetActive(bool Value) {
    if (Value == active_) return;
    active_ = Value;
    if (OnActiveChanged) OnActiveChanged(this);
}

void TMRUListGx::SetItems(TStrings* Value) { items_->Assign(Value); }

void TMRUListGx::SetLimit(int Value) {
    if (Value == limit_) return;
    limit_ = Value;
    TrimToLimit();
}

void TMRUListGx::TrimToLimit() {
    while (items_->Count() > 0 && items_->Count() > limit_) items_->Delete(0);
}

void TMRUListGx::Add(const AnsiString& Text) {
    AnsiString s = Trim(Text);
    if (s.empty()) return;
    for (int i = 0; i < items_->Count(); ++i) {
        AnsiString item = items_->Strings(i);
        bool equal = caseSensitive_ ? item == s : AnsiCompareTextGx(item, s) == 0;
        if (equal) {
            items_->Move(i, items_->Count() - 1);
            return;
        }
    }
    items_->Add(s);
    TrimToLimit();
}

bool TMRUListGx::ItemBeginsWith(const AnsiString& Item, const AnsiString& Text) const {
    const AnsiString head = Item.substr(0, Text.size());
    return caseSensitive_ ? head == Text : AnsiCompareTextGx(head, Text) == 0;
}

bool TMRUListGx::FilterItemsTo(TStrings* List, const AnsiString& Text) {
    List->BeginUpdate();
    List->Clear();
    bool complete = true;
    for (int i = 0; i < items_->Count(); ++i) {
        if (i > 0 && i % 100 == 0 && cancelFilterOnKey_) {
            TMsg m;
            if (PeekMessage(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
                complete = false;
                break;
            }
        }
        const AnsiString item = items_->Strings(i);
        bool accept = ItemBeginsWith(item, Text);
        if (OnFilterItem) OnFilterItem(this, accept);
        if (accept) List->Add(item);
    }
    List->EndUpdate();
    return complete;
}

void TMRUListGx::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TMRUListGx::CloseUp(bool Accept) {
    if (OnCloseUp) OnCloseUp(this, Accept);
}

// ---------------------------------------------------------------------------
// Data helpers

void TDataLinkGx::DataEvent(TDataEvent Event, intptr_t Info) {
    TDataLink::DataEvent(Event, Info);
    if (OnDataEvent) OnDataEvent(Event, Info);
}

TDatasetFieldValueListGx::TDatasetFieldValueListGx()
    : source_(std::make_unique<TDataSource>(nullptr)),
      link_(std::make_unique<TDataLinkGx>()),
      values_(std::make_unique<TStringList>()) {
    values_->SetSorted(true);
    values_->SetDuplicates(dupIgnore);
    link_->SetDataSource(source_.get());
    link_->OnDataEvent = MakeEvent(this, &TDatasetFieldValueListGx::DataEvent);
}

TDatasetFieldValueListGx::~TDatasetFieldValueListGx() {
    link_->OnDataEvent.Clear();
    link_->SetDataSource(nullptr);
}

void TDatasetFieldValueListGx::SetFieldName(const AnsiString& Value) {
    if (Value == fieldName_) return;
    fieldName_ = Value;
    dirty_ = true;
}

void TDatasetFieldValueListGx::SetDataSet(TDataSet* Value) {
    if (Value == source_->DataSet()) return;
    source_->SetDataSet(Value);
    dirty_ = true;
}

void TDatasetFieldValueListGx::DataEvent(TDataEvent, intptr_t) { dirty_ = true; }

TStrings* TDatasetFieldValueListGx::Values() {
    if (!dirty_) return values_.get();
    values_->Clear();
    TDataSet* ds = DataSet();
    TField* field = ds && ds->Active() ? ds->FindField(fieldName_) : nullptr;
    if (field) {
        // Reading the values leaves the user on the record where they were.
        TBookmarkStr here = ds->Bookmark();
        {
            TControlsDisabled controlsDisabled(ds);
            for (ds->First(); !ds->Eof(); ds->Next()) values_->Add(field->Text());
            if (!here.empty() && ds->BookmarkValid(here)) ds->GotoBookmark(here);
        }
    }
    dirty_ = false;
    return values_.get();
}

// ---------------------------------------------------------------------------
// TEditButtonControlGx

TEditButtonControlGx::TEditButtonControlGx(TComponent* AOwner) : TSpeedButton(AOwner) {}

TEditButtonControlGx::~TEditButtonControlGx() { StopTimer(); }

void TEditButtonControlGx::SetStyle(TEditButtonStyleGx Value) {
    if (Value == style_) return;
    style_ = Value;
    Invalidate();
}

void TEditButtonControlGx::SetActive(bool Value) {
    if (Value == active_) return;
    active_ = Value;
    Invalidate();
}

void TEditButtonControlGx::SetAlwaysDown(bool Value) {
    alwaysDown_ = Value;
    if (Value) {
        SetGroupIndex(1);
        SetDown(true);
        SetAllowAllUp(false);
        SetButtonNum(1);
    } else {
        SetAllowAllUp(true);
        SetDown(false);
        SetGroupIndex(0);
        SetButtonNum(0);
    }
}

bool TEditButtonControlGx::Pressed() const {
    return (State() == bsDown || State() == bsExclusive) && !released_;
}

void TEditButtonControlGx::SetButtonNum(int Value) {
    if (Value == buttonNum_) return;
    buttonNum_ = Value;
    Invalidate();
}

void TEditButtonControlGx::UpdateButtonNum(int Y) {
    if (!Pressed()) {
        SetButtonNum(0);
    } else if (style_ == ebsUpDownGx) {
        int half = Height() / 2;
        SetButtonNum(Y < half ? 1 : (Y > Height() - half ? 2 : 0));
    } else {
        SetButtonNum(1);
    }
}

void TEditButtonControlGx::DoButtonDown(bool TopButton, bool& AutoRepeat, bool& Handled) {
    if (OnDown) OnDown(this, TopButton, AutoRepeat, Handled);
}

void TEditButtonControlGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    released_ = false;
    noDoClick_ = false;
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    UpdateButtonNum(Y);
    if (buttonNum_ == 0) return;
    bool autoRepeat = style_ == ebsUpDownGx;
    bool handled = false;
    DoButtonDown(buttonNum_ == 1, autoRepeat, handled);
    if (autoRepeat) {
        if (!timer_) {
            timer_ = new TTimer(this);
            timer_->SetEnabled(false);
            timer_->SetOnTimer(MakeEvent(this, &TEditButtonControlGx::TimerTick));
        }
        timer_->SetInterval(400);
        timer_->SetEnabled(true);
    }
}

void TEditButtonControlGx::TimerTick(TObject*) {
    timer_->SetInterval(100);
    if (!Pressed() || buttonNum_ == 0) return;
    bool autoRepeat = style_ == ebsUpDownGx;
    bool handled = false;
    DoButtonDown(buttonNum_ == 1, autoRepeat, handled);
    if (!autoRepeat) StopTimer();
}

void TEditButtonControlGx::StopTimer() {
    if (timer_) timer_->SetEnabled(false);
}

void TEditButtonControlGx::MouseMove(TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseMove(Shift, X, Y);
    if (style_ != ebsUpDownGx || !(Shift & ssLeft) || !Pressed()) return;
    int half = Height() / 2;
    // Leaving the pressed half lets the button go.
    if ((buttonNum_ == 2 && Y < half) || (buttonNum_ == 1 && Y > Height() - half)) {
        released_ = true;
        SetButtonNum(0);
        Invalidate();
    }
}

void TEditButtonControlGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (style_ == ebsUpDownGx && !Pressed()) noDoClick_ = true;
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    released_ = false;
    UpdateButtonNum(Y);
    StopTimer();
}

void TEditButtonControlGx::Click() {
    if (noDoClick_) {
        noDoClick_ = false;
        return;
    }
    TSpeedButton::Click();
}

void TEditButtonControlGx::Paint() {
    TColor parentColor = Parent() ? Parent()->Color() : clBtnFace;
    if (style_ == ebsGlyphGx) {
        TSpeedButton::Paint();
        if (Flat()) {
            TRect r = ClientRect();
            HDC dc = CanvasDC(Canvas());
            if (active_ && Pressed())
                DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
            else if (active_)
                DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
            else {
                Canvas()->Brush()->SetColor(parentColor);
                Canvas()->FrameRect(r);
            }
        }
        return;
    }
    PaintButtonControlGx(CanvasDC(Canvas()), ClientRect(), parentColor, EditButtonStyleToPaintKind(style_),
                         Pressed() ? buttonNum_ : 0, Flat(), active_, Enabled(), BST_UNCHECKED);
}

// ---------------------------------------------------------------------------
// TPopupListboxGx

TPopupListboxGx::TPopupListboxGx(TComponent* AOwner) : TCustomListBox(AOwner) {
    SetVisible(false);
    SetTabStop(false);
    SetBorderStyle(bsNone);
    SetStyle(lbOwnerDrawFixed);
    SetItemHeight(GetTextHeight());
    grip_ = new TSizeGripGx(this);
    grip_->SetParent(this);
    grip_->UpdatePosition();
}

TPopupListboxGx::~TPopupListboxGx() = default;

void SetDropDownWindowParams(TCreateParams& Params, bool Ctl3D) {
    Params.Style = WS_POPUP | WS_CLIPCHILDREN | (Ctl3D ? DWORD(0) : DWORD(WS_BORDER));
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.ClassStyle |= CS_SAVEBITS;
    Params.WndParent = nullptr;
}

void TPopupListboxGx::CreateParams(TCreateParams& Params) {
    TCustomListBox::CreateParams(Params);
    SetDropDownWindowParams(Params, Ctl3D());
}

void TPopupListboxGx::CreateWnd() {
    TCustomListBox::CreateWnd();
    if (grip_) grip_->UpdatePosition();
}

int TPopupListboxGx::GetTextHeight() {
    // Measured off screen: the window need not exist yet.
    HDC dc = CreateScreenDC();
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font()->Assign(Font());
    int height = canvas.TextHeight("Wg");
    canvas.SetHandle(nullptr);
    DeleteDC(dc);
    return height;
}

void TPopupListboxGx::CMFontChanged(TMessage& Message) {
    TCustomListBox::CMFontChanged(Message);
    SetItemHeight(GetTextHeight());
    SetBounds(Left(), Top(), Width(), Height());
}

int TPopupListboxGx::RowCount() { return std::max(1, (Height() - 2 * BorderWidth()) / std::max(1, ItemHeight())); }

void TPopupListboxGx::SetRowCount(int Value) {
    SetHeight(std::max(1, Value) * ItemHeight() + 2 * BorderWidth());
}

void TPopupListboxGx::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // Whole rows only.
    int border = 2 * BorderWidth();
    int rowHeight = std::max(1, ItemHeight());
    int rows = std::max(1, (AHeight - border) / rowHeight);
    TCustomListBox::SetBounds(ALeft, ATop, AWidth, rows * rowHeight + border);
}

void TPopupListboxGx::SetImageList(TCustomImageList* Value) {
    if (Value == imageList_) return;
    if (imageList_) imageList_->RemoveFreeNotification(this);
    imageList_ = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TPopupListboxGx::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomListBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == imageList_) imageList_ = nullptr;
}

void TPopupListboxGx::SetExternalItems(TStrings* Value) {
    externalItems_ = Value;
    if (Value) {
        OnData = MakeEvent(this, &TPopupListboxGx::ExternalData);
        SetStyle(lbVirtualOwnerDraw);
        SetCount(Value->Count());
    } else {
        OnData = nullptr;
        SetStyle(lbOwnerDrawFixed);
    }
    SetItemHeight(GetTextHeight());
}

void TPopupListboxGx::ExternalData(TWinControl*, int Index, AnsiString& Data) {
    if (externalItems_ && Index >= 0 && Index < externalItems_->Count()) Data = externalItems_->Strings(Index);
}

void TPopupListboxGx::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
    TCanvas* canvas = Canvas();
    canvas->FillRect(Rect);
    int textLeft = Rect.Left + 2;
    if (imageList_) {
        int imageIndex = -1;
        if (OnGetImageIndex) OnGetImageIndex(this, Index, imageIndex);
        if (imageIndex >= 0)
            imageList_->Draw(canvas, Rect.Left + 2, Rect.Top + (Rect.Height() - imageList_->Height()) / 2, imageIndex,
                             Enabled());
        textLeft = Rect.Left + imageList_->Width() + 4;
    }
    AnsiString text = ItemText(Index);
    TRect r(textLeft, Rect.Top, Rect.Right, Rect.Bottom);
    TBrushStyle old = canvas->Brush()->Style();
    canvas->Brush()->SetStyle(bsClear);
    DrawText(CanvasDC(canvas), text.c_str(), static_cast<int>(text.size()), &r,
             DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    canvas->Brush()->SetStyle(old);
    // The list never holds the keyboard focus, yet shows its item as focused.
    if ((State & odSelected) && !(State & odFocused)) canvas->DrawFocusRect(Rect);
}

void TPopupListboxGx::MouseMove(TShiftState Shift, int X, int Y) {
    if (!(Shift & (ssLeft | ssRight | ssMiddle)) && TPoint(X, Y) != lastHover_) {
        lastHover_ = TPoint(X, Y);
        int index = ItemAtPos(lastHover_, true);
        if (index >= 0 && index != ItemIndex()) SetItemIndex(index);
    }
    TCustomListBox::MouseMove(Shift, X, Y);
}

void TPopupListboxGx::TypeAhead(unsigned char C) {
    DWORD now = GetTickCount();
    if (now - lastKeyTime_ > 2000) searchText_.clear();
    lastKeyTime_ = now;
    if (searchText_.size() < 32) searchText_ += static_cast<char>(C);
    Perform(LB_SELECTSTRING, 0xFFFF, reinterpret_cast<LPARAM>(searchText_.c_str()));
}

void TPopupListboxGx::PaintBorder() {
    if (!HandleAllocated()) return;
    HDC dc = GetWindowDC(Handle());
    if (!dc) return;
    TRect r(0, 0, Width(), Height());
    if (Ctl3D()) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    } else {
        HBRUSH b = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
        FrameRect(dc, &r, b);
        DeleteObject(b);
    }
    ReleaseDC(Handle(), dc);
}

void TPopupListboxGx::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
        case WM_GRIPSIDEGX:
            if (grip_) grip_->ChangePosition(static_cast<int>(Message.WParam));
            return;
        case WM_NCCALCSIZE: {
            if (auto* rects = reinterpret_cast<TRect*>(Message.LParam)) {
                TCustomListBox::Dispatch(Message);
                int b = BorderWidth();
                InflateRect(&rects[0], -b, -b);
                if (rects[0].Right < rects[0].Left) rects[0].Right = rects[0].Left;
                if (rects[0].Bottom < rects[0].Top) rects[0].Bottom = rects[0].Top;
            }
            return;
        }
        case WM_NCPAINT: PaintBorder(); return;
        case WM_CHAR: {
            if (DoKeyPress(Message)) return;
            auto c = static_cast<unsigned char>(Message.WParam & 0xFF);
            if (c == VK_BACK || c == VK_ESCAPE)
                searchText_.clear();
            else if (c >= 32)
                TypeAhead(c);
            return;
        }
        case WM_MOUSEWHEEL: {
            int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
            int index = ItemIndex() + (delta > 0 ? -1 : 1);
            if (index >= 0 && index < Count()) SetItemIndex(index);
            Message.Result = 1;
            return;
        }
        case WM_SIZE:
            TCustomListBox::Dispatch(Message);
            if (grip_) grip_->UpdatePosition();
            return;
        default: break;
    }
    TCustomListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TMRUListboxGx

TMRUListboxGx::TMRUListboxGx(TComponent* AOwner) : TPopupListboxGx(AOwner) {
    scrollBar_ = new TScrollBar(this);
    scrollBar_->SetKind(sbVertical);
    scrollBar_->SetVisible(false);
    scrollBar_->SetParent(this);
    scrollBar_->OnScroll = MakeEvent(this, &TMRUListboxGx::BarScrolled);
}

void TMRUListboxGx::UpdateScrollBar() {
    if (updating_ || !scrollBar_) return;
    updating_ = true;
    // The window's own bar gives way to ours.
    if (HandleAllocated()) ShowScrollBar(Handle(), SB_VERT, 0);
    TSizeGripGx* grip = SizeGrip();
    bool gripRight = grip->Position() == sgpTopRight || grip->Position() == sgpBottomRight;
    int rows = std::max(1, ClientHeight() / std::max(1, ItemHeight()));
    int count = Count();
    if (count > rows) {
        int width = GetSystemMetrics(SM_CXVSCROLL);
        int top = 0, height = ClientHeight();
        if (gripRight && grip->Visible()) {
            height -= grip->Height();
            if (grip->Position() == sgpTopRight) top = grip->Height();
        }
        scrollBar_->SetBounds(ClientWidth() - width, top, width, std::max(0, height));
        scrollBar_->SetParams(std::max(0, ItemIndex()), 0, count - 1);
        scrollBar_->SetPageSize(rows);
        scrollBar_->SetVisible(true);
        if (gripRight) grip->SetTriangleWindow(false);
    } else {
        scrollBar_->SetVisible(false);
        grip->SetTriangleWindow(true);
    }
    updating_ = false;
}

void TMRUListboxGx::ItemsChanged() {
    TPopupListboxGx::ItemsChanged();
    UpdateScrollBar();
}

void TMRUListboxGx::BarScrolled(TObject*, TScrollCode, int& ScrollPos) {
    if (ScrollPos >= 0 && ScrollPos < Count()) SetItemIndex(ScrollPos);
}

void TMRUListboxGx::Dispatch(TMessage& Message) {
    TPopupListboxGx::Dispatch(Message);
    // Whatever the message moved, the bar follows.
    switch (Message.Msg) {
        case WM_SIZE:
        case WM_GRIPSIDEGX:
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_MOUSEWHEEL:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case LB_SETCURSEL:
        case LB_SELECTSTRING: UpdateScrollBar(); break;
        default: break;
    }
}

// ---------------------------------------------------------------------------
// TPopupMonthCalendarGx

TPopupMonthCalendarGx::TPopupMonthCalendarGx(TComponent* AOwner) : TMonthCalendar(AOwner) {
    SetVisible(false);
    SetTabStop(false);
    UpdateSize();
}

void TPopupMonthCalendarGx::CreateParams(TCreateParams& Params) {
    TMonthCalendar::CreateParams(Params);
    Params.Style = WS_POPUP | (Ctl3D() ? DWORD(0) : DWORD(WS_BORDER));
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.ClassStyle |= CS_SAVEBITS;
    Params.WndParent = nullptr;
}

void TPopupMonthCalendarGx::CreateWnd() {
    TMonthCalendar::CreateWnd();
    UpdateSize();
}

void TPopupMonthCalendarGx::UpdateSize() {
    TRect r;
    Perform(MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
    SetBounds(Left(), Top(), r.Width() + 2 * BorderWidth(), r.Height() + 2 * BorderWidth());
}

void TPopupMonthCalendarGx::CloseUp(bool Accept) {
    if (auto* owner = dynamic_cast<IPopupOwnerGx*>(Owner())) owner->CloseUp(Accept);
}

void TPopupMonthCalendarGx::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
        case WM_KEYDOWN:
            if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
                CloseUp(Message.WParam == VK_RETURN);
                return;
            }
            break;
        case WM_MOUSEWHEEL: {
            int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
            SetDate(Date() + (delta < 0 ? 1 : -1));
            Message.Result = 1;
            return;
        }
        case WM_LBUTTONDOWN: {
            // The calendar takes the click first, so that a clicked date is chosen.
            TMonthCalendar::WndProc(Message);
            MCHITTESTINFO info;
            info.pt = TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
            Perform(MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
            UINT hit = info.uHit;
            if ((hit & MCHT_CALENDARDATE) != 0 && hit != MCHT_CALENDARDAY && hit != MCHT_TITLEBTNNEXT &&
                hit != MCHT_TITLEBTNPREV) {
                if (hit & MCHT_CALENDAR) SetDate(info.st);
                CloseUp(true);
            }
            return;
        }
        case WM_LBUTTONUP: {
            TMonthCalendar::WndProc(Message);
            TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
            if (!PtInRect(ClientRect(), p)) CloseUp(false);
            return;
        }
        case WM_KILLFOCUS: {
            HWND to = reinterpret_cast<HWND>(Message.WParam);
            TMonthCalendar::WndProc(Message);
            if (!HandleAllocated() || !to || (to != Handle() && !IsChild(Handle(), to)))
                PostMessage(Handle(), WM_USER + 101, 0, 0);
            return;
        }
        case WM_USER + 101: CloseUp(false); return;
        default: break;
    }
    TMonthCalendar::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Published properties

TESK_PUBLISHED(TSizeGripGx) {
    Property("Position", &T::Position, &T::SetPosition).Default(sgpBottomRight);
    Property("TriangleWindow", &T::TriangleWindow, &T::SetTriangleWindow).Default(true);
    Property("OnParentResized", &T::OnParentResized, &T::OnParentResized);
}

TESK_PUBLISHED(TEditButtonGx) {
    Property("DropdownMenu", &T::DropdownMenu, &T::SetDropdownMenu);
    Property("Glyph", &T::Glyph, &T::SetGlyph);
    Property("Hint", &T::Hint, &T::SetHint);
    Property("NumGlyphs", &T::NumGlyphs, &T::SetNumGlyphs).Default(1);
    Property("ShortCut", TypeInfoTShortCut(), &T::ShortCut, &T::SetShortCut).Stored(&T::IsShortCutStored);
    Property("Style", &T::Style, &T::SetStyle).Default(ebsDropDownGx);
    Property("Visible", &T::Visible, &T::SetVisible).Stored(&T::IsVisibleStored);
    Property("Width", &T::Width, &T::SetWidth).Default(0);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnDown", &T::OnDown, &T::OnDown);
}

TESK_PUBLISHED(TVisibleEditButtonGx) {}

TESK_PUBLISHED(TEditButtonsGx) {}

TESK_PUBLISHED(TSpecRowGx) {
    Property("CellsText", &T::CellsText, &T::SetCellsText);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
    Property("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    Property("ShortCut", TypeInfoTShortCut(), &T::ShortCut, &T::SetShortCut).Default(32814);
    Property("ShowIfNotInKeyList", &T::ShowIfNotInKeyList, &T::SetShowIfNotInKeyList).Default(true);
    // Null, the default, is not written.
    Property("Value", &T::Value, &T::SetValue).Stored([](const TSpecRowGx& Row) { return !VarIsNull(Row.Value()); });
    Property("Visible", &T::Visible, &T::SetVisible).Default(false);
}

TESK_PUBLISHED(TEditButtonControlGx) {
    Property("Style", &T::Style, &T::SetStyle).Default(ebsDropDownGx);
    Property("Active", &T::Active, &T::SetActive).Default(false);
}

TESK_PUBLISHED(TPopupListboxGx) {}

TESK_PUBLISHED(TMRUListboxGx) {}

TESK_PUBLISHED(TPopupMonthCalendarGx) {}

TESK_PUBLISHED(TMRUListGx) {
    Property("Active", &T::Active, &T::SetActive).Default(false);
    Property("AutoAdd", &T::AutoAdd, &T::SetAutoAdd).Default(true);
    Property("CaseSensitive", &T::CaseSensitive, &T::SetCaseSensitive).Default(false);
    Property("Items", &T::Items, &T::SetItems);
    Property("Limit", &T::Limit, &T::SetLimit).Default(100);
    Property("Rows", &T::Rows, &T::SetRows).Default(7);
}
