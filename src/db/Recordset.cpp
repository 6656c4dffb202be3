#include "db/Recordset.h"

#include <QSqlError>
#include <QSqlRecord>

#include "db/DbConnection.h"

std::optional<DbError> Recordset::open(const QSqlDatabase& db, const QString& sql) {
    close();
    query_.emplace(db);
    query_->setForwardOnly(true);
    if (!query_->exec(sql)) {
        const DbError error = ToDbError(query_->lastError());
        close();
        return error;
    }
    atEnd_ = !query_->next();
    return std::nullopt;
}

bool Recordset::moveNext() {
    if (!query_ || atEnd_) {
        return false;
    }
    atEnd_ = !query_->next();
    return !atEnd_;
}

bool Recordset::hasField(const QString& name) const {
    return query_ && query_->record().indexOf(name) >= 0;
}

std::optional<QVariant> Recordset::field(const QString& name) const {
    if (!query_) {
        return std::nullopt;
    }
    const int index = query_->record().indexOf(name);
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
    atEnd_ = true;
}
