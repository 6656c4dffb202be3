#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "Modal.h"
#include "TestInstallation.h"
#include "app/Main.h"
#include "backup/ExitProgram.h"
#include "env/Environment.h"
#include "install/EnvironmentSetup.h"
#include "platform/CodeConverter.h"
#include "platform/SingleInstance.h"

namespace {
const QString kFirstRun =
    QStringLiteral("最初の動作環境設定を行います。\r終了後、再度業務を起動します。");
const QString kCannotSetUp = QStringLiteral("動作環境設定ができません。");

SingleInstance InstanceOf(const TestContext& t) {
    return SingleInstance(t.ctx.process.lockFolder, t.ctx.process.executableName,
                          t.ctx.process.userName);
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRunMessageHasOneCarriageReturn() {
        QCOMPARE(FirstRunMessage(), kFirstRun);
        QCOMPARE(FirstRunMessage().count(QLatin1Char('\r')), 1);
        QVERIFY(!FirstRunMessage().contains(QLatin1Char('\n')));
    }

    void anUnconfiguredInstallationStartsTheSetup() {
        TestInstallation install(TestInstallation::FoldersOnly);
        TestContext t(install.programFolder());
        t.shell.startResult = true;
        auto instance = InstanceOf(t);
        QVERIFY(!Main(t.ctx, instance));
        QCOMPARE(t.dialogs.informations, QStringList{kFirstRun});
        QCOMPARE(t.shell.started,
                 (QList<FakeShell::Call>{{install.path("prgbin/動作環境設定.exe"),
                                          install.base() + ",ヌモリカマイメニュ"}}));
        QVERIFY(t.ctx.ended);
    }

    void setupThatCannotStartIsReported_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::newRow("development copy in prgsrc") << "prgsrc";
        QTest::newRow("neither prgbin nor prgsrc") << "bin";
    }
    void setupThatCannotStartIsReported() {
        QFETCH(QString, programFolder);
        TestInstallation install(TestInstallation::Nothing);
        TestContext t(install.path(programFolder));
        auto instance = InstanceOf(t);
        QVERIFY(!Main(t.ctx, instance));
        QCOMPARE(t.dialogs.informations, (QStringList{kFirstRun, kCannotSetUp}));
        QVERIFY(t.shell.started.isEmpty());
    }

    void aBrokenBusinessDatabaseTakesTheFirstRunPath() {
        TestInstallation install;
        QVERIFY(QFile::remove(install.businessPath()));
        TestContext t(install.programFolder());
        t.shell.startResult = true;
        auto instance = InstanceOf(t);
        QVERIFY(!Main(t.ctx, instance));
        QCOMPARE(t.dialogs.informations, QStringList{kFirstRun});
        const QStringList notes = HistoryNotes(install.configPath());
        QCOMPARE(notes.size(), 3);
        QVERIFY(notes[1].startsWith(QStringLiteral("エラー DB_OPEN ERROR")));
        QCOMPARE(notes[2], QStringLiteral("終了"));
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
        QVERIFY(!t.ctx.config.openFlag());
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

    void theSetupLeadsANewcomerToAWorkingMenu() {
        TestInstallation install(TestInstallation::FoldersOnly);
        QFile menu(install.path("prgbin/ヌモリカマイメニュ"));
        QVERIFY(menu.open(QIODevice::WriteOnly));
        menu.close();
        TestContext first(install.programFolder());
        first.shell.startResult = true;
        auto instance = InstanceOf(first);
        QVERIFY(!Main(first.ctx, instance));
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
            QueryRows(install.businessPath(), "SELECT システム特権暗証番号 AS v FROM Mユーザ")[0]
                .value("v")
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
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("status");
        QTest::newRow("declined") << "BASE,ヌモリカマイメニュ" << false << false << 1;
        QTest::newRow("existing databases are kept")
            << "BASE,ヌモリカマイメニュ" << true << true << 2;
        QTest::newRow("no program name") << "BASE" << true << false << 2;
    }
    void theSetupAsksAndRefuses() {
        QFETCH(QString, argument);
        QFETCH(bool, answer);
        QFETCH(bool, installed);
        QFETCH(int, status);
        TestInstallation install(installed ? TestInstallation::Databases
                                           : TestInstallation::Nothing);
        const auto before = QueryRowsIfAny(install.configPath());
        FakeDialogs dialogs;
        FakeShell shell;
        dialogs.answers << answer;
        argument.replace(QStringLiteral("BASE"), install.base());
        QCOMPARE(RunEnvironmentSetup(argument, dialogs, shell), status);
        QCOMPARE(QFileInfo::exists(install.configPath()), installed);
        QCOMPARE(QueryRowsIfAny(install.configPath()), before);
        QVERIFY(shell.started.isEmpty());
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
