#pragma once

// TEXT: report files that are already readable text, listed by file date with the type's description and
// reported by copying the file unchanged.

#include "library/frame/ReportFormat.h"

namespace talmere {

extern const ReportFormat kTextFormat;

} // namespace talmere
