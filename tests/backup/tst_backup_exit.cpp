#include "TestSupport.h"

#include <sys/stat.h>

namespace {
// A business database with only the tables a case makes.
struct Backup {
    Backup() : t(install.programFolder()) {
        for (const char* table : {"Mユーザ", "M事業所", "M他業務連携", "M担当者",
                                  "ヌモリカマイメニュ", "ヌモリカマイメニュ詳細"}) {
            ExecuteOn(install.businessPath(),
                      QStringLiteral("DROP TABLE ") + QString::fromUtf8(table));
        }
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.notice = &notice;
        folder = WeekdayFolder(backupRoot.path(), QDate(2024, 5, 19));
    }
    // Rows of a sliced sales-detail table: n rows over `dates` days, the key indexed or not.
    // With no declared type, as older files have, the dates are stored as numbers.
    void salesDetail(int n, int dates, bool indexed, const QString& table = "T営業受注明細",
                     const QString& type = "TEXT") {
        ExecuteOn(
            install.businessPath(),
            QStringLiteral("CREATE TABLE %1 (番号 INTEGER, 営業受注日付 %2)").arg(table, type));
        const QString date =
            install.onServer() ? QStringLiteral("'2024' || lpad((i % %1)::text, 4, '0')").arg(dates)
            : type.isEmpty()   ? QStringLiteral("20240000 + i % %1").arg(dates)
                             : QStringLiteral("printf('2024%04d', i % ") + QString::number(dates) +
                                   QLatin1Char(')');
        ExecuteOn(install.businessPath(),
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                 "WHERE i < %1) INSERT INTO %2 SELECT i, ")
                          .arg(n)
                          .arg(table) +
                      date + QStringLiteral(" FROM n"));
        if (indexed) {
            ExecuteOn(install.businessPath(),
                      QStringLiteral("CREATE INDEX 日付 ON %1 (営業受注日付)").arg(table));
        }
    }
    int rowsIn(const QString& file, const QString& table) const {
        return QueryValue(file, "SELECT count(*) FROM " + table).toInt();
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    QMap<QString, QByteArray> contents() const { return FileBytes(folder, {"*"}); }
    void table(const QString& name, int rows) {
        ExecuteOn(install.businessPath(), "CREATE TABLE " + name + " (番号 INTEGER)");
        for (int i = 0; i < rows; ++i) {
            ExecuteOn(install.businessPath(),
                      "INSERT INTO " + name + " VALUES (" + QString::number(i) + ")");
        }
    }
    QString backupStamp() const { return StoredSetting(install, "バックアップ日付"); }
    QString file(const QString& name) const { return folder + name; }

    TestInstallation install;
    TestContext t;
    FakeNotice notice;
    QTemporaryDir backupRoot;
    QString folder;
};

// The menu of an installation whose company backs up into a folder of its own.
struct Menu {
    explicit Menu(bool withData = true) : t(install.programFolder()) {
        ExecuteOn(install.businessPath(),
                  "UPDATE Mユーザ SET BACKUPフォルダ = '" + backups.path() + "'");
        if (!withData) {
            for (const char* table : {"Mユーザ", "M事業所", "M担当者", "ヌモリカマイメニュ",
                                      "ヌモリカマイメニュ詳細"}) {
                ExecuteOn(install.businessPath(), "ALTER TABLE " + QString::fromUtf8(table) +
                                                      " RENAME TO x" + QString::fromUtf8(table));
            }
            ExecuteOn(install.businessPath(), "CREATE VIEW Mユーザ AS SELECT * FROM xMユーザ");
            ExecuteOn(install.businessPath(), "CREATE VIEW M事業所 AS SELECT * FROM xM事業所");
        }
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        instance = std::make_unique<SingleInstance>(t.ctx.process.lockFolder, "menu", "taro");
        window = Main(t.ctx, *instance);
        QVERIFY(window);
    }
    void choose(const char* button) {
        WhenModal(QStringLiteral("msg終了確認"), [button](QDialog& dialog) {
            dialog.findChild<QPushButton*>(QString::fromUtf8(button))->click();
        });
        window->close();
    }

    TestInstallation install;
    QTemporaryDir backups;
    TestContext t;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<MainMenuWindow> window;
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
        Row("K with a half-width second", "Kx", false, "", "");
        Row("unlisted M", "M自由", false, "", "");
        Row("numbers both ways", "A番号情報", true, "tridb rtrdb", "");
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
        ExecuteOn(b.install.businessPath(), "INSERT INTO T営業受注明細 VALUES (0, NULL)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO T営業受注明細 VALUES (-1, 'it''s')");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        QStringList slices = b.notice.texts.filter(QStringLiteral("T営業受注明細 営業受注日付"));
        QCOMPARE(slices.size(), 4);
        // The Null keys go in a slice of their own, first or last as the engine sorts them.
        QCOMPARE(slices.removeAll(QStringLiteral("T営業受注明細 営業受注日付 IS NULL")), 1);
        slices.prepend(QString());
        // Whole dates of 300 rows each, closed past 60,000 rows: 60,300 + 60,300 + the rest.
        QCOMPARE(slices[1],
                 QStringLiteral("T営業受注明細 営業受注日付 >= '20240000' AND 営業受注日付 <= "
                                "'20240200'"));
        QCOMPARE(slices[2],
                 QStringLiteral("T営業受注明細 営業受注日付 >= '20240201' AND 営業受注日付 <= "
                                "'20240401'"));
        QVERIFY(slices[3].endsWith(QStringLiteral("営業受注日付 <= 'it''s'")));
        const QString tridb = b.file("tridb.mdb");
        QCOMPARE(b.rowsIn(tridb, "T営業受注明細"), 150002);
        QCOMPARE(b.rowsIn(tridb, "(SELECT DISTINCT 番号 FROM T営業受注明細)"), 150002);

        QCOMPARE(b.backupStamp(), QStringLiteral("20261207 093015"));
        QCOMPARE(b.t.ctx.environment.backupDate, QStringLiteral("20261207"));
    }

    void fullFilesContinueInTheNext() {
        Backup b;
        b.salesDetail(100, 20, false);
        b.salesDetail(10, 5, false, "T営業受注");
        ExecuteOn(b.install.businessPath(), "CREATE TABLE A番号情報 (番号 INTEGER)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO A番号情報 VALUES (1)");
        QVERIFY(QDir().mkpath(b.folder));
        for (const char* old : {"tridb.mdb", "tridb7.mdb", "tridbX.mdb", "other.mdb"}) {
            QVERIFY(WriteFile(b.file(QString::fromLatin1(old))));
        }
        QVERIFY(BackupDatabases(b.t.ctx, b.folder,
                                {.sliceRows = 10, .fileRows = 35, .fileBytes = 1 << 30})
                    .copied);
        QCOMPARE(b.files(), (QStringList{"mstdb.mdb", "other.mdb", "rtrdb.mdb", "sumdb.mdb",
                                         "tridb.mdb", "tridb1.mdb", "tridb2.mdb", "zandb.mdb"}));
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T営業受注明細") +
                     b.rowsIn(b.file("tridb1.mdb"), "T営業受注明細") +
                     b.rowsIn(b.file("tridb2.mdb"), "T営業受注明細"),
                 100);
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
        QCOMPARE(reason.has_value(), !waits.isEmpty());
        QVERIFY(reason.value_or(QString()).contains(waits));
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
        QVERIFY(result.sourceFailed);
        QVERIFY(!result.copied);
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
        const BackupResult result = BackupDatabases(b.t.ctx, b.folder);
        QVERIFY(result.busy);
        QCOMPARE(b.files(), QStringList());
        other.unlock();
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).complete());
    }

    // A copy that fails counts nothing, and its group keeps last week's file; a table without its
    // date column is copied whole.
    void aFailedCopyKeepsItsPreviousGroup() {
        Backup b;
        b.table("T承認", 2);
        b.table("A番号情報", 1);
        b.table("T閲覧", 3);
        const BackupResult first = BackupDatabases(b.t.ctx, b.folder);
        QVERIFY(first.complete());
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T閲覧"), 3);
        const QByteArray tridb = b.contents().value("tridb.mdb");
        // A second table of the same backup name: its copy cannot create the table again.
        ExecuteOn(b.install.businessPath(), "CREATE TABLE \"dbo.T承認\" (番号 INTEGER)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO \"dbo.T承認\" VALUES (1)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO A番号情報 VALUES (2)");
        b.t.clock.current = b.t.clock.current.addDays(7);
        const BackupResult result = BackupDatabases(b.t.ctx, b.folder);
        QVERIFY(result.copied);
        QCOMPARE(result.failedGroups, QStringList{"tridb"});
        QStringList failed;
        for (const BackupTableReport& table : result.tables) {
            QCOMPARE(table.whole(), !table.failed);
            if (table.failed) {
                failed << table.table + "=" + QString::number(table.fileRows);
            }
        }
        QCOMPARE(failed, QStringList{"T承認=0"});
        QCOMPARE(b.contents().value("tridb.mdb"), tridb);
        QCOMPARE(b.rowsIn(b.file("rtrdb.mdb"), "A番号情報"), 2);
        QCOMPARE(b.backupStamp(), QStringLiteral("20261207 093015"));
        QCOMPARE(QDir(b.folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void listedNamesAndUserFolders() {
        Backup b;
        ExecuteOn(b.install.businessPath(), "CREATE TABLE \"dbo.M担当者\" (コード TEXT)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO \"dbo.M担当者\" VALUES ('00012')");
        QTemporaryDir photos;
        QVERIFY(QDir().mkpath(photos.filePath("sub")) && WriteFile(photos.filePath("sub/a.jpg")));
        b.t.ctx.company.set("写真フォルダ", " " + photos.path() + " ");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        QCOMPARE(b.rowsIn(b.file("mstdb.mdb"), "M担当者"), 1);
        QVERIFY(CopyUserFolders(b.t.ctx, b.folder));
        QVERIFY(QFileInfo::exists(b.backupRoot.path() + "/ヌモリカ/Sunday/写真/sub/a.jpg"));
        b.t.ctx.company.set("ドキュメントフォルダ", "/nowhere");
        QVERIFY(!CopyUserFolders(b.t.ctx, b.folder));
    }

    // The backup folder inside the photo folder, a link back up the tree and a pipe: the copy
    // ends, takes every photo once and names what it left out.
    void theFolderCopyStaysOutOfItself() {
        Backup b;
        QTemporaryDir photos;
        QVERIFY(QDir().mkpath(photos.filePath("sub")));
        for (const char* name : {"a.jpg", "sub/b.jpg"}) {
            QVERIFY(WriteFile(photos.filePath(name), name));
        }
        QVERIFY(QFile::link("..", photos.filePath("sub/up")));
        QCOMPARE(::mkfifo(QFile::encodeName(photos.filePath("pipe")).constData(), 0600), 0);
        b.t.ctx.company.set("写真フォルダ", photos.path());
        const QString weekday = WeekdayFolder(photos.filePath("backup"), QDate(2024, 5, 19));
        QVERIFY(QDir().mkpath(weekday));
        QVERIFY(CopyUserFolders(b.t.ctx, weekday));
        const QDir copy(weekday + "写真");
        // The backup folder is copied as far as the backups it holds.
        QCOMPARE(copy.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 (QStringList{"a.jpg", "backup", "sub"}));
        QCOMPARE(QDir(copy.filePath("backup")).entryList(QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QFileInfo(copy.filePath("sub/up")).symLinkTarget(), copy.path());
        QCOMPARE(QDir(copy.filePath("sub")).entryList(QDir::Files), QStringList{"b.jpg"});
        QVERIFY(HistoryNotes(b.install.configPath()).last().contains(photos.filePath("pipe")));
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
        if (!b.install.onServer() ||
            (kind == "O" && !QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))) {
            QSKIP("needs the PostgreSQL test cluster (and its ODBC driver)");
        }
        if (kind == "O") {
            const QString server = b.t.ctx.databaseDefinition.serverName;
            b.t.ctx.databaseDefinition.kind = "O";
            b.t.ctx.databaseDefinition.providerName = "MSDASQL";
            b.t.ctx.databaseDefinition.dataSourceName.clear();
            b.t.ctx.databaseDefinition.driverName = "PostgreSQL Unicode";
            b.t.ctx.databaseDefinition.connectionText =
                "Server=" + server.section(':', 0, 0) + ";Port=" + server.section(':', 1);
        }
        ExecuteOn(b.install.businessPath(),
                  "CREATE TABLE T営業受注明細 (番号 integer, 営業受注日付 timestamp)");
        ExecuteOn(b.install.businessPath(),
                  "INSERT INTO T営業受注明細 SELECT i, timestamp '2024-01-01' + i * interval "
                  "'1 microsecond' FROM generate_series(1, 12) i");
        const BackupResult result = BackupDatabases(b.t.ctx, b.folder, {.sliceRows = 1});
        QVERIFY(result.complete());
        QCOMPARE(b.rowsIn(b.file("tridb.mdb"), "T営業受注明細"), 12);
        QCOMPARE(b.notice.texts.filter("T営業受注明細 営業受注日付").size(), 6);
    }

    void theProposalFollowsTheTimeOfDay_data() {
        Columns<QTime, bool, QString>("time", "folder", "focused");
        Row("16:59", QTime(16, 59), true, "btn_終了");
        Row("00:00", QTime(0, 0), true, "btn_終了");
        Row("17:00", QTime(17, 0), true, "btn_BACKUP");
        Row("17:00 without a backup folder", QTime(17, 0), false, "btn_終了");
    }
    void theProposalFollowsTheTimeOfDay() {
        QFETCH(bool, folder);
        TestContext t(QStringLiteral("/x/prgbin"));
        t.clock.current.setTime(Cell<QTime>("time"));
        if (folder) {
            t.ctx.company.set("BACKUPフォルダ", "/backup");
        }
        ExitDialog dialog(t.ctx, "ヌモリカ");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTEST(QApplication::focusWidget()->objectName(), "focused");
        QCOMPARE(dialog.findChild<QPushButton*>("btn_BACKUP")->isEnabled(), folder);
        QCOMPARE(dialog.findChild<QPushButton*>("btn_BackupShutdown")->isEnabled(), folder);
        // A backup button that cannot be chosen says why.
        QCOMPARE(dialog.findChild<QPushButton*>("btn_BACKUP")->toolTip(),
                 folder ? QString() : kNoBackupFolder);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ヌモリカ"));
        QCOMPARE(t.ctx.exitChoice, qint16(kStay));
        dialog.reject();  // the close box leaves "do not end"
        QCOMPARE(t.ctx.exitChoice, qint16(kStay));
    }

    void choices_data() {
        Columns<QString, bool, QStringList, int, bool>("button", "data", "messages", "powerOffs",
                                                       "sourceGone");
        Row("end", "btn_終了", true, QStringList{}, 0, false);
        Row("back up", "btn_BACKUP", true, QStringList{"バックアップを完了しました。"}, 0, false);
        Row("back up and switch off", "btn_BackupShutdown", true, QStringList{}, 1, false);
        Row("nothing to back up, switch off", "btn_BackupShutdown", false,
            QStringList{"対象データが有りません。"}, 1, false);
        Row("business database unreachable: never 'no data'", "btn_BACKUP", true,
            QStringList{kBackupSourceFailed}, 0, true);
    }
    void choices() {
        QFETCH(QString, button);
        QFETCH(bool, data);
        QFETCH(bool, sourceGone);
        Menu m(data);
        if (sourceGone && m.install.onServer()) {
            ExecuteOn(m.install.configPath(),
                      "UPDATE データベース定義 SET サーバー名 = '/nowhere:1'");
        } else if (sourceGone) {
            QVERIFY(QFile::rename(m.install.businessPath(), m.install.businessPath() + ".moved"));
        }
        m.choose(button.toUtf8().constData());
        QVERIFY(m.t.ctx.ended);
        QTEST(m.t.dialogs.informations, "messages");
        QTEST(m.t.shell.powerOffs, "powerOffs");
        QCOMPARE(StoredSetting(m.install, "起動担当者コード"), QString());
        QCOMPARE(HistoryNotes(m.install.configPath()).last(), QStringLiteral("終了"));
        const bool backedUp = button != "btn_終了" && data && !sourceGone;
        QCOMPARE(QFileInfo::exists(m.backups.path() + "/ヌモリカ/Monday/mstdb.mdb"),
                 button != "btn_終了" && !sourceGone);
        QCOMPARE(backedUp, !StoredSetting(m.install, "バックアップ日付").isEmpty());
    }

    // The progress in the notice panel stays readable beside the please-wait window.
    void thePleaseWaitWindowKeepsOffTheNotice_data() {
        Columns<QRect, QPoint>("notice", "placed");
        Row("room above", QRect(0, 500, 1000, 30), QPoint(399, 412));
        Row("no room above: below", QRect(0, 40, 1000, 30), QPoint(399, 77));
        Row("kept on the screen", QRect(900, 500, 200, 30), QPoint(824, 412));
    }
    void thePleaseWaitWindowKeepsOffTheNotice() {
        QFETCH(QRect, notice);
        const QRect window = PlaceClearOf(QSize(200, 80), notice, QRect(0, 0, 1024, 600));
        QTEST(window.topLeft(), "placed");
        QVERIFY(!window.intersects(notice));
    }

    void noKeepsTheMenu() {
        Menu m;
        m.choose("btn_いいえ");
        QVERIFY(m.window->isVisible());
        QVERIFY(!m.t.ctx.ended);
        QCOMPARE(StoredSetting(m.install, "起動担当者コード"), QStringLiteral("00012"));
    }
};

QTEST_MAIN(TestBackupAndExit)
#include "tst_backup_exit.moc"
