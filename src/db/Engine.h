#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "db/DbError.h"

// The attributes of a table linked to a table of another database file.
inline constexpr qint64 kLinkedTableAttributes = 1073741824;

// A table of a database file as the engine lists it. A linked table has no rows of its own: its
// Connect text ";DATABASE=<file>" names the file that holds sourceTable.
struct TableDefinition {
    QString name;
    qint64 attributes = 0;
    QString connect;
    QString sourceTable;
};

// The file a Connect text links to; empty for any other text.
QString LinkedFile(const QString& connect);

// The tables of a database file, its own and the linked ones; nullopt when it cannot be read.
// The query that lists a database's own tables by name: a server's base tables of the current
// schema, or a file's tables less SQLite's and this system's own.
QString TableListQuery(bool server);

std::optional<QList<TableDefinition>> ListTableDefinitions(const QString& path);

// Adds a linked table to a database file.
DbResult AddLinkedTable(const QString& path, const QString& name, const QString& sourceTable,
                        const QString& connect, qint64 attributes = kLinkedTableAttributes);

// Points a linked table at another file and refreshes the link: the file must hold the table.
DbResult RelinkTable(const QString& path, const QString& name, const QString& connect);

// Makes the linked tables of an open database readable on that connection: each becomes a
// temporary view on the table of its file. Links whose file cannot be reached are left out. Called
// for a file whose table list names numorika_links; without it nothing is attached.
void AttachLinkedTables(QSqlDatabase& db);

// Copies a database file page for page as of one moment, also while other programs write it (a
// plain copy could take half of a checkpoint); the copy is no more readable than the source and is
// put in place whole. A file of another kind is copied as it is.
bool CopyDatabaseFile(const QString& source, const QString& target, QString* error);

// True while another connection has the file open in WAL mode: its log lies beside it. Such a file
// is never replaced, or that connection's log would be read into the new file.
bool DatabaseFileInUse(const QString& path);

// Compacts a database file into a new file (which must not exist), recording the locale.
DbResult CompactDatabase(const QString& source, const QString& target, const QString& locale);

// Streams the rows of a query on another database (a server) into a table of a database file,
// creating the table from the query's columns when asked; the rows are never held all at once.
// bindings fill the query's "?" marks; copied receives the rows written.
DbResult CopyRowsIntoFile(const QSqlDatabase& source, const QString& query,
                          const QVariantList& bindings, const QString& file, const QString& table,
                          bool create, qint64* copied);
// The same into a table of a connection on a database file that is open, in one transaction.
DbResult CopyRowsIntoDatabase(const QSqlDatabase& source, const QString& query,
                              const QVariantList& bindings, QSqlDatabase& db, const QString& table,
                              bool create, qint64* copied);
