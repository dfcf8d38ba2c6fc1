#include "library/clearinghouse/ClaimReport.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/Formatting.h"
#include "library/OperatingSystem.h"
#include "library/ReportWriting.h"

#include <stdexcept>
#include <system_error>

namespace talmere {

namespace {

// Up to this much of what a selection may still take back is kept in memory.
constexpr std::size_t kSelectionTailLimit = 1 << 20;

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
// when the selection succeeded.
void SelectClaims(const std::filesystem::path& reportFile, const ClaimReportType& type, const SelectionValues& values,
                  TemporaryFile& temporary)
{
    ReportInputFile in;
    SelectionOutput out;
    if (!in.open(reportFile) || !out.create(temporary.path())) {
        temporary.remove();
        return;
    }
    const int status = type.selectClaims(in, out, values);
    const bool written = out.close();
    if (status != kStatusSuccess || !written || in.failed()) {
        temporary.remove();
    }
}

} // namespace

SelectionValues::SelectionValues(const ReportRequest& request, int count)
{
    for (int number = 1; number <= count && number <= kRequestFilterCount; ++number) {
        m_values[static_cast<std::size_t>(number - 1)] = TrimBlanks(request.filterValue(number));
        m_any = m_any || !m_values[static_cast<std::size_t>(number - 1)].empty();
    }
}

std::string_view SelectionValues::operator[](int number) const
{
    if (number < 1 || number > kRequestFilterCount) {
        return {};
    }
    return m_values[static_cast<std::size_t>(number - 1)];
}

bool SelectionValues::fieldBeginsWith(int number, std::string_view field) const
{
    const std::string_view value = (*this)[number];
    return value.empty() || BeginsWithNoCase(field, value);
}

SelectionOutput::~SelectionOutput()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool SelectionOutput::create(const std::filesystem::path& path)
{
    m_path = path;
    m_file = std::fopen(path.c_str(), "wb");
    m_written = 0;
    m_tail.clear();
    return m_file != nullptr;
}

bool SelectionOutput::writeLine(std::string_view line)
{
    m_tail.append(line);
    m_tail.append("\r\n");
    return m_tail.size() < kSelectionTailLimit || spill();
}

bool SelectionOutput::spill()
{
    if (m_file == nullptr || std::fwrite(m_tail.data(), 1, m_tail.size(), m_file) != m_tail.size()) {
        return false;
    }
    m_written += m_tail.size();
    m_tail.clear();
    return true;
}

bool SelectionOutput::takeBack(std::uint64_t position)
{
    if (position >= m_written) {
        m_tail.resize(std::min<std::uint64_t>(position - m_written, m_tail.size()));
        return true;
    }
    // What is taken back has already gone to the file.
    m_tail.clear();
    if (m_file == nullptr || std::fflush(m_file) != 0) {
        return false;
    }
    std::error_code error;
    std::filesystem::resize_file(m_path, position, error);
    if (error || std::fseek(m_file, static_cast<long>(position), SEEK_SET) != 0) {
        return false;
    }
    m_written = position;
    return true;
}

bool SelectionOutput::close()
{
    if (m_file == nullptr) {
        return false;
    }
    const bool spilled = spill();
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return spilled && closed;
}

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
        ReportInputFile in;
        std::string line;
        int firstFailure = kStatusSuccess;
        for (const std::string& name : names) {
            const std::filesystem::path file = folder / name;
            line.clear();
            const int status = in.open(file) ? buildLine(in, file, name, r, line) : kStatusInvalidRecord;
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

std::string ClaimListingLine(const DateTimeParts& time, std::string_view name,
                             std::initializer_list<std::string_view> fields)
{
    const std::string upperName = AsciiUpper(name);
    std::string line = JoinListingFields(
        {FormatSortDate(time), FormatSortTime(time), upperName, FormatDisplayDate(time), FormatLongTime(time)});
    for (std::string_view field : fields) {
        line.append("|").append(field);
    }
    line.append("|").append(upperName);
    return line;
}

int GenerateClaimReport(const ReportRequest& request, const ClaimReportType& type)
{
    const ReportWidths widths{type.labelWidth, ClaimReportWrapWidth(request)};
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

    ReportInputFile in;
    ReportOutputFile out;
    if (!out.create(request.outputPath())) {
        throw ReportOutputError("cannot create the report file " + request.outputPath().string());
    }
    // A file that cannot be opened reads as an empty one.
    in.open(temporary.exists() ? temporary.path() : reportFile);
    const int status = type.writeReport(in, out, widths, reportFile);
    in.close();
    out.close();
    return status;
}

} // namespace talmere
