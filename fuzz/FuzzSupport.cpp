#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace talmere::fuzz {

FuzzWorkspace& FuzzWorkspace::instance()
{
    static FuzzWorkspace workspace;
    return workspace;
}

FuzzWorkspace::FuzzWorkspace()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talmere-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create the fuzz workspace");
    }
    m_folder = pattern;
    std::filesystem::create_directory(m_folder / "out");
}

FuzzWorkspace::~FuzzWorkspace()
{
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

std::filesystem::path FuzzWorkspace::writeInput(const std::uint8_t* data, std::size_t size, std::string_view name)
{
    const std::filesystem::path path = m_folder / name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
    return path;
}

TReportViewerRequest FuzzWorkspace::request(std::string_view format, const std::filesystem::path& reportPath) const
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    SetFieldText(request.InstallDirectory, m_folder.string() + "/");
    request.CenturyDatePivotYear = 65;
    SetFieldText(request.ReportFormat, format);
    SetFieldText(request.ReportDesc, "Fuzz");
    SetFieldText(request.ReportContext, "BOTH");
    SetFieldText(request.ArchivePrefix, "FZ");
    SetFieldText(request.PointSize, "10");
    SetFieldText(request.Orientation, "PORTRAIT");
    SetFieldText(request.ReportPath, reportPath.string());
    SetFieldText(request.OutputPath, outputPath().string());
    return request;
}

} // namespace talmere::fuzz
