#pragma once
// The colours of selected, focused and highlighted grid cells. One style
// object is shared by every grid of the process; a grid asks it for the
// colours of its data cells and of its other (title, indicator, filter-row,
// footer) cells. On displays with more than 256 colours, selected cells that
// are not the current cell get a pale blend of their own colour and the
// highlight colour.
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/gui/Grids.h"
#include "platform/gui/WinApi.h"

class TCustomDBGridGx;

// Halfway between C1 and C2, moved 60% of the way towards 225 per channel;
// Stretch pushes each channel a quarter further away from 122. Channels are
// rounded half to even and kept in 0..255.
TColor Blend(TColor C1, TColor C2, bool Stretch);

// What the colour rules read of a grid about one of its data cells.
struct TDataCellColorInfoGx {
    int ACol = 0;  // framework column and row
    int ARow = 0;
    int DataCol = 0;
    int DataRow = 0;
    TGridDrawState State;
    AnsiString Text;
    bool DataLinkActive = false;
    bool Selected = false;             // the grid's selection holds the cell's record for this column
    bool Focused = false;              // the grid has the focus
    bool GridOrEditorFocused = false;  // the grid or its in-place editor has it
    bool CurrentRow = false;
    bool CurrentCol = false;
    bool SelectionEmpty = true;
    bool RowSelect = false;            // dgRowSelect
    bool AlwaysShowSelection = false;  // dgAlwaysShowSelection
    bool HighlightFocus = false;       // dghHighlightFocus
    bool RowHighlight = false;         // dghRowHighlight
    bool EditorShowing = false;
    HDC DC = nullptr;                  // the canvas's context, for the nearest pure colour
};

// What the colour rules read of a grid about a cell that is not a data cell.
struct THighlightCellInfoGx {
    int ACol = 0;
    int ARow = 0;
    int DataCol = 0;
    int DataRow = 0;
    TGridDrawState State;
    bool Selected = false;
    bool Focused = false;
    bool IndicatorColumn = false;  // the cell lies in the indicator column
    bool TitleArea = false;        // the title or the filter row
    bool RowAfterData = false;     // the row right after the data rows
};

// The rules of a grid without a style: no blending.
bool DefaultDataCellColorsGx(const TDataCellColorInfoGx& Cell, TFont* AFont, TColor& AColor);
bool DefaultHighlightColorsGx(const THighlightCellInfoGx& Cell, TFont* AFont, TColor& AColor);

class TDBGridGxStyle : public TPersistent {
public:
    TDBGridGxStyle();
    ~TDBGridGxStyle() override;
    const char* ClassName() const override { return "TDBGridGxStyle"; }

    // Attaches a grid once; Detached is called when the style goes while the grid is attached.
    void AddGrid(TCustomDBGridGx* Grid, TNotifyEvent Detached = nullptr);
    void RemoveGrid(TCustomDBGridGx* Grid);
    bool HasGrid(TCustomDBGridGx* Grid) const;
    int GridCount() const { return static_cast<int>(grids_.size()); }

    bool BlendColors() const { return blendColors_; }
    void SetBlendColors(bool Value) { blendColors_ = Value; }
    // NUMCOLORS of the display; -1 means more than 256 colours.
    int ColorCount() const { return colorCount_; }
    // Whether grids draw focus rectangles around the current cell or row.
    bool DrawFocusRect() const { return drawFocusRect_; }
    void SetDrawFocusRect(bool Value) { drawFocusRect_ = Value; }
    // A value or a fixed item chosen from a filter cell's list applies the filter at once.
    bool FilterEditCloseUpApplyFilter() const { return filterEditCloseUpApplyFilter_; }
    void SetFilterEditCloseUpApplyFilter(bool Value) { filterEditCloseUpApplyFilter_ = Value; }
    // The hidden window that hears WM_SYSCOLORCHANGE.
    HWND Handle() const { return handle_; }

    // True when the cell is shown highlighted; AColor and the font colour are
    // then those of the highlight.
    virtual bool GetCellColors(TCustomDBGridGx* Sender, const TDataCellColorInfoGx& Cell, TFont* AFont,
                               TColor& AColor);
    virtual bool GetHighlightColors(TCustomDBGridGx* Sender, const THighlightCellInfoGx& Cell, TFont* AFont,
                                    TColor& AColor);
    virtual void WndProc(TMessage& Message);
    // Reads the display's colour count again.
    virtual void UpdateColorDepth();

    // Set while testing the rules of displays with 256 colours or fewer.
    void SetColorCountForTest(int Value) { colorCount_ = Value; }

private:
    struct TAttached {
        TCustomDBGridGx* Grid;
        TNotifyEvent Detached;
    };
    std::vector<TAttached> grids_;
    bool blendColors_ = true;
    int colorCount_ = -1;
    bool drawFocusRect_ = true;
    bool filterEditCloseUpApplyFilter_ = false;
    HWND handle_ = nullptr;
};

// The style every grid attaches to; made on first use, nil once freed.
TDBGridGxStyle* DBGridGxDefaultStyle();
// Frees the shared style (at the end of the program), detaching its grids.
void FreeDBGridGxDefaultStyle();
// Makes a new shared style after it was freed (tests).
void RecreateDBGridGxDefaultStyle();
