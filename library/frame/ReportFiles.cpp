#include "library/frame/ReportFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace talmere {

namespace {
constexpr std::size_t kInputBufferSize = 256 * 1024;
constexpr std::size_t kOutputBufferSize = 256 * 1024;
} // namespace

bool ReportInputFile::open(const std::filesystem::path& path)
{
    close();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) {
        return false;
    }
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    if (!m_buffer) {
        // Every byte is written by fread before it is read: there is nothing to clear.
        m_buffer = std::make_unique_for_overwrite<unsigned char[]>(kInputBufferSize);
    }
    m_pos = m_limit = m_buffer.get();
    m_ended = m_failed = false;
    return true;
}

void ReportInputFile::close()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_pos = m_limit = nullptr;
    m_ended = true;
}

bool ReportInputFile::refill()
{
    if (m_file == nullptr || m_ended) {
        return false;
    }
    const std::size_t n = std::fread(m_buffer.get(), 1, kInputBufferSize, m_file);
    if (n == 0) {
        m_failed = std::ferror(m_file) != 0;
        m_ended = true;
        return false;
    }
    m_pos = m_buffer.get();
    m_limit = m_pos + n;
    return true;
}

ReportOutputFile::~ReportOutputFile()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool ReportOutputFile::create(const std::filesystem::path& path)
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
    m_path = path;
    m_file = std::fopen(path.c_str(), "wb");
    if (m_file == nullptr) {
        return false;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, kOutputBufferSize);
    return true;
}

void ReportOutputFile::write(std::string_view text)
{
    if (m_file == nullptr) {
        throw ReportOutputError("output file is not open: " + m_path.string());
    }
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), m_file) != text.size()) {
        throw ReportOutputError("cannot write " + m_path.string() + ": " + std::strerror(errno));
    }
}

void ReportOutputFile::writeLine(std::string_view text)
{
    write(text);
    write("\r\n");
}

void ReportOutputFile::truncate(std::uint64_t size)
{
    if (m_file == nullptr || std::fflush(m_file) != 0) {
        throw ReportOutputError("cannot write " + m_path.string() + ": " + std::strerror(errno));
    }
    std::error_code error;
    std::filesystem::resize_file(m_path, size, error);
    if (error || std::fseek(m_file, static_cast<long>(size), SEEK_SET) != 0) {
        throw ReportOutputError("cannot cut " + m_path.string());
    }
}

void ReportOutputFile::close()
{
    if (m_file == nullptr) {
        return;
    }
    std::FILE* file = m_file;
    m_file = nullptr;
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed) {
        throw ReportOutputError("cannot write " + m_path.string() + ": " + std::strerror(errno));
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
