#pragma once

// The headless PDF export: `talmere --export-pdf TYPE FILE OUT.pdf [--filter N=VALUE]...` writes the report of
// one archived file as a PDF file, laid out exactly as it would print on the report type's printer, without a
// window. It reads the configuration as a start does but takes no user slot, archives nothing and writes its
// report text into a temporary file of its own, so it runs beside an open report list.

#include "core/ApplicationContext.h"
#include "view/ReportGeneration.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace talmere {

namespace platform {
class PrinterSystem;
}

// The switch that makes a start an export.
inline const QString kExportPdfSwitch = QStringLiteral("--export-pdf");

// The exit codes of an export.
inline constexpr int kExportSucceeded = 0;
inline constexpr int kExportFailed = 1;
inline constexpr int kExportBadCommandLine = 2;

inline const QString kExportUsage =
    QStringLiteral("Usage: talmere --export-pdf TYPE FILE OUT.pdf [--filter N=VALUE]... [switch]...\n"
                   "Run talmere --help for the switches.\n");
inline const QString kUnknownReportTypeMessage = QStringLiteral("Unknown report type: %1");
inline const QString kNoSuchFilterFieldMessage =
    QStringLiteral("The report type %1 has no report selection field %2 (--filter %2=...).");
inline const QString kPdfWouldReplaceReportMessage =
    QStringLiteral("The PDF file %1 would replace the report file it is made from.");
inline const QString kPdfNotSavedMessage = QStringLiteral("Unable to save the report as a PDF file. [%1]");

// What an export command line asks for.
struct PdfExportRequest {
    QString typeName;   // a report type's name, compared without regard to case
    QString reportFile; // a file name of the type's archive subfolder, or a path when it holds a '/'
    QString pdfPath;
    // The report selection values; a field given no --filter is empty.
    FilterValues filterValues;
    // Which of them a --filter set.
    std::array<bool, kFilterFieldCount> filterGiven{};
    // The mode switches that came with the command, for the start.
    QStringList startArguments;
};

// Whether a command line is an export: --export-pdf anywhere in it, without regard to case.
bool IsPdfExportCommand(const QStringList& arguments);

// Reads an export command line (without the program's name): mode switches (/TAMSEN, /EXCLUSIVE, ... as the
// start takes them), --export-pdf followed by the type, the report file and the PDF file, and any number of
// --filter N=VALUE (N from 1 to 10; a later value for the same N wins). Nothing, and *error says what is
// wrong, for anything else.
std::optional<PdfExportRequest> ParsePdfExportArguments(const QStringList& arguments, QString* error = nullptr);

// The export itself, with a context the start has prepared (folders, settings, mode): the report archive
// folder and the configuration, the report text in a temporary file, the layout for the type's printer and
// the PDF file. Every failure is told through the context's prompts. The exit code: kExportSucceeded or
// kExportFailed. The configuration is freed again before it returns.
int RunPdfExport(ApplicationContext& context, const platform::PrinterSystem& printers, const PdfExportRequest& request);

// The export once the configuration has loaded: the part of RunPdfExport after the load, which the
// configuration outlives. Tells every failure; answers kExportSucceeded or kExportFailed.
int ExportReportPdf(const ApplicationContext& context, const platform::PrinterSystem& printers,
                    const PdfExportRequest& request);

} // namespace talmere
