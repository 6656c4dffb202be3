#include "TestSupport.h"

namespace {
const QVariant kNull;

struct Editor : LoadedContext {
    Editor(const TestInstallation& install, int tab, int detail, const QString& staff = "00012")
        : LoadedContext(install, staff) {
        ctx.notice = &notice;
        ctx.menuEditTarget = {kMenuTable, tab, detail};
        window = std::make_unique<MenuSettingsWindow>(ctx);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    QLineEdit* field(const QString& name) const { return window->findChild<QLineEdit*>(name); }
    // The texts of the fields named, a letter naming the caption of its condition item.
    QString texts(const QStringList& names) const {
        QStringList texts;
        for (const QString& name : names) {
            texts << (name.size() == 1
                          ? window->findChild<QLabel*>("itm_ttl_条件項目" + name)->text()
                          : field(name)->text());
        }
        return texts.join('|');
    }
    void type(const QString& name, const QString& text) {
        QLineEdit* edit = field(name);
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);  // as an input method commits Japanese text
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    void press(const char* button) { window->findChild<QPushButton*>(button)->click(); }

    FakeNotice notice;
    std::unique_ptr<MenuSettingsWindow> window;
};
}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aNeverSavedPositionOpensEmpty() {
        TestInstallation install;
        Editor e(install, 1, 4);
        QCOMPARE(e.texts({"タイトルNo", "メニュNo", "タイトル", "A"}) + e.window->windowTitle(),
                 "2|5||マイメニュ設定");
        QVERIFY(e.window->record().newRow);
    }

    void rereadingKeepsEditsWhereNothingIsStored() {
        TestInstallation install;
        AddMenuRow(install,
                   {.position = 2, .name = "売上入力", .file = "/x/売", .values = {"A1", kNull}});
        AddCatalogue(install, "ヌモリカデータ管理", "売上入力", {"開始得意先", "終了得意先"});
        Editor e(install, 0, 2);
        QCOMPARE(e.texts({"B", "条件項目値B"}), "終了得意先|");
        e.type("条件項目値A", "edited A");
        e.type("条件項目値B", "edited B");
        e.press("btn_初期画面");
        QCOMPARE(e.texts({"条件項目値A", "条件項目値B"}), "A1|edited B");
        e.press("btn_画面クリア");
        QCOMPARE(e.texts({"条件項目値A", "B"}), "|");
        QVERIFY(!e.window->record().newRow);
    }

    void theFileDialogNamesTheConditions() {
        TestInstallation install;
        QTemporaryDir programs;
        QVERIFY(WriteFile(programs.filePath("受注入力.exe")) &&
                WriteFile(programs.filePath("在庫照会.exe")));
        AddCatalogue(install, "ヌモリカ", "受注入力", {"事業所コード", "開始日付", "期間区分"});
        AddCatalogue(install, "ヌモリカ補助機能", "在庫照会", {"倉庫コード", kNull, kNull});
        Editor e(install, 0, 0);
        e.dialogs.chosenFiles << programs.filePath("受注入力.exe")
                              << programs.filePath("在庫照会.exe") << std::nullopt;
        for (int i = 0; i < 3; ++i) {
            QTest::mouseDClick(e.field("filepath"), Qt::LeftButton);
        }
        QCOMPARE(e.dialogs.fileRequests.value(1), programs.filePath("受注入力.exe"));
        // A Null name leaves the caption.
        QCOMPARE(e.texts({"プログラム名", "A", "B", "C"}), "在庫照会|倉庫コード|開始日付|期間区分");
    }

    // What is told while typing (the notices, then the window's own line) and what is kept once the
    // field is left: a text past its limit is cut, a path without a folder is refused.
    void typingIsChecked_data() {
        Columns<QString, QString, QString, QStringList>("field", "typed", "kept", "told");
        Row("11 full-width to 10", "タイトル", QString(11, u'あ'), QString(10, u'あ'),
            QStringList{"1文字オーバーです。", ""});
        Row("quotes and trailing blanks kept", "タイトル", "山田's  ", "山田's  ", QStringList{""});
        Row("path without a folder", "filepath", "受注入力", "",
            QStringList{"プログラムを明確に指定してください。"});
    }
    void typingIsChecked() {
        QFETCH(QString, kept);
        TestInstallation install;
        Editor e(install, 0, 0);
        auto* line = e.window->findChild<QLabel*>("お知らせ");
        QStringList toldHere;  // the settings window tells what the hidden main window is told
        e.notice.onNotice = [&](const QString&) { toldHere << line->text(); };
        e.type(Cell<QString>("field"), Cell<QString>("typed"));
        QCOMPARE(toldHere, e.notice.texts);
        const MenuSettingsRecord& record = e.window->record();
        QCOMPARE(e.field(Cell<QString>("field"))->text() + "|" + record.title + record.filePath,
                 kept + "|" + kept);
        QTEST(e.notice.texts + (line->text().isEmpty() ? QStringList() : QStringList{line->text()}),
              "told");
    }

    void aStoredTextLongerThanTheLimitStaysUntilChanged() {
        TestInstallation install;
        AddMenuTitle(install, "00012", 0, QString(30, 'x'));
        Editor e(install, 0, 0);
        e.field("タイトル")->setFocus();
        QTest::keyClick(e.field("タイトル"), Qt::Key_Tab);
        QCOMPARE(e.window->record().title, QString(30, 'x'));
    }

    void programPaths_data() {
        // FOLDER stands for a folder holding the files
        Columns<QString, int, QString, QString>("typed", "result", "path", "name");
        Row("blanks around an existing file", "  FOLDER/受注入力.exe  ",
            int(FilePathCheck::Accepted), "FOLDER/受注入力.exe", "受注入力");
        Row("no extension", "FOLDER/受注", int(FilePathCheck::Accepted), "FOLDER/受注", "受注");
        Row("two dots", "FOLDER/a.b.exe", int(FilePathCheck::Accepted), "FOLDER/a.b.exe", "a");
        Row("wildcard", "FOLDER/a.*", int(FilePathCheck::Accepted), "FOLDER/a.*", "a");
        Row("no separator", "受注入力.exe", int(FilePathCheck::Refused), "", "前");
        Row("missing file kept", "FOLDER/無い.exe", int(FilePathCheck::Refused), "FOLDER/無い.exe",
            "前");
        Row("only the other separator", "C:\\prg\\受注入力.exe", int(FilePathCheck::Accepted),
            "C:\\prg\\受注入力.exe", "前");
        Row("unchanged", "", int(FilePathCheck::Unchanged), "", "前");
    }
    void programPaths() {
        QFETCH(QString, typed);
        QFETCH(QString, path);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("受注入力.exe")) && WriteFile(folder.filePath("受注")) &&
                WriteFile(folder.filePath("a.b.exe")));
        MenuSettingsRecord record;
        record.programName = QStringLiteral("前");
        QTEST(int(CheckFilePath(typed.replace("FOLDER", folder.path()), record)), "result");
        QCOMPARE(record.filePath, path.replace("FOLDER", folder.path()));
        QTEST(record.programName, "name");
    }

    // Notes of the run history: the engine's own description stands in place of a '*'.
    void saving_data() {
        Columns<bool, QStringList, QStringList>("stored", "notes", "saved");
        Row("never saved", false,
            QStringList{"出力終了 INSERT INTO ヌモリカマイメニュ ( 担当者コード, メニュタブ位置, "
                        "機能名) VALUES  (''00012'', 1, ''受注'')",
                        "出力終了 INSERT INTO ヌモリカマイメニュ詳細 ( 担当者コード, "
                        "メニュタブ位置, メニュ詳細位置, プログラム名,*"},
            QStringList{"受注", "受注入力|||it's|末尾"});
        Row("stored title and position", true,
            QStringList{"エラー *INSERT INTO ヌモリカマイメニュ ( 担当者コード, "
                        "メニュタブ位置, 機能名) VALUES  (''00012'', 1, ''受注'')",
                        "出力終了 UPDATE ヌモリカマイメニュ SET 機能名 = ''受注'' WHERE "
                        "担当者コード = ''00012'' AND メニュタブ位置 = 1",
                        "出力終了 UPDATE ヌモリカマイメニュ詳細 SET プログラム名 = "
                        "''受注入力'', 説明 = '''', filepath*"},
            QStringList{"受注", "受注入力||1|it's|末尾"});
    }
    void saving() {
        TestInstallation install;
        if (Cell<bool>("stored")) {
            AddMenuTitle(install, "00012", 1, "旧");
            AddMenuRow(install, {.tab = 1, .position = 3, .values = {"1"}, .description = "旧"});
        }
        Editor e(install, 1, 3);
        e.type("タイトル", "受注");
        e.type("プログラム名", "受注入力");
        e.type("説明", "");
        e.type("filepath", "C:\\prg\\受注入力.exe");
        e.type("条件項目値B", "it's");
        e.type("条件項目値Z", "末尾");
        e.dialogs.answers << true;
        e.press("btn_登録");
        QCOMPARE(e.dialogs.questions, QStringList{"登録しますか?"});
        QVERIFY(!e.window->isVisible());
        // Notes apart by a character no note holds; an engine's description may run over lines.
        const QString history = HistoryNotes(install.configPath()).mid(1).join('\x1e');
        const QString notes = QRegularExpression::escape(Cell<QStringList>("notes").join('\x1e'))
                                  .replace("\\*", "[^\\x1e]*");
        QVERIFY2(QRegularExpression("^" + notes + "$").match(history).hasMatch(),
                 qPrintable(history));
        const QString business = install.businessPath();
        QTEST(RowTexts(QueryRows(business, "SELECT 機能名 FROM ヌモリカマイメニュ")) +
                  RowTexts(QueryRows(business, "SELECT * FROM ヌモリカマイメニュ詳細"),
                           {"プログラム名", "説明", "条件項目値A", "条件項目値B", "条件項目値Z"}),
              "saved");
    }

    void aRowRemovedSinceReadingIsSavedAgain() {
        TestInstallation install;
        AddMenuRow(install, {.tab = 1, .position = 3, .name = "旧", .file = "/x/旧.exe"});
        Editor e(install, 1, 3);
        ExecuteOn(install.businessPath(), "DELETE FROM ヌモリカマイメニュ詳細");
        e.type("プログラム名", "新");
        e.dialogs.answers << true;
        e.press("btn_登録");
        QCOMPARE(
            QueryValue(install.businessPath(), "SELECT プログラム名 FROM ヌモリカマイメニュ詳細"),
            QVariant("新"));
    }

    // The rows left of the menu's detail and its title, then the notes of the run history. Escape
    // leaves with the title typed unsaved.
    void deletingOrLeaving_data() {
        Columns<bool, bool, QStringList>("stored", "answer", "left");
        Row("stored row", true, true,
            QStringList{"0|販売",
                        "出力終了 DELETE FROM ヌモリカマイメニュ詳細 WHERE 担当者コード = "
                        "''00000'' AND メニュタブ位置 = 0 AND メニュ詳細位置 = 2"});
        Row("no row: nothing to do", false, true, QStringList{"0|販売"});
        Row("answered No", true, false, QStringList{"1|販売"});
        Row("Escape", true, true, QStringList{"1|販売"});
    }
    void deletingOrLeaving() {
        QFETCH(bool, answer);
        TestInstallation install;
        AddMenuTitle(install, "00000", 0, "販売");
        if (Cell<bool>("stored")) {
            AddMenuRow(install, {.staff = "00000", .position = 2, .name = "旧"});
        }
        Editor e(install, 0, 2, QString());
        e.dialogs.answers << answer;
        if (QTest::currentDataTag() == QLatin1String("Escape")) {
            e.type("タイトル", "受注");
            QTest::keyClick(e.window.get(), Qt::Key_Escape);
        } else {
            e.press("btn_削除");
        }
        QCOMPARE(e.window->isVisible(), !answer);
        QTEST(
            QStringList(QueryValue(install.businessPath(),
                                   "SELECT (SELECT count(*) FROM ヌモリカマイメニュ詳細) || '|' || "
                                   "(SELECT 機能名 FROM ヌモリカマイメニュ)")
                            .toString()) +
                HistoryNotes(install.configPath()).mid(1),
            "left");
    }

    void theMenuShowsWhatWasSaved() {
        TestInstallation install;
        LoadedContext t(install);
        MainMenuWindow window(t.ctx);
        ConnectMenuSettings(t.ctx, window);
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.tabs()->setCurrentIndex(2);
        t.dialogs.answers << true;
        WhenModal(QStringLiteral("wndマイメニュ設定"), [](QDialog& editor) {
            auto* name = editor.findChild<QLineEdit*>("プログラム名");
            name->setFocus();
            name->insert(QStringLiteral("ヌモリカ在庫照会"));
            editor.findChild<QPushButton*>("btn_登録")->click();
        });
        QTest::mouseDClick(window.descriptionLabel(2, 6), Qt::LeftButton);
        QCOMPARE(window.menuButton(2, 6)->text(), QStringLiteral("在庫照会"));
        QVERIFY(window.menuButton(2, 6)->isEnabled() && window.tabs()->currentIndex() == 0);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
