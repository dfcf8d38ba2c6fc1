#include "library/frame/Formatting.h"

#include <algorithm>
#include <cstdio>

namespace talmere {

namespace {

template <typename... Args>
std::string Format(const char* pattern, Args... args)
{
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    if (n <= 0) {
        return {};
    }
    return std::string(buffer, std::min(static_cast<std::size_t>(n), sizeof buffer - 1));
}

} // namespace

std::string FormatSortDate(const DateTimeParts& t)
{
    return Format("%04d%02d%02d", t.year, t.month, t.day);
}

std::string FormatSortTime(const DateTimeParts& t)
{
    return Format("%02d%02d", t.hour, t.minute);
}

std::string FormatDisplayDate(const DateTimeParts& t)
{
    return Format("%02d/%02d/%04d", t.month, t.day, t.year);
}

std::string FormatDisplayTime(const DateTimeParts& t)
{
    return Format("%02d:%02d", t.hour, t.minute);
}

std::string FormatLongTime(const DateTimeParts& t)
{
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

} // namespace talmere
