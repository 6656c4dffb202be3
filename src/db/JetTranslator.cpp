#include "db/JetTranslator.h"

#include <QRegularExpression>

namespace {
// A quoted file name inside an IN clause, with its quotes doubled.
const QString kQuotedFile = QStringLiteral(R"('((?:[^']|'')*)')");

QString Unquoted(const QString& text) {
    QString file = text;
    file.replace(QStringLiteral("''"), QStringLiteral("'"));
    return file;
}
}  // namespace

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

EngineStatement TranslateStatement(const QString& sql) {
    static const QRegularExpression selectInto(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+INTO\s+(\S+)\s+IN\s+)") + kQuotedFile +
            QStringLiteral(R"(\s+FROM\s+(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression insertInto(
        QStringLiteral(R"(^\s*INSERT\s+INTO\s+(\S+)\s+IN\s+)") + kQuotedFile +
            QStringLiteral(R"(\s+SELECT\s+(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (const auto match = selectInto.match(sql); match.hasMatch()) {
        return {QStringLiteral("CREATE TABLE %1.%2 AS SELECT * FROM %3 LIMIT 0")
                    .arg(kTargetSchema, match.captured(1), match.captured(3)),
                QStringLiteral("INSERT INTO %1.%2 SELECT * FROM %3")
                    .arg(kTargetSchema, match.captured(1), match.captured(3)),
                Unquoted(match.captured(2)),
                match.captured(1),
                QStringLiteral("SELECT * FROM ") + match.captured(3),
                true};
    }
    if (const auto match = insertInto.match(sql); match.hasMatch()) {
        return {QStringLiteral("INSERT INTO %1.%2 SELECT %3")
                    .arg(kTargetSchema, match.captured(1), match.captured(3)),
                {},
                Unquoted(match.captured(2)),
                match.captured(1),
                QStringLiteral("SELECT ") + match.captured(3),
                false};
    }
    return {TranslateForEngine(sql), {}, {}, {}, {}, false};
}
