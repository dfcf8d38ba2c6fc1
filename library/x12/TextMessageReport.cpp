#include "library/x12/TextMessageReport.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/ColumnTable.h"
#include "library/frame/ReportText.h"
#include "library/x12/X12Reports.h"
#include "library/x12/X12SegmentReader.h"

#include <filesystem>
#include <string>

namespace talmere::ansi864 {

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

namespace {

// Everything after "Input file '<name>' is not a valid ANSI-864 file ".
constexpr std::string_view kMissingGs = "(invalid or missing GS segment)";
constexpr std::string_view kBadGsDate = "(invalid GS segment date/time)";
constexpr std::string_view kMissingSt = "(invalid or missing ST segment)";
constexpr std::string_view kMissingMit = "(missing MIT segment)";

constexpr char kFormFeed = '\f';

// A segment that ends the messages of a transaction set: its trailer, or one that closes an envelope
// around it (a set whose trailer is missing).
bool EndsSet(const X12SegmentReader& reader)
{
    const std::string_view id = reader.segmentId();
    return id == "SE" || id == "ST" || id == "GE" || id == "GT" || id == "ISA" || id == "IEA";
}

// One pass over a message file, shared by the scan (summary only) and the report (which writes as it goes).
class TextMessageWalk {
public:
    TextMessageWalk(X12SegmentReader& reader, ReportText* out) : m_reader(reader), m_out(out) {}

    int run();
    THeaderInfo& info() { return m_info; }
    bool mitSeen() const { return m_mitSeen; }
    // The summary's date and time: of the first DTM when it gave a date, else of the first TX group.
    bool summaryDateTime(X12Date& date, X12Time& time) const;

private:
    int walkInterchange();
    int walkGroup();
    int scanSet();
    int reportSet();
    void checkDateTimeReference();
    void writeMessageLine();
    void formFeed()
    {
        if (m_out != nullptr) {
            m_out->pending() += kFormFeed;
        }
    }
    int skipPast(std::string_view name);

    X12SegmentReader& m_reader;
    ReportText* m_out;
    THeaderInfo m_info;
    bool m_txGroupSeen = false;
    bool m_setSeen = false;
    bool m_mitSeen = false;
    bool m_dtmSeen = false;
    bool m_dtmDate = false;
    bool m_dtmTime = false;
    X12Date m_dtmDateValue;
    X12Time m_dtmTimeValue;
    X12Date m_groupDate;
    X12Time m_groupTime;
    bool m_groupScanEnded = false;
};

// Passes over the rest of an envelope up to and including its trailer, unless the current segment already
// closes it.
int TextMessageWalk::skipPast(std::string_view name)
{
    const bool closed = m_reader.atEnd() || m_reader.isSegment("IEA") || m_reader.isSegment("ISA") ||
                        (name != "GE" && (m_reader.isSegment("GE") || m_reader.isSegment("GT")));
    if (!closed && !m_reader.isSegment(name)) {
        if (const int status = m_reader.SkipToSegment(name); status != 0) {
            return status;
        }
    }
    return m_reader.isSegment(name) ? m_reader.ReadNextSegment() : 0;
}

int TextMessageWalk::run()
{
    for (bool first = true;; first = false) {
        bool found = false;
        if (const int status = m_reader.ReadInterchangeHeader(first, found); status != 0 || !found) {
            return status;
        }
        if (!first) {
            formFeed();
        }
        if (const int status = walkInterchange(); status != 0) {
            return status;
        }
    }
}

int TextMessageWalk::walkInterchange()
{
    bool laterGroup = false;
    int status = m_reader.ReadNextSegment();
    while (status == 0 && !m_reader.atEnd() && !m_reader.isSegment("IEA")) {
        if (!m_reader.isSegment("GS")) {
            return m_reader.FailNotValid(kMissingGs);
        }
        if (m_reader.element(1) != "TX") {
            status = skipPast("GE");
            continue;
        }
        X12Date date;
        X12Time time;
        if (!ParseX12Date(m_reader.element(4), date) || !ParseX12Time(m_reader.element(5).substr(0, 4), time)) {
            return m_reader.FailNotValid(kBadGsDate);
        }
        if (!m_txGroupSeen) {
            m_txGroupSeen = true;
            m_info.senderId = m_reader.element(2);
            m_info.receiverId = m_reader.element(3);
            m_groupDate = date;
            m_groupTime = time;
        }
        if (laterGroup) {
            formFeed();
        }
        laterGroup = true;
        if ((status = walkGroup()) != 0) {
            return status;
        }
        if (m_reader.isSegment("GE")) {
            status = m_reader.ReadNextSegment();
        }
    }
    return status;
}

int TextMessageWalk::walkGroup()
{
    bool laterSet = false;
    m_groupScanEnded = false;
    int status = m_reader.ReadNextSegment();
    while (status == 0 && !m_reader.atEnd() && !m_reader.isSegment("GE")) {
        if (!m_reader.isSegment("ST")) {
            return m_reader.FailNotValid(kMissingSt);
        }
        if (m_reader.element(1) != "864") {
            status = skipPast("SE");
            continue;
        }
        if (!m_setSeen) {
            m_setSeen = true;
            m_info.transCtrlNo = m_reader.element(2);
        }
        if (laterSet) {
            formFeed();
        }
        laterSet = true;
        if ((status = m_out != nullptr ? reportSet() : scanSet()) != 0) {
            return status;
        }
        if (m_groupScanEnded) {
            // A set without a message ends the scan of its group.
            const bool closed =
                m_reader.atEnd() || m_reader.isSegment("GE") || m_reader.isSegment("ISA") || m_reader.isSegment("IEA");
            return closed ? 0 : m_reader.SkipToSegment("GE");
        }
        status = skipPast("SE");
    }
    return status;
}

void TextMessageWalk::checkDateTimeReference()
{
    if (m_dtmSeen) {
        return;
    }
    m_dtmSeen = true;
    if (!ParseX12Date(m_reader.element(2), m_dtmDateValue)) {
        return;
    }
    m_dtmDate = true;
    const std::string_view time = m_reader.element(3);
    m_dtmTime = !time.empty() && ParseX12Time(time.substr(0, 4), m_dtmTimeValue);
}

int TextMessageWalk::scanSet()
{
    for (;;) {
        if (const int status = m_reader.ReadNextSegment(); status != 0 || m_reader.atEnd()) {
            return status;
        }
        if (m_reader.isSegment("MIT")) {
            if (!m_mitSeen) {
                m_mitSeen = true;
                m_info.messageRefNo = m_reader.element(1);
            }
            return 0;
        }
        if (EndsSet(m_reader)) {
            m_groupScanEnded = true;
            return 0;
        }
        if (m_reader.isSegment("DTM")) {
            checkDateTimeReference();
        }
    }
}

int TextMessageWalk::reportSet()
{
    if (const int status = m_reader.SkipToSegment("MIT"); status != 0) {
        return status;
    }
    if (!m_reader.isSegment("MIT")) {
        return m_reader.FailNotValid(kMissingMit);
    }
    bool laterMessage = false;
    while (m_reader.isSegment("MIT")) {
        if (!m_mitSeen) {
            m_mitSeen = true;
            m_info.messageRefNo = m_reader.element(1);
        }
        if (laterMessage) {
            formFeed();
        }
        laterMessage = true;
        for (;;) {
            if (const int status = m_reader.ReadNextSegment(); status != 0 || m_reader.atEnd()) {
                return status;
            }
            if (m_reader.isSegment("MIT") || EndsSet(m_reader)) {
                break;
            }
            if (m_reader.isSegment("MSG")) {
                writeMessageLine();
            } else if (m_reader.isSegment("DTM")) {
                checkDateTimeReference();
            }
        }
    }
    return 0;
}

void TextMessageWalk::writeMessageLine()
{
    ReportText& text = m_out->pending();
    const std::string control = AsciiUpper(m_reader.element(2));
    if (control == "AA") {
        int count = 1;
        if (const std::string_view lines = m_reader.element(3); !lines.empty()) {
            const std::optional<int> value = ParseInteger(lines);
            count = value && *value >= 0 ? std::min(*value, kMaxLineAdvance) : 1;
        }
        for (int i = 0; i < count; ++i) {
            m_out->end();
        }
    } else if (control == "AT") {
        m_out->end();
        m_out->end();
        m_out->end();
    } else if (control == "DS") {
        m_out->end();
        m_out->end();
    } else if (control == "NP") {
        text += kFormFeed;
    } else if (control != "LC" && control != "NS") {
        m_out->end();
    }
    m_out->pending() += m_reader.element(1);
}

bool TextMessageWalk::summaryDateTime(X12Date& date, X12Time& time) const
{
    if (m_dtmDate) {
        date = m_dtmDateValue;
        time = m_dtmTime ? m_dtmTimeValue : X12Time{};
        return true;
    }
    if (m_txGroupSeen) {
        date = m_groupDate;
        time = m_groupTime;
        return true;
    }
    return false;
}

// Reads the file into its summary: 0, 3 for a missing file, 6 when it gives no date, or 98 with the
// process-error text.
int ScanTextMessage(X12SegmentReader& reader, const ReportFolder& folder, std::string_view name, THeaderInfo& info)
{
    info = THeaderInfo{};
    return ScanX12File<TextMessageWalk>(
        reader, [&reader, &folder, name] { return reader.open(folder, name); },
        [&reader](const TextMessageWalk& walk, int status) {
            return walk.mitSeen() ? status : reader.FailNotValid(kMissingMit);
        },
        [&info](TextMessageWalk& walk, int status) {
            info = std::move(walk.info());
            if (status == 0) {
                info.hasDateTime = walk.summaryDateTime(info.date, info.time);
                if (!info.hasDateTime) {
                    status = kStatusInvalidFormat;
                }
            }
            return status;
        });
}

int BuildTextMessageListingLine(X12SegmentReader& reader, const ReportFolder& folder, std::string_view name,
                                std::string& line)
{
    THeaderInfo info;
    if (const int status = ScanTextMessage(reader, folder, name, info); status != 0) {
        return status;
    }
    line = X12ListingLine(info.date, info.time, name,
                          {info.senderId, info.receiverId, info.transCtrlNo, info.messageRefNo});
    return kStatusSuccess;
}

int CreateTextMessageListing(const ReportRequest& request)
{
    return CreateX12Listing(request, X12ReaderVariant::TextMessage, BuildTextMessageListingLine);
}

int GenerateTextMessageReport(const ReportRequest& request)
{
    // A complete report ends its last line.
    const auto finish = [](const TextMessageWalk&, ReportText& out) { out.end(); };
    return GenerateX12Report<TextMessageWalk>(request, X12ReaderVariant::TextMessage, finish);
}

} // namespace

constinit const ReportFormat kAnsi864Format{
    "ANSI_864",          kTypeAnsi864,  CreateTextMessageListing,   GenerateTextMessageReport,
    AnswerNoCustomMatch, AnswerSuccess, OutputFailure::AnswerStatus};

} // namespace talmere::ansi864
