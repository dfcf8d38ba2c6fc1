#include "archive/ArchiveRun.h"

#include "archive/ArchiveLog.h"
#include "archive/ArchiveMaintenance.h"
#include "archive/ArchiveNaming.h"
#include "archive/FilingJournal.h"
#include "archive/Identification.h"
#include "catalogue/DirectoryListing.h"
#include "client/ReportRequests.h"
#include "config/ReportConfiguration.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "core/UserAccess.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"
#include "platform/SharedLockFile.h"

#include "common/TextUtil.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

namespace talmere {

namespace {

constexpr int kArchiveLockSeconds = 5;
// A temporary copy this much older than now was left by a run that ended before it was done.
constexpr std::int64_t kStaleCopySeconds = 3600;

struct StagedReport {
    QString path; // the staged file as it was found
    TDirectoryListingInfo entry;
};

// What the scan of one staging folder for one type found.
struct ScanLists {
    QStringList copyList;
    QStringList moveList;
    QStringList deleteList;
    std::vector<StagedReport> archiveList;
};

QStringList Masks(const QString& fileNameMask, bool& custom)
{
    custom = fileNameMask.compare(QLatin1String("CUSTOM"), Qt::CaseInsensitive) == 0;
    // Only custom mode and an empty setting look at every file; a setting of nothing but separators names
    // no file at all.
    if (custom || fileNameMask.isEmpty()) {
        return {QStringLiteral("*.*")};
    }
    QStringList masks;
    for (const QString& piece : fileNameMask.split(QLatin1Char(';'))) {
        // Every piece is trimmed, the last one too, so that "*.txt; *.x12" means what it says.
        const QString mask = TrimBlanks(piece);
        if (!mask.isEmpty()) {
            masks << mask;
        }
    }
    return masks;
}

std::string FoldCase(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return name;
}

// The folders the run reads and writes. Each is listed once per run and listed again only after the run
// itself has unpacked files into it; what the run adds or removes is noted in the listing. Listing a shared
// mailbox again for every report type made the run grow with the square of the number of types. Files
// taken away meanwhile are found gone when they are looked at, so a listing that still names them is
// harmless.
class RunFolders {
public:
    // The entries of a folder, in name order.
    const std::vector<platform::FolderEntry>& entries(const QString& folder) { return listing(folder).entries; }

    // The first name in name order of the folder equal to name without regard to case; empty when none.
    std::string findNoCase(const QString& folder, const std::string& name)
    {
        Listing& list = listing(folder);
        if (!list.foldedBuilt) {
            for (const platform::FolderEntry& entry : list.entries) {
                list.folded[FoldCase(entry.name)].insert(entry.name);
            }
            list.foldedBuilt = true;
        }
        const auto found = list.folded.find(FoldCase(name));
        return found == list.folded.end() || found->second.empty() ? std::string() : *found->second.begin();
    }

    void added(const QString& folder, const std::string& name)
    {
        Listing& list = listing(folder);
        const auto at =
            std::lower_bound(list.entries.begin(), list.entries.end(), name,
                             [](const platform::FolderEntry& e, const std::string& n) { return e.name < n; });
        if (at == list.entries.end() || at->name != name) {
            list.entries.insert(at, {name, false, platform::FileKind::Regular});
        }
        if (list.foldedBuilt) {
            list.folded[FoldCase(name)].insert(name);
        }
        list.unpacked = false;
    }

    void removed(const QString& folder, const std::string& name)
    {
        Listing& list = listing(folder);
        if (list.foldedBuilt) {
            list.folded[FoldCase(name)].erase(name);
        }
    }

    // Whether the folder may hold ZIP files the run has not tried to unpack yet.
    bool mayNeedUnpacking(const QString& folder)
    {
        const Listing& list = listing(folder);
        return !list.unpacked && std::any_of(list.entries.begin(), list.entries.end(),
                                             [](const auto& entry) { return WildcardMatch("*.zip", entry.name); });
    }

    // The run has unpacked the folder's ZIP files: it is listed again.
    void unpacked(const QString& folder)
    {
        m_folders.erase(key(folder));
        listing(folder).unpacked = true;
    }

private:
    struct Listing {
        std::vector<platform::FolderEntry> entries;
        bool foldedBuilt = false;
        std::unordered_map<std::string, std::set<std::string>> folded;
        bool unpacked = false;
    };

    // One key for the ways a folder is written (case, relative parts), worked out once per spelling.
    std::string key(const QString& folder)
    {
        auto found = m_keys.find(folder);
        if (found == m_keys.end()) {
            const std::string native = ToNativePath(WithFinalSeparator(folder));
            const std::string resolved = platform::ShortPath(native);
            found = m_keys.insert(folder, resolved.empty() ? native : resolved);
        }
        return *found;
    }

    Listing& listing(const QString& folder)
    {
        const std::string name = key(folder);
        auto found = m_folders.find(name);
        if (found == m_folders.end()) {
            Listing list;
            list.entries = platform::ListFolder(ToNativePath(WithFinalSeparator(folder)), "*.*");
            found = m_folders.emplace(name, std::move(list)).first;
        }
        return found->second;
    }

    std::unordered_map<std::string, Listing> m_folders;
    QHash<QString, std::string> m_keys;
};

// What one archive run carries from one type and folder to the next.
struct RunState {
    explicit RunState(const ApplicationContext& context) : journal(context), scratch(context) {}

    FilingJournal journal;
    IdentificationScratch scratch;
    RunFolders folders;
    ArchiveSequences sequences;
    // Staged files the run left where they were, each named once in the archive log.
    std::vector<UnfiledFile> unfiled;
    QSet<QString> reported;
    // The paths the report library gets staged files under, where they are not the files' own: links of
    // the private folder, removed at the end of the run.
    std::map<QString, std::unique_ptr<LibraryPath>> libraryPaths;

    const LibraryPath& libraryPath(const ApplicationContext& context, const QString& staged)
    {
        std::unique_ptr<LibraryPath>& path = libraryPaths[staged];
        if (!path) {
            path = std::make_unique<LibraryPath>(context, staged);
        }
        return *path;
    }
};

// A staged file the run leaves where it is gets one line in the archive log per run, however many report
// types look at it. A file that has gone meanwhile (taken by someone else) is not named.
void NoteUnfiled(ApplicationContext& context, RunState& run, int index, const QString& path, const QString& action,
                 const QString& reason)
{
    if (run.reported.contains(path) || platform::EntryKind(ToNativePath(path)) == platform::FileKind::Unknown) {
        return;
    }
    run.reported.insert(path);
    const QString& type = context.reportTypes[index].name;
    LogArchiveAction(context, type, path, action, reason);
    run.unfiled.push_back({type, path, action, reason});
}

void NoteFailed(ApplicationContext& context, RunState& run, int index, const QString& path, const QString& reason)
{
    NoteUnfiled(context, run, index, path, QStringLiteral("FAILED"), reason);
}

// A staged entry that is not a regular file is left where it is, untouched and unread. Folders are passed
// over without a word, as they always were.
void NoteNotFileable(ApplicationContext& context, RunState& run, int index, const QString& path,
                     platform::FileKind kind)
{
    if (kind == platform::FileKind::Folder || kind == platform::FileKind::Unknown) {
        return;
    }
    NoteUnfiled(context, run, index, path, QStringLiteral("SKIPPED"),
                kind == platform::FileKind::SymbolicLink ? QStringLiteral("symbolic link")
                                                         : QStringLiteral("not a regular file"));
}

ScanLists Scan(ApplicationContext& context, RunState& run, int index, const QString& folder)
{
    const TReportConfigInfoRecord& type = context.reportTypes[index].info;
    ScanLists lists;
    bool custom = false;
    QSet<QString> seen;
    const std::string nativeFolder = ToNativePath(folder);
    // Nothing is filed while the folder is scanned, so its listing stays as it is meanwhile.
    const std::vector<platform::FolderEntry>& entries = run.folders.entries(folder);
    for (const QString& mask : Masks(type.FileNameMask, custom)) {
        const std::string nativeMask = ToNativePath(mask);
        for (const platform::FolderEntry& entry : entries) {
            // The program's own temporary files (an entry of a ZIP file being unpacked) are no staged files.
            if (entry.kind == platform::FileKind::Folder || platform::IsProgramTemporaryName(entry.name) ||
                !WildcardMatch(nativeMask, entry.name)) {
                continue;
            }
            const QString name = FromNativePath(entry.name);
            // A file that several masks match is looked at once.
            if (seen.contains(name)) {
                continue;
            }
            seen.insert(name);
            const QString path = folder + name;
            // Looked at again now, without following a link: an earlier type may have filed it, and only a
            // regular file is ever opened (opening a FIFO would wait for a writer for ever). A read-only staged
            // file is made writable in the same look, or it could not leave the folder once filed; one that
            // cannot be is still identified, so that the log can say why it stays.
            platform::FileKind kind = platform::FileKind::Unknown;
            const bool writable = platform::MakeWritable(nativeFolder + entry.name, &kind);
            if (kind != platform::FileKind::Regular) {
                NoteNotFileable(context, run, index, path, kind);
                continue;
            }
            const QString notWritable = writable ? QString() : LastFileFailureReason();
            if (ContextSkip(context, index)) {
                continue;
            }
            // The library gets the file under a path it can take (a link for a name it cannot).
            const LibraryPath& library = run.libraryPath(context, path);
            if (library.path().isEmpty()) {
                NoteFailed(context, run, index, path, library.failure());
                continue;
            }
            const bool identified = custom ? MatchesCustomTest(context, index, library.folder(), library.name())
                                           : MatchesSearchIdents(type, path) && MatchesTextFormat(type, path);
            if (!identified) {
                continue;
            }
            if (!writable) {
                NoteFailed(context, run, index, path, notWritable);
                continue;
            }
            if (type.ReportFormat == QLatin1String("COPY")) {
                lists.copyList << name;
            } else if (type.ReportFormat == QLatin1String("MOVE")) {
                lists.moveList << name;
            } else if (type.ReportFormat == QLatin1String("DELETE")) {
                lists.deleteList << name;
            } else {
                QString failure;
                if (std::optional<TDirectoryListingInfo> listed =
                        CreateFileListingEntry(context, index, library.path(), run.scratch, &failure)) {
                    lists.archiveList.push_back({path, *listed});
                } else if (!failure.isEmpty()) {
                    NoteFailed(context, run, index, path, failure);
                }
            }
        }
    }
    return lists;
}

// Copies or moves the listed files to the type's destination folder.
void Route(ApplicationContext& context, RunState& run, int index, const QString& folder, const QStringList& names,
           bool move)
{
    const TReportConfigInfoRecord& type = context.reportTypes[index].info;
    const QString destination = type.DestinationDirectory;
    if (destination.isEmpty() || !FolderExists(destination)) {
        for (const QString& name : names) {
            NoteFailed(context, run, index, folder + name,
                       destination.isEmpty() ? QStringLiteral("no destination folder set")
                                             : QStringLiteral("destination folder not found"));
        }
        return;
    }
    const QString method = move ? type.MoveMethod : type.CopyMethod;
    const bool unique = method == QLatin1String("STANDARD_UNIQUE") || method == QLatin1String("SHORT_UNIQUE");
    for (const QString& name : names) {
        const QString source = folder + name;
        // A short name is the name itself here: this file system keeps no second, shorter one.
        QString target = destination + name;
        QString replaced;
        // Names of the destination compared without regard to case, from the run's listing of the folder
        // and the name itself (a file put there by someone else during the run).
        const auto existing = [&](const QString& candidate) {
            const std::string native = ToNativePath(candidate);
            if (platform::EntryKind(ToNativePath(destination) + native) != platform::FileKind::Unknown) {
                return native;
            }
            return run.folders.findNoCase(destination, native);
        };
        if (unique) {
            const QString free =
                UniqueDestinationName(target, [&](const QString& candidate) { return !existing(candidate).empty(); });
            if (free.isEmpty()) {
                NoteFailed(context, run, index, source, QStringLiteral("name not usable (no free name)"));
                continue;
            }
            target = destination + free;
        } else {
            // The file of that name is replaced, whatever the case of its letters; only once the new one is
            // in place, so that a failed copy leaves the old one.
            const std::string found = existing(name);
            replaced = found.empty() ? QString() : destination + FromNativePath(found);
        }
        const std::string from = ToNativePath(source);
        const std::string to = ToNativePath(target);
        // Moved only while it is still the regular file the scan found: a link put in its place stays.
        bool done = false;
        QString failure;
        if (move) {
            const std::optional<platform::FileIdentity> identity = platform::IdentityOf(from);
            if (!identity) {
                NoteNotFileable(context, run, index, source, platform::EntryKind(from));
            } else if (!run.journal.begin(
                           {QStringLiteral("MOVE"), context.reportTypes[index].name, source, *identity, target, {}})) {
                failure = QStringLiteral("filing journal not writable");
            } else {
                done = platform::MoveFile(from, to, !unique);
                if (!done) {
                    failure = LastFileFailureReason();
                    run.journal.end();
                }
                platform::CrashPoint("move-moved");
            }
        } else {
            const platform::CopyOutcome outcome =
                platform::CopyFileKeepingTime(from, to, !unique, platform::SourceLinks::Refuse);
            done = outcome == platform::CopyOutcome::Copied;
            if (outcome == platform::CopyOutcome::TargetExists) {
                failure = QStringLiteral("name not usable (taken meanwhile)");
            } else if (!done) {
                failure = LastFileFailureReason();
            }
        }
        if (!failure.isEmpty()) {
            NoteFailed(context, run, index, source, failure);
        }
        if (done) {
            run.folders.added(destination, ToNativePath(target.mid(destination.size())));
        }
        if (done && !replaced.isEmpty() && replaced != target && platform::RemoveFile(ToNativePath(replaced))) {
            run.folders.removed(destination, ToNativePath(replaced.mid(destination.size())));
        }
        if (done) {
            LogArchiveAction(context, context.reportTypes[index].name, source,
                             move ? QStringLiteral("MOVE") : QStringLiteral("COPY"), target);
            run.journal.end();
        }
    }
}

void DeleteStaged(ApplicationContext& context, RunState& run, int index, const QString& folder,
                  const QStringList& names)
{
    for (const QString& name : names) {
        const QString path = folder + name;
        const std::string native = ToNativePath(path);
        const std::optional<platform::FileIdentity> identity = platform::IdentityOf(native);
        if (!identity) {
            NoteNotFileable(context, run, index, path, platform::EntryKind(native));
        } else if (!run.journal.begin(
                       {QStringLiteral("DELETE"), context.reportTypes[index].name, path, *identity, {}, {}})) {
            NoteFailed(context, run, index, path, QStringLiteral("filing journal not writable"));
        } else if (platform::RemoveRegularFile(native)) {
            platform::CrashPoint("delete-removed");
            LogArchiveAction(context, context.reportTypes[index].name, path, QStringLiteral("DELETE"));
            run.journal.end();
        } else {
            NoteFailed(context, run, index, path, LastFileFailureReason());
            run.journal.end();
        }
    }
}

// Files the listed reports; true when at least one was archived.
QStringList Archive(ApplicationContext& context, RunState& run, int index, const std::vector<StagedReport>& reports)
{
    ArchiveSequences& sequences = run.sequences;
    const TReportConfigInfoRecord& type = context.reportTypes[index].info;
    const QString subfolder = ArchiveSubfolder(context, index);
    QStringList archived; // the names given to the filed reports
    const int total = static_cast<int>(reports.size());
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    int done = 0;
    for (const StagedReport& report : reports) {
        context.prompts().progress(
            QStringLiteral("Filing %1 of %2 staged files").arg(english.toString(done + 1), english.toString(total)),
            done, total);
        ++done;
        const LibraryPath& library = run.libraryPath(context, report.path);
        if (library.path().isEmpty() || !PerformPreArchiveTasks(context, index, library.folder(), library.name())) {
            NoteFailed(context, run, index, report.path,
                       library.path().isEmpty() ? library.failure()
                                                : QStringLiteral("report library's pre-archive tasks failed"));
            continue;
        }
        const DateTimeParts date = DecodeDateTime(report.entry.ReportDateTime);
        const QString base = type.ArchivePrefix + QStringLiteral("%1%2%3")
                                                      .arg(date.year % 100, 2, 10, QLatin1Char('0'))
                                                      .arg(date.month, 2, 10, QLatin1Char('0'))
                                                      .arg(date.day, 2, 10, QLatin1Char('0'));
        const std::string source = ToNativePath(report.path);
        const std::optional<platform::FileIdentity> identity = platform::IdentityOf(source);
        if (!identity) {
            NoteNotFileable(context, run, index, report.path, platform::EntryKind(source));
            continue;
        }
        // A number found taken is passed over: no archived report is ever replaced. Each try is noted in the
        // journal before its copy begins.
        QString target;
        platform::CopyOutcome outcome = platform::CopyOutcome::TargetExists;
        bool noted = true;
        for (int attempt = 0; attempt < 100 && outcome == platform::CopyOutcome::TargetExists; ++attempt) {
            const qint64 sequence = sequences.next(subfolder, base);
            target = subfolder + base + QLatin1Char('.') + FormatSequence(sequence);
            noted = run.journal.begin(
                {QStringLiteral("ARCHIVE"), context.reportTypes[index].name, report.path, *identity, target, {}});
            if (!noted) {
                break;
            }
            platform::CrashPoint("archive-noted");
            outcome = platform::CopyFileKeepingTime(source, ToNativePath(target), false, platform::SourceLinks::Refuse);
            if (outcome != platform::CopyOutcome::Failed) {
                sequences.taken(subfolder, base, sequence);
            }
        }
        if (!noted) {
            NoteFailed(context, run, index, report.path, QStringLiteral("filing journal not writable"));
            continue;
        }
        if (outcome != platform::CopyOutcome::Copied) {
            NoteFailed(context, run, index, report.path,
                       outcome == platform::CopyOutcome::TargetExists ? QStringLiteral("name not usable (no free name)")
                                                                      : LastFileFailureReason());
            run.journal.end();
            continue;
        }
        platform::CrashPoint("archive-copied");
        // Only a complete copy lets the staged file go; a staged file that cannot go takes its copy back,
        // or every later run would file it again.
        if (!platform::RemoveRegularFile(source)) {
            const QString failure = LastFileFailureReason();
            platform::RemoveFile(ToNativePath(target));
            NoteFailed(context, run, index, report.path, failure);
            run.journal.end();
            continue;
        }
        platform::CrashPoint("archive-removed");
        archived << target.mid(subfolder.size());
        LogArchiveAction(context, context.reportTypes[index].name, report.path, QStringLiteral("ARCHIVE"), target);
        platform::CrashPoint("archive-logged");
        run.journal.end();
    }
    context.prompts().progress({}, total, total);
    return archived;
}

// Copies into archive subfolders and destination folders are written under a temporary name first, and
// identification's report text goes to a scratch file of the private folder; a run that was killed meanwhile
// left them behind. Copies an hour old are no work in progress: they go, once a run, and nothing else in
// those folders is touched. Identification's scratch files go whatever their age: only the archive run makes
// them, and the run holds the installation's run lock.
void RemoveStaleCopies(const ApplicationContext& context)
{
    const std::string privateFolder = ToNativePath(context.folders.PrivateDirectory);
    constexpr std::int64_t kAnyAge = std::numeric_limits<std::int64_t>::min();
    platform::RemoveStaleScratchFiles(privateFolder, kIdentificationScratchStem, kIdentificationScratchExtension,
                                      kAnyAge);
    platform::RemoveStaleScratchFiles(privateFolder, kIdentificationListingStem, kIdentificationListingExtension,
                                      kAnyAge);
    platform::RemoveStaleScratchFiles(privateFolder, kLibraryLinkStem, {}, kAnyAge);
    QSet<QString> folders;
    for (int index = 0; index < static_cast<int>(context.reportTypes.size()); ++index) {
        const TReportConfigInfoRecord& type = context.reportTypes[index].info;
        for (const QString& folder : {ArchiveSubfolder(context, index), type.DestinationDirectory}) {
            if (!folder.isEmpty() && !folders.contains(folder)) {
                folders.insert(folder);
                platform::RemoveStaleTemporaries(ToNativePath(folder), kStaleCopySeconds);
            }
        }
    }
}

// The lock that lets the runs of one installation take turns: a scheduled silent run while the window is
// open, or two users of one single-user installation, would otherwise file into one archive at once with
// the archive lock granted to both (it only guards against other workstations). A byte of a file in the
// private folder, held while the run works and let go however the process ends.
class InstallationRunLock {
public:
    explicit InstallationRunLock(const ApplicationContext& context) : m_context(context) {}

    bool acquire(int timeoutSeconds)
    {
        const QString folder = m_context.folders.PrivateDirectory;
        if (folder.isEmpty()) {
            return true;
        }
        const std::string path = ToNativePath(folder + kInstallationRunLockFileName);
        if (platform::CreateFileOnce(path, {}) == platform::CreateOutcome::Failed || !m_file.open(path)) {
            // A private folder that cannot be written: the run goes on, and says for each file that
            // identification could not be done there.
            return true;
        }
        QElapsedTimer waited;
        waited.start();
        const qint64 limit = static_cast<qint64>(timeoutSeconds) * m_context.lockTiming.millisecondsPerSecond;
        for (;;) {
            switch (m_file.lockByte(0)) {
            case platform::SharedLockFile::LockResult::Locked:
                return true;
            case platform::SharedLockFile::LockResult::Failed:
                // A file system without locks: the run goes on as it always did.
                return true;
            case platform::SharedLockFile::LockResult::HeldByOther:
                break;
            }
            if (waited.elapsed() > limit) {
                return false;
            }
            QThread::msleep(static_cast<unsigned long>(std::max(1, m_context.lockTiming.retryMilliseconds)));
        }
    }

private:
    const ApplicationContext& m_context;
    platform::SharedLockFile m_file;
};

} // namespace

bool RunArchive(ApplicationContext& context)
{
    ArchiveRunReport report;
    return RunArchive(context, report);
}

bool RunArchive(ApplicationContext& context, ArchiveRunReport& report)
{
    report = {};
    ArchiveLockHold hold(context);
    if (!hold.acquire(kArchiveLockSeconds)) {
        return true;
    }
    InstallationRunLock installation(context);
    if (!installation.acquire(kArchiveLockSeconds)) {
        return true;
    }
    report.ran = true;
    // The run calls the library several times for each staged file: it stays loaded until the run ends, and
    // a library file replaced meanwhile serves the next run.
    const ReportLibrarySession library(ReportLibraryCandidates(context));
    RunState run(context);
    try {
        // A run killed while it filed a file left a note of it: that filing is completed first.
        CompleteUnfinishedFiling(context);
        if (!context.settings.ReportArchivePreprocessor.isEmpty()) {
            RunArchivePreprocessor(context, context.settings.ReportArchivePreprocessor);
        }
        RemoveStaleCopies(context);
        for (int index = 0; index < static_cast<int>(context.reportTypes.size()); ++index) {
            const QStringList folders = context.reportTypes[index].info.StagingDirectory.split(QLatin1Char(';'));
            for (const QString& piece : folders) {
                const QString folder = WithFinalSeparator(TrimBlanks(piece));
                if (folder.isEmpty() || !FolderExists(folder) || !FolderExists(context.folders.ReportArchiveFolder)) {
                    continue;
                }
                // A folder is unpacked again only when the run has put new files into it since.
                if (context.settings.PerformStagedFileUnZIP && run.folders.mayNeedUnpacking(folder)) {
                    for (UnfiledFile& zip : ExtractStagedZipFiles(context, index, folder)) {
                        run.reported.insert(zip.path);
                        run.unfiled.push_back(std::move(zip));
                    }
                    run.folders.unpacked(folder);
                }
                const ScanLists lists = Scan(context, run, index, folder);
                Route(context, run, index, folder, lists.copyList, false);
                Route(context, run, index, folder, lists.moveList, true);
                DeleteStaged(context, run, index, folder, lists.deleteList);
                const QStringList archived = Archive(context, run, index, lists.archiveList);
                if (!archived.isEmpty()) {
                    AddToDirectoryListing(context, index, archived);
                }
            }
        }
    } catch (...) {
        report.unfiled = std::move(run.unfiled);
        return false;
    }
    report.unfiled = std::move(run.unfiled);
    return true;
}

} // namespace talmere
