#include "grid/DBGridGxStyle.h"

#include <algorithm>
#include <cmath>

namespace {

int BlendChannel(int c1, int c2, bool stretch) {
    double m = c1 + (c2 - c1) * 0.5;
    double v = m + (225 - m) * 0.6;
    if (stretch) v = v - (122 - v) * 0.25;
    double r = std::nearbyint(v);  // the default rounding mode rounds halves to even
    return static_cast<int>(std::clamp(r, 0.0, 255.0));
}

TColor NearestColor(HDC DC, TColor Color) {
    return static_cast<TColor>(GetNearestColor(DC, static_cast<COLORREF>(ColorToRGB(Color))));
}

// Steps 1 to 3 of the data-cell rules: whether the cell shows highlighted, and
// whether it is focus-highlighted.
bool DataCellHighlighted(const TDataCellColorInfoGx& Cell, bool& FocusHighlight) {
    bool selected = Cell.DataLinkActive && Cell.Selected;
    FocusHighlight = Cell.Focused && Cell.HighlightFocus;
    if (selected) return true;
    TGridDrawState state = Cell.State;
    if (Cell.RowHighlight && Cell.CurrentRow && Cell.SelectionEmpty && !Cell.CurrentCol) {
        FocusHighlight = true;
        state.Include(gdSelected);
    }
    return (state.Contains(gdSelected) || (Cell.CurrentRow && Cell.RowSelect)) &&
           (Cell.AlwaysShowSelection || FocusHighlight) && (!Cell.EditorShowing || Cell.RowSelect);
}

bool IsCurrentCell(const TDataCellColorInfoGx& Cell) {
    return Cell.CurrentRow && (Cell.CurrentCol || Cell.RowSelect);
}

// Title, filter-row and indicator cells are shown selected in dark grey.
bool DarkSelection(const THighlightCellInfoGx& Cell) {
    return Cell.IndicatorColumn ? !Cell.RowAfterData : Cell.TitleArea;
}

TDBGridGxStyle*& SharedStyle() {
    static TDBGridGxStyle* style = nullptr;
    return style;
}
bool& SharedStyleFreed() {
    static bool freed = false;
    return freed;
}

}  // namespace

TColor Blend(TColor C1, TColor C2, bool Stretch) {
    COLORREF a = static_cast<COLORREF>(ColorToRGB(C1));
    COLORREF b = static_cast<COLORREF>(ColorToRGB(C2));
    return static_cast<TColor>(RGB(BlendChannel(GetRValue(a), GetRValue(b), Stretch),
                                   BlendChannel(GetGValue(a), GetGValue(b), Stretch),
                                   BlendChannel(GetBValue(a), GetBValue(b), Stretch)));
}

bool DefaultDataCellColorsGx(const TDataCellColorInfoGx& Cell, TFont* AFont, TColor& AColor) {
    bool focusHighlight = false;
    if (!DataCellHighlighted(Cell, focusHighlight)) return false;
    if (Cell.GridOrEditorFocused) {
        AColor = clHighlight;
        AFont->SetColor(clHighlightText);
    } else if (IsCurrentCell(Cell) && (Cell.AlwaysShowSelection || focusHighlight)) {
        AColor = clBtnShadow;
        AFont->SetColor(clHighlightText);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

bool DefaultHighlightColorsGx(const THighlightCellInfoGx& Cell, TFont* AFont, TColor& AColor) {
    if (!Cell.Selected) return false;
    if (DarkSelection(Cell)) {
        AColor = 0x404040;
        AFont->SetColor(0xFFFFFF);
    } else if (Cell.Focused) {
        AColor = clHighlight;
        AFont->SetColor(clHighlightText);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

// ---------------------------------------------------------------------------
// TDBGridGxStyle

TDBGridGxStyle::TDBGridGxStyle() {
    UpdateColorDepth();
    handle_ = AllocateHWnd(TWndMethod(this, &TDBGridGxStyle::WndProc));
}

TDBGridGxStyle::~TDBGridGxStyle() {
    // Grids left attached fall back on their own rules.
    std::vector<TAttached> grids;
    grids.swap(grids_);
    for (const TAttached& a : grids)
        if (a.Detached) a.Detached(nullptr);
    if (handle_) DeallocateHWnd(handle_);
}

void TDBGridGxStyle::AddGrid(TCustomDBGridGx* Grid, TNotifyEvent Detached) {
    if (!Grid || HasGrid(Grid)) return;
    grids_.push_back({Grid, Detached});
}

void TDBGridGxStyle::RemoveGrid(TCustomDBGridGx* Grid) {
    grids_.erase(std::remove_if(grids_.begin(), grids_.end(), [&](const TAttached& a) { return a.Grid == Grid; }),
                 grids_.end());
}

bool TDBGridGxStyle::HasGrid(TCustomDBGridGx* Grid) const {
    return std::any_of(grids_.begin(), grids_.end(), [&](const TAttached& a) { return a.Grid == Grid; });
}

bool TDBGridGxStyle::GetCellColors(TCustomDBGridGx*, const TDataCellColorInfoGx& Cell, TFont* AFont,
                                   TColor& AColor) {
    bool focusHighlight = false;
    if (!DataCellHighlighted(Cell, focusHighlight)) return false;
    if (Cell.GridOrEditorFocused) {
        if (blendColors_ && colorCount_ == -1 && !IsCurrentCell(Cell)) {
            AColor = NearestColor(Cell.DC, Blend(AColor, clHighlight, true));
        } else {
            AColor = clHighlight;
            AFont->SetColor(clHighlightText);
        }
    } else if (IsCurrentCell(Cell) && (Cell.AlwaysShowSelection || focusHighlight)) {
        AColor = clBtnShadow;
        AFont->SetColor(clHighlightText);
    } else if (colorCount_ == -1) {
        AColor = NearestColor(Cell.DC, Blend(AColor, clBtnShadow, false));
    } else {
        AColor = clBtnFace;
    }
    return true;
}

bool TDBGridGxStyle::GetHighlightColors(TCustomDBGridGx*, const THighlightCellInfoGx& Cell, TFont* AFont,
                                        TColor& AColor) {
    if (!Cell.Selected) return false;
    if (DarkSelection(Cell)) {
        AColor = 0x404040;
        AFont->SetColor(0xFFFFFF);
    } else if (Cell.Focused) {
        if (blendColors_ && colorCount_ == -1) {
            AColor = Blend(AColor, clHighlight, true);
        } else {
            AColor = clHighlight;
            AFont->SetColor(clHighlightText);
        }
    } else if (colorCount_ == -1) {
        AColor = Blend(AColor, clBtnShadow, false);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

void TDBGridGxStyle::WndProc(TMessage& Message) {
    if (Message.Msg == WM_SYSCOLORCHANGE)
        UpdateColorDepth();
    else
        Message.Result = DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam);
}

void TDBGridGxStyle::UpdateColorDepth() {
    HDC dc = CreateScreenDC();
    colorCount_ = GetDeviceCaps(dc, NUMCOLORS);
    DeleteDC(dc);
}

// ---------------------------------------------------------------------------
// The shared style

TDBGridGxStyle* DBGridGxDefaultStyle() {
    if (!SharedStyle() && !SharedStyleFreed()) SharedStyle() = new TDBGridGxStyle();
    return SharedStyle();
}

void FreeDBGridGxDefaultStyle() {
    TDBGridGxStyle* style = SharedStyle();
    SharedStyle() = nullptr;
    SharedStyleFreed() = true;
    delete style;
}

void RecreateDBGridGxDefaultStyle() {
    SharedStyleFreed() = false;
    DBGridGxDefaultStyle();
}
