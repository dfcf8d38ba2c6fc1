#include "view/ReportPrinting.h"

#include "platform/PrinterSystem.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>
#include <vector>

namespace talmere {

namespace {

// More copies than a print dialog offers are a mistake, not a job to run for hours.
constexpr int kMostCopies = 999;

void Tell(QString* error, const QString& text)
{
    if (error != nullptr) {
        *error = text;
    }
}

// Draws one page of the layout on a device of another resolution: the layout's pixels are scaled to the
// device's, so a page keeps its size in inches.
void PaintScaled(QPainter& painter, const ReportPages& pages, int page, int deviceDotsPerInch)
{
    painter.save();
    const int layoutDotsPerInch = pages.dotsPerInch();
    if (layoutDotsPerInch > 0 && deviceDotsPerInch > 0 && layoutDotsPerInch != deviceDotsPerInch) {
        const qreal factor = qreal(deviceDotsPerInch) / layoutDotsPerInch;
        painter.scale(factor, factor);
    }
    pages.paintPage(painter, page);
    painter.restore();
}

// The pages in the order they go to paper. A printer that makes its own copies gets the range once.
std::vector<int> PageSequence(int from, int to, int copies, bool collate)
{
    std::vector<int> sequence;
    if (collate) {
        for (int copy = 0; copy < copies; ++copy) {
            for (int page = from; page <= to; ++page) {
                sequence.push_back(page);
            }
        }
    } else {
        for (int page = from; page <= to; ++page) {
            sequence.insert(sequence.end(), static_cast<std::size_t>(copies), page);
        }
    }
    return sequence;
}

// A page size in points as a named size when it is one (Letter, A4, ...), else a custom one.
QPageLayout PdfPageLayout(QSize pixels, int dotsPerInch)
{
    const qreal width = pixels.width() * 72.0 / dotsPerInch;
    const qreal height = pixels.height() * 72.0 / dotsPerInch;
    const QPageLayout::Orientation orientation = width > height ? QPageLayout::Landscape : QPageLayout::Portrait;
    const QSizeF portrait(std::min(width, height), std::max(width, height));
    return QPageLayout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::FuzzyMatch), orientation,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

} // namespace

PrinterMetrics MetricsOf(const QPrinter& printer)
{
    PrinterMetrics metrics;
    const int dotsPerInch = printer.resolution();
    if (dotsPerInch <= 0) {
        return metrics;
    }
    // The unprintable strips are the printer's own: its smallest margins, whatever margins a program set.
    QPageLayout layout = printer.pageLayout();
    layout.setMode(QPageLayout::StandardMode);
    layout.setMargins(layout.minimumMargins());
    const QRect full = layout.fullRectPixels(dotsPerInch);
    const QRect printable = layout.paintRectPixels(dotsPerInch);
    metrics.dotsPerInch = dotsPerInch;
    metrics.pageSize = full.size();
    metrics.unprintableTop = std::max(0, printable.top() - full.top());
    metrics.unprintableBottom = std::max(0, full.height() - printable.height() - metrics.unprintableTop);
    metrics.landscape = layout.orientation() == QPageLayout::Landscape;
    return metrics;
}

QString ReportPrinterName(const QString& wanted, const QStringList& printerNames, const QString& defaultName)
{
    if (!wanted.isEmpty()) {
        for (const QString& name : printerNames) {
            if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
                return name;
            }
        }
    }
    return defaultName;
}

bool IsLandscapeType(const TReportConfigInfoRecord& type)
{
    return type.Orientation == QLatin1String("LANDSCAPE");
}

void SelectReportPrinter(QPrinter& printer, const TReportConfigInfoRecord& type,
                         const platform::PrinterSystem& printers)
{
    const QString name = ReportPrinterName(type.ReportPrinter, printers.printerNames(), printers.defaultPrinterName());
    if (name.isEmpty()) {
        // No printer at all: pages are laid out for the PDF stand-in, and printing saves a PDF file.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(kPdfPrinterResolution);
        printer.setPageSize(QPageSize(QPageSize::Letter));
    } else if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != name) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
    printer.setPageOrientation(IsLandscapeType(type) ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool PrintPages(const ReportPages& pages, QPrinter& printer, const PrintRange& range, const QString& jobName,
                QString* error)
{
    const int count = pages.pageCount();
    int from = range.fromPage;
    int to = range.toPage;
    if (from == 0 && to == 0) {
        from = 1;
        to = count;
    }
    from = std::max(from, 1);
    to = std::min(to, count);
    if (count <= 0 || from > to) {
        Tell(error, kNoPagesToPrintMessage);
        return false;
    }
    const int copies = std::clamp(range.copies, 1, kMostCopies);

    printer.setFullPage(true);
    printer.setDocName(jobName);
    std::vector<int> sequence;
    if (printer.supportsMultipleCopies()) {
        printer.setCopyCount(copies);
        printer.setCollateCopies(range.collate);
        sequence = PageSequence(from, to, 1, false);
    } else {
        printer.setCopyCount(1);
        sequence = PageSequence(from, to, copies, range.collate);
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        Tell(error, kPrinterNotStartedMessage.arg(printer.printerName()));
        return false;
    }
    const int dotsPerInch = printer.resolution();
    bool pageFailed = false;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            pageFailed = true;
            break;
        }
        PaintScaled(painter, pages, sequence[i], dotsPerInch);
    }
    if (pageFailed) {
        // What was drawn so far must not reach the printer as if it were the whole job.
        printer.abort();
        painter.end();
        Tell(error, kPrintJobFailedMessage.arg(printer.printerName()));
        return false;
    }
    if (!painter.end()) {
        Tell(error, kPrintJobFailedMessage.arg(printer.printerName()));
        return false;
    }
    return true;
}

bool ExportPdf(const ReportPages& pages, const QString& pdfPath, const QString& title, QString* error)
{
    const int count = pages.pageCount();
    const int dotsPerInch = pages.dotsPerInch();
    const QSize size = pages.pageSize();
    if (count <= 0 || dotsPerInch <= 0 || size.isEmpty()) {
        Tell(error, kNoPagesToExportMessage);
        return false;
    }
    // Written beside the target under another name and renamed into place only when complete: a failed
    // export never leaves half a PDF, nor destroys the file it was to replace.
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) {
        Tell(error, kPdfNotWrittenMessage.arg(pdfPath));
        return false;
    }
    bool written = false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setResolution(dotsPerInch);
        writer.setPageLayout(PdfPageLayout(size, dotsPerInch));
        QPainter painter;
        if (painter.begin(&writer)) {
            written = true;
            for (int page = 1; page <= count; ++page) {
                if (page > 1 && !writer.newPage()) {
                    written = false;
                    break;
                }
                PaintScaled(painter, pages, page, writer.resolution());
            }
            written = painter.end() && written;
        }
    }
    if (!written || !file.commit()) {
        file.cancelWriting();
        Tell(error, kPdfNotWrittenMessage.arg(pdfPath));
        return false;
    }
    return true;
}

} // namespace talmere
