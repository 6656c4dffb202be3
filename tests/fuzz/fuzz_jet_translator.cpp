// TranslateStatement and TranslateForEngine on any statement: the IN forms give a target table
// without blanks, a rows query that the engine statement is built around, and a file that stands
// quoted in the input; any other statement only has its TOP rewritten, into a closing LIMIT.
#include "FuzzSupport.h"

#include "db/JetTranslator.h"

namespace {
// The blanks of the patterns' \s and \S, which are ASCII only.
bool HasBlank(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'))) {
            return true;
        }
    }
    return false;
}

void CheckTop(const QString& sql) {
    const QString engine = TranslateForEngine(sql);
    if (engine == sql) {
        return;
    }
    const qsizetype limit = engine.lastIndexOf(QStringLiteral(" LIMIT "));
    Check(limit >= 0, "a rewritten statement without LIMIT");
    const QString count = engine.mid(limit + 7);
    Check(!count.isEmpty() && OnlyOf(count, kDigits), "LIMIT without a count of digits");
    Check(sql.contains(QStringLiteral("TOP"), Qt::CaseInsensitive) && sql.contains(count),
          "LIMIT not taken from a TOP");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = TextOf(data, size);
    const EngineStatement statement = TranslateStatement(sql);
    CheckTop(sql);

    if (statement.targetTable.isEmpty()) {
        Check(statement.attachFile.isEmpty() && statement.rowsQuery.isEmpty() &&
                  statement.fill.isEmpty() && !statement.createsTable,
              "IN parts without a target table");
        Check(statement.sql == TranslateForEngine(sql), "not the TOP rewrite");
        return 0;
    }
    Check(!HasBlank(statement.targetTable), "a target table with blanks");
    Check(sql.contains(statement.targetTable), "a target table not in the statement");
    const QString target = kTargetSchema + QLatin1Char('.') + statement.targetTable;
    if (statement.createsTable) {
        Check(statement.rowsQuery.startsWith(QStringLiteral("SELECT * FROM ")),
              "rows query of SELECT INTO");
        Check(statement.sql == QStringLiteral("CREATE TABLE ") + target + QStringLiteral(" AS ") +
                                   statement.rowsQuery + QStringLiteral(" LIMIT 0"),
              "CREATE TABLE not built around the rows query");
        Check(statement.fill ==
                  QStringLiteral("INSERT INTO ") + target + QLatin1Char(' ') + statement.rowsQuery,
              "the new table is not filled from the rows query");
    } else {
        Check(statement.rowsQuery.startsWith(QStringLiteral("SELECT ")),
              "rows query of INSERT INTO");
        Check(statement.sql ==
                  QStringLiteral("INSERT INTO ") + target + QLatin1Char(' ') + statement.rowsQuery,
              "INSERT INTO not built around the rows query");
    }
    // The file stands in the statement with its quotes doubled.
    QString quoted = statement.attachFile;
    quoted.replace(QStringLiteral("'"), QStringLiteral("''"));
    Check(sql.contains(QLatin1Char('\'') + quoted + QLatin1Char('\'')),
          "the file is not quoted in the statement");
    return 0;
}
