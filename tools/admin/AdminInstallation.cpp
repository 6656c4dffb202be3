#include "AdminInstallation.h"

#include <QDir>

#include "db/DbAccess.h"
#include "env/CompanySettings.h"
#include "env/InstallPaths.h"
#include "env/LoadEnvironment.h"
#include "platform/ProcessInfo.h"

void ConsoleDialogs::information(const QString& text) {
    QString shown = text;
    err_ << shown.replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
}

bool ConsoleDialogs::question(const QString& text) {
    information(text);
    return false;
}

std::optional<QString> ConsoleDialogs::openFile(const QStringList&, const QString&) {
    return std::nullopt;
}

namespace {
ProcessInfo Process(const QString& base) {
    ProcessInfo info;
    info.userName = CurrentUserName();
    info.programFolder =
        JoinPath(QDir::toNativeSeparators(QDir(base).absolutePath()), QStringLiteral("prgbin"));
    info.executableName = kProgramId;
    info.lockFolder = LockFolder();
    return info;
}
}  // namespace

AdminInstallation::AdminInstallation(const QString& base, QTextStream& err)
    : dialogs_(err),
      registry_(FileRegistryStore::ForThisUser()),
      ctx_(dialogs_, shell_, clock_, registry_, Process(base)) {}

bool AdminInstallation::load(QTextStream& err) {
    if (!LoadEnvironment(ctx_) || !OpenBusinessConnection(ctx_)) {
        err << QStringLiteral("インストールを開けません: ") << ctx_.process.programFolder << '\n';
        return false;
    }
    if (!LoadCompanySettings(ctx_)) {
        err << QStringLiteral("ユーザ情報が有りません") << '\n';
        return false;
    }
    return true;
}
