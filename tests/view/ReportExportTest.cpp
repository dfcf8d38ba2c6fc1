// The headless PDF export: its command line, and the export of archived reports into PDF files over a world in
// temporary folders, with the built library or the stand-in that writes back what the request carried. Every
// PDF is read back with the poppler tools.

#include "view/ReportExport.h"
#include "view/ReportPrinting.h"

#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/PdfReading.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace talmere;
using test::Q;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

QString Parse(const QStringList& arguments)
{
    QString error;
    const std::optional<PdfExportRequest> request = ParsePdfExportArguments(arguments, &error);
    return request ? QStringLiteral("parsed") : error;
}

QString PdfText(const fs::path& pdf)
{
    return test::PdfText(Q(pdf));
}

QString PdfInfoLine(const fs::path& pdf, const QString& key)
{
    const std::map<QString, QString> info = test::PdfInfo(Q(pdf));
    const auto found = info.find(key);
    return found == info.end() ? QString() : found->second;
}

} // namespace

TEST(PdfExportCommandLine, ReadsOperandsFiltersAndModeSwitchesInAnyOrder)
{
    QString error;
    const std::optional<PdfExportRequest> request =
        ParsePdfExportArguments({"/EXCLUSIVE", "--EXPORT-PDF", "acks", "/srv/archive/AK/AK1.001", "out.pdf", "--filter",
                                 "2=abc", "/tamsen", "--Filter", "10=", "--filter", "2=x=y"},
                                &error);
    ASSERT_TRUE(request) << error.toStdString();
    EXPECT_EQ(request->typeName, "acks");
    EXPECT_EQ(request->reportFile, "/srv/archive/AK/AK1.001") << "a path may look like a switch";
    EXPECT_EQ(request->pdfPath, "out.pdf");
    EXPECT_EQ(request->startArguments, QStringList({"/EXCLUSIVE", "/tamsen"}));
    // A later value for the same field wins; a value may hold '=' and may be empty.
    EXPECT_EQ(request->filterValues[1], "x=y");
    EXPECT_TRUE(request->filterGiven[9]);
    EXPECT_EQ(request->filterValues[9], "");
    for (const int unset : {0, 2, 3, 4, 5, 6, 7, 8}) {
        EXPECT_FALSE(request->filterGiven[static_cast<std::size_t>(unset)]) << unset;
        EXPECT_TRUE(request->filterValues[static_cast<std::size_t>(unset)].isEmpty()) << unset;
    }

    EXPECT_TRUE(IsPdfExportCommand({"/TAMSEN", "--Export-PDF"}));
    EXPECT_FALSE(IsPdfExportCommand({"--export-pdfs", "/EXPORT-PDF", "export-pdf"}));
    EXPECT_FALSE(IsPdfExportCommand({}));
}

TEST(PdfExportCommandLine, MissingOperandsAreABadCommandLine)
{
    const QString missing = QStringLiteral("--export-pdf needs a report type, a report file and a PDF file.");
    EXPECT_EQ(Parse({"--export-pdf"}), missing);
    EXPECT_EQ(Parse({"--export-pdf", "Acks", "AK1.001"}), missing);
    EXPECT_EQ(Parse({"--export-pdf", "Acks", "AK1.001", "--filter", "1=A"}), missing);
    EXPECT_EQ(Parse({"--export-pdf", "Acks", "", "out.pdf"}), missing);
    EXPECT_EQ(Parse({"/TAMSEN"}), "--export-pdf is missing.");
    EXPECT_EQ(Parse({"--export-pdf", "A", "B", "C", "--export-pdf", "D", "E", "F"}),
              "--export-pdf is given more than once.");
}

TEST(PdfExportCommandLine, FilterNumbersOutside1To10AndStrayArgumentsAreRejected)
{
    const QStringList command = {"--export-pdf", "Acks", "AK1.001", "out.pdf"};
    for (const char* value : {"0=A", "11=A", "A=B", "=A", "1", "+1=A", " 1=A", "1 =A", "-1=A", "100=A", ""}) {
        EXPECT_TRUE(Parse(command + QStringList{"--filter", value}).startsWith("--filter takes N=VALUE")) << value;
    }
    EXPECT_EQ(Parse(command + QStringList{"--filter"}), "--filter needs a value: N=VALUE.");
    EXPECT_EQ(Parse(command + QStringList{"--filter", "01=A"}), "parsed");

    EXPECT_EQ(Parse(command + QStringList{"/bogus"}), "Unknown argument: /bogus");
    EXPECT_EQ(Parse(command + QStringList{"--help"}), "Unknown argument: --help");
    EXPECT_EQ(Parse(command + QStringList{"extra.pdf"}), "Unknown argument: extra.pdf");
    // An export archives nothing, so a silent archive run cannot come with it.
    EXPECT_EQ(Parse(QStringList{"--silentarchive"} + command), "--silentarchive cannot come with --export-pdf.");
}

namespace {

std::string Configuration()
{
    return "[Report Types]\nJunk=\nAcks=\nWide=\nSelected=\n" +
           TypeSection("Junk",
                       {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
           TypeSection("Acks", {"ReportFormat=ANSI_999", "ReportDesc=Acknowledgments", "ArchivePrefix=AK",
                                "StagingDirectory=%SERVER_DIR%\\mailbox", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                "ArchiveDays=-1", "PrintFooter=1", "HeaderTitleCaption=Acknowledgments"}) +
           TypeSection("Wide", {"ReportFormat=ANSI_999", "ReportDesc=Wide Acknowledgments", "ArchivePrefix=WA",
                                "StagingDirectory=%SERVER_DIR%\\mailbox", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                "ArchiveDays=-1", "Orientation=LANDSCAPE", "PrintFooter=1"}) +
           // The stand-in library echoes what it received for this type.
           TypeSection("Selected",
                       {"ReportFormat=TEXT", "ReportDesc=Selected Claims", "ArchivePrefix=SC",
                        "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=SEL*.TXT", "ArchiveDays=-1",
                        "Param1=ECHO", "FilterFieldDef1=Claim Number|6", "FilterFieldDef2=Patient Name|80"});
}

class PdfExport : public ::testing::Test {
protected:
    test::ArchiveWorld world;
    test::FixedPrinters printers; // none: the PDF stand-in on US Letter

    void SetUp() override
    {
        printers.defaultPrinter.clear();
        // The export finds the archive from the settings, as a start does.
        world.context().settings.ReportArchiveDirectory = test::Folder(world.archive());
        world.writeConfiguration(Configuration());
        test::WriteFile(reportText(), "the previous report");
    }

    int exportPdf(const QStringList& arguments)
    {
        QString error;
        const std::optional<PdfExportRequest> request = ParsePdfExportArguments(arguments, &error);
        EXPECT_TRUE(request) << error.toStdString();
        return request ? RunPdfExport(world.context(), printers, *request) : -1;
    }
    // The export with the configuration the test loaded.
    int exportLoaded(const QStringList& arguments)
    {
        const std::optional<PdfExportRequest> request = ParsePdfExportArguments(arguments);
        EXPECT_TRUE(request);
        return request ? ExportReportPdf(world.context(), printers, *request) : -1;
    }
    fs::path archive(const std::string& prefix, const std::string& name, const std::string& bytes)
    {
        return world.put(world.archive() / prefix, name, bytes);
    }
    fs::path pdf() const { return world.root() / "out.pdf"; }
    fs::path reportText() const { return world.install() / "private" / "TALMRTMP.TXT"; }
    QStringList errors() { return world.prompts().errors(); }
    void useStandInLibrary() { world.context().reportLibraryCandidates = {ECHO_REPORT_LIBRARY_PATH}; }
};

} // namespace

TEST_F(PdfExport, WritesTheReportAsItPrintsWithoutTouchingTheSharedReportText)
{
    archive("AK", "AK240229.001", test::Acknowledgment999("20240229", "0930", 77));
    archive("WA", "WA240229.001", test::Acknowledgment999("20240229", "0930", 78));

    // The type's name and the listing's file name in other letters than the configuration and the disk.
    ASSERT_EQ(exportPdf({"--export-pdf", "ACKS", "ak240229.001", Q(pdf())}), kExportSucceeded)
        << errors().join('\n').toStdString();
    EXPECT_TRUE(errors().isEmpty());
    const QString text = PdfText(pdf());
    EXPECT_TRUE(text.contains("02/29/2024 09:30")) << text.toStdString();
    EXPECT_TRUE(text.contains("Printed: 03/15/2024 10:00 AM")) << text.toStdString();
    EXPECT_TRUE(text.contains("Page 1 of 1")) << text.toStdString();
    EXPECT_EQ(PdfInfoLine(pdf(), "Pages"), "1");
    EXPECT_TRUE(PdfInfoLine(pdf(), "Page size").startsWith("612 x 792 pts"))
        << PdfInfoLine(pdf(), "Page size").toStdString();
    EXPECT_EQ(PdfInfoLine(pdf(), "Title"), "Acknowledgments");

    // A landscape type turns the page.
    ASSERT_EQ(exportPdf({"--export-pdf", "wide", "WA240229.001", Q(pdf())}), kExportSucceeded);
    EXPECT_TRUE(PdfInfoLine(pdf(), "Page size").startsWith("792 x 612 pts"))
        << PdfInfoLine(pdf(), "Page size").toStdString();

    EXPECT_EQ(test::ReadFile(reportText()), "the previous report");
    EXPECT_EQ(test::FileNames(world.install() / "private"), std::vector<std::string>{"TALMRTMP.TXT"});
    EXPECT_TRUE(QDir(Q(world.install() / "private")).entryList({"TALMREXP-*"}).isEmpty()) << "the export's folder goes";
    EXPECT_TRUE(world.context().reportTypes.empty()) << "the configuration is freed again";
}

TEST_F(PdfExport, SelectionValuesReachTheLibraryAsTheDialogWouldGiveThem)
{
    ASSERT_TRUE(world.load());
    useStandInLibrary();
    const fs::path file = archive("SC", "SEL1.TXT", "claims\r\n");
    // A path (relative to the current folder) instead of a name of the archive subfolder.
    const QString relative = QDir::current().relativeFilePath(Q(file));
    ASSERT_TRUE(relative.contains('/'));
    ASSERT_EQ(exportLoaded({"--export-pdf", "Selected", relative, Q(pdf()), "--filter", "1=abc1234567", "--filter",
                            "2=smith, jo"}),
              kExportSucceeded)
        << errors().join('\n').toStdString();
    const QString text = PdfText(pdf());
    EXPECT_TRUE(text.contains("report=" + Q(file))) << text.toStdString();
    // Capitals, cut to the field's six characters.
    EXPECT_TRUE(text.contains("value=ABC123\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("value=SMITH, JO\n")) << text.toStdString();

    // Without --filter the fields are empty; the dialog is never shown.
    ASSERT_EQ(exportLoaded({"--export-pdf", "Selected", "SEL1.TXT", Q(pdf())}), kExportSucceeded);
    EXPECT_FALSE(PdfText(pdf()).contains("value=ABC")) << PdfText(pdf()).toStdString();

    // A field the type does not have would be ignored by the library: the export refuses it.
    fs::remove(pdf());
    EXPECT_EQ(exportLoaded({"--export-pdf", "Selected", "SEL1.TXT", Q(pdf()), "--filter", "3=X"}), kExportFailed);
    EXPECT_EQ(errors(), QStringList{kNoSuchFilterFieldMessage.arg("Selected").arg(3)});
    EXPECT_FALSE(fs::exists(pdf()));
}

TEST_F(PdfExport, FailuresAreToldAndLeaveNoPdf)
{
    const fs::path file = archive("AK", "AK240315.001", test::Acknowledgment999("20240315", "1000", 1));
    const std::string original = test::ReadFile(file);
    const QString out = Q(pdf());
    EXPECT_EQ(exportPdf({"--export-pdf", "Nothing", "AK240315.001", out}), kExportFailed);
    // An action type routes files and has no reports.
    EXPECT_EQ(exportPdf({"--export-pdf", "junk", "AK240315.001", out}), kExportFailed);
    EXPECT_EQ(exportPdf({"--export-pdf", "Acks", "AK240101.001", out}), kExportFailed);
    EXPECT_EQ(exportPdf({"--export-pdf", "Acks", "..", out}), kExportFailed);
    EXPECT_EQ(exportPdf({"--export-pdf", "Acks", Q(world.archive() / "AK" / "NONE.001"), out}), kExportFailed);
    EXPECT_EQ(exportPdf({"--export-pdf", "Acks", "AK240315.001", Q(world.root() / "no" / "such" / "out.pdf")}),
              kExportFailed);
    // The PDF never replaces the report it is made from.
    EXPECT_EQ(exportPdf({"--export-pdf", "Acks", Q(file), Q(file)}), kExportFailed);
    EXPECT_EQ(test::ReadFile(file), original);

    const QStringList expected = {
        kUnknownReportTypeMessage.arg("Nothing"),
        kUnknownReportTypeMessage.arg("junk"),
        kReportFileMissingMessage,
        kReportFileMissingMessage,
        kReportFileMissingMessage,
        kPdfNotSavedMessage.arg(kPdfNotWrittenMessage.arg(Q(world.root() / "no" / "such" / "out.pdf"))),
        kPdfWouldReplaceReportMessage.arg(Q(file)),
    };
    EXPECT_EQ(errors(), expected);
    EXPECT_FALSE(fs::exists(pdf()));
    EXPECT_EQ(test::FileNames(world.install() / "private"), std::vector<std::string>{"TALMRTMP.TXT"});
}

TEST_F(PdfExport, ALibraryFailureAndABrokenConfigurationAreTold)
{
    // Not an acknowledgment at all: the library says why it cannot make the report.
    archive("AK", "AK240316.001", "no segments here");
    EXPECT_EQ(exportPdf({"--export-pdf", "Acks", "AK240316.001", Q(pdf())}), kExportFailed);
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(kGenerationFailedMessage.left(30))) << errors()[0].toStdString();
    EXPECT_FALSE(fs::exists(pdf()));

    world.prompts().shown.clear();
    world.writeConfiguration("[Report Types]\nBroken=\n[Report Details - Broken]\nReportFormat=NOSUCHFORMAT\n");
    EXPECT_EQ(exportPdf({"--export-pdf", "Broken", "X.001", Q(pdf())}), kExportFailed);
    EXPECT_EQ(errors().size(), 1) << "the configuration's own message";
    EXPECT_FALSE(errors().value(0).startsWith("Unknown report type")) << errors().value(0).toStdString();
}
