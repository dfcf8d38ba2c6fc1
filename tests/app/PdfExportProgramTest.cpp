// talmere --export-pdf as a real process without a display, over an installation the product has registered,
// beside a running instance of the same installation.

#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PdfReading.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace talmere;
using test::ChildProcess;
using test::Q;
namespace fs = std::filesystem;

namespace {

struct Finished {
    int exitCode = -1;
    QString errors;
};

class PdfExportProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::Installation& install = world.installation();
        install.registerFolders(test::Folder(world.server()).toUtf8().constData(),
                                test::Folder(world.install()).toUtf8().constData(),
                                test::Folder(world.root() / "data").toUtf8().constData());
        // The master configuration, with the archive where the world keeps it.
        test::WriteFile(world.server() / "TALMERE.INI",
                        "[General]\nReportArchiveDirectory=archive\n[Report Types]\nAcks=\n" +
                            test::TypeSection("Acks", {"ReportFormat=ANSI_999", "ReportDesc=Acknowledgments",
                                                       "ArchivePrefix=AK", "StagingDirectory=%SERVER_DIR%\\mailbox",
                                                       "SearchIdent1=ISA", "SearchIdent2=ST*999", "PrintFooter=1"}));
        // Sixty acknowledgments make a report of several pages.
        std::string text;
        for (int control = 1; control <= 60; ++control) {
            text += test::Acknowledgment999("20240229", "0930", control);
        }
        world.put(world.archive() / "AK", "AK240229.001", text);
        world.stage("ACK0301.999", test::Acknowledgment999("20240301", "0800", 99));
    }

    QProcessEnvironment environment()
    {
        QProcessEnvironment environment = world.installation().processEnvironment();
        // A print system that is not there: no printer, so pages are US Letter whatever this machine has.
        environment.insert("CUPS_SERVER", Q(world.root() / "no-cups.sock"));
        return environment;
    }
    Finished talmere(const QStringList& arguments)
    {
        ChildProcess child(TALMERE_PROGRAM, arguments, environment());
        Finished finished;
        finished.exitCode = child.waitForExit();
        finished.errors = child.standardError();
        return finished;
    }
    std::map<QString, QString> pdfInfo() const { return test::PdfInfo(Q(pdf())); }
    fs::path pdf() const { return world.root() / "out.pdf"; }
    fs::path reportText() const { return world.install() / "private" / "TALMRTMP.TXT"; }

    test::ArchiveWorld world;
};

} // namespace

TEST_F(PdfExportProgram, WritesThePdfBesideARunningInstanceWithoutTouchingItsReportText)
{
    // A running instance of the same installation, with a report of its own in the shared report text file.
    fs::create_directories(world.install() / "private");
    test::WriteFile(reportText(), "the running instance's report");
    const auto before = fs::last_write_time(reportText());
    ChildProcess running(TALMERE_SHELL_HOST, {"/TAMSEN"}, environment());
    ASSERT_EQ(running.readLine(), "ready Qorva Report Manager");

    const Finished finished = talmere({"/TAMSEN", "--export-pdf", "acks", "ak240229.001", Q(pdf())});
    ASSERT_EQ(finished.exitCode, 0) << finished.errors.toStdString();
    EXPECT_TRUE(finished.errors.isEmpty()) << finished.errors.toStdString();

    const std::map<QString, QString> info = pdfInfo();
    const int pages = info.count("Pages") ? info.at("Pages").toInt() : 0;
    EXPECT_GT(pages, 1);
    EXPECT_TRUE(info.count("Page size") && info.at("Page size").startsWith("612 x 792 pts"));
    const QString text = test::PdfText(Q(pdf()));
    EXPECT_TRUE(text.contains("02/29/2024 09:30")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of %1").arg(pages))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %1").arg(pages))) << text.toStdString();
    EXPECT_TRUE(text.contains("Printed: ")) << text.toStdString();

    // The running instance was not asked to take over, and its report text is as it left it.
    EXPECT_EQ(running.readLine(500), "");
    running.kill();
    EXPECT_EQ(test::ReadFile(reportText()), "the running instance's report");
    EXPECT_EQ(fs::last_write_time(reportText()), before);
    // No user slot, no archive run: nothing was registered and the staged file stays in the mailbox.
    EXPECT_FALSE(fs::exists(world.server() / "QRUSER.CTL"));
    EXPECT_EQ(test::FileNames(world.mailbox()), std::vector<std::string>{"ACK0301.999"});
    EXPECT_EQ(test::FileNames(world.install() / "private"), std::vector<std::string>{"TALMRTMP.TXT"});
    EXPECT_TRUE(QDir(Q(world.install() / "private")).entryList({"TALMREXP-*"}).isEmpty()) << "the export's folder goes";
}

TEST_F(PdfExportProgram, FailuresEndWithAMessageOnStandardErrorAndNoPdf)
{
    const Finished missing = talmere({"--export-pdf", "Acks", "AK240101.001", Q(pdf()), "/tamsen"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.contains("Qorva Report Manager: Error: Unable to locate the selected report file."))
        << missing.errors.toStdString();

    const Finished unknown = talmere({"/TAMSEN", "--export-pdf", "Nothing", "AK240229.001", Q(pdf())});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.errors.contains("Unknown report type: Nothing")) << unknown.errors.toStdString();

    const Finished usage = talmere({"--export-pdf", "Acks", "AK240229.001", Q(pdf()), "--filter", "11=X"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.errors.contains("Usage: talmere --export-pdf TYPE FILE OUT.pdf")) << usage.errors.toStdString();

    // The start's own failures end the export too.
    world.installation().registerFolders("", "/No/Such/Install", "/No/Such/Data");
    const Finished start = talmere({"/TAMSEN", "--export-pdf", "Acks", "AK240229.001", Q(pdf())});
    EXPECT_EQ(start.exitCode, 1);
    EXPECT_TRUE(start.errors.contains("Expected directory paths are:")) << start.errors.toStdString();

    EXPECT_FALSE(fs::exists(pdf()));
}

TEST_F(PdfExportProgram, HelpDescribesTheExport)
{
    ChildProcess child(TALMERE_PROGRAM, {"--help"}, environment());
    EXPECT_EQ(child.waitForExit(), 0);
    const QString usage = child.standardOutput();
    EXPECT_TRUE(usage.contains("talmere --export-pdf TYPE FILE OUT.pdf [--filter N=VALUE]...")) << usage.toStdString();
}
