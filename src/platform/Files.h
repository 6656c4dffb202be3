#pragma once

#include <QString>

// Copies a file over another (or to a new name). The copy is written under a temporary name and
// renamed into place, so a failure never leaves half a file where a whole one was.
bool CopyFileReplacing(const QString& source, const QString& target, QString* error = nullptr);

// Copies a folder with everything in it, overwriting files of the same name.
bool CopyFolder(const QString& source, const QString& target);
