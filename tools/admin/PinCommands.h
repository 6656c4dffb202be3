#pragma once

#include <QStringList>
#include <QTextStream>

// The PIN commands of numorika-admin. A PIN is read from standard input, never from the command
// line, so that it stands in no shell history and no process list; on a terminal it is not
// echoed. Each answers the exit status (0 done, 1 nothing found, 2 refused or failed).

// pin encode: prints the stored form of the PIN read.
int EncodePin(QTextStream& in, QTextStream& out, QTextStream& err);

// pin set BASE STAFF: stores the PIN read as the member of staff's PIN.
int SetPin(const QStringList& arguments, QTextStream& in, QTextStream& out, QTextStream& err);

// pin upgrade BASE: rewrites every stored PIN of the older form into the current one, in one
// transaction, and says how many.
int UpgradePins(const QStringList& arguments, QTextStream& out, QTextStream& err);
