#include "app/FrontRequest.h"

#include <QDir>
#include <QLocalSocket>
#include <QWidget>

#include "platform/ProcessInfo.h"

namespace {
const QByteArray kRequest = "front\n";
const QByteArray kAnswer = "shown\n";
constexpr int kWaitMs = 2000;
}  // namespace

QString FrontRequestName(const ProcessInfo& process) {
    const QString name =
        process.executableName + QLatin1Char('-') + process.userName + QStringLiteral(".socket");
#ifdef Q_OS_WIN
    return name;
#else
    // Beside the lock, in a folder of the user's own, not in the TMPDIR of whoever started it.
    return QDir(process.lockFolder).filePath(name);
#endif
}

bool AskRunningMenuToFront(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kWaitMs)) {
        return false;
    }
    socket.write(kRequest);
    return socket.waitForBytesWritten(kWaitMs) && socket.waitForReadyRead(kWaitMs) &&
           socket.readLine() == kAnswer;
}

FrontRequestListener::FrontRequestListener(const QString& name, QWidget& window)
    : QLocalServer(&window) {
    // A socket left by a crashed run would block the name; the lock already proved it stale.
    QLocalServer::removeServer(name);
    setSocketOptions(QLocalServer::UserAccessOption);
    listen(name);
    connect(this, &QLocalServer::newConnection, this, [this, &window] {
        while (QLocalSocket* socket = nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [socket, &window] {
                if (!socket->canReadLine() || socket->readLine() != kRequest) {
                    return;
                }
                window.setWindowState((window.windowState() & ~Qt::WindowMinimized) |
                                      Qt::WindowActive);
                window.show();
                window.raise();
                window.activateWindow();
                socket->write(kAnswer);
            });
        }
    });
}
