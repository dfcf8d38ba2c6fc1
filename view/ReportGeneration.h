#pragma once

// Turning an archived report file into the report text that the preview and the printer show: the library
// writes it into the private folder's report text file (TALMRTMP.TXT), after the user has entered the type's
// selection values when the type has filter fields.

#include "core/ApplicationContext.h"
#include "core/ReportTypes.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace talmere {

using FilterValues = std::array<QString, kFilterFieldCount>;
// Shows the report selection dialog for the type's filter fields: the values when the user confirmed, nothing
// when the dialog was closed any other way.
using AskFilterValues =
    std::function<std::optional<FilterValues>(const std::array<TReportFilterFieldInfo, kFilterFieldCount>& fields)>;

inline const QString kCriticalFoldersMissingMessage = QStringLiteral("Unable to locate critical directories.");
inline const QString kReportFileMissingMessage = QStringLiteral(
    "Unable to locate the selected report file. Perform a refresh operation to insure that you are viewing an "
    "accurate listing of the archived report files.");
inline const QString kReadOnlyNotClearedMessage = QStringLiteral(
    "Unable to clear read-only status for the selected report file. Check the file permissions for this user.");
inline const QString kEmptyReportMessage = QStringLiteral("The report generated for the selected file is empty.");
inline const QString kGenerationFailedMessage =
    QStringLiteral("Unable to generate report for the selected file. The selected report file may be corrupted. [%1].");
inline const QString kGenerationExceptionMessage = QStringLiteral(
    "Unexpected exception generating report for the selected file. The selected report file may be corrupted.");

// The text for a report text file that was generated but cannot be read back.
inline const QString kReportNotLoadedMessage =
    QStringLiteral("Unable to load the report generated for the selected file. [%1]");

// The archived file of a type that a listing names: the path of fileName in the type's archive subfolder, found
// without regard to case, made writable (the library expects to be able to open it so). Empty, and *message
// says why, when a folder is missing, the name is no plain file name or no such file is there, or it stays
// read-only.
QString LocateArchivedReport(const ApplicationContext& context, int typeIndex, const QString& fileName,
                             QString* message);

// Asks the library for the report text of reportFile (an existing file) with the selection values, written
// into outputFile. True when the library succeeded and wrote at least one byte; otherwise *message says why.
bool WriteReportText(const ApplicationContext& context, int typeIndex, const QString& reportFile,
                     const FilterValues& values, const QString& outputFile, bool wantLibraryMessage, QString* message);

// Writes the report text of fileName (a file of the type's archive subfolder) into the report text file. True
// when the library succeeded and wrote at least one byte. With showMessages, every failure is told to the user
// as an error; a cancelled selection dialog is no failure to tell. The archived file is left writable. Without
// askFilterValues (no dialog to show) the report is made without selection values.
bool GenerateReportForView(const ApplicationContext& context, int typeIndex, const QString& fileName, bool showMessages,
                           const AskFilterValues& askFilterValues);

} // namespace talmere
