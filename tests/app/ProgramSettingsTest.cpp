// Where each setting comes from on a first start and after a close, what a close writes back, the window
// placement rules and the default-printer check.

#include "ProgramSettings.h"
#include "AppTestSupport.h"
#include "PrinterSystem.h"
#include "ProductDirectories.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace talmere;
using test::Folder;

namespace {

class Settings : public ::testing::Test {
protected:
    Settings()
    {
        std::filesystem::create_directories(install / "ws");
        install.context().folders.InstallDirectory = Folder(install / "ws");
        install.context().folders.ServerDirectory = Folder(install / "ws");
    }

    ProgramSettings& load()
    {
        ApplicationContext& context = install.restart();
        context.folders.InstallDirectory = Folder(install / "ws");
        context.folders.ServerDirectory = Folder(install / "ws");
        LoadSettings(context);
        return context.settings;
    }

    void writeTalmereIni(const std::string& general) { test::WriteFile(install / "ws" / "TALMERE.INI", general); }

    test::Installation install;
};

class FakePrinters final : public platform::PrinterSystem {
public:
    QString defaultPrinterName() const override { return defaultName; }
    QStringList printerNames() const override
    {
        return defaultName.isEmpty() ? QStringList() : QStringList{defaultName};
    }
    QString defaultName;
};

} // namespace

TEST_F(Settings, AFirstStartTakesTheDefaultsAndTheConfigurationFile)
{
    writeTalmereIni("[General]\nCenturyDatePivotYear=50\n");
    const ProgramSettings& s = load();
    EXPECT_EQ(s.ReportArchivePreprocessor, "");
    EXPECT_TRUE(s.PerformMailboxCleanupOnStartup);
    EXPECT_EQ(s.MailboxCleanupDays, 31);
    EXPECT_FALSE(s.DisplayPrinterDialogOnPreview);
    EXPECT_EQ(s.ReportListPosition, WindowPosition{});
    EXPECT_EQ(s.PortraitPreviewDialog, WindowPosition{});
    EXPECT_EQ(s.LandscapePreviewDialog, WindowPosition{});
    // Without QORVA32.INI: the built-in texts, and the pivot from TALMERE.INI.
    EXPECT_EQ(s.ProductName, "Qorva");
    EXPECT_EQ(s.Copyright, kBuiltInCopyright);
    EXPECT_EQ(s.OwnershipComment, kBuiltInOwnershipComment);
    EXPECT_EQ(s.CenturyDatePivotYear, 50);
    EXPECT_FALSE(s.BypassUserMonitoring);
    EXPECT_EQ(s.ReportArchiveDirectory, "Arctalmr");
    EXPECT_FALSE(s.BypassDefaultPrinterAssignmentCheck);
    EXPECT_TRUE(s.PurgeReportArchiveFiles);
    EXPECT_EQ(s.PurgeReportArchiveDays, 180);
    EXPECT_EQ(s.ReportArchivePreprocessorTimeout, 30);
    EXPECT_TRUE(s.EnableCopyOrMoveBasedOnContext);
    EXPECT_EQ(s.ContextCopyOrMoveRecentDays, 60);
    EXPECT_FALSE(s.PerformStagedFileUnZIP);
    EXPECT_EQ(install.context().applicationTitle(), "Qorva Report Manager");
}

TEST_F(Settings, EveryConfigurationKeyIsReadWithTheFileRules)
{
    writeTalmereIni("[general]\n"
                    "performmailboxcleanuponstartup=0\n"
                    "DisplayPrinterDialogOnPreview=2\n"
                    "ReportArchiveDirectory=\"\\\\Reports\\Arc\"\n"
                    "BypassDefaultPrinterAssignmentCheck=1\n"
                    "PurgeReportArchiveFiles=0\n"
                    "PurgeReportArchiveDays=  45  \n"
                    "PurgeReportArchiveDays=99\n"
                    "ReportArchivePreprocessorTimeout=ten\n"
                    "EnableCopyOrMoveBasedOnContext=0\n"
                    "ContextCopyOrMoveRecentDays=-3\n"
                    "PerformStagedFileUnZIP=1\n"
                    "[General]\nMailboxCleanupDays=5\n");
    const ProgramSettings& s = load();
    EXPECT_FALSE(s.PerformMailboxCleanupOnStartup);
    EXPECT_TRUE(s.DisplayPrinterDialogOnPreview);
    EXPECT_EQ(s.ReportArchiveDirectory, "\\\\Reports\\Arc");
    EXPECT_TRUE(s.BypassDefaultPrinterAssignmentCheck);
    EXPECT_FALSE(s.PurgeReportArchiveFiles);
    EXPECT_EQ(s.PurgeReportArchiveDays, 45);
    EXPECT_EQ(s.ReportArchivePreprocessorTimeout, 30); // not an integer: the default
    EXPECT_FALSE(s.EnableCopyOrMoveBasedOnContext);
    EXPECT_EQ(s.ContextCopyOrMoveRecentDays, -3);
    EXPECT_TRUE(s.PerformStagedFileUnZIP);
    EXPECT_EQ(s.MailboxCleanupDays, 31); // only ever read from the user's store
}

TEST_F(Settings, QorvaIniDecidesEvenByLeavingKeysOut)
{
    writeTalmereIni("[General]\nCenturyDatePivotYear=50\n");
    test::WriteFile(install / "ws" / "qorva32.ini", "[GENERAL]\nCopyright=\xA9 Caf\xE9\nBypassUserMonitoring=7\n");
    const ProgramSettings& s = load();
    EXPECT_EQ(s.ProductName, "");
    EXPECT_EQ(install.context().applicationTitle(), " Report Manager");
    EXPECT_EQ(s.Copyright, QString::fromUtf8("\u00A9 Caf\u00E9"));
    EXPECT_EQ(s.OwnershipComment, "");
    EXPECT_EQ(s.CenturyDatePivotYear, 65); // from QORVA32.INI's default, not TALMERE.INI
    EXPECT_TRUE(s.BypassUserMonitoring);
}

TEST_F(Settings, AfterACloseTheUsersStoreOverridesTheConfigurationFile)
{
    writeTalmereIni("[General]\nPerformMailboxCleanupOnStartup=0\nDisplayPrinterDialogOnPreview=1\n");
    EXPECT_FALSE(load().PerformMailboxCleanupOnStartup);
    SaveSettings(install.context());

    writeTalmereIni("[General]\nPerformMailboxCleanupOnStartup=1\nDisplayPrinterDialogOnPreview=0\n");
    ProgramSettings s = load();
    EXPECT_FALSE(s.PerformMailboxCleanupOnStartup);
    EXPECT_TRUE(s.DisplayPrinterDialogOnPreview);

    // An empty stored value is as good as none; a stored value that is no integer gives the default.
    install.programStore().setValue("General", "PerformMailboxCleanupOnStartup", "");
    install.programStore().setValue("General", "DisplayPrinterDialogOnPreview", "yes");
    writeTalmereIni("[General]\nPerformMailboxCleanupOnStartup=1\nDisplayPrinterDialogOnPreview=1\n");
    s = load();
    EXPECT_TRUE(s.PerformMailboxCleanupOnStartup);
    EXPECT_FALSE(s.DisplayPrinterDialogOnPreview);
}

TEST_F(Settings, AnEmptyArchiveSettingPutsTheArchiveInTheServerFolder)
{
    writeTalmereIni("[General]\nReportArchiveDirectory=\n");
    EXPECT_EQ(load().ReportArchiveDirectory, "");
    ASSERT_TRUE(ResolveReportArchiveFolder(install.context()));
    EXPECT_EQ(install.context().folders.ReportArchiveFolder, Folder(install / "ws"));
}

TEST_F(Settings, ACloseWritesExactlyTheUsersOptionsAndThePlacements)
{
    writeTalmereIni("[General]\n");
    install.programStore().setValue("General", "MailboxCleanupDays", "12");
    ProgramSettings& s = load();
    EXPECT_EQ(s.MailboxCleanupDays, 12);
    const QString preprocessor = "%SW_HIDE%\"%SERVER_DIR%\\pre.sh\" a";
    s.ReportArchivePreprocessor = preprocessor;
    s.DisplayPrinterDialogOnPreview = true;
    RecordMainWindowPlacement(s, {10, 20, 700, 400}, true);
    s.PortraitPreviewDialog = {1, 2, 3, 4, 0};
    s.LandscapePreviewDialog = {5, 6, 7, 8, 1};
    s.PurgeReportArchiveDays = 3; // not a user option: never written
    SaveSettings(install.context());

    auto store = platform::OpenUserSettings("Brennwick", "Talmere");
    QStringList names = store->valueNames("General");
    names.sort();
    QStringList expected = {"ReportArchivePreprocessor", "PerformMailboxCleanupOnStartup",
                            "DisplayPrinterDialogOnPreview", "MailboxCleanupDays"};
    for (const char* set : {"ReportListPosition", "PortraitPreviewDialog", "LandscapePreviewDialog"}) {
        for (const char* field : {"Left", "Top", "Width", "Height", "State"}) {
            expected << QString(set) + field;
        }
    }
    expected.sort();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(store->childGroups(""), QStringList{"General"});
    EXPECT_EQ(store->value("General", "ReportArchivePreprocessor"), preprocessor);
    EXPECT_EQ(store->value("General", "PerformMailboxCleanupOnStartup"), "1");
    EXPECT_EQ(store->value("General", "DisplayPrinterDialogOnPreview"), "1");
    EXPECT_EQ(store->value("General", "MailboxCleanupDays"), "12");
    EXPECT_EQ(store->value("General", "ReportListPositionWidth"), "700");
    EXPECT_EQ(store->value("General", "ReportListPositionState"), "1");
    EXPECT_EQ(store->value("General", "LandscapePreviewDialogTop"), "6");
    EXPECT_EQ(test::ReadFile(install / "ws" / "TALMERE.INI"), "[General]\n");

    // And a new start reads all of it back.
    const ProgramSettings& again = load();
    EXPECT_EQ(again.ReportArchivePreprocessor, preprocessor);
    EXPECT_EQ(again.ReportListPosition, (WindowPosition{10, 20, 700, 400, 1}));
    EXPECT_EQ(again.PortraitPreviewDialog, (WindowPosition{1, 2, 3, 4, 0}));
    EXPECT_EQ(again.LandscapePreviewDialog, (WindowPosition{5, 6, 7, 8, 1}));
    EXPECT_EQ(again.PurgeReportArchiveDays, 180);
}

TEST_F(Settings, ThePreviewWorkingSetComesFromAndGoesBackToOneOrientation)
{
    ApplicationContext& context = install.context();
    context.settings.PortraitPreviewDialog = {1, 1, 1, 1, 0};
    context.settings.LandscapePreviewDialog = {2, 2, 2, 2, 1};

    SelectPreviewPosition(context, 1);
    EXPECT_EQ(context.settings.PreviewPosition, (WindowPosition{2, 2, 2, 2, 1}));
    context.settings.PreviewPosition.Left = 50;
    StorePreviewPosition(context, 1);
    EXPECT_EQ(context.settings.LandscapePreviewDialog.Left, 50);
    EXPECT_EQ(context.settings.PortraitPreviewDialog.Left, 1);

    SelectPreviewPosition(context, 2); // neither orientation: nothing happens
    EXPECT_EQ(context.settings.PreviewPosition.Left, 50);
    StorePreviewPosition(context, -1);
    EXPECT_EQ(context.settings.PortraitPreviewDialog, (WindowPosition{1, 1, 1, 1, 0}));
    SelectPreviewPosition(context, 0);
    EXPECT_EQ(context.settings.PreviewPosition, (WindowPosition{1, 1, 1, 1, 0}));
}

TEST_F(Settings, TheDefaultPrinterCheckTellsTheUserOnlyWhenAsked)
{
    ApplicationContext& context = install.context();
    FakePrinters printers;
    const QString message = "This system has no default printer assigned. Reports cannot be printed without a "
                            "default printer assignment.";

    EXPECT_FALSE(CheckDefaultPrinter(context, printers, false));
    EXPECT_TRUE(install.prompts().shown.empty());
    EXPECT_FALSE(CheckDefaultPrinter(context, printers, true));
    EXPECT_EQ(install.prompts().errors(), QStringList{message});

    printers.defaultName = "Laser";
    EXPECT_TRUE(CheckDefaultPrinter(context, printers, true));

    printers.defaultName.clear();
    context.settings.BypassDefaultPrinterAssignmentCheck = true;
    EXPECT_TRUE(CheckDefaultPrinter(context, printers, true));
    EXPECT_EQ(install.prompts().errors().size(), 1);
}

TEST(MainWindowPlacement, FollowsTheSavedPositionAndState)
{
    const WindowGeometry designed{100, 80, 600, 350};
    const int minWidth = 600;
    const int minHeight = 350;

    // Never saved: centred, half the screen's height.
    EXPECT_EQ(PlaceMainWindow({}, designed, minWidth, minHeight, 1920, 1041),
              (MainWindowPlacement{{660, 260, 600, 520}, false}));
    // A small screen: never below the minimum height; centring drops the fraction towards zero.
    EXPECT_EQ(PlaceMainWindow({}, designed, minWidth, minHeight, 599, 600),
              (MainWindowPlacement{{0, 125, 600, 350}, false}));
    EXPECT_EQ(PlaceMainWindow({}, designed, minWidth, minHeight, 597, 600),
              (MainWindowPlacement{{-1, 125, 600, 350}, false}));

    // Saved normal (or saved by an older version without a state): the saved bounds.
    EXPECT_EQ(PlaceMainWindow({5, 6, 800, 500, 0}, designed, minWidth, minHeight, 1920, 1040),
              (MainWindowPlacement{{5, 6, 800, 500}, false}));
    EXPECT_EQ(PlaceMainWindow({5, 6, 800, 500, -1}, designed, minWidth, minHeight, 1920, 1040),
              (MainWindowPlacement{{5, 6, 800, 500}, false}));
    // Bounds smaller than the minimum grow to it.
    EXPECT_EQ(PlaceMainWindow({5, 6, -1, 20, 0}, designed, minWidth, minHeight, 1920, 1040),
              (MainWindowPlacement{{5, 6, 600, 350}, false}));

    // Saved maximised: centred with the computed height, then maximised.
    EXPECT_EQ(PlaceMainWindow({5, 6, 800, 500, 1}, designed, minWidth, minHeight, 1920, 1040),
              (MainWindowPlacement{{660, 260, 600, 520}, true}));
    // Any other state: the saved bounds are ignored and the window stays where its design put it.
    EXPECT_EQ(PlaceMainWindow({5, 6, 800, 500, 5}, designed, minWidth, minHeight, 1920, 1040),
              (MainWindowPlacement{{100, 80, 600, 520}, false}));

    ProgramSettings settings;
    RecordMainWindowPlacement(settings, {1, 2, 3, 4}, false);
    EXPECT_EQ(settings.ReportListPosition, (WindowPosition{1, 2, 3, 4, 0}));
}
