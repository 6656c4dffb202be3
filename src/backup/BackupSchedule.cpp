#include "backup/BackupSchedule.h"

#include "env/EnvironmentRecords.h"

std::optional<QString> ScheduledBackupWaits(const EnvironmentRecord& environment,
                                            const QDateTime& now) {
    static const char* const kDays[] = {"月", "火", "水", "木", "金", "土", "日"};
    const int day = now.date().dayOfWeek() - 1;
    if (environment.weekdayBackup[std::size_t(day)] != 1) {
        return QStringLiteral("今日 (%1曜日) はバックアップする曜日ではありません。")
            .arg(QString::fromUtf8(kDays[day]));
    }
    const QString start = environment.backupStartTime.trimmed();
    if (!start.isEmpty() && now.time().toString(QStringLiteral("HH:mm")) < start) {
        return QStringLiteral("バックアップ開始時刻 %1 になっていません。").arg(start);
    }
    if (environment.backupDate == now.date().toString(QStringLiteral("yyyyMMdd"))) {
        return QStringLiteral("今日のバックアップは済んでいます。");
    }
    return std::nullopt;
}
