#include "platform/classes/IntegerIdents.h"

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace {

struct Registration {
    const void* type;
    TIdentToInt identToInt;
    TIntToIdent intToIdent;
};

std::mutex registryMutex;
std::vector<Registration>& Registrations() {
    static std::vector<Registration> list;
    return list;
}

const Registration* Find(const void* type) {
    auto& list = Registrations();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->type == type) return &*it;
    return nullptr;
}

const TIdentMapEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
    // Other names of the same values: read, never written.
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
};

const TIdentMapEntry kCursors[] = {
    {crDefault, "crDefault"},
    {crArrow, "crArrow"},
    {crCross, "crCross"},
    {crIBeam, "crIBeam"},
    {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"},
    {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"},
    {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"},
    {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},
    {crNo, "crNo"},
    {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
    {crNone, "crNone"},
    {crSize, "crSize"},
};

const TIdentMapEntry kCharsets[] = {
    {0, "ANSI_CHARSET"},
    {1, "DEFAULT_CHARSET"},
    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},
    {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},
    {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},
    {162, "TURKISH_CHARSET"},
    {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},
    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

}  // namespace

void RegisterIntegerConsts(const void* IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent) {
    std::lock_guard<std::mutex> lock(registryMutex);
    Registrations().push_back({IntegerType, IdentToInt, IntToIdent});
}

TIdentToInt FindIdentToInt(const void* IntegerType) {
    std::lock_guard<std::mutex> lock(registryMutex);
    const Registration* r = Find(IntegerType);
    return r ? r->identToInt : nullptr;
}

TIntToIdent FindIntToIdent(const void* IntegerType) {
    std::lock_guard<std::mutex> lock(registryMutex);
    const Registration* r = Find(IntegerType);
    return r ? r->intToIdent : nullptr;
}

bool IdentToInt(const AnsiString& Ident, int& Int, const TIdentMapEntry* Map, size_t Count) {
    for (size_t i = 0; i < Count; ++i) {
        if (SameText(Ident, Map[i].Name)) {
            Int = Map[i].Value;
            return true;
        }
    }
    return false;
}

bool IntToIdent(int Int, AnsiString& Ident, const TIdentMapEntry* Map, size_t Count) {
    for (size_t i = 0; i < Count; ++i) {
        if (Map[i].Value == Int) {
            Ident = Map[i].Name;
            return true;
        }
    }
    return false;
}

bool ColorToIdent(int Color, AnsiString& Ident) { return IntToIdent(Color, Ident, kColors, std::size(kColors)); }

bool IdentToColor(const AnsiString& Ident, int& Color) { return IdentToInt(Ident, Color, kColors, std::size(kColors)); }

AnsiString ColorToString(TColor Color) {
    AnsiString result;
    if (ColorToIdent(Color, result)) return result;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%.8X", static_cast<unsigned>(static_cast<uint32_t>(Color)));
    return buffer;
}

TColor StringToColor(const AnsiString& S) {
    int color;
    if (IdentToColor(S, color)) return color;
    // "$80000005" and other 32-bit patterns above the int range are colours too.
    int64_t value = 0;
    if (!TryStrToInt64(S, value) || value < INT32_MIN || value > static_cast<int64_t>(UINT32_MAX))
        throw EConvertError("'" + S + "' is not a valid integer value");
    return static_cast<TColor>(static_cast<uint32_t>(value));
}

bool CursorToIdent(int Cursor, AnsiString& Ident) { return IntToIdent(Cursor, Ident, kCursors, std::size(kCursors)); }

bool IdentToCursor(const AnsiString& Ident, int& Cursor) {
    return IdentToInt(Ident, Cursor, kCursors, std::size(kCursors));
}

bool CharsetToIdent(int Charset, AnsiString& Ident) {
    return IntToIdent(Charset, Ident, kCharsets, std::size(kCharsets));
}

bool IdentToCharset(const AnsiString& Ident, int& Charset) {
    return IdentToInt(Ident, Charset, kCharsets, std::size(kCharsets));
}
