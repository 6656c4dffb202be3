#include "records/Connections.h"

#include "context/AppContext.h"

bool OpenBusinessConnection(AppContext& ctx) {
    if (!IsKnownDatabaseKind(ctx.databaseDefinition.kind)) {
        // Opens nothing yet counts as open: each business statement then fails with its own
        // error row, and the start tells that the company's data is missing.
        ctx.business.markOpenedWithoutDatabase();
        return true;
    }
    if (const auto opened = OpenBusinessDatabase(ctx.databaseDefinition, ctx.business); !opened) {
        WriteOpenErrorRecord(ctx, opened.error());
        return false;
    }
    return true;
}

DbResult OpenUserConfig(AppContext& ctx) {
    return ctx.config.open(ComposeConfigConnectionString(
        ctx.paths.configKind, ConfigDatabasePath(ctx.paths.userConfigFolder, ctx.paths.configKind),
        true));
}

bool ReopenConfigConnection(AppContext& ctx) {
    if (ctx.config.openFlag()) {
        ctx.config.close();
    }
    return static_cast<bool>(OpenUserConfig(ctx));
}
