#pragma once
// TSpeedButton: a button without a window, drawn here. Pressed with the
// mouse it follows the mouse (down while the pointer is over it) and clicks on
// release over it. Buttons of one GroupIndex (> 0) beside each other stay down
// one at a time; AllowAllUp lets the down one come up again.
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = int;
TESK_ENUM_INFO(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
TESK_ENUM_INFO(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)

class TSpeedButton : public TGraphicControl {
    TESK_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    bool Down() const { return down_; }
    void SetDown(bool Value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    // Up to four pictures side by side: up, disabled, down, stuck down.
    TBitmap* Glyph() const { return glyph_; }
    void SetGlyph(TBitmap* Value);
    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(TNumGlyphs Value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout Value);
    // -1: glyph and caption centred together.
    int Margin() const { return margin_; }
    void SetMargin(int Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    // The face now: up, down, stuck down (a down group button) or disabled.
    TButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);

    void Click() override;
    void Dispatch(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void Loaded() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    // Draws the glyph and the caption into Rect, moved by Offset.
    virtual void DrawGlyphAndCaption(const TRect& Rect, TPoint Offset);

private:
    class TLink;
    void GlyphChanged(TObject* Sender);
    void DoActionChange(TObject* Sender);
    void UpdateExclusive();
    bool Inside(int X, int Y);
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool flat_ = false;
    TBitmap* glyph_;
    TNumGlyphs numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    bool transparent_ = true;
    TButtonState state_ = bsUp;
    bool dragging_ = false;
    bool mouseInControl_ = false;
    TControlActionLink* actionLink_ = nullptr;
    TCustomImageList* glyphs_ = nullptr;  // the glyph cut into its pictures, with the see-through colour
};
