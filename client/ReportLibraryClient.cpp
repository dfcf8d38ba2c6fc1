#include "client/ReportLibraryClient.h"

#include "platform/DynamicLibrary.h"
#include "platform/SystemInfo.h"

namespace talmere {

std::vector<std::string> DefaultReportLibraryCandidates()
{
    // An installed program finds the library in its private library folder, which the build names relative
    // to the program's folder (bin/../lib/<arch>/talmere), so that the installation can live anywhere.
    return {kReportLibraryName, platform::ExecutableFolder() + TALMERE_LIBRARY_FROM_PROGRAM + "/" + kReportLibraryName,
            kReportLibraryFallbackPath};
}

ReportLibraryCall CallReportLibrary(const char* exportName, TReportViewerRequest& request, bool wantMessage,
                                    const std::vector<std::string>& candidates)
{
    ReportLibraryCall call;
    platform::DynamicLibrary library;
    for (const std::string& candidate : candidates) {
        if (library.load(candidate)) {
            break;
        }
        if (!call.loadError.empty()) {
            call.loadError += "; ";
        }
        call.loadError += library.errorText();
    }
    if (!library.isLoaded()) {
        return call;
    }
    call.loadError.clear();

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
