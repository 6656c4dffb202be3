#include "TestSupport.h"

#include <grp.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

// The installed programs as an administrator and a member of staff use them.
class TestProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // The single-instance lock of the runs here stays out of the machine's own.
        QVERIFY(lockFolder_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), lockFolder_.path());
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), lockFolder_.filePath("data"));
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void initRefusesToOverwrite() {
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString config = base + "/conf/usrcnfg.accdb";
        const QString menu = base + "/prgbin/ヌモリカマイメニュ";
        QVERIFY(QFileInfo(base + "/prgbin/動作環境設定.exe").isExecutable());
        // A desktop entry of the installation, and its icon, for the administrator to install.
        QCOMPARE(QString::fromUtf8(FileBytes(base + "/prgbin", {"*.desktop"}).first())
                     .split('\n')
                     .filter(QRegularExpression("^(Name|Exec|StartupWMClass)=")),
                 (QStringList{"Name=ヌモリカマイメニュ",
                              "Exec=\"" + QFileInfo(menu).absoluteFilePath() + "\"",
                              "StartupWMClass=ヌモリカマイメニュ"}));
        QVERIFY(QFileInfo(base + "/prgbin/numorika.svg").size() > 100);
        QCOMPARE(RunAdmin({"desktop-entry", base}), 0);
        QVERIFY(QFileInfo(lastOutput_.section(": ", 1).trimmed()).isFile() &&
                lastOutput_.contains(lockFolder_.filePath("data/applications/" +
                                                          DesktopEntryId(base) + ".desktop")));
        ExecuteOn(config, "UPDATE 動作環境定義 SET 運用事業所コード = '001'");
        QVERIFY(RunAdmin({"init", base}) == 2 && lastError_.contains("usrcnfg.accdb"));
        QCOMPARE(QueryValue(config, "SELECT 運用事業所コード FROM 動作環境定義"), QVariant("001"));
    }

    // The whole command line reaches the start row, Qt's own options too (a platform named on
    // it would otherwise stop the start); a second start of the same user, whatever its
    // temporary folder, brings the running menu to the front and ends; SIGTERM ends the run in
    // order.
    void runsOnceAndEndsInOrderOnTermination() {
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString config = base + "/conf/usrcnfg.accdb";
        const QString menu = base + "/prgbin/ヌモリカマイメニュ";
        const QString start = QStringLiteral("開始 -reverse -style X'1 -platform nowhere");

        QProcess first;
        QVERIFY(Start(first, menu, {"-reverse", "-style", "X'1", "-platform", "nowhere"}));
        QTRY_COMPARE_WITH_TIMEOUT(HistoryNotes(config), QStringList{start}, 15000);

        QProcess second;
        QProcessEnvironment elsewhere = environment_;
        elsewhere.insert(QStringLiteral("TMPDIR"), dir.path());
        QVERIFY(Start(second, menu, {}, elsewhere));
        QVERIFY(second.waitForFinished(15000) && second.exitCode() == 0);
        QCOMPARE(HistoryNotes(config).size(), 1);
        // The running menu was asked to the front, and answered.
        QVERIFY(QString::fromUtf8(second.readAllStandardError())
                    .contains(QStringLiteral("起動中のメニューを前面に表示しました。")));

        QVERIFY(Terminate(first) && first.exitStatus() == QProcess::NormalExit);
        QCOMPARE(HistoryNotes(config), (QStringList{start, QStringLiteral("終了")}));
    }

    // A signal ends the run in order at any point: SIGINT as SIGTERM; during the first-run message
    // without starting the setup program; a further one closes a box that holds the end up. A
    // runtime folder that is not the user's own does not stop the start: the lock goes to the
    // user's cache folder, and the pipe beside it goes with the menu.
    void endsInOrderOnASignal_data() {
        Columns<int, QString, QString>("signal", "fault", "last");
        Row("SIGINT", SIGINT, "", "終了");
        Row("a runtime folder not the user's own", SIGTERM, "foreign runtime", "終了");
        Row("during the first-run message", SIGTERM, "no config", "");
        Row("a box does not hold the end up", SIGTERM, "ALTER TABLE 動作環境定義 RENAME TO 控え",
            "終了");
        // 8 × 10^9 rows for every history row: the end row is stopped, not waited for.
        Row("a trigger that never ends", SIGTERM,
            QString("CREATE TRIGGER 無限 AFTER INSERT ON プログラム稼動履歴 BEGIN SELECT count(*) "
                    "FROM json_each(J) a, json_each(J) b, json_each(J) c; END")
                .replace("J",
                         "(SELECT '[' || replace(printf('%.*c', 1999, 'x'), 'x', '1,') || '1]')"),
            "開始 ");
    }
    void endsInOrderOnASignal() {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString config = base + "/conf/usrcnfg.accdb";
        // A stand-in for the setup program that leaves a mark when it is started.
        const QString setup = base + "/prgbin/動作環境設定.exe";
        QVERIFY(QFile::remove(setup));
        QVERIFY(WriteFile(setup, "#!/bin/sh\ntouch \"$0.started\"\n"));
        QVERIFY(QFile::setPermissions(setup, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(fault != "no config" || QFile::remove(config));
        QProcessEnvironment environment = environment_;
        const QString own = dir.filePath("cache/ヌモリカマイメニュ/");
        if (fault == "foreign runtime") {
            const QByteArray runtime = QFile::encodeName(dir.filePath("run"));
            QCOMPARE(::mkdir(runtime.constData(), 0500), 0);
            QVERIFY(::geteuid() != 0 || ::chown(runtime.constData(), 65534, 65534) == 0);
            environment.insert("XDG_RUNTIME_DIR", QString::fromLocal8Bit(runtime));
            environment.insert("XDG_CACHE_HOME", dir.filePath("cache"));
        }
        QProcess menu;
        QVERIFY(Start(menu, base + "/prgbin/ヌモリカマイメニュ", {}, environment));
        const pid_t pid = pid_t(menu.processId());
        if (fault == "no config") {
            // The handlers are in place; the message waits in its own event loop.
            QTRY_VERIFY_WITH_TIMEOUT(Catches(pid, SIGTERM), 15000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(HistoryNotes(config).size(), 1, 15000);
        }
        if (fault.startsWith("CREATE")) {
            ExecuteOn(config, fault);
        }
        if (fault.startsWith("ALTER")) {
            // The signed-in code cannot be cleared: the box of that must not hold the end up.
            ExecuteOn(config, fault);
        }
        const QStringList held = QDir(own).entryList(QDir::Files | QDir::System);
        ::kill(pid, Cell<int>("signal"));
        QVERIFY(menu.waitForFinished(15000));
        if (fault == "foreign runtime") {
            QCOMPARE(held.filter(".lock").size() + held.filter(".front").size(), 2);
            QCOMPARE(QDir(own).entryList(QDir::Files | QDir::System).filter(".front"),
                     QStringList());
        }
        QCOMPARE(menu.exitStatus(), QProcess::NormalExit);
        QThread::msleep(300);
        QCOMPARE(QFileInfo::exists(setup + ".started"), false);
        QTEST(QFileInfo::exists(config) ? HistoryNotes(config).last() : QString(), "last");
    }

    // On a file system of another machine (FUSE here, as for a mounted share) the configuration
    // file uses the rollback journal, also when it was left with a write-ahead log.
    void aSharedFolderUsesTheRollbackJournal() {
        if (QStandardPaths::findExecutable("bindfs").isEmpty()) {
            QSKIP("bindfs is not installed (scripts/install-deps.sh installs it)");
        }
        QTemporaryDir dir;
        const QString local = dir.filePath("local");
        const QString shared = dir.filePath("shared");
        QCOMPARE(RunAdmin({"init", local}), 0);
        ExecuteOn(local + "/conf/usrcnfg.accdb", "PRAGMA journal_mode = WAL");
        QVERIFY(QDir().mkpath(shared));
        if (QProcess::execute("bindfs", {"--no-allow-other", local, shared}) != 0) {
            QSKIP("FUSE cannot be mounted here");
        }
        const auto unmount = qScopeGuard([&] {
            QProcess::execute("fusermount3", {"-u", shared}) == 0 ||
                QProcess::execute("umount", {shared});
        });
        const QString config = shared + "/conf/usrcnfg.accdb";
        // Waited for by the file's time alone: a connection of the test's own would be another
        // program that has the file open, and the menu would rightly keep the log.
        const QDateTime before = QFileInfo(config).lastModified();
        QProcess menu;
        QVERIFY(Start(menu, shared + "/prgbin/ヌモリカマイメニュ"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(config).lastModified() != before, 15000);
        QThread::msleep(500);
        QVERIFY(Terminate(menu));
        QCOMPARE(QueryValue(config, "PRAGMA journal_mode"), QVariant("delete"));
        QCOMPARE(HistoryNotes(config).last(), QStringLiteral("終了"));
    }

    // A backup killed at any point leaves in every group last week's files, byte for byte, or
    // the new ones whole; the next run finishes or throws away what the killed one left.
    void aKilledBackupKeepsAWholeGeneration_data() {
        Columns<int, int>("notices", "delay");
        Row("first slice begins", 1, 0);
        Row("third slice half-way", 3, 100);
        Row("fifth slice ends", 5, 250);
    }
    void aKilledBackupKeepsAWholeGeneration() {
        TestInstallation install;
        const QString business = install.businessPath();
        ExecuteOn(business,
                  "CREATE TABLE T営業受注明細 (番号 INTEGER, 営業受注日付 TEXT, 摘要 TEXT)");
        const QString addRows =
            "WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE "
            "i < %2) INSERT INTO T営業受注明細 SELECT i, printf('2024%04d', i % "
            "1000), hex(randomblob(40)) FROM n";
        ExecuteOn(business, addRows.arg(1).arg(1000));
        QTemporaryDir folder;
        const QStringList arguments{"backup", install.base(), "--folder", folder.path()};
        QCOMPARE(RunAdmin(arguments), 0);
        const QString weekday = WeekdayFolder(folder.path(), QDate::currentDate());
        const auto previous = FileBytes(weekday);
        ExecuteOn(business, addRows.arg(1001).arg(400000));

        QProcess backup;
        QVERIFY(Start(backup, QStringLiteral(ADMIN_TOOL), arguments));
        backup.setReadChannel(QProcess::StandardError);
        for (int seen = 0; seen < Cell<int>("notices");) {
            QVERIFY(backup.canReadLine() || backup.waitForReadyRead(10000));
            seen += backup.canReadLine() && backup.readLine().contains("T営業受注明細") ? 1 : 0;
        }
        QThread::msleep(Cell<int>("delay"));
        backup.kill();
        QVERIFY(backup.waitForFinished(10000));

        for (const char* group : {"mstdb", "zandb", "tridb", "rtrdb", "sumdb"}) {
            const auto now = FileBytes(weekday, {group + QStringLiteral("*.mdb")});
            auto before = previous;
            before.removeIf([group](auto file) { return !file.key().startsWith(group); });
            QMap<QString, qint64> rows, expected;
            for (const QString& file : now == before ? QStringList() : now.keys()) {
                const QString path = weekday + "/" + file;
                QCOMPARE(QueryValue(path, "PRAGMA integrity_check"), QVariant("ok"));
                const QString tables =
                    "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                    "name NOT LIKE 'numorika%'";
                for (const QString& name : RowTexts(QueryRows(path, tables), {"name"})) {
                    rows[name] += QueryValue(path, "SELECT count(*) FROM " + name).toLongLong();
                    expected[name] =
                        QueryValue(business, "SELECT count(*) FROM " + name).toLongLong();
                }
            }
            QCOMPARE(rows, expected);
        }

        QCOMPARE(RunAdmin(arguments), 0);
        QCOMPARE(QueryValue(weekday + "/tridb.mdb", "SELECT count(*) FROM T営業受注明細").toInt(),
                 400000);
        QCOMPARE(QDir(weekday).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // A menu goes out as JSON and comes back exact, under another code and to colleagues; rows
    // of a member of staff are never overwritten unasked.
    void menusMoveBetweenStaffExactly() {
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString business = base + "/data/gnrdb.accdb";
        ExecuteOn(business,
                  "INSERT INTO ヌモリカマイメニュ (担当者コード, メニュタブ位置, 機能名) VALUES "
                  "('00012', 0, 'it''s 𠮷'), ('00012', 1, NULL), ('00099', 0, '他人')");
        ExecuteOn(
            business,
            "INSERT INTO ヌモリカマイメニュ詳細 (担当者コード, メニュタブ位置, メニュ詳細位置, "
            "プログラム名, 説明, filepath, 条件項目値A, 条件項目値B) VALUES ('00012', 0, 3, "
            "'売上?入力 😀', '一行目\r\n二行目\"''', '', '000100', NULL)");
        // Null reads "Null", an empty text nothing: the two stay apart.
        const auto rowsOf = [&](const char* staff) {
            QStringList rows;
            for (const char* table : {"ヌモリカマイメニュ", "ヌモリカマイメニュ詳細"}) {
                for (QVariantMap row :
                     QueryRows(business,
                               QString("SELECT * FROM %1 WHERE 担当者コード = '%2' ORDER BY rowid")
                                   .arg(table, staff))) {
                    row.remove("担当者コード");
                    rows << RowTexts({row});
                }
            }
            return rows;
        };
        ExecuteOn(business, "INSERT INTO M担当者 (コード) VALUES ('00012'), ('00099'), ('00100')");
        const QString file = dir.filePath("menu.json");
        const QStringList before = rowsOf("00012");
        QCOMPARE(RunAdmin({"menu", "export", base, "00012", file}), 0);
        const qsizetype notes = HistoryNotes(base + "/conf/usrcnfg.accdb").size();
        QCOMPARE(RunAdmin({"menu", "import", base, "00012", file, "--replace"}), 0);
        QCOMPARE(rowsOf("00012"), before);
        // One row for the member, whatever the number of menu rows.
        QCOMPARE(HistoryNotes(base + "/conf/usrcnfg.accdb").size(), notes + 1);
        QVERIFY(HistoryNotes(base + "/conf/usrcnfg.accdb").last().startsWith("出力終了 INSERT"));

        QCOMPARE(RunAdmin({"menu", "import", base, "00099", file}), 2);
        QCOMPARE(rowsOf("00099").size(), 1);  // left as it was
        QCOMPARE(RunAdmin({"menu", "copy", base, "00012", "00099", "00100", "--replace"}), 0);
        QCOMPARE(rowsOf("00099") + rowsOf("00100"), rowsOf("00012") + rowsOf("00012"));
        QCOMPARE(rowsOf("00012").size(), 3);
    }

    // A slip of the administrator (a wrong file, a wrong code) is refused with one line and
    // leaves the menu and the run history as they were.
    void aMenuSlipChangesNothing_data() {
        Columns<QStringList, QString, int, QString>("command", "json", "status", "line");
        const QStringList import{"menu", "import", "BASE", "00012", "FILE", "--replace"};
        const QString tab = "{\"ヌモリカマイメニュ\": [%1], \"ヌモリカマイメニュ詳細\": [%2]}";
        const QString row = "{\"メニュタブ位置\": 0, \"メニュ詳細位置\": %1}";
        Row("a whole menu", import, tab.arg("{\"メニュタブ位置\": 2, \"機能名\": null}", ""), 0,
            "");
        Row("empty", import, "{}", 2, "表「ヌモリカマイメニュ」が行の配列で有りません。");
        Row("misspelled table", import,
            "{\"ヌモリカマイメニュ\": [], \"ヌモリカマイメニュ明細\": []}", 2,
            "知らない表「ヌモリカマイメニュ明細」が有ります。");
        Row("table not an array", import, tab.arg("", "").replace("[]", "{}"), 2,
            "表「ヌモリカマイメニュ」が行の配列で有りません。");
        Row("row not an object", import, tab.arg("", "1"), 2,
            "の 1 行目が行 (オブジェクト) で有りません。");
        Row("unknown column", import, tab.arg("", row.arg("0, \"色\": \"\"")), 2,
            "「色」は知らない列です。");
        Row("position missing", import, tab.arg("{}", ""), 2, "に「メニュタブ位置」が有りません。");
        Row("tab 3", import, tab.arg("{\"メニュタブ位置\": 3}", ""), 2,
            "0 から 2 の整数で有りません。");
        Row("button 100", import, tab.arg("", row.arg("100")), 2, "0 から 99 の整数で有りません。");
        Row("button 99", import, tab.arg("", row.arg("99")), 0, "");
        Row("position as text", import, tab.arg("{\"メニュタブ位置\": \"0\"}", ""), 2,
            "0 から 2 の整数で有りません。");
        Row("another member's row", import, tab.arg("", row.arg("0, \"担当者コード\": \"00099\"")),
            2, "担当者コードが「00012」で有りません。");
        Row("number for a text", import, tab.arg("", row.arg("0, \"説明\": 1")), 2,
            "「説明」が文字列で有りません。");
        Row("title of 21 bytes", import,
            tab.arg("{\"メニュタブ位置\": 0, \"機能名\": \"全角十文字ですよ全角a\"}", ""), 2,
            "「機能名」が 20 バイトを超えています。");
        Row("title of 20 bytes", import,
            tab.arg("{\"メニュタブ位置\": 0, \"機能名\": \"全角十文字ですよ全角\"}", ""), 0, "");
        Row("value of 126 bytes", import,
            tab.arg("", row.arg("0, \"条件項目値Z\": \"" + QString(126, 'z') + "\"")), 2,
            "「条件項目値Z」が 125 バイトを超えています。");
        Row("four tabs", import, tab.arg(QStringList(4, "{\"メニュタブ位置\": 0}").join(','), ""),
            2, "表「ヌモリカマイメニュ」の行が 3 を超えています。");
        Row("301 buttons", import, tab.arg("", QStringList(301, row.arg("0")).join(',')), 2,
            "表「ヌモリカマイメニュ詳細」の行が 300 を超えています。");
        Row("over 10 MB", import,
            tab.arg("", row.arg("0, \"filepath\": \"" + QString(10 << 20, 'p') + "\"")), 2,
            "は 10 MB を超えています。");
        Row("import to nobody", QStringList{"menu", "import", "BASE", "00077", "FILE"},
            tab.arg("", ""), 2,
            "担当者「00077」は M担当者 に有りません (それでも書き込むには --force)。");
        Row("import to nobody, forced",
            QStringList{"menu", "import", "BASE", "00077", "FILE", "--force"}, tab.arg("", ""), 0,
            "");
        Row("copy to nobody", QStringList{"menu", "copy", "BASE", "00012", "00077"}, "", 2,
            "担当者「00077」は M担当者 に有りません (それでも書き込むには --force)。");
        Row("copy to nobody, forced",
            QStringList{"menu", "copy", "BASE", "00012", "00077", "--force"}, "", 0, "");
        Row("show nobody", QStringList{"menu", "show", "BASE", "00077"}, "", 1,
            "担当者「00077」は M担当者 に有りません。");
    }
    void aMenuSlipChangesNothing() {
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString business = base + "/data/gnrdb.accdb";
        ExecuteOn(business, "INSERT INTO M担当者 (コード) VALUES ('00012')");
        ExecuteOn(business, "INSERT INTO ヌモリカマイメニュ VALUES ('00012', 1, '元')");
        QVERIFY(WriteFile(dir.filePath("menu.json"), Cell<QString>("json").toUtf8()));
        const auto data = FileBytes(base + "/data", {"*"});
        const QStringList notes = HistoryNotes(base + "/conf/usrcnfg.accdb");
        QStringList command = Cell<QStringList>("command");
        command.replaceInStrings(QRegularExpression("^BASE$"), base)
            .replaceInStrings(QRegularExpression("^FILE$"), dir.filePath("menu.json"));
        QCOMPARE(RunAdmin(command), status);
        if (status != 0) {
            QCOMPARE(lastError_.count('\n'), 1);
            QVERIFY2(lastError_.endsWith(Cell<QString>("line") + "\n"), qPrintable(lastError_));
            QCOMPARE(FileBytes(base + "/data", {"*"}), data);
            QCOMPARE(HistoryNotes(base + "/conf/usrcnfg.accdb"), notes);
        } else if (command[1] != "show") {
            QCOMPARE(HistoryNotes(base + "/conf/usrcnfg.accdb").size(), notes.size() + 1);
        }
    }

    // The run history by day, program, person and errors, oldest first; CSV quotes what needs it.
    void theHistoryIsFiltered_data() {
        Columns<QStringList, int>("options", "rows");
        Row("everything", QStringList{}, 301);
        Row("one day, its last second included",
            QStringList{"--since", "20261203", "--until", "20261203"}, 30);
        Row("one program", QStringList{"--program", "売上入力"}, 100);
        Row("one member of staff, errors only", QStringList{"--staff", "00002", "--errors"}, 10);
        Row("one user, one day",
            QStringList{"--user", "hanako", "--since", "20261201", "--until", "20261201"}, 10);
    }
    void theHistoryIsFiltered() {
        QFETCH(QStringList, options);
        const QString base = historyBase();
        for (const bool csv : {false, true}) {
            QCOMPARE(RunAdmin(QStringList{"history", base} + options), 0);
            // A header, then one line a row (the CSV note with a line break takes two).
            QTEST(int(lastOutput_.count(csv ? "\r\n" : "\n")) - 1, "rows");
            options << "--csv";
        }
        if (QByteArrayView(QTest::currentDataTag()) == "everything") {  // as CSV
            QVERIFY(lastOutput_.contains("\"it's, \"\"quoted\"\"\n行\"\r\n"));
            QVERIFY(lastOutput_.endsWith(",\"\n\"\r\n"));
            QVERIFY(lastOutput_.indexOf("20261201 100290") < lastOutput_.indexOf("20261210"));
        }
    }

    // check names what keeps the menu from starting, and changes nothing.
    void checkNamesWhatStopsTheMenu_data() {
        Columns<QString, int, QString>("fault", "status", "line");
        Row("good", "", 0, "[OK] 会社: 自社");
        Row("configuration missing", "no config", 1, "[NG] 設定ファイル");
        Row("business file of another kind", "foreign", 1, "[NG] 業務データベース");
        Row("business file from Access", "access", 1,
            "「numorika-admin import-access 元のファイル ");
        Row("company row missing", "DELETE FROM Mユーザ", 1, "[NG] 会社");
        Row("backup folder not a folder", "UPDATE Mユーザ SET BACKUPフォルダ = 'CONFIG'", 0,
            "[NG] バックアップフォルダ");
    }
    void checkNamesWhatStopsTheMenu() {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString config = base + "/conf/usrcnfg.accdb";
        const QString business = base + "/data/gnrdb.accdb";
        if (fault == "no config") {
            QVERIFY(QFile::remove(config));
        } else if (fault == "foreign" || fault == "access") {
            QVERIFY(WriteFile(
                business,
                (fault == "access" ? QByteArray("\0\1\0\0Standard Jet DB", 19) : QByteArray())
                    .leftJustified(4096, 'x')));
        } else if (!fault.isEmpty()) {
            ExecuteOn(business, fault.replace("CONFIG", config));
        }
        const auto conf = FileBytes(base + "/conf", {"*"});
        const auto data = FileBytes(base + "/data", {"*"});
        QTEST(RunAdmin({"check", base}), "status");
        QVERIFY2(lastOutput_.contains(Cell<QString>("line")), qPrintable(lastOutput_));
        QCOMPARE(FileBytes(base + "/conf", {"*"}), conf);
        QCOMPARE(FileBytes(base + "/data", {"*"}), data);
    }

    // share gives an installation to a group once and says what it changed; an unknown group or a
    // folder that is no installation is refused; check names what the group could not write.
    void sharingGivesTheInstallationToAGroup_data() {
        Columns<QString, QString, int, QString>("before", "command", "status", "line");
        Row("share", "", "share BASE GROUP", 0, "BASE/conf: 権限 0755 → 2770");
        Row("share again", "share", "share BASE GROUP", 0,
            "変更は有りません。既にグループ「GROUP」で共有しています。");
        Row("unknown group", "", "share BASE numorika-none", 2,
            "グループ「numorika-none」が有りません。");
        Row("no installation", "", "share DIR GROUP", 2, "「DIR」はインストールではありません");
        Row("init for a group", "", "init DIR/y --group GROUP", 0,
            "「GROUP」の担当者で共有します。");
        Row("init for an unknown group", "", "init DIR/y --group numorika-none", 2,
            "グループ「numorika-none」が有りません。");
        Row("check of a shared installation", "share", "check BASE", 0,
            "[OK] 共有: グループ GROUP の担当者が書き込めます");
        Row("check of a file closed to the group", "share closed", "check BASE", 0,
            "[NG] 共有: グループ GROUP の担当者が書き込めないもの: BASE/data/gnrdb.accdb");
    }
    void sharingGivesTheInstallationToAGroup() {
        QFETCH(QString, before);
        const mode_t umask = ::umask(022);
        const auto restore = qScopeGuard([umask] { ::umask(umask); });
        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString group = QString::fromLocal8Bit(::getgrgid(::getegid())->gr_name);
        if (before.contains("share")) {
            QCOMPARE(RunAdmin({"share", base, group}), 0);
        }
        if (before.contains("closed")) {
            QVERIFY(QFile::setPermissions(base + "/data/gnrdb.accdb",
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        }
        const auto placed = [&](QString text) {
            return text.replace("BASE", base).replace("DIR", dir.path()).replace("GROUP", group);
        };
        QTEST(RunAdmin(placed(Cell<QString>("command")).split(' ')), "status");
        QVERIFY2((lastOutput_ + lastError_).contains(placed(Cell<QString>("line"))),
                 qPrintable(lastOutput_ + lastError_));
        // A refused init makes nothing.
        QCOMPARE(QFileInfo::exists(dir.filePath("y")), lastOutput_.contains("作成しました"));
    }

    // The scheduled backup of the file server runs when the environment definition asks for it.
    void theScheduledBackupKeepsItsHours() {
        QTemporaryDir dir;
        const QString base = Installed(dir);
        ExecuteOn(base + "/conf/usrcnfg.accdb",
                  "UPDATE 動作環境定義 SET 月曜バックアップ = 1, バックアップ開始時刻 = '17:00'");
        const QStringList backup{"backup", base, "--scheduled", "--folder", dir.filePath("b")};
        QCOMPARE(RunAdmin(backup, "2026-12-07 17:01:00"), 0);
        QVERIFY(QFileInfo::exists(dir.filePath("b/ヌモリカ/Monday/mstdb.mdb")));
        QVERIFY(RunAdmin(backup, "2026-12-07 18:00:00") == 0 && lastOutput_.contains("済んで"));
    }

    // The administrator's proof that a backup is whole: every table with its file and its rows;
    // a table that did not arrive whole fails the run.
    void theBackupAccountsForEveryTable() {
        TestInstallation install;
        ExecuteOn(install.businessPath(), "CREATE TABLE T承認 (番号 INTEGER)");
        ExecuteOn(install.businessPath(), "INSERT INTO T承認 VALUES (1), (2)");
        ExecuteOn(install.businessPath(), "CREATE TABLE S担当者予算 (対象年月 TEXT)");
        QVERIFY(WriteFile(install.path("manual/a.jpg")));
        ExecuteOn(install.businessPath(),
                  "UPDATE Mユーザ SET 写真フォルダ = '" + install.path("manual") + "'");
        QTemporaryDir folder;
        const QStringList arguments{"backup", install.base(), "--folder", folder.path()};
        QCOMPARE(RunAdmin(arguments), 0);
        QVERIFY(
            QFileInfo::exists(WeekdayFolder(folder.path(), QDate::currentDate()) + "写真/a.jpg"));
        QVERIFY(lastOutput_.contains("\ntridb.mdb\tT承認\t2\t2\t一致\n"));
        // A photo that cannot be written where it goes: the folder is named, nothing is complete.
        QVERIFY(WriteFile(install.path("manual/b.jpg")));
        QVERIFY(QDir().mkpath(WeekdayFolder(folder.path(), QDate::currentDate()) + "写真/b.jpg"));
        QCOMPARE(RunAdmin(arguments), 2);
        QVERIFY(lastError_.contains("フォルダ「" + install.path("manual") + "」"));
        QVERIFY(!lastOutput_.contains("バックアップを完了しました"));
        QVERIFY(QFile::remove(install.path("manual/b.jpg")));
        ExecuteOn(install.businessPath(), "CREATE TABLE \"dbo.T承認\" (番号 INTEGER)");
        QCOMPARE(RunAdmin(arguments), 2);
        QVERIFY(lastOutput_.contains("\ntridb.mdb\tT承認\t0\t0\t不一致\n"));
        QVERIFY(!lastOutput_.contains("バックアップを完了しました"));
    }

    // The administrator verifies a weekday's backup and restores it into a new file, never over
    // a file that exists.
    void theBackupIsVerifiedAndRestored() {
        TestInstallation install;
        ExecuteOn(install.businessPath(), "CREATE TABLE T承認 (番号 INTEGER)");
        ExecuteOn(install.businessPath(), "INSERT INTO T承認 VALUES (1), (2)");
        QTemporaryDir folder;
        const QStringList where{install.base(),
                                QDir(WeekdayFolder(folder.path(), QDate::currentDate())).dirName(),
                                "--folder", folder.path()};
        QCOMPARE(RunAdmin(QStringList{"backup"} + where.mid(0, 1) + where.mid(2)), 0);
        QCOMPARE(RunAdmin(QStringList{"backup", "verify"} + where), 0);
        QVERIFY(lastOutput_.contains("\ntridb.mdb\tT承認\t2\t2\t一致\n"));
        const QString file = folder.filePath("restored.accdb");
        QVERIFY(WriteFile(file, "kept"));
        const QStringList restore = QStringList{"restore"} + where + QStringList{"--into", file};
        QCOMPARE(RunAdmin(restore), 2);
        QCOMPARE(FileBytes(folder.path(), {"restored.accdb"}).value("restored.accdb"), "kept");
        QVERIFY(QFile::remove(file));
        QCOMPARE(RunAdmin(restore + QStringList{"--tables", "T承認"}), 0);
        QCOMPARE(QueryValue(file, "SELECT group_concat(番号) FROM T承認"), "1,2");
        QVERIFY(QFile::remove(folder.filePath("ヌモリカ/" + where[1] + "/sumdb.mdb")));
        QCOMPARE(RunAdmin(QStringList{"backup", "verify"} + where), 2);
    }

    // PINs reach the tool on standard input only; what it stores signs in, the older form is
    // rewritten once, and a new installation has a system privileged PIN of its own.
    void thePinCommandsStoreWhatSignsIn() {
        QCOMPARE(RunAdmin({"pin", "encode"}, {}, "ab\n"), 2);
        QVERIFY(RunAdmin({"pin", "encode"}, {}, "ab12\n") == 0 && lastError_.contains("6文字以上"));
        const QString encoded = lastOutput_.trimmed();
        QVERIFY(encoded.startsWith("$argon2id$"));

        QTemporaryDir dir;
        const QString base = Installed(dir);
        const QString systemPin =
            lastOutput_.section(QStringLiteral("システム特権暗証番号: "), 1).section('\n', 0, 0);
        QCOMPARE(systemPin.size(), 8);
        const QString business = base + "/data/gnrdb.accdb";
        const QString stored =
            QueryValue(business, "SELECT システム特権暗証番号 FROM Mユーザ").toString();
        QVERIFY(CodeConverter::verify(stored, systemPin) &&
                !CodeConverter::verify(stored, "QXVWT47"));

        // Rows of the older form, as an earlier version stored them.
        ExecuteOn(business,
                  QString("INSERT INTO M担当者 (コード, 氏名, 暗証番号, 在籍区分, 事業所コード) "
                          "VALUES ('00012', '鈴木', 'NMK1$qYpBYJa88FdYN8ZUNGB9cOeK8sM', '0', "
                          "'000'), ('00013', '田中', '%1', NULL, NULL)")
                      .arg(encoded));
        ExecuteOn(business, "UPDATE M事業所 SET 特権暗証番号 = 'NMK1$asR4_nZ9udwI8M91w38CT9Gsjsw'");
        QVERIFY(RunAdmin({"pin", "upgrade", base}) == 0 && lastOutput_.contains("2 件"));
        const auto pinOf = [&](const QString& code) {
            return QueryValue(business,
                              "SELECT 暗証番号 FROM M担当者 WHERE コード = '" + code + "'")
                .toString();
        };
        QVERIFY(CodeConverter::verify(pinOf("00012"), "AB12"));
        QCOMPARE(pinOf("00013"), encoded);
        QVERIFY(CodeConverter::verify(
            QueryValue(business, "SELECT 特権暗証番号 FROM M事業所").toString(), "BOSS"));
        QVERIFY(RunAdmin({"pin", "upgrade", base}) == 0 && lastOutput_.contains("0 件"));

        QCOMPARE(RunAdmin({"pin", "set", base, "00012"}, {}, "xy98zw\n"), 0);
        QVERIFY(CodeConverter::verify(pinOf("00012"), "XY98ZW"));
        QCOMPARE(RunAdmin({"pin", "set", base, "99999"}, {}, "xy98zw\n"), 1);
        QCOMPARE(RunAdmin({"pin", "set", base, "00012"}, {}, "xy9\n"), 2);
        QVERIFY(CodeConverter::verify(pinOf("00012"), "XY98ZW"));
        QCOMPARE(RunAdmin({"pin", "set", base, "00012"}, {}, QByteArray(129, 'p') + "\n"), 2);
        QCOMPARE(RunAdmin({"pin", "set", base, "00012"}, {}, QByteArray(128, 'p') + "\n"), 0);
    }

    // Asked for help, the tool and each subcommand show their usage and do nothing else; a
    // usage error is one line that names the problem and where the help is. Every row runs in an
    // empty folder that must stay empty.
    void theCommandLineHelpsAndRefuses_data() {
        Columns<QStringList, int, QString>("arguments", "status", "shown");
        Row("help", QStringList{"--help"}, 0, "使い方: numorika-admin コマンド");
        Row("short help", QStringList{"-h"}, 0, "使い方: numorika-admin コマンド");
        Row("help of init, before BASE", QStringList{"init", "--help", "x"}, 0,
            "使い方: numorika-admin init BASE");
        Row("help of init, after BASE", QStringList{"init", "x", "-h"}, 0,
            "使い方: numorika-admin init BASE");
        Row("help of desktop-entry", QStringList{"desktop-entry", "--help"}, 0,
            "使い方: numorika-admin desktop-entry BASE");
        Row("help of a group", QStringList{"menu", "--help"}, 0,
            "使い方: numorika-admin menu show BASE STAFF");
        Row("help of history", QStringList{"history", "--help"}, 0,
            "使い方: numorika-admin history BASE");
        Row("version", QStringList{"--version"}, 0, "numorika-admin " NUMORIKA_VERSION);
        Row("nothing", QStringList{}, 2, "詳しくは numorika-admin --help");
        Row("unknown command", QStringList{"frob"}, 2, "詳しくは numorika-admin --help");
        Row("unknown option", QStringList{"--frob"}, 2, "詳しくは numorika-admin --help");
        Row("group alone", QStringList{"menu"}, 2, "詳しくは numorika-admin menu --help");
        Row("unknown in a group", QStringList{"pin", "frob"}, 2,
            "詳しくは numorika-admin pin --help");
        Row("no BASE", QStringList{"init"}, 2, "詳しくは numorika-admin init --help");
        Row("empty BASE", QStringList{"init", ""}, 2, "詳しくは numorika-admin init --help");
        Row("option for BASE", QStringList{"init", "-x"}, 2, "詳しくは numorika-admin init --help");
        Row("dash BASE after --", QStringList{"init", "--", "-x"}, 2,
            "詳しくは numorika-admin init --help");
        Row("two BASEs", QStringList{"init", "x", "y"}, 2, "詳しくは numorika-admin init --help");
        Row("empty server", QStringList{"init", "x", "--server", ""}, 2,
            "詳しくは numorika-admin init --help");
        Row("folder without DIR", QStringList{"backup", "x", "--folder"}, 2,
            "詳しくは numorika-admin backup --help");
        Row("option for DIR", QStringList{"backup", "x", "--folder", "--scheduled"}, 2,
            "詳しくは numorika-admin backup --help");
        Row("PIN on the command line", QStringList{"pin", "encode", "ab12"}, 2,
            "詳しくは numorika-admin pin encode --help");
        Row("copy to nobody", QStringList{"menu", "copy", "x", "00001"}, 2,
            "詳しくは numorika-admin menu copy --help");
        Row("not a day", QStringList{"history", "x", "--since", "2026"}, 2,
            "詳しくは numorika-admin history --help");
        Row("no such tab", QStringList{"command", "x", "00001", "3", "0"}, 2,
            "詳しくは numorika-admin command --help");
    }
    void theCommandLineHelpsAndRefuses() {
        QFETCH(int, status);
        QFETCH(QString, shown);
        QTemporaryDir folder;
        QProcessEnvironment environment = environment_;
        environment.insert("HOME", folder.path());
        environment.insert("XDG_DATA_HOME", folder.path());
        QProcess admin;
        admin.setWorkingDirectory(folder.path());
        QVERIFY(Start(admin, ADMIN_TOOL, Cell<QStringList>("arguments"), environment));
        QVERIFY(admin.waitForFinished(30000));
        QCOMPARE(admin.exitCode(), status);
        const QString out = QString::fromUtf8(admin.readAllStandardOutput());
        const QString err = QString::fromUtf8(admin.readAllStandardError());
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        if (status == 0) {
            QCOMPARE(out.section('\n', 0, 0).left(shown.size()), shown);
            for (const QString& line : out.split('\n')) {
                QVERIFY2(ShiftJisLength(line) <= 80, qPrintable(line));
            }
        } else {
            QCOMPARE(out, QString());
            QCOMPARE(err.count('\n'), 1);
            QVERIFY2(err.endsWith(shown + "\n"), qPrintable(err));
        }
    }

    // The Debian package of this version holds the programs where init finds them, and what
    // a desktop and the system around it read; it depends on what the programs load.
    void thePackageHoldsWhatItNames_data() {
        Columns<QString, QString>("field", "expected");
        Row("the tool", "", "-rwxr-xr-x root/root .* ./usr/bin/numorika-admin");
        Row("the menu", "", "-rwxr-xr-x root/root .* ./usr/lib/numorika/ヌモリカマイメニュ");
        Row("the setup", "", "-rwxr-xr-x root/root .* ./usr/lib/numorika/動作環境設定.exe");
        Row("the demo program", "", " ./usr/lib/numorika/numorika-demo-program");
        Row("manual page", "", " ./usr/share/man/man1/numorika-admin.1.gz");
        Row("completion", "", " ./usr/share/bash-completion/completions/numorika-admin");
        Row("desktop template", "", " ./usr/share/numorika/numorika.desktop.in");
        Row("scalable icon", "", " ./usr/share/icons/hicolor/scalable/apps/numorika.svg");
        Row("smallest icon", "", " ./usr/share/icons/hicolor/16x16/apps/numorika.png");
        Row("largest icon", "", " ./usr/share/icons/hicolor/256x256/apps/numorika.png");
        Row("metainfo", "", " ./usr/share/metainfo/org.numorika.admin.metainfo.xml");
        Row("backup service", "", " ./lib/systemd/system/numorika-backup@.service");
        Row("backup timer", "", " ./lib/systemd/system/numorika-backup@.timer");
        Row("copyright", "", " ./usr/share/doc/numorika/copyright");
        Row("linked Qt", "Depends", "libqt6widgets6 ");
        Row("linked libsodium", "Depends", "libsodium23 ");
        Row("loaded SQLite driver", "Depends", "libqt6sql6-sqlite");
        Row("version", "Version", "^" NUMORIKA_VERSION "$");
    }
    void thePackageHoldsWhatItNames() {
        QFETCH(QString, field);
        const QStringList packages =
            QDir(PACKAGE_FOLDER).entryList({"numorika_" NUMORIKA_VERSION "_*.deb"});
        if (QStandardPaths::findExecutable("dpkg-deb").isEmpty() || packages.isEmpty()) {
            QSKIP("no dpkg-deb or no dist/numorika_" NUMORIKA_VERSION
                  "_*.deb "
                  "(scripts/package.sh makes it)");
        }
        QProcess dpkg;
        const QString deb = QDir(PACKAGE_FOLDER).filePath(packages.first());
        dpkg.start("dpkg-deb",
                   field.isEmpty() ? QStringList{"-c", deb} : QStringList{"-f", deb, field});
        QVERIFY(dpkg.waitForFinished(30000));
        const QString listed = QString::fromUtf8(dpkg.readAllStandardOutput());
        const QRegularExpression expected(Cell<QString>("expected") + (field.isEmpty() ? "$" : ""),
                                          QRegularExpression::MultilineOption);
        QVERIFY2(expected.match(listed).hasMatch(), qPrintable(listed));
    }

    // The tool resolves a condition with the day it runs on, the company's calendar and the
    // installation's office; the rules themselves are the text tests' to check.
    void conditionsResolveOnTheDayTheyRun_data() {
        Columns<QString, QString, QString, QString>("day", "name", "value", "expected");
        Row("current period start", "2024-05-15", "開始日付", "当期期首", "20240401");
        Row("empty start date: a month back", "2024-03-31", "開始日付", "", "20240229");
        Row("office of the installation", "2024-05-15", "事業所コード", "", "000");
    }
    void conditionsResolveOnTheDayTheyRun() {
        QCOMPARE(RunAdmin({"condition", demoBase(), Cell<QString>("name"), Cell<QString>("value")},
                          Cell<QString>("day")),
                 0);
        QCOMPARE(lastOutput_, Cell<QString>("expected") + "\n");
    }

    void theCommandIsTheOneAClickStarts() {
        QCOMPARE(RunAdmin({"command", demoBase(), "00001", "0", "3"}, "2024-05-15"), 0);
        const QString printed = lastOutput_.chopped(1);
        QCOMPARE(printed, demoBase() + "/prgbin/得意先別売上集計.exe 2024042024040001009999990110");

        TestContext t(demoBase() + "/prgbin");
        QVERIFY(OpenEnvironment(t.ctx) && LoadCompanySettings(t.ctx));
        t.ctx.staff.code = QStringLiteral("00001");
        t.clock.current = QDateTime(QDate(2024, 5, 15), QTime(9, 0));
        t.shell.startResult = true;
        LaunchMenuEntry(t.ctx, 0, 3, kMenuTable);
        QCOMPARE(t.shell.started.value(0).path + " " + t.shell.started.value(0).argument, printed);

        QCOMPARE(RunAdmin({"command", demoBase(), "00001", "1", "7"}), 1);
    }

private:
    // A new installation made by the admin tool in dir.
    QString Installed(const QTemporaryDir& dir) {
        const QString base = dir.filePath(QStringLiteral("x"));
        if (RunAdmin({"init", base}) != 0) {
            QTest::qFail(qPrintable(lastError_), __FILE__, __LINE__);
        }
        return base;
    }

    // The demonstration installation, made at its first use.
    QString demoBase() {
        const QString base = demoDir_.filePath(QStringLiteral("demo"));
        if (!QFileInfo::exists(base) && RunAdmin({"init", base, "--demo"}) != 0) {
            QTest::qFail(qPrintable(lastError_), __FILE__, __LINE__);
        }
        return base;
    }

    // Runs the admin tool; on a fixed day through faketime when day is given.
    int RunAdmin(const QStringList& arguments, const QString& day = {},
                 const QByteArray& input = {}) {
        QProcess admin;
        const QStringList faked{day.contains(' ') ? day : day + " 09:00:00", ADMIN_TOOL};
        Start(admin, day.isEmpty() ? ADMIN_TOOL : "faketime",
              (day.isEmpty() ? QStringList() : faked) + arguments);
        admin.write(input);
        admin.closeWriteChannel();
        if (!admin.waitForFinished(30000)) {
            return -1;
        }
        lastError_ = QString::fromUtf8(admin.readAllStandardError());
        lastOutput_ = QString::fromUtf8(admin.readAllStandardOutput());
        return admin.exitCode();
    }

    // An installation whose run history holds 301 rows over ten days: three programs, three
    // members of staff, a tenth of them errors, one note with a comma, quotes and a line break,
    // the last of only a line break.
    QString historyBase() {
        const QString base = historyDir_.filePath("x");
        if (QFileInfo::exists(base) || RunAdmin({"init", base}) != 0) {
            return base;
        }
        const QString config = base + "/conf/usrcnfg.accdb";
        ExecuteOn(
            config,
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 298) "
            "INSERT INTO プログラム稼動履歴 (実行日付, プログラムID, proccounter, 摘要, "
            "起動担当者コード, ユーザID) SELECT printf('202612%02d %06d', 1 + i % 10, iif(i "
            "= 0, 0, 100000 + i)), json_extract('[\"売上入力\", \"受注入力\", "
            "\"ヌモリカマイメニュ\"]', '$[' || (i % 3) || ']'), i, iif(i % 10 = 3, 'エラー ', "
            "'開始 ') || i, '0000' || (1 + i % 3), json_extract('[\"taro\", \"hanako\", "
            "\"jiro\"]', '$[' || (i % 3) || ']') FROM n");
        ExecuteOn(config,
                  "INSERT INTO プログラム稼動履歴 (実行日付, プログラムID, proccounter, 摘要, "
                  "起動担当者コード, ユーザID) VALUES ('20261210 100299', 'ヌモリカマイメニュ', "
                  "'299', 'it''s, \"quoted\"' || char(10) || '行', '00003', 'jiro'), ('20261210 "
                  "100300', 'ヌモリカマイメニュ', '300', char(10), '00003', 'jiro')");
        return base;
    }

    bool Start(QProcess& process, const QString& program, const QStringList& arguments = {},
               const std::optional<QProcessEnvironment>& environment = {}) {
        process.setProcessEnvironment(environment.value_or(environment_));
        process.start(program, arguments);
        return process.waitForStarted();
    }

    // Whether the process has a handler of that signal in place.
    static bool Catches(pid_t pid, int signal) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        const QByteArray all = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
        const QByteArray mask = all.mid(all.indexOf("SigCgt:") + 7).trimmed().left(16);
        return (mask.toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }

    // Ends a program as the session's end does, with SIGTERM.
    static bool Terminate(QProcess& process) {
        ::kill(pid_t(process.processId()), SIGTERM);
        return process.waitForFinished(15000);
    }

    QTemporaryDir lockFolder_;
    QTemporaryDir historyDir_;
    QProcessEnvironment environment_;
    QString lastError_;
    QString lastOutput_;
    QTemporaryDir demoDir_;
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
