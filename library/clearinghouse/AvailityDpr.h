#pragma once

// Availity DPR reports: what the payers did with the claims, one heading record per file and one record per
// claim with the payer's processing date, status and messages.

#include "library/clearinghouse/AvailityRecords.h"
#include "library/frame/ReportFormat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talmere {

using TAvailityDPRRecordDPRInfo = AvailityFileHeading;

struct TAvailityDPRRecordCSTMessageInfo {
    std::string type;
    std::string code;
    std::string text;
    std::string loop;
    std::string segmentId;
    std::string element;
};

struct TAvailityDPRRecordCSTInfo {
    std::string identification; // batch, payer and claim
    std::string patientAccountNumber;
    std::string payerId;
    std::string billingProviderId;
    std::string patientName;
    std::string serviceFromDate;
    std::string totalCharges;
    std::string processDate;
    std::string billingProviderNpi;
    std::string processStatus;
    std::string payerClaimNumber;
    std::string submitterName;
    std::string billingProviderName;
    std::string payerName;
    std::string traceId;
    std::vector<TAvailityDPRRecordCSTMessageInfo> messages;
};

struct TAvailityDPRCompositeInfo {
    TAvailityDPRRecordDPRInfo heading;
    TAvailityDPRRecordCSTInfo claim;
};

// The time stamp of a heading: yyyymmddhhmm, then optionally seconds and hundredths.
std::optional<DateTimeParts> ReadDprTimeStamp(std::string_view stamp);
// Claim dates in any of the forms the payers use (7 or 8 digits, yyyy-mm-dd) as mm/dd/yyyy.
std::string ReformatDprDate(std::string_view value);
// Amounts without their leading zeros.
std::string FormatDprAmount(std::string_view value);
// The payer messages of a claim: separated by "\", each in six parts split at "^" or "+".
void SplitDprMessages(std::string_view field, std::vector<TAvailityDPRRecordCSTMessageInfo>& messages);

// AVAILITY_DPR.
extern const ReportFormat kAvailityDprFormat;

} // namespace talmere
