#pragma once

// The listing and report procedures of the claim reports (Availity IBR, EBR and DPR, Alabama Medicaid BRF),
// which each format fills in with its own pieces: its record reader, its listing line, its report writer and its
// claim selection. When the user entered selection values, the claims that match them are first copied to a
// temporary file (ClaimSelection.h), which is then reported instead of the whole file.

#include "common/DayDate.h"
#include "common/ReportLibraryInterface.h"
#include "library/frame/ClaimRecords.h"
#include "library/frame/ClaimSelection.h"
#include "library/frame/ReportFiles.h"
#include "library/frame/ReportFormat.h"
#include "library/frame/ReportRequest.h"
#include "library/frame/ReportText.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace talmere {

// What a claim report writer is told besides the records: the width long values are wrapped at, and the report
// file itself (also when a selection of it is reported).
struct ClaimReportContext {
    int wrapWidth;
    std::filesystem::path reportFile;
};

// The listing line of one open report file of a claim format: 0 with the line, or the status that says why the
// file is not listed.
using ClaimListingLineBuilder = int (*)(ReportInputFile& in, const std::filesystem::path& file, std::string_view name,
                                        std::string& line);

// What a claim format supplies to the listing and report procedures.
struct ClaimReportType {
    int selectionCount; // selection values 1 to selectionCount restrict the report
    ClaimListingLineBuilder buildListingLine;
    // Writes the report text of the input; answers 0, or 6 at the first invalid or misplaced record.
    int (*writeReport)(ReportInputFile& in, ReportOutputFile& out, const ClaimReportContext& context);
    // Copies the claims that match the selection values; a non-zero status or a ReportOutputError means the
    // selection failed.
    int (*selectClaims)(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values);
};

// Writes the report of a file record by record with a writer made from the report text and the context:
// writer.writeRecord(type, buffer) for each record, writer.end() after the last one. At the first misplaced or
// invalid record the report stops with status 6; what was written before it stays.
template <class Reader, class Writer>
int WriteRecordReport(ReportInputFile& in, ReportOutputFile& out, const ClaimReportContext& context)
{
    ReportText text(out);
    Writer writer(text, context);
    RecordSequence<Reader> records(in);
    while (records.nextRecord()) {
        writer.writeRecord(records.type(), records.buffer());
    }
    if (!records.stopped()) {
        writer.end();
    }
    text.flush();
    return records.stopped() ? kStatusInvalidFormat : kStatusSuccess;
}

// The pieces of a claim format made from its record reader, report writer and selector.
template <class Reader, class Writer, class Selector>
constexpr ClaimReportType MakeClaimReportType(int selectionCount, ClaimListingLineBuilder buildListingLine)
{
    return {selectionCount, buildListingLine, WriteRecordReport<Reader, Writer>, SelectClaimRecords<Reader, Selector>};
}

// The wrap width of a claim report: Param1 when it is a whole number above 0, otherwise the line width of
// the point size and orientation. Raises an error when the point size is needed and is not a whole number.
int ClaimReportWrapWidth(const ReportRequest& request);

int GenerateClaimReport(const ReportRequest& request, const ClaimReportType& type);

// The directory listing of a claim format, reading every file through one input buffer. A file that cannot be
// opened is not listed (status 7).
int WriteClaimListing(const ReportRequest& request, const ClaimReportType& type);

// The descriptor of a claim format: its listing and report are the procedures above, it has no custom match
// test and no pre-archive task, and errors creating or writing its report file leave the export.
template <const ClaimReportType& Type>
constexpr ReportFormat ClaimReportFormat(std::string_view name, int typeId)
{
    return {name,
            typeId,
            [](const ReportRequest& request) { return WriteClaimListing(request, Type); },
            [](const ReportRequest& request) { return GenerateClaimReport(request, Type); },
            AnswerNoCustomMatch,
            AnswerSuccess,
            OutputFailure::LeaveExport};
}

} // namespace talmere
