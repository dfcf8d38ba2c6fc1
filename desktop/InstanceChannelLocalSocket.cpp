#include "platform/InstanceChannel.h"

#include "platform/SystemInfo.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>

namespace talmere::platform {

// Each start sends two lines over the socket and closes it:
//   POST <number> <first parameter> <second parameter>
//   SHOW <show command>

namespace {

constexpr int kWaitMilliseconds = 2000;
// A line longer than this is not one the program sends; the connection is dropped.
constexpr qint64 kMaxLineLength = 256;

} // namespace

QString LocalInstanceChannelName(const QString& windowClass, const QString& title)
{
    // The title is the user's product name and may be long or hold any character; a digest keeps the name
    // short enough for a socket path and free of separators.
    const QByteArray digest =
        QCryptographicHash::hash((windowClass + QLatin1Char('\n') + title).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(20);
    const QString base = QStringLiteral("talmere-") + windowClass + QLatin1Char('-') + QString::fromLatin1(digest);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime + QLatin1Char('/') + base; // private to the user already
    }
    // The shared temporary folder: the user's number keeps the names of different users apart.
    return base + QLatin1Char('-') + QString::number(CurrentUserId());
}

namespace {

bool SomeoneAnswers(const QString& name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool answered = probe.waitForConnected(kWaitMilliseconds);
    probe.abort();
    return answered;
}

class LocalInstanceChannel final : public InstanceChannel {
public:
    bool notifyRunningInstance(const QString& windowClass, const QString& title, const InstanceMessage& message,
                               int showCommand) override
    {
        QLocalSocket socket;
        socket.connectToServer(LocalInstanceChannelName(windowClass, title));
        if (!socket.waitForConnected(kWaitMilliseconds)) {
            return false;
        }
        const QByteArray lines = QByteArrayLiteral("POST ") + QByteArray::number(message.number) + ' ' +
                                 QByteArray::number(static_cast<qlonglong>(message.firstParameter)) + ' ' +
                                 QByteArray::number(static_cast<qlonglong>(message.secondParameter)) +
                                 QByteArrayLiteral("\nSHOW ") + QByteArray::number(showCommand) + '\n';
        socket.write(lines);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kWaitMilliseconds)) {
        }
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState) {
            socket.waitForDisconnected(kWaitMilliseconds);
        }
        return true;
    }

    bool listen(const QString& windowClass, const QString& title) override
    {
        const QString name = LocalInstanceChannelName(windowClass, title);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        bool listening = m_server->listen(name);
        // A socket left behind by an instance that did not end cleanly: nobody answers on it any more. One
        // that answers belongs to an instance that started at the same moment, and stays.
        if (!listening && m_server->serverError() == QAbstractSocket::AddressInUseError && !SomeoneAnswers(name)) {
            QLocalServer::removeServer(name);
            listening = m_server->listen(name);
        }
        if (!listening) {
            m_server.reset();
            return false;
        }
        QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { acceptPending(); });
        return true;
    }

    void setMessageReceiver(std::function<void(const InstanceMessage&)> receiver) override
    {
        m_messageReceiver = std::move(receiver);
    }

    void setShowReceiver(std::function<void(int)> receiver) override { m_showReceiver = std::move(receiver); }

private:
    void acceptPending()
    {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            // The socket belongs to the server, so it goes with the channel at the latest.
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { readLines(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
                readLines(socket);
                socket->deleteLater();
            });
            readLines(socket);
        }
    }

    void readLines(QLocalSocket* socket)
    {
        while (socket->canReadLine()) {
            handleLine(socket->readLine(kMaxLineLength + 1).trimmed());
        }
        if (socket->bytesAvailable() > kMaxLineLength) {
            socket->abort();
        }
    }

    void handleLine(const QByteArray& line)
    {
        const QList<QByteArray> words = line.split(' ');
        bool ok = true;
        const auto number = [&](int index) -> qlonglong {
            bool good = false;
            const qlonglong value = words.value(index).toLongLong(&good);
            ok = ok && good;
            return value;
        };
        if (words.size() == 4 && words[0] == "POST") {
            const InstanceMessage message{static_cast<int>(number(1)), number(2), number(3)};
            if (ok && m_messageReceiver) {
                m_messageReceiver(message);
            }
        } else if (words.size() == 2 && words[0] == "SHOW") {
            const auto command = static_cast<int>(number(1));
            if (ok && m_showReceiver) {
                m_showReceiver(command);
            }
        }
    }

    std::unique_ptr<QLocalServer> m_server;
    std::function<void(const InstanceMessage&)> m_messageReceiver;
    std::function<void(int)> m_showReceiver;
};

} // namespace

std::unique_ptr<InstanceChannel> CreateLocalInstanceChannel()
{
    return std::make_unique<LocalInstanceChannel>();
}

} // namespace talmere::platform
