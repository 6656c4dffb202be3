#pragma once

#include <QString>

// A database failure as the run history and the messages report it: a number and a description.
struct DbError {
    qint64 number = 0;
    QString description;
};

// The number given to failures that the engine reports without one of its own.
inline constexpr qint64 kUnspecifiedDbError = -2147467259;
