#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "db/DbError.h"

// Why a file cannot serve as a database here: missing, a folder, unreadable, or a real Access
// file, which this platform cannot open. nullopt when the file may be opened.
std::optional<DbError> CheckDatabaseFile(const QString& path);

// Creates a new database file holding the given tables. The file is built under a temporary name
// and renamed into place, so a failure never leaves half a database at the path.
std::optional<DbError> CreateDatabaseFile(const QString& path, const QStringList& statements);
