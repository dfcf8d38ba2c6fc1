/* talmrdll.h: the interface of the report format library (libtalmrdll.so, TALMRDLL.DLL on Windows).
 *
 * Six functions and one fixed-layout request record. The report manager loads the library by file name for
 * every single call, fills a request, calls one export with the request's address and, for a status other
 * than 0, fetches the status text while the library is still loaded. Nothing is kept from one call to the
 * next, and nothing is thrown across this boundary: every export answers a status.
 *
 * Text fields are short strings as the two sides have always exchanged them: the first byte holds the length,
 * the characters follow (single-byte Windows ANSI text), and a value longer than the field is cut at its
 * capacity. A field declared [N + 1] holds at most N characters. Folders end in the folder separator.
 *
 * Plain C (C99 or later) and C++. */

#ifndef TALMRDLL_H
#define TALMRDLL_H

#include <stddef.h>
#include <stdint.h>

/* TALMR_CALL: the calling convention of the exports, __stdcall in a 32-bit Windows build as the library was
 * first built; other targets have one convention. TALMR_API: exported when the library itself is built
 * (TALMRDLL_BUILDING), imported otherwise on Windows; default visibility on GCC and Clang, where everything
 * else in the library is hidden. */
#if defined(_WIN32)
#if defined(_M_IX86) || defined(__i386__)
#define TALMR_CALL __stdcall
#else
#define TALMR_CALL
#endif
#if defined(TALMRDLL_BUILDING)
#define TALMR_API __declspec(dllexport)
#else
#define TALMR_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define TALMR_CALL
#define TALMR_API __attribute__((visibility("default")))
#else
#define TALMR_CALL
#define TALMR_API
#endif

#if defined(__cplusplus)
#define TALMR_STATIC_ASSERT(condition, text) static_assert(condition, text)
#else
#define TALMR_STATIC_ASSERT(condition, text) _Static_assert(condition, text)
#endif

#if defined(__cplusplus)
extern "C" {
#endif

enum { TALMR_PARAM_COUNT = 10, TALMR_FILTER_COUNT = 10, TALMR_COLUMN_COUNT = 12 };

/* The statuses the exports answer. 80 and 81 are the outcome of a custom match test; 98 is a process error
 * whose detailed text GetReportViewerStatusMessage(98) gives. */
enum {
    TALMR_STATUS_SUCCESS = 0,
    TALMR_STATUS_UNEXPECTED_EXCEPTION = 1,
    TALMR_STATUS_TYPE_NOT_SUPPORTED = 2,
    TALMR_STATUS_FILE_MISSING = 3,
    TALMR_STATUS_FOLDER_MISSING = 4,
    TALMR_STATUS_CANNOT_CREATE_OUTPUT = 5,
    TALMR_STATUS_INVALID_FORMAT = 6,
    TALMR_STATUS_INVALID_RECORD = 7,
    TALMR_STATUS_CUSTOM_MATCH = 80,
    TALMR_STATUS_NO_CUSTOM_MATCH = 81,
    TALMR_STATUS_PROCESS_ERROR = 98
};

#pragma pack(push, 1)

/* One list column of a report format. An empty caption: the entry describes no column. */
typedef struct TReportColumnDetail {
    unsigned char Caption[40 + 1];
    unsigned char TitleAlignment[1 + 1]; /* "L", "C" or "R" */
    unsigned char DataAlignment[1 + 1];
    unsigned char Padding[3];
    int32_t Width; /* display width in characters */
} TReportColumnDetail;

/* The request record: 6172 bytes, passed by address to every request export. */
typedef struct TReportViewerRequest {
    unsigned char DataDirectory[255 + 1];
    unsigned char ProgramDirectory[255 + 1];
    unsigned char ServerDirectory[255 + 1];
    unsigned char InstallDirectory[255 + 1]; /* TALMERE.INI lives here */
    int32_t EngineHandle;
    int32_t CenturyDatePivotYear; /* two-digit years above it are 19yy */
    double RequestTime;           /* days since 30 December 1899, time as fraction */
    unsigned char ReportFormat[255 + 1];
    unsigned char ReportDesc[255 + 1];
    unsigned char ReportContext[4 + 1];
    unsigned char ArchivePrefix[2 + 1];
    unsigned char Font[80 + 1];
    unsigned char PointSize[3 + 1];
    unsigned char Orientation[20 + 1];
    unsigned char ReportPath[255 + 1]; /* one report file, or an archive folder ending in the separator */
    unsigned char OutputPath[255 + 1];
    unsigned char Params[TALMR_PARAM_COUNT][255 + 1];
    unsigned char FilterValues[TALMR_FILTER_COUNT][80 + 1];
    TReportColumnDetail ColumnDetails[TALMR_COLUMN_COUNT];
} TReportViewerRequest;

#pragma pack(pop)

TALMR_STATIC_ASSERT(sizeof(TReportColumnDetail) == 52, "TReportColumnDetail is 52 bytes");
TALMR_STATIC_ASSERT(offsetof(TReportColumnDetail, TitleAlignment) == 41, "TitleAlignment at 41");
TALMR_STATIC_ASSERT(offsetof(TReportColumnDetail, DataAlignment) == 43, "DataAlignment at 43");
TALMR_STATIC_ASSERT(offsetof(TReportColumnDetail, Width) == 48, "Width at 48");

TALMR_STATIC_ASSERT(sizeof(TReportViewerRequest) == 6172, "TReportViewerRequest is 6172 bytes");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ProgramDirectory) == 256, "ProgramDirectory at 256");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ServerDirectory) == 512, "ServerDirectory at 512");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, InstallDirectory) == 768, "InstallDirectory at 768");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, EngineHandle) == 1024, "EngineHandle at 1024");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, CenturyDatePivotYear) == 1028, "CenturyDatePivotYear at 1028");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, RequestTime) == 1032, "RequestTime at 1032");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ReportFormat) == 1040, "ReportFormat at 1040");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ReportDesc) == 1296, "ReportDesc at 1296");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ReportContext) == 1552, "ReportContext at 1552");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ArchivePrefix) == 1557, "ArchivePrefix at 1557");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, Font) == 1560, "Font at 1560");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, PointSize) == 1641, "PointSize at 1641");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, Orientation) == 1645, "Orientation at 1645");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ReportPath) == 1666, "ReportPath at 1666");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, OutputPath) == 1922, "OutputPath at 1922");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, Params) == 2178, "Params at 2178");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, FilterValues) == 4738, "FilterValues at 4738");
TALMR_STATIC_ASSERT(offsetof(TReportViewerRequest, ColumnDetails) == 5548, "ColumnDetails at 5548");

/* Fills the twelve ColumnDetails of the request's ReportFormat. */
TALMR_API int32_t TALMR_CALL RetrieveListColumnDetails(TReportViewerRequest* request);

/* Writes the directory listing file OutputPath of ReportPath: an archive folder (ending in the separator; the
 * files whose names begin with ArchivePrefix) or one report file. */
TALMR_API int32_t TALMR_CALL CreateDirectoryListingFile(TReportViewerRequest* request);

/* Writes the report text of the file ReportPath to OutputPath (text with CR LF line ends, or RTF). */
TALMR_API int32_t TALMR_CALL GenerateReportFile(TReportViewerRequest* request);

/* Tests the file ReportPath against the format's custom matching criteria: 80 when it meets them, 81 when it
 * does not. */
TALMR_API int32_t TALMR_CALL PerformCustomMatchTest(TReportViewerRequest* request);

/* Performs the format's tasks on the staged file ReportPath before it is archived. */
TALMR_API int32_t TALMR_CALL PerformReportPreArchiveTasks(TReportViewerRequest* request);

/* The text of a status. The text belongs to the library: copy it before the library is unloaded. */
TALMR_API const char* TALMR_CALL GetReportViewerStatusMessage(int32_t code);

/* The exports' types, for a caller that binds them at run time. */
typedef int32_t(TALMR_CALL* TalmrRequestFunction)(TReportViewerRequest* request);
typedef const char*(TALMR_CALL* TalmrStatusMessageFunction)(int32_t code);

#if defined(__cplusplus)
}
#endif

#endif /* TALMRDLL_H */
