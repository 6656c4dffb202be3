#include "AdminInstallation.h"

#include <QDir>
#include <QSqlQuery>
#include <QUuid>

#include "db/DatabaseFile.h"
#include "db/DbAccess.h"
#include "env/CompanySettings.h"
#include "env/InstallPaths.h"
#include "env/LoadEnvironment.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"
#include "records/Connections.h"

void ConsoleDialogs::information(const QString& text) {
    QString shown = text;
    err_ << shown.replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
}

bool ConsoleDialogs::question(const QString& text) {
    information(text);
    return false;
}

std::optional<QString> ConsoleDialogs::openFile(const QStringList&, const QString&) {
    return std::nullopt;
}

ReadOnlyFile::ReadOnlyFile(const QString& path)
    : name_(QStringLiteral("readonly-") + QUuid::createUuid().toString()) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    opened_ = CheckDatabaseFile(path) && db.open() &&
              QSqlQuery(db).exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

ReadOnlyFile::~ReadOnlyFile() {
    QSqlDatabase::database(name_, false).close();
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase ReadOnlyFile::database() const {
    return QSqlDatabase::database(name_, false);
}

QString ReadOnlyFile::value(const QString& sql) const {
    QSqlQuery query(database());
    return query.exec(sql) && query.next() ? query.value(0).toString() : QString();
}

QString SharedConfigurationFile(const QString& base) {
    InstallPaths paths;
    DeriveInstallFolders(paths,
                         QDir::toNativeSeparators(QDir(base).absolutePath()) + QDir::separator());
    return ConfigDatabasePath(paths.configFolder, paths.configKind);
}

namespace {
ProcessInfo Process(const QString& base) {
    ProcessInfo info;
    info.userName = CurrentUserName();
    info.programFolder =
        JoinPath(QDir::toNativeSeparators(QDir(base).absolutePath()), QStringLiteral("prgbin"));
    info.executableName = kProgramId;
    const LockFolderChoice lock = LockFolder();
    info.lockFolder = lock.folder;
    info.lockProblem = lock.problem;
    return info;
}
}  // namespace

AdminInstallation::AdminInstallation(const QString& base, QTextStream& err)
    : dialogs_(err),
      registry_(FileRegistryStore::ForThisUser()),
      ctx_(dialogs_, shell_, clock_, registry_, Process(base)) {}

bool AdminInstallation::load(QTextStream& err) {
    if (!LoadEnvironment(ctx_) || !OpenBusinessConnection(ctx_)) {
        err << QStringLiteral("インストールを開けません: ") << ctx_.process.programFolder << '\n';
        return false;
    }
    if (!LoadCompanySettings(ctx_)) {
        err << QStringLiteral("ユーザ情報が有りません") << '\n';
        return false;
    }
    return true;
}

std::optional<QString> BackupRoot(const QString& folder, QTextStream& err) {
    if (TrimBlanks(folder).isEmpty()) {
        err << QStringLiteral(
                   "バックアップフォルダが設定されていません (--folder DIR で指定できます)。")
            << '\n';
        return std::nullopt;
    }
    return QDir::toNativeSeparators(QDir(folder).absolutePath());
}
