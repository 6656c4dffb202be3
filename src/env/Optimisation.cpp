#include "env/Optimisation.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "context/AppContext.h"
#include "db/DatabaseFile.h"
#include "db/Engine.h"
#include "env/Environment.h"
#include "platform/Files.h"

namespace {
// Compacts path into target and copies the result back; the target stays beside the file.
bool CompactThrough(const QString& path, const QString& target) {
    if (QFileInfo::exists(target) && !QFile::remove(target)) {
        return false;
    }
    return CompactDatabase(path, target, kJapaneseLocale) && !DatabaseFileInUse(path) &&
           CopyFileReplacing(target, path);
}
}  // namespace

QString CompactionTarget(const QString& path) {
    for (const QString& ending : {QStringLiteral(".accdb"), QStringLiteral(".mdb")}) {
        const qsizetype at = path.indexOf(ending, 0, Qt::CaseInsensitive);
        if (at >= 0) {
            return path.left(at) + QStringLiteral("bak") + ending;
        }
    }
    return {};
}

bool CompactDatabaseFile(const QString& path) {
    const QString target = CompactionTarget(path);
    return !target.isEmpty() && CompactThrough(path, target);
}

void OptimiseConfiguration(AppContext& ctx) {
    if (ctx.notice != nullptr) {
        ctx.notice->setNotice(QStringLiteral("動作環境定義情報の最適化"));
    }
    // Paint only: the end has begun, no click may start anything now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    CloseEnvironment(ctx);
    const QString ending = DatabaseFileEnding(ctx.paths.configKind);
    if (!ending.isEmpty()) {
        CompactThrough(ConfigDatabasePath(ctx.paths.userConfigFolder, ctx.paths.configKind),
                       JoinPath(ctx.paths.userConfigFolder, QStringLiteral("usrcnfgbak") + ending));
    }
    const QString reportEnding = DatabaseFileEnding(ctx.paths.reportKind);
    if (!reportEnding.isEmpty()) {
        CompactDatabaseFile(
            JoinPath(ctx.paths.userReportFolder, QStringLiteral("repdb") + reportEnding));
    }
    OpenEnvironment(ctx);
}
