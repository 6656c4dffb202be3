#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <optional>

#include "db/ConnectionString.h"
#include "db/DbError.h"

// One of the two process-wide connections. The open flag is the system's own record of the
// connection and is kept apart from the engine's state: closing leaves the flag as it is, so that a
// later re-open knows the connection had been in use.
class DbConnection {
public:
    explicit DbConnection(const QString& role);
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens the database a connection text names; any earlier connection is closed first.
    std::optional<DbError> open(const QString& connectionString);
    // Opens an ODBC data source with a connect text "Driver={…};UID=…;PWD=…;…".
    std::optional<DbError> openOdbc(const QString& connect);
    void close();
    bool isOpen() const;
    // A server database (PostgreSQL, or a source reached through ODBC) rather than a file.
    bool isServer() const;
    QSqlDatabase database() const;

    // What the last open had to accept (a shared file left in WAL mode); empty when nothing.
    const QString& openWarning() const { return warning_; }

    bool openFlag = false;
    // Applied at every open; the timeout is also how long a locked file is waited for.
    ConnectionSettings settings;

private:
    std::optional<DbError> openServer(const QMap<QString, QString>& fields);

    QString role_;
    QString name_;
    QString warning_;
};

// The number and description of an engine error.
DbError ToDbError(const QSqlError& error);

// Runs a statement with its "?" marks filled in order (a plain exec when there are none).
bool ExecBound(QSqlQuery& query, const QString& sql, const QVariantList& bindings);
