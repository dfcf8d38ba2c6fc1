#pragma once

// Availity IBR batch reports: the clearinghouse's answer to one batch of claims, with the counts received,
// accepted and rejected per file and payer, and each claim's status and errors.

#include "library/clearinghouse/AvailityRecords.h"
#include "library/frame/ReportFormat.h"

#include <string>

namespace talmere {

// The file record: its heading, the claims and charges of the file, and the clearinghouse's messages.
struct TAvailityIBRRecord1Info : AvailityFileHeading {
    std::string receivedCount;
    std::string receivedCharges;
    std::string acceptedCount;
    std::string acceptedCharges;
    std::string rejectedCount;
    std::string rejectedCharges;
    std::string messages;
};

using TAvailityIBRRecord2Info = AvailityPayerRecord;

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

using TAvailityIBRRecord3EInfo = AvailityErrorRecord;

// The last record of each type; reading a record replaces only its own type's part, so a claim is read with
// its payer's values still at hand.
struct TAvailityIBRCompositeInfo {
    TAvailityIBRRecord1Info record1;
    TAvailityIBRRecord2Info record2;
    TAvailityIBRRecord3Info record3;
    TAvailityIBRRecord3EInfo record3E;
};

// AVAILITY_IBR.
extern const ReportFormat kAvailityIbrFormat;

} // namespace talmere
