#pragma once

// Availity EBR batch reports: file and payer headings with their messages, and per claim the payer's
// adjudication, messages and errors.

#include "AvailityRecords.h"
#include "ClaimReport.h"
#include "ReportRequest.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace talmere {

struct TAvailityEBRRecord1Info {
    DateTimeParts dateReceived;
    std::string batchId;
    std::string fileControlNumber;
    std::string customerId;
    std::string fileId;
    std::string fileName;
};

struct TAvailityEBRRecord1EInfo {
    std::string message; // both fields, joined by a space and trimmed
};

struct TAvailityEBRRecord2Info {
    std::string payerName;
    std::string receivedCount;
    std::string acceptedCount;
    std::string receivedCharges;
    std::string acceptedCharges;
    std::string rejectedCount;
    std::string rejectedCharges;
    std::string payerId;
};

struct TAvailityEBRRecord2EInfo {
    std::string message;
};

struct TAvailityEBRRecord3Info {
    std::string patientName;
    std::string fromDate;
    std::string toDate;
    std::string patientControlNumber;
    std::string charge;
    std::string billingProviderId;
    std::string clearinghouseNumber;
    std::string payerClaimNumber;
    std::string traceNumber;
};

struct TAvailityEBRRecord3AInfo {
    std::string billType;
    std::string allowed;
    std::string nonCovered;
    std::string deductible;
    std::string coPay;
    std::string coInsurance;
    std::string withhold;
    std::string estimatedPayment;
    std::string patientOwes;
    std::string messageCode;
    std::string message;
};

struct TAvailityEBRRecord3CInfo {
    std::string initiator;
    std::string type;
    std::string code;
    std::string text;
    std::string loop;
    std::string segmentId;
    std::string element;
};

struct TAvailityEBRRecord3EInfo {
    std::string initiator;
    std::string type;
    std::string code;
    std::string message;
    std::string loop;
    std::string segment;
    std::string element;
    std::string version;
};

struct TAvailityEBRCompositeInfo {
    TAvailityEBRRecord1Info record1;
    TAvailityEBRRecord1EInfo record1E;
    TAvailityEBRRecord2Info record2;
    TAvailityEBRRecord2EInfo record2E;
    TAvailityEBRRecord3Info record3;
    TAvailityEBRRecord3AInfo record3A;
    TAvailityEBRRecord3CInfo record3C;
    TAvailityEBRRecord3EInfo record3E;
};

// Reads EBR records into the buffer. A record that is invalid leaves the buffer as it was.
class EbrRecordReader {
public:
    // The record's type, or empty when the record is invalid.
    std::string read(std::string_view line);
    const TAvailityEBRCompositeInfo& buffer() const { return m_buffer; }

private:
    bool readFields(std::string_view type, std::string_view fields);

    TAvailityEBRCompositeInfo m_buffer;
    TAvailityEBRCompositeInfo m_scratch;
    std::string m_first;
    std::string m_second;
    std::string m_unused;
};

// The record types that may follow a record of the given type (the start of the file when it is empty).
void AllowEbrRecordsAfter(std::string_view type, AllowedRecords& allowed);

int CreateEbrListing(const ReportRequest& request);
int BuildEbrListingLine(ReportInputFile& in, const std::filesystem::path& file, std::string_view name,
                        const ReportRequest& request, std::string& line);
int GenerateEbrReport(const ReportRequest& request);

int WriteEbrReport(ReportInputFile& in, ReportOutputFile& out, const ReportWidths& widths,
                   const std::filesystem::path& reportFile);
int SelectEbrClaims(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values);

} // namespace talmere
