#pragma once

#include <QString>
#include <array>

#include "db/ColumnRecord.h"
#include "db/DatabaseFile.h"

// Where the installation lies and which database files it has.
struct InstallPaths {
    QString base;  // installation root with its trailing separator
    QString root;  // the base without it
    QString programFolder;
    QString configFolder;
    QString reportFolder;
    QString manualFolder;
    DatabaseFileKind businessFileKind = DatabaseFileKind::None;  // data/gnrdb, probed only
    DatabaseFileKind configKind = DatabaseFileKind::None;
    DatabaseFileKind reportKind = DatabaseFileKind::None;
    QString userConfigFolder;
    QString userReportFolder;
    QString userName;
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

// The other-business link settings: five records bound to fixed link codes.
struct LinkSettings {
    static constexpr std::array<const char*, 5> kSlotCodes = {"003", "002", "004", "005", "005"};
    std::array<ColumnRecord, 5> records;
    int slotCount = 5;
};
