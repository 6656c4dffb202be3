#include "TestSupport.h"

namespace {
enum class Fault { Missing, Folder, Unreadable, RandomBytes, ReadOnly, Locked, WriteLocked };

QByteArray Fingerprint(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QFileInfo(path).isDir() ? QByteArray("folder") : QByteArray("unreadable");
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Another program of the suite in the middle of a long write: sqlite3 holds an exclusive lock
// until its input closes.
class LockHolder {
public:
    explicit LockHolder(const QString& path) {
        process_.start(QStringLiteral("sqlite3"), {path});
        process_.waitForStarted();
        process_.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        while (process_.state() == QProcess::Running && !process_.canReadLine()) {
            process_.waitForReadyRead(5000);
        }
        locked_ = process_.readLine().trimmed() == "locked";
    }
    ~LockHolder() {
        process_.closeWriteChannel();
        process_.waitForFinished(5000);
    }
    bool locked() const { return locked_; }

private:
    QProcess process_;
    bool locked_ = false;
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
        QVERIFY(recordset.isOpen());
        QVERIFY(recordset.atEnd());
        QVERIFY(recordset.hasField(QStringLiteral("運用事業所コード")));
        recordset.close();
        QVERIFY(HistoryNotes(install.configPath()).isEmpty());
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
        QFETCH(QString, sql);
        QFETCH(bool, recorded);
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        t.ctx.databaseDefinition.kind = QStringLiteral("A");
        QVERIFY(OpenBusinessConnection(t.ctx));
        QVERIFY(!(Cell<bool>("business") ? ExecuteBusiness(t.ctx, sql, true)
                                         : ExecuteConfig(t.ctx, sql)));
        const QStringList notes = HistoryNotes(install.configPath());
        QCOMPARE(notes.size(), recorded ? 1 : 0);
        if (recorded) {
            QVERIFY2(notes[0].startsWith(QStringLiteral("エラー ")), qPrintable(notes[0]));
            QVERIFY2(notes[0].endsWith(sql), qPrintable(notes[0]));
        }
    }

    void businessOpenFailures_data() {
        Columns<QString, QString, QString>("kind", "fileContent", "saying");
        Row("file kind opens", "A", "", "");
        Row("unknown kind", "X", "", "データベース種別「X」は不明です。");
        Row("kind compared exactly", "a", "", "データベース種別「a」は不明です。");
        Row("empty kind", "", "", "データベース種別「」は不明です。");
        Row("server down", "S", "server", "/nonexistent-numorika-socket");
        // Another provider is opened by what it is: the file of an ACE provider, a DSN of ODBC.
        Row("other source through the ACE provider", "O", "", "");
        Row("other source through an ODBC name that does not exist", "O", "dsn",
            "ODBC「DSN=nowhere;UID=u;PWD=****;」に接続できません");
    }
    void businessOpenFailures() {
        QFETCH(QString, fileContent);
        QFETCH(QString, saying);
        TestInstallation install;
        if (fileContent == QLatin1String("server")) {
            ExecuteOn(
                install.configPath(),
                "UPDATE データベース定義 SET プロバイダ名 = 'PostgreSQL', サーバー名 = "
                "'/nonexistent-numorika-socket:5999', データベース名 = 'gnr', ユーザーID = 'u'");
        } else if (fileContent == QLatin1String("dsn")) {
            ExecuteOn(install.configPath(),
                      "UPDATE データベース定義 SET プロバイダ名 = 'MSDASQL', データソース名 = "
                      "'nowhere', ユーザーID = 'u'");
        }
        ExecuteOn(install.configPath(), "UPDATE データベース定義 SET db = '" +
                                            Cell<QString>("kind") + "', パスワード = 'secret'");
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        const bool opened = OpenBusinessConnection(t.ctx);
        QCOMPARE(opened, saying.isEmpty());
        QCOMPARE(t.ctx.business.openFlag, opened);
        const QStringList notes = HistoryNotes(install.configPath());
        if (opened) {
            QVERIFY(notes.isEmpty());
            return;
        }
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes[0].startsWith(QStringLiteral("エラー DB_OPEN ERROR")), qPrintable(notes[0]));
        QVERIFY2(notes[0].contains(saying), qPrintable(notes[0]));
        QVERIFY(!notes[0].contains(QStringLiteral("secret")));
    }

    void reopensTheConfiguration() {
        TestInstallation install;
        TestContext t(install.programFolder());
        QVERIFY(LoadEnvironment(t.ctx));
        QVERIFY(ReopenConfigConnection(t.ctx));
        QVERIFY(t.ctx.config.isOpen());
        t.ctx.config.close();
        QVERIFY(t.ctx.config.openFlag);  // a close leaves the flag as it is
        QVERIFY(QFile::remove(install.configPath()));
        QVERIFY(!ReopenConfigConnection(t.ctx));
        QVERIFY(!t.ctx.config.openFlag);
        QVERIFY(!QFileInfo::exists(install.configPath()));  // nothing was created in its place
    }

    void parsesWhatItComposes_data() {
        Columns<QString, QString, QString>("text", "provider", "dataSource");
        Row("configuration",
            "Provider=Microsoft.ACE.OLEDB.12.0;User "
            "ID=;Password=;Data Source=/b/conf/usrcnfg.accdb",
            "Microsoft.ACE.OLEDB.12.0", "/b/conf/usrcnfg.accdb");
        Row("path holding a semicolon",
            "Provider=Microsoft.Jet.OLEDB.4.0;User ID=;Password=;Data Source=/b;c/usrcnfg.mdb;",
            "Microsoft.Jet.OLEDB.4.0", "/b;c/usrcnfg.mdb");
        Row("path holding two semicolons in a row", "Provider=P;Data Source=/b;;c/usrcnfg.mdb;",
            "P", "/b;;c/usrcnfg.mdb");
        Row("keys in any case", "provider=X;DATA SOURCE=/d.accdb", "X", "/d.accdb");
        Row("blanks kept in values", "Provider=P;Data Source=/my files/d.accdb;", "P",
            "/my files/d.accdb");
    }
    void parsesWhatItComposes() {
        const auto fields = ParseConnectionString(Cell<QString>("text"));
        QTEST(fields.value(QStringLiteral("provider")), "provider");
        QTEST(fields.value(QStringLiteral("data source")), "dataSource");
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
        Columns<bool, Fault, bool, QString, QString>("business", "fault", "opens", "message",
                                                     "errorRow");
        const QString sysOpen = QStringLiteral("SYB_OPEN ERROR");
        const QString dbOpen = QStringLiteral("エラー DB_OPEN ERROR");
        Row("config missing", false, Fault::Missing, false, "", "");
        // A folder of the file's name is no file: the first-run path, without an open error.
        Row("config is a folder", false, Fault::Folder, false, "", "");
        Row("config unreadable", false, Fault::Unreadable, false, sysOpen, "");
        Row("config random bytes", false, Fault::RandomBytes, false, sysOpen, "");
        Row("config read-only", false, Fault::ReadOnly, true, "", "");
        Row("config locked", false, Fault::Locked, false, sysOpen, "");
        // Once in WAL mode, a writer's lock keeps out writes only: the menu opens and its rows
        // are skipped after the timeout.
        Row("config locked for writing", false, Fault::WriteLocked, true, "", "");
        Row("business missing", true, Fault::Missing, false, "", dbOpen);
        Row("business is a folder", true, Fault::Folder, false, "", dbOpen);
        Row("business unreadable", true, Fault::Unreadable, false, "", dbOpen);
        Row("business random bytes", true, Fault::RandomBytes, false, "", dbOpen);
        Row("business read-only", true, Fault::ReadOnly, true, "", "");
        Row("business locked", true, Fault::Locked, false, "", dbOpen);
    }
    void aFaultyFileNeverCrashesOrLosesData() {
        QFETCH(bool, business);
        QFETCH(Fault, fault);
        QFETCH(QString, message);
        QFETCH(QString, errorRow);
        TestInstallation install;
        const QString path = business ? install.businessPath() : install.configPath();
        const QString other = business ? install.configPath() : install.businessPath();
        const QList<QVariantMap> otherRowsBefore = QueryRows(other, "SELECT * FROM sqlite_master");
        std::unique_ptr<LockHolder> lock;
        switch (fault) {
            case Fault::Missing:
                QVERIFY(QFile::remove(path));
                break;
            case Fault::Folder:
                QVERIFY(QFile::remove(path));
                QVERIFY(QDir().mkpath(path));
                break;
            case Fault::Unreadable:
            case Fault::ReadOnly: {
                const auto modes = fault == Fault::Unreadable
                                       ? QFile::Permissions()
                                       : QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
                QVERIFY(QFile::setPermissions(path, modes));
                QFile probe(path);
                if (probe.open(fault == Fault::Unreadable ? QIODevice::ReadOnly
                                                          : QIODevice::ReadWrite)) {
                    QSKIP("File modes do not bind this user; the unprivileged run covers this.");
                }
                break;
            }
            case Fault::RandomBytes: {
                QRandomGenerator random(20261207);
                QByteArray bytes(64 * 1024, Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
                QVERIFY(WriteFile(path, bytes));
                break;
            }
            case Fault::WriteLocked:
                ExecuteOn(path, "PRAGMA journal_mode = WAL");
                [[fallthrough]];
            case Fault::Locked:
                lock = std::make_unique<LockHolder>(path);
                QVERIFY(lock->locked());
                break;
        }
        const QByteArray before = Fingerprint(path);

        TestContext t(install.programFolder());
        t.ctx.config.settings.connectionTimeout = 1;
        t.ctx.business.settings.connectionTimeout = 1;
        t.shell.startResult = true;
        SingleInstance instance = InstanceOf(t);
        QElapsedTimer timer;
        timer.start();
        const auto window = Main(t.ctx, instance);
        // Each connection waits out its timeout once at most.
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        QTEST(bool(window), "opens");
        if (window) {
            ExitProgram(t.ctx);
        } else {
            QCOMPARE(t.dialogs.informations.size(), message.isEmpty() ? 1 : 2);
            QVERIFY(t.dialogs.informations.first().startsWith(message));
            QCOMPARE(t.dialogs.informations.last(), FirstRunMessage());
        }
        lock.reset();

        QCOMPARE(Fingerprint(path), before);
        QCOMPARE(QueryRows(other, "SELECT * FROM sqlite_master"), otherRowsBefore);
        if (!errorRow.isEmpty()) {
            const QStringList notes = HistoryNotes(install.configPath());
            QVERIFY2(notes.value(1).startsWith(errorRow), qPrintable(notes.join('|')));
            QCOMPARE(notes.last(), QStringLiteral("終了"));
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
        QVERIFY(QFile::remove(install.configPath()));
        QVERIFY(QFile::remove(install.businessPath()));
        window->load();
        ExitProgram(t.ctx);
        QVERIFY(t.ctx.ended);
        QVERIFY(!QFileInfo::exists(install.configPath()));
        QVERIFY(!QFileInfo::exists(install.businessPath()));
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
