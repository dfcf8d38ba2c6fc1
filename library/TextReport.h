#pragma once

// Report types whose files are already readable text: listed by file date with the type's description,
// reported by copying the file unchanged.

#include "library/ReportRequest.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace talmere {

int CreateTextListing(const ReportRequest& request);
// The listing line of one file of a text type; never rejects a file.
int BuildTextListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                         std::string& line);
// The report of a text type: the file copied byte for byte.
int CopyTextReport(const ReportRequest& request);

} // namespace talmere
