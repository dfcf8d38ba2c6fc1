// Speed and memory of the X12 handlers on generated data, each beside a plain buffered read of the same bytes
// measured in the same run:
//   x12_bench [all [MB]]            every figure below (the report runs in a process of its own, for its memory)
//   x12_bench report [MB]           the report of one large 999 file (default 100 MB)
//   x12_bench listing [N]           the listing of a folder of N small 999 files (default 10000)
//   x12_bench listing-large [MB]    the listing of one large 999 file (default 100 MB)
//   x12_bench identify [N]          the identification test over the same N small files

#include "bench/BenchSupport.h"
#include "common/ReportLibraryInterface.h"
#include "common/ReportViewerRequest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace talmere;
using namespace talmere::bench;

namespace {

std::string Isa(int control)
{
    char text[128];
    std::snprintf(
        text, sizeof text,
        "ISA*00*          *00*          *ZZ*CLEARHOUSE01   *ZZ*PRACTICE0042   *240315*0930*^*00501*%09d*0*P*:~",
        control);
    return text;
}

// One rejected claim of a 999: the kind of loop a busy clearinghouse repeats thousands of times.
void AppendRejectedClaim(std::string& out, int number)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "AK2*837*%09d*005010X222A1~\r\n"
                  "IK3*CLM*%d*2300*8~\r\n"
                  "CTX*CLM01:PATACCT%06d~\r\n"
                  "IK4*5:1*1331*7*99~\r\n"
                  "CTX*SITUATIONAL TRIGGER*CLM*%d*2300*5:1*1331~\r\n"
                  "IK3*NM1*%d*2010BA*I6~\r\n"
                  "IK4*9*67*I12*ABC~\r\n"
                  "IK5*R*5~\r\n",
                  number, number % 900 + 10, number, number % 900 + 10, number % 900 + 20);
    out += text;
}

std::string Group(int control, int claims, int firstClaim)
{
    std::string group = "GS*FA*CLEARHOUSE01*PRACTICE0042*20240315*093012*" + std::to_string(control) +
                        "*X*005010X231A1~\r\nST*999*0001*005010X231A1~\r\nAK1*HC*" + std::to_string(control) +
                        "001*005010X222A1~\r\n";
    for (int i = 0; i < claims; ++i) {
        AppendRejectedClaim(group, firstClaim + i);
    }
    group += "AK9*R*" + std::to_string(claims) + "*" + std::to_string(claims) + "*0~\r\nSE*9*0001~\r\nGE*1*" +
             std::to_string(control) + "~\r\n";
    return group;
}

// A 999 of about the given size: one interchange of groups of 1000 rejected claims, written as it is built.
std::filesystem::path WriteLargeAcknowledgment(const std::filesystem::path& folder, double megabytes)
{
    const std::filesystem::path path = folder / "AK240315.001";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        throw std::runtime_error("cannot write " + path.string());
    }
    const auto target = static_cast<std::uintmax_t>(megabytes * 1e6);
    std::uintmax_t written = 0;
    std::string text = Isa(1) + "\r\n";
    int groups = 0;
    while (written + text.size() < target) {
        written += std::fwrite(text.data(), 1, text.size(), out);
        ++groups;
        text = Group(groups, 1000, groups * 1000);
    }
    text = "IEA*" + std::to_string(groups) + "*000000001~\r\n";
    written += std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return path;
}

// Small 999 files of 2 to 5 KB, as an archive subfolder holds them.
std::vector<std::filesystem::path> WriteSmallAcknowledgments(const std::filesystem::path& folder, int count)
{
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> files;
    files.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "AK%06d.%03d", 240000 + i / 1000, i % 1000);
        const std::filesystem::path path = folder / name;
        const std::string content =
            Isa(i) + "\r\n" + Group(i + 1, 8 + i % 14, i * 24) + "IEA*1*" + std::to_string(i) + "~\r\n";
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(content.data(), 1, content.size(), out) != content.size()) {
            throw std::runtime_error("cannot write " + path.string());
        }
        std::fclose(out);
        files.push_back(path);
    }
    return files;
}

TReportViewerRequest Request(const char* format, const std::string& reportPath, const std::string& outputPath)
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    request.CenturyDatePivotYear = 65;
    SetFieldText(request.ReportFormat, format);
    SetFieldText(request.ArchivePrefix, "AK");
    SetFieldText(request.PointSize, "10");
    SetFieldText(request.Orientation, "PORTRAIT");
    SetFieldText(request.ReportPath, reportPath);
    SetFieldText(request.OutputPath, outputPath);
    return request;
}

void Require(int status, const char* what)
{
    if (status != kStatusSuccess && status != kStatusCustomMatch) {
        std::fprintf(stderr, "%s failed with %d: %s\n", what, status, GetReportViewerStatusMessage(status));
        std::exit(1);
    }
}

// Processor time of this process (user and system), which the other programs on a shared machine do not
// inflate the way they inflate elapsed time.
double ProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The shortest elapsed and the shortest processor time of three runs of some work, in seconds.
struct BestTimes {
    double elapsed = 1e9;
    double processor = 1e9;
};

BestTimes BestOfThree(const std::function<void()>& work)
{
    BestTimes best;
    for (int i = 0; i < 3; ++i) {
        const double start = NowSeconds();
        const double startProcessor = ProcessorSeconds();
        work();
        best.elapsed = std::min(best.elapsed, NowSeconds() - start);
        best.processor = std::min(best.processor, ProcessorSeconds() - startProcessor);
    }
    return best;
}

double BestPlainRead(const std::vector<std::filesystem::path>& files)
{
    PlainReadSeconds(files); // brings the files into the cache, like the handler's runs below
    double best = PlainReadSeconds(files);
    for (int i = 0; i < 2; ++i) {
        best = std::min(best, PlainReadSeconds(files));
    }
    return best;
}

std::uintmax_t TotalSize(const std::vector<std::filesystem::path>& files)
{
    std::uintmax_t total = 0;
    for (const auto& file : files) {
        total += std::filesystem::file_size(file);
    }
    return total;
}

// The report of one file, in a process that does nothing else, so that its peak memory is the report's own.
int RunReport(const std::filesystem::path& file)
{
    const std::vector<std::filesystem::path> files{file};
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    const double plain = BestPlainRead(files);
    const std::filesystem::path output = file.parent_path() / "TALMRTMP.TXT";
    TReportViewerRequest request = Request("ANSI_999", file.string(), output.string());
    const auto [best, bestProcessor] = BestOfThree([&] { Require(GenerateReportFile(&request), "the report"); });
    std::printf("report of one %.0f MB 999 file (%.0f MB of report text)\n", megabytes,
                static_cast<double>(std::filesystem::file_size(output)) / 1e6);
    PrintFigure("  report, MB of input per second", megabytes / best, "MB/s", megabytes / plain, "MB/s");
    PrintFigure("  report, MB of input per processor second", megabytes / bestProcessor, "MB/s", megabytes / plain,
                "MB/s");
    PrintFigure("  report time against the plain read (times slower)", best, "s", plain, "s");
    // The report file goes first: the system would otherwise still be writing its half gigabyte to the disk while
    // the runs below are timed.
    std::filesystem::remove(output);
    // The same report thrown away as it is written: what the reading and formatting cost without the file
    // system's work for five times the input's size in report text.
    TReportViewerRequest discarded = Request("ANSI_999", file.string(), "/dev/null");
    const double bestDiscarded = BestOfThree([&] { Require(GenerateReportFile(&discarded), "the report"); }).elapsed;
    PrintFigure("  report to /dev/null, MB of input per second", megabytes / bestDiscarded, "MB/s", megabytes / plain,
                "MB/s");
    PrintFigure("  report to /dev/null against the plain read", bestDiscarded, "s", plain, "s");
    std::printf("  peak resident memory of the report process       %12.1f MiB\n", PeakResidentMiB());
    return 0;
}

int RunReportInOwnProcess(const std::filesystem::path& file, const char* self)
{
    std::fflush(stdout);
    const std::string fileText = file.string();
    char* const argv[] = {const_cast<char*>(self), const_cast<char*>("report-file"),
                          const_cast<char*>(fileText.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "cannot start the report process\n");
        return 1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int RunListingAndIdentification(const std::filesystem::path& folder, int count, bool listing, bool identify)
{
    const std::vector<std::filesystem::path> files = WriteSmallAcknowledgments(folder / "AK", count);
    const double plain = BestPlainRead(files);
    std::printf("%d 999 files of %.1f KB on average\n", count, static_cast<double>(TotalSize(files)) / 1e3 / count);
    if (listing) {
        TReportViewerRequest request =
            Request("ANSI_999", (folder / "AK").string() + "/", (folder / "TALMRDAK.DIR").string());
        const auto [best, bestProcessor] =
            BestOfThree([&] { Require(CreateDirectoryListingFile(&request), "the listing"); });
        PrintFigure("  folder listing, files per second", count / best, "files/s", count / plain, "files/s");
        PrintFigure("  folder listing, files per processor second", count / bestProcessor, "files/s", count / plain,
                    "files/s");
        PrintFigure("  folder listing time against the plain read", best, "s", plain, "s");
    }
    if (identify) {
        std::vector<TReportViewerRequest> requests;
        for (const auto& file : files) {
            requests.push_back(Request("COPY", file.string(), ""));
            SetFieldText(requests.back().Params[0], "ANSI_99X");
            // The generated files acknowledge professional claims (AK103 X222): every one of them matches.
            SetFieldText(requests.back().Params[1], "PROF");
        }
        const auto [best, bestProcessor] = BestOfThree([&] {
            for (TReportViewerRequest& request : requests) {
                Require(PerformCustomMatchTest(&request), "the identification test");
            }
        });
        PrintFigure("  identification test, files per second", count / best, "files/s", count / plain, "files/s");
        PrintFigure("  identification test, files per processor second", count / bestProcessor, "files/s",
                    count / plain, "files/s");
        PrintFigure("  identification time against the plain read", best, "s", plain, "s");
    }
    return 0;
}

// The listing of one large file: its listing line needs only the envelopes and the group totals, so the
// listing should cost little more than reading the file.
int RunLargeListing(const std::filesystem::path& file)
{
    const std::vector<std::filesystem::path> files{file};
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    const double plain = BestPlainRead(files);
    const std::filesystem::path output = file.parent_path() / "TALMRDAK.DIR";
    TReportViewerRequest request = Request("ANSI_999", file.string(), output.string());
    const auto [best, bestProcessor] =
        BestOfThree([&] { Require(CreateDirectoryListingFile(&request), "the listing of one file"); });
    if (std::filesystem::file_size(output) == 0) {
        std::fprintf(stderr, "the listing of one file has no line\n");
        return 1;
    }
    std::printf("listing of one %.0f MB 999 file\n", megabytes);
    PrintFigure("  one-file listing, MB of input per second", megabytes / best, "MB/s", megabytes / plain, "MB/s");
    PrintFigure("  one-file listing, MB of input per processor second", megabytes / bestProcessor, "MB/s",
                megabytes / plain, "MB/s");
    PrintFigure("  one-file listing time against the plain read", best * 1e3, "ms", plain * 1e3, "ms");
    std::filesystem::remove(output);
    return 0;
}

// A mode of the command line and the one size it takes.
struct Mode {
    const char* name;
    SizeArgument size;
    const char* summary;
};

const std::vector<Mode>& Modes()
{
    static const std::vector<Mode> modes{
        {"all",
         {"MB", 100, 100000, "size of the large 999 file in MB"},
         "Every figure below; the small files are always 10000."},
        {"report",
         {"MB", 100, 100000, "size of the 999 file in MB"},
         "The report of one large 999 file, to a file and to /dev/null, and its peak memory."},
        {"listing", {"N", 10000, 1000000, "number of small 999 files"}, "The listing of a folder of small 999 files."},
        {"listing-large", {"MB", 100, 100000, "size of the 999 file in MB"}, "The listing of one large 999 file."},
        {"identify",
         {"N", 10000, 1000000, "number of small 999 files"},
         "The identification test over a folder of small 999 files."},
    };
    return modes;
}

void PrintUsage(std::FILE* out, const char* program)
{
    std::fprintf(out, "usage: %s [MODE [SIZE]]\n", program);
    for (const Mode& mode : Modes()) {
        char synopsis[64];
        std::snprintf(synopsis, sizeof synopsis, "%s [%s]", mode.name, mode.size.name);
        std::fprintf(out, "  %-20s %s\n  %-20s %s: %s (default %ld, 1 to %ld)\n", synopsis, mode.summary, "",
                     mode.size.name, mode.size.meaning, mode.size.defaultValue, mode.size.most);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string modeName = argc > 1 ? argv[1] : "all";
    if (modeName == "--help" || modeName == "-h") {
        PrintUsage(stdout, argv[0]);
        return 0;
    }
    // The report in a process of its own: the file it is given comes from the parent, never from a user.
    if (modeName == "report-file" && argc == 3) {
        return RunReport(argv[2]);
    }
    const auto mode = std::find_if(Modes().begin(), Modes().end(),
                                   [&modeName](const Mode& candidate) { return modeName == candidate.name; });
    if (mode == Modes().end()) {
        std::fprintf(stderr, "%s: unknown mode \"%s\"\n", argv[0], modeName.c_str());
        PrintUsage(stderr, argv[0]);
        return kUsageError;
    }
    // The size follows the mode, so the mode stands where a program name would.
    const std::string program = std::string(argv[0]) + " " + modeName;
    const long size = argc > 1
                          ? ReadSizeArguments(argc - 1, argv + 1, program.c_str(), mode->summary, {mode->size}).front()
                          : mode->size.defaultValue;
    const bool all = modeName == "all";
    BenchFolder folder;
    if (all || modeName == "report" || modeName == "listing-large") {
        const auto megabytes = static_cast<double>(size);
        const std::filesystem::path file = WriteLargeAcknowledgment(folder.path(), megabytes);
        if (all || modeName == "report") {
            if (const int status = RunReportInOwnProcess(file, argv[0]); status != 0) {
                return status;
            }
        }
        if (all || modeName == "listing-large") {
            if (const int status = RunLargeListing(file); status != 0) {
                return status;
            }
        }
        std::filesystem::remove(file);
    }
    if (all || modeName == "listing" || modeName == "identify") {
        const int count = all ? 10000 : static_cast<int>(size);
        return RunListingAndIdentification(folder.path(), count, modeName != "identify", modeName != "listing");
    }
    return 0;
}
