#pragma once

#include <QStringList>

// The CREATE statements of every table the system reads or writes, with the keys it relies on.
// Installations and test fixtures are both built from these.
QStringList ConfigurationSchema();
QStringList BusinessSchema();
