#include "db/RowChecksum.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <cmath>
#include <cstring>
#include <vector>

#include "db/DbConnection.h"
#include "db/SqlText.h"

#include <sodium.h>
#include <sqlite3.h>

namespace {
// A fixed key: the checksum tells rows apart, it keeps nothing secret.
constexpr unsigned char kKey[crypto_shorthash_KEYBYTES] = {'n', 'u', 'm', 'o', 'r', 'i', 'k', 'a',
                                                           'r', 'o', 'w', 's', 'u', 'm', '0', '1'};

// One row's values in the one encoding both sides share: a tag, then the value.
class RowEncoder {
public:
    void null() { put('n', nullptr, 0); }
    void integer(qint64 value) { put('i', &value, sizeof value); }
    void real(double value) {
        // A real of a whole value is the integer: a server's NUMERIC 5.0000 is SQLite's 5.
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.2e18) {
            integer(static_cast<qint64>(value));
            return;
        }
        put('r', &value, sizeof value);
    }
    void text(const char* data, qint64 size) { sized('t', data, size); }
    void blob(const char* data, qint64 size) { sized('b', data, size); }
    quint64 finish() {
        quint64 hash = 0;
        crypto_shorthash(reinterpret_cast<unsigned char*>(&hash), bytes_.data(),
                         static_cast<unsigned long long>(used_), kKey);
        used_ = 0;
        return hash;
    }

private:
    void sized(char tag, const char* data, qint64 size) {
        put(tag, &size, sizeof size);
        put(data, static_cast<size_t>(size));
    }
    // Written in place: rows are summed by the million, and a string's checks per character
    // cost more than the hash.
    void put(char tag, const void* value, size_t size) {
        reserve(1 + size);
        bytes_[used_++] = static_cast<unsigned char>(tag);
        put(value, size);
    }
    void put(const void* data, size_t size) {
        if (size > 0) {
            reserve(size);
            std::memcpy(bytes_.data() + used_, data, size);
            used_ += size;
        }
    }
    void reserve(size_t more) {
        if (used_ + more > bytes_.size()) {
            bytes_.resize(2 * (used_ + more));
        }
    }
    std::vector<unsigned char> bytes_;  // kept, not freed, between rows
    size_t used_ = 0;
};

void Encode(RowEncoder& row, sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            row.null();
            break;
        case SQLITE_INTEGER:
            row.integer(sqlite3_value_int64(value));
            break;
        case SQLITE_FLOAT:
            row.real(sqlite3_value_double(value));
            break;
        case SQLITE_BLOB:
            row.blob(static_cast<const char*>(sqlite3_value_blob(value)),
                     sqlite3_value_bytes(value));
            break;
        default:
            row.text(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                     sqlite3_value_bytes(value));
    }
}

std::optional<RowChecksum> FileChecksum(sqlite3* engine, const QString& from) {
    const QByteArray sql = (QStringLiteral("SELECT * FROM ") + from).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(engine, sql.constData(), int(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    RowChecksum sum;
    RowEncoder row;
    const int columns = sqlite3_column_count(statement);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            // Each column call locks the connection; its value, read on this one thread that
            // holds the connection, is read without locking again.
            Encode(row, sqlite3_column_value(statement, i));
        }
        sum.sum += row.finish();
        ++sum.rows;
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) {
        return std::nullopt;
    }
    return sum;
}

// The pages of a database image, read as the file format lays them out.
quint64 BigEndian(const unsigned char* at, int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = (value << 8) | at[i];
    }
    return value;
}

bool ReadVarint(const unsigned char*& at, const unsigned char* end, quint64* value) {
    quint64 read = 0;
    for (int i = 0; i < 9 && at < end; ++i) {
        const unsigned char byte = *at++;
        if (i == 8) {
            *value = (read << 8) | byte;
            return true;
        }
        read = (read << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0) {
            *value = read;
            return true;
        }
    }
    return false;
}

// One stored row's values into row; false for a record of another shape than the table's.
bool EncodeRecord(RowEncoder& row, const unsigned char* record, const unsigned char* end,
                  int columns) {
    static constexpr int kIntegerBytes[] = {0, 1, 2, 3, 4, 6, 8};
    const unsigned char* at = record;
    quint64 headerSize = 0;
    if (!ReadVarint(at, end, &headerSize) || headerSize > quint64(end - record)) {
        return false;
    }
    const unsigned char* header = record + headerSize;
    const unsigned char* body = header;
    int count = 0;
    while (at < header) {
        quint64 type = 0;
        if (!ReadVarint(at, header, &type) || type == 10 || type == 11) {
            return false;
        }
        ++count;
        const quint64 bytes = type < 7    ? quint64(kIntegerBytes[type])
                              : type == 7 ? 8
                              : type < 12 ? 0
                                          : (type - 12) / 2;
        if (bytes > quint64(end - body)) {
            return false;
        }
        if (type == 0) {
            row.null();
        } else if (type < 7) {
            const int size = kIntegerBytes[type];
            quint64 value = BigEndian(body, size);
            if (size < 8 && (value >> (8 * size - 1)) != 0) {
                value |= ~quint64(0) << (8 * size);  // negative: the sign goes on
            }
            row.integer(static_cast<qint64>(value));
        } else if (type == 7) {
            const quint64 bits = BigEndian(body, 8);
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            // The engine reads a stored NaN as Null.
            if (std::isnan(value)) {
                row.null();
            } else {
                row.real(value);
            }
        } else if (type < 12) {
            row.integer(static_cast<qint64>(type - 8));
        } else if (type % 2 == 0) {
            row.blob(reinterpret_cast<const char*>(body), qint64(bytes));
        } else {
            row.text(reinterpret_cast<const char*>(body), qint64(bytes));
        }
        body += bytes;
    }
    return count == columns && body == end;
}
}  // namespace

QString RowChecksum::text() const {
    return QStringLiteral("%1").arg(sum, 16, 16, QLatin1Char('0'));
}

std::optional<RowChecksum> TableChecksum(const QSqlDatabase& db, const QString& table) {
    if (sqlite3* engine = FileEngine(db)) {
        return FileChecksum(engine, SqlIdentifier(table));
    }
    return DriverChecksum(db, table);
}

std::optional<RowChecksum> TableChecksum(const QSqlDatabase& db, const QString& schema,
                                         const QString& table) {
    sqlite3* engine = FileEngine(db);
    return engine != nullptr ? FileChecksum(engine, SqlIdentifier(schema) + QLatin1Char('.') +
                                                        SqlIdentifier(table))
                             : std::nullopt;
}

std::optional<RowChecksum> ImageChecksum(const unsigned char* image, qint64 size, qint64 root,
                                         int columns) {
    constexpr int kHeader = 100;
    constexpr int kLeafTable = 13;
    constexpr int kInteriorTable = 5;
    if (image == nullptr || size < kHeader || BigEndian(image + 56, 4) != SQLITE_UTF8) {
        return std::nullopt;
    }
    const quint64 pageSize = BigEndian(image + 16, 2) == 1 ? 65536 : BigEndian(image + 16, 2);
    const quint64 usable = pageSize - image[20];
    if (pageSize < 512 || quint64(size) % pageSize != 0 || usable < 480) {
        return std::nullopt;
    }
    const quint64 pages = quint64(size) / pageSize;
    // Longer rows go on overflow pages, which the engine reads.
    const quint64 mostInPage = usable - 35;
    RowChecksum sum;
    RowEncoder row;
    std::vector<quint64> pending{quint64(root)};
    quint64 visited = 0;
    while (!pending.empty()) {
        const quint64 number = pending.back();
        pending.pop_back();
        if (number < 1 || number > pages || ++visited > pages) {
            return std::nullopt;
        }
        const unsigned char* page = image + (number - 1) * pageSize;
        const unsigned char* header = page + (number == 1 ? kHeader : 0);
        const unsigned char* end = page + usable;
        const bool leaf = header[0] == kLeafTable;
        if (!leaf && header[0] != kInteriorTable) {
            return std::nullopt;
        }
        const quint64 cells = BigEndian(header + 3, 2);
        const unsigned char* pointers = header + (leaf ? 8 : 12);
        if (2 * cells > quint64(end - pointers)) {
            return std::nullopt;
        }
        if (!leaf) {
            pending.push_back(BigEndian(header + 8, 4));
        }
        for (quint64 i = 0; i < cells; ++i) {
            const unsigned char* cell = page + BigEndian(pointers + 2 * i, 2);
            quint64 payload = 0;
            quint64 rowid = 0;
            if (cell + 4 > end) {
                return std::nullopt;
            }
            if (!leaf) {
                pending.push_back(BigEndian(cell, 4));
            } else if (!ReadVarint(cell, end, &payload) || !ReadVarint(cell, end, &rowid) ||
                       payload > mostInPage || payload > quint64(end - cell) ||
                       !EncodeRecord(row, cell, cell + payload, columns)) {
                return std::nullopt;
            } else {
                sum.sum += row.finish();
                ++sum.rows;
            }
        }
    }
    return sum;
}

std::optional<RowChecksum> DriverChecksum(const QSqlDatabase& db, const QString& table) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT * FROM ") + SqlIdentifier(table);
    if (!query.exec(sql + QStringLiteral(" WHERE 1 = 0"))) {
        return std::nullopt;
    }
    const QSqlRecord columns = query.record();
    if (db.driverName() == QLatin1String("QPSQL")) {
        sql = ExactTimesQuery(columns, sql).value_or(sql);
    }
    if (!query.exec(sql)) {
        return std::nullopt;
    }
    RowChecksum sum;
    RowEncoder row;
    while (query.next()) {
        for (int i = 0; i < columns.count(); ++i) {
            const QVariant value = query.value(i);
            const int type = columns.field(i).metaType().id();
            if (value.isNull()) {
                row.null();
            } else if (type == QMetaType::Double) {
                row.real(value.toDouble());
            } else if (type == QMetaType::Int || type == QMetaType::LongLong ||
                       type == QMetaType::Short || type == QMetaType::UInt) {
                row.integer(value.toLongLong());
            } else if (type == QMetaType::QByteArray) {
                const QByteArray bytes = value.toByteArray();
                row.blob(bytes.constData(), bytes.size());
            } else {
                const QByteArray text = value.toString().toUtf8();
                row.text(text.constData(), text.size());
            }
        }
        sum.sum += row.finish();
        ++sum.rows;
    }
    if (query.lastError().isValid()) {
        return std::nullopt;
    }
    return sum;
}

std::optional<QString> ExactTimesQuery(const QSqlRecord& columns, const QString& query) {
    QStringList selected;
    bool times = false;
    for (int i = 0; i < columns.count(); ++i) {
        const int type = columns.field(i).metaType().id();
        const QString name = SqlIdentifier(columns.fieldName(i));
        const bool time =
            type == QMetaType::QDateTime || type == QMetaType::QTime || type == QMetaType::QDate;
        times = times || time;
        selected << (time ? QStringLiteral("CAST(%1 AS TEXT) AS %1").arg(name) : name);
    }
    if (!times) {
        return std::nullopt;
    }
    return QStringLiteral("SELECT ") + selected.join(QLatin1Char(',')) + QStringLiteral(" FROM (") +
           query + QStringLiteral(") AS numorika_rows");
}
