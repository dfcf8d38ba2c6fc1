#pragma once

#include "core/ApplicationContext.h"

#include <QString>

namespace talmere {

// Folder settings and configured command lines are written once for every workstation, so they name the
// product folders through macros: %SERVER_DRIVE%, %INSTALL_DRIVE%, %SERVER_DIR%, %INSTALL_DIR%, %DATA_DIR%
// (matched without regard to case). A command line may also carry one show-window macro.

// Window states of a started program, as the show-window macros select them.
enum ShowWindowState {
    kSwHide = 0,
    kSwShowNormal = 1,
    kSwShowMinimized = 2,
    kSwMaximize = 3,
    kSwShow = 5,
    kSwMinimize = 6,
};

// Replaces every directory macro, one occurrence at a time, preferring the macros in the order above.
// Text that a replacement brought in is never searched again, so a folder whose name looks like a macro
// cannot make the expansion run for ever.
QString ExpandDirectoryMacros(const QString& text, const ProductFolders& folders);

struct ResolvedDirectory {
    // The usable folder (its short form, ending in the separator) on success; on failure the expanded text
    // when the folder does not exist, otherwise empty.
    QString folder;
    bool ok = false;
};

// Turns a folder setting into a folder: blanks and enclosing double quotes dropped, macros expanded,
// backslashes made separators, a final separator added, and the folder's short form taken, which exists.
ResolvedDirectory ResolveDirectorySetting(const QString& setting, const ProductFolders& folders);

// Takes the first token off text, which keeps the rest (trimmed). A token in double quotes is what lies
// between them; otherwise it ends at the first blank when splitAtBlank, or takes all of text. False (text
// unchanged, token empty) when a closing quote is missing.
bool SplitCommandToken(QString& text, bool splitAtBlank, QString& token);

struct ProgramCommandLine {
    QString program;
    QString parameters;
    // Preset by the caller; a show-window macro in the command line replaces it.
    int showState = kSwHide;
};

// Splits a configured command line into the program to start (its short form, which must be an existing
// file) and its parameters.
bool ParseCommandLine(const QString& commandLine, const ProductFolders& folders, ProgramCommandLine& result);

} // namespace talmere
