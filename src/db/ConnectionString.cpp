#include "db/ConnectionString.h"

QString ComposeConfigConnectionString(DatabaseFileKind configKind, const QString& path,
                                      bool closingSemicolon) {
    const QString provider = configKind == DatabaseFileKind::Mdb
                                 ? QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;")
                                 : QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;");
    return provider + QStringLiteral("User ID=;") + QStringLiteral("Password=;") +
           QStringLiteral("Data Source=") + path +
           (closingSemicolon ? QStringLiteral(";") : QString());
}

bool IsKnownDatabaseKind(const QString& kind) {
    return kind == QLatin1String("A") || kind == QLatin1String("S") || kind == QLatin1String("O");
}

QString ComposeBusinessConnectionString(const DatabaseDefinition& definition) {
    const QString common = QStringLiteral("Provider=") + definition.providerName +
                           QStringLiteral(";User ID=") + definition.userId +
                           QStringLiteral(";Password=") + definition.password + QLatin1Char(';');
    if (definition.kind == QLatin1String("A") || definition.kind == QLatin1String("O")) {
        return common + QStringLiteral("Data Source=") + definition.dataSourceName +
               QLatin1Char(';');
    }
    if (definition.kind == QLatin1String("S")) {
        return common + QStringLiteral("Data Source=") + definition.serverName +
               QStringLiteral(";Initial Catalog=") + definition.databaseName + QLatin1Char(';');
    }
    return {};
}

DaoOpenArguments ComposeDaoOpenArguments(const DatabaseDefinition& definition) {
    const QString odbc = QStringLiteral("ODBC;Driver={") + definition.driverName +
                         QStringLiteral("};UID=") + definition.userId + QStringLiteral(";PWD=") +
                         definition.password + QLatin1Char(';');
    const QString database =
        QStringLiteral("Database=") + definition.databaseName + QLatin1Char(';');
    if (definition.kind == QLatin1String("A")) {
        return {definition.connectionText.mid(4), {}};
    }
    if (definition.kind == QLatin1String("S")) {
        return {
            {},
            odbc + QStringLiteral("Server=") + definition.serverName + QLatin1Char(';') + database};
    }
    if (definition.kind == QLatin1String("O")) {
        return {{}, odbc + definition.connectionText + QLatin1Char(';') + database};
    }
    return {};
}

QString ComposeOdbcConnectText(const DatabaseDefinition& definition) {
    return ComposeDaoOpenArguments(definition).connect.mid(5);
}

QMap<QString, QString> ParseConnectionString(const QString& text) {
    QMap<QString, QString> fields;
    QString lastKey;
    QStringList parts = text.split(QLatin1Char(';'));
    if (parts.last().isEmpty()) {
        parts.removeLast();  // the closing semicolon
    }
    for (const QString& part : parts) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals < 0) {
            // Values are written unquoted: a piece without "=" belongs to a path holding ";".
            if (!lastKey.isEmpty()) {
                fields[lastKey] += QLatin1Char(';') + part;
            }
            continue;
        }
        lastKey = part.left(equals).trimmed().toLower();
        fields.insert(lastKey, part.mid(equals + 1));
    }
    return fields;
}

bool IsFileProvider(const QString& provider) {
    return provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB."), Qt::CaseInsensitive) ||
           provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB."), Qt::CaseInsensitive);
}

bool IsServerProvider(const QString& provider) {
    return provider.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) ||
           provider.contains(QLatin1String("PGNP"), Qt::CaseInsensitive);
}

ServerAddress ParseServerAddress(const QString& text) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return {text, 0};
    }
    bool numeric = false;
    const int port = text.mid(colon + 1).toInt(&numeric);
    return numeric ? ServerAddress{text.left(colon), port} : ServerAddress{text, 0};
}
