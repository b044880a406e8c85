#pragma once
// Page control with tab sheets, status bar with panels, progress bar and
// month calendar. The page control and the status bar are drawn here in the
// classic style; the progress bar and the calendar show native widgets.
#include <vector>

#include "platform/classes/Collections.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/DateTime.h"

class TPageControl;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum TProgressBarOrientation { pbHorizontal, pbVertical };
TESK_ENUM_INFO(TTabPosition, tpTop, tpBottom, tpLeft, tpRight)
TESK_ENUM_INFO(TTabStyle, tsTabs, tsButtons, tsFlatButtons)
TESK_ENUM_INFO(TStatusPanelStyle, psText, psOwnerDraw)
TESK_ENUM_INFO(TStatusPanelBevel, pbNone, pbLowered, pbRaised)
TESK_ENUM_INFO(TProgressBarOrientation, pbHorizontal, pbVertical)

using TTabChangingEvent = Delegate<void(TObject* Sender, bool& AllowChange)>;

// ---- Page control ----

// A page of a page control: only the active page is visible. OnShow runs
// whenever the page comes into view (chosen by the user or by the program,
// or when its form is shown), OnHide when it goes out of view.
class TTabSheet : public TWinControl {
    TESK_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    void BeforeDestruction() override;

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* Value);
    // The page's place among the pages of its control.
    int PageIndex() const;
    void SetPageIndex(int Value);
    // The index of its tab among the visible tabs, -1 when its tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value) { imageIndex_ = Value; }
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool Value) { highlighted_ = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void SetParentComponent(TComponent* Value) override;
    TComponent* GetParentComponent() const override;
    void CMShowingChanged(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;

protected:
    virtual void DoShow();
    virtual void DoHide();

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = 0;
    bool highlighted_ = false;
};

// OnChanging and OnChange run only when the user picks a page (a click on a
// tab, Ctrl+Tab, the arrow keys on the focused tabs); setting ActivePage or
// ActivePageIndex in code runs neither.
class TPageControl : public TCustomControl {
    TESK_CLASS(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* AOwner);
    void BeforeDestruction() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int Index) const { return pages_.at(static_cast<size_t>(Index)); }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* Value);
    int ActivePageIndex() const;
    void SetActivePageIndex(int Value);
    // The tab of the active page among the visible tabs (-1 for none).
    int TabIndex() const { return activePage_ ? activePage_->TabIndex() : -1; }
    void SetTabIndex(int Value);
    // The next (or previous) page with a visible tab after CurrentPage, wrapping around.
    TTabSheet* FindNextPage(TTabSheet* CurrentPage, bool GoForward, bool CheckTabVisible);
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
    // The visible tab at a client point, -1 when none.
    int IndexOfTabAt(int X, int Y);
    TRect TabRect(int Index);
    // The area the pages fill.
    TRect DisplayRect();

    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int Value);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int Value);
    // Tabs that do not fit the control's width go on to further rows (the
    // active tab's row lies next to the page), whether or not MultiLine is
    // set: the tab row has no scroll buttons, and no tab is ever out of sight.
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool Value) { multiLine_ = Value; }
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition Value) { tabPosition_ = Value; }
    TTabStyle Style() const { return style_; }
    void SetStyle(TTabStyle Value) { style_ = Value; }
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool Value) { hotTrack_ = Value; }

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    void Loaded() override;
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

protected:
    virtual bool CanChange();
    virtual void Change();
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void ChangeActivePage(TTabSheet* Page);
    // A page chosen by the user: asks OnChanging, then OnChange.
    void UserSelect(TTabSheet* Page);
    void TabsChanged();
    // Where each visible tab goes: its row (0 next to the page's edge counted
    // from the top) and its left edge and width within the row.
    struct TTabPlace {
        TTabSheet* Page;
        int Row;
        int Left;
        int Width;
    };
    std::vector<TTabPlace> TabPlaces(int& Rows);
    // A tab's rectangle in rows of Height; the active tab is lifted.
    TRect PlaceRect(const TTabPlace& Place, int Height) const;
    int RowHeight();
    int StripHeight();
    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    int tabHeight_ = 0;
    int tabWidth_ = 0;
    bool multiLine_ = false;
    TTabPosition tabPosition_ = tpTop;
    TTabStyle style_ = tsTabs;
    bool hotTrack_ = false;
};

// ---- Status bar ----

class TStatusBar;

class TStatusPanel : public TCollectionItem {
    TESK_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* Collection);
    void Assign(TPersistent* Source) override;
    const AnsiString& Text() const { return text_; }
    void SetText(const AnsiString& Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel Value);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle Value);

protected:
    AnsiString GetDisplayName() const override;

private:
    AnsiString text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
    TStatusPanelStyle style_ = psText;
};

class TStatusPanels : public TCollection {
    TESK_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* StatusBar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
    TStatusPanel* operator[](int Index) const { return Items(Index); }

protected:
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* statusBar_;
};

using TDrawPanelEvent = Delegate<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

// Panels from left to right with their widths; the last one reaches the
// right edge. With SimplePanel the bar shows SimpleText alone.
class TStatusBar : public TCustomControl {
    TESK_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    TStatusPanels* Panels() const { return panels_; }
    void SetPanels(TStatusPanels* Value) { panels_->Assign(Value); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool Value);
    const AnsiString& SimpleText() const { return simpleText_; }
    void SetSimpleText(const AnsiString& Value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool Value);
    // Where a panel is drawn.
    TRect PanelRect(int Index);

    TDrawPanelEvent OnDrawPanel;

protected:
    void Paint() override;
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);

private:
    friend class TStatusPanels;
    TStatusPanels* panels_;
    bool simplePanel_ = false;
    AnsiString simpleText_;
    bool sizeGrip_ = true;
};

// ---- Progress bar ----

class TProgressBar : public TWidgetControl {
    TESK_CLASS(TProgressBar, TWidgetControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    int Min() const { return min_; }
    void SetMin(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);
    int Step() const { return step_; }
    void SetStep(int Value) { step_ = Value; }
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool Value) { smooth_ = Value; }
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation Value);
    // Position += Step (or Delta), wrapping to Min past Max as the native bar does.
    void StepIt();
    void StepBy(int Delta);

private:
    void UpdateNative();
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
    bool smooth_ = false;
    TProgressBarOrientation orientation_ = pbHorizontal;
};

// ---- Month calendar ----

// Messages of the month calendar (the size it needs, what is under a point).
enum : UINT {
    MCM_FIRST = 0x1000,
    MCM_HITTEST = MCM_FIRST + 14,
    MCM_GETMINREQRECT = MCM_FIRST + 9,
};
enum : UINT {
    MCHT_TITLE = 0x00010000,
    MCHT_CALENDAR = 0x00020000,
    MCHT_TODAYLINK = 0x00030000,
    MCHT_NEXT = 0x01000000,
    MCHT_PREV = 0x02000000,
    MCHT_NOWHERE = 0x00000000,
    MCHT_TITLEBK = MCHT_TITLE,
    MCHT_TITLEMONTH = MCHT_TITLE | 0x0001,
    MCHT_TITLEYEAR = MCHT_TITLE | 0x0002,
    MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003,
    MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003,
    MCHT_CALENDARBK = MCHT_CALENDAR,
    MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001,
    MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT,
    MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV,
    MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002,
    MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003,
};
struct MCHITTESTINFO {
    UINT cbSize = sizeof(MCHITTESTINFO);
    TPoint pt;       // client point asked about
    UINT uHit = 0;   // MCHT_ answer
    TDateTime st = 0;  // the date there, for a date
};

class TMonthCalendar : public TWidgetControl {
    TESK_CLASS(TMonthCalendar, TWidgetControl)
public:
    explicit TMonthCalendar(TComponent* AOwner);
    TDateTime Date() const;
    void SetDate(TDateTime Value);
    TDateTime MinDate() const { return minDate_; }
    void SetMinDate(TDateTime Value);
    TDateTime MaxDate() const { return maxDate_; }
    void SetMaxDate(TDateTime Value);
    bool WeekNumbers() const { return weekNumbers_; }
    void SetWeekNumbers(bool Value);

    TNotifyEvent OnChange;

protected:
    void DefaultHandler(TMessage& Message) override;

private:
    TDateTime minDate_ = 0;
    TDateTime maxDate_ = 0;
    bool weekNumbers_ = false;
};
