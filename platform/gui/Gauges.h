#pragma once
// TGauge: a progress gauge drawn here, filled in proportion to
// (Progress - MinValue) / (MaxValue - MinValue), with the percentage written
// over it.
#include "platform/gui/Controls.h"

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
TESK_ENUM_INFO(TGaugeKind, gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle)

class TGauge : public TGraphicControl {
    TESK_CLASS(TGauge, TGraphicControl)
public:
    explicit TGauge(TComponent* AOwner);
    int MinValue() const { return minValue_; }
    void SetMinValue(int Value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int Value);
    int Progress() const { return progress_; }
    void SetProgress(int Value);
    void AddProgress(int Value) { SetProgress(progress_ + Value); }
    // 0 to 100.
    int PercentDone() const;
    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind Value);
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor Value);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor Value);
    bool ShowText() const { return showText_; }
    void SetShowText(bool Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);

protected:
    void Paint() override;

private:
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TGaugeKind kind_ = gkHorizontalBar;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;
    bool showText_ = true;
    TBorderStyle borderStyle_ = bsSingle;
};
