// Where each setting comes from on a first start and after a close, what a close writes back, the window
// placement rules and the default-printer check.

#include "core/ProgramSettings.h"
#include "core/ProductDirectories.h"
#include "platform/PrinterSystem.h"
#include "tests/support/ProgramTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>

using namespace talmere;
using test::Folder;

namespace {

class Settings : public ::testing::Test {
protected:
    Settings() { std::filesystem::create_directories(install / "ws"); }

    // A new start over the same stores and files.
    ProgramSettings& load()
    {
        ApplicationContext& context = install.restart();
        context.folders.InstallDirectory = context.folders.ServerDirectory = Folder(install / "ws");
        LoadSettings(context);
        return context.settings;
    }
    void writeTalmereIni(const std::string& text) { test::WriteFile(install / "ws" / "TALMERE.INI", text); }
    void store(const char* name, const char* value) { install.programStore().setValue("General", name, value); }

    test::Installation install;
};

class FakePrinters final : public platform::PrinterSystem {
public:
    QString defaultPrinterName() const override { return defaultName; }
    QStringList printerNames() const override { return {}; }
    QString defaultName;
};

} // namespace

TEST_F(Settings, AFirstStartTakesTheConfigurationFileAndTheBuiltInTexts)
{
    writeTalmereIni("[general]\nCenturyDatePivotYear=50\nperformmailboxcleanuponstartup=0\n"
                    "PurgeReportArchiveDays=  45  \nPurgeReportArchiveDays=99\nReportArchivePreprocessorTimeout=ten\n"
                    "DisplayPrinterDialogOnPreview=2\nReportArchiveDirectory=\"\\\\Reports\\Arc\"\n"
                    "[General]\nMailboxCleanupDays=5\n");
    const ProgramSettings& s = load();
    EXPECT_FALSE(s.PerformMailboxCleanupOnStartup);
    EXPECT_TRUE(s.DisplayPrinterDialogOnPreview);
    EXPECT_EQ(s.PurgeReportArchiveDays, 45);
    EXPECT_EQ(s.ReportArchivePreprocessorTimeout, 30); // not an integer: the default
    EXPECT_EQ(s.ReportArchiveDirectory, "\\\\Reports\\Arc");
    EXPECT_EQ(s.MailboxCleanupDays, 31); // only ever read from the user's store
    EXPECT_EQ(s.ReportListPosition, WindowPosition{});
    // Without QORVA32.INI: the built-in texts, and the pivot from TALMERE.INI.
    EXPECT_EQ(ApplicationTitle(install.context().settings), "Qorva Report Manager");
    EXPECT_EQ(s.Copyright, kBuiltInCopyright);
    EXPECT_EQ(s.CenturyDatePivotYear, 50);

    writeTalmereIni("[General]\n");
    EXPECT_TRUE(load().PerformMailboxCleanupOnStartup);
    EXPECT_EQ(install.context().settings.ReportArchiveDirectory, "Arctalmr");
}

TEST_F(Settings, QorvaIniDecidesEvenByLeavingKeysOut)
{
    writeTalmereIni("[General]\nCenturyDatePivotYear=50\n");
    test::WriteFile(install / "ws" / "qorva32.ini", "[GENERAL]\nCopyright=\xA9 Caf\xE9\nBypassUserMonitoring=7\n");
    const ProgramSettings& s = load();
    EXPECT_EQ(ApplicationTitle(install.context().settings), " Report Manager");
    EXPECT_EQ(s.Copyright, QString::fromUtf8("\u00A9 Caf\u00E9")); // Windows ANSI text
    EXPECT_EQ(s.OwnershipComment, "");
    EXPECT_EQ(s.CenturyDatePivotYear, 65); // QORVA32.INI's default, not TALMERE.INI's value
    EXPECT_TRUE(s.BypassUserMonitoring);
}

TEST_F(Settings, AfterACloseTheUsersStoreOverridesTheConfigurationFile)
{
    writeTalmereIni("[General]\nPerformMailboxCleanupOnStartup=0\nDisplayPrinterDialogOnPreview=1\n");
    load();
    SaveSettings(install.context());

    writeTalmereIni("[General]\nPerformMailboxCleanupOnStartup=1\nDisplayPrinterDialogOnPreview=0\n");
    ProgramSettings s = load();
    EXPECT_FALSE(s.PerformMailboxCleanupOnStartup);
    EXPECT_TRUE(s.DisplayPrinterDialogOnPreview);

    // An empty stored value is as good as none; a stored value that is no integer gives the default.
    store("PerformMailboxCleanupOnStartup", "");
    store("DisplayPrinterDialogOnPreview", "yes");
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
    store("MailboxCleanupDays", "12");
    ProgramSettings& s = load();
    EXPECT_EQ(s.MailboxCleanupDays, 12);
    s.ReportArchivePreprocessor = "%SW_HIDE%\"%SERVER_DIR%\\pre.sh\" a";
    RecordMainWindowPlacement(s, {10, 20, 700, 400}, true);
    s.LandscapePreviewDialog = {5, 6, 7, 8, 1};
    s.PurgeReportArchiveDays = 3; // not a user option: never written
    const ProgramSettings written = s;
    SaveSettings(install.context());

    auto reader = platform::OpenUserSettings("Brennwick", "Talmere");
    EXPECT_EQ(reader->childGroups(""), QStringList{"General"});
    EXPECT_EQ(reader->valueNames("General").size(), 19); // 18 written, and MailboxCleanupDays as it was
    EXPECT_EQ(reader->value("General", "PerformMailboxCleanupOnStartup"), "1");
    EXPECT_EQ(reader->value("General", "DisplayPrinterDialogOnPreview"), "0");
    EXPECT_EQ(reader->value("General", "ReportListPositionState"), "1");
    EXPECT_EQ(reader->value("General", "PortraitPreviewDialogLeft"), "-1");
    EXPECT_EQ(test::ReadFile(install / "ws" / "TALMERE.INI"), "[General]\n");

    const ProgramSettings& again = load();
    EXPECT_EQ(again.ReportArchivePreprocessor, written.ReportArchivePreprocessor);
    EXPECT_EQ(again.ReportListPosition, (WindowPosition{10, 20, 700, 400, 1}));
    EXPECT_EQ(again.LandscapePreviewDialog, (WindowPosition{5, 6, 7, 8, 1}));
    EXPECT_EQ(again.PurgeReportArchiveDays, 180);
}

TEST_F(Settings, ThePreviewWorkingSetComesFromAndGoesBackToOneOrientation)
{
    ApplicationContext& context = install.context();
    context.settings.LandscapePreviewDialog = {2, 2, 2, 2, 1};
    SelectPreviewPosition(context, 1);
    context.settings.PreviewPosition.Left = 50;
    StorePreviewPosition(context, 1);
    StorePreviewPosition(context, 2); // neither orientation: nothing happens
    EXPECT_EQ(context.settings.LandscapePreviewDialog, (WindowPosition{50, 2, 2, 2, 1}));
    EXPECT_EQ(context.settings.PortraitPreviewDialog, WindowPosition{});
}

TEST_F(Settings, TheDefaultPrinterCheckTellsTheUserOnlyWhenAsked)
{
    ApplicationContext& context = install.context();
    FakePrinters printers;
    EXPECT_FALSE(CheckDefaultPrinter(context, printers, false));
    EXPECT_TRUE(install.prompts().shown.empty());
    EXPECT_FALSE(CheckDefaultPrinter(context, printers, true));
    EXPECT_EQ(install.prompts().errors(), QStringList{"This system has no default printer assigned. Reports cannot "
                                                      "be printed without a default printer assignment."});
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
    const auto place = [&](const WindowPosition& saved, int width, int height) {
        return PlaceMainWindow(saved, designed, 600, 350, width, height);
    };
    // Never saved: centred, half the screen's height, but never below the minimum; fractions dropped
    // towards zero.
    EXPECT_EQ(place({}, 1920, 1041), (MainWindowPlacement{{660, 260, 600, 520}, false}));
    EXPECT_EQ(place({}, 599, 600), (MainWindowPlacement{{0, 125, 600, 350}, false}));
    EXPECT_EQ(place({}, 597, 600), (MainWindowPlacement{{-1, 125, 600, 350}, false}));
    // Saved normal, or without a state: the saved bounds, grown to the minimum size where smaller.
    EXPECT_EQ(place({5, 6, 800, 500, 0}, 1920, 1040), (MainWindowPlacement{{5, 6, 800, 500}, false}));
    EXPECT_EQ(place({5, 6, -1, 20, -1}, 1920, 1040), (MainWindowPlacement{{5, 6, 600, 350}, false}));
    // Saved maximised: centred with the computed height, then maximised.
    EXPECT_EQ(place({5, 6, 800, 500, 1}, 1920, 1040), (MainWindowPlacement{{660, 260, 600, 520}, true}));
    // Any other state: the saved bounds are ignored and the window stays where its design put it.
    EXPECT_EQ(place({5, 6, 800, 500, 5}, 1920, 1040), (MainWindowPlacement{{100, 80, 600, 520}, false}));
}

// The [General] table of the administrator's manual against the loader: the same keys, the defaults it
// states, and each key read under the name it gives.
TEST_F(Settings, TheManualsGeneralKeysAreTheOnesTheProgramReadsWithTheirDefaults)
{
    const std::string manual = test::ReadFile(TALMERE_ADMIN_MANUAL);
    const std::size_t begin = manual.find("<!-- general-keys -->");
    const std::size_t end = manual.find("<!-- /general-keys -->");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    std::map<std::string, std::string> documented; // key: default, as the manual writes them
    std::istringstream rows(manual.substr(begin, end - begin));
    for (std::string row; std::getline(rows, row);) {
        if (row.rfind("| `", 0) != 0) {
            continue;
        }
        const std::size_t keyEnd = row.find('`', 3);
        const std::size_t defaultStart = row.find('`', keyEnd + 1);
        const std::size_t defaultEnd = row.find('`', defaultStart + 1);
        ASSERT_NE(defaultEnd, std::string::npos) << row;
        documented[row.substr(3, keyEnd - 3)] = row.substr(defaultStart + 1, defaultEnd - defaultStart - 1);
    }

    // What each key sets, as text; and a value that differs from every default.
    using Field = std::function<std::string(const ProgramSettings&)>;
    const auto number = [](int ProgramSettings::*member) {
        return Field([member](const ProgramSettings& s) { return std::to_string(s.*member); });
    };
    std::set<std::string> yesNoKeys = {"PurgeReportArchiveFiles",        "PerformMailboxCleanupOnStartup",
                                       "DisplayPrinterDialogOnPreview",  "BypassDefaultPrinterAssignmentCheck",
                                       "EnableCopyOrMoveBasedOnContext", "PerformStagedFileUnZIP"};
    const auto yesNo = [](bool ProgramSettings::*member) {
        return Field([member](const ProgramSettings& s) { return std::string(s.*member ? "1" : "0"); });
    };
    const std::map<std::string, Field> fields = {
        {"ReportArchiveDirectory", [](const ProgramSettings& s) { return s.ReportArchiveDirectory.toStdString(); }},
        {"CenturyDatePivotYear", number(&ProgramSettings::CenturyDatePivotYear)},
        {"PurgeReportArchiveFiles", yesNo(&ProgramSettings::PurgeReportArchiveFiles)},
        {"PurgeReportArchiveDays", number(&ProgramSettings::PurgeReportArchiveDays)},
        {"PerformMailboxCleanupOnStartup", yesNo(&ProgramSettings::PerformMailboxCleanupOnStartup)},
        {"DisplayPrinterDialogOnPreview", yesNo(&ProgramSettings::DisplayPrinterDialogOnPreview)},
        {"BypassDefaultPrinterAssignmentCheck", yesNo(&ProgramSettings::BypassDefaultPrinterAssignmentCheck)},
        {"ReportArchivePreprocessorTimeout", number(&ProgramSettings::ReportArchivePreprocessorTimeout)},
        {"EnableCopyOrMoveBasedOnContext", yesNo(&ProgramSettings::EnableCopyOrMoveBasedOnContext)},
        {"ContextCopyOrMoveRecentDays", number(&ProgramSettings::ContextCopyOrMoveRecentDays)},
        {"PerformStagedFileUnZIP", yesNo(&ProgramSettings::PerformStagedFileUnZIP)},
        {"ZipMaxTotalMB", number(&ProgramSettings::ZipMaxTotalMB)},
        {"ZipMaxEntries", number(&ProgramSettings::ZipMaxEntries)},
        {"ZipMaxRatio", number(&ProgramSettings::ZipMaxRatio)},
    };
    std::set<std::string> documentedKeys;
    for (const auto& [key, value] : documented) {
        documentedKeys.insert(key);
    }
    std::set<std::string> knownKeys;
    for (const auto& [key, field] : fields) {
        knownKeys.insert(key);
    }
    EXPECT_EQ(documentedKeys, knownKeys);

    writeTalmereIni("[General]\n");
    const ProgramSettings defaults = load();
    for (const auto& [key, field] : fields) {
        if (documented.count(key) != 0) {
            EXPECT_EQ(field(defaults), documented.at(key)) << key << ": the manual's default";
        }
        // Read under this very name: a value unlike the default changes the setting.
        const bool yesNoKey = yesNoKeys.count(key) != 0;
        const std::string other = key == "ReportArchiveDirectory" ? "Elsewhere"
                                  : yesNoKey                      ? (field(defaults) == "1" ? "0" : "1")
                                                                  : "7";
        writeTalmereIni("[General]\n" + key + "=" + other + "\n");
        EXPECT_EQ(field(load()), other) << key << " is not read under that name";
    }
}
