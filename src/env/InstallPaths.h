#pragma once

#include <QString>
#include <optional>

// Database file kinds: which of the two file endings is present.
enum DatabaseFileKind : qint16 { kNoDatabaseFile = 0, kAccdbFile = 1, kMdbFile = 2 };

struct InstallPaths {
    QString base;  // installation root with its trailing separator
    QString root;  // the base without it
    QString programFolder;
    QString configFolder;
    QString reportFolder;
    QString manualFolder;
    qint16 businessFileKind = kNoDatabaseFile;  // data/gnrdb, probed only
    qint16 configKind = kNoDatabaseFile;
    qint16 reportKind = kNoDatabaseFile;
    QString userConfigFolder;
    QString userReportFolder;
    QString userName;
};

// The installation base of a program folder: the text before the first "prgbin", or failing that
// the first "prgsrc" (either in any letter case); nullopt when the folder holds neither.
std::optional<QString> FindInstallBase(const QString& programFolder);

// The base of a program folder for the environment setup: only "prgbin" counts.
std::optional<QString> FindProgramBase(const QString& programFolder);

// Fills base, root and the fixed folders from the base, and probes the database files.
void DeriveInstallFolders(InstallPaths& paths, const QString& base);

// kAccdbFile when stem + ".accdb" exists, else kMdbFile when stem + ".mdb" exists.
qint16 ProbeDatabaseKind(const QString& stem);

// ".accdb" or ".mdb" for a kind; empty for kNoDatabaseFile.
QString DatabaseFileEnding(qint16 kind);

// Sets the user folders for an installation mode; any mode but 0 and 1 leaves them as they are.
void SetUserFolders(InstallPaths& paths, qint16 installationMode);

// Joins a folder and a name with the native separator.
QString JoinPath(const QString& folder, const QString& name);
