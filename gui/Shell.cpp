#include "gui/Shell.h"

#include "core/AnsiText.h"
#include "core/CommandLine.h"
#include "core/ServerFolderSetup.h"
#include "core/StandardErrorPrompts.h"
#include "core/Startup.h"
#include "gui/MessageBoxPrompts.h"
#include "platform/InstanceChannel.h"
#include "platform/PrinterSystem.h"
#include "platform/SettingsStore.h"
#include "platform/SystemInfo.h"
#include "view/ReportExport.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <memory>
#include <optional>

namespace talmere {

namespace {

const QString kOrganisation = QStringLiteral("Brennwick");
const QString kProgramStore = QStringLiteral("Talmere");
const QString kProductStore = QStringLiteral("Qorva32");

void PrintToStandardOutput(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

bool IsHeadless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");
}

void PrintToStandardError(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// talmere --export-pdf: the start without a window, the user's registration, the archive run or the hand-over,
// then the export. Messages go to standard error even where there is a display: there is no window to own a
// dialog.
int RunPdfExportCommand(char* programName, const QStringList& arguments)
{
    QString error;
    const std::optional<PdfExportRequest> request = ParsePdfExportArguments(arguments, &error);
    if (!request) {
        PrintToStandardError(QStringLiteral("talmere: ") + error + QLatin1Char('\n') + kExportUsage);
        return kExportBadCommandLine;
    }
    // The offscreen platform needs no display and lays text out with the same fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {programName, nullptr};
    QGuiApplication application(qtArgc, qtArgv);

    StandardErrorPrompts prompts(kBuiltInProductName + QStringLiteral(" Report Manager"));
    const std::unique_ptr<platform::SettingsStore> programStore =
        platform::OpenUserSettings(kOrganisation, kProgramStore);
    const std::unique_ptr<platform::SettingsStore> productStore =
        platform::OpenUserSettings(kOrganisation, kProductStore, true);
    const std::unique_ptr<platform::PrinterSystem> printers = platform::CreateSystemPrinters();

    ApplicationContext context(prompts, *programStore, *productStore);
    // No channel: an export never hands over to a running instance.
    const StartupEnvironment environment{request->startArguments, FromNativePath(platform::ExecutableFolder()), nullptr,
                                         PrintToStandardOutput};
    if (RunStartup(context, environment) != StartupOutcome::HandOver) {
        return kExportFailed;
    }
    prompts.setTitle(ApplicationTitle(context.settings));
    return RunPdfExport(context, *printers, *request);
}

// talmere --init-server DIR [--install-dir DIR]: a new server folder from the example configuration,
// registered as this user's installation. 0 when made, 1 when refused or failed, 2 for a bad command line.
int RunInitServerCommand(const QStringList& arguments)
{
    static const QString usage = QStringLiteral("usage: talmere --init-server DIR [--install-dir DIR]\n");
    ServerFolderSetup setup;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.compare(QStringLiteral("--init-server"), Qt::CaseInsensitive) == 0 && i + 1 < arguments.size() &&
            setup.serverFolder.isEmpty()) {
            setup.serverFolder = arguments[++i];
        } else if (argument.compare(QStringLiteral("--install-dir"), Qt::CaseInsensitive) == 0 &&
                   i + 1 < arguments.size() && setup.installFolder.isEmpty()) {
            setup.installFolder = arguments[++i];
        } else {
            PrintToStandardError(QStringLiteral("talmere: unexpected argument %1\n").arg(argument) + usage);
            return 2;
        }
    }
    if (setup.serverFolder.isEmpty()) {
        PrintToStandardError(usage);
        return 2;
    }
    if (setup.installFolder.isEmpty()) {
        // This workstation's own folder: the working copy of the configuration and the private folder.
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        setup.installFolder = (dataHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : dataHome) +
                              QStringLiteral("/talmere/");
    }
    const std::unique_ptr<platform::SettingsStore> productStore =
        platform::OpenUserSettings(kOrganisation, kProductStore, false);
    const QString failure = InitServerFolder(setup, *productStore);
    if (!failure.isEmpty()) {
        PrintToStandardError(QStringLiteral("talmere: ") + failure + QLatin1Char('\n'));
        return 1;
    }
    PrintToStandardOutput(
        QStringLiteral("Made the server folder %1 (TALMERE.INI, mailbox/, archive/) and registered it "
                       "with the install folder %2 for this user; start the program with "
                       "/TAMSEN.\n")
            .arg(setup.serverFolder, setup.installFolder));
    return 0;
}

} // namespace

int RunShell(int argc, char** argv, const MainWindowLauncher& launcher)
{
    // The switches are the program's own: Qt sees none of them, so it cannot take any away.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (IsPdfExportCommand(arguments)) {
        return RunPdfExportCommand(argv[0], arguments);
    }
    if (!arguments.isEmpty() && arguments.front().compare(QStringLiteral("--init-server"), Qt::CaseInsensitive) == 0) {
        return RunInitServerCommand(arguments);
    }
    // Usage and version need no application object; an invalid switch is for the start to tell.
    ModeFlags scratch;
    switch (ParseProgramArguments(arguments, scratch)) {
    case CommandLineAction::ShowHelp:
        PrintToStandardOutput(ProgramUsage());
        return 0;
    case CommandLineAction::ShowVersion:
        PrintToStandardOutput(ProgramVersion());
        return 0;
    default:
        break;
    }
    if (!platform::HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);

    // Until the settings name the product, messages carry the built-in product name.
    const QString startTitle = kBuiltInProductName + QStringLiteral(" Report Manager");
    const bool headless = IsHeadless();
    std::unique_ptr<UserPrompts> prompts;
    std::function<void(const QString&)> setPromptsTitle;
    if (headless) {
        auto standardError = std::make_unique<StandardErrorPrompts>(startTitle);
        setPromptsTitle = [p = standardError.get()](const QString& title) { p->setTitle(title); };
        prompts = std::move(standardError);
    } else {
        auto messageBoxes = std::make_unique<MessageBoxPrompts>(startTitle);
        setPromptsTitle = [p = messageBoxes.get()](const QString& title) { p->setTitle(title); };
        prompts = std::move(messageBoxes);
    }

    const std::unique_ptr<platform::SettingsStore> programStore =
        platform::OpenUserSettings(kOrganisation, kProgramStore);
    const std::unique_ptr<platform::SettingsStore> productStore =
        platform::OpenUserSettings(kOrganisation, kProductStore, true);
    const std::unique_ptr<platform::InstanceChannel> channel = platform::CreateLocalInstanceChannel();
    const std::unique_ptr<platform::PrinterSystem> printers = platform::CreateSystemPrinters();

    ApplicationContext context(*prompts, *programStore, *productStore);
    const StartupEnvironment environment{arguments, FromNativePath(platform::ExecutableFolder()), channel.get(),
                                         PrintToStandardOutput};
    // Only a silent archive start tells a scheduler how it went; an interactive start ends with 0.
    const auto exitCode = [&context] { return context.flags.SilentArchive ? context.exitCode : kExitSuccess; };
    if (RunStartup(context, environment) == StartupOutcome::End) {
        return exitCode();
    }

    const QString title = ApplicationTitle(context.settings);
    QGuiApplication::setApplicationDisplayName(title);
    setPromptsTitle(title);
    // Without the channel the program still runs; later starts just do not find it.
    channel->listen(kApplicationWindowClass, title);

    ShellSession session{context, *channel, *printers, headless};
    const std::unique_ptr<QObject> mainWindow = launcher ? launcher(session) : nullptr;
    if (mainWindow) {
        application.exec();
    }
    return exitCode();
}

} // namespace talmere
