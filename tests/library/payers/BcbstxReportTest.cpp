// BCBSTX line-printer reports: listed like text reports, shown with their page breaks.

#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

TEST(BcbstxReport, OnlyTheNewPageCodeStartsAPage)
{
    test::TempFolder folder;
    const test::ReportRun run = RunReport("BCBSTX_TEXT", TestData("bcbstx_text/TX240307.001"), folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("bcbstx_text/TX240307.001.txt")));
}

TEST(BcbstxReport, EveryOtherCodeIsOneLineBreakAndEmptyLinesStayEmpty)
{
    test::TempFolder folder;
    WriteFile(folder / "r.txt", " first\n0second\n-third\n\n1page two\n <<mark stays");
    const test::ReportRun run = RunReport("BCBSTX_TEXT", folder / "r.txt", folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "\r\nfirst\r\nsecond\r\nthird\r\n\fpage two\r\n<<mark stays\r\n");

    WriteFile(folder / "empty.txt", "");
    EXPECT_EQ(RunReport("BCBSTX_TEXT", folder / "empty.txt", folder).text, "\r\n");
    EXPECT_EQ(RunReport("BCBSTX_TEXT", folder / "missing.txt", folder).status, kStatusFileMissing);
}

TEST(BcbstxReport, IsListedByFileDateLikeATextReport)
{
    test::TimeZone zone("UTC0");
    test::TempFolder folder;
    WriteFile(folder / "tx240307.001", "1REPORT\n");
    test::SetModificationTime(folder / "tx240307.001", {2024, 3, 7, 9, 5, 0});
    const test::ListingRun run = test::RunListing("BCBSTX_TEXT", folder.folderText(), folder, "TX", "BCBSTX reports");
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "20240307|0905|TX240307.001|03/07/2024|09:05|BCBSTX reports - 03/07/2024|TX240307.001\r\n");
}
