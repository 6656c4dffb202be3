#include <unistd.h>
#include <memory>
#include "TestSupport.h"

namespace {
int CountRows(const QString& configPath, const QString& sql) {
    return QueryRows(configPath, sql).value(0).value(QStringLiteral("n")).toInt();
}

// Runs an administrator's command without its output; answers its exit status.
int Quietly(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(60000) ? process.exitCode() : -1;
}

// Local users of this machine for one test, each with a group of their own and all in one shared
// group; removed again at the end (and first, after a run that was cut short).
void MakeUsers(const QStringList& users, const QString& group, bool make) {
    for (const QString& user : users) {
        Quietly("userdel", {user});
    }
    Quietly("groupdel", {group});
    if (make) {
        Quietly("groupadd", {group});
        for (const QString& user : users) {
            Quietly("useradd", {"-M", "-U", "-G", group, user});
        }
    }
}
}  // namespace

class TestConcurrentWriters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The menu keeps writing while other programs of the suite write into the same file, with a
    // write-ahead log on a local disk and with the rollback journal of a file server: the short
    // waits and their retries carry every writer through the others' locks.
    void everyRowOfEveryWriterArrives_data() {
        Columns<bool, int>("shared", "rows");
        Row("local disk: write-ahead log", false, 500);
        Row("file server: rollback journal", true, 200);
    }
    void everyRowOfEveryWriterArrives() {
        QFETCH(bool, shared);
        constexpr int kWriters = 8;
        const int kRows = Cell<int>("rows");
        TestInstallation install;
        TestContext t(install.programFolder());
        if (shared) {
            t.ctx.config.settings.localFileSystem = [](const QString&) { return false; };
        }
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(QueryRows(install.configPath(), "PRAGMA journal_mode")[0]
                     .value("journal_mode")
                     .toString(),
                 shared ? "delete" : "wal");

        std::vector<std::unique_ptr<QProcess>> writers;
        for (int i = 1; i <= kWriters; ++i) {
            auto& writer = writers.emplace_back(std::make_unique<QProcess>());
            writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer->start(QStringLiteral(SUITE_WRITER),
                          {install.configPath(), QStringLiteral("W%1").arg(i),
                           QString::number(kRows), shared ? "shared" : "local"});
        }
        int menuRows = 0;
        const auto running = [&] {
            return std::any_of(writers.begin(), writers.end(), [](const auto& writer) {
                return writer->state() != QProcess::NotRunning;
            });
        };
        for (; running() || menuRows < 50; ++menuRows) {
            WriteHistoryRow(t.ctx, QStringLiteral("メニュー %1").arg(menuRows + 1));
            QCoreApplication::processEvents();
        }
        CloseEnvironment(t.ctx);

        for (const auto& writer : writers) {
            QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer->exitCode(), 0);
        }
        const QString config = install.configPath();
        for (int i = 1; i <= kWriters; ++i) {
            const QString name = QStringLiteral("'W%1'").arg(i);
            QCOMPARE(CountRows(config,
                               "SELECT count(DISTINCT 摘要) AS n FROM プログラム稼動履歴 "
                               "WHERE ユーザID = " +
                                   name),
                     kRows / 2);
            QCOMPARE(CountRows(config,
                               "SELECT count(DISTINCT 起動連携情報) AS n "
                               "FROM プログラム連携情報 WHERE 発信プログラムID = " +
                                   name),
                     kRows / 2);
        }
        const QStringList notes =
            HistoryNotes(config).filter(QRegularExpression("^(開始|メニュー|終了)"));
        QCOMPARE(notes.size(), menuRows + 2);
        QCOMPARE(notes.first(), QStringLiteral("開始 "));
        QCOMPARE(notes.last(), QStringLiteral("終了"));
    }

    // Two members of staff of one group, each in a menu of their own on one installation at once
    // and with a umask that keeps everything from others: the folders, copies, journals and
    // write-ahead log one of them makes are the other's to use as well.
    void staffOfOneGroupWriteIntoOneInstallationAtOnce_data() {
        Columns<QStringList, QString>("options", "config");
        Row("shared configuration", QStringList(), "conf/usrcnfg.accdb");
        Row("per-user copies", QStringList{"--per-user"}, "users/USER/conf/usrcnfg.accdb");
    }
    void staffOfOneGroupWriteIntoOneInstallationAtOnce() {
        if (::geteuid() != 0) {
            QSKIP("only root can make the local users this needs");
        }
        if (QStandardPaths::findExecutable("useradd").isEmpty() ||
            QStandardPaths::findExecutable("setpriv").isEmpty()) {
            QSKIP("useradd or setpriv is missing");
        }
        constexpr int kRows = 3000;
        const QStringList users{"numorika-t1", "numorika-t2"};
        const QString group = "numorika-tg";
        MakeUsers(users, group, true);
        const auto remove = qScopeGuard([&] { MakeUsers(users, group, false); });
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
        const QString base = dir.filePath("base");
        QCOMPARE(Quietly(ADMIN_TOOL, QStringList{"init", base, "--group", group} +
                                         Cell<QStringList>("options")),
                 0);
        std::vector<std::unique_ptr<QProcess>> menus;
        for (const QString& user : users) {
            auto& menu = menus.emplace_back(std::make_unique<QProcess>());
            menu->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            menu->start("setpriv", {"--reuid=" + user, "--regid=" + user, "--init-groups", "sh",
                                    "-c", "umask 077 && exec \"$@\"", "sh", SUITE_WRITER, "menu",
                                    base + "/prgbin", user, QString::number(kRows)});
        }
        for (const QString& user : users) {
            QProcess& menu = *menus[users.indexOf(user)];
            QVERIFY(menu.waitForFinished(120000));
            QCOMPARE(menu.exitCode(), 0);
            QCOMPARE(CountRows(base + "/" + QString(Cell<QString>("config")).replace("USER", user),
                               "SELECT count(*) AS n FROM プログラム稼動履歴 WHERE ユーザID = '" +
                                   user + "'"),
                     kRows + 2);
        }
    }
};

QTEST_MAIN(TestConcurrentWriters)
#include "tst_concurrent_writers.moc"
