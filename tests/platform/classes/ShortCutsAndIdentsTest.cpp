#include <gtest/gtest.h>

#include "platform/classes/IntegerIdents.h"
#include "platform/classes/ShortCuts.h"
#include "platform/rtl/Exceptions.h"

TEST(ShortCuts, TextAndCodesBothWays) {
    struct Case {
        uint16_t key;
        TShiftState shift;
        TShortCut code;
        const char* text;
    };
    const Case cases[] = {
        {'C', ssCtrl, 0x4043, "Ctrl+C"},
        {VK_INSERT, ssShift, 0x202D, "Shift+Ins"},
        {VK_BACK, ssAlt, 0x8008, "Alt+BkSp"},
        {VK_DELETE, ssAlt, 32814, "Alt+Del"},
        {VK_DOWN, ssAlt, 32808, "Alt+Down"},
        {VK_F1, 0, 0x70, "F1"},
        {VK_F2, 0, 113, "F2"},
        {VK_F24, ssShift | ssCtrl | ssAlt, 0xE087, "Shift+Ctrl+Alt+F24"},
        {VK_DELETE, 0, 46, "Del"},
        {VK_RETURN, ssCtrl, 0x400D, "Ctrl+Enter"},
        {VK_ESCAPE, 0, 27, "Esc"},
        {VK_PRIOR, ssShift, 0x2021, "Shift+PgUp"},
        {VK_ADD, ssCtrl, 0x406B, "Ctrl+Num +"},
        {'7', ssCtrl | ssShift, 0x6037, "Shift+Ctrl+7"},
        {VK_OEM_7, ssCtrl, 0x40DE, "Ctrl+'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShortCut(c.key, c.shift), c.code) << c.text;
        EXPECT_EQ(ShortCutToText(c.code), c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.code) << c.text;
        uint16_t key;
        TShiftState shift;
        ShortCutToKey(c.code, key, shift);
        EXPECT_EQ(key, c.key) << c.text;
        EXPECT_EQ(shift, c.shift) << c.text;
    }
    // Mouse and double-click bits do not belong in a shortcut.
    EXPECT_EQ(ShortCut('A', ssCtrl | ssLeft | ssDouble), scCtrl | 'A');
    EXPECT_EQ(ShortCut(0x100, 0), 0);
    EXPECT_EQ(ShortCutToText(0x07), "");  // a key without a name
    EXPECT_EQ(TextToShortCut("ctrl+c"), scCtrl | 'C');
    EXPECT_EQ(TextToShortCut("^X"), scCtrl | 'X');
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
    EXPECT_EQ(ShortCutToText(VK_NUMPAD5), "5");  // the number pad reads like the digit row
}

TEST(IntegerIdents, ColoursCursorsAndCharsets) {
    struct Case {
        bool (*toIdent)(int, AnsiString&);
        bool (*toInt)(const AnsiString&, int&);
        int value;
        const char* name;
    };
    const Case cases[] = {
        {ColorToIdent, IdentToColor, 0x000000, "clBlack"},
        {ColorToIdent, IdentToColor, 0xC0C0C0, "clSilver"},
        {ColorToIdent, IdentToColor, static_cast<int>(0x8000000F), "clBtnFace"},
        {ColorToIdent, IdentToColor, static_cast<int>(0x80000005), "clWindow"},
        {ColorToIdent, IdentToColor, static_cast<int>(0x80000018), "clInfoBk"},
        {ColorToIdent, IdentToColor, 0x1FFFFFFF, "clNone"},
        {ColorToIdent, IdentToColor, 0x20000000, "clDefault"},
        {CursorToIdent, IdentToCursor, 0, "crDefault"},
        {CursorToIdent, IdentToCursor, -4, "crIBeam"},
        {CursorToIdent, IdentToCursor, -12, "crDrag"},
        {CursorToIdent, IdentToCursor, -16, "crMultiDrag"},
        {CursorToIdent, IdentToCursor, -22, "crSizeAll"},
        {CursorToIdent, IdentToCursor, -1, "crNone"},
        {CharsetToIdent, IdentToCharset, 1, "DEFAULT_CHARSET"},
        {CharsetToIdent, IdentToCharset, 204, "RUSSIAN_CHARSET"},
        {CharsetToIdent, IdentToCharset, 255, "OEM_CHARSET"},
    };
    for (const auto& c : cases) {
        AnsiString name;
        EXPECT_TRUE(c.toIdent(c.value, name)) << c.name;
        EXPECT_EQ(name, c.name);
        int value = 12345;
        EXPECT_TRUE(c.toInt(AnsiUpperCase(c.name), value)) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    int value;
    EXPECT_TRUE(IdentToColor("clLtGray", value));  // an alias reads but writes as clSilver
    EXPECT_EQ(value, clSilver);
    EXPECT_TRUE(IdentToCursor("crSize", value));
    EXPECT_EQ(value, crSizeAll);
    AnsiString name;
    EXPECT_FALSE(ColorToIdent(0x123456, name));
    EXPECT_FALSE(CharsetToIdent(3, name));
    EXPECT_FALSE(IdentToCursor("crUnknown", value));

    EXPECT_EQ(ColorToString(0x00FF8040), "$00FF8040");
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(StringToColor("clBtnFace"), clBtnFace);
    EXPECT_EQ(StringToColor("$00FF8040"), 0x00FF8040);
    EXPECT_EQ(StringToColor("$80000005"), clWindow);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("reddish"), EConvertError);
}

TEST(IntegerIdents, RegistryIsKeyedByTypeAndTheLatestWins) {
    static const char colourType = 0, integerType = 0;  // stand-ins for type information
    EXPECT_EQ(FindIntToIdent(&colourType), nullptr);
    RegisterIntegerConsts(&colourType, IdentToColor, ColorToIdent);
    EXPECT_EQ(FindIntToIdent(&colourType), &ColorToIdent);
    EXPECT_EQ(FindIdentToInt(&colourType), &IdentToColor);
    EXPECT_EQ(FindIntToIdent(&integerType), nullptr);  // same C++ type, other type information

    RegisterIntegerConsts(&colourType, IdentToCursor, CursorToIdent);
    EXPECT_EQ(FindIntToIdent(&colourType), &CursorToIdent);
}
