#include "db/DbAccess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSqlError>
#include <QSqlQuery>

#include "app/AppContext.h"
#include "db/DatabaseFile.h"
#include "db/Engine.h"
#include "db/JetTranslator.h"
#include "db/SqlText.h"
#include "records/RunHistory.h"

namespace {
DbError NotOpen() {
    return {kUnspecifiedDbError, QStringLiteral("データベースの接続が開かれていません。")};
}

}  // namespace

std::optional<DbError> ExecuteStatement(const DbConnection& connection, const QString& sql,
                                        int* affected, const QVariantList& bindings) {
    if (!connection.isOpen()) {
        return NotOpen();
    }
    const EngineStatement statement = TranslateStatement(sql);
    if (!statement.attachFile.isEmpty() && connection.isServer()) {
        qint64 copied = 0;
        auto failure = CopyRowsIntoFile(connection.database(), statement.rowsQuery, bindings,
                                        statement.attachFile, statement.targetTable,
                                        statement.createsTable, &copied);
        if (affected != nullptr) {
            *affected = int(copied);
        }
        return failure;
    }
    QSqlQuery query(connection.database());
    if (!statement.attachFile.isEmpty()) {
        if (auto problem = CheckDatabaseFile(statement.attachFile)) {
            return problem;
        }
        if (!query.exec(QStringLiteral("ATTACH DATABASE %1 AS %2")
                            .arg(SqlQuote(statement.attachFile), kTargetSchema))) {
            return ToDbError(query.lastError());
        }
        // The target is a backup being written: no statement waits for the disk, but the
        // journal stays, so a statement that fails half-way is rolled back to a file that opens.
        query.exec(QStringLiteral("PRAGMA %1.synchronous = OFF").arg(kTargetSchema));
    }
    std::optional<DbError> failure;
    if (!ExecBound(query, statement.sql, bindings) ||
        (!statement.fill.isEmpty() && !ExecBound(query, statement.fill, bindings))) {
        failure = ToDbError(query.lastError());
    } else if (affected != nullptr) {
        *affected = query.numRowsAffected();
    }
    query.finish();
    if (!statement.attachFile.isEmpty()) {
        query.exec(QStringLiteral("DETACH DATABASE ") + kTargetSchema);
    }
    return failure;
}

namespace {
bool IsBusy(const DbError& error) {
    const qint64 primary = error.number & 0xff;
    return primary == 5 || primary == 6;  // the file, or a table of it, is locked
}

constexpr int kSharedWaitMs = 200;
}  // namespace

std::optional<DbError> ExecuteShared(const DbConnection& connection, const QString& sql) {
    if (!connection.isOpen()) {
        return NotOpen();
    }
    QSqlQuery query(connection.database());
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kSharedWaitMs));
    const QDeadlineTimer deadline(std::chrono::seconds(connection.settings.connectionTimeout));
    std::optional<DbError> failure;
    while (!query.exec(sql)) {
        failure = ToDbError(query.lastError());
        if (!IsBusy(*failure) || deadline.hasExpired()) {
            break;
        }
        failure.reset();
        // Paint only: no click and no signal is handled in the middle of a write.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
    }
    query.finish();
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1")
                   .arg(connection.settings.connectionTimeout * 1000));
    return failure;
}

ReadTogether::ReadTogether(const DbConnection& connection) {
    if (connection.isOpen()) {
        db_ = connection.database();
        started_ = connection.takeOpeningRead() || db_.transaction();
    }
}

ReadTogether::~ReadTogether() {
    if (started_ && !db_.commit()) {
        db_.rollback();
    }
}

WriteTogether::WriteTogether(const DbConnection& connection)
    : db_(connection.database()), server_(connection.isServer()) {
    if (!connection.isOpen()) {
        failure_ = NotOpen();
        return;
    }
    QSqlQuery begin(db_);
    open_ = server_ ? db_.transaction() : begin.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!open_) {
        failure_ = ToDbError(server_ ? db_.lastError() : begin.lastError());
    }
}

WriteTogether::~WriteTogether() {
    if (open_) {
        server_ ? db_.rollback() : QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
    }
}

std::optional<DbError> WriteTogether::commit() {
    if (!open_) {
        return failure_.value_or(NotOpen());
    }
    QSqlQuery end(db_);
    if (!(server_ ? db_.commit() : end.exec(QStringLiteral("COMMIT")))) {
        return ToDbError(server_ ? db_.lastError() : end.lastError());
    }
    open_ = false;
    return std::nullopt;
}

std::optional<DbError> OpenRecordset(const DbConnection& connection, Recordset& recordset,
                                     const QString& sql) {
    if (!connection.isOpen()) {
        recordset.close();
        return NotOpen();
    }
    return recordset.open(connection.database(), TranslateForEngine(sql));
}

namespace {
// A failing statement on the run history is not recorded in that same table.
void RecordConfigFailure(AppContext& ctx, const DbError& error, const QString& sql) {
    if (!sql.contains(QStringLiteral("プログラム稼動履歴"), Qt::CaseInsensitive)) {
        WriteErrorRecord(ctx, error.description + sql);
    }
}
}  // namespace

bool OpenConfigRecordset(AppContext& ctx, Recordset& recordset, const QString& sql) {
    if (auto error = OpenRecordset(ctx.config, recordset, sql)) {
        RecordConfigFailure(ctx, *error, sql);
        return false;
    }
    return !recordset.atEnd();
}

bool OpenBusinessRecordset(AppContext& ctx, Recordset& recordset, const QString& sql, bool log) {
    if (auto error = OpenRecordset(ctx.business, recordset, sql)) {
        WriteErrorRecord(ctx, error->description + sql);
        return false;
    }
    if (log) {
        WriteStatementRecord(ctx, sql);
    }
    return !recordset.atEnd();
}

bool ExecuteConfig(AppContext& ctx, const QString& sql) {
    if (auto error = ExecuteStatement(ctx.config, sql)) {
        RecordConfigFailure(ctx, *error, sql);
        return false;
    }
    return true;
}

bool ExecuteConfigShared(AppContext& ctx, const QString& sql) {
    if (auto error = ExecuteShared(ctx.config, sql)) {
        RecordConfigFailure(ctx, *error, sql);
        return false;
    }
    return true;
}

bool ExecuteConfigLogged(AppContext& ctx, const QString& sql) {
    if (!ExecuteConfig(ctx, sql)) {
        return false;
    }
    WriteStatementRecord(ctx, sql);
    return true;
}

bool ExecuteBusiness(AppContext& ctx, const QString& sql, bool log, int* affected) {
    if (auto error = ExecuteStatement(ctx.business, sql, affected)) {
        WriteErrorRecord(ctx, error->description + sql);
        return false;
    }
    if (log) {
        WriteStatementRecord(ctx, sql);
    }
    return true;
}

void WriteStatementRecord(AppContext& ctx, const QString& text) {
    // The row keeps the statement with its quotes doubled, as the suite's other programs write it.
    WriteHistoryRow(ctx, QStringLiteral("出力終了 ") + EscapeSqlText(text));
}

void WriteErrorRecord(AppContext& ctx, const QString& text) {
    WriteHistoryRow(ctx, QStringLiteral("エラー ") + EscapeSqlText(text));
}

std::optional<DbError> OpenBusinessDatabase(const DatabaseDefinition& definition,
                                            DbConnection& connection) {
    if (definition.kind == QLatin1String("A") || definition.kind == QLatin1String("S")) {
        return connection.open(ComposeBusinessConnectionString(definition));
    }
    if (definition.kind == QLatin1String("O")) {
        // Another provider is opened by what it is: a Jet or ACE provider reaches the file of
        // データソース名 and a server provider its server; anything else is an ODBC source, named
        // by データソース名 as a DSN or described by 接続文字列.
        if (IsFileProvider(definition.providerName) || IsServerProvider(definition.providerName)) {
            DatabaseDefinition direct = definition;
            direct.kind =
                IsFileProvider(definition.providerName) ? QStringLiteral("A") : QStringLiteral("S");
            return connection.open(ComposeBusinessConnectionString(direct));
        }
        const QString connect = definition.dataSourceName.trimmed().isEmpty()
                                    ? ComposeOdbcConnectText(definition)
                                    : QStringLiteral("DSN=") + definition.dataSourceName.trimmed() +
                                          QStringLiteral(";UID=") + definition.userId +
                                          QStringLiteral(";PWD=") + definition.password +
                                          QLatin1Char(';');
        return connection.openOdbc(connect);
    }
    // An unknown kind opens nothing; answering success would only move the failure to every
    // later statement.
    return DbError{kUnspecifiedDbError,
                   QStringLiteral("データベース種別「%1」は不明です。").arg(definition.kind)};
}

bool OpenBusinessConnection(AppContext& ctx) {
    if (const auto failure = OpenBusinessDatabase(ctx.databaseDefinition, ctx.business)) {
        ctx.business.openFlag = false;
        WriteErrorRecord(ctx, QStringLiteral("DB_OPEN ERROR") + QString::number(failure->number) +
                                  QLatin1Char(' ') + failure->description);
        return false;
    }
    ctx.business.openFlag = true;
    return true;
}

std::optional<DbError> OpenUserConfig(AppContext& ctx) {
    const QString path =
        JoinPath(ctx.paths.userConfigFolder,
                 QStringLiteral("usrcnfg") + DatabaseFileEnding(ctx.paths.configKind));
    return ctx.config.open(ComposeConfigConnectionString(ctx.paths.configKind, path, true));
}

bool ReopenConfigConnection(AppContext& ctx) {
    if (ctx.config.openFlag) {
        ctx.config.close();
        ctx.config.openFlag = false;
    }
    ctx.config.openFlag = !OpenUserConfig(ctx).has_value();
    return ctx.config.openFlag;
}
