#pragma once

// BCBSTX line-printer reports: listed like plain text reports, shown with their page breaks.

#include "library/frame/ReportFormat.h"

namespace talmere {

// BCBSTX_TEXT.
extern const ReportFormat kBcbstxTextFormat;

} // namespace talmere
