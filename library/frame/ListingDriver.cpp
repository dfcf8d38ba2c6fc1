#include "library/frame/ListingDriver.h"

#include "common/PathNoCase.h"
#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/Formatting.h"

#include <algorithm>
#include <system_error>

namespace talmere {

std::filesystem::path ResolveReportFile(const ReportRequest& request)
{
    if (request.reportPathText().empty()) {
        return {};
    }
    return ResolveNoCase(request.reportPath());
}

int CheckRequestPaths(const ReportRequest& request)
{
    std::filesystem::path resolved;
    return CheckRequestPaths(request, resolved);
}

int CheckRequestPaths(const ReportRequest& request, std::filesystem::path& file)
{
    std::error_code error;
    const std::filesystem::path output = request.outputPath();
    if (!output.empty()) {
        const auto status = std::filesystem::symlink_status(output, error);
        if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
            std::filesystem::remove(output, error);
        }
    }
    if (request.namesFolder()) {
        return std::filesystem::is_directory(request.reportPath(), error) ? kStatusSuccess : kStatusFolderMissing;
    }
    file = ResolveReportFile(request);
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) {
        return kStatusFileMissing;
    }
    return kStatusSuccess;
}

std::vector<std::string> ListingLines::sorted() const
{
    std::vector<std::string> lines = m_lines;
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    return lines;
}

void ListingLines::save(const std::filesystem::path& outputPath) const
{
    ReportOutputFile out;
    if (!out.create(outputPath)) {
        throw ReportOutputError("cannot create the listing file " + outputPath.string());
    }
    for (const std::string& line : sorted()) {
        out.writeLine(line);
    }
    out.close();
}

std::string JoinListingFields(std::initializer_list<std::string_view> fields)
{
    std::string line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) {
            line += '|';
        }
        line += field;
        first = false;
    }
    return line;
}

std::string ListingLine(const DateTimeParts& time, ListingTime shown, std::string_view name,
                        std::initializer_list<std::string_view> fields)
{
    const std::string upperName = AsciiUpper(name);
    std::string line =
        JoinListingFields({FormatSortDate(time), FormatSortTime(time), upperName, FormatDisplayDate(time),
                           shown == ListingTime::WithSeconds ? FormatLongTime(time) : FormatDisplayTime(time)});
    for (std::string_view field : fields) {
        line += '|';
        line += field;
    }
    line += '|';
    line += upperName;
    return line;
}

int BuildListingLines(const std::filesystem::path& folder, const std::vector<std::string>& names,
                      const ReportRequest& request, const ListingLineBuilder& buildLine)
{
    ListingLines lines;
    int firstFailure = 0;
    std::string line;
    for (const std::string& name : names) {
        line.clear();
        const int status = buildLine(folder / name, name, request, line);
        if (status == 0) {
            lines.add(line);
        } else if (firstFailure == 0) {
            firstFailure = status;
        }
    }
    lines.save(request.outputPath());
    return firstFailure;
}

namespace {

// Every entry of the folder whose name matches the mask, folders and hidden entries included, in the order
// the file system gives them. A folder that cannot be read lists nothing.
std::vector<std::string> MatchingEntries(const std::filesystem::path& folder, const std::string& mask)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (WildcardMatch(mask, name)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

} // namespace

int WriteDirectoryListing(const ReportRequest& request, const ListingBuilder& buildLines)
{
    std::filesystem::path file;
    const int status = CheckRequestPaths(request, file);
    if (status != 0) {
        return status;
    }
    if (request.namesFolder()) {
        const std::filesystem::path folder = request.reportPath();
        const std::vector<std::string> names = MatchingEntries(folder, std::string(request.archivePrefix()) + "*.*");
        // Files a builder cannot read are simply left out of an archive folder's listing.
        buildLines(folder, names, request);
        return 0;
    }
    const std::filesystem::path folder = file.parent_path() / "";
    return buildLines(folder, {file.filename().string()}, request);
}

int WriteDirectoryListing(const ReportRequest& request, const ListingLineBuilder& buildLine)
{
    return WriteDirectoryListing(
        request, [&buildLine](const std::filesystem::path& folder, const std::vector<std::string>& names,
                              const ReportRequest& r) { return BuildListingLines(folder, names, r, buildLine); });
}

} // namespace talmere
