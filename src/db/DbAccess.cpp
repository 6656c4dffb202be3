#include "db/DbAccess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSqlError>
#include <QSqlQuery>

#include "db/DatabaseFile.h"
#include "db/Engine.h"
#include "db/JetTranslator.h"
#include "db/SqlText.h"
#include "platform/ProcessInfo.h"
#include "text/DateText.h"

namespace {
DbError NotOpen() {
    return {kUnspecifiedDbError, QStringLiteral("データベースの接続が開かれていません。")};
}

}  // namespace

DbResult ExecuteStatement(const DbConnection& connection, const QString& sql, int* affected,
                          const QVariantList& bindings) {
    if (!connection.isOpen()) {
        return NotOpen();
    }
    const EngineStatement statement = TranslateStatement(sql);
    if (!statement.attachFile.isEmpty() && connection.isServer()) {
        qint64 copied = 0;
        auto result = CopyRowsIntoFile(connection.database(), statement.rowsQuery, bindings,
                                       statement.attachFile, statement.targetTable,
                                       statement.createsTable, &copied);
        if (affected != nullptr) {
            *affected = int(copied);
        }
        return result;
    }
    QSqlQuery query(connection.database());
    if (!statement.attachFile.isEmpty()) {
        if (auto problem = CheckDatabaseFile(statement.attachFile); !problem) {
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
    QString first = statement.sql;
    QVariantList marks = bindings;
    // The new table takes the columns as the source declares them: a table made from the rows
    // alone would hold INT for INTEGER and TEXT for VARCHAR(60).
    if (statement.createsTable) {
        if (const auto columns = DeclaredColumns(connection.database(), statement.rowsQuery)) {
            first = QStringLiteral("CREATE TABLE %1.%2 (%3)")
                        .arg(kTargetSchema, SqlIdentifier(statement.targetTable), *columns);
            marks.clear();
        }
    }
    DbResult result;
    if (!ExecBound(query, first, marks) ||
        (!statement.fill.isEmpty() && !ExecBound(query, statement.fill, bindings))) {
        result = ToDbError(query.lastError());
    } else if (affected != nullptr) {
        *affected = query.numRowsAffected();
    }
    query.finish();
    if (!statement.attachFile.isEmpty()) {
        query.exec(QStringLiteral("DETACH DATABASE ") + kTargetSchema);
    }
    return result;
}

namespace {
bool IsBusy(const DbError& error) {
    const qint64 primary = error.number & 0xff;
    return primary == 5 || primary == 6;  // the file, or a table of it, is locked
}

constexpr int kSharedWaitMs = 200;
}  // namespace

DbResult ExecuteShared(const DbConnection& connection, const QString& sql) {
    if (!connection.isOpen()) {
        return NotOpen();
    }
    QSqlQuery query(connection.database());
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kSharedWaitMs));
    const QDeadlineTimer deadline(std::chrono::seconds(connection.settings.connectionTimeout));
    DbResult result;
    while (!query.exec(sql)) {
        result = ToDbError(query.lastError());
        if (!IsBusy(result.error()) || deadline.hasExpired()) {
            break;
        }
        result = {};
        // Paint only: no click and no signal is handled in the middle of a write.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
    }
    query.finish();
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1")
                   .arg(connection.settings.connectionTimeout * 1000));
    return result;
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
        begun_ = NotOpen();
        return;
    }
    QSqlQuery begin(db_);
    open_ = server_ ? db_.transaction() : begin.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!open_) {
        begun_ = ToDbError(server_ ? db_.lastError() : begin.lastError());
    }
}

WriteTogether::~WriteTogether() {
    if (open_) {
        server_ ? db_.rollback() : QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
    }
}

DbResult WriteTogether::commit() {
    if (!open_) {
        return begun_ ? DbResult(NotOpen()) : begun_;
    }
    QSqlQuery end(db_);
    if (!(server_ ? db_.commit() : end.exec(QStringLiteral("COMMIT")))) {
        return ToDbError(server_ ? db_.lastError() : end.lastError());
    }
    open_ = false;
    return {};
}

DbResult OpenRecordset(const DbConnection& connection, Recordset& recordset, const QString& sql) {
    if (!connection.isOpen()) {
        recordset.close();
        return NotOpen();
    }
    // The first read after another member turned the file to its write-ahead log opens the log.
    const QString statement = TranslateForEngine(sql);
    return TryWhileLogIsMade([&] { return recordset.open(connection.database(), statement); });
}

namespace {
// A failing statement on the run history is not recorded in that same table.
void RecordConfigFailure(DbSession& session, const DbError& error, const QString& sql) {
    if (!sql.contains(QStringLiteral("プログラム稼動履歴"), Qt::CaseInsensitive)) {
        WriteErrorRecord(session, error.description + sql);
    }
}
}  // namespace

bool OpenConfigRecordset(DbSession& session, Recordset& recordset, const QString& sql) {
    if (auto result = OpenRecordset(session.config, recordset, sql); !result) {
        RecordConfigFailure(session, result.error(), sql);
        return false;
    }
    return !recordset.atEnd();
}

bool OpenBusinessRecordset(DbSession& session, Recordset& recordset, const QString& sql, bool log) {
    if (auto result = OpenRecordset(session.business, recordset, sql); !result) {
        WriteErrorRecord(session, result.error().description + sql);
        return false;
    }
    if (log) {
        WriteStatementRecord(session, sql);
    }
    return !recordset.atEnd();
}

bool ExecuteConfig(DbSession& session, const QString& sql) {
    if (auto result = ExecuteStatement(session.config, sql); !result) {
        RecordConfigFailure(session, result.error(), sql);
        return false;
    }
    return true;
}

bool ExecuteConfigShared(DbSession& session, const QString& sql) {
    if (auto result = ExecuteShared(session.config, sql); !result) {
        RecordConfigFailure(session, result.error(), sql);
        return false;
    }
    return true;
}

bool ExecuteConfigLogged(DbSession& session, const QString& sql) {
    if (!ExecuteConfig(session, sql)) {
        return false;
    }
    WriteStatementRecord(session, sql);
    return true;
}

bool ExecuteBusiness(DbSession& session, const QString& sql, bool log, int* affected) {
    if (auto result = ExecuteStatement(session.business, sql, affected); !result) {
        WriteErrorRecord(session, result.error().description + sql);
        return false;
    }
    if (log) {
        WriteStatementRecord(session, sql);
    }
    return true;
}

QString ComposeHistoryStatement(const QDateTime& moment, qint64 counter, const QString& note,
                                const QString& officeCode, const QString& staffCode,
                                const QString& userName) {
    return QStringLiteral(
               "INSERT INTO プログラム稼動履歴 "
               "(実行日付,プログラムID,proccounter,摘要,運用事業所コード,起動担当者コード,ユーザID)"
               "VALUES ('") +
           FormatTimestamp(moment) + QStringLiteral("', '") + kProgramId + QStringLiteral("', '") +
           QStringLiteral("%1").arg(counter, 12, 10, QLatin1Char('0')) + QStringLiteral("', ") +
           SqlQuote(note) + QStringLiteral(", ") + SqlQuote(officeCode) + QStringLiteral(", ") +
           SqlQuote(staffCode) + QStringLiteral(", ") + SqlQuote(userName) + QLatin1Char(')');
}

void WriteHistoryRow(DbSession& session, const QString& note) {
    ++session.statementCounter;
    const HistoryAuthor author = session.historyAuthor();
    const QString sql =
        ComposeHistoryStatement(session.clock.now(), session.statementCounter, note,
                                author.officeCode, author.staffCode, author.userName);
    if (!session.config.isOpen()) {
        return;
    }
    // History never disturbs the run: a row that cannot be written is simply missing.
    static_cast<void>(ExecuteShared(session.config, sql));
}

void WriteStatementRecord(DbSession& session, const QString& text) {
    // The row keeps the statement with its quotes doubled, as the suite's other programs write it.
    WriteHistoryRow(session, QStringLiteral("出力終了 ") + EscapeSqlText(text));
}

void WriteErrorRecord(DbSession& session, const QString& text) {
    WriteHistoryRow(session, QStringLiteral("エラー ") + EscapeSqlText(text));
}

void WriteOpenErrorRecord(DbSession& session, const DbError& error) {
    WriteErrorRecord(session, QStringLiteral("DB_OPEN ERROR") + QString::number(error.number) +
                                  QLatin1Char(' ') + error.description);
}

DbResult OpenBusinessDatabase(const DatabaseDefinition& definition, DbConnection& connection) {
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
        const QString connect = definition.dataSourceName.isEmpty()
                                    ? ComposeOdbcConnectText(definition)
                                    : QStringLiteral("DSN=") + definition.dataSourceName +
                                          QStringLiteral(";UID=") + definition.userId +
                                          QStringLiteral(";PWD=") + definition.password +
                                          QLatin1Char(';');
        return connection.openOdbc(connect);
    }
    // An unknown kind opens nothing; whoever reads the data directly (the backup, the check)
    // is told why.
    connection.markNotOpened();
    return DbError{kUnspecifiedDbError,
                   QStringLiteral("データベース種別「%1」は不明です。").arg(definition.kind)};
}
