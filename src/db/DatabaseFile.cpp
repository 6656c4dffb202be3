#include "db/DatabaseFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

#include "db/SqlText.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"

#include <sqlite3.h>

namespace {
bool IsAccessFile(const QByteArray& head) {
    // Jet and ACE files carry their engine's name at offset 4 of the first page.
    const QByteArray signature = head.mid(4, 15);
    return signature == "Standard Jet DB" || signature == "Standard ACE DB";
}

DbError FileError(const QString& description) {
    return {kUnspecifiedDbError, description};
}
}  // namespace

QString DatabaseFileEnding(DatabaseFileKind kind) {
    switch (kind) {
        case DatabaseFileKind::Accdb:
            return QStringLiteral(".accdb");
        case DatabaseFileKind::Mdb:
            return QStringLiteral(".mdb");
        case DatabaseFileKind::None:
            break;
    }
    return {};
}

QString ConfigDatabasePath(const QString& folder, DatabaseFileKind kind) {
    return JoinPath(folder, QStringLiteral("usrcnfg") + DatabaseFileEnding(kind));
}

DbResult CheckDatabaseFile(const QString& path) {
    if (TrimBlanks(path).isEmpty()) {
        return FileError(QStringLiteral("データソースのファイル名が指定されていません。"));
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        return FileError(QStringLiteral("ファイル「%1」が見つかりません。").arg(path));
    }
    if (!info.isFile()) {
        return FileError(QStringLiteral("「%1」はファイルではありません。").arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return FileError(
            QStringLiteral("ファイル「%1」を読み込めません: %2").arg(path, file.errorString()));
    }
    if (IsAccessFile(file.read(32))) {
        // The administrator learns the command that converts it; the Access file stays as it is.
        return FileError(QStringLiteral("「%1」は Microsoft Access のデータベースファイルです。"
                                        "この環境では Access のファイルを開けません。"
                                        "別の名前に移してから「numorika-admin import-access "
                                        "元のファイル %1」で変換してください "
                                        "(インストール全体は numorika-admin migrate)。")
                             .arg(path));
    }
    return {};
}

bool IsAccessDatabaseFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && IsAccessFile(file.read(32));
}

QString DatabaseFileFormat(const QString& path) {
    return path.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive) ? QStringLiteral("mdb")
                                                                      : QStringLiteral("accdb");
}

DbResult TryWhileLogIsMade(const std::function<DbResult()>& work) {
    constexpr int kAttempts = 10;
    for (int attempt = 1;; ++attempt) {
        DbResult result = work();
        if (result || attempt == kAttempts || (result.error().number & 0xff) != SQLITE_CANTOPEN) {
            return result;
        }
        QThread::msleep(20);
    }
}

DbResult WithDatabaseFile(const QString& path, const std::function<DbResult(QSqlDatabase&)>& work) {
    const QString name = QStringLiteral("file-") + QUuid::createUuid().toString();
    DbResult result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        result = db.open() ? work(db) : FileError(db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

DbResult ExecuteAll(QSqlDatabase& db, const QStringList& statements) {
    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            return FileError(query.lastError().text() + QLatin1Char(' ') + statement);
        }
    }
    return {};
}

DbResult CreateDatabaseFile(const QString& path, const QStringList& statements,
                            const QString& locale, const QString& like, int pageSize) {
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    // The engine fills an empty file and gives its journals the file's rights.
    if (!CreateProtectedFile(temporary, like)) {
        return FileError(QStringLiteral("ファイル「%1」を作成できません。").arg(temporary));
    }
    const QString format = DatabaseFileFormat(path);
    DbResult result = WithDatabaseFile(temporary, [&](QSqlDatabase& db) -> DbResult {
        if (pageSize > 0) {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA page_size = %1").arg(pageSize));
        }
        // One transaction: the file is synced once, not once per statement.
        if (!db.transaction()) {
            return FileError(db.lastError().text());
        }
        DbResult filled = ExecuteAll(db, DatabaseInfoSchema(format, locale) + statements);
        if (filled && !db.commit()) {
            filled = FileError(db.lastError().text());
        }
        if (!filled) {
            db.rollback();
        }
        return filled;
    });
    if (result && !QFile::rename(temporary, path)) {
        result = FileError(QStringLiteral("ファイル「%1」を作成できません。").arg(path));
    }
    if (!result) {
        QFile::remove(temporary);
    }
    return result;
}

QStringList DatabaseInfoSchema(const QString& format, const QString& locale) {
    return {
        QStringLiteral("CREATE TABLE numorika_info (key TEXT NOT NULL PRIMARY KEY, value TEXT)"),
        QStringLiteral("INSERT INTO numorika_info VALUES ('format', '%1')").arg(format),
        QStringLiteral("INSERT INTO numorika_info VALUES ('locale', %1)").arg(SqlQuote(locale))};
}
