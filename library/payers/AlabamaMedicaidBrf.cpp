#include "library/payers/AlabamaMedicaidBrf.h"
#include "library/payers/AlabamaMedicaidBrfRecords.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/ClaimReport.h"
#include "library/frame/ColumnTable.h"
#include "library/frame/Formatting.h"
#include "library/frame/ListingDriver.h"
#include "library/frame/OperatingSystem.h"

#include <algorithm>

namespace talmere {

namespace {

constexpr int kBrfLabelWidth = 20;
constexpr int kBrfSelectionCount = 5;
constexpr std::size_t kFirstErrorPosition = 184;
constexpr std::size_t kErrorLength = 59;

// The field at a 1-based position, trimmed; empty when the line is shorter.
std::string_view Field(std::string_view line, std::size_t position, std::size_t length)
{
    return position - 1 < line.size() ? TrimBlanks(line.substr(position - 1, length)) : std::string_view();
}

} // namespace

bool ReadBrfRecord(std::string_view line, TAlabamaMedicaidBFRRecordInfo& r)
{
    r.tradingPartnerId = Field(line, 1, 15);
    r.fileTrackingId = Field(line, 16, 9);
    r.internalControlNumber = Field(line, 25, 13);
    r.claimStatus = Field(line, 38, 1);
    r.totalDetailCount = Field(line, 39, 4);
    r.providerId = Field(line, 43, 15);
    r.medicaidId = Field(line, 58, 15);
    r.recipientId = Field(line, 73, 12);
    r.patientAccountNumber = Field(line, 86, 38);
    r.medicalRecordNumber = Field(line, 124, 30);
    r.firstServiceDate = Field(line, 154, 8);
    r.billedAmount = Field(line, 162, 9);
    r.paidAmount = Field(line, 171, 9);
    r.errorCount = Field(line, 180, 4);
    for (int k = 0; k < r.errorsRead; ++k) {
        r.errors[static_cast<std::size_t>(k)] = {};
    }
    r.errorsRead = std::clamp(ParseInteger(r.errorCount).value_or(0), 0, kBrfMostErrors);
    for (int k = 0; k < r.errorsRead; ++k) {
        const std::size_t start = kFirstErrorPosition + kErrorLength * static_cast<std::size_t>(k);
        TAlabamaMedicaidBFRErrorRecordInfo& error = r.errors[static_cast<std::size_t>(k)];
        error.status = Field(line, start + 4, 1);
        error.code = Field(line, start + 5, 4);
        error.message = Field(line, start + 9, 50);
    }
    return !r.tradingPartnerId.empty();
}

std::string BrfStatusText(std::string_view code)
{
    if (code == "P") {
        return "P (paid)";
    }
    if (code == "S") {
        return "S (suspended)";
    }
    if (code == "D") {
        return "D (denied)";
    }
    return std::string(code);
}

std::string FormatBrfAmount(std::string_view amount)
{
    const std::string_view trimmed = TrimBlanks(amount);
    if (trimmed.empty()) {
        return "NA";
    }
    std::string result(trimmed);
    result.insert(result.size() >= 2 ? result.size() - 2 : 0, ".");
    std::size_t zeros = 0;
    while (result.size() - zeros > 4 && result[zeros] == '0') {
        ++zeros;
    }
    return result.substr(zeros);
}

namespace {

// Reads BRF lines into the record: fixed-width records without a type, any of which may come anywhere.
class BrfRecordReader {
public:
    static constexpr bool kSkipDashLines = false;
    static constexpr bool kTyped = false;

    bool readFields(std::string_view, std::string_view line) { return ReadBrfRecord(line, m_buffer); }
    const TAlabamaMedicaidBFRRecordInfo& buffer() const { return m_buffer; }

private:
    TAlabamaMedicaidBFRRecordInfo m_buffer;
};

int BuildBrfListingLine(ReportInputFile& in, const std::filesystem::path& file, std::string_view name,
                        std::string& line)
{
    const DateTimeParts time = FileDateTimeOrNow(file);
    int status = kStatusInvalidRecord;
    RecordSequence<BrfRecordReader> records(in);
    std::string firstTrackingId;
    std::int64_t paid = 0;
    std::int64_t suspended = 0;
    std::int64_t denied = 0;
    while (records.nextRecord()) {
        const TAlabamaMedicaidBFRRecordInfo& record = records.buffer();
        if (status != kStatusSuccess) {
            firstTrackingId = record.fileTrackingId;
            status = kStatusSuccess;
        }
        paid += record.claimStatus == "P";
        suspended += record.claimStatus == "S";
        denied += record.claimStatus == "D";
    }
    if (status != kStatusSuccess) {
        return status;
    }
    line = ListingLine(time, ListingTime::WithSeconds, name,
                       {firstTrackingId, std::to_string(paid), std::to_string(suspended), std::to_string(denied)});
    return kStatusSuccess;
}

// The BRF report text, claim by claim, headed by the time of the report file.
class BrfReportWriter {
public:
    BrfReportWriter(ReportText& text, const ClaimReportContext& context)
        : m_text(text), m_reportFile(context.reportFile)
    {
    }

    void writeRecord(const std::string&, const TAlabamaMedicaidBFRRecordInfo& r)
    {
        ReportText& line = m_text;
        if (m_first) {
            // The time of the report file itself, also when a selection of it is reported.
            const DateTimeParts time = FileDateTimeOrNow(m_reportFile);
            line.start("File Date/Time:", kBrfLabelWidth)
                .text(FormatDisplayDate(time))
                .text("  ")
                .text(FormatDisplayTime(time))
                .end();
            line.blankLine();
            m_first = false;
        }
        line.start("Trading Partner ID:", kBrfLabelWidth)
            .left(r.tradingPartnerId, 22)
            .text(" File Tracking ID:  ")
            .text(r.fileTrackingId)
            .end();
        line.start("Internal Cntrl No:", kBrfLabelWidth)
            .left(r.internalControlNumber, 22)
            .text(" Claim Status:  ")
            .text(BrfStatusText(r.claimStatus))
            .end();
        line.start("Total Detail Count:", kBrfLabelWidth)
            .left(std::to_string(ParseInteger(r.totalDetailCount).value_or(0)), 22)
            .text(" Provider ID:  ")
            .text(r.providerId)
            .end();
        line.start("Medicaid ID:", kBrfLabelWidth)
            .left(r.medicaidId, 22)
            .text(" Recipient ID:  ")
            .text(r.recipientId)
            .end();
        const std::string_view date = r.firstServiceDate;
        line.start("Patient Acct No:", kBrfLabelWidth)
            .left(r.patientAccountNumber, 22)
            .text(" First Service Date: ")
            .text(date.substr(std::min<std::size_t>(4, date.size()), 2))
            .text("/")
            .text(date.substr(std::min<std::size_t>(6, date.size()), 2))
            .text("/")
            .text(date.substr(0, 4))
            .end();
        if (!r.medicalRecordNumber.empty()) {
            line.start("Medical Record No:", kBrfLabelWidth).left(r.medicalRecordNumber, 30).end();
        }
        line.start("Billed Amount:", kBrfLabelWidth)
            .left(FormatBrfAmount(r.billedAmount), 22)
            .text(" Paid Amount: ")
            .text(FormatBrfAmount(r.paidAmount))
            .end();
        for (int k = 0; k < r.errorsRead; ++k) {
            const TAlabamaMedicaidBFRErrorRecordInfo& error = r.errors[static_cast<std::size_t>(k)];
            line.start({}, 0).text("Error # ").text(std::to_string(k + 1)).text(" Details:").end();
            line.start({}, 0)
                .text("  Status = ")
                .text(BrfStatusText(error.status))
                .text("  ;  Error Code = ")
                .text(error.code)
                .end();
            line.start({}, 0).text("  Message = ").text(error.message).end();
        }
        line.blankLine();
    }

    void end() {}

private:
    ReportText& m_text;
    std::filesystem::path m_reportFile;
    bool m_first = true;
};

// The BRF claim selection: every record is a claim of its own, selected by its fields.
class BrfSelector : public ClaimSelector<5> {
public:
    using ClaimSelector::ClaimSelector;

    static SelectionRole role(std::string_view) { return SelectionRole::Claim; }

    ClaimVerdict claimVerdict(const TAlabamaMedicaidBFRRecordInfo& r) const
    {
        return Verdict(m_values.fieldBeginsWith(1, r.patientAccountNumber) &&
                       m_values.fieldBeginsWith(2, r.recipientId) &&
                       m_values.fieldBeginsWith(3, r.internalControlNumber) &&
                       m_values.fieldBeginsWith(4, r.providerId) && statusMatches(r.claimStatus));
    }
};

constexpr ClaimReportType kBrf =
    MakeClaimReportType<BrfRecordReader, BrfReportWriter, BrfSelector>(kBrfSelectionCount, BuildBrfListingLine);

} // namespace

constinit const ReportFormat kAlabamaMedicaidBrfFormat =
    ClaimReportFormat<kBrf>("ALABAMA_MEDICAID_BRF", kTypeAlabamaMedicaidBrf);

} // namespace talmere
