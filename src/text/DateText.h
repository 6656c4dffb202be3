#pragma once

#include <QDateTime>
#include <QString>

// "yyyymmdd hhnnss": the timestamp form of the run history and the link messages.
QString FormatTimestamp(const QDateTime& moment);
