#include "db/RowIdsByKey.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "db/DbConnection.h"
#include "db/SqlText.h"

#include <sqlite3.h>

namespace {
using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement Prepare(sqlite3* engine, const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(engine, text.constData(), int(text.size()), &statement, nullptr);
    return {statement, &sqlite3_finalize};
}

bool Run(sqlite3* engine, const QString& sql) {
    const Statement statement = Prepare(engine, sql);
    return statement && sqlite3_step(statement.get()) == SQLITE_DONE;
}

// A value as one text of its kind and bytes, alike for values the engine finds equal: a real of an
// integer's value is that integer. False for Null.
enum Kind : char { kInteger = 'i', kReal = 'r', kText = 't', kBytes = 'b' };

bool ReadKey(sqlite3_stmt* statement, std::string& key) {
    const auto append = [&key](Kind kind, const void* bytes, std::size_t size) {
        key.assign(1, kind);
        key.append(static_cast<const char*>(bytes), size);
    };
    switch (sqlite3_column_type(statement, 0)) {
        case SQLITE_NULL:
            return false;
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_column_int64(statement, 0);
            append(kInteger, &value, sizeof value);
            return true;
        }
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(statement, 0);
            // -2^63 <= value < 2^63, both exact as doubles.
            if (value == std::trunc(value) && value >= -9223372036854775808.0 &&
                value < 9223372036854775808.0) {
                const auto whole = static_cast<sqlite3_int64>(value);
                append(kInteger, &whole, sizeof whole);
            } else {
                append(kReal, &value, sizeof value);
            }
            return true;
        }
        case SQLITE_TEXT:
            append(kText, sqlite3_column_text(statement, 0),
                   std::size_t(sqlite3_column_bytes(statement, 0)));
            return true;
        default:
            append(kBytes, sqlite3_column_blob(statement, 0),
                   std::size_t(sqlite3_column_bytes(statement, 0)));
            return true;
    }
}

// The number of an integer's or a real's key.
template <typename Number>
Number NumberOf(const std::string& key) {
    Number value{};
    std::memcpy(&value, key.data() + 1, sizeof value);
    return value;
}

void BindKey(sqlite3_stmt* statement, const std::string& key) {
    const char* bytes = key.data() + 1;
    const auto size = int(key.size() - 1);
    switch (key[0]) {
        case kInteger:
            sqlite3_bind_int64(statement, 1, NumberOf<sqlite3_int64>(key));
            break;
        case kReal:
            sqlite3_bind_double(statement, 1, NumberOf<double>(key));
            break;
        case kText:
            sqlite3_bind_text(statement, 1, bytes, size, SQLITE_TRANSIENT);
            break;
        default:
            sqlite3_bind_blob(statement, 1, bytes, size, SQLITE_TRANSIENT);
    }
}

QVariant KeyValue(const std::string& key) {
    const char* bytes = key.data() + 1;
    const auto size = qsizetype(key.size() - 1);
    switch (key[0]) {
        case kInteger:
            return QVariant(NumberOf<qint64>(key));
        case kReal:
            return QVariant(NumberOf<double>(key));
        case kText:
            return QString::fromUtf8(bytes, size);
        default:
            return QByteArray(bytes, size);
    }
}

void AppendVarint(std::string& to, quint64 value) {
    while (value >= 0x80) {
        to.push_back(char(value | 0x80));
        value >>= 7;
    }
    to.push_back(char(value));
}

// The order of the values, as the engine sorts them in a column of no type: the positions in
// keys, first to last.
std::optional<std::vector<std::size_t>> EngineOrder(sqlite3* engine,
                                                    const std::vector<std::string>& keys) {
    const QString table = QStringLiteral("temp.numorika_key_order");
    if (!Run(engine, QStringLiteral("DROP TABLE IF EXISTS ") + table) ||
        !Run(engine, QStringLiteral("CREATE TEMP TABLE numorika_key_order (k, g)"))) {
        return std::nullopt;
    }
    std::vector<std::size_t> order;
    bool read = true;
    {
        const Statement insert =
            Prepare(engine, QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(table));
        read = bool(insert);
        for (std::size_t i = 0; read && i < keys.size(); ++i) {
            BindKey(insert.get(), keys[i]);
            sqlite3_bind_int64(insert.get(), 2, sqlite3_int64(i));
            read = sqlite3_step(insert.get()) == SQLITE_DONE;
            sqlite3_reset(insert.get());
        }
        const Statement sorted =
            Prepare(engine, QStringLiteral("SELECT g FROM %1 ORDER BY k").arg(table));
        read = read && sorted;
        int step = SQLITE_ROW;
        while (read && (step = sqlite3_step(sorted.get())) == SQLITE_ROW) {
            order.push_back(std::size_t(sqlite3_column_int64(sorted.get(), 0)));
        }
        read = read && step == SQLITE_DONE && order.size() == keys.size();
    }
    read = Run(engine, QStringLiteral("DROP TABLE ") + table) && read;
    return read ? std::optional(order) : std::nullopt;
}
}  // namespace

QString RowIdsByKey::json(qsizetype first, qsizetype count, qint64 offset, qint64 limit) const {
    std::string out = "[";
    char number[24];
    qint64 taken = 0;
    const auto last = std::min(std::size_t(first + count), groups.size());
    for (auto g = std::size_t(first); g < last && taken != limit; ++g) {
        const Group& group = groups[g];
        if (offset >= group.rows) {
            offset -= group.rows;
            continue;
        }
        quint64 id = 0;
        for (std::size_t i = 0; i < group.ids.size() && taken != limit;) {
            quint64 step = 0;
            for (int shift = 0;; shift += 7) {
                const auto byte = static_cast<unsigned char>(group.ids[i++]);
                step |= quint64(byte & 0x7f) << shift;
                if ((byte & 0x80) == 0) {
                    break;
                }
            }
            id += step;
            if (offset > 0) {
                --offset;
                continue;
            }
            if (taken++ > 0) {
                out.push_back(',');
            }
            const auto end = std::to_chars(number, number + sizeof number, qint64(id)).ptr;
            out.append(number, end);
        }
    }
    out.push_back(']');
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

std::optional<RowIdsByKey> ReadRowIdsByKey(const QSqlDatabase& db, const QString& from,
                                           const QString& key, qint64 maxBytes) {
    sqlite3* engine = FileEngine(db);
    if (engine == nullptr) {
        return std::nullopt;
    }
    constexpr qint64 kBytesPerGroup = 128;  // its key, its list and their place in the map
    std::vector<std::string> keys;
    std::vector<RowIdsByKey::Group> groups;
    std::vector<quint64> lastIds;
    std::unordered_map<std::string, std::size_t> found;
    RowIdsByKey::Group nulls;
    quint64 nullsLast = 0;
    qint64 used = 0;
    {
        const Statement rows =
            Prepare(engine, QStringLiteral("SELECT %1, rowid FROM %2 ORDER BY rowid")
                                .arg(SqlIdentifier(key), from));
        if (!rows) {
            return std::nullopt;
        }
        std::string value;
        std::size_t current = 0;
        bool first = true;
        qint64 previous = 0;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(rows.get())) == SQLITE_ROW) {
            const qint64 id = sqlite3_column_int64(rows.get(), 1);
            // Each value's ids ascending is what the order of the table's scan gives.
            if (!first && id <= previous) {
                return std::nullopt;
            }
            first = false;
            previous = id;
            RowIdsByKey::Group* group = &nulls;
            quint64* last = &nullsLast;
            if (ReadKey(rows.get(), value)) {
                if (groups.empty() || value != keys[current]) {
                    const auto [at, added] = found.try_emplace(value, groups.size());
                    if (added) {
                        keys.push_back(value);
                        groups.emplace_back();
                        lastIds.push_back(0);
                        used += kBytesPerGroup + qint64(value.size());
                    }
                    current = at->second;
                }
                group = &groups[current];
                last = &lastIds[current];
            }
            const std::size_t before = group->ids.size();
            AppendVarint(group->ids, quint64(id) - *last);
            *last = quint64(id);
            ++group->rows;
            used += qint64(group->ids.size() - before);
            if (used > maxBytes) {
                return std::nullopt;
            }
        }
        if (step != SQLITE_DONE) {
            return std::nullopt;
        }
    }
    const auto order = EngineOrder(engine, keys);
    if (!order) {
        return std::nullopt;
    }
    RowIdsByKey byKey;
    byKey.groups.reserve(groups.size() + 1);
    for (const std::size_t i : *order) {
        groups[i].key = KeyValue(keys[i]);
        byKey.groups.push_back(std::move(groups[i]));
    }
    if (nulls.rows > 0) {
        byKey.groups.push_back(std::move(nulls));
    }
    return byKey;
}
