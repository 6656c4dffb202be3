#include "db/DbAccess.h"

#include <QSqlError>
#include <QSqlQuery>

#include "app/AppContext.h"
#include "db/JetTranslator.h"
#include "db/SqlText.h"
#include "records/RunHistory.h"

namespace {
DbError NotOpen() {
    return {kUnspecifiedDbError, QStringLiteral("データベースの接続が開かれていません。")};
}

std::optional<DbError> Execute(const DbConnection& connection, const QString& sql,
                               int* affected = nullptr) {
    if (!connection.isOpen()) {
        return NotOpen();
    }
    QSqlQuery query(connection.database());
    if (!query.exec(TranslateForEngine(sql))) {
        return ToDbError(query.lastError());
    }
    if (affected != nullptr) {
        *affected = query.numRowsAffected();
    }
    return std::nullopt;
}

std::optional<DbError> Open(const DbConnection& connection, Recordset& recordset,
                            const QString& sql) {
    if (!connection.isOpen()) {
        recordset.close();
        return NotOpen();
    }
    return recordset.open(connection.database(), TranslateForEngine(sql));
}

// A failing statement on the run history is not recorded in that same table.
void RecordConfigFailure(AppContext& ctx, const DbError& error, const QString& sql) {
    if (!sql.contains(QStringLiteral("プログラム稼動履歴"), Qt::CaseInsensitive)) {
        WriteErrorRecord(ctx, error.description + sql);
    }
}
}  // namespace

bool OpenConfigRecordset(AppContext& ctx, Recordset& recordset, const QString& sql) {
    if (auto error = Open(ctx.config, recordset, sql)) {
        RecordConfigFailure(ctx, *error, sql);
        return false;
    }
    return !recordset.atEnd();
}

bool OpenBusinessRecordset(AppContext& ctx, Recordset& recordset, const QString& sql, bool log) {
    if (auto error = Open(ctx.business, recordset, sql)) {
        WriteErrorRecord(ctx, error->description + sql);
        return false;
    }
    if (log) {
        WriteStatementRecord(ctx, sql);
    }
    return !recordset.atEnd();
}

bool ExecuteConfig(AppContext& ctx, const QString& sql) {
    if (auto error = Execute(ctx.config, sql)) {
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
    if (auto error = Execute(ctx.business, sql, affected)) {
        WriteErrorRecord(ctx, error->description + sql);
        return false;
    }
    if (log) {
        WriteStatementRecord(ctx, sql);
    }
    return true;
}

void WriteStatementRecord(AppContext& ctx, const QString& text) {
    WriteHistoryRow(ctx, QStringLiteral("出力終了 ") + EscapeSqlText(EscapeSqlText(text)));
}

void WriteErrorRecord(AppContext& ctx, const QString& text) {
    WriteHistoryRow(ctx, QStringLiteral("エラー ") + EscapeSqlText(EscapeSqlText(text)));
}

bool OpenBusinessConnection(AppContext& ctx) {
    const DatabaseDefinition& definition = ctx.databaseDefinition;
    std::optional<DbError> failure;
    if (definition.kind == QLatin1String("A")) {
        failure = ctx.business.open(ComposeBusinessConnectionString(definition));
    } else if (definition.kind == QLatin1String("S") || definition.kind == QLatin1String("O")) {
        failure =
            DbError{kUnspecifiedDbError,
                    QStringLiteral("データベース種別「%1」の接続はこの版ではまだ使用できません。")
                        .arg(definition.kind)};
    } else {
        // An unknown kind opens nothing; answering success would only move the failure to every
        // later statement.
        failure =
            DbError{kUnspecifiedDbError,
                    QStringLiteral("データベース種別「%1」は不明です。").arg(definition.kind)};
    }
    if (failure) {
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
