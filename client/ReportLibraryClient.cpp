#include "client/ReportLibraryClient.h"

#include "platform/DynamicLibrary.h"
#include "platform/SystemInfo.h"

#include <utility>

namespace talmere {

std::vector<std::string> DefaultReportLibraryCandidates()
{
    // An installed program finds the library in its private library folder, which the build names relative
    // to the program's folder (bin/../lib/<arch>/talmere), so that the installation can live anywhere.
    return {kReportLibraryName, platform::ExecutableFolder() + TALMERE_LIBRARY_FROM_PROGRAM + "/" + kReportLibraryName,
            kReportLibraryFallbackPath};
}

namespace {

// The innermost session of this thread.
thread_local ReportLibrarySession* t_session = nullptr;

// Loads the first candidate that loads; otherwise tells why none did.
void LoadFirst(platform::DynamicLibrary& library, const std::vector<std::string>& candidates, ReportLibraryCall& call)
{
    for (const std::string& candidate : candidates) {
        if (library.load(candidate)) {
            call.loadError.clear();
            return;
        }
        if (!call.loadError.empty()) {
            call.loadError += "; ";
        }
        call.loadError += library.errorText();
    }
}

} // namespace

ReportLibrarySession::ReportLibrarySession(std::vector<std::string> candidates)
    : m_candidates(std::move(candidates)), m_outer(t_session)
{
    t_session = this;
}

ReportLibrarySession::~ReportLibrarySession()
{
    t_session = m_outer;
}

ReportLibraryCall CallReportLibrary(const char* exportName, TReportViewerRequest& request, bool wantMessage,
                                    const std::vector<std::string>& candidates)
{
    ReportLibraryCall call;
    platform::DynamicLibrary ownLibrary;
    ReportLibrarySession* session = t_session != nullptr && t_session->m_candidates == candidates ? t_session : nullptr;
    platform::DynamicLibrary& library = session != nullptr ? session->m_library : ownLibrary;
    if (!library.isLoaded()) {
        LoadFirst(library, candidates, call);
    }
    if (!library.isLoaded()) {
        return call;
    }

    const auto run = reinterpret_cast<ReportRequestFunction>(library.symbol(exportName));
    const auto statusMessage = reinterpret_cast<StatusMessageFunction>(library.symbol(kGetReportViewerStatusMessage));
    if (run == nullptr || statusMessage == nullptr) {
        call.binding = ReportLibraryCall::Binding::ExportMissing;
        return call;
    }

    call.binding = ReportLibraryCall::Binding::Called;
    call.status = run(&request);
    if (wantMessage && call.status != kStatusSuccess) {
        // The text belongs to the library: copy it before the library goes.
        if (const char* text = statusMessage(call.status)) {
            call.message = text;
        }
    }
    return call;
}

} // namespace talmere
