#pragma once

// The user's own choices: per report type its printer and how long its archived reports stay, and three
// program-wide options (the archive preprocessor, the start-up mailbox cleanup, the print dialog of the preview).
// The Preferences dialog edits a working copy; OK applies it to the loaded report types and the settings store.

#include "core/ApplicationContext.h"

#include <vector>

namespace talmere {

// One report type's preferences in the dialog's working copy.
struct TReportPrefInfoRecord {
    qint32 TypeIndex = -1; // in the report type list
    QString ReportDesc;    // the entry's label
    QString ArchiveDays;   // decimal days, or "-1" for no purging
    QString ReportPrinter; // empty: the system's default printer

    friend bool operator==(const TReportPrefInfoRecord&, const TReportPrefInfoRecord&) = default;
};

struct PreferenceSet {
    QString ReportArchivePreprocessor;
    bool PerformMailboxCleanupOnStartup = true;
    bool DisplayPrinterDialogOnPreview = false;
    // One record per report type that is not an action type, in list order.
    std::vector<TReportPrefInfoRecord> Types;

    friend bool operator==(const PreferenceSet&, const PreferenceSet&) = default;
};

// The working copy of the current settings and report types.
PreferenceSet ReadPreferences(const ApplicationContext& context);

// Takes the preferences over: the program-wide options (the settings store gets them when the program closes),
// each type's archive days and printer (at once: the next purge, the next view or print), and the store's
// "Reports" group, rewritten whole so that it holds exactly the listed types.
void ApplyPreferences(ApplicationContext& context, const PreferenceSet& preferences);

// The days control counts 1 to 9999: the number it shows for stored archive days, the nearest bound for a value
// beyond them.
inline constexpr int kMinimumArchiveDays = 1;
inline constexpr int kMaximumArchiveDays = 9999;
int ArchiveDaysShown(const QString& archiveDays, int purgeDays);

// What is stored from the days control: the number as text, except that a stored value the control could only
// show clamped stays as it was while the user leaves the control at that clamped number.
QString ArchiveDaysStored(const QString& previous, int shownAtStart, int shownNow);

} // namespace talmere
