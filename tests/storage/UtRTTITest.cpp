// Set text through type information, and the type wrappers.
#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "platform/rtti/Published.h"
#include "storage/StUtils.h"
#include "storage/UtRTTI.h"

namespace {

enum class TLetter { a, b, c, d, e };
enum TShade { shLight, shMedium, shDark };

}  // namespace

TESK_ENUM_INFO(TLetter, a, b, c, d, e)
TESK_ENUM_INFO(TShade, shLight, shMedium, shDark)

namespace {

const TTypeInfo* Letters() {
    static const TTypeInfo* info = MakeSetTypeInfo("TLetters", TypeInfoOf<TLetter>());
    return info;
}
const TTypeInfo* Shades() {
    static const TTypeInfo* info = MakeSetTypeInfo("TShades", TypeInfoOf<TShade>());
    return info;
}
const TTypeInfo* Range() {
    static const TTypeInfo* info = MakeOrdinalTypeInfo("TRange", tkInteger, otUByte, 10, 20);
    return info;
}
const TTypeInfo* Ranges() {
    static const TTypeInfo* info = MakeSetTypeInfo("TRanges", Range());
    return info;
}

// Type information made here lives as long as the program, like the platform's own.
const TTypeInfo* Kept(const TTypeInfo* info) {
    static auto* kept = new std::vector<const TTypeInfo*>;
    kept->push_back(info);
    return info;
}

TSetBits Bits(std::initializer_list<int> bits) {
    TSetBits b{};
    for (int bit : bits) IncludeSetBit(b, bit);
    return b;
}

class Lines : public IUtTypeTextWriter {
public:
    void Write(const AnsiString& S) override { text += S; }
    void Writeln(const AnsiString& S) override { text += S + "\n"; }
    AnsiString text;
};

TEST(UtRTTI, SetToText) {
    struct Case {
        const TTypeInfo* type;
        TSetBits value;
        bool brackets, ranges;
        const char* text;
    };
    const Case cases[] = {
        {Letters(), Bits({1, 2, 3}), true, false, "[b, c, d]"},
        {Letters(), Bits({1, 2, 3}), true, true, "[b .. d]"},
        {Letters(), Bits({0, 2, 3, 4}), false, true, "a, c .. e"},
        {Letters(), Bits({0, 2}), true, true, "[a, c]"},
        {Letters(), Bits({}), true, false, "[]"},
        {Letters(), Bits({}), false, false, ""},
        {Ranges(), Bits({2, 7, 12}), true, false, "[10, 15, 20]"},  // bit v - 8
        {Ranges(), Bits({2, 3, 4}), true, true, "[10 .. 12]"},
        {Ranges(), Bits({0, 1, 13}), true, false, "[]"},  // bits outside 10..20 are not elements
    };
    for (const Case& c : cases) EXPECT_EQ(UtSetToStr(c.type, c.value, c.brackets, c.ranges), c.text) << c.text;

    // The list form adds its lines to what the list holds and joins only those.
    TStringList lines;
    lines.Add("before");
    EXPECT_EQ(UtSetToStr(Letters(), Bits({4}), false, false, &lines), "e");
    EXPECT_EQ(lines.Count(), 2);
}

TEST(UtRTTI, TextToSet) {
    struct Case {
        const TTypeInfo* type;
        const char* text;
        TSetBits value;
    };
    const Case cases[] = {
        {Letters(), "[b, c, d]", Bits({1, 2, 3})},
        {Letters(), "b..d", Bits({1, 2, 3})},
        {Letters(), "[ b .. d ]", Bits({1, 2, 3})},
        {Letters(), "[ B , e ]", Bits({1, 4})},
        {Letters(), "[]", Bits({})},
        {Letters(), "", Bits({})},
        {Letters(), "[a, , c]", Bits({0, 2})},
        {Letters(), "[d..b]", Bits({})},
        {Ranges(), "[10, 15, 20]", Bits({2, 7, 12})},
        {Ranges(), "12..14", Bits({4, 5, 6})},
        {Ranges(), "[$B]", Bits({3})},
    };
    for (const Case& c : cases) {
        TSetBits value = Bits({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
        UtStrToSet(c.type, value, c.text);
        TSetBits want = c.value;
        // Only the set's own bytes are cleared: two for 10..20, one for the letters.
        const int span = c.type == Ranges() ? 2 : 1;
        for (int i = span * 8; i < 16; ++i) IncludeSetBit(want, i);
        EXPECT_EQ(value, want) << c.text;
    }
}

TEST(UtRTTI, BadSetTextChangesNothing) {
    struct Case {
        const TTypeInfo* type;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {Letters(), "[b, x]", "Unknown identifier 'x'."},
        {Letters(), "[x..b]", "Unknown identifier 'x'."},
        {Shades(), "[shLight, shDark", "Unknown identifier 'shDar'."},  // the missing ']' still costs a character
        {Ranges(), "[10, 21]", "Value out of range (ordinal=21)."},
        {Ranges(), "[9..12]", "Value out of range (ordinal=9)."},
        {Ranges(), "[300]", "Value out of range (ordinal=300)."},
    };
    for (const Case& c : cases) {
        TSetBits value = Bits({3});
        try {
            UtStrToSet(c.type, value, c.text);
            ADD_FAILURE() << c.text;
        } catch (const EUtRTTIError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(value, Bits({3})) << c.text;
    }
    TSetBits value{};
    EXPECT_THROW(UtStrToSet(Ranges(), value, "[ten]"), EConvertError);
    EXPECT_THROW(UtStrToSet(TypeInfoOf<TLetter>(), value, "[a]"), EUtRTTIError);  // not a set type
}

TEST(UtRTTI, EverySubsetRoundTrips) {
    for (int mask = 0; mask < 32; ++mask) {
        TSetBits value{};
        for (int i = 0; i < 5; ++i)
            if (mask & (1 << i)) IncludeSetBit(value, i);
        for (bool ranges : {false, true}) {
            TSetBits back{};
            UtStrToSet(Letters(), back, UtSetToStr(Letters(), value, true, ranges));
            EXPECT_EQ(back, value) << mask << " " << ranges;
            back = TSetBits{};
            UtStrToSet(Letters(), back, UtSetToStr(Letters(), value, false, ranges));
            EXPECT_EQ(back, value) << mask << " " << ranges;
        }
    }
    // A set of characters is written as numbers.
    const TTypeInfo* chars = Kept(MakeSetTypeInfo("TChars", TypeInfoOf<char>()));
    TSetBits value = Bits({'A', 'B', 'C', 255});
    EXPECT_EQ(UtSetToStr(chars, value, true, true), "[65 .. 67, 255]");
    TSetBits back{};
    UtStrToSet(chars, back, "[65 .. 67, 255]");
    EXPECT_EQ(back, value);
}

TEST(UtRTTI, Wrappers) {
    struct Case {
        const TTypeInfo* type;
        const char* wrapper;
    };
    const Case cases[] = {
        {TypeInfoOf<int32_t>(), "TUtOrdinalRangeTypeInfo"}, {TypeInfoOf<char>(), "TUtOrdinalRangeTypeInfo"},
        {TypeInfoOf<TLetter>(), "TUtEnumerationTypeInfo"},  {Letters(), "TUtSetTypeInfo"},
        {TypeInfoOf<double>(), "TUtFloatTypeInfo"},         {TypeInfoShortString(), "TUtStringTypeInfo"},
        {TypeInfoOf<AnsiString>(), "TUtTypeInfo"},          {TStComponent::StaticClassInfo()->TypeInfo(), "TUtClassTypeInfo"},
        {TypeInfoOf<TNotifyEvent>(), "TUtEventTypeInfo"},   {TypeInfoOf<long long>(), "TUtInt64TypeInfo"},
    };
    for (const Case& c : cases) EXPECT_STREQ(UtTypeInfo(c.type)->ClassName(), c.wrapper) << c.type->Name;

    auto cardinal = std::dynamic_pointer_cast<TUtOrdinalRangeTypeInfo>(UtTypeInfo(TypeInfoOf<uint32_t>()));
    EXPECT_EQ(cardinal->MinValue(), 0);
    EXPECT_EQ(cardinal->MaxValue(), 4294967295LL);  // zero-extended
    auto integer = std::dynamic_pointer_cast<TUtOrdinalRangeTypeInfo>(UtTypeInfo(TypeInfoOf<int32_t>()));
    EXPECT_EQ(integer->MinValue(), INT32_MIN);

    auto shade = std::dynamic_pointer_cast<TUtEnumerationTypeInfo>(UtTypeInfo(TypeInfoOf<TShade>()));
    EXPECT_EQ(shade->Names(2), "shDark");
    EXPECT_EQ(shade->ValueOf("SHMEDIUM"), 1);
    EXPECT_EQ(shade->ValueOf("nothing"), -1);
    const uint8_t inRange = 1, outOfRange = 7;
    EXPECT_EQ(shade->ValueName(&inRange), "shMedium");
    EXPECT_EQ(shade->ValueName(&outOfRange), "Value out of range (ordinal=7).");
    EXPECT_EQ(shade->UnitName(), "UtRTTITest");

    auto component = std::dynamic_pointer_cast<TUtClassTypeInfo>(UtTypeInfo(TStComponent::StaticClassInfo()->TypeInfo()));
    EXPECT_EQ(component->OwnPropCount(), 1);
    EXPECT_EQ(component->PropCount(), 3);  // Name and Tag come first
    const IUtPropInfo about = component->Properties(2);
    EXPECT_EQ(about->Name(), "AboutStk");
    EXPECT_EQ(about->StoredType(), akConstant);
    EXPECT_FALSE(about->StoredConstant());
    EXPECT_EQ(about->ReaderType(), akStaticMethod);
    EXPECT_NE(about->ReaderValue(), nullptr);
    EXPECT_THROW(component->Properties(3), EListError);
}

TEST(UtRTTI, Declarations) {
    struct Case {
        const TTypeInfo* type;
        const char* text;  // a regular expression over the whole declaration
    };
    const Case cases[] = {
        {TypeInfoOf<TLetter>(), "TLetter = \\(a, b, c, d, e\\); // otUByte\n"},
        {Kept(MakeEnumSubrangeTypeInfo("TMiddle", TypeInfoOf<TLetter>(), 1, 3)), "TMiddle = b \\.\\. d; // otUByte\n"},
        {Letters(), "TLetters = set of TLetter; // otUByte\n"},
        {Range(), "TRange = 10\\.\\.20; // otUByte\n"},
        {TypeInfoOf<char>(), "Char = #0\\.\\.#255; // otUByte\n"},
        {Kept(MakeOrdinalTypeInfo("TCaps", tkChar, otUByte, 'A', 'Z')), "TCaps = 'A'\\.\\.'Z'; // otUByte\n"},
        {TypeInfoOf<double>(), "Double = type Double;\n"},
        {TypeInfoShortString(), "ShortString = string\\[255\\];\n"},
        {TypeInfoOf<long long>(), "Int64 = -9223372036854775808 \\.\\. 9223372036854775807;\n"},
        {TypeInfoOf<AnsiString>(), "// Declaration for 'string' not supported\\.\n"},
        {Kept(MakeMethodTypeInfo("TSome", typeid(void), mkFunction,
                                 {{pfConst, "Sender", "TObject"}, {pfVar, "Items", "TVarRec"}, {pfArray, "A", "TVarRec"}},
                                 "Boolean")),
         "TSome = function\\(const Sender: TObject; var Items: TVarRec; A: array of const\\): Boolean of object;\n"},
        {TStComponent::StaticClassInfo()->TypeInfo(),
         "TStComponent = class\\(TComponent\\) // unit StUtils\npublished\n"
         "  property AboutStk: TStkAboutInfo read \\[static method \\$[0-9A-F]+\\] "
         "write \\[static method \\$[0-9A-F]+\\] stored = False;\nend;\n"},
    };
    for (const Case& c : cases) {
        Lines out;
        UtTypeInfo(c.type)->DeclareTo(out);
        EXPECT_TRUE(std::regex_match(out.text, std::regex(c.text))) << out.text;
    }
}

TEST(UtRTTI, Descriptions) {
    Lines out;
    UtTypeInfo(Letters())->DescribeTo(out);
    EXPECT_TRUE(std::regex_match(out.text, std::regex("Name: TLetters\nType kind: tkSet\nType info: [0-9A-F]+\n"
                                                      "Ordinal type: otUByte\nBased on: TLetter\n")))
        << out.text;
    Lines e;
    UtTypeInfo(TypeInfoOf<TShade>())->DescribeTo(e);
    EXPECT_NE(e.text.find("Min value: 0\nMax value: 2\nNames: (shLight, shMedium, shDark)\nUnit name: UtRTTITest\n"),
              AnsiString::npos)
        << e.text;
    Lines c;
    UtTypeInfo(TStComponent::StaticClassInfo()->TypeInfo())->DescribeTo(c);
    EXPECT_NE(c.text.find("Class name: TStComponent\nParent: TComponent\nUnit name: StUtils\nProperty count: 1 (3)\n"),
              AnsiString::npos)
        << c.text;
    EXPECT_NE(c.text.find("  AboutStk: TStkAboutInfo\n"), AnsiString::npos);
    EXPECT_NE(c.text.find("[stored=False]"), AnsiString::npos);
    EXPECT_NE(c.text.find("[default 0]"), AnsiString::npos);  // Tag
}

TEST(UtRTTI, GeneratedTypeInformation) {
    auto* element = new TTypeInfo(*TypeInfoOf<TLetter>());
    element->Data.BaseType = element;
    auto* set = new TTypeInfo(*Letters());
    set->Data.CompType = element;
    UtAddGeneratedTypeInfo(element);
    UtAddGeneratedTypeInfo(set);
    UtAddRefGeneratedTypeInfo(set);
    EXPECT_EQ(UtGeneratedTypeInfoRefCount(set), 2);
    EXPECT_EQ(UtGeneratedTypeInfoRefCount(Letters()), 0);
    UtReleaseGeneratedTypeInfo(set);
    EXPECT_EQ(UtGeneratedTypeInfoRefCount(set), 1);
    UtReleaseGeneratedTypeInfo(set);  // frees the set and releases its element type
    EXPECT_EQ(UtGeneratedTypeInfoRefCount(set), 0);
    EXPECT_EQ(UtGeneratedTypeInfoRefCount(element), 0);
}

}  // namespace
