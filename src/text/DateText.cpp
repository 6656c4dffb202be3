#include "text/DateText.h"

QString FormatTimestamp(const QDateTime& moment) {
    return moment.toString(QStringLiteral("yyyyMMdd HHmmss"));
}
