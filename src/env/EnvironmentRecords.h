#pragma once

#include "context/ProcessRecords.h"
#include "db/ConnectionString.h"

class Recordset;

// Fill a record from the current row; false when the row lacks a column the record needs.
bool ReadDatabaseDefinition(const Recordset& recordset, DatabaseDefinition& definition);
// Only the office, the installation mode and CL更新実行区分: what the shared copy is read for.
bool ReadEnvironmentBasics(const Recordset& recordset, EnvironmentRecord& record);
bool ReadEnvironmentRecord(const Recordset& recordset, EnvironmentRecord& record);
