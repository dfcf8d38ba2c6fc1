#pragma once

// The housekeeping around the archive run: the optional preprocessor program, unpacking staged ZIP files,
// purging old archived reports and cleaning up the product's mailbox folder. Only the preprocessor tells
// the user anything.

#include "archive/ArchiveLog.h"
#include "core/ApplicationContext.h"

#include <QString>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace talmere {

inline const QString kPreprocessorCannotExecuteMessage = QStringLiteral(
    "Cannot execute the report archive preprocessor. Check the preferences to confirm that the 'Report Archive "
    "Preprocessor' setting points to a valid program or batch file. This setting should be left empty when no "
    "preprocessor is needed (most cases). The report archive process will continue anyway.");
inline const QString kPreprocessorHungMessage = QStringLiteral(
    "The report archive preprocessor appears to be hung. The report archive process will continue anyway.");
inline const QString kPreprocessorExceptionMessage =
    QStringLiteral("An unexpected exception error has occurred during report archive preprocessing. The report "
                   "archive process will continue anyway.");

// Runs the configured program in the server folder and waits for it, up to
// ReportArchivePreprocessorTimeout seconds, letting the user interface go on meanwhile. True when it ended
// with exit code 0; otherwise the user has been told. A program that hangs is left running.
bool RunArchivePreprocessor(ApplicationContext& context, const QString& commandLine);

// What one staged ZIP file may unpack: its entries (folders included), the bytes of all its entries
// together, and how many times its stored size an entry may grow once it is larger than ratioFreeBytes
// (reports are text that packs ten to fifty times; deflate cannot pack better than about 1,030 times, other
// methods can pack runs of one byte a million times). The defaults hold any ZIP file of reports that a
// mailbox sees; TALMERE.INI raises them (ZipMaxTotalMB, ZipMaxEntries, ZipMaxRatio in [General]).
struct ZipUnpackLimits {
    std::uint64_t maxTotalBytes = std::uint64_t{2048} << 20;
    std::uint64_t maxEntries = 10000;
    std::uint64_t maxRatio = 200;
    std::uint64_t ratioFreeBytes = std::uint64_t{1} << 20;
};

// The limits of the settings; a value that is missing, zero or negative keeps its default.
ZipUnpackLimits ZipUnpackLimitsOf(const ProgramSettings& settings);

enum class ZipOutcome {
    Unpacked,       // every entry is a file of the folder and the ZIP file is gone
    NotUnpacked,    // damaged, protected, an unsafe entry or a failed write: the ZIP file stays
    OverTotalSize,  // the limits: the ZIP file stays
    OverEntryCount, //
    OverRatio,      //
};

struct ZipExtraction {
    std::string name; // the ZIP file's name in the staging folder, bytes of the local encoding
    ZipOutcome outcome = ZipOutcome::NotUnpacked;
    // The bytes unpacked from it, also when it was then given up (the piece that went over a limit is
    // counted, not written).
    std::uint64_t bytesUnpacked = 0;
};

// Who keeps note of the unpacking of a ZIP file, so that a run killed half way is completed by the next run
// instead of unpacking the ZIP file a second time beside what the first run had already named.
class ZipUnpackNotes {
public:
    virtual ~ZipUnpackNotes() = default;
    // Before the first entry is written into the folder (under a temporary name). False: leave it packed.
    virtual bool unpacking(const std::string& folder, const std::string& zipName) = 0;
    // Every entry is complete under its temporary name (the path) and is about to take its name (the
    // wanted name of the folder). False: give it up.
    virtual bool naming(const std::string& folder, const std::string& zipName,
                        const std::vector<std::pair<std::string, std::string>>& entries) = 0;
    // The ZIP file is unpacked and gone, or given up and left as it was.
    virtual void finished() = 0;
};

// Unpacks every ZIP file of a staging folder into the folder itself, each entry under its own name without
// the folders stored in the archive, and removes the ZIP file. An entry never replaces a file: when its
// name is taken (by a staged file, by the ZIP file itself, or by an entry of another stored folder) it gets
// the first free name with "_2", "_3", ... before its extension. A ZIP file that cannot be unpacked whole
// (damaged, protected by a password, an entry that is a link or a device or whose name would lead out of
// the folder, a write that fails, more than the limits allow) stays as it is, and nothing of it is left in
// the folder. The bytes are counted while they are unpacked: the sizes a ZIP file states are not trusted.
std::vector<ZipExtraction> ExtractStagedZipFiles(const QString& stagingFolder, const ZipUnpackLimits& limits = {},
                                                 ZipUnpackNotes* notes = nullptr);

// The same within the archive run, for one staging folder of a report type, with the limits of the
// settings, noted in the filing journal. A ZIP file over a limit gets a SKIPPED line in the archive log with the reason
// and a warning. A folder that an earlier report type of the run also stages in was handled there and is left alone.
// The ZIP files left staged over a limit, as logged.
std::vector<UnfiledFile> ExtractStagedZipFiles(ApplicationContext& context, int typeIndex,
                                               const QString& stagingFolder);

// Deletes archived reports older than their type's ArchiveDays, by the report date the library gives
// them, when PurgeReportArchiveFiles is set. Skipped when the archive lock cannot be had at once. False
// only when something unexpected ended it.
bool PurgeReportArchive(ApplicationContext& context);

// Deletes the files of the mailbox folder (server folder + "mailbox") last modified before midnight of
// today minus the given number of days. Subfolders are left alone.
void CleanupMailbox(ApplicationContext& context, int days);

// The mailbox folder of the server folder.
QString MailboxFolder(const ApplicationContext& context);

} // namespace talmere
