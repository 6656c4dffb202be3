#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "menu/FiscalCalendar.h"

// A broken check stops the run like a crash, naming the function under test.
inline void Require(bool holds, const char* function, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "check failed: %s: %s\n", function, what);
        std::abort();
    }
}

// Today and the fiscal calendar from five bytes: year 1900-2155, a real month and day, closing
// month 1-12, closing day 1-31.
struct DayAndCalendar {
    QDate today;
    FiscalCalendar calendar;
};
inline DayAndCalendar DecodeDayAndCalendar(const uint8_t* data) {
    const int year = 1900 + data[0];
    const int month = data[1] % 12 + 1;
    return {QDate(year, month, data[2] % QDate(year, month, 1).daysInMonth() + 1),
            FiscalCalendar{data[3] % 12 + 1, data[4] % 31 + 1}};
}
