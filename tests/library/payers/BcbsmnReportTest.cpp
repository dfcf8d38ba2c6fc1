// BCBSMN reports: the received-name stamp, the file-name match, the listing dates and descriptions, the
// carriage-control report, and the BCBSMN_2_TEXT listing.

#include "library/payers/BcbsmnReport.h"
#include "library/frame/OperatingSystem.h"
#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

namespace {

class BcbsmnReport : public ReportFolderTest {
protected:
    test::TimeZone m_zone{"UTC0"};

    void TearDown() override { SetCurrentLocalDateTimeForTesting(std::nullopt); }

    int call(const char* exportName, const std::filesystem::path& file, std::string_view param1 = {})
    {
        TReportViewerRequest request = MakeRequest("BCBSMN_TEXT");
        SetFieldText(request.ReportPath, file.string());
        SetFieldText(request.Params[0], param1);
        return CallBuiltLibrary(exportName, request).status;
    }

    // The listing line of one archived file, through the handler (the clock is set in this process).
    std::string listingLine(const std::string& name, int pivot = 65)
    {
        const TReportViewerRequest record = [&] {
            TReportViewerRequest r = MakeRequest("BCBSMN_TEXT");
            r.CenturyDatePivotYear = pivot;
            return r;
        }();
        const ReportRequest request(record, ReadCallSettings(record), kBcbsmnTextFormat);
        std::string line;
        EXPECT_EQ(BuildBcbsmnListingLine(m_folder / name, name, request, line), kStatusSuccess);
        return line;
    }
};

} // namespace

TEST_F(BcbsmnReport, TheStampIsAppendedOnceAndListedAfterArchiving)
{
    const std::filesystem::path staged = m_folder / "pmaa045";
    std::filesystem::copy_file(TestData("bcbsmn_text/PMAA045"), staged);
    const std::string original = ReadFile(staged);
    EXPECT_EQ(call(kPerformReportPreArchiveTasks, staged), kStatusSuccess);
    EXPECT_EQ(ReadFile(staged), original + " <<ORIG FILE>> PMAA045\n");
    EXPECT_EQ(call(kPerformReportPreArchiveTasks, staged), kStatusSuccess);
    EXPECT_EQ(ReadFile(staged), original + " <<ORIG FILE>> PMAA045\n");
    EXPECT_EQ(FindReceivedName(staged), "PMAA045");

    std::filesystem::rename(staged, m_folder / "MN240214.001");
    const test::ListingRun run = RunListing("BCBSMN_TEXT", m_folder.folderText(), m_folder, "MN");
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "20240214|1200|MN240214.001|02/14/2024|Medicare UB92 BCBSM/EC Confirmation Report|"
                        "MN240214.001\r\n");

    const test::ReportRun report = RunReport("BCBSMN_TEXT", m_folder / "MN240214.001", m_folder);
    EXPECT_EQ(report.status, kStatusSuccess);
    EXPECT_EQ(report.text, ReadFile(TestData("bcbsmn_text/MN240214.001.txt")));

    EXPECT_EQ(call(kPerformReportPreArchiveTasks, m_folder / "gone"), kStatusFileMissing);
}

TEST_F(BcbsmnReport, TheStampStandsOnALineOfItsOwnSoThatTheReportLeavesItOut)
{
    WriteFile(m_folder / "TBCG001", "1LAST LINE WITHOUT A LINE END");
    EXPECT_EQ(call(kPerformReportPreArchiveTasks, m_folder / "TBCG001"), kStatusSuccess);
    EXPECT_EQ(FindReceivedName(m_folder / "TBCG001"), "TBCG001");
    EXPECT_EQ(RunReport("BCBSMN_TEXT", m_folder / "TBCG001", m_folder).text, "LAST LINE WITHOUT A LINE END\r\n");
}

TEST_F(BcbsmnReport, TheCustomMatchNeedsTheCategoryAKnownEnvironmentAndAKnownKind)
{
    WriteFile(m_folder / "PMAA045", "x");
    WriteFile(m_folder / "PMAZ045", "x");
    WriteFile(m_folder / "XMAA045", "x");
    EXPECT_EQ(call(kPerformCustomMatchTest, m_folder / "pmaa045", "ma"), kStatusCustomMatch);
    EXPECT_EQ(call(kPerformCustomMatchTest, m_folder / "PMAA045", "MB"), kStatusNoCustomMatch);
    EXPECT_EQ(call(kPerformCustomMatchTest, m_folder / "PMAA045", ""), kStatusNoCustomMatch);
    EXPECT_EQ(call(kPerformCustomMatchTest, m_folder / "PMAZ045", "MA"), kStatusNoCustomMatch);
    EXPECT_EQ(call(kPerformCustomMatchTest, m_folder / "XMAA045", "MA"), kStatusNoCustomMatch);
    EXPECT_EQ(call(kPerformCustomMatchTest, m_folder / "PMAB999", "MA"), kStatusNoCustomMatch) << "missing file";
}

TEST_F(BcbsmnReport, NamesAreDescribedByTheirThreeCodes)
{
    EXPECT_EQ(DescribeBcbsmnName("tbcg001"), "Blue Cross UB92 Clearinghouse Confirmation Report [TEST]");
    EXPECT_EQ(DescribeBcbsmnName("PD1U100"), "DHS/Medicaid NSF Payment Summary Report");
    EXPECT_EQ(DescribeBcbsmnName("PXXA100"), "Unrecognized Report Type");
    EXPECT_EQ(DescribeBcbsmnName("PM"), "Unrecognized Report Type");
}

TEST_F(BcbsmnReport, ListingDatesComeFromTheArchiveNameTheDayOfTheYearOrTheFile)
{
    SetCurrentLocalDateTimeForTesting(DateTimeParts{2024, 2, 10, 8, 0, 0, 0});
    // The archive name's date, with the two-digit year expanded by the pivot.
    WriteFile(m_folder / "MN660101.001", "x");
    EXPECT_EQ(listingLine("MN660101.001"), "19660101|1200|MN660101.001|01/01/1966|Unrecognized Report Type|"
                                           "MN660101.001");
    WriteFile(m_folder / "MN650101.001", "x");
    EXPECT_TRUE(listingLine("MN650101.001").starts_with("20650101|"));

    // A short name: the day of the year of the received name, in the last twelve months.
    WriteFile(m_folder / "MN1", "x <<ORIG FILE>> PMAA045\n");
    EXPECT_EQ(listingLine("MN1"), "20230214|1200|MN1|02/14/2023|Medicare UB92 BCBSM/EC Confirmation Report|MN1");
    WriteFile(m_folder / "MN2", "x <<ORIG FILE>> PMAA041\n");
    EXPECT_TRUE(listingLine("MN2").starts_with("20240210|"));
    // A received name that ends before position 7 gives the day of the year it has there.
    WriteFile(m_folder / "MN4", "x <<ORIG FILE>> PMAA45\n");
    EXPECT_TRUE(listingLine("MN4").starts_with("20230214|1200|MN4|02/14/2023|"));

    // Neither: the file's own date.
    WriteFile(m_folder / "MN3", "x <<ORIG FILE>> PMAA000\n");
    test::SetModificationTime(m_folder / "MN3", {2023, 7, 4, 15, 0, 0});
    EXPECT_TRUE(listingLine("MN3").starts_with("20230704|1200|MN3|07/04/2023|"));
    WriteFile(m_folder / "MN456789.001", "no mark");
    test::SetModificationTime(m_folder / "MN456789.001", {2023, 7, 5, 15, 0, 0});
    EXPECT_TRUE(listingLine("MN456789.001").starts_with("20230705|")) << "month 67 is no date";
}

TEST_F(BcbsmnReport, CarriageControlsBecomePageBreaksAndBlankLines)
{
    WriteFile(m_folder / "r",
              "1FIRST\n0AFTER ONE BLANK\n-AFTER TWO BLANKS\n+OVERPRINT\n\n <<ORIG FILE>> X\n1NEXT PAGE");
    const test::ReportRun run = RunReport("BCBSMN_TEXT", m_folder / "r", m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "FIRST\r\n\r\nAFTER ONE BLANK\r\n\r\n\r\nAFTER TWO BLANKS\r\nOVERPRINT\r\n\fNEXT PAGE\r\n");
    EXPECT_EQ(RunReport("BCBSMN_TEXT", m_folder / "missing", m_folder).status, kStatusFileMissing);
}

TEST_F(BcbsmnReport, TheSecondTypeIsDescribedByItsThirdLine)
{
    std::filesystem::copy_file(TestData("bcbsmn_2_text/summary.txt"), m_folder / "M2240307.001");
    WriteFile(m_folder / "M2240308.001", "one\r\ntwo\r\n");
    WriteFile(m_folder / "M2240309.001", "one\r\ntwo\r\n   \r\nfour\r\n");
    for (const char* name : {"M2240307.001", "M2240308.001", "M2240309.001"}) {
        test::SetModificationTime(m_folder / name, {2024, 3, 7, 9, 5, 0});
    }
    const test::ListingRun run = RunListing("BCBSMN_2_TEXT", m_folder.folderText(), m_folder, "M2", "Summaries");
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "20240307|0905|M2240307.001|03/07/2024|09:05|Weekly claim status for Example Billing|"
                        "M2240307.001\r\n"
                        "20240307|0905|M2240308.001|03/07/2024|09:05|Summaries - 03/07/2024|M2240308.001\r\n"
                        "20240307|0905|M2240309.001|03/07/2024|09:05|Summaries - 03/07/2024|M2240309.001\r\n");
}
