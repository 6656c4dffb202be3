#include "AccessCommands.h"

#include <QDir>

#include <unistd.h>

#include "CheckCommand.h"

#include "install/AccessImport.h"
#include "install/Installation.h"
#include "install/Migration.h"
#include "platform/Files.h"

namespace {
constexpr int kFailed = 2;
// Back to the start of the terminal's line, which is cleared: the next progress or report line
// takes its place.
constexpr const char* kClearLine = "\r\033[K";

// Writes the import's report; true when every table agrees.
bool PrintImportReport(const AccessImportResult& result, QTextStream& out, QTextStream& err,
                       const QString& file = {}) {
    // What could not come over belongs to the report, whatever else happened.
    for (const QString& line : result.leftOut) {
        out << line << '\n';
    }
    if (result.refusal) {
        err << *result.refusal << '\n';
        return false;
    }
    if (!file.isEmpty()) {
        out << file << '\n';
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
        out << kClearLine << table << QStringLiteral(": ") << rows << QStringLiteral(" 行")
            << Qt::flush;
    };
}
}  // namespace

int ImportAccess(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const AccessImportProgress progress = TerminalProgress(out);
    const AccessImportResult result =
        ImportAccessFile(call.operands[0], call.operands[1],
                         {call.value(QStringLiteral("--jet3-charset"))}, progress);
    if (progress) {
        out << kClearLine << Qt::flush;
    }
    return PrintImportReport(result, out, err) ? 0 : kFailed;
}

int Migrate(const AdminCall& call, const QString& programFolder, QTextStream& out,
            QTextStream& err) {
    MigrationOptions options;
    for (const QString& pair : call.values(QStringLiteral("--map-path"))) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            err << QStringLiteral(
                       "--map-path は WINDOWS_PREFIX=LINUX_PREFIX の形で指定してください"
                       "。詳しくは numorika-admin migrate --help")
                << '\n';
            return kFailed;
        }
        options.mappings.append({pair.left(equals), pair.mid(equals + 1)});
    }
    options.access.jet3Charset = call.value(QStringLiteral("--jet3-charset"));
    options.systemPin = NewSystemPin();
    const AccessImportProgress progress = TerminalProgress(out);
    const MigrationResult result =
        MigrateInstallation(call.operands[0], call.operands[1], options, progress);
    if (progress) {
        out << kClearLine << Qt::flush;
    }
    for (const MigratedFile& file : result.files) {
        PrintImportReport(file.import, out, err, file.source + QStringLiteral(" → ") + file.target);
    }
    if (result.refusal) {
        err << *result.refusal << '\n';
        return kFailed;
    }
    const QString root = QDir::toNativeSeparators(QDir(call.operands[1]).absolutePath());
    if (const auto error =
            InstallPrograms(programFolder, JoinPath(root, QStringLiteral("prgbin")))) {
        err << QStringLiteral("プログラムをインストールできません: ") << *error << '\n';
        return kFailed;
    }
    if (!WriteDesktopEntry(root)) {
        err << QStringLiteral("デスクトップエントリを作成できません: ") << root << '\n';
    }
    out << QStringLiteral("パスを書き換えた値: %1 件").arg(result.mappedPaths) << '\n';
    for (const QString& path : result.unmappedPaths) {
        out << QStringLiteral("対応するパスの無い値: ") << path << '\n';
    }
    for (const QString& staff : result.staffWithoutPin) {
        out << QStringLiteral("暗証番号を設定し直してください (numorika-admin pin set %1 コード): ")
                   .arg(root)
            << staff << '\n';
    }
    out << QStringLiteral("新しいシステム特権暗証番号: ") << options.systemPin
        << QStringLiteral(" (表示はこの一度だけです。控えを鍵の掛かる場所に保管してください)")
        << '\n';
    return CheckInstallation({root}, out);
}
