#pragma once
// The grid control base: TCustomGrid keeps the rows and columns, the fixed
// cells, each column's width and row's height, the current cell and the top
// left cell of the scrolled area; it works out where every cell lies on the
// screen, scrolls, sizes and moves columns with the mouse, and hosts the
// in-place editor TInplaceEdit over the current cell. A derived grid draws the
// cells (DrawCell) and may take over painting, keys and the mouse entirely.
//
// A column whose width is -1 while vertical lines are drawn (0 without lines)
// takes no room at all: neither the column nor its line is shown.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/StdCtrls.h"  // TScrollStyle

// A small set of enumeration values, bit n standing for value n.
template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values) {
        for (E v : values) bits_ |= Bit(v);
    }
    static constexpr TEnumSet FromBits(uint32_t bits) {
        TEnumSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TEnumSet& Include(E v) {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr TEnumSet& Exclude(E v) {
        bits_ &= ~Bit(v);
        return *this;
    }
    friend constexpr TEnumSet operator+(TEnumSet a, TEnumSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TEnumSet operator*(TEnumSet a, TEnumSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr TEnumSet operator+(TEnumSet a, E b) { return a.Include(b); }
    friend constexpr TEnumSet operator-(TEnumSet a, E b) { return a.Exclude(b); }
    friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

private:
    static constexpr uint32_t Bit(E v) { return 1u << static_cast<unsigned>(v); }
    uint32_t bits_ = 0;
};
template <class E>
struct TSetTraits<TEnumSet<E>> {
    static TSetBits ToBits(const TEnumSet<E>& s) { return OrdToSetBits(s.Bits()); }
    static TEnumSet<E> FromBits(const TSetBits& b) {
        return TEnumSet<E>::FromBits(static_cast<uint32_t>(SetBitsToOrd(b)));
    }
};

TESK_DECLARE_EXCEPTION(EInvalidGridOperation, Exception);

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// Cells from (Left, Top) to (Right, Bottom), both corners included; (-1, -1, -1, -1) is none.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TGridRect() = default;
    constexpr TGridRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TGridCoord TopLeft() const { return {Left, Top}; }
    constexpr TGridCoord BottomRight() const { return {Right, Bottom}; }
    friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
};
inline constexpr TGridRect kNoGridRect{-1, -1, -1, -1};

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TEnumSet<TGridDrawStateItem>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goRowSizing,
    goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TEnumSet<TGridOption>;

TESK_ENUM_INFO(TGridDrawStateItem, gdSelected, gdFocused, gdFixed)
TESK_SET_INFO(TGridDrawState, TGridDrawStateItem)
TESK_ENUM_INFO(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
               goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs,
               goRowSelect, goAlwaysShowEditor, goThumbTracking)
TESK_SET_INFO(TGridOptions, TGridOption)

// One axis of the grid as it lies on the screen: columns horizontally, rows vertically.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;  // the grid line after each cell (0 without lines)
    int FixedBoundary = 0;       // where the fixed cells end
    int GridBoundary = 0;        // where the drawn cells end (at most GridExtent)
    int GridExtent = 0;          // the client size along the axis
    int LastFullVisibleCell = 0;
    int FullVisBoundary = 0;     // where the last fully visible cell ends
    int FixedCellCount = 0;
    int FirstGridCell = 0;       // the first scrollable cell shown (LeftCol or TopRow)
    int GridCellCount = 0;
    std::vector<int> Extents;    // the size of every cell
    int GetExtent(int Index) const {
        return Index >= 0 && Index < static_cast<int>(Extents.size()) ? Extents[static_cast<size_t>(Index)] : 0;
    }
};
struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

class TCustomGrid;

// The single-line edit that a grid lays over its current cell. It belongs to
// its grid and is its window's child; text changes go to the grid's
// SetEditText, navigation keys to the grid's KeyDown.
class TInplaceEdit : public TCustomControl {
    TESK_CLASS(TInplaceEdit, TCustomControl)
public:
    explicit TInplaceEdit(TComponent* AOwner);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return grid_; }
    // Places the editor over a cell rectangle (client coordinates of the grid) and shows it.
    void Move(const TRect& Loc);
    void Hide();
    void Invalidate() override;
    void SetFocus() override;
    bool Focused();
    // Places the editor again over the grid's current cell.
    void UpdateLoc(const TRect& Loc);
    bool PosEqual(const TRect& Rect) const;
    virtual void UpdateContents();
    virtual void BoundsChanged();

    // The text and its selection (0-based offsets).
    AnsiString GetText() override { return text_; }
    AnsiString EditText() { return text_; }
    void SetEditText(const AnsiString& Value);
    int SelStart() const { return selStart_; }
    void SetSelStart(int Value);
    int SelLength() const { return selLength_; }
    void SetSelLength(int Value);
    AnsiString SelText() const;
    void SetSelText(const AnsiString& Value);
    void SelectAll();
    void Deselect();
    bool Modified() const { return modified_; }
    void SetModified(bool Value) { modified_ = Value; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    // Stored for the grid's columns; input is not checked against a mask.
    const AnsiString& EditMask() const { return editMask_; }
    void SetEditMask(const AnsiString& Value) { editMask_ = Value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool Value) { autoSelect_ = Value; }
    // Where a text that fits stands in the text area; a longer one scrolls from the left.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    // The area of the window the text is drawn in (EM_SETRECTNP sets it).
    TRect EditRect() const;
    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void DestroyWnd() override;
    void Paint() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void SetTextBuf(const AnsiString& Value) override;
    virtual bool EditCanModify();
    // The text changed by the user or by code: EN_CHANGE to the grid, then OnChange.
    virtual void Change();
    virtual void WMGetDlgCode(TMessage& Message);
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMChar(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void WMSize(TMessage& Message) override;

private:
    friend class TCustomGrid;
    void SetGrid(TCustomGrid* Value) { grid_ = Value; }
    void ReplaceSelection(const AnsiString& Value, bool User);
    void MoveCaret(int Pos, bool Extend);
    int CharFromX(int X);
    int TextX(int Index);
    int TextOrigin();
    void UpdateCaret();
    bool CopySelection();
    void PasteText();

    TCustomGrid* grid_ = nullptr;
    AnsiString text_;
    int selStart_ = 0;
    int selLength_ = 0;
    int anchor_ = 0;  // the fixed end of the selection while Shift extends it
    int caret_ = 0;
    int scroll_ = 0;  // pixels of text scrolled out at the left
    bool modified_ = false;
    int maxLength_ = 0;
    bool readOnly_ = false;
    bool autoSelect_ = true;
    TAlignment alignment_ = taLeftJustify;
    AnsiString editMask_;
    TRect editRect_;
    bool editRectSet_ = false;
    bool caretCreated_ = false;
    int clickTime_ = 0;
};

class TCustomGrid : public TCustomControl {
    TESK_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // Counts and sizes.
    int ColCount() const { return colCount_; }
    void SetColCount(int Value);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int Value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int Value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int Value);
    // Setting it gives every row that height again.
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int Value);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int Value);
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    bool TabStops(int Index) const;
    void SetTabStops(int Index, bool Value);

    // Position.
    int Col() const { return current_.X; }
    void SetCol(int Value);
    int Row() const { return current_.Y; }
    void SetRow(int Value);
    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int Value);
    int LeftCol() const { return topLeft_.X; }
    void SetLeftCol(int Value);
    TGridRect Selection() const;
    void SetSelection(const TGridRect& Value);
    // Fully visible scrollable columns and rows.
    int VisibleColCount();
    int VisibleRowCount();

    // Behaviour.
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    // When set, Paint fills fixed cells and draws the focus rectangle around DrawCell.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool Value);
    TGridOptions DesignOptionsBoost() const { return designOptionsBoost_; }
    void SetDesignOptionsBoost(TGridOptions Value) { designOptionsBoost_ = Value; }
    // A flag for derived grids whose rows are not all held at once.
    bool VirtualView() const { return virtualView_; }
    void SetVirtualView(bool Value) { virtualView_ = Value; }
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor Value);
    TGridState GridState() const { return gridState_; }

    // Geometry.
    void CalcDrawInfo(TGridDrawInfo& DrawInfo);
    // Only the fixed part of each axis (no scrolled cells).
    void CalcFixedInfo(TGridDrawInfo& DrawInfo);
    // A cell without its grid lines; empty when it is out of view.
    TRect CellRect(int ACol, int ARow);
    TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom);
    // The cell under a client point, (-1, -1) outside the cells.
    TGridCoord MouseCoord(int X, int Y);
    TGridCoord CalcCoordFromPoint(int X, int Y, const TGridDrawInfo& DrawInfo);

    // Painting of parts.
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid() { Invalidate(); }
    void InvalidateGridRect(const TGridRect& ARect);

    // The editor.
    virtual void ShowEditor();
    void HideEditor();
    void ShowEditorChar(char Ch);
    // Drops the cell the editor holds so that the next UpdateEdit reloads it.
    void InvalidateEditor();
    void UpdateEdit();
    // The editor's text as the grid's edit text.
    void UpdateText();

    // Moving.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    void MoveTopLeft(int ALeft, int ATop);
    void ClampInView(const TGridCoord& Coord);
    void ScrollData(int DX, int DY);

    void Dispatch(TMessage& Message) override;
    void Loaded() override;
    void Paint() override;
    void ChangeScale(int M, int D) override;

    // Cell content, for the editor.
    virtual AnsiString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);
    virtual AnsiString GetEditMask(int ACol, int ARow);
    virtual int GetEditLimit();
    virtual bool CanEditModify();
    virtual bool CanEditAcceptKey(char Key);
    virtual bool CanGridAcceptKey(WORD Key, TShiftState Shift);

protected:
    friend class TInplaceEdit;

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void DoExit() override;

    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) = 0;
    virtual bool SelectCell(int ACol, int ARow);
    virtual bool CanEditShow();
    virtual TInplaceEdit* CreateEditor();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void TopLeftChanged();
    virtual void TimedScroll(int Direction);
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    // The sizing or moving state a press at (X, Y) starts; Index the column or
    // row, SizingPos the line's position and SizingOfs the press's distance from it.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                 TGridDrawInfo& FixedInfo);
    // True when a press at (X, Y) would start sizing a row or column.
    bool Sizing(int X, int Y);
    virtual void DrawSizingLine(const TGridDrawInfo& DrawInfo);
    virtual void DrawMove();
    void UpdateScrollPos();
    void UpdateScrollRange();
    // The greatest left column and top row with which the last cells still fill the client area.
    TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo);
    void CancelMode();
    // Shortcuts for the drag states of derived grids.
    void SetGridState(TGridState Value) { gridState_ = Value; }
    int SizingIndex() const { return sizingIndex_; }
    void SetSizingIndex(int Value) { sizingIndex_ = Value; }
    int SizingPos() const { return sizingPos_; }
    void SetSizingPos(int Value) { sizingPos_ = Value; }
    int SizingOfs() const { return sizingOfs_; }
    void SetSizingOfs(int Value) { sizingOfs_ = Value; }
    // The options in force (the design-time boost has no effect: nothing is designed here).
    TGridOptions EffectiveOptions() const { return options_; }

    virtual void WMGetDlgCode(TMessage& Message);
    void WMSize(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMChar(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;
    void WMSetCursor(TMessage& Message) override;
    virtual void WMTimer(TMessage& Message);
    virtual void WMCommand(TMessage& Message) override;
    void CMCancelMode(TMessage& Message);
    void CMFontChanged(TMessage& Message) override;

    TGridCoord current_{0, 0};
    TGridCoord anchor_{0, 0};
    TGridCoord topLeft_{0, 0};
    TInplaceEdit* inplaceEdit_ = nullptr;

private:
    void ChangeSize(int NewColCount, int NewRowCount);
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    void MoveAnchor(const TGridCoord& NewAnchor);
    void MoveAdjust(int& CellPos, int FromIndex, int ToIndex);
    void InvalidateRectOfCells(const TGridRect& Cells);
    void CalcAxis(TGridAxisDrawInfo& Axis, int FixedCount, int FirstCell, int CellCount, int Extent,
                  bool Lines, const std::vector<int>* Sizes, int DefaultSize);
    void FillAxis(TGridAxisDrawInfo& Axis);
    bool AxisSpan(const TGridAxisDrawInfo& Axis, int First, int Last, int& Start, int& End);
    int AxisCellAt(const TGridAxisDrawInfo& Axis, int Pos);
    void ModifyScrollBar(int Bar, int ScrollCode, int Pos);
    void SetColRowExtent(std::vector<int>& Sizes, int Count, int Default);
    void DoSizingMouseMove(int X, int Y);
    bool HorzBarShown() const { return scrollBars_ == ssHorizontal || scrollBars_ == ssBoth; }
    bool VertBarShown() const { return scrollBars_ == ssVertical || scrollBars_ == ssBoth; }

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    std::vector<uint8_t> tabStops_;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TGridOptions designOptionsBoost_{goColSizing, goRowSizing};
    TScrollStyle scrollBars_ = ssBoth;
    TBorderStyle borderStyle_ = bsSingle;
    bool defaultDrawing_ = true;
    bool virtualView_ = false;
    bool editorMode_ = false;
    TColor fixedColor_ = clBtnFace;
    TGridState gridState_ = gsNormal;
    int sizingIndex_ = -1;
    int sizingPos_ = 0;
    int sizingOfs_ = 0;
    int moveIndex_ = -1;
    int movePos_ = -1;
    TPoint hitTest_;
    bool moveStarted_ = false;
    bool sizingLineShown_ = false;
    int inplaceCol_ = -1;
    int inplaceRow_ = -1;
    int editUpdate_ = 0;
    bool canEditModify_ = true;
};
