#pragma once
// Panels, bevels, shapes, images, splitters and radio groups. All but the
// radio group (a group box of radio buttons) are drawn here on the canvas in
// the classic 3-D style.
#include <vector>

#include "platform/gui/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

TESK_ENUM_INFO(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
TESK_ENUM_INFO(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)
TESK_ENUM_INFO(TBevelStyle, bsLowered, bsRaised)
TESK_ENUM_INFO(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle)
TESK_ENUM_INFO(TResizeStyle, rsNone, rsLine, rsUpdate, rsPattern)

// Draws a 3-D frame of Width lines inside Rect and moves Rect inside it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---- Panel ----

class TCustomPanel : public TCustomControl {
    TESK_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel Value);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel Value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int Value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool Value) { fullRepaint_ = Value; }
    bool Locked() const { return locked_; }
    void SetLocked(bool Value) { locked_ = Value; }

    void CMTextChanged(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;

private:
    TAlignment alignment_ = taCenter;
    TPanelBevel bevelInner_ = bvNone;
    TPanelBevel bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    bool fullRepaint_ = true;
    bool locked_ = false;
};

class TPanel : public TCustomPanel {
    TESK_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ---- Bevel, shape, image ----

class TBevel : public TGraphicControl {
    TESK_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

class TShape : public TGraphicControl {
    TESK_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;
    TBrush* Brush() const { return brush_; }
    void SetBrush(TBrush* Value) { brush_->Assign(Value); }
    TPen* Pen() const { return pen_; }
    void SetPen(TPen* Value) { pen_->Assign(Value); }
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType Value);

protected:
    void Paint() override;

private:
    void StyleChanged(TObject* Sender);
    TBrush* brush_;
    TPen* pen_;
    TShapeType shape_ = stRectangle;
};

// Shows a picture (drawn at its size, centred or stretched to the control).
class TImage : public TGraphicControl {
    TESK_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() const { return picture_; }
    void SetPicture(TPicture* Value) { picture_->Assign(Value); }
    // The picture's bitmap canvas (the picture becomes a bitmap).
    TCanvas* ImageCanvas();
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    bool Center() const { return center_; }
    void SetCenter(bool Value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool Value);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    // Where the picture lands in the control.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged(TObject* Sender);
    TPicture* picture_;
    bool autoSize_ = false;
    bool center_ = false;
    bool stretch_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
};

// ---- Splitter ----

using TCanResizeSplitterEvent = Delegate<void(TObject* Sender, int& NewSize, bool& Accept)>;

// Dragged, it resizes the control aligned next to it on the same side.
class TSplitter : public TGraphicControl {
    TESK_CLASS(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* AOwner);
    int MinSize() const { return minSize_; }
    void SetMinSize(int Value) { minSize_ = Value; }
    bool AutoSnap() const { return autoSnap_; }
    void SetAutoSnap(bool Value) { autoSnap_ = Value; }
    TResizeStyle ResizeStyle() const { return resizeStyle_; }
    void SetResizeStyle(TResizeStyle Value) { resizeStyle_ = Value; }
    // The control it resizes (found when the drag starts).
    TControl* ResizeControl() const { return control_; }

    TCanResizeSplitterEvent OnCanResize;
    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TControl* FindResizeControl();
    void UpdateSize(int X, int Y);
    int minSize_ = 30;
    bool autoSnap_ = true;
    TResizeStyle resizeStyle_ = rsPattern;
    TControl* control_ = nullptr;
    TPoint downPos_;
    int startSize_ = 0;
    bool dragging_ = false;
};

// ---- Radio group ----

// A group box of radio buttons, one per line of Items, in Columns columns.
// Setting ItemIndex checks its button (and runs OnClick, as a click does);
// while the group is being read from a definition nothing is clicked.
class TCustomRadioGroup : public TCustomGroupBox {
    TESK_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;
    TStrings* Items() const { return items_; }
    void SetItems(TStrings* Value) { items_->Assign(Value); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    int Columns() const { return columns_; }
    void SetColumns(int Value);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TRadioButton* Buttons(int Index) const { return buttons_.at(static_cast<size_t>(Index)); }

    void Loaded() override;
    void WMSize(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;

protected:
    // Whether a click may change the choice.
    virtual bool CanModify() { return true; }

private:
    friend class TGroupButton;
    void ItemsChange(TObject* Sender);
    void UpdateButtons();
    void ArrangeButtons();
    void ButtonClick(TObject* Sender);
    TStrings* items_;
    std::vector<TRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
    TESK_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};
