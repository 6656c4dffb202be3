#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The five backup groups, in the order they are written; each is also its file's base name.
QStringList BackupGroups();

// A table name as listed by an owner ("dbo.M担当者") is backed up under its own name.
QString CutAtDot(const QString& name);

// Whether a character takes two bytes in the Japanese code page.
bool IsDoubleByte(QChar c);

// Whether a table is backed up at all.
bool IsBackupTable(const QString& name);

// Whether a backed-up table goes into a group's file.
bool BelongsToGroup(const QString& name, const QString& group);

// The column by which a table is copied in slices; empty for a table copied in one statement.
QString SliceKeyColumn(const QString& name);

// backup folder/ヌモリカ/<weekday>/, with the native separator.
QString WeekdayFolder(const QString& backupFolder, const QDate& today);

// The next follow-on file of a backup file: mstdb.mdb → mstdb1.mdb → mstdb2.mdb.
QString NextFollowOnFile(const QString& path);

// The files of a group in a folder (mstdb.mdb, mstdb1.mdb …), by name.
QStringList GroupFiles(const QString& folder, const QString& group);
