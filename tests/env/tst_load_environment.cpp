#include <QFile>
#include <QTest>

#include "TestInstallation.h"
#include "db/DbAccess.h"
#include "env/LoadEnvironment.h"

namespace {
void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray AccessFileHead() {
    QByteArray head(2048, '\0');
    head.replace(0, 4, QByteArray("\x00\x01\x00\x00", 4));
    head.replace(4, 15, "Standard ACE DB");
    return head;
}
}  // namespace

class TestLoadEnvironment : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadsASharedInstallation() {
        TestInstallation install;
        ExecuteOn(install.configPath(),
                  "UPDATE データベース定義 SET ユーザーID = '  admin  ', サーバー名 = NULL");
        ExecuteOn(install.configPath(),
                  "UPDATE 動作環境定義 SET 運用事業所コード = NULL, バックアップ日付 = '20261201 "
                  "103000', "
                  "CL更新実行区分 = '2.5', 日曜バックアップ = '1'");
        TestContext t(install.programFolder());
        t.ctx.databaseDefinition.serverName = QStringLiteral("kept");

        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(t.ctx.config.openFlag());
        QVERIFY(t.ctx.config.isOpen());
        QCOMPARE(t.ctx.databaseDefinition.kind, QStringLiteral("A"));
        QCOMPARE(t.ctx.databaseDefinition.dataSourceName, install.businessPath());
        QCOMPARE(t.ctx.databaseDefinition.userId, QStringLiteral("admin"));
        QCOMPARE(t.ctx.databaseDefinition.serverName, QStringLiteral("kept"));
        QCOMPARE(t.ctx.environment.operatingOfficeCode, QStringLiteral("000"));
        QCOMPARE(t.ctx.initialOfficeCode, QStringLiteral("000"));
        QCOMPARE(t.ctx.environment.backupDate, QStringLiteral("20261201"));
        QCOMPARE(int(t.ctx.environment.clUpdateMode), 2);
        QCOMPARE(int(t.ctx.environment.weekdayBackup[6]), 1);
        QCOMPARE(t.ctx.paths.configKind, DatabaseFileKind::Accdb);
        QCOMPARE(t.ctx.paths.userConfigFolder, install.path("conf"));
        QCOMPARE(t.ctx.paths.userName, QStringLiteral("taro"));
        QVERIFY(t.dialogs.informations.isEmpty());
    }

    void usesTheMdbWhenThereIsNoAccdb() {
        TestInstallation install;
        QVERIFY(QFile::rename(install.configPath(), install.path("conf/usrcnfg.mdb")));
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QCOMPARE(t.ctx.paths.configKind, DatabaseFileKind::Mdb);
    }

    void failsWithoutMessage_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("environment column missing")
            << "ALTER TABLE 動作環境定義 DROP COLUMN バックアップフォルダ";
        QTest::newRow("column of the first read missing")
            << "ALTER TABLE 動作環境定義 DROP COLUMN CL更新実行区分";
        QTest::newRow("definition table missing") << "DROP TABLE データベース定義";
        QTest::newRow("unknown installation mode")
            << "UPDATE 動作環境定義 SET インストール区分 = 2";
        QTest::newRow("no configuration database") << "";
    }
    void failsWithoutMessage() {
        QFETCH(QString, change);
        TestInstallation install;
        if (change.isEmpty()) {
            QVERIFY(QFile::remove(install.configPath()));
        } else {
            ExecuteOn(install.configPath(), change);
        }
        TestContext t(install.programFolder());
        QVERIFY(!LoadEnvironment(t.ctx));
        QVERIFY(t.dialogs.informations.isEmpty());
    }

    void refusesAFileThatIsNoDatabase_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("saying");
        QTest::newRow("Access file")
            << AccessFileHead() << "Microsoft Access のデータベースファイル";
        QTest::newRow("random bytes") << QByteArray(4096, '\x5a') << "データベースとして読めません";
    }
    void refusesAFileThatIsNoDatabase() {
        QFETCH(QByteArray, content);
        QFETCH(QString, saying);
        TestInstallation install;
        WriteBytes(install.configPath(), content);
        TestContext t(install.programFolder());
        QVERIFY(!LoadEnvironment(t.ctx));
        QVERIFY(!t.ctx.config.openFlag());
        QCOMPARE(t.dialogs.informations.size(), 1);
        const QString message = t.dialogs.informations[0];
        QVERIFY2(message.startsWith(QStringLiteral("SYB_OPEN ERROR")), qPrintable(message));
        QVERIFY2(message.contains(saying), qPrintable(message));
        QVERIFY(message.endsWith(QStringLiteral("\rsysopen error")));
    }

    void perUserModeOpensTheUsersCopy() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET インストール区分 = 1");
        const QString copy = install.path("users/taro/conf/usrcnfg.accdb");
        {
            TestContext t(install.programFolder());
            QVERIFY(LoadEnvironment(t.ctx));
            QCOMPARE(t.ctx.paths.userConfigFolder, install.path("users/taro/conf"));
            QCOMPARE(t.ctx.paths.userReportFolder, install.path("users/taro/report"));
            QVERIFY(QFileInfo::exists(copy));
            QVERIFY(ExecuteConfig(t.ctx, "UPDATE 動作環境定義 SET バックアップフォルダ = 'copy'"));
        }
        QCOMPARE(QueryRows(install.configPath(), "SELECT バックアップフォルダ FROM 動作環境定義")[0]
                     .value("バックアップフォルダ")
                     .toString(),
                 QString());
        // The second start keeps the user's copy as it is.
        TestContext again(install.programFolder());
        QVERIFY(LoadEnvironment(again.ctx));
        QCOMPARE(again.ctx.environment.backupFolder, QStringLiteral("copy"));
    }
};

QTEST_GUILESS_MAIN(TestLoadEnvironment)
#include "tst_load_environment.moc"
