#include "env/UserFolders.h"

#include <QDir>
#include <QFileInfo>

#include "app/AppContext.h"
#include "db/DbAccess.h"
#include "platform/Files.h"

namespace {
constexpr qint64 kPathAccessError = 75;

// Where the folder scan starts: after the share of a network path, after the drive or the root
// of an absolute path; -1 for anything else.
qsizetype ScanStart(const QString& path) {
    const QChar separator = QDir::separator();
    const QString network = QString(separator) + separator;
    if (path.startsWith(network)) {
        const qsizetype serverEnd = path.indexOf(separator, network.size());
        const qsizetype shareEnd = serverEnd < 0 ? -1 : path.indexOf(separator, serverEnd + 1);
        return shareEnd < 0 ? -1 : shareEnd + 1;
    }
    const qsizetype drive = path.indexOf(QStringLiteral(":") + separator);
    if (drive >= 0) {
        return drive + 2;
    }
    return path.startsWith(separator) ? 1 : -1;
}

void ReportStep(AppContext& ctx, const QString& description) {
    WriteErrorRecord(ctx, description + QStringLiteral(" User ConfF=") +
                              ctx.paths.userConfigFolder + QStringLiteral(" User Report =") +
                              ctx.paths.userReportFolder);
}
}  // namespace

QStringList FoldersOnTheWay(const QString& path) {
    const QString trimmed = path.trimmed();
    const qsizetype start = trimmed.isEmpty() ? -1 : ScanStart(trimmed);
    if (start < 0) {
        return {};
    }
    QStringList folders;
    const QChar separator = QDir::separator();
    for (qsizetype at = trimmed.indexOf(separator, start); at >= 0;
         at = trimmed.indexOf(separator, at + 1)) {
        folders << trimmed.left(at);
    }
    return folders;
}

void EnsureFolders(Dialogs& dialogs, const QString& path) {
    for (const QString& folder : FoldersOnTheWay(path)) {
        if (QFileInfo::exists(folder) || QDir().mkdir(folder)) {
            continue;
        }
        dialogs.information(QStringLiteral("DIREXISTCHK ERROR") +
                            QString::number(kPathAccessError) +
                            QStringLiteral(" フォルダ「%1」を作成できません。").arg(folder) +
                            QLatin1Char('\r') + QStringLiteral("direxeistchk"));
    }
}

void PrepareUserFolders(AppContext& ctx) {
    const QString fileName = QStringLiteral("usrcnfg") + DatabaseFileEnding(ctx.paths.configKind);
    const QString target = JoinPath(ctx.paths.userConfigFolder, fileName);
    EnsureFolders(ctx.dialogs, target);
    if (QFileInfo::exists(target)) {
        return;
    }
    QString error;
    if (!CopyFileReplacing(JoinPath(ctx.paths.configFolder, fileName), target, &error)) {
        ReportStep(ctx, error);
    }
}
