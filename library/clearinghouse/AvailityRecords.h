#pragma once

// The records and value rules that the Availity IBR, EBR and DPR reports share: file headings, payer and error
// records, dates, amounts and status codes. The records are read as the claim files of the frame are
// (library/frame/ClaimRecords.h).

#include "common/DayDate.h"
#include "library/frame/ClaimRecords.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace talmere {

// The heading of one file in a report: the EBR file record and the DPR heading record are this, the IBR file
// record begins with it.
struct AvailityFileHeading {
    DateTimeParts dateReceived;
    std::string batchId;
    std::string fileControlNumber;
    std::string customerId;
    std::string fileId;
    std::string fileName;
};

// The payer record of the IBR and EBR reports, with the claims and charges of the payer.
struct AvailityPayerRecord {
    std::string payerName;
    std::string receivedCount;
    std::string acceptedCount;
    std::string receivedCharges;
    std::string acceptedCharges;
    std::string rejectedCount;
    std::string rejectedCharges;
    std::string payerId;
};

// The error record of a claim in the IBR and EBR reports.
struct AvailityErrorRecord {
    std::string initiator;
    std::string type;
    std::string code;
    std::string message;
    std::string loop;
    std::string segment;
    std::string element;
    std::string version;
};

// Reads the fields of an error record, up to the first that fails; false when one fails. The fields that
// neither report shows are read into unused.
bool ReadErrorRecord(std::string_view fields, AvailityErrorRecord& record, std::string& unused);

// Whether a character is a digit, and whether every character of a text is one (also of an empty text).
bool IsDigit(char c);
bool AllDigits(std::string_view text);
// Characters from a 1-based position, as many as there are up to the length; empty past the end.
std::string_view TextPart(std::string_view text, std::size_t position, std::size_t length);
// "mm/dd/yyyy" of the year, month and day.
std::string MonthDayYear(std::string_view year, std::string_view month, std::string_view day);

// Claim dates: eight digits (year, month, day) or "yyyy-mm-dd" with any non-digit separators become
// "mm/dd/yyyy"; anything else stays as it is.
std::string ReformatAvailityDate(std::string_view text);

// Amounts: trimmed; empty gives "NA"; a whole number gets ".00".
std::string FormatAvailityAmount(std::string_view text);

// "A (accepted)", "R (rejected)", "W (warning)", "I (informational)"; other codes as they are.
std::string AvailityStatusText(std::string_view code);

// The date and time received of a file record: year, month and day at positions 1-4, 6-7 and 9-10 of the
// date field, hour, minute and second at 1-2, 4-5 and 7-8 of the time field. Nothing when a part is not a
// number or the parts form no valid date or time.
std::optional<DateTimeParts> ReadAvailityDateTime(std::string_view date, std::string_view time);

// The digits of a text that holds only digits, as a number; nothing for any other text (or an empty one).
std::optional<int> ReadDigits(std::string_view text);

// A count as the listings add them up: a whole number after trimming, 0 when it is empty or not one.
std::int64_t ReadCount(std::string_view text);

// Whether a field counts as shown in a report: not empty and not exactly "NA".
bool IsShown(std::string_view value);

} // namespace talmere
