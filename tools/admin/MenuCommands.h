#pragma once

#include <QStringList>
#include <QTextStream>

#include "AdminCli.h"

// The menu commands of numorika-admin: a member of staff's three tabs and 24 buttons shown,
// written out as JSON, read back and copied to colleagues. Each answers the exit status (0 done,
// 2 refused or failed).

// menu show BASE STAFF
int ShowMenu(const QStringList& arguments, QTextStream& out, QTextStream& err);
// menu export BASE STAFF [FILE]: to standard output without FILE.
int ExportMenu(const QStringList& arguments, QTextStream& out, QTextStream& err);
// menu import BASE STAFF FILE [--replace]
int ImportMenu(const AdminCall& call, QTextStream& out, QTextStream& err);
// menu copy BASE FROM TO… [--replace]
int CopyMenu(const AdminCall& call, QTextStream& out, QTextStream& err);
