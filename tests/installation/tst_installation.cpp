#include "TestSupport.h"

namespace {

const QString kAppPaths =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSACCESS.EXE");

class CountingPleaseWait final : public PleaseWait {
public:
    void show() override { ++shown; }
    void hide() override { ++hidden; }
    int shown = 0;
    int hidden = 0;
};

// A per-user installation; Access registered when asked.
struct PerUser {
    explicit PerUser(bool access = true) : install(TestInstallation::Nothing) {
        InstallationOptions options;
        options.perUser = true;
        if (const auto error = CreateInstallation(install.base(), options)) {
            qFatal("%s", qPrintable(*error));
        }
        // A form table whose attributes are not exactly those of a link is left alone.
        static_cast<void>(AddLinkedTable(
            install.path("report/repfrmdb.accdb"), "W他", "W帳票データ",
            ";DATABASE=" + install.path("report/repdb.accdb"), kLinkedTableAttributes | 2));
        if (access) {
            t.registry.createKey(Hive::LocalMachine, kAppPaths);
            t.registry.setValue(Hive::LocalMachine, kAppPaths, "Path",
                                QStringLiteral("/opt/Microsoft Office/Office12/"));
        }
    }
    QString own(const QString& file) const { return install.path("users/taro/" + file); }
    static QString linkOf(const QString& forms, const QString& table) {
        return QueryValue(forms, "SELECT connect FROM numorika_links WHERE name = '" + table + "'")
            .toString();
    }

    TestInstallation install;
    TestContext t{install.programFolder()};
};

const QString kExtensions =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Extensions");
const Hive kUser = Hive::CurrentUser;

QString TrustedKey(const QString& version, const QString& location = {}) {
    return QStringLiteral("Software\\Microsoft\\Office\\") + version +
           QStringLiteral("\\Access\\Security\\Trusted Locations") +
           (location.isEmpty() ? QString() : u'\\' + location);
}

// Passes everything to the hive files, except that writes of one name (a value or the last key of
// a path) fail, or with "unlisted" the sub-keys cannot be enumerated.
class FailingStore final : public RegistryStore {
public:
    FailingStore(RegistryStore& inner, QString failing) : inner_(inner), failing_(failing) {}
    bool keyExists(Hive h, const QString& key) const override { return inner_.keyExists(h, key); }
    bool createKey(Hive hive, const QString& key) override {
        return (failing_.isEmpty() || !key.endsWith(failing_)) && inner_.createKey(hive, key);
    }
    std::optional<RegistryValue> value(Hive hive, const QString& key,
                                       const QString& name) const override {
        return inner_.value(hive, key, name);
    }
    bool setValue(Hive hive, const QString& key, const QString& name,
                  const RegistryValue& value) override {
        return name != failing_ && inner_.setValue(hive, key, name, value);
    }
    std::optional<QStringList> subKeys(Hive hive, const QString& key) const override {
        return failing_ == "unlisted" ? std::nullopt : inner_.subKeys(hive, key);
    }

private:
    RegistryStore& inner_;
    QString failing_;
};

// A workstation whose machine hive names the Access folder (none when null) and whose user hive
// has the extensions key, as Windows always has.
struct Workstation {
    Workstation(const QString& accessFolder, const QString& folder, const QString& failing = {})
        : store(t.registry, failing), ctx(t.dialogs, t.shell, t.clock, store, t.ctx.process) {
        ctx.paths.userReportFolder = folder;
        if (!accessFolder.isNull()) {
            t.registry.createKey(Hive::LocalMachine, kAppPaths);
            t.registry.setValue(Hive::LocalMachine, kAppPaths, QStringLiteral("Path"),
                                accessFolder);
        }
        t.registry.createKey(kUser, kExtensions);
    }
    std::optional<RegistryValue> value(const QString& key, const char* name) const {
        return t.registry.value(kUser, key, QLatin1String(name));
    }
    QTemporaryDir dir;
    TestContext t{dir.path() + QStringLiteral("/prgbin")};
    FailingStore store;
    AppContext ctx;
};

const QString kFolder = QStringLiteral("/base/users/taro/report");
}  // namespace

class TestInstallationAndPerUser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsTheInstallation_data() {
        Columns<QString, QString>("programFolder", "base");
        Row("prgbin", "/x/base/prgbin", "/x/base/");
        Row("prgsrc sub-folder gives prgbin", "/x/base/prgsrc/sub", "/x/base/");
        Row("letter case ignored", "/x/base/PrgBin", "/x/base/");
        Row("prgbin wins over an earlier prgsrc", "/x/prgsrc/y/prgbin", "/x/prgsrc/y/");
        Row("first prgbin counts", "/a/prgbin/b/prgbin", "/a/");
    }
    void findsTheInstallation() {
        QFETCH(QString, base);
        InstallPaths paths;
        DeriveInstallFolders(paths, FindInstallBase(Cell<QString>("programFolder")).value_or(""));
        QCOMPARE((QStringList{paths.base, paths.root, paths.programFolder, paths.configFolder,
                              paths.reportFolder, paths.manualFolder}),
                 (QStringList{base, base.chopped(1), base + "prgbin", base + "conf",
                              base + "report", base + "manual"}));
    }

    void prefersAccdbOverMdb() {
        QTemporaryDir dir;
        const QString stem = dir.filePath(QStringLiteral("usrcnfg"));
        QCOMPARE(ProbeDatabaseKind(stem), DatabaseFileKind::None);
        QVERIFY(WriteFile(stem + ".accdb") && WriteFile(stem + ".mdb"));
        QCOMPARE(ProbeDatabaseKind(stem), DatabaseFileKind::Accdb);
    }

    void foldersOnTheWay_data() {
        Columns<QString, QStringList>("path", "folders");
        Row("network: server and share skipped", "//srv/share/a/b/f.mdb",
            QStringList{"//srv/share/a", "//srv/share/a/b"});
        Row("network without share", "//srv", QStringList{});
        Row("relative", "a/b/f.mdb", QStringList{});
    }
    void foldersOnTheWay() { QTEST(FoldersOnTheWay(Cell<QString>("path")), "folders"); }

    void ensureFoldersCreatesTheMissingOnes() {
        QTemporaryDir dir;
        FakeDialogs dialogs;
        const QString file = dir.filePath(QStringLiteral("users/taro/conf/usrcnfg.accdb"));
        EnsureFolders(dialogs, file);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("users/taro/conf"))).isDir() &&
                !QFileInfo::exists(file) && dialogs.informations.isEmpty());

        // A file in the way of a folder cannot be replaced: the message says so, once per folder.
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("blocked"))));
        EnsureFolders(dialogs, dir.filePath(QStringLiteral("blocked/sub/f.accdb")));
        QVERIFY(QRegularExpression("^DIREXISTCHK ERROR75 [^\n]*\rdirexeistchk$")
                    .match(dialogs.informations.join('\n'))
                    .hasMatch());
    }

    // Without prgbin there is none: tst_startup setupThatCannotStartIsReported.
    void setupCommand() {
        QCOMPARE(ComposeEnvironmentSetupCommand("/x/PRGBIN", "ヌモリカマイメニュ")->text(),
                 "/x/PRGBIN/動作環境設定.exe /x/,ヌモリカマイメニュ");
    }

    void theFirstStartCopiesAndRelinks() {
        PerUser p;
        CountingPleaseWait wait;
        p.t.ctx.pleaseWait = &wait;
        QVERIFY(OpenEnvironment(p.t.ctx));
        QVERIFY(QFileInfo::exists(p.own("conf/usrcnfg.accdb")) &&
                QFileInfo::exists(p.own("report/repdb.accdb")));
        QCOMPARE(QPair(wait.shown, wait.hidden), QPair(1, 1));
        const QString forms = p.own("report/repfrmdb.accdb");
        QCOMPARE(p.linkOf(forms, "W帳票データ"), ";DATABASE=" + p.own("report/repdb.accdb"));
        QCOMPARE(p.linkOf(forms, "W他"), ";DATABASE=" + p.install.path("report/repdb.accdb"));

        // The user's rows are read through the link.
        InsertRow(p.own("report/repdb.accdb"), "W帳票データ", {{"帳票ID", "R1"}, {"金額", 1200}});
        DbConnection reports(QStringLiteral("forms"), DbRole::Other);
        QVERIFY(reports.open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + forms));
        Recordset rows;
        QVERIFY(rows.open(reports.database(), "SELECT 金額 FROM W帳票データ WHERE 帳票ID = 'R1'"));
        QCOMPARE(rows.text("金額"), QStringLiteral("1200"));

        // The trusted location is the user's report folder.
        QCOMPARE(p.t.registry.value(kUser, TrustedKey("12.0", "Location0"), "Path"),
                 std::optional<RegistryValue>(p.own("report") + "/"));
    }

    // The user's report folder cannot be made: nothing is copied, Access is registered all the
    // same.
    void aFailedCopyStillRegistersAccess() {
        PerUser p;
        QVERIFY(QDir().mkpath(p.own("")));
        QVERIFY(WriteFile(p.own("report")));
        QVERIFY(OpenEnvironment(p.t.ctx));
        QVERIFY(!QFileInfo::exists(p.own("report/repdb.accdb")));
        QCOMPARE(p.t.registry.value(kUser, TrustedKey("12.0", "Location0"), "Path"),
                 std::optional<RegistryValue>(p.own("report") + "/"));
    }

    // Without Access nothing is relinked; a second start copies nothing over the user's files.
    void withoutAccessNothingIsRelinked() {
        PerUser p(false);
        QVERIFY(OpenEnvironment(p.t.ctx));
        CloseEnvironment(p.t.ctx);
        const QString forms = p.own("report/repfrmdb.accdb");
        QCOMPARE(p.linkOf(forms, "W帳票データ"),
                 ";DATABASE=" + p.install.path("report/repdb.accdb"));
        InsertRow(p.own("report/repdb.accdb"), "W帳票データ", {{"帳票ID", "mine"}});
        ExecuteOn(forms, "UPDATE numorika_links SET connect = ';DATABASE=/elsewhere.accdb'");
        TestContext again(p.install.programFolder());
        CountingPleaseWait wait;
        again.ctx.pleaseWait = &wait;
        QVERIFY(OpenEnvironment(again.ctx));
        QCOMPARE(wait.shown, 0);
        QCOMPARE(QueryRows(p.own("report/repdb.accdb"), "SELECT * FROM W帳票データ").size(), 1);
        QCOMPARE(p.linkOf(forms, "W帳票データ"), QStringLiteral(";DATABASE=/elsewhere.accdb"));
    }

    void aLinkMustFindItsTable() {
        PerUser p;
        const QString forms = p.install.path("report/repfrmdb.accdb");
        QVERIFY(!RelinkTable(forms, "W帳票データ", ";DATABASE=" + p.install.configPath()));
        QVERIFY(!RelinkTable(forms, "W帳票データ", ";DATABASE=/nowhere.accdb"));
        QVERIFY(!RelinkTable(forms, "無い", ";DATABASE=" + p.install.path("report/repdb.accdb")));
        QCOMPARE(p.linkOf(forms, "W帳票データ"),
                 ";DATABASE=" + p.install.path("report/repdb.accdb"));
    }

    void compactionTargets_data() {
        Columns<QString, QString>("path", "target");
        Row("capitals", "/r/REPDB.ACCDB", "/r/REPDBbak.accdb");
        Row("mdb", "/r/gnrdb.mdb", "/r/gnrdbbak.mdb");
        Row("other", "/r/notes.txt", "");
    }
    void compactionTargets() { QTEST(CompactionTarget(Cell<QString>("path")), "target"); }

    void compactingKeepsTheDataOrTheFile() {
        PerUser p;
        const QString reports = p.install.path("report/repdb.accdb");
        InsertRow(reports, "W帳票データ", {{"帳票ID", "R1"}});
        QVERIFY(CompactDatabaseFile(reports) &&
                QFileInfo::exists(p.install.path("report/repdbbak.accdb")));
        QCOMPARE(QueryValue(reports, "SELECT value FROM numorika_info WHERE key = 'locale'"),
                 ";LANGID=0x0411;CP=932;COUNTRY=0");
        // The copy of the earlier compaction is still there.
        InsertRow(reports, "W帳票データ", {{"帳票ID", "R2"}});
        QVERIFY(CompactDatabaseFile(reports));
        QCOMPARE(QueryRows(reports, "SELECT * FROM W帳票データ").size(), 2);

        const QString broken = p.install.path("report/broken.accdb");
        QVERIFY(WriteFile(broken, QByteArray(4096, 'x')));
        QVERIFY(!CompactDatabaseFile(broken));
        QCOMPARE(FileBytes(p.install.path("report"), {"broken.accdb"}).value("broken.accdb"),
                 QByteArray(4096, 'x'));
    }

    // Sources closed to others: the user's copies, the compacted files, the backup and its
    // weekday folder are closed to others too.
    void copiesAreNoMoreReadableThanTheirSource_data() {
        Columns<QString>("copy");
        Row("configuration copy", "users/taro/conf/usrcnfg.accdb");
        Row("report database copy", "users/taro/report/repdb.accdb");
        Row("report forms copy", "users/taro/report/repfrmdb.accdb");
        Row("compacted configuration", "users/taro/conf/usrcnfgbak.accdb");
        Row("compacted report database", "users/taro/report/repdbbak.accdb");
        Row("backup file", "backup/ヌモリカ/Sunday/mstdb.mdb");
        Row("backup manifest", "backup/ヌモリカ/Sunday/mstdb.manifest.json");
        Row("weekday folder", "backup/ヌモリカ/Sunday");
    }
    void copiesAreNoMoreReadableThanTheirSource() {
        PerUser p;
        for (const QString source : {"conf/usrcnfg.accdb", "report/repdb.accdb",
                                     "report/repfrmdb.accdb", "data/gnrdb.accdb"}) {
            QVERIFY(QFile::setPermissions(p.install.path(source),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        }
        QVERIFY(OpenEnvironment(p.t.ctx));
        QVERIFY(
            BackupDatabases(p.t.ctx, WeekdayFolder(p.install.path("backup"), QDate(2024, 5, 19)))
                .complete());
        OptimiseConfiguration(p.t.ctx);
        // The owner's right shows that the copy is there.
        QCOMPARE(QFileInfo(p.install.path(Cell<QString>("copy"))).permissions() &
                     (QFile::ReadOwner | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
                 QFile::ReadOwner);
    }

    void optimisingRestartsTheRun() {
        PerUser p;
        FakeNotice notice;
        p.t.ctx.notice = &notice;
        QVERIFY(OpenEnvironment(p.t.ctx));
        OptimiseConfiguration(p.t.ctx);
        QCOMPARE(notice.notice, QStringLiteral("動作環境定義情報の最適化"));
        QVERIFY(p.t.ctx.config.isOpen() && QFileInfo::exists(p.own("conf/usrcnfgbak.accdb")) &&
                QFileInfo::exists(p.own("report/repdbbak.accdb")));
        CloseEnvironment(p.t.ctx);
        QCOMPARE(RowTexts(QueryRows(p.own("conf/usrcnfg.accdb"),
                                    "SELECT substr(proccounter, -1) || 摘要 AS R FROM "
                                    "プログラム稼動履歴 ORDER BY rowid")),
                 (QStringList{"1開始 ", "2終了", "1開始 ", "2終了"}));
    }

    // Another program keeps the configuration open and writes before and after: the compacted
    // copy must not replace the file under it, or its later rows are lost.
    void aConfigurationInUseIsNotReplaced() {
        PerUser p;
        QVERIFY(OpenEnvironment(p.t.ctx));
        const QString config = p.own("conf/usrcnfg.accdb");
        // Room that a compaction would give back: the file shrinks when it is replaced.
        ExecuteOn(config,
                  "CREATE TABLE 作業 AS WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL "
                  "SELECT i + 1 FROM k WHERE i < 2000) SELECT randomblob(1000) FROM k");
        ExecuteOn(config, "DROP TABLE 作業");
        ExecuteOn(config, "PRAGMA wal_checkpoint(TRUNCATE)");
        const qint64 size = QFileInfo(config).size();
        DbConnection other(QStringLiteral("config"), DbRole::Configuration);
        QVERIFY(other.open(ComposeConfigConnectionString(DatabaseFileKind::Accdb, config, false)));
        const auto write = [&](const char* note) {
            QVERIFY(ExecuteStatement(
                other, ComposeHistoryStatement(p.t.clock.now(), 1, QString::fromUtf8(note), "001",
                                               "", "other")));
        };
        write("前");
        OptimiseConfiguration(p.t.ctx);
        QCOMPARE(QFileInfo(config).size(), size);
        write("後");
        other.close();
        CloseEnvironment(p.t.ctx);
        QCOMPARE(QueryValue(config, "PRAGMA integrity_check"), QVariant("ok"));
        QCOMPARE(HistoryNotes(config).filter(QRegularExpression("^(前|後)$")),
                 (QStringList{"前", "後"}));
    }

    void registersByTheVersionInTheAccessFolder_data() {
        Columns<QString, bool, QStringList>("access", "registered", "officeKeys");
        Row("Office12", "C:\\Program Files\\Microsoft Office\\Office12\\", true,
            QStringList{"12.0"});
        Row("OFFICE10: .mdb only", "/opt/OFFICE10/", true, QStringList{});
        Row("Office11: level", "/opt/Office11/", true, QStringList{"11.0"});
        Row("Office17 is 16.0", "/opt/Office17/", true, QStringList{"16.0"});
        Row("Office18 is 17.0", "/opt/Office18/", true, QStringList{"17.0"});
        Row("unknown version", "/opt/Office13/", false, QStringList{});
        Row("no App Paths key", QString(), false, QStringList{});
    }
    void registersByTheVersionInTheAccessFolder() {
        QFETCH(QString, access);
        QFETCH(bool, registered);
        QFETCH(QStringList, officeKeys);
        Workstation w(access, kFolder);
        QCOMPARE(RegisterAccess(w.ctx), registered);
        QVERIFY(
            w.value(kExtensions, "mdb") ==
            (registered ? std::optional<RegistryValue>(access + "MSACCESS.EXE") : std::nullopt));
        const QString office = QStringLiteral("Software\\Microsoft\\Office");
        QCOMPARE(w.t.registry.subKeys(kUser, office).value_or(QStringList()), officeKeys);
        if (officeKeys == QStringList{"11.0"}) {
            QVERIFY(w.value(office + "\\11.0\\Access\\Security", "Level") ==
                    RegistryValue(quint32{1}));
        } else if (!officeKeys.isEmpty()) {
            QVERIFY(w.value(TrustedKey(officeKeys[0], "Location0"), "Path") ==
                    RegistryValue(kFolder + "/"));
        }
        QCOMPARE(w.t.dialogs.informations, QStringList());
    }

    void neverListsAFolderTwiceNorOverwritesAnother_data() {
        // Existing locations in creation order: "=" lists the folder, "?" has no path, any other
        // trusts a folder whose path merely contains the folder's. The fault is a name whose
        // write fails, or "unlisted".
        Columns<QString, QString, bool, QString, QString, QString>("version", "existing", "network",
                                                                   "fault", "added", "message");
        const auto row = Row<const char*, const char*, bool, const char*, const char*, QString>;
        const QString cannotWrite = QStringLiteral("書き込みできません。");
        row("none", "16.0", "", false, "", "Location0", "");
        row("0 to 3", "16.0", "Location0 Location1 Location2 Location3", false, "", "Location4",
            "");
        row("2 and 3", "16.0", "Location2 Location3", false, "", "Location1", "");
        row("only 1", "16.0", "Location1", false, "", "Location", "");
        row("9 and 10", "16.0", "Location9 Location10", false, "", "Location11", "");
        row("listed", "16.0", "Location0 Location1=", false, "", "", "");
        row("network", "16.0", "", true, "", "Location0", "");
        row("network write fails", "16.0", "Location0", true, "AllowNetworkLocations", "Location1",
            cannotWrite);
        row("unlisted", "16.0", "Location0", false, "unlisted", "Location1", "");
        row("cannot create", "16.0", "", false, "Location0", "", "設定できません。");
        row("14.0 unreadable", "14.0", "Location0?", false, "", "Location1",
            "オープンできません。");
        row("16.0 unreadable", "16.0", "Location0?", false, "", "Location1", "");
    }
    void neverListsAFolderTwiceNorOverwritesAnother() {
        QFETCH(QString, version);
        QFETCH(bool, network);
        QFETCH(QString, fault);
        QFETCH(QString, added);
        QFETCH(QString, message);
        const QString folder = network ? "//server/share/taro/report" : kFolder;
        const QString other = "/srv" + folder + "/";
        Workstation w("/opt/Office" + version.left(2) + "/", folder, fault);
        QStringList names;
        QStringList others;
        QString listed = added;
        for (QString name : Cell<QString>("existing").split(' ', Qt::SkipEmptyParts)) {
            const QChar mark = name.back();
            name.chop(mark.isDigit() ? 0 : 1);
            names << name;
            listed = mark == '=' ? name : listed;
            others << (mark.isDigit() ? name : QString());
            w.t.registry.createKey(kUser, TrustedKey(version, name));
            if (mark != '?') {
                w.t.registry.setValue(kUser, TrustedKey(version, name), "Path",
                                      mark == '=' ? folder.toUpper() : other);
            }
        }
        for (int run = 0; run < 2; ++run) {
            QVERIFY(RegisterAccess(w.ctx));
            QCOMPARE(w.t.registry.subKeys(kUser, TrustedKey(version)).value_or(QStringList()),
                     added.isEmpty() ? names : names + QStringList{added});
        }
        QCOMPARE(w.t.dialogs.informations,
                 message.isEmpty() ? QStringList() : QStringList(2, message));
        for (const QString& name : others) {
            QVERIFY(name.isEmpty() ||
                    w.value(TrustedKey(version, name), "Path") == RegistryValue(other));
        }
        if (!listed.isEmpty()) {
            QVERIFY(w.value(TrustedKey(version, listed), "Path") == RegistryValue(folder + "/"));
            QVERIFY(w.value(TrustedKey(version, listed), "AllowSubfolder") ==
                    RegistryValue(quint32{1}));
        }
        // Compared with the value itself: an empty optional built beside it trips g++ 12's
        // maybe-uninitialized check at -O2.
        const auto networkLocations = w.value(TrustedKey(version), "AllowNetworkLocations");
        QVERIFY(network && fault != "AllowNetworkLocations"
                    ? networkLocations == RegistryValue(quint32{1})
                    : !networkLocations.has_value());
    }
};

QTEST_GUILESS_MAIN(TestInstallationAndPerUser)
#include "tst_installation.moc"
