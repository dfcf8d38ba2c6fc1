#include "library/frame/ClaimSelection.h"

#include "common/TextUtil.h"
#include "library/frame/FieldLists.h"

#include <algorithm>

namespace talmere {

namespace {

// Up to this much of what a selection may still take back is kept in memory.
constexpr std::size_t kSelectionTailLimit = 1 << 20;

} // namespace

SelectionValues::SelectionValues(const ReportRequest& request, int count)
{
    for (int number = 1; number <= count && number <= kRequestFilterCount; ++number) {
        m_values[static_cast<std::size_t>(number - 1)] = TrimBlanks(request.filterValue(number));
        m_any = m_any || !m_values[static_cast<std::size_t>(number - 1)].empty();
    }
}

std::string_view SelectionValues::operator[](int number) const
{
    if (number < 1 || number > kRequestFilterCount) {
        return {};
    }
    return m_values[static_cast<std::size_t>(number - 1)];
}

bool SelectionValues::fieldBeginsWith(int number, std::string_view field) const
{
    const std::string_view value = (*this)[number];
    return value.empty() || BeginsWithNoCase(field, value);
}

std::string StatusCodeList(std::string_view selectionValue)
{
    const std::string value = AsciiUpper(TrimBlanks(selectionValue));
    std::string list = "|";
    bool namesNotAvailable = false;
    std::size_t start = std::string::npos;
    auto endCode = [&](std::size_t end) {
        if (start != std::string::npos) {
            const std::string_view code = std::string_view(value).substr(start, end - start);
            list.append(code).append("|");
            namesNotAvailable = namesNotAvailable || code == "NA";
            start = std::string::npos;
        }
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ' ' || c == ',' || c == ';' || c == '|') {
            endCode(i);
        } else if (start == std::string::npos) {
            start = i;
        }
    }
    endCode(value.size());
    if (namesNotAvailable) {
        list += '|';
    }
    return list;
}

bool InStatusCodeList(std::string_view code, std::string_view list)
{
    return FieldListContains(code, list);
}

bool BeginsWithNoCase(std::string_view field, std::string_view prefix)
{
    return field.size() >= prefix.size() && EqualsNoCase(field.substr(0, prefix.size()), prefix);
}

void SelectionOutput::writeLine(std::string_view line)
{
    m_tail.append(line);
    m_tail.append("\r\n");
    if (m_tail.size() >= kSelectionTailLimit) {
        spill();
    }
}

void SelectionOutput::spill()
{
    m_file.write(m_tail);
    m_written += m_tail.size();
    m_tail.clear();
}

void SelectionOutput::takeBack(std::uint64_t position)
{
    if (position >= m_written) {
        m_tail.resize(std::min<std::uint64_t>(position - m_written, m_tail.size()));
        return;
    }
    // What is taken back has already gone to the file.
    m_tail.clear();
    m_file.truncate(position);
    m_written = position;
}

void SelectionOutput::close()
{
    spill();
    m_file.close();
}

void ClaimSelection::heading(SelectionRole role, std::string_view line)
{
    if (role == SelectionRole::HeadingPart) {
        if (m_partsOf != nullptr && m_partsOf->has_value()) {
            write(line);
        }
        return;
    }
    endClaim();
    if (role == SelectionRole::FileHeading) {
        dropHeadings();
        m_fileStart = m_out.position();
        m_partsOf = &m_fileStart;
    } else {
        if (m_payerStart) {
            m_out.takeBack(*m_payerStart);
        }
        m_payerStart = m_out.position();
        m_partsOf = &m_payerStart;
    }
    write(line);
}

void ClaimSelection::claim(std::string_view line, ClaimVerdict verdict)
{
    endClaim();
    m_claimOpen = true;
    m_verdict = verdict;
    m_claimStart = m_out.position();
    if (verdict != ClaimVerdict::Rejected) {
        write(line);
    }
}

void ClaimSelection::unreadable(SelectionRole role)
{
    if (role != SelectionRole::HeadingPart && role != SelectionRole::ClaimPart) {
        endClaim();
    }
}

void ClaimSelection::finish()
{
    endClaim();
    dropHeadings();
}

void ClaimSelection::endClaim()
{
    if (!m_claimOpen) {
        return;
    }
    if (m_verdict == ClaimVerdict::Selected) {
        // The headings above it stay where they are, written once.
        m_fileStart.reset();
        m_payerStart.reset();
    } else if (m_verdict == ClaimVerdict::Undecided) {
        m_out.takeBack(m_claimStart);
    }
    m_claimOpen = false;
}

void ClaimSelection::dropHeadings()
{
    if (m_fileStart || m_payerStart) {
        m_out.takeBack(m_fileStart ? *m_fileStart : *m_payerStart);
    }
    m_fileStart.reset();
    m_payerStart.reset();
}

} // namespace talmere
