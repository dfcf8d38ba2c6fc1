#pragma once

#include "common/DayDate.h"

#include <string>

namespace talmere {

// Fixed formats, whatever the workstation's regional settings.
std::string FormatSortDate(const DateTimeParts& t);    // yyyymmdd
std::string FormatSortTime(const DateTimeParts& t);    // hhmm
std::string FormatDisplayDate(const DateTimeParts& t); // mm/dd/yyyy
std::string FormatDisplayTime(const DateTimeParts& t); // hh:mm
std::string FormatLongTime(const DateTimeParts& t);    // hh:mm:ss

} // namespace talmere
