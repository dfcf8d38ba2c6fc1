// Alabama Medicaid BRF files: listing, report, claim selection and the fixed-width record.

#include "library/payers/AlabamaMedicaidBrfRecords.h"
#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

namespace {

class BrfReport : public ReportFolderTest {
protected:
    test::TimeZone m_zone{"UTC0"};
    std::filesystem::path m_claims = m_folder / "AL240308.001";

    void SetUp() override
    {
        std::filesystem::copy_file(TestData("alabama_medicaid_brf/claims.brf"), m_claims);
        test::SetModificationTime(m_claims, {2024, 3, 8, 7, 45, 30});
    }
};

} // namespace

TEST(BrfValues, AmountsAreInCentsAndStatusesHaveTexts)
{
    EXPECT_EQ(FormatBrfAmount("000012345"), "123.45");
    EXPECT_EQ(FormatBrfAmount("000000000"), "0.00");
    EXPECT_EQ(FormatBrfAmount(""), "NA");
    EXPECT_EQ(FormatBrfAmount("5"), ".5");
    EXPECT_EQ(BrfStatusText("P"), "P (paid)");
    EXPECT_EQ(BrfStatusText("S"), "S (suspended)");
    EXPECT_EQ(BrfStatusText("D"), "D (denied)");
    EXPECT_EQ(BrfStatusText("X"), "X");
}

TEST(BrfValues, ShortLinesGiveEmptyFieldsAndErrorCountsAreCapped)
{
    TAlabamaMedicaidBFRRecordInfo record;
    ASSERT_TRUE(ReadBrfRecord("TP1            TRACK1", record));
    EXPECT_EQ(record.fileTrackingId, "TRACK1");
    EXPECT_EQ(record.claimStatus, "");
    EXPECT_EQ(record.errorsRead, 0);

    const std::string line = ReadFile(TestData("alabama_medicaid_brf/many-errors.brf"));
    ASSERT_TRUE(ReadBrfRecord(line.substr(0, line.size() - 2), record));
    EXPECT_EQ(record.errorsRead, 50);
    EXPECT_EQ(record.errors[49].message, "ERROR NUMBER 50");
    ASSERT_TRUE(ReadBrfRecord("TP2", record));
    EXPECT_EQ(record.errorsRead, 0);
    EXPECT_EQ(record.errors[0].message, "") << "errors of the line before are gone";
}

TEST_F(BrfReport, EachClaimIsShownWithItsAmountsAndErrors)
{
    const test::ReportRun run = RunReport("ALABAMA_MEDICAID_BRF", m_claims, m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("alabama_medicaid_brf/claims.txt")));

    EXPECT_EQ(LinesStartingWith(
                  RunReport("ALABAMA_MEDICAID_BRF", TestData("alabama_medicaid_brf/many-errors.brf"), m_folder).text,
                  "Error # ")
                  .size(),
              50u);
}

TEST_F(BrfReport, TheListingIsDatedByTheFileAndCountsTheStatuses)
{
    const test::ListingRun run = RunListing("ALABAMA_MEDICAID_BRF", m_folder.folderText(), m_folder, "AL");
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "20240308|0745|AL240308.001|03/08/2024|07:45:30|240307001|1|1|1|AL240308.001\r\n");

    WriteFile(m_folder / "empty.brf", "\r\n");
    EXPECT_EQ(RunListing("ALABAMA_MEDICAID_BRF", (m_folder / "empty.brf").string(), m_folder).status,
              kStatusInvalidRecord);
}

TEST_F(BrfReport, SelectionCopiesTheMatchingClaimsUnderTheFileTime)
{
    test::ReportRun run = RunReport("ALABAMA_MEDICAID_BRF", m_claims, m_folder, Filter(5, "D"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("alabama_medicaid_brf/claims-denied.txt")));

    auto claims = [&](int number, const std::string& value) {
        const std::string text = RunReport("ALABAMA_MEDICAID_BRF", m_claims, m_folder, Filter(number, value)).text;
        return LinesStartingWith(text, "Internal Cntrl No:").size();
    };
    EXPECT_EQ(claims(1, "pcn2"), 2u);
    EXPECT_EQ(claims(2, "r000111"), 1u);
    EXPECT_EQ(claims(3, "2024067000103"), 1u);
    EXPECT_EQ(claims(4, "prv765"), 2u);
    EXPECT_EQ(claims(5, "p s"), 2u);
    EXPECT_EQ(claims(5, "x"), 1u);
}
