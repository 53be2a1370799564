#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace dezadav {

namespace {

constexpr char kActivateRequest[] = "activate\n";
// Followed by the file's path, percent-encoded so that no byte of it can end the line.
constexpr char kOpenRequest[] = "open ";
// Between two attempts to reach a holder that does not listen yet.
constexpr int kRetryPauseMs = 100;

}  // namespace

SingleInstanceLock::SingleInstanceLock(const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    m_path = QDir(dir).filePath(QLatin1String(kSingleInstanceName) + QStringLiteral(".lock"));
    m_socketPath = QDir(dir).filePath(QLatin1String(kSingleInstanceName) + QStringLiteral(".socket"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a lock whose owner is gone is stale: a copy that has been running for hours must still
    // block the next one, so the age of the file means nothing.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::TryAcquire() {
    if (!m_held) {
        m_held = m_lock->tryLock(0);
        m_unavailable = !m_held && m_lock->error() != QLockFile::LockFailedError;
    }
    return m_held;
}

bool SingleInstanceLock::ListenForActivation(std::function<void(const QString& file)> activate) {
    const bool listening = Listen();
    SetActivationHandler(std::move(activate));
    return listening;
}

void SingleInstanceLock::SetActivationHandler(std::function<void(const QString& file)> activate) {
    m_activate = std::move(activate);
    if (!m_activate) return;
    for (const QString& file : std::exchange(m_pendingRequests, {})) m_activate(file);
}

bool SingleInstanceLock::Listen() {
    if (!m_held) return false;
    if (m_server) return true;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left here belongs to a copy that is gone.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        m_server.reset();
        return false;
    }
    QLocalServer* server = m_server.get();
    // Handled from the event loop, never inside the socket's own signal: the handler may run nested
    // event loops (a progress box, a message box), in which the socket, gone meanwhile, is deleted.
    const auto activate = [this, server](const QString& file) {
        QTimer::singleShot(0, server, [this, file] {
            if (m_activate) {
                m_activate(file);
            } else {
                m_pendingRequests.push_back(file);
            }
        });
    };
    QObject::connect(server, &QLocalServer::newConnection, server, [server, activate] {
        while (QLocalSocket* caller = server->nextPendingConnection()) {
            QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            QObject::connect(caller, &QLocalSocket::readyRead, caller, [caller, activate] {
                while (caller->canReadLine()) {
                    const QByteArray line = caller->readLine();
                    if (line == kActivateRequest) {
                        activate(QString());
                    } else if (line.startsWith(kOpenRequest) && line.endsWith('\n')) {
                        const QByteArray encoded = line.mid(int(sizeof kOpenRequest) - 1).chopped(1);
                        activate(QString::fromUtf8(QByteArray::fromPercentEncoding(encoded)));
                    }
                }
            });
        }
    });
    return true;
}

bool SingleInstanceLock::ActivateRunningCopy(const QString& file, int waitMs) const {
    QLocalSocket socket;
    const QDeadlineTimer deadline(waitMs);
    // The holder takes the lock a moment before it listens: a refused connection is tried again.
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
        socket.abort();
        if (deadline.hasExpired()) return false;
        QThread::msleep(
            static_cast<unsigned long>(std::min<qint64>(kRetryPauseMs, deadline.remainingTime())));
    }
    if (file.isEmpty()) {
        socket.write(kActivateRequest);
    } else {
        socket.write(QByteArray(kOpenRequest) + file.toUtf8().toPercentEncoding() + '\n');
    }
    const bool sent = socket.waitForBytesWritten(waitMs);
    socket.disconnectFromServer();
    return sent;
}

}  // namespace dezadav
