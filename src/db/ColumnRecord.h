#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "db/Schema.h"

class Recordset;

// A master row held under the table's own column names: texts as QString, 16-bit columns as
// qint16, currency as qint64 ten-thousandths. A column never read answers empty or 0.
class ColumnRecord {
public:
    QString text(const QString& column) const { return values_.value(column).toString(); }
    qint16 number(const QString& column) const {
        return static_cast<qint16>(values_.value(column).toInt());
    }
    QVariant value(const QString& column) const { return values_.value(column); }
    void set(const QString& column, const QVariant& value) { values_.insert(column, value); }
    void clear() { values_.clear(); }

private:
    QHash<QString, QVariant> values_;
};

using CompanyRecord = ColumnRecord;  // Mユーザ '0001'
using OfficeRecord = ColumnRecord;   // M事業所 of the operating office

// Reads the listed columns of the current row; a Null column leaves its earlier value. Answers
// the name of a column the row lacks (nothing is read then), or nullopt.
std::optional<QString> ReadColumns(const Recordset& recordset, const QList<ColumnSpec>& columns,
                                   ColumnRecord& record);
