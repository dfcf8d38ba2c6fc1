// The TEXT format: files listed by their date with the type's description, and reported as they are.

#include "library/text/TextFormat.h"
#include "common/ReportLibraryInterface.h"
#include "library/frame/OperatingSystem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::CallBuiltLibrary;
using test::MakeRequest;
using test::ReadFile;
using test::WriteFile;

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

namespace {

class TextListing : public ::testing::Test {
protected:
    // A fixed zone, written the POSIX way so that no time zone database is needed.
    test::TimeZone m_zone{"UTC0"};
    test::TempFolder m_folder;
    std::filesystem::path m_archive = m_folder / "TX";
    std::filesystem::path m_listing = m_folder / "TALMRDTX.DIR";

    void SetUp() override { std::filesystem::create_directory(m_archive); }

    TReportViewerRequest folderRequest(std::string_view prefix = "TX", std::string_view desc = "Payer letters") const
    {
        TReportViewerRequest request = MakeRequest("TEXT");
        SetFieldText(request.ReportDesc, desc);
        SetFieldText(request.ArchivePrefix, prefix);
        SetFieldText(request.ReportPath, m_archive.string() + "/");
        SetFieldText(request.OutputPath, m_listing.string());
        return request;
    }

    TReportViewerRequest fileRequest(const std::filesystem::path& file) const
    {
        TReportViewerRequest request = folderRequest();
        SetFieldText(request.ReportPath, file.string());
        return request;
    }
};

} // namespace

TEST_F(TextListing, AnArchiveFolderListsItsPrefixedFilesByDateMatchingTheExpectedFile)
{
    for (const auto& entry : std::filesystem::directory_iterator(test::TestData("text/archive"))) {
        std::filesystem::copy_file(entry.path(), m_archive / entry.path().filename());
    }
    test::SetModificationTime(m_archive / "TX240307.001", {2024, 3, 7, 9, 5, 0});
    test::SetModificationTime(m_archive / "tx240307.002", {2024, 3, 7, 9, 5, 41});
    test::SetModificationTime(m_archive / "TX231231.001", {2023, 12, 31, 23, 59, 59});

    TReportViewerRequest request = folderRequest();
    EXPECT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusSuccess);
    EXPECT_EQ(ReadFile(m_listing), ReadFile(test::TestData("text/archive.DIR")));
}

TEST_F(TextListing, AFolderWithoutMatchingFilesGivesAnEmptyListing)
{
    WriteFile(m_archive / "OTHER.TXT", "x");
    TReportViewerRequest request = folderRequest();
    EXPECT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusSuccess);
    ASSERT_TRUE(std::filesystem::exists(m_listing));
    EXPECT_EQ(std::filesystem::file_size(m_listing), 0u);
}

TEST_F(TextListing, ThePrefixPatternIgnoresCaseAndTakesSubfoldersDatedNow)
{
    WriteFile(m_archive / "97A.TXT", "a");
    WriteFile(m_archive / "97b.txt", "b");
    WriteFile(m_archive / "X97.TXT", "c");
    WriteFile(m_archive / "9.TXT", "d");
    WriteFile(m_archive / ".97hidden", "e");
    std::filesystem::create_directory(m_archive / "97SUB");
    for (const char* name : {"97A.TXT", "97b.txt"}) {
        test::SetModificationTime(m_archive / name, {2024, 3, 7, 9, 5, 0});
    }
    SetCurrentLocalDateTimeForTesting(DateTimeParts{2026, 12, 9, 10, 11, 12});

    const TReportViewerRequest record = folderRequest("97", "Acks");
    const int status = kTextFormat.listing(ReportRequest(record, ReadCallSettings(record), kTextFormat));
    SetCurrentLocalDateTimeForTesting(std::nullopt);

    EXPECT_EQ(status, kStatusSuccess);
    EXPECT_EQ(ReadFile(m_listing), "20240307|0905|97A.TXT|03/07/2024|09:05|Acks - 03/07/2024|97A.TXT\r\n"
                                   "20240307|0905|97B.TXT|03/07/2024|09:05|Acks - 03/07/2024|97B.TXT\r\n"
                                   "20261209|1011|97SUB|12/09/2026|10:11|Acks - 12/09/2026|97SUB\r\n");
}

TEST_F(TextListing, AMissingFolderIsStatusFourAndLeavesNoStaleListing)
{
    WriteFile(m_listing, "old listing\r\n");
    TReportViewerRequest request = folderRequest();
    SetFieldText(request.ReportPath, (m_folder / "absent").string() + "/");
    const ReportLibraryCall call = CallBuiltLibrary(kCreateDirectoryListingFile, request);
    EXPECT_EQ(call.status, kStatusFolderMissing);
    EXPECT_EQ(call.message, "Report directory does not exist.");
    EXPECT_FALSE(std::filesystem::exists(m_listing));
}

TEST_F(TextListing, AFolderNamedWithoutTheSeparatorIsTakenForAMissingFile)
{
    TReportViewerRequest request = folderRequest();
    SetFieldText(request.ReportPath, m_archive.string());
    const ReportLibraryCall call = CallBuiltLibrary(kCreateDirectoryListingFile, request);
    EXPECT_EQ(call.status, kStatusFileMissing);
    EXPECT_EQ(call.message, "Report file does not exist.");

    SetFieldText(request.ReportPath, {});
    EXPECT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusFileMissing);
}

TEST_F(TextListing, OneFileIsListedUnderItsUpperCaseNameFoundWithoutRegardToCase)
{
    const std::filesystem::path staged = m_folder / "mailbox" / "letter.txt";
    std::filesystem::create_directory(staged.parent_path());
    WriteFile(staged, "letter");
    test::SetModificationTime(staged, {2024, 3, 7, 9, 5, 59});

    TReportViewerRequest request = fileRequest(m_folder / "mailbox" / "LETTER.TXT");
    SetFieldText(request.ReportDesc, {});
    EXPECT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusSuccess);
    EXPECT_EQ(ReadFile(m_listing), "20240307|0905|LETTER.TXT|03/07/2024|09:05| - 03/07/2024|LETTER.TXT\r\n");

    SetFieldText(request.ReportPath, (m_folder / "mailbox" / "other.txt").string());
    EXPECT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusFileMissing);
}

TEST_F(TextListing, FilesDifferingOnlyInCaseGiveTwoIdenticalLines)
{
    WriteFile(m_archive / "TXa.txt", "1");
    WriteFile(m_archive / "TXA.TXT", "2");
    for (const char* name : {"TXa.txt", "TXA.TXT"}) {
        test::SetModificationTime(m_archive / name, {2024, 1, 2, 3, 4, 0});
    }
    TReportViewerRequest request = folderRequest();
    ASSERT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusSuccess);
    const std::string line = "20240102|0304|TXA.TXT|01/02/2024|03:04|Payer letters - 01/02/2024|TXA.TXT\r\n";
    EXPECT_EQ(ReadFile(m_listing), line + line);
}

TEST_F(TextListing, TimesAreTheWorkstationsLocalTime)
{
    WriteFile(m_archive / "TX1", "x");
    test::SetModificationTime(m_archive / "TX1", {2024, 7, 1, 3, 30, 0}); // 03:30 UTC
    {
        // Six hours west of UTC, five in summer: the evening before.
        test::TimeZone central("CST6CDT,M3.2.0,M11.1.0");
        TReportViewerRequest request = folderRequest();
        ASSERT_EQ(CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusSuccess);
    }
    EXPECT_EQ(ReadFile(m_listing), "20240630|2230|TX1|06/30/2024|22:30|Payer letters - 06/30/2024|TX1\r\n");
}
