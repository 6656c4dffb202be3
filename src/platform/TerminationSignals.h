#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a signal of the event loop, so that the program can end in its
// ordinary way (end row written, link answered) when the session or an administrator stops it.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    // alsoAtOnce, when given, runs inside the signal handler itself (so it must be safe there):
    // for what must happen while the event loop is held up.
    explicit TerminationSignals(QObject* parent = nullptr, void (*alsoAtOnce)() noexcept = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received();

private:
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};
