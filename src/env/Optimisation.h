#pragma once

#include <QString>

struct AppContext;

// The compaction target of a database file: "repdb.accdb" gives "repdbbak.accdb"; empty for a
// file that is neither .accdb nor .mdb.
QString CompactionTarget(const QString& path);

// Compacts a database file in place, through its compaction target. When the compaction fails
// the file stays as it was.
bool CompactDatabaseFile(const QString& path);

// Closes the environment, compacts the user's configuration and report databases and opens the
// environment again.
void OptimiseConfiguration(AppContext& ctx);
