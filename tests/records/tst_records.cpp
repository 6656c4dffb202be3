#include "TestSupport.h"

namespace {
void WriteRequest(const QString& configPath, const QDateTime& sentAt, const QString& sender,
                  const QString& startInfo,
                  const QString& receiver = QStringLiteral("ヌモリカマイメニュ"),
                  const QString& kind = QStringLiteral("00")) {
    ExecuteOn(
        configPath,
        "INSERT INTO プログラム連携情報 (発信日時, 発信プログラムID, 受信プログラムID, 受信期限, "
        "連携区分, 起動連携情報, 終了連携情報, 運用事業所コード, 起動担当者コード, ユーザID) "
        "VALUES (" +
            SqlQuote(FormatTimestamp(sentAt)) + ", " + SqlQuote(sender) + ", " +
            SqlQuote(receiver) + ", '', " + SqlQuote(kind) + ", " + SqlQuote(startInfo) +
            ", '', '000', '', 'hanako')");
}

QList<QVariantMap> LinkRows(const QString& configPath) {
    return QueryRows(configPath, "SELECT * FROM プログラム連携情報 ORDER BY rowid");
}
}  // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRunWritesItsStartAndEnd_data() {
        Columns<QString, QString>("commandText", "startNote");
        Row("no arguments: the blank stays", "", "開始 ");
        Row("trimmed", "  X001  ", "開始 X001");
    }
    void aRunWritesItsStartAndEnd() {
        QFETCH(QString, commandText);
        QFETCH(QString, startNote);
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        TestContext t(install.programFolder(), commandText);
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.staff.code = QStringLiteral("00034");  // the end row takes the code held in memory
        t.clock.current = t.clock.current.addSecs(3600);
        CloseEnvironment(t.ctx);

        const auto rows =
            QueryRows(install.configPath(), "SELECT * FROM プログラム稼動履歴 ORDER BY rowid");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value("摘要").toString(), startNote);
        QCOMPARE(rows[0].value("proccounter").toString(), QStringLiteral("000000000001"));
        QCOMPARE(rows[0].value("起動担当者コード").toString(), QStringLiteral("00012"));
        QCOMPARE(rows[0].value("実行日付").toString(), QStringLiteral("20261207 093015"));
        QCOMPARE(rows[0].value("運用事業所コード").toString(), QStringLiteral("000"));
        QCOMPARE(rows[0].value("ユーザID").toString(), QStringLiteral("taro"));
        QCOMPARE(rows[1].value("摘要").toString(), QStringLiteral("終了"));
        QCOMPARE(rows[1].value("proccounter").toString(), QStringLiteral("000000000002"));
        QCOMPARE(rows[1].value("起動担当者コード").toString(), QStringLiteral("00034"));
        QCOMPARE(rows[1].value("実行日付").toString(), QStringLiteral("20261207 103015"));
        QCOMPARE(QueryRows(install.configPath(), "SELECT * FROM 動作環境定義").size(), 1);
    }

    void aRunWithoutHistoryTableStillOpens() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "DROP TABLE プログラム稼動履歴");
        TestContext t(install.programFolder(), QStringLiteral("X"));
        QVERIFY(OpenEnvironment(t.ctx));
        CloseEnvironment(t.ctx);
        QCOMPARE(t.ctx.statementCounter, 2);
        QVERIFY(t.dialogs.informations.isEmpty());
    }

    // A file made with the earlier index gets the current one at the first start and keeps its
    // own (other programs have it open).
    void anOlderFileGetsTheCurrentIndex() {
        TestInstallation install;
        const QString config = install.configPath();
        ExecuteOn(config, "DROP INDEX プログラム連携情報_受信日時");
        ExecuteOn(config,
                  "CREATE INDEX プログラム連携情報_受信 ON プログラム連携情報 "
                  "(受信プログラムID, 連携区分, 起動連携情報, 発信日時)");
        TestContext t(install.programFolder());
        QVERIFY(OpenEnvironment(t.ctx));
        CloseEnvironment(t.ctx);
        QStringList indexes;
        for (const auto& row : QueryRows(config,
                                         "SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                         "tbl_name = 'プログラム連携情報'")) {
            indexes << row.value("name").toString();
        }
        QCOMPARE(indexes, (QStringList{"プログラム連携情報_受信", "プログラム連携情報_受信日時"}));
    }

    void takesOverTheRequestAddressedToIt_data() {
        Columns<int, QString, QString, QString, bool>("secondsBefore", "startInfo", "receiver",
                                                      "kind", "taken");
        Row("59 s before", 59, "LINK1", "ヌモリカマイメニュ", "00", true);
        Row("60 s before", 60, "LINK1", "ヌモリカマイメニュ", "00", true);
        Row("61 s before", 61, "LINK1", "ヌモリカマイメニュ", "00", false);
        Row("other link information", 5, "LINK2", "ヌモリカマイメニュ", "00", false);
        Row("other receiver", 5, "LINK1", "売上入力", "00", false);
        Row("a completion is no request", 5, "LINK1", "ヌモリカマイメニュ", "99", false);
    }
    void takesOverTheRequestAddressedToIt() {
        QFETCH(int, secondsBefore);
        QFETCH(QString, startInfo);
        QFETCH(QString, receiver);
        QFETCH(QString, kind);
        QFETCH(bool, taken);
        TestInstallation install;
        TestContext t(install.programFolder(), QStringLiteral("LINK1"));
        WriteRequest(install.configPath(), t.clock.current.addSecs(-secondsBefore),
                     QStringLiteral("売上入力"), startInfo, receiver, kind);
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(t.ctx.link.receivedSenderId, taken ? QStringLiteral("売上入力") : QString());
        QCOMPARE(t.ctx.link.receivedStartInfo, taken ? QStringLiteral("LINK1") : QString());
        QCOMPARE(LinkRows(install.configPath()).size(), taken ? 0 : 1);
        CloseEnvironment(t.ctx);
        QCOMPARE(LinkRows(install.configPath()).size(), taken ? 1 : 1);
    }

    // Requests of the same second and sender: the one taken goes and every other stays; the link
    // information is trimmed of blanks only, so a tab belongs to it.
    void takesExactlyTheRequestItMatches_data() {
        Columns<QString, QStringList, QStringList>("command", "requests", "left");
        Row("another program's request of the same second", "LINK1", QStringList{"LINK1", "LINK2"},
            QStringList{"LINK2"});
        Row("two identical requests", "LINK1", QStringList{"LINK1", "LINK1"}, QStringList{"LINK1"});
        Row("a tab at the end", " LINK1\t ", QStringList{"LINK1\t", "LINK1"}, QStringList{"LINK1"});
    }
    void takesExactlyTheRequestItMatches() {
        QFETCH(QString, command);
        QFETCH(QStringList, requests);
        QFETCH(QStringList, left);
        TestInstallation install;
        TestContext t(install.programFolder(), command);
        for (const QString& info : requests) {
            WriteRequest(install.configPath(), t.clock.current.addSecs(-5), "売上入力", info);
        }
        QVERIFY(OpenEnvironment(t.ctx));
        QStringList remaining;
        for (const QVariantMap& row : LinkRows(install.configPath())) {
            remaining << row.value("起動連携情報").toString();
        }
        QCOMPARE(remaining, left);
        const QString taken = command.trimmed() == command ? command : "LINK1\t";
        QCOMPARE(HistoryNotes(install.configPath()).first(), "開始 " + taken);
        CloseEnvironment(t.ctx);
        QCOMPARE(LinkRows(install.configPath()).last().value("起動連携情報").toString(), taken);
        QCOMPARE(LinkRows(install.configPath()).last().value("連携区分").toString(), "99");
    }

    void consumesOneOfTwoRequestsAndAnswersIt() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        const QString info = QStringLiteral("it's 在庫");
        TestContext t(install.programFolder(), info);
        WriteRequest(install.configPath(), t.clock.current.addSecs(-10), QStringLiteral("o'prog"),
                     info);
        WriteRequest(install.configPath(), t.clock.current.addSecs(-5), QStringLiteral("o'prog"),
                     info);
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(t.ctx.link.receivedSenderId, QStringLiteral("o'prog"));
        QCOMPARE(LinkRows(install.configPath()).size(), 1);

        t.clock.current = t.clock.current.addSecs(120);
        CloseEnvironment(t.ctx);
        const auto rows = LinkRows(install.configPath());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value("連携区分").toString(), QStringLiteral("00"));
        const QVariantMap& done = rows[1];
        QCOMPARE(done.value("発信日時").toString(), QStringLiteral("20261207 093215"));
        QCOMPARE(done.value("受信期限").toString(), QStringLiteral("20261207 093215"));
        QCOMPARE(done.value("発信プログラムID").toString(), QStringLiteral("o'prog"));
        QCOMPARE(done.value("受信プログラムID").toString(), QStringLiteral("ヌモリカマイメニュ"));
        QCOMPARE(done.value("連携区分").toString(), QStringLiteral("99"));
        QCOMPARE(done.value("起動連携情報").toString(), info);
        QCOMPARE(done.value("終了連携情報").toString(), QString());
        QCOMPARE(done.value("運用事業所コード").toString(), QStringLiteral("000"));
        QCOMPARE(done.value("起動担当者コード").toString(), QStringLiteral("00012"));
        QCOMPARE(done.value("ユーザID").toString(), QStringLiteral("taro"));
        // The end row follows the completion, on the re-opened connection.
        QCOMPARE(HistoryNotes(install.configPath()).last(), QStringLiteral("終了"));
    }

    void anEmptyCommandLineTakesButDoesNotAnswer() {
        TestInstallation install;
        TestContext t(install.programFolder());
        WriteRequest(install.configPath(), t.clock.current.addSecs(-1), QStringLiteral("売上入力"),
                     {});
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(t.ctx.link.receivedSenderId, QStringLiteral("売上入力"));
        QVERIFY(LinkRows(install.configPath()).isEmpty());
        CloseEnvironment(t.ctx);
        QVERIFY(LinkRows(install.configPath()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
