#pragma once

#include <QDate>
#include <QString>

#include "menu/FiscalCalendar.h"

// A relative date keyword of a condition value (今日, 来月, 当期期首 …) turned into the date text
// of that day as seen from today: yyyymmdd, yyyymm or yyyy by keyword. The whole value must equal a
// keyword exactly; any other value comes back unchanged.
QString ResolveDateKeyword(const QString& value, const QDate& today,
                           const FiscalCalendar& calendar);
