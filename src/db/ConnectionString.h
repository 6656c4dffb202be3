#pragma once

#include <QMap>
#include <QString>
#include <functional>

#include "db/DatabaseFile.h"
#include "platform/Files.h"

// The データベース定義 row 'GNR': how the business database is reached.
struct DatabaseDefinition {
    QString kind;            // db: "A" file, "S" server, "O" other provider
    QString middleware;      // dbmw: held only
    QString driverName;      // ドライバ名
    QString databaseName;    // データベース名
    QString serverName;      // サーバー名
    QString connectionText;  // 接続文字列
    QString userId;          // ユーザーID
    QString password;        // パスワード
    QString providerName;    // プロバイダ名
    QString dataSourceName;  // データソース名
};

// Applied to both connections before they open.
struct ConnectionSettings {
    int connectionTimeout = 60;  // seconds; the time a locked database is waited for
    int commandTimeout = 30000;  // seconds
    int cursorLocation = 3;      // client-side cursors
    // Whether a file lies on a disk of this machine: only there may the configuration file use a
    // write-ahead log, whose shared memory a network file system cannot give.
    std::function<bool(const QString& path)> localFileSystem = IsLocalFileSystem;
};

// "Provider=…;User ID=;Password=;Data Source=<path>" for a configuration file of the given kind,
// with or without the closing semicolon.
QString ComposeConfigConnectionString(DatabaseFileKind configKind, const QString& path,
                                      bool closingSemicolon);

// Whether the kind code names a business database: "A", "S" or "O", letter case counting.
bool IsKnownDatabaseKind(const QString& kind);

// The connection text of the business database for kinds "A", "S" and "O"; empty for any other.
QString ComposeBusinessConnectionString(const DatabaseDefinition& definition);

// The database name and connect text with which the backup opens the business database directly.
struct DaoOpenArguments {
    QString name;
    QString connect;
};
DaoOpenArguments ComposeDaoOpenArguments(const DatabaseDefinition& definition);

// The ODBC connect text with which a source of kind "O" is opened: the direct-open connect text
// less its "ODBC;" mark.
QString ComposeOdbcConnectText(const DatabaseDefinition& definition);

// Key=value pairs separated by ";"; keys are trimmed and lower-cased, values kept as written.
QMap<QString, QString> ParseConnectionString(const QString& text);

// True for the Jet and ACE providers, which reach a database file.
bool IsFileProvider(const QString& provider);

// True for a provider that names PostgreSQL, the server of kind "S".
bool IsServerProvider(const QString& provider);

// サーバー名 of a server database: a host name or a socket folder (an absolute path), either
// optionally followed by ":port".
struct ServerAddress {
    QString host;
    int port = 0;  // 0: the server's default
};
ServerAddress ParseServerAddress(const QString& server);
