// Staged files that an archive run cannot file stay staged, and the run says so: one SKIPPED or FAILED line
// in the archive log a run with the reason, and the run's report. Full and read-only file systems are real
// ones, mounted for the test (which needs root; CI runs as root).

#include "archive/ArchiveRun.h"
#include "archive/FilingJournal.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/SmallFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

using namespace talmere;
using test::FileNames;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

const DateTimeParts kJan31{2024, 1, 31, 9, 5, 0, 0};

class UnfiledFiles : public ::testing::Test {
protected:
    void configure(const std::string& types, const std::string& sections)
    {
        world.writeConfiguration("[Report Types]\n" + types + sections);
        ASSERT_TRUE(world.load()) << world.prompts().errors().join("\n").toStdString();
    }
    // The log lines of one action, without their time: type, file, action, reason.
    std::vector<Names> logged(const std::string& action)
    {
        std::vector<Names> lines;
        for (const Names& line : test::ArchiveLogLines(world.archive())) {
            if (line.size() == 5 && line[3] == action) {
                lines.push_back({line[1], line[2], line[3], line[4]});
            }
        }
        return lines;
    }
    std::string staged(const std::string& name) { return (world.mailbox() / name).string(); }

    test::ArchiveWorld world;
};

std::string Letters(const std::vector<std::string>& extra = {})
{
    std::vector<std::string> lines = {"ReportDesc=Letters", "ArchivePrefix=AB", "FileNameMask=*.TXT",
                                      "StagingDirectory=%SERVER_DIR%\\mailbox"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    return TypeSection("Letters", lines);
}

} // namespace

TEST_F(UnfiledFiles, AFullArchiveSubfolderLeavesFilesStagedWithTheReasonUntilThereIsRoom)
{
    configure("Letters=\n", Letters());
    TALMERE_MOUNT_SMALL_FILE_SYSTEM(volume, world.archive() / "AB", "64k");
    ASSERT_GT(volume.fill("FILLER"), 0u);
    world.stage("A.TXT", std::string(20000, 'a'), kJan31);
    world.stage("B.TXT", std::string(20000, 'b'), kJan31);

    ArchiveRunReport report;
    ASSERT_TRUE(RunArchive(world.context(), report));
    EXPECT_EQ(FileNames(world.mailbox()), (Names{"A.TXT", "B.TXT"}));
    // Nothing half-written is left in the full folder.
    EXPECT_EQ(FileNames(world.archive() / "AB"), Names{"FILLER"});
    EXPECT_EQ(logged("FAILED"), (std::vector<Names>{{"Letters", staged("A.TXT"), "FAILED", "no space"},
                                                    {"Letters", staged("B.TXT"), "FAILED", "no space"}}));
    ASSERT_EQ(report.unfiled.size(), 2u);
    EXPECT_TRUE(report.ran);

    // Room again: the next run files both, and says nothing more of them failing.
    fs::remove(world.archive() / "AB" / "FILLER");
    ASSERT_TRUE(RunArchive(world.context(), report));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(FileNames(world.archive() / "AB"), (Names{"AB240131.001", "AB240131.002"}));
    EXPECT_EQ(logged("FAILED").size(), 2u);
    EXPECT_EQ(logged("ARCHIVE").size(), 2u);
    EXPECT_TRUE(report.unfiled.empty());
}

TEST_F(UnfiledFiles, AReadOnlyPrivateFolderStopsIdentificationAndSaysWhy)
{
    configure("Acks=\n", TypeSection("Acks", {"ReportDesc=Acks", "ArchivePrefix=AK", "ReportFormat=ANSI_999",
                                              "FileNameMask=*.X12", "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    world.stage("ACK.X12", test::Acknowledgment999("20240201", "0700", 1));
    {
        TALMERE_MOUNT_SMALL_FILE_SYSTEM(privateFolder, world.install() / "private", "1m");
        ASSERT_TRUE(privateFolder.makeReadOnly());

        ArchiveRunReport report;
        ASSERT_TRUE(RunArchive(world.context(), report));
        EXPECT_EQ(FileNames(world.mailbox()), Names{"ACK.X12"});
        EXPECT_EQ(logged("FAILED"),
                  (std::vector<Names>{{"Acks", staged("ACK.X12"), "FAILED", "permission denied (private folder)"}}));
        ASSERT_EQ(report.unfiled.size(), 1u);
        EXPECT_EQ(report.unfiled[0].reason, QStringLiteral("permission denied (private folder)"));
    }
    // Writable again: filed.
    ASSERT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(FileNames(world.archive() / "AK"), Names{"AK240201.001"});
}

TEST_F(UnfiledFiles, CopyMoveAndDeleteFailuresAreLoggedOnceEachRun)
{
    const fs::path copies = world.root() / "copies";
    const fs::path moves = world.root() / "moves";
    const fs::path junkbox = world.root() / "junkbox";
    const fs::path nowhere = world.root() / "nowhere";
    for (const fs::path& folder : {copies, moves, junkbox, nowhere}) {
        fs::create_directories(folder);
    }
    configure(
        "Remit=\nMoved=\nGone=\nJunk=\nLetters=\n",
        TypeSection("Remit", {"ReportFormat=COPY", "FileNameMask=*.ERA", "CopyMethod=STANDARD",
                              "StagingDirectory=%SERVER_DIR%\\mailbox", "DestinationDirectory=" + copies.string()}) +
            TypeSection("Moved", {"ReportFormat=MOVE", "FileNameMask=*.MOV", "MoveMethod=STANDARD_UNIQUE",
                                  "StagingDirectory=%SERVER_DIR%\\mailbox", "DestinationDirectory=" + moves.string()}) +
            TypeSection("Gone",
                        {"ReportFormat=MOVE", "FileNameMask=*.GON", "MoveMethod=STANDARD",
                         "StagingDirectory=%SERVER_DIR%\\mailbox", "DestinationDirectory=" + nowhere.string()}) +
            TypeSection("Junk", {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=" + junkbox.string()}) +
            Letters());
    // A destination that went away after the configuration was loaded.
    fs::remove(nowhere);
    world.stage("R.ERA", "remittance");
    world.stage("M.MOV", "moved");
    world.stage("G.GON", "nowhere to go");
    // A file no type takes is no failure: no line.
    world.stage("NOTHING.DAT", "no type");
    TALMERE_MOUNT_SMALL_FILE_SYSTEM(junkVolume, junkbox, "1m");
    test::WriteFile(junkbox / "X.TMP", "junk that cannot go");
    ASSERT_TRUE(junkVolume.makeReadOnly());
    TALMERE_MOUNT_SMALL_FILE_SYSTEM(copyVolume, copies, "1m");
    ASSERT_TRUE(copyVolume.makeReadOnly());
    TALMERE_MOUNT_SMALL_FILE_SYSTEM(moveVolume, moves, "1m");
    ASSERT_TRUE(moveVolume.makeReadOnly());

    for (int run = 1; run <= 2; ++run) {
        ArchiveRunReport report;
        ASSERT_TRUE(RunArchive(world.context(), report));
        EXPECT_EQ(FileNames(world.mailbox()), (Names{"G.GON", "M.MOV", "NOTHING.DAT", "R.ERA"}));
        EXPECT_EQ(FileNames(junkbox), Names{"X.TMP"});
        EXPECT_EQ(report.unfiled.size(), 4u);
        // Each run names each file once.
        const std::vector<Names> failed = logged("FAILED");
        ASSERT_EQ(failed.size(), 4u * static_cast<std::size_t>(run));
        const std::vector<Names> thisRun(failed.end() - 4, failed.end());
        EXPECT_EQ(thisRun, (std::vector<Names>{
                               {"Remit", staged("R.ERA"), "FAILED", "permission denied"},
                               {"Moved", staged("M.MOV"), "FAILED", "permission denied"},
                               {"Gone", staged("G.GON"), "FAILED", "destination folder not found"},
                               {"Junk", (junkbox / "X.TMP").string(), "FAILED", "permission denied"},
                           }));
    }
}

TEST_F(UnfiledFiles, OddNamesAreFiledAndCopiedNamesKeepTheirBytes)
{
    const fs::path copies = world.root() / "copies";
    fs::create_directories(copies);
    configure(
        "Remit=\nAcks=\nLetters=\n",
        TypeSection("Remit", {"ReportFormat=COPY", "FileNameMask=*.ERA", "CopyMethod=STANDARD",
                              "StagingDirectory=%SERVER_DIR%\\mailbox", "DestinationDirectory=" + copies.string()}) +
            TypeSection("Acks", {"ReportDesc=Acks", "ArchivePrefix=AK", "ReportFormat=ANSI_999", "FileNameMask=*.X12",
                                 "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
            Letters());
    const std::string longName = std::string(240, 'L') + ".TXT";
    const Names letters = {"LINE\nFEED.TXT", "caf\xE9.TXT", longName};
    for (const std::string& name : letters) {
        world.stage(name, "Dear provider,\r\n", kJan31);
    }
    const Names acks = {"CARRIAGE\rRETURN.X12", std::string(245, 'A') + ".X12"};
    for (std::size_t i = 0; i < acks.size(); ++i) {
        world.stage(acks[i], test::Acknowledgment999("20240201", "0700", static_cast<int>(i) + 1));
    }
    const std::string oddCopy = "odd\xFF\n.ERA";
    world.stage(oddCopy, "remittance");

    ArchiveRunReport report;
    ASSERT_TRUE(RunArchive(world.context(), report));
    for (const UnfiledFile& file : report.unfiled) {
        ADD_FAILURE() << file.path.toStdString() << ": " << file.reason.toStdString();
    }
    // The copy type leaves its file staged; everything else went.
    EXPECT_EQ(FileNames(world.mailbox()), Names{oddCopy});
    EXPECT_EQ(FileNames(copies), Names{oddCopy});
    EXPECT_EQ(FileNames(world.archive() / "AB"), (Names{"AB240131.001", "AB240131.002", "AB240131.003"}));
    EXPECT_EQ(FileNames(world.archive() / "AK"), (Names{"AK240201.001", "AK240201.002"}));
    EXPECT_EQ(logged("ARCHIVE").size(), 5u);
    EXPECT_EQ(logged("FAILED").size(), 0u);
    // The links the library got the long and broken names through are gone.
    for (const std::string& name : FileNames(world.install() / "private")) {
        EXPECT_FALSE(name.starts_with("TALMRLNK-")) << name;
    }
}

TEST(UnfiledFilesOnAFullVolume, AnArchiveVolumeFullAtAnySizeLosesNothingAndDuplicatesNothing)
{
    // The whole report archive (subfolder, log and filing journal) on a small volume, filled up at a
    // different point by each size: every staged file ends up either still staged or archived once, whole.
    int sizesTried = 0;
    int filesLeftStaged = 0;
    int lost = 0;
    int duplicated = 0;
    for (int kilobytes = 8; kilobytes <= 120; kilobytes += 8) {
        SCOPED_TRACE(kilobytes);
        test::ArchiveWorld world;
        TALMERE_MOUNT_SMALL_FILE_SYSTEM(volume, world.archive(), (std::to_string(kilobytes) + "k").c_str());
        world.writeConfiguration("[Report Types]\nLetters=\n" + Letters());
        ASSERT_TRUE(world.load()) << world.prompts().errors().join("\n").toStdString();
        std::map<std::string, std::string> staged;
        for (int i = 0; i < 20; ++i) {
            const std::string name = "L" + std::to_string(i) + ".TXT";
            staged[name] = "Letter " + std::to_string(i) + "\r\n" + std::string(3000 + i * 97, 'x') + "\r\n";
            world.stage(name, staged[name], kJan31);
        }

        ArchiveRunReport report;
        ASSERT_TRUE(RunArchive(world.context(), report));

        std::multiset<std::string> archived;
        if (fs::is_directory(world.archive() / "AB")) {
            for (const std::string& name : FileNames(world.archive() / "AB")) {
                EXPECT_FALSE(name.starts_with(".talmere-")) << name;
                archived.insert(test::ReadFile(world.archive() / "AB" / name));
            }
        }
        const Names left = FileNames(world.mailbox());
        for (const auto& [name, content] : staged) {
            const bool stillStaged = std::find(left.begin(), left.end(), name) != left.end();
            const std::size_t copies = archived.count(content) + (stillStaged ? 1u : 0u);
            EXPECT_EQ(copies, 1u) << name;
            lost += copies == 0 ? 1 : 0;
            duplicated += copies > 1 ? static_cast<int>(copies - 1) : 0;
            if (stillStaged) {
                EXPECT_EQ(test::ReadFile(world.mailbox() / name), content) << name;
            }
        }
        EXPECT_EQ(report.unfiled.size(), left.size());
        EXPECT_FALSE(fs::exists(world.archive() / kFilingJournalFileName.toStdString()));
        // Whatever the log could take, it took whole lines.
        for (const Names& line : test::ArchiveLogLines(world.archive())) {
            EXPECT_EQ(line.size(), 5u);
        }
        ++sizesTried;
        filesLeftStaged += static_cast<int>(left.size());
    }
    std::printf("[ figures  ] %d volume sizes, 20 files each: %d left staged with a reason, %d lost, %d duplicated\n",
                sizesTried, filesLeftStaged, lost, duplicated);
}
