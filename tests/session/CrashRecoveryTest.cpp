// A silent archive run killed half way, the way a power cut or a kill -9 ends it, and the runs after it:
// every staged file ends up filed exactly once, logged once, and nothing of the program's is left behind.
// The program is killed at its crash points (TALMERE_CRASH_AT) and at random moments from outside.

#include "archive/ArchiveLog.h"
#include "archive/FilingJournal.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Workstation.h"
#include "tests/support/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <map>
#include <random>

using namespace talmere;
using test::FileNames;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class CrashRecovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(mailbox());
        fs::create_directories(root / "moved");
        test::WriteFile(server() / "TALMERE.INI",
                        "[General]\nReportArchiveDirectory=archive\nPerformStagedFileUnZIP=1\n"
                        "[Report Types]\nAcks=\nMoved=\nJunk=\n" +
                            TypeSection("Acks", {"ReportFormat=ANSI_999", "ReportDesc=Acknowledgments",
                                                 "ArchivePrefix=AK", "StagingDirectory=%SERVER_DIR%\\mailbox",
                                                 "FileNameMask=*.X12", "ArchiveDays=-1"}) +
                            TypeSection("Moved", {"ReportFormat=MOVE", "FileNameMask=*.MOV", "MoveMethod=STANDARD",
                                                  "StagingDirectory=%SERVER_DIR%\\mailbox",
                                                  "DestinationDirectory=" + (root / "moved").string()}) +
                            TypeSection("Junk", {"ReportFormat=DELETE", "FileNameMask=*.TMP",
                                                 "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    }
    fs::path server() const { return root / "server"; }
    fs::path mailbox() const { return server() / "mailbox"; }
    fs::path archive() const { return server() / "archive"; }
    fs::path privateFolder() const { return root / "desk" / "install" / "private"; }

    // A silent run; killed at the crash point when one is given. The exit code, -1 when it was killed.
    int run(const QString& crashAt = {}, int killAfterMilliseconds = -1)
    {
        QProcessEnvironment environment = desk.environment();
        if (!crashAt.isEmpty()) {
            environment.insert(QStringLiteral("TALMERE_CRASH_AT"), crashAt);
        }
        const auto process = desk.start(QStringLiteral(TALMERE_PROGRAM),
                                        {QStringLiteral("/TAMSEN"), QStringLiteral("/SILENTARCHIVE")}, environment);
        if (killAfterMilliseconds >= 0) {
            QThread::msleep(static_cast<unsigned long>(killAfterMilliseconds));
            process->kill();
        }
        return process->waitForExit(60000);
    }

    // Staged 999 files, each of its own content; their names.
    Names stageAcknowledgments(int count)
    {
        Names names;
        for (int i = 1; i <= count; ++i) {
            const std::string day = std::to_string(10 + i % 9);
            const std::string name = "ACK" + std::to_string(i) + ".X12";
            test::WriteFile(mailbox() / name, test::Acknowledgment999("202402" + day, "0700", i));
            names.push_back(name);
        }
        return names;
    }

    // What was left of the program's own scratch work anywhere in the tree: temporary copies, the journal,
    // identification scratch files. (A listing being rebuilt when the kill came is left for an hour: the
    // report list of the same installation may be rebuilding it at that moment.)
    Names leftovers() const
    {
        Names found;
        for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".talmere-") || name == kFilingJournalFileName.toStdString() ||
                name.starts_with("TALMRTMP-") || name.starts_with("TALMRDID-")) {
                found.push_back(entry.path().string());
            }
        }
        return found;
    }

    // The archive log's lines by action: the staged names (without folder) of each.
    std::map<std::string, std::multiset<std::string>> logged() const
    {
        std::map<std::string, std::multiset<std::string>> actions;
        for (const auto& line : test::ArchiveLogLines(archive())) {
            if (line.size() == 5) {
                actions[line[3]].insert(fs::path(line[2]).filename().string());
            }
        }
        return actions;
    }

    // The contents of the archived reports of the Acks type; each staged file's content is its own.
    std::multiset<std::string> archivedContents() const
    {
        std::multiset<std::string> contents;
        if (fs::is_directory(archive() / "AK")) {
            for (const std::string& name : FileNames(archive() / "AK")) {
                contents.insert(test::ReadFile(archive() / "AK" / name));
            }
        }
        return contents;
    }

    test::TempFolder root;
    const test::Workstation desk{root / "desk", root / "server"};
};

} // namespace

TEST(FilingJournalText, ReadsBackWhatItWroteAndRefusesWhatWasCutShort)
{
    FilingStep step{QStringLiteral("ARCHIVE"),
                    QStringLiteral("Acks\tÄ"),
                    QStringLiteral("/srv/mail box/A\nB.X12"),
                    platform::FileIdentity{2049, 123456789, 4096, 1700000000123456789},
                    QStringLiteral("/srv/AK/x.001"),
                    {{"/srv/mail box/.talmere-abc123", "E\nF.X12"}}};
    const std::string text = FilingJournalText(step);
    const std::optional<FilingStep> back = ParseFilingJournal(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->action, step.action);
    EXPECT_EQ(back->reportType, step.reportType);
    EXPECT_EQ(back->staged, step.staged);
    EXPECT_EQ(back->target, step.target);
    EXPECT_EQ(back->identity, step.identity);
    EXPECT_EQ(back->entries, step.entries);
    // Every shorter piece is a note cut short by a kill.
    for (std::size_t length = 0; length < text.size(); ++length) {
        EXPECT_FALSE(ParseFilingJournal(std::string_view(text).substr(0, length))) << length;
    }
    std::string damaged = text;
    damaged.replace(damaged.find("ARCHIVE"), 7, "PURGED!");
    EXPECT_FALSE(ParseFilingJournal(damaged));
}

TEST_F(CrashRecovery, AKillAtEveryStepOfAFilingIsCompletedByTheNextRun)
{
    for (const char* point :
         {"archive-noted", "archive-copied", "archive-removed", "archive-logged", "move-moved", "delete-removed"}) {
        SCOPED_TRACE(point);
        fs::remove_all(archive());
        fs::remove_all(mailbox());
        fs::remove_all(root / "moved");
        fs::create_directories(mailbox());
        fs::create_directories(root / "moved");
        const Names acks = stageAcknowledgments(3);
        test::WriteFile(mailbox() / "LETTER.MOV", "to be moved");
        test::WriteFile(mailbox() / "SCRATCH.TMP", "to be deleted");

        // Killed on the second archived file, or on the one moved or deleted file.
        const bool archiving = std::string_view(point).starts_with("archive");
        EXPECT_EQ(run(QString::fromLatin1(point) + (archiving ? QStringLiteral(":2") : QStringLiteral(":1"))), -1);
        EXPECT_EQ(run(), 0);

        EXPECT_EQ(FileNames(mailbox()), Names{});
        EXPECT_EQ(FileNames(root / "moved"), Names{"LETTER.MOV"});
        std::multiset<std::string> staged;
        for (int i = 1; i <= 3; ++i) {
            staged.insert(test::Acknowledgment999("202402" + std::to_string(10 + i % 9), "0700", i));
        }
        EXPECT_TRUE(archivedContents() == staged) << archivedContents().size() << " archived";
        const auto actions = logged();
        EXPECT_EQ(actions.at("ARCHIVE"), std::multiset<std::string>(acks.begin(), acks.end()));
        EXPECT_EQ(actions.at("MOVE"), std::multiset<std::string>{"LETTER.MOV"});
        EXPECT_EQ(actions.at("DELETE"), std::multiset<std::string>{"SCRATCH.TMP"});
        EXPECT_EQ(actions.size(), 3u);
        EXPECT_EQ(leftovers(), Names{});
    }
}

TEST_F(CrashRecovery, HundredsOfStagedFilesSurviveRepeatedKillsAndAreFiledExactlyOnce)
{
#if defined(__SANITIZE_ADDRESS__)
    // Each run takes several times as long under the sanitizers, which look for other faults than scale.
    constexpr int kFiles = 60;
#else
    constexpr int kFiles = 300;
#endif
    const Names staged = stageAcknowledgments(kFiles);
    std::multiset<std::string> contents;
    for (const std::string& name : staged) {
        contents.insert(test::ReadFile(mailbox() / name));
    }

    // Killed at random crash points, and now and then from outside at a random moment, until a run ends
    // by itself.
    std::mt19937 random(20261209);
    const char* points[] = {"archive-noted", "archive-copied", "archive-removed", "archive-logged"};
    int tries = 0;
    int killed = 0;
    for (; tries < 200; ++tries) {
        int exitCode = 0;
        if (tries % 4 == 3) {
            exitCode = run({}, std::uniform_int_distribution<int>(5, 120)(random));
        } else {
            const QString point = QString::fromLatin1(points[std::uniform_int_distribution<int>(0, 3)(random)]);
            exitCode =
                run(point + QStringLiteral(":%1").arg(std::uniform_int_distribution<int>(1, kFiles / 12)(random)));
        }
        if (exitCode == 0) {
            break;
        }
        ASSERT_EQ(exitCode, -1) << "a run failed without being killed";
        ++killed;
    }
    ASSERT_LT(tries, 200);
    // One more file for the last run, which so also lists the type's archive afresh.
    test::WriteFile(mailbox() / "LAST.X12", test::Acknowledgment999("20240301", "0700", 999));
    contents.insert(test::ReadFile(mailbox() / "LAST.X12"));
    ASSERT_EQ(run(), 0);

    EXPECT_EQ(FileNames(mailbox()), Names{});
    const std::multiset<std::string> archived = archivedContents();
    EXPECT_EQ(archived.size(), contents.size()) << "duplicated or lost";
    EXPECT_TRUE(archived == contents);
    std::multiset<std::string> expectedLog(staged.begin(), staged.end());
    expectedLog.insert("LAST.X12");
    EXPECT_TRUE(logged()["ARCHIVE"] == expectedLog) << logged()["ARCHIVE"].size() << " logged";
    EXPECT_EQ(leftovers(), Names{});
    // The listing of the archive names every archived report.
    const std::string listing = test::ReadFile(privateFolder() / "TALMRDAK.DIR");
    for (const std::string& name : FileNames(archive() / "AK")) {
        EXPECT_NE(listing.find(name), std::string::npos) << name;
    }
    std::size_t lost = 0;
    for (const std::string& content : contents) {
        lost += archived.count(content) == 0 ? 1 : 0;
    }
    std::printf("[ figures  ] %d runs, %d killed, %d files, %zu archived, %zu lost, %zu duplicated, %zu left over\n",
                tries + 2, killed, kFiles + 1, archived.size(), lost, archived.size() - (contents.size() - lost),
                leftovers().size());
}

TEST_F(CrashRecovery, AZipFileKilledWhileUnpackedIsUnpackedOnceAndEveryEntryFiledOnce)
{
    // Each crash point of the unpacking, and the first and the later entries where there are several.
    const std::vector<QString> points = {QStringLiteral("unzip-written:1"), QStringLiteral("unzip-written:3"),
                                         QStringLiteral("unzip-noted:1"), QStringLiteral("unzip-named:1"),
                                         QStringLiteral("unzip-named:2")};
    for (const QString& point : points) {
        SCOPED_TRACE(point.toStdString());
        fs::remove_all(archive());
        fs::remove_all(mailbox());
        fs::create_directories(mailbox());
        // A staged file of the name one entry has, too: that entry takes a free name.
        test::WriteFile(mailbox() / "ACK1.X12", test::Acknowledgment999("20240211", "0700", 1));
        std::vector<test::ZipEntry> entries;
        std::multiset<std::string> contents = {test::ReadFile(mailbox() / "ACK1.X12")};
        for (int i = 2; i <= 4; ++i) {
            const std::string content = test::Acknowledgment999("202402" + std::to_string(10 + i), "0700", i);
            entries.push_back({"batch/ACK" + std::to_string(i == 2 ? 1 : i) + ".X12", content});
            contents.insert(content);
        }
        test::WriteZip(mailbox() / "BATCH.ZIP", entries);

        EXPECT_EQ(run(point), -1);
        EXPECT_EQ(run(), 0);

        EXPECT_EQ(FileNames(mailbox()), Names{});
        EXPECT_TRUE(archivedContents() == contents) << archivedContents().size() << " archived";
        EXPECT_EQ(logged()["ARCHIVE"].size(), 4u);
        EXPECT_EQ(leftovers(), Names{});
    }
}
