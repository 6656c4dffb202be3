#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "db/DbError.h"
#include "install/AccessImport.h"

// A Windows folder of the earlier installation and the folder that stands for it here.
struct PathMapping {
    QString windowsPrefix;  // "C:\ヌモリカ" or "\\server\share"
    QString linuxPrefix;    // "/srv/numorika"
};

// A path column value as it works here: the longest Windows prefix that matches (letter case
// and the kind of separator aside) replaced and every "\" turned into "/". A value that names
// no Windows path comes back as it is; nullopt for a Windows path no pair maps.
std::optional<QString> MapWindowsPath(const QString& value, const QList<PathMapping>& mappings);

struct MigrationOptions {
    QList<PathMapping> mappings;
    AccessImportOptions access;
    QString systemPin;  // the new system privileged PIN, stored hashed
};

struct MigratedFile {
    QString source;
    QString target;
    AccessImportResult import;
};

struct MigrationResult {
    // Why the new installation was not made; what this run had written is gone again.
    std::optional<QString> refusal;
    QList<MigratedFile> files;
    int mappedPaths = 0;
    QStringList unmappedPaths;    // "table.column: value"
    QStringList staffWithoutPin;  // "code name": their stored PIN cannot be read here
};

// Makes a new installation at newBase from the folder of an earlier one copied from a Windows
// machine: every Access file of its conf, data and report folders converted, the tables the
// suite needs and a file lacks added as init makes them, the 'GNR' row pointed at the new
// business file, the path columns mapped and a new system privileged PIN stored. The earlier
// installation is only read.
MigrationResult MigrateInstallation(const QString& oldBase, const QString& newBase,
                                    const MigrationOptions& options,
                                    const AccessImportProgress& progress = {});

// The part of it that makes a converted business file work here: the tables the suite reads
// added, the path columns mapped, the staff with an unreadable stored PIN named and the system
// privileged PIN stored.
DbResult CompleteMigratedBusiness(const QString& business, const MigrationOptions& options,
                                  MigrationResult& result);
