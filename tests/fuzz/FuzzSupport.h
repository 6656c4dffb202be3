#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "menu/FiscalCalendar.h"

// A broken check stops the run like a crash, naming the target and line that made it. The
// builtins, not std::source_location, which the fuzz build's clang 14 lacks.
inline void Check(bool holds, const char* what, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
    if (!holds) {
        std::fprintf(stderr, "check failed: %s:%d: %s\n", file, line, what);
        std::abort();
    }
}

// The input as UTF-8 text.
inline QString TextOf(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Whether every character of text is one of allowed.
inline bool OnlyOf(QStringView text, const QString& allowed) {
    for (const QChar c : text) {
        if (!allowed.contains(c)) {
            return false;
        }
    }
    return true;
}
inline const QString kDigits = QStringLiteral("0123456789");

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
