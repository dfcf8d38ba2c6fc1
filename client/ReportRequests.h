#pragma once

// The program's side of every report format library call: what goes into the request for each operation,
// and the small wrappers that the configuration loader and the archive run use.

#include "client/ReportLibraryClient.h"
#include "core/ApplicationContext.h"

#include <QString>

#include <array>
#include <optional>

namespace talmere {

// The report text file and the prefix of the listing files, in the private folder.
inline const QString kReportTextFileName = QStringLiteral("TALMRTMP.TXT");
inline const QString kListingFilePrefix = QStringLiteral("TALMRD");

// The texts for a call that never reached the library.
inline const QString kLibraryNotLoadedText = QStringLiteral("Unable to load report viewer library.");
inline const QString kLibraryExportsMissingText =
    QStringLiteral("Unable to retrieve function addresses from report viewer library.");
inline const QString kLibraryFailedText = QStringLiteral("Unable to locate and/or load the report viewer library.");

// Resets a request: the four folders, the table engine handle and the year pivot set, every other field
// empty. False when a folder does not fit its field: a path cut short would name another file, so such a
// request must not be sent.
bool InitReportRequest(const ApplicationContext& context, TReportViewerRequest& request);

// What a request carries of its report type.
struct RequestContent {
    bool archivePrefix = false;
    bool layout = false; // Font, PointSize, Orientation
    bool params = false;
};

// A reset request with the current time and the type's fields. False when something that must not be cut
// (a folder) does not fit.
bool BuildTypeRequest(const ApplicationContext& context, int typeIndex, const RequestContent& content,
                      TReportViewerRequest& request);

// Stores a path in a request field; false when it does not fit.
bool SetRequestPath(RequestPathField& field, const QString& path);

// Where the context says the library is: its own candidates, or the default ones when it names none.
std::vector<std::string> ReportLibraryCandidates(const ApplicationContext& context);

// Binds the library for one call, where the context says it is (through the thread's session for these
// candidates, when one lives).
ReportLibraryCall CallLibrary(const ApplicationContext& context, const char* exportName, TReportViewerRequest& request,
                              bool wantMessage);

// The text that tells why a call failed: the library's text for its status, or why it was not called.
QString CallFailureText(const ReportLibraryCall& call);

// Fills the list columns of every report type that is not an action type. Empty on success; otherwise the
// text of the last failure, naming its type.
QString LoadListColumnDetails(ApplicationContext& context);

// The private folder's report text file (TALMRTMP.TXT) and a type's listing file (TALMRD + prefix + .DIR).
QString ReportTextFilePath(const ApplicationContext& context);
QString ListingFilePath(const ApplicationContext& context, int typeIndex);

// The report selection values of a request, in the order of the type's filter fields.
using ReportSelectionValues = std::array<QString, kFilterFieldCount>;

// The text for a report that cannot be asked for: its path or the report text file's does not fit its field.
inline const QString kRequestPathTooLongText = QStringLiteral("The path of the report file is too long.");

// Asks the library for the report text of one file of a type: removes an earlier report text file, builds
// the request with the selection values (each cut to its field) and calls GenerateReportFile. The call's
// outcome, with the status text when wantMessage; nothing when the request could not be built because a path
// does not fit its field (the library is then not called).
std::optional<ReportLibraryCall> CallGenerateReportFile(const ApplicationContext& context, int typeIndex,
                                                        const QString& reportFile,
                                                        const ReportSelectionValues& selectionValues, bool wantMessage);
// The same, writing the report text into output instead of the private folder's report text file.
std::optional<ReportLibraryCall> CallGenerateReportFile(const ApplicationContext& context, int typeIndex,
                                                        const QString& reportFile,
                                                        const ReportSelectionValues& selectionValues, bool wantMessage,
                                                        const QString& output);

// Writes the report text of one file of a type into the private folder's report text file; true only when
// the library succeeded. Tells nobody.
bool GenerateReportText(const ApplicationContext& context, int typeIndex, const QString& reportFile);

// The library's custom match test of a type for a staged file: true only when it matches.
bool MatchesCustomTest(const ApplicationContext& context, int typeIndex, const QString& stagingFolder,
                       const QString& fileName);

// The type's work on a staged file before it is archived: true only when it succeeded.
bool PerformPreArchiveTasks(const ApplicationContext& context, int typeIndex, const QString& stagingFolder,
                            const QString& fileName);

} // namespace talmere
