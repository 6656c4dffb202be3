#pragma once

#include <QString>
#include <QStringList>

// What the process knows about itself, read once at start.
struct ProcessInfo {
    QString userName;        // operating-system user running the process
    QString programFolder;   // native path of the folder holding the executable
    QString executableName;  // own file name without extension
    QString commandText;     // the arguments joined by single blanks, trimmed
    QString lockFolder;      // where the single-instance lock lives
};

// The arguments after the program's own name, as one command text.
QString JoinCommandText(const QStringList& arguments);

// The name of the user who runs the process; empty when the platform gives none.
QString CurrentUserName();

// Reads the facts of the running process (QCoreApplication must exist).
ProcessInfo ReadProcessInfo();
