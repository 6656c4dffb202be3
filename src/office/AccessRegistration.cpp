#include "office/AccessRegistration.h"

#include <QDir>
#include <algorithm>

#include "context/AppContext.h"
#include "text/NumberText.h"

namespace {
const QString kAppPaths =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSACCESS.EXE");
const QString kExtensions =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Extensions");
const QString kSecurity11 = QStringLiteral("Software\\Microsoft\\Office\\11.0\\Access\\Security");
const QString kPath = QStringLiteral("Path");
const QString kLocation = QStringLiteral("Location");
const QString kCannotWrite = QStringLiteral("書き込みできません。");
const QString kCannotSet = QStringLiteral("設定できません。");
const QString kCannotOpen = QStringLiteral("オープンできません。");

enum class Routine { MdbExtension, SecurityLevel, TrustedLocation };

struct AccessVersion {
    const char* token;  // found in the Access folder without regard to letter case
    Routine routine;
    const char* version;
};

// Tried in this order; the first token found decides.
constexpr AccessVersion kVersions[] = {
    {"Office9", Routine::MdbExtension, ""},         {"Office10", Routine::MdbExtension, ""},
    {"Office11", Routine::SecurityLevel, "11.0"},   {"Office12", Routine::TrustedLocation, "12.0"},
    {"Office14", Routine::TrustedLocation, "14.0"}, {"Office15", Routine::TrustedLocation, "15.0"},
    {"Office16", Routine::TrustedLocation, "16.0"}, {"Office17", Routine::TrustedLocation, "16.0"},
    {"Office18", Routine::TrustedLocation, "17.0"},
};

QString TextOf(const std::optional<RegistryValue>& value) {
    const QString* text = value ? std::get_if<QString>(&*value) : nullptr;
    return text ? *text : QString();
}

QString WithoutFinalSeparators(QString path) {
    while (path.endsWith(QDir::separator())) {
        path.chop(1);
    }
    return path;
}

// Only a location of the folder itself counts: one whose path merely contains the folder's
// belongs to another folder and must keep its values.
bool ListsFolder(const std::optional<RegistryValue>& path, const QString& folder) {
    return WithoutFinalSeparators(TextOf(path))
               .compare(WithoutFinalSeparators(folder), Qt::CaseInsensitive) == 0;
}

// The number after "Location"; 0 when there is none.
qint64 LocationNumber(const QString& name) {
    const double number = LeadingNumber(name.mid(kLocation.size()));
    return static_cast<qint64>(std::clamp(number, 0.0, 1e9));
}

// Number 0 has no digits, so it names "Location".
QString LocationName(qint64 number) {
    return kLocation + (number > 0 ? QString::number(number) : QString());
}
}  // namespace

bool RegisterAccess(AppContext& ctx) {
    const QString accessFolder = TextOf(ctx.registry.value(Hive::LocalMachine, kAppPaths, kPath));
    for (const AccessVersion& entry : kVersions) {
        if (!accessFolder.contains(QLatin1String(entry.token), Qt::CaseInsensitive)) {
            continue;
        }
        switch (entry.routine) {
            case Routine::MdbExtension:
                return RegisterMdbExtension(ctx, accessFolder);
            case Routine::SecurityLevel:
                return SetAccessSecurityLevel(ctx, accessFolder);
            case Routine::TrustedLocation:
                return AddTrustedLocation(ctx, accessFolder, ctx.paths.userReportFolder,
                                          QLatin1String(entry.version));
        }
    }
    return false;
}

bool RegisterMdbExtension(AppContext& ctx, const QString& accessFolder) {
    if (!ctx.registry.keyExists(Hive::CurrentUser, kExtensions)) {
        return false;
    }
    const QString program = accessFolder + QStringLiteral("MSACCESS.EXE");
    const QString mdb = QStringLiteral("mdb");
    if (TextOf(ctx.registry.value(Hive::CurrentUser, kExtensions, mdb)) != program &&
        !ctx.registry.setValue(Hive::CurrentUser, kExtensions, mdb, program)) {
        ctx.dialogs.information(kCannotWrite);
    }
    return true;
}

bool SetAccessSecurityLevel(AppContext& ctx, const QString& accessFolder) {
    const bool extension = RegisterMdbExtension(ctx, accessFolder);
    if (!ctx.registry.createKey(Hive::CurrentUser, kSecurity11)) {
        return extension;
    }
    if (!ctx.registry.setValue(Hive::CurrentUser, kSecurity11, QStringLiteral("Level"),
                               quint32{1})) {
        ctx.dialogs.information(kCannotWrite);
    }
    return true;
}

bool AddTrustedLocation(AppContext& ctx, const QString& accessFolder, const QString& folder,
                        const QString& version) {
    const bool extension = RegisterMdbExtension(ctx, accessFolder);
    RegistryStore& registry = ctx.registry;
    const Hive hive = Hive::CurrentUser;
    const QString trusted = QStringLiteral("Software\\Microsoft\\Office\\") + version +
                            QStringLiteral("\\Access\\Security\\Trusted Locations");
    const auto keyOf = [&](const QString& location) { return trusted + u'\\' + location; };
    if (!registry.createKey(hive, trusted)) {
        return extension;
    }
    const QString network = QString(QDir::separator()) + QDir::separator();
    if (folder.startsWith(network) &&
        !registry.setValue(hive, trusted, QStringLiteral("AllowNetworkLocations"), quint32{1})) {
        ctx.dialogs.information(kCannotWrite);
    }

    // The existing locations are examined even after a failed write, so the folder is never
    // listed twice.
    const QStringList names = registry.subKeys(hive, trusted).value_or(QStringList());
    std::optional<QString> location;
    QString lowest;
    QString highest;
    for (const QString& name : names) {
        lowest = lowest.isNull() ? name : std::min(lowest, name);
        highest = std::max(highest, name);
        const std::optional<RegistryValue> path = registry.value(hive, keyOf(name), kPath);
        if (!path && version == QStringLiteral("14.0")) {
            ctx.dialogs.information(kCannotOpen);
        }
        if (ListsFolder(path, folder)) {
            location = name;
        }
    }

    if (location && !registry.keyExists(hive, keyOf(*location))) {
        return extension;
    }
    if (!location) {
        // The first location is written "Location0"; a number 0 chosen later has no digits.
        qint64 number = 0;
        QString name = kLocation + QStringLiteral("0");
        if (!names.isEmpty()) {
            const qint64 low = LocationNumber(lowest);
            number = low > 0 ? low - 1 : LocationNumber(highest) + 1;
            name = LocationName(number);
        }
        // The text order of the names can choose a taken number (Location10 sorts before
        // Location9), and an unreadable list shows none: go on to the next free one.
        while (registry.keyExists(hive, keyOf(name)) &&
               !ListsFolder(registry.value(hive, keyOf(name), kPath), folder)) {
            name = LocationName(++number);
        }
        if (!registry.createKey(hive, keyOf(name))) {
            ctx.dialogs.information(kCannotSet);
            return extension;
        }
        location = name;
    }

    const QString key = keyOf(*location);
    const bool pathWritten = registry.setValue(hive, key, kPath, folder + QDir::separator());
    const bool subfoldersWritten =
        registry.setValue(hive, key, QStringLiteral("AllowSubfolder"), quint32{1});
    if (!pathWritten || !subfoldersWritten) {
        ctx.dialogs.information(kCannotWrite);
    }
    return true;
}
