// What every format does alike through the exports: the claim selection that the claim formats share, and the
// answer for a report file that cannot be created.

#include "tests/library/LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using namespace talmere::test;

namespace {

class ClaimFormats : public ReportFolderTest {
protected:
    // The report of the file with claims selected by the patient name (selection value 2) and, when given, by
    // their status.
    std::string selected(std::string_view format, const std::string& content, const std::string& status = {})
    {
        ReportOptions options = Filter(2, "keep");
        if (!status.empty()) {
            options.filters[5] = status;
        }
        const ReportRun run = RunReport(format, write("claims", content), m_folder, options);
        EXPECT_EQ(run.status, kStatusSuccess) << format;
        return run.text;
    }
};

} // namespace

TEST_F(ClaimFormats, AHeadingWithoutASelectedClaimBelowItIsNeverReported)
{
    const std::string ibr = "1|2024-03-07|14:05:09|IBR|BATCH-A|FCN-A\r\n"
                            "2|PAYER A|1|0|10|0|1|10|PA\r\n"
                            "3|DROP, ME|20240301|20240301|PCN1|10|BP1|CH1|TR1\r\n"
                            "1|2024-03-07|15:05:09|IBR|BATCH-B|FCN-B\r\n"
                            "2|PAYER B|1|1|10|10|0|0|PB\r\n"
                            "2|PAYER C|1|1|10|10|0|0|PC\r\n"
                            "3|KEEP, ME|20240301|20240301|PCN2|10|BP1|CH2|TR2\r\n"
                            "2|PAYER D|1|0|10|0|1|10|PD\r\n"
                            "3|DROP, YOU|20240301|20240301|PCN3|10|BP1|CH3|TR3\r\n";
    const std::string ebr = "1|2024-03-08|06:30:00|X|BATCH-A|FCN-A\r\n"
                            "1E|File A message|\r\n"
                            "2|PAYER A|1|0\r\n"
                            "3|DROP, ME|20240301|20240301|PCN1|10|BP1|CH1|PC1|TR1\r\n"
                            "1|2024-03-08|07:30:00|X|BATCH-B|FCN-B\r\n"
                            "2|PAYER B|1|1\r\n"
                            "2|PAYER C|1|1\r\n"
                            "2E|x|Payer C message\r\n"
                            "3|KEEP, ME|20240301|20240301|PCN2|10|BP1|CH2|PC2|TR2\r\n"
                            "2|PAYER D|1|0\r\n"
                            "3|DROP, YOU|20240301|20240301|PCN3|10|BP1|CH3|PC3|TR3\r\n";
    const std::string dpr = "DPR|202403070605|BATCH-A|FCN-A\r\n"
                            "CST|B1/P1/C1|ACCT1|PAYER A|BP1|DROP, ME|20240301|10|20240305||\r\n"
                            "DPR|202403070705|BATCH-B|FCN-B\r\n"
                            "CST|B2/P2/C2|ACCT2|PAYER C|BP1|KEEP, ME|20240301|10|20240305||\r\n"
                            "DPR|202403070805|BATCH-C|FCN-C\r\n"
                            "CST|B3/P3/C3|ACCT3|PAYER D|BP1|DROP, YOU|20240301|10|20240305||\r\n";
    for (const auto& [format, content] : {std::pair<std::string_view, std::string>{"AVAILITY_IBR", ibr},
                                          {"AVAILITY_EBR", ebr},
                                          {"AVAILITY_DPR", dpr}}) {
        const std::string text = selected(format, content);
        EXPECT_NE(text.find("KEEP, ME"), std::string::npos) << format;
        EXPECT_EQ(text.find("DROP"), std::string::npos) << format << text;
        EXPECT_NE(text.find("BATCH-B"), std::string::npos) << format;
        EXPECT_EQ(text.find("BATCH-A"), std::string::npos) << format << text;
        EXPECT_EQ(text.find("BATCH-C"), std::string::npos) << format << text;
        EXPECT_EQ(text.find("PAYER A"), std::string::npos) << format << text;
        EXPECT_EQ(text.find("PAYER B"), std::string::npos) << format << text;
        EXPECT_EQ(text.find("PAYER D"), std::string::npos) << format << text;
        EXPECT_EQ(text.find("File A message"), std::string::npos) << format << text;
    }
    EXPECT_NE(selected("AVAILITY_EBR", ebr).find("Payer C message"), std::string::npos);
}

TEST_F(ClaimFormats, AClaimThatCannotBeReadEndsTheSelectedClaimBeforeIt)
{
    // The error after the unreadable claim does not belong to the selected one, whether the claim was selected
    // by its own record (IBR) or by the status of its first error (EBR).
    const std::string ibr = "1|2024-03-07|14:05:09|IBR|BATCH-A|FCN-A\r\n"
                            "2|PAYER A|2|1|20|10|1|10|PA\r\n"
                            "3|KEEP, ME|20240301|20240301|PCN1|10|BP1|CH1|TR1||B|R\r\n"
                            "3E|PAYER|R|E1|FIRST ERROR|2010BA|NM1|NM109\r\n"
                            "3|BROKEN\r\n"
                            "3E|PAYER|R|E2|SECOND ERROR|2010BA|NM1|NM109\r\n";
    const std::string ebr = "1|2024-03-08|06:30:00|X|BATCH-A|FCN-A\r\n"
                            "2|PAYER A|2|1\r\n"
                            "3|KEEP, ME|20240301|20240301|PCN1|10|BP1|CH1|PC1|TR1\r\n"
                            "3E|PAYER|R|E1|FIRST ERROR|2010BA|NM1|NM109\r\n"
                            "3|BROKEN\r\n"
                            "3E|PAYER|R|E2|SECOND ERROR|2010BA|NM1|NM109\r\n";
    for (const auto& [format, content] :
         {std::pair<std::string_view, std::string>{"AVAILITY_IBR", ibr}, {"AVAILITY_EBR", ebr}}) {
        const std::string text = selected(format, content, "R");
        EXPECT_NE(text.find("KEEP, ME"), std::string::npos) << format << text;
        EXPECT_NE(text.find("FIRST ERROR"), std::string::npos) << format << text;
        EXPECT_EQ(text.find("SECOND ERROR"), std::string::npos) << format << text;
    }
}

TEST_F(ClaimFormats, AReportFileThatCannotBeCreatedAnswersWhatItsFormatSays)
{
    // The text copies and the X12 reports answer 5; for the claim and carriage-control reports the error leaves
    // the export, which answers 1.
    const std::filesystem::path file = write("REPORT.TXT", "1 line\r\n");
    const std::pair<std::string_view, int> formats[] = {
        {"TEXT", kStatusCannotCreateOutput},          {"BCBSMN_2_TEXT", kStatusCannotCreateOutput},
        {"ANSI_864", kStatusCannotCreateOutput},      {"ANSI_997", kStatusCannotCreateOutput},
        {"ANSI_999", kStatusCannotCreateOutput},      {"ANSI_99X", kStatusCannotCreateOutput},
        {"AVAILITY_IBR", kStatusUnexpectedException}, {"AVAILITY_EBR", kStatusUnexpectedException},
        {"AVAILITY_DPR", kStatusUnexpectedException}, {"ALABAMA_MEDICAID_BRF", kStatusUnexpectedException},
        {"BCBSMN_TEXT", kStatusUnexpectedException},  {"BCBSTX_TEXT", kStatusUnexpectedException},
    };
    for (const auto& [format, status] : formats) {
        TReportViewerRequest request = MakeRequest(format);
        SetFieldText(request.ReportPath, file.string());
        SetFieldText(request.OutputPath, (m_folder / "missing" / "TALMRTMP.TXT").string());
        SetFieldText(request.PointSize, "10");
        EXPECT_EQ(CallBuiltLibrary(kGenerateReportFile, request).status, status) << format;
    }
    EXPECT_FALSE(std::filesystem::exists(m_folder / "missing"));
}
