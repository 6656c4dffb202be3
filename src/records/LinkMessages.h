#pragma once

#include <QString>

struct AppContext;

// Takes over one request addressed to this program with the given start link information,
// written at or after earliest ("yyyymmdd hhnnss"), and deletes it.
void ReceiveLinkRequest(AppContext& ctx, const QString& startInfo, const QString& earliest);

// Answers the received request with a completion row and re-opens the configuration database,
// so that the starting program sees the row at once.
void SendLinkCompletion(AppContext& ctx);
