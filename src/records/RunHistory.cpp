#include "records/RunHistory.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "platform/ProcessInfo.h"

bool LoadSignedInCode(AppContext& ctx) {
    ctx.staff.code.clear();
    Recordset recordset;
    if (OpenConfigRecordset(
            ctx, recordset,
            QStringLiteral("SELECT * FROM 動作環境定義 WHERE 動作環境定義ID = '001'"))) {
        ctx.staff.code = recordset.text(QStringLiteral("起動担当者コード"));
    }
    recordset.close();
    return !TrimBlanks(ctx.staff.code).isEmpty();
}

void WriteRunStart(AppContext& ctx) {
    // The signed-in code as the environment row was read a moment ago, in the same read.
    ctx.staff.code = ctx.environment.signedInCode;
    WriteHistoryRow(ctx, QStringLiteral("開始 ") + ctx.commandText);
}

void WriteRunEnd(AppContext& ctx) {
    WriteHistoryRow(ctx, QStringLiteral("終了"));
}
