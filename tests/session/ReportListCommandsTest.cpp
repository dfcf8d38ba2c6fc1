// The report list window's commands without widgets: the start with the window's steps, the list of each type,
// the date filter, deleting, refreshing, the claim-context switch, another workstation holding the archive, and
// the close.

#include "session/ReportListCommands.h"
#include "catalogue/ListingModel.h"
#include "core/UserAccess.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::FileNames;
using test::Folder;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class ReportListCommandsTest : public ::testing::Test {
protected:
    test::ArchiveWorld world;

    void SetUp() override
    {
        world.context().settings.ReportArchiveDirectory = "archive";
        world.context().lockTiming.millisecondsPerSecond = 20;
        world.writeConfiguration(test::ReportListConfiguration());
    }

    // Two acknowledgments and a letter, staged with the dates they arrived.
    void stageReports()
    {
        world.stage("A1.X12", test::Acknowledgment999("20240201", "0700", 1), DateTimeParts{2024, 2, 1, 7, 0});
        world.stage("A2.X12", test::Acknowledgment999("20240331", "2359", 2), DateTimeParts{2024, 3, 31, 23, 59});
        world.stage("LTR1.TXT", "Dear provider\r\n", DateTimeParts{2024, 3, 5, 9, 30});
    }

    static QStringList Files(const ListingModel& model)
    {
        QStringList files;
        for (int row = 0; row < model.rowCount(); ++row) {
            files << model.fileName(row);
        }
        return files;
    }

    static QStringList Captions(const ListingModel& model)
    {
        QStringList captions;
        for (int column = 0; column < kListingColumnCount; ++column) {
            if (model.isColumnShown(column)) {
                captions << model.headerData(column, Qt::Horizontal).toString();
            }
        }
        return captions;
    }
};

} // namespace

TEST_F(ReportListCommandsTest, TheStartFillsTheTypeBoxCreatesTheTableAndListsTheFirstType)
{
    stageReports();
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);

    // Action types are never listed; context flags at their default show every context.
    const std::vector<ReportTypeItem> items{{"Acknowledgments", 1}, {"Payer Letters", 2}, {"Professional Letters", 3}};
    EXPECT_EQ(commands.reportTypeItems(), items);
    EXPECT_EQ(commands.selectedItem(), 0);
    EXPECT_EQ(commands.selectedTypeIndex(), 1);
    EXPECT_EQ(commands.table().tableName(), "dyna0001");
    EXPECT_TRUE(fs::exists(world.install() / "private" / "dyna0001.dbf"));
    EXPECT_EQ(Files(commands.model()), (QStringList{"AK240201.001", "AK240331.001"}));
    EXPECT_EQ(Captions(commands.model()).first(), "Date");
    EXPECT_EQ(Captions(commands.model()).last(), " ");
    EXPECT_EQ((commands.commandStates()), (CommandStates{true, true, true, false}));

    commands.finish();
    EXPECT_FALSE(fs::exists(world.install() / "private" / "dyna0001.dbf"));
    EXPECT_TRUE(world.context().reportTypes.empty());
}

TEST_F(ReportListCommandsTest, ATypeChangeShowsItsColumnsAndRowsAndAnEmptyTypeDisablesTheReportCommands)
{
    stageReports();
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);
    commands.changeReportType(1);
    EXPECT_EQ(commands.selectedTypeIndex(), 2);
    EXPECT_EQ(Files(commands.model()), QStringList{"PL240305.001"});
    EXPECT_EQ(Captions(commands.model()), (QStringList{"Date", "Time", "Description", "Archive File", " "}));

    commands.changeReportType(2);
    EXPECT_EQ(commands.model().rowCount(), 0);
    EXPECT_EQ((commands.commandStates()), (CommandStates{false, false, false, false}));
    EXPECT_TRUE(world.prompts().shown.empty());
}

TEST_F(ReportListCommandsTest, TheDateFilterIncludesTheWholeThruDayAndCancelChangesNothing)
{
    stageReports();
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);

    // Thru 03/31/2024 includes 23:59 of that day.
    commands.advancedFilter([](const ReportDateFilter&) {
        return std::optional<ReportDateFilter>{{0, DayNumber(2024, 3, 31)}};
    });
    EXPECT_EQ(Files(commands.model()), (QStringList{"AK240201.001", "AK240331.001"}));
    EXPECT_TRUE(commands.commandStates().clearFilters);

    // Thru 03/30 leaves it out; from 02/02 leaves out the first.
    commands.advancedFilter([](const ReportDateFilter& current) {
        EXPECT_EQ(current.thruDay, DayNumber(2024, 3, 31));
        return std::optional<ReportDateFilter>{{DayNumber(2024, 2, 2), DayNumber(2024, 3, 30)}};
    });
    EXPECT_EQ(commands.model().rowCount(), 0);
    EXPECT_EQ((commands.commandStates()), (CommandStates{false, false, false, true}));

    // From after thru: an empty list, Clear Filters still enabled. Cancel keeps the filter and the list.
    commands.advancedFilter([](const ReportDateFilter&) { return std::optional<ReportDateFilter>{}; });
    EXPECT_EQ(commands.filter(), (ReportDateFilter{DayNumber(2024, 2, 2), DayNumber(2024, 3, 30)}));

    // The filter stays across a type change.
    commands.changeReportType(1);
    EXPECT_EQ(Files(commands.model()), QStringList{"PL240305.001"});

    commands.clearFilters();
    EXPECT_FALSE(commands.filter().active());
    EXPECT_FALSE(commands.commandStates().clearFilters);
    EXPECT_EQ(Files(commands.model()), QStringList{"PL240305.001"});
}

TEST_F(ReportListCommandsTest, GuardedCommandsAreIgnoredWhileAnotherRuns)
{
    stageReports();
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);
    int asked = 0;
    bool nestedRan = false;
    commands.runGuarded([&] {
        EXPECT_TRUE(commands.busy());
        commands.advancedFilter([&](const ReportDateFilter&) {
            ++asked;
            return std::optional<ReportDateFilter>{};
        });
        nestedRan = commands.runGuarded([] {});
        commands.deleteReport(0);
        commands.clearFilters();
    });
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(nestedRan);
    EXPECT_FALSE(commands.busy());
    EXPECT_EQ(commands.model().rowCount(), 2);
    EXPECT_TRUE(world.prompts().shown.empty());
}

TEST_F(ReportListCommandsTest, DeletingAsksFirstAndTheListingIsRebuiltLater)
{
    stageReports();
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);

    world.prompts().confirmAnswer = false;
    commands.deleteReport(0);
    EXPECT_EQ(FileNames(world.archive() / "AK"), (Names{"AK240201.001", "AK240331.001"}));
    EXPECT_EQ(commands.model().rowCount(), 2);

    world.prompts().confirmAnswer = true;
    commands.deleteReport(0);
    EXPECT_EQ(FileNames(world.archive() / "AK"), Names{"AK240331.001"});
    EXPECT_EQ(Files(commands.model()), QStringList{"AK240331.001"});
    const QString question = "Deleted report files cannot be recovered. Ready to permanantly delete the selected "
                             "report file [AK240201.001]?";
    ASSERT_EQ(world.prompts().shown.size(), 2u);
    EXPECT_EQ(world.prompts().shown[0].text, question);
    EXPECT_EQ(world.prompts().shown[1].text, question);
    // Nobody else opens the table while the list holds it; it goes with the list.
    const QString tableFile = test::Q(world.install() / "private" / "dyna0001.dbf");
    ListingTable reader;
    EXPECT_FALSE(reader.open(tableFile));
    commands.finish();
    EXPECT_FALSE(fs::exists(tableFile.toStdString()));

    // A file already gone still leaves the list, and the next fill rebuilds the listing without it.
    ReportListCommands again(world.context());
    ASSERT_EQ(again.start(), ReportManagerStart::Ready);
    EXPECT_EQ(Files(again.model()), QStringList{"AK240331.001"});
    fs::remove(world.archive() / "AK" / "AK240331.001");
    again.deleteReport(0);
    EXPECT_EQ(again.model().rowCount(), 0);
    again.refresh();
    EXPECT_EQ(again.model().rowCount(), 0);
}

TEST_F(ReportListCommandsTest, AnotherWorkstationHoldingTheArchiveKeepsTheRowsAndTheFiles)
{
    stageReports();
    ApplicationContext& context = world.context();
    context.flags.BypassAccessChecks = false;
    ReportListCommands commands(context);
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);
    ASSERT_EQ(commands.model().rowCount(), 2);

    test::ChildProcess other(TALMERE_ACCESS_PROBE, {Folder(world.server())}, world.installation().processEnvironment());
    ASSERT_EQ(other.ask("register"), "registered 2");
    ASSERT_EQ(other.ask("acquire 0"), "acquired 0");

    // The new type's columns, the old type's rows.
    commands.changeReportType(1);
    EXPECT_EQ(Captions(commands.model()), (QStringList{"Date", "Time", "Description", "Archive File", " "}));
    EXPECT_EQ(Files(commands.model()), (QStringList{"AK240201.001", "AK240331.001"}));
    world.prompts().confirmAnswer = true;
    commands.deleteReport(0);
    EXPECT_EQ(FileNames(world.archive() / "AK"), (Names{"AK240201.001", "AK240331.001"}));
    commands.refresh();
    EXPECT_EQ(world.prompts().errors(),
              (QStringList{"Unable to obtain exclusive access to the report archive. Contact your system "
                           "administrator if this problem persists.",
                           "Unable to obtain exclusive access to the report archive. Contact your system "
                           "administrator if this problem persists. The archived report file has not been deleted.",
                           "Unable to obtain exclusive access to the report archive. Contact your system "
                           "administrator if this problem persists."}));
    EXPECT_EQ(commands.model().rowCount(), 2);
    EXPECT_EQ(context.userAccess.archiveLockNesting, 0);

    ASSERT_EQ(other.ask("release"), "released");
    commands.refresh();
    EXPECT_EQ(Files(commands.model()), QStringList{"PL240305.001"});
    commands.finish();
    EXPECT_FALSE(context.userAccess.file.isOpen());
}

TEST_F(ReportListCommandsTest, TheClaimContextSwitchReloadsTheTypesOnlyWhenItChangesThem)
{
    stageReports();
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);
    commands.advancedFilter([](const ReportDateFilter&) {
        return std::optional<ReportDateFilter>{{DayNumber(2024, 3, 1), 0}};
    });

    EXPECT_EQ(commands.switchContext(3), ContextSwitchResult::Ignored);
    EXPECT_EQ(commands.switchContext(7), ContextSwitchResult::Ignored);
    EXPECT_EQ(commands.switchContext(1), ContextSwitchResult::Reloaded);
    const std::vector<ReportTypeItem> institutional{{"Acknowledgments", 1}, {"Payer Letters", 2}};
    EXPECT_EQ(commands.reportTypeItems(), institutional);
    EXPECT_EQ(commands.selectedItem(), 0);
    // The filter stays: only the acknowledgment of 03/31 is shown.
    EXPECT_EQ(Files(commands.model()), QStringList{"AK240331.001"});
    EXPECT_EQ(commands.switchContext(1), ContextSwitchResult::Ignored);

    EXPECT_EQ(commands.switchContext(2), ContextSwitchResult::Reloaded);
    // Types of the other context are not in the list at all: the indexes follow.
    const std::vector<ReportTypeItem> professional{{"Acknowledgments", 1}, {"Professional Letters", 2}};
    EXPECT_EQ(commands.reportTypeItems(), professional);

    // While a command runs, the switch waits for its end.
    commands.runGuarded([&] { EXPECT_EQ(commands.switchContext(3), ContextSwitchResult::Deferred); });
    EXPECT_EQ(commands.reportTypeItems(), professional);
    EXPECT_EQ(commands.runDeferredContextSwitch(), ContextSwitchResult::Reloaded);
    EXPECT_EQ(commands.reportTypeItems().size(), 3u);
    EXPECT_EQ(commands.runDeferredContextSwitch(), std::nullopt);

    // A configuration that no longer loads ends the program.
    world.writeConfiguration("[Report Types]\nBroken=\n[Report Details - Broken]\nReportFormat=ANSI_999\n");
    EXPECT_EQ(commands.switchContext(1), ContextSwitchResult::Failed);
    EXPECT_TRUE(commands.startupFailed());
    EXPECT_FALSE(world.prompts().errors().isEmpty());
}

TEST_F(ReportListCommandsTest, ClosingKeepsThePlacementAndSavesTheSettingsUnlessTheStartFailed)
{
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);
    commands.setViewInProgress(true);
    EXPECT_FALSE(commands.mayClose());
    commands.setViewInProgress(false);
    EXPECT_TRUE(commands.mayClose());

    test::FixedPrinters printers;
    int resets = 0;
    commands.close({10, 20, 700, 400}, true, printers, [&] { ++resets; });
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(world.installation().programStore().value("General", "ReportListPositionState"), "1");
    EXPECT_EQ(world.installation().programStore().value("General", "ReportListPositionWidth"), "700");

    printers.defaultPrinter.clear();
    world.context().settings.BypassDefaultPrinterAssignmentCheck = false;
    commands.close({10, 20, 640, 400}, false, printers, [&] { ++resets; });
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(world.installation().programStore().value("General", "ReportListPositionWidth"), "640");
    // The check was silent.
    EXPECT_TRUE(world.prompts().shown.empty());
}

TEST_F(ReportListCommandsTest, AFailedStartSavesNothing)
{
    world.writeConfiguration("[Report Types]\nJunk=\n" + TypeSection("Junk", {"ReportFormat=DELETE"}));
    ReportListCommands commands(world.context());
    EXPECT_EQ(commands.start(), ReportManagerStart::StartupFailed);
    EXPECT_TRUE(commands.startupFailed());
    test::FixedPrinters printers;
    commands.close({10, 20, 700, 400}, false, printers);
    EXPECT_FALSE(world.installation().programStore().value("General", "ReportListPositionWidth"));
    EXPECT_EQ(FileNames(world.install() / "private"), Names{});
}

TEST_F(ReportListCommandsTest, ColumnWidthsAreKeptPerTypeAndNonsenseIsIgnored)
{
    ReportListCommands commands(world.context());
    ASSERT_EQ(commands.start(), ReportManagerStart::Ready);
    EXPECT_EQ(commands.savedColumnWidths(1), std::nullopt);
    const std::vector<int> widths{90, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 120};
    commands.saveColumnWidths(1, widths);
    EXPECT_EQ(commands.savedColumnWidths(1), widths);
    EXPECT_EQ(commands.savedColumnWidths(2), std::nullopt);
    // Kept apart from the type's preferences, whose group would otherwise stand for preferences of its own.
    EXPECT_FALSE(world.installation().programStore().hasGroup("Reports/Acks"));
    world.installation().programStore().setValue("ReportListColumns", "Letters", "10,x,3");
    EXPECT_EQ(commands.savedColumnWidths(2), std::nullopt);
    world.installation().programStore().setValue("ReportListColumns", "Letters", "1,2,3");
    EXPECT_EQ(commands.savedColumnWidths(2), std::nullopt);
}

TEST_F(ReportListCommandsTest, TheArchiveHeldElsewhereAtTheStartEndsItWithItsMessage)
{
    stageReports();
    ApplicationContext& context = world.context();
    context.flags.BypassAccessChecks = false;
    test::ChildProcess other(TALMERE_ACCESS_PROBE, {Folder(world.server())}, world.installation().processEnvironment());
    ASSERT_EQ(other.ask("register"), "registered 1");
    ASSERT_EQ(other.ask("acquire 0"), "acquired 0");

    ReportListCommands commands(context);
    EXPECT_EQ(commands.start(), ReportManagerStart::StartupFailed);
    EXPECT_EQ(world.prompts().errors(),
              QStringList{"Unable to obtain exclusive access to the report archive. Contact your system administrator "
                          "if this problem persists. The report viewer program will now be terminated."});
    // Nothing was filed, and the window's table goes with it.
    EXPECT_EQ(FileNames(world.mailbox()).size(), 3u);
    commands.finish();
    EXPECT_EQ(FileNames(world.install() / "private"), Names{});
    EXPECT_FALSE(context.userAccess.file.isOpen());
}
