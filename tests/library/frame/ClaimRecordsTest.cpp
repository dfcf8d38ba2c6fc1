// Reading claim files: record types and fields taken off a line in turn.

#include "library/frame/ClaimRecords.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(ClaimRecordFields, TypeAndFieldsAreTakenOffTheLineInTurn)
{
    std::string_view line = " 3e |  DOE, JANE |20240301| last  ";
    EXPECT_EQ(ReadRecordType(line, {"3", "3E"}), "3E");
    std::string field;
    ASSERT_TRUE(NextRecordField(line, true, field));
    EXPECT_EQ(field, "DOE, JANE ") << "leading blanks go, trailing ones stay";
    ASSERT_TRUE(NextRecordField(line, true, field));
    EXPECT_EQ(field, "20240301");
    // The last field needs no bar after it; later fields read as empty.
    EXPECT_FALSE(NextRecordField(line, true, field));
    ASSERT_TRUE(NextRecordField(line, false, field));
    EXPECT_EQ(field, "last  ");
    ASSERT_TRUE(NextRecordField(line, false, field));
    EXPECT_EQ(field, "");

    std::string_view exact = "  a  |b";
    ASSERT_TRUE(NextExactRecordField(exact, true, field));
    EXPECT_EQ(field, "  a  ");
}

TEST(ClaimRecordFields, UnknownTypesAndLinesWithoutBarsHaveNoType)
{
    std::string_view noBar = "1 2024-03-07";
    EXPECT_EQ(ReadRecordType(noBar, {"1"}), "");
    std::string_view unknown = "9|x";
    EXPECT_EQ(ReadRecordType(unknown, {"1", "2"}), "");
}

TEST(AllowedRecords, HoldTheTypesUpToTheFirstEmptyOneAndMatchOnlyWholeTypes)
{
    AllowedRecords allowed({"1", "2E", "", "3"});
    EXPECT_TRUE(allowed.contains("1"));
    EXPECT_TRUE(allowed.contains("2E"));
    EXPECT_FALSE(allowed.contains("2"));
    EXPECT_FALSE(allowed.contains("E"));
    EXPECT_FALSE(allowed.contains("3")) << "the list ends at the empty type";
    EXPECT_FALSE(allowed.contains(""));
    allowed.allow({"DPR", "CST"});
    EXPECT_TRUE(allowed.contains("CST"));
    EXPECT_FALSE(allowed.contains("1"));
}
