#pragma once

// What a report format is to the library: one descriptor per format name, which each format's module exports and
// the format table lists. The exports find the descriptor of the request's format name and call its handlers.

#include "library/frame/ReportFiles.h"
#include "library/frame/ReportRequest.h"

#include <string_view>

namespace talmere {

// A handler of one export for one format: answers the export's status.
using RequestHandler = int (*)(const ReportRequest& request);

// What a report file that cannot be created does to the call (see CreateReportOutput).
enum class OutputFailure {
    AnswerStatus, // status 5, "Unable to create the temporary report file."
    LeaveExport,  // the error leaves the handler, and the export answers 1
};

// One report format: its name, its list columns (the column table's row of its type id), the handlers of its
// four file exports, and what a report file that cannot be created answers.
struct ReportFormat {
    std::string_view name;
    int typeId;
    RequestHandler listing;     // CreateDirectoryListingFile
    RequestHandler report;      // GenerateReportFile
    RequestHandler customMatch; // PerformCustomMatchTest
    RequestHandler preArchive;  // PerformReportPreArchiveTasks
    OutputFailure reportOutputFailure;
};

// Answers without touching any file: what a format that has nothing to do for an export answers.
int AnswerSuccess(const ReportRequest& request);
int AnswerNoCustomMatch(const ReportRequest& request);

// Creates the report file of the request anew (OutputPath); answers 0 when it is open.
//
// The one rule for an output file that cannot be made, for every format:
// - A report file that cannot be created answers 5, "Unable to create the temporary report file.", unless the
//   request's format says that its output errors leave the export (OutputFailure::LeaveExport): then
//   ReportOutputError is raised, and the export's catch-all answers 1, "Unexpected exception processing report.".
//   The claim reports (IBR, EBR, DPR, BRF) and the carriage-control reports (BCBSMN_TEXT, BCBSTX_TEXT) leave the
//   export; the text copies (TEXT, BCBSMN_2_TEXT) and the X12 reports answer 5.
// - A report file that was created but cannot be written to the end (the disk is full, the file is gone) raises
//   ReportOutputError for every format (ReportOutputFile, ReportText): 1.
// - A directory listing file that cannot be created or written raises ReportOutputError for every format: 1.
// A report that is made whole beside its file and then put in its place (the copy of a text report) cannot be
// half-written: when it fails, its file counts as one that could not be created (ReportOutputNotCreated). The
// temporary file of a claim selection is no output of the call: when it cannot be written, the selection fails
// and the whole report file is reported.
int CreateReportOutput(ReportOutputFile& out, const ReportRequest& request);
// The rule's answer for a report file of the request that could not be created: 5, or ReportOutputError.
int ReportOutputNotCreated(const ReportRequest& request);

} // namespace talmere
