#pragma once

// ANSI_997, ANSI_999 and ANSI_99X: functional acknowledgments (997 and 999 transaction sets) and interchange
// acknowledgments (TA1) that payers return for submitted claim batches.

#include "library/frame/ReportFormat.h"
#include "library/x12/X12SegmentReader.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace talmere::ansi99x {

// ANSI_997, ANSI_999 and ANSI_99X: three names of one format.
extern const ReportFormat kAnsi997Format;
extern const ReportFormat kAnsi999Format;
extern const ReportFormat kAnsi99xFormat;

// What the listing and the claim-type match know of one acknowledgment file.
struct THeaderInfo {
    bool hasDateTime = false;
    X12Date date;
    X12Time time;
    std::string serialNo;   // from the first group control number; "TA1" for a file with only a TA1
    std::string status;     // the highest AK901 code of the file, or TA104
    std::string sender;     // GS02 of the first FA group
    std::string receiver;   // GS03 of the first FA group
    std::string transSetNo; // ST02 of the first acknowledgment set, or TA101
    std::int64_t included = 0;
    std::int64_t received = 0;
    std::int64_t accepted = 0;
    std::string gs08;  // of the first FA group
    std::string ak103; // of the first AK1, in a 5010 interchange only
};

// Reads the whole file into its summary: 0, 3 for a missing file, or 98 with the process-error text.
int ScanAcknowledgment(const std::filesystem::path& file, THeaderInfo& info);
// The same with a reader of the caller's, so that a listing reuses one reader for all its files.
int ScanAcknowledgment(X12SegmentReader& reader, const std::filesystem::path& file, THeaderInfo& info);

// The listing line of one file, or the status that keeps it out of the listing.
int BuildAcknowledgmentListingLine(X12SegmentReader& reader, const std::filesystem::path& file, std::string_view name,
                                   std::string& line);

int CreateAcknowledgmentListing(const ReportRequest& request);
int GenerateAcknowledgmentReport(const ReportRequest& request);
// Tells acknowledgments of institutional claims from those of professional claims (Param1).
int MatchAcknowledgmentClaimType(const ReportRequest& request);

} // namespace talmere::ansi99x
