#include "backup/Backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <utility>

#include "backup/BackupRules.h"
#include "backup/Manifest.h"
#include "context/AppContext.h"
#include "db/DatabaseFile.h"
#include "db/DbAccess.h"
#include "db/Engine.h"
#include "db/SqlText.h"
#include "env/UserFolders.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"
#include "text/DateText.h"
#include "text/NumberText.h"

namespace {
// One run of the backup: its plan, where its progress and errors go, and its stop request.
struct Run {
    const BackupPlan& plan;
    const BackupProgress& progress;
    const StopToken& stop;
    QStringList& errors;
    qint64 rowsDone = 0;
    qint64 rowsCounted = 0;
    ManifestSource manifest = {};
};

void Progress(Run& run, const QString& table, const QString& text) {
    if (run.progress) {
        run.progress({text, table, run.rowsDone, run.rowsCounted});
    }
}

// The backup statements run on the backup's own connection. A failure is recorded under the
// statement as the user reads it (its values written out) and answered false; rows, when given,
// receives the rows the statement wrote.
bool Execute(Run& run, const DbConnection& source, const QString& sql, const QString& shown = {},
             const QVariantList& bindings = {}, qint64* rows = nullptr) {
    int written = 0;
    if (const auto result = ExecuteStatement(source, sql, &written, bindings); !result) {
        run.errors << result.error().description + (shown.isEmpty() ? sql : shown);
        return false;
    }
    if (rows != nullptr) {
        *rows = written;
    }
    return true;
}

const QString kFileProvider = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=");

// The business file a backup copies; empty for a server.
QString SourceFile(const BackupPlan& plan) {
    return plan.source.kind == QLatin1String("A") ? ComposeDaoOpenArguments(plan.source).name
                                                  : QString();
}

// Backup files and folders are no more readable than the business file they copy.
bool CreateBackupFile(const Run& run, const QString& path) {
    QFile::remove(path);
    return static_cast<bool>(CreateDatabaseFile(path, {}, kJapaneseLocale, SourceFile(run.plan)));
}

// The business database as the backup reads it: the file the direct-open text names, or the
// server of kind S or O through the connection the menu uses.
bool OpenBackupSource(Run& run, DbConnection& source) {
    const DatabaseDefinition& definition = run.plan.source;
    DbResult opened;
    if (definition.kind == QLatin1String("A")) {
        opened = source.open(kFileProvider + ComposeDaoOpenArguments(definition).name);
    } else if (definition.kind == QLatin1String("S") || definition.kind == QLatin1String("O")) {
        opened = OpenBusinessDatabase(definition, source);
    } else {
        opened = DbError{kUnspecifiedDbError,
                         QStringLiteral("データベース種別「%1」はバックアップできません。")
                             .arg(definition.kind)};
    }
    if (!opened) {
        run.errors << QStringLiteral("DB_OPEN ERROR") + QString::number(opened.error().number) +
                          QLatin1Char(' ') + opened.error().description;
        return false;
    }
    return true;
}

// The tables of the business database; nullopt when they cannot be listed.
std::optional<QStringList> TableNames(Run& run, const DbConnection& source) {
    QStringList names;
    QSqlQuery query(source.database());
    const QString sql = TableListQuery(source.isServer());
    if (query.exec(sql)) {
        while (query.next()) {
            names << query.value(0).toString();
        }
        return names;
    }
    // A source of another make answers through its driver's own catalogue.
    if (source.isServer()) {
        names = source.database().tables(QSql::Tables);
        if (!names.isEmpty()) {
            names.sort();
            return names;
        }
    }
    run.errors << ToDbError(query.lastError()).description + sql;
    return std::nullopt;
}

// Whether an index of the table starts with the key column, so that a range is found without
// reading the whole table.
bool KeyIsIndexed(const DbConnection& source, const QString& table, const QString& key) {
    // A server plans its own ranges.
    if (source.isServer()) {
        return true;
    }
    QSqlQuery indexes(source.database());
    if (!indexes.exec(QStringLiteral("PRAGMA index_list(%1)").arg(SqlQuote(table)))) {
        return false;
    }
    QStringList names;
    while (indexes.next()) {
        names << indexes.value(1).toString();
    }
    for (const QString& index : names) {
        QSqlQuery columns(source.database());
        if (columns.exec(QStringLiteral("PRAGMA index_info(%1)").arg(SqlQuote(index))) &&
            columns.next() && columns.value(2).toString() == key) {
            return true;
        }
    }
    return false;
}

// Whether the table has the column; older files lack the date column of some tables.
bool HasColumn(const DbConnection& source, const QString& from, const QString& column) {
    QSqlQuery query(source.database());
    return query.exec(QStringLiteral("SELECT * FROM ") + from + QStringLiteral(" WHERE 1 = 0")) &&
           query.record().indexOf(column) >= 0;
}

struct KeyGroup {
    QVariant key;
    qint64 rows = 0;
};

// A server's times carry microseconds that a QDateTime drops; such keys are read and bound as
// the server's own text, which it reads back exactly.
bool LosesPrecision(const QVariant& key) {
    const int type = key.metaType().id();
    return type == QMetaType::QDateTime || type == QMetaType::QTime;
}

// The rows per key value, in key order; nullopt when they cannot be read. Without an index on
// the key, the keys and row ids are first gathered once into a temporary table ordered by key (a
// flag first, since such a key may not be Null), so that no slice reads the whole table again.
std::optional<QList<KeyGroup>> ReadKeyGroups(Run& run, const DbConnection& source,
                                             const QString& table, const QString& key, bool indexed,
                                             bool asText = false) {
    const QString selected =
        asText ? QStringLiteral("CAST(%1 AS TEXT) AS numorika_key").arg(key) : key;
    QString sql = QStringLiteral("SELECT ") + selected + QStringLiteral(",count(*) as 件数 FROM ") +
                  table + QStringLiteral(" GROUP BY ") + key + QStringLiteral(" ORDER BY ") + key;
    if (!indexed) {
        Execute(run, source, QStringLiteral("DROP TABLE IF EXISTS temp.numorika_slices"));
        if (!Execute(run, source,
                     QStringLiteral("CREATE TEMP TABLE numorika_slices (n, k, rid, PRIMARY KEY "
                                    "(n, k, rid)) WITHOUT ROWID")) ||
            !Execute(run, source,
                     QStringLiteral("INSERT INTO temp.numorika_slices SELECT %1 IS NULL, "
                                    "coalesce(%1, 0), rowid FROM %2")
                         .arg(key, table))) {
            return std::nullopt;
        }
        sql = QStringLiteral(
            "SELECT CASE WHEN n THEN NULL ELSE k END,count(*) as 件数 FROM "
            "temp.numorika_slices GROUP BY n, k ORDER BY n, k");
    }
    QList<KeyGroup> groups;
    QSqlQuery query(source.database());
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        run.errors << ToDbError(query.lastError()).description + sql;
        return std::nullopt;
    }
    // Read whole before the slices run: the target file is attached to the same connection.
    bool inexact = false;
    while (query.next()) {
        const QVariant value = query.value(0);
        inexact = inexact || LosesPrecision(value);
        groups.append({value, static_cast<qint64>(LeadingNumber(query.value(1).toString()))});
    }
    query.finish();
    if (inexact && source.isServer() && !asText) {
        return ReadKeyGroups(run, source, table, key, indexed, true);
    }
    return groups;
}

// The rows of a table copied whole; nullopt when they cannot be counted.
std::optional<qint64> CountRows(const DbConnection& source, const QString& from) {
    QSqlQuery query(source.database());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM ") + from) || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

struct Slice {
    QString condition;  // as the progress line shows it
    QString where;      // as it runs, with its bounds bound
    QVariantList bounds;
    qint64 rows = 0;
};

// Whole key values up to the limit per slice, each bounded by its own values (a number compared
// with a number, a text with a text), and the Null keys on their own, which no range takes (a
// server sorts them last, SQLite first).
QList<Slice> CutIntoSlices(const QList<KeyGroup>& groups, const QString& key, bool indexed,
                           qint64 limit) {
    const QString column = indexed ? key : QStringLiteral("n = 0 AND k");
    const QString isNull = indexed ? key + QStringLiteral(" IS NULL") : QStringLiteral("n = 1");
    const auto range = [&](const QString& lower, const QString& upper) {
        return column + QStringLiteral(" >= ") + lower + QStringLiteral(" AND ") +
               (indexed ? column : QStringLiteral("k")) + QStringLiteral(" <= ") + upper;
    };
    QList<Slice> slices;
    qint64 sliceRows = 0;
    QVariant lower;
    QVariant upper;
    const auto close = [&] {
        if (sliceRows > 0) {
            slices.append({key + QStringLiteral(" >= ") + SqlQuote(lower.toString()) +
                               QStringLiteral(" AND ") + key + QStringLiteral(" <= ") +
                               SqlQuote(upper.toString()),
                           range(QStringLiteral("?"), QStringLiteral("?")),
                           {lower, upper},
                           sliceRows});
            sliceRows = 0;
        }
    };
    for (const KeyGroup& group : groups) {
        if (group.key.isNull()) {
            close();
            slices.append({key + QStringLiteral(" IS NULL"), isNull, {}, group.rows});
            continue;
        }
        if (sliceRows == 0) {
            lower = group.key;
        }
        sliceRows += group.rows;
        upper = group.key;
        if (sliceRows > limit) {
            close();
        }
    }
    close();
    return slices;
}

QString FileName(const QString& path) {
    return QFileInfo(path).fileName();
}
}  // namespace

namespace {
// One table into the file target (moved on to a follow-on file when the file is full). listed is
// the name the database lists the table under when that differs from its backup name
// ("dbo.M担当者").
BackupTableReport CopyTableToBackup(Run& run, QString& target, const DbConnection& source,
                                    const QString& table, const QString& listed) {
    const BackupLimits& limits = run.plan.limits;
    BackupTableReport report{table, {FileName(target)}, 0, 0, false};
    // The rows are read under the listed name; the backup holds the table under its own name.
    const QString name = listed.isEmpty() ? table : listed;
    // Names come from the file: quoted, so that no name can change a statement.
    const QString from = SqlIdentifier(name);
    const QString into = SqlIdentifier(table);
    const QString key = SliceKeyColumn(table);
    // A table without its key column (an older file) is copied whole, like a table without a key.
    if (key.isEmpty() || !HasColumn(source, from, key)) {
        Progress(run, table, table + QLatin1Char(' '));
        const auto counted = CountRows(source, from);
        report.sourceRows = counted.value_or(0);
        report.failed =
            !counted || !Execute(run, source,
                                 QStringLiteral("SELECT * INTO ") + into + QStringLiteral(" IN ") +
                                     SqlQuote(target) + QStringLiteral(" FROM ") + from,
                                 {}, {}, &report.fileRows);
        run.rowsDone += report.fileRows;
        return report;
    }
    // Counting the rows per key takes a while on a large table: the user sees which one.
    Progress(run, table, table + QLatin1Char(' '));
    const bool indexed = KeyIsIndexed(source, name, key);
    const auto groups = ReadKeyGroups(run, source, from, key, indexed);
    if (!groups) {
        report.failed = true;
        return report;
    }
    const QList<Slice> slices = CutIntoSlices(*groups, key, indexed, limits.sliceRows);
    qint64 fileRows = 0;
    for (qsizetype i = 0; i < slices.size(); ++i) {
        const Slice& slice = slices[i];
        if (run.stop.requested()) {
            report.failed = true;
            break;
        }
        report.sourceRows += slice.rows;
        // Without an index the slice is a join of its row ids, in key order, with the table.
        const QString rows = indexed
                                 ? from + QStringLiteral(" WHERE ") + slice.where
                                 : QStringLiteral(
                                       "(SELECT %1.* FROM temp.numorika_slices JOIN %1 ON %1.rowid "
                                       "= numorika_slices.rid WHERE %2)")
                                       .arg(from, slice.where);
        const QString file = QStringLiteral(" IN ") + SqlQuote(target);
        const QString head =
            fileRows == 0
                ? QStringLiteral("SELECT * INTO ") + into + file + QStringLiteral(" FROM ")
                : QStringLiteral("INSERT INTO ") + into + file + QStringLiteral(" SELECT * FROM ");
        Progress(run, table, table + QLatin1Char(' ') + slice.condition);
        qint64 written = 0;
        if (!Execute(run, source, head + rows,
                     head + from + QStringLiteral(" WHERE ") + slice.condition, slice.bounds,
                     &written)) {
            report.failed = true;
        }
        // What arrived counts, not what was meant: a slice that matched nothing shows here.
        fileRows += written;
        StartWritingToDisk(target);
        report.fileRows += written;
        run.rowsDone += written;
        // Also after the table's last slice: the group's next table starts in the new file.
        if (fileRows > limits.fileRows) {
            target = NextFollowOnFile(target);
            report.failed = !CreateBackupFile(run, target) || report.failed;
            report.files << FileName(target);
            fileRows = 0;
        }
    }
    if (!indexed) {
        Execute(run, source, QStringLiteral("DROP TABLE IF EXISTS temp.numorika_slices"));
    }
    return report;
}
}  // namespace

namespace {
// A group is written into a folder of its own beside the weekday files and put in their place
// when it is whole. The mark, written last, lists the new files: a run cut short after it is
// finished by the next run, one cut short before it is thrown away.
const QString kCommitMark = QStringLiteral("complete");

constexpr int kBackupLockStaleMs = 6 * 60 * 60 * 1000;

QString StagingFolder(const QString& weekdayFolder, const QString& group) {
    return QDir(weekdayFolder).filePath(QStringLiteral(".") + group + QStringLiteral(".new"));
}

// Puts the staged files in place and removes the previous files that the new group no longer has.
bool FinishCommit(const QString& weekdayFolder, const QString& group, QString* error) {
    const QString staging = StagingFolder(weekdayFolder, group);
    QFile mark(QDir(staging).filePath(kCommitMark));
    if (!mark.open(QIODevice::ReadOnly)) {
        *error = mark.errorString() + QStringLiteral(": ") + mark.fileName();
        return false;
    }
    const QStringList files =
        QString::fromUtf8(mark.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    mark.close();
    const QDir weekday(weekdayFolder);
    for (const QString& file : files) {
        const QString staged = QDir(staging).filePath(file);
        if (QFileInfo::exists(staged) && !ReplaceFile(staged, weekday.filePath(file), error)) {
            return false;
        }
    }
    const QStringList previous = GroupFiles(weekdayFolder, group) << ManifestFileName(group);
    for (const QString& old : previous) {
        if (!files.contains(old)) {
            QFile::remove(weekday.filePath(old));
        }
    }
    SyncToDisk(weekdayFolder);
    QDir(staging).removeRecursively();
    return true;
}

bool CommitGroup(const QString& weekdayFolder, const QString& group, QString* error) {
    const QString staging = StagingFolder(weekdayFolder, group);
    QStringList files = GroupFiles(staging, group);
    for (const QString& file : files) {
        if (!SyncToDisk(QDir(staging).filePath(file))) {
            *error = QStringLiteral("「%1」をディスクに書き込めません。").arg(file);
            return false;
        }
    }
    // The manifest comes last: it is never in place before the files it describes.
    if (QFileInfo::exists(QDir(staging).filePath(ManifestFileName(group)))) {
        files << ManifestFileName(group);
    }
    QSaveFile mark(QDir(staging).filePath(kCommitMark));
    if (!mark.open(QIODevice::WriteOnly) ||
        mark.write(files.join(QLatin1Char('\n')).toUtf8()) < 0 || !mark.commit()) {
        *error = mark.errorString() + QStringLiteral(": ") + mark.fileName();
        return false;
    }
    SyncToDisk(staging);
    return FinishCommit(weekdayFolder, group, error);
}

// What a run cut short left behind: finished when its mark was written, thrown away otherwise.
void RecoverStagedGroups(Run& run, const QString& weekdayFolder) {
    for (const QString& group : BackupGroups()) {
        const QString staging = StagingFolder(weekdayFolder, group);
        if (!QFileInfo::exists(staging)) {
            continue;
        }
        QString error;
        if (QFileInfo::exists(QDir(staging).filePath(kCommitMark)) &&
            !FinishCommit(weekdayFolder, group, &error)) {
            run.errors << error;
        }
        QDir(staging).removeRecursively();
    }
}

struct StagedGroup {
    QString group;
    qint64 rows = 0;
    bool failed = false;
};

// The backup name of a listed table. The server folds the letter that starts the name of an
// unquoted table (m担当者); the backup names the table as the system writes it.
QString BackupName(const DbConnection& source, const QString& listed) {
    QString name = listed;
    if (source.isServer() && !name.isEmpty() && name[0].unicode() < 0x80) {
        name[0] = name[0].toUpper();
    }
    return CutAtDot(name);
}

// One group into its staging folder (and follow-on files there).
StagedGroup StageGroup(Run& run, const DbConnection& source, const QStringList& tables,
                       const QString& group, QList<BackupTableReport>& reports) {
    const QString& weekdayFolder = run.plan.weekdayFolder;
    StagedGroup staged{group, 0, false};
    const qsizetype first = reports.size();
    const QString staging = StagingFolder(weekdayFolder, group);
    QDir(staging).removeRecursively();
    QString current = QDir(staging).filePath(group + QStringLiteral(".mdb"));
    if (!MakeProtectedPath(staging, SourceFile(run.plan)) || !CreateBackupFile(run, current)) {
        run.errors << QStringLiteral("「%1」を作成できません。").arg(current);
        staged.failed = true;
        return staged;
    }
    for (const QString& listed : tables) {
        const QString table = BackupName(source, listed);
        if (!IsBackupTable(table) || !BelongsToGroup(table, group)) {
            continue;
        }
        if (run.stop.requested()) {
            staged.failed = true;
            break;
        }
        BackupTableReport report = CopyTableToBackup(run, current, source, table, listed);
        staged.rows += report.fileRows;
        staged.failed = staged.failed || report.failed;
        reports.append(report);
        if (QFileInfo(current).size() > run.plan.limits.fileBytes) {
            const QString temporary =
                JoinPath(run.plan.scratchFolder, QStringLiteral("gnrback.mdb"));
            QFile::remove(temporary);
            if (CompactDatabase(current, temporary, kJapaneseLocale)) {
                CopyFileReplacing(temporary, current);
            }
            current = NextFollowOnFile(current);
            staged.failed = !CreateBackupFile(run, current) || staged.failed;
            QFile::remove(temporary);
        }
    }
    if (const auto error = StageManifest(staging, group, run.manifest, reports.mid(first))) {
        run.errors << *error;
    }
    return staged;
}

// The rows of every table the run takes, for the progress; read in the same moment as the copy.
qint64 CountAllRows(const DbConnection& source, const QStringList& tables,
                    const QStringList& groups) {
    qint64 rows = 0;
    for (const QString& listed : tables) {
        const QString table = BackupName(source, listed);
        if (!IsBackupTable(table)) {
            continue;
        }
        const QString from = listed == table ? table : SqlIdentifier(listed);
        const qint64 counted = CountRows(source, from).value_or(0);
        for (const QString& group : groups) {
            rows += BelongsToGroup(table, group) ? counted : 0;
        }
    }
    return rows;
}

// A file is read as of one moment: its pages are copied under one read lock (other programs'
// writers wait meanwhile) and the backup reads the copy. A file in WAL mode keeps newer pages in
// its log: it is copied by the engine, whose read of it other writers do not wait for.
bool TakeSnapshot(Run& run, DbConnection& source, const QString& snapshot) {
    QSqlDatabase db = source.database();
    const QString file = ComposeDaoOpenArguments(run.plan.source).name;
    QFile::remove(snapshot);
    QSqlQuery query(db);
    const bool wal =
        query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next() &&
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    query.finish();
    bool copied = false;
    if (wal) {
        copied = CreateProtectedFile(snapshot, file) &&
                 query.exec(QStringLiteral("VACUUM INTO ") + SqlQuote(snapshot));
    } else if (query.exec(QStringLiteral("BEGIN")) &&
               query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next()) {
        query.finish();
        copied = QFile::copy(file, snapshot);
        query.exec(QStringLiteral("COMMIT"));
    }
    if (!copied) {
        run.errors << ToDbError(query.lastError()).description +
                          QStringLiteral(" 「%1」の複製を作成できません。").arg(snapshot);
        QFile::remove(snapshot);
        return false;
    }
    source.close();
    if (const auto opened = source.open(kFileProvider + snapshot); !opened) {
        run.errors << opened.error().description;
        return false;
    }
    return true;
}

// The source as of one moment, open on source: a file's snapshot, or a server's transaction
// whose every read sees the same committed state. False when it cannot be read.
bool OpenAtOneMoment(Run& run, DbConnection& source, const QString& snapshot) {
    if (!OpenBackupSource(run, source)) {
        return false;
    }
    if (!source.isServer()) {
        return TakeSnapshot(run, source, snapshot);
    }
    QSqlQuery begin(source.database());
    const bool postgres = source.database().driverName() == QLatin1String("QPSQL");
    if (!(postgres ? begin.exec(QStringLiteral(
                         "START TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY"))
                   : source.database().transaction())) {
        run.errors
            << ToDbError(postgres ? begin.lastError() : source.database().lastError()).description;
    }
    return true;
}
}  // namespace

QString BackupFolder(const AppContext& ctx) {
    return ctx.company.text(QStringLiteral("BACKUPフォルダ"));
}

BackupPlan PlanBackup(const AppContext& ctx, const QString& weekdayFolder,
                      const BackupLimits& limits) {
    return {ctx.databaseDefinition, weekdayFolder, ctx.paths.userConfigFolder, limits,
            BackupGroups()};
}

BackupResult BackUp(const BackupPlan& plan, const BackupProgress& progress, const StopToken& stop) {
    BackupResult result;
    Run run{plan, progress, stop, result.errors};
    const QString& weekdayFolder = plan.weekdayFolder;
    const QString snapshot = JoinPath(plan.scratchFolder, QStringLiteral("gnrsnap.accdb"));
    const auto dropSnapshot = qScopeGuard([&snapshot] { QFile::remove(snapshot); });
    // The source is opened and listed before anything of the previous backup is touched; each
    // run has a connection of its own, on the thread it runs on.
    DbConnection source(QStringLiteral("backup-%1").arg(quintptr(&result), 0, 16), DbRole::Other);
    const auto tables = OpenAtOneMoment(run, source, snapshot) ? TableNames(run, source)
                                                               : std::optional<QStringList>();
    if (!tables) {
        result.sourceFailed = true;
        return result;
    }
    run.manifest = {QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                    plan.source.kind,
                    SourceEngine(source.database()),
                    {}};
    for (const QString& listed : *tables) {
        if (IsBackupTable(BackupName(source, listed))) {
            run.manifest.schema.insert(BackupName(source, listed),
                                       ReadTableSchema(source.database(), listed));
        }
    }
    for (const QString& folder :
         FoldersOnTheWay(QDir(weekdayFolder).filePath(plan.groups.value(0)))) {
        if (!QFileInfo::exists(folder) && !MakeProtectedPath(folder, SourceFile(plan))) {
            result.errors << QStringLiteral("フォルダ「%1」を作成できません。").arg(folder);
        }
    }
    // Staff of several workstations leave at five into the company's one backup folder: one run
    // at a time writes it. A lock left by a run that died elsewhere gives way after hours.
    QLockFile lock(QDir(weekdayFolder).filePath(QStringLiteral(".backup.lock")));
    lock.setStaleLockTime(kBackupLockStaleMs);
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError) {
            result.busy = true;
            return result;
        }
        result.errors << QStringLiteral("「%1」にロックファイルを作成できません。")
                             .arg(QDir::toNativeSeparators(weekdayFolder));
    }
    RecoverStagedGroups(run, weekdayFolder);
    run.rowsCounted = CountAllRows(source, *tables, plan.groups);
    // A group that copied nothing replaces the previous one only when the run copied something:
    // an empty database is more likely a wrong one than a company without data.
    QList<StagedGroup> empty;
    for (const QString& group : plan.groups) {
        const StagedGroup staged = StageGroup(run, source, *tables, group, result.tables);
        const bool previous = !GroupFiles(weekdayFolder, group).isEmpty();
        QString error;
        if (stop.requested()) {
            // Stopped (the program is being ended): nothing more is put in place.
            QDir(StagingFolder(weekdayFolder, group)).removeRecursively();
            result.stopped = true;
            result.failedGroups << group;
        } else if (staged.failed && previous) {
            result.errors << QStringLiteral("「%1」は前回のバックアップを残しました。")
                                 .arg(group + QStringLiteral(".mdb"));
            QDir(StagingFolder(weekdayFolder, group)).removeRecursively();
            result.failedGroups << group;
        } else if (staged.rows == 0 && previous) {
            empty.append(staged);
        } else if (!CommitGroup(weekdayFolder, group, &error)) {
            result.errors << error;
            result.failedGroups << group;
        } else {
            result.copied = result.copied || staged.rows > 0;
            if (staged.failed) {
                result.failedGroups << group;
            }
        }
    }
    for (const StagedGroup& staged : empty) {
        QString error;
        if (!result.copied || result.stopped) {
            QDir(StagingFolder(weekdayFolder, staged.group)).removeRecursively();
        } else if (!CommitGroup(weekdayFolder, staged.group, &error)) {
            result.errors << error;
            result.failedGroups << staged.group;
        }
    }
    source.close();
    return result;
}

void FinishBackup(AppContext& ctx, const BackupResult& result) {
    for (const QString& error : result.errors) {
        WriteErrorRecord(ctx, error);
    }
    if (!result.complete()) {
        return;
    }
    const QString stamp = FormatTimestamp(ctx.clock.now());
    ctx.environment.backupDate = stamp.left(8);
    ExecuteConfig(ctx, QStringLiteral("UPDATE 動作環境定義 SET  バックアップ日付 = ") +
                           SqlQuote(stamp) + QStringLiteral(" WHERE 動作環境定義ID = '001'"));
}

BackupResult BackupDatabases(AppContext& ctx, const QString& weekdayFolder,
                             const BackupLimits& limits) {
    const StopToken never;
    const BackupResult result = BackUp(
        PlanBackup(ctx, weekdayFolder, limits),
        [&ctx](const BackupStep& step) {
            if (ctx.notice != nullptr) {
                ctx.notice->setNotice(step.text);
            }
        },
        never);
    FinishBackup(ctx, result);
    return result;
}

QStringList CopyUserFolders(AppContext& ctx, const QString& weekdayFolder) {
    const QString parent =
        weekdayFolder.endsWith(QDir::separator()) ? weekdayFolder.chopped(1) : weekdayFolder;
    // The backup folder may lie inside the photo folder; no copy enters the backups.
    const QString backups = QFileInfo(parent).path();
    QStringList failed;
    QStringList skipped;
    for (const auto& [setting, name] :
         {std::pair{"写真フォルダ", "写真"}, std::pair{"ドキュメントフォルダ", "doc"}}) {
        const QString folder = TrimBlanks(ctx.company.text(QString::fromUtf8(setting)));
        if (!folder.isEmpty() &&
            !CopyFolder(folder, JoinPath(parent, QString::fromUtf8(name)), backups, &skipped)) {
            failed << folder;
        }
    }
    for (const QString& entry : skipped) {
        WriteErrorRecord(ctx, QStringLiteral("バックアップしていません: ") + entry);
    }
    for (const QString& folder : failed) {
        WriteErrorRecord(ctx,
                         QStringLiteral("フォルダをすべてはコピーできませんでした: ") + folder);
    }
    return failed;
}
