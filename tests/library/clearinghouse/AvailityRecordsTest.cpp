// The value rules that the Availity reports share.

#include "library/clearinghouse/AvailityRecords.h"

#include <gtest/gtest.h>

using namespace talmere;

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
