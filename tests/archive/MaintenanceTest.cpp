// The housekeeping around the archive run on real folders and processes: staged ZIP files, the
// preprocessor program, the purge of old reports and the mailbox cleanup.

#include "archive/ArchiveMaintenance.h"
#include "archive/ArchiveRun.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ZipTestSupport.h"

#include <zip.h>

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace talmere;
using test::FileNames;
using test::Q;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

using test::ZipEntry;

// Writes a ZIP file whose entries are dated 10 January 2024, 11:30.
void WriteZip(const fs::path& path, const std::vector<ZipEntry>& entries, const char* password = nullptr)
{
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mon = 0;
    tm.tm_mday = 10;
    tm.tm_hour = 11;
    tm.tm_min = 30;
    tm.tm_isdst = -1;
    test::WriteZip(path, entries, password, std::mktime(&tm));
}

} // namespace

TEST(ZipExtraction, EntriesLandInTheStagingFolderAndTheZipGoes)
{
    test::TempFolder staging;
    test::WriteFile(staging / "X.TXT", "older X");
    WriteZip(staging / "A.ZIP", {{"X.TXT", "new X"}, {"SUB/", ""}, {"SUB/Y.TXT", "Y"}, {"OTHER/X.TXT", "last X"}});
    WriteZip(staging / "b.zip", {{"Z.TXT", "Z"}});
    // Made on Windows: the stored folders are separated by backslashes, and are dropped all the same.
    WriteZip(staging / "WIN.ZIP", {{"REPORTS\\", ""}, {"REPORTS\\2024\\W.TXT", "W"}});
    ExtractStagedZipFiles(test::Folder(staging.path()));
    // A taken name is never replaced: the entry gets the next free one.
    EXPECT_EQ(FileNames(staging.path()), (Names{"W.TXT", "X.TXT", "X_2.TXT", "X_3.TXT", "Y.TXT", "Z.TXT"}));
    EXPECT_EQ(test::ReadFile(staging / "W.TXT"), "W");
    EXPECT_EQ(test::ReadFile(staging / "X.TXT"), "older X");
    EXPECT_EQ(test::ReadFile(staging / "X_3.TXT"), "last X");
    EXPECT_FALSE(fs::exists(staging / "SUB"));
    // Unpacked files carry the time stored for them: text reports are dated by it.
    struct stat info {};
    ::stat((staging / "Y.TXT").c_str(), &info);
    std::tm local{};
    ::localtime_r(&info.st_mtime, &local);
    EXPECT_EQ(local.tm_mday, 10);
    EXPECT_EQ(local.tm_hour, 11);
}

TEST(ZipExtraction, AZipThatCannotBeUnpackedWholeStaysAndWritesNothing)
{
    test::TempFolder staging;
    test::WriteFile(staging / "DAMAGED.ZIP", "PK\x03\x04 not really a zip file");
    WriteZip(staging / "ESCAPE.ZIP", {{"GOOD.TXT", "good"}, {"../EVIL.TXT", "evil"}});
    WriteZip(staging / "ROOTED.ZIP", {{"/tmp/EVIL.TXT", "evil"}});
    WriteZip(staging / "WINDOWS.ZIP", {{"..\\EVIL.TXT", "evil"}});
    WriteZip(staging / "DRIVE.ZIP", {{"C:\\EVIL.TXT", "evil"}});
    WriteZip(staging / "CLIMB.ZIP", {{"SUB\\..\\..\\EVIL.TXT", "evil"}});
    WriteZip(staging / "LINK.ZIP", {{"LINK", "/etc/passwd", S_IFLNK | 0777}});
    WriteZip(staging / "DEVICE.ZIP", {{"NULL", "", S_IFCHR | 0666}});
    const Names zips = FileNames(staging.path());
    ExtractStagedZipFiles(test::Folder(staging.path()));
    EXPECT_EQ(FileNames(staging.path()), zips);
    EXPECT_FALSE(fs::exists(staging.path().parent_path() / "EVIL.TXT"));

    // A damaged entry: the checksum fails while it is read.
    WriteZip(staging / "CRC.ZIP", {{"A.TXT", std::string(1000, 'a')}});
    std::string bytes = test::ReadFile(staging / "CRC.ZIP");
    const std::size_t data = bytes.find("A.TXT") + 5;
    bytes[data + 2] = static_cast<char>(bytes[data + 2] ^ 0x55);
    test::WriteFile(staging / "CRC.ZIP", bytes);
    ExtractStagedZipFiles(test::Folder(staging.path()));
    EXPECT_TRUE(fs::exists(staging / "CRC.ZIP"));
    EXPECT_FALSE(fs::exists(staging / "A.TXT"));
}

TEST(ZipExtraction, APasswordProtectedZipStays)
{
    test::TempFolder staging;
    WriteZip(staging / "SECRET.ZIP", {{"S.TXT", "secret"}}, "password");
    ExtractStagedZipFiles(test::Folder(staging.path()));
    EXPECT_EQ(FileNames(staging.path()), Names{"SECRET.ZIP"});
}

TEST(ZipExtraction, TheArchiveRunUnpacksBeforeItScans)
{
    test::ArchiveWorld world;
    world.writeConfiguration("[General]\n[Report Types]\nLetters=\n" +
                             TypeSection("Letters", {"ReportDesc=Letters", "ArchivePrefix=LT", "FileNameMask=*.TXT",
                                                     "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    ASSERT_TRUE(world.load());
    world.context().settings.PerformStagedFileUnZIP = true;
    WriteZip(world.mailbox() / "IN.ZIP", {{"L1.TXT", "letter"}});
    ASSERT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(FileNames(world.archive() / "LT"), Names{"LT240110.001"});
}

namespace {

class Preprocessor : public ::testing::Test {
protected:
    // A shell script in the server folder; the command line names it through a macro.
    QString script(const std::string& body)
    {
        const fs::path path = world.server() / "pre.sh";
        test::WriteFile(path, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return QStringLiteral("%SW_SHOWNORMAL%\"%SERVER_DIR%/pre.sh\"");
    }
    bool run(const QString& commandLine) { return RunArchivePreprocessor(world.context(), commandLine); }

    test::ArchiveWorld world;
};

const QString kContinue = QStringLiteral(" The report archive process will continue anyway.");

} // namespace

TEST_F(Preprocessor, RunsInTheServerFolderWithItsParameters)
{
    // The parameters are the text in the first pair of quotes, handed on as words.
    EXPECT_TRUE(run(script("pwd > ran.txt; echo \"$1|$2|$3\" >> ran.txt") + " \"two words\" dropped"));
    EXPECT_TRUE(world.prompts().shown.empty());
    EXPECT_EQ(test::ReadFile(world.server() / "ran.txt"), world.server().string() + "\ntwo|words|\n");
}

TEST_F(Preprocessor, ExitCodesAndFailuresToStartAreReported)
{
    EXPECT_FALSE(run(script("exit 1")));
    EXPECT_FALSE(run(script("exit 255")));
    EXPECT_FALSE(run(script("kill -9 $$")));
    EXPECT_FALSE(run(QStringLiteral("%SERVER_DIR%/missing.sh")));
    test::WriteFile(world.server() / "plain.txt", "not a program");
    EXPECT_FALSE(run(QStringLiteral("%SERVER_DIR%/plain.txt")));
    const QString cannot = kPreprocessorCannotExecuteMessage;
    EXPECT_EQ(
        world.prompts().errors().join("\n").toStdString(),
        (QStringList{"An error has been returned from the report archive preprocessor [Exit Code = 1]." + kContinue,
                     "An error has been returned from the report archive preprocessor [Exit Code = 255]." + kContinue,
                     "An error has been returned from the report archive preprocessor [Exit Code = 137]." + kContinue,
                     cannot, cannot})
            .join("\n")
            .toStdString());
    EXPECT_TRUE(cannot.startsWith("Cannot execute the report archive preprocessor. Check the preferences"));
}

TEST_F(Preprocessor, AHungProgramIsLeftRunningAndTheRunGoesOn)
{
    world.context().settings.ReportArchivePreprocessorTimeout = 1;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(run(script("sleep 3; touch finished")));
    EXPECT_LT(timer.elapsed(), 2900);
    EXPECT_EQ(world.prompts().errors(), QStringList{"The report archive preprocessor appears to be hung." + kContinue});
    EXPECT_GT(world.prompts().pendingEventCalls, 5);
    EXPECT_FALSE(fs::exists(world.server() / "finished"));
    // It was not stopped: it finishes on its own.
    for (int i = 0; i < 60 && !fs::exists(world.server() / "finished"); ++i) {
        QThread::msleep(100);
    }
    EXPECT_TRUE(fs::exists(world.server() / "finished"));
}

TEST(Purge, OldReportsGoByTheirReportDate)
{
    test::ArchiveWorld world;
    world.writeConfiguration(
        "[Report Types]\nHalfYear=\nForever=\n" +
        TypeSection("HalfYear", {"ReportDesc=Half year", "ArchivePrefix=HY", "ArchiveDays=180", "FileNameMask=*.*"}) +
        TypeSection("Forever", {"ReportDesc=Forever", "ArchivePrefix=FE", "ArchiveDays=-1", "FileNameMask=*.*"}));
    ASSERT_TRUE(world.load());
    // 15 March 2024 less 180 days is 17 September 2023.
    world.put(world.archive() / "HY", "HY230916.001", "old", DateTimeParts{2023, 9, 16, 23, 59, 0, 0});
    world.put(world.archive() / "HY", "hy230917.001", "kept", DateTimeParts{2023, 9, 17, 0, 0, 0, 0});
    world.put(world.archive() / "FE", "FE200101.001", "kept", DateTimeParts{2020, 1, 1, 8, 0, 0, 0});
    world.put(world.archive() / "HY", "hy230101.001", "old", DateTimeParts{2023, 1, 1, 8, 0, 0, 0});

    world.context().settings.PurgeReportArchiveFiles = false;
    EXPECT_TRUE(PurgeReportArchive(world.context()));
    EXPECT_EQ(FileNames(world.archive() / "HY").size(), 3u);

    world.context().settings.PurgeReportArchiveFiles = true;
    EXPECT_TRUE(PurgeReportArchive(world.context()));
    EXPECT_EQ(FileNames(world.archive() / "HY"), Names{"hy230917.001"});
    EXPECT_EQ(FileNames(world.archive() / "FE"), Names{"FE200101.001"});
    // The listing is rebuilt without them, and the log says where they went.
    EXPECT_EQ(test::ReadFile(world.privateFolderListing("HY")).find("230916"), std::string::npos);
    EXPECT_EQ(test::ArchiveLogLines(world.archive()).size(), 2u);
    EXPECT_EQ(test::ArchiveLogLines(world.archive())[0][3], "PURGE");
}

TEST(MailboxCleanup, FilesOlderThanTheDaysBeforeTodayGo)
{
    test::ArchiveWorld world;
    // 31 days before 15 March 2024 is 13 February.
    world.stage("KEEP", "", DateTimeParts{2024, 2, 13, 10, 0, 0, 0});
    world.stage("MIDNIGHT", "", DateTimeParts{2024, 2, 13, 0, 0, 0, 0});
    world.stage("GONE", "", DateTimeParts{2024, 2, 12, 23, 59, 0, 0});
    fs::create_directories(world.mailbox() / "OLDFOLDER");
    test::SetModificationTime(world.mailbox() / "OLDFOLDER", DateTimeParts{2020, 1, 1, 0, 0, 0, 0});
    world.put(world.mailbox() / "OLDFOLDER", "INSIDE", "", DateTimeParts{2020, 1, 1, 0, 0, 0, 0});
    CleanupMailbox(world.context(), 31);
    EXPECT_EQ(FileNames(world.mailbox()), (Names{"KEEP", "MIDNIGHT"}));
    EXPECT_TRUE(fs::exists(world.mailbox() / "OLDFOLDER" / "INSIDE"));
}
