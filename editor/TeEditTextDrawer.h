#pragma once
// Text in fixed character cells: every character advances exactly one cell,
// whatever the font's own widths, so positions are column x cell width. Fonts
// come from a process-wide cache of style variants (bold, italic, underline,
// strike-out) per base font, shared by every drawer and reference counted, so
// two editors with one font make each font handle once.
#include <cstdint>
#include <vector>

#include "platform/gui/Gdi.h"
#include "platform/gui/Graphics.h"

TESK_DECLARE_EXCEPTION(ETeTextDrawerException, Exception);
TESK_DECLARE_EXCEPTION(ETeFontStockException, Exception);

// The style index of a font variant: bit 0 bold, 1 italic, 2 underline, 3 strike-out.
int FontStyleIndex(TFontStyles Style);

struct TTeFontData {
    HFONT Handle = nullptr;
    int CharAdv = 0;
    int DBCharAdv = 0;
    int CharHeight = 0;
};

// One base font shared by every font stock that uses it.
struct TTeSharedFontsInfo {
    int RefCount = 0;
    int LockCount = 0;
    TFont* BaseFont = nullptr;
    LOGFONT BaseLF;
    bool IsDBCSFont = false;
    bool IsTrueType = false;
    TTeFontData FontsData[16];
};

class TTeFontsInfoManager : public TObject {
public:
    ~TTeFontsInfoManager() override;
    const char* ClassName() const override { return "TTeFontsInfoManager"; }

    // The record of a base font (made on first request); one more reference.
    TTeSharedFontsInfo* GetFontsInfo(TFont* ABaseFont);
    // One reference less; the last one frees the record.
    void ReleaseFontsInfo(TTeSharedFontsInfo* pFontsInfo);
    // While locked the style handles live; the last unlock deletes them.
    void LockFontsInfo(TTeSharedFontsInfo* pFontsInfo);
    void UnLockFontsInfo(TTeSharedFontsInfo* pFontsInfo);
    int Count() const { return static_cast<int>(list_.size()); }

private:
    static LOGFONT KeyOf(TFont* Font);
    TTeSharedFontsInfo* CreateFontsInfo(TFont* ABaseFont, const LOGFONT& LF);
    std::vector<TTeSharedFontsInfo*> list_;
};

// The process-wide cache, made on first call.
TTeFontsInfoManager* GetFontsInfoManager();

class TTeFontStock : public TObject {
public:
    explicit TTeFontStock(TFont* InitialFont);
    ~TTeFontStock() override;
    const char* ClassName() const override { return "TTeFontStock"; }

    virtual void SetBaseFont(TFont* Value);
    virtual void SetStyle(TFontStyles Value);
    TFontStyles Style() const { return style_; }
    virtual int GetCharAdvance() const;
    virtual int GetCharHeight() const;
    virtual int GetDBCharAdvance() const;
    virtual TTeFontData* GetFontData(int Idx);
    HFONT FontHandle() const { return handle_; }
    TTeSharedFontsInfo* FontsInfo() const { return pCrntFontsInfo_; }
    // Lets the cache delete the style handles once nobody else holds them.
    virtual void ReleaseFontHandles();

protected:
    virtual HDC InternalGetDC();
    virtual void InternalReleaseDC(HDC Value);
    virtual HFONT InternalCreateFont(TFontStyles Style);
    virtual int CalcFontAdvance(HDC DC, int* pCharHeight, int* pDBCharAdvance);

private:
    void UseFontHandles();
    void ReleaseFontsInfo();

    HDC dc_ = nullptr;
    int dcRefCount_ = 0;
    TTeSharedFontsInfo* pCrntFontsInfo_ = nullptr;
    bool usingFontHandles_ = false;
    HFONT handle_ = nullptr;
    TTeFontData* pCrntStyle_ = nullptr;
    TFontStyles style_;
    LOGFONT baseLF_;
};

class TTeTextDrawer : public TObject {
public:
    // CalcExtentBaseStyle is the style whose cell size all styles share.
    TTeTextDrawer(TFontStyles CalcExtentBaseStyle, TFont* BaseFont);
    ~TTeTextDrawer() override;
    const char* ClassName() const override { return "TTeTextDrawer"; }

    virtual int GetCharWidth() const { return baseCharWidth_ + charExtra_; }
    virtual int GetCharHeight() const { return baseCharHeight_; }
    virtual void BeginDrawing(HDC DC);
    virtual void EndDrawing();
    virtual void TextOut(int X, int Y, const char* Text, int Length);
    virtual void ExtTextOut(int X, int Y, UINT fuOptions, const TRect& ARect, const char* Text, int Length);
    virtual void SetBaseFont(TFont* Value);
    virtual void SetBaseStyle(TFontStyles Value);
    virtual void SetStyle(TFontStyles Value);
    virtual void SetForeColor(TColor Value);
    virtual void SetBackColor(TColor Value);
    virtual void SetCharExtra(int Value);
    virtual void ReleaseTemporaryResources();

    TFontStyles BaseStyle() const { return calcExtentBaseStyle_; }
    TColor ForeColor() const { return color_; }
    TColor BackColor() const { return bkColor_; }
    int CharExtra() const { return charExtra_; }
    HDC DC() const { return dc_; }
    TTeFontStock* FontStock() const { return fontStock_; }
    // The advance array: its length and the advance of every cell.
    int ETODistLength() const { return static_cast<int>(etoDist_.size()); }
    const std::vector<int>& ETODist() const { return etoDist_; }

protected:
    virtual void ReleaseETODist() { etoDist_.clear(); }
    virtual void AfterStyleSet();
    virtual void DoSetCharExtra(int Value);

private:
    void MeasureCell();

    HDC dc_ = nullptr;
    int saveDC_ = 0;
    TTeFontStock* fontStock_;
    TFontStyles calcExtentBaseStyle_;
    int baseCharWidth_ = 0;
    int baseCharHeight_ = 0;
    HFONT crntFont_ = nullptr;
    std::vector<int> etoDist_;
    TColor color_ = clWindowText;
    TColor bkColor_ = clWindow;
    int charExtra_ = 0;
    int drawingCount_ = 0;
};
