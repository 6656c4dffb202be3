#pragma once

#include <QStringList>
#include <QTextStream>

#include "AdminCli.h"

// history BASE [--since yyyymmdd] [--until yyyymmdd] [--program ID] [--staff CODE] [--user NAME]
// [--errors] [--csv]: the rows of the run history that match, oldest first, as an aligned table
// or as CSV. Reads the shared configuration file read-only and streams the rows.
int ShowHistory(const AdminCall& call, QTextStream& out, QTextStream& err);

// A field of CSV: quoted (its quotes doubled) when it holds a comma, a quote or a line break.
QString CsvField(const QString& text);
