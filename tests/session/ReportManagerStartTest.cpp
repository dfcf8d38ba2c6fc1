// The start of the report manager: in this process with its hooks, and as the talmere program itself,
// started like the product or a scheduler would start it, one or two workstations at a time.

#include "session/ReportManagerStart.h"
#include "core/UserAccess.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Workstation.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <set>

using namespace talmere;
using test::FileNames;
using test::Folder;
using test::Q;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

const std::string kAcks = TypeSection("Acks", {"ReportFormat=ANSI_999", "ReportDesc=Acknowledgments",
                                               "ArchivePrefix=AK", "StagingDirectory=%SERVER_DIR%\\mailbox",
                                               "SearchIdent1=ISA", "SearchIdent2=ST*999", "ArchiveDays=-1"});

} // namespace

TEST(ReportManagerStart, ANormalStartPurgesArchivesAndListsUnderTheLock)
{
    test::ArchiveWorld world;
    ApplicationContext& context = world.context();
    context.flags.BypassAccessChecks = false;
    context.settings.ReportArchiveDirectory = "archive";
    world.writeConfiguration(
        "[Report Types]\nJunk=\nAcks=\n" +
        TypeSection("Junk", {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
        kAcks);
    world.stage("A.X12", test::Acknowledgment999("20240202", "0700", 1));
    world.stage("B.TMP", "");
    int nestingSeen = -1;
    bool prepared = false;
    const ReportManagerHooks hooks{[&] { return prepared = true; },
                                   [&] { nestingSeen = context.userAccess.archiveLockNesting; }};
    EXPECT_EQ(StartReportManager(context, hooks), ReportManagerStart::Ready);
    EXPECT_TRUE(prepared);
    EXPECT_EQ(nestingSeen, 1);
    EXPECT_EQ(context.userAccess.archiveLockNesting, 0);
    EXPECT_EQ(context.userAccess.slot, 1);
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(FileNames(world.archive() / "AK"), Names{"AK240202.001"});
    EXPECT_TRUE(fs::exists(world.privateFolderListing("AK")));
    CloseReportManager(context);
    EXPECT_TRUE(context.reportTypes.empty());
    EXPECT_FALSE(context.userAccess.file.isOpen());
}

TEST(ReportManagerStart, AServerFolderWhoseLocksDoNotHoldStopsTheStartBeforeAnyArchiveRun)
{
    test::ArchiveWorld world;
    ApplicationContext& context = world.context();
    context.flags.BypassAccessChecks = false;
    context.flags.SilentArchive = true;
    context.settings.ReportArchiveDirectory = "archive";
    world.writeConfiguration("[Report Types]\nAcks=\n" + kAcks);
    world.stage("A.X12", test::Acknowledgment999("20240202", "0700", 1));
    // The lock layer says what a CIFS mount with nobrl makes of the locks.
    std::string checked;
    context.byteLockProblem = [&checked](const std::string& path) {
        checked = path;
        return std::string("a cifs mount with nobrl");
    };

    EXPECT_EQ(StartReportManager(context), ReportManagerStart::StartupFailed);
    EXPECT_EQ(checked, (world.server() / "QRUSER.CTL").string());
    EXPECT_EQ(world.prompts().errors(),
              QStringList{"File locks do not work on the server folder " + test::Folder(world.server()) +
                          " (a cifs mount with nobrl). Several workstations cannot share it safely. Mount it with "
                          "working locks (SMB 3 without nobrl, or NFS version 4), or run one workstation alone "
                          "with /EXCLUSIVE. The program will now terminate."});
    EXPECT_EQ(context.exitCode, kExitStartFailed);
    EXPECT_EQ(FileNames(world.mailbox()), Names{"A.X12"});
    EXPECT_FALSE(context.userAccess.file.isOpen());

    // Locks that hold: the same start files the acknowledgment.
    context.byteLockProblem = [](const std::string&) { return std::string(); };
    EXPECT_EQ(StartReportManager(context), ReportManagerStart::ArchiveDone);
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    CloseReportManager(context);
}

TEST(ReportManagerStart, AStartWithoutListedTypesOrWithAFailingWindowEnds)
{
    test::ArchiveWorld world;
    world.context().settings.ReportArchiveDirectory = "archive";
    world.writeConfiguration(
        "[Report Types]\nJunk=\n" +
        TypeSection("Junk", {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    world.stage("B.TMP", "");
    EXPECT_EQ(StartReportManager(world.context()), ReportManagerStart::StartupFailed);
    EXPECT_EQ(world.prompts().errors(),
              QStringList{"No visible report types have been specified in the report configuration file "
                          "(TALMERE.INI) The report viewer program will now be terminated."});
    EXPECT_EQ(FileNames(world.mailbox()), Names{"B.TMP"});

    // The same configuration archives when started silently: action types work without a list.
    world.context().flags.SilentArchive = true;
    EXPECT_EQ(StartReportManager(world.context()), ReportManagerStart::ArchiveDone);
    EXPECT_EQ(FileNames(world.mailbox()), Names{});

    world.context().flags.SilentArchive = false;
    world.writeConfiguration("[Report Types]\nAcks=\n" + kAcks);
    world.stage("A.X12", test::Acknowledgment999("20240202", "0700", 1));
    EXPECT_EQ(StartReportManager(world.context(), {[] { return false; }, {}}), ReportManagerStart::StartupFailed);
    EXPECT_EQ(FileNames(world.mailbox()), Names{"A.X12"});
}

namespace {

using test::Workstation;

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(mailbox());
        test::WriteFile(server() / "TALMERE.INI",
                        "[General]\nReportArchiveDirectory=archive\nPerformMailboxCleanupOnStartup=1\n"
                        "[Report Types]\nAcks=\n" +
                            kAcks);
    }
    fs::path server() const { return root / "server"; }
    fs::path mailbox() const { return server() / "mailbox"; }
    fs::path archive() const { return server() / "archive"; }

    test::TempFolder root;
};

DateTimeParts DaysAgo(int days)
{
    const QDateTime then = QDateTime::currentDateTime().addDays(-days);
    return DateTimeParts{then.date().year(), then.date().month(), then.date().day(), then.time().hour(), 0, 0, 0};
}

} // namespace

TEST_F(Program, SilentArchiveRunsEndToEndAndCleansTheMailbox)
{
    const Workstation desk(root / "desk", server());
    for (int i = 1; i <= 3; ++i) {
        test::WriteFile(mailbox() / ("ACK" + std::to_string(i) + ".X12"),
                        test::Acknowledgment999("2024020" + std::to_string(i), "0700", i));
    }
    test::WriteFile(mailbox() / "OLD.TXT", "unknown and old");
    test::SetModificationTime(mailbox() / "OLD.TXT", DaysAgo(40));
    test::WriteFile(mailbox() / "NEW.TXT", "unknown but new");

    auto run = desk.start({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(run->waitForExit(), 0);
    EXPECT_EQ(run->standardError(), "");
    EXPECT_EQ(FileNames(mailbox()), Names{"NEW.TXT"});
    EXPECT_EQ(FileNames(archive() / "AK"), (Names{"AK240201.001", "AK240202.001", "AK240203.001"}));
    EXPECT_TRUE(fs::exists(server() / "QRUSER.CTL"));
    EXPECT_EQ(test::ArchiveLogLines(archive()).size(), 3u);
}

TEST_F(Program, ASilentRunThatLeavesFilesStagedSaysWhichAndEndsWithCodeTwo)
{
    const Workstation desk(root / "desk", server());
    test::WriteFile(mailbox() / "ACK1.X12", test::Acknowledgment999("20240201", "0700", 1));
    test::WriteFile(root / "elsewhere.X12", test::Acknowledgment999("20240202", "0700", 2));
    fs::create_symlink(root / "elsewhere.X12", mailbox() / "LINK.X12");

    auto run = desk.start({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(run->waitForExit(), 2);
    EXPECT_EQ(run->standardError().toStdString(), "Qorva Report Manager: not filed (SKIPPED, symbolic link): " +
                                                      (mailbox() / "LINK.X12").string() + " [Acks]\n");
    EXPECT_EQ(FileNames(archive() / "AK"), Names{"AK240201.001"});
    EXPECT_TRUE(fs::is_symlink(mailbox() / "LINK.X12"));
}

TEST_F(Program, AConfigurationErrorStopsBeforeAnythingIsTouched)
{
    const Workstation desk(root / "desk", server());
    test::WriteFile(server() / "TALMERE.INI", "[General]\nReportArchiveDirectory=archive\n[Report Types]\nAcks=\n"
                                              "Acks2=\n" +
                                                  kAcks +
                                                  "[Report Details - Acks2]\nReportDesc=Other\n"
                                                  "ArchivePrefix=ak\nFileNameMask=*.*\n");
    test::WriteFile(mailbox() / "ACK1.X12", test::Acknowledgment999("20240201", "0700", 1));
    auto run = desk.start({"/TAMSEN", "/SILENTARCHIVE"});
    // A scheduler can tell: the silent run ends with a failure code.
    EXPECT_EQ(run->waitForExit(), 1);
    EXPECT_EQ(run->standardError().toStdString(),
              "Qorva Report Manager: Error: Duplicate report archive prefix [AK] in the report configuration file "
              "(TALMERE.INI). The report viewer program will now be terminated.\n");
    EXPECT_EQ(FileNames(mailbox()), Names{"ACK1.X12"});
    EXPECT_FALSE(fs::exists(archive() / "AK"));
}

TEST_F(Program, ASilentRunWhileAnotherWorkstationHoldsTheArchiveDoesNothing)
{
    const Workstation desk(root / "desk", server());
    const Workstation other(root / "other", server());
    test::WriteFile(mailbox() / "ACK1.X12", test::Acknowledgment999("20240201", "0700", 1));
    test::ChildProcess holder(TALMERE_ACCESS_PROBE, {Folder(server())}, other.environment());
    ASSERT_EQ(holder.ask("register"), "registered 1");
    ASSERT_EQ(holder.ask("acquire 0"), "acquired 0");
    auto run = desk.start({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(run->waitForExit(), 0);
    EXPECT_EQ(run->standardError(), "");
    EXPECT_EQ(FileNames(mailbox()), Names{"ACK1.X12"});

    ASSERT_EQ(holder.ask("release"), "released");
    auto again = desk.start({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(again->waitForExit(), 0);
    EXPECT_EQ(FileNames(mailbox()), Names{});
}

TEST_F(Program, TwoWorkstationsArchivingOneMailboxFileEveryReportOnce)
{
    constexpr int kFiles = 150;
    for (int i = 0; i < kFiles; ++i) {
        const std::string day = std::to_string(10 + i % 10);
        test::WriteFile(mailbox() / ("ACK" + std::to_string(i) + ".X12"),
                        test::Acknowledgment999("202402" + day, "0700", i + 1));
    }
    const Workstation first(root / "first", server());
    const Workstation second(root / "second", server());
    // A scheduled silent run and a user's start, together; then two silent runs on a second batch.
    auto a = first.start({"/TAMSEN", "/SILENTARCHIVE"});
    auto b = second.start({"/TAMSEN"});
    EXPECT_EQ(a->waitForExit(60000), 0);
    EXPECT_EQ(b->waitForExit(60000), 0);
    EXPECT_EQ(a->standardError(), "");
    // The user's start waits for the silent run; should that take longer than its patience, it says so.
    const QString waited = b->standardError();
    EXPECT_TRUE(waited.contains("start-up complete") ||
                waited.contains("Unable to obtain exclusive access to the report archive."))
        << waited.toStdString();
    for (int i = kFiles; i < 2 * kFiles; ++i) {
        test::WriteFile(mailbox() / ("ACK" + std::to_string(i) + ".X12"),
                        test::Acknowledgment999("20240215", "0700", i + 1));
    }
    auto c = first.start({"/TAMSEN", "/SILENTARCHIVE"});
    auto d = second.start({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(c->waitForExit(60000), 0);
    EXPECT_EQ(d->waitForExit(60000), 0);
    // Whoever did not get the lock did nothing; a leftover batch is filed by one more run.
    auto e = second.start({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(e->waitForExit(60000), 0);

    EXPECT_EQ(FileNames(mailbox()), Names{});
    EXPECT_EQ(FileNames(archive() / "AK").size(), static_cast<std::size_t>(2 * kFiles));
    std::set<std::string> sources;
    std::set<std::string> targets;
    for (const auto& fields : test::ArchiveLogLines(archive())) {
        ASSERT_EQ(fields.size(), 5u);
        EXPECT_EQ(fields[3], "ARCHIVE");
        EXPECT_TRUE(sources.insert(fields[2]).second) << "filed twice: " << fields[2];
        EXPECT_TRUE(targets.insert(fields[4]).second) << "name used twice: " << fields[4];
    }
    EXPECT_EQ(sources.size(), static_cast<std::size_t>(2 * kFiles));
    EXPECT_EQ(FileNames(archive() / "AK").front(), "AK240210.001");
    EXPECT_EQ(FileNames(archive() / "AK").back(), "AK240219.015");
}
