#include "db/DbConnection.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "db/DatabaseFile.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "platform/ProcessInfo.h"

#include <sqlite3.h>

#include <atomic>

DbError ToDbError(const QSqlError& error) {
    bool numeric = false;
    const qint64 number = error.nativeErrorCode().toLongLong(&numeric);
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return {numeric ? number : kUnspecifiedDbError, text};
}

void BindValue(QSqlQuery& query, int position, const QVariant& value) {
    // SQLite takes a leading U+FEFF or U+FFFE of a bound text as a byte order mark: it drops the
    // mark and reads U+FFFE's text in the other byte order. A mark of this machine's order put
    // in front is the one dropped, and the text arrives as it was.
    if (query.driver() != nullptr && query.driver()->dbmsType() == QSqlDriver::SQLite &&
        value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text.startsWith(QChar(0xFEFF)) || text.startsWith(QChar(0xFFFE))) {
            query.bindValue(position, QChar(0xFEFF) + text);
            return;
        }
    }
    query.bindValue(position, value);
}

bool ExecBound(QSqlQuery& query, const QString& sql, const QVariantList& bindings) {
    if (bindings.isEmpty()) {
        return query.exec(sql);
    }
    if (!query.prepare(sql)) {
        return false;
    }
    for (qsizetype i = 0; i < bindings.size(); ++i) {
        BindValue(query, int(i), bindings[i]);
    }
    return query.exec();
}

DbConnection::DbConnection(const QString& name, DbRole role)
    : role_(role),
      name_(name + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

DbResult DbConnection::open(const QString& connectionString) {
    auto result = openFile(connectionString);
    openFlag_ = static_cast<bool>(result);
    wasOpened_ = wasOpened_ || openFlag_;
    return result;
}

DbResult DbConnection::openOdbc(const QString& connect) {
    auto result = openDataSource(connect);
    openFlag_ = static_cast<bool>(result);
    wasOpened_ = wasOpened_ || openFlag_;
    return result;
}

namespace {
// Set from a signal handler, so it is the one state the connections share that way.
std::atomic<bool> endAsked{false};

// Far more steps than any statement of the menu takes, so that the end's own rows still arrive.
constexpr int kStepsBetweenChecks = 1000000;

int StopWhenEndAsked(void*) {
    return endAsked.load() ? 1 : 0;
}

// Lets a statement of the connection be stopped once the end is asked.
void WatchForTheEnd(const QSqlDatabase& db) {
    if (sqlite3* engine = FileEngine(db)) {
        sqlite3_progress_handler(engine, kStepsBetweenChecks, StopWhenEndAsked, nullptr);
    }
}
// The configuration file takes the run history and the link rows of every program of the suite
// at once. On a disk of this machine it uses a write-ahead log: a commit is one append, readers
// never block the writer. On a file server every process would need the log's shared memory,
// which a network file system does not give: there the rollback journal, fully synced. A file
// found with a log there goes back to the journal when no one else has it open; otherwise it is
// used as it is and the answer says so. The mode stays with the file.
std::optional<QString> ChooseJournalMode(QSqlDatabase& db, const QString& path, bool local,
                                         int timeoutMs) {
    QSqlQuery query(db);
    const auto mode = [&query] {
        const bool read = query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next();
        const QString current = read ? query.value(0).toString().toLower() : QString();
        query.finish();
        return current;
    };
    std::optional<QString> warning;
    if (local) {
        if (mode() != QLatin1String("wal")) {
            query.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
            query.finish();
        }
        query.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    } else if (mode() == QLatin1String("wal")) {
        // Leaving the log needs the file to itself: asked once, not waited for.
        query.exec(QStringLiteral("PRAGMA busy_timeout = 0"));
        query.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        query.finish();
        if (mode() == QLatin1String("wal")) {
            warning = QStringLiteral(
                          "共有フォルダの「%1」は他のプログラムが使用中のため、"
                          "WAL モードのまま開きました。")
                          .arg(path);
        }
        query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(timeoutMs));
    }
    query.finish();
    return warning;
}

// The log's index is made by whichever member's program opens the file first, with the umask's
// rights until the file's are given to it a moment later. An open that fell in that moment has the
// index read-only: it reads, but every write of the run fails. A write is begun (and not waited
// for) to tell; such an open is tried again.
DbResult CheckLogIndexWritable(QSqlDatabase& db, const QString& path, int timeoutMs) {
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    DbResult result;
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        query.exec(QStringLiteral("ROLLBACK"));
    } else if (const qint64 code = ToDbError(query.lastError()).number & 0xff;
               code == SQLITE_READONLY || code == SQLITE_CANTOPEN) {
        result = DbError{
            SQLITE_CANTOPEN,
            QStringLiteral("「%1-shm」に書き込めないため、「%1」に書き込めません。").arg(path)};
    }
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(timeoutMs));
    return result;
}

// Gives a configuration file made before its current indexes the ones it lacks, once. Nothing
// else of a file that other programs have open is changed.
void UseCurrentIndexes(QSqlDatabase& db, const QStringList& present) {
    QSqlQuery query(db);
    for (const IndexSpec& index : ConfigurationIndexes()) {
        if (!present.contains(index.name)) {
            query.exec(index.statement);
        }
    }
}

// The file as SQLite's URI form names it, opened for reading and writing but never created: a
// missing file is an error, not a new empty database.
QString ExistingFileUri(const QString& path) {
    QString escaped = path;
    escaped.replace(QLatin1Char('%'), QStringLiteral("%25"))
        .replace(QLatin1Char('?'), QStringLiteral("%3f"))
        .replace(QLatin1Char('#'), QStringLiteral("%23"));
    const QString prefix =
        path.startsWith(QLatin1Char('/')) ? QStringLiteral("file://") : QStringLiteral("file:");
    return prefix + escaped + QStringLiteral("?mode=rw");
}
}  // namespace

void InterruptLongStatements() noexcept {
    endAsked.store(true);
}

DbConnection::~DbConnection() {
    close();
}

DbResult DbConnection::openFile(const QString& connectionString) {
    return TryWhileLogIsMade([&] { return openFileOnce(connectionString); });
}

DbResult DbConnection::openFileOnce(const QString& connectionString) {
    close();
    warning_.clear();
    const auto fields = ParseConnectionString(connectionString);
    const QString provider = fields.value(QStringLiteral("provider"));
    if (IsServerProvider(provider)) {
        return openServer(fields);
    }
    if (!IsFileProvider(provider)) {
        return DbError{
            kUnspecifiedDbError,
            QStringLiteral("プロバイダ「%1」はこの環境では使用できません。").arg(provider)};
    }
    const QString path = fields.value(QStringLiteral("data source"));
    if (TrimBlanks(path).isEmpty()) {
        return CheckDatabaseFile(path);
    }
    DbResult result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(ExistingFileUri(path));
        // A locked database is waited for as long as a connection attempt may take.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1")
                                 .arg(settings.connectionTimeout * 1000));
        // SQLite reads the file lazily; a file of another kind shows itself on the first read.
        // That read lists what the open needs to know, so a file on a server is asked once.
        QStringList indexes;
        bool linked = false;
        if (!db.open()) {
            result = ToDbError(db.lastError());
        } else {
            WatchForTheEnd(db);
            // The header is read first inside a read transaction, so that the schema and the
            // list come under the same lock instead of one lock each.
            QSqlQuery probe(db);
            const bool begun = probe.exec(QStringLiteral("BEGIN"));
            if (!probe.exec(QStringLiteral("PRAGMA schema_version")) ||
                !probe.exec(QStringLiteral("SELECT type, name FROM sqlite_master"))) {
                result = ToDbError(probe.lastError());
                result.error().description =
                    QStringLiteral("「%1」はデータベースとして読めません: ").arg(path) +
                    result.error().description;
            }
            while (probe.next()) {
                if (probe.value(0).toString() == QLatin1String("index")) {
                    indexes << probe.value(1).toString();
                } else if (probe.value(1).toString() == QLatin1String("numorika_links")) {
                    linked = true;
                }
            }
            probe.finish();
            openingRead_ =
                begun && result && keepOpeningRead && !linked && role_ != DbRole::Configuration;
            if (begun && !openingRead_) {
                probe.exec(QStringLiteral("COMMIT"));
            }
        }
        if (!result) {
            // What is wrong with the file itself says more than the engine's code: the file is
            // looked at only now, so that a good file costs no extra read.
            if (auto problem = CheckDatabaseFile(path); !problem) {
                result = problem;
            }
        } else {
            if (role_ == DbRole::Configuration) {
                const bool local = settings.localFileSystem(path);
                const int timeoutMs = settings.connectionTimeout * 1000;
                warning_ = ChooseJournalMode(db, path, local, timeoutMs).value_or(QString());
                if (local && QFileInfo(path).isWritable()) {
                    result = CheckLogIndexWritable(db, path, timeoutMs);
                }
                UseCurrentIndexes(db, indexes);
            }
            if (linked) {
                AttachLinkedTables(db);
            }
        }
    }
    if (!result) {
        close();
    }
    return result;
}

DbResult DbConnection::openServer(const QMap<QString, QString>& fields) {
    const ServerAddress address = ParseServerAddress(fields.value(QStringLiteral("data source")));
    const QString password = fields.value(QStringLiteral("password"));
    DbResult result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db.setHostName(address.host);
        if (address.port > 0) {
            db.setPort(address.port);
        }
        db.setDatabaseName(fields.value(QStringLiteral("initial catalog")));
        db.setUserName(fields.value(QStringLiteral("user id")));
        db.setPassword(password);
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(settings.connectionTimeout));
        if (!db.open()) {
            result = ToDbError(db.lastError());
            // The description reaches the run history: it never carries the password.
            if (!password.isEmpty()) {
                result.error().description.replace(password, QStringLiteral("****"));
            }
        }
    }
    if (!result) {
        close();
    }
    return result;
}

DbResult DbConnection::openDataSource(const QString& connect) {
    close();
    DbResult result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
        db.setDatabaseName(connect);
        db.setConnectOptions(
            QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(settings.connectionTimeout));
        if (!db.open()) {
            result = ToDbError(db.lastError());
            // The connect text carries the password as PWD=…; it never reaches an error row.
            static const QRegularExpression password(QStringLiteral("PWD=[^;]*"),
                                                     QRegularExpression::CaseInsensitiveOption);
            QString tried = connect;
            tried.replace(password, QStringLiteral("PWD=****"));
            result.error().description.replace(password, QStringLiteral("PWD=****"));
            // What was tried comes first: a driver's own words may name a default it fell back on.
            result.error().description = QStringLiteral("ODBC「%1」に接続できません: ").arg(tried) +
                                         result.error().description;
        }
    }
    if (!result) {
        close();
    }
    return result;
}

bool DbConnection::isServer() const {
    if (!QSqlDatabase::contains(name_)) {
        return false;
    }
    const QString driver = QSqlDatabase::database(name_, false).driverName();
    return driver == QLatin1String("QPSQL") || driver == QLatin1String("QODBC");
}

void DbConnection::close() {
    openingRead_ = false;
    if (!QSqlDatabase::contains(name_)) {
        return;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

bool DbConnection::isOpen() const {
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase DbConnection::database() const {
    return QSqlDatabase::database(name_, false);
}

void SetUpEngine() {
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

sqlite3* FileEngine(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

std::optional<QList<QueryColumn>> QueryColumns(const QSqlDatabase& db, const QString& query) {
    sqlite3* engine = FileEngine(db);
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = query.toUtf8();
    if (engine == nullptr ||
        sqlite3_prepare_v2(engine, text.constData(), int(text.size()), &statement, nullptr) !=
            SQLITE_OK ||
        statement == nullptr) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    QList<QueryColumn> columns;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const char* type = sqlite3_column_decltype(statement, i);
        columns.append({QString::fromUtf8(sqlite3_column_name(statement, i)),
                        type != nullptr ? std::optional(QString::fromUtf8(type)) : std::nullopt});
    }
    sqlite3_finalize(statement);
    return columns;
}

std::optional<QString> DeclaredColumns(const QSqlDatabase& db, const QString& query) {
    const auto columns = QueryColumns(db, query);
    if (!columns || columns->isEmpty()) {
        return std::nullopt;
    }
    QStringList declared;
    QSet<QString> names;
    for (const QueryColumn& column : *columns) {
        // A computed column has no declared type, and two columns of one name make no table:
        // such rows are left to the engine to type.
        if (!column.declaredType || names.contains(column.name.toLower())) {
            return std::nullopt;
        }
        names.insert(column.name.toLower());
        declared << SqlIdentifier(column.name) + QLatin1Char(' ') + *column.declaredType;
    }
    return declared.join(QStringLiteral(", "));
}
