#include "records/Connections.h"

#include "context/AppContext.h"

bool OpenBusinessConnection(AppContext& ctx) {
    if (const auto failure = OpenBusinessDatabase(ctx.databaseDefinition, ctx.business)) {
        WriteOpenErrorRecord(ctx, *failure);
        return false;
    }
    return true;
}

std::optional<DbError> OpenUserConfig(AppContext& ctx) {
    return ctx.config.open(ComposeConfigConnectionString(
        ctx.paths.configKind, ConfigDatabasePath(ctx.paths.userConfigFolder, ctx.paths.configKind),
        true));
}

bool ReopenConfigConnection(AppContext& ctx) {
    if (ctx.config.openFlag()) {
        ctx.config.close();
    }
    return !OpenUserConfig(ctx).has_value();
}
