#include "platform/SystemInfo.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <system_error>
#include <unistd.h>

namespace talmere::platform {

DateTimeParts LocalNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    if (::localtime_r(&now.tv_sec, &local) == nullptr) {
        return DateTimeParts{};
    }
    DateTimeParts parts = FromCalendarTime(local);
    parts.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return parts;
}

std::optional<DateTimeParts> LocalDateTimeOf(std::int64_t secondsSinceEpoch)
{
    const std::time_t moment = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (::localtime_r(&moment, &local) == nullptr) {
        return std::nullopt;
    }
    return FromCalendarTime(local);
}

std::string ExecutableFolder()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    const std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

bool HasDisplay()
{
    const auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

unsigned long CurrentUserId()
{
    return static_cast<unsigned long>(::getuid());
}

std::filesystem::path CreateTemporaryFile(const std::string& prefix)
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
    pattern += "/" + prefix + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create a temporary file in " + pattern);
    }
    ::close(fd);
    return pattern;
}

} // namespace talmere::platform
