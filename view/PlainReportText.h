#pragma once

// The text of a plain-text report (view/ReportDocument.h) and the reading of its printed lines, shared by the
// document, which maps the file, and the layout (view/ReportLayout.h), which pages it. Private to the view.
//
// What a line is:
//  - The bytes are Windows-1252 text. CR LF, LF and CR each end a line; the last line needs no line end (a line
//    end at the very end of the file starts no further line).
//  - A tab advances to the next multiple of 8 columns (counted from the start of its line). Other control
//    characters (C0, DEL, and the five bytes code page 1252 leaves undefined) show as a blank, the soft hyphen
//    (0xAD) as a hyphen, so that every byte is one visible column.
//  - A form feed (byte 12) is not shown. It ends the text before it on its line and starts a new page with the
//    next text: the printed line that follows carries a page break before it. Form feeds with no printed line
//    between them (several in a row, lines made only of form feeds) make one page break; a page break before the
//    first printed line or after the last one makes no page.
//  - The text of a line between form feeds prints as a line of its own when it is not empty ("A<FF>B" prints A,
//    then B at the top of the next page); a line without any form feed prints even when it is empty, a line that
//    holds form feeds only prints nothing (its line end included).
//  - A line wider than the print width wraps character by character onto as many printed lines as it needs;
//    each printed line takes at least one character.

#include <QByteArray>
#include <QChar>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

class QFile;

namespace talmere {

class PlainReportText {
public:
    // The file, open, with its bytes mapped at data (nullptr for an empty file), or, where it could not be mapped,
    // its bytes read into copy.
    PlainReportText(std::unique_ptr<QFile> file, const uchar* data, qint64 size, QByteArray copy, QString fontFamily,
                    int pointSize);
    ~PlainReportText();
    PlainReportText(const PlainReportText&) = delete;
    PlainReportText& operator=(const PlainReportText&) = delete;

    std::string_view bytes() const { return {reinterpret_cast<const char*>(m_data), static_cast<std::size_t>(m_size)}; }
    const QString& fontFamily() const { return m_fontFamily; }
    int pointSize() const { return m_pointSize; }

    // The character a byte shows as (Windows-1252; control characters as a blank, the soft hyphen as "-").
    static QChar characterOf(unsigned char byte) { return QChar(characterTable()[byte]); }
    static const std::array<char16_t, 256>& characterTable();

private:
    std::unique_ptr<QFile> m_file;
    QByteArray m_copy;
    const uchar* m_data = nullptr;
    qint64 m_size = 0;
    QString m_fontFamily;
    int m_pointSize = 1;
};

// Where a printed line starts: the byte, and the column the line's text has reached there (0 at the start of a
// line; more within a wrapped line, where the byte may be a tab already partly spent).
struct PlainPosition {
    qint64 offset = 0;
    qint64 column = 0;

    friend bool operator==(const PlainPosition&, const PlainPosition&) = default;
};

// The widths the reader wraps by, in 1/256 printer pixel: every byte's character, and the print width.
struct PlainWidths {
    static constexpr int kUnitsPerPixel = 256;
    std::array<std::int64_t, 256> advance{};
    std::int64_t lineWidth = 0;

    // Sets the advances and the width, and finds out whether every character is as wide as every other.
    void set(const std::array<std::int64_t, 256>& advances, std::int64_t width);
    // When every character has the same advance (a fixed-pitch font covering the code page): how many fit a
    // printed line (at least 1); else 0. Lines are then counted without adding up widths.
    std::int64_t uniformColumns = 0;
};

struct PlainLine {
    PlainPosition start;
    bool pageBreakBefore = false; // a form feed came before it (since the line before it)
};

// Reads the printed lines one after the other, from the start of the text or from the start of any printed line
// it returned before (the layout keeps the first one of every page and reads the page again from there).
class PlainLineReader {
public:
    PlainLineReader(const PlainReportText& text, const PlainWidths& widths, PlainPosition from = {});

    // The next printed line; false at the end of the text. With text, its characters (tabs expanded).
    bool next(PlainLine& line, QString* text = nullptr);

private:
    std::string_view m_bytes;
    const PlainWidths& m_widths;
    PlainPosition m_at;
    bool m_breakPending = false;
    bool m_lineHasFormFeed = false;
    bool m_linePrinted = false;
};

} // namespace talmere
