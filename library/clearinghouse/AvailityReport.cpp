#include "library/clearinghouse/AvailityReport.h"

#include "common/TextUtil.h"
#include "library/frame/Formatting.h"
#include "library/frame/ListingDriver.h"

namespace talmere {

namespace {

// The totals lines and the rules have their labels in 20 in every report.
constexpr int kLineLabelWidth = 20;

} // namespace

void WriteFileHeading(ReportText& text, int labelWidth, const FileHeadingLayout& layout,
                      const AvailityFileHeading& heading)
{
    if (IsShown(heading.customerId)) {
        text.start("Customer ID:", labelWidth).text(heading.customerId).end();
    }
    text.start("Date Received:", labelWidth)
        .left(FormatDisplayDate(heading.dateReceived), layout.valueWidth)
        .text(layout.timeCaption)
        .text(FormatLongTime(heading.dateReceived))
        .end();
    text.start("Availity Batch ID:", labelWidth)
        .left(heading.batchId, layout.valueWidth)
        .text(layout.controlNumberCaption)
        .text(heading.fileControlNumber)
        .end();
    if (IsShown(heading.fileId)) {
        text.start("Availity File ID:", labelWidth).left(heading.fileId, 60).end();
    }
    if (IsShown(heading.fileName)) {
        text.start("File Name:", labelWidth).left(heading.fileName, 60).end();
    }
}

void WriteErrorLocationLine(ReportText& text, int labelWidth, std::string_view loop, std::string_view segment,
                            std::string_view element, std::string_view version)
{
    if (loop.empty() && segment.empty() && element.empty()) {
        loop = segment = element = "NA";
    }
    text.start("Error Loop: ", labelWidth)
        .left(loop, 10)
        .text("Segment: ")
        .left(segment, 20)
        .text("Element: ")
        .left(element, 16)
        .text("Vers: ")
        .text(version)
        .end();
}

void WriteMessageLocationLine(ReportText& text, std::string_view label, int labelWidth, std::string_view loop,
                              std::string_view segmentId, std::string_view element)
{
    text.start(label, labelWidth)
        .left(loop, 10)
        .text("Segment ID: ")
        .left(segmentId, 22)
        .text("Element #: ")
        .text(element)
        .end();
}

void WriteTotalsLine(ReportText& text, std::string_view label, std::string_view count, std::string_view charges)
{
    text.start(label, kLineLabelWidth).left(count, 22).text(" Charges: ").right(charges, 14).end();
}

void WriteRule(ReportText& text, char c)
{
    const std::string label(kLineLabelWidth, c);
    const std::string value(60, c);
    text.start(label, kLineLabelWidth).text(value).end();
}

bool ClaimMatchesValues(const SelectionValues& values, const AvailityPayerRecord& payer,
                        std::string_view patientControlNumber, std::string_view patientName,
                        std::string_view billingProviderId)
{
    return values.fieldBeginsWith(1, patientControlNumber) && values.fieldBeginsWith(2, patientName) &&
           (values[3].empty() || BeginsWithNoCase(payer.payerName, values[3]) ||
            BeginsWithNoCase(payer.payerId, values[3])) &&
           values.fieldBeginsWith(4, billingProviderId);
}

SelectionRole BatchSelectionRole(std::string_view type)
{
    if (type == "1") {
        return SelectionRole::FileHeading;
    }
    if (type == "2") {
        return SelectionRole::PayerHeading;
    }
    if (type == "1E" || type == "2E") {
        return SelectionRole::HeadingPart;
    }
    return type == "3" ? SelectionRole::Claim : SelectionRole::ClaimPart;
}

void AvailityListing::addHeading(const AvailityFileHeading& heading)
{
    if (!m_hasHeading) {
        m_heading = heading;
        m_hasHeading = true;
    }
}

void AvailityListing::addPayer(std::string_view payer)
{
    if (!m_hasPayer) {
        m_payer = payer;
        m_hasPayer = true;
    } else if (!EqualsNoCase(m_payer, payer)) {
        m_mixed = true;
    }
}

std::string_view AvailityListing::payer() const
{
    return m_mixed ? std::string_view("MIXED") : std::string_view(m_payer);
}

std::string AvailityListing::line(std::string_view name) const
{
    return ListingLine(m_heading.dateReceived, ListingTime::WithSeconds, name,
                       {m_heading.batchId, payer(), m_heading.fileControlNumber});
}

int AvailityListing::lineWithCounts(std::string_view name, const ClaimCounts& counts, std::string& line) const
{
    if (!m_hasHeading) {
        return kStatusInvalidRecord;
    }
    line = ListingLine(m_heading.dateReceived, ListingTime::WithSeconds, name,
                       {m_heading.batchId, payer(), std::to_string(counts.received), std::to_string(counts.accepted),
                        std::to_string(counts.rejected), m_heading.fileControlNumber});
    return kStatusSuccess;
}

} // namespace talmere
