#include "text/NumberText.h"

#include <cmath>
#include <limits>

double LeadingNumber(const QString& text) {
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size && (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t'))) {
        ++pos;
    }
    const qsizetype start = pos;
    if (pos < size && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-'))) {
        ++pos;
    }
    bool digits = false;
    while (pos < size && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9')) {
        ++pos;
        digits = true;
    }
    if (pos < size && text[pos] == QLatin1Char('.')) {
        ++pos;
        while (pos < size && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9')) {
            ++pos;
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    bool ok = false;
    const double value = text.mid(start, pos - start).toDouble(&ok);
    return ok ? value : 0.0;
}

qint16 ToInt16(const QString& text) {
    const double rounded = std::nearbyint(LeadingNumber(text));
    if (rounded >= std::numeric_limits<qint16>::max()) {
        return std::numeric_limits<qint16>::max();
    }
    if (rounded <= std::numeric_limits<qint16>::min()) {
        return std::numeric_limits<qint16>::min();
    }
    return static_cast<qint16>(rounded);
}
