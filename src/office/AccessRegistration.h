#pragma once

#include <QString>

struct AppContext;

// Writes the per-user settings that let the installed Access open the user report folder's
// databases without security prompts. False when Access is not installed or its version is not
// known; the caller then leaves the report forms database unlinked.
bool RegisterAccess(AppContext& ctx);

// Associates ".mdb" with the Access of accessFolder. False when the extensions key cannot be
// opened; a failed write is shown and still counts as done.
bool RegisterMdbExtension(AppContext& ctx, const QString& accessFolder);

// Access 11.0: the extension, and the lowest macro security level.
bool SetAccessSecurityLevel(AppContext& ctx, const QString& accessFolder);

// Access 12.0 on: the extension, and folder with its sub-folders as a trusted location of the
// registry version ("12.0"). A folder already listed keeps its location; a new location never
// takes the name of another.
bool AddTrustedLocation(AppContext& ctx, const QString& accessFolder, const QString& folder,
                        const QString& version);
