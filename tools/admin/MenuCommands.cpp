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

namespace {
constexpr int kFailed = 2;

QStringList MenuTables() {
    return {kMenuTable, kMenuTable + QStringLiteral("詳細")};
}

const QString kStaffColumn = QStringLiteral("担当者コード");

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

// Runs one statement of the import with its values bound; the run history records it as the
// menu records its own, the values written out.
bool Execute(AppContext& ctx, const QString& sql, const QVariantList& values, QTextStream& err) {
    QSqlQuery query(ctx.business.database());
    if (!ExecBound(query, sql, values)) {
        err << QStringLiteral("メニューを書き込めません: ") << query.lastError().text() << '\n';
        return false;
    }
    // Written out between the marks, so that a value holding "?" is not taken for one.
    const QStringList parts = sql.split(QLatin1Char('?'));
    QString shown = parts.value(0);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& value = values[i];
        shown += (value.isNull()                                ? QStringLiteral("NULL")
                  : value.metaType().id() == QMetaType::QString ? SqlQuote(value.toString())
                                                                : value.toString()) +
                 parts.value(i + 1);
    }
    WriteStatementRecord(ctx, shown);
    return true;
}

// Writes a menu under a staff code, all of it or nothing.
bool WriteMenu(AppContext& ctx, const QJsonObject& menu, const QString& staff, bool replace,
               QTextStream& err) {
    QSqlDatabase db = ctx.business.database();
    const bool server = ctx.business.isServer();
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
    return true;
}
}  // namespace

int ShowMenu(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
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
    QJsonParseError error{};
    const QJsonDocument document = file.open(QIODevice::ReadOnly)
                                       ? QJsonDocument::fromJson(file.readAll(), &error)
                                       : QJsonDocument();
    if (!document.isObject()) {
        err << QStringLiteral("「%1」はメニューの JSON ではありません。").arg(rest[2]) << '\n';
        return kFailed;
    }
    AdminInstallation installation(rest[0], err);
    if (!installation.load(err)) {
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
    for (const QString& staff : rest.mid(2)) {
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
