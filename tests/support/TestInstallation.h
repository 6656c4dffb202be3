#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>

#include "Fakes.h"
#include "context/AppContext.h"
#include "platform/SingleInstance.h"

// A temporary installation built with the same code as numorika-admin init:
// base/prgbin, conf, data, report, manual and the two databases. When the test runs for the
// server (NUMORIKA_TEST_BACKEND=server), the business database is a fresh PostgreSQL database
// on the cluster NUMORIKA_TEST_PG names, and businessPath() names it for the helpers below.
class TestInstallation {
public:
    enum Content { Databases, FoldersOnly, Nothing };
    explicit TestInstallation(Content content = Databases);
    ~TestInstallation();

    QString base() const { return dir_.path() + QLatin1Char('/'); }  // with its trailing separator
    QString path(const QString& relative) const { return base() + relative; }
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

// A context as the menu holds it once started: the environment open, the company read and a member
// of staff signed in (nobody when staff is empty).
struct LoadedContext : TestContext {
    explicit LoadedContext(const TestInstallation& install,
                           const QString& staff = QStringLiteral("00012"),
                           const QString& userName = QStringLiteral("taro"));
};

// The single-instance lock of the menu that context stands for.
SingleInstance InstanceOf(const TestContext& t);

// The columns of a data-driven test, their types and then their names in order.
template <typename... Types, typename... Names>
void Columns(Names... names) {
    (QTest::addColumn<Types>(names), ...);
}

// One row of a data-driven test, its cells in column order.
template <typename... Cells>
void Row(const char* tag, Cells... cells) {
    (QTest::newRow(tag) << ... << cells);
}

// The cell of a column in the current row of a data-driven test, for a value read once.
template <typename T>
const T& Cell(const char* column) {
    return *static_cast<const T*>(QTest::qData(column, qMetaTypeId<T>()));
}

// A member of staff of the business database, employed at every office unless more says
// otherwise.
void AddStaff(const TestInstallation& install, const QString& code, const QString& name,
              QVariantMap more = {});
// A column of the environment row of the configuration, as stored.
QString StoredSetting(const TestInstallation& install, const QString& column);

// Reads and writes a database file through a connection of its own, as another program would.
QList<QVariantMap> QueryRows(const QString& databasePath, const QString& sql);
void ExecuteOn(const QString& databasePath, const QString& sql);
// The first value of the first row that sql reads (invalid when it reads none).
QVariant QueryValue(const QString& databasePath, const QString& sql);
// Inserts one row with the given column values (bound, so any text goes in as it is).
void InsertRow(const QString& databasePath, const QString& table, const QVariantMap& values);

// Creates or replaces a file holding those bytes; false when it cannot be written.
bool WriteFile(const QString& path, const QByteArray& bytes = {});

// The 摘要 texts of the run history, in the order written.
QStringList HistoryNotes(const QString& configPath);
// Each row as its values joined by "|" (Null for Null), of the columns named or all in name order.
QStringList RowTexts(const QList<QVariantMap>& rows, const QStringList& columns = {});
// The files of a folder with their bytes.
QMap<QString, QByteArray> FileBytes(const QString& folder, const QStringList& patterns = {"*.mdb"});

// One detail row of a menu. A value of QVariant() is stored as Null.
struct MenuRow {
    QString staff = QStringLiteral("00012");
    int tab = 0;
    QVariant position = 0;
    QVariant name{};
    QVariant file{};
    QVariantList values{};  // 条件項目値A …
    QVariant description{};
};

void AddMenuRow(const TestInstallation& install, const MenuRow& row);
void AddMenuTitle(const TestInstallation& install, const QString& staff, int tab,
                  const QVariant& title);
// A catalogue row: program ID and item names A …; QVariant() is Null.
void AddCatalogue(const TestInstallation& install, const QString& table, const QString& programId,
                  const QVariantList& itemNames);
