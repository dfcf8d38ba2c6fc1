#include "library/frame/ClaimReport.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/ListingDriver.h"
#include "library/frame/OperatingSystem.h"

#include <stdexcept>
#include <system_error>

namespace talmere {

namespace {

// The temporary file of one report, removed however the report ends.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { remove(); }

    const std::filesystem::path& path() const { return m_path; }
    bool exists() const { return !m_path.empty(); }
    void remove()
    {
        if (!m_path.empty()) {
            std::error_code error;
            std::filesystem::remove(m_path, error);
            m_path.clear();
        }
    }

private:
    std::filesystem::path m_path;
};

// Copies the selected claims of the report file into a new temporary file. The temporary file is kept only
// when the selection succeeded: it ran to the end of the file, which was read and written whole.
void SelectClaims(const std::filesystem::path& reportFile, const ClaimReportType& type, const SelectionValues& values,
                  TemporaryFile& temporary)
{
    ReportInputFile in;
    SelectionOutput out;
    if (!in.open(reportFile) || !out.create(temporary.path())) {
        temporary.remove();
        return;
    }
    try {
        const int status = type.selectClaims(in, out, values);
        out.close();
        if (status != kStatusSuccess || in.failed()) {
            temporary.remove();
        }
    } catch (const ReportOutputError&) {
        temporary.remove();
    }
}

} // namespace

int ClaimReportWrapWidth(const ReportRequest& request)
{
    const std::optional<int> param = ParseInteger(TrimBlanks(request.param(1)));
    if (param && *param > 0) {
        return *param;
    }
    const std::optional<int> pointSize = ParseInteger(TrimBlanks(request.pointSize()));
    if (!pointSize) {
        throw std::invalid_argument("the point size is not a whole number");
    }
    return ReportLineWidth(*pointSize, request.orientation());
}

int WriteClaimListing(const ReportRequest& request, const ClaimReportType& type)
{
    const ClaimListingLineBuilder buildLine = type.buildListingLine;
    return WriteDirectoryListing(request, [buildLine](const std::filesystem::path& folder,
                                                      const std::vector<std::string>& names, const ReportRequest& r) {
        ListingLines lines;
        const ReportFolder opened(folder);
        ReportInputFile in;
        std::string line;
        int firstFailure = kStatusSuccess;
        for (const std::string& name : names) {
            const std::filesystem::path file = folder / name;
            line.clear();
            const int status = in.open(opened, name) ? buildLine(in, file, name, line) : kStatusInvalidRecord;
            in.close();
            if (status == kStatusSuccess) {
                lines.add(line);
            } else if (firstFailure == kStatusSuccess) {
                firstFailure = status;
            }
        }
        lines.save(r.outputPath());
        return firstFailure;
    });
}

int GenerateClaimReport(const ReportRequest& request, const ClaimReportType& type)
{
    const int wrapWidth = ClaimReportWrapWidth(request);
    std::error_code error;
    const std::filesystem::path reportFile = ResolveReportFile(request);
    if (reportFile.empty() || !std::filesystem::is_regular_file(reportFile, error)) {
        return kStatusFileMissing;
    }

    const SelectionValues values(request, type.selectionCount);
    TemporaryFile temporary(values.any() ? CreateTemporaryFile("RV") : std::filesystem::path());
    if (temporary.exists()) {
        SelectClaims(reportFile, type, values, temporary);
    }

    ReportOutputFile out;
    if (const int status = CreateReportOutput(out, request); status != kStatusSuccess) {
        return status;
    }
    ReportInputFile in;
    // A file that cannot be opened reads as an empty one.
    in.open(temporary.exists() ? temporary.path() : reportFile);
    const int status = type.writeReport(in, out, ClaimReportContext{wrapWidth, reportFile});
    in.close();
    out.close();
    return status;
}

} // namespace talmere
