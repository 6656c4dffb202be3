#include "TestSupport.h"

namespace {
const QVariant kNull;

struct Editor : LoadedContext {
    Editor(const TestInstallation& install, int tab, int detail,
           const QString& staff = QStringLiteral("00012"))
        : LoadedContext(install, staff) {
        ctx.notice = &notice;
        ctx.menuEditTarget = {kMenuTable, tab, detail};
        window = std::make_unique<MenuSettingsWindow>(ctx);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    QLineEdit* field(const QString& name) const { return window->findChild<QLineEdit*>(name); }
    QString caption(QChar letter) const {
        return window->findChild<QLabel*>(QStringLiteral("itm_ttl_条件項目") + letter)->text();
    }
    void type(const QString& name, const QString& text) {
        QLineEdit* edit = field(name);
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);  // as an input method commits Japanese text
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    void press(const char* button) {
        window->findChild<QPushButton*>(QString::fromUtf8(button))->click();
    }

    FakeNotice notice;
    std::unique_ptr<MenuSettingsWindow> window;
};

QString DetailSql() {
    return QStringLiteral(
        "SELECT * FROM ヌモリカマイメニュ詳細 ORDER BY メニュタブ位置, メニュ詳細位置");
}
}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aNeverSavedPositionOpensEmpty() {
        TestInstallation install;
        Editor e(install, 1, 4);
        QCOMPARE(e.field("タイトルNo")->text(), QStringLiteral("2"));
        QCOMPARE(e.field("メニュNo")->text(), QStringLiteral("5"));
        QVERIFY(e.window->record().newRow);
        QCOMPARE(e.field("タイトル")->text(), QString());
        QCOMPARE(e.caption('A'), QString());
        QCOMPARE(e.window->windowTitle(), QStringLiteral("マイメニュ設定"));
    }

    void rereadingKeepsEditsWhereNothingIsStored() {
        TestInstallation install;
        AddMenuRow(install, {.tab = 0,
                             .position = 2,
                             .name = "売上入力",
                             .file = "/x/売上入力.exe",
                             .values = {"A1", kNull, "C1"}});
        AddCatalogue(install, "ヌモリカデータ管理", "売上入力",
                     {"開始得意先コード", "終了得意先コード"});
        Editor e(install, 0, 2);
        QCOMPARE(e.caption('B'), QStringLiteral("終了得意先コード"));
        QCOMPARE(e.field("条件項目値B")->text(), QString());
        e.type("条件項目値A", "edited A");
        e.type("条件項目値B", "edited B");
        e.press("btn_初期画面");
        QCOMPARE(e.field("条件項目値A")->text(), QStringLiteral("A1"));
        QCOMPARE(e.field("条件項目値B")->text(), QStringLiteral("edited B"));
        e.press("btn_画面クリア");
        QCOMPARE(e.field("条件項目値A")->text(), QString());
        QCOMPARE(e.caption('B'), QString());
        QVERIFY(!e.window->record().newRow);
    }

    void theFileDialogNamesTheConditions() {
        TestInstallation install;
        QTemporaryDir programs;
        for (const char* name : {"受注入力.exe", "在庫照会.exe"}) {
            QVERIFY(WriteFile(programs.filePath(QString::fromUtf8(name))));
        }
        AddCatalogue(install, "ヌモリカ", "受注入力", {"事業所コード", "開始日付", "期間区分"});
        AddCatalogue(install, "ヌモリカ補助機能", "在庫照会", {"倉庫コード", kNull, kNull});
        Editor e(install, 0, 0);
        e.dialogs.chosenFiles << programs.filePath("受注入力.exe")
                              << programs.filePath("在庫照会.exe") << std::nullopt;
        for (int i = 0; i < 3; ++i) {
            QTest::mouseDClick(e.field("filepath"), Qt::LeftButton);
        }
        QCOMPARE(e.dialogs.fileRequests.value(1), programs.filePath("受注入力.exe"));
        QCOMPARE(e.field("プログラム名")->text(), QStringLiteral("在庫照会"));
        QCOMPARE(e.caption('A'), QStringLiteral("倉庫コード"));
        QCOMPARE(e.caption('B'), QStringLiteral("開始日付"));  // a Null name leaves the caption
        QCOMPARE(e.caption('C'), QStringLiteral("期間区分"));
    }

    void textsAreCutToTheirBytes_data() {
        Columns<QString, QString>("typed", "kept");
        const QString full = QStringLiteral("あ");
        Row("11 full-width to 10", full.repeated(11), full.repeated(10));
        Row("quotes and trailing blanks kept", "山田's  ", "山田's  ");
    }
    void textsAreCutToTheirBytes() {
        QFETCH(QString, kept);
        TestInstallation install;
        Editor e(install, 0, 0);
        e.type("タイトル", Cell<QString>("typed"));
        QCOMPARE(e.field("タイトル")->text(), kept);
        QCOMPARE(e.window->record().title, kept);
    }

    void aStoredTextLongerThanTheLimitStaysUntilChanged() {
        TestInstallation install;
        AddMenuTitle(install, "00012", 0, QString(30, 'x'));
        Editor e(install, 0, 0);
        e.field("タイトル")->setFocus();
        QTest::keyClick(e.field("タイトル"), Qt::Key_Tab);
        QCOMPARE(e.window->record().title, QString(30, 'x'));
    }

    void typingShowsTheOverLengthNotice() {
        TestInstallation install;
        Editor e(install, 0, 0);
        e.field("タイトル")->setFocus();
        e.field("タイトル")->insert(QStringLiteral("あ").repeated(11));
        QCOMPARE(e.notice.notice, QStringLiteral("1文字オーバーです。"));
        QTest::keyClick(e.field("タイトル"), Qt::Key_Backspace);
        QCOMPARE(e.notice.notice, QString());
    }

    void programPaths_data() {
        // FOLDER stands for a folder holding the files
        Columns<QString, int, QString, QString>("typed", "result", "path", "name");
        Row("blanks around an existing file", "  FOLDER/受注入力.exe  ", int(kPathAccepted),
            "FOLDER/受注入力.exe", "受注入力");
        Row("no extension", "FOLDER/受注", int(kPathAccepted), "FOLDER/受注", "受注");
        Row("two dots", "FOLDER/a.b.exe", int(kPathAccepted), "FOLDER/a.b.exe", "a");
        Row("wildcard", "FOLDER/a.*", int(kPathAccepted), "FOLDER/a.*", "a");
        Row("no separator", "受注入力.exe", int(kPathRefused), "", "前");
        Row("missing file kept", "FOLDER/無い.exe", int(kPathRefused), "FOLDER/無い.exe", "前");
        Row("only the other separator", "C:\\prg\\受注入力.exe", int(kPathAccepted),
            "C:\\prg\\受注入力.exe", "前");
        Row("unchanged", "", int(kPathUnchanged), "", "前");
    }
    void programPaths() {
        QFETCH(QString, typed);
        QFETCH(QString, path);
        QTemporaryDir folder;
        for (const char* file : {"受注入力.exe", "受注", "a.b.exe"}) {
            QVERIFY(WriteFile(folder.filePath(QString::fromUtf8(file))));
        }
        MenuSettingsRecord record;
        record.programName = QStringLiteral("前");
        QTEST(CheckFilePath(typed.replace("FOLDER", folder.path()), record), "result");
        QCOMPARE(record.filePath, path.replace("FOLDER", folder.path()));
        QTEST(record.programName, "name");
    }

    void theWindowTellsAboutARefusedPath() {
        TestInstallation install;
        Editor e(install, 0, 0);
        QLabel* notice = e.window->findChild<QLabel*>("お知らせ");
        e.type("filepath", "受注入力");
        QCOMPARE(notice->text(), QStringLiteral("プログラムを明確に指定してください。"));
        QCOMPARE(e.field("filepath")->text(), QString());
        e.type("filepath", "C:\\prg\\受注入力.exe");
        QCOMPARE(notice->text(), QString());
    }

    void saving_data() {
        Columns<bool, bool, QStringList>("titled", "stored", "notes");
        const QString insertTitle =
            "出力終了 INSERT INTO ヌモリカマイメニュ ( 担当者コード, メニュタブ位置, 機能名) "
            "VALUES  (''00012'', 1, ''受注'')";
        // The engine's own description stands between the prefix and the statement.
        const QString failedTitle =
            "エラー *INSERT INTO ヌモリカマイメニュ ( 担当者コード, "
            "メニュタブ位置, 機能名) VALUES  (''00012'', 1, ''受注'')";
        const QString updateTitle =
            "出力終了 UPDATE ヌモリカマイメニュ SET 機能名 = ''受注'' WHERE 担当者コード = "
            "''00012'' AND メニュタブ位置 = 1";
        Row("never saved", false, false,
            QStringList{insertTitle,
                        "出力終了 INSERT INTO ヌモリカマイメニュ詳細 ( 担当者コード, "
                        "メニュタブ位置, メニュ詳細位置, プログラム名,"});
        Row("tab with a title", true, false,
            QStringList{failedTitle, updateTitle,
                        "出力終了 INSERT INTO ヌモリカマイメニュ詳細 ( 担当者コード, "
                        "メニュタブ位置, メニュ詳細位置, プログラム名,"});
        Row("stored position", true, true,
            QStringList{failedTitle, updateTitle,
                        "出力終了 UPDATE ヌモリカマイメニュ詳細 SET プログラム名 = "
                        "''受注入力'', 説明 = '''', filepath"});
    }
    void saving() {
        QFETCH(bool, stored);
        QFETCH(QStringList, notes);
        TestInstallation install;
        if (Cell<bool>("titled")) {
            AddMenuTitle(install, "00012", 1, "旧");
        }
        if (stored) {
            AddMenuRow(install, {.tab = 1,
                                 .position = 3,
                                 .name = "旧",
                                 .file = "/x/旧.exe",
                                 .values = {"1", "2", "3", "4"},
                                 .description = "旧"});
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
        const QStringList history = HistoryNotes(install.configPath()).mid(1);
        QCOMPARE(history.size(), notes.size());
        for (int i = 0; i < notes.size(); ++i) {
            const QStringList parts = notes[i].split('*');
            QVERIFY2(history[i].startsWith(parts[0]) && history[i].endsWith(parts.value(1)),
                     qPrintable(history[i]));
        }
        const auto title =
            QueryRows(install.businessPath(), "SELECT 機能名 FROM ヌモリカマイメニュ");
        QCOMPARE(title.size(), 1);
        QCOMPARE(title[0].value("機能名").toString(), QStringLiteral("受注"));
        const auto rows = QueryRows(install.businessPath(), DetailSql());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("プログラム名").toString(), QStringLiteral("受注入力"));
        QCOMPARE(rows[0].value("説明").toString(), QString());
        QVERIFY(!rows[0].value("説明").isNull());
        QCOMPARE(rows[0].value("条件項目値A").toString(), stored ? QStringLiteral("1") : QString());
        QCOMPARE(rows[0].value("条件項目値B").toString(), QStringLiteral("it's"));
        QCOMPARE(rows[0].value("条件項目値Z").toString(), QStringLiteral("末尾"));
    }

    void aRowRemovedSinceReadingIsSavedAgain() {
        TestInstallation install;
        AddMenuRow(install, {.tab = 1, .position = 3, .name = "旧", .file = "/x/旧.exe"});
        Editor e(install, 1, 3);
        ExecuteOn(install.businessPath(), "DELETE FROM ヌモリカマイメニュ詳細");
        e.type("プログラム名", "新");
        e.dialogs.answers << true;
        e.press("btn_登録");
        QCOMPARE(QueryRows(install.businessPath(), DetailSql())
                     .value(0)
                     .value("プログラム名")
                     .toString(),
                 QStringLiteral("新"));
    }

    void deleting_data() {
        Columns<bool, bool, int>("stored", "answer", "rowsLeft");
        Row("stored row", true, true, 0);
        Row("no row: nothing to do", false, true, 0);
        Row("answered No", true, false, 1);
    }
    void deleting() {
        QFETCH(bool, stored);
        QFETCH(bool, answer);
        TestInstallation install;
        AddMenuTitle(install, "00000", 0, "販売");
        if (stored) {
            AddMenuRow(install,
                       {.staff = "00000", .position = 2, .name = "旧", .file = "/x/旧.exe"});
        }
        Editor e(install, 0, 2, QString());
        e.dialogs.answers << answer;
        e.press("btn_削除");
        QCOMPARE(e.window->isVisible(), !answer);
        QTEST(int(QueryRows(install.businessPath(), DetailSql()).size()), "rowsLeft");
        QCOMPARE(QueryRows(install.businessPath(), "SELECT * FROM ヌモリカマイメニュ").size(), 1);
        const QStringList history = HistoryNotes(install.configPath());
        QCOMPARE(history.size(), stored && answer ? 2 : 1);
        if (history.size() == 2) {
            QCOMPARE(history[1],
                     QStringLiteral(
                         "出力終了 DELETE FROM ヌモリカマイメニュ詳細 WHERE "
                         "担当者コード = ''00000'' AND メニュタブ位置 = 0 AND メニュ詳細位置 = 2"));
        }
    }

    void escapeLeavesWithoutSaving() {
        TestInstallation install;
        Editor e(install, 0, 0);
        e.type("タイトル", "受注");
        QTest::keyClick(e.window.get(), Qt::Key_Escape);
        QVERIFY(!e.window->isVisible());
        QVERIFY(QueryRows(install.businessPath(), "SELECT * FROM ヌモリカマイメニュ").isEmpty());
    }

    void theMenuShowsWhatWasSaved() {
        TestInstallation install;
        LoadedContext t(install);
        MainMenuWindow window(t.ctx);
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
        QVERIFY(window.menuButton(2, 6)->isEnabled());
        QCOMPARE(window.tabs()->currentIndex(), 0);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
