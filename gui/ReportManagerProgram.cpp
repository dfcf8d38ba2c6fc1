#include "gui/ReportManagerProgram.h"

#include "gui/Shell.h"
#include "session/ReportManagerStart.h"

#include <cstdio>

namespace talmere {

int RunReportManager(int argc, char** argv)
{
    return RunShell(argc, argv, [](ShellSession& session) -> std::unique_ptr<QObject> {
        ApplicationContext& context = session.context;
        ReportManagerStart outcome = ReportManagerStart::StartupFailed;
        try {
            outcome = StartReportManager(context);
        } catch (...) {
            context.prompts().error(QStringLiteral("Unexpected exception during the start of the report manager."));
        }
        if (outcome == ReportManagerStart::Ready) {
            // The report list window comes with a later part of the catalogue; until it is there, a good start
            // ends after its archive run and says so.
            const QByteArray title = ApplicationTitle(context.settings).toLocal8Bit();
            std::fprintf(stderr, "%s: start-up complete; the report list window is not part of this build.\n",
                         title.constData());
        }
        CloseReportManager(context);
        return nullptr;
    });
}

} // namespace talmere
