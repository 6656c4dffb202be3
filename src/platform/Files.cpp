#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

#ifndef Q_OS_WIN
namespace {
// The folder something is made in: shared with a group when it carries the set-group-ID bit.
struct Place {
    bool shared = false;
    mode_t mode = 0;
    gid_t group = 0;
};

Place PlaceOf(const QString& path) {
    struct stat folder {};
    if (::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) != 0) {
        return {};
    }
    return {(folder.st_mode & S_ISGID) != 0, folder.st_mode, folder.st_gid};
}

// The rights of a file or folder made with `made` in place, as a copy of source.
mode_t ProtectedMode(mode_t made, bool folder, const Place& place, const QString& source) {
    mode_t mode = made & 07777;
    if (place.shared) {
        mode = folder ? (place.mode & 07777) : (place.mode & 0660);
    }
    struct stat from {};
    if (!source.isEmpty() && ::stat(QFile::encodeName(source).constData(), &from) == 0) {
        mode_t allowed = from.st_mode & 0777;
        if (folder && !S_ISDIR(from.st_mode)) {
            // A folder of copies of a file: who may read the file may open the folder.
            allowed |= (allowed & 0444) >> 2;
        }
        mode &= allowed | (folder ? 07700 : 0600);
    }
    return mode;
}

// The group first: a change of group may clear the set-group-ID bit.
bool Apply(int descriptor, mode_t mode, const Place& place) {
    struct stat now {};
    if (::fstat(descriptor, &now) != 0) {
        return false;
    }
    if (place.shared && now.st_gid != place.group &&
        ::fchown(descriptor, static_cast<uid_t>(-1), place.group) != 0) {
        return false;
    }
    return (now.st_mode & 07777) == mode || ::fchmod(descriptor, mode) == 0;
}

bool ApplyToPath(const QString& path, mode_t mode, const Place& place) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool applied = Apply(descriptor, mode, place);
    ::close(descriptor);
    return applied;
}

// A copy just opened under its temporary name: protected before a byte is written.
bool ProtectOpenCopy(int descriptor, const QString& target, const QString& source) {
    struct stat made {};
    const Place place = PlaceOf(target);
    return ::fstat(descriptor, &made) == 0 &&
           Apply(descriptor, ProtectedMode(made.st_mode, false, place, source), place);
}
}  // namespace
#endif

bool ProtectLikeFolder(const QString& path, const QString& source) {
#ifdef Q_OS_WIN
    static_cast<void>(source);
    return QFileInfo::exists(path);
#else
    struct stat made {};
    if (::lstat(QFile::encodeName(path).constData(), &made) != 0) {
        return false;
    }
    const Place place = PlaceOf(path);
    return ApplyToPath(path, ProtectedMode(made.st_mode, S_ISDIR(made.st_mode), place, source),
                       place);
#endif
}

bool CreateProtectedFile(const QString& path, const QString& source) {
#ifdef Q_OS_WIN
    static_cast<void>(source);
    QFile file(path);
    return file.open(QIODevice::NewOnly);
#else
    const Place place = PlaceOf(path);
    // Made with no more than its final rights; the umask may take some away, which a shared
    // folder gives back.
    const mode_t mode = ProtectedMode(0666, false, place, source);
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (descriptor < 0) {
        return false;
    }
    const bool applied = !place.shared || Apply(descriptor, mode, place);
    ::close(descriptor);
    return applied;
#endif
}

bool MakeProtectedPath(const QString& path, const QString& source) {
#ifdef Q_OS_WIN
    static_cast<void>(source);
    return QDir().mkpath(path);
#else
    QStringList missing;
    for (QString folder = QDir::cleanPath(QDir(path).absolutePath()); !QFileInfo::exists(folder);
         folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
    }
    for (const QString& folder : missing) {
        const Place place = PlaceOf(folder);
        const mode_t mode = ProtectedMode(0777, true, place, source);
        // Another member making the same folders at this moment gives them the group's rights
        // only just after making them: their folder is used as it is, a refusal meanwhile is
        // tried again.
        bool made = false;
        for (int attempt = 1;; ++attempt) {
            made = ::mkdir(QFile::encodeName(folder).constData(), mode) == 0;
            if (made || errno != EACCES || attempt == 10) {
                break;
            }
            QThread::msleep(20);
        }
        if (!made && !QFileInfo(folder).isDir()) {
            return false;
        }
        if (made && place.shared && !ApplyToPath(folder, mode, place)) {
            return false;
        }
    }
    return QFileInfo(path).isDir();
#endif
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* error) {
    QFile in(source);
    QSaveFile out(target);
    const auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return false;
    };
    if (!in.open(QIODevice::ReadOnly)) {
        return fail(in.errorString() + QStringLiteral(": ") + source);
    }
    if (!out.open(QIODevice::WriteOnly)) {
        return fail(out.errorString() + QStringLiteral(": ") + target);
    }
#ifndef Q_OS_WIN
    if (!ProtectOpenCopy(out.handle(), target, source)) {
        const int cause = errno;
        out.cancelWriting();
        return fail(QString::fromLocal8Bit(std::strerror(cause)) + QStringLiteral(": ") + target);
    }
#endif
    constexpr qint64 kChunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return fail(in.errorString() + QStringLiteral(": ") + source);
        }
        if (out.write(chunk) != chunk.size()) {
            // Cancelling replaces the disk's own error with its own.
            const QString cause = out.errorString();
            out.cancelWriting();
            return fail(cause + QStringLiteral(": ") + target);
        }
    }
    if (!out.commit()) {
        return fail(out.errorString() + QStringLiteral(": ") + target);
    }
    return true;
}

bool ReplaceFile(const QString& staged, const QString& target, QString* error) {
    std::error_code failure;
    // rename replaces the target in one step on every platform the suite runs on.
    std::filesystem::rename(QFileInfo(staged).filesystemFilePath(),
                            QFileInfo(target).filesystemFilePath(), failure);
    if (failure && error != nullptr) {
        *error = QString::fromLocal8Bit(failure.message()) + QStringLiteral(": ") + target;
    }
    return !failure;
}

bool SyncToDisk(const QString& path) {
#ifdef Q_OS_WIN
    QFile file(path);
    return !QFileInfo(path).isFile() ||
           (file.open(QIODevice::ReadWrite) && _commit(file.handle()) == 0);
#else
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
#endif
}

bool IsLocalFileSystem(const QString& path) {
#ifdef Q_OS_WIN
    // A share is reached by its network name.
    return !path.startsWith(QStringLiteral("\\\\")) && !path.startsWith(QStringLiteral("//"));
#else
    const QFileInfo file(path);
    const QString probed = file.exists() ? file.absoluteFilePath() : file.absolutePath();
    struct statfs info {};
    if (::statfs(QFile::encodeName(probed).constData(), &info) != 0) {
        return false;
    }
    static constexpr unsigned long kLocal[] = {
        0xEF53,      // ext2, ext3, ext4
        0x58465342,  // xfs
        0x9123683E,  // btrfs
        0x01021994,  // tmpfs
        0xF2F52010,  // f2fs
        0x2FC12FC1,  // zfs
        0x794C7630,  // overlay
    };
    const auto type = static_cast<unsigned long>(info.f_type);
    return std::find(std::begin(kLocal), std::end(kLocal), type) != std::end(kLocal);
#endif
}

void StartWritingToDisk(const QString& path) {
#ifdef Q_OS_LINUX
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::sync_file_range(descriptor, 0, 0, SYNC_FILE_RANGE_WRITE);
        ::close(descriptor);
    }
#else
    static_cast<void>(path);
#endif
}

namespace {
// No photo or document tree is this deep; a loop of links or mounts is.
constexpr int kMaxFolderDepth = 64;

bool IsAtOrBelow(const QString& path, const QString& folder) {
    return !folder.isEmpty() &&
           (path == folder ||
            path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder
                                                              : folder + QLatin1Char('/')));
}

struct FolderCopy {
    QString target;   // canonical
    QString outside;  // canonical; empty when there is none
    QStringList* skipped;

    void skip(const QString& path, const QString& reason) const {
        if (skipped != nullptr) {
            skipped->append(QDir::toNativeSeparators(path) + QStringLiteral(" (") + reason +
                            QLatin1Char(')'));
        }
    }
};

// A link to a folder is copied as the link it is; following it could lead back up the tree.
bool CopyLink(const QFileInfo& entry, const QString& destination, const FolderCopy& copy) {
    const std::filesystem::path to = QFileInfo(destination).filesystemFilePath();
    std::error_code failure;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(to, failure))) {
        std::filesystem::remove(to, failure);
    }
    std::filesystem::copy_symlink(entry.filesystemFilePath(), to, failure);
    if (failure) {
        copy.skip(entry.filePath(), QStringLiteral("リンクを作成できません"));
        return false;
    }
    return true;
}

bool CopyTree(const QString& from, const QString& to, int depth, const FolderCopy& copy) {
    if (depth > kMaxFolderDepth) {
        copy.skip(from, QStringLiteral("フォルダの階層が深すぎます"));
        return false;
    }
    if (!MakeProtectedPath(to, from)) {
        copy.skip(from, QStringLiteral("コピー先のフォルダを作成できません"));
        return false;
    }
    bool copied = true;
    const QDir into(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                           QDir::Hidden | QDir::System)) {
        const QString destination = into.filePath(entry.fileName());
        if (entry.isSymbolicLink() || entry.isJunction()) {
            if (entry.isDir()) {
                copied = CopyLink(entry, destination, copy) && copied;
                continue;
            }
            if (!entry.isFile()) {
                copy.skip(entry.filePath(), QStringLiteral("リンク先が有りません"));
                copied = false;
                continue;
            }
        }
        if (entry.isDir()) {
            const QString canonical = entry.canonicalFilePath();
            if (IsAtOrBelow(canonical, copy.target) || IsAtOrBelow(canonical, copy.outside)) {
                continue;
            }
            copied = CopyTree(entry.filePath(), destination, depth + 1, copy) && copied;
        } else if (entry.isFile()) {
            QString error;
            if (!CopyFileReplacing(entry.filePath(), destination, &error)) {
                copy.skip(entry.filePath(), error);
                copied = false;
            }
        } else {
            // A pipe or a device would never end or never answer.
            copy.skip(entry.filePath(), QStringLiteral("通常のファイルではありません"));
        }
    }
    return copied;
}
}  // namespace

bool CopyFolder(const QString& source, const QString& target, const QString& outside,
                QStringList* skipped) {
    if (!QFileInfo(source).isDir() || !MakeProtectedPath(target, source)) {
        return false;
    }
    const FolderCopy copy{QFileInfo(target).canonicalFilePath(),
                          QFileInfo(outside).canonicalFilePath(), skipped};
    return CopyTree(source, target, 0, copy);
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}
