#include "TestSupport.h"
#include "app/FrontRequest.h"
#include "env/WindowTitle.h"

namespace {
// The company's columns set (assignments each after a comma), office "001" with the columns given
// and the operating office stored.
void Prepare(const TestInstallation& install, const QString& operating, const QString& company,
             QVariantMap office) {
    ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 決算月 = 決算月" + company);
    office.insert(QStringLiteral("コード"), QStringLiteral("001"));
    InsertRow(install.businessPath(), QStringLiteral("M事業所"), office);
    ExecuteOn(install.configPath(),
              QStringLiteral("UPDATE 動作環境定義 SET 運用事業所コード = '%1'").arg(operating));
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Neither in prgbin nor in prgsrc.
    void setupThatCannotStartIsReported() {
        TestInstallation install(TestInstallation::Nothing);
        TestContext t(install.path("bin"));
        auto instance = InstanceOf(t);
        QVERIFY(!Main(t.ctx, instance) && t.shell.started.isEmpty());
        QCOMPARE(t.dialogs.informations,
                 (QStringList{FirstRunMessage(), "動作環境設定ができません。"}));
    }

    // A start ends at once, touching no database: silently while another menu of the user runs;
    // told, with the file or the reason, when the lock cannot be made at all.
    void aStartThatCannotTakeTheLockEnds_data() {
        Columns<QString, QString>("lock", "told");
        const QString told =
            QStringLiteral("メニューの起動を確認するファイルを作れないため、終了します。\n");
        Row("another menu runs", "running", "");
        Row("the lock folder is a file", "file", told + "~/file/ヌモリカマイメニュ-taro.lock");
        Row("no folder of the user's own", "none", told + "not own");
    }
    void aStartThatCannotTakeTheLockEnds() {
        const QString lock = Cell<QString>("lock");
        TestInstallation install;
        TestContext t(install.programFolder());
        auto running = InstanceOf(t);
        QCOMPARE(running.acquire(), SingleInstance::Lock::Taken);
        QWidget menu;  // the running menu, minimised
        menu.showMinimized();
        FrontRequestListener listener(FrontRequestName(t.ctx.process), menu);
        if (lock != "running") {
            QVERIFY(WriteFile(t.lockFolder.filePath("file")));
            t.ctx.process.lockFolder = lock == "file" ? t.lockFolder.filePath("file") : QString();
            t.ctx.process.lockProblem = QStringLiteral("not own");
        }
        auto second = InstanceOf(t);
        QVERIFY(!Main(t.ctx, second) && !t.ctx.config.openFlag() && t.shell.started.isEmpty());
        QVERIFY(HistoryNotes(install.configPath()).isEmpty());
        QTEST(t.dialogs.informations.join('|').replace(t.lockFolder.path(), "~"), "told");
        // Only a running menu is brought to the front.
        if (lock == "running") {
            QTRY_VERIFY(!menu.isMinimized());
        }
    }

    void theMenuOpensAndClosingItEndsTheRun() {
        TestInstallation install;
        TestContext t(install.programFolder());
        auto instance = InstanceOf(t);
        const auto window = Main(t.ctx, instance);
        QVERIFY(window && window->isVisible());
        QCOMPARE(HistoryNotes(install.configPath()), QStringList{"開始 "});
        WhenModal(QStringLiteral("msg終了確認"),
                  [](QDialog& dialog) { dialog.findChild<QPushButton*>("btn_いいえ")->click(); });
        window->close();
        QVERIFY(window->isVisible() && !t.ctx.ended);
        WhenModal(QStringLiteral("msg終了確認"),
                  [](QDialog& dialog) { dialog.findChild<QPushButton*>("btn_終了")->click(); });
        window->close();
        QCOMPARE(HistoryNotes(install.configPath()), (QStringList{"開始 ", "終了"}));
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
        QVERIFY(!Main(first.ctx, instance) && first.ctx.ended);
        QCOMPARE(first.dialogs.informations,
                 QStringList{"最初の動作環境設定を行います。\r終了後、再度業務を起動します。"});
        const QString argument = install.base() + ",ヌモリカマイメニュ";
        QCOMPARE(first.shell.started,
                 (QList<FakeShell::Call>{{install.path("prgbin/動作環境設定.exe"), argument}}));

        FakeDialogs dialogs;
        FakeShell shell;
        dialogs.answers << true;
        QCOMPARE(RunEnvironmentSetup(argument, dialogs, shell), 0);
        QVERIFY(dialogs.questions.size() == 1 && dialogs.questions[0].contains(install.base()));
        // The one showing of the installation's own system privileged PIN, which is stored hashed.
        QVERIFY(dialogs.informations.size() == 1 &&
                dialogs.informations[0].startsWith("動作環境を作成しました。\r"));
        QVERIFY(CodeConverter::verify(
            QueryValue(install.businessPath(), "SELECT システム特権暗証番号 FROM Mユーザ")
                .toString(),
            dialogs.informations[0].section("システム特権暗証番号: ", 1).section('\r', 0, 0)));
        QCOMPARE(shell.started,
                 (QList<FakeShell::Call>{{install.path("prgbin/ヌモリカマイメニュ"), QString()}}));

        TestContext next(install.programFolder());
        auto nextInstance = InstanceOf(next);
        QVERIFY(Main(next.ctx, nextInstance) && next.dialogs.informations.isEmpty());
    }

    // The setup made where it was asked, the menu started when it is there.
    void theSetupStartsTheMenuItMade_data() {
        Columns<QString, bool>("folder", "menu");
        Row("a comma in the base", "a,b/", true);
        Row("no menu to start", "a/", false);
    }
    void theSetupStartsTheMenuItMade() {
        QFETCH(bool, menu);
        TestInstallation install(TestInstallation::Nothing);
        const QString base = install.path(Cell<QString>("folder"));
        QVERIFY(QDir().mkpath(base + "prgbin"));
        QVERIFY(!menu || WriteFile(base + "prgbin/ヌモリカマイメニュ"));
        FakeDialogs dialogs;
        FakeShell shell;
        dialogs.answers << true;
        QCOMPARE(RunEnvironmentSetup(base + ",ヌモリカマイメニュ", dialogs, shell), 0);
        QVERIFY(QFileInfo::exists(base + "conf/usrcnfg.accdb"));
        QCOMPARE(shell.started.size(), menu ? 1 : 0);
    }

    // Whatever the answer, the configuration and data folders are left as they were.
    void theSetupAsksAndRefuses_data() {
        Columns<QString, bool, QString, int, QString>("argument", "answer", "present", "status",
                                                      "told");
        Row("declined", "BASE,ヌモリカマイメニュ", false, "", 1, "");
        Row("existing databases are kept", "BASE,ヌモリカマイメニュ", true, "all", 2,
            "ファイルは開けます");
        Row("a damaged business .mdb is named", "BASE,ヌモリカマイメニュ", true, "data/gnrdb.mdb",
            2, "gnrdb.mdb: ");
        Row("a damaged business .accdb is named", "BASE,ヌモリカマイメニュ", true,
            "data/gnrdb.accdb", 2, "gnrdb.accdb: ");
        Row("configuration not created: no business file", "BASE,ヌモリカマイメニュ", true,
            "conf/usrcnfg.accdb.new/x", 2, "作成できませんでした");
        Row("no program name", "BASE", true, "", 2, "業務プログラムから起動");
    }
    void theSetupAsksAndRefuses() {
        QFETCH(QString, present);
        TestInstallation install(present == "all" ? TestInstallation::Databases
                                                  : TestInstallation::Nothing);
        if (present.contains('/')) {
            QVERIFY(QDir().mkpath(QFileInfo(install.path(present)).path()));
            QVERIFY(WriteFile(install.path(present), QByteArray(1024, 'x')));
        }
        const auto before = FileBytes(install.path("conf"), {"*"});
        const auto data = FileBytes(install.path("data"), {"*"});
        FakeDialogs dialogs;
        FakeShell shell;
        dialogs.answers << Cell<bool>("answer");
        QFETCH(QString, argument);
        QTEST(RunEnvironmentSetup(argument.replace("BASE", install.base()), dialogs, shell),
              "status");
        QCOMPARE(FileBytes(install.path("conf"), {"*"}), before);
        QCOMPARE(FileBytes(install.path("data"), {"*"}), data);
        QVERIFY(shell.started.isEmpty());
        QVERIFY(dialogs.informations.value(0).contains(Cell<QString>("told")));
    }

    // The .mdb serves when there is no .accdb.
    void loadsASharedInstallation_data() {
        Columns<QString, int>("configName", "configKind");
        Row("accdb", "usrcnfg.accdb", int(DatabaseFileKind::Accdb));
        Row("mdb when there is no accdb", "usrcnfg.mdb", int(DatabaseFileKind::Mdb));
    }
    void loadsASharedInstallation() {
        TestInstallation install;
        if (install.onServer()) {
            QSKIP("reads the definition of the business file");
        }
        ExecuteOn(install.configPath(),
                  "UPDATE データベース定義 SET ユーザーID = '  admin  ', サーバー名 = NULL");
        ExecuteOn(install.configPath(),
                  "UPDATE 動作環境定義 SET 運用事業所コード = NULL, バックアップ日付 = "
                  "'20261201 103000', CL更新実行区分 = '2.5', 日曜バックアップ = '1'");
        QFile::rename(install.configPath(), install.path("conf/" + Cell<QString>("configName")));
        TestContext t(install.programFolder());
        t.ctx.databaseDefinition.serverName = QStringLiteral("kept");

        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(t.ctx.config.openFlag() && t.ctx.config.isOpen() &&
                t.dialogs.informations.isEmpty());
        const DatabaseDefinition& business = t.ctx.databaseDefinition;
        const EnvironmentRecord& environment = t.ctx.environment;
        QCOMPARE((QStringList{business.kind, business.dataSourceName, business.userId,
                              business.serverName, environment.operatingOfficeCode,
                              t.ctx.initialOfficeCode, environment.backupDate,
                              QString::number(environment.clUpdateMode),
                              QString::number(environment.weekdayBackup[6]),
                              QString::number(int(t.ctx.paths.configKind)),
                              t.ctx.paths.userConfigFolder, t.ctx.paths.userName}),
                 (QStringList{"A", install.businessPath(), "admin", "kept", "000", "000",
                              "20261201", "2", "1", QString::number(Cell<int>("configKind")),
                              install.path("conf"), "taro"}));
    }

    // A broken configuration or company fails its load: a file that is no database with its
    // reason told, anything else without a box; without its company the program ends in order.
    void failsTheLoad_data() {
        Columns<bool, QString, QString>("company", "change", "told");
        Row("environment column missing", false,
            "ALTER TABLE 動作環境定義 DROP COLUMN バックアップフォルダ", "");
        Row("column of the first read missing", false,
            "ALTER TABLE 動作環境定義 DROP COLUMN CL更新実行区分", "");
        Row("definition table missing", false, "DROP TABLE データベース定義", "");
        Row("unknown installation mode", false, "UPDATE 動作環境定義 SET インストール区分 = 2", "");
        Row("no configuration database", false, "", "");
        Row("Access file", false, "", "Microsoft Access のデータベースファイル.*import-access");
        Row("random bytes", false, "", "データベースとして読めません");
        Row("company row missing", true, "DELETE FROM Mユーザ", "ユーザ情報が有りません");
        Row("company column missing", true, "ALTER TABLE Mユーザ DROP COLUMN 統計整理実行日",
            "ユーザ情報が有りません");
    }
    void failsTheLoad() {
        QFETCH(bool, company);
        QFETCH(QString, change);
        QFETCH(QString, told);
        TestInstallation install;
        const QByteArray access =
            QByteArray("\0\1\0\0Standard ACE DB", 19).leftJustified(2048, '\0');
        if (!change.isEmpty()) {
            ExecuteOn(company ? install.businessPath() : install.configPath(), change);
        } else if (told.isEmpty()) {
            QVERIFY(QFile::remove(install.configPath()));
        } else {
            QVERIFY(WriteFile(install.configPath(),
                              told.contains("Access") ? access : QByteArray(4096, 'Z')));
        }
        TestContext t(install.programFolder());
        if (company) {
            QCOMPARE(RunMenuProgram(t.ctx), 0);
            QCOMPARE(t.dialogs.informations, QStringList{told});
            QCOMPARE(HistoryNotes(install.configPath()).last(), "終了");
            return;
        }
        QVERIFY(!LoadEnvironment(t.ctx) && (told.isEmpty() || !t.ctx.config.openFlag()));
        const QRegularExpression message("^SYB_OPEN ERROR.*" + told + ".*\rsysopen error$",
                                         QRegularExpression::DotMatchesEverythingOption);
        const QStringList& boxes = t.dialogs.informations;
        QVERIFY2(told.isEmpty() ? boxes.isEmpty()
                                : boxes.size() == 1 && message.match(boxes[0]).hasMatch(),
                 qPrintable(boxes.join('|')));
    }

    // The business database is of no known kind: the company is missing, no setup starts.
    void anUnknownDatabaseKindFindsNoCompany_data() {
        Columns<QString>("change");
        Row("unknown kind", "UPDATE データベース定義 SET db = 'X'");
        Row("empty kind", "UPDATE データベース定義 SET db = ''");
        Row("no definition row", "DELETE FROM データベース定義");
    }
    void anUnknownDatabaseKindFindsNoCompany() {
        TestInstallation install;
        ExecuteOn(install.configPath(), Cell<QString>("change"));
        TestContext t(install.programFolder());
        auto instance = InstanceOf(t);
        QVERIFY(!Main(t.ctx, instance));
        QCOMPARE(t.dialogs.informations, QStringList{"ユーザ情報が有りません"});
        QCOMPARE(t.shell.started.size(), 0);
        // Each business statement fails with its own error row, the company's first.
        QVERIFY(HistoryNotes(install.configPath()).filter("エラー ").value(0).contains("Mユーザ"));
    }

    // Only blanks are trimmed: a tab, a line break or a full-width space around a value stays.
    void onlyBlanksAreTrimmed_data() {
        Columns<QString, QString>("place", "around");
        for (const char* place : {"condition value", "program path", "office name", "definition",
                                  "provider", "saved staff code", "read staff code", "folder"}) {
            for (const char* around : {"\t", "\n", "　"}) {
                QTest::addRow("%s, U+%04X", place, QString::fromUtf8(around)[0].unicode())
                    << QString(place) << QString::fromUtf8(around);
            }
        }
    }
    void onlyBlanksAreTrimmed() {
        const QString place = Cell<QString>("place");
        const QString c = Cell<QString>("around");
        TestInstallation install;
        const auto config = [&](const QString& assignment) {
            ExecuteOn(install.configPath(), "UPDATE " + assignment.arg("'" + c + "'"));
        };
        QString kept = c + c;  // what the place must keep, against what it gives
        QString given;
        if (place == "condition value") {
            MenuEntry entry;
            entry.conditionValues = {c + c, QString(""), QString("")};
            given = HasConditionValues(entry) ? kept : QString();
        } else if (place == "program path") {
            kept = c + "/x/a.exe" + c;
            AddMenuRow(install, {.name = "在庫照会", .file = kept, .values = {"1"}});
            LoadedContext l(install);
            given = ComposeLaunch(l.ctx, "ヌモリカマイメニュ", 0, 0).value_or(LaunchCommand{}).path;
        } else if (place == "office name") {
            TestContext t(install.programFolder());
            t.ctx.environment.operatingOfficeCode = "001";
            t.ctx.office.set("名称", kept);
            kept = "マイメニュー(" + kept + ")";
            given = ComposeWindowTitle(t.ctx);
        } else if (place == "definition" || place == "read staff code") {
            config(place == "definition" ? "データベース定義 SET ユーザーID = %1 || 'u' || %1"
                                         : "動作環境定義 SET 起動担当者コード = %1 || %1");
            TestContext t(install.programFolder());
            QVERIFY(LoadEnvironment(t.ctx));
            kept = place == "definition" ? c + "u" + c : kept;
            given = place == "definition" ? t.ctx.databaseDefinition.userId
                                          : (LoadSignedInCode(t.ctx) ? t.ctx.staff.code : "");
        } else if (place == "provider") {
            kept = c + "Microsoft.ACE.OLEDB.12.0" + c;
            given = IsFileProvider(kept) ? "a file" : kept;
        } else if (place == "saved staff code") {
            LoadedContext l(install, kept);
            SaveSignedInCode(l.ctx);
            given = StoredSetting(install, "起動担当者コード");
        } else {
            kept = {};  // not a path that names its root: nothing is created
            given = FoldersOnTheWay(c + "/a/b/f" + c).join('|');
        }
        QCOMPARE(given, kept);
    }

    void perUserModeOpensTheUsersCopy() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET インストール区分 = 1");
        {
            TestContext t(install.programFolder());
            QVERIFY(LoadEnvironment(t.ctx));
            QCOMPARE(t.ctx.paths.userConfigFolder + "|" + t.ctx.paths.userReportFolder,
                     install.path("users/taro/conf") + "|" + install.path("users/taro/report"));
            QVERIFY(ExecuteConfig(t.ctx, "UPDATE 動作環境定義 SET バックアップフォルダ = 'copy'"));
        }
        QCOMPARE(StoredSetting(install, "バックアップフォルダ"), QString());
        // The second start keeps the user's copy as it is.
        TestContext again(install.programFolder());
        QVERIFY(LoadEnvironment(again.ctx) && again.ctx.environment.backupFolder == "copy");
    }

    // What is held: backup and photo folders, PIN required, update mode, offices, operating office.
    void theOfficeOverridesTheCompany_data() {
        Columns<QString, QString, QString>("operating", "officeBackup", "held");
        Row("branch office overrides", "001", "/backup/001",
            "/backup/001|/photo|1|2|1|001|東京営業所|001");
        Row("empty office folder keeps the company's", "001", "",
            "/backup/co|/photo|1|2|1|001|東京営業所|001");
        Row("head office keeps the company", "000", "/backup/001",
            "/backup/co|/photo|0|5|1|000|本社|000");
        Row("a missing office falls back to the head office", "015", "/backup/001",
            "/backup/co|/photo|0|5|1|000|本社|000|出力終了 UPDATE 動作環境定義 SET  "
            "運用事業所コード "
            "= ''000'' WHERE 動作環境定義ID = ''001''");
    }
    void theOfficeOverridesTheCompany() {
        TestInstallation install;
        Prepare(install, Cell<QString>("operating"),
                ", BACKUPフォルダ = '/backup/co', 更新実行区分 = '5', 写真フォルダ = '/photo'",
                {{"名称", "東京営業所"},
                 {"BACKUPフォルダ", Cell<QString>("officeBackup")},
                 {"暗証番号有無", 1},
                 {"更新実行区分", 2}});
        ExecuteOn(install.businessPath(),
                  "UPDATE M事業所 SET 暗証番号有無 = 1 WHERE コード = '000'");
        LoadedContext t(install);
        QTEST(
            (QStringList{t.ctx.company.text("BACKUPフォルダ"), t.ctx.company.text("写真フォルダ"),
                         QString::number(t.ctx.pinRequired),
                         QString::number(int(t.ctx.company.number("更新実行区分"))),
                         QString::number(t.ctx.officeCount), t.ctx.environment.operatingOfficeCode,
                         t.ctx.office.text("名称"), StoredSetting(install, "運用事業所コード")} +
             HistoryNotes(install.configPath()).filter("運用事業所コード"))
                .join('|'),
            "held");
    }

    void anUnreadableOfficeKeepsTheStoredOfficeAndTheSignIn() {
        TestInstallation install;
        Prepare(install, "001", ", 暗証番号有無 = '1'", {{"暗証番号有無", 0}});
        ExecuteOn(install.businessPath(), "DROP TABLE M事業所");
        LoadedContext t(install);
        QCOMPARE(t.ctx.environment.operatingOfficeCode + "|" + QString::number(t.ctx.pinRequired),
                 "001|1");
    }

    void privilegedPinsAreHeldConverted() {
        TestInstallation install;
        Prepare(install, "001",
                ", 特権暗証番号 = '" + CodeConverter::encode("co34", PinCost::Minimal) + "'",
                {{"特権暗証番号", CodeConverter::encode("of12", PinCost::Minimal)}});
        LoadedContext t(install);
        QCOMPARE(t.ctx.company.text("システム特権暗証番号"), QStringLiteral("QXVWT47"));
        // Held as verifiers: the PINs check against them and are nowhere in them.
        const QString office = t.ctx.office.text("特権暗証番号");
        QVERIFY(CodeConverter::verify(t.ctx.company.text("特権暗証番号"), "CO34") &&
                CodeConverter::verify(office, "OF12"));
        QVERIFY(!CodeConverter::verify(office, "CO34") && !office.contains("OF12"));

        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET システム特権暗証番号 = 'QXVWT47'");
        QVERIFY(LoadCompanySettings(t.ctx));
        QCOMPARE(t.ctx.company.text("システム特権暗証番号"), QString());  // not in the stored form
    }

    void linkSlotsTakeTheFirstRowOfTheirCode() {
        TestInstallation install;
        ExecuteOn(
            install.businessPath(),
            "INSERT INTO M他業務連携 (コード, 業務名, 連携有無区分) VALUES ('005', '給与', 1), "
            "('005', '二番目', NULL), ('003', '会計', NULL)");
        LoadedContext t(install);
        const auto& links = t.ctx.links.records;
        QCOMPARE((QStringList{links[0].text("業務名"), links[1].text("業務名"),
                              links[3].text("業務名"), links[4].text("業務名"),
                              QString::number(int(links[3].number("連携有無区分")))}),
                 (QStringList{"会計", "", "給与", "給与", "1"}));
        QCOMPARE(HistoryNotes(install.configPath()), QStringList{QStringLiteral("開始 ")});
    }

    void readsTheCompanyThroughOdbc() {
        TestInstallation install;
        if (!install.onServer() || !QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
            QSKIP("needs the PostgreSQL test cluster and the ODBC driver");
        }
        const QString server =
            QueryValue(install.configPath(), "SELECT サーバー名 FROM データベース定義").toString();
        ExecuteOn(install.configPath(),
                  QString("UPDATE データベース定義 SET db = 'O', プロバイダ名 = 'MSDASQL', "
                          "データソース名 = '', "
                          "ドライバ名 = 'PostgreSQL Unicode', 接続文字列 = 'Server=%1;Port=%2'")
                      .arg(server.section(':', 0, 0), server.section(':', 1)));
        ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 郵便番号 = '100-0001'");
        LoadedContext t(install);
        QCOMPARE(t.ctx.company.text("名称") + "|" + t.ctx.company.text("郵便番号") + "|" +
                     QString::number(int(t.ctx.company.number("決算月"))),
                 "自社|100-0001|3");
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
