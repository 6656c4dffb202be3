#include <QFile>
#include <QTest>

#include "TestInstallation.h"
#include "db/DbAccess.h"
#include "db/DbConnection.h"
#include "db/Engine.h"
#include "db/Recordset.h"
#include "env/Environment.h"
#include "env/Optimisation.h"
#include "install/Installation.h"
#include "records/RunHistory.h"

namespace {
const QString kAppPaths =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSACCESS.EXE");

class CountingPleaseWait final : public PleaseWait {
public:
    void show() override { ++shown; }
    void hide() override { ++hidden; }
    int shown = 0;
    int hidden = 0;
};

// A per-user installation; Access registered when asked.
struct PerUser {
    explicit PerUser(bool access = true) : install(TestInstallation::Nothing) {
        if (const auto error = CreateInstallation(install.base(), {false, {}, true})) {
            qFatal("%s", qPrintable(*error));
        }
        // A form table whose attributes are not exactly those of a link is left alone.
        static_cast<void>(AddLinkedTable(
            install.path("report/repfrmdb.accdb"), "W他", "W帳票データ",
            ";DATABASE=" + install.path("report/repdb.accdb"), kLinkedTableAttributes | 2));
        if (access) {
            registerAccess(t);
        }
    }
    static void registerAccess(TestContext& context) {
        context.registry.createKey(Hive::LocalMachine, kAppPaths);
        context.registry.setValue(Hive::LocalMachine, kAppPaths, "Path",
                                  QStringLiteral("/opt/Microsoft Office/Office12/"));
    }
    QString own(const QString& file) const { return install.path("users/taro/" + file); }
    QString linkOf(const QString& forms, const QString& table) const {
        const auto tables = ListTableDefinitions(forms);
        for (const TableDefinition& definition : tables.value_or(QList<TableDefinition>())) {
            if (definition.name == table) {
                return definition.connect;
            }
        }
        return {};
    }

    TestInstallation install;
    TestContext t{install.programFolder()};
};
}  // namespace

class TestPerUser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theFirstStartCopiesAndRelinks() {
        PerUser p;
        CountingPleaseWait wait;
        p.t.ctx.pleaseWait = &wait;
        QVERIFY(OpenEnvironment(p.t.ctx));
        for (const char* file :
             {"conf/usrcnfg.accdb", "report/repdb.accdb", "report/repfrmdb.accdb"}) {
            QVERIFY2(QFileInfo::exists(p.own(file)), file);
        }
        QCOMPARE(wait.shown, 1);
        QCOMPARE(wait.hidden, 1);
        const QString forms = p.own("report/repfrmdb.accdb");
        QCOMPARE(p.linkOf(forms, "W帳票データ"), ";DATABASE=" + p.own("report/repdb.accdb"));
        QCOMPARE(p.linkOf(forms, "W他"), ";DATABASE=" + p.install.path("report/repdb.accdb"));

        // The user's rows are read through the link.
        InsertRow(p.own("report/repdb.accdb"), "W帳票データ", {{"帳票ID", "R1"}, {"金額", 1200}});
        DbConnection reports(QStringLiteral("forms"), DbRole::Other);
        QVERIFY(reports.open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + forms));
        Recordset rows;
        QVERIFY(rows.open(reports.database(), "SELECT 金額 FROM W帳票データ WHERE 帳票ID = 'R1'"));
        QCOMPARE(rows.text("金額"), QStringLiteral("1200"));
        rows.close();

        // The trusted location is the user's report folder.
        const QString locations =
            "Software\\Microsoft\\Office\\12.0\\Access\\Security\\Trusted Locations\\Location0";
        QCOMPARE(p.t.registry.value(Hive::CurrentUser, locations, "Path"),
                 std::optional<RegistryValue>(p.own("report") + "/"));
    }

    void theSecondStartCopiesNothing() {
        PerUser p;
        QVERIFY(OpenEnvironment(p.t.ctx));
        CloseEnvironment(p.t.ctx);
        const QString forms = p.own("report/repfrmdb.accdb");
        InsertRow(p.own("report/repdb.accdb"), "W帳票データ", {{"帳票ID", "mine"}});
        ExecuteOn(forms, "UPDATE numorika_links SET connect = ';DATABASE=/elsewhere.accdb'");
        TestContext again(p.install.programFolder());
        CountingPleaseWait wait;
        again.ctx.pleaseWait = &wait;
        QVERIFY(OpenEnvironment(again.ctx));
        QCOMPARE(wait.shown, 0);
        QCOMPARE(QueryRows(p.own("report/repdb.accdb"), "SELECT * FROM W帳票データ").size(), 1);
        QCOMPARE(p.linkOf(forms, "W帳票データ"), QStringLiteral(";DATABASE=/elsewhere.accdb"));
    }

    void withoutAccessNothingIsRelinked() {
        PerUser p(false);
        QVERIFY(OpenEnvironment(p.t.ctx));
        QVERIFY(QFileInfo::exists(p.own("report/repfrmdb.accdb")));
        QCOMPARE(p.linkOf(p.own("report/repfrmdb.accdb"), "W帳票データ"),
                 ";DATABASE=" + p.install.path("report/repdb.accdb"));
    }

    void aLinkMustFindItsTable() {
        PerUser p;
        const QString forms = p.install.path("report/repfrmdb.accdb");
        QVERIFY(!RelinkTable(forms, "W帳票データ", ";DATABASE=" + p.install.configPath()));
        QVERIFY(!RelinkTable(forms, "W帳票データ", ";DATABASE=/nowhere.accdb"));
        QVERIFY(!RelinkTable(forms, "無い", ";DATABASE=" + p.install.path("report/repdb.accdb")));
        QCOMPARE(p.linkOf(forms, "W帳票データ"),
                 ";DATABASE=" + p.install.path("report/repdb.accdb"));
    }

    void compactionTargets_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("target");
        QTest::newRow("accdb") << "/r/repdb.accdb"
                               << "/r/repdbbak.accdb";
        QTest::newRow("capitals") << "/r/REPDB.ACCDB"
                                  << "/r/REPDBbak.accdb";
        QTest::newRow("mdb") << "/r/gnrdb.mdb"
                             << "/r/gnrdbbak.mdb";
        QTest::newRow("other") << "/r/notes.txt"
                               << "";
    }
    void compactionTargets() {
        QFETCH(QString, path);
        QFETCH(QString, target);
        QCOMPARE(CompactionTarget(path), target);
    }

    void compactingKeepsTheDataOrTheFile() {
        PerUser p;
        const QString reports = p.install.path("report/repdb.accdb");
        InsertRow(reports, "W帳票データ", {{"帳票ID", "R1"}});
        QVERIFY(CompactDatabaseFile(reports));
        QVERIFY(QFileInfo::exists(p.install.path("report/repdbbak.accdb")));
        QCOMPARE(QueryRows(reports, "SELECT value FROM numorika_info WHERE key = 'locale'")[0]
                     .value("value")
                     .toString(),
                 QStringLiteral(";LANGID=0x0411;CP=932;COUNTRY=0"));
        QCOMPARE(QueryRows(reports, "SELECT * FROM W帳票データ").size(), 1);

        const QString broken = p.install.path("report/broken.accdb");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        QVERIFY(!CompactDatabaseFile(broken));
        QFile after(broken);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), QByteArray(4096, 'x'));
    }

    void optimisingRestartsTheRun() {
        PerUser p;
        FakeNotice notice;
        p.t.ctx.notice = &notice;
        QVERIFY(OpenEnvironment(p.t.ctx));
        OptimiseConfiguration(p.t.ctx);
        QCOMPARE(notice.notice, QStringLiteral("動作環境定義情報の最適化"));
        QVERIFY(p.t.ctx.config.isOpen());
        QVERIFY(QFileInfo::exists(p.own("conf/usrcnfgbak.accdb")));
        QVERIFY(QFileInfo::exists(p.own("report/repdbbak.accdb")));
        CloseEnvironment(p.t.ctx);
        QStringList rows;
        for (const auto& row :
             QueryRows(p.own("conf/usrcnfg.accdb"),
                       "SELECT proccounter, 摘要 FROM プログラム稼動履歴 ORDER BY rowid")) {
            rows << row.value("proccounter").toString().right(1) + row.value("摘要").toString();
        }
        QCOMPARE(rows, (QStringList{"1開始 ", "2終了", "1開始 ", "2終了"}));
    }

    // Another program keeps the configuration open and writes before and after: the compacted
    // copy must not replace the file under it, or its later rows are lost.
    void aConfigurationInUseIsNotReplaced() {
        PerUser p;
        QVERIFY(OpenEnvironment(p.t.ctx));
        const QString config = p.own("conf/usrcnfg.accdb");
        // Room that a compaction would give back: the file shrinks when it is replaced.
        ExecuteOn(config,
                  "CREATE TABLE 作業 AS WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL "
                  "SELECT i + 1 FROM k WHERE i < 2000) SELECT randomblob(1000) FROM k");
        ExecuteOn(config, "DROP TABLE 作業");
        ExecuteOn(config, "PRAGMA wal_checkpoint(TRUNCATE)");
        const qint64 size = QFileInfo(config).size();
        DbConnection other(QStringLiteral("config"), DbRole::Configuration);
        QVERIFY(other.open(ComposeConfigConnectionString(DatabaseFileKind::Accdb, config, false)));
        const auto write = [&](const char* note) {
            QVERIFY(ExecuteStatement(
                other, ComposeHistoryStatement(p.t.clock.now(), 1, QString::fromUtf8(note), "001",
                                               "", "other")));
        };
        write("前");
        OptimiseConfiguration(p.t.ctx);
        QCOMPARE(QFileInfo(config).size(), size);
        write("後");
        other.close();
        CloseEnvironment(p.t.ctx);
        QCOMPARE(QueryRows(config, "PRAGMA integrity_check")[0].value("integrity_check"),
                 QVariant("ok"));
        QCOMPARE(HistoryNotes(config).filter(QRegularExpression("^(前|後)$")),
                 (QStringList{"前", "後"}));
    }
};

QTEST_GUILESS_MAIN(TestPerUser)
#include "tst_per_user.moc"
