#pragma once

// The custom match test of the action types (COPY, MOVE, DELETE): looks into a staged file's X12 envelope and
// decides whether it is a transaction of the kind named by Param1 (271, 277, 277CA, 835 or an acknowledgment),
// for the claim type named by Param2, and, where the configured intermediary requires it, from the right
// sender or to the right receiver.

#include "library/frame/ReportFormat.h"

#include <string>
#include <string_view>
#include <vector>

namespace talmere::x12ident {

// The action types COPY, MOVE and DELETE.
extern const ReportFormat kCopyFormat;
extern const ReportFormat kMoveFormat;
extern const ReportFormat kDeleteFormat;

// The segments examined: the first 300 of the file.
inline constexpr int kSegmentsExamined = 300;

// The first segments of an X12 file as whole texts, the ISA first.
class X12SegmentList {
public:
    // False when the file is missing, is not X12 or cannot be read.
    bool load(const std::filesystem::path& file);
    // Takes texts as the loader gives them (for tests): the first must be the 106-character ISA.
    void assign(std::vector<std::string> texts);

    bool empty() const { return m_texts.empty(); }
    const std::string& text(int index) const { return m_texts[static_cast<std::size_t>(index)]; }
    char elementSeparator() const { return m_elementSeparator; }
    char segmentTerminator() const { return m_segmentTerminator; }

    // The index of the first text at or after start that begins with the name and the element separator;
    // -1 when there is none.
    int FindSegment(std::string_view name, int start) const;
    // The text of the first such segment, empty when there is none.
    std::string_view firstText(std::string_view name) const;
    // The n-th element of a segment text, trimmed (element 0 is the segment identifier).
    std::string_view SegmentElement(std::string_view text, int n) const;

private:
    void takeDelimiters();

    std::vector<std::string> m_texts;
    char m_elementSeparator = '*';
    char m_segmentTerminator = '~';
};

// Whether the trace numbers (TRN02) of the list mark the claim type wanted: a 19-character number that starts
// with a valid date and ends in "U" (institutional) or "H" (professional). A file without any such number
// passes only when unmarked files are accepted.
bool HasClaimTypeTraceNumber(const X12SegmentList& list, bool institutionalWanted, bool professionalWanted,
                             bool acceptUnmarked);

// What decides the test besides the file: the request's parameters and the intermediary setting.
struct IdentificationCriteria {
    std::string kind;            // Param1, upper case
    std::string claimType;       // Param2, upper case
    bool acceptUnmarked = false; // Param3 is "YES"
    std::string intermediary;
    bool forDeleteType = false;
};

// True when the loaded segments meet the criteria.
bool MeetsIdentificationCriteria(const X12SegmentList& list, const IdentificationCriteria& criteria);

} // namespace talmere::x12ident
