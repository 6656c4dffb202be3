#pragma once

#include <memory>

#include "menu/MainMenuWindow.h"

struct AppContext;
class SingleInstance;

// The start-up sequence. Answers the shown main window when the program lives on in it, or
// nullptr when the program ends here (another instance runs, the first-run path was taken, the
// company is missing or the sign-in was cancelled).
std::unique_ptr<MainMenuWindow> Main(AppContext& ctx, SingleInstance& instance);

// The whole program: start-up, then the event loop until the window or a termination signal
// ends it. Answers the exit status.
// SIGTERM or SIGINT: the program ends in order, a backup under way first stopped.
void OnEndRequested(AppContext& ctx);

int RunMenuProgram(AppContext& ctx);

// RunMenuProgram with the real dialogs, shell, clock and registry of this user and process, in
// the QApplication the caller made.
int RunMenuProcess(const QStringList& arguments);
