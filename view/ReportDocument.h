#pragma once

// The report text that the preview and the printer show, loaded from the report text file that the library
// wrote. Two kinds, one interface:
//  - plain text (load method "PLAIN"): the file's bytes as Windows-1252 text in one font and size, one line of
//    the file per printed line (long lines wrap at the print width), a form feed ending the page. The file is
//    mapped, not copied, and is laid out by lines: a 500 MB report pages without ever passing through a rich-text
//    layout. view/PlainReportText.h says exactly what a line and a page break are. The file must not be
//    truncated while the document lives (the program deletes and writes it anew, which the mapping survives).
//  - rich text (any other load method): the file read as RTF into a QTextDocument.
// The layout (view/ReportLayout.h) turns a document into pages.

#include <QFont>
#include <QString>

#include <memory>

class QTextDocument;

namespace talmere {

struct RtfLoadResult;

class PlainReportText; // the plain text's lines and page breaks, private to the layout

class ReportDocument {
public:
    enum class Kind { Plain, Rich };

    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    // Loads a plain-text report in the given font family and size (in points; below 1 counts as 1). Nothing
    // (and *error says why) when the file cannot be opened or read.
    static std::unique_ptr<ReportDocument> loadPlain(const QString& path, const QString& fontFamily, int pointSize,
                                                     QString* error = nullptr);
    // Loads an RTF report. Damaged RTF loads what can be read; a file that is not RTF at all loads as an empty
    // document. Nothing (and *error says why) when the file cannot be opened or read.
    static std::unique_ptr<ReportDocument> loadRtf(const QString& path, QString* error = nullptr);
    // Loads by the report type's load method: "PLAIN" (compared as stored, upper case) is plain text, anything
    // else RTF.
    static std::unique_ptr<ReportDocument> load(const QString& path, const QString& loadMethod,
                                                const QString& fontFamily, int pointSize, QString* error = nullptr);

    Kind kind() const;
    // The font of the document's first piece of text, in points: the header and the footer are written in its
    // family. For plain text, the type's font and size.
    QFont firstItemFont() const;

    // Plain text only (nullptr for rich text).
    const PlainReportText* plainText() const;
    // Rich text only (nullptr for plain text). The document is laid out on a 96-dpi device of its own (its unit
    // is the pixel at 96 per inch), with design metrics and no document margin; a layout sets its page size.
    QTextDocument* richText() const;
    // Rich text only (nullptr for plain text): what the RTF reader found.
    const RtfLoadResult* rtfLoadResult() const;

private:
    ReportDocument();
    struct Data;
    std::unique_ptr<Data> m_data;
};

} // namespace talmere
