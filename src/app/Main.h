#pragma once

#include <memory>

#include "menu/MainMenuWindow.h"

struct AppContext;
class SingleInstance;

// The start-up sequence. Answers the shown main window when the program lives on in it, or
// nullptr when the program ends here (another instance runs, or the first-run path was taken).
std::unique_ptr<MainMenuWindow> Main(AppContext& ctx, SingleInstance& instance);

// The last close of the environment: a termination signal that arrives while the program is
// already ending must not write a second end row.
void CloseEnvironmentOnce(AppContext& ctx);

// Closes the environment once and leaves the event loop.
void EndProgram(AppContext& ctx);

// The whole program: start-up, then the event loop until the window or a termination signal
// ends it. Answers the exit status.
int RunMenuProgram(AppContext& ctx);
