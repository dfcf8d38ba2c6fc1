#include "library/TextReport.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/Formatting.h"
#include "library/OperatingSystem.h"
#include "library/ReportFiles.h"
#include "library/ReportWriting.h"

#include <system_error>

namespace talmere {

int BuildTextListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                         std::string& line)
{
    const DateTimeParts time = FileDateTimeOrNow(file);
    const std::string upperName = AsciiUpper(name);
    const std::string date = FormatDisplayDate(time);
    const std::string description = std::string(request.reportDesc()) + " - " + date;
    line = JoinListingFields(
        {FormatSortDate(time), FormatSortTime(time), upperName, date, FormatDisplayTime(time), description, upperName});
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
    return CopyFileReplacing(source, request.outputPath()) ? kStatusSuccess : kStatusCannotCreateOutput;
}

} // namespace talmere
