#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "Modal.h"
#include "TestInstallation.h"
#include "app/Main.h"
#include "app/PleaseWaitWindow.h"
#include "backup/ExitDialog.h"
#include "platform/SingleInstance.h"

namespace {
// The menu of an installation whose company backs up into a folder of its own.
struct Menu {
    explicit Menu(bool withData = true, bool withFolder = true) : t(install.programFolder()) {
        if (withFolder) {
            ExecuteOn(install.businessPath(),
                      "UPDATE Mユーザ SET BACKUPフォルダ = '" + backups.path() + "'");
        }
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
    QString storedSignedInCode() const {
        return QueryRows(install.configPath(), "SELECT 起動担当者コード FROM 動作環境定義")[0]
            .value("起動担当者コード")
            .toString();
    }

    TestInstallation install;
    QTemporaryDir backups;
    TestContext t;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<MainMenuWindow> window;
};
}  // namespace

class TestExit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theProposalFollowsTheTimeOfDay_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("focused");
        QTest::newRow("16:59") << QTime(16, 59) << true << "btn_終了";
        QTest::newRow("00:00") << QTime(0, 0) << true << "btn_終了";
        QTest::newRow("17:00") << QTime(17, 0) << true << "btn_BACKUP";
        QTest::newRow("23:59") << QTime(23, 59) << true << "btn_BACKUP";
        QTest::newRow("17:00 without a backup folder") << QTime(17, 0) << false << "btn_終了";
    }
    void theProposalFollowsTheTimeOfDay() {
        QFETCH(QTime, time);
        QFETCH(bool, folder);
        QFETCH(QString, focused);
        TestContext t(QStringLiteral("/x/prgbin"));
        t.clock.current.setTime(time);
        if (folder) {
            t.ctx.company.set("BACKUPフォルダ", "/backup");
        }
        ExitDialog dialog(t.ctx, "ヌモリカ");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
        QCOMPARE(dialog.findChild<QPushButton*>("btn_BACKUP")->isEnabled(), folder);
        QCOMPARE(dialog.findChild<QPushButton*>("btn_BackupShutdown")->isEnabled(), folder);
        // A backup button that cannot be chosen says why.
        QCOMPARE(dialog.findChild<QPushButton*>("btn_BACKUP")->toolTip(),
                 folder ? QString() : kNoBackupFolder);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ヌモリカ"));
        QCOMPARE(t.ctx.exitChoice, ExitChoice::Stay);
        dialog.reject();  // the close box leaves "do not end"
        QCOMPARE(t.ctx.exitChoice, ExitChoice::Stay);
    }

    void choices_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("data");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("powerOffs");
        QTest::addColumn<bool>("sourceGone");
        QTest::newRow("end") << "btn_終了" << true << QStringList{} << 0 << false;
        QTest::newRow("back up") << "btn_BACKUP" << true
                                 << QStringList{"バックアップを完了しました。"} << 0 << false;
        QTest::newRow("back up and switch off")
            << "btn_BackupShutdown" << true << QStringList{} << 1 << false;
        QTest::newRow("nothing to back up, switch off")
            << "btn_BackupShutdown" << false << QStringList{"対象データが有りません。"} << 1
            << false;
        QTest::newRow("business database unreachable: never 'no data'")
            << "btn_BACKUP" << true << QStringList{kBackupSourceFailed} << 0 << true;
    }
    void choices() {
        QFETCH(QString, button);
        QFETCH(bool, data);
        QFETCH(QStringList, messages);
        QFETCH(int, powerOffs);
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
        QCOMPARE(m.t.dialogs.informations, messages);
        QCOMPARE(m.t.shell.powerOffs, powerOffs);
        QCOMPARE(m.storedSignedInCode(), QString());
        QCOMPARE(HistoryNotes(m.install.configPath()).last(), QStringLiteral("終了"));
        const bool backedUp = button != "btn_終了" && data && !sourceGone;
        QCOMPARE(QFileInfo::exists(m.backups.path() + "/ヌモリカ/Monday/mstdb.mdb"),
                 button != "btn_終了" && !sourceGone);
        QCOMPARE(backedUp,
                 !QueryRows(m.install.configPath(), "SELECT バックアップ日付 FROM 動作環境定義")[0]
                      .value("バックアップ日付")
                      .toString()
                      .isEmpty());
    }

    // The progress in the notice panel stays readable beside the please-wait window.
    void thePleaseWaitWindowKeepsOffTheNotice_data() {
        QTest::addColumn<QRect>("notice");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("room above") << QRect(0, 500, 1000, 30) << QPoint(399, 412);
        QTest::newRow("no room above: below") << QRect(0, 40, 1000, 30) << QPoint(399, 77);
        QTest::newRow("kept on the screen") << QRect(900, 500, 200, 30) << QPoint(824, 412);
    }
    void thePleaseWaitWindowKeepsOffTheNotice() {
        QFETCH(QRect, notice);
        QFETCH(QPoint, placed);
        const QRect window = PlaceClearOf(QSize(200, 80), notice, QRect(0, 0, 1024, 600));
        QCOMPARE(window.topLeft(), placed);
        QVERIFY(!window.intersects(notice));
    }

    void noKeepsTheMenu() {
        Menu m;
        m.choose("btn_いいえ");
        QVERIFY(m.window->isVisible());
        QVERIFY(!m.t.ctx.ended);
        QCOMPARE(m.storedSignedInCode(), QStringLiteral("00012"));
    }
};

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
