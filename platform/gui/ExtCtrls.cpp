#include "platform/gui/ExtCtrls.h"

#include <algorithm>

#include "platform/gui/ControlProps_p.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtl/ScopeGuard.h"

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    --Rect.Bottom;
    --Rect.Right;
    for (int i = 0; i < Width; ++i) {
        Canvas->Pen()->SetColor(TopColor);
        Canvas->Polyline({TPoint(Rect.Left, Rect.Bottom), TPoint(Rect.Left, Rect.Top), TPoint(Rect.Right, Rect.Top)});
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->Polyline(
            {TPoint(Rect.Right, Rect.Top), TPoint(Rect.Right, Rect.Bottom), TPoint(Rect.Left - 1, Rect.Bottom)});
        InflateRect(&Rect, -1, -1);
    }
    ++Rect.Bottom;
    ++Rect.Right;
}

namespace {
void BevelColors(TBevelCut bevel, TColor& top, TColor& bottom) {
    top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
}

int TextHeightOf(TFont* font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}
}  // namespace

// ---------------------------------------------------------------- TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                    csReplicatable;
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
    SetParentColor(true);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (borderStyle_ == bsSingle) {
        if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
        else Params.Style |= WS_BORDER;
    }
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    int size = borderWidth_;
    if (bevelOuter_ != bvNone) size += bevelWidth_;
    if (bevelInner_ != bvNone) size += bevelWidth_;
    InflateRect(&Rect, -size, -size);
}

void TCustomPanel::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, top, bottom);
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    }
    Frame3D(canvas, r, Color(), Color(), borderWidth_);
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, top, bottom);
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    }
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
    AnsiString caption = Caption();
    if (caption.empty()) return;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    int h = canvas->TextHeight("W");
    r.Top = (r.Bottom + r.Top - h) / 2;
    r.Bottom = r.Top + h;
    UINT align = alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    DrawText(TextDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &r, DT_EXPANDTABS | DT_VCENTER | align);
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
    bevelInner_ = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
    bevelOuter_ = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int Value) {
    bevelWidth_ = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int Value) {
    borderWidth_ = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (borderStyle_ == Value) return;
    borderStyle_ = Value;
    RecreateWnd();
}

// ---------------------------------------------------------------- TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    controlStyle_ |= csReplicatable;
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
    shape_ = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    style_ = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Pen()->SetWidth(1);
    TColor color1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
        canvas->Pen()->SetColor(c);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    int w = Width(), h = Height();
    TRect r = ClientRect();
    switch (shape_) {
        case bsBox: Frame3D(canvas, r, color1, color2, 1); break;
        case bsFrame: {
            TRect inner = r;
            --inner.Right;
            --inner.Bottom;
            Frame3D(canvas, inner, color1, color1, 1);
            inner = r;
            OffsetRect(&inner, 1, 1);
            --inner.Right;
            --inner.Bottom;
            Frame3D(canvas, inner, color2, color2, 1);
            break;
        }
        case bsTopLine:
            line(color1, 0, 0, w, 0);
            line(color2, 0, 1, w, 1);
            break;
        case bsBottomLine:
            line(color1, 0, h - 2, w, h - 2);
            line(color2, 0, h - 1, w, h - 1);
            break;
        case bsLeftLine:
            line(color1, 0, 0, 0, h);
            line(color2, 1, 0, 1, h);
            break;
        case bsRightLine:
            line(color1, w - 2, 0, w - 2, h);
            line(color2, w - 1, 0, w - 1, h);
            break;
        case bsSpacer: break;
    }
}

// ---------------------------------------------------------------- TShape

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner), brush_(new TBrush()), pen_(new TPen()) {
    controlStyle_ |= csReplicatable;
    SetBounds(0, 0, 65, 65);
    brush_->OnChange = MakeEvent(this, &TShape::StyleChanged);
    pen_->OnChange = MakeEvent(this, &TShape::StyleChanged);
}

TShape::~TShape() {
    delete pen_;
    delete brush_;
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::SetShape(TShapeType Value) {
    shape_ = Value;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* canvas = Canvas();
    canvas->SetPen(pen_);
    canvas->SetBrush(brush_);
    int x = pen_->Width() / 2;
    int y = x;
    int w = Width() - pen_->Width() + 1;
    int h = Height() - pen_->Width() + 1;
    if (pen_->Width() == 0) {
        --w;
        --h;
    }
    int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (shape_) {
        case stRectangle:
        case stSquare:
        case stRoundRect:
        case stRoundSquare:  // drawn with square corners
            canvas->Rectangle(x, y, x + w, y + h);
            break;
        case stEllipse:
        case stCircle: canvas->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---------------------------------------------------------------- TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(new TPicture()) {
    controlStyle_ |= csReplicatable;
    picture_->OnChange = MakeEvent(this, &TImage::PictureChanged);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { delete picture_; }

TCanvas* TImage::ImageCanvas() { return picture_->Bitmap()->Canvas(); }

void TImage::PictureChanged(TObject*) {
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    if (TGraphic* g = picture_->Graphic()) g->SetTransparent(transparent_);
    Invalidate();
}

void TImage::SetAutoSize(bool Value) {
    autoSize_ = Value;
    PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
    center_ = Value;
    Invalidate();
}

void TImage::SetStretch(bool Value) {
    stretch_ = Value;
    Invalidate();
}

void TImage::SetProportional(bool Value) {
    proportional_ = Value;
    Invalidate();
}

void TImage::SetTransparent(bool Value) {
    transparent_ = Value;
    if (Value) controlStyle_ &= ~csOpaque;
    PictureChanged(this);
}

TRect TImage::DestRect() const {
    int w = picture_->Width(), h = picture_->Height();
    int cw = Width(), ch = Height();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            double xy = static_cast<double>(w) / h;
            if (cw / xy <= ch) {
                w = cw;
                h = static_cast<int>(cw / xy);
            } else {
                h = ch;
                w = static_cast<int>(ch * xy);
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (center_) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint() {
    TGraphic* g = picture_->Graphic();
    if (!g || g->Empty()) return;
    Canvas()->StretchDraw(DestRect(), g);
}

// ---------------------------------------------------------------- TSplitter

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetAlign(alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crHSplit);
}

void TSplitter::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
}

TControl* TSplitter::FindResizeControl() {
    TWinControl* parent = Parent();
    if (!parent) return nullptr;
    TRect me = BoundsRect();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        TRect r = c->BoundsRect();
        switch (Align()) {
            case alLeft:
                if (r.Right == me.Left) return c;
                break;
            case alRight:
                if (r.Left == me.Right) return c;
                break;
            case alTop:
                if (r.Bottom == me.Top) return c;
                break;
            case alBottom:
                if (r.Top == me.Bottom) return c;
                break;
            default: break;
        }
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    control_ = FindResizeControl();
    if (!control_) return;
    dragging_ = true;
    downPos_ = ClientToScreen(TPoint(X, Y));
    bool horizontal = Align() == alLeft || Align() == alRight;
    startSize_ = horizontal ? control_->Width() : control_->Height();
}

void TSplitter::UpdateSize(int X, int Y) {
    TPoint p = ClientToScreen(TPoint(X, Y));
    int delta = 0;
    switch (Align()) {
        case alLeft: delta = p.X - downPos_.X; break;
        case alRight: delta = downPos_.X - p.X; break;
        case alTop: delta = p.Y - downPos_.Y; break;
        case alBottom: delta = downPos_.Y - p.Y; break;
        default: return;
    }
    int size = std::max(minSize_, startSize_ + delta);
    bool accept = true;
    if (OnCanResize) OnCanResize(this, size, accept);
    if (!accept) return;
    if (Align() == alLeft || Align() == alRight) control_->SetWidth(size);
    else control_->SetHeight(size);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (dragging_ && control_ && resizeStyle_ != rsNone) UpdateSize(X, Y);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!dragging_) return;
    dragging_ = false;
    if (control_) {
        UpdateSize(X, Y);
        if (OnMoved) OnMoved(this);
    }
}

// ---------------------------------------------------------------- TCustomRadioGroup

class TGroupButton final : public TRadioButton {
public:
    explicit TGroupButton(TCustomRadioGroup* Group) : TRadioButton(Group), group_(Group) {
        TControl::SetVisible(false);
        SetEnabled(Group->Enabled());
        SetParentShowHint(false);
        OnClick = MakeEvent(Group, &TCustomRadioGroup::ButtonClick);
        SetParent(Group);
    }
    void Click() override {
        if (inClick_) return;
        inClick_ = true;
        TScopeGuard done([this] { inClick_ = false; });
        if (group_->CanModify()) TRadioButton::Click();
    }
    void KeyPress(char& Key) override {
        TRadioButton::KeyPress(Key);
        if (Key == 8 || Key == ' ') {
            if (!group_->CanModify()) Key = 0;
        }
    }

private:
    TCustomRadioGroup* group_;
    bool inClick_ = false;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) {
    controlStyle_ = csSetCaption | csDoubleClicks | csReplicatable;
    auto* items = new TStringList();
    items->OnChange = MakeEvent(this, &TCustomRadioGroup::ItemsChange);
    items_ = items;
    SetTabStop(true);
}

TCustomRadioGroup::~TCustomRadioGroup() { delete items_; }

void TCustomRadioGroup::ItemsChange(TObject*) {
    if (InState(csReading)) return;
    if (itemIndex_ >= items_->Count()) itemIndex_ = items_->Count() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    while (static_cast<int>(buttons_.size()) < items_->Count()) buttons_.push_back(new TGroupButton(this));
    while (static_cast<int>(buttons_.size()) > items_->Count()) {
        TRadioButton* b = buttons_.back();
        buttons_.pop_back();
        FreeObject(b);
    }
    updating_ = true;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->SetCaption(items_->Strings(static_cast<int>(i)));
        buttons_[i]->SetChecked(static_cast<int>(i) == itemIndex_);
    }
    updating_ = false;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (buttons_.empty()) return;
    int count = static_cast<int>(buttons_.size());
    int columns = std::max(1, columns_);
    int perCol = (count + columns - 1) / columns;
    int buttonWidth = (Width() - 10) / columns;
    int textHeight = TextHeightOf(Font());
    int room = Height() - textHeight - 5;
    int buttonHeight = room / perCol;
    int topMargin = textHeight + 1 + (room % perCol) / 2;
    for (int i = 0; i < count; ++i) {
        TRadioButton* b = buttons_[static_cast<size_t>(i)];
        b->SetBounds((i / perCol) * buttonWidth + 8, (i % perCol) * buttonHeight + topMargin, buttonWidth, buttonHeight);
        b->SetVisible(true);
    }
}

void TCustomRadioGroup::ButtonClick(TObject* Sender) {
    if (updating_) return;
    auto it = std::find(buttons_.begin(), buttons_.end(), Sender);
    if (it == buttons_.end()) return;
    itemIndex_ = static_cast<int>(it - buttons_.begin());
    Click();
}

void TCustomRadioGroup::SetItemIndex(int Value) {
    if (InState(csReading)) {
        itemIndex_ = Value;
        return;
    }
    Value = std::clamp(Value, -1, static_cast<int>(buttons_.size()) - 1);
    if (itemIndex_ == Value) return;
    if (itemIndex_ >= 0 && itemIndex_ < ButtonCount()) buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(false);
    itemIndex_ = Value;
    if (itemIndex_ >= 0) buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int Value) {
    Value = std::clamp(Value, 1, 16);
    if (columns_ == Value) return;
    columns_ = Value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    UpdateButtons();
}

void TCustomRadioGroup::WMSize(TMessage& Message) {
    TCustomGroupBox::WMSize(Message);
    ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& Message) {
    TCustomGroupBox::CMEnabledChanged(Message);
    for (TRadioButton* b : buttons_) b->SetEnabled(Enabled());
}

void TCustomRadioGroup::CMFontChanged(TMessage& Message) {
    TCustomGroupBox::CMFontChanged(Message);
    ArrangeButtons();
}

// ---------------------------------------------------------------- published

TESK_PUBLISHED(TCustomPanel) {}

TESK_PUBLISHED(TPanel) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taCenter);
    Property("BevelInner", &T::BevelInner, &T::SetBevelInner).Default(bvNone);
    Property("BevelOuter", &T::BevelOuter, &T::SetBevelOuter).Default(bvRaised);
    Property("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsNone);
    Property("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("FullRepaint", &T::FullRepaint, &T::SetFullRepaint).Default(true);
    Property("Locked", &T::Locked, &T::SetLocked).Default(false);
    Property("OnResize", &T::OnResize, &T::OnResize);
}

TESK_PUBLISHED(TBevel) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("Shape", &T::Shape, &T::SetShape).Default(bsBox);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("Style", &T::Style, &T::SetStyle).Default(bsLowered);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
}

TESK_PUBLISHED(TShape) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("Brush", &T::Brush, &T::SetBrush);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Pen", &T::Pen, &T::SetPen);
    Property("Shape", &T::Shape, &T::SetShape).Default(stRectangle);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
}

TESK_PUBLISHED(TImage) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
    Property("Center", &T::Center, &T::SetCenter).Default(false);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Picture", &T::Picture, &T::SetPicture);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("Proportional", &T::Proportional, &T::SetProportional).Default(false);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("Stretch", &T::Stretch, &T::SetStretch).Default(false);
    Property("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
}

TESK_PUBLISHED(TSplitter) {
    Property("Align", &T::Align, &T::SetAlign).Default(alLeft);
    Property("AutoSnap", &T::AutoSnap, &T::SetAutoSnap).Default(true);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor);
    Property("MinSize", &T::MinSize, &T::SetMinSize).Default(30);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor);
    Property("ResizeStyle", &T::ResizeStyle, &T::SetResizeStyle).Default(rsPattern);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnCanResize", &T::OnCanResize, &T::OnCanResize);
    Property("OnMoved", &T::OnMoved, &T::OnMoved);
}

TESK_PUBLISHED(TCustomRadioGroup) {}

TESK_PUBLISHED(TRadioGroup) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Columns", &T::Columns, &T::SetColumns).Default(1);
    Property("ItemIndex", &T::ItemIndex, &T::SetItemIndex).Default(-1);
    Property("Items", &T::Items, &T::SetItems);
}
