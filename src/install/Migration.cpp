#include "install/Migration.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "db/DatabaseFile.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "install/Installation.h"
#include "platform/CodeConverter.h"
#include "platform/Files.h"

namespace {
const QStringList kFolders = {QStringLiteral("conf"), QStringLiteral("data"),
                              QStringLiteral("report")};

DbError Failure(const QString& description) {
    return {kUnspecifiedDbError, description};
}

bool IsWindowsPath(const QString& value) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    return value.contains(QLatin1Char('\\')) || drive.match(value).hasMatch();
}

QString WithBackslashes(QString path) {
    return path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

// A pair's Windows prefix without its closing separators, so that it matches at a folder's end.
QString WindowsPrefix(const PathMapping& mapping) {
    QString prefix = WithBackslashes(mapping.windowsPrefix);
    while (prefix.size() > 1 && prefix.endsWith(QLatin1Char('\\'))) {
        prefix.chop(1);
    }
    return prefix;
}

bool TableExists(QSqlDatabase& db, const QString& table) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    query.addBindValue(table);
    return query.exec() && query.next();
}

QStringList ColumnsOf(QSqlDatabase& db, const QString& table) {
    QStringList columns;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT name FROM pragma_table_info(%1)").arg(SqlQuote(table)))) {
        while (query.next()) {
            columns << query.value(0).toString();
        }
    }
    return columns;
}

// Adds what the suite reads and a converted file lacks, as init makes it: the missing tables
// (with their indexes and first rows); a table the file brought keeps its own columns.
DbResult CompleteSchema(QSqlDatabase& db, const QStringList& schema, const QStringList& firstRows) {
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\S+)"));
    static const QRegularExpression index(
        QStringLiteral("^CREATE (?:UNIQUE )?INDEX \\S+ ON (\\S+)"));
    static const QRegularExpression insert(QStringLiteral("^INSERT INTO (\\S+)"));
    QStringList created;
    QStringList statements;
    for (const QString& statement : schema) {
        if (const auto match = table.match(statement); match.hasMatch()) {
            if (TableExists(db, match.captured(1))) {
                continue;
            }
            created << match.captured(1);
        } else if (const auto on = index.match(statement);
                   on.hasMatch() && !created.contains(on.captured(1))) {
            continue;
        }
        statements << statement;
    }
    for (const QString& statement : firstRows) {
        if (created.contains(insert.match(statement).captured(1))) {
            statements << statement;
        }
    }
    return ExecuteAll(db, statements);
}

// Maps the path columns of a table in place; unmapped values are listed.
DbResult MapPathColumns(QSqlDatabase& db, const QString& table, const QStringList& candidates,
                        const QList<PathMapping>& mappings, MigrationResult& result) {
    const QStringList present = ColumnsOf(db, table);
    QSqlQuery query(db);
    QSqlQuery update(db);
    for (const QString& column : candidates) {
        if (!present.contains(column)) {
            continue;
        }
        if (!query.exec(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %1 IS NOT NULL")
                            .arg(SqlIdentifier(column), SqlIdentifier(table)))) {
            return Failure(query.lastError().text());
        }
        QList<std::pair<qint64, QString>> changes;
        while (query.next()) {
            const QString value = query.value(1).toString();
            const auto mapped = MapWindowsPath(value, mappings);
            if (!mapped) {
                result.unmappedPaths << QStringLiteral("%1.%2: %3").arg(table, column, value);
            } else if (*mapped != value) {
                changes.append({query.value(0).toLongLong(), *mapped});
            }
        }
        query.finish();
        for (const auto& [row, value] : changes) {
            update.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                               .arg(SqlIdentifier(table), SqlIdentifier(column)));
            update.addBindValue(value);
            update.addBindValue(row);
            if (!update.exec()) {
                return Failure(update.lastError().text());
            }
            ++result.mappedPaths;
        }
    }
    return {};
}

QStringList PathColumns(const QList<ColumnSpec>& columns) {
    QStringList names;
    for (const ColumnSpec& column : columns) {
        if (column.name.contains(QStringLiteral("フォルダ")) ||
            column.name.contains(QStringLiteral("ファイル")) ||
            column.name.endsWith(QStringLiteral("file"))) {
            names << column.name;
        }
    }
    return names;
}

DbResult CompleteConfiguration(const QString& config, const QString& business,
                               const MigrationOptions& options, MigrationResult& result) {
    return WithDatabaseFile(config, [&](QSqlDatabase& db) -> DbResult {
        if (auto completed = CompleteSchema(db, ConfigurationSchema(), InitialConfigurationRows());
            !completed) {
            return completed;
        }
        if (auto pointed = ExecuteAll(
                db, {QStringLiteral("DELETE FROM データベース定義 WHERE 情報種類 = 'GNR'"),
                     BusinessFileDefinitionRow(business)});
            !pointed) {
            return pointed;
        }
        return MapPathColumns(db, QStringLiteral("動作環境定義"),
                              {QStringLiteral("バックアップフォルダ")}, options.mappings, result);
    });
}

MigrationResult Refused(MigrationResult result, const QString& why) {
    for (const MigratedFile& file : result.files) {
        QFile::remove(file.target);
    }
    result.files.clear();
    result.refusal = why;
    return result;
}
}  // namespace

DbResult CompleteMigratedBusiness(const QString& business, const MigrationOptions& options,
                                  MigrationResult& result) {
    return WithDatabaseFile(business, [&](QSqlDatabase& db) -> DbResult {
        if (auto completed = CompleteSchema(db, BusinessSchema(), InitialBusinessRows());
            !completed) {
            return completed;
        }
        for (const auto& [table, columns] :
             {std::pair{QStringLiteral("Mユーザ"), PathColumns(CompanyColumns())},
              std::pair{QStringLiteral("M事業所"), PathColumns(OfficeColumns())},
              std::pair{QStringLiteral("ヌモリカマイメニュ詳細"),
                        QStringList{QStringLiteral("filepath")}}}) {
            if (auto mapped = MapPathColumns(db, table, columns, options.mappings, result);
                !mapped) {
                return mapped;
            }
        }
        // PINs stored by the earlier installation's component match no entry here.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT コード, 氏名, 暗証番号 FROM M担当者 WHERE 暗証番号 "
                                       "IS NOT NULL AND 暗証番号 <> '' ORDER BY コード"))) {
            return Failure(query.lastError().text());
        }
        while (query.next()) {
            const QString pin = query.value(2).toString();
            if (!CodeConverter::isCurrentForm(pin) && !CodeConverter::isOlderForm(pin)) {
                result.staffWithoutPin
                    << query.value(0).toString() + QLatin1Char(' ') + query.value(1).toString();
            }
        }
        query.finish();
        const QString stored = CodeConverter::encode(options.systemPin);
        if (stored.isEmpty()) {
            return Failure(QStringLiteral("システム特権暗証番号の保存形式を作成できません。"));
        }
        return ExecuteAll(
            db,
            {QStringLiteral("UPDATE Mユーザ SET システム特権暗証番号 = %1").arg(SqlQuote(stored))});
    });
}

std::optional<QString> MapWindowsPath(const QString& value, const QList<PathMapping>& mappings) {
    if (!IsWindowsPath(value)) {
        return value;
    }
    const QString path = WithBackslashes(value);
    QString bestPrefix;
    const PathMapping* best = nullptr;
    for (const PathMapping& mapping : mappings) {
        const QString prefix = WindowsPrefix(mapping);
        const bool matches =
            path.startsWith(prefix, Qt::CaseInsensitive) &&
            (path.size() == prefix.size() || path[prefix.size()] == QLatin1Char('\\'));
        if (matches && (!best || prefix.size() > bestPrefix.size())) {
            best = &mapping;
            bestPrefix = prefix;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    QString rest = path.mid(bestPrefix.size()).replace(QLatin1Char('\\'), QLatin1Char('/'));
    // One separator between the two parts, none after a folder named alone.
    QString here = best->linuxPrefix;
    while (here.size() > 1 && here.endsWith(QLatin1Char('/')) &&
           (rest.isEmpty() || rest.startsWith(QLatin1Char('/')))) {
        here.chop(1);
    }
    return here + rest;
}

MigrationResult MigrateInstallation(const QString& oldBase, const QString& newBase,
                                    const MigrationOptions& options,
                                    const AccessImportProgress& progress) {
    MigrationResult result;
    const QDir oldRoot(oldBase);
    const QString newRoot = QDir::toNativeSeparators(QDir(newBase).absolutePath());
    const auto oldConfig = ExistingDatabase(oldRoot.filePath(QStringLiteral("conf/usrcnfg")));
    const auto oldBusiness = ExistingDatabase(oldRoot.filePath(QStringLiteral("data/gnrdb")));
    if (!oldConfig || !oldBusiness) {
        result.refusal = QStringLiteral(
                             "「%1」に conf/usrcnfg と data/gnrdb (.accdb または .mdb) "
                             "が有りません。")
                             .arg(oldBase);
        return result;
    }
    for (const QString& stem : {QStringLiteral("conf/usrcnfg"), QStringLiteral("data/gnrdb")}) {
        if (const auto existing = ExistingDatabase(JoinPath(newRoot, stem))) {
            result.refusal =
                QStringLiteral("データベースが既に有ります。上書きしません: %1").arg(*existing);
            return result;
        }
    }
    for (const char* folder : {"prgbin", "conf", "data", "report", "manual"}) {
        if (!QDir().mkpath(JoinPath(newRoot, QString::fromLatin1(folder)))) {
            result.refusal = QStringLiteral("フォルダを作成できません: %1").arg(newRoot);
            return result;
        }
    }
    // Every Access file of the three folders comes along under its own name.
    for (const QString& folder : kFolders) {
        const QDir from(oldRoot.filePath(folder));
        for (const QFileInfo& file : from.entryInfoList(QDir::Files, QDir::Name)) {
            const QString ending = file.suffix().toLower();
            if ((ending != QLatin1String("accdb") && ending != QLatin1String("mdb")) ||
                !IsAccessDatabaseFile(file.filePath())) {
                continue;
            }
            const QString target = JoinPath(JoinPath(newRoot, folder), file.fileName());
            AccessImportResult imported =
                ImportAccessFile(file.filePath(), target, options.access, progress);
            const bool whole = imported.complete();
            const std::optional<QString> why = imported.refusal;
            result.files.append({file.filePath(), whole ? target : QString(), std::move(imported)});
            if (!whole) {
                return Refused(
                    result, QStringLiteral("%1: %2").arg(file.filePath(),
                                                         why.value_or(QStringLiteral("不一致"))));
            }
        }
    }
    const QString config =
        JoinPath(JoinPath(newRoot, QStringLiteral("conf")), QFileInfo(*oldConfig).fileName());
    const QString business =
        JoinPath(JoinPath(newRoot, QStringLiteral("data")), QFileInfo(*oldBusiness).fileName());
    if (const auto done = CompleteConfiguration(config, business, options, result); !done) {
        return Refused(result, done.error().description);
    }
    if (const auto done = CompleteMigratedBusiness(business, options, result); !done) {
        return Refused(result, done.error().description);
    }
    return result;
}
