#pragma once

#include "common/ReportLibraryInterface.h"

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
// loaded (when wantMessage), and unloads it again, whatever happened. Nothing stays loaded between calls.
ReportLibraryCall CallReportLibrary(const char* exportName, TReportViewerRequest& request, bool wantMessage = true,
                                    const std::vector<std::string>& candidates = DefaultReportLibraryCandidates());

} // namespace talmere
