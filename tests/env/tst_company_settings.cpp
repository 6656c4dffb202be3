#include <QSqlDatabase>
#include <QTest>

#include "TestInstallation.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"

namespace {
struct Offices {
    QString operating;
    QVariantMap company;
    QVariantMap office;  // the row of office "001"
};

void Prepare(const TestInstallation& install, const Offices& offices) {
    QString assignments;
    for (auto it = offices.company.begin(); it != offices.company.end(); ++it) {
        ExecuteOn(
            install.businessPath(),
            QStringLiteral("UPDATE Mユーザ SET %1 = '%2'").arg(it.key(), it.value().toString()));
    }
    QVariantMap office = offices.office;
    office.insert(QStringLiteral("コード"), QStringLiteral("001"));
    InsertRow(install.businessPath(), QStringLiteral("M事業所"), office);
    ExecuteOn(
        install.configPath(),
        QStringLiteral("UPDATE 動作環境定義 SET 運用事業所コード = '%1'").arg(offices.operating));
}
}  // namespace

class TestCompanySettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theOfficeOverridesTheCompany_data() {
        QTest::addColumn<QString>("operating");
        QTest::addColumn<QString>("officeBackup");
        QTest::addColumn<QString>("backupFolder");
        QTest::addColumn<int>("pinRequired");
        QTest::addColumn<int>("updateMode");
        QTest::newRow("branch office overrides") << "001"
                                                 << "/backup/001"
                                                 << "/backup/001" << 1 << 2;
        QTest::newRow("empty office folder keeps the company's") << "001"
                                                                 << ""
                                                                 << "/backup/co" << 1 << 2;
        QTest::newRow("head office keeps the company") << "000"
                                                       << "/backup/001"
                                                       << "/backup/co" << 0 << 5;
    }
    void theOfficeOverridesTheCompany() {
        QFETCH(QString, operating);
        QFETCH(QString, officeBackup);
        QFETCH(QString, backupFolder);
        QFETCH(int, pinRequired);
        QFETCH(int, updateMode);
        TestInstallation install;
        Prepare(
            install,
            {operating,
             {{"BACKUPフォルダ", "/backup/co"}, {"更新実行区分", "5"}, {"写真フォルダ", "/photo"}},
             {{"名称", "東京営業所"},
              {"BACKUPフォルダ", officeBackup},
              {"暗証番号有無", 1},
              {"更新実行区分", 2}}});
        ExecuteOn(install.businessPath(),
                  "UPDATE M事業所 SET 暗証番号有無 = 1 WHERE コード = '000'");
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.company.text("BACKUPフォルダ"), backupFolder);
        QCOMPARE(t.ctx.company.text("写真フォルダ"), QStringLiteral("/photo"));
        QCOMPARE(int(t.ctx.pinRequired), pinRequired);
        QCOMPARE(int(t.ctx.company.number("更新実行区分")), updateMode);
        QCOMPARE(int(t.ctx.officeCount), 1);
        QCOMPARE(t.ctx.environment.operatingOfficeCode, operating);
    }

    void aMissingOfficeFallsBackToTheHeadOffice() {
        TestInstallation install;
        Prepare(install, {"015", {}, {{"名称", "東京営業所"}}});
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.environment.operatingOfficeCode, QStringLiteral("000"));
        QCOMPARE(t.ctx.office.text("名称"), QStringLiteral("本社"));
        QCOMPARE(QueryRows(install.configPath(), "SELECT 運用事業所コード FROM 動作環境定義")[0]
                     .value("運用事業所コード")
                     .toString(),
                 QStringLiteral("000"));
        QVERIFY(HistoryNotes(install.configPath())
                    .contains(QStringLiteral("出力終了 UPDATE 動作環境定義 SET  運用事業所コード = "
                                             "''000'' WHERE 動作環境定義ID = ''001''")));
    }

    void anUnreadableOfficeKeepsTheStoredOfficeAndTheSignIn_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("table missing") << "DROP TABLE M事業所";
        QTest::newRow("column missing") << "ALTER TABLE M事業所 DROP COLUMN 地区コード";
    }
    void anUnreadableOfficeKeepsTheStoredOfficeAndTheSignIn() {
        QFETCH(QString, change);
        TestInstallation install;
        Prepare(install, {"001", {{"暗証番号有無", "1"}}, {{"暗証番号有無", 0}}});
        ExecuteOn(install.businessPath(), change);
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.environment.operatingOfficeCode, QStringLiteral("001"));
        QCOMPARE(int(t.ctx.pinRequired), 1);
    }

    void privilegedPinsAreHeldConverted() {
        TestInstallation install;
        const QString officePin = CodeConverter::encode(QStringLiteral("of12"), PinCost::Minimal);
        Prepare(install, {"001",
                          {{"特権暗証番号", CodeConverter::encode("co34", PinCost::Minimal)}},
                          {{"特権暗証番号", officePin}}});
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.company.text("システム特権暗証番号"), QStringLiteral("QXVWT47"));
        // Held as verifiers: the PINs check against them and are nowhere in them.
        QVERIFY(CodeConverter::verify(t.ctx.company.text("特権暗証番号"), "CO34"));
        QVERIFY(CodeConverter::verify(t.ctx.office.text("特権暗証番号"), "OF12"));
        QVERIFY(!CodeConverter::verify(t.ctx.office.text("特権暗証番号"), "CO34"));
        QVERIFY(!t.ctx.office.text("特権暗証番号").contains("OF12"));

        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET システム特権暗証番号 = 'QXVWT47'");
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.company.text("システム特権暗証番号"), QString());  // not in the stored form
    }

    void linkSlotsTakeTheFirstRowOfTheirCode() {
        TestInstallation install;
        InsertRow(install.businessPath(), "M他業務連携",
                  {{"コード", "005"}, {"業務名", "給与"}, {"連携有無区分", 1}});
        InsertRow(install.businessPath(), "M他業務連携", {{"コード", "005"}, {"業務名", "二番目"}});
        InsertRow(install.businessPath(), "M他業務連携", {{"コード", "003"}, {"業務名", "会計"}});
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        const auto& links = t.ctx.links.records;
        QCOMPARE(links[0].text("業務名"), QStringLiteral("会計"));
        QCOMPARE(links[1].text("業務名"), QString());
        QCOMPARE(links[3].text("業務名"), QStringLiteral("給与"));
        QCOMPARE(links[4].text("業務名"), QStringLiteral("給与"));
        QCOMPARE(int(links[3].number("連携有無区分")), 1);
        QCOMPARE(HistoryNotes(install.configPath()), QStringList{QStringLiteral("開始 ")});
    }

    void readsTheCompanyThroughOdbc() {
        TestInstallation install;
        if (!install.onServer() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
            QSKIP("needs the PostgreSQL test cluster and the ODBC driver");
        }
        const auto server =
            QueryRows(install.configPath(), "SELECT サーバー名 FROM データベース定義")[0]
                .value("サーバー名")
                .toString();
        ExecuteOn(
            install.configPath(),
            "UPDATE データベース定義 SET db = 'O', プロバイダ名 = 'MSDASQL', データソース名 = '', "
            "ドライバ名 = 'PostgreSQL Unicode', 接続文字列 = "
            "'Server=" +
                server.section(':', 0, 0) + ";Port=" + server.section(':', 1) + "'");
        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 郵便番号 = '100-0001'");
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.company.text("名称"), QStringLiteral("自社"));
        QCOMPARE(t.ctx.company.text("郵便番号"), QStringLiteral("100-0001"));
        QCOMPARE(int(t.ctx.company.number("決算月")), 3);
    }

    void noCompanyRow_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("row missing") << "DELETE FROM Mユーザ";
        QTest::newRow("column missing") << "ALTER TABLE Mユーザ DROP COLUMN 統計整理実行日";
    }
    void noCompanyRow() {
        QFETCH(QString, change);
        TestInstallation install;
        ExecuteOn(install.businessPath(), change);
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(!LoadCompanySettings(t.ctx));
    }
};

QTEST_GUILESS_MAIN(TestCompanySettings)
#include "tst_company_settings.moc"
