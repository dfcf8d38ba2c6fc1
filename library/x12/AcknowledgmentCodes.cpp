#include "library/x12/AcknowledgmentCodes.h"

#include "library/x12/X12SegmentReader.h"

#include <array>

namespace talmere::ansi99x {

namespace {

enum class When {
    Always,
    Only997,        // not in a 999
    Only999,        // in a 999, whatever the interchange version
    Only5010,       // in a 5010 interchange
    Only5010And999, // in a 999 of a 5010 interchange
};

struct CodeEntry {
    std::string_view code;
    When when;
    std::array<std::string_view, 3> lines;

    std::size_t lineCount() const
    {
        std::size_t n = 0;
        while (n < lines.size() && !lines[n].empty()) {
            ++n;
        }
        return n;
    }
};

bool Applies(When when, CodeContext context)
{
    switch (when) {
    case When::Always:
        return true;
    case When::Only997:
        return !context.mode999;
    case When::Only999:
        return context.mode999;
    case When::Only5010:
        return context.version5010;
    case When::Only5010And999:
        return context.version5010 && context.mode999;
    }
    return false;
}

template <std::size_t N>
const CodeEntry* Find(const std::array<CodeEntry, N>& table, std::string_view code, CodeContext context)
{
    for (const CodeEntry& entry : table) {
        if (SameShortText(code, entry.code) && Applies(entry.when, context)) {
            return &entry;
        }
    }
    return nullptr;
}

template <std::size_t N>
std::span<const std::string_view> Lines(const std::array<CodeEntry, N>& table, std::string_view code,
                                        CodeContext context)
{
    const CodeEntry* entry = Find(table, code, context);
    if (entry == nullptr) {
        return {};
    }
    return std::span<const std::string_view>(entry->lines.data(), entry->lineCount());
}

const std::array<CodeEntry, 14> kSegmentErrors{{
    {"1", When::Always, {"1 - Unrecognized Segment ID"}},
    {"2", When::Always, {"2 - Unexpected Segment"}},
    {"3", When::Only999, {"3 - Required segment missing"}},
    {"3", When::Only997, {"3 - Mandatory Segment Missing"}},
    {"4", When::Always, {"4 - Loop Occurs Over Maximum Times"}},
    {"5", When::Always, {"5 - Segment Exceeds Maximum Use"}},
    {"6", When::Always, {"6 - Segment Not In Defined Transaction Set"}},
    {"7", When::Always, {"7 - Segment Not In Proper Sequence"}},
    {"8", When::Always, {"8 - Segment Has Data Element Errors"}},
    {"I4", When::Only999, {"I4 - Implementation \"Not Used\" Segment Present"}},
    {"I6", When::Only999, {"I6 - Implementation Dependent Segment Missing"}},
    {"I7", When::Only999, {"I7 - Implementation Loop Occurs Under Minimum Times"}},
    {"I8", When::Only999, {"I8 - Implementation Segment Below Minimum Use"}},
    {"I9", When::Only999, {"I9 - Implementation Dependent \"Not Used\" Segment Present"}},
}};

const std::array<CodeEntry, 19> kDataElementErrors{{
    {"1", When::Only999, {" 1 - Required data element missing"}},
    {"1", When::Only997, {" 1 - Mandatory data element missing"}},
    {"2", When::Always, {" 2 - Conditional required data element missing"}},
    {"3", When::Always, {" 3 - Too many data elements"}},
    {"4", When::Always, {" 4 - Data element too short"}},
    {"5", When::Always, {" 5 - Data element too long"}},
    {"6", When::Always, {" 6 - Invalid character in data element"}},
    {"7", When::Always, {" 7 - Invalid code value"}},
    {"8", When::Always, {" 8 - Invalid Date"}},
    {"9", When::Always, {" 9 - Invalid Time"}},
    {"10", When::Always, {"10 - Exclusion Condition Violated"}},
    {"12", When::Only5010, {"12 - Too Many Repetitions"}},
    {"13", When::Only5010, {"13 - Too Many Components"}},
    {"I6", When::Only5010And999, {"I6 - Code Value Not Used in Implementation"}},
    {"I9", When::Only5010And999, {"I9 - Implementation Dependent Data Element Missing"}},
    {"I10", When::Only5010And999, {"I10 - Implementation \"Not Used\" Data Element Present"}},
    {"I11", When::Only5010And999, {"I11 - Implementation Too Few Repetitions"}},
    {"I12", When::Only5010And999, {"I12 - Implementation Pattern Match Failure"}},
    {"I13", When::Only5010And999, {"I13 - Implementation Dependent \"Not Used\" Data Element Present"}},
}};

const std::array<CodeEntry, 24> kTransactionSetSyntaxErrors{{
    {"1", When::Always, {"  1 - Transaction Set Not Supported"}},
    {"2", When::Always, {"  2 - Transaction Set Trailer Missing"}},
    {"3", When::Always, {"  3 - Transaction Set Control Number in Heading and Trailer Do Not Match"}},
    {"4", When::Always, {"  4 - Number of Included Segments Does Not Match Actual Count"}},
    {"5", When::Always, {"  5 - One or More Segments in Error"}},
    {"6", When::Always, {"  6 - Missing or Invalid Transaction Set Identifier"}},
    {"7", When::Always, {"  7 - Missing or Invalid Transaction Set Control Number"}},
    {"8", When::Always, {"  8 - Authentication Key Name Unknown"}},
    {"9", When::Always, {"  9 - Encryption Key Name Unknown"}},
    {"10", When::Always, {" 10 - Requested Service (Authentication or Encrypted) Not Available"}},
    {"11", When::Always, {" 11 - Unknown Security Recipient"}},
    {"12", When::Always, {" 12 - Incorrect Message Length (Encryption Only)"}},
    {"13", When::Always, {" 13 - Message Authentication Code Failed"}},
    {"15", When::Always, {" 15 - Unknown Security Originator"}},
    {"16", When::Always, {" 16 - Syntax Error in Decrypted Text"}},
    {"17", When::Always, {" 17 - Security Not Supported"}},
    {"23", When::Always, {" 23 - Transaction Set Control Number Not Unique within the", "      Functional Group"}},
    {"24", When::Always, {" 24 - S3E Security End Segment Missing for S3S Security Start Segment"}},
    {"25", When::Always, {" 25 - S3S Security Start Segment Missing for S3E Security End Segment"}},
    {"26", When::Always, {" 26 - S4E Security End Segment Missing for S4S Security Start Segment"}},
    {"27", When::Always, {" 27 - S4S Security Start Segment Missing for S4E Security End Segment"}},
    {"18", When::Only5010, {" 18 - Transaction Set not in Functional Group"}},
    {"19", When::Only5010, {" 19 - Invalid Transaction Set Implementation Convention", "      Reference"}},
    {"I6", When::Only5010And999, {" I6 - Implementation Convention Not Supported"}},
}};

const std::array<CodeEntry, 20> kGroupSyntaxErrors{{
    {"1", When::Always, {"  1 - Functional Group Not Supported"}},
    {"2", When::Always, {"  2 - Functional Group Version Not Supported"}},
    {"3", When::Always, {"  3 - Functional Group Trailer Missing"}},
    {"4", When::Always, {"  4 - Group Control Number in Group Heading and Trailer Do Not Agree"}},
    {"5", When::Always, {"  5 - Number of Included Transaction Sets Does Not Match Actual Count"}},
    {"6", When::Always, {"  6 - Group Control Number Violates Syntax"}},
    {"10", When::Always, {" 10 - Authentication Key Name Unknown"}},
    {"11", When::Always, {" 11 - Encryption Key Name Unknown"}},
    {"12", When::Always, {" 12 - Requested Service (Authentication or Encryption) Not Available"}},
    {"13", When::Always, {" 13 - Unknown Security Recipient"}},
    {"14", When::Always, {" 14 - Unknown Security Originator"}},
    {"15", When::Always, {" 15 - Syntax Error in Decrypted Text"}},
    {"16", When::Always, {" 16 - Security Not Supported"}},
    {"17", When::Always, {" 17 - Incorrect Message Length (Encryption Only)"}},
    {"18", When::Always, {" 18 - Message Authentication Code Failed"}},
    {"19", When::Only5010, {" 19 - Functional Group Control Number not Unique within Interchange"}},
    {"23", When::Always, {" 23 - S3E Security End Segment Missing for S3S Security Start Segment"}},
    {"24", When::Always, {" 24 - S3S Security Start Segment Missing for S3E End Segment"}},
    {"25", When::Always, {" 25 - S4E Security End Segment Missing for S4S Security Start Segment"}},
    {"26", When::Always, {" 26 - S4S Security Start Segment Missing for S4E Security End Segment"}},
}};

const std::array<CodeEntry, 32> kInterchangeNotes{{
    {"000", When::Always, {"   000 - No error"}},
    {"001",
     When::Always,
     {"   001 - The Interchange Control Number in the Header and Trailer",
      "         Do Not Match. The Value From the Header is Used in the ", "         Acknowledgment."}},
    {"002",
     When::Always,
     {"   002 - This Standard as Noted in the Control Standards Identifier", "         is Not Supported."}},
    {"003", When::Always, {"   003 - This Version of the Controls is Not Supported"}},
    {"004", When::Always, {"   004 - The Segment Terminator is Invalid"}},
    {"005", When::Always, {"   005 - Invalid Interchange ID Qualifier for Sender"}},
    {"006", When::Always, {"   006 - Invalid Interchange Sender ID"}},
    {"007", When::Always, {"   007 - Invalid Interchange ID Qualifier for Receiver"}},
    {"008", When::Always, {"   008 - Invalid Interchange Receiver ID"}},
    {"009", When::Always, {"   009 - Unknown Interchange Receiver ID"}},
    {"010", When::Always, {"   010 - Invalid Authorization Information Qualifier Value"}},
    {"011", When::Always, {"   011 - Invalid Authorization Information Value"}},
    {"012", When::Always, {"   012 - Invalid Security Information Qualifier Value"}},
    {"013", When::Always, {"   013 - Invalid Security Information Value"}},
    {"014", When::Always, {"   014 - Invalid Interchange Date Value"}},
    {"015", When::Always, {"   015 - Invalid Interchange Time Value"}},
    {"016", When::Always, {"   016 - Invalid Interchange Standards Identifier Value"}},
    {"017", When::Always, {"   017 - Invalid Interchange Version ID Value"}},
    {"018", When::Always, {"   018 - Invalid Interchange Control Number Value"}},
    {"019", When::Always, {"   019 - Invalid Acknowledgment Requested Value"}},
    {"020", When::Always, {"   020 - Invalid Test Indicator Value"}},
    {"021", When::Always, {"   021 - Invalid Number of Included Groups Value"}},
    {"022", When::Always, {"   022 - Invalid Control Structure"}},
    {"023", When::Always, {"   023 - Improper (Premature) End-of-File (Transmission)"}},
    {"024", When::Always, {"   024 - Invalid Interchange Content (e.g., Invalid GS Segment)"}},
    {"025", When::Always, {"   025 - Duplicate Interchange Control Number"}},
    {"026", When::Always, {"   026 - Invalid Data Element Separator"}},
    {"027", When::Always, {"   027 - Invalid Component Element Separator"}},
    {"028", When::Always, {"   028 - Invalid Delivery Date in Deferred Delivery Request"}},
    {"029", When::Always, {"   029 - Invalid Delivery Time in Deferred Delivery Request"}},
    {"030", When::Always, {"   030 - Invalid Delivery Time Code in Deferred Delivery Request"}},
    {"031", When::Always, {"   031 - Invalid Grade of Service Code"}},
}};

} // namespace

std::string_view SegmentErrorText(std::string_view code, CodeContext context)
{
    const CodeEntry* entry = Find(kSegmentErrors, code, context);
    return entry != nullptr ? entry->lines[0] : std::string_view{};
}

std::string_view DataElementErrorText(std::string_view code, CodeContext context)
{
    const CodeEntry* entry = Find(kDataElementErrors, code, context);
    return entry != nullptr ? entry->lines[0] : std::string_view{};
}

StatusText AcknowledgmentStatusText(std::string_view code, bool groupStatus)
{
    if (SameShortText(code, "A")) {
        return {"A - Accepted", {}};
    }
    if (SameShortText(code, "E")) {
        return {"E - Accepted (But Errors Were Noted)", {}};
    }
    if (SameShortText(code, "M")) {
        return {"M - Rejected", "Message Authentication Code (MAC) Failed"};
    }
    if (SameShortText(code, "P") && groupStatus) {
        return {"P - Partially Accepted", "At Least One Transaction Set Was Rejected"};
    }
    if (SameShortText(code, "R")) {
        return {"R - Rejected", {}};
    }
    if (SameShortText(code, "W")) {
        return {"W - Rejected", "Assurance Failed Validity Tests"};
    }
    if (SameShortText(code, "X")) {
        return {"X - Rejected", "Content After Decryption Could Not Be Analyzed"};
    }
    return {"***ERROR*** Unknown Status Code ... Contact Your Distributor.", {}};
}

std::span<const std::string_view> TransactionSetSyntaxErrorLines(std::string_view code, CodeContext context)
{
    return Lines(kTransactionSetSyntaxErrors, code, context);
}

std::span<const std::string_view> GroupSyntaxErrorLines(std::string_view code, CodeContext context)
{
    return Lines(kGroupSyntaxErrors, code, context);
}

std::span<const std::string_view> InterchangeNoteLines(std::string_view code)
{
    return Lines(kInterchangeNotes, code, CodeContext{});
}

std::string_view InterchangeAckCodeText(std::string_view code)
{
    if (SameShortText(code, "A")) {
        return "A - Accepted";
    }
    if (SameShortText(code, "E")) {
        return "E - Accepted (But Errors Were Noted)";
    }
    if (SameShortText(code, "R")) {
        return "R - Rejected";
    }
    return {};
}

} // namespace talmere::ansi99x
