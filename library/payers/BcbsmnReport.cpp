#include "library/payers/BcbsmnReport.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/ColumnTable.h"
#include "library/frame/Formatting.h"
#include "library/frame/ListingDriver.h"
#include "library/frame/OperatingSystem.h"
#include "library/frame/ReportFiles.h"
#include "library/frame/TextFileReports.h"
#include "library/payers/CarriageControlReport.h"

#include <array>
#include <cstdio>
#include <optional>
#include <system_error>

namespace talmere {

namespace {

// The mark that carries the received name; it is looked for in the last 100 bytes of a file.
constexpr std::string_view kReceivedNameMark = " <<ORIG FILE>>";
constexpr std::size_t kReceivedNameTail = 100;

struct TReportFileNameMap {
    std::string_view code;
    std::string_view description;
};

constexpr std::array<TReportFileNameMap, 2> kEnvironments{{{"P", ""}, {"T", "[TEST]"}}};

constexpr std::array<TReportFileNameMap, 9> kClaimCategories{{
    {"BC", "Blue Cross UB92"},
    {"BS", "Blue Shield NSF"},
    {"CU", "Commercial UB92"},
    {"C1", "Commercial NSF"},
    {"DN", "Dental NSF"},
    {"DU", "DHS/Medicaid UB92"},
    {"D1", "DHS/Medicaid NSF"},
    {"MA", "Medicare UB92"},
    {"MB", "Medicare NSF"},
}};

constexpr std::array<TReportFileNameMap, 10> kReportKinds{{
    {"A", "BCBSM/EC Confirmation Report"},
    {"B", "BCBSM/EC Pre-System Edit Report"},
    {"C", "BCBSM/EC Message Report"},
    {"G", "Clearinghouse Confirmation Report"},
    {"H", "Clearinghouse Edit Report"},
    {"I", "Clearinghouse Message Report"},
    {"D", "Payer Confirmation Report"},
    {"E", "Payer Edit Report"},
    {"F", "Payer Message Report"},
    {"U", "Payment Summary Report"},
}};

template <std::size_t N>
const TReportFileNameMap* Lookup(const std::array<TReportFileNameMap, N>& map, std::string_view code)
{
    for (const TReportFileNameMap& entry : map) {
        if (entry.code == code) {
            return &entry;
        }
    }
    return nullptr;
}

// Characters from a 1-based position, as many as there are up to the length.
std::string_view Part(std::string_view text, std::size_t position, std::size_t length)
{
    return position - 1 < text.size() ? text.substr(position - 1, length) : std::string_view();
}

// A number written with digits only; nothing for an empty text.
std::optional<int> Digits(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The date in positions 3 to 8 of an archived name (two-digit year, month, day).
std::optional<DateTimeParts> ArchiveNameDate(std::string_view name, int pivotYear)
{
    if (name.size() <= 8) {
        return std::nullopt;
    }
    const std::optional<int> year = Digits(Part(name, 3, 2));
    const std::optional<int> month = Digits(Part(name, 5, 2));
    const std::optional<int> day = Digits(Part(name, 7, 2));
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const int fullYear = ExpandTwoDigitYear(*year, pivotYear);
    if (!IsValidDate(fullYear, *month, *day)) {
        return std::nullopt;
    }
    return DateTimeParts{fullYear, *month, *day, 0, 0, 0, 0};
}

// The day of the year in positions 5 to 7 of a received name: a day of the last twelve months. A name that
// ends before position 7 gives the digits it has there.
std::optional<DateTimeParts> DayOfYearDate(std::string_view name)
{
    const std::optional<int> dayOfYear = Digits(Part(name, 5, 3));
    if (!dayOfYear) {
        return std::nullopt;
    }
    const DateTimeParts today = CurrentLocalDateTime();
    const long todayOfYear = DayNumber(today.year, today.month, today.day) - DayNumber(today.year, 1, 1) + 1;
    const int year = *dayOfYear > todayOfYear ? today.year - 1 : today.year;
    // Day 000, or a day past the end of its year, names no day.
    const int daysInYear = DaysInMonth(year, 2) == 29 ? 366 : 365;
    if (*dayOfYear < 1 || *dayOfYear > daysInYear) {
        return std::nullopt;
    }
    return DateFromDayNumber(DayNumber(year, 1, 1) + *dayOfYear - 1);
}

bool IsLineBreak(char c)
{
    return c == '\n' || c == '\f' || c == '\r';
}

} // namespace

std::string FindReceivedName(const std::filesystem::path& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || !std::filesystem::is_regular_file(file, error)) {
        return {};
    }
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr) {
        return {};
    }
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uintmax_t>(size, kReceivedNameTail));
    std::array<char, kReceivedNameTail> bytes{};
    std::size_t n = 0;
    if (std::fseek(in, -static_cast<long>(tail), SEEK_END) == 0) {
        n = std::fread(bytes.data(), 1, tail, in);
    }
    std::fclose(in);
    const std::string_view text(bytes.data(), n);
    const std::size_t mark = text.find(kReceivedNameMark);
    if (mark == std::string_view::npos) {
        return {};
    }
    std::string_view name = text.substr(mark + kReceivedNameMark.size());
    std::size_t end = 0;
    while (end < name.size() && !IsLineBreak(name[end])) {
        ++end;
    }
    return std::string(TrimBlanks(name.substr(0, end)));
}

std::string DescribeBcbsmnName(std::string_view name)
{
    const std::string upper = AsciiUpper(name);
    const TReportFileNameMap* environment = Lookup(kEnvironments, Part(upper, 1, 1));
    const TReportFileNameMap* category = Lookup(kClaimCategories, Part(upper, 2, 2));
    const TReportFileNameMap* kind = Lookup(kReportKinds, Part(upper, 4, 1));
    if (environment == nullptr || category == nullptr || kind == nullptr) {
        return "Unrecognized Report Type";
    }
    std::string description(category->description);
    description.append(" ").append(kind->description).append(" ").append(environment->description);
    return std::string(TrimBlanks(description));
}

namespace {

// The pre-archive task: stamps the received name into the file unless it carries one already.
int StampReceivedName(const ReportRequest& request)
{
    std::error_code error;
    const std::filesystem::path file = ResolveReportFile(request);
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) {
        return kStatusFileMissing;
    }
    if (!FindReceivedName(file).empty()) {
        return kStatusSuccess;
    }
    std::string mark(kReceivedNameMark);
    mark.append(" ").append(AsciiUpper(file.filename().string())).append("\n");
    // The mark must stand on a line of its own to be left out of the report. A file that ends in Ctrl-Z is
    // read only up to it anyway.
    if (std::FILE* in = std::fopen(file.c_str(), "rb")) {
        if (std::fseek(in, -1, SEEK_END) == 0) {
            const int last = std::fgetc(in);
            if (last != '\n' && last != ReportInputFile::kCtrlZ && last != EOF) {
                mark.insert(0, "\r\n");
            }
        }
        std::fclose(in);
    }
    // A file that cannot be stamped is archived without the mark.
    if (std::FILE* out = std::fopen(file.c_str(), "ab")) {
        std::fwrite(mark.data(), 1, mark.size(), out);
        std::fclose(out);
    }
    return kStatusSuccess;
}

// The custom match test: the staged file's name is a BCBSMN name of the claim category in Param1.
int MatchBcbsmnName(const ReportRequest& request)
{
    std::error_code error;
    const std::filesystem::path file = ResolveReportFile(request);
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) {
        return kStatusNoCustomMatch;
    }
    const std::string name = AsciiUpper(file.filename().string());
    const std::string category = AsciiUpper(request.param(1));
    const bool matches = Part(name, 2, 2) == category && Lookup(kEnvironments, Part(name, 1, 1)) != nullptr &&
                         Lookup(kReportKinds, Part(name, 4, 1)) != nullptr;
    return matches ? kStatusCustomMatch : kStatusNoCustomMatch;
}

} // namespace

int BuildBcbsmnListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                           std::string& line)
{
    const std::string upperName = AsciiUpper(name);
    const std::string received = FindReceivedName(file);
    const std::string_view describedName = received.empty() ? std::string_view(upperName) : std::string_view(received);
    std::optional<DateTimeParts> date = ArchiveNameDate(upperName, request.settings().pivotYear);
    if (!date) {
        date = DayOfYearDate(AsciiUpper(describedName));
    }
    if (!date) {
        date = FileLocalDateTime(file);
    }
    if (!date) {
        date = CurrentLocalDateTime();
    }
    line = JoinListingFields({FormatSortDate(*date), "1200", upperName, FormatDisplayDate(*date),
                              DescribeBcbsmnName(describedName), upperName});
    return kStatusSuccess;
}

namespace {

int CreateBcbsmnListing(const ReportRequest& request)
{
    return WriteDirectoryListing(request, ListingLineBuilder(BuildBcbsmnListingLine));
}

int GenerateBcbsmnReport(const ReportRequest& request)
{
    return GenerateCarriageControlReport(request, CarriageControl::Full);
}

int BuildBcbsmn2ListingLine(const std::filesystem::path& file, std::string_view name, const ReportRequest& request,
                            std::string& line)
{
    const DateTimeParts time = FileDateTimeOrNow(file);
    const std::string date = FormatDisplayDate(time);
    std::string description;
    ReportInputFile in;
    if (in.open(file)) {
        std::string text;
        for (int number = 1; number <= 3 && !in.atEnd(); ++number) {
            ReadTextLine(in, text);
            if (number == 3) {
                description = TrimBlanks(text);
            }
        }
    }
    if (description.empty()) {
        description = std::string(request.reportDesc()) + " - " + date;
    }
    line = ListingLine(time, ListingTime::HoursMinutes, name, {description});
    return kStatusSuccess;
}

int CreateBcbsmn2Listing(const ReportRequest& request)
{
    return WriteDirectoryListing(request, ListingLineBuilder(BuildBcbsmn2ListingLine));
}

} // namespace

// Errors creating or writing the BCBSMN_TEXT report file leave the export; the BCBSMN_2_TEXT report is a copy,
// whose failure answers 5.
constinit const ReportFormat kBcbsmnTextFormat{
    "BCBSMN_TEXT",   kTypeBcbsmnText,   CreateBcbsmnListing,       GenerateBcbsmnReport,
    MatchBcbsmnName, StampReceivedName, OutputFailure::LeaveExport};
constinit const ReportFormat kBcbsmn2TextFormat{
    "BCBSMN_2_TEXT",     kTypeBcbsmn2Text, CreateBcbsmn2Listing,       CopyTextReport,
    AnswerNoCustomMatch, AnswerSuccess,    OutputFailure::AnswerStatus};

} // namespace talmere
