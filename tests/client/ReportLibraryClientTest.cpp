// Binding the report format library for one call, from the program's side.

#include "client/ReportLibraryClient.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace talmere;
using test::MakeRequest;

namespace {

// Installs a library file as dll/talmrdll/libtalmrdll.so below a folder.
void InstallBelow(const std::filesystem::path& folder, const std::filesystem::path& library)
{
    std::filesystem::create_directories(folder / "dll" / "talmrdll");
    std::filesystem::copy_file(library, folder / "dll" / "talmrdll" / "libtalmrdll.so");
}

} // namespace

TEST(ReportLibraryClient, FindsTheLibraryBelowTheCurrentFolder)
{
    test::TempFolder folder;
    InstallBelow(folder.path(), TALMRDLL_PATH);
    test::CurrentFolder here(folder.path());
    TReportViewerRequest request = MakeRequest("TEXT");
    const ReportLibraryCall call = CallReportLibrary(kRetrieveListColumnDetails, request);
    EXPECT_TRUE(call.called());
    EXPECT_EQ(call.status, kStatusSuccess);
    EXPECT_EQ(call.message, "");
    EXPECT_EQ(FieldText(request.ColumnDetails[2].Caption), "Description");
}

TEST(ReportLibraryClient, NoLibraryMeansTheCallIsNotMade)
{
    test::TempFolder folder;
    test::CurrentFolder here(folder.path());
    TReportViewerRequest request = MakeRequest("TEXT");
    const ReportLibraryCall call = CallReportLibrary(kRetrieveListColumnDetails, request);
    EXPECT_EQ(call.binding, ReportLibraryCall::Binding::LibraryNotFound);
    EXPECT_EQ(call.status, kStatusNotCalled);
    EXPECT_NE(call.loadError, "");
    EXPECT_EQ(FieldText(request.ColumnDetails[0].Caption), "");
}

TEST(ReportLibraryClient, ALibraryWithoutTheStatusMessageExportIsNeverCalled)
{
    test::TempFolder folder;
    InstallBelow(folder.path(), FAKE_PARTIAL_LIBRARY_PATH);
    test::CurrentFolder here(folder.path());
    TReportViewerRequest request = MakeRequest("TEXT");
    SetFieldText(request.OutputPath, (folder / "mark").string());
    const ReportLibraryCall call = CallReportLibrary(kGenerateReportFile, request);
    EXPECT_EQ(call.binding, ReportLibraryCall::Binding::ExportMissing);
    EXPECT_EQ(call.status, kStatusNotCalled);
    EXPECT_FALSE(std::filesystem::exists(folder / "mark"));

    // Nor is an export the library does not have.
    const ReportLibraryCall missing = CallReportLibrary("NoSuchExport", request, true, {TALMRDLL_PATH});
    EXPECT_EQ(missing.binding, ReportLibraryCall::Binding::ExportMissing);
}

TEST(ReportLibraryClient, FetchesTheStatusTextOnlyWhenAskedAndNotForSuccess)
{
    TReportViewerRequest request = MakeRequest("text");
    EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {TALMRDLL_PATH}).message,
              "Report type not supported.");
    const ReportLibraryCall quiet = CallReportLibrary(kRetrieveListColumnDetails, request, false, {TALMRDLL_PATH});
    EXPECT_EQ(quiet.status, kStatusTypeNotSupported);
    EXPECT_EQ(quiet.message, "");
}

TEST(ReportLibraryClient, TriesTheCandidatesInOrderAndUnloadsAfterTheCall)
{
    test::TempFolder folder;
    TReportViewerRequest request = MakeRequest("TEXT");
    const ReportLibraryCall call =
        CallReportLibrary(kRetrieveListColumnDetails, request, true, {(folder / "absent.so").string(), TALMRDLL_PATH});
    EXPECT_EQ(call.status, kStatusSuccess);
    EXPECT_EQ(::dlopen(TALMRDLL_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
}
