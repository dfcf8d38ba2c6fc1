// The record conventions and value rules that the Availity reports share.

#include "library/clearinghouse/AvailityRecords.h"
#include "library/clearinghouse/ClaimReport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(AvailityRecordFields, TypeAndFieldsAreTakenOffTheLineInTurn)
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

TEST(AvailityRecordFields, UnknownTypesAndLinesWithoutBarsHaveNoType)
{
    std::string_view noBar = "1 2024-03-07";
    EXPECT_EQ(ReadRecordType(noBar, {"1"}), "");
    std::string_view unknown = "9|x";
    EXPECT_EQ(ReadRecordType(unknown, {"1", "2"}), "");
}

TEST(AvailityValues, ClaimDatesAreReformattedOnlyInTheirTwoForms)
{
    EXPECT_EQ(ReformatAvailityDate("20240307"), "03/07/2024");
    EXPECT_EQ(ReformatAvailityDate("2024-03-07"), "03/07/2024");
    EXPECT_EQ(ReformatAvailityDate("2024.03.07"), "03/07/2024");
    EXPECT_EQ(ReformatAvailityDate("3/7/2024"), "3/7/2024");
    EXPECT_EQ(ReformatAvailityDate("2024-0307"), "2024-0307");
    EXPECT_EQ(ReformatAvailityDate("2024030"), "2024030");
    EXPECT_EQ(ReformatAvailityDate("20240-307"), "20240-307");
}

TEST(AvailityValues, AmountsGetTwoDecimalsOnlyWhenTheyAreWhole)
{
    EXPECT_EQ(FormatAvailityAmount("125"), "125.00");
    EXPECT_EQ(FormatAvailityAmount(" 125.5 "), "125.5");
    EXPECT_EQ(FormatAvailityAmount("  "), "NA");
    EXPECT_EQ(FormatAvailityAmount("12A"), "12A");
}

TEST(AvailityValues, StatusCodeListsSplitAtEverySeparatorAndNaAlsoMatchesEmpty)
{
    EXPECT_EQ(StatusCodeList(" r, a;;w|i "), "|R|A|W|I|");
    EXPECT_TRUE(InStatusCodeList("R", StatusCodeList("r a")));
    EXPECT_FALSE(InStatusCodeList("r", StatusCodeList("r a"))) << "the record's code keeps its case";
    EXPECT_FALSE(InStatusCodeList("", StatusCodeList("r")));
    EXPECT_EQ(StatusCodeList("na"), "|NA||");
    EXPECT_TRUE(InStatusCodeList("", StatusCodeList("na")));
    EXPECT_FALSE(InStatusCodeList("", StatusCodeList(",;")));
}

TEST(AvailityValues, StatusTexts)
{
    EXPECT_EQ(AvailityStatusText("A"), "A (accepted)");
    EXPECT_EQ(AvailityStatusText("R"), "R (rejected)");
    EXPECT_EQ(AvailityStatusText("W"), "W (warning)");
    EXPECT_EQ(AvailityStatusText("I"), "I (informational)");
    EXPECT_EQ(AvailityStatusText("a"), "a");
    EXPECT_EQ(AvailityStatusText("X"), "X");
}

TEST(AvailityValues, DateReceivedNeedsNumbersThatFormADateAndTime)
{
    const std::optional<DateTimeParts> received = ReadAvailityDateTime("2024/02/29 extra", "23:59:58");
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(*received, (DateTimeParts{2024, 2, 29, 23, 59, 58, 0}));
    EXPECT_FALSE(ReadAvailityDateTime("2023-02-29", "00:00:00"));
    EXPECT_FALSE(ReadAvailityDateTime("2024-13-01", "00:00:00"));
    EXPECT_FALSE(ReadAvailityDateTime("2024-03-07", "24:00:00"));
    EXPECT_FALSE(ReadAvailityDateTime("2024-03-0", "12:00:00")) << "a day of one digit is not enough";
    EXPECT_FALSE(ReadAvailityDateTime("2024-03-07", "12:0x:00"));
    EXPECT_FALSE(ReadAvailityDateTime("", ""));
}

TEST(AvailityValues, CountsThatAreNotWholeNumbersCountAsZero)
{
    EXPECT_EQ(ReadCount(" 12 "), 12);
    EXPECT_EQ(ReadCount("1.5"), 0);
    EXPECT_EQ(ReadCount("twelve"), 0);
    EXPECT_EQ(ReadCount("99999999999"), 0);
}

TEST(SelectionOutput, TakesBackWhatWasWrittenAfterAPositionAlsoOnceItReachedTheFile)
{
    test::TempFolder folder;
    SelectionOutput out;
    ASSERT_TRUE(out.create(folder / "selection"));
    ASSERT_TRUE(out.writeLine("kept"));
    const std::uint64_t mark = out.position();
    // More than is held in memory, so that part of it has gone to the file.
    const std::string line(4000, 'x');
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(out.writeLine(line));
    }
    ASSERT_TRUE(out.takeBack(mark));
    ASSERT_TRUE(out.writeLine("after"));
    const std::uint64_t second = out.position();
    ASSERT_TRUE(out.writeLine("dropped"));
    ASSERT_TRUE(out.takeBack(second));
    ASSERT_TRUE(out.close());
    EXPECT_EQ(test::ReadFile(folder / "selection"), "kept\r\nafter\r\n");
}
