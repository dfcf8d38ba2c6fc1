#include "core/ServerFolderSetup.h"

#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <QDir>

#include <cstring>

namespace talmere {

namespace {

const QString kGroup = QStringLiteral("General");

// The folder as registered: absolute, with its final separator.
QString Absolute(const QString& folder)
{
    return WithFinalSeparator(QDir::cleanPath(QDir(folder).absolutePath()));
}

} // namespace

QString InitServerFolder(const ServerFolderSetup& setup, platform::SettingsStore& productStore)
{
    if (setup.serverFolder.isEmpty() || setup.installFolder.isEmpty()) {
        return QStringLiteral("A server folder and an install folder are needed.");
    }
    const QString server = Absolute(setup.serverFolder);
    const QString install = Absolute(setup.installFolder);
    const std::string configuration = ToNativePath(server + QStringLiteral("TALMERE.INI"));
    const std::string existing = platform::ResolvePathNoCase(configuration);
    if (platform::Exists(configuration) || (!existing.empty() && platform::Exists(existing))) {
        return QStringLiteral("The folder %1 already holds a report configuration (TALMERE.INI); it is left as it "
                              "is.")
            .arg(server);
    }
    // A registration of other folders belongs to another installation of this user's: it is not replaced.
    for (const char* name : {"ServerDirectory", "InstallDirectory", "DataDirectory"}) {
        const QString registered = productStore.value(kGroup, QLatin1String(name)).value_or(QString());
        const QString wanted = std::strcmp(name, "InstallDirectory") == 0 ? install : server;
        if (!registered.isEmpty() && WithFinalSeparator(registered) != wanted) {
            return QStringLiteral("This user's installation is registered with %1=%2 already; remove that "
                                  "registration (%3) to register another.")
                .arg(QLatin1String(name), registered, QStringLiteral("Qorva32.conf"));
        }
    }
    for (const QString& folder : {server, server + QStringLiteral("mailbox/"), server + QStringLiteral("archive/"),
                                  install, install + QStringLiteral("private/")}) {
        if (!FolderExists(folder) && !CreateFolders(folder)) {
            return QStringLiteral("The folder %1 cannot be made.").arg(folder);
        }
    }
    const std::string contents(kExampleConfiguration);
    if (platform::CreateFileOnce(configuration, contents) != platform::CreateOutcome::Created) {
        return QStringLiteral("The report configuration %1 cannot be written.").arg(server + "TALMERE.INI");
    }
    productStore.setValue(kGroup, QStringLiteral("ServerDirectory"), server);
    productStore.setValue(kGroup, QStringLiteral("InstallDirectory"), install);
    productStore.setValue(kGroup, QStringLiteral("DataDirectory"), server);
    if (!productStore.flush()) {
        platform::RemoveFile(configuration);
        return QStringLiteral("The installation cannot be registered in the settings store.");
    }
    return {};
}

} // namespace talmere
