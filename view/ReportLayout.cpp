#include "view/ReportLayout.h"

#include "view/PlainReportText.h"
#include "view/ReportDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <vector>

namespace talmere {

namespace {

constexpr int kRichTextDotsPerInch = 96;

// A blank device at the printer's resolution, on which fonts are measured.
QImage MeasuringDevice(int dotsPerInch)
{
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(std::lround(dotsPerInch / 0.0254));
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    return device;
}

// A copy of the first item's font at a size in points, drawn in printer pixels.
QFont FontAt(const QFont& base, int pointSize, int dotsPerInch, bool bold)
{
    QFont font = base;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize * static_cast<double>(dotsPerInch) / 72.0))));
    font.setBold(bold);
    return font;
}

// The part of the painter's logical coordinates that can show: the clip, if any, and on a screen device (an
// image, a pixmap, a widget: what a preview draws on) the device's own bounds. Printers, PDF writers and
// pictures, which may not know their bounds, take the whole page.
QRectF VisibleRect(const QPainter& painter)
{
    QRectF visible(-1e9, -1e9, 2e9, 2e9);
    const QPaintDevice* device = painter.device();
    if (device != nullptr && (device->devType() == QInternal::Image || device->devType() == QInternal::Pixmap ||
                              device->devType() == QInternal::Widget)) {
        visible = painter.worldTransform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    }
    if (painter.hasClipping()) {
        visible = visible.intersected(painter.clipBoundingRect());
    }
    return visible;
}

int LineHeight(const QFont& font, QPaintDevice* device)
{
    return static_cast<int>(std::ceil(QFontMetricsF(font, device).lineSpacing()));
}

} // namespace

int MillimetresToPixels(double millimetres, int dotsPerInch)
{
    return static_cast<int>(std::lround(millimetres * 5.0 * dotsPerInch / 127.0));
}

int PixelsToMillimetres(double pixels, int dotsPerInch)
{
    if (dotsPerInch <= 0) {
        return 0;
    }
    return static_cast<int>(std::lround(pixels * 127.0 / (5.0 * dotsPerInch)));
}

PageDecoration DecorationOf(const TReportConfigInfoRecord& type, const QDateTime& printTime)
{
    PageDecoration decoration;
    const auto read = [](const QString& text, int& value) {
        bool ok = false;
        const int number = text.trimmed().toInt(&ok);
        if (ok) {
            value = number;
        }
    };
    decoration.title = type.HeaderTitleCaption;
    read(type.HeaderTitlePointSize, decoration.titlePointSize);
    decoration.subtitle = type.HeaderSubTitleCaption;
    read(type.HeaderSubTitlePointSize, decoration.subtitlePointSize);
    decoration.footer = type.PrintFooter;
    read(type.FooterPointSize, decoration.footerPointSize);
    read(type.MarginTopMM, decoration.marginTopMM);
    read(type.MarginBottomMM, decoration.marginBottomMM);
    read(type.MarginLeftMM, decoration.marginLeftMM);
    read(type.MarginRightMM, decoration.marginRightMM);
    read(type.HeaderSeparation, decoration.headerSeparationMM);
    read(type.HeaderSubTitleSeparation, decoration.subtitleSeparationMM);
    read(type.FooterSeparation, decoration.footerSeparationMM);
    decoration.printTime = printTime;
    return decoration;
}

QString PrintedCaption(const QDateTime& printTime)
{
    return QStringLiteral("Printed: ") + QLocale::c().toString(printTime, QStringLiteral("MM/dd/yyyy hh:mm AP"));
}

QString PageCaption(int page, int pageCount)
{
    return QStringLiteral("Page %1 of %2").arg(page).arg(pageCount);
}

// ---------------------------------------------------------------------------------------------------------------

struct ReportLayout::Data {
    const ReportDocument* document = nullptr;
    PageDecoration decoration;
    PrinterMetrics printer;
    mutable QImage measuring; // fonts are measured on it

    QRect printArea;
    QRect body;
    int bottomMarginMM = 0;
    int headerHeight = 0;
    int footerHeight = 0;

    QFont titleFont;
    QFont subtitleFont;
    QFont footerFont;
    int titleLineHeight = 0;
    int subtitleLineHeight = 0;
    int titleSeparation = 0;
    int subtitleSeparation = 0;
    int footerSeparation = 0;

    // Plain text: the body font, its line height and baseline, and where every page starts.
    QFont plainFont;
    qreal plainLineHeight = 1;
    qreal plainAscent = 0;
    int linesPerPage = 1;
    PlainWidths widths;
    std::vector<PlainPosition> pageStarts;

    // Rich text: the body in the document's unit (pixels at 96 per inch).
    QSizeF richPageSize;
    int pageCount = 1;

    void layOutPlain(const PlainReportText& text);
    void layOutRich(QTextDocument& rich);
    // The lines of a plain page (1 ..), each with its text.
    template <typename Visit>
    void readPlainPage(int page, Visit&& visit) const;
    void paintHeader(QPainter& painter) const;
    void paintFooter(QPainter& painter, int page) const;
    void paintPlainBody(QPainter& painter, int page) const;
    void paintRichBody(QPainter& painter, int page) const;
};

ReportLayout::ReportLayout(const ReportDocument& document, const PageDecoration& decoration,
                           const PrinterMetrics& printer)
    : m_data(std::make_unique<Data>())
{
    Data& d = *m_data;
    d.document = &document;
    d.decoration = decoration;
    d.printer = printer;
    d.printer.dotsPerInch = std::max(1, printer.dotsPerInch);
    const int dpi = d.printer.dotsPerInch;
    d.measuring = MeasuringDevice(dpi);
    const QFont first = document.firstItemFont();

    // The header: the title, bold, then the subtitle, centred, from the top margin down.
    const bool hasTitle = !decoration.title.isEmpty();
    const bool hasSubtitle = !decoration.subtitle.isEmpty();
    if (hasTitle) {
        d.titleFont = FontAt(first, decoration.titlePointSize, dpi, true);
        d.titleLineHeight = LineHeight(d.titleFont, &d.measuring);
        d.titleSeparation =
            MillimetresToPixels(hasSubtitle ? decoration.subtitleSeparationMM : decoration.headerSeparationMM, dpi);
        d.headerHeight += d.titleLineHeight + d.titleSeparation;
    }
    if (hasSubtitle) {
        d.subtitleFont = FontAt(first, decoration.subtitlePointSize, dpi, false);
        d.subtitleLineHeight = LineHeight(d.subtitleFont, &d.measuring);
        d.subtitleSeparation = MillimetresToPixels(decoration.headerSeparationMM, dpi);
        d.headerHeight += d.subtitleLineHeight + d.subtitleSeparation;
    }

    // The footer: its separation and one line, below the print area.
    if (decoration.footer) {
        d.footerFont = FontAt(first, decoration.footerPointSize, dpi, false);
        d.footerSeparation = MillimetresToPixels(decoration.footerSeparationMM, dpi);
        d.footerHeight = d.footerSeparation + LineHeight(d.footerFont, &d.measuring);
    }

    // The bottom margin: the configured one or the printer's unprintable strip, whichever is larger, with the
    // footer below it, in whole millimetres plus one.
    int bottom = MillimetresToPixels(decoration.marginBottomMM, dpi);
    if (bottom < d.printer.unprintableBottom) {
        bottom = d.printer.unprintableBottom;
    }
    bottom += d.footerHeight;
    d.bottomMarginMM = PixelsToMillimetres(bottom, dpi) + 1;

    const QSize page = d.printer.pageSize;
    const int left = MillimetresToPixels(decoration.marginLeftMM, dpi);
    const int right = MillimetresToPixels(decoration.marginRightMM, dpi);
    const int top = MillimetresToPixels(decoration.marginTopMM, dpi);
    const int bottomPixels = MillimetresToPixels(d.bottomMarginMM, dpi);
    d.printArea =
        QRect(left, top, std::max(1, page.width() - left - right), std::max(1, page.height() - top - bottomPixels));
    d.body = d.printArea.adjusted(0, d.headerHeight, 0, 0);
    if (d.body.height() < 1) {
        d.body.setHeight(1);
    }

    if (const PlainReportText* plain = document.plainText()) {
        d.layOutPlain(*plain);
    } else if (QTextDocument* rich = document.richText()) {
        d.layOutRich(*rich);
    }
}

ReportLayout::~ReportLayout() = default;

void ReportLayout::Data::layOutPlain(const PlainReportText& text)
{
    const int dpi = printer.dotsPerInch;
    plainFont = QFont(text.fontFamily());
    plainFont.setPixelSize(
        std::max(1, static_cast<int>(std::lround(text.pointSize() * static_cast<double>(dpi) / 72.0))));
    // No kerning: a line is as wide as the sum of its characters' advances, which is what the wrapping adds up.
    plainFont.setKerning(false);
    const QFontMetricsF metrics(plainFont, &measuring);
    plainLineHeight = std::max<qreal>(1, metrics.lineSpacing());
    plainAscent = metrics.ascent();
    linesPerPage = std::max(1, static_cast<int>(std::floor(body.height() / plainLineHeight + 1e-9)));

    const auto& characters = PlainReportText::characterTable();
    std::array<std::int64_t, 256> advances{};
    for (int byte = 0; byte < 256; ++byte) {
        advances[byte] = std::llround(metrics.horizontalAdvance(QChar(characters[byte])) * PlainWidths::kUnitsPerPixel);
    }
    widths.set(advances, static_cast<std::int64_t>(body.width()) * PlainWidths::kUnitsPerPixel);

    pageStarts.assign(1, PlainPosition{});
    PlainLineReader reader(text, widths);
    PlainLine line;
    int onPage = 0;
    while (reader.next(line)) {
        if (onPage > 0 && (line.pageBreakBefore || onPage >= linesPerPage)) {
            pageStarts.push_back(line.start);
            onPage = 0;
        }
        ++onPage;
    }
    pageStarts.shrink_to_fit();
    pageCount = static_cast<int>(pageStarts.size());
}

void ReportLayout::Data::layOutRich(QTextDocument& rich)
{
    const double toDocument = static_cast<double>(kRichTextDotsPerInch) / printer.dotsPerInch;
    richPageSize = QSizeF(body.width() * toDocument, body.height() * toDocument);
    rich.setPageSize(richPageSize);
    pageCount = std::max(1, rich.pageCount());
}

template <typename Visit>
void ReportLayout::Data::readPlainPage(int page, Visit&& visit) const
{
    const PlainReportText* text = document->plainText();
    if (text == nullptr || page < 1 || page > static_cast<int>(pageStarts.size())) {
        return;
    }
    PlainLineReader reader(*text, widths, pageStarts[static_cast<std::size_t>(page - 1)]);
    PlainLine line;
    QString characters;
    for (int index = 0; index < linesPerPage && reader.next(line, &characters); ++index) {
        if (index > 0 && line.pageBreakBefore) {
            break;
        }
        visit(index, characters);
    }
}

void ReportLayout::Data::paintHeader(QPainter& painter) const
{
    qreal y = printArea.top();
    if (!decoration.title.isEmpty()) {
        painter.setFont(titleFont);
        painter.drawText(QRectF(printArea.left(), y, printArea.width(), titleLineHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, decoration.title);
        y += titleLineHeight + titleSeparation;
    }
    if (!decoration.subtitle.isEmpty()) {
        painter.setFont(subtitleFont);
        painter.drawText(QRectF(printArea.left(), y, printArea.width(), subtitleLineHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, decoration.subtitle);
    }
}

void ReportLayout::Data::paintFooter(QPainter& painter, int page) const
{
    if (!decoration.footer) {
        return;
    }
    const QFontMetricsF metrics(footerFont, &measuring);
    painter.setFont(footerFont);
    const qreal baseline = printArea.top() + printArea.height() + footerSeparation + metrics.ascent();
    painter.drawText(QPointF(printArea.left(), baseline), PrintedCaption(decoration.printTime));
    const QString caption = PageCaption(page, pageCount);
    painter.drawText(QPointF(printArea.left() + printArea.width() - metrics.horizontalAdvance(caption), baseline),
                     caption);
}

void ReportLayout::Data::paintPlainBody(QPainter& painter, int page) const
{
    // Only the lines that can be seen: a preview zoomed in shows a part of the page.
    const QRectF visible = VisibleRect(painter);
    painter.setFont(plainFont);
    readPlainPage(page, [&](int index, const QString& characters) {
        const qreal top = body.top() + index * plainLineHeight;
        if (!characters.isEmpty() && top < visible.bottom() && top + plainLineHeight > visible.top()) {
            painter.drawText(QPointF(body.left(), top + plainAscent), characters);
        }
    });
}

void ReportLayout::Data::paintRichBody(QPainter& painter, int page) const
{
    QTextDocument* rich = document->richText();
    if (rich == nullptr) {
        return;
    }
    if (rich->pageSize() != richPageSize) {
        rich->setPageSize(richPageSize); // another layout of the same document changed it
    }
    const qreal scale = static_cast<qreal>(printer.dotsPerInch) / kRichTextDotsPerInch;
    const QRectF visible = painter.worldTransform().mapRect(VisibleRect(painter)); // in device pixels
    const qreal pageTop = (page - 1) * richPageSize.height();
    painter.setClipRect(body, Qt::IntersectClip);
    painter.translate(body.left(), body.top());
    painter.scale(scale, scale);
    painter.translate(0, -pageTop);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, pageTop, richPageSize.width(), richPageSize.height())
                       .intersected(painter.worldTransform().inverted().mapRect(visible));
    if (context.clip.isEmpty()) {
        return; // (an empty clip would draw the whole document)
    }
    context.palette.setColor(QPalette::Text, Qt::black);
    rich->documentLayout()->draw(&painter, context);
}

int ReportLayout::pageCount() const
{
    return m_data->pageCount;
}

QSize ReportLayout::pageSize() const
{
    return m_data->printer.pageSize;
}

int ReportLayout::dotsPerInch() const
{
    return m_data->printer.dotsPerInch;
}

void ReportLayout::paintPage(QPainter& painter, int page) const
{
    const Data& d = *m_data;
    if (page < 1 || page > d.pageCount) {
        return;
    }
    painter.save();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
    d.paintHeader(painter);
    d.paintFooter(painter, page);
    if (d.document->plainText() != nullptr) {
        d.paintPlainBody(painter, page);
    } else {
        d.paintRichBody(painter, page);
    }
    painter.restore();
}

const PrinterMetrics& ReportLayout::printer() const
{
    return m_data->printer;
}

const PageDecoration& ReportLayout::decoration() const
{
    return m_data->decoration;
}

QRect ReportLayout::printArea() const
{
    return m_data->printArea;
}

QRect ReportLayout::bodyRect() const
{
    return m_data->body;
}

int ReportLayout::bottomMarginMM() const
{
    return m_data->bottomMarginMM;
}

int ReportLayout::headerHeight() const
{
    return m_data->headerHeight;
}

int ReportLayout::footerHeight() const
{
    return m_data->footerHeight;
}

int ReportLayout::plainLinesPerPage() const
{
    return m_data->document->plainText() != nullptr ? m_data->linesPerPage : 0;
}

QStringList ReportLayout::plainLinesOfPage(int page) const
{
    QStringList lines;
    m_data->readPlainPage(page, [&](int, const QString& characters) { lines.append(characters); });
    return lines;
}

} // namespace talmere
