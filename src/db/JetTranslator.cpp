#include "db/JetTranslator.h"

#include <QRegularExpression>
#include <cctype>

namespace {
// A quoted file name inside an IN clause, with its quotes doubled.
const QString kQuotedFile = QStringLiteral(R"('((?:[^']|'')*)')");
// The table a statement writes into: a name between double quotes (doubled inside) or a word.
const QString kTargetTable = QStringLiteral(R"(("(?:[^"]|"")*"|\S+))");

// Both forms of a statement on another file name it as IN 'file'. A statement without that is
// left to the engine as it is, without compiling the patterns: the start of the menu runs none.
bool NamesAFile(const QString& sql) {
    for (qsizetype at = sql.indexOf(QLatin1String("IN"), 0, Qt::CaseInsensitive); at >= 0;
         at = sql.indexOf(QLatin1String("IN"), at + 2, Qt::CaseInsensitive)) {
        qsizetype after = at + 2;
        if (at == 0 || !sql[at - 1].isSpace() || after >= sql.size() || !sql[after].isSpace()) {
            continue;
        }
        while (after < sql.size() && sql[after].isSpace()) {
            ++after;
        }
        if (after < sql.size() && sql[after] == QLatin1Char('\'')) {
            return true;
        }
    }
    return false;
}

QString Unquoted(const QString& text) {
    QString file = text;
    file.replace(QStringLiteral("''"), QStringLiteral("'"));
    return file;
}

// A table name as the file holds it, without the quotes of an identifier.
QString UnquotedTable(const QString& text) {
    if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"'))) {
        return text;
    }
    return text.mid(1, text.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
}
}  // namespace

QString TranslateForEngine(const QString& sql) {
    // SELECT [DISTINCT] TOP n …, read by hand: the start of the menu runs such statements, and a
    // pattern would load the regular-expression engine into every start for them.
    qsizetype at = 0;
    const auto blanks = [&sql, &at] {
        const qsizetype from = at;
        while (at < sql.size() && sql[at].unicode() < 128 && std::isspace(sql[at].unicode())) {
            ++at;
        }
        return at > from;
    };
    const auto word = [&sql, &at](QLatin1String expected) {
        if (QStringView(sql).mid(at, expected.size()).compare(expected, Qt::CaseInsensitive) != 0) {
            return false;
        }
        at += expected.size();
        return true;
    };
    blanks();
    if (!word(QLatin1String("SELECT")) || !blanks()) {
        return sql;
    }
    const qsizetype select = at;
    if (!word(QLatin1String("DISTINCT")) || !blanks()) {
        at = select;
    }
    const qsizetype head = at;
    if (!word(QLatin1String("TOP")) || !blanks()) {
        return sql;
    }
    const qsizetype digits = at;
    while (at < sql.size() && sql[at] >= QLatin1Char('0') && sql[at] <= QLatin1Char('9')) {
        ++at;
    }
    const QString count = sql.mid(digits, at - digits);
    if (count.isEmpty() || !blanks()) {
        return sql;
    }
    return sql.left(head) + sql.mid(at) + QStringLiteral(" LIMIT ") + count;
}

EngineStatement TranslateStatement(const QString& sql) {
    if (!NamesAFile(sql)) {
        return {TranslateForEngine(sql), {}, {}, {}, {}, false};
    }
    static const QRegularExpression selectInto(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+INTO\s+)") + kTargetTable +
            QStringLiteral(R"(\s+IN\s+)") + kQuotedFile + QStringLiteral(R"(\s+FROM\s+(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression insertInto(
        QStringLiteral(R"(^\s*INSERT\s+INTO\s+)") + kTargetTable + QStringLiteral(R"(\s+IN\s+)") +
            kQuotedFile + QStringLiteral(R"(\s+SELECT\s+(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (const auto match = selectInto.match(sql); match.hasMatch()) {
        return {QStringLiteral("CREATE TABLE %1.%2 AS SELECT * FROM %3 LIMIT 0")
                    .arg(kTargetSchema, match.captured(1), match.captured(3)),
                QStringLiteral("INSERT INTO %1.%2 SELECT * FROM %3")
                    .arg(kTargetSchema, match.captured(1), match.captured(3)),
                Unquoted(match.captured(2)),
                UnquotedTable(match.captured(1)),
                QStringLiteral("SELECT * FROM ") + match.captured(3),
                true};
    }
    if (const auto match = insertInto.match(sql); match.hasMatch()) {
        return {QStringLiteral("INSERT INTO %1.%2 SELECT %3")
                    .arg(kTargetSchema, match.captured(1), match.captured(3)),
                {},
                Unquoted(match.captured(2)),
                UnquotedTable(match.captured(1)),
                QStringLiteral("SELECT ") + match.captured(3),
                false};
    }
    return {TranslateForEngine(sql), {}, {}, {}, {}, false};
}
