#pragma once

// ANSI_997, ANSI_999 and ANSI_99X: functional acknowledgments (997 and 999 transaction sets) and interchange
// acknowledgments (TA1) that payers return for submitted claim batches.

#include "library/frame/ReportFormat.h"

namespace talmere::ansi99x {

// ANSI_997, ANSI_999 and ANSI_99X: three names of one format.
extern const ReportFormat kAnsi997Format;
extern const ReportFormat kAnsi999Format;
extern const ReportFormat kAnsi99xFormat;

} // namespace talmere::ansi99x
