#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

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
    if (!QDir().mkpath(to)) {
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
    if (!QFileInfo(source).isDir() || !QDir().mkpath(target)) {
        return false;
    }
    const FolderCopy copy{QFileInfo(target).canonicalFilePath(),
                          QFileInfo(outside).canonicalFilePath(), skipped};
    return CopyTree(source, target, 0, copy);
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}
