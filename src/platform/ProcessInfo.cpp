#include "platform/ProcessInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

QStringList ProgramArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == QLatin1Char(' ')) {
        ++first;
    }
    while (end > first && text[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    return text.mid(first, end - first);
}

QString JoinCommandText(const QStringList& arguments) {
    return TrimBlanks(arguments.join(QLatin1Char(' ')));
}

QString LockFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime;
    }
#ifdef Q_OS_UNIX
    return QStringLiteral("/tmp");
#else
    return QDir::tempPath();
#endif
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

ProcessInfo ReadProcessInfo(const QStringList& arguments) {
    ProcessInfo info;
    info.userName = CurrentUserName();
    info.programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    info.executableName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    info.commandText = JoinCommandText(arguments);
    info.lockFolder = LockFolder();
    return info;
}
