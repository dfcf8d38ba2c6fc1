// The library's only operating-system calls beyond the standard library: the clock, local time, file stamps,
// the creation of temporary files and the reading and writing of report files by handle.
#include "library/frame/OperatingSystem.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
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

std::optional<FileStamp> RegularFileStamp(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const auto ns = [](const timespec& time) { return std::int64_t{time.tv_sec} * 1000000000 + time.tv_nsec; };
    return FileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::uint64_t>(info.st_size), ns(info.st_mtim), ns(info.st_ctim)};
}

std::int64_t SystemClockNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
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

int OpenFolderHandle(const std::filesystem::path& folder)
{
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return handle >= 0 ? handle : kNoFileHandle;
}

int OpenRegularFileHandle(int folder, const std::filesystem::path& name, std::uint64_t& size, bool& missing)
{
    const int base = folder == kNoFileHandle ? AT_FDCWD : folder;
    missing = false;
    // O_NONBLOCK lets the open of a pipe without a writer return at once, so that it is refused below rather
    // than waited for; reads of a regular file ignore it. O_NOCTTY keeps a terminal from becoming ours.
    const int handle = ::openat(base, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat info {};
    if (handle < 0) {
        // Only a failure costs this second look: a regular file that cannot be opened is unreadable, anything
        // else is not there as far as a reader of report files is concerned.
        missing = ::fstatat(base, name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode);
        return kNoFileHandle;
    }
    const bool known = ::fstat(handle, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        missing = known;
        ::close(handle);
        return kNoFileHandle;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return handle;
}

int CreateFileHandle(const std::filesystem::path& path)
{
    const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return handle >= 0 ? handle : kNoFileHandle;
}

std::ptrdiff_t ReadFileHandle(int handle, void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t count = ::read(handle, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

bool WriteFileHandle(int handle, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t count = ::write(handle, bytes, size);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (count == 0) {
            // A device that takes nothing would keep us here forever.
            errno = EIO;
            return false;
        }
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

bool TruncateFileHandle(int handle, std::uint64_t size)
{
    const auto length = static_cast<off_t>(size);
    return ::ftruncate(handle, length) == 0 && ::lseek(handle, length, SEEK_SET) == length;
}

bool CloseFileHandle(int handle)
{
    return ::close(handle) == 0;
}

} // namespace talmere
