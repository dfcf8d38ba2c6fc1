#pragma once

// The table of every format the library knows, by name.

#include "library/frame/ReportFormat.h"

#include <string_view>

namespace talmere {

// The descriptor of a format name, compared exactly (case-sensitive); nullptr for an unknown name.
const ReportFormat* FindReportFormat(std::string_view name);

} // namespace talmere
