#include "app/FrontRequest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QWidget>

#include "platform/ProcessInfo.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const QByteArray kRequest = "front\n";
}  // namespace

QString FrontRequestName(const ProcessInfo& process) {
    // Beside the lock, in a folder of the user's own, not in the TMPDIR of whoever started it.
    return QDir(process.lockFolder)
        .filePath(process.executableName + QLatin1Char('-') + process.userName +
                  QStringLiteral(".front"));
}

#ifndef Q_OS_WIN
bool AskRunningMenuToFront(const QString& name) {
    // Opening a pipe for writing without waiting fails unless a reader has it open: only a
    // running menu takes the request.
    const int pipe = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (pipe < 0) {
        return false;
    }
    struct stat status {};
    const bool sent =
        ::fstat(pipe, &status) == 0 && S_ISFIFO(status.st_mode) &&
        ::write(pipe, kRequest.constData(), size_t(kRequest.size())) == ssize_t(kRequest.size());
    ::close(pipe);
    return sent;
}

FrontRequestListener::FrontRequestListener(const QString& name, QWidget& window)
    : QObject(&window) {
    const QByteArray path = QFile::encodeName(name);
    // A pipe left by a crashed run would do, but one of another owner or kind would not; the
    // lock already proved the earlier run gone.
    ::unlink(path.constData());
    if (::mkfifo(path.constData(), 0600) != 0) {
        return;
    }
    // Read and write: the menu keeps a writer of its own, so that a request's end never reads
    // as the end of the pipe.
    pipe_ = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (pipe_ < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(qintptr(pipe_), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, &window] {
        char buffer[64];
        bool asked = false;
        ssize_t count = 0;
        while ((count = ::read(pipe_, buffer, sizeof buffer)) > 0) {
            asked = asked || QByteArray::fromRawData(buffer, int(count)).contains('\n');
        }
        if (!asked) {
            return;
        }
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window.show();
        window.raise();
        window.activateWindow();
        // A window that waits for work or an answer stays in front of the menu.
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->raise();
            modal->activateWindow();
        }
    });
}

FrontRequestListener::~FrontRequestListener() {
    if (pipe_ >= 0) {
        ::close(pipe_);
    }
}
#else
// The pipe is a POSIX one; on Windows a second start simply ends until a named pipe of its own
// takes this place.
bool AskRunningMenuToFront(const QString&) {
    return false;
}

FrontRequestListener::FrontRequestListener(const QString&, QWidget& window) : QObject(&window) {}

FrontRequestListener::~FrontRequestListener() = default;
#endif
