#pragma once

#include <QStringList>
#include <QTextStream>

// check BASE: what the menu would find when it starts from BASE/prgbin, one line each, without
// changing any file (the configuration file is opened read-only). Answers 0 when the menu can
// start, 1 when it cannot.
int CheckInstallation(const QStringList& arguments, QTextStream& out);
