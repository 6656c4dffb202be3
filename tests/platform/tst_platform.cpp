#include <functional>
#include "TestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const Hive kUser = Hive::CurrentUser;

// Acts on the modal widget of type T as soon as it is shown.
template <typename T>
void WhenShown(QObject* parent, std::function<void(T&)> act) {
    auto* timer = new QTimer(parent);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            act(*widget);
        }
    });
    timer->start(10);
}
// Makes path as a row names it: "unset" nothing, "link" a symbolic link to an own folder,
// "nobody" a folder of another user, else a folder of that octal mode.
bool Prepare(const QString& path, const QString& kind, const QString& ownElsewhere) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == "unset") {
        return true;
    }
    if (kind == "link") {
        return QDir().mkpath(ownElsewhere) && QFile::link(ownElsewhere, path);
    }
    if (::mkdir(name.constData(), 0700) != 0) {
        return false;
    }
    return kind == "nobody" ? ::chown(name.constData(), 65534, 65534) == 0
                            : ::chmod(name.constData(), mode_t(kind.toUInt(nullptr, 8))) == 0;
}

bool SkipsRowAs(bool root, const QString& kind) {
    return (kind == "0500" && root) || (kind == "nobody" && !root);
}
}  // namespace

// What stands in for the platform: Qt's boxes and dialogs, the registry.
class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Qt's own texts speak Japanese whatever the locale, and boxes carry the program's name
    // alone as their title.
    void qtsOwnTextsAreJapanese() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        PrepareApplication(QStringLiteral("ヌモリカマイメニュ"));
        QStringList seen;
        WhenShown<QMessageBox>(this, [&seen](QMessageBox& box) {
            seen << box.windowTitle() << box.text();
            for (QAbstractButton* button : box.buttons()) {
                seen << button->text();
            }
            box.button(QMessageBox::No)->click();
        });
        QtDialogs dialogs;
        QVERIFY(!dialogs.question(QStringLiteral("削除\rしますか?")));  // the suite's line break
        QCOMPARE(seen,
                 (QStringList{"ヌモリカマイメニュ", "削除\nしますか?", "はい(&Y)", "いいえ(&N)"}));
        QVERIFY(!QApplication::windowIcon().isNull());
    }

    // "全てのファイル" lists every file, also programs without an ending.
    void theFileDialogListsEveryFile() {
        QStringList filters;
        WhenShown<QFileDialog>(this, [&filters](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            dialog.reject();
        });
        QtDialogs dialogs;
        QVERIFY(!dialogs.openFile(ProgramFileFilters(), QString()));
        QCOMPARE(filters.mid(0, 2), (QStringList{"全てのファイル (*)", "ワード (*.doc)"}));
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

    // The lock and the front-request pipe live in the runtime folder when it is the user's own,
    // else in a closed folder of the user's own in the cache folder: never where another user
    // could put a file first. A folder of someone else is refused, with the reason.
    void theLockFolderIsTheUsersOwn_data() {
        Columns<QString, QString, QString>("runtime", "cache", "chosen");
        Row("own runtime folder", "0700", "unset", "runtime 700");
        Row("no runtime folder", "unset", "unset", "cache 700");
        Row("runtime folder writable by others", "0777", "unset", "cache 700");
        Row("runtime folder not writable", "0500", "unset", "cache 700");
        Row("runtime folder of another user", "nobody", "unset", "cache 700");
        Row("runtime folder a symbolic link", "link", "unset", "cache 700");
        Row("own folder made open before", "unset", "0755", "cache 700");
        Row("own folder of another user", "unset", "nobody", "");
        Row("a symbolic link in the own folder's place", "unset", "link", "");
    }
    void theLockFolderIsTheUsersOwn() {
        QFETCH(QString, runtime);
        QFETCH(QString, cache);
        if (SkipsRowAs(::geteuid() == 0, runtime) || SkipsRowAs(::geteuid() == 0, cache)) {
            QSKIP("root writes any folder; only root gives a folder to another user");
        }
        QTemporaryDir dir;
        const QString run = dir.filePath("run");
        const QString own = dir.filePath("cache/ヌモリカマイメニュ");
        QVERIFY(Prepare(run, runtime, dir.filePath("elsewhere")));
        QVERIFY(QDir().mkpath(dir.filePath("cache")));
        QVERIFY(Prepare(own, cache, dir.filePath("elsewhere")));
        const LockFolderChoice choice =
            ChooseLockFolder(run, dir.filePath("cache"), QStringLiteral("ヌモリカマイメニュ"));
        struct stat status {};
        ::lstat(QFile::encodeName(choice.folder).constData(), &status);
        const QString where = choice.folder == run   ? "runtime "
                              : choice.folder == own ? "cache "
                                                     : "";
        QTEST(choice.folder.isEmpty() ? choice.folder
                                      : where + QString::number(status.st_mode & 0777, 8),
              "chosen");
        QCOMPARE(choice.problem.isEmpty(), !choice.folder.isEmpty());
    }

    // A second start writes its request only into a pipe of the user's own in a folder of the
    // user's own, never through a symbolic link planted in the pipe's place.
    void aFrontRequestGoesOnlyToOwnPipes_data() {
        Columns<QString, bool>("planted", "asked");
        Row("own pipe", "pipe", true);
        Row("a symbolic link to a pipe", "link", false);
        Row("a folder writable by others", "0777", false);
        Row("a pipe of another user", "nobody", false);
    }
    void aFrontRequestGoesOnlyToOwnPipes() {
        QFETCH(QString, planted);
        if (planted == "nobody" && ::geteuid() != 0) {
            QSKIP("only root gives a pipe to another user");
        }
        QTemporaryDir dir;
        const QString folder = dir.filePath("run");
        QVERIFY(Prepare(folder, planted == "0777" ? planted : "0700", {}));
        const QString pipe = dir.filePath("pipe");
        const QString name = folder + "/ヌモリカマイメニュ-taro.front";
        QCOMPARE(::mkfifo(QFile::encodeName(planted == "link" ? pipe : name).constData(), 0600), 0);
        QVERIFY(planted != "link" || QFile::link(pipe, name));
        QVERIFY(planted != "nobody" || ::chown(QFile::encodeName(name).constData(), 65534, 0) == 0);
        // The running menu's end of the pipe, as the menu holds it.
        const int reader = ::open(QFile::encodeName(name).constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QTEST(AskRunningMenuToFront(name), "asked");
        ::close(reader);
    }

    void storeKeepsACorruptHive_data() {
        QTest::addColumn<QByteArray>("content");
        Row("not JSON", QByteArray(R"({"keys": [)"));
        Row("a list", QByteArray("[]"));
        Row("number too large",
            QByteArray(
                R"({"keys": [], "values": [{"name": "n", "type": "REG_DWORD", "data": 4294967296}]})"));
        Row("empty file", QByteArray());
    }
    void storeKeepsACorruptHive() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString hive = dir.filePath("hkcu.json");
        QVERIFY(WriteFile(hive, content));
        FileRegistryStore store(hive, hive);
        QVERIFY(!store.keyExists(kUser, "") && !store.value(kUser, "", "n") &&
                !store.subKeys(kUser, "") && !store.createKey(kUser, "Software") &&
                !store.setValue(kUser, "", "n", quint32{1}));
        QCOMPARE(FileBytes(dir.path(), {"hkcu.json"}).value("hkcu.json"), content);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
