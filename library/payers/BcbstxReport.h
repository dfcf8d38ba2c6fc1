#pragma once

// BCBSTX line-printer reports: listed like plain text reports, shown with their page breaks.

#include "library/ReportRequest.h"

namespace talmere {

int CreateBcbstxListing(const ReportRequest& request);
int GenerateBcbstxReport(const ReportRequest& request);

} // namespace talmere
