#include "db/RowChecksum.h"

#include <QSet>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <cmath>
#include <string>

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
    void null() { bytes_.push_back('n'); }
    void integer(qint64 value) {
        bytes_.push_back('i');
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void real(double value) {
        // A real of a whole value is the integer: a server's NUMERIC 5.0000 is SQLite's 5.
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.2e18) {
            integer(static_cast<qint64>(value));
            return;
        }
        bytes_.push_back('r');
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void text(const char* data, qint64 size) { sized('t', data, size); }
    void blob(const char* data, qint64 size) { sized('b', data, size); }
    quint64 finish() {
        quint64 hash = 0;
        crypto_shorthash(reinterpret_cast<unsigned char*>(&hash),
                         reinterpret_cast<const unsigned char*>(bytes_.data()),
                         static_cast<unsigned long long>(bytes_.size()), kKey);
        bytes_.clear();
        return hash;
    }

private:
    void sized(char tag, const char* data, qint64 size) {
        bytes_.push_back(tag);
        bytes_.append(reinterpret_cast<const char*>(&size), sizeof size);
        bytes_.append(data, static_cast<size_t>(size));
    }
    std::string bytes_;  // cleared, not freed, between rows
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

// What numorika_row adds its rows to.
struct RowSum {
    RowChecksum* sum;
    RowEncoder row;
};

void AddRow(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* sum = static_cast<RowSum*>(sqlite3_user_data(context));
    for (int i = 0; i < count; ++i) {
        Encode(sum->row, values[i]);
    }
    sum->sum->sum += sum->row.finish();
    ++sum->sum->rows;
    sqlite3_result_int(context, 1);
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

PassingRowSum::PassingRowSum(const QSqlDatabase& db, const QString& query) {
    // Beyond this the engine takes no more arguments of a function.
    constexpr int kMostColumns = 100;
    const auto listed = QueryColumns(db, query);
    if (!listed) {
        return;
    }
    QStringList columns;
    QSet<QString> names;
    for (const QueryColumn& column : *listed) {
        names.insert(column.name.toLower());
        columns << QStringLiteral("numorika_q.") + SqlIdentifier(column.name);
    }
    sqlite3* engine = FileEngine(db);
    if (columns.isEmpty() || columns.size() > kMostColumns || names.size() != columns.size() ||
        sqlite3_create_function_v2(engine, "numorika_row", -1, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                   new RowSum{&sum_, {}}, AddRow, nullptr, nullptr, [](void* data) {
                                       delete static_cast<RowSum*>(data);
                                   }) != SQLITE_OK) {
        return;
    }
    engine_ = engine;
    query_ = QStringLiteral("SELECT * FROM (%1) AS numorika_q WHERE numorika_row(%2)")
                 .arg(query, columns.join(QLatin1Char(',')));
}

PassingRowSum::~PassingRowSum() {
    if (engine_ != nullptr) {
        sqlite3_create_function_v2(engine_, "numorika_row", -1, SQLITE_UTF8, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    }
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
