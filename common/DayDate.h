#pragma once

// Dates as the system exchanges them: a day count since 30 December 1899 with the time of day as fraction.

#include <ctime>

namespace talmere {

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

bool IsValidDate(int year, int month, int day);
int DaysInMonth(int year, int month);

// Day number of a calendar date (1899-12-30 is 0). The date must be valid.
long DayNumber(int year, int month, int day);
DateTimeParts DateFromDayNumber(long dayNumber);

double EncodeDateTime(const DateTimeParts& parts);
// Negative values keep the time as a positive fraction of the day, as day counts before 1899 do.
DateTimeParts DecodeDateTime(double value);

// The calendar fields of a broken-down time from the C library.
DateTimeParts FromCalendarTime(const std::tm& tm);

// Two-digit years: a year above the pivot is 19yy, otherwise 20yy.
int ExpandTwoDigitYear(int twoDigitYear, int pivotYear);

} // namespace talmere
