#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class DbConnection;
struct AppContext;

// When a slice ends and when a file is continued in the next one.
struct BackupLimits {
    qint64 sliceRows = 60000;
    qint64 fileRows = 3000000;
    qint64 fileBytes = 1000000000;
};

// One table of a backup: the files it went into (names in the weekday folder), the rows the
// source held when they were counted and the rows the statements wrote.
struct BackupTableReport {
    QString table;
    QStringList files;
    qint64 sourceRows = 0;
    qint64 fileRows = 0;
    bool failed = false;  // a statement of the table failed

    bool whole() const { return !failed && sourceRows == fileRows; }
};

struct BackupResult {
    bool copied = false;        // rows went into the weekday folder
    bool sourceFailed = false;  // the business database could not be read: nothing was touched
    bool busy = false;  // another workstation is backing up into the same folder: nothing touched
    // Groups whose new copy failed: their previous files were kept where there were any.
    QStringList failedGroups;
    QList<BackupTableReport> tables;

    bool complete() const { return copied && failedGroups.isEmpty(); }
};

// The BACKUPフォルダ of the company record (an operating office's own folder has replaced the
// company's there); empty when none is set.
QString BackupFolder(const AppContext& ctx);

// Backs up the five groups into the weekday folder. Each group is written under a temporary name
// and put in place of the previous one only when it is whole; a run that fails or is cut short
// leaves the previous files as they were. When rows were copied and every group is in place, the
// moment is recorded in 動作環境定義.バックアップ日付.
BackupResult BackupDatabases(AppContext& ctx, const QString& weekdayFolder,
                             const BackupLimits& limits = {});

// One table into the file target (moved on to a follow-on file when the file is full).
// listed is the name the database lists the table under when that differs from its backup name
// ("dbo.M担当者").
BackupTableReport CopyTableToBackup(AppContext& ctx, QString& target, const DbConnection& source,
                                    const QString& table, const BackupLimits& limits = {},
                                    const QString& listed = {});

// Copies the photo and document folders beside the backup files; true when the last copy made
// succeeded. Entries left out are recorded in the run history.
bool CopyUserFolders(AppContext& ctx, const QString& weekdayFolder);
