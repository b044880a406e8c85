#include "platform/gui/DBCtrls.h"

#include <algorithm>

#include "platform/db/DbClassInfo.h"
#include "platform/gui/ControlProps_p.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Services.h"

namespace {

const char* const kDefaultHints[10] = {"First record", "Prior record", "Next record", "Last record", "Insert record",
                                       "Delete record", "Edit record", "Post edit", "Cancel edit", "Refresh data"};
const char* const kButtonNames[10] = {"First", "Prior", "Next", "Last", "Insert",
                                      "Delete", "Edit", "Post", "Cancel", "Refresh"};

// The pictures of the buttons, drawn here: 11 x 11 on a see-through colour.
void DrawGlyph(TBitmap* b, TNavigateBtn kind) {
    const TColor clear = clOlive;
    b->SetSize(11, 11);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clear);
    c->FillRect(TRect(0, 0, 11, 11));
    c->Brush()->SetColor(clBlack);
    c->Pen()->SetColor(clBlack);
    auto tri = [&](std::vector<TPoint> p) { c->Polygon(p); };
    switch (kind) {
        case nbFirst:
            c->FillRect(TRect(2, 1, 4, 10));
            tri({TPoint(9, 1), TPoint(9, 9), TPoint(5, 5)});
            break;
        case nbPrior: tri({TPoint(7, 1), TPoint(7, 9), TPoint(3, 5)}); break;
        case nbNext: tri({TPoint(3, 1), TPoint(3, 9), TPoint(7, 5)}); break;
        case nbLast:
            tri({TPoint(1, 1), TPoint(1, 9), TPoint(5, 5)});
            c->FillRect(TRect(7, 1, 9, 10));
            break;
        case nbInsert:
            c->FillRect(TRect(4, 1, 7, 10));
            c->FillRect(TRect(1, 4, 10, 7));
            break;
        case nbDelete: c->FillRect(TRect(1, 4, 10, 7)); break;
        case nbEdit: tri({TPoint(1, 8), TPoint(9, 8), TPoint(5, 2)}); break;
        case nbPost:
            c->Pen()->SetWidth(2);
            c->Polyline({TPoint(1, 5), TPoint(4, 8), TPoint(9, 2)});
            break;
        case nbCancel:
            c->Pen()->SetWidth(2);
            c->MoveTo(2, 2);
            c->LineTo(9, 9);
            c->MoveTo(9, 2);
            c->LineTo(2, 9);
            break;
        case nbRefresh:
            c->Pen()->SetWidth(2);
            c->Polyline({TPoint(8, 3), TPoint(5, 1), TPoint(2, 3), TPoint(1, 6), TPoint(3, 9), TPoint(6, 9),
                         TPoint(8, 7)});
            tri({TPoint(6, 0), TPoint(10, 4), TPoint(6, 4)});
            break;
    }
    c->Pen()->SetWidth(1);
    // The bottom-left pixel is the see-through colour.
    c->SetPixels(0, 10, clear);
}

}  // namespace

class TDBNavigator::TNavDataLink final : public TDataLink {
public:
    explicit TNavDataLink(TDBNavigator* Navigator) : navigator_(Navigator) {}

protected:
    void ActiveChanged() override { navigator_->UpdateButtons(); }
    void DataSetChanged() override { navigator_->UpdateButtons(); }
    void EditingChanged() override { navigator_->UpdateButtons(); }

private:
    TDBNavigator* navigator_;
};

TDBNavigator::TDBNavigator(TComponent* AOwner) : TCustomPanel(AOwner) {
    controlStyle_ = (controlStyle_ & ~csAcceptsControls) | csOpaque;
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetCaption(AnsiString());
    dataLink_ = new TNavDataLink(this);
    auto* hints = new TStringList();
    hints->OnChange = MakeEvent(this, &TDBNavigator::HintsChanged);
    hints_ = hints;
    TBitmap glyph;
    for (int i = 0; i < 10; ++i) {
        auto* b = new TNavButton(this);
        b->index_ = static_cast<TNavigateBtn>(i);
        b->SetName(AnsiString(kButtonNames[i]));
        DrawGlyph(&glyph, static_cast<TNavigateBtn>(i));
        b->SetGlyph(&glyph);
        b->SetNumGlyphs(1);
        b->SetHint(kDefaultHints[i]);
        b->OnClick = MakeEvent(this, &TDBNavigator::ButtonClicked);
        b->SetParent(this);
        buttons_[i] = b;
    }
    SetBounds(0, 0, 240, 25);
    SetShowHint(true);
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() {
    delete dataLink_;
    delete hints_;
}

TDataSource* TDBNavigator::DataSource() const { return dataLink_->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource* Value) {
    dataLink_->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    UpdateButtons();
}

void TDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation == opRemove && dataLink_ && AComponent == dataLink_->DataSource()) SetDataSource(nullptr);
}

void TDBNavigator::SetVisibleButtons(TButtonSet Value) {
    visibleButtons_ = Value;
    for (int i = 0; i < 10; ++i) buttons_[i]->SetVisible((Value & NavButtonBit(static_cast<TNavigateBtn>(i))) != 0);
    Arrange();
}

void TDBNavigator::SetFlat(bool Value) {
    flat_ = Value;
    for (TNavButton* b : buttons_) b->SetFlat(Value);
}

void TDBNavigator::HintsChanged(TObject*) {
    for (int i = 0; i < 10; ++i)
        buttons_[i]->SetHint(i < hints_->Count() && !hints_->Strings(i).empty() ? hints_->Strings(i)
                                                                                : AnsiString(kDefaultHints[i]));
}

void TDBNavigator::Arrange() {
    std::vector<TNavButton*> shown;
    for (TNavButton* b : buttons_)
        if (b->Visible()) shown.push_back(b);
    if (shown.empty()) return;
    int count = static_cast<int>(shown.size());
    int w = Width() / count;
    int extra = Width() - w * count;
    int x = 0;
    for (int i = 0; i < count; ++i) {
        int bw = w + (i < extra ? 1 : 0);
        shown[static_cast<size_t>(i)]->SetBounds(x, 0, bw, Height());
        x += bw;
    }
}

void TDBNavigator::WMSize(TMessage& Message) {
    TCustomPanel::WMSize(Message);
    Arrange();
}

void TDBNavigator::CMEnabledChanged(TMessage& Message) {
    TCustomPanel::CMEnabledChanged(Message);
    UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
    if (!buttons_[0]) return;
    bool active = Enabled() && dataLink_->Active() && dataLink_->DataSet();
    if (!active) {
        for (TNavButton* b : buttons_) b->SetEnabled(false);
        return;
    }
    TDataSet* ds = dataLink_->DataSet();
    bool up = !ds->Bof();
    bool down = !ds->Eof();
    bool canModify = ds->CanModify();
    bool editing = dataLink_->Editing();
    buttons_[nbFirst]->SetEnabled(up);
    buttons_[nbPrior]->SetEnabled(up);
    buttons_[nbNext]->SetEnabled(down);
    buttons_[nbLast]->SetEnabled(down);
    buttons_[nbDelete]->SetEnabled(canModify && !(ds->Bof() && ds->Eof()));
    buttons_[nbInsert]->SetEnabled(canModify);
    buttons_[nbEdit]->SetEnabled(canModify && !editing);
    buttons_[nbPost]->SetEnabled(canModify && editing);
    buttons_[nbCancel]->SetEnabled(canModify && editing);
    buttons_[nbRefresh]->SetEnabled(true);
}

void TDBNavigator::ButtonClicked(TObject* Sender) {
    if (auto* b = dynamic_cast<TNavButton*>(Sender)) BtnClick(b->Index());
}

void TDBNavigator::BtnClick(TNavigateBtn Index) {
    TDataSource* source = DataSource();
    if (source && source->State() != dsInactive && source->DataSet()) {
        if (BeforeAction) BeforeAction(this, Index);
        TDataSet* ds = source->DataSet();
        switch (Index) {
            case nbFirst: ds->First(); break;
            case nbPrior: ds->Prior(); break;
            case nbNext: ds->Next(); break;
            case nbLast: ds->Last(); break;
            case nbInsert: ds->Insert(); break;
            case nbEdit: ds->Edit(); break;
            case nbCancel: ds->Cancel(); break;
            case nbPost: ds->Post(); break;
            case nbRefresh: ds->Refresh(); break;
            case nbDelete:
                if (!confirmDelete_ || MessageDlg("Delete record?", mtConfirmation, mbOKCancel) != mrCancel)
                    ds->Delete();
                break;
        }
    }
    if (OnClick) OnClick(this, Index);
}

TESK_PUBLISHED(TNavButton) {}

TESK_PUBLISHED(TDBNavigator) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("ConfirmDelete", &T::ConfirmDelete, &T::SetConfirmDelete).Default(true);
    Property("DataSource", &T::DataSource, &T::SetDataSource);
    Property("Flat", &T::Flat, &T::SetFlat).Default(false);
    Property("Hints", &T::Hints, &T::SetHints);
    Property("VisibleButtons", &T::VisibleButtons, &T::SetVisibleButtons).Default(kAllNavButtons);
    Property("BeforeAction", &T::BeforeAction, &T::BeforeAction);
    Property("OnClick", &T::OnClick, &T::OnClick);
}
