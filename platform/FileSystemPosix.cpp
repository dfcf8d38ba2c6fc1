#include "platform/FileSystem.h"

#include "common/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace talmere::platform {

namespace fs = std::filesystem;

namespace {

bool EntryExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name without regard to case, first in name order; empty if none.
std::string FindNoCase(const std::string& folder, const std::string& name)
{
    std::error_code error;
    std::string best;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name) && (best.empty() || entry < best)) {
            best = entry;
        }
    }
    return best;
}

std::vector<std::string> SplitComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find(kSeparator, start);
        const std::string_view part = path.substr(start, end == std::string_view::npos ? path.npos : end - start);
        if (!part.empty()) {
            parts.emplace_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

// A temporary file beside path, created with the given permissions; -1 when it cannot be made.
int CreateTemporaryBeside(const std::string& path, mode_t mode, std::string& temporaryName)
{
    const std::size_t slash = path.rfind(kSeparator);
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    temporaryName = folder + ".talmere-XXXXXX";
    const int fd = ::mkstemp(temporaryName.data());
    if (fd < 0) {
        return -1;
    }
    if (::fchmod(fd, mode) != 0) {
        ::close(fd);
        ::unlink(temporaryName.c_str());
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

CreateOutcome CreateExclusively(const std::string& path, std::string_view contents)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? CreateOutcome::Existed : CreateOutcome::Failed;
    }
    const bool ok = ::fchmod(fd, 0666) == 0 && WriteAll(fd, contents);
    return (::close(fd) == 0 && ok) ? CreateOutcome::Created : CreateOutcome::Failed;
}

FileKind KindOf(fs::file_type type)
{
    switch (type) {
    case fs::file_type::regular:
        return FileKind::Regular;
    case fs::file_type::directory:
        return FileKind::Folder;
    case fs::file_type::symlink:
        return FileKind::SymbolicLink;
    case fs::file_type::block:
    case fs::file_type::character:
        return FileKind::Device;
    case fs::file_type::fifo:
        return FileKind::Fifo;
    case fs::file_type::socket:
        return FileKind::Socket;
    default:
        return FileKind::Unknown;
    }
}

mode_t DefaultFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

} // namespace

std::string FromConfiguredPath(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c == '\\') {
            c = kSeparator;
        }
    }
    return result;
}

bool IsAbsolutePath(std::string_view path)
{
    return !path.empty() && path.front() == kSeparator;
}

std::string DrivePart(std::string_view)
{
    return {};
}

std::string ResolvePathNoCase(std::string_view path)
{
    if (path.empty()) {
        return {};
    }
    const std::vector<std::string> parts = SplitComponents(path);
    std::string result = IsAbsolutePath(path) ? std::string(1, kSeparator) : std::string();
    bool searching = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string name = parts[i];
        if (searching && name != "." && name != ".." && !EntryExists(result + name)) {
            const std::string found = FindNoCase(result, name);
            if (found.empty()) {
                searching = false;
            } else {
                name = found;
            }
        }
        result += name;
        if (i + 1 < parts.size()) {
            result += kSeparator;
        }
    }
    if (path.back() == kSeparator && !result.empty() && result.back() != kSeparator) {
        result += kSeparator;
    }
    return result;
}

std::string ShortPath(std::string_view path)
{
    if (path.empty()) {
        return {};
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(ResolvePathNoCase(path), error);
    if (error || !fs::exists(absolute, error)) {
        return {};
    }
    std::string clean = absolute.lexically_normal().string();
    while (clean.size() > 1 && clean.back() == kSeparator) {
        clean.pop_back();
    }
    if (path.back() == kSeparator && clean.back() != kSeparator) {
        clean += kSeparator;
    }
    return clean;
}

bool IsDirectory(std::string_view path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(fs::path(path), error);
}

bool IsRegularFile(std::string_view path)
{
    std::error_code error;
    return !path.empty() && fs::is_regular_file(fs::path(path), error);
}

bool Exists(std::string_view path)
{
    std::error_code error;
    return !path.empty() && fs::exists(fs::path(path), error);
}

bool CreateDirectories(std::string_view path)
{
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    fs::create_directories(fs::path(path), error);
    return IsDirectory(path);
}

bool SameFile(std::string_view a, std::string_view b)
{
    if (EqualsNoCase(a, b)) {
        return true;
    }
    std::error_code error;
    return fs::equivalent(fs::path(a), fs::path(b), error) && !error;
}

std::string RandomNameLetters()
{
    static thread_local std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(::getpid()) ^
                                               static_cast<std::uint64_t>(::time(nullptr)));
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string letters(6, '0');
    std::uint64_t bits = random();
    for (char& letter : letters) {
        letter = kLetters[bits % 62];
        bits /= 62;
    }
    return letters;
}

namespace {

// Copies what the stream holds to the file; false when it could not all be written.
bool CopyStream(std::ifstream& in, int fd)
{
    bool ok = true;
    char buffer[65536];
    while (ok && in) {
        in.read(buffer, sizeof buffer);
        ok = WriteAll(fd, std::string_view(buffer, static_cast<std::size_t>(in.gcount())));
    }
    return ok && in.eof();
}

// Gives a file opened without a name a temporary name in the folder: the name, or empty when it cannot.
std::string NameUnnamedFile(int fd, const std::string& folder)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + ".talmere-" + RandomNameLetters();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

} // namespace

bool ReplaceWithCopy(std::string_view source, std::string_view target)
{
    std::ifstream in{std::string(source), std::ios::binary};
    if (!in) {
        return false;
    }
    const std::string targetPath(target);
    const std::size_t slash = targetPath.rfind(kSeparator);
    const std::string folder = slash == std::string::npos ? std::string() : targetPath.substr(0, slash + 1);
    // Written as a file without a name where the file system can make one, so that a process killed while it
    // copies leaves nothing behind; it gets a temporary name only to take the target's in the next step.
    std::string temporary;
    bool ok = false;
    const int unnamed = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (unnamed >= 0) {
        ok = CopyStream(in, unnamed);
        temporary = ok ? NameUnnamedFile(unnamed, folder) : std::string();
        ok = (::close(unnamed) == 0) && ok && !temporary.empty();
    }
    if (!ok && temporary.empty()) {
        // No such file here (or no name for it): a named temporary file, which a kill may leave behind.
        if (unnamed >= 0) {
            in.clear();
            in.seekg(0);
        }
        const int fd = CreateTemporaryBeside(targetPath, DefaultFileMode(), temporary);
        if (fd < 0) {
            return false;
        }
        ok = CopyStream(in, fd);
        ok = (::close(fd) == 0) && ok;
    }
    ok = ok && ::rename(temporary.c_str(), targetPath.c_str()) == 0;
    if (!ok && !temporary.empty()) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

std::vector<FolderEntry> ListFolder(std::string_view folder, std::string_view mask)
{
    std::vector<FolderEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (WildcardMatch(mask, name)) {
            // A regular file, the usual entry, is known from the folder's own record of each entry's kind
            // without a look at the entry itself, where the file system keeps such a record.
            std::error_code typeError;
            if (it->is_regular_file(typeError) && !it->is_symlink(typeError)) {
                entries.push_back({name, false, FileKind::Regular});
                continue;
            }
            const bool isDirectory = it->is_directory(typeError);
            entries.push_back({name, isDirectory, KindOf(it->symlink_status(typeError).type())});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

FileKind EntryKind(std::string_view path)
{
    struct stat info {};
    if (path.empty() || ::lstat(std::string(path).c_str(), &info) != 0) {
        return FileKind::Unknown;
    }
    return FileKindOfUnixMode(info.st_mode);
}

std::optional<FileIdentity> IdentityOf(std::string_view path)
{
    struct stat info {};
    if (path.empty() || ::lstat(std::string(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::uint64_t>(info.st_size);
    identity.modifiedNanoseconds =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return identity;
}

FileKind FileKindOfUnixMode(std::uint32_t mode)
{
    const auto bits = static_cast<mode_t>(mode);
    if (S_ISREG(bits)) {
        return FileKind::Regular;
    }
    if (S_ISDIR(bits)) {
        return FileKind::Folder;
    }
    if (S_ISLNK(bits)) {
        return FileKind::SymbolicLink;
    }
    if (S_ISCHR(bits) || S_ISBLK(bits)) {
        return FileKind::Device;
    }
    if (S_ISFIFO(bits)) {
        return FileKind::Fifo;
    }
    return S_ISSOCK(bits) ? FileKind::Socket : FileKind::Unknown;
}

CreateOutcome CreateFileOnce(std::string_view path, std::string_view contents)
{
    const std::string target(path);
    if (EntryExists(target)) {
        return CreateOutcome::Existed;
    }
    std::string temporary;
    // Every user who shares the folder must be able to open the file for writing to lock its bytes.
    const int fd = CreateTemporaryBeside(target, 0666, temporary);
    if (fd < 0) {
        return CreateOutcome::Failed;
    }
    const bool written = WriteAll(fd, contents);
    const bool closed = ::close(fd) == 0;
    CreateOutcome outcome = CreateOutcome::Failed;
    if (written && closed) {
        // link() fails when the name exists, so a file that another process created meanwhile survives.
        if (::link(temporary.c_str(), target.c_str()) == 0) {
            outcome = CreateOutcome::Created;
        } else if (errno == EEXIST) {
            outcome = CreateOutcome::Existed;
        } else {
            // A file system without hard links: an exclusive create still never replaces another file.
            outcome = CreateExclusively(target, contents);
        }
    }
    ::unlink(temporary.c_str());
    return outcome;
}

} // namespace talmere::platform
