// Prints pages of a five-page report on a named printer, in a process of its own: the print system a process
// talks to is chosen once (CUPS_SERVER is read at its first use), so a test that brings its own scheduler starts
// this program with that scheduler in its environment. The report is laid out as the program lays out a plain
// report for that printer: "LETTER PAGE N" on each page, a title and the footer with "Page N of 5".
//
// talmere_print_probe PRINTER JOBNAME FROM TO: exit code 0 when the job was handed over, 1 when printing
// failed (the reason on standard error), 2 for wrong arguments, 3 when the printer is unknown.

#include "view/ReportDocument.h"
#include "view/ReportPrinting.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream err(stderr);
    if (arguments.size() != 5) {
        err << "usage: talmere_print_probe PRINTER JOBNAME FROM TO\n";
        return 2;
    }
    const QString printerName = arguments[1];
    if (QPrinterInfo::printerInfo(printerName).isNull()) {
        err << "no printer " << printerName << " among: " << QPrinterInfo::availablePrinterNames().join(", ") << "\n";
        return 3;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);
    printer.setPageSize(QPageSize(QPageSize::Letter));

    QTemporaryFile text;
    if (!text.open()) {
        err << "no temporary file for the report text\n";
        return 1;
    }
    for (int page = 1; page <= 5; ++page) {
        text.write(QStringLiteral("%1LETTER PAGE %2\r\n").arg(page > 1 ? "\f" : "").arg(page).toLatin1());
    }
    text.close();
    const std::unique_ptr<talmere::ReportDocument> document =
        talmere::ReportDocument::loadPlain(text.fileName(), QStringLiteral("Courier New"), 10);
    talmere::PageDecoration decoration;
    decoration.title = QStringLiteral("Claim Acknowledgments");
    decoration.footer = true;
    decoration.printTime = QDateTime::currentDateTime();
    printer.setFullPage(true);
    const talmere::ReportLayout pages(*document, decoration, talmere::MetricsOf(printer));
    talmere::PrintRange range;
    range.fromPage = arguments[3].toInt();
    range.toPage = arguments[4].toInt();
    QString error;
    if (!talmere::PrintPages(pages, printer, range, arguments[2], &error)) {
        err << error << "\n";
        return 1;
    }
    return 0;
}
