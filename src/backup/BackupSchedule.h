#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

struct EnvironmentRecord;

// Why the scheduled backup does not run now, in words for the administrator; nullopt when it is
// due: the weekday's column (月曜バックアップ … 日曜バックアップ) is 1, the time is at or after
// バックアップ開始時刻 (hh:mm; empty means any time) and バックアップ日付 is not today already.
std::optional<QString> ScheduledBackupWaits(const EnvironmentRecord& environment,
                                            const QDateTime& now);
