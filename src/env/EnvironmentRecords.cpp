#include "env/EnvironmentRecords.h"

#include "db/Recordset.h"
#include "db/SqlText.h"
#include "platform/ProcessInfo.h"
#include "text/NumberText.h"

namespace {
// A column that must exist; a Null leaves the target as it is.
bool ReadTrimmed(const Recordset& recordset, const QString& column, QString& target) {
    const auto value = recordset.field(column);
    if (!value) {
        return false;
    }
    if (!value->isNull()) {
        target = TrimBlanks(value->toString());
    }
    return true;
}

bool ReadTextOr(const Recordset& recordset, const QString& column, const QString& fallback,
                QString& target) {
    const auto value = recordset.field(column);
    if (!value) {
        return false;
    }
    target = value->isNull() ? fallback : value->toString();
    return true;
}

bool ReadInt16(const Recordset& recordset, const QString& column, qint16& target) {
    const auto value = recordset.field(column);
    if (!value) {
        return false;
    }
    target = value->isNull() ? 0 : ToInt16(value->toString());
    return true;
}
}  // namespace

bool ReadDatabaseDefinition(const Recordset& recordset, DatabaseDefinition& definition) {
    const auto trimmed = [&recordset](const QString& column, QString& target) {
        return ReadTrimmed(recordset, column, target);
    };
    // The kind is compared exactly later on, so it is kept as stored (a Null reads as empty).
    definition.kind = recordset.text(QStringLiteral("db"));
    definition.middleware = recordset.text(QStringLiteral("dbmw"));
    return recordset.hasField(QStringLiteral("db")) && recordset.hasField(QStringLiteral("dbmw")) &&
           trimmed(QStringLiteral("ドライバ名"), definition.driverName) &&
           trimmed(QStringLiteral("データベース名"), definition.databaseName) &&
           trimmed(QStringLiteral("サーバー名"), definition.serverName) &&
           trimmed(QStringLiteral("接続文字列"), definition.connectionText) &&
           trimmed(QStringLiteral("ユーザーID"), definition.userId) &&
           trimmed(QStringLiteral("パスワード"), definition.password) &&
           trimmed(QStringLiteral("プロバイダ名"), definition.providerName) &&
           trimmed(QStringLiteral("データソース名"), definition.dataSourceName);
}

bool ReadEnvironmentBasics(const Recordset& recordset, EnvironmentRecord& record) {
    return ReadTextOr(recordset, QStringLiteral("運用事業所コード"), ZeroString(3),
                      record.operatingOfficeCode) &&
           ReadInt16(recordset, QStringLiteral("インストール区分"), record.installationMode) &&
           ReadInt16(recordset, QStringLiteral("CL更新実行区分"), record.clUpdateMode);
}

bool ReadEnvironmentRecord(const Recordset& recordset, EnvironmentRecord& record) {
    static const char* const kWeekdayColumns[] = {
        "月曜バックアップ", "火曜バックアップ", "水曜バックアップ", "木曜バックアップ",
        "金曜バックアップ", "土曜バックアップ", "日曜バックアップ"};
    bool complete =
        ReadEnvironmentBasics(recordset, record) &&
        ReadTextOr(recordset, QStringLiteral("バックアップ日付"), {}, record.backupDate) &&
        ReadTextOr(recordset, QStringLiteral("運用条件切替日付"), {}, record.switchDate) &&
        ReadInt16(recordset, QStringLiteral("バックアップ方法"), record.backupMethod) &&
        ReadInt16(recordset, QStringLiteral("バックアップ日指定"), record.backupDaySetting);
    for (std::size_t day = 0; complete && day < record.weekdayBackup.size(); ++day) {
        complete = ReadInt16(recordset, QString::fromUtf8(kWeekdayColumns[day]),
                             record.weekdayBackup[day]);
    }
    complete =
        complete &&
        ReadTextOr(recordset, QStringLiteral("バックアップ開始時刻"), {}, record.backupStartTime) &&
        ReadTextOr(recordset, QStringLiteral("バックアップフォルダ"), {}, record.backupFolder);
    record.signedInCode = recordset.text(QStringLiteral("起動担当者コード"));
    record.backupDate.truncate(8);
    record.switchDate.truncate(8);
    return complete;
}
