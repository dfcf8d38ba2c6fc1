// Availity EBR reports: listing, report and claim selection through the built library.

#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

namespace {

class EbrReport : public ReportFolderTest {
protected:
    std::vector<std::string> selectedPatients(int number, const std::string& value,
                                              const std::filesystem::path& file = TestData("availity_ebr/payers.ebr"))
    {
        const test::ReportRun run = RunReport("AVAILITY_EBR", file, m_folder, Filter(number, value));
        EXPECT_EQ(run.status, kStatusSuccess);
        std::vector<std::string> names;
        for (const std::string& line : LinesStartingWith(run.text, "Patient Name:")) {
            names.push_back(line.substr(20));
        }
        return names;
    }
};

const std::string kFile = "1|2024-03-08|06:30:00|X|AV2|FCN2\r\n";

} // namespace

TEST_F(EbrReport, MessagesPayersAndClaimPartsAreLaidOutAsExpected)
{
    const test::ReportRun run = RunReport("AVAILITY_EBR", TestData("availity_ebr/payers.ebr"), m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_ebr/payers.txt")));
}

TEST_F(EbrReport, TheListingAddsUpThePayerCountsAndWorksOutMissingRejections)
{
    const test::ListingRun run = RunListing("AVAILITY_EBR", TestData("availity_ebr/payers.ebr").string(), m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text,
              "20240308|0630|PAYERS.EBR|03/08/2024|06:30:00|AV24030800077|MIXED|6|4|2|FCN000452|PAYERS.EBR\r\n");

    const test::ListingRun single =
        RunListing("AVAILITY_EBR", write("one.ebr", kFile + "2|Payer|10|7|||||\r\n").string(), m_folder);
    EXPECT_EQ(single.text, "20240308|0630|ONE.EBR|03/08/2024|06:30:00|AV2|Payer|10|7|3|FCN2|ONE.EBR\r\n");

    EXPECT_EQ(RunListing("AVAILITY_EBR", write("bad.ebr", "2|Payer|1|1\r\n" + kFile).string(), m_folder).status,
              kStatusInvalidRecord);
}

TEST_F(EbrReport, SubRecordsOfOneClaimMustBeOfOneKind)
{
    const std::string claim = "3|DOE|20240301|20240301|PCN1|10|BP|CH|PC|TR\r\n";
    const std::string adjudication = "3A|131|1|2|3|4|5|6|7|8|M1|text\r\n";
    const std::string error = "3E|PAYER|R|E1|bad|||\r\n";
    const test::ReportRun run =
        RunReport("AVAILITY_EBR", write("f.ebr", kFile + "2|P|1|1|||||\r\n" + claim + adjudication + error), m_folder);
    EXPECT_EQ(run.status, kStatusInvalidFormat);
    EXPECT_EQ(LinesStartingWith(run.text, "Allowed Amt:").size(), 1u);
    EXPECT_TRUE(LinesStartingWith(run.text, "Error Message:").empty());
}

TEST_F(EbrReport, SelectionByStatusLooksAtTheClaimsSubRecords)
{
    const test::ReportRun run =
        RunReport("AVAILITY_EBR", TestData("availity_ebr/payers.ebr"), m_folder, Filter(5, "NA"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_ebr/payers-status-na.txt")));

    EXPECT_EQ(selectedPatients(5, "r"), std::vector<std::string>{"ROE, RICHARD"});
    EXPECT_EQ(selectedPatients(5, "w x"), std::vector<std::string>{"ROE, JANE"});
    EXPECT_TRUE(selectedPatients(5, "Z").empty());
}

TEST_F(EbrReport, SelectionKeepsTheHeadingsOfTheSelectedClaimsOnly)
{
    EXPECT_EQ(selectedPatients(2, "poe, a"), std::vector<std::string>{"POE, ANNABEL"});
    EXPECT_EQ(selectedPatients(3, "bcx"), (std::vector<std::string>{"DOE, JANE", "ROE, RICHARD", "ROE, JANE"}));
    EXPECT_EQ(selectedPatients(4, "98765"), (std::vector<std::string>{"POE, EDGAR", "POE, ANNABEL"}));
    EXPECT_EQ(selectedPatients(1, "pcn2001"), std::vector<std::string>{"ROE, JANE"});

    // The payer heading above a selected claim stays; the one above a claim that is not selected goes.
    const std::string text =
        RunReport("AVAILITY_EBR", TestData("availity_ebr/payers.ebr"), m_folder, Filter(4, "98765")).text;
    EXPECT_EQ(LinesStartingWith(text, "Payer:").size(), 2u);
    EXPECT_EQ(LinesStartingWith(text, "Report Message:").size(), 1u);
    EXPECT_TRUE(LinesStartingWith(text, "Payer Message:").empty());
}

TEST_F(EbrReport, AClaimWithManySubRecordsThatIsNotSelectedLeavesNothingBehind)
{
    // Far more than a selection holds in memory, so the claim's records reach the file before they are
    // taken back.
    std::string content = kFile + "2|P|1|1|||||\r\n" + "3|DOE|20240301|20240301|PCN1|10|BP|CH|PC|TR\r\n";
    const std::string message = "3C|PAYER|X|C1|" + std::string(3000, 'm') + "|||\r\n";
    for (int i = 0; i < 1000; ++i) {
        content += message;
    }
    content += "3|ROE|20240301|20240301|PCN2|10|BP|CH|PC|TR\r\n3C|PAYER|R|C2|rejected|||\r\n";
    EXPECT_EQ(selectedPatients(5, "R", write("many.ebr", content)), std::vector<std::string>{"ROE"});
}
