#pragma once

// Calls of the built report format library as the program makes them, for the claim and payer reports, and
// the fixture of their tests.

#include "common/ReportLibraryInterface.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talmere::test {

struct ReportRun {
    int status = kStatusNotCalled;
    std::string text; // the report file, or "(none)" when none was written
};

struct ReportOptions {
    std::map<int, std::string> filters;
    std::map<int, std::string> params;
    std::string pointSize = "10";
    std::string orientation = "PORTRAIT";
};

// Options with one selection value set.
inline ReportOptions Filter(int number, std::string value)
{
    ReportOptions options;
    options.filters[number] = std::move(value);
    return options;
}

// GenerateReportFile on one file; the report goes to a file in the given folder.
inline ReportRun RunReport(std::string_view format, const std::filesystem::path& file, const TempFolder& folder,
                           const ReportOptions& options = {})
{
    TReportViewerRequest request = MakeRequest(format);
    SetFieldText(request.ReportPath, file.string());
    const std::filesystem::path output = folder / "TALMRTMP.TXT";
    std::error_code error;
    std::filesystem::remove(output, error);
    SetFieldText(request.OutputPath, output.string());
    SetFieldText(request.PointSize, options.pointSize);
    SetFieldText(request.Orientation, options.orientation);
    for (const auto& [number, value] : options.filters) {
        SetFieldText(request.FilterValues[number - 1], value);
    }
    for (const auto& [number, value] : options.params) {
        SetFieldText(request.Params[number - 1], value);
    }
    ReportRun run;
    run.status = CallBuiltLibrary(kGenerateReportFile, request).status;
    run.text = std::filesystem::exists(output) ? ReadFile(output) : "(none)";
    return run;
}

struct ListingRun {
    int status = kStatusNotCalled;
    std::string text;
};

// CreateDirectoryListingFile on one file or on a folder (a path text ending in "/").
inline ListingRun RunListing(std::string_view format, const std::string& reportPath, const TempFolder& folder,
                             std::string_view prefix = {}, std::string_view desc = {}, int pivot = 65)
{
    TReportViewerRequest request = MakeRequest(format);
    SetFieldText(request.ReportPath, reportPath);
    SetFieldText(request.ArchivePrefix, prefix);
    SetFieldText(request.ReportDesc, desc);
    request.CenturyDatePivotYear = pivot;
    const std::filesystem::path output = folder / "TALMRD.DIR";
    SetFieldText(request.OutputPath, output.string());
    ListingRun run;
    run.status = CallBuiltLibrary(kCreateDirectoryListingFile, request).status;
    run.text = std::filesystem::exists(output) ? ReadFile(output) : "(none)";
    return run;
}

// The lines of a text (CR LF or LF ends) that begin with the prefix.
inline std::vector<std::string> LinesStartingWith(const std::string& text, std::string_view prefix)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with(prefix)) {
            lines.push_back(line);
        }
    }
    return lines;
}

// A test with a fresh folder for the files it writes and the reports and listings it makes.
class ReportFolderTest : public ::testing::Test {
protected:
    TempFolder m_folder;

    // Writes a file into the folder; answers its path.
    std::filesystem::path write(const std::string& name, const std::string& content) const
    {
        WriteFile(m_folder / name, content);
        return m_folder / name;
    }
};

} // namespace talmere::test
