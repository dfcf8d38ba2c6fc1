// Laid-out pages on paper and in PDF files: the printer's metrics, page ranges, copies and collation, the
// scale between the layout's resolution and the printer's, PDF export, and a real print job through a CUPS
// scheduler of the test's own. Every PDF is read back with the poppler tools (pdfinfo, pdftotext).

#include "view/ReportPrinting.h"

#include "tests/support/PdfReading.h"
#include "tests/support/TestSupport.h"
#include "tests/view/CupsScheduler.h"
#include "tests/view/FakeReportPages.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace talmere;
using test::FakeReportPages;
using test::kFakeReportTitle;
namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

std::map<QString, QString> PdfInfo(const fs::path& pdf)
{
    return test::PdfInfo(Q(pdf));
}

QStringList PdfPages(const fs::path& pdf)
{
    return test::PdfPageTexts(Q(pdf));
}

// The "Page N of 5" line of each page, in order.
QStringList PageLines(const fs::path& pdf)
{
    static const QRegularExpression pageLine(QStringLiteral("Page \\d+ of \\d+"));
    QStringList lines;
    for (const QString& page : PdfPages(pdf)) {
        lines << pageLine.match(page).captured();
    }
    return lines;
}

// How far below the top of the first page, in points, the word "Page" ends.
double PageWordBottom(const fs::path& pdf)
{
    const QString boxes = test::RunTool(QStringLiteral("pdftotext"),
                                        {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                         QStringLiteral("-l"), QStringLiteral("1"), Q(pdf), QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral("yMax=\"([0-9.]+)\">Page<"));
    const QRegularExpressionMatch match = word.match(boxes);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

bool PopplerAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

bool InCi()
{
    return !qEnvironmentVariableIsEmpty("CI");
}

class PdfPrinting : public ::testing::Test {
protected:
    test::TempFolder folder;
    FakeReportPages pages;

    void SetUp() override
    {
        if (!PopplerAvailable()) {
            if (InCi()) {
                FAIL() << "the poppler tools (pdfinfo, pdftotext) are needed to read the PDF files back";
            }
            GTEST_SKIP() << "the poppler tools (pdfinfo, pdftotext) are not installed";
        }
    }

    // A printer that writes a PDF file, at a resolution of its own.
    std::unique_ptr<QPrinter> pdfPrinter(const fs::path& file, int dotsPerInch = 300)
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(Q(file));
        printer->setResolution(dotsPerInch);
        printer->setPageSize(QPageSize(QPageSize::Letter));
        return printer;
    }

    // Prints the range to a PDF file and answers its "Page N of 5" lines; empty when printing failed.
    QStringList printed(const PrintRange& range, QString* error = nullptr)
    {
        const fs::path file = folder / "printed.pdf";
        fs::remove(file);
        const auto printer = pdfPrinter(file);
        if (!PrintPages(pages, *printer, range, kFakeReportTitle, error)) {
            return {};
        }
        return PageLines(file);
    }
};

} // namespace

TEST(PrinterMetricsOf, APrintersPageStripsAndOrientationAreItsOwnNotTheProgramsMargins)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(300);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageMargins(QMarginsF(20, 25, 20, 30), QPageLayout::Millimeter);

    EXPECT_EQ(MetricsOf(printer), (PrinterMetrics{300, QSize(2550, 3300), 0, 0, false}));
    printer.setPageOrientation(QPageLayout::Landscape);
    EXPECT_EQ(MetricsOf(printer), (PrinterMetrics{300, QSize(3300, 2550), 0, 0, true}));
}

TEST_F(PdfPrinting, APageRangePrintsExactlyThosePagesAsOneJobNamedForTheReport)
{
    const fs::path file = folder / "range.pdf";
    const auto printer = pdfPrinter(file);
    QString error;
    ASSERT_TRUE(PrintPages(pages, *printer, PrintRange{2, 3, 1, false}, kFakeReportTitle, &error))
        << error.toStdString();

    const auto info = PdfInfo(file);
    EXPECT_EQ(info.at("Pages"), "2");
    EXPECT_TRUE(info.at("Page size").startsWith("612 x 792 pts")) << info.at("Page size").toStdString();
    EXPECT_EQ(info.at("Title"), kFakeReportTitle);
    const QStringList texts = PdfPages(file);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains(kFakeReportTitle));
    EXPECT_EQ(PageLines(file), (QStringList{"Page 2 of 5", "Page 3 of 5"}));
}

TEST_F(PdfPrinting, RangesAreClampedToTheReportAndARangeWithoutPagesPrintsNothing)
{
    EXPECT_EQ(printed({0, 0, 1, false}).size(), 5);
    EXPECT_EQ(printed({4, 9, 1, false}), (QStringList{"Page 4 of 5", "Page 5 of 5"}));
    EXPECT_EQ(printed({-3, 1, 1, false}), (QStringList{"Page 1 of 5"}));

    for (const PrintRange& empty : {PrintRange{4, 2, 1, false}, PrintRange{6, 9, 1, false}}) {
        QString error;
        EXPECT_TRUE(printed(empty, &error).isEmpty());
        EXPECT_EQ(error, kNoPagesToPrintMessage);
        EXPECT_FALSE(fs::exists(folder / "printed.pdf"));
    }
    const FakeReportPages none(0);
    const auto printer = pdfPrinter(folder / "none.pdf");
    QString error;
    EXPECT_FALSE(PrintPages(none, *printer, PrintRange{}, kFakeReportTitle, &error));
    EXPECT_EQ(error, kNoPagesToPrintMessage);
}

TEST_F(PdfPrinting, CopiesThePrinterCannotMakeArePrintedCollatedOrPageByPage)
{
    // A PDF file holds one copy of what is drawn; the copies are drawn here.
    ASSERT_FALSE(pdfPrinter(folder / "probe.pdf")->supportsMultipleCopies());

    EXPECT_EQ(printed({2, 3, 2, true}), (QStringList{"Page 2 of 5", "Page 3 of 5", "Page 2 of 5", "Page 3 of 5"}));
    EXPECT_EQ(printed({2, 3, 2, false}), (QStringList{"Page 2 of 5", "Page 2 of 5", "Page 3 of 5", "Page 3 of 5"}));
    EXPECT_EQ(printed({5, 5, 0, false}), (QStringList{"Page 5 of 5"}));
}

TEST_F(PdfPrinting, APrinterOfAnotherResolutionPrintsThePageAtTheSameSize)
{
    // The page line's baseline is two inches (144 points) below the top at the layout's 300 dpi.
    for (const int dotsPerInch : {300, 600, 150}) {
        const fs::path file = folder / ("at" + std::to_string(dotsPerInch) + ".pdf");
        const auto printer = pdfPrinter(file, dotsPerInch);
        ASSERT_TRUE(PrintPages(pages, *printer, PrintRange{1, 1, 1, false}, kFakeReportTitle));
        EXPECT_TRUE(PdfInfo(file).at("Page size").startsWith("612 x 792 pts"));
        EXPECT_NEAR(PageWordBottom(file), 144, 6) << dotsPerInch << " dpi";
    }
}

TEST_F(PdfPrinting, ExportWritesEveryPageAtTheLayoutsSizeTitled)
{
    const fs::path file = folder / "report.pdf";
    QString error;
    ASSERT_TRUE(ExportPdf(pages, Q(file), kFakeReportTitle, &error)) << error.toStdString();

    const auto info = PdfInfo(file);
    EXPECT_EQ(info.at("Pages"), "5");
    EXPECT_EQ(info.at("Page size"), "612 x 792 pts (letter)");
    EXPECT_EQ(info.at("Title"), kFakeReportTitle);
    const QStringList texts = PdfPages(file);
    ASSERT_EQ(texts.size(), 5);
    for (int page = 1; page <= 5; ++page) {
        EXPECT_TRUE(texts[page - 1].contains(QStringLiteral("Page %1 of 5").arg(page)))
            << texts[page - 1].toStdString();
        EXPECT_TRUE(texts[page - 1].contains(kFakeReportTitle));
    }
    EXPECT_NEAR(PageWordBottom(file), 144, 6);

    // Landscape pages make a landscape PDF; an existing file is replaced.
    ASSERT_TRUE(ExportPdf(FakeReportPages(2, true), Q(file), kFakeReportTitle, &error));
    EXPECT_EQ(PdfInfo(file).at("Page size"), "792 x 612 pts (letter)");
    EXPECT_EQ(PdfInfo(file).at("Pages"), "2");
}

TEST_F(PdfPrinting, AnExportThatCannotBeWrittenLeavesNothingBehind)
{
    const fs::path missing = folder / "no-such-folder" / "report.pdf";
    QString error;
    EXPECT_FALSE(ExportPdf(pages, Q(missing), kFakeReportTitle, &error));
    EXPECT_EQ(error, kPdfNotWrittenMessage.arg(Q(missing)));
    EXPECT_FALSE(fs::exists(missing.parent_path()));

    // A folder where the file should go stays the folder it was, and no temporary file is left beside it.
    const fs::path taken = folder / "taken.pdf";
    fs::create_directories(taken);
    EXPECT_FALSE(ExportPdf(pages, Q(taken), kFakeReportTitle, &error));
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

    EXPECT_FALSE(ExportPdf(FakeReportPages(0), Q(folder / "empty.pdf"), kFakeReportTitle, &error));
    EXPECT_EQ(error, kNoPagesToExportMessage);
    EXPECT_FALSE(fs::exists(folder / "empty.pdf"));
}

namespace {

// Where cups-pdf may put a job's file: the Out folder of its configuration for the job's user (whose home is
// not known here: this process's and root's are tried), and the folder for users it does not know.
QStringList CupsPdfFolders()
{
    QStringList outs{QStringLiteral("${HOME}/PDF")};
    QString anonymous = QStringLiteral("/var/spool/cups-pdf/ANONYMOUS");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromLocal8Bit(conf.readAll()).split('\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QStringLiteral("Out "))) {
                outs << trimmed.mid(4).trimmed();
            } else if (trimmed.startsWith(QStringLiteral("AnonDirName "))) {
                anonymous = trimmed.mid(12).trimmed();
            }
        }
    }
    QStringList folders{anonymous};
    for (const QString& out : outs) {
        for (const QString& home : {QDir::homePath(), QStringLiteral("/root")}) {
            folders << QString(out).replace(QStringLiteral("${HOME}"), home);
        }
    }
    folders.removeDuplicates();
    return folders;
}

// Every PDF file in those folders, with its modification time.
std::map<QString, QDateTime> CupsPdfFiles()
{
    std::map<QString, QDateTime> files;
    for (const QString& folder : CupsPdfFolders()) {
        for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
            files[file.absoluteFilePath()] = file.lastModified();
        }
    }
    return files;
}

class CupsPrinting : public ::testing::Test {
protected:
    test::CupsScheduler scheduler;

    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "cupsd error log:\n" << scheduler.errorLog().toStdString() << std::endl;
        }
    }
};

} // namespace

TEST_F(CupsPrinting, PagesTwoToThreeReachTheQueueAsATwoPageJobNamedForTheReport)
{
    QString why;
    if (!test::CupsScheduler::pdfQueueAvailable(&why) || !PopplerAvailable()) {
        if (InCi()) {
            FAIL() << "a CI run must print through CUPS: " << why.toStdString();
        }
        GTEST_SKIP() << why.toStdString();
    }
    if (!scheduler.start(&why)) {
        if (InCi()) {
            FAIL() << why.toStdString();
        }
        GTEST_SKIP() << "no CUPS scheduler of our own could start: " << why.toStdString();
    }
    const QString queue = QStringLiteral("TalmerePDF");
    ASSERT_TRUE(scheduler.addPdfQueue(queue, &why)) << why.toStdString();

    const std::map<QString, QDateTime> before = CupsPdfFiles();
    QProcess probe;
    probe.setProcessEnvironment(scheduler.clientEnvironment());
    probe.start(QStringLiteral(TALMERE_PRINT_PROBE), {queue, kFakeReportTitle, "2", "3"});
    ASSERT_TRUE(probe.waitForFinished(60000));
    ASSERT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();

    // The job is done when the queue is idle again and its file is a whole PDF.
    QString job;
    QElapsedTimer waited;
    waited.start();
    while (job.isEmpty() && waited.elapsed() < 60000) {
        QThread::msleep(250);
        if (!scheduler.queueIdle(queue)) {
            continue;
        }
        for (const auto& [path, modified] : CupsPdfFiles()) {
            const auto earlier = before.find(path);
            if ((earlier == before.end() || earlier->second != modified) &&
                !PdfInfo(fs::path(path.toStdString())).empty()) {
                job = path;
            }
        }
    }
    ASSERT_FALSE(job.isEmpty()) << "no PDF of the job in " << CupsPdfFolders().join(", ").toStdString();
    const fs::path pdf = job.toStdString();

    const auto info = PdfInfo(pdf);
    EXPECT_EQ(info.at("Pages"), "2");
    EXPECT_TRUE(info.at("Title").contains(kFakeReportTitle)) << info.at("Title").toStdString();
    EXPECT_EQ(PageLines(pdf), (QStringList{"Page 2 of 5", "Page 3 of 5"}));
    const QStringList texts = PdfPages(pdf);
    ASSERT_EQ(texts.size(), 2);
    for (int page : {2, 3}) {
        const QString& text = texts[page - 2];
        EXPECT_TRUE(text.contains(QStringLiteral("LETTER PAGE %1").arg(page))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Claim Acknowledgments")));
        EXPECT_TRUE(text.contains(QStringLiteral("Printed: ")));
    }
    fs::remove(pdf);
}
