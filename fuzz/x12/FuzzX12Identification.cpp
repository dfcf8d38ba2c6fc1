// The X12 content identification test of the action types on arbitrary bytes, with every kind, claim type
// and intermediary group: the answer is always 80 or 81.

#include "common/ReportLibraryInterface.h"
#include "fuzz/FuzzSupport.h"
#include "library/x12/X12SegmentReader.h"

#include <cstdlib>
#include <fstream>

using namespace talmere;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzWorkspace& workspace = fuzz::FuzzWorkspace::instance();
    const std::filesystem::path input = workspace.writeInput(data, size, "FZSTAGED.X12");
    const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
    const char* const intermediaries[] = {"", "NOVSI", "HIGMK", "ABCBS"};
    {
        std::ofstream ini(workspace.folder() / "TALMERE.INI", std::ios::trunc);
        ini << "[General]\nIntermediary=" << intermediaries[choice % 4] << "\n";
    }
    const char* const kinds[] = {"ANSI_271", "ANSI_277", "ANSI_277_ONLY", "ANSI_277CA_ONLY", "ANSI_835", "ANSI_99X"};
    const char* const claimTypes[] = {"", "INST", "PROF", "BOTH"};
    const char* const formats[] = {"COPY", "MOVE", "DELETE"};
    for (const char* kind : kinds) {
        TReportViewerRequest request = workspace.request(formats[choice % 3], input);
        SetFieldText(request.Params[0], kind);
        SetFieldText(request.Params[1], claimTypes[(choice / 4) % 4]);
        SetFieldText(request.Params[2], choice & 0x80 ? "YES" : "");
        const int status = PerformCustomMatchTest(&request);
        if (status != kStatusCustomMatch && status != kStatusNoCustomMatch) {
            std::abort();
        }
    }
    // The loader's texts are whole segments within its limit.
    std::vector<std::string> list;
    if (LoadX12SegmentList(input, list, 300)) {
        if (list.empty() || list.size() > 300 || list.front().size() != X12SegmentReader::kIsaLength) {
            std::abort();
        }
        for (const std::string& segment : list) {
            if (segment.empty() || segment.size() > kMaxListedSegmentLength) {
                std::abort();
            }
        }
    }
    return 0;
}
