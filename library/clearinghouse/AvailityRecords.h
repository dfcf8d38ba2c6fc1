#pragma once

// The record conventions of the Availity batch reports: one record per line, a record type before the first
// "|", then "|"-separated fields. Also the records and value rules that the IBR, EBR and DPR reports share
// (dates, amounts, status codes, the allowed record sequence), the line reader that skips empty lines, and
// the pass over a file's records in the order its format allows.

#include "common/DayDate.h"
#include "library/ReportFiles.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace talmere {

// Removes leading blanks and control characters; trailing ones stay.
std::string_view TrimLeftBlanks(std::string_view text);

// Takes the record type off the front of a line: the text before the first "|", trimmed and upper-cased,
// removed from the line together with its "|". Empty when the line has no "|" or the type is not one of the
// given record types.
std::string ReadRecordType(std::string_view& line, std::initializer_list<std::string_view> recordTypes);

// Takes the next field off the line: the text up to the next "|" with leading blanks removed, taken from the
// line with its "|". When no "|" is left, a field that must be followed by one fails; any other field is the
// rest of the line, after which the line is empty (so later fields read as empty).
bool NextRecordField(std::string_view& line, bool needsBar, std::string& field);
// The same with the field taken exactly as it stands between the bars.
bool NextExactRecordField(std::string_view& line, bool needsBar, std::string& field);

// Reads the fields of one record in order with NextRecordField (or, when exact, NextExactRecordField), up to
// the first field that fails.
class RecordFieldReader {
public:
    explicit RecordFieldReader(std::string_view fields, bool exact = false) : m_line(fields), m_exact(exact) {}
    RecordFieldReader& operator()(std::string& field, bool needsBar)
    {
        m_ok = m_ok &&
               (m_exact ? NextExactRecordField(m_line, needsBar, field) : NextRecordField(m_line, needsBar, field));
        return *this;
    }
    bool ok() const { return m_ok; }

private:
    std::string_view m_line;
    bool m_exact;
    bool m_ok = true;
};

// The heading of one file in a report: the EBR file record and the DPR heading record are this, the IBR file
// record begins with it.
struct AvailityFileHeading {
    DateTimeParts dateReceived;
    std::string batchId;
    std::string fileControlNumber;
    std::string customerId;
    std::string fileId;
    std::string fileName;
};

// The payer record of the IBR and EBR reports, with the claims and charges of the payer.
struct AvailityPayerRecord {
    std::string payerName;
    std::string receivedCount;
    std::string acceptedCount;
    std::string receivedCharges;
    std::string acceptedCharges;
    std::string rejectedCount;
    std::string rejectedCharges;
    std::string payerId;
};

// The error record of a claim in the IBR and EBR reports.
struct AvailityErrorRecord {
    std::string initiator;
    std::string type;
    std::string code;
    std::string message;
    std::string loop;
    std::string segment;
    std::string element;
    std::string version;
};

// Reads the fields of an error record, up to the first that fails; false when one fails. The fields that
// neither report shows are read into unused.
bool ReadErrorRecord(std::string_view fields, AvailityErrorRecord& record, std::string& unused);

// Whether a character is a digit, and whether every character of a text is one (also of an empty text).
bool IsDigit(char c);
bool AllDigits(std::string_view text);
// Characters from a 1-based position, as many as there are up to the length; empty past the end.
std::string_view TextPart(std::string_view text, std::size_t position, std::size_t length);
// "mm/dd/yyyy" of the year, month and day.
std::string MonthDayYear(std::string_view year, std::string_view month, std::string_view day);

// Claim dates: eight digits (year, month, day) or "yyyy-mm-dd" with any non-digit separators become
// "mm/dd/yyyy"; anything else stays as it is.
std::string ReformatAvailityDate(std::string_view text);

// Amounts: trimmed; empty gives "NA"; a whole number gets ".00".
std::string FormatAvailityAmount(std::string_view text);

// A selection value turned into the "|"-joined list of status codes it names: upper-cased, split at blanks,
// ",", ";" and "|". A list that names "NA" also matches an empty code.
std::string StatusCodeList(std::string_view selectionValue);
bool InStatusCodeList(std::string_view code, std::string_view list);

// "A (accepted)", "R (rejected)", "W (warning)", "I (informational)"; other codes as they are.
std::string AvailityStatusText(std::string_view code);

// The date and time received of a file record: year, month and day at positions 1-4, 6-7 and 9-10 of the
// date field, hour, minute and second at 1-2, 4-5 and 7-8 of the time field. Nothing when a part is not a
// number or the parts form no valid date or time.
std::optional<DateTimeParts> ReadAvailityDateTime(std::string_view date, std::string_view time);

// The digits of a text that holds only digits, as a number; nothing for any other text (or an empty one).
std::optional<int> ReadDigits(std::string_view text);

// A count as the listings add them up: a whole number after trimming, 0 when it is empty or not one.
std::int64_t ReadCount(std::string_view text);

// Whether a field counts as shown in a report: not empty and not exactly "NA".
bool IsShown(std::string_view value);

// The selection test "begins with": the start of the field equals the (trimmed) value, ignoring case.
bool BeginsWithNoCase(std::string_view field, std::string_view prefix);

// The record types that may come next in a file, kept as a "|"-joined list.
class AllowedRecords {
public:
    AllowedRecords() = default;
    explicit AllowedRecords(std::initializer_list<std::string_view> types) { allow(types); }
    void allow(std::initializer_list<std::string_view> types);
    bool contains(std::string_view type) const;

private:
    std::string m_joined;
};

// The records of a report file: its lines trimmed, with empty lines (and, for the DPR report, lines that
// begin with "-") skipped.
class RecordLineReader {
public:
    RecordLineReader(ReportInputFile& file, bool skipDashLines = false) : m_file(file), m_skipDashLines(skipDashLines)
    {
    }

    // The next record line, trimmed; false at the end of the file.
    bool next(std::string_view& line);

private:
    ReportInputFile& m_file;
    bool m_skipDashLines;
    std::string m_line;
};

// The records of a report file in the order its format allows, read with a record reader of the format. The
// reader supplies:
//   static std::string readType(std::string_view& line)  the record type taken off the line (ReadRecordType
//                                                           with the format's types), empty when unknown;
//   bool readFields(std::string_view type, std::string_view fields)  reads the record into its buffer, false
//                                                           when the fields are invalid (the buffer stays);
//   buffer()                                                the last valid record of each type;
//   static void allowAfter(std::string_view type, AllowedRecords& allowed)  the types that may follow a record
//                                                           of the type (the start of the file when empty);
//   static constexpr bool kSkipDashLines                    as RecordLineReader takes it.
template <class Reader>
class RecordSequence {
public:
    explicit RecordSequence(ReportInputFile& in) : m_lines(in, Reader::kSkipDashLines)
    {
        Reader::allowAfter({}, m_allowed);
    }

    // The next record line and its type. False at the end of the file, and at a record that may not come
    // next, after which stopped() is true.
    bool next()
    {
        std::string_view text;
        if (!m_lines.next(text)) {
            return false;
        }
        m_fields = text;
        m_type = Reader::readType(m_fields);
        m_stopped = !m_allowed.contains(m_type);
        return !m_stopped;
    }

    // Reads the fields of the record that next() found. False when they are invalid, which leaves the buffer
    // and the record types that may come next as they were.
    bool readFields()
    {
        if (!m_reader.readFields(m_type, m_fields)) {
            return false;
        }
        Reader::allowAfter(m_type, m_allowed);
        return true;
    }

    // next() and readFields() together: false at the end of the file, and at the first record that may not
    // come next or has invalid fields, after which stopped() is true.
    bool nextRecord()
    {
        if (!next()) {
            return false;
        }
        m_stopped = !readFields();
        return !m_stopped;
    }

    // Whether reading stopped at a misplaced or invalid record rather than at the end of the file.
    bool stopped() const { return m_stopped; }
    const std::string& type() const { return m_type; }
    const auto& buffer() const { return m_reader.buffer(); }

    // The record as a claim selection writes it: the type as read (trimmed, upper-cased), "|", the fields
    // exactly as they stand.
    const std::string& selectionLine()
    {
        m_line.assign(m_type).append("|").append(m_fields);
        return m_line;
    }

private:
    RecordLineReader m_lines;
    AllowedRecords m_allowed;
    Reader m_reader;
    std::string_view m_fields;
    std::string m_type;
    std::string m_line;
    bool m_stopped = false;
};

// Report text gathered in memory and handed to the report file in large pieces: lines are built from a
// label left-justified in its width and pieces of value, some of them padded or cut to a width.
class ReportText {
public:
    explicit ReportText(ReportOutputFile& out) : m_out(out) {}

    ReportText& start(std::string_view label, int labelWidth);
    ReportText& text(std::string_view value);
    // Left-justified in exactly width characters: padded with spaces, or cut to its first width characters.
    ReportText& left(std::string_view value, std::size_t width);
    // Right-justified in exactly width characters, or cut to its first width characters.
    ReportText& right(std::string_view value, std::size_t width);
    ReportText& spaces(std::size_t count);
    // Ends the line with CR LF.
    void end();
    void blankLine() { end(); }
    // A labelled value wrapped as WriteWrappedLabelLine wraps it.
    void wrapped(int labelWidth, int wrapWidth, std::string_view label, std::string_view value);
    // Hands what was gathered to the report file (raises ReportOutputError when it cannot be written).
    void flush();

private:
    ReportOutputFile& m_out;
    std::string m_buffer;
};

// The widths of a report: labels are left-justified in labelWidth characters, wrapped values are cut into
// pieces of at most wrapWidth characters.
struct ReportWidths {
    int labelWidth = 20;
    int wrapWidth = 58;
};

} // namespace talmere
