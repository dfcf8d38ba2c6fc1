#include "platform/FileTransfer.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace talmere::platform {

namespace {

const char kTemporaryPattern[] = ".talmere-XXXXXX";

thread_local FileFailure t_lastFailure = FileFailure::None;
thread_local int t_lastErrorNumber = 0;

FileFailure FailureOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileFailure::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return FileFailure::PermissionDenied;
    case ENAMETOOLONG:
    case EILSEQ:
        return FileFailure::NameNotUsable;
    case ELOOP:
        return FileFailure::SymbolicLink;
    case EISDIR:
    case ENXIO:
        return FileFailure::NotRegularFile;
    case ENOENT:
    case ENOTDIR:
        return FileFailure::Gone;
    default:
        return FileFailure::Other;
    }
}

// Notes the system's error of the step that just failed; errno itself is left as it is.
void NoteError(int error)
{
    t_lastErrorNumber = error;
    t_lastFailure = FailureOf(error);
}

void NoteFailure(FileFailure failure)
{
    t_lastErrorNumber = 0;
    t_lastFailure = failure;
}

// What an entry that is not the regular file that was wanted is.
void NoteKind(const struct stat& info)
{
    NoteFailure(S_ISLNK(info.st_mode) ? FileFailure::SymbolicLink : FileFailure::NotRegularFile);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool EntryExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Gives a complete temporary file its final name without replacing anything: false with errno EEXIST when
// the name is taken.
bool LinkWithoutReplacing(const std::string& temporary, const std::string& target)
{
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the no-replace rename: a hard link cannot replace either.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    // Neither is supported: look first, then rename; the window between the two is all that is left.
    if (EntryExists(target)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(temporary.c_str(), target.c_str()) == 0;
}

// Opens a file for reading without blocking (opening a FIFO waits for its writer otherwise) and keeps it
// only when it is a regular file, whose reads the flag does not change. -1 for anything else.
int OpenRegularForReading(const std::string& path, bool followLinks, struct stat& info)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        NoteError(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0) {
        NoteError(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        NoteKind(info);
        ::close(fd);
        return -1;
    }
    return fd;
}

timespec ToTimespec(const DateTimeParts& local)
{
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    return timespec{std::mktime(&tm), static_cast<long>(local.millisecond) * 1000000L};
}

} // namespace

CopyOutcome CopyFileKeepingTime(std::string_view source, std::string_view target, bool replaceExisting,
                                SourceLinks links)
{
    const std::string sourcePath(source);
    const std::string targetPath(target);
    if (!replaceExisting && EntryExists(targetPath)) {
        return CopyOutcome::TargetExists;
    }
    struct stat info {};
    const int in = OpenRegularForReading(sourcePath, links == SourceLinks::Follow, info);
    if (in < 0) {
        return CopyOutcome::Failed;
    }
    PendingFile copy;
    bool ok = copy.create(FolderOf(targetPath));
    static thread_local char buffer[1 << 16];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            if (!ok) {
                NoteError(errno);
            }
            break;
        }
        ok = copy.write(buffer, static_cast<std::size_t>(n));
    }
    ::close(in);
    ok = ok && copy.close(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    if (!ok) {
        return CopyOutcome::Failed;
    }
    if (replaceExisting) {
        return copy.commit(targetPath) ? CopyOutcome::Copied : CopyOutcome::Failed;
    }
    bool existed = false;
    if (copy.commitNew(targetPath, existed)) {
        return CopyOutcome::Copied;
    }
    return existed ? CopyOutcome::TargetExists : CopyOutcome::Failed;
}

bool MoveFile(std::string_view source, std::string_view target, bool replaceExisting)
{
    const std::string sourcePath(source);
    const std::string targetPath(target);
    struct stat info {};
    if (::lstat(sourcePath.c_str(), &info) != 0) {
        NoteError(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        NoteKind(info);
        return false;
    }
    const bool renamed = replaceExisting ? ::rename(sourcePath.c_str(), targetPath.c_str()) == 0
                                         : LinkWithoutReplacing(sourcePath, targetPath);
    if (renamed) {
        return true;
    }
    if (errno != EXDEV) {
        NoteError(errno);
        return false;
    }
    // Another file system: copy, then remove the original. A copy whose original cannot be removed is taken
    // back, so that the file is in one place only.
    if (CopyFileKeepingTime(sourcePath, targetPath, replaceExisting) != CopyOutcome::Copied) {
        return false;
    }
    if (::unlink(sourcePath.c_str()) != 0) {
        NoteError(errno);
        ::unlink(targetPath.c_str());
        return false;
    }
    return true;
}

namespace {

bool RemoveEntry(std::string_view path, bool regularOnly)
{
    const std::string file(path);
    struct stat info {};
    if (!regularOnly) {
        // unlink never removes a folder, so anything else goes at once; only a failure is looked into.
        if (::unlink(file.c_str()) == 0) {
            return true;
        }
        const int error = errno;
        if (::lstat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            NoteKind(info);
        } else {
            NoteError(error);
        }
        return false;
    }
    if (::lstat(file.c_str(), &info) != 0) {
        NoteError(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        NoteKind(info);
        return false;
    }
    if (::unlink(file.c_str()) != 0) {
        NoteError(errno);
        return false;
    }
    return true;
}

} // namespace

FileFailure LastFileFailure()
{
    return t_lastFailure;
}

int LastFileErrorNumber()
{
    return t_lastErrorNumber;
}

bool RemoveFile(std::string_view path)
{
    return RemoveEntry(path, false);
}

bool RemoveRegularFile(std::string_view path)
{
    return RemoveEntry(path, true);
}

bool MakeWritable(std::string_view path, FileKind* kind)
{
    const std::string file(path);
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        NoteError(errno);
        if (kind != nullptr) {
            *kind = FileKind::Unknown;
        }
        return false;
    }
    if (kind != nullptr) {
        *kind = FileKindOfUnixMode(info.st_mode);
    }
    if (!S_ISREG(info.st_mode)) {
        NoteKind(info);
        return false;
    }
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0) {
        return true;
    }
    // Through a descriptor of the file itself, so that a link put in its place meanwhile is not followed.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        struct stat opened {};
        const bool ok = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                        ::fchmod(fd, (opened.st_mode & 07777) | S_IWUSR) == 0;
        if (!ok) {
            NoteError(errno != 0 ? errno : EPERM);
        }
        ::close(fd);
        return ok;
    }
    // A file its owner may not even read: only the no-follow look above stands between it and a link.
    if (errno == EACCES && ::chmod(file.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0) {
        return true;
    }
    NoteError(errno);
    return false;
}

std::string CreateScratchFile(std::string_view folder, std::string_view stem, std::string_view extension)
{
    std::string name(folder);
    if (!name.empty() && name.back() != '/') {
        name += '/';
    }
    name += stem;
    name += "XXXXXX";
    name += extension;
    const int fd = ::mkstemps(name.data(), static_cast<int>(extension.size()));
    if (fd < 0) {
        NoteError(errno);
        return {};
    }
    ::close(fd);
    return name;
}

std::string CreateScratchLink(std::string_view folder, std::string_view stem, std::string_view extension,
                              std::string_view target)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string linked(target);
    std::uint64_t seed = static_cast<std::uint64_t>(std::time(nullptr)) ^
                         (static_cast<std::uint64_t>(::getpid()) << 20) ^ reinterpret_cast<std::uintptr_t>(&seed);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(folder);
        if (!name.empty() && name.back() != '/') {
            name += '/';
        }
        name += stem;
        for (int i = 0; i < 6; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            name += kLetters[(seed >> 33) % (sizeof kLetters - 1)];
        }
        name += extension;
        if (::symlink(linked.c_str(), name.c_str()) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            NoteError(errno);
            return {};
        }
    }
    NoteError(EEXIST);
    return {};
}

bool RegularFileReader::open(std::string_view path)
{
    close();
    struct stat info {};
    m_fd = OpenRegularForReading(std::string(path), false, info);
    m_size = m_fd >= 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    return m_fd >= 0;
}

bool RegularFileReader::seek(std::int64_t offset)
{
    return m_fd >= 0 && offset >= 0 && ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) == offset;
}

std::int64_t RegularFileReader::read(char* data, std::size_t size)
{
    if (m_fd < 0) {
        return -1;
    }
    for (;;) {
        const ssize_t n = ::read(m_fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n;
    }
}

void RegularFileReader::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::optional<DateTimeParts> LocalModificationTime(std::string_view path)
{
    struct stat info {};
    if (::stat(std::string(path).c_str(), &info) != 0) {
        return std::nullopt;
    }
    std::tm local{};
    if (::localtime_r(&info.st_mtim.tv_sec, &local) == nullptr) {
        return std::nullopt;
    }
    DateTimeParts parts = FromCalendarTime(local);
    parts.millisecond = static_cast<int>(info.st_mtim.tv_nsec / 1000000);
    return parts;
}

std::vector<std::string> ListFileNames(std::string_view folder)
{
    std::vector<std::string> names;
    const std::string path(folder.empty() ? std::string_view(".") : folder);
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return names;
    }
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            isFolder = ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (!isFolder) {
            names.emplace_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

namespace {

bool SixLettersOrDigits(std::string_view text)
{
    if (text.size() != 6) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
    }
    return true;
}

// Whether a name is stem, six letters or digits (what mkstemp puts in place of its X's) and extension.
bool IsUniqueName(std::string_view name, std::string_view stem, std::string_view extension)
{
    return name.size() == stem.size() + 6 + extension.size() && name.substr(0, stem.size()) == stem &&
           name.substr(name.size() - extension.size()) == extension && SixLettersOrDigits(name.substr(stem.size(), 6));
}

constexpr std::string_view kTemporaryStem(kTemporaryPattern, sizeof(kTemporaryPattern) - 7);

int RemoveStaleUniqueFiles(std::string_view folder, std::string_view stem, std::string_view extension,
                           std::int64_t olderThanSeconds, bool linksToo)
{
    const std::string path(folder.empty() ? std::string_view(".") : folder);
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return 0;
    }
    const int dirFd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsUniqueName(entry->d_name, stem, extension)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !(S_ISREG(info.st_mode) || (linksToo && S_ISLNK(info.st_mode))) ||
            now - info.st_mtime <= olderThanSeconds) {
            continue;
        }
        if (::unlinkat(dirFd, entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

} // namespace

bool IsProgramTemporaryName(std::string_view name)
{
    return IsUniqueName(name, kTemporaryStem, {});
}

int RemoveStaleTemporaries(std::string_view folder, std::int64_t olderThanSeconds)
{
    return RemoveStaleUniqueFiles(folder, kTemporaryStem, {}, olderThanSeconds, false);
}

int RemoveStaleScratchFiles(std::string_view folder, std::string_view stem, std::string_view extension,
                            std::int64_t olderThanSeconds)
{
    return RemoveStaleUniqueFiles(folder, stem, extension, olderThanSeconds, true);
}

bool WriteFileInPlace(std::string_view path, std::string_view bytes)
{
    const int fd = ::open(std::string(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        NoteError(errno);
        return false;
    }
    bool written = WriteAll(fd, bytes.data(), bytes.size());
    if (!written) {
        NoteError(errno);
    }
    // A file system that writes late reports a full disk here.
    if (::close(fd) != 0) {
        NoteError(errno);
        written = false;
    }
    return written;
}

bool AppendToFile(std::string_view path, std::string_view bytes)
{
    const int fd = ::open(std::string(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes.data(), bytes.size());
    return ::close(fd) == 0 && written;
}

bool AppendWholeLine(std::string_view path, std::string_view line)
{
    const int fd = ::open(std::string(path).c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        NoteError(errno);
        return false;
    }
    struct stat before {};
    bool written = false;
    if (::fstat(fd, &before) != 0) {
        NoteError(errno);
    } else {
        std::string bytes;
        char last = '\n';
        if (before.st_size > 0 && ::pread(fd, &last, 1, before.st_size - 1) != 1) {
            NoteError(errno);
        } else {
            if (last != '\n') {
                bytes += '\n';
            }
            bytes += line;
            errno = 0;
            written = WriteAll(fd, bytes.data(), bytes.size());
            if (!written) {
                NoteError(errno != 0 ? errno : EIO);
                struct stat after {};
                if (::fstat(fd, &after) == 0 && after.st_size > before.st_size &&
                    ::ftruncate(fd, before.st_size) != 0) {
                    NoteError(errno);
                }
            }
        }
    }
    ::close(fd);
    return written;
}

PendingFile::PendingFile(PendingFile&& other) noexcept : m_fd(other.m_fd), m_temporary(std::move(other.m_temporary))
{
    other.m_fd = -1;
    other.m_temporary.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept
{
    if (this != &other) {
        discard();
        m_fd = other.m_fd;
        m_temporary = std::move(other.m_temporary);
        other.m_fd = -1;
        other.m_temporary.clear();
    }
    return *this;
}

bool PendingFile::create(std::string_view folder)
{
    discard();
    std::string name(folder);
    if (!name.empty() && name.back() != '/') {
        name += '/';
    }
    name += kTemporaryPattern;
    // Created with the mode a new file of the user's gets (the process's umask applied by the system), so
    // that the finished file needs no change of mode; the name is claimed atomically as mkstemp would.
    const std::size_t letters = name.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name.replace(letters, 6, RandomNameLetters());
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    NoteError(errno);
    return false;
}

bool PendingFile::write(const char* data, std::size_t size)
{
    if (m_fd >= 0 && WriteAll(m_fd, data, size)) {
        return true;
    }
    NoteError(m_fd >= 0 ? errno : EBADF);
    return false;
}

namespace {

// Closes a file written to, giving it a modification time first when there is one; fd is -1 afterwards.
bool CloseWritten(int& fd, const timespec* modified)
{
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    if (modified != nullptr) {
        const timespec times[2] = {*modified, *modified};
        ok = ::futimens(fd, times) == 0;
        if (!ok) {
            NoteError(errno);
        }
    }
    // A file system that writes late reports a full disk here.
    if (::close(fd) != 0) {
        NoteError(errno);
        ok = false;
    }
    fd = -1;
    return ok;
}

} // namespace

bool PendingFile::close(const std::optional<DateTimeParts>& modified)
{
    if (!modified) {
        return CloseWritten(m_fd, nullptr);
    }
    const timespec time = ToTimespec(*modified);
    return CloseWritten(m_fd, &time);
}

bool PendingFile::close(std::int64_t modifiedSeconds, std::int64_t modifiedNanoseconds)
{
    const timespec time{static_cast<time_t>(modifiedSeconds), static_cast<long>(modifiedNanoseconds)};
    return CloseWritten(m_fd, &time);
}

bool PendingFile::commit(std::string_view target)
{
    if (m_temporary.empty() || m_fd >= 0) {
        return false;
    }
    if (::rename(m_temporary.c_str(), std::string(target).c_str()) != 0) {
        NoteError(errno);
        return false;
    }
    m_temporary.clear();
    return true;
}

bool PendingFile::commitNew(std::string_view target, bool& existed)
{
    existed = false;
    if (m_temporary.empty() || m_fd >= 0) {
        return false;
    }
    if (!LinkWithoutReplacing(m_temporary, std::string(target))) {
        existed = errno == EEXIST;
        NoteError(errno);
        return false;
    }
    m_temporary.clear();
    return true;
}

void PendingFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

} // namespace talmere::platform
