#pragma once

// What the report manager and the report format library agree on besides the request record: the names of
// the exports, their signatures and the status codes.

#include "common/ReportViewerRequest.h"

#include <cstdint>

#if defined(_WIN32) && defined(_M_IX86)
#define TALMR_CALL __stdcall
#else
#define TALMR_CALL
#endif

namespace talmere {

enum ReportStatus : std::int32_t {
    kStatusSuccess = 0,
    kStatusUnexpectedException = 1,
    kStatusTypeNotSupported = 2,
    kStatusFileMissing = 3,
    kStatusFolderMissing = 4,
    kStatusCannotCreateOutput = 5,
    kStatusInvalidFormat = 6,
    kStatusInvalidRecord = 7,
    kStatusCustomMatch = 80,
    kStatusNoCustomMatch = 81,
    kStatusProcessError = 98,
    // Never returned by the library: the caller's code for "the export was not called".
    kStatusNotCalled = 99,
};

inline constexpr const char* kRetrieveListColumnDetails = "RetrieveListColumnDetails";
inline constexpr const char* kCreateDirectoryListingFile = "CreateDirectoryListingFile";
inline constexpr const char* kGenerateReportFile = "GenerateReportFile";
inline constexpr const char* kPerformCustomMatchTest = "PerformCustomMatchTest";
inline constexpr const char* kPerformReportPreArchiveTasks = "PerformReportPreArchiveTasks";
inline constexpr const char* kGetReportViewerStatusMessage = "GetReportViewerStatusMessage";

using ReportRequestFunction = std::int32_t(TALMR_CALL*)(TReportViewerRequest* request);
using StatusMessageFunction = const char*(TALMR_CALL*)(std::int32_t code);

// The library's file name, tried first by plain name and then below the current folder.
inline constexpr const char* kReportLibraryName = "libtalmrdll.so";
inline constexpr const char* kReportLibraryFallbackPath = "dll/talmrdll/libtalmrdll.so";

} // namespace talmere
