// The program's shell with a stand-in for the main window that reports on standard output what reaches
// it: "ready TITLE" once it can be found, then "message NUMBER FIRST SECOND" and "show COMMAND" for what a
// later start hands over. It ends after a show request, or after half a minute.

#include "gui/Shell.h"
#include "platform/InstanceChannel.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace talmere;

namespace {

void Print(const QString& line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    return RunShell(argc, argv, [](ShellSession& session) {
        session.channel.setMessageReceiver([](const platform::InstanceMessage& message) {
            Print(QStringLiteral("message %1 %2 %3")
                      .arg(message.number)
                      .arg(message.firstParameter)
                      .arg(message.secondParameter));
        });
        session.channel.setShowReceiver([](int command) {
            Print(QStringLiteral("show %1").arg(command));
            QCoreApplication::quit();
        });
        // The stand-in window is a timer that gives up after half a minute.
        auto window = std::make_unique<QTimer>();
        window->setSingleShot(true);
        QObject::connect(window.get(), &QTimer::timeout, QCoreApplication::instance(), &QCoreApplication::quit);
        window->start(30000);
        Print(QStringLiteral("ready ") + ApplicationTitle(session.context.settings));
        return std::unique_ptr<QObject>(std::move(window));
    });
}
