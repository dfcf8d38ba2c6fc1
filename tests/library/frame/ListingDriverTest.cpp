// The directory listing driver, its line list and line layout, file times and the settings of a call.

#include "library/frame/ListingDriver.h"
#include "common/ReportLibraryInterface.h"
#include "library/frame/OperatingSystem.h"
#include "library/frame/ReportFormat.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace talmere;
using test::MakeRequest;
using test::ReadFile;
using test::WriteFile;

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

// The format of the requests below: the driver does not look at it.
constexpr ReportFormat kProbeFormat{"TEXT", 1, nullptr, nullptr, nullptr, nullptr, OutputFailure::AnswerStatus};

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
    const ReportRequest request(record, ReadCallSettings(record), kProbeFormat);
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
    const ReportRequest request(record, ReadCallSettings(record), kProbeFormat);
    EXPECT_EQ(WriteDirectoryListing(request, ListingLineBuilder(ContentBuilder)), kStatusInvalidFormat);
    ASSERT_TRUE(std::filesystem::exists(folder / "out.DIR"));
    EXPECT_EQ(std::filesystem::file_size(folder / "out.DIR"), 0u);
}

TEST(ListingLine, ShowsTheTimeWithOrWithoutSecondsAndEndsWithTheNameAgain)
{
    const DateTimeParts time{2024, 3, 7, 9, 5, 41, 0};
    EXPECT_EQ(ListingLine(time, ListingTime::HoursMinutes, "tx1.txt", {"Payer letters"}),
              "20240307|0905|TX1.TXT|03/07/2024|09:05|Payer letters|TX1.TXT");
    EXPECT_EQ(ListingLine(time, ListingTime::WithSeconds, "ibr", {"B1", "", "7"}),
              "20240307|0905|IBR|03/07/2024|09:05:41|B1||7|IBR");
    EXPECT_EQ(ListingLine(time, ListingTime::HoursMinutes, "x", {}), "20240307|0905|X|03/07/2024|09:05|X");
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

    // A file that has not changed for a while may be remembered between calls; any change to it is still seen,
    // even one of the same size that puts its modification time back.
    const std::filesystem::path ini = folder / "TALMERE.INI";
    std::filesystem::remove(folder / "talmere.ini");
    const auto writeSettled = [&](const char* value) {
        WriteFile(ini, std::string("[General]\nIntermediary=") + value + "\n");
        std::filesystem::last_write_time(ini, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    };
    writeSettled("NOVSI");
    EXPECT_EQ(ReadCallSettings(record).intermediary, "NOVSI");
    EXPECT_EQ(ReadCallSettings(record).intermediary, "NOVSI");
    writeSettled("HIGMK");
    EXPECT_EQ(ReadCallSettings(record).intermediary, "HIGMK");
    std::filesystem::rename(ini, folder / "old.ini");
    EXPECT_EQ(ReadCallSettings(record).intermediary, "");
    std::filesystem::rename(folder / "old.ini", folder / "talmere.INI");
    EXPECT_EQ(ReadCallSettings(record).intermediary, "HIGMK");

    // The folder and the name are joined as they stand: without the separator no file is found.
    SetFieldText(record.InstallDirectory, folder.path().string());
    EXPECT_EQ(ReadCallSettings(record).intermediary, "");
}
