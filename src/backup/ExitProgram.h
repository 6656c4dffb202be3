#pragma once

struct AppContext;

// The end of the program: the signed-in code is cleared, the environment closed once, the
// workstation switched off when that was chosen, and the event loop left.
void ExitProgram(AppContext& ctx);
