#include "library/clearinghouse/AvailityDpr.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/clearinghouse/AvailityReport.h"
#include "library/frame/ColumnTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace talmere {

namespace {

constexpr int kDprLabelWidth = 21;
constexpr int kDprSelectionCount = 7;
constexpr FileHeadingLayout kDprFileHeading{26, "  Time Received:    ", "  File Control No:  "};

// Seconds and hundredths of a time stamp may be blank or missing.
std::optional<int> OptionalPart(std::string_view text)
{
    const std::string_view part = TrimBlanks(text);
    return part.empty() ? std::optional<int>(0) : ReadDigits(part);
}

} // namespace

std::optional<DateTimeParts> ReadDprTimeStamp(std::string_view stamp)
{
    const std::optional<int> year = ReadDigits(TextPart(stamp, 1, 4));
    const std::optional<int> month = ReadDigits(TextPart(stamp, 5, 2));
    const std::optional<int> day = ReadDigits(TextPart(stamp, 7, 2));
    const std::optional<int> hour = ReadDigits(TextPart(stamp, 9, 2));
    const std::optional<int> minute = ReadDigits(TextPart(stamp, 11, 2));
    const std::optional<int> second = OptionalPart(TextPart(stamp, 13, 2));
    const std::optional<int> hundredths = OptionalPart(TextPart(stamp, 15, 2));
    if (!year || !month || !day || !hour || !minute || !second || !hundredths || !IsValidDate(*year, *month, *day) ||
        *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    return DateTimeParts{*year, *month, *day, *hour, *minute, *second, *hundredths};
}

std::string ReformatDprDate(std::string_view value)
{
    std::string date(TrimBlanks(value));
    if (date.size() == 7 && AllDigits(date)) {
        date.insert(date.begin(), date[0] == '9' ? '1' : '2');
    }
    if (date.size() == 8 && AllDigits(date)) {
        const int month = (date[4] - '0') * 10 + (date[5] - '0');
        if (month >= 1 && month <= 12) {
            return MonthDayYear(date.substr(0, 4), date.substr(4, 2), date.substr(6, 2));
        }
        return MonthDayYear(date.substr(4, 4), date.substr(0, 2), date.substr(2, 2));
    }
    if (date.size() == 10 && AllDigits(date.substr(0, 4)) && AllDigits(date.substr(5, 2)) &&
        AllDigits(date.substr(8, 2)) && !IsDigit(date[4]) && !IsDigit(date[7])) {
        return MonthDayYear(date.substr(0, 4), date.substr(5, 2), date.substr(8, 2));
    }
    return std::string(value);
}

std::string FormatDprAmount(std::string_view value)
{
    const std::string_view trimmed = TrimBlanks(value);
    std::string_view amount = trimmed;
    while (!amount.empty() && amount.front() == '0') {
        amount.remove_prefix(1);
    }
    if (amount == ".00" || amount == ".0" || amount == "." || (amount.empty() && !trimmed.empty())) {
        return "0";
    }
    return std::string(amount);
}

void SplitDprMessages(std::string_view field, std::vector<TAvailityDPRRecordCSTMessageInfo>& messages)
{
    messages.clear();
    std::string_view rest = TrimBlanks(field);
    while (!rest.empty()) {
        const std::size_t backslash = rest.find('\\');
        const std::string_view message = TrimBlanks(rest.substr(0, backslash));
        rest = backslash == std::string_view::npos ? std::string_view() : rest.substr(backslash + 1);
        if (message.empty()) {
            continue;
        }
        TAvailityDPRRecordCSTMessageInfo& info = messages.emplace_back();
        char separator = 0;
        if (std::count(message.begin(), message.end(), '^') >= 5) {
            separator = '^';
        } else if (std::count(message.begin(), message.end(), '+') >= 5) {
            separator = '+';
        }
        if (separator == 0) {
            info.text = message;
            continue;
        }
        std::array<std::string*, 6> parts{&info.type, &info.code,      &info.text,
                                          &info.loop, &info.segmentId, &info.element};
        std::string_view remaining = message;
        for (std::size_t i = 0; i < 5; ++i) {
            const std::size_t at = remaining.find(separator);
            *parts[i] = TrimBlanks(remaining.substr(0, at));
            remaining.remove_prefix(at + 1);
        }
        *parts[5] = TrimBlanks(remaining);
    }
}

namespace {

// Reads DPR records into the buffer. A record that is invalid leaves the buffer as it was.
class DprRecordReader {
public:
    // Lines of dashes between the records are left out.
    static constexpr bool kSkipDashLines = true;
    static constexpr bool kTyped = true;

    // "DPR" or "CST"; empty for any other type.
    static std::string readType(std::string_view& line) { return ReadRecordType(line, {"DPR", "CST"}); }
    // A heading first; then headings and claims in any order.
    static void allowAfter(std::string_view type, AllowedRecords& allowed)
    {
        if (type.empty()) {
            allowed.allow({"DPR"});
        } else {
            allowed.allow({"DPR", "CST"});
        }
    }

    bool readFields(std::string_view type, std::string_view fields);
    const TAvailityDPRCompositeInfo& buffer() const { return m_buffer; }

private:
    TAvailityDPRCompositeInfo m_buffer;
    TAvailityDPRCompositeInfo m_scratch;
    std::string m_stamp;
    std::string m_messages;
};

bool DprRecordReader::readFields(std::string_view type, std::string_view fields)
{
    RecordFieldReader take(fields, true);
    if (type == "DPR") {
        TAvailityDPRRecordDPRInfo& r = m_scratch.heading;
        take(m_stamp, true)(r.batchId, true)(r.fileControlNumber, false)(r.customerId, false)(r.fileId,
                                                                                              false)(r.fileName, false);
        const std::optional<DateTimeParts> received = take.ok() ? ReadDprTimeStamp(m_stamp) : std::nullopt;
        if (!received) {
            return false;
        }
        r.dateReceived = *received;
        std::swap(m_buffer.heading, r);
    } else {
        TAvailityDPRRecordCSTInfo& r = m_scratch.claim;
        take(r.identification, true)(r.patientAccountNumber, true)(r.payerId, true)(r.billingProviderId, true)(
            r.patientName, true)(r.serviceFromDate, true)(r.totalCharges, true)(r.processDate, true)(m_messages, true)(
            r.billingProviderNpi, false)(r.processStatus, false)(r.payerClaimNumber, false)(r.submitterName, false)(
            r.billingProviderName, false)(r.payerName, false)(r.traceId, false);
        if (!take.ok()) {
            return false;
        }
        r.serviceFromDate = ReformatDprDate(r.serviceFromDate);
        r.processDate = ReformatDprDate(r.processDate);
        SplitDprMessages(m_messages, r.messages);
        std::swap(m_buffer.claim, r);
    }
    return true;
}

int BuildDprListingLine(ReportInputFile& in, const std::filesystem::path&, std::string_view name, std::string& line)
{
    AvailityListing listing;
    bool haveClaim = false;
    RecordSequence<DprRecordReader> records(in);
    while (records.nextRecord()) {
        if (records.type() == "DPR") {
            listing.addHeading(records.buffer().heading);
        } else {
            listing.addPayer(records.buffer().claim.payerId);
            haveClaim = true;
        }
    }
    // A file is listed when a claim follows its heading.
    if (!haveClaim) {
        return kStatusInvalidRecord;
    }
    line = listing.line(name);
    return kStatusSuccess;
}

class DprReportWriter : public AvailityReportWriter {
public:
    using AvailityReportWriter::AvailityReportWriter;

    void writeRecord(const std::string& type, const TAvailityDPRCompositeInfo& record)
    {
        writeSeparation();
        if (type == "DPR") {
            writeHeading(record.heading);
        } else {
            writeClaim(record.claim);
        }
        m_previous = type;
    }

    void end() { writeSeparation(); }

private:
    // Before each record but the first, and once more at the end of the file.
    void writeSeparation()
    {
        if (!m_previous.empty()) {
            m_text.blankLine();
        }
    }

    void labelLine(std::string_view label, std::string_view value)
    {
        m_text.start(label, kDprLabelWidth).text(value).end();
    }

    void writeHeading(const TAvailityDPRRecordDPRInfo& r)
    {
        WriteFileHeading(m_text, kDprLabelWidth, kDprFileHeading, r);
    }

    void writeClaim(const TAvailityDPRRecordCSTInfo& r)
    {
        labelLine("  Patient Acct No:", r.patientAccountNumber);
        labelLine("  Patient Name:", r.patientName);
        labelLine("  Total Charges:", FormatDprAmount(r.totalCharges));
        labelLine("  Service From Date:", r.serviceFromDate);
        if (!r.processStatus.empty()) {
            m_text.start("  Process Date/Stat:", kDprLabelWidth)
                .text(r.processDate)
                .text(" / ")
                .text(r.processStatus)
                .end();
        } else {
            labelLine("  Process Date:", r.processDate);
        }
        labelLine("  Billing Prov Name:", r.billingProviderName);
        labelLine("  Billing Prov ID:", r.billingProviderId);
        labelLine("  Billing Prov NPI:", r.billingProviderNpi);
        labelLine("  Submitter Name:", r.submitterName);
        if (IsShown(r.payerName)) {
            m_text.start("  Payer ID/Name:", kDprLabelWidth).text(r.payerId).text(" / ").text(r.payerName).end();
        } else {
            labelLine("  Payer ID:", r.payerId);
        }
        labelLine("  Payer Claim No:", r.payerClaimNumber);
        labelLine("  Batch/Payer/Claim:", r.identification);
        labelLine("  Trace ID:", r.traceId);
        writeMessages(r.messages);
    }

    void writeMessages(const std::vector<TAvailityDPRRecordCSTMessageInfo>& messages)
    {
        // A message whose type, code and location repeat those of the message before it shows its text alone.
        const TAvailityDPRRecordCSTMessageInfo* previous = nullptr;
        for (const TAvailityDPRRecordCSTMessageInfo& m : messages) {
            const bool repeats = previous != nullptr && m.type == previous->type && m.code == previous->code &&
                                 m.loop == previous->loop && m.segmentId == previous->segmentId &&
                                 m.element == previous->element;
            // Before the first message the remembered parts are "INVALID" each.
            const bool repeatsStart = previous == nullptr && m.type == "INVALID" && m.code == "INVALID" &&
                                      m.loop == "INVALID" && m.segmentId == "INVALID" && m.element == "INVALID";
            if (repeats || repeatsStart) {
                m_text.wrapped(kDprLabelWidth, m_wrapWidth, std::string(15, ' '), m.text);
            } else {
                if (IsShown(m.type) || IsShown(m.code)) {
                    m_text.start("  Message Type/Code:", kDprLabelWidth).text(m.type).text(" / ").text(m.code).end();
                }
                m_text.wrapped(kDprLabelWidth, m_wrapWidth, "  Message Text:", m.text);
                if (IsShown(m.loop) || IsShown(m.segmentId) || IsShown(m.element)) {
                    WriteMessageLocationLine(m_text, "  Message Loop: ", kDprLabelWidth, m.loop, m.segmentId,
                                             m.element);
                }
            }
            previous = &m;
        }
    }

    std::string m_previous;
};

// The DPR claim selection: a heading record heads the claims after it; a claim is one record, selected by its
// own fields and messages.
class DprSelector : public ClaimSelector<7> {
public:
    using ClaimSelector::ClaimSelector;

    static SelectionRole role(std::string_view type)
    {
        return type == "DPR" ? SelectionRole::FileHeading : SelectionRole::Claim;
    }

    ClaimVerdict claimVerdict(const TAvailityDPRCompositeInfo& record) const
    {
        const TAvailityDPRRecordCSTInfo& claim = record.claim;
        return Verdict(
            m_values.fieldBeginsWith(1, claim.patientAccountNumber) && m_values.fieldBeginsWith(2, claim.patientName) &&
            m_values.fieldBeginsWith(3, claim.payerId) && m_values.fieldBeginsWith(4, claim.payerName) &&
            m_values.fieldBeginsWith(5, claim.billingProviderId) &&
            m_values.fieldBeginsWith(6, claim.billingProviderName) &&
            (!statusAsked() ||
             std::any_of(claim.messages.begin(), claim.messages.end(),
                         [this](const TAvailityDPRRecordCSTMessageInfo& m) { return statusListed(m.type); })));
    }
};

constexpr ClaimReportType kDpr =
    MakeClaimReportType<DprRecordReader, DprReportWriter, DprSelector>(kDprSelectionCount, BuildDprListingLine);

} // namespace

constinit const ReportFormat kAvailityDprFormat = ClaimReportFormat<kDpr>("AVAILITY_DPR", kTypeAvailityDpr);

} // namespace talmere
