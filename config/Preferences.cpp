#include "config/Preferences.h"

#include "platform/SettingsStore.h"

#include <algorithm>

namespace talmere {

namespace {

const QString kReportsGroup = QStringLiteral("Reports");

} // namespace

PreferenceSet ReadPreferences(const ApplicationContext& context)
{
    PreferenceSet preferences;
    preferences.ReportArchivePreprocessor = context.settings.ReportArchivePreprocessor;
    preferences.PerformMailboxCleanupOnStartup = context.settings.PerformMailboxCleanupOnStartup;
    preferences.DisplayPrinterDialogOnPreview = context.settings.DisplayPrinterDialogOnPreview;
    for (int i = 0; i < static_cast<int>(context.reportTypes.size()); ++i) {
        const TReportConfigInfoRecord& info = context.reportTypes[static_cast<std::size_t>(i)].info;
        if (!IsActionFormat(info.ReportFormat)) {
            preferences.Types.push_back({i, info.ReportDesc, info.ArchiveDays, info.ReportPrinter});
        }
    }
    return preferences;
}

void ApplyPreferences(ApplicationContext& context, const PreferenceSet& preferences)
{
    context.settings.ReportArchivePreprocessor = preferences.ReportArchivePreprocessor;
    context.settings.PerformMailboxCleanupOnStartup = preferences.PerformMailboxCleanupOnStartup;
    context.settings.DisplayPrinterDialogOnPreview = preferences.DisplayPrinterDialogOnPreview;
    for (const TReportPrefInfoRecord& record : preferences.Types) {
        if (record.TypeIndex >= 0 && record.TypeIndex < static_cast<int>(context.reportTypes.size())) {
            TReportConfigInfoRecord& info = context.reportTypes[static_cast<std::size_t>(record.TypeIndex)].info;
            info.ArchiveDays = record.ArchiveDays;
            info.ReportPrinter = record.ReportPrinter;
        }
    }
    platform::SettingsStore& store = context.programStore();
    store.removeGroup(kReportsGroup);
    for (const ReportTypeEntry& type : context.reportTypes) {
        if (IsActionFormat(type.info.ReportFormat)) {
            continue;
        }
        const QString group = kReportsGroup + QLatin1Char('/') + type.name;
        store.setValue(group, QStringLiteral("ArchiveDays"), type.info.ArchiveDays);
        store.setValue(group, QStringLiteral("ReportPrinter"), type.info.ReportPrinter);
    }
    store.flush();
}

int ArchiveDaysShown(const QString& archiveDays, int purgeDays)
{
    bool ok = false;
    const qlonglong days = archiveDays.trimmed().toLongLong(&ok);
    if (!ok || days == -1) {
        return std::clamp(purgeDays, kMinimumArchiveDays, kMaximumArchiveDays);
    }
    return static_cast<int>(std::clamp<qlonglong>(days, kMinimumArchiveDays, kMaximumArchiveDays));
}

QString ArchiveDaysStored(const QString& previous, int shownAtStart, int shownNow)
{
    bool ok = false;
    const qlonglong days = previous.trimmed().toLongLong(&ok);
    const bool clamped = ok && days != -1 && days != shownAtStart;
    if (clamped && shownNow == shownAtStart) {
        return previous;
    }
    return QString::number(shownNow);
}

} // namespace talmere
