#include "library/frame/ClaimRecords.h"

#include "common/TextUtil.h"

namespace talmere {

namespace {

bool TakeField(std::string_view& line, bool needsBar, std::string& field, bool trimLeft)
{
    const std::size_t bar = line.find('|');
    std::string_view value;
    if (bar == std::string_view::npos) {
        if (needsBar) {
            return false;
        }
        value = line;
        line = {};
    } else {
        value = line.substr(0, bar);
        line.remove_prefix(bar + 1);
    }
    if (trimLeft) {
        value = TrimLeftBlanks(value);
    }
    field.assign(value);
    return true;
}

} // namespace

std::string ReadRecordType(std::string_view& line, std::initializer_list<std::string_view> recordTypes)
{
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) {
        return {};
    }
    std::string type = AsciiUpper(TrimBlanks(line.substr(0, bar)));
    line.remove_prefix(bar + 1);
    for (std::string_view known : recordTypes) {
        if (type == known) {
            return type;
        }
    }
    return {};
}

bool NextRecordField(std::string_view& line, bool needsBar, std::string& field)
{
    return TakeField(line, needsBar, field, true);
}

bool NextExactRecordField(std::string_view& line, bool needsBar, std::string& field)
{
    return TakeField(line, needsBar, field, false);
}

void AllowedRecords::allow(std::initializer_list<std::string_view> types)
{
    // "|" and each type followed by "|", up to the first empty one; built in place so that no allocation is
    // made per record.
    m_joined.assign("|");
    for (std::string_view type : types) {
        if (type.empty()) {
            break;
        }
        m_joined.append(type).append("|");
    }
}

bool AllowedRecords::contains(std::string_view type) const
{
    if (type.empty()) {
        return false;
    }
    for (std::size_t at = m_joined.find(type, 1); at != std::string::npos; at = m_joined.find(type, at + 1)) {
        if (m_joined[at - 1] == '|' && at + type.size() < m_joined.size() && m_joined[at + type.size()] == '|') {
            return true;
        }
    }
    return false;
}

bool RecordLineReader::next(std::string_view& line)
{
    while (!m_file.atEnd()) {
        ReadTextLine(m_file, m_line);
        const std::string_view trimmed = TrimBlanks(m_line);
        if (trimmed.empty() || (m_skipDashLines && trimmed.front() == '-')) {
            continue;
        }
        line = trimmed;
        return true;
    }
    return false;
}

} // namespace talmere
