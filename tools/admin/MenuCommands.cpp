#include "MenuCommands.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "AdminInstallation.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "menu/Launch.h"
#include "menu/MenuStore.h"
#include "menu_settings/MenuSettings.h"
#include "text/StringHelpers.h"

namespace {
constexpr int kFailed = 2;

QStringList MenuTables() {
    return {kMenuTable, kMenuTable + QStringLiteral("詳細")};
}

const QString kStaffColumn = QStringLiteral("担当者コード");

// A file larger than this is no menu: 300 full rows take well under a megabyte.
constexpr qint64 kMaxMenuFileBytes = 10 * 1024 * 1024;
// The highest button position a file may hold: room beyond the 8 buttons a tab shows.
constexpr int kMaxDetailPosition = 99;

// What a column of a menu table takes: a position (an integer from 0 to maxPosition), or a text
// (or Null) of at most byteLimit Shift-JIS bytes (no limit when 0).
struct MenuColumn {
    int maxPosition = -1;
    int byteLimit = 0;
};

// The columns of each menu table by their names in lower case (a server folds them).
QHash<QString, MenuColumn> MenuColumns(const QString& table) {
    QHash<QString, MenuColumn> columns{
        {kStaffColumn, {}},
        {QStringLiteral("メニュタブ位置"), {kMenuTabs - 1, 0}},
    };
    if (table == kMenuTable) {
        columns.insert(QStringLiteral("機能名"), {-1, kTitleLimit});
        return columns;
    }
    columns.insert(QStringLiteral("メニュ詳細位置"), {kMaxDetailPosition, 0});
    columns.insert(QStringLiteral("プログラム名"), {-1, kProgramNameLimit});
    columns.insert(QStringLiteral("説明"), {-1, kDescriptionLimit});
    columns.insert(QStringLiteral("filepath"), {});
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        columns.insert(QStringLiteral("条件項目値") + QLatin1Char(letter),
                       {-1, kConditionValueLimit});
    }
    return columns;
}

// The first thing that keeps a menu file from being written under staff, or nothing: the file
// is checked whole before any row is touched.
std::optional<QString> MenuProblem(const QJsonObject& menu, const QString& staff) {
    const QStringList tables = MenuTables();
    for (const QString& key : menu.keys()) {
        if (!tables.contains(key)) {
            return QStringLiteral("知らない表「%1」が有ります。").arg(key);
        }
    }
    for (const QString& table : tables) {
        const QJsonValue rows = menu.value(table);
        if (!rows.isArray()) {
            return QStringLiteral("表「%1」が行の配列で有りません。").arg(table);
        }
        const qsizetype maxRows =
            table == kMenuTable ? kMenuTabs : qsizetype(kMenuTabs) * (kMaxDetailPosition + 1);
        if (rows.toArray().size() > maxRows) {
            return QStringLiteral("表「%1」の行が %2 を超えています。").arg(table).arg(maxRows);
        }
        const QHash<QString, MenuColumn> columns = MenuColumns(table);
        int number = 0;
        for (const QJsonValue& item : rows.toArray()) {
            ++number;
            const QString where = QStringLiteral("表「%1」の %2 行目").arg(table).arg(number);
            if (!item.isObject()) {
                return where + QStringLiteral("が行 (オブジェクト) で有りません。");
            }
            const QJsonObject row = item.toObject();
            for (const auto& [name, column] : columns.asKeyValueRange()) {
                if (column.maxPosition >= 0 && !row.contains(name)) {
                    return where + QStringLiteral("に「%1」が有りません。").arg(name);
                }
            }
            for (auto it = row.begin(); it != row.end(); ++it) {
                const auto column = columns.constFind(it.key().toLower());
                if (column == columns.cend()) {
                    return where + QStringLiteral("の「%1」は知らない列です。").arg(it.key());
                }
                const QJsonValue value = it.value();
                if (column->maxPosition >= 0) {
                    const double position = value.toDouble(-1);
                    if (!value.isDouble() || position != double(int(position)) || position < 0 ||
                        position > column->maxPosition) {
                        return where + QStringLiteral("の「%1」が 0 から %2 の整数で有りません。")
                                           .arg(it.key())
                                           .arg(column->maxPosition);
                    }
                } else if (column.key() == kStaffColumn) {
                    if (value.toString() != staff) {
                        return where +
                               QStringLiteral("の担当者コードが「%1」で有りません。").arg(staff);
                    }
                } else if (!value.isString() && !value.isNull()) {
                    return where + QStringLiteral("の「%1」が文字列で有りません。").arg(it.key());
                } else if (column->byteLimit > 0 &&
                           ShiftJisLength(value.toString()) > column->byteLimit) {
                    return where + QStringLiteral("の「%1」が %2 バイトを超えています。")
                                       .arg(it.key())
                                       .arg(column->byteLimit);
                }
            }
        }
    }
    return std::nullopt;
}

// Whether staff is a member of staff of the business file; nothing when it cannot be read.
std::optional<bool> StaffExists(AppContext& ctx, const QString& staff, QTextStream& err) {
    QSqlQuery query(ctx.business.database());
    if (!ExecBound(query, QStringLiteral("SELECT count(*) FROM M担当者 WHERE コード = ?"),
                   {staff}) ||
        !query.next()) {
        err << QStringLiteral("「M担当者」を読めません: ") << query.lastError().text() << '\n';
        return std::nullopt;
    }
    return query.value(0).toLongLong() > 0;
}

// Refuses a target who is not a member of staff, unless forced.
bool KnownTarget(AppContext& ctx, const QString& staff, bool force, QTextStream& err) {
    if (force) {
        return true;
    }
    const auto exists = StaffExists(ctx, staff, err);
    if (exists && !*exists) {
        err << QStringLiteral(
                   "担当者「%1」は M担当者 に有りません (それでも書き込むには --force)。")
                   .arg(staff)
            << '\n';
    }
    return exists.value_or(false);
}

// A value as JSON: Null stays null, numbers stay numbers, every text exactly as stored.
QJsonValue ToJson(const QVariant& value) {
    if (value.isNull()) {
        return QJsonValue::Null;
    }
    switch (value.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return value.toLongLong();
        case QMetaType::Double:
            return value.toDouble();
        default:
            return value.toString();
    }
}

QVariant FromJson(const QJsonValue& value) {
    if (value.isNull()) {
        return QVariant(QMetaType::fromType<QString>());
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        return number == double(qint64(number)) ? QVariant(qint64(number)) : QVariant(number);
    }
    return value.toString();
}

// The menu rows of a member of staff, table by table, in the order of their positions.
std::optional<QJsonObject> ReadMenu(AppContext& ctx, const QString& staff, QTextStream& err) {
    QJsonObject menu;
    for (const QString& table : MenuTables()) {
        QSqlQuery query(ctx.business.database());
        query.setForwardOnly(true);
        query.prepare(
            QStringLiteral("SELECT * FROM %1 WHERE 担当者コード = ? ORDER BY "
                           "メニュタブ位置%2")
                .arg(table, table == kMenuTable ? QString() : QStringLiteral(", メニュ詳細位置")));
        query.addBindValue(staff);
        if (!query.exec()) {
            err << QStringLiteral("「%1」を読めません: ").arg(table) << query.lastError().text()
                << '\n';
            return std::nullopt;
        }
        QJsonArray rows;
        while (query.next()) {
            QJsonObject row;
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i) {
                row.insert(record.fieldName(i), ToJson(query.value(i)));
            }
            rows.append(row);
        }
        menu.insert(table, rows);
    }
    return menu;
}

// Runs one statement of the import with its values bound.
bool Execute(AppContext& ctx, const QString& sql, const QVariantList& values, QTextStream& err) {
    QSqlQuery query(ctx.business.database());
    if (!ExecBound(query, sql, values)) {
        err << QStringLiteral("メニューを書き込めません: ") << query.lastError().text() << '\n';
        return false;
    }
    return true;
}

// Writes a menu under a staff code, all of it or nothing.
bool WriteMenu(AppContext& ctx, const QJsonObject& menu, const QString& staff, bool replace,
               QTextStream& err) {
    QSqlDatabase db = ctx.business.database();
    const bool server = ctx.business.isServer();
    bool replaced = false;
    WriteTogether writes(ctx.business);
    if (!writes.begun()) {
        err << QStringLiteral("トランザクションを始められません: ")
            << writes.begun().error().description << '\n';
        return false;
    }
    for (const QString& table : MenuTables()) {
        QSqlQuery existing(db);
        existing.prepare(
            QStringLiteral("SELECT count(*) FROM %1 WHERE 担当者コード = ?").arg(table));
        existing.addBindValue(staff);
        if (!existing.exec() || !existing.next()) {
            err << QStringLiteral("「%1」を読めません: ").arg(table) << existing.lastError().text()
                << '\n';
            return false;
        }
        if (existing.value(0).toLongLong() > 0) {
            if (!replace) {
                err << QStringLiteral(
                           "担当者「%1」にはメニューが有ります (置き換えるには "
                           "--replace)。")
                           .arg(staff)
                    << '\n';
                return false;
            }
            // Exactly this member's rows: every other row of the table stays.
            const QString sql = QStringLiteral("DELETE FROM %1 WHERE 担当者コード = ?").arg(table);
            if (!Execute(ctx, sql, {staff}, err)) {
                return false;
            }
            replaced = true;
        }
        // Only the table's own columns are written; their names come from the table itself.
        const QSqlRecord columns = db.record(server ? table.toLower() : table);
        for (const QJsonValue& item : menu.value(table).toArray()) {
            const QJsonObject row = item.toObject();
            QStringList names;
            QVariantList values;
            for (int i = 0; i < columns.count(); ++i) {
                const QString name = columns.fieldName(i);
                if (name.compare(kStaffColumn, Qt::CaseInsensitive) == 0) {
                    names << name;
                    values << staff;
                } else if (row.contains(name)) {
                    names << name;
                    values << FromJson(row.value(name));
                }
            }
            const QString sql =
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, names.join(QStringLiteral(", ")),
                         QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
            if (!Execute(ctx, sql, values, err)) {
                return false;
            }
        }
    }
    if (const auto committed = writes.commit(); !committed) {
        err << QStringLiteral("メニューを確定できません: ") << committed.error().description
            << '\n';
        return false;
    }
    // One row for the member, not one per row: a large menu must not swell the shared file.
    WriteStatementRecord(
        ctx, QStringLiteral("INSERT INTO %1 (%2 行), %3 (%4 行) 担当者コード = %5%6")
                 .arg(MenuTables()[0])
                 .arg(menu.value(MenuTables()[0]).toArray().size())
                 .arg(MenuTables()[1])
                 .arg(menu.value(MenuTables()[1]).toArray().size())
                 .arg(SqlQuote(staff), replaced ? QStringLiteral(" (置き換え)") : QString()));
    return true;
}
}  // namespace

int ShowMenu(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
    const auto exists = StaffExists(ctx, arguments[1], err);
    if (!exists) {
        return kFailed;
    }
    if (!*exists) {
        err << QStringLiteral("担当者「%1」は M担当者 に有りません。").arg(arguments[1]) << '\n';
        return 1;
    }
    ctx.staff.code = arguments[1];
    for (int tab = 0; tab < kMenuTabs; ++tab) {
        const MenuTabView view = ReadMenuTab(ctx, kMenuTable, tab);
        out << QStringLiteral("タブ %1: %2").arg(tab).arg(view.caption) << '\n';
        for (int i = 0; i < kMenuButtons; ++i) {
            if (!view.enabled[i]) {
                out << QStringLiteral("  %1. (未設定)").arg(i + 1) << '\n';
                continue;
            }
            const auto command = ComposeLaunch(ctx, kMenuTable, tab, i);
            out << QStringLiteral("  %1. %2\t%3\t%4")
                       .arg(i + 1)
                       .arg(view.buttonCaptions[i], view.descriptions[i], view.filePaths[i])
                << '\n'
                << QStringLiteral("     起動: ")
                << (command ? command->commandText : QStringLiteral("(なし)")) << '\n';
        }
        if (!view.message.isEmpty()) {
            err << view.message << '\n';
        }
    }
    return 0;
}

int ExportMenu(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    const auto menu = ReadMenu(installation.context(), arguments[1], err);
    if (!menu) {
        return kFailed;
    }
    const QByteArray json = QJsonDocument(*menu).toJson(QJsonDocument::Indented);
    if (arguments.size() < 3) {
        out << QString::fromUtf8(json);
        return 0;
    }
    QSaveFile file(arguments[2]);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        err << QStringLiteral("「%1」に書き出せません: ").arg(arguments[2]) << file.errorString()
            << '\n';
        return kFailed;
    }
    return 0;
}

int ImportMenu(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const QStringList& rest = call.operands;
    const bool replace = call.has(QStringLiteral("--replace"));
    QFile file(rest[2]);
    if (file.open(QIODevice::ReadOnly) && file.size() > kMaxMenuFileBytes) {
        err << QStringLiteral("「%1」は 10 MB を超えています。").arg(rest[2]) << '\n';
        return kFailed;
    }
    QJsonParseError error{};
    const QJsonDocument document =
        file.isOpen() ? QJsonDocument::fromJson(file.read(kMaxMenuFileBytes), &error)
                      : QJsonDocument();
    if (!document.isObject()) {
        err << QStringLiteral("「%1」はメニューの JSON ではありません。").arg(rest[2]) << '\n';
        return kFailed;
    }
    if (const auto problem = MenuProblem(document.object(), rest[1])) {
        err << QStringLiteral("「%1」: ").arg(rest[2]) << *problem << '\n';
        return kFailed;
    }
    AdminInstallation installation(rest[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    if (!KnownTarget(installation.context(), rest[1], call.has(QStringLiteral("--force")), err)) {
        return kFailed;
    }
    if (!WriteMenu(installation.context(), document.object(), rest[1], replace, err)) {
        err << QStringLiteral("メニューは書き込んでいません。") << '\n';
        return kFailed;
    }
    out << QStringLiteral("担当者「%1」のメニューを書き込みました。").arg(rest[1]) << '\n';
    return 0;
}

int CopyMenu(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const QStringList& rest = call.operands;
    const bool replace = call.has(QStringLiteral("--replace"));
    AdminInstallation installation(rest[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
    const auto menu = ReadMenu(ctx, rest[1], err);
    if (!menu) {
        return kFailed;
    }
    const bool force = call.has(QStringLiteral("--force"));
    for (const QString& staff : rest.mid(2)) {
        if (!KnownTarget(ctx, staff, force, err)) {
            return kFailed;
        }
        if (!WriteMenu(ctx, *menu, staff, replace, err)) {
            err << QStringLiteral("担当者「%1」のメニューは書き込んでいません。").arg(staff)
                << '\n';
            return kFailed;
        }
        out << QStringLiteral("担当者「%1」に「%2」のメニューを写しました。").arg(staff, rest[1])
            << '\n';
    }
    return 0;
}
