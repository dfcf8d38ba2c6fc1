#pragma once

#include "core/ApplicationContext.h"

#include <QStringList>

namespace talmere {

enum class CommandLineAction { Run, ShowHelp, ShowVersion, Invalid };

// Applies the switches /TAMSEN, /EXCLUSIVE, /UB92_ONLY, /1500_ONLY and /SILENTARCHIVE (also written with
// "--" instead of "/", without regard to case) to the flags, in order, so that a later switch overrides an
// earlier one. Any other argument makes the command line invalid, unless --help or --version came first.
CommandLineAction ParseProgramArguments(const QStringList& arguments, ModeFlags& flags);

QString ProgramUsage();
QString ProgramVersion();

} // namespace talmere
