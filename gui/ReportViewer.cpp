#include "gui/ReportViewer.h"

#include "client/ReportRequests.h"
#include "core/ProgramSettings.h"
#include "core/UserPrompts.h"
#include "gui/TFrmReportPreview.h"
#include "gui/TfrmFilterFields.h"
#include "platform/PrinterSystem.h"
#include "platform/ScreenMetrics.h"
#include "session/ReportListCommands.h"
#include "view/ReportDocument.h"

#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace talmere {

namespace {

constexpr int kPortrait = 0;
constexpr int kLandscape = 1;
std::optional<FilterValues> AskFilterValuesByDialog(QWidget* parent,
                                                    const std::array<TReportFilterFieldInfo, kFilterFieldCount>& fields)
{
    TfrmFilterFields dialog(fields, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.values();
}

std::optional<PrintRange> AskPrintRangeByDialog(QWidget* parent, QPrinter& printer, int pageCount)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    PrintRange range;
    range.copies = printer.copyCount();
    range.collate = printer.collateCopies();
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::PageRange:
        range.fromPage = dialog.fromPage();
        range.toPage = dialog.toPage();
        break;
    case QAbstractPrintDialog::Selection:
        // A report has no selection to print.
        range.copies = 0;
        break;
    default:
        break;
    }
    return range;
}

QString AskPdfPathByDialog(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Report as PDF"), suggested,
                                        QStringLiteral("PDF files (*.pdf)"));
}

// A file name for a PDF of the report: the report's file name with ".pdf", in the user's home folder.
QString SuggestedPdfPath(const QString& reportFile)
{
    QString name = reportFile;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir::home().filePath(name + QStringLiteral(".pdf"));
}

} // namespace

// The pages the preview shows: those of the layout of the moment, which the preview's print dialog may lay out
// again for another printer while the preview is open.
class ReportViewer::CurrentPages final : public ReportPages {
public:
    explicit CurrentPages(const std::unique_ptr<ReportLayout>& layout) : m_layout(layout) {}

    int pageCount() const override { return m_layout ? m_layout->pageCount() : 0; }
    QSize pageSize() const override { return m_layout ? m_layout->pageSize() : QSize(); }
    int dotsPerInch() const override { return m_layout ? m_layout->dotsPerInch() : 96; }
    void paintPage(QPainter& painter, int page) const override
    {
        if (m_layout) {
            m_layout->paintPage(painter, page);
        }
    }

private:
    const std::unique_ptr<ReportLayout>& m_layout;
};

ReportViewer::ReportViewer(ApplicationContext& context, platform::PrinterSystem& printers, QWidget* window,
                           ReportViewerDialogs dialogs)
    : m_context(context), m_printers(printers), m_window(window), m_dialogs(std::move(dialogs)),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)), m_pages(std::make_unique<CurrentPages>(m_layout))
{
    if (!m_dialogs.askFilterValues) {
        m_dialogs.askFilterValues = [this](const std::array<TReportFilterFieldInfo, kFilterFieldCount>& fields) {
            return AskFilterValuesByDialog(m_window, fields);
        };
    }
    if (!m_dialogs.askPrintRange) {
        m_dialogs.askPrintRange = [this](QPrinter& printer, int pageCount) {
            return AskPrintRangeByDialog(m_window, printer, pageCount);
        };
    }
    if (!m_dialogs.askPdfPath) {
        m_dialogs.askPdfPath = [this](const QString& suggested) { return AskPdfPathByDialog(m_window, suggested); };
    }
    if (!m_dialogs.showPreview) {
        m_dialogs.showPreview = [](TFrmReportPreview& preview) { preview.exec(); };
    }
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::view(ReportListCommands& list, int row)
{
    const int typeIndex = list.selectedTypeIndex();
    if (list.viewInProgress() || typeIndex < 0 || row < 0) {
        return;
    }
    if (!CheckDefaultPrinter(m_context, m_printers, true)) {
        return;
    }
    list.setViewInProgress(true);
    const TReportConfigInfoRecord& type = m_context.reportTypes[static_cast<std::size_t>(typeIndex)].info;
    m_typeIndex = typeIndex;
    m_reportFile = list.model().fileName(row);
    m_printTime = m_context.clock();
    const int orientation = IsLandscapeType(type) ? kLandscape : kPortrait;
    SelectPreviewPosition(m_context, orientation);

    if (GenerateReportForView(m_context, typeIndex, m_reportFile, true, m_dialogs.askFilterValues)) {
        bool loaded = false;
        {
            const BusyCursor busy(m_context.prompts());
            loaded = loadReport(typeIndex);
            if (loaded) {
                prepareReportPrinting(true);
            }
        }
        if (loaded) {
            TFrmReportPreview preview(
                *m_pages, type.ReportDesc, m_context.settings.PreviewPosition, IsLandscapeType(type),
                platform::PrimaryScreenMetrics(), [this] { printFromPreview(); }, m_window);
            preview.setSaveAsPdf([this] { saveAsPdf(); });
            m_dialogs.showPreview(preview);
        }
    }
    discard();
    StorePreviewPosition(m_context, orientation);
    list.setViewInProgress(false);
}

void ReportViewer::print(ReportListCommands& list, int row)
{
    const int typeIndex = list.selectedTypeIndex();
    if (typeIndex < 0 || row < 0) {
        return;
    }
    if (!CheckDefaultPrinter(m_context, m_printers, true)) {
        return;
    }
    m_typeIndex = typeIndex;
    m_reportFile = list.model().fileName(row);
    if (!GenerateReportForView(m_context, typeIndex, m_reportFile, true, m_dialogs.askFilterValues)) {
        return;
    }
    bool loaded = false;
    {
        const BusyCursor busy(m_context.prompts());
        m_printTime = m_context.clock();
        loaded = loadReport(typeIndex);
        if (loaded) {
            prepareReportPrinting(true);
        }
    }
    if (loaded) {
        printWithDialog();
    }
    discard();
}

void ReportViewer::resetPrinter()
{
    const QString name = m_printers.defaultPrinterName();
    if (!name.isEmpty() && m_printer->printerName() != name) {
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setPrinterName(name);
    }
}

bool ReportViewer::loadReport(int typeIndex)
{
    const TReportConfigInfoRecord& type = m_context.reportTypes[static_cast<std::size_t>(typeIndex)].info;
    QString error;
    std::unique_ptr<ReportDocument> document = ReportDocument::load(
        ReportTextFilePath(m_context), type.ReportLoadMethod, type.Font, type.PointSize.toInt(), &error);
    if (!document) {
        m_context.prompts().error(kReportNotLoadedMessage.arg(error));
        return false;
    }
    m_layout.reset();
    m_document = std::move(document);
    return true;
}

void ReportViewer::prepareReportPrinting(bool selectPrinter)
{
    const TReportConfigInfoRecord& type = m_context.reportTypes[static_cast<std::size_t>(m_typeIndex)].info;
    QPrinter& printer = *m_printer;
    if (selectPrinter) {
        // Without any printer (the default-printer check is switched off) this is the PDF stand-in.
        SelectReportPrinter(printer, type, m_printers);
    }
    printer.setFullPage(true);
    m_layout.reset();
    m_layout = std::make_unique<ReportLayout>(*m_document, DecorationOf(type, m_printTime), MetricsOf(printer));
}

bool ReportViewer::noPrinter() const
{
    return m_printers.printerNames().isEmpty();
}

void ReportViewer::printWithDialog()
{
    if (noPrinter()) {
        if (m_context.prompts().confirm(kNoPrinterPdfQuestion)) {
            saveAsPdf();
        }
        return;
    }
    const std::optional<PrintRange> range = m_dialogs.askPrintRange(*m_printer, m_layout->pageCount());
    if (!range) {
        return;
    }
    m_context.prompts().processPendingEvents();
    const BusyCursor busy(m_context.prompts());
    // The printer and orientation chosen in the dialog stay; the pages are laid out again for them.
    prepareReportPrinting(false);
    if (range->copies <= 0) {
        return;
    }
    const TReportConfigInfoRecord& type = m_context.reportTypes[static_cast<std::size_t>(m_typeIndex)].info;
    QString error;
    if (!PrintPages(*m_layout, *m_printer, *range, type.ReportDesc, &error)) {
        m_context.prompts().error(QStringLiteral("Unable to print the report. [%1]").arg(error));
    }
}

void ReportViewer::printFromPreview()
{
    if (m_context.settings.DisplayPrinterDialogOnPreview || noPrinter()) {
        printWithDialog();
        return;
    }
    const TReportConfigInfoRecord& type = m_context.reportTypes[static_cast<std::size_t>(m_typeIndex)].info;
    const BusyCursor busy(m_context.prompts());
    QString error;
    if (!PrintPages(*m_layout, *m_printer, PrintRange{}, type.ReportDesc, &error)) {
        m_context.prompts().error(QStringLiteral("Unable to print the report. [%1]").arg(error));
    }
}

void ReportViewer::saveAsPdf()
{
    if (!m_layout) {
        return;
    }
    const TReportConfigInfoRecord& type = m_context.reportTypes[static_cast<std::size_t>(m_typeIndex)].info;
    const QString path = m_dialogs.askPdfPath(SuggestedPdfPath(m_reportFile));
    if (path.isEmpty()) {
        return;
    }
    const BusyCursor busy(m_context.prompts());
    QString error;
    if (!ExportPdf(*m_layout, path, type.ReportDesc, &error)) {
        m_context.prompts().error(QStringLiteral("Unable to save the report as a PDF file. [%1]").arg(error));
    }
}

void ReportViewer::discard()
{
    m_layout.reset();
    m_document.reset();
}

} // namespace talmere
