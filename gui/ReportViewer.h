#pragma once

// The View and Print commands of the report list: the report text of the selected row generated and loaded, laid
// out for the report type's printer with its header and footer, then shown in the preview or sent to the print
// dialog. The viewer keeps the printer the last command chose (the application's current printer) and the laid-out
// pages while a command runs.
//
// Every dialog it shows can be replaced, so tests drive the commands without a user.

#include "core/ApplicationContext.h"
#include "view/ReportGeneration.h"
#include "view/ReportLayout.h"
#include "view/ReportPrinting.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace talmere {

namespace platform {
class PrinterSystem;
}

class ReportDocument;
class ReportListCommands;
class TFrmReportPreview;

inline const QString kNoPrinterPdfQuestion =
    QStringLiteral("This system has no printer. Do you want to save the report as a PDF file instead?");

// What the commands ask the user. Each has a default that shows the program's own dialog.
struct ReportViewerDialogs {
    // The report selection dialog for a type's filter fields.
    AskFilterValues askFilterValues;
    // The print dialog for pages 1 .. pageCount on the printer (which the dialog may change): the pages to print,
    // or nothing when the user cancelled. A range of 0 .. 0 with copies 0 prints nothing (the "selection").
    std::function<std::optional<PrintRange>(QPrinter& printer, int pageCount)> askPrintRange;
    // A PDF file to write, starting from the suggested path; empty when the user cancelled.
    std::function<QString(const QString& suggested)> askPdfPath;
    // Shows the preview modally.
    std::function<void(TFrmReportPreview& preview)> showPreview;
};

class ReportViewer {
public:
    ReportViewer(ApplicationContext& context, platform::PrinterSystem& printers, QWidget* window,
                 ReportViewerDialogs dialogs = {});
    ~ReportViewer();
    ReportViewer(const ReportViewer&) = delete;
    ReportViewer& operator=(const ReportViewer&) = delete;

    // View: the report of the list's row in the preview. Marks the view in progress on the list while it runs.
    void view(ReportListCommands& list, int row);
    // Print: the report of the list's row through the print dialog.
    void print(ReportListCommands& list, int row);
    // The window closes: the current printer goes back to the system's default printer.
    void resetPrinter();

    // The application's current printer, and the pages laid out by the running command (none between commands).
    QPrinter& printer() { return *m_printer; }
    const ReportLayout* layout() const { return m_layout.get(); }

private:
    class CurrentPages;

    bool loadReport(int typeIndex);
    void prepareReportPrinting(bool selectPrinter);
    void printWithDialog();
    void printFromPreview();
    void saveAsPdf();
    bool noPrinter() const;
    void discard();

    ApplicationContext& m_context;
    platform::PrinterSystem& m_printers;
    QWidget* m_window;
    ReportViewerDialogs m_dialogs;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<CurrentPages> m_pages;

    // The running command's report.
    int m_typeIndex = -1;
    QString m_reportFile;
    QDateTime m_printTime;
    std::unique_ptr<ReportDocument> m_document;
    std::unique_ptr<ReportLayout> m_layout;
};

} // namespace talmere
