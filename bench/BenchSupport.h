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

// One whole-number size a benchmark takes on its command line, by position.
struct SizeArgument {
    const char* name; // as the usage shows it: "REPORTS"
    long defaultValue;
    long most;
    const char* meaning; // one line for the usage
};

// The exit status of a benchmark given a command line it cannot use.
inline constexpr int kUsageError = 64;

// Reads the sizes of a benchmark's command line, in order; those not given take their defaults. "--help" or
// "-h" prints the usage to standard output and exits with 0; an argument that is no whole number from 1 to
// its most, or one too many, prints why and the usage to standard error and exits with kUsageError, so that
// a mistyped size never runs the benchmark at size 0.
std::vector<long> ReadSizeArguments(int argc, char** argv, const char* program, const char* summary,
                                    const std::vector<SizeArgument>& sizes);

} // namespace talmere::bench
