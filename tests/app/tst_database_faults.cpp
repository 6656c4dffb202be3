#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include "TestInstallation.h"
#include "app/Main.h"
#include "backup/ExitProgram.h"
#include "menu/MainMenuWindow.h"
#include "platform/SingleInstance.h"

namespace {
const QString kFirstRun =
    QStringLiteral("最初の動作環境設定を行います。\r終了後、再度業務を起動します。");

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

class TestDatabaseFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aFaultyFileNeverCrashesOrLosesData_data() {
        QTest::addColumn<bool>("business");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("errorRow");
        const QString sysOpen = QStringLiteral("SYB_OPEN ERROR");
        const QString dbOpen = QStringLiteral("エラー DB_OPEN ERROR");
        QTest::newRow("config missing") << false << Fault::Missing << false << ""
                                        << "";
        // A folder of the file's name is no file: the first-run path, without an open error.
        QTest::newRow("config is a folder") << false << Fault::Folder << false << ""
                                            << "";
        QTest::newRow("config unreadable") << false << Fault::Unreadable << false << sysOpen << "";
        QTest::newRow("config random bytes")
            << false << Fault::RandomBytes << false << sysOpen << "";
        QTest::newRow("config read-only") << false << Fault::ReadOnly << true << ""
                                          << "";
        QTest::newRow("config locked") << false << Fault::Locked << false << sysOpen << "";
        // Once in WAL mode, a writer's lock keeps out writes only: the menu opens and its rows
        // are skipped after the timeout.
        QTest::newRow("config locked for writing") << false << Fault::WriteLocked << true << ""
                                                   << "";
        QTest::newRow("business missing") << true << Fault::Missing << false << "" << dbOpen;
        QTest::newRow("business is a folder") << true << Fault::Folder << false << "" << dbOpen;
        QTest::newRow("business unreadable") << true << Fault::Unreadable << false << "" << dbOpen;
        QTest::newRow("business random bytes")
            << true << Fault::RandomBytes << false << "" << dbOpen;
        QTest::newRow("business read-only") << true << Fault::ReadOnly << true << ""
                                            << "";
        QTest::newRow("business locked") << true << Fault::Locked << false << "" << dbOpen;
    }
    void aFaultyFileNeverCrashesOrLosesData() {
        QFETCH(bool, business);
        QFETCH(Fault, fault);
        QFETCH(bool, opens);
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
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                QRandomGenerator random(20261207);
                QByteArray bytes(64 * 1024, Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
                file.write(bytes);
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
        SingleInstance instance(t.ctx.process.lockFolder, t.ctx.process.executableName,
                                t.ctx.process.userName);
        QElapsedTimer timer;
        timer.start();
        const auto window = Main(t.ctx, instance);
        // Each connection waits out its timeout once at most.
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(bool(window), opens);
        if (window) {
            ExitProgram(t.ctx);
        } else {
            QCOMPARE(t.dialogs.informations.size(), message.isEmpty() ? 1 : 2);
            QVERIFY(t.dialogs.informations.first().startsWith(message));
            QCOMPARE(t.dialogs.informations.last(), kFirstRun);
        }
        lock.reset();

        QCOMPARE(Fingerprint(path), before);
        QCOMPARE(QueryRows(other, "SELECT * FROM sqlite_master"), otherRowsBefore);
        if (!errorRow.isEmpty()) {
            const QStringList notes = HistoryNotes(install.configPath());
            QVERIFY2(notes.value(1).startsWith(errorRow), qPrintable(notes.join('|')));
        }
    }

    // Someone deletes the files under the running menu: it goes on, ends, and leaves no empty
    // database behind in their place.
    void filesDisappearingWhileOpen() {
        TestInstallation install;
        TestContext t(install.programFolder());
        SingleInstance instance(t.ctx.process.lockFolder, t.ctx.process.executableName,
                                t.ctx.process.userName);
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

QTEST_MAIN(TestDatabaseFaults)
#include "tst_database_faults.moc"
