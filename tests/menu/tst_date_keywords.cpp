#include <QTest>

#include "menu/DateKeywords.h"

namespace {
const FiscalCalendar marchEnd{3, 31};

void Row(const char* tag, const QDate& today, const QString& keyword, const QString& expected) {
    QTest::newRow(tag) << today << keyword << expected;
}

// One group of keywords with the same shift of today and output length.
void AddGroup(const QString& keywords, int days, int months, int years, int length) {
    QTest::newRow(keywords.section(QStringLiteral(", "), 0, 0).toUtf8().constData())
        << keywords.split(QStringLiteral(", ")) << days << months << years << length;
}
}  // namespace

class TestDateKeywords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resolves_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("expected");
        const QDate jan31(2024, 1, 31);
        const QDate feb29(2024, 2, 29);
        const QDate dec15(2024, 12, 15);
        const QDate mar31(2024, 3, 31);
        const QDate may15(2024, 5, 15);
        Row("next month from 31 Jan clamps", jan31, QStringLiteral("翌月の日"), "20240229");
        Row("common year clamps to the 28th", QDate(2023, 1, 31), QStringLiteral("翌月の日"),
            "20230228");
        Row("next month as yyyymm", jan31, QStringLiteral("来月"), "202402");
        Row("previous month start in January", jan31, QStringLiteral("前月月初"), "20231201");
        Row("previous month in January", jan31, QStringLiteral("先月"), "202312");
        Row("previous month end in January", jan31, QStringLiteral("前月月末"), "20231231");
        Row("month end in January", jan31, QStringLiteral("当月月末"), "20240131");
        Row("this week is today", jan31, QStringLiteral("今週"), "20240131");
        Row("last week is seven days back", jan31, QStringLiteral("先週"), "20240124");
        Row("next year from 29 Feb", feb29, QStringLiteral("来年の日"), "20250228");
        Row("a year back from 29 Feb", feb29, QStringLiteral("1年前の日"), "20230228");
        Row("leap month end", feb29, QStringLiteral("当月月末"), "20240229");
        Row("fiscal start a year back from 29 Feb", feb29, QStringLiteral("前期期首"), "20220401");
        Row("next month's year in December", dec15, QStringLiteral("来月の年"), "2025");
        Row("next month in December", dec15, QStringLiteral("来月"), "202501");
        Row("month end in December", dec15, QStringLiteral("当月月末"), "20241231");
        Row("one month back from 31 Mar", mar31, QStringLiteral("一月前の日"), "20240229");
        Row("previous month end from 31 Mar", mar31, QStringLiteral("前月月末"), "20240229");
        Row("half a year ahead", mar31, QStringLiteral("半年先の日"), "20240930");
        Row("six months ahead, month", mar31, QStringLiteral("六ヶ月先の月"), "202409");
        Row("six months ahead, year", QDate(2024, 8, 31), QStringLiteral("6ヶ月先の年"), "2025");
        Row("month start", may15, QStringLiteral("当月月初"), "20240501");
        Row("previous month start", may15, QStringLiteral("前月月初"), "20240401");
        Row("year start", may15, QStringLiteral("当年年初"), "20240101");
        Row("year end", may15, QStringLiteral("当年年末"), "20241231");
        Row("previous year start", may15, QStringLiteral("前年年初"), "20230101");
        Row("previous year end", may15, QStringLiteral("前年年末"), "20231231");
        Row("fiscal start", may15, QStringLiteral("当期期首"), "20240401");
        Row("fiscal end", may15, QStringLiteral("当期期末"), "20250331");
        Row("previous fiscal start", may15, QStringLiteral("前期期首"), "20230401");
        Row("previous fiscal end", may15, QStringLiteral("前期期末"), "20240331");
    }
    void resolves() {
        QFETCH(QDate, today);
        QFETCH(QString, keyword);
        QFETCH(QString, expected);
        QCOMPARE(ResolveDateKeyword(keyword, today, marchEnd), expected);
    }

    void leavesOtherValues_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << " ";
        QTest::newRow("leading blank") << QStringLiteral(" 今日");
        QTest::newRow("trailing blank") << QStringLiteral("今日 ");
        QTest::newRow("full-width blank") << QStringLiteral("今日　");
        QTest::newRow("half-width kana variant") << QStringLiteral("1ｹ月先の日");
        QTest::newRow("small ka variant") << QStringLiteral("1ヵ月先の日");
        QTest::newRow("keyword twice") << QStringLiteral("今日今日");
        QTest::newRow("part of a keyword") << QStringLiteral("来月の");
        QTest::newRow("fixed date") << "20240101";
        QTest::newRow("code") << "000123";
    }
    void leavesOtherValues() {
        QFETCH(QString, value);
        QCOMPARE(ResolveDateKeyword(value, QDate(2024, 1, 31), marchEnd), value);
    }

    // Every variant of a group shifts today alike, seen from dates where each month shift
    // crosses a year boundary differently.
    void everyKeyword_data() {
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("months");
        QTest::addColumn<int>("years");
        QTest::addColumn<int>("length");
        // clang-format off
        AddGroup(QStringLiteral("今日, 本日, 今週"), 0, 0, 0, 8);
        AddGroup(QStringLiteral("翌週, 来週, 一週間先, １週間先, 1週間先"), 7, 0, 0, 8);
        AddGroup(QStringLiteral("来々週, 再来週, 翌々週, 二週間先, ２週間先, 2週間先"), 14, 0, 0, 8);
        AddGroup(QStringLiteral("３週間先, 三週間先, 3週間先"), 21, 0, 0, 8);
        AddGroup(QStringLiteral("４週間先, 四週間先, 4週間先"), 28, 0, 0, 8);
        AddGroup(QStringLiteral("一週間前, 先週, １週間前, 1週間前"), -7, 0, 0, 8);
        AddGroup(QStringLiteral("二週間前, 先々週, ２週間前, 2週間前"), -14, 0, 0, 8);
        AddGroup(QStringLiteral("３週間前, 三週間前, 3週間前"), -21, 0, 0, 8);
        AddGroup(QStringLiteral("４週間前, 四週間前, 4週間前"), -28, 0, 0, 8);
        AddGroup(QStringLiteral("翌月の日, 来月の日, 一月先の日, 一ヶ月先の日, １ヶ月先の日, 1ヶ月先の日"), 0, 1, 0, 8);
        AddGroup(QStringLiteral("来々月の日, 再来月の日, 翌々月の日, 二月先の日, 二ヶ月先の日, ２ヶ月先の日, 2ヶ月先の日"), 0, 2, 0, 8);
        AddGroup(QStringLiteral("三ヶ月先の日, 三月先の日, ３ヶ月先の日, 3ヶ月先の日"), 0, 3, 0, 8);
        AddGroup(QStringLiteral("四ヶ月先の日, 四月先の日, ４ヶ月先の日, 4ヶ月先の日"), 0, 4, 0, 8);
        AddGroup(QStringLiteral("五ヶ月先の日, 五月先の日, ５ヶ月先の日, 5ヶ月先の日"), 0, 5, 0, 8);
        AddGroup(QStringLiteral("六月先の日, 半年先の日, 六ヶ月先の日, ６ヶ月先の日, 6ヶ月先の日"), 0, 6, 0, 8);
        AddGroup(QStringLiteral("前月の日, 先月の日, 一月前の日, 一ヶ月前の日, １ヶ月前の日, 1ヶ月前の日"), 0, -1, 0, 8);
        AddGroup(QStringLiteral("前々月の日, 先々月の日, 二月前の日, 二ヶ月前の日, ２ヶ月前の日, 2ヶ月前の日"), 0, -2, 0, 8);
        AddGroup(QStringLiteral("三ヶ月前の日, 三月前の日, ３ヶ月前の日, 3ヶ月前の日"), 0, -3, 0, 8);
        AddGroup(QStringLiteral("四ヶ月前の日, 四月前の日, ４ヶ月前の日, 4ヶ月前の日"), 0, -4, 0, 8);
        AddGroup(QStringLiteral("五ヶ月前の日, 五月前の日, ５ヶ月前の日, 5ヶ月前の日"), 0, -5, 0, 8);
        AddGroup(QStringLiteral("六月前の日, 半年前の日, 六ヶ月前の日, ６ヶ月前の日, 6ヶ月前の日"), 0, -6, 0, 8);
        AddGroup(QStringLiteral("翌年の日, 来年の日, 一年先の日, １年先の日, 1年先の日"), 0, 0, 1, 8);
        AddGroup(QStringLiteral("前年の日, 先年の日, 一年前の日, １年前の日, 1年前の日"), 0, 0, -1, 8);
        AddGroup(QStringLiteral("今日の月, 本日の月, 今月"), 0, 0, 0, 6);
        AddGroup(QStringLiteral("来月の月, 来月, 翌月の月, 一月先の月, 一ヶ月先の月, １ヶ月先の月, 1ヶ月先の月"), 0, 1, 0, 6);
        AddGroup(QStringLiteral("再来月の月, 再来月, 来々月の月, 翌々月の月, 二月先の月, 二ヶ月先の月, ２ヶ月先の月, 2ヶ月先の月"), 0, 2, 0, 6);
        AddGroup(QStringLiteral("三ヶ月先の月, 三月先の月, ３ヶ月先の月, 3ヶ月先の月"), 0, 3, 0, 6);
        AddGroup(QStringLiteral("四ヶ月先の月, 四月先の月, ４ヶ月先の月, 4ヶ月先の月"), 0, 4, 0, 6);
        AddGroup(QStringLiteral("五ヶ月先の月, 五月先の月, ５ヶ月先の月, 5ヶ月先の月"), 0, 5, 0, 6);
        AddGroup(QStringLiteral("六月先の月, 半年先の月, 六ヶ月先の月, ６ヶ月先の月, 6ヶ月先の月"), 0, 6, 0, 6);
        AddGroup(QStringLiteral("先月の月, 先月, 前月の月, 一月前の月, 一ヶ月前の月, １ヶ月前の月, 1ヶ月前の月"), 0, -1, 0, 6);
        AddGroup(QStringLiteral("先々月の月, 先々月, 前々月の月, 二月前の月, 二ヶ月前の月, ２ヶ月前の月, 2ヶ月前の月"), 0, -2, 0, 6);
        AddGroup(QStringLiteral("三ヶ月前の月, 三月前の月, ３ヶ月前の月, 3ヶ月前の月"), 0, -3, 0, 6);
        AddGroup(QStringLiteral("四ヶ月前の月, 四月前の月, ４ヶ月前の月, 4ヶ月前の月"), 0, -4, 0, 6);
        AddGroup(QStringLiteral("五ヶ月前の月, 五月前の月, ５ヶ月前の月, 5ヶ月前の月"), 0, -5, 0, 6);
        AddGroup(QStringLiteral("六月前の月, 半年前の月, 六ヶ月前の月, ６ヶ月前の月, 6ヶ月前の月"), 0, -6, 0, 6);
        AddGroup(QStringLiteral("翌年の月, 来年の月, 一年先の月, １年先の月, 1年先の月"), 0, 0, 1, 6);
        AddGroup(QStringLiteral("前年の月, 先年の月, 一年前の月, １年前の月, 1年前の月"), 0, 0, -1, 6);
        AddGroup(QStringLiteral("今日の年, 本日の年, 今年"), 0, 0, 0, 4);
        AddGroup(QStringLiteral("翌月の年, 来月の年, 一月先の年, 一ヶ月先の年, １ヶ月先の年, 1ヶ月先の年"), 0, 1, 0, 4);
        AddGroup(QStringLiteral("来々月の年, 再来月の年, 翌々月の年, 二月先の年, 二ヶ月先の年, ２ヶ月先の年, 2ヶ月先の年"), 0, 2, 0, 4);
        AddGroup(QStringLiteral("三ヶ月先の年, 三月先の年, ３ヶ月先の年, 3ヶ月先の年"), 0, 3, 0, 4);
        AddGroup(QStringLiteral("四ヶ月先の年, 四月先の年, ４ヶ月先の年, 4ヶ月先の年"), 0, 4, 0, 4);
        AddGroup(QStringLiteral("五ヶ月先の年, 五月先の年, ５ヶ月先の年, 5ヶ月先の年"), 0, 5, 0, 4);
        AddGroup(QStringLiteral("六月先の年, 半年先の年, 六ヶ月先の年, ６ヶ月先の年, 6ヶ月先の年"), 0, 6, 0, 4);
        AddGroup(QStringLiteral("前月の年, 先月の年, 一月前の年, 一ヶ月前の年, １ヶ月前の年, 1ヶ月前の年"), 0, -1, 0, 4);
        AddGroup(QStringLiteral("前々月の年, 先々月の年, 二月前の年, 二ヶ月前の年, ２ヶ月前の年, 2ヶ月前の年"), 0, -2, 0, 4);
        AddGroup(QStringLiteral("三ヶ月前の年, 三月前の年, ３ヶ月前の年, 3ヶ月前の年"), 0, -3, 0, 4);
        AddGroup(QStringLiteral("四ヶ月前の年, 四月前の年, ４ヶ月前の年, 4ヶ月前の年"), 0, -4, 0, 4);
        AddGroup(QStringLiteral("五ヶ月前の年, 五月前の年, ５ヶ月前の年, 5ヶ月前の年"), 0, -5, 0, 4);
        AddGroup(QStringLiteral("六月前の年, 半年前の年, 六ヶ月前の年, ６ヶ月前の年, 6ヶ月前の年"), 0, -6, 0, 4);
        AddGroup(QStringLiteral("来年の年, 来年, 翌年の年, 一年先の年, １年先の年, 1年先の年"), 0, 0, 1, 4);
        AddGroup(QStringLiteral("先年, 前年, 先年の年, 前年の年, 一年前の年, １年前の年, 1年前の年"), 0, 0, -1, 4);
        // clang-format on
    }
    void everyKeyword() {
        QFETCH(QStringList, keywords);
        QFETCH(int, days);
        QFETCH(int, months);
        QFETCH(int, years);
        QFETCH(int, length);
        QList<QDate> todays = {QDate(2023, 12, 31), QDate(2024, 1, 31), QDate(2024, 2, 29)};
        for (int month = 1; month <= 12; ++month) {
            todays << QDate(2024, month, 15);
        }
        for (const QDate& today : todays) {
            const QString expected = today.addDays(days)
                                         .addMonths(months)
                                         .addYears(years)
                                         .toString(QStringLiteral("yyyyMMdd"))
                                         .left(length);
            for (const QString& keyword : keywords) {
                QCOMPARE(ResolveDateKeyword(keyword, today, marchEnd), expected);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDateKeywords)
#include "tst_date_keywords.moc"
