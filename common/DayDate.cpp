#include "common/DayDate.h"

#include <cmath>

namespace talmere {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil-date algorithms).
long DaysFromCivil(long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

const long kEpochOffset = DaysFromCivil(1899, 12, 30);

} // namespace

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

long DayNumber(int year, int month, int day)
{
    return DaysFromCivil(year, month, day) - kEpochOffset;
}

DateTimeParts DateFromDayNumber(long dayNumber)
{
    DateTimeParts parts;
    CivilFromDays(dayNumber + kEpochOffset, parts.year, parts.month, parts.day);
    parts.hour = parts.minute = parts.second = parts.millisecond = 0;
    return parts;
}

double EncodeDateTime(const DateTimeParts& parts)
{
    const double days = static_cast<double>(DayNumber(parts.year, parts.month, parts.day));
    const double time =
        (((parts.hour * 60.0 + parts.minute) * 60.0 + parts.second) * 1000.0 + parts.millisecond) / 86400000.0;
    return days >= 0 ? days + time : days - time;
}

DateTimeParts DecodeDateTime(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) {
        return DateTimeParts{};
    }
    const double whole = std::trunc(value);
    long long ms = std::llround(std::fabs(value - whole) * 86400000.0);
    long dayNumber = static_cast<long>(whole);
    if (ms >= 86400000LL) {
        ms -= 86400000LL;
        dayNumber += value >= 0 ? 1 : -1;
    }
    DateTimeParts parts = DateFromDayNumber(dayNumber);
    parts.millisecond = static_cast<int>(ms % 1000);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.minute = static_cast<int>(ms / 60000 % 60);
    parts.hour = static_cast<int>(ms / 3600000);
    return parts;
}

DateTimeParts FromCalendarTime(const std::tm& tm)
{
    DateTimeParts parts;
    parts.year = tm.tm_year + 1900;
    parts.month = tm.tm_mon + 1;
    parts.day = tm.tm_mday;
    parts.hour = tm.tm_hour;
    parts.minute = tm.tm_min;
    parts.second = tm.tm_sec;
    parts.millisecond = 0;
    return parts;
}

int ExpandTwoDigitYear(int twoDigitYear, int pivotYear)
{
    return twoDigitYear > pivotYear ? 1900 + twoDigitYear : 2000 + twoDigitYear;
}

} // namespace talmere
