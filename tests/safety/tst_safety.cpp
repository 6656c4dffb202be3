#include "TestSupport.h"

namespace {
using Snapshot = QMap<QString, QStringList>;

// Every table of a file with its rows in a fixed order, without the columns a run sets.
Snapshot Take(const QString& path) {
    Snapshot snapshot;
    for (const QString& name : RowTexts(
             QueryRows(path, "SELECT name FROM sqlite_master WHERE type = 'table'"), {"name"})) {
        QList<QVariantMap> rows = QueryRows(path, "SELECT * FROM " + SqlIdentifier(name));
        for (QVariantMap& row : rows) {
            for (const char* set : {"運用事業所コード", "起動担当者コード", "バックアップ日付"}) {
                row.remove(set);
            }
        }
        QStringList texts = RowTexts(rows);
        texts.sort();
        snapshot.insert(name, texts);
    }
    return snapshot;
}
}  // namespace

class TestSafety : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Values as people type them and as other programs store them, through every statement that
    // carries a value: each comes back exactly, and nothing else moves.
    void hostileValuesComeBackExactly_data() {
        QTest::addColumn<QString>("value");
        Row("quotes", "o'brien ''x'");
        Row("statement", "'; DROP TABLE M担当者; --");
        Row("backslashes", "C:\\prg\\'\\");
        Row("percent and underscore", "100%_%");
        Row("line breaks", "上\n中\r\n下");
        Row("control characters", "a\1\7\33\177b");
        Row("emoji", "担当😀👍🏽");
        Row("outside Shift-JIS", "𠮷野家 한국 ẞ");
        Row("double quotes and semicolons", "\"x\";\"y\"");
    }
    void hostileValuesComeBackExactly() {
        QFETCH(QString, value);
        TestInstallation install;
        const QString config = install.configPath();
        const QString business = install.businessPath();
        InsertRow(business, "M事業所", {{"コード", value}, {"名称", value}});
        AddStaff(install, value, value,
                 {{"ログインID", value},
                  {"事業所コード", value},
                  {"暗証番号", CodeConverter::encode("ab12")}});
        AddCatalogue(install, "ヌモリカ", value, {value, value});
        ExecuteOn(business, "CREATE TABLE M得意先 (コード TEXT, 担当者コード TEXT)");
        // A table the backup copies, named by the value.
        const QString named = SqlIdentifier("K表" + value);
        ExecuteOn(business, "CREATE TABLE " + named + " (x TEXT)");
        ExecuteOn(business, "INSERT INTO " + named + " VALUES ('1')");
        for (const QVariant& key : QVariantList{value, "a", "z", QVariant(), value + "'"}) {
            InsertRow(business, "M得意先",
                      {{"コード", "k" + key.toString()}, {"担当者コード", key}});
        }
        InsertRow(config, "プログラム連携情報",
                  {{"発信日時", "20261207 093010"},
                   {"発信プログラムID", value},
                   {"受信プログラムID", kProgramId},
                   {"連携区分", "00"},
                   {"起動連携情報", value}});
        Snapshot configBefore = Take(config);
        Snapshot businessBefore = Take(business);

        // Start with the value as command line and login, take over the request.
        TestContext t(install.programFolder(), value, value);
        QVERIFY(OpenEnvironment(t.ctx));
        QCOMPARE(t.ctx.link.receivedSenderId + t.ctx.link.receivedStartInfo, value + value);
        QVERIFY(LoadCompanySettings(t.ctx));

        // The office and the person.
        QCOMPARE(LookupOffice(t.ctx, value).value_or(OfficeEntry{}).name, value);
        ChangeOperatingOffice(t.ctx, value);
        QCOMPARE(StoredSetting(install, "運用事業所コード"), value);
        QVERIFY(LoadEnvironment(t.ctx));  // the next start signs in at the stored office
        SignInFields fields;
        QVERIFY(LookupStaffByLoginId(t.ctx, value, fields) && fields.code == value);
        QVERIFY(LookupStaffByCode(t.ctx, value, fields) && fields.name == value);
        QCOMPARE(ConfirmPin(t.ctx, fields, "AB12"), PinCheck::Accepted);
        QVERIFY(LoadSignedInCode(t.ctx) && t.ctx.staff.code == value);

        // The person's menu: every text of a button.
        t.ctx.menuEditTarget = {kMenuTable, 2, 3};
        MenuSettingsRecord record;
        record.newRow = true;
        record.title = record.programName = record.description = value;
        record.filePath = "/opt/prgbin/" + value + ".exe ";
        record.values.fill(value);
        SaveRecord(t.ctx, record);
        MenuSettingsRecord read;
        ReadRecord(t.ctx, read);
        QCOMPARE(read.values, record.values);
        QCOMPARE(QStringList({read.title, read.programName, read.description, read.itemNames[1],
                              ReadMenuTab(t.ctx, kMenuTable, 2).caption, read.filePath}),
                 QStringList(5, value) << record.filePath);
        QCOMPARE(ReadMenuEntry(t.ctx, kMenuTable, 2, 3).value().programName, value);
        QCOMPARE(FindCatalogueEntry(t.ctx, record.filePath).value().itemNames[0], value);

        // The backup slices by the value.
        QTemporaryDir folder;
        QVERIFY(BackupDatabases(t.ctx, folder.path() + "/", {.sliceRows = 1}).copied);
        QCOMPARE(Take(folder.filePath("mstdb.mdb")).value("M得意先"),
                 businessBefore.value("M得意先"));
        QCOMPARE(Take(folder.filePath("mstdb.mdb")).value("K表" + value),
                 businessBefore.value("K表" + value));

        // The answer to the request, and the end.
        t.ctx.link.endInfo = value;
        CloseEnvironment(t.ctx);
        QCOMPARE(
            RowTexts(QueryRows(config, "SELECT * FROM プログラム連携情報 WHERE 連携区分 = '99'"),
                     {"発信プログラムID", "起動連携情報", "終了連携情報", "運用事業所コード",
                      "起動担当者コード", "ユーザID"}),
            QStringList(QStringList(6, value).join('|')));
        QCOMPARE(HistoryNotes(config).value(0), "開始 " + value);
        QCOMPARE(QueryValue(config, "SELECT count(*) FROM プログラム稼動履歴 WHERE ユーザID <> " +
                                        SqlLiteral(value))
                     .toInt(),
                 0);
        QCOMPARE(
            QueryValue(config, "SELECT count(*) FROM プログラム連携情報 WHERE 連携区分 <> '99'")
                .toInt(),
            0);

        // Nothing else moved: the person's menu rows and the run's own records aside.
        Snapshot configAfter = Take(config);
        Snapshot businessAfter = Take(business);
        const auto without = [&](QStringList rows) {
            rows.removeIf([&](const QString& row) { return row.contains(value); });
            return rows;
        };
        for (const QString& table : {kMenuTable, kMenuTable + "詳細"}) {
            QCOMPARE(without(businessAfter.take(table)), without(businessBefore.take(table)));
        }
        QCOMPARE(businessAfter, businessBefore);
        for (const char* written : {"プログラム連携情報", "プログラム稼動履歴"}) {
            configAfter.remove(written);
            configBefore.remove(written);
        }
        QCOMPARE(configAfter, configBefore);
    }

private:
    static QString SqlLiteral(const QString& text) {
        return QLatin1Char('\'') + QString(text).replace('\'', "''") + QLatin1Char('\'');
    }
};

QTEST_MAIN(TestSafety)
#include "tst_safety.moc"
