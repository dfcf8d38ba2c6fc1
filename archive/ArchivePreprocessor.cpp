#include "archive/ArchiveMaintenance.h"
#include "core/AnsiText.h"
#include "core/PathMacros.h"
#include "platform/Process.h"

#include <QElapsedTimer>
#include <QThread>

namespace talmere {

namespace {

// How often the program is looked at while the user interface goes on.
constexpr int kPollMilliseconds = 100;

// The parameter text as the program's arguments: words separated by blanks, a part in double quotes kept
// together with its blanks (the quotes themselves dropped).
std::vector<std::string> SplitParameters(const QString& parameters)
{
    std::vector<std::string> words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : parameters) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inWord) {
                words.push_back(ToNativePath(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(ToNativePath(word));
    }
    return words;
}

bool RunAndWait(ApplicationContext& context, const QString& commandLine)
{
    QElapsedTimer started;
    started.start();
    // The show-window state is read from the command line but has no meaning for a program started here.
    ProgramCommandLine command;
    command.showState = kSwHide;
    if (!ParseCommandLine(commandLine, context.folders, command)) {
        command.program.clear();
        command.parameters.clear();
    }
    platform::ChildProgram program;
    if (command.program.isEmpty() || !program.start(ToNativePath(command.program), SplitParameters(command.parameters),
                                                    ToNativePath(context.folders.ServerDirectory))) {
        context.prompts().error(kPreprocessorCannotExecuteMessage);
        return false;
    }
    const qint64 limit = static_cast<qint64>(context.settings.ReportArchivePreprocessorTimeout) * 1000;
    for (;;) {
        if (program.poll() == platform::ChildProgram::State::Exited) {
            break;
        }
        context.prompts().processPendingEvents();
        if (started.elapsed() > limit) {
            context.prompts().error(kPreprocessorHungMessage);
            return false;
        }
        QThread::msleep(kPollMilliseconds);
    }
    if (program.exitCode() != 0) {
        context.prompts().error(QStringLiteral("An error has been returned from the report archive preprocessor "
                                               "[Exit Code = ") +
                                QString::number(static_cast<quint32>(program.exitCode())) +
                                QStringLiteral("]. The report archive process will continue anyway."));
        return false;
    }
    return true;
}

} // namespace

bool RunArchivePreprocessor(ApplicationContext& context, const QString& commandLine)
{
    try {
        return RunAndWait(context, commandLine);
    } catch (...) {
        context.prompts().error(kPreprocessorExceptionMessage);
        return false;
    }
}

} // namespace talmere
