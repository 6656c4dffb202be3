#include <QFile>
#include <QTest>

#include "TestInstallation.h"
#include "office/AccessRegistration.h"

namespace {
const QString kAppPaths =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSACCESS.EXE");
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
    bool keyExists(Hive hive, const QString& key) const override {
        return inner_.keyExists(hive, key);
    }
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

class TestAccessRegistration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void registersByTheVersionInTheAccessFolder_data() {
        QTest::addColumn<QString>("access");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QStringList>("officeKeys");
        QTest::newRow("Office12") << "C:\\Program Files\\Microsoft Office\\Office12\\" << true
                                  << QStringList{"12.0"};
        QTest::newRow("Office9: .mdb only") << "/opt/Office9/" << true << QStringList{};
        QTest::newRow("OFFICE10: .mdb only") << "/opt/OFFICE10/" << true << QStringList{};
        QTest::newRow("Office11: level") << "/opt/Office11/" << true << QStringList{"11.0"};
        QTest::newRow("office14") << "/opt/office14/" << true << QStringList{"14.0"};
        QTest::newRow("Office17 is 16.0") << "/opt/Office17/" << true << QStringList{"16.0"};
        QTest::newRow("Office18 is 17.0") << "/opt/Office18/" << true << QStringList{"17.0"};
        QTest::newRow("unknown version") << "/opt/Office13/" << false << QStringList{};
        QTest::newRow("no App Paths key") << QString() << false << QStringList{};
    }
    void registersByTheVersionInTheAccessFolder() {
        QFETCH(QString, access);
        QFETCH(bool, registered);
        QFETCH(QStringList, officeKeys);
        Workstation w(access, kFolder);
        QCOMPARE(RegisterAccess(w.ctx), registered);
        const auto mdb = w.value(kExtensions, "mdb");
        QVERIFY(mdb == (registered ? std::optional<RegistryValue>(access + "MSACCESS.EXE")
                                   : std::nullopt));
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
        QTest::addColumn<QString>("version");
        // Existing locations in creation order: "=" lists the folder, "?" has no path, any other
        // trusts a folder whose path merely contains the folder's.
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("network");
        QTest::addColumn<QString>("fault");  // a name whose write fails, or "unlisted"
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* version, const char* existing,
                            bool network, const char* fault, const char* added, QString message) {
            QTest::newRow(name) << version << existing << network << fault << added << message;
        };
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
        row("network write fails, listed", "16.0", "Location0 Location1=", true,
            "AllowNetworkLocations", "", cannotWrite);
        row("unlisted", "16.0", "Location0", false, "unlisted", "Location1", "");
        row("unlisted, listed", "16.0", "Location0 Location1=", false, "unlisted", "", "");
        row("cannot create", "16.0", "", false, "Location0", "",
            QStringLiteral("設定できません。"));
        row("14.0 unreadable", "14.0", "Location0?", false, "", "Location1",
            QStringLiteral("オープンできません。"));
        row("16.0 unreadable", "16.0", "Location0?", false, "", "Location1", "");
    }
    void neverListsAFolderTwiceNorOverwritesAnother() {
        QFETCH(QString, version);
        QFETCH(QString, existing);
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
        for (QString name : existing.split(' ', Qt::SkipEmptyParts)) {
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
        QVERIFY(w.value(TrustedKey(version), "AllowNetworkLocations") ==
                (network && fault != "AllowNetworkLocations"
                     ? std::optional<RegistryValue>(quint32{1})
                     : std::nullopt));
    }

    void storeKeepsTypesSpellingAndOrder() {
        QTemporaryDir dir;
        const QString machine = dir.filePath("hklm.json");
        const QString user = dir.filePath("new/hkcu.json");
        FileRegistryStore store(machine, user);
        QVERIFY(!store.setValue(kUser, "Software\\Numorika", "Text", "1"));
        QVERIFY(store.createKey(kUser, "Software\\Numorika"));
        QVERIFY(store.setValue(kUser, "SOFTWARE\\numorika", "Text", "1"));
        QVERIFY(store.setValue(kUser, "software\\NUMORIKA", "Number", 0xFFFFFFFFu));
        for (const char* name : {"B", "a", "C", "A"}) {
            QVERIFY(store.createKey(kUser, QStringLiteral("SOFTWARE\\numorika\\") + name));
        }
        const FileRegistryStore again(machine, user);
        QVERIFY(again.value(kUser, "software\\numorika", "TEXT") == RegistryValue("1"));
        QVERIFY(again.value(kUser, "software\\numorika", "number") == RegistryValue(0xFFFFFFFFu));
        QCOMPARE(again.subKeys(kUser, ""), QStringList{"Software"});
        QCOMPARE(again.subKeys(kUser, "Software\\Numorika"), QStringList({"B", "a", "C"}));
        QVERIFY(!QFile::exists(machine));
    }

    void storeKeepsACorruptHive_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray(R"({"keys": [)");
        QTest::newRow("a list") << QByteArray("[]");
        QTest::newRow("number too large") << QByteArray(
            R"({"keys": [], "values": [{"name": "n", "type": "REG_DWORD", "data": 4294967296}]})");
        QTest::newRow("empty file") << QByteArray();
    }
    void storeKeepsACorruptHive() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile file(dir.filePath("hkcu.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        FileRegistryStore store(file.fileName(), file.fileName());
        QVERIFY(!store.keyExists(kUser, ""));
        QVERIFY(!store.value(kUser, "", "n"));
        QVERIFY(!store.subKeys(kUser, ""));
        QVERIFY(!store.createKey(kUser, "Software"));
        QVERIFY(!store.setValue(kUser, "", "n", quint32{1}));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }
};

QTEST_GUILESS_MAIN(TestAccessRegistration)
#include "tst_access_registration.moc"
