#pragma once

#include "common/DayDate.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace talmere::platform {

// The current local date and time, to the millisecond.
DateTimeParts LocalNow();

// The local date and time of a moment given in seconds since 1 January 1970 UTC; nothing when it cannot be
// told.
std::optional<DateTimeParts> LocalDateTimeOf(std::int64_t secondsSinceEpoch);

// The folder of the running executable, ending in the separator; empty when it cannot be told.
std::string ExecutableFolder();

// Whether a graphical display is there to show windows on (an X11 or Wayland session).
bool HasDisplay();

// A number that tells the users of this machine apart, for names that must be private to one user.
unsigned long CurrentUserId();

// Creates a new empty file with a unique name beginning with prefix in the system's temporary folder
// ($TMPDIR, else /tmp), atomically, so that no other user can plant it first. Raises std::system_error.
std::filesystem::path CreateTemporaryFile(const std::string& prefix);

} // namespace talmere::platform
