#pragma once

#include <QString>
#include <optional>
#include <utility>

// A database failure as the run history and the messages report it: a number and a description.
struct DbError {
    qint64 number = 0;
    QString description;
};

// The number given to failures that the engine reports without one of its own.
inline constexpr qint64 kUnspecifiedDbError = -2147467259;

// The outcome of a database operation: true on success; a failure carries its error.
class [[nodiscard]] DbResult {
public:
    DbResult() = default;
    DbResult(DbError error) : error_(std::move(error)) {}

    explicit operator bool() const { return !error_.has_value(); }
    // Only for a failure.
    const DbError& error() const { return *error_; }
    DbError& error() { return *error_; }

private:
    std::optional<DbError> error_;
};
