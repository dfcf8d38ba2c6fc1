#pragma once

// What the report manager and the report format library agree on besides the request record, in the C++
// code of both: the status codes, the names of the exports and their types.

#include "common/ReportViewerRequest.h"

#include <cstdint>

namespace talmere {

enum ReportStatus : std::int32_t {
    kStatusSuccess = TALMR_STATUS_SUCCESS,
    kStatusUnexpectedException = TALMR_STATUS_UNEXPECTED_EXCEPTION,
    kStatusTypeNotSupported = TALMR_STATUS_TYPE_NOT_SUPPORTED,
    kStatusFileMissing = TALMR_STATUS_FILE_MISSING,
    kStatusFolderMissing = TALMR_STATUS_FOLDER_MISSING,
    kStatusCannotCreateOutput = TALMR_STATUS_CANNOT_CREATE_OUTPUT,
    kStatusInvalidFormat = TALMR_STATUS_INVALID_FORMAT,
    kStatusInvalidRecord = TALMR_STATUS_INVALID_RECORD,
    kStatusCustomMatch = TALMR_STATUS_CUSTOM_MATCH,
    kStatusNoCustomMatch = TALMR_STATUS_NO_CUSTOM_MATCH,
    kStatusProcessError = TALMR_STATUS_PROCESS_ERROR,
    // Never returned by the library: the caller's code for "the export was not called".
    kStatusNotCalled = 99,
};

inline constexpr const char* kRetrieveListColumnDetails = "RetrieveListColumnDetails";
inline constexpr const char* kCreateDirectoryListingFile = "CreateDirectoryListingFile";
inline constexpr const char* kGenerateReportFile = "GenerateReportFile";
inline constexpr const char* kPerformCustomMatchTest = "PerformCustomMatchTest";
inline constexpr const char* kPerformReportPreArchiveTasks = "PerformReportPreArchiveTasks";
inline constexpr const char* kGetReportViewerStatusMessage = "GetReportViewerStatusMessage";

// The types a caller binds the exports with at run time: those of the C interface's prototypes.
using ReportRequestFunction = TalmrRequestFunction;
using StatusMessageFunction = TalmrStatusMessageFunction;
static_assert(std::is_same_v<ReportRequestFunction, decltype(&::RetrieveListColumnDetails)>);
static_assert(std::is_same_v<ReportRequestFunction, decltype(&::CreateDirectoryListingFile)>);
static_assert(std::is_same_v<ReportRequestFunction, decltype(&::GenerateReportFile)>);
static_assert(std::is_same_v<ReportRequestFunction, decltype(&::PerformCustomMatchTest)>);
static_assert(std::is_same_v<ReportRequestFunction, decltype(&::PerformReportPreArchiveTasks)>);
static_assert(std::is_same_v<StatusMessageFunction, decltype(&::GetReportViewerStatusMessage)>);

// The library's file name, tried first by plain name and then below the current folder.
inline constexpr const char* kReportLibraryName = "libtalmrdll.so";
inline constexpr const char* kReportLibraryFallbackPath = "dll/talmrdll/libtalmrdll.so";

} // namespace talmere
