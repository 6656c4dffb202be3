#pragma once

#include <QTextStream>

#include "AdminCli.h"

// The commands that bring an office's Access data into the suite. Each answers the exit status
// (0 done, 2 refused, failed or a count that does not agree).

// import-access SOURCE TARGET [--jet3-charset CODEPAGE]: one line per table, rows read and rows
// written; on a terminal a progress line while a table is read.
int ImportAccess(const AdminCall& call, QTextStream& out, QTextStream& err);

// migrate OLD NEW [--map-path WINDOWS_PREFIX=LINUX_PREFIX]… [--jet3-charset CODEPAGE]: a new
// installation from an earlier one's folder, then check's lines for it. Answers check's status
// when the installation was made.
int Migrate(const AdminCall& call, const QString& programFolder, QTextStream& out,
            QTextStream& err);
