#include "menu/FiscalCalendar.h"

namespace {
// Whether the closing day is the end of the closing month. February counts with 28 and 29 in
// every year, so a company closing on 2/28 closes on the 29th in a leap year.
bool ClosesAtMonthEnd(const FiscalCalendar& calendar) {
    static const int monthEnds[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int month = calendar.closingMonth;
    if (month < 1 || month > 12) {
        return false;
    }
    return calendar.closingDay == monthEnds[month - 1] || (month == 2 && calendar.closingDay == 29);
}

int YearOf(const QString& date) {
    return date.left(4).toInt();
}

// The fiscal year start and end are built afresh for the neighbouring year rather than shifted
// by a year, so a year closing at the end of February ends on the 29th in a leap year.
QString FiscalYearStartIn(int year, const FiscalCalendar& calendar) {
    const QDate start = ClosesAtMonthEnd(calendar)
                            ? BuildDate(year, calendar.closingMonth + 1, 1)
                            : BuildDate(year, calendar.closingMonth, calendar.closingDay + 1);
    return DateText(start);
}

QString FiscalYearEndIn(int year, const FiscalCalendar& calendar) {
    const QDate end = ClosesAtMonthEnd(calendar)
                          ? BuildDate(year, calendar.closingMonth + 1, 0)
                          : BuildDate(year, calendar.closingMonth, calendar.closingDay);
    return DateText(end);
}
}  // namespace

QDate BuildDate(int year, int month, int day) {
    // Months before January or past December move into the neighbouring years.
    const int monthIndex = month - 1;
    const int yearShift = monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12);
    const QDate first(year + yearShift, monthIndex - yearShift * 12 + 1, 1);
    return first.addDays(day - 1);
}

QString DateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString FiscalYearStart(const QString& date, const FiscalCalendar& calendar) {
    const int year = YearOf(date);
    const QString start = FiscalYearStartIn(year, calendar);
    return start > date ? FiscalYearStartIn(year - 1, calendar) : start;
}

QString FiscalYearEnd(const QString& date, const FiscalCalendar& calendar) {
    const int year = YearOf(date);
    const QString end = FiscalYearEndIn(year, calendar);
    return end < date ? FiscalYearEndIn(year + 1, calendar) : end;
}

QString MonthClosingDate(const QString& date, const FiscalCalendar& calendar) {
    const int year = YearOf(date);
    const int month = date.mid(4, 2).toInt();
    const int day = date.mid(6, 2).toInt();
    if (ClosesAtMonthEnd(calendar)) {
        return DateText(BuildDate(year, month + 1, 0));
    }
    // A closing day beyond a short month's end rolls into the next month.
    const int closingMonth = calendar.closingDay >= day ? month : month + 1;
    return DateText(BuildDate(year, closingMonth, calendar.closingDay));
}
