#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "db/DbError.h"

// Which of the two file endings a database file of the suite has.
enum class DatabaseFileKind : qint16 { None = 0, Accdb = 1, Mdb = 2 };

// ".accdb" or ".mdb" for a kind; empty for None.
QString DatabaseFileEnding(DatabaseFileKind kind);

// The configuration database usrcnfg of a kind in a folder.
QString ConfigDatabasePath(const QString& folder, DatabaseFileKind kind);

// Whether a file is a real Access database (Jet or ACE), which only the converter can read.
bool IsAccessDatabaseFile(const QString& path);

// "mdb" or "accdb", as numorika_info records a file's format: by the ending of its name.
QString DatabaseFileFormat(const QString& path);

// Why a file cannot serve as a database here: missing, a folder, unreadable, or a real Access
// file, which this platform cannot open. nullopt when the file may be opened.
DbResult CheckDatabaseFile(const QString& path);

// The locale every database file of the suite is made and compacted with.
inline const QString kJapaneseLocale = QStringLiteral(";LANGID=0x0411;CP=932;COUNTRY=0");

// Creates a new database file holding the given tables, with its format (by its ending) and
// locale recorded in numorika_info. The file is built under a temporary name and renamed into
// place, so a failure never leaves half a database at the path. It is protected like a new file of
// its folder, never more readable than `like` when that names a file (the source of a copy).
// pageSize, when given, is the file's page size; else the engine's.
DbResult CreateDatabaseFile(const QString& path, const QStringList& statements,
                            const QString& locale = kJapaneseLocale, const QString& like = {},
                            int pageSize = 0);

// The statements of the numorika_info table that records a file's format and locale.
QStringList DatabaseInfoSchema(const QString& format, const QString& locale);

// Another member's program that makes a file's write-ahead log or its index at this moment gives
// it the file's rights only just after making it: work whose first read falls in between fails
// with "unable to open" and is tried again, a few times, a moment later.
DbResult TryWhileLogIsMade(const std::function<DbResult()>& work);

// Runs work on a private connection to a database file, closed again afterwards.
DbResult WithDatabaseFile(const QString& path, const std::function<DbResult(QSqlDatabase&)>& work);

// Executes statements in order; the first failure ends it.
DbResult ExecuteAll(QSqlDatabase& db, const QStringList& statements);
