#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

#include "backup/Backup.h"

// A table as its source declares it: its name there, its CREATE TABLE and its indexes.
struct TableSchema {
    QString name;
    QString create;
    QStringList indexes;
};

// One table of a group's backup: the files that hold its rows, in order, the rows they hold and
// their checksum (RowChecksum::text; empty when the rows could not be read).
struct ManifestTable {
    QString table;
    QStringList files;
    qint64 rows = 0;
    QString checksum;
    TableSchema schema;
};

// What a group's backup holds, written beside its files and put in place with them.
struct Manifest {
    QString group;
    QString moment;     // when the source was read, ISO 8601 with milliseconds
    QString kind;       // the source's kind of database definition (A, S, O)
    QString engine;     // whose statements the schema holds: sqlite, postgresql or odbc
    QStringList files;  // every file of the group
    QList<ManifestTable> tables;
};

// What a run gathers for its manifests once the source is read as of its moment.
struct ManifestSource {
    QString moment;
    QString kind;
    QString engine;
    QHash<QString, TableSchema> schema;  // by the table's backup name
};

// mstdb.manifest.json
QString ManifestFileName(const QString& group);

// The engine of an open source: sqlite, postgresql or odbc.
QString SourceEngine(const QSqlDatabase& db);

// A table as the source declares it; empty statements when the source does not say.
TableSchema ReadTableSchema(const QSqlDatabase& db, const QString& listed);

// The rows of a table over its files (in folder) in order; nullopt when a file or its table
// cannot be read.
std::optional<RowChecksum> FilesChecksum(const QString& folder, const QStringList& files,
                                         const QString& table);

// Writes a group's manifest into the folder its files are staged in, the rows and checksums
// read from those files; the error when it cannot be written.
std::optional<QString> StageManifest(const QString& staging, const QString& group,
                                     const ManifestSource& source,
                                     const QList<BackupTableReport>& reports);

// A weekday folder's manifest of a group; nullopt when there is none or it cannot be read.
std::optional<Manifest> ReadManifest(const QString& weekdayFolder, const QString& group);
