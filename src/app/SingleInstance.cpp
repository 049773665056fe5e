#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tavu::app {

namespace {

constexpr int WaitMs = 1000;
const char RaiseMessage[] = "raise\n";

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    serverName_ = QDir(dir).filePath(key.left(31));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::BecomeFirst()
{
    {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(WaitMs)) {
            socket.write(RaiseMessage);
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
            // The message may already be waiting, or come later.
            auto check = [this, socket] {
                if (socket->bytesAvailable() > 0 && socket->readAll().contains("raise"))
                    emit RaiseRequested();
            };
            connect(socket, &QLocalSocket::readyRead, this, check);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            check();
        }
    });
    return true;
}

} // namespace tavu::app
