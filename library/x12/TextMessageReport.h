#pragma once

// ANSI_864: X12 864 text messages, free-form text that a payer or clearinghouse sends, one line per MSG
// segment, grouped into messages by MIT segments.

#include "library/frame/ReportFormat.h"

namespace talmere::ansi864 {

// ANSI_864.
extern const ReportFormat kAnsi864Format;

// The most line ends one MSG segment may ask for ("AA" with a count): enough for any page, and a bound on
// what a damaged count can make the report write.
inline constexpr int kMaxLineAdvance = 100;

} // namespace talmere::ansi864
