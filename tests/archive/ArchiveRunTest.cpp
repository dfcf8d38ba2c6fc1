// The archive run over a real mailbox and archive with the built report library: identification, the four
// kinds of filing, archive names, the listing and the log, and what happens when filing fails.

#include "archive/ArchiveRun.h"
#include "catalogue/DirectoryListing.h"
#include "client/ReportRequests.h"
#include "platform/SharedLockFile.h"
#include "tests/support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace talmere;
using test::FileNames;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

const DateTimeParts kJan31{2024, 1, 31, 9, 5, 0, 0};

class ArchiveRun : public ::testing::Test {
protected:
    void configure(const std::string& types, const std::string& sections)
    {
        world.writeConfiguration("[Report Types]\n" + types + sections);
        ASSERT_TRUE(world.load()) << world.prompts().errors().join("\n").toStdString();
    }
    std::string mtimeOf(const fs::path& path)
    {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return std::to_string(info.st_mtime);
    }

    test::ArchiveWorld world;
};

std::string Text(const std::string& name, const std::string& prefix, const std::vector<std::string>& extra)
{
    std::vector<std::string> lines = {"ReportDesc=" + name, "ArchivePrefix=" + prefix,
                                      "StagingDirectory=%SERVER_DIR%\\mailbox"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    return TypeSection(name, lines);
}

} // namespace

TEST_F(ArchiveRun, FilesEveryKindOfTypeAndLeavesWhatIsNotIdentified)
{
    fs::create_directories(world.root() / "posting");
    fs::create_directories(world.root() / "moved");
    test::WriteFile(world.root() / "posting" / "ERA.X12", "an older remittance");
    configure("Remit=\nLetters=\nAcks=\nMoved=\nJunk=\n",
              TypeSection("Remit", {"ReportFormat=COPY", "FileNameMask=ERA*.X12;*.X12",
                                    "StagingDirectory=%SERVER_DIR%\\mailbox", "CopyMethod=STANDARD_UNIQUE",
                                    "DestinationDirectory=" + (world.root() / "posting").string()}) +
                  Text("Letters", "PL", {"FileNameMask=LTR*.TXT;*.txt", "Param1=ASCII"}) +
                  Text("Acks", "AK", {"ReportFormat=ANSI_999", "SearchIdent1=ISA", "SearchIdent2=ST*997|ST*999"}) +
                  TypeSection("Moved", {"ReportFormat=MOVE", "FileNameMask=*.MOV", "MoveMethod=STANDARD",
                                        "StagingDirectory=%SERVER_DIR%\\mailbox",
                                        "DestinationDirectory=" + (world.root() / "moved").string()}) +
                  TypeSection("Junk",
                              {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    const fs::path letter = world.stage("LTR1.TXT", "Dear provider,\r\n", kJan31);
    ::chmod(letter.c_str(), 0444);
    world.stage("ltr2.txt", "Second letter\r\n", DateTimeParts{2024, 1, 31, 17, 0, 0, 0});
    world.stage("LTR3.TXT", "Caf\xe9\r\n", kJan31);
    world.stage("ERA.X12", test::Acknowledgment999("20240202", "0700", 7), DateTimeParts{2024, 2, 2, 7, 0, 0, 0});
    world.stage("OTHER.X12", "ISA*not an acknowledgment~");
    world.stage("A.MOV", "to be moved", kJan31);
    world.stage("B.TMP", "scratch");
    fs::create_directories(world.mailbox() / "SUB.TXT");

    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_TRUE(world.prompts().shown.empty());

    // The COPY type ran first: the 835 stand-in went to the posting folder under a free name, and was then
    // archived by the acknowledgment type. The file with a byte above 127 is no plain letter.
    EXPECT_EQ(FileNames(world.mailbox()), (Names{"LTR3.TXT", "OTHER.X12"}));
    EXPECT_EQ(FileNames(world.root() / "posting"), (Names{"ERA.001", "ERA.X12", "OTHER.X12"}));
    EXPECT_EQ(test::ReadFile(world.root() / "posting" / "ERA.X12"), "an older remittance");
    EXPECT_EQ(FileNames(world.root() / "moved"), (Names{"A.MOV"}));
    EXPECT_EQ(FileNames(world.archive() / "PL"), (Names{"PL240131.001", "PL240131.002"}));
    EXPECT_EQ(FileNames(world.archive() / "AK"), (Names{"AK240202.001"}));

    // Archived copies keep their dates and are writable, even of a read-only staged file.
    const fs::path archived = world.archive() / "PL" / "PL240131.001";
    EXPECT_EQ(test::ReadFile(archived), "Dear provider,\r\n");
    test::WriteFile(world.root() / "reference", "");
    test::SetModificationTime(world.root() / "reference", kJan31);
    EXPECT_EQ(mtimeOf(archived), mtimeOf(world.root() / "reference"));
    EXPECT_EQ(mtimeOf(world.root() / "moved" / "A.MOV"), mtimeOf(world.root() / "reference"));
    EXPECT_EQ(::access(archived.c_str(), W_OK), 0);
    EXPECT_EQ(test::ReadFile(world.privateFolderListing("PL")),
              "20240131|0905|PL240131.001|01/31/2024|09:05|Letters - 01/31/2024|PL240131.001\r\n"
              "20240131|1700|PL240131.002|01/31/2024|17:00|Letters - 01/31/2024|PL240131.002\r\n");

    const auto log = test::ArchiveLogLines(world.archive());
    std::vector<std::string> actions;
    for (const auto& fields : log) {
        ASSERT_EQ(fields.size(), 5u);
        EXPECT_EQ(fields[0], "2024-03-15 10:00:00");
        actions.push_back(fields[1] + " " + fs::path(fields[2]).filename().string() + " " + fields[3] + " " +
                          fs::path(fields[4]).filename().string());
    }
    EXPECT_EQ(actions, (Names{"Remit ERA.X12 COPY ERA.001", "Remit OTHER.X12 COPY OTHER.X12",
                              "Letters LTR1.TXT ARCHIVE PL240131.001", "Letters ltr2.txt ARCHIVE PL240131.002",
                              "Acks ERA.X12 ARCHIVE AK240202.001", "Moved A.MOV MOVE A.MOV", "Junk B.TMP DELETE "}));
}

TEST_F(ArchiveRun, NumbersGoOnFromTheArchiveAndPast999)
{
    configure("Letters=\n", Text("Letters", "AB", {"FileNameMask=*.TXT"}));
    test::WriteFile(world.archive() / "AB" / "AB240131.001", "old");
    test::WriteFile(world.archive() / "AB" / "AB240131.TMP", "not numbered");
    test::WriteFile(world.archive() / "AB" / "AB240201.999", "full day");
    world.stage("A.TXT", "a", kJan31);
    world.stage("B.TXT", "b", kJan31);
    world.stage("C.TXT", "c", DateTimeParts{2024, 2, 1, 8, 0, 0, 0});
    world.stage("D.TXT", "d", DateTimeParts{2024, 2, 1, 9, 0, 0, 0});
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(FileNames(world.archive() / "AB"), (Names{"AB240131.001", "AB240131.002", "AB240131.003", "AB240131.TMP",
                                                        "AB240201.1000", "AB240201.1001", "AB240201.999"}));
    EXPECT_EQ(test::ReadFile(world.archive() / "AB" / "AB240131.001"), "old");
    EXPECT_EQ(test::ReadFile(world.archive() / "AB" / "AB240201.999"), "full day");
    EXPECT_EQ(test::ReadFile(world.archive() / "AB" / "AB240201.1001"), "d");
    // The listing takes the longer names like any other, and is up to date.
    const std::string listing = test::ReadFile(world.privateFolderListing("AB"));
    EXPECT_NE(listing.find("|AB240201.1001|"), std::string::npos) << listing;
    EXPECT_FALSE(
        IsDirectoryListingStale(test::Q(world.privateFolderListing("AB")), test::Folder(world.archive() / "AB")));
    // Whoever watches sees the filing advance, and end.
    EXPECT_EQ(world.prompts().progressShown,
              (QStringList{"Filing 1 of 4 staged files", "Filing 2 of 4 staged files", "Filing 3 of 4 staged files",
                           "Filing 4 of 4 staged files", "done 4"}));
}

// A run adds the reports it filed to a fresh listing without listing the subfolder again; the listing is then
// the very one a rebuild writes. A listing that did not describe the folder before the run is rebuilt whole.
TEST_F(ArchiveRun, FiledReportsJoinAFreshListingAsARebuildWouldWriteIt)
{
    configure("Acks=\n", Text("Acks", "AK", {"ReportFormat=ANSI_999", "SearchIdent1=ISA"}));
    const fs::path subfolder = world.archive() / "AK";
    for (int i = 1; i <= 6; ++i) {
        test::WriteFile(subfolder / ("AK2402" + std::to_string(10 + i) + ".001"),
                        test::Acknowledgment999("202402" + std::to_string(10 + i), "0800", i));
    }
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, false));
    const fs::path listing = world.privateFolderListing("AK");
    const auto runAndCompareWithARebuild = [&](const std::string& what) {
        EXPECT_TRUE(RunArchive(world.context()));
        EXPECT_EQ(FileNames(world.mailbox()), Names{}) << what;
        const std::string merged = test::ReadFile(listing);
        ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, false));
        EXPECT_EQ(merged, test::ReadFile(listing)) << what;
    };
    // Dates before, between and after the archived ones, and a second report of an archived day.
    world.stage("A.X12", test::Acknowledgment999("20240209", "0700", 21));
    world.stage("B.X12", test::Acknowledgment999("20240213", "0700", 22));
    world.stage("C.X12", test::Acknowledgment999("20240220", "0700", 23));
    world.stage("D.X12", test::Acknowledgment999("20240211", "1700", 24));
    runAndCompareWithARebuild("fresh listing");
    EXPECT_EQ(FileNames(subfolder).size(), 10u);
    // The reports listed before are not read again: a report rewritten behind the listing's back keeps its line.
    const std::string before = test::ReadFile(listing);
    test::WriteFile(subfolder / "AK240212.001", "no acknowledgment now");
    world.stage("G.X12", test::Acknowledgment999("20240221", "0700", 27));
    EXPECT_TRUE(RunArchive(world.context()));
    const std::string after = test::ReadFile(listing);
    const std::size_t kept = before.find("|AK240212.001|");
    ASSERT_NE(kept, std::string::npos) << before;
    const std::size_t lineStart = before.rfind('\n', kept) + 1;
    const std::string keptLine = before.substr(lineStart, before.find('\n', kept) - lineStart);
    EXPECT_NE(after.find(keptLine), std::string::npos) << after;
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, false));
    EXPECT_EQ(test::ReadFile(listing).find(keptLine), std::string::npos);
    fs::remove(subfolder / "AK240212.001"); // no report: no listing line, and a listing forever stale
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, false));

    // A report another workstation filed, and one removed behind the listing's back: the run lists all again.
    test::WriteFile(subfolder / "AK240301.001", test::Acknowledgment999("20240301", "0800", 31));
    fs::remove(subfolder / "AK240211.001");
    world.stage("E.X12", test::Acknowledgment999("20240302", "0700", 25));
    runAndCompareWithARebuild("stale listing");
    const std::string text = test::ReadFile(listing);
    EXPECT_NE(text.find("|AK240301.001|"), std::string::npos) << text;
    EXPECT_EQ(text.find("|AK240211.001|"), std::string::npos) << text;
    EXPECT_NE(text.find("|AK240302.001|"), std::string::npos) << text;

    // No listing at all: the run writes it whole.
    fs::remove(listing);
    world.stage("F.X12", test::Acknowledgment999("20240303", "0700", 26));
    runAndCompareWithARebuild("no listing");
    EXPECT_FALSE(IsDirectoryListingStale(test::Q(listing), test::Folder(subfolder)));
}

TEST_F(ArchiveRun, AFileThatCannotBeFiledStaysStaged)
{
    configure("Letters=\n", Text("Letters", "AB", {"FileNameMask=*.TXT"}));
    world.stage("A.TXT", "a", kJan31);
    // A destination that refuses new files: a read-only folder, or for the superuser, who may write into
    // any folder, a place in a file system that takes no files.
    fs::remove_all(world.archive() / "AB");
    if (::geteuid() == 0) {
        if (!fs::is_directory("/sys/kernel")) {
            GTEST_SKIP() << "no read-only place for the superuser";
        }
        fs::create_directory_symlink("/sys/kernel", world.archive() / "AB");
    } else {
        fs::create_directories(world.archive() / "AB");
        ::chmod((world.archive() / "AB").c_str(), 0555);
    }
    ArchiveRunReport report;
    EXPECT_TRUE(RunArchive(world.context(), report));
    EXPECT_EQ(FileNames(world.mailbox()), Names{"A.TXT"});
    // The log and the run's report say which file stayed and why, once.
    const auto lines = test::ArchiveLogLines(world.archive());
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 5u);
    EXPECT_EQ(lines[0][1], "Letters");
    EXPECT_EQ(lines[0][2], (world.mailbox() / "A.TXT").string());
    EXPECT_EQ(lines[0][3], "FAILED");
    if (::geteuid() != 0) {
        EXPECT_EQ(lines[0][4], "permission denied");
    }
    ASSERT_EQ(report.unfiled.size(), 1u);
    EXPECT_EQ(report.unfiled[0].action, QStringLiteral("FAILED"));

    // Once the archive takes files again, the next run files it.
    fs::remove(world.archive() / "AB");
    fs::create_directories(world.archive() / "AB");
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(FileNames(world.archive() / "AB"), Names{"AB240131.001"});
}

TEST_F(ArchiveRun, CustomIdentificationAsksTheLibrary)
{
    configure("Remit=\nMN=\n", TypeSection("Remit", {"ReportFormat=DELETE", "FileNameMask=custom", "Param1=ANSI_835",
                                                     "Param2=BOTH", "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
                                   Text("MN", "MN", {"ReportFormat=BCBSMN_TEXT", "FileNameMask=CUSTOM", "Param1=MA"}));
    test::WriteFile(world.mailbox() / "ERA.X12",
                    test::ReadFile(fs::path(TALMERE_DEMO_DIR) / "mailbox" / "ERA835_20261210.X12"));
    world.stage("ACK.X12", test::Acknowledgment999("20240202", "0700", 7));
    test::WriteFile(world.mailbox() / "PMAA341", test::ReadFile(fs::path(TALMERE_DEMO_DIR) / "mailbox" / "PMAA341"));
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{"ACK.X12"});
    ASSERT_EQ(FileNames(world.archive() / "MN").size(), 1u);
}

TEST_F(ArchiveRun, ActionTypesWithoutAUsableDestinationLeaveTheirFiles)
{
    configure("Route=\n",
              TypeSection("Route", {"ReportFormat=MOVE", "FileNameMask=*.*", "StagingDirectory=%SERVER_DIR%\\mailbox",
                                    "DestinationDirectory=%SERVER_DIR%\\nowhere"}));
    world.stage("A.TXT", "a");
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{"A.TXT"});
}

TEST_F(ArchiveRun, AMaskOfNothingButSeparatorsNamesNoFile)
{
    fs::create_directories(world.root() / "moved");
    configure(
        "Purge=\nRoute=\n",
        TypeSection("Purge", {"ReportFormat=DELETE", "FileNameMask=;", "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
            TypeSection("Route", {"ReportFormat=MOVE", "FileNameMask= ; ;", "SearchIdent1=ISA",
                                  "StagingDirectory=%SERVER_DIR%\\mailbox",
                                  "DestinationDirectory=" + (world.root() / "moved").string()}));
    world.stage("A.TXT", "a");
    world.stage("B.X12", "ISA*00*");
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), (Names{"A.TXT", "B.X12"}));
    EXPECT_EQ(FileNames(world.root() / "moved"), Names{});
}

TEST_F(ArchiveRun, RunsOfOneInstallationTakeTurnsThroughTheirLockFile)
{
    // Single-user operation: the archive lock is granted to every run, so only the installation's own lock
    // keeps a second run (a scheduled one while the window is open) from filing at the same time.
    world.context().flags.BypassAccessChecks = true;
    world.context().lockTiming.millisecondsPerSecond = 20;
    configure("Letters=\n", Text("Letters", "AB", {"FileNameMask=*.TXT"}));
    world.stage("A.TXT", "a", kJan31);
    const std::string lockPath = (world.install() / "private" / kInstallationRunLockFileName.toStdString()).string();
    {
        // Another run of this installation is at work.
        test::WriteFile(lockPath, "");
        platform::SharedLockFile other;
        ASSERT_TRUE(other.open(lockPath));
        ASSERT_EQ(other.lockByte(0), platform::SharedLockFile::LockResult::Locked);
        ArchiveRunReport report;
        EXPECT_TRUE(RunArchive(world.context(), report));
        EXPECT_FALSE(report.ran);
        EXPECT_EQ(FileNames(world.mailbox()), Names{"A.TXT"});
    }
    // Its turn is over: this run files, and lets go of the lock when it ends.
    ArchiveRunReport report;
    EXPECT_TRUE(RunArchive(world.context(), report));
    EXPECT_TRUE(report.ran);
    EXPECT_EQ(FileNames(world.archive() / "AB"), Names{"AB240131.001"});
    platform::SharedLockFile after;
    ASSERT_TRUE(after.open(lockPath));
    EXPECT_EQ(after.lockByte(0), platform::SharedLockFile::LockResult::Locked);
}

TEST_F(ArchiveRun, HoldsTheLibraryOnlyWhileItRunsSoTheNextRunLoadsItAfresh)
{
    configure("Acks=\n", Text("Acks", "AK", {"ReportFormat=ANSI_999", "FileNameMask=*.X12", "SearchIdent1=ISA"}));
    const fs::path library = world.root() / "libtalmrdll.so";
    fs::copy_file(TALMRDLL_PATH, library);
    world.context().reportLibraryCandidates = {library.string()};
    world.stage("ACK1.X12", test::Acknowledgment999("20240202", "0700", 1));
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.archive() / "AK"), Names{"AK240202.001"});
    EXPECT_EQ(::dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);

    // The library file is replaced between the runs by one that cannot be loaded: the next run says so.
    fs::remove(library);
    test::WriteFile(library, "no library");
    world.stage("ACK2.X12", test::Acknowledgment999("20240203", "0700", 2));
    EXPECT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{"ACK2.X12"});
    const auto lines = test::ArchiveLogLines(world.archive());
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[1].size(), 5u);
    EXPECT_EQ(lines[1][3], "FAILED");
    EXPECT_EQ(lines[1][4], "report library: Unable to load report viewer library.");
}
