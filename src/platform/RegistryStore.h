#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

// The two hives the system reads and writes.
enum class Hive { LocalMachine, CurrentUser };

// A registry value keeps its type: text (REG_SZ) or a 32-bit number (REG_DWORD).
using RegistryValue = std::variant<QString, quint32>;

// Keys are named by their backslash paths ("Software\Microsoft\Office\12.0\Access\…") and found
// without regard to letter case, as on Windows. Every call answers false / nullopt on failure.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual bool keyExists(Hive hive, const QString& key) const = 0;
    // Creates the key and every missing key above it; true when it exists afterwards.
    virtual bool createKey(Hive hive, const QString& key) = 0;
    // The value of an existing key; nullopt when the key or the value is not there.
    virtual std::optional<RegistryValue> value(Hive hive, const QString& key,
                                               const QString& name) const = 0;
    // Writes a value into an existing key.
    virtual bool setValue(Hive hive, const QString& key, const QString& name,
                          const RegistryValue& value) = 0;
    // The names of the key's direct sub-keys, in the order they were created.
    virtual std::optional<QStringList> subKeys(Hive hive, const QString& key) const = 0;
};

// The store on this platform: one file per hive. Every call reads the file afresh and every
// write replaces it whole, since Access and other programs share the hives.
class FileRegistryStore final : public RegistryStore {
public:
    FileRegistryStore(QString machineFile, QString userFile);
    // The hive files of this user: $NUMORIKA_REGISTRY_HKLM and $NUMORIKA_REGISTRY_HKCU when set,
    // else /etc/numorika/registry-hklm.json and ~/.config/numorika/registry-hkcu.json.
    static FileRegistryStore ForThisUser();

    bool keyExists(Hive hive, const QString& key) const override;
    bool createKey(Hive hive, const QString& key) override;
    std::optional<RegistryValue> value(Hive hive, const QString& key,
                                       const QString& name) const override;
    bool setValue(Hive hive, const QString& key, const QString& name,
                  const RegistryValue& value) override;
    std::optional<QStringList> subKeys(Hive hive, const QString& key) const override;

    const QString& file(Hive hive) const;

private:
    QString machineFile_;
    QString userFile_;
};
