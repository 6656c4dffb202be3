#pragma once

#include <QTextStream>

struct AdminCall;

// backup verify BASE [WEEKDAY]: every file and every table of the weekday's backup (of all seven
// without one) against its manifest; 0 when whole, 2 otherwise.
int VerifyBackupCommand(const AdminCall& call, QTextStream& out, QTextStream& err);

// restore BASE WEEKDAY --into FILE | --server CONNECTION [--tables T1,T2]: the backup put
// together into a new file or an empty server database; 0 when every table matches its
// manifest, 2 otherwise.
int RestoreCommand(const AdminCall& call, QTextStream& out, QTextStream& err);
