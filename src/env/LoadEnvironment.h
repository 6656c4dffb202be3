#pragma once

struct AppContext;

// Finds the installation from the program's folder, opens the configuration database and loads
// the database and environment definitions. True when the user's configuration database is open.
bool LoadEnvironment(AppContext& ctx);
