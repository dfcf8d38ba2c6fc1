#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace talmere::test {

// A program of the tests running in its own process, spoken to by lines on its standard input and output.
class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output without the line end; empty when none came within the time.
    QString readLine(int milliseconds = 20000);
    // Sends a command and answers the next line of output.
    QString ask(const QString& command, int milliseconds = 20000);
    // Ends the process at once, as a crash would: no clean-up of its own happens.
    void kill();
    // Waits for the end; the exit code, or -1 when it did not end normally in time.
    int waitForExit(int milliseconds = 30000);
    QString standardError();
    QString standardOutput();

private:
    QProcess m_process;
};

} // namespace talmere::test
