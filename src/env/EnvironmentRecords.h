#pragma once

#include <QString>
#include <array>

// The データベース定義 row 'GNR': how the business database is reached.
struct DatabaseDefinition {
    QString kind;            // db: "A" file, "S" server, "O" other provider
    QString middleware;      // dbmw: held only
    QString driverName;      // ドライバ名
    QString databaseName;    // データベース名
    QString serverName;      // サーバー名
    QString connectionText;  // 接続文字列
    QString userId;          // ユーザーID
    QString password;        // パスワード
    QString providerName;    // プロバイダ名
    QString dataSourceName;  // データソース名
};

// The 動作環境定義 row '001'.
struct EnvironmentRecord {
    QString operatingOfficeCode;            // 運用事業所コード
    qint16 installationMode = 0;            // インストール区分: 0 shared, 1 per user
    qint16 clUpdateMode = 0;                // CL更新実行区分
    QString backupDate;                     // バックアップ日付, yyyymmdd
    QString switchDate;                     // 運用条件切替日付, yyyymmdd
    qint16 backupMethod = 0;                // バックアップ方法
    qint16 backupDaySetting = 0;            // バックアップ日指定
    std::array<qint16, 7> weekdayBackup{};  // 月曜 … 日曜バックアップ
    QString backupStartTime;                // バックアップ開始時刻
    QString backupFolder;                   // バックアップフォルダ
    QString signedInCode;                   // 起動担当者コード as the row was read
};

class Recordset;

// Fill a record from the current row; false when the row lacks a column the record needs.
bool ReadDatabaseDefinition(const Recordset& recordset, DatabaseDefinition& definition);
// Only the office, the installation mode and CL更新実行区分: what the shared copy is read for.
bool ReadEnvironmentBasics(const Recordset& recordset, EnvironmentRecord& record);
bool ReadEnvironmentRecord(const Recordset& recordset, EnvironmentRecord& record);
