#include "TestSupport.h"

namespace {
// A loaded menu of 00012 with a program on tab 0 and tab 1 and nothing on tab 2's first button.
struct Menu : LoadedContext {
    explicit Menu(const TestInstallation& install, const QString& staff = QStringLiteral("00012"))
        : LoadedContext(install, staff), window(std::make_unique<MainMenuWindow>(ctx)) {
        ConnectMenuSettings(ctx, *window);
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

// What the menu shows: each tab's title, then every button that is set, enabled or described, as
// "tab button text description".
QStringList Shown(const MainMenuWindow& window) {
    QStringList shown;
    for (int tab = 0; tab < kMenuTabs; ++tab) {
        shown << window.tabs()->tabText(tab);
        for (int i = 0; i < kMenuButtons; ++i) {
            const QPushButton* button = window.menuButton(tab, i);
            const QString description = window.descriptionLabel(tab, i)->text();
            if (button->text() != "未設定" || button->isEnabled() || !description.isEmpty()) {
                shown << QString("%1 %2 ").arg(tab).arg(i) + button->text() + " " + description;
            }
        }
    }
    return shown;
}
}  // namespace

class TestMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anEmptyMenuShowsUnsetButtons() {
        TestInstallation install;
        Menu m(install);
        QCOMPARE(Shown(*m.window), QStringList(kMenuTabs, "未設定タイトル"));
        QCOMPARE(m.window->tabs()->currentIndex(), 0);
        QCOMPARE(m.window->windowTitle(), QStringLiteral("ヌモリカマイメニュ（自社）"));
    }

    // Titles and captions lose their first ヌモリカ; a program button names its program in its
    // tooltip, a description says how the button is set up.
    void tabsShowTitlesAndButtons() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        QCOMPARE(Shown(*m.window),
                 (QStringList{"販売", "0 0 売上入力 売上を入力", "月次ヌモリカ集計", "1 0 集計 ",
                              "未設定タイトル", "2 3 点検 "}));
        QCOMPARE(m.window->tabs()->currentIndex(), 0);
        QCOMPARE(m.window->menuButton(0, 0)->toolTip() + m.window->menuButton(0, 1)->toolTip(),
                 QStringLiteral("/x/売上入力.exe\nF2 キーでこのボタンを設定します。"));
        QVERIFY(m.window->descriptionLabel(2, 5)->toolTip().contains("ダブルクリック"));
    }

    void aBadRowEndsItsTab_data() {
        Columns<QVariant, QVariant, QString>("position", "name", "message");
        Row("position 8", QVariant(8), QVariant("売上"), "売上メニュ設定が正しくありません");
        Row("Null name", QVariant(5), QVariant(), "メニュ設定が正しくありません");
        Row("position 100, never read", QVariant(100), QVariant("売上"),
            "後メニュ設定が正しくありません");
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
        QCOMPARE(m.dialogs.informations, QStringList{Cell<QString>("message")});
        QVERIFY(m.window->menuButton(0, 1)->isEnabled() && m.window->menuButton(1, 0)->isEnabled());
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

    // Building the tabs switches to each and back to the first: the first of those changes
    // leaves the focus alone, the others put it on the first button of the tab shown. Later a
    // tab change focuses its first button when it is set.
    void aTabChangeFocusesItsFirstButton() {
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
        window.findChild<QPushButton*>("btn_終了")->setFocus();
        window.tabs()->setCurrentIndex(2);  // its first button is not set
        QCOMPARE(QApplication::focusWidget(), window.findChild<QPushButton*>("btn_終了"));
        window.tabs()->setCurrentIndex(1);
        QTRY_COMPARE(QApplication::focusWidget(), window.menuButton(1, 0));
        QTest::mouseClick(window.titlePanel(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), window.menuButton(1, 0));
    }

    // The empty background of the window and of the tab pages is the base panel; Ctrl+Shift+O
    // asks as a double-click on it does.
    void theBasePanelOpensTheOfficeDialogOnlyWithTheRight_data() {
        Columns<QString, QString, QString, bool>("staff", "permission", "gesture", "opens");
        Row("nobody signed in", "", "1", "base panel", true);
        Row("permission 0", "00012", "0", "base panel", true);
        Row("permission 1", "00012", "1", "base panel", false);
        Row("permission 0, tab page", "00012", "0", "tab page", true);
        Row("permission 0, window", "00012", "0", "window", true);
        Row("permission 0, Ctrl+Shift+O", "00012", "0", "Ctrl+Shift+O", true);
        Row("permission 1, Ctrl+Shift+O", "00012", "1", "Ctrl+Shift+O", false);
    }
    void theBasePanelOpensTheOfficeDialogOnlyWithTheRight() {
        QFETCH(bool, opens);
        QFETCH(QString, gesture);
        TestInstallation install;
        Menu m(install, Cell<QString>("staff"));
        m.ctx.staff.categoryPermissions[9] = Cell<QString>("permission");
        QSignalSpy office(m.window.get(), &MainMenuWindow::officeRequested);
        if (opens) {
            WhenModal("msg運用事業所設定", [](QDialog& d) { d.reject(); });
        }
        m.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.window.get()));
        m.window->resize(m.window->size() + QSize(40, 40));
        const QMap<QString, QWidget*> panels = {
            {"base panel", m.window->basePanel()},
            {"tab page", m.window->findChild<QFrame*>("bak_menu")}};
        if (gesture == "Ctrl+Shift+O") {
            QTest::keyClick(m.window.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        } else if (gesture == "window") {
            QTest::mouseDClick(m.window.get(), Qt::LeftButton, {},
                               QPoint(m.window->width() - 3, m.window->height() - 3));
        } else {
            QTest::mouseDClick(panels[gesture], Qt::LeftButton, {}, QPoint(3, 3));
        }
        QCOMPARE(office.count(), opens ? 1 : 0);
    }

    // The menu works from the keyboard: number keys start the buttons of the tab shown, Enter
    // the focused one; Ctrl+number and Ctrl+Tab change tabs; F1 and the manual panel open the
    // manual.
    void theKeyboardReachesEverything_data() {
        Columns<QKeySequence, int, QString, int, QString>("keys", "tab", "started", "manuals",
                                                          "edited");
        Row("1 starts the first button", QKeySequence("1"), 0, "/x/売上入力.exe", 0, "");
        Row("2 on an unset button starts nothing", QKeySequence("2"), 0, "", 0, "");
        Row("Enter on the focused button", QKeySequence("Return"), 0, "/x/売上入力.exe", 0, "");
        Row("Ctrl+2 then 1", QKeySequence("Ctrl+2, 1"), 1, "/x/集計.exe", 0, "");
        Row("Tab twice, back", QKeySequence("Ctrl+Tab, Ctrl+Tab, Ctrl+Shift+Backtab"), 1, "", 0,
            "");
        Row("F1", QKeySequence("F1"), 0, "", 1, "");
        Row("F2 edits the focused button, which keeps the focus", QKeySequence("F2, Return"), 0,
            "/x/売上入力.exe", 0, "0 0");
        Row("Ctrl+2 then F2", QKeySequence("Ctrl+2, F2"), 0, "", 0, "1 0");
        Row("F2 on a tab without a set button offers its slots",
            QKeySequence("Ctrl+3, F2, Down, Return"), 0, "", 0, "2 0");
        Row("the menu key, 設定…", QKeySequence("Menu, Down, Return"), 0, "", 0, "0 0");
        Row("Shift+F10, 設定…", QKeySequence("Shift+F10, Down, Return"), 0, "", 0, "0 0");
    }
    void theKeyboardReachesEverything() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.window.get()));
        m.window->menuButton(0, 0)->setFocus();
        QSignalSpy edited(m.window.get(), &MainMenuWindow::settingsRequested);
        if (!Cell<QString>("edited").isEmpty()) {
            WhenModal(QStringLiteral("wndマイメニュ設定"),
                      [](QDialog& dialog) { dialog.reject(); });
        }
        const QKeySequence& seq = Cell<QKeySequence>("keys");
        for (int i = 0; i < seq.count(); ++i) {
            if (QApplication::focusWidget() == nullptr) {  // back from the settings window
                m.window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(m.window.get()));
            }
            QWidget* popup = QApplication::activePopupWidget();
            QTest::keyClick(popup != nullptr ? popup : QApplication::focusWidget(), seq[i].key(),
                            seq[i].keyboardModifiers());
        }
        QStringList editedSlots;
        for (const QVariantList& slot : edited) {
            editedSlots << slot.value(0).toString() + " " + slot.value(1).toString();
        }
        QTEST(editedSlots.join(' '), "edited");
        QTEST(m.window->tabs()->currentIndex(), "tab");
        QStringList paths;
        for (const FakeShell::Call& call : m.shell.started) {
            paths << call.path;
        }
        QTEST(paths.join(' '), "started");
        QTEST(int(m.shell.opened.size()), "manuals");
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

    // On a notebook screen of 1024×600, and on screens of 1366×768 and 1920×1080 at the scales
    // 1, 1.5 and 2 (each less a panel of 40 pixels), every window fits with a title bar of 30
    // pixels and keeps its buttons on the screen; the program buttons scroll where it is low.
    void everyWindowFitsTheScreen_data() {
        Columns<QSize, double>("screen", "scale");
        Row("1024×600", QSize(1024, 600), 1.0);
        for (const QSize& size : {QSize(1366, 768), QSize(1920, 1080)}) {
            for (const double scale : {1.0, 1.5, 2.0}) {
                const QString tag = QString("%1×%2 at %3").arg(size.width()).arg(size.height());
                Row(qPrintable(tag.arg(scale)), size, scale);
            }
        }
    }
    void everyWindowFitsTheScreen() {
        TestInstallation install;
        AddStandardMenu(install);
        LoadedContext m(install);
        m.ctx.menuEditTarget = {kMenuTable, 0, 0};
        std::unique_ptr<QWidget> windows[] = {std::make_unique<MenuSettingsWindow>(m.ctx),
                                              std::make_unique<SignInDialog>(m.ctx),
                                              std::make_unique<OfficeDialog>(m.ctx),
                                              std::make_unique<PrivilegedPinDialog>(m.ctx),
                                              std::make_unique<ExitDialog>(m.ctx, "ヌモリカ"),
                                              std::make_unique<MainMenuWindow>(m.ctx)};
        const QSize screen = (Cell<QSize>("screen") - QSize(0, 40)) / Cell<double>("scale");
        for (const std::unique_ptr<QWidget>& shown : windows) {
            const QString name = shown->metaObject()->className();
            FitIntoScreen(*shown, QRect(QPoint(), screen));
            shown->show();
            QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
            QVERIFY2(
                QRect(QPoint(), screen).contains(QRect(0, 0, shown->width(), shown->height() + 30)),
                qPrintable(name));
            for (QPushButton* button : shown->findChildren<QPushButton*>()) {
                const QRect at(button->mapTo(shown.get(), QPoint(0, 0)), button->size());
                QVERIFY2(button->parent()->objectName() == "bak_menu" ||
                             QRect(QPoint(), shown->size()).contains(at),
                         qPrintable(name + " " + button->objectName()));
            }
        }
    }

    // A click on a button starts its composed command; the panels open the settings, the manual
    // (also from the keyboard) and the end.
    void panelsAndButtonsRouteTheirGestures() {
        TestInstallation install;
        AddStandardMenu(install);
        Menu m(install);
        m.shell.startResult = true;
        QTest::mouseClick(m.window->menuButton(0, 0), Qt::LeftButton);
        QCOMPARE(m.shell.started, (QList<FakeShell::Call>{{"/x/売上入力.exe", "000100999999"}}));
        QSignalSpy settings(m.window.get(), &MainMenuWindow::settingsRequested);
        QSignalSpy exit(m.window.get(), &MainMenuWindow::exitRequested);
        WhenModal(QStringLiteral("wndマイメニュ設定"), [](QDialog& dialog) { dialog.reject(); });
        QTest::mouseDClick(m.window->descriptionLabel(2, 5), Qt::LeftButton);
        QCOMPARE(settings.value(0), (QVariantList{2, 5}));
        const MenuEditTarget& target = m.ctx.menuEditTarget;
        QCOMPARE(QList<int>({target.tabPosition, target.detailPosition}), QList<int>({2, 5}));
        auto* manual = m.window->findChild<QLabel*>("manualpanel");
        QTest::mouseClick(manual, Qt::LeftButton);
        QVERIFY(manual->focusPolicy() & Qt::TabFocus);
        manual->setFocus();
        QTest::keyClick(manual, Qt::Key_Space);
        const FakeShell::Call opened{install.path("manual/ヌモリカマイメニュ.doc"),
                                     install.path("manual")};
        QCOMPARE(m.shell.opened, (QList<FakeShell::Call>{opened, opened}));
        m.window->findChild<QPushButton*>("btn_終了")->click();
        QCOMPARE(exit.count(), 1);
        QCOMPARE(m.dialogs.informations, QStringList());
    }

    void composesTheCommandLine_data() {
        // the conditions after the program's path
        Columns<QString, QString, QVariantList, QString>("name", "file", "values", "expected");
        using L = QVariantList;
        const L filled = {"000100", "", "当期期首", "今月"};
        const QString s = QStringLiteral("売上入力");
        const QString exe = QStringLiteral("売上入力.exe");
        Row("catalogue items, defaults, keywords", s, exe, filled, " 00010099999920240401202405");
        Row("plain start word", "売上一覧表", exe, filled, "");
        Row("A and B blank, C filled", s, exe, L{"", " ", "x"}, " 000000 x");
        Row("A to C blank", s, exe, L{" ", "", "", "今月"}, "");
        Row("A Null counts as a value", s, exe, L{kNull, "", ""}, " ");
        Row("not in any catalogue: path and a blank", "在庫照会", "在庫照会.exe", filled, " ");
        Row("Null ends the conditions", s, exe, L{"000100", kNull, "x", "今月"}, " 000100");
        Row("third catalogue", "年度別実績", "年度別実績.EXE", L{"", "前年", "A"}, " 120230");
        Row("blanks around the path", s, "  売上入力.exe  ", L{"1", "2", "3", ""}, " 123202405");
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
                             .name = Cell<QString>("name"),
                             .file = path,
                             .values = Cell<QVariantList>("values")});
        LoadedContext l(install);
        l.clock.current = QDateTime(QDate(2024, 5, 15), QTime(10, 0));
        const auto command = ComposeLaunch(l.ctx, "ヌモリカマイメニュ", 1, 3);
        QVERIFY(command);
        QCOMPARE(command->commandText, folder + file.trimmed() + Cell<QString>("expected"));
    }

    // Programs are started, documents opened; rows without path or name, and another person's,
    // start nothing.
    void startsProgramsAndOpensDocuments_data() {
        Columns<QString, QVariant, QVariant, bool, QString>("staff", "name", "file", "ok", "done");
        const QVariant s = QStringLiteral("売上入力");
        const QVariant a = QStringLiteral("/x/a.exe");
        Row("program", "00012", s, a, true, "start /x/a.exe|");
        Row("capital EXE", "00012", s, QVariant("/x/a.EXE"), true, "start /x/a.EXE|");
        Row("cannot start", "00012", s, a, false, "start /x/a.exe| 売上入力プログラムが有りません");
        Row("blank after .exe", "00012", s, QVariant("/x/a.exe "), true, "open /x/a.exe|/x");
        Row("document", "00012", s, QVariant("/x/日報.txt"), true, "open /x/日報.txt|/x");
        Row("document without folder", "00012", s, QVariant("日報.txt"), true, "open 日報.txt|");
        Row("Null path", "00012", s, kNull, true, "");
        Row("Null name", "00012", kNull, a, true, "");
        Row("another person's row", "00013", s, a, true, "");
    }
    void startsProgramsAndOpensDocuments() {
        TestInstallation install;
        AddMenuRow(install, {.staff = Cell<QString>("staff"),
                             .name = Cell<QVariant>("name"),
                             .file = Cell<QVariant>("file"),
                             .values = {"1"}});
        LoadedContext l(install);
        l.shell.startResult = Cell<bool>("ok");
        LaunchMenuEntry(l.ctx, 0, 0, "ヌモリカマイメニュ");
        QStringList done;
        for (const auto& [kind, calls] :
             {std::pair{"start ", l.shell.started}, std::pair{"open ", l.shell.opened}}) {
            for (const FakeShell::Call& call : calls) {
                done << kind + call.path + "|" + call.argument;
            }
        }
        QTEST((done + l.dialogs.informations).join(' '), "done");
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
