#include "platform/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool QtShell::startProgram(const QString& path, const QString& argumentText) {
    const QStringList arguments =
        argumentText.isEmpty() ? QStringList() : QStringList{argumentText};
    return QProcess::startDetached(path, arguments, QFileInfo(path).absolutePath());
}

bool QtShell::openDocument(const QString& path, const QString& workingFolder) {
    Q_UNUSED(workingFolder);
    if (!QFileInfo::exists(path)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtShell::powerOff() {
#ifdef Q_OS_WIN
    return QProcess::startDetached(
        QStringLiteral("shutdown"),
        {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("0")});
#else
    return QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
#endif
}
