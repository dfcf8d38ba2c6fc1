#pragma once

// The claim selection of the claim reports (Availity IBR, EBR and DPR, Alabama Medicaid BRF): when the user
// entered selection values, the claims that match them are copied, with the headings above them, to a temporary
// file that is then reported instead of the whole file. The selection is one engine; a format supplies only what
// its records are to the selection and its test of a claim.

#include "common/ReportLibraryInterface.h"
#include "library/frame/ClaimRecords.h"
#include "library/frame/ReportRequest.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace talmere {

// The selection values of a request, trimmed, numbered from 1.
class SelectionValues {
public:
    SelectionValues(const ReportRequest& request, int count);
    std::string_view operator[](int number) const;
    bool any() const { return m_any; }

    // True unless the value is set and the field does not begin with it.
    bool fieldBeginsWith(int number, std::string_view field) const;

private:
    std::array<std::string, kRequestFilterCount> m_values;
    bool m_any = false;
};

// The selection test "begins with": the start of the field equals the (trimmed) value, ignoring case.
bool BeginsWithNoCase(std::string_view field, std::string_view prefix);

// A selection value turned into the "|"-joined list of status codes it names: upper-cased, split at blanks,
// ",", ";" and "|". A list that names "NA" also matches an empty code.
std::string StatusCodeList(std::string_view selectionValue);
bool InStatusCodeList(std::string_view code, std::string_view list);

// The file that a claim selection writes. What it writes last may still be taken back: headings and claims are
// written when they are read, but stay only when the claim is selected. The part that may be taken back is held
// in memory up to a limit and goes to the file beyond it, so memory stays flat whatever the number of records
// waiting for their claim's outcome. Raises ReportOutputError when the file cannot be written.
class SelectionOutput {
public:
    bool create(const std::filesystem::path& path) { return m_file.create(path); }
    // Each line is followed by CR LF.
    void writeLine(std::string_view line);
    // The position after everything written so far, for takeBack.
    std::uint64_t position() const { return m_written + m_tail.size(); }
    // Removes everything written after the position.
    void takeBack(std::uint64_t position);
    void close();

private:
    void spill();

    ReportOutputFile m_file;
    std::uint64_t m_written = 0;
    std::string m_tail;
};

// What a record is to the claim selection.
enum class SelectionRole {
    FileHeading,  // the heading of a file
    PayerHeading, // the heading of a payer within the file
    HeadingPart,  // a part of the heading before it (its messages)
    Claim,
    ClaimPart, // a part of the claim before it (its errors, messages, adjudications)
};

// A format's test of a claim at its claim record. An undecided claim is selected by the first of its parts that
// passes the format's test of parts, and left out when none does.
enum class ClaimVerdict {
    Rejected,
    Selected,
    Undecided,
};

// The claim selection, record by record. Headings are held until a claim below them is selected, and then
// copied once, just before it; a heading without a selected claim below it is never copied. A new file heading
// drops every held heading, a new payer heading the held payer heading. A claim is copied with its parts when it
// is selected. A record that cannot be read is left out, and the records around it keep their places; a heading
// or claim that cannot be read still ends the claim before it, so that the parts after it are not copied under
// that claim.
class ClaimSelection {
public:
    explicit ClaimSelection(SelectionOutput& out) : m_out(out) {}

    void heading(SelectionRole role, std::string_view line);
    void claim(std::string_view line, ClaimVerdict verdict);
    // partSelects() is asked only while the claim is undecided.
    template <class PartTest>
    void claimPart(std::string_view line, PartTest partSelects)
    {
        if (!m_claimOpen || m_verdict == ClaimVerdict::Rejected) {
            return;
        }
        if (m_verdict == ClaimVerdict::Undecided && partSelects()) {
            m_verdict = ClaimVerdict::Selected;
        }
        write(line);
    }
    void unreadable(SelectionRole role);

    // After the last record: ends the last claim and drops the held headings.
    void finish();

private:
    void endClaim();
    void dropHeadings();
    void write(std::string_view line) { m_out.writeLine(line); }

    SelectionOutput& m_out;
    // Where the held headings and the open claim begin in the output.
    std::optional<std::uint64_t> m_fileStart;
    std::optional<std::uint64_t> m_payerStart;
    std::uint64_t m_claimStart = 0;
    // The heading whose parts are copied while it is held.
    std::optional<std::uint64_t>* m_partsOf = nullptr;
    bool m_claimOpen = false;
    ClaimVerdict m_verdict = ClaimVerdict::Rejected;
};

// What the selectors of the claim formats start from: the selection values, the status codes that the value
// numbered StatusValue names (StatusCodeList), and the verdict of a claim that its own record decides.
template <int StatusValue>
class ClaimSelector {
public:
    explicit ClaimSelector(const SelectionValues& values)
        : m_values(values), m_statusCodes(statusAsked() ? StatusCodeList(values[StatusValue]) : std::string())
    {
    }

    // A claim that its own record decides has no part that selects it.
    template <class Record>
    static bool partSelects(std::string_view, const Record&)
    {
        return false;
    }

protected:
    static ClaimVerdict Verdict(bool selected) { return selected ? ClaimVerdict::Selected : ClaimVerdict::Rejected; }
    bool statusAsked() const { return !m_values[StatusValue].empty(); }
    bool statusListed(std::string_view code) const { return InStatusCodeList(code, m_statusCodes); }
    // No status asked for, or the code is one of those asked for.
    bool statusMatches(std::string_view code) const { return !statusAsked() || statusListed(code); }

    const SelectionValues& m_values;

private:
    const std::string m_statusCodes;
};

// Runs the claim selection over the records of a file read with the format's record reader (RecordSequence).
// The selector is made from the selection values and supplies:
//   SelectionRole role(std::string_view type) const        what a record of the type is;
//   ClaimVerdict claimVerdict(const Buffer& record) const  its test at a claim record;
//   bool partSelects(std::string_view type, const Buffer& record) const  its test at a part of an undecided
//                                                           claim (never asked when no claim is undecided).
// Answers 0, or 6 at a record that may not come next; raises ReportOutputError when the output cannot be written.
template <class Reader, class Selector>
int SelectClaimRecords(ReportInputFile& in, SelectionOutput& out, const SelectionValues& values)
{
    const Selector selector(values);
    RecordSequence<Reader> records(in);
    ClaimSelection selection(out);
    while (records.next()) {
        const SelectionRole role = selector.role(records.type());
        if (!records.readFields()) {
            selection.unreadable(role);
        } else if (role == SelectionRole::Claim) {
            selection.claim(records.selectionLine(), selector.claimVerdict(records.buffer()));
        } else if (role == SelectionRole::ClaimPart) {
            selection.claimPart(records.selectionLine(),
                                [&] { return selector.partSelects(records.type(), records.buffer()); });
        } else {
            selection.heading(role, records.selectionLine());
        }
    }
    if (records.stopped()) {
        return kStatusInvalidFormat;
    }
    selection.finish();
    return kStatusSuccess;
}

} // namespace talmere
