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

// The columns of a row, in that order.
QStringList Texts(const QVariantMap& row, const QStringList& columns) {
    QStringList texts;
    for (const QString& column : columns) {
        texts << row.value(column).toString();
    }
    return texts;
}
}  // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRunWritesItsStartAndEnd_data() {
        Columns<QString, QString>("commandText", "startRow");
        Row("no arguments: the blank stays", "",
            "開始 |000000000001|00012|20261207 093015|000|taro");
        Row("trimmed", "  X001  ", "開始 X001|000000000001|00012|20261207 093015|000|taro");
    }
    void aRunWritesItsStartAndEnd() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        TestContext t(install.programFolder(), Cell<QString>("commandText"));
        QVERIFY(OpenEnvironment(t.ctx));
        t.ctx.staff.code = QStringLiteral("00034");  // the end row takes the code held in memory
        t.clock.current = t.clock.current.addSecs(3600);
        CloseEnvironment(t.ctx);

        const auto rows =
            QueryRows(install.configPath(), "SELECT * FROM プログラム稼動履歴 ORDER BY rowid");
        QCOMPARE(rows.size(), 2);
        const QStringList columns{"摘要",     "proccounter",      "起動担当者コード",
                                  "実行日付", "運用事業所コード", "ユーザID"};
        QTEST(Texts(rows[0], columns).join('|'), "startRow");
        QCOMPARE(Texts(rows[1], columns).join('|'),
                 QStringLiteral("終了|000000000002|00034|20261207 103015|000|taro"));
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
        QCOMPARE(QueryValue(config,
                            "SELECT group_concat(name, ' ') FROM sqlite_master WHERE type = "
                            "'index' AND tbl_name = 'プログラム連携情報'"),
                 QVariant("プログラム連携情報_受信 プログラム連携情報_受信日時"));
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
        QFETCH(bool, taken);
        TestInstallation install;
        TestContext t(install.programFolder(), QStringLiteral("LINK1"));
        WriteRequest(install.configPath(), t.clock.current.addSecs(-Cell<int>("secondsBefore")),
                     QStringLiteral("売上入力"), Cell<QString>("startInfo"),
                     Cell<QString>("receiver"), Cell<QString>("kind"));
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(t.ctx.link.receivedSenderId, taken ? QStringLiteral("売上入力") : QString());
        QCOMPARE(t.ctx.link.receivedStartInfo, taken ? QStringLiteral("LINK1") : QString());
        QCOMPARE(LinkRows(install.configPath()).size(), taken ? 0 : 1);
        CloseEnvironment(t.ctx);
        QCOMPARE(LinkRows(install.configPath()).size(), 1);
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
        TestInstallation install;
        TestContext t(install.programFolder(), command);
        for (const QString& info : Cell<QStringList>("requests")) {
            WriteRequest(install.configPath(), t.clock.current.addSecs(-5), "売上入力", info);
        }
        QVERIFY(OpenEnvironment(t.ctx));
        QStringList remaining;
        for (const QVariantMap& row : LinkRows(install.configPath())) {
            remaining << row.value("起動連携情報").toString();
        }
        QTEST(remaining, "left");
        const QString taken = command.trimmed() == command ? command : "LINK1\t";
        QCOMPARE(HistoryNotes(install.configPath()).first(), "開始 " + taken);
        CloseEnvironment(t.ctx);
        QCOMPARE(Texts(LinkRows(install.configPath()).last(), {"起動連携情報", "連携区分"}),
                 (QStringList{taken, "99"}));
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
        QCOMPARE(Texts(rows[1], {"発信日時", "受信期限", "発信プログラムID", "受信プログラムID",
                                 "連携区分", "起動連携情報", "終了連携情報", "運用事業所コード",
                                 "起動担当者コード", "ユーザID"}),
                 (QStringList{"20261207 093215", "20261207 093215", "o'prog", "ヌモリカマイメニュ",
                              "99", info, "", "000", "00012", "taro"}));
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
