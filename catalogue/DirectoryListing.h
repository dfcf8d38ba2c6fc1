#pragma once

// The directory listing of a report type: a cache, in the private folder, of what the report format
// library says about the files of the type's archive subfolder. It is checked against the folder's names
// before use and rebuilt through the library when they disagree.

#include "core/ApplicationContext.h"

#include <QString>
#include <QStringList>

#include <array>
#include <string_view>

namespace talmere {

// One line of a listing file.
struct TDirectoryListingInfo {
    double ReportDateTime = 0; // days since 30 December 1899, time as fraction
    QString FileName;          // the name alone, no folder
    std::array<QString, kListColumnCount> Columns;
};

// Date (yyyymmdd), time (hhmm), file name and up to twelve column values, separated by "|". False for a
// line that is no listing line.
bool ParseDirectoryListingLine(std::string_view line, TDirectoryListingInfo& info);

// The lines of a listing file as bytes, whatever their line ends (CR LF, LF or CR).
std::vector<std::string> ReadListingLines(const QString& path);

// Whether a listing file no longer describes the names of its folder: a line that does not parse, a file
// of the folder it does not name, or a name it lists that is gone (names compared without regard to case).
bool IsDirectoryListingStale(const QString& listingFile, const QString& folder);

inline const QString kRebuildLockFailedMessage = QStringLiteral(
    "Unable to rebuild report directory listing [Exclusive access to the report archive could not be obtained].");

// Rebuilds a type's listing through the library when it is stale, or always when forced, holding the
// archive lock. Without an archive subfolder or private folder there is nothing to do. The library writes
// the new listing to a temporary file beside the old one, which takes the listing's name only when it is
// complete; temporary listings that a killed rebuild left behind are removed once they are an hour old.
// When the rebuild fails the old listing stays as it was (the next check finds it stale again) and the user
// is told when showMessages; when the archive lock cannot be had the listing file is removed, so that the
// next check rebuilds it.
bool RebuildDirectoryListing(ApplicationContext& context, int typeIndex, bool force, bool showMessages);

// Brings a type's listing up to date after files were added to its archive subfolder (the archive run files
// a few staged reports into a subfolder of thousands). When the listing named every other file of the folder
// and nothing else, only the added files are listed by the library and their lines merged in, in the order the
// library keeps (the lines sorted without regard to case): what a rebuild would write, without reading every
// report of the folder again. Otherwise, or when an added file cannot be listed on its own, the whole listing
// is rebuilt as RebuildDirectoryListing(force) does. Names are the files' names alone, no folder.
bool AddToDirectoryListing(ApplicationContext& context, int typeIndex, const QStringList& addedNames);

} // namespace talmere
