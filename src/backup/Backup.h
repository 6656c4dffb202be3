#pragma once

#include <QString>

class DbConnection;
struct AppContext;

// When a slice ends and when a file is continued in the next one.
struct BackupLimits {
    qint64 sliceRows = 60000;
    qint64 fileRows = 3000000;
    qint64 fileBytes = 1000000000;
};

// Backs up the five groups into the weekday folder; true when any table was copied, and then
// records the moment in 動作環境定義.バックアップ日付.
bool BackupDatabases(AppContext& ctx, const QString& weekdayFolder,
                     const BackupLimits& limits = {});

// One group into its file (and follow-on files); true when rows were copied.
bool BackupDatabaseGroup(AppContext& ctx, const QString& target, const QString& group,
                         const BackupLimits& limits = {});

// One table; target moves on to a follow-on file when the file is full. Answers the rows that
// went into the current file (1 for a table copied whole). listed is the name the database lists
// the table under when that differs from its backup name ("dbo.M担当者").
qint64 CopyTableToBackup(AppContext& ctx, QString& target, const DbConnection& source,
                         const QString& table, const BackupLimits& limits = {},
                         const QString& listed = {});

// Copies the photo and document folders beside the backup files; true when the last copy made
// succeeded.
bool CopyUserFolders(AppContext& ctx, const QString& weekdayFolder);
