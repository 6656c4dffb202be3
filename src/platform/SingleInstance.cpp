#include "platform/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance(const QString& lockFolder, const QString& executableName,
                               const QString& userName)
    : lock_(std::make_unique<QLockFile>(
          QDir(lockFolder)
              .filePath(executableName + QLatin1Char('-') + userName + QStringLiteral(".lock")))) {}

bool SingleInstance::acquire() {
    if (lock_->isLocked()) {
        return true;
    }
    return lock_->tryLock(0);
}
