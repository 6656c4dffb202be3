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
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "backup/BackupRules.h"
#include "backup/Manifest.h"
#include "context/AppContext.h"
#include "db/DatabaseFile.h"
#include "db/DbAccess.h"
#include "db/Engine.h"
#include "db/ReadLocksTogether.h"
#include "db/RowIdsByKey.h"
#include "db/RowImage.h"
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
    QHash<QString, qint64> rowsOf = {};  // each listed table's rows, as counted at the start
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
    // Pages of 16 KiB: a quarter of the writes of the engine's 4 KiB, and smaller files (less room
    // lost at the ends of pages).
    return static_cast<bool>(
        CreateDatabaseFile(path, {}, kJapaneseLocale, SourceFile(run.plan), 16384));
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

// The temporary table of a key without an index, unless the run keeps several at once.
const QString kKeysTable = QStringLiteral("numorika_slices");

void DropKeyTable(Run& run, const DbConnection& source, const QString& keys) {
    Execute(run, source, QStringLiteral("DROP TABLE IF EXISTS temp.") + keys);
}

// The rows per key value, in key order; nullopt when they cannot be read. Without an index on
// the key, the keys and row ids are first gathered once into the temporary table keys, ordered by
// key (a flag first, since such a key may not be Null), so that no slice reads the whole table
// again.
std::optional<QList<KeyGroup>> ReadKeyGroups(Run& run, const DbConnection& source,
                                             const QString& table, const QString& key, bool indexed,
                                             const QString& keys, bool asText = false) {
    const QString selected =
        asText ? QStringLiteral("CAST(%1 AS TEXT) AS numorika_key").arg(key) : key;
    QString sql = QStringLiteral("SELECT ") + selected + QStringLiteral(",count(*) as 件数 FROM ") +
                  table + QStringLiteral(" GROUP BY ") + key + QStringLiteral(" ORDER BY ") + key;
    if (!indexed) {
        DropKeyTable(run, source, keys);
        if (!Execute(run, source,
                     QStringLiteral("CREATE TEMP TABLE %1 (n, k, rid, PRIMARY KEY "
                                    "(n, k, rid)) WITHOUT ROWID")
                         .arg(keys))) {
            return std::nullopt;
        }
        // The engine as built wipes the pages of a dropped table; these need no wiping. Set once
        // the temporary schema is open; without it the table is only dropped more slowly.
        QSqlQuery(source.database()).exec(QStringLiteral("PRAGMA temp.secure_delete = OFF"));
        if (!Execute(run, source,
                     QStringLiteral("INSERT INTO temp.%3 SELECT %1 IS NULL, "
                                    "coalesce(%1, 0), rowid FROM %2")
                         .arg(key, table, keys))) {
            return std::nullopt;
        }
        sql = QStringLiteral(
                  "SELECT CASE WHEN n THEN NULL ELSE k END,count(*) as 件数 FROM "
                  "temp.%1 GROUP BY n, k ORDER BY n, k")
                  .arg(keys);
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
        return ReadKeyGroups(run, source, table, key, indexed, keys, true);
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
    qsizetype values = 0;  // the key values it holds
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
    qsizetype values = 0;
    QVariant lower;
    QVariant upper;
    const auto close = [&] {
        if (sliceRows > 0) {
            slices.append({key + QStringLiteral(" >= ") + SqlQuote(lower.toString()) +
                               QStringLiteral(" AND ") + key + QStringLiteral(" <= ") +
                               SqlQuote(upper.toString()),
                           range(QStringLiteral("?"), QStringLiteral("?")),
                           {lower, upper},
                           sliceRows,
                           values});
            sliceRows = 0;
            values = 0;
        }
    };
    for (const KeyGroup& group : groups) {
        if (group.key.isNull()) {
            close();
            slices.append({key + QStringLiteral(" IS NULL"), isNull, {}, group.rows, 1});
            continue;
        }
        if (sliceRows == 0) {
            lower = group.key;
        }
        sliceRows += group.rows;
        ++values;
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
// How one table is read: whole, or in slices of its key. listed is the name the database lists
// the table under when that differs from its backup name ("dbo.M担当者").
struct TablePlan {
    QString table;
    QString from;  // the rows are read under the listed name, quoted
    QString into;  // the backup holds the table under its own name
    bool whole = true;
    bool indexed = true;
    QString keys;  // the temporary table of a key without an index, unless held in memory
    std::optional<qint64> counted;  // the rows of a table read whole
    QList<Slice> slices;
    bool failed = false;  // its key values could not be read

    // What the rows of a slice (of the whole table when there is none) are selected from.
    QString rowsOf(const Slice* slice) const {
        if (slice == nullptr) {
            return from;
        }
        // Without an index the slice is a join of its row ids, in key order, with the table.
        return indexed ? from + QStringLiteral(" WHERE ") + slice->where
                       : QStringLiteral(
                             "(SELECT %1.* FROM temp.%3 JOIN %1 ON "
                             "%1.rowid = %3.rid WHERE %2)")
                             .arg(from, slice->where, keys);
    }
    QString rows(const Slice* slice) const {
        return QStringLiteral("SELECT * FROM ") + rowsOf(slice);
    }
};

// The row ids of a key without an index are held in memory up to this; beyond it they go into a
// key table, on disk.
constexpr qint64 kRowIdsBytes = qint64(32) << 20;

// byKey, when given, receives the row ids of a file's table whose key has no index, read in one
// pass without a key table; the plan then names none. A server's are always in a key table.
TablePlan PlanTable(Run& run, const DbConnection& source, const QString& table,
                    const QString& listed, const QString& keys = kKeysTable,
                    RowIdsByKey* byKey = nullptr) {
    TablePlan plan;
    plan.keys = keys;
    plan.table = table;
    // Names come from the file: quoted, so that no name can change a statement.
    plan.from = SqlIdentifier(listed.isEmpty() ? table : listed);
    plan.into = SqlIdentifier(table);
    const QString key = SliceKeyColumn(table);
    // A table without its key column (an older file) is copied whole, like a table without a key.
    if (key.isEmpty() || !HasColumn(source, plan.from, key)) {
        const QString name = listed.isEmpty() ? table : listed;
        plan.counted =
            run.rowsOf.contains(name) ? run.rowsOf.value(name) : CountRows(source, plan.from);
        plan.failed = !plan.counted;
        return plan;
    }
    plan.whole = false;
    plan.indexed = KeyIsIndexed(source, listed.isEmpty() ? table : listed, key);
    std::optional<QList<KeyGroup>> groups;
    if (!plan.indexed && byKey != nullptr) {
        if (auto read = ReadRowIdsByKey(source.database(), plan.from, key, kRowIdsBytes)) {
            groups.emplace();
            for (const RowIdsByKey::Group& group : read->groups) {
                groups->append({group.key, group.rows});
            }
            *byKey = std::move(*read);
            plan.keys.clear();
        }
    }
    if (!groups) {
        groups = ReadKeyGroups(run, source, plan.from, key, plan.indexed, keys);
    }
    plan.failed = !groups;
    if (groups) {
        plan.slices = CutIntoSlices(*groups, key, plan.indexed, run.plan.limits.sliceRows);
    }
    return plan;
}

// Adds the sum of a part to the sum of the whole; a part not summed (or not written whole) leaves
// the whole's sum to the read-back.
void AddSum(std::optional<RowChecksum>& whole, const std::optional<RowChecksum>& part) {
    if (part && whole) {
        *whole += *part;
    } else {
        whole.reset();
    }
}

// Writes the rows of a table or of one slice into target, creating the table when asked;
// written receives the rows that arrived, and sum their checksum when it was taken on the way.
// False when they could not be written.
using CopyRows =
    std::function<bool(const TablePlan& table, const Slice* slice, const QString& target,
                       bool create, qint64* written, std::optional<RowChecksum>* sum)>;

// Copies by statements of the suite's own dialect on the source, one per table or slice.
CopyRows CopyByStatements(Run& run, const DbConnection& source) {
    return [&run, &source](const TablePlan& plan, const Slice* slice, const QString& target,
                           bool create, qint64* written, std::optional<RowChecksum>* sum) {
        sum->reset();
        const QString file = QStringLiteral(" IN ") + SqlQuote(target);
        const QString head =
            create ? QStringLiteral("SELECT * INTO ") + plan.into + file + QStringLiteral(" FROM ")
                   : QStringLiteral("INSERT INTO ") + plan.into + file +
                         QStringLiteral(" SELECT * FROM ");
        const QString rows = plan.rowsOf(slice);
        if (slice == nullptr) {
            return Execute(run, source, head + rows, {}, {}, written);
        }
        return Execute(run, source, head + rows,
                       head + plan.from + QStringLiteral(" WHERE ") + slice->condition,
                       slice->bounds, written);
    };
}

// One table into the file target (moved on to a follow-on file when the file is full).
BackupTableReport CopyTableToBackup(Run& run, QString& target, const TablePlan& plan,
                                    const CopyRows& copy) {
    const BackupLimits& limits = run.plan.limits;
    const QString& table = plan.table;
    BackupTableReport report{table, {FileName(target)}, 0, 0, plan.failed, RowChecksum()};
    const auto add = [&report](bool copied, const std::optional<RowChecksum>& sum) {
        AddSum(report.checksum, copied ? sum : std::nullopt);
        return copied;
    };
    std::optional<RowChecksum> sum;
    if (plan.whole) {
        Progress(run, table, table + QLatin1Char(' '));
        report.sourceRows = plan.counted.value_or(0);
        report.failed =
            plan.failed || !add(copy(plan, nullptr, target, true, &report.fileRows, &sum), sum);
        run.rowsDone += report.fileRows;
        return report;
    }
    // Counting the rows per key takes a while on a large table: the user sees which one.
    Progress(run, table, table + QLatin1Char(' '));
    qint64 fileRows = 0;
    for (const Slice& slice : plan.slices) {
        if (run.stop.requested()) {
            report.failed = true;
            break;
        }
        report.sourceRows += slice.rows;
        Progress(run, table, table + QLatin1Char(' ') + slice.condition);
        // A follow-on file is the table's when a slice goes into it, not when it is begun.
        if (report.files.constLast() != FileName(target)) {
            report.files << FileName(target);
        }
        qint64 written = 0;
        if (!add(copy(plan, &slice, target, fileRows == 0, &written, &sum), sum)) {
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
            fileRows = 0;
        }
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
QString BackupName(bool server, const QString& listed) {
    QString name = listed;
    if (server && !name.isEmpty() && name[0].unicode() < 0x80) {
        name[0] = name[0].toUpper();
    }
    return CutAtDot(name);
}

// One group into its staging folder (and follow-on files there).
// Where the tables of a run are read: on the run's own connection as they come, or by workers
// ahead of the writing.
struct TableReader {
    bool server = false;
    std::function<TablePlan(const QString& group, const QString& table, const QString& listed)>
        plan;
    CopyRows copy;
    std::function<void(const TablePlan&)> finished;
};

TableReader ReadOnTheRun(Run& run, const DbConnection& source) {
    return {source.isServer(),
            [&run, &source](const QString&, const QString& table, const QString& listed) {
                return PlanTable(run, source, table, listed);
            },
            CopyByStatements(run, source),
            [&run, &source](const TablePlan& plan) {
                if (!plan.indexed) {
                    DropKeyTable(run, source, plan.keys);
                }
            }};
}

StagedGroup StageGroup(Run& run, const TableReader& reader, const QStringList& tables,
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
        const QString table = BackupName(reader.server, listed);
        if (!IsBackupTable(table) || !BelongsToGroup(table, group)) {
            continue;
        }
        if (run.stop.requested()) {
            staged.failed = true;
            break;
        }
        const TablePlan plan = reader.plan(group, table, listed);
        BackupTableReport report = CopyTableToBackup(run, current, plan, reader.copy);
        reader.finished(plan);
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

// The rows of every table the run takes, for the progress and for the tables read whole; read
// in the same moment as the copy.
void CountAllRows(Run& run, const DbConnection& source, const QStringList& tables) {
    run.rowsCounted = 0;
    for (const QString& listed : tables) {
        const QString table = BackupName(source.isServer(), listed);
        if (!IsBackupTable(table)) {
            continue;
        }
        const QString from = listed == table ? table : SqlIdentifier(listed);
        const auto counted = CountRows(source, from);
        if (counted) {
            run.rowsOf.insert(listed, *counted);
        }
        for (const QString& group : run.plan.groups) {
            run.rowsCounted += BelongsToGroup(table, group) ? counted.value_or(0) : 0;
        }
    }
}

QString JournalMode(const DbConnection& source) {
    QSqlQuery query(source.database());
    return query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next()
               ? query.value(0).toString().toLower()
               : QString();
}

// A file is read as of one moment: its pages are copied under one read lock (other programs'
// writers wait meanwhile) and the backup reads the copy. A file in WAL mode keeps newer pages in
// its log: it is copied by the engine, whose read of it other writers do not wait for.
bool TakeSnapshot(Run& run, DbConnection& source, const QString& snapshot) {
    const QString file = ComposeDaoOpenArguments(run.plan.source).name;
    QFile::remove(snapshot);
    const bool wal = JournalMode(source) == QLatin1String("wal");
    // The statement goes before the connection is closed and opened on the copy.
    {
        QSqlQuery query(source.database());
        bool copied = false;
        if (wal) {
            copied = CreateProtectedFile(snapshot, file) &&
                     query.exec(QStringLiteral("VACUUM INTO ") + SqlQuote(snapshot));
        } else if (query.exec(QStringLiteral("BEGIN")) &&
                   query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) &&
                   query.next()) {
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
    }
    source.close();
    if (const auto opened = source.open(kFileProvider + snapshot); !opened) {
        run.errors << opened.error().description;
        return false;
    }
    return true;
}

// Begins a PostgreSQL transaction that reads one committed state; then, when given, the statement
// that must come first in it (taking up another connection's snapshot, or exporting this one's).
// A failure is added to errors.
bool BeginServerMoment(QSqlQuery& query, const QString& then, QStringList& errors) {
    if (query.exec(QStringLiteral("START TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY")) &&
        (then.isEmpty() || query.exec(then))) {
        return true;
    }
    errors << ToDbError(query.lastError()).description +
                  QStringLiteral(" 読み取りを一つの時点に揃えられません。");
    return false;
}

// The source as of one moment, open on source: a file's snapshot, or a server's transaction
// whose every read sees the same committed state. False when it cannot be read. A source of
// another make is read in its driver's strictest isolation, the one that all makes know: the
// reads see one committed state, and writers of other programs may wait for the backup's end.
bool OpenAtOneMoment(Run& run, DbConnection& source, const QString& snapshot) {
    if (!OpenBackupSource(run, source)) {
        return false;
    }
    if (!source.isServer()) {
        return TakeSnapshot(run, source, snapshot);
    }
    QSqlQuery begin(source.database());
    if (source.database().driverName() == QLatin1String("QPSQL")) {
        BeginServerMoment(begin, {}, run.errors);
    } else if (!source.database().transaction()) {
        run.errors << ToDbError(source.database().lastError()).description;
    } else if (!begin.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL SERIALIZABLE"))) {
        run.errors << ToDbError(begin.lastError()).description +
                          QStringLiteral(" 読み取りを一つの時点に揃えられません。");
    }
    return true;
}
}  // namespace

namespace {
// Whether several connections can read the source as of one moment.
bool SharesItsMoment(const DatabaseDefinition& source) {
    return source.kind == QLatin1String("A") || source.kind == QLatin1String("S") ||
           (source.kind == QLatin1String("O") && IsServerProvider(source.providerName));
}

// The reading side of a run on several workers. A lead opens the source at one moment, lists and
// counts its tables and cuts them into slices; workers read the slices ahead of the writing, each
// on a connection of its own that holds the same moment (a file's read locks taken together, a
// server's snapshot that the lead exports and every worker imports), into images that the run's
// own thread appends to the files in the order one worker would have written them. For a key
// without an index the lead's own key table says which rows a slice holds: the lead hands their row
// ids, in key order, to the worker that reads them.
class ReadAhead {
public:
    ReadAhead(const BackupPlan& plan, const QString& snapshot)
        : plan_(plan),
          snapshot_(snapshot),
          server_(plan.source.kind != QLatin1String("A")),
          together_(plan.limits.workers + 1, kLockWaitMs) {
        threads_.emplace_back([this] { Lead(); });
        for (int i = 0; i < plan.limits.workers; ++i) {
            threads_.emplace_back([this, i] { Read(i); });
        }
    }

    ~ReadAhead() {
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    // The tables of the source and the rows they hold; nullopt when it could not be read.
    std::optional<QStringList> tables(qint64* rowsCounted) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stage_ == Stage::Listed || stage_ == Stage::Failed; });
        *rowsCounted = rowsCounted_;
        return stage_ == Stage::Listed ? std::optional<QStringList>(tables_) : std::nullopt;
    }

    TableReader reader() {
        return {server_,
                [this](const QString& group, const QString&, const QString& listed) {
                    return Plan(group, listed);
                },
                [this](const TablePlan&, const Slice*, const QString& target, bool create,
                       qint64* written, std::optional<RowChecksum>* sum) {
                    return Copy(target, create, written, sum);
                },
                [](const TablePlan&) {}};
    }

    // The tables as the source declares them, read in the same moment.
    QHash<QString, TableSchema> schema() {
        const std::lock_guard lock(mutex_);
        return schema_;
    }

    // Whether the source opened but could not share its moment with the workers (a server behind
    // a pooler, or one that exports no snapshots); asked once tables() has answered.
    bool unshared() {
        const std::lock_guard lock(mutex_);
        return unshared_;
    }

    // The make of the source, as the manifest names it.
    QString engine() {
        const std::lock_guard lock(mutex_);
        return engine_;
    }

    // What went wrong on the workers' side.
    QStringList errors() {
        const std::lock_guard lock(mutex_);
        return errors_;
    }

private:
    enum class Stage { Opening, Opened, Listed, Failed };
    struct Job {
        QString table;
        QString query;
        QVariantList bindings;
        QString keysQuery;  // the row ids from the lead's key table, when not empty
        // Or the row ids held in memory, which the worker lists as it takes the job: of the key
        // values from first on, the ids from offset on, at most limit of them (all when negative).
        std::shared_ptr<const RowIdsByKey> byKey;
        struct {
            qsizetype first = 0;
            qsizetype values = 0;
            qint64 offset = 0;
            qint64 limit = -1;
        } ids;
        bool keysReady = true;   // the row ids are in bindings
        bool continues = false;  // a further part of the job before it
        bool claimed = false;
        bool done = false;
        bool failed = false;
        RowImage image;
    };
    // A table whose slices are read by their row ids, which the lead reads from its key table.
    struct Keyed {
        qsizetype next = 0;  // the next job whose row ids are to be read
        qsizetype end = 0;
        QString keys;  // the key table, dropped once every list is read
    };
    struct Entry {
        QString group;
        QString listed;
        TablePlan plan;
        qsizetype firstJob = 0;
    };
    static constexpr int kLockWaitMs = 30000;
    static constexpr qsizetype kAheadBytes = 32 * 1024 * 1024;
    static constexpr qsizetype kKeysAhead = 6;  // jobs whose row ids are read ahead

    static Job NewJob(const QString& table, const QString& query, const QVariantList& bindings) {
        Job job;
        job.table = table;
        job.query = query;
        job.bindings = bindings;
        return job;
    }

    // The row ids a keyed job reads, as a JSON array in key order.
    static std::optional<QString> ReadRowIds(const QSqlDatabase& db, const QString& query,
                                             const QVariantList& bindings) {
        QSqlQuery ids(db);
        ids.setForwardOnly(true);
        // The engine writes the list in one go, in the order of the query's rows.
        if (!ExecBound(ids, QStringLiteral("SELECT json_group_array(rid) FROM (") + query + ")",
                       bindings) ||
            !ids.next()) {
            return std::nullopt;
        }
        return ids.value(0).toString();
    }

    QString table(const QString& listed) const { return BackupName(server_, listed); }

    // A server's moment: the lead's transaction, whose snapshot the workers take up.
    static std::optional<QString> ExportSnapshot(const QSqlDatabase& db, QStringList& errors) {
        QSqlQuery query(db);
        if (BeginServerMoment(query, QStringLiteral("SELECT pg_export_snapshot()"), errors) &&
            query.next()) {
            return query.value(0).toString();
        }
        return std::nullopt;
    }

    // A server's table read whole, in parts of about a slice's rows (suffixes of the statement
    // that reads it all): ranges of the pages it is stored in, each read in the order it is
    // stored, as the whole table is read on one connection. Unlike LIMIT and OFFSET, a range
    // holds the same rows on every connection of the snapshot, and no part is held in memory
    // beside the others.
    static QStringList ServerParts(const QSqlDatabase& db, const TablePlan& plan, qint64 limit) {
        const qint64 rows = plan.counted.value_or(0);
        QSqlQuery size(db);
        // Before version 14 a server reads a range of pages by reading them all: one part then.
        if (rows <= 2 * limit ||
            !ExecBound(size,
                       QStringLiteral(
                           "SELECT CASE WHEN current_setting('server_version_num')::int >= 140000 "
                           "THEN pg_relation_size(CAST(? AS regclass)) / "
                           "current_setting('block_size')::bigint END"),
                       {plan.from}) ||
            !size.next() || size.value(0).isNull()) {
            return {QString()};
        }
        const qint64 pages = size.value(0).toLongLong();
        const qint64 step = std::max<qint64>(1, (pages * limit + rows - 1) / rows);
        const auto tid = [](qint64 page) { return QStringLiteral("'(%1,0)'::tid").arg(page); };
        QStringList parts;
        for (qint64 page = 0; page < pages; page += step) {
            // The last part takes every page after its first.
            parts << QStringLiteral(" WHERE ctid >= ") + tid(page) +
                         (page + step < pages ? QStringLiteral(" AND ctid < ") + tid(page + step)
                                              : QString());
        }
        return parts.isEmpty() ? QStringList{QString()} : parts;
    }

    // The parts of rows read by one statement, as suffixes of it: rows of more than two slices'
    // size (a table read whole, the rows of one key value) go over in parts of a slice's size, in
    // the order of the statement, so that no image is large. A server returns rows without an
    // order of their own: a part of them would not be the same rows on another connection.
    QStringList Parts(qint64 rows) const {
        const qint64 limit = plan_.limits.sliceRows;
        if (server_ || rows <= 2 * limit) {
            return {QString()};
        }
        QStringList parts;
        for (qint64 part = 0; part * limit < rows; ++part) {
            parts << QStringLiteral(" LIMIT %1 OFFSET %2").arg(limit).arg(part * limit);
        }
        return parts;
    }

    void Fail(const QStringList& errors) {
        const std::lock_guard lock(mutex_);
        errors_ << errors;
        stage_ = Stage::Failed;
        plansDone_ = true;
        changed_.notify_all();
    }

    // Reading runs ahead of the writing as far as the images fit in memory: other programs'
    // writers wait only until the reading is done.
    bool InWindow(qsizetype job) const { return job <= consumed_ || ahead_ < kAheadBytes; }

    // Reads a job's rows into its image; the job was claimed under the lock.
    void ReadJob(const QSqlDatabase& db, Job& job, const QString& query,
                 const QVariantList& bindings) {
        RowImage image;
        const DbResult read = server_ ? ReadServerRowsIntoImage(db, query, bindings, &image)
                                      : ReadRowsIntoImage(db, query, bindings, &image);
        const std::lock_guard lock(mutex_);
        job.done = true;
        job.failed = !read;
        job.image = std::move(image);
        ahead_ += job.image.size;
        if (!read) {
            errors_ << read.error().description + query;
        }
        changed_.notify_all();
    }

    void Lead() {
        QStringList errors;
        const StopToken never;
        const BackupProgress none;
        Run run{plan_, none, never, errors};
        DbConnection source(QStringLiteral("backup-lead-%1").arg(quintptr(this), 0, 16),
                            DbRole::Other);
        QString path = server_ ? QString() : ComposeDaoOpenArguments(plan_.source).name;
        bool opened = OpenBackupSource(run, source);
        std::optional<QString> exported;
        bool unshared = false;
        if (opened && server_) {
            exported = ExportSnapshot(source.database(), errors);
            opened = exported.has_value();
            unshared = !opened;
        } else if (opened && JournalMode(source) == QLatin1String("wal")) {
            // A file in WAL mode keeps newer pages in its log, where readers of their own would
            // each see another moment: the engine copies it and the workers read the copy.
            opened = TakeSnapshot(run, source, snapshot_);
            path = snapshot_;
        }
        {
            const std::lock_guard lock(mutex_);
            readPath_ = path;
            exported_ = exported.value_or(QString());
            unshared_ = unshared;
            engine_ = SourceEngine(source.database());
            stage_ = opened ? Stage::Opened : Stage::Failed;
            changed_.notify_all();
        }
        // The lead's transaction holds the server's snapshot until every worker has taken it up.
        const auto untilJoined = qScopeGuard([this] {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !server_ || joined_ == plan_.limits.workers; });
        });
        if (server_ ? !opened : !together_.take(source.database(), opened)) {
            if (!server_) {
                errors << QStringLiteral("「%1」の読み取りを始められません。").arg(path);
            }
            Fail(errors);
            return;
        }
        const auto tables = TableNames(run, source);
        if (!tables) {
            Fail(errors);
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            tables_ = *tables;
            CountAllRows(run, source, *tables);
            rowsCounted_ = run.rowsCounted;
            for (const QString& listed : *tables) {
                if (IsBackupTable(table(listed))) {
                    schema_.insert(table(listed), ReadTableSchema(source.database(), listed));
                }
            }
            stage_ = Stage::Listed;
            errors_ << errors;
            errors.clear();
            changed_.notify_all();
        }
        // Keyed tables whose row ids are still to be read, each with a key table of its own: the
        // next table's key table is built while the workers read the rows of the tables before.
        std::deque<Keyed> keyed;
        int planned = 0;
        for (const QString& group : plan_.groups) {
            for (const QString& listed : *tables) {
                const QString name = table(listed);
                if (!IsBackupTable(name) || !BelongsToGroup(name, group)) {
                    continue;
                }
                if (cancelled()) {
                    break;
                }
                RowIdsByKey byKey;
                const TablePlan plan =
                    PlanTable(run, source, name, listed,
                              kKeysTable + QStringLiteral("_%1").arg(++planned), &byKey);
                // Read before the lock is taken: a server is asked for the size of the table.
                const QStringList wholeParts =
                    !plan.whole || plan.failed ? QStringList()
                    : server_ ? ServerParts(source.database(), plan, plan_.limits.sliceRows)
                              : Parts(plan.counted.value_or(0));
                qsizetype first = 0;
                qsizetype end = 0;
                const bool byIds = !plan.whole && !plan.indexed;
                // Shared by the table's jobs, whose workers list their row ids from it.
                const auto held = byIds && plan.keys.isEmpty()
                                      ? std::make_shared<const RowIdsByKey>(std::move(byKey))
                                      : nullptr;
                {
                    const std::lock_guard lock(mutex_);
                    first = qsizetype(jobs_.size());
                    if (!plan.failed) {
                        // One job per part, each part a suffix of the one statement. A keyed job's
                        // parts are parts of its row ids: suffixes of the statement that reads
                        // them, or the same ranges of the ids held in memory.
                        const auto push = [&](const Job& model, const QStringList& parts) {
                            const qint64 limit = plan_.limits.sliceRows;
                            for (qsizetype part = 0; part < parts.size(); ++part) {
                                Job job = model;
                                if (job.byKey) {
                                    job.ids.offset = part * limit;
                                    job.ids.limit = parts.size() > 1 ? limit : -1;
                                } else if (!job.keysQuery.isEmpty()) {
                                    job.keysQuery += parts[part];
                                } else {
                                    job.query += parts[part];
                                }
                                job.continues = part > 0;
                                jobs_.push_back(job);
                            }
                        };
                        if (plan.whole) {
                            push(NewJob(name, plan.rows(nullptr), {}), wholeParts);
                        }
                        // The rows of a keyed slice, in the order of its row ids.
                        const QString ofIds =
                            QStringLiteral(
                                "SELECT %1.* FROM json_each(?) AS numorika_ids CROSS JOIN %1 "
                                "ON %1.rowid = numorika_ids.value")
                                .arg(plan.from);
                        qsizetype value = 0;  // the slice's first key value
                        for (const Slice& slice : plan.slices) {
                            Job model = NewJob(name, byIds ? ofIds : plan.rows(&slice),
                                               held ? QVariantList() : slice.bounds);
                            if (held) {
                                model.byKey = held;
                                model.ids.first = value;
                                model.ids.values = slice.values;
                            } else if (byIds) {
                                model.keysQuery = QStringLiteral("SELECT rid FROM temp.%1 WHERE ")
                                                      .arg(plan.keys) +
                                                  slice.where +
                                                  QStringLiteral(" ORDER BY n, k, rid");
                                model.keysReady = false;
                            }
                            push(model, Parts(slice.rows));
                            value += slice.values;
                        }
                    }
                    end = qsizetype(jobs_.size());
                    entries_.push_back({group, listed, plan, first});
                    errors_ << errors;
                    errors.clear();
                    changed_.notify_all();
                }
                if (byIds && !plan.keys.isEmpty()) {
                    keyed.push_back({first, end, plan.keys});
                }
                ReadRowIdsAhead(run, source, keyed, false);
            }
        }
        ReadRowIdsAhead(run, source, keyed, true);
        const std::lock_guard lock(mutex_);
        errors_ << errors;
        plansDone_ = true;
        changed_.notify_all();
    }

    // Reads the row ids of keyed jobs as the writing comes near them: a few jobs' lists at a
    // time, not a whole table's. Without waiting, only the lists already near; waiting, all.
    void ReadRowIdsAhead(Run& run, const DbConnection& source, std::deque<Keyed>& keyed,
                         bool wait) {
        while (!keyed.empty()) {
            Keyed& table = keyed.front();
            if (table.next == table.end) {
                DropKeyTable(run, source, table.keys);
                keyed.pop_front();
                continue;
            }
            const qsizetype i = table.next++;
            std::unique_lock lock(mutex_);
            const auto near = [&] {
                return cancelled_ || (InWindow(i) && i < consumed_ + kKeysAhead);
            };
            if (wait) {
                changed_.wait(lock, near);
            } else if (!near()) {
                --table.next;
                return;
            }
            if (cancelled_) {
                return;
            }
            const QString query = jobs_[size_t(i)].keysQuery;
            const QVariantList bindings = jobs_[size_t(i)].bindings;
            lock.unlock();
            const auto ids = ReadRowIds(source.database(), query, bindings);
            lock.lock();
            Job& job = jobs_[size_t(i)];
            job.keysReady = true;
            if (ids) {
                job.bindings = {*ids};
            } else {
                job.claimed = job.done = job.failed = true;
                errors_ << QStringLiteral("行の一覧を読めません: ") + query;
            }
            changed_.notify_all();
        }
    }

    void Read(int worker) {
        QString path;
        QString exported;
        bool failed = false;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stage_ != Stage::Opening; });
            path = readPath_;
            exported = exported_;
            failed = stage_ == Stage::Failed;
        }
        DbConnection source(
            QStringLiteral("backup-worker-%1-%2").arg(quintptr(this), 0, 16).arg(worker),
            DbRole::Other);
        if (server_) {
            // A worker that cannot share the moment ends the run: nobody else reads its part.
            QStringList errors;
            const StopToken never;
            const BackupProgress none;
            Run run{plan_, none, never, errors};
            const bool opened = !failed && OpenBackupSource(run, source);
            QSqlQuery query(source.database());
            const bool joined =
                opened &&
                BeginServerMoment(query,
                                  QStringLiteral("SET TRANSACTION SNAPSHOT ") + SqlQuote(exported),
                                  errors);
            const std::lock_guard lock(mutex_);
            ++joined_;
            errors_ << errors;
            cancelled_ = cancelled_ || !joined;
            changed_.notify_all();
            if (!joined) {
                return;
            }
        } else {
            const DbResult opened = path.isEmpty() ? DbResult(DbError{kUnspecifiedDbError, {}})
                                                   : source.open(kFileProvider + path);
            if (!together_.take(source.database(), bool(opened))) {
                return;
            }
        }
        for (;;) {
            std::unique_lock lock(mutex_);
            Job* job = nullptr;
            changed_.wait(lock, [&] {
                while (scan_ < qsizetype(jobs_.size()) &&
                       (jobs_[size_t(scan_)].claimed || scan_ < consumed_)) {
                    ++scan_;
                }
                if (scan_ < qsizetype(jobs_.size()) && InWindow(scan_) &&
                    jobs_[size_t(scan_)].keysReady) {
                    job = &jobs_[size_t(scan_)];
                    return true;
                }
                return cancelled_ || (plansDone_ && scan_ >= qsizetype(jobs_.size()));
            });
            if (job == nullptr) {
                return;
            }
            job->claimed = true;
            const QString query = job->query;
            QVariantList bindings = job->bindings;
            // Listed only now: a list is larger than the ids it comes from.
            const auto byKey = std::move(job->byKey);
            const auto ids = job->ids;
            lock.unlock();
            if (byKey) {
                bindings = {byKey->json(ids.first, ids.values, ids.offset, ids.limit)};
            }
            ReadJob(source.database(), *job, query, bindings);
        }
    }

    bool cancelled() {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }

    // The plan of the writer's next table. Tables the writer passed over (a group whose files
    // could not be made) are skipped.
    TablePlan Plan(const QString& group, const QString& listed) {
        std::unique_lock lock(mutex_);
        for (;;) {
            while (entry_ < qsizetype(entries_.size())) {
                const Entry& entry = entries_[size_t(entry_++)];
                if (entry.group == group && entry.listed == listed) {
                    next_ = consumed_ = entry.firstJob;
                    changed_.notify_all();
                    return entry.plan;
                }
            }
            if (plansDone_ || cancelled_) {
                TablePlan missing;
                missing.table = table(listed);
                missing.failed = true;
                return missing;
            }
            changed_.wait(lock);
        }
    }

    // Appends the rows of the next job, and of its further parts, to target.
    bool Copy(const QString& target, bool create, qint64* written,
              std::optional<RowChecksum>* sum) {
        *written = 0;
        *sum = RowChecksum();
        bool copied = true;
        bool first = true;
        do {
            qint64 rows = 0;
            std::optional<RowChecksum> part;
            copied = CopyPart(target, create && first, &rows, &part) && copied;
            first = false;
            *written += rows;
            AddSum(*sum, part);
        } while (NextContinues());
        return copied;
    }

    bool NextContinues() {
        const std::lock_guard lock(mutex_);
        return next_ < qsizetype(jobs_.size()) && jobs_[size_t(next_)].continues;
    }

    bool CopyPart(const QString& target, bool create, qint64* written,
                  std::optional<RowChecksum>* sum) {
        std::unique_lock lock(mutex_);
        const qsizetype index = next_++;
        changed_.wait(lock, [&] {
            return cancelled_ || (index < qsizetype(jobs_.size()) && jobs_[size_t(index)].done) ||
                   (plansDone_ && index >= qsizetype(jobs_.size()));
        });
        if (index >= qsizetype(jobs_.size()) || !jobs_[size_t(index)].done) {
            return false;
        }
        Job& job = jobs_[size_t(index)];
        const RowImage image = std::move(job.image);
        ahead_ -= image.size;
        consumed_ = index + 1;
        changed_.notify_all();
        if (job.failed) {
            return false;
        }
        const QString tableName = job.table;
        lock.unlock();
        const DbResult appended = writer_.append(image, target, tableName, create, written);
        // Only rows that all arrived are summed from the image.
        if (appended && *written == image.rows) {
            *sum = image.checksum;
        }
        if (!appended) {
            const std::lock_guard relock(mutex_);
            errors_ << appended.error().description + QStringLiteral(" ") + tableName;
        }
        return bool(appended);
    }

    const BackupPlan& plan_;
    const QString snapshot_;
    const bool server_;
    ReadLocksTogether together_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Stage stage_ = Stage::Opening;
    QString readPath_;
    QString exported_;  // a server's snapshot
    bool unshared_ = false;
    QString engine_;
    int joined_ = 0;  // workers that took up the server's snapshot, or could not
    QStringList tables_;
    qint64 rowsCounted_ = 0;
    QHash<QString, TableSchema> schema_;
    std::deque<Entry> entries_;
    std::deque<Job> jobs_;
    qsizetype entry_ = 0;     // the writer's next entry
    qsizetype next_ = 0;      // the writer's next job
    qsizetype consumed_ = 0;  // jobs before it are written or passed over
    qsizetype scan_ = 0;      // the workers' next job to look at
    qsizetype ahead_ = 0;     // the bytes of the images read and not yet written
    bool plansDone_ = false;
    bool cancelled_ = false;
    QStringList errors_;
    std::vector<std::thread> threads_;
    ImageWriter writer_;  // on the run's own thread
};
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
    // A file, and PostgreSQL, are read by several workers at once; a source through ODBC on the
    // run's own connection, since its moment cannot be shared.
    std::optional<ReadAhead> workers;
    if (plan.limits.workers > 1 && SharesItsMoment(plan.source)) {
        workers.emplace(plan, snapshot);
    }
    std::optional<QStringList> tables;
    if (workers) {
        tables = workers->tables(&run.rowsCounted);
        // A server that cannot share its moment is read on the run's own connection.
        if (!tables && workers->unshared()) {
            workers.reset();
        }
    }
    if (!workers) {
        tables = OpenAtOneMoment(run, source, snapshot) ? TableNames(run, source)
                                                        : std::optional<QStringList>();
    }
    if (!tables) {
        result.errors << (workers ? workers->errors() : QStringList());
        result.sourceFailed = true;
        return result;
    }
    run.manifest = {QDateTime::currentDateTime().toString(Qt::ISODateWithMs), plan.source.kind,
                    workers ? workers->engine() : SourceEngine(source.database()),
                    workers ? workers->schema() : QHash<QString, TableSchema>()};
    for (const QString& listed : workers ? QStringList() : *tables) {
        if (IsBackupTable(BackupName(source.isServer(), listed))) {
            run.manifest.schema.insert(BackupName(source.isServer(), listed),
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
    if (!workers) {
        CountAllRows(run, source, *tables);
    }
    const TableReader reader = workers ? workers->reader() : ReadOnTheRun(run, source);
    // A group that copied nothing replaces the previous one only when the run copied something:
    // an empty database is more likely a wrong one than a company without data.
    QList<StagedGroup> empty;
    for (const QString& group : plan.groups) {
        const StagedGroup staged = StageGroup(run, reader, *tables, group, result.tables);
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
    if (workers) {
        result.errors << workers->errors();
        workers.reset();
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
