#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One table of a backup against its manifest, or, without one, what its file holds.
struct TableCheck {
    QString table;
    QStringList files;
    qint64 recorded = -1;  // the rows the manifest records; -1 without a manifest
    qint64 counted = -1;   // the rows found; -1 when they could not be read
    bool matches = false;  // the rows and their checksum are the manifest's
};

struct BackupCheck {
    // Files missing or damaged, groups without a manifest, a restore refused or failed.
    QStringList problems;
    QList<TableCheck> tables;

    bool whole() const;
};

// Checks every file of a weekday folder (the engine's integrity check) and every table of its
// manifests (rows and checksum). Reads the files only.
BackupCheck VerifyBackup(const QString& weekdayFolder);

struct RestoreRequest {
    QString weekdayFolder;
    QString file;        // a new database file; refused when it exists
    QString server;      // or the connection text of an empty server database
    QStringList tables;  // only these; every table of the manifests when empty
};

// Puts the tables of a weekday's backup together again, each with its declared schema and its
// rows from every file in order, then checks them against the manifests. A file is built under
// a temporary name and put in place only when every table matches; a server's tables are made
// in one transaction, kept only then. Nothing is written when the request is refused.
BackupCheck RestoreBackup(const RestoreRequest& request);
