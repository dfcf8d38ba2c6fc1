#pragma once

#include "common/ReportViewerRequest.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace talmere::fuzz {

// A private folder for one fuzzing process, with the current input written to a report file in it.
class FuzzWorkspace {
public:
    static FuzzWorkspace& instance();

    // Writes the input to the report file (name inside the workspace) and answers its path.
    std::filesystem::path writeInput(const std::uint8_t* data, std::size_t size, std::string_view name = "FZINPUT.TXT");
    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path outputPath() const { return m_folder / "out" / "TALMRTMP.TXT"; }

    // A request for the format on the report file, with the workspace as install folder.
    TReportViewerRequest request(std::string_view format, const std::filesystem::path& reportPath) const;

private:
    FuzzWorkspace();
    ~FuzzWorkspace();
    std::filesystem::path m_folder;
};

} // namespace talmere::fuzz
