#include "platform/gui/Gauges.h"

#include <algorithm>

#include "platform/gui/Graphics.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtti/Published.h"

TGauge::TGauge(TComponent* AOwner) : TGraphicControl(AOwner) {
    controlStyle_ |= csFramed | csOpaque;
    SetBounds(0, 0, 100, 100);
}

int TGauge::PercentDone() const {
    int range = maxValue_ - minValue_;
    if (range <= 0) return 0;
    long long done = static_cast<long long>(progress_ - minValue_) * 100 / range;
    return static_cast<int>(std::clamp(done, 0LL, 100LL));
}

void TGauge::SetMinValue(int Value) {
    if (Value == minValue_) return;
    minValue_ = std::min(Value, maxValue_);
    if (progress_ < minValue_) progress_ = minValue_;
    Invalidate();
}

void TGauge::SetMaxValue(int Value) {
    if (Value == maxValue_) return;
    maxValue_ = std::max(Value, minValue_);
    if (progress_ > maxValue_) progress_ = maxValue_;
    Invalidate();
}

void TGauge::SetProgress(int Value) {
    Value = std::clamp(Value, minValue_, maxValue_);
    if (Value == progress_) return;
    progress_ = Value;
    Invalidate();
}

void TGauge::SetKind(TGaugeKind Value) {
    kind_ = Value;
    Invalidate();
}

void TGauge::SetForeColor(TColor Value) {
    foreColor_ = Value;
    Invalidate();
}

void TGauge::SetBackColor(TColor Value) {
    backColor_ = Value;
    Invalidate();
}

void TGauge::SetShowText(bool Value) {
    showText_ = Value;
    Invalidate();
}

void TGauge::SetBorderStyle(TBorderStyle Value) {
    borderStyle_ = Value;
    Invalidate();
}

void TGauge::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    if (borderStyle_ == bsSingle) {
        canvas->Brush()->SetColor(clBlack);
        canvas->FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    canvas->Brush()->SetColor(backColor_);
    canvas->FillRect(r);
    int percent = PercentDone();
    TRect filled = r;
    // Pie and needle gauges are drawn as horizontal bars.
    if (kind_ == gkVerticalBar) filled.Top = r.Bottom - r.Height() * percent / 100;
    else if (kind_ != gkText) filled.Right = r.Left + r.Width() * percent / 100;
    if (kind_ != gkText && filled.Width() > 0 && filled.Height() > 0) {
        canvas->Brush()->SetColor(foreColor_);
        canvas->FillRect(filled);
    }
    if (!showText_) return;
    AnsiString text = std::to_string(percent) + "%";
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsClear);
    // The text shows in the back colour over the filled part.
    canvas->Font()->SetColor(foreColor_);
    HDC dc = TextDC(canvas);
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (kind_ != gkText && filled.Width() > 0 && filled.Height() > 0) {
        int saved = SaveDC(dc);
        IntersectClipRect(dc, filled.Left, filled.Top, filled.Right, filled.Bottom);
        canvas->Font()->SetColor(backColor_);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        RestoreDC(dc, saved);
    }
    canvas->Brush()->SetStyle(bsSolid);
}

TESK_PUBLISHED(TGauge) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("BackColor", TypeInfoTColor(), &T::BackColor, &T::SetBackColor).Default(clWhite);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Font", &T::Font, &T::SetFont);
    Property("ForeColor", TypeInfoTColor(), &T::ForeColor, &T::SetForeColor).Default(clBlack);
    Property("Kind", &T::Kind, &T::SetKind).Default(gkHorizontalBar);
    Property("MaxValue", &T::MaxValue, &T::SetMaxValue).Default(100);
    Property("MinValue", &T::MinValue, &T::SetMinValue).Default(0);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("Progress", &T::Progress, &T::SetProgress);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("ShowText", &T::ShowText, &T::SetShowText).Default(true);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
}
