#pragma once

// Alabama Medicaid BRF files: fixed-width text, one line per claim with its status (paid, suspended or
// denied), amounts and errors. The records and their values are in AlabamaMedicaidBrfRecords.h.

#include "library/frame/ReportFormat.h"

namespace talmere {

// ALABAMA_MEDICAID_BRF.
extern const ReportFormat kAlabamaMedicaidBrfFormat;

} // namespace talmere
