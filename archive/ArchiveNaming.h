#pragma once

// Names of filed reports. An archived report is named after its report date: archive prefix, two-digit
// year, month and day, a dot and a sequence number of at least three digits (AB240131.001). Past 999 the
// number simply grows (AB240131.1000): no archived report is ever overwritten.

#include <QHash>
#include <QString>

#include <functional>
#include <string>
#include <unordered_map>

namespace talmere {

// A sequence number as it appears in a name: at least three digits, zero-padded.
QString FormatSequence(qint64 sequence);

// The next free sequence number for a base name in a folder: one more than the highest number any of its
// files carries after the base name and the first dot (names compared without regard to case); "001" when
// there is none or the folder does not exist.
QString NextArchiveSequence(const QString& folder, const QString& baseName);

// The name to copy or move a file to in a folder without replacing another: the path's own name when it is
// free, otherwise the name without its extension followed by .001, .002, ... (the first free one). Empty
// when no free name is found.
QString UniqueDestinationName(const QString& path);
// The same, with the test of whether a name of the folder is taken (without regard to case) given.
QString UniqueDestinationName(const QString& path, const std::function<bool(const QString& name)>& taken);

// The sequence numbers of an archive run. The run holds the archive lock, so nobody else numbers files into
// the archive meanwhile: each folder is read once, and the numbers the run hands out are remembered.
class ArchiveSequences {
public:
    qint64 next(const QString& folder, const QString& baseName);
    // A file with that number now exists (or turned out to exist).
    void taken(const QString& folder, const QString& baseName, qint64 sequence);

private:
    std::unordered_map<std::string, qint64>& highest(const QString& folder);

    QHash<QString, std::unordered_map<std::string, qint64>> m_folders;
};

} // namespace talmere
