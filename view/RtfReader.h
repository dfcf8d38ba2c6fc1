#pragma once

// Reading a report document written as RTF (by the report format library or by a word processor) into a
// QTextDocument for the preview and the page painter. The reader keeps what a report needs: the text, fonts,
// sizes, bold, italic, underline, colours, paragraph alignment, indents, spacing, tab stops and page breaks.
// Pictures, objects, headers and footers, the style sheet, the document information and every destination it
// does not know are left out. Damaged input never stops it: it loads what it read up to the damage.

#include <QByteArrayView>

class QTextDocument;

namespace talmere {

// Lengths go into the document in its own unit, the pixel at 96 per inch, which the layout scales to the
// device; RTF gives them in twips (1/1440 inch).
inline constexpr double kRtfTwipsPerPixel = 15.0;

// The page as the document describes it, in twips; 0 where the document says nothing.
struct RtfPageSetup {
    int paperWidth = 0;
    int paperHeight = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    bool landscape = false;
};

struct RtfLoadResult {
    // The input starts with "{\rtf" (after white space or a UTF-8 byte order mark). When it does not, the
    // document is left empty.
    bool recognised = false;
    // The outermost group was closed; false for a truncated document or one with a brace missing.
    bool complete = false;
    // Groups nested deeper than the reader follows were left out.
    bool tooDeep = false;
    // The blocks that start a new page (QTextFormat::PageBreak_AlwaysBefore).
    int pageBreaks = 0;
    RtfPageSetup page;
};

// Groups nested deeper than this are skipped whole.
inline constexpr int kRtfMaxGroupDepth = 1000;

// Reads RTF into the document, which is cleared first. A page break becomes the page-break-before policy of
// the block that follows it; a page break with nothing after it is dropped. The final paragraph mark does not
// start an empty block. Runs in time linear in the size of the input.
RtfLoadResult LoadRtf(QTextDocument& document, QByteArrayView rtf);

} // namespace talmere
