#include "archive/ArchiveRun.h"

#include "archive/ArchiveLog.h"
#include "archive/ArchiveMaintenance.h"
#include "archive/ArchiveNaming.h"
#include "archive/Identification.h"
#include "catalogue/DirectoryListing.h"
#include "client/ReportRequests.h"
#include "config/ReportConfiguration.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "core/UserAccess.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <QLocale>
#include <QSet>

namespace talmere {

namespace {

constexpr int kArchiveLockSeconds = 5;

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

ScanLists Scan(ApplicationContext& context, int index, const QString& folder)
{
    const TReportConfigInfoRecord& type = context.reportTypes[index].info;
    ScanLists lists;
    bool custom = false;
    QSet<QString> seen;
    const std::string nativeFolder = ToNativePath(folder);
    for (const QString& mask : Masks(type.FileNameMask, custom)) {
        for (const platform::FolderEntry& entry : platform::ListFolder(nativeFolder, ToNativePath(mask))) {
            if (entry.isDirectory) {
                continue;
            }
            const QString name = FromNativePath(entry.name);
            // A file that several masks match is looked at once.
            if (seen.contains(name)) {
                continue;
            }
            seen.insert(name);
            const QString path = folder + name;
            if (!platform::MakeWritable(nativeFolder + entry.name) || ContextSkip(context, index)) {
                continue;
            }
            const bool identified = custom ? MatchesCustomTest(context, index, folder, name)
                                           : MatchesSearchIdents(type, path) && MatchesTextFormat(type, path);
            if (!identified) {
                continue;
            }
            if (type.ReportFormat == QLatin1String("COPY")) {
                lists.copyList << name;
            } else if (type.ReportFormat == QLatin1String("MOVE")) {
                lists.moveList << name;
            } else if (type.ReportFormat == QLatin1String("DELETE")) {
                lists.deleteList << name;
            } else if (std::optional<TDirectoryListingInfo> listed = CreateFileListingEntry(context, index, path)) {
                lists.archiveList.push_back({path, *listed});
            }
        }
    }
    return lists;
}

// Copies or moves the listed files to the type's destination folder.
void Route(ApplicationContext& context, int index, const QString& folder, const QStringList& names, bool move)
{
    const TReportConfigInfoRecord& type = context.reportTypes[index].info;
    const QString destination = type.DestinationDirectory;
    if (destination.isEmpty() || !FolderExists(destination)) {
        return;
    }
    const QString method = move ? type.MoveMethod : type.CopyMethod;
    const bool unique = method == QLatin1String("STANDARD_UNIQUE") || method == QLatin1String("SHORT_UNIQUE");
    for (const QString& name : names) {
        const QString source = folder + name;
        // A short name is the name itself here: this file system keeps no second, shorter one.
        QString target = destination + name;
        QString replaced;
        if (unique) {
            const QString free = UniqueDestinationName(target);
            if (free.isEmpty()) {
                continue;
            }
            target = destination + free;
        } else {
            // The file of that name is replaced, whatever the case of its letters; only once the new one is
            // in place, so that a failed copy leaves the old one.
            replaced = ResolveNoCase(target);
        }
        const std::string from = ToNativePath(source);
        const std::string to = ToNativePath(target);
        const bool done = move ? platform::MoveFile(from, to, !unique)
                               : platform::CopyFileKeepingTime(from, to, !unique) == platform::CopyOutcome::Copied;
        if (done && !replaced.isEmpty() && replaced != target) {
            platform::RemoveFile(ToNativePath(replaced));
        }
        if (done) {
            LogArchiveAction(context, context.reportTypes[index].name, source,
                             move ? QStringLiteral("MOVE") : QStringLiteral("COPY"), target);
        }
    }
}

void DeleteStaged(ApplicationContext& context, int index, const QString& folder, const QStringList& names)
{
    for (const QString& name : names) {
        const QString path = folder + name;
        if (platform::RemoveFile(ToNativePath(path))) {
            LogArchiveAction(context, context.reportTypes[index].name, path, QStringLiteral("DELETE"));
        }
    }
}

// Files the listed reports; true when at least one was archived.
bool Archive(ApplicationContext& context, int index, const QString& folder, const std::vector<StagedReport>& reports,
             ArchiveSequences& sequences)
{
    const TReportConfigInfoRecord& type = context.reportTypes[index].info;
    const QString subfolder = ArchiveSubfolder(context, index);
    bool archived = false;
    const int total = static_cast<int>(reports.size());
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    int done = 0;
    for (const StagedReport& report : reports) {
        context.prompts().progress(
            QStringLiteral("Filing %1 of %2 staged files").arg(english.toString(done + 1), english.toString(total)),
            done, total);
        ++done;
        const QString name = report.path.mid(report.path.lastIndexOf(QLatin1Char('/')) + 1);
        if (!PerformPreArchiveTasks(context, index, folder, name)) {
            continue;
        }
        const DateTimeParts date = DecodeDateTime(report.entry.ReportDateTime);
        const QString base = type.ArchivePrefix + QStringLiteral("%1%2%3")
                                                      .arg(date.year % 100, 2, 10, QLatin1Char('0'))
                                                      .arg(date.month, 2, 10, QLatin1Char('0'))
                                                      .arg(date.day, 2, 10, QLatin1Char('0'));
        const std::string source = ToNativePath(report.path);
        // A number found taken is passed over: no archived report is ever replaced.
        QString target;
        platform::CopyOutcome outcome = platform::CopyOutcome::TargetExists;
        for (int attempt = 0; attempt < 100 && outcome == platform::CopyOutcome::TargetExists; ++attempt) {
            const qint64 sequence = sequences.next(subfolder, base);
            target = subfolder + base + QLatin1Char('.') + FormatSequence(sequence);
            outcome = platform::CopyFileKeepingTime(source, ToNativePath(target), false);
            if (outcome != platform::CopyOutcome::Failed) {
                sequences.taken(subfolder, base, sequence);
            }
        }
        if (outcome != platform::CopyOutcome::Copied) {
            continue;
        }
        // Only a complete copy lets the staged file go; a staged file that cannot go takes its copy back,
        // or every later run would file it again.
        if (!platform::RemoveFile(source)) {
            platform::RemoveFile(ToNativePath(target));
            continue;
        }
        archived = true;
        LogArchiveAction(context, context.reportTypes[index].name, report.path, QStringLiteral("ARCHIVE"), target);
    }
    context.prompts().progress({}, total, total);
    return archived;
}

} // namespace

bool RunArchive(ApplicationContext& context)
{
    ArchiveLockHold hold(context);
    if (!hold.acquire(kArchiveLockSeconds)) {
        return true;
    }
    try {
        if (!context.settings.ReportArchivePreprocessor.isEmpty()) {
            RunArchivePreprocessor(context, context.settings.ReportArchivePreprocessor);
        }
        ArchiveSequences sequences;
        for (int index = 0; index < static_cast<int>(context.reportTypes.size()); ++index) {
            const QStringList folders = context.reportTypes[index].info.StagingDirectory.split(QLatin1Char(';'));
            for (const QString& piece : folders) {
                const QString folder = WithFinalSeparator(TrimBlanks(piece));
                if (folder.isEmpty() || !FolderExists(folder) || !FolderExists(context.folders.ReportArchiveFolder)) {
                    continue;
                }
                if (context.settings.PerformStagedFileUnZIP) {
                    ExtractStagedZipFiles(context, index, folder);
                }
                const ScanLists lists = Scan(context, index, folder);
                Route(context, index, folder, lists.copyList, false);
                Route(context, index, folder, lists.moveList, true);
                DeleteStaged(context, index, folder, lists.deleteList);
                if (Archive(context, index, folder, lists.archiveList, sequences)) {
                    RebuildDirectoryListing(context, index, true, false);
                }
            }
        }
    } catch (...) {
        return false;
    }
    return true;
}

} // namespace talmere
