#include "db/SqliteFile.h"

#include <QFile>

#include <sqlite3.h>

SqliteFile::SqliteFile(const QString& path) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        failed();
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

SqliteFile::~SqliteFile() {
    sqlite3_close(db_);
}

bool SqliteFile::failed() {
    error_ = db_ != nullptr ? QString::fromUtf8(sqlite3_errmsg(db_))
                            : QString::fromUtf8(sqlite3_errstr(SQLITE_NOMEM));
    return false;
}

bool SqliteFile::execute(const QString& sql) {
    return sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK ||
           failed();
}

std::optional<qint64> SqliteFile::integer(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    std::optional<qint64> value;
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        value = sqlite3_column_int64(stmt, 0);
    } else {
        failed();
    }
    sqlite3_finalize(stmt);
    return value;
}

std::optional<SqliteFile::Statement> SqliteFile::prepare(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        failed();
        sqlite3_finalize(stmt);
        return std::nullopt;
    }
    return Statement(*this, stmt);
}

SqliteFile::Statement::Statement(Statement&& other) noexcept
    : file_(other.file_), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

SqliteFile::Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void SqliteFile::Statement::bind(int position, const QVariant& value) {
    const int column = position + 1;
    // A null text or byte array is NULL, as the Qt driver binds it.
    switch (value.typeId()) {
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            if (bytes.isNull()) {
                sqlite3_bind_null(stmt_, column);
            } else {
                sqlite3_bind_blob64(stmt_, column, bytes.constData(), sqlite3_uint64(bytes.size()),
                                    SQLITE_TRANSIENT);
            }
            return;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(stmt_, column, value.toDouble());
            return;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            sqlite3_bind_int64(stmt_, column, value.toLongLong());
            return;
        case QMetaType::UnknownType:
            sqlite3_bind_null(stmt_, column);
            return;
        default: {
            const QString text = value.toString();
            if (text.isNull()) {
                sqlite3_bind_null(stmt_, column);
                return;
            }
            // As UTF-8 the engine takes a leading byte order mark for a character of the text.
            const QByteArray bytes = text.toUtf8();
            sqlite3_bind_text64(stmt_, column, bytes.constData(), sqlite3_uint64(bytes.size()),
                                SQLITE_TRANSIENT, SQLITE_UTF8);
            return;
        }
    }
}

bool SqliteFile::Statement::run() {
    const bool done = sqlite3_step(stmt_) == SQLITE_DONE || file_.failed();
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    return done;
}
