#include "library/x12/X12Reports.h"

#include "common/DayDate.h"

#include <system_error>

namespace talmere {

bool IsX12ReportFile(const std::filesystem::path& file)
{
    std::error_code error;
    return !file.empty() && std::filesystem::is_regular_file(file, error);
}

int CreateX12Listing(const ReportRequest& request, X12ReaderVariant variant, X12ListingLineBuilder buildLine)
{
    X12SegmentReader reader(variant);
    return WriteDirectoryListing(
        request, ListingBuilder([&reader, buildLine](const std::filesystem::path& folder,
                                                     const std::vector<std::string>& names, const ReportRequest& r) {
            const ReportFolder opened(folder);
            return BuildListingLines(
                folder, names, r,
                [&reader, &opened, buildLine](const std::filesystem::path&, std::string_view name, const ReportRequest&,
                                              std::string& line) { return buildLine(reader, opened, name, line); });
        }));
}

std::string X12ListingLine(const X12Date& date, const X12Time& time, std::string_view name,
                           std::initializer_list<std::string_view> fields)
{
    DateTimeParts when;
    when.year = date.year;
    when.month = date.month;
    when.day = date.day;
    when.hour = time.hour;
    when.minute = time.minute;
    return ListingLine(when, ListingTime::HoursMinutes, name, fields);
}

} // namespace talmere
