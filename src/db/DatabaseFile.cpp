#include "db/DatabaseFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

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

std::optional<DbError> CheckDatabaseFile(const QString& path) {
    if (path.trimmed().isEmpty()) {
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
        return FileError(QStringLiteral("「%1」は Microsoft Access のデータベースファイルです。"
                                        "この環境では Access のファイルを開けません。")
                             .arg(path));
    }
    return std::nullopt;
}

std::optional<DbError> CreateDatabaseFile(const QString& path, const QStringList& statements) {
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    const QString name = QStringLiteral("create-") + QUuid::createUuid().toString();
    std::optional<DbError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temporary);
        if (!db.open()) {
            failure = FileError(db.lastError().text());
        } else {
            QSqlQuery query(db);
            for (const QString& statement : statements) {
                if (!query.exec(statement)) {
                    failure = FileError(query.lastError().text() + QLatin1Char(' ') + statement);
                    break;
                }
            }
            // A file without tables would be empty; the version mark makes it a database file.
            if (!failure && !query.exec(QStringLiteral("PRAGMA user_version = 1"))) {
                failure = FileError(query.lastError().text());
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure && !QFile::rename(temporary, path)) {
        failure = FileError(QStringLiteral("ファイル「%1」を作成できません。").arg(path));
    }
    if (failure) {
        QFile::remove(temporary);
    }
    return failure;
}
