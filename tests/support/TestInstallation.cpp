#include "TestInstallation.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>

#include "env/Installation.h"

namespace {
ProcessInfo TestProcess(const QString& programFolder, const QString& commandText,
                        const QString& userName, const QString& lockFolder) {
    ProcessInfo info;
    info.userName = userName;
    info.programFolder = programFolder;
    info.executableName = QStringLiteral("ヌモリカマイメニュ");
    info.commandText = commandText;
    info.lockFolder = lockFolder;
    return info;
}

template <typename Work>
void WithDatabase(const QString& databasePath, Work work) {
    const QString name = QStringLiteral("test-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath);
        if (!db.open()) {
            qFatal("cannot open %s", qPrintable(databasePath));
        }
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
}  // namespace

TestInstallation::TestInstallation(Content content) {
    if (content == Databases) {
        if (const auto error = CreateInstallation(dir_.path())) {
            qFatal("cannot create installation: %s", qPrintable(*error));
        }
    } else if (content == FoldersOnly) {
        QDir(dir_.path()).mkpath(QStringLiteral("prgbin"));
    }
}

QString TestInstallation::base() const {
    return dir_.path() + QLatin1Char('/');
}

QString TestInstallation::path(const QString& relative) const {
    return base() + relative;
}

TestContext::TestContext(const QString& programFolder, const QString& commandText,
                         const QString& userName)
    : registry(lockFolder.filePath(QStringLiteral("hklm.json")),
               lockFolder.filePath(QStringLiteral("hkcu.json"))),
      ctx(dialogs, shell, clock, registry,
          TestProcess(programFolder, commandText, userName, lockFolder.path())) {}

QList<QVariantMap> QueryRows(const QString& databasePath, const QString& sql) {
    QList<QVariantMap> rows;
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
        while (query.next()) {
            QVariantMap row;
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i) {
                row.insert(record.fieldName(i), query.value(i));
            }
            rows << row;
        }
    });
    return rows;
}

void ExecuteOn(const QString& databasePath, const QString& sql) {
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        }
    });
}

void InsertRow(const QString& databasePath, const QString& table, const QVariantMap& values) {
    WithDatabase(databasePath, [&](QSqlDatabase& db) {
        QStringList marks(values.size(), QStringLiteral("?"));
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, values.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            qFatal("insert into %s: %s", qPrintable(table), qPrintable(query.lastError().text()));
        }
    });
}

QStringList HistoryNotes(const QString& configPath) {
    QStringList notes;
    for (const QVariantMap& row : QueryRows(
             configPath, QStringLiteral("SELECT 摘要 FROM プログラム稼動履歴 ORDER BY rowid"))) {
        notes << row.value(QStringLiteral("摘要")).toString();
    }
    return notes;
}
