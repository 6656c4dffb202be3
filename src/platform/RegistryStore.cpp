#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <functional>
#include <vector>

// A hive file holds the tree of keys as nested arrays, so that sub-keys and values keep the order
// in which they were created and every name keeps its spelling:
// {"keys": [{"name": "Software", "values": [{"name": "Path", "type": "REG_SZ", "data": "…"}],
//            "keys": […]}]}
namespace {
const QString kKeys = QStringLiteral("keys");
const QString kValues = QStringLiteral("values");
const QString kName = QStringLiteral("name");
const QString kType = QStringLiteral("type");
const QString kData = QStringLiteral("data");
const QString kText = QStringLiteral("REG_SZ");
const QString kNumber = QStringLiteral("REG_DWORD");

struct RegistryKey {
    QString name;
    QList<std::pair<QString, RegistryValue>> values;
    std::vector<RegistryKey> keys;
};

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The names on a key's path; nullopt when a part is empty. The empty path is the hive itself.
std::optional<QStringList> KeyPath(const QString& key) {
    if (key.isEmpty()) {
        return QStringList();
    }
    const QStringList parts = key.split(QLatin1Char('\\'));
    for (const QString& part : parts) {
        if (part.isEmpty()) {
            return std::nullopt;
        }
    }
    return parts;
}

std::optional<RegistryValue> ParseValue(const QJsonObject& json) {
    const QJsonValue data = json.value(kData);
    if (json.value(kType) == kText && data.isString()) {
        return data.toString();
    }
    const double number = data.toDouble(-1);
    if (json.value(kType) == kNumber && data.isDouble() && number >= 0 && number <= 0xFFFFFFFFu &&
        number == static_cast<double>(static_cast<quint32>(number))) {
        return static_cast<quint32>(number);
    }
    return std::nullopt;
}

bool ParseKey(const QJsonObject& json, RegistryKey& key) {
    if (!json.value(kKeys).isArray() || !json.value(kValues).isArray()) {
        return false;
    }
    for (const QJsonValue& item : json.value(kValues).toArray()) {
        const QJsonObject value = item.toObject();
        const std::optional<RegistryValue> parsed = ParseValue(value);
        if (!value.value(kName).isString() || !parsed) {
            return false;
        }
        key.values.append({value.value(kName).toString(), *parsed});
    }
    for (const QJsonValue& item : json.value(kKeys).toArray()) {
        RegistryKey& sub = key.keys.emplace_back();
        const QJsonObject object = item.toObject();
        if (!object.value(kName).isString() || !ParseKey(object, sub)) {
            return false;
        }
        sub.name = object.value(kName).toString();
    }
    return true;
}

QJsonObject ToJson(const RegistryKey& key, bool isHive) {
    QJsonArray values;
    for (const auto& [name, value] : key.values) {
        const bool text = std::holds_alternative<QString>(value);
        values.append(
            QJsonObject{{kName, name},
                        {kType, text ? kText : kNumber},
                        {kData, text ? QJsonValue(std::get<QString>(value))
                                     : QJsonValue(static_cast<qint64>(std::get<quint32>(value)))}});
    }
    QJsonArray keys;
    for (const RegistryKey& sub : key.keys) {
        keys.append(ToJson(sub, false));
    }
    QJsonObject json{{kValues, values}, {kKeys, keys}};
    if (!isHive) {
        json.insert(kName, key.name);
    }
    return json;
}

// The whole hive; a missing file is an empty hive, an unreadable or corrupt one is nullopt.
std::optional<RegistryKey> ReadHive(const QString& file) {
    RegistryKey hive;
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        return hive;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll());
    if (!document.isObject() || !ParseKey(document.object(), hive)) {
        return std::nullopt;
    }
    return hive;
}

bool WriteHive(const QString& file, const RegistryKey& hive) {
    if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).absolutePath())) {
        return false;
    }
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) &&
           out.write(QJsonDocument(ToJson(hive, true)).toJson()) >= 0 && out.commit();
}

// The key at a path below the hive; with create, missing keys are added on the way.
RegistryKey* FindKey(RegistryKey& hive, const QString& key, bool create) {
    const std::optional<QStringList> path = KeyPath(key);
    if (!path) {
        return nullptr;
    }
    RegistryKey* current = &hive;
    for (const QString& name : *path) {
        auto found = std::find_if(current->keys.begin(), current->keys.end(),
                                  [&](const RegistryKey& sub) { return SameName(sub.name, name); });
        if (found != current->keys.end()) {
            current = &*found;
        } else if (create) {
            current = &current->keys.emplace_back(RegistryKey{name, {}, {}});
        } else {
            return nullptr;
        }
    }
    return current;
}

std::optional<RegistryKey> FindKeyIn(const QString& file, const QString& key) {
    std::optional<RegistryKey> hive = ReadHive(file);
    const RegistryKey* found = hive ? FindKey(*hive, key, false) : nullptr;
    return found ? std::optional<RegistryKey>(*found) : std::nullopt;
}

// Reads the hive, changes it and writes it back whole; a corrupt hive is never replaced.
bool ChangeHive(const QString& file, const std::function<bool(RegistryKey&)>& change) {
    std::optional<RegistryKey> hive = ReadHive(file);
    return hive && change(*hive) && WriteHive(file, *hive);
}

QString HiveFile(const char* variable, const QString& fallback) {
    const QString set = qEnvironmentVariable(variable);
    return set.isEmpty() ? fallback : set;
}
}  // namespace

FileRegistryStore::FileRegistryStore(QString machineFile, QString userFile)
    : machineFile_(std::move(machineFile)), userFile_(std::move(userFile)) {}

FileRegistryStore FileRegistryStore::ForThisUser() {
    return FileRegistryStore(
        HiveFile("NUMORIKA_REGISTRY_HKLM", QStringLiteral("/etc/numorika/registry-hklm.json")),
        HiveFile("NUMORIKA_REGISTRY_HKCU",
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/numorika/registry-hkcu.json")));
}

bool FileRegistryStore::keyExists(Hive hive, const QString& key) const {
    return FindKeyIn(file(hive), key).has_value();
}

bool FileRegistryStore::createKey(Hive hive, const QString& key) {
    if (keyExists(hive, key)) {
        return true;
    }
    return ChangeHive(file(hive),
                      [&](RegistryKey& root) { return FindKey(root, key, true) != nullptr; });
}

std::optional<RegistryValue> FileRegistryStore::value(Hive hive, const QString& key,
                                                      const QString& name) const {
    const std::optional<RegistryKey> found = FindKeyIn(file(hive), key);
    if (!found) {
        return std::nullopt;
    }
    for (const auto& [valueName, value] : found->values) {
        if (SameName(valueName, name)) {
            return value;
        }
    }
    return std::nullopt;
}

bool FileRegistryStore::setValue(Hive hive, const QString& key, const QString& name,
                                 const RegistryValue& value) {
    return ChangeHive(file(hive), [&](RegistryKey& root) {
        RegistryKey* found = FindKey(root, key, false);
        if (!found) {
            return false;
        }
        for (auto& [valueName, stored] : found->values) {
            if (SameName(valueName, name)) {
                stored = value;
                return true;
            }
        }
        found->values.append({name, value});
        return true;
    });
}

std::optional<QStringList> FileRegistryStore::subKeys(Hive hive, const QString& key) const {
    const std::optional<RegistryKey> found = FindKeyIn(file(hive), key);
    if (!found) {
        return std::nullopt;
    }
    QStringList names;
    for (const RegistryKey& sub : found->keys) {
        names << sub.name;
    }
    return names;
}

const QString& FileRegistryStore::file(Hive hive) const {
    return hive == Hive::LocalMachine ? machineFile_ : userFile_;
}
