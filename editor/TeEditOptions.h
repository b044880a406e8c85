#pragma once
// The editor's groups of settings, each a persistent sub-object that stores a
// value only when it changes and then fires its own OnChange (the editor hooks
// them all to repaint or re-lay itself out): selection colours, the gutter,
// how marks are shown, and the word-wrap glyph. Beside them the multicast
// notify chain, the process-wide strips of small pictures, and the abstract
// search engine.
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/rtti/TypInfo.h"

TESK_DECLARE_EXCEPTION(ETeMethodChain, Exception);

class TTeSelectedColor : public TPersistent {
    TESK_CLASS(TTeSelectedColor, TPersistent)
public:
    TTeSelectedColor() = default;
    void Assign(TPersistent* Source) override;
    TColor Background() const { return bg_; }
    void SetBackground(TColor Value);
    TColor Foreground() const { return fg_; }
    void SetForeground(TColor Value);
    TNotifyEvent OnChange;

private:
    void Changed();
    TColor bg_ = clHighlight;
    TColor fg_ = clHighlightText;
};

enum TTeGutterBorderStyle { gbsNone, gbsMiddle, gbsRight };
TESK_ENUM_INFO(TTeGutterBorderStyle, gbsNone, gbsMiddle, gbsRight)

class TTeGutter : public TPersistent {
    TESK_CLASS(TTeGutter, TPersistent)
public:
    TTeGutter();
    ~TTeGutter() override;
    void Assign(TPersistent* Source) override;

    // Widens the automatic digit count to the highest number LinesCount shows.
    void AutoSizeDigitCount(int LinesCount);
    // The number shown for a line, right-aligned in the automatic digit count.
    AnsiString FormatLineNumber(int Line) const;
    // Pixels the gutter takes with cells CharWidth wide; 0 when hidden.
    int RealGutterWidth(int CharWidth) const;

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    TTeGutterBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TTeGutterBorderStyle Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value) { cursor_ = Value; }
    int DigitCount() const { return digitCount_; }
    void SetDigitCount(int Value);
    int AutoDigitCount() const { return autoSizeDigitCount_; }
    TFont* Font() const { return font_; }
    void SetFont(TFont* Value) { font_->Assign(Value); }
    bool LeadingZeros() const { return leadingZeros_; }
    void SetLeadingZeros(bool Value);
    int LeftOffset() const { return leftOffset_; }
    void SetLeftOffset(int Value);
    int RightOffset() const { return rightOffset_; }
    void SetRightOffset(int Value);
    bool ShowLineNumbers() const { return showLineNumbers_; }
    void SetShowLineNumbers(bool Value);
    bool UseFontStyle() const { return useFontStyle_; }
    void SetUseFontStyle(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    bool ZeroStart() const { return zeroStart_; }
    void SetZeroStart(bool Value);
    int LineNumberStart() const { return lineNumberStart_; }
    void SetLineNumberStart(int Value);
    bool Gradient() const { return gradient_; }
    void SetGradient(bool Value);
    TColor GradientStartColor() const { return gradientStartColor_; }
    void SetGradientStartColor(TColor Value);
    TColor GradientEndColor() const { return gradientEndColor_; }
    void SetGradientEndColor(TColor Value);
    int GradientSteps() const { return gradientSteps_; }
    void SetGradientSteps(int Value);
    TNotifyEvent OnChange;

private:
    void Changed();
    void FontChanged(TObject* Sender);
    int ShownNumber(int Line) const;

    TFont* font_;
    TColor color_ = clBtnFace;
    TColor borderColor_ = clWindow;
    int width_ = 30;
    bool showLineNumbers_ = false;
    int digitCount_ = 4;
    bool leadingZeros_ = false;
    bool zeroStart_ = false;
    int leftOffset_ = 16;
    int rightOffset_ = 2;
    bool visible_ = true;
    bool useFontStyle_ = true;
    bool autoSize_ = false;
    int autoSizeDigitCount_ = 4;
    TTeGutterBorderStyle borderStyle_ = gbsMiddle;
    int lineNumberStart_ = 1;
    TCursor cursor_ = crDefault;
    bool gradient_ = false;
    TColor gradientStartColor_ = clWindow;
    TColor gradientEndColor_ = clBtnFace;
    int gradientSteps_ = 48;
};

class TTeBookMarkOpt : public TPersistent {
    TESK_CLASS(TTeBookMarkOpt, TPersistent)
public:
    // Owner is told (free notification) when the image list goes.
    explicit TTeBookMarkOpt(TComponent* AOwner);
    void Assign(TPersistent* Source) override;

    TCustomImageList* BookmarkImages() const { return bookmarkImages_; }
    void SetBookmarkImages(TCustomImageList* Value);
    bool DrawBookmarksFirst() const { return drawBookmarksFirst_; }
    void SetDrawBookmarksFirst(bool Value);
    bool EnableKeys() const { return enableKeys_; }
    void SetEnableKeys(bool Value) { enableKeys_ = Value; }
    bool GlyphsVisible() const { return glyphsVisible_; }
    void SetGlyphsVisible(bool Value);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int Value);
    int Xoffset() const { return xOffset_; }
    void SetXoffset(int Value);
    TNotifyEvent OnChange;

protected:
    TPersistent* GetOwner() override { return owner_; }

private:
    void Changed();
    TComponent* owner_;
    TCustomImageList* bookmarkImages_ = nullptr;
    bool drawBookmarksFirst_ = true;
    bool enableKeys_ = true;
    bool glyphsVisible_ = true;
    int leftMargin_ = 2;
    int xOffset_ = 12;
};

// A small picture drawn in the gutter: the user's Glyph when set, else the
// built-in picture, see-through where it has its mask colour.
class TTeGlyph : public TPersistent {
    TESK_CLASS(TTeGlyph, TPersistent)
public:
    TTeGlyph() : TTeGlyph(nullptr, "", clNone) {}
    TTeGlyph(HINSTANCE AModule, const AnsiString& AName, TColor AMaskColor);
    ~TTeGlyph() override;
    void Assign(TPersistent* Source) override;

    // Drawn at (X, Y) in a row LineHeight high: a taller picture is cut to its middle rows.
    void Draw(TCanvas* ACanvas, int X, int Y, int ALineHeight);
    int Width() const;
    int Height() const;
    TBitmap* Glyph() const { return glyph_; }
    void SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }
    TColor MaskColor() const { return maskColor_; }
    void SetMaskColor(TColor Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    TNotifyEvent OnChange;

private:
    void GlyphChange(TObject* Sender);
    void Changed();
    bool visible_ = true;
    TBitmap* internalGlyph_;
    TBitmap* glyph_;
    TColor internalMaskColor_ = clNone;
    TColor maskColor_ = clNone;
};

// Handlers called in the order they were added. When one raises, the
// exception handler decides whether the rest run; without one it passes on.
using TTeExceptionEvent = Delegate<void(TObject* Sender, Exception& E, bool& DoContinue)>;

class TTeMethodChain : public TObject {
public:
    const char* ClassName() const override { return "TTeMethodChain"; }
    void Add(const TNotifyEvent& AEvent);
    // Removes every entry of the method.
    void Remove(const TNotifyEvent& AEvent);
    void Fire();
    int Count() const { return static_cast<int>(entries_.size()); }
    TTeExceptionEvent ExceptionHandler;

protected:
    virtual void DoFire(const TNotifyEvent& AEvent) = 0;
    virtual bool DoHandleException(Exception& E);

private:
    std::vector<TNotifyEvent> entries_;
};

class TTeNotifyEventChain : public TTeMethodChain {
public:
    explicit TTeNotifyEventChain(TObject* ASender) : sender_(ASender) {}
    const char* ClassName() const override { return "TTeNotifyEventChain"; }
    TObject* Sender() const { return sender_; }
    void SetSender(TObject* Value) { sender_ = Value; }

protected:
    void DoFire(const TNotifyEvent& AEvent) override { AEvent(sender_); }

private:
    TObject* sender_;
};

// A strip of Count equally wide pictures from a named picture, shared by every
// user of that name in the process.
class TTeInternalImage : public TObject {
public:
    TTeInternalImage(HINSTANCE AModule, const AnsiString& Name, int Count);
    ~TTeInternalImage() override;
    const char* ClassName() const override { return "TTeInternalImage"; }
    // Cell Number copied opaque to (X, Y), fitted to a row LineHeight high.
    void Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return count_; }
    TBitmap* Images() const { return images_; }
    // How many users share the picture of a name (tests).
    static int SharedReferences(const AnsiString& Name);

private:
    TBitmap* images_;
    AnsiString name_;
    int width_;
    int height_;
    int count_;
};

// The search engines plug in here; none is built.
class TTeEditSearchCustom : public TComponent {
    TESK_CLASS(TTeEditSearchCustom, TComponent)
public:
    using TComponent::TComponent;
    virtual AnsiString GetPattern() = 0;
    virtual void SetPattern(const AnsiString& Value) = 0;
    virtual int GetLength(int aIndex) = 0;
    virtual int GetResult(int aIndex) = 0;
    virtual int GetResultCount() = 0;
    virtual int FindAll(const AnsiString& NewText) = 0;
    virtual AnsiString Replace(const AnsiString& aOccurrence, const AnsiString& aReplacement) = 0;
};
