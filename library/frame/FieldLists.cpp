#include "library/frame/FieldLists.h"

namespace talmere {

namespace {

std::string BarJoined(std::span<const std::string_view> values)
{
    std::string joined = "|";
    for (std::string_view value : values) {
        joined += value;
        joined += '|';
    }
    return joined;
}

bool ContainsBarred(std::string_view value, std::string_view joined)
{
    std::string needle;
    needle.reserve(value.size() + 2);
    needle += '|';
    needle += value;
    needle += '|';
    return joined.find(needle) != std::string_view::npos;
}

} // namespace

bool FieldListContains(std::string_view value, std::string_view joined)
{
    return ContainsBarred(value, joined);
}

bool ValueInList(std::string_view value, std::span<const std::string_view> lists)
{
    return !value.empty() && ContainsBarred(value, BarJoined(lists));
}

} // namespace talmere
