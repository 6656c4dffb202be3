#include <QTest>

#include "db/SqlText.h"
#include "text/NumberText.h"

class TestSqlText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void escapesForTheRunHistory_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quote doubled, trailing blanks dropped") << "it's  "
                                                                << "it''s";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks only") << "   "
                                     << "";
        QTest::newRow("two quotes") << "''"
                                    << "''''";
        QTest::newRow("leading blanks kept") << "  a"
                                             << "  a";
        QTest::newRow("tab at the end is not a blank") << "a\t"
                                                       << "a\t";
        QTest::newRow("full-width blank kept") << "名前　"
                                               << "名前　";
    }
    void escapesForTheRunHistory() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(EscapeSqlText(text), expected);
    }

    void quotesValuesExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "000"
                               << "'000'";
        QTest::newRow("trailing blank kept") << "a "
                                             << "'a '";
        QTest::newRow("injection") << "'; DROP TABLE M担当者; --"
                                   << "'''; DROP TABLE M担当者; --'";
        QTest::newRow("empty") << ""
                               << "''";
    }
    void quotesValuesExactly() {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(SqlQuote(value), expected);
    }

    void zeroString_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("staff code") << 5 << "00000";
        QTest::newRow("office code") << 3 << "000";
        QTest::newRow("zero") << 0 << "";
        QTest::newRow("negative") << -1 << "";
    }
    void zeroString() {
        QFETCH(int, count);
        QFETCH(QString, expected);
        QCOMPARE(ZeroString(count), expected);
    }

    void readsStoredNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "1" << 1;
        QTest::newRow("leading blanks and sign") << "  -12" << -12;
        QTest::newRow("trailing text ignored") << "3月" << 3;
        QTest::newRow("no number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("fraction") << "1.6" << 2;
        QTest::newRow("beyond 16 bits") << "40000" << 32767;
        QTest::newRow("below 16 bits") << "-40000" << -32768;
        QTest::newRow("sign alone") << "-" << 0;
    }
    void readsStoredNumbers() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(int(ToInt16(text)), expected);
    }
};

QTEST_GUILESS_MAIN(TestSqlText)
#include "tst_sql_text.moc"
