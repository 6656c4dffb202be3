#include "signin/SignedInCode.h"

#include "app/AppContext.h"
#include "db/DbAccess.h"

bool LoadSignedInCode(AppContext& ctx) {
    ctx.signedInCode.clear();
    Recordset recordset;
    if (OpenConfigRecordset(
            ctx, recordset,
            QStringLiteral("SELECT * FROM 動作環境定義 WHERE 動作環境定義ID = '001'"))) {
        ctx.signedInCode = recordset.text(QStringLiteral("起動担当者コード"));
    }
    recordset.close();
    return !ctx.signedInCode.trimmed().isEmpty();
}
