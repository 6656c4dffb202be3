#include "install/SharedInstallation.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <functional>

#include "install/Installation.h"
#include "platform/Files.h"

namespace {
constexpr mode_t kFolderMode = 02770;
constexpr mode_t kFileMode = 0660;
constexpr mode_t kProgramMode = 0755;

QString Root(const QString& base) {
    return QDir::toNativeSeparators(QDir(base).absolutePath());
}

QString GroupName(gid_t id) {
    const struct group* entry = ::getgrgid(id);
    return entry != nullptr ? QString::fromLocal8Bit(entry->gr_name) : QString::number(id);
}

QString Octal(mode_t mode) {
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

// The installation itself, then everything below it; links are neither followed nor changed.
void Walk(const QString& root,
          const std::function<void(const QString&, const struct stat&)>& visit) {
    QStringList paths{root};
    QDirIterator entries(root,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        paths << entries.next();
    }
    for (const QString& path : paths) {
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
            (S_ISDIR(info.st_mode) || S_ISREG(info.st_mode))) {
            visit(path, info);
        }
    }
}

// Programs keep their own rights; the members of the group run them, never change them.
bool IsProgram(const QString& root, const QString& path, const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR) != 0 &&
           QFileInfo(path).absolutePath() == JoinPath(root, QStringLiteral("prgbin"));
}

mode_t SharedMode(const QString& root, const QString& path, const struct stat& info) {
    if (S_ISDIR(info.st_mode)) {
        return kFolderMode;
    }
    return IsProgram(root, path, info) ? kProgramMode : kFileMode;
}
}  // namespace

bool GroupExists(const QString& group) {
    return ::getgrnam(QFile::encodeName(group).constData()) != nullptr;
}

ShareResult ShareInstallation(const QString& base, const QString& group) {
    const QString root = Root(base);
    const struct group* entry = ::getgrnam(QFile::encodeName(group).constData());
    if (entry == nullptr) {
        return {{}, QStringLiteral("グループ「%1」が有りません。").arg(group)};
    }
    const gid_t id = entry->gr_gid;
    if (!ExistingDatabase(
            JoinPath(JoinPath(root, QStringLiteral("conf")), QStringLiteral("usrcnfg")))) {
        return {{},
                QStringLiteral("「%1」はインストールではありません (conf/usrcnfg が有りません)。")
                    .arg(root)};
    }
    ShareResult result;
    Walk(root, [&](const QString& path, const struct stat& info) {
        if (result.error) {
            return;
        }
        const QByteArray name = QFile::encodeName(path);
        const mode_t mode = SharedMode(root, path, info);
        QStringList changed;
        // The group first: a change of group may clear the set-group-ID bit.
        if (info.st_gid != id) {
            if (::lchown(name.constData(), static_cast<uid_t>(-1), id) != 0) {
                result.error = QStringLiteral("「%1」のグループを変更できません: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
            changed << QStringLiteral("グループ %1 → %2").arg(GroupName(info.st_gid), group);
        }
        if ((info.st_mode & 07777) != mode || !changed.isEmpty()) {
            if (::chmod(name.constData(), mode) != 0) {
                result.error = QStringLiteral("「%1」の権限を変更できません: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
            if ((info.st_mode & 07777) != mode) {
                changed << QStringLiteral("権限 %1 → %2").arg(Octal(info.st_mode), Octal(mode));
            }
        }
        if (!changed.isEmpty()) {
            result.changes << path + QStringLiteral(": ") + changed.join(QStringLiteral(", "));
        }
    });
    return result;
}

QString SharedGroup(const QString& base) {
    struct stat info {};
    if (::stat(QFile::encodeName(Root(base)).constData(), &info) != 0 ||
        (info.st_mode & S_ISGID) == 0) {
        return {};
    }
    return GroupName(info.st_gid);
}

QStringList UnwritableForGroup(const QString& base) {
    const QString root = Root(base);
    struct stat top {};
    if (::stat(QFile::encodeName(root).constData(), &top) != 0 || (top.st_mode & S_ISGID) == 0) {
        return {};
    }
    QStringList unwritable;
    Walk(root, [&](const QString& path, const struct stat& info) {
        if (IsProgram(root, path, info)) {
            return;
        }
        const mode_t needed = S_ISDIR(info.st_mode) ? (S_ISGID | S_IRWXG) : (S_IRGRP | S_IWGRP);
        if (info.st_gid != top.st_gid || (info.st_mode & needed) != needed) {
            unwritable << path;
        }
    });
    return unwritable;
}
