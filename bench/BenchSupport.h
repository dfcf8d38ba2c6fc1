#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace talmere::bench {

// A fresh folder for generated data, removed at the end.
class BenchFolder {
public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Seconds taken to read the files from start to end through a plain 1 MiB buffer: the baseline of reading
// the same bytes without interpreting them.
double PlainReadSeconds(const std::vector<std::filesystem::path>& files);
double PlainReadSeconds(const std::filesystem::path& file);

// Seconds since an arbitrary start, from a monotonic clock.
double NowSeconds();

// The shortest of several runs of some work, in seconds: the figure least disturbed by the rest of the machine.
double BestSeconds(int runs, const std::function<void()>& work);

// The peak resident memory of this process so far, in MiB.
double PeakResidentMiB();

// Prints one figure line: what was measured, its value and unit, and its ratio to the baseline.
void PrintFigure(const std::string& what, double value, const std::string& unit, double baselineValue,
                 const std::string& baselineUnit);

} // namespace talmere::bench
