#pragma once

// Line-printer reports whose lines begin with a carriage-control character, turned into report text.

#include "library/frame/ReportRequest.h"

namespace talmere {

enum class CarriageControl {
    NewPageOnly, // "1" starts a new page, every other code one new line
    Full,        // also "0" two new lines and "-" three; received-name marks are left out
};

int GenerateCarriageControlReport(const ReportRequest& request, CarriageControl rules);

} // namespace talmere
