// View and Print of the report list over a report manager's world with the built library: what the user sees
// in the preview, what reaches the printer (a PDF file read back with poppler's tools), and what is told when a
// step fails.

#include "gui/ReportViewer.h"
#include "gui/TFrmReportPreview.h"
#include "session/ReportListCommands.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/PdfReading.h"

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace talmere;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

// A letter of five pages: four form feeds, one of them doubled, which still gives one page break.
std::string FivePageLetter()
{
    std::string text;
    for (int page = 1; page <= 5; ++page) {
        if (page > 1) {
            text += page == 3 ? "\f\f" : "\f";
        }
        text += "LETTER PAGE " + std::to_string(page) + "\r\n";
        for (int line = 1; line <= 10; ++line) {
            text += "  line " + std::to_string(line) + " of page " + std::to_string(page) + "\r\n";
        }
    }
    return text;
}

// pdfinfo's page count of a PDF file.
int PdfPages(const QString& path)
{
    return test::PdfInfo(path)[QStringLiteral("Pages")].toInt();
}

using test::PdfText;

class ReportViewing : public ::testing::Test {
protected:
    test::ArchiveWorld world;
    test::FixedPrinters printers;
    QTemporaryDir output;
    std::unique_ptr<ReportListCommands> list;
    ReportViewerDialogs dialogs;
    // What the preview showed when it opened.
    QString previewPanel;
    QString previewTitle;
    bool viewInProgressDuringPreview = false;
    int previews = 0;
    int filterAsks = 0;

    void SetUp() override
    {
        world.context().settings.ReportArchiveDirectory = "archive";
        world.writeConfiguration(
            "[Report Types]\nLetters=\nSurveys=\n" +
            TypeSection("Letters", {"ReportFormat=TEXT", "ReportDesc=Payer Letters", "ArchivePrefix=PL",
                                    "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=LTR*.TXT", "ArchiveDays=-1",
                                    "HeaderTitleCaption=Payer Correspondence", "PrintFooter=1", "PointSize=10"}) +
            TypeSection("Surveys", {"ReportFormat=TEXT", "ReportDesc=Claim Surveys", "ArchivePrefix=SV",
                                    "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=SRV*.TXT", "ArchiveDays=-1",
                                    "FilterFieldDef1=CLAIM NUMBER|12"}));
        world.stage("LTR1.TXT", FivePageLetter(), DateTimeParts{2024, 2, 1, 7, 0});
        world.stage("SRV1.TXT", "SURVEY\r\n", DateTimeParts{2024, 2, 2, 7, 0});
        dialogs.showPreview = [this](TFrmReportPreview& preview) {
            ++previews;
            preview.show();
            QApplication::processEvents();
            previewPanel = preview.findChild<QLabel*>(QStringLiteral("lblPage"))->text();
            previewTitle = preview.printTitle();
            viewInProgressDuringPreview = list->viewInProgress();
            preview.reject();
        };
        dialogs.askFilterValues = [this](const std::array<TReportFilterFieldInfo, kFilterFieldCount>&) {
            ++filterAsks;
            return std::optional<FilterValues>{};
        };
        dialogs.askPdfPath = [this](const QString&) { return output.filePath(QStringLiteral("saved.pdf")); };
        list = std::make_unique<ReportListCommands>(world.context());
        ASSERT_EQ(list->start(), ReportManagerStart::Ready) << world.prompts().errors().join("\n").toStdString();
    }

    ReportViewer viewer() { return ReportViewer(world.context(), printers, nullptr, dialogs); }
    fs::path archivedLetter() const { return world.archive() / "PL" / list->model().fileName(0).toStdString(); }
};

} // namespace

TEST_F(ReportViewing, ViewShowsTheLaidOutReportAndKeepsThePreviewPlacementPerOrientation)
{
    ReportViewer viewer(world.context(), printers, nullptr, dialogs);
    ASSERT_EQ(list->model().rowCount(), 1);
    world.context().settings.PortraitPreviewDialog = {10, 20, 600, 500, 0};
    viewer.view(*list, 0);

    EXPECT_TRUE(world.prompts().shown.empty()) << world.prompts().errors().join("\n").toStdString();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(previewPanel, "Page 1 of 5");
    EXPECT_EQ(previewTitle, "Payer Letters");
    EXPECT_TRUE(viewInProgressDuringPreview);
    EXPECT_FALSE(list->viewInProgress());
    // The pages are discarded with the preview, and the placement it closed at is the portrait one.
    EXPECT_EQ(viewer.layout(), nullptr);
    const WindowPosition kept = world.context().settings.PortraitPreviewDialog;
    EXPECT_EQ(kept.State, 0);
    EXPECT_EQ(kept, world.context().settings.PreviewPosition);
    EXPECT_EQ(world.context().settings.LandscapePreviewDialog, WindowPosition{});
}

TEST_F(ReportViewing, FailuresAreToldAndShowNothing)
{
    {
        ReportViewer viewer(world.context(), printers, nullptr, dialogs);
        // Another workstation removed the report after the list was filled.
        fs::remove(archivedLetter());
        viewer.view(*list, 0);
        EXPECT_EQ(world.prompts().errors(), QStringList{kReportFileMissingMessage});
        EXPECT_EQ(previews, 0);
        EXPECT_FALSE(list->viewInProgress());
    }
    world.prompts().shown.clear();
    {
        // No default printer, and the check is on: nothing is generated.
        printers.defaultPrinter.clear();
        const fs::path reportText = world.install() / "private" / "TALMRTMP.TXT";
        fs::remove(reportText);
        ReportViewer viewer(world.context(), printers, nullptr, dialogs);
        viewer.print(*list, 0);
        ASSERT_EQ(world.prompts().errors().size(), 1);
        EXPECT_TRUE(world.prompts().errors()[0].startsWith("This system has no default printer assigned."));
        EXPECT_FALSE(fs::exists(reportText));
    }
}

TEST_F(ReportViewing, ACancelledSelectionDialogEndsTheCommandSilently)
{
    ReportViewer viewer(world.context(), printers, nullptr, dialogs);
    list->changeReportType(1);
    ASSERT_EQ(list->model().rowCount(), 1);
    viewer.view(*list, 0);
    EXPECT_EQ(filterAsks, 1);
    EXPECT_EQ(previews, 0);
    EXPECT_TRUE(world.prompts().shown.empty());
    EXPECT_FALSE(list->viewInProgress());

    // The letters have no selection fields: no dialog.
    list->changeReportType(0);
    viewer.view(*list, 0);
    EXPECT_EQ(filterAsks, 1);
    EXPECT_EQ(previews, 1);
}

TEST_F(ReportViewing, PrintTheRangeChosenInTheDialogOnThePrinterChosenThere)
{
    const QString pdf = output.filePath(QStringLiteral("printed.pdf"));
    int asked = 0;
    dialogs.askPrintRange = [&](QPrinter& printer, int pageCount) -> std::optional<PrintRange> {
        ++asked;
        EXPECT_EQ(pageCount, 5);
        // The user picks a file printer in the dialog; it stays for the printing.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return PrintRange{2, 3, 1, false};
    };
    ReportViewer viewer(world.context(), printers, nullptr, dialogs);
    viewer.print(*list, 0);
    EXPECT_TRUE(world.prompts().shown.empty()) << world.prompts().errors().join("\n").toStdString();
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(PdfPages(pdf), 2);
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains("LETTER PAGE 2")) << text.toStdString();
    EXPECT_TRUE(text.contains("LETTER PAGE 3"));
    EXPECT_FALSE(text.contains("LETTER PAGE 1"));
    EXPECT_TRUE(text.contains("Page 2 of 5"));
    EXPECT_TRUE(text.contains("Page 3 of 5"));
    EXPECT_EQ(text.count("Payer Correspondence"), 2);
    EXPECT_EQ(text.count("Printed: "), 2);
}

TEST_F(ReportViewing, WithoutAnyPrinterPrintOffersAPdfFile)
{
    printers.defaultPrinter.clear();
    world.context().settings.BypassDefaultPrinterAssignmentCheck = true;
    dialogs.askPrintRange = [](QPrinter&, int) -> std::optional<PrintRange> {
        ADD_FAILURE() << "no print dialog without a printer";
        return std::nullopt;
    };
    ReportViewer viewer(world.context(), printers, nullptr, dialogs);

    world.prompts().confirmAnswer = false;
    viewer.print(*list, 0);
    ASSERT_EQ(world.prompts().shown.size(), 1);
    EXPECT_EQ(world.prompts().shown[0].text, kNoPrinterPdfQuestion);
    EXPECT_FALSE(QFile::exists(output.filePath(QStringLiteral("saved.pdf"))));

    world.prompts().confirmAnswer = true;
    viewer.print(*list, 0);
    const QString pdf = output.filePath(QStringLiteral("saved.pdf"));
    ASSERT_EQ(PdfPages(pdf), 5);
    EXPECT_TRUE(PdfText(pdf).contains("Page 5 of 5"));
}

TEST_F(ReportViewing, ThePreviewSavesTheReportAsPdf)
{
    dialogs.showPreview = [&](TFrmReportPreview& preview) {
        preview.show();
        QApplication::processEvents();
        auto* save = preview.findChild<QToolButton*>(QStringLiteral("btnPdf"));
        ASSERT_NE(save, nullptr);
        EXPECT_TRUE(save->isVisible());
        save->click();
        preview.reject();
    };
    ReportViewer viewer(world.context(), printers, nullptr, dialogs);
    viewer.view(*list, 0);
    const QString pdf = output.filePath(QStringLiteral("saved.pdf"));
    ASSERT_EQ(PdfPages(pdf), 5);
    const QString text = PdfText(pdf);
    EXPECT_EQ(text.count("Payer Correspondence"), 5);
    EXPECT_TRUE(text.contains("LETTER PAGE 4"));
}

TEST(ReportPrinterChoice, TheTypesPrinterWithoutRegardToCaseElseTheDefault)
{
    const QStringList names{QStringLiteral("Front Desk"), QStringLiteral("Billing Laser")};
    EXPECT_EQ(ReportPrinterName(QStringLiteral("billing LASER"), names, QStringLiteral("Front Desk")), "Billing Laser");
    EXPECT_EQ(ReportPrinterName(QStringLiteral("Removed"), names, QStringLiteral("Front Desk")), "Front Desk");
    EXPECT_EQ(ReportPrinterName(QString(), names, QStringLiteral("Front Desk")), "Front Desk");
    EXPECT_EQ(ReportPrinterName(QStringLiteral("Billing"), {}, QString()), QString());
}
