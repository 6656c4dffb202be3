#pragma once

#include <QString>
#include <optional>

#include "db/ConnectionString.h"

// File names of the suite's programs in prgbin.
QString MenuExecutableName();
QString SetupProgramName();

// Creates a shared installation under base: the folders prgbin, conf, data, report and manual,
// the configuration database with its 'GNR' and '001' rows and the business database with the
// company '0001' ("自社") and its head office "000" ("本社"), sign-in switched off.
// Refuses when either database exists already. Answers the reason of a failure.
struct InstallationOptions {
    bool demo = false;     // with the demo company, staff, menus and catalogue
    QString loginUser;     // the demo's first member of staff signs in as this user
    bool perUser = false;  // installation mode 1, with report databases to copy for each user
    // A PostgreSQL database ("host=… port=… dbname=… user=… password=…") that receives the
    // business tables instead of data/gnrdb.accdb.
    QString serverConnection;
    // The system privileged PIN, stored hashed; empty leaves the column Null, and the built-in
    // default then stands for it.
    QString systemPin;
};

// A new system privileged PIN: eight characters of capitals and digits, without those that are
// easily mistaken for one another (0 O 1 I).
QString NewSystemPin();

// The demo installation's system privileged PIN, as the README gives it.
inline const QString kDemoSystemPin = QStringLiteral("DEMO2026");
std::optional<QString> CreateInstallation(const QString& base,
                                          const InstallationOptions& options = {});

// The company '0001' and its head office "000" of a new business database.
QStringList InitialBusinessRows();
// The database of a stem ("…/conf/usrcnfg") with either of the suite's endings, if one is there.
std::optional<QString> ExistingDatabase(const QString& stem);
// The environment row '001' of a new configuration database.
QStringList InitialConfigurationRows();
// The 'GNR' row of データベース定義 that names a business database file (kind A).
QString BusinessFileDefinitionRow(const QString& businessPath);

// Copies the menu and the setup program from fromFolder into the program folder; for a demo also
// the demo program under the name of every demo program.
std::optional<QString> InstallPrograms(const QString& fromFolder, const QString& programFolder,
                                       bool demo = false);

// Writes the desktop entry of an installation (name, icon, the menu's path) into its prgbin, with
// the icon beside it; answers the entry's path, or nullopt when it cannot be written.
std::optional<QString> WriteDesktopEntry(const QString& base);

// Installs an installation's desktop entry for the current user (the applications folder of
// XDG_DATA_HOME, ~/.local/share by default); answers the path installed.
std::optional<QString> InstallDesktopEntry(const QString& base);

// The demo program that stands in for the programs of the suite.
QString DemoProgramName();

// A libpq connection text ("host=… port=… dbname=… user=… password=…") as a definition of kind S.
DatabaseDefinition ServerDefinition(const QString& connection);
