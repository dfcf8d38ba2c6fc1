// talmere: the report manager.

#include "gui/Shell.h"
#include "session/ReportManagerStart.h"

#include <cstdio>

int main(int argc, char** argv)
{
    return talmere::RunShell(argc, argv, [](talmere::ShellSession& session) -> std::unique_ptr<QObject> {
        talmere::ApplicationContext& context = session.context;
        talmere::ReportManagerStart outcome = talmere::ReportManagerStart::StartupFailed;
        try {
            outcome = talmere::StartReportManager(context);
        } catch (...) {
            context.prompts().error(QStringLiteral("Unexpected exception during the start of the report manager."));
        }
        if (outcome == talmere::ReportManagerStart::Ready) {
            // The report list window comes with a later part of the catalogue; until it is there, a good start
            // ends after its archive run and says so.
            const QByteArray title = ApplicationTitle(context.settings).toLocal8Bit();
            std::fprintf(stderr, "%s: start-up complete; the report list window is not part of this build.\n",
                         title.constData());
        }
        talmere::CloseReportManager(context);
        return nullptr;
    });
}
