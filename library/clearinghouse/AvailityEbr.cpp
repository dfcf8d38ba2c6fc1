#include "library/clearinghouse/AvailityEbr.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/clearinghouse/AvailityReport.h"
#include "library/frame/ColumnTable.h"

#include <optional>
#include <utility>

namespace talmere {

namespace {

constexpr int kEbrLabelWidth = 20;
constexpr int kEbrSelectionCount = 5;

bool IsClaimPart(std::string_view type)
{
    return type == "3" || type == "3A" || type == "3C" || type == "3E";
}

// Reads EBR records into the buffer. A record that is invalid leaves the buffer as it was.
class EbrRecordReader {
public:
    static constexpr bool kSkipDashLines = false;
    static constexpr bool kTyped = true;

    // The record's type; empty for a type that EBR files do not have.
    static std::string readType(std::string_view& line)
    {
        return ReadRecordType(line, {"1", "1E", "2", "2E", "3", "3A", "3C", "3E"});
    }
    // A file record with its messages, its payers with theirs, each payer's claims, and below each claim
    // sub-records of one kind only (adjudications, messages or errors).
    static void allowAfter(std::string_view type, AllowedRecords& allowed);

    bool readFields(std::string_view type, std::string_view fields);
    const TAvailityEBRCompositeInfo& buffer() const { return m_buffer; }

private:
    TAvailityEBRCompositeInfo m_buffer;
    TAvailityEBRCompositeInfo m_scratch;
    std::string m_first;
    std::string m_second;
    std::string m_unused;
};

bool EbrRecordReader::readFields(std::string_view type, std::string_view fields)
{
    RecordFieldReader take(fields);
    if (type == "1") {
        TAvailityEBRRecord1Info& r = m_scratch.record1;
        take(m_first, true)(m_second, true)(m_unused, true)(r.batchId, true)(r.fileControlNumber, false)(
            r.customerId, false)(r.fileId, false)(r.fileName, false);
        const std::optional<DateTimeParts> received =
            take.ok() ? ReadAvailityDateTime(m_first, m_second) : std::nullopt;
        if (!received) {
            return false;
        }
        r.dateReceived = *received;
        std::swap(m_buffer.record1, r);
    } else if (type == "1E" || type == "2E") {
        if (type == "1E") {
            take(m_first, false)(m_second, false);
            m_buffer.record1E.message = TrimBlanks(m_first + " " + m_second);
        } else {
            take(m_unused, true)(m_second, false);
            if (!take.ok()) {
                return false;
            }
            m_buffer.record2E.message = m_second;
        }
    } else if (type == "2") {
        TAvailityEBRRecord2Info& r = m_scratch.record2;
        take(r.payerName, true)(r.receivedCount, true)(r.acceptedCount, false)(r.receivedCharges, false)(
            r.acceptedCharges, false)(r.rejectedCount, false)(r.rejectedCharges, false)(r.payerId, false);
        if (!take.ok()) {
            return false;
        }
        std::swap(m_buffer.record2, r);
    } else if (type == "3") {
        TAvailityEBRRecord3Info& r = m_scratch.record3;
        take(r.patientName, true)(r.fromDate, true)(r.toDate, true)(r.patientControlNumber, true)(r.charge, true)(
            r.billingProviderId, true)(r.clearinghouseNumber, true)(r.payerClaimNumber, true)(r.traceNumber, false);
        if (!take.ok()) {
            return false;
        }
        r.fromDate = ReformatAvailityDate(r.fromDate);
        r.toDate = ReformatAvailityDate(r.toDate);
        std::swap(m_buffer.record3, r);
    } else if (type == "3A") {
        TAvailityEBRRecord3AInfo& r = m_scratch.record3A;
        take(r.billType, true)(r.allowed, true)(r.nonCovered, true)(r.deductible, true)(r.coPay, true)(
            r.coInsurance, true)(r.withhold, true)(r.estimatedPayment,
                                                   true)(r.patientOwes, true)(r.messageCode, true)(r.message, false);
        if (!take.ok()) {
            return false;
        }
        std::swap(m_buffer.record3A, r);
    } else if (type == "3C") {
        TAvailityEBRRecord3CInfo& r = m_scratch.record3C;
        take(r.initiator, true)(r.type, true)(r.code, true)(r.text, true)(r.loop, true)(r.segmentId, true)(r.element,
                                                                                                           false);
        if (!take.ok()) {
            return false;
        }
        std::swap(m_buffer.record3C, r);
    } else {
        TAvailityEBRRecord3EInfo& r = m_scratch.record3E;
        if (!ReadErrorRecord(fields, r, m_unused)) {
            return false;
        }
        std::swap(m_buffer.record3E, r);
    }
    return true;
}

void EbrRecordReader::allowAfter(std::string_view type, AllowedRecords& allowed)
{
    if (type == "1" || type == "1E") {
        allowed.allow({"1", "1E", "2"});
    } else if (type == "2" || type == "2E") {
        allowed.allow({"1", "2", "2E", "3"});
    } else if (type == "3") {
        allowed.allow({"1", "2", "3", "3A", "3C", "3E"});
    } else if (type == "3A" || type == "3C" || type == "3E") {
        allowed.allow({"1", "2", "3", type});
    } else {
        allowed.allow({"1"});
    }
}

int BuildEbrListingLine(ReportInputFile& in, const std::filesystem::path&, std::string_view name, std::string& line)
{
    AvailityListing listing;
    ClaimCounts counts;
    RecordSequence<EbrRecordReader> records(in);
    while (records.nextRecord()) {
        if (records.type() == "1") {
            listing.addHeading(records.buffer().record1);
        } else if (records.type() == "2") {
            const TAvailityEBRRecord2Info& r = records.buffer().record2;
            listing.addPayer(r.payerName);
            counts.received += ReadCount(r.receivedCount);
            counts.accepted += ReadCount(r.acceptedCount);
            // Without a rejected count the payer's rejections are what it did not accept.
            counts.rejected = r.rejectedCount.empty() ? counts.received - counts.accepted
                                                      : counts.rejected + ReadCount(r.rejectedCount);
        }
    }
    return listing.lineWithCounts(name, counts, line);
}

// The EBR report text, record by record.
class EbrReportWriter : public AvailityReportWriter {
public:
    using AvailityReportWriter::AvailityReportWriter;

    void writeRecord(const std::string& type, const TAvailityEBRCompositeInfo& record)
    {
        writeTransition(type);
        if (type == "1") {
            writeFile(record.record1);
        } else if (type == "1E") {
            appendMessage(record.record1E.message);
        } else if (type == "2") {
            writePayer(record.record2);
        } else if (type == "2E") {
            appendMessage(record.record2E.message);
        } else if (type == "3") {
            writeClaim(record.record3);
        } else if (type == "3A") {
            writeAdjudication(record.record3A);
        } else if (type == "3C") {
            writeClaimMessage(record.record3C);
        } else {
            writeError(record.record3E);
        }
        m_previous = type;
    }

    void end() { writeTransition({}); }

private:
    // What ends the records of the previous type before a record of the given type (none at the end).
    void writeTransition(std::string_view current)
    {
        if (m_previous == "1" || m_previous == "2") {
            if (current != m_previous + "E") {
                blankLine();
            }
        } else if (m_previous == "1E" || m_previous == "2E") {
            if (current != m_previous) {
                m_text.wrapped(kEbrLabelWidth, m_wrapWidth,
                               m_previous == "1E" ? "Report Message:" : "Payer Message:", m_message);
                blankLine();
            }
        } else if (IsClaimPart(m_previous)) {
            blankLine();
        }
    }

    void blankLine() { m_text.blankLine(); }

    void appendMessage(std::string_view message)
    {
        m_message += ' ';
        m_message += TrimBlanks(message);
    }

    void writeFile(const TAvailityEBRRecord1Info& r)
    {
        m_message.clear();
        if (!m_firstFile) {
            WriteRule(m_text, '=');
        }
        m_firstFile = false;
        WriteFileHeading(m_text, kEbrLabelWidth, kBatchFileHeading, r);
    }

    void writePayer(const TAvailityEBRRecord2Info& r)
    {
        m_message.clear();
        if (r.receivedCharges.empty() && r.acceptedCharges.empty() && r.rejectedCharges.empty()) {
            m_text.start("Payer:", kEbrLabelWidth)
                .left(r.payerName, 22)
                .text(" Claims Received: ")
                .text(r.receivedCount)
                .end();
            m_text.start({}, kEbrLabelWidth).spaces(22).text(" Claims Accepted: ").text(r.acceptedCount).end();
            return;
        }
        if (!r.payerId.empty()) {
            m_text.start("Payer Name:", kEbrLabelWidth)
                .left(r.payerName, 22)
                .text(" ")
                .left("Payer ID:", 18)
                .text(r.payerId)
                .end();
        } else {
            m_text.start("Payer:", kEbrLabelWidth).text(r.payerName).end();
        }
        WriteTotalsLine(m_text, "Received Claims:", r.receivedCount, r.receivedCharges);
        WriteTotalsLine(m_text, "Accepted Claims:", r.acceptedCount, r.acceptedCharges);
        WriteTotalsLine(m_text, "Rejected Claims:", r.rejectedCount, r.rejectedCharges);
    }

    void writeClaim(const TAvailityEBRRecord3Info& r)
    {
        WriteRule(m_text, '-');
        m_text.start("Patient Name:", kEbrLabelWidth).text(r.patientName).end();
        pairLine("From Date:", r.fromDate, "To Date:", r.toDate, 18);
        pairLine("Patient Control No:", r.patientControlNumber, "Charge:", FormatAvailityAmount(r.charge), 18);
        pairLine("Billing Prov ID:", r.billingProviderId, "Clearinghouse #:", r.clearinghouseNumber, 18);
        pairLine("Payer Claim #:", r.payerClaimNumber, "Availity Trace #:", r.traceNumber, 18);
    }

    void writeAdjudication(const TAvailityEBRRecord3AInfo& r)
    {
        m_text.start("Bill Type:", kEbrLabelWidth).text(r.billType).end();
        pairLine("Allowed Amt:", FormatAvailityAmount(r.allowed),
                 "Non-Covered Amt:", FormatAvailityAmount(r.nonCovered), 23);
        pairLine("Deductible Amt:", FormatAvailityAmount(r.deductible), "Co-Pay Amt:", FormatAvailityAmount(r.coPay),
                 23);
        pairLine("Co-Insurance Amt:", FormatAvailityAmount(r.coInsurance),
                 "Withhold Amt:", FormatAvailityAmount(r.withhold), 23);
        pairLine("Est. Payment Amt:", FormatAvailityAmount(r.estimatedPayment),
                 "Patient Liability Amt:", FormatAvailityAmount(r.patientOwes), 23);
        m_text.start("Message Code:", kEbrLabelWidth).text(r.messageCode).end();
        m_text.wrapped(kEbrLabelWidth, m_wrapWidth, "Message:", r.message);
    }

    void writeClaimMessage(const TAvailityEBRRecord3CInfo& r)
    {
        if (IsShown(r.initiator)) {
            m_text.start("Message Initiator:", kEbrLabelWidth).text(r.initiator).end();
        }
        if (IsShown(r.type) || IsShown(r.code)) {
            m_text.start("Message Type/Code:", kEbrLabelWidth).text(r.type).text(" / ").text(r.code).end();
        }
        m_text.wrapped(kEbrLabelWidth, m_wrapWidth, "Message:", r.text);
        if (IsShown(r.loop) || IsShown(r.segmentId) || IsShown(r.element)) {
            WriteMessageLocationLine(m_text, "Message Loop: ", kEbrLabelWidth, r.loop, r.segmentId, r.element);
        }
    }

    void writeError(const TAvailityEBRRecord3EInfo& r)
    {
        if (IsShown(r.initiator)) {
            m_text.start("Error Initiator:", kEbrLabelWidth).text(r.initiator).end();
        }
        if (IsShown(r.type) || IsShown(r.code)) {
            m_text.start("Error Type/Code:", kEbrLabelWidth).text(r.type).text(" / ").text(r.code).end();
        }
        m_text.wrapped(kEbrLabelWidth, m_wrapWidth, "Error Message:", r.message);
        if (IsShown(r.loop) || IsShown(r.segment) || IsShown(r.element) || IsShown(r.version)) {
            WriteErrorLocationLine(m_text, kEbrLabelWidth, r.loop, r.segment, r.element, r.version);
        }
    }

    // label, first value in 22, a space, the second caption in its width, the second value.
    void pairLine(std::string_view label, std::string_view first, std::string_view caption, std::string_view second,
                  std::size_t captionWidth)
    {
        m_text.start(label, kEbrLabelWidth).left(first, 22).text(" ").left(caption, captionWidth).text(second).end();
    }

    std::string m_previous;
    std::string m_message;
    bool m_firstFile = true;
};

// The EBR claim selection: file and payer records with their messages are headings, a claim's adjudications,
// messages and errors are its parts. A selection by status is decided by the claim's parts.
class EbrSelector : public ClaimSelector<5> {
public:
    using ClaimSelector::ClaimSelector;

    static SelectionRole role(std::string_view type) { return BatchSelectionRole(type); }

    ClaimVerdict claimVerdict(const TAvailityEBRCompositeInfo& record) const
    {
        const TAvailityEBRRecord3Info& claim = record.record3;
        if (!ClaimMatchesValues(m_values, record.record2, claim.patientControlNumber, claim.patientName,
                                claim.billingProviderId)) {
            return ClaimVerdict::Rejected;
        }
        return statusAsked() ? ClaimVerdict::Undecided : ClaimVerdict::Selected;
    }

    // An adjudication stands for the status "NA", a message or an error for its type.
    bool partSelects(std::string_view type, const TAvailityEBRCompositeInfo& record) const
    {
        if (type == "3A") {
            return statusListed("NA");
        }
        if (type == "3C") {
            return statusListed(record.record3C.type);
        }
        return statusListed(record.record3E.type);
    }
};

constexpr ClaimReportType kEbr =
    MakeClaimReportType<EbrRecordReader, EbrReportWriter, EbrSelector>(kEbrSelectionCount, BuildEbrListingLine);

} // namespace

constinit const ReportFormat kAvailityEbrFormat = ClaimReportFormat<kEbr>("AVAILITY_EBR", kTypeAvailityEbr);

} // namespace talmere
