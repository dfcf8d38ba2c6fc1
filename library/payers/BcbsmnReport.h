#pragma once

// BCBSMN reports. BCBSMN_TEXT files are line-printer reports whose received file name says what they are; the
// name is stamped into the file before archiving renames it, and read back to describe and date the report.
// BCBSMN_2_TEXT files are plain text reports described by their third line.

#include "library/frame/ReportFormat.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace talmere {

// BCBSMN_TEXT and BCBSMN_2_TEXT.
extern const ReportFormat kBcbsmnTextFormat;
extern const ReportFormat kBcbsmn2TextFormat;

// The received name stamped at the end of a file, or empty when the file carries none.
std::string FindReceivedName(const std::filesystem::path& file);
// What a BCBSMN file name says: claim category, report kind and "[TEST]" for test files, or
// "Unrecognized Report Type".
std::string DescribeBcbsmnName(std::string_view name);

// The listing line of one BCBSMN_TEXT file: dated by its archived name, its received name or its own date, and
// described by its received name.
int BuildBcbsmnListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                           std::string& line);

} // namespace talmere
