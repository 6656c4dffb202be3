#include "signin/SignedInCode.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "platform/ProcessInfo.h"
#include "signin/StaffSignIn.h"

namespace {
const QString kUpdateFailed = QStringLiteral("データベースに問題が発生し修正できませんでした。");
}

void SaveSignedInCode(AppContext& ctx) {
    if (TrimBlanks(ctx.staff.code).isEmpty()) {
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
