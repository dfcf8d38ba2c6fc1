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

// Writes the report text of fileName (a file of the type's archive subfolder) into the report text file. True
// when the library succeeded and wrote at least one byte. With showMessages, every failure is told to the user
// as an error; a cancelled selection dialog is no failure to tell. The archived file is left writable. Without
// askFilterValues (no dialog to show) the report is made without selection values.
bool GenerateReportForView(const ApplicationContext& context, int typeIndex, const QString& fileName, bool showMessages,
                           const AskFilterValues& askFilterValues);

} // namespace talmere
