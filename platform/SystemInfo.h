#pragma once

#include "DayDate.h"

#include <filesystem>
#include <string>

namespace talmere::platform {

// The current local date and time, to the millisecond.
DateTimeParts LocalNow();

// The folder of the running executable, ending in the separator; empty when it cannot be told.
std::string ExecutableFolder();

// Creates a new empty file with a unique name beginning with prefix in the system's temporary folder
// ($TMPDIR, else /tmp), atomically, so that no other user can plant it first. Raises std::system_error.
std::filesystem::path CreateTemporaryFile(const std::string& prefix);

} // namespace talmere::platform
