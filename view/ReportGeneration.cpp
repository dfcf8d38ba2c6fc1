#include "view/ReportGeneration.h"

#include "client/ReportRequests.h"
#include "config/ReportConfiguration.h"
#include "core/Folders.h"

#include <QFile>
#include <QFileInfo>

namespace talmere {

namespace {

// A name from the listing that is no plain file name (a listing file edited by hand) never reaches outside
// the archive subfolder.
bool IsPlainFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

// A file is read-only when its owner may not write it. Clearing adds the owner's write permission and keeps
// every other permission as it was. True when the owner may write the file afterwards.
bool ClearReadOnly(const QString& path)
{
    // The "User" flags describe the calling user rather than the file's modes; they are left out so that
    // writing the permissions back does not change them.
    constexpr QFileDevice::Permissions kCallerFlags =
        QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    const QFileDevice::Permissions modes = QFile::permissions(path) & ~kCallerFlags;
    if (modes.testFlag(QFileDevice::WriteOwner)) {
        return true;
    }
    return QFile::setPermissions(path, modes | QFileDevice::WriteOwner) &&
           QFile::permissions(path).testFlag(QFileDevice::WriteOwner);
}

} // namespace

QString LocateArchivedReport(const ApplicationContext& context, int typeIndex, const QString& fileName,
                             QString* message)
{
    const auto fail = [message](const QString& text) {
        if (message != nullptr) {
            *message = text;
        }
        return QString();
    };
    if (typeIndex < 0 || typeIndex >= static_cast<int>(context.reportTypes.size())) {
        return fail(kGenerationExceptionMessage);
    }
    const QString subfolder = ArchiveSubfolder(context, typeIndex);
    if (subfolder.isEmpty() || !FolderExists(subfolder) || !FolderExists(context.folders.PrivateDirectory)) {
        return fail(kCriticalFoldersMissingMessage);
    }
    // The listing's name may differ in case from the file's on this file system.
    const QString reportFile = IsPlainFileName(fileName) ? ResolveNoCase(subfolder + fileName) : QString();
    if (reportFile.isEmpty() || !FileExists(reportFile)) {
        return fail(kReportFileMissingMessage);
    }
    if (!ClearReadOnly(reportFile)) {
        return fail(kReadOnlyNotClearedMessage);
    }
    return reportFile;
}

bool WriteReportText(const ApplicationContext& context, int typeIndex, const QString& reportFile,
                     const FilterValues& values, const QString& outputFile, bool wantLibraryMessage, QString* message)
{
    const auto fail = [message](const QString& text) {
        if (message != nullptr) {
            *message = text;
        }
        return false;
    };
    try {
        if (typeIndex < 0 || typeIndex >= static_cast<int>(context.reportTypes.size())) {
            return fail(kGenerationExceptionMessage);
        }
        const std::optional<ReportLibraryCall> call =
            CallGenerateReportFile(context, typeIndex, reportFile, values, wantLibraryMessage, outputFile);
        if (!call) {
            return fail(kGenerationFailedMessage.arg(kRequestPathTooLongText));
        }
        if (call->status != kStatusSuccess) {
            return fail(kGenerationFailedMessage.arg(CallFailureText(*call)));
        }
        const QFileInfo output(outputFile);
        if (!output.isFile()) {
            // Success without the file it promised: the library's answer cannot be trusted.
            return fail(kGenerationExceptionMessage);
        }
        if (output.size() <= 0) {
            return fail(kEmptyReportMessage);
        }
        return true;
    } catch (...) {
        return fail(kGenerationExceptionMessage);
    }
}

bool GenerateReportForView(const ApplicationContext& context, int typeIndex, const QString& fileName, bool showMessages,
                           const AskFilterValues& askFilterValues)
{
    QString message;
    const auto fail = [&] {
        if (showMessages) {
            context.prompts().error(message);
        }
        return false;
    };
    try {
        const QString reportFile = LocateArchivedReport(context, typeIndex, fileName, &message);
        if (reportFile.isEmpty()) {
            return fail();
        }
        const TReportConfigInfoRecord& type = context.reportTypes[static_cast<std::size_t>(typeIndex)].info;
        FilterValues values;
        // Without a way to ask (no dialog), the report is made without a selection, as for a type without
        // filter fields.
        if (!type.FilterFields[0].Name.isEmpty() && askFilterValues) {
            const std::optional<FilterValues> entered = askFilterValues(type.FilterFields);
            if (!entered) {
                return false; // the user changed their mind: nothing to tell
            }
            values = *entered;
        }
        if (!WriteReportText(context, typeIndex, reportFile, values, ReportTextFilePath(context), showMessages,
                             &message)) {
            return fail();
        }
        return true;
    } catch (...) {
        message = kGenerationExceptionMessage;
        return fail();
    }
}

} // namespace talmere
