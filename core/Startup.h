#pragma once

#include "core/ApplicationContext.h"

#include <QStringList>

#include <functional>

namespace talmere {

namespace platform {
class InstanceChannel;
}

// The number of the message that hands the claim context to a running instance (first user message 1024
// plus 2000), the show command it comes with, and the class of the window it is posted to.
inline constexpr int ContextSwitchMessage = 3024;
inline constexpr int kShowNormal = 1;
inline const QString kApplicationWindowClass = QStringLiteral("TApplication");

inline const QString kInvalidParameterMessage =
    QStringLiteral("An invalid command line parameter has been specified. This program will now be terminated.");
inline const QString kConfigurationSettingsMessage =
    QStringLiteral("Unable to retrieve configuration settings from the server installation directory. If this "
                   "problem persists after several attempts, please report it to your distributor. This program "
                   "will now be terminated.");

// The critical-files message, naming the three folders as they stand (in lower case).
QString CriticalFilesMessage(const ProductFolders& folders);

struct StartupEnvironment {
    QStringList arguments;                           // without the program's name
    QString executableFolder;                        // the folder of the program file
    platform::InstanceChannel* channel = nullptr;    // none: no other instance is looked for
    std::function<void(const QString&)> printOutput; // for --help and --version
};

enum class StartupOutcome {
    HandOver, // go on: show the main window
    End,      // the program ends now (a fatal message was shown, usage printed, or another instance took over)
};

// The program's start up to the main window: formats, command line, folders and mode, the configuration
// copy, the settings, single-user operation, and the hand-over to an instance that already runs.
StartupOutcome RunStartup(ApplicationContext& context, const StartupEnvironment& environment);

} // namespace talmere
