// The per-user settings store: where it lives, and names without regard to case as in the registry.

#include "platform/SettingsStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using platform::OpenUserSettings;

namespace {

// Points XDG_CONFIG_HOME at a temporary folder for the life of the object.
struct TemporaryConfigHome {
    const std::filesystem::path& path() const { return folder.path(); }
    test::TempFolder folder;
    test::ScopedEnvironment variable{"XDG_CONFIG_HOME", folder.path().c_str()};
};

} // namespace

TEST(SettingsStore, LivesInTheUsersConfigFolderAndReadsBackWhatWasWritten)
{
    TemporaryConfigHome home;
    {
        auto store = OpenUserSettings("Brennwick", "Talmere");
        EXPECT_EQ(store->value("General", "ReportArchivePreprocessor"), std::nullopt);
        EXPECT_FALSE(store->hasGroup("General"));
        store->setValue("General", "ReportArchivePreprocessor", "\"/opt/pre run.sh\" a,b");
        store->setValue("General", "ReportListPositionLeft", "-1");
        store->setValue("Reports/ACK 997", "ArchiveDays", "30");
        EXPECT_TRUE(store->flush());
    }
    const std::filesystem::path file = home.path() / "Brennwick" / "Talmere.conf";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(platform::UserSettingsFile("Brennwick", "Talmere"), QString::fromStdString(file.string()));

    auto store = OpenUserSettings("Brennwick", "Talmere");
    EXPECT_EQ(store->value("General", "ReportArchivePreprocessor"), "\"/opt/pre run.sh\" a,b");
    EXPECT_EQ(store->value("General", "ReportListPositionLeft"), "-1");
    EXPECT_EQ(store->value("Reports/ACK 997", "ArchiveDays"), "30");
    EXPECT_EQ(store->childGroups("Reports"), QStringList{"ACK 997"});
    EXPECT_EQ(store->valueNames("General").size(), 2);
}

TEST(SettingsStore, NamesAreFoundWithoutRegardToCaseAndKeepTheirFirstSpelling)
{
    TemporaryConfigHome home;
    auto store = OpenUserSettings("Brennwick", "Talmere");
    store->setValue("Reports/Ack997", "ReportPrinter", "Laser");
    store->setValue("REPORTS/ACK997", "reportprinter", "Ink");
    store->setValue("general", "MailboxCleanupDays", "10");

    EXPECT_EQ(store->value("reports/ack997", "REPORTPRINTER"), "Ink");
    EXPECT_EQ(store->childGroups("reports"), QStringList{"Ack997"});
    EXPECT_EQ(store->valueNames("Reports/Ack997"), QStringList{"ReportPrinter"});
    EXPECT_EQ(store->value("General", "mailboxcleanupdays"), "10");

    store->removeGroup("REPORTS");
    EXPECT_FALSE(store->hasGroup("Reports"));
    EXPECT_EQ(store->value("Reports/Ack997", "ReportPrinter"), std::nullopt);
    EXPECT_TRUE(store->hasGroup("General"));
}

TEST(SettingsStore, AHandWrittenListReadsAsOneTextAndAReadOnlyStoreWritesNothing)
{
    TemporaryConfigHome home;
    std::filesystem::create_directories(home.path() / "Brennwick");
    test::WriteFile(home.path() / "Brennwick" / "Qorva32.conf",
                    "[General]\nServerDirectory=/srv/qorva/\nProductName=Qorva, Billing\n");

    auto product = OpenUserSettings("Brennwick", "Qorva32", true);
    EXPECT_EQ(product->value("General", "ServerDirectory"), "/srv/qorva/");
    EXPECT_EQ(product->value("General", "ProductName"), "Qorva,Billing");
    product->setValue("General", "ServerDirectory", "/elsewhere/");
    product->removeGroup("General");
    EXPECT_TRUE(product->flush());
    product.reset();
    EXPECT_EQ(test::ReadFile(home.path() / "Brennwick" / "Qorva32.conf"),
              "[General]\nServerDirectory=/srv/qorva/\nProductName=Qorva, Billing\n");
}
