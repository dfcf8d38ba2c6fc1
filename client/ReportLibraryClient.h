#pragma once

#include "common/ReportLibraryInterface.h"
#include "platform/DynamicLibrary.h"

#include <string>
#include <vector>

namespace talmere {

// The outcome of one library call.
struct ReportLibraryCall {
    enum class Binding {
        Called,          // the export ran; status is its answer
        LibraryNotFound, // no candidate could be loaded
        ExportMissing,   // the export or GetReportViewerStatusMessage is not in the library
    };

    Binding binding = Binding::LibraryNotFound;
    int status = kStatusNotCalled;
    // The library's text for a non-zero status, copied while the library was loaded. Empty when the export
    // was not called or no message was asked for.
    std::string message;
    // What the system said when no candidate could be loaded.
    std::string loadError;

    bool called() const { return binding == Binding::Called; }
};

// Where the library is looked for, in order: the plain name (the system's search, which starts beside the
// executable), the installed program's private library folder, then the folder below the current one.
std::vector<std::string> DefaultReportLibraryCandidates();

// Binds the report format library for one call: loads it, resolves the export and the status message
// export, calls the export with the request, fetches the text of a non-zero status while the library is
// loaded (when wantMessage), and unloads it again, whatever happened. Nothing stays loaded between calls,
// unless a ReportLibrarySession of this thread with the same candidates lives: the call then uses the
// library the session holds.
ReportLibraryCall CallReportLibrary(const char* exportName, TReportViewerRequest& request, bool wantMessage = true,
                                    const std::vector<std::string>& candidates = DefaultReportLibraryCandidates());

// Keeps the report format library loaded for a piece of work that calls it many times: an archive run makes
// several calls for each staged file, and loading and unloading the library for each of them cost more than
// the calls themselves. While the session lives, the calls of its thread with its candidates load the library
// at the first call that finds it and keep it until the session goes; a call that finds no library leaves the
// next one to look again, as a call of its own would. A library file replaced meanwhile is picked up by the
// first call after the session. Calls of other threads, or with other candidates, bind the library for
// themselves as always. Sessions nest: the innermost one of a thread serves its calls.
class ReportLibrarySession {
public:
    explicit ReportLibrarySession(std::vector<std::string> candidates = DefaultReportLibraryCandidates());
    ~ReportLibrarySession();
    ReportLibrarySession(const ReportLibrarySession&) = delete;
    ReportLibrarySession& operator=(const ReportLibrarySession&) = delete;

    const std::vector<std::string>& candidates() const { return m_candidates; }
    bool isLoaded() const { return m_library.isLoaded(); }

private:
    friend ReportLibraryCall CallReportLibrary(const char*, TReportViewerRequest&, bool,
                                               const std::vector<std::string>&);

    std::vector<std::string> m_candidates;
    platform::DynamicLibrary m_library;
    ReportLibrarySession* m_outer;
};

} // namespace talmere
