#include "TestSupport.h"

namespace {
// A loaded menu of 00012 with a program on tab 0 and tab 1 and nothing on tab 2's first button.
struct Menu : LoadedContext {
    explicit Menu(const TestInstallation& install, const QString& staff = QStringLiteral("00012"))
        : LoadedContext(install, staff), window(std::make_unique<MainMenuWindow>(ctx)) {
        window->load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    std::unique_ptr<MainMenuWindow> window;
};

void AddStandardMenu(const TestInstallation& install) {
    AddMenuTitle(install, "00012", 0, "ヌモリカ販売");
    AddMenuTitle(install, "00012", 1, "ヌモリカ月次ヌモリカ集計");
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

const QVariant kNull;

}  // namespace

class TestMenu : public QObject {
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
        QCOMPARE(m.window->tabs()->tabText(1), QStringLiteral("月次ヌモリカ集計"));
        QCOMPARE(m.window->tabs()->tabText(2), QStringLiteral("未設定タイトル"));
        QCOMPARE(m.window->menuButton(0, 0)->text(), QStringLiteral("売上入力"));
        QCOMPARE(m.window->descriptionLabel(0, 0)->text(), QStringLiteral("売上を入力"));
        QVERIFY(m.window->menuButton(2, 3)->isEnabled());
        QCOMPARE(m.window->descriptionLabel(2, 3)->text(), QString());  // Null description
        QCOMPARE(m.window->tabs()->currentIndex(), 0);
    }

    void aBadRowEndsItsTab_data() {
        Columns<QVariant, QVariant, QStringList, bool>("position", "name", "messages",
                                                       "laterShown");
        Row("position 8", QVariant(8), QVariant("売上"),
            QStringList{"売上メニュ設定が正しくありません"}, false);
        Row("Null name", QVariant(5), QVariant(), QStringList{"メニュ設定が正しくありません"},
            false);
        Row("position 100 is never read", QVariant(100), QVariant("売上"), QStringList{}, true);
    }
    void aBadRowEndsItsTab() {
        TestInstallation install;
        AddMenuRow(install, {.position = 1, .name = "先", .file = "/x/a.exe"});
        AddMenuRow(install, {.position = Cell<QVariant>("position"),
                             .name = Cell<QVariant>("name"),
                             .file = "/x/b.exe"});
        AddMenuRow(install, {.position = 9, .name = "後", .file = "/x/c.exe"});
        AddMenuRow(install, {.tab = 1, .position = 0, .name = "次のタブ", .file = "/x/d.exe"});
        Menu m(install);
        QCOMPARE(m.dialogs.informations, Cell<bool>("laterShown")
                                             ? QStringList{"後メニュ設定が正しくありません"}
                                             : Cell<QStringList>("messages"));
        QVERIFY(m.window->menuButton(0, 1)->isEnabled());
        QVERIFY(m.window->menuButton(1, 0)->isEnabled());
    }

    // The menu of nobody signed in is that of the zero code, shown and started.
    void nobodySignedInReadsTheZeroCode() {
        TestInstallation install;
        AddMenuRow(install, {.staff = "00000", .position = 2, .name = "共通", .file = "/x/a.exe"});
        Menu m(install, QString());
        QCOMPARE(m.window->menuButton(0, 2)->text(), QStringLiteral("共通"));
        m.shell.startResult = true;
        LaunchMenuEntry(m.ctx, 0, 2, "ヌモリカマイメニュ");
        QCOMPARE(m.shell.started.size(), 1);
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

    // Building the tabs switches to each and back to the first: the first of those changes
    // leaves the focus alone, the others put it on the first button of the tab shown.
    void theFirstTabChangeOfALoadKeepsTheFocus() {
        TestInstallation install;
        AddStandardMenu(install);
        LoadedContext t(install);
        MainMenuWindow window(t.ctx);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QList<QWidget*> focused;
        const auto watch = QObject::connect(qApp, &QApplication::focusChanged,
                                            [&](QWidget*, QWidget* now) { focused << now; });
        window.load();
        QObject::disconnect(watch);
        QVERIFY(!focused.contains(window.menuButton(1, 0)));
        QCOMPARE(QApplication::focusWidget(), window.menuButton(0, 0));
    }

    void aClickStartsTheComposedCommand_data() {
        Columns<bool, QStringList>("starts", "messages");
        Row("started", true, QStringList{});
        Row("missing program", false, QStringList{"ヌモリカ売上入力プログラムが有りません"});
    }
    void aClickStartsTheComposedCommand() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.shell.startResult = Cell<bool>("starts");
        QTest::mouseClick(m.window->menuButton(0, 0), Qt::LeftButton);
        QCOMPARE(m.shell.started, (QList<FakeShell::Call>{{"/x/売上入力.exe", "000100999999"}}));
        QTEST(m.dialogs.informations, "messages");
    }

    void theBasePanelOpensTheOfficeDialogOnlyWithTheRight_data() {
        Columns<QString, QString, bool>("staff", "permission", "opens");
        Row("nobody signed in", "", "1", true);
        Row("permission 0", "00012", "0", true);
        Row("permission not a number", "00012", "", true);
        Row("permission 1", "00012", "1", false);
    }
    void theBasePanelOpensTheOfficeDialogOnlyWithTheRight() {
        QFETCH(bool, opens);
        TestInstallation install;
        Menu m(install, Cell<QString>("staff"));
        m.ctx.staff.categoryPermissions[9] = Cell<QString>("permission");
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
        Columns<QList<int>, int, QStringList, int>("keys", "tab", "started", "manuals");
        const auto K = [](std::initializer_list<QKeyCombination> keys) {
            QList<int> combined;
            for (const QKeyCombination key : keys) {
                combined << key.toCombined();
            }
            return combined;
        };
        const QString sales = QStringLiteral("/x/売上入力.exe");
        Row("1 starts the first button", K({Qt::Key_1}), 0, QStringList{sales}, 0);
        Row("2 on an unset button starts nothing", K({Qt::Key_2}), 0, QStringList{}, 0);
        Row("Enter on the focused button", K({Qt::Key_Return}), 0, QStringList{sales}, 0);
        Row("Ctrl+2 shows the second tab, 1 starts its first button",
            K({Qt::CTRL | Qt::Key_2, Qt::Key_1}), 1, QStringList{"/x/集計.exe"}, 0);
        Row("Ctrl+Tab twice, Ctrl+Shift+Tab once",
            K({Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_Tab,
               Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab}),
            1, QStringList{}, 0);
        Row("F1", K({Qt::Key_F1}), 0, QStringList{}, 1);
    }
    void theKeyboardReachesEverything() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.window.get()));
        m.window->menuButton(0, 0)->setFocus();
        for (const int combined : Cell<QList<int>>("keys")) {
            const auto key = QKeyCombination::fromCombined(combined);
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        }
        QTEST(m.window->tabs()->currentIndex(), "tab");
        QStringList paths;
        for (const FakeShell::Call& call : m.shell.started) {
            paths << call.path;
        }
        QTEST(paths, "started");
        QTEST(int(m.shell.opened.size()), "manuals");
    }

    void theManualPanelTakesTheKeyboard() {
        TestInstallation install;
        Menu m(install);
        auto* manual = m.window->findChild<QLabel*>("manualpanel");
        QCOMPARE(manual->text(), QStringLiteral("Manual"));
        QVERIFY(manual->focusPolicy() & Qt::TabFocus);
        manual->setFocus();
        QTest::keyClick(manual, Qt::Key_Space);
        QCOMPARE(m.shell.opened.size(), 1);
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
        LoadedContext t(install);
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
        QCOMPARE(seenWhenTold, (QStringList{"月次ヌモリカ集計", "集計", "0"}));
    }

    // On a notebook screen of 1024×600 (less a panel of 40 pixels) every window keeps all its
    // buttons on the screen.
    void everyWindowFitsASmallScreen_data() {
        QTest::addColumn<QString>("window");
        for (const char* name :
             {"menu", "settings", "sign-in", "office", "privileged PIN", "exit"}) {
            Row(name, QString::fromLatin1(name));
        }
    }
    void everyWindowFitsASmallScreen() {
        QFETCH(QString, window);
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.ctx.menuEditTarget = {kMenuTable, 0, 0};
        std::unique_ptr<QWidget> shown;
        if (window == "menu") {
            shown = std::move(m.window);
        } else if (window == "settings") {
            shown = std::make_unique<MenuSettingsWindow>(m.ctx);
        } else if (window == "sign-in") {
            shown = std::make_unique<SignInDialog>(m.ctx);
        } else if (window == "office") {
            shown = std::make_unique<OfficeDialog>(m.ctx);
        } else if (window == "privileged PIN") {
            shown = std::make_unique<PrivilegedPinDialog>(m.ctx);
        } else {
            shown = std::make_unique<ExitDialog>(m.ctx, "ヌモリカ");
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
        QCOMPARE(m.ctx.menuEditTarget.tabPosition, 2);
        QCOMPARE(m.ctx.menuEditTarget.detailPosition, 5);
        QTest::mouseClick(m.window->findChild<QLabel*>("manualpanel"), Qt::LeftButton);
        QCOMPARE(m.shell.opened,
                 (QList<FakeShell::Call>{
                     {install.path("manual/ヌモリカマイメニュ.doc"), install.path("manual")}}));
        m.window->findChild<QPushButton*>("btn_終了")->click();
        QCOMPARE(exit.count(), 1);
    }

    // Maximised, the base panel stands in the middle of the screen; otherwise it fills the window.
    void bothLayouts() {
        TestInstallation install;
        Menu m(install);
        QFrame* base = m.window->basePanel();
        m.window->layoutMaximized();
        const QPoint middle = m.window->screen()->geometry().center() - base->geometry().center();
        QVERIFY2(middle.manhattanLength() < 20,
                 qPrintable(QString::number(middle.manhattanLength())));
        m.window->layoutNormal();
        QCOMPARE(base->pos(), QPoint(0, 0));
    }

    void composesTheCommandLine_data() {
        // after the program folder
        Columns<QVariant, QString, QVariantList, QString>("name", "file", "values", "expected");
        const QVariantList filled = {"000100", "", "当期期首", "今月"};
        Row("catalogue items with defaults and keywords", QVariant("売上入力"), "売上入力.exe",
            filled, "売上入力.exe 00010099999920240401202405");
        Row("plain start word", QVariant("売上一覧表"), "売上入力.exe", filled, "売上入力.exe");
        Row("A and B blank, C filled", QVariant("売上入力"), "売上入力.exe",
            QVariantList{"", " ", "x"}, "売上入力.exe 000000 x");
        Row("A to C blank", QVariant("売上入力"), "売上入力.exe", QVariantList{" ", "", "", "今月"},
            "売上入力.exe");
        Row("A Null counts as a value", QVariant("売上入力"), "売上入力.exe",
            QVariantList{kNull, "", ""}, "売上入力.exe ");
        Row("not in any catalogue: path and a blank", QVariant("在庫照会"), "在庫照会.exe", filled,
            "在庫照会.exe ");
        Row("a Null value ends the conditions", QVariant("売上入力"), "売上入力.exe",
            QVariantList{"000100", kNull, "x", "今月"}, "売上入力.exe 000100");
        Row("third catalogue", QVariant("年度別実績"), "年度別実績.EXE",
            QVariantList{"", "前年", "A"}, "年度別実績.EXE 120230");
        Row("blanks around the path", QVariant("売上入力"), "  売上入力.exe  ",
            QVariantList{"1", "2", "3", ""}, "売上入力.exe 123202405");
    }
    void composesTheCommandLine() {
        QFETCH(QString, file);
        TestInstallation install;
        AddCatalogue(install, "ヌモリカ", "売上入力",
                     {"開始得意先コード", "終了得意先コード", "開始日付", "終了年月", "終了日付"});
        // The first catalogue that names a program gives its items.
        AddCatalogue(install, "ヌモリカサービスメニュ", "売上入力", {"事業所コード"});
        AddCatalogue(install, "ヌモリカ補助機能", "年度別実績",
                     {"printmode", "開始年度", "表示区分", kNull, "x"});
        const QString folder = install.programFolder() + "/";
        const QString path =
            file.startsWith(' ') ? "  " + folder + file.trimmed() + "  " : folder + file;
        AddMenuRow(install, {.tab = 1,
                             .position = 3,
                             .name = Cell<QVariant>("name"),
                             .file = path,
                             .values = Cell<QVariantList>("values")});
        LoadedContext l(install);
        l.clock.current = QDateTime(QDate(2024, 5, 15), QTime(10, 0));
        const auto command = ComposeLaunch(l.ctx, "ヌモリカマイメニュ", 1, 3);
        QVERIFY(command);
        QCOMPARE(command->commandText, folder + Cell<QString>("expected"));
    }

    void startsProgramsAndOpensDocuments_data() {
        Columns<QString, bool, QString, QString, QStringList>("file", "exists", "started", "opened",
                                                              "messages");
        Row("program", "/x/売上入力.exe", true, "/x/売上入力.exe|", "", QStringList{});
        Row("capital EXE", "/x/売上入力.EXE", true, "/x/売上入力.EXE|", "", QStringList{});
        Row("program that cannot start", "/x/売上入力.exe", false, "/x/売上入力.exe|", "",
            QStringList{"売上入力プログラムが有りません"});
        Row("blank after .exe: a document", "/x/売上入力.exe ", true, "", "/x/売上入力.exe|/x",
            QStringList{});
        Row("document", "/x/日報.txt", true, "", "/x/日報.txt|/x", QStringList{});
        Row("document without folder", "日報.txt", true, "", "日報.txt|", QStringList{});
    }
    void startsProgramsAndOpensDocuments() {
        TestInstallation install;
        AddMenuRow(
            install,
            {.position = 0, .name = "売上入力", .file = Cell<QString>("file"), .values = {"1"}});
        LoadedContext l(install);
        l.shell.startResult = Cell<bool>("exists");
        LaunchMenuEntry(l.ctx, 0, 0, "ヌモリカマイメニュ");
        const auto join = [](const QList<FakeShell::Call>& calls) {
            return calls.isEmpty() ? QString() : calls[0].path + "|" + calls[0].argument;
        };
        QTEST(join(l.shell.started), "started");
        QTEST(join(l.shell.opened), "opened");
        QTEST(l.dialogs.informations, "messages");
    }

    void rowsThatCannotLaunchAreSkipped_data() {
        Columns<QVariant, QVariant, QString>("name", "file", "staff");
        Row("Null path", QVariant("売上入力"), kNull, "00012");
        Row("Null name", kNull, QVariant("/x/a.exe"), "00012");
        Row("another person's row", QVariant("売上入力"), QVariant("/x/a.exe"), "00013");
    }
    void rowsThatCannotLaunchAreSkipped() {
        TestInstallation install;
        AddMenuRow(install, {.staff = Cell<QString>("staff"),
                             .name = Cell<QVariant>("name"),
                             .file = Cell<QVariant>("file")});
        LoadedContext l(install);
        LaunchMenuEntry(l.ctx, 0, 0, "ヌモリカマイメニュ");
        QVERIFY(l.shell.started.isEmpty());
        QVERIFY(l.shell.opened.isEmpty());
        QVERIFY(l.dialogs.informations.isEmpty());
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
