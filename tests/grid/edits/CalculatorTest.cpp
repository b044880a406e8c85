// The calculator's keys as a table of sequences and what the display shows,
// its key buttons, and the popup's closing through its owner.
#include <gtest/gtest.h>

#include <memory>

#include "grid/CalcGx.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"

namespace {

// Runs each character of Keys through the calculator.
void Press(TCalculatorGx* c, const std::string& Keys) {
    for (char k : Keys) c->ProcessKey(k);
}

TEST(Calculator, KeySequencesAndTheirDisplay) {
    std::unique_ptr<TCalculatorGx> calc(new TCalculatorGx(nullptr));
    const std::string bs(1, 8), esc(1, 27), enter(1, 13);
    std::string overflow;  // past the largest number after about twenty products
    for (int i = 0; i < 21; ++i) overflow += "999999999999999*";
    struct {
        std::string Keys;
        const char* Display;
        const char* Equal;  // the equal key's caption afterwards
    } cases[] = {
        {"7+5", "5", "="},
        {"7+5=", "12", "Ok"},
        {"7+5" + enter, "12", "Ok"},
        {"2+3==", "5", "Ok"},           // a second equals computes nothing more
        {"2*3=*4=", "24", "Ok"},        // the result is the next operand
        {"1+2*3=", "9", "Ok"},          // strictly left to right
        {"200+10%", "220", "Ok"},       // ten per cent of 200 added
        {"200-10%", "180", "Ok"},
        {"50*10%", "5", "Ok"},          // under * and / the number is divided by 100
        {"50/50%", "100", "Ok"},
        {"9/0=", "Error", "Ok"},
        {"9/0=123", "Error", "Ok"},     // digits are ignored until C
        {"9/0=C", "0", "Ok"},
        {"9/0=" + esc + "4", "4", "Ok"},
        {"0R", "Error", "Ok"},          // 1/x of zero
        {"4R", "0.25", "Ok"},
        {"9S", "3", "Ok"},
        {"9IS", "Error", "Ok"},         // the root of a negative number
        {"12I", "-12", "Ok"},
        {"123456789012345678", "123456789012345", "Ok"},  // 15 digits at most
        {"12345678901234I6", "-123456789012346", "Ok"},   // one more after the sign
        {"1.5.2", "1.52", "Ok"},        // one separator only
        {",5", "0.5", "Ok"},            // ',' and '.' both type the separator
        {"123" + bs, "12", "Ok"},
        {"5" + bs, "0", "Ok"},
        {"5I" + bs, "0", "Ok"},         // "-5" less one character is 0
        {"007", "7", "Ok"},
        {"12A", "12", "Ok"},            // Cancel changes nothing
        {"1+2C", "0", "Ok"},
        {"1.10000000000000009", "1.1000000000000", "Ok"},  // the separator counts
        {"99999999999999*99999999999999=", "9.9999999999998E27", "Ok"},
        {overflow, "Error", "Ok"},
        {overflow + "+-*/%IRS=5.1" + enter + bs, "Error", "Ok"},  // no key works on, none raises
        {overflow + "C7", "7", "Ok"},
    };
    for (auto& c : cases) {
        calc->SetValue(Null());
        Press(calc.get(), c.Keys);
        EXPECT_EQ(calc->DisplayText(), c.Display) << c.Keys;
        EXPECT_EQ(calc->spEqual->Caption(), c.Equal) << c.Keys;
    }
}

// The wheel adds or takes one; after an overflow it leaves the error shown.
TEST(Calculator, WheelAfterAnOverflowKeepsTheError) {
    std::unique_ptr<TCalculatorGx> calc(new TCalculatorGx(nullptr));
    calc->SetValue(Variant(41.0));
    calc->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(calc->DisplayText(), "42");
    for (int i = 0; i < 21; ++i) Press(calc.get(), "999999999999999*");
    ASSERT_EQ(calc->DisplayText(), "Error");
    for (int delta : {120, -120}) EXPECT_NO_THROW(calc->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0));
    EXPECT_EQ(calc->DisplayText(), "Error");
    EXPECT_TRUE(VarIsNull(calc->Value()));
    calc->SetValue(Variant(1e308 * 10));  // a value from outside that no display holds
    EXPECT_EQ(calc->DisplayText(), "Error");
}

TEST(Calculator, ClipboardCopyPasteAndValue) {
    std::unique_ptr<TCalculatorGx> calc(new TCalculatorGx(nullptr));
    Press(calc.get(), "42");
    calc->ProcessKey(3);  // Ctrl+C
    EXPECT_EQ(Clipboard()->AsText(), "42");
    Clipboard()->SetAsText("  2.5 ");
    calc->ProcessKey(22);  // Ctrl+V
    EXPECT_EQ(calc->DisplayText(), "2.5");
    EXPECT_DOUBLE_EQ(calc->Value().AsDouble(), 2.5);
    Clipboard()->SetAsText("abc");
    EXPECT_THROW(calc->ProcessKey(22), EConvertError);
    calc->SetValue(Variant(1234.5));
    EXPECT_EQ(calc->DisplayText(), "1234.5");
    Press(calc.get(), "/0=");
    EXPECT_TRUE(VarIsNull(calc->Value()));
}

TEST(Calculator, DecimalSeparatorOfTheLocale) {
    const char saved = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = ',';
    std::unique_ptr<TCalculatorGx> calc(new TCalculatorGx(nullptr));
    Press(calc.get(), "1.5*2=");
    EXPECT_EQ(calc->DisplayText(), "3");
    Press(calc.get(), "C1.25");
    EXPECT_EQ(calc->DisplayText(), "1,25");
    EXPECT_DOUBLE_EQ(calc->Value().AsDouble(), 1.25);
    FormatSettings.DecimalSeparator = saved;
}

TEST(Calculator, KeysFromTheDefinitionClickThroughTheirTags) {
    TForm* form = CreateForm<TForm>(nullptr);
    auto* calc = new TCalculatorGx(form);
    calc->SetParent(form);
    form->Show();
    EXPECT_EQ(calc->ClientWidth(), 184);
    EXPECT_EQ(calc->ClientHeight(), 127);
    std::vector<TSpeedButtonGx*> keys;
    for (int i = 0; i < calc->ComponentCount(); ++i)
        if (auto* k = dynamic_cast<TSpeedButtonGx*>(calc->Components(i))) keys.push_back(k);
    ASSERT_EQ(keys.size(), 23u);
    for (TSpeedButtonGx* k : keys) {
        EXPECT_EQ(k->Style(), ebsGlyphGx);
        EXPECT_TRUE(k->Active());
    }
    auto key = [&](const char* caption) -> TSpeedButtonGx* {
        for (TSpeedButtonGx* k : keys)
            if (k->Caption() == caption) return k;
        return nullptr;
    };
    ASSERT_TRUE(key("sqrt"));
    EXPECT_EQ(key("C")->BoundsRect(), Bounds(151, 29, 27, 46));
    for (const char* c : {"7", "+", "5"}) key(c)->Click();
    EXPECT_EQ(calc->spEqual->Caption(), "=");
    calc->spEqual->Click();
    EXPECT_EQ(calc->DisplayText(), "12");
    // Typed keys, the Delete key and the wheel.
    calc->Perform(WM_CHAR, '3', 0);
    EXPECT_EQ(calc->DisplayText(), "3");
    calc->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(calc->DisplayText(), "4");
    calc->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(calc->DisplayText(), "0");
    FreeObject(form);
}

// The owner a popup calculator reports to.
class TCalcOwner : public TComponent, public IPopupOwnerGx {
public:
    TCalcOwner() : TComponent(nullptr) {}
    void CloseUp(bool Accept) override { closes.push_back(Accept); }
    std::vector<bool> closes;
};

TEST(Calculator, PopupClosesThroughItsOwner) {
    TCalcOwner owner;
    auto* popup = new TPopupCalculatorGx(&owner);
    IPopupCalculatorGx* intf = popup;
    intf->SetValue(Variant(6));
    EXPECT_TRUE(intf->IsEqualKeyOk());
    EXPECT_TRUE(intf->GetFlat());
    popup->ProcessKey('*');
    popup->ProcessKey('7');
    EXPECT_FALSE(intf->IsEqualKeyOk());
    popup->ProcessKey('=');  // computes: a calculation was pending
    EXPECT_EQ(popup->DisplayText(), "42");
    EXPECT_TRUE(owner.closes.empty());
    popup->ProcessKey(13);  // "Ok": takes the value
    popup->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    popup->Perform(WM_CLOSEPOPUPGX, 0, 0);
    EXPECT_EQ(owner.closes, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(intf->GetValue().AsDouble(), 42);
    EXPECT_EQ(popup->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 1);
    EXPECT_FALSE(popup->TabStop());
    // The 3-D border is outside the client area, which keeps the calculator's size.
    popup->HandleNeeded();
    EXPECT_EQ(popup->ClientWidth(), 184);
    EXPECT_EQ(popup->ClientHeight(), 127);
}

}  // namespace
