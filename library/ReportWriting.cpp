#include "library/ReportWriting.h"

#include "common/PathNoCase.h"
#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"

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
    const std::filesystem::path file = ResolveReportFile(request);
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
    const int status = CheckRequestPaths(request);
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
    const std::filesystem::path file = ResolveReportFile(request);
    const std::filesystem::path folder = file.parent_path() / "";
    return buildLines(folder, {file.filename().string()}, request);
}

int WriteDirectoryListing(const ReportRequest& request, const ListingLineBuilder& buildLine)
{
    return WriteDirectoryListing(
        request, [&buildLine](const std::filesystem::path& folder, const std::vector<std::string>& names,
                              const ReportRequest& r) { return BuildListingLines(folder, names, r, buildLine); });
}

void WriteLabelLine(ReportOutputFile& out, int labelWidth, std::string_view label, std::string_view value)
{
    const std::size_t width = labelWidth > 0 ? static_cast<std::size_t>(labelWidth) : 0;
    std::string line(label.substr(0, width));
    line.resize(width, ' ');
    line += value;
    out.writeLine(line);
}

std::vector<std::string> WrapValue(std::string_view value, int wrapWidth)
{
    // A width below one could never make progress.
    const std::size_t width = wrapWidth > 0 ? static_cast<std::size_t>(wrapWidth) : 1;
    std::vector<std::string> pieces;
    std::string_view rest = TrimBlanks(value);
    while (!rest.empty()) {
        std::string_view piece;
        if (rest.size() > width) {
            // The last space among the first width + 1 characters.
            const std::size_t space = rest.substr(0, width + 1).rfind(' ');
            if (space != std::string_view::npos) {
                piece = rest.substr(0, space);
                rest = TrimBlanks(rest.substr(space + 1));
            } else {
                piece = rest.substr(0, width);
                rest = TrimBlanks(rest.substr(width));
            }
        } else {
            piece = rest;
            rest = {};
        }
        if (!piece.empty()) {
            pieces.emplace_back(piece);
        }
    }
    return pieces;
}

void WriteWrappedLabelLine(ReportOutputFile& out, int labelWidth, int wrapWidth, std::string_view label,
                           std::string_view value)
{
    const std::vector<std::string> pieces = WrapValue(value, wrapWidth);
    WriteLabelLine(out, labelWidth, label, pieces.empty() ? std::string_view{} : std::string_view(pieces.front()));
    const std::string indent(labelWidth > 0 ? static_cast<std::size_t>(labelWidth) : 0, ' ');
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        out.writeLine(indent + pieces[i]);
    }
}

int ReportLineWidth(int pointSize, std::string_view orientation)
{
    const bool portrait = orientation == "PORTRAIT";
    if (pointSize >= 4 && pointSize <= 7) {
        return portrait ? 90 : 136;
    }
    if (pointSize == 8) {
        return portrait ? 78 : 112;
    }
    if (pointSize == 11 || pointSize == 12) {
        return portrait ? 44 : 68;
    }
    return portrait ? 58 : 84;
}

int ReportLineWidth(std::string_view pointSize, std::string_view orientation)
{
    return ReportLineWidth(ParseInteger(TrimBlanks(pointSize)).value_or(0), orientation);
}

} // namespace talmere
