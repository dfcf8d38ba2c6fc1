#pragma once

// Alabama Medicaid BRF files: fixed-width text, one line per claim with its status (paid, suspended or
// denied), amounts and errors. The records and their values are in AlabamaMedicaidBrfRecords.h.

#include "library/ReportRequest.h"

namespace talmere {

int CreateBrfListing(const ReportRequest& request);
int GenerateBrfReport(const ReportRequest& request);

} // namespace talmere
