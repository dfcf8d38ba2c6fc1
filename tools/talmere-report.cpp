// talmere-report: the report format library on the command line, for scripts, support and tests. It binds
// the library exactly as the report manager does, one load per call.

#include "client/ReportLibraryClient.h"
#include "common/DayDate.h"
#include "common/ReportLibraryInterface.h"
#include "common/TextUtil.h"
#include "platform/SystemInfo.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

using namespace talmere;

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitToolError = 70;

const char* const kUsage = R"usage(Usage:
  talmere-report columns FORMAT [--json] [-o OUT]
  talmere-report list FORMAT PATH [--prefix XX] [--json] [-o OUT]
  talmere-report report FORMAT FILE [--point-size N] [--orientation PORTRAIT|LANDSCAPE]
                 [--param N=VALUE]... [--filter N=VALUE]... [-o OUT]
  talmere-report match FORMAT FILE [--param N=VALUE]... [--json] [-o OUT]
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
  --json              columns, list and match: write JSON (UTF-8) instead of text
  -o OUT              write the output to OUT instead of standard output
  --help, --version

JSON output: columns gives an array of {"number", "caption", "titleAlignment", "dataAlignment",
"width"}; list an array with one object per listed file, {"fileName", "reportDateTime"} followed by
one member per column named by its caption (a caption already taken gets " (N)", N the column's
number); match {"matched", "status", "message"}, whenever the library answered.

Exit status: 0 on success (and when match finds a match), otherwise the library's status code,
whose text goes to standard error; 99 when the library cannot be loaded, 64 for a usage error,
70 when the tool itself fails.
)usage";

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
    bool json = false;
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
        } else if (arg == "--json") {
            options.json = true;
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
    if (options.json && (options.command == "report" || options.command == "prearchive")) {
        throw UsageError{"--json is for columns, list and match only; " + options.command + " has no JSON form"};
    }
    if (!options.outputPath.empty() && options.command == "prearchive") {
        throw UsageError{"prearchive writes no output, so it takes no -o"};
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

// Writes the tool's output to the -o file, or to standard output.
int Emit(const Options& options, const std::string& text)
{
    if (options.outputPath.empty()) {
        std::cout << text;
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "talmere-report: cannot write to standard output\n";
            return kExitToolError;
        }
        return 0;
    }
    std::ofstream out(options.outputPath, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "talmere-report: cannot write " << options.outputPath << '\n';
        return kExitToolError;
    }
    return 0;
}

// JSON output is UTF-8. The library's texts are Windows ANSI bytes (code page 1252) and are decoded here, with
// the standard library only, so that the tool keeps to what its binding of the library needs.

// Code page 1252 differs from Latin-1 in 0x80 to 0x9F only; 0 marks the five bytes it leaves undefined,
// which are kept as the control characters of the same number, as the report manager shows them.
constexpr std::array<char16_t, 32> kAnsiHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Appends a character of the Basic Multilingual Plane, all that code page 1252 decodes to, as UTF-8.
void AppendUtf8(std::string& out, char16_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string AnsiToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool remapped = byte >= 0x80 && byte < 0xA0 && kAnsiHighControls[byte - 0x80] != 0;
        AppendUtf8(text, remapped ? kAnsiHighControls[byte - 0x80] : static_cast<char16_t>(byte));
    }
    return text;
}

// The length of the valid UTF-8 sequence the text begins with, or 0 when it begins with none (a stray
// continuation byte, an overlong form, a surrogate, a code above U+10FFFF or a cut-off sequence).
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    // The range of the second byte; every further byte is 0x80 to 0xBF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

// A JSON string of UTF-8 text, quotes, backslashes and control characters escaped. A byte that begins no
// valid sequence (a file name in another encoding) becomes the escape of U+DC80 to U+DCFF, the character the
// report manager keeps such a byte as, so that the name's bytes can still be told from the JSON.
std::string JsonString(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            json += "\\udc";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
            text.remove_prefix(1);
            continue;
        }
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte < 0x20) {
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
        } else {
            json += text.substr(0, length);
        }
        text.remove_prefix(length);
    }
    json += '"';
    return json;
}

// One JSON object on one line, its members in the order they are added. Keys and texts are UTF-8.
class JsonObject {
public:
    JsonObject& addText(std::string_view key, std::string_view text) { return add(key, JsonString(text)); }
    JsonObject& addNumber(std::string_view key, long long number) { return add(key, std::to_string(number)); }
    JsonObject& addBool(std::string_view key, bool value) { return add(key, value ? "true" : "false"); }
    std::string text() const { return "{" + m_members + "}"; }

private:
    JsonObject& add(std::string_view key, std::string_view json)
    {
        if (!m_members.empty()) {
            m_members += ", ";
        }
        m_members += JsonString(key);
        m_members += ": ";
        m_members += json;
        return *this;
    }

    std::string m_members;
};

// A JSON array of the given JSON values, one to a line.
std::string JsonArray(const std::vector<std::string>& elements)
{
    if (elements.empty()) {
        return "[]\n";
    }
    std::string json = "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        json += "  ";
        json += elements[i];
        json += i + 1 < elements.size() ? ",\n" : "\n";
    }
    json += "]\n";
    return json;
}

// A list column of a format as the library describes it; texts as the library's bytes.
struct ListColumn {
    int number = 0; // 1 to 12: the column's place in the listing line
    std::string caption;
    std::string titleAlignment;
    std::string dataAlignment;
    int width = 0;
};

// The columns of the format that have a caption (the others are not shown), or the failed call's exit code.
int FetchColumns(const Options& options, std::vector<ListColumn>& columns)
{
    TReportViewerRequest request = BuildRequest(options);
    const ReportLibraryCall call = CallReportLibrary(kRetrieveListColumnDetails, request);
    if (!call.called() || call.status != kStatusSuccess) {
        return ReportFailure(call);
    }
    for (int i = 0; i < kRequestColumnCount; ++i) {
        const TReportColumnDetail& column = request.ColumnDetails[i];
        if (FieldText(column.Caption).empty()) {
            continue;
        }
        columns.push_back(ListColumn{i + 1, std::string(FieldText(column.Caption)),
                                     std::string(FieldText(column.TitleAlignment)),
                                     std::string(FieldText(column.DataAlignment)), static_cast<int>(column.Width)});
    }
    return 0;
}

int RunColumns(const Options& options)
{
    std::vector<ListColumn> columns;
    if (const int code = FetchColumns(options, columns); code != 0) {
        return code;
    }
    if (options.json) {
        std::vector<std::string> elements;
        for (const ListColumn& column : columns) {
            elements.push_back(JsonObject()
                                   .addNumber("number", column.number)
                                   .addText("caption", AnsiToUtf8(column.caption))
                                   .addText("titleAlignment", AnsiToUtf8(column.titleAlignment))
                                   .addText("dataAlignment", AnsiToUtf8(column.dataAlignment))
                                   .addNumber("width", column.width)
                                   .text());
        }
        return Emit(options, JsonArray(elements));
    }
    // A caption has at most 40 characters and a width at most 11: every line fits.
    char line[128];
    std::snprintf(line, sizeof line, "%-3s %-40s %-5s %-4s %5s\n", "#", "Caption", "Title", "Data", "Width");
    std::string text = line;
    for (const ListColumn& column : columns) {
        std::snprintf(line, sizeof line, "%-3d %-40s %-5s %-4s %5d\n", column.number, column.caption.c_str(),
                      column.titleAlignment.c_str(), column.dataAlignment.c_str(), column.width);
        text += line;
    }
    return Emit(options, text);
}

// Runs an export that writes a file to outputPath: 0 when it succeeded, otherwise the exit code.
int CallWithOutputFile(const Options& options, const char* exportName, const std::string& outputPath)
{
    TReportViewerRequest request = BuildRequest(options);
    SetText(request.OutputPath, outputPath, "the output path");
    const ReportLibraryCall call = CallReportLibrary(exportName, request);
    if (!call.called() || call.status != kStatusSuccess) {
        const int code = ReportFailure(call);
        std::error_code error;
        if (code == kStatusFileMissing && std::filesystem::is_directory(options.path, error)) {
            std::cerr << "talmere-report: " << options.path << " is a folder; name a folder with a trailing /\n";
        }
        return code;
    }
    return 0;
}

int RunWithOutput(const Options& options, const char* exportName)
{
    if (!options.outputPath.empty()) {
        return CallWithOutputFile(options, exportName, options.outputPath);
    }
    TemporaryOutput temporary;
    if (const int code = CallWithOutputFile(options, exportName, temporary.path()); code != 0) {
        return code;
    }
    if (!CopyToStandardOutput(temporary.path())) {
        std::cerr << "talmere-report: the library reported success but wrote no output file\n";
        return kExitToolError;
    }
    return 0;
}

// A parsed line of a directory listing: the sort date (yyyymmdd) and time (hhmm), the file name and the
// values of the format's list columns, separated by "|", the layout the report manager reads.
struct ListingLine {
    std::string reportDateTime; // ISO 8601, to the minute
    std::string_view fileName;
    std::array<std::string_view, kRequestColumnCount> values{};
};

// The number of count decimal digits at the start of a field, or nothing.
std::optional<int> Digits(std::string_view field, std::size_t first, std::size_t count)
{
    if (field.size() < first + count) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : field.substr(first, count)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// Nothing for a line that is no listing line. As the report manager reads it, the last column takes the
// rest of the line, and values beyond the twelfth column are no column's.
std::optional<ListingLine> ParseListingLine(std::string_view line)
{
    std::string_view rest = TrimBlanks(line);
    std::vector<std::string_view> fields;
    while (fields.size() < 3 + kRequestColumnCount) {
        const std::size_t bar = rest.find('|');
        if (bar == std::string_view::npos) {
            // The file name must be followed by a "|", even when no column follows.
            if (fields.size() < 3) {
                return std::nullopt;
            }
            fields.push_back(rest);
            break;
        }
        fields.push_back(rest.substr(0, bar));
        rest.remove_prefix(bar + 1);
    }
    const std::optional<int> year = Digits(fields[0], 0, 4);
    const std::optional<int> month = Digits(fields[0], 4, 2);
    const std::optional<int> day = Digits(fields[0], 6, 2);
    const std::optional<int> hour = Digits(fields[1], 0, 2);
    const std::optional<int> minute = Digits(fields[1], 2, 2);
    if (!year || !month || !day || !IsValidDate(*year, *month, *day) || !hour || !minute || *hour > 23 ||
        *minute > 59) {
        return std::nullopt;
    }
    ListingLine parsed;
    char dateTime[64]; // room for any int the compiler imagines; the values are checked above
    std::snprintf(dateTime, sizeof dateTime, "%04d-%02d-%02dT%02d:%02d", *year, *month, *day, *hour, *minute);
    parsed.reportDateTime = dateTime;
    parsed.fileName = fields[2];
    for (std::size_t i = 3; i < fields.size(); ++i) {
        parsed.values[i - 3] = fields[i];
    }
    return parsed;
}

// The member name of each column in a listing line's object: its caption, or, when that is already taken by
// a fixed member or an earlier column, the caption with the column's number, so that no value is lost.
std::vector<std::string> ColumnKeys(const std::vector<ListColumn>& columns, std::set<std::string> taken)
{
    std::vector<std::string> keys;
    for (const ListColumn& column : columns) {
        std::string key = AnsiToUtf8(column.caption);
        while (taken.count(key) > 0) {
            key += " (" + std::to_string(column.number) + ")";
        }
        taken.insert(key);
        keys.push_back(std::move(key));
    }
    return keys;
}

// The listing as JSON: the library writes the listing to a file of our own, whose lines become objects.
int RunListJson(const Options& options)
{
    std::vector<ListColumn> columns;
    if (const int code = FetchColumns(options, columns); code != 0) {
        return code;
    }
    TemporaryOutput listing;
    if (const int code = CallWithOutputFile(options, kCreateDirectoryListingFile, listing.path()); code != 0) {
        return code;
    }
    std::ifstream in(listing.path(), std::ios::binary);
    if (!in) {
        std::cerr << "talmere-report: the library reported success but wrote no output file\n";
        return kExitToolError;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<std::string> keys = ColumnKeys(columns, {"fileName", "reportDateTime"});
    std::vector<std::string> elements;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        // Lines end in CR LF, LF or CR.
        std::size_t end = text.find_first_of("\r\n", start);
        end = end == std::string::npos ? text.size() : end;
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++lineNumber;
        if (TrimBlanks(line).empty()) {
            continue;
        }
        const std::optional<ListingLine> parsed = ParseListingLine(line);
        if (!parsed) {
            std::cerr << "talmere-report: line " << lineNumber
                      << " of the library's listing is no listing line: " << line << '\n';
            return kExitToolError;
        }
        JsonObject object;
        object.addText("fileName", parsed->fileName).addText("reportDateTime", parsed->reportDateTime);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            object.addText(keys[i], AnsiToUtf8(parsed->values[static_cast<std::size_t>(columns[i].number - 1)]));
        }
        elements.push_back(object.text());
    }
    return Emit(options, JsonArray(elements));
}

int RunMatch(const Options& options)
{
    TReportViewerRequest request = BuildRequest(options);
    const ReportLibraryCall call = CallReportLibrary(kPerformCustomMatchTest, request);
    const bool matched = call.called() && call.status == kStatusCustomMatch;
    if (options.json && call.called()) {
        // The library's answer is the output, match or not; the exit status and standard error stay as
        // they are without --json.
        const int code = matched ? 0 : ReportFailure(call);
        const std::string json = JsonObject()
                                     .addBool("matched", matched)
                                     .addNumber("status", call.status)
                                     .addText("message", AnsiToUtf8(call.message))
                                     .text();
        const int written = Emit(options, json + "\n");
        return written != 0 ? written : code;
    }
    if (matched) {
        return Emit(options, call.message + "\n");
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
            return options.json ? RunListJson(options) : RunWithOutput(options, kCreateDirectoryListingFile);
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
