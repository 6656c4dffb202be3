#include "RestoreCommands.h"

#include "AdminCli.h"
#include "AdminInstallation.h"

#include <QDir>

#include "backup/BackupRules.h"
#include "backup/Restore.h"
#include "install/Installation.h"

namespace {
constexpr int kFailed = 2;

// The seven weekday folders of the backup folder (or DIR), Monday first.
std::optional<QStringList> WeekdayFolders(const AdminCall& call, QTextStream& err) {
    QString folder = call.value(QStringLiteral("--folder"));
    if (folder.isEmpty()) {
        AdminInstallation installation(call.operands[0], err);
        if (!installation.load(err)) {
            return std::nullopt;
        }
        folder = installation.context().company.text(QStringLiteral("BACKUPフォルダ"));
    }
    const auto root = BackupRoot(folder, err);
    if (!root) {
        return std::nullopt;
    }
    QStringList folders;
    for (int day = 0; day < 7; ++day) {
        folders << WeekdayFolder(*root, QDate(2024, 1, 1).addDays(day));
    }
    return folders;
}

// The weekday folders a call names: the one of WEEKDAY (Monday … Sunday), or all seven.
std::optional<QStringList> ChosenFolders(const AdminCall& call, QTextStream& err) {
    const auto folders = WeekdayFolders(call, err);
    const QString weekday = call.operands.value(1);
    if (!folders || weekday.isEmpty()) {
        return folders;
    }
    for (const QString& folder : *folders) {
        if (QDir(folder).dirName().compare(weekday, Qt::CaseInsensitive) == 0) {
            return QStringList{folder};
        }
    }
    err << QStringLiteral("「%1」は曜日ではありません (Monday … Sunday)。").arg(weekday) << '\n';
    return std::nullopt;
}

QString Rows(qint64 rows) {
    return rows < 0 ? QStringLiteral("-") : QString::number(rows);
}

// One line per table, the problems, and whether it is whole.
bool Report(const BackupCheck& check, QTextStream& out, QTextStream& err) {
    for (const TableCheck& table : check.tables) {
        out << table.files.join(QLatin1Char(',')) << '\t' << table.table << '\t'
            << Rows(table.recorded) << '\t' << Rows(table.counted) << '\t'
            << (table.recorded < 0 ? QStringLiteral("照合不能")
                : table.matches    ? QStringLiteral("一致")
                                   : QStringLiteral("不一致"))
            << '\n';
    }
    for (const QString& problem : check.problems) {
        err << problem << '\n';
    }
    return check.whole();
}

const QString kHeader = QStringLiteral("ファイル\tテーブル\t記録の件数\t数えた件数\t照合");
}  // namespace

int VerifyBackupCommand(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const auto folders = ChosenFolders(call, err);
    if (!folders) {
        return kFailed;
    }
    bool whole = true;
    int verified = 0;
    for (const QString& folder : *folders) {
        // Of all seven, a weekday never backed up is left out.
        if (folders->size() > 1 && !QDir(folder).exists()) {
            continue;
        }
        ++verified;
        out << folder << '\n' << kHeader << '\n';
        whole = Report(VerifyBackup(folder), out, err) && whole;
    }
    if (verified == 0) {
        err << QStringLiteral("バックアップが有りません。") << '\n';
        return kFailed;
    }
    if (!whole) {
        err << QStringLiteral("バックアップは完全ではありません。") << '\n';
        return kFailed;
    }
    out << QStringLiteral("バックアップは完全です。") << '\n';
    return 0;
}

int RestoreCommand(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const QString file = call.value(QStringLiteral("--into"));
    const QString server = call.value(QStringLiteral("--server"));
    if (file.isEmpty() == server.isEmpty()) {
        err << QStringLiteral(
                   "--into FILE か --server CONNECTION のどちらか一つを指定してください。")
            << '\n';
        return kFailed;
    }
    const auto folders = ChosenFolders(call, err);
    if (!folders) {
        return kFailed;
    }
    RestoreRequest request{folders->value(0), file, {}, {}};
    if (!server.isEmpty()) {
        request.server = ComposeBusinessConnectionString(ServerDefinition(server));
    }
    if (call.has(QStringLiteral("--tables"))) {
        request.tables = call.value(QStringLiteral("--tables")).split(QLatin1Char(','));
    }
    out << kHeader << '\n';
    if (!Report(RestoreBackup(request), out, err)) {
        err << QStringLiteral("復元しませんでした。") << '\n';
        return kFailed;
    }
    // The connection text may hold a password: only a file is named.
    out << (file.isEmpty() ? QStringLiteral("復元しました。")
                           : QStringLiteral("復元しました: ") + file)
        << '\n';
    return 0;
}
