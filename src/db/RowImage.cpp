#include "db/RowImage.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "db/DatabaseFile.h"
#include "db/DbConnection.h"
#include "db/Engine.h"
#include "db/SqlText.h"

#include <sqlite3.h>

namespace {
const QString kRowsSchema = QStringLiteral("numorika_rows");
const QString kRowsTable = QStringLiteral("numorika_rows.r");

DbError EngineMissing() {
    return {kUnspecifiedDbError, QStringLiteral("データベースファイルの接続ではありません。")};
}

// A table for the rows of query: the columns as declared, or as the engine types the rows when
// a column has no declared type.
QString CreateTableFor(const QSqlDatabase& db, const QString& table, const QString& query) {
    if (const auto columns = DeclaredColumns(db, query)) {
        return QStringLiteral("CREATE TABLE %1 (%2)").arg(table, *columns);
    }
    return QStringLiteral("CREATE TABLE %1 AS SELECT * FROM (%2) LIMIT 0").arg(table, query);
}
// The image of schema, whose table r holds the rows, with their sum.
DbResult TakeImage(const QSqlDatabase& db, const char* schema, RowImage* image) {
    sqlite3* engine = FileEngine(db);
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(engine, schema, &size, 0);
    if (bytes == nullptr) {
        return DbError{kUnspecifiedDbError, QString::fromUtf8(sqlite3_errmsg(engine))};
    }
    image->bytes.reset(bytes, sqlite3_free);
    image->size = size;
    // Summed here, on the reading workers, from the rows as they are stored: appending copies
    // them as they are. Read from the pages, without a second pass of the engine over the rows.
    QSqlQuery statement(db);
    const QString name = QString::fromLatin1(schema);
    statement.exec(QStringLiteral("SELECT rootpage, (SELECT count(*) FROM pragma_table_info('r', "
                                  "'%1')) FROM %1.sqlite_master WHERE name = 'r'")
                       .arg(name));
    if (statement.next()) {
        image->checksum =
            ImageChecksum(bytes, size, statement.value(0).toLongLong(), statement.value(1).toInt());
    }
    statement.finish();
    if (!image->checksum) {
        image->checksum = TableChecksum(db, name, QStringLiteral("r"));
    }
    return {};
}
}  // namespace

DbResult ReadRowsIntoImage(const QSqlDatabase& db, const QString& query,
                           const QVariantList& bindings, RowImage* image) {
    sqlite3* engine = FileEngine(db);
    if (engine == nullptr) {
        return EngineMissing();
    }
    QSqlQuery statement(db);
    // Attached once and kept: a schema written inside the reader's open transaction cannot be
    // detached before its end.
    if (sqlite3_db_filename(engine, "numorika_rows") == nullptr &&
        !statement.exec(QStringLiteral("ATTACH DATABASE ':memory:' AS ") + kRowsSchema)) {
        return ToDbError(statement.lastError());
    }
    // Large pages: fewer of them to split and allocate while the rows go in (0.3 s less
    // processor time at 3,000,000 rows).
    statement.exec(QStringLiteral("PRAGMA numorika_rows.page_size = 65536"));
    // The engine as built wipes every page it frees; the rows dropped after each image are
    // copied already.
    statement.exec(QStringLiteral("PRAGMA numorika_rows.secure_delete = OFF"));
    const QString create = CreateTableFor(db, kRowsTable, query);
    if (!statement.exec(QStringLiteral("DROP TABLE IF EXISTS ") + kRowsTable) ||
        !ExecBound(statement, create,
                   create.contains(QLatin1String(" AS SELECT ")) ? bindings : QVariantList{}) ||
        !ExecBound(statement,
                   QStringLiteral("INSERT INTO ") + kRowsTable + QLatin1Char(' ') + query,
                   bindings)) {
        return ToDbError(statement.lastError());
    }
    image->rows = statement.numRowsAffected();
    statement.finish();
    if (const DbResult taken = TakeImage(db, "numorika_rows", image); !taken) {
        return taken;
    }
    statement.exec(QStringLiteral("DROP TABLE ") + kRowsTable);
    return {};
}

DbResult ReadServerRowsIntoImage(const QSqlDatabase& server, const QString& query,
                                 const QVariantList& bindings, RowImage* image) {
    return WithDatabaseFile(QStringLiteral(":memory:"), [&](QSqlDatabase& db) {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA page_size = 65536"));
        const DbResult copied = CopyRowsIntoDatabase(server, query, bindings, db,
                                                     QStringLiteral("r"), true, &image->rows);
        return copied ? TakeImage(db, "main", image) : copied;
    });
}

ImageWriter::ImageWriter() : name_(QStringLiteral("images-") + QUuid::createUuid().toString()) {}

ImageWriter::~ImageWriter() {
    close();
}

void ImageWriter::close() {
    if (!file_.isEmpty()) {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
        file_.clear();
    }
}

DbResult ImageWriter::append(const RowImage& image, const QString& file, const QString& table,
                             bool create, qint64* rows) {
    *rows = 0;
    if (file != file_) {
        close();
        if (auto problem = CheckDatabaseFile(file); !problem) {
            return problem;
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file);
        file_ = file;
        if (!db.open()) {
            const DbError error = ToDbError(db.lastError());
            close();
            return error;
        }
        // A backup being written: no statement waits for the disk, but the journal stays, so a
        // statement that fails half-way is rolled back to a file that opens.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    }
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    sqlite3* engine = FileEngine(db);
    if (engine == nullptr) {
        return EngineMissing();
    }
    QSqlQuery statement(db);
    if (!statement.exec(QStringLiteral("ATTACH DATABASE ':memory:' AS ") + kRowsSchema)) {
        const DbError error = ToDbError(statement.lastError());
        close();
        return error;
    }
    // Read in place: the image outlives the schema, which is detached before the return.
    if (image.bytes == nullptr ||
        sqlite3_deserialize(engine, "numorika_rows", image.bytes.get(), image.size, image.size,
                            SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        const DbError error{kUnspecifiedDbError, QString::fromUtf8(sqlite3_errmsg(engine))};
        statement.exec(QStringLiteral("DETACH DATABASE ") + kRowsSchema);
        return error;
    }
    const QString rowsQuery = QStringLiteral("SELECT * FROM ") + kRowsTable;
    const QString target = SqlIdentifier(table);
    DbResult result;
    // "INSERT INTO t SELECT * FROM r" of two tables with the same columns copies the rows as
    // they are stored.
    if ((create && !statement.exec(CreateTableFor(db, target, rowsQuery))) ||
        !statement.exec(QStringLiteral("INSERT INTO ") + target + QLatin1Char(' ') + rowsQuery)) {
        result = ToDbError(statement.lastError());
    } else {
        *rows = statement.numRowsAffected();
    }
    statement.finish();
    statement.exec(QStringLiteral("DETACH DATABASE ") + kRowsSchema);
    return result;
}
