#include "db/SqlText.h"

namespace {
QString DoubleQuotes(const QString& text) {
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return result;
}
}  // namespace

QString EscapeSqlText(const QString& text) {
    QString result = DoubleQuotes(text);
    qsizetype end = result.size();
    while (end > 0 && result[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    result.truncate(end);
    return result;
}

QString ZeroString(int n) {
    return n > 0 ? QString(n, QLatin1Char('0')) : QString();
}

QString SqlQuote(const QString& value) {
    return QLatin1Char('\'') + DoubleQuotes(value) + QLatin1Char('\'');
}

QString SqlIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
