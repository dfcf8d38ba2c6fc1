// Exports GenerateReportFile but not GetReportViewerStatusMessage. If it is ever called, it leaves a mark in
// the request's output file.

#include "common/ReportLibraryInterface.h"

#include <cstdio>

extern "C" __attribute__((visibility("default"))) std::int32_t
GenerateReportFile(talmere::TReportViewerRequest* request)
{
    if (std::FILE* file = std::fopen(request->OutputPath.str().c_str(), "wb")) {
        std::fputs("called", file);
        std::fclose(file);
    }
    return 0;
}
