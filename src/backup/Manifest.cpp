#include "backup/Manifest.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSqlQuery>

#include "backup/BackupRules.h"
#include "db/DatabaseFile.h"
#include "db/DbConnection.h"
#include "db/RowChecksum.h"
#include "db/SqlText.h"
#include "platform/Files.h"

namespace {
QStringList Column(QSqlQuery& query) {
    QStringList values;
    while (query.next()) {
        values << query.value(0).toString();
    }
    return values;
}

// Runs a catalogue query with the table's name bound; its first column.
QStringList Catalogue(const QSqlDatabase& db, const QString& sql, const QString& table) {
    QSqlQuery query(db);
    return ExecBound(query, sql, {table}) ? Column(query) : QStringList();
}

TableSchema FileSchema(const QSqlDatabase& db, const QString& table) {
    return {table,
            Catalogue(db,
                      QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND "
                                     "name = ?"),
                      table)
                .value(0),
            Catalogue(db,
                      QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND "
                                     "tbl_name = ? AND sql IS NOT NULL ORDER BY name"),
                      table)};
}

// A server's table rebuilt from its catalogue: columns with their types, keys and unique
// constraints, then the indexes no constraint made, without the schema's name.
TableSchema ServerSchema(const QSqlDatabase& db, const QString& table) {
    const QString relation = QStringLiteral("to_regclass(quote_ident(?))");
    QStringList parts = Catalogue(
        db,
        QStringLiteral("SELECT quote_ident(attname) || ' ' || format_type(atttypid, atttypmod) || "
                       "CASE WHEN attnotnull THEN ' NOT NULL' ELSE '' END FROM pg_attribute "
                       "WHERE attrelid = %1 AND attnum > 0 AND NOT attisdropped ORDER BY attnum")
            .arg(relation),
        table);
    parts << Catalogue(db,
                       QStringLiteral("SELECT 'CONSTRAINT ' || quote_ident(conname) || ' ' || "
                                      "pg_get_constraintdef(oid) FROM pg_constraint WHERE "
                                      "conrelid = %1 AND contype IN ('p', 'u') ORDER BY conname")
                           .arg(relation),
                       table);
    const QStringList indexes = Catalogue(
        db,
        QStringLiteral("SELECT replace(pg_get_indexdef(indexrelid), ' ON ' || "
                       "quote_ident(current_schema()) || '.', ' ON ') FROM pg_index WHERE "
                       "indrelid = %1 AND NOT EXISTS (SELECT 1 FROM pg_constraint WHERE conindid "
                       "= indexrelid) ORDER BY indexrelid::regclass::text")
            .arg(relation),
        table);
    if (parts.isEmpty()) {
        return {table, {}, {}};
    }
    return {table,
            QStringLiteral("CREATE TABLE ") + SqlIdentifier(table) + QStringLiteral(" (") +
                parts.join(QStringLiteral(", ")) + QLatin1Char(')'),
            indexes};
}

QJsonObject ToJson(const ManifestTable& table) {
    return {{QStringLiteral("table"), table.table},
            {QStringLiteral("files"), QJsonArray::fromStringList(table.files)},
            {QStringLiteral("rows"), table.rows},
            {QStringLiteral("checksum"), table.checksum},
            {QStringLiteral("name"), table.schema.name},
            {QStringLiteral("create"), table.schema.create},
            {QStringLiteral("indexes"), QJsonArray::fromStringList(table.schema.indexes)}};
}

QStringList Texts(const QJsonValue& value) {
    QStringList texts;
    for (const QJsonValue& text : value.toArray()) {
        texts << text.toString();
    }
    return texts;
}
}  // namespace

QString ManifestFileName(const QString& group) {
    return group + QStringLiteral(".manifest.json");
}

QString SourceEngine(const QSqlDatabase& db) {
    const QString driver = db.driverName();
    return driver == QLatin1String("QPSQL")   ? QStringLiteral("postgresql")
           : driver == QLatin1String("QODBC") ? QStringLiteral("odbc")
                                              : QStringLiteral("sqlite");
}

TableSchema ReadTableSchema(const QSqlDatabase& db, const QString& listed) {
    const QString engine = SourceEngine(db);
    if (engine == QLatin1String("sqlite")) {
        return FileSchema(db, listed);
    }
    return engine == QLatin1String("postgresql") ? ServerSchema(db, listed)
                                                 : TableSchema{listed, {}, {}};
}

std::optional<RowChecksum> FilesChecksum(const QString& folder, const QStringList& files,
                                         const QString& table) {
    RowChecksum sum;
    for (const QString& file : files) {
        const QString path = QDir(folder).filePath(file);
        std::optional<RowChecksum> rows;
        if (QFileInfo::exists(path)) {
            static_cast<void>(WithDatabaseFile(path, [&](QSqlDatabase& db) {
                rows = TableChecksum(db, table);
                return DbResult();
            }));
        }
        if (!rows) {
            return std::nullopt;
        }
        sum += *rows;
    }
    return sum;
}

std::optional<QString> StageManifest(const QString& staging, const QString& group,
                                     const ManifestSource& source,
                                     const QList<BackupTableReport>& reports) {
    QJsonArray tables;
    for (const BackupTableReport& report : reports) {
        // The rows are read back from the files written, unless the run summed them as they went
        // in: the manifest tells what the files hold.
        ManifestTable table{report.table, {}, 0, {}, source.schema.value(report.table)};
        bool read = true;
        for (const QString& file : report.files) {
            read = WithDatabaseFile(QDir(staging).filePath(file),
                                    [&](QSqlDatabase& db) {
                                        // A sliced table without rows is in no file.
                                        if (db.tables().contains(report.table)) {
                                            table.files << file;
                                        }
                                        return DbResult();
                                    }) &&
                   read;
        }
        const auto sum = !read             ? std::nullopt
                         : report.checksum ? report.checksum
                                           : FilesChecksum(staging, table.files, report.table);
        table.rows = sum ? sum->rows : report.fileRows;
        table.checksum = sum ? sum->text() : QString();
        tables.append(ToJson(table));
    }
    const QJsonObject manifest{
        {QStringLiteral("group"), group},
        {QStringLiteral("moment"), source.moment},
        {QStringLiteral("kind"), source.kind},
        {QStringLiteral("engine"), source.engine},
        {QStringLiteral("files"), QJsonArray::fromStringList(GroupFiles(staging, group))},
        {QStringLiteral("tables"), tables}};
    QSaveFile file(QDir(staging).filePath(ManifestFileName(group)));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(manifest).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        return file.errorString() + QStringLiteral(": ") + file.fileName();
    }
    // It names the tables and their keys: no more readable than the files it describes.
    const QStringList files = GroupFiles(staging, group);
    if (!files.isEmpty()) {
        ProtectLikeFolder(file.fileName(), QDir(staging).filePath(files.constFirst()));
    }
    return std::nullopt;
}

std::optional<Manifest> ReadManifest(const QString& weekdayFolder, const QString& group) {
    QFile file(QDir(weekdayFolder).filePath(ManifestFileName(group)));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    if (json.value(QStringLiteral("group")).toString() != group) {
        return std::nullopt;
    }
    Manifest manifest{group,
                      json.value(QStringLiteral("moment")).toString(),
                      json.value(QStringLiteral("kind")).toString(),
                      json.value(QStringLiteral("engine")).toString(),
                      Texts(json.value(QStringLiteral("files"))),
                      {}};
    for (const QJsonValue& value : json.value(QStringLiteral("tables")).toArray()) {
        const QJsonObject table = value.toObject();
        manifest.tables.append({table.value(QStringLiteral("table")).toString(),
                                Texts(table.value(QStringLiteral("files"))),
                                table.value(QStringLiteral("rows")).toInteger(),
                                table.value(QStringLiteral("checksum")).toString(),
                                {table.value(QStringLiteral("name")).toString(),
                                 table.value(QStringLiteral("create")).toString(),
                                 Texts(table.value(QStringLiteral("indexes")))}});
    }
    return manifest;
}
