#include "env/WindowTitle.h"

#include "context/AppContext.h"
#include "db/SqlText.h"
#include "platform/ProcessInfo.h"

QString BaseTitle(const QString& programId) {
    static const QHash<QString, QString> titles = {
        {QStringLiteral("ヌモリカ"), QStringLiteral("ヌモリカ")},
        {QStringLiteral("ヌモリカデータ管理"), QStringLiteral("データ管理")},
        {QStringLiteral("ヌモリカ補助機能"), QStringLiteral("補助機能")},
        {QStringLiteral("ヌモリカサービスメニュ"), QStringLiteral("サービスメニュー")},
        {QStringLiteral("ヌモリカマイメニュ"), QStringLiteral("マイメニュー")},
    };
    return titles.value(programId, programId);
}

QString ComposeWindowTitle(const AppContext& ctx) {
    QString title = BaseTitle(kProgramId);
    const QString officeName = ctx.office.text(QStringLiteral("名称"));
    if (ctx.environment.operatingOfficeCode != ZeroString(3)) {
        if (!TrimBlanks(officeName).isEmpty()) {
            title += QLatin1Char('(') + officeName + QLatin1Char(')');
        }
    } else if (ctx.officeCount > 0) {
        title += QStringLiteral("(全社)");
    }
    if (!ctx.staff.code.isEmpty()) {
        title += QStringLiteral("「") + ctx.staff.name + QStringLiteral("」");
    }
    return title;
}
