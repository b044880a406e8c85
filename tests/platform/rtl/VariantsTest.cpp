#include <gtest/gtest.h>

#include <functional>

#include "platform/rtl/Variants.h"

namespace {

TEST(Variant, TypeCodes) {
    struct Case {
        Variant value;
        TVarType type;
    } cases[] = {
        {Variant(), 0},
        {Null(), 1},
        {Variant(short(1)), 2},
        {Variant(1), 3},
        {Variant(1.5f), 4},
        {Variant(1.5), 5},
        {Variant(Currency::FromScaled(15000)), 6},
        {VarFromDateTime(45000.5), 7},
        {Variant(true), 11},
        {Variant(static_cast<signed char>(-1)), 16},
        {Variant(static_cast<unsigned char>(200)), 17},
        {Variant(static_cast<unsigned short>(60000)), 18},
        {Variant(4000000000u), 19},
        {Variant(int64_t(1) << 40), 20},
        {Variant("text"), 0x100},
        {Variant(AnsiString("text")), 0x100},
        {VarArrayOf({1, "a"}), 0x200C},
        {VarArrayCreate({0, 3}, varInteger), 0x2003},
    };
    for (const Case& c : cases) EXPECT_EQ(VarType(c.value), c.type) << VarTypeAsText(c.type);
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_FALSE(VarIsNull(Variant()));
    EXPECT_TRUE(VarIsEmpty(Unassigned()));
    EXPECT_TRUE(VarIsClear(Variant()));
    EXPECT_FALSE(VarIsEmpty(Variant("")));
}

TEST(Variant, ConversionTable) {
    TDateTime when = EncodeDate(2024, 3, 8) + EncodeTime(13, 5, 0, 0);
    constexpr int kRaises = 0x7FFFFFFF;  // the conversion raises EVariantTypeCastError
    struct Case {
        Variant value;
        const char* text;  // VarToStr and AsString
        double number;     // AsDouble
        int integer;       // AsInteger
        int boolean;       // AsBoolean as 1 or 0
    } cases[] = {
        {Variant(), "", 0, 0, 0},
        {Variant(42), "42", 42, 42, 1},
        {Variant(-7), "-7", -7, -7, 1},
        {Variant(2.5), "2.5", 2.5, 2, 1},  // ties go to the even integer
        {Variant(3.5), "3.5", 3.5, 4, 1},
        {Variant(-2.5), "-2.5", -2.5, -2, 1},
        {Variant(0.1f), "0.1", static_cast<double>(0.1f), 0, 1},
        {Variant(Currency::FromScaled(12345)), "1.2345", 1.2345, 1, 1},
        {Variant(Currency::FromScaled(25000)), "2.5", 2.5, 2, 1},
        {Variant(Currency::FromScaled(-922337203685477580)), "-92233720368547.758", -92233720368547.758, kRaises, 1},
        {Variant(true), "True", -1, -1, 1},
        {Variant(false), "False", 0, 0, 0},
        {Variant("17"), "17", 17, 17, 1},
        {Variant(" 2.75 "), " 2.75 ", 2.75, 3, 1},
        {Variant("$1F"), "$1F", kRaises, 31, kRaises},
        {Variant("true"), "true", kRaises, kRaises, 1},
        {Variant("0"), "0", 0, 0, 0},
        {VarFromDateTime(when), "3/8/2024 1:05:00 PM", when, 45360, 1},
        {VarFromDateTime(EncodeDate(2024, 3, 8)), "3/8/2024", 45359, 45359, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VarToStr(c.value), c.text);
        EXPECT_EQ(c.value.AsString(), c.text);
        if (c.number == kRaises) {
            EXPECT_THROW(c.value.AsDouble(), EVariantTypeCastError);
        } else {
            EXPECT_DOUBLE_EQ(c.value.AsDouble(), c.number);
        }
        if (c.integer == kRaises) {
            EXPECT_THROW(c.value.AsInteger(), EVariantError);
        } else {
            EXPECT_EQ(c.value.AsInteger(), c.integer);
        }
        if (c.boolean == kRaises) {
            EXPECT_THROW(c.value.AsBoolean(), EVariantTypeCastError);
        } else {
            EXPECT_EQ(c.value.AsBoolean(), c.boolean == 1);
        }
    }
}

TEST(Variant, ConversionErrors) {
    EXPECT_EQ(VarToStr(Null()), "");
    EXPECT_EQ(VarToStrDef(Null(), "n/a"), "n/a");
    try {
        Null().AsInteger();
        FAIL() << "no exception";
    } catch (const EVariantError& e) {
        EXPECT_EQ(e.Message(), "Could not convert variant of type (Null) into type (Integer)");
    }
    EXPECT_THROW(Null().AsString(), EVariantTypeCastError);
    EXPECT_THROW(Variant("abc").AsInteger(), EVariantTypeCastError);
    EXPECT_THROW(Variant("abc").AsDateTime(), EVariantTypeCastError);
    EXPECT_THROW(VarArrayOf({1}).AsString(), EVariantTypeCastError);
    try {
        Variant(1e12).AsInteger();
        FAIL() << "no exception";
    } catch (const EVariantOverflowError& e) {
        EXPECT_EQ(e.Message(), "Overflow while converting variant of type (Double) into type (Integer)");
    }
    EXPECT_EQ(Variant(1e12).AsInt64(), 1000000000000);
    EXPECT_THROW(VarAsType(Variant(300), varByte), EVariantOverflowError);
    EXPECT_THROW(VarAsType(Variant(-1), varWord), EVariantOverflowError);
    Variant b = VarAsType(Variant("200"), varByte);
    EXPECT_EQ(VarType(b), varByte);
    EXPECT_EQ(b.AsInteger(), 200);
    EXPECT_EQ(VarType(VarAsType(Variant(5), varString)), varString);
    EXPECT_EQ(VarAsType(Variant("1.25"), varCurrency).AsCurrency().Scaled, 12500);
    EXPECT_DOUBLE_EQ(VarToDateTime(Variant("3/8/2024 12:00")), EncodeDate(2024, 3, 8) + 0.5);
    // Exceptions of the variant kind are run-time exceptions.
    EXPECT_THROW(Null().AsDouble(), Exception);
}

TEST(Variant, ComparisonTable) {
    struct Case {
        Variant a, b;
        TVariantRelationship expected;
    } cases[] = {
        {Null(), Null(), vrEqual},
        {Null(), 0, vrNotEqual},
        {"", Null(), vrNotEqual},
        {Variant(), Variant(), vrEqual},
        {Variant(), 0, vrEqual},
        {Variant(), "", vrEqual},
        {Variant(), -1, vrGreaterThan},
        {1, 2, vrLessThan},
        {2, 1.5, vrGreaterThan},
        {int64_t(9007199254740993), int64_t(9007199254740992), vrGreaterThan},  // beyond double precision
        {Variant(Currency::FromScaled(15000)), 1.5, vrEqual},
        {Variant(Currency::FromScaled(10001)), 1, vrGreaterThan},
        {"abc", "abd", vrLessThan},
        {"abc", "ABC", vrGreaterThan},  // case matters
        {"10", 10, vrEqual},
        {"10", 9, vrGreaterThan},  // a numeric string compares as a number
        {9, "10", vrLessThan},
        {"2.5", 2.5, vrEqual},
        {"abc", 5, vrGreaterThan},  // otherwise as text: "abc" > "5"
        {true, false, vrGreaterThan},
        {true, -1, vrEqual},
        {"True", true, vrEqual},
        {VarFromDateTime(45000), VarFromDateTime(45000.5), vrLessThan},
        {VarFromDateTime(45000), 45000, vrEqual},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VarTypeAsText(VarType(c.a)) + " " + VarToStr(c.a) + " vs " + VarTypeAsText(VarType(c.b)) + " " +
                     VarToStr(c.b));
        EXPECT_EQ(VarCompareValue(c.a, c.b), c.expected);
        EXPECT_EQ(c.a == c.b, c.expected == vrEqual);
        EXPECT_EQ(c.a != c.b, c.expected != vrEqual);
        EXPECT_EQ(c.a < c.b, c.expected == vrLessThan);
        EXPECT_EQ(c.a >= c.b, c.expected == vrGreaterThan || c.expected == vrEqual);
        // The same pair the other way round.
        TVariantRelationship mirrored = c.expected == vrLessThan      ? vrGreaterThan
                                        : c.expected == vrGreaterThan ? vrLessThan
                                                                      : c.expected;
        EXPECT_EQ(VarCompareValue(c.b, c.a), mirrored);
    }
    EXPECT_THROW((void)(VarArrayOf({1}) == VarArrayOf({1})), EVariantInvalidOpError);
}

TEST(Variant, Arithmetic) {
    EXPECT_EQ(VarType(Variant(2) + Variant(3)), varInteger);
    EXPECT_EQ((Variant(2) + Variant(3)).AsInteger(), 5);
    Variant big = Variant(2147483647) + Variant(1);
    EXPECT_EQ(VarType(big), varInt64);
    EXPECT_EQ(big.AsInt64(), 2147483648LL);
    EXPECT_EQ(VarType(Variant(1) + Variant(0.5)), varDouble);
    EXPECT_EQ(VarType(Variant(Currency::FromScaled(10000)) + Variant(2)), varCurrency);
    EXPECT_EQ((Variant("ab") + Variant("cd")).AsString(), "abcd");
    EXPECT_DOUBLE_EQ((Variant("1.5") + Variant(1)).AsDouble(), 2.5);
    EXPECT_TRUE(VarIsNull(Variant(1) + Null()));
    EXPECT_TRUE(VarIsNull(Null() - Variant(1)));
    Variant later = VarFromDateTime(45000) + Variant(1);
    EXPECT_EQ(VarType(later), varDate);
    EXPECT_EQ((Variant(10) - Variant(12)).AsInteger(), -2);
    EXPECT_THROW(Variant("x") - Variant(1), EVariantTypeCastError);
}

TEST(Variant, ValueSemantics) {
    Variant a = VarArrayOf({1, "two", Null()});
    Variant b = a;
    VarArrayPut(b, "changed", {1});
    EXPECT_EQ(a[1].AsString(), "two");
    EXPECT_EQ(b[1].AsString(), "changed");
    Variant moved = std::move(b);
    EXPECT_TRUE(VarIsEmpty(b));  // NOLINT: a moved-from variant is Unassigned
    EXPECT_EQ(moved[1].AsString(), "changed");
    Variant s = "x";
    s = 5;
    EXPECT_EQ(VarType(s), varInteger);
    s = a;
    EXPECT_TRUE(VarIsNull(s[2]));
}

TEST(Variant, Arrays) {
    Variant list = VarArrayOf({10, "b", 2.5});
    EXPECT_TRUE(VarIsArray(list));
    EXPECT_FALSE(VarIsArray(Variant(1)));
    EXPECT_EQ(VarArrayDimCount(list), 1);
    EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
    EXPECT_EQ(VarArrayLowBound(list, 1), 0);
    EXPECT_EQ(VarArrayHighBound(list, 1), 2);
    EXPECT_EQ(VarArrayGet(list, {0}).AsInteger(), 10);
    EXPECT_EQ(VarType(list[1]), varString);
    EXPECT_THROW(list[3], EVariantBadIndexError);
    EXPECT_THROW(list[-1], EVariantBadIndexError);
    EXPECT_THROW(VarArrayGet(list, {0, 0}), EVariantBadIndexError);
    EXPECT_THROW(VarArrayHighBound(list, 2), EVariantBadIndexError);
    EXPECT_THROW(VarArrayLowBound(Variant(1), 1), EVariantError);

    // Two dimensions with their own bounds; typed elements convert on the way in.
    Variant grid = VarArrayCreate({1, 2, -1, 1}, varInteger);
    EXPECT_EQ(VarArrayDimCount(grid), 2);
    EXPECT_EQ(VarArrayLowBound(grid, 2), -1);
    EXPECT_EQ(VarArrayGet(grid, {2, 1}).AsInteger(), 0);
    for (int i = 1; i <= 2; ++i)
        for (int j = -1; j <= 1; ++j) VarArrayPut(grid, Variant(AnsiString(IntToStr(i * 10 + j))), {i, j});
    for (int i = 1; i <= 2; ++i)
        for (int j = -1; j <= 1; ++j) {
            EXPECT_EQ(VarType(VarArrayGet(grid, {i, j})), varInteger);
            EXPECT_EQ(VarArrayGet(grid, {i, j}).AsInteger(), i * 10 + j);
        }
    EXPECT_THROW(VarArrayPut(grid, "x", {1, 0}), EVariantTypeCastError);

    // Redim grows or shrinks the last dimension and keeps what remains.
    VarArrayRedim(grid, 2);
    EXPECT_EQ(VarArrayHighBound(grid, 2), 2);
    EXPECT_EQ(VarArrayGet(grid, {2, 1}).AsInteger(), 21);
    EXPECT_EQ(VarArrayGet(grid, {2, 2}).AsInteger(), 0);
    VarArrayRedim(grid, -1);
    EXPECT_EQ(VarArrayGet(grid, {1, -1}).AsInteger(), 9);
    EXPECT_THROW(VarArrayGet(grid, {1, 0}), EVariantBadIndexError);

    Variant strings = VarArrayCreate({0, 1}, varString);
    EXPECT_EQ(strings[0].AsString(), "");
    Variant empty = VarArrayOf({});
    EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
    EXPECT_THROW(VarArrayCreate({0}, varInteger), EVariantError);
    EXPECT_THROW(VarArrayCreate({3, 1}, varInteger), EVariantError);
}

}  // namespace
