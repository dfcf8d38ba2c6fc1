#include "archive/ArchiveLog.h"
#include "archive/ArchiveMaintenance.h"
#include "catalogue/DirectoryListing.h"
#include "client/ReportRequests.h"
#include "common/TextUtil.h"
#include "config/ReportConfiguration.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "core/UserAccess.h"
#include "platform/FileTransfer.h"

#include <cmath>

namespace talmere {

namespace {

long TodayNumber(const ApplicationContext& context)
{
    const QDate today = context.clock().date();
    return DayNumber(today.year(), today.month(), today.day());
}

// A name from a listing names a file of the folder itself, never anything outside it.
bool IsPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/'));
}

// Deletes the reports of one type dated before the cutoff day; true when any was deleted.
bool PurgeType(ApplicationContext& context, int index, long cutoff)
{
    const QString folder = ArchiveSubfolder(context, index);
    bool purged = false;
    TDirectoryListingInfo info;
    for (const std::string& line : ReadListingLines(ListingFilePath(context, index))) {
        if (!ParseDirectoryListingLine(line, info) || std::floor(info.ReportDateTime) >= cutoff ||
            !IsPlainFileName(info.FileName)) {
            continue;
        }
        // The library writes names in upper case; the file may be written otherwise.
        const QString file = ResolveNoCase(folder + info.FileName);
        if (FileExists(file) && platform::RemoveFile(ToNativePath(file))) {
            purged = true;
            LogArchiveAction(context, context.reportTypes[index].name, file, QStringLiteral("PURGE"));
        }
    }
    return purged;
}

} // namespace

bool PurgeReportArchive(ApplicationContext& context)
{
    if (!context.settings.PurgeReportArchiveFiles || !FolderExists(context.folders.PrivateDirectory) ||
        !FolderExists(context.folders.ReportArchiveFolder)) {
        return true;
    }
    if (AcquireArchiveLock(context, 0) < 0) {
        return true;
    }
    bool result = true;
    try {
        const long today = TodayNumber(context);
        for (int i = 0; i < static_cast<int>(context.reportTypes.size()); ++i) {
            const TReportConfigInfoRecord& type = context.reportTypes[i].info;
            if (IsActionFormat(type.ReportFormat) || type.ArchiveDays == QLatin1String("-1")) {
                continue;
            }
            const std::optional<int> days = ParseInteger(type.ArchiveDays.toStdString());
            if (!days || *days < 0) {
                continue;
            }
            if (!RebuildDirectoryListing(context, i, true, false)) {
                continue;
            }
            if (PurgeType(context, i, today - *days)) {
                RebuildDirectoryListing(context, i, true, false);
            }
        }
    } catch (...) {
        result = false;
    }
    ReleaseArchiveLock(context);
    return result;
}

QString MailboxFolder(const ApplicationContext& context)
{
    if (context.folders.ServerDirectory.isEmpty()) {
        return {};
    }
    return WithFinalSeparator(ResolveNoCase(context.folders.ServerDirectory + QStringLiteral("mailbox")));
}

void CleanupMailbox(ApplicationContext& context, int days)
{
    const QString mailbox = MailboxFolder(context);
    if (mailbox.isEmpty() || !FolderExists(mailbox)) {
        return;
    }
    const double limit = static_cast<double>(TodayNumber(context) - days);
    std::vector<std::string> old;
    const std::string folder = ToNativePath(mailbox);
    for (const std::string& name : platform::ListFileNames(folder)) {
        const std::optional<DateTimeParts> modified = platform::LocalModificationTime(folder + name);
        if (modified && EncodeDateTime(*modified) < limit) {
            old.push_back(folder + name);
        }
    }
    for (const std::string& path : old) {
        platform::RemoveFile(path);
    }
}

} // namespace talmere
