#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talmere {

// Case handling is ASCII only: texts are single-byte Windows ANSI, and names, keys and formats that are
// compared or upper-cased are plain ASCII in every file the system reads.
char AsciiUpper(char c);
std::string AsciiUpper(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Negative, zero or positive like strcmp, comparing letters without regard to case.
int CompareNoCase(std::string_view a, std::string_view b);

// Removes leading and trailing blanks and control characters (every byte up to and including the space).
std::string_view TrimBlanks(std::string_view text);

// A whole decimal integer with an optional sign and nothing else (no blanks); nothing when it is not one or
// does not fit in 32 bits.
std::optional<int> ParseInteger(std::string_view text);

// File-name mask matching with the Windows meaning, without regard to case: "*" any run of characters,
// "?" any one character, and a mask ending in ".*" also matches names without a dot ("*.*" matches all).
bool WildcardMatch(std::string_view mask, std::string_view name);

} // namespace talmere
