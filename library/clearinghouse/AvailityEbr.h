#pragma once

// Availity EBR batch reports: file and payer headings with their messages, and per claim the payer's
// adjudication, messages and errors.

#include "library/clearinghouse/AvailityRecords.h"
#include "library/frame/ReportFormat.h"

#include <string>

namespace talmere {

using TAvailityEBRRecord1Info = AvailityFileHeading;

struct TAvailityEBRRecord1EInfo {
    std::string message; // both fields, joined by a space and trimmed
};

using TAvailityEBRRecord2Info = AvailityPayerRecord;

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

using TAvailityEBRRecord3EInfo = AvailityErrorRecord;

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

// AVAILITY_EBR.
extern const ReportFormat kAvailityEbrFormat;

} // namespace talmere
