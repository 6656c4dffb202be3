#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <optional>
#include <utility>

#include "db/ConnectionString.h"
#include "db/DbError.h"

// What a connection serves. The configuration file takes the rows of every program of the suite
// at once and chooses its journal by where it lies; any other file is opened as it is.
enum class DbRole { Configuration, Business, Other };

// A connection to one database. The open flag is the system's own record of the connection and
// is kept apart from the engine's state: every open sets it, closing leaves it as it is, so that a
// later re-open knows the connection had been in use.
// Asks every statement that runs long from now on to stop, the end of the program being asked:
// a trigger that never ends must not hold the end up. Safe to call in a signal handler.
void InterruptLongStatements() noexcept;

class DbConnection {
public:
    // name only tells connections apart; role chooses how a file is opened.
    DbConnection(const QString& name, DbRole role);
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens the database a connection text names; any earlier connection is closed first.
    DbResult open(const QString& connectionString);
    // Opens an ODBC data source with a connect text "Driver={…};UID=…;PWD=…;…".
    DbResult openOdbc(const QString& connect);
    void close();
    bool isOpen() const;
    // A server database (PostgreSQL, or a source reached through ODBC) rather than a file.
    bool isServer() const;
    QSqlDatabase database() const;

    // Whether the last open succeeded; a close leaves it as it is.
    bool openFlag() const { return openFlag_; }
    // Whether any open of this run succeeded, whatever came after it.
    bool wasOpened() const { return wasOpened_; }
    // Records that there was nothing to open (no installation, no configuration file): the flag
    // falls as after a failed open.
    void markNotOpened() { openFlag_ = false; }
    // Records an open that reached no database (a kind the system does not know): the flag
    // rises, and every statement fails as on a closed connection.
    void markOpenedWithoutDatabase() {
        close();
        openFlag_ = true;
    }

    // What the last open had to accept (a shared file left in WAL mode); empty when nothing.
    const QString& openWarning() const { return warning_; }

    // Set around the start's open of the business file: the read that checked the file stays
    // open for the next ReadTogether, so that a file server is locked and asked once for the
    // check, the company settings and the menu. A file with linked tables is not kept.
    bool keepOpeningRead = false;
    // Hands the kept read over once; false when there is none.
    bool takeOpeningRead() const { return std::exchange(openingRead_, false); }
    // Applied at every open; the timeout is also how long a locked file is waited for.
    ConnectionSettings settings;

private:
    DbResult openFile(const QString& connectionString);
    DbResult openFileOnce(const QString& connectionString);
    DbResult openServer(const QMap<QString, QString>& fields);
    DbResult openDataSource(const QString& connect);

    DbRole role_;
    QString name_;
    QString warning_;
    bool openFlag_ = false;
    bool wasOpened_ = false;
    mutable bool openingRead_ = false;
};

// The number and description of an engine error.
DbError ToDbError(const QSqlError& error);

// Fills one "?" mark of a prepared statement; a text arrives exactly as given.
void BindValue(QSqlQuery& query, int position, const QVariant& value);

// Runs a statement with its "?" marks filled in order (a plain exec when there are none).
bool ExecBound(QSqlQuery& query, const QString& sql, const QVariantList& bindings);

struct sqlite3;
// Called first in a process, before any connection: the engine then keeps no count of the memory
// it holds, a lock that every allocation on every thread would take (the backup's workers
// allocate for each row they read).
void SetUpEngine();

// The engine under a connection on a database file; none for a server.
sqlite3* FileEngine(const QSqlDatabase& db);

// A column of a query's rows and the type its table declares for it (none for a computed one).
struct QueryColumn {
    QString name;
    std::optional<QString> declaredType;
};
// The columns of a query's rows on a database file; none on a server or when it does not compile.
std::optional<QList<QueryColumn>> QueryColumns(const QSqlDatabase& db, const QString& query);

// The columns of a query's rows on a database file as their tables declare them
// ("番号 INTEGER, 名称 VARCHAR(60)"); none on a server, or when a column has no declared type.
std::optional<QString> DeclaredColumns(const QSqlDatabase& db, const QString& query);
