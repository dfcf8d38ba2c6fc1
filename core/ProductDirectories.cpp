#include "core/ProductDirectories.h"

#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <QDir>

namespace talmere {

namespace {

const QString kProductGroup = QStringLiteral("General");
const QString kConfigurationFileName = QStringLiteral("TALMERE.INI");

QString ReadFolderValue(const ApplicationContext& context, const QString& name)
{
    return WithFinalSeparator(
        FromConfiguredPath(context.productStore().value(kProductGroup, name).value_or(QString())));
}

} // namespace

QString PrivateFolderOf(const QString& installDirectory)
{
    return installDirectory.isEmpty()
               ? QString()
               : WithFinalSeparator(ResolveNoCase(installDirectory + QStringLiteral("private/")));
}

bool ReadProductDirectories(ApplicationContext& context)
{
    ProductFolders& folders = context.folders;
    folders.ServerDirectory = ReadFolderValue(context, QStringLiteral("ServerDirectory"));
    folders.InstallDirectory = ReadFolderValue(context, QStringLiteral("InstallDirectory"));
    folders.DataDirectory = ReadFolderValue(context, QStringLiteral("DataDirectory"));
    if (folders.InstallDirectory.isEmpty() || folders.DataDirectory.isEmpty()) {
        return false;
    }
    if (folders.ServerDirectory.isEmpty()) {
        // The data folder's parent: its text up to the separator before its last name.
        QString parent = WithoutFinalSeparator(folders.DataDirectory);
        parent.truncate(parent.lastIndexOf(QLatin1Char(platform::kSeparator)) + 1);
        if (parent.isEmpty()) {
            return false; // a data folder without a parent
        }
        folders.ServerDirectory = parent;
    }
    folders.PrivateDirectory = PrivateFolderOf(folders.InstallDirectory);
    if (!FolderExists(folders.PrivateDirectory)) {
        // Not with its parents: a missing install folder must stay missing and fail below.
        QDir().mkdir(folders.PrivateDirectory);
    }
    return FolderExists(folders.ServerDirectory) && FolderExists(folders.InstallDirectory) &&
           FolderExists(folders.DataDirectory) && FolderExists(folders.PrivateDirectory);
}

bool RefreshConfigurationCopy(const ApplicationContext& context)
{
    const QString server = ShortPathOf(context.folders.ServerDirectory);
    if (server.isEmpty()) {
        return false;
    }
    const QString source = ResolveNoCase(WithFinalSeparator(server) + kConfigurationFileName);
    if (!FileExists(source)) {
        return false;
    }
    const QString install = ShortPathOf(context.folders.InstallDirectory);
    if (install.isEmpty()) {
        return false;
    }
    const QString target = ResolveNoCase(WithFinalSeparator(install) + kConfigurationFileName);
    // One file under two names (one folder for both, or a link): copying it onto itself would destroy it.
    if (platform::SameFile(ToNativePath(source), ToNativePath(target))) {
        return FileExists(target);
    }
    return platform::ReplaceWithCopy(ToNativePath(source), ToNativePath(target));
}

bool ResolveReportArchiveFolder(ApplicationContext& context)
{
    QString text = context.settings.ReportArchiveDirectory;
    QString folder;
    if (text.size() > 2 && text.at(1) == QLatin1Char(':') && text.at(2) == QLatin1Char('\\')) {
        // Written for a drive letter: the same folder below this system's root.
        folder = DrivePartOf(context.folders.ServerDirectory) + text.mid(2);
    } else if (IsAbsoluteFolder(text)) {
        folder = text;
    } else {
        // Leading backslashes (also of \\server\share) make no absolute path: the folder lies below the server.
        while (!text.isEmpty() && text.startsWith(QLatin1Char('\\'))) {
            text = TrimBlanks(text.mid(1));
        }
        folder = context.folders.ServerDirectory + text;
    }
    folder = ResolveNoCase(WithFinalSeparator(FromConfiguredPath(folder)));
    if (!FolderExists(folder)) {
        CreateFolders(folder);
    }
    if (!FolderExists(folder)) {
        context.prompts().error(QStringLiteral("Unable to create report archive folder \"") + folder +
                                QStringLiteral("\". The report viewer program will now be terminated."));
        return false;
    }
    context.folders.ReportArchiveFolder = ShortPathOf(folder);
    return true;
}

} // namespace talmere
