// The 864 handler on arbitrary bytes: listing and report through the exports.

#include "common/ReportLibraryInterface.h"
#include "fuzz/FuzzSupport.h"
#include "library/frame/StatusMessages.h"
#include "library/x12/TextMessageReport.h"

#include <cstdlib>
#include <filesystem>

using namespace talmere;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzWorkspace& workspace = fuzz::FuzzWorkspace::instance();
    const std::filesystem::path input = workspace.writeInput(data, size, "FZ864.X12");
    TReportViewerRequest request = workspace.request("ANSI_864", input);

    const int listing = CreateDirectoryListingFile(&request);
    if (listing != kStatusSuccess && listing != kStatusInvalidFormat && listing != kStatusProcessError) {
        std::abort();
    }
    if (listing == kStatusProcessError && !LastProcessError().starts_with("ANSI-864 Process Error: [")) {
        std::abort();
    }
    const int report = GenerateReportFile(&request);
    if (report != kStatusSuccess && report != kStatusProcessError) {
        std::abort();
    }
    // Each input byte can ask for at most a bounded number of output bytes.
    std::error_code error;
    const auto written = std::filesystem::file_size(workspace.outputPath(), error);
    if (!error && written > 16 * (size + 1) * static_cast<std::uintmax_t>(ansi864::kMaxLineAdvance)) {
        std::abort();
    }
    return 0;
}
