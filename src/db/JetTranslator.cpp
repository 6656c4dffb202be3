#include "db/JetTranslator.h"

#include <QRegularExpression>

QString TranslateForEngine(const QString& sql) {
    static const QRegularExpression top(
        QStringLiteral(R"(^(\s*SELECT\s+(?:DISTINCT\s+)?)TOP\s+(\d+)\s+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = top.match(sql);
    if (!match.hasMatch()) {
        return sql;
    }
    return match.captured(1) + sql.mid(match.capturedEnd()) + QStringLiteral(" LIMIT ") +
           match.captured(2);
}
