#include "signin/SignedInCode.h"

#include "app/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "signin/StaffSignIn.h"

namespace {
const QString kUpdateFailed = QStringLiteral("データベースに問題が発生し修正できませんでした。");
}

bool LoadSignedInCode(AppContext& ctx) {
    ctx.staff.code.clear();
    Recordset recordset;
    if (OpenConfigRecordset(
            ctx, recordset,
            QStringLiteral("SELECT * FROM 動作環境定義 WHERE 動作環境定義ID = '001'"))) {
        ctx.staff.code = recordset.text(QStringLiteral("起動担当者コード"));
    }
    recordset.close();
    return !ctx.staff.code.trimmed().isEmpty();
}

void SaveSignedInCode(AppContext& ctx) {
    if (ctx.staff.code.trimmed().isEmpty()) {
        return;
    }
    if (!ExecuteConfigLogged(ctx, QStringLiteral("UPDATE 動作環境定義 SET 起動担当者コード = ") +
                                      SqlQuote(ctx.staff.code) +
                                      QStringLiteral("  WHERE 動作環境定義ID = '001'"))) {
        ctx.dialogs.information(kUpdateFailed);
        return;
    }
    LoadStaffRecord(ctx, ctx.staff.code);
}

void ClearSignedInCode(AppContext& ctx) {
    if (!ExecuteConfig(ctx, QStringLiteral("UPDATE 動作環境定義 SET 起動担当者コード = ''  WHERE "
                                           "動作環境定義ID = '001'"))) {
        ctx.dialogs.information(kUpdateFailed);
    }
}
