#pragma once

// Lists of values joined by "|", as handler parameters carry them.

#include <span>
#include <string>
#include <string_view>

namespace talmere {

// True when "|" value "|" occurs in the joined text (exact, case-sensitive).
bool FieldListContains(std::string_view value, std::string_view joined);
// True when a non-empty value occurs between bars in "|" followed by each list and "|"; a list may itself
// hold several values joined by "|", and empty lists do no harm.
bool ValueInList(std::string_view value, std::span<const std::string_view> lists);

} // namespace talmere
