#pragma once

// The housekeeping around the archive run: the optional preprocessor program, unpacking staged ZIP files,
// purging old archived reports and cleaning up the product's mailbox folder. Only the preprocessor tells
// the user anything.

#include "core/ApplicationContext.h"

#include <QString>

namespace talmere {

inline const QString kPreprocessorCannotExecuteMessage = QStringLiteral(
    "Cannot execute the report archive preprocessor. Check the preferences to confirm that the 'Report Archive "
    "Preprocessor' setting points to a valid program or batch file. This setting should be left empty when no "
    "preprocessor is needed (most cases). The report archive process will continue anyway.");
inline const QString kPreprocessorHungMessage = QStringLiteral(
    "The report archive preprocessor appears to be hung. The report archive process will continue anyway.");
inline const QString kPreprocessorExceptionMessage =
    QStringLiteral("An unexpected exception error has occurred during report archive preprocessing. The report "
                   "archive process will continue anyway.");

// Runs the configured program in the server folder and waits for it, up to
// ReportArchivePreprocessorTimeout seconds, letting the user interface go on meanwhile. True when it ended
// with exit code 0; otherwise the user has been told. A program that hangs is left running.
bool RunArchivePreprocessor(ApplicationContext& context, const QString& commandLine);

// Unpacks every ZIP file of a staging folder into the folder itself, each entry under its own name without
// the folders stored in the archive, replacing files of that name, and removes the ZIP file. A ZIP file
// that cannot be unpacked whole (damaged, protected by a password, an entry that is a link or a device or
// whose name would lead out of the folder, a write that fails) stays as it is, and nothing of it is
// written.
void ExtractStagedZipFiles(const QString& stagingFolder);

// Deletes archived reports older than their type's ArchiveDays, by the report date the library gives
// them, when PurgeReportArchiveFiles is set. Skipped when the archive lock cannot be had at once. False
// only when something unexpected ended it.
bool PurgeReportArchive(ApplicationContext& context);

// Deletes the files of the mailbox folder (server folder + "mailbox") last modified before midnight of
// today minus the given number of days. Subfolders are left alone.
void CleanupMailbox(ApplicationContext& context, int days);

// The mailbox folder of the server folder.
QString MailboxFolder(const ApplicationContext& context);

} // namespace talmere
