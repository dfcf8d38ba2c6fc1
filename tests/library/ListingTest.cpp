// The directory listing driver and the listing lines of text report types.

#include "common/ReportLibraryInterface.h"
#include "library/OperatingSystem.h"
#include "library/ReportWriting.h"
#include "library/TextReport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::CallBuiltLibrary;
using test::MakeRequest;
using test::ReadFile;
using test::WriteFile;

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
    const int status = CreateTextListing(ReportRequest(record, ReadCallSettings(record)));
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

TEST(FileTimes, HaveTheTwoSecondResolutionOfDosStampsAndItsYears)
{
    test::TimeZone zone("UTC0");
    test::TempFolder folder;
    WriteFile(folder / "f", "x");
    test::SetModificationTime(folder / "f", {2024, 3, 7, 23, 59, 59});
    const std::optional<DateTimeParts> time = FileLocalDateTime(folder / "f");
    ASSERT_TRUE(time.has_value());
    EXPECT_EQ(*time, (DateTimeParts{2024, 3, 7, 23, 59, 58, 0}));

    // 1979 cannot be stamped: such a file is dated now, like a folder.
    test::SetModificationTime(folder / "f", {1979, 12, 31, 12, 0, 0});
    EXPECT_FALSE(FileLocalDateTime(folder / "f").has_value());
    EXPECT_FALSE(FileLocalDateTime(folder.path()).has_value());
    EXPECT_FALSE(FileLocalDateTime(folder / "vanished").has_value());
    SetCurrentLocalDateTimeForTesting(DateTimeParts{2026, 1, 2, 3, 4, 5});
    EXPECT_EQ(FileDateTimeOrNow(folder / "f"), (DateTimeParts{2026, 1, 2, 3, 4, 5}));
    SetCurrentLocalDateTimeForTesting(std::nullopt);
}

namespace {

// A builder that accepts files whose content starts with "OK" and rejects the rest with the status that
// follows "BAD" (one digit).
int ContentBuilder(const std::filesystem::path& file, std::string_view name, const ReportRequest&, std::string& line)
{
    const std::string content = ReadFile(file);
    if (content.rfind("OK", 0) == 0) {
        line = JoinListingFields({"20240101", "1200", name, "value"});
        return 0;
    }
    return content.size() > 3 ? content[3] - '0' : 7;
}

} // namespace

TEST(ListingDriver, AFolderListingLeavesOutUnreadableFilesAndStillSucceeds)
{
    test::TempFolder folder;
    WriteFile(folder / "ABBAD6", "BAD6");
    WriteFile(folder / "ABGOOD", "OK");
    WriteFile(folder / "ABWORSE", "BAD7");
    TReportViewerRequest record = MakeRequest("TEXT");
    SetFieldText(record.ArchivePrefix, "AB");
    SetFieldText(record.ReportPath, folder.folderText());
    SetFieldText(record.OutputPath, (folder / "out.DIR").string());
    const ReportRequest request(record, ReadCallSettings(record));
    EXPECT_EQ(WriteDirectoryListing(request, ListingLineBuilder(ContentBuilder)), kStatusSuccess);
    EXPECT_EQ(ReadFile(folder / "out.DIR"), "20240101|1200|ABGOOD|value\r\n");

    // The builder contract itself remembers the first failure.
    EXPECT_EQ(BuildListingLines(folder.path(), {"ABGOOD", "ABWORSE", "ABBAD6"}, request, ContentBuilder), 7);
    EXPECT_EQ(ReadFile(folder / "out.DIR"), "20240101|1200|ABGOOD|value\r\n");
}

TEST(ListingDriver, OneFileGetsTheBuildersStatusAndAnEmptyListing)
{
    test::TempFolder folder;
    WriteFile(folder / "staged.dat", "BAD6");
    TReportViewerRequest record = MakeRequest("TEXT");
    SetFieldText(record.ReportPath, (folder / "staged.dat").string());
    SetFieldText(record.OutputPath, (folder / "out.DIR").string());
    const ReportRequest request(record, ReadCallSettings(record));
    EXPECT_EQ(WriteDirectoryListing(request, ListingLineBuilder(ContentBuilder)), kStatusInvalidFormat);
    ASSERT_TRUE(std::filesystem::exists(folder / "out.DIR"));
    EXPECT_EQ(std::filesystem::file_size(folder / "out.DIR"), 0u);
}

TEST(ListingLines, SortWithoutRegardToCaseAndKeepEqualLines)
{
    ListingLines lines;
    for (const char* line : {"20240307|0905|b", "20231231|2359|Z", "20240307|0905|A", "20240307|0905|a",
                             "20240307|0905|B", "20240307|0904|Z"}) {
        lines.add(line);
    }
    EXPECT_EQ(lines.sorted(), (std::vector<std::string>{"20231231|2359|Z", "20240307|0904|Z", "20240307|0905|A",
                                                        "20240307|0905|a", "20240307|0905|b", "20240307|0905|B"}));
}

TEST(CallSettings, TheIntermediaryIsReadFromTheInstallFolderOnEveryCall)
{
    test::TempFolder folder;
    TReportViewerRequest record = MakeRequest("COPY", folder.folderText());
    record.CenturyDatePivotYear = 40;
    EXPECT_EQ(ReadCallSettings(record).intermediary, "");

    WriteFile(folder / "talmere.ini", "[General]\r\nIntermediary = \"AVAILITY \"\r\n");
    const CallSettings settings = ReadCallSettings(record);
    EXPECT_EQ(settings.intermediary, "AVAILITY ");
    EXPECT_EQ(settings.iniFolder, folder.folderText());
    EXPECT_EQ(settings.pivotYear, 40);

    WriteFile(folder / "talmere.ini", "[General]\r\nIntermediary=emdeon\r\n");
    EXPECT_EQ(ReadCallSettings(record).intermediary, "emdeon");

    // The folder and the name are joined as they stand: without the separator no file is found.
    SetFieldText(record.InstallDirectory, folder.path().string());
    EXPECT_EQ(ReadCallSettings(record).intermediary, "");
}
