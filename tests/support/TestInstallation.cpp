#include "TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include "env/CompanySettings.h"
#include "env/Environment.h"
#include "install/Installation.h"
#include "menu/MenuStore.h"

#include <cstdio>
#include <cstdlib>

namespace {
const QString kServerPrefix = QStringLiteral("pgsql:");

// The test cluster: NUMORIKA_TEST_PG is "socket folder:port".
ServerAddress TestServer() {
    return ParseServerAddress(qEnvironmentVariable("NUMORIKA_TEST_PG"));
}

// A path, or "pgsql:" and the name of a database of the test cluster.
template <typename Work>
void WithDatabase(const QString& databasePath, Work work) {
    const QString name = QStringLiteral("test-") + QUuid::createUuid().toString();
    {
        const bool onServer = databasePath.startsWith(kServerPrefix);
        QSqlDatabase db = QSqlDatabase::addDatabase(onServer ? "QPSQL" : "QSQLITE", name);
        db.setDatabaseName(onServer ? databasePath.mid(kServerPrefix.size()) : databasePath);
        if (onServer) {
            db.setHostName(TestServer().host);
            db.setPort(TestServer().port);
            db.setUserName(QStringLiteral("postgres"));
        }
        if (!db.open()) {
            qFatal("cannot open %s", qPrintable(databasePath));
        }
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Runs sql and hands the query to read; a statement that fails ends the test program.
template <typename Read>
void Query(const QString& databasePath, const QString& sql, Read read) {
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
        read(query);
    });
}
}  // namespace

TestInstallation::TestInstallation(Content content) {
    const bool server = qEnvironmentVariable("NUMORIKA_TEST_BACKEND") == QLatin1String("server");
    if (server && TestServer().host.isEmpty()) {
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
        if (server) {
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
    ExecuteOn(
        configPath(),
        QStringLiteral("UPDATE データベース定義 SET db = 'S', プロバイダ名 = 'PostgreSQL', "
                       "サーバー名 = '%1:%2', データベース名 = '%3', ユーザーID = 'postgres', "
                       "パスワード = '', 接続文字列 = ''")
            .arg(TestServer().host)
            .arg(TestServer().port)
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

TestContext::TestContext(const QString& programFolder, const QString& commandText,
                         const QString& userName)
    : registry(lockFolder.filePath(QStringLiteral("hklm.json")),
               lockFolder.filePath(QStringLiteral("hkcu.json"))),
      ctx(dialogs, shell, clock, registry,
          ProcessInfo{userName,
                      programFolder,
                      QStringLiteral("ヌモリカマイメニュ"),
                      commandText,
                      lockFolder.path(),
                      {}}) {}

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
    QVariantMap row{{"在籍区分", "0"}, {"事業所コード", "000"}};
    row.insert(more);
    row.insert(QVariantMap{{"コード", code}, {"氏名", name}});
    InsertRow(install.businessPath(), QStringLiteral("M担当者"), row);
}

QString StoredSetting(const TestInstallation& install, const QString& column) {
    return QueryValue(install.configPath(),
                      QStringLiteral("SELECT %1 FROM 動作環境定義").arg(column))
        .toString();
}

QList<QVariantMap> QueryRows(const QString& databasePath, const QString& sql) {
    QList<QVariantMap> rows;
    Query(databasePath, sql, [&](QSqlQuery& query) {
        while (query.next()) {
            QVariantMap row;
            for (int i = 0; i < query.record().count(); ++i) {
                row.insert(query.record().fieldName(i), query.value(i));
                // The server folds the letters of unquoted names: 条件項目値B comes back as
                // 条件項目値b. The tests name columns as the system writes them.
                row.insert(query.record().fieldName(i).toUpper(), query.value(i));
            }
            rows << row;
        }
    });
    return rows;
}

void ExecuteOn(const QString& databasePath, const QString& sql) {
    Query(databasePath, sql, [](QSqlQuery&) {});
}

QVariant QueryValue(const QString& databasePath, const QString& sql) {
    QVariant value;
    Query(databasePath, sql,
          [&](QSqlQuery& query) { value = query.next() ? query.value(0) : value; });
    return value;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void InsertRow(const QString& databasePath, const QString& table, const QVariantMap& values) {
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(table, values.keys().join(QLatin1Char(',')),
                               QStringList(values.size(), QStringLiteral("?")).join(',')));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            qFatal("insert into %s: %s", qPrintable(table), qPrintable(query.lastError().text()));
        }
    });
}

QStringList HistoryNotes(const QString& configPath) {
    return RowTexts(QueryRows(
        configPath, QStringLiteral("SELECT 摘要 FROM プログラム稼動履歴 ORDER BY rowid")));
}

QStringList RowTexts(const QList<QVariantMap>& rows, const QStringList& columns) {
    QStringList texts;
    for (const QVariantMap& row : rows) {
        QStringList cells;
        for (const QString& column : columns.isEmpty() ? row.keys() : columns) {
            cells << (row.value(column).isNull() ? QStringLiteral("Null")
                                                 : row.value(column).toString());
        }
        texts << cells.join(QLatin1Char('|'));
    }
    return texts;
}

QMap<QString, QByteArray> FileBytes(const QString& folder, const QStringList& patterns) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(patterns, QDir::Files)) {
        QFile file(folder + QLatin1Char('/') + name);
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

void AddMenuRow(const TestInstallation& install, const MenuRow& row) {
    QVariantMap values{{"担当者コード", row.staff},      {"メニュタブ位置", row.tab},
                       {"メニュ詳細位置", row.position}, {"プログラム名", row.name},
                       {"filepath", row.file},           {"説明", row.description}};
    for (int i = 0; i < row.values.size(); ++i) {
        values.insert(ConditionValueColumn(i), row.values[i]);
    }
    InsertRow(install.businessPath(), QStringLiteral("ヌモリカマイメニュ詳細"), values);
}

void AddMenuTitle(const TestInstallation& install, const QString& staff, int tab,
                  const QVariant& title) {
    InsertRow(install.businessPath(), QStringLiteral("ヌモリカマイメニュ"),
              {{"担当者コード", staff}, {"メニュタブ位置", tab}, {"機能名", title}});
}

void AddCatalogue(const TestInstallation& install, const QString& table, const QString& programId,
                  const QVariantList& itemNames) {
    QVariantMap values{{"プログラムID", programId}};
    for (int i = 0; i < itemNames.size(); ++i) {
        values.insert(ConditionNameColumn(i), itemNames[i]);
    }
    InsertRow(install.configPath(), table, values);
}
