#pragma once

#include "core/ApplicationContext.h"

#include <QByteArray>
#include <QString>

namespace talmere {

// The archive log, TALMERE-ARCHIVE.LOG in the report archive folder: one line for every staged file that an
// archive run filed, copied, moved or deleted, and every report the purge deleted, so that support can
// tell where a file went. Each line holds, separated by tabs: the local date and time
// (yyyy-MM-dd hh:mm:ss), the report type, the staged file (or the purged report) with its folder, the
// action (ARCHIVE, COPY, MOVE, DELETE, PURGE, or SKIPPED and FAILED for a staged file left where it was)
// and the archived or destination file with its folder (empty for DELETE and PURGE; the reason for SKIPPED
// and FAILED). Lines are written while the archive lock is held. A log that cannot be written
// never stops the work.
inline const QString kArchiveLogFileName = QStringLiteral("TALMERE-ARCHIVE.LOG");

// A line is appended whole or not at all: when the disk fills up midway, the file is cut back to its
// former length. A last line that an earlier run left without its line end is ended first. True when the
// line was written.
bool LogArchiveAction(const ApplicationContext& context, const QString& reportType, const QString& file,
                      const QString& action, const QString& destination = {});

// A staged file that an archive run left where it was although it was meant to go, and why: action
// SKIPPED (left alone on purpose: a link, not a regular file, a ZIP file over the unpack limits) or FAILED
// (a step failed: no space, permission denied, a name not usable, ...). Each gets one log line a run.
struct UnfiledFile {
    QString reportType;
    QString path;
    QString action;
    QString reason;
};

// The reason the archive log gives for the file operation of this thread that failed last.
QString LastFileFailureReason();

// Whether one of the last lines of the log is the line LogArchiveAction would write for these values (at any
// time).
bool ArchiveLogHasAction(const ApplicationContext& context, const QString& reportType, const QString& file,
                         const QString& action, const QString& destination = {});

// The appending of one line (a line end is added when it has none) to a log file, created when missing.
bool AppendLogLine(const QString& path, QByteArray line);

} // namespace talmere
