#include "library/clearinghouse/AvailityRecords.h"

#include "common/TextUtil.h"
#include "library/FieldLists.h"
#include "library/ReportWriting.h"

namespace talmere {

namespace {

// Report text is handed to the file in pieces of about this size.
constexpr std::size_t kReportTextChunk = 64 * 1024;

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

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

std::string_view TextPart(std::string_view text, std::size_t position, std::size_t length)
{
    if (position - 1 >= text.size()) {
        return {};
    }
    return text.substr(position - 1, length);
}

std::string MonthDayYear(std::string_view year, std::string_view month, std::string_view day)
{
    std::string result;
    result.reserve(10);
    result.append(month).append("/").append(day).append("/").append(year);
    return result;
}

std::string_view TrimLeftBlanks(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ') {
        ++first;
    }
    return text.substr(first);
}

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

bool ReadErrorRecord(std::string_view fields, AvailityErrorRecord& r, std::string& unused)
{
    RecordFieldReader take(fields);
    take(r.initiator, true)(r.type, true)(r.code, true)(r.message, true)(r.loop, true)(r.segment, true)(
        r.element, false)(unused, false)(unused, false)(unused, false)(r.version, false);
    return take.ok();
}

std::string ReformatAvailityDate(std::string_view text)
{
    if (text.size() == 8 && AllDigits(text)) {
        return MonthDayYear(text.substr(0, 4), text.substr(4, 2), text.substr(6, 2));
    }
    if (text.size() == 10 && AllDigits(text.substr(0, 4)) && AllDigits(text.substr(5, 2)) &&
        AllDigits(text.substr(8, 2)) && !IsDigit(text[4]) && !IsDigit(text[7])) {
        return MonthDayYear(text.substr(0, 4), text.substr(5, 2), text.substr(8, 2));
    }
    return std::string(text);
}

std::string FormatAvailityAmount(std::string_view text)
{
    const std::string_view amount = TrimBlanks(text);
    if (amount.empty()) {
        return "NA";
    }
    std::string result(amount);
    if (IsDigit(amount.back()) && amount.find('.') == std::string_view::npos) {
        result += ".00";
    }
    return result;
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

std::string AvailityStatusText(std::string_view code)
{
    if (code == "A") {
        return "A (accepted)";
    }
    if (code == "R") {
        return "R (rejected)";
    }
    if (code == "W") {
        return "W (warning)";
    }
    if (code == "I") {
        return "I (informational)";
    }
    return std::string(code);
}

std::optional<int> ReadDigits(std::string_view text)
{
    if (text.empty() || text.size() > 9 || !AllDigits(text)) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<DateTimeParts> ReadAvailityDateTime(std::string_view date, std::string_view time)
{
    const std::optional<int> year = ReadDigits(TextPart(date, 1, 4));
    const std::optional<int> month = ReadDigits(TextPart(date, 6, 2));
    const std::optional<int> day = ReadDigits(TextPart(date, 9, 2));
    const std::optional<int> hour = ReadDigits(TextPart(time, 1, 2));
    const std::optional<int> minute = ReadDigits(TextPart(time, 4, 2));
    const std::optional<int> second = ReadDigits(TextPart(time, 7, 2));
    if (!year || !month || !day || !hour || !minute || !second || !IsValidDate(*year, *month, *day) || *hour > 23 ||
        *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    return DateTimeParts{*year, *month, *day, *hour, *minute, *second, 0};
}

std::int64_t ReadCount(std::string_view text)
{
    return ParseInteger(TrimBlanks(text)).value_or(0);
}

bool IsShown(std::string_view value)
{
    return !value.empty() && value != "NA";
}

bool BeginsWithNoCase(std::string_view field, std::string_view prefix)
{
    return field.size() >= prefix.size() && EqualsNoCase(field.substr(0, prefix.size()), prefix);
}

void AllowedRecords::allow(std::initializer_list<std::string_view> types)
{
    // The list JoinFieldList makes of the types, built in place so that no allocation is made per record.
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

ReportText& ReportText::start(std::string_view label, int labelWidth)
{
    return left(label, labelWidth > 0 ? static_cast<std::size_t>(labelWidth) : 0);
}

ReportText& ReportText::text(std::string_view value)
{
    m_buffer.append(value);
    return *this;
}

ReportText& ReportText::left(std::string_view value, std::size_t width)
{
    const std::string_view cut = value.substr(0, width);
    m_buffer.append(cut);
    m_buffer.append(width - cut.size(), ' ');
    return *this;
}

ReportText& ReportText::right(std::string_view value, std::size_t width)
{
    const std::string_view cut = value.substr(0, width);
    m_buffer.append(width - cut.size(), ' ');
    m_buffer.append(cut);
    return *this;
}

ReportText& ReportText::spaces(std::size_t count)
{
    m_buffer.append(count, ' ');
    return *this;
}

void ReportText::end()
{
    m_buffer.append("\r\n");
    if (m_buffer.size() >= kReportTextChunk) {
        flush();
    }
}

void ReportText::wrapped(int labelWidth, int wrapWidth, std::string_view label, std::string_view value)
{
    const std::vector<std::string> pieces = WrapValue(value, wrapWidth);
    start(label, labelWidth).text(pieces.empty() ? std::string_view() : std::string_view(pieces.front())).end();
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        start({}, labelWidth).text(pieces[i]).end();
    }
}

void ReportText::flush()
{
    m_out.write(m_buffer);
    m_buffer.clear();
}

} // namespace talmere
