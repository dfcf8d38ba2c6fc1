#include "library/clearinghouse/AvailityIbr.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/clearinghouse/AvailityReport.h"
#include "library/frame/ColumnTable.h"

#include <utility>

namespace talmere {

namespace {

constexpr int kIbrLabelWidth = 20;
constexpr int kIbrSelectionCount = 5;

// Reads IBR records into the buffer. A record that is invalid leaves the buffer as it was.
class IbrRecordReader {
public:
    static constexpr bool kSkipDashLines = false;
    static constexpr bool kTyped = true;

    // "1", "2", "3" or "3E"; empty for any other type.
    static std::string readType(std::string_view& line) { return ReadRecordType(line, {"1", "2", "3", "3E"}); }
    // A file record, its payers, each payer's claims, each claim's errors.
    static void allowAfter(std::string_view type, AllowedRecords& allowed);

    bool readFields(std::string_view type, std::string_view fields);
    const TAvailityIBRCompositeInfo& buffer() const { return m_buffer; }

private:
    TAvailityIBRCompositeInfo m_buffer;
    TAvailityIBRCompositeInfo m_scratch;
    std::string m_unused;
};

void IbrRecordReader::allowAfter(std::string_view type, AllowedRecords& allowed)
{
    if (type == "1") {
        allowed.allow({"1", "2"});
    } else if (type == "2") {
        allowed.allow({"1", "2", "3"});
    } else if (type == "3" || type == "3E") {
        allowed.allow({"1", "2", "3", "3E"});
    } else {
        allowed.allow({"1"});
    }
}

bool IbrRecordReader::readFields(std::string_view type, std::string_view fields)
{
    RecordFieldReader take(fields);
    if (type == "1") {
        TAvailityIBRRecord1Info& r = m_scratch.record1;
        std::string date;
        std::string time;
        take(date, true)(time, true)(m_unused, true)(r.batchId, true)(r.fileControlNumber, false)(
            r.receivedCount, false)(r.receivedCharges, false)(r.acceptedCount, false)(r.acceptedCharges, false)(
            r.rejectedCount, false)(r.rejectedCharges,
                                    false)(r.messages, false)(r.customerId, false)(r.fileId, false)(r.fileName, false);
        if (!take.ok()) {
            return false;
        }
        const std::optional<DateTimeParts> received = ReadAvailityDateTime(date, time);
        if (!received) {
            return false;
        }
        r.dateReceived = *received;
        std::swap(m_buffer.record1, r);
    } else if (type == "2") {
        TAvailityIBRRecord2Info& r = m_scratch.record2;
        take(r.payerName, true)(r.receivedCount, true)(r.acceptedCount, true)(r.receivedCharges, true)(
            r.acceptedCharges, true)(r.rejectedCount, true)(r.rejectedCharges, false)(r.payerId, false);
        if (!take.ok()) {
            return false;
        }
        std::swap(m_buffer.record2, r);
    } else if (type == "3") {
        TAvailityIBRRecord3Info& r = m_scratch.record3;
        std::string secondTrace;
        take(r.patientName, true)(r.fromDate, true)(r.toDate, true)(r.patientControlNumber, true)(r.charge, true)(
            r.billingProviderId, true)(r.clearinghouseNumber, true)(r.traceNumber, false)(secondTrace, false)(
            r.batchId, false)(r.statusCode, false);
        if (!take.ok()) {
            return false;
        }
        r.fromDate = ReformatAvailityDate(r.fromDate);
        r.toDate = ReformatAvailityDate(r.toDate);
        if (!secondTrace.empty() && secondTrace != "NA") {
            r.traceNumber = std::move(secondTrace);
        }
        std::swap(m_buffer.record3, r);
    } else {
        TAvailityIBRRecord3EInfo& r = m_scratch.record3E;
        if (!ReadErrorRecord(fields, r, m_unused)) {
            return false;
        }
        std::swap(m_buffer.record3E, r);
    }
    return true;
}

int BuildIbrListingLine(ReportInputFile& in, const std::filesystem::path&, std::string_view name, std::string& line)
{
    AvailityListing listing;
    ClaimCounts counts;
    // The file records and the payer records both count their claims.
    auto count = [&counts](const auto& r) {
        counts.received += ReadCount(r.receivedCount);
        counts.accepted += ReadCount(r.acceptedCount);
        counts.rejected += ReadCount(r.rejectedCount);
    };
    RecordSequence<IbrRecordReader> records(in);
    while (records.nextRecord()) {
        const TAvailityIBRCompositeInfo& record = records.buffer();
        if (records.type() == "1") {
            listing.addHeading(record.record1);
            count(record.record1);
        } else if (records.type() == "2") {
            listing.addPayer(record.record2.payerName);
            count(record.record2);
        }
    }
    return listing.lineWithCounts(name, counts, line);
}

// The IBR report text, record by record.
class IbrReportWriter : public AvailityReportWriter {
public:
    using AvailityReportWriter::AvailityReportWriter;

    void writeRecord(const std::string& type, const TAvailityIBRCompositeInfo& record)
    {
        writeSeparation();
        if (type == "1") {
            writeFile(record.record1);
        } else if (type == "2") {
            writePayer(record.record2);
        } else if (type == "3") {
            writeClaim(record.record3);
        } else {
            writeError(record.record3E);
        }
        m_previous = type;
    }

    void end() { writeSeparation(); }

private:
    // Before each record, and once more at the end of the file.
    void writeSeparation()
    {
        if (m_previous == "1" || m_previous == "3" || m_previous == "3E" || (m_previous == "2" && !m_fileTotals)) {
            m_text.blankLine();
        }
    }

    void writeFile(const TAvailityIBRRecord1Info& r)
    {
        if (m_firstFile) {
            const std::optional<int> count = ParseInteger(TrimBlanks(r.receivedCount));
            m_fileTotals = count && *count > 0;
        } else {
            WriteRule(m_text, '=');
        }
        m_firstFile = false;
        m_fileJustSeen = true;
        if (IsShown(r.messages)) {
            m_text.wrapped(kIbrLabelWidth, m_wrapWidth, "Availity Messages:", r.messages);
            m_text.blankLine();
        }
        WriteFileHeading(m_text, kIbrLabelWidth, kBatchFileHeading, r);
        if (m_fileTotals) {
            m_text.blankLine();
            WriteTotalsLine(m_text, "Received Claims:", r.receivedCount, r.receivedCharges);
            WriteTotalsLine(m_text, "Accepted Claims:", r.acceptedCount, r.acceptedCharges);
            WriteTotalsLine(m_text, "Rejected Claims:", r.rejectedCount, r.rejectedCharges);
        }
    }

    void writePayer(const TAvailityIBRRecord2Info& r)
    {
        m_payerName = r.payerName;
        m_payerId = r.payerId;
        const bool afterFile = m_fileJustSeen;
        m_fileJustSeen = false;
        if (m_fileTotals) {
            return;
        }
        if (!afterFile) {
            WriteRule(m_text, '=');
        }
        m_text.start("Payer Name:", kIbrLabelWidth).text(r.payerName).end();
        WriteTotalsLine(m_text, "Received Claims:", r.receivedCount, r.receivedCharges);
        WriteTotalsLine(m_text, "Accepted Claims:", r.acceptedCount, r.acceptedCharges);
        WriteTotalsLine(m_text, "Rejected Claims:", r.rejectedCount, r.rejectedCharges);
    }

    void writeClaim(const TAvailityIBRRecord3Info& r)
    {
        WriteRule(m_text, '-');
        if (m_fileTotals) {
            m_text.start("Payer Name:", kIbrLabelWidth)
                .left(m_payerName, 22)
                .text(" ")
                .left("Payer ID:", 18)
                .text(m_payerId)
                .end();
            m_text.start("Batch ID:", kIbrLabelWidth)
                .left(r.batchId, 22)
                .text(" ")
                .left("Status:", 18)
                .text(AvailityStatusText(r.statusCode))
                .end();
        }
        m_text.start("Patient Name:", kIbrLabelWidth)
            .left(r.patientName, 22)
            .text(" ")
            .left("Patient Ctrl No:", 18)
            .text(r.patientControlNumber)
            .end();
        m_text.start("From Date:", kIbrLabelWidth)
            .left(r.fromDate, 22)
            .text(" ")
            .left("To Date:", 18)
            .text(r.toDate)
            .end();
        m_text.start("Charge:", kIbrLabelWidth)
            .left(FormatAvailityAmount(r.charge), 22)
            .text(" ")
            .left("Billing Prov ID:", 18)
            .text(r.billingProviderId)
            .end();
        m_text.start("Clearinghouse #:", kIbrLabelWidth)
            .left(r.clearinghouseNumber, 22)
            .text(" ")
            .left("Availity Trace #:", 18)
            .text(r.traceNumber)
            .end();
    }

    void writeError(const TAvailityIBRRecord3EInfo& r)
    {
        if (IsShown(r.initiator) || IsShown(r.code)) {
            m_text.start("Error Inititator:", kIbrLabelWidth)
                .left(r.initiator, 22)
                .text(" ")
                .left("Error Code:", 18)
                .text(r.code)
                .end();
        }
        m_text.wrapped(kIbrLabelWidth, m_wrapWidth, "Error Message:", r.message);
        if (IsShown(r.loop) || IsShown(r.segment) || IsShown(r.element) || IsShown(r.version)) {
            WriteErrorLocationLine(m_text, kIbrLabelWidth, r.loop, r.segment, r.element, r.version);
        }
    }

    std::string m_previous;
    bool m_firstFile = true;
    bool m_fileJustSeen = false;
    bool m_fileTotals = false;
    std::string m_payerName;
    std::string m_payerId;
};

// The IBR claim selection: file and payer records are headings, a claim's errors are its parts; a claim is
// selected by its own record.
class IbrSelector : public ClaimSelector<5> {
public:
    using ClaimSelector::ClaimSelector;

    static SelectionRole role(std::string_view type) { return BatchSelectionRole(type); }

    ClaimVerdict claimVerdict(const TAvailityIBRCompositeInfo& record) const
    {
        const TAvailityIBRRecord3Info& claim = record.record3;
        return Verdict(ClaimMatchesValues(m_values, record.record2, claim.patientControlNumber, claim.patientName,
                                          claim.billingProviderId) &&
                       statusMatches(claim.statusCode));
    }
};

constexpr ClaimReportType kIbr =
    MakeClaimReportType<IbrRecordReader, IbrReportWriter, IbrSelector>(kIbrSelectionCount, BuildIbrListingLine);

} // namespace

constinit const ReportFormat kAvailityIbrFormat = ClaimReportFormat<kIbr>("AVAILITY_IBR", kTypeAvailityIbr);

} // namespace talmere
