#include "db/Recordset.h"

#include <QSqlError>
#include <QSqlRecord>

#include "db/DbConnection.h"

DbResult Recordset::open(const QSqlDatabase& db, const QString& sql) {
    close();
    query_.emplace(db);
    query_->setForwardOnly(true);
    if (!query_->exec(sql)) {
        const DbError error = ToDbError(query_->lastError());
        close();
        return error;
    }
    const QSqlRecord record = query_->record();
    columns_.reserve(record.count());
    for (int i = 0; i < record.count(); ++i) {
        columns_.insert(record.fieldName(i).toCaseFolded(), i);
    }
    atEnd_ = !query_->next();
    return {};
}

int Recordset::columnIndex(const QString& name) const {
    const auto found = columns_.constFind(name.toCaseFolded());
    // A name written with its table ("M担当者.コード") is left to the record to resolve.
    return found != columns_.cend() ? found.value() : query_->record().indexOf(name);
}

bool Recordset::moveNext() {
    if (!query_ || atEnd_) {
        return false;
    }
    atEnd_ = !query_->next();
    return !atEnd_;
}

bool Recordset::hasField(const QString& name) const {
    return query_ && columnIndex(name) >= 0;
}

std::optional<QVariant> Recordset::field(const QString& name) const {
    if (!query_) {
        return std::nullopt;
    }
    const int index = columnIndex(name);
    if (index < 0) {
        return std::nullopt;
    }
    return atEnd_ ? QVariant() : query_->value(index);
}

QString Recordset::text(const QString& name) const {
    const auto value = field(name);
    return value && !value->isNull() ? value->toString() : QString();
}

void Recordset::close() {
    if (query_) {
        query_->finish();
        query_.reset();
    }
    columns_.clear();
    atEnd_ = true;
}

bool CopyUnlessNull(const Recordset& recordset, const QString& column, QString& target) {
    const auto value = recordset.field(column);
    if (!value || value->isNull()) {
        return false;
    }
    target = value->toString();
    return true;
}
