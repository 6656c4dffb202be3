#pragma once

#include <QString>

// Statements are composed and logged in the suite's own dialect; just before execution they are
// rewritten for the engine:
// - "SELECT [DISTINCT] TOP n …" becomes "SELECT … LIMIT n";
// - "SELECT * INTO t IN 'file' FROM …" creates t in the file from the rows selected;
// - "INSERT INTO t IN 'file' SELECT …" appends the rows selected to t in the file.
// For the two IN forms the file is attached to the connection as kTargetSchema while the
// statement runs.
struct EngineStatement {
    QString sql;
    // Run after sql: a table made by "SELECT * INTO" is first created empty and then filled, so
    // that the rows it receives are counted like those of any INSERT.
    QString fill;
    QString attachFile;  // empty when the statement names no other file
    // For the IN forms, the parts a server database needs, which cannot attach the file: the
    // table in the file, the query that gives the rows, and whether the table is created.
    QString targetTable;
    QString rowsQuery;
    bool createsTable = false;
};

inline const QString kTargetSchema = QStringLiteral("numorika_target");

EngineStatement TranslateStatement(const QString& sql);
QString TranslateForEngine(const QString& sql);
