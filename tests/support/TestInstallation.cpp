#include "TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>

#include "app/Environment.h"
#include "db/ConnectionString.h"
#include "db/Schema.h"
#include "env/CompanySettings.h"
#include "env/Installation.h"

#include <cstdio>
#include <cstdlib>

namespace {
ProcessInfo TestProcess(const QString& programFolder, const QString& commandText,
                        const QString& userName, const QString& lockFolder) {
    ProcessInfo info;
    info.userName = userName;
    info.programFolder = programFolder;
    info.executableName = QStringLiteral("ヌモリカマイメニュ");
    info.commandText = commandText;
    info.lockFolder = lockFolder;
    return info;
}

const QString kServerPrefix = QStringLiteral("pgsql:");

// The test cluster: NUMORIKA_TEST_PG is "socket folder:port".
ServerAddress TestServer() {
    return ParseServerAddress(qEnvironmentVariable("NUMORIKA_TEST_PG"));
}

bool ServerBackend() {
    return qEnvironmentVariable("NUMORIKA_TEST_BACKEND") == QLatin1String("server");
}

// A path, or "pgsql:" and the name of a database of the test cluster.
template <typename Work>
void WithDatabase(const QString& databasePath, Work work) {
    const QString name = QStringLiteral("test-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db;
        if (databasePath.startsWith(kServerPrefix)) {
            const ServerAddress server = TestServer();
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(server.host);
            db.setPort(server.port);
            db.setUserName(QStringLiteral("postgres"));
            db.setDatabaseName(databasePath.mid(kServerPrefix.size()));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(databasePath);
        }
        if (!db.open()) {
            qFatal("cannot open %s", qPrintable(databasePath));
        }
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
}  // namespace

TestInstallation::TestInstallation(Content content) {
    if (ServerBackend() && TestServer().host.isEmpty()) {
        // ctest reports the test as skipped with this reason.
        std::fputs(
            "SKIP: no PostgreSQL cluster; scripts/test.sh starts one and sets NUMORIKA_TEST_PG\n",
            stdout);
        std::exit(77);
    }
    if (content == Databases) {
        if (const auto error = CreateInstallation(dir_.path())) {
            qFatal("cannot create installation: %s", qPrintable(*error));
        }
        if (ServerBackend()) {
            moveBusinessToServer();
        }
    } else if (content == FoldersOnly) {
        QDir(dir_.path()).mkpath(QStringLiteral("prgbin"));
    }
}

void TestInstallation::moveBusinessToServer() {
    serverDatabase_ = QStringLiteral("numorika_") + QUuid::createUuid().toString(QUuid::Id128);
    ExecuteOn(kServerPrefix + QStringLiteral("postgres"),
              QStringLiteral("CREATE DATABASE ") + serverDatabase_);
    for (const QString& statement : BusinessSchema() + InitialBusinessRows()) {
        ExecuteOn(businessPath(), statement);
    }
    const ServerAddress server = TestServer();
    ExecuteOn(
        configPath(),
        QStringLiteral("UPDATE データベース定義 SET db = 'S', プロバイダ名 = 'PostgreSQL', "
                       "サーバー名 = '%1:%2', データベース名 = '%3', ユーザーID = 'postgres', "
                       "パスワード = '', 接続文字列 = ''")
            .arg(server.host)
            .arg(server.port)
            .arg(serverDatabase_));
}

TestInstallation::~TestInstallation() {
    if (onServer()) {
        ExecuteOn(kServerPrefix + QStringLiteral("postgres"),
                  QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(serverDatabase_));
    }
}

QString TestInstallation::businessPath() const {
    return onServer() ? kServerPrefix + serverDatabase_ : path(QStringLiteral("data/gnrdb.accdb"));
}

QString TestInstallation::base() const {
    return dir_.path() + QLatin1Char('/');
}

QString TestInstallation::path(const QString& relative) const {
    return base() + relative;
}

TestContext::TestContext(const QString& programFolder, const QString& commandText,
                         const QString& userName)
    : registry(lockFolder.filePath(QStringLiteral("hklm.json")),
               lockFolder.filePath(QStringLiteral("hkcu.json"))),
      ctx(dialogs, shell, clock, registry,
          TestProcess(programFolder, commandText, userName, lockFolder.path())) {}

LoadedContext::LoadedContext(const TestInstallation& install, const QString& staff,
                             const QString& userName)
    : TestContext(install.programFolder(), {}, userName) {
    if (!OpenEnvironment(ctx) || !LoadCompanySettings(ctx)) {
        QFAIL("the menu's start-up failed");
    }
    ctx.staff.code = staff;
}

SingleInstance InstanceOf(const TestContext& t) {
    return SingleInstance(t.ctx.process.lockFolder, t.ctx.process.executableName,
                          t.ctx.process.userName);
}

void AddStaff(const TestInstallation& install, const QString& code, const QString& name,
              QVariantMap more) {
    more.insert(QStringLiteral("コード"), code);
    more.insert(QStringLiteral("氏名"), name);
    more.insert(QStringLiteral("在籍区分"), more.value(QStringLiteral("在籍区分"), "0"));
    more.insert(QStringLiteral("事業所コード"), more.value(QStringLiteral("事業所コード"), "000"));
    InsertRow(install.businessPath(), QStringLiteral("M担当者"), more);
}

QString StoredSetting(const TestInstallation& install, const QString& column) {
    return QueryValue(install.configPath(),
                      QStringLiteral("SELECT %1 FROM 動作環境定義").arg(column))
        .toString();
}

QList<QVariantMap> QueryRows(const QString& databasePath, const QString& sql) {
    QList<QVariantMap> rows;
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
        while (query.next()) {
            QVariantMap row;
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i) {
                row.insert(record.fieldName(i), query.value(i));
                // The server folds the letters of unquoted names: 条件項目値B comes back as
                // 条件項目値b. The tests name columns as the system writes them.
                row.insert(record.fieldName(i).toUpper(), query.value(i));
            }
            rows << row;
        }
    });
    return rows;
}

void ExecuteOn(const QString& databasePath, const QString& sql) {
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
    });
}

QVariant QueryValue(const QString& databasePath, const QString& sql) {
    QVariant value;
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
        if (query.next()) {
            value = query.value(0);
        }
    });
    return value;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void InsertRow(const QString& databasePath, const QString& table, const QVariantMap& values) {
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QStringList marks(values.size(), QStringLiteral("?"));
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, values.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            qFatal("insert into %s: %s", qPrintable(table), qPrintable(query.lastError().text()));
        }
    });
}

QStringList HistoryNotes(const QString& configPath) {
    QStringList notes;
    for (const QVariantMap& row : QueryRows(
             configPath, QStringLiteral("SELECT 摘要 FROM プログラム稼動履歴 ORDER BY rowid"))) {
        notes << row.value(QStringLiteral("摘要")).toString();
    }
    return notes;
}
