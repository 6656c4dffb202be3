#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>
#include <string>
#include <vector>

// The row ids of a file's table by the value of one column, read in one pass over the table:
// the values in the order the engine sorts them (a number before a text before bytes, an integer
// and a real of the same value as one) with the rows without a value last, and each value's row
// ids ascending. That is the order of a temporary table keyed by (Null, value, row id), built
// without one.
struct RowIdsByKey {
    struct Group {
        QVariant key;  // Null for the rows without a value
        qint64 rows = 0;
        std::string ids;  // each row id as the varint of its step from the one before
    };
    std::vector<Group> groups;

    // The row ids of count groups from first on, after skipping offset of them and at most limit
    // (all when negative), as a JSON array.
    QString json(qsizetype first, qsizetype count, qint64 offset, qint64 limit) const;
};

// The rows of the table from (a quoted name) by the value of key; nullopt when they cannot be
// read so (a table without row ids, a connection not on a file) or would take more than
// maxBytes of memory.
std::optional<RowIdsByKey> ReadRowIdsByKey(const QSqlDatabase& db, const QString& from,
                                           const QString& key, qint64 maxBytes);
