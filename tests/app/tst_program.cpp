#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "TestInstallation.h"
#include "app/Environment.h"
#include "signin/StaffSignIn.h"

// The installed programs as an administrator and a member of staff use them.
class TestProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // The single-instance lock of the runs here stays out of the machine's own.
        QVERIFY(lockFolder_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("TMPDIR"), lockFolder_.path());
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void initRefusesToOverwrite() {
        QTemporaryDir dir;
        const QString base = dir.filePath(QStringLiteral("x"));
        QCOMPARE(RunAdmin({"init", base}), 0);
        QVERIFY(QFileInfo(base + "/prgbin/ヌモリカマイメニュ").isExecutable());
        QVERIFY(QFileInfo(base + "/prgbin/動作環境設定.exe").isExecutable());
        for (const char* folder : {"conf", "data", "report", "manual"}) {
            QVERIFY(QFileInfo(base + "/" + folder).isDir());
        }
        const auto before = QueryRows(base + "/conf/usrcnfg.accdb", "SELECT * FROM 動作環境定義");
        ExecuteOn(base + "/conf/usrcnfg.accdb", "UPDATE 動作環境定義 SET 運用事業所コード = '001'");
        QCOMPARE(RunAdmin({"init", base}), 2);
        QVERIFY(lastError_.contains(QStringLiteral("usrcnfg.accdb")));
        QCOMPARE(
            QueryRows(base + "/conf/usrcnfg.accdb", "SELECT 運用事業所コード FROM 動作環境定義")[0]
                .value("運用事業所コード")
                .toString(),
            QStringLiteral("001"));
        QCOMPARE(RunAdmin({"unknown"}), 2);
    }

    void runsOnceAndEndsInOrderOnTermination() {
        QTemporaryDir dir;
        const QString base = dir.filePath(QStringLiteral("x"));
        QCOMPARE(RunAdmin({"init", base}), 0);
        const QString config = base + "/conf/usrcnfg.accdb";
        const QString menu = base + "/prgbin/ヌモリカマイメニュ";

        QProcess first;
        first.setProcessEnvironment(environment_);
        first.start(menu, {QStringLiteral("X'1")});
        QVERIFY(first.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(HistoryNotes(config).size(), 1, 15000);
        QCOMPARE(HistoryNotes(config)[0], QStringLiteral("開始 X'1"));

        QProcess second;
        second.setProcessEnvironment(environment_);
        second.start(menu, {});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(HistoryNotes(config).size(), 1);

        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(15000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(HistoryNotes(config),
                 (QStringList{QStringLiteral("開始 X'1"), QStringLiteral("終了")}));
    }

    void anEncodedPinSignsIn() {
        QCOMPARE(RunAdmin({"pin", "encode", "ab"}), 2);
        QCOMPARE(RunAdmin({"pin", "encode", "ab12"}), 0);
        const QString stored = lastOutput_.trimmed();
        TestInstallation install;
        InsertRow(install.businessPath(), "M担当者",
                  {{"コード", "00012"},
                   {"氏名", "鈴木"},
                   {"暗証番号", stored},
                   {"在籍区分", "0"},
                   {"事業所コード", "000"}});
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        QVERIFY(LoadCompanySettings(t.ctx));
        SignInFields fields;
        QVERIFY(LookupStaffByCode(t.ctx, QStringLiteral("00012"), fields));
        QCOMPARE(ConfirmPin(t.ctx, fields, QStringLiteral("AB12")), PinCheck::Accepted);
        QCOMPARE(t.ctx.staff.name, QStringLiteral("鈴木"));
    }

private:
    int RunAdmin(const QStringList& arguments) {
        QProcess admin;
        admin.setProcessEnvironment(environment_);
        admin.start(QStringLiteral(ADMIN_TOOL), arguments);
        if (!admin.waitForFinished(30000)) {
            return -1;
        }
        lastError_ = QString::fromUtf8(admin.readAllStandardError());
        lastOutput_ = QString::fromUtf8(admin.readAllStandardOutput());
        return admin.exitCode();
    }

    QTemporaryDir lockFolder_;
    QProcessEnvironment environment_;
    QString lastError_;
    QString lastOutput_;
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
