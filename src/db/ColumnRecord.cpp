#include "db/ColumnRecord.h"

#include <cmath>

#include "db/Recordset.h"
#include "text/NumberText.h"

namespace {
QVariant Converted(const QVariant& stored, ColumnType type) {
    switch (type) {
        case ColumnType::Int16:
            return QVariant::fromValue(ToInt16(stored.toString()));
        case ColumnType::Currency:
            return QVariant::fromValue(
                static_cast<qint64>(std::nearbyint(LeadingNumber(stored.toString()) * 10000.0)));
        case ColumnType::Text:
            break;
    }
    return stored.toString();
}
}  // namespace

std::optional<QString> ReadColumns(const Recordset& recordset, const QList<ColumnSpec>& columns,
                                   ColumnRecord& record) {
    for (const ColumnSpec& column : columns) {
        if (!recordset.hasField(column.name)) {
            return column.name;
        }
    }
    for (const ColumnSpec& column : columns) {
        const QVariant stored = *recordset.field(column.name);
        if (!stored.isNull()) {
            record.set(column.name, Converted(stored, column.type));
        }
    }
    return std::nullopt;
}
