// Availity IBR reports: listing, report and claim selection through the built library.

#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

namespace {

class IbrReport : public ReportFolderTest {
protected:
    test::TempFolder m_temporary;
    // The selection's temporary file goes to the system's temporary folder, pointed here.
    ScopedEnvironment m_tmpdir{"TMPDIR", m_temporary.path().c_str()};

    bool temporaryFolderIsEmpty() const { return std::filesystem::is_empty(m_temporary.path()); }
};

const std::string kFile = "1|2024-03-07|14:05:09|X|AV1|FCN1|0\r\n";
const std::string kPayer = "2|PAYER ONE|2|1|20.00|10.00|1|10.00|P1\r\n";

} // namespace

TEST_F(IbrReport, PayerBlocksAndFileTotalsAreLaidOutAsExpected)
{
    for (const char* name : {"payers", "totals"}) {
        const test::ReportRun run =
            RunReport("AVAILITY_IBR", TestData(std::string("availity_ibr/") + name + ".ibr"), m_folder);
        EXPECT_EQ(run.status, kStatusSuccess) << name;
        EXPECT_EQ(run.text, ReadFile(TestData(std::string("availity_ibr/") + name + ".txt"))) << name;
    }
}

TEST_F(IbrReport, AnArchiveFolderListsTheFilesThatStartWithAFileRecord)
{
    const test::ListingRun run =
        RunListing("AVAILITY_IBR", TestData("availity_ibr/archive").string() + "/", m_folder, "IB");
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_ibr/archive.DIR")));
}

TEST_F(IbrReport, OneFileIsListedOnlyWhenItStartsWithAValidFileRecord)
{
    EXPECT_EQ(RunListing("AVAILITY_IBR", TestData("availity_ibr/archive/IB240101.001").string(), m_folder).status,
              kStatusInvalidRecord);
    EXPECT_EQ(RunListing("AVAILITY_IBR", write("empty.ibr", "").string(), m_folder).status, kStatusInvalidRecord);
    EXPECT_EQ(RunListing("AVAILITY_IBR", write("bad.ibr", "1|2024-03-07|25:00:00|X|AV1\r\n").string(), m_folder).status,
              kStatusInvalidRecord);
    EXPECT_EQ(RunListing("AVAILITY_IBR", (m_folder / "missing.ibr").string(), m_folder).status, kStatusFileMissing);

    // Records after an out-of-place one are not counted.
    const test::ListingRun run =
        RunListing("AVAILITY_IBR", write("f.ibr", kFile + kPayer + "3E|A|B|C|D|E|F|G\r\n" + kPayer).string(), m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "20240307|1405|F.IBR|03/07/2024|14:05:09|AV1|PAYER ONE|2|1|1|FCN1|F.IBR\r\n");
}

TEST_F(IbrReport, TheReportStopsWithStatusSixAtTheFirstMisplacedOrInvalidRecord)
{
    test::ReportRun run = RunReport("AVAILITY_IBR", TestData("availity_ibr/archive/IB240101.001"), m_folder);
    EXPECT_EQ(run.status, kStatusInvalidFormat);
    EXPECT_EQ(run.text, "");

    run = RunReport("AVAILITY_IBR", write("f.ibr", kFile + "3|DOE|x|y|PCN|1|BP|CH|TR\r\n"), m_folder);
    EXPECT_EQ(run.status, kStatusInvalidFormat);
    EXPECT_EQ(LinesStartingWith(run.text, "Availity Batch ID:").size(), 1u) << "what was written stays";
    EXPECT_TRUE(LinesStartingWith(run.text, "Patient Name:").empty());

    run = RunReport("AVAILITY_IBR", write("g.ibr", kFile + std::string(20000, 'x') + "\r\n"), m_folder);
    EXPECT_EQ(run.status, kStatusInvalidFormat);

    run = RunReport("AVAILITY_IBR", write("empty.ibr", "\r\n   \r\n"), m_folder);
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "");

    EXPECT_EQ(RunReport("AVAILITY_IBR", m_folder / "missing.ibr", m_folder).status, kStatusFileMissing);
}

TEST_F(IbrReport, TheWrapWidthComesFromParamOneOrThePointSize)
{
    const std::string message = "1|2024-03-07|14:05:09|X|AV1|FCN1|0||||||alpha beta gamma delta\r\n";
    const std::filesystem::path file = write("m.ibr", message);
    test::ReportOptions options;
    options.params[1] = " 11 ";
    EXPECT_EQ(LinesStartingWith(RunReport("AVAILITY_IBR", file, m_folder, options).text, "Availity Messages:"),
              std::vector<std::string>{"Availity Messages:  alpha beta"});

    options.params[1] = "0";
    options.pointSize = "x";
    EXPECT_EQ(RunReport("AVAILITY_IBR", file, m_folder, options).status, kStatusUnexpectedException);
    options.pointSize = "12";
    options.orientation = "LANDSCAPE";
    EXPECT_EQ(LinesStartingWith(RunReport("AVAILITY_IBR", file, m_folder, options).text, "Availity Messages:"),
              std::vector<std::string>{"Availity Messages:  alpha beta gamma delta"});
}

TEST_F(IbrReport, SelectionByStatusKeepsTheFileAndPayerRecordsOfSelectedClaims)
{
    const test::ReportRun run =
        RunReport("AVAILITY_IBR", TestData("availity_ibr/payers.ibr"), m_folder, Filter(5, "r; NA"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_ibr/payers-status-r-na.txt")));
    EXPECT_TRUE(temporaryFolderIsEmpty());
}

TEST_F(IbrReport, EachSelectionValueNarrowsTheClaims)
{
    const std::filesystem::path file = TestData("availity_ibr/payers.ibr");
    auto patients = [&](int number, const std::string& value) {
        return LinesStartingWith(RunReport("AVAILITY_IBR", file, m_folder, Filter(number, value)).text,
                                 "Patient Name:");
    };
    EXPECT_EQ(patients(1, " pcn100 ").size(), 3u);
    EXPECT_EQ(patients(2, "roe, j"), std::vector<std::string>{"Patient Name:       ROE, JANE              "
                                                              "Patient Ctrl No:  PCN2001"});
    EXPECT_EQ(patients(3, "mcd").size(), 1u) << "payer ID";
    EXPECT_EQ(patients(3, "Medicaid").size(), 1u) << "payer name";
    EXPECT_EQ(patients(4, "555").size(), 1u);
    EXPECT_EQ(patients(5, "a").size(), 1u);

    // Nothing matches: an empty report, and success.
    const test::ReportRun run = RunReport("AVAILITY_IBR", file, m_folder, Filter(2, "NOBODY"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, "");
    EXPECT_TRUE(temporaryFolderIsEmpty());
}

TEST_F(IbrReport, ASelectedClaimStaysWhenTheRecordAfterItIsMalformed)
{
    const std::string claim = "3|DOE, JANE|20240301|20240301|PCN1|10|BP|CH|TR||AV1|R\r\n";
    const std::string malformed = "3|ROE|20240301\r\n";
    const test::ReportRun run =
        RunReport("AVAILITY_IBR", write("f.ibr", kFile + kPayer + claim + malformed), m_folder, Filter(2, "doe"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(LinesStartingWith(run.text, "Patient Name:").size(), 1u);

    // The errors of a malformed claim are its own, not those of the selected claim before it.
    const std::string error = "3E|PAYER|X|E1|Error of the malformed claim.|L|S|E\r\n";
    const test::ReportRun withError = RunReport(
        "AVAILITY_IBR", write("g.ibr", kFile + kPayer + claim + malformed + error + claim), m_folder, Filter(2, "doe"));
    EXPECT_EQ(withError.status, kStatusSuccess);
    EXPECT_EQ(LinesStartingWith(withError.text, "Patient Name:").size(), 2u);
    EXPECT_TRUE(LinesStartingWith(withError.text, "Error Message:").empty());
    const test::ReportRun afterPayer =
        RunReport("AVAILITY_IBR", write("h.ibr", kFile + kPayer + claim + "2|PAYER TWO\r\n" + error + claim), m_folder,
                  Filter(2, "doe"));
    EXPECT_EQ(LinesStartingWith(afterPayer.text, "Patient Name:").size(), 2u);
    EXPECT_TRUE(LinesStartingWith(afterPayer.text, "Error Message:").empty());
}

TEST_F(IbrReport, AFailedSelectionReportsTheWholeFile)
{
    // The selection stops at the misplaced record; the report of the whole file then shows all records
    // before it, selected or not.
    const std::string claims = "3|DOE|20240301|20240301|PCN1|10|BP|CH|\r\n3|ROE|20240301|20240301|PCN2|10|BP|CH|\r\n";
    const test::ReportRun run =
        RunReport("AVAILITY_IBR", write("f.ibr", kFile + kPayer + claims + "1E|x\r\n"), m_folder, Filter(2, "DOE"));
    EXPECT_EQ(run.status, kStatusInvalidFormat);
    EXPECT_EQ(LinesStartingWith(run.text, "Patient Name:").size(), 2u);
    EXPECT_TRUE(temporaryFolderIsEmpty());
}

TEST_F(IbrReport, WithoutATemporaryFolderTheWholeFileIsReported)
{
    ScopedEnvironment missing("TMPDIR", (m_folder / "no-such-folder").c_str());
    const test::ReportRun run =
        RunReport("AVAILITY_IBR", TestData("availity_ibr/payers.ibr"), m_folder, Filter(2, "NOBODY"));
    EXPECT_EQ(run.status, kStatusSuccess);
    EXPECT_EQ(run.text, ReadFile(TestData("availity_ibr/payers.txt")));
}

TEST_F(IbrReport, AReportThatCannotBeWrittenFailsAndLeavesNoTemporaryFile)
{
    TReportViewerRequest request = test::MakeRequest("AVAILITY_IBR");
    SetFieldText(request.ReportPath, TestData("availity_ibr/payers.ibr").string());
    SetFieldText(request.OutputPath, (m_folder / "missing" / "TALMRTMP.TXT").string());
    SetFieldText(request.FilterValues[4], "R");
    EXPECT_EQ(test::CallBuiltLibrary(kGenerateReportFile, request).status, kStatusUnexpectedException);
    EXPECT_TRUE(temporaryFolderIsEmpty());
}
