#include "TestSupport.h"

namespace {
const QString kFirstRun =
    QStringLiteral("最初の動作環境設定を行います。\r終了後、再度業務を起動します。");
const QString kCannotSetUp = QStringLiteral("動作環境設定ができません。");

QByteArray AccessFileHead() {
    QByteArray head(2048, '\0');
    head.replace(0, 4, QByteArray("\x00\x01\x00\x00", 4));
    head.replace(4, 15, "Standard ACE DB");
    return head;
}

struct Offices {
    QString operating;
    QVariantMap company;
    QVariantMap office;  // the row of office "001"
};

void Prepare(const TestInstallation& install, const Offices& offices) {
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

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void setupThatCannotStartIsReported_data() {
        QTest::addColumn<QString>("programFolder");
        Row("development copy in prgsrc", "prgsrc");
        Row("neither prgbin nor prgsrc", "bin");
    }
    void setupThatCannotStartIsReported() {
        TestInstallation install(TestInstallation::Nothing);
        TestContext t(install.path(Cell<QString>("programFolder")));
        auto instance = InstanceOf(t);
        QVERIFY(!Main(t.ctx, instance));
        QCOMPARE(t.dialogs.informations, (QStringList{kFirstRun, kCannotSetUp}));
        QVERIFY(t.shell.started.isEmpty());
    }

    void aSecondInstanceEndsAtOnce() {
        TestInstallation install;
        TestContext t(install.programFolder());
        auto running = InstanceOf(t);
        QVERIFY(running.acquire());
        auto second = InstanceOf(t);
        QVERIFY(!Main(t.ctx, second));
        QVERIFY(t.dialogs.informations.isEmpty());
        QVERIFY(t.shell.started.isEmpty());
        QVERIFY(!t.ctx.config.openFlag);
        QVERIFY(HistoryNotes(install.configPath()).isEmpty());
    }

    void theMenuOpensAndClosingItEndsTheRun() {
        TestInstallation install;
        TestContext t(install.programFolder());
        auto instance = InstanceOf(t);
        const auto window = Main(t.ctx, instance);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->objectName(), QStringLiteral("menヌモリカマイメニュ"));
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("お知らせ")));
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("prg_ttl")));
        QCOMPARE(HistoryNotes(install.configPath()), QStringList{QStringLiteral("開始 ")});

        WhenModal(QStringLiteral("msg終了確認"),
                  [](QDialog& dialog) { dialog.findChild<QPushButton*>("btn_いいえ")->click(); });
        window->close();
        QVERIFY(window->isVisible());
        QVERIFY(!t.ctx.ended);
        WhenModal(QStringLiteral("msg終了確認"),
                  [](QDialog& dialog) { dialog.findChild<QPushButton*>("btn_終了")->click(); });
        window->close();
        QVERIFY(t.ctx.ended);
        QCOMPARE(HistoryNotes(install.configPath()),
                 (QStringList{QStringLiteral("開始 "), QStringLiteral("終了")}));
        ExitProgram(t.ctx);  // a termination signal after the close writes nothing more
        QCOMPARE(HistoryNotes(install.configPath()).size(), 2);
    }

    // An unconfigured installation starts the setup, which leads to a working menu.
    void theSetupLeadsANewcomerToAWorkingMenu() {
        TestInstallation install(TestInstallation::FoldersOnly);
        QVERIFY(WriteFile(install.path("prgbin/ヌモリカマイメニュ")));
        TestContext first(install.programFolder());
        first.shell.startResult = true;
        auto instance = InstanceOf(first);
        QVERIFY(!Main(first.ctx, instance));
        QVERIFY(first.ctx.ended);
        QCOMPARE(first.dialogs.informations, QStringList{kFirstRun});
        QCOMPARE(first.shell.started,
                 (QList<FakeShell::Call>{{install.path("prgbin/動作環境設定.exe"),
                                          install.base() + ",ヌモリカマイメニュ"}}));
        const QString argument = first.shell.started.value(0).argument;

        FakeDialogs dialogs;
        FakeShell shell;
        dialogs.answers << true;
        QCOMPARE(RunEnvironmentSetup(argument, dialogs, shell), 0);
        QCOMPARE(dialogs.questions.size(), 1);
        QVERIFY(dialogs.questions[0].contains(install.base()));
        // The one showing of the installation's own system privileged PIN, which is stored hashed.
        QCOMPARE(dialogs.informations.size(), 1);
        QVERIFY(dialogs.informations[0].startsWith(QStringLiteral("動作環境を作成しました。\r")));
        const QString systemPin = dialogs.informations[0]
                                      .section(QStringLiteral("システム特権暗証番号: "), 1)
                                      .section(QLatin1Char('\r'), 0, 0);
        QVERIFY(CodeConverter::verify(
            QueryValue(install.businessPath(), "SELECT システム特権暗証番号 FROM Mユーザ")
                .toString(),
            systemPin));
        QCOMPARE(shell.started,
                 (QList<FakeShell::Call>{{install.path("prgbin/ヌモリカマイメニュ"), QString()}}));

        TestContext next(install.programFolder());
        auto nextInstance = InstanceOf(next);
        QVERIFY(Main(next.ctx, nextInstance));
        QVERIFY(next.dialogs.informations.isEmpty());
    }

    void theSetupAsksAndRefuses_data() {
        Columns<QString, bool, bool, int>("argument", "answer", "installed", "status");
        Row("declined", "BASE,ヌモリカマイメニュ", false, false, 1);
        Row("existing databases are kept", "BASE,ヌモリカマイメニュ", true, true, 2);
        Row("no program name", "BASE", true, false, 2);
    }
    void theSetupAsksAndRefuses() {
        QFETCH(QString, argument);
        QFETCH(bool, installed);
        TestInstallation install(installed ? TestInstallation::Databases
                                           : TestInstallation::Nothing);
        const auto before = QueryRowsIfAny(install.configPath());
        FakeDialogs dialogs;
        FakeShell shell;
        dialogs.answers << Cell<bool>("answer");
        argument.replace(QStringLiteral("BASE"), install.base());
        QTEST(RunEnvironmentSetup(argument, dialogs, shell), "status");
        QCOMPARE(QFileInfo::exists(install.configPath()), installed);
        QCOMPARE(QueryRowsIfAny(install.configPath()), before);
        QVERIFY(shell.started.isEmpty());
    }

    void loadsASharedInstallation() {
        TestInstallation install;
        if (install.onServer()) {
            QSKIP("reads the definition of the business file");
        }
        ExecuteOn(install.configPath(),
                  "UPDATE データベース定義 SET ユーザーID = '  admin  ', サーバー名 = NULL");
        ExecuteOn(install.configPath(),
                  "UPDATE 動作環境定義 SET 運用事業所コード = NULL, バックアップ日付 = '20261201 "
                  "103000', "
                  "CL更新実行区分 = '2.5', 日曜バックアップ = '1'");
        TestContext t(install.programFolder());
        t.ctx.databaseDefinition.serverName = QStringLiteral("kept");

        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(t.ctx.config.openFlag && t.ctx.config.isOpen());
        const DatabaseDefinition& business = t.ctx.databaseDefinition;
        const EnvironmentRecord& environment = t.ctx.environment;
        QCOMPARE(
            (QStringList{business.kind, business.dataSourceName, business.userId,
                         business.serverName, environment.operatingOfficeCode,
                         t.ctx.initialOfficeCode, environment.backupDate,
                         QString::number(environment.clUpdateMode),
                         QString::number(environment.weekdayBackup[6]),
                         QString::number(t.ctx.paths.configKind), t.ctx.paths.userConfigFolder,
                         t.ctx.paths.userName}),
            (QStringList{"A", install.businessPath(), "admin", "kept", "000", "000", "20261201",
                         "2", "1", QString::number(kAccdbFile), install.path("conf"), "taro"}));
        QVERIFY(t.dialogs.informations.isEmpty());
    }

    void usesTheMdbWhenThereIsNoAccdb() {
        TestInstallation install;
        QVERIFY(QFile::rename(install.configPath(), install.path("conf/usrcnfg.mdb")));
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QCOMPARE(t.ctx.paths.configKind, qint16(kMdbFile));
    }

    void failsWithoutMessage_data() {
        QTest::addColumn<QString>("change");
        Row("environment column missing",
            "ALTER TABLE 動作環境定義 DROP COLUMN バックアップフォルダ");
        Row("column of the first read missing",
            "ALTER TABLE 動作環境定義 DROP COLUMN CL更新実行区分");
        Row("definition table missing", "DROP TABLE データベース定義");
        Row("unknown installation mode", "UPDATE 動作環境定義 SET インストール区分 = 2");
        Row("no configuration database", "");
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
        Columns<QByteArray, QString>("content", "saying");
        Row("Access file", AccessFileHead(), "Microsoft Access のデータベースファイル");
        Row("random bytes", QByteArray(4096, '\x5a'), "データベースとして読めません");
    }
    void refusesAFileThatIsNoDatabase() {
        TestInstallation install;
        QVERIFY(WriteFile(install.configPath(), Cell<QByteArray>("content")));
        TestContext t(install.programFolder());
        QVERIFY(!LoadEnvironment(t.ctx));
        QVERIFY(!t.ctx.config.openFlag);
        const QRegularExpression message(
            "^SYB_OPEN ERROR.*" + Cell<QString>("saying") + ".*\rsysopen error$",
            QRegularExpression::DotMatchesEverythingOption);
        QCOMPARE(t.dialogs.informations.filter(message).size(), 1);
        QCOMPARE(t.dialogs.informations.size(), 1);
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
        QCOMPARE(StoredSetting(install, "バックアップフォルダ"), QString());
        // The second start keeps the user's copy as it is.
        TestContext again(install.programFolder());
        QVERIFY(LoadEnvironment(again.ctx));
        QCOMPARE(again.ctx.environment.backupFolder, QStringLiteral("copy"));
    }

    void theOfficeOverridesTheCompany_data() {
        Columns<QString, QString, QString, int, int>("operating", "officeBackup", "backupFolder",
                                                     "pinRequired", "updateMode");
        Row("branch office overrides", "001", "/backup/001", "/backup/001", 1, 2);
        Row("empty office folder keeps the company's", "001", "", "/backup/co", 1, 2);
        Row("head office keeps the company", "000", "/backup/001", "/backup/co", 0, 5);
    }
    void theOfficeOverridesTheCompany() {
        QFETCH(QString, operating);
        TestInstallation install;
        Prepare(
            install,
            {operating,
             {{"BACKUPフォルダ", "/backup/co"}, {"更新実行区分", "5"}, {"写真フォルダ", "/photo"}},
             {{"名称", "東京営業所"},
              {"BACKUPフォルダ", Cell<QString>("officeBackup")},
              {"暗証番号有無", 1},
              {"更新実行区分", 2}}});
        ExecuteOn(install.businessPath(),
                  "UPDATE M事業所 SET 暗証番号有無 = 1 WHERE コード = '000'");
        LoadedContext t(install);
        QTEST(t.ctx.company.text("BACKUPフォルダ"), "backupFolder");
        QCOMPARE(t.ctx.company.text("写真フォルダ"), QStringLiteral("/photo"));
        QTEST(int(t.ctx.pinRequired), "pinRequired");
        QTEST(int(t.ctx.company.number("更新実行区分")), "updateMode");
        QCOMPARE(int(t.ctx.officeCount), 1);
        QCOMPARE(t.ctx.environment.operatingOfficeCode, operating);
    }

    void aMissingOfficeFallsBackToTheHeadOffice() {
        TestInstallation install;
        Prepare(install, {"015", {}, {{"名称", "東京営業所"}}});
        LoadedContext t(install);
        QCOMPARE(t.ctx.environment.operatingOfficeCode, QStringLiteral("000"));
        QCOMPARE(t.ctx.office.text("名称"), QStringLiteral("本社"));
        QCOMPARE(StoredSetting(install, "運用事業所コード"), QStringLiteral("000"));
        QVERIFY(HistoryNotes(install.configPath())
                    .contains(QStringLiteral("出力終了 UPDATE 動作環境定義 SET  運用事業所コード = "
                                             "''000'' WHERE 動作環境定義ID = ''001''")));
    }

    void anUnreadableOfficeKeepsTheStoredOfficeAndTheSignIn_data() {
        QTest::addColumn<QString>("change");
        Row("table missing", "DROP TABLE M事業所");
        Row("column missing", "ALTER TABLE M事業所 DROP COLUMN 地区コード");
    }
    void anUnreadableOfficeKeepsTheStoredOfficeAndTheSignIn() {
        TestInstallation install;
        Prepare(install, {"001", {{"暗証番号有無", "1"}}, {{"暗証番号有無", 0}}});
        ExecuteOn(install.businessPath(), Cell<QString>("change"));
        LoadedContext t(install);
        QCOMPARE(t.ctx.environment.operatingOfficeCode, QStringLiteral("001"));
        QCOMPARE(int(t.ctx.pinRequired), 1);
    }

    void privilegedPinsAreHeldConverted() {
        TestInstallation install;
        const QString officePin = CodeConverter::encode(QStringLiteral("of12"), PinCost::Minimal);
        Prepare(install, {"001",
                          {{"特権暗証番号", CodeConverter::encode("co34", PinCost::Minimal)}},
                          {{"特権暗証番号", officePin}}});
        LoadedContext t(install);
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
        LoadedContext t(install);
        const auto& links = t.ctx.links.records;
        QCOMPARE((QStringList{links[0].text("業務名"), links[1].text("業務名"),
                              links[3].text("業務名"), links[4].text("業務名")}),
                 (QStringList{"会計", "", "給与", "給与"}));
        QCOMPARE(int(links[3].number("連携有無区分")), 1);
        QCOMPARE(HistoryNotes(install.configPath()), QStringList{QStringLiteral("開始 ")});
    }

    void readsTheCompanyThroughOdbc() {
        TestInstallation install;
        if (!install.onServer() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
            QSKIP("needs the PostgreSQL test cluster and the ODBC driver");
        }
        const QString server =
            QueryValue(install.configPath(), "SELECT サーバー名 FROM データベース定義").toString();
        ExecuteOn(
            install.configPath(),
            "UPDATE データベース定義 SET db = 'O', プロバイダ名 = 'MSDASQL', データソース名 = '', "
            "ドライバ名 = 'PostgreSQL Unicode', 接続文字列 = "
            "'Server=" +
                server.section(':', 0, 0) + ";Port=" + server.section(':', 1) + "'");
        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 郵便番号 = '100-0001'");
        LoadedContext t(install);
        QCOMPARE(t.ctx.company.text("名称"), QStringLiteral("自社"));
        QCOMPARE(t.ctx.company.text("郵便番号"), QStringLiteral("100-0001"));
        QCOMPARE(int(t.ctx.company.number("決算月")), 3);
    }

    void noCompanyRow_data() {
        QTest::addColumn<QString>("change");
        Row("row missing", "DELETE FROM Mユーザ");
        Row("column missing", "ALTER TABLE Mユーザ DROP COLUMN 統計整理実行日");
    }
    void noCompanyRow() {
        TestInstallation install;
        ExecuteOn(install.businessPath(), Cell<QString>("change"));
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(!LoadCompanySettings(t.ctx));
    }

private:
    static int QueryRowsIfAny(const QString& configPath) {
        return QFileInfo::exists(configPath)
                   ? int(QueryRows(configPath, "SELECT * FROM データベース定義").size())
                   : -1;
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
