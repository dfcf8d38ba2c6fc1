#pragma once

// What the library needs of the operating system beyond the standard library, all in one place.

#include "common/DayDate.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace talmere {

// The library's clock: the current local date and time, unless a test has set it.
DateTimeParts CurrentLocalDateTime();
void SetCurrentLocalDateTimeForTesting(std::optional<DateTimeParts> now);

// A file's last-modification time in local time at the two-second resolution of DOS date and time stamps
// (seconds rounded down to even). Nothing when it cannot be read: the name is a folder, the file vanished,
// or the time lies outside the years 1980 to 2107 that such a stamp can hold.
std::optional<DateTimeParts> FileLocalDateTime(const std::filesystem::path& path);

// The date a listing gives a file: its own time, or the current time when that cannot be read.
DateTimeParts FileDateTimeOrNow(const std::filesystem::path& path);

// What tells one version of a file from another without reading it: the file's identity, size and times.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // last modification, nanoseconds since 1970
    std::int64_t changedNs = 0;  // last change of the file or its attributes
    bool operator==(const FileStamp&) const = default;
};

// The stamp of a regular file (a link followed); nothing when there is none by that name.
std::optional<FileStamp> RegularFileStamp(const std::filesystem::path& path);

// The system clock in nanoseconds since 1970, on the same scale as a file's times.
std::int64_t SystemClockNs();

// A new, empty file in the system's temporary folder whose name is the prefix followed by characters chosen
// at random. The name is claimed atomically, so a file that someone else placed there beforehand is never
// opened; the file is readable by its owner only. An empty path when the folder or the file cannot be made.
std::filesystem::path CreateTemporaryFile(std::string_view prefix);

// The report files are read and written through handles, so that a listing of thousands of files costs as few
// calls per file as possible: open, size, one read, close.
inline constexpr int kNoFileHandle = -1;

// A folder opened so that the files in it can be opened by name, without looking up the folder's path again
// for each of them. kNoFileHandle when it cannot be opened.
int OpenFolderHandle(const std::filesystem::path& folder);

// Opens a regular file for reading: name relative to the folder handle, or a path on its own when the folder
// is kNoFileHandle. Answers the handle and the file's size, or kNoFileHandle with missing telling that there is
// no regular file by that name (nothing, a folder, a device or a pipe) rather than one that cannot be read.
// Opening never waits: a pipe or a device is refused after a non-blocking open, without reading from it.
int OpenRegularFileHandle(int folder, const std::filesystem::path& name, std::uint64_t& size, bool& missing);

// Creates a file for writing, or empties the one that is there, like fopen's "wb". kNoFileHandle when it
// cannot be created; errno tells why.
int CreateFileHandle(const std::filesystem::path& path);

// Reads up to size bytes: the number read, 0 at the end of the file, -1 after a read error.
std::ptrdiff_t ReadFileHandle(int handle, void* buffer, std::size_t size);

// Writes all the bytes; false, with errno telling why, when they could not all be written.
bool WriteFileHandle(int handle, const void* data, std::size_t size);

// Cuts the file to its first size bytes and goes on writing after them.
bool TruncateFileHandle(int handle, std::uint64_t size);

// False when closing reported an error (for a file written to, data that did not reach the disk).
bool CloseFileHandle(int handle);

} // namespace talmere
