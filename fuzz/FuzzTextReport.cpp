// The text report types and the shared line reader and wrapper on arbitrary bytes.

#include "common/ReportLibraryInterface.h"
#include "fuzz/FuzzSupport.h"
#include "library/frame/ReportFiles.h"
#include "library/frame/ReportText.h"

#include <cstdlib>

using namespace talmere;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzWorkspace& workspace = fuzz::FuzzWorkspace::instance();
    const std::filesystem::path input = workspace.writeInput(data, size);

    for (const char* format : {"TEXT", "BCBSMN_2_TEXT"}) {
        TReportViewerRequest request = workspace.request(format, input);
        const int listing = CreateDirectoryListingFile(&request);
        const int report = GenerateReportFile(&request);
        const int match = PerformCustomMatchTest(&request);
        if (report != kStatusSuccess || match != kStatusNoCustomMatch ||
            (format[0] == 'T' && listing != kStatusSuccess)) {
            std::abort();
        }
    }

    // No line exceeds the reader's limit, and every piece of a wrapped line fits its width.
    ReportInputFile file;
    if (!file.open(input)) {
        std::abort();
    }
    std::string line;
    const int width = size > 0 ? 1 + data[0] % 40 : 10;
    while (!file.atEnd()) {
        ReadTextLine(file, line);
        if (line.size() > kMaxTextLineLength) {
            std::abort();
        }
        for (const std::string& piece : WrapValue(line, width)) {
            if (piece.empty() || piece.size() > static_cast<std::size_t>(width)) {
                std::abort();
            }
        }
    }
    return 0;
}
