// Speed and memory of the Availity IBR handler on generated data, each figure beside a plain buffered read of
// the same bytes measured in the same run:
//   - the report of a 100 MB IBR file, without and with a claim selection (MB of input per second);
//   - the peak resident memory of a process that does nothing but that report;
//   - the listing of a folder of 10,000 IBR files (files per second).
// Usage: bench_availity_ibr [MB] [FILES]

#include "bench/BenchSupport.h"
#include "common/ReportLibraryInterface.h"
#include "common/ReportViewerRequest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace talmere;
using bench::NowSeconds;

namespace {

constexpr int kRuns = 3;

TReportViewerRequest Request(const char* format, const std::filesystem::path& report,
                             const std::filesystem::path& output)
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    request.CenturyDatePivotYear = 65;
    SetFieldText(request.ReportFormat, format);
    SetFieldText(request.ReportContext, "BOTH");
    SetFieldText(request.ArchivePrefix, "IB");
    SetFieldText(request.PointSize, "10");
    SetFieldText(request.Orientation, "PORTRAIT");
    SetFieldText(request.ReportPath, report.string());
    SetFieldText(request.OutputPath, output.string());
    return request;
}

// An IBR file of about the given size: file records of 2,000 claims, payers of 200, and an error record
// after every fifth claim, which is rejected.
void WriteIbrFile(const std::filesystem::path& path, std::size_t bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror("cannot write the IBR file");
        std::exit(1);
    }
    char line[512];
    std::size_t written = 0;
    for (long claim = 0; written < bytes; ++claim) {
        int n = 0;
        if (claim % 2000 == 0) {
            n = std::snprintf(line, sizeof line,
                              "1|2024-03-07|14:05:09|IBR|AV%08ld|FCN%06ld|0|0.00|0|0.00|0|0.00|Batch received.|"
                              "CUST0042|F%08ld|CLAIMS.TXT\r\n",
                              claim, claim / 2000, claim);
            std::fwrite(line, 1, static_cast<std::size_t>(n), out);
            written += static_cast<std::size_t>(n);
        }
        if (claim % 200 == 0) {
            n = std::snprintf(line, sizeof line, "2|PAYER NUMBER %ld|200|160|25000.00|20000.00|40|5000.00|P%05ld\r\n",
                              claim / 200 % 50, claim / 200 % 50);
            std::fwrite(line, 1, static_cast<std::size_t>(n), out);
            written += static_cast<std::size_t>(n);
        }
        const bool rejected = claim % 5 == 4;
        n = std::snprintf(line, sizeof line,
                          "3|PATIENT, NUMBER %ld|20240301|20240302|PCN%09ld|125.00|1234567890|CH%09ld|TR%09ld|NA|"
                          "AV%08ld|%s\r\n",
                          claim, claim, claim, claim, claim / 2000 * 2000, rejected ? "R" : "A");
        std::fwrite(line, 1, static_cast<std::size_t>(n), out);
        written += static_cast<std::size_t>(n);
        if (rejected) {
            n = std::snprintf(line, sizeof line,
                              "3E|PAYER|X|E042|Subscriber ID is missing or invalid for this payer.|2010BA|NM1|NM109|||"
                              "|5010\r\n");
            std::fwrite(line, 1, static_cast<std::size_t>(n), out);
            written += static_cast<std::size_t>(n);
        }
    }
    std::fclose(out);
}

double BestSeconds(const std::function<void()>& run, double* bestCpuSeconds = nullptr)
{
    double best = 1e30;
    double bestCpu = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const double start = NowSeconds();
        const std::clock_t cpuStart = std::clock();
        run();
        best = std::min(best, NowSeconds() - start);
        bestCpu = std::min(bestCpu, static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    }
    if (bestCpuSeconds != nullptr) {
        *bestCpuSeconds = bestCpu;
    }
    return best;
}

int ReportOnly(const char* file, const char* output)
{
    TReportViewerRequest request = Request("AVAILITY_IBR", file, output);
    const int status = GenerateReportFile(&request);
    std::printf("%.1f\n", bench::PeakResidentMiB());
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--report-only") == 0) {
        return ReportOnly(argv[2], argv[3]);
    }
    const std::vector<long> sizes = bench::ReadSizeArguments(
        argc, argv, "bench_availity_ibr",
        "Times the IBR report of one large file, its peak memory, and the listing of a folder of IBR files.",
        {{"MB", 100, 100000, "size of the large IBR file in MB"},
         {"FILES", 10000, 1000000, "IBR files in the listed folder"}});
    const auto megabytes = static_cast<std::size_t>(sizes[0]);
    const int listingFiles = static_cast<int>(sizes[1]);
    bench::BenchFolder folder;
    const std::filesystem::path file = folder.path() / "IB240307.001";
    const std::filesystem::path output = folder.path() / "TALMRTMP.TXT";
    WriteIbrFile(file, megabytes * 1000 * 1000);
    const double mb = static_cast<double>(std::filesystem::file_size(file)) / 1e6;

    const double plain = BestSeconds([&] { bench::PlainReadSeconds(file); });
    const double plainRate = mb / plain;
    // On a shared machine the processor time tells more than the elapsed time; both are printed.
    double reportCpu = 0;
    const double report = BestSeconds(
        [&] {
            TReportViewerRequest request = Request("AVAILITY_IBR", file, output);
            if (GenerateReportFile(&request) != kStatusSuccess) {
                std::abort();
            }
        },
        &reportCpu);
    bench::PrintFigure("IBR report of " + std::to_string(megabytes) + " MB, whole file", mb / report, "MB/s", plainRate,
                       "MB/s");
    bench::PrintFigure("  the same by processor time", mb / reportCpu, "MB/s", plainRate, "MB/s");
    double selectedCpu = 0;
    const double selected = BestSeconds(
        [&] {
            TReportViewerRequest request = Request("AVAILITY_IBR", file, output);
            SetFieldText(request.FilterValues[4], "R");
            if (GenerateReportFile(&request) != kStatusSuccess) {
                std::abort();
            }
        },
        &selectedCpu);
    bench::PrintFigure("IBR report, rejected claims selected", mb / selected, "MB/s", plainRate, "MB/s");
    bench::PrintFigure("  the same by processor time", mb / selectedCpu, "MB/s", plainRate, "MB/s");

    // A process of its own, so that nothing else this program did counts.
    const std::string command =
        "/proc/" + std::to_string(::getpid()) + "/exe --report-only '" + file.string() + "' '" + output.string() + "'";
    if (std::FILE* child = ::popen(command.c_str(), "r")) {
        double peak = 0;
        if (std::fscanf(child, "%lf", &peak) == 1) {
            std::printf("%-52s %12.1f %-8s\n", "peak resident memory of the report process", peak, "MiB");
        }
        ::pclose(child);
    }

    const std::filesystem::path archive = folder.path() / "archive";
    std::filesystem::create_directory(archive);
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < listingFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IB%06d.%03d", 240000 + i / 1000, i % 1000);
        files.push_back(archive / name);
        WriteIbrFile(files.back(), 1500);
    }
    const double plainListing = BestSeconds([&] { bench::PlainReadSeconds(files); });
    const double listing = BestSeconds([&] {
        TReportViewerRequest request = Request("AVAILITY_IBR", archive.string() + "/", folder.path() / "TALMRDIB.DIR");
        if (CreateDirectoryListingFile(&request) != kStatusSuccess) {
            std::abort();
        }
    });
    bench::PrintFigure("listing of " + std::to_string(listingFiles) + " IBR files", listingFiles / listing, "files/s",
                       listingFiles / plainListing, "files/s");
    std::printf("%-52s %12.3f %-8s\n", "listing time", listing, "s");
    return 0;
}
