#include "install/Installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "db/ConnectionString.h"
#include "db/DatabaseFile.h"
#include "db/DbConnection.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "env/InstallPaths.h"
#include "install/DemoData.h"
#include "platform/CodeConverter.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"

namespace {
// The 'GNR' row: where the business database is.
QString DefinitionRow(const DatabaseDefinition& definition) {
    return QStringLiteral(
               "INSERT INTO データベース定義 (情報種類, db, dbmw, ドライバ名, データベース名, "
               "サーバー名, 接続文字列, ユーザーID, パスワード, プロバイダ名, データソース名) "
               "VALUES ('GNR', %1, '', %2, %3, %4, %5, %6, %7, %8, %9)")
        .arg(SqlQuote(definition.kind), SqlQuote(definition.driverName),
             SqlQuote(definition.databaseName), SqlQuote(definition.serverName),
             SqlQuote(definition.connectionText), SqlQuote(definition.userId),
             SqlQuote(definition.password), SqlQuote(definition.providerName),
             SqlQuote(definition.dataSourceName));
}

DatabaseDefinition FileDefinition(const QString& businessPath) {
    DatabaseDefinition definition;
    definition.kind = QStringLiteral("A");
    definition.connectionText = QStringLiteral("DBQ=") + businessPath;
    definition.providerName = QStringLiteral("Microsoft.ACE.OLEDB.12.0");
    definition.dataSourceName = businessPath;
    return definition;
}

std::optional<QString> CreateServerSchema(const DatabaseDefinition& definition,
                                          const QStringList& statements) {
    DbConnection server(QStringLiteral("init"), DbRole::Business);
    if (const auto result = server.open(ComposeBusinessConnectionString(definition)); !result) {
        return result.error().description;
    }
    QSqlDatabase db = server.database();
    if (const auto result = ExecuteAll(db, statements); !result) {
        return result.error().description;
    }
    return std::nullopt;
}

}  // namespace

DatabaseDefinition ServerDefinition(const QString& connection) {
    QMap<QString, QString> values;
    for (const QString& pair : connection.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals > 0) {
            values.insert(pair.left(equals), pair.mid(equals + 1));
        }
    }
    DatabaseDefinition definition;
    definition.kind = QStringLiteral("S");
    definition.providerName = QStringLiteral("PostgreSQL");
    definition.serverName = values.value(QStringLiteral("host"), QStringLiteral("localhost")) +
                            (values.contains(QStringLiteral("port"))
                                 ? QLatin1Char(':') + values.value(QStringLiteral("port"))
                                 : QString());
    definition.databaseName = values.value(QStringLiteral("dbname"));
    definition.userId = values.value(QStringLiteral("user"));
    definition.password = values.value(QStringLiteral("password"));
    return definition;
}

QStringList InitialConfigurationRows() {
    return {
        QStringLiteral(
            "INSERT INTO 動作環境定義 (動作環境定義ID, 運用事業所コード, インストール区分, "
            "CL更新実行区分, バックアップ日付, 運用条件切替日付, バックアップ方法, "
            "バックアップ日指定, 月曜バックアップ, 火曜バックアップ, 水曜バックアップ, "
            "木曜バックアップ, 金曜バックアップ, 土曜バックアップ, 日曜バックアップ, "
            "バックアップ開始時刻, バックアップフォルダ, 起動担当者コード) "
            "VALUES ('001', '000', 0, 0, '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, '', '', '')"),
    };
}

QString BusinessFileDefinitionRow(const QString& businessPath) {
    return DefinitionRow(FileDefinition(businessPath));
}

// A working start: the company and its head office, with sign-in switched off until the
// administrator gives the staff their PINs.
QStringList InitialBusinessRows() {
    return {
        QStringLiteral("INSERT INTO Mユーザ (ID, 名称, 決算月, 決算日, 暗証番号有無) "
                       "VALUES ('0001', '自社', 3, 31, 0)"),
        QStringLiteral(
            "INSERT INTO M事業所 (コード, 名称, 暗証番号有無) VALUES ('000', '本社', 0)"),
    };
}

std::optional<QString> ExistingDatabase(const QString& stem) {
    for (const QString& ending : {QStringLiteral(".accdb"), QStringLiteral(".mdb")}) {
        if (QFileInfo::exists(stem + ending)) {
            return stem + ending;
        }
    }
    return std::nullopt;
}

QString NewSystemPin() {
    static const QLatin1StringView kLetters("ABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString pin;
    for (int i = 0; i < 8; ++i) {
        pin += QChar(kLetters[QRandomGenerator::system()->bounded(int(kLetters.size()))]);
    }
    return pin;
}

QString MenuExecutableName() {
#ifdef Q_OS_WIN
    return QStringLiteral("ヌモリカマイメニュ.exe");
#else
    return QStringLiteral("ヌモリカマイメニュ");
#endif
}

QString SetupProgramName() {
    return QStringLiteral("動作環境設定.exe");
}

QString DemoProgramName() {
    return QStringLiteral("numorika-demo-program");
}

namespace {
bool WriteTextFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

std::optional<QString> WriteDemoDocuments(const QString& root) {
    const QString manual = JoinPath(root, QStringLiteral("manual"));
    const QByteArray guide =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0 IPAGothic;}}\\f0\\fs24 "
        "Numorika My Menu - demo manual\\par}\n";
    const QByteArray report = QStringLiteral("営業日報 (デモ)\n本日の訪問先:\n").toUtf8();
    if (!WriteTextFile(JoinPath(manual, QStringLiteral("ヌモリカマイメニュ.doc")), guide) ||
        !WriteTextFile(JoinPath(manual, QStringLiteral("営業日報.txt")), report)) {
        return QStringLiteral("デモの文書を作成できません: %1").arg(manual);
    }
    return std::nullopt;
}
}  // namespace

namespace {
// The report database with the data the reports read, and the report forms database whose tables
// are links to it.
std::optional<QString> CreateReportDatabases(const QString& root) {
    const QString folder = JoinPath(root, QStringLiteral("report"));
    const QString reports = JoinPath(folder, QStringLiteral("repdb.accdb"));
    const QString forms = JoinPath(folder, QStringLiteral("repfrmdb.accdb"));
    const QString link = QStringLiteral(";DATABASE=") + reports;
    if (const auto result = CreateDatabaseFile(
            reports, {QStringLiteral("CREATE TABLE W帳票データ (帳票ID TEXT, 担当者コード TEXT, "
                                     "明細 TEXT, 金額 INTEGER)")});
        !result) {
        return result.error().description;
    }
    if (const auto result = CreateDatabaseFile(
            forms, {QStringLiteral("CREATE TABLE 帳票定義 (帳票ID TEXT NOT NULL PRIMARY KEY, "
                                   "帳票名 TEXT)")});
        !result) {
        return result.error().description;
    }
    if (const auto result = AddLinkedTable(forms, QStringLiteral("W帳票データ"),
                                           QStringLiteral("W帳票データ"), link);
        !result) {
        return result.error().description;
    }
    return std::nullopt;
}
}  // namespace

std::optional<QString> CreateInstallation(const QString& base, const InstallationOptions& options) {
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    const QString configStem =
        JoinPath(JoinPath(root, QStringLiteral("conf")), QStringLiteral("usrcnfg"));
    const QString businessStem =
        JoinPath(JoinPath(root, QStringLiteral("data")), QStringLiteral("gnrdb"));
    for (const QString& stem : {configStem, businessStem}) {
        if (const auto existing = ExistingDatabase(stem)) {
            return QStringLiteral("データベースが既に有ります。上書きしません: %1").arg(*existing);
        }
    }
    for (const char* folder : {"prgbin", "conf", "data", "report", "manual"}) {
        const QString path = JoinPath(root, QString::fromLatin1(folder));
        if (!QDir().mkpath(path)) {
            return QStringLiteral("フォルダを作成できません: %1").arg(path);
        }
    }
    const bool onServer = !options.serverConnection.isEmpty();
    const QString businessPath = onServer ? QString() : businessStem + QStringLiteral(".accdb");
    QStringList businessRows =
        BusinessSchema() + InitialBusinessRows() +
        (options.demo ? DemoBusinessRows(root, options.loginUser) : QStringList());
    if (!options.systemPin.isEmpty()) {
        const QString stored = CodeConverter::encode(options.systemPin);
        if (stored.isEmpty()) {
            return QStringLiteral("システム特権暗証番号の保存形式を作成できません。");
        }
        businessRows
            << QStringLiteral("UPDATE Mユーザ SET システム特権暗証番号 = %1").arg(SqlQuote(stored));
    }
    const QStringList demoConfiguration = options.demo ? DemoConfigurationRows() : QStringList();
    const DatabaseDefinition definition =
        onServer ? ServerDefinition(options.serverConnection) : FileDefinition(businessPath);
    if (onServer) {
        if (auto error = CreateServerSchema(definition, businessRows)) {
            return error;
        }
    } else if (const auto result = CreateDatabaseFile(businessPath, businessRows); !result) {
        return result.error().description;
    }
    if (const auto result = CreateDatabaseFile(
            configStem + QStringLiteral(".accdb"),
            ConfigurationSchema() + QStringList{DefinitionRow(definition)} +
                InitialConfigurationRows() + demoConfiguration +
                (options.perUser
                     ? QStringList{QStringLiteral("UPDATE 動作環境定義 SET インストール区分 = 1")}
                     : QStringList()));
        !result) {
        // Without its configuration the business file would block the next attempt.
        if (!onServer) {
            QFile::remove(businessPath);
        }
        return result.error().description;
    }
    if (options.perUser) {
        if (auto error = CreateReportDatabases(root)) {
            return error;
        }
    }
    return options.demo ? WriteDemoDocuments(root) : std::nullopt;
}

namespace {
QString DesktopEntryPath(const QString& root) {
    return JoinPath(JoinPath(root, QStringLiteral("prgbin")),
                    QStringLiteral("ヌモリカマイメニュ.desktop"));
}
}  // namespace

std::optional<QString> WriteDesktopEntry(const QString& base) {
    // The icon compiled into the library registers only when asked.
    Q_INIT_RESOURCE(resources);
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    const QString programs = JoinPath(root, QStringLiteral("prgbin"));
    const QString icon = JoinPath(programs, QStringLiteral("numorika.svg"));
    QFile svg(QStringLiteral(":/numorika/numorika.svg"));
    if (!svg.open(QIODevice::ReadOnly) || !WriteTextFile(icon, svg.readAll())) {
        return std::nullopt;
    }
    // The package installs the same template for administrators to read. Exec quotes the path,
    // so a base with blanks starts too.
    QFile file(QStringLiteral(":/numorika/numorika.desktop.in"));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QString entry =
        QString::fromUtf8(file.readAll())
            .replace(QStringLiteral("@MENU@"), JoinPath(programs, MenuExecutableName()))
            .replace(QStringLiteral("@FOLDER@"), programs)
            .replace(QStringLiteral("@ICON@"), icon)
            .replace(QStringLiteral("@WMCLASS@"), kProgramId);
    const QString path = DesktopEntryPath(root);
    if (!WriteTextFile(path, entry.toUtf8())) {
        return std::nullopt;
    }
    return path;
}

std::optional<QString> InstallDesktopEntry(const QString& base) {
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    if (!QFileInfo::exists(DesktopEntryPath(root)) && !WriteDesktopEntry(root)) {
        return std::nullopt;
    }
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) {
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    }
    const QString folder = QDir(data).filePath(QStringLiteral("applications"));
    // One entry per installation: the folder's name tells installations apart.
    const QString target = QDir(folder).filePath(DesktopEntryId(root) + QStringLiteral(".desktop"));
    QString error;
    if (!QDir().mkpath(folder) || !CopyFileReplacing(DesktopEntryPath(root), target, &error)) {
        return std::nullopt;
    }
    return target;
}

std::optional<QString> InstallPrograms(const QString& fromFolder, const QString& programFolder,
                                       bool demo) {
    QList<std::pair<QString, QString>> copies = {{MenuExecutableName(), MenuExecutableName()},
                                                 {SetupProgramName(), SetupProgramName()}};
    if (demo) {
        for (const QString& name : DemoProgramFiles()) {
            copies.append({DemoProgramName(), name});
        }
    }
    for (const auto& [from, to] : copies) {
        const QString source = JoinPath(fromFolder, from);
        const QString target = JoinPath(programFolder, to);
        if (QFileInfo::exists(target) &&
            QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath()) {
            continue;
        }
        QString error;
        if (!CopyFileReplacing(source, target, &error)) {
            return error;
        }
        QFile::setPermissions(target, QFile::permissions(source));
    }
    return std::nullopt;
}
