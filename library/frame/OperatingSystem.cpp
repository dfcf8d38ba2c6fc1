// The library's only operating-system calls beyond the standard library: the clock, local time and the
// creation of temporary files.
#include "library/frame/OperatingSystem.h"

#include <ctime>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace talmere {

namespace {

std::optional<DateTimeParts>& TestClock()
{
    static std::optional<DateTimeParts> now;
    return now;
}

std::optional<DateTimeParts> ToLocal(std::time_t seconds)
{
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    return FromCalendarTime(local);
}

} // namespace

DateTimeParts CurrentLocalDateTime()
{
    if (TestClock()) {
        return *TestClock();
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    DateTimeParts parts = ToLocal(now.tv_sec).value_or(DateTimeParts{});
    parts.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return parts;
}

void SetCurrentLocalDateTimeForTesting(std::optional<DateTimeParts> now)
{
    TestClock() = now;
}

std::optional<DateTimeParts> FileLocalDateTime(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    std::optional<DateTimeParts> parts = ToLocal(info.st_mtim.tv_sec);
    if (!parts || parts->year < 1980 || parts->year > 2107) {
        return std::nullopt;
    }
    parts->second -= parts->second % 2;
    return parts;
}

DateTimeParts FileDateTimeOrNow(const std::filesystem::path& path)
{
    if (std::optional<DateTimeParts> parts = FileLocalDateTime(path)) {
        return *parts;
    }
    return CurrentLocalDateTime();
}

std::filesystem::path CreateTemporaryFile(std::string_view prefix)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error || folder.empty()) {
        return {};
    }
    std::string pattern = (folder / prefix).string() + "XXXXXX";
    // mkstemp creates the file with O_EXCL and mode 0600.
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    return pattern;
}

} // namespace talmere
