#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>

#include "db/DbError.h"

// A forward-only, read-only result. It stays usable when empty; the caller closes it (or lets it
// go out of scope) before the connection is closed.
class Recordset {
public:
    // Runs the query; positions on the first row when there is one. A failed query leaves the
    // recordset closed, an empty result leaves it open.
    DbResult open(const QSqlDatabase& db, const QString& sql);
    bool isOpen() const { return query_.has_value(); }
    bool atEnd() const { return atEnd_; }
    bool moveNext();
    bool hasField(const QString& name) const;
    // The value of a column of the current row; nullopt when the result has no such column.
    std::optional<QVariant> field(const QString& name) const;
    // The value as text; empty for Null or a missing column.
    QString text(const QString& name) const;
    void close();

private:
    int columnIndex(const QString& name) const;

    std::optional<QSqlQuery> query_;
    // Column positions by case-folded name: the record of a query is rebuilt at every call.
    QHash<QString, int> columns_;
    bool atEnd_ = true;
};

// Copies a column of the current row into target unless it is Null or absent; true when copied.
bool CopyUnlessNull(const Recordset& recordset, const QString& column, QString& target);
