// talmere-report: the report format library on the command line, for scripts, support and tests. It binds
// the library exactly as the report manager does, one load per call.

#include "client/ReportLibraryClient.h"
#include "common/DayDate.h"
#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "platform/SystemInfo.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

using namespace talmere;

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitToolError = 70;

const char* const kUsage = R"(Usage:
  talmere-report columns FORMAT
  talmere-report list FORMAT PATH [--prefix XX]
  talmere-report report FORMAT FILE [--point-size N] [--orientation PORTRAIT|LANDSCAPE]
                 [--param N=VALUE]... [--filter N=VALUE]... [-o OUT]
  talmere-report match FORMAT FILE [--param N=VALUE]...
  talmere-report prearchive FORMAT FILE

Runs one call of the report format library (libtalmrdll.so, found beside this program or in
dll/talmrdll/ below the current folder).

  columns     prints the list columns of a format
  list        writes the directory listing of a folder (PATH ending in /) or of one file
  report      writes the report text of one file to OUT, or to standard output
  match       runs the custom match test of a format on one file
  prearchive  runs the format's work on a staged file before it is archived

Options:
  --install-dir DIR   folder of TALMERE.INI (default: the current folder)
  --pivot N           two-digit years above N are 19yy, others 20yy (default 65)
  --desc TEXT         the report type's description
  --prefix XX         the report type's archive prefix (a folder lists the files that begin with it)
  --point-size N      report font size in points (default 10)
  --orientation O     PORTRAIT (default) or LANDSCAPE
  --param N=VALUE     the report type's ParamN (N from 1 to 10)
  --filter N=VALUE    report selection value N (1 to 10)
  -o OUT              write the report to OUT instead of standard output
  --help, --version

Exit status: 0 on success (and when match finds a match), otherwise the library's status code,
whose text goes to standard error; 99 when the library cannot be loaded, 64 for a usage error.
)";

struct Options {
    std::string command;
    std::string format;
    std::string path;
    std::string installDir;
    int pivot = 65;
    std::string desc;
    std::string prefix;
    std::string pointSize = "10";
    std::string orientation = "PORTRAIT";
    std::map<int, std::string> params;
    std::map<int, std::string> filters;
    std::string outputPath;
};

struct UsageError {
    std::string text;
};

std::pair<int, std::string> NumberedValue(const std::string& option, const std::string& text, int highest)
{
    const std::size_t equals = text.find('=');
    const std::optional<int> number = ParseInteger(std::string_view(text).substr(0, equals));
    if (equals == std::string::npos || !number || *number < 1 || *number > highest) {
        throw UsageError{option + " takes N=VALUE with N from 1 to " + std::to_string(highest) + ": " + text};
    }
    return {*number, text.substr(equals + 1)};
}

Options ParseArguments(const std::vector<std::string>& args)
{
    Options options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw UsageError{arg + " needs a value"};
            }
            return args[++i];
        };
        if (arg == "--install-dir") {
            options.installDir = value();
        } else if (arg == "--pivot") {
            const std::optional<int> pivot = ParseInteger(value());
            if (!pivot || *pivot < 0 || *pivot > 99) {
                throw UsageError{"--pivot takes a number from 0 to 99"};
            }
            options.pivot = *pivot;
        } else if (arg == "--desc") {
            options.desc = value();
        } else if (arg == "--prefix") {
            options.prefix = AsciiUpper(value());
        } else if (arg == "--point-size") {
            options.pointSize = value();
        } else if (arg == "--orientation") {
            options.orientation = AsciiUpper(value());
        } else if (arg == "--param") {
            auto [number, text] = NumberedValue(arg, value(), kRequestParamCount);
            options.params.insert_or_assign(number, std::move(text));
        } else if (arg == "--filter") {
            auto [number, text] = NumberedValue(arg, value(), kRequestFilterCount);
            options.filters.insert_or_assign(number, std::move(text));
        } else if (arg == "-o" || arg == "--output") {
            options.outputPath = value();
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError{"unknown option " + arg};
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty()) {
        throw UsageError{"no command given"};
    }
    options.command = positional[0];
    const bool takesPath = options.command != "columns";
    const std::size_t wanted = takesPath ? 3 : 2;
    if (options.command != "columns" && options.command != "list" && options.command != "report" &&
        options.command != "match" && options.command != "prearchive") {
        throw UsageError{"unknown command " + options.command};
    }
    if (positional.size() != wanted) {
        throw UsageError{options.command + (takesPath ? " takes FORMAT and PATH" : " takes FORMAT")};
    }
    options.format = positional[1];
    if (takesPath) {
        options.path = positional[2];
    }
    return options;
}

void SetText(RequestPathField& field, const std::string& value, const char* what)
{
    if (value.size() > FieldCapacity(field)) {
        throw UsageError{std::string(what) + " is longer than " + std::to_string(FieldCapacity(field)) +
                         " characters: " + value};
    }
    SetFieldText(field, value);
}

std::string WithSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

TReportViewerRequest BuildRequest(const Options& options)
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    std::error_code error;
    const std::string installDir =
        WithSeparator(options.installDir.empty() ? std::filesystem::current_path(error).string() : options.installDir);
    SetText(request.InstallDirectory, installDir, "the install folder");
    SetText(request.DataDirectory, installDir, "the install folder");
    SetText(request.ServerDirectory, installDir, "the install folder");
    SetFieldText(request.ProgramDirectory, platform::ExecutableFolder());
    request.CenturyDatePivotYear = options.pivot;
    request.RequestTime = EncodeDateTime(platform::LocalNow());
    SetText(request.ReportFormat, options.format, "the format");
    SetText(request.ReportDesc, options.desc, "the description");
    SetFieldText(request.ReportContext, "BOTH");
    if (options.prefix.size() > FieldCapacity(request.ArchivePrefix)) {
        throw UsageError{"the archive prefix has at most two characters: " + options.prefix};
    }
    SetFieldText(request.ArchivePrefix, options.prefix);
    SetFieldText(request.Font, "Courier New");
    if (options.pointSize.size() > FieldCapacity(request.PointSize)) {
        throw UsageError{"--point-size takes at most three characters: " + options.pointSize};
    }
    SetFieldText(request.PointSize, options.pointSize);
    if (options.orientation.size() > FieldCapacity(request.Orientation)) {
        throw UsageError{"--orientation takes PORTRAIT or LANDSCAPE"};
    }
    SetFieldText(request.Orientation, options.orientation);
    SetText(request.ReportPath, options.path, "the path");
    for (const auto& [number, value] : options.params) {
        SetText(request.Params[number - 1], value, "a parameter value");
    }
    for (const auto& [number, value] : options.filters) {
        if (value.size() > FieldCapacity(request.FilterValues[number - 1])) {
            throw UsageError{"a filter value has at most 80 characters: " + value};
        }
        SetFieldText(request.FilterValues[number - 1], value);
    }
    return request;
}

// A file of our own for the library to write into, removed again when done.
class TemporaryOutput {
public:
    TemporaryOutput() : m_path(platform::CreateTemporaryFile("talmr")) {}
    ~TemporaryOutput()
    {
        std::error_code error;
        std::filesystem::remove(m_path, error);
    }
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

bool CopyToStandardOutput(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    // Inserting a stream buffer that yields no character marks the output stream as failed: an empty report
    // is written by not inserting at all.
    if (in.peek() == std::ifstream::traits_type::eof()) {
        return true;
    }
    std::cout << in.rdbuf();
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

int ReportFailure(const ReportLibraryCall& call)
{
    switch (call.binding) {
    case ReportLibraryCall::Binding::LibraryNotFound:
        std::cerr << "talmere-report: Unable to load report viewer library. (" << call.loadError << ")\n";
        return kStatusNotCalled;
    case ReportLibraryCall::Binding::ExportMissing:
        std::cerr << "talmere-report: Unable to retrieve function addresses from report viewer library.\n";
        return kStatusNotCalled;
    case ReportLibraryCall::Binding::Called:
        break;
    }
    std::cerr << call.message << '\n';
    // Exit codes hold 0 to 255; statuses outside that still must not read as success.
    return call.status > 0 && call.status < 256 ? call.status : 1;
}

int RunColumns(const Options& options)
{
    TReportViewerRequest request = BuildRequest(options);
    const ReportLibraryCall call = CallReportLibrary(kRetrieveListColumnDetails, request);
    if (!call.called() || call.status != kStatusSuccess) {
        return ReportFailure(call);
    }
    std::printf("%-3s %-40s %-5s %-4s %5s\n", "#", "Caption", "Title", "Data", "Width");
    for (int i = 0; i < kRequestColumnCount; ++i) {
        const TReportColumnDetail& column = request.ColumnDetails[i];
        if (FieldText(column.Caption).empty()) {
            continue;
        }
        std::printf("%-3d %-40s %-5s %-4s %5d\n", i + 1, std::string(FieldText(column.Caption)).c_str(),
                    std::string(FieldText(column.TitleAlignment)).c_str(),
                    std::string(FieldText(column.DataAlignment)).c_str(), static_cast<int>(column.Width));
    }
    return 0;
}

int RunWithOutput(const Options& options, const char* exportName)
{
    TReportViewerRequest request = BuildRequest(options);
    std::optional<TemporaryOutput> temporary;
    if (options.outputPath.empty()) {
        temporary.emplace();
        SetFieldText(request.OutputPath, temporary->path());
    } else {
        SetText(request.OutputPath, options.outputPath, "the output path");
    }
    const ReportLibraryCall call = CallReportLibrary(exportName, request);
    if (!call.called() || call.status != kStatusSuccess) {
        const int code = ReportFailure(call);
        std::error_code error;
        if (code == kStatusFileMissing && std::filesystem::is_directory(options.path, error)) {
            std::cerr << "talmere-report: " << options.path << " is a folder; name a folder with a trailing /\n";
        }
        return code;
    }
    if (temporary && !CopyToStandardOutput(temporary->path())) {
        std::cerr << "talmere-report: the library reported success but wrote no output file\n";
        return kExitToolError;
    }
    return 0;
}

int RunMatch(const Options& options)
{
    TReportViewerRequest request = BuildRequest(options);
    const ReportLibraryCall call = CallReportLibrary(kPerformCustomMatchTest, request);
    if (call.called() && call.status == kStatusCustomMatch) {
        std::cout << call.message << '\n';
        return 0;
    }
    return ReportFailure(call);
}

int RunPreArchive(const Options& options)
{
    TReportViewerRequest request = BuildRequest(options);
    const ReportLibraryCall call = CallReportLibrary(kPerformReportPreArchiveTasks, request);
    return call.called() && call.status == kStatusSuccess ? 0 : ReportFailure(call);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "talmere-report " << TALMERE_VERSION << '\n';
            return 0;
        }
    }
    try {
        const Options options = ParseArguments(args);
        if (options.command == "columns") {
            return RunColumns(options);
        }
        if (options.command == "list") {
            return RunWithOutput(options, kCreateDirectoryListingFile);
        }
        if (options.command == "report") {
            return RunWithOutput(options, kGenerateReportFile);
        }
        if (options.command == "match") {
            return RunMatch(options);
        }
        return RunPreArchive(options);
    } catch (const UsageError& error) {
        std::cerr << "talmere-report: " << error.text << "\n\n" << kUsage;
        return kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "talmere-report: " << error.what() << '\n';
        return kExitToolError;
    }
}
