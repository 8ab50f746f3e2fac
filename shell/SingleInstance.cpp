#include "shell/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int kConnectWaitMs = 1000;
constexpr int kWriteWaitMs = 3000;
// A request longer than any path is not a path.
constexpr qint64 kMaxRequestBytes = 64 * 1024;

QString UserName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QDir(QDir::homePath()).dirName();
    return user;
}

} // namespace

QString CSingleInstance::DefaultName()
{
    const QString user = UserName();
    return user.isEmpty() ? QStringLiteral("MavexRun") : QStringLiteral("MavexRun-") + user;
}

CSingleInstance::CSingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

CSingleInstance::~CSingleInstance()
{
    if (m_server)
        m_server->close();
}

bool CSingleInstance::IsOtherRunning() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    return socket.waitForConnected(kConnectWaitMs);
}

bool CSingleInstance::HandOver(const QString& filePath) const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    socket.write(QFileInfo(filePath).absoluteFilePath().toUtf8());
    if (!socket.waitForBytesWritten(kWriteWaitMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWriteWaitMs);
    return true;
}

bool CSingleInstance::Listen()
{
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        // A socket left behind by a program that died: nobody answers on it.
        QLocalServer::removeServer(m_name);
        if (!server->listen(m_name)) {
            delete server;
            return false;
        }
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    return true;
}

bool CSingleInstance::Acquire(const QString& filePath, const Pause& pause)
{
    if (IsOtherRunning()) {
        if (!filePath.isEmpty() && QFileInfo(filePath).isFile() && HandOver(filePath))
            return false;
        bool ended = false;
        for (const int ms : RetryWaitsMs()) {
            pause(ms);
            if (!IsOtherRunning()) {
                ended = true;
                break;
            }
        }
        if (!ended)
            return false;
    }
    return Listen();
}

void CSingleInstance::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
            const QByteArray request = socket->readAll();
            socket->deleteLater();
            if (!request.isEmpty() && request.size() <= kMaxRequestBytes)
                emit FileRequested(QString::fromUtf8(request));
        });
    }
}
