#include "platform/ProcessInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

QString JoinCommandText(const QStringList& arguments) {
    return arguments.join(QLatin1Char(' ')).trimmed();
}

QString CurrentUserName() {
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
        return QString::fromLocal8Bit(entry->pw_name);
    }
    return {};
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

ProcessInfo ReadProcessInfo() {
    ProcessInfo info;
    info.userName = CurrentUserName();
    info.programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    info.executableName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    info.commandText = JoinCommandText(QCoreApplication::arguments().mid(1));
    info.lockFolder = QDir::tempPath();
    return info;
}
