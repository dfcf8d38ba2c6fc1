// The report list window as a user works it, on Qt's offscreen platform: the commands it enables, its grid,
// the date filter dialog, deleting, another workstation holding the archive, a second start switching the claim
// context, its placement, and closing.

#include "gui/TfrmMain.h"
#include "core/Startup.h"
#include "core/UserAccess.h"
#include "platform/InstanceChannel.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace talmere;
using test::FileNames;
using test::Folder;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class MainWindow : public ::testing::Test {
protected:
    test::ArchiveWorld world;
    test::FixedPrinters printers;
    std::vector<int> viewed;

    void SetUp() override
    {
        world.context().settings.ReportArchiveDirectory = "archive";
        world.context().lockTiming.millisecondsPerSecond = 20;
        world.writeConfiguration(test::ReportListConfiguration());
        world.stage("A1.X12", test::Acknowledgment999("20240201", "0700", 1), DateTimeParts{2024, 2, 1, 7, 0});
        world.stage("A2.X12", test::Acknowledgment999("20240331", "2359", 2), DateTimeParts{2024, 3, 31, 23, 59});
        world.stage("A3.X12", test::Acknowledgment999("20240401", "0000", 3), DateTimeParts{2024, 4, 1, 0, 0});
    }

    std::unique_ptr<TfrmMain> open()
    {
        ReportWindowCommands commands;
        commands.view = [this](int row) { viewed.push_back(row); };
        auto window = std::make_unique<TfrmMain>(world.context(), printers, commands);
        EXPECT_EQ(window->start(), ReportManagerStart::Ready) << world.prompts().errors().join("\n").toStdString();
        window->show();
        QApplication::processEvents();
        return window;
    }

    template <class T>
    static T* child(TfrmMain& window, const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static QTableView* grid(TfrmMain& window) { return child<QTableView>(window, "DynaGrid"); }
    static bool enabled(TfrmMain& window, const char* name)
    {
        if (auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name))) {
            return button->isEnabled();
        }
        return child<QAction>(window, name)->isEnabled();
    }

    // Answers the next modal dialog with the dates typed into its boxes, then OK or Cancel.
    static void answerFilterDialog(const QString& from, const QString& thru, bool ok)
    {
        QTimer::singleShot(0, [=] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            for (const auto& [name, text] :
                 {std::pair{"CSelCreateFromDate", from}, std::pair{"CSelCreateThruDate", thru}}) {
                auto* box = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
                ASSERT_NE(box, nullptr) << name;
                box->clear();
                if (!text.isEmpty()) {
                    box->setFocus();
                    QTest::keyClicks(box, text);
                }
            }
            QTest::mouseClick(
                dialog->findChild<QPushButton*>(ok ? QStringLiteral("BtnOK") : QStringLiteral("BtnCancel")),
                Qt::LeftButton);
        });
    }
};

} // namespace

TEST_F(MainWindow, ShowsTheFirstTypeWithItsColumnsAndEnablesTheReportCommandsOnlyWithRows)
{
    auto window = open();
    EXPECT_EQ(window->windowTitle(), "Qorva Report Manager");
    auto* types = child<QComboBox>(*window, "cbReportType");
    ASSERT_EQ(types->count(), 3);
    EXPECT_EQ(types->itemText(0), "Acknowledgments");
    EXPECT_EQ(grid(*window)->model()->rowCount(), 3);
    EXPECT_FALSE(grid(*window)->isColumnHidden(0));
    EXPECT_TRUE(grid(*window)->isColumnHidden(kListingFileColumn));
    EXPECT_FALSE(grid(*window)->isColumnHidden(kListingDummyColumn));
    EXPECT_EQ(grid(*window)->currentIndex().row(), 0);
    for (const char* name : {"BtnViewReport", "BtnPrintReport", "mnuActionView", "mnuActionPrint", "mnuActionDelete",
                             "popView", "popPrint", "popDelete"}) {
        EXPECT_TRUE(enabled(*window, name)) << name;
    }
    EXPECT_FALSE(enabled(*window, "mnuFilterClear"));
    EXPECT_EQ(child<QLabel>(*window, "lblStatus")->text(), "3 reports");

    // Enter in the grid views the current row; so does a double click.
    grid(*window)->setFocus();
    QTest::keyClick(grid(*window), Qt::Key_Return);
    EXPECT_EQ(viewed, std::vector<int>{0});

    // The professional letters have no report: nothing to view, print or delete, and Enter does nothing.
    types->setCurrentIndex(2);
    emit types->activated(2);
    EXPECT_EQ(grid(*window)->model()->rowCount(), 0);
    for (const char* name : {"BtnViewReport", "BtnPrintReport", "mnuActionView", "mnuActionDelete", "popPrint"}) {
        EXPECT_FALSE(enabled(*window, name)) << name;
    }
    EXPECT_TRUE(enabled(*window, "mnuActionRefresh"));
    QTest::keyClick(grid(*window), Qt::Key_Return);
    EXPECT_EQ(viewed, std::vector<int>{0});
}

TEST_F(MainWindow, TheDateFilterDialogNarrowsTheListAndClearFiltersWidensItAgain)
{
    auto window = open();
    answerFilterDialog("", "03312024", true);
    window->advancedFilter();
    // Thru 03/31/2024 keeps 23:59 of that day and leaves out 04/01 00:00.
    EXPECT_EQ(grid(*window)->model()->rowCount(), 2);
    EXPECT_TRUE(enabled(*window, "mnuFilterClear"));
    EXPECT_EQ(child<QLabel>(*window, "lblStatus")->text(), "2 reports    Date filter: any date to 03/31/2024");

    // From after thru: an empty list, Clear Filters still enabled.
    answerFilterDialog("04022024", "03312024", true);
    window->advancedFilter();
    EXPECT_EQ(grid(*window)->model()->rowCount(), 0);
    EXPECT_TRUE(enabled(*window, "mnuFilterClear"));
    EXPECT_FALSE(enabled(*window, "BtnViewReport"));

    // Cancel changes nothing.
    answerFilterDialog("", "", false);
    window->advancedFilter();
    EXPECT_EQ(grid(*window)->model()->rowCount(), 0);
    EXPECT_EQ(window->commands().filter(), (ReportDateFilter{DayNumber(2024, 4, 2), DayNumber(2024, 3, 31)}));

    child<QAction>(*window, "mnuFilterClear")->trigger();
    EXPECT_EQ(grid(*window)->model()->rowCount(), 3);
    EXPECT_FALSE(enabled(*window, "mnuFilterClear"));
}

TEST_F(MainWindow, SortingQuickSearchAndTypeChangesKeepToTheirOwnRules)
{
    auto window = open();
    QTableView* view = grid(*window);
    const auto shownFile = [&](int row) {
        return window->commands().model().fileName(
            window->commands().viewModel().mapToSource(view->model()->index(row, 0)).row());
    };
    // Clicking the date title twice: newest first.
    view->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    EXPECT_EQ(shownFile(0), "AK240401.001");
    auto* search = child<QLineEdit>(*window, "edtQuickSearch");
    QTest::keyClicks(search, "03/31");
    EXPECT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(child<QLabel>(*window, "lblStatus")->text(), "1 of 3 reports shown");
    EXPECT_EQ(window->currentRow(), 1);
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_EQ(view->model()->rowCount(), 3);

    // Another type, and back: the table's own order again.
    auto* types = child<QComboBox>(*window, "cbReportType");
    emit types->activated(1);
    emit types->activated(0);
    EXPECT_EQ(shownFile(0), "AK240201.001");
}

TEST_F(MainWindow, DeletingAsksAndAnotherWorkstationsLockKeepsTheFile)
{
    world.context().flags.BypassAccessChecks = false;
    auto window = open();
    grid(*window)->selectRow(1);
    world.prompts().confirmAnswer = false;
    child<QAction>(*window, "mnuActionDelete")->trigger();
    EXPECT_EQ(FileNames(world.archive() / "AK").size(), 3u);

    test::ChildProcess other(TALMERE_ACCESS_PROBE, {Folder(world.server())}, world.installation().processEnvironment());
    ASSERT_EQ(other.ask("register"), "registered 2");
    ASSERT_EQ(other.ask("acquire 0"), "acquired 0");
    world.prompts().confirmAnswer = true;
    child<QAction>(*window, "popDelete")->trigger();
    EXPECT_EQ(FileNames(world.archive() / "AK").size(), 3u);
    EXPECT_EQ(world.prompts().errors().last(),
              "Unable to obtain exclusive access to the report archive. Contact your system administrator if this "
              "problem persists. The archived report file has not been deleted.");

    ASSERT_EQ(other.ask("release"), "released");
    child<QAction>(*window, "mnuActionDelete")->trigger();
    EXPECT_EQ(FileNames(world.archive() / "AK"), (Names{"AK240201.001", "AK240401.001"}));
    EXPECT_EQ(grid(*window)->model()->rowCount(), 2);
}

TEST_F(MainWindow, ASecondStartSwitchesTheClaimContextOfTheRunningWindow)
{
    // The second start is launched by the product with this installation's folders, and finds this window
    // through the same settings home and runtime folder.
    fs::create_directories(world.installation().configHome() / "Brennwick");
    test::WriteFile(world.installation().configHome() / "Brennwick" / "Qorva32.conf",
                    "[General]\nServerDirectory=" + world.server().string() + "/\nInstallDirectory=" +
                        world.install().string() + "/\nDataDirectory=" + (world.root() / "data").string() + "/\n");
    test::WriteFile(world.server() / "TALMERE.INI", test::ReportListConfiguration());
    fs::create_directories(world.root() / "runtime");
    fs::permissions(world.root() / "runtime", fs::perms::owner_all);
    const test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", (world.root() / "runtime").c_str());
    auto window = open();
    const std::unique_ptr<platform::InstanceChannel> channel = platform::CreateLocalInstanceChannel();
    ASSERT_TRUE(channel->listen(kApplicationWindowClass, window->windowTitle()));
    window->listenTo(*channel);

    test::ChildProcess second(TALMERE_PROGRAM, {"/TAMSEN", "/UB92_ONLY"}, world.installation().processEnvironment());
    auto* types = child<QComboBox>(*window, "cbReportType");
    QElapsedTimer waited;
    waited.start();
    while (types->count() != 2 && waited.elapsed() < 20000) {
        QTest::qWait(20);
    }
    EXPECT_EQ(second.waitForExit(), 0);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(1), "Payer Letters");
    EXPECT_EQ(types->currentIndex(), 0);
}

TEST_F(MainWindow, ClosingMaximisedOpensMaximisedAndAViewInProgressKeepsItOpen)
{
    {
        auto window = open();
        window->commands().setViewInProgress(true);
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(window->isVisible());
        window->commands().setViewInProgress(false);
        window->showMaximized();
        QApplication::processEvents();
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(world.context().settings.ReportListPosition.State, 1);
    for (const std::string& name : FileNames(world.install() / "private")) {
        EXPECT_NE(name.rfind("dyna", 0), 0u) << name << ": the table goes with the window";
    }
    EXPECT_TRUE(fs::exists(world.privateFolderListing("AK"))) << "the listing stays";

    auto again = open();
    EXPECT_TRUE(again->windowState() & Qt::WindowMaximized);
}
