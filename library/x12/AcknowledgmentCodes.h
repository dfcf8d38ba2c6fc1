#pragma once

// The texts the acknowledgment report prints for the codes of 997, 999 and TA1 segments. Codes are compared
// exactly; some codes exist only in a 5010 interchange or only in a 999.

#include <span>
#include <string_view>

namespace talmere::ansi99x {

// Where a code is read: the interchange version and the kind of acknowledgment decide which codes exist.
struct CodeContext {
    bool version5010 = false;
    bool mode999 = false;
};

// AK304/IK304 after "Segment Error Code: "; empty for an unknown code.
std::string_view SegmentErrorText(std::string_view code, CodeContext context);

// AK403/IK403 after "Data Element Error: "; empty for an unknown code.
std::string_view DataElementErrorText(std::string_view code, CodeContext context);

// AK501/IK501 and AK901: the status text and the line that explains it (empty when there is none). P is a
// status of functional groups only. An unknown code gives the error text and no explanation.
struct StatusText {
    std::string_view text;
    std::string_view explanation;
};
StatusText AcknowledgmentStatusText(std::string_view code, bool groupStatus);

// The lines of one code of AK502 to AK506, of AK905 to AK909 and of TA105; empty for an unknown code.
std::span<const std::string_view> TransactionSetSyntaxErrorLines(std::string_view code, CodeContext context);
std::span<const std::string_view> GroupSyntaxErrorLines(std::string_view code, CodeContext context);
std::span<const std::string_view> InterchangeNoteLines(std::string_view code);

// TA104; empty for an unknown code.
std::string_view InterchangeAckCodeText(std::string_view code);

} // namespace talmere::ansi99x
