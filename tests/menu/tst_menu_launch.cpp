#include <QTest>

#include "MenuRows.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"
#include "menu/Launch.h"

namespace {
const QVariant kNull;

struct Launch {
    explicit Launch(const TestInstallation& install) : t(install.programFolder()) {
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        t.ctx.staff.code = QStringLiteral("00012");
        t.clock.current = QDateTime(QDate(2024, 5, 15), QTime(10, 0));
    }
    TestContext t;
};
}  // namespace

class TestMenuLaunch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void composesTheCommandLine_data() {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("expected");  // after the program folder
        const QVariantList filled = {"000100", "", "当期期首", "今月"};
        QTest::newRow("catalogue items with defaults and keywords")
            << QVariant("売上入力") << "売上入力.exe" << filled
            << "売上入力.exe 00010099999920240401202405";
        QTest::newRow("plain start word")
            << QVariant("売上一覧表") << "売上入力.exe" << filled << "売上入力.exe";
        QTest::newRow("A to C blank") << QVariant("売上入力") << "売上入力.exe"
                                      << QVariantList{" ", "", "", "今月"} << "売上入力.exe";
        QTest::newRow("A Null counts as a value") << QVariant("売上入力") << "売上入力.exe"
                                                  << QVariantList{kNull, "", ""} << "売上入力.exe ";
        QTest::newRow("not in any catalogue: path and a blank")
            << QVariant("在庫照会") << "在庫照会.exe" << filled << "在庫照会.exe ";
        QTest::newRow("a Null value ends the conditions")
            << QVariant("売上入力") << "売上入力.exe" << QVariantList{"000100", kNull, "x", "今月"}
            << "売上入力.exe 000100";
        QTest::newRow("third catalogue")
            << QVariant("年度別実績") << "年度別実績.EXE" << QVariantList{"", "前年", "A"}
            << "年度別実績.EXE 120230";
        QTest::newRow("blanks around the path")
            << QVariant("売上入力") << "  売上入力.exe  " << QVariantList{"1", "2", "3", ""}
            << "売上入力.exe 123202405";
    }
    void composesTheCommandLine() {
        QFETCH(QVariant, name);
        QFETCH(QString, file);
        QFETCH(QVariantList, values);
        QFETCH(QString, expected);
        TestInstallation install;
        AddCatalogue(install, "ヌモリカ", "売上入力",
                     {"開始得意先コード", "終了得意先コード", "開始日付", "終了年月", "終了日付"});
        AddCatalogue(install, "ヌモリカ補助機能", "年度別実績",
                     {"printmode", "開始年度", "表示区分", kNull, "x"});
        const QString folder = install.programFolder() + "/";
        const QString path =
            file.startsWith(' ') ? "  " + folder + file.trimmed() + "  " : folder + file;
        AddMenuRow(install,
                   {.tab = 1, .position = 3, .name = name, .file = path, .values = values});
        Launch l(install);
        const auto command = ComposeLaunch(l.t.ctx, "ヌモリカマイメニュ", 1, 3);
        QVERIFY(command);
        QCOMPARE(command->commandText, folder + expected);
    }

    void startsProgramsAndOpensDocuments_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("program") << "/x/売上入力.exe" << true << "/x/売上入力.exe|"
                                 << "" << QStringList{};
        QTest::newRow("capital EXE") << "/x/売上入力.EXE" << true << "/x/売上入力.EXE|"
                                     << "" << QStringList{};
        QTest::newRow("program that cannot start")
            << "/x/売上入力.exe" << false << "/x/売上入力.exe|"
            << "" << QStringList{"売上入力プログラムが有りません"};
        QTest::newRow("blank after .exe: a document") << "/x/売上入力.exe " << true << ""
                                                      << "/x/売上入力.exe|/x" << QStringList{};
        QTest::newRow("document") << "/x/日報.txt" << true << ""
                                  << "/x/日報.txt|/x" << QStringList{};
        QTest::newRow("document without folder") << "日報.txt" << true << ""
                                                 << "日報.txt|" << QStringList{};
    }
    void startsProgramsAndOpensDocuments() {
        QFETCH(QString, file);
        QFETCH(bool, exists);
        QFETCH(QString, started);
        QFETCH(QString, opened);
        QFETCH(QStringList, messages);
        TestInstallation install;
        AddMenuRow(install, {.position = 0, .name = "売上入力", .file = file, .values = {"1"}});
        Launch l(install);
        l.t.shell.startResult = exists;
        LaunchMenuEntry(l.t.ctx, 0, 0, "ヌモリカマイメニュ");
        const auto join = [](const QList<FakeShell::Call>& calls) {
            return calls.isEmpty() ? QString() : calls[0].path + "|" + calls[0].argument;
        };
        QCOMPARE(join(l.t.shell.started), started);
        QCOMPARE(join(l.t.shell.opened), opened);
        QCOMPARE(l.t.dialogs.informations, messages);
    }

    void rowsThatCannotLaunchAreSkipped_data() {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QVariant>("file");
        QTest::addColumn<QString>("staff");
        QTest::newRow("Null path") << QVariant("売上入力") << kNull << "00012";
        QTest::newRow("Null name") << kNull << QVariant("/x/a.exe") << "00012";
        QTest::newRow("another person's row")
            << QVariant("売上入力") << QVariant("/x/a.exe") << "00013";
    }
    void rowsThatCannotLaunchAreSkipped() {
        QFETCH(QVariant, name);
        QFETCH(QVariant, file);
        QFETCH(QString, staff);
        TestInstallation install;
        AddMenuRow(install, {.staff = staff, .name = name, .file = file});
        Launch l(install);
        LaunchMenuEntry(l.t.ctx, 0, 0, "ヌモリカマイメニュ");
        QVERIFY(l.t.shell.started.isEmpty());
        QVERIFY(l.t.shell.opened.isEmpty());
        QVERIFY(l.t.dialogs.informations.isEmpty());
    }

    void nobodySignedInUsesTheZeroCode() {
        TestInstallation install;
        AddMenuRow(install, {.staff = "00000", .name = "売上入力", .file = "/x/a.exe"});
        Launch l(install);
        l.t.ctx.staff.code.clear();
        l.t.shell.startResult = true;
        LaunchMenuEntry(l.t.ctx, 0, 0, "ヌモリカマイメニュ");
        QCOMPARE(l.t.shell.started.size(), 1);
    }

    void opensTheManual() {
        TestInstallation install;
        Launch l(install);
        OpenManual(l.t.ctx);
        QCOMPARE(l.t.shell.opened,
                 (QList<FakeShell::Call>{
                     {install.path("manual/ヌモリカマイメニュ.doc"), install.path("manual")}}));
    }
};

QTEST_GUILESS_MAIN(TestMenuLaunch)
#include "tst_menu_launch.moc"
