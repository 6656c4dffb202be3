#pragma once

#include <QStringList>
#include <QTextStream>

#include "AdminCli.h"

// numorika-admin: the administrator's commands. Answers the exit status: 0 done, 1 nothing to
// show (a button without settings), 2 a usage error, refused or failed (the reason on err).
int RunAdminCommand(const QStringList& arguments, const QString& programFolder, QTextStream& in,
                    QTextStream& out, QTextStream& err);

// The subcommands of numorika-admin, one row each.
const QList<AdminSubcommand>& AdminSubcommands();
