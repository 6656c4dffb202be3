#include "app/FrontRequest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
namespace {
void ToFront(QWidget& window) {
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

// Only a pipe of the user's own, in a folder of the user's own, is used: no other user can put
// one there to read the requests or to be written to.
bool IsOwnPipe(int pipe) {
    struct stat status {};
    return ::fstat(pipe, &status) == 0 && S_ISFIFO(status.st_mode) && status.st_uid == ::geteuid();
}
}  // namespace

bool AskRunningMenuToFront(const QString& name) {
    if (!IsOwnFolder(QFileInfo(name).path())) {
        return false;
    }
    // Opening a pipe for writing without waiting fails unless a reader has it open: only a
    // running menu takes the request.
    const int pipe =
        ::open(QFile::encodeName(name).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (pipe < 0) {
        return false;
    }
    const bool sent =
        IsOwnPipe(pipe) &&
        ::write(pipe, kRequest.constData(), size_t(kRequest.size())) == ssize_t(kRequest.size());
    ::close(pipe);
    return sent;
}

FrontRequestListener::FrontRequestListener(const QString& name, QWidget& window)
    : QObject(&window), path_(QFile::encodeName(name)) {
    if (!IsOwnFolder(QFileInfo(name).path())) {
        return;
    }
    // A pipe left by a crashed run would do, but one of another owner or kind would not; the
    // lock already proved the earlier run gone.
    ::unlink(path_.constData());
    if (::mkfifo(path_.constData(), 0600) != 0) {
        return;
    }
    // Read and write: the menu keeps a writer of its own, so that a request's end never reads
    // as the end of the pipe.
    pipe_ = ::open(path_.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (pipe_ >= 0 && !IsOwnPipe(pipe_)) {
        ::close(pipe_);
        pipe_ = -1;
    }
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
        // Before the menu is shown the sign-in dialog, or a box, is what the user waits for;
        // afterwards a box of the menu comes up with it.
        if (window.isVisible()) {
            ToFront(window);
        }
        if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
            ToFront(*modal);
        }
    });
}

FrontRequestListener::~FrontRequestListener() {
    if (pipe_ < 0) {
        return;
    }
    // Removed only while the name is still this pipe.
    struct stat own {};
    struct stat named {};
    if (::fstat(pipe_, &own) == 0 && ::lstat(path_.constData(), &named) == 0 &&
        own.st_dev == named.st_dev && own.st_ino == named.st_ino) {
        ::unlink(path_.constData());
    }
    ::close(pipe_);
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
