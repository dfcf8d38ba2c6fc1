#pragma once

// Files and folders as the program sees them. The system was designed for a file system that ignores case,
// drive letters and short (8.3) names; these functions give the local meaning of each of those notions.
// Paths are bytes of the local encoding.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talmere::platform {

// The separator that ends every folder value.
inline constexpr char kSeparator = '/';

// A value read from configuration that is shared with Windows workstations may separate its folders with
// backslashes; here they become the native separator.
std::string FromConfiguredPath(std::string_view text);

bool IsAbsolutePath(std::string_view path);

// The drive part of a folder: what a path keeps when it names the top of its volume. Every absolute path
// here lies below the one root, so the drive part is empty and "drive part + /Reports" is "/Reports".
std::string DrivePart(std::string_view folder);

// Resolves every component that does not exist under its exact name to an entry of its folder whose name
// differs only in case (the first in name order when several do). Components after the first one that
// cannot be found are kept as written.
std::string ResolvePathNoCase(std::string_view path);

// The short form of a path: the absolute, cleaned path of an existing file or folder, with its components
// resolved without regard to case, keeping a final separator when the path has one. Empty when nothing
// exists under that name. Relative paths are taken from the current folder.
std::string ShortPath(std::string_view path);

bool IsDirectory(std::string_view path);
bool IsRegularFile(std::string_view path);
bool Exists(std::string_view path);

// Creates a folder and any missing parents; true when the folder exists afterwards.
bool CreateDirectories(std::string_view path);

// Whether two paths name one file: the same text without regard to case, or the same file through links.
bool SameFile(std::string_view a, std::string_view b);

// Makes target a copy of source. The copy is written beside the target under a temporary name and then
// renamed over it, so the target is never left half written. False when any step fails; the target is
// then untouched.
bool ReplaceWithCopy(std::string_view source, std::string_view target);

// The kinds of file that Unix permission bits (st_mode) tell apart.
enum class FileKind { Regular, Folder, SymbolicLink, Device, Fifo, Socket, Unknown };

struct FolderEntry {
    std::string name;
    bool isDirectory = false;          // a folder, or a link to one
    FileKind kind = FileKind::Unknown; // the entry itself: a link is a SymbolicLink, whatever it points to
};

// The entries of a folder whose names match a file-name mask with the Windows meaning, without regard to
// case ("*.*" is every entry, "*.zip", "AB*.*"), in name order; "." and ".." never. Empty when the folder
// cannot be read.
std::vector<FolderEntry> ListFolder(std::string_view folder, std::string_view mask);

// Six letters or digits chosen at random: the unique part of the names the program gives its temporary files.
std::string RandomNameLetters();

// The kind of the entry itself, without following a symbolic link; Unknown when there is none.
FileKind EntryKind(std::string_view path);

// What tells a file from another one, and from itself after a change: its device and inode, size and
// modification time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of a regular file, without following a symbolic link; nothing for anything else.
std::optional<FileIdentity> IdentityOf(std::string_view path);

// The kind of file that Unix mode bits describe, as archives made on Unix record them for their entries.
FileKind FileKindOfUnixMode(std::uint32_t mode);

enum class CreateOutcome { Created, Existed, Failed };

// Creates a file with the given contents unless something exists under that name. The file appears with
// all its contents at once, so a reader never sees it half written, and an existing file is never touched.
CreateOutcome CreateFileOnce(std::string_view path, std::string_view contents);

} // namespace talmere::platform
