// Exports GenerateReportFile but not GetReportViewerStatusMessage. If it is ever called, it leaves a mark in
// the request's output file.

#include "common/ReportLibraryInterface.h"

#include <cstdio>
#include <string>

std::int32_t TALMR_CALL GenerateReportFile(TReportViewerRequest* request)
{
    const std::string output(talmere::FieldText(request->OutputPath));
    if (std::FILE* file = std::fopen(output.c_str(), "wb")) {
        std::fputs("called", file);
        std::fclose(file);
    }
    return 0;
}
