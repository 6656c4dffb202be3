#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <optional>

// The rows of a table and a checksum of them that no order of the rows changes: the sum of a
// 64-bit hash of each row's values, so that the slices of a table in several files add up to
// the whole. A value counts as what it is, not as how it is stored: Null, a number (an integer
// and a real of the same value alike), a text or bytes; a server's time as its own text.
struct RowChecksum {
    qint64 rows = 0;
    quint64 sum = 0;

    RowChecksum& operator+=(const RowChecksum& other) {
        rows += other.rows;
        sum += other.sum;
        return *this;
    }
    bool operator==(const RowChecksum&) const = default;
    QString text() const;  // the sum as 16 hexadecimal digits
};

// The rows of a table on a database file or a server; nullopt when they cannot be read.
// A file's rows are read straight from the engine, as UTF-8 with no conversion on the way.
std::optional<RowChecksum> TableChecksum(const QSqlDatabase& db, const QString& table);
// The rows of a table of an attached schema of a connection on a database file.
std::optional<RowChecksum> TableChecksum(const QSqlDatabase& db, const QString& schema,
                                         const QString& table);
// The rows of the table whose pages start at root in the image of a database file (as the
// engine serializes it), of columns columns, read from the pages without the engine; nullopt
// where the image holds what is left to the engine: a row longer than a page, text in another
// encoding than UTF-8, a row of another number of columns.
std::optional<RowChecksum> ImageChecksum(const unsigned char* image, qint64 size, qint64 root,
                                         int columns);
// The same rows read through the driver, as a server's are, in the same encoding.
std::optional<RowChecksum> DriverChecksum(const QSqlDatabase& db, const QString& table);

// A query on PostgreSQL whose times are read as the server's own text, which keeps the
// microseconds a QDateTime drops; nullopt when the rows hold no time.
std::optional<QString> ExactTimesQuery(const QSqlRecord& columns, const QString& query);
