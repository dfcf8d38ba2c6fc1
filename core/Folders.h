#pragma once

#include <QString>

namespace talmere {

// The platform's file and folder functions for the program's folder texts (QString, separator at the end).

// Appends the separator to a text that is not empty and does not end with one.
QString WithFinalSeparator(const QString& folder);
QString WithoutFinalSeparator(const QString& folder);
// Backslashes written in a configuration value become separators.
QString FromConfiguredPath(const QString& text);
bool IsAbsoluteFolder(const QString& path);
QString DrivePartOf(const QString& folder);
// The short form of an existing file or folder; empty when nothing exists under that name.
QString ShortPathOf(const QString& path);
// The path with each missing component resolved in its folder without regard to case.
QString ResolveNoCase(const QString& path);
bool FolderExists(const QString& path);
bool FileExists(const QString& path);
// Creates a folder with its missing parents; true when it exists afterwards.
bool CreateFolders(const QString& path);

} // namespace talmere
