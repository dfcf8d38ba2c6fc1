#pragma once

#include "archive/ArchiveLog.h"
#include "core/ApplicationContext.h"

#include <vector>

namespace talmere {

// Sweeps every staging folder of every report type, holding the archive lock: runs the preprocessor,
// unpacks staged ZIP files when asked to, identifies each staged file and files it. Report files are
// copied into their type's archive subfolder under a name made of their report date, and leave the staging
// folder only once their copy is complete; files of COPY and MOVE types are copied or moved to the type's
// destination folder, those of DELETE types deleted. Files not identified or not filed stay staged for the
// next run; a file the run meant to file but could not (or left alone on purpose: a link, not a regular file,
// a ZIP file over the unpack limits) gets one SKIPPED or FAILED line in the archive log with the reason.
// Skipped silently when the archive lock, or the installation's own run lock in the private folder (held by
// another run of this installation), cannot be had within 5 seconds. False only when something unexpected ended
// the run.
bool RunArchive(ApplicationContext& context);

// The file in the private folder through which the archive runs of one installation take turns.
inline const QString kInstallationRunLockFileName = QStringLiteral("TALMERE-RUN.LCK");

// What one archive run did not do.
struct ArchiveRunReport {
    bool ran = false; // the archive lock was had and the run went through the staging folders
    std::vector<UnfiledFile> unfiled;
};

// The same, telling what was left staged.
bool RunArchive(ApplicationContext& context, ArchiveRunReport& report);

} // namespace talmere
