#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

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
            out.cancelWriting();
            return fail(out.errorString() + QStringLiteral(": ") + target);
        }
    }
    if (!out.commit()) {
        return fail(out.errorString() + QStringLiteral(": ") + target);
    }
    return true;
}

bool CopyFolder(const QString& source, const QString& target) {
    const QDir from(source);
    if (!from.exists() || !QDir().mkpath(target)) {
        return false;
    }
    bool copied = true;
    const QDir to(target);
    for (const QFileInfo& entry :
         from.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString destination = to.filePath(entry.fileName());
        copied = (entry.isDir() ? CopyFolder(entry.filePath(), destination)
                                : CopyFileReplacing(entry.filePath(), destination)) &&
                 copied;
    }
    return copied;
}
