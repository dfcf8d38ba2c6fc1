#pragma once

// What the About box tells: the program's version as the box shows it, the report format library's version as
// its file carries it, and the technical summary that support asks for.

#include "core/ApplicationContext.h"

#include <QString>

#include <array>
#include <optional>

namespace talmere {

// A version as four numbers: major, minor, release, build.
using VersionNumbers = std::array<int, 4>;

// The program's own version, from the build.
VersionNumbers ProgramVersionNumbers();

// major.minor, then .release when release or build is not zero, then .build when build is not zero; "<< Unknown >>"
// without a version.
QString VersionLabel(const std::optional<VersionNumbers>& version);

// The version that a library file carries in its version marker ("$TALMRDLL-VERSION: 5.2.0 $"), read from the file
// without loading it; missing numbers are 0. Nothing when the file cannot be read or carries no marker.
std::optional<VersionNumbers> ReadLibraryVersion(const QString& path);

// The library file the program would load: the first of its places that holds one (the given candidates when the
// context names them). Empty when none does.
QString ReportLibraryFile(const ApplicationContext& context);

// The technical summary: the product's title line, the version, the three folders, the library's file name and
// version ("(NOT AVAILABLE)" without one) and the mode flags, each line ending in CR LF.
QString TechnicalSummary(const ApplicationContext& context, const QString& versionLabel);

} // namespace talmere
