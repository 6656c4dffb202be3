#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// An installation for the members of one group: every folder belongs to the group and carries the
// set-group-ID bit, so that whatever the programs make inside takes the group; folders, databases
// and other files are the group's to write and closed to others, the programs of prgbin are 0755.

// Whether a group of that name exists on this machine.
bool GroupExists(const QString& group);

// Makes the installation at base one of the group. Answers one line per folder or file changed,
// or the reason it was refused (an unknown group, no installation at base) or stopped.
struct ShareResult {
    QStringList changes;
    std::optional<QString> error;
};
ShareResult ShareInstallation(const QString& base, const QString& group);

// The group an installation is shared with; empty when it is not shared.
QString SharedGroup(const QString& base);

// The folders and files of a shared installation a member of its group could not write (or a
// folder that would not pass its group on); empty when it is not shared.
QStringList UnwritableForGroup(const QString& base);
