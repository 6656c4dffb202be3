#include <QDir>
#include <QTest>

#include "TestInstallation.h"
#include "app/Environment.h"
#include "backup/Backup.h"
#include "backup/BackupRules.h"
#include "db/DbConnection.h"

namespace {
// Every progress text, in order.
class RecordingNotice final : public NoticePanel {
public:
    void setNotice(const QString& text) override { texts << text; }
    QStringList texts;
};

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
    void salesDetail(int n, int dates, bool indexed, const QString& table = "T営業受注明細") {
        ExecuteOn(install.businessPath(),
                  QStringLiteral("CREATE TABLE %1 (番号 INTEGER, 営業受注日付 TEXT)").arg(table));
        const QString date =
            install.onServer() ? QStringLiteral("'2024' || lpad((i % %1)::text, 4, '0')").arg(dates)
                               : QStringLiteral("printf('2024%04d', i % ") +
                                     QString::number(dates) + QLatin1Char(')');
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
        return QueryRows(file, "SELECT count(*) AS n FROM " + table)[0].value("n").toInt();
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    QString file(const QString& name) const { return folder + name; }

    TestInstallation install;
    TestContext t;
    RecordingNotice notice;
    QTemporaryDir backupRoot;
    QString folder;
};
}  // namespace

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whichTablesAndKeys_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("groups");
        QTest::addColumn<QString>("key");
        QTest::newRow("listed master") << "M担当者" << true << "mstdb"
                                       << "";
        QTest::newRow("customers by staff") << "M得意先" << true << "mstdb"
                                            << "担当者コード";
        QTest::newRow("K table") << "K在庫" << true << "mstdb"
                                 << "";
        QTest::newRow("K with a half-width second") << "Kx" << false << ""
                                                    << "";
        QTest::newRow("unlisted M") << "M自由" << false << ""
                                    << "";
        QTest::newRow("numbers both ways") << "A番号情報" << true << "tridb rtrdb"
                                           << "";
        QTest::newRow("order detail") << "T営業受注明細" << true << "tridb"
                                      << "営業受注日付";
        QTest::newRow("order") << "T営業受注" << true << "tridb"
                               << "営業受注日付";
        QTest::newRow("payment detail") << "R出金明細" << true << "rtrdb"
                                        << "出金日付";
        QTest::newRow("events") << "T営業活動明細" << true << "tridb"
                                << "日付";
        QTest::newRow("mailing history") << "T名簿発送履歴" << true << "tridb"
                                         << "発送日付";
        QTest::newRow("budget") << "S担当者予算" << true << "sumdb"
                                << "対象年月";
        QTest::newRow("menu") << "ヌモリカマイメニュ詳細" << true << "mstdb"
                              << "";
    }
    void whichTablesAndKeys() {
        QFETCH(QString, table);
        QFETCH(bool, taken);
        QFETCH(QString, groups);
        QFETCH(QString, key);
        QCOMPARE(IsBackupTable(table), taken);
        QStringList in;
        for (const QString& group : BackupGroups()) {
            if (taken && BelongsToGroup(table, group)) {
                in << group;
            }
        }
        QCOMPARE(in.join(' '), groups);
        if (taken) {
            QCOMPARE(SliceKeyColumn(table), key);
        }
    }

    void namesOfFoldersAndFiles() {
        QCOMPARE(WeekdayFolder("/b", QDate(2024, 5, 19)), QStringLiteral("/b/ヌモリカ/Sunday/"));
        QCOMPARE(WeekdayFolder("/b/", QDate(2024, 5, 20)), QStringLiteral("/b/ヌモリカ/Monday/"));
        QCOMPARE(NextFollowOnFile("/w/tridb.mdb"), QStringLiteral("/w/tridb1.mdb"));
        QCOMPARE(NextFollowOnFile("/w/tridb9.mdb"), QStringLiteral("/w/tridb10.mdb"));
        QCOMPARE(CutAtDot("dbo.M担当者"), QStringLiteral("M担当者"));
    }

    void nothingToBackUp() {
        Backup b;
        QVERIFY(!BackupDatabases(b.t.ctx, b.folder).copied);
        QCOMPARE(b.files(),
                 (QStringList{"mstdb.mdb", "rtrdb.mdb", "sumdb.mdb", "tridb.mdb", "zandb.mdb"}));
        QCOMPARE(QueryRows(b.install.configPath(), "SELECT バックアップ日付 FROM 動作環境定義")[0]
                     .value("バックアップ日付")
                     .toString(),
                 QString());
    }

    void largeTablesGoOutInSlices_data() {
        QTest::addColumn<bool>("indexed");
        QTest::newRow("key indexed") << true;
        QTest::newRow("key not indexed") << false;
    }
    void largeTablesGoOutInSlices() {
        QFETCH(bool, indexed);
        Backup b;
        b.salesDetail(150000, 500, indexed);
        ExecuteOn(b.install.businessPath(), "INSERT INTO T営業受注明細 VALUES (0, NULL)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO T営業受注明細 VALUES (-1, 'it''s')");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        QStringList slices = b.notice.texts.filter(QStringLiteral("T営業受注明細 "));
        QCOMPARE(slices.size(), 4);
        // The Null keys go in a slice of their own, first or last as the engine sorts them.
        QCOMPARE(slices.removeAll(QStringLiteral("T営業受注明細 営業受注日付 IS NULL")), 1);
        slices.prepend(QString());
        QVERIFY(slices[1].startsWith(
            QStringLiteral("T営業受注明細 営業受注日付 >= '20240000' AND 営業受注日付 <= '2024")));
        QVERIFY(slices[3].endsWith(QStringLiteral("営業受注日付 <= 'it''s'")));
        const QString tridb = b.file("tridb.mdb");
        QCOMPARE(b.rowsIn(tridb, "T営業受注明細"), 150002);
        QCOMPARE(QueryRows(tridb, "SELECT count(DISTINCT 番号) AS n FROM T営業受注明細")[0]
                     .value("n")
                     .toInt(),
                 150002);
        const QString stamp =
            QueryRows(b.install.configPath(), "SELECT バックアップ日付 FROM 動作環境定義")[0]
                .value("バックアップ日付")
                .toString();
        QCOMPARE(stamp, QStringLiteral("20261207 093015"));
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
            QFile file(b.file(QString::fromLatin1(old)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(BackupDatabases(b.t.ctx, b.folder,
                                {.sliceRows = 10, .fileRows = 35, .fileBytes = 1 << 30})
                    .copied);
        QCOMPARE(b.files(), (QStringList{"mstdb.mdb", "other.mdb", "rtrdb.mdb", "sumdb.mdb",
                                         "tridb.mdb", "tridb1.mdb", "tridb2.mdb", "zandb.mdb"}));
        int rows = 0;
        for (const char* file : {"tridb.mdb", "tridb1.mdb", "tridb2.mdb"}) {
            rows += b.rowsIn(b.file(QString::fromLatin1(file)), "T営業受注明細");
        }
        QCOMPARE(rows, 100);
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

    void listedNamesAndUserFolders() {
        Backup b;
        ExecuteOn(b.install.businessPath(), "CREATE TABLE \"dbo.M担当者\" (コード TEXT)");
        ExecuteOn(b.install.businessPath(), "INSERT INTO \"dbo.M担当者\" VALUES ('00012')");
        QTemporaryDir photos;
        QVERIFY(QDir().mkpath(photos.filePath("sub")));
        QFile photo(photos.filePath("sub/a.jpg"));
        QVERIFY(photo.open(QIODevice::WriteOnly));
        photo.close();
        b.t.ctx.company.set("写真フォルダ", " " + photos.path() + " ");
        QVERIFY(BackupDatabases(b.t.ctx, b.folder).copied);
        QCOMPARE(b.rowsIn(b.file("mstdb.mdb"), "M担当者"), 1);
        QVERIFY(CopyUserFolders(b.t.ctx, b.folder));
        QVERIFY(QFileInfo::exists(b.backupRoot.path() + "/ヌモリカ/Sunday/写真/sub/a.jpg"));
        b.t.ctx.company.set("ドキュメントフォルダ", "/nowhere");
        QVERIFY(!CopyUserFolders(b.t.ctx, b.folder));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
