#pragma once

#include <QDate>
#include <QString>

#include "menu/FiscalCalendar.h"

// What the defaults depend on besides the item itself.
struct ConditionSettings {
    QDate today;
    QString officeCode;  // the operating office code
    FiscalCalendar calendar;
};

// The text that a condition item puts on a program's command line: a stored value passed on
// (class and sw numbers normalised, date keywords resolved), or for an empty value the default
// that the item's name determines. Defaults keep their width, since the values are joined
// without separators.
QString DefaultConditionValue(const QString& name, const QString& value,
                              const ConditionSettings& settings);

// As many zeros as the template has characters.
QString StartCodeFill(const QString& templateText);

// As many nines as the template has characters; for an empty template, width letters Z.
QString EndCodeFill(const QString& templateText, int width);

// n nines or n letters Z; "" for n of 0 or less.
QString RepeatNine(int n);
QString RepeatZ(int n);
