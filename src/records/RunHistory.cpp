#include "records/RunHistory.h"

#include "app/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "text/DateText.h"

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

void WriteHistoryRow(AppContext& ctx, const QString& note) {
    ++ctx.statementCounter;
    const QString sql = ComposeHistoryStatement(ctx.clock.now(), ctx.statementCounter, note,
                                                ctx.environment.operatingOfficeCode, ctx.staff.code,
                                                ctx.paths.userName);
    if (!ctx.config.isOpen()) {
        return;
    }
    // History never disturbs the run: a row that cannot be written is simply missing.
    ExecuteShared(ctx.config, sql);
}

void WriteRunStart(AppContext& ctx) {
    // The signed-in code as the environment row was read a moment ago, in the same read.
    ctx.staff.code = ctx.environment.signedInCode;
    WriteHistoryRow(ctx, QStringLiteral("開始 ") + ctx.commandText);
}

void WriteRunEnd(AppContext& ctx) {
    WriteHistoryRow(ctx, QStringLiteral("終了"));
}
