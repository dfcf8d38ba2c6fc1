#include "library/frame/ReportFiles.h"

#include "library/frame/OperatingSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace talmere {

namespace {
constexpr std::size_t kInputBufferSize = 256 * 1024;
constexpr std::size_t kOutputBufferSize = 256 * 1024;
// A piece at least this large goes to the file directly when nothing is buffered: copying it into the buffer
// first would only double the work of a report that writes hundreds of megabytes.
constexpr std::size_t kDirectWriteSize = 32 * 1024;
} // namespace

ReportFolder::ReportFolder(std::filesystem::path path) : m_path(std::move(path)), m_handle(OpenFolderHandle(m_path)) {}

ReportFolder::~ReportFolder()
{
    if (m_handle != kNoFileHandle) {
        CloseFileHandle(m_handle);
    }
}

bool ReportInputFile::open(const std::filesystem::path& path)
{
    close();
    std::uint64_t size = 0;
    const int handle = OpenRegularFileHandle(kNoFileHandle, path, size, m_missing);
    return start(handle, size);
}

bool ReportInputFile::open(const ReportFolder& folder, std::string_view name)
{
    if (folder.m_handle == kNoFileHandle) {
        return open(folder.path() / name);
    }
    close();
    std::uint64_t size = 0;
    const int handle = OpenRegularFileHandle(folder.m_handle, std::filesystem::path(name), size, m_missing);
    return start(handle, size);
}

bool ReportInputFile::start(int handle, std::uint64_t size)
{
    if (handle == kNoFileHandle) {
        return false;
    }
    m_handle = handle;
    if (!m_buffer) {
        // Every byte is written by a read before it is read: there is nothing to clear.
        m_buffer = std::make_unique_for_overwrite<unsigned char[]>(kInputBufferSize);
    }
    m_pos = m_limit = m_buffer.get();
    m_size = size;
    m_read = 0;
    m_ended = m_failed = false;
    return true;
}

void ReportInputFile::close()
{
    if (m_handle != kNoFileHandle) {
        CloseFileHandle(m_handle);
        m_handle = kNoFileHandle;
    }
    m_pos = m_limit = nullptr;
    m_ended = true;
}

bool ReportInputFile::refill()
{
    if (m_handle == kNoFileHandle || m_ended) {
        return false;
    }
    const std::ptrdiff_t n = ReadFileHandle(m_handle, m_buffer.get(), kInputBufferSize);
    if (n <= 0) {
        m_failed = n < 0;
        m_ended = true;
        return false;
    }
    m_pos = m_buffer.get();
    m_limit = m_pos + n;
    m_read += static_cast<std::uint64_t>(n);
    // A read that fell short once the size the file had when it was opened is reached is the end of the file:
    // the read that would answer nothing is spared, which is a third of a small file's reads. A short read
    // before that size (a file cut meanwhile, an interrupted read) reads on, and so does every read of a file
    // that had no size (one that was empty then, or a file of the system's that tells no size).
    if (static_cast<std::size_t>(n) < kInputBufferSize && m_size > 0 && m_read >= m_size) {
        m_ended = true;
    }
    return true;
}

ReportOutputFile::~ReportOutputFile()
{
    if (m_handle != kNoFileHandle) {
        drain();
        CloseFileHandle(m_handle);
    }
}

bool ReportOutputFile::create(const std::filesystem::path& path)
{
    if (m_handle != kNoFileHandle) {
        drain();
        CloseFileHandle(m_handle);
    }
    m_path = path;
    m_used = 0;
    m_handle = CreateFileHandle(path);
    if (m_handle == kNoFileHandle) {
        return false;
    }
    if (!m_buffer) {
        m_buffer = std::make_unique_for_overwrite<char[]>(kOutputBufferSize);
    }
    return true;
}

bool ReportOutputFile::drain()
{
    const std::size_t used = m_used;
    m_used = 0;
    return used == 0 || WriteFileHandle(m_handle, m_buffer.get(), used);
}

void ReportOutputFile::fail(std::string_view what) const
{
    throw ReportOutputError(std::string(what) + " " + m_path.string() + ": " + std::strerror(errno));
}

void ReportOutputFile::write(std::string_view text)
{
    if (m_handle == kNoFileHandle) {
        throw ReportOutputError("output file is not open: " + m_path.string());
    }
    if (text.size() <= kOutputBufferSize - m_used) {
        if (m_used > 0 || text.size() < kDirectWriteSize) {
            std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
            m_used += text.size();
            return;
        }
    } else if (!drain()) {
        fail("cannot write");
    }
    if (text.size() >= kDirectWriteSize) {
        if (!WriteFileHandle(m_handle, text.data(), text.size())) {
            fail("cannot write");
        }
        return;
    }
    std::memcpy(m_buffer.get(), text.data(), text.size());
    m_used = text.size();
}

void ReportOutputFile::writeLine(std::string_view text)
{
    write(text);
    write("\r\n");
}

void ReportOutputFile::truncate(std::uint64_t size)
{
    if (m_handle == kNoFileHandle || !drain()) {
        fail("cannot write");
    }
    if (!TruncateFileHandle(m_handle, size)) {
        fail("cannot cut");
    }
}

void ReportOutputFile::close()
{
    if (m_handle == kNoFileHandle) {
        return;
    }
    const bool drained = drain();
    const int drainError = errno;
    const bool closed = CloseFileHandle(m_handle);
    m_handle = kNoFileHandle;
    if (!drained || !closed) {
        if (!drained) {
            errno = drainError;
        }
        fail("cannot write");
    }
}

namespace {

// A new file beside the target with a name nobody else uses; nullptr when none can be made.
std::FILE* CreateSiblingTemporary(const std::filesystem::path& target, std::filesystem::path& created)
{
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        std::filesystem::path candidate = target;
        candidate += suffix;
        // "x": fail rather than open a file that is already there.
        if (std::FILE* file = std::fopen(candidate.c_str(), "wbx")) {
            created = candidate;
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

} // namespace

bool CopyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target)
{
    if (target.empty()) {
        return false;
    }
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    std::filesystem::path temporary;
    std::FILE* out = CreateSiblingTemporary(target, temporary);
    if (out == nullptr) {
        std::fclose(in);
        return false;
    }
    std::vector<char> buffer(kInputBufferSize);
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n > 0 && std::fwrite(buffer.data(), 1, n, out) != n) {
            ok = false;
            break;
        }
        if (n < buffer.size()) {
            ok = std::ferror(in) == 0;
            break;
        }
    }
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    std::error_code error;
    if (ok) {
        std::filesystem::rename(temporary, target, error);
        ok = !error;
    }
    if (!ok) {
        std::filesystem::remove(temporary, error);
    }
    return ok;
}

void ReadTextLine(ReportInputFile& file, std::string& line)
{
    line.clear();
    // Characters after a NUL count towards the 8192 but are not kept: the line is read into a fixed buffer
    // and then taken as a NUL-terminated text.
    std::size_t stored = 0;
    bool cut = false;
    while (stored < kMaxTextLineLength) {
        if (file.position() == file.limit() && !file.refill()) {
            break;
        }
        // A run of ordinary characters goes into the line in one piece.
        const unsigned char* const start = file.position();
        const unsigned char* const limit =
            start + std::min<std::size_t>(static_cast<std::size_t>(file.limit() - start), kMaxTextLineLength - stored);
        const unsigned char* p = start;
        while (p < limit && *p != '\n' && *p != '\r' && *p != '\0' && *p != ReportInputFile::kCtrlZ) {
            ++p;
        }
        if (!cut) {
            line.append(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
        }
        stored += static_cast<std::size_t>(p - start);
        file.setPosition(p);
        if (p == limit) {
            continue;
        }
        if (*p == ReportInputFile::kCtrlZ) {
            file.endAtCtrlZ();
            break;
        }
        file.setPosition(p + 1);
        if (*p == '\n') {
            break;
        }
        if (*p == '\0') {
            ++stored;
            cut = true;
        }
    }
}

} // namespace talmere
