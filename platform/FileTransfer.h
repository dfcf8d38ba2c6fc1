#pragma once

// Copying, moving and removing single files, and writing new ones, so that no reader ever sees a file half
// written and no file is lost when a step fails. Paths are bytes of the local encoding.

#include "common/DayDate.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talmere::platform {

enum class CopyOutcome {
    Copied,
    TargetExists, // only when an existing target is not to be replaced: nothing was written
    Failed,       // the target is as it was
};

// Whether a source that is a symbolic link is followed to its target or refused.
enum class SourceLinks { Follow, Refuse };

// Why the last file operation of this thread that failed did so (the functions below note it, and leave it
// as it was when they succeed), so that a caller can say more than "failed".
enum class FileFailure {
    None,
    NoSpace,          // the file system (or the user's quota) is full
    PermissionDenied, // no permission, or a read-only file system
    NameNotUsable,    // a name too long or not valid on the file system
    SymbolicLink,     // a link where a file of its own was wanted
    NotRegularFile,   // a folder, FIFO, socket or device where a file was wanted
    Gone,             // the file (or its folder) does not exist
    Other,
};
FileFailure LastFileFailure();
// The system's error number behind the last failure (0 when none stood behind it).
int LastFileErrorNumber();

// Copies a file. The copy keeps the source's last-modification time (reports are dated by it) and is
// writable, whatever the source's permissions. It is written under a temporary name beside the target and
// takes the target's name only when it is complete. Only a regular file is copied; the source is opened
// without waiting, so a FIFO in its place fails the copy instead of blocking it.
CopyOutcome CopyFileKeepingTime(std::string_view source, std::string_view target, bool replaceExisting,
                                SourceLinks links = SourceLinks::Follow);

// Moves a file, keeping its modification time: a rename, or a copy and a removal between file systems. An
// existing target is replaced (in one step) only when replaceExisting. False when the file was not moved; it
// is then still where it was and the target is as it was.
bool MoveFile(std::string_view source, std::string_view target, bool replaceExisting);

// Removes a file or link (never a folder); true when it is gone.
bool RemoveFile(std::string_view path);

// Removes a regular file only: a symbolic link, FIFO, device, socket or folder of that name stays. True when
// a regular file was removed.
bool RemoveRegularFile(std::string_view path);

// A read-only regular file (no write permission for anyone) gets write permission for its owner. True when
// the file is writable by its owner afterwards. A symbolic link is never followed (its target keeps its
// permissions) and anything but a regular file is refused: false, nothing changed. The kind of the entry
// itself (Unknown when there is none) goes to kind when given.
bool MakeWritable(std::string_view path, FileKind* kind = nullptr);

// A new empty file of a unique name in a folder (stem, six random characters, extension), for scratch work
// of this process; the caller removes it. Empty when it cannot be made.
std::string CreateScratchFile(std::string_view folder, std::string_view stem, std::string_view extension);

// A new symbolic link to target of a unique name in a folder (stem, six random characters, extension): a
// short plain name for a file whose own path another program cannot take. The caller removes it. Empty when
// it cannot be made.
std::string CreateScratchLink(std::string_view folder, std::string_view stem, std::string_view extension,
                              std::string_view target);

// A file opened for reading only when it is a regular file of its own: never through a symbolic link, and
// never waiting for a writer as opening a FIFO would; a FIFO, device, socket or folder is refused.
class RegularFileReader {
public:
    RegularFileReader() = default;
    explicit RegularFileReader(std::string_view path) { open(path); }
    ~RegularFileReader() { close(); }
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    bool open(std::string_view path);
    bool isOpen() const { return m_fd >= 0; }
    // The file's size when it was opened.
    std::uint64_t size() const { return m_size; }
    // Places the next read at an offset from the start; false when it cannot.
    bool seek(std::int64_t offset);
    // Up to size bytes into data: the count read, 0 at the end, -1 on an error.
    std::int64_t read(char* data, std::size_t size);
    void close();

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// The local date and time of a file's last modification; nothing when it cannot be read.
std::optional<DateTimeParts> LocalModificationTime(std::string_view path);

// Names of the entries of a folder that are not folders (hidden ones too), in the order the folder gives
// them; empty when the folder cannot be read.
std::vector<std::string> ListFileNames(std::string_view folder);

// Whether a file name is one the program gives a file while it writes it beside its target: ".talmere-"
// followed by six letters or digits. A complete copy takes its target's name; a process killed meanwhile
// leaves the temporary name behind.
bool IsProgramTemporaryName(std::string_view name);

// Removes the program's temporary files from a folder that were last written more than olderThanSeconds
// ago: regular files with such a name only, never a link or anything else. The number removed.
int RemoveStaleTemporaries(std::string_view folder, std::int64_t olderThanSeconds);

// The same for the scratch files CreateScratchFile (and links CreateScratchLink) made with stem and extension:
// those a killed process left.
int RemoveStaleScratchFiles(std::string_view folder, std::string_view stem, std::string_view extension,
                            std::int64_t olderThanSeconds);

// Writes a file's whole contents in place: created when missing, emptied first when there. False, with the
// reason noted, when it could not be written whole.
bool WriteFileInPlace(std::string_view path, std::string_view bytes);

// Appends bytes to a file, creating it when missing, with one write so that lines of several writers do
// not mix. False when that failed.
bool AppendToFile(std::string_view path, std::string_view bytes);

// Appends a line to a log file, creating it when missing: in one write, so that the lines of several writers
// do not mix; on a line of its own, after a line end for a last line that an older writer or a crash left
// without one; and whole or not at all: when the file system fills up midway, the file is cut back to its
// former length. The line brings its own line end. False when it was not written.
bool AppendWholeLine(std::string_view path, std::string_view line);

// A new file written under a temporary hidden name in a folder and given its real name only when it is
// complete (commit). Discarded when it goes without having been committed.
class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile() { discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&& other) noexcept;

    bool create(std::string_view folder);
    bool write(const char* data, std::size_t size);
    // Closes the file, with the given local modification time when there is one.
    bool close(const std::optional<DateTimeParts>& modified = std::nullopt);
    // Closes the file with a modification time given as seconds and nanoseconds since 1970.
    bool close(std::int64_t modifiedSeconds, std::int64_t modifiedNanoseconds);
    // Gives the closed file its name, replacing a file of that name.
    bool commit(std::string_view target);
    // Gives the closed file its name only when nothing of that name exists; otherwise false, with existed
    // set when the name was taken.
    bool commitNew(std::string_view target, bool& existed);
    void discard();
    // The temporary name while the file has not got its real one; empty otherwise.
    const std::string& temporaryPath() const { return m_temporary; }

private:
    int m_fd = -1;
    std::string m_temporary;
};

} // namespace talmere::platform
