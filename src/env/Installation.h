#pragma once

#include <QString>
#include <optional>

// File names of the suite's programs in prgbin.
QString MenuExecutableName();
QString SetupProgramName();

// Creates a shared installation under base: the folders prgbin, conf, data, report and manual,
// the configuration database with its 'GNR' and '001' rows and the business database with the
// company '0001' ("自社") and its head office "000" ("本社"), sign-in switched off.
// Refuses when either database exists already. Answers the reason of a failure.
std::optional<QString> CreateInstallation(const QString& base);

// Copies the menu and the setup program from fromFolder into the program folder.
std::optional<QString> InstallPrograms(const QString& fromFolder, const QString& programFolder);
