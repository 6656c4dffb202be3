#include "backup/Backup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include "app/AppContext.h"
#include "backup/BackupRules.h"
#include "db/DatabaseFile.h"
#include "db/DbAccess.h"
#include "db/Engine.h"
#include "db/SqlText.h"
#include "env/UserFolders.h"
#include "platform/Files.h"
#include "text/DateText.h"
#include "text/NumberText.h"

namespace {
void Progress(AppContext& ctx, const QString& text) {
    if (ctx.notice != nullptr) {
        ctx.notice->setNotice(text);
    }
    QCoreApplication::processEvents();
}

// The backup statements run on the backup's own connection; a failure is recorded and skipped.
void Execute(AppContext& ctx, const DbConnection& source, const QString& sql) {
    if (const auto error = ExecuteStatement(source, sql)) {
        WriteErrorRecord(ctx, error->description + sql);
    }
}

bool CreateBackupFile(const QString& path) {
    QFile::remove(path);
    return !CreateDatabaseFile(path, {});
}

// The business database as the backup opens it: the file its connection text names, or the
// server of kind S.
bool OpenBackupSource(AppContext& ctx, DbConnection& source) {
    const DatabaseDefinition& definition = ctx.databaseDefinition;
    QString connection;
    if (definition.kind == QLatin1String("A")) {
        connection = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") +
                     ComposeDaoOpenArguments(definition).name;
    } else if (definition.kind == QLatin1String("S")) {
        connection = ComposeBusinessConnectionString(definition);
    } else {
        WriteErrorRecord(ctx,
                         QStringLiteral("DB_OPEN ERROR") + QString::number(kUnspecifiedDbError) +
                             QStringLiteral(" データベース種別「%1」はバックアップできません。")
                                 .arg(definition.kind));
        return false;
    }
    if (const auto error = source.open(connection)) {
        WriteErrorRecord(ctx, QStringLiteral("DB_OPEN ERROR") + QString::number(error->number) +
                                  QLatin1Char(' ') + error->description);
        return false;
    }
    return true;
}

QStringList TableNames(const DbConnection& source) {
    QStringList names;
    QSqlQuery query(source.database());
    const QString sql =
        source.isServer()
            ? QStringLiteral(
                  "SELECT table_name FROM information_schema.tables WHERE table_schema "
                  "= current_schema() AND table_type = 'BASE TABLE' ORDER BY 1")
            : QStringLiteral(
                  "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                  "LIKE 'sqlite_%' AND name NOT LIKE 'numorika_%' ORDER BY name");
    if (query.exec(sql)) {
        while (query.next()) {
            names << query.value(0).toString();
        }
    }
    return names;
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

struct KeyGroup {
    QVariant key;
    qint64 rows = 0;
};

// The rows per key value, in key order. Without an index on the key, the keys and row ids are
// first gathered into a temporary index once, so that no slice reads the whole table again.
QList<KeyGroup> ReadKeyGroups(AppContext& ctx, const DbConnection& source, const QString& table,
                              const QString& key, bool indexed) {
    QString sql = QStringLiteral("SELECT ") + key + QStringLiteral(",count(*) as 件数 FROM ") +
                  table + QStringLiteral(" GROUP BY ") + key + QStringLiteral(" ORDER BY ") + key;
    if (!indexed) {
        Execute(ctx, source, QStringLiteral("DROP TABLE IF EXISTS temp.numorika_slices"));
        Execute(ctx, source,
                QStringLiteral("CREATE TEMP TABLE numorika_slices AS SELECT rowid AS rid, %1 AS k "
                               "FROM %2")
                    .arg(key, table));
        Execute(ctx, source,
                QStringLiteral("CREATE INDEX temp.numorika_slices_k ON numorika_slices (k, rid)"));
        sql = QStringLiteral("SELECT k AS ") + key +
              QStringLiteral(",count(*) as 件数 FROM temp.numorika_slices GROUP BY k ORDER BY k");
    }
    QList<KeyGroup> groups;
    Recordset recordset;
    if (const auto error = OpenRecordset(source, recordset, sql)) {
        WriteErrorRecord(ctx, error->description + sql);
        return groups;
    }
    // Read whole before the slices run: the target file is attached to the same connection.
    for (; !recordset.atEnd(); recordset.moveNext()) {
        groups.append({*recordset.field(key),
                       static_cast<qint64>(LeadingNumber(recordset.text(QStringLiteral("件数"))))});
    }
    recordset.close();
    return groups;
}
}  // namespace

qint64 CopyTableToBackup(AppContext& ctx, QString& target, const DbConnection& source,
                         const QString& table, const BackupLimits& limits, const QString& listed) {
    const QString key = SliceKeyColumn(table);
    // The rows are read under the listed name; the backup holds the table under its own name.
    const QString from = listed.isEmpty() || listed == table ? table : SqlIdentifier(listed);
    if (key.isEmpty()) {
        Progress(ctx, table + QLatin1Char(' '));
        Execute(ctx, source,
                QStringLiteral("SELECT * INTO ") + table + QStringLiteral(" IN ") +
                    SqlQuote(target) + QStringLiteral(" FROM ") + from);
        return 1;
    }
    const bool indexed = KeyIsIndexed(source, listed.isEmpty() ? table : listed, key);
    const QList<KeyGroup> groups = ReadKeyGroups(ctx, source, from, key, indexed);
    qint64 fileRows = 0;
    // condition is what the user reads; the statement runs it through the index it can use.
    const auto writeSlice = [&](const QString& condition, const QString& lookup, qint64 rows,
                                bool more) {
        const QString where =
            indexed ? condition
                    : QStringLiteral("rowid IN (SELECT rid FROM temp.numorika_slices WHERE %1)")
                          .arg(lookup);
        Progress(ctx, table + QLatin1Char(' ') + condition);
        Execute(ctx, source,
                fileRows == 0 ? QStringLiteral("SELECT * INTO ") + table + QStringLiteral(" IN ") +
                                    SqlQuote(target) + QStringLiteral(" FROM ") + from +
                                    QStringLiteral(" WHERE ") + where
                              : QStringLiteral("INSERT INTO ") + table + QStringLiteral(" IN ") +
                                    SqlQuote(target) + QStringLiteral(" SELECT * FROM ") + from +
                                    QStringLiteral(" WHERE ") + where);
        fileRows += rows;
        if (more && fileRows > limits.fileRows) {
            target = NextFollowOnFile(target);
            CreateBackupFile(target);
            fileRows = 0;
        }
    };
    // The slices: whole key values up to the limit, and the Null keys on their own, which the
    // range conditions never take (a server sorts them last, SQLite first).
    struct Slice {
        QString condition;
        QString lookup;
        qint64 rows;
    };
    QList<Slice> slices;
    qint64 sliceRows = 0;
    QString lower;
    QString upper;
    const auto closeSlice = [&] {
        if (sliceRows > 0) {
            slices.append(
                {key + QStringLiteral(" >= ") + SqlQuote(lower) + QStringLiteral(" AND ") + key +
                     QStringLiteral(" <= ") + SqlQuote(upper),
                 QStringLiteral("k >= %1 AND k <= %2").arg(SqlQuote(lower), SqlQuote(upper)),
                 sliceRows});
            sliceRows = 0;
        }
    };
    for (const KeyGroup& group : groups) {
        if (group.key.isNull()) {
            closeSlice();
            slices.append(
                {key + QStringLiteral(" IS NULL"), QStringLiteral("k IS NULL"), group.rows});
            continue;
        }
        if (sliceRows == 0) {
            lower = group.key.toString();
        }
        sliceRows += group.rows;
        upper = group.key.toString();
        if (sliceRows > limits.sliceRows) {
            closeSlice();
        }
    }
    closeSlice();
    for (qsizetype i = 0; i < slices.size(); ++i) {
        writeSlice(slices[i].condition, slices[i].lookup, slices[i].rows, i + 1 < slices.size());
    }
    if (!indexed) {
        Execute(ctx, source, QStringLiteral("DROP TABLE IF EXISTS temp.numorika_slices"));
    }
    return fileRows;
}

bool BackupDatabaseGroup(AppContext& ctx, const QString& target, const QString& group,
                         const BackupLimits& limits) {
    EnsureFolders(ctx.dialogs, target);
    const QDir folder = QFileInfo(target).dir();
    for (const QString& old : folder.entryList({group + QStringLiteral("*.mdb")}, QDir::Files)) {
        QFile::remove(folder.filePath(old));
    }
    if (!CreateBackupFile(target)) {
        return false;
    }
    DbConnection source(QStringLiteral("backup"));
    if (!OpenBackupSource(ctx, source)) {
        return false;
    }
    qint64 total = 0;
    QString current = target;
    for (const QString& listed : TableNames(source)) {
        // The server folds the letter that starts the name of an unquoted table (m担当者); the
        // backup names the table as the system writes it.
        QString name = listed;
        if (source.isServer() && !name.isEmpty() && name[0].unicode() < 0x80) {
            name[0] = name[0].toUpper();
        }
        const QString table = CutAtDot(name);
        if (!IsBackupTable(table) || !BelongsToGroup(table, group)) {
            continue;
        }
        total += CopyTableToBackup(ctx, current, source, table, limits, listed);
        if (QFileInfo(current).size() > limits.fileBytes) {
            const QString temporary =
                JoinPath(ctx.paths.userConfigFolder, QStringLiteral("gnrback.mdb"));
            QFile::remove(temporary);
            if (!CompactDatabase(current, temporary, kJapaneseLocale)) {
                CopyFileReplacing(temporary, current);
            }
            current = NextFollowOnFile(current);
            CreateBackupFile(current);
            QFile::remove(temporary);
        }
    }
    source.close();
    return total > 0;
}

bool BackupDatabases(AppContext& ctx, const QString& weekdayFolder, const BackupLimits& limits) {
    bool any = false;
    for (const QString& group : BackupGroups()) {
        any = BackupDatabaseGroup(ctx, weekdayFolder + group + QStringLiteral(".mdb"), group,
                                  limits) ||
              any;
    }
    if (!any) {
        return false;
    }
    const QString stamp = FormatTimestamp(ctx.clock.now());
    ctx.environment.backupDate = stamp.left(8);
    ExecuteConfig(ctx, QStringLiteral("UPDATE 動作環境定義 SET  バックアップ日付 = ") +
                           SqlQuote(stamp) + QStringLiteral(" WHERE 動作環境定義ID = '001'"));
    return true;
}

bool CopyUserFolders(AppContext& ctx, const QString& weekdayFolder) {
    const QString parent =
        weekdayFolder.endsWith(QDir::separator()) ? weekdayFolder.chopped(1) : weekdayFolder;
    bool last = false;
    const QString photos = ctx.company.text(QStringLiteral("写真フォルダ")).trimmed();
    if (!photos.isEmpty()) {
        last = CopyFolder(photos, JoinPath(parent, QStringLiteral("写真")));
    }
    const QString documents = ctx.company.text(QStringLiteral("ドキュメントフォルダ")).trimmed();
    if (!documents.isEmpty()) {
        last = CopyFolder(documents, JoinPath(parent, QStringLiteral("doc")));
    }
    return last;
}
