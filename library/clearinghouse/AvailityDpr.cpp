#include "AvailityDpr.h"

#include "Formatting.h"
#include "ReportLibraryInterface.h"
#include "ReportWriting.h"
#include "TextUtil.h"

#include <algorithm>
#include <array>
#include <utility>

namespace talmere {

namespace {

constexpr int kDprLabelWidth = 21;
constexpr int kDprSelectionCount = 7;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsDigit);
}

std::string_view Part(std::string_view text, std::size_t position, std::size_t length)
{
    return position - 1 < text.size() ? text.substr(position - 1, length) : std::string_view();
}

std::string MonthDayYear(std::string_view month, std::string_view day, std::string_view year)
{
    std::string result(month);
    result.append("/").append(day).append("/").append(year);
    return result;
}

// Seconds and hundredths of a time stamp may be blank or missing.
std::optional<int> OptionalPart(std::string_view text)
{
    const std::string_view part = TrimBlanks(text);
    return part.empty() ? std::optional<int>(0) : ReadDigits(part);
}

} // namespace

std::optional<DateTimeParts> ReadDprTimeStamp(std::string_view stamp)
{
    const std::optional<int> year = ReadDigits(Part(stamp, 1, 4));
    const std::optional<int> month = ReadDigits(Part(stamp, 5, 2));
    const std::optional<int> day = ReadDigits(Part(stamp, 7, 2));
    const std::optional<int> hour = ReadDigits(Part(stamp, 9, 2));
    const std::optional<int> minute = ReadDigits(Part(stamp, 11, 2));
    const std::optional<int> second = OptionalPart(Part(stamp, 13, 2));
    const std::optional<int> hundredths = OptionalPart(Part(stamp, 15, 2));
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
            return MonthDayYear(date.substr(4, 2), date.substr(6, 2), date.substr(0, 4));
        }
        return MonthDayYear(date.substr(0, 2), date.substr(2, 2), date.substr(4, 4));
    }
    if (date.size() == 10 && AllDigits(date.substr(0, 4)) && AllDigits(date.substr(5, 2)) &&
        AllDigits(date.substr(8, 2)) && !IsDigit(date[4]) && !IsDigit(date[7])) {
        return MonthDayYear(date.substr(5, 2), date.substr(8, 2), date.substr(0, 4));
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

std::string DprRecordReader::read(std::string_view line)
{
    std::string type = ReadRecordType(line, {"DPR", "CST"});
    if (type.empty()) {
        return {};
    }
    RecordFieldReader take(line, true);
    if (type == "DPR") {
        TAvailityDPRRecordDPRInfo& r = m_scratch.heading;
        take(m_stamp, true)(r.batchId, true)(r.fileControlNumber, false)(r.customerId, false)(r.fileId,
                                                                                              false)(r.fileName, false);
        const std::optional<DateTimeParts> received = take.ok() ? ReadDprTimeStamp(m_stamp) : std::nullopt;
        if (!received) {
            return {};
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
            return {};
        }
        r.serviceFromDate = ReformatDprDate(r.serviceFromDate);
        r.processDate = ReformatDprDate(r.processDate);
        SplitDprMessages(m_messages, r.messages);
        std::swap(m_buffer.claim, r);
    }
    return type;
}

int BuildDprListingLine(ReportInputFile& in, const std::filesystem::path&, std::string_view name, const ReportRequest&,
                        std::string& line)
{
    int status = kStatusInvalidRecord;
    AllowedRecords allowed{"DPR"};
    DprRecordReader reader;
    RecordLineReader lines(in, true);
    bool haveHeading = false;
    bool havePayer = false;
    bool mixed = false;
    TAvailityDPRRecordDPRInfo first;
    std::string payerId;
    std::string_view text;
    while (lines.next(text)) {
        const std::string type = reader.read(text);
        if (!allowed.contains(type)) {
            break;
        }
        if (type == "DPR") {
            if (!haveHeading) {
                first = reader.buffer().heading;
                haveHeading = true;
            }
        } else {
            const std::string& id = reader.buffer().claim.payerId;
            if (!havePayer) {
                payerId = id;
                havePayer = true;
            } else if (!EqualsNoCase(payerId, id)) {
                mixed = true;
            }
            status = kStatusSuccess;
        }
        allowed.allow({"DPR", "CST"});
    }
    if (status != kStatusSuccess) {
        return status;
    }
    const std::string upperName = AsciiUpper(name);
    line = JoinListingFields({FormatSortDate(first.dateReceived), FormatSortTime(first.dateReceived), upperName,
                              FormatDisplayDate(first.dateReceived), FormatLongTime(first.dateReceived), first.batchId,
                              mixed ? std::string_view("MIXED") : std::string_view(payerId), first.fileControlNumber,
                              upperName});
    return kStatusSuccess;
}

int CreateDprListing(const ReportRequest& request)
{
    return WriteClaimListing(request, BuildDprListingLine);
}

namespace {

class DprReportWriter {
public:
    DprReportWriter(ReportOutputFile& out, const ReportWidths& widths) : m_text(out), m_widths(widths) {}

    void flush() { m_text.flush(); }

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

    void writeSeparation()
    {
        if (!m_previous.empty()) {
            m_text.blankLine();
        }
    }

private:
    void labelLine(std::string_view label, std::string_view value)
    {
        m_text.start(label, kDprLabelWidth).text(value).end();
    }

    void writeHeading(const TAvailityDPRRecordDPRInfo& r)
    {
        if (IsShown(r.customerId)) {
            labelLine("Customer ID:", r.customerId);
        }
        m_text.start("Date Received:", kDprLabelWidth)
            .left(FormatDisplayDate(r.dateReceived), 26)
            .text("  Time Received:    ")
            .text(FormatLongTime(r.dateReceived))
            .end();
        m_text.start("Availity Batch ID:", kDprLabelWidth)
            .left(r.batchId, 26)
            .text("  File Control No:  ")
            .text(r.fileControlNumber)
            .end();
        if (IsShown(r.fileId)) {
            m_text.start("Availity File ID:", kDprLabelWidth).left(r.fileId, 60).end();
        }
        if (IsShown(r.fileName)) {
            m_text.start("File Name:", kDprLabelWidth).left(r.fileName, 60).end();
        }
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
                m_text.wrapped(kDprLabelWidth, m_widths.wrapWidth, std::string(15, ' '), m.text);
            } else {
                if (IsShown(m.type) || IsShown(m.code)) {
                    m_text.start("  Message Type/Code:", kDprLabelWidth).text(m.type).text(" / ").text(m.code).end();
                }
                m_text.wrapped(kDprLabelWidth, m_widths.wrapWidth, "  Message Text:", m.text);
                if (IsShown(m.loop) || IsShown(m.segmentId) || IsShown(m.element)) {
                    m_text.start("  Message Loop: ", kDprLabelWidth)
                        .left(m.loop, 10)
                        .text("Segment ID: ")
                        .left(m.segmentId, 22)
                        .text("Element #: ")
                        .text(m.element)
                        .end();
                }
            }
            previous = &m;
        }
    }

    ReportText m_text;
    ReportWidths m_widths;
    std::string m_previous;
};

} // namespace

int WriteDprReport(ReportInputFile& in, ReportOutputFile& out, const ReportWidths& widths, const std::filesystem::path&)
{
    AllowedRecords allowed{"DPR"};
    DprRecordReader reader;
    DprReportWriter writer(out, widths);
    RecordLineReader lines(in, true);
    std::string_view text;
    while (lines.next(text)) {
        const std::string type = reader.read(text);
        if (!allowed.contains(type)) {
            writer.flush();
            return kStatusInvalidFormat;
        }
        writer.writeRecord(type, reader.buffer());
        allowed.allow({"DPR", "CST"});
    }
    writer.writeSeparation();
    writer.flush();
    return kStatusSuccess;
}

int SelectDprClaims(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values)
{
    const std::string statusCodes = values[7].empty() ? std::string() : StatusCodeList(values[7]);
    AllowedRecords allowed{"DPR"};
    DprRecordReader reader;
    RecordLineReader lines(in, true);
    std::string pendingHeading;
    std::string normalised;
    bool ok = true;
    std::string_view text;
    while (ok && lines.next(text)) {
        std::string_view rest = text;
        const std::string type = ReadRecordType(rest, {"DPR", "CST"});
        if (!allowed.contains(type)) {
            return kStatusInvalidFormat;
        }
        normalised.assign(type).append("|").append(rest);
        // A record with invalid fields is left out.
        if (reader.read(text).empty()) {
            continue;
        }
        allowed.allow({"DPR", "CST"});
        if (type == "DPR") {
            pendingHeading = normalised;
            continue;
        }
        const TAvailityDPRRecordCSTInfo& claim = reader.buffer().claim;
        const bool selected =
            values.fieldBeginsWith(1, claim.patientAccountNumber) && values.fieldBeginsWith(2, claim.patientName) &&
            values.fieldBeginsWith(3, claim.payerId) && values.fieldBeginsWith(4, claim.payerName) &&
            values.fieldBeginsWith(5, claim.billingProviderId) &&
            values.fieldBeginsWith(6, claim.billingProviderName) &&
            (values[7].empty() ||
             std::any_of(claim.messages.begin(), claim.messages.end(), [&](const TAvailityDPRRecordCSTMessageInfo& m) {
                 return InStatusCodeList(m.type, statusCodes);
             }));
        if (selected) {
            // The heading goes out once, just before its first selected claim; a claim is one line.
            if (!pendingHeading.empty()) {
                ok = out.writeLine(pendingHeading);
                pendingHeading.clear();
            }
            ok = ok && out.writeLine(normalised);
        }
    }
    return ok ? kStatusSuccess : kStatusCannotCreateOutput;
}

int GenerateDprReport(const ReportRequest& request)
{
    static constexpr ClaimReportType kDpr{kDprLabelWidth, kDprSelectionCount, WriteDprReport, SelectDprClaims};
    return GenerateClaimReport(request, kDpr);
}

} // namespace talmere
