#pragma once

#include <QStringList>

class Dialogs;
struct AppContext;

// The folders on the way to a file path, outermost first, never the file itself: those after the
// root or drive of an absolute path, or after the share of a network path ("//server/share/…").
// A relative path gives none.
QStringList FoldersOnTheWay(const QString& path);

// Creates every missing folder on the way to a file path. Only absolute paths are handled; of a
// network path ("//server/share/…") the server and share are never created.
void EnsureFolders(Dialogs& dialogs, const QString& path);

// Per-user installation: gives the Windows user a copy of the shared configuration database the
// first time. Runs while no configuration connection is open.
void PrepareUserFolders(AppContext& ctx);
