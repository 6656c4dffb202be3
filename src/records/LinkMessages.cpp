#include "records/LinkMessages.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "records/Connections.h"
#include "records/RunHistory.h"
#include "text/DateText.h"

void ReceiveLinkRequest(AppContext& ctx, const QString& startInfo, const QString& earliest) {
    ctx.link.receivedSenderId.clear();
    Recordset recordset;
    // The row id names the one row taken: another program's request of the same second and
    // sender, or a second identical one, stays.
    if (!OpenConfigRecordset(
            ctx, recordset,
            QStringLiteral("SELECT rowid, * FROM プログラム連携情報 WHERE 発信日時 >= ") +
                SqlQuote(earliest) + QStringLiteral(" AND 受信プログラムID = ") +
                SqlQuote(kProgramId) + QStringLiteral(" AND 起動連携情報 = ") +
                SqlQuote(startInfo) + QStringLiteral(" AND 連携区分 = '00'"))) {
        recordset.close();
        return;
    }
    const QString row =
        QString::number(recordset.field(QStringLiteral("rowid")).value_or(0).toLongLong());
    const QString sentAt = recordset.text(QStringLiteral("発信日時"));
    const QString receiver = recordset.text(QStringLiteral("受信プログラムID"));
    ctx.link.receivedSenderId = recordset.text(QStringLiteral("発信プログラムID"));
    ctx.link.receivedStartInfo = recordset.text(QStringLiteral("起動連携情報"));
    // Finished first, so that the delete never runs under an open read of the same table.
    recordset.close();
    ExecuteConfigShared(ctx, QStringLiteral("DELETE FROM プログラム連携情報 WHERE rowid = ") + row +
                                 QStringLiteral(" AND 発信日時 = ") + SqlQuote(sentAt) +
                                 QStringLiteral(" AND 発信プログラムID = ") +
                                 SqlQuote(ctx.link.receivedSenderId) +
                                 QStringLiteral(" AND 受信プログラムID = ") + SqlQuote(receiver) +
                                 QStringLiteral(" AND 連携区分 = '00'"));
}

void SendLinkCompletion(AppContext& ctx) {
    LoadSignedInCode(ctx);
    const QString now = FormatTimestamp(ctx.clock.now());
    ExecuteConfigShared(
        ctx, QStringLiteral("INSERT INTO プログラム連携情報 (発信日時,発信プログラムID,"
                            "受信プログラムID,受信期限,連携区分,起動連携情報,終了連携情報,"
                            "運用事業所コード,起動担当者コード,ユーザID)VALUES (") +
                 SqlQuote(now) + QStringLiteral(", ") + SqlQuote(ctx.link.receivedSenderId) +
                 QStringLiteral(", ") + SqlQuote(kProgramId) + QStringLiteral(", ") +
                 SqlQuote(now) + QStringLiteral(", '99', ") + SqlQuote(ctx.link.receivedStartInfo) +
                 QStringLiteral(", ") + SqlQuote(ctx.link.endInfo) + QStringLiteral(", ") +
                 SqlQuote(ctx.environment.operatingOfficeCode) + QStringLiteral(", ") +
                 SqlQuote(ctx.staff.code) + QStringLiteral(", ") + SqlQuote(ctx.paths.userName) +
                 QLatin1Char(')'));
    ReopenConfigConnection(ctx);
}
