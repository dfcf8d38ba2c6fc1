#pragma once

#include "core/ApplicationContext.h"

#include <QObject>

#include <functional>
#include <memory>

namespace talmere {

namespace platform {
class InstanceChannel;
class PrinterSystem;
} // namespace platform

// What the main window receives when the start hands over to it.
struct ShellSession {
    ApplicationContext& context;
    // Open under the application title: context-switch messages of later starts arrive here.
    platform::InstanceChannel& channel;
    platform::PrinterSystem& printers;
    // No display: windows would show on nobody's screen, and messages go to standard error.
    bool headless = false;
};

// Creates the main window, whose creation completes the start, and hands it over: the shell keeps it while
// the event loop runs and destroys it before anything the session names. No window ends the program at once.
using MainWindowLauncher = std::function<std::unique_ptr<QObject>(ShellSession&)>;

// The program: the application object (offscreen, with messages on standard error, when there is no
// display), the start, the application title and the single-instance channel, then the main window and
// the event loop. The exit code is 0 however an interactive start ends; a silent archive start
// (/SILENTARCHIVE) ends with 1 when the start or the run failed and 2 when staged files could not be filed.
// A command line with --export-pdf is the headless PDF export instead (view/ReportExport.h), which answers
// its own exit code.
int RunShell(int argc, char** argv, const MainWindowLauncher& launcher);

} // namespace talmere
