#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tavu::app {

namespace {

constexpr int WaitMs = 1000;
// A message is "raise" or "open " and the path in UTF-8, ended by a NUL byte (a path
// holds no NUL, but may hold line ends).
const QByteArray RaiseMessage("raise");
const QByteArray OpenPrefix("open ");
constexpr qsizetype MaxMessageBytes = 64 * 1024;

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    serverName_ = QDir(dir).filePath(key.left(31));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::BecomeFirst(const QString& modelPath)
{
    {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(WaitMs)) {
            socket.write((modelPath.isEmpty() ? RaiseMessage : OpenPrefix + modelPath.toUtf8()) +
                         '\0');
            socket.flush();
            socket.waitForBytesWritten(WaitMs);
            socket.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: a socket file left by a program that ended abnormally is removed.
    QLocalServer::removeServer(serverName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_))
        return true;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            // Messages may come in pieces; what has come so far waits in the buffer.
            auto buffer = std::make_shared<QByteArray>();
            auto take = [this, socket, buffer] {
                *buffer += socket->readAll();
                for (qsizetype end; (end = buffer->indexOf('\0')) >= 0;) {
                    const QByteArray message = buffer->left(end);
                    buffer->remove(0, end + 1);
                    Handle(message);
                }
                if (buffer->size() > MaxMessageBytes)
                    socket->abort();
            };
            connect(socket, &QLocalSocket::readyRead, this, take);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            take();
        }
    });
    return true;
}

void SingleInstance::Handle(const QByteArray& message)
{
    if (message == RaiseMessage) {
        emit RaiseRequested();
    } else if (message.startsWith(OpenPrefix) && message.size() > OpenPrefix.size()) {
        emit RaiseRequested();
        emit OpenRequested(QString::fromUtf8(message.mid(OpenPrefix.size())));
    }
}

} // namespace tavu::app
