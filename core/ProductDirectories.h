#pragma once

#include "core/ApplicationContext.h"

namespace talmere {

// The product's folders from its store ("General": ServerDirectory, InstallDirectory, DataDirectory), each
// with a final separator; an empty ServerDirectory is taken as the parent of DataDirectory. Creates the
// private folder in InstallDirectory. True only when all four folders exist. Reports nothing: the folder
// values stay as far as they got, for the caller's message.
bool ReadProductDirectories(ApplicationContext& context);

// Makes the workstation's TALMERE.INI (InstallDirectory) a fresh copy of the master in ServerDirectory.
bool RefreshConfigurationCopy(const ApplicationContext& context);

// Sets the report archive folder from the setting ReportArchiveDirectory, an absolute folder or one below
// ServerDirectory, creating it when it is missing. When it cannot be created the user is told and the
// answer is false.
bool ResolveReportArchiveFolder(ApplicationContext& context);

// The folder of the install folder's private files, its name resolved without regard to case.
QString PrivateFolderOf(const QString& installDirectory);

} // namespace talmere
