#include "platform/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance(const QString& lockFolder, const QString& executableName,
                               const QString& userName) {
    if (!lockFolder.isEmpty()) {
        lock_ = std::make_unique<QLockFile>(
            QDir(lockFolder)
                .filePath(executableName + QLatin1Char('-') + userName + QStringLiteral(".lock")));
    }
}

SingleInstance::Lock SingleInstance::acquire() {
    if (!lock_) {
        return Lock::Failed;
    }
    if (lock_->isLocked() || lock_->tryLock(0)) {
        return Lock::Taken;
    }
    return lock_->error() == QLockFile::LockFailedError ? Lock::HeldByAnother : Lock::Failed;
}

QString SingleInstance::fileName() const {
    return lock_ ? QDir::toNativeSeparators(lock_->fileName()) : QString();
}
