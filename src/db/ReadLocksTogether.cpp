#include "db/ReadLocksTogether.h"

#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace {
// Long enough for a writer's commit, short enough that a writer waiting for the locks already
// held is let in soon.
constexpr int kRoundWaitMs = 100;
constexpr int kRoundPauseMs = 5;
}  // namespace

ReadLocksTogether::ReadLocksTogether(int parties, int timeoutMs)
    : deadline_(timeoutMs), sync_(parties, Verdict{this}) {}

void ReadLocksTogether::Verdict::operator()() noexcept {
    self->allHeld_ = !self->failed_.exchange(false);
    self->givenUp_ = self->broken_.load() || self->deadline_.hasExpired();
}

bool ReadLocksTogether::take(const QSqlDatabase& db, bool usable) {
    QSqlQuery query(db);
    int busyTimeout = 0;
    if (usable && query.exec(QStringLiteral("PRAGMA busy_timeout")) && query.next()) {
        busyTimeout = query.value(0).toInt();
    }
    // No party holds a lock while another still opens its file: a writer waiting for the first
    // would hold the other's open back, and both would wait.
    sync_.arrive_and_wait();
    for (;;) {
        bool held = false;
        if (usable) {
            query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kRoundWaitMs));
            held = query.exec(QStringLiteral("BEGIN")) &&
                   query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next();
            query.finish();
            query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeout));
        }
        if (!held) {
            failed_.store(true);
        }
        if (!usable) {
            broken_.store(true);
        }
        sync_.arrive_and_wait();
        // The verdict of this round stays until every party has arrived at the next one.
        if (allHeld_) {
            return true;
        }
        query.exec(QStringLiteral("ROLLBACK"));
        if (givenUp_) {
            return false;
        }
        QThread::msleep(kRoundPauseMs);
    }
}
