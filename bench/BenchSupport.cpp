#include "bench/BenchSupport.h"

#include <algorithm>

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

} // namespace talmere::bench
