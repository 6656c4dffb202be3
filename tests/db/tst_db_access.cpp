#include <QFile>
#include <QTest>

#include "TestInstallation.h"
#include "db/DbAccess.h"
#include "env/LoadEnvironment.h"
#include "records/Connections.h"

namespace {
QVariantMap LastHistoryRow(const QString& configPath) {
    const auto rows =
        QueryRows(configPath, "SELECT * FROM プログラム稼動履歴 ORDER BY rowid DESC LIMIT 1");
    return rows.isEmpty() ? QVariantMap() : rows[0];
}
}  // namespace

class TestDbAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyResultLeavesAnOpenRecordset() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        Recordset recordset;
        QVERIFY(!OpenConfigRecordset(t.ctx, recordset,
                                     "SELECT * FROM 動作環境定義 WHERE 動作環境定義ID = '999'"));
        QVERIFY(recordset.isOpen());
        QVERIFY(recordset.atEnd());
        QVERIFY(recordset.hasField(QStringLiteral("運用事業所コード")));
        recordset.close();
        QVERIFY(HistoryNotes(install.configPath()).isEmpty());
    }

    void failuresLeaveErrorRows_data() {
        QTest::addColumn<bool>("business");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("configuration") << false << "UPDATE 無い表 SET a = 1" << true;
        QTest::newRow("configuration, run history named")
            << false << "UPDATE プログラム稼動履歴 SET 無い列 = 1" << false;
        QTest::newRow("business, run history named")
            << true << "UPDATE プログラム稼動履歴 SET 無い列 = 1" << true;
        QTest::newRow("business") << true << "DELETE FROM 無い表" << true;
    }
    void failuresLeaveErrorRows() {
        QFETCH(bool, business);
        QFETCH(QString, sql);
        QFETCH(bool, recorded);
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        t.ctx.databaseDefinition.kind = QStringLiteral("A");
        QVERIFY(OpenBusinessConnection(t.ctx));
        QVERIFY(!(business ? ExecuteBusiness(t.ctx, sql, true) : ExecuteConfig(t.ctx, sql)));
        const QStringList notes = HistoryNotes(install.configPath());
        QCOMPARE(notes.size(), recorded ? 1 : 0);
        if (recorded) {
            QVERIFY2(notes[0].startsWith(QStringLiteral("エラー ")), qPrintable(notes[0]));
            QVERIFY2(notes[0].endsWith(sql), qPrintable(notes[0]));
        }
    }

    void statementRowsKeepQuotesDoubled() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        // Values that other rows carry must not break the row either.
        t.ctx.environment.operatingOfficeCode = QStringLiteral("0'1");
        t.ctx.staff.code = QStringLiteral("it's");
        t.ctx.paths.userName = QStringLiteral("o'hara");
        const QString sql =
            QStringLiteral("UPDATE 動作環境定義 SET バックアップフォルダ = 'it''s'   ");
        QVERIFY(ExecuteConfigLogged(t.ctx, sql));
        const QVariantMap row = LastHistoryRow(install.configPath());
        QString expected = sql.trimmed();
        expected.replace(QLatin1Char('\''), QStringLiteral("''"));
        QCOMPARE(row.value("摘要").toString(), QStringLiteral("出力終了 ") + expected);
        QCOMPARE(row.value("proccounter").toString(), QStringLiteral("000000000001"));
        QCOMPARE(row.value("運用事業所コード").toString(), QStringLiteral("0'1"));
        QCOMPARE(row.value("起動担当者コード").toString(), QStringLiteral("it's"));
        QCOMPARE(row.value("ユーザID").toString(), QStringLiteral("o'hara"));
        QCOMPARE(row.value("プログラムID").toString(), QStringLiteral("ヌモリカマイメニュ"));
        QCOMPARE(row.value("実行日付").toString(), QStringLiteral("20261207 093015"));
        QCOMPARE(QueryRows(install.configPath(), "SELECT バックアップフォルダ FROM 動作環境定義")[0]
                     .value("バックアップフォルダ")
                     .toString(),
                 QStringLiteral("it's"));
    }

    void businessOpenFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileContent");
        QTest::addColumn<QString>("saying");
        QTest::newRow("file kind opens") << "A"
                                         << ""
                                         << "";
        QTest::newRow("unknown kind") << "X"
                                      << ""
                                      << "データベース種別「X」は不明です。";
        QTest::newRow("kind compared exactly") << "a"
                                               << ""
                                               << "データベース種別「a」は不明です。";
        QTest::newRow("empty kind") << ""
                                    << ""
                                    << "データベース種別「」は不明です。";
        QTest::newRow("server down") << "S"
                                     << "server"
                                     << "/nonexistent-numorika-socket";
        // Another provider is opened by what it is: the file of an ACE provider, a DSN of ODBC.
        QTest::newRow("other source through the ACE provider") << "O"
                                                               << ""
                                                               << "";
        QTest::newRow("other source through an ODBC name that does not exist")
            << "O"
            << "dsn"
            << "ODBC「DSN=nowhere;UID=u;PWD=****;」に接続できません";
        QTest::newRow("file missing") << "A"
                                      << "missing"
                                      << "見つかりません";
        QTest::newRow("Access file") << "A"
                                     << "access"
                                     << "Microsoft Access のデータベースファイル";
    }
    void businessOpenFailures() {
        QFETCH(QString, kind);
        QFETCH(QString, fileContent);
        QFETCH(QString, saying);
        TestInstallation install;
        if (fileContent == QLatin1String("missing")) {
            QVERIFY(QFile::remove(install.businessPath()));
        } else if (fileContent == QLatin1String("server")) {
            ExecuteOn(
                install.configPath(),
                "UPDATE データベース定義 SET プロバイダ名 = 'PostgreSQL', サーバー名 = "
                "'/nonexistent-numorika-socket:5999', データベース名 = 'gnr', ユーザーID = 'u'");
        } else if (fileContent == QLatin1String("dsn")) {
            ExecuteOn(install.configPath(),
                      "UPDATE データベース定義 SET プロバイダ名 = 'MSDASQL', データソース名 = "
                      "'nowhere', ユーザーID = 'u'");
        } else if (fileContent == QLatin1String("access")) {
            QFile file(install.businessPath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
        }
        ExecuteOn(install.configPath(),
                  "UPDATE データベース定義 SET db = '" + kind + "', パスワード = 'secret'");
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        const bool opened = OpenBusinessConnection(t.ctx);
        QCOMPARE(opened, saying.isEmpty());
        QCOMPARE(t.ctx.business.openFlag(), opened);
        const QStringList notes = HistoryNotes(install.configPath());
        if (opened) {
            QVERIFY(notes.isEmpty());
            return;
        }
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes[0].startsWith(QStringLiteral("エラー DB_OPEN ERROR")), qPrintable(notes[0]));
        QVERIFY2(notes[0].contains(saying), qPrintable(notes[0]));
        QVERIFY(!notes[0].contains(QStringLiteral("secret")));
    }

    void reopensTheConfiguration() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(ReopenConfigConnection(t.ctx));
        QVERIFY(t.ctx.config.isOpen());
        t.ctx.config.close();
        QVERIFY(t.ctx.config.openFlag());  // a close leaves the flag as it is
        QVERIFY(QFile::remove(install.configPath()));
        QVERIFY(!ReopenConfigConnection(t.ctx));
        QVERIFY(!t.ctx.config.openFlag());
        QVERIFY(!QFileInfo::exists(install.configPath()));  // nothing was created in its place
    }
};

QTEST_GUILESS_MAIN(TestDbAccess)
#include "tst_db_access.moc"
