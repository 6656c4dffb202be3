#include <QTest>

#include "db/JetTranslator.h"
#include "text/StringHelpers.h"

class TestStringHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatsCodes_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded") << "12"
                                << "00000"
                                << "00012";
        QTest::newRow("cut to the pattern") << "123456"
                                            << "00000"
                                            << "12345";
        QTest::newRow("not a number") << "AB"
                                      << "00000"
                                      << "AB";
        QTest::newRow("not a number, cut") << "ABCDEFG"
                                           << "000"
                                           << "ABC";
        QTest::newRow("empty pattern") << "12"
                                       << ""
                                       << "12";
        QTest::newRow("office") << "1"
                                << "000"
                                << "001";
        QTest::newRow("blanks around a number") << " 7 "
                                                << "000"
                                                << "007";
        QTest::newRow("empty") << ""
                               << "000"
                               << "";
        QTest::newRow("fraction rounds half away") << "2.5"
                                                   << "000"
                                                   << "003";
        QTest::newRow("negative") << "-1"
                                  << "000"
                                  << "-00";
        QTest::newRow("digits then letters") << "12a"
                                             << "00000"
                                             << "12a";
        // Beyond any number: the text as typed, never "inf".
        QTest::newRow("too large for a number") << "1e999"
                                                << "000"
                                                << "1e9";
        QTest::newRow("too small for a number") << "-1e400"
                                                << "00000"
                                                << "-1e40";
    }
    void formatsCodes() {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(FormatToPattern(value, pattern), expected);
    }

    void cutsToBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("notice");
        QTest::newRow("full-width, one byte short") << "アイウ" << 5 << "アイ"
                                                    << "1文字オーバーです。";
        QTest::newRow("full-width, exact") << "アイウ" << 6 << "アイウ"
                                           << "";
        QTest::newRow("limit 0") << "アイウ" << 0 << ""
                                 << "3文字オーバーです。";
        QTest::newRow("half-width katakana") << "ｱｲｳ" << 2 << "ｱｲ"
                                             << "1文字オーバーです。";
        QTest::newRow("11 full-width in 20") << QString(11, QChar(0x3042)) << 20
                                             << QString(10, QChar(0x3042)) << "1文字オーバーです。";
        QTest::newRow("mixed") << "aあb" << 3 << "aあ"
                               << "1文字オーバーです。";
        QTest::newRow("emoji is one character") << "a😀b" << 2 << "a"
                                                << "2文字オーバーです。";
    }
    void cutsToBytes() {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QFETCH(QString, notice);
        QCOMPARE(TruncateToBytes(text, limit), expected);
        QCOMPARE(LengthNoticeText(text, limit), notice);
    }

    void translatesTop_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("top") << "SELECT TOP 1 * FROM M他業務連携 WHERE コード = '003'"
                             << "SELECT * FROM M他業務連携 WHERE コード = '003' LIMIT 1";
        QTest::newRow("lower case, distinct") << "select distinct top 10 a FROM t"
                                              << "select distinct a FROM t LIMIT 10";
        QTest::newRow("no top") << "SELECT * FROM t"
                                << "SELECT * FROM t";
        QTest::newRow("TOP inside a value stays") << "SELECT * FROM t WHERE a = 'SELECT TOP 1 '"
                                                  << "SELECT * FROM t WHERE a = 'SELECT TOP 1 '";
    }
    void translatesTop() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(TranslateForEngine(sql), expected);
    }
};

QTEST_GUILESS_MAIN(TestStringHelpers)
#include "tst_string_helpers.moc"
