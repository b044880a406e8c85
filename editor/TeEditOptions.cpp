#include "editor/TeEditOptions.h"

#include <map>

#include "platform/rtti/Published.h"

// ---------------------------------------------------------------------------
// Selection colours

TESK_PUBLISHED(TTeSelectedColor) {
    Property("Background", TypeInfoTColor(), &T::Background, &T::SetBackground).Default(clHighlight);
    Property("Foreground", TypeInfoTColor(), &T::Foreground, &T::SetForeground).Default(clHighlightText);
    Property("OnChange", &T::OnChange, &T::OnChange);
}

void TTeSelectedColor::Changed() {
    if (OnChange) OnChange(this);
}

void TTeSelectedColor::SetBackground(TColor Value) {
    if (bg_ == Value) return;
    bg_ = Value;
    Changed();
}

void TTeSelectedColor::SetForeground(TColor Value) {
    if (fg_ == Value) return;
    fg_ = Value;
    Changed();
}

void TTeSelectedColor::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TTeSelectedColor*>(Source)) {
        bg_ = src->bg_;
        fg_ = src->fg_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Gutter

TESK_PUBLISHED(TTeGutter) {
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(gbsMiddle);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(clBtnFace);
    Property("BorderColor", TypeInfoTColor(), &T::BorderColor, &T::SetBorderColor).Default(clWindow);
    Property("Cursor", TypeInfoTCursor(), &T::Cursor, &T::SetCursor).Default(crDefault);
    Property("DigitCount", &T::DigitCount, &T::SetDigitCount).Default(4);
    Property("Font", &T::Font, &T::SetFont);
    Property("LeadingZeros", &T::LeadingZeros, &T::SetLeadingZeros).Default(false);
    Property("LeftOffset", &T::LeftOffset, &T::SetLeftOffset).Default(16);
    Property("RightOffset", &T::RightOffset, &T::SetRightOffset).Default(2);
    Property("ShowLineNumbers", &T::ShowLineNumbers, &T::SetShowLineNumbers).Default(false);
    Property("UseFontStyle", &T::UseFontStyle, &T::SetUseFontStyle).Default(true);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("Width", &T::Width, &T::SetWidth).Default(30);
    Property("ZeroStart", &T::ZeroStart, &T::SetZeroStart).Default(false);
    Property("LineNumberStart", &T::LineNumberStart, &T::SetLineNumberStart).Default(1);
    Property("Gradient", &T::Gradient, &T::SetGradient).Default(false);
    Property("GradientStartColor", TypeInfoTColor(), &T::GradientStartColor, &T::SetGradientStartColor)
        .Default(clWindow);
    Property("GradientEndColor", TypeInfoTColor(), &T::GradientEndColor, &T::SetGradientEndColor).Default(clBtnFace);
    Property("GradientSteps", &T::GradientSteps, &T::SetGradientSteps).Default(48);
    Property("OnChange", &T::OnChange, &T::OnChange);
}

TTeGutter::TTeGutter() : font_(new TFont) {
    font_->SetName("Courier New");
    font_->SetSize(8);
    font_->SetStyle(TFontStyles{});
    font_->OnChange = TNotifyEvent(this, &TTeGutter::FontChanged);
}

TTeGutter::~TTeGutter() { delete font_; }

void TTeGutter::Changed() {
    if (OnChange) OnChange(this);
}

void TTeGutter::FontChanged(TObject*) { Changed(); }

void TTeGutter::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TTeGutter*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    font_->Assign(src->font_);
    useFontStyle_ = src->useFontStyle_;
    color_ = src->color_;
    visible_ = src->visible_;
    width_ = src->width_;
    showLineNumbers_ = src->showLineNumbers_;
    leadingZeros_ = src->leadingZeros_;
    zeroStart_ = src->zeroStart_;
    leftOffset_ = src->leftOffset_;
    digitCount_ = src->digitCount_;
    rightOffset_ = src->rightOffset_;
    autoSize_ = src->autoSize_;
    autoSizeDigitCount_ = src->autoSizeDigitCount_;
    lineNumberStart_ = src->lineNumberStart_;
    Changed();
}

int TTeGutter::ShownNumber(int Line) const {
    if (zeroStart_) return Line - 1;
    if (lineNumberStart_ > 1) return Line + lineNumberStart_ - 1;
    return Line;
}

void TTeGutter::AutoSizeDigitCount(int LinesCount) {
    if (visible_ && autoSize_ && showLineNumbers_) {
        int highest = ShownNumber(LinesCount);
        int digits = 1;
        for (int n = highest; n >= 10; n /= 10) ++digits;
        int nDigits = std::max(digitCount_, digits);
        if (nDigits != autoSizeDigitCount_) {
            autoSizeDigitCount_ = nDigits;
            Changed();
        }
    } else {
        autoSizeDigitCount_ = digitCount_;
    }
}

AnsiString TTeGutter::FormatLineNumber(int Line) const {
    AnsiString number = std::to_string(ShownNumber(Line));
    int pad = autoSizeDigitCount_ - static_cast<int>(number.size());
    if (pad <= 0) return number;
    char filler = leadingZeros_ ? '0' : ' ';
    return AnsiString(static_cast<size_t>(pad), filler) + number;
}

int TTeGutter::RealGutterWidth(int CharWidth) const {
    if (!visible_) return 0;
    if (showLineNumbers_) return leftOffset_ + rightOffset_ + autoSizeDigitCount_ * CharWidth + 2;
    return width_;
}

void TTeGutter::SetAutoSize(bool Value) {
    if (autoSize_ == Value) return;
    autoSize_ = Value;
    Changed();
}

void TTeGutter::SetBorderStyle(TTeGutterBorderStyle Value) {
    borderStyle_ = Value;
    Changed();
}

void TTeGutter::SetColor(TColor Value) {
    if (color_ == Value) return;
    color_ = Value;
    Changed();
}

void TTeGutter::SetBorderColor(TColor Value) {
    if (borderColor_ == Value) return;
    borderColor_ = Value;
    Changed();
}

void TTeGutter::SetDigitCount(int Value) {
    Value = std::clamp(Value, 2, 12);
    if (digitCount_ == Value) return;
    autoSizeDigitCount_ = digitCount_ = Value;
    Changed();
}

void TTeGutter::SetLeadingZeros(bool Value) {
    if (leadingZeros_ == Value) return;
    leadingZeros_ = Value;
    Changed();
}

void TTeGutter::SetLeftOffset(int Value) {
    Value = std::max(Value, 0);
    if (leftOffset_ == Value) return;
    leftOffset_ = Value;
    Changed();
}

void TTeGutter::SetRightOffset(int Value) {
    Value = std::max(Value, 0);
    if (rightOffset_ == Value) return;
    rightOffset_ = Value;
    Changed();
}

void TTeGutter::SetShowLineNumbers(bool Value) {
    if (showLineNumbers_ == Value) return;
    showLineNumbers_ = Value;
    Changed();
}

void TTeGutter::SetUseFontStyle(bool Value) {
    if (useFontStyle_ == Value) return;
    useFontStyle_ = Value;
    Changed();
}

void TTeGutter::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    Changed();
}

void TTeGutter::SetWidth(int Value) {
    Value = std::max(Value, 0);
    if (width_ == Value) return;
    width_ = Value;
    Changed();
}

void TTeGutter::SetZeroStart(bool Value) {
    if (zeroStart_ == Value) return;
    zeroStart_ = Value;
    Changed();
}

void TTeGutter::SetLineNumberStart(int Value) {
    Value = std::max(Value, 0);
    if (lineNumberStart_ == Value) return;
    lineNumberStart_ = Value;
    zeroStart_ = Value == 0;
    Changed();
}

void TTeGutter::SetGradient(bool Value) {
    if (gradient_ == Value) return;
    gradient_ = Value;
    Changed();
}

void TTeGutter::SetGradientStartColor(TColor Value) {
    if (gradientStartColor_ == Value) return;
    gradientStartColor_ = Value;
    Changed();
}

void TTeGutter::SetGradientEndColor(TColor Value) {
    if (gradientEndColor_ == Value) return;
    gradientEndColor_ = Value;
    Changed();
}

void TTeGutter::SetGradientSteps(int Value) {
    Value = std::max(Value, 2);
    if (gradientSteps_ == Value) return;
    gradientSteps_ = Value;
    Changed();
}

// ---------------------------------------------------------------------------
// Bookmark options

TESK_PUBLISHED(TTeBookMarkOpt) {
    Property("BookmarkImages", &T::BookmarkImages, &T::SetBookmarkImages);
    Property("DrawBookmarksFirst", &T::DrawBookmarksFirst, &T::SetDrawBookmarksFirst).Default(true);
    Property("EnableKeys", &T::EnableKeys, &T::SetEnableKeys).Default(true);
    Property("GlyphsVisible", &T::GlyphsVisible, &T::SetGlyphsVisible).Default(true);
    Property("LeftMargin", &T::LeftMargin, &T::SetLeftMargin).Default(2);
    Property("Xoffset", &T::Xoffset, &T::SetXoffset).Default(12);
}

TTeBookMarkOpt::TTeBookMarkOpt(TComponent* AOwner) : owner_(AOwner) {}

void TTeBookMarkOpt::Changed() {
    if (OnChange) OnChange(this);
}

void TTeBookMarkOpt::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TTeBookMarkOpt*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    bookmarkImages_ = src->bookmarkImages_;
    drawBookmarksFirst_ = src->drawBookmarksFirst_;
    enableKeys_ = src->enableKeys_;
    glyphsVisible_ = src->glyphsVisible_;
    leftMargin_ = src->leftMargin_;
    xOffset_ = src->xOffset_;
    Changed();
}

void TTeBookMarkOpt::SetBookmarkImages(TCustomImageList* Value) {
    if (bookmarkImages_ == Value) return;
    bookmarkImages_ = Value;
    if (Value && owner_) Value->FreeNotification(owner_);
    Changed();
}

void TTeBookMarkOpt::SetDrawBookmarksFirst(bool Value) {
    if (drawBookmarksFirst_ == Value) return;
    drawBookmarksFirst_ = Value;
    Changed();
}

void TTeBookMarkOpt::SetGlyphsVisible(bool Value) {
    if (glyphsVisible_ == Value) return;
    glyphsVisible_ = Value;
    Changed();
}

void TTeBookMarkOpt::SetLeftMargin(int Value) {
    if (leftMargin_ == Value) return;
    leftMargin_ = Value;
    Changed();
}

void TTeBookMarkOpt::SetXoffset(int Value) {
    if (xOffset_ == Value) return;
    xOffset_ = Value;
    Changed();
}

// ---------------------------------------------------------------------------
// Glyph

TESK_PUBLISHED(TTeGlyph) {
    Property("Glyph", &T::Glyph, &T::SetGlyph);
    Property("MaskColor", TypeInfoTColor(), &T::MaskColor, &T::SetMaskColor).Default(clNone);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
}

TTeGlyph::TTeGlyph(HINSTANCE AModule, const AnsiString& AName, TColor AMaskColor)
    : internalGlyph_(new TBitmap), glyph_(new TBitmap) {
    if (!AName.empty()) {
        internalGlyph_->LoadFromResourceName(AModule, AName);
        internalMaskColor_ = AMaskColor;
    }
    glyph_->OnChange = TNotifyEvent(this, &TTeGlyph::GlyphChange);
}

TTeGlyph::~TTeGlyph() {
    delete glyph_;
    delete internalGlyph_;
}

void TTeGlyph::Changed() {
    if (OnChange) OnChange(this);
}

void TTeGlyph::GlyphChange(TObject*) { Changed(); }

void TTeGlyph::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TTeGlyph*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    visible_ = src->visible_;
    maskColor_ = src->maskColor_;
    internalMaskColor_ = src->internalMaskColor_;
    internalGlyph_->Assign(src->internalGlyph_);
    TNotifyEvent keep = glyph_->OnChange;
    glyph_->OnChange = nullptr;
    glyph_->Assign(src->glyph_);
    glyph_->OnChange = keep;
    Changed();
}

void TTeGlyph::Draw(TCanvas* ACanvas, int X, int Y, int ALineHeight) {
    TBitmap* pic;
    TColor mask;
    if (!glyph_->Empty()) {
        pic = glyph_;
        mask = maskColor_;
    } else if (!internalGlyph_->Empty()) {
        pic = internalGlyph_;
        mask = internalMaskColor_;
    } else {
        return;
    }
    TRect src(0, 0, pic->Width(), pic->Height());
    if (ALineHeight < pic->Height()) {
        src.Top = (pic->Height() - ALineHeight) / 2;
        src.Bottom = src.Top + ALineHeight;
    } else {
        Y += (ALineHeight - pic->Height()) / 2;
    }
    TRect dst(X, Y, X + src.Width(), Y + src.Height());
    ACanvas->BrushCopy(dst, pic, src, mask);
}

int TTeGlyph::Width() const {
    if (!glyph_->Empty()) return glyph_->Width();
    if (!internalGlyph_->Empty()) return internalGlyph_->Width();
    return 0;
}

int TTeGlyph::Height() const {
    if (!glyph_->Empty()) return glyph_->Height();
    if (!internalGlyph_->Empty()) return internalGlyph_->Height();
    return 0;
}

void TTeGlyph::SetMaskColor(TColor Value) {
    if (maskColor_ == Value) return;
    maskColor_ = Value;
    Changed();
}

void TTeGlyph::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    Changed();
}

// ---------------------------------------------------------------------------
// Method chains

void TTeMethodChain::Add(const TNotifyEvent& AEvent) {
    if (!AEvent) throw ETeMethodChain(Format("%s.Entry : the parameter `AEvent' must be specified.", {ClassName()}));
    entries_.push_back(AEvent);
}

void TTeMethodChain::Remove(const TNotifyEvent& AEvent) {
    if (!AEvent) throw ETeMethodChain(Format("%s.Remove: the parameter `AEvent' must be specified.", {ClassName()}));
    for (size_t i = entries_.size(); i-- > 0;)
        if (entries_[i] == AEvent) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

bool TTeMethodChain::DoHandleException(Exception& E) {
    if (!ExceptionHandler) throw;
    bool doContinue = true;
    ExceptionHandler(this, E, doContinue);
    return doContinue;
}

void TTeMethodChain::Fire() {
    // A handler may remove entries: walk a copy.
    std::vector<TNotifyEvent> entries = entries_;
    for (const TNotifyEvent& e : entries) {
        try {
            DoFire(e);
        } catch (Exception& ex) {
            if (!DoHandleException(ex)) return;
        }
    }
}

// ---------------------------------------------------------------------------
// Shared picture strips

namespace {
struct TSharedPicture {
    int RefCount = 0;
    TBitmap* Picture = nullptr;
};
std::map<AnsiString, TSharedPicture>& SharedPictures() {
    static std::map<AnsiString, TSharedPicture> pictures;
    return pictures;
}
}  // namespace

TTeInternalImage::TTeInternalImage(HINSTANCE AModule, const AnsiString& Name, int Count)
    : name_(AnsiUpperCase(Name)), count_(Count) {
    TSharedPicture& shared = SharedPictures()[name_];
    if (!shared.Picture) {
        auto* pic = new TBitmap;
        try {
            pic->LoadFromResourceName(AModule, Name);
        } catch (...) {
            delete pic;
            SharedPictures().erase(name_);
            throw;
        }
        shared.Picture = pic;
    }
    ++shared.RefCount;
    images_ = shared.Picture;
    width_ = (images_->Width() + Count / 2) / Count;
    height_ = images_->Height();
}

TTeInternalImage::~TTeInternalImage() {
    auto it = SharedPictures().find(name_);
    if (it == SharedPictures().end()) return;
    if (--it->second.RefCount <= 0) {
        delete it->second.Picture;
        SharedPictures().erase(it);
    }
}

int TTeInternalImage::SharedReferences(const AnsiString& Name) {
    auto it = SharedPictures().find(AnsiUpperCase(Name));
    return it == SharedPictures().end() ? 0 : it->second.RefCount;
}

void TTeInternalImage::Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight) {
    if (Number < 0 || Number >= count_) return;
    TRect src(Number * width_, 0, (Number + 1) * width_, height_);
    if (LineHeight < height_) {
        src.Top = (height_ - LineHeight) / 2;
        src.Bottom = src.Top + LineHeight;
    } else {
        Y += (LineHeight - height_) / 2;
    }
    TRect dst(X, Y, X + src.Width(), Y + src.Height());
    ACanvas->CopyRect(dst, images_->Canvas(), src);
}

TESK_PUBLISHED(TTeEditSearchCustom) {}
