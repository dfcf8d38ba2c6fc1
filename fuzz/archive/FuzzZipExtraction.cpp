// Staged ZIP files unpacked from arbitrary bytes: either the input itself as a ZIP file, or a ZIP file built
// from it with entries of any name ("../", absolute, duplicate, empty, folders), any Unix file kind, stated
// sizes that lie, stored or deflated. Whatever happens, nothing is written outside the staging folder, a
// staged file is never changed, the folder holds only plain files afterwards, a ZIP file that was not
// unpacked stays as it was with nothing of it left beside it, and one that was unpacked left every byte it
// unpacked in a file.

#include "archive/ArchiveMaintenance.h"
#include "core/AnsiText.h"
#include "fuzz/FuzzSupport.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace talmere;
namespace fs = std::filesystem;

namespace {

// Reads the input front to back; zero bytes once it is used up.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_at >= m_size; }
    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::string bytes(std::size_t count)
    {
        const std::size_t n = std::min(count, m_size - std::min(m_at, m_size));
        std::string text(reinterpret_cast<const char*>(m_data + m_at), n);
        m_at += n;
        return text;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

void Put16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

void Put32(std::string& out, std::uint32_t value)
{
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

std::string Deflate(const std::string& data)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        std::abort();
    }
    std::string out(deflateBound(&stream, data.size()) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// A ZIP file written by hand, so that names may repeat and stated sizes may lie. Each entry takes: a name
// length and the name, a kind byte, a length and that many bytes of content (repeated to grow it).
std::string BuildZip(Reader& in, const fs::path& root)
{
    std::string local;
    std::string central;
    int count = 0;
    while (!in.done() && count < 64) {
        std::string name = in.bytes(in.byte() % 48);
        const std::uint8_t kind = in.byte();
        const std::uint8_t length = in.byte();
        const std::uint8_t repeat = in.byte();
        std::string data;
        const std::string piece = in.bytes(length);
        for (int i = 0; i <= repeat % 64 && !piece.empty(); ++i) {
            data += piece;
        }
        if ((kind & 0xc0) == 0xc0) {
            // An absolute name that would land beside the staging folder, where the checks would see it.
            name = root.string() + "/" + name;
        } else if ((kind & 0xc0) == 0x80) {
            name = "../" + name;
        }
        const bool deflated = (kind & 0x01) != 0;
        const std::string stored = deflated ? Deflate(data) : data;
        const std::uint32_t crc = (kind & 0x02) != 0
                                      ? 0x12345678u
                                      : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                                         static_cast<uInt>(data.size())));
        const std::uint32_t statedSize =
            (kind & 0x04) != 0 ? static_cast<std::uint32_t>(data.size() / 7) : static_cast<std::uint32_t>(data.size());
        // Unix file kinds: plain, folder, link, character device, fifo, socket; or none at all.
        const std::uint32_t modes[] = {0100644, 040755, 0120777, 020666, 010644, 0140644, 0, 0};
        const std::uint32_t mode = modes[(kind >> 3) & 7];
        const std::uint32_t offset = static_cast<std::uint32_t>(local.size());

        Put32(local, 0x04034b50);
        Put16(local, 20);
        Put16(local, 0);
        Put16(local, deflated ? 8 : 0);
        Put32(local, 0x58210000); // 1 January 2024
        Put32(local, crc);
        Put32(local, static_cast<std::uint32_t>(stored.size()));
        Put32(local, statedSize);
        Put16(local, static_cast<std::uint32_t>(name.size()));
        Put16(local, 0);
        local += name;
        local += stored;

        Put32(central, 0x02014b50);
        Put16(central, mode != 0 ? (3u << 8) | 20 : 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, deflated ? 8 : 0);
        Put32(central, 0x58210000);
        Put32(central, crc);
        Put32(central, static_cast<std::uint32_t>(stored.size()));
        Put32(central, statedSize);
        Put16(central, static_cast<std::uint32_t>(name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, mode << 16);
        Put32(central, offset);
        central += name;
        ++count;
    }
    std::string zip = local + central;
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, static_cast<std::uint32_t>(count));
    Put16(zip, static_cast<std::uint32_t>(count));
    Put32(zip, static_cast<std::uint32_t>(central.size()));
    Put32(zip, static_cast<std::uint32_t>(local.size()));
    Put16(zip, 0);
    return zip;
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::abort();
    }
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

const std::string kKept = "a staged file that must never change";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path root = fuzz::FuzzWorkspace::instance().folder() / "zip";
    const fs::path staging = root / "stage";
    std::error_code error;
    fs::remove_all(root, error);
    fs::create_directories(staging);
    WriteBytes(root / "OUTSIDE.TXT", kKept);
    WriteBytes(staging / "KEEP.TXT", kKept);

    Reader in(data, size);
    const std::uint8_t mode = in.byte();
    const std::string zip = (mode & 1) != 0 ? BuildZip(in, root) : in.bytes(size);
    WriteBytes(staging / "FZ.ZIP", zip);

    // Small limits, so that every input runs fast and the limits are met often.
    ZipUnpackLimits limits;
    limits.maxEntries = (mode & 2) != 0 ? 8 : 64;
    limits.maxTotalBytes = (mode & 4) != 0 ? 4096 : 1 << 20;
    limits.maxRatio = (mode & 8) != 0 ? 4 : 200;
    limits.ratioFreeBytes = 1024;
    const std::vector<ZipExtraction> results = ExtractStagedZipFiles(FromNativePath(staging.string() + "/"), limits);
    Check(results.size() == 1 && results[0].name == "FZ.ZIP");

    // Nothing beside the staging folder.
    std::vector<std::string> outside;
    for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
        outside.push_back(entry.path().filename().string());
    }
    Check(outside.size() == 2);
    Check(ReadBytes(root / "OUTSIDE.TXT") == kKept);
    Check(ReadBytes(staging / "KEEP.TXT") == kKept);

    // Only plain files in it, no temporary files, and the unpacked bytes all there.
    std::uint64_t newBytes = 0;
    int newFiles = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(staging)) {
        Check(entry.is_regular_file(error) && !entry.is_symlink(error));
        const std::string name = entry.path().filename().string();
        Check(name.rfind(".talmere-", 0) != 0);
        if (name != "KEEP.TXT") {
            newBytes += fs::file_size(entry.path());
            ++newFiles;
        }
    }
    if (results[0].outcome == ZipOutcome::Unpacked) {
        Check(newBytes == results[0].bytesUnpacked);
        Check(results[0].bytesUnpacked <= limits.maxTotalBytes);
        Check(static_cast<std::uint64_t>(newFiles) <= limits.maxEntries);
    } else {
        Check(newFiles == 1 && ReadBytes(staging / "FZ.ZIP") == zip);
    }
    fs::remove_all(root, error);
    return 0;
}
