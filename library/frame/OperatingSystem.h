#pragma once

// What the library needs of the operating system beyond the standard library, all in one place.

#include "common/DayDate.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace talmere {

// The library's clock: the current local date and time, unless a test has set it.
DateTimeParts CurrentLocalDateTime();
void SetCurrentLocalDateTimeForTesting(std::optional<DateTimeParts> now);

// A file's last-modification time in local time at the two-second resolution of DOS date and time stamps
// (seconds rounded down to even). Nothing when it cannot be read: the name is a folder, the file vanished,
// or the time lies outside the years 1980 to 2107 that such a stamp can hold.
std::optional<DateTimeParts> FileLocalDateTime(const std::filesystem::path& path);

// The date a listing gives a file: its own time, or the current time when that cannot be read.
DateTimeParts FileDateTimeOrNow(const std::filesystem::path& path);

// A new, empty file in the system's temporary folder whose name is the prefix followed by characters chosen
// at random. The name is claimed atomically, so a file that someone else placed there beforehand is never
// opened; the file is readable by its owner only. An empty path when the folder or the file cannot be made.
std::filesystem::path CreateTemporaryFile(std::string_view prefix);

} // namespace talmere
