#pragma once

#include <QDateTime>
#include <QString>

#include "db/DbConnection.h"
#include "db/Recordset.h"
#include "platform/Clock.h"

// A statement or query on a given connection, rewritten for the engine; nothing is recorded.
// affected receives the rows it wrote; bindings fill its "?" marks in order.
DbResult ExecuteStatement(const DbConnection& connection, const QString& sql,
                          int* affected = nullptr, const QVariantList& bindings = {});
DbResult OpenRecordset(const DbConnection& connection, Recordset& recordset, const QString& sql);
// A write of rows that every program of the suite writes too (run history, link messages): short
// waits for the file, with the window repainted between them, for as long as the connection's
// timeout, so that a busy file neither loses the row nor freezes the window meanwhile.
DbResult ExecuteShared(const DbConnection& connection, const QString& sql);

// Statements that only read, run in one read transaction: the file is locked and its header
// checked once instead of once a statement, which on a file server is a round trip each. Only
// for stretches without a wait for the user: the lock keeps writers of other programs waiting.
class ReadTogether {
public:
    explicit ReadTogether(const DbConnection& connection);
    ~ReadTogether();
    ReadTogether(const ReadTogether&) = delete;
    ReadTogether& operator=(const ReadTogether&) = delete;

private:
    QSqlDatabase db_;
    bool started_ = false;
};

// Writes that belong together: all of them or none. On a file the write lock is taken at the
// start (BEGIN IMMEDIATE), so that no other writer slips in between the reads and the writes;
// a server takes its own transaction. Rolled back unless committed.
class WriteTogether {
public:
    explicit WriteTogether(const DbConnection& connection);
    ~WriteTogether();
    WriteTogether(const WriteTogether&) = delete;
    WriteTogether& operator=(const WriteTogether&) = delete;
    // True once the transaction has begun; else why it could not.
    const DbResult& begun() const { return begun_; }
    DbResult commit();

private:
    QSqlDatabase db_;
    bool server_ = false;
    bool open_ = false;
    DbResult begun_;
};

// Who writes a row of the run history: what every row carries besides its note.
struct HistoryAuthor {
    QString officeCode;
    QString staffCode;
    QString userName;
};

// What the access layer works on: the two process-wide connections, and the run history where it
// records the statements it is asked to log and every failure. The process context is one.
class DbSession {
public:
    explicit DbSession(const Clock& processClock) : clock(processClock) {}
    DbSession(const DbSession&) = delete;
    DbSession& operator=(const DbSession&) = delete;

    const Clock& clock;
    DbConnection config{QStringLiteral("config"), DbRole::Configuration};
    DbConnection business{QStringLiteral("business"), DbRole::Business};
    // The proccounter of the run history; restarts with every open of the environment.
    qint64 statementCounter = 0;

    // Who the rows of the run history are written by, at the moment of writing.
    virtual HistoryAuthor historyAuthor() const = 0;

protected:
    ~DbSession() = default;
};

// The insert of one run-history row; the row keeps note exactly as given.
QString ComposeHistoryStatement(const QDateTime& moment, qint64 counter, const QString& note,
                                const QString& officeCode, const QString& staffCode,
                                const QString& userName);

// Raises the counter and writes one row on the configuration connection; a failure is swallowed.
void WriteHistoryRow(DbSession& session, const QString& note);

// Every statement of the system goes through these. They answer true on success; a failure is
// recorded as an "エラー " row of the run history and never shown.

// True when the result has at least one row; the recordset stays open, also when empty.
bool OpenConfigRecordset(DbSession& session, Recordset& recordset, const QString& sql);
bool OpenBusinessRecordset(DbSession& session, Recordset& recordset, const QString& sql, bool log);
bool ExecuteConfig(DbSession& session, const QString& sql);
// The same for a run-history or link row, through ExecuteShared.
bool ExecuteConfigShared(DbSession& session, const QString& sql);
// Also leaves a "出力終了 " row for the statement.
bool ExecuteConfigLogged(DbSession& session, const QString& sql);
// affected, when given, receives the number of rows the statement changed.
bool ExecuteBusiness(DbSession& session, const QString& sql, bool log, int* affected = nullptr);

void WriteStatementRecord(DbSession& session, const QString& text);
void WriteErrorRecord(DbSession& session, const QString& text);
// The row of a connection that could not be opened.
void WriteOpenErrorRecord(DbSession& session, const DbError& error);

// Opens a connection to the business database a database definition names, by its kind and
// provider.
DbResult OpenBusinessDatabase(const DatabaseDefinition& definition, DbConnection& connection);
