#pragma once

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <atomic>
#include <barrier>

// Connections on one database file, each on its own thread, take their read locks together:
// while any of them holds its lock no writer commits, so every one of them reads the same moment.
// A writer waiting to commit holds new read locks back; then all are let go and taken again after
// it has committed.
class ReadLocksTogether {
public:
    // parties: the connections that take part; timeoutMs: how long they try.
    ReadLocksTogether(int parties, int timeoutMs);

    // Called by every party on its own thread once its connection is open; true when all hold
    // their locks, each in a transaction that stays open. A party without a connection takes
    // part with usable false, and then none keeps its lock.
    bool take(const QSqlDatabase& db, bool usable);

private:
    struct Verdict {
        ReadLocksTogether* self;
        void operator()() noexcept;
    };
    QDeadlineTimer deadline_;
    std::atomic<bool> failed_{false};
    std::atomic<bool> broken_{false};
    bool allHeld_ = false;
    bool givenUp_ = false;
    std::barrier<Verdict> sync_;
};
