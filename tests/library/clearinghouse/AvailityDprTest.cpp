// Availity DPR reports: listing, report, claim selection and the DPR value rules.

#include "library/clearinghouse/AvailityDpr.h"
#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

namespace {

using DprReport = ReportFolderTest;

const std::string kClaim = "CST|ID|PCN1|P1|BP|DOE|20240301|10|20240302|A^1^text^2300^CLM^01|\r\n";

} // namespace

TEST(DprValues, ServiceDatesInEveryFormOfThePayers)
{
    for (const char* date : {"0240307", "20240307", "03072024", "2024-03-07", " 20240307 "}) {
        EXPECT_EQ(ReformatDprDate(date), "03/07/2024") << date;
    }
    EXPECT_EQ(ReformatDprDate("9990307"), "03/07/1999");
    EXPECT_EQ(ReformatDprDate(" 3/7/2024 "), " 3/7/2024 ") << "other values stay as they are";
}

TEST(DprValues, AmountsLoseTheirLeadingZeros)
{
    EXPECT_EQ(FormatDprAmount("000125.50"), "125.50");
    EXPECT_EQ(FormatDprAmount("0012.5"), "12.5");
    EXPECT_EQ(FormatDprAmount("000000"), "0");
    EXPECT_EQ(FormatDprAmount("0.00"), "0");
    EXPECT_EQ(FormatDprAmount("0."), "0");
    EXPECT_EQ(FormatDprAmount(""), "");
}

TEST(DprValues, TimeStampsMayLeaveOutSecondsButNotHaveLettersThere)
{
    EXPECT_EQ(ReadDprTimeStamp("202403071405"), (DateTimeParts{2024, 3, 7, 14, 5, 0, 0}));
    EXPECT_EQ(ReadDprTimeStamp("20240307140509  "), (DateTimeParts{2024, 3, 7, 14, 5, 9, 0}));
    EXPECT_FALSE(ReadDprTimeStamp("202403071405AB"));
    EXPECT_FALSE(ReadDprTimeStamp("2024030714"));
    EXPECT_FALSE(ReadDprTimeStamp("202402301405"));
}

TEST(DprValues, MessagesAreSplitAtBackslashesAndIntoSixParts)
{
    std::vector<TAvailityDPRRecordCSTMessageInfo> messages;
    SplitDprMessages(" A ^ 1 ^ first ^ 2300 ^ CLM ^ 01 ^ more \\\\ \\B+2+second+2400+SV1+02\\only^four^carets^here ",
                     messages);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].type, "A");
    EXPECT_EQ(messages[0].text, "first");
    EXPECT_EQ(messages[0].element, "01 ^ more");
    EXPECT_EQ(messages[1].segmentId, "SV1");
    EXPECT_EQ(messages[2].type, "");
    EXPECT_EQ(messages[2].text, "only^four^carets^here");
}

TEST_F(DprReport, HeadingsClaimsAndMessagesAreLaidOutAsExpected)
{
    const test::ReportRun run = RunReport("AVAILITY_DPR", TestData("availity_dpr/claims.dpr"), m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_dpr/claims.txt")));
}

TEST_F(DprReport, OnlyAHeadingWithAClaimIsListed)
{
    const test::ListingRun run = RunListing("AVAILITY_DPR", TestData("availity_dpr/claims.dpr").string(), m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "20240311|0915|CLAIMS.DPR|03/11/2024|09:15:05|AV24031100310|MIXED|FCN000460|CLAIMS.DPR\r\n");

    const std::filesystem::path headingOnly = TestData("availity_dpr/heading-only.dpr");
    EXPECT_EQ(RunListing("AVAILITY_DPR", headingOnly.string(), m_folder).status, kStatusInvalidRecord);
    const test::ReportRun report = RunReport("AVAILITY_DPR", headingOnly, m_folder);
    EXPECT_EQ(report.status, kStatusSuccess);
    EXPECT_EQ(LinesStartingWith(report.text, "Availity Batch ID:").size(), 1u);

    EXPECT_EQ(RunListing("AVAILITY_DPR", write("claim-first.dpr", kClaim).string(), m_folder).status,
              kStatusInvalidRecord);
}

TEST_F(DprReport, AnInvalidRecordStopsTheReportWithStatusSix)
{
    const std::string heading = "DPR|202403110915|AV3|FCN3\r\n";
    const test::ReportRun run =
        RunReport("AVAILITY_DPR", write("f.dpr", heading + kClaim + "CST|too|few|fields\r\n" + kClaim), m_folder);
    EXPECT_EQ(run.status, kStatusInvalidFormat);
    EXPECT_EQ(LinesStartingWith(run.text, "  Patient Name:").size(), 1u);
    EXPECT_EQ(RunReport("AVAILITY_DPR", write("g.dpr", "DPR|2024031109AB|AV3\r\n"), m_folder).status,
              kStatusInvalidFormat);
}

TEST_F(DprReport, SelectionWritesEachHeadingOnceBeforeItsSelectedClaims)
{
    const test::ReportRun run =
        RunReport("AVAILITY_DPR", TestData("availity_dpr/claims.dpr"), m_folder, Filter(3, "MCD"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_dpr/claims-payer-mcd.txt")));

    auto patients = [&](int number, const std::string& value) {
        const std::string text =
            RunReport("AVAILITY_DPR", TestData("availity_dpr/claims.dpr"), m_folder, Filter(number, value)).text;
        return LinesStartingWith(text, "  Patient Name:").size();
    };
    EXPECT_EQ(patients(1, "pcn1001"), 1u);
    EXPECT_EQ(patients(2, "poe"), 2u);
    EXPECT_EQ(patients(4, "blue"), 1u);
    EXPECT_EQ(patients(5, "987"), 2u);
    EXPECT_EQ(patients(6, "main"), 2u);
    EXPECT_EQ(patients(7, "a1"), 1u);
    EXPECT_EQ(patients(7, "NA"), 2u) << "messages without a type";
    EXPECT_EQ(patients(7, "P"), 0u) << "a claim without messages never matches a message type";
}
