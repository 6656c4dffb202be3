#pragma once

#include <QDate>
#include <QString>

// The company's fiscal year end: 決算月 and 決算日 of the company record.
struct FiscalCalendar {
    int closingMonth = 3;
    int closingDay = 31;
};

// The first day of the fiscal year that contains date (yyyymmdd in and out).
QString FiscalYearStart(const QString& date, const FiscalCalendar& calendar);

// The last day of the fiscal year that contains date (yyyymmdd in and out).
QString FiscalYearEnd(const QString& date, const FiscalCalendar& calendar);

// The closing date of the accounting month that contains date (yyyymmdd in and out).
QString MonthClosingDate(const QString& date, const FiscalCalendar& calendar);

// Date arithmetic of the suite: month may run past 12, day past the month end or down to 0.
QDate BuildDate(int year, int month, int day);

// A date as yyyymmdd.
QString DateText(const QDate& date);
