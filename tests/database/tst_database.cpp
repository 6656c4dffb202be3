#include "TestSupport.h"

namespace {
enum class Fault {
    Missing,
    Folder,
    Unreadable,
    RandomBytes,
    ReadOnly,
    ReadOnlyFolder,
    Locked,
    WriteLocked
};

// Another program of the suite in the middle of a long write: sqlite3 holds an exclusive lock
// until its input closes.
struct LockHolder {
    explicit LockHolder(const QString& path) {
        process.start(QStringLiteral("sqlite3"), {path});
        process.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        while (process.waitForStarted() && !process.canReadLine()) {
            process.waitForReadyRead(5000);
        }
        locked = process.readLine().trimmed() == "locked";
    }
    ~LockHolder() {
        process.closeWriteChannel();
        process.waitForFinished(5000);
    }
    QProcess process;
    bool locked = false;
};
}  // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyResultLeavesAnOpenRecordset() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        Recordset recordset;
        QVERIFY(!OpenConfigRecordset(t.ctx, recordset,
                                     "SELECT * FROM 動作環境定義 WHERE 動作環境定義ID = '999'"));
        QVERIFY(recordset.isOpen() && recordset.atEnd() && recordset.hasField("運用事業所コード"));
        recordset.close();
        QVERIFY(HistoryNotes(install.configPath()).isEmpty());
    }

    // SQLite's "table locked" (here a statement of the same connection still reads the table) is
    // waited for and retried as a busy file is.
    void aLockedTableIsWaitedFor() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QSqlQuery reading(t.ctx.config.database());
        QVERIFY(reading.exec("SELECT * FROM 動作環境定義"));
        QVERIFY(reading.next());
        QTimer::singleShot(300, [&reading] { reading.finish(); });
        QVERIFY(ExecuteShared(t.ctx.config, "DROP TABLE 動作環境定義"));
    }

    void failuresLeaveErrorRows_data() {
        Columns<bool, QString, bool>("business", "sql", "recorded");
        Row("configuration", false, "UPDATE 無い表 SET a = 1", true);
        Row("configuration, run history named", false, "UPDATE プログラム稼動履歴 SET 無い列 = 1",
            false);
        Row("business, run history named", true, "UPDATE プログラム稼動履歴 SET 無い列 = 1", true);
        Row("business", true, "DELETE FROM 無い表", true);
    }
    void failuresLeaveErrorRows() {
        const QString& sql = Cell<QString>("sql");
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        t.ctx.databaseDefinition.kind = QStringLiteral("A");
        QVERIFY(OpenBusinessConnection(t.ctx));
        QVERIFY(!(Cell<bool>("business") ? ExecuteBusiness(t.ctx, sql, true)
                                         : ExecuteConfig(t.ctx, sql)));
        const QStringList notes = HistoryNotes(install.configPath());
        const bool recorded =
            notes.size() == 1 && notes[0].startsWith("エラー ") && notes[0].endsWith(sql);
        QVERIFY2(recorded == Cell<bool>("recorded"), qPrintable(notes.join('|')));
    }

    void businessOpenFailures_data() {
        Columns<QString, QString, QString>("kind", "source", "saying");
        Row("file kind opens", "A", "", "");
        // An unknown kind opens nothing, yet counts as open (its statements fail one by one).
        Row("unknown kind", "X", "", "");
        Row("kind compared exactly", "a", "", "");
        Row("server down", "S",
            ", プロバイダ名 = 'PostgreSQL', サーバー名 = '/nonexistent-numorika-socket:5999', "
            "データベース名 = 'gnr', ユーザーID = 'u'",
            "/nonexistent-numorika-socket");
        // Another provider is opened by what it is: the file of an ACE provider, a DSN of ODBC.
        Row("other source through the ACE provider", "O", "", "");
        Row("other source through an ODBC name that does not exist", "O",
            ", プロバイダ名 = 'MSDASQL', データソース名 = 'nowhere', ユーザーID = 'u'",
            "ODBC「DSN=nowhere;UID=u;PWD=****;」に接続できません");
    }
    void businessOpenFailures() {
        QFETCH(QString, saying);
        TestInstallation install;
        ExecuteOn(install.configPath(),
                  "UPDATE データベース定義 SET パスワード = 'secret', db = '" +
                      Cell<QString>("kind") + "'" + Cell<QString>("source"));
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        const bool opened = OpenBusinessConnection(t.ctx);
        QCOMPARE(opened, saying.isEmpty());
        QCOMPARE(t.ctx.business.openFlag(), opened);
        // One error row naming the cause, the password never in it.
        const QStringList notes = HistoryNotes(install.configPath());
        QVERIFY2(opened ? notes.isEmpty()
                        : notes.size() == 1 && notes[0].startsWith("エラー DB_OPEN ERROR") &&
                              notes[0].contains(saying) && !notes[0].contains("secret"),
                 qPrintable(notes.join('|')));
    }

    void reopensTheConfiguration() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(ReopenConfigConnection(t.ctx));
        QVERIFY(t.ctx.config.isOpen());
        t.ctx.config.close();
        QVERIFY(t.ctx.config.openFlag());  // a close leaves the flag as it is
        QVERIFY(QFile::remove(install.configPath()));
        QVERIFY(!ReopenConfigConnection(t.ctx));
        QVERIFY(!t.ctx.config.openFlag());
        QVERIFY(!QFileInfo::exists(install.configPath()));  // nothing was created in its place
    }

    // The exit's clear of the signed-in code tells its failure, unless no configuration was ever
    // open to hold the code or the run had already closed it for good.
    void theExitTellsAFailedClear_data() {
        Columns<QString, QStringList>("before", "boxes");
        Row("never opened", "", QStringList{});
        Row("lost by a failed re-open", "reopen",
            QStringList{"データベースに問題が発生し修正できませんでした。"});
        Row("closed on the way to the setup", "closed", QStringList{});
    }
    void theExitTellsAFailedClear() {
        const QString& before = Cell<QString>("before");
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(before.isEmpty() || LoadEnvironment(t.ctx));
        if (before == "reopen") {
            QVERIFY(QFile::remove(install.configPath()));
            QVERIFY(!ReopenConfigConnection(t.ctx));
        } else if (before == "closed") {
            CloseEnvironmentOnce(t.ctx);
        }
        ExitProgram(t.ctx);
        QTEST(t.dialogs.informations, "boxes");
    }

    // A bound text is stored exactly, also one that starts as a byte order mark would.
    void boundTextsAreStoredExactly_data() {
        Columns<QString>("text");
        Row("U+FEFF first", QChar(0xFEFF) + QString("bom"));
        Row("U+FFFE first", QChar(0xFFFE) + QString("bom"));
        Row("U+FEFF alone", QString(QChar(0xFEFF)));
    }
    void boundTextsAreStoredExactly() {
        const QString& text = Cell<QString>("text");
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(ExecuteStatement(t.ctx.config, "UPDATE 動作環境定義 SET バックアップ開始時刻 = ?",
                                 nullptr, {text}));
        // As stored: SQLite itself reads a U+FFFE back as U+FFFD, whoever stored it.
        QCOMPARE(StoredSetting(install, "hex(バックアップ開始時刻)"),
                 QString::fromLatin1(text.toUtf8().toHex().toUpper()));
    }

    void parsesWhatItComposes_data() {
        Columns<QString, QString>("text", "providerAndSource");
        Row("path holding a semicolon",
            "Provider=Microsoft.Jet.OLEDB.4.0;User ID=;Password=;Data Source=/b;c/usrcnfg.mdb;",
            "Microsoft.Jet.OLEDB.4.0|/b;c/usrcnfg.mdb");
        Row("two semicolons in a row", "Provider=P;Data Source=/b;;c/u.mdb;", "P|/b;;c/u.mdb");
        Row("keys in any case", "provider=X;DATA SOURCE=/d.accdb", "X|/d.accdb");
        Row("blanks kept in values", "Provider=P;Data Source=/my files/d.accdb;",
            "P|/my files/d.accdb");
    }
    void parsesWhatItComposes() {
        const auto fields = ParseConnectionString(Cell<QString>("text"));
        QTEST(fields.value("provider") + "|" + fields.value("data source"), "providerAndSource");
    }

    void fileProviders_data() {
        Columns<QString, bool>("provider", "file");
        Row("ACE", "Microsoft.ACE.OLEDB.12.0", true);
        Row("ACE 16", "Microsoft.ACE.OLEDB.16.0", true);
        Row("Jet", "Microsoft.Jet.OLEDB.4.0", true);
        Row("lower case", "microsoft.jet.oledb.4.0", true);
        Row("server", "SQLOLEDB", false);
        Row("empty", "", false);
    }
    void fileProviders() { QTEST(IsFileProvider(Cell<QString>("provider")), "file"); }

    void aFaultyFileNeverCrashesOrLosesData_data() {
        Columns<bool, Fault, bool, QString, QString>("business", "fault", "opens", "box", "row");
        Row("config missing", false, Fault::Missing, false, "", "");
        // A folder of the file's name is no file: the first-run path, without an open error.
        Row("config is a folder", false, Fault::Folder, false, "", "");
        Row("config unreadable", false, Fault::Unreadable, false, "SYB_OPEN ERROR", "");
        Row("config random bytes", false, Fault::RandomBytes, false, "SYB_OPEN ERROR", "");
        // A file the user cannot write is told at start, and the menu ends.
        Row("config read-only", false, Fault::ReadOnly, false, "設定ファイル「", "");
        Row("config locked", false, Fault::Locked, false, "SYB_OPEN ERROR", "");
        // Once in WAL mode, a writer's lock keeps out writes only: the menu opens and its rows
        // are skipped after the timeout.
        Row("config locked for writing", false, Fault::WriteLocked, true, "", "");
        Row("business missing", true, Fault::Missing, false, "", "エラー DB_OPEN ERROR");
        Row("business is a folder", true, Fault::Folder, false, "", "エラー DB_OPEN ERROR");
        Row("business unreadable", true, Fault::Unreadable, false, "", "エラー DB_OPEN ERROR");
        Row("business random bytes", true, Fault::RandomBytes, false, "", "エラー DB_OPEN ERROR");
        Row("business read-only", true, Fault::ReadOnly, false, "業務データベース「", "");
        Row("config folder read-only", false, Fault::ReadOnlyFolder, false,
            "設定ファイルのフォルダ「", "");
        Row("business folder read-only", true, Fault::ReadOnlyFolder, false,
            "業務データベースのフォルダ「", "");
        Row("business locked", true, Fault::Locked, false, "", "エラー DB_OPEN ERROR");
    }
    void aFaultyFileNeverCrashesOrLosesData() {
        QFETCH(bool, business);
        QFETCH(Fault, fault);
        QFETCH(QString, box);
        TestInstallation install;
        const QString path = business ? install.businessPath() : install.configPath();
        const QString other = business ? install.configPath() : install.businessPath();
        const QList<QVariantMap> otherRowsBefore = QueryRows(other, "SELECT * FROM sqlite_master");
        std::unique_ptr<LockHolder> lock;
        const QString folder = QFileInfo(path).path();
        const auto reopen = qScopeGuard(
            [&] { QFile::setPermissions(folder, QFile::permissions(folder) | QFile::WriteOwner); });
        if (fault == Fault::ReadOnlyFolder) {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            if (QFileInfo(folder).isWritable()) {
                QSKIP("File modes do not bind this user; the unprivileged run covers this.");
            }
        } else if (fault == Fault::Missing || fault == Fault::Folder) {
            QVERIFY(QFile::remove(path) && (fault == Fault::Missing || QDir().mkpath(path)));
        } else if (fault == Fault::Unreadable || fault == Fault::ReadOnly) {
            const bool noRead = fault == Fault::Unreadable;
            QVERIFY(QFile::setPermissions(path, noRead ? QFile::Permissions() : QFile::ReadOwner));
            QFile probe(path);
            if (probe.open(noRead ? QIODevice::ReadOnly : QIODevice::ReadWrite)) {
                QSKIP("File modes do not bind this user; the unprivileged run covers this.");
            }
        } else if (fault == Fault::RandomBytes) {
            QVERIFY(WriteFile(
                path,
                QCryptographicHash::hash("noise", QCryptographicHash::Sha512).repeated(1024)));
        } else {
            ExecuteOn(path, fault == Fault::WriteLocked ? "PRAGMA journal_mode = WAL"
                                                        : "PRAGMA journal_mode");
            lock = std::make_unique<LockHolder>(path);
            QVERIFY(lock->locked);
        }
        // The file with its bytes (none when unreadable); nothing when it is no file.
        const auto before = FileBytes(QFileInfo(path).path(), {QFileInfo(path).fileName()});

        TestContext t(install.programFolder());
        t.ctx.config.settings.connectionTimeout = 1;
        t.ctx.business.settings.connectionTimeout = 1;
        t.shell.startResult = true;
        SingleInstance instance = InstanceOf(t);
        const QDeadlineTimer deadline(10000);  // each connection waits out its timeout once at most
        const auto window = Main(t.ctx, instance);
        QVERIFY(!deadline.hasExpired());
        QTEST(bool(window), "opens");
        if (window) {
            ExitProgram(t.ctx);
        } else {
            QVERIFY(t.dialogs.informations.first().startsWith(box));
            QCOMPARE(t.dialogs.informations.mid(box.isEmpty() ? 0 : 1),
                     box.contains("「") ? QStringList() : QStringList{FirstRunMessage()});
        }
        lock.reset();

        QCOMPARE(FileBytes(QFileInfo(path).path(), {QFileInfo(path).fileName()}), before);
        QCOMPARE(QueryRows(other, "SELECT * FROM sqlite_master"), otherRowsBefore);
        if (const QString& errorRow = Cell<QString>("row"); !errorRow.isEmpty()) {
            const QStringList notes = HistoryNotes(install.configPath());
            QVERIFY2(notes.value(1).startsWith(errorRow) && notes.last() == "終了",
                     qPrintable(notes.join('|')));
        }
    }

    // Someone deletes the files under the running menu: it goes on, ends, and leaves no empty
    // database behind in their place.
    void filesDisappearingWhileOpen() {
        TestInstallation install;
        TestContext t(install.programFolder());
        SingleInstance instance = InstanceOf(t);
        const auto window = Main(t.ctx, instance);
        QVERIFY(window);
        QVERIFY(QFile::remove(install.configPath()) && QFile::remove(install.businessPath()));
        window->load();
        ExitProgram(t.ctx);
        QVERIFY(t.ctx.ended);
        QVERIFY(!QFileInfo::exists(install.configPath()) &&
                !QFileInfo::exists(install.businessPath()));
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
