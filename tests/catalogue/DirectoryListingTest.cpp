// Directory listings: the lines the library writes, the staleness check against the archive subfolder,
// and the rebuild through the built library.

#include "catalogue/DirectoryListing.h"
#include "core/UserAccess.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SmallFileSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace talmere;
using test::Folder;
using test::Q;
using test::TypeSection;
namespace fs = std::filesystem;

TEST(ListingLine, DateTimeNameAndUpToTwelveColumns)
{
    TDirectoryListingInfo info;
    ASSERT_TRUE(ParseDirectoryListingLine("  20240131|0905|AB240131.001|01/31/2024|09:05|Desc|AB240131.001\r\n", info));
    EXPECT_DOUBLE_EQ(info.ReportDateTime, EncodeDateTime(DateTimeParts{2024, 1, 31, 9, 5, 0, 0}));
    EXPECT_EQ(info.FileName, "AB240131.001");
    EXPECT_EQ(info.Columns[0], "01/31/2024");
    EXPECT_EQ(info.Columns[3], "AB240131.001");
    EXPECT_EQ(info.Columns[4], "");

    // Nothing after the third bar: every column empty (also those of an earlier line).
    ASSERT_TRUE(ParseDirectoryListingLine("20240229|2359|F|", info));
    EXPECT_EQ(info.FileName, "F");
    EXPECT_EQ(info.Columns[0], "");
    EXPECT_EQ(info.Columns[3], "");

    // After twelve columns each ended by a bar, the rest is ignored; values are not trimmed.
    ASSERT_TRUE(ParseDirectoryListingLine("20240101|0000|F|1|2|3|4|5|6|7|8|9|10|11| 12 |13|14", info));
    EXPECT_EQ(info.Columns[11], " 12 ");
    EXPECT_EQ(info.Columns[10], "11");

    for (const char* bad :
         {"20240131|0905|NO-COLUMNS", "20240131|0905", "20240230|0905|F|", "20241301|0905|F|", "2024X131|0905|F|",
          "20240131|2400|F|", "20240131|1260|F|", "20240131|09:5|F|", "", "|||"}) {
        EXPECT_FALSE(ParseDirectoryListingLine(bad, info)) << bad;
    }
}

TEST(ListingStaleness, OnlyTheNamesOfTheFolderCount)
{
    test::TempFolder root;
    fs::create_directories(root / "AB" / "SUBFOLDER");
    const QString folder = Folder(root / "AB");
    const QString listing = Q(root / "TALMRDAB.DIR");
    // No files and no listing: nothing to rebuild.
    EXPECT_FALSE(IsDirectoryListingStale(listing, folder));

    test::WriteFile(root / "AB" / "ab240131.001", "");
    test::WriteFile(root / "AB" / ".hidden", "");
    test::WriteFile(root / "TALMRDAB.DIR", "20240131|0905|.HIDDEN|x\r\n\r\n   \n20240131|0905|AB240131.001|x\n");
    EXPECT_FALSE(IsDirectoryListingStale(listing, folder));

    test::WriteFile(root / "AB" / "AB240131.002", "");
    EXPECT_TRUE(IsDirectoryListingStale(listing, folder)) << "a file the listing does not name";
    fs::remove(root / "AB" / "AB240131.002");
    fs::remove(root / "AB" / ".hidden");
    EXPECT_TRUE(IsDirectoryListingStale(listing, folder)) << "a listed file that is gone";

    test::WriteFile(root / "TALMRDAB.DIR", "20240131|0905|AB240131.001\r\n");
    EXPECT_TRUE(IsDirectoryListingStale(listing, folder)) << "a line without its column part";
    // One file cannot stand for two lines of its name.
    test::WriteFile(root / "TALMRDAB.DIR", "20240131|0905|AB240131.001|\r\n20240131|0905|AB240131.001|\r\n");
    EXPECT_TRUE(IsDirectoryListingStale(listing, folder));
}

namespace {

class ListingRebuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.writeConfiguration("[Report Types]\nLetters=\n" +
                                 TypeSection("Letters", {"ReportDesc=Letters", "ArchivePrefix=LT", "FileNameMask=*.TXT",
                                                         "StagingDirectory=%SERVER_DIR%\\mailbox"}));
        ASSERT_TRUE(world.load());
        world.put(world.archive() / "LT", "LT240131.001", "a", DateTimeParts{2024, 1, 31, 9, 5, 0, 0});
    }
    std::string listing() { return test::ReadFile(world.privateFolderListing("LT")); }

    test::ArchiveWorld world;
    const std::string kFromLibrary =
        "20240131|0905|LT240131.001|01/31/2024|09:05|Letters - 01/31/2024|LT240131.001\r\n";
};

} // namespace

TEST_F(ListingRebuild, TheLibraryIsAskedOnlyWhenTheListingIsStaleOrForced)
{
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, false, true));
    EXPECT_EQ(listing(), kFromLibrary);

    // A listing that names the folder's files is kept as it is.
    const std::string cached = "20240131|0905|LT240131.001|cached\r\n";
    test::WriteFile(world.privateFolderListing("LT"), cached);
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, false, true));
    EXPECT_EQ(listing(), cached);
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, true));
    EXPECT_EQ(listing(), kFromLibrary);
    EXPECT_TRUE(world.prompts().shown.empty());

    // Without an archive subfolder there is nothing to do.
    fs::remove_all(world.archive() / "LT");
    EXPECT_TRUE(RebuildDirectoryListing(world.context(), 0, true, true));
    EXPECT_EQ(listing(), kFromLibrary);
}

TEST_F(ListingRebuild, AFailedRebuildKeepsTheOldListingAndNoTemporaryFile)
{
    const std::vector<std::string> privateFiles = test::FileNames(world.install() / "private");
    world.context().reportLibraryCandidates = {(world.root() / "nowhere.so").string()};
    EXPECT_FALSE(RebuildDirectoryListing(world.context(), 0, true, false));
    EXPECT_TRUE(world.prompts().shown.empty());
    EXPECT_EQ(test::FileNames(world.install() / "private"), privateFiles);

    test::WriteFile(world.privateFolderListing("LT"), "stale\r\n");
    EXPECT_FALSE(RebuildDirectoryListing(world.context(), 0, false, true));
    EXPECT_EQ(listing(), "stale\r\n");
    EXPECT_EQ(world.prompts().errors(),
              QStringList{"Unable to rebuild report directory listing [Unable to load report viewer library.]."});
    // Still stale: the next check tries again, and with the library there it succeeds.
    world.context().reportLibraryCandidates = {TALMRDLL_PATH};
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, false, true));
    EXPECT_EQ(listing(), kFromLibrary);
    EXPECT_EQ(test::FileNames(world.install() / "private"), std::vector<std::string>{"TALMRDLT.DIR"});
}

TEST_F(ListingRebuild, OnlyTheListingsOwnTemporariesLeftByAKilledRebuildAreRemoved)
{
    const fs::path folder = world.install() / "private";
    const auto aged = [&](const std::string& name, int hours) {
        test::WriteFile(folder / name, "half a listing");
        fs::last_write_time(folder / name, fs::file_time_type::clock::now() - std::chrono::hours(hours));
    };
    aged("TALMRDLT.DIR.new-a1B2c3", 2);
    aged("TALMRDLT.DIR.new-Zz9y8x", 0); // perhaps another run's, still writing
    aged("TALMRDLT.DIR.new-abc", 2);
    aged("TALMRDLX.DIR.new-a1B2c3", 2);
    aged("TALMRDLT.DIR", 2);
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, false));
    EXPECT_EQ(listing(), kFromLibrary);
    EXPECT_EQ(test::FileNames(folder), (std::vector<std::string>{"TALMRDLT.DIR", "TALMRDLT.DIR.new-Zz9y8x",
                                                                 "TALMRDLT.DIR.new-abc", "TALMRDLX.DIR.new-a1B2c3"}));
}

TEST_F(ListingRebuild, AListingThatNoLongerFitsOnAFullDiskLeavesTheOldOneWhole)
{
    const fs::path folder = world.install() / "private";
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, true, false));
    TALMERE_MOUNT_SMALL_FILE_SYSTEM(small, folder, "64k");
    test::WriteFile(world.privateFolderListing("LT"), kFromLibrary);
    // Two hundred reports more: a listing of some twenty kilobytes, with eight left on the volume.
    for (int i = 2; i < 202; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "LT240131.%03d", i);
        world.put(world.archive() / "LT", name, "a", DateTimeParts{2024, 1, 31, 9, 5, 0, 0});
    }
    const std::uintmax_t filled = small.fill("filler");
    fs::resize_file(folder / "filler", filled - 8192);

    EXPECT_FALSE(RebuildDirectoryListing(world.context(), 0, true, true));
    EXPECT_EQ(listing(), kFromLibrary);
    EXPECT_EQ(test::FileNames(folder), (std::vector<std::string>{"TALMRDLT.DIR", "filler"}));
    ASSERT_EQ(world.prompts().errors().size(), 1);
    EXPECT_TRUE(world.prompts().errors().front().startsWith("Unable to rebuild report directory listing ["));

    // With room again, the rebuild replaces it.
    fs::remove(folder / "filler");
    ASSERT_TRUE(RebuildDirectoryListing(world.context(), 0, false, false));
    EXPECT_EQ(ReadListingLines(Q(world.privateFolderListing("LT"))).size(), 201u);
    EXPECT_EQ(test::FileNames(folder), std::vector<std::string>{"TALMRDLT.DIR"});
}

TEST_F(ListingRebuild, AnotherWorkstationsArchiveLockIsWaitedForThenReported)
{
    ApplicationContext& context = world.context();
    context.flags.BypassAccessChecks = false;
    ASSERT_TRUE(RegisterUser(context));
    test::ChildProcess other(TALMERE_ACCESS_PROBE, {Folder(world.server())}, world.installation().processEnvironment());
    ASSERT_EQ(other.ask("register"), "registered 2");
    ASSERT_EQ(other.ask("acquire 0"), "acquired 0");
    test::WriteFile(world.privateFolderListing("LT"), kFromLibrary);

    EXPECT_FALSE(RebuildDirectoryListing(context, 0, false, true));
    EXPECT_EQ(world.prompts().errors(), QStringList{"Unable to rebuild report directory listing [Exclusive access to "
                                                    "the report archive could not be obtained]."});
    EXPECT_FALSE(fs::exists(world.privateFolderListing("LT")));
    EXPECT_EQ(context.userAccess.archiveLockNesting, 0);

    ASSERT_EQ(other.ask("release"), "released");
    EXPECT_TRUE(RebuildDirectoryListing(context, 0, false, true));
    EXPECT_EQ(listing(), kFromLibrary);
    UnregisterUser(context);
}
