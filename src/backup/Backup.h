#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "db/ConnectionString.h"
#include "db/RowChecksum.h"
#include "platform/StopToken.h"

struct AppContext;

// When a slice ends and when a file is continued in the next one.
struct BackupLimits {
    qint64 sliceRows = 60000;
    qint64 fileRows = 3000000;
    qint64 fileBytes = 1000000000;
    // Workers that read a database file at once (the writing goes on beside them); 1 reads it
    // on the run's own connection.
    int workers = 2;
};

// One table of a backup: the files it went into (names in the weekday folder), the rows the
// source held when they were counted and the rows the statements wrote.
struct BackupTableReport {
    QString table;
    QStringList files;
    qint64 sourceRows = 0;
    qint64 fileRows = 0;
    bool failed = false;  // a statement of the table failed
    // Of the rows as they went into the files, when the run summed them on the way; otherwise
    // they are read back from the files.
    std::optional<RowChecksum> checksum;

    bool whole() const { return !failed && sourceRows == fileRows; }
};

struct BackupResult {
    bool copied = false;        // rows went into the weekday folder
    bool sourceFailed = false;  // the business database could not be read: nothing was touched
    bool busy = false;  // another workstation is backing up into the same folder: nothing touched
    bool stopped = false;  // a stop was asked for: the groups not yet in place kept their files
    // Groups whose new copy failed: their previous files were kept where there were any.
    QStringList failedGroups;
    QList<BackupTableReport> tables;
    // What went wrong, for the run history (the run itself writes into no other database).
    QStringList errors;

    bool complete() const { return copied && failedGroups.isEmpty(); }
};

// The BACKUPフォルダ of the company record (an operating office's own folder has replaced the
// company's there); empty when none is set.
QString BackupFolder(const AppContext& ctx);

// Everything a backup needs, taken from the process before it starts: the work itself reads
// nothing of the window or of the process's connections.
struct BackupPlan {
    DatabaseDefinition source;  // how the business database is opened
    QString weekdayFolder;
    QString scratchFolder;  // a local folder for the snapshot of a file and the compaction file
    BackupLimits limits;
    QStringList groups;
};

// What the user is shown while a backup runs.
struct BackupStep {
    QString text;   // the progress line of the notice panel: the table and its slice
    QString table;  // the table in hand
    qint64 rowsDone = 0;
    qint64 rowsCounted = 0;  // the rows of every table the run takes, counted at its start
};
using BackupProgress = std::function<void(const BackupStep&)>;

BackupPlan PlanBackup(const AppContext& ctx, const QString& weekdayFolder,
                      const BackupLimits& limits = {});

// Backs up the groups into the weekday folder, every table as of one moment. Each group is
// written under a temporary name and put in place of the previous one only when it is whole; a
// run that fails, is stopped or is cut short leaves the previous files as they were. Runs on any
// thread, on connections of its own; never runs an event loop. A stop is seen before the next
// slice.
BackupResult BackUp(const BackupPlan& plan, const BackupProgress& progress, const StopToken& stop);

// On the process's own thread after a run: its errors into the run history and, when rows were
// copied and every group is in place, the moment into 動作環境定義.バックアップ日付.
void FinishBackup(AppContext& ctx, const BackupResult& result);

// A whole backup on the calling thread, its progress in the notice panel.
BackupResult BackupDatabases(AppContext& ctx, const QString& weekdayFolder,
                             const BackupLimits& limits = {});

// Copies the photo and document folders beside the backup files; answers the folders not copied
// whole. Entries left out are recorded in the run history.
QStringList CopyUserFolders(AppContext& ctx, const QString& weekdayFolder);
