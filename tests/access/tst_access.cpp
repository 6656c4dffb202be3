#include "TestSupport.h"

#include "db/SqliteFile.h"
#include "install/AccessImport.h"
#include "install/Migration.h"
#include "platform/CodeConverter.h"

namespace {
const QString kData = QStringLiteral(ACCESS_DATA);

// The expected content of a test file: its column names, their declared types ("KEY" for the
// primary key) and every row, values as the other reader gave them (line breaks escaped).
QStringList ExpectedLines(const QString& name) {
    QFile file(kData + "/" + name + ".tsv");
    return file.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
               : QStringList();
}

// Every row of a table as one line: currency read back as a decimal of four places.
QStringList ImportedLines(const QString& path, const QString& table, const QStringList& names,
                          const QStringList& types) {
    QStringList cells;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString column = SqlIdentifier(names[i]);
        cells << (types[i] == "NUMERIC"
                      ? "printf('%.4f', " + column + ")"
                      : "replace(replace(replace(" + column +
                            ", '\\', '\\\\'), char(13), '\\r'), char(10), '\\n')");
        cells.last() = "COALESCE(" + cells.last() + ", 'NULL')";
    }
    return RowTexts(QueryRows(path, "SELECT " + cells.join(" || char(9) || ") + " AS line FROM " +
                                        SqlIdentifier(table) + " ORDER BY rowid"),
                    {"line"});
}
}  // namespace

// An office brings the Access files of its earlier installation.
class TestAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void importCarriesEveryValue_data() {
        Columns<QString, QString>("file", "table");
        Row("Access 2007 accdb", QString("ASampleDatabase.accdb"), QString("Asset Items"));
        Row("Jet 4 mdb, dates at the edges", QString("DateTestDatabase.mdb"), QString("DateTest"));
    }
    void importCarriesEveryValue() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        const QStringList expected = ExpectedLines(QFileInfo(file).completeBaseName());
        const QString target = dir_.filePath(QFileInfo(file).completeBaseName() + ".accdb");
        QCOMPARE(RunAdmin({"import-access", kData + "/" + file, target}), 0);
        const qsizetype rows = expected.size() - 2;
        QCOMPARE(lastOutput_, QString("テーブル\t読んだ行数\t書いた行数\t照合\n%1\t%2\t%2\t一致\n")
                                  .arg(table)
                                  .arg(rows));
        QCOMPARE(lastError_, QString());
        QCOMPARE(RowTexts(QueryRows(target,
                                    "SELECT name || ' ' || type || "
                                    "CASE pk WHEN 1 THEN ' KEY' ELSE '' END AS c "
                                    "FROM pragma_table_info(" +
                                        SqlQuote(table) + ")"),
                          {"c"}),
                 ZipColumns(expected[0].split('\t'), expected[1].split('\t')));
        QCOMPARE(ImportedLines(target, table, expected[0].split('\t'),
                               QString(expected[1]).remove(" KEY").split('\t')),
                 expected.mid(2));
        // The file has the form of the suite's own files.
        QCOMPARE(QueryValue(target, "SELECT value FROM numorika_info WHERE key = 'format'"),
                 QVariant("accdb"));
    }

    // Access counts days from 30 December 1899; the time of a day before it still counts forward.
    void accessValuesKeepEveryPlace_data() {
        Columns<QString, double, QString>("kind", "stored", "text");
        Row("the first day", QString("date"), 0.0, QString("1899-12-30 00:00:00"));
        Row("before the first day", QString("date"), -1.25, QString("1899-12-29 06:00:00"));
        Row("afternoon", QString("date"), 44532.5, QString("2021-12-02 12:00:00"));
        Row("the earliest", QString("date"), -657434.0, QString("0100-01-01 00:00:00"));
        Row("the last second", QString("date"), 2958465.99998843, QString("9999-12-31 23:59:59"));
        Row("a second rounds into the next day", QString("date"), 1.9999999999,
            QString("1900-01-01 00:00:00"));
        Row("currency", QString("money"), 19955000.0, QString("1995.5000"));
        Row("a negative ten-thousandth", QString("money"), -1.0, QString("-0.0001"));
        Row("the smallest currency", QString("money"), -9.2233720368547758e18,
            QString("-922337203685477.5808"));
    }
    void accessValuesKeepEveryPlace() {
        QFETCH(QString, kind);
        QFETCH(double, stored);
        QFETCH(QString, text);
        QCOMPARE(kind == "date" ? AccessDateText(stored) : AccessCurrencyText(qint64(stored)),
                 text);
    }

    // Each kind of value reaches the new file as it is, also those the test files do not hold.
    void valuesAreWrittenAsTheyAre_data() {
        Columns<QVariant, QString>("value", "stored");
        Row("integer", QVariant(qlonglong(-1)), QString("integer -1"));
        Row("real", QVariant(0.1), QString("real 0.1"));
        Row("text", QVariant(QString("社員\n")), QString("text '社員\n'"));
        Row("empty text", QVariant(QString("")), QString("text ''"));
        Row("text after a byte order mark", QVariant(QString(QChar(0xFEFF)) + "a"),
            QString("text '\uFEFFa'"));
        Row("bytes", QVariant(QByteArray("\0\xff", 2)), QString("blob X'00FF'"));
        Row("no bytes", QVariant(QByteArray("")), QString("blob X''"));
        Row("null", QVariant(), QString("null NULL"));
    }
    void valuesAreWrittenAsTheyAre() {
        QFETCH(QVariant, value);
        const QString path = dir_.filePath("kinds.sqlite");
        QFile::remove(path);
        {
            SqliteFile file(path);
            QVERIFY(file.execute("CREATE TABLE t (v)"));
            auto insert = file.prepare("INSERT INTO t VALUES (?)");
            QVERIFY(insert.has_value());
            insert->bind(0, value);
            QVERIFY(insert->run());
        }
        QTEST(QueryValue(path, "SELECT typeof(v) || ' ' || quote(v) FROM t").toString(), "stored");
    }

    // A file that cannot be read whole, or a target that is there already, is refused with one
    // line, and nothing is left beside them.
    void importRefuses_data() {
        Columns<qint64, qint64, QString>("cutAt", "garbledPage", "refusal");
        Row("target exists", qint64(-1), qint64(0), QString("は既に有ります。上書きしません。"));
        Row("cut inside a page", qint64(272000), qint64(0), QString("途中で切れています"));
        Row("cut at a page boundary", qint64(130 * 4096), qint64(0), QString("beyond EOF"));
        Row("catalogue damaged", qint64(0), qint64(17), QString("オブジェクトの一覧を読めません"));
        Row("data page damaged", qint64(0), qint64(44),
            QString("表「Asset Items」の行を読めません (表の記録では 65 行、読めたのは 36 行)"));
    }
    void importRefuses() {
        QFETCH(qint64, cutAt);
        QFETCH(qint64, garbledPage);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        QFile original(kData + "/ASampleDatabase.accdb");
        QVERIFY(original.open(QIODevice::ReadOnly));
        QByteArray bytes = original.readAll();
        if (cutAt > 0) {
            bytes.truncate(cutAt);
        }
        for (int i = 8; garbledPage > 0 && i < 4008; ++i) {
            bytes[garbledPage * 4096 + i] = char(i * 37 + 11);
        }
        const QString source = dir.filePath("gnrdb.accdb");
        const QString target = dir.filePath("gnrdb.sqlite");
        QVERIFY(WriteFile(source, bytes));
        QVERIFY(cutAt >= 0 || WriteFile(target, "kept"));
        QCOMPARE(RunAdmin({"import-access", source, target}), 2);
        QCOMPARE(lastError_.count('\n'), 1);
        QVERIFY2(lastError_.contains(refusal), qPrintable(lastError_));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 cutAt < 0 ? QStringList({"gnrdb.accdb", "gnrdb.sqlite"})
                           : QStringList({"gnrdb.accdb"}));
        QFile kept(target);
        QCOMPARE(kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray(),
                 cutAt < 0 ? QByteArray("kept") : QByteArray());
    }

    // The folders the earlier installation named on Windows are found here through the pairs.
    void pathsAreMapped_data() {
        Columns<QString, QString>("value", "mapped");
        Row("drive folder", QString("C:\\ヌモリカ\\写真\\社員"), QString("/srv/n/写真/社員"));
        Row("letter case aside", QString("c:\\ヌモリカ\\DOC.txt"), QString("/srv/n/DOC.txt"));
        Row("the folder itself", QString("C:\\ヌモリカ"), QString("/srv/n"));
        Row("a longer name is another folder", QString("C:\\ヌモリカ2\\x"), QString("-"));
        Row("the longest pair wins", QString("C:\\ヌモリカ\\prg\\a.exe"),
            QString("/opt/prg/a.exe"));
        Row("network share", QString("\\\\srv\\共有\\バックアップ"),
            QString("/mnt/共有/バックアップ"));
        Row("forward slashes", QString("C:/ヌモリカ/帳票"), QString("/srv/n/帳票"));
        Row("no pair for the drive", QString("D:\\data"), QString("-"));
        Row("a path of this machine stays", QString("/srv/n/x"), QString("/srv/n/x"));
    }
    void pathsAreMapped() {
        QFETCH(QString, value);
        const QList<PathMapping> pairs = {{"C:\\ヌモリカ\\", "/srv/n/"},
                                          {"C:\\ヌモリカ\\prg", "/opt/prg"},
                                          {"\\\\SRV\\共有", "/mnt/共有"}};
        QTEST(MapWindowsPath(value, pairs).value_or("-"), "mapped");
    }

    // migrate makes a working installation from an earlier one's folder, and never overwrites.
    void migrateMakesANewInstallation_data() {
        Columns<bool, int>("newExists", "status");
        Row("fresh", false, 0);
        Row("new installation there already", true, 2);
    }
    void migrateMakesANewInstallation() {
        QFETCH(bool, newExists);
        QTemporaryDir dir;
        const QString old = dir.filePath("old");
        const QString made = dir.filePath("new");
        QVERIFY(QDir().mkpath(old + "/conf") && QDir().mkpath(old + "/data"));
        QVERIFY(QFile::copy(kData + "/ASampleDatabase.accdb", old + "/conf/usrcnfg.accdb"));
        QVERIFY(QFile::copy(kData + "/DateTestDatabase.mdb", old + "/data/gnrdb.mdb"));
        QVERIFY(!newExists ||
                (QDir().mkpath(made + "/data") && WriteFile(made + "/data/gnrdb.accdb", "kept")));
        QTEST(RunAdmin({"migrate", old, made, "--map-path", "C:\\ヌモリカ=/srv/n"}), "status");
        if (newExists) {
            QCOMPARE(QDir(made + "/conf").entryList(QDir::Files), QStringList());
            return;
        }
        const QString business = QDir(made).absoluteFilePath("data/gnrdb.mdb");
        QCOMPARE(QueryValue(made + "/conf/usrcnfg.accdb",
                            "SELECT データソース名 FROM データベース定義 WHERE 情報種類 = 'GNR'"),
                 QVariant(business));
        QCOMPARE(QueryValue(business, "SELECT COUNT(*) FROM DateTest"), QVariant(6));
        const QString pin = lastOutput_.section("新しいシステム特権暗証番号: ", 1).left(8);
        const QString stored =
            QueryValue(business, "SELECT システム特権暗証番号 FROM Mユーザ").toString();
        QVERIFY(CodeConverter::verify(CodeConverter().convert(stored), pin));
        QVERIFY2(lastOutput_.endsWith("メニューは起動できます。\n"), qPrintable(lastOutput_));
    }

    // The company's folders, the menu's programs and the staff of a converted business file.
    void migratedBusinessWorksHere() {
        TestInstallation install;
        const QString business = install.businessPath();
        ExecuteOn(business,
                  "UPDATE Mユーザ SET 写真フォルダ = 'c:\\ヌモリカ\\写真', "
                  "BACKUPフォルダ = 'E:\\backup', 会社ロゴfile = 'C:\\ヌモリカ\\logo.png'");
        AddMenuRow(install, {"00012", 0, 1, "受注入力", "C:\\ヌモリカ\\prgbin\\受注.exe"});
        AddStaff(install, "00100", "山田", {{"暗証番号", "Q1x9$#"}});
        AddStaff(install, "00101", "佐藤",
                 {{"暗証番号", CodeConverter::encode("1234", PinCost::Minimal)}});
        MigrationResult result;
        QVERIFY(CompleteMigratedBusiness(business, {{{"C:\\ヌモリカ", "/srv/n"}}, {}, "NEWPIN23"},
                                         result));
        QCOMPARE(RowTexts(QueryRows(business, "SELECT 写真フォルダ, 会社ロゴfile FROM Mユーザ"),
                          {"写真フォルダ", "会社ロゴfile"}),
                 QStringList{"/srv/n/写真|/srv/n/logo.png"});
        QCOMPARE(QueryValue(business,
                            "SELECT filepath FROM ヌモリカマイメニュ詳細 WHERE "
                            "プログラム名 = '受注入力'"),
                 QVariant("/srv/n/prgbin/受注.exe"));
        QCOMPARE(result.unmappedPaths, QStringList{"Mユーザ.BACKUPフォルダ: E:\\backup"});
        QCOMPARE(result.staffWithoutPin, QStringList{"00100 山田"});
        const QString stored =
            QueryValue(business, "SELECT システム特権暗証番号 FROM Mユーザ").toString();
        QVERIFY(CodeConverter::verify(CodeConverter().convert(stored), "NEWPIN23"));
    }

private:
    static QStringList ZipColumns(const QStringList& names, const QStringList& types) {
        QStringList columns;
        for (qsizetype i = 0; i < names.size(); ++i) {
            columns << names[i] + " " + types.value(i);
        }
        return columns;
    }

    int RunAdmin(const QStringList& arguments) {
        QProcess admin;
        admin.start(ADMIN_TOOL, arguments);
        if (!admin.waitForFinished(60000)) {
            return -1;
        }
        lastError_ = QString::fromUtf8(admin.readAllStandardError());
        lastOutput_ = QString::fromUtf8(admin.readAllStandardOutput());
        return admin.exitCode();
    }

    QTemporaryDir dir_;
    QString lastError_;
    QString lastOutput_;
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
