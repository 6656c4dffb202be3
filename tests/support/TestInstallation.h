#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

#include "Fakes.h"
#include "context/AppContext.h"

// A temporary installation built with the same code as numorika-admin init:
// base/prgbin, conf, data, report, manual and the two databases. When the test runs for the
// server (NUMORIKA_TEST_BACKEND=server), the business database is a fresh PostgreSQL database
// on the cluster NUMORIKA_TEST_PG names, and businessPath() names it for the helpers below.
class TestInstallation {
public:
    enum Content { Databases, FoldersOnly, Nothing };
    explicit TestInstallation(Content content = Databases);
    ~TestInstallation();
    TestInstallation(const TestInstallation&) = delete;
    TestInstallation& operator=(const TestInstallation&) = delete;

    QString base() const;  // with its trailing separator
    QString path(const QString& relative) const;
    QString programFolder() const { return path(QStringLiteral("prgbin")); }
    QString configPath() const { return path(QStringLiteral("conf/usrcnfg.accdb")); }
    QString businessPath() const;
    bool onServer() const { return !serverDatabase_.isEmpty(); }

private:
    void moveBusinessToServer();

    QTemporaryDir dir_;
    QString serverDatabase_;
};

// A fresh context with fakes, as the menu started from programFolder would have it.
struct TestContext {
    explicit TestContext(const QString& programFolder, const QString& commandText = {},
                         const QString& userName = QStringLiteral("taro"));
    QTemporaryDir lockFolder;  // also holds the registry hives
    FakeDialogs dialogs;
    FakeShell shell;
    FakeClock clock;
    FileRegistryStore registry;
    AppContext ctx;
};

// Reads and writes a database file through a connection of its own, as another program would.
QList<QVariantMap> QueryRows(const QString& databasePath, const QString& sql);
void ExecuteOn(const QString& databasePath, const QString& sql);
// Inserts one row with the given column values (bound, so any text goes in as it is).
void InsertRow(const QString& databasePath, const QString& table, const QVariantMap& values);

// The 摘要 texts of the run history, in the order written.
QStringList HistoryNotes(const QString& configPath);
