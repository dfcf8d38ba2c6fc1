// The 997/999/TA1 handler on arbitrary bytes: listing, report and claim-type match through the exports, and
// the segment reader itself. Every input ends with a status; none crashes, hangs or reads past a buffer.

#include "common/ReportLibraryInterface.h"
#include "fuzz/FuzzSupport.h"
#include "library/frame/StatusMessages.h"
#include "library/x12/X12SegmentReader.h"

#include <cstdlib>

using namespace talmere;

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzWorkspace& workspace = fuzz::FuzzWorkspace::instance();
    const std::filesystem::path input = workspace.writeInput(data, size, "FZ999.X12");
    const char* const formats[] = {"ANSI_997", "ANSI_999", "ANSI_99X"};
    const char* const claimTypes[] = {"", "INST", "PROF", "both", "OTHER"};
    const std::uint8_t choice = size > 0 ? data[size - 1] : 0;

    TReportViewerRequest request = workspace.request(formats[choice % 3], input);
    SetFieldText(request.Params[0], claimTypes[choice % 5]);
    const int listing = CreateDirectoryListingFile(&request);
    Check(listing == kStatusSuccess || listing == kStatusInvalidFormat || listing == kStatusProcessError);
    if (listing == kStatusProcessError) {
        Check(LastProcessError().starts_with("ANSI-997/999 Process Error: [") && LastProcessError().ends_with("]"));
    }
    const int report = GenerateReportFile(&request);
    Check(report == kStatusSuccess || report == kStatusProcessError);
    const int match = PerformCustomMatchTest(&request);
    Check(match == kStatusCustomMatch || match == kStatusNoCustomMatch);
    // A file that lists can be matched only through its summary: a failed scan never matches.
    Check(listing == kStatusSuccess || match == kStatusNoCustomMatch);

    // The reader on its own: element texts stay within their limits and segments within twelve elements.
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    if (!reader.open(input)) {
        std::abort();
    }
    bool found = false;
    for (bool first = true; reader.ReadInterchangeHeader(first, found) == 0 && found; first = false) {
        Check(reader.interchangeHeader().size() == X12SegmentReader::kIsaLength);
        while (reader.ReadNextSegment() == 0 && !reader.atEnd()) {
            Check(reader.elementCount() >= 1 && reader.elementCount() <= X12SegmentReader::kMaxElementCount);
            for (int i = 0; i < reader.elementCount(); ++i) {
                Check(reader.element(i).size() <= 4096);
            }
            if (reader.isSegment("IEA")) {
                break;
            }
        }
    }
    return 0;
}
