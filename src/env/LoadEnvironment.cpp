#include "env/LoadEnvironment.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "env/EnvironmentRecords.h"
#include "env/InstallPaths.h"
#include "env/UserFolders.h"
#include "records/Connections.h"

namespace {
const QString kEnvironmentQuery =
    QStringLiteral("SELECT * FROM 動作環境定義") + QStringLiteral(" WHERE 動作環境定義ID = '001'");

// Reads the first row of a query into a record; false when the query failed or the row lacked a
// column. An empty result leaves the record as it was.
template <typename Record, typename Reader>
bool ReadFirstRow(AppContext& ctx, const QString& sql, Record& record, Reader reader) {
    Recordset recordset;
    const bool found = OpenConfigRecordset(ctx, recordset, sql);
    const bool ok = recordset.isOpen() && (!found || reader(recordset, record));
    recordset.close();
    return ok;
}
}  // namespace

bool LoadEnvironment(AppContext& ctx) {
    InstallPaths& paths = ctx.paths;
    paths.userName = ctx.process.userName;
    const auto base = FindInstallBase(ctx.process.programFolder);
    if (!base) {
        ctx.config.markNotOpened();
        return false;
    }
    DeriveInstallFolders(paths, *base);
    if (paths.configKind == DatabaseFileKind::None) {
        ctx.config.markNotOpened();
        return false;
    }

    const QString shared = ConfigDatabasePath(paths.configFolder, paths.configKind);
    if (auto result =
            ctx.config.open(ComposeConfigConnectionString(paths.configKind, shared, false));
        !result) {
        ctx.dialogs.information(QStringLiteral("SYB_OPEN ERROR") +
                                QString::number(result.error().number) + QLatin1Char(' ') +
                                result.error().description + QLatin1Char('\r') +
                                QStringLiteral("sysopen error"));
        return false;
    }

    // The definitions are read in one read transaction; a shared installation reads its
    // environment row once, since the file it would be read again from is the same.
    bool sameFile = false;
    {
        const ReadTogether reads(ctx.config);
        if (!ReadFirstRow(ctx,
                          QStringLiteral("SELECT * FROM データベース定義 WHERE 情報種類 = 'GNR'"),
                          ctx.databaseDefinition, ReadDatabaseDefinition)) {
            return false;
        }
        Recordset environment;
        const bool found = OpenConfigRecordset(ctx, environment, kEnvironmentQuery);
        if (!environment.isOpen() ||
            (found && !ReadEnvironmentBasics(environment, ctx.environment))) {
            return false;
        }
        SetUserFolders(paths, ctx.environment.installationMode);
        // A shared installation works on the file just opened: it is not opened a second time.
        sameFile = ctx.environment.installationMode != 1 &&
                   ConfigDatabasePath(paths.userConfigFolder, paths.configKind) == shared;
        if (sameFile && found && !ReadEnvironmentRecord(environment, ctx.environment)) {
            return false;
        }
    }
    if (!sameFile) {
        ctx.config.close();
        if (ctx.environment.installationMode == 1) {
            PrepareUserFolders(ctx);
        }
        if (!OpenUserConfig(ctx)) {
            return false;
        }
        if (!ReadFirstRow(ctx, kEnvironmentQuery, ctx.environment, ReadEnvironmentRecord)) {
            return false;
        }
    }
    ctx.initialOfficeCode = ctx.environment.operatingOfficeCode;
    return true;
}
