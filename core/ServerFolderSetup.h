#pragma once

// A new installation's server folder, made from the example report configuration, and registered as this
// user's installation (the product's folders in the settings store), so that talmere /TAMSEN works on it at
// once. An existing configuration is never touched.

#include "platform/SettingsStore.h"

#include <QString>

namespace talmere {

// The example report configuration (TALMERE.INI) a new server folder starts from.
extern const char kExampleConfiguration[];

struct ServerFolderSetup {
    QString serverFolder;  // made when missing: TALMERE.INI, mailbox/, archive/
    QString installFolder; // this workstation's: made when missing, with private/
};

// Makes the folders and registers them in the product store (ServerDirectory, InstallDirectory and
// DataDirectory, the last being the server folder). Empty when done; otherwise why not, and nothing was
// changed: a server folder that already holds a TALMERE.INI (in any case of letters), a registration that
// names other folders, a folder that cannot be made or written.
QString InitServerFolder(const ServerFolderSetup& setup, platform::SettingsStore& productStore);

} // namespace talmere
