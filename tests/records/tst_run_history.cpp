#include <QTest>

#include "TestInstallation.h"
#include "env/Environment.h"

class TestRunHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRunWritesItsStartAndEnd_data() {
        QTest::addColumn<QString>("commandText");
        QTest::addColumn<QString>("startNote");
        QTest::newRow("no arguments: the blank stays") << ""
                                                       << "開始 ";
        QTest::newRow("trimmed") << "  X001  "
                                 << "開始 X001";
        QTest::newRow("single quote stored once") << "a'b c''d"
                                                  << "開始 a'b c''d";
        QTest::newRow("injection stored as typed") << "'); DELETE FROM 動作環境定義; --"
                                                   << "開始 '); DELETE FROM 動作環境定義; --";
    }
    void aRunWritesItsStartAndEnd() {
        QFETCH(QString, commandText);
        QFETCH(QString, startNote);
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        TestContext t(install.programFolder(), commandText);
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.staff.code = QStringLiteral("00034");  // the end row takes the code held in memory
        t.clock.current = t.clock.current.addSecs(3600);
        CloseEnvironment(t.ctx);

        const auto rows =
            QueryRows(install.configPath(), "SELECT * FROM プログラム稼動履歴 ORDER BY rowid");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value("摘要").toString(), startNote);
        QCOMPARE(rows[0].value("proccounter").toString(), QStringLiteral("000000000001"));
        QCOMPARE(rows[0].value("起動担当者コード").toString(), QStringLiteral("00012"));
        QCOMPARE(rows[0].value("実行日付").toString(), QStringLiteral("20261207 093015"));
        QCOMPARE(rows[0].value("運用事業所コード").toString(), QStringLiteral("000"));
        QCOMPARE(rows[0].value("ユーザID").toString(), QStringLiteral("taro"));
        QCOMPARE(rows[1].value("摘要").toString(), QStringLiteral("終了"));
        QCOMPARE(rows[1].value("proccounter").toString(), QStringLiteral("000000000002"));
        QCOMPARE(rows[1].value("起動担当者コード").toString(), QStringLiteral("00034"));
        QCOMPARE(rows[1].value("実行日付").toString(), QStringLiteral("20261207 103015"));
        QCOMPARE(QueryRows(install.configPath(), "SELECT * FROM 動作環境定義").size(), 1);
    }

    void theCounterRestartsWithEveryOpen() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        CloseEnvironment(t.ctx);
        QVERIFY(OpenEnvironment(t.ctx));
        CloseEnvironment(t.ctx);
        QStringList counters;
        for (const auto& row :
             QueryRows(install.configPath(),
                       "SELECT proccounter FROM プログラム稼動履歴 ORDER BY rowid")) {
            counters << row.value("proccounter").toString();
        }
        QCOMPARE(counters,
                 (QStringList{"000000000001", "000000000002", "000000000001", "000000000002"}));
    }

    void aRunWithoutHistoryTableStillOpens() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "DROP TABLE プログラム稼動履歴");
        TestContext t(install.programFolder(), QStringLiteral("X"));
        QVERIFY(OpenEnvironment(t.ctx));
        CloseEnvironment(t.ctx);
        QCOMPARE(t.ctx.statementCounter, 2);
        QVERIFY(t.dialogs.informations.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRunHistory)
#include "tst_run_history.moc"
