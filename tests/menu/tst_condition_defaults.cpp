#include <QTest>

#include "menu/ConditionDefaults.h"

namespace {
ConditionSettings SettingsOn(const QDate& today) {
    return ConditionSettings{today, QStringLiteral("002"), FiscalCalendar{3, 31}};
}

void EmptyRow(const char* tag, const QDate& today, const QString& name, const QString& expected) {
    QTest::newRow(tag) << today << name << expected;
}

void StoredRow(const char* tag, const QString& name, const QString& value,
               const QString& expected) {
    QTest::newRow(tag) << name << value << expected;
}

void FiscalRow(const char* tag, int closingMonth, int closingDay, const QString& date,
               const QString& start, const QString& end, const QString& closing) {
    QTest::newRow(tag) << closingMonth << closingDay << date << start << end << closing;
}
}  // namespace

class TestConditionDefaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyValues_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QDate mar31(2024, 3, 31);
        const QDate may15(2024, 5, 15);
        EmptyRow("no name", mar31, QString(), QString());
        EmptyRow("office", mar31, QStringLiteral("事業所コード"), "002");
        EmptyRow("printmode", mar31, "printmode", "1");
        EmptyRow("office range start", mar31, QStringLiteral("開始事業所コード"), "000");
        EmptyRow("customer range end", mar31, QStringLiteral("終了得意先コード"), "999999");
        EmptyRow("order number end", mar31, QStringLiteral("終了配送手配No"), "99999999");
        EmptyRow("product class end", mar31, QStringLiteral("終了商品分類コード"), "ZZZZ");
        EmptyRow("product start adds nothing", mar31, QStringLiteral("開始商品コード"), "");
        EmptyRow("product end", mar31, QStringLiteral("終了商品コード"), QString(16, u'Z'));
        EmptyRow("exact names only", mar31, QStringLiteral("開始事業所コード "), "");
        EmptyRow("sales class start", mar31, QStringLiteral("開始売上区分"), "01");
        EmptyRow("shipping class end", mar31, QStringLiteral("終了出荷区分"), "10");
        EmptyRow("payment class", mar31, QStringLiteral("支払区分"), "00");
        EmptyRow("display class", mar31, QStringLiteral("表示区分"), "0");
        EmptyRow("account class before start", mar31, QStringLiteral("開始科目区分"), "1");
        EmptyRow("other class start", mar31, QStringLiteral("開始在庫区分"), "0");
        EmptyRow("just class", mar31, QStringLiteral("区分"), "9");
        EmptyRow("class before date", mar31, QStringLiteral("年月日区分"), "9");
        EmptyRow("start date a month back", mar31, QStringLiteral("開始日付"), "20240229");
        EmptyRow("end date is today", mar31, QStringLiteral("終了年月日"), "20240331");
        EmptyRow("start month, fiscal start", mar31, QStringLiteral("開始年月"), "202304");
        EmptyRow("start month, new year", may15, QStringLiteral("開始年月度"), "202404");
        EmptyRow("end month, closing month", mar31, QStringLiteral("終了年月"), "202403");
        EmptyRow("start year two years back", mar31, QStringLiteral("開始年度"), "2021");
        EmptyRow("end year, fiscal end", mar31, QStringLiteral("終了年度"), "2024");
        EmptyRow("year after the year turns", may15, QStringLiteral("年度"), "2025");
        EmptyRow("sw flag", mar31, "printsw", "0");
        EmptyRow("SW is not sw", mar31, "SW", "");
        EmptyRow("unknown name", mar31, QStringLiteral("備考"), "");
    }
    void emptyValues() {
        QFETCH(QDate, today);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(DefaultConditionValue(name, QString(), SettingsOn(today)), expected);
    }

    // Stored values, on 31 January 2024.
    void storedValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString salesClass = QStringLiteral("売上区分");
        StoredRow("class rounds up", salesClass, "2.6", "3");
        StoredRow("class drops leading zeros", salesClass, "07", "7");
        StoredRow("class half away from zero", salesClass, "2.5", "3");
        StoredRow("negative half away from zero", salesClass, "-2.5", "-3");
        StoredRow("small negative is 0", salesClass, "-0.4", "0");
        StoredRow("no leading number", salesClass, "abc", "0");
        StoredRow("blank value", salesClass, " ", "0");
        StoredRow("class keyword not resolved", salesClass, QStringLiteral("来月"), "0");
        StoredRow("sw value", "printsw", "01", "1");
        StoredRow("date keyword", QStringLiteral("開始日付"), QStringLiteral("来月の日"),
                  "20240229");
        StoredRow("keyword in a code item", QStringLiteral("得意先コード"), QStringLiteral("今日"),
                  "20240131");
        StoredRow("code passed on", QStringLiteral("終了得意先コード"), "000123", "000123");
        StoredRow("SW value passed on", "SW", "07", "07");
        StoredRow("no name", QString(), "x", QString());
    }
    void storedValues() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(DefaultConditionValue(name, value, SettingsOn(QDate(2024, 1, 31))), expected);
    }

    void fiscalCalendar_data() {
        QTest::addColumn<int>("closingMonth");
        QTest::addColumn<int>("closingDay");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("closing");
        FiscalRow("March, mid-February", 3, 31, "20240215", "20230401", "20240331", "20240229");
        FiscalRow("March, first day", 3, 31, "20240401", "20240401", "20250331", "20240430");
        FiscalRow("March, last day", 3, 31, "20240331", "20230401", "20240331", "20240331");
        FiscalRow("December", 12, 31, "20240615", "20240101", "20241231", "20240630");
        FiscalRow("December, 1 Jan", 12, 31, "20240101", "20240101", "20241231", "20240131");
        FiscalRow("Feb 28, leap year", 2, 28, "20240201", "20230301", "20240229", "20240229");
        FiscalRow("Feb 28, after", 2, 28, "20240301", "20240301", "20250228", "20240331");
        FiscalRow("Feb 28, into a leap year", 2, 28, "20230301", "20230301", "20240229",
                  "20230331");
        FiscalRow("Feb 28, leap day", 2, 28, "20240229", "20230301", "20240229", "20240229");
        FiscalRow("day 20, before", 3, 20, "20240515", "20240321", "20250320", "20240520");
        FiscalRow("day 20, after", 3, 20, "20240525", "20240321", "20250320", "20240620");
        FiscalRow("day 20, on it", 3, 20, "20240320", "20230321", "20240320", "20240320");
        FiscalRow("day 20, December", 3, 20, "20241225", "20240321", "20250320", "20250120");
        FiscalRow("day 30 rolls over", 3, 30, "20240215", "20230331", "20240330", "20240301");
    }
    void fiscalCalendar() {
        QFETCH(int, closingMonth);
        QFETCH(int, closingDay);
        QFETCH(QString, date);
        const FiscalCalendar calendar{closingMonth, closingDay};
        QTEST(FiscalYearStart(date, calendar), "start");
        QTEST(FiscalYearEnd(date, calendar), "end");
        QTEST(MonthClosingDate(date, calendar), "closing");
    }

    void buildsDates_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("month 13") << 2024 << 13 << 1 << QDate(2025, 1, 1);
        QTest::newRow("month 0") << 2024 << 0 << 1 << QDate(2023, 12, 1);
        QTest::newRow("month -12") << 2024 << -12 << 1 << QDate(2022, 12, 1);
        QTest::newRow("day 0") << 2024 << 3 << 0 << QDate(2024, 2, 29);
        QTest::newRow("day past the end") << 2023 << 2 << 30 << QDate(2023, 3, 2);
        QTest::newRow("month 25, day 0") << 2024 << 25 << 0 << QDate(2025, 12, 31);
    }
    void buildsDates() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QTEST(BuildDate(year, month, day), "expected");
    }

    void codeFills_data() {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::newRow("zeros") << "000" << 3 << "000" << QStringLiteral("999");
        QTest::newRow("template wins over width") << "00" << 5 << "00" << QStringLiteral("99");
        QTest::newRow("empty template") << QString() << 4 << QString() << QStringLiteral("ZZZZ");
        QTest::newRow("empty, width 0") << QString() << 0 << QString() << QString();
        QTest::newRow("empty, negative width") << QString() << -2 << QString() << QString();
    }
    void codeFills() {
        QFETCH(QString, templateText);
        QFETCH(int, width);
        QTEST(StartCodeFill(templateText), "start");
        QTEST(EndCodeFill(templateText, width), "end");
        QCOMPARE(RepeatNine(width), width > 0 ? QString(width, u'9') : QString());
    }
};

QTEST_GUILESS_MAIN(TestConditionDefaults)
#include "tst_condition_defaults.moc"
