#pragma once

// The request record shared by the report manager and the report format library. Its layout is a binary
// contract between two separately built deliverables: every offset below is fixed and checked at compile time.

#include "common/ShortString.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace talmere {

inline constexpr int kRequestParamCount = 10;
inline constexpr int kRequestFilterCount = 10;
inline constexpr int kRequestColumnCount = 12;

#pragma pack(push, 1)

struct TReportColumnDetail {
    ShortString<40> Caption;       // empty caption: the entry describes no column
    ShortString<1> TitleAlignment; // "L", "C" or "R"
    ShortString<1> DataAlignment;
    char Padding[3];
    std::int32_t Width; // display width in characters
};

struct TReportViewerRequest {
    ShortString<255> DataDirectory;
    ShortString<255> ProgramDirectory;
    ShortString<255> ServerDirectory;
    ShortString<255> InstallDirectory; // ends in the folder separator; TALMERE.INI lives here
    std::int32_t EngineHandle;
    std::int32_t CenturyDatePivotYear;
    double RequestTime; // days since 30 December 1899, time as fraction
    ShortString<255> ReportFormat;
    ShortString<255> ReportDesc;
    ShortString<4> ReportContext;
    ShortString<2> ArchivePrefix;
    ShortString<80> Font;
    ShortString<3> PointSize;
    ShortString<20> Orientation;
    ShortString<255> ReportPath; // one report file, or an archive folder ending in the separator
    ShortString<255> OutputPath;
    ShortString<255> Params[kRequestParamCount];
    ShortString<80> FilterValues[kRequestFilterCount];
    TReportColumnDetail ColumnDetails[kRequestColumnCount];
};

#pragma pack(pop)

static_assert(sizeof(TReportColumnDetail) == 52);
static_assert(offsetof(TReportColumnDetail, Caption) == 0);
static_assert(offsetof(TReportColumnDetail, TitleAlignment) == 41);
static_assert(offsetof(TReportColumnDetail, DataAlignment) == 43);
static_assert(offsetof(TReportColumnDetail, Width) == 48);

static_assert(sizeof(TReportViewerRequest) == 6172);
static_assert(offsetof(TReportViewerRequest, DataDirectory) == 0);
static_assert(offsetof(TReportViewerRequest, ProgramDirectory) == 256);
static_assert(offsetof(TReportViewerRequest, ServerDirectory) == 512);
static_assert(offsetof(TReportViewerRequest, InstallDirectory) == 768);
static_assert(offsetof(TReportViewerRequest, EngineHandle) == 1024);
static_assert(offsetof(TReportViewerRequest, CenturyDatePivotYear) == 1028);
static_assert(offsetof(TReportViewerRequest, RequestTime) == 1032);
static_assert(offsetof(TReportViewerRequest, ReportFormat) == 1040);
static_assert(offsetof(TReportViewerRequest, ReportDesc) == 1296);
static_assert(offsetof(TReportViewerRequest, ReportContext) == 1552);
static_assert(offsetof(TReportViewerRequest, ArchivePrefix) == 1557);
static_assert(offsetof(TReportViewerRequest, Font) == 1560);
static_assert(offsetof(TReportViewerRequest, PointSize) == 1641);
static_assert(offsetof(TReportViewerRequest, Orientation) == 1645);
static_assert(offsetof(TReportViewerRequest, ReportPath) == 1666);
static_assert(offsetof(TReportViewerRequest, OutputPath) == 1922);
static_assert(offsetof(TReportViewerRequest, Params) == 2178);
static_assert(offsetof(TReportViewerRequest, FilterValues) == 4738);
static_assert(offsetof(TReportViewerRequest, ColumnDetails) == 5548);

// The record is filled with memset and copied bytewise by both sides.
static_assert(std::is_trivially_copyable_v<TReportViewerRequest>);
static_assert(std::is_standard_layout_v<TReportViewerRequest>);

} // namespace talmere
