#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "MenuRows.h"
#include "Modal.h"
#include "backup/ExitDialog.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"
#include "menu/MainMenuWindow.h"
#include "menu_settings/MenuSettings.h"
#include "menu_settings/MenuSettingsWindow.h"
#include "platform/QtApplication.h"
#include "platform/QtDialogs.h"
#include "signin/OfficeDialogs.h"
#include "signin/SignInDialog.h"

namespace {
// A loaded menu of 00012 with a program on tab 0 and tab 1 and nothing on tab 2's first button.
struct Menu {
    explicit Menu(const TestInstallation& install, const QString& staff = QStringLiteral("00012"))
        : t(install.programFolder()) {
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        t.ctx.staff.code = staff;
        window = std::make_unique<MainMenuWindow>(t.ctx);
        ConnectMenuSettings(t.ctx, *window);
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
    // Qt's own texts speak Japanese whatever the locale, and boxes carry the program's name
    // alone as their title.
    void qtsOwnTextsAreJapanese() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        PrepareApplication(QStringLiteral("ヌモリカマイメニュ"));
        QStringList seen;
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, [&seen, timer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                timer->stop();
                seen << box->windowTitle();
                for (QAbstractButton* button : box->buttons()) {
                    seen << button->text();
                }
                box->button(QMessageBox::No)->click();
            }
        });
        timer->start(10);
        QtDialogs dialogs;
        QVERIFY(!dialogs.question(QStringLiteral("削除しますか?")));
        QCOMPARE(seen, (QStringList{"ヌモリカマイメニュ", "はい(&Y)", "いいえ(&N)"}));
        QVERIFY(!QApplication::windowIcon().isNull());
    }

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

    // The menu works from the keyboard: number keys start the buttons of the tab shown, Enter
    // the focused one; Ctrl+number and Ctrl+Tab change tabs; F1 and the manual panel open the
    // manual.
    void theKeyboardReachesEverything_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<int>("manuals");
        const auto K = [](std::initializer_list<QKeyCombination> keys) {
            QList<int> combined;
            for (const QKeyCombination key : keys) {
                combined << key.toCombined();
            }
            return combined;
        };
        const QString sales = QStringLiteral("/x/売上入力.exe");
        QTest::newRow("1 starts the first button")
            << K({Qt::Key_1}) << 0 << QStringList{sales} << 0;
        QTest::newRow("2 on an unset button starts nothing")
            << K({Qt::Key_2}) << 0 << QStringList{} << 0;
        QTest::newRow("Enter on the focused button")
            << K({Qt::Key_Return}) << 0 << QStringList{sales} << 0;
        QTest::newRow("Ctrl+2 shows the second tab, 1 starts its first button")
            << K({Qt::CTRL | Qt::Key_2, Qt::Key_1}) << 1 << QStringList{"/x/集計.exe"} << 0;
        QTest::newRow("Ctrl+Tab twice, Ctrl+Shift+Tab once")
            << K({Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_Tab,
                  Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab})
            << 1 << QStringList{} << 0;
        QTest::newRow("F1") << K({Qt::Key_F1}) << 0 << QStringList{} << 1;
    }
    void theKeyboardReachesEverything() {
        QFETCH(QList<int>, keys);
        QFETCH(int, tab);
        QFETCH(QStringList, started);
        QFETCH(int, manuals);
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.window.get()));
        m.window->menuButton(0, 0)->setFocus();
        for (const int combined : keys) {
            const auto key = QKeyCombination::fromCombined(combined);
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        }
        QCOMPARE(m.window->tabs()->currentIndex(), tab);
        QStringList paths;
        for (const FakeShell::Call& call : m.t.shell.started) {
            paths << call.path;
        }
        QCOMPARE(paths, started);
        QCOMPARE(m.t.shell.opened.size(), manuals);
    }

    void theManualPanelTakesTheKeyboard() {
        TestInstallation install;
        Menu m(install);
        auto* manual = m.window->findChild<QLabel*>("manualpanel");
        QCOMPARE(manual->text(), QStringLiteral("Manual"));
        QVERIFY(manual->focusPolicy() & Qt::TabFocus);
        manual->setFocus();
        QTest::keyClick(manual, Qt::Key_Space);
        QCOMPARE(m.t.shell.opened.size(), 1);
    }

    // A program button names its program; a description says how the button is set up.
    void tooltipsHelp() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        QCOMPARE(m.window->menuButton(0, 0)->toolTip(), QStringLiteral("/x/売上入力.exe"));
        QCOMPARE(m.window->menuButton(0, 1)->toolTip(), QString());
        QVERIFY(
            m.window->descriptionLabel(2, 5)->toolTip().contains(QStringLiteral("ダブルクリック")));
    }

    // A detail row that cannot be shown is told when the tab shows what could be read, and the
    // first tab is in front again; the tabs are read in one go, without a lock during the box.
    void aBrokenRowIsToldOnceTheTabIsBuilt() {
        TestInstallation install;
        AddStandardMenu(install);
        AddMenuRow(install, {.tab = 1, .position = 9, .name = "壊れた", .file = "/x/壊.exe"});
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.staff.code = QStringLiteral("00012");
        MainMenuWindow window(t.ctx);
        QStringList seenWhenTold;
        t.dialogs.onInformation = [&](const QString&) {
            seenWhenTold << window.tabs()->tabText(1) << window.menuButton(1, 0)->text()
                         << QString::number(window.tabs()->currentIndex());
            // While the user reads the box, other programs write the business file freely.
            ExecuteOn(install.businessPath(), "UPDATE Mユーザ SET 名称 = 名称");
        };
        window.load();
        QCOMPARE(t.dialogs.informations, QStringList{"壊れたメニュ設定が正しくありません"});
        QCOMPARE(seenWhenTold, (QStringList{"月次集計", "集計", "0"}));
    }

    // "全てのファイル" lists every file, also programs without an ending.
    void theFileDialogListsEveryFile() {
        QStringList filters;
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, [&filters, timer] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                filters = dialog->nameFilters();
                dialog->reject();
            }
        });
        timer->start(10);
        QtDialogs dialogs;
        QVERIFY(!dialogs.openFile(ProgramFileFilters(), QString()));
        QCOMPARE(filters.value(0), QStringLiteral("全てのファイル (*)"));
        QCOMPARE(filters.value(1), QStringLiteral("ワード (*.doc)"));
    }

    // On a notebook screen of 1024×600 (less a panel of 40 pixels) every window keeps all its
    // buttons on the screen.
    void everyWindowFitsASmallScreen_data() {
        QTest::addColumn<QString>("window");
        for (const char* name :
             {"menu", "settings", "sign-in", "office", "privileged PIN", "exit"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void everyWindowFitsASmallScreen() {
        QFETCH(QString, window);
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.t.ctx.menuEditTarget = {kMenuTable, 0, 0};
        std::unique_ptr<QWidget> shown;
        if (window == "menu") {
            shown = std::move(m.window);
        } else if (window == "settings") {
            shown = std::make_unique<MenuSettingsWindow>(m.t.ctx);
        } else if (window == "sign-in") {
            shown = std::make_unique<SignInDialog>(m.t.ctx);
        } else if (window == "office") {
            shown = std::make_unique<OfficeDialog>(m.t.ctx);
        } else if (window == "privileged PIN") {
            shown = std::make_unique<PrivilegedPinDialog>(m.t.ctx);
        } else {
            shown = std::make_unique<ExitDialog>(m.t.ctx, "ヌモリカ");
        }
        const QSize screen(1024, 560);
        QVERIFY2(shown->minimumSizeHint().height() <= screen.height() &&
                     shown->minimumSizeHint().width() <= screen.width(),
                 qPrintable(QStringLiteral("%1×%2")
                                .arg(shown->minimumSizeHint().width())
                                .arg(shown->minimumSizeHint().height())));
        shown->resize(shown->size().boundedTo(screen));
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        shown->resize(shown->size().boundedTo(screen));
        QCoreApplication::processEvents();
        const QRect inside(QPoint(0, 0), shown->size());
        for (QPushButton* button : shown->findChildren<QPushButton*>()) {
            const QRect at(button->mapTo(shown.get(), QPoint(0, 0)), button->size());
            QVERIFY2(inside.contains(at), qPrintable(button->objectName()));
        }
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
