#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace talmere::platform {

// A file that several processes, possibly on several machines, keep open at the same time to coordinate
// through exclusive locks on single bytes. The locks belong to this open file: another open of the same
// file, in this process or any other, conflicts with them, and they all go when the file is closed or the
// process ends, however it ends.
//
// Locks here are advisory: a byte that another process holds can still be read. Whether reading it would
// be refused where locks are mandatory is answered by canReadByte.
class SharedLockFile {
public:
    enum class LockResult {
        Locked,      // the byte is now held by this file
        HeldByOther, // another open file holds it
        Failed,      // the system refused for another reason (no file, no lock support)
    };

    SharedLockFile() = default;
    ~SharedLockFile() { close(); }
    SharedLockFile(const SharedLockFile&) = delete;
    SharedLockFile& operator=(const SharedLockFile&) = delete;

    // Opens an existing file for reading and writing.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // Whether the path names the very file that is open here, and not another file that has taken its name
    // since (after the open one was deleted or renamed). A link to the open file names it too.
    bool isOpenAt(const std::string& path) const;

    // Tries once, without waiting.
    LockResult lockByte(std::uint64_t offset);
    LockResult lockRange(std::uint64_t offset, std::uint64_t length);
    bool unlockByte(std::uint64_t offset);

    // Reads one byte, as a read would go where a byte that another open file holds cannot be read: false
    // when another open file holds the byte, when the read fails, or when the file has no such byte.
    bool canReadByte(std::uint64_t offset);

private:
    int m_fd = -1;
};

// Why byte locks on a file may not keep other machines out, as far as this machine can tell; empty when they
// do. Looks at the mount the file lies on (a CIFS mount with nobrl, an NFS mount with nolock or with
// local_lock=all or posix keeps its locks on this machine alone) and tries a lock from two opens of the file
// (a file system without locks refuses, or lets both have it).
std::string ByteLockProblem(const std::string& path);

// The mount half of that, on the text of a mountinfo file (/proc/self/mountinfo) and a path with its links
// resolved: empty when the mount the path lies on keeps locks between machines.
std::string MountLockProblem(std::string_view mountinfo, std::string_view resolvedPath);

} // namespace talmere::platform
