#include "common/DayDate.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(DayDate, DayNumbersCountFromTheThirtiethOfDecember1899)
{
    EXPECT_EQ(DayNumber(1899, 12, 30), 0);
    EXPECT_EQ(DayNumber(1900, 1, 1), 2);
    EXPECT_EQ(DayNumber(2024, 3, 7), 45358);
    EXPECT_EQ(DayNumber(1899, 12, 29), -1);
    const DateTimeParts back = DateFromDayNumber(45358);
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 3);
    EXPECT_EQ(back.day, 7);
}

TEST(DayDate, TheTimeOfDayIsTheFraction)
{
    DateTimeParts parts{2024, 3, 7, 9, 5, 30, 0};
    const double value = EncodeDateTime(parts);
    EXPECT_DOUBLE_EQ(value, 45358.0 + (9 * 3600 + 5 * 60 + 30) / 86400.0);
    EXPECT_EQ(DecodeDateTime(value), parts);

    // Just before midnight must not round into the next day with hour 24.
    const DateTimeParts late = DecodeDateTime(45358.0 + 86399.9996 / 86400.0);
    EXPECT_EQ(late.day, 8);
    EXPECT_EQ(late.hour, 0);

    // Before 1899 the fraction still counts forward from midnight.
    const DateTimeParts before = DecodeDateTime(-1.25);
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(before.hour, 6);
}

TEST(DayDate, NonsenseValuesDecodeToTheEpochInsteadOfOverflowing)
{
    EXPECT_EQ(DecodeDateTime(1e300), DateTimeParts{});
    EXPECT_EQ(DecodeDateTime(std::numeric_limits<double>::quiet_NaN()), DateTimeParts{});
}

TEST(DayDate, TwoDigitYearsAboveThePivotBelongToTheNineteenHundreds)
{
    EXPECT_EQ(ExpandTwoDigitYear(66, 65), 1966);
    EXPECT_EQ(ExpandTwoDigitYear(65, 65), 2065);
    EXPECT_EQ(ExpandTwoDigitYear(0, 65), 2000);
    EXPECT_EQ(ExpandTwoDigitYear(99, 99), 2099);
}

TEST(DayDate, ValidDatesKnowTheirLeapYears)
{
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(2024, 13, 1));
    EXPECT_FALSE(IsValidDate(2024, 4, 31));
}
