#include "library/payers/CarriageControlReport.h"

#include "common/ReportLibraryInterface.h"
#include "library/frame/ListingDriver.h"
#include "library/frame/ReportFiles.h"
#include "library/frame/ReportFormat.h"

#include <system_error>

namespace talmere {

int GenerateCarriageControlReport(const ReportRequest& request, CarriageControl rules)
{
    std::error_code error;
    const std::filesystem::path reportFile = ResolveReportFile(request);
    if (reportFile.empty() || !std::filesystem::is_regular_file(reportFile, error)) {
        return kStatusFileMissing;
    }
    ReportOutputFile out;
    if (const int status = CreateReportOutput(out, request); status != kStatusSuccess) {
        return status;
    }
    ReportInputFile in;
    // A file that cannot be opened reads as an empty one.
    in.open(reportFile);
    bool first = true;
    std::string line;
    while (!in.atEnd()) {
        ReadTextLine(in, line);
        if (line.empty()) {
            line.assign(1, ' ');
        }
        if (rules == CarriageControl::Full && line.starts_with(" <<")) {
            continue;
        }
        const char control = line.front();
        if (control == '1') {
            // A new page, except at the very start of the report.
            if (!first) {
                out.write("\f");
            }
        } else if (rules == CarriageControl::Full && control == '0') {
            out.write("\r\n\r\n");
        } else if (rules == CarriageControl::Full && control == '-') {
            out.write("\r\n\r\n\r\n");
        } else {
            out.write("\r\n");
        }
        out.write(std::string_view(line).substr(1));
        first = false;
    }
    out.write("\r\n");
    out.close();
    return kStatusSuccess;
}

} // namespace talmere
