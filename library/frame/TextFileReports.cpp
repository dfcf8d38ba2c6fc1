#include "library/frame/TextFileReports.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/Formatting.h"
#include "library/frame/ListingDriver.h"
#include "library/frame/OperatingSystem.h"
#include "library/frame/ReportFiles.h"
#include "library/frame/ReportFormat.h"

#include <system_error>

namespace talmere {

int BuildTextListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                         std::string& line)
{
    const DateTimeParts time = FileDateTimeOrNow(file);
    const std::string description = std::string(request.reportDesc()) + " - " + FormatDisplayDate(time);
    line = ListingLine(time, ListingTime::HoursMinutes, name, {description});
    return kStatusSuccess;
}

int CreateTextListing(const ReportRequest& request)
{
    return WriteDirectoryListing(request, ListingLineBuilder(BuildTextListingLine));
}

int CopyTextReport(const ReportRequest& request)
{
    std::error_code error;
    const std::filesystem::path source = ResolveReportFile(request);
    if (source.empty() || !std::filesystem::is_regular_file(source, error)) {
        return kStatusFileMissing;
    }
    return CopyFileReplacing(source, request.outputPath()) ? kStatusSuccess : ReportOutputNotCreated(request);
}

} // namespace talmere
