#include "archive/ArchiveMaintenance.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/SystemInfo.h"

#include <zip.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talmere {

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// An entry that becomes a file: its index, the name it gets, its time.
struct PlannedEntry {
    zip_uint64_t index = 0;
    std::string name;
    std::optional<DateTimeParts> modified;
};

enum class EntryKind { File, Folder, Unsafe };

// Where the stored folder path of an entry ends: its last slash or backslash (ZIP files made on Windows may
// separate folders with backslashes), or npos.
std::size_t FolderPartEnd(const std::string& name)
{
    return name.find_last_of("/\\");
}

// Links and devices carry no report; a name that is absolute or climbs with ".." (with either separator)
// could lead out of the staging folder.
EntryKind Classify(zip_t* archive, zip_uint64_t index, const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\' || (name.size() > 1 && name[1] == ':')) {
        return EntryKind::Unsafe;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part == "..") {
            return EntryKind::Unsafe;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX) {
        // The high half of the attributes holds the Unix mode bits of the entry.
        switch (platform::FileKindOfUnixMode(attributes >> 16)) {
        case platform::FileKind::SymbolicLink:
        case platform::FileKind::Device:
        case platform::FileKind::Fifo:
        case platform::FileKind::Socket:
            return EntryKind::Unsafe;
        case platform::FileKind::Folder:
            return EntryKind::Folder;
        case platform::FileKind::Regular:
        case platform::FileKind::Unknown:
            break;
        }
    }
    return FolderPartEnd(name) == name.size() - 1 ? EntryKind::Folder : EntryKind::File;
}

std::optional<DateTimeParts> EntryTime(const zip_stat_t& stat)
{
    if ((stat.valid & ZIP_STAT_MTIME) == 0) {
        return std::nullopt;
    }
    return platform::LocalDateTimeOf(static_cast<std::int64_t>(stat.mtime));
}

bool Unpack(zip_t* archive, const PlannedEntry& entry, const std::string& folder, platform::PendingFile& file)
{
    std::unique_ptr<zip_file_t, EntryCloser> in(zip_fopen_index(archive, entry.index, 0));
    if (!in || !file.create(folder)) {
        return false;
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const zip_int64_t n = zip_fread(in.get(), buffer.data(), buffer.size());
        if (n < 0) {
            return false; // damaged data or a failed checksum
        }
        if (n == 0) {
            break;
        }
        if (!file.write(buffer.data(), static_cast<std::size_t>(n))) {
            return false;
        }
    }
    zip_file_t* raw = in.release();
    return zip_fclose(raw) == 0 && file.close(entry.modified);
}

// Every entry is unpacked under a temporary name first; only when all of them are complete do they take
// their names and the ZIP file goes, so that a ZIP file that fails half way leaves nothing behind and is
// not unpacked twice.
bool ExtractZipFile(const std::string& zipPath, const std::string& folder)
{
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(zipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0) {
        return false;
    }
    std::vector<PlannedEntry> planned;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        const char* rawName = zip_get_name(archive.get(), i, ZIP_FL_ENC_RAW);
        if (rawName == nullptr || zip_stat_index(archive.get(), i, ZIP_FL_ENC_RAW, &stat) != 0) {
            return false;
        }
        const std::string name(rawName);
        switch (Classify(archive.get(), i, name)) {
        case EntryKind::Unsafe:
            return false;
        case EntryKind::Folder:
            continue;
        case EntryKind::File:
            break;
        }
        const std::size_t folderEnd = FolderPartEnd(name);
        const std::string base = folderEnd == std::string::npos ? name : name.substr(folderEnd + 1);
        if (base.empty() || base == ".") {
            return false;
        }
        planned.push_back({i, base, EntryTime(stat)});
    }
    std::vector<platform::PendingFile> files(planned.size());
    for (std::size_t i = 0; i < planned.size(); ++i) {
        if (!Unpack(archive.get(), planned[i], folder, files[i])) {
            return false;
        }
    }
    archive.reset();
    // Entries of one name in several stored folders: the last one wins, as when unpacking one by one.
    for (std::size_t i = 0; i < planned.size(); ++i) {
        if (!files[i].commit(folder + planned[i].name)) {
            return false;
        }
    }
    return platform::RemoveFile(zipPath);
}

} // namespace

void ExtractStagedZipFiles(const QString& stagingFolder)
{
    const std::string folder = ToNativePath(WithFinalSeparator(stagingFolder));
    for (const platform::FolderEntry& entry : platform::ListFolder(folder, "*.zip")) {
        if (entry.isDirectory) {
            continue;
        }
        try {
            ExtractZipFile(folder + entry.name, folder);
        } catch (...) {
            // The ZIP file stays and is scanned like any other staged file.
        }
    }
}

} // namespace talmere
