#pragma once

// What every fuzz target of a claim report checks: the listing of one file answers 0 or 7 with at most one
// line of the type's field count (at least that count where a fixed-width value may hold a "|"), the report answers 0
// or 6, and a selection of a file whose report succeeds is itself a file of the type that reports without error.

#include "common/ReportLibraryInterface.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace talmere::fuzz {

inline std::string ReadWhole(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Selection values taken from the start of the input, so that the fuzzer can steer them.
inline void SetSelection(TReportViewerRequest& request, const std::uint8_t* data, std::size_t size, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::size_t length = size > static_cast<std::size_t>(i) ? data[i] % 4 : 0;
        std::string value;
        for (std::size_t k = 0; k < length && i + 1 + k < size; ++k) {
            value += static_cast<char>(data[i + 1 + k]);
        }
        SetFieldText(request.FilterValues[i], value);
    }
    // Always one value set, so that every input runs through the selection.
    SetFieldText(request.FilterValues[count - 1], "A R D P S W X NA");
}

inline void CheckClaimReport(const char* format, std::size_t listingFields, int selectionCount,
                             const std::uint8_t* data, std::size_t size, bool barsInValues = false)
{
    FuzzWorkspace& workspace = FuzzWorkspace::instance();
    const std::filesystem::path input = workspace.writeInput(data, size);

    TReportViewerRequest request = workspace.request(format, input);
    const int listing = CreateDirectoryListingFile(&request);
    const std::string lines = ReadWhole(workspace.outputPath());
    if (listing == kStatusSuccess) {
        const std::size_t bars = static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '|'));
        if (bars + 1 < listingFields || (!barsInValues && bars + 1 != listingFields) || !lines.ends_with("\r\n")) {
            std::abort();
        }
    } else if (listing != kStatusInvalidRecord || !lines.empty()) {
        std::abort();
    }

    const int report = GenerateReportFile(&request);
    if (report != kStatusSuccess && report != kStatusInvalidFormat) {
        std::abort();
    }
    TReportViewerRequest selected = workspace.request(format, input);
    SetSelection(selected, data, size, selectionCount);
    const int selection = GenerateReportFile(&selected);
    if ((selection != kStatusSuccess && selection != kStatusInvalidFormat) ||
        (report == kStatusSuccess && selection != kStatusSuccess)) {
        std::abort();
    }
}

} // namespace talmere::fuzz
