#include "tests/support/ChildProcess.h"

#include <QElapsedTimer>

namespace talmere::test {

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.start();
    m_process.waitForStarted(10000);
}

ChildProcess::~ChildProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.write("exit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            kill();
        }
    }
}

QString ChildProcess::readLine(int milliseconds)
{
    QElapsedTimer waited;
    waited.start();
    while (!m_process.canReadLine()) {
        const qint64 left = milliseconds - waited.elapsed();
        if (left <= 0 || !m_process.waitForReadyRead(static_cast<int>(left))) {
            if (!m_process.canReadLine()) {
                return {};
            }
        }
    }
    return QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

QString ChildProcess::ask(const QString& command, int milliseconds)
{
    m_process.write(command.toLocal8Bit() + '\n');
    m_process.waitForBytesWritten(5000);
    return readLine(milliseconds);
}

void ChildProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(10000);
}

int ChildProcess::waitForExit(int milliseconds)
{
    // A process whose end an event loop has already seen is finished; waiting for it again would fail.
    const bool finished = m_process.state() == QProcess::NotRunning ? m_process.error() != QProcess::FailedToStart
                                                                    : m_process.waitForFinished(milliseconds);
    if (!finished || m_process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return m_process.exitCode();
}

QString ChildProcess::standardError()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError());
}

QString ChildProcess::standardOutput()
{
    return QString::fromLocal8Bit(m_process.readAllStandardOutput());
}

} // namespace talmere::test
