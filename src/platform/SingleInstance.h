#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running menu per user and workstation. Several members of staff may share a machine, so the
// lock is named after the executable and the user. A lock left by a crashed run is taken over.
class SingleInstance {
public:
    // An empty lockFolder is one where no folder of the user's own was found.
    SingleInstance(const QString& lockFolder, const QString& executableName,
                   const QString& userName);

    enum class Lock { Taken, HeldByAnother, Failed };
    // Taken when this process holds the lock; HeldByAnother when another instance runs; Failed
    // when the lock file cannot be made at all.
    Lock acquire();
    // What the last acquire answered.
    Lock state() const { return state_; }
    // The lock file's path, shown when it cannot be made.
    QString fileName() const;

private:
    std::unique_ptr<QLockFile> lock_;
    Lock state_ = Lock::Failed;
};
