#include "signin/OperatingOffice.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "env/CompanySettings.h"
#include "text/NumberText.h"

std::optional<OfficeEntry> LookupOffice(AppContext& ctx, const QString& code) {
    Recordset recordset;
    std::optional<OfficeEntry> office;
    if (OpenBusinessRecordset(ctx, recordset,
                              QStringLiteral("SELECT M事業所.*") + QLatin1Char('\r') +
                                  QStringLiteral("FROM M事業所") + QLatin1Char('\r') +
                                  QStringLiteral("WHERE M事業所.コード = ") + SqlQuote(code),
                              false)) {
        office = OfficeEntry{recordset.text(QStringLiteral("コード")),
                             recordset.text(QStringLiteral("名称"))};
    }
    recordset.close();
    return office;
}

void ChangeOperatingOffice(AppContext& ctx, const QString& code) {
    SetOperatingOffice(ctx, code);
    LoadCompanySettings(ctx);
}

bool MayChooseOffice(const AppContext& ctx) {
    return ctx.staff.code.isEmpty() || LeadingNumber(ctx.staff.categoryPermissions[9]) == 0;
}
