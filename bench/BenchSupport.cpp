#include "bench/BenchSupport.h"

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/resource.h>

namespace talmere::bench {

BenchFolder::BenchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talmere-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a folder for benchmark data");
    }
    m_path = pattern;
}

BenchFolder::~BenchFolder()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

double NowSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double PlainReadSeconds(const std::vector<std::filesystem::path>& files)
{
    std::vector<char> buffer(1 << 20);
    const double start = NowSeconds();
    volatile std::size_t total = 0;
    for (const auto& file : files) {
        std::FILE* in = std::fopen(file.c_str(), "rb");
        if (in == nullptr) {
            throw std::runtime_error("cannot read " + file.string());
        }
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
            total = total + n;
        }
        std::fclose(in);
    }
    return NowSeconds() - start;
}

double PlainReadSeconds(const std::filesystem::path& file)
{
    return PlainReadSeconds(std::vector<std::filesystem::path>{file});
}

double PeakResidentMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void PrintFigure(const std::string& what, double value, const std::string& unit, double baselineValue,
                 const std::string& baselineUnit)
{
    std::printf("%-52s %12.1f %-8s baseline %12.1f %-8s ratio %6.2f\n", what.c_str(), value, unit.c_str(),
                baselineValue, baselineUnit.c_str(), baselineValue > 0 ? value / baselineValue : 0.0);
    std::fflush(stdout);
}

double BestSeconds(int runs, const std::function<void()>& work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double start = NowSeconds();
        work();
        best = std::min(best, NowSeconds() - start);
    }
    return best;
}

namespace {

void PrintSizeUsage(std::FILE* out, const char* program, const char* summary, const std::vector<SizeArgument>& sizes)
{
    std::fprintf(out, "usage: %s", program);
    for (const SizeArgument& size : sizes) {
        std::fprintf(out, " [%s]", size.name);
    }
    std::fprintf(out, "\n  %s\n", summary);
    for (const SizeArgument& size : sizes) {
        std::fprintf(out, "  %-10s %s (default %ld, 1 to %ld)\n", size.name, size.meaning, size.defaultValue,
                     size.most);
    }
}

} // namespace

std::vector<long> ReadSizeArguments(int argc, char** argv, const char* program, const char* summary,
                                    const std::vector<SizeArgument>& sizes)
{
    std::vector<long> values;
    for (const SizeArgument& size : sizes) {
        values.push_back(size.defaultValue);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            PrintSizeUsage(stdout, program, summary, sizes);
            std::exit(0);
        }
        const auto index = static_cast<std::size_t>(i - 1);
        if (index >= sizes.size()) {
            std::fprintf(stderr, "%s: unexpected argument \"%s\"\n", program, argv[i]);
            PrintSizeUsage(stderr, program, summary, sizes);
            std::exit(kUsageError);
        }
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(argv[i], &end, 10);
        if (argument.empty() || *end != '\0' || errno != 0 || value < 1 || value > sizes[index].most) {
            std::fprintf(stderr, "%s: %s must be a whole number from 1 to %ld, not \"%s\"\n", program,
                         sizes[index].name, sizes[index].most, argv[i]);
            PrintSizeUsage(stderr, program, summary, sizes);
            std::exit(kUsageError);
        }
        values[index] = value;
    }
    return values;
}

} // namespace talmere::bench
