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
        state_ = Lock::Failed;
    } else if (lock_->isLocked() || lock_->tryLock(0)) {
        state_ = Lock::Taken;
    } else {
        state_ = lock_->error() == QLockFile::LockFailedError ? Lock::HeldByAnother : Lock::Failed;
    }
    return state_;
}

QString SingleInstance::fileName() const {
    return lock_ ? QDir::toNativeSeparators(lock_->fileName()) : QString();
}
