#include "platform/gui/Buttons.h"

#include <algorithm>

#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtti/Published.h"

// A bound action's Checked is the button's Down.
class TSpeedButton::TLink final : public TControlActionLink {
public:
    explicit TLink(TSpeedButton* Button) : TControlActionLink(Button), button_(Button) {}
    void SetChecked(bool Value) override {
        if (button_->GroupIndex() != 0) button_->SetDown(Value);
    }

private:
    TSpeedButton* button_;
};

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(new TBitmap()) {
    SetBounds(0, 0, 23, 22);
    controlStyle_ = csCaptureMouse | csDoubleClicks;
    SetParentFont(true);
    SetColor(clBtnFace);
    SetParentColor(true);
    glyph_->OnChange = MakeEvent(this, &TSpeedButton::GlyphChanged);
}

TSpeedButton::~TSpeedButton() {
    delete actionLink_;
    delete glyphs_;
    delete glyph_;
}

void TSpeedButton::GlyphChanged(TObject*) {
    delete glyphs_;
    glyphs_ = nullptr;
    if (!glyph_->Empty() && numGlyphs_ > 0) {
        int w = glyph_->Width() / numGlyphs_;
        if (w > 0) {
            glyphs_ = TCustomImageList::CreateSize(w, glyph_->Height());
            glyphs_->AddMasked(glyph_, glyph_->TransparentColor());
        }
    }
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
    glyph_->Assign(Value);
    // A glyph several times as wide as high holds that many pictures.
    if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
        int n = Value->Width() / Value->Height();
        if (n >= 1 && n <= 4) numGlyphs_ = n;
    }
    GlyphChanged(this);
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
    numGlyphs_ = std::clamp(Value, 1, 4);
    GlyphChanged(this);
}

void TSpeedButton::SetGroupIndex(int Value) {
    if (groupIndex_ == Value) return;
    groupIndex_ = Value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
    if (groupIndex_ == 0) Value = false;
    if (Value == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = Value;
    if (Value) {
        if (state_ == bsUp) Invalidate();
        state_ = bsExclusive;
    } else {
        state_ = bsUp;
        Repaint();
    }
    if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
    if (allowAllUp_ == Value) return;
    allowAllUp_ = Value;
    UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
    flat_ = Value;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
    layout_ = Value;
    Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
    margin_ = std::max(-1, Value);
    Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
    spacing_ = Value;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
    transparent_ = Value;
    if (Value) controlStyle_ &= ~csOpaque;
    else controlStyle_ |= csOpaque;
    Invalidate();
}

void TSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage m;
    m.Msg = CM_BUTTONPRESSED;
    m.WParam = static_cast<WPARAM>(groupIndex_);
    m.LParam = reinterpret_cast<LPARAM>(this);
    Parent()->Broadcast(m);
}

void TSpeedButton::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_BUTTONPRESSED) {
        auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
        if (static_cast<int>(Message.WParam) == groupIndex_ && sender != this && sender) {
            if (sender->Down() && down_) {
                down_ = false;
                state_ = bsUp;
                Invalidate();
            }
            allowAllUp_ = sender->AllowAllUp();
        }
        return;
    }
    TGraphicControl::Dispatch(Message);
}

bool TSpeedButton::Inside(int X, int Y) { return X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
        if (!down_) {
            state_ = bsDown;
            Invalidate();
        }
        dragging_ = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!dragging_) return;
    TButtonState next = down_ ? bsExclusive : bsUp;
    if (Inside(X, Y)) next = down_ ? bsExclusive : bsDown;
    if (next != state_) {
        state_ = next;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!dragging_) return;
    dragging_ = false;
    bool doClick = Inside(X, Y);
    if (groupIndex_ == 0) {
        state_ = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!down_);
        if (down_) Repaint();
    } else {
        if (down_) state_ = bsExclusive;
        Repaint();
    }
    if (doClick) Click();
}

void TSpeedButton::Click() {
    if (OnClick) OnClick(this);
    else if (actionLink_ && actionLink_->Action()) actionLink_->Execute(this);
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
    TGraphicControl::CMMouseEnter(Message);
    if (!mouseInControl_ && Enabled()) {
        mouseInControl_ = true;
        if (flat_) Invalidate();
    }
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    if (mouseInControl_) {
        mouseInControl_ = false;
        if (flat_) Invalidate();
    }
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
    TGraphicControl::CMEnabledChanged(Message);
    if (!Enabled()) {
        mouseInControl_ = false;
        dragging_ = false;
    }
    Invalidate();
}

void TSpeedButton::CMTextChanged(TMessage&) { Invalidate(); }

void TSpeedButton::DrawGlyphAndCaption(const TRect& Rect, TPoint Offset) {
    TCanvas* canvas = Canvas();
    AnsiString caption = Caption();
    canvas->Font()->Assign(Font());
    TSize text(0, 0);
    if (!caption.empty()) {
        TRect calc(0, 0, Rect.Width(), 0);
        DrawText(TextDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &calc, DT_CALCRECT | DT_SINGLELINE);
        text = TSize(calc.Width(), calc.Height());
    }
    TSize glyph = glyphs_ ? TSize(glyphs_->Width(), glyphs_->Height()) : TSize(0, 0);
    bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
    int spacing = (glyph.cx > 0 && text.cx > 0) ? spacing_ : 0;
    int total = horizontal ? glyph.cx + spacing + text.cx : glyph.cy + spacing + text.cy;
    int room = horizontal ? Rect.Width() : Rect.Height();
    int start = margin_ < 0 ? (room - total) / 2 : margin_;
    TPoint glyphPos, textPos;
    switch (layout_) {
        case blGlyphLeft:
            glyphPos = TPoint(start, (Rect.Height() - glyph.cy) / 2);
            textPos = TPoint(start + glyph.cx + spacing, (Rect.Height() - text.cy) / 2);
            break;
        case blGlyphRight:
            glyphPos = TPoint(room - start - glyph.cx, (Rect.Height() - glyph.cy) / 2);
            textPos = TPoint(glyphPos.X - spacing - text.cx, (Rect.Height() - text.cy) / 2);
            break;
        case blGlyphTop:
            glyphPos = TPoint((Rect.Width() - glyph.cx) / 2, start);
            textPos = TPoint((Rect.Width() - text.cx) / 2, start + glyph.cy + spacing);
            break;
        case blGlyphBottom:
            glyphPos = TPoint((Rect.Width() - glyph.cx) / 2, room - start - glyph.cy);
            textPos = TPoint((Rect.Width() - text.cx) / 2, glyphPos.Y - spacing - text.cy);
            break;
    }
    int ox = Rect.Left + Offset.X, oy = Rect.Top + Offset.Y;
    if (glyphs_) {
        int index = 0;
        bool enabled = Enabled();
        switch (state_) {
            case bsDisabled: index = numGlyphs_ > 1 ? 1 : 0; break;
            case bsDown: index = numGlyphs_ > 2 ? 2 : 0; break;
            case bsExclusive: index = numGlyphs_ > 3 ? 3 : 0; break;
            default: break;
        }
        if (!enabled) index = numGlyphs_ > 1 ? 1 : 0;
        // Without a picture of its own, a disabled glyph is drawn embossed.
        glyphs_->Draw(canvas, glyphPos.X + ox, glyphPos.Y + oy, std::min(index, glyphs_->Count() - 1),
                      enabled || numGlyphs_ > 1);
    }
    if (!caption.empty()) {
        TRect t(textPos.X + ox, textPos.Y + oy, textPos.X + ox + text.cx, textPos.Y + oy + text.cy);
        canvas->Brush()->SetStyle(bsClear);
        if (!Enabled()) {
            OffsetRect(&t, 1, 1);
            canvas->Font()->SetColor(clBtnHighlight);
            DrawText(TextDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &t, DT_CENTER | DT_SINGLELINE);
            OffsetRect(&t, -1, -1);
            canvas->Font()->SetColor(clBtnShadow);
        }
        DrawText(TextDC(canvas), caption.c_str(), static_cast<int>(caption.size()), &t, DT_CENTER | DT_SINGLELINE);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

void TSpeedButton::Paint() {
    TCanvas* canvas = Canvas();
    if (!Enabled()) {
        state_ = bsDisabled;
        dragging_ = false;
    } else if (state_ == bsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
    }
    TRect r = ClientRect();
    bool pressed = state_ == bsDown || state_ == bsExclusive;
    if (!flat_) {
        TRect face = r;
        DrawFrameControl(canvas->Handle(), &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? UINT(DFCS_PUSHED) : 0u));
        if (state_ == bsExclusive) {
            // A button that stays down shows a lighter face.
            TRect inner = r;
            InflateRect(&inner, -2, -2);
            canvas->Brush()->SetColor(cl3DLight);
            canvas->FillRect(inner);
        }
    } else {
        if (!transparent_) {
            canvas->Brush()->SetColor(Color());
            canvas->FillRect(r);
        }
        if (pressed || (mouseInControl_ && state_ != bsDisabled)) {
            TRect edge = r;
            DrawEdge(canvas->Handle(), &edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
    }
    TRect content = r;
    InflateRect(&content, -1, -1);
    DrawGlyphAndCaption(content, pressed ? TPoint(1, 1) : TPoint(0, 0));
}

TBasicAction* TSpeedButton::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TSpeedButton::SetAction(TBasicAction* Value) {
    if (!Value) {
        delete actionLink_;
        actionLink_ = nullptr;
        return;
    }
    if (!actionLink_) {
        actionLink_ = new TLink(this);
        actionLink_->OnChange = MakeEvent(this, &TSpeedButton::DoActionChange);
    }
    actionLink_->SetAction(Value);
    Value->FreeNotification(this);
    ActionChange(Value, false);
}

void TSpeedButton::DoActionChange(TObject* Sender) {
    if (actionLink_ && Sender == actionLink_->Action()) ActionChange(Sender, false);
}

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
    if (groupIndex_ != 0 && (!CheckDefaults || !down_)) SetDown(action->Checked());
}

void TSpeedButton::Loaded() {
    TGraphicControl::Loaded();
    if (actionLink_ && actionLink_->Action()) ActionChange(actionLink_->Action(), false);
    if (down_) UpdateExclusive();
}

void TSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && actionLink_ && AComponent == actionLink_->Action()) SetAction(nullptr);
}

#include "platform/gui/ControlProps_p.h"

TESK_PUBLISHED(TSpeedButton) {
    Property("Action", &T::Action, &T::SetAction);
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("AllowAllUp", &T::AllowAllUp, &T::SetAllowAllUp).Default(false);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
    Property("Down", &T::Down, &T::SetDown).Default(false);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Flat", &T::Flat, &T::SetFlat).Default(false);
    Property("Font", &T::Font, &T::SetFont);
    Property("Glyph", &T::Glyph, &T::SetGlyph);
    Property("Layout", &T::Layout, &T::SetLayout).Default(blGlyphLeft);
    Property("Margin", &T::Margin, &T::SetMargin).Default(-1);
    Property("NumGlyphs", &T::NumGlyphs, &T::SetNumGlyphs).Default(1);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("Spacing", &T::Spacing, &T::SetSpacing).Default(4);
    Property("Transparent", &T::Transparent, &T::SetTransparent).Default(true);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
}
