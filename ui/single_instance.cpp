#include "ui/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace qvpc::ui {
namespace {

constexpr int kConnectWaitMs = 2000;
const QByteArray kRaiseRequest = "raise\n";

// Per user: the runtime directory, else the temporary one.
QString RuntimeDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent),
      m_socketPath(RuntimeDir() + "/" + name),
      m_lock(std::make_unique<QLockFile>(RuntimeDir() + "/" + name + ".lock")) {
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

bool SingleInstance::claim() {
    // The lock file decides, not the socket: a stale socket of a crashed run
    // must not keep the program from starting, and the lock notices a dead holder.
    if (!m_lock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(kConnectWaitMs)) {
            socket.write(kRaiseRequest);
            socket.waitForBytesWritten(kConnectWaitMs);
            socket.disconnectFromServer();
        }
        return false;
    }
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise")) {
                emit raiseRequested();
            }
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace qvpc::ui
