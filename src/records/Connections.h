#pragma once

#include <optional>

#include "db/DbError.h"

struct AppContext;

// Opens the business database the database definition names; a failure leaves a
// "DB_OPEN ERROR" row.
bool OpenBusinessConnection(AppContext& ctx);
// Closes and re-opens the user's configuration database; answers the open flag.
bool ReopenConfigConnection(AppContext& ctx);
// Opens the user's configuration database (the copy every later statement uses).
DbResult OpenUserConfig(AppContext& ctx);
