#pragma once

#include <QString>
#include <optional>

#include "context/ProcessRecords.h"

// The installation base of a program folder: the text before the first "prgbin", or failing that
// the first "prgsrc" (either in any letter case); nullopt when the folder holds neither.
std::optional<QString> FindInstallBase(const QString& programFolder);

// The base of a program folder for the environment setup: only "prgbin" counts.
std::optional<QString> FindProgramBase(const QString& programFolder);

// The name of an installation's desktop entry as installed for a user, without ".desktop": one
// per installation folder, so that the launcher and the running menu name the same entry.
QString DesktopEntryId(const QString& base);

// Fills base, root and the fixed folders from the base, and probes the database files.
void DeriveInstallFolders(InstallPaths& paths, const QString& base);

// Accdb when stem + ".accdb" exists, else Mdb when stem + ".mdb" exists.
DatabaseFileKind ProbeDatabaseKind(const QString& stem);

// Sets the user folders for an installation mode; any mode but 0 and 1 leaves them as they are.
void SetUserFolders(InstallPaths& paths, qint16 installationMode);
