#include "env/InstallPaths.h"

#include <QDir>
#include <QFileInfo>

#include "platform/Files.h"

namespace {
std::optional<QString> BaseBefore(const QString& folder, QLatin1StringView marker) {
    const qsizetype at = folder.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0) {
        return std::nullopt;
    }
    return folder.left(at);
}
}  // namespace

std::optional<QString> FindInstallBase(const QString& programFolder) {
    if (auto base = BaseBefore(programFolder, QLatin1StringView("prgbin"))) {
        return base;
    }
    return BaseBefore(programFolder, QLatin1StringView("prgsrc"));
}

std::optional<QString> FindProgramBase(const QString& programFolder) {
    return BaseBefore(programFolder, QLatin1StringView("prgbin"));
}

QString DesktopEntryId(const QString& base) {
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    return QStringLiteral("numorika-%1").arg(QString::number(qHash(root), 16));
}

DatabaseFileKind ProbeDatabaseKind(const QString& stem) {
    // A folder of the name is no database: the installation is taken as not set up.
    if (QFileInfo(stem + QStringLiteral(".accdb")).isFile()) {
        return DatabaseFileKind::Accdb;
    }
    if (QFileInfo(stem + QStringLiteral(".mdb")).isFile()) {
        return DatabaseFileKind::Mdb;
    }
    return DatabaseFileKind::None;
}

void DeriveInstallFolders(InstallPaths& paths, const QString& base) {
    paths.base = base;
    paths.root = base.endsWith(QDir::separator()) ? base.chopped(1) : base;
    paths.programFolder = base + QStringLiteral("prgbin");
    paths.businessFileKind =
        ProbeDatabaseKind(JoinPath(base + QStringLiteral("data"), QStringLiteral("gnrdb")));
    paths.configKind =
        ProbeDatabaseKind(JoinPath(base + QStringLiteral("conf"), QStringLiteral("usrcnfg")));
    paths.configFolder = base + QStringLiteral("conf");
    paths.reportFolder = base + QStringLiteral("report");
    paths.manualFolder = base + QStringLiteral("manual");
    paths.reportKind = ProbeDatabaseKind(JoinPath(paths.reportFolder, QStringLiteral("repdb")));
}

void SetUserFolders(InstallPaths& paths, qint16 installationMode) {
    if (installationMode == 0) {
        paths.userConfigFolder = paths.base + QStringLiteral("conf");
        paths.userReportFolder = paths.base + QStringLiteral("report");
    } else if (installationMode == 1) {
        const QString userFolder = JoinPath(paths.base + QStringLiteral("users"), paths.userName);
        paths.userConfigFolder = JoinPath(userFolder, QStringLiteral("conf"));
        paths.userReportFolder = JoinPath(userFolder, QStringLiteral("report"));
    }
}
