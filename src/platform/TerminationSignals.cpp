#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace {
// A signal handler receives no context, so the write end of the pipe is the one thing it can find
// only here; it is set once while the handlers are installed.
std::atomic<int> signalWriteFd{-1};
std::atomic<void (*)() noexcept> signalAlso{nullptr};

void OnTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    if (const auto also = signalAlso.load()) {
        also();
    }
    const int fd = signalWriteFd.load();
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent, void (*alsoAtOnce)() noexcept)
    : QObject(parent) {
    signalAlso.store(alsoAtOnce);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) {
        return;
    }
    signalWriteFd.store(fds_[0]);
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(fds_[1], &byte, 1);
        Q_EMIT received();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signalWriteFd.store(-1);
    signalAlso.store(nullptr);
    delete notifier_;
    for (int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

#else

TerminationSignals::TerminationSignals(QObject* parent, void (*)() noexcept) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;

#endif
