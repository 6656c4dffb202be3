#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running menu per user and workstation. Several members of staff may share a machine, so the
// lock is named after the executable and the user. A lock left by a crashed run is taken over.
class SingleInstance {
public:
    SingleInstance(const QString& lockFolder, const QString& executableName,
                   const QString& userName);
    // True when this process holds the lock; false when another instance runs.
    bool acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};
