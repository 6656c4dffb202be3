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
    if (!QFileInfo::exists(path)) {
        return false;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The application starts in the document's folder. xdg-open is what QDesktopServices starts
    // here, but through it no working folder can be given.
    if (QProcess::startDetached(QStringLiteral("xdg-open"), {path}, workingFolder)) {
        return true;
    }
#else
    Q_UNUSED(workingFolder);
#endif
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
