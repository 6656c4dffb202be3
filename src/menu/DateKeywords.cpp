#include "menu/DateKeywords.h"

#include <QHash>
#include <vector>

namespace {
enum class Shift { Days, Weeks, Months, Years };
enum class DateForm { Day, Month, Year };

struct KeywordGroup {
    Shift shift;
    int amount;
    DateForm form;
    QString keywords;  // the variants of one keyword, separated by ", "
};

// Compared in this order; the first group holding the value gives the result.
const std::vector<KeywordGroup>& KeywordGroups() {
    // clang-format off
    static const std::vector<KeywordGroup> groups = {
        // yyyymmdd
        {Shift::Days, 0, DateForm::Day, QStringLiteral("今日, 本日, 今週")},
        {Shift::Weeks, 1, DateForm::Day, QStringLiteral("翌週, 来週, 一週間先, １週間先, 1週間先")},
        {Shift::Weeks, 2, DateForm::Day, QStringLiteral("来々週, 再来週, 翌々週, 二週間先, ２週間先, 2週間先")},
        {Shift::Weeks, 3, DateForm::Day, QStringLiteral("３週間先, 三週間先, 3週間先")},
        {Shift::Weeks, 4, DateForm::Day, QStringLiteral("４週間先, 四週間先, 4週間先")},
        {Shift::Weeks, -1, DateForm::Day, QStringLiteral("一週間前, 先週, １週間前, 1週間前")},
        {Shift::Weeks, -2, DateForm::Day, QStringLiteral("二週間前, 先々週, ２週間前, 2週間前")},
        {Shift::Weeks, -3, DateForm::Day, QStringLiteral("３週間前, 三週間前, 3週間前")},
        {Shift::Weeks, -4, DateForm::Day, QStringLiteral("４週間前, 四週間前, 4週間前")},
        {Shift::Months, 1, DateForm::Day, QStringLiteral("翌月の日, 来月の日, 一月先の日, 一ヶ月先の日, １ヶ月先の日, 1ヶ月先の日")},
        {Shift::Months, 2, DateForm::Day, QStringLiteral("来々月の日, 再来月の日, 翌々月の日, 二月先の日, 二ヶ月先の日, ２ヶ月先の日, 2ヶ月先の日")},
        {Shift::Months, 3, DateForm::Day, QStringLiteral("三ヶ月先の日, 三月先の日, ３ヶ月先の日, 3ヶ月先の日")},
        {Shift::Months, 4, DateForm::Day, QStringLiteral("四ヶ月先の日, 四月先の日, ４ヶ月先の日, 4ヶ月先の日")},
        {Shift::Months, 5, DateForm::Day, QStringLiteral("五ヶ月先の日, 五月先の日, ５ヶ月先の日, 5ヶ月先の日")},
        {Shift::Months, 6, DateForm::Day, QStringLiteral("六月先の日, 半年先の日, 六ヶ月先の日, ６ヶ月先の日, 6ヶ月先の日")},
        {Shift::Months, -1, DateForm::Day, QStringLiteral("前月の日, 先月の日, 一月前の日, 一ヶ月前の日, １ヶ月前の日, 1ヶ月前の日")},
        {Shift::Months, -2, DateForm::Day, QStringLiteral("前々月の日, 先々月の日, 二月前の日, 二ヶ月前の日, ２ヶ月前の日, 2ヶ月前の日")},
        {Shift::Months, -3, DateForm::Day, QStringLiteral("三ヶ月前の日, 三月前の日, ３ヶ月前の日, 3ヶ月前の日")},
        {Shift::Months, -4, DateForm::Day, QStringLiteral("四ヶ月前の日, 四月前の日, ４ヶ月前の日, 4ヶ月前の日")},
        {Shift::Months, -5, DateForm::Day, QStringLiteral("五ヶ月前の日, 五月前の日, ５ヶ月前の日, 5ヶ月前の日")},
        {Shift::Months, -6, DateForm::Day, QStringLiteral("六月前の日, 半年前の日, 六ヶ月前の日, ６ヶ月前の日, 6ヶ月前の日")},
        {Shift::Years, 1, DateForm::Day, QStringLiteral("翌年の日, 来年の日, 一年先の日, １年先の日, 1年先の日")},
        {Shift::Years, -1, DateForm::Day, QStringLiteral("前年の日, 先年の日, 一年前の日, １年前の日, 1年前の日")},
        // yyyymm
        {Shift::Days, 0, DateForm::Month, QStringLiteral("今日の月, 本日の月, 今月")},
        {Shift::Months, 1, DateForm::Month, QStringLiteral("来月の月, 来月, 翌月の月, 一月先の月, 一ヶ月先の月, １ヶ月先の月, 1ヶ月先の月")},
        {Shift::Months, 2, DateForm::Month, QStringLiteral("再来月の月, 再来月, 来々月の月, 翌々月の月, 二月先の月, 二ヶ月先の月, ２ヶ月先の月, 2ヶ月先の月")},
        {Shift::Months, 3, DateForm::Month, QStringLiteral("三ヶ月先の月, 三月先の月, ３ヶ月先の月, 3ヶ月先の月")},
        {Shift::Months, 4, DateForm::Month, QStringLiteral("四ヶ月先の月, 四月先の月, ４ヶ月先の月, 4ヶ月先の月")},
        {Shift::Months, 5, DateForm::Month, QStringLiteral("五ヶ月先の月, 五月先の月, ５ヶ月先の月, 5ヶ月先の月")},
        {Shift::Months, 6, DateForm::Month, QStringLiteral("六月先の月, 半年先の月, 六ヶ月先の月, ６ヶ月先の月, 6ヶ月先の月")},
        {Shift::Months, -1, DateForm::Month, QStringLiteral("先月の月, 先月, 前月の月, 一月前の月, 一ヶ月前の月, １ヶ月前の月, 1ヶ月前の月")},
        {Shift::Months, -2, DateForm::Month, QStringLiteral("先々月の月, 先々月, 前々月の月, 二月前の月, 二ヶ月前の月, ２ヶ月前の月, 2ヶ月前の月")},
        {Shift::Months, -3, DateForm::Month, QStringLiteral("三ヶ月前の月, 三月前の月, ３ヶ月前の月, 3ヶ月前の月")},
        {Shift::Months, -4, DateForm::Month, QStringLiteral("四ヶ月前の月, 四月前の月, ４ヶ月前の月, 4ヶ月前の月")},
        {Shift::Months, -5, DateForm::Month, QStringLiteral("五ヶ月前の月, 五月前の月, ５ヶ月前の月, 5ヶ月前の月")},
        {Shift::Months, -6, DateForm::Month, QStringLiteral("六月前の月, 半年前の月, 六ヶ月前の月, ６ヶ月前の月, 6ヶ月前の月")},
        {Shift::Years, 1, DateForm::Month, QStringLiteral("翌年の月, 来年の月, 一年先の月, １年先の月, 1年先の月")},
        {Shift::Years, -1, DateForm::Month, QStringLiteral("前年の月, 先年の月, 一年前の月, １年前の月, 1年前の月")},
        // yyyy
        {Shift::Days, 0, DateForm::Year, QStringLiteral("今日の年, 本日の年, 今年")},
        {Shift::Months, 1, DateForm::Year, QStringLiteral("翌月の年, 来月の年, 一月先の年, 一ヶ月先の年, １ヶ月先の年, 1ヶ月先の年")},
        {Shift::Months, 2, DateForm::Year, QStringLiteral("来々月の年, 再来月の年, 翌々月の年, 二月先の年, 二ヶ月先の年, ２ヶ月先の年, 2ヶ月先の年")},
        {Shift::Months, 3, DateForm::Year, QStringLiteral("三ヶ月先の年, 三月先の年, ３ヶ月先の年, 3ヶ月先の年")},
        {Shift::Months, 4, DateForm::Year, QStringLiteral("四ヶ月先の年, 四月先の年, ４ヶ月先の年, 4ヶ月先の年")},
        {Shift::Months, 5, DateForm::Year, QStringLiteral("五ヶ月先の年, 五月先の年, ５ヶ月先の年, 5ヶ月先の年")},
        {Shift::Months, 6, DateForm::Year, QStringLiteral("六月先の年, 半年先の年, 六ヶ月先の年, ６ヶ月先の年, 6ヶ月先の年")},
        {Shift::Months, -1, DateForm::Year, QStringLiteral("前月の年, 先月の年, 一月前の年, 一ヶ月前の年, １ヶ月前の年, 1ヶ月前の年")},
        {Shift::Months, -2, DateForm::Year, QStringLiteral("前々月の年, 先々月の年, 二月前の年, 二ヶ月前の年, ２ヶ月前の年, 2ヶ月前の年")},
        {Shift::Months, -3, DateForm::Year, QStringLiteral("三ヶ月前の年, 三月前の年, ３ヶ月前の年, 3ヶ月前の年")},
        {Shift::Months, -4, DateForm::Year, QStringLiteral("四ヶ月前の年, 四月前の年, ４ヶ月前の年, 4ヶ月前の年")},
        {Shift::Months, -5, DateForm::Year, QStringLiteral("五ヶ月前の年, 五月前の年, ５ヶ月前の年, 5ヶ月前の年")},
        {Shift::Months, -6, DateForm::Year, QStringLiteral("六月前の年, 半年前の年, 六ヶ月前の年, ６ヶ月前の年, 6ヶ月前の年")},
        {Shift::Years, 1, DateForm::Year, QStringLiteral("来年の年, 来年, 翌年の年, 一年先の年, １年先の年, 1年先の年")},
        {Shift::Years, -1, DateForm::Year, QStringLiteral("先年, 前年, 先年の年, 前年の年, 一年前の年, １年前の年, 1年前の年")},
    };
    // clang-format on
    return groups;
}

// The calendar's fixed points, each a single keyword.
struct FixedPoint {
    QString keyword;
    QString (*resolve)(const QDate& today, const FiscalCalendar& calendar);
};

const std::vector<FixedPoint>& FixedPoints() {
    static const std::vector<FixedPoint> points = {
        {QStringLiteral("当月月初"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(BuildDate(today.year(), today.month(), 1));
         }},
        {QStringLiteral("当月月末"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(BuildDate(today.year(), today.month() + 1, 0));
         }},
        {QStringLiteral("前月月初"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(BuildDate(today.year(), today.month() - 1, 1));
         }},
        {QStringLiteral("前月月末"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(BuildDate(today.year(), today.month(), 0));
         }},
        {QStringLiteral("当年年初"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(QDate(today.year(), 1, 1));
         }},
        {QStringLiteral("当年年末"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(QDate(today.year(), 12, 31));
         }},
        {QStringLiteral("前年年初"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(QDate(today.year() - 1, 1, 1));
         }},
        {QStringLiteral("前年年末"),
         [](const QDate& today, const FiscalCalendar&) {
             return DateText(QDate(today.year() - 1, 12, 31));
         }},
        {QStringLiteral("当期期首"),
         [](const QDate& today, const FiscalCalendar& calendar) {
             return FiscalYearStart(DateText(today), calendar);
         }},
        {QStringLiteral("当期期末"),
         [](const QDate& today, const FiscalCalendar& calendar) {
             return FiscalYearEnd(DateText(today), calendar);
         }},
        {QStringLiteral("前期期首"),
         [](const QDate& today, const FiscalCalendar& calendar) {
             return FiscalYearStart(DateText(today.addYears(-1)), calendar);
         }},
        {QStringLiteral("前期期末"),
         [](const QDate& today, const FiscalCalendar& calendar) {
             return FiscalYearEnd(DateText(today.addYears(-1)), calendar);
         }},
    };
    return points;
}

// Keyword -> index into KeywordGroups(); a keyword of an earlier group is never replaced.
const QHash<QString, qsizetype>& GroupIndex() {
    static const QHash<QString, qsizetype> index = [] {
        QHash<QString, qsizetype> built;
        const auto& groups = KeywordGroups();
        for (qsizetype i = 0; i < qsizetype(groups.size()); ++i) {
            const QStringList keywords = groups[i].keywords.split(QStringLiteral(", "));
            for (const QString& keyword : keywords) {
                if (!built.contains(keyword)) {
                    built.insert(keyword, i);
                }
            }
        }
        return built;
    }();
    return index;
}

QDate Shifted(const QDate& today, Shift shift, int amount) {
    switch (shift) {
        case Shift::Days:
            return today.addDays(amount);
        case Shift::Weeks:
            return today.addDays(7 * qint64(amount));
        case Shift::Months:
            return today.addMonths(amount);
        case Shift::Years:
            return today.addYears(amount);
    }
    return today;
}

QString Formatted(const QDate& date, DateForm form) {
    switch (form) {
        case DateForm::Day:
            return DateText(date);
        case DateForm::Month:
            return DateText(date).left(6);
        case DateForm::Year:
            return DateText(date).left(4);
    }
    return {};
}
}  // namespace

QString ResolveDateKeyword(const QString& value, const QDate& today,
                           const FiscalCalendar& calendar) {
    const auto found = GroupIndex().constFind(value);
    if (found != GroupIndex().cend()) {
        const KeywordGroup& group = KeywordGroups()[*found];
        return Formatted(Shifted(today, group.shift, group.amount), group.form);
    }
    for (const FixedPoint& point : FixedPoints()) {
        if (value == point.keyword) {
            return point.resolve(today, calendar);
        }
    }
    return value;
}
