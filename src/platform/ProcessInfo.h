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
    QString lockFolder;      // where the single-instance lock lives; empty when none will do
    QString lockProblem;     // why no folder will do
};

// The arguments after the program's own name, exactly as the starting program passed them. Read
// before Qt sees them: Qt takes its own options (-style, -platform, -reverse …) out of argv.
QStringList ProgramArguments(int argc, char** argv);

// A text without the blanks (spaces) at its ends; tabs and line breaks stay.
QString TrimBlanks(const QString& text);

// The arguments after the program's own name, as one command text.
QString JoinCommandText(const QStringList& arguments);

// True for a folder of the user's own that no one else may write: a real folder (no symbolic
// link), owned by the user, closed to writes of the group and others, and writable.
bool IsOwnFolder(const QString& folder);

// Where the single-instance lock and the front-request pipe of a user live: the user's runtime
// folder when it is the user's own, else the program's folder in the user's cache folder, made
// 0700. Never a shared name another local user could create first; it does not follow TMPDIR,
// which differs between the ways one user starts the menu.
struct LockFolderChoice {
    QString folder;   // empty when neither will do
    QString problem;  // then why, for the user
};
LockFolderChoice ChooseLockFolder(const QString& runtimeFolder, const QString& cacheFolder,
                                  const QString& programName);

// The choice for this user, from the environment.
LockFolderChoice LockFolder();

// The name of the user who runs the process; empty when the platform gives none.
QString CurrentUserName();

// Reads the facts of the running process (QCoreApplication must exist).
ProcessInfo ReadProcessInfo(const QStringList& arguments);
