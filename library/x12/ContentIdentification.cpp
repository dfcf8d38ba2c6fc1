#include "library/x12/ContentIdentification.h"

#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "library/frame/ColumnTable.h"
#include "library/frame/FieldLists.h"
#include "library/frame/ListingDriver.h"
#include "library/x12/X12Reports.h"
#include "library/x12/X12SegmentReader.h"

#include <array>
#include <exception>
#include <initializer_list>

namespace talmere::x12ident {

namespace {

bool Contains(std::string_view text, std::string_view code)
{
    return text.find(code) != std::string_view::npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> codes)
{
    for (std::string_view code : codes) {
        if (Contains(text, code)) {
            return true;
        }
    }
    return false;
}

// Removes blanks and control characters around a text, but never the element separator itself: files whose
// separator is a control character would otherwise lose elements.
std::string_view TrimAround(std::string_view text, char separator)
{
    const auto blank = [separator](char c) { return static_cast<unsigned char>(c) <= ' ' && c != separator; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool InGroup(std::string_view intermediary, std::string_view group)
{
    const std::array<std::string_view, 1> lists{group};
    return ValueInList(intermediary, lists);
}

// The sender or receiver check some intermediaries need. HIGMK and NOVSI mark the claim type with the last
// character of the mark value (1 institutional, 2 professional); ABCBS tells it by the code value.
bool PassesIntermediaryCheck(std::string_view intermediary, std::string_view mark, std::string_view code,
                             bool institutional, bool professional)
{
    if (InGroup(intermediary, "HIGMK|NOVSI")) {
        if (mark.empty()) {
            return true;
        }
        const char last = mark.back();
        if ((institutional && last == '1') || (professional && last == '2')) {
            return true;
        }
        return last != '1' && last != '2';
    }
    if (InGroup(intermediary, "ABCBS")) {
        if (code.empty()) {
            return true;
        }
        if ((institutional && code == "00020") || (professional && (code == "00520" || code == "00528"))) {
            return true;
        }
        return code != "00020" && code != "00520" && code != "00528";
    }
    return true;
}

} // namespace

bool X12SegmentList::load(const std::filesystem::path& file)
{
    const bool loaded = LoadX12SegmentList(file, m_texts, kSegmentsExamined);
    if (!loaded) {
        m_texts.clear();
    }
    takeDelimiters();
    return loaded;
}

void X12SegmentList::assign(std::vector<std::string> texts)
{
    m_texts = std::move(texts);
    takeDelimiters();
}

void X12SegmentList::takeDelimiters()
{
    if (!m_texts.empty() && m_texts.front().size() >= X12SegmentReader::kIsaLength) {
        m_elementSeparator = m_texts.front()[3];
        m_segmentTerminator = m_texts.front()[X12SegmentReader::kIsaLength - 1];
    } else {
        m_elementSeparator = '*';
        m_segmentTerminator = '~';
    }
}

int X12SegmentList::FindSegment(std::string_view name, int start) const
{
    for (std::size_t i = start < 0 ? 0 : static_cast<std::size_t>(start); i < m_texts.size(); ++i) {
        const std::string& text = m_texts[i];
        if (text.size() > name.size() && text.starts_with(name) && text[name.size()] == m_elementSeparator) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string_view X12SegmentList::firstText(std::string_view name) const
{
    const int index = FindSegment(name, 0);
    return index < 0 ? std::string_view{} : std::string_view(text(index));
}

std::string_view X12SegmentList::SegmentElement(std::string_view text, int n) const
{
    std::string_view rest = TrimAround(text, m_elementSeparator);
    for (int i = 0; i < n; ++i) {
        const std::size_t separator = rest.find(m_elementSeparator);
        if (separator == std::string_view::npos) {
            return {};
        }
        rest = TrimAround(rest.substr(separator + 1), m_elementSeparator);
    }
    return TrimAround(rest.substr(0, rest.find(m_elementSeparator)), m_elementSeparator);
}

bool HasClaimTypeTraceNumber(const X12SegmentList& list, bool institutionalWanted, bool professionalWanted,
                             bool acceptUnmarked)
{
    if (list.empty()) {
        return false;
    }
    const char separator = list.elementSeparator();
    bool institutionalSeen = false;
    bool professionalSeen = false;
    for (int index = list.FindSegment("TRN", 0); index >= 0; index = list.FindSegment("TRN", index + 1)) {
        // From TRN01 on, then from TRN02 on, then TRN02 alone.
        std::string_view trace = std::string_view(list.text(index)).substr(4);
        const std::size_t afterFirst = trace.find(separator);
        if (afterFirst == std::string_view::npos) {
            continue;
        }
        trace.remove_prefix(afterFirst + 1);
        std::size_t end = trace.find(separator);
        if (end == std::string_view::npos) {
            end = trace.find(list.segmentTerminator());
        }
        if (end == std::string_view::npos) {
            continue;
        }
        trace = trace.substr(0, end);
        X12Date date;
        if (trace.size() != 19 || !ParseX12Date(trace.substr(0, 8), date)) {
            continue;
        }
        institutionalSeen = institutionalSeen || trace[18] == 'U';
        professionalSeen = professionalSeen || trace[18] == 'H';
        if ((institutionalWanted && institutionalSeen) || (professionalWanted && professionalSeen)) {
            return true;
        }
    }
    return !institutionalSeen && !professionalSeen && acceptUnmarked;
}

bool MeetsIdentificationCriteria(const X12SegmentList& list, const IdentificationCriteria& criteria)
{
    const std::string_view claimType = criteria.claimType;
    const bool institutional = claimType.empty() || claimType == "INST" || claimType == "BOTH";
    const bool professional = claimType.empty() || claimType == "PROF" || claimType == "BOTH";
    const std::string_view gs = list.firstText("GS");
    const std::string_view st = list.firstText("ST");
    const std::string_view isa = list.empty() ? std::string_view{} : std::string_view(list.text(0));
    const std::string_view isa06 = list.SegmentElement(isa, 6);
    const std::string_view isa08 = list.SegmentElement(isa, 8);
    const std::string_view kind = criteria.kind;

    if (kind == "ANSI_271") {
        return ContainsAny(gs, {"X092", "X279"}) && Contains(st, "271") &&
               HasClaimTypeTraceNumber(list, institutional, professional, criteria.acceptUnmarked);
    }
    if (kind == "ANSI_277" || kind == "ANSI_277_ONLY" || kind == "ANSI_277CA_ONLY") {
        const bool rightVersion = kind == "ANSI_277_ONLY"     ? ContainsAny(gs, {"X093", "X212"})
                                  : kind == "ANSI_277CA_ONLY" ? Contains(gs, "X214")
                                                              : ContainsAny(gs, {"X093", "X212", "X214"});
        if (!rightVersion || !Contains(st, "277")) {
            return false;
        }
        // A claim acknowledgment (277CA) carries no trace numbers of ours, and a file about to be deleted
        // needs none.
        if (!Contains(gs, "X214") && !criteria.forDeleteType &&
            !HasClaimTypeTraceNumber(list, institutional, professional, criteria.acceptUnmarked)) {
            return false;
        }
        return PassesIntermediaryCheck(criteria.intermediary, isa06, isa08, institutional, professional);
    }
    if (kind == "ANSI_835") {
        return Contains(st, "835") && ContainsAny(gs, {"X091", "X221"}) && (institutional || professional) &&
               PassesIntermediaryCheck(criteria.intermediary, isa06, isa06, institutional, professional);
    }
    if (kind == "ANSI_99X") {
        bool transactionPasses = list.FindSegment("TA1", 0) >= 0;
        if (!transactionPasses) {
            const std::string_view ak1 = list.firstText("AK1");
            const bool acknowledgment = ContainsAny(st, {"997", "999"});
            const bool acknowledges5010 = ContainsAny(gs, {"X230", "X231"});
            const bool institutionalPart =
                institutional && acknowledgment &&
                (Contains(gs, "X096") || (acknowledges5010 && !ContainsAny(ak1, {"X098", "X097", "X222", "X224"})));
            const bool professionalPart =
                professional && acknowledgment &&
                (ContainsAny(gs, {"X097", "X098"}) || (acknowledges5010 && !ContainsAny(ak1, {"X096", "X223"})));
            transactionPasses = institutionalPart || professionalPart;
        }
        return transactionPasses &&
               PassesIntermediaryCheck(criteria.intermediary, isa06, isa06, institutional, professional);
    }
    return false;
}

namespace {

// The custom match test of COPY, MOVE and DELETE: 80 when the file meets the criteria, 81 otherwise.
int MatchX12Content(const ReportRequest& request)
{
    // The test answers only whether the file belongs to the type; whatever goes wrong, it does not.
    try {
        const std::filesystem::path file = ResolveReportFile(request);
        if (!IsX12ReportFile(file)) {
            return kStatusNoCustomMatch;
        }
        IdentificationCriteria criteria;
        criteria.kind = AsciiUpper(request.param(1));
        criteria.claimType = AsciiUpper(request.param(2));
        criteria.acceptUnmarked = EqualsNoCase(request.param(3), "YES");
        criteria.intermediary = request.settings().intermediary;
        criteria.forDeleteType = request.reportFormat() == "DELETE";
        X12SegmentList list;
        if (!list.load(file)) {
            return kStatusNoCustomMatch;
        }
        return MeetsIdentificationCriteria(list, criteria) ? kStatusCustomMatch : kStatusNoCustomMatch;
    } catch (const std::exception&) {
        return kStatusNoCustomMatch;
    }
}

// An action type has no listing or report of its own; its custom match test is the content identification.
constexpr ReportFormat ActionFormat(std::string_view name, int typeId)
{
    return {name, typeId, AnswerSuccess, AnswerSuccess, MatchX12Content, AnswerSuccess, OutputFailure::AnswerStatus};
}

} // namespace

constinit const ReportFormat kCopyFormat = ActionFormat("COPY", kTypeCopy);
constinit const ReportFormat kMoveFormat = ActionFormat("MOVE", kTypeMove);
constinit const ReportFormat kDeleteFormat = ActionFormat("DELETE", kTypeDelete);

} // namespace talmere::x12ident
