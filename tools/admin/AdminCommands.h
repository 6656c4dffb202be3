#pragma once

#include <QStringList>
#include <QTextStream>

// numorika-admin: the administrator's commands. Answers the exit status: 0 done, 1 nothing to
// show (a button without settings), 2 refused or
// failed (the reason on err).
int RunAdminCommand(const QStringList& arguments, const QString& programFolder, QTextStream& in,
                    QTextStream& out, QTextStream& err);
