#pragma once

#include "library/ReportRequest.h"

#include <string_view>

namespace talmere {

// A handler of one export for one format: answers the export's status.
using RequestHandler = int (*)(const ReportRequest& request);

// What the library does for a format name in each of the four file exports. A format's columns come from
// the column table by its type id.
struct ReportFormatEntry {
    std::string_view name;
    int typeId;
    RequestHandler createListing;
    RequestHandler generateReport;
    RequestHandler customMatch;
    RequestHandler preArchive;
};

// The entry of a format name, compared exactly (case-sensitive); nullptr for an unknown name.
const ReportFormatEntry* FindReportFormat(std::string_view name);

// Answers without touching any file.
int AnswerSuccess(const ReportRequest& request);
int AnswerNoCustomMatch(const ReportRequest& request);

} // namespace talmere
