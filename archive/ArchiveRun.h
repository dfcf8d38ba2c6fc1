#pragma once

#include "core/ApplicationContext.h"

namespace talmere {

// Sweeps every staging folder of every report type, holding the archive lock: runs the preprocessor,
// unpacks staged ZIP files when asked to, identifies each staged file and files it. Report files are
// copied into their type's archive subfolder under a name made of their report date, and leave the staging
// folder only once their copy is complete; files of COPY and MOVE types are copied or moved to the type's
// destination folder, those of DELETE types deleted. Files not identified or not filed stay staged for the
// next run. Skipped silently when the lock cannot be had within 5 seconds. False only when something
// unexpected ended the run.
bool RunArchive(ApplicationContext& context);

} // namespace talmere
