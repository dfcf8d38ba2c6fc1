#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace talmere {

// A folder whose files are read one after another (a listing), held open so that each file is opened by its
// name in it. A folder that cannot be held open still serves: its files are then opened by their paths.
class ReportFolder {
public:
    explicit ReportFolder(std::filesystem::path path);
    ReportFolder(const ReportFolder&) = delete;
    ReportFolder& operator=(const ReportFolder&) = delete;
    ~ReportFolder();

    const std::filesystem::path& path() const { return m_path; }

private:
    friend class ReportInputFile;
    std::filesystem::path m_path;
    int m_handle;
};

// A report file read as a stream of bytes through one buffer, so memory stays flat whatever the file's size.
// The buffer is allocated at the first open and reused for every later file the object opens, without being
// cleared: a listing opens thousands of small files with one object. The byte 26 (Ctrl-Z) ends the file for
// every reader of report files.
class ReportInputFile {
public:
    static constexpr int kEnd = -1;
    static constexpr unsigned char kCtrlZ = 26;

    ReportInputFile() = default;
    ReportInputFile(const ReportInputFile&) = delete;
    ReportInputFile& operator=(const ReportInputFile&) = delete;
    ~ReportInputFile() { close(); }

    // Opens a regular file; folders, devices and pipes are refused so that reading never blocks.
    bool open(const std::filesystem::path& path);
    // The same for the file of that name in a folder held open.
    bool open(const ReportFolder& folder, std::string_view name);
    void close();
    bool isOpen() const { return m_handle >= 0; }
    // After an open that failed: true when there was no regular file to open (nothing by that name, a folder,
    // a device or a pipe), false when there was one that could not be read.
    bool missing() const { return m_missing; }

    // The next byte (0 to 255), or kEnd.
    int get()
    {
        if (m_pos == m_limit && !refill()) {
            return kEnd;
        }
        const unsigned char c = *m_pos;
        if (c == kCtrlZ) {
            endAtCtrlZ();
            return kEnd;
        }
        ++m_pos;
        return c;
    }

    int peek()
    {
        if (m_pos == m_limit && !refill()) {
            return kEnd;
        }
        if (*m_pos == kCtrlZ) {
            endAtCtrlZ();
            return kEnd;
        }
        return *m_pos;
    }

    bool atEnd() { return peek() == kEnd; }

    // True when a read failed (as opposed to reaching the end).
    bool failed() const { return m_failed; }

    // For readers that scan the buffer in place: the unread bytes run from position() to limit(). A reader
    // moves the position past what it took, calls refill() when the bytes are used up (false at the end of
    // the file or after a read error), and endAtCtrlZ() when it meets a Ctrl-Z.
    const unsigned char* position() const { return m_pos; }
    const unsigned char* limit() const { return m_limit; }
    void setPosition(const unsigned char* pos) { m_pos = pos; }
    bool refill();
    void endAtCtrlZ()
    {
        m_pos = m_limit;
        m_ended = true;
    }

private:
    bool start(int handle, std::uint64_t size);

    int m_handle = -1;
    std::unique_ptr<unsigned char[]> m_buffer;
    const unsigned char* m_pos = nullptr;
    const unsigned char* m_limit = nullptr;
    std::uint64_t m_size = 0; // as the file was opened
    std::uint64_t m_read = 0;
    bool m_ended = false;
    bool m_failed = false;
    bool m_missing = false;
};

// Raised when an output file cannot be written; the exports turn it into a status.
class ReportOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An output file (a listing, a report, a claim selection), created anew, written through a buffer. Lines end in
// CR LF. Large pieces (the report text writer's) go to the file directly rather than through the buffer.
class ReportOutputFile {
public:
    ReportOutputFile() = default;
    ReportOutputFile(const ReportOutputFile&) = delete;
    ReportOutputFile& operator=(const ReportOutputFile&) = delete;
    // Writes what is still buffered, as far as it can: an output that was not closed keeps what it was given.
    ~ReportOutputFile();

    // False when the file cannot be created.
    bool create(const std::filesystem::path& path);
    bool isOpen() const { return m_handle >= 0; }

    // These raise ReportOutputError when the data cannot be written (disk full, file gone).
    void write(std::string_view text);
    void writeLine(std::string_view text);
    // Cuts the file to its first size bytes; what is written next follows them.
    void truncate(std::uint64_t size);
    void close();

private:
    // Hands the buffered bytes to the file; false when they could not all be written.
    bool drain();
    [[noreturn]] void fail(std::string_view what) const;

    int m_handle = -1;
    std::filesystem::path m_path;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
};

// Copies a file byte for byte over the target, through a temporary file beside it: the target is replaced only
// by a complete copy, so a failed copy leaves an earlier file in place. False when the copy failed.
bool CopyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target);

// Reads one line: up to a line feed (consumed, not stored), the end of the file, or 8192 stored characters,
// whichever comes first. Carriage returns are dropped wherever they occur; the line ends at its first NUL.
inline constexpr std::size_t kMaxTextLineLength = 8192;
void ReadTextLine(ReportInputFile& file, std::string& line);

} // namespace talmere
