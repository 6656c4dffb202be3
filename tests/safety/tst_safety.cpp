#include "TestSupport.h"

namespace {
using Snapshot = QMap<QString, QStringList>;

QString RowText(const QVariantMap& row) {
    QStringList fields;
    for (auto it = row.begin(); it != row.end(); ++it) {
        fields << it.key() + QLatin1Char('=') +
                      (it.value().isNull() ? QStringLiteral("NULL") : it.value().toString());
    }
    return fields.join(QChar(0x1f));
}

// Every table of a file with its rows, in a fixed order.
Snapshot Take(const QString& path) {
    Snapshot snapshot;
    for (const QVariantMap& table :
         QueryRows(path, "SELECT name FROM sqlite_master WHERE type = 'table'")) {
        const QString name = table.value("name").toString();
        QStringList rows;
        for (const QVariantMap& row : QueryRows(path, "SELECT * FROM \"" + name + "\"")) {
            rows << RowText(row);
        }
        rows.sort();
        snapshot.insert(name, rows);
    }
    return snapshot;
}

QString Field(const QString& path, const QString& sql) {
    return QueryRows(path, sql).value(0).value("v").toString();
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
        Row("control characters", QString::fromUtf8("a\x01\x07\x1b\x7f"
                                                    "b"));
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
        InsertRow(business, "M担当者",
                  {{"コード", value},
                   {"氏名", value},
                   {"ログインID", value},
                   {"在籍区分", "0"},
                   {"事業所コード", value},
                   {"暗証番号", CodeConverter::encode("ab12")}});
        AddCatalogue(install, "ヌモリカ", value, {value, value});
        ExecuteOn(business, "CREATE TABLE M得意先 (コード TEXT, 担当者コード TEXT)");
        for (const QVariant& key : QVariantList{value, "a", "z", QVariant(), value + "'"}) {
            InsertRow(business, "M得意先",
                      {{"コード", RowText({{"k", key}})}, {"担当者コード", key}});
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
        QCOMPARE(t.ctx.link.receivedSenderId, value);
        QCOMPARE(t.ctx.link.receivedStartInfo, value);
        QVERIFY(LoadCompanySettings(t.ctx));

        // The office and the person.
        QCOMPARE(LookupOffice(t.ctx, value).value_or(OfficeEntry{}).name, value);
        ChangeOperatingOffice(t.ctx, value);
        QCOMPARE(Field(config, "SELECT 運用事業所コード AS v FROM 動作環境定義"), value);
        SignInFields fields;
        QVERIFY(LookupStaffByLoginId(t.ctx, value, fields));
        QCOMPARE(fields.code, value);
        QVERIFY(LookupStaffByCode(t.ctx, value, fields));
        QCOMPARE(fields.name, value);
        QCOMPARE(ConfirmPin(t.ctx, fields, "AB12"), PinCheck::Accepted);
        QVERIFY(LoadSignedInCode(t.ctx));
        QCOMPARE(t.ctx.staff.code, value);

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
        QCOMPARE(read.title, value);
        QCOMPARE(read.programName, value);
        QCOMPARE(read.description, value);
        QCOMPARE(read.filePath, record.filePath);
        QCOMPARE(read.values, record.values);
        QCOMPARE(read.itemNames[1], value);
        QCOMPARE(ReadMenuTab(t.ctx, kMenuTable, 2).caption, value);
        QCOMPARE(ReadMenuEntry(t.ctx, kMenuTable, 2, 3).value().programName, value);
        QCOMPARE(FindCatalogueEntry(t.ctx, record.filePath).value().itemNames[0], value);

        // The backup slices by the value.
        QTemporaryDir folder;
        QVERIFY(BackupDatabases(t.ctx, folder.path() + "/", {.sliceRows = 1}).copied);
        QCOMPARE(Take(folder.filePath("mstdb.mdb")).value("M得意先"),
                 businessBefore.value("M得意先"));

        // The answer to the request, and the end.
        t.ctx.link.endInfo = value;
        CloseEnvironment(t.ctx);
        const QList<QVariantMap> answer =
            QueryRows(config, "SELECT * FROM プログラム連携情報 WHERE 連携区分 = '99'");
        QCOMPARE(answer.size(), 1);
        for (const char* column : {"発信プログラムID", "起動連携情報", "終了連携情報",
                                   "運用事業所コード", "起動担当者コード", "ユーザID"}) {
            QCOMPARE(answer[0].value(column).toString(), value);
        }
        const QStringList notes = HistoryNotes(config);
        QCOMPARE(notes.value(0), "開始 " + value);
        QCOMPARE(Field(config, "SELECT count(*) AS v FROM プログラム稼動履歴 WHERE ユーザID <> " +
                                   SqlLiteral(value)),
                 "0");

        // Nothing else moved: the tables the run writes differ only by its own rows.
        Snapshot configAfter = Take(config);
        Snapshot businessAfter = Take(business);
        QCOMPARE(configAfter.keys(), configBefore.keys());
        QCOMPARE(businessAfter.keys(), businessBefore.keys());
        const auto without = [](QStringList rows, const QString& part) {
            rows.erase(std::remove_if(rows.begin(), rows.end(),
                                      [&](const QString& row) { return row.contains(part); }),
                       rows.end());
            return rows;
        };
        const QString staffColumn = QStringLiteral("担当者コード=") + value;
        for (const QString& table : {kMenuTable, kMenuTable + "詳細"}) {
            QCOMPARE(without(businessAfter.take(table), staffColumn),
                     without(businessBefore.take(table), staffColumn));
        }
        QCOMPARE(businessAfter, businessBefore);
        QCOMPARE(without(configAfter.take("プログラム連携情報"), "連携区分=99").size(),
                 configBefore.take("プログラム連携情報").size() - 1);
        QCOMPARE(configAfter.take("プログラム稼動履歴").size() > 0, true);
        configBefore.remove("プログラム稼動履歴");
        const auto settingsRow = [](const QStringList& rows) {
            QStringList kept;
            for (const QString& field : rows.value(0).split(QChar(0x1f))) {
                if (!field.contains("運用事業所コード=") && !field.contains("起動担当者コード=") &&
                    !field.contains("バックアップ日付=")) {
                    kept << field;
                }
            }
            return kept;
        };
        QCOMPARE(settingsRow(configAfter.take("動作環境定義")),
                 settingsRow(configBefore.take("動作環境定義")));
        QCOMPARE(configAfter, configBefore);
    }

private:
    static QString SqlLiteral(const QString& text) {
        return QLatin1Char('\'') + QString(text).replace('\'', "''") + QLatin1Char('\'');
    }
};

QTEST_MAIN(TestSafety)
#include "tst_safety.moc"
