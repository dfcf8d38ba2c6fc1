#pragma once

// Reading the claim files: text files of one record per line, either "|"-delimited records with a record type
// before the first "|" (the Availity reports) or fixed-width records without a type (the BRF files). One line
// reader hands out the non-empty lines, trimmed; one record sequence reads them as records of a format in the
// order that format allows.

#include "library/frame/ReportFiles.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talmere {

// Removes leading blanks and control characters; trailing ones stay.
inline std::string_view TrimLeftBlanks(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ') {
        ++first;
    }
    return text.substr(first);
}

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

// The records of a claim file: its lines trimmed, with empty lines (and, where a format asks for it, lines that
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

// The records of a claim file in the order its format allows, read with a record reader of the format. The
// reader supplies:
//   static constexpr bool kSkipDashLines                    as RecordLineReader takes it;
//   static constexpr bool kTyped                            whether records carry a type before their first "|";
//   static std::string readType(std::string_view& line)     (typed) the type taken off the line (ReadRecordType
//                                                           with the format's types), empty when unknown;
//   static void allowAfter(std::string_view type, AllowedRecords& allowed)  (typed) the types that may follow a
//                                                           record of the type (the start of the file when empty);
//   bool readFields(std::string_view type, std::string_view fields)  reads the record into its buffer, false
//                                                           when the fields are invalid (the buffer stays);
//   buffer()                                                the last valid record of each type.
// A record without a type has nothing to place it but its own fields: an untyped record that cannot be read is
// a record that may not come, and ends the file.
template <class Reader>
class RecordSequence {
public:
    explicit RecordSequence(ReportInputFile& in) : m_lines(in, Reader::kSkipDashLines)
    {
        if constexpr (Reader::kTyped) {
            Reader::allowAfter({}, m_allowed);
        }
    }

    // The next record line and its type. False at the end of the file, and at a record that may not come
    // next, after which stopped() is true.
    bool next()
    {
        if (!m_lines.next(m_text)) {
            return false;
        }
        m_fields = m_text;
        if constexpr (Reader::kTyped) {
            m_type = Reader::readType(m_fields);
            m_stopped = !m_allowed.contains(m_type);
        } else {
            m_stopped = !m_reader.readFields({}, m_fields);
        }
        return !m_stopped;
    }

    // Reads the fields of the record that next() found. False when they are invalid, which leaves the buffer
    // and the record types that may come next as they were.
    bool readFields()
    {
        if constexpr (Reader::kTyped) {
            if (!m_reader.readFields(m_type, m_fields)) {
                return false;
            }
            Reader::allowAfter(m_type, m_allowed);
        }
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

    // The record as a claim selection copies it: a typed record as its type as read (trimmed, upper-cased), "|"
    // and the fields exactly as they stand; an untyped record as its trimmed line.
    std::string_view selectionLine()
    {
        if constexpr (Reader::kTyped) {
            m_line.assign(m_type).append("|").append(m_fields);
            return m_line;
        } else {
            return m_text;
        }
    }

private:
    RecordLineReader m_lines;
    AllowedRecords m_allowed;
    Reader m_reader;
    std::string_view m_text;
    std::string_view m_fields;
    std::string m_type;
    std::string m_line;
    bool m_stopped = false;
};

} // namespace talmere
