#include "archive/ArchiveLog.h"
#include "archive/ArchiveMaintenance.h"
#include "archive/FilingJournal.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"
#include "platform/SystemInfo.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
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
    std::uint64_t storedSize = 0; // packed, at most the size of the ZIP file
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

// What the ZIP file as a whole has unpacked so far, against its limits.
struct UnpackBudget {
    const ZipUnpackLimits& limits;
    std::uint64_t zipFileSize = 0;
    std::uint64_t total = 0;
};

// An entry grows too much when it is past the free size and more than the ratio times its stored size.
bool OverRatio(const ZipUnpackLimits& limits, std::uint64_t unpacked, std::uint64_t stored)
{
    return unpacked > limits.ratioFreeBytes && unpacked / std::max<std::uint64_t>(stored, 1) > limits.maxRatio;
}

// Writes one entry to a new pending file, counting every byte against the limits before it is written.
ZipOutcome Unpack(zip_t* archive, const PlannedEntry& entry, const std::string& folder, platform::PendingFile& file,
                  UnpackBudget& budget)
{
    std::unique_ptr<zip_file_t, EntryCloser> in(zip_fopen_index(archive, entry.index, 0));
    if (!in || !file.create(folder)) {
        return ZipOutcome::NotUnpacked;
    }
    std::vector<char> buffer(1 << 16);
    std::uint64_t unpacked = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(in.get(), buffer.data(), buffer.size());
        if (n < 0) {
            return ZipOutcome::NotUnpacked; // damaged data or a failed checksum
        }
        if (n == 0) {
            break;
        }
        unpacked += static_cast<std::uint64_t>(n);
        budget.total += static_cast<std::uint64_t>(n);
        if (budget.total > budget.limits.maxTotalBytes) {
            return ZipOutcome::OverTotalSize;
        }
        if (OverRatio(budget.limits, unpacked, entry.storedSize)) {
            return ZipOutcome::OverRatio;
        }
        if (!file.write(buffer.data(), static_cast<std::size_t>(n))) {
            return ZipOutcome::NotUnpacked;
        }
    }
    zip_file_t* raw = in.release();
    return zip_fclose(raw) == 0 && file.close(entry.modified) ? ZipOutcome::Unpacked : ZipOutcome::NotUnpacked;
}

// The n-th name tried for an entry: its own name first, then "_n" before the extension (RESP_2.TXT), or at
// the end of a name without one.
std::string CandidateName(const std::string& name, int n)
{
    if (n == 1) {
        return name;
    }
    const std::string suffix = "_" + std::to_string(n);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return name + suffix;
    }
    return name.substr(0, dot) + suffix + name.substr(dot);
}

// Stops looking for a free name at some point: a folder does not hold a million files of one name.
constexpr int kMaxNameTries = 1000000;

// Gives every unpacked file a name that nothing has yet, and removes the ZIP file. When any step fails, the
// files it already named are removed again, so that the ZIP file stays the one copy of its content and a
// later run does not unpack it beside a first half.
bool CommitEntries(const std::vector<PlannedEntry>& planned, std::vector<platform::PendingFile>& files,
                   const std::string& folder, const std::string& zipName, ZipUnpackNotes* notes)
{
    const std::string zipPath = folder + zipName;
    if (notes != nullptr) {
        std::vector<std::pair<std::string, std::string>> entries;
        for (std::size_t i = 0; i < planned.size(); ++i) {
            entries.emplace_back(files[i].temporaryPath(), planned[i].name);
        }
        if (!notes->naming(folder, zipName, entries)) {
            return false;
        }
        platform::CrashPoint("unzip-noted");
    }
    std::vector<std::string> committed;
    const auto undo = [&] {
        for (const std::string& path : committed) {
            platform::RemoveFile(path);
        }
        return false;
    };
    // Where the search for a free name goes on for each name, so that many entries of one name do not try
    // the same taken names again and again.
    std::map<std::string, int> nextTry;
    for (std::size_t i = 0; i < planned.size(); ++i) {
        int& n = nextTry.try_emplace(planned[i].name, 1).first->second;
        bool named = false;
        for (; n <= kMaxNameTries && !named; ++n) {
            const std::string target = folder + CandidateName(planned[i].name, n);
            bool existed = false;
            if (files[i].commitNew(target, existed)) {
                committed.push_back(target);
                named = true;
                platform::CrashPoint("unzip-named");
            } else if (!existed) {
                return undo();
            }
        }
        if (!named) {
            return undo();
        }
    }
    if (!platform::RemoveFile(zipPath)) {
        return undo();
    }
    return true;
}

std::uint64_t FileSize(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

// Every entry is unpacked under a temporary name first; only when all of them are complete do they take
// their names and the ZIP file goes, so that a ZIP file that fails half way leaves nothing behind and is
// not unpacked twice.
ZipExtraction ExtractZipFile(const std::string& folder, const std::string& zipName, const ZipUnpackLimits& limits,
                             ZipUnpackNotes* notes)
{
    ZipExtraction result;
    result.name = zipName;
    const std::string zipPath = folder + zipName;
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(zipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        return result;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0) {
        return result;
    }
    if (static_cast<zip_uint64_t>(count) > limits.maxEntries) {
        result.outcome = ZipOutcome::OverEntryCount;
        return result;
    }
    UnpackBudget budget{limits, FileSize(zipPath)};
    // The sizes the ZIP file states refuse it early when they are over the limits; when they are not, the
    // bytes are counted all the same.
    std::uint64_t statedTotal = 0;
    std::vector<PlannedEntry> planned;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        const char* rawName = zip_get_name(archive.get(), i, ZIP_FL_ENC_RAW);
        if (rawName == nullptr || zip_stat_index(archive.get(), i, ZIP_FL_ENC_RAW, &stat) != 0) {
            return result;
        }
        const std::string name(rawName);
        switch (Classify(archive.get(), i, name)) {
        case EntryKind::Unsafe:
            return result;
        case EntryKind::Folder:
            continue;
        case EntryKind::File:
            break;
        }
        const std::size_t folderEnd = FolderPartEnd(name);
        const std::string base = folderEnd == std::string::npos ? name : name.substr(folderEnd + 1);
        if (base.empty() || base == "." || base == "..") {
            return result;
        }
        // A stored size larger than the ZIP file is not believed: the entry cannot hold more than the file.
        const std::uint64_t stored = (stat.valid & ZIP_STAT_COMP_SIZE) != 0 ? stat.comp_size : budget.zipFileSize;
        const std::uint64_t statedSize = (stat.valid & ZIP_STAT_SIZE) != 0 ? stat.size : 0;
        statedTotal += std::min<std::uint64_t>(statedSize, limits.maxTotalBytes + 1);
        if (statedTotal > limits.maxTotalBytes) {
            result.outcome = ZipOutcome::OverTotalSize;
            return result;
        }
        PlannedEntry entry{i, base, EntryTime(stat), std::min(stored, budget.zipFileSize)};
        if (OverRatio(limits, statedSize, entry.storedSize)) {
            result.outcome = ZipOutcome::OverRatio;
            return result;
        }
        planned.push_back(std::move(entry));
    }
    if (notes != nullptr && !notes->unpacking(folder, zipName)) {
        return result;
    }
    std::vector<platform::PendingFile> files(planned.size());
    for (std::size_t i = 0; i < planned.size(); ++i) {
        const ZipOutcome outcome = Unpack(archive.get(), planned[i], folder, files[i], budget);
        platform::CrashPoint("unzip-written");
        result.bytesUnpacked = budget.total;
        if (outcome != ZipOutcome::Unpacked) {
            // The pending files go with their temporary names.
            result.outcome = outcome;
            return result;
        }
    }
    archive.reset();
    if (CommitEntries(planned, files, folder, zipName, notes)) {
        result.outcome = ZipOutcome::Unpacked;
    }
    return result;
}

// The notes of the archive run: its filing journal.
class JournalZipNotes final : public ZipUnpackNotes {
public:
    explicit JournalZipNotes(const ApplicationContext& context) : m_journal(context) {}

    bool unpacking(const std::string& folder, const std::string& zipName) override { return note(folder, zipName, {}); }
    bool naming(const std::string& folder, const std::string& zipName,
                const std::vector<std::pair<std::string, std::string>>& entries) override
    {
        return note(folder, zipName, entries);
    }
    void finished() override { m_journal.end(); }

private:
    bool note(const std::string& folder, const std::string& zipName,
              const std::vector<std::pair<std::string, std::string>>& entries)
    {
        const std::optional<platform::FileIdentity> identity = platform::IdentityOf(folder + zipName);
        if (!identity) {
            return false;
        }
        FilingStep step{QStringLiteral("UNZIP"), {}, FromNativePath(folder + zipName), *identity,
                        FromNativePath(folder),  {}};
        step.entries = entries;
        return m_journal.begin(step);
    }

    FilingJournal m_journal;
};

} // namespace

void CompleteUnpacking(const FilingStep& step)
{
    const std::string zipPath = ToNativePath(step.staged);
    const std::string folder = ToNativePath(step.target);
    if (!step.entries.empty() && platform::IdentityOf(zipPath) == step.identity) {
        // Every entry was complete: the ones still under their temporary names take theirs, and the ZIP file
        // goes, as the killed run would have done.
        bool allNamed = true;
        for (const auto& [temporary, wanted] : step.entries) {
            if (platform::EntryKind(temporary) != platform::FileKind::Regular) {
                continue;
            }
            bool named = false;
            for (int n = 1; n <= kMaxNameTries && !named; ++n) {
                const std::string target = folder + CandidateName(wanted, n);
                if (platform::EntryKind(target) == platform::FileKind::Unknown) {
                    named = platform::MoveFile(temporary, target, false);
                }
            }
            allNamed = allNamed && named;
        }
        if (allNamed) {
            platform::RemoveRegularFile(zipPath);
        }
    }
    // Entries still unnamed now were written before the note of their names: the ZIP file stays whole, and
    // is unpacked again. Under the archive and run locks, the program's temporary files of the folder are
    // those of the killed run.
    platform::RemoveStaleTemporaries(folder, std::numeric_limits<std::int64_t>::min());
}

namespace {

// Whether the archive run has already handled the folder for a report type before this one: several types
// often stage in one mailbox, and a ZIP file over a limit is tried and reported once a run.
bool StagedByEarlierType(const ApplicationContext& context, int typeIndex, const QString& folder)
{
    for (int index = 0; index < typeIndex && index < static_cast<int>(context.reportTypes.size()); ++index) {
        for (const QString& piece : context.reportTypes[index].info.StagingDirectory.split(QLatin1Char(';'))) {
            if (WithFinalSeparator(TrimBlanks(piece)) == folder) {
                return true;
            }
        }
    }
    return false;
}

struct LimitTexts {
    QString reason;  // for the archive log
    QString message; // for the user
};

LimitTexts TextsOf(const ZipExtraction& extraction, const ProgramSettings& settings, const QString& path)
{
    const ZipUnpackLimits limits = ZipUnpackLimitsOf(settings);
    QString reason;
    QString limit;
    switch (extraction.outcome) {
    case ZipOutcome::OverTotalSize:
        reason = QStringLiteral("total size");
        limit = QStringLiteral("more than %1 MB in all (ZipMaxTotalMB)").arg(limits.maxTotalBytes >> 20);
        break;
    case ZipOutcome::OverEntryCount:
        reason = QStringLiteral("entry count");
        limit = QStringLiteral("more than %1 entries (ZipMaxEntries)").arg(limits.maxEntries);
        break;
    case ZipOutcome::OverRatio:
    default:
        reason = QStringLiteral("compression ratio");
        limit =
            QStringLiteral("an entry that grows more than %1 times its packed size (ZipMaxRatio)").arg(limits.maxRatio);
        break;
    }
    return {QStringLiteral("ZIP over the unpack limit (%1)").arg(reason),
            QStringLiteral("The staged ZIP file %1 was not unpacked: it would unpack %2. It stays in its staging "
                           "folder. The limit can be raised in the [General] section of TALMERE.INI.")
                .arg(path, limit)};
}

} // namespace

ZipUnpackLimits ZipUnpackLimitsOf(const ProgramSettings& settings)
{
    ZipUnpackLimits limits;
    if (settings.ZipMaxTotalMB > 0) {
        limits.maxTotalBytes = static_cast<std::uint64_t>(settings.ZipMaxTotalMB) << 20;
    }
    if (settings.ZipMaxEntries > 0) {
        limits.maxEntries = static_cast<std::uint64_t>(settings.ZipMaxEntries);
    }
    if (settings.ZipMaxRatio > 0) {
        limits.maxRatio = static_cast<std::uint64_t>(settings.ZipMaxRatio);
    }
    return limits;
}

std::vector<ZipExtraction> ExtractStagedZipFiles(const QString& stagingFolder, const ZipUnpackLimits& limits,
                                                 ZipUnpackNotes* notes)
{
    const std::string folder = ToNativePath(WithFinalSeparator(stagingFolder));
    std::vector<ZipExtraction> results;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder, "*.zip")) {
        // Only a plain file is opened: a FIFO would block the run for ever, and a link could lead to a file
        // outside the folder that the run would then read and remove the link of.
        if (entry.kind != platform::FileKind::Regular) {
            continue;
        }
        try {
            results.push_back(ExtractZipFile(folder, entry.name, limits, notes));
        } catch (...) {
            // The ZIP file stays and is scanned like any other staged file.
            results.push_back({entry.name, ZipOutcome::NotUnpacked, 0});
        }
        if (notes != nullptr) {
            notes->finished();
        }
    }
    return results;
}

std::vector<UnfiledFile> ExtractStagedZipFiles(ApplicationContext& context, int typeIndex, const QString& stagingFolder)
{
    std::vector<UnfiledFile> unfiled;
    const QString folder = WithFinalSeparator(stagingFolder);
    if (StagedByEarlierType(context, typeIndex, folder)) {
        return unfiled;
    }
    const QString reportType = typeIndex >= 0 && typeIndex < static_cast<int>(context.reportTypes.size())
                                   ? context.reportTypes[typeIndex].name
                                   : QString();
    JournalZipNotes notes(context);
    for (const ZipExtraction& extraction : ExtractStagedZipFiles(folder, ZipUnpackLimitsOf(context.settings), &notes)) {
        // A ZIP file that could not be unpacked otherwise stays and is scanned like any other staged file:
        // it may be a report after all.
        if (extraction.outcome == ZipOutcome::Unpacked || extraction.outcome == ZipOutcome::NotUnpacked) {
            continue;
        }
        const QString path = folder + FromNativePath(extraction.name);
        const LimitTexts texts = TextsOf(extraction, context.settings, path);
        UnfiledFile file{reportType, path, QStringLiteral("SKIPPED"), texts.reason};
        context.prompts().warning(texts.message);
        LogArchiveAction(context, reportType, path, file.action, file.reason);
        unfiled.push_back(std::move(file));
    }
    return unfiled;
}

} // namespace talmere
