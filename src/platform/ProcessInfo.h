#pragma once

#include <QString>
#include <QStringList>

// The program's own ID in the shared tables.
inline const QString kProgramId = QStringLiteral("ヌモリカマイメニュ");

// What the process knows about itself, read once at start.
struct ProcessInfo {
    QString userName;        // operating-system user running the process
    QString programFolder;   // native path of the folder holding the executable
    QString executableName;  // own file name without extension
    QString commandText;     // the arguments joined by single blanks, trimmed of blanks
    QString lockFolder;      // where the single-instance lock lives
};

// The arguments after the program's own name, exactly as the starting program passed them. Read
// before Qt sees them: Qt takes its own options (-style, -platform, -reverse …) out of argv.
QStringList ProgramArguments(int argc, char** argv);

// A text without the blanks (spaces) at its ends; tabs and line breaks stay.
QString TrimBlanks(const QString& text);

// The arguments after the program's own name, as one command text.
QString JoinCommandText(const QStringList& arguments);

// Where the single-instance lock of a user lives: the user's runtime folder, or the system's
// temporary folder where there is none. It does not follow TMPDIR, which differs between the
// ways one user starts the menu.
QString LockFolder();

// The name of the user who runs the process; empty when the platform gives none.
QString CurrentUserName();

// Reads the facts of the running process (QCoreApplication must exist).
ProcessInfo ReadProcessInfo(const QStringList& arguments);
