// The report of text types: the file as it is.

#include "common/ReportLibraryInterface.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::CallBuiltLibrary;
using test::MakeRequest;

namespace {

ReportLibraryCall GenerateReport(std::string_view format, const std::filesystem::path& report,
                                 const std::filesystem::path& output)
{
    TReportViewerRequest request = MakeRequest(format);
    SetFieldText(request.ReportPath, report.string());
    SetFieldText(request.OutputPath, output.string());
    return CallBuiltLibrary(kGenerateReportFile, request);
}

} // namespace

TEST(TextReport, IsAByteForByteCopyForBothTextTypes)
{
    test::TempFolder folder;
    // Nothing in the content is interpreted: not Ctrl-Z, NUL, bare carriage returns nor form feeds.
    const std::string content("PAGE 1\r\n\fPAGE 2\rstill page 2\n\x1A\0tail \xE9\xFF", 36);
    test::WriteFile(folder / "report.txt", content);
    for (const char* format : {"TEXT", "BCBSMN_2_TEXT"}) {
        const std::filesystem::path output = folder / (std::string(format) + ".out");
        EXPECT_EQ(GenerateReport(format, folder / "report.txt", output).status, kStatusSuccess);
        EXPECT_EQ(test::ReadFile(output), content) << format;
    }
}

TEST(TextReport, AnEmptyFileGivesAnEmptyReport)
{
    test::TempFolder folder;
    test::WriteFile(folder / "empty.txt", "");
    test::WriteFile(folder / "TALMRTMP.TXT", "report of an earlier call");
    EXPECT_EQ(GenerateReport("TEXT", folder / "empty.txt", folder / "TALMRTMP.TXT").status, kStatusSuccess);
    EXPECT_EQ(test::ReadFile(folder / "TALMRTMP.TXT"), "");
}

TEST(TextReport, TheReportFileIsFoundWithoutRegardToCase)
{
    test::TempFolder folder;
    test::WriteFile(folder / "tx240307.001", "content");
    EXPECT_EQ(GenerateReport("TEXT", folder / "TX240307.001", folder / "out").status, kStatusSuccess);
    EXPECT_EQ(test::ReadFile(folder / "out"), "content");
}

TEST(TextReport, AMissingReportIsStatusThreeAndTheEarlierReportStays)
{
    test::TempFolder folder;
    test::WriteFile(folder / "TALMRTMP.TXT", "report of an earlier call");
    const ReportLibraryCall call = GenerateReport("TEXT", folder / "missing.txt", folder / "TALMRTMP.TXT");
    EXPECT_EQ(call.status, kStatusFileMissing);
    EXPECT_EQ(call.message, "Report file does not exist.");
    EXPECT_EQ(test::ReadFile(folder / "TALMRTMP.TXT"), "report of an earlier call");

    std::filesystem::create_directory(folder / "folder.txt");
    EXPECT_EQ(GenerateReport("TEXT", folder / "folder.txt", folder / "TALMRTMP.TXT").status, kStatusFileMissing);
}

TEST(TextReport, AnOutputThatCannotBeWrittenIsStatusFive)
{
    test::TempFolder folder;
    test::WriteFile(folder / "report.txt", "content");
    const ReportLibraryCall call = GenerateReport("TEXT", folder / "report.txt", folder / "missing" / "TALMRTMP.TXT");
    EXPECT_EQ(call.status, kStatusCannotCreateOutput);
    EXPECT_EQ(call.message, "Unable to create the temporary report file.");

    // An output path that names a folder keeps the folder and what is in it.
    std::filesystem::create_directory(folder / "busy");
    test::WriteFile(folder / "busy" / "keep", "x");
    EXPECT_EQ(GenerateReport("TEXT", folder / "report.txt", folder / "busy").status, kStatusCannotCreateOutput);
    EXPECT_TRUE(std::filesystem::exists(folder / "busy" / "keep"));
}
