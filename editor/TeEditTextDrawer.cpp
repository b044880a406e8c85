#include "editor/TeEditTextDrawer.h"

#include <cassert>
#include <cstring>
#include <cstdlib>

#include "platform/gui/WinApi.h"

int FontStyleIndex(TFontStyles Style) { return Style.Bits & 0xF; }

// ---------------------------------------------------------------------------
// Font cache

namespace {
TTeFontsInfoManager* gFontsInfoManager = nullptr;

// Frees the cache at the program's end, as the unit finalisation would.
struct TFontsInfoManagerFinalizer {
    ~TFontsInfoManagerFinalizer() {
        delete gFontsInfoManager;
    }
} gFontsInfoManagerFinalizer;
}  // namespace

TTeFontsInfoManager* GetFontsInfoManager() {
    if (!gFontsInfoManager) gFontsInfoManager = new TTeFontsInfoManager;
    return gFontsInfoManager;
}

TTeFontsInfoManager::~TTeFontsInfoManager() {
    if (gFontsInfoManager == this) gFontsInfoManager = nullptr;
    while (!list_.empty()) {
        TTeSharedFontsInfo* p = list_.back();
        list_.pop_back();
        for (TTeFontData& d : p->FontsData)
            if (d.Handle) DeleteObject(d.Handle);
        delete p->BaseFont;
        delete p;
    }
}

// The record key: styles other than the weight cleared, the face name's tail zeroed,
// so that equal fonts compare equal byte for byte.
LOGFONT TTeFontsInfoManager::KeyOf(TFont* Font) {
    LOGFONT lf;
    GetObject(Font->Handle(), sizeof(lf), &lf);
    lf.lfItalic = 0;
    lf.lfUnderline = 0;
    lf.lfStrikeOut = 0;
    size_t n = strnlen(lf.lfFaceName, LF_FACESIZE);
    if (n < LF_FACESIZE) memset(lf.lfFaceName + n, 0, LF_FACESIZE - n);
    return lf;
}

TTeSharedFontsInfo* TTeFontsInfoManager::CreateFontsInfo(TFont* ABaseFont, const LOGFONT& LF) {
    auto* p = new TTeSharedFontsInfo;
    p->BaseFont = new TFont;
    p->BaseFont->Assign(ABaseFont);
    p->BaseLF = LF;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, p->BaseFont->Handle());
    p->IsDBCSFont = (GetFontLanguageInfo(dc) & GCP_DBCS) != 0;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    p->IsTrueType = (LF.lfPitchAndFamily & TMPF_TRUETYPE) != 0;
    return p;
}

TTeSharedFontsInfo* TTeFontsInfoManager::GetFontsInfo(TFont* ABaseFont) {
    assert(ABaseFont);
    LOGFONT key = KeyOf(ABaseFont);
    TTeSharedFontsInfo* found = nullptr;
    for (TTeSharedFontsInfo* p : list_) {
        if (memcmp(&p->BaseLF, &key, sizeof(LOGFONT)) == 0) {
            found = p;
            break;
        }
    }
    if (!found) {
        found = CreateFontsInfo(ABaseFont, key);
        list_.push_back(found);
    }
    ++found->RefCount;
    return found;
}

void TTeFontsInfoManager::ReleaseFontsInfo(TTeSharedFontsInfo* pFontsInfo) {
    assert(pFontsInfo);
    assert(pFontsInfo->LockCount < pFontsInfo->RefCount && "Call DeactivateFontsInfo before calling this.");
    if (pFontsInfo->RefCount > 1) {
        --pFontsInfo->RefCount;
        return;
    }
    for (auto it = list_.begin(); it != list_.end(); ++it) {
        if (*it == pFontsInfo) {
            list_.erase(it);
            break;
        }
    }
    delete pFontsInfo->BaseFont;
    delete pFontsInfo;
}

void TTeFontsInfoManager::LockFontsInfo(TTeSharedFontsInfo* pFontsInfo) { ++pFontsInfo->LockCount; }

void TTeFontsInfoManager::UnLockFontsInfo(TTeSharedFontsInfo* pFontsInfo) {
    --pFontsInfo->LockCount;
    if (pFontsInfo->LockCount > 0) return;
    for (TTeFontData& d : pFontsInfo->FontsData) {
        if (d.Handle) {
            DeleteObject(d.Handle);
            d.Handle = nullptr;
        }
    }
}

// ---------------------------------------------------------------------------
// Font stock

TTeFontStock::TTeFontStock(TFont* InitialFont) { SetBaseFont(InitialFont); }

TTeFontStock::~TTeFontStock() {
    assert(dcRefCount_ == 0);
    ReleaseFontsInfo();
}

void TTeFontStock::ReleaseFontsInfo() {
    if (!pCrntFontsInfo_) return;
    if (usingFontHandles_) {
        GetFontsInfoManager()->UnLockFontsInfo(pCrntFontsInfo_);
        usingFontHandles_ = false;
    }
    GetFontsInfoManager()->ReleaseFontsInfo(pCrntFontsInfo_);
    pCrntFontsInfo_ = nullptr;
    pCrntStyle_ = nullptr;
    handle_ = nullptr;
}

void TTeFontStock::SetBaseFont(TFont* Value) {
    if (!Value) throw ETeFontStockException("SetBaseFont: 'Value' must be specified.");
    TTeSharedFontsInfo* p = GetFontsInfoManager()->GetFontsInfo(Value);
    if (p == pCrntFontsInfo_) {
        GetFontsInfoManager()->ReleaseFontsInfo(p);
        return;
    }
    ReleaseFontsInfo();
    pCrntFontsInfo_ = p;
    baseLF_ = p->BaseLF;
    SetStyle(Value->Style());
}

void TTeFontStock::UseFontHandles() {
    if (usingFontHandles_) return;
    usingFontHandles_ = true;
    GetFontsInfoManager()->LockFontsInfo(pCrntFontsInfo_);
}

void TTeFontStock::SetStyle(TFontStyles Value) {
    int idx = FontStyleIndex(Value);
    assert(idx <= 15);
    UseFontHandles();
    TTeFontData* p = &pCrntFontsInfo_->FontsData[idx];
    if (p == pCrntStyle_) return;
    pCrntStyle_ = p;
    style_ = Value;
    if (p->Handle) {
        handle_ = p->Handle;
        return;
    }
    handle_ = InternalCreateFont(Value);
    HDC dc = InternalGetDC();
    HGDIOBJ old = SelectObject(dc, handle_);
    p->Handle = handle_;
    p->CharAdv = CalcFontAdvance(dc, &p->CharHeight, pCrntFontsInfo_->IsDBCSFont ? &p->DBCharAdv : nullptr);
    if (!pCrntFontsInfo_->IsDBCSFont) p->DBCharAdv = INT32_MAX;
    SelectObject(dc, old);
    InternalReleaseDC(dc);
}

HFONT TTeFontStock::InternalCreateFont(TFontStyles Style) {
    LOGFONT lf = baseLF_;
    lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Style.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = Style.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = Style.Contains(fsStrikeOut) ? 1 : 0;
    return CreateFontIndirect(&lf);
}

int TTeFontStock::CalcFontAdvance(HDC DC, int* pCharHeight, int* pDBCharAdvance) {
    TEXTMETRIC tm;
    GetTextMetrics(DC, &tm);
    ABC abc;
    bool hasABC = GetCharABCWidths(DC, 77, 77, &abc);
    int overhang = tm.tmOverhang;
    if (!hasABC) {
        abc.abcA = 0;
        abc.abcB = static_cast<unsigned>(tm.tmAveCharWidth);
        abc.abcC = 0;
        overhang = 0;
    }
    int advance = abc.abcA + static_cast<int>(abc.abcB) + abc.abcC + overhang;
    if (pCharHeight) *pCharHeight = std::abs(tm.tmHeight);
    if (pDBCharAdvance) {
        *pDBCharAdvance = INT32_MAX;
        // Only a Shift-JIS double-byte font measures its wide cells; none of our code pages is one.
        if (pCrntFontsInfo_->IsDBCSFont && tm.tmCharSet == 128) {
            ABC w1, w2;
            if (GetCharABCWidths(DC, 0x8201, 0x8201, &w1) && GetCharABCWidths(DC, 0x82A0, 0x82A0, &w2)) {
                int a1 = w1.abcA + static_cast<int>(w1.abcB) + w1.abcC;
                int a2 = w2.abcA + static_cast<int>(w2.abcB) + w2.abcC;
                if (a1 == a2 && a1 * 2 > advance * 3) *pDBCharAdvance = a1;
            }
        }
    }
    return advance;
}

int TTeFontStock::GetCharAdvance() const { return pCrntStyle_ ? pCrntStyle_->CharAdv : 0; }
int TTeFontStock::GetCharHeight() const { return pCrntStyle_ ? pCrntStyle_->CharHeight : 0; }
int TTeFontStock::GetDBCharAdvance() const { return pCrntStyle_ ? pCrntStyle_->DBCharAdv : 0; }
TTeFontData* TTeFontStock::GetFontData(int Idx) { return &pCrntFontsInfo_->FontsData[Idx]; }

HDC TTeFontStock::InternalGetDC() {
    if (dcRefCount_ == 0) dc_ = GetDC(nullptr);
    ++dcRefCount_;
    return dc_;
}

void TTeFontStock::InternalReleaseDC(HDC) {
    if (--dcRefCount_ <= 0) {
        ReleaseDC(nullptr, dc_);
        dc_ = nullptr;
        dcRefCount_ = 0;
    }
}

void TTeFontStock::ReleaseFontHandles() {
    if (!usingFontHandles_) return;
    usingFontHandles_ = false;
    GetFontsInfoManager()->UnLockFontsInfo(pCrntFontsInfo_);
    // The handle of the current slot may be gone now: make it again on next use.
    pCrntStyle_ = nullptr;
    handle_ = nullptr;
}

// ---------------------------------------------------------------------------
// Text drawer

TTeTextDrawer::TTeTextDrawer(TFontStyles CalcExtentBaseStyle, TFont* BaseFont)
    : fontStock_(new TTeFontStock(BaseFont)), calcExtentBaseStyle_(CalcExtentBaseStyle) {
    SetBaseFont(BaseFont);
}

TTeTextDrawer::~TTeTextDrawer() { delete fontStock_; }

void TTeTextDrawer::MeasureCell() {
    fontStock_->SetStyle(calcExtentBaseStyle_);
    baseCharWidth_ = fontStock_->GetCharAdvance();
    baseCharHeight_ = fontStock_->GetCharHeight();
}

void TTeTextDrawer::SetBaseFont(TFont* Value) {
    if (!Value) throw ETeTextDrawerException("SetBaseFont: 'Value' must be specified.");
    ReleaseETODist();
    fontStock_->SetBaseFont(Value);
    MeasureCell();
    SetStyle(Value->Style());
}

void TTeTextDrawer::SetBaseStyle(TFontStyles Value) {
    if (Value == calcExtentBaseStyle_) return;
    calcExtentBaseStyle_ = Value;
    ReleaseETODist();
    TFontStyles keep = fontStock_->Style();
    MeasureCell();
    SetStyle(keep);
}

void TTeTextDrawer::SetStyle(TFontStyles Value) {
    fontStock_->SetStyle(Value);
    AfterStyleSet();
}

void TTeTextDrawer::AfterStyleSet() {
    crntFont_ = fontStock_->FontHandle();
    if (dc_) SelectObject(dc_, crntFont_);
}

void TTeTextDrawer::BeginDrawing(HDC DC) {
    if (dc_) {
        assert(DC == dc_);
    } else {
        assert(DC);
        dc_ = DC;
        saveDC_ = SaveDC(DC);
        // The handles may have been released between paints.
        SetStyle(fontStock_->Style());
        SelectObject(DC, crntFont_);
        ::SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(color_)));
        ::SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(bkColor_)));
        DoSetCharExtra(charExtra_);
    }
    ++drawingCount_;
}

void TTeTextDrawer::EndDrawing() {
    assert(drawingCount_ >= 1);
    if (--drawingCount_ <= 0) {
        if (dc_) RestoreDC(dc_, saveDC_);
        saveDC_ = 0;
        dc_ = nullptr;
        drawingCount_ = 0;
    }
}

void TTeTextDrawer::SetForeColor(TColor Value) {
    if (color_ == Value) return;
    color_ = Value;
    if (dc_) ::SetTextColor(dc_, static_cast<COLORREF>(ColorToRGB(Value)));
}

void TTeTextDrawer::SetBackColor(TColor Value) {
    if (bkColor_ == Value) return;
    bkColor_ = Value;
    if (dc_) ::SetBkColor(dc_, static_cast<COLORREF>(ColorToRGB(Value)));
}

void TTeTextDrawer::SetCharExtra(int Value) {
    if (charExtra_ == Value) return;
    charExtra_ = Value;
    DoSetCharExtra(Value);
}

void TTeTextDrawer::DoSetCharExtra(int Value) {
    if (dc_) SetTextCharacterExtra(dc_, Value);
}

void TTeTextDrawer::TextOut(int X, int Y, const char* Text, int Length) { ::TextOut(dc_, X, Y, Text, Length); }

void TTeTextDrawer::ExtTextOut(int X, int Y, UINT fuOptions, const TRect& ARect, const char* Text, int Length) {
    if (Length > static_cast<int>(etoDist_.size())) {
        size_t old = etoDist_.size();
        etoDist_.resize(static_cast<size_t>((Length & ~63) + 64));
        for (size_t i = old; i < etoDist_.size(); ++i) etoDist_[i] = GetCharWidth();
    }
    ::ExtTextOut(dc_, X, Y, fuOptions, &ARect, Text, static_cast<UINT>(Length), etoDist_.data());
}

void TTeTextDrawer::ReleaseTemporaryResources() { fontStock_->ReleaseFontHandles(); }
