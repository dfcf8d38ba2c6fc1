#pragma once

// Sending laid-out pages to a printer or a PDF file. Both draw each page with the layout's one painter.

#include "view/ReportLayout.h"

#include <QString>
#include <QStringList>

class QPrinter;

namespace talmere {

namespace platform {
class PrinterSystem;
}

// What *error says when printing or exporting fails.
inline const QString kNoPagesToPrintMessage = QStringLiteral("The selected page range holds no page of the report.");
inline const QString kPrinterNotStartedMessage = QStringLiteral("Unable to start printing on the printer %1.");
inline const QString kPrintJobFailedMessage =
    QStringLiteral("The print job for the printer %1 could not be completed.");
inline const QString kNoPagesToExportMessage = QStringLiteral("The report has no pages to export.");
inline const QString kPdfNotWrittenMessage = QStringLiteral("Unable to write the PDF file %1.");

// The printer's metrics in its current orientation and page size.
PrinterMetrics MetricsOf(const QPrinter& printer);

// The printer for a report type: the system's printer whose name equals wanted without regard to case (in the
// system's spelling), else the default printer; empty when there is neither.
QString ReportPrinterName(const QString& wanted, const QStringList& printerNames, const QString& defaultName);

// The resolution of the printer that stands in for a missing one: pages are laid out for US Letter at this many
// dots per inch, and printing writes a PDF file.
inline constexpr int kPdfPrinterResolution = 600;

// Whether a report type prints in landscape.
bool IsLandscapeType(const TReportConfigInfoRecord& type);

// Sets the printer up for a report type: the type's printer (ReportPrinterName), or, when the system has no
// printer at all, the PDF stand-in on US Letter; and the type's orientation. A printer that is already the one
// chosen keeps its other settings.
void SelectReportPrinter(QPrinter& printer, const TReportConfigInfoRecord& type,
                         const platform::PrinterSystem& printers);

// Which pages, how many copies, collated or not.
struct PrintRange {
    int fromPage = 0; // 0 with toPage 0: all pages
    int toPage = 0;
    int copies = 1;
    bool collate = false;
};

// Prints the pages of the range on the printer as one job named jobName (the report type's description). The
// printer must be set to full-page mode by the caller or is set here. False (and *error says why) when the
// printer cannot be started or the range holds no page.
bool PrintPages(const ReportPages& pages, QPrinter& printer, const PrintRange& range, const QString& jobName,
                QString* error = nullptr);

// Writes every page to a PDF file of the layout's page size and orientation, titled title. False (and *error
// says why) when the file cannot be written.
bool ExportPdf(const ReportPages& pages, const QString& pdfPath, const QString& title, QString* error = nullptr);

} // namespace talmere
