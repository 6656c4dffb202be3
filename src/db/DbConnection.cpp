#include "db/DbConnection.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "db/DatabaseFile.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "db/SqlText.h"

DbError ToDbError(const QSqlError& error) {
    bool numeric = false;
    const qint64 number = error.nativeErrorCode().toLongLong(&numeric);
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return {numeric ? number : kUnspecifiedDbError, text};
}

DbConnection::DbConnection(const QString& role)
    : role_(role),
      name_(role + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

namespace {
// The configuration file takes the run history and the link rows of every program of the suite
// at once. In WAL mode a commit is one append without waiting for the disk, so no writer is kept
// out by the others for longer than the busy timeout; the mode stays with the file.
void UseWriteAheadLog(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next() &&
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        query.finish();
        query.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    }
    query.finish();
    query.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
}

// Brings a configuration file made before its current indexes up to them.
void UseCurrentIndexes(QSqlDatabase& db) {
    QSqlQuery query(db);
    QStringList present;
    if (query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'"))) {
        while (query.next()) {
            present << query.value(0).toString();
        }
    }
    query.finish();
    for (const IndexSpec& index : ConfigurationIndexes()) {
        if (!present.contains(index.name)) {
            query.exec(index.statement);
        }
    }
    for (const QString& retired : RetiredConfigurationIndexes()) {
        if (present.contains(retired)) {
            query.exec(QStringLiteral("DROP INDEX ") + SqlIdentifier(retired));
        }
    }
}
}  // namespace

DbConnection::~DbConnection() {
    close();
}

std::optional<DbError> DbConnection::open(const QString& connectionString) {
    close();
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
    if (auto problem = CheckDatabaseFile(path)) {
        return problem;
    }
    std::optional<DbError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        // A locked database is waited for as long as a connection attempt may take.
        db.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(settings.connectionTimeout * 1000));
        if (!db.open()) {
            failure = ToDbError(db.lastError());
        } else {
            // SQLite reads the file lazily; a file of another kind shows itself on the first read.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
                failure = ToDbError(probe.lastError());
                failure->description =
                    QStringLiteral("「%1」はデータベースとして読めません: ").arg(path) +
                    failure->description;
            } else {
                probe.finish();
                if (role_ == QLatin1String("config")) {
                    UseWriteAheadLog(db);
                    UseCurrentIndexes(db);
                }
                AttachLinkedTables(db);
            }
        }
    }
    if (failure) {
        close();
    }
    return failure;
}

std::optional<DbError> DbConnection::openServer(const QMap<QString, QString>& fields) {
    const ServerAddress address = ParseServerAddress(fields.value(QStringLiteral("data source")));
    const QString password = fields.value(QStringLiteral("password"));
    std::optional<DbError> failure;
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
            failure = ToDbError(db.lastError());
            // The description reaches the run history: it never carries the password.
            if (!password.isEmpty()) {
                failure->description.replace(password, QStringLiteral("****"));
            }
        }
    }
    if (failure) {
        close();
    }
    return failure;
}

std::optional<DbError> DbConnection::openOdbc(const QString& connect) {
    close();
    std::optional<DbError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
        db.setDatabaseName(connect);
        db.setConnectOptions(
            QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(settings.connectionTimeout));
        if (!db.open()) {
            failure = ToDbError(db.lastError());
            // The connect text carries the password as PWD=…; it never reaches an error row.
            static const QRegularExpression password(QStringLiteral("PWD=[^;]*"),
                                                     QRegularExpression::CaseInsensitiveOption);
            failure->description.replace(password, QStringLiteral("PWD=****"));
        }
    }
    if (failure) {
        close();
    }
    return failure;
}

bool DbConnection::isServer() const {
    if (!QSqlDatabase::contains(name_)) {
        return false;
    }
    const QString driver = QSqlDatabase::database(name_, false).driverName();
    return driver == QLatin1String("QPSQL") || driver == QLatin1String("QODBC");
}

void DbConnection::close() {
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
