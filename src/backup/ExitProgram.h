#pragma once

struct AppContext;

// The end of the program: the signed-in code is cleared, the environment closed once, and the
// event loop left.
void ExitProgram(AppContext& ctx);
