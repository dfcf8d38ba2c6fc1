#pragma once

// ANSI_864: X12 864 text messages, free-form text that a payer or clearinghouse sends, one line per MSG
// segment, grouped into messages by MIT segments.

#include "library/frame/ReportFormat.h"
#include "library/x12/X12SegmentReader.h"

#include <filesystem>
#include <string>

namespace talmere::ansi864 {

// ANSI_864.
extern const ReportFormat kAnsi864Format;

// What the listing knows of one message file.
struct THeaderInfo {
    bool hasDateTime = false;
    X12Date date;
    X12Time time;
    std::string senderId;     // GS02 of the first TX group
    std::string receiverId;   // GS03 of the first TX group
    std::string transCtrlNo;  // ST02 of the first 864 set
    std::string messageRefNo; // MIT01 of the first MIT
};

// The most line ends one MSG segment may ask for ("AA" with a count): enough for any page, and a bound on
// what a damaged count can make the report write.
inline constexpr int kMaxLineAdvance = 100;

// Reads the file into its summary: 0, 3 for a missing file, 6 when it gives no date, or 98 with the
// process-error text.
int ScanTextMessage(const std::filesystem::path& file, THeaderInfo& info);
int ScanTextMessage(X12SegmentReader& reader, const std::filesystem::path& file, THeaderInfo& info);

int BuildTextMessageListingLine(X12SegmentReader& reader, const std::filesystem::path& file, std::string_view name,
                                std::string& line);

int CreateTextMessageListing(const ReportRequest& request);
int GenerateTextMessageReport(const ReportRequest& request);

} // namespace talmere::ansi864
