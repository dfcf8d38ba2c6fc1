#pragma once

// Availity IBR batch reports: the clearinghouse's answer to one batch of claims, with the counts received,
// accepted and rejected per file and payer, and each claim's status and errors.

#include "AvailityRecords.h"
#include "ClaimReport.h"
#include "ReportRequest.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace talmere {

struct TAvailityIBRRecord1Info {
    DateTimeParts dateReceived;
    std::string batchId;
    std::string fileControlNumber;
    std::string receivedCount;
    std::string receivedCharges;
    std::string acceptedCount;
    std::string acceptedCharges;
    std::string rejectedCount;
    std::string rejectedCharges;
    std::string messages;
    std::string customerId;
    std::string fileId;
    std::string fileName;
};

struct TAvailityIBRRecord2Info {
    std::string payerName;
    std::string receivedCount;
    std::string acceptedCount;
    std::string receivedCharges;
    std::string acceptedCharges;
    std::string rejectedCount;
    std::string rejectedCharges;
    std::string payerId;
};

struct TAvailityIBRRecord3Info {
    std::string patientName;
    std::string fromDate;
    std::string toDate;
    std::string patientControlNumber;
    std::string charge;
    std::string billingProviderId;
    std::string clearinghouseNumber;
    std::string traceNumber;
    std::string batchId;
    std::string statusCode;
};

struct TAvailityIBRRecord3EInfo {
    std::string initiator;
    std::string code;
    std::string message;
    std::string loop;
    std::string segment;
    std::string element;
    std::string version;
};

// The last record of each type; reading a record replaces only its own type's part, so a claim is read with
// its payer's values still at hand.
struct TAvailityIBRCompositeInfo {
    TAvailityIBRRecord1Info record1;
    TAvailityIBRRecord2Info record2;
    TAvailityIBRRecord3Info record3;
    TAvailityIBRRecord3EInfo record3E;
};

// Reads IBR records into the buffer. A record that is invalid leaves the buffer as it was.
class IbrRecordReader {
public:
    // The record's type ("1", "2", "3" or "3E"), or empty when the record is invalid.
    std::string read(std::string_view line);
    const TAvailityIBRCompositeInfo& buffer() const { return m_buffer; }

private:
    bool readFields(std::string_view type, std::string_view fields);

    TAvailityIBRCompositeInfo m_buffer;
    TAvailityIBRCompositeInfo m_scratch;
    std::string m_unused;
};

int CreateIbrListing(const ReportRequest& request);
int BuildIbrListingLine(ReportInputFile& in, const std::filesystem::path& file, std::string_view name,
                        const ReportRequest& request, std::string& line);
int GenerateIbrReport(const ReportRequest& request);

int WriteIbrReport(ReportInputFile& in, ReportOutputFile& out, const ReportWidths& widths,
                   const std::filesystem::path& reportFile);
int SelectIbrClaims(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values);

// The location line of an error or message record: "Error Loop: " or "Message Loop: " with the loop in 10,
// then the segment with its caption and the element with its caption.
void WriteErrorLocationLine(ReportText& text, int labelWidth, std::string_view loop, std::string_view segment,
                            std::string_view element, std::string_view version);

// The totals lines of files and payers: the count in 22, then "Charges: " and the charges right in 14.
void WriteTotalsLine(ReportText& text, std::string_view label, std::string_view count, std::string_view charges);

// The '=' and '-' rules between blocks: 80 characters whatever the wrap width.
void WriteRule(ReportText& text, char c);

} // namespace talmere
