#include "platform/RegistryStore.h"

// Placeholder until the file store is written: every operation fails.
FileRegistryStore::FileRegistryStore(QString machineFile, QString userFile)
    : machineFile_(std::move(machineFile)), userFile_(std::move(userFile)) {}

FileRegistryStore FileRegistryStore::ForThisUser() {
    return FileRegistryStore(QString(), QString());
}

bool FileRegistryStore::keyExists(Hive, const QString&) const {
    return false;
}

bool FileRegistryStore::createKey(Hive, const QString&) {
    return false;
}

std::optional<RegistryValue> FileRegistryStore::value(Hive, const QString&, const QString&) const {
    return std::nullopt;
}

bool FileRegistryStore::setValue(Hive, const QString&, const QString&, const RegistryValue&) {
    return false;
}

std::optional<QStringList> FileRegistryStore::subKeys(Hive, const QString&) const {
    return std::nullopt;
}

const QString& FileRegistryStore::file(Hive hive) const {
    return hive == Hive::LocalMachine ? machineFile_ : userFile_;
}
