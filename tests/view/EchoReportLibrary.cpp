// A stand-in report library for the report generation tests. Its report text tells what the request carried:
// the report file and the ten selection values, one line each, so a test can see what reached the library.
// With the type's first parameter "NOFILE" it answers success without writing anything.

#include "common/ReportLibraryInterface.h"

#include <cstdio>
#include <string>

std::int32_t TALMR_CALL GenerateReportFile(TReportViewerRequest* request)
{
    if (talmere::FieldText(request->Params[0]) == "NOFILE") {
        return talmere::kStatusSuccess;
    }
    const std::string output(talmere::FieldText(request->OutputPath));
    std::FILE* file = std::fopen(output.c_str(), "wb");
    if (file == nullptr) {
        return talmere::kStatusCannotCreateOutput;
    }
    std::string text = "report=" + std::string(talmere::FieldText(request->ReportPath)) + "\n";
    for (const auto& value : request->FilterValues) {
        text += "value=" + std::string(talmere::FieldText(value)) + "\n";
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return talmere::kStatusSuccess;
}

const char* TALMR_CALL GetReportViewerStatusMessage(std::int32_t)
{
    return "Stand-in report library status.";
}
