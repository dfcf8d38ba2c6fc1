#pragma once

// The listing and report generation procedures of the claim reports (Availity IBR, EBR and DPR, Alabama
// Medicaid BRF), which each type fills in with its own pieces. When the user entered selection values, the
// claims that match them are first copied to a temporary file, which is then reported instead of the whole file.

#include "library/ReportFiles.h"
#include "library/ReportRequest.h"
#include "library/clearinghouse/AvailityRecords.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talmere {

// The selection values of a request, trimmed, numbered from 1.
class SelectionValues {
public:
    SelectionValues(const ReportRequest& request, int count);
    std::string_view operator[](int number) const;
    bool any() const { return m_any; }

    // True unless the value is set and the field does not begin with it.
    bool fieldBeginsWith(int number, std::string_view field) const;

private:
    std::array<std::string, kRequestFilterCount> m_values;
    bool m_any = false;
};

// The file that a claim selection writes. What it writes last may still be taken back: the heading records of
// a file or payer are written when they are read, but stay only when a claim below them is selected. The
// part that may be taken back is held in memory up to a limit and goes to the file beyond it, so memory stays
// flat whatever the number of records waiting for their claim's outcome.
class SelectionOutput {
public:
    SelectionOutput() = default;
    SelectionOutput(const SelectionOutput&) = delete;
    SelectionOutput& operator=(const SelectionOutput&) = delete;
    ~SelectionOutput();

    bool create(const std::filesystem::path& path);
    // Each line is followed by CR LF. False when the file cannot be written.
    bool writeLine(std::string_view line);
    // The position after everything written so far, for takeBack.
    std::uint64_t position() const { return m_written + m_tail.size(); }
    // Removes everything written after the position.
    bool takeBack(std::uint64_t position);
    bool close();

private:
    bool spill();

    std::FILE* m_file = nullptr;
    std::filesystem::path m_path;
    std::uint64_t m_written = 0;
    std::string m_tail;
};

// The listing line of one open report file of a claim report type: 0 with the line, or the status that says
// why the file is not listed.
using ClaimListingLineBuilder = int (*)(ReportInputFile& in, const std::filesystem::path& file, std::string_view name,
                                        const ReportRequest& request, std::string& line);

// What a claim report type supplies to the listing and generation procedures.
struct ClaimReportType {
    int labelWidth;
    int selectionCount; // selection values 1 to selectionCount restrict the report
    ClaimListingLineBuilder buildListingLine;
    // Writes the report text of the input; answers 0, or 6 at the first invalid or misplaced record.
    int (*writeReport)(ReportInputFile& in, ReportOutputFile& out, const ReportWidths& widths,
                       const std::filesystem::path& reportFile);
    // Copies the claims that match the selection values; a non-zero status means the selection failed.
    int (*selectClaims)(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values);
};

// The wrap width of a claim report: Param1 when it is a whole number above 0, otherwise the line width of
// the point size and orientation. Raises an error when the point size is needed and is not a whole number.
int ClaimReportWrapWidth(const ReportRequest& request);

int GenerateClaimReport(const ReportRequest& request, const ClaimReportType& type);

// The directory listing of a claim report type, reading every file through one input buffer. A file that
// cannot be opened is not listed (status 7).
int WriteClaimListing(const ReportRequest& request, const ClaimReportType& type);

// The listing line of a claim report file: the date and time (sort forms), the name in capitals, the date
// and time (display forms, with seconds), the type's own fields, and the name again.
std::string ClaimListingLine(const DateTimeParts& time, std::string_view name,
                             std::initializer_list<std::string_view> fields);

} // namespace talmere
