#pragma once

#include <QString>
#include <QStringList>

// The demo installation: a trading company with a head office and two branches, three members
// of staff with PINs and menus, and catalogue entries for the demo programs.
struct DemoStaff {
    QString code;
    QString name;
    QString pin;
    QString loginId;
};

// The members of staff; the first signs in automatically as loginUser.
QList<DemoStaff> DemoStaffMembers(const QString& loginUser);

// The file names of the demo programs that go into prgbin.
QStringList DemoProgramFiles();

// Statements that fill a fresh installation's databases.
QStringList DemoBusinessRows(const QString& base, const QString& loginUser);
QStringList DemoConfigurationRows();
