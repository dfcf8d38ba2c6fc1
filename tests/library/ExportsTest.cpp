// The library as the program sees it: loaded from its file for each call, called with real request records.

#include "common/ReportLibraryInterface.h"
#include "library/frame/StatusMessages.h"
#include "platform/DynamicLibrary.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

using namespace talmere;
using test::CallBuiltLibrary;
using test::MakeRequest;

namespace {

struct Column {
    std::string caption;
    std::string title;
    std::string data;
    int width;
    friend bool operator==(const Column&, const Column&) = default;
};

void PrintTo(const Column& c, std::ostream* os)
{
    *os << '"' << c.caption << "\" " << c.title << '/' << c.data << ' ' << c.width;
}

std::vector<Column> ColumnsOf(const TReportViewerRequest& request)
{
    std::vector<Column> columns;
    for (const TReportColumnDetail& detail : request.ColumnDetails) {
        columns.push_back({std::string(FieldText(detail.Caption)), std::string(FieldText(detail.TitleAlignment)),
                           std::string(FieldText(detail.DataAlignment)), detail.Width});
    }
    return columns;
}

std::vector<Column> RetrieveColumns(std::string_view format)
{
    TReportViewerRequest request = MakeRequest(format);
    // Whatever the caller left in the entries is overwritten, the unused ones included.
    for (TReportColumnDetail& detail : request.ColumnDetails) {
        SetFieldText(detail.Caption, "stale");
        detail.Width = 99;
    }
    const ReportLibraryCall call = CallBuiltLibrary(kRetrieveListColumnDetails, request);
    EXPECT_TRUE(call.called());
    EXPECT_EQ(call.status, kStatusSuccess) << format;
    return ColumnsOf(request);
}

const std::vector<const char*> kAllFormats = {
    "TEXT",         "COPY",         "MOVE",          "DELETE",      "AVAILITY_IBR",
    "AVAILITY_EBR", "AVAILITY_DPR", "ANSI_864",      "ANSI_997",    "ANSI_999",
    "ANSI_99X",     "BCBSMN_TEXT",  "BCBSMN_2_TEXT", "BCBSTX_TEXT", "ALABAMA_MEDICAID_BRF"};

} // namespace

TEST(ColumnTable, AcknowledgmentsHaveElevenColumnsWithCountsOnTheRight)
{
    const std::vector<Column> expected = {
        {"Date", "L", "L", 11},        {"Time", "L", "L", 6},          {"Serial No", "L", "L", 8},
        {"Status", "C", "C", 6},       {"Sender", "L", "L", 12},       {"Receiver", "L", "L", 12},
        {"Trans Set #", "L", "L", 10}, {"Included", "R", "R", 8},      {"Received", "R", "R", 8},
        {"Accepted", "R", "R", 8},     {"Archive File", "L", "L", 16}, {"", "", "", 0}};
    EXPECT_EQ(RetrieveColumns("ANSI_999"), expected);
    EXPECT_EQ(RetrieveColumns("ANSI_997"), expected);
    EXPECT_EQ(RetrieveColumns("ANSI_99X"), expected);
}

TEST(ColumnTable, ActionTypesHaveNoColumnsAtAll)
{
    for (const char* format : {"COPY", "MOVE", "DELETE"}) {
        for (const Column& column : RetrieveColumns(format)) {
            EXPECT_EQ(column, (Column{"", "", "", 0})) << format;
        }
    }
}

TEST(ColumnTable, EveryListedTypeEndsWithTheArchiveFileAndLeavesTheRestEmpty)
{
    const std::vector<std::tuple<const char*, std::size_t>> counts = {
        {"TEXT", 4},        {"AVAILITY_IBR", 9},  {"AVAILITY_EBR", 9}, {"AVAILITY_DPR", 6},        {"ANSI_864", 7},
        {"BCBSMN_TEXT", 3}, {"BCBSMN_2_TEXT", 4}, {"BCBSTX_TEXT", 4},  {"ALABAMA_MEDICAID_BRF", 7}};
    for (const auto& [format, count] : counts) {
        const std::vector<Column> columns = RetrieveColumns(format);
        EXPECT_EQ(columns[count - 1], (Column{"Archive File", "L", "L", 16})) << format;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(columns[i].caption.empty(), i >= count) << format << " column " << i + 1;
        }
    }
    EXPECT_EQ(RetrieveColumns("AVAILITY_IBR"), RetrieveColumns("AVAILITY_EBR"));
    EXPECT_EQ(RetrieveColumns("AVAILITY_IBR")[4], (Column{"Sent", "C", "C", 6}));
    EXPECT_EQ(RetrieveColumns("AVAILITY_DPR")[2], (Column{"First Batch ID", "L", "L", 27}));
    EXPECT_EQ(RetrieveColumns("BCBSMN_TEXT")[1], (Column{"Description", "L", "L", 60}));
    EXPECT_EQ(RetrieveColumns("ALABAMA_MEDICAID_BRF")[4], (Column{"Suspend", "C", "C", 6}));
}

TEST(TypeNames, AreComparedExactly)
{
    test::TempFolder folder;
    test::WriteFile(folder / "report.txt", "text\r\n");
    for (const char* format : {"text", "", "TEXT ", " TEXT", "Ansi_999", "ANSI_998"}) {
        for (const char* exportName : {kRetrieveListColumnDetails, kCreateDirectoryListingFile, kGenerateReportFile,
                                       kPerformCustomMatchTest, kPerformReportPreArchiveTasks}) {
            TReportViewerRequest request = MakeRequest(format);
            SetFieldText(request.ReportPath, (folder / "report.txt").string());
            SetFieldText(request.OutputPath, (folder / "out.txt").string());
            const ReportLibraryCall call = CallBuiltLibrary(exportName, request);
            EXPECT_EQ(call.status, kStatusTypeNotSupported) << exportName << " '" << format << "'";
            EXPECT_EQ(call.message, "Report type not supported.");
        }
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.txt"));
    for (const char* format : kAllFormats) {
        TReportViewerRequest request = MakeRequest(format);
        EXPECT_EQ(CallBuiltLibrary(kRetrieveListColumnDetails, request).status, kStatusSuccess) << format;
    }
}

TEST(StatusMessages, EveryCodeHasItsText)
{
    platform::DynamicLibrary library;
    ASSERT_TRUE(library.load(TALMRDLL_PATH)) << library.errorText();
    const auto message = reinterpret_cast<StatusMessageFunction>(library.symbol(kGetReportViewerStatusMessage));
    ASSERT_NE(message, nullptr);
    const std::vector<std::pair<int, std::string>> texts = {
        {0, "Report viewer operation completed successfully."},
        {1, "Unexpected exception processing report."},
        {2, "Report type not supported."},
        {3, "Report file does not exist."},
        {4, "Report directory does not exist."},
        {5, "Unable to create the temporary report file."},
        {6, "Format is invalid for specified report type."},
        {7, "Invalid record for specified report type."},
        {80, "This report meets the custom matching criteria."},
        {81, "This report does not meet the custom matching criteria."},
        {98, ""}, // no process error since loading
        {99, "Unknown error processing report viewer command."},
        {-1, "Unknown error processing report viewer command."},
        {8, "Unknown error processing report viewer command."},
    };
    for (const auto& [code, text] : texts) {
        EXPECT_STREQ(message(code), text.c_str()) << code;
    }
}

TEST(Exports, AnswerWithoutTouchingFilesWhereTheFormatHasNothingToDo)
{
    test::TempFolder folder;
    const std::string missing = (folder / "missing.txt").string();
    const std::string output = (folder / "out.txt").string();
    const std::vector<std::tuple<const char*, const char*, int>> cases = {
        {"MOVE", kCreateDirectoryListingFile, kStatusSuccess},
        {"MOVE", kGenerateReportFile, kStatusSuccess},
        {"COPY", kGenerateReportFile, kStatusSuccess},
        {"DELETE", kCreateDirectoryListingFile, kStatusSuccess},
        {"TEXT", kPerformCustomMatchTest, kStatusNoCustomMatch},
        {"ALABAMA_MEDICAID_BRF", kPerformCustomMatchTest, kStatusNoCustomMatch},
        {"AVAILITY_IBR", kPerformCustomMatchTest, kStatusNoCustomMatch},
        {"BCBSMN_2_TEXT", kPerformCustomMatchTest, kStatusNoCustomMatch},
        {"BCBSMN_2_TEXT", kPerformReportPreArchiveTasks, kStatusSuccess},
        {"TEXT", kPerformReportPreArchiveTasks, kStatusSuccess},
        {"ANSI_999", kPerformReportPreArchiveTasks, kStatusSuccess},
    };
    for (const auto& [format, exportName, status] : cases) {
        TReportViewerRequest request = MakeRequest(format);
        SetFieldText(request.ReportPath, missing);
        SetFieldText(request.OutputPath, output);
        EXPECT_EQ(CallBuiltLibrary(exportName, request).status, status) << format << ' ' << exportName;
        EXPECT_FALSE(std::filesystem::exists(output)) << format << ' ' << exportName;
    }
}

TEST(Exports, PreArchiveTasksLeaveTheFileAlone)
{
    test::TempFolder folder;
    test::WriteFile(folder / "staged.txt", "BCBSMN report\r\n");
    TReportViewerRequest request = MakeRequest("BCBSMN_2_TEXT");
    SetFieldText(request.ReportPath, (folder / "staged.txt").string());
    EXPECT_EQ(CallBuiltLibrary(kPerformReportPreArchiveTasks, request).status, kStatusSuccess);
    EXPECT_EQ(test::ReadFile(folder / "staged.txt"), "BCBSMN report\r\n");
}

TEST(Exports, AFailureNoHandlerExpectedIsStatusOneNotACrash)
{
    test::TempFolder folder;
    test::WriteFile(folder / "TX1.TXT", "x");
    TReportViewerRequest request = MakeRequest("TEXT");
    SetFieldText(request.ReportPath, folder.folderText());
    SetFieldText(request.ArchivePrefix, "TX");
    // The listing cannot be saved: its folder does not exist.
    SetFieldText(request.OutputPath, (folder / "no such folder" / "TALMRDTX.DIR").string());
    const ReportLibraryCall call = CallBuiltLibrary(kCreateDirectoryListingFile, request);
    EXPECT_EQ(call.status, kStatusUnexpectedException);
    EXPECT_EQ(call.message, "Unexpected exception processing report.");
}

TEST(Exports, ANullRecordIsRefused)
{
    platform::DynamicLibrary library;
    ASSERT_TRUE(library.load(TALMRDLL_PATH));
    for (const char* name : {kRetrieveListColumnDetails, kCreateDirectoryListingFile, kGenerateReportFile,
                             kPerformCustomMatchTest, kPerformReportPreArchiveTasks}) {
        const auto run = reinterpret_cast<ReportRequestFunction>(library.symbol(name));
        ASSERT_NE(run, nullptr) << name;
        EXPECT_EQ(run(nullptr), kStatusUnexpectedException) << name;
    }
}

TEST(Exports, OnlyTheSixExportsAreVisible)
{
    const std::string command = std::string("nm -D --defined-only ") + TALMRDLL_PATH;
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        names.push_back(text.substr(text.rfind(' ') + 1));
    }
    ASSERT_EQ(::pclose(pipe), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"CreateDirectoryListingFile", "GenerateReportFile",
                                               "GetReportViewerStatusMessage", "PerformCustomMatchTest",
                                               "PerformReportPreArchiveTasks", "RetrieveListColumnDetails"}));
}

TEST(Exports, TheLibraryIsGoneAfterEachCall)
{
    TReportViewerRequest request = MakeRequest("TEXT");
    ASSERT_EQ(CallBuiltLibrary(kRetrieveListColumnDetails, request).status, kStatusSuccess);
    // RTLD_NOLOAD finds the library only if something still holds it.
    void* still = ::dlopen(TALMRDLL_PATH, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still, nullptr);
    if (still != nullptr) {
        ::dlclose(still);
    }
}

TEST(ProcessErrors, TheLastTextIsKeptUntilAHandlerSetsANewOne)
{
    // Linked in: the state a loaded library keeps between two calls.
    EXPECT_EQ(talmere::ReportProcessError("ANSI-864 Process Error: [Field count overflow: Segment MSG]"),
              kStatusProcessError);
    EXPECT_STREQ(talmere::StatusMessage(kStatusProcessError),
                 "ANSI-864 Process Error: [Field count overflow: Segment MSG]");
    EXPECT_STREQ(talmere::StatusMessage(kStatusSuccess), "Report viewer operation completed successfully.");
    EXPECT_STREQ(talmere::StatusMessage(kStatusProcessError),
                 "ANSI-864 Process Error: [Field count overflow: Segment MSG]");
    talmere::SetLastProcessError("");
}
