#include "TestSupport.h"

namespace {
// A request as another program writes it; the columns the menu does not read stay Null.
void WriteRequest(const QString& configPath, const QDateTime& sentAt, const QString& sender,
                  const QString& startInfo, const QString& receiver = "ヌモリカマイメニュ",
                  const QString& kind = "00") {
    ExecuteOn(
        configPath,
        "INSERT INTO プログラム連携情報 (発信日時, 発信プログラムID, 受信プログラムID, 連携区分, "
        "起動連携情報) VALUES (" +
            SqlQuote(FormatTimestamp(sentAt)) + ", " + SqlQuote(sender) + ", " +
            SqlQuote(receiver) + ", " + SqlQuote(kind) + ", " + SqlQuote(startInfo) + ")");
}

QList<QVariantMap> LinkRows(const QString& configPath) {
    return QueryRows(configPath, "SELECT * FROM プログラム連携情報 ORDER BY rowid");
}
}  // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRunWritesItsStartAndEnd_data() {
        Columns<QString, QString>("commandText", "startRow");
        Row("blank stays", "", "開始 |000000000001|00012|20261207 093015|000|taro");
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

        const QStringList columns{"摘要",     "proccounter",      "起動担当者コード",
                                  "実行日付", "運用事業所コード", "ユーザID"};
        QCOMPARE(
            RowTexts(QueryRows(install.configPath(), "SELECT * FROM プログラム稼動履歴"), columns),
            (QStringList{Cell<QString>("startRow"),
                         "終了|000000000002|00034|20261207 103015|000|taro"}));
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

    // The kinds of the rows left once the run has ended: 99 for the answer to a request taken.
    void takesOverTheRequestAddressedToIt_data() {
        Columns<QString, int, QString, QString, QString, QString>(
            "command", "secondsBefore", "startInfo", "receiver", "kind", "leftAtEnd");
        Row("60 s before", "LINK1", 60, "LINK1", "ヌモリカマイメニュ", "00", "99");
        Row("61 s before", "LINK1", 61, "LINK1", "ヌモリカマイメニュ", "00", "00");
        Row("other link information", "LINK1", 5, "LINK2", "ヌモリカマイメニュ", "00", "00");
        Row("other receiver", "LINK1", 5, "LINK1", "売上入力", "00", "00");
        Row("a completion is no request", "LINK1", 5, "LINK1", "ヌモリカマイメニュ", "99", "99");
        Row("empty command line: taken, not answered", "", 1, "", "ヌモリカマイメニュ", "00", "");
    }
    void takesOverTheRequestAddressedToIt() {
        const bool taken = Cell<QString>("leftAtEnd") != "00" && Cell<QString>("kind") == "00";
        TestInstallation install;
        TestContext t(install.programFolder(), Cell<QString>("command"));
        WriteRequest(install.configPath(), t.clock.current.addSecs(-Cell<int>("secondsBefore")),
                     QStringLiteral("売上入力"), Cell<QString>("startInfo"),
                     Cell<QString>("receiver"), Cell<QString>("kind"));
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(t.ctx.link.receivedSenderId + t.ctx.link.receivedStartInfo,
                 taken ? "売上入力" + Cell<QString>("command") : QString());
        QCOMPARE(LinkRows(install.configPath()).size(), taken ? 0 : 1);
        CloseEnvironment(t.ctx);
        QTEST(RowTexts(LinkRows(install.configPath()), {"連携区分"}).join(' '), "leftAtEnd");
    }

    // Requests of the same second and sender: the one taken goes and every other stays; the link
    // information is trimmed of blanks only, so a tab belongs to it.
    void takesExactlyTheRequestItMatches_data() {
        Columns<QString, QStringList, QStringList>("command", "requests", "atEnd");
        Row("another program's request of the same second", "LINK1", QStringList{"LINK1", "LINK2"},
            QStringList{"LINK2|00", "LINK1|99"});
        Row("two identical requests", "LINK1", QStringList{"LINK1", "LINK1"},
            QStringList{"LINK1|00", "LINK1|99"});
        Row("a tab at the end", " LINK1\t ", QStringList{"LINK1\t", "LINK1"},
            QStringList{"LINK1|00", "LINK1\t|99"});
    }
    void takesExactlyTheRequestItMatches() {
        TestInstallation install;
        TestContext t(install.programFolder(), Cell<QString>("command"));
        for (const QString& info : Cell<QStringList>("requests")) {
            WriteRequest(install.configPath(), t.clock.current.addSecs(-5), "売上入力", info);
        }
        QVERIFY(OpenEnvironment(t.ctx));
        CloseEnvironment(t.ctx);
        const QStringList rows =
            RowTexts(LinkRows(install.configPath()), {"起動連携情報", "連携区分"});
        QTEST(rows, "atEnd");
        QCOMPARE(HistoryNotes(install.configPath()).first(), "開始 " + rows.last().chopped(3));
    }

    // The answer names the request it took; the end row follows it, on the re-opened connection.
    void answersTheRequestItTook() {
        TestInstallation install;
        ExecuteOn(install.configPath(), "UPDATE 動作環境定義 SET 起動担当者コード = '00012'");
        TestContext t(install.programFolder(), QStringLiteral("it's 在庫"));
        WriteRequest(install.configPath(), t.clock.current.addSecs(-10), "o'prog", "it's 在庫");
        QVERIFY(OpenEnvironment(t.ctx));
        t.clock.current = t.clock.current.addSecs(120);
        CloseEnvironment(t.ctx);
        QCOMPARE(RowTexts(LinkRows(install.configPath()),
                          {"発信日時", "受信期限", "発信プログラムID", "受信プログラムID",
                           "連携区分", "起動連携情報", "終了連携情報", "運用事業所コード",
                           "起動担当者コード", "ユーザID"}),
                 QStringList("20261207 093215|20261207 093215|o'prog|ヌモリカマイメニュ|99|"
                             "it's 在庫||000|00012|taro"));
        QCOMPARE(HistoryNotes(install.configPath()).last(), QStringLiteral("終了"));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
