// Filter texts far larger than anyone types: brackets nested past the bound
// are refused with a clear error, and AND/OR chains of a million terms (what
// an In list of the grid's filter row becomes) are read and evaluated.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/db/DBFilter.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/rtl/Exceptions.h"

namespace {

class FilterSizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ds = std::make_unique<TStMemoryData>(nullptr);
        ds->FieldDefs()->Add("ID", ftInteger);
        ds->Open();
        for (int id = 1; id <= 6; ++id) {
            ds->Append();
            ds->FieldByName("ID")->SetAsInteger(id);
            ds->Post();
        }
    }

    std::string Ids() {
        std::string ids;
        for (ds->First(); !ds->Eof(); ds->Next()) ids += std::to_string(ds->FieldByName("ID")->AsInteger());
        return ids;
    }

    // "ID op v0 glue ID op v1 glue ..." over values 0 .. count-1.
    static std::string Chain(int count, const char* op, const char* glue) {
        std::string text;
        text.reserve(static_cast<size_t>(count) * 18);
        for (int i = 0; i < count; ++i) {
            if (i) text += glue;
            text += "ID";
            text += op;
            text += std::to_string(i);
        }
        return text;
    }

    std::unique_ptr<TStMemoryData> ds;
};

TEST_F(FilterSizeTest, DeepBracketsAreRefusedAndTheOldFilterStays) {
    ds->SetFilter("ID > 4");
    ds->SetFiltered(true);
    for (int depth : {129, 6000, 100000}) {
        SCOPED_TRACE(depth);
        const std::string text = std::string(static_cast<size_t>(depth), '(') + "ID > 1" +
                                 std::string(static_cast<size_t>(depth), ')');
        try {
            ds->SetFilter(text);
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message().rfind("Invalid filter", 0), 0u) << e.Message().substr(0, 200);
            EXPECT_NE(e.Message().find("nested"), AnsiString::npos) << e.Message().substr(0, 200);
            // The message quotes the start of the text, not all of it.
            EXPECT_LT(e.Message().size(), 400u);
        }
        EXPECT_EQ(ds->Filter(), "ID > 4");
        EXPECT_EQ(Ids(), "56");
    }
    // Up to the bound the brackets read as usual, also around alternating AND and OR.
    std::string deep = "ID > 1";
    for (int i = 0; i < 128; ++i) deep = "(ID < 5 " + std::string(i % 2 ? "AND " : "OR ") + deep + ")";
    ds->SetFilter(deep);
    EXPECT_EQ(Ids(), "1234");
    ds->SetFilter(std::string(128, '(') + "ID > 1" + std::string(128, ')'));
    EXPECT_EQ(Ids(), "23456");
}

TEST_F(FilterSizeTest, MillionTermChainsAreEvaluated) {
    struct Case {
        std::string text;
        const char* ids;
    } cases[] = {
        // In(0 .. 999999) as the grid's filter row writes it.
        {"(" + Chain(1000000, " = ", " OR ") + ")", "123456"},
        {Chain(20000, " <> ", " AND ") + " OR ID = 3", "3"},
        {"ID > 4 AND (" + Chain(20000, " = ", " OR ") + ")", "56"},
        {"(" + Chain(20000, " < ", " OR ") + ") AND ID < 3", "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        ds->SetFilter(c.text);
        ds->SetFiltered(true);
        EXPECT_EQ(Ids(), c.ids);
        ds->SetFiltered(false);
    }
}

}  // namespace
