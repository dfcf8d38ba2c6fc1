#include "session/ReportManagerStart.h"

#include "archive/ArchiveMaintenance.h"
#include "archive/ArchiveRun.h"
#include "catalogue/DirectoryListing.h"
#include "config/ReportConfiguration.h"
#include "core/ProductDirectories.h"
#include "core/StandardErrorPrompts.h"
#include "core/UserAccess.h"

namespace talmere {

namespace {

constexpr int kStartLockSeconds = 10;

void CleanupMailboxIfAsked(ApplicationContext& context)
{
    if (context.flags.Launched && context.settings.PerformMailboxCleanupOnStartup) {
        CleanupMailbox(context, context.settings.MailboxCleanupDays);
    }
}

// One silent run with whatever lock can be had at once; another workstation's run makes it a no-op. Every
// staged file left unfiled is named on standard error, for the scheduler's journal, and sets the exit code.
void RunSilentArchive(ApplicationContext& context)
{
    ArchiveLockHold hold(context);
    if (!hold.acquire(0)) {
        return;
    }
    ArchiveRunReport report;
    if (!RunArchive(context, report)) {
        WriteStandardErrorLine(ApplicationTitle(context.settings) +
                               QStringLiteral(": the archive run ended early on an unexpected error."));
        context.exitCode = kExitStartFailed;
    }
    for (const UnfiledFile& file : report.unfiled) {
        WriteStandardErrorLine(
            ApplicationTitle(context.settings) +
            QStringLiteral(": not filed (%1, %2): %3 [%4]").arg(file.action, file.reason, file.path, file.reportType));
    }
    if (!report.unfiled.empty() && context.exitCode == kExitSuccess) {
        context.exitCode = kExitFilesNotFiled;
    }
    CleanupMailboxIfAsked(context);
}

} // namespace

int FirstListedTypeIndex(const ApplicationContext& context)
{
    for (int i = 0; i < static_cast<int>(context.reportTypes.size()); ++i) {
        if (!IsActionFormat(context.reportTypes[i].info.ReportFormat)) {
            return i;
        }
    }
    return -1;
}

ReportManagerStart StartReportManager(ApplicationContext& context, const ReportManagerHooks& hooks)
{
    if (!context.flags.BypassAccessChecks && !RegisterUser(context)) {
        context.exitCode = kExitStartFailed;
        return ReportManagerStart::StartupFailed;
    }
    if (!ResolveReportArchiveFolder(context) || !LoadReportConfiguration(context)) {
        context.exitCode = kExitStartFailed;
        return ReportManagerStart::StartupFailed;
    }
    if (context.flags.SilentArchive) {
        RunSilentArchive(context);
        return ReportManagerStart::ArchiveDone;
    }
    const int selected = FirstListedTypeIndex(context);
    if (selected < 0) {
        context.prompts().error(kNoVisibleReportTypesMessage);
        return ReportManagerStart::StartupFailed;
    }
    if (hooks.prepareWindow && !hooks.prepareWindow()) {
        return ReportManagerStart::StartupFailed;
    }

    const BusyCursor busy(context.prompts());
    ArchiveLockHold hold(context);
    if (!hold.acquire(kStartLockSeconds)) {
        context.prompts().error(kStartLockFailedMessage);
        return ReportManagerStart::StartupFailed;
    }
    PurgeReportArchive(context);
    RunArchive(context);
    RebuildDirectoryListing(context, selected, false, false);
    if (hooks.fillList) {
        hooks.fillList();
    }
    CleanupMailboxIfAsked(context);
    return ReportManagerStart::Ready;
}

void CloseReportManager(ApplicationContext& context)
{
    FreeReportConfiguration(context);
    if (!context.flags.BypassAccessChecks) {
        UnregisterUser(context);
    }
}

} // namespace talmere
