#pragma once

// How the archive run tells which report type a staged file belongs to: search strings that must occur in
// order, a character test for text reports, and the library's own tests.

#include "catalogue/DirectoryListing.h"
#include "core/ApplicationContext.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace talmere {

// The absolute offset of the first occurrence of text in a file at or after start, or -1 (also for an
// empty text, a file that cannot be read, and anything but a regular file: a link is not followed, a FIFO
// not waited on). Without regard to case, both sides are upper-cased by the
// rules of the Windows-1252 code page. The file is read in blocks that overlap by the text's length.
qint64 FindTextInFile(const QString& file, const std::string& text, qint64 start, bool caseSensitive);

// Whether the type's search strings (SearchIdent1, 2, ... up to the first empty one) occur in the file in
// that order without overlapping; each may offer alternatives separated by "|", the earliest found wins.
bool MatchesSearchIdents(const TReportConfigInfoRecord& type, const QString& file);

// For the TEXT format, Param1 ASCII (or ASCII_ONLY) and ASCII_PLUS_NULL restrict the bytes a file may hold
// to tab, line feed, form feed, carriage return and 32 to 127 (and NUL). Other formats, other values and
// files that cannot be read pass.
bool MatchesTextFormat(const TReportConfigInfoRecord& type, const QString& file);

// The report text identification has the library write goes to a scratch file of this name in the private
// folder (the stem, six letters or digits, the extension).
inline constexpr char kIdentificationScratchStem[] = "TALMRTMP-";
inline constexpr char kIdentificationScratchExtension[] = ".TXT";
// The one-entry listing of a staged file goes to a scratch file of the same kind.
inline constexpr char kIdentificationListingStem[] = "TALMRDID-";
inline constexpr char kIdentificationListingExtension[] = ".DIR";

// A staged file whose path the report library cannot take (longer than a request's path field, or holding a
// line break, which would break the library's listing lines apart) is handed to it through a symbolic link
// of this name in the private folder (the stem and six letters or digits), made for the run and removed by
// it.
inline constexpr char kLibraryLinkStem[] = "TALMRLNK-";

// The path under which the report library gets a staged file: the file's own, or a link to it.
class LibraryPath {
public:
    LibraryPath(const ApplicationContext& context, const QString& stagedFile);
    ~LibraryPath();
    LibraryPath(const LibraryPath&) = delete;
    LibraryPath& operator=(const LibraryPath&) = delete;

    // Empty when no link could be made; failure() then says why.
    const QString& path() const { return m_path; }
    QString folder() const { return m_path.left(m_path.lastIndexOf(QLatin1Char('/')) + 1); }
    QString name() const { return m_path.mid(m_path.lastIndexOf(QLatin1Char('/')) + 1); }
    const QString& failure() const { return m_failure; }

private:
    QString m_path;
    QString m_failure;
    bool m_linked = false;
};

// A staged file up to this size is read once, whole, for all the search strings of a type; a larger one is
// searched block by block from each search's start.
inline constexpr std::uint64_t kWholeSearchSize = 1024 * 1024;

// Identification's two scratch files in the private folder, the report text and the one-entry listing. Each is
// named at its first use and removed when this goes, so that an archive run claims one name of each for all
// its staged files. After each use a file is removed, its name kept for the next use: no listing is ever
// taken for the next file's, and no report text of a large staged file stays behind.
class IdentificationScratch {
public:
    explicit IdentificationScratch(const ApplicationContext& context);
    ~IdentificationScratch();
    IdentificationScratch(const IdentificationScratch&) = delete;
    IdentificationScratch& operator=(const IdentificationScratch&) = delete;

    enum class File { ReportText, Listing };

    // The file's path, made now when it does not exist yet; empty when it cannot be made (the last file
    // failure says why).
    const std::string& path(File file);
    // The file's use is over: it is removed (and, when it cannot be, made under a new name at the next use).
    void release(File file);

private:
    std::string& slot(File file) { return file == File::ReportText ? m_reportText : m_listing; }

    std::string m_folder;
    std::string m_reportText;
    std::string m_listing;
};

// The listing entry of one staged file, from the library, which so also tells whether the file makes a
// report of the type. The report text the library makes on the way and the one-entry listing go to the
// scratch files, emptied again whatever the outcome; the viewer's report text file and the type's listing
// file are never touched. Nothing either when the file is no report of the type or when it could not be
// tried; in the second case failure (when given) receives the reason for the archive log.
std::optional<TDirectoryListingInfo> CreateFileListingEntry(const ApplicationContext& context, int typeIndex,
                                                            const QString& stagedFile, QString* failure = nullptr);
// The same with scratch files that serve many staged files.
std::optional<TDirectoryListingInfo> CreateFileListingEntry(const ApplicationContext& context, int typeIndex,
                                                            const QString& stagedFile, IdentificationScratch& scratch,
                                                            QString* failure = nullptr);

} // namespace talmere
