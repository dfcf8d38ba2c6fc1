#pragma once

// What the creation of the main window does besides building widgets, and what its destruction undoes:
// the user's registration, the report archive folder, the report configuration, the silent archive run,
// and the start under the archive lock (purge, archive run, listing, mailbox cleanup). The window supplies
// its own steps through the hooks; without a window (a silent run, the tests) they are left empty.

#include "core/ApplicationContext.h"

#include <functional>

namespace talmere {

inline const QString kNoVisibleReportTypesMessage =
    QStringLiteral("No visible report types have been specified in the report configuration file (TALMERE.INI) The "
                   "report viewer program will now be terminated.");
inline const QString kStartLockFailedMessage =
    QStringLiteral("Unable to obtain exclusive access to the report archive. Contact your system administrator if "
                   "this problem persists. The report viewer program will now be terminated.");

struct ReportManagerHooks {
    // After the configuration has loaded and before the archive lock is taken: the report type list, the
    // listing table and the grid's columns. False ends the start (the hook has told the user).
    std::function<bool()> prepareWindow;
    // Under the archive lock, after the listing of the selected type is up to date: fills the list.
    std::function<void()> fillList;
};

enum class ReportManagerStart {
    Ready,         // the window can be shown
    ArchiveDone,   // a silent archive start: the program ends now
    StartupFailed, // the user has been told; the program ends and saves nothing
};

// The index of the first report type that is listed (not an action type), or -1: the type the window
// selects first.
int FirstListedTypeIndex(const ApplicationContext& context);

ReportManagerStart StartReportManager(ApplicationContext& context, const ReportManagerHooks& hooks = {});

// What the window's destruction undoes: the report configuration and the user's registration.
void CloseReportManager(ApplicationContext& context);

} // namespace talmere
