#include "core/Startup.h"

#include "core/CommandLine.h"
#include "core/Folders.h"
#include "core/FormatConventions.h"
#include "core/ProductDirectories.h"
#include "core/ProgramSettings.h"
#include "platform/InstanceChannel.h"

namespace talmere {

QString CriticalFilesMessage(const ProductFolders& folders)
{
    const QString lineBreak = QStringLiteral("\r\n");
    return QStringLiteral("Access to critical program or database files is not currently available. Expected "
                          "directory paths are:") +
           lineBreak + lineBreak + QStringLiteral("   Server = ") + folders.ServerDirectory.toLower() + lineBreak +
           QStringLiteral("   Data = ") + folders.DataDirectory.toLower() + lineBreak +
           QStringLiteral("   Install = ") + folders.InstallDirectory.toLower() + lineBreak + lineBreak +
           QStringLiteral("If this problem persists after several attempts, please report it to your distributor. "
                          "This program will now be terminated.");
}

StartupOutcome RunStartup(ApplicationContext& context, const StartupEnvironment& environment)
{
    ApplyFormatConventions();

    switch (ParseProgramArguments(environment.arguments, context.flags)) {
    case CommandLineAction::Run:
        break;
    case CommandLineAction::ShowHelp:
        if (environment.printOutput) {
            environment.printOutput(ProgramUsage());
        }
        return StartupOutcome::End;
    case CommandLineAction::ShowVersion:
        if (environment.printOutput) {
            environment.printOutput(ProgramVersion());
        }
        return StartupOutcome::End;
    case CommandLineAction::Invalid:
        context.prompts().error(kInvalidParameterMessage);
        context.exitCode = kExitStartFailed;
        return StartupOutcome::End;
    }

    ProductFolders& folders = context.folders;
    const QString programFolder = WithFinalSeparator(environment.executableFolder);
    const QString programShort = ShortPathOf(programFolder);
    folders.ProgramDirectory = programShort.isEmpty() ? programFolder : WithFinalSeparator(programShort);

    if (context.flags.Launched) {
        if (!ReadProductDirectories(context)) {
            context.prompts().error(CriticalFilesMessage(folders));
            context.exitCode = kExitStartFailed;
            return StartupOutcome::End;
        }
        context.flags.StandaloneOperation = false;
    } else {
        // The registered folders count only when the program runs from the registered install folder (as
        // registered, not in its short form); otherwise the program keeps to its own folder.
        const bool registered = ReadProductDirectories(context) &&
                                folders.InstallDirectory.compare(folders.ProgramDirectory, Qt::CaseInsensitive) == 0;
        if (!registered) {
            folders.ServerDirectory = folders.ProgramDirectory;
            folders.InstallDirectory = folders.ProgramDirectory;
            folders.DataDirectory = folders.ProgramDirectory;
            folders.PrivateDirectory = PrivateFolderOf(folders.ProgramDirectory);
            if (!FolderExists(folders.PrivateDirectory)) {
                CreateFolders(folders.PrivateDirectory);
            }
            context.flags.StandaloneOperation = true;
        }
    }

    if (!context.flags.StandaloneOperation && !RefreshConfigurationCopy(context)) {
        context.prompts().error(kConfigurationSettingsMessage);
        context.exitCode = kExitStartFailed;
        return StartupOutcome::End;
    }

    LoadSettings(context);

    context.flags.BypassAccessChecks =
        context.flags.StandaloneOperation || context.flags.ExclusiveAccess || context.settings.BypassUserMonitoring;

    // Every mode hands over, a silent archive run too: the running instance does the work.
    if (environment.channel != nullptr && environment.channel->notifyRunningInstance(
                                              kApplicationWindowClass, ApplicationTitle(context.settings),
                                              {ContextSwitchMessage, 0, ContextCode(context.flags)}, kShowNormal)) {
        return StartupOutcome::End;
    }
    return StartupOutcome::HandOver;
}

} // namespace talmere
