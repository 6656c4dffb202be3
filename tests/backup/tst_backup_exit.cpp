#include "TestSupport.h"
#include "backup/Restore.h"
#include "db/DatabaseFile.h"
#include "db/RowChecksum.h"
#include "db/RowImage.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <thread>

namespace {
// A business database with only the tables a case makes.
struct Backup {
    Backup() : t(install.programFolder()) {
        for (const QString table : {"Mユーザ", "M事業所", "M他業務連携", "M担当者",
                                    "ヌモリカマイメニュ", "ヌモリカマイメニュ詳細"}) {
            ExecuteOn(install.businessPath(), "DROP TABLE " + table);
        }
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.notice = &notice;
        folder = WeekdayFolder(backupRoot.path(), QDate(2024, 5, 19));
    }
    // n rows numbered from 1, with a second column of that type filled by `date` of i.
    void table(const QString& name, int n, const QString& date = {}, const QString& type = "") {
        const QString second = date.isEmpty() ? QString() : ", 営業受注日付 " + type;
        ExecuteOn(install.businessPath(), "CREATE TABLE " + name + " (番号 INTEGER" + second + ")");
        ExecuteOn(install.businessPath(),
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                 "WHERE i < %1) INSERT INTO %2 SELECT i%3 FROM n")
                      .arg(n)
                      .arg(name, date.isEmpty() ? QString() : ", " + date));
    }
    // Rows of a sliced sales-detail table over `dates` days, the key indexed or not. With no
    // declared type, as older files have, the dates are stored as numbers.
    void salesDetail(int n, int dates, bool indexed, const QString& name = "T営業受注明細",
                     const QString& type = "TEXT") {
        const QString i = "i % " + QString::number(dates);
        table(name, n,
              install.onServer() ? "'2024' || lpad((" + i + ")::text, 4, '0')"
              : type.isEmpty()   ? "20240000 + " + i
                                 : "printf('2024%04d', " + i + ")",
              type);
        if (indexed) {
            ExecuteOn(install.businessPath(), "CREATE INDEX 日付 ON " + name + " (営業受注日付)");
        }
    }
    // The business server read through its ODBC driver instead ("O"); false without the server
    // or the driver.
    bool throughOdbc() {
        if (!install.onServer() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
            return false;
        }
        auto& odbc = t.ctx.databaseDefinition;
        odbc.connectionText = "Server=" + odbc.serverName.section(':', 0, 0) +
                              ";Port=" + odbc.serverName.section(':', 1);
        odbc.kind = "O";
        odbc.providerName = "MSDASQL";
        odbc.dataSourceName.clear();
        odbc.driverName = "PostgreSQL Unicode";
        return true;
    }
    int rowsIn(const QString& file, const QString& table) const {
        return QueryValue(file, "SELECT count(*) FROM " + table).toInt();
    }
    QStringList files() const { return QDir(folder).entryList({"*.mdb"}, QDir::Files, QDir::Name); }
    QMap<QString, QByteArray> contents() const { return FileBytes(folder, {"*"}); }
    QString backupStamp() const { return StoredSetting(install, "バックアップ日付"); }
    // 90 sales lines over 18 dates in slices of 10, three to a file (tridb, tridb1, tridb2), with
    // Null dates, quotes and line breaks, bytes and reals, a key and a unique index, backed up.
    void backUpEveryKind() {
        const bool server = install.onServer();
        ExecuteOn(install.businessPath(),
                  "CREATE TABLE T営業受注明細 (番号 INTEGER NOT NULL PRIMARY KEY, 営業受注日付 " +
                      QString(server ? "TIMESTAMP" : "TEXT") + ", 摘要 VARCHAR(60), 数量 " +
                      "NUMERIC(10,2), 写真 " + (server ? "BYTEA" : "BLOB") + ", 単価 " +
                      (server ? "DOUBLE PRECISION" : "REAL") + ")");
        ExecuteOn(install.businessPath(), "CREATE UNIQUE INDEX 明細摘要 ON T営業受注明細 (摘要)");
        ExecuteOn(install.businessPath(),
                  server ? "INSERT INTO T営業受注明細 SELECT i, CASE WHEN i % 9 > 0 THEN "
                           "timestamp '2024-05-01 10:00:00.123456' + (i % 18) * interval '1 day "
                           "1 microsecond' END, 'it''s' || chr(10) || i, i * 1.25, "
                           "decode(md5(i::text), 'hex'), i / 3.0 FROM generate_series(1, 90) i"
                         : "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 90) INSERT INTO T営業受注明細 SELECT i, CASE WHEN i % 9 > "
                           "0 THEN printf('2024%04d', i % 18) END, 'it''s' || char(10) || i, "
                           "i * 1.25, randomblob(16), i / 3.0 FROM n");
        table("A番号情報", 3);
        QVERIFY(BackupDatabases(t.ctx, folder, {.sliceRows = 10, .fileRows = 35}).complete());
    }
    QString file(const QString& name) const { return folder + name; }

    TestInstallation install;
    TestContext t;
    FakeNotice notice;
    QTemporaryDir backupRoot;
    QString folder;
};

}  // namespace

class TestBackupAndExit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whichTablesAndKeys_data() {
        Columns<QString, bool, QString, QString>("table", "taken", "groups", "key");
        Row("listed master", "M担当者", true, "mstdb", "");
        Row("customers by staff", "M得意先", true, "mstdb", "担当者コード");
        Row("K table", "K在庫", true, "mstdb", "");
        Row("G table", "G在庫", true, "mstdb", "");
        Row("K with a half-width second", "Kx", false, "", "");
        Row("unlisted M", "M自由", false, "", "");
        Row("order detail", "T営業受注明細", true, "tridb", "営業受注日付");
        Row("payment detail", "R出金明細", true, "rtrdb", "出金日付");
        Row("events", "T営業活動明細", true, "tridb", "日付");
        Row("mailing history", "T名簿発送履歴", true, "tridb", "発送日付");
        Row("budget", "S担当者予算", true, "sumdb", "対象年月");
        Row("menu", "ヌモリカマイメニュ詳細", true, "mstdb", "");
    }
    void whichTablesAndKeys() {
        QFETCH(QString, table);
        QFETCH(bool, taken);
        QCOMPARE(IsBackupTable(table), taken);
        QStringList in = BackupGroups();
        in.removeIf([&](const QString& group) { return !taken || !BelongsToGroup(table, group); });
        QTEST(in.join(' '), "groups");
        QTEST(taken ? SliceKeyColumn(table) : QString(), "key");
    }

    void namesOfFoldersAndFiles() {
        QCOMPARE(WeekdayFolder("/b/", QDate(2024, 5, 20)), QStringLiteral("/b/ヌモリカ/Monday/"));
        QCOMPARE(NextFollowOnFile("/w/tridb9.mdb"), QStringLiteral("/w/tridb10.mdb"));
    }

    void largeTablesGoOutInSlices_data() {
        Columns<bool, QString>("indexed", "type");
        Row("key indexed", true, "TEXT");
        Row("key not indexed", false, "TEXT");
        Row("numbers in a column without a type", true, "");
    }
    void largeTablesGoOutInSlices() {
        QFETCH(QString, type);
        Backup b;
        if (type.isEmpty() && b.install.onServer()) {
            QSKIP("a server column always has a type");
        }
        b.salesDetail(150000, 500, Cell<bool>("indexed"), "T営業受注明細", type);
        ExecuteOn(b.install.businessPath(),
                  "INSERT INTO T営業受注明細 VALUES (0, NULL), (-1, 'it''s')");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        // Whole dates of 300 rows each, closed past 60,000 rows: 60,300 + 60,300 + the rest;
        // the Null keys in a slice of their own, first or last as the engine sorts them.
        QStringList slices = b.notice.texts.filter(QStringLiteral("T営業受注明細 営業受注日付"));
        slices.sort();
        QCOMPARE(slices.join('\n').remove("T営業受注明細 営業受注日付 "),
                 ">= '20240000' AND 営業受注日付 <= '20240200'\n>= '20240201' AND 営業受注日付 <= "
                 "'20240401'\n>= '20240402' AND 営業受注日付 <= 'it''s'\nIS NULL");
        QCOMPARE(QueryValue(b.file("tridb.mdb"),
                            "SELECT count(*) || ' ' || count(DISTINCT 番号) FROM T営業受注明細"),
                 "150002 150002");
        QCOMPARE(b.backupStamp() + " " + b.t.ctx.environment.backupDate,
                 "20261207 093015 20261207");
    }

    void aCopyKeepsItsDeclaredTypes_data() {
        Columns<QString, QString, bool>("table", "file", "indexed");
        Row("whole table", "K在庫", "mstdb.mdb", false);
        Row("sliced, key indexed", "T営業受注明細", "tridb.mdb", true);
        Row("sliced, key not indexed", "T営業受注明細", "tridb.mdb", false);
    }
    void aCopyKeepsItsDeclaredTypes() {
        QFETCH(QString, table);
        Backup b;
        if (b.install.onServer()) {
            QSKIP("a server's columns are typed from its rows");
        }
        const QString business = b.install.businessPath();
        ExecuteOn(business, "CREATE TABLE " + table +
                                " (番号 INTEGER, 営業受注日付 TEXT, 数量 NUMERIC, 単価 REAL, 画像 "
                                "BLOB, 品名 VARCHAR(60))");
        ExecuteOn(business, "INSERT INTO " + table + " VALUES (1, '20240501', 2, 1.5, x'00', 'a')");
        if (Cell<bool>("indexed")) {
            ExecuteOn(business, "CREATE INDEX 日付 ON " + table + " (営業受注日付)");
        }
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        QCOMPARE(
            QueryValue(b.file(Cell<QString>("file")),
                       "SELECT group_concat(type, ' ') FROM pragma_table_info('" + table + "')"),
            "INTEGER TEXT NUMERIC REAL BLOB VARCHAR(60)");
    }

    // Slices of 15 rows, three to a file; after the table's last slice fills its file, the next
    // table (T閲覧, after it by name) starts a new one.
    void fullFilesContinueInTheNext() {
        Backup b;
        b.salesDetail(90, 18, false);
        b.salesDetail(10, 5, false, "T営業受注");
        b.table("A番号情報", 1);
        b.table("T閲覧", 1);
        QVERIFY(QDir().mkpath(b.folder) && WriteFile(b.file("tridb.mdb")) &&
                WriteFile(b.file("tridb7.mdb")) && WriteFile(b.file("tridbX.mdb")) &&
                WriteFile(b.file("other.mdb")));
        const BackupResult result = BackupDatabases(
            b.t.ctx, b.folder, {.sliceRows = 10, .fileRows = 35, .fileBytes = 1 << 30});
        QVERIFY(result.copied);
        QCOMPARE(b.files(), (QStringList{"mstdb.mdb", "other.mdb", "rtrdb.mdb", "sumdb.mdb",
                                         "tridb.mdb", "tridb1.mdb", "tridb2.mdb", "zandb.mdb"}));
        // The file begun after the table's last slice is the next table's.
        const auto sales =
            std::find_if(result.tables.cbegin(), result.tables.cend(),
                         [](const auto& table) { return table.table == "T営業受注明細"; });
        QVERIFY(sales != result.tables.cend());
        QCOMPARE(sales->files, (QStringList{"tridb.mdb", "tridb1.mdb"}));
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T営業受注明細") +
                     b.rowsIn(b.file("tridb1.mdb"), "T営業受注明細"),
                 90);
        QCOMPARE(b.rowsIn(b.file("tridb2.mdb"), "T閲覧"), 1);
        QCOMPARE(b.rowsIn(b.file("rtrdb.mdb"), "A番号情報"), 1);
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "A番号情報"), 1);
    }

    void aLargeFileIsCompactedAndContinued() {
        Backup b;
        b.salesDetail(1000, 10, true);
        ExecuteOn(b.install.businessPath(), "CREATE TABLE T営業受注 (営業受注日付 TEXT)");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder, {.fileBytes = 1}).copied);
        // Every table leaves its file too large: the next one starts a new file.
        QCOMPARE(b.rowsIn(b.file("tridb1.mdb"), "T営業受注明細"), 1000);
        QVERIFY(QFileInfo::exists(b.file("tridb2.mdb")));
        QVERIFY(!QFileInfo::exists(b.install.path("conf/gnrback.mdb")));
    }

    // The scheduled backup runs on the weekdays set, from the start time on, once a day.
    void theScheduleDecides_data() {
        // the weekday column set to 1, 0 for Monday
        Columns<QDateTime, int, QString, QString, QString>("now", "day", "start", "done", "waits");
        const QDateTime monday(QDate(2026, 12, 7), QTime(9, 30));
        Row("Monday, any time", monday, 0, "", "", "");
        Row("not a backup day", monday, 1, "", "", "曜日");
        Row("before the start", monday, 0, "09:31", "", "開始時刻");
        Row("at the start", monday, 0, "09:30", "", "");
        Row("done today", monday, 0, "", "20261207", "済んで");
        Row("done yesterday", monday, 0, "", "20261206", "");
        Row("Sunday is the last column", QDateTime(QDate(2026, 12, 13), QTime(23, 59)), 6, "23:00",
            "", "");
    }
    void theScheduleDecides() {
        QFETCH(QString, waits);
        EnvironmentRecord environment;
        environment.weekdayBackup[std::size_t(Cell<int>("day"))] = 1;
        environment.backupStartTime = Cell<QString>("start");
        environment.backupDate = Cell<QString>("done");
        const auto reason = ScheduledBackupWaits(environment, Cell<QDateTime>("now"));
        QVERIFY(reason ? !waits.isEmpty() && reason->contains(waits) : waits.isEmpty());
    }

    // Another workstation writes order lines, each with its twin in one statement, while the
    // backup runs: the backup holds both of every pair or neither, every table matches its
    // source, and no write fails (a failed write ends the test program).
    void aBackupIsOfOneMoment_data() {
        Columns<int, bool>("workers", "odbc");
        Row("one worker", 1, false);
        Row("two workers", 2, false);
        Row("a server through ODBC", 1, true);
    }
    void aBackupIsOfOneMoment() {
        Backup b;
        if (Cell<bool>("odbc") && !b.throughOdbc()) {
            QSKIP("needs the PostgreSQL test cluster and its ODBC driver");
        }
        b.salesDetail(100, 10, true);
        b.table("K検証", 100);
        const QString business = b.install.businessPath();
        if (!b.install.onServer()) {
            ExecuteOn(business,
                      "CREATE TRIGGER 双子 AFTER INSERT ON T営業受注明細 BEGIN INSERT "
                      "INTO K検証 VALUES (NEW.番号); END");
        }
        const QString twin = b.install.onServer()
                                 ? "WITH line AS (INSERT INTO T営業受注明細 VALUES (%1, "
                                   "'20240001')) INSERT INTO K検証 VALUES (%1)"
                                 : "INSERT INTO T営業受注明細 VALUES (%1, '20240001')";
        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (int next = 1000; !done; ++next) {
                ExecuteOn(business, twin.arg(next));
                QThread::msleep(2);
            }
        });
        const BackupResult result = BackUp(
            PlanBackup(b.t.ctx, b.folder, {.sliceRows = 10, .workers = Cell<int>("workers")}), {},
            StopToken());
        done = true;
        writer.join();
        const QString twins = "SELECT group_concat(番号) FROM (SELECT 番号 FROM %1 ORDER BY 番号)";
        QCOMPARE(QueryValue(b.file("tridb.mdb"), twins.arg("T営業受注明細")),
                 QueryValue(b.file("mstdb.mdb"), twins.arg("K検証")));
        for (const BackupTableReport& table : result.tables) {
            QVERIFY2(table.whole(), qPrintable(table.table));
        }
    }

    // A server that does not let its snapshot be shared (a role without the right, a pooler) is
    // read on one connection instead of not at all.
    void aServerThatSharesNoSnapshotIsReadOnOneConnection() {
        Backup b;
        if (!b.install.onServer()) {
            QSKIP("needs the PostgreSQL test cluster");
        }
        b.salesDetail(30, 3, true);
        const QString role = "clerk_" + QString::number(QCoreApplication::applicationPid());
        for (const QString& statement :
             {"CREATE ROLE " + role + " LOGIN",
              "GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + role,
              QString("REVOKE EXECUTE ON FUNCTION pg_export_snapshot() FROM PUBLIC")}) {
            ExecuteOn(b.install.businessPath(), statement);
        }
        b.t.ctx.databaseDefinition.userId = role;
        const BackupResult result =
            BackUp(PlanBackup(b.t.ctx, b.folder, {.sliceRows = 10}), {}, StopToken());
        QVERIFY(result.complete());
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T営業受注明細"), 30);
    }

    // The workers read ahead of the writing; the files are those one worker writes, table by
    // table and row by row, in the same files.
    void workersWriteWhatOneWrites_data() {
        Columns<bool, qint64, bool>("indexed", "fileBytes", "everyKind");
        Row("key indexed", true, qint64(1) << 30, false);
        Row("key not indexed", false, qint64(1) << 30, false);
        Row("key of every kind, not indexed", false, qint64(1) << 30, true);
        Row("files compacted and continued", true, qint64(1), false);
    }
    void workersWriteWhatOneWrites() {
        Backup b;
        const bool everyKind = Cell<bool>("everyKind");
        if (everyKind && b.install.onServer()) {
            QSKIP("a server's column holds values of one kind");
        }
        b.salesDetail(90, 18, Cell<bool>("indexed"), "T営業受注明細", everyKind ? "" : "TEXT");
        if (everyKind) {
            // A real of an integer's value among that integer's rows, a number, a text and bytes
            // alike, and a row id below zero.
            ExecuteOn(b.install.businessPath(),
                      "UPDATE T営業受注明細 SET 営業受注日付 = 20240003.0 WHERE 番号 = 4");
            ExecuteOn(b.install.businessPath(),
                      "INSERT INTO T営業受注明細 (rowid, 番号, 営業受注日付) VALUES (-7, 1, "
                      "20240005), (300, 2, 2.5), (301, 3, '20240003'), (302, 4, x'3230')");
        }
        // A key value of more rows than two slices hold.
        ExecuteOn(b.install.businessPath(),
                  "INSERT INTO T営業受注明細 SELECT 番号 + 100, NULL FROM T営業受注明細 LIMIT 25");
        b.salesDetail(10, 5, false, "T営業受注");
        b.table("K在庫", 700);  // on a server, over several pages
        b.table("A番号情報", 1);
        QMap<QString, QStringList> written[2];
        for (const int workers : {1, 2}) {
            const QString folder = b.folder + QString::number(workers);
            QVERIFY(BackUp(PlanBackup(b.t.ctx, folder,
                                      {.sliceRows = 10,
                                       .fileRows = 35,
                                       .fileBytes = Cell<qint64>("fileBytes"),
                                       .workers = workers}),
                           {}, StopToken())
                        .complete());
            for (const QString& file : QDir(folder).entryList({"*.mdb"}, QDir::Files)) {
                for (const QVariantMap& table : QueryRows(folder + "/" + file,
                                                          "SELECT name, sql FROM sqlite_master "
                                                          "WHERE type = 'table' ORDER BY name")) {
                    written[workers - 1][file + " " + table["sql"].toString()] =
                        RowTexts(QueryRows(folder + "/" + file, "SELECT rowid AS 行, * FROM " +
                                                                    table["name"].toString()));
                }
            }
        }
        QCOMPARE(written[1].keys(), written[0].keys());
        QCOMPARE(written[1], written[0]);
    }

    // Whatever keeps the source from being read, last week's files stay as they were.
    void anUnreadableSourceKeepsThePreviousBackup() {
        Backup b;
        b.table("T承認", 3);
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).complete());
        const auto before = b.contents();
        if (b.install.onServer()) {
            b.t.ctx.databaseDefinition.serverName = b.backupRoot.path() + ":1";
        } else {
            QVERIFY(QFile::rename(b.install.businessPath(), b.install.businessPath() + ".moved"));
        }
        b.t.clock.current = b.t.clock.current.addDays(7);
        const BackupResult result = BackupDatabases(b.t.ctx, b.folder);
        QVERIFY(result.sourceFailed && !result.copied);
        QCOMPARE(b.contents(), before);
        QCOMPARE(b.backupStamp(), QStringLiteral("20261207 093015"));
    }

    // Another workstation backing up into the same folder: this run leaves it alone.
    void oneRunAtATimeWritesTheFolder() {
        Backup b;
        b.table("T承認", 1);
        QVERIFY(QDir().mkpath(b.folder));
        QLockFile other(b.folder + ".backup.lock");
        QVERIFY(other.lock());
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).busy);
        QCOMPARE(b.files(), QStringList());
        other.unlock();
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).complete());
    }

    // A copy that fails counts nothing and fails its group, which keeps last week's file; a table
    // without its date column is copied whole.
    void aFailedCopyKeepsItsPreviousGroup_data() {
        Columns<bool, QString>("previous", "stamp");
        Row("a later backup", true, "20261207 093015");
        Row("a first backup", false, "");
    }
    void aFailedCopyKeepsItsPreviousGroup() {
        QFETCH(bool, previous);
        Backup b;
        b.table("T承認", 2);
        b.table("A番号情報", 1);
        b.table("T閲覧", 3);
        if (previous) {
            QVERIFY(BackupDatabases(b.t.ctx, b.folder).complete());
            QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T閲覧"), 3);
        }
        const QByteArray tridb = b.contents().value("tridb.mdb");
        // A second table of the same backup name: its copy cannot create the table again.
        b.table("\"dbo.T承認\"", 1);
        ExecuteOn(b.install.businessPath(), "INSERT INTO A番号情報 VALUES (2)");
        b.t.clock.current = b.t.clock.current.addDays(7);
        const BackupResult result = BackupDatabases(b.t.ctx, b.folder);
        QVERIFY(result.copied);
        QCOMPARE(result.failedGroups, QStringList{"tridb"});
        QStringList failed;
        for (const BackupTableReport& table : result.tables) {
            QCOMPARE(table.whole(), !table.failed);
            failed << (table.failed ? table.table + "=" + QString::number(table.fileRows) : "");
        }
        QCOMPARE(failed.filter("="), QStringList{"T承認=0"});
        QCOMPARE(b.contents().value("tridb.mdb") == tridb, previous);
        QCOMPARE(b.rowsIn(b.file("rtrdb.mdb"), "A番号情報"), 2);
        QTEST(b.backupStamp(), "stamp");
        QCOMPARE(QDir(b.folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // The backup folder inside the photo folder, a link back up the tree and a pipe: the copy
    // ends, takes every photo once (a folder whose name merely begins with the backup folder's
    // too) and names what it left out.
    void theFolderCopyStaysOutOfItself() {
        Backup b;
        QTemporaryDir photos;
        QVERIFY(QDir().mkpath(photos.filePath("sub")) && WriteFile(photos.filePath("a.jpg"), "a") &&
                WriteFile(photos.filePath("sub/b.jpg"), "b"));
        QVERIFY(QFile::link("..", photos.filePath("sub/up")));
        QCOMPARE(::mkfifo(QFile::encodeName(photos.filePath("pipe")).constData(), 0600), 0);
        b.t.ctx.company.set("写真フォルダ", " " + photos.path() + " ");
        const QString weekday = WeekdayFolder(photos.filePath("backup"), QDate(2024, 5, 19));
        QVERIFY(QDir().mkpath(weekday));
        QVERIFY(QDir().mkpath(photos.filePath("backup/ヌモリカ2")));
        QCOMPARE(CopyUserFolders(b.t.ctx, weekday), QStringList());
        const QDir copy(weekday + "写真");
        // The backup folder is copied as far as the backups it holds.
        QCOMPARE(
            copy.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System) +
                QDir(copy.filePath("backup")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) +
                QDir(copy.filePath("sub")).entryList(QDir::Files),
            (QStringList{"a.jpg", "backup", "sub", "ヌモリカ2", "b.jpg"}));
        QCOMPARE(QFileInfo(copy.filePath("sub/up")).symLinkTarget(), copy.path());
        QVERIFY(HistoryNotes(b.install.configPath()).last().contains(photos.filePath("pipe")));
        b.t.ctx.company.set("ドキュメントフォルダ", "/nowhere");
        // A disk that fills up: both folders are named, the row gives the disk's own error.
        QVERIFY(WriteFile(photos.filePath("big.jpg"), QByteArray(2 << 20, 'x')));
        rlimit size{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &size), 0);
        const rlimit full{1 << 20, size.rlim_max};
        ::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
        const QStringList failed = CopyUserFolders(b.t.ctx, weekday);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &size), 0);
        QCOMPARE(failed, (QStringList{photos.path(), "/nowhere"}));
        QCOMPARE(HistoryNotes(b.install.configPath()).filter(::strerror(EFBIG)).size(), 1);
    }

    // Times on a server carry microseconds; no row may fall between two slices.
    void serverTimesKeepEveryRow_data() {
        QTest::addColumn<QString>("kind");
        Row("PostgreSQL", "S");
        Row("ODBC", "O");
    }
    void serverTimesKeepEveryRow() {
        QFETCH(QString, kind);
        Backup b;
        if (!b.install.onServer() || (kind == "O" && !b.throughOdbc())) {
            QSKIP("needs the PostgreSQL test cluster (and its ODBC driver)");
        }
        b.table("T営業受注明細", 12, "timestamp '2024-01-01' + i * interval '1 microsecond'",
                "timestamp");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder, {.sliceRows = 1}).complete());
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T営業受注明細"), 12);
        QCOMPARE(b.notice.texts.filter("T営業受注明細 営業受注日付").size(), 6);
    }

    void theProposalFollowsTheTimeOfDay_data() {
        Columns<QTime, bool, QString>("time", "folder", "focused");
        Row("16:59", QTime(16, 59), true, "btn_終了");
        Row("17:00", QTime(17, 0), true, "btn_BACKUP");
        Row("17:00 without a backup folder", QTime(17, 0), false, "btn_終了");
    }
    void theProposalFollowsTheTimeOfDay() {
        QFETCH(bool, folder);
        TestContext t(QStringLiteral("/x/prgbin"));
        t.clock.current.setTime(Cell<QTime>("time"));
        t.ctx.company.set("BACKUPフォルダ", folder ? "/backup" : "");
        ExitDialog dialog(t.ctx, "ヌモリカ");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTEST(QApplication::focusWidget()->objectName(), "focused");
        const auto* backup = dialog.findChild<QPushButton*>("btn_BACKUP");
        // A backup button that cannot be chosen says why.
        QCOMPARE((QVariantList{backup->isEnabled(),
                               dialog.findChild<QPushButton*>("btn_BackupShutdown")->isEnabled(),
                               backup->toolTip(), dialog.windowTitle(), int(t.ctx.exitChoice)}),
                 (QVariantList{folder, folder, folder ? QString() : kNoBackupFolder, "ヌモリカ",
                               int(ExitChoice::Stay)}));
        dialog.reject();  // the close box leaves "do not end"
        QCOMPARE(t.ctx.exitChoice, ExitChoice::Stay);
    }

    void choices_data() {
        Columns<QString, bool, QStringList, int, QString>("button", "data", "messages", "powerOffs",
                                                          "fault");
        Row("end", "btn_終了", true, QStringList{}, 0, "");
        Row("back up", "btn_BACKUP", true, QStringList{"バックアップを完了しました。"}, 0, "");
        Row("back up and switch off", "btn_BackupShutdown", true, QStringList{}, 1, "");
        Row("nothing to back up, switch off", "btn_BackupShutdown", false,
            QStringList{"対象データが有りません。"}, 1, "");
        Row("business database unreachable: never 'no data'", "btn_BACKUP", true,
            QStringList{kBackupSourceFailed}, 0, "source");
        Row("a table fails: never 'completed'", "btn_BACKUP", true,
            QStringList{kBackupPartlyFailed}, 0, "table");
        Row("a photo is not copied: never 'completed'", "btn_BACKUP", true,
            QStringList{kBackupFoldersFailed}, 0, "folder");
    }
    void choices() {
        QFETCH(QString, button);
        QFETCH(bool, data);
        QFETCH(QString, fault);
        const bool sourceGone = fault == "source";
        // The menu of an installation whose company backs up into a folder of its own, with its
        // photos and documents.
        TestInstallation install;
        QTemporaryDir backups;
        TestContext t(install.programFolder());
        QVERIFY(WriteFile(backups.filePath("a.jpg")));
        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET BACKUPフォルダ = '" + backups.path() +
                                              "', 写真フォルダ = '" + backups.path() +
                                              "', ドキュメントフォルダ = '" + backups.path() + "'");
        // Without data, the tables the menu reads are views, which no backup takes.
        for (const QString& table :
             data ? QStringList()
                  : QStringList{"Mユーザ", "M事業所", "M担当者", "ヌモリカマイメニュ",
                                "ヌモリカマイメニュ詳細"}) {
            ExecuteOn(install.businessPath(), "ALTER TABLE " + table + " RENAME TO x" + table);
            ExecuteOn(install.businessPath(),
                      "CREATE VIEW " + table + " AS SELECT * FROM x" + table);
        }
        if (fault == "table") {  // a second table of the same backup name
            ExecuteOn(install.businessPath(), "CREATE TABLE T承認 (番号 INTEGER)");
            ExecuteOn(install.businessPath(), "CREATE TABLE \"dbo.T承認\" (番号 INTEGER)");
        }
        if (fault == "folder") {  // where the photo goes, a folder of its name
            QVERIFY(QDir().mkpath(backups.filePath("ヌモリカ/Monday/写真/a.jpg")));
        }
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        auto instance = InstanceOf(t);
        const auto window = Main(t.ctx, instance);
        QVERIFY(window);
        if (sourceGone && install.onServer()) {
            ExecuteOn(install.configPath(),
                      "UPDATE データベース定義 SET サーバー名 = '/nowhere:1'");
        } else if (sourceGone) {
            QVERIFY(QFile::rename(install.businessPath(), install.businessPath() + ".moved"));
        }
        WhenModal(QStringLiteral("msg終了確認"),
                  [&](QDialog& dialog) { dialog.findChild<QPushButton*>(button)->click(); });
        window->close();
        QVERIFY(t.ctx.ended);
        QTEST(t.dialogs.informations, "messages");
        QTEST(t.shell.powerOffs, "powerOffs");
        QCOMPARE(StoredSetting(install, "起動担当者コード"), QString());
        QCOMPARE(HistoryNotes(install.configPath()).last(), QStringLiteral("終了"));
        const QString weekday = backups.path() + "/ヌモリカ/Monday/";
        QCOMPARE(QFileInfo::exists(weekday + "mstdb.mdb"), button != "btn_終了" && !sourceGone);
        // The configuration is compacted before every backup.
        QCOMPARE(QFileInfo::exists(install.path("conf/usrcnfgbak.accdb")), button != "btn_終了");
        const bool copied = button != "btn_終了" && data && !sourceGone;
        QCOMPARE(!StoredSetting(install, "バックアップ日付").isEmpty(), copied && fault != "table");
        QCOMPARE(QFileInfo::exists(weekday + "写真/a.jpg"), copied);
        QCOMPARE(QFileInfo::exists(weekday + "doc/a.jpg"), copied);
    }

    // While the backup runs on its worker the menu takes nothing: a click, a key, a double-click
    // on a description or the close box reach nothing; an end request (SIGTERM) stops the
    // backup, which keeps last week's files. The end row comes last.
    void nothingReachesTheMenuDuringTheBackup_data() {
        Columns<QString, QStringList, QString>("disturbance", "messages", "stamp");
        const QStringList done{"バックアップを完了しました。"};
        Row("a click on a menu button", "click", done, "20261214 093015");
        Row("a key on a menu button", "key", done, "20261214 093015");
        Row("a double-click on a description", "double-click", done, "20261214 093015");
        Row("the close box", "close", done, "20261214 093015");
        Row("an end request", "end", QStringList{}, "20261207 093015");
    }
    void nothingReachesTheMenuDuringTheBackup() {
        QFETCH(QString, disturbance);
        TestInstallation install;
        QTemporaryDir backups;
        TestContext t(install.programFolder());
        t.shell.startResult = true;
        ExecuteOn(install.businessPath(),
                  "UPDATE Mユーザ SET BACKUPフォルダ = '" + backups.path() + "'");
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        AddMenuRow(install, {.name = "売上", .file = "/x/売上.exe", .description = "説明"});
        auto instance = InstanceOf(t);
        const auto window = Main(t.ctx, instance);
        QVERIFY(window);
        QSignalSpy exits(window.get(), &MainMenuWindow::exitRequested);
        QSignalSpy settings(window.get(), &MainMenuWindow::settingsRequested);
        // Last week's files, which a stopped backup leaves whole.
        const QString weekday = WeekdayFolder(BackupFolder(t.ctx), t.ctx.clock.now().date());
        QVERIFY(BackupDatabases(t.ctx, weekday).complete());
        const auto lastWeek = FileBytes(weekday);
        t.clock.current = t.clock.current.addDays(7);
        // Slices enough for everything to be sent while the backup runs.
        ExecuteOn(install.businessPath(), "CREATE TABLE T営業受注明細 (営業受注日付 TEXT)");
        ExecuteOn(install.businessPath(),
                  QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
                          "< 300000) INSERT INTO T営業受注明細 SELECT %1 FROM n")
                      .arg(install.onServer() ? "lpad((i / 10)::text, 6, '0')"
                                              : "printf('%06d', i / 10)"));
        bool waited = false;
        QElapsedTimer sinceEnd;
        WhenModal(QStringLiteral("msg終了確認"), [&](QDialog& dialog) {
            WhenModal(QStringLiteral("msg進行状況"), [&](QDialog& progress) {
                if (disturbance == "click") {
                    QTest::mouseClick(window->menuButton(0, 0), Qt::LeftButton);
                } else if (disturbance == "key") {
                    QTest::keyClick(window->menuButton(0, 0), Qt::Key_Space);
                } else if (disturbance == "double-click") {
                    QTest::mouseDClick(window->descriptionLabel(0, 0), Qt::LeftButton);
                } else if (disturbance == "close") {
                    window->close();
                } else {
                    sinceEnd.start();
                    OnEndRequested(t.ctx);
                }
                waited = progress.isVisible();
            });
            dialog.findChild<QPushButton*>("btn_BACKUP")->click();
        });
        window->close();
        QVERIFY(waited);
        QVERIFY(t.ctx.ended);
        QCOMPARE(t.shell.started.size(), 0);
        QCOMPARE(settings.count(), 0);
        QCOMPARE(exits.count(), 1);
        QTEST(t.dialogs.informations, "messages");
        QTEST(StoredSetting(install, "バックアップ日付"), "stamp");
        QCOMPARE(HistoryNotes(install.configPath()).last(), QStringLiteral("終了"));
        QCOMPARE(FileBytes(weekday) == lastWeek, disturbance == "end");
        QVERIFY(!sinceEnd.isValid() || sinceEnd.elapsed() < 5000);
    }

    // A restore gives back every table row for row, with its declared types and indexes, into
    // a new file or, from a server, into an empty server database.
    void aBackupComesBackWhole() {
        Backup b;
        b.backUpEveryKind();
        Backup target;
        const bool server = b.install.onServer();
        const QString restored =
            server ? target.install.businessPath() : b.backupRoot.filePath("restored.accdb");
        const BackupCheck check = RestoreBackup(
            {b.folder,
             restored,
             server ? ComposeBusinessConnectionString(target.t.ctx.databaseDefinition) : "",
             {}});
        QCOMPARE(check.problems, QStringList());
        QCOMPARE(check.tables.size(), 2);
        const QString table = server ? "t営業受注明細" : "T営業受注明細";
        const QStringList facts =
            server ? QStringList{"SELECT string_agg(concat_ws('|', 番号, 営業受注日付, 摘要, 数量, "
                                 "encode(写真, 'hex'), 単価), ';' ORDER BY 番号) FROM " + table,
                                 "SELECT string_agg(format_type(atttypid, atttypmod), ' ' ORDER BY "
                                 "attnum) FROM pg_attribute WHERE attrelid = '" + table +
                                     "'::regclass AND attnum > 0",
                                 "SELECT string_agg(indexdef, ';') FROM pg_indexes WHERE "
                                 "tablename = '" + table + "'",
                                 "SELECT string_agg(番号::text, ',' ORDER BY 番号) FROM a番号情報"}
                   : QStringList{"SELECT group_concat(番号 || '|' || quote(営業受注日付) || '|' || "
                                 "摘要 || '|' || 数量 || '|' || hex(写真) || '|' || 単価, ';') "
                                 "FROM (SELECT * FROM T営業受注明細 ORDER BY 番号)",
                                 "SELECT sql FROM sqlite_master WHERE name = '" + table + "'",
                                 "SELECT group_concat(sql, ';') FROM sqlite_master WHERE "
                                 "type = 'index'",
                                 "SELECT group_concat(番号) FROM A番号情報"};
        for (const QString& fact : facts) {
            QCOMPARE(QueryValue(restored, fact), QueryValue(b.install.businessPath(), fact));
        }
    }

    // A server's copy names its columns as the business tables declare them, and its times keep
    // their microseconds.
    void aServerCopyKeepsDeclaredNamesAndTimes() {
        Backup b;
        if (!b.install.onServer()) {
            QSKIP("a file's names and times are copied as they are");
        }
        ExecuteOn(b.install.businessPath(), "CREATE TABLE K在庫 (ID TEXT, 入庫日時 TIMESTAMP)");
        ExecuteOn(b.install.businessPath(),
                  "INSERT INTO K在庫 VALUES ('a', '2024-05-01 10:00:00.123456')");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        QCOMPARE(QueryValue(b.file("mstdb.mdb"),
                            "SELECT group_concat(name || ' ' || type, ', ') FROM "
                            "pragma_table_info('K在庫')"),
                 "ID TEXT, 入庫日時 TIMESTAMP");
        QCOMPARE(QueryValue(b.file("mstdb.mdb"), "SELECT 入庫日時 FROM K在庫"),
                 "2024-05-01 10:00:00.123456");
    }

    // A backup that is not what its manifest says is found out, and nothing is restored from it.
    void aDamagedBackupIsFoundOut_data() {
        Columns<QString, bool>("damage", "whole");
        Row("untouched", "", true);
        Row("a byte in the middle of a file", "byte", false);
        Row("a row deleted", "row", false);
        Row("a follow-on file missing", "file", false);
        Row("the manifest of another backup", "manifest", false);
        Row("made before manifests", "old", false);
    }
    void aDamagedBackupIsFoundOut() {
        QFETCH(QString, damage);
        Backup b;
        b.backUpEveryKind();
        if (damage == "byte") {
            QFile file(b.file("tridb.mdb"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 at = file.readAll().indexOf("s\n2");
            QVERIFY(at > 0);
            QVERIFY(file.seek(at + 2));
            QCOMPARE(file.write("7"), 1);
        } else if (damage == "row") {
            ExecuteOn(b.file("tridb1.mdb"), "DELETE FROM T営業受注明細 WHERE rowid = 3");
        } else if (damage == "file") {
            QVERIFY(QFile::remove(b.file("tridb1.mdb")));
        } else if (damage == "old") {
            for (const QString& group : BackupGroups()) {
                QVERIFY(QFile::remove(b.file(group + ".manifest.json")));
            }
        } else if (damage == "manifest") {
            ExecuteOn(b.install.businessPath(), "UPDATE T営業受注明細 SET 単価 = 0 WHERE 番号 = 5");
            const QString other = b.backupRoot.filePath("other/");
            QVERIFY(BackupDatabases(b.t.ctx, other, {.sliceRows = 10, .fileRows = 35}).copied);
            QVERIFY(QFile::remove(b.file("tridb.manifest.json")));
            QVERIFY(QFile::copy(other + "tridb.manifest.json", b.file("tridb.manifest.json")));
        }
        QTEST(VerifyBackup(b.folder).whole(), "whole");
        const QString restored = b.backupRoot.filePath("restored.accdb");
        QTEST(RestoreBackup({b.folder, restored, {}, {"T営業受注明細"}}).whole(), "whole");
        QTEST(QFileInfo::exists(restored), "whole");
    }

    // A file's rows read straight from the engine sum as the driver's, as a server's are read:
    // a manifest of files is checked against a restored server and the other way round. The
    // rows a backup worker carries sum so too, read from the pages they are stored in.
    void aRowSumsAlikeReadEitherWay_data() {
        Columns<QString, QString, bool>("type", "value", "fromPages");
        Row("null", "INTEGER", "NULL", true);
        Row("integer", "INTEGER", "42", true);
        Row("negative", "INTEGER", "-7", true);
        Row("zero", "INTEGER", "0", true);
        Row("one", "INTEGER", "1", true);
        Row("negative of three bytes", "INTEGER", "-8388608", true);
        Row("of six bytes", "INTEGER", "140737488355327", true);
        Row("big integer", "INTEGER", "9223372036854775807", true);
        Row("real", "REAL", "1.25", true);
        Row("whole real", "REAL", "-5.0", true);
        Row("real beyond the integers", "REAL", "1e19", true);
        Row("text", "TEXT", "'得意先「''様''」' || char(10) || char(13, 10) || 'ｶﾅ'", true);
        Row("empty text", "TEXT", "''", true);
        Row("blob", "BLOB", "x'00ff0a'", true);
        Row("empty blob", "BLOB", "x''", true);
        Row("text beyond a page", "TEXT", "printf('%.70000c', 'x')", false);
    }
    void aRowSumsAlikeReadEitherWay() {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath("rows.mdb");
        ExecuteOn(path, "CREATE TABLE 値 (番号 INTEGER, 値 " + type + ")");
        ExecuteOn(path, "INSERT INTO 値 VALUES (1, " + value + "), (2, " + value + ")");
        std::optional<RowChecksum> fast, driver;
        RowImage image;
        QVERIFY(WithDatabaseFile(path, [&](QSqlDatabase& db) {
            fast = TableChecksum(db, "値");
            driver = DriverChecksum(db, "値");
            return ReadRowsIntoImage(db, "SELECT * FROM 値", {}, &image);
        }));
        QVERIFY(fast.has_value());
        QVERIFY(driver.has_value());
        QVERIFY(image.checksum.has_value());
        QCOMPARE(fast->text(), driver->text());
        QCOMPARE(image.checksum->text(), fast->text());
        QCOMPARE(image.checksum->rows, 2);
        // The first table of a fresh image starts on its second page.
        QTEST(ImageChecksum(image.bytes.get(), image.size, 2, 2).has_value(), "fromPages");
        QVERIFY(!ImageChecksum(image.bytes.get(), image.size, 2, 3));  // rows of another shape
    }

    // The progress in the notice panel stays readable beside the please-wait window.
    void thePleaseWaitWindowKeepsOffTheNotice_data() {
        Columns<QRect, QPoint>("notice", "placed");
        Row("room above", QRect(0, 500, 1000, 30), QPoint(399, 412));
        Row("no room above: below", QRect(0, 40, 1000, 30), QPoint(399, 77));
        Row("just room above", QRect(0, 88, 1000, 30), QPoint(399, 0));
        Row("kept on the screen", QRect(900, 500, 200, 30), QPoint(824, 412));
    }
    void thePleaseWaitWindowKeepsOffTheNotice() {
        QFETCH(QRect, notice);
        const QRect window = PlaceClearOf(QSize(200, 80), notice, QRect(0, 0, 1024, 600));
        QTEST(window.topLeft(), "placed");
        QVERIFY(!window.intersects(notice));
    }
};

QTEST_MAIN(TestBackupAndExit)
#include "tst_backup_exit.moc"
