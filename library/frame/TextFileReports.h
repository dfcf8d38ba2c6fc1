#pragma once

// Reports whose files are already readable text (the TEXT format, and payer formats that are listed or reported
// the same way): listed by file date with the format's description, reported by copying the file unchanged.

#include "library/frame/ReportRequest.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace talmere {

int CreateTextListing(const ReportRequest& request);
// The listing line of one file of a text type; never rejects a file.
int BuildTextListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                         std::string& line);
// The report of a text type: the file copied byte for byte. A copy that fails is a report file that could not
// be created (ReportOutputNotCreated).
int CopyTextReport(const ReportRequest& request);

} // namespace talmere
