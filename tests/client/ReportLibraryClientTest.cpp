// Binding the report format library for one call, from the program's side.

#include "client/ReportLibraryClient.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace talmere;
using test::MakeRequest;

namespace {

// Whether the library file of this path is loaded in the process now.
bool IsLoaded(const std::string& path)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    ::dlclose(handle);
    return true;
}

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

TEST(ReportLibrarySession, KeepsTheLibraryLoadedForItsCallsOnlyUntilItEnds)
{
    test::TempFolder folder;
    const std::string copy = (folder / "libtalmrdll.so").string();
    std::filesystem::copy_file(TALMRDLL_PATH, copy);
    TReportViewerRequest request = MakeRequest("TEXT");
    {
        const ReportLibrarySession session({TALMRDLL_PATH});
        EXPECT_FALSE(session.isLoaded());
        for (int call = 0; call < 2; ++call) {
            EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {TALMRDLL_PATH}).status,
                      kStatusSuccess);
            EXPECT_TRUE(IsLoaded(TALMRDLL_PATH));
        }
        // A call with other candidates binds its library for itself.
        EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {copy}).status, kStatusSuccess);
        EXPECT_FALSE(IsLoaded(copy));
        {
            // The inner session serves the calls while it lives, and the outer one keeps its library.
            const ReportLibrarySession inner({copy});
            EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {copy}).status, kStatusSuccess);
            EXPECT_TRUE(IsLoaded(copy));
        }
        EXPECT_FALSE(IsLoaded(copy));
        EXPECT_TRUE(session.isLoaded());
        EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {TALMRDLL_PATH}).status, kStatusSuccess);
    }
    EXPECT_FALSE(IsLoaded(TALMRDLL_PATH));
}

TEST(ReportLibrarySession, ALibraryFileReplacedOrAddedIsPickedUpByTheNextCallThatLoads)
{
    test::TempFolder folder;
    const std::string path = (folder / "libtalmrdll.so").string();
    TReportViewerRequest request = MakeRequest("TEXT");
    {
        // A session whose first call found no library looks again at the next call.
        const ReportLibrarySession session({path});
        EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {path}).binding,
                  ReportLibraryCall::Binding::LibraryNotFound);
        std::filesystem::copy_file(TALMRDLL_PATH, path);
        EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {path}).status, kStatusSuccess);
    }
    // Replaced between two sessions: the second one loads the new file.
    std::filesystem::remove(path);
    std::filesystem::copy_file(FAKE_PARTIAL_LIBRARY_PATH, path);
    const ReportLibrarySession next({path});
    EXPECT_EQ(CallReportLibrary(kRetrieveListColumnDetails, request, true, {path}).binding,
              ReportLibraryCall::Binding::ExportMissing);
}
