#pragma once

// What the IBR, EBR and DPR formats share beyond their records: the report lines they have in common, the claim
// test by values 1 to 4 of IBR and EBR, and what a listing line gathers from the records of a file.

#include "common/ReportLibraryInterface.h"
#include "library/clearinghouse/AvailityRecords.h"
#include "library/frame/ClaimReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talmere {

// What the IBR, EBR and DPR report writers start from: the report text and the width long values wrap at.
class AvailityReportWriter {
public:
    AvailityReportWriter(ReportText& text, const ClaimReportContext& context)
        : m_text(text), m_wrapWidth(context.wrapWidth)
    {
    }

protected:
    ReportText& m_text;
    int m_wrapWidth;
};

// The spacing of a file heading: the width of the date received and of the batch ID, and the captions of the
// time received and the file control number beside them, spaces included.
struct FileHeadingLayout {
    std::size_t valueWidth;
    std::string_view timeCaption;
    std::string_view controlNumberCaption;
};

// The file heading as the IBR and EBR reports lay it out.
inline constexpr FileHeadingLayout kBatchFileHeading{22, " Time Received:        ", " File Control Number:  "};

// The lines of a file heading: the customer ID, the date and time received, the batch ID and file control
// number, the file ID and the file name. The customer ID, file ID and file name only when they are shown.
void WriteFileHeading(ReportText& text, int labelWidth, const FileHeadingLayout& layout,
                      const AvailityFileHeading& heading);

// The location line of an error record: "Error Loop: " with the loop in 10, then the segment and the element,
// each after its caption and in its width, and the version.
void WriteErrorLocationLine(ReportText& text, int labelWidth, std::string_view loop, std::string_view segment,
                            std::string_view element, std::string_view version);

// The location line of a claim message: the label, the loop in 10, "Segment ID: " with the segment ID in 22,
// "Element #: " with the element.
void WriteMessageLocationLine(ReportText& text, std::string_view label, int labelWidth, std::string_view loop,
                              std::string_view segmentId, std::string_view element);

// The totals lines of files and payers: the count in 22, then "Charges: " and the charges right in 14.
void WriteTotalsLine(ReportText& text, std::string_view label, std::string_view count, std::string_view charges);

// The '=' and '-' rules between blocks: 80 characters whatever the wrap width.
void WriteRule(ReportText& text, char c);

// Selection values 1 to 4 of the IBR and EBR reports: the patient control number, the patient name, the
// payer's name or ID, the billing provider ID.
bool ClaimMatchesValues(const SelectionValues& values, const AvailityPayerRecord& payer,
                        std::string_view patientControlNumber, std::string_view patientName,
                        std::string_view billingProviderId);

// What the records of the IBR and EBR reports are to the claim selection: "1" heads a file and "2" a payer, "1E"
// and "2E" are their messages, "3" is a claim and every other type a part of the claim before it.
SelectionRole BatchSelectionRole(std::string_view type);

// The claim counts of a listing line.
struct ClaimCounts {
    std::int64_t received = 0;
    std::int64_t accepted = 0;
    std::int64_t rejected = 0;
};

// What the listing line of a file gathers from its records: the first file heading, and the payer.
class AvailityListing {
public:
    // The first heading of the file is the one listed.
    void addHeading(const AvailityFileHeading& heading);
    // The payer listed is the first one, or "MIXED" once another differs from it (ignoring case).
    void addPayer(std::string_view payer);

    // The heading's date and time received around the name, the batch ID, the payer, the file control number
    // and the name again.
    std::string line(std::string_view name) const;
    // The same with the claim counts after the payer, for a file that begins with a valid file record: 0 with
    // the line, or 7 when the file has no heading.
    int lineWithCounts(std::string_view name, const ClaimCounts& counts, std::string& line) const;

private:
    std::string_view payer() const;

    AvailityFileHeading m_heading;
    std::string m_payer;
    bool m_hasHeading = false;
    bool m_hasPayer = false;
    bool m_mixed = false;
};

} // namespace talmere
