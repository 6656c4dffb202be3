#include <functional>
#include "TestSupport.h"

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
