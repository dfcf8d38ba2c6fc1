#include "library/clearinghouse/AvailityRecords.h"

#include "common/TextUtil.h"
#include "library/frame/FieldLists.h"
#include "library/frame/ListingDriver.h"

#include <algorithm>

namespace talmere {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

std::string_view TextPart(std::string_view text, std::size_t position, std::size_t length)
{
    if (position - 1 >= text.size()) {
        return {};
    }
    return text.substr(position - 1, length);
}

std::string MonthDayYear(std::string_view year, std::string_view month, std::string_view day)
{
    // Copied into place rather than appended piece by piece: claim dates are reformatted on every claim record.
    std::string result(month.size() + day.size() + year.size() + 2, '/');
    char* out = std::copy(month.begin(), month.end(), result.data()) + 1;
    out = std::copy(day.begin(), day.end(), out) + 1;
    std::copy(year.begin(), year.end(), out);
    return result;
}

bool ReadErrorRecord(std::string_view fields, AvailityErrorRecord& r, std::string& unused)
{
    RecordFieldReader take(fields);
    take(r.initiator, true)(r.type, true)(r.code, true)(r.message, true)(r.loop, true)(r.segment, true)(
        r.element, false)(unused, false)(unused, false)(unused, false)(r.version, false);
    return take.ok();
}

std::string ReformatAvailityDate(std::string_view text)
{
    if (text.size() == 8 && AllDigits(text)) {
        return MonthDayYear(text.substr(0, 4), text.substr(4, 2), text.substr(6, 2));
    }
    if (text.size() == 10 && AllDigits(text.substr(0, 4)) && AllDigits(text.substr(5, 2)) &&
        AllDigits(text.substr(8, 2)) && !IsDigit(text[4]) && !IsDigit(text[7])) {
        return MonthDayYear(text.substr(0, 4), text.substr(5, 2), text.substr(8, 2));
    }
    return std::string(text);
}

std::string FormatAvailityAmount(std::string_view text)
{
    const std::string_view amount = TrimBlanks(text);
    if (amount.empty()) {
        return "NA";
    }
    std::string result(amount);
    if (IsDigit(amount.back()) && amount.find('.') == std::string_view::npos) {
        result += ".00";
    }
    return result;
}

std::string AvailityStatusText(std::string_view code)
{
    if (code == "A") {
        return "A (accepted)";
    }
    if (code == "R") {
        return "R (rejected)";
    }
    if (code == "W") {
        return "W (warning)";
    }
    if (code == "I") {
        return "I (informational)";
    }
    return std::string(code);
}

std::optional<int> ReadDigits(std::string_view text)
{
    if (text.empty() || text.size() > 9 || !AllDigits(text)) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<DateTimeParts> ReadAvailityDateTime(std::string_view date, std::string_view time)
{
    const std::optional<int> year = ReadDigits(TextPart(date, 1, 4));
    const std::optional<int> month = ReadDigits(TextPart(date, 6, 2));
    const std::optional<int> day = ReadDigits(TextPart(date, 9, 2));
    const std::optional<int> hour = ReadDigits(TextPart(time, 1, 2));
    const std::optional<int> minute = ReadDigits(TextPart(time, 4, 2));
    const std::optional<int> second = ReadDigits(TextPart(time, 7, 2));
    if (!year || !month || !day || !hour || !minute || !second || !IsValidDate(*year, *month, *day) || *hour > 23 ||
        *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    return DateTimeParts{*year, *month, *day, *hour, *minute, *second, 0};
}

std::int64_t ReadCount(std::string_view text)
{
    return ParseInteger(TrimBlanks(text)).value_or(0);
}

bool IsShown(std::string_view value)
{
    return !value.empty() && value != "NA";
}

} // namespace talmere
