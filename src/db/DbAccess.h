#pragma once

#include <QString>

#include "db/DbConnection.h"
#include "db/Recordset.h"

struct AppContext;

// A statement or query on a given connection, rewritten for the engine; nothing is recorded.
// affected receives the rows it wrote; bindings fill its "?" marks in order.
std::optional<DbError> ExecuteStatement(const DbConnection& connection, const QString& sql,
                                        int* affected = nullptr, const QVariantList& bindings = {});
std::optional<DbError> OpenRecordset(const DbConnection& connection, Recordset& recordset,
                                     const QString& sql);
// A write of rows that every program of the suite writes too (run history, link messages): short
// waits for the file, with the window repainted between them, for as long as the connection's
// timeout, so that a busy file neither loses the row nor freezes the window meanwhile.
std::optional<DbError> ExecuteShared(const DbConnection& connection, const QString& sql);

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
    // Why the transaction could not begin; nullopt once it has.
    const std::optional<DbError>& failure() const { return failure_; }
    std::optional<DbError> commit();

private:
    QSqlDatabase db_;
    bool server_ = false;
    bool open_ = false;
    std::optional<DbError> failure_;
};

// Every statement of the system goes through these. They answer true on success; a failure is
// recorded as an "エラー " row of the run history and never shown.

// True when the result has at least one row; the recordset stays open, also when empty.
bool OpenConfigRecordset(AppContext& ctx, Recordset& recordset, const QString& sql);
bool OpenBusinessRecordset(AppContext& ctx, Recordset& recordset, const QString& sql, bool log);
bool ExecuteConfig(AppContext& ctx, const QString& sql);
// The same for a run-history or link row, through ExecuteShared.
bool ExecuteConfigShared(AppContext& ctx, const QString& sql);
// Also leaves a "出力終了 " row for the statement.
bool ExecuteConfigLogged(AppContext& ctx, const QString& sql);
// affected, when given, receives the number of rows the statement changed.
bool ExecuteBusiness(AppContext& ctx, const QString& sql, bool log, int* affected = nullptr);

void WriteStatementRecord(AppContext& ctx, const QString& text);
void WriteErrorRecord(AppContext& ctx, const QString& text);

// Opens a connection to the business database a database definition names, by its kind and
// provider.
std::optional<DbError> OpenBusinessDatabase(const DatabaseDefinition& definition,
                                            DbConnection& connection);
// Opens the business database the database definition names.
bool OpenBusinessConnection(AppContext& ctx);
// Closes and re-opens the user's configuration database; answers the open flag.
bool ReopenConfigConnection(AppContext& ctx);
// Opens the user's configuration database (the copy every later statement uses).
std::optional<DbError> OpenUserConfig(AppContext& ctx);
