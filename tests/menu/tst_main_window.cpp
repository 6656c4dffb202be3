#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "MenuRows.h"
#include "Modal.h"
#include "app/Environment.h"
#include "menu/MainMenuWindow.h"

namespace {
// A loaded menu of 00012 with a program on tab 0 and tab 1 and nothing on tab 2's first button.
struct Menu {
    explicit Menu(const TestInstallation& install, const QString& staff = QStringLiteral("00012"))
        : t(install.programFolder()) {
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        t.ctx.staff.code = staff;
        window = std::make_unique<MainMenuWindow>(t.ctx);
        window->load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    TestContext t;
    std::unique_ptr<MainMenuWindow> window;
};

void AddStandardMenu(const TestInstallation& install) {
    AddMenuTitle(install, "00012", 0, "ヌモリカ販売");
    AddMenuTitle(install, "00012", 1, "月次ヌモリカ集計");
    AddMenuTitle(install, "00012", 2, QVariant());
    AddMenuRow(install, {.tab = 0,
                         .position = 0,
                         .name = "ヌモリカ売上入力",
                         .file = "/x/売上入力.exe",
                         .values = {"000100", ""},
                         .description = "売上を入力"});
    AddMenuRow(install, {.tab = 1, .position = 0, .name = "集計", .file = "/x/集計.exe"});
    AddMenuRow(install, {.tab = 2, .position = 3, .name = "点検", .file = "/x/点検.exe"});
    AddCatalogue(install, "ヌモリカ", "売上入力", {"開始得意先コード", "終了得意先コード"});
}
}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anEmptyMenuShowsUnsetButtons() {
        TestInstallation install;
        Menu m(install);
        for (int tab = 0; tab < kMenuTabs; ++tab) {
            QCOMPARE(m.window->tabs()->tabText(tab), QStringLiteral("未設定タイトル"));
            for (int i = 0; i < kMenuButtons; ++i) {
                QCOMPARE(m.window->menuButton(tab, i)->text(), QStringLiteral("未設定"));
                QVERIFY(!m.window->menuButton(tab, i)->isEnabled());
                QCOMPARE(m.window->descriptionLabel(tab, i)->text(), QString());
            }
        }
        QCOMPARE(m.window->tabs()->currentIndex(), 0);
        QCOMPARE(m.window->windowTitle(), QStringLiteral("ヌモリカマイメニュ（自社）"));
    }

    void tabsShowTitlesAndButtons() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        QCOMPARE(m.window->tabs()->tabText(0), QStringLiteral("販売"));
        QCOMPARE(m.window->tabs()->tabText(1), QStringLiteral("月次集計"));
        QCOMPARE(m.window->tabs()->tabText(2), QStringLiteral("未設定タイトル"));
        QCOMPARE(m.window->menuButton(0, 0)->text(), QStringLiteral("売上入力"));
        QCOMPARE(m.window->descriptionLabel(0, 0)->text(), QStringLiteral("売上を入力"));
        QVERIFY(m.window->menuButton(2, 3)->isEnabled());
        QCOMPARE(m.window->descriptionLabel(2, 3)->text(), QString());  // Null description
        QCOMPARE(m.window->tabs()->currentIndex(), 0);
    }

    void aBadRowEndsItsTab_data() {
        QTest::addColumn<QVariant>("position");
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("laterShown");
        QTest::newRow("position 8") << QVariant(8) << QVariant("売上")
                                    << QStringList{"売上メニュ設定が正しくありません"} << false;
        QTest::newRow("Null name")
            << QVariant(5) << QVariant() << QStringList{"メニュ設定が正しくありません"} << false;
        QTest::newRow("position 100 is never read")
            << QVariant(100) << QVariant("売上") << QStringList{} << true;
    }
    void aBadRowEndsItsTab() {
        QFETCH(QVariant, position);
        QFETCH(QVariant, name);
        QFETCH(QStringList, messages);
        QFETCH(bool, laterShown);
        TestInstallation install;
        AddMenuRow(install, {.position = 1, .name = "先", .file = "/x/a.exe"});
        AddMenuRow(install, {.position = position, .name = name, .file = "/x/b.exe"});
        AddMenuRow(install, {.position = 9, .name = "後", .file = "/x/c.exe"});
        AddMenuRow(install, {.tab = 1, .position = 0, .name = "次のタブ", .file = "/x/d.exe"});
        Menu m(install);
        QCOMPARE(m.t.dialogs.informations,
                 laterShown ? QStringList{"後メニュ設定が正しくありません"} : messages);
        QVERIFY(m.window->menuButton(0, 1)->isEnabled());
        QVERIFY(m.window->menuButton(1, 0)->isEnabled());
    }

    void nobodySignedInReadsTheZeroCode() {
        TestInstallation install;
        AddMenuRow(install, {.staff = "00000", .position = 2, .name = "共通", .file = "/x/a.exe"});
        Menu m(install, QString());
        QCOMPARE(m.window->menuButton(0, 2)->text(), QStringLiteral("共通"));
    }

    void aTabChangeFocusesItsFirstButton() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        QTabWidget* tabs = m.window->tabs();
        m.window->findChild<QPushButton*>("btn_終了")->setFocus();
        QWidget* before = QApplication::focusWidget();
        tabs->setCurrentIndex(2);  // its first button is not set
        QCOMPARE(QApplication::focusWidget(), before);
        tabs->setCurrentIndex(1);
        QTRY_COMPARE(QApplication::focusWidget(), m.window->menuButton(1, 0));
        QTest::mouseClick(m.window->titlePanel(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), m.window->menuButton(1, 0));
    }

    void theFirstTabChangeAfterLoadIsSwallowed() {
        TestInstallation install;
        AddStandardMenu(install);
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.staff.code = QStringLiteral("00012");
        MainMenuWindow window(t.ctx);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.load();
        // Building tab 1 switched to it and back: only the first of those changes was swallowed.
        QCOMPARE(QApplication::focusWidget(), window.menuButton(0, 0));
    }

    void aClickStartsTheComposedCommand_data() {
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("started") << true << QStringList{};
        QTest::newRow("missing program")
            << false << QStringList{"ヌモリカ売上入力プログラムが有りません"};
    }
    void aClickStartsTheComposedCommand() {
        QFETCH(bool, starts);
        QFETCH(QStringList, messages);
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.t.shell.startResult = starts;
        QTest::mouseClick(m.window->menuButton(0, 0), Qt::LeftButton);
        QCOMPARE(m.t.shell.started, (QList<FakeShell::Call>{{"/x/売上入力.exe", "000100999999"}}));
        QCOMPARE(m.t.dialogs.informations, messages);
    }

    void theBasePanelOpensTheOfficeDialogOnlyWithTheRight_data() {
        QTest::addColumn<QString>("staff");
        QTest::addColumn<QString>("permission");
        QTest::addColumn<bool>("opens");
        QTest::newRow("nobody signed in") << ""
                                          << "1" << true;
        QTest::newRow("permission 0") << "00012"
                                      << "0" << true;
        QTest::newRow("permission not a number") << "00012"
                                                 << "" << true;
        QTest::newRow("permission 1") << "00012"
                                      << "1" << false;
    }
    void theBasePanelOpensTheOfficeDialogOnlyWithTheRight() {
        QFETCH(QString, staff);
        QFETCH(QString, permission);
        QFETCH(bool, opens);
        TestInstallation install;
        Menu m(install, staff);
        m.t.ctx.staff.categoryPermissions[9] = permission;
        QSignalSpy office(m.window.get(), &MainMenuWindow::officeRequested);
        if (opens) {
            WhenModal(QStringLiteral("msg運用事業所設定"),
                      [](QDialog& dialog) { dialog.reject(); });
        }
        QTest::mouseDClick(m.window->basePanel(), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(office.count(), opens ? 1 : 0);
    }

    void panelsAndButtonsRouteTheirGestures() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        QSignalSpy settings(m.window.get(), &MainMenuWindow::settingsRequested);
        QSignalSpy exit(m.window.get(), &MainMenuWindow::exitRequested);
        WhenModal(QStringLiteral("wndマイメニュ設定"), [](QDialog& dialog) { dialog.reject(); });
        QTest::mouseDClick(m.window->descriptionLabel(2, 5), Qt::LeftButton);
        QCOMPARE(settings.value(0), (QVariantList{2, 5}));
        QCOMPARE(m.t.ctx.menuEditTarget.tabPosition, 2);
        QCOMPARE(m.t.ctx.menuEditTarget.detailPosition, 5);
        QTest::mouseClick(m.window->findChild<QLabel*>("manualpanel"), Qt::LeftButton);
        QCOMPARE(m.t.shell.opened.value(0).path, install.path("manual/ヌモリカマイメニュ.doc"));
        m.window->findChild<QPushButton*>("btn_終了")->click();
        QCOMPARE(exit.count(), 1);
    }

    void bothLayouts() {
        TestInstallation install;
        Menu m(install);
        const QRect screen = m.window->screen()->geometry();
        const qreal dpiX = m.window->screen()->logicalDotsPerInchX();
        const qreal dpiY = m.window->screen()->logicalDotsPerInchY();
        QFrame* base = m.window->basePanel();
        m.window->layoutMaximized();
        QCOMPARE(base->pos(),
                 QPoint((screen.width() - base->width()) / 2 + qRound(5 * dpiX / 1440),
                        (screen.height() - base->height()) / 2 - qRound(120 * dpiY / 1440)));
        m.window->layoutNormal();
        QCOMPARE(base->pos(), QPoint(0, 0));
        QCOMPARE(m.window->pos(), QPoint(screen.x() + (screen.width() - m.window->width()) / 2,
                                         screen.y() + (screen.height() - m.window->height()) / 2));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
