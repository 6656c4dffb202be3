#include "backup/Restore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <future>
#include <utility>

#include "backup/BackupRules.h"
#include "backup/Manifest.h"
#include "db/DatabaseFile.h"
#include "db/DbConnection.h"
#include "db/RowChecksum.h"
#include "db/SqlText.h"
#include "platform/Files.h"

namespace {
const QString kSourceSchema = QStringLiteral("numorika_source");

QString Missing(const QString& file) {
    return QStringLiteral("「%1」が有りません。").arg(file);
}

// Why a file of a backup is not whole; nullopt when the engine finds it so.
std::optional<QString> IntegrityProblem(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return Missing(QFileInfo(path).fileName());
    }
    QStringList found;
    const auto checked = WithDatabaseFile(path, [&](QSqlDatabase& db) -> DbResult {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA integrity_check"))) {
            return ToDbError(query.lastError());
        }
        while (query.next()) {
            found << query.value(0).toString();
        }
        return {};
    });
    if (!checked) {
        found = QStringList{checked.error().description};
    }
    if (found == QStringList{QStringLiteral("ok")}) {
        return std::nullopt;
    }
    return QStringLiteral("「%1」は壊れています: ").arg(QFileInfo(path).fileName()) +
           found.join(QStringLiteral(" / "));
}

TableCheck Compare(const ManifestTable& table, const std::optional<RowChecksum>& rows) {
    return {table.table, table.files, table.rows, rows ? rows->rows : -1,
            rows && !table.checksum.isEmpty() && rows->rows == table.rows &&
                rows->text() == table.checksum};
}

// Without a manifest: the tables of each file and their rows, which nothing can be compared with.
void CountFiles(const QString& folder, const QStringList& files, BackupCheck& check) {
    for (const QString& file : files) {
        static_cast<void>(WithDatabaseFile(QDir(folder).filePath(file), [&](QSqlDatabase& db) {
            for (const QString& table : db.tables()) {
                if (!table.startsWith(QLatin1String("numorika_"))) {
                    const auto rows = TableChecksum(db, table);
                    check.tables.append({table, {file}, -1, rows ? rows->rows : -1, false});
                }
            }
            return DbResult();
        }));
    }
}

// The table as its backup copy declares it, for a source whose statements this engine does not
// take.
QString CopySchema(const QString& folder, const ManifestTable& table) {
    QString create;
    static_cast<void>(
        WithDatabaseFile(QDir(folder).filePath(table.files.value(0)), [&](QSqlDatabase& db) {
            create = ReadTableSchema(db, table.table).create;
            return DbResult();
        }));
    return create;
}

// What a table is made with in a database file: the source's own statements when it was a file;
// a server's table as its copy declares it, with its indexes in the file engine's words.
TableSchema FileStatements(const QString& folder, const QString& engine,
                           const ManifestTable& table) {
    if (engine == QLatin1String("sqlite")) {
        return table.schema;
    }
    // A server's keys and unique constraints become unique indexes of the file.
    static const QRegularExpression constraint(
        QStringLiteral("CONSTRAINT (\\S+) (?:PRIMARY KEY|UNIQUE) (\\([^)]*\\))"));
    QStringList indexes;
    for (auto found = constraint.globalMatch(table.schema.create); found.hasNext();) {
        const auto match = found.next();
        indexes << QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 %3")
                       .arg(match.captured(1), SqlIdentifier(table.table), match.captured(2));
    }
    for (QString index : table.schema.indexes) {
        indexes << index.remove(QStringLiteral(" USING btree"));
    }
    return {table.table, CopySchema(folder, table), indexes};
}

// A file's statement in a server's words: the types the server names otherwise.
QString ForServer(QString statement) {
    static const QList<std::pair<QRegularExpression, QString>> types = {
        {QRegularExpression(QStringLiteral("\\bBLOB\\b"),
                            QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("BYTEA")},
        {QRegularExpression(QStringLiteral("\\bDATETIME\\b"),
                            QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("TIMESTAMP")},
        {QRegularExpression(QStringLiteral("\\bDOUBLE\\b(?!\\s+PRECISION)"),
                            QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("DOUBLE PRECISION")}};
    for (const auto& [pattern, type] : types) {
        statement.replace(pattern, type);
    }
    return statement;
}

struct Chosen {
    QString engine;
    ManifestTable table;
};

bool Run(QSqlQuery& query, const QString& sql, BackupCheck& check) {
    if (!query.exec(sql)) {
        check.problems << ToDbError(query.lastError()).description + QLatin1Char(' ') + sql;
        return false;
    }
    return true;
}

// The rows of one table into a new database file, file after file.
bool FillFileTable(QSqlDatabase& db, const QString& folder, const ManifestTable& table,
                   BackupCheck& check) {
    QSqlQuery query(db);
    for (const QString& file : table.files) {
        if (!QFileInfo::exists(QDir(folder).filePath(file))) {
            check.problems << Missing(file);
            return false;
        }
        if (!Run(query,
                 QStringLiteral("ATTACH DATABASE %1 AS %2")
                     .arg(SqlQuote(QDir(folder).filePath(file)), kSourceSchema),
                 check)) {
            return false;
        }
        const bool copied = db.transaction() &&
                            Run(query,
                                QStringLiteral("INSERT INTO main.%1 SELECT * FROM %2.%1")
                                    .arg(SqlIdentifier(table.table), kSourceSchema),
                                check) &&
                            db.commit();
        query.exec(QStringLiteral("DETACH DATABASE ") + kSourceSchema);
        if (!copied) {
            return false;
        }
    }
    return true;
}

// The rows of a table of the file being restored, read back on a connection of their own.
// Another connection's commit in between is waited for: it is this restore's own.
std::optional<RowChecksum> ReadBack(const QString& file, const QString& table, int waitMs) {
    std::optional<RowChecksum> rows;
    static_cast<void>(WithDatabaseFile(file, [&](QSqlDatabase& db) {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(waitMs));
        rows = TableChecksum(db, table);
        return DbResult();
    }));
    return rows;
}

void RestoreIntoFile(const RestoreRequest& request, const QList<Chosen>& chosen,
                     BackupCheck& check) {
    // The read of the check in this process always ends; a large table takes seconds.
    constexpr int kReadBackWaitMs = 10 * 60 * 1000;
    // The pages of an index being built stay in memory up to this many (64 MB of 4 KiB pages),
    // so that it needs the file to itself only when it commits.
    constexpr int kHeldPages = 16384;
    const QFileInfo target(request.file);
    const QString temporary =
        JoinPath(target.absolutePath(), QStringLiteral(".restoring-") + target.fileName());
    QFile::remove(temporary);
    // The business data is no more readable than in the backup it comes from.
    const QString like = QDir(request.weekdayFolder).filePath(chosen.first().table.files.value(0));
    if (const auto created = CreateDatabaseFile(temporary, {}, kJapaneseLocale, like); !created) {
        check.problems << created.error().description;
        return;
    }
    const auto restored = WithDatabaseFile(temporary, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kReadBackWaitMs));
        for (const Chosen& each : chosen) {
            const TableSchema statements =
                FileStatements(request.weekdayFolder, each.engine, each.table);
            bool made = Run(query, statements.create, check) &&
                        FillFileTable(db, request.weekdayFolder, each.table, check);
            // The rows are read back for the check while the indexes are built.
            std::future<std::optional<RowChecksum>> rows;
            if (made) {
                rows = std::async(std::launch::async, ReadBack, temporary, each.table.table,
                                  kReadBackWaitMs);
            }
            query.exec(QStringLiteral("PRAGMA cache_spill = %1").arg(kHeldPages));
            for (const QString& index : statements.indexes) {
                made = made && Run(query, index, check);
            }
            query.exec(QStringLiteral("PRAGMA cache_spill = ON"));
            const auto read = rows.valid() ? rows.get() : std::nullopt;
            check.tables.append(Compare(each.table, made ? read : std::nullopt));
        }
        return DbResult();
    });
    // A restore that could not be finished is told, never left to look whole.
    if (!restored) {
        check.problems << restored.error().description;
    } else if (check.whole() && !SyncToDisk(temporary)) {
        check.problems << QStringLiteral("「%1」をディスクに書き込めません。").arg(temporary);
    } else if (check.whole()) {
        // A FILE made meanwhile by someone else stays: the rename never replaces.
        QFile moved(temporary);
        if (!moved.rename(request.file)) {
            check.problems << moved.errorString() + QStringLiteral(": ") + request.file;
        }
    }
    QFile::remove(temporary);
}

// The rows of one table from its backup files into a server table, many rows a statement.
bool FillServerTable(QSqlDatabase& server, const QString& name, const QString& folder,
                     const ManifestTable& table, BackupCheck& check) {
    constexpr int kRowsPerStatement = 200;
    for (const QString& file : table.files) {
        const QString path = QDir(folder).filePath(file);
        if (!QFileInfo::exists(path)) {
            check.problems << Missing(file);
            return false;
        }
        const auto copied = WithDatabaseFile(path, [&](QSqlDatabase& db) -> DbResult {
            QSqlQuery rows(db);
            rows.setForwardOnly(true);
            if (!rows.exec(QStringLiteral("SELECT * FROM ") + SqlIdentifier(table.table))) {
                return ToDbError(rows.lastError());
            }
            const int columns = rows.record().count();
            const QString marks = QLatin1Char('(') +
                                  QStringList(columns, QStringLiteral("?")).join(',') +
                                  QLatin1Char(')');
            QVariantList values;
            const auto flush = [&]() -> DbResult {
                const qsizetype count = values.size() / columns;
                QSqlQuery insert(server);
                if (count > 0 &&
                    !ExecBound(insert,
                               QStringLiteral("INSERT INTO ") + name + QStringLiteral(" VALUES ") +
                                   QStringList(count, marks).join(','),
                               values)) {
                    return ToDbError(insert.lastError());
                }
                values.clear();
                return {};
            };
            while (rows.next()) {
                for (int i = 0; i < columns; ++i) {
                    const QVariant value = rows.value(i);
                    // A real goes as its shortest exact text, which the server reads back alike.
                    values << (value.typeId() == QMetaType::Double
                                   ? QVariant(QString::number(value.toDouble(), 'g',
                                                              QLocale::FloatingPointShortest))
                                   : value);
                }
                if (values.size() >= kRowsPerStatement * columns) {
                    if (auto flushed = flush(); !flushed) {
                        return flushed;
                    }
                }
            }
            return flush();
        });
        if (!copied) {
            check.problems << copied.error().description;
            return false;
        }
    }
    return true;
}

// The name the server gave a table just made, in whatever case its statement wrote it.
QString ServerName(const QSqlDatabase& server, const QString& table) {
    QSqlQuery query(server);
    ExecBound(query,
              QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                             "table_schema = current_schema() AND lower(table_name) = lower(?)"),
              {table});
    return query.next() ? query.value(0).toString() : table;
}

void RestoreIntoServer(const RestoreRequest& request, const QList<Chosen>& chosen,
                       BackupCheck& check) {
    DbConnection connection(QStringLiteral("restore"), DbRole::Other);
    if (const auto opened = connection.open(request.server); !opened) {
        check.problems << opened.error().description;
        return;
    }
    QSqlDatabase server = connection.database();
    QSqlQuery query(server);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE "
                                   "table_schema = current_schema()")) ||
        !query.next() || query.value(0).toLongLong() != 0) {
        check.problems << QStringLiteral(
            "復元先のデータベースが空ではありません。何も書き込みませんでした。");
        return;
    }
    query.finish();
    // All tables or none: without a transaction a failure would leave half of them behind.
    if (!server.transaction()) {
        check.problems << ToDbError(server.lastError()).description;
        return;
    }
    for (const Chosen& each : chosen) {
        const bool same = each.engine == QLatin1String("postgresql");
        TableSchema statements = same ? each.table.schema : TableSchema();
        if (statements.create.isEmpty()) {
            statements =
                FileStatements(request.weekdayFolder, QStringLiteral("sqlite"), each.table);
            if (each.engine != QLatin1String("sqlite")) {
                statements.create = CopySchema(request.weekdayFolder, each.table);
                statements.indexes.clear();
            }
            statements.create = ForServer(statements.create);
        }
        bool made = Run(query, statements.create, check);
        const QString name = ServerName(server, each.table.table);
        made = made && FillServerTable(server, SqlIdentifier(name), request.weekdayFolder,
                                       each.table, check);
        for (const QString& index : statements.indexes) {
            made = made && Run(query, index, check);
        }
        check.tables.append(Compare(each.table, made ? TableChecksum(server, name) : std::nullopt));
        if (!made) {
            break;
        }
    }
    if (!check.whole()) {
        server.rollback();
    } else if (!server.commit()) {
        check.problems << ToDbError(server.lastError()).description;
    }
}
}  // namespace

bool BackupCheck::whole() const {
    return problems.isEmpty() &&
           std::all_of(tables.begin(), tables.end(), [](const TableCheck& t) { return t.matches; });
}

BackupCheck VerifyBackup(const QString& weekdayFolder) {
    struct GroupCheck {
        QStringList files;
        bool found = false;
        BackupCheck rows;
    };
    const QStringList names = BackupGroups();
    QList<GroupCheck> groups;
    for (const QString& group : names) {
        groups.append({GroupFiles(weekdayFolder, group), false, {}});
    }
    // Every page of every file is read twice, for the files' integrity and for the tables' rows:
    // the integrity is checked on a second core meanwhile, and reported in the same order.
    auto integrity = std::async(std::launch::async, [&weekdayFolder, &groups] {
        QHash<QString, std::optional<QString>> problems;
        for (const GroupCheck& group : std::as_const(groups)) {
            for (const QString& file : group.files) {
                problems.insert(file, IntegrityProblem(QDir(weekdayFolder).filePath(file)));
            }
        }
        return problems;
    });
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& group = names[i];
        GroupCheck& each = groups[i];
        const auto manifest = ReadManifest(weekdayFolder, group);
        each.found = !each.files.isEmpty() || manifest;
        if (!manifest) {
            if (!each.files.isEmpty()) {
                each.rows.problems << QStringLiteral(
                                          "%1 にはマニフェストが有りません (以前のバックアップ): "
                                          "ファイルの整合性と件数だけを確かめました。")
                                          .arg(group);
                CountFiles(weekdayFolder, each.files, each.rows);
            }
            continue;
        }
        for (const QString& file : manifest->files) {
            if (!each.files.contains(file)) {
                each.rows.problems << Missing(file);
            }
        }
        for (const ManifestTable& table : manifest->tables) {
            each.rows.tables.append(
                Compare(table, FilesChecksum(weekdayFolder, table.files, table.table)));
        }
    }
    const auto problems = integrity.get();
    BackupCheck check;
    bool found = false;
    for (const GroupCheck& each : groups) {
        found = found || each.found;
        for (const QString& file : each.files) {
            if (const auto problem = problems.value(file)) {
                check.problems << *problem;
            }
        }
        check.problems << each.rows.problems;
        check.tables << each.rows.tables;
    }
    if (!found) {
        check.problems << QStringLiteral("バックアップが有りません: ") + weekdayFolder;
    }
    return check;
}

BackupCheck RestoreBackup(const RestoreRequest& request) {
    BackupCheck check;
    if (request.server.isEmpty() && QFileInfo::exists(request.file)) {
        check.problems
            << QStringLiteral("「%1」が既に有ります。復元しませんでした。").arg(request.file);
        return check;
    }
    QList<Chosen> chosen;
    QStringList taken;
    for (const QString& group : BackupGroups()) {
        const auto manifest = ReadManifest(request.weekdayFolder, group);
        if (!manifest) {
            if (!GroupFiles(request.weekdayFolder, group).isEmpty()) {
                check.problems << QStringLiteral("%1 にはマニフェストが有りません。").arg(group);
            }
            continue;
        }
        // A table of two groups is restored once, from the first.
        for (const ManifestTable& table : manifest->tables) {
            if (!taken.contains(table.table) &&
                (request.tables.isEmpty() || request.tables.contains(table.table))) {
                chosen.append({manifest->engine, table});
                taken << table.table;
            }
        }
    }
    for (const QString& table : request.tables) {
        if (!taken.contains(table)) {
            check.problems
                << QStringLiteral("テーブル「%1」はバックアップに有りません。").arg(table);
        }
    }
    if (chosen.isEmpty() && check.problems.isEmpty()) {
        check.problems << QStringLiteral("バックアップが有りません: ") + request.weekdayFolder;
    }
    if (!check.problems.isEmpty()) {
        return check;
    }
    if (request.server.isEmpty()) {
        RestoreIntoFile(request, chosen, check);
    } else {
        RestoreIntoServer(request, chosen, check);
    }
    return check;
}
