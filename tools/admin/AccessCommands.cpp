#include "AccessCommands.h"

#include <unistd.h>

#include "install/AccessImport.h"

namespace {
constexpr int kFailed = 2;

// The value of an option given as "--name VALUE", taken out of the arguments; nullopt when the
// option stands without its value.
std::optional<QString> TakeOption(QStringList& arguments, const QString& name) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0) {
        return QString();
    }
    const QString value = arguments.value(at + 1);
    arguments.remove(at, qMin<qsizetype>(2, arguments.size() - at));
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

// Writes the import's report; true when every table agrees.
bool PrintImportReport(const AccessImportResult& result, QTextStream& out, QTextStream& err) {
    for (const QString& line : result.leftOut) {
        err << line << '\n';
    }
    if (result.refusal) {
        err << *result.refusal << '\n';
        return false;
    }
    out << QStringLiteral("テーブル\t読んだ行数\t書いた行数\t照合") << '\n';
    for (const AccessTableReport& table : result.tables) {
        out << table.table << '\t' << table.rowsRead << '\t' << table.rowsWritten << '\t'
            << (table.whole() ? QStringLiteral("一致") : QStringLiteral("不一致")) << '\n';
    }
    return result.complete();
}

AccessImportProgress TerminalProgress(QTextStream& out) {
    if (isatty(STDOUT_FILENO) == 0) {
        return {};
    }
    return [&out](const QString& table, qint64 rows) {
        out << '\r' << table << QStringLiteral(": ") << rows << QStringLiteral(" 行") << Qt::flush;
    };
}
}  // namespace

int ImportAccess(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList rest = arguments;
    const auto charset = TakeOption(rest, QStringLiteral("--jet3-charset"));
    if (!charset || rest.size() != 2) {
        err << QStringLiteral(
                   "使い方: numorika-admin import-access SOURCE TARGET [--jet3-charset CP932]")
            << '\n';
        return kFailed;
    }
    const AccessImportProgress progress = TerminalProgress(out);
    const AccessImportResult result = ImportAccessFile(rest[0], rest[1], {*charset}, progress);
    if (progress) {
        out << '\r' << Qt::flush;
    }
    return PrintImportReport(result, out, err) ? 0 : kFailed;
}
