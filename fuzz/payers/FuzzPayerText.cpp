// The BCBSMN and BCBSTX handlers on arbitrary bytes: listings, carriage-control reports, the received-name
// stamp and the file-name match.

#include "common/ReportLibraryInterface.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

using namespace talmere;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzWorkspace& workspace = fuzz::FuzzWorkspace::instance();
    // The first bytes also name the file, so that the name rules see all kinds of names.
    std::string name = "PMAA045";
    for (std::size_t i = 0; i < size && i < name.size(); ++i) {
        const char c = static_cast<char>(data[i]);
        if (c > ' ' && c < 127 && c != '/' && c != '\\') {
            name[i] = c;
        }
    }
    const std::filesystem::path input = workspace.writeInput(data, size, name);

    for (const char* format : {"BCBSMN_TEXT", "BCBSMN_2_TEXT", "BCBSTX_TEXT"}) {
        TReportViewerRequest request = workspace.request(format, input);
        SetFieldText(request.Params[0], "MA");
        const int listing = CreateDirectoryListingFile(&request);
        const int report = GenerateReportFile(&request);
        const int match = PerformCustomMatchTest(&request);
        if (listing != kStatusSuccess || report != kStatusSuccess ||
            (match != kStatusCustomMatch && match != kStatusNoCustomMatch)) {
            std::abort();
        }
    }

    // A second stamp changes nothing. (A file that already carries a mark with an empty name, which no stamp
    // writes, is stamped again each time.)
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.find("<<ORIG FILE>>") != std::string_view::npos) {
        std::filesystem::remove(input);
        return 0;
    }
    TReportViewerRequest request = workspace.request("BCBSMN_TEXT", input);
    if (PerformReportPreArchiveTasks(&request) != kStatusSuccess) {
        std::abort();
    }
    std::ifstream first(input, std::ios::binary);
    const std::string stamped((std::istreambuf_iterator<char>(first)), std::istreambuf_iterator<char>());
    first.close();
    if (PerformReportPreArchiveTasks(&request) != kStatusSuccess) {
        std::abort();
    }
    std::ifstream second(input, std::ios::binary);
    const std::string again((std::istreambuf_iterator<char>(second)), std::istreambuf_iterator<char>());
    if (again != stamped) {
        std::abort();
    }
    std::filesystem::remove(input);
    return 0;
}
