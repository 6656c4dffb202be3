#include <QDir>
#include <QFile>
#include <QTest>

#include "Fakes.h"
#include "env/Environment.h"
#include "env/InstallPaths.h"
#include "env/UserFolders.h"

class TestInstallPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsTheInstallation_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("programs");
        QTest::newRow("prgbin") << "/x/base/prgbin"
                                << "/x/base/"
                                << "/x/base"
                                << "/x/base/prgbin";
        QTest::newRow("prgsrc sub-folder gives prgbin") << "/x/base/prgsrc/sub"
                                                        << "/x/base/"
                                                        << "/x/base"
                                                        << "/x/base/prgbin";
        QTest::newRow("letter case ignored") << "/x/base/PrgBin"
                                             << "/x/base/"
                                             << "/x/base"
                                             << "/x/base/prgbin";
        QTest::newRow("prgbin wins over an earlier prgsrc") << "/x/prgsrc/y/prgbin"
                                                            << "/x/prgsrc/y/"
                                                            << "/x/prgsrc/y"
                                                            << "/x/prgsrc/y/prgbin";
        QTest::newRow("first prgbin counts") << "/a/prgbin/b/prgbin"
                                             << "/a/"
                                             << "/a"
                                             << "/a/prgbin";
    }
    void findsTheInstallation() {
        QFETCH(QString, programFolder);
        QFETCH(QString, base);
        QFETCH(QString, root);
        QFETCH(QString, programs);
        const auto found = FindInstallBase(programFolder);
        QVERIFY(found);
        InstallPaths paths;
        DeriveInstallFolders(paths, *found);
        QCOMPARE(paths.base, base);
        QCOMPARE(paths.root, root);
        QCOMPARE(paths.programFolder, programs);
        QCOMPARE(paths.configFolder, base + "conf");
        QCOMPARE(paths.reportFolder, base + "report");
        QCOMPARE(paths.manualFolder, base + "manual");
    }

    void noInstallationOutsidePrgbinAndPrgsrc() {
        QVERIFY(!FindInstallBase(QStringLiteral("/opt/menu/bin")));
        QVERIFY(!FindProgramBase(QStringLiteral("/x/base/prgsrc")));
    }

    void prefersAccdbOverMdb_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("kind");
        QTest::newRow("both") << QStringList{"usrcnfg.accdb", "usrcnfg.mdb"}
                              << int(DatabaseFileKind::Accdb);
        QTest::newRow("mdb only") << QStringList{"usrcnfg.mdb"} << int(DatabaseFileKind::Mdb);
        QTest::newRow("none") << QStringList{} << int(DatabaseFileKind::None);
    }
    void prefersAccdbOverMdb() {
        QFETCH(QStringList, files);
        QFETCH(int, kind);
        QTemporaryDir dir;
        for (const QString& name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(int(ProbeDatabaseKind(dir.filePath(QStringLiteral("usrcnfg")))), kind);
    }

    void userFoldersFollowTheMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("report");
        QTest::newRow("shared") << 0 << "/x/base/conf"
                                << "/x/base/report";
        QTest::newRow("per user") << 1 << "/x/base/users/taro/conf"
                                  << "/x/base/users/taro/report";
        QTest::newRow("unknown mode keeps them") << 2 << ""
                                                 << "";
    }
    void userFoldersFollowTheMode() {
        QFETCH(int, mode);
        QFETCH(QString, config);
        QFETCH(QString, report);
        InstallPaths paths;
        paths.userName = QStringLiteral("taro");
        DeriveInstallFolders(paths, QStringLiteral("/x/base/"));
        SetUserFolders(paths, qint16(mode));
        QCOMPARE(paths.userConfigFolder, config);
        QCOMPARE(paths.userReportFolder, report);
    }

    void foldersOnTheWay_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("absolute, file never a folder")
            << "/x/base/users/taro/conf/usrcnfg.accdb"
            << QStringList{"/x", "/x/base", "/x/base/users", "/x/base/users/taro",
                           "/x/base/users/taro/conf"};
        QTest::newRow("network: server and share skipped")
            << "//srv/share/a/b/f.mdb" << QStringList{"//srv/share/a", "//srv/share/a/b"};
        QTest::newRow("network without share") << "//srv" << QStringList{};
        QTest::newRow("relative") << "a/b/f.mdb" << QStringList{};
        QTest::newRow("blank") << "   " << QStringList{};
    }
    void foldersOnTheWay() {
        QFETCH(QString, path);
        QFETCH(QStringList, folders);
        QCOMPARE(FoldersOnTheWay(path), folders);
    }

    void ensureFoldersCreatesTheMissingOnes() {
        QTemporaryDir dir;
        FakeDialogs dialogs;
        const QString file = dir.filePath(QStringLiteral("users/taro/conf/usrcnfg.accdb"));
        EnsureFolders(dialogs, file);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("users/taro/conf"))).isDir());
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(dialogs.informations.isEmpty());

        // A file in the way of a folder cannot be replaced: the message says so, once per folder.
        QFile blocker(dir.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        EnsureFolders(dialogs, dir.filePath(QStringLiteral("blocked/sub/f.accdb")));
        QCOMPARE(dialogs.informations.size(), 1);
        QVERIFY(dialogs.informations[0].startsWith(QStringLiteral("DIREXISTCHK ERROR75 ")));
        QVERIFY(dialogs.informations[0].endsWith(QStringLiteral("\rdirexeistchk")));
    }

    void setupCommand_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("command");
        QTest::newRow("prgbin") << "/x/base/prgbin"
                                << "/x/base/prgbin/動作環境設定.exe /x/base/,ヌモリカマイメニュ";
        QTest::newRow("letter case") << "/x/PRGBIN"
                                     << "/x/PRGBIN/動作環境設定.exe /x/,ヌモリカマイメニュ";
        QTest::newRow("no prgbin") << "/x/base/prgsrc"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void setupCommand() {
        QFETCH(QString, programFolder);
        QFETCH(QString, command);
        const auto composed =
            ComposeEnvironmentSetupCommand(programFolder, QStringLiteral("ヌモリカマイメニュ"));
        QCOMPARE(composed ? composed->text() : QString(), command);
    }
};

QTEST_GUILESS_MAIN(TestInstallPaths)
#include "tst_install_paths.moc"
