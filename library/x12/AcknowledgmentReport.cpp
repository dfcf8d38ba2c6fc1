#include "library/x12/AcknowledgmentReport.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/ColumnTable.h"
#include "library/frame/ReportText.h"
#include "library/x12/AcknowledgmentCodes.h"
#include "library/x12/X12Reports.h"
#include "library/x12/X12SegmentReader.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace talmere::ansi99x {

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

namespace {

// Everything after "Input file '<name>' is not a valid ANSI-997 or ANSI-999 file ".
constexpr std::string_view kMissingGs = "(invalid or missing GS segment)";
constexpr std::string_view kBadGsDate = "(invalid GS segment date/time)";
constexpr std::string_view kMissingSt = "(invalid or missing ST segment)";
constexpr std::string_view kMissingAk1 = "(invalid or missing AK1 segment)";
constexpr std::string_view kBadTa1Date = "(invalid TA1 segment date/time)";
constexpr std::string_view kNoAk1OrTa1 = "(must contain AK1 or TA1 segment)";

constexpr std::string_view kInterchangeBanner = "*** START NEW INTERCHANGE ENVELOPE (ISA/IEA) ***";
constexpr std::string_view kGroupBanner = "*** START NEW FUNCTIONAL GROUP (GS/GE) ***";
constexpr std::string_view kSetBanner = "*** START NEW TRANSACTION SET (TS/TE) ***";

// An integer element of AK9: 0 when it is empty or not a number.
std::int64_t CountValue(std::string_view text)
{
    return ParseInteger(text).value_or(0);
}

// The serial number a group control number carries: the number before a final "001", at least six digits.
bool SerialFromGroupControlNumber(std::string_view ak102, std::string& serial)
{
    if (ak102.size() <= 3 || !ak102.ends_with("001")) {
        return false;
    }
    const std::optional<int> number = ParseInteger(ak102.substr(0, ak102.size() - 3));
    if (!number) {
        return false;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%06d", *number);
    serial = text;
    return true;
}

std::string DisplayDateTime(const X12Date& date, const X12Time& time)
{
    char text[80];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d", date.month, date.day, date.year, time.hour,
                  time.minute);
    return text;
}

// The TA1 values the interchange acknowledgment block prints.
struct InterchangeAck {
    std::string controlNumber;
    X12Date date;
    X12Time time;
    std::string ackCode;
    std::string noteCode;
};

// One pass over an acknowledgment file, shared by the scan (summary only) and the report (which writes as it
// goes). Every method answers a status; 0 lets the walk go on.
class AcknowledgmentWalk {
public:
    AcknowledgmentWalk(X12SegmentReader& reader, ReportText* out) : m_reader(reader), m_out(out)
    {
        m_info.status = "A";
    }

    int run();

    THeaderInfo& info() { return m_info; }
    bool ak1Seen() const { return m_ak1Seen; }
    bool faGroupSeen() const { return m_faGroupSeen; }
    bool ta1Taken() const { return m_ta1Taken; }
    const InterchangeAck& interchangeAck() const { return m_ta1; }

private:
    int walkInterchange(bool firstInterchange);
    int takeInterchangeAck();
    int walkGroup();
    int walkAcknowledgmentSet(bool laterSet);
    int reportSetBody();
    void handleAk9();

    void reportAk2();
    void reportAk3();
    void reportAk4();
    void reportAk5();
    void reportCtx();
    // The lines of the syntax error codes in elements first to last of the current segment; a code without
    // lines gets an empty line and the unknown-code line.
    void reportSyntaxErrors(int first, int last,
                            std::span<const std::string_view> (*linesOf)(std::string_view, CodeContext),
                            std::string_view unknownCode);

    // Passes over the rest of an envelope, unless the current segment already closes it.
    int skipTo(std::string_view name);
    CodeContext codeContext() const { return {m_reader.version() == X12Version::Version5010, m_mode999}; }
    bool version5010() const { return m_reader.version() == X12Version::Version5010; }

    X12SegmentReader& m_reader;
    ReportText* m_out;
    THeaderInfo m_info;
    InterchangeAck m_ta1;
    bool m_ak1Seen = false;
    bool m_faGroupSeen = false;
    bool m_ta1Taken = false;
    bool m_ackSetSeen = false;
    bool m_mode999 = false;
    bool m_groupScanEnded = false;
    int m_faGroupsInInterchange = 0;
    // Report state, kept from one transaction set to the next: AK201 of the current AK2 (for CTX, forgotten at
    // the set status), AK301 of the last AK3 (for AK4), and whether the last AK3/AK4 of the report was an AK3.
    std::string m_ak201;
    std::string m_ak301;
    bool m_lastWasSegmentError = false;
};

int AcknowledgmentWalk::skipTo(std::string_view name)
{
    if (m_reader.atEnd() || m_reader.isSegment(name) || m_reader.isSegment("IEA") || m_reader.isSegment("ISA") ||
        (name != "GE" && (m_reader.isSegment("GE") || m_reader.isSegment("GT")))) {
        return 0;
    }
    return m_reader.SkipToSegment(name);
}

int AcknowledgmentWalk::run()
{
    for (bool first = true;; first = false) {
        bool found = false;
        if (const int status = m_reader.ReadInterchangeHeader(first, found); status != 0 || !found) {
            return status;
        }
        if (!first && m_out != nullptr) {
            m_out->blankLine();
            m_out->blankLine();
            m_out->line(kInterchangeBanner);
            m_out->blankLine();
        }
        if (const int status = walkInterchange(first); status != 0) {
            return status;
        }
    }
}

int AcknowledgmentWalk::walkInterchange(bool firstInterchange)
{
    m_faGroupsInInterchange = 0;
    int status = m_reader.ReadNextSegment();
    while (status == 0 && !m_reader.atEnd() && !m_reader.isSegment("IEA")) {
        if (m_reader.isSegment("TA1")) {
            if (firstInterchange && !m_faGroupSeen) {
                if ((status = takeInterchangeAck()) != 0) {
                    return status;
                }
            }
            status = m_reader.ReadNextSegment();
            continue;
        }
        if (!m_reader.isSegment("GS")) {
            return m_reader.FailNotValid(kMissingGs);
        }
        X12Date date;
        X12Time time;
        if (!ParseX12Date(m_reader.element(4), date) || !ParseX12Time(m_reader.element(5).substr(0, 4), time)) {
            return m_reader.FailNotValid(kBadGsDate);
        }
        if (m_reader.element(1) != "FA") {
            if ((status = skipTo("GE")) == 0 && m_reader.isSegment("GE")) {
                status = m_reader.ReadNextSegment();
            }
            continue;
        }
        if (!m_faGroupSeen) {
            m_faGroupSeen = true;
            m_info.hasDateTime = true;
            m_info.date = date;
            m_info.time = time;
            m_info.sender = m_reader.element(2);
            m_info.receiver = m_reader.element(3);
            m_info.gs08 = m_reader.element(8);
        }
        m_mode999 = m_reader.element(8).substr(0, 10) == "005010X231";
        if (m_out != nullptr) {
            if (m_faGroupsInInterchange > 0) {
                m_out->blankLine();
                m_out->blankLine();
                m_out->line(kGroupBanner);
                m_out->blankLine();
            }
            m_out->line("Acknowledgment Created (GS04/05):        ", DisplayDateTime(date, time));
            m_out->line("Sender Code (GS02):                      ", m_reader.element(2));
            m_out->line("Receiver Code (GS03):                    ", m_reader.element(3));
            m_out->blankLine();
        }
        ++m_faGroupsInInterchange;
        if ((status = walkGroup()) != 0) {
            return status;
        }
        if (m_reader.isSegment("GE")) {
            status = m_reader.ReadNextSegment();
        }
    }
    return status;
}

int AcknowledgmentWalk::takeInterchangeAck()
{
    X12Date date;
    X12Time time;
    const std::string_view shortDate = m_reader.element(2);
    if (shortDate.size() != 6 || !ParseX12Date("20" + std::string(shortDate), date) ||
        !ParseX12Time(m_reader.element(3), time)) {
        return m_reader.FailNotValid(kBadTa1Date);
    }
    m_ta1Taken = true;
    m_ta1 = {std::string(m_reader.element(1)), date, time, std::string(m_reader.element(4)),
             std::string(m_reader.element(5))};
    m_info.hasDateTime = true;
    m_info.date = date;
    m_info.time = time;
    m_info.transSetNo = m_ta1.controlNumber;
    m_info.status = m_ta1.ackCode;
    m_info.serialNo = "TA1";
    m_info.sender.clear();
    m_info.receiver.clear();
    return 0;
}

int AcknowledgmentWalk::walkGroup()
{
    const std::string_view acknowledgmentSet = m_mode999 ? "999" : "997";
    bool laterSet = false;
    m_groupScanEnded = false;
    int status = m_reader.ReadNextSegment();
    while (status == 0 && !m_reader.atEnd() && !m_reader.isSegment("GE")) {
        if (!m_reader.isSegment("ST")) {
            return m_reader.FailNotValid(kMissingSt);
        }
        if (m_reader.element(1) != acknowledgmentSet) {
            if ((status = skipTo("SE")) == 0 && m_reader.isSegment("SE")) {
                status = m_reader.ReadNextSegment();
            }
            continue;
        }
        if ((status = walkAcknowledgmentSet(laterSet)) != 0) {
            return status;
        }
        laterSet = true;
        if (m_groupScanEnded) {
            return skipTo("GE");
        }
        if ((status = skipTo("SE")) == 0 && m_reader.isSegment("SE")) {
            status = m_reader.ReadNextSegment();
        }
    }
    return status;
}

int AcknowledgmentWalk::walkAcknowledgmentSet(bool laterSet)
{
    if (!m_ackSetSeen) {
        m_ackSetSeen = true;
        m_info.transSetNo = m_reader.element(2);
    }
    if (m_out != nullptr) {
        if (laterSet) {
            m_out->blankLine();
            m_out->blankLine();
            m_out->line(kSetBanner);
            m_out->blankLine();
        }
        m_out->line("Ack Transaction Set Control No (ST02):   ", m_reader.element(2));
        m_out->blankLine();
    }
    if (const int status = m_reader.ReadNextSegment(); status != 0) {
        return status;
    }
    if (!m_reader.isSegment("AK1")) {
        return m_reader.FailNotValid(kMissingAk1);
    }
    const std::string_view groupControlNumber = m_reader.element(2);
    const std::string_view version = version5010() ? m_reader.element(3) : std::string_view{};
    std::string serial;
    const bool hasSerial = SerialFromGroupControlNumber(groupControlNumber, serial);
    if (!m_ak1Seen) {
        m_ak1Seen = true;
        m_info.serialNo = hasSerial ? serial : "000000";
        m_info.ak103 = version;
    }
    if (m_out == nullptr) {
        if (const int status = m_reader.SkipToSegment("AK9"); status != 0) {
            return status;
        }
        if (m_reader.isSegment("AK9")) {
            handleAk9();
        } else {
            m_groupScanEnded = true;
        }
        return 0;
    }
    if (hasSerial) {
        m_out->line("Prepare Serial Number:                   ", serial);
    }
    m_out->line("Group Control Number (AK102):            ", groupControlNumber);
    if (version5010()) {
        m_out->line("Version/Release/Industry Code (AK103):   ", version);
    }
    return reportSetBody();
}

int AcknowledgmentWalk::reportSetBody()
{
    for (;;) {
        if (const int status = m_reader.ReadNextSegment(); status != 0 || m_reader.atEnd()) {
            return status;
        }
        if (m_reader.isSegment("AK9")) {
            handleAk9();
            return 0;
        }
        if (m_reader.isSegment("AK2")) {
            reportAk2();
        } else if (m_reader.isSegment(m_mode999 ? "IK3" : "AK3")) {
            reportAk3();
        } else if (m_reader.isSegment(m_mode999 ? "IK4" : "AK4")) {
            reportAk4();
        } else if (m_reader.isSegment(m_mode999 ? "IK5" : "AK5")) {
            reportAk5();
        } else if (m_mode999 && m_reader.isSegment("CTX")) {
            reportCtx();
        } else {
            return m_reader.FailInputFile("' has structural error at segment " + std::string(m_reader.segmentId()));
        }
    }
}

void AcknowledgmentWalk::reportAk2()
{
    m_ak201 = m_reader.element(1);
    m_out->blankLine();
    m_out->line("Transaction Set Control Number (AK202):  ", m_reader.element(2));
    if (version5010()) {
        m_out->line("Implementation Convention Ref (AK203):   ", m_reader.element(3));
    }
}

void AcknowledgmentWalk::reportAk3()
{
    m_ak301 = m_reader.element(1);
    m_lastWasSegmentError = true;
    m_out->blankLine();
    ReportText& out = *m_out;
    out << (m_mode999 ? "Segment In Error (IK301): " : "Segment In Error (AK301): ") << m_reader.element(1)
        << "   Occurrence: " << m_reader.element(2);
    if (!m_reader.element(3).empty()) {
        out << "   Loop: " << m_reader.element(3);
    }
    out.end();
    if (const std::string_view code = m_reader.element(4); !code.empty()) {
        const std::string_view text = SegmentErrorText(code, codeContext());
        if (!text.empty()) {
            out.line("Segment Error Code: ", text);
        } else {
            out.blankLine();
            out.line("***ERROR*** Unknown Segment Error Code ... Contact Your Distributor.");
        }
    }
}

void AcknowledgmentWalk::reportAk4()
{
    m_lastWasSegmentError = false;
    ReportText& out = *m_out;
    out << (m_mode999 ? "Field In Error (IK401):   " : "Field In Error (AK401):   ") << m_ak301;
    m_reader.AppendSplitComposite(out.pending(), m_reader.element(1), 3, 2, " ; ");
    out.end();
    if (const std::string_view reference = m_reader.element(2); !reference.empty()) {
        out.line(m_mode999 ? "Data Element Reference Number (IK402):   " : "Data Element Reference Number (AK402):   ",
                 reference);
    }
    if (const std::string_view code = m_reader.element(3); !code.empty()) {
        const std::string_view text = DataElementErrorText(code, codeContext());
        if (!text.empty()) {
            out.line("Data Element Error: ", text);
        } else {
            out.line("***ERROR*** Unknown Data Element Error ... Contact Your Distributor.");
        }
    }
    if (const std::string_view copy = m_reader.element(4); !copy.empty()) {
        out.line("Copy of Bad Data Element: ", copy);
    }
}

void AcknowledgmentWalk::reportAk5()
{
    ReportText& out = *m_out;
    out.blankLine();
    const StatusText status = AcknowledgmentStatusText(m_reader.element(1), false);
    out.line(m_mode999 ? "Transaction Set Status (IK501):          " : "Transaction Set Status (AK501):          ",
             status.text);
    if (!status.explanation.empty()) {
        out.line("  ", status.explanation);
    }
    if (m_reader.elementCount() > 2) {
        out.line(m_mode999 ? "Transaction Set Syntax Errors (IK502-IK506):"
                           : "Transaction Set Syntax Errors (AK502-AK506):");
    }
    reportSyntaxErrors(2, 6, TransactionSetSyntaxErrorLines,
                       "    ***ERROR*** Unknown TS Syntax Error Code ... Contact Your Distributor.");
    m_ak201.clear();
}

void AcknowledgmentWalk::reportCtx()
{
    ReportText& out = *m_out;
    const std::string_view context = m_reader.element(1);
    if (context.substr(0, 19) == "SITUATIONAL TRIGGER") {
        out << (m_lastWasSegmentError ? "  Segment Context (CTX04-05, 02):        "
                                      : "  Element Context (CTX04-05, 02):        ")
            << m_reader.element(2);
        if (!m_reader.element(5).empty()) {
            m_reader.AppendSplitComposite(out.pending(), m_reader.element(5), 3, 2, "-");
        }
        if (!m_reader.element(4).empty()) {
            out << " (Loop " << m_reader.element(4) << ")";
        }
        out.end();
        if (!m_reader.element(6).empty()) {
            out << "    Data Element Reference(s) (CTX06):   ";
            m_reader.AppendSplitComposite(out.pending(), m_reader.element(6), 2, 0, ", ");
            out.end();
        }
        out.line("    Position in Transaction Set (CTX03): ", m_reader.element(3));
        return;
    }
    // A business unit identifier, possibly repeated; repetitions exist from version 5010 on.
    std::string_view rest = context;
    bool firstLine = true;
    do {
        std::string_view piece = rest;
        rest = {};
        if (version5010()) {
            const std::size_t separator = piece.find(m_reader.repetitionSeparator());
            if (separator != std::string_view::npos) {
                rest = TrimBlanks(piece.substr(separator + 1));
                piece = piece.substr(0, separator);
            }
        }
        out << (firstLine ? "  Business Unit Identifier (CTX01):      " : "                                         ");
        m_reader.AppendSplitComposite(out.pending(), piece, 2, 0, ": ");
        if (firstLine) {
            out << "  (ANSI-" << m_ak201 << ")";
        }
        out.end();
        firstLine = false;
    } while (!rest.empty());
}

void AcknowledgmentWalk::handleAk9()
{
    const std::string_view code = m_reader.element(1);
    // An empty AK901 has no code to rank and leaves the status as it is.
    if (!code.empty() &&
        (m_info.status.empty() || static_cast<unsigned char>(code[0]) > static_cast<unsigned char>(m_info.status[0]))) {
        m_info.status.assign(1, code[0]);
    }
    const std::int64_t included = CountValue(m_reader.element(2));
    const std::int64_t received = CountValue(m_reader.element(3));
    const std::int64_t accepted = CountValue(m_reader.element(4));
    m_info.included += included;
    m_info.received += received;
    m_info.accepted += accepted;
    if (m_out == nullptr) {
        return;
    }
    ReportText& out = *m_out;
    out.blankLine();
    const StatusText status = AcknowledgmentStatusText(code, true);
    out.line("Functional Group Status (AK901):         ", status.text);
    if (!status.explanation.empty()) {
        out.line("  ", status.explanation);
    }
    out.blankLine();
    out.line("Transaction Sets Included (AK902):       ", std::to_string(included));
    out.line("Transaction Sets Received (AK903):       ", std::to_string(received));
    out.line("Transaction Sets Accepted (AK904):       ", std::to_string(accepted));
    if (m_reader.elementCount() > 5) {
        out.blankLine();
        out.line("Functional Group Syntax Errors (AK905-AK909):");
    }
    reportSyntaxErrors(5, 9, GroupSyntaxErrorLines,
                       "    ***ERROR*** Unknown Group Syntax Error Code ... Contact Your Distributor.");
}

void AcknowledgmentWalk::reportSyntaxErrors(int first, int last,
                                            std::span<const std::string_view> (*linesOf)(std::string_view, CodeContext),
                                            std::string_view unknownCode)
{
    ReportText& out = *m_out;
    for (int i = first; i <= last; ++i) {
        const std::string_view code = m_reader.element(i);
        if (code.empty()) {
            continue;
        }
        const auto lines = linesOf(code, codeContext());
        if (lines.empty()) {
            out.blankLine();
            out.line(unknownCode);
        }
        for (std::string_view line : lines) {
            out.line(line);
        }
    }
}

void WriteInterchangeAckBlock(ReportText& out, const InterchangeAck& ack)
{
    out.line("Interchange Control No. (TA101):      ", ack.controlNumber);
    out.line("Interchange Date/Time (TA102/03):     ", DisplayDateTime(ack.date, ack.time));
    out.blankLine();
    const std::string_view ackText = InterchangeAckCodeText(ack.ackCode);
    if (!ackText.empty()) {
        out.line("Interchange Ack Code (TA104):         ", ackText);
    } else {
        out << "Interchange Ack Code (TA104):         " << ack.ackCode << " - Unknown Acknowledgment Code";
        out.end();
    }
    out.blankLine();
    out.line("Interchange Note Code (TA105):");
    const auto notes = InterchangeNoteLines(ack.noteCode);
    if (notes.empty()) {
        out << "   " << ack.noteCode << " - Unknown Interchange Note Code";
        out.end();
    }
    for (std::string_view note : notes) {
        out.line(note);
    }
    out.blankLine();
}

// Reads the whole file that open() opens with the reader into its summary: 0, 3 for a missing file, or 98 with
// the process-error text. A listing reuses one reader for all its files.
template <typename Open>
int ScanAcknowledgment(X12SegmentReader& reader, Open open, THeaderInfo& info)
{
    info = THeaderInfo{};
    return ScanX12File<AcknowledgmentWalk>(
        reader, open,
        [&reader](const AcknowledgmentWalk& walk, int status) {
            // A file without AK1 is only an acknowledgment when it holds an interchange acknowledgment alone.
            const bool acknowledgment = walk.ak1Seen() || (walk.ta1Taken() && !walk.faGroupSeen());
            return acknowledgment ? status : reader.FailNotValid(kNoAk1OrTa1);
        },
        [&info](AcknowledgmentWalk& walk, int status) {
            info = std::move(walk.info());
            return status;
        });
}

int ScanAcknowledgment(const std::filesystem::path& file, THeaderInfo& info)
{
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    return ScanAcknowledgment(
        reader, [&reader, &file] { return reader.open(file); }, info);
}

int BuildAcknowledgmentListingLine(X12SegmentReader& reader, const ReportFolder& folder, std::string_view name,
                                   std::string& line)
{
    THeaderInfo info;
    const auto open = [&reader, &folder, name] { return reader.open(folder, name); };
    if (const int status = ScanAcknowledgment(reader, open, info); status != 0) {
        return status;
    }
    if (!info.hasDateTime) {
        return kStatusInvalidFormat;
    }
    line =
        X12ListingLine(info.date, info.time, name,
                       {info.serialNo, info.status, info.sender, info.receiver, info.transSetNo,
                        std::to_string(info.included), std::to_string(info.received), std::to_string(info.accepted)});
    return kStatusSuccess;
}

int CreateAcknowledgmentListing(const ReportRequest& request)
{
    return CreateX12Listing(request, X12ReaderVariant::Acknowledgment, BuildAcknowledgmentListingLine);
}

int GenerateAcknowledgmentReport(const ReportRequest& request)
{
    // An interchange acknowledgment without functional groups gets a block of its own at the end.
    const auto finish = [](const AcknowledgmentWalk& walk, ReportText& out) {
        if (walk.ta1Taken() && !walk.faGroupSeen()) {
            WriteInterchangeAckBlock(out, walk.interchangeAck());
        }
    };
    return GenerateX12Report<AcknowledgmentWalk>(request, X12ReaderVariant::Acknowledgment, finish);
}

// Tells acknowledgments of institutional claims from those of professional claims (Param1).
int MatchAcknowledgmentClaimType(const ReportRequest& request)
{
    const std::filesystem::path file = ResolveReportFile(request);
    THeaderInfo info;
    if (!IsX12ReportFile(file) || ScanAcknowledgment(file, info) != 0) {
        return kStatusNoCustomMatch;
    }
    const std::string claimType = AsciiUpper(request.param(1));
    const auto contains = [](std::string_view text, std::string_view code) {
        return text.find(code) != std::string_view::npos;
    };
    const bool groupOf5010 = contains(info.gs08, "X230") || contains(info.gs08, "X231");
    const bool institutional =
        contains(info.gs08, "X096") || (groupOf5010 && !contains(info.ak103, "X098") && !contains(info.ak103, "X097") &&
                                        !contains(info.ak103, "X222") && !contains(info.ak103, "X224"));
    const bool professional = contains(info.gs08, "X097") || contains(info.gs08, "X098") ||
                              (groupOf5010 && !contains(info.ak103, "X096") && !contains(info.ak103, "X223"));
    if (claimType.empty() || claimType == "BOTH" || (claimType == "INST" && institutional) ||
        (claimType == "PROF" && professional) || info.serialNo == "TA1") {
        return kStatusCustomMatch;
    }
    return kStatusNoCustomMatch;
}

constexpr ReportFormat AcknowledgmentFormat(std::string_view name)
{
    return {name,
            kTypeAnsi99x,
            CreateAcknowledgmentListing,
            GenerateAcknowledgmentReport,
            MatchAcknowledgmentClaimType,
            AnswerSuccess,
            OutputFailure::AnswerStatus};
}

} // namespace

constinit const ReportFormat kAnsi997Format = AcknowledgmentFormat("ANSI_997");
constinit const ReportFormat kAnsi999Format = AcknowledgmentFormat("ANSI_999");
constinit const ReportFormat kAnsi99xFormat = AcknowledgmentFormat("ANSI_99X");

} // namespace talmere::ansi99x
