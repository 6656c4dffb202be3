#include "menu_settings/MenuSettings.h"

#include <QDir>
#include <QFileInfo>

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "menu/Launch.h"
#include "platform/ProcessInfo.h"
#include "text/StringHelpers.h"

namespace {
QString Number(int value) {
    return QString::number(value);
}

// The WHERE clause of the edit target's menu row, or with the detail position its detail row.
QString TargetCondition(const AppContext& ctx, bool detail) {
    const MenuEditTarget& target = ctx.menuEditTarget;
    QString condition = QStringLiteral(" WHERE 担当者コード = ") + SqlQuote(MenuStaffCode(ctx)) +
                        QStringLiteral(" AND メニュタブ位置 = ") + Number(target.tabPosition);
    if (detail) {
        condition += QStringLiteral(" AND メニュ詳細位置 = ") + Number(target.detailPosition);
    }
    return condition;
}

// The detail columns after the key, with the record's values, in table order.
QList<std::pair<QString, QString>> DetailValues(const MenuSettingsRecord& record) {
    QList<std::pair<QString, QString>> values = {
        {QStringLiteral("プログラム名"), record.programName},
        {QStringLiteral("説明"), record.description},
        {QStringLiteral("filepath"), record.filePath}};
    for (int i = 0; i < kConditionCount; ++i) {
        values.append({ConditionValueColumn(i), record.values[i]});
    }
    return values;
}

void InsertDetail(AppContext& ctx, const MenuSettingsRecord& record) {
    const MenuEditTarget& target = ctx.menuEditTarget;
    QStringList columns = {QStringLiteral(" 担当者コード"), QStringLiteral(" メニュタブ位置"),
                           QStringLiteral(" メニュ詳細位置")};
    QStringList values = {SqlQuote(MenuStaffCode(ctx)),
                          QLatin1Char(' ') + Number(target.tabPosition),
                          QLatin1Char(' ') + Number(target.detailPosition)};
    for (const auto& [column, value] : DetailValues(record)) {
        columns << QLatin1Char(' ') + column;
        values << QLatin1Char(' ') + SqlQuote(value);
    }
    ExecuteBusiness(ctx,
                    QStringLiteral("INSERT INTO ") + target.table + QStringLiteral("詳細") +
                        QStringLiteral(" (") + columns.join(QLatin1Char(',')) + QLatin1Char(')') +
                        QStringLiteral(" VALUES ") + QStringLiteral(" (") +
                        values.join(QLatin1Char(',')) + QLatin1Char(')'),
                    true);
}

// The name of the first existing file a path matches (wildcards allowed in its name), or "".
QString FirstMatch(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        return QDir(info.path()).entryList({name}, QDir::Files, QDir::Name).value(0);
    }
    return info.isFile() ? name : QString();
}
}  // namespace

void ClearRecord(MenuSettingsRecord& record) {
    record.filePath.clear();
    record.title.clear();
    record.programName.clear();
    record.description.clear();
    record.itemNames.fill(QString());
    record.values.fill(QString());
}

void ReadRecord(AppContext& ctx, MenuSettingsRecord& record) {
    const QString table = ctx.menuEditTarget.table;
    Recordset recordset;
    if (OpenBusinessRecordset(ctx, recordset,
                              QStringLiteral("SELECT * ") + QStringLiteral(" FROM ") + table +
                                  TargetCondition(ctx, false),
                              false)) {
        CopyUnlessNull(recordset, QStringLiteral("機能名"), record.title);
    }
    recordset.close();
    record.newRow =
        !OpenBusinessRecordset(ctx, recordset,
                               QStringLiteral("SELECT * ") + QStringLiteral(" FROM ") + table +
                                   QStringLiteral("詳細") + TargetCondition(ctx, true),
                               false);
    if (!record.newRow) {
        CopyUnlessNull(recordset, QStringLiteral("プログラム名"), record.programName);
        CopyUnlessNull(recordset, QStringLiteral("説明"), record.description);
        CopyUnlessNull(recordset, QStringLiteral("filepath"), record.filePath);
        for (int i = 0; i < kConditionCount; ++i) {
            CopyUnlessNull(recordset, ConditionValueColumn(i), record.values[i]);
        }
    }
    recordset.close();
    if (!record.filePath.isEmpty()) {
        LookupItemNames(ctx, record.programName, record);
    }
}

void LookupItemNames(AppContext& ctx, const QString& programId, MenuSettingsRecord& record) {
    const auto entry = LookupCatalogue(ctx, programId);
    if (!entry) {
        return;
    }
    for (int i = 0; i < kConditionCount; ++i) {
        if (entry->itemNames[i]) {
            record.itemNames[i] = *entry->itemNames[i];
        }
    }
}

void SaveRecord(AppContext& ctx, const MenuSettingsRecord& record) {
    const MenuEditTarget& target = ctx.menuEditTarget;
    const QString staff = SqlQuote(MenuStaffCode(ctx));
    const QString tab = Number(target.tabPosition);
    // A tab that has a title already fails the insert: its title is updated instead.
    if (!ExecuteBusiness(ctx,
                         QStringLiteral("INSERT INTO ") + target.table + QStringLiteral(" (") +
                             QStringLiteral(" 担当者コード,") + QStringLiteral(" メニュタブ位置,") +
                             QStringLiteral(" 機能名") + QLatin1Char(')') +
                             QStringLiteral(" VALUES ") + QStringLiteral(" (") + staff +
                             QLatin1Char(',') + QLatin1Char(' ') + tab + QLatin1Char(',') +
                             QLatin1Char(' ') + SqlQuote(record.title) + QLatin1Char(')'),
                         true)) {
        ExecuteBusiness(ctx,
                        QStringLiteral("UPDATE ") + target.table + QStringLiteral(" SET") +
                            QStringLiteral(" 機能名 = ") + SqlQuote(record.title) +
                            TargetCondition(ctx, false),
                        true);
    }
    if (record.newRow) {
        InsertDetail(ctx, record);
        return;
    }
    QStringList assignments;
    for (const auto& [column, value] : DetailValues(record)) {
        assignments << QLatin1Char(' ') + column + QStringLiteral(" = ") + SqlQuote(value);
    }
    int affected = -1;
    const bool updated = ExecuteBusiness(
        ctx,
        QStringLiteral("UPDATE ") + target.table + QStringLiteral("詳細") + QStringLiteral(" SET") +
            assignments.join(QLatin1Char(',')) + TargetCondition(ctx, true),
        true, &affected);
    // The row was removed since it was read: the user's settings are stored all the same.
    if (updated && affected == 0) {
        InsertDetail(ctx, record);
    }
}

void DeleteRecord(AppContext& ctx, const MenuSettingsRecord& record) {
    if (record.newRow) {
        return;
    }
    ExecuteBusiness(ctx,
                    QStringLiteral("DELETE FROM ") + ctx.menuEditTarget.table +
                        QStringLiteral("詳細") + TargetCondition(ctx, true),
                    true);
}

void CheckText(const QString& text, int limit, QString& field) {
    if (text != field) {
        field = TruncateToBytes(text, limit);
    }
}

FilePathCheck CheckFilePath(const QString& text, MenuSettingsRecord& record) {
    const QString path = TrimBlanks(text);
    if (path == record.filePath) {
        return FilePathCheck::Unchanged;
    }
    // The native separator asks for a file that exists; the other one is taken as typed.
    const QChar native = QDir::separator();
    const QChar other = native == QLatin1Char('/') ? QLatin1Char('\\') : QLatin1Char('/');
    if (!path.contains(native) && !path.contains(other)) {
        return FilePathCheck::Refused;
    }
    record.filePath = path;
    if (!path.contains(native)) {
        return FilePathCheck::Accepted;
    }
    const QString found = FirstMatch(path);
    if (found.isEmpty()) {
        return FilePathCheck::Refused;
    }
    const qsizetype dot = found.indexOf(QLatin1Char('.'));
    record.programName = dot < 0 ? found : found.left(dot);
    return FilePathCheck::Accepted;
}

QStringList ProgramFileFilters() {
    const QString list =
        QStringLiteral("全てのファイル (*.*)|*.*|") + QStringLiteral("ワード (*.doc)|*.doc|") +
        QStringLiteral("EXCELL (*.xls)|*.xls|") + QStringLiteral("テキスト (*.txt)|*.txt|") +
        QStringLiteral("一太郎 (*.jws)|*.jws|") + QStringLiteral("JPEG ファイル (*.jpg)|*.jpg|") +
        QStringLiteral("GIFファイル (*.gif)|*.gif|") +
        QStringLiteral("メタファイル (*.wmf)|*.wmf|") +
        QStringLiteral("拡張メタファイル (*.emf)|*.emf|") +
        QStringLiteral("Bitmap ファイル (*.bmp)|*.bmp");
    // Entries come in pairs of a caption and its pattern; the caption names the pattern itself.
    const QStringList parts = list.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i];
    }
    return filters;
}
