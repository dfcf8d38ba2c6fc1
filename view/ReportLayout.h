#pragma once

// The report laid out on printer pages: the page engine of the preview, the printer and PDF. One painter draws
// a page (header, body, footer) for all three, so what the preview shows is what prints.
//
// All positions are printer pixels of the full physical page (origin at the page's top left corner) at the
// printer's resolution. Millimetres become printer pixels as mm x 5 x dpi / 127, rounded.

#include "core/ReportTypes.h"

#include <QDateTime>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class QPainter;

namespace talmere {

class ReportDocument;

// Millimetres to printer pixels at the given resolution (dots per inch), rounded; and back, rounded.
int MillimetresToPixels(double millimetres, int dotsPerInch);
int PixelsToMillimetres(double pixels, int dotsPerInch);

// What the layout needs to know of the printer, in its current orientation.
struct PrinterMetrics {
    int dotsPerInch = 600;      // vertical resolution; the horizontal one is taken to be the same
    QSize pageSize{5100, 6600}; // the full physical page in printer pixels (US Letter at 600 dpi)
    int unprintableTop = 0;     // the strip at the top the printer cannot print on (its physical offset)
    int unprintableBottom = 0;  // the strip at the bottom: physical height - printable height - top offset
    bool landscape = false;

    friend bool operator==(const PrinterMetrics&, const PrinterMetrics&) = default;
};

// The page furniture of a report type, with its numbers read (the configuration has validated them).
struct PageDecoration {
    QString title; // HeaderTitleCaption; empty: none
    int titlePointSize = 12;
    QString subtitle; // HeaderSubTitleCaption; empty: none
    int subtitlePointSize = 10;
    bool footer = false; // PrintFooter
    int footerPointSize = 8;
    int marginTopMM = 20;
    int marginBottomMM = 20;
    int marginLeftMM = 20;
    int marginRightMM = 20;
    int headerSeparationMM = 0;
    int subtitleSeparationMM = 0;
    int footerSeparationMM = 0;
    QDateTime printTime; // shown in every footer
};

// The decoration of a report type, printed at printTime.
PageDecoration DecorationOf(const TReportConfigInfoRecord& type, const QDateTime& printTime);

// The footer's two texts: the whole left one, "Printed: " and the time as mm/dd/yyyy hh:mm AM/PM (always in
// English, e.g. "Printed: 01/31/2024 09:05 AM"), and the right one, "Page %d of %d".
QString PrintedCaption(const QDateTime& printTime);
QString PageCaption(int page, int pageCount);

// What a preview needs of laid-out pages: their number, size and a way to draw one.
class ReportPages {
public:
    virtual ~ReportPages() = default;
    virtual int pageCount() const = 0;
    // The full page in printer pixels, and the printer's resolution (dots per inch).
    virtual QSize pageSize() const = 0;
    virtual int dotsPerInch() const = 0;
    // Draws page (1 .. pageCount) on the painter, whose coordinates are printer pixels of the full page (scale
    // the painter to draw it smaller or larger). Draws nothing for a page out of range. The painter's state is
    // the same afterwards. Only the ink is drawn, in black: the paper (white) is the caller's to paint.
    virtual void paintPage(QPainter& painter, int page) const = 0;
};

// The document laid out for one printer and one decoration: margins, the header repeated at the top margin of
// every page, the body in the print area, the footer line below it.
//
// The header's lines and the footer are in the family (and style) of the document's first item, at their point
// sizes converted to printer pixels (points x dpi / 72, rounded); each line is as high as its font's line
// spacing, rounded up. Plain text is laid out by lines in its font at that pixel size (without kerning), every
// line as high as the font's line spacing, as many lines to a page as fit the body whole; only where each page
// starts is kept, and a page's lines are read again from the mapped file when it is drawn. Rich text is laid
// out by its QTextDocument, paginated at the body's size in the document's 96-dpi unit and drawn scaled to the
// printer's resolution. A rich document holds one page size at a time: two layouts of one document with
// different bodies each set theirs again when they draw (correct, but slower when they alternate). A page's body
// is drawn only where it can show: within the painter's clip and, on an image, pixmap or widget, its bounds.
class ReportLayout final : public ReportPages {
public:
    // Lays the document out. The document must outlive the layout.
    ReportLayout(const ReportDocument& document, const PageDecoration& decoration, const PrinterMetrics& printer);
    ~ReportLayout() override;

    int pageCount() const override;
    QSize pageSize() const override;
    int dotsPerInch() const override;
    void paintPage(QPainter& painter, int page) const override;

    const PrinterMetrics& printer() const;
    const PageDecoration& decoration() const;
    // The page less the margins (top, bottom as computed, left, right): the header at its top, the body below
    // the header. Its bottom margin is bottomMarginMM() converted to pixels. The footer's text starts the footer
    // separation below its bottom edge (y + height) and ends at its right edge (x + width).
    QRect printArea() const;
    // The print area less the header: where the body goes (its top is the top margin without a header).
    QRect bodyRect() const;
    // The bottom margin in millimetres after the footer and unprintable-strip rule (with its 1 mm added).
    int bottomMarginMM() const;
    // The height of the header (captions and their separations) in printer pixels; 0 without captions.
    int headerHeight() const;
    // The height the footer line takes below the print area (separation and one line); 0 without footer.
    int footerHeight() const;

    // For tests and the benchmark: the text of the body lines on a page of a plain-text document (after
    // wrapping; empty for rich text).
    QStringList plainLinesOfPage(int page) const;
    // How many lines of plain text a page holds (at least 1); 0 for rich text.
    int plainLinesPerPage() const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

} // namespace talmere
