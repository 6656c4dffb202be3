#include "db/Engine.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include "db/DatabaseFile.h"
#include "db/DbConnection.h"
#include "db/RowChecksum.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "platform/Files.h"

#include <sqlite3.h>

namespace {
const QString kLinkPrefix = QStringLiteral(";DATABASE=");

const QString kLinksTable = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS numorika_links (name TEXT NOT NULL PRIMARY KEY, "
    "source_table TEXT NOT NULL, attributes INTEGER NOT NULL, connect TEXT)");

// The type a column of a server's rows takes in a database file.
QString FileColumnType(const QMetaType& type) {
    switch (type.id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UInt:
            return QStringLiteral("INTEGER");
        case QMetaType::Double:
            return QStringLiteral("REAL");
        case QMetaType::QByteArray:
            return QStringLiteral("BLOB");
        case QMetaType::QDateTime:
            return QStringLiteral("TIMESTAMP");
        case QMetaType::QDate:
            return QStringLiteral("DATE");
        case QMetaType::QTime:
            return QStringLiteral("TIME");
        default:
            return QStringLiteral("TEXT");
    }
}

DbError Failure(const QString& description) {
    return {kUnspecifiedDbError, description};
}

bool HasTable(QSqlDatabase& db, const QString& schema, const QString& table) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type IN ('table', 'view') "
                                 "AND name = ?")
                      .arg(schema));
    query.addBindValue(table);
    return query.exec() && query.next();
}

// Whether a database file holds a table of its own.
DbResult CheckHoldsTable(const QString& file, const QString& table) {
    if (auto problem = CheckDatabaseFile(file); !problem) {
        return problem;
    }
    return WithDatabaseFile(file, [&](QSqlDatabase& db) -> DbResult {
        if (!HasTable(db, QStringLiteral("main"), table)) {
            return Failure(QStringLiteral("「%1」にテーブル「%2」が有りません。").arg(file, table));
        }
        return {};
    });
}
}  // namespace

QString LinkedFile(const QString& connect) {
    return connect.startsWith(kLinkPrefix, Qt::CaseInsensitive) ? connect.mid(kLinkPrefix.size())
                                                                : QString();
}

QString TableListQuery(bool server) {
    return server ? QStringLiteral(
                        "SELECT table_name FROM information_schema.tables WHERE "
                        "table_schema = current_schema() AND table_type = 'BASE TABLE' "
                        "ORDER BY 1")
                  : QStringLiteral(
                        "SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                        "NOT LIKE 'sqlite_%' AND name NOT LIKE 'numorika_%' ORDER BY name");
}

std::optional<QList<TableDefinition>> ListTableDefinitions(const QString& path) {
    if (!CheckDatabaseFile(path)) {
        return std::nullopt;
    }
    QList<TableDefinition> tables;
    const auto listed = WithDatabaseFile(path, [&](QSqlDatabase& db) -> DbResult {
        QSqlQuery query(db);
        if (!query.exec(TableListQuery(false))) {
            return ToDbError(query.lastError());
        }
        while (query.next()) {
            tables.append({query.value(0).toString(), 0, {}, {}});
        }
        if (HasTable(db, QStringLiteral("main"), QStringLiteral("numorika_links")) &&
            query.exec(QStringLiteral("SELECT name, attributes, connect, source_table FROM "
                                      "numorika_links ORDER BY name"))) {
            while (query.next()) {
                tables.append({query.value(0).toString(), query.value(1).toLongLong(),
                               query.value(2).toString(), query.value(3).toString()});
            }
        }
        return {};
    });
    if (!listed) {
        return std::nullopt;
    }
    return tables;
}

DbResult AddLinkedTable(const QString& path, const QString& name, const QString& sourceTable,
                        const QString& connect, qint64 attributes) {
    return WithDatabaseFile(path, [&](QSqlDatabase& db) -> DbResult {
        QSqlQuery query(db);
        if (!query.exec(kLinksTable)) {
            return ToDbError(query.lastError());
        }
        query.prepare(QStringLiteral("INSERT INTO numorika_links VALUES (?, ?, ?, ?)"));
        query.addBindValue(name);
        query.addBindValue(sourceTable);
        query.addBindValue(attributes);
        query.addBindValue(connect);
        return query.exec() ? DbResult() : DbResult(ToDbError(query.lastError()));
    });
}

DbResult RelinkTable(const QString& path, const QString& name, const QString& connect) {
    QString sourceTable;
    auto found = WithDatabaseFile(path, [&](QSqlDatabase& db) -> DbResult {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT source_table FROM numorika_links WHERE name = ?"));
        query.addBindValue(name);
        if (!query.exec() || !query.next()) {
            return Failure(QStringLiteral("リンクテーブル「%1」が有りません。").arg(name));
        }
        sourceTable = query.value(0).toString();
        return {};
    });
    if (!found) {
        return found;
    }
    // The link is refreshed before it is stored: a link to a file without the table is refused.
    if (auto missing = CheckHoldsTable(LinkedFile(connect), sourceTable); !missing) {
        return missing;
    }
    return WithDatabaseFile(path, [&](QSqlDatabase& db) -> DbResult {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE numorika_links SET connect = ? WHERE name = ?"));
        query.addBindValue(connect);
        query.addBindValue(name);
        return query.exec() ? DbResult() : DbResult(ToDbError(query.lastError()));
    });
}

void AttachLinkedTables(QSqlDatabase& db) {
    QList<TableDefinition> links;
    {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT name, connect, source_table FROM numorika_links"))) {
            return;
        }
        while (query.next()) {
            links.append({query.value(0).toString(), 0, query.value(1).toString(),
                          query.value(2).toString()});
        }
    }
    QHash<QString, QString> schemas;  // file -> attached schema
    QSqlQuery query(db);
    for (const TableDefinition& link : links) {
        const QString file = LinkedFile(link.connect);
        if (file.isEmpty() || !CheckDatabaseFile(file)) {
            continue;
        }
        QString schema = schemas.value(file);
        if (schema.isEmpty()) {
            schema = QStringLiteral("link%1").arg(schemas.size() + 1);
            if (!query.exec(
                    QStringLiteral("ATTACH DATABASE %1 AS %2").arg(SqlQuote(file), schema))) {
                continue;
            }
            schemas.insert(file, schema);
        }
        if (HasTable(db, schema, link.sourceTable)) {
            query.exec(QStringLiteral("CREATE TEMP VIEW %1 AS SELECT * FROM %2.%3")
                           .arg(SqlIdentifier(link.name), schema, SqlIdentifier(link.sourceTable)));
        }
    }
}

bool CopyDatabaseFile(const QString& source, const QString& target, QString* error) {
    if (!CheckDatabaseFile(source)) {
        return CopyFileReplacing(source, target, error);
    }
    const QString staged = target + QStringLiteral(".copying");
    QFile::remove(staged);
    if (!CreateProtectedFile(staged, source)) {
        *error = QStringLiteral("「%1」を作成できません。").arg(staged);
        return false;
    }
    // The source may be another member's file whose log is being made at this moment.
    const auto copied = TryWhileLogIsMade([&] {
        return WithDatabaseFile(source, [&](QSqlDatabase& db) -> DbResult {
            sqlite3* into = nullptr;
            int code = sqlite3_open_v2(QFile::encodeName(staged).constData(), &into,
                                       SQLITE_OPEN_READWRITE, nullptr);
            if (code == SQLITE_OK) {
                sqlite3_backup* copy = sqlite3_backup_init(into, "main", FileEngine(db), "main");
                code = copy == nullptr ? sqlite3_errcode(into) : sqlite3_backup_step(copy, -1);
                if (copy != nullptr) {
                    sqlite3_backup_finish(copy);
                }
            }
            const QString reason = QString::fromUtf8(sqlite3_errstr(code));
            sqlite3_close(into);
            if (code != SQLITE_DONE) {
                return DbError{code, reason + QStringLiteral(": ") + staged};
            }
            return {};
        });
    });
    if (!copied) {
        QFile::remove(staged);
        *error = copied.error().description;
        return false;
    }
    return ReplaceFile(staged, target, error);
}

bool DatabaseFileInUse(const QString& path) {
    return QFileInfo::exists(path + QStringLiteral("-wal"));
}

DbResult CompactDatabase(const QString& source, const QString& target, const QString& locale) {
    if (QFileInfo::exists(target)) {
        return Failure(QStringLiteral("「%1」が既に有ります。").arg(target));
    }
    if (auto problem = CheckDatabaseFile(source); !problem) {
        return problem;
    }
    // The compacted file is the source's copy: no more readable than it from the start.
    if (!CreateProtectedFile(target, source)) {
        return Failure(QStringLiteral("「%1」を作成できません。").arg(target));
    }
    auto compacted = WithDatabaseFile(source, [&](QSqlDatabase& db) -> DbResult {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("VACUUM INTO ") + SqlQuote(target))) {
            return ToDbError(query.lastError());
        }
        return {};
    });
    if (!compacted) {
        QFile::remove(target);
        return compacted;
    }
    return WithDatabaseFile(target, [&](QSqlDatabase& db) {
        return ExecuteAll(db, {QStringLiteral("CREATE TABLE IF NOT EXISTS numorika_info (key TEXT "
                                              "NOT NULL PRIMARY KEY, value TEXT)"),
                               QStringLiteral("INSERT OR REPLACE INTO numorika_info VALUES "
                                              "('locale', %1)")
                                   .arg(SqlQuote(locale))});
    });
}

DbResult CopyRowsIntoDatabase(const QSqlDatabase& source, const QString& query,
                              const QVariantList& bindings, QSqlDatabase& db, const QString& table,
                              bool create, qint64* copied) {
    *copied = 0;
    // The columns keep the case the business tables declare and the types the server gives
    // them; times arrive as the server's text, with their microseconds.
    QSqlQuery rows(source);
    rows.setForwardOnly(true);
    QSqlRecord types;
    QString sql = query;
    if (source.driverName() == QLatin1String("QPSQL")) {
        if (!ExecBound(rows,
                       QStringLiteral("SELECT * FROM (") + query +
                           QStringLiteral(") AS numorika_rows WHERE 1 = 0"),
                       bindings)) {
            return ToDbError(rows.lastError());
        }
        types = rows.record();
        sql = ExactTimesQuery(types, query).value_or(query);
    }
    if (!ExecBound(rows, sql, bindings)) {
        return ToDbError(rows.lastError());
    }
    const QSqlRecord columns = rows.record();
    if (types.isEmpty()) {
        types = columns;
    }
    QSqlQuery target(db);
    if (create) {
        QStringList definitions;
        for (int i = 0; i < columns.count(); ++i) {
            definitions << SqlIdentifier(DeclaredColumnName(columns.fieldName(i))) +
                               QLatin1Char(' ') + FileColumnType(types.field(i).metaType());
        }
        if (!target.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                             .arg(SqlIdentifier(table), definitions.join(QStringLiteral(", "))))) {
            return ToDbError(target.lastError());
        }
    }
    QStringList marks(columns.count(), QStringLiteral("?"));
    if (!db.transaction() ||
        !target.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                            .arg(SqlIdentifier(table), marks.join(QLatin1Char(','))))) {
        return ToDbError(target.lastError());
    }
    qint64 written = 0;
    while (rows.next()) {
        for (int i = 0; i < columns.count(); ++i) {
            BindValue(target, i, rows.value(i));
        }
        if (!target.exec()) {
            const DbError error = ToDbError(target.lastError());
            db.rollback();
            return error;
        }
        ++written;
    }
    // A server that breaks off mid-way ends the rows early: that is a failure, not the end.
    if (rows.lastError().isValid()) {
        const DbError error = ToDbError(rows.lastError());
        db.rollback();
        return error;
    }
    if (!db.commit()) {
        return ToDbError(db.lastError());
    }
    *copied = written;
    return {};
}

DbResult CopyRowsIntoFile(const QSqlDatabase& source, const QString& query,
                          const QVariantList& bindings, const QString& file, const QString& table,
                          bool create, qint64* copied) {
    *copied = 0;
    if (auto problem = CheckDatabaseFile(file); !problem) {
        return problem;
    }
    return WithDatabaseFile(file, [&](QSqlDatabase& db) {
        // As for a backup written on this engine: unsynced, but journalled against a kill.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = OFF"));
        return CopyRowsIntoDatabase(source, query, bindings, db, table, create, copied);
    });
}
