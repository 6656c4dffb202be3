#pragma once

#include <QString>
#include <QStringList>

// What the programs make keeps the protection of where it lies and of what it copies. In a folder
// shared with a group (set-group-ID) a new file or folder takes the folder's group and the group's
// rights, whatever the umask; elsewhere the umask decides. A copy is never more readable than its
// source (a file, or a folder for a folder), though its owner may always write it.
// ProtectLikeFolder gives a file or folder just made those rights.
bool ProtectLikeFolder(const QString& path, const QString& source = {});
// An empty file (for a database engine or a copy to fill) with those rights from the start.
bool CreateProtectedFile(const QString& path, const QString& source = {});
// A folder and each missing one on the way, with those rights.
bool MakeProtectedPath(const QString& path, const QString& source = {});

// Copies a file over another (or to a new name). The copy is written under a temporary name and
// renamed into place, so a failure never leaves half a file where a whole one was. It is
// protected like a new file of its folder, never more readable than the source.
bool CopyFileReplacing(const QString& source, const QString& target, QString* error = nullptr);

// Puts a whole file in place of another in one step (or under a new name): a reader sees the old
// file or the new one, never a part. Both lie in the same folder or file system.
bool ReplaceFile(const QString& staged, const QString& target, QString* error = nullptr);

// Waits until what was written to a file (or a folder's entries) is on the disk.
bool SyncToDisk(const QString& path);

// Lets the disk start on what was written to a file so far, without waiting for it: a later
// SyncToDisk then waits only for the rest.
void StartWritingToDisk(const QString& path);

// Whether a file (or the folder it would be made in) lies on a file system known to belong to
// this machine: ext2/3/4, xfs, btrfs, tmpfs, f2fs, zfs or overlay. Network file systems (nfs,
// cifs/smb2, 9p), FUSE of any kind and anything unknown are not.
bool IsLocalFileSystem(const QString& path);

// Copies a folder with everything in it, overwriting files of the same name. It never enters the
// target or any folder below `outside` (a copy inside its own source would nest without end),
// copies a symbolic link to a folder as a link instead of following it, and goes no deeper than
// any real folder tree does. Entries it leaves out are named in `skipped`, with the reason.
bool CopyFolder(const QString& source, const QString& target, const QString& outside = {},
                QStringList* skipped = nullptr);

// Joins a folder and a name with the native separator.
QString JoinPath(const QString& folder, const QString& name);
