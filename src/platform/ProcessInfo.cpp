#include "platform/ProcessInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
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

bool IsOwnFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    struct stat status {};
    const QByteArray path = QFile::encodeName(folder);
    return !folder.isEmpty() && ::lstat(path.constData(), &status) == 0 &&
           S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
           ::access(path.constData(), W_OK | X_OK) == 0;
#else
    return QFileInfo(folder).isDir() && QFileInfo(folder).isWritable();
#endif
}

LockFolderChoice ChooseLockFolder(const QString& runtimeFolder, const QString& cacheFolder,
                                  const QString& programName) {
    if (IsOwnFolder(runtimeFolder)) {
        return {runtimeFolder, {}};
    }
    if (cacheFolder.isEmpty()) {
        return {{}, QStringLiteral("利用者のキャッシュフォルダが有りません。")};
    }
    const QString own = QDir(cacheFolder).filePath(programName);
#ifdef Q_OS_UNIX
    // Made closed; one made earlier by the user is closed again, anyone else's is refused.
    QDir().mkpath(cacheFolder);
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    struct stat status {};
    if (::lstat(QFile::encodeName(own).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == ::geteuid()) {
        ::chmod(QFile::encodeName(own).constData(), 0700);
    }
#else
    QDir().mkpath(own);
#endif
    if (!IsOwnFolder(own)) {
        return {{},
                QStringLiteral("フォルダ %1 が利用者本人だけのフォルダではありません。")
                    .arg(QDir::toNativeSeparators(own))};
    }
    return {own, {}};
}

LockFolderChoice LockFolder() {
    return ChooseLockFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
                            kProgramId);
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
    const LockFolderChoice lock = LockFolder();
    info.lockFolder = lock.folder;
    info.lockProblem = lock.problem;
    return info;
}
