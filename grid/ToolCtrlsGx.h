#pragma once
// Small controls and routines the library's edit controls, the grid's
// in-place editor and drop-down lists share: painting edit buttons (with a
// cache of painted bitmaps), edit-button settings, the special first row of
// drop-down lists, the size grip of drop-down windows and their placement,
// the most-recently-used text list, a data link with an event, the distinct
// values of a field, and a few variant and field routines.
#include <memory>
#include <vector>

#include "grid/DBGridGxDrawing.h"
#include "platform/classes/Collections.h"
#include "platform/classes/ShortCuts.h"
#include "platform/classes/Strings.h"
#include "platform/db/DB.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"
#include "platform/rtti/TypInfo.h"

// ---------------------------------------------------------------------------
// Painting edit buttons

// What a button shows.
enum TButtonPaintKindGx { bpkDropDownGx, bpkEllipsisGx, bpkUpDownGx, bpkCheckBoxGx, bpkPlusGx, bpkMinusGx };

// Paints one button into Rect. DownButton: 0 not pressed, 1 pressed (the
// upper half of an up-down button), 2 the lower half pressed. CheckState is
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE. Visual themes are off, so
// the classic look is drawn.
void PaintButtonControlGx(HDC DC, const TRect& Rect, TColor ParentColor, TButtonPaintKindGx Kind, int DownButton,
                          bool Flat, bool Active, bool Enabled, int CheckState);
// Forgets every painted button (after the system colours changed).
void ClearButtonsBitmapCache();
int ButtonsBitmapCacheCount();
// Painted buttons are kept and copied unless this is switched off.
extern bool ButtonsBitmapCacheEnabledGx;

// Tree elements of an 18-pixel slot: 0 to 5 node boxes (0 expanded with a
// following sibling, 1 expanded and last, 2 expanded without connectors,
// 3 to 5 the same collapsed), 6 to 9 dotted connectors (6 leaf with a
// following sibling, 7 last leaf, 8 a lone leaf, 9 vertical pass-through).
void DrawTreeElement(TCanvas* Canvas, const TRect& Rect, int Kind, double HorzScale, double VertScale,
                     bool OddAlign);

// ---------------------------------------------------------------------------
// Routines

// The system check box: a quarter of the width and a third of the height of the sheet of check boxes.
int DefaultCheckBoxWidth();
int DefaultCheckBoxHeight();
// Two thirds of the system font height, odd, at most the scroll-bar width.
int GetDefaultFlatButtonWidth();
// The width; for a flat button one and a half times it.
int GetDefaultEditButtonHeight(int Width, bool Flat);
// Within the double-click time and the double-click rectangle.
bool IsDoubleClick(TPoint Pt1, TPoint Pt2, DWORD ElapsedTime);
// The check box's place in a cell, by alignment and layout when the cell is larger.
TRect AdjustCheckBoxRect(const TRect& ClientRect, TAlignment Alignment, TTextLayout Layout);
// Equal values; arrays are equal with the same dimensions, bounds and
// elements. A comparison that fails counts as not equal.
bool VarEquals(const Variant& V1, const Variant& V2);
// Image Index centred in Rect, clipped to it when larger.
void DrawClippedImage(HDC DC, const TRect& Rect, TCustomImageList* Images, int ImageIndex, bool Selected);

// Adds each field named in "a;b" to List; a missing name raises the data set's field-not-found error.
void GetFieldsListByNames(TDataSet* DataSet, const AnsiString& FieldNames, std::vector<TField*>& List);
std::vector<TField*> GetFieldsArrayByNames(TDataSet* DataSet, const AnsiString& FieldNames);
// One field takes the value, several the elements of a variant array in
// order; Null clears every named field.
void DataSetSetFieldValues(TDataSet* DataSet, const AnsiString& FieldNames, const Variant& Value);

// ---------------------------------------------------------------------------
// Placing drop-down windows

enum TDropDownAlign { daLeft, daRight, daCenter };
TESK_ENUM_INFO(TDropDownAlign, daLeft, daRight, daCenter)

// Sides a drop-down window tells its size grip to go to.
enum : int { gsLeftGx = 0, gsRightGx = 1, gsTopGx = 2, gsBottomGx = 3 };
// Sent to a drop-down window with the side in WParam. Its own number, so that
// a grid that is a drop-down window never takes it for a deferred layout.
constexpr UINT WM_GRIPSIDEGX = WM_USER + 103;

struct TDropDownPlacementGx {
    TRect Bounds;      // where the window goes, in screen coordinates
    int VertSide = 0;  // gsTopGx or gsBottomGx
    int HorzSide = 0;  // gsLeftGx or gsRightGx
};
// Below the anchor when it fits, else above, else on the side with more room
// (cut to it); then aligned and kept inside the work area horizontally.
TDropDownPlacementGx PlaceDropDownGx(const TRect& Anchor, int Width, int Height, const TRect& WorkArea,
                                     TDropDownAlign Align);
// Sizes and places DropDownWin against the anchor (screen coordinates) in the
// work area of its monitor and tells it where its grip goes; answers the top-left.
TPoint AlignDropDownWindowRect(const TRect& MasterAbsRect, TWinControl* DropDownWin, TDropDownAlign Align);
TPoint AlignDropDownWindow(TWinControl* MasterWin, TWinControl* DropDownWin, TDropDownAlign Align);

// ---------------------------------------------------------------------------
// The size grip of a sizable drop-down window

enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
TESK_ENUM_INFO(TSizeGripPosition, sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft)

class TSizeGripGx : public TCustomControl {
    TESK_CLASS(TSizeGripGx, TCustomControl)
public:
    explicit TSizeGripGx(TComponent* AOwner);

    TSizeGripPosition Position() const { return position_; }
    void SetPosition(TSizeGripPosition Value);
    // The window keeps only the triangle of its corner.
    bool TriangleWindow() const { return triangleWindow_; }
    void SetTriangleWindow(bool Value);
    // Moves the grip to a side (gsLeftGx ... gsBottomGx), keeping the other coordinate.
    void ChangePosition(int Side);
    // Puts the grip into its corner of the parent's client area.
    void UpdatePosition();
    TNotifyEvent OnParentResized;

protected:
    void Paint() override;
    void CreateWnd() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void UpdateWindowRegion();
    bool OnLeft() const { return position_ == sgpTopLeft || position_ == sgpBottomLeft; }
    bool OnTop() const { return position_ == sgpTopLeft || position_ == sgpTopRight; }
    TSizeGripPosition position_ = sgpBottomRight;
    bool triangleWindow_ = true;
    bool sizing_ = false;
    bool moving_ = false;
    TPoint startMouse_;
    TRect startBounds_;
};

// ---------------------------------------------------------------------------
// Edit-button settings

enum TEditButtonStyleGx { ebsDropDownGx, ebsEllipsisGx, ebsGlyphGx, ebsUpDownGx, ebsPlusGx, ebsMinusGx };
TESK_ENUM_INFO(TEditButtonStyleGx, ebsDropDownGx, ebsEllipsisGx, ebsGlyphGx, ebsUpDownGx, ebsPlusGx, ebsMinusGx)

// The painting kind of a style (a glyph button paints like an up-down frame; its glyph is its own).
TButtonPaintKindGx EditButtonStyleToPaintKind(TEditButtonStyleGx Style);

using TButtonDownEventGx = Delegate<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;
using TButtonClickEventGx = Delegate<void(TObject* Sender, bool& Handled)>;

class TEditButtonGx : public TCollectionItem {
    TESK_CLASS(TEditButtonGx, TCollectionItem)
public:
    explicit TEditButtonGx(TCollection* Collection);
    // A button an edit control owns itself, outside any collection.
    TEditButtonGx(TComponent* EditControl, bool Visible);
    ~TEditButtonGx() override;
    void Assign(TPersistent* Source) override;

    TComponent* EditControl() const { return editControl_; }
    TComponent* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TComponent* Value);
    TBitmap* Glyph() const { return glyph_.get(); }
    TBitmap* GetGlyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* Value);
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    TEditButtonStyleGx Style() const { return style_; }
    void SetStyle(TEditButtonStyleGx Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TNotifyEvent OnClick;
    TButtonDownEventGx OnDown;
    // For a button outside a collection: told after every change.
    TNotifyEvent OnChanged;

    bool IsShortCutStored() const;
    bool IsVisibleStored() const;

protected:
    void Notify();
    // The defaults of a subclass, set without telling anyone.
    void InitDefaults(bool Visible, TShortCut ShortCut);

private:
    void GlyphChanged(TObject* Sender);
    TComponent* editControl_ = nullptr;
    TComponent* dropdownMenu_ = nullptr;
    std::unique_ptr<TBitmap> glyph_;
    AnsiString hint_;
    int numGlyphs_ = 1;
    TShortCut shortCut_ = 0;
    TEditButtonStyleGx style_ = ebsDropDownGx;
    bool visible_ = false;
    int width_ = 0;
    TShortCut defaultShortCut_ = 0;
    bool defaultVisible_ = false;
};

// Shown, with Alt+Down, unless set otherwise.
class TVisibleEditButtonGx : public TEditButtonGx {
    TESK_CLASS(TVisibleEditButtonGx, TEditButtonGx)
public:
    explicit TVisibleEditButtonGx(TCollection* Collection);
    TVisibleEditButtonGx(TComponent* EditControl);
};

class TEditButtonsGx : public TCollection {
    TESK_CLASS(TEditButtonsGx, TCollection)
public:
    TEditButtonsGx(TPersistent* AOwner, TCollectionItemClass ItemClass = ItemClassOf<TEditButtonGx>);
    TEditButtonGx* Items(int Index) const { return static_cast<TEditButtonGx*>(TCollection::Items(Index)); }
    TEditButtonGx* GetItem(int Index) const { return Items(Index); }
    TEditButtonGx* Add() { return static_cast<TEditButtonGx*>(TCollection::Add()); }
    // Told after any change of the list or of a button in it.
    TNotifyEvent OnChange;

protected:
    TPersistent* GetOwner() override { return owner_; }
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* owner_;
};

// ---------------------------------------------------------------------------
// The special first row of a drop-down list

class TSpecRowGx : public TPersistent {
    TESK_CLASS(TSpecRowGx, TPersistent)
public:
    // The owner's colour and font are the defaults (a control's, or the window's).
    explicit TSpecRowGx(TPersistent* AOwner);
    ~TSpecRowGx() override;
    void Assign(TPersistent* Source) override;

    // Cells separated by ';': a quoted cell has its doubled quotes undoubled;
    // control characters around cells are skipped, blanks stay.
    const AnsiString& CellsText() const { return cellsText_; }
    void SetCellsText(const AnsiString& Value);
    // The i-th cell, "" out of range.
    AnsiString GetCellText(int Index) const;
    int CellCount() const { return static_cast<int>(cells_.size()); }
    TColor Color() const;
    void SetColor(TColor Value);
    bool IsColorStored() const { return colorAssigned_; }
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool IsFontStored() const { return fontAssigned_; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    bool ShowIfNotInKeyList() const { return showIfNotInKeyList_; }
    void SetShowIfNotInKeyList(bool Value);
    const Variant& Value() const { return value_; }
    void SetValue(const Variant& Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);

    // Changes are told once, at the outermost EndUpdate.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    TNotifyEvent OnChange;

protected:
    TPersistent* GetOwner() override { return owner_; }
    // Defaults taken from the owner; a subclass may take them elsewhere.
    virtual TColor OwnerColor() const;
    virtual TFont* OwnerFont() const;
    void Changed();

private:
    void FontChanged(TObject* Sender);
    TPersistent* owner_;
    AnsiString cellsText_;
    std::vector<AnsiString> cells_;
    TColor color_ = clWindow;
    bool colorAssigned_ = false;
    std::unique_ptr<TFont> font_;
    bool fontAssigned_ = false;
    bool syncingFont_ = false;
    TShortCut shortCut_ = 32814;  // Alt+Delete
    bool showIfNotInKeyList_ = true;
    Variant value_ = Null();
    bool visible_ = false;
    int updateCount_ = 0;
    bool pending_ = false;
};

// ---------------------------------------------------------------------------
// Most-recently-used texts

using TFilterMRUItemEventGx = Delegate<void(TObject* Sender, bool& Accept)>;
using TCloseUpEventGx = Delegate<void(TObject* Sender, bool Accept)>;

class TMRUListGx : public TPersistent {
    TESK_CLASS(TMRUListGx, TPersistent)
public:
    explicit TMRUListGx(TComponent* AOwner);
    ~TMRUListGx() override;
    void Assign(TPersistent* Source) override;

    TComponent* EditControl() const { return owner_; }
    bool Active() const { return active_; }
    void SetActive(bool Value);
    bool AutoAdd() const { return autoAdd_; }
    void SetAutoAdd(bool Value) { autoAdd_ = Value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value) { caseSensitive_ = Value; }
    TStrings* Items() const { return items_.get(); }
    void SetItems(TStrings* Value);
    int Limit() const { return limit_; }
    void SetLimit(int Value);
    int Rows() const { return rows_; }
    void SetRows(int Value) { rows_ = Value; }

    // Trims Text; an item equal to it moves to the end, else it is appended and
    // the oldest items go until at most Limit remain.
    void Add(const AnsiString& Text);
    // Item begins with Text, with or without regard to case as the list says.
    bool ItemBeginsWith(const AnsiString& Item, const AnsiString& Text) const;
    // Fills List with the items that begin with Text (and that OnFilterItem
    // accepts); answers false when a waiting key press cut the filtering short.
    bool FilterItemsTo(TStrings* List, const AnsiString& Text);
    // Filtering may stop when a key press waits (on by default).
    bool CancelFilterOnKey() const { return cancelFilterOnKey_; }
    void SetCancelFilterOnKey(bool Value) { cancelFilterOnKey_ = Value; }

    // The edit's requests to show the list and to close it.
    virtual void DropDown();
    virtual void CloseUp(bool Accept);

    TNotifyEvent OnActiveChanged;
    TNotifyEvent OnDropDown;
    TCloseUpEventGx OnCloseUp;
    TFilterMRUItemEventGx OnFilterItem;

private:
    void TrimToLimit();
    TComponent* owner_;
    bool active_ = false;
    bool autoAdd_ = true;
    bool caseSensitive_ = false;
    std::unique_ptr<TStringList> items_;
    int limit_ = 100;
    int rows_ = 7;
    bool cancelFilterOnKey_ = true;
};

// ---------------------------------------------------------------------------
// Data helpers

using TDataEventGx = Delegate<void(TDataEvent Event, intptr_t Info)>;

// Hands every data event on after the link's own handling.
class TDataLinkGx : public TDataLink {
public:
    const char* ClassName() const override { return "TDataLinkGx"; }
    TDataEventGx OnDataEvent;

protected:
    void DataEvent(TDataEvent Event, intptr_t Info) override;
};

// The distinct values of one field of a data set, sorted; read again after
// any change of the field, the data set or its data.
class TDatasetFieldValueListGx : public TObject {
public:
    const char* ClassName() const override { return "TDatasetFieldValueListGx"; }
    TDatasetFieldValueListGx();
    ~TDatasetFieldValueListGx();
    TDatasetFieldValueListGx(const TDatasetFieldValueListGx&) = delete;
    TDatasetFieldValueListGx& operator=(const TDatasetFieldValueListGx&) = delete;

    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);
    TDataSet* DataSet() const { return source_->DataSet(); }
    void SetDataSet(TDataSet* Value);
    bool Dirty() const { return dirty_; }
    TStrings* Values();

private:
    void DataEvent(TDataEvent Event, intptr_t Info);
    AnsiString fieldName_;
    std::unique_ptr<TDataSource> source_;
    std::unique_ptr<TDataLinkGx> link_;
    std::unique_ptr<TStringList> values_;
    bool dirty_ = true;
};

// ---------------------------------------------------------------------------
// The edit-button control

// A speed button drawn as an edit button. Pressed, it raises OnDown; an
// up-down button repeats it after 400 ms and then every 100 ms while held.
class TEditButtonControlGx : public TSpeedButton {
    TESK_CLASS(TEditButtonControlGx, TSpeedButton)
public:
    explicit TEditButtonControlGx(TComponent* AOwner);
    ~TEditButtonControlGx() override;

    TEditButtonStyleGx Style() const { return style_; }
    void SetStyle(TEditButtonStyleGx Value);
    // Draws a flat button's border as hot.
    bool Active() const { return active_; }
    void SetActive(bool Value);
    bool AlwaysDown() const { return alwaysDown_; }
    // Keeps the button pressed (or lets it go).
    void SetAlwaysDown(bool Value);
    // 0 none, 1 the upper half (or the whole button), 2 the lower half.
    int ButtonNum() const { return buttonNum_; }
    bool NoDoClick() const { return noDoClick_; }
    // Raises OnDown; an owning edit calls it to press the button from a key.
    void DoButtonDown(bool TopButton, bool& AutoRepeat, bool& Handled);
    // The repeat timer, once a press made one.
    TTimer* RepeatTimer() const { return timer_; }
    TButtonDownEventGx OnDown;

    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool Pressed() const;
    void UpdateButtonNum(int Y);
    void SetButtonNum(int Value);
    void StopTimer();
    void TimerTick(TObject* Sender);
    TEditButtonStyleGx style_ = ebsDropDownGx;
    bool active_ = false;
    bool alwaysDown_ = false;
    int buttonNum_ = 0;
    bool noDoClick_ = false;
    bool released_ = false;  // the mouse left the pressed half
    TTimer* timer_ = nullptr;
};

// ---------------------------------------------------------------------------
// Drop-down windows

// What a drop-down window calls when it closes.
class IPopupOwnerGx {
public:
    virtual ~IPopupOwnerGx() = default;
    virtual void CloseUp(bool Accept) = 0;
};

using TGetImageIndexEventGx = Delegate<void(TObject* Sender, int ItemIndex, int& ImageIndex)>;

// The window of a drop-down list, calculator or lookup list: a top-most popup
// tool window of no parent that never takes the activation, with a plain
// border unless it has the 3-D look.
void SetDropDownWindowParams(TCreateParams& Params, bool Ctl3D);

// A list that drops down under an edit: a top-level window that never takes
// the activation, with a size grip, hover selection and type-ahead search.
class TPopupListboxGx : public TCustomListBox {
    TESK_CLASS(TPopupListboxGx, TCustomListBox)
public:
    explicit TPopupListboxGx(TComponent* AOwner);
    ~TPopupListboxGx() override;

    TCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TCustomImageList* Value);
    // A list shown instead of the box's own items.
    TStrings* ExternalItems() const { return externalItems_; }
    void SetExternalItems(TStrings* Value);
    // Rows shown: the height is that many rows plus the borders.
    int RowCount();
    void SetRowCount(int Value);
    // The height of a row: the font's text height.
    int GetTextHeight();
    int BorderWidth() const { return Ctl3D() ? 2 : 1; }
    TSizeGripGx* SizeGrip() const { return grip_; }
    // The text typed so far to find an item.
    const AnsiString& SearchText() const { return searchText_; }
    TGetImageIndexEventGx OnGetImageIndex;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void ExternalData(TWinControl* Control, int Index, AnsiString& Data);
    void TypeAhead(unsigned char C);
    void PaintBorder();
    TCustomImageList* imageList_ = nullptr;
    TStrings* externalItems_ = nullptr;
    TSizeGripGx* grip_ = nullptr;
    TPoint lastHover_{-1, -1};
    AnsiString searchText_;
    DWORD lastKeyTime_ = 0;
};

// The drop-down list of an MRU list, with a scroll bar of its own that leaves
// room for the size grip.
class TMRUListboxGx : public TPopupListboxGx {
    TESK_CLASS(TMRUListboxGx, TPopupListboxGx)
public:
    explicit TMRUListboxGx(TComponent* AOwner);
    TScrollBar* ScrollBar() const { return scrollBar_; }
    // Places and sets the scroll bar and the grip's shape for the items now shown.
    void UpdateScrollBar();

    void Dispatch(TMessage& Message) override;

protected:
    void ItemsChanged() override;

private:
    void BarScrolled(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);
    TScrollBar* scrollBar_ = nullptr;
    bool updating_ = false;
};

// A month calendar that drops down under a date edit; its owner hears the close.
class TPopupMonthCalendarGx : public TMonthCalendar {
    TESK_CLASS(TPopupMonthCalendarGx, TMonthCalendar)
public:
    explicit TPopupMonthCalendarGx(TComponent* AOwner);
    int BorderWidth() const { return Ctl3D() ? 2 : 1; }
    // The size the calendar needs plus its borders.
    void UpdateSize();
    // Selects a date without telling anyone.
    void SetDateQuietly(TDateTime Value) { SetDate(Value); }

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

private:
    void CloseUp(bool Accept);
};
