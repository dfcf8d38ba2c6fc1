#include "platform/SharedLockFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace talmere::platform
