#include "records/Connections.h"

#include "context/AppContext.h"

bool OpenBusinessConnection(AppContext& ctx) {
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
