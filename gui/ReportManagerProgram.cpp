#include "gui/ReportManagerProgram.h"

#include "client/AboutInformation.h"
#include "gui/ReportViewer.h"
#include "gui/Shell.h"
#include "gui/TAboutBox.h"
#include "gui/TfrmMain.h"
#include "gui/TfrmPreferences.h"
#include "platform/PrinterSystem.h"

#include <QApplication>

#include <cstdio>

namespace talmere {

int RunReportManager(int argc, char** argv)
{
    return RunShell(argc, argv, [](ShellSession& session) -> std::unique_ptr<QObject> {
        ApplicationContext& context = session.context;
        ReportWindowCommands commands;
        // The context outlives the window that keeps these commands.
        commands.about = [&context] {
            TAboutBox box(context, VersionLabel(ProgramVersionNumbers()), QApplication::activeWindow());
            box.exec();
        };
        commands.preferences = [&context, &printers = session.printers] {
            TfrmPreferences dialog(ReadPreferences(context), printers.printerNames(),
                                   context.settings.PurgeReportArchiveFiles, context.settings.PurgeReportArchiveDays,
                                   {}, QApplication::activeWindow());
            if (dialog.exec() == QDialog::Accepted) {
                ApplyPreferences(context, dialog.preferences());
            }
        };
        // View and Print run in the report viewer, which is made once the window exists (it is the viewer's
        // parent) and goes with the window, whose commands keep it.
        struct ViewerSlot {
            TfrmMain* window = nullptr;
            std::unique_ptr<ReportViewer> viewer;
        };
        auto slot = std::make_shared<ViewerSlot>();
        commands.view = [slot](int row) { slot->viewer->view(slot->window->commands(), row); };
        commands.print = [slot](int row) { slot->viewer->print(slot->window->commands(), row); };
        commands.resetPrinter = [slot] { slot->viewer->resetPrinter(); };
        auto window = std::make_unique<TfrmMain>(context, session.printers, commands);
        slot->window = window.get();
        slot->viewer = std::make_unique<ReportViewer>(context, session.printers, window.get());
        ReportManagerStart outcome = ReportManagerStart::StartupFailed;
        try {
            outcome = window->start();
        } catch (...) {
            context.prompts().error(QStringLiteral("Unexpected exception during the start of the report manager."));
        }
        if (outcome != ReportManagerStart::Ready) {
            // A silent archive run is done, or the start failed and the user has been told: the window goes,
            // and with it the listing table, the configuration and the user's registration.
            return nullptr;
        }
        if (session.headless) {
            // Without a display nobody could use the list: the start (with its archive run) is all there is.
            const QByteArray title = ApplicationTitle(context.settings).toLocal8Bit();
            std::fprintf(stderr,
                         "%s: start-up complete; there is no display to show the report list on (start with "
                         "/SILENTARCHIVE to archive without one).\n",
                         title.constData());
            return nullptr;
        }
        window->listenTo(session.channel);
        window->show();
        return window;
    });
}

} // namespace talmere
