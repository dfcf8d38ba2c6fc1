#include "platform/SharedLockFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace talmere::platform {

// Open-file-description locks: unlike classic POSIX record locks they belong to the open file rather than
// to the process, so closing another descriptor of the same file does not drop them, two opens in one
// process exclude each other, and they travel over NFS v4 and SMB mounts.

namespace {

struct flock RangeLock(short type, std::uint64_t offset, std::uint64_t length)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    lock.l_pid = 0; // required by F_OFD_* commands
    return lock;
}

} // namespace

bool SharedLockFile::open(const std::string& path)
{
    close();
    do {
        m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

void SharedLockFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool SharedLockFile::isOpenAt(const std::string& path) const
{
    struct stat open {};
    struct stat named {};
    if (m_fd < 0 || ::fstat(m_fd, &open) != 0 || ::stat(path.c_str(), &named) != 0) {
        return false;
    }
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

SharedLockFile::LockResult SharedLockFile::lockByte(std::uint64_t offset)
{
    return lockRange(offset, 1);
}

SharedLockFile::LockResult SharedLockFile::lockRange(std::uint64_t offset, std::uint64_t length)
{
    if (m_fd < 0 || length == 0) {
        return LockResult::Failed;
    }
    struct flock lock = RangeLock(F_WRLCK, offset, length);
    if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) {
        return LockResult::Locked;
    }
    return (errno == EAGAIN || errno == EACCES) ? LockResult::HeldByOther : LockResult::Failed;
}

bool SharedLockFile::unlockByte(std::uint64_t offset)
{
    if (m_fd < 0) {
        return false;
    }
    struct flock lock = RangeLock(F_UNLCK, offset, 1);
    return ::fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
}

bool SharedLockFile::canReadByte(std::uint64_t offset)
{
    if (m_fd < 0) {
        return false;
    }
    // Would a shared lock be granted? Only an exclusive lock of another open file stands in the way, which
    // is exactly what refuses a read where locks are mandatory.
    struct flock probe = RangeLock(F_RDLCK, offset, 1);
    if (::fcntl(m_fd, F_OFD_GETLK, &probe) != 0 || probe.l_type != F_UNLCK) {
        return false;
    }
    char byte = 0;
    ssize_t n = 0;
    do {
        n = ::pread(m_fd, &byte, 1, static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    return n == 1;
}

namespace {

// A mount point as mountinfo writes it: a space, tab, line feed or backslash as \ooo.
std::string Unescaped(std::string_view field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string octal(field.substr(i + 1, 3));
            char* end = nullptr;
            const long value = std::strtol(octal.c_str(), &end, 8);
            if (end == octal.c_str() + 3) {
                text.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        text.push_back(field[i]);
    }
    return text;
}

std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

bool Within(std::string_view path, const std::string& mountPoint)
{
    if (mountPoint == "/") {
        return true;
    }
    return path.substr(0, mountPoint.size()) == mountPoint &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

} // namespace

std::string MountLockProblem(std::string_view mountinfo, std::string_view resolvedPath)
{
    std::string type;
    std::string options;
    std::string bestPoint;
    std::istringstream lines{std::string(mountinfo)};
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> fields = Split(line, ' ');
        std::size_t dash = 0;
        while (dash < fields.size() && fields[dash] != "-") {
            ++dash;
        }
        if (fields.size() < 6 || dash + 1 >= fields.size()) {
            continue;
        }
        const std::string point = Unescaped(fields[4]);
        // The mount that lies deepest (and, among equals, came last) holds the path.
        if (!Within(resolvedPath, point) || point.size() < bestPoint.size()) {
            continue;
        }
        bestPoint = point;
        type = fields[dash + 1];
        options = "," + fields[5] + "," + (dash + 3 < fields.size() ? fields[dash + 3] : std::string()) + ",";
    }
    const auto has = [&](const char* option) {
        return options.find(std::string(",") + option + ",") != std::string::npos;
    };
    if ((type == "cifs" || type == "smb3") && has("nobrl")) {
        return "a " + type + " mount with nobrl";
    }
    if (type == "nfs" || type == "nfs4") {
        if (has("nolock")) {
            return "an " + type + " mount with nolock";
        }
        if (has("local_lock=all") || has("local_lock=posix")) {
            return "an " + type + " mount whose locks stay local (local_lock)";
        }
    }
    return {};
}

std::string ByteLockProblem(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        std::ifstream in("/proc/self/mountinfo");
        std::ostringstream text;
        text << in.rdbuf();
        const std::string problem = MountLockProblem(text.str(), resolved);
        if (!problem.empty()) {
            return problem;
        }
    }
    // A byte far beyond what the program uses, from two opens of the file: the second must be refused.
    constexpr std::uint64_t kProbeByte = 0x7FFF0000;
    SharedLockFile first;
    SharedLockFile second;
    if (!first.open(path) || !second.open(path)) {
        return {};
    }
    const SharedLockFile::LockResult taken = first.lockByte(kProbeByte);
    if (taken == SharedLockFile::LockResult::Failed) {
        return "the file system refuses byte locks";
    }
    const SharedLockFile::LockResult again = second.lockByte(kProbeByte);
    first.unlockByte(kProbeByte);
    if (again == SharedLockFile::LockResult::Locked) {
        second.unlockByte(kProbeByte);
        return "a byte lock does not keep a second holder out";
    }
    return {};
}

} // namespace talmere::platform
