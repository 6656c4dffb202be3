#include "CheckCommand.h"

#include "AdminInstallation.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "db/DatabaseFile.h"
#include "db/DbAccess.h"
#include "db/DbConnection.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "env/EnvironmentRecords.h"
#include "env/InstallPaths.h"
#include "install/SharedInstallation.h"
#include "platform/Files.h"

namespace {
class Report {
public:
    explicit Report(QTextStream& out) : out_(out) {}
    // A line of the report; a fault also decides that the menu cannot start.
    void line(bool fine, const QString& item, const QString& text, bool blocks = false) {
        out_ << (fine ? QStringLiteral("[OK] ") : QStringLiteral("[NG] ")) << item
             << QStringLiteral(": ") << text << '\n';
        startable_ = startable_ && (fine || !blocks);
    }
    bool startable() const { return startable_; }

private:
    QTextStream& out_;
    bool startable_ = true;
};

template <typename Record, typename Reader>
bool ReadRow(const ReadOnlyFile& file, const QString& sql, Record& record, Reader reader) {
    Recordset recordset;
    const bool read =
        recordset.open(file.database(), sql) && !recordset.atEnd() && reader(recordset, record);
    recordset.close();
    return read;
}

QString FirstValue(const DbConnection& connection, const QString& sql) {
    QSqlQuery query(connection.database());
    return query.exec(sql) && query.next() ? query.value(0).toString() : QString();
}
}  // namespace

int CheckInstallation(const QStringList& arguments, QTextStream& out) {
    Report report(out);
    InstallPaths paths;
    DeriveInstallFolders(
        paths, QDir::toNativeSeparators(QDir(arguments[0]).absolutePath()) + QDir::separator());
    QStringList missing;
    for (const char* folder : {"prgbin", "conf", "data", "report", "manual"}) {
        if (!QFileInfo(JoinPath(paths.root, QString::fromLatin1(folder))).isDir()) {
            missing << QString::fromLatin1(folder);
        }
    }
    report.line(
        missing.isEmpty(), QStringLiteral("フォルダ"),
        missing.isEmpty() ? paths.root
                          : paths.root + QStringLiteral(" (無いフォルダ: ") +
                                missing.join(QStringLiteral(", ")) + QLatin1Char(')'),
        missing.contains(QStringLiteral("prgbin")) || missing.contains(QStringLiteral("conf")));
    if (const QString group = SharedGroup(paths.root); !group.isEmpty()) {
        const QStringList unwritable = UnwritableForGroup(paths.root);
        report.line(unwritable.isEmpty(), QStringLiteral("共有"),
                    unwritable.isEmpty()
                        ? QStringLiteral("グループ %1 の担当者が書き込めます").arg(group)
                        : QStringLiteral("グループ %1 の担当者が書き込めないもの: ").arg(group) +
                              unwritable.join(QStringLiteral(", ")));
    }

    const QString config = ConfigDatabasePath(paths.configFolder, paths.configKind);
    const ReadOnlyFile configuration(config);
    if (paths.configKind == DatabaseFileKind::None || !configuration.opened()) {
        const auto problem = CheckDatabaseFile(config);
        report.line(false, QStringLiteral("設定ファイル"),
                    !problem ? problem.error().description
                             : QStringLiteral("「%1」を開けません。").arg(config),
                    true);
        return 1;
    }
    report.line(true, QStringLiteral("設定ファイル"),
                config + QStringLiteral(" (ジャーナル: ") +
                    configuration.value(QStringLiteral("PRAGMA journal_mode")) +
                    QStringLiteral(", ファイルシステム: ") +
                    (IsLocalFileSystem(config) ? QStringLiteral("この機械のディスク")
                                               : QStringLiteral("ネットワークまたはその他")) +
                    QLatin1Char(')'));

    DatabaseDefinition definition;
    EnvironmentRecord environment;
    const bool defined = ReadRow(
        configuration, QStringLiteral("SELECT * FROM データベース定義 WHERE 情報種類 = 'GNR'"),
        definition, ReadDatabaseDefinition);
    const bool environmentRead = ReadRow(
        configuration, QStringLiteral("SELECT * FROM 動作環境定義 WHERE 動作環境定義ID = '001'"),
        environment, ReadEnvironmentRecord);
    report.line(environmentRead, QStringLiteral("動作環境定義"),
                environmentRead
                    ? QStringLiteral("インストール区分 %1 (%2)")
                          .arg(environment.installationMode)
                          .arg(environment.installationMode == 1 ? QStringLiteral("ユーザ別")
                                                                 : QStringLiteral("共有"))
                    : QStringLiteral("行 '001' が有りません。"),
                true);
    QStringList catalogues;
    for (const QString& table : CatalogueTables()) {
        catalogues << table + QLatin1Char(' ') +
                          configuration.value(QStringLiteral("SELECT count(*) FROM ") + table) +
                          QStringLiteral("件");
    }
    report.line(true, QStringLiteral("カタログ"), catalogues.join(QStringLiteral(", ")));

    DbConnection business(QStringLiteral("check"), DbRole::Business);
    const auto opened =
        defined ? OpenBusinessDatabase(definition, business)
                : DbResult(DbError{kUnspecifiedDbError,
                                   QStringLiteral("データベース定義 'GNR' が有りません。")});
    report.line(static_cast<bool>(opened), QStringLiteral("業務データベース"),
                QStringLiteral("種別 %1: ").arg(definition.kind) +
                    (!opened ? opened.error().description : QStringLiteral("開けます")),
                true);
    QString backupFolder;
    if (opened) {
        const QString company =
            FirstValue(business, QStringLiteral("SELECT 名称 FROM Mユーザ WHERE ID = '0001'"));
        report.line(
            !company.isEmpty(), QStringLiteral("会社"),
            company.isEmpty() ? QStringLiteral("Mユーザ の行 '0001' が有りません。") : company,
            true);
        const QString office = environment.operatingOfficeCode.isEmpty()
                                   ? QStringLiteral("000")
                                   : environment.operatingOfficeCode;
        const QString officeName =
            FirstValue(business, QStringLiteral("SELECT 名称 FROM M事業所 WHERE コード = ") +
                                     SqlQuote(office));
        report.line(
            !officeName.isEmpty(), QStringLiteral("運用事業所"),
            office + QLatin1Char(' ') +
                (officeName.isEmpty() ? QStringLiteral("(M事業所 に有りません)") : officeName));
        report.line(true, QStringLiteral("メニューのある担当者"),
                    FirstValue(business, QStringLiteral("SELECT count(DISTINCT 担当者コード) FROM "
                                                        "ヌモリカマイメニュ詳細")) +
                        QStringLiteral("人"));
        backupFolder = FirstValue(
            business, QStringLiteral("SELECT BACKUPフォルダ FROM M事業所 WHERE コード = ") +
                          SqlQuote(office));
        if (backupFolder.trimmed().isEmpty()) {
            backupFolder =
                FirstValue(business, QStringLiteral("SELECT BACKUPフォルダ FROM Mユーザ WHERE ID "
                                                    "= '0001'"));
        }
    }
    const QFileInfo folder(backupFolder.trimmed());
    const bool writable =
        !backupFolder.trimmed().isEmpty() && folder.isDir() && folder.isWritable();
    report.line(writable, QStringLiteral("バックアップフォルダ"),
                backupFolder.trimmed().isEmpty()
                    ? QStringLiteral("設定されていません")
                    : backupFolder.trimmed() +
                          (writable ? QString() : QStringLiteral(" (書き込めません)")));
    report.line(true, QStringLiteral("最後のバックアップ"),
                environment.backupDate.isEmpty() ? QStringLiteral("まだ有りません")
                                                 : environment.backupDate);
    out << (report.startable() ? QStringLiteral("メニューは起動できます。")
                               : QStringLiteral("このままではメニューは起動できません。"))
        << '\n';
    return report.startable() ? 0 : 1;
}
