// The user's preferences: read from the loaded types and settings, applied to them and to the settings store,
// and the days control's range.

#include "config/Preferences.h"
#include "config/ReportConfiguration.h"
#include "tests/support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(Preferences, ReadAndApplyCoverTheListedTypesAndRewriteTheReportsGroupWhole)
{
    test::ArchiveWorld world;
    world.writeConfiguration(test::ReportListConfiguration());
    platform::SettingsStore& store = world.installation().programStore();
    store.setValue("Reports/Acks", "ArchiveDays", "30");
    store.setValue("Reports/Acks", "ReportPrinter", "Laser 2");
    store.setValue("Reports/Junk", "ArchiveDays", "5");
    store.setValue("Reports/Gone", "ArchiveDays", "5");
    store.setValue("ReportListColumns", "Acks", "1,2,3,4,5,6,7,8,9,10,11,12");
    ASSERT_TRUE(world.load());
    ApplicationContext& context = world.context();
    context.settings.ReportArchivePreprocessor = "prep.sh";

    PreferenceSet preferences = ReadPreferences(context);
    EXPECT_EQ(preferences.ReportArchivePreprocessor, "prep.sh");
    ASSERT_EQ(preferences.Types.size(), 3u) << "the action type is not listed";
    EXPECT_EQ(preferences.Types[0], (TReportPrefInfoRecord{1, "Acknowledgments", "30", "Laser 2"}));
    EXPECT_EQ(preferences.Types[1].ReportDesc, "Payer Letters");

    preferences.Types[0].ReportPrinter.clear();
    preferences.Types[1].ArchiveDays = "90";
    preferences.PerformMailboxCleanupOnStartup = false;
    ApplyPreferences(context, preferences);
    // At once for the loaded types...
    EXPECT_EQ(context.reportTypes[1].info.ReportPrinter, "");
    EXPECT_EQ(context.reportTypes[2].info.ArchiveDays, "90");
    EXPECT_FALSE(context.settings.PerformMailboxCleanupOnStartup);
    // ...and in the store: exactly the listed types, nothing of the action type or of types no longer configured.
    EXPECT_EQ(store.childGroups("Reports"), (QStringList{"Acks", "Claims", "Letters"}));
    EXPECT_EQ(store.value("Reports/Acks", "ReportPrinter"), "");
    EXPECT_EQ(store.value("Reports/Letters", "ArchiveDays"), "90");
    EXPECT_EQ(store.value("ReportListColumns", "Acks"), "1,2,3,4,5,6,7,8,9,10,11,12");

    // The next load takes them.
    FreeReportConfiguration(context);
    ASSERT_TRUE(world.load());
    EXPECT_EQ(context.reportTypes[2].info.ArchiveDays, "90");
}

TEST(Preferences, TheDaysControlShowsValuesBeyondItsRangeClampedAndKeepsThemUnlessChanged)
{
    EXPECT_EQ(ArchiveDaysShown("30", 180), 30);
    EXPECT_EQ(ArchiveDaysShown("-1", 180), 180);
    EXPECT_EQ(ArchiveDaysShown("0", 180), 1);
    EXPECT_EQ(ArchiveDaysShown("20000", 180), 9999);
    EXPECT_EQ(ArchiveDaysShown("-1", 0), 1);

    EXPECT_EQ(ArchiveDaysStored("20000", 9999, 9999), "20000");
    EXPECT_EQ(ArchiveDaysStored("20000", 9999, 9998), "9998");
    EXPECT_EQ(ArchiveDaysStored("0", 1, 1), "0");
    EXPECT_EQ(ArchiveDaysStored("30", 30, 30), "30");
    EXPECT_EQ(ArchiveDaysStored("30", 30, 45), "45");
    EXPECT_EQ(ArchiveDaysStored("-1", 180, 180), "180") << "ticked: the number shown";
}
