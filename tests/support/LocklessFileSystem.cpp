// A file system in user space that shows a folder at a mount point, as a network share shows the server's
// folder: every file operation is done on the folder underneath. With --refuse-locks it answers every byte-range
// lock with ENOLCK, as a share whose server keeps no locks does; without it the kernel keeps the locks of the
// mount itself, as a share that keeps them does.
//
//   talmere_lockless_fs [--refuse-locks] FOLDER MOUNTPOINT
//
// It runs in the foreground until it is unmounted or receives SIGTERM (then it unmounts itself).

#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

std::string g_folder;

std::string Under(const char* path)
{
    return g_folder + path;
}

int Result(int value)
{
    return value < 0 ? -errno : value;
}

int GetAttributes(const char* path, struct stat* attributes, fuse_file_info* file)
{
    if (file != nullptr) {
        return Result(::fstat(static_cast<int>(file->fh), attributes));
    }
    return Result(::lstat(Under(path).c_str(), attributes));
}

int ReadFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags)
{
    DIR* folder = ::opendir(Under(path).c_str());
    if (folder == nullptr) {
        return -errno;
    }
    while (const dirent* entry = ::readdir(folder)) {
        struct stat attributes {};
        attributes.st_ino = entry->d_ino;
        attributes.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &attributes, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) {
            break;
        }
    }
    ::closedir(folder);
    return 0;
}

int MakeFolder(const char* path, mode_t mode)
{
    return Result(::mkdir(Under(path).c_str(), mode));
}

int Remove(const char* path)
{
    return Result(::unlink(Under(path).c_str()));
}

int RemoveFolder(const char* path)
{
    return Result(::rmdir(Under(path).c_str()));
}

int Rename(const char* from, const char* to, unsigned int flags)
{
    if (flags != 0) {
        return -EINVAL;
    }
    return Result(::rename(Under(from).c_str(), Under(to).c_str()));
}

int ChangeMode(const char* path, mode_t mode, fuse_file_info*)
{
    return Result(::chmod(Under(path).c_str(), mode));
}

int Truncate(const char* path, off_t size, fuse_file_info* file)
{
    if (file != nullptr) {
        return Result(::ftruncate(static_cast<int>(file->fh), size));
    }
    return Result(::truncate(Under(path).c_str(), size));
}

int SetTimes(const char* path, const timespec times[2], fuse_file_info* file)
{
    if (file != nullptr) {
        return Result(::futimens(static_cast<int>(file->fh), times));
    }
    return Result(::utimensat(AT_FDCWD, Under(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

int Open(const char* path, fuse_file_info* file)
{
    const int descriptor = ::open(Under(path).c_str(), file->flags);
    if (descriptor < 0) {
        return -errno;
    }
    file->fh = static_cast<uint64_t>(descriptor);
    return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* file)
{
    const int descriptor = ::open(Under(path).c_str(), file->flags, mode);
    if (descriptor < 0) {
        return -errno;
    }
    file->fh = static_cast<uint64_t>(descriptor);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    return Result(static_cast<int>(::pread(static_cast<int>(file->fh), buffer, size, offset)));
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    return Result(static_cast<int>(::pwrite(static_cast<int>(file->fh), buffer, size, offset)));
}

int Synchronise(const char*, int, fuse_file_info* file)
{
    return Result(::fsync(static_cast<int>(file->fh)));
}

int Release(const char*, fuse_file_info* file)
{
    ::close(static_cast<int>(file->fh));
    return 0;
}

int FileSystemFacts(const char* path, struct statvfs* facts)
{
    return Result(::statvfs(Under(path).c_str(), facts));
}

int RefuseLock(const char*, fuse_file_info*, int, struct flock*)
{
    return -ENOLCK;
}

int RefuseWholeFileLock(const char*, fuse_file_info*, int)
{
    return -ENOLCK;
}

} // namespace

int main(int argc, char** argv)
{
    bool refuseLocks = false;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--refuse-locks") == 0) {
            refuseLocks = true;
        } else {
            operands.emplace_back(argv[i]);
        }
    }
    if (operands.size() != 2) {
        std::fprintf(stderr, "usage: talmere_lockless_fs [--refuse-locks] FOLDER MOUNTPOINT\n");
        return 2;
    }
    char resolved[PATH_MAX];
    if (::realpath(operands[0].c_str(), resolved) == nullptr) {
        std::perror(operands[0].c_str());
        return 1;
    }
    g_folder = resolved;

    fuse_operations operations{};
    operations.getattr = GetAttributes;
    operations.readdir = ReadFolder;
    operations.mkdir = MakeFolder;
    operations.unlink = Remove;
    operations.rmdir = RemoveFolder;
    operations.rename = Rename;
    operations.chmod = ChangeMode;
    operations.truncate = Truncate;
    operations.utimens = SetTimes;
    operations.open = Open;
    operations.create = Create;
    operations.read = Read;
    operations.write = Write;
    operations.fsync = Synchronise;
    operations.release = Release;
    operations.statfs = FileSystemFacts;
    if (refuseLocks) {
        operations.lock = RefuseLock;
        operations.flock = RefuseWholeFileLock;
    }
    // Foreground, one thread, and the folder's permissions as they are underneath.
    std::string program = argv[0];
    std::string foreground = "-f";
    std::string single = "-s";
    std::string options = "-odefault_permissions,fsname=talmere-lockless";
    std::string mountPoint = operands[1];
    char* arguments[] = {program.data(), foreground.data(), single.data(), options.data(), mountPoint.data(), nullptr};
    return fuse_main(5, arguments, &operations, nullptr);
}
