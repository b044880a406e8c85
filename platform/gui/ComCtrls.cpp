#include "platform/gui/ComCtrls.h"

#include <QCalendarWidget>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "platform/gui/ControlProps_p.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Widgets_p.h"

namespace {

int TextHeightOf(TFont* font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

int TextWidthOf(TFont* font, const AnsiString& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    TRect r(0, 0, 32767, 0);
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return r.Width();
}

void Line(TCanvas* c, TColor color, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

}  // namespace

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    controlStyle_ = controlStyle_ | csAcceptsControls;
    SetAlign(alClient);
    TControl::SetVisible(false);
    SetParentColor(true);
}

void TTabSheet::BeforeDestruction() {
    if (pageControl_) pageControl_->RemovePage(this);
    TWinControl::BeforeDestruction();
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    if (pageControl_ == Value) return;
    if (pageControl_) pageControl_->RemovePage(this);
    SetParent(Value);
    if (Value) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& pages = pageControl_->pages_;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (!pageControl_) return;
    auto& pages = pageControl_->pages_;
    pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
    Value = std::clamp(Value, 0, static_cast<int>(pages.size()));
    pages.insert(pages.begin() + Value, this);
    pageControl_->TabsChanged();
}

int TTabSheet::TabIndex() const {
    if (!pageControl_ || !tabVisible_) return -1;
    int index = 0;
    for (TTabSheet* p : pageControl_->pages_) {
        if (p == this) return index;
        if (p->tabVisible_) ++index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
    if (tabVisible_ == Value) return;
    tabVisible_ = Value;
    if (pageControl_) pageControl_->TabsChanged();
}

void TTabSheet::SetParentComponent(TComponent* Value) {
    if (auto* pc = dynamic_cast<TPageControl*>(Value)) SetPageControl(pc);
    else TWinControl::SetParentComponent(Value);
}

TComponent* TTabSheet::GetParentComponent() const {
    if (pageControl_) return pageControl_;
    return TWinControl::GetParentComponent();
}

void TTabSheet::DoShow() {
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
    if (OnHide) OnHide(this);
}

void TTabSheet::CMShowingChanged(TMessage& Message) {
    TWinControl::CMShowingChanged(Message);
    try {
        if (Showing()) DoShow();
        else DoHide();
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TTabSheet::CMTextChanged(TMessage& Message) {
    TWinControl::CMTextChanged(Message);
    if (pageControl_) pageControl_->TabsChanged();
}

// ---------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    SetParentColor(true);
}

void TPageControl::BeforeDestruction() {
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
    TCustomControl::BeforeDestruction();
}

void TPageControl::InsertPage(TTabSheet* Page) {
    pages_.push_back(Page);
    Page->pageControl_ = this;
    TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    TTabSheet* next = nullptr;
    if (Page == activePage_) {
        next = FindNextPage(Page, true, !InState(csDestroying));
        if (next == Page) next = nullptr;
    }
    pages_.erase(std::remove(pages_.begin(), pages_.end(), Page), pages_.end());
    Page->pageControl_ = nullptr;
    if (Page == activePage_) {
        activePage_ = nullptr;
        if (!InState(csDestroying)) ChangeActivePage(next);
    }
    TabsChanged();
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
    if (Value >= 0 && Value < PageCount()) SetActivePage(pages_[static_cast<size_t>(Value)]);
    else SetActivePage(nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Value) {
    if (Value && Value->pageControl_ != this) return;
    ChangeActivePage(Value);
}

void TPageControl::SetTabIndex(int Value) {
    for (TTabSheet* p : pages_)
        if (p->TabIndex() == Value) {
            ChangeActivePage(p);
            return;
        }
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
    if (activePage_ == Page) return;
    TCustomForm* form = GetParentForm(this);
    // The focus leaves the page that goes.
    if (form && activePage_ && form->ActiveControl() && activePage_->ContainsControl(form->ActiveControl())) {
        if (CanFocus()) form->SetActiveControl(this);
    }
    TTabSheet* old = activePage_;
    activePage_ = Page;
    if (Page) {
        Page->BringToFront();
        Page->SetVisible(true);
    }
    if (old && old->pageControl_ == this) old->SetVisible(false);
    Invalidate();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurrentPage, bool GoForward, bool CheckTabVisible) {
    int count = PageCount();
    if (count == 0) return nullptr;
    auto it = std::find(pages_.begin(), pages_.end(), CurrentPage);
    int start = it == pages_.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - pages_.begin());
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TTabSheet* p = pages_[static_cast<size_t>(i)];
        if (!CheckTabVisible || p->TabVisible()) return p;
    } while (i != start);
    return nullptr;
}

void TPageControl::UserSelect(TTabSheet* Page) {
    if (!Page || Page == activePage_) return;
    if (!CanChange()) return;
    ChangeActivePage(Page);
    Change();
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
    UserSelect(FindNextPage(activePage_, GoForward, CheckTabVisible));
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    if (OnChange) OnChange(this);
}

void TPageControl::Loaded() {
    TCustomControl::Loaded();
    // A definition without an active page shows the first one.
    if (!activePage_) {
        for (TTabSheet* p : pages_)
            if (p->TabVisible()) {
                ChangeActivePage(p);
                break;
            }
    }
}

void TPageControl::SetTabHeight(int Value) {
    tabHeight_ = std::max(0, Value);
    TabsChanged();
}

void TPageControl::SetTabWidth(int Value) {
    tabWidth_ = std::max(0, Value);
    TabsChanged();
}

void TPageControl::TabsChanged() {
    if (InState(csDestroying)) return;
    Realign();
    Invalidate();
}

int TPageControl::RowHeight() { return tabHeight_ > 0 ? tabHeight_ + 2 : TextHeightOf(Font()) + 8; }

std::vector<TPageControl::TTabPlace> TPageControl::TabPlaces(int& Rows) {
    std::vector<TTabPlace> places;
    const int right = std::max(ClientWidth() - 2, 2);
    int x = 2, row = 0, activeRow = -1;
    for (TTabSheet* p : pages_) {
        if (!p->TabVisible()) continue;
        const int w = tabWidth_ > 0 ? tabWidth_ : TextWidthOf(Font(), StripHotkey(p->Caption())) + 12;
        // A tab that would pass the right edge starts a new row; the active
        // tab's 2 pixels of lift on either side count too.
        if (x > 2 && x + w + 2 > right) {
            ++row;
            x = 2;
        }
        if (p == activePage_) activeRow = row;
        places.push_back({p, row, x, w});
        x += w;
    }
    Rows = row + 1;
    // The active tab's row moves next to the page, the rows above keep their order.
    if (activeRow >= 0)
        for (TTabPlace& t : places)
            t.Row = t.Row == activeRow ? Rows - 1 : (t.Row > activeRow ? t.Row - 1 : t.Row);
    return places;
}

int TPageControl::StripHeight() {
    int rows = 1;
    TabPlaces(rows);
    return rows * RowHeight();
}

TRect TPageControl::DisplayRect() {
    TRect r = ClientRect();
    r.Top += StripHeight();
    InflateRect(&r, -4, -4);
    r.Top -= 2;
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

void TPageControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

TRect TPageControl::PlaceRect(const TTabPlace& Place, int Height) const {
    const int top = Place.Row * Height;
    if (Place.Page == activePage_)
        return TRect(Place.Left - 2, top, Place.Left + Place.Width + 2, top + Height + 1);
    return TRect(Place.Left, top + 2, Place.Left + Place.Width, top + Height);
}

TRect TPageControl::TabRect(int Index) {
    int rows = 1;
    // The places are the visible tabs in order: a tab's index is its place.
    const std::vector<TTabPlace> places = TabPlaces(rows);
    if (Index < 0 || Index >= static_cast<int>(places.size())) return TRect();
    return PlaceRect(places[static_cast<size_t>(Index)], RowHeight());
}

int TPageControl::IndexOfTabAt(int X, int Y) {
    TPoint p(X, Y);
    int rows = 1;
    const std::vector<TTabPlace> places = TabPlaces(rows);
    const int height = RowHeight();
    // The active tab, lifted over its neighbours, is hit first.
    for (size_t i = 0; i < places.size(); ++i)
        if (places[i].Page == activePage_ && PtInRect(PlaceRect(places[i], height), p)) return static_cast<int>(i);
    for (size_t i = 0; i < places.size(); ++i)
        if (PtInRect(PlaceRect(places[i], height), p)) return static_cast<int>(i);
    return -1;
}

void TPageControl::Paint() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    int rows = 1;
    const std::vector<TTabPlace> places = TabPlaces(rows);
    const int height = RowHeight();
    const int strip = rows * height;
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
    TRect frame(0, strip, client.Right, client.Bottom);
    DrawEdge(canvas->Handle(), &frame, EDGE_RAISED, BF_RECT);
    canvas->Font()->Assign(Font());
    auto drawTab = [&](const TTabPlace& place) {
        TTabSheet* page = place.Page;
        TRect t = PlaceRect(place, height);
        bool active = page == activePage_;
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(TRect(t.Left + 1, t.Top + 1, t.Right - 1, active ? t.Bottom + 1 : t.Bottom));
        Line(canvas, clBtnHighlight, t.Left, t.Bottom - 1, t.Left, t.Top + 1);
        Line(canvas, clBtnHighlight, t.Left + 1, t.Top + 1, t.Left + 2, t.Top);
        Line(canvas, clBtnHighlight, t.Left + 2, t.Top, t.Right - 2, t.Top);
        Line(canvas, clBtnShadow, t.Right - 2, t.Top + 1, t.Right - 2, t.Bottom);
        Line(canvas, cl3DDkShadow, t.Right - 1, t.Top + 2, t.Right - 1, t.Bottom);
        canvas->SetPixels(t.Right - 2, t.Top + 1, cl3DDkShadow);
        AnsiString caption = page->Caption();
        TRect text = t;
        if (active) text.Top -= 1;
        canvas->Brush()->SetStyle(bsClear);
        canvas->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
        DrawText(TextDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &text,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        canvas->Brush()->SetStyle(bsSolid);
        if (active && Focused()) {
            TRect focus = t;
            InflateRect(&focus, -3, -3);
            focus.Bottom += 1;
            canvas->DrawFocusRect(focus);
        }
    };
    for (const TTabPlace& place : places)
        if (place.Page != activePage_) drawTab(place);
    for (const TTabPlace& place : places)
        if (place.Page == activePage_) drawTab(place);
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        int index = IndexOfTabAt(X, Y);
        if (index >= 0) {
            if (CanFocus() && !Focused()) SetFocus();
            for (TTabSheet* p : pages_)
                if (p->TabIndex() == index) {
                    UserSelect(p);
                    break;
                }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPageControl::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TPageControl::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TPageControl::WMKeyDown(TMessage& Message) {
    if (DoKeyDown(Message)) return;
    if (Message.WParam == VK_LEFT || Message.WParam == VK_UP) SelectNextPage(false);
    else if (Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN) SelectNextPage(true);
}

void TPageControl::CMDialogKey(TMessage& Message) {
    HWND focus = GetFocus();
    bool inside = HandleAllocated() && (Focused() || IsChild(Handle(), focus));
    if (inside && Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogKey(Message);
}

void TPageControl::CMDialogChar(TMessage& Message) {
    char key = AnsiUpperCase(AnsiString(1, static_cast<char>(Message.WParam)))[0];
    for (TTabSheet* p : pages_) {
        if (p->TabVisible() && GetHotkey(p->Caption()) == key && CanFocus()) {
            Message.Result = 1;
            UserSelect(p);
            return;
        }
    }
    TCustomControl::CMDialogChar(Message);
}

void TPageControl::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    TabsChanged();
}

void TPageControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS;
        return;
    }
    TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------- status bar

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
        text_ = p->text_;
        width_ = p->width_;
        alignment_ = p->alignment_;
        bevel_ = p->bevel_;
        style_ = p->style_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

AnsiString TStatusPanel::GetDisplayName() const { return text_.empty() ? TCollectionItem::GetDisplayName() : text_; }

void TStatusPanel::SetText(const AnsiString& Value) {
    if (text_ == Value) return;
    text_ = Value;
    Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
    if (width_ == Value) return;
    width_ = Value;
    Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
    bevel_ = Value;
    Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
    style_ = Value;
    Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar) : TCollection(&ItemClassOf<TStatusPanel>), statusBar_(StatusBar) {
    SetPropName("Panels");
}

TPersistent* TStatusPanels::GetOwner() { return statusBar_; }

void TStatusPanels::Update(TCollectionItem*) { statusBar_->Invalidate(); }

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), panels_(new TStatusPanels(this)) {
    controlStyle_ = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    SetColor(clBtnFace);
    SetBounds(0, 0, 0, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() { delete panels_; }

void TStatusBar::SetSimplePanel(bool Value) {
    simplePanel_ = Value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& Value) {
    simpleText_ = Value;
    Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value) {
    sizeGrip_ = Value;
    Invalidate();
}

TRect TStatusBar::PanelRect(int Index) {
    TRect client = ClientRect();
    int x = 0;
    for (int i = 0; i < panels_->Count(); ++i) {
        bool last = i == panels_->Count() - 1;
        int right = last ? client.Right : x + panels_->Items(i)->Width();
        if (i == Index) return TRect(x, 2, std::max(x, right), client.Bottom);
        x = right + 2;
    }
    return TRect();
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
    if (Panel->Style() == psOwnerDraw && OnDrawPanel) {
        OnDrawPanel(this, Panel, Rect);
        return;
    }
    TCanvas* canvas = Canvas();
    TRect r = Rect;
    InflateRect(&r, -2, -1);
    AnsiString text = Panel->Text();
    UINT align = Panel->Alignment() == taRightJustify ? DT_RIGHT : Panel->Alignment() == taCenter ? DT_CENTER : DT_LEFT;
    canvas->Brush()->SetStyle(bsClear);
    DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &r,
             align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    canvas->Brush()->SetStyle(bsSolid);
}

void TStatusBar::Paint() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
    canvas->Font()->Assign(Font());
    TCustomForm* form = GetParentForm(this);
    bool grip = sizeGrip_ && form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin) &&
                Align() == alBottom;
    if (grip) client.Right -= GetSystemMetrics(SM_CXVSCROLL);
    if (simplePanel_ || panels_->Count() == 0) {
        TRect r(0, 2, client.Right, client.Bottom);
        if (simplePanel_) {
            TRect t = r;
            InflateRect(&t, -2, -1);
            canvas->Brush()->SetStyle(bsClear);
            DrawText(TextDC(canvas), simpleText_.c_str(), static_cast<int>(simpleText_.size()), &t,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            canvas->Brush()->SetStyle(bsSolid);
        }
    } else {
        for (int i = 0; i < panels_->Count(); ++i) {
            TStatusPanel* panel = panels_->Items(i);
            TRect r = PanelRect(i);
            if (i == panels_->Count() - 1) r.Right = std::max(r.Left, client.Right);
            if (panel->Bevel() != pbNone) {
                TRect edge = r;
                DrawEdge(canvas->Handle(), &edge, panel->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                         BF_RECT);
            }
            DrawPanel(panel, r);
        }
    }
    if (grip) {
        TRect g(client.Right, client.Bottom - GetSystemMetrics(SM_CYHSCROLL), client.Right + GetSystemMetrics(SM_CXVSCROLL),
                client.Bottom);
        DrawFrameControl(canvas->Handle(), &g, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

// ---------------------------------------------------------------- TProgressBar

namespace {
QProgressBar* BarOf(TNativeWidget* n) { return static_cast<QProgressBar*>(n->Widget.data()); }
}  // namespace

TProgressBar::TProgressBar(TComponent* AOwner) : TWidgetControl(AOwner, new TNativeWidget(new QProgressBar())) {
    BarOf(native_)->setTextVisible(false);
    SetBounds(0, 0, 150, 16);
    UpdateNative();
}

void TProgressBar::UpdateNative() {
    QProgressBar* bar = BarOf(native_);
    bar->setRange(min_, std::max(min_, max_));
    bar->setValue(position_);
    bar->setOrientation(orientation_ == pbVertical ? Qt::Vertical : Qt::Horizontal);
}

void TProgressBar::SetMin(int Value) {
    min_ = Value;
    if (position_ < min_) position_ = min_;
    UpdateNative();
}

void TProgressBar::SetMax(int Value) {
    max_ = Value;
    if (position_ > max_) position_ = max_;
    UpdateNative();
}

void TProgressBar::SetPosition(int Value) {
    position_ = std::clamp(Value, min_, std::max(min_, max_));
    UpdateNative();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
    orientation_ = Value;
    UpdateNative();
}

void TProgressBar::StepIt() {
    int pos = position_ + step_;
    // Past the end the bar starts again from the beginning.
    if (pos > max_ && max_ > min_) pos = min_ + (pos - max_);
    SetPosition(pos);
}

void TProgressBar::StepBy(int Delta) { SetPosition(position_ + Delta); }

// ---------------------------------------------------------------- TMonthCalendar

namespace {

const QDate kDateBase(1899, 12, 30);

QCalendarWidget* CalendarOf(TNativeWidget* n) { return static_cast<QCalendarWidget*>(n->Widget.data()); }

TDateTime ToDateTime(QDate d) { return d.isValid() ? static_cast<TDateTime>(kDateBase.daysTo(d)) : 0; }

QDate ToQDate(TDateTime t) { return kDateBase.addDays(static_cast<qint64>(std::floor(t))); }

}  // namespace

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TWidgetControl(AOwner, new TNativeWidget(new QCalendarWidget())) {
    QCalendarWidget* cal = CalendarOf(native_);
    cal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    cal->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(cal, &QCalendarWidget::selectionChanged, cal, [this] {
        FromWidget([this] {
            if (OnChange) OnChange(this);
        });
    });
    QSize hint = cal->sizeHint();
    SetBounds(0, 0, hint.width(), hint.height());
    SetTabStop(true);
}

TDateTime TMonthCalendar::Date() const { return ToDateTime(CalendarOf(native_)->selectedDate()); }

void TMonthCalendar::SetDate(TDateTime Value) {
    QCalendarWidget* cal = CalendarOf(native_);
    QSignalBlocker block(cal);
    cal->setSelectedDate(ToQDate(Value));
}

void TMonthCalendar::SetMinDate(TDateTime Value) {
    minDate_ = Value;
    if (Value != 0) CalendarOf(native_)->setMinimumDate(ToQDate(Value));
}

void TMonthCalendar::SetMaxDate(TDateTime Value) {
    maxDate_ = Value;
    if (Value != 0) CalendarOf(native_)->setMaximumDate(ToQDate(Value));
}

void TMonthCalendar::SetWeekNumbers(bool Value) {
    weekNumbers_ = Value;
    CalendarOf(native_)->setVerticalHeaderFormat(Value ? QCalendarWidget::ISOWeekNumbers
                                                       : QCalendarWidget::NoVerticalHeader);
}

void TMonthCalendar::DefaultHandler(TMessage& Message) {
    QCalendarWidget* cal = CalendarOf(native_);
    switch (Message.Msg) {
        case MCM_GETMINREQRECT:
            if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) {
                QSize s = cal->minimumSizeHint().expandedTo(cal->sizeHint());
                *r = TRect(0, 0, s.width(), s.height());
            }
            Message.Result = 1;
            return;
        case MCM_HITTEST: {
            auto* info = reinterpret_cast<MCHITTESTINFO*>(Message.LParam);
            if (!info) return;
            info->uHit = MCHT_NOWHERE;
            QPoint pt(info->pt.X, info->pt.Y);
            QWidget* child = cal->childAt(pt);
            for (QWidget* w = child; w && w != cal; w = w->parentWidget()) {
                QString name = w->objectName();
                if (name == "qt_calendar_prevmonth") info->uHit = MCHT_TITLEBTNPREV;
                else if (name == "qt_calendar_nextmonth") info->uHit = MCHT_TITLEBTNNEXT;
                else if (name == "qt_calendar_monthbutton") info->uHit = MCHT_TITLEMONTH;
                else if (name == "qt_calendar_yearbutton" || name == "qt_calendar_yearedit") info->uHit = MCHT_TITLEYEAR;
                else if (name == "qt_calendar_navigationbar" && info->uHit == MCHT_NOWHERE) info->uHit = MCHT_TITLEBK;
                if (info->uHit != MCHT_NOWHERE) break;
                if (auto* view = qobject_cast<QTableView*>(w)) {
                    QModelIndex idx = view->indexAt(view->viewport()->mapFrom(cal, pt));
                    if (!idx.isValid()) {
                        info->uHit = MCHT_CALENDARBK;
                    } else if (idx.row() == 0) {
                        info->uHit = MCHT_CALENDARDAY;
                    } else if (weekNumbers_ && idx.column() == 0) {
                        info->uHit = MCHT_CALENDARWEEKNUM;
                    } else {
                        // The day shown; the first weeks may show the month before, the
                        // last ones the month after.
                        int day = idx.data(Qt::DisplayRole).toInt();
                        QDate first(cal->yearShown(), cal->monthShown(), 1);
                        QDate date = first.addDays(day - 1);
                        info->uHit = MCHT_CALENDARDATE;
                        if (idx.row() <= 2 && day > 20) {
                            QDate prev = first.addMonths(-1);
                            date = QDate(prev.year(), prev.month(), day);
                            info->uHit = MCHT_CALENDARDATEPREV;
                        } else if (idx.row() >= 5 && day < 15) {
                            QDate next = first.addMonths(1);
                            date = QDate(next.year(), next.month(), day);
                            info->uHit = MCHT_CALENDARDATENEXT;
                        }
                        info->st = ToDateTime(date);
                    }
                    break;
                }
            }
            Message.Result = info->uHit;
            return;
        }
        default: break;
    }
    TWidgetControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------- published

TESK_PUBLISHED(TTabSheet) {
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Font", &T::Font, &T::SetFont);
    Property("Highlighted", &T::Highlighted, &T::SetHighlighted).Default(false);
    Property("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(0);
    Property("PageIndex", &T::PageIndex, &T::SetPageIndex).Stored(false);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("TabVisible", &T::TabVisible, &T::SetTabVisible).Default(true);
    Property("OnEnter", &T::OnEnter, &T::OnEnter);
    Property("OnExit", &T::OnExit, &T::OnExit);
    Property("OnHide", &T::OnHide, &T::OnHide);
    Property("OnResize", &T::OnResize, &T::OnResize);
    Property("OnShow", &T::OnShow, &T::OnShow);
}

TESK_PUBLISHED(TPageControl) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("ActivePage", &T::ActivePage, &T::SetActivePage);
    Property("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(false);
    Property("MultiLine", &T::MultiLine, &T::SetMultiLine).Default(false);
    Property("Style", &T::Style, &T::SetStyle).Default(tsTabs);
    Property("TabHeight", &T::TabHeight, &T::SetTabHeight).Default(0);
    Property("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(tpTop);
    Property("TabWidth", &T::TabWidth, &T::SetTabWidth).Default(0);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnChanging", &T::OnChanging, &T::OnChanging);
}

TESK_PUBLISHED(TStatusPanel) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    Property("Bevel", &T::Bevel, &T::SetBevel).Default(pbLowered);
    Property("Style", &T::Style, &T::SetStyle).Default(psText);
    Property("Text", &T::Text, &T::SetText);
    Property("Width", &T::Width, &T::SetWidth);
}

TESK_PUBLISHED(TStatusPanels) {}

TESK_PUBLISHED(TStatusBar) {
    TESK_PUBLISH_CONTROL_COMMON();
    Property("Panels", &T::Panels, &T::SetPanels);
    Property("SimplePanel", &T::SimplePanel, &T::SetSimplePanel).Default(false);
    Property("SimpleText", &T::SimpleText, &T::SetSimpleText);
    Property("SizeGrip", &T::SizeGrip, &T::SetSizeGrip).Default(true);
    Property("OnDrawPanel", &T::OnDrawPanel, &T::OnDrawPanel);
    Property("OnResize", &T::OnResize, &T::OnResize);
}

TESK_PUBLISHED(TProgressBar) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Max", &T::Max, &T::SetMax).Default(100);
    Property("Min", &T::Min, &T::SetMin).Default(0);
    Property("Orientation", &T::Orientation, &T::SetOrientation).Default(pbHorizontal);
    Property("Position", &T::Position, &T::SetPosition).Default(0);
    Property("Smooth", &T::Smooth, &T::SetSmooth).Default(false);
    Property("Step", &T::Step, &T::SetStep).Default(10);
}

TESK_PUBLISHED(TMonthCalendar) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Date", TypeInfoTDate(), &T::Date, &T::SetDate);
    Property("MaxDate", TypeInfoTDate(), &T::MaxDate, &T::SetMaxDate);
    Property("MinDate", TypeInfoTDate(), &T::MinDate, &T::SetMinDate);
    Property("WeekNumbers", &T::WeekNumbers, &T::SetWeekNumbers).Default(false);
    Property("OnChange", &T::OnChange, &T::OnChange);
}
