#pragma once

// What the X12 report handlers share around a format's walk over one file: the scan for the file's summary,
// the report, the directory listing with one reader for all files, and the listing line's date fields. A walk
// is a class made from the reader and the report text (nullptr for a scan) whose run() passes over the file
// once and answers a status; what a format does with its walk stays with the format.

#include "common/ReportLibraryInterface.h"
#include "library/frame/ListingDriver.h"
#include "library/frame/ReportFormat.h"
#include "library/frame/ReportRequest.h"
#include "library/frame/ReportText.h"
#include "library/x12/X12SegmentReader.h"

#include <exception>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talmere {

// Everything after "Input file '<name>' is not a valid <kind> file " when the file cannot be opened or read to
// its end, or when the walk raised an exception.
inline constexpr std::string_view kX12Unexpected = "(unexpected exception)";

// True for a path that names a regular file.
bool IsX12ReportFile(const std::filesystem::path& file);

// The scan of one file, which open() opens with the reader (answering what the reader's open answered): 3 when
// there is no such file; otherwise the file is walked without report text. judge(walk, status) answers the
// format's verdict on what the walk found; a read failure overrides that verdict. summarize(walk, status) then
// takes the walk's summary and answers the final status. An exception makes the file not valid, and neither is
// called when the file cannot be opened.
template <typename Walk, typename Open, typename Judge, typename Summarize>
int ScanX12File(X12SegmentReader& reader, Open open, Judge judge, Summarize summarize)
{
    try {
        if (!open()) {
            return reader.fileMissing() ? kStatusFileMissing : reader.FailNotValid(kX12Unexpected);
        }
        Walk walk(reader, nullptr);
        int status = walk.run();
        reader.close();
        status = judge(walk, status);
        if (reader.readFailed()) {
            status = reader.FailNotValid(kX12Unexpected);
        }
        return summarize(walk, status);
    } catch (const std::exception&) {
        reader.close();
        return reader.FailNotValid(kX12Unexpected);
    }
}

// The report of the request's file: 3 when it is missing, what CreateReportOutput answers when the output cannot
// be created (5 for the X12 formats); otherwise the file is walked with report text, a read failure fails the report,
// and finish(walk, out) ends a report that did not fail. A failed report keeps what was written before the failure.
// Raises ReportOutputError when the output cannot be written.
template <typename Walk, typename Finish>
int GenerateX12Report(const ReportRequest& request, X12ReaderVariant variant, Finish finish)
{
    const std::filesystem::path file = ResolveReportFile(request);
    if (!IsX12ReportFile(file)) {
        return kStatusFileMissing;
    }
    ReportOutputFile output;
    if (const int status = CreateReportOutput(output, request); status != kStatusSuccess) {
        return status;
    }
    X12SegmentReader reader(variant);
    if (!reader.open(file)) {
        output.close();
        return reader.FailNotValid(kX12Unexpected);
    }
    ReportText out(output);
    Walk walk(reader, &out);
    int status = walk.run();
    if (status == 0 && reader.readFailed()) {
        status = reader.FailNotValid(kX12Unexpected);
    }
    if (status == 0) {
        finish(walk, out);
    }
    out.flush();
    output.close();
    return status;
}

// A format's listing line of the named file in the folder, read with the reader it is given.
using X12ListingLineBuilder = int (*)(X12SegmentReader& reader, const ReportFolder& folder, std::string_view name,
                                      std::string& line);

// The directory listing of the request, every file read with one reader of the variant, by its name in the
// folder held open.
int CreateX12Listing(const ReportRequest& request, X12ReaderVariant variant, X12ListingLineBuilder buildLine);

// A listing line of an X12 type (ListingLine, with hours and minutes) dated by the file's X12 date and time.
std::string X12ListingLine(const X12Date& date, const X12Time& time, std::string_view name,
                           std::initializer_list<std::string_view> fields);

} // namespace talmere
