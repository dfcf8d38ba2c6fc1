#include "AvailityIbr.h"

#include "Formatting.h"
#include "ReportLibraryInterface.h"
#include "ReportWriting.h"
#include "TextUtil.h"

#include <utility>

namespace talmere {

namespace {

constexpr int kIbrLabelWidth = 20;
constexpr int kIbrSelectionCount = 5;

} // namespace

void WriteTotalsLine(ReportText& text, std::string_view label, std::string_view count, std::string_view charges)
{
    text.start(label, kIbrLabelWidth).left(count, 22).text(" Charges: ").right(charges, 14).end();
}

std::string IbrRecordReader::read(std::string_view line)
{
    std::string type = ReadRecordType(line, {"1", "2", "3", "3E"});
    if (type.empty() || !readFields(type, line)) {
        return {};
    }
    return type;
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
        take(r.initiator, true)(m_unused, true)(r.code, true)(r.message, true)(r.loop, true)(r.segment, true)(
            r.element, false)(m_unused, false)(m_unused, false)(m_unused, false)(r.version, false);
        if (!take.ok()) {
            return false;
        }
        std::swap(m_buffer.record3E, r);
    }
    return true;
}

int BuildIbrListingLine(ReportInputFile& in, const std::filesystem::path&, std::string_view name, const ReportRequest&,
                        std::string& line)
{
    int status = kStatusInvalidRecord;
    AllowedRecords allowed{"1"};
    IbrRecordReader reader;
    RecordLineReader lines(in);
    bool haveFile = false;
    bool havePayer = false;
    bool mixed = false;
    TAvailityIBRRecord1Info first;
    std::string payer;
    std::int64_t received = 0;
    std::int64_t accepted = 0;
    std::int64_t rejected = 0;
    std::string_view text;
    while (lines.next(text)) {
        const std::string type = reader.read(text);
        if (!allowed.contains(type)) {
            break;
        }
        const TAvailityIBRCompositeInfo& record = reader.buffer();
        if (type == "1") {
            if (!haveFile) {
                first = record.record1;
                haveFile = true;
            }
            received += ReadCount(record.record1.receivedCount);
            accepted += ReadCount(record.record1.acceptedCount);
            rejected += ReadCount(record.record1.rejectedCount);
            status = kStatusSuccess;
            allowed.allow({"1", "2"});
        } else if (type == "2") {
            if (!havePayer) {
                payer = record.record2.payerName;
                havePayer = true;
            } else if (!EqualsNoCase(payer, record.record2.payerName)) {
                mixed = true;
            }
            received += ReadCount(record.record2.receivedCount);
            accepted += ReadCount(record.record2.acceptedCount);
            rejected += ReadCount(record.record2.rejectedCount);
            allowed.allow({"1", "2", "3"});
        } else {
            allowed.allow({"1", "2", "3", "3E"});
        }
    }
    if (status != kStatusSuccess) {
        return status;
    }
    const std::string upperName = AsciiUpper(name);
    line = JoinListingFields({FormatSortDate(first.dateReceived), FormatSortTime(first.dateReceived), upperName,
                              FormatDisplayDate(first.dateReceived), FormatLongTime(first.dateReceived), first.batchId,
                              mixed ? std::string_view("MIXED") : std::string_view(payer), std::to_string(received),
                              std::to_string(accepted), std::to_string(rejected), first.fileControlNumber, upperName});
    return kStatusSuccess;
}

int CreateIbrListing(const ReportRequest& request)
{
    return WriteClaimListing(request, BuildIbrListingLine);
}

void WriteRule(ReportText& text, char c)
{
    const std::string label(20, c);
    const std::string value(60, c);
    text.start(label, 20).text(value).end();
}

void WriteErrorLocationLine(ReportText& text, int labelWidth, std::string_view loop, std::string_view segment,
                            std::string_view element, std::string_view version)
{
    if (loop.empty() && segment.empty() && element.empty()) {
        loop = segment = element = "NA";
    }
    text.start("Error Loop: ", labelWidth)
        .left(loop, 10)
        .text("Segment: ")
        .left(segment, 20)
        .text("Element: ")
        .left(element, 16)
        .text("Vers: ")
        .text(version)
        .end();
}

namespace {

// The IBR report text, record by record.
class IbrReportWriter {
public:
    IbrReportWriter(ReportOutputFile& out, const ReportWidths& widths) : m_text(out), m_widths(widths) {}

    void flush() { m_text.flush(); }

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

    // Before each record, and once more at the end of the file.
    void writeSeparation()
    {
        if (m_previous == "1" || m_previous == "3" || m_previous == "3E" || (m_previous == "2" && !m_fileTotals)) {
            m_text.blankLine();
        }
    }

private:
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
            m_text.wrapped(kIbrLabelWidth, m_widths.wrapWidth, "Availity Messages:", r.messages);
            m_text.blankLine();
        }
        if (IsShown(r.customerId)) {
            m_text.start("Customer ID:", kIbrLabelWidth).text(r.customerId).end();
        }
        m_text.start("Date Received:", kIbrLabelWidth)
            .left(FormatDisplayDate(r.dateReceived), 22)
            .text(" Time Received:        ")
            .text(FormatLongTime(r.dateReceived))
            .end();
        m_text.start("Availity Batch ID:", kIbrLabelWidth)
            .left(r.batchId, 22)
            .text(" File Control Number:  ")
            .text(r.fileControlNumber)
            .end();
        if (IsShown(r.fileId)) {
            m_text.start("Availity File ID:", kIbrLabelWidth).left(r.fileId, 60).end();
        }
        if (IsShown(r.fileName)) {
            m_text.start("File Name:", kIbrLabelWidth).left(r.fileName, 60).end();
        }
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
        m_text.wrapped(kIbrLabelWidth, m_widths.wrapWidth, "Error Message:", r.message);
        if (IsShown(r.loop) || IsShown(r.segment) || IsShown(r.element) || IsShown(r.version)) {
            WriteErrorLocationLine(m_text, kIbrLabelWidth, r.loop, r.segment, r.element, r.version);
        }
    }

    ReportText m_text;
    ReportWidths m_widths;
    std::string m_previous;
    bool m_firstFile = true;
    bool m_fileJustSeen = false;
    bool m_fileTotals = false;
    std::string m_payerName;
    std::string m_payerId;
};

} // namespace

int WriteIbrReport(ReportInputFile& in, ReportOutputFile& out, const ReportWidths& widths, const std::filesystem::path&)
{
    AllowedRecords allowed{"1"};
    IbrRecordReader reader;
    IbrReportWriter writer(out, widths);
    RecordLineReader lines(in);
    std::string_view text;
    while (lines.next(text)) {
        const std::string type = reader.read(text);
        if (!allowed.contains(type)) {
            writer.flush();
            return kStatusInvalidFormat;
        }
        writer.writeRecord(type, reader.buffer());
        if (type == "1") {
            allowed.allow({"1", "2"});
        } else if (type == "2") {
            allowed.allow({"1", "2", "3"});
        } else {
            allowed.allow({"1", "2", "3", "3E"});
        }
    }
    writer.writeSeparation();
    writer.flush();
    return kStatusSuccess;
}

int SelectIbrClaims(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values)
{
    const std::string statusCodes = values[5].empty() ? std::string() : StatusCodeList(values[5]);
    AllowedRecords allowed{"1"};
    IbrRecordReader reader;
    RecordLineReader lines(in);
    std::string pendingFile;
    std::string pendingPayer;
    std::string normalised;
    bool claimSelected = false;
    bool ok = true;
    std::string_view text;
    while (ok && lines.next(text)) {
        std::string_view rest = text;
        const std::string type = ReadRecordType(rest, {"1", "2", "3", "3E"});
        if (!allowed.contains(type)) {
            return kStatusInvalidFormat;
        }
        normalised.assign(type).append("|").append(rest);
        // A record with invalid fields is left out; the claim before it keeps its place in the output.
        if (reader.read(text).empty()) {
            continue;
        }
        const TAvailityIBRCompositeInfo& record = reader.buffer();
        if (type == "1") {
            pendingFile = normalised;
            pendingPayer.clear();
            claimSelected = false;
            allowed.allow({"1", "2"});
        } else if (type == "2") {
            pendingPayer = normalised;
            claimSelected = false;
            allowed.allow({"1", "2", "3"});
        } else if (type == "3") {
            const TAvailityIBRRecord3Info& claim = record.record3;
            claimSelected = values.fieldBeginsWith(1, claim.patientControlNumber) &&
                            values.fieldBeginsWith(2, claim.patientName) &&
                            (values[3].empty() || BeginsWithNoCase(record.record2.payerName, values[3]) ||
                             BeginsWithNoCase(record.record2.payerId, values[3])) &&
                            values.fieldBeginsWith(4, claim.billingProviderId) &&
                            (values[5].empty() || InStatusCodeList(claim.statusCode, statusCodes));
            if (claimSelected) {
                // The file and payer records go out once, just before their first selected claim.
                if (!pendingFile.empty()) {
                    ok = out.writeLine(pendingFile);
                    pendingFile.clear();
                }
                if (!pendingPayer.empty()) {
                    ok = ok && out.writeLine(pendingPayer);
                    pendingPayer.clear();
                }
                ok = ok && out.writeLine(normalised);
            }
            allowed.allow({"1", "2", "3", "3E"});
        } else {
            if (claimSelected) {
                ok = out.writeLine(normalised);
            }
            allowed.allow({"1", "2", "3", "3E"});
        }
    }
    return ok ? kStatusSuccess : kStatusCannotCreateOutput;
}

int GenerateIbrReport(const ReportRequest& request)
{
    static constexpr ClaimReportType kIbr{kIbrLabelWidth, kIbrSelectionCount, WriteIbrReport, SelectIbrClaims};
    return GenerateClaimReport(request, kIbr);
}

} // namespace talmere
